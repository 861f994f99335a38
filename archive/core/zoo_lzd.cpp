#include "archive/core/zoo_lzd.h"

#include <memory>

namespace {

constexpr unsigned ClearCode = 256, EndCode = 257, FirstFree = 258;
constexpr unsigned MaxBits = 13, TableSize = 1u << MaxBits;
constexpr uint32_t OutBlock = 32768;

struct TLzdState {
  uint16_t Prefix[TableSize];
  uint8_t Suffix[TableSize];
  // The longest string: one byte per code chain link, plus the repeated first byte.
  uint8_t Stack[TableSize + 1];
  uint8_t Out[OutBlock];
};

}  // namespace

TDecodeResult ZooLzdDecode(TByteSource& Src, TByteSink& Sink, uint32_t UnpackedSize) {
  auto S = std::make_unique<TLzdState>();
  TBitInput In;
  In.Reset(&Src);

  uint32_t OutLen = 0;
  uint64_t Left = UnpackedSize;
  bool Full = false;  // the stated size is reached: further output is dropped
  auto Flush = [&]() -> bool {
    bool Ok = OutLen == 0 || Sink.Write(S->Out, OutLen);
    OutLen = 0;
    return Ok;
  };
  auto Put = [&](const uint8_t* P, size_t Len) -> bool {
    while (Len > 0) {
      if (Left == 0) {
        Full = true;
        return true;
      }
      size_t N = OutBlock - OutLen;
      if (N > Len) N = Len;
      if (N > Left) N = size_t(Left);
      for (size_t K = 0; K < N; K++) S->Out[OutLen + K] = P[K];
      OutLen += uint32_t(N);
      P += N;
      Len -= N;
      Left -= N;
      if (OutLen == OutBlock && !Flush()) return false;
    }
    return true;
  };

  unsigned Bits = 9, MaxCode = 512, FreeCode = FirstFree;
  unsigned OldCode = 0;
  uint8_t FinChar = 0;
  bool Cleared = true;  // the first code after a clear (and at the start) is a byte
  for (;;) {
    uint32_t Code;
    if (!In.Get(Bits, Code)) return TDecodeResult::Truncated;
    if (Code == EndCode) break;
    if (Code == ClearCode) {
      Bits = 9;
      MaxCode = 512;
      FreeCode = FirstFree;
      Cleared = true;
      continue;
    }
    if (Cleared) {
      if (Code > 255) return TDecodeResult::InvalidCode;
      OldCode = Code;
      FinChar = uint8_t(Code);
      Cleared = false;
      if (!Put(&FinChar, 1)) return TDecodeResult::WriteError;
    } else {
      if (Code > FreeCode) return TDecodeResult::InvalidCode;
      unsigned InCode = Code;
      uint8_t* Top = S->Stack + sizeof S->Stack;
      uint8_t* Sp = Top;
      if (Code == FreeCode) {
        *--Sp = FinChar;
        Code = OldCode;
      }
      while (Code > 255) {
        if (Sp == S->Stack) return TDecodeResult::StackOverflow;
        *--Sp = S->Suffix[Code];
        Code = S->Prefix[Code];
      }
      if (Sp == S->Stack) return TDecodeResult::StackOverflow;
      FinChar = uint8_t(Code);
      *--Sp = FinChar;
      if (!Put(Sp, size_t(Top - Sp))) return TDecodeResult::WriteError;
      if (FreeCode < TableSize) {
        S->Suffix[FreeCode] = FinChar;
        S->Prefix[FreeCode] = uint16_t(OldCode);
        FreeCode++;
        if (FreeCode >= MaxCode && Bits < MaxBits) {
          Bits++;
          MaxCode <<= 1;
        }
      }
      OldCode = InCode;
    }
    if (Full) break;
  }
  return Flush() ? TDecodeResult::Ok : TDecodeResult::WriteError;
}
