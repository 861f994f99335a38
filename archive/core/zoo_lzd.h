// ZOO method 1: LZW with codes of 9 to 13 bits, least significant bit first; 256 clears
// the table, 257 ends the data, 258 is the first free code.
#pragma once

#include <cstdint>

#include "archive/core/decode_io.h"

// Decodes from Src (the entry's packed bytes) to Sink. Output stops at UnpackedSize
// bytes, so a damaged stream cannot write more than the entry claims. A code above the
// next free one is InvalidCode; input that ends before code 257 is Truncated.
TDecodeResult ZooLzdDecode(TByteSource& Src, TByteSink& Sink, uint32_t UnpackedSize);
