#include "shell/pt_shell_tree.h"

#include "classlib/core/exception.h"
#include "classlib/win/application.h"
#include "classlib/win/wide_string.h"
#include "shell/forwarding_drop_target.h"
#include "shell/pt_data_transfer.h"
#include "shell/pt_shell_combo.h"
#include "shell/pt_shell_list.h"

namespace {

bool IsDesktop(PCItemIDList List) { return List == nullptr || GetPidlSize(List) <= 2; }

// Under Wine a drive may be the host's root "/": watching all of it would watch the host.
bool IsHostRoot(const wchar_t* Root) {
  using TUnixName = char*(__cdecl*)(LPCWSTR);
  static const auto UnixName = reinterpret_cast<TUnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (UnixName == nullptr) return false;
  char* Name = UnixName(Root);
  if (Name == nullptr) return false;
  bool IsRoot = Name[0] == '/' && (Name[1] == 0 || (Name[1] == '/' && Name[2] == 0));
  HeapFree(GetProcessHeap(), 0, Name);
  return IsRoot;
}

}  // namespace

template <> const TTypeInfo* TypeInfoOf<TPTShellTreeOption>() {
  static const TTypeInfo Info = EnumTypeInfo(
      "TPTShellTreeOption", {"ptstoAutoFill", "ptstoVirtualFolders", "ptstoDesignInteractive", "ptstoDefaultKeyHandling",
                             "ptstoContextMenus", "ptstoDynamicRefresh", "ptstoIncludeNonFolders", "ptstoOleDrag",
                             "ptstoOleDrop", "ptstoShowHidden"});
  return &Info;
}

const TClassInfo* TPTCustomShellTree::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TPTCustomShellTree, TCustomTreeView>("TPTCustomShellTree")
          .Prop("BaseFolder", [](const TPTCustomShellTree& T) { return &T.FBaseFolder; }, nullptr)
          .Prop("ShellList", &TPTCustomShellTree::LinkedShellList,
                [](TPTCustomShellTree& T, TPTCustomShellList* L) { T.SetShellList(L); })
          .Prop("Options", &TPTCustomShellTree::Options, &TPTCustomShellTree::SetOptions)
          .Prop("OnAddItem", &TPTCustomShellTree::OnAddItem)
          .Prop("OnDeleteItem", &TPTCustomShellTree::OnDeleteItem)
          .Prop("OnPopupHint", &TPTCustomShellTree::OnPopupHint)
          .Prop("OnCustomDrawSh", &TPTCustomShellTree::OnCustomDrawSh)
          .Prop("OnCustomDrawShEx", &TPTCustomShellTree::OnCustomDrawShEx)
          .Prop("OnFillComplete", &TPTCustomShellTree::OnFillComplete)
          .Build();
  return &Info;
}

const TClassInfo* TPTShellTree::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TPTShellTree, TPTCustomShellTree>("TPTShellTree").Build();
  return &Info;
}

TPTCustomShellList* TPTCustomShellTree::LinkedShellList() const {
  return dynamic_cast<TPTCustomShellList*>(FShellListComponent);
}

// Changes of the selection and the nodes made by the tree itself are not fed back.
struct TPTCustomShellTree::TUpdatePass {
  TPTCustomShellTree& Tree;
  explicit TUpdatePass(TPTCustomShellTree& T) : Tree(T) { ++Tree.FUpdateCount; }
  ~TUpdatePass() { --Tree.FUpdateCount; }
};

TPTCustomShellTree::TPTCustomShellTree(TComponent* AOwner) : TPTCustomTreeView(AOwner) {
  FTimer = new TTimer(this);
  FTimer->SetEnabled(false);
  FTimer->OnTimer = [this](TObject*) { TimerTick(); };
  FBaseFolder.OnChange = [this](TObject*) { BaseFolderChanged(); };
  FCurrentFolder.OnChange = [this](TObject*) { CurrentFolderChanged(); };
  SetShowRoot(false);
  FSystemImages = new TImageList(this);
  FSystemImages->SetShareImages(true);
  FSystemImages->SetHandle(GetSystemImageList(0));
  SetImages(FSystemImages);
}

TPTCustomShellTree::~TPTCustomShellTree() {
  FWatcher.reset();
  RevokeDrop();
  // The nodes' data go while this class still frees them.
  if (HandleAllocated()) {
    TUpdatePass Pass(*this);
    Items()->Clear();
  }
  if (FShellList != nullptr) FShellList->LinkTree(nullptr);
  if (FShellCombo != nullptr) FShellCombo->SetShellTree(nullptr);
}

TPTShTreeData* TPTCustomShellTree::NodeData(TTreeNode* Node) const {
  return Node != nullptr ? static_cast<TPTShTreeData*>(Node->Data()) : nullptr;
}

HWND TPTCustomShellTree::OwnerWindow() const { return GetOwnerFormHandle(this); }

// ---------------------------------------------------------------------------------------
// Links

void TPTCustomShellTree::SetShellList(TPTShellListLink* Value) {
  if (Value == FShellList) return;
  if (FShellList != nullptr) {
    FShellListComponent->RemoveFreeNotification(this);
    FShellList->LinkTree(nullptr);
  }
  FShellList = Value;
  FShellListComponent = Value != nullptr ? Value->LinkComponent() : nullptr;
  if (FShellList != nullptr) {
    FShellListComponent->FreeNotification(this);
    FShellList->LinkTree(this);
    FShellList->AssignFolder(&FCurrentFolder);
  }
}

void TPTCustomShellTree::LinkCombo(TPTCustomShellCombo* Value) {
  if (Value == FShellCombo) return;
  if (FShellCombo != nullptr) FShellCombo->RemoveFreeNotification(this);
  FShellCombo = Value;
  if (FShellCombo != nullptr) FShellCombo->FreeNotification(this);
}

void TPTCustomShellTree::Notification(TComponent* AComponent, TOperation Operation) {
  TPTCustomTreeView::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  // The list is half gone: only its component is compared.
  if (FShellList != nullptr && AComponent == FShellListComponent) {
    FShellList = nullptr;
    FShellListComponent = nullptr;
  }
  if (AComponent == FShellCombo) FShellCombo = nullptr;
}

void TPTCustomShellTree::SetOptions(TPTShellTreeOptions Value) {
  TPTShellTreeOptions Old = FOptions;
  FOptions = Value;
  if (!HandleAllocated()) return;
  if (Old.Contains(ptstoOleDrop) != Value.Contains(ptstoOleDrop)) {
    if (Value.Contains(ptstoOleDrop))
      RegisterDrop();
    else
      RevokeDrop();
  }
  UpdateDragStyle();
  if (Old.Contains(ptstoDynamicRefresh) != Value.Contains(ptstoDynamicRefresh) && !Designing()) {
    if (Value.Contains(ptstoDynamicRefresh))
      StartWatching();
    else
      StopWatching();
  }
}

void TPTCustomShellTree::SetPath(const std::string& Path) {
  if (FUpdateCount == 0) FCurrentFolder.SetPath(Path);
}

void TPTCustomShellTree::SetFolder(TPTShellLocator* Folder) {
  if (!Loading() && FUpdateCount == 0)
    FCurrentFolder.Assign(Folder);
  else if (FShellList != nullptr)
    FShellList->AssignFolder(&FCurrentFolder);
}

// ---------------------------------------------------------------------------------------
// Filling

void TPTCustomShellTree::Refill() {
  if (FOwnDrag || IsEditing()) {
    FRefreshPending = true;
    return;
  }
  THourGlass Busy;
  {
    TUpdatePass Pass(*this);
    SetSelected(nullptr);
    Items()->Clear();
  }
  TComPtr<IShellFolder> Folder;
  CheckHResult(GetShellFolder(FBaseFolder.GetIdList(), Folder.Out()));
  FillNode(Folder.Get(), nullptr);
  if (IsDesktop(FCurrentFolder.GetIdList())) {
    if (TTreeNode* First = Items()->GetFirstNode()) SetSelected(First);
  } else {
    SelectFolder(FCurrentFolder.GetIdList());
  }
  if (FOptions.Contains(ptstoDynamicRefresh) && !Designing()) StartWatching();
}

void TPTCustomShellTree::FillNode(IShellFolder* Folder, TTreeNode* Node) {
  IMalloc* Malloc = ShellMalloc();
  if (Malloc == nullptr) RaiseSysError(E_OUTOFMEMORY);
  bool NewRoot = Node == nullptr;
  if (NewRoot) {
    PCItemIDList Base = FBaseFolder.GetIdList();
    std::string Name;
    if (IsDesktop(Base)) {
      Name = GetPidlDisplayName(nullptr, nullptr, 1);
    } else {
      TComPtr<IShellFolder> Parent;
      TPidl ParentList, RelList;
      if (SUCCEEDED(SplitPidl(Base, Parent, ParentList, RelList)))
        Name = GetPidlDisplayName(Parent.Get(), RelList.Get(), 1);
    }
    auto Data = std::make_unique<TPTShTreeData>(this);
    Data->Init(nullptr, Malloc, Base);
    Node = Items()->AddChildObject(nullptr, Name, Data.get());
    Data.release();
    Node->SetImageIndex(GetPidlIconIndex(Base, SHGFI_SMALLICON));
    Node->SetSelectedIndex(GetPidlIconIndex(Base, SHGFI_SMALLICON | SHGFI_OPENICON));
  }
  SHCONTF Flags = SHCONTF_FOLDERS;
  if (FOptions.Contains(ptstoShowHidden)) Flags |= SHCONTF_INCLUDEHIDDEN;
  if (FOptions.Contains(ptstoIncludeNonFolders)) Flags |= SHCONTF_NONFOLDERS;
  TComPtr<IEnumIDList> Enum;
  HRESULT Hr = Folder->EnumObjects(OwnerWindow(), Flags, Enum.Out());
  if (FAILED(Hr) || !Enum) {
    Node->SetHasChildren(false);
    return;
  }
  for (;;) {
    TPidl Item;
    ULONG Fetched = 0;
    Hr = Enum->Next(1, Item.Out(), &Fetched);
    if (Hr != S_OK || Fetched == 0) break;
    AddChildNode(Folder, Node, Item.Get());
  }
  if (Node->GetFirstChild() == nullptr) Node->SetHasChildren(false);
  if (FAILED(Hr)) RaiseSysError(Hr);
  SortChildren(Node);
  if (NewRoot) Node->Expand(false);
  if (OnFillComplete) OnFillComplete(this);
}

void TPTCustomShellTree::AddChildNode(IShellFolder* Folder, TTreeNode* Parent, PCItemIDList RelList) {
  ULONG Attributes = 0xF20B0000;
  if (FAILED(Folder->GetAttributesOf(1, &RelList, &Attributes))) return;
  if (!FOptions.Contains(ptstoVirtualFolders) && (Attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)) == 0)
    return;
  TPTShTreeData* ParentData = NodeData(Parent);
  if (!DoAddItem(Folder, ParentData != nullptr ? ParentData->GetAbsIdList() : nullptr, RelList, Attributes)) return;
  auto Data = std::make_unique<TPTShTreeData>(this);
  Data->Init(ParentData, ShellMalloc(), RelList);
  TTreeNode* Node = Items()->AddChildObject(Parent, GetPidlDisplayName(Folder, RelList, 1), Data.get());
  Data.release();
  bool Sub = (Attributes & SFGAO_HASSUBFOLDER) != 0, IsFolder = (Attributes & SFGAO_FOLDER) != 0;
  Node->SetHasChildren(FOptions.Contains(ptstoIncludeNonFolders) ? (Sub || IsFolder) : (Sub && IsFolder));
  if (Attributes & SFGAO_SHARE)
    Node->SetOverlayIndex(0);
  else if (Attributes & SFGAO_LINK)
    Node->SetOverlayIndex(1);
  if (Attributes & SFGAO_GHOSTED) Node->SetCut(true);
}

bool TPTCustomShellTree::DoAddItem(IShellFolder* Folder, PCItemIDList ParentAbsList, PCItemIDList RelList,
                                   ULONG Attributes) {
  bool Allow = true;
  if (OnAddItem) OnAddItem(this, Folder, ParentAbsList, RelList, Attributes, Allow);
  return Allow;
}

void TPTCustomShellTree::SortChildren(TTreeNode* Parent) {
  auto Compare = [this](TTreeNode* A, TTreeNode* B) {
    TPTShTreeData *DA = NodeData(A), *DB = NodeData(B);
    if (DA == nullptr || DB == nullptr) return 0;
    return CompareItemIds(DA->GetParentShellFolder(), DA->RelIdList(), DB->RelIdList());
  };
  if (Parent != nullptr)
    Parent->CustomSort(Compare);
  else
    CustomSort(Compare);
}

void TPTCustomShellTree::DoDeleteItem(TTreeNode* Node) {
  TPTShTreeData* Data = NodeData(Node);
  if (OnDeleteItem) OnDeleteItem(this, Node, Data);
  Node->SetData(nullptr);
  delete Data;
}

void TPTCustomShellTree::NodeDeleted(TTreeNode* Node) {
  if (Node == FDragNode) FDragNode = nullptr;
  DoDeleteItem(Node);
}

bool TPTCustomShellTree::CanExpand(TTreeNode* Node) {
  if (FNoExpandWhileLoading || Loading()) return false;
  if (!TPTCustomTreeView::CanExpand(Node)) return false;
  if (Node->GetFirstChild() == nullptr && Node->HasChildren()) {
    TPTShTreeData* Data = NodeData(Node);
    if (Data == nullptr) return true;
    THourGlass Busy;
    if (IShellFolder* Folder = Data->GetShellFolder()) FillNode(Folder, Node);
  }
  return true;
}

void TPTCustomShellTree::GetImageIndex(TTreeNode* Node) {
  TPTShTreeData* Data = NodeData(Node);
  if (Data != nullptr && Node->ImageIndex() <= 0)
    Node->SetImageIndex(GetPidlIconIndex(Data->GetAbsIdList(), SHGFI_SMALLICON));
  TPTCustomTreeView::GetImageIndex(Node);
}

void TPTCustomShellTree::GetSelectedIndex(TTreeNode* Node) {
  TPTShTreeData* Data = NodeData(Node);
  if (Data != nullptr && Node->SelectedIndex() <= 0)
    Node->SetSelectedIndex(GetPidlIconIndex(Data->GetAbsIdList(), SHGFI_SMALLICON | SHGFI_OPENICON));
  TPTCustomTreeView::GetSelectedIndex(Node);
}

// ---------------------------------------------------------------------------------------
// Selection and the linked controls

void TPTCustomShellTree::Change(TTreeNode* Node) {
  TPTShTreeData* Data = NodeData(Node);
  if (FUpdateCount > 0 || Loading()) {
    if (Data != nullptr) {
      TUpdatePass Pass(*this);
      FCurrentFolder.SetIdList(Data->GetAbsIdList());
    }
    return;
  }
  TPTCustomTreeView::Change(Node);
  if (Data == nullptr) return;
  if (!FImmediateSync && FShellList != nullptr) {
    FTimerTag |= 1;
    FTimer->SetEnabled(false);
    FTimer->SetInterval(500);
    FTimer->SetEnabled(true);
  } else {
    SyncSelection(Node);
  }
}

void TPTCustomShellTree::SyncSelection(TTreeNode* Node) {
  TPTShTreeData* Data = NodeData(Node);
  if (Data == nullptr) return;
  {
    TUpdatePass Pass(*this);
    FCurrentFolder.SetIdList(Data->GetAbsIdList());
    if (FShellList != nullptr) FShellList->SyncToNode(Node);
    if (FShellCombo != nullptr) FShellCombo->SyncToNode(Node);
  }
  FImmediateSync = false;
}

void TPTCustomShellTree::TimerTick() {
  FTimer->SetEnabled(false);
  int Tag = FTimerTag;
  FTimerTag = 0;
  if (Tag & 1) SyncSelection(Selected());
  if (Tag & 2) RefreshNodes();
}

void TPTCustomShellTree::FlushPendingUpdate(bool AlsoLinked) {
  if (AlsoLinked) {
    if (FShellList != nullptr) FShellList->FlushPendingUpdate(false);
    if (FShellCombo != nullptr) FShellCombo->FlushPendingUpdate(false);
  }
  if (FTimer->Enabled()) TimerTick();
}

void TPTCustomShellTree::CurrentFolderChanged() {
  if (Items()->Count() > 0) SelectFolder(FCurrentFolder.GetIdList());
}

void TPTCustomShellTree::BaseFolderChanged() {
  if (Loading()) return;
  FCurrentFolder.Clear();
  if (FOptions.Contains(ptstoAutoFill)) {
    FImmediateSync = true;
    if (HandleAllocated()) Refill();
  }
}

void TPTCustomShellTree::SelectFolder(PCItemIDList AbsList) {
  if (FUpdateCount > 0) return;
  FImmediateSync = true;
  TTreeNode* Root = Items()->GetFirstNode();
  if (Root == nullptr) return;
  TPidl Base(CopyPidl(nullptr, FBaseFolder.GetIdList()));
  TPTIdListArray BaseItems(Base.Get()), Target(AbsList);
  if (Target.Count() == 0) {
    for (TTreeNode* N = Root; N != nullptr; N = N->GetNextSibling())
      if (NodeData(N) != nullptr) {
        SetSelected(N);
        break;
      }
    return;
  }
  TTreeNode* Found = Root;
  Root->Expand(false);
  if (BaseItems.Count() < Target.Count()) {
    bool ExpandLast = FShellList != nullptr && FShellList->HideFoldersWhenLinkedToTree();
    TTreeNode* Level = Root;
    for (int i = BaseItems.Count(); i < Target.Count(); ++i) {
      TPidl Item(CopyPidl(nullptr, Target.Item(i)));
      TTreeNode* Match = nullptr;
      TPTShTreeData* LevelData = NodeData(Level);
      IShellFolder* Folder = LevelData != nullptr ? LevelData->GetShellFolder() : nullptr;
      for (TTreeNode* C = Level->GetFirstChild(); C != nullptr; C = C->GetNextSibling()) {
        TPTShTreeData* D = NodeData(C);
        if (D != nullptr && SameItemId(Folder, D->RelIdList(), Item.Get())) {
          Match = C;
          break;
        }
      }
      if (Match == nullptr) break;
      Found = Match;
      if (i + 1 < Target.Count() || ExpandLast) Match->Expand(false);
      Level = Match;
    }
  }
  SetSelected(Found);
  Found->MakeVisible();
}

void TPTCustomShellTree::GoUp(int Levels) {
  TTreeNode* Node = Selected();
  if (Node == nullptr || Node->Parent() == nullptr) return;
  for (int i = 0; i < Levels && Node->Parent() != nullptr; ++i) Node = Node->Parent();
  FImmediateSync = true;
  SetSelected(Node);
}

// ---------------------------------------------------------------------------------------
// Refresh and watching

void TPTCustomShellTree::RefreshNodes() {
  if (FOwnDrag || IsEditing()) {
    FRefreshPending = true;
    return;
  }
  if (Items()->Count() == 0) {
    Refill();
    return;
  }
  THourGlass Busy;
  TTreeNode* Remembered = Selected();
  {
    TUpdatePass Pass(*this);
    SetSelected(nullptr);
    for (TTreeNode* N = Items()->GetFirstNode(); N != nullptr;) {
      TTreeNode* Next = N->GetNextSibling();
      RefreshNode(N, Remembered);
      N = Next;
    }
  }
  FImmediateSync = true;
  if (Remembered != nullptr) SetSelected(Remembered);
}

void TPTCustomShellTree::RefreshNode(TTreeNode* Node, TTreeNode*& Remembered) {
  if (Node->GetFirstChild() == nullptr && Node != Remembered) return;
  TPTShTreeData* Data = NodeData(Node);
  IShellFolder* Folder = Data != nullptr ? Data->GetShellFolder() : nullptr;
  if (Folder == nullptr) return;
  auto IsAncestorOf = [](TTreeNode* A, TTreeNode* N) {
    for (; N != nullptr; N = N->Parent())
      if (N == A) return true;
    return false;
  };
  std::vector<TTreeNode*> Children;
  for (TTreeNode* C = Node->GetFirstChild(); C != nullptr; C = C->GetNextSibling()) Children.push_back(C);
  for (TTreeNode* C : Children) {
    TPTShTreeData* D = NodeData(C);
    if (D == nullptr) continue;
    PCItemIDList Rel = D->RelIdList();
    ULONG Attributes = 0xF3000000;
    bool Valid = SUCCEEDED(Folder->GetAttributesOf(1, &Rel, &Attributes));
    // A file-system folder that is gone is gone, whatever the shell's cache says.
    if (Valid && (Attributes & SFGAO_FILESYSTEM)) {
      std::wstring Path = PidlToWidePath(D->GetAbsIdList());
      if (Path.empty() || GetFileAttributesW(Path.c_str()) == INVALID_FILE_ATTRIBUTES) Valid = false;
    }
    if (!Valid) {
      if (IsAncestorOf(C, Remembered)) Remembered = Node;
      if (Node->Count() == 1) {
        Node->Collapse(false);
        Node->DeleteChildren();
        Node->SetHasChildren(false);
      } else {
        C->Delete();
      }
      continue;
    }
    if (C->GetFirstChild() == nullptr && (Attributes & SFGAO_HASSUBFOLDER) && (Attributes & SFGAO_FOLDER))
      C->SetHasChildren(true);
  }
  TComPtr<IEnumIDList> Enum;
  bool Added = false;
  if (SUCCEEDED(Folder->EnumObjects(OwnerWindow(), SHCONTF_FOLDERS, Enum.Out())) && Enum) {
    for (;;) {
      TPidl Item;
      ULONG Fetched = 0;
      if (Enum->Next(1, Item.Out(), &Fetched) != S_OK || Fetched == 0) break;
      bool Known = false;
      for (TTreeNode* C = Node->GetFirstChild(); C != nullptr && !Known; C = C->GetNextSibling())
        if (TPTShTreeData* D = NodeData(C)) Known = SameItemId(Folder, D->RelIdList(), Item.Get());
      if (Known) continue;
      AddChildNode(Folder, Node, Item.Get());
      Added = true;
    }
  }
  if (Added) {
    Node->SetHasChildren(true);
    SortChildren(Node);
  }
  for (TTreeNode* C = Node->GetFirstChild(); C != nullptr;) {
    TTreeNode* Next = C->GetNextSibling();
    RefreshNode(C, Remembered);
    C = Next;
  }
}

void TPTCustomShellTree::StartWatching() {
  if (!HandleAllocated()) return;
  if (!FWatcher)
    FWatcher = std::make_unique<TChangeHandlerThread>(Handle(), WM_SHELLCHANGE);
  else
    FWatcher->RemoveAll();
  FTimerTag &= ~2;
  DWORD Filter = FILE_NOTIFY_CHANGE_DIR_NAME;
  if (FOptions.Contains(ptstoIncludeNonFolders)) Filter |= FILE_NOTIFY_CHANGE_FILE_NAME;
  DWORD Drives = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if ((Drives & (1u << i)) == 0) continue;
    wchar_t Root[4] = {wchar_t(L'A' + i), L':', L'\\', 0};
    UINT Type = GetDriveTypeW(Root);
    if (Type != DRIVE_FIXED && Type != DRIVE_REMOTE && Type != DRIVE_RAMDISK) continue;
    int Slot = -1;
    FWatcher->AddWatch(FromWide(Root), Filter, Slot, !IsHostRoot(Root));
  }
}

void TPTCustomShellTree::StopWatching() { FWatcher.reset(); }

// ---------------------------------------------------------------------------------------
// Rename, keys, verbs, context menu

bool TPTCustomShellTree::CanEdit(TTreeNode* Node) {
  if (Designing()) return false;
  TPTShTreeData* Data = NodeData(Node);
  if (Data != nullptr && !Data->CanRename()) return false;
  return TPTCustomTreeView::CanEdit(Node);
}

void TPTCustomShellTree::Edit(const TVITEMW& Item) {
  TTreeNode* Node = Items()->NodeOf(Item.hItem);
  TPTShTreeData* Data = NodeData(Node);
  if (Data == nullptr) {
    TPTCustomTreeView::Edit(Item);
    return;
  }
  if (Item.pszText == nullptr) return;
  std::string Text = FromWide(Item.pszText);
  {
    THourGlass Busy;
    FSkipNextChange = true;
    TUpdatePass Pass(*this);
    IShellFolder* Parent = Data->GetParentShellFolder();
    std::wstring Name = std::wstring(Item.pszText).substr(0, MAX_PATH);
    LPITEMIDLIST NewRel = nullptr;
    PCItemIDList Rel = Data->RelIdList();
    if (Parent != nullptr && SUCCEEDED(Parent->SetNameOf(OwnerWindow(), Rel, Name.c_str(), SHGDN_INFOLDER, &NewRel)) &&
        NewRel != nullptr) {
      TPidl NewList(NewRel);
      // Every list below the node was built from its old name.
      std::vector<TTreeNode*> Stack{Node};
      while (!Stack.empty()) {
        TTreeNode* N = Stack.back();
        Stack.pop_back();
        if (TPTShTreeData* D = NodeData(N)) D->ResetCache();
        for (TTreeNode* C = N->GetFirstChild(); C != nullptr; C = C->GetNextSibling()) Stack.push_back(C);
      }
      Data->SetRelIdList(NewList.Get());
      Node->SetText(GetPidlDisplayName(Parent, Data->RelIdList(), 1));
      FCurrentFolder.SetIdList(Data->GetAbsIdList());
      if (FShellList != nullptr) FShellList->AssignFolder(&FCurrentFolder);
      if (FShellCombo != nullptr) FShellCombo->SetFolder(&FCurrentFolder);
    } else {
      FSkipNextChange = false;
    }
  }
  bool Pending = FRefreshPending;
  FRefreshPending = false;
  if (Pending) RefreshNodes();
  if (OnEdited) OnEdited(this, Node, Text);
}

void TPTCustomShellTree::InvokeCommandOnNode(TTreeNode* Node, const std::string& Verb) {
  if (Node == nullptr || Node->Parent() == nullptr) return;
  TPTShTreeData* Data = NodeData(Node);
  if (Data == nullptr) return;
  if (Data->Parent() == nullptr) RaiseSysError(E_FAIL);
  HRESULT Hr = InvokeItemsVerb(OwnerWindow(), Data->Parent()->GetAbsIdList(), {Data->RelIdList()}, Verb);
  // A cancelled confirmation is the user's answer, not a failure.
  if (Hr != HRESULT_FROM_WIN32(ERROR_CANCELLED)) CheckHResult(Hr);
}

void TPTCustomShellTree::KeyDown(uint16_t& Key, TShiftState Shift) {
  // Keyboard moves reach the linked list only after the delay.
  FImmediateSync = false;
  TPTCustomTreeView::KeyDown(Key, Shift);
  if (Key == 0 || !FOptions.Contains(ptstoDefaultKeyHandling) || IsEditing() || Designing()) return;
  TTreeNode* Node = Selected();
  switch (FindDefaultShortcut(ShortCut(Key, Shift))) {
    case dscRename:
      if (Node != nullptr) Node->EditText();
      break;
    case dscRefresh:
      RefreshNodes();
      break;
    case dscDelete:
      InvokeCommandOnNode(Node, "delete");
      break;
    case dscCut:
      InvokeCommandOnNode(Node, "cut");
      break;
    case dscCopy:
      InvokeCommandOnNode(Node, "copy");
      break;
    case dscPaste:
      InvokeCommandOnNode(Node, "paste");
      break;
    default:
      return;
  }
  Key = 0;
}

bool TPTCustomShellTree::ShowContextMenu(TTreeNode* Node, TPoint P) {
  TPTShTreeData* Data = NodeData(Node);
  if (!FOptions.Contains(ptstoContextMenus) || Designing() || Data == nullptr ||
      Data->GetParentShellFolder() == nullptr || IsDesktop(Data->GetAbsIdList()))
    return TPTCustomTreeView::ShowContextMenu(Node, P);
  FRightClick = true;
  TPoint S = ClientToScreen(P);
  PCItemIDList Rel = Data->RelIdList();
  TrackShellContextMenu(Handle(), OwnerWindow(), Data->GetParentShellFolder(), 1, &Rel, POINT{S.X, S.Y},
                        FContextMenu, [this, Node] { return CreateTreeNodeDataObject(this, Node); });
  return true;
}

std::unique_ptr<TPTCustomDraw> TPTCustomShellTree::DoCustomDraw(NMTVCUSTOMDRAW& Draw, LRESULT& Result) {
  std::unique_ptr<TPTCustomDraw> CD = TPTCustomTreeView::DoCustomDraw(Draw, Result);
  bool ItemPrePaint = Draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT;
  if (!OnCustomDrawShEx && !(OnCustomDrawSh && ItemPrePaint)) {
    if ((Draw.nmcd.dwDrawStage & CDDS_PREPAINT) && OnCustomDrawSh) Result |= CDRF_NOTIFYITEMDRAW;
    return CD;
  }
  if (!CD) CD = CreateCustomDraw(Draw, Result);
  TTreeNode* Node = (Draw.nmcd.dwDrawStage & CDDS_ITEM)
                        ? Items()->NodeOf(reinterpret_cast<HTREEITEM>(Draw.nmcd.dwItemSpec))
                        : nullptr;
  TPTShTreeData* Data = NodeData(Node);
  if (OnCustomDrawShEx) OnCustomDrawShEx(this, CD.get(), Node, Data);
  if (OnCustomDrawSh && ItemPrePaint) OnCustomDrawSh(this, CD.get(), Node, Data);
  CD->Apply();
  if (Draw.nmcd.dwDrawStage & CDDS_PREPAINT) Result |= CDRF_NOTIFYITEMDRAW;
  return CD;
}

// ---------------------------------------------------------------------------------------
// Window

void TPTCustomShellTree::CreateParams(TCreateParams& Params) {
  TPTCustomTreeView::CreateParams(Params);
  if (!FOptions.Contains(ptstoOleDrag)) Params.Style |= TVS_DISABLEDRAGDROP;
}

void TPTCustomShellTree::UpdateDragStyle() {
  if (HandleAllocated()) SetWindowStyleBits(Handle(), TVS_DISABLEDRAGDROP, !FOptions.Contains(ptstoOleDrag));
}

void TPTCustomShellTree::CreateWnd() {
  TPTCustomTreeView::CreateWnd();
  if (FOptions.Contains(ptstoOleDrop) && !Designing()) RegisterDrop();
  if (!Loading() && FOptions.Contains(ptstoAutoFill)) Refill();
  if (FShellList != nullptr) FShellList->AssignFolder(&FCurrentFolder);
}

void TPTCustomShellTree::Loaded() {
  FNoExpandWhileLoading = true;
  TPTCustomTreeView::Loaded();
  FNoExpandWhileLoading = false;
  if (FOptions.Contains(ptstoAutoFill) && FShellCombo == nullptr && HandleAllocated()) {
    Refill();
    if (FShellList != nullptr) FShellList->AssignFolder(&FCurrentFolder);
  }
}

void TPTCustomShellTree::DestroyWnd() {
  {
    TUpdatePass Pass(*this);
    SetSelected(nullptr);
    Items()->Clear();
  }
  TPTCustomTreeView::DestroyWnd();
}

void TPTCustomShellTree::RegisterDrop() {
  if (FDropTarget || !HandleAllocated()) return;
  TComPtr<IDropTarget> Target(new TForwardingDropTarget<TPTCustomShellTree>(this));
  if (SUCCEEDED(RegisterDragDrop(Handle(), Target.Get()))) FDropTarget = Target;
}

void TPTCustomShellTree::RevokeDrop() {
  if (!FDropTarget) return;
  if (HandleAllocated()) RevokeDragDrop(Handle());
  static_cast<TForwardingDropTarget<TPTCustomShellTree>*>(FDropTarget.Get())->Detach();
  FDropTarget.Reset();
}

void TPTCustomShellTree::WndProc(TMessage& M) {
  // While the shell's menu is open, its owner-drawn items and Send To go through it.
  if (FContextMenu && HandleContextMenuMessage(M, FContextMenu.Get(), this, OnPopupHint)) return;
  switch (M.Msg) {
    case WM_SHELLCHANGE:
      if (FSkipNextChange) {
        FSkipNextChange = false;
        return;
      }
      // What the tree's own drag changed is read once the drag is over.
      if (FOwnDrag) {
        FRefreshPending = true;
        return;
      }
      FTimerTag |= 2;
      FTimer->SetEnabled(false);
      FTimer->SetInterval(Focused() ? 400 : 2000);
      FTimer->SetEnabled(true);
      return;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      FImmediateSync = true;
      break;
    case WM_GETDLGCODE:
      if (IsEditing()) {
        M.Result = DLGC_WANTALLKEYS;
        return;
      }
      break;
    case WM_NCDESTROY:
      RevokeDrop();
      {
        TUpdatePass Pass(*this);
        FWatcher.reset();
      }
      break;
    case CN_NOTIFY: {
      auto* H = reinterpret_cast<NMHDR*>(M.LParam);
      if ((H->code == TVN_BEGINDRAGW || H->code == TVN_BEGINRDRAGW) && FOptions.Contains(ptstoOleDrag)) {
        auto* T = reinterpret_cast<NMTREEVIEWW*>(M.LParam);
        if (TTreeNode* Node = Items()->NodeOf(T->itemNew.hItem)) BeginOwnDrag(Node, H->code == TVN_BEGINRDRAGW ? 1 : 0);
        return;
      }
      break;
    }
  }
  TPTCustomTreeView::WndProc(M);
}

// ---------------------------------------------------------------------------------------
// Drag and drop

TComPtr<IDataObject> CreateTreeNodeDataObject(TPTCustomShellTree* Tree, TTreeNode* Node) {
  TPTShTreeData* Data = Tree != nullptr ? Tree->NodeData(Node) : nullptr;
  if (Data == nullptr || Data->Parent() == nullptr) return {};
  return CreateShellDataObject(Data->Parent()->GetAbsIdList(), {Data->RelIdList()});
}

void TPTCustomShellTree::BeginOwnDrag(TTreeNode* Node, int ButtonKind) {
  TPTShTreeData* Data = NodeData(Node);
  if (Data == nullptr || Node->Parent() == nullptr) return;
  FDragNode = Node;
  SetDropTarget(Node);
  TComPtr<IDataObject> Object = CreateTreeNodeDataObject(this, Node);
  SetDropTarget(nullptr);
  if (!Object) return;
  DWORD Allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  ULONG Attributes = Allowed;
  PCItemIDList Rel = Data->RelIdList();
  IShellFolder* Parent = Data->GetParentShellFolder();
  if (Parent != nullptr && SUCCEEDED(Parent->GetAttributesOf(1, &Rel, &Attributes))) Allowed &= Attributes;
  TComPtr<IDropSource> Source(new TDropSource_shlvtv(ButtonKind));
  FOwnDrag = true;
  DWORD Effect = DROPEFFECT_NONE;
  DoDragDrop(Object.Get(), Source.Get(), Allowed, &Effect);
  FOwnDrag = false;
  bool Pending = FRefreshPending;
  FRefreshPending = false;
  if (Pending) RefreshNodes();
}

TTreeNode* TPTCustomShellTree::ShellNodeAt(POINTL Point) {
  TPoint P = ScreenToClient(TPoint(Point.x, Point.y));
  TTreeNode* Node = GetNodeAt(P.X, P.Y);
  return NodeData(Node) != nullptr ? Node : nullptr;
}

namespace {

// The effect of a drop of Data on a node: into a folder of the file system by our own
// transfer, elsewhere as the shell's drop target of the node answers.
DWORD NodeDropEffect(TPTShTreeData* Data, IDataObject* Object, DWORD Keys, POINTL Point, DWORD Effect, HWND Owner,
                     bool Over) {
  std::wstring Folder = PidlToWidePath(Data->GetAbsIdList());
  if (!Folder.empty() && (GetFileAttributesW(Folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY) &&
      GetFileAttributesW(Folder.c_str()) != INVALID_FILE_ATTRIBUTES)
    return ChooseDropEffect(Keys, Effect & GetAllowedDropEffects(Object), DataObjectPaths(Object), Folder);
  TComPtr<IDropTarget> Target = Data->GetDropTarget(Owner);
  if (!Target) return DROPEFFECT_NONE;
  DWORD E = Effect;
  if (FAILED(Target->DragEnter(Object, Keys, Point, &E))) return DROPEFFECT_NONE;
  if (Over) {
    E = Effect;
    Target->DragOver(Keys, Point, &E);
  }
  Target->DragLeave();
  return E;
}

}  // namespace

HRESULT TPTCustomShellTree::DoDragEnter(IDataObject* Data, DWORD KeyState, POINTL Point, DWORD* Effect) {
  FLastScroll = GetTickCount();
  FDragData = TComPtr<IDataObject>::Share(Data);
  FDragKeys = KeyState;
  TTreeNode* Node = ShellNodeAt(Point);
  if (Node != nullptr && Node->Parent() != nullptr) {
    SetDropTarget(Node);
    *Effect = NodeDropEffect(NodeData(Node), Data, KeyState, Point, *Effect, OwnerWindow(), false);
  } else {
    *Effect = DROPEFFECT_NONE;
    SetDropTarget(FDragNode);
  }
  return S_OK;
}

HRESULT TPTCustomShellTree::DoDragOver(DWORD KeyState, POINTL Point, DWORD* Effect) {
  TTreeNode* Old = DropTarget();
  TTreeNode* Node = ShellNodeAt(Point);
  if (Node != nullptr && FDragData) {
    SetDropTarget(Node);
    *Effect = NodeDropEffect(NodeData(Node), FDragData.Get(), KeyState, Point, *Effect, OwnerWindow(), true);
  } else {
    *Effect = DROPEFFECT_NONE;
    SetDropTarget(FDragNode);
  }
  DragAutoScroll(Handle(), Point, FLastScroll);
  *Effect |= DROPEFFECT_SCROLL;
  if (DropTarget() != Old) Update();
  return S_OK;
}

HRESULT TPTCustomShellTree::DoDragLeave() {
  FDragData.Reset();
  SetDropTarget(nullptr);
  return S_OK;
}

HRESULT TPTCustomShellTree::DoDrop(IDataObject* Data, DWORD KeyState, POINTL Point, DWORD* Effect) {
  TTreeNode* Node = ShellNodeAt(Point);
  DWORD Result = DROPEFFECT_NONE;
  HRESULT Hr = S_OK;
  if (Node != nullptr) {
    TPTShTreeData* NodeInfo = NodeData(Node);
    DWORD Keys = KeyState | (FDragKeys & (MK_LBUTTON | MK_RBUTTON));
    if (TComPtr<IDropTarget> Own = CreateFolderTransferTarget(OwnerWindow(), NodeInfo->GetAbsIdList())) {
      // A folder of the file system takes our own transfer (and the right button's menu).
      DWORD E = *Effect;
      Hr = Own->Drop(Data, Keys, Point, &E);
      Result = E;
    } else if (TComPtr<IDropTarget> Target = NodeInfo->GetDropTarget(OwnerWindow())) {
      DWORD E = *Effect;
      Target->DragEnter(Data, Keys, Point, &E);
      E = *Effect;
      Target->DragOver(Keys, Point, &E);
      E = *Effect & GetAllowedDropEffects(Data);
      Hr = Target->Drop(Data, Keys, Point, &E);
      Result = E;
    }
  }
  *Effect = Result;
  SetDropTarget(nullptr);
  FDragData.Reset();
  return Hr;
}
