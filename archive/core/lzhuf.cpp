#include "archive/core/lzhuf.h"

#include <cstring>
#include <memory>

#include "archive/core/lzh_decoder.h"

namespace {

constexpr int N = 4096;             // ring size
constexpr int F = 60;               // look-ahead
constexpr int Threshold = 2;
constexpr int NChar = 256 - Threshold + F;  // 314 symbols
constexpr int T = NChar * 2 - 1;    // 627 tree nodes
constexpr int R = T - 1;            // root
constexpr unsigned MaxFreq = 0x8000;
constexpr uint32_t OutBlock = 32768;

struct TCodeTables {
  uint8_t Code[256], Len[256];
  TCodeTables() {
    // Upper six bits of a position: 32 codes of 3 bits, then runs of 16, 8, 4, 2 and 1
    // entries per value with lengths 4 to 8.
    static const int Runs[][3] = {{1, 32, 3}, {3, 16, 4}, {8, 8, 5}, {12, 4, 6}, {24, 2, 7}, {16, 1, 8}};
    int I = 0, C = 0;
    for (const auto& Run : Runs)
      for (int V = 0; V < Run[0]; V++, C++)
        for (int K = 0; K < Run[1]; K++, I++) {
          Code[I] = uint8_t(C);
          Len[I] = uint8_t(Run[2]);
        }
  }
};
const TCodeTables Tables;

struct TLh1State {
  uint16_t Freq[T + 1];
  uint16_t Prnt[T + NChar];
  uint16_t Son[T];
  uint8_t Text[N];
  uint8_t Out[OutBlock];
  uint32_t OutLen = 0;

  void StartHuff() {
    for (int I = 0; I < NChar; I++) {
      Freq[I] = 1;
      Son[I] = uint16_t(I + T);
      Prnt[I + T] = uint16_t(I);
    }
    for (int I = 0, J = NChar; J <= R; I += 2, J++) {
      Freq[J] = uint16_t(Freq[I] + Freq[I + 1]);
      Son[J] = uint16_t(I);
      Prnt[I] = Prnt[I + 1] = uint16_t(J);
    }
    Freq[T] = 0xFFFF;
    Prnt[R] = 0;
  }

  // Halves the frequencies and rebuilds the tree once the root reaches MaxFreq.
  void Reconst() {
    int J = 0;
    for (int I = 0; I < T; I++)
      if (Son[I] >= T) {
        Freq[J] = uint16_t((Freq[I] + 1) / 2);
        Son[J] = Son[I];
        J++;
      }
    for (int I = 0, J2 = NChar; J2 < T; I += 2, J2++) {
      unsigned Fr = unsigned(Freq[I]) + Freq[I + 1];
      int K = J2 - 1;
      while (Fr < Freq[K]) K--;
      K++;
      memmove(&Freq[K + 1], &Freq[K], size_t(J2 - K) * sizeof Freq[0]);
      Freq[K] = uint16_t(Fr);
      memmove(&Son[K + 1], &Son[K], size_t(J2 - K) * sizeof Son[0]);
      Son[K] = uint16_t(I);
    }
    for (int I = 0; I < T; I++) {
      int K = Son[I];
      if (K >= T)
        Prnt[K] = uint16_t(I);
      else
        Prnt[K] = Prnt[K + 1] = uint16_t(I);
    }
  }

  void Update(int C) {
    if (Freq[R] == MaxFreq) Reconst();
    C = Prnt[C + T];
    do {
      unsigned K = ++Freq[C];
      int L = C + 1;
      if (K > Freq[L]) {
        while (K > Freq[++L]) {
        }
        L--;
        Freq[C] = Freq[L];
        Freq[L] = uint16_t(K);
        int I = Son[C];
        Prnt[I] = uint16_t(L);
        if (I < T) Prnt[I + 1] = uint16_t(L);
        int J = Son[L];
        Son[L] = uint16_t(I);
        Prnt[J] = uint16_t(C);
        if (J < T) Prnt[J + 1] = uint16_t(C);
        Son[C] = uint16_t(J);
        C = L;
      }
    } while ((C = Prnt[C]) != 0);
  }
};

}  // namespace

TDecodeResult Lh1Decode(TByteSource& Src, TByteSink& Sink, uint32_t UnpackedSize) {
  if (UnpackedSize == 0) return TDecodeResult::Ok;
  auto S = std::make_unique<TLh1State>();
  TLzhBitReader B;
  LzhInitGetBits(B, &Src);
  S->StartHuff();
  memset(S->Text, ' ', N - F);
  uint32_t Pos = N - F;

  auto Put = [&](uint8_t C) -> bool {
    S->Out[S->OutLen++] = C;
    S->Text[Pos] = C;
    Pos = (Pos + 1) & (N - 1);
    if (S->OutLen == OutBlock) {
      if (!Sink.Write(S->Out, OutBlock)) return false;
      S->OutLen = 0;
    }
    return true;
  };

  uint64_t Count = 0;
  while (Count < UnpackedSize) {
    // Symbol: walk from the root, one bit per level.
    unsigned C = S->Son[R];
    while (C < unsigned(T)) {
      C = S->Son[C + (B.Bits >> 31)];
      LzhFillBuf(B, 1);
    }
    C -= T;
    S->Update(int(C));
    if (C < 256) {
      if (!Put(uint8_t(C))) return TDecodeResult::WriteError;
      Count++;
    } else {
      // Position: the upper six bits from a prefix code over the next byte, then six more.
      unsigned I = LzhGetBits(B, 8);
      unsigned Upper = unsigned(Tables.Code[I]) << 6;
      int More = Tables.Len[I] - 2;
      I = ((I << More) | LzhGetBits(B, More)) & 0x3F;
      unsigned From = (Pos - (Upper | I) - 1) & (N - 1);
      unsigned Len = C - 255 + Threshold;
      for (unsigned K = 0; K < Len; K++)
        if (!Put(S->Text[(From + K) & (N - 1)])) return TDecodeResult::WriteError;
      Count += Len;
    }
    if (B.FOverrun) return TDecodeResult::Truncated;
  }
  if (B.Overrun()) return TDecodeResult::Truncated;
  if (S->OutLen && !Sink.Write(S->Out, S->OutLen)) return TDecodeResult::WriteError;
  return TDecodeResult::Ok;
}
