#include "tests/support/png_writer.h"

#include <algorithm>
#include <cstdio>

namespace {

uint32_t Crc32(const uint8_t* Data, size_t Len, uint32_t Crc = 0) {
  static uint32_t Table[256];
  if (!Table[1])
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      Table[n] = c;
    }
  Crc = ~Crc;
  for (size_t i = 0; i < Len; ++i) Crc = Table[(Crc ^ Data[i]) & 0xFF] ^ (Crc >> 8);
  return ~Crc;
}

void PutBE32(std::vector<uint8_t>& Out, uint32_t V) {
  for (int s = 24; s >= 0; s -= 8) Out.push_back(uint8_t(V >> s));
}

void Chunk(std::vector<uint8_t>& Out, const char* Type, const std::vector<uint8_t>& Data) {
  PutBE32(Out, uint32_t(Data.size()));
  size_t start = Out.size();
  Out.insert(Out.end(), Type, Type + 4);
  Out.insert(Out.end(), Data.begin(), Data.end());
  PutBE32(Out, Crc32(&Out[start], Out.size() - start));
}

}  // namespace

bool WritePng(const std::string& FileName, int Width, int Height, const std::vector<uint8_t>& Rgb) {
  if (Width <= 0 || Height <= 0 || Rgb.size() < size_t(Width) * Height * 3) return false;
  // Scanlines with filter byte 0, wrapped in stored (uncompressed) deflate blocks:
  // screenshots are for looking at, size does not matter.
  std::vector<uint8_t> raw;
  raw.reserve((size_t(Width) * 3 + 1) * Height);
  for (int y = 0; y < Height; ++y) {
    raw.push_back(0);
    const uint8_t* row = &Rgb[size_t(y) * Width * 3];
    raw.insert(raw.end(), row, row + size_t(Width) * 3);
  }
  std::vector<uint8_t> z = {0x78, 0x01};
  for (size_t pos = 0; pos < raw.size() || pos == 0;) {
    size_t n = std::min<size_t>(65535, raw.size() - pos);
    z.push_back(pos + n >= raw.size() ? 1 : 0);
    z.push_back(uint8_t(n)); z.push_back(uint8_t(n >> 8));
    z.push_back(uint8_t(~n)); z.push_back(uint8_t(~n >> 8));
    z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + n);
    pos += n;
    if (n == 0) break;
  }
  uint32_t a = 1, b = 0;
  for (uint8_t c : raw) { a = (a + c) % 65521; b = (b + a) % 65521; }
  PutBE32(z, (b << 16) | a);

  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> ihdr;
  PutBE32(ihdr, uint32_t(Width));
  PutBE32(ihdr, uint32_t(Height));
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
  Chunk(png, "IHDR", ihdr);
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", {});
  FILE* f = std::fopen(FileName.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
  return std::fclose(f) == 0 && ok;
}
