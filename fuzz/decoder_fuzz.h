// The sink of the decoder fuzz targets: keeps nothing and stops a decompression bomb.
#pragma once

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
