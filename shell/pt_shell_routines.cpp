#include "shell/pt_shell_routines.h"

#include <shellapi.h>

#include "classlib/core/exception.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/forms.h"
#include "classlib/win/wide_string.h"
#include "shell/core/pt_shell_strings.h"
#include "shell/core/shell_list_rules.h"
#include "shell/core/shell_media.h"
#include "shell/drop_menu.h"
#include "shell/pt_data_transfer.h"
#include "shell/pt_shell_locator.h"

void RaiseSysError(int Code) { throw EOSError(SysErrorMessage(Code), static_cast<unsigned>(Code)); }

void CheckHResult(HRESULT Hr) {
  if (FAILED(Hr)) RaiseSysError(Hr);
}

HRESULT SplitPidl(PCItemIDList AbsList, TComPtr<IShellFolder>& ParentFolder, TPidl& ParentList,
                  TPidl& RelList) {
  ParentFolder.Reset();
  ParentList.Reset();
  RelList.Reset();
  TPTIdListArray Items(AbsList);
  int Count = Items.Count();
  if (Count == 0) {
    TPidl Desktop;
    HRESULT Hr = PathToPidl(GetSpecialFolderPath(nullptr, CSIDL_DESKTOP), *Desktop.Out());
    if (FAILED(Hr)) return Hr;
    // The desktop's folder is below the desktop, so this does not come back here.
    if (TPTIdListArray(Desktop.Get()).Count() == 0) return E_FAIL;
    return SplitPidl(Desktop.Get(), ParentFolder, ParentList, RelList);
  }
  if (Count == 1) {
    HRESULT Hr = SHGetDesktopFolder(ParentFolder.Out());
    if (FAILED(Hr)) return Hr;
    RelList.Reset(CopyPidl(nullptr, AbsList));
    return Hr;
  }
  ParentList.Reset(CopyPidl(nullptr, Items.AncestorIdList(1)));
  RelList.Reset(CopyPidl(nullptr, Items.Item(Count - 1)));
  return GetShellFolder(ParentList.Get(), ParentFolder.Out());
}

HRESULT GetUIObjectOfPidl(PCItemIDList AbsList, REFIID Iid, void** Object) {
  *Object = nullptr;
  TComPtr<IShellFolder> Parent;
  TPidl ParentList, RelList;
  HRESULT Hr = SplitPidl(AbsList, Parent, ParentList, RelList);
  if (FAILED(Hr)) return Hr;
  PCItemIDList Item = RelList.Get();
  Hr = Parent->GetUIObjectOf(nullptr, 1, &Item, Iid, nullptr, Object);
  if (FAILED(Hr)) *Object = nullptr;
  return Hr;
}

HRESULT GetDesktopDropTarget(IDropTarget** Target) {
  *Target = nullptr;
  TPidl Desktop;
  HRESULT Hr = PathToPidl(GetSpecialFolderPath(nullptr, CSIDL_DESKTOP), *Desktop.Out());
  if (FAILED(Hr)) return Hr;
  return GetUIObjectOfPidl(Desktop.Get(), IID_IDropTarget, reinterpret_cast<void**>(Target));
}

TDateTime FileTimeToDateTime(const FILETIME& Time) {
  FILETIME Local;
  SYSTEMTIME S;
  if (!FileTimeToLocalFileTime(&Time, &Local) || !FileTimeToSystemTime(&Local, &S)) return 0;
  TDateTime D = 0, T = 0;
  if (!TryEncodeDate(S.wYear, S.wMonth, S.wDay, D)) return 0;
  TryEncodeTime(S.wHour, S.wMinute, S.wSecond, S.wMilliseconds, T);
  return D + T;
}

std::string GetTypeNameText(PCItemIDList AbsList, ULONG Attributes) {
  if ((Attributes & SFGAO_FILESYSTEM) == 0) return PTShText(TPTShText::SystemFolderType);
  SHFILEINFOW Info{};
  if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(AbsList), 0, &Info, sizeof(Info),
                     SHGFI_TYPENAME | SHGFI_PIDL) == 0)
    return {};
  return FromWideBuf(Info.szTypeName, 80);
}

void GetDetailTexts(PCItemIDList AbsList, ULONG Attributes, std::string& SizeText,
                    std::string& ModifiedText, std::string& TypeText) {
  SizeText.clear();
  ModifiedText.clear();
  std::string Path = PidlToPath(AbsList);
  if (Path.size() > 3) {
    WIN32_FIND_DATAW Data;
    HANDLE Find = FindFirstFileW(ToWide(Path).c_str(), &Data);
    if (Find != INVALID_HANDLE_VALUE) {
      FindClose(Find);
      if ((Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        SizeText = SizeToText((uint64_t(Data.nFileSizeHigh) << 32) | Data.nFileSizeLow);
      FILETIME T = Data.ftLastWriteTime;
      if (T.dwLowDateTime == 0 && T.dwHighDateTime == 0) T = Data.ftCreationTime;
      ModifiedText = FormatDateTime(ShortDateFormat + " " + ShortTimeFormat, FileTimeToDateTime(T));
    }
  }
  TypeText = GetTypeNameText(AbsList, Attributes);
}

TDateTime LocalFileTimeToDateTime(const FILETIME& Time) {
  SYSTEMTIME S;
  if (!FileTimeToSystemTime(&Time, &S)) return 0;
  TDateTime D = 0, T = 0;
  if (!TryEncodeDate(S.wYear, S.wMonth, S.wDay, D)) return 0;
  TryEncodeTime(S.wHour, S.wMinute, S.wSecond, S.wMilliseconds, T);
  return D + T;
}

// ---------------------------------------------------------------------------------------
// Context menus and verbs

namespace {

// A popup menu destroyed with its holder.
struct TMenuHolder {
  HMENU Menu;
  explicit TMenuHolder(HMENU M) : Menu(M) {}
  ~TMenuHolder() {
    if (Menu != nullptr) DestroyMenu(Menu);
  }
  TMenuHolder(const TMenuHolder&) = delete;
  TMenuHolder& operator=(const TMenuHolder&) = delete;
};

// A command string of the menu: the wide form first, the ANSI one for older handlers.
bool CommandString(IContextMenu* ContextMenu, UINT Offset, UINT WideType, UINT AnsiType, std::string& Text) {
  wchar_t Wide[261] = {};
  if (SUCCEEDED(ContextMenu->GetCommandString(Offset, WideType, nullptr, reinterpret_cast<char*>(Wide), 261)) &&
      Wide[0] != 0) {
    Wide[260] = 0;
    Text = FromWide(Wide);
    return true;
  }
  char Ansi[262] = {};
  if (SUCCEEDED(ContextMenu->GetCommandString(Offset, AnsiType, nullptr, Ansi, 261))) {
    Ansi[261] = 0;
    wchar_t Conv[262] = {};
    MultiByteToWideChar(CP_ACP, 0, Ansi, -1, Conv, 261);
    Text = FromWide(Conv);
    return true;
  }
  return false;
}

}  // namespace

HRESULT GetContextMenu(HWND Owner, IShellFolder* Folder, UINT Count, PCItemIDList* Lists, UINT Flags,
                       UINT FirstId, HMENU& Menu, TComPtr<IContextMenu>& ContextMenu) {
  Menu = nullptr;
  ContextMenu.Reset();
  if (Folder == nullptr) return E_POINTER;
  HRESULT Hr = Folder->GetUIObjectOf(Owner, Count, Lists, IID_IContextMenu, nullptr,
                                     reinterpret_cast<void**>(ContextMenu.Out()));
  if (FAILED(Hr)) {
    ContextMenu.Reset();
    return Hr;
  }
  Menu = CreatePopupMenu();
  if (Menu == nullptr) return Hr;
  HRESULT Fill = ContextMenu->QueryContextMenu(Menu, 0, FirstId, ShellLastCommandId, Flags);
  if (FAILED(Fill)) {
    DestroyMenu(Menu);
    Menu = nullptr;
    ContextMenu.Reset();
    CheckHResult(Fill);
  }
  return Hr;
}

int FindVerbCommand(IContextMenu* ContextMenu, const std::string& Verb) {
  TMenuHolder Temp(CreatePopupMenu());
  if (Temp.Menu == nullptr) RaiseSysError(int(GetLastError()));
  CheckHResult(ContextMenu->QueryContextMenu(Temp.Menu, 0, ShellFirstCommandId, ShellLastCommandId, CMF_EXPLORE));
  int Count = GetMenuItemCount(Temp.Menu);
  for (int i = 0; i < Count; ++i) {
    UINT Id = GetMenuItemID(Temp.Menu, i);
    // Separators (0), submenus (-1) and anything below the shell's range have no verb.
    if (Id == 0 || Id == UINT(-1) || Id < ShellFirstCommandId) continue;
    std::string Text;
    if (CommandString(ContextMenu, Id - ShellFirstCommandId, GCS_VERBW, GCS_VERBA, Text) &&
        AnsiSameText(Text, Verb))
      return int(Id - ShellFirstCommandId);
  }
  return -1;
}

HRESULT InvokeVerb(IContextMenu* ContextMenu, HWND Owner, UINT Offset) {
  if (ContextMenu == nullptr) return E_POINTER;
  CMINVOKECOMMANDINFO Info{};
  Info.cbSize = sizeof(Info);
  Info.hwnd = Owner;
  Info.lpVerb = MAKEINTRESOURCEA(Offset);
  Info.nShow = SW_SHOWNORMAL;
  return ContextMenu->InvokeCommand(&Info);
}

std::string GetCommandVerb(IContextMenu* ContextMenu, UINT Offset) {
  std::string Verb;
  if (ContextMenu == nullptr || !CommandString(ContextMenu, Offset, GCS_VERBW, GCS_VERBA, Verb)) Verb.clear();
  return Verb;
}

HRESULT InvokeVerb(IContextMenu* ContextMenu, HWND Owner, const std::string& Verb) {
  if (ContextMenu == nullptr) return E_POINTER;
  int Offset = FindVerbCommand(ContextMenu, Verb);
  // Offset 0 is the menu's first command, not "none": a missing verb runs nothing.
  if (Offset < 0) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
  return InvokeVerb(ContextMenu, Owner, UINT(Offset));
}

HWND GetOwnerFormHandle(const TControl* Control) {
  if (Control == nullptr) return nullptr;
  const TControl* Top = Control;
  while (Top->Parent() != nullptr) Top = Top->Parent();
  auto* Form = dynamic_cast<const TCustomForm*>(Top);
  return Form != nullptr ? const_cast<TCustomForm*>(Form)->Handle() : nullptr;
}

HRESULT InvokeVerbOnObject(HWND Owner, PCItemIDList AbsList, const std::string& Verb) {
  TComPtr<IShellFolder> Parent;
  TPidl ParentList, RelList;
  HRESULT Hr = SplitPidl(AbsList, Parent, ParentList, RelList);
  if (FAILED(Hr)) return Hr;
  return InvokeItemsVerb(Owner, ParentList.Get(), {RelList.Get()}, Verb);
}

HRESULT InvokeItemsVerb(HWND Owner, PCItemIDList ParentList, const std::vector<PCItemIDList>& Children,
                        const std::string& Verb) {
  if (Children.empty()) return E_INVALIDARG;
  bool Cut = AnsiSameText(Verb, "cut");
  if (Cut || AnsiSameText(Verb, "copy")) {
    // Files go on the clipboard by our own data object, which tells a cut from a copy.
    bool Files = true;
    DWORD Missing = ERROR_SUCCESS;
    for (PCItemIDList C : Children) {
      TPidl Abs(ConcatPidls(nullptr, ParentList, C));
      std::wstring Path = PidlToWidePath(Abs.Get());
      Files = Files && !Path.empty();
      if (!Path.empty() && Missing == ERROR_SUCCESS && GetFileAttributesW(Path.c_str()) == INVALID_FILE_ATTRIBUTES)
        Missing = GetLastError() == ERROR_SUCCESS ? ERROR_FILE_NOT_FOUND : GetLastError();
    }
    if (Files && Missing != ERROR_SUCCESS) {
      // The user meant to replace the clipboard: a paste after this failure must not
      // bring in what was copied before.
      if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
      }
      return HRESULT_FROM_WIN32(Missing);
    }
    if (Files) return SetClipboardItems(ParentList, Children, Cut ? DROPEFFECT_MOVE : DROPEFFECT_COPY);
  }
  if (AnsiSameText(Verb, "paste") && Children.size() == 1) {
    TPidl Abs(ConcatPidls(nullptr, ParentList, Children[0]));
    if (!PidlToWidePath(Abs.Get()).empty()) return PasteIntoFolder(Owner, Abs.Get());
  }
  TComPtr<IShellFolder> Parent;
  HRESULT Hr = GetShellFolder(ParentList, Parent.Out());
  if (FAILED(Hr)) return Hr;
  std::vector<PCItemIDList> Lists(Children);
  TComPtr<IContextMenu> Menu;
  Hr = Parent->GetUIObjectOf(Owner, UINT(Lists.size()), Lists.data(), IID_IContextMenu, nullptr,
                             reinterpret_cast<void**>(Menu.Out()));
  if (FAILED(Hr)) return Hr;
  return InvokeVerb(Menu.Get(), Owner, Verb);
}

// ---------------------------------------------------------------------------------------
// Transfers

namespace {

// A copy of the bytes of one HGLOBAL medium of Data; false when it has none.
bool ReadMedium(IDataObject* Data, UINT Format, TMediumBytes& Bytes) {
  Bytes.clear();
  if (Data == nullptr || Format == 0) return false;
  FORMATETC Fmt{CLIPFORMAT(Format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM Medium{};
  if (FAILED(Data->GetData(&Fmt, &Medium))) return false;
  bool Ok = false;
  if (Medium.tymed == TYMED_HGLOBAL && Medium.hGlobal != nullptr) {
    SIZE_T Size = GlobalSize(Medium.hGlobal);
    if (const void* P = GlobalLock(Medium.hGlobal)) {
      const uint8_t* B = static_cast<const uint8_t*>(P);
      Bytes.assign(B, B + Size);
      GlobalUnlock(Medium.hGlobal);
      Ok = true;
    }
  }
  ReleaseStgMedium(&Medium);
  return Ok;
}

UINT PreferredEffectFormat() {
  static const UINT Format = RegisterClipboardFormatW(L"Preferred DropEffect");
  return Format;
}

std::wstring WithoutTrailingSlash(std::wstring Path) {
  while (Path.size() > 3 && Path.back() == L'\\') Path.pop_back();
  return Path;
}

std::wstring FolderOf(const std::wstring& Path) {
  size_t P = WithoutTrailingSlash(Path).find_last_of(L'\\');
  if (P == std::wstring::npos) return {};
  return WithoutTrailingSlash(Path.substr(0, P + 1));
}

bool SamePath(const std::wstring& A, const std::wstring& B) {
  return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, A.c_str(), int(A.size()), B.c_str(), int(B.size())) ==
         CSTR_EQUAL;
}

// Folder is Path itself or lies below it.
bool IsAtOrBelow(const std::wstring& Folder, const std::wstring& Path) {
  std::wstring P = WithoutTrailingSlash(Path);
  if (P.empty()) return false;
  if (SamePath(Folder, P)) return true;
  std::wstring Prefix = P.back() == L'\\' ? P : P + L'\\';
  return Folder.size() > Prefix.size() && SamePath(Folder.substr(0, Prefix.size()), Prefix);
}

std::wstring DriveOf(const std::wstring& Path) {
  if (Path.size() >= 2 && Path[1] == L':') return Path.substr(0, 2);
  if (Path.rfind(L"\\\\", 0) == 0) {
    size_t Server = Path.find(L'\\', 2);
    if (Server == std::wstring::npos) return Path;
    size_t Share = Path.find(L'\\', Server + 1);
    return Path.substr(0, Share);
  }
  return {};
}

// One SHFileOperation; the HRESULT of its outcome. With names in To (one per source) the
// sources are copied to those names.
HRESULT RunFileOperation(HWND Owner, UINT Func, const std::vector<std::wstring>& From,
                         const std::vector<std::wstring>& To, FILEOP_FLAGS Extra) {
  if (From.empty()) return S_OK;
  auto List = [](const std::vector<std::wstring>& Names) {
    std::wstring R;
    for (const std::wstring& N : Names) R += N + L'\0';
    return R + L'\0';
  };
  std::wstring FromList = List(From), ToList = List(To);
  SHFILEOPSTRUCTW Op{};
  Op.hwnd = Owner;
  Op.wFunc = Func;
  Op.pFrom = FromList.c_str();
  Op.pTo = ToList.c_str();
  Op.fFlags = FILEOP_FLAGS(FOF_ALLOWUNDO | Extra);
  int R = SHFileOperationW(&Op);
  if (Op.fAnyOperationsAborted) return HRESULT_FROM_WIN32(ERROR_CANCELLED);
  return R == 0 ? S_OK : HRESULT_FROM_WIN32(DWORD(R));
}

bool PathExists(const std::wstring& Path) { return GetFileAttributesW(Path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A free name for a second copy of Source beside it: "Copy of x", "Copy (2) of x"... in
// the user's language.
std::wstring FreeCopyName(const std::wstring& Source) {
  std::wstring Folder = FolderOf(Source);
  std::wstring Name = WithoutTrailingSlash(Source).substr(Folder.size() + (Folder.back() == L'\\' ? 0 : 1));
  std::wstring Base = Folder.back() == L'\\' ? Folder : Folder + L'\\';
  const TDropMenuTexts Texts = CurrentDropMenuTexts();
  for (int N = 1;; ++N) {
    std::wstring Candidate = Base + (N == 1 ? MadeName(Texts.CopyName, L"Copy of %s", Name)
                                            : MadeName(Texts.NumberedCopyName, L"Copy (%d) of %s", Name, N));
    if (!PathExists(Candidate)) return Candidate;
  }
}

}  // namespace

std::wstring PidlToWidePath(PCItemIDList List) {
  ITEMIDLIST Empty{};
  wchar_t Buf[MAX_PATH + 1] = {};
  if (!SHGetPathFromIDListW(List != nullptr ? List : &Empty, Buf)) return {};
  return Buf;
}

std::vector<std::wstring> DataObjectPaths(IDataObject* Data) {
  std::vector<std::wstring> Paths;
  TMediumBytes Bytes;
  THDropNames Names;
  if (ReadMedium(Data, CF_HDROP, Bytes) && ParseHDrop(Bytes.data(), Bytes.size(), Names) && Names.Count() > 0) {
    if (Names.Wide) {
      for (const std::u16string& N : Names.WideNames) Paths.emplace_back(N.begin(), N.end());
    } else {
      for (const std::string& N : Names.AnsiNames) {
        int Len = MultiByteToWideChar(CP_ACP, 0, N.data(), int(N.size()), nullptr, 0);
        std::wstring W(size_t(Len), L'\0');
        MultiByteToWideChar(CP_ACP, 0, N.data(), int(N.size()), W.data(), Len);
        Paths.push_back(std::move(W));
      }
    }
    return Paths;
  }
  TCidaView View;
  if (!ReadMedium(Data, CFShellIDList(), Bytes) || !ParseCida(Bytes.data(), Bytes.size(), View)) return {};
  for (const uint8_t* Child : View.Children) {
    TPidl Abs(ConcatPidls(nullptr, reinterpret_cast<PCItemIDList>(View.Parent), reinterpret_cast<PCItemIDList>(Child)));
    std::wstring Path = PidlToWidePath(Abs.Get());
    if (Path.empty()) return {};  // not all of them are files: not ours to transfer
    Paths.push_back(std::move(Path));
  }
  return Paths;
}

DWORD DataObjectPreferredEffect(IDataObject* Data) {
  TMediumBytes Bytes;
  return ReadMedium(Data, PreferredEffectFormat(), Bytes) ? ParseDropEffect(Bytes.data(), Bytes.size()) : 0;
}

HRESULT TransferIntoFolder(HWND Owner, IDataObject* Data, PCItemIDList FolderList, DWORD Effect) {
  std::wstring Target = WithoutTrailingSlash(PidlToWidePath(FolderList));
  if (Target.empty()) return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
  if (Effect != DROPEFFECT_COPY && Effect != DROPEFFECT_MOVE) return E_INVALIDARG;
  std::vector<std::wstring> Sources = DataObjectPaths(Data);
  if (Sources.empty()) return S_FALSE;
  // A folder into itself or below itself would never end: refused before anything is done.
  for (const std::wstring& S : Sources)
    if (IsAtOrBelow(Target, S) && !SamePath(FolderOf(S), Target)) return HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER);
  std::vector<std::wstring> Here, Elsewhere;
  for (const std::wstring& S : Sources) (SamePath(FolderOf(S), Target) ? Here : Elsewhere).push_back(S);
  // Each source gets its own name in the target: Wine refuses to move several files into
  // one folder named once.
  std::vector<std::wstring> Into;
  std::wstring Base = Target.back() == L'\\' ? Target : Target + L'\\';
  for (const std::wstring& S : Elsewhere) {
    std::wstring Name = WithoutTrailingSlash(S);
    Into.push_back(Base + Name.substr(Name.find_last_of(L'\\') + 1));
  }
  if (Effect == DROPEFFECT_MOVE) return RunFileOperation(Owner, FO_MOVE, Elsewhere, Into, FOF_MULTIDESTFILES);
  HRESULT Hr = RunFileOperation(Owner, FO_COPY, Elsewhere, Into, FOF_MULTIDESTFILES);
  if (FAILED(Hr)) return Hr;
  // A copy into its own folder is a second file under a free name, never the file itself.
  std::vector<std::wstring> Names;
  for (const std::wstring& S : Here) Names.push_back(FreeCopyName(S));
  return RunFileOperation(Owner, FO_COPY, Here, Names, FOF_MULTIDESTFILES);
}

HRESULT PasteIntoFolder(HWND Owner, PCItemIDList FolderList) {
  TComPtr<IDataObject> Data;
  HRESULT Hr = OleGetClipboard(Data.Out());
  if (FAILED(Hr)) return Hr;
  DWORD Effect = (DataObjectPreferredEffect(Data.Get()) & DROPEFFECT_MOVE) != 0 ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
  Hr = TransferIntoFolder(Owner, Data.Get(), FolderList, Effect);
  Data.Reset();
  if (Hr == S_OK && Effect == DROPEFFECT_MOVE && OpenClipboard(Owner)) {
    EmptyClipboard();
    CloseClipboard();
  }
  return Hr;
}

DWORD ChooseDropEffect(DWORD KeyState, DWORD Allowed, const std::vector<std::wstring>& Sources,
                       const std::wstring& Folder) {
  Allowed &= DROPEFFECT_COPY | DROPEFFECT_MOVE;
  if ((KeyState & MK_CONTROL) != 0 && (KeyState & MK_SHIFT) == 0) return Allowed & DROPEFFECT_COPY;
  if ((KeyState & MK_SHIFT) != 0 && (KeyState & MK_CONTROL) == 0) return Allowed & DROPEFFECT_MOVE;
  const DWORD AltKey = 0x20;  // MK_ALT of drag key states
  if ((KeyState & (MK_CONTROL | MK_SHIFT | AltKey)) != 0) return DROPEFFECT_NONE;
  std::wstring Drive = DriveOf(Folder);
  bool SameDrive = !Sources.empty() && !Drive.empty();
  for (const std::wstring& S : Sources) SameDrive = SameDrive && SamePath(DriveOf(S), Drive);
  DWORD First = SameDrive ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
  if (Allowed & First) return First;
  return Allowed & (First == DROPEFFECT_MOVE ? DROPEFFECT_COPY : DROPEFFECT_MOVE);
}

namespace {

class TFolderTransferTarget : public TComObject<IDropTarget> {
public:
  TFolderTransferTarget(HWND Owner, PCItemIDList FolderList, std::wstring Folder)
      : FOwner(Owner), FList(CopyPidl(nullptr, FolderList)), FFolder(std::move(Folder)) {}

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* Data, DWORD Keys, POINTL, DWORD* Effect) override {
    if (Effect == nullptr) return E_POINTER;
    try {
      FData = TComPtr<IDataObject>::Share(Data);
      FAllowed = GetAllowedDropEffects(Data);
      FSources = DataObjectPaths(Data);
      *Effect = Choose(Keys, *Effect);
    } catch (...) {
      *Effect = DROPEFFECT_NONE;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD Keys, POINTL, DWORD* Effect) override {
    if (Effect == nullptr) return E_POINTER;
    *Effect = FData ? Choose(Keys, *Effect) : DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    FData.Reset();
    FSources.clear();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* Data, DWORD Keys, POINTL Point, DWORD* Effect) override {
    if (Effect == nullptr) return E_POINTER;
    DWORD Result = DROPEFFECT_NONE;
    try {
      const DWORD Given = *Effect;
      DWORD Chosen = Given;
      DragEnter(Data, Keys, Point, &Chosen);
      // The right button lets the user choose, the left button's choice in bold.
      if ((Keys & MK_RBUTTON) != 0)
        Chosen = FSources.empty() ? DWORD(DROPEFFECT_NONE) : AskDropEffect(FOwner, Point, Given & FAllowed, Chosen);
      if (Chosen == DROPEFFECT_LINK) {
        if (CreateShortcutsIn(FFolder, FSources) == S_OK) Result = DROPEFFECT_LINK;
      } else if (Chosen != DROPEFFECT_NONE && TransferIntoFolder(FOwner, Data, FList.Get(), Chosen) == S_OK) {
        Result = Chosen == DROPEFFECT_MOVE ? DROPEFFECT_NONE : Chosen;
      }
    } catch (...) {
      Result = DROPEFFECT_NONE;
    }
    DragLeave();
    *Effect = Result;
    return S_OK;
  }

private:
  DWORD Choose(DWORD Keys, DWORD Offered) const {
    if (FSources.empty()) return DROPEFFECT_NONE;
    return ChooseDropEffect(Keys, Offered & FAllowed, FSources, FFolder);
  }
  HWND FOwner;
  TPidl FList;
  std::wstring FFolder;
  TComPtr<IDataObject> FData;
  DWORD FAllowed = 0;
  std::vector<std::wstring> FSources;
};

}  // namespace

TComPtr<IDropTarget> CreateFolderTransferTarget(HWND Owner, PCItemIDList FolderList) {
  std::wstring Folder = PidlToWidePath(FolderList);
  if (Folder.empty()) return {};
  DWORD Attributes = GetFileAttributesW(Folder.c_str());
  if (Attributes == INVALID_FILE_ATTRIBUTES || (Attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return {};
  return TComPtr<IDropTarget>(new TFolderTransferTarget(Owner, FolderList, Folder));
}

// ---------------------------------------------------------------------------------------
// Send To

namespace {

struct TSendToState {
  std::vector<TSendToEntry> Entries;
  std::string Folder;  // where they came from; empty: the user's Send To folder
};

TSendToState& SendTo() {
  static TSendToState S;
  return S;
}

std::wstring SendToFolderPath(const std::string& Folder) {
  if (!Folder.empty()) return ToWide(Folder);
  wchar_t Buf[MAX_PATH + 1] = {};
  if (!SHGetSpecialFolderPathW(nullptr, Buf, CSIDL_SENDTO, FALSE)) return {};
  return Buf;
}

// The font of menus, for drawing and measuring our entries alike.
HFONT CreateMenuFont() {
  NONCLIENTMETRICSW Metrics{};
  Metrics.cbSize = sizeof(Metrics);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(Metrics), &Metrics, 0)) return nullptr;
  return CreateFontIndirectW(&Metrics.lfMenuFont);
}

std::wstring EntryCaption(size_t Index) {
  const auto& E = SendTo().Entries;
  if (Index >= E.size()) return {};
  return ToWide(ChangeFileExt(E[Index].Name, ""));
}

// Our entries are the owner-drawn ids 1 to the number of entries.
bool IsSendToId(UINT Id) { return Id >= 1 && Id <= SendTo().Entries.size(); }

}  // namespace

const std::vector<TSendToEntry>& SendToEntries() { return SendTo().Entries; }

void FillSendToEntries(const std::string& Folder) {
  TSendToState& S = SendTo();
  S.Entries.clear();
  S.Folder = Folder;
  std::wstring Dir = SendToFolderPath(Folder);
  if (Dir.empty()) return;
  if (Dir.back() != L'\\') Dir += L'\\';
  WIN32_FIND_DATAW Data;
  HANDLE Find = FindFirstFileW((Dir + L"*").c_str(), &Data);
  if (Find == INVALID_HANDLE_VALUE) return;
  do {
    if (Data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN)) continue;
    if (S.Entries.size() >= size_t(MaxSendToEntries)) break;
    std::string Name = FromWide(Data.cFileName);
    TPidl List;
    int Icon = -1;
    if (SUCCEEDED(PathToPidl(FromWide(Dir) + Name, *List.Out()))) Icon = GetPidlIconIndex(List.Get(), SHGFI_SMALLICON);
    S.Entries.push_back({Name, Icon});
  } while (FindNextFileW(Find, &Data));
  FindClose(Find);
}

void HandleInitMenuPopup(TMessage& Message, IContextMenu* ContextMenu) {
  HMENU Popup = reinterpret_cast<HMENU>(Message.WParam);
  if (Popup == nullptr) return;
  TComPtr<IContextMenu2> Menu2;
  if (ContextMenu != nullptr &&
      SUCCEEDED(ContextMenu->QueryInterface(IID_IContextMenu2, reinterpret_cast<void**>(Menu2.Out())))) {
    int Before = GetMenuItemCount(Popup);
    Menu2->HandleMenuMsg(Message.Msg, Message.WParam, Message.LParam);
    // The shell filled its own Send To list: ours replaces it.
    if (GetMenuItemCount(Popup) != Before) {
      while (GetMenuItemCount(Popup) > 0) DeleteMenu(Popup, 0, MF_BYPOSITION);
      AppendMenuW(Popup, MF_STRING | MF_GRAYED, 99, L"xxx");
    }
  }
  if (GetMenuItemCount(Popup) != 1 || (GetMenuState(Popup, 0, MF_BYPOSITION) & MF_GRAYED) == 0) return;
  DeleteMenu(Popup, 0, MF_BYPOSITION);
  FillSendToEntries(SendTo().Folder);
  const auto& Entries = SendTo().Entries;
  for (size_t i = 0; i < Entries.size(); ++i)
    AppendMenuW(Popup, MF_OWNERDRAW, UINT_PTR(i + 1), reinterpret_cast<LPCWSTR>(i));
}

void DrawSendToItem(TMessage& Message) {
  auto* Draw = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  if (Draw == nullptr || Draw->CtlType != ODT_MENU) return;
  Message.Result = TRUE;
  size_t Index = size_t(Draw->itemData);
  bool Valid = Index < SendTo().Entries.size();
  bool Selected = (Draw->itemState & ODS_SELECTED) != 0 && Valid;
  HDC Dc = Draw->hDC;
  HBRUSH Back = GetSysColorBrush(Selected ? COLOR_HIGHLIGHT : COLOR_MENU);
  FillRect(Dc, &Draw->rcItem, Back);
  if (!Valid) return;
  HFONT Font = CreateMenuFont();
  HGDIOBJ OldFont = Font != nullptr ? SelectObject(Dc, Font) : nullptr;
  int OldMode = SetBkMode(Dc, TRANSPARENT);
  COLORREF OldColor = SetTextColor(Dc, GetSysColor(Selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
  RECT Text = Draw->rcItem;
  Text.left += 32;
  Text.top += 2;
  std::wstring Caption = EntryCaption(Index);
  ExtTextOutW(Dc, Text.left, Text.top, ETO_CLIPPED, &Text, Caption.c_str(), UINT(Caption.size()), nullptr);
  int Icon = SendTo().Entries[Index].IconIndex;
  if (Icon >= 0)
    ImageList_Draw(GetSystemImageList(0), Icon, Dc, Draw->rcItem.left + 8, Draw->rcItem.top + 2, ILD_TRANSPARENT);
  SetTextColor(Dc, OldColor);
  SetBkMode(Dc, OldMode);
  if (Font != nullptr) {
    SelectObject(Dc, OldFont);
    DeleteObject(Font);
  }
}

void MeasureSendToItem(TMessage& Message) {
  auto* Measure = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
  if (Measure == nullptr || Measure->CtlType != ODT_MENU) return;
  Message.Result = TRUE;
  HDC Dc = GetDC(nullptr);
  HFONT Font = CreateMenuFont();
  HGDIOBJ OldFont = Font != nullptr ? SelectObject(Dc, Font) : nullptr;
  std::wstring Caption = EntryCaption(size_t(Measure->itemData));
  SIZE Size{};
  GetTextExtentPoint32W(Dc, Caption.c_str(), int(Caption.size()), &Size);
  if (Font != nullptr) {
    SelectObject(Dc, OldFont);
    DeleteObject(Font);
  }
  ReleaseDC(nullptr, Dc);
  Measure->itemWidth = UINT(Size.cx + 32);
  Measure->itemHeight = UINT(GetSystemMetrics(SM_CYMENU) + 2);
}

void HandleMenuChar(TMessage& Message) {
  if (HIWORD(Message.WParam) != MF_POPUP) return;
  HMENU Popup = reinterpret_cast<HMENU>(Message.LParam);
  const auto& Entries = SendTo().Entries;
  // Only our own submenu holds our names at its positions.
  if (Popup == nullptr || Entries.empty() || GetMenuItemCount(Popup) != int(Entries.size()) ||
      GetMenuItemID(Popup, 0) != 1)
    return;
  int Highlighted = -1;
  for (int i = 0; i < int(Entries.size()); ++i) {
    MENUITEMINFOW Info{};
    Info.cbSize = sizeof(Info);
    Info.fMask = MIIM_STATE;
    if (GetMenuItemInfoW(Popup, UINT(i), TRUE, &Info) && (Info.fState & MFS_HILITE)) {
      Highlighted = i;
      break;
    }
  }
  std::vector<std::string> Names;
  for (const TSendToEntry& E : Entries) Names.push_back(E.Name);
  // The typed character arrives as UTF-16.
  std::string Ch = FromWide(std::wstring(1, wchar_t(LOWORD(Message.WParam))));
  Message.Result = LRESULT(SendToMenuChar(Names, Highlighted, Ch.empty() ? '\0' : Ch[0]));
}

void MenuSelectHint(TMessage& Message, IContextMenu* ContextMenu, TObject* Sender,
                    const TPTShPopupHintEvent& OnHint) {
  if (ContextMenu == nullptr || !OnHint) return;
  UINT Id = LOWORD(Message.WParam);
  UINT Flags = HIWORD(Message.WParam);
  std::string Hint;
  if (Id >= ShellFirstCommandId && (Flags & (MF_POPUP | MF_SYSMENU)) == 0 &&
      !CommandString(ContextMenu, Id - ShellFirstCommandId, GCS_HELPTEXTW, GCS_HELPTEXTA, Hint))
    Hint.clear();
  OnHint(Sender, Hint);
}

bool HandleContextMenuMessage(TMessage& Message, IContextMenu* ContextMenu, TObject* Sender,
                              const TPTShPopupHintEvent& OnHint) {
  auto ForwardToShell = [&] {
    TComPtr<IContextMenu2> Menu2;
    if (ContextMenu != nullptr &&
        SUCCEEDED(ContextMenu->QueryInterface(IID_IContextMenu2, reinterpret_cast<void**>(Menu2.Out()))))
      Menu2->HandleMenuMsg(Message.Msg, Message.WParam, Message.LParam);
    Message.Result = TRUE;
  };
  switch (Message.Msg) {
    case WM_INITMENUPOPUP:
      HandleInitMenuPopup(Message, ContextMenu);
      return true;
    case WM_DRAWITEM: {
      auto* Draw = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
      if (Draw == nullptr || Draw->CtlType != ODT_MENU) return false;
      if (IsSendToId(Draw->itemID))
        DrawSendToItem(Message);
      else
        ForwardToShell();
      return true;
    }
    case WM_MEASUREITEM: {
      auto* Measure = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
      if (Measure == nullptr || Measure->CtlType != ODT_MENU) return false;
      if (IsSendToId(Measure->itemID))
        MeasureSendToItem(Message);
      else
        ForwardToShell();
      return true;
    }
    case WM_MENUCHAR:
      Message.Result = 0;
      HandleMenuChar(Message);
      return Message.Result != 0;
    case WM_MENUSELECT:
      MenuSelectHint(Message, ContextMenu, Sender, OnHint);
      return false;  // the default handling still runs
    default:
      return false;
  }
}

void SendToFile(const std::string& Name, IDataObject* Data, const std::string& Folder) {
  std::string Dir = Folder.empty() ? SendTo().Folder : Folder;
  TPidl DirList;
  if (Dir.empty())
    CheckHResult(GetSpecialFolderPidl(nullptr, CSIDL_SENDTO, *DirList.Out()));
  else
    CheckHResult(PathToPidl(Dir, *DirList.Out()));
  // A folder, or a shortcut to one, takes the files by our own copy: the shell's drop
  // target of a folder does not copy everywhere.
  std::string Path = PidlToPath(DirList.Get());
  if (!Path.empty()) {
    std::string Entry = AddTrailingChar(Path, '\\') + Name;
    std::string Target;
    DWORD Attr = GetFileAttributesW(ToWide(Entry).c_str());
    if (Attr != INVALID_FILE_ATTRIBUTES && (Attr & FILE_ATTRIBUTE_DIRECTORY)) {
      Target = Entry;
    } else if (AnsiSameText(ExtractFileExt(Entry), ".lnk")) {
      TLinkData Link;
      if (SUCCEEDED(GetLinkData(Entry, Link, false)) && (Link.FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        Target = Link.Path;
    }
    if (!Target.empty()) {
      TPidl TargetList;
      CheckHResult(PathToPidl(Target, *TargetList.Out()));
      HRESULT Hr = TransferIntoFolder(nullptr, Data, TargetList.Get(), DROPEFFECT_COPY);
      if (Hr != HRESULT_FROM_WIN32(ERROR_CANCELLED)) CheckHResult(Hr);
      return;
    }
  }
  TComPtr<IShellFolder> SendFolder;
  CheckHResult(GetShellFolder(DirList.Get(), SendFolder.Out()));
  TPidl Item;
  std::wstring WideName = ToWide(Name).substr(0, MAX_PATH);
  CheckHResult(SendFolder->ParseDisplayName(nullptr, nullptr, WideName.data(), nullptr, Item.Out(), nullptr));
  PCItemIDList ItemList = Item.Get();
  TComPtr<IDropTarget> Target;
  CheckHResult(SendFolder->GetUIObjectOf(nullptr, 1, &ItemList, IID_IDropTarget, nullptr,
                                     reinterpret_cast<void**>(Target.Out())));
  POINTL Point{0, 0};
  DWORD Effect = DROPEFFECT_COPY;
  CheckHResult(Target->DragEnter(Data, MK_LBUTTON, Point, &Effect));
  CheckHResult(Target->DragOver(MK_LBUTTON, Point, &Effect));
  CheckHResult(Target->Drop(Data, MK_LBUTTON, Point, &Effect));
}

bool TrackShellContextMenu(HWND Window, HWND Owner, IShellFolder* Folder, UINT Count, PCItemIDList* Lists,
                           POINT ScreenPoint, TComPtr<IContextMenu>& ContextMenu,
                           const std::function<TComPtr<IDataObject>()>& MakeData) {
  HMENU Handle = nullptr;
  TComPtr<IContextMenu> Menu;
  CheckHResult(GetContextMenu(Owner, Folder, Count, Lists, CMF_EXPLORE, ShellFirstCommandId, Handle, Menu));
  TMenuHolder Holder(Handle);
  if (Handle == nullptr) return false;
  ContextMenu = Menu;
  UINT Id = UINT(TrackPopupMenu(Handle, TPM_RETURNCMD | TPM_RIGHTBUTTON, ScreenPoint.x, ScreenPoint.y, 0,
                                Window, nullptr));
  ContextMenu.Reset();
  if (Id >= ShellFirstCommandId) {
    // The shell reports its own failures (and a cancelled confirmation is none).
    InvokeVerb(Menu.Get(), Owner, Id - ShellFirstCommandId);
    return true;
  }
  if (IsSendToId(Id) && MakeData) {
    TComPtr<IDataObject> Data = MakeData();
    if (Data) SendToFile(SendTo().Entries[Id - 1].Name, Data.Get());
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------------------
// Drop effects, scrolling, new folders, names

HRESULT GetDesktopSplit(TPidl& ParentList, TPidl& RelList) {
  TPidl Desktop;
  HRESULT Hr = PathToPidl(GetSpecialFolderPath(nullptr, CSIDL_DESKTOP), *Desktop.Out());
  if (FAILED(Hr)) return Hr;
  TComPtr<IShellFolder> Folder;
  return SplitPidl(Desktop.Get(), Folder, ParentList, RelList);
}

DWORD GetAllowedDropEffects(IDataObject* Data) {
  const DWORD All = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  try {
    TMediumBytes Bytes;
    if (!ReadMedium(Data, CFShellIDList(), Bytes)) return All;
    TCidaView View;
    if (!ParseCida(Bytes.data(), Bytes.size(), View) || View.Children.empty()) return DROPEFFECT_NONE;
    TComPtr<IShellFolder> Parent;
    if (FAILED(GetShellFolder(reinterpret_cast<PCItemIDList>(View.Parent), Parent.Out()))) return DROPEFFECT_NONE;
    std::vector<PCItemIDList> Children;
    for (const uint8_t* C : View.Children) Children.push_back(reinterpret_cast<PCItemIDList>(C));
    // Only the three effect bits: the shell sets more than it was asked for.
    ULONG Attributes = All;
    if (FAILED(Parent->GetAttributesOf(UINT(Children.size()), Children.data(), &Attributes))) return DROPEFFECT_NONE;
    return All & Attributes;
  } catch (...) {
    return DROPEFFECT_NONE;
  }
}

void ScrollIfPossible(HWND Window, int Bar, int Code) {
  SCROLLINFO Info{};
  Info.cbSize = sizeof(Info);
  Info.fMask = SIF_ALL;
  if (!GetScrollInfo(Window, Bar == 0 ? SB_HORZ : SB_VERT, &Info)) return;
  if (Info.nMax - Info.nMin - int(Info.nPage) > 0)
    SendMessageW(Window, Bar == 0 ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(Code, 0), 0);
}

void DragAutoScroll(HWND Window, POINTL ScreenPoint, DWORD& LastStep) {
  DWORD Now = GetTickCount();
  if (!AutoScrollDue(LastStep, Now)) return;
  POINT P{ScreenPoint.x, ScreenPoint.y};
  ScreenToClient(Window, &P);
  RECT R{};
  GetClientRect(Window, &R);
  TAutoScrollStep Step = AutoScrollStepAt(P.x, P.y, R.right, R.bottom);
  if (Step.Horizontal != 0) ScrollIfPossible(Window, 0, Step.Horizontal < 0 ? SB_LINEUP : SB_LINEDOWN);
  if (Step.Vertical != 0) ScrollIfPossible(Window, 1, Step.Vertical < 0 ? SB_LINEUP : SB_LINEDOWN);
  LastStep = Now;
}

bool CreateNewFolderIn(const std::string& Parent, std::string& NewName) {
  auto Warn = [](DWORD Error, const std::string& Name) {
    MessageDlg(FormatStrPos(PTShText(TPTShText::NewFolderFailed), {SysErrorMessage(int(Error)), Name}), mtWarning,
               {mbOK}, 0);
  };
  // No folder is no place: the process's current folder is not the user's choice.
  if (Parent.empty()) {
    Warn(ERROR_PATH_NOT_FOUND, NewFolderName(1));
    return false;
  }
  std::string Base = AddTrailingChar(Parent, '\\');
  for (int N = 1; N <= MaxNewFolderNames; ++N) {
    std::string Name = NewFolderName(N);
    if (CreateDirectoryW(ToWide(Base + Name).c_str(), nullptr)) {
      NewName = Name;
      return true;
    }
    DWORD Error = GetLastError();
    if (Error != ERROR_ALREADY_EXISTS) {
      Warn(Error, Name);
      return false;
    }
  }
  Warn(ERROR_ALREADY_EXISTS, NewFolderName(1));
  return false;
}

std::string GetNameOf(IShellFolder* Folder, PCItemIDList RelList, DWORD Flags) {
  STRRET Str{};
  Str.uType = STRRET_CSTR;
  HRESULT Hr = Folder != nullptr ? Folder->GetDisplayNameOf(RelList, Flags, &Str) : E_POINTER;
  if (FAILED(Hr)) {
    ShowMessage(SysErrorMessage(int(Hr)));
    return {};
  }
  std::string Name = StrRetToString(RelList, Str);
  FreeStrRet(Str);
  return Name;
}

void SetWindowStyleBits(HWND Window, LONG_PTR Bits, bool On) {
  LONG_PTR Old = GetWindowLongPtrW(Window, GWL_STYLE);
  LONG_PTR New = On ? (Old | Bits) : (Old & ~Bits);
  if (New != Old) SetWindowLongPtrW(Window, GWL_STYLE, New);
}

int CompareItemIds(IShellFolder* Folder, PCItemIDList A, PCItemIDList B) {
  if (Folder == nullptr || A == nullptr || B == nullptr) return 0;
  HRESULT Hr = Folder->CompareIDs(0, A, B);
  return SUCCEEDED(Hr) ? short(HRESULT_CODE(Hr)) : 0;
}

bool SameItemId(IShellFolder* Folder, PCItemIDList A, PCItemIDList B) {
  if (Folder == nullptr || A == nullptr || B == nullptr) return false;
  HRESULT Hr = Folder->CompareIDs(0, A, B);
  return SUCCEEDED(Hr) && short(HRESULT_CODE(Hr)) == 0;
}
