// Unreduce: ZIP methods 2 to 5 (follower sets and DLE-coded runs, factors 1 to 4).
#pragma once

#include <cstdint>

#include "archive/core/decode_io.h"

class TUnreducer {
public:
  // Factor 1..4 (method - 1). Decoding stops once Unpacked bytes are produced.
  TDecodeResult Run(TBitInput& In, TDecodeWindow& Out, unsigned Factor, uint64_t Unpacked);

private:
  uint8_t FCount[256];
  uint8_t FFollowers[256][64];
};

TDecodeResult Unreduce(TByteSource& Src, TByteSink& Sink, unsigned Factor, uint64_t Unpacked);
