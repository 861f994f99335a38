#include "classlib/win/ext_ctrls.h"

#include <windowsx.h>

#include <algorithm>

#include "classlib/win/graphics.h"
#include "classlib/win/wide_string.h"

template <> const TTypeInfo* TypeInfoOf<TPanelBevel>() {
  static const TTypeInfo Info = EnumTypeInfo("TPanelBevel", {"bvNone", "bvLowered", "bvRaised", "bvSpace"});
  return &Info;
}

const TClassInfo* TPanel::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TPanel, TCustomControl>("TPanel")
          .Prop("Caption", [](const TPanel& P) { return P.Caption(); }, &TPanel::SetCaption)
          .Prop("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner)
          .Prop("BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter)
          .Prop("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth)
          .Prop("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth)
          .Prop("Alignment", &TPanel::Alignment, &TPanel::SetAlignment)
          .Build();
  return &Info;
}

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  FWidth = 185;
  FHeight = 41;
}

void TPanel::SetBevelInner(TPanelBevel Value) {
  FBevelInner = Value;
  Realign();
  Invalidate();
}

void TPanel::SetBevelOuter(TPanelBevel Value) {
  FBevelOuter = Value;
  Realign();
  Invalidate();
}

void TPanel::SetBevelWidth(int Value) {
  FBevelWidth = std::max(Value, 1);
  Realign();
  Invalidate();
}

void TPanel::SetBorderWidth(int Value) {
  FBorderWidth = std::max(Value, 0);
  Realign();
  Invalidate();
}

void TPanel::SetAlignment(TAlignment Value) {
  FAlignment = Value;
  Invalidate();
}

void TPanel::AdjustClientRect(TRect& R) {
  int B = FBorderWidth + (FBevelOuter != bvNone ? FBevelWidth : 0) + (FBevelInner != bvNone ? FBevelWidth : 0);
  R = TRect(R.Left + B, R.Top + B, R.Right - B, R.Bottom - B);
}

namespace {

void DrawBevel(HDC DC, RECT& R, TPanelBevel Bevel, int Width) {
  if (Bevel == bvNone) return;
  for (int I = 0; I < Width; ++I) {
    if (Bevel != bvSpace) DrawEdge(DC, &R, Bevel == bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
    InflateRect(&R, -1, -1);
  }
}

}  // namespace

void TPanel::Paint() {
  HDC DC = Canvas()->Handle();
  RECT R = Rect(0, 0, FWidth, FHeight);
  FillRect(DC, &R, ColorBrush());
  DrawBevel(DC, R, FBevelOuter, FBevelWidth);
  InflateRect(&R, -FBorderWidth, -FBorderWidth);
  DrawBevel(DC, R, FBevelInner, FBevelWidth);
  if (FText.empty()) return;
  std::wstring W = ToWide(FText);
  SetBkMode(DC, TRANSPARENT);
  SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(FFont->Color())) & 0xFFFFFF);
  HGDIOBJ Old = SelectObject(DC, FontHandle(*FFont));
  UINT Format = DT_SINGLELINE | DT_VCENTER |
                (FAlignment == taCenter ? DT_CENTER : FAlignment == taRightJustify ? DT_RIGHT : DT_LEFT);
  DrawTextW(DC, W.c_str(), int(W.size()), &R, Format);
  SelectObject(DC, Old);
}

// ---------------------------------------------------------------------------------------

const TClassInfo* TSplitter::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TSplitter, TGraphicControl>("TSplitter")
                                     .Prop("MinSize", &TSplitter::MinSize, &TSplitter::SetMinSize)
                                     .Prop("Beveled", &TSplitter::Beveled, &TSplitter::SetBeveled)
                                     .Prop("OnMoved", &TSplitter::OnMoved)
                                     .Build();
  return &Info;
}

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner) {
  FAlign = alLeft;
  FWidth = 3;
  FHeight = 100;
  FCursor = crHSplit;
  FClickOnMouseUp = false;
}

void TSplitter::SetBeveled(bool Value) {
  FBeveled = Value;
  Invalidate();
}

TControl* TSplitter::FindControl() const {
  if (FParent == nullptr) return nullptr;
  for (int I = 0; I < FParent->ControlCount(); ++I) {
    TControl* C = FParent->Controls(I);
    if (C == this || !C->Visible() || C->Align() != FAlign) continue;
    bool Touches = false;
    switch (FAlign) {
      case alLeft: Touches = C->Left() + C->Width() == FLeft; break;
      case alRight: Touches = C->Left() == FLeft + FWidth; break;
      case alTop: Touches = C->Top() + C->Height() == FTop; break;
      case alBottom: Touches = C->Top() == FTop + FHeight; break;
      default: break;
    }
    if (Touches) return C;
  }
  return nullptr;
}

void TSplitter::Paint() {
  HDC DC = Canvas()->Handle();
  RECT R = Rect(0, 0, FWidth, FHeight);
  FillRect(DC, &R, ColorBrush());
  if (FBeveled) DrawEdge(DC, &R, BDR_RAISEDINNER, BF_RECT);
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  FControl = FindControl();
  if (FControl == nullptr) return;
  bool Horizontal = FAlign == alLeft || FAlign == alRight;
  FDownPos = Horizontal ? ClientToScreen(TPoint(X, Y)).X : ClientToScreen(TPoint(X, Y)).Y;
  FStartSize = Horizontal ? FControl->Width() : FControl->Height();
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (FControl == nullptr || !Shift.Contains(ssLeft) || FParent == nullptr) return;
  bool Horizontal = FAlign == alLeft || FAlign == alRight;
  TPoint S = ClientToScreen(TPoint(X, Y));
  int Delta = (Horizontal ? S.X : S.Y) - FDownPos;
  if (FAlign == alRight || FAlign == alBottom) Delta = -Delta;
  // The control keeps MinSize, and so does what is left of the parent.
  int Avail = (Horizontal ? FParent->ClientWidth() : FParent->ClientHeight()) - (Horizontal ? FWidth : FHeight);
  int NewSize = std::clamp(FStartSize + Delta, FMinSize, std::max(FMinSize, Avail - FMinSize));
  if (Horizontal)
    FControl->SetWidth(NewSize);
  else
    FControl->SetHeight(NewSize);
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (FControl != nullptr && Button == mbLeft) {
    FControl = nullptr;
    if (OnMoved) OnMoved(this);
  }
}

// ---------------------------------------------------------------------------------------

const TClassInfo* TImage::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TImage, TGraphicControl>("TImage")
                                     .Prop("Picture", &TImage::Picture, &TImage::SetPicture)
                                     .Prop("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize)
                                     .Prop("Center", &TImage::Center, &TImage::SetCenter)
                                     .Prop("Stretch", &TImage::Stretch, &TImage::SetStretch)
                                     .Prop("Transparent", &TImage::Transparent, &TImage::SetTransparent)
                                     .Build();
  return &Info;
}

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>()) {
  FWidth = 105;
  FHeight = 105;
  FPicture->OnChange = [this](TObject*) { PictureChanged(); };
}

TImage::~TImage() { FPicture->OnChange = nullptr; }

void TImage::SetAutoSize(bool Value) {
  FAutoSize = Value;
  AdjustSize();
}

void TImage::SetCenter(bool Value) {
  if (Value == FCenter) return;
  FCenter = Value;
  Invalidate();
}

void TImage::SetStretch(bool Value) {
  if (Value == FStretch) return;
  FStretch = Value;
  Invalidate();
}

void TImage::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  PictureChanged();
}

void TImage::AdjustSize() {
  if (FAutoSize && FPicture->Width() > 0 && FPicture->Height() > 0)
    SetBounds(FLeft, FTop, FPicture->Width(), FPicture->Height());
}

void TImage::PictureChanged() {
  if (FPassingTransparent) return;  // the graphic's own change notice of the line below
  if (TGraphic* G = FPicture->Graphic()) {
    FPassingTransparent = true;
    try {
      G->SetTransparent(FTransparent);
    } catch (...) {
      FPassingTransparent = false;
      throw;
    }
    FPassingTransparent = false;
  }
  AdjustSize();
  Invalidate();
}

TRect TImage::DestRect() const {
  int W = FPicture->Width(), H = FPicture->Height();
  if (FStretch) {
    W = FWidth;
    H = FHeight;
  }
  int X = 0, Y = 0;
  if (FCenter) {
    X = (FWidth - W) / 2;
    Y = (FHeight - H) / 2;
  }
  return Bounds(X, Y, W, H);
}

void TImage::Paint() {
  TGraphic* G = FPicture->Graphic();
  if (G == nullptr || G->Empty()) return;
  Canvas()->StretchDraw(DestRect(), G);
}
