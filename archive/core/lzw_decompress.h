// The LZW of Unix compress (.Z): 9 to 16-bit codes, block mode with clear code 256.
#pragma once

#include <cstdint>

#include "archive/core/decode_io.h"

class TLzwDecoder {
public:
  static constexpr size_t kOutBlock = 16384;

  // Decodes a whole .Z file (magic, flags byte, codes) to Sink in 16384-byte writes.
  // Ok: the input ended where a code ended. Truncated: a code beyond the next free
  // one (what a cut or damaged file gives). The header errors come before any output.
  TDecodeResult Run(TBitInput& In, TByteSink& Sink);

private:
  uint16_t FPrefix[65536];
  uint8_t FSuffix[65536];
  uint8_t FStack[65536];
  uint8_t FOut[kOutBlock];
};

TDecodeResult LzwDecode(TByteSource& Src, TByteSink& Sink);
