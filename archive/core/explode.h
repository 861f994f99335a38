// Explode: ZIP method 6 (implode), Shannon-Fano trees over a 4 or 8 KB dictionary.
#pragma once

#include <cstdint>

#include "archive/core/decode_io.h"

class TExploder {
public:
  // Flags are the entry's general-purpose flags: bit 1 selects the 8 KB dictionary,
  // bit 2 the third (literal) tree. Decoding stops once Unpacked bytes are produced.
  TDecodeResult Run(TBitInput& In, TDecodeWindow& Out, unsigned Flags, uint64_t Unpacked);

private:
  // One tree as a single-level table indexed by the next MaxLen input bits:
  // (symbol << 5) | length, or kNone where no code fits.
  struct TTree {
    static constexpr uint16_t kNone = 0xFFFF;
    unsigned MaxLen = 0;
    uint16_t Table[1u << 16];
  };
  TDecodeResult ReadTree(TBitInput& In, TTree& T, unsigned N);
  TDecodeResult Decode(TBitInput& In, const TTree& T, unsigned& Sym);
  TTree FLit, FLen, FDist;
};

TDecodeResult Explode(TByteSource& Src, TByteSink& Sink, unsigned Flags, uint64_t Unpacked);
