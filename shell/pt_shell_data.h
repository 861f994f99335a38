// The shell data of a tree node, a list item and a combo entry: the item-ID lists that
// name the object and what is expensive to ask the shell again (the node's folder, the
// display name, the detail texts), each computed on first use.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "classlib/core/object.h"
#include "shell/pt_shell_utils.h"

class TPTCustomShellTree;
class TPTCustomShellCombo;

// ---------------------------------------------------------------------------------------

class TPTShTreeData : public TObject {
public:
  explicit TPTShTreeData(TPTCustomShellTree* ATree) : FTree(ATree) {}

  // Keeps Malloc, copies ARelIdList with it.
  void Init(TPTShTreeData* AParent, IMalloc* AMalloc, PCItemIDList ARelIdList);

  TPTCustomShellTree* Tree() const { return FTree; }
  TPTShTreeData* Parent() const { return FParent; }
  PCItemIDList RelIdList() const { return FRelIdList.Get(); }
  IMalloc* Malloc() const { return FMalloc.Get(); }

  PCItemIDList GetAbsIdList();
  // The node's own folder; nil when it could not be bound. The desktop node raises when
  // the desktop is unavailable.
  IShellFolder* GetShellFolder();
  IShellFolder* GetParentShellFolder();
  bool CanRename();
  TComPtr<IDropTarget> GetDropTarget(HWND Owner);
  // After a rename: the new relative list (copied); everything cached is dropped.
  void SetRelIdList(PCItemIDList ARelIdList);
  void ResetCache();

private:
  TPTCustomShellTree* FTree;
  TPTShTreeData* FParent = nullptr;
  TComPtr<IMalloc> FMalloc;
  TPidl FRelIdList;
  TPidl FAbsIdList;
  TComPtr<IShellFolder> FShellFolder;
};

// ---------------------------------------------------------------------------------------

// What a shell list offers the data of its items: the folder it shows.
class TPTShListDataOwner {
public:
  virtual IShellFolder* ListShellFolder() = 0;
  virtual PCItemIDList ListFolderIdList() = 0;  // absolute
  virtual IMalloc* ListMalloc() = 0;
  // The folder's IShellDetails, nil when it has none.
  virtual IShellDetails* ListShellDetails() = 0;

protected:
  ~TPTShListDataOwner() = default;
};

class TPTShListData : public TObject {
public:
  explicit TPTShListData(TPTShListDataOwner* AList) : FList(AList) {}

  TPTShListDataOwner* List() const { return FList; }
  PCItemIDList RelIdList() const { return FRelIdList.Get(); }
  // Takes over ARelIdList (made by the list's allocator).
  void SetRelIdList(PItemIDList ARelIdList);
  // Names and details are asked again on next use.
  void ResetCache();

  PCItemIDList GetAbsIdList();
  std::string GetPath();
  std::string GetFileName();
  // Asked of the shell on each call.
  ULONG GetAttributes();
  bool IsFolder();
  bool CanRename();
  bool IsLink();
  bool IsValid();
  std::string GetDisplayName();
  std::string GetDetailText(int Column);
  std::string GetSizeText();
  std::string GetTypeText();
  std::string GetModifiedText();

private:
  void LoadDetails();

  TPTShListDataOwner* FList;
  TPidl FRelIdList;  // both from the list's allocator
  TPidl FAbsIdList;
  std::string FDisplayName;
  bool FDetailsLoaded = false;
  std::string FSizeText, FTypeText, FModifiedText;
};

// ---------------------------------------------------------------------------------------

class TPTShComboData : public TObject {
public:
  explicit TPTShComboData(TPTCustomShellCombo* ACombo) : FCombo(ACombo) {}

  // Keeps AParentFolder (nil allowed), copies both lists.
  void Init(IShellFolder* AParentFolder, PCItemIDList AParentIdList, PCItemIDList ARelIdList);

  TPTCustomShellCombo* Combo() const { return FCombo; }
  IShellFolder* ParentFolder() const { return FParentFolder.Get(); }
  PCItemIDList ParentIdList() const { return FParentIdList.Get(); }
  PCItemIDList RelIdList() const { return FRelIdList.Get(); }
  PCItemIDList AbsIdList() const { return FAbsIdList.Get(); }

private:
  TPTCustomShellCombo* FCombo;
  TComPtr<IShellFolder> FParentFolder;
  TPidl FParentIdList, FRelIdList, FAbsIdList;
};
