#include "shell/pt_image_combo.h"

#include <commctrl.h>

#include <memory>

#include "classlib/win/forms.h"
#include "classlib/win/graphics.h"

// ---------------------------------------------------------------------------------------
// TPTCustomCombobox

TPTCustomCombobox::TPTCustomCombobox(TComponent* AOwner) : TComboBox(AOwner) {}

void TPTCustomCombobox::DoDeleteItem(TObject* aData) {
  if (OnDeleteItemData) OnDeleteItemData(this, aData);
}

void TPTCustomCombobox::ItemDeleting(int Index) {
  TObject* Data = Items()->Objects(Index);
  // The line goes right after: it must not point at a freed entry meanwhile.
  Items()->SetObjects(Index, nullptr);
  DoDeleteItem(Data);
}

void TPTCustomCombobox::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

void TPTCustomCombobox::SelEndOk() {
  if (OnSelEndOk) OnSelEndOk(this);
}

void TPTCustomCombobox::SelEndCancel() {
  if (OnSelEndCancel) OnSelEndCancel(this);
}

void TPTCustomCombobox::WndProc(TMessage& M) {
  if (M.Msg == CN_COMMAND) {
    switch (HIWORD(M.WParam)) {
      case CBN_CLOSEUP:
        CloseUp();
        return;
      case CBN_SELENDOK:
        SelEndOk();
        return;
      case CBN_SELENDCANCEL:
        SelEndCancel();
        return;
    }
  }
  TComboBox::WndProc(M);
}

// ---------------------------------------------------------------------------------------
// TPTImageComboItem

void TPTImageComboItem::SetOverlayIndex(int Value) {
  FOverlayIndex = Value;
  if (Owner != nullptr) Owner->Invalidate();
}

// ---------------------------------------------------------------------------------------
// TPTCustomImageCombo

TPTCustomImageCombo::TPTCustomImageCombo(TComponent* AOwner) : TPTCustomCombobox(AOwner) {
  SetStyle(csOwnerDrawFixed);
  UpdateItemHeight();
}

TPTCustomImageCombo::~TPTCustomImageCombo() {
  // Every entry is freed (and reported) while this class still handles the deletions.
  Items()->Clear();
}

void TPTCustomImageCombo::CreateParams(TCreateParams& Params) {
  TPTCustomCombobox::CreateParams(Params);
  // The entries keep their TPTImageComboItem as item data, not a string.
  Params.Style &= ~DWORD(CBS_HASSTRINGS);
}

void TPTCustomImageCombo::InitWnd() {
  TPTCustomCombobox::InitWnd();
  SendMessageW(FHandle, CB_SETEXTENDEDUI, 1, 0);
}

TPTImageComboItem* TPTCustomImageCombo::AddItem(const std::string& aCaption, int aImageIndex, int aIndent) {
  auto Item = std::make_unique<TPTImageComboItem>(this);
  Item->Caption = aCaption;
  Item->ImageIndex = aImageIndex;
  Item->Indent = aIndent;
  TPTImageComboItem* Result = Item.get();
  Result->Index = Items()->AddObject("", Item.release());
  return Result;
}

TPTImageComboItem* TPTCustomImageCombo::ComboItem(int Index) const {
  if (Index < 0 || Index >= Items()->Count()) return nullptr;
  return static_cast<TPTImageComboItem*>(Items()->Objects(Index));
}

void TPTCustomImageCombo::DoDeleteItem(TObject* aData) {
  TPTCustomCombobox::DoDeleteItem(aData);
  std::unique_ptr<TPTImageComboItem> Item(static_cast<TPTImageComboItem*>(aData));
  if (Item && OnDeleteItem) OnDeleteItem(this, Item.get());
}

void TPTCustomImageCombo::SetImages(TCustomImageList* Value) {
  if (Value == FImages.List()) return;
  FImages.SetList(Value);  // ImagesChanged runs
}

void TPTCustomImageCombo::ImagesChanged() {
  Invalidate();
  if (!Loading()) UpdateItemHeight();
}

void TPTCustomImageCombo::Notification(TComponent* AComponent, TOperation Operation) {
  TPTCustomCombobox::Notification(AComponent, Operation);
  if (Operation == opRemove) FImages.Removed(AComponent);
}

void TPTCustomImageCombo::SetIndentPixels(int Value) {
  if (Value == FIndentPixels) return;
  FIndentPixels = Value;
  Invalidate();
}

void TPTCustomImageCombo::SetAutoItemHeight(bool Value) {
  FAutoItemHeight = Value;
  UpdateItemHeight();
}

void TPTCustomImageCombo::FontChanged() {
  TPTCustomCombobox::FontChanged();
  UpdateItemHeight();
}

void TPTCustomImageCombo::UpdateItemHeight() {
  if (!FAutoItemHeight) return;
  HDC DC = GetDC(nullptr);
  HGDIOBJ Old = SelectObject(DC, FontHandle(*Font()));
  TEXTMETRICW TM{};
  GetTextMetricsW(DC, &TM);
  SelectObject(DC, Old);
  ReleaseDC(nullptr, DC);
  int H = (TM.tmHeight < 0 ? -TM.tmHeight : TM.tmHeight) + 2;
  if (Images() != nullptr && Images()->Height() > H) H = Images()->Height();
  SetItemHeight(H);
}

void TPTCustomImageCombo::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  if (OnDrawItem) {
    TPTCustomCombobox::DrawItem(Index, Rect, State);
    return;
  }
  TCanvas* C = Canvas();
  TPTImageComboItem* Item = ComboItem(Index);
  bool Sel = (State & ODS_SELECTED) != 0;
  // The indentation shows the hierarchy in the drop-down list only, not in the edit part.
  int Indent = Item != nullptr ? Item->Indent : 0;
  if ((State & ODS_COMBOBOXEDIT) || WindowFromDC(C->Handle()) == FHandle) Indent = 0;
  C->Brush()->SetColor(clWindow);
  C->FillRect(Rect);
  if (Item == nullptr) return;
  int X = Rect.Left + Indent * FIndentPixels + 2;
  TCustomImageList* List = Images();
  if (List != nullptr) {
    if (Sel) C->Brush()->SetColor(clHighlight);
    if (Item->ImageIndex >= 0 && List->Handle() != nullptr) {
      int Y = Rect.Top + (Rect.Height() - List->Height()) / 2;
      // Drawn with explicit colours: the list may be the shared system list, whose own
      // background colour and style other controls rely on.
      UINT Style = Sel ? ILD_SELECTED : ILD_NORMAL;
      if (Item->OverlayIndex() >= 0 && Item->OverlayIndex() <= 14) Style |= INDEXTOOVERLAYMASK(Item->OverlayIndex() + 1);
      COLORREF Bk = Sel ? static_cast<COLORREF>(ColorToRGB(clHighlight)) & 0xFFFFFF : ImageList_GetBkColor(List->Handle());
      ImageList_DrawEx(List->Handle(), Item->ImageIndex, C->Handle(), X, Y, 0, 0, Bk, CLR_DEFAULT, Style);
    }
  }
  if (Sel) C->Brush()->SetColor(clHighlight);
  if (!Item->Caption.empty()) {
    int L = X + (List != nullptr ? List->Width() + 4 : 4) - 1;
    TRect R(L, Rect.Top, L + C->TextWidth(Item->Caption) + 3, Rect.Bottom);
    C->TextRect(R, R.Left + 1, R.Top + 1, Item->Caption);
  }
}

void TPTCustomImageCombo::WndProc(TMessage& M) {
  if (M.Msg == WM_ERASEBKGND) {
    auto* Form = dynamic_cast<TCustomForm*>(Owner());
    COLORREF Col = static_cast<COLORREF>(ColorToRGB(Form != nullptr ? Form->Color() : clWindow)) & 0xFFFFFF;
    HBRUSH B = CreateSolidBrush(Col);
    RECT R;
    GetClientRect(FHandle, &R);
    FillRect(reinterpret_cast<HDC>(M.WParam), &R, B);
    DeleteObject(B);
    M.Result = 1;
    return;
  }
  TPTCustomCombobox::WndProc(M);
}
