// Graphic controls that play an animation: TAnimatedImage shows the frames of a bitmap
// strip, TRxGIFAnimator plays a multi-frame GIF image. Ticks may come from the timer's
// worker thread (AsyncDrawing): the displayed state is then changed under the control's
// lock and the picture is painted by the main thread, under the same lock.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>

#include "classlib/win/bitmap.h"
#include "classlib/win/controls.h"
#include "ui/gif_image.h"
#include "ui/rx_timer.h"

class TRxImageControl : public TGraphicControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TRxImageControl(TComponent* AOwner);

  void Lock() { FLock.lock(); }
  void Unlock() { FLock.unlock(); }

protected:
  void Paint() override;
  // Sizes the control to its picture (with AutoSize).
  virtual void AdjustImageSize() = 0;
  // Draws the picture on the canvas (the control's client area, off-screen).
  virtual void DoPaintImage(TCanvas* Canvas) = 0;
  void Resize() override;
  // The picture changed: size and repaint.
  void PictureChanged();
  // Repaint now on the main thread; from another thread the parent is asked to repaint.
  void DoPaintControl();
  // Fires Event on the main thread (through the timer when on its worker).
  void Notify(TRxTimer* Timer, const TNotifyEvent& Event);
  // The rectangle a picture of W x H takes: the client area when stretched, else at the
  // top-left or centred.
  TRect ImageRect(int W, int H, bool Stretch, bool Center);
  std::recursive_mutex FLock;
  bool FDrawing = false;
};

enum TGlyphOrientation { goHorizontal, goVertical };
template <> const TTypeInfo* TypeInfoOf<TGlyphOrientation>();

class TAnimatedImage : public TRxImageControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TAnimatedImage(TComponent* AOwner);
  ~TAnimatedImage() override;

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  bool AsyncDrawing() const { return FAsyncDrawing; }
  void SetAsyncDrawing(bool Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);
  TBitmap* Glyph() const { return FGlyph.get(); }
  // Assigning a strip guesses NumGlyphs from its shape and takes its transparent colour.
  void SetGlyph(TBitmap* Value);
  int GlyphNum() const { return FGlyphNum; }
  void SetGlyphNum(int Value);
  int InactiveGlyph() const { return FInactiveGlyph; }
  void SetInactiveGlyph(int Value);
  unsigned Interval() const { return FTimer->Interval(); }
  void SetInterval(unsigned Value) { FTimer->SetInterval(Value); }
  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int Value);
  bool Opaque() const { return FOpaque; }
  void SetOpaque(bool Value);
  TGlyphOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TGlyphOrientation Value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  TColor TransparentColor() const { return FTransparentColor; }
  void SetTransparentColor(TColor Value);
  // The size of one frame of the strip.
  int FrameWidth() const;
  int FrameHeight() const;

  TNotifyEvent OnFrameChanged;
  TNotifyEvent OnStart;
  TNotifyEvent OnStop;

protected:
  void AdjustImageSize() override;
  void DoPaintImage(TCanvas* Canvas) override;

private:
  void TimerExpired();
  std::unique_ptr<TBitmap> FGlyph;
  TRxTimer* FTimer;
  bool FActive = false;
  bool FAsyncDrawing = false;
  bool FAutoSize = true;
  bool FCenter = false;
  int FGlyphNum = 0;
  int FInactiveGlyph = -1;
  int FNumGlyphs = 1;
  bool FOpaque = false;
  TGlyphOrientation FOrientation = goHorizontal;
  bool FStretch = true;
  TColor FTransparentColor = clNone;
};

class TRxGIFAnimator : public TRxImageControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TRxGIFAnimator(TComponent* AOwner);
  ~TRxGIFAnimator() override;

  // True plays from the current frame; False stops and shows the current frame.
  bool Animate() const { return FAnimate; }
  void SetAnimate(bool Value);
  bool AsyncDrawing() const { return FAsyncDrawing; }
  void SetAsyncDrawing(bool Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);
  int FrameIndex() const { return FFrameIndex; }
  void SetFrameIndex(int Value);
  TGIFImage* Image() const { return FImage.get(); }
  void SetImage(TGIFImage* Value);
  bool Loop() const { return FLoop; }
  void SetLoop(bool Value) { FLoop = Value; }
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  // Milliseconds the current frame stays: its delay within 50 .. 10000; 0 with fewer
  // than two frames.
  unsigned FrameDelay() const;
  const TRxTimer* Timer() const { return FTimer; }

  TNotifyEvent OnChange;
  TNotifyEvent OnFrameChanged;
  TNotifyEvent OnStart;
  TNotifyEvent OnStop;

protected:
  void AdjustImageSize() override;
  void DoPaintImage(TCanvas* Canvas) override;

private:
  void TimerExpired();
  void ImageChanged();
  // The logical screen with frames 0 .. Index composed by their disposal rules.
  TBitmap* ComposeFrame(int Index);
  std::unique_ptr<TGIFImage> FImage;
  TRxTimer* FTimer;
  bool FAnimate = false;
  bool FAsyncDrawing = false;
  bool FAutoSize = true;
  bool FCenter = false;
  int FFrameIndex = 0;
  bool FLoop = true;
  bool FStretch = false;
  bool FTransparent = true;
  std::unique_ptr<TBitmap> FCache;
  int FCacheIndex = -1;
  TColor FCacheColor = clNone;
};

// Registers the controls for form resources (once).
void RegisterAnimatedImages();
