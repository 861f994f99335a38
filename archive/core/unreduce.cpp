#include "archive/core/unreduce.h"

#include <algorithm>
#include <memory>

namespace {
unsigned IndexBits(unsigned N) {
  return N <= 2 ? 1 : N <= 4 ? 2 : N <= 8 ? 3 : N <= 16 ? 4 : N <= 32 ? 5 : 6;
}
}  // namespace

TDecodeResult TUnreducer::Run(TBitInput& In, TDecodeWindow& Out, unsigned Factor, uint64_t Unpacked) {
  if (Factor < 1 || Factor > 4) return TDecodeResult::BadData;
  for (int j = 255; j >= 0; j--) {
    uint32_t N;
    if (!In.Get(6, N)) return TDecodeResult::Truncated;
    FCount[j] = uint8_t(N);
    for (unsigned i = 0; i < N; i++) {
      uint32_t V;
      if (!In.Get(8, V)) return TDecodeResult::Truncated;
      FFollowers[j][i] = uint8_t(V);
    }
  }
  const unsigned LenMask = 0xFFu >> Factor;  // 0x7F, 0x3F, 0x1F, 0x0F
  unsigned Last = 0, State = 0, V = 0, Len = 0;
  const uint64_t Start = Out.Total();
  while (Out.Total() - Start < Unpacked) {
    uint32_t C;
    if (FCount[Last] == 0) {
      if (!In.Get(8, C)) return TDecodeResult::Truncated;
    } else {
      uint32_t Bit;
      if (!In.Get(1, Bit)) return TDecodeResult::Truncated;
      if (Bit) {
        if (!In.Get(8, C)) return TDecodeResult::Truncated;
      } else {
        uint32_t I;
        if (!In.Get(IndexBits(FCount[Last]), I)) return TDecodeResult::Truncated;
        if (I >= FCount[Last]) return TDecodeResult::BadData;
        C = FFollowers[Last][I];
      }
    }
    Last = C;
    if (!Out.Need(512)) return TDecodeResult::WriteError;
    switch (State) {
      case 0:
        if (C != 144)
          *Out.Pos++ = uint8_t(C);
        else
          State = 1;
        break;
      case 1:
        if (C) {
          V = C;
          Len = V & LenMask;
          State = Len == LenMask ? 2 : 3;
        } else {
          *Out.Pos++ = 144;
          State = 0;
        }
        break;
      case 2:
        Len += C;
        State = 3;
        break;
      default: {
        // Distances reach at most 4096 back; before the start the dictionary is zeros.
        size_t Dist = ((V >> (8 - Factor)) << 8) + C + 1;
        size_t N = std::min<uint64_t>(Len + 3, Unpacked - (Out.Total() - Start));
        CopyMatch(Out.Pos, Dist, N);
        State = 0;
      }
    }
  }
  return TDecodeResult::Ok;
}

TDecodeResult Unreduce(TByteSource& Src, TByteSink& Sink, unsigned Factor, uint64_t Unpacked) {
  auto In = std::make_unique<TBitInput>();
  auto Out = std::make_unique<TDecodeWindow>();
  auto U = std::make_unique<TUnreducer>();
  In->Reset(&Src);
  Out->Reset(&Sink);
  TDecodeResult R = U->Run(*In, *Out, Factor, Unpacked);
  if (R != TDecodeResult::WriteError && !Out->Finish()) R = TDecodeResult::WriteError;
  return R;
}
