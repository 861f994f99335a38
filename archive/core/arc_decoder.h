// The ARC methods: 1-2 stored, 3 packed (run-length 0x90), 4 squeezed (Huffman tree, then
// run-length), 5-7 crunched (fixed 12-bit LZW over a hashed string table; 6 and 7 then
// run-length), 8 crunched (dynamic 9-12 bit LZW, then run-length), 9 squashed (dynamic
// 9-13 bit LZW).
#pragma once

#include <cstdint>

#include "archive/core/decode_io.h"

bool ArcMethodSupported(int Method);

// Decodes one entry of Method from Src (its packed bytes; the end of Src ends the data)
// to Sink. Output stops at UnpackedSize bytes whatever the input says. Results: BadData
// for an invalid squeeze tree, BadMaxBits for a method-8 stream whose first byte is not
// 12, InvalidCode for an LZW code that is not defined, StackOverflow for a crunch string
// longer than its stack, WriteError when Sink refuses.
TDecodeResult ArcDecodeEntry(int Method, TByteSource& Src, TByteSink& Sink, uint32_t UnpackedSize);
