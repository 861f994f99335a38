// Small BMP files that the HTML tests make for themselves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using TBytes = std::vector<std::uint8_t>;

inline void Put16(TBytes& B, int V) {
  B.push_back(std::uint8_t(V));
  B.push_back(std::uint8_t(V >> 8));
}

inline void Put32(TBytes& B, std::uint32_t V) {
  Put16(B, int(V & 0xFFFF));
  Put16(B, int(V >> 16));
}

// The file and info headers of a W x H BMP (H negative: rows top-down) of Bits a pixel,
// with Colors palette entries and DataSize bytes of pixels to follow.
inline TBytes BmpHeader(int W, int H, int Bits, std::uint32_t DataSize, std::uint32_t Compression = 0,
                        int Colors = 0) {
  TBytes b = {'B', 'M'};
  std::uint32_t offset = 54 + 4 * std::uint32_t(Colors);
  Put32(b, offset + DataSize);
  Put32(b, 0);
  Put32(b, offset);
  Put32(b, 40);
  Put32(b, std::uint32_t(W));
  Put32(b, std::uint32_t(H));
  Put16(b, 1);
  Put16(b, Bits);
  Put32(b, Compression);
  Put32(b, DataSize);
  Put32(b, 0);
  Put32(b, 0);
  Put32(b, std::uint32_t(Colors));
  Put32(b, 0);
  return b;
}

// A W x H 24-bit BMP; Pixel(x, y) gives 0xRRGGBB with y counted from the top.
template <typename F> TBytes Bmp24Of(int W, int H, F Pixel) {
  int stride = (W * 3 + 3) / 4 * 4;
  TBytes b = BmpHeader(W, H, 24, std::uint32_t(stride * H));
  for (int y = H - 1; y >= 0; --y) {
    for (int x = 0; x < W; ++x) {
      std::uint32_t c = Pixel(x, y);
      b.insert(b.end(), {std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16)});
    }
    b.resize(b.size() + std::size_t(stride - W * 3), 0);
  }
  return b;
}

// A W x H 24-bit BMP in one colour (0xRRGGBB).
inline TBytes SolidBmp(int W, int H, std::uint32_t Rgb) {
  return Bmp24Of(W, H, [Rgb](int, int) { return Rgb; });
}

inline std::string AsText(const TBytes& B) { return std::string(B.begin(), B.end()); }
