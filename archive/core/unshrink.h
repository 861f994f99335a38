// Unshrink: the dynamic LZW of ZIP method 1 (9 to 13-bit codes, partial clearing).
#pragma once

#include <cstdint>

#include "archive/core/decode_io.h"

class TUnshrinker {
public:
  static constexpr unsigned kCodes = 8192, kStack = 8192;

  // Decodes until the input ends (the entry's CRC then tells whether it was whole).
  TDecodeResult Run(TBitInput& In, TDecodeWindow& Out);

private:
  void PartialClear();
  static constexpr int16_t kFree = -1;
  int16_t FPrefix[kCodes];  // kFree for a free code; codes below 256 are the bytes
  uint8_t FSuffix[kCodes];
  uint16_t FFreeList[kCodes];
  unsigned FFreeCount = 0, FFreeNext = 0;
  uint8_t FStack[kStack];
};

TDecodeResult Unshrink(TByteSource& Src, TByteSink& Sink);
