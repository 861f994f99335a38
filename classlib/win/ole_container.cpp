#include "classlib/win/ole_container.h"

#include <oledlg.h>

#include <cstdio>
#include <cwchar>

#include "classlib/core/sys_utils.h"
#include "classlib/win/graphics.h"
#include "classlib/win/wide_string.h"

template <> const TTypeInfo* TypeInfoOf<TAutoActivate>() {
  static const TTypeInfo Info = EnumTypeInfo("TAutoActivate", {"aaManual", "aaGetFocus", "aaDoubleClick"});
  return &Info;
}

namespace {

// The results of OLE's own that the system often has no text for.
const char* OleText(HRESULT Hr) {
  switch (Hr) {
    case MK_E_INVALIDEXTENSION:
    case REGDB_E_CLASSNOTREG:
      return "no program of this system serves documents of this kind";
    case E_NOINTERFACE:
      return "its program cannot embed it here as a document";
    case E_NOTIMPL:
      return "its program does not support this";
    default:
      return nullptr;
  }
}

[[noreturn]] void RaiseOle(HRESULT Hr, const std::string& What) {
  std::string Text = OleText(Hr) != nullptr ? OleText(Hr) : SysErrorMessage(int(Hr));
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

namespace {

// An empty storage in memory for a new object: nothing of it is left on disk.
IStorage* NewMemoryStorage() {
  ILockBytes* Bytes = nullptr;
  Check(CreateILockBytesOnHGlobal(nullptr, TRUE, &Bytes));
  IStorage* Storage = nullptr;
  HRESULT Hr = StgCreateDocfileOnILockBytes(Bytes, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, &Storage);
  Bytes->Release();
  Check(Hr);
  return Storage;
}

std::wstring FullPath(const std::string& FileName) {
  const std::wstring Name = ToWide(FileName);
  DWORD N = GetFullPathNameW(Name.c_str(), 0, nullptr, nullptr);
  if (N == 0) return Name;
  std::wstring Full(N, L'\0');
  N = GetFullPathNameW(Name.c_str(), N, Full.data(), nullptr);
  Full.resize(N);
  return Full;
}

// The name the class gives itself, else its identifier.
std::string UserTypeName(REFCLSID Id) {
  LPOLESTR Name = nullptr;
  if (SUCCEEDED(OleRegGetUserType(Id, USERCLASSTYPE_FULL, &Name)) && Name != nullptr) {
    std::string S = FromWide(Name);
    CoTaskMemFree(Name);
    if (!S.empty()) return S;
  }
  wchar_t Buf[64] = {};
  StringFromGUID2(Id, Buf, 64);
  return FromWide(Buf);
}

// A new empty file beside Target with Target's extension (some programs choose the format
// they write by it); its name is returned.
std::wstring ReserveSiblingFile(const std::wstring& Target) {
  const size_t Slash = Target.find_last_of(L"\\/");
  const std::wstring Dir = Slash == std::wstring::npos ? L"." : Target.substr(0, Slash);
  const size_t Dot = Target.find_last_of(L'.');
  const std::wstring Ext = Dot != std::wstring::npos && (Slash == std::wstring::npos || Dot > Slash) ? Target.substr(Dot) : L"";
  DWORD Seed = GetTickCount() ^ GetCurrentProcessId();
  for (int I = 0; I < 100; ++I) {
    wchar_t Part[32];
    std::swprintf(Part, 32, L"\\~zx%08lx", static_cast<unsigned long>(Seed + I));
    std::wstring Name = Dir + Part + Ext;
    HANDLE H = CreateFileW(Name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (H != INVALID_HANDLE_VALUE) {
      CloseHandle(H);
      return Name;
    }
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
      RaiseOle(HRESULT_FROM_WIN32(GetLastError()), "\"" + FromWide(Target) + "\"");
  }
  RaiseOle(HRESULT_FROM_WIN32(ERROR_FILE_EXISTS), "\"" + FromWide(Target) + "\"");
}

}  // namespace

void TOleContainer::Adopt(IOleObject* Object, IStorage* Storage, DWORD Aspect) {
  DestroyObject();
  FObject = Object;
  FStorage = Storage;
  FDrawAspect = Aspect;
  IOleClientSite* Site = nullptr;
  if (FAILED(FObject->GetClientSite(&Site)) || Site == nullptr)
    FObject->SetClientSite(FSite);
  else
    Site->Release();
  FObject->SetHostNames(L"Zembrix", L"");
  OleSetContainedObject(FObject, TRUE);
  SetModified(false);
  if (HandleAllocated()) Invalidate();
}

void TOleContainer::CreateObject(const std::string& OleClassName, bool Iconic) {
  EnsureOle();
  CLSID Id{};
  const std::wstring Name = ToWide(OleClassName);
  HRESULT Hr = !Name.empty() && Name[0] == L'{' ? CLSIDFromString(Name.c_str(), &Id) : CLSIDFromProgID(Name.c_str(), &Id);
  if (FAILED(Hr)) RaiseOle(Hr, "\"" + OleClassName + "\"");
  DestroyObject();
  IStorage* Storage = NewMemoryStorage();
  const DWORD Aspect = Iconic ? DVASPECT_ICON : DVASPECT_CONTENT;
  FORMATETC Format{0, nullptr, Aspect, -1, TYMED_NULL};
  IOleObject* Object = nullptr;
  Hr = OleCreate(Id, IID_IOleObject, OLERENDER_DRAW, Iconic ? &Format : nullptr, FSite, Storage,
                 reinterpret_cast<void**>(&Object));
  if (FAILED(Hr) || Object == nullptr) {
    Storage->Release();
    RaiseOle(FAILED(Hr) ? Hr : E_UNEXPECTED, "\"" + OleClassName + "\"");
  }
  Adopt(Object, Storage, Aspect);
}

void TOleContainer::CreateObjectFromFile(const std::string& FileName, bool Linked) {
  EnsureOle();
  if (Linked) throw EOleSysError("\"" + FileName + "\": linked documents are not supported", E_NOTIMPL);
  const std::wstring Name = FullPath(FileName);
  const DWORD Attr = GetFileAttributesW(Name.c_str());
  if (Attr == INVALID_FILE_ATTRIBUTES) RaiseOle(HRESULT_FROM_WIN32(GetLastError()), "\"" + FileName + "\"");
  if (Attr & FILE_ATTRIBUTE_DIRECTORY) RaiseOle(HRESULT_FROM_WIN32(ERROR_DIRECTORY), "\"" + FileName + "\"");
  IStorage* Storage = NewMemoryStorage();
  IOleObject* Object = nullptr;
  HRESULT Hr = OleCreateFromFile(CLSID_NULL, Name.c_str(), IID_IOleObject, OLERENDER_DRAW, nullptr, FSite, Storage,
                                 reinterpret_cast<void**>(&Object));
  if (FAILED(Hr) || Object == nullptr) {
    if (Object != nullptr) Object->Release();
    Storage->Release();
    RaiseOle(FAILED(Hr) ? Hr : E_UNEXPECTED, "\"" + FileName + "\"");
  }
  Adopt(Object, Storage, DVASPECT_CONTENT);
}

void TOleContainer::SaveToFile(const std::string& FileName) {
  if (FObject == nullptr) RaiseOle(E_UNEXPECTED, "There is no document to save");
  const std::wstring Target = FullPath(FileName);
  const std::string Shown = "\"" + FileName + "\"";
  IPersistFile* File = nullptr;
  IPersistStorage* Persist = nullptr;
  if (FAILED(FObject->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&File)))) File = nullptr;
  if (File == nullptr && FAILED(FObject->QueryInterface(IID_IPersistStorage, reinterpret_cast<void**>(&Persist))))
    RaiseOle(E_NOINTERFACE, Shown + ": the document cannot be saved");
  // Written beside the target first: a failure halfway leaves the old file whole.
  std::wstring Temp;
  try {
    Temp = ReserveSiblingFile(Target);
  } catch (...) {
    if (File != nullptr) File->Release();
    if (Persist != nullptr) Persist->Release();
    throw;
  }
  HRESULT Hr;
  if (File != nullptr) {
    Hr = File->Save(Temp.c_str(), FALSE);
    File->SaveCompleted(Temp.c_str());
    File->Release();
  } else {
    IStorage* Storage = nullptr;
    Hr = StgCreateDocfile(Temp.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &Storage);
    if (SUCCEEDED(Hr)) {
      Hr = OleSave(Persist, Storage, FALSE);
      if (SUCCEEDED(Hr)) Hr = Storage->Commit(STGC_DEFAULT);
      Storage->Release();
    }
    Persist->SaveCompleted(nullptr);
    Persist->Release();
  }
  if (SUCCEEDED(Hr) &&
      !MoveFileExW(Temp.c_str(), Target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
    Hr = HRESULT_FROM_WIN32(GetLastError());
  if (FAILED(Hr)) {
    DeleteFileW(Temp.c_str());
    RaiseOle(Hr, Shown);
  }
  SetModified(false);
}

bool TOleContainer::InsertObjectDialog() {
  EnsureOle();
  HMODULE Dll = LoadLibraryW(L"oledlg.dll");
  using TInsertW = UINT(WINAPI*)(LPOLEUIINSERTOBJECTW);
  using TInsertA = UINT(WINAPI*)(LPOLEUIINSERTOBJECTA);
  auto Proc = [Dll](const char* Name) { return Dll != nullptr ? reinterpret_cast<void*>(GetProcAddress(Dll, Name)) : nullptr; };
  auto RunW = reinterpret_cast<TInsertW>(Proc("OleUIInsertObjectW"));
  auto RunA = reinterpret_cast<TInsertA>(Proc("OleUIInsertObjectA"));
  if (RunW == nullptr && RunA == nullptr) {
    if (Dll != nullptr) FreeLibrary(Dll);
    RaiseOle(HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND), "The insert-object dialog is not available on this system");
  }
  const DWORD Flags = IOF_SELECTCREATENEW | IOF_DISABLELINK | IOF_DISABLEDISPLAYASICON;
  HWND Owner = HandleAllocated() ? GetAncestor(Handle(), GA_ROOT) : GetActiveWindow();
  UINT R = OLEUI_FALSE;
  DWORD Chosen = 0;
  CLSID Class{};
  std::string FileName;
  bool Ran = false;
  if (RunW != nullptr) {
    wchar_t File[MAX_PATH] = {};
    OLEUIINSERTOBJECTW D{};
    D.cbStruct = sizeof D;
    D.dwFlags = Flags;
    D.hWndOwner = Owner;
    D.lpszFile = File;
    D.cchFile = MAX_PATH;
    SetLastError(ERROR_SUCCESS);
    R = RunW(&D);
    // Some systems have only the ANSI dialog; the wide one then does nothing.
    Ran = !(R == OLEUI_FALSE && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED);
    Chosen = D.dwFlags;
    Class = D.clsid;
    FileName = FromWide(File);
  }
  if (!Ran && RunA != nullptr) {
    char File[MAX_PATH] = {};
    OLEUIINSERTOBJECTA D{};
    D.cbStruct = sizeof D;
    D.dwFlags = Flags;
    D.hWndOwner = Owner;
    D.lpszFile = File;
    D.cchFile = MAX_PATH;
    R = RunA(&D);
    Ran = true;
    Chosen = D.dwFlags;
    Class = D.clsid;
    wchar_t Wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, File, -1, Wide, MAX_PATH);
    FileName = FromWide(Wide);
  }
  FreeLibrary(Dll);
  if (!Ran) RaiseOle(HRESULT_FROM_WIN32(ERROR_CALL_NOT_IMPLEMENTED), "The insert-object dialog is not available on this system");
  // Cancel, or a dialog closed without a choice.
  if (R == OLEUI_CANCEL || R == OLEUI_FALSE) return false;
  if (R != OLEUI_OK) {
    char Buf[64];
    std::snprintf(Buf, sizeof Buf, "The insert-object dialog failed (code %u)", R);
    RaiseOle(E_FAIL, Buf);
  }
  if (Chosen & IOF_SELECTCREATEFROMFILE) {
    CreateObjectFromFile(FileName, false);
    return true;
  }
  // A new object of the chosen class; what was there stays when it cannot be made.
  IStorage* Storage = NewMemoryStorage();
  IOleObject* Object = nullptr;
  HRESULT Hr = OleCreate(Class, IID_IOleObject, OLERENDER_DRAW, nullptr, FSite, Storage,
                         reinterpret_cast<void**>(&Object));
  if (FAILED(Hr) || Object == nullptr) {
    Storage->Release();
    RaiseOle(FAILED(Hr) ? Hr : E_UNEXPECTED, "\"" + UserTypeName(Class) + "\"");
  }
  Adopt(Object, Storage, DVASPECT_CONTENT);
  return true;
}

bool TOleContainer::ObjectDirty() const {
  if (FObject == nullptr) return false;
  HRESULT Hr = S_FALSE;
  IPersistFile* File = nullptr;
  IPersistStorage* Persist = nullptr;
  if (SUCCEEDED(FObject->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&File))) && File != nullptr) {
    Hr = File->IsDirty();
    File->Release();
  } else if (SUCCEEDED(FObject->QueryInterface(IID_IPersistStorage, reinterpret_cast<void**>(&Persist))) &&
             Persist != nullptr) {
    Hr = Persist->IsDirty();
    Persist->Release();
  }
  return Hr == S_OK;
}

bool TOleContainer::Modified() const { return FModified || (!FDirtyAtClear && ObjectDirty()); }

void TOleContainer::SetModified(bool Value) {
  FModified = Value;
  if (!Value) FDirtyAtClear = ObjectDirty();
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
  FModified = false;
  FDirtyAtClear = false;
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

bool TOleContainer::IsMenuKey(const MSG& Msg) {
  if ((Msg.message == WM_KEYDOWN || Msg.message == WM_SYSKEYDOWN) && Msg.hwnd != FHandle && FInPlace != nullptr &&
      OnKeyDown) {
    uint16_t Key = static_cast<uint16_t>(Msg.wParam);
    OnKeyDown(this, Key, KeyDataToShiftState(Msg.lParam));
    if (Key == 0) return true;
  }
  return TCustomControl::IsMenuKey(Msg);
}
