#include "classlib/win/list_view.h"

#include <algorithm>

#include "classlib/win/graphics.h"
#include "classlib/win/wide_string.h"

template <> const TTypeInfo* TypeInfoOf<TViewStyle>() {
  static const TTypeInfo Info = EnumTypeInfo("TViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"});
  return &Info;
}

// ---------------------------------------------------------------------------------------
// Columns

const TClassInfo* TListColumn::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TListColumn, TCollectionItem>("TListColumn")
          .Prop("Caption", [](const TListColumn& C) { return C.Caption(); }, &TListColumn::SetCaption)
          .Prop("Width", &TListColumn::Width, &TListColumn::SetWidth)
          .Prop("Alignment", &TListColumn::Alignment, &TListColumn::SetAlignment)
          .Build();
  return &Info;
}

TListColumn::TListColumn(TCollection* Collection) : TCollectionItem(Collection) {}

void TListColumn::SetCaption(const std::string& Value) {
  FCaption = Value;
  Changed(false);
}

int TListColumn::Width() const {
  auto* Cols = static_cast<TListColumns*>(Collection());
  auto* LV = Cols != nullptr ? dynamic_cast<TCustomListView*>(Cols->GetOwner()) : nullptr;
  if (LV != nullptr && LV->HandleAllocated())
    return int(SendMessageW(LV->Handle(), LVM_GETCOLUMNWIDTH, Index(), 0));
  return FWidth;
}

void TListColumn::SetWidth(int Value) {
  FWidth = Value;
  Changed(false);
}

void TListColumn::SetAlignment(TAlignment Value) {
  FAlignment = Value;
  Changed(false);
}

const TClassInfo* TListColumns::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TListColumns, TCollection>("TListColumns").Build();
  return &Info;
}

TListColumns::TListColumns(TCustomListView* Owner) : TCollection(TListColumn::StaticClassInfo(), Owner), FOwner(Owner) {}

void TListColumns::Update(TCollectionItem*) { FOwner->UpdateColumns(); }

// ---------------------------------------------------------------------------------------
// Items

TListItem::TListItem(TListItems* Owner) : FOwner(Owner) {}
TListItem::~TListItem() = default;

TCustomListView* TListItem::ListView() const { return FOwner->FOwner; }

int TListItem::Index() const { return FOwner->IndexOf(this); }

void TListItem::SetCaption(const std::string& Value) {
  FCaption = Value;
  Update();
}

void TListItem::SetImageIndex(int Value) {
  FImageIndex = Value;
  Update();
}

void TListItem::SetOverlayIndex(int Value) {
  FOverlayIndex = Value;
  TCustomListView* LV = ListView();
  if (LV->HandleAllocated()) {
    LVITEMW I{};
    I.stateMask = LVIS_OVERLAYMASK;
    I.state = Value >= 0 ? INDEXTOOVERLAYMASK(Value + 1) : 0;
    SendMessageW(LV->Handle(), LVM_SETITEMSTATE, Index(), reinterpret_cast<LPARAM>(&I));
  }
}

bool TListItem::State(UINT Mask) const {
  TCustomListView* LV = ListView();
  if (!LV->HandleAllocated()) return (FStates & Mask) != 0;
  return (SendMessageW(LV->Handle(), LVM_GETITEMSTATE, Index(), Mask) & Mask) != 0;
}

void TListItem::SetState(UINT Mask, bool On) {
  FStates = On ? (FStates | Mask) : (FStates & ~Mask);
  TCustomListView* LV = ListView();
  if (!LV->HandleAllocated()) return;
  LVITEMW I{};
  I.stateMask = Mask;
  I.state = On ? Mask : 0;
  SendMessageW(LV->Handle(), LVM_SETITEMSTATE, Index(), reinterpret_cast<LPARAM>(&I));
}

bool TListItem::Selected() const { return State(LVIS_SELECTED); }
void TListItem::SetSelected(bool Value) { SetState(LVIS_SELECTED, Value); }
bool TListItem::Focused() const { return State(LVIS_FOCUSED); }
void TListItem::SetFocused(bool Value) { SetState(LVIS_FOCUSED, Value); }
bool TListItem::Cut() const { return State(LVIS_CUT); }
void TListItem::SetCut(bool Value) { SetState(LVIS_CUT, Value); }
bool TListItem::DropTarget() const { return State(LVIS_DROPHILITED); }
void TListItem::SetDropTarget(bool Value) { SetState(LVIS_DROPHILITED, Value); }

TRect TListItem::DisplayRect(int Code) const {
  RECT R{Code, 0, 0, 0};
  TCustomListView* LV = ListView();
  if (!LV->HandleAllocated()) return TRect();
  SendMessageW(LV->Handle(), LVM_GETITEMRECT, Index(), reinterpret_cast<LPARAM>(&R));
  return TRect(R);
}

bool TListItem::EditCaption() {
  TCustomListView* LV = ListView();
  LV->SetFocus();
  return SendMessageW(LV->Handle(), LVM_EDITLABELW, Index(), 0) != 0;
}

void TListItem::MakeVisible() {
  TCustomListView* LV = ListView();
  if (LV->HandleAllocated()) SendMessageW(LV->Handle(), LVM_ENSUREVISIBLE, Index(), FALSE);
}

void TListItem::Update() {
  TCustomListView* LV = ListView();
  if (LV->HandleAllocated() && FOwner->FUpdateCount == 0) {
    int I = Index();
    SendMessageW(LV->Handle(), LVM_REDRAWITEMS, I, I);
  }
}

void TListItem::Delete() { FOwner->Delete(Index()); }

TListItems::TListItems(TCustomListView* Owner) : FOwner(Owner) {}
TListItems::~TListItems() = default;

int TListItems::IndexOf(const TListItem* Item) const {
  for (int I = 0; I < Count(); ++I)
    if (FItems[I].get() == Item) return I;
  return -1;
}

TListItem* TListItems::Add() { return Insert(Count()); }

TListItem* TListItems::Insert(int Index) {
  Index = std::clamp(Index, 0, Count());
  FItems.insert(FItems.begin() + Index, std::make_unique<TListItem>(this));
  TListItem* Item = FItems[Index].get();
  FOwner->InitItem(Item);
  if (FOwner->HandleAllocated()) InsertIntoControl(Item, Index);
  FOwner->InsertItem(Item);
  return Item;
}

void TListItems::InsertIntoControl(TListItem* Item, int Index) {
  LVITEMW I{};
  I.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
  I.iItem = Index;
  I.pszText = LPSTR_TEXTCALLBACKW;
  I.iImage = I_IMAGECALLBACK;
  I.lParam = reinterpret_cast<LPARAM>(Item);
  I.stateMask = LVIS_SELECTED | LVIS_FOCUSED | LVIS_CUT | LVIS_DROPHILITED | LVIS_OVERLAYMASK;
  I.state = Item->FStates | (Item->FOverlayIndex >= 0 ? INDEXTOOVERLAYMASK(Item->FOverlayIndex + 1) : 0);
  if (SendMessageW(FOwner->Handle(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&I)) < 0)
    throw EOutOfResources("The list view cannot take another item");
}

void TListItems::Delete(int Index) {
  TListItem* Item = FItems.at(Index).get();
  FOwner->Delete(Item);
  if (FOwner->HandleAllocated()) SendMessageW(FOwner->Handle(), LVM_DELETEITEM, Index, 0);
  FItems.erase(FItems.begin() + Index);
}

void TListItems::Clear() {
  BeginUpdate();
  FClearing = true;
  for (auto& Item : FItems) FOwner->Delete(Item.get());
  if (FOwner->HandleAllocated()) SendMessageW(FOwner->Handle(), LVM_DELETEALLITEMS, 0, 0);
  FItems.clear();
  FClearing = false;
  EndUpdate();
}

void TListItems::BeginUpdate() {
  if (FUpdateCount++ == 0 && FOwner->HandleAllocated()) SendMessageW(FOwner->Handle(), WM_SETREDRAW, FALSE, 0);
}

void TListItems::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0 && FOwner->HandleAllocated()) {
    SendMessageW(FOwner->Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(FOwner->Handle(), nullptr, TRUE);
  }
}

// ---------------------------------------------------------------------------------------
// TCustomListView

const TClassInfo* TCustomListView::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TCustomListView, TWinControl>("TCustomListView")
          .Prop("Columns", [](const TCustomListView& L) { return L.Columns(); }, nullptr)
          .Prop("ViewStyle", &TCustomListView::ViewStyle, &TCustomListView::SetViewStyle)
          .Prop("MultiSelect", &TCustomListView::MultiSelect, &TCustomListView::SetMultiSelect)
          .Prop("ReadOnly", &TCustomListView::ReadOnly, &TCustomListView::SetReadOnly)
          .Prop("RowSelect", &TCustomListView::RowSelect, &TCustomListView::SetRowSelect)
          .Prop("GridLines", &TCustomListView::GridLines, &TCustomListView::SetGridLines)
          .Prop("HideSelection", &TCustomListView::HideSelection, &TCustomListView::SetHideSelection)
          .Prop("ColumnClick", &TCustomListView::ColumnClick, &TCustomListView::SetColumnClick)
          .Prop("ShowColumnHeaders", &TCustomListView::ShowColumnHeaders, &TCustomListView::SetShowColumnHeaders)
          .Prop("AllocBy", &TCustomListView::AllocBy, &TCustomListView::SetAllocBy)
          .Prop("SmallImages", &TCustomListView::SmallImages, &TCustomListView::SetSmallImages)
          .Prop("LargeImages", &TCustomListView::LargeImages, &TCustomListView::SetLargeImages)
          .Prop("StateImages", &TCustomListView::StateImages, &TCustomListView::SetStateImages)
          .Prop("OnEditing", &TCustomListView::OnEditing)
          .Prop("OnEdited", &TCustomListView::OnEdited)
          .Prop("OnDeletion", &TCustomListView::OnDeletion)
          .Prop("OnInsert", &TCustomListView::OnInsert)
          .Prop("OnChange", &TCustomListView::OnChange)
          .Prop("OnColumnClick", &TCustomListView::OnColumnClick)
          .Prop("OnCompare", &TCustomListView::OnCompare)
          .Prop("OnSelectItem", &TCustomListView::OnSelectItem)
          .Build();
  return &Info;
}

const TClassInfo* TListView::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TListView, TCustomListView>("TListView").Build();
  return &Info;
}

TCustomListView::TCustomListView(TComponent* AOwner)
    : TWinControl(AOwner), FItems(std::make_unique<TListItems>(this)), FColumns(std::make_unique<TListColumns>(this)) {
  FWidth = 250;
  FHeight = 150;
  FTabStop = true;
  FColor = clWindow;
}

TCustomListView::~TCustomListView() {
  Destroying();
  FItems->Clear();
}

void TCustomListView::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  P.SysClass = WC_LISTVIEWW;
  const DWORD Styles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  P.Style |= Styles[FViewStyle] | LVS_SHAREIMAGELISTS | (FMultiSelect ? 0 : LVS_SINGLESEL) |
             (FReadOnly ? 0 : LVS_EDITLABELS) | (FHideSelection ? 0 : LVS_SHOWSELALWAYS) |
             (FColumnClick ? 0 : LVS_NOSORTHEADER) | (FShowColumnHeaders ? 0 : LVS_NOCOLUMNHEADER) |
             (FAutoArrange ? LVS_AUTOARRANGE : 0);
  P.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListView::InitWnd() {
  SetExStyles();
  ColorChanged();
  if (FSmallImages.List() != nullptr) ImageListChanged(LVSIL_SMALL, FSmallImages);
  if (FLargeImages.List() != nullptr) ImageListChanged(LVSIL_NORMAL, FLargeImages);
  if (FStateImages.List() != nullptr) ImageListChanged(LVSIL_STATE, FStateImages);
  UpdateColumns();
  if (FAllocBy > 0) SendMessageW(FHandle, LVM_SETITEMCOUNT, FAllocBy, 0);
  SendMessageW(FHandle, WM_SETREDRAW, FALSE, 0);
  for (int I = 0; I < FItems->Count(); ++I) FItems->InsertIntoControl(FItems->Item(I), I);
  SendMessageW(FHandle, WM_SETREDRAW, TRUE, 0);
}

void TCustomListView::DestroyWnd() {
  // Keep the items' states for the next window.
  for (int I = 0; I < FItems->Count(); ++I) {
    TListItem* Item = FItems->Item(I);
    Item->FStates = UINT(SendMessageW(FHandle, LVM_GETITEMSTATE, I, LVIS_SELECTED | LVIS_FOCUSED | LVIS_CUT));
  }
  for (int I = 0; I < FColumns->Count(); ++I) FColumns->Items(I)->FWidth = FColumns->Items(I)->Width();
  TWinControl::DestroyWnd();
}

void TCustomListView::SetExStyles() {
  if (FHandle == nullptr) return;
  DWORD Ex = (FRowSelect ? LVS_EX_FULLROWSELECT : 0) | (FGridLines ? LVS_EX_GRIDLINES : 0);
  SendMessageW(FHandle, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES, Ex);
}

void TCustomListView::ColorChanged() {
  TWinControl::ColorChanged();
  if (FHandle == nullptr) return;
  COLORREF C = static_cast<COLORREF>(ColorToRGB(FColor)) & 0xFFFFFF;
  SendMessageW(FHandle, LVM_SETBKCOLOR, 0, C);
  SendMessageW(FHandle, LVM_SETTEXTBKCOLOR, 0, C);
  SendMessageW(FHandle, LVM_SETTEXTCOLOR, 0, static_cast<COLORREF>(ColorToRGB(FFont->Color())) & 0xFFFFFF);
}

void TCustomListView::FontChanged() {
  TWinControl::FontChanged();
  if (FHandle != nullptr)
    SendMessageW(FHandle, LVM_SETTEXTCOLOR, 0, static_cast<COLORREF>(ColorToRGB(FFont->Color())) & 0xFFFFFF);
}

void TCustomListView::SetViewStyle(TViewStyle Value) {
  FViewStyle = Value;
  if (FHandle != nullptr) {
    const DWORD Styles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
    LONG S = GetWindowLongW(FHandle, GWL_STYLE);
    SetWindowLongW(FHandle, GWL_STYLE, (S & ~LVS_TYPEMASK) | Styles[Value]);
    // The control repaints only where items are now; what the old view drew elsewhere
    // would stay on the screen.
    InvalidateRect(FHandle, nullptr, TRUE);
  }
}

void TCustomListView::SetMultiSelect(bool Value) {
  FMultiSelect = Value;
  RecreateWnd();
}

void TCustomListView::SetAutoArrange(bool Value) {
  if (FAutoArrange == Value) return;
  FAutoArrange = Value;
  if (FHandle == nullptr) return;
  LONG_PTR S = GetWindowLongPtrW(FHandle, GWL_STYLE);
  SetWindowLongPtrW(FHandle, GWL_STYLE, Value ? S | LVS_AUTOARRANGE : S & ~LONG_PTR(LVS_AUTOARRANGE));
  if (Value) SendMessageW(FHandle, LVM_ARRANGE, LVA_DEFAULT, 0);
}

void TCustomListView::SetReadOnly(bool Value) {
  FReadOnly = Value;
  RecreateWnd();
}

void TCustomListView::SetRowSelect(bool Value) {
  FRowSelect = Value;
  SetExStyles();
}

void TCustomListView::SetGridLines(bool Value) {
  FGridLines = Value;
  SetExStyles();
}

void TCustomListView::SetHideSelection(bool Value) {
  FHideSelection = Value;
  RecreateWnd();
}

void TCustomListView::SetColumnClick(bool Value) {
  FColumnClick = Value;
  RecreateWnd();
}

void TCustomListView::SetShowColumnHeaders(bool Value) {
  FShowColumnHeaders = Value;
  RecreateWnd();
}

void TCustomListView::SetAllocBy(int Value) {
  FAllocBy = Value;
  if (FHandle != nullptr && Value > 0) SendMessageW(FHandle, LVM_SETITEMCOUNT, Value, 0);
}

void TCustomListView::ImageListChanged(int Which, const TChangeLink& Link) {
  if (FHandle == nullptr || Destroying()) return;
  SendMessageW(FHandle, LVM_SETIMAGELIST, Which, reinterpret_cast<LPARAM>(Link.Handle()));
  Invalidate();
}

void TCustomListView::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  FSmallImages.Removed(AComponent);
  FLargeImages.Removed(AComponent);
  FStateImages.Removed(AComponent);
}

void TCustomListView::UpdateColumns() {
  if (FHandle == nullptr) return;
  while (SendMessageW(FHandle, LVM_DELETECOLUMN, 0, 0)) {
  }
  for (int I = 0; I < FColumns->Count(); ++I) {
    TListColumn* C = FColumns->Items(I);
    std::wstring W = ToWide(C->FCaption);
    LVCOLUMNW Col{};
    Col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    Col.fmt = C->FAlignment == taRightJustify ? LVCFMT_RIGHT : C->FAlignment == taCenter ? LVCFMT_CENTER : LVCFMT_LEFT;
    Col.cx = C->FWidth;
    Col.pszText = W.data();
    Col.iSubItem = I;
    SendMessageW(FHandle, LVM_INSERTCOLUMNW, I, reinterpret_cast<LPARAM>(&Col));
  }
}

TListItem* TCustomListView::ItemOfIndex(int Index) const {
  return Index >= 0 && Index < FItems->Count() ? FItems->Item(Index) : nullptr;
}

TListItem* TCustomListView::GetNextItem(TListItem* Start, UINT Flags) const {
  if (FHandle == nullptr) return nullptr;
  int From = Start != nullptr ? Start->Index() : -1;
  return ItemOfIndex(int(SendMessageW(FHandle, LVM_GETNEXTITEM, From, Flags)));
}

TListItem* TCustomListView::Selected() const { return GetNextItem(nullptr, LVNI_SELECTED); }
TListItem* TCustomListView::ItemFocused() const { return GetNextItem(nullptr, LVNI_FOCUSED); }
TListItem* TCustomListView::DropTarget() const { return GetNextItem(nullptr, LVNI_DROPHILITED); }

int TCustomListView::SelCount() const {
  return FHandle != nullptr ? int(SendMessageW(FHandle, LVM_GETSELECTEDCOUNT, 0, 0)) : 0;
}

bool TCustomListView::IsEditing() const {
  return FHandle != nullptr && SendMessageW(FHandle, LVM_GETEDITCONTROL, 0, 0) != 0;
}

TListItem* TCustomListView::GetItemAt(int X, int Y) const {
  if (FHandle == nullptr) return nullptr;
  LVHITTESTINFO H{};
  H.pt = POINT{X, Y};
  int I = int(SendMessageW(FHandle, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&H)));
  return (H.flags & LVHT_ONITEM) ? ItemOfIndex(I) : nullptr;
}

namespace {

int CALLBACK CompareThunk(LPARAM A, LPARAM B, LPARAM Compare) {
  auto& F = *reinterpret_cast<const TLVCompare*>(Compare);
  return F(reinterpret_cast<TListItem*>(A), reinterpret_cast<TListItem*>(B));
}

}  // namespace

void TCustomListView::CustomSort(const TLVCompare& Compare) {
  auto& V = FItems->FItems;
  if (FHandle == nullptr) {
    std::stable_sort(V.begin(), V.end(), [&](const auto& A, const auto& B) { return Compare(A.get(), B.get()) < 0; });
    return;
  }
  SendMessageW(FHandle, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&Compare), reinterpret_cast<LPARAM>(CompareThunk));
  // Items follows the control's new order.
  std::vector<std::unique_ptr<TListItem>> Sorted;
  Sorted.reserve(V.size());
  for (auto& P : V) P.release();
  for (int I = 0; I < int(V.size()); ++I) {
    LVITEMW Item{};
    Item.mask = LVIF_PARAM;
    Item.iItem = I;
    SendMessageW(FHandle, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&Item));
    Sorted.emplace_back(reinterpret_cast<TListItem*>(Item.lParam));
  }
  V.swap(Sorted);
  for (auto& P : Sorted) P.release();  // (the same objects, now held by V)
}

void TCustomListView::AlphaSort() {
  CustomSort([this](TListItem* A, TListItem* B) {
    if (OnCompare) {
      int R = 0;
      OnCompare(this, A, B, 0, R);
      return R;
    }
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, ToWide(A->Caption()).c_str(), -1,
                          ToWide(B->Caption()).c_str(), -1) - 2;
  });
}

void TCustomListView::GetDispInfo(TListItem* Item, NMLVDISPINFOW& Info) {
  LVITEMW& I = Info.item;
  if (I.mask & LVIF_TEXT) {
    std::string Text;
    if (I.iSubItem == 0)
      Text = Item->FCaption;
    else if (I.iSubItem - 1 < Item->FSubItems.Count())
      Text = Item->FSubItems[I.iSubItem - 1];
    FDispText = ToWide(Text);
    if (I.pszText != nullptr && I.cchTextMax > 0) {
      size_t N = std::min<size_t>(FDispText.size(), size_t(I.cchTextMax - 1));
      std::copy_n(FDispText.begin(), N, I.pszText);
      I.pszText[N] = 0;
    }
  }
  if (I.mask & LVIF_IMAGE) I.iImage = Item->FImageIndex;
}

void TCustomListView::CustomDraw(NMLVCUSTOMDRAW&, LRESULT& Result) { Result = CDRF_DODEFAULT; }

void TCustomListView::InsertItem(TListItem* Item) {
  if (OnInsert) OnInsert(this, Item);
}

void TCustomListView::Delete(TListItem* Item) {
  if (OnDeletion) OnDeletion(this, Item);
}

void TCustomListView::ColClick(TListColumn* Column) {
  if (OnColumnClick) OnColumnClick(this, Column);
}

bool TCustomListView::CanEdit(TListItem* Item) {
  bool Allow = true;
  if (OnEditing) OnEditing(this, Item, Allow);
  return Allow;
}

void TCustomListView::Edit(const LVITEMW& I) {
  TListItem* Item = ItemOfParam(I.lParam);
  if (Item == nullptr) Item = ItemOfIndex(I.iItem);
  if (Item == nullptr || I.pszText == nullptr) return;
  std::string S = FromWide(I.pszText);
  if (OnEdited) OnEdited(this, Item, S);
  Item->FCaption = S;
}

void TCustomListView::WndProc(TMessage& M) {
  if (M.Msg == CN_NOTIFY) {
    auto* H = reinterpret_cast<NMHDR*>(M.LParam);
    switch (H->code) {
      case LVN_GETDISPINFOW: {
        auto* D = reinterpret_cast<NMLVDISPINFOW*>(M.LParam);
        TListItem* Item = ItemOfParam(D->item.lParam);
        if (Item == nullptr) Item = ItemOfIndex(D->item.iItem);
        if (Item != nullptr) GetDispInfo(Item, *D);
        return;
      }
      case NM_CUSTOMDRAW: {
        LRESULT R = CDRF_DODEFAULT;
        CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(M.LParam), R);
        M.Result = R;
        return;
      }
      case LVN_BEGINLABELEDITW: {
        auto* D = reinterpret_cast<NMLVDISPINFOW*>(M.LParam);
        TListItem* Item = ItemOfParam(D->item.lParam);
        if (Item == nullptr) Item = ItemOfIndex(D->item.iItem);
        M.Result = (Item == nullptr || !CanEdit(Item)) ? TRUE : FALSE;
        return;
      }
      case LVN_ENDLABELEDITW: {
        auto* D = reinterpret_cast<NMLVDISPINFOW*>(M.LParam);
        Edit(D->item);
        M.Result = D->item.pszText != nullptr ? TRUE : FALSE;
        return;
      }
      case LVN_ITEMCHANGED: {
        auto* D = reinterpret_cast<NMLISTVIEW*>(M.LParam);
        TListItem* Item = ItemOfIndex(D->iItem);
        if (Item != nullptr && (D->uChanged & LVIF_STATE)) {
          if (OnChange) OnChange(this, Item, ctState);
          if (((D->uOldState ^ D->uNewState) & LVIS_SELECTED) && OnSelectItem)
            OnSelectItem(this, Item, (D->uNewState & LVIS_SELECTED) != 0);
        }
        return;
      }
      case LVN_COLUMNCLICK: {
        auto* D = reinterpret_cast<NMLISTVIEW*>(M.LParam);
        if (D->iSubItem >= 0 && D->iSubItem < FColumns->Count()) ColClick(FColumns->Items(D->iSubItem));
        return;
      }
      case LVN_DELETEALLITEMS:
        M.Result = TRUE;  // no LVN_DELETEITEM for each: Items already told
        return;
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
