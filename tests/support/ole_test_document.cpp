#include "tests/support/ole_test_document.h"

#include <cstring>

namespace {

// Reaches the C++ object behind an interface of the class.
// {5A3B1C2E-7E6F-4A1B-9C8D-0E1F2A3B4C5D}
const IID IID_TestDocumentSelf = {0x5a3b1c2e, 0x7e6f, 0x4a1b, {0x9c, 0x8d, 0x0e, 0x1f, 0x2a, 0x3b, 0x4c, 0x5d}};

bool ReadText(IStorage* Storage, std::string& Text) {
  IStream* S = nullptr;
  if (FAILED(Storage->OpenStream(L"Text", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &S))) return false;
  STATSTG St{};
  S->Stat(&St, STATFLAG_NONAME);
  Text.assign(size_t(St.cbSize.QuadPart), '\0');
  ULONG Got = 0;
  HRESULT Hr = Text.empty() ? S_OK : S->Read(Text.data(), ULONG(Text.size()), &Got);
  S->Release();
  return SUCCEEDED(Hr) && Got == Text.size();
}

HRESULT WriteText(IStorage* Storage, const std::string& Text) {
  HRESULT Hr = WriteClassStg(Storage, CLSID_TestDocument);
  if (FAILED(Hr)) return Hr;
  IStream* S = nullptr;
  Hr = Storage->CreateStream(L"Text", STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &S);
  if (FAILED(Hr)) return Hr;
  ULONG Put = 0;
  Hr = S->Write(Text.data(), ULONG(Text.size()), &Put);
  S->Release();
  return Hr;
}

class TDocument : public IOleObject, public IPersistFile, public IPersistStorage, public IViewObject2, public IDataObject {
public:
  std::string Text;
  bool Dirty = false;

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID Iid, void** Out) override {
    if (Out == nullptr) return E_POINTER;
    *Out = nullptr;
    if (IsEqualIID(Iid, IID_IUnknown) || IsEqualIID(Iid, IID_IOleObject))
      *Out = static_cast<IOleObject*>(this);
    else if (IsEqualIID(Iid, IID_IPersistFile))
      *Out = static_cast<IPersistFile*>(this);
    else if (IsEqualIID(Iid, IID_IPersistStorage))
      *Out = static_cast<IPersistStorage*>(this);
    else if (IsEqualIID(Iid, IID_IViewObject) || IsEqualIID(Iid, IID_IViewObject2))
      *Out = static_cast<IViewObject2*>(this);
    else if (IsEqualIID(Iid, IID_IDataObject))
      *Out = static_cast<IDataObject*>(this);
    else if (IsEqualIID(Iid, IID_TestDocumentSelf))
      *Out = this;
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++FRefs; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG N = --FRefs;
    if (N == 0) delete this;
    return N;
  }

  // IPersist
  STDMETHODIMP GetClassID(CLSID* Out) override {
    if (Out == nullptr) return E_POINTER;
    *Out = CLSID_TestDocument;
    return S_OK;
  }
  // IPersistFile
  STDMETHODIMP IsDirty() override { return Dirty ? S_OK : S_FALSE; }
  STDMETHODIMP Load(LPCOLESTR Name, DWORD) override {
    IStorage* S = nullptr;
    HRESULT Hr = StgOpenStorage(Name, nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, &S);
    if (FAILED(Hr)) return Hr;
    bool Ok = ReadText(S, Text);
    S->Release();
    Dirty = false;
    return Ok ? S_OK : STG_E_READFAULT;
  }
  STDMETHODIMP Save(LPCOLESTR Name, BOOL) override {
    if (Name == nullptr) return E_INVALIDARG;
    IStorage* S = nullptr;
    HRESULT Hr = StgCreateDocfile(Name, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &S);
    if (FAILED(Hr)) return Hr;
    Hr = WriteText(S, Text);
    if (SUCCEEDED(Hr)) Hr = S->Commit(STGC_DEFAULT);
    S->Release();
    if (SUCCEEDED(Hr)) Dirty = false;
    return Hr;
  }
  STDMETHODIMP SaveCompleted(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP GetCurFile(LPOLESTR* Out) override {
    if (Out != nullptr) *Out = nullptr;
    return E_NOTIMPL;
  }
  // IPersistStorage
  STDMETHODIMP InitNew(IStorage*) override { return S_OK; }
  STDMETHODIMP Load(IStorage* S) override {
    if (!ReadText(S, Text)) Text.clear();
    Dirty = false;
    return S_OK;
  }
  STDMETHODIMP Save(IStorage* S, BOOL) override {
    HRESULT Hr = WriteText(S, Text);
    if (SUCCEEDED(Hr)) Dirty = false;
    return Hr;
  }
  STDMETHODIMP SaveCompleted(IStorage*) override { return S_OK; }
  STDMETHODIMP HandsOffStorage() override { return S_OK; }

  // IOleObject: an object that shows itself where it is drawn.
  STDMETHODIMP SetClientSite(IOleClientSite* Site) override {
    if (Site != nullptr) Site->AddRef();
    if (FSite != nullptr) FSite->Release();
    FSite = Site;
    return S_OK;
  }
  STDMETHODIMP GetClientSite(IOleClientSite** Out) override {
    if (Out == nullptr) return E_POINTER;
    *Out = FSite;
    if (FSite != nullptr) FSite->AddRef();
    return S_OK;
  }
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD) override {
    SetClientSite(nullptr);
    return S_OK;
  }
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** Out) override {
    if (Out != nullptr) *Out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject** Out) override {
    if (Out != nullptr) *Out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override { return S_OK; }
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** Out) override {
    if (Out != nullptr) *Out = nullptr;
    return OLEOBJ_E_NOVERBS;
  }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID* Out) override { return GetClassID(Out); }
  STDMETHODIMP GetUserType(DWORD, LPOLESTR* Out) override {
    if (Out != nullptr) *Out = nullptr;
    return OLE_S_USEREG;
  }
  STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return S_OK; }
  STDMETHODIMP GetExtent(DWORD, SIZEL* Out) override {
    if (Out == nullptr) return E_POINTER;
    Out->cx = Out->cy = 5000;
    return S_OK;
  }
  STDMETHODIMP Advise(IAdviseSink*, DWORD* Cookie) override {
    if (Cookie != nullptr) *Cookie = 1;
    return S_OK;
  }
  STDMETHODIMP Unadvise(DWORD) override { return S_OK; }
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** Out) override {
    if (Out != nullptr) *Out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetMiscStatus(DWORD, DWORD* Out) override {
    if (Out == nullptr) return E_POINTER;
    *Out = 0;
    return S_OK;
  }
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IViewObject2: the text on white, in a frame.
  STDMETHODIMP Draw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC DC, LPCRECTL Bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                    ULONG_PTR) override {
    if (DC == nullptr || Bounds == nullptr) return E_INVALIDARG;
    RECT R{Bounds->left, Bounds->top, Bounds->right, Bounds->bottom};
    FillRect(DC, &R, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FrameRect(DC, &R, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    InflateRect(&R, -12, -12);
    SetBkMode(DC, TRANSPARENT);
    DrawTextA(DC, Text.c_str(), int(Text.size()), &R, DT_LEFT | DT_TOP | DT_WORDBREAK);
    return S_OK;
  }
  STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** Out) override {
    if (Out != nullptr) *Out = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD* Out) override {
    if (Out != nullptr) *Out = 0;
    return E_NOTIMPL;
  }
  STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP SetAdvise(DWORD, DWORD, IAdviseSink*) override { return S_OK; }
  STDMETHODIMP GetAdvise(DWORD*, DWORD*, IAdviseSink** Out) override {
    if (Out != nullptr) *Out = nullptr;
    return S_OK;
  }
  STDMETHODIMP GetExtent(DWORD, LONG, DVTARGETDEVICE*, LPSIZEL Out) override {
    if (Out == nullptr) return E_POINTER;
    Out->cx = Out->cy = 5000;
    return S_OK;
  }

  // IDataObject: no data formats of its own; the container draws it through the view.
  STDMETHODIMP GetData(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
  STDMETHODIMP QueryGetData(FORMATETC*) override { return DV_E_FORMATETC; }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* Out) override {
    if (Out != nullptr) Out->ptd = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC** Out) override {
    if (Out != nullptr) *Out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD* Cookie) override {
    if (Cookie != nullptr) *Cookie = 1;
    return S_OK;
  }
  STDMETHODIMP DUnadvise(DWORD) override { return S_OK; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA** Out) override {
    if (Out != nullptr) *Out = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
  }

private:
  virtual ~TDocument() {
    if (FSite != nullptr) FSite->Release();
  }
  ULONG FRefs = 1;
  IOleClientSite* FSite = nullptr;
};

class TFactory : public IClassFactory {
public:
  STDMETHODIMP QueryInterface(REFIID Iid, void** Out) override {
    if (Out == nullptr) return E_POINTER;
    *Out = nullptr;
    if (!IsEqualIID(Iid, IID_IUnknown) && !IsEqualIID(Iid, IID_IClassFactory)) return E_NOINTERFACE;
    *Out = this;
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* Outer, REFIID Iid, void** Out) override {
    if (Out == nullptr) return E_POINTER;
    *Out = nullptr;
    if (Outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* D = new TDocument;
    HRESULT Hr = D->QueryInterface(Iid, Out);
    D->Release();
    return Hr;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

TFactory Factory;

TDocument* DocumentOf(IUnknown* Object) {
  void* P = nullptr;
  if (Object == nullptr || FAILED(Object->QueryInterface(IID_TestDocumentSelf, &P))) return nullptr;
  auto* D = static_cast<TDocument*>(P);
  D->Release();  // the caller holds the object
  return D;
}

}  // namespace

TTestDocumentServer::TTestDocumentServer() {
  if (FAILED(CoRegisterClassObject(CLSID_TestDocument, &Factory, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                   REGCLS_MULTIPLEUSE, &FCookie)))
    FCookie = 0;
}

TTestDocumentServer::~TTestDocumentServer() {
  if (FCookie != 0) CoRevokeClassObject(FCookie);
}

bool TTestDocumentServer::WriteDocument(const std::wstring& FileName, const std::string& Text) {
  IStorage* S = nullptr;
  if (FAILED(StgCreateDocfile(FileName.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &S)))
    return false;
  HRESULT Hr = WriteText(S, Text);
  if (SUCCEEDED(Hr)) Hr = S->Commit(STGC_DEFAULT);
  S->Release();
  return SUCCEEDED(Hr);
}

bool TTestDocumentServer::ReadDocument(const std::wstring& FileName, std::string& Text) {
  IStorage* S = nullptr;
  if (FAILED(StgOpenStorage(FileName.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, &S)))
    return false;
  CLSID Id{};
  bool Ok = SUCCEEDED(ReadClassStg(S, &Id)) && IsEqualCLSID(Id, CLSID_TestDocument) && ReadText(S, Text);
  S->Release();
  return Ok;
}

bool TTestDocumentServer::ObjectText(IUnknown* Object, std::string& Text) {
  TDocument* D = DocumentOf(Object);
  if (D == nullptr) return false;
  Text = D->Text;
  return true;
}

bool TTestDocumentServer::SetObjectText(IUnknown* Object, const std::string& Text) {
  TDocument* D = DocumentOf(Object);
  if (D == nullptr) return false;
  D->Text = Text;
  D->Dirty = true;
  return true;
}
