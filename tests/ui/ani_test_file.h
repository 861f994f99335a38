// Builds small .ani files in memory for the animated-cursor tests.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/core/ani_parser.h"

namespace ani_test {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& B, uint32_t V) { B.push_back(uint8_t(V)); B.push_back(uint8_t(V >> 8)); }
inline void Put32(Bytes& B, uint32_t V) { Put16(B, V & 0xFFFF); Put16(B, V >> 16); }
inline void PutId(Bytes& B, const char* Id) { B.insert(B.end(), Id, Id + 4); }
inline void Append(Bytes& B, const Bytes& Tail) { B.insert(B.end(), Tail.begin(), Tail.end()); }

inline Bytes Chunk(const char* Id, const Bytes& Data) {
  Bytes B;
  PutId(B, Id);
  Put32(B, uint32_t(Data.size()));
  Append(B, Data);
  if (Data.size() & 1) B.push_back(0);
  return B;
}

inline Bytes List(const char* Kind, const Bytes& Body) {
  Bytes D;
  PutId(D, Kind);
  Append(D, Body);
  return Chunk("LIST", D);
}

// A 16x16 icon (Type 1) or cursor (Type 2, hot spot HotX, HotY) of BitCount bits a pixel.
inline Bytes IconFile(int Type, int BitCount, int HotX = 0, int HotY = 0, uint8_t Fill = 0) {
  int Palette = BitCount <= 8 ? (1 << BitCount) * 4 : 0;
  int XorRow = ((16 * BitCount + 31) / 32) * 4, AndRow = 4;
  uint32_t ImageSize = 40 + Palette + 16 * XorRow + 16 * AndRow;
  Bytes B;
  Put16(B, 0); Put16(B, uint32_t(Type)); Put16(B, 1);
  B.push_back(16); B.push_back(16); B.push_back(BitCount == 4 ? 16 : 0); B.push_back(0);
  if (Type == 2) { Put16(B, uint32_t(HotX)); Put16(B, uint32_t(HotY)); }
  else { Put16(B, 1); Put16(B, uint32_t(BitCount)); }
  Put32(B, ImageSize); Put32(B, 22);
  Put32(B, 40); Put32(B, 16); Put32(B, 32); Put16(B, 1); Put16(B, uint32_t(BitCount));
  for (int I = 0; I < 6; ++I) Put32(B, 0);
  for (int I = 0; I < Palette / 4; ++I) Put32(B, I ? 0xFFFFFF : 0);
  B.insert(B.end(), size_t(16 * XorRow), Fill);
  B.insert(B.end(), size_t(16 * AndRow), 0);
  return B;
}

inline Bytes Anih(uint32_t Frames, uint32_t Steps, uint32_t Rate, uint32_t Flags) {
  Bytes B;
  for (uint32_t V : {36u, Frames, Steps, 0u, 0u, 0u, 0u, Rate, Flags}) Put32(B, V);
  return B;
}

inline Bytes Value(uint32_t V) { Bytes B; Put32(B, V); return B; }

inline Bytes Riff(const Bytes& Body, const char* Form = "ACON") {
  Bytes D;
  PutId(D, Form);
  Append(D, Body);
  return Chunk("RIFF", D);
}

// Two frames (an 8-bit icon and a 4-bit cursor), per-frame rates, a sequence swapping
// them, a title and an odd-length author.
inline Bytes Sample() {
  Bytes Body = Chunk("anih", Anih(2, 2, 10, AF_ICON));
  Append(Body, List("INFO", [] {
    Bytes I = Chunk("INAM", Bytes{'S', 'p', 'i', 'n', 0});
    Append(I, Chunk("IART", Bytes{'Z', 'e', 'm'}));
    Append(I, Chunk("ICOP", Bytes{'x', 0}));
    return I;
  }()));
  Append(Body, Chunk("rate", Value(7)));
  Append(Body, Chunk("rate", Value(9)));
  Append(Body, Chunk("seq ", Value(1)));
  Append(Body, Chunk("seq ", Value(0)));
  Append(Body, Chunk("junk", Bytes{1, 2, 3}));
  Bytes Fram = Chunk("icon", IconFile(1, 8));
  Append(Fram, Chunk("icon", IconFile(2, 4, 3, 5)));
  Append(Body, List("fram", Fram));
  return Riff(Body);
}

}  // namespace ani_test
