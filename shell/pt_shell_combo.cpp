#include "shell/pt_shell_combo.h"

#include <algorithm>

#include "classlib/core/exception.h"
#include "shell/pt_shell_list.h"
#include "shell/pt_shell_routines.h"
#include "shell/pt_shell_tree.h"

template <> const TTypeInfo* TypeInfoOf<TPTShellComboOption>() {
  static const TTypeInfo Info = EnumTypeInfo("TPTShellComboOption", {"ptscoAutofill", "ptscoNonFilesystemAncestors"});
  return &Info;
}

const TClassInfo* TPTCustomShellCombo::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TPTCustomShellCombo, TComboBox>("TPTCustomShellCombo")
          .Prop("ShellTree", &TPTCustomShellCombo::ShellTree, &TPTCustomShellCombo::SetShellTree)
          .Prop("ShellList", &TPTCustomShellCombo::LinkedShellList,
                [](TPTCustomShellCombo& C, TPTCustomShellList* L) { C.SetShellList(L); })
          .Prop("IndentPixels", &TPTCustomShellCombo::IndentPixels, &TPTCustomShellCombo::SetIndentPixels)
          .Prop("Options", &TPTCustomShellCombo::Options, &TPTCustomShellCombo::SetOptions)
          .Prop("OnCloseUp", &TPTCustomShellCombo::OnCloseUp)
          .Prop("OnSelEndOk", &TPTCustomShellCombo::OnSelEndOk)
          .Prop("OnSelEndCancel", &TPTCustomShellCombo::OnSelEndCancel)
          .Prop("OnDeleteItem", &TPTCustomShellCombo::OnDeleteItem)
          .Build();
  return &Info;
}

const TClassInfo* TPTShellCombo::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TPTShellCombo, TPTCustomShellCombo>("TPTShellCombo").Build();
  return &Info;
}

TPTCustomShellList* TPTCustomShellCombo::LinkedShellList() const {
  return dynamic_cast<TPTCustomShellList*>(FShellListComponent);
}


void SortPidls(IShellFolder* Folder, std::vector<PCItemIDList>& Lists) {
  static bool Running = false;
  if (Running) throw Exception("Recursive call to SortPidls");
  struct TGuard {
    TGuard() { Running = true; }
    ~TGuard() { Running = false; }
  } Guard;
  // A stable merge never reads outside the range, whatever order the shell answers.
  std::stable_sort(Lists.begin(), Lists.end(),
                   [Folder](PCItemIDList A, PCItemIDList B) { return CompareItemIds(Folder, A, B) < 0; });
}

struct TPTCustomShellCombo::TUpdatePass {
  TPTCustomShellCombo& Combo;
  explicit TUpdatePass(TPTCustomShellCombo& C) : Combo(C) { ++Combo.FUpdateCount; }
  ~TUpdatePass() { --Combo.FUpdateCount; }
};

TPTCustomShellCombo::TPTCustomShellCombo(TComponent* AOwner) : TPTCustomImageCombo(AOwner) {
  FSystemImages = new TImageList(this);
  FSystemImages->SetShareImages(true);
  FSystemImages->SetHandle(GetSystemImageList(0));
  SetImages(FSystemImages);
  FFolder.OnChange = [this](TObject*) { FolderChanged(); };
}

TPTCustomShellCombo::~TPTCustomShellCombo() {
  if (FShellTree != nullptr) FShellTree->LinkCombo(nullptr);
  if (FShellList != nullptr) FShellList->LinkCombo(nullptr);
  // The entries' data go while this class still frees them.
  Items()->Clear();
}

TPTShComboData* TPTCustomShellCombo::EntryData(int Index) const {
  TPTImageComboItem* Item = ComboItem(Index);
  return Item != nullptr ? static_cast<TPTShComboData*>(Item->Data) : nullptr;
}

// ---------------------------------------------------------------------------------------
// Links

void TPTCustomShellCombo::SetShellTree(TPTCustomShellTree* Value) {
  if (Value == FShellTree) return;
  if (Value != nullptr && FShellList != nullptr)
    throw EInvalidOperation("The combo is linked to a shell list already");
  if (FShellTree != nullptr) {
    RemoveFreeNotification(FShellTree);
    FShellTree->LinkCombo(nullptr);
  }
  FShellTree = Value;
  if (FShellTree != nullptr) {
    FShellTree->FreeNotification(this);
    FShellTree->LinkCombo(this);
  }
}

void TPTCustomShellCombo::SetShellList(TPTShellListLink* Value) {
  if (Value == FShellList) return;
  if (Value != nullptr && FShellTree != nullptr)
    throw EInvalidOperation("The combo is linked to a shell tree already");
  if (FShellList != nullptr) {
    FShellListComponent->RemoveFreeNotification(this);
    FShellList->LinkCombo(nullptr);
  }
  FShellList = Value;
  FShellListComponent = Value != nullptr ? Value->LinkComponent() : nullptr;
  if (FShellList != nullptr) {
    FShellListComponent->FreeNotification(this);
    FShellList->LinkCombo(this);
  }
}

void TPTCustomShellCombo::Notification(TComponent* AComponent, TOperation Operation) {
  TPTCustomImageCombo::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FShellTree) FShellTree = nullptr;
  // The list is half gone: only its component is compared.
  if (FShellList != nullptr && AComponent == FShellListComponent) {
    FShellList = nullptr;
    FShellListComponent = nullptr;
  }
}

void TPTCustomShellCombo::FlushPendingUpdate(bool AlsoLinked) {
  if (!AlsoLinked) return;
  if (FShellTree != nullptr) FShellTree->FlushPendingUpdate(false);
  if (FShellList != nullptr) FShellList->FlushPendingUpdate(false);
}

// ---------------------------------------------------------------------------------------
// Following and driving

void TPTCustomShellCombo::SyncToNode(TTreeNode* Node) {
  if (Node == nullptr) return;
  if (auto* Data = static_cast<TPTShTreeData*>(Node->Data())) FFolder.SetIdList(Data->GetAbsIdList());
}

void TPTCustomShellCombo::GoUp(int Levels) {
  int Sel = ItemIndex();
  TPTImageComboItem* Item = ComboItem(Sel);
  if (Item == nullptr) return;
  int Want = Item->Indent - Levels;
  int Target = 0;
  for (int i = Sel - 1; i >= 0; --i)
    if (ComboItem(i)->Indent <= Want) {
      Target = i;
      break;
    }
  if (Target != Sel)
    if (TPTShComboData* Data = EntryData(Target)) FFolder.SetIdList(Data->AbsIdList());
}

void TPTCustomShellCombo::SelEndOk() {
  TPTCustomImageCombo::SelEndOk();
  if (TPTShComboData* Data = EntryData(ItemIndex())) FFolder.SetIdList(Data->AbsIdList());
}

void TPTCustomShellCombo::FolderChanged() {
  if (FUpdateCount > 0) return;
  TUpdatePass Pass(*this);
  if (FShellTree != nullptr)
    FShellTree->SetFolder(&FFolder);
  else if (FShellList != nullptr)
    FShellList->AssignFolder(&FFolder);
  Rebuild();
}

// ---------------------------------------------------------------------------------------
// Filling

void TPTCustomShellCombo::Rebuild() {
  TUpdatePass Pass(*this);
  {
    // The box takes the entries when the update ends, and loses its selection then.
    Items()->BeginUpdate();
    struct TEnd {
      TStrings* S;
      ~TEnd() { S->EndUpdate(); }
    } End{Items()};
    SetItemIndex(-1);
    Items()->Clear();
    FSelect = -1;
    TPidl Current(CopyPidl(nullptr, FFolder.GetIdList()));
    TPTIdListArray Chain(Current.Get());
    TComPtr<IShellFolder> Desktop;
    CheckHResult(SHGetDesktopFolder(Desktop.Out()));
    FillLevel(Desktop.Get(), nullptr, Chain.Count() > 0 ? &Chain : nullptr, -1);
  }
  SetItemIndex(FSelect >= 0 ? FSelect : 0);
}

bool TPTCustomShellCombo::DoAddItem(IShellFolder*, PCItemIDList) { return true; }

TPTImageComboItem* TPTCustomShellCombo::AddEntry(IShellFolder* Folder, PCItemIDList ParentList, PCItemIDList RelList,
                                                 const std::string& Name, bool Open, int Indent, ULONG Attributes) {
  auto Data = std::make_unique<TPTShComboData>(this);
  Data->Init(Folder, ParentList, RelList);
  int Icon = GetPidlIconIndex(Data->AbsIdList(), SHGFI_SMALLICON | (Open ? SHGFI_OPENICON : 0));
  TPTImageComboItem* Item = AddItem(Name, Icon, Indent);
  Item->Data = Data.release();
  if (Attributes & SFGAO_SHARE)
    Item->SetOverlayIndex(0);
  else if (Attributes & SFGAO_LINK)
    Item->SetOverlayIndex(1);
  return Item;
}

void TPTCustomShellCombo::FillLevel(IShellFolder* Folder, PCItemIDList ParentList, TPTIdListArray* Chain, int Level) {
  TPidl Drives;
  CheckHResult(GetSpecialFolderPidl(nullptr, CSIDL_DRIVES, *Drives.Out()));
  if (Level == -1) {
    AddEntry(nullptr, nullptr, nullptr, GetPidlDisplayName(nullptr, nullptr, 0), false, 0, 0);
    Level = 1;
  }
  std::vector<TPidl> Owned;
  TComPtr<IEnumIDList> Enum;
  if (SUCCEEDED(Folder->EnumObjects(nullptr, SHCONTF_FOLDERS, Enum.Out())) && Enum) {
    for (;;) {
      TPidl Item;
      ULONG Fetched = 0;
      if (Enum->Next(1, Item.Out(), &Fetched) != S_OK || Fetched == 0) break;
      Owned.push_back(std::move(Item));
    }
  }
  std::vector<PCItemIDList> Children;
  for (const TPidl& P : Owned) Children.push_back(P.Get());
  SortPidls(Folder, Children);
  for (PCItemIDList Child : Children) {
    ULONG Attributes = 0xF00B0000;
    if (FAILED(Folder->GetAttributesOf(1, &Child, &Attributes))) continue;
    if (!FOptions.Contains(ptscoNonFilesystemAncestors) &&
        (Attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)) == 0)
      continue;
    if (!DoAddItem(Folder, Child)) continue;
    bool OnChain = false;
    if (Chain != nullptr && Chain->Count() >= Level) {
      TPidl Link(CopyPidl(nullptr, Chain->Item(Level - 1)));
      OnChain = SameItemId(Folder, Link.Get(), Child);
    }
    bool Last = OnChain && Chain->Count() == Level;
    std::string Name = GetNameOf(Folder, Child, SHGDN_INFOLDER);
    TPTImageComboItem* Entry = AddEntry(Folder, ParentList, Child, Name, Last, Level, Attributes);
    auto* Data = static_cast<TPTShComboData*>(Entry->Data);
    bool IsDrives = Level == 1 && ComparePidls(Data->AbsIdList(), Drives.Get()) == 0;
    TPTIdListArray* Below = nullptr;
    if (OnChain) {
      if (Last) {
        FSelect = Entry->Index;
      } else if (IsDrives) {
        Below = Chain;
      } else {
        TComPtr<IShellFolder> Sub;
        CheckHResult(Folder->BindToObject(Child, nullptr, IID_IShellFolder, reinterpret_cast<void**>(Sub.Out())));
        AppendChain(Sub.Get(), Data->AbsIdList(), Chain, Level);
      }
      Chain = nullptr;  // found: no later entry lies on it
    }
    if (IsDrives) {
      TComPtr<IShellFolder> Sub;
      CheckHResult(Folder->BindToObject(Child, nullptr, IID_IShellFolder, reinterpret_cast<void**>(Sub.Out())));
      FillLevel(Sub.Get(), Data->AbsIdList(), Below, 2);
    }
  }
}

void TPTCustomShellCombo::AppendChain(IShellFolder* Folder, PCItemIDList ParentList, TPTIdListArray* Chain, int From) {
  TComPtr<IShellFolder> Current = TComPtr<IShellFolder>::Share(Folder);
  TPidl CurrentList(CopyPidl(nullptr, ParentList));
  for (int i = From; i < Chain->Count(); ++i) {
    TPidl Item(CopyPidl(nullptr, Chain->Item(i)));
    PCItemIDList Rel = Item.Get();
    ULONG Attributes = 0xB00B0000;
    if (FAILED(Current->GetAttributesOf(1, &Rel, &Attributes))) Attributes = 0;
    bool Last = i + 1 == Chain->Count();
    std::string Name = GetNameOf(Current.Get(), Rel, SHGDN_INFOLDER | SHGDN_FORADDRESSBAR);
    TPTImageComboItem* Entry = AddEntry(Current.Get(), CurrentList.Get(), Rel, Name, Last, i + 1, Attributes);
    if (Last) {
      FSelect = Entry->Index;
      break;
    }
    TComPtr<IShellFolder> Sub;
    CheckHResult(Current->BindToObject(Rel, nullptr, IID_IShellFolder, reinterpret_cast<void**>(Sub.Out())));
    Current = Sub;
    CurrentList = TPidl(CopyPidl(nullptr, static_cast<TPTShComboData*>(Entry->Data)->AbsIdList()));
  }
}

void TPTCustomShellCombo::DoDeleteItem(TObject* aData) {
  auto* Item = static_cast<TPTImageComboItem*>(aData);
  std::unique_ptr<TPTShComboData> Data(Item != nullptr ? static_cast<TPTShComboData*>(Item->Data) : nullptr);
  // The events see the entry with its data; both go after.
  TPTCustomImageCombo::DoDeleteItem(aData);
}

// ---------------------------------------------------------------------------------------
// Window

void TPTCustomShellCombo::CreateWnd() {
  TPTCustomImageCombo::CreateWnd();
  if (FOptions.Contains(ptscoAutofill) && !Loading()) Rebuild();
}

void TPTCustomShellCombo::DestroyWnd() {
  Items()->Clear();
  TPTCustomImageCombo::DestroyWnd();
}

void TPTCustomShellCombo::Loaded() {
  TPTCustomImageCombo::Loaded();
  if (!FOptions.Contains(ptscoAutofill)) return;
  TUpdatePass Pass(*this);
  Rebuild();
  if (FShellTree != nullptr) {
    FShellTree->CurrentFolder()->Assign(&FFolder);
    if (FShellTree->HandleAllocated()) FShellTree->Refill();
  } else if (FShellList != nullptr) {
    FShellList->AssignFolder(&FFolder);
  }
}
