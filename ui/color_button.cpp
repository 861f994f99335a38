#include "ui/color_button.h"

#include "classlib/win/graphics.h"

template <> const TTypeInfo* TypeInfoOf<TActivationEvent>() {
  static const TTypeInfo Info = EnumTypeInfo("TActivationEvent", {"aeClick", "aeMouseDown"});
  return &Info;
}

const TClassInfo* TColorButton::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TColorButton, TCustomControl>("TColorButton")
          .Prop("Color", &TColorButton::Color, &TColorButton::SetColor)
          .Prop("Options", &TColorButton::Options, &TColorButton::SetOptions)
          .Prop("CustomColors", &TColorButton::CustomColors, &TColorButton::SetCustomColors)
          .Prop("Margin", &TColorButton::Margin, &TColorButton::SetMargin)
          .Prop("ActivationEvent", &TColorButton::ActivationEvent, &TColorButton::SetActivationEvent)
          .Prop("TabStop", &TColorButton::TabStop, &TColorButton::SetTabStop)
          .Prop("OnClick", &TColorButton::OnClick)
          .Prop("OnColorChange", &TColorButton::OnColorChange)
          .Build();
  return &Info;
}

TColorButton::TColorButton(TComponent* AOwner)
    : TCustomControl(AOwner), FCustomColors(std::make_unique<TStringList>()) {
  FWidth = 44;
  FHeight = 22;
  FParentFont = true;
  FTabStop = true;
}

TColorButton::~TColorButton() = default;

void TColorButton::SetColor(TColor Value) {
  FSwatch = Value;
  Invalidate();
}

void TColorButton::SetMargin(int Value) {
  if (Value >= 0 && Value < 2) FMargin = Value;
  Invalidate();
}

void TColorButton::EnabledChanged() {
  // A press in progress ends with the button disabled.
  if (!Enabled()) {
    FTracking = false;
    FState = 0;
  }
  Invalidate();
}

void TColorButton::Resize() {
  TCustomControl::Resize();
  Invalidate();
}

void TColorButton::ShowColorDialog() {
  {
    auto D = std::make_unique<TColorDialog>(this);
    D->SetColor(FSwatch);
    D->SetOptions(FOptions);
    D->SetCustomColors(FCustomColors.get());
    if (D->Execute()) {
      FCustomColors->Assign(D->CustomColors());
      SetColor(D->Color());
      if (OnColorChange) OnColorChange(this);
    }
  }
  TCustomControl::Click();
}

void TColorButton::Click() {
  FState = 0;
  FTracking = false;
  if (HandleAllocated() && GetCapture() == FHandle) ReleaseCapture();
  Invalidate();
  // OnClick comes once, after the dialog, so that it reads the colour chosen.
  if (FActivationEvent == aeClick) ShowColorDialog();
  else TCustomControl::Click();
}

void TColorButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  if (!Focused() && CanFocus()) SetFocus();
  FState = 2;
  Invalidate();
  FTracking = true;
  // Moves outside the button still reach it while the button is held.
  if (HandleAllocated()) SetCapture(FHandle);
  if (FActivationEvent == aeMouseDown) {
    // The dialog's own OnClick is this press's click: the release clicks no more.
    ShowColorDialog();
    FMouseDown = false;
    FState = 0;
    FTracking = false;
    if (HandleAllocated() && GetCapture() == FHandle) ReleaseCapture();
    Invalidate();
  }
}

void TColorButton::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  if (!FTracking) return;
  int NewState = X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight() ? 2 : 0;
  if (NewState != FState) {
    FState = NewState;
    Invalidate();
  }
}

void TColorButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FTracking) {
    FTracking = false;
    FState = 0;
    if (HandleAllocated() && GetCapture() == FHandle) ReleaseCapture();
    Invalidate();
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TColorButton::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (!Enabled()) return;
  if (Key == VK_SPACE && FState != 2) MouseDown(mbLeft, {}, 1, 1);
  else if (Key == VK_RETURN) Click();
}

void TColorButton::KeyUp(uint16_t& Key, TShiftState Shift) {
  if (Key == VK_SPACE && Enabled() && FTracking) {
    MouseUp(mbLeft, {}, 1, 1);
    Click();
  }
  TCustomControl::KeyUp(Key, Shift);
}

void TColorButton::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_GETDLGCODE:
      // Enter presses this button rather than the form's default one.
      M.Result = M.WParam == VK_RETURN ? DLGC_WANTALLKEYS : 0;
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_SYSCOLORCHANGE:
      TCustomControl::WndProc(M);
      Invalidate();
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
      // A disabled button takes no presses (and so gives no click).
      if (!Enabled()) return;
      break;
  }
  TCustomControl::WndProc(M);
}

void TColorButton::Paint() {
  TCanvas* C = Canvas();
  int W = ClientWidth(), H = ClientHeight();
  bool Down = FState != 0;
  C->Brush()->SetColor(clBtnFace);
  C->FillRect(TRect(0, 0, W, H));
  auto Ring = [&](int I, TColor TopLeft, TColor BottomRight) {
    int L = I, T = I, R = W - 1 - I, B = H - 1 - I;
    C->Pen()->SetColor(TopLeft);
    C->Polyline({TPoint(L, B), TPoint(L, T), TPoint(R, T)});
    C->Pen()->SetColor(BottomRight);
    C->Polyline({TPoint(R, T), TPoint(R, B), TPoint(L - 1, B)});
  };
  if (Down) {
    Ring(0, clWindowFrame, clBtnHighlight);
    Ring(1, clBtnShadow, clBtnFace);
  } else {
    Ring(0, clBtnHighlight, clWindowFrame);
    Ring(1, clBtnFace, clBtnShadow);
  }
  int Shift = Down ? 1 : 0;
  if (HandleAllocated() && GetFocus() == FHandle) {
    RECT F{2 + Shift, 2 + Shift, 2 + Shift + W - 5, 2 + Shift + H - 5};
    DrawFocusRect(C->Handle(), &F);
  }
  int SW = W - 14, SH = H - 14;
  int X = W / 2 - SW / 2 - 1 - 2 * FMargin + Shift, Y = H / 2 - SH / 2 - 1 - 2 * FMargin + Shift;
  SW += 4 * FMargin;
  SH += 4 * FMargin;
  C->Pen()->SetColor(clBlack);
  C->Brush()->SetStyle(bsClear);
  C->Rectangle(X, Y, X + SW + 1, Y + SH + 1);
  C->Brush()->SetColor(Enabled() ? FSwatch : clBtnFace);
  C->FillRect(TRect(X + 1, Y + 1, X + SW, Y + SH));
}

void RegisterColorButton() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  RegisterClasses<TColorButton>();
}
