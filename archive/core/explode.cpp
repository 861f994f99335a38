#include "archive/core/explode.h"

#include <algorithm>
#include <memory>

TDecodeResult TExploder::ReadTree(TBitInput& In, TTree& T, unsigned N) {
  // The lengths come run-length coded: a byte count, then bytes of
  // (count - 1) << 4 | (length - 1).
  uint8_t Lens[256];
  uint32_t Bytes;
  if (!In.Get(8, Bytes)) return TDecodeResult::Truncated;
  unsigned Filled = 0;
  for (unsigned b = 0; b <= Bytes; b++) {
    uint32_t V;
    if (!In.Get(8, V)) return TDecodeResult::Truncated;
    unsigned Len = (V & 15) + 1, Cnt = (V >> 4) + 1;
    if (Filled + Cnt > N) return TDecodeResult::BadBlock;
    for (unsigned i = 0; i < Cnt; i++) Lens[Filled++] = uint8_t(Len);
  }
  if (Filled != N) return TDecodeResult::BadBlock;

  // Codes by the application note: sort by length keeping the stored order, hand out
  // 16-bit codes from the longest up, then read them bit-reversed.
  uint16_t Order[256];
  for (unsigned i = 0; i < N; i++) Order[i] = uint16_t(i);
  std::stable_sort(Order, Order + N, [&](uint16_t A, uint16_t B) { return Lens[A] < Lens[B]; });
  unsigned MaxLen = Lens[Order[N - 1]];
  uint32_t Code = 0, Inc = 0, LastLen = 0;
  uint32_t Space = 0;
  for (unsigned i = 0; i < N; i++) Space += 1u << (16 - Lens[i]);
  if (Space > 0x10000) return TDecodeResult::AmbiguousTree;
  T.MaxLen = MaxLen;
  std::fill(T.Table, T.Table + (1u << MaxLen), TTree::kNone);
  for (int i = int(N) - 1; i >= 0; i--) {
    Code += Inc;
    unsigned Sym = Order[i], L = Lens[Sym];
    if (L != LastLen) {
      LastLen = L;
      Inc = 1u << (16 - L);
    }
    if (Code > 0xFFFF) return TDecodeResult::AmbiguousTree;
    unsigned Rev = 0;
    for (unsigned b = 0; b < L; b++) Rev |= ((Code >> (15 - b)) & 1) << b;
    for (unsigned x = Rev; x < (1u << MaxLen); x += 1u << L) {
      // Two codes on one slot: one is a prefix of the other.
      if (T.Table[x] != TTree::kNone) return TDecodeResult::AmbiguousTree;
      T.Table[x] = uint16_t((Sym << 5) | L);
    }
  }
  return TDecodeResult::Ok;
}

TDecodeResult TExploder::Decode(TBitInput& In, const TTree& T, unsigned& Sym) {
  In.Fill(T.MaxLen);
  uint16_t E = T.Table[In.Peek(T.MaxLen)];
  if (E == TTree::kNone) return In.Overrun() ? TDecodeResult::Truncated : TDecodeResult::BadBlock;
  In.Drop(E & 31);
  if (In.Overrun()) return TDecodeResult::Truncated;
  Sym = E >> 5;
  return TDecodeResult::Ok;
}

TDecodeResult TExploder::Run(TBitInput& In, TDecodeWindow& Out, unsigned Flags, uint64_t Unpacked) {
  const bool BigDict = Flags & 2, Lit = Flags & 4;
  TDecodeResult R;
  if (Lit && (R = ReadTree(In, FLit, 256)) != TDecodeResult::Ok) return R;
  if ((R = ReadTree(In, FLen, 64)) != TDecodeResult::Ok) return R;
  if ((R = ReadTree(In, FDist, 64)) != TDecodeResult::Ok) return R;
  const unsigned LowBits = BigDict ? 7 : 6, MinMatch = Lit ? 3 : 2;
  const uint64_t Start = Out.Total();
  while (Out.Total() - Start < Unpacked) {
    if (!Out.Need(512)) return TDecodeResult::WriteError;
    uint32_t Bit;
    if (!In.Get(1, Bit)) return TDecodeResult::Truncated;
    if (Bit) {
      unsigned C;
      if (Lit) {
        if ((R = Decode(In, FLit, C)) != TDecodeResult::Ok) return R;
      } else {
        uint32_t V;
        if (!In.Get(8, V)) return TDecodeResult::Truncated;
        C = V;
      }
      *Out.Pos++ = uint8_t(C);
      continue;
    }
    uint32_t Low;
    unsigned High, Len;
    if (!In.Get(LowBits, Low)) return TDecodeResult::Truncated;
    if ((R = Decode(In, FDist, High)) != TDecodeResult::Ok) return R;
    if ((R = Decode(In, FLen, Len)) != TDecodeResult::Ok) return R;
    if (Len == 63) {
      uint32_t More;
      if (!In.Get(8, More)) return TDecodeResult::Truncated;
      Len += More;
    }
    Len += MinMatch;
    // At most 8192 back; before the start the dictionary reads as zeros.
    size_t Dist = ((size_t(High) << LowBits) | Low) + 1;
    size_t N = std::min<uint64_t>(Len, Unpacked - (Out.Total() - Start));
    CopyMatch(Out.Pos, Dist, N);
  }
  return TDecodeResult::Ok;
}

TDecodeResult Explode(TByteSource& Src, TByteSink& Sink, unsigned Flags, uint64_t Unpacked) {
  auto In = std::make_unique<TBitInput>();
  auto Out = std::make_unique<TDecodeWindow>();
  auto E = std::make_unique<TExploder>();
  In->Reset(&Src);
  Out->Reset(&Sink);
  TDecodeResult R = E->Run(*In, *Out, Flags, Unpacked);
  if (R != TDecodeResult::WriteError && !Out->Finish()) R = TDecodeResult::WriteError;
  return R;
}
