// Inflate: the deflate decoder (RFC 1951), table-driven, for ZIP method 8 and gzip.
#pragma once

#include <cstdint>

#include "archive/core/decode_io.h"

// Lookup tables of one block. A table entry is 32 bits: the code length at its level
// (bits 0-3, with 4-7 clear, so that the entry itself can be the shift count), the
// extra-bit count or, for a link, the sub-table width (bits 8-11), the kind (bits 12-15)
// and the value (bits 16-31: literal, length or distance base, or the sub-table's offset).
class THuffTable {
public:
  static constexpr uint32_t kLiteral = 0x1000, kEnd = 0x2000, kLink = 0x4000, kInvalid = 0x8000;
  enum class TCheck { Complete, AllowSingle };
  enum class TBuild { Ok, OverSubscribed, Incomplete };

  // Lens[i] is the length (0..15) of symbol i of N; Base[i] holds the symbol's entry
  // without its length (value, extra bits, kind).
  static TBuild Build(uint32_t* Table, unsigned Root, const uint8_t* Lens, unsigned N,
                      const uint32_t* Base, TCheck Check);
};

class TInflater {
public:
  static constexpr unsigned kLitRoot = 10, kDistRoot = 8, kLenRoot = 7;

  // Decodes one raw deflate stream from In into Out, up to its last block (or until
  // *Cancel becomes true between blocks). The caller flushes Out.
  TDecodeResult Run(TBitInput& In, TDecodeWindow& Out, const bool* Cancel = nullptr);

private:
  TDecodeResult Stored(TBitInput& In, TDecodeWindow& Out);
  TDecodeResult ReadDynamic(TBitInput& In);
  TDecodeResult Codes(TBitInput& In, TDecodeWindow& Out, const uint32_t* Lit,
                      const uint32_t* Dist);

  uint32_t FLit[(1u << kLitRoot) + 288 * 32];
  uint32_t FDist[(1u << kDistRoot) + 32 * 128];
  uint32_t FLen[1u << kLenRoot];
};

// Decodes a raw deflate stream from Src to Sink in 32768-byte writes. Consumed, when
// given, gets the number of input bytes the stream took (the input read past it is
// not counted), so that what follows the stream can be found.
TDecodeResult Inflate(TByteSource& Src, TByteSink& Sink, uint64_t* Consumed = nullptr);
