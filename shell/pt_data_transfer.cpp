#include "shell/pt_data_transfer.h"

#include <cstring>
#include <new>

#include "classlib/win/wide_string.h"
#include "shell/core/shell_media.h"
#include "shell/pt_shell_locator.h"

// ---------------------------------------------------------------------------------------
// Formats

TPTFormatEtcList::TPTFormatEtcList(const std::vector<UINT>& Formats) {
  for (UINT F : Formats) FItems.push_back(FORMATETC{CLIPFORMAT(F), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
}

TPTFormatEtcList::~TPTFormatEtcList() {
  for (FORMATETC& F : FItems)
    if (F.ptd != nullptr) CoTaskMemFree(F.ptd);
}

HRESULT TPTFormatEtcList::QueryGetData(const FORMATETC& Format) const {
  if (Format.dwAspect != DVASPECT_CONTENT) return DV_E_FORMATETC;
  bool Found = false;
  for (const FORMATETC& F : FItems) {
    if (F.cfFormat != Format.cfFormat) continue;
    if ((F.tymed & Format.tymed) != 0) return S_OK;
    Found = true;
  }
  return Found ? DV_E_TYMED : DV_E_FORMATETC;
}

FORMATETC CopyFormatEtc(const FORMATETC& Source) {
  FORMATETC R = Source;
  R.ptd = nullptr;
  if (Source.ptd != nullptr) {
    DWORD Size = Source.ptd->tdSize;
    if (auto* Copy = static_cast<DVTARGETDEVICE*>(CoTaskMemAlloc(Size))) {
      std::memcpy(Copy, Source.ptd, Size);
      R.ptd = Copy;
    }
  }
  return R;
}

namespace {

class TPTFormatEtcList_IEnumFormatEtc : public TComObject<IEnumFORMATETC> {
public:
  TPTFormatEtcList_IEnumFormatEtc(std::shared_ptr<const TPTFormatEtcList> List, size_t Start)
      : FList(std::move(List)), FPos(Start) {}

  HRESULT STDMETHODCALLTYPE Next(ULONG Count, FORMATETC* Records, ULONG* Fetched) override {
    if (Records == nullptr) return E_POINTER;
    ULONG Done = 0;
    while (Done < Count && FPos < size_t(FList->Count())) Records[Done++] = CopyFormatEtc(FList->Items(int(FPos++)));
    if (Fetched != nullptr) *Fetched = Done;
    return Done == Count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG Count) override {
    size_t Left = size_t(FList->Count()) - FPos;
    if (Count > Left) {
      FPos = size_t(FList->Count());
      return S_FALSE;
    }
    FPos += Count;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    FPos = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** Result) override {
    if (Result == nullptr) return E_POINTER;
    *Result = new (std::nothrow) TPTFormatEtcList_IEnumFormatEtc(FList, FPos);
    return *Result != nullptr ? S_OK : E_OUTOFMEMORY;
  }

private:
  // Shared with the data object, so the enumerator may outlive it.
  std::shared_ptr<const TPTFormatEtcList> FList;
  size_t FPos;
};

}  // namespace

IEnumFORMATETC* CreateFormatEtcEnumerator(std::shared_ptr<const TPTFormatEtcList> List, size_t Start) {
  return new (std::nothrow) TPTFormatEtcList_IEnumFormatEtc(std::move(List), Start);
}

// ---------------------------------------------------------------------------------------
// Media

namespace {

HRESULT BytesMedium(const TMediumBytes& Bytes, UINT Flags, HGLOBAL& Medium) {
  Medium = GlobalAlloc(Flags, Bytes.size());
  if (Medium == nullptr) return E_OUTOFMEMORY;
  void* P = GlobalLock(Medium);
  if (P == nullptr) {
    GlobalFree(Medium);
    Medium = nullptr;
    return E_OUTOFMEMORY;
  }
  std::memcpy(P, Bytes.data(), Bytes.size());
  GlobalUnlock(Medium);
  return S_OK;
}

UINT PreferredEffectFormat() {
  static const UINT Format = RegisterClipboardFormatW(L"Preferred DropEffect");
  return Format;
}

}  // namespace

HRESULT MakeTextMedium(const std::string& Text, HGLOBAL& Medium) {
  TMediumBytes Bytes(Text.begin(), Text.end());
  Bytes.push_back(0);
  return BytesMedium(Bytes, GMEM_FIXED, Medium);
}

HRESULT MakeHDropMedium(const std::vector<std::wstring>& Paths, HGLOBAL& Medium) {
  std::vector<std::u16string> Names;
  for (const std::wstring& P : Paths) Names.emplace_back(P.begin(), P.end());
  return BytesMedium(MakeHDropBytes(Names), GHND, Medium);
}

HRESULT MakeIdListMedium(PCItemIDList Parent, const std::vector<PCItemIDList>& Children, HGLOBAL& Medium) {
  std::vector<const void*> Lists(Children.begin(), Children.end());
  return BytesMedium(MakeCidaBytes(Parent, Lists), GHND, Medium);
}

HGLOBAL CopyHGlobal(HGLOBAL Block) {
  if (Block == nullptr) return nullptr;
  SIZE_T Size = GlobalSize(Block);
  HGLOBAL Copy = GlobalAlloc(GMEM_MOVEABLE, Size);
  if (Copy == nullptr) return nullptr;
  const void* From = GlobalLock(Block);
  void* To = GlobalLock(Copy);
  if (From == nullptr || To == nullptr) {
    if (From != nullptr) GlobalUnlock(Block);
    if (To != nullptr) GlobalUnlock(Copy);
    GlobalFree(Copy);
    return nullptr;
  }
  std::memcpy(To, From, Size);
  GlobalUnlock(Block);
  GlobalUnlock(Copy);
  return Copy;
}

// ---------------------------------------------------------------------------------------
// The data object

namespace {

class TShellDataObject : public TComObject<IDataObject> {
public:
  explicit TShellDataObject(std::shared_ptr<const TPTFormatEtcList> Formats) : FFormats(std::move(Formats)) {}

  // The prepared blocks, one per offered format (0 when it could not be made).
  std::vector<std::pair<UINT, HGLOBAL>> Blocks;

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* Format, STGMEDIUM* Medium) override {
    if (Format == nullptr || Medium == nullptr) return E_POINTER;
    HRESULT Hr = FFormats->QueryGetData(*Format);
    if (FAILED(Hr)) return Hr;
    for (const auto& [F, Block] : Blocks) {
      if (F != Format->cfFormat) continue;
      HGLOBAL Copy = CopyHGlobal(Block);
      if (Copy == nullptr) return E_OUTOFMEMORY;
      Medium->tymed = TYMED_HGLOBAL;
      Medium->hGlobal = Copy;
      Medium->pUnkForRelease = nullptr;
      return S_OK;
    }
    return DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* Format) override {
    return Format != nullptr ? FFormats->QueryGetData(*Format) : E_POINTER;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* Out) override {
    if (Out != nullptr) Out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD Direction, IEnumFORMATETC** Result) override {
    if (Result == nullptr) return E_POINTER;
    *Result = nullptr;
    if (Direction != DATADIR_GET) return E_NOTIMPL;
    *Result = CreateFormatEtcEnumerator(FFormats);
    return *Result != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
  ~TShellDataObject() override {
    for (auto& B : Blocks)
      if (B.second != nullptr) GlobalFree(B.second);
  }
  std::shared_ptr<const TPTFormatEtcList> FFormats;
};

// The parsing name of a child: its path for objects of the file system.
std::wstring ParsingName(IShellFolder* Folder, PCItemIDList Child) {
  STRRET Str{};
  Str.uType = STRRET_CSTR;
  if (Folder == nullptr || FAILED(Folder->GetDisplayNameOf(Child, SHGDN_FORPARSING, &Str))) return {};
  switch (Str.uType) {
    case STRRET_WSTR: {
      std::wstring Name = Str.pOleStr != nullptr ? Str.pOleStr : L"";
      CoTaskMemFree(Str.pOleStr);
      return Name;
    }
    case STRRET_OFFSET:
    case STRRET_CSTR: {
      const char* A = Str.uType == STRRET_CSTR ? Str.cStr : reinterpret_cast<const char*>(Child) + Str.uOffset;
      int Len = MultiByteToWideChar(CP_ACP, 0, A, -1, nullptr, 0);
      if (Len <= 1) return {};
      std::wstring Name(size_t(Len - 1), L'\0');
      MultiByteToWideChar(CP_ACP, 0, A, -1, Name.data(), Len);
      return Name;
    }
  }
  return {};
}

}  // namespace

TComPtr<IDataObject> CreateShellDataObject(PCItemIDList ParentList, const std::vector<PCItemIDList>& Children,
                                           DWORD PreferredEffect) {
  if (Children.empty()) return {};
  auto Formats = std::make_shared<const TPTFormatEtcList>(
      std::vector<UINT>{CFShellIDList(), CF_HDROP, CF_TEXT, PreferredEffectFormat()});
  TComPtr<IDataObject> Result(new TShellDataObject(Formats));
  auto* Object = static_cast<TShellDataObject*>(Result.Get());

  TComPtr<IShellFolder> Folder;
  GetShellFolder(ParentList, Folder.Out());
  std::vector<std::wstring> Paths;
  std::string Text;
  for (PCItemIDList Child : Children) {
    std::wstring Name = ParsingName(Folder.Get(), Child);
    Text += FromWide(Name) + "\r\n";
    Paths.push_back(std::move(Name));
  }
  HGLOBAL IdList = nullptr, Drop = nullptr, TextBlock = nullptr, Effect = nullptr;
  MakeIdListMedium(ParentList, Children, IdList);
  MakeHDropMedium(Paths, Drop);
  MakeTextMedium(Text, TextBlock);
  TMediumBytes EffectBytes = MakeDropEffectBytes(PreferredEffect == DROPEFFECT_MOVE ? DROPEFFECT_MOVE : DROPEFFECT_COPY);
  BytesMedium(EffectBytes, GHND, Effect);
  Object->Blocks = {{CFShellIDList(), IdList}, {CF_HDROP, Drop}, {CF_TEXT, TextBlock}, {PreferredEffectFormat(), Effect}};
  return Result;
}

HRESULT SetClipboardItems(PCItemIDList ParentList, const std::vector<PCItemIDList>& Children, DWORD Effect) {
  TComPtr<IDataObject> Data = CreateShellDataObject(ParentList, Children, Effect);
  if (!Data) return E_INVALIDARG;
  HRESULT Hr = OleSetClipboard(Data.Get());
  if (FAILED(Hr)) return Hr;
  // The clipboard keeps its own copies, valid after the items' window is gone.
  return OleFlushClipboard();
}

// ---------------------------------------------------------------------------------------
// The drop source

TDropSource_shlvtv::TDropSource_shlvtv(int ButtonKind)
    : FButton(ButtonKind == 1 ? MK_RBUTTON : ButtonKind == 2 ? MK_MBUTTON : MK_LBUTTON) {}

HRESULT TDropSource_shlvtv::QueryContinueDrag(BOOL EscapePressed, DWORD KeyState) {
  DWORD Buttons = KeyState & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON);
  if (EscapePressed || (Buttons != 0 && Buttons != FButton)) return DRAGDROP_S_CANCEL;
  return Buttons == FButton ? S_OK : DRAGDROP_S_DROP;
}

HRESULT TDropSource_shlvtv::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }
