#include "shell/pt_tree_list.h"

#include <windowsx.h>

#include <cstddef>

// ---------------------------------------------------------------------------------------
// TPTCustomDraw

TPTCustomDraw::TPTCustomDraw(TFont* ATemplateFont, NMCUSTOMDRAW* ANotify, LRESULT* AResultPtr)
    : TemplateFont(ATemplateFont), FNMCustomDraw(ANotify), FResultPtr(AResultPtr) {
  CreateFont();
  CreateBrush();
}

TPTCustomDraw::~TPTCustomDraw() = default;

void TPTCustomDraw::Init(NMCUSTOMDRAW* ANotify, LRESULT* AResultPtr) {
  FNMCustomDraw = ANotify;
  FResultPtr = AResultPtr;
  FFont.reset();
  FBrush.reset();
  FontChanged = false;
  BrushChanged = false;
  SkipDefault = false;
}

int TPTCustomDraw::DrawStage() const {
  switch (FNMCustomDraw->dwDrawStage) {
    case CDDS_PREPAINT: return dsPrePaint;
    case CDDS_POSTPAINT: return dsPostPaint;
    case CDDS_ITEMPREPAINT: return dsItemPrePaint;
    case CDDS_ITEMPOSTPAINT: return dsItemPostPaint;
  }
  return dsOther;
}

// Tree and list records both carry the item's text colour right after NMCUSTOMDRAW.
static_assert(offsetof(NMTVCUSTOMDRAW, clrText) == offsetof(NMLVCUSTOMDRAW, clrText));

// At an item stage the context still holds the previous item's text colour: a font that
// started from it would take a handler's colour equal to it as no change, and the item
// would be drawn in the control's default colour. The item's own colour is the start.
COLORREF TPTCustomDraw::StartTextColor() const {
  if (FNMCustomDraw == nullptr) return 0;
  if (FNMCustomDraw->dwDrawStage & CDDS_ITEM) {
    COLORREF C = reinterpret_cast<const NMTVCUSTOMDRAW*>(FNMCustomDraw)->clrText;
    return C == CLR_DEFAULT || C == CLR_NONE ? GetSysColor(COLOR_WINDOWTEXT) : C;
  }
  return FNMCustomDraw->hdc != nullptr ? GetTextColor(FNMCustomDraw->hdc) : 0;
}

void TPTCustomDraw::CreateFont() {
  FFont = std::make_unique<TFont>();
  if (TemplateFont != nullptr) FFont->Assign(TemplateFont);
  if (FNMCustomDraw != nullptr && (FNMCustomDraw->hdc != nullptr || (FNMCustomDraw->dwDrawStage & CDDS_ITEM)))
    FFont->SetColor(TColor(StartTextColor() & 0xFFFFFF));
  FFont->OnChange = [this](TObject*) { FontChanged = true; };
}

void TPTCustomDraw::CreateBrush() {
  FBrush = std::make_unique<TBrush>();
  if (FNMCustomDraw != nullptr && FNMCustomDraw->hdc != nullptr)
    FBrush->SetColor(TColor(GetBkColor(FNMCustomDraw->hdc) & 0xFFFFFF));
  FBrush->OnChange = [this](TObject*) { BrushChanged = true; };
}

TFont* TPTCustomDraw::GetFont() {
  if (!FFont) CreateFont();
  return FFont.get();
}

TBrush* TPTCustomDraw::GetBrush() {
  if (!FBrush) CreateBrush();
  return FBrush.get();
}

void TPTCustomDraw::ApplyTo(COLORREF& TextColor, COLORREF& TextBkColor) {
  LRESULT& R = *FResultPtr;
  R = CDRF_DODEFAULT;
  switch (DrawStage()) {
    case dsPrePaint:
      R = NotifyItemDraw ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
      break;
    case dsItemPrePaint:
      if (SkipDefault) {
        R = CDRF_SKIPDEFAULT;
        return;
      }
      if (FontChanged && FFont) {
        // The font's handle is shared and lives on after the wrapper, so the control may
        // keep it selected until it puts its own font back.
        HFONT F = FontHandle(*FFont);
        if (F != GetCurrentObject(FNMCustomDraw->hdc, OBJ_FONT)) {
          SelectObject(FNMCustomDraw->hdc, F);
          R |= CDRF_NEWFONT;
        }
        TextColor = static_cast<COLORREF>(ColorToRGB(FFont->Color())) & 0xFFFFFF;
      }
      if (BrushChanged && FBrush) TextBkColor = static_cast<COLORREF>(ColorToRGB(FBrush->Color())) & 0xFFFFFF;
      break;
  }
}

void TPTTvCustomDraw::Apply() {
  NMTVCUSTOMDRAW* D = TvCustomDraw();
  ApplyTo(D->clrText, D->clrTextBk);
}

void TPTLvCustomDraw::Apply() {
  NMLVCUSTOMDRAW* D = LvCustomDraw();
  ApplyTo(D->clrText, D->clrTextBk);
}

namespace {

bool IsItemPrePaint(DWORD Stage) { return (Stage & CDDS_ITEM) && (Stage & CDDS_PREPAINT); }

// Opens Menu for Control at a client point.
void PopupAt(TWinControl* Control, TPopupMenu* Menu, TPoint P) {
  Menu->SetPopupComponent(Control);
  TPoint S = Control->ClientToScreen(P);
  Menu->Popup(S.X, S.Y);
}

TPoint CursorClientPos(TWinControl* Control) {
  POINT P;
  GetCursorPos(&P);
  return Control->ScreenToClient(TPoint(P.x, P.y));
}

bool IsContextMenuKey(uint16_t Key, TShiftState Shift) {
  return (Key == VK_APPS && Shift == TShiftState()) || (Key == VK_F10 && Shift == TShiftState{ssShift});
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TPTCustomTreeView

TPTCustomTreeView::TPTCustomTreeView(TComponent* AOwner) : TCustomTreeView(AOwner) {}

TPTCustomTreeView::~TPTCustomTreeView() = default;

void TPTCustomTreeView::CreateParams(TCreateParams& Params) {
  TCustomTreeView::CreateParams(Params);
  OSVERSIONINFOW V{};
  V.dwOSVersionInfoSize = sizeof(V);
  if (GetVersionExW(&V) && V.dwPlatformId == VER_PLATFORM_WIN32_NT) Params.Style |= TVS_NOTOOLTIPS;
}

std::unique_ptr<TPTCustomDraw> TPTCustomTreeView::CreateCustomDraw(NMTVCUSTOMDRAW& Draw, LRESULT& Result) {
  auto CD = std::make_unique<TPTTvCustomDraw>(Font(), &Draw.nmcd, &Result);
  CD->NotifyItemDraw = true;
  return CD;
}

std::unique_ptr<TPTCustomDraw> TPTCustomTreeView::DoCustomDraw(NMTVCUSTOMDRAW& Draw, LRESULT& Result) {
  std::unique_ptr<TPTCustomDraw> CD;
  TTreeNode* Node = nullptr;
  bool Looked = false;
  auto Lookup = [&] {
    if (!Looked && (Draw.nmcd.dwDrawStage & CDDS_ITEM))
      Node = Items()->NodeOf(reinterpret_cast<HTREEITEM>(Draw.nmcd.dwItemSpec));
    Looked = true;
  };
  if (OnCustomDraw) {
    CD = CreateCustomDraw(Draw, Result);
    Lookup();
    OnCustomDraw(this, CD.get(), Node);
  }
  if (OnCustomDrawItem && IsItemPrePaint(Draw.nmcd.dwDrawStage)) {
    if (!CD) CD = CreateCustomDraw(Draw, Result);
    Lookup();
    OnCustomDrawItem(this, CD.get(), Node);
  }
  if (CD) CD->Apply();
  if ((Draw.nmcd.dwDrawStage & CDDS_PREPAINT) && (OnCustomDraw || OnCustomDrawItem)) Result |= CDRF_NOTIFYITEMDRAW;
  return CD;
}

void TPTCustomTreeView::CustomDraw(NMTVCUSTOMDRAW& Draw, LRESULT& Result) {
  FCustomDraw.reset();
  Result = CDRF_DODEFAULT;
  FCustomDraw = DoCustomDraw(Draw, Result);
}

void TPTCustomTreeView::Delete(TTreeNode* Node) {
  NodeDeleted(Node);
  TCustomTreeView::Delete(Node);
}

void TPTCustomTreeView::GetPopupMenu(TTreeNode* Node, TPoint& P, TPopupMenu*& Menu) {
  if (OnGetPopupMenu) OnGetPopupMenu(this, Node, P, Menu);
}

bool TPTCustomTreeView::ShowContextMenu(TTreeNode* Node, TPoint P) {
  TPopupMenu* Menu = PopupMenu();
  GetPopupMenu(Node, P, Menu);
  if (Menu != PopupMenu()) FRightClick = true;
  if (Menu == nullptr) return false;
  PopupAt(this, Menu, P);
  return true;
}

void TPTCustomTreeView::ShowContextMenuAtSelection() {
  if (TTreeNode* Node = Selected()) {
    TRect R = Node->DisplayRect(true);
    ShowContextMenu(Node, TPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2));
  } else if (PopupMenu() != nullptr) {
    PopupAt(this, PopupMenu(), TPoint(0, 0));
  }
}

void TPTCustomTreeView::KeyDown(uint16_t& Key, TShiftState Shift) {
  FRightClick = false;
  if (IsContextMenuKey(Key, Shift)) {
    FAppsKeyMenu = Key == VK_APPS;
    Key = 0;
    ShowContextMenuAtSelection();
  }
  TCustomTreeView::KeyDown(Key, Shift);
}

void TPTCustomTreeView::KeyUp(uint16_t& Key, TShiftState Shift) {
  // The menu opened on key-down: the system's own context menu of the key must not follow.
  if (Key == VK_APPS && FAppsKeyMenu) Key = 0;
  FAppsKeyMenu = false;
  TCustomTreeView::KeyUp(Key, Shift);
}

void TPTCustomTreeView::WndProc(TMessage& M) {
  switch (M.Msg) {
    case CN_NOTIFY: {
      auto* H = reinterpret_cast<NMHDR*>(M.LParam);
      if (H->code == NM_RCLICK && !Designing()) {
        TPoint P = CursorClientPos(this);
        TTreeNode* Node = GetNodeAt(P.X, P.Y);
        if (Node != nullptr && ShowContextMenu(Node, P)) {
          FRightClick = true;
          M.Result = 1;  // no WM_CONTEXTMENU from the control
          return;
        }
        M.Result = 0;
        return;
      }
      break;
    }
    case WM_RBUTTONDOWN:
      FRightClick = false;
      break;
    case WM_RBUTTONUP:
      if (FRightClick && PopupMenu() != nullptr) {
        TPopupMenu* Menu = PopupMenu();
        bool Auto = Menu->AutoPopup();
        Menu->SetAutoPopup(false);
        TCustomTreeView::WndProc(M);
        Menu->SetAutoPopup(Auto);
        FRightClick = false;
        return;
      }
      FRightClick = false;
      break;
    case WM_CONTEXTMENU: {
      if (Designing()) break;
      M.Result = 0;
      // A right click that opened a menu, or one with a selected node, opens nothing more.
      if (FRightClick || Selected() != nullptr) return;
      TPoint S(GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam));
      if (S.X == -1 && S.Y == -1) ShowContextMenuAtSelection();
      else ShowContextMenu(nullptr, ScreenToClient(S));
      return;
    }
  }
  TCustomTreeView::WndProc(M);
}

// ---------------------------------------------------------------------------------------
// TPTCustomListView

TPTCustomListView::TPTCustomListView(TComponent* AOwner) : TCustomListView(AOwner) {}

TPTCustomListView::~TPTCustomListView() = default;

std::unique_ptr<TPTCustomDraw> TPTCustomListView::CreateCustomDraw(NMLVCUSTOMDRAW& Draw, LRESULT& Result) {
  return std::make_unique<TPTLvCustomDraw>(Font(), &Draw.nmcd, &Result);
}

std::unique_ptr<TPTCustomDraw> TPTCustomListView::DoCustomDraw(NMLVCUSTOMDRAW& Draw, LRESULT& Result) {
  std::unique_ptr<TPTCustomDraw> CD;
  TListItem* Item = nullptr;
  bool Looked = false;
  auto Lookup = [&] {
    if (!Looked && (Draw.nmcd.dwDrawStage & CDDS_ITEM)) Item = ItemOfIndex(int(Draw.nmcd.dwItemSpec));
    Looked = true;
  };
  if (OnCustomDraw) {
    CD = CreateCustomDraw(Draw, Result);
    Lookup();
    OnCustomDraw(this, CD.get(), Item);
  }
  if (OnCustomDrawItem && IsItemPrePaint(Draw.nmcd.dwDrawStage)) {
    if (!CD) CD = CreateCustomDraw(Draw, Result);
    Lookup();
    OnCustomDrawItem(this, CD.get(), Item);
  }
  if (CD) CD->Apply();
  if (Draw.nmcd.dwDrawStage & CDDS_PREPAINT) Result |= CDRF_NOTIFYITEMDRAW;
  return CD;
}

void TPTCustomListView::CustomDraw(NMLVCUSTOMDRAW& Draw, LRESULT& Result) {
  FCustomDraw.reset();
  Result = CDRF_DODEFAULT;
  FCustomDraw = DoCustomDraw(Draw, Result);
}

void TPTCustomListView::GetPopupMenu(TListItem* Item, TPoint& P, TPopupMenu*& Menu) {
  if (OnGetPopupMenu) OnGetPopupMenu(this, Item, P, Menu);
}

bool TPTCustomListView::ShowContextMenu(TListItem* Item, TPoint P) {
  TPopupMenu* Menu = PopupMenu();
  GetPopupMenu(Item, P, Menu);
  if (Menu != PopupMenu()) FRightClick = true;
  if (Menu == nullptr) return false;
  PopupAt(this, Menu, P);
  return true;
}

void TPTCustomListView::ShowContextMenuAtSelection() {
  TListItem* Item = nullptr;
  if (Items()->Count() > 0) {
    Item = Selected();
    if (Item == nullptr || !Item->Focused()) Item = ItemFocused();
  }
  if (Item != nullptr) {
    TRect R = Item->DisplayRect(LVIR_LABEL);
    ShowContextMenu(Item, TPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2));
  } else if (PopupMenu() != nullptr) {
    PopupAt(this, PopupMenu(), TPoint(0, 0));
  }
}

void TPTCustomListView::KeyDown(uint16_t& Key, TShiftState Shift) {
  FRightClick = false;
  if (IsContextMenuKey(Key, Shift)) {
    FAppsKeyMenu = Key == VK_APPS;
    Key = 0;
    ShowContextMenuAtSelection();
  }
  TCustomListView::KeyDown(Key, Shift);
}

void TPTCustomListView::KeyUp(uint16_t& Key, TShiftState Shift) {
  if (Key == VK_APPS && FAppsKeyMenu) Key = 0;
  FAppsKeyMenu = false;
  TCustomListView::KeyUp(Key, Shift);
}

void TPTCustomListView::WndProc(TMessage& M) {
  switch (M.Msg) {
    case CN_NOTIFY: {
      auto* H = reinterpret_cast<NMHDR*>(M.LParam);
      switch (H->code) {
        case LVN_BEGINDRAG:
        case LVN_BEGINRDRAG:
          FDragging = true;
          break;
        case NM_RCLICK:
          if (Designing()) break;
          if (ShowContextMenu(Selected(), CursorClientPos(this))) {
            FRightClick = true;
            M.Result = 1;  // no WM_CONTEXTMENU from the control
          } else {
            M.Result = 0;
          }
          return;
      }
      break;
    }
    case WM_RBUTTONDOWN:
      FRightClick = false;
      break;
    case WM_RBUTTONUP:
      if (FRightClick && PopupMenu() != nullptr) {
        TPopupMenu* Menu = PopupMenu();
        SetPopupMenu(nullptr);
        TCustomListView::WndProc(M);
        SetPopupMenu(Menu);
        FRightClick = false;
        return;
      }
      FRightClick = false;
      break;
    case WM_CONTEXTMENU:
      // The menu of a right click is open already.
      if (FRightClick) {
        M.Result = 0;
        return;
      }
      break;
  }
  TCustomListView::WndProc(M);
}
