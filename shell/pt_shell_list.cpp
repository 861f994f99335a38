#include "shell/pt_shell_list.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/forms.h"
#include "classlib/win/registry.h"
#include "classlib/win/wide_string.h"
#include "shell/core/pt_shell_strings.h"
#include "shell/core/shell_list_rules.h"
#include "shell/forwarding_drop_target.h"
#include "shell/pt_data_transfer.h"
#include "shell/pt_shell_combo.h"
#include "shell/pt_shell_routines.h"
#include "shell/pt_shell_tree.h"

template <> const TTypeInfo* TypeInfoOf<TPTShellListOption>() {
  static const TTypeInfo Info = EnumTypeInfo(
      "TPTShellListOption",
      {"ptsloAutoFill", "ptsloNonFilesystemAncestors", "ptsloDesignInteractive", "ptsloDefaultKeyHandling",
       "ptsloContextMenus", "ptsloDontChangeFolder", "ptsloDontGoBelowBase", "ptsloDynamicRefresh",
       "ptsloHideFoldersWhenLinkedToTree", "ptsloOleDrag", "ptsloOleDrop", "ptsloFolderContextMenu",
       "ptsloShowHidden"});
  return &Info;
}

namespace {

// The item data of the list: the shell data plus what the list shows of it, asked once.
class TShListItemData final : public TPTShListData {
public:
  using TPTShListData::TPTShListData;
  // Everything shown is asked again.
  void Forget() {
    ResetCache();
    IconIndex = -1;
    TextsReady = false;
    NameKnown = false;
  }
  int IconIndex = -1;
  bool NameKnown = false;
  std::string FileName;  // the name in its folder, as the file system has it
  bool TextsReady = false;
  std::string Texts[3];  // size, type, modified
};

// Extensions whose files carry icons of their own.
bool HasOwnIcon(const std::string& UpperName, DWORD Attributes) {
  // A folder marked read-only or system may have a customised icon.
  if (Attributes & FILE_ATTRIBUTE_DIRECTORY) return (Attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM)) != 0;
  static const char* const Own[] = {".EXE", ".ICO", ".LNK", ".CUR", ".ANI", ".URL", ".PIF", ".SCR", ".CPL", ".DLL", ".MSC"};
  std::string Ext = ExtractFileExt(UpperName);
  return std::any_of(std::begin(Own), std::end(Own), [&](const char* E) { return Ext == E; });
}

// Type names and icons of plain files depend on the extension only: asked once each.
struct TByExtension {
  std::string TypeName;
  int Icon = -1;
};

const TByExtension& ByExtension(const std::string& UpperName, bool Directory) {
  static std::map<std::pair<std::string, bool>, TByExtension> Cache;
  std::string Ext = Directory ? std::string() : ExtractFileExt(UpperName);
  auto Key = std::make_pair(Ext, Directory);
  auto It = Cache.find(Key);
  if (It != Cache.end()) return It->second;
  TByExtension E;
  SHFILEINFOW Info{};
  std::wstring Probe = ToWide("X" + Ext);
  DWORD Attributes = Directory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
  if (SHGetFileInfoW(Probe.c_str(), Attributes, &Info, sizeof(Info), SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES) != 0)
    E.TypeName = FromWideBuf(Info.szTypeName, 80);
  Info = SHFILEINFOW{};
  if (SHGetFileInfoW(Probe.c_str(), Attributes, &Info, sizeof(Info),
                     SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES) != 0)
    E.Icon = Info.iIcon;
  return Cache.emplace(Key, E).first->second;
}

// Attributes asked of every enumerated object.
constexpr ULONG AcceptMask = 0xF20B0000 | SFGAO_GHOSTED | SFGAO_STREAM;

// The "DirectoryCols" record last read by any list (the bytes live with the locator unit).
int& CachedColumnRecordSize() {
  static int Size = 0;
  return Size;
}

TDirectoryCols CachedColumnRecord() {
  TDirectoryCols R;
  std::copy_n(ShellListColumnRecord(), TDirectoryCols::Capacity, R.Bytes);
  R.Size = CachedColumnRecordSize();
  return R;
}

void SetCachedColumnRecord(const TDirectoryCols& R) {
  std::copy_n(R.Bytes, TDirectoryCols::Capacity, ShellListColumnRecord());
  CachedColumnRecordSize() = R.Size;
}

// No critical-error boxes (an empty floppy drive) for the life of the object.
class TNoCriticalErrors {
public:
  TNoCriticalErrors() : FSaved(SetErrorMode(SEM_FAILCRITICALERRORS)) { SetErrorMode(FSaved | SEM_FAILCRITICALERRORS); }
  ~TNoCriticalErrors() { SetErrorMode(FSaved); }
  TNoCriticalErrors(const TNoCriticalErrors&) = delete;
  TNoCriticalErrors& operator=(const TNoCriticalErrors&) = delete;

private:
  UINT FSaved;
};

class TItemsUpdate {
public:
  explicit TItemsUpdate(TListItems* Items) : FItems(Items) { FItems->BeginUpdate(); }
  ~TItemsUpdate() { FItems->EndUpdate(); }
  TItemsUpdate(const TItemsUpdate&) = delete;
  TItemsUpdate& operator=(const TItemsUpdate&) = delete;

private:
  TListItems* FItems;
};

// The signed 16-bit code of a CompareIDs answer; 0 when it failed.
int CompareCode(HRESULT Hr) { return FAILED(Hr) ? 0 : int(int16_t(HRESULT_CODE(Hr))); }

}  // namespace

// What one directory search told of each entry of the folder shown, by name.
struct TPTCustomShellList::TFolderFacts {
  std::unordered_map<std::string, TFolderEntry> Entries;
};

// ---------------------------------------------------------------------------------------
// Construction

const TClassInfo* TPTCustomShellList::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TPTCustomShellList, TPTCustomListView>("TPTCustomShellList")
          .Prop("Options", &TPTCustomShellList::Options, &TPTCustomShellList::SetOptions)
          .Prop("Folder", [](const TPTCustomShellList& L) { return L.Folder(); }, nullptr)
          .Prop("FileFilter", [](const TPTCustomShellList& L) { return L.FileFilter(); },
                &TPTCustomShellList::SetFileFilter)
          .Prop("OnAddItem", &TPTCustomShellList::OnAddItem)
          .Prop("OnDeleteItem", &TPTCustomShellList::OnDeleteItem)
          .Prop("OnDblClickOpen", &TPTCustomShellList::OnDblClickOpen)
          .Prop("OnCustomDrawSh", &TPTCustomShellList::OnCustomDrawSh)
          .Prop("OnCustomDrawShEx", &TPTCustomShellList::OnCustomDrawShEx)
          .Prop("OnFillComplete", &TPTCustomShellList::OnFillComplete)
          .Build();
  return &Info;
}

const TClassInfo* TPTShellList::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TPTShellList, TPTCustomShellList>("TPTShellList").Build();
  return &Info;
}

TPTCustomShellList::TPTCustomShellList(TComponent* AOwner)
    : TPTCustomListView(AOwner), FFolder(std::make_unique<TPTShellLocator>()) {
  FFolder->OnChange = [this](TObject* Sender) { FolderChanged(Sender); };
  FMalloc = TComPtr<IMalloc>::Share(ShellMalloc());
  SetAllocBy(256);
  FSmallImages = new TCustomImageList(this);
  FSmallImages->SetShareImages(true);
  FSmallImages->SetHandle(GetSystemImageList(0));
  FLargeImages = new TCustomImageList(this);
  FLargeImages->SetShareImages(true);
  FLargeImages->SetHandle(GetSystemImageList(1));
  AddShellOverlays();
  SetSmallImages(FSmallImages);
  SetLargeImages(FLargeImages);
  FRefreshTimer = new TTimer(this);
  FRefreshTimer->SetEnabled(false);
  FRefreshTimer->OnTimer = [this](TObject* Sender) { RefreshTimerTick(Sender); };
}

TPTCustomShellList::~TPTCustomShellList() {
  // The base's destructor destroys the window where this class's handlers no longer run.
  RevokeDrop();
  // The items' data are freed through this class's deletion hook, which the base's
  // destructor could no longer reach.
  Items()->Clear();
  FreeFilterNames();
}

HWND TPTCustomShellList::OwnerWindow() {
  TControl* Top = this;
  while (Top->Parent() != nullptr) Top = Top->Parent();
  auto* Form = dynamic_cast<TCustomForm*>(Top);
  return Form != nullptr && Form->HandleAllocated() ? Form->Handle() : nullptr;
}

void TPTCustomShellList::InitWnd() {
  TPTCustomListView::InitWnd();
  if (FOptions.Contains(ptsloOleDrop) && !Designing()) RegisterDrop();
  if (Designing() || !FOptions.Contains(ptsloAutoFill) || Items()->Count() != 0) return;
  // A folder that cannot be shown must not keep the window from being made.
  try {
    Refill();
  } catch (const std::exception& E) {
    if (Application != nullptr) Application->ShowException(E);
  }
}

void TPTCustomShellList::Notification(TComponent* AComponent, TOperation Operation) {
  TPTCustomListView::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (FTree != nullptr && AComponent == static_cast<TComponent*>(FTree)) FTree = nullptr;
  if (FCombo != nullptr && AComponent == static_cast<TComponent*>(FCombo)) FCombo = nullptr;
}

void TPTCustomShellList::LinkTree(TPTCustomShellTree* Tree) {
  if (Tree == FTree) return;
  if (FTree != nullptr) FTree->RemoveFreeNotification(this);
  FTree = Tree;
  if (FTree != nullptr) FTree->FreeNotification(this);
  // Folders shown by the tree may leave the list, or come back.
  if (FOptions.Contains(ptsloHideFoldersWhenLinkedToTree) && HandleAllocated() && !Loading()) Refill();
}

void TPTCustomShellList::LinkCombo(TPTCustomShellCombo* Combo) {
  if (Combo == FCombo) return;
  if (FCombo != nullptr) FCombo->RemoveFreeNotification(this);
  FCombo = Combo;
  if (FCombo != nullptr) FCombo->FreeNotification(this);
}

void TPTCustomShellList::SyncToNode(TTreeNode* Node) {
  if (Node == nullptr || Loading() || FTree == nullptr || FTree->Selected() != Node) return;
  TPTShTreeData* Data = FTree->NodeData(Node);
  if (Data == nullptr) return;
  FFolder->SetIdList(Data->GetAbsIdList());
}

// ---------------------------------------------------------------------------------------
// Properties

void TPTCustomShellList::SetOptions(TPTShellListOptions Value) {
  TPTShellListOptions Old = FOptions;
  FOptions = Value;
  if (Loading() || !HandleAllocated()) return;
  auto Changed = [&](TPTShellListOption O) { return Old.Contains(O) != Value.Contains(O); };
  if (Changed(ptsloOleDrop) && !Designing()) {
    if (Value.Contains(ptsloOleDrop)) RegisterDrop();
    else RevokeDrop();
  }
  if (Changed(ptsloDynamicRefresh) && !Designing()) {
    if (Value.Contains(ptsloDynamicRefresh)) StartWatching();
    else StopWatching();
  }
  // A refresh keeps the items it finds, so items the new rules leave out would stay:
  // the folder is read anew.
  if (Changed(ptsloShowHidden) || Changed(ptsloHideFoldersWhenLinkedToTree)) Refill();
}

void TPTCustomShellList::SetFolder(TPTShellLocator* Value) { FFolder->Assign(Value); }

void TPTCustomShellList::SetFileFilter(const std::string& Value) {
  FFileFilter = Value;
  if (Value.empty()) {
    FFilterPatterns.clear();
    return;
  }
  FFilterPatterns = SplitFileFilter(Value);
  if (!Loading() && FOptions.Contains(ptsloAutoFill)) Refill();
}

void TPTCustomShellList::SetSortColumn(int Value) {
  FSortColumn = Value;
  Sort();
}

TPTShListData* TPTCustomShellList::GetShellData(const TListItem* Item) const {
  if (Item == nullptr || Item->Data() == nullptr) return nullptr;
  // Items that the application added may carry anything: only our own data is read.
  return FOwnData.count(Item->Data()) != 0 ? static_cast<TPTShListData*>(Item->Data()) : nullptr;
}

bool TPTCustomShellList::IsShellItem(const TListItem* Item) const { return GetShellData(Item) != nullptr; }

TPTShListData* TPTCustomShellList::GetItemData(int Index) const { return GetShellData(ItemOfIndex(Index)); }

TPTShListData* TPTCustomShellList::GetSelectedData() const { return GetShellData(Selected()); }

// ---------------------------------------------------------------------------------------
// Filling

void TPTCustomShellList::FolderChanged(TObject*) {
  bool Own = FUpdatePass == 0;
  if (Own) ++FUpdatePass;
  struct TPass {
    int& Count;
    bool Own;
    ~TPass() {
      if (Own) --Count;
    }
  } Pass{FUpdatePass, Own};
  try {
    // The partners show the new folder too (a change that came from them is not fed back).
    if (Own) TellPartners();
    Refill();
  } catch (...) {
    ReturnToShownFolder(Own);
    throw;
  }
}

void TPTCustomShellList::TellPartners() {
  if (FTree != nullptr) FTree->SetFolder(FFolder.get());
  else if (FCombo != nullptr) FCombo->SetFolder(FFolder.get());
}

// A folder that cannot be opened (a network with no network, a folder deleted meanwhile)
// leaves the list on the folder it showed, partners and all: an emptied list could not
// even go up from there. The caller still gets the error.
void TPTCustomShellList::ReturnToShownFolder(bool Partners) {
  if (FReturning || !FIdList || !HandleAllocated()) return;
  if (ComparePidls(FIdList.Get(), FFolder->GetIdList()) == 0) return;  // the shown folder itself failed
  FReturning = true;
  try {
    TPidl Back(CopyPidl(nullptr, FIdList.Get()));
    FFolder->SetIdList(Back.Get());
    if (Partners) TellPartners();
  } catch (...) {
  }
  FReturning = false;
}

void TPTCustomShellList::Refill() {
  if (!HandleAllocated()) return;
  if (FOwnDrag || FEditingName) {
    FRefreshPending = true;
    return;
  }
  THourGlass Wait;
  {
    TItemsUpdate Update(Items());
    Items()->Clear();
  }
  PCItemIDList AbsIdList = FFolder->GetIdList();
  TComPtr<IShellFolder> Folder;
  CheckHResult(GetShellFolder(AbsIdList, Folder.Out()));
  // The shell may bind a directory that is gone and list it as empty: say that it is gone.
  std::string Path = PidlToPath(AbsIdList);
  if (!Path.empty()) {
    TNoCriticalErrors NoBoxes;
    DWORD Attributes = GetFileAttributesW(ToWide(Path).c_str());
    if (Attributes == INVALID_FILE_ATTRIBUTES) RaiseSysError(int(GetLastError()));
    if ((Attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) RaiseSysError(ERROR_DIRECTORY);
  }
  BuildFilterNames();
  bool Filled = false;
  try {
    Filled = FillList(Folder.Get(), AbsIdList);
  } catch (...) {
    FreeFilterNames();
    throw;
  }
  FreeFilterNames();
  if (Filled && FOptions.Contains(ptsloDynamicRefresh) && !Designing()) StartWatching();
}

bool TPTCustomShellList::Accepts(IShellFolder* Folder, PCItemIDList AbsIdList, PCItemIDList Rel, ULONG& Attribs) {
  Attribs = AcceptMask;
  if (FAILED(Folder->GetAttributesOf(1, &Rel, &Attribs))) Attribs = 0;
  if (!FOptions.Contains(ptsloNonFilesystemAncestors) && (Attribs & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)) == 0)
    return false;
  // Plain directories are left to the tree. Directories carry SFGAO_FILESYSANCESTOR too,
  // so that bit tells nothing; a file that browses as a folder (an archive) is a stream.
  if (FOptions.Contains(ptsloHideFoldersWhenLinkedToTree) && FTree != nullptr &&
      (Attribs & (SFGAO_FOLDER | SFGAO_FILESYSTEM)) == (SFGAO_FOLDER | SFGAO_FILESYSTEM) &&
      (Attribs & SFGAO_STREAM) == 0)
    return false;
  return DoAddItem(Folder, AbsIdList, Rel, Attribs);
}

bool TPTCustomShellList::DoAddItem(IShellFolder* ParentFolder, PCItemIDList ParentAbsIdList,
                                   PCItemIDList ItemRelIdList, ULONG Attribs) {
  bool Allow = true;
  if (FFilterNames && (Attribs & SFGAO_FOLDER) == 0) {
    std::string Name = GetPidlDisplayName(ParentFolder, ItemRelIdList, 2);
    size_t Slash = Name.find_last_of('\\');
    if (Slash != std::string::npos) Name.erase(0, Slash + 1);
    Allow = MatchesFilter(Name, Attribs);
  }
  if (Allow && OnAddItem) OnAddItem(this, ParentFolder, ParentAbsIdList, ItemRelIdList, Attribs, Allow);
  return Allow;
}

bool TPTCustomShellList::FillList(IShellFolder* Folder, PCItemIDList AbsIdList) {
  TItemsUpdate Update(Items());
  TNoCriticalErrors NoBoxes;
  TPidl Previous = std::move(FIdList);
  TComPtr<IShellFolder> PreviousFolder = std::move(FShellFolder);
  FIdList = TPidl(CopyPidl(FMalloc.Get(), AbsIdList), FMalloc.Get());
  FShellFolder = TComPtr<IShellFolder>::Share(Folder);
  FDetails.Reset();
  FDetailsAsked = false;
  FFacts.reset();
  try {
    SetupColumns(GetShellDetails());
    SHCONTF Flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
    if (FOptions.Contains(ptsloShowHidden)) Flags |= SHCONTF_INCLUDEHIDDEN;
    TComPtr<IEnumIDList> Enum;
    HRESULT Hr = Folder->EnumObjects(OwnerWindow(), Flags, Enum.Out());
    if (FAILED(Hr)) return false;
    std::vector<std::unique_ptr<TShListItemData>> Pending;
    std::vector<ULONG> Attributes;
    if (Enum) {
      for (;;) {
        PItemIDList Rel = nullptr;
        ULONG Fetched = 0;
        Hr = Enum->Next(1, &Rel, &Fetched);
        if (Hr != S_OK || Rel == nullptr) break;
        TPidl Owned(Rel, FMalloc.Get());
        ULONG Attribs = 0;
        if (!Accepts(Folder, AbsIdList, Rel, Attribs)) continue;
        if (Pending.size() == Pending.capacity()) {
          Pending.reserve(Pending.size() + 500);
          Attributes.reserve(Pending.size() + 500);
        }
        auto Data = std::make_unique<TShListItemData>(this);
        Data->SetRelIdList(Owned.Release());
        Pending.push_back(std::move(Data));
        Attributes.push_back(Attribs);
      }
      if (Hr != S_FALSE && FAILED(Hr)) RaiseSysError(Hr);
    }
    SetAllocBy(int(Pending.size()));
    for (size_t I = 0; I < Pending.size(); ++I) AddItem(Pending[I].release(), Attributes[I]);
    Sort();
    if (Items()->Count() > 0) Items()->Item(0)->SetFocused(true);
  } catch (...) {
    FIdList = std::move(Previous);
    FShellFolder = std::move(PreviousFolder);
    throw;
  }
  if (OnFillComplete) OnFillComplete(this);
  return true;
}

void TPTCustomShellList::AddItem(TPTShListData* Data, ULONG Attribs) {
  FOwnData.insert(Data);
  FPendingData = Data;
  FPendingAttribs = Attribs;
  FPendingHasDetails = bool(FDetails);
  try {
    Items()->Add();
  } catch (...) {
    // The item took the data when it was made; only a failure before that leaves it here.
    if (FPendingData != nullptr) {
      FOwnData.erase(Data);
      delete Data;
    }
    FPendingData = nullptr;
    throw;
  }
}

void TPTCustomShellList::InitItem(TListItem* Item) {
  if (FPendingData != nullptr) {
    Item->SetData(FPendingData);
    if (FPendingAttribs & SFGAO_SHARE) SetItemOverlay(Item, 0);
    else if (FPendingAttribs & SFGAO_LINK) SetItemOverlay(Item, 1);
    if (FPendingAttribs & SFGAO_GHOSTED) SetItemStates(Item, LVIS_CUT);
    int SubItems = FPendingHasDetails ? std::max(0, Columns()->Count() - 1) : 3;
    for (int I = 0; I < SubItems; ++I) Item->SubItems()->Add("");
  }
  FPendingData = nullptr;
  SetItemCaption(Item, "");
}

void TPTCustomShellList::Delete(TListItem* Item) {
  TPTShListData* Data = GetShellData(Item);
  if (Data == nullptr) {
    TPTCustomListView::Delete(Item);
    return;
  }
  if (OnDeleteItem) OnDeleteItem(this, Item, Data);
  Item->SetData(nullptr);
  TPTCustomListView::Delete(Item);
  FOwnData.erase(Data);
  delete Data;
}

// ---------------------------------------------------------------------------------------
// Name filter

void TPTCustomShellList::BuildFilterNames() {
  FreeFilterNames();
  std::string Path = FFolder->GetPath();
  if (!FilterNeedsNames(Path, FFileFilter)) return;
  FFilterNames = std::make_unique<std::set<std::string>>();
  TNoCriticalErrors NoBoxes;
  std::string Base = AddTrailingChar(Path, '\\');
  for (const std::string& Pattern : FFilterPatterns) {
    WIN32_FIND_DATAW Found;
    HANDLE Search = FindFirstFileW(ToWide(Base + Pattern).c_str(), &Found);
    if (Search == INVALID_HANDLE_VALUE) continue;
    do {
      if (Found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      std::string Name = FromWideBuf(Found.cFileName, MAX_PATH);
      // The search also matches the generated short name ("*.htm" finds "page.html").
      if (MatchesFilePattern(Name, Pattern)) FFilterNames->insert(AnsiUpperCase(Name));
    } while (FindNextFileW(Search, &Found));
    FindClose(Search);
  }
}

bool TPTCustomShellList::MatchesFilter(const std::string& Name, ULONG Attribs) {
  if (Attribs & SFGAO_FOLDER) return true;
  return FFilterNames && FFilterNames->count(AnsiUpperCase(Name)) != 0;
}

void TPTCustomShellList::FreeFilterNames() { FFilterNames.reset(); }

// ---------------------------------------------------------------------------------------
// Texts and icons

void TPTCustomShellList::GetDispInfo(TListItem* Item, NMLVDISPINFOW& Info) {
  LVITEMW& I = Info.item;
  TPTShListData* Data = GetShellData(Item);
  if (I.mask & LVIF_TEXT) {
    std::string Text;
    if (I.iSubItem == 0) {
      if (Item->Caption().empty() && Data != nullptr) SetItemCaption(Item, ShownName(Data));
      Text = Item->Caption();
    } else if (I.iSubItem <= Item->SubItems()->Count()) {
      Text = (*Item->SubItems())[I.iSubItem - 1];
      if (Text.empty() && Data != nullptr) Text = ShownDetail(Data, I.iSubItem);
    }
    if (I.pszText != nullptr && I.cchTextMax > 0) {
      std::wstring W = ToWide(Text);
      size_t N = std::min<size_t>(W.size(), size_t(I.cchTextMax - 1));
      std::copy_n(W.begin(), N, I.pszText);
      I.pszText[N] = 0;
    }
  }
  if (I.mask & LVIF_IMAGE) {
    if (Item->ImageIndex() >= 1 || Data == nullptr) {
      I.iImage = Item->ImageIndex();
    } else {
      I.iImage = ShownIcon(Data);
    }
  }
}

// A large folder must page quickly: names come from the folder itself, sizes and dates
// from one directory search, type names and icons of plain files by extension. Objects
// outside the file system get the item data's own texts.

std::string TPTCustomShellList::ShownName(TPTShListData* Data) {
  if (!FShellFolder) return Data->GetDisplayName();
  std::string Name = GetPidlDisplayName(FShellFolder.Get(), Data->RelIdList(), 0);
  return Name.empty() ? Data->GetDisplayName() : Name;
}

const TPTCustomShellList::TFolderEntry* TPTCustomShellList::FactsOf(TPTShListData* Data,
                                                                           std::string& FileName) {
  if (!FFacts) {
    FFacts = std::make_unique<TFolderFacts>();
    std::string Path = PidlToPath(FIdList.Get());
    if (!Path.empty()) {
      TNoCriticalErrors NoBoxes;
      WIN32_FIND_DATAW Found;
      HANDLE Search = FindFirstFileW(ToWide(AddTrailingChar(Path, '\\') + "*").c_str(), &Found);
      if (Search != INVALID_HANDLE_VALUE) {
        do {
          FILETIME T = Found.ftLastWriteTime;
          if (T.dwLowDateTime == 0 && T.dwHighDateTime == 0) T = Found.ftCreationTime;
          FFacts->Entries[FromWideBuf(Found.cFileName, MAX_PATH)] = {
              (uint64_t(Found.nFileSizeHigh) << 32) | Found.nFileSizeLow, T, Found.dwFileAttributes};
        } while (FindNextFileW(Search, &Found));
        FindClose(Search);
      }
    }
  }
  if (FFacts->Entries.empty() || !FShellFolder) return nullptr;
  auto* D = static_cast<TShListItemData*>(Data);
  if (!D->NameKnown) {
    D->FileName.clear();
    STRRET Str{};
    Str.uType = STRRET_CSTR;
    if (SUCCEEDED(FShellFolder->GetDisplayNameOf(Data->RelIdList(), SHGDN_INFOLDER | SHGDN_FORPARSING, &Str))) {
      D->FileName = StrRetToString(Data->RelIdList(), Str);
      FreeStrRet(Str);
    }
    D->NameKnown = true;
  }
  FileName = D->FileName;
  auto It = FFacts->Entries.find(FileName);
  return It == FFacts->Entries.end() ? nullptr : &It->second;
}

std::string TPTCustomShellList::ShownDetail(TPTShListData* Data, int Column) {
  if (FDetails) return Data->GetDetailText(Column);
  if (Column < 1 || Column > 3) return {};
  auto* D = static_cast<TShListItemData*>(Data);
  if (!D->TextsReady) {
    std::string Name;
    const TFolderEntry* F = FactsOf(Data, Name);
    if (F != nullptr) {
      bool Directory = (F->Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      D->Texts[0] = Directory ? std::string() : SizeToText(F->Size);
      D->Texts[1] = ByExtension(AnsiUpperCase(Name), Directory).TypeName;
      D->Texts[2] = FormatDateTime(ShortDateFormat + " " + ShortTimeFormat, FileTimeToDateTime(F->Written));
    } else {
      D->Texts[0] = Data->GetSizeText();
      D->Texts[1] = Data->GetTypeText();
      D->Texts[2] = Data->GetModifiedText();
    }
    D->TextsReady = true;
  }
  return D->Texts[Column - 1];
}

int TPTCustomShellList::ShownIcon(TPTShListData* Data) {
  auto* D = static_cast<TShListItemData*>(Data);
  if (D->IconIndex < 0) {
    std::string Name;
    const TFolderEntry* F = FactsOf(Data, Name);
    std::string Upper = AnsiUpperCase(Name);
    if (F != nullptr && !HasOwnIcon(Upper, F->Attributes))
      D->IconIndex = ByExtension(Upper, (F->Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0).Icon;
    if (D->IconIndex < 0) D->IconIndex = GetPidlIconIndex(D->GetAbsIdList(), SHGFI_SMALLICON);
  }
  return D->IconIndex;
}

// ---------------------------------------------------------------------------------------
// Columns

IShellDetails* TPTCustomShellList::GetShellDetails() {
  if (!FDetailsAsked) {
    FDetailsAsked = true;
    if (!FShellFolder ||
        FAILED(FShellFolder->CreateViewObject(OwnerWindow(), IID_IShellDetails,
                                              reinterpret_cast<void**>(FDetails.Out()))))
      FDetails.Reset();
  }
  return FDetails.Get();
}

void TPTCustomShellList::SaveColumnWidths() {
  std::vector<int> Widths;
  for (int I = 0; I < Columns()->Count(); ++I) Widths.push_back(Columns()->Items(I)->Width());
  ::SaveColumnWidths(ShellListWidthStream(), Widths);
}

void TPTCustomShellList::ApplySharedWidths() {
  std::vector<int> Widths = LoadColumnWidths(ShellListWidthStream(), Columns()->Count());
  for (size_t I = 0; I < Widths.size(); ++I) Columns()->Items(int(I))->SetWidth(Widths[I]);
}

void TPTCustomShellList::SetupColumns(IShellDetails* Details) {
  if (Columns()->Count() > 0 && FSharedWidths) SaveColumnWidths();
  if (Details != nullptr) SetupDetailsColumns(Details);
  else SetupStandardColumns();
}

void TPTCustomShellList::SetupStandardColumns() {
  TDirectoryCols Record = DefaultDirectoryCols();
  try {
    TRegistry Reg(KEY_READ);
    Reg.SetRootKey(HKEY_CURRENT_USER);
    if (Reg.OpenKeyReadOnly("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer") &&
        Reg.ValueExists("DirectoryCols") && Reg.GetDataSize("DirectoryCols") <= TDirectoryCols::Capacity) {
      std::vector<uint8_t> Data = Reg.ReadBinaryData("DirectoryCols");
      Record = OverlayDirectoryCols(Record, Data.data(), int(Data.size()));
    }
  } catch (const std::exception&) {
    // The widths of the record in hand serve.
  }
  Columns()->BeginUpdate();
  Columns()->Clear();
  const TPTShText Captions[] = {TPTShText::ColumnName, TPTShText::ColumnSize, TPTShText::ColumnType,
                                TPTShText::ColumnModified};
  std::vector<int> Widths = DirectoryColsWidths(Record);
  for (int I = 0; I < 4; ++I) {
    TListColumn* C = Columns()->Add();
    C->SetCaption(PTShText(Captions[I]));
    if (I == 1) C->SetAlignment(taRightJustify);
    C->SetWidth(Widths[I]);
  }
  if (SameDirectoryCols(CachedColumnRecord(), Record) && ShellListWidthStream().Size() > 0) ApplySharedWidths();
  SetCachedColumnRecord(Record);
  FSharedWidths = true;
  FColumnMode = cmStandard;
  Columns()->EndUpdate();
}

void TPTCustomShellList::SetupDetailsColumns(IShellDetails* Details) {
  bool Shared = !PidlToPath(FIdList.Get()).empty() && ShellListWidthStream().Size() > 0;
  Columns()->BeginUpdate();
  Columns()->Clear();
  // A folder that answers for every index still gets a bounded header.
  for (int I = 0; I < 256; ++I) {
    SHELLDETAILS D{};
    D.str.uType = STRRET_CSTR;
    if (FAILED(Details->GetDetailsOf(nullptr, UINT(I), &D))) break;
    TListColumn* C = Columns()->Add();
    C->SetCaption(StrRetToString(nullptr, D.str));
    FreeStrRet(D.str);
    if (!Shared) C->SetWidth(D.cxChar * 7);
    C->SetAlignment(D.fmt == LVCFMT_RIGHT ? taRightJustify : D.fmt == LVCFMT_CENTER ? taCenter : taLeftJustify);
  }
  if (Shared) ApplySharedWidths();
  FSharedWidths = Shared;
  FColumnMode = cmDetails;
  Columns()->EndUpdate();
}

// ---------------------------------------------------------------------------------------
// Sorting

int TPTCustomShellList::CompareItems(TListItem* A, TListItem* B) {
  TPTShListData* DA = GetShellData(A);
  TPTShListData* DB = GetShellData(B);
  if (DA == nullptr || DB == nullptr || !FShellFolder) return 0;
  int Column = std::abs(FSortColumn) - 1;
  int R = CompareCode(FShellFolder->CompareIDs(LPARAM(Column), DA->RelIdList(), DB->RelIdList()));
  return FSortColumn < 0 ? -R : R;
}

void TPTCustomShellList::Sort() {
  CustomSort([this](TListItem* A, TListItem* B) { return CompareItems(A, B); });
}

void TPTCustomShellList::ColClick(TListColumn* Column) {
  TPTCustomListView::ColClick(Column);
  SetSortColumn(NextSortColumn(FSortColumn, Column->Index()));
}

// ---------------------------------------------------------------------------------------
// Custom draw

std::unique_ptr<TPTCustomDraw> TPTCustomShellList::DoCustomDraw(NMLVCUSTOMDRAW& Draw, LRESULT& Result) {
  std::unique_ptr<TPTCustomDraw> CD = CreateCustomDraw(Draw, Result);
  DWORD Stage = Draw.nmcd.dwDrawStage;
  TListItem* Item = nullptr;
  TPTShListData* Data = nullptr;
  if (Stage & CDDS_ITEM) {
    Item = ItemOfIndex(int(Draw.nmcd.dwItemSpec));
    Data = GetShellData(Item);
  }
  if (OnCustomDrawShEx) OnCustomDrawShEx(this, CD.get(), Item, Data);
  if (Stage == CDDS_ITEMPREPAINT && OnCustomDrawSh) OnCustomDrawSh(this, CD.get(), Item, Data);
  // The drop highlight shows as a selected name: not every common control draws it.
  if (Item != nullptr && (Stage == CDDS_ITEMPREPAINT || (Stage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM) && Draw.iSubItem == 0)) &&
      Item->DropTarget()) {
    CD->GetFont()->SetColor(clHighlightText);
    CD->GetBrush()->SetColor(clHighlight);
  }
  CD->Apply();
  // Item (and sub-item) notifications come whether or not a handler is assigned.
  if (Stage == CDDS_PREPAINT || Stage == CDDS_ITEMPREPAINT) Result |= 0x20;
  return CD;
}

// ---------------------------------------------------------------------------------------
// Incremental refresh


void TPTCustomShellList::RefreshItems() {
  if (!HandleAllocated() || !FShellFolder) return;
  if (FOwnDrag || FEditingName) {
    FRefreshPending = true;
    return;
  }
  IShellFolder* Folder = FShellFolder.Get();
  SHCONTF Flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
  if (FOptions.Contains(ptsloShowHidden)) Flags |= SHCONTF_INCLUDEHIDDEN;
  TComPtr<IEnumIDList> Enum;
  // A folder that cannot be read now keeps what it showed.
  if (FAILED(Folder->EnumObjects(OwnerWindow(), Flags, Enum.Out())) || !Enum) return;
  std::vector<TPidl> Found;
  for (;;) {
    PItemIDList Rel = nullptr;
    ULONG Fetched = 0;
    if (Enum->Next(1, &Rel, &Fetched) != S_OK || Rel == nullptr) break;
    Found.emplace_back(Rel, FMalloc.Get());
  }
  Enum.Reset();

  BuildFilterNames();
  struct TFreeNames {
    TPTCustomShellList* L;
    ~TFreeNames() { L->FreeFilterNames(); }
  } FreeNames{this};
  TItemsUpdate Update(Items());
  FFacts.reset();

  // The folder's own order pairs the items with what the folder holds now, in
  // logarithmic time per item, so that a large folder refreshes quickly. Items whose
  // object is gone leave; the others are read again when shown.
  auto Less = [Folder](PCItemIDList A, PCItemIDList B) { return CompareCode(Folder->CompareIDs(0, A, B)) < 0; };
  auto Same = [Folder](PCItemIDList A, PCItemIDList B) {
    HRESULT Hr = Folder->CompareIDs(0, A, B);
    return SUCCEEDED(Hr) && CompareCode(Hr) == 0;
  };
  std::vector<size_t> Order(Found.size());
  for (size_t I = 0; I < Order.size(); ++I) Order[I] = I;
  std::sort(Order.begin(), Order.end(), [&](size_t A, size_t B) { return Less(Found[A].Get(), Found[B].Get()); });
  std::vector<bool> Known(Found.size());
  for (int I = Items()->Count() - 1; I >= 0; --I) {
    auto* Data = static_cast<TShListItemData*>(GetShellData(Items()->Item(I)));
    if (Data == nullptr) continue;
    PCItemIDList Rel = Data->RelIdList();
    auto At = std::lower_bound(Order.begin(), Order.end(), Rel,
                               [&](size_t F, PCItemIDList R) { return Less(Found[F].Get(), R); });
    bool Present = false;
    for (auto It = At; It != Order.end() && !Less(Rel, Found[*It].Get()); ++It)
      if (Same(Rel, Found[*It].Get())) {
        Known[*It] = true;
        Present = true;
        break;
      }
    if (Present) Data->Forget();
    else Items()->Delete(I);
  }
  for (size_t I = 0; I < Found.size(); ++I) {
    if (Known[I]) continue;
    ULONG Attribs = 0;
    if (!Accepts(Folder, FIdList.Get(), Found[I].Get(), Attribs)) continue;
    auto Data = std::make_unique<TShListItemData>(this);
    Data->SetRelIdList(Found[I].Release());
    AddItem(Data.release(), Attribs);
  }
}

// ---------------------------------------------------------------------------------------
// Going about

void TPTCustomShellList::ChangeToFolder(PCItemIDList AbsIdList) {
  if (FOptions.Contains(ptsloDontChangeFolder)) return;
  TPidl Target(CopyPidl(nullptr, AbsIdList));
  {
    TItemsUpdate Update(Items());
    Items()->Clear();
  }
  // The linked partner moves first and hands the folder on to this list.
  if (FTree != nullptr) FTree->CurrentFolder()->SetIdList(Target.Get());
  else if (FCombo != nullptr) FCombo->Folder()->SetIdList(Target.Get());
  else FFolder->SetIdList(Target.Get());
}

void TPTCustomShellList::GoUp(int Levels) {
  if (FOptions.Contains(ptsloDontChangeFolder) || Levels <= 0) return;
  PCItemIDList Current = FFolder->GetIdList();
  TPTIdListArray Chain(Current);
  int Count = Chain.Count();
  if (FTree != nullptr) {
    FTree->GoUp(Levels);
    return;
  }
  if (FCombo != nullptr) {
    FCombo->GoUp(Levels);
    return;
  }
  if (Count == 0) return;  // the desktop has nothing above it
  TPidl Ancestor(CopyPidl(nullptr, Chain.AncestorIdList(std::min(Levels, Count))));
  FFolder->SetIdList(Ancestor.Get());
}

// ---------------------------------------------------------------------------------------
// Commands

std::vector<TPidl> TPTCustomShellList::SelectedIdLists(IMalloc* Malloc) const {
  std::vector<TPidl> Lists;
  for (TListItem* Item = GetNextItem(nullptr, LVNI_SELECTED); Item != nullptr;
       Item = GetNextItem(Item, LVNI_SELECTED))
    if (TPTShListData* Data = GetShellData(Item)) Lists.emplace_back(CopyPidl(Malloc, Data->RelIdList()), Malloc);
  return Lists;
}

HRESULT TPTCustomShellList::GetSelectionUIObject(IMalloc* Malloc, REFIID Iid, void** Object) {
  if (Object == nullptr) return E_POINTER;
  *Object = nullptr;
  if (!FShellFolder) return E_FAIL;
  std::vector<TPidl> Lists = SelectedIdLists(Malloc);
  if (Lists.empty()) return E_FAIL;
  std::vector<PCItemIDList> Raw;
  for (const TPidl& L : Lists) Raw.push_back(L.Get());
  return FShellFolder->GetUIObjectOf(OwnerWindow(), UINT(Raw.size()), Raw.data(), Iid, nullptr, Object);
}

HRESULT TPTCustomShellList::InvokeCommandOnSelected(const std::string& Verb) {
  if (!FShellFolder) return E_FAIL;
  std::vector<TPidl> Lists = SelectedIdLists(nullptr);
  if (Lists.empty()) return E_FAIL;
  std::vector<PCItemIDList> Raw;
  for (const TPidl& L : Lists) Raw.push_back(L.Get());
  return InvokeItemsVerb(OwnerWindow(), FIdList.Get(), Raw, Verb);
}

void TPTCustomShellList::InvokeCommandOnFolder(const std::string& Verb) {
  if (!FShellFolder) RaiseSysError(E_FAIL);
  HRESULT Hr;
  if (AnsiSameText(Verb, "paste") && PidlToWidePath(FIdList.Get()).empty()) {
    // A folder outside the file system pastes through its own background menu: the item
    // menu that its parent gives has no paste.
    TComPtr<IContextMenu> Menu;
    Hr = FShellFolder->CreateViewObject(OwnerWindow(), IID_IContextMenu, reinterpret_cast<void**>(Menu.Out()));
    if (SUCCEEDED(Hr)) Hr = InvokeVerb(Menu.Get(), OwnerWindow(), Verb);
  } else {
    Hr = InvokeVerbOnObject(OwnerWindow(), FIdList.Get(), Verb);
  }
  // A cancelled confirmation is the user's answer, not a failure.
  if (Hr != HRESULT_FROM_WIN32(ERROR_CANCELLED)) CheckHResult(Hr);
}

bool TPTCustomShellList::DoDblClickOpen() {
  bool Handled = false;
  if (OnDblClickOpen) OnDblClickOpen(this, Handled);
  return !Handled;
}

bool TPTCustomShellList::InvokeDefaultCommand(std::vector<TPidl>& Lists) {
  std::vector<PCItemIDList> Raw;
  for (const TPidl& L : Lists) Raw.push_back(L.Get());
  HMENU Handle = nullptr;
  TComPtr<IContextMenu> Menu;
  HWND Owner = OwnerWindow();
  if (FAILED(GetContextMenu(Owner, FShellFolder.Get(), UINT(Raw.size()), Raw.data(), CMF_EXPLORE,
                            ShellFirstCommandId, Handle, Menu)) ||
      Handle == nullptr)
    return false;
  UINT Id = GetMenuDefaultItem(Handle, FALSE, 0);
  DestroyMenu(Handle);
  if (Id == UINT(-1) || Id < ShellFirstCommandId) return false;
  UINT Offset = Id - ShellFirstCommandId;
  // Files of the file system run their verb by name: the item menu's own command reports
  // success under Wine and runs nothing. The shell tells its own failures either way.
  std::string Verb = GetCommandVerb(Menu.Get(), Offset);
  std::vector<std::wstring> Files;
  for (PCItemIDList Rel : Raw) {
    TPidl Abs(ConcatPidls(nullptr, FIdList.Get(), Rel));
    std::wstring Path = PidlToWidePath(Abs.Get());
    DWORD Attributes = Path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(Path.c_str());
    if (Attributes == INVALID_FILE_ATTRIBUTES || (Attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      Files.clear();
      break;
    }
    Files.push_back(Path);
  }
  if (Verb.empty() || Files.empty()) {
    InvokeVerb(Menu.Get(), Owner, Offset);
    return true;
  }
  std::wstring WideVerb = ToWide(Verb);
  std::wstring Directory = PidlToWidePath(FIdList.Get());
  for (const std::wstring& File : Files) {
    SHELLEXECUTEINFOW Info{};
    Info.cbSize = sizeof(Info);
    Info.hwnd = Owner;
    Info.lpVerb = WideVerb.c_str();
    Info.lpFile = File.c_str();
    Info.lpDirectory = Directory.empty() ? nullptr : Directory.c_str();
    Info.nShow = SW_SHOWNORMAL;
    ShellExecuteExW(&Info);
  }
  return true;
}

void TPTCustomShellList::OpenSelected() {
  FlushPendingUpdate(true);
  if (!FShellFolder) return;
  std::vector<TPidl> Lists = SelectedIdLists(nullptr);
  if (Lists.size() >= 2) {
    THourGlass Wait;
    InvokeDefaultCommand(Lists);
  } else if (TListItem* Item = Selected()) {
    OpenItem(Item);
  }
}

void TPTCustomShellList::OpenItem(TListItem* Item) {
  FlushPendingUpdate(true);
  TPTShListData* Data = GetShellData(Item);
  if (Data == nullptr || !FShellFolder) {
    DoDblClickOpen();
    return;
  }
  THourGlass Wait;
  TPidl Abs(ConcatPidls(nullptr, FIdList.Get(), Data->RelIdList()));
  PCItemIDList Rel = Data->RelIdList();
  ULONG Attributes = SFGAO_FOLDER;
  if (SUCCEEDED(FShellFolder->GetAttributesOf(1, &Rel, &Attributes)) && (Attributes & SFGAO_FOLDER)) {
    ChangeToFolder(Abs.Get());
    return;
  }
  std::string Path = PidlToPath(Abs.Get());
  if (AnsiSameText(ExtractFileExt(Path), ".lnk")) {
    TLinkData Link;
    if (SUCCEEDED(GetLinkData(Path, Link, false)) && !Link.Path.empty()) {
      DWORD Target = GetFileAttributesW(ToWide(Link.Path).c_str());
      TPidl TargetList;
      if (Target != INVALID_FILE_ATTRIBUTES && (Target & FILE_ATTRIBUTE_DIRECTORY) &&
          SUCCEEDED(PathToPidl(Link.Path, *TargetList.Out()))) {
        ChangeToFolder(TargetList.Get());
        return;
      }
    }
  }
  if (!DoDblClickOpen()) return;
  std::vector<TPidl> One;
  One.emplace_back(CopyPidl(nullptr, Rel));
  InvokeDefaultCommand(One);
}

void TPTCustomShellList::SelectAll() {
  TItemsUpdate Update(Items());
  for (int I = 0; I < Items()->Count(); ++I) Items()->Item(I)->SetSelected(true);
}

bool TPTCustomShellList::CreateNewFolder(bool SelectAndRename) {
  std::string Path = PidlToPath(FIdList ? FIdList.Get() : FFolder->GetIdList());
  std::string Name;
  // The watcher would refill for the folder made here; RefreshItems shows it at once.
  FSkipNextChange = true;
  // CreateNewFolderIn refuses (and says so) a folder without a path.
  if (!CreateNewFolderIn(Path, Name)) {
    // Nothing changed, so no notification comes to be dropped: the next real one counts.
    FSkipNextChange = false;
    return false;
  }
  RefreshItems();
  if (SelectAndRename && HandleAllocated()) {
    FNewFolderName = Name;
    PostMessageW(Handle(), WM_PTSHRENAMENEWFOLDER, 0, 0);
  }
  return true;
}

bool TPTCustomShellList::ShowContextMenu(TListItem* Item, TPoint P) {
  if (!FOptions.Contains(ptsloContextMenus) || Designing() || FOwnDrag || !FShellFolder)
    return TPTCustomListView::ShowContextMenu(Item, P);
  FRightClick = true;
  std::vector<TPidl> Lists = SelectedIdLists(nullptr);
  if (Lists.empty()) return true;
  std::vector<PCItemIDList> Raw;
  for (const TPidl& L : Lists) Raw.push_back(L.Get());
  TPoint S = ClientToScreen(P);
  TrackShellContextMenu(Handle(), OwnerWindow(), FShellFolder.Get(), UINT(Raw.size()), Raw.data(), POINT{S.X, S.Y},
                        FContextMenu, [this, &Raw] { return CreateShellDataObject(FIdList.Get(), Raw); });
  return true;
}

void TPTCustomShellList::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (IsEditing() || Designing()) {
    TPTCustomListView::KeyDown(Key, Shift);
    return;
  }
  // The context-menu keys and OnKeyDown come first and may take the key.
  TPTCustomListView::KeyDown(Key, Shift);
  if (Key == 0 || !FOptions.Contains(ptsloDefaultKeyHandling)) return;
  HRESULT Hr = S_OK;
  switch (FindDefaultShortcut(ShortCut(Key, Shift))) {
    case dscSelectAll:
      SelectAll();
      break;
    case dscDelete:
      Hr = InvokeCommandOnSelected("delete");
      break;
    case dscCopy:
      Hr = InvokeCommandOnSelected("copy");
      break;
    case dscCut:
      Hr = InvokeCommandOnSelected("cut");
      break;
    case dscPaste:
      Key = 0;
      InvokeCommandOnFolder("paste");
      return;
    case dscRefresh:
      Refill();
      break;
    case dscRename:
      if (TListItem* Item = ItemFocused()) Item->EditCaption();
      break;
    default:
      return;
  }
  Key = 0;
  // No selection is no error; a verb that failed is told, a cancelled one is not.
  if (FAILED(Hr) && Hr != E_FAIL && Hr != HRESULT_FROM_WIN32(ERROR_CANCELLED)) CheckHResult(Hr);
}

void TPTCustomShellList::KeyPress(char& Key) {
  TPTCustomListView::KeyPress(Key);
  if (Key == 0 || IsEditing() || Designing() || !FOptions.Contains(ptsloDefaultKeyHandling)) return;
  if (Key == '\b') {
    Key = 0;
    GoUp(1);
  } else if (Key == '\r') {
    Key = 0;
    OpenSelected();
  }
}

void TPTCustomShellList::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TPTCustomListView::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft && Shift.Contains(ssDouble)) OpenSelected();
}

// ---------------------------------------------------------------------------------------
// Rename in place

bool TPTCustomShellList::CanEdit(TListItem* Item) {
  TPTShListData* Data = GetShellData(Item);
  if (Data == nullptr) return TPTCustomListView::CanEdit(Item);
  if (Designing() || !Data->CanRename()) return false;
  FEditingName = TPTCustomListView::CanEdit(Item);
  return FEditingName;
}

void TPTCustomShellList::Edit(const LVITEMW& I) {
  FEditingName = false;
  TListItem* Item = ItemOfParam(I.lParam);
  if (Item == nullptr) Item = ItemOfIndex(I.iItem);
  TPTShListData* Data = GetShellData(Item);
  if (Data == nullptr) {
    TPTCustomListView::Edit(I);
    return;
  }
  if (I.pszText != nullptr) {
    std::string Text = FromWide(I.pszText);
    std::string Problem = NewNameProblem(Text);
    if (!Problem.empty()) {
      ShowMessage(Problem + ": \"" + Text + "\"");
    } else if (Text != Item->Caption()) {
      THourGlass Wait;
      FSkipNextChange = true;
      PItemIDList NewRel = nullptr;
      // No owner window: the shell shows nothing, and every failure is told alike below.
      HRESULT Hr = FShellFolder->SetNameOf(nullptr, Data->RelIdList(), ToWide(Text).c_str(), SHGDN_INFOLDER, &NewRel);
      if (SUCCEEDED(Hr) && NewRel != nullptr) {
        Data->SetRelIdList(NewRel);
        static_cast<TShListItemData*>(Data)->Forget();
        FFacts.reset();
        SetItemCaption(Item, Text);
        Item->Update();
      } else {
        // Nothing changed on disk, so no notification will come to be skipped.
        FSkipNextChange = false;
        if (NewRel != nullptr) FMalloc->Free(NewRel);
        ShowMessage("Unable to rename \"" + Item->Caption() + "\" to \"" + Text + "\"\n\n" +
                    SysErrorMessage(FAILED(Hr) ? int(Hr) : int(E_FAIL)));
      }
    }
  }
  // A refresh held back while the name was edited runs now, also after a cancelled edit.
  bool Pending = std::exchange(FRefreshPending, false);
  if (Pending) RefreshItems();
  if (I.pszText != nullptr && OnEdited) {
    std::string S = Item->Caption();
    OnEdited(this, Item, S);
  }
}

bool TPTCustomShellList::RenameItemNamed(const std::string& Name) {
  for (int I = 0; I < Items()->Count(); ++I) {
    TListItem* Item = Items()->Item(I);
    TPTShListData* Data = GetShellData(Item);
    if (Data == nullptr || Data->GetDisplayName() != Name) continue;
    SetFocus();
    Item->SetSelected(true);
    Item->SetFocused(true);
    Item->MakeVisible();
    return Item->EditCaption();
  }
  return false;
}

// ---------------------------------------------------------------------------------------
// Change watching

void TPTCustomShellList::StartWatching() {
  FRefreshTimer->SetEnabled(false);
  if (!FWatcher) FWatcher = std::make_unique<TChangeHandlerThread>(Handle(), WM_PTSHCHANGE);
  else FWatcher->RemoveAll();
  std::string Path = PidlToPath(FIdList.Get());
  int Slot = 0;
  if (!Path.empty()) FWatcher->AddWatch(Path, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME, Slot, false);
}

void TPTCustomShellList::StopWatching() {
  if (FWatcher) FWatcher->RemoveAll();
}

void TPTCustomShellList::ChangeNotified() {
  if (FSkipNextChange) {
    FSkipNextChange = false;
    return;
  }
  // What the list's own drag changed is read once the drag is over.
  if (FOwnDrag) {
    FRefreshPending = true;
    return;
  }
  // A burst of changes gives one refresh, after the last of them.
  FRefreshTimer->SetEnabled(false);
  FRefreshTimer->SetInterval(RefreshDelay(Focused()));
  FRefreshTimer->SetEnabled(true);
}

void TPTCustomShellList::RefreshTimerTick(TObject*) {
  FRefreshTimer->SetEnabled(false);
  ++FUpdatePass;
  struct TPass {
    int& Count;
    ~TPass() { --Count; }
  } Pass{FUpdatePass};
  if (FCombo != nullptr) FCombo->FlushPendingUpdate(false);
  if (FTree != nullptr) FTree->FlushPendingUpdate(false);
  RefreshItems();
}

void TPTCustomShellList::FlushPendingUpdate(bool AlsoLinked) {
  if (AlsoLinked) {
    if (FCombo != nullptr) FCombo->FlushPendingUpdate(false);
    if (FTree != nullptr) FTree->FlushPendingUpdate(false);
  }
  if (FRefreshTimer->Enabled()) RefreshTimerTick(this);
}

// ---------------------------------------------------------------------------------------
// Window

void TPTCustomShellList::WndProc(TMessage& M) {
  // While the shell's menu is open, its owner-drawn items and Send To go through it.
  if (FContextMenu && HandleContextMenuMessage(M, FContextMenu.Get(), this, OnPopupHint)) return;
  switch (M.Msg) {
    case WM_GETDLGCODE:
      TPTCustomListView::WndProc(M);
      if (IsEditing()) {
        M.Result |= DLGC_WANTALLKEYS;
      } else if (M.WParam == VK_RETURN) {
        // Enter on a folder opens it rather than pressing a dialog's default button.
        TPTShListData* Data = GetSelectedData();
        PCItemIDList Rel = Data != nullptr ? Data->RelIdList() : nullptr;
        ULONG Attributes = SFGAO_FOLDER;
        if (Rel != nullptr && FShellFolder && SUCCEEDED(FShellFolder->GetAttributesOf(1, &Rel, &Attributes)) &&
            (Attributes & SFGAO_FOLDER))
          M.Result |= DLGC_WANTALLKEYS;
      }
      return;
    case WM_DESTROY:
      if (FSharedWidths && Columns()->Count() > 0) SaveColumnWidths();
      break;
    case CN_NOTIFY: {
      auto* H = reinterpret_cast<NMHDR*>(M.LParam);
      if ((H->code == LVN_BEGINDRAG || H->code == LVN_BEGINRDRAG) && FOptions.Contains(ptsloOleDrag) &&
          !Designing()) {
        BeginOwnDrag(H->code == LVN_BEGINRDRAG ? 1 : 0);
        M.Result = 0;
        return;
      }
      break;
    }
    case WM_RBUTTONUP:
      // The drag's own button release is no context-menu click.
      if (FOwnDrag) {
        DefaultHandler(M);
        return;
      }
      break;
    case WM_NCDESTROY:
      RevokeDrop();
      // The watcher posts to this window only.
      FWatcher.reset();
      FRefreshTimer->SetEnabled(false);
      break;
    case WM_PTSHCHANGE:
      ChangeNotified();
      M.Result = 0;
      return;
    case WM_PTSHRENAMENEWFOLDER:
      RenameItemNamed(FNewFolderName);
      M.Result = 0;
      return;
    case WM_PTSHELLBROWSER: {
      // The process's shell instance object, when it has one, answers as browser.
      M.Result = 0;
      TComPtr<IUnknown> Instance;
      TComPtr<IShellBrowser> Browser;
      if (SUCCEEDED(SHGetInstanceExplorer(Instance.Out())) && Instance &&
          SUCCEEDED(Instance.As(Browser)) && Browser)
        M.Result = reinterpret_cast<LRESULT>(Browser.Get());  // the reference is released here
      return;
    }
  }
  TPTCustomListView::WndProc(M);
}

// ---------------------------------------------------------------------------------------
// Drag and drop

void TPTCustomShellList::RegisterDrop() {
  if (FDropTarget || !HandleAllocated()) return;
  TComPtr<IDropTarget> Target(new TForwardingDropTarget<TPTCustomShellList>(this));
  if (SUCCEEDED(RegisterDragDrop(Handle(), Target.Get()))) FDropTarget = Target;
}

void TPTCustomShellList::RevokeDrop() {
  if (!FDropTarget) return;
  if (HandleAllocated()) RevokeDragDrop(Handle());
  static_cast<TForwardingDropTarget<TPTCustomShellList>*>(FDropTarget.Get())->Detach();
  FDropTarget.Reset();
  FDragData.Reset();
}

TComPtr<IDataObject> TPTCustomShellList::CreateSelectionDataObject() {
  if (!FShellFolder) return {};
  std::vector<TPidl> Lists = SelectedIdLists(nullptr);
  std::vector<PCItemIDList> Raw;
  for (const TPidl& L : Lists) Raw.push_back(L.Get());
  return CreateShellDataObject(FIdList.Get(), Raw);
}

HRESULT TPTCustomShellList::RunDragDrop(IDataObject* Data, IDropSource* Source, DWORD Allowed, DWORD* Effect) {
  return DoDragDrop(Data, Source, Allowed, Effect);
}

void TPTCustomShellList::BeginOwnDrag(int ButtonKind) {
  if (!FShellFolder || FOwnDrag) return;
  std::vector<TPidl> Lists = SelectedIdLists(nullptr);
  if (Lists.empty()) return;
  std::vector<PCItemIDList> Raw;
  for (const TPidl& L : Lists) Raw.push_back(L.Get());
  // The shell sets bits beyond those asked for: only the three effects count.
  const ULONG Effects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  ULONG Attributes = Effects;
  CheckHResult(FShellFolder->GetAttributesOf(UINT(Raw.size()), Raw.data(), &Attributes));
  TComPtr<IDataObject> Data = CreateShellDataObject(FIdList.Get(), Raw);
  if (!Data) return;
  TComPtr<IDropSource> Source(new TDropSource_shlvtv(ButtonKind));
  {
    struct TOwnDrag {
      bool& Flag;
      explicit TOwnDrag(bool& F) : Flag(F) { Flag = true; }
      ~TOwnDrag() { Flag = false; }
    } Own(FOwnDrag);
    DWORD Effect = DROPEFFECT_NONE;
    RunDragDrop(Data.Get(), Source.Get(), Attributes & Effects, &Effect);
  }
  SetDropHighlight(nullptr);
  if (std::exchange(FRefreshPending, false)) Refill();
}

TComPtr<IDropTarget> TPTCustomShellList::GetDropTargetOf(TListItem* Item) {
  TComPtr<IDropTarget> Target;
  if (!FShellFolder) return Target;
  HWND Owner = OwnerWindow();
  TPTShListData* Data = GetShellData(Item);
  if (Data == nullptr) {
    if ((Target = CreateFolderTransferTarget(Owner, FIdList.Get()))) return Target;
    HRESULT Hr = TPTIdListArray(FIdList.Get()).Count() == 0
                     ? GetDesktopDropTarget(Target.Out())
                     : GetUIObjectOfPidl(FIdList.Get(), IID_IDropTarget, reinterpret_cast<void**>(Target.Out()));
    if (FAILED(Hr)) Target.Reset();
    return Target;
  }
  TPidl Abs(ConcatPidls(nullptr, FIdList.Get(), Data->RelIdList()));
  if ((Target = CreateFolderTransferTarget(Owner, Abs.Get()))) return Target;
  PCItemIDList Rel = Data->RelIdList();
  if (FAILED(FShellFolder->GetUIObjectOf(Owner, 1, &Rel, IID_IDropTarget, nullptr,
                                         reinterpret_cast<void**>(Target.Out()))))
    Target.Reset();
  return Target;
}

TListItem* TPTCustomShellList::ItemAtScreen(POINTL Point) {
  TPoint P = ScreenToClient(TPoint(Point.x, Point.y));
  return GetItemAt(P.X, P.Y);
}

void TPTCustomShellList::SetDropHighlight(TListItem* Item) {
  TListItem* Old = DropTarget();
  if (Old == Item) return;
  if (Old != nullptr) Old->SetDropTarget(false);
  if (Item != nullptr) Item->SetDropTarget(true);
}

HRESULT TPTCustomShellList::DoDragEnter(IDataObject* Data, DWORD KeyState, POINTL Point, DWORD* Effect) {
  FLastScroll = GetTickCount();
  FDragData = TComPtr<IDataObject>::Share(Data);
  FDragKeys = KeyState;
  TListItem* Item = ItemAtScreen(Point);
  bool Shell = IsShellItem(Item);
  SetDropHighlight(nullptr);
  if (!Shell && FOwnDrag) {
    // Onto its own folder: only the right button's copy.
    *Effect = (KeyState & MK_RBUTTON) != 0 ? DWORD(DROPEFFECT_COPY) : DWORD(DROPEFFECT_NONE);
    return S_OK;
  }
  TComPtr<IDropTarget> Target = GetDropTargetOf(Shell ? Item : nullptr);
  DWORD E = DROPEFFECT_NONE;
  if (Target) {
    E = *Effect;
    if (FAILED(Target->DragEnter(Data, KeyState, Point, &E))) E = DROPEFFECT_NONE;
    Target->DragLeave();
  }
  *Effect = E;
  if (E != DROPEFFECT_NONE) SetDropHighlight(Item);
  return S_OK;
}

HRESULT TPTCustomShellList::DoDragOver(DWORD KeyState, POINTL Point, DWORD* Effect) {
  TListItem* Old = DropTarget();
  TListItem* Item = ItemAtScreen(Point);
  bool Shell = IsShellItem(Item);
  TListItem* Lit = nullptr;
  DWORD E = DROPEFFECT_NONE;
  if (!FDragData) {
  } else if (Item != nullptr && !Shell) {
    E = DROPEFFECT_COPY;
  } else if (!Shell && FOwnDrag) {
    E = (FDragKeys & MK_RBUTTON) != 0 ? DWORD(DROPEFFECT_COPY) : DWORD(DROPEFFECT_NONE);
  } else if (TComPtr<IDropTarget> Target = GetDropTargetOf(Shell ? Item : nullptr)) {
    DWORD X = *Effect;
    if (SUCCEEDED(Target->DragEnter(FDragData.Get(), KeyState, Point, &X))) {
      X = *Effect;
      if (SUCCEEDED(Target->DragOver(KeyState, Point, &X))) E = X;
    }
    Target->DragLeave();
    if (E != DROPEFFECT_NONE) Lit = Item;
  }
  SetDropHighlight(Lit);
  DragAutoScroll(Handle(), Point, FLastScroll);
  *Effect = E | DROPEFFECT_SCROLL;
  if (Lit != Old) Update();
  return S_OK;
}

HRESULT TPTCustomShellList::DoDragLeave() {
  FDragData.Reset();
  SetDropHighlight(nullptr);
  return S_OK;
}

HRESULT TPTCustomShellList::DoDrop(IDataObject* Data, DWORD KeyState, POINTL Point, DWORD* Effect) {
  struct TEnd {
    TPTCustomShellList& L;
    ~TEnd() {
      L.SetDropHighlight(nullptr);
      L.FDragData.Reset();
    }
  } End{*this};
  TListItem* Item = ItemAtScreen(Point);
  bool Shell = IsShellItem(Item);
  DWORD Offered = *Effect;
  *Effect = DROPEFFECT_NONE;
  TComPtr<IDropTarget> Target;
  if (!Shell && FOwnDrag) {
    // Into its own folder only by the right button, and never as a move.
    if ((FDragKeys & MK_RBUTTON) == 0) return S_OK;
    Target = GetDropTargetOf(nullptr);
    Offered &= ~DWORD(DROPEFFECT_MOVE);
  } else {
    Target = GetDropTargetOf(Shell ? Item : nullptr);
  }
  if (!Target) return S_OK;
  DWORD Keys = KeyState | (FDragKeys & (MK_LBUTTON | MK_RBUTTON));
  DWORD E = Offered;
  Target->DragEnter(Data, Keys, Point, &E);
  E = Offered;
  Target->DragOver(Keys, Point, &E);
  E = Offered & GetAllowedDropEffects(Data);
  HRESULT Hr = Target->Drop(Data, Keys, Point, &E);
  *Effect = SUCCEEDED(Hr) ? E : DWORD(DROPEFFECT_NONE);
  return Hr;
}
