// How the shell tree, list and combo of one panel reach each other. The tree and the combo
// drive a linked list through TPTShellListLink, which the shell list implements; the list
// reaches the tree and the combo through their own public operations (CurrentFolder,
// Folder, GoUp, FlushPendingUpdate).
#pragma once

class TComponent;
class TTreeNode;
class TPTShellLocator;
class TPTCustomShellTree;
class TPTCustomShellCombo;

class TPTShellListLink {
public:
  // The list as a component, so that its partners hear when it is freed.
  virtual TComponent* LinkComponent() = 0;
  // The tree selected Node (its data a TPTShTreeData): show that folder.
  virtual void SyncToNode(TTreeNode* Node) = 0;
  // The list's Folder takes Folder's designation.
  virtual void AssignFolder(TPTShellLocator* Folder) = 0;
  // Runs the list's delayed refresh now; with AlsoLinked its partners' first.
  virtual void FlushPendingUpdate(bool AlsoLinked) = 0;
  // The list hides folders while a tree shows them, so the tree expands its last node.
  virtual bool HideFoldersWhenLinkedToTree() = 0;
  // The partner that links to the list (nil: the link is dropped); the list keeps it to
  // hand its folder changes to.
  virtual void LinkTree(TPTCustomShellTree* Tree) = 0;
  virtual void LinkCombo(TPTCustomShellCombo* Combo) = 0;

protected:
  ~TPTShellListLink() = default;
};
