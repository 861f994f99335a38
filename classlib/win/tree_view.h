// The tree view base: nodes filled when first expanded (HasChildren without children yet),
// custom sort, label editing, custom draw and drop highlight.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <unordered_map>

#include "classlib/win/controls.h"
#include "classlib/win/image_list.h"

class TCustomTreeView;
class TTreeNodes;

class TTreeNode : public TPersistent {
public:
  TTreeNode(TTreeNodes* Owner, HTREEITEM Item);
  ~TTreeNode() override;

  HTREEITEM ItemId() const { return FItem; }
  TTreeNodes* Owner() const { return FOwner; }
  TCustomTreeView* TreeView() const;
  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value);
  void* Data() const { return FData; }
  void SetData(void* Value) { FData = Value; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  int SelectedIndex() const { return FSelectedIndex; }
  void SetSelectedIndex(int Value);
  int OverlayIndex() const { return FOverlayIndex; }
  void SetOverlayIndex(int Value);
  // Shows the expand button although no children have been added yet.
  bool HasChildren() const;
  void SetHasChildren(bool Value);
  bool Expanded() const;
  void SetExpanded(bool Value);
  void Expand(bool Recurse = false);
  void Collapse(bool Recurse = false);
  bool Selected() const;
  void SetSelected(bool Value);
  bool Cut() const;
  void SetCut(bool Value);
  bool DropTarget() const;
  void SetDropTarget(bool Value);

  TTreeNode* Parent() const;
  int Count() const;
  TTreeNode* Item(int Index) const;
  TTreeNode* GetFirstChild() const;
  TTreeNode* GetNextSibling() const;
  TTreeNode* GetPrevSibling() const;
  int Index() const;
  int Level() const;
  // Sorts the children with Compare (negative: Node1 first), also the grandchildren when
  // Recurse.
  void CustomSort(const std::function<int(TTreeNode*, TTreeNode*)>& Compare, bool Recurse = false);
  void AlphaSort(bool Recurse = false);
  TRect DisplayRect(bool TextOnly) const;
  bool EditText();
  void MakeVisible();
  void Delete();
  void DeleteChildren();

private:
  friend class TTreeNodes;
  friend class TCustomTreeView;
  UINT State(UINT Mask) const;
  void SetState(UINT Mask, bool On);
  TTreeNodes* FOwner;
  HTREEITEM FItem;
  std::string FText;
  void* FData = nullptr;
  int FImageIndex = -1;
  int FSelectedIndex = -1;
  int FOverlayIndex = -1;
};

class TTreeNodes : public TPersistent {
public:
  explicit TTreeNodes(TCustomTreeView* Owner);
  ~TTreeNodes() override;

  TCustomTreeView* Owner() const { return FOwner; }
  // A last child of Parent (nullptr: a root node).
  TTreeNode* AddChild(TTreeNode* Parent, const std::string& S);
  TTreeNode* AddChildObject(TTreeNode* Parent, const std::string& S, void* Data);
  TTreeNode* Add(TTreeNode* Sibling, const std::string& S);  // after the last sibling
  TTreeNode* GetFirstNode() const;
  // Every node, in display order (children after their parent).
  int Count() const { return int(FNodes.size()); }
  void Delete(TTreeNode* Node);
  void Clear();
  void BeginUpdate();
  void EndUpdate();
  TTreeNode* NodeOf(HTREEITEM Item) const;

private:
  friend class TTreeNode;
  friend class TCustomTreeView;
  TTreeNode* Insert(TTreeNode* Parent, HTREEITEM After, const std::string& S, void* Data);
  void Forget(HTREEITEM Item);
  TCustomTreeView* FOwner;
  std::unordered_map<HTREEITEM, std::unique_ptr<TTreeNode>> FNodes;
  int FUpdateCount = 0;
};

using TTVExpandingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowExpansion)>;
using TTVCollapsingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowCollapse)>;
using TTVExpandedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVChangingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVEditingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowEdit)>;
using TTVEditedEvent = std::function<void(TObject* Sender, TTreeNode* Node, std::string& S)>;
using TTVCompareEvent = std::function<void(TObject* Sender, TTreeNode* Node1, TTreeNode* Node2, int Data, int& Compare)>;

class TCustomTreeView : public TWinControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TCustomTreeView(TComponent* AOwner);
  ~TCustomTreeView() override;

  TTreeNodes* Items() const { return FItems.get(); }
  TTreeNode* Selected() const;
  void SetSelected(TTreeNode* Node);
  TTreeNode* DropTarget() const;
  void SetDropTarget(TTreeNode* Node);
  TTreeNode* GetNodeAt(int X, int Y) const;
  bool IsEditing() const;
  // Sorts the root level (and below with Recurse).
  void CustomSort(const std::function<int(TTreeNode*, TTreeNode*)>& Compare, bool Recurse = false);
  void AlphaSort(bool Recurse = false);
  void FullExpand();
  void FullCollapse();

  bool ShowButtons() const { return FShowButtons; }
  void SetShowButtons(bool Value);
  bool ShowLines() const { return FShowLines; }
  void SetShowLines(bool Value);
  bool ShowRoot() const { return FShowRoot; }
  void SetShowRoot(bool Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  int Indent() const { return FIndent; }
  void SetIndent(int Value);
  // The image lists of the nodes' icons and states; the tree follows their changes and
  // never destroys them or their handles.
  TCustomImageList* Images() const { return FImages.List(); }
  void SetImages(TCustomImageList* Value) { FImages.SetList(Value); }
  TCustomImageList* StateImages() const { return FStateImages.List(); }
  void SetStateImages(TCustomImageList* Value) { FStateImages.SetList(Value); }

  void WndProc(TMessage& Message) override;

  TTVExpandingEvent OnExpanding;
  TTVExpandedEvent OnExpanded;
  TTVCollapsingEvent OnCollapsing;
  TTVExpandedEvent OnCollapsed;
  TTVChangedEvent OnChange;
  TTVChangingEvent OnChanging;
  TTVEditingEvent OnEditing;
  TTVEditedEvent OnEdited;
  TTVExpandedEvent OnDeletion;
  TTVExpandedEvent OnGetImageIndex;
  TTVExpandedEvent OnGetSelectedIndex;
  TTVCompareEvent OnCompare;

protected:
  friend class TTreeNodes;
  friend class TTreeNode;
  void CreateParams(TCreateParams& Params) override;
  void InitWnd() override;
  void ColorChanged() override;
  void FontChanged() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual bool CanExpand(TTreeNode* Node);
  virtual void Expand(TTreeNode* Node);
  virtual bool CanCollapse(TTreeNode* Node);
  virtual void Collapse(TTreeNode* Node);
  virtual bool CanChange(TTreeNode* Node);
  virtual void Change(TTreeNode* Node);
  virtual bool CanEdit(TTreeNode* Node);
  virtual void Edit(const TVITEMW& Item);
  virtual void Delete(TTreeNode* Node);
  virtual void GetImageIndex(TTreeNode* Node);
  virtual void GetSelectedIndex(TTreeNode* Node);
  // NM_CUSTOMDRAW: Result is what the control gets (CDRF_DODEFAULT unless changed).
  virtual void CustomDraw(NMTVCUSTOMDRAW& Draw, LRESULT& Result);

private:
  void UpdateStyle(DWORD Bit, bool On);
  std::unique_ptr<TTreeNodes> FItems;
  bool FShowButtons = true;
  bool FShowLines = true;
  bool FShowRoot = true;
  bool FReadOnly = false;
  bool FHideSelection = true;
  int FIndent = 19;
  void ImageListChanged(int Which, const TChangeLink& Link);
  TChangeLink FImages{this, [this] { ImageListChanged(TVSIL_NORMAL, FImages); }};
  TChangeLink FStateImages{this, [this] { ImageListChanged(TVSIL_STATE, FStateImages); }};
};

class TTreeView : public TCustomTreeView {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  using TCustomTreeView::TCustomTreeView;
};
