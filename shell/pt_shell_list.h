// The shell list: the contents of one shell folder in a list view, with the shell's icons
// and overlays, detail columns whose widths carry from folder to folder, the folder's own
// sort order, a name filter, and the behaviour of a file panel (opening, verbs, context
// menu, going up, new folder, rename in place, keys, change watching and refresh).
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <set>
#include <unordered_set>
#include <string>
#include <vector>

#include "classlib/win/timer.h"
#include "shell/change_handler_thread.h"
#include "shell/pt_shell_data.h"
#include "shell/pt_shell_links.h"
#include "shell/pt_shell_locator.h"
#include "shell/pt_shell_routines.h"
#include "shell/pt_tree_list.h"

class TPTCustomShellTree;
class TPTCustomShellCombo;

enum TPTShellListOption {
  ptsloAutoFill,
  ptsloNonFilesystemAncestors,
  ptsloDesignInteractive,
  ptsloDefaultKeyHandling,
  ptsloContextMenus,
  ptsloDontChangeFolder,
  ptsloDontGoBelowBase,
  ptsloDynamicRefresh,
  ptsloHideFoldersWhenLinkedToTree,
  ptsloOleDrag,
  ptsloOleDrop,
  ptsloFolderContextMenu,
  ptsloShowHidden,
};
template <> const TTypeInfo* TypeInfoOf<TPTShellListOption>();
using TPTShellListOptions = TSet<TPTShellListOption>;
inline constexpr TPTShellListOptions DefaultShellListOptions = TPTShellListOptions::FromBits(0x1E9B);

// Messages of the list's window.
inline constexpr UINT WM_PTSHELLBROWSER = WM_USER + 7;        // answers an IShellBrowser or 0
inline constexpr UINT WM_PTSHCHANGE = WM_USER + 101;          // from the change watcher
inline constexpr UINT WM_PTSHRENAMENEWFOLDER = WM_USER + 102;  // rename the new folder

using TPTShListDeleteItemEvent = std::function<void(TObject* aSender, TListItem* aNode, TPTShListData* aShListData)>;
using TPTShDblClickOpenEvent = std::function<void(TObject* aSender, bool& afHandled)>;
using TPTShLvCustomDrawEvent =
    std::function<void(TObject* aSender, TPTCustomDraw* aCD, TListItem* aItem, TPTShListData* aData)>;

class TPTCustomShellList : public TPTCustomListView, public TPTShListDataOwner, public TPTShellListLink {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TPTCustomShellList(TComponent* AOwner);
  ~TPTCustomShellList() override;

  TPTShellListOptions Options() const { return FOptions; }
  void SetOptions(TPTShellListOptions Value);
  // The folder shown; assigning copies the given locator, and its change refills.
  TPTShellLocator* Folder() const { return FFolder.get(); }
  void SetFolder(TPTShellLocator* Value);
  const std::string& FileFilter() const { return FFileFilter; }
  void SetFileFilter(const std::string& Value);
  // +n sorts ascending on column n, -n descending.
  int SortColumn() const { return FSortColumn; }
  void SetSortColumn(int Value);

  // Clears the items and fills them again from Folder. Raises when the folder cannot be
  // bound or its enumeration ends with an error.
  void Refill();
  // Re-reads the folder keeping the items (and so the selection): gone ones are removed,
  // new ones appended, sizes and dates asked again.
  void RefreshItems();

  // Opens the selected items: enters a folder or a shortcut's target folder, else runs the
  // default command (of all of them together when two or more are selected).
  void OpenSelected();
  // Runs Verb on the selected items; the result of the verb, E_FAIL when none is selected.
  // A caller that goes on with the verb's outcome (a paste after a copy) stops on failure.
  HRESULT InvokeCommandOnSelected(const std::string& Verb);
  // Runs Verb on the folder shown; raises when it cannot.
  void InvokeCommandOnFolder(const std::string& Verb);
  // A UI object (IContextMenu, IDataObject...) of all selected items; E_FAIL with none.
  // Malloc makes the copies of their lists (nil: the shell's allocator).
  virtual HRESULT GetSelectionUIObject(IMalloc* Malloc, REFIID Iid, void** Object);
  // Fires OnDblClickOpen; true when the application did not handle it.
  bool DoDblClickOpen();
  void SelectAll();
  // Makes the first free "New Folder" in the folder shown (with SelectAndRename its name
  // then goes into editing); false when it could not.
  bool CreateNewFolder(bool SelectAndRename);

  // Shows the ancestor Levels up (more than there are: the desktop).
  void GoUp(int Levels);
  // Starts editing the name of the first item whose display name is Name; false when
  // there is none.
  bool RenameItemNamed(const std::string& Name);

  // Runs a refresh that the change timer still holds back (and first, with AlsoLinked,
  // the pending updates of the linked tree and combo).
  void FlushPendingUpdate(bool AlsoLinked) override;

  // The data object of the selection ("Shell IDList Array", CF_HDROP, CF_TEXT): the
  // selected item when it is the only one, else every selected item with shell data, in
  // item order. Nil when there is none.
  TComPtr<IDataObject> CreateSelectionDataObject();
  // A drag that this list started is running.
  bool OwnDrag() const { return FOwnDrag; }
  // Drag and drop on the list (its registered drop target forwards here). Points are in
  // screen coordinates.
  HRESULT DoDragEnter(IDataObject* Data, DWORD KeyState, POINTL Point, DWORD* Effect);
  HRESULT DoDragOver(DWORD KeyState, POINTL Point, DWORD* Effect);
  HRESULT DoDragLeave();
  HRESULT DoDrop(IDataObject* Data, DWORD KeyState, POINTL Point, DWORD* Effect);

  TPTShListData* GetItemData(int Index) const;
  TPTShListData* GetSelectedData() const;

  // The controls linked to this list (set by them through LinkTree and LinkCombo; cleared
  // when they go).
  TPTCustomShellTree* LinkedTree() const { return FTree; }
  TPTCustomShellCombo* LinkedCombo() const { return FCombo; }

  // TPTShellListLink
  TComponent* LinkComponent() override { return this; }
  // Takes the folder of Node when it is the selected node of its tree.
  void SyncToNode(TTreeNode* Node) override;
  void AssignFolder(TPTShellLocator* Folder) override { SetFolder(Folder); }
  bool HideFoldersWhenLinkedToTree() override { return FOptions.Contains(ptsloHideFoldersWhenLinkedToTree); }
  void LinkTree(TPTCustomShellTree* Tree) override;
  void LinkCombo(TPTCustomShellCombo* Combo) override;

  // TPTShListDataOwner
  IShellFolder* ListShellFolder() override { return FShellFolder.Get(); }
  PCItemIDList ListFolderIdList() override { return FIdList.Get(); }
  IMalloc* ListMalloc() override { return FMalloc.Get(); }
  IShellDetails* ListShellDetails() override { return FDetails.Get(); }

  void WndProc(TMessage& Message) override;
  bool ShowContextMenu(TListItem* Item, TPoint P) override;

  TPTShAddItemEvent OnAddItem;
  TPTShListDeleteItemEvent OnDeleteItem;
  TPTShDblClickOpenEvent OnDblClickOpen;
  TPTShLvCustomDrawEvent OnCustomDrawSh;    // item prepaint
  TPTShLvCustomDrawEvent OnCustomDrawShEx;  // every stage
  TNotifyEvent OnFillComplete;
  TPTShPopupHintEvent OnPopupHint;

protected:
  // Filter and OnAddItem: whether an accepted object gets an item.
  virtual bool DoAddItem(IShellFolder* ParentFolder, PCItemIDList ParentAbsIdList, PCItemIDList ItemRelIdList,
                         ULONG Attribs);
  // The fill proper; false when the folder could not be enumerated (no items, no error).
  virtual bool FillList(IShellFolder* Folder, PCItemIDList AbsIdList);
  virtual void BuildFilterNames();
  virtual bool MatchesFilter(const std::string& Name, ULONG Attribs);
  virtual void FreeFilterNames();

  std::unique_ptr<TPTCustomDraw> DoCustomDraw(NMLVCUSTOMDRAW& Draw, LRESULT& Result) override;
  void InitWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void GetDispInfo(TListItem* Item, NMLVDISPINFOW& Info) override;
  void InitItem(TListItem* Item) override;
  void Delete(TListItem* Item) override;
  void ColClick(TListColumn* Column) override;
  bool CanEdit(TListItem* Item) override;
  void Edit(const LVITEMW& Item) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // Opens one item (see OpenSelected).
  void OpenItem(TListItem* Item);
  // Shows the folder AbsIdList through the linked tree or combo, else through Folder;
  // nothing with ptsloDontChangeFolder.
  void ChangeToFolder(PCItemIDList AbsIdList);

  // Drags the selection with the mouse button ButtonKind (0 left, 1 right); afterwards a
  // refresh asked for meanwhile runs as one full fill. Raises when the folder cannot tell
  // what may be done with the items.
  void BeginOwnDrag(int ButtonKind);
  // The modal drag itself (DoDragDrop).
  virtual HRESULT RunDragDrop(IDataObject* Data, IDropSource* Source, DWORD Allowed, DWORD* Effect);
  // Where a drop on Item goes (nil Item: on the folder shown): our own transfer for a
  // folder of the file system, else the shell's drop target of the object; nil when it
  // has none.
  virtual TComPtr<IDropTarget> GetDropTargetOf(TListItem* Item);
  bool IsShellItem(const TListItem* Item) const;
  TPTShListData* GetShellData(const TListItem* Item) const;
  HWND OwnerWindow();

private:
  enum TColumnMode { cmNone, cmDetails, cmStandard };
  // The object passes the hidden-folder rules and DoAddItem.
  bool Accepts(IShellFolder* Folder, PCItemIDList AbsIdList, PCItemIDList Rel, ULONG& Attribs);
  // Hands Data to a new item at the end.
  void AddItem(TPTShListData* Data, ULONG Attribs);
  IShellDetails* GetShellDetails();
  // What the list shows of an item.
  struct TFolderEntry {
    uint64_t Size;
    FILETIME Written;
    DWORD Attributes;
  };
  struct TFolderFacts;
  // The folder listing's entry of the item, and its file name; nil when it has none.
  const TFolderEntry* FactsOf(TPTShListData* Data, std::string& FileName);
  std::string ShownName(TPTShListData* Data);
  std::string ShownDetail(TPTShListData* Data, int Column);
  int ShownIcon(TPTShListData* Data);
  // The folder listing's entry of the item (and its file name); nil when it has none.

  void SetupColumns(IShellDetails* Details);
  void SetupStandardColumns();
  void SetupDetailsColumns(IShellDetails* Details);
  void SaveColumnWidths();
  void ApplySharedWidths();
  int CompareItems(TListItem* A, TListItem* B);
  void Sort();
  void FolderChanged(TObject* Sender);
  void TellPartners();
  void ReturnToShownFolder(bool Partners);
  void StartWatching();
  void StopWatching();
  void ChangeNotified();
  void RefreshTimerTick(TObject* Sender);
  void RegisterDrop();
  void RevokeDrop();
  TListItem* ItemAtScreen(POINTL Point);
  void SetDropHighlight(TListItem* Item);
  // Copies of the relative lists of the selected items with shell data, in item order.
  std::vector<TPidl> SelectedIdLists(IMalloc* Malloc) const;
  // Runs the default command of a context menu of Lists; false when it has none.
  bool InvokeDefaultCommand(std::vector<TPidl>& Lists);

  TPTShellListOptions FOptions = DefaultShellListOptions;
  std::unique_ptr<TPTShellLocator> FFolder;
  std::string FFileFilter;
  std::vector<std::string> FFilterPatterns;
  std::unique_ptr<std::set<std::string>> FFilterNames;
  int FSortColumn = 1;

  TComPtr<IShellFolder> FShellFolder;
  TPidl FIdList;
  TComPtr<IMalloc> FMalloc;
  TComPtr<IShellDetails> FDetails;
  bool FDetailsAsked = false;
  std::unique_ptr<TFolderFacts> FFacts;  // read on first need after each fill or refresh
  TColumnMode FColumnMode = cmNone;
  bool FSharedWidths = false;

  TPTCustomShellTree* FTree = nullptr;
  TPTCustomShellCombo* FCombo = nullptr;
  TCustomImageList* FSmallImages;
  TCustomImageList* FLargeImages;

  // The item being inserted.
  TPTShListData* FPendingData = nullptr;
  ULONG FPendingAttribs = 0;
  bool FPendingHasDetails = false;

  std::unordered_set<const void*> FOwnData;  // the item data this list made
  TTimer* FRefreshTimer;
  std::unique_ptr<TChangeHandlerThread> FWatcher;
  bool FSkipNextChange = false;
  std::string FNewFolderName;  // for WM_PTSHRENAMENEWFOLDER
  bool FRefreshPending = false;
  bool FEditingName = false;  // a shell item's name is edited in place
  bool FOwnDrag = false;
  bool FReturning = false;  // going back to the shown folder after a failed change
  int FUpdatePass = 0;
  TComPtr<IDropTarget> FDropTarget;  // registered for the window
  TComPtr<IDataObject> FDragData;    // of a drag over the list, from DragEnter on
  DWORD FDragKeys = 0;               // the key state at DragEnter
  DWORD FLastScroll = 0;

  TComPtr<IContextMenu> FContextMenu;  // while the shell's context menu is shown
};

class TPTShellList : public TPTCustomShellList {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  using TPTCustomShellList::TPTCustomShellList;
};
