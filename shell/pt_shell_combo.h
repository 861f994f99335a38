// The path combo above a file panel: the desktop, its folders, the drives under My
// Computer and the chain of folders down to the current one, each with its system icon
// and indented by depth. Choosing an entry moves the linked tree (or, without one, the
// linked list); when they move, the combo follows and rebuilds itself.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <vector>

#include "classlib/win/image_list.h"
#include "shell/pt_image_combo.h"
#include "shell/pt_shell_data.h"
#include "shell/pt_shell_links.h"
#include "shell/pt_shell_locator.h"

enum TPTShellComboOption { ptscoAutofill, ptscoNonFilesystemAncestors };
template <> const TTypeInfo* TypeInfoOf<TPTShellComboOption>();
using TPTShellComboOptions = TSet<TPTShellComboOption>;

class TPTCustomShellTree;
class TPTCustomShellList;

class TPTCustomShellCombo : public TPTCustomImageCombo {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TPTCustomShellCombo(TComponent* AOwner);
  ~TPTCustomShellCombo() override;

  TPTCustomShellTree* ShellTree() const { return FShellTree; }
  // Refused (EInvalidOperation) while a list is linked.
  void SetShellTree(TPTCustomShellTree* Value);
  TPTShellListLink* ShellList() const { return FShellList; }
  // Refused (EInvalidOperation) while a tree is linked.
  void SetShellList(TPTShellListLink* Value);
  // The linked list when it is a shell list (the published ShellList).
  TPTCustomShellList* LinkedShellList() const;
  TPTShellComboOptions Options() const { return FOptions; }
  void SetOptions(TPTShellComboOptions Value) { FOptions = Value; }

  // The current folder; a change of its designation moves the linked control and rebuilds.
  TPTShellLocator* Folder() { return &FFolder; }
  void SetFolder(TPTShellLocator* Value) { FFolder.Assign(Value); }
  virtual void SyncToNode(TTreeNode* Node);
  void GoUp(int Levels);
  void FlushPendingUpdate(bool AlsoLinked);
  // Lists the entries again for the current folder.
  void Rebuild();
  TPTShComboData* EntryData(int Index) const;

protected:
  virtual bool DoAddItem(IShellFolder* Folder, PCItemIDList RelList);
  virtual void FolderChanged();
  virtual void FillLevel(IShellFolder* Folder, PCItemIDList ParentList, TPTIdListArray* Chain, int Level);
  void DoDeleteItem(TObject* aData) override;
  void SelEndOk() override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  struct TUpdatePass;
  TPTImageComboItem* AddEntry(IShellFolder* Folder, PCItemIDList ParentList, PCItemIDList RelList,
                              const std::string& Name, bool Open, int Indent, ULONG Attributes);
  void AppendChain(IShellFolder* Folder, PCItemIDList ParentList, TPTIdListArray* Chain, int From);

  TPTCustomShellTree* FShellTree = nullptr;
  TPTShellListLink* FShellList = nullptr;
  TComponent* FShellListComponent = nullptr;
  TPTShellComboOptions FOptions{ptscoAutofill, ptscoNonFilesystemAncestors};
  TPTShellLocator FFolder;
  TImageList* FSystemImages;
  int FUpdateCount = 0;
  int FSelect = -1;  // the entry a fill chose
};

class TPTShellCombo : public TPTCustomShellCombo {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  using TPTCustomShellCombo::TPTCustomShellCombo;
};

// Relative lists of one folder ordered by the folder's CompareIDs; raises "Recursive call
// to SortPidls" when called again while it runs.
void SortPidls(IShellFolder* Folder, std::vector<PCItemIDList>& Lists);
