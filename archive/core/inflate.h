// Inflate: the deflate decoder (RFC 1951), table-driven, for ZIP method 8 and gzip.
#pragma once

#include <cstdint>

#include "archive/core/decode_io.h"

// Lookup tables of one block. A table entry is 32 bits: the bits it consumes (bits 0-4:
// the code and, for a length or distance, its extra bits, so that the entry itself can
// be the shift count), the code length alone or, for a link, the sub-table width (bits
// 8-11), the kind (bits 12-15) and the value (bits 16-31: a literal, a length or
// distance base, or the sub-table's offset). Lengths and distances carry no kind bits,
// so that bits 8-13 are the code length and the extra bits are one mask and one shift.
class THuffTable {
public:
  static constexpr uint32_t kLiteral = 0x1000;
  static constexpr uint32_t kLink = 0x4000;
  static constexpr uint32_t kSpecial = 0x8000;  // the end of the block or an invalid code
  static constexpr uint32_t kEnd = kSpecial | 0x2000, kInvalid = kSpecial;
  enum class TCheck { Complete, AllowSingle };
  enum class TBuild { Ok, OverSubscribed, Incomplete };

  // Lens[i] is the length (0..15) of symbol i of N; Base[i] holds the symbol's entry
  // without its code length (value, kind, and extra-bit count in bits 0-4).
  static TBuild Build(uint32_t* Table, unsigned Root, const uint8_t* Lens, unsigned N,
                      const uint32_t* Base, TCheck Check);
};

class TInflater {
public:
  static constexpr unsigned kLitRoot = 11, kDistRoot = 8, kLenRoot = 7;

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

// Decodes a raw deflate stream of In into Out, whose size is known: Made gets the bytes
// made (also after an error), Consumed the input the stream took. A stream longer than
// OutSize is a write error.
TDecodeResult InflateBuffer(const uint8_t* In, size_t InSize, uint8_t* Out, size_t OutSize, size_t& Made,
                            size_t* Consumed = nullptr);

// Decodes a raw deflate stream from Src to Sink in 32768-byte writes. Consumed, when
// given, gets the number of input bytes the stream took (the input read past it is
// not counted), so that what follows the stream can be found.
TDecodeResult Inflate(TByteSource& Src, TByteSink& Sink, uint64_t* Consumed = nullptr);
