// The shell tree: the folders of the shell namespace below a base folder, filled when a
// node is first expanded. It keeps a current folder, drives a linked list and combo when
// its selection moves (at once on a click, 500 ms after the last keyboard move), follows
// them, refreshes itself after changes on the local drives, and offers the shell's context
// menu, verbs, rename in place, default keys and OLE drag and drop.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>

#include "classlib/win/image_list.h"
#include "classlib/win/timer.h"
#include "shell/change_handler_thread.h"
#include "shell/pt_shell_data.h"
#include "shell/pt_shell_links.h"
#include "shell/pt_shell_locator.h"
#include "shell/pt_shell_routines.h"
#include "shell/pt_tree_list.h"

enum TPTShellTreeOption {
  ptstoAutoFill,
  ptstoVirtualFolders,
  ptstoDesignInteractive,
  ptstoDefaultKeyHandling,
  ptstoContextMenus,
  ptstoDynamicRefresh,
  ptstoIncludeNonFolders,
  ptstoOleDrag,
  ptstoOleDrop,
  ptstoShowHidden,
};
template <> const TTypeInfo* TypeInfoOf<TPTShellTreeOption>();
using TPTShellTreeOptions = TSet<TPTShellTreeOption>;
inline constexpr TPTShellTreeOptions PTShellTreeDefaultOptions{
    ptstoAutoFill,     ptstoVirtualFolders, ptstoDefaultKeyHandling, ptstoContextMenus,
    ptstoDynamicRefresh, ptstoOleDrag,      ptstoOleDrop,            ptstoShowHidden};

using TPTShTreeDeleteItemEvent = std::function<void(TObject* aSender, TTreeNode* aNode, TPTShTreeData* aShTreeData)>;
using TPTShTvCustomDrawEvent =
    std::function<void(TObject* aSender, TPTCustomDraw* aCD, TTreeNode* aNode, TPTShTreeData* aData)>;

class TPTCustomShellList;

class TPTCustomShellTree : public TPTCustomTreeView {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  // The message the folder watcher posts.
  static constexpr UINT WM_SHELLCHANGE = WM_USER + 101;

  explicit TPTCustomShellTree(TComponent* AOwner);
  ~TPTCustomShellTree() override;

  // The root of the tree (nil list: the desktop).
  TPTShellLocator* BaseFolder() { return &FBaseFolder; }
  void SetBaseFolder(TPTShellLocator* Value) { FBaseFolder.Assign(Value); }
  // The folder of the selected node; setting it selects the folder's node.
  TPTShellLocator* CurrentFolder() { return &FCurrentFolder; }
  TPTShellListLink* ShellList() const { return FShellList; }
  void SetShellList(TPTShellListLink* Value);
  // The linked list when it is a shell list (the published ShellList).
  TPTCustomShellList* LinkedShellList() const;
  TPTCustomShellCombo* ShellCombo() const { return FShellCombo; }
  // Called by the combo when it links to the tree (nil: it lets go).
  void LinkCombo(TPTCustomShellCombo* Value);
  TPTShellTreeOptions Options() const { return FOptions; }
  void SetOptions(TPTShellTreeOptions Value);

  void SetPath(const std::string& Path);
  // From the linked combo: the current folder takes Folder's designation.
  void SetFolder(TPTShellLocator* Folder);
  // Selects the node of a folder (an absolute list), expanding the way to it.
  void SelectFolder(PCItemIDList AbsList);
  // Runs a context-menu verb on Node's object; raises when it cannot.
  void InvokeCommandOnNode(TTreeNode* Node, const std::string& Verb);
  void GoUp(int Levels);
  // Runs the delayed sync or refresh now; with AlsoLinked the list's and combo's first.
  void FlushPendingUpdate(bool AlsoLinked);
  // Throws every node away and fills the tree again.
  void Refill();
  // Drops nodes of folders that are gone and adds new folders, keeping the rest.
  void RefreshNodes();
  TPTShTreeData* NodeData(TTreeNode* Node) const;
  bool Watching() const { return FWatcher != nullptr; }

  void WndProc(TMessage& Message) override;

  TPTShAddItemEvent OnAddItem;
  TPTShTreeDeleteItemEvent OnDeleteItem;
  TPTShPopupHintEvent OnPopupHint;
  TPTShTvCustomDrawEvent OnCustomDrawSh;    // item prepaint
  TPTShTvCustomDrawEvent OnCustomDrawShEx;  // every stage
  TNotifyEvent OnFillComplete;

  // Drag and drop on the tree (its registered drop target forwards here).
  HRESULT DoDragEnter(IDataObject* Data, DWORD KeyState, POINTL Point, DWORD* Effect);
  HRESULT DoDragOver(DWORD KeyState, POINTL Point, DWORD* Effect);
  HRESULT DoDragLeave();
  HRESULT DoDrop(IDataObject* Data, DWORD KeyState, POINTL Point, DWORD* Effect);

protected:
  virtual void FillNode(IShellFolder* Folder, TTreeNode* Node);
  virtual bool DoAddItem(IShellFolder* Folder, PCItemIDList ParentAbsList, PCItemIDList RelList, ULONG Attributes);
  virtual void DoDeleteItem(TTreeNode* Node);

  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  bool CanExpand(TTreeNode* Node) override;
  void Change(TTreeNode* Node) override;
  bool CanEdit(TTreeNode* Node) override;
  void Edit(const TVITEMW& Item) override;
  void NodeDeleted(TTreeNode* Node) override;
  void GetImageIndex(TTreeNode* Node) override;
  void GetSelectedIndex(TTreeNode* Node) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  bool ShowContextMenu(TTreeNode* Node, TPoint P) override;
  std::unique_ptr<TPTCustomDraw> DoCustomDraw(NMTVCUSTOMDRAW& Draw, LRESULT& Result) override;

private:
  struct TUpdatePass;
  void AddChildNode(IShellFolder* Folder, TTreeNode* Parent, PCItemIDList RelList);
  void SortChildren(TTreeNode* Parent);
  void SyncSelection(TTreeNode* Node);
  void TimerTick();
  void BaseFolderChanged();
  void CurrentFolderChanged();
  void StartWatching();
  void StopWatching();
  void RefreshNode(TTreeNode* Node, TTreeNode*& Remembered);
  void UpdateDragStyle();
  void RegisterDrop();
  void RevokeDrop();
  void BeginOwnDrag(TTreeNode* Node, int ButtonKind);
  TTreeNode* ShellNodeAt(POINTL Point);
  HWND OwnerWindow() const;

  TPTShellLocator FBaseFolder;
  TPTShellLocator FCurrentFolder;
  TTimer* FTimer;
  int FTimerTag = 0;  // 1 selection sync, 2 change refresh
  TPTShellListLink* FShellList = nullptr;
  TComponent* FShellListComponent = nullptr;
  TPTCustomShellCombo* FShellCombo = nullptr;
  TPTShellTreeOptions FOptions = PTShellTreeDefaultOptions;
  TImageList* FSystemImages;
  bool FImmediateSync = false;
  int FUpdateCount = 0;
  bool FNoExpandWhileLoading = false;
  bool FSkipNextChange = false;
  std::unique_ptr<TChangeHandlerThread> FWatcher;
  bool FOwnDrag = false;
  bool FRefreshPending = false;
  TComPtr<IContextMenu> FContextMenu;
  TComPtr<IDropTarget> FDropTarget;  // registered for the window
  TComPtr<IDataObject> FDragData;    // of a drag over the tree
  DWORD FDragKeys = 0;
  DWORD FLastScroll = 0;
  TTreeNode* FDragNode = nullptr;  // where the tree's own last drag started
};

class TPTShellTree : public TPTCustomShellTree {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  using TPTCustomShellTree::TPTCustomShellTree;
};

// The data object of a node of the tree being dragged: the node's parent folder and item.
TComPtr<IDataObject> CreateTreeNodeDataObject(TPTCustomShellTree* Tree, TTreeNode* Node);
