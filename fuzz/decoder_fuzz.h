// The sink of the decoder fuzz targets: keeps nothing and stops a decompression bomb.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "archive/core/decode_io.h"

struct TFuzzSink : TByteSink {
  uint64_t N = 0;
  bool Write(const uint8_t*, size_t Size) override {
    N += Size;
    return N < (64u << 20);
  }
};

// The most an LZW stream of Bytes bytes in codes of at least MinBits bits can give: the
// string of the k-th code is at most k bytes long (each new string is an older one plus
// one byte), and no string is longer than the table.
inline uint64_t LzwOutputBound(size_t Bytes, unsigned MinBits, uint64_t TableSize) {
  const uint64_t Codes = uint64_t(Bytes) * 8 / MinBits + 1;
  const uint64_t Growing = std::min(Codes, TableSize);
  return Growing * (Growing + 1) / 2 + (Codes - Growing) * TableSize;
}
