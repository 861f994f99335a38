#include "ui/ellipse_button.h"

#include "classlib/win/graphics.h"

const TClassInfo* TREllipseButton::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TREllipseButton, TGraphicControl>("TREllipseButton")
          .Prop("Caption", [](const TREllipseButton& B) { return B.Caption(); }, &TREllipseButton::SetCaption)
          .Build();
  return &Info;
}

TREllipseButton::TREllipseButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  // Clicks only inside the ellipse, on release (below).
  FClickOnMouseUp = false;
  SetBounds(0, 0, 75, 25);
}

bool TREllipseButton::Inside(int X, int Y) const {
  // Within the ellipse that fills the bounds.
  const double A = Width() / 2.0, B = Height() / 2.0;
  if (A <= 0 || B <= 0) return false;
  const double DX = (X - A) / A, DY = (Y - B) / B;
  return DX * DX + DY * DY <= 1.0;
}

void TREllipseButton::Paint() {
  TCanvas* C = Canvas();
  const int W = Width() - 1, H = Height() - 1;
  const int Shift = FPressed ? 1 : 0;
  C->Pen()->SetColor(clBtnShadow);
  C->Brush()->SetColor(clBtnShadow);
  C->Ellipse(1, 1, W + 1, H + 1);
  C->Pen()->SetColor(FPressed ? clBtnShadow : clBtnHighlight);
  C->Brush()->SetColor(Enabled() ? Color() : clBtnFace);
  C->Ellipse(Shift, Shift, W - 1 + Shift, H - 1 + Shift);
  C->Font()->Assign(Font());
  if (!Enabled()) C->Font()->SetColor(clGrayText);
  C->Brush()->SetStyle(bsClear);
  const std::string Text = Caption();
  const TSize S = C->TextExtent(Text);
  C->TextOut((W - S.cx) / 2 + Shift, (H - S.cy) / 2 + Shift, Text);
}

void TREllipseButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && Enabled() && Inside(X, Y)) {
    FTracking = true;
    FPressed = true;
    Invalidate();
  }
  TGraphicControl::MouseDown(Button, Shift, X, Y);
}

void TREllipseButton::MouseMove(TShiftState Shift, int X, int Y) {
  if (FTracking && Inside(X, Y) != FPressed) {
    FPressed = !FPressed;
    Invalidate();
  }
  TGraphicControl::MouseMove(Shift, X, Y);
}

void TREllipseButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const bool Clicked = FTracking && Button == mbLeft && Inside(X, Y);
  if (Button == mbLeft) {
    FTracking = false;
    FPressed = false;
    Invalidate();
  }
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (Clicked) Click();
}

void RegisterEllipseButton() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  RegisterClasses<TREllipseButton>();
}
