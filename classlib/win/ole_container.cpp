#include "classlib/win/ole_container.h"

#include <cstdio>

#include "classlib/core/sys_utils.h"
#include "classlib/win/graphics.h"
#include "classlib/win/wide_string.h"

template <> const TTypeInfo* TypeInfoOf<TAutoActivate>() {
  static const TTypeInfo Info = EnumTypeInfo("TAutoActivate", {"aaManual", "aaGetFocus", "aaDoubleClick"});
  return &Info;
}

namespace {

[[noreturn]] void RaiseOle(HRESULT Hr, const std::string& What) {
  std::string Text = SysErrorMessage(int(Hr));
  if (Text.empty()) {
    char Buf[32];
    std::snprintf(Buf, sizeof Buf, "OLE error %08lX", static_cast<unsigned long>(Hr));
    Text = Buf;
  }
  throw EOleSysError(What.empty() ? Text : What + ": " + Text, Hr);
}

void Check(HRESULT Hr, const std::string& What = "") {
  if (FAILED(Hr)) RaiseOle(Hr, What);
}

// OLE is started once per thread, for as long as the thread lives.
void EnsureOle() {
  thread_local bool Started = false;
  if (Started) return;
  HRESULT Hr = OleInitialize(nullptr);
  if (FAILED(Hr)) RaiseOle(Hr, "OLE cannot be started");
  Started = true;
}

}  // namespace

// What the embedded object talks to: the container as its client site, its in-place
// site and the frame around it. The container keeps one reference; the object may keep
// others past the container's end, so the site forgets the container then.
class TOleContainer::TSite : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
public:
  explicit TSite(TOleContainer* Owner) : FOwner(Owner) {}
  void Detach() { FOwner = nullptr; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID Iid, void** Out) override {
    if (Out == nullptr) return E_POINTER;
    *Out = nullptr;
    if (IsEqualIID(Iid, IID_IUnknown) || IsEqualIID(Iid, IID_IOleClientSite))
      *Out = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(Iid, IID_IOleWindow) || IsEqualIID(Iid, IID_IOleInPlaceSite))
      *Out = static_cast<IOleInPlaceSite*>(this);
    else if (IsEqualIID(Iid, IID_IOleInPlaceUIWindow) || IsEqualIID(Iid, IID_IOleInPlaceFrame))
      *Out = static_cast<IOleInPlaceFrame*>(this);
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

  // IOleClientSite
  STDMETHODIMP SaveObject() override {
    if (FOwner == nullptr || FOwner->FObject == nullptr || FOwner->FStorage == nullptr) return E_FAIL;
    IPersistStorage* P = nullptr;
    HRESULT Hr = FOwner->FObject->QueryInterface(IID_IPersistStorage, reinterpret_cast<void**>(&P));
    if (FAILED(Hr)) return Hr;
    Hr = OleSave(P, FOwner->FStorage, TRUE);
    P->SaveCompleted(nullptr);
    P->Release();
    return Hr;
  }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** Out) override {
    if (Out != nullptr) *Out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** Out) override {
    if (Out != nullptr) *Out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override {
    if (FOwner != nullptr && FOwner->HandleAllocated()) FOwner->Invalidate();
    return S_OK;
  }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (for the in-place site and the frame alike)
  STDMETHODIMP GetWindow(HWND* Out) override {
    if (Out == nullptr) return E_POINTER;
    *Out = FOwner != nullptr ? FOwner->Handle() : nullptr;
    return *Out != nullptr ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override {
    return FOwner != nullptr && FOwner->FDrawAspect == DVASPECT_CONTENT ? S_OK : S_FALSE;
  }
  STDMETHODIMP OnInPlaceActivate() override {
    if (FOwner == nullptr || FOwner->FObject == nullptr) return E_UNEXPECTED;
    if (FOwner->FInPlace == nullptr)
      FOwner->FObject->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&FOwner->FInPlace));
    return S_OK;
  }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** Frame, IOleInPlaceUIWindow** Doc, LPRECT PosRect, LPRECT ClipRect,
                                LPOLEINPLACEFRAMEINFO Info) override {
    if (Frame == nullptr || Doc == nullptr || PosRect == nullptr || ClipRect == nullptr || Info == nullptr)
      return E_POINTER;
    *Frame = nullptr;
    *Doc = nullptr;
    if (FOwner == nullptr) return E_UNEXPECTED;
    *Frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *PosRect = FOwner->ObjectRect();
    *ClipRect = *PosRect;
    Info->cb = sizeof(OLEINPLACEFRAMEINFO);
    Info->fMDIApp = FALSE;
    Info->hwndFrame = GetAncestor(FOwner->Handle(), GA_ROOT);
    Info->haccel = nullptr;
    Info->cAccelEntries = 0;
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override {
    if (FOwner != nullptr && FOwner->FInPlace != nullptr) {
      FOwner->FInPlace->Release();
      FOwner->FInPlace = nullptr;
      if (FOwner->HandleAllocated()) FOwner->Invalidate();
    }
    return S_OK;
  }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override {
    if (FOwner != nullptr) FOwner->Deactivate();
    return S_OK;
  }
  STDMETHODIMP OnPosRectChange(LPCRECT Rect) override {
    if (FOwner != nullptr && FOwner->FInPlace != nullptr && Rect != nullptr) {
      RECT R = FOwner->ObjectRect();
      FOwner->FInPlace->SetObjectRects(Rect, &R);
    }
    return S_OK;
  }

  // IOleInPlaceUIWindow and IOleInPlaceFrame: no tool space, menus or status line to share.
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS Widths) override {
    return Widths == nullptr ? S_OK : INPLACE_E_NOTOOLSPACE;
  }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS Widths) override {
    if (Widths != nullptr) Widths->width[0] = Widths->width[2] = Widths->width[4] = 0;
    return S_OK;
  }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
  virtual ~TSite() = default;
  TOleContainer* FOwner;
  ULONG FRefs = 1;
};

const TClassInfo* TOleContainer::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TOleContainer, TCustomControl>("TOleContainer")
          .Prop("AutoActivate", &TOleContainer::AutoActivate, &TOleContainer::SetAutoActivate)
          .Build();
  return &Info;
}

void RegisterOleContainer() {
  static const bool Done = (RegisterClass(TOleContainer::StaticClassInfo()), true);
  (void)Done;
}

TOleContainer::TOleContainer(TComponent* AOwner) : TCustomControl(AOwner), FSite(new TSite(this)) {
  FWidth = 121;
  FHeight = 121;
  FTabStop = true;
  FColor = clWindow;
}

TOleContainer::~TOleContainer() {
  DestroyObject();
  FSite->Detach();
  FSite->Release();
}

RECT TOleContainer::ObjectRect() {
  RECT R{0, 0, Width(), Height()};
  if (HandleAllocated()) GetClientRect(FHandle, &R);
  return R;
}

void TOleContainer::CreateObject(const std::string& OleClassName, bool Iconic) {
  EnsureOle();
  CLSID Id{};
  const std::wstring Name = ToWide(OleClassName);
  HRESULT Hr = !Name.empty() && Name[0] == L'{' ? CLSIDFromString(Name.c_str(), &Id) : CLSIDFromProgID(Name.c_str(), &Id);
  if (FAILED(Hr)) RaiseOle(Hr, "\"" + OleClassName + "\"");
  DestroyObject();
  // The object's storage lives in memory: nothing is left on disk.
  ILockBytes* Bytes = nullptr;
  Check(CreateILockBytesOnHGlobal(nullptr, TRUE, &Bytes));
  Hr = StgCreateDocfileOnILockBytes(Bytes, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, &FStorage);
  Bytes->Release();
  Check(Hr);
  FDrawAspect = Iconic ? DVASPECT_ICON : DVASPECT_CONTENT;
  FORMATETC Format{0, nullptr, FDrawAspect, -1, TYMED_NULL};
  Hr = OleCreate(Id, IID_IOleObject, OLERENDER_DRAW, Iconic ? &Format : nullptr, FSite, FStorage,
                 reinterpret_cast<void**>(&FObject));
  if (FAILED(Hr)) {
    FObject = nullptr;
    FStorage->Release();
    FStorage = nullptr;
    RaiseOle(Hr, "\"" + OleClassName + "\"");
  }
  FObject->SetHostNames(L"Zembrix", L"");
  OleSetContainedObject(FObject, TRUE);
  if (HandleAllocated()) Invalidate();
}

void TOleContainer::Deactivate() {
  if (FInPlace == nullptr) return;
  IOleInPlaceObject* P = FInPlace;
  P->AddRef();
  P->InPlaceDeactivate();
  P->Release();
  // An object that did not say so itself is let go of here.
  if (FInPlace != nullptr) {
    FInPlace->Release();
    FInPlace = nullptr;
  }
  if (HandleAllocated()) Invalidate();
}

void TOleContainer::DestroyObject() {
  Deactivate();
  if (FObject != nullptr) {
    IOleObject* O = FObject;
    FObject = nullptr;
    O->Close(OLECLOSE_NOSAVE);
    O->SetClientSite(nullptr);
    O->Release();
  }
  if (FStorage != nullptr) {
    FStorage->Release();
    FStorage = nullptr;
  }
  if (HandleAllocated()) Invalidate();
}

void TOleContainer::DoVerb(int Verb) {
  if (FObject == nullptr) return;
  RECT R = ObjectRect();
  HRESULT Hr = FObject->DoVerb(Verb, nullptr, FSite, 0, Handle(), &R);
  // An object without a default action of its own is shown, in place where it can be.
  if (Verb == OLEIVERB_PRIMARY && (Hr == E_NOTIMPL || Hr == OLEOBJ_E_NOVERBS || Hr == OLEOBJ_S_INVALIDVERB))
    Hr = FObject->DoVerb(OLEIVERB_SHOW, nullptr, FSite, 0, Handle(), &R);
  Check(Hr);
}

HWND TOleContainer::InPlaceWindow() const {
  HWND W = nullptr;
  if (FInPlace != nullptr && FAILED(FInPlace->GetWindow(&W))) W = nullptr;
  return W;
}

void TOleContainer::Paint() {
  HDC DC = Canvas()->Handle();
  RECT R = ObjectRect();
  HBRUSH B = CreateSolidBrush(ColorToRGB(Color()));
  FillRect(DC, &R, B);
  DeleteObject(B);
  if (FObject != nullptr && FInPlace == nullptr) OleDraw(FObject, FDrawAspect, DC, &R);
}

void TOleContainer::Resize() {
  TCustomControl::Resize();
  if (FInPlace != nullptr) {
    RECT R = ObjectRect();
    FInPlace->SetObjectRects(&R, &R);
  }
}

// The object's window is a child of this one: it goes before this window does.
void TOleContainer::DestroyWnd() {
  Deactivate();
  TCustomControl::DestroyWnd();
}

void TOleContainer::WndProc(TMessage& M) {
  TCustomControl::WndProc(M);
  if (FObject == nullptr || FInPlace != nullptr) return;
  if (M.Msg == WM_SETFOCUS && FAutoActivate == aaGetFocus) DoVerb(OLEIVERB_SHOW);
  if (M.Msg == WM_LBUTTONDBLCLK && FAutoActivate == aaDoubleClick) DoVerb(OLEIVERB_PRIMARY);
}
