#include "ui/animated_image.h"

#include <algorithm>

#include "ui/vcl_utils.h"

template <> const TTypeInfo* TypeInfoOf<TGlyphOrientation>() {
  static const TTypeInfo Info = EnumTypeInfo("TGlyphOrientation", {"goHorizontal", "goVertical"});
  return &Info;
}

namespace {

// Controls are made on the main thread: the thread of the first one is the main thread.
DWORD MainThread() {
  static const DWORD Id = GetCurrentThreadId();
  return Id;
}

bool OnMainThread() { return GetCurrentThreadId() == MainThread(); }

void DrawCell(TCanvas* Dest, const TRect& D, TBitmap* Src, const TRect& S, TColor Transparent) {
  if (Transparent != clNone) {
    StretchBitmapRectTransparent(Dest, D.Left, D.Top, D.Width(), D.Height(), S, Src, Transparent);
    return;
  }
  int Old = SetStretchBltMode(Dest->Handle(), COLORONCOLOR);
  StretchBlt(Dest->Handle(), D.Left, D.Top, D.Width(), D.Height(), Src->Canvas()->Handle(), S.Left, S.Top,
             S.Width(), S.Height(), SRCCOPY);
  SetStretchBltMode(Dest->Handle(), Old);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TRxImageControl

const TClassInfo* TRxImageControl::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TRxImageControl, TGraphicControl>("TRxImageControl").Build();
  return &Info;
}

TRxImageControl::TRxImageControl(TComponent* AOwner) : TGraphicControl(AOwner) {
  MainThread();
  FWidth = 105;
  FHeight = 105;
  FParentColor = true;
}

TRect TRxImageControl::ImageRect(int W, int H, bool Stretch, bool Center) {
  if (Stretch) return TRect(0, 0, Width(), Height());
  if (Center) {
    int X = (Width() - W) / 2, Y = (Height() - H) / 2;
    return TRect(X, Y, X + W, Y + H);
  }
  return TRect(0, 0, W, H);
}

void TRxImageControl::Paint() {
  std::lock_guard<std::recursive_mutex> L(FLock);
  int W = Width(), H = Height();
  if (W <= 0 || H <= 0) return;
  // Off-screen first, so that a frame never shows half drawn.
  TBitmap Off;
  Off.SetSize(W, H);
  TCanvas* C = Off.Canvas();
  C->Brush()->SetColor(Color());
  C->FillRect(TRect(0, 0, W, H));
  DoPaintImage(C);
  BitBlt(Canvas()->Handle(), 0, 0, W, H, C->Handle(), 0, 0, SRCCOPY);
}

void TRxImageControl::Resize() {
  TGraphicControl::Resize();
  AdjustImageSize();
}

void TRxImageControl::PictureChanged() {
  if (Destroying()) return;
  AdjustImageSize();
  DoPaintControl();
}

void TRxImageControl::DoPaintControl() {
  if (OnMainThread()) {
    if (FDrawing) Repaint();
    else Invalidate();
    return;
  }
  // Windows are the main thread's: it paints, under the lock, when it gets to it.
  TWinControl* P = Parent();
  if (P == nullptr || !P->HandleAllocated()) return;
  RECT R = BoundsRect();
  InvalidateRect(P->Handle(), &R, FALSE);
}

void TRxImageControl::Notify(TRxTimer* Timer, const TNotifyEvent& Event) {
  if (!Event) return;
  if (OnMainThread()) Event(this);
  else Timer->Synchronize([this, Event] { Event(this); });
}

// ---------------------------------------------------------------------------------------
// TAnimatedImage

const TClassInfo* TAnimatedImage::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TAnimatedImage, TRxImageControl>("TAnimatedImage")
          .Prop("Active", &TAnimatedImage::Active, &TAnimatedImage::SetActive)
          .Prop("AsyncDrawing", &TAnimatedImage::AsyncDrawing, &TAnimatedImage::SetAsyncDrawing)
          .Prop("AutoSize", &TAnimatedImage::AutoSize, &TAnimatedImage::SetAutoSize)
          .Prop("Center", &TAnimatedImage::Center, &TAnimatedImage::SetCenter)
          .Prop("Glyph", &TAnimatedImage::Glyph, &TAnimatedImage::SetGlyph)
          .Prop("GlyphNum", &TAnimatedImage::GlyphNum, &TAnimatedImage::SetGlyphNum)
          .Prop("InactiveGlyph", &TAnimatedImage::InactiveGlyph, &TAnimatedImage::SetInactiveGlyph)
          .Prop("Interval", [](const TAnimatedImage& A) { return int(A.Interval()); },
                [](TAnimatedImage& A, int V) { A.SetInterval(unsigned(std::max(V, 0))); })
          .Prop("NumGlyphs", &TAnimatedImage::NumGlyphs, &TAnimatedImage::SetNumGlyphs)
          .Prop("Opaque", &TAnimatedImage::Opaque, &TAnimatedImage::SetOpaque)
          .Prop("Orientation", &TAnimatedImage::Orientation, &TAnimatedImage::SetOrientation)
          .Prop("Stretch", &TAnimatedImage::Stretch, &TAnimatedImage::SetStretch)
          .Prop("TransparentColor", &TAnimatedImage::TransparentColor, &TAnimatedImage::SetTransparentColor)
          .Prop("OnFrameChanged", &TAnimatedImage::OnFrameChanged)
          .Prop("OnStart", &TAnimatedImage::OnStart)
          .Prop("OnStop", &TAnimatedImage::OnStop)
          .Build();
  return &Info;
}

TAnimatedImage::TAnimatedImage(TComponent* AOwner)
    : TRxImageControl(AOwner), FGlyph(std::make_unique<TBitmap>()), FTimer(new TRxTimer(this)) {
  FTimer->SetEnabled(false);
  FTimer->SetInterval(100);
}

TAnimatedImage::~TAnimatedImage() {
  OnFrameChanged = nullptr;
  OnStart = nullptr;
  OnStop = nullptr;
  FTimer->SetEnabled(false);
  FTimer->SetOnTimer({});
}

int TAnimatedImage::FrameWidth() const {
  int N = std::max(FNumGlyphs, 1);
  return FOrientation == goHorizontal ? FGlyph->Width() / N : FGlyph->Width();
}

int TAnimatedImage::FrameHeight() const {
  int N = std::max(FNumGlyphs, 1);
  return FOrientation == goHorizontal ? FGlyph->Height() : FGlyph->Height() / N;
}

void TAnimatedImage::SetActive(bool Value) {
  if (Value == FActive) return;
  if (Value) {
    FTimer->SetOnTimer([this](TObject*) { TimerExpired(); });
    FTimer->SetEnabled(true);
    FActive = FTimer->Enabled();
    if (OnStart) OnStart(this);
  } else {
    FTimer->SetEnabled(false);
    FTimer->SetOnTimer({});
    FActive = false;
    if (OnFrameChanged) OnFrameChanged(this);
    if (OnStop) OnStop(this);
    PictureChanged();
  }
}

void TAnimatedImage::SetAsyncDrawing(bool Value) {
  std::lock_guard<std::recursive_mutex> L(FLock);
  FAsyncDrawing = Value;
  FTimer->SetSyncEvent(!Value);
}

void TAnimatedImage::SetAutoSize(bool Value) {
  FAutoSize = Value;
  PictureChanged();
}

void TAnimatedImage::SetCenter(bool Value) {
  {
    std::lock_guard<std::recursive_mutex> L(FLock);
    FCenter = Value;
  }
  PictureChanged();
}

void TAnimatedImage::SetGlyph(TBitmap* Value) {
  {
    std::lock_guard<std::recursive_mutex> L(FLock);
    FGlyph->Assign(Value);
    int W = FGlyph->Width(), H = FGlyph->Height();
    // Square frames side by side (or stacked) when the strip's shape allows it.
    int N = 1;
    if (FOrientation == goHorizontal && H > 0 && W % H == 0) N = W / H;
    else if (FOrientation == goVertical && W > 0 && H % W == 0) N = H / W;
    FNumGlyphs = std::max(N, 1);
    FGlyphNum = 0;
    if (FInactiveGlyph >= FNumGlyphs) FInactiveGlyph = -1;
    FTransparentColor = FGlyph->Empty() ? clNone : TColor(int32_t(FGlyph->TransparentColor()) & ~0x02000000);
  }
  PictureChanged();
}

void TAnimatedImage::SetGlyphNum(int Value) {
  if (Value < 0 || Value >= FNumGlyphs) return;
  {
    std::lock_guard<std::recursive_mutex> L(FLock);
    FGlyphNum = Value;
  }
  PictureChanged();
}

void TAnimatedImage::SetInactiveGlyph(int Value) {
  if (Value < 0) Value = -1;
  else if (Value >= FNumGlyphs && !Loading()) return;
  {
    std::lock_guard<std::recursive_mutex> L(FLock);
    FInactiveGlyph = Value;
  }
  PictureChanged();
}

void TAnimatedImage::SetNumGlyphs(int Value) {
  {
    std::lock_guard<std::recursive_mutex> L(FLock);
    FNumGlyphs = std::max(Value, 1);
    if (FInactiveGlyph >= FNumGlyphs) {
      FInactiveGlyph = -1;
      FGlyphNum = 0;
    }
    if (FGlyphNum >= FNumGlyphs) FGlyphNum = 0;
  }
  PictureChanged();
}

void TAnimatedImage::SetOpaque(bool Value) {
  {
    std::lock_guard<std::recursive_mutex> L(FLock);
    FOpaque = Value;
  }
  PictureChanged();
}

void TAnimatedImage::SetOrientation(TGlyphOrientation Value) {
  {
    std::lock_guard<std::recursive_mutex> L(FLock);
    FOrientation = Value;
  }
  PictureChanged();
}

void TAnimatedImage::SetStretch(bool Value) {
  {
    std::lock_guard<std::recursive_mutex> L(FLock);
    FStretch = Value;
  }
  PictureChanged();
}

void TAnimatedImage::SetTransparentColor(TColor Value) {
  {
    std::lock_guard<std::recursive_mutex> L(FLock);
    FTransparentColor = Value;
  }
  PictureChanged();
}

void TAnimatedImage::AdjustImageSize() {
  if (!FAutoSize || Loading() || FGlyph->Empty()) return;
  int W = FrameWidth(), H = FrameHeight();
  if (W != Width() || H != Height()) SetBounds(Left(), Top(), W, H);
}

void TAnimatedImage::TimerExpired() {
  if (!Visible() || FNumGlyphs < 2 || Parent() == nullptr || !Parent()->HandleAllocated()) return;
  {
    std::lock_guard<std::recursive_mutex> L(FLock);
    int Next = FGlyphNum + 1 >= FNumGlyphs ? 0 : FGlyphNum + 1;
    // The frame kept for the stopped animation is skipped while it runs.
    if (Next == FInactiveGlyph && FNumGlyphs > 1) Next = Next + 1 >= FNumGlyphs ? 0 : Next + 1;
    FGlyphNum = Next;
  }
  FDrawing = true;
  Notify(FTimer, OnFrameChanged);
  DoPaintControl();
  FDrawing = false;
}

void TAnimatedImage::DoPaintImage(TCanvas* C) {
  if (!FOpaque) CopyParentImage(this, C);
  if (FGlyph->Empty()) return;
  int Index = !FActive && FInactiveGlyph >= 0 && FInactiveGlyph < FNumGlyphs ? FInactiveGlyph : FGlyphNum;
  int FW = FrameWidth(), FH = FrameHeight();
  TRect Src = FOrientation == goHorizontal ? TRect(Index * FW, 0, Index * FW + FW, FH)
                                           : TRect(0, Index * FH, FW, Index * FH + FH);
  DrawCell(C, ImageRect(FW, FH, FStretch, FCenter), FGlyph.get(), Src, FTransparentColor);
}

// ---------------------------------------------------------------------------------------
// TRxGIFAnimator

const TClassInfo* TRxGIFAnimator::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TRxGIFAnimator, TRxImageControl>("TRxGIFAnimator")
          .Prop("Animate", &TRxGIFAnimator::Animate, &TRxGIFAnimator::SetAnimate)
          .Prop("AsyncDrawing", &TRxGIFAnimator::AsyncDrawing, &TRxGIFAnimator::SetAsyncDrawing)
          .Prop("AutoSize", &TRxGIFAnimator::AutoSize, &TRxGIFAnimator::SetAutoSize)
          .Prop("Center", &TRxGIFAnimator::Center, &TRxGIFAnimator::SetCenter)
          .Prop("FrameIndex", &TRxGIFAnimator::FrameIndex, &TRxGIFAnimator::SetFrameIndex)
          .Prop("Image", &TRxGIFAnimator::Image, &TRxGIFAnimator::SetImage)
          .Prop("Loop", &TRxGIFAnimator::Loop, &TRxGIFAnimator::SetLoop)
          .Prop("Stretch", &TRxGIFAnimator::Stretch, &TRxGIFAnimator::SetStretch)
          .Prop("Transparent", &TRxGIFAnimator::Transparent, &TRxGIFAnimator::SetTransparent)
          .Prop("OnChange", &TRxGIFAnimator::OnChange)
          .Prop("OnFrameChanged", &TRxGIFAnimator::OnFrameChanged)
          .Prop("OnStart", &TRxGIFAnimator::OnStart)
          .Prop("OnStop", &TRxGIFAnimator::OnStop)
          .Build();
  return &Info;
}

TRxGIFAnimator::TRxGIFAnimator(TComponent* AOwner)
    : TRxImageControl(AOwner), FImage(std::make_unique<TGIFImage>()), FTimer(new TRxTimer(this)) {
  FTimer->SetEnabled(false);
  FTimer->SetInterval(100);
  FImage->OnChange = [this](TObject*) { ImageChanged(); };
}

TRxGIFAnimator::~TRxGIFAnimator() {
  OnChange = nullptr;
  OnFrameChanged = nullptr;
  OnStart = nullptr;
  OnStop = nullptr;
  FTimer->SetEnabled(false);
  FTimer->SetOnTimer({});
  FImage->OnChange = nullptr;
}

unsigned TRxGIFAnimator::FrameDelay() const {
  if (FFrameIndex < 0 || FFrameIndex >= FImage->Count() || FImage->Count() < 2) return 0;
  return unsigned(std::clamp(FImage->Frames(FFrameIndex)->AnimateInterval(), 50, 10000));
}

void TRxGIFAnimator::SetAnimate(bool Value) {
  if (Value == FAnimate) return;
  if (Value) {
    FTimer->SetInterval(FrameDelay());
    FTimer->SetOnTimer([this](TObject*) { TimerExpired(); });
    FTimer->SetEnabled(true);
    FAnimate = FTimer->Enabled();
    if (OnStart) OnStart(this);
  } else {
    FTimer->SetEnabled(false);
    FTimer->SetOnTimer({});
    FAnimate = false;
    if (OnStop) OnStop(this);
    PictureChanged();
  }
}

void TRxGIFAnimator::SetAsyncDrawing(bool Value) {
  std::lock_guard<std::recursive_mutex> L(FLock);
  FAsyncDrawing = Value;
  FTimer->SetSyncEvent(!Value);
}

void TRxGIFAnimator::SetAutoSize(bool Value) {
  FAutoSize = Value;
  PictureChanged();
}

void TRxGIFAnimator::SetCenter(bool Value) {
  {
    std::lock_guard<std::recursive_mutex> L(FLock);
    FCenter = Value;
  }
  PictureChanged();
}

void TRxGIFAnimator::SetStretch(bool Value) {
  {
    std::lock_guard<std::recursive_mutex> L(FLock);
    FStretch = Value;
  }
  PictureChanged();
}

void TRxGIFAnimator::SetTransparent(bool Value) {
  {
    std::lock_guard<std::recursive_mutex> L(FLock);
    FTransparent = Value;
    FCache.reset();
    FCacheIndex = -1;
  }
  PictureChanged();
}

void TRxGIFAnimator::SetFrameIndex(int Value) {
  {
    std::lock_guard<std::recursive_mutex> L(FLock);
    FFrameIndex = std::clamp(Value, 0, std::max(FImage->Count() - 1, 0));
    FTimer->SetInterval(FrameDelay());
  }
  PictureChanged();
}

void TRxGIFAnimator::SetImage(TGIFImage* Value) {
  FImage->Assign(Value);
  ImageChanged();
}

void TRxGIFAnimator::ImageChanged() {
  {
    std::lock_guard<std::recursive_mutex> L(FLock);
    FCache.reset();
    FCacheIndex = -1;
    FCacheColor = clNone;
    FFrameIndex = std::clamp(FImage->FrameIndex(), 0, std::max(FImage->Count() - 1, 0));
    FTimer->SetInterval(FrameDelay());
  }
  PictureChanged();
  if (OnChange) OnChange(this);
}

void TRxGIFAnimator::AdjustImageSize() {
  if (!FAutoSize || Loading() || FImage->Empty()) return;
  int W = FImage->ScreenWidth(), H = FImage->ScreenHeight();
  if (W > 0 && H > 0 && (W != Width() || H != Height())) SetBounds(Left(), Top(), W, H);
}

void TRxGIFAnimator::TimerExpired() {
  if (!Visible() || FImage->Count() < 2 || Parent() == nullptr || !Parent()->HandleAllocated()) return;
  bool Wrapped;
  {
    std::lock_guard<std::recursive_mutex> L(FLock);
    FFrameIndex = FFrameIndex + 1 >= FImage->Count() ? 0 : FFrameIndex + 1;
    Wrapped = FFrameIndex == 0;
  }
  FDrawing = true;
  Notify(FTimer, OnFrameChanged);
  DoPaintControl();
  FDrawing = false;
  FTimer->SetInterval(FrameDelay());
  if (!FLoop && Wrapped) {
    if (OnMainThread()) SetAnimate(false);
    else FTimer->Synchronize([this] { SetAnimate(false); });
  }
}

namespace {

// Draws a frame at its place in the logical screen, leaving its transparent colour.
void DrawFrame(TCanvas* C, TGIFFrame* F) {
  TBitmap* B = F->Bitmap();
  if (B == nullptr || B->Empty()) return;
  TPoint O = F->Origin();
  DrawCell(C, TRect(O.X, O.Y, O.X + B->Width(), O.Y + B->Height()), B, TRect(0, 0, B->Width(), B->Height()),
           F->TransparentColor());
}

void FillFrameRect(TCanvas* C, TGIFFrame* F, TColor Back) {
  TPoint O = F->Origin();
  C->Brush()->SetColor(Back);
  C->FillRect(TRect(O.X, O.Y, O.X + F->Width(), O.Y + F->Height()));
}

}  // namespace

TBitmap* TRxGIFAnimator::ComposeFrame(int Index) {
  int Count = FImage->Count();
  if (Count == 0) return nullptr;
  Index = std::clamp(Index, 0, Count - 1);
  if (FCache && FCacheIndex == Index) return FCache.get();
  int SW = FImage->ScreenWidth(), SH = FImage->ScreenHeight();
  bool Incremental = FCache && Index > 0 && FCacheIndex == Index - 1 && FImage->Frames(Index - 1)->DisposalMethod() != 3;
  // The background: the current frame's transparent colour, else the image's background
  // colour when it is transparent, else the window colour.
  TColor Back = clWindow;
  TColor Clear = clNone;
  TGIFFrame* Current = FImage->Frames(std::clamp(FImage->FrameIndex(), 0, Count - 1));
  if (Current->TransparentColor() != clNone) {
    Back = Clear = TColor(ColorToRGB(Current->TransparentColor()));
  } else if (FImage->BackgroundColor() != clNone && FImage->Transparent()) {
    Back = FImage->BackgroundColor();
  }
  if (!Incremental) {
    FCache = std::make_unique<TBitmap>();
    FCache->SetPixelFormat(pf24bit);
    FCache->SetSize(SW, SH);
  }
  TCanvas* C = FCache->Canvas();
  C->Lock();
  if (!Incremental) {
    C->Brush()->SetColor(Back);
    C->FillRect(TRect(0, 0, SW, SH));
    // From the last frame that hides everything before it.
    int Start = 0;
    for (int J = Index; J > 0; --J) {
      TGIFFrame* F = FImage->Frames(J);
      bool Covers = F->Origin().X == 0 && F->Origin().Y == 0 && F->Width() >= SW && F->Height() >= SH;
      if (Covers && (F->TransparentColor() == clNone || (F->DisposalMethod() == 2 && J < Index))) {
        Start = J;
        break;
      }
    }
    for (int K = Start; K < Index; ++K) {
      TGIFFrame* F = FImage->Frames(K);
      int D = F->DisposalMethod();
      if (D == 0 || D == 1) DrawFrame(C, F);
      else if (D == 2 && K > Start) FillFrameRect(C, F, Back);
    }
    FCacheColor = Clear != clNone && FTransparent ? Clear : clNone;
  } else if (FImage->Frames(Index - 1)->DisposalMethod() == 2) {
    FillFrameRect(C, FImage->Frames(Index - 1), Back);
  }
  DrawFrame(C, FImage->Frames(Index));
  FCacheIndex = Index;
  C->Unlock();
  return FCache.get();
}

void TRxGIFAnimator::DoPaintImage(TCanvas* C) {
  bool TransparentFrame = false;
  for (int I = 0; I < FImage->Count() && !TransparentFrame; ++I)
    TransparentFrame = FImage->Frames(I)->TransparentColor() != clNone;
  if (FImage->Empty() || TransparentFrame) CopyParentImage(this, C);
  int SW = FImage->ScreenWidth(), SH = FImage->ScreenHeight();
  if (SW <= 0 || SH <= 0) return;
  TBitmap* B = ComposeFrame(FFrameIndex);
  if (B == nullptr) return;
  DrawCell(C, ImageRect(SW, SH, FStretch, FCenter), B, TRect(0, 0, SW, SH), FCacheColor);
}

void RegisterAnimatedImages() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  RegisterGIFImage();
  RegisterClasses<TAnimatedImage, TRxGIFAnimator>();
}
