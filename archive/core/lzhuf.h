// The LZHUF decoder of LHA -lh1-: a 4096-byte LZSS ring whose literals and lengths are
// coded by an adaptive Huffman tree and whose positions by a fixed 6-bit prefix code.
#pragma once

#include <cstdint>

#include "archive/core/decode_io.h"

// Decodes from Src (bounded by the reader to the entry's packed bytes) to Sink until
// UnpackedSize bytes are out; a last match is written whole. Input that ends inside the
// data gives Truncated.
TDecodeResult Lh1Decode(TByteSource& Src, TByteSink& Sink, uint32_t UnpackedSize);
