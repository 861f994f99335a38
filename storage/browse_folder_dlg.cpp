#include "storage/browse_folder_dlg.h"

#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "classlib/win/application.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/wide_string.h"
#include "storage/core/file_utils.h"
#include "ui/vcl_utils.h"

template <> const TTypeInfo* TypeInfoOf<TBrowseKind>() {
  static const TTypeInfo Info = EnumTypeInfo("TBrowseKind", {"bfFolders", "bfComputers"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TDialogPosition>() {
  static const TTypeInfo Info = EnumTypeInfo("TDialogPosition", {"dpDefault", "dpScreenCenter"});
  return &Info;
}

namespace {

const wchar_t* const kDialogProp = L"ZembrixBrowseFolderDlg";
constexpr int kHelpButtonId = 0x7FFE;

// Item-ID lists from the shell's allocator.
struct TItemIdList {
  LPITEMIDLIST List = nullptr;
  ~TItemIdList() {
    if (List != nullptr) CoTaskMemFree(List);
  }
};

// The other windows of the program stay disabled while the dialog is open.
struct TDisabledWindows {
  std::vector<HWND> List;
  static BOOL CALLBACK Disable(HWND Wnd, LPARAM Param) {
    auto* Self = reinterpret_cast<TDisabledWindows*>(Param);
    if (IsWindowVisible(Wnd) && IsWindowEnabled(Wnd)) {
      Self->List.push_back(Wnd);
      EnableWindow(Wnd, FALSE);
    }
    return TRUE;
  }
  TDisabledWindows() { EnumThreadWindows(GetCurrentThreadId(), Disable, reinterpret_cast<LPARAM>(this)); }
  ~TDisabledWindows() {
    for (HWND Wnd : List)
      if (IsWindow(Wnd)) EnableWindow(Wnd, TRUE);
  }
};

std::string PathOf(LPCITEMIDLIST Item) {
  wchar_t Path[MAX_PATH] = {};
  if (Item == nullptr || !SHGetPathFromIDListW(Item, Path)) return {};
  return FromWideBuf(Path, MAX_PATH);
}

std::string DisplayNameOf(LPCITEMIDLIST Item) {
  SHFILEINFOW Info{};
  if (Item == nullptr || !SHGetFileInfoW(reinterpret_cast<LPCWSTR>(Item), 0, &Info, sizeof Info,
                                         SHGFI_PIDL | SHGFI_DISPLAYNAME))
    return {};
  return FromWideBuf(Info.szDisplayName, MAX_PATH);
}

}  // namespace

const TClassInfo* TBrowseFolderDlg::StaticClassInfo() {
  using D = TBrowseFolderDlg;
  static const TClassInfo Info = TClassBuilder<D, TComponent>("TBrowseFolderDlg")
                                     .Prop("BrowseKind", &D::BrowseKind, &D::SetBrowseKind)
                                     .Prop("DesktopRoot", &D::DesktopRoot, &D::SetDesktopRoot)
                                     .Prop("DialogText", &D::DialogText, &D::SetDialogText)
                                     .Prop("FolderName", &D::FolderName, &D::SetFolderName)
                                     .Prop("HelpContext", &D::HelpContext, &D::SetHelpContext)
                                     .Prop("Position", &D::Position, &D::SetPosition)
                                     .Prop("OnInitialized", &D::OnInitialized)
                                     .Prop("OnSelChanged", &D::OnSelChanged)
                                     .Build();
  return &Info;
}

TBrowseFolderDlg::TBrowseFolderDlg(TComponent* AOwner) : TComponent(AOwner) {}

TBrowseFolderDlg::~TBrowseFolderDlg() = default;

bool TBrowseFolderDlg::Execute() {
  // The shell's browser needs COM on this thread.
  HRESULT Init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  struct TComScope {
    bool Uninit;
    ~TComScope() {
      if (Uninit) CoUninitialize();
    }
  } Com{SUCCEEDED(Init)};
  bool Folders = FBrowseKind == bfFolders;
  TItemIdList Root;
  if (!(FDesktopRoot && Folders))
    SHGetSpecialFolderLocation(nullptr, Folders ? CSIDL_DRIVES : CSIDL_NETWORK, &Root.List);
  std::wstring Title = ToWide(FDialogText);
  wchar_t DisplayName[MAX_PATH] = {};
  BROWSEINFOW Info{};
  Info.hwndOwner = Application != nullptr ? Application->Handle() : nullptr;
  Info.pidlRoot = Root.List;
  Info.pszDisplayName = DisplayName;
  Info.lpszTitle = Title.empty() ? nullptr : Title.c_str();
  Info.ulFlags = Folders ? BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS : BIF_BROWSEFORCOMPUTER;
  Info.lpfn = BrowseCallback;
  Info.lParam = reinterpret_cast<LPARAM>(this);
  HWND Active = GetActiveWindow();
  TItemIdList Chosen;
  {
    TDisabledWindows Disabled;
    Chosen.List = SHBrowseForFolderW(&Info);
  }
  FHandle = nullptr;
  FHelpButton = nullptr;
  FDefWndProc = nullptr;
  if (Active != nullptr && IsWindow(Active)) SetActiveWindow(Active);
  if (Chosen.List == nullptr) return false;
  FFolderName = Folders ? RemoveBackSlash(PathOf(Chosen.List)) : FromWideBuf(DisplayName, MAX_PATH);
  return true;
}

int CALLBACK TBrowseFolderDlg::BrowseCallback(HWND Wnd, UINT Msg, LPARAM LParam, LPARAM Data) {
  auto* Self = reinterpret_cast<TBrowseFolderDlg*>(Data);
  try {
    if (Msg == BFFM_INITIALIZED) {
      Self->FHandle = Wnd;
      Self->DoInitialized();
    } else if (Msg == BFFM_SELCHANGED) {
      Self->FHandle = Wnd;
      Self->DoSelChanged(reinterpret_cast<LPCITEMIDLIST>(LParam));
    }
  } catch (...) {
    if (Application != nullptr) Application->HandleException(Self);
  }
  return 0;
}

LRESULT CALLBACK TBrowseFolderDlg::DialogWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* Self = static_cast<TBrowseFolderDlg*>(GetPropW(Wnd, kDialogProp));
  if (Self == nullptr) return DefWindowProcW(Wnd, Msg, WParam, LParam);
  WNDPROC Def = Self->FDefWndProc;
  if (Msg == WM_COMMAND && LOWORD(WParam) == kHelpButtonId && HIWORD(WParam) == BN_CLICKED) {
    if (HelpContextProc) HelpContextProc(Self->FHelpContext);
    return 0;
  }
  if (Msg == WM_NCDESTROY) {
    SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Def));
    RemovePropW(Wnd, kDialogProp);
  }
  return CallWindowProcW(Def, Wnd, Msg, WParam, LParam);
}

void TBrowseFolderDlg::DoInitialized() {
  if (FPosition == dpScreenCenter) CenterWindow(FHandle);
  SetPropW(FHandle, kDialogProp, this);
  FDefWndProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(FHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DialogWndProc)));
  if (FBrowseKind == bfComputers || DirExists(FFolderName))
    SendMessageW(FHandle, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(ToWide(FFolderName).c_str()));
  if (FHelpContext != 0) AddHelpButton();
  if (OnInitialized) OnInitialized(this);
}

void TBrowseFolderDlg::AddHelpButton() {
  HWND First = FindWindowExW(FHandle, nullptr, L"Button", nullptr);
  if (First == nullptr) return;
  RECT R;
  GetWindowRect(First, &R);
  MapWindowPoints(HWND_DESKTOP, FHandle, reinterpret_cast<POINT*>(&R), 2);
  FHelpButton = CreateWindowExW(0, L"Button", L"&Help", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 12,
                                R.top, R.right - R.left, R.bottom - R.top, FHandle,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kHelpButtonId)),
                                GetModuleHandleW(nullptr), nullptr);
  SendMessageW(FHelpButton, WM_SETFONT, SendMessageW(FHandle, WM_GETFONT, 0, 0), FALSE);
}

void TBrowseFolderDlg::DoSelChanged(LPCITEMIDLIST Item) {
  if (FBrowseKind == bfFolders) {
    FSelectedName = PathOf(Item);
    bool Ok = !FSelectedName.empty() && DirExists(FSelectedName);
    SendMessageW(FHandle, BFFM_ENABLEOK, 0, Ok ? TRUE : FALSE);
  } else {
    FSelectedName = DisplayNameOf(Item);
  }
  if (OnSelChanged) OnSelChanged(this);
}

bool BrowseDirectory(std::string& FolderName, const std::string& DlgText, int AHelpContext) {
  TBrowseFolderDlg Dialog(nullptr);
  Dialog.SetDialogText(DlgText);
  Dialog.SetFolderName(FolderName);
  Dialog.SetHelpContext(AHelpContext);
  if (!Dialog.Execute()) return false;
  FolderName = Dialog.FolderName();
  return true;
}
