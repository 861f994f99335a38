#include "shell/pt_shell_data.h"

#include "classlib/core/sys_utils.h"
#include "classlib/win/wide_string.h"
#include "shell/pt_shell_routines.h"

// ---------------------------------------------------------------------------------------
// Tree nodes

void TPTShTreeData::Init(TPTShTreeData* AParent, IMalloc* AMalloc, PCItemIDList ARelIdList) {
  FMalloc = TComPtr<IMalloc>::Share(AMalloc);
  FParent = AParent;
  FAbsIdList = TPidl();
  FShellFolder.Reset();
  FRelIdList = TPidl(CopyPidl(FMalloc.Get(), ARelIdList), FMalloc.Get());
}

PCItemIDList TPTShTreeData::GetAbsIdList() {
  if (!FAbsIdList) {
    PItemIDList List = FParent != nullptr
                           ? ConcatPidls(FMalloc.Get(), FParent->GetAbsIdList(), FRelIdList.Get())
                           : CopyPidl(FMalloc.Get(), FRelIdList.Get());
    FAbsIdList = TPidl(List, FMalloc.Get());
  }
  return FAbsIdList.Get();
}

IShellFolder* TPTShTreeData::GetShellFolder() {
  if (FShellFolder) return FShellFolder.Get();
  PCItemIDList Abs = GetAbsIdList();
  if (Abs == nullptr || TPTIdListArray(Abs).Count() == 0) {
    CheckHResult(SHGetDesktopFolder(FShellFolder.Out()));
  } else if (FParent != nullptr) {
    // A parent whose folder could not be bound leaves this one unbound too.
    if (IShellFolder* Parent = FParent->GetShellFolder())
      if (FAILED(Parent->BindToObject(FRelIdList.Get(), nullptr, IID_IShellFolder,
                                      reinterpret_cast<void**>(FShellFolder.Out()))))
        FShellFolder.Reset();
  } else {
    // The root of a tree based below the desktop.
    if (FAILED(::GetShellFolder(Abs, FShellFolder.Out()))) FShellFolder.Reset();
  }
  return FShellFolder.Get();
}

IShellFolder* TPTShTreeData::GetParentShellFolder() {
  return FParent != nullptr ? FParent->GetShellFolder() : nullptr;
}

bool TPTShTreeData::CanRename() {
  PCItemIDList Abs = GetAbsIdList();
  if (FParent == nullptr || Abs == nullptr || TPTIdListArray(Abs).Count() == 0) return false;
  IShellFolder* Parent = FParent->GetShellFolder();
  if (Parent == nullptr) return false;
  ULONG Attributes = 0x40000177;
  PCItemIDList Item = FRelIdList.Get();
  if (FAILED(Parent->GetAttributesOf(1, &Item, &Attributes))) return false;
  return (Attributes & SFGAO_FILESYSTEM) != 0 && (Attributes & SFGAO_CANRENAME) != 0;
}

TComPtr<IDropTarget> TPTShTreeData::GetDropTarget(HWND Owner) {
  TComPtr<IDropTarget> Target;
  if (FParent != nullptr) {
    IShellFolder* Parent = FParent->GetShellFolder();
    PCItemIDList Item = FRelIdList.Get();
    if (Parent != nullptr &&
        FAILED(Parent->GetUIObjectOf(Owner, 1, &Item, IID_IDropTarget, nullptr,
                                     reinterpret_cast<void**>(Target.Out()))))
      Target.Reset();
    return Target;
  }
  PCItemIDList Abs = GetAbsIdList();
  HRESULT Hr = Abs == nullptr || TPTIdListArray(Abs).Count() == 0
                   ? GetDesktopDropTarget(Target.Out())
                   : GetUIObjectOfPidl(Abs, IID_IDropTarget, reinterpret_cast<void**>(Target.Out()));
  if (FAILED(Hr)) Target.Reset();
  return Target;
}

void TPTShTreeData::SetRelIdList(PCItemIDList ARelIdList) {
  // ARelIdList may be the caller's view of our own list: copy before letting go.
  TPidl Copy(CopyPidl(FMalloc.Get(), ARelIdList), FMalloc.Get());
  FAbsIdList = TPidl();
  FShellFolder.Reset();
  FRelIdList = std::move(Copy);
  GetAbsIdList();
}

void TPTShTreeData::ResetCache() {
  FAbsIdList = TPidl();
  FShellFolder.Reset();
}

// ---------------------------------------------------------------------------------------
// List items

void TPTShListData::SetRelIdList(PItemIDList ARelIdList) {
  FRelIdList = TPidl(ARelIdList, FList->ListMalloc());
  ResetCache();
}

void TPTShListData::ResetCache() {
  FAbsIdList = TPidl();
  FDisplayName.clear();
  FDetailsLoaded = false;
}

PCItemIDList TPTShListData::GetAbsIdList() {
  if (!FAbsIdList) {
    IMalloc* Malloc = FList->ListMalloc();
    FAbsIdList = TPidl(ConcatPidls(Malloc, FList->ListFolderIdList(), FRelIdList.Get()), Malloc);
  }
  return FAbsIdList.Get();
}

std::string TPTShListData::GetPath() { return PidlToPath(GetAbsIdList()); }

std::string TPTShListData::GetFileName() {
  std::string Path = GetPath();
  size_t P = Path.find_last_of("\\:");
  return P == std::string::npos ? Path : Path.substr(P + 1);
}

ULONG TPTShListData::GetAttributes() {
  ULONG Attributes = 0xF00F0037;
  // Asking whether a floppy is read-only would spin it up.
  std::string Path = GetPath();
  if (Path.size() > 3 && Path[1] == ':' &&
      GetDriveTypeW(ToWide(Path.substr(0, 2) + "\\").c_str()) == DRIVE_REMOVABLE)
    Attributes &= ~SFGAO_READONLY;
  IShellFolder* Folder = FList->ListShellFolder();
  PCItemIDList Item = FRelIdList.Get();
  if (Folder == nullptr || FAILED(Folder->GetAttributesOf(1, &Item, &Attributes))) return 0;
  return Attributes;
}

bool TPTShListData::IsFolder() { return (GetAttributes() & SFGAO_FOLDER) != 0; }

bool TPTShListData::CanRename() {
  ULONG A = GetAttributes();
  return (A & SFGAO_FILESYSTEM) != 0 && (A & SFGAO_CANRENAME) != 0;
}

bool TPTShListData::IsLink() { return AnsiSameText(ExtractFileExt(GetPath()), ".lnk"); }

bool TPTShListData::IsValid() {
  IShellFolder* Folder = FList->ListShellFolder();
  if (Folder == nullptr) return false;
  ULONG Attributes = SFGAO_VALIDATE;
  PCItemIDList Item = FRelIdList.Get();
  return SUCCEEDED(Folder->GetAttributesOf(1, &Item, &Attributes));
}

std::string TPTShListData::GetDisplayName() {
  if (FDisplayName.empty()) {
    SHFILEINFOW Info{};
    if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(GetAbsIdList()), 0, &Info, sizeof(Info),
                       SHGFI_DISPLAYNAME | SHGFI_PIDL) != 0)
      FDisplayName = FromWideBuf(Info.szDisplayName, MAX_PATH);
  }
  return FDisplayName;
}

std::string TPTShListData::GetDetailText(int Column) {
  if (Column == 0) return {};
  if (IShellDetails* Details = FList->ListShellDetails()) {
    SHELLDETAILS D{};
    D.str.uType = STRRET_CSTR;
    if (FAILED(Details->GetDetailsOf(FRelIdList.Get(), Column, &D))) return {};
    std::string R = StrRetToString(FRelIdList.Get(), D.str);
    FreeStrRet(D.str);
    return R;
  }
  LoadDetails();
  switch (Column) {
    case 1: return FSizeText;
    case 2: return FTypeText;
    case 3: return FModifiedText;
    default: return {};
  }
}

void TPTShListData::LoadDetails() {
  if (FDetailsLoaded) return;
  GetDetailTexts(GetAbsIdList(), GetAttributes(), FSizeText, FModifiedText, FTypeText);
  FDetailsLoaded = true;
}

std::string TPTShListData::GetSizeText() {
  LoadDetails();
  return FSizeText;
}

std::string TPTShListData::GetTypeText() {
  LoadDetails();
  return FTypeText;
}

std::string TPTShListData::GetModifiedText() {
  LoadDetails();
  return FModifiedText;
}

// ---------------------------------------------------------------------------------------
// Combo entries

void TPTShComboData::Init(IShellFolder* AParentFolder, PCItemIDList AParentIdList,
                          PCItemIDList ARelIdList) {
  FParentFolder = TComPtr<IShellFolder>::Share(AParentFolder);
  FParentIdList.Reset(CopyPidl(nullptr, AParentIdList));
  FRelIdList.Reset(CopyPidl(nullptr, ARelIdList));
  FAbsIdList.Reset(ConcatPidls(nullptr, FParentIdList.Get(), FRelIdList.Get()));
}
