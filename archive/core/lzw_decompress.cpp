#include "archive/core/lzw_decompress.h"

#include <cstring>
#include <memory>

namespace {

// Bit reader of compress: codes come in groups of eight, and a change of code size
// (or a clear) skips the rest of the current group.
struct TCodeReader {
  TBitInput& In;
  unsigned Size = 9;
  uint64_t GroupBits = 0;  // bits read since the current code size began

  enum TGot { Got, End, Cut };
  // End: the input ended with fewer than 8 bits left, the padding of the last byte
  // that compress writes. More than that is a code cut off: the file was truncated.
  TGot Get(uint32_t& Code) {
    In.Fill(Size);
    if (In.Count - In.Pad < Size) return In.Count - In.Pad >= 8 ? Cut : End;
    Code = In.Peek(Size);
    In.Drop(Size);
    GroupBits += Size;
    return Got;
  }
  // Skips to the end of the current group of eight codes; false at the end of input.
  bool SkipGroup() {
    uint64_t Group = uint64_t(Size) * 8;
    uint64_t Skip = (Group - GroupBits % Group) % Group;
    GroupBits = 0;
    while (Skip) {
      unsigned N = unsigned(Skip > 32 ? 32 : Skip);
      uint32_t Dummy;
      if (!In.Get(N, Dummy)) return false;
      Skip -= N;
    }
    return true;
  }
};

}  // namespace

TDecodeResult TLzwDecoder::Run(TBitInput& In, TByteSink& Sink) {
  uint32_t Magic, Flags;
  if (!In.Get(16, Magic) || !In.Get(8, Flags)) return TDecodeResult::Truncated;
  if (Flags & 0x60) return TDecodeResult::BadHeader;
  const unsigned MaxBits = Flags & 31;
  if (MaxBits > 16 || MaxBits < 9) return TDecodeResult::BadMaxBits;
  const bool Block = Flags & 0x80;
  const uint32_t Limit = 1u << MaxBits;
  for (unsigned c = 0; c < 256; c++) {
    FPrefix[c] = 0;
    FSuffix[c] = uint8_t(c);
  }

  size_t OutLen = 0;
  auto Put = [&](const uint8_t* P, size_t N) {
    while (N) {
      size_t K = kOutBlock - OutLen < N ? kOutBlock - OutLen : N;
      memcpy(FOut + OutLen, P, K);
      OutLen += K;
      P += K;
      N -= K;
      if (OutLen == kOutBlock) {
        if (!Sink.Write(FOut, OutLen)) return false;
        OutLen = 0;
      }
    }
    return true;
  };
  auto Finish = [&](TDecodeResult R) {
    if (OutLen && !Sink.Write(FOut, OutLen)) return TDecodeResult::WriteError;
    return R;
  };

  TCodeReader Rd{In};
  uint32_t Free = Block ? 257 : 256;
  auto Top9 = [&] { return MaxBits == 9 ? Limit : (1u << 9) - 1; };
  uint32_t MaxCode = Top9();
  uint32_t Code;
  switch (Rd.Get(Code)) {
    case TCodeReader::End: return Finish(TDecodeResult::Ok);
    case TCodeReader::Cut: return Finish(TDecodeResult::Truncated);
    default: break;
  }
  if (Code > 255) return TDecodeResult::CorruptInput;
  uint32_t Prev = Code;
  uint8_t First = uint8_t(Code);
  if (!Put(&First, 1)) return TDecodeResult::WriteError;

  for (;;) {
    if (Free > MaxCode) {
      if (!Rd.SkipGroup()) return Finish(TDecodeResult::Ok);
      Rd.Size++;
      MaxCode = Rd.Size == MaxBits ? Limit : (1u << Rd.Size) - 1;
    }
    switch (Rd.Get(Code)) {
      case TCodeReader::End: return Finish(TDecodeResult::Ok);
      case TCodeReader::Cut: return Finish(TDecodeResult::Truncated);
      default: break;
    }
    if (Block && Code == 256) {
      if (!Rd.SkipGroup()) return Finish(TDecodeResult::Ok);
      Free = 256;
      Rd.Size = 9;
      MaxCode = Top9();
      continue;
    }
    if (Code > Free) return Finish(TDecodeResult::Truncated);
    size_t Top = sizeof FStack;
    uint32_t C = Code;
    if (Code == Free) {
      // The string being defined: the previous one plus its own first byte.
      FStack[--Top] = First;
      C = Prev;
    }
    while (C >= 256) {
      if (Top == 0 || C >= Free + 1) return Finish(TDecodeResult::Truncated);
      FStack[--Top] = FSuffix[C];
      C = FPrefix[C];
    }
    if (Top == 0) return Finish(TDecodeResult::Truncated);
    FStack[--Top] = uint8_t(C);
    First = uint8_t(C);
    if (!Put(FStack + Top, sizeof FStack - Top)) return TDecodeResult::WriteError;
    if (Free < Limit) {
      FPrefix[Free] = uint16_t(Prev);
      FSuffix[Free] = First;
      Free++;
    }
    Prev = Code;
  }
}

TDecodeResult LzwDecode(TByteSource& Src, TByteSink& Sink) {
  auto In = std::make_unique<TBitInput>();
  auto D = std::make_unique<TLzwDecoder>();
  In->Reset(&Src);
  return D->Run(*In, Sink);
}
