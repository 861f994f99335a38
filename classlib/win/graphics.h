// Drawing: colours, pens, brushes, font handles, the canvas and the graphic base class.
//
// A canvas draws on a device context that it gets lazily: a window's (TWindowCanvas), a
// bitmap's (TBitmap::Canvas) or a foreign one given with SetHandle. Its font, pen and
// brush are selected into the context on the first drawing call that needs them and again
// after they change; the context's original objects are put back when the canvas lets go
// of the context.
#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "classlib/core/color.h"
#include "classlib/core/exception.h"
#include "classlib/core/font.h"
#include "classlib/core/object.h"
#include "classlib/core/typinfo.h"
#include "classlib/win/types.h"

class TStream;
class TCanvas;

ZX_EXCEPTION(EInvalidGraphic, Exception);
ZX_EXCEPTION(EInvalidGraphicOperation, Exception);

// ---------------------------------------------------------------------------------------
// Colours.

// The RGB value of a colour: system colours are looked up in the system's colour table;
// others are returned as they are.
int32_t ColorToRGB(TColor Color);

// ---------------------------------------------------------------------------------------
// Fonts.

// The LOGFONT of a font, and a font's properties from a LOGFONT.
void FontToLogFont(const TFont& Font, LOGFONTW& LogFont);
void LogFontToFont(const LOGFONTW& LogFont, TFont& Font);
// A GDI font for the font's current properties. Handles are shared by every font with the
// same description and live until the program ends: never delete one.
HFONT FontHandle(const TFont& Font);

// ---------------------------------------------------------------------------------------
// Pens and brushes.

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
template <> const TTypeInfo* TypeInfoOf<TPenStyle>();
enum TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
template <> const TTypeInfo* TypeInfoOf<TPenMode>();
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
template <> const TTypeInfo* TypeInfoOf<TBrushStyle>();

// A pen or brush owns its GDI object and makes a new one after each change. OnChange fires
// before the old object is deleted, so that a canvas can take it out of its context first.
class TGraphicsObject : public TPersistent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  ~TGraphicsObject() override;

  TNotifyEvent OnChange;

protected:
  void Changed();
  HGDIOBJ FHandle = nullptr;
};

class TPen : public TGraphicsObject {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  void Assign(const TPersistent* Source) override;

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle Value);
  // The raster operation used when drawing lines (a canvas property of the pen).
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode Value);
  HPEN Handle();

private:
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
};

class TBrush : public TGraphicsObject {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  void Assign(const TPersistent* Source) override;

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);  // a colour makes a clear brush solid
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle Value);
  HBRUSH Handle();

private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};

// ---------------------------------------------------------------------------------------
// The graphic base: bitmaps, icons, JPEG images and the formats of other units.

class TGraphic : public TPersistent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual void SetWidth(int Value) = 0;
  virtual int Height() const = 0;
  virtual void SetHeight(int Value) = 0;
  virtual bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool Value);
  bool Modified() const { return FModified; }
  void SetModified(bool Value);

  // Malformed or truncated data raises EInvalidGraphic and leaves the graphic as it was.
  virtual void LoadFromStream(TStream* Stream) = 0;
  virtual void SaveToStream(TStream* Stream) = 0;
  virtual void LoadFromFile(const std::string& FileName);
  virtual void SaveToFile(const std::string& FileName);
  // Clipboard data of a format the graphic class was registered for (TPicture). The base
  // class knows none and raises EInvalidGraphic.
  virtual void LoadFromClipboardFormat(UINT Format, HANDLE Data);
  virtual void SaveToClipboardFormat(UINT& Format, HANDLE& Data);

  TNotifyEvent OnChange;

protected:
  friend class TCanvas;
  // Draws the graphic into Rect (stretched when the sizes differ).
  virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;
  virtual void Changed();

private:
  bool FTransparent = false;
  bool FModified = false;
};

// ---------------------------------------------------------------------------------------
// The canvas.

// Raster operations of CopyRect and of drawing bitmaps.
using TCopyMode = DWORD;
inline constexpr TCopyMode cmBlackness = BLACKNESS;
inline constexpr TCopyMode cmDstInvert = DSTINVERT;
inline constexpr TCopyMode cmMergeCopy = MERGECOPY;
inline constexpr TCopyMode cmMergePaint = MERGEPAINT;
inline constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
inline constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
inline constexpr TCopyMode cmPatCopy = PATCOPY;
inline constexpr TCopyMode cmPatInvert = PATINVERT;
inline constexpr TCopyMode cmPatPaint = PATPAINT;
inline constexpr TCopyMode cmSrcAnd = SRCAND;
inline constexpr TCopyMode cmSrcCopy = SRCCOPY;
inline constexpr TCopyMode cmSrcErase = SRCERASE;
inline constexpr TCopyMode cmSrcInvert = SRCINVERT;
inline constexpr TCopyMode cmSrcPaint = SRCPAINT;
inline constexpr TCopyMode cmWhiteness = WHITENESS;

class TCanvas : public TPersistent {
public:
  TCanvas();
  ~TCanvas() override;

  // The device context, made by CreateHandle when there is none; a canvas that cannot
  // make one raises EInvalidOperation "Canvas does not allow drawing".
  HDC Handle();
  // Draws on a device context that someone else owns (0 lets go of the current one).
  void SetHandle(HDC Value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  TFont* Font() { return &FFont; }
  void SetFont(const TFont* Value) { FFont.Assign(Value); }
  TPen* Pen() { return &FPen; }
  void SetPen(const TPen* Value) { FPen.Assign(Value); }
  TBrush* Brush() { return &FBrush; }
  void SetBrush(const TBrush* Value) { FBrush.Assign(Value); }
  TCopyMode CopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode Value) { FCopyMode = Value; }
  TPoint PenPos();
  void SetPenPos(TPoint Value) { MoveTo(Value.X, Value.Y); }
  TRect ClipRect();

  void MoveTo(int X, int Y);
  void LineTo(int X, int Y);
  void Polyline(const std::vector<TPoint>& Points);
  void Polygon(const std::vector<TPoint>& Points);
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Rectangle(const TRect& Rect) { Rectangle(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
  void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
  void Ellipse(int X1, int Y1, int X2, int Y2);
  void Ellipse(const TRect& Rect) { Ellipse(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
  // With the brush only.
  void FillRect(const TRect& Rect);
  void FrameRect(const TRect& Rect);

  // Text in the font, on the brush's colour when the brush is solid; TextOut moves the
  // pen position to the end of the text.
  void TextOut(int X, int Y, const std::string& Text);
  // Clipped to Rect (also filled with the brush when it is solid).
  void TextRect(const TRect& Rect, int X, int Y, const std::string& Text);
  TSize TextExtent(const std::string& Text);
  int TextWidth(const std::string& Text) { return TextExtent(Text).cx; }
  int TextHeight(const std::string& Text) { return TextExtent(Text).cy; }

  void Draw(int X, int Y, TGraphic* Graphic);
  void StretchDraw(const TRect& Rect, TGraphic* Graphic);
  void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);

  TColor Pixels(int X, int Y);
  void SetPixels(int X, int Y, TColor Value);

  // Serialises drawing from several threads (animations draw from a timer thread).
  void Lock();
  bool TryLock();
  void Unlock();
  int LockCount() const { return FLockCount; }

  // Puts the context's own objects back; they are selected again on the next call.
  void Refresh();
  // Lets go of the context: the original objects go back in first (an owned context is
  // released or deleted).
  virtual void FreeHandle();

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  enum TCanvasState { csHandleValid = 1, csFontValid = 2, csPenValid = 4, csBrushValid = 8 };
  // Called when a drawing call needs a context and there is none.
  virtual void CreateHandle();
  void RequiredState(unsigned State);
  void Changing();
  void Changed();
  HDC FHandle = nullptr;

private:
  void DeselectHandles();
  void FontChanged();
  void PenChanged();
  void BrushChanged();

  TFont FFont;
  TPen FPen;
  TBrush FBrush;
  TCopyMode FCopyMode = cmSrcCopy;
  unsigned FState = 0;
  TPoint FPenPos;
  HGDIOBJ FOldFont = nullptr;
  HGDIOBJ FOldPen = nullptr;
  HGDIOBJ FOldBrush = nullptr;
  std::recursive_mutex FLock;
  int FLockCount = 0;
};

// A canvas on a window: the window's client-area context, taken on first use and released
// by FreeHandle or SetHandle. During painting, the painter hands the canvas the paint
// context with SetHandle instead.
class TWindowCanvas : public TCanvas {
public:
  explicit TWindowCanvas(HWND Window = nullptr) : FWindow(Window) {}
  ~TWindowCanvas() override;
  HWND Window() const { return FWindow; }
  void SetWindow(HWND Value);
  void FreeHandle() override;

protected:
  void CreateHandle() override;

private:
  HWND FWindow;
  HDC FOwnDC = nullptr;
};
