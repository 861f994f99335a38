#include "classlib/win/tree_view.h"

#include <vector>

#include "classlib/win/graphics.h"
#include "classlib/win/wide_string.h"

namespace {

int CALLBACK CompareThunk(LPARAM A, LPARAM B, LPARAM Compare) {
  auto& F = *reinterpret_cast<const std::function<int(TTreeNode*, TTreeNode*)>*>(Compare);
  return F(reinterpret_cast<TTreeNode*>(A), reinterpret_cast<TTreeNode*>(B));
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TTreeNode

TTreeNode::TTreeNode(TTreeNodes* Owner, HTREEITEM Item) : FOwner(Owner), FItem(Item) {}
TTreeNode::~TTreeNode() = default;

TCustomTreeView* TTreeNode::TreeView() const { return FOwner->FOwner; }

namespace {

HWND TreeHandle(const TTreeNode* N) { return N->TreeView()->Handle(); }

}  // namespace

void TTreeNode::SetText(const std::string& Value) {
  FText = Value;
  std::wstring W = ToWide(Value);
  TVITEMW I{};
  I.mask = TVIF_TEXT;
  I.hItem = FItem;
  I.pszText = W.data();
  SendMessageW(TreeHandle(this), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&I));
}

void TTreeNode::SetImageIndex(int Value) {
  FImageIndex = Value;
  RECT R;
  *reinterpret_cast<HTREEITEM*>(&R) = FItem;
  if (SendMessageW(TreeHandle(this), TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&R)))
    InvalidateRect(TreeHandle(this), &R, TRUE);
}

void TTreeNode::SetSelectedIndex(int Value) {
  FSelectedIndex = Value;
  SetImageIndex(FImageIndex);
}

void TTreeNode::SetOverlayIndex(int Value) {
  FOverlayIndex = Value;
  TVITEMW I{};
  I.mask = TVIF_STATE;
  I.hItem = FItem;
  I.stateMask = TVIS_OVERLAYMASK;
  I.state = Value >= 0 ? INDEXTOOVERLAYMASK(Value + 1) : 0;
  SendMessageW(TreeHandle(this), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&I));
}

bool TTreeNode::HasChildren() const {
  TVITEMW I{};
  I.mask = TVIF_CHILDREN;
  I.hItem = FItem;
  SendMessageW(TreeHandle(this), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&I));
  return I.cChildren != 0;
}

void TTreeNode::SetHasChildren(bool Value) {
  TVITEMW I{};
  I.mask = TVIF_CHILDREN;
  I.hItem = FItem;
  I.cChildren = Value ? 1 : 0;
  SendMessageW(TreeHandle(this), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&I));
}

UINT TTreeNode::State(UINT Mask) const {
  return UINT(SendMessageW(TreeHandle(this), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(FItem), Mask)) & Mask;
}

void TTreeNode::SetState(UINT Mask, bool On) {
  TVITEMW I{};
  I.mask = TVIF_STATE;
  I.hItem = FItem;
  I.stateMask = Mask;
  I.state = On ? Mask : 0;
  SendMessageW(TreeHandle(this), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&I));
}

bool TTreeNode::Expanded() const { return State(TVIS_EXPANDED) != 0; }

void TTreeNode::SetExpanded(bool Value) {
  if (Value) Expand(false);
  else Collapse(false);
}

void TTreeNode::Expand(bool Recurse) {
  SendMessageW(TreeHandle(this), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(FItem));
  if (Recurse)
    for (TTreeNode* C = GetFirstChild(); C != nullptr; C = C->GetNextSibling()) C->Expand(true);
}

void TTreeNode::Collapse(bool Recurse) {
  if (Recurse)
    for (TTreeNode* C = GetFirstChild(); C != nullptr; C = C->GetNextSibling()) C->Collapse(true);
  SendMessageW(TreeHandle(this), TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(FItem));
}

bool TTreeNode::Selected() const { return State(TVIS_SELECTED) != 0; }

void TTreeNode::SetSelected(bool Value) {
  if (Value) TreeView()->SetSelected(this);
  else if (Selected()) TreeView()->SetSelected(nullptr);
}

bool TTreeNode::Cut() const { return State(TVIS_CUT) != 0; }
void TTreeNode::SetCut(bool Value) { SetState(TVIS_CUT, Value); }
bool TTreeNode::DropTarget() const { return State(TVIS_DROPHILITED) != 0; }

void TTreeNode::SetDropTarget(bool Value) {
  if (Value) TreeView()->SetDropTarget(this);
  else if (DropTarget()) TreeView()->SetDropTarget(nullptr);
}

TTreeNode* TTreeNode::Parent() const {
  return FOwner->NodeOf(reinterpret_cast<HTREEITEM>(
      SendMessageW(TreeHandle(this), TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(FItem))));
}

TTreeNode* TTreeNode::GetFirstChild() const {
  return FOwner->NodeOf(reinterpret_cast<HTREEITEM>(
      SendMessageW(TreeHandle(this), TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(FItem))));
}

TTreeNode* TTreeNode::GetNextSibling() const {
  return FOwner->NodeOf(reinterpret_cast<HTREEITEM>(
      SendMessageW(TreeHandle(this), TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(FItem))));
}

TTreeNode* TTreeNode::GetPrevSibling() const {
  return FOwner->NodeOf(reinterpret_cast<HTREEITEM>(
      SendMessageW(TreeHandle(this), TVM_GETNEXTITEM, TVGN_PREVIOUS, reinterpret_cast<LPARAM>(FItem))));
}

int TTreeNode::Count() const {
  int N = 0;
  for (TTreeNode* C = GetFirstChild(); C != nullptr; C = C->GetNextSibling()) ++N;
  return N;
}

TTreeNode* TTreeNode::Item(int Index) const {
  TTreeNode* C = GetFirstChild();
  for (int I = 0; C != nullptr && I < Index; ++I) C = C->GetNextSibling();
  if (C == nullptr || Index < 0) throw EListError("Tree node index out of bounds (" + std::to_string(Index) + ")");
  return C;
}

int TTreeNode::Index() const {
  int N = 0;
  for (TTreeNode* P = GetPrevSibling(); P != nullptr; P = P->GetPrevSibling()) ++N;
  return N;
}

int TTreeNode::Level() const {
  int N = 0;
  for (TTreeNode* P = Parent(); P != nullptr; P = P->Parent()) ++N;
  return N;
}

void TTreeNode::CustomSort(const std::function<int(TTreeNode*, TTreeNode*)>& Compare, bool Recurse) {
  TVSORTCB S{FItem, CompareThunk, reinterpret_cast<LPARAM>(&Compare)};
  SendMessageW(TreeHandle(this), TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&S));
  if (Recurse)
    for (TTreeNode* C = GetFirstChild(); C != nullptr; C = C->GetNextSibling()) C->CustomSort(Compare, true);
}

void TTreeNode::AlphaSort(bool Recurse) {
  CustomSort([](TTreeNode* A, TTreeNode* B) {
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, ToWide(A->Text()).c_str(), -1,
                          ToWide(B->Text()).c_str(), -1) - 2;
  }, Recurse);
}

TRect TTreeNode::DisplayRect(bool TextOnly) const {
  RECT R;
  *reinterpret_cast<HTREEITEM*>(&R) = FItem;
  if (!SendMessageW(TreeHandle(this), TVM_GETITEMRECT, TextOnly, reinterpret_cast<LPARAM>(&R))) return TRect();
  return TRect(R);
}

bool TTreeNode::EditText() {
  TreeView()->SetFocus();
  return SendMessageW(TreeHandle(this), TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(FItem)) != 0;
}

void TTreeNode::MakeVisible() { SendMessageW(TreeHandle(this), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(FItem)); }

void TTreeNode::Delete() { FOwner->Delete(this); }

void TTreeNode::DeleteChildren() {
  std::vector<TTreeNode*> Kids;
  for (TTreeNode* C = GetFirstChild(); C != nullptr; C = C->GetNextSibling()) Kids.push_back(C);
  for (TTreeNode* C : Kids) C->Delete();
}

// ---------------------------------------------------------------------------------------
// TTreeNodes

TTreeNodes::TTreeNodes(TCustomTreeView* Owner) : FOwner(Owner) {}
TTreeNodes::~TTreeNodes() = default;

TTreeNode* TTreeNodes::NodeOf(HTREEITEM Item) const {
  if (Item == nullptr) return nullptr;
  auto It = FNodes.find(Item);
  return It == FNodes.end() ? nullptr : It->second.get();
}

TTreeNode* TTreeNodes::Insert(TTreeNode* Parent, HTREEITEM After, const std::string& S, void* Data) {
  HWND W = FOwner->Handle();
  std::wstring Text = ToWide(S);
  TVINSERTSTRUCTW Ins{};
  Ins.hParent = Parent != nullptr ? Parent->FItem : TVI_ROOT;
  Ins.hInsertAfter = After;
  Ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  Ins.item.pszText = Text.data();
  Ins.item.iImage = I_IMAGECALLBACK;
  Ins.item.iSelectedImage = I_IMAGECALLBACK;
  auto Node = std::make_unique<TTreeNode>(this, nullptr);
  Node->FText = S;
  Node->FData = Data;
  Ins.item.mask |= TVIF_PARAM;
  Ins.item.lParam = reinterpret_cast<LPARAM>(Node.get());
  auto Item = reinterpret_cast<HTREEITEM>(SendMessageW(W, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&Ins)));
  if (Item == nullptr) throw EOutOfResources("The tree view cannot take another node");
  Node->FItem = Item;
  TTreeNode* Result = Node.get();
  FNodes[Item] = std::move(Node);
  return Result;
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* Parent, const std::string& S) { return Insert(Parent, TVI_LAST, S, nullptr); }

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* Parent, const std::string& S, void* Data) {
  return Insert(Parent, TVI_LAST, S, Data);
}

TTreeNode* TTreeNodes::Add(TTreeNode* Sibling, const std::string& S) {
  return Insert(Sibling != nullptr ? Sibling->Parent() : nullptr, TVI_LAST, S, nullptr);
}

TTreeNode* TTreeNodes::GetFirstNode() const {
  if (!FOwner->HandleAllocated()) return nullptr;
  return NodeOf(reinterpret_cast<HTREEITEM>(SendMessageW(FOwner->Handle(), TVM_GETNEXTITEM, TVGN_ROOT, 0)));
}

void TTreeNodes::Forget(HTREEITEM Item) { FNodes.erase(Item); }

void TTreeNodes::Delete(TTreeNode* Node) {
  // The control reports each deleted node (TVN_DELETEITEM): they are forgotten there.
  SendMessageW(FOwner->Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(Node->FItem));
}

void TTreeNodes::Clear() {
  if (FOwner->HandleAllocated()) SendMessageW(FOwner->Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  FNodes.clear();
}

void TTreeNodes::BeginUpdate() {
  if (FUpdateCount++ == 0 && FOwner->HandleAllocated()) SendMessageW(FOwner->Handle(), WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0 && FOwner->HandleAllocated()) {
    SendMessageW(FOwner->Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(FOwner->Handle(), nullptr, TRUE);
  }
}

// ---------------------------------------------------------------------------------------
// TCustomTreeView

const TClassInfo* TCustomTreeView::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TCustomTreeView, TWinControl>("TCustomTreeView")
          .Prop("ShowButtons", &TCustomTreeView::ShowButtons, &TCustomTreeView::SetShowButtons)
          .Prop("ShowLines", &TCustomTreeView::ShowLines, &TCustomTreeView::SetShowLines)
          .Prop("ShowRoot", &TCustomTreeView::ShowRoot, &TCustomTreeView::SetShowRoot)
          .Prop("ReadOnly", &TCustomTreeView::ReadOnly, &TCustomTreeView::SetReadOnly)
          .Prop("HideSelection", &TCustomTreeView::HideSelection, &TCustomTreeView::SetHideSelection)
          .Prop("Indent", &TCustomTreeView::Indent, &TCustomTreeView::SetIndent)
          .Prop("Images", &TCustomTreeView::Images, &TCustomTreeView::SetImages)
          .Prop("StateImages", &TCustomTreeView::StateImages, &TCustomTreeView::SetStateImages)
          .Prop("OnExpanding", &TCustomTreeView::OnExpanding)
          .Prop("OnExpanded", &TCustomTreeView::OnExpanded)
          .Prop("OnCollapsing", &TCustomTreeView::OnCollapsing)
          .Prop("OnCollapsed", &TCustomTreeView::OnCollapsed)
          .Prop("OnChange", &TCustomTreeView::OnChange)
          .Prop("OnChanging", &TCustomTreeView::OnChanging)
          .Prop("OnEditing", &TCustomTreeView::OnEditing)
          .Prop("OnEdited", &TCustomTreeView::OnEdited)
          .Prop("OnDeletion", &TCustomTreeView::OnDeletion)
          .Prop("OnGetImageIndex", &TCustomTreeView::OnGetImageIndex)
          .Prop("OnGetSelectedIndex", &TCustomTreeView::OnGetSelectedIndex)
          .Prop("OnCompare", &TCustomTreeView::OnCompare)
          .Build();
  return &Info;
}

const TClassInfo* TTreeView::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TTreeView, TCustomTreeView>("TTreeView").Build();
  return &Info;
}

TCustomTreeView::TCustomTreeView(TComponent* AOwner) : TWinControl(AOwner), FItems(std::make_unique<TTreeNodes>(this)) {
  FWidth = 121;
  FHeight = 97;
  FTabStop = true;
  FColor = clWindow;
}

TCustomTreeView::~TCustomTreeView() {
  Destroying();
  // The nodes go while the view still hears about it (OnDeletion for each).
  if (HandleAllocated()) SendMessageW(FHandle, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  FItems->FNodes.clear();
}

void TCustomTreeView::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  P.SysClass = WC_TREEVIEWW;
  P.Style |= (FShowButtons ? TVS_HASBUTTONS : 0) | (FShowLines ? TVS_HASLINES : 0) |
             (FShowRoot ? TVS_LINESATROOT : 0) | (FReadOnly ? 0 : TVS_EDITLABELS) |
             (FHideSelection ? 0 : TVS_SHOWSELALWAYS);
  P.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomTreeView::InitWnd() {
  ColorChanged();
  SendMessageW(FHandle, TVM_SETINDENT, FIndent, 0);
  if (FImages.List() != nullptr) ImageListChanged(TVSIL_NORMAL, FImages);
  if (FStateImages.List() != nullptr) ImageListChanged(TVSIL_STATE, FStateImages);
}

void TCustomTreeView::ColorChanged() {
  TWinControl::ColorChanged();
  if (FHandle != nullptr)
    SendMessageW(FHandle, TVM_SETBKCOLOR, 0, static_cast<COLORREF>(ColorToRGB(FColor)) & 0xFFFFFF);
}

void TCustomTreeView::FontChanged() {
  TWinControl::FontChanged();
  if (FHandle != nullptr) {
    TColor C = FFont->Color();
    SendMessageW(FHandle, TVM_SETTEXTCOLOR, 0,
                 C == clNone ? CLR_DEFAULT : static_cast<COLORREF>(ColorToRGB(C)) & 0xFFFFFF);
  }
}

void TCustomTreeView::UpdateStyle(DWORD Bit, bool On) {
  if (FHandle == nullptr) return;
  LONG S = GetWindowLongW(FHandle, GWL_STYLE);
  SetWindowLongW(FHandle, GWL_STYLE, On ? (S | Bit) : (S & ~Bit));
  InvalidateRect(FHandle, nullptr, TRUE);
}

void TCustomTreeView::SetShowButtons(bool Value) {
  FShowButtons = Value;
  UpdateStyle(TVS_HASBUTTONS, Value);
}
void TCustomTreeView::SetShowLines(bool Value) {
  FShowLines = Value;
  UpdateStyle(TVS_HASLINES, Value);
}
void TCustomTreeView::SetShowRoot(bool Value) {
  FShowRoot = Value;
  UpdateStyle(TVS_LINESATROOT, Value);
}
void TCustomTreeView::SetReadOnly(bool Value) {
  FReadOnly = Value;
  UpdateStyle(TVS_EDITLABELS, !Value);
}
void TCustomTreeView::SetHideSelection(bool Value) {
  FHideSelection = Value;
  UpdateStyle(TVS_SHOWSELALWAYS, !Value);
}
void TCustomTreeView::SetIndent(int Value) {
  FIndent = Value;
  if (FHandle != nullptr) SendMessageW(FHandle, TVM_SETINDENT, Value, 0);
}

void TCustomTreeView::ImageListChanged(int Which, const TChangeLink& Link) {
  if (FHandle == nullptr || Destroying()) return;
  SendMessageW(FHandle, TVM_SETIMAGELIST, Which, reinterpret_cast<LPARAM>(Link.Handle()));
  Invalidate();
}

void TCustomTreeView::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  FImages.Removed(AComponent);
  FStateImages.Removed(AComponent);
}

TTreeNode* TCustomTreeView::Selected() const {
  if (FHandle == nullptr) return nullptr;
  return FItems->NodeOf(reinterpret_cast<HTREEITEM>(SendMessageW(FHandle, TVM_GETNEXTITEM, TVGN_CARET, 0)));
}

void TCustomTreeView::SetSelected(TTreeNode* Node) {
  SendMessageW(Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(Node != nullptr ? Node->FItem : nullptr));
}

TTreeNode* TCustomTreeView::DropTarget() const {
  if (FHandle == nullptr) return nullptr;
  return FItems->NodeOf(reinterpret_cast<HTREEITEM>(SendMessageW(FHandle, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0)));
}

void TCustomTreeView::SetDropTarget(TTreeNode* Node) {
  SendMessageW(Handle(), TVM_SELECTITEM, TVGN_DROPHILITE,
               reinterpret_cast<LPARAM>(Node != nullptr ? Node->FItem : nullptr));
}

TTreeNode* TCustomTreeView::GetNodeAt(int X, int Y) const {
  if (FHandle == nullptr) return nullptr;
  TVHITTESTINFO H{};
  H.pt = POINT{X, Y};
  auto Item = reinterpret_cast<HTREEITEM>(SendMessageW(FHandle, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&H)));
  return (H.flags & (TVHT_ONITEM | TVHT_ONITEMBUTTON)) ? FItems->NodeOf(Item) : nullptr;
}

bool TCustomTreeView::IsEditing() const {
  return FHandle != nullptr && SendMessageW(FHandle, TVM_GETEDITCONTROL, 0, 0) != 0;
}

void TCustomTreeView::CustomSort(const std::function<int(TTreeNode*, TTreeNode*)>& Compare, bool Recurse) {
  TVSORTCB S{TVI_ROOT, CompareThunk, reinterpret_cast<LPARAM>(&Compare)};
  SendMessageW(Handle(), TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&S));
  if (Recurse)
    for (TTreeNode* N = FItems->GetFirstNode(); N != nullptr; N = N->GetNextSibling()) N->CustomSort(Compare, true);
}

void TCustomTreeView::AlphaSort(bool Recurse) {
  CustomSort([this](TTreeNode* A, TTreeNode* B) {
    if (OnCompare) {
      int R = 0;
      OnCompare(this, A, B, 0, R);
      return R;
    }
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, ToWide(A->Text()).c_str(), -1,
                          ToWide(B->Text()).c_str(), -1) - 2;
  }, Recurse);
}

void TCustomTreeView::FullExpand() {
  for (TTreeNode* N = FItems->GetFirstNode(); N != nullptr; N = N->GetNextSibling()) N->Expand(true);
}

void TCustomTreeView::FullCollapse() {
  for (TTreeNode* N = FItems->GetFirstNode(); N != nullptr; N = N->GetNextSibling()) N->Collapse(true);
}

bool TCustomTreeView::CanExpand(TTreeNode* Node) {
  bool Allow = true;
  if (OnExpanding) OnExpanding(this, Node, Allow);
  return Allow;
}

void TCustomTreeView::Expand(TTreeNode* Node) {
  if (OnExpanded) OnExpanded(this, Node);
}

bool TCustomTreeView::CanCollapse(TTreeNode* Node) {
  bool Allow = true;
  if (OnCollapsing) OnCollapsing(this, Node, Allow);
  return Allow;
}

void TCustomTreeView::Collapse(TTreeNode* Node) {
  if (OnCollapsed) OnCollapsed(this, Node);
}

bool TCustomTreeView::CanChange(TTreeNode* Node) {
  bool Allow = true;
  if (OnChanging) OnChanging(this, Node, Allow);
  return Allow;
}

void TCustomTreeView::Change(TTreeNode* Node) {
  if (OnChange) OnChange(this, Node);
}

bool TCustomTreeView::CanEdit(TTreeNode* Node) {
  bool Allow = true;
  if (OnEditing) OnEditing(this, Node, Allow);
  return Allow;
}

void TCustomTreeView::Edit(const TVITEMW& Item) {
  TTreeNode* Node = FItems->NodeOf(Item.hItem);
  if (Node == nullptr || Item.pszText == nullptr) return;
  std::string S = FromWide(Item.pszText);
  if (OnEdited) OnEdited(this, Node, S);
  Node->SetText(S);
}

void TCustomTreeView::Delete(TTreeNode* Node) {
  if (OnDeletion) OnDeletion(this, Node);
}

void TCustomTreeView::GetImageIndex(TTreeNode* Node) {
  if (OnGetImageIndex) OnGetImageIndex(this, Node);
}

void TCustomTreeView::GetSelectedIndex(TTreeNode* Node) {
  if (OnGetSelectedIndex) OnGetSelectedIndex(this, Node);
}

void TCustomTreeView::CustomDraw(NMTVCUSTOMDRAW&, LRESULT& Result) { Result = CDRF_DODEFAULT; }

void TCustomTreeView::WndProc(TMessage& M) {
  if (M.Msg == CN_NOTIFY) {
    auto* H = reinterpret_cast<NMHDR*>(M.LParam);
    switch (H->code) {
      case TVN_ITEMEXPANDINGW: {
        auto* T = reinterpret_cast<NMTREEVIEWW*>(M.LParam);
        TTreeNode* Node = FItems->NodeOf(T->itemNew.hItem);
        if (Node == nullptr) return;
        bool Allow;
        if (T->action & TVE_EXPAND) {
          Allow = CanExpand(Node);
          // A node that promised children and has none after the fill loses its button.
          if (Allow && Node->GetFirstChild() == nullptr) {
            Node->SetHasChildren(false);
            Allow = false;
          }
        } else {
          Allow = CanCollapse(Node);
        }
        M.Result = Allow ? FALSE : TRUE;
        return;
      }
      case TVN_ITEMEXPANDEDW: {
        auto* T = reinterpret_cast<NMTREEVIEWW*>(M.LParam);
        if (TTreeNode* Node = FItems->NodeOf(T->itemNew.hItem)) {
          if (T->action & TVE_EXPAND) Expand(Node);
          else Collapse(Node);
        }
        return;
      }
      case TVN_SELCHANGINGW: {
        auto* T = reinterpret_cast<NMTREEVIEWW*>(M.LParam);
        TTreeNode* Node = FItems->NodeOf(T->itemNew.hItem);
        M.Result = CanChange(Node) ? FALSE : TRUE;
        return;
      }
      case TVN_SELCHANGEDW: {
        auto* T = reinterpret_cast<NMTREEVIEWW*>(M.LParam);
        Change(FItems->NodeOf(T->itemNew.hItem));
        return;
      }
      case TVN_DELETEITEMW: {
        auto* T = reinterpret_cast<NMTREEVIEWW*>(M.LParam);
        if (TTreeNode* Node = FItems->NodeOf(T->itemOld.hItem)) {
          Delete(Node);
          FItems->Forget(T->itemOld.hItem);
        }
        return;
      }
      case TVN_GETDISPINFOW: {
        auto* D = reinterpret_cast<NMTVDISPINFOW*>(M.LParam);
        TTreeNode* Node = FItems->NodeOf(D->item.hItem);
        if (Node == nullptr) return;
        if (D->item.mask & TVIF_IMAGE) {
          GetImageIndex(Node);
          D->item.iImage = Node->FImageIndex;
        }
        if (D->item.mask & TVIF_SELECTEDIMAGE) {
          GetSelectedIndex(Node);
          D->item.iSelectedImage = Node->FSelectedIndex;
        }
        return;
      }
      case TVN_BEGINLABELEDITW: {
        auto* D = reinterpret_cast<NMTVDISPINFOW*>(M.LParam);
        TTreeNode* Node = FItems->NodeOf(D->item.hItem);
        M.Result = (Node == nullptr || !CanEdit(Node)) ? TRUE : FALSE;
        return;
      }
      case TVN_ENDLABELEDITW: {
        auto* D = reinterpret_cast<NMTVDISPINFOW*>(M.LParam);
        Edit(D->item);
        M.Result = FALSE;  // Edit has set the text itself
        return;
      }
      case NM_CUSTOMDRAW: {
        LRESULT R = CDRF_DODEFAULT;
        CustomDraw(*reinterpret_cast<NMTVCUSTOMDRAW*>(M.LParam), R);
        M.Result = R;
        return;
      }
      case NM_DBLCLK:
        DblClick();
        return;
      case NM_CLICK:
        Click();
        return;
    }
    return;
  }
  TWinControl::WndProc(M);
}


