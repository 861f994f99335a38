// TBitmap: a device-independent bitmap with a canvas, read from and written to BMP data.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "classlib/win/graphics.h"

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
template <> const TTypeInfo* TypeInfoOf<TPixelFormat>();
enum TTransparentMode { tmAuto, tmFixed };
template <> const TTypeInfo* TypeInfoOf<TTransparentMode>();

ZX_EXCEPTION(EResNotFound, Exception);

class TBitmap : public TGraphic {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  TBitmap();
  ~TBitmap() override;

  // From another bitmap: a copy of its pixels and settings. From any other graphic: a
  // bitmap of its size, white, with the graphic drawn on it. From nothing: empty.
  void Assign(const TPersistent* Source) override;

  bool Empty() const override { return FHandle == nullptr; }
  int Width() const override { return FWidth; }
  void SetWidth(int Value) override { SetSize(Value, FHeight); }
  int Height() const override { return FHeight; }
  void SetHeight(int Value) override { SetSize(FWidth, Value); }
  // Keeps the pixels that still fit; new area is white. A size of 0 empties the bitmap.
  void SetSize(int AWidth, int AHeight);

  // pfDevice is a 32-bit bitmap; a bitmap handed over by handle that is not
  // device-independent also reports pfDevice. Changing the format converts the pixels.
  TPixelFormat PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TPixelFormat Value);
  bool Monochrome() const { return FPixelFormat == pf1bit; }

  TCanvas* Canvas();
  // The bitmap's GDI handle, taken out of the canvas's context first so that it can be
  // selected elsewhere (image lists need that); the bitmap still owns it.
  HBITMAP Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  // Takes ownership of Value (0 empties the bitmap).
  void SetHandle(HBITMAP Value);
  // Gives up ownership: the caller deletes the handle; the bitmap is empty afterwards.
  HBITMAP ReleaseHandle();

  // tmAuto: the colour of the bottom-left pixel; tmFixed: the colour set.
  TColor TransparentColor();
  void SetTransparentColor(TColor Value);  // clDefault goes back to tmAuto
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode Value);

  // The pixels of row Row (0 is the top) in the bitmap's own format; rows are padded to
  // 4 bytes. A bitmap that is not device-independent becomes a 32-bit one first.
  void* ScanLine(int Row);

  void LoadFromStream(TStream* Stream) override;  // BMP file data from the position
  void SaveToStream(TStream* Stream) override;     // BMP file data; nothing when empty
  void LoadFromResourceName(HINSTANCE Instance, const std::string& ResName);
  // Instance 0 loads one of the system's own bitmaps (OBM_...).
  void LoadFromResourceID(HINSTANCE Instance, int ResID);
  // CF_DIB and CF_BITMAP in; CF_DIB out.
  void LoadFromClipboardFormat(UINT Format, HANDLE Data) override;
  void SaveToClipboardFormat(UINT& Format, HANDLE& Data) override;

protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

private:
  friend class TBitmapCanvas;
  void Replace(HBITMAP NewHandle, int AWidth, int AHeight, TPixelFormat Format);
  void EnsureDib();
  void FreeContext();
  // Reads a BMP without its file header; Available is the data size after the info
  // header's start, or -1 when unknown; BitsOffset counts from the info header.
  void ReadDib(TStream* Stream, int64_t Available, int64_t BitsOffset);

  HBITMAP FHandle = nullptr;
  int FWidth = 0;
  int FHeight = 0;
  TPixelFormat FPixelFormat = pfDevice;
  TColor FTransparentColor = clDefault;
  TTransparentMode FTransparentMode = tmAuto;
  std::unique_ptr<TCanvas> FCanvas;
};
