// A white 32-bit bitmap selected into a memory DC, for drawing through the GDI host and
// reading the pixels back.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/png_writer.h"
#include "tests/support/screenshot.h"

class TBitmapTarget {
public:
  TBitmapTarget(int W, int H) : Width(W), Height(H) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = W;
    bi.bmiHeader.biHeight = -H;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    DC = CreateCompatibleDC(nullptr);
    Bitmap = CreateDIBSection(DC, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&Bits), nullptr, 0);
    Old = SelectObject(DC, Bitmap);
    std::memset(Bits, 0xFF, std::size_t(W) * H * 4);
  }
  ~TBitmapTarget() {
    SelectObject(DC, Old);
    DeleteObject(Bitmap);
    DeleteDC(DC);
  }
  TBitmapTarget(const TBitmapTarget&) = delete;
  TBitmapTarget& operator=(const TBitmapTarget&) = delete;
  std::uint32_t Pixel(int X, int Y) {
    GdiFlush();
    return Bits[std::size_t(Y) * Width + X] & 0xFFFFFF;  // 0xRRGGBB
  }
  // Pixels of exactly that colour.
  int Count(std::uint32_t Rgb) {
    GdiFlush();
    int n = 0;
    for (int i = 0; i < Width * Height; ++i) n += (Bits[i] & 0xFFFFFF) == Rgb;
    return n;
  }
  // Pixels that are not white in the rectangle.
  int Inked(int X1, int Y1, int X2, int Y2) {
    int n = 0;
    for (int y = Y1; y < Y2; ++y)
      for (int x = X1; x < X2; ++x) n += Pixel(x, y) != 0xFFFFFF;
    return n;
  }
  void Save(const std::string& Name) {
    GdiFlush();
    std::vector<std::uint8_t> rgb;
    for (int i = 0; i < Width * Height; ++i)
      rgb.insert(rgb.end(), {std::uint8_t(Bits[i] >> 16), std::uint8_t(Bits[i] >> 8), std::uint8_t(Bits[i])});
    WritePng(ScreenshotPath(Name), Width, Height, rgb);
  }
  int Width, Height;
  HDC DC;
  HBITMAP Bitmap;
  HGDIOBJ Old;
  std::uint32_t* Bits = nullptr;
};
