#include "classlib/win/std_ctrls.h"

#include <algorithm>

#include <commctrl.h>
#include <windowsx.h>

#include "classlib/win/forms.h"
#include "classlib/win/graphics.h"
#include "classlib/win/wide_string.h"

template <> const TTypeInfo* TypeInfoOf<TAlignment>() {
  static const TTypeInfo Info = EnumTypeInfo("TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TCheckBoxState>() {
  static const TTypeInfo Info = EnumTypeInfo("TCheckBoxState", {"cbUnchecked", "cbChecked", "cbGrayed"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TScrollStyle>() {
  static const TTypeInfo Info = EnumTypeInfo("TScrollStyle", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TComboBoxStyle>() {
  static const TTypeInfo Info = EnumTypeInfo("TComboBoxStyle", {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed"});
  return &Info;
}

namespace {

std::string CaptionOf(const TControl& C) { return C.Caption(); }

}  // namespace

// ---------------------------------------------------------------------------------------
// TLabel

const TClassInfo* TLabel::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TLabel, TGraphicControl>("TLabel")
                                     .Prop("Caption", CaptionOf, &TLabel::SetCaption)
                                     .Prop("Alignment", &TLabel::Alignment, &TLabel::SetAlignment)
                                     .Prop("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize)
                                     .Prop("Transparent", &TLabel::Transparent, &TLabel::SetTransparent)
                                     .Prop("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap)
                                     .Build();
  return &Info;
}

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FWidth = 65;
  FHeight = 13;
  FParentColor = true;
}

void TLabel::SetAlignment(TAlignment Value) {
  FAlignment = Value;
  Invalidate();
}

void TLabel::SetAutoSize(bool Value) {
  FAutoSize = Value;
  AdjustBounds();
}

void TLabel::SetTransparent(bool Value) {
  FTransparent = Value;
  Invalidate();
}

void TLabel::SetWordWrap(bool Value) {
  FWordWrap = Value;
  AdjustBounds();
  Invalidate();
}

void TLabel::TextChanged() {
  AdjustBounds();
  Invalidate();
}

void TLabel::FontChanged() {
  AdjustBounds();
  Invalidate();
}

void TLabel::AdjustBounds() {
  if (!FAutoSize || Loading()) return;
  HDC DC = GetDC(nullptr);
  HGDIOBJ Old = SelectObject(DC, FontHandle(*FFont));
  std::wstring W = ToWide(FText.empty() ? std::string(" ") : FText);
  RECT R{0, 0, FWordWrap ? FWidth : 0, 0};
  DrawTextW(DC, W.c_str(), int(W.size()), &R, DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : 0));
  SelectObject(DC, Old);
  ReleaseDC(nullptr, DC);
  int NewW = FWordWrap ? FWidth : R.right;
  int NewLeft = FLeft;
  if (FAlignment == taRightJustify) NewLeft = FLeft + FWidth - NewW;
  SetBounds(NewLeft, FTop, NewW, R.bottom);
}

void TLabel::Paint() {
  HDC DC = Canvas()->Handle();
  RECT R = Rect(0, 0, FWidth, FHeight);
  if (!FTransparent) FillRect(DC, &R, ColorBrush());
  std::wstring W = ToWide(FText);
  SetBkMode(DC, TRANSPARENT);
  HGDIOBJ Old = SelectObject(DC, FontHandle(*FFont));
  UINT Format = DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : DT_SINGLELINE) |
                (FAlignment == taCenter ? DT_CENTER : FAlignment == taRightJustify ? DT_RIGHT : DT_LEFT);
  if (!Enabled()) {
    SetTextColor(DC, GetSysColor(COLOR_GRAYTEXT));
  } else {
    SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(FFont->Color())) & 0xFFFFFF);
  }
  DrawTextW(DC, W.c_str(), int(W.size()), &R, Format);
  SelectObject(DC, Old);
}

// ---------------------------------------------------------------------------------------
// Buttons

const TClassInfo* TButtonControl::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TButtonControl, TWinControl>("TButtonControl")
                                     .Prop("Caption", CaptionOf, &TButtonControl::SetCaption)
                                     .Build();
  return &Info;
}

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) { FTabStop = true; }

const TClassInfo* TButton::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TButton, TButtonControl>("TButton")
                                     .Prop("Default", &TButton::Default, &TButton::SetDefault)
                                     .Prop("Cancel", &TButton::Cancel, &TButton::SetCancel)
                                     .Prop("ModalResult", &TButton::ModalResult, &TButton::SetModalResult)
                                     .Build();
  return &Info;
}

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
  FWidth = 75;
  FHeight = 25;
}

void TButton::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  P.SysClass = L"BUTTON";
  P.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool Value) {
  FDefault = Value;
  if (HandleAllocated()) SendMessageW(FHandle, BM_SETSTYLE, Value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
  if (FModalResult != 0)
    if (TCustomForm* F = GetParentForm(this)) F->SetModalResult(FModalResult);
  TButtonControl::Click();
}

void TButton::WndProc(TMessage& M) {
  switch (M.Msg) {
    case CN_COMMAND:
      if (HIWORD(M.WParam) == BN_CLICKED) Click();
      return;
    case CM_DIALOGKEY:
      if ((M.WParam == VK_RETURN && FDefault) || (M.WParam == VK_ESCAPE && FCancel)) {
        if (Showing() && Enabled()) {
          Click();
          M.Result = 1;
        }
      }
      return;
  }
  TButtonControl::WndProc(M);
}

const TClassInfo* TCheckBox::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TCheckBox, TButtonControl>("TCheckBox")
                                     .Prop("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked)
                                     .Prop("State", &TCheckBox::State, &TCheckBox::SetState)
                                     .Prop("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed)
                                     .Build();
  return &Info;
}

TCheckBox::TCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
  FWidth = 97;
  FHeight = 17;
}

void TCheckBox::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  P.SysClass = L"BUTTON";
  P.Style |= FAllowGrayed ? BS_3STATE : BS_CHECKBOX;
}

void TCheckBox::InitWnd() { SendMessageW(FHandle, BM_SETCHECK, FState, 0); }

TCheckBoxState TCheckBox::State() const {
  if (FHandle != nullptr) return TCheckBoxState(SendMessageW(FHandle, BM_GETCHECK, 0, 0));
  return FState;
}

void TCheckBox::SetState(TCheckBoxState Value) {
  if (Value == State()) return;
  FState = Value;
  if (FHandle != nullptr) SendMessageW(FHandle, BM_SETCHECK, Value, 0);
  if (!Loading()) Click();
}

void TCheckBox::WndProc(TMessage& M) {
  if (M.Msg == CN_COMMAND) {
    if (HIWORD(M.WParam) == BN_CLICKED) {
      // Our own toggling: unchecked, checked, then grayed when allowed.
      TCheckBoxState S = State();
      SetState(S == cbUnchecked ? cbChecked : (S == cbChecked && FAllowGrayed) ? cbGrayed : cbUnchecked);
    }
    return;
  }
  TButtonControl::WndProc(M);
}

const TClassInfo* TRadioButton::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TRadioButton, TButtonControl>("TRadioButton")
                                     .Prop("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked)
                                     .Build();
  return &Info;
}

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
  FWidth = 113;
  FHeight = 17;
}

void TRadioButton::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  P.SysClass = L"BUTTON";
  P.Style |= BS_RADIOBUTTON;
}

void TRadioButton::InitWnd() { SendMessageW(FHandle, BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0); }

void TRadioButton::SetChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  if (FHandle != nullptr) SendMessageW(FHandle, BM_SETCHECK, Value ? BST_CHECKED : BST_UNCHECKED, 0);
  if (Value && FParent != nullptr)
    for (int I = 0; I < FParent->ControlCount(); ++I)
      if (auto* R = dynamic_cast<TRadioButton*>(FParent->Controls(I)); R != nullptr && R != this)
        R->SetChecked(false);
  if (Value && !Loading()) Click();
}

void TRadioButton::WndProc(TMessage& M) {
  if (M.Msg == CN_COMMAND) {
    if (HIWORD(M.WParam) == BN_CLICKED) SetChecked(true);
    return;
  }
  TButtonControl::WndProc(M);
}

// ---------------------------------------------------------------------------------------
// TGroupBox

const TClassInfo* TGroupBox::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TGroupBox, TCustomControl>("TGroupBox").Prop("Caption", CaptionOf, &TGroupBox::SetCaption).Build();
  return &Info;
}

TGroupBox::TGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  FWidth = 185;
  FHeight = 105;
}

void TGroupBox::CreateParams(TCreateParams& P) {
  TCustomControl::CreateParams(P);
  P.ClassStyle |= CS_HREDRAW | CS_VREDRAW;  // the frame follows the size
  P.ExStyle |= WS_EX_CONTROLPARENT;
}

void TGroupBox::Paint() {
  HDC DC = Canvas()->Handle();
  RECT R = {0, 0, FWidth, FHeight};
  FillRect(DC, &R, ColorBrush());
  HGDIOBJ Old = SelectObject(DC, FontHandle(*FFont));
  TEXTMETRICW M{};
  GetTextMetricsW(DC, &M);
  // The frame runs through the middle of the caption's line.
  RECT Frame = {0, int(M.tmHeight) / 2, FWidth, FHeight};
  DrawEdge(DC, &Frame, EDGE_ETCHED, BF_RECT);
  if (!FText.empty()) {
    std::wstring W = ToWide(FText);
    RECT T = {8, 0, FWidth - 8, int(M.tmHeight)};
    DrawTextW(DC, W.c_str(), int(W.size()), &T, DT_SINGLELINE | DT_CALCRECT);
    T.right = std::min<LONG>(T.right, FWidth - 8);
    // A gap in the frame's top line behind the caption.
    RECT Gap = {6, 0, std::min<LONG>(T.right + 2, FWidth), int(M.tmHeight)};
    FillRect(DC, &Gap, ColorBrush());
    SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(FEnabled ? FFont->Color() : clGrayText)) & 0xFFFFFF);
    DrawTextW(DC, W.c_str(), int(W.size()), &T, DT_SINGLELINE | DT_END_ELLIPSIS);
  }
  SelectObject(DC, Old);
}

void TGroupBox::AdjustClientRect(TRect& R) {
  R.Top += 15;
  R.Left += 2;
  R.Right -= 2;
  R.Bottom -= 2;
}

// ---------------------------------------------------------------------------------------
// Edits

const TClassInfo* TCustomEdit::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TCustomEdit, TWinControl>("TCustomEdit")
                                     .Prop("Text", [](const TCustomEdit& E) { return E.Text(); }, &TCustomEdit::SetText)
                                     .Prop("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly)
                                     .Prop("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength)
                                     .Prop("PasswordChar", &TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar)
                                     .Prop("OnChange", &TCustomEdit::OnChange)
                                     .Build();
  return &Info;
}

const TClassInfo* TEdit::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TEdit, TCustomEdit>("TEdit").Build();
  return &Info;
}

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 121;
  FHeight = 21;
  FTabStop = true;
  FColor = clWindow;
}

void TCustomEdit::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  P.SysClass = L"EDIT";
  P.Style |= ES_AUTOHSCROLL | (FReadOnly ? ES_READONLY : 0);
  P.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::InitWnd() {
  if (FMaxLength > 0) SendMessageW(FHandle, EM_LIMITTEXT, FMaxLength, 0);
  if (FPasswordChar != 0) SetPasswordChar(FPasswordChar);
}

void TCustomEdit::SetPasswordChar(char Value) {
  FPasswordChar = Value;
  if (FHandle == nullptr) return;
  SendMessageW(FHandle, EM_SETPASSWORDCHAR, Value == 0 ? 0 : Cp1251ToUnicode(static_cast<unsigned char>(Value)), 0);
  InvalidateRect(FHandle, nullptr, TRUE);
}

void TCustomEdit::SetReadOnly(bool Value) {
  FReadOnly = Value;
  if (FHandle != nullptr) SendMessageW(FHandle, EM_SETREADONLY, Value, 0);
}

void TCustomEdit::SetMaxLength(int Value) {
  FMaxLength = Value;
  if (FHandle != nullptr) SendMessageW(FHandle, EM_LIMITTEXT, Value, 0);
}

bool TCustomEdit::Modified() const { return FHandle != nullptr && SendMessageW(FHandle, EM_GETMODIFY, 0, 0) != 0; }

void TCustomEdit::SetModified(bool Value) {
  if (FHandle != nullptr) SendMessageW(FHandle, EM_SETMODIFY, Value, 0);
}

void TCustomEdit::SelectAll() {
  if (FHandle != nullptr) SendMessageW(FHandle, EM_SETSEL, 0, -1);
}

int TCustomEdit::SelStart() const {
  DWORD S = 0;
  if (FHandle != nullptr) SendMessageW(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&S), 0);
  return int(S);
}

void TCustomEdit::SetSelStart(int Value) {
  if (FHandle != nullptr) SendMessageW(FHandle, EM_SETSEL, Value, Value);
}

int TCustomEdit::SelLength() const {
  DWORD S = 0, E = 0;
  if (FHandle != nullptr) SendMessageW(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&S), reinterpret_cast<LPARAM>(&E));
  return int(E - S);
}

void TCustomEdit::SetSelLength(int Value) {
  if (FHandle != nullptr) SendMessageW(FHandle, EM_SETSEL, SelStart(), SelStart() + Value);
}

std::string TCustomEdit::SelText() const {
  std::wstring W = ToWide(Text());
  int S = SelStart(), L = SelLength();
  if (S < 0 || S > int(W.size())) return {};
  return FromWide(W.substr(S, L));
}

void TCustomEdit::SetSelText(const std::string& Value) {
  if (FHandle != nullptr) SendMessageW(FHandle, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(ToWide(Value).c_str()));
}

// With a window the edit control reports the change (EN_CHANGE); a field filled before its
// window exists (a form not shown yet) tells its handler here.
void TCustomEdit::TextChanged() {
  TWinControl::TextChanged();
  if (FHandle == nullptr && !Loading()) Change();
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::WndProc(TMessage& M) {
  if (M.Msg == CN_COMMAND) {
    if (HIWORD(M.WParam) == EN_CHANGE && !Loading()) Change();
    return;
  }
  TWinControl::WndProc(M);
}

// The memo's lines: a string list that writes itself into the control on each change and
// reads the control's text back when asked.
class TMemo::TMemoStrings : public TStringList {
public:
  explicit TMemoStrings(TMemo* Memo) : FMemo(Memo) {}
  void Pull() {
    if (!FMemo->HandleAllocated()) return;
    FPulling = true;
    SetText(FMemo->Text());
    FPulling = false;
  }

protected:
  void Changed() override {
    TStringList::Changed();
    if (FPulling || UpdateCount() > 0) return;
    std::string T = Text();
    if (T.size() >= 2 && T.compare(T.size() - 2, 2, "\r\n") == 0) T.resize(T.size() - 2);
    FMemo->TControl::SetText(T);
  }

private:
  TMemo* FMemo;
  bool FPulling = false;
};

const TClassInfo* TMemo::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TMemo, TCustomEdit>("TMemo")
                                     .Prop("Lines", &TMemo::Lines, nullptr)
                                     .Prop("ScrollBars", &TMemo::ScrollBars, &TMemo::SetScrollBars)
                                     .Prop("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap)
                                     .Build();
  return &Info;
}

TMemo::TMemo(TComponent* AOwner) : TCustomEdit(AOwner), FLines(std::make_unique<TMemoStrings>(this)) {
  FWidth = 185;
  FHeight = 89;
}

TMemo::~TMemo() = default;

TStrings* TMemo::Lines() const {
  FLines->Pull();
  return FLines.get();
}

void TMemo::CreateParams(TCreateParams& P) {
  TCustomEdit::CreateParams(P);
  P.Style &= ~ES_AUTOHSCROLL;
  P.Style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
  if (!FWordWrap) P.Style |= ES_AUTOHSCROLL;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) P.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) P.Style |= WS_HSCROLL;
}

void TMemo::SetScrollBars(TScrollStyle Value) {
  FScrollBars = Value;
  RecreateWnd();
}

void TMemo::SetWordWrap(bool Value) {
  FWordWrap = Value;
  RecreateWnd();
}

// ---------------------------------------------------------------------------------------
// TComboBox

class TComboBox::TComboStrings : public TStringList {
public:
  explicit TComboStrings(TComboBox* Combo) : FCombo(Combo) {}
  void Push() {
    HWND W = FCombo->FHandle;
    if (W == nullptr) return;
    SendMessageW(W, CB_RESETCONTENT, 0, 0);
    // An owner-drawn box without strings keeps the entry's object as its item data.
    LONG Style = GetWindowLongW(W, GWL_STYLE);
    bool Strings_ = !(Style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) || (Style & CBS_HASSTRINGS);
    for (int I = 0; I < Count(); ++I) {
      if (Strings_) SendMessageW(W, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(Strings(I)).c_str()));
      else SendMessageW(W, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Objects(I)));
    }
  }
  void Delete(int Index) override {
    if (Index >= 0 && Index < Count()) FCombo->ItemDeleting(Index);
    TStringList::Delete(Index);
  }
  void Clear() override {
    for (int I = 0; I < Count(); ++I) FCombo->ItemDeleting(I);
    TStringList::Clear();
  }

protected:
  void Changed() override {
    TStringList::Changed();
    if (UpdateCount() == 0) {
      std::string Keep = FCombo->Text();
      Push();
      if (FCombo->FStyle != csDropDownList && FCombo->FStyle != csOwnerDrawFixed) FCombo->TControl::SetText(Keep);
    }
  }

private:
  TComboBox* FCombo;
};

const TClassInfo* TComboBox::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TComboBox, TWinControl>("TComboBox")
                                     .Prop("Text", [](const TComboBox& C) { return C.Text(); }, &TComboBox::SetText)
                                     .Prop("Items", &TComboBox::Items, nullptr)
                                     .Prop("ItemIndex", &TComboBox::ItemIndex, &TComboBox::SetItemIndex)
                                     .Prop("Style", &TComboBox::Style, &TComboBox::SetStyle)
                                     .Prop("DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount)
                                     .Prop("OnChange", &TComboBox::OnChange)
                                     .Prop("OnDropDown", &TComboBox::OnDropDown)
                                     .Build();
  return &Info;
}

TComboBox::TComboBox(TComponent* AOwner) : TWinControl(AOwner), FItems(std::make_unique<TComboStrings>(this)) {
  FWidth = 145;
  FHeight = 21;
  FTabStop = true;
  FColor = clWindow;
}

TComboBox::~TComboBox() = default;

TStrings* TComboBox::Items() const { return FItems.get(); }

void TComboBox::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  P.SysClass = L"COMBOBOX";
  P.Style |= WS_VSCROLL | CBS_AUTOHSCROLL |
             (FStyle == csDropDownList     ? CBS_DROPDOWNLIST
              : FStyle == csOwnerDrawFixed ? CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS
              : FStyle == csSimple         ? CBS_SIMPLE
                                           : CBS_DROPDOWN);
  // The drop-down list is part of the window's height.
  P.Height = FHeight + 18 * FDropDownCount;
}

void TComboBox::InitWnd() {
  FItems->Push();
  if (FItemIndex >= 0) SendMessageW(FHandle, CB_SETCURSEL, FItemIndex, 0);
  else if (FStyle != csDropDownList && FStyle != csOwnerDrawFixed) SetWindowTextW(FHandle, ToWide(FText).c_str());
  // The edit inside takes the keys: its key messages go through the combo's handlers.
  FEdit = FStyle == csDropDownList || FStyle == csOwnerDrawFixed ? nullptr : GetWindow(FHandle, GW_CHILD);
  if (FEdit != nullptr) {
    SetPropW(FEdit, L"ZxCombo", this);
    FEditProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(FEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditProc)));
  }
  // The closed combo box's height is the system's: take it.
  RECT R;
  GetWindowRect(FHandle, &R);
  FHeight = R.bottom - R.top;
}

void TComboBox::DestroyWnd() {
  FItemIndex = ItemIndex();
  if (FEdit != nullptr && IsWindow(FEdit)) {
    SetWindowLongPtrW(FEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FEditProc));
    RemovePropW(FEdit, L"ZxCombo");
  }
  FEdit = nullptr;
  TWinControl::DestroyWnd();
}

LRESULT CALLBACK TComboBox::EditProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* C = static_cast<TComboBox*>(GetPropW(Wnd, L"ZxCombo"));
  if (C == nullptr) return DefWindowProcW(Wnd, Msg, WParam, LParam);
  WNDPROC Old = C->FEditProc;
  TMessage M{Msg, WParam, LParam, 0};
  try {
    switch (Msg) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        if (C->DoKeyDown(M)) return 0;
        break;
      case WM_KEYUP:
      case WM_SYSKEYUP:
        if (C->DoKeyUp(M)) return 0;
        break;
      case WM_CHAR:
        if (C->DoKeyPress(M)) return 0;
        break;
      case WM_NCDESTROY:
        SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Old));
        RemovePropW(Wnd, L"ZxCombo");
        C->FEdit = nullptr;
        break;
    }
  } catch (...) {
    if (ControlExceptionHandler != nullptr) ControlExceptionHandler(C);
    return 0;
  }
  return CallWindowProcW(Old, Wnd, Msg, M.WParam, M.LParam);
}

int TComboBox::ItemIndex() const {
  if (FHandle != nullptr) return int(SendMessageW(FHandle, CB_GETCURSEL, 0, 0));
  return FItemIndex;
}

void TComboBox::SetItemIndex(int Value) {
  FItemIndex = Value;
  if (FHandle != nullptr) SendMessageW(FHandle, CB_SETCURSEL, Value, 0);
  else if (Value >= 0 && Value < FItems->Count()) FText = FItems->Strings(Value);
}

void TComboBox::SetStyle(TComboBoxStyle Value) {
  FStyle = Value;
  RecreateWnd();
}

bool TComboBox::DroppedDown() const {
  return FHandle != nullptr && SendMessageW(FHandle, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TComboBox::SetDroppedDown(bool Value) {
  if (FHandle != nullptr) SendMessageW(FHandle, CB_SHOWDROPDOWN, Value, 0);
}

void TComboBox::SetItemHeight(int Value) {
  if (Value < 1 || Value == FItemHeight) return;
  FItemHeight = Value;
  if (FHandle != nullptr && (GetWindowLongW(FHandle, GWL_STYLE) & CBS_OWNERDRAWFIXED)) {
    SendMessageW(FHandle, CB_SETITEMHEIGHT, WPARAM(-1), Value);
    SendMessageW(FHandle, CB_SETITEMHEIGHT, 0, Value);
    RECT R;
    GetWindowRect(FHandle, &R);
    FHeight = R.bottom - R.top;
    InvalidateRect(FHandle, nullptr, TRUE);
  }
}

TCanvas* TComboBox::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TCanvas>();
  return FCanvas.get();
}

void TComboBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  TCanvas* C = Canvas();
  C->FillRect(Rect);
  if (Index >= 0 && Index < FItems->Count()) C->TextRect(Rect, Rect.Left + 2, Rect.Top, FItems->Strings(Index));
}

void TComboBox::WndProc(TMessage& M) {
  // Only an owner-drawn window asks: csOwnerDrawFixed, or a subclass that adds
  // CBS_OWNERDRAWFIXED to another style.
  if (M.Msg == CN_MEASUREITEM) {
    reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam)->itemHeight = FItemHeight;
    M.Result = TRUE;
    return;
  }
  if (M.Msg == CN_DRAWITEM) {
    auto* D = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam);
    TCanvas* C = Canvas();
    C->SetHandle(D->hDC);
    C->SetFont(FFont.get());
    C->Brush()->SetColor(FColor);
    int Index = int(D->itemID);
    TRect R(D->rcItem);
    if ((D->itemState & ODS_SELECTED) && Index >= 0) {
      C->Brush()->SetColor(clHighlight);
      C->Font()->SetColor(clHighlightText);
    }
    if (Index < FItems->Count()) DrawItem(Index, R, D->itemState);
    else C->FillRect(R);
    // The device context belongs to the box: let go of it and of what was selected into it.
    C->SetHandle(nullptr);
    M.Result = TRUE;
    return;
  }
  if (M.Msg == CN_COMMAND) {
    switch (HIWORD(M.WParam)) {
      case CBN_EDITCHANGE:
      case CBN_SELCHANGE:
        if (OnChange) OnChange(this);
        break;
      case CBN_DROPDOWN:
        if (OnDropDown) OnDropDown(this);
        break;
    }
    return;
  }
  TWinControl::WndProc(M);
}

// ---------------------------------------------------------------------------------------
// TListBox

class TListBox::TListBoxStrings : public TStringList {
public:
  explicit TListBoxStrings(TListBox* Box) : FBox(Box) {}
  void Push() {
    HWND W = FBox->FHandle;
    if (W == nullptr) return;
    SendMessageW(W, WM_SETREDRAW, FALSE, 0);
    SendMessageW(W, LB_RESETCONTENT, 0, 0);
    for (int I = 0; I < Count(); ++I) SendMessageW(W, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(Strings(I)).c_str()));
    SendMessageW(W, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(W, nullptr, TRUE);
  }

protected:
  void Changed() override {
    TStringList::Changed();
    if (UpdateCount() == 0) {
      Push();
      FBox->ItemsChanged();
    }
  }

private:
  TListBox* FBox;
};

const TClassInfo* TListBox::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TListBox, TWinControl>("TListBox")
                                     .Prop("Items", &TListBox::Items, nullptr)
                                     .Prop("ItemIndex", &TListBox::ItemIndex, &TListBox::SetItemIndex)
                                     .Prop("MultiSelect", &TListBox::MultiSelect, &TListBox::SetMultiSelect)
                                     .Prop("Sorted", &TListBox::Sorted, &TListBox::SetSorted)
                                     .Build();
  return &Info;
}

TListBox::TListBox(TComponent* AOwner) : TWinControl(AOwner), FItems(std::make_unique<TListBoxStrings>(this)) {
  FWidth = 121;
  FHeight = 97;
  FTabStop = true;
  FColor = clWindow;
}

TListBox::~TListBox() = default;

TStrings* TListBox::Items() const { return FItems.get(); }

void TListBox::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  P.SysClass = L"LISTBOX";
  P.Style |= WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | (FMultiSelect ? LBS_EXTENDEDSEL : 0);
  P.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListBox::InitWnd() {
  FItems->Push();
  if (FItemIndex >= 0) SetItemIndex(FItemIndex);
}

void TListBox::DestroyWnd() {
  FItemIndex = ItemIndex();
  TWinControl::DestroyWnd();
}

int TListBox::ItemIndex() const {
  if (FHandle == nullptr) return FItemIndex;
  return int(SendMessageW(FHandle, FMultiSelect ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0));
}

void TListBox::SetItemIndex(int Value) {
  FItemIndex = Value;
  if (FHandle == nullptr) return;
  if (FMultiSelect)
    SendMessageW(FHandle, LB_SETCARETINDEX, Value, FALSE);
  else
    SendMessageW(FHandle, LB_SETCURSEL, Value, 0);
}

void TListBox::SetMultiSelect(bool Value) {
  FMultiSelect = Value;
  RecreateWnd();
}

bool TListBox::Selected(int Index) const {
  if (FHandle == nullptr) return Index == FItemIndex;
  return SendMessageW(FHandle, LB_GETSEL, Index, 0) > 0;
}

void TListBox::SetSelected(int Index, bool Value) {
  if (FHandle == nullptr) return;
  if (FMultiSelect)
    SendMessageW(FHandle, LB_SETSEL, Value, Index);
  else
    SendMessageW(FHandle, LB_SETCURSEL, Value ? Index : -1, 0);
}

void TListBox::SetSorted(bool Value) {
  FSorted = Value;
  FItems->SetSorted(Value);
}

void TListBox::WndProc(TMessage& M) {
  if (M.Msg == CN_COMMAND) {
    if (HIWORD(M.WParam) == LBN_SELCHANGE) Click();
    if (HIWORD(M.WParam) == LBN_DBLCLK) DblClick();
    return;
  }
  TWinControl::WndProc(M);
}
