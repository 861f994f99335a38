#include "archive/core/lzh_decoder.h"

#include <cstring>

// ---- Bit input ------------------------------------------------------------------------

uint32_t TLzhBitReader::FetchSlow() {
  if (!Eof) {
    size_t N = Src ? Src->Read(Buf.get(), kBufSize) : 0;
    if (N > kBufSize) N = kBufSize;
    if (N) {
      Pos = 1;
      Len = uint32_t(N);
      Real++;
      return Buf[0];
    }
    Eof = true;
    Pos = Len = 0;
  }
  // Padding: up to four bytes can stand in the buffer unconsumed; a byte fetched while
  // the decoder has already used more bits than the input had means it ran out.
  if (ConsumedBits() > Real * 8) FOverrun = true;
  Pad++;
  return 0;
}

void LzhInitGetBits(TLzhBitReader& B, TByteSource* Src) {
  if (!B.Buf) B.Buf.reset(new uint8_t[TLzhBitReader::kBufSize]);
  B.Src = Src;
  B.Pos = B.Len = 0;
  B.Bits = 0;
  B.Count = 0;
  B.Real = B.Pad = 0;
  B.Eof = false;
  B.FOverrun = false;
  B.Fill();
}

// ---- Tables ---------------------------------------------------------------------------

namespace {

// Canonical Huffman table: direct look-up by the top TableBits bits, longer codes continue
// in the Left/Right node arrays. Lengths must be 0..16 and form a complete code (or all be
// zero, which older encoders write for an unused table).
bool MakeTable(TLzhDecoder& D, int NChar, const uint8_t* BitLen, int TableBits, uint16_t* Table) {
  uint32_t Count[17] = {}, Weight[17], Start[18];
  for (int I = 0; I < NChar; I++) {
    if (BitLen[I] > 16) return false;
    Count[BitLen[I]]++;
  }
  Start[1] = 0;
  for (int I = 1; I <= 16; I++) Start[I + 1] = Start[I] + (Count[I] << (16 - I));
  // 32-bit sums: an over-full set must not wrap round to look complete.
  if (Start[17] != 0x10000 && Start[17] != 0) return false;

  int JutBits = 16 - TableBits;
  for (int I = 1; I <= TableBits; I++) {
    Start[I] >>= JutBits;
    Weight[I] = 1u << (TableBits - I);
  }
  for (int I = TableBits + 1; I <= 16; I++) Weight[I] = 1u << (16 - I);

  uint32_t I = Start[TableBits + 1] >> JutBits;
  uint32_t TableSize = 1u << TableBits;
  if (Start[17] == 0) I = 0;  // nothing assigned: clear it all
  while (I < TableSize) Table[I++] = 0;

  int Avail = NChar;
  uint32_t Mask = 1u << (15 - TableBits);
  for (int Ch = 0; Ch < NChar; Ch++) {
    int Len = BitLen[Ch];
    if (Len == 0) continue;
    uint32_t NextCode = Start[Len] + Weight[Len];
    if (Len <= TableBits) {
      for (uint32_t K = Start[Len]; K < NextCode; K++) Table[K] = uint16_t(Ch);
    } else {
      uint32_t K = Start[Len];
      uint16_t* P = &Table[K >> JutBits];
      for (int N = Len - TableBits; N > 0; N--) {
        if (*P == 0) {
          if (Avail >= 2 * TLzhDecoder::NC) return false;
          D.Right[Avail] = D.Left[Avail] = 0;
          *P = uint16_t(Avail++);
        }
        if (*P >= 2 * TLzhDecoder::NC) return false;
        P = (K & Mask) ? &D.Right[*P] : &D.Left[*P];
        K <<= 1;
      }
      *P = uint16_t(Ch);
    }
    Start[Len] = NextCode;
  }
  return true;
}

// Lengths of the code-length code (NN = 19, NBit = 5, Special = 3) or of the position code
// (NN = Np, NBit = PBit, Special = -1).
bool ReadPtLen(TLzhDecoder& D, int NN, int NBit, int Special) {
  TLzhBitReader& B = D.In;
  int N = int(LzhGetBits(B, NBit));
  if (N == 0) {
    int C = int(LzhGetBits(B, NBit));
    if (C >= NN) return false;
    memset(D.PtLen, 0, sizeof D.PtLen);
    for (uint16_t& E : D.PtTable) E = uint16_t(C);
    return true;
  }
  if (N > NN) return false;
  int I = 0;
  while (I < N) {
    int C = int(B.Peek(3));
    if (C == 7) {
      uint32_t Mask = 1u << 28;  // the bit after the three
      while (B.Bits & Mask) {
        Mask >>= 1;
        if (++C > 16) return false;
      }
    }
    LzhFillBuf(B, C < 7 ? 3 : C - 3);
    D.PtLen[I++] = uint8_t(C);
    if (I == Special) {
      int Zeros = int(LzhGetBits(B, 2));
      while (Zeros-- > 0) {
        if (I >= NN) return false;
        D.PtLen[I++] = 0;
      }
    }
  }
  while (I < NN) D.PtLen[I++] = 0;
  return MakeTable(D, NN, D.PtLen, 8, D.PtTable);
}

bool ReadCLen(TLzhDecoder& D) {
  TLzhBitReader& B = D.In;
  constexpr int NC = TLzhDecoder::NC, NT = TLzhDecoder::NT;
  int N = int(LzhGetBits(B, 9));
  if (N == 0) {
    int C = int(LzhGetBits(B, 9));
    if (C >= NC) return false;
    memset(D.CLen, 0, sizeof D.CLen);
    for (uint16_t& E : D.CTable) E = uint16_t(C);
    return true;
  }
  if (N > NC) return false;
  int I = 0;
  while (I < N) {
    int C = D.PtTable[B.Peek(8)];
    if (C >= NT) {
      uint32_t Mask = 1u << 23;
      do {
        if (C >= 2 * NC || Mask == 0) return false;
        C = (B.Bits & Mask) ? D.Right[C] : D.Left[C];
        Mask >>= 1;
      } while (C >= NT);
    }
    LzhFillBuf(B, D.PtLen[C]);
    if (C <= 2) {
      int Run = C == 0 ? 1 : C == 1 ? int(LzhGetBits(B, 4)) + 3 : int(LzhGetBits(B, 9)) + 20;
      if (I + Run > NC) return false;
      while (Run-- > 0) D.CLen[I++] = 0;
    } else {
      D.CLen[I++] = uint8_t(C - 2);
    }
  }
  while (I < NC) D.CLen[I++] = 0;
  return MakeTable(D, NC, D.CLen, 12, D.CTable);
}

// Next literal/length symbol; -1 at the end of the data or on an error (D.Error).
inline int DecodeC(TLzhDecoder& D) {
  TLzhBitReader& B = D.In;
  if (D.BlockSize == 0) {
    D.BlockSize = uint16_t(LzhGetBits(B, 16));
    if (D.BlockSize == 0) {
      D.EndFlag = true;
      return -1;
    }
    if (!ReadPtLen(D, TLzhDecoder::NT, 5, 3) || !ReadCLen(D) || !ReadPtLen(D, D.Np, D.PBit, -1)) {
      D.Error = B.Overrun() ? TDecodeResult::Truncated : TDecodeResult::IncompleteCodeSet;
      return -1;
    }
  }
  D.BlockSize--;
  int J = D.CTable[B.Peek(12)];
  if (J >= TLzhDecoder::NC) {
    uint32_t Mask = 1u << 19;
    do {
      J = (B.Bits & Mask) ? D.Right[J] : D.Left[J];
      Mask >>= 1;
    } while (J >= TLzhDecoder::NC);
  }
  LzhFillBuf(B, D.CLen[J]);
  return J;
}

inline uint32_t DecodeP(TLzhDecoder& D) {
  TLzhBitReader& B = D.In;
  int J = D.PtTable[B.Peek(8)];
  if (J >= D.Np) {
    uint32_t Mask = 1u << 23;
    do {
      J = (B.Bits & Mask) ? D.Right[J] : D.Left[J];
      Mask >>= 1;
    } while (J >= D.Np);
  }
  LzhFillBuf(B, D.PtLen[J]);
  if (J == 0) return 0;
  return (1u << (J - 1)) + LzhGetBits(B, J - 1);
}

// Copies Len bytes from Pos + 1 back into the window at R, writing out each full window.
inline bool CopyMatch(uint8_t* Win, uint32_t W, uint32_t& R, uint32_t Pos, uint32_t Len, TByteSink& Sink) {
  uint32_t I = R >= Pos + 1 ? R - Pos - 1 : R + W - Pos - 1;
  if (I < R && R + Len <= W) {
    uint8_t* Dst = Win + R;
    const uint8_t* Src = Win + I;
    if (R - I >= Len) {
      memcpy(Dst, Src, Len);
    } else {
      for (uint32_t K = 0; K < Len; K++) Dst[K] = Src[K];
    }
    R += Len;
    if (R == W) {
      if (!Sink.Write(Win, W)) return false;
      R = 0;
    }
    return true;
  }
  while (Len-- > 0) {
    Win[R++] = Win[I++];
    if (R == W) {
      if (!Sink.Write(Win, W)) return false;
      R = 0;
    }
    if (I == W) I = 0;
  }
  return true;
}

}  // namespace

// ---- Entry points ---------------------------------------------------------------------

void LzhInit(TLzhDecoder& D, uint8_t CrcKind, uint8_t DicBit, uint8_t PBit, uint8_t Mode) {
  D.CrcKind = CrcKind;
  D.DicBit = DicBit > 16 ? 16 : DicBit;
  D.PBit = PBit > 5 ? 5 : PBit;
  D.Mode = Mode;
  D.Np = D.DicBit + 1;
  D.W = Mode == 5 ? 32768 : 26624;
  // Zeros: a match that reaches before the first byte reads a defined value.
  D.Window.reset(new uint8_t[32768]());
  if (!D.In.Buf) D.In.Buf.reset(new uint8_t[TLzhBitReader::kBufSize]);
}

void LzhDone(TLzhDecoder& D) {
  D.Window.reset();
  D.In.Buf.reset();
  D.In.Src = nullptr;
}

TDecodeResult LzhDecode(TLzhDecoder& D, TByteSource& Src, TByteSink& Sink, uint32_t UnpackedSize) {
  if (!D.Window) return TDecodeResult::BadData;
  D.BlockSize = 0;
  D.EndFlag = false;
  D.Error = TDecodeResult::Ok;
  if (UnpackedSize == 0) return TDecodeResult::Ok;
  LzhInitGetBits(D.In, &Src);

  uint8_t* Win = D.Window.get();
  const uint32_t W = D.W;
  uint32_t R = 0;
  uint64_t Count = 0;
  while (Count < UnpackedSize) {
    int C = DecodeC(D);
    if (C < 0) {
      if (D.Error != TDecodeResult::Ok) return D.Error;
      break;  // a block size of 0 ends the data
    }
    if (C < 256) {
      Win[R++] = uint8_t(C);
      Count++;
      if (R == W) {
        if (!Sink.Write(Win, W)) return TDecodeResult::WriteError;
        R = 0;
      }
    } else {
      uint32_t Len = uint32_t(C) - 253;
      uint32_t Pos = DecodeP(D);
      if (Pos >= W) return TDecodeResult::BadData;
      Count += Len;
      if (!CopyMatch(Win, W, R, Pos, Len, Sink)) return TDecodeResult::WriteError;
    }
    if (D.In.FOverrun) return TDecodeResult::Truncated;
  }
  if (D.In.Overrun()) return TDecodeResult::Truncated;
  if (R > 0 && !Sink.Write(Win, R)) return TDecodeResult::WriteError;
  return TDecodeResult::Ok;
}

TDecodeResult ArjDecodeFast(TLzhDecoder& D, TByteSource& Src, TByteSink& Sink, uint32_t UnpackedSize) {
  if (!D.Window) return TDecodeResult::BadData;
  if (UnpackedSize == 0) return TDecodeResult::Ok;
  TLzhBitReader& B = D.In;
  LzhInitGetBits(B, &Src);

  constexpr uint32_t W = 26624;
  uint8_t* Win = D.Window.get();
  uint32_t R = 0;
  uint64_t Count = 0;
  while (Count < UnpackedSize) {
    // Length: up to seven 1 bits, ended by a 0 unless all seven are there.
    int N = 0;
    while (N < 7 && (B.Bits & (0x80000000u >> N))) N++;
    LzhFillBuf(B, N < 7 ? N + 1 : 7);
    uint32_t C = (1u << N) - 1 + LzhGetBits(B, N);
    if (C == 0) {
      Win[R++] = uint8_t(LzhGetBits(B, 8));
      Count++;
      if (R == W) {
        if (!Sink.Write(Win, W)) return TDecodeResult::WriteError;
        R = 0;
      }
    } else {
      uint32_t Len = C + 2;
      // Position: up to four 1 bits, each doubling the base of 512.
      int P = 0;
      while (P < 4 && (B.Bits & (0x80000000u >> P))) P++;
      LzhFillBuf(B, P < 4 ? P + 1 : 4);
      uint32_t Pos = 512 * ((1u << P) - 1) + LzhGetBits(B, 9 + P);
      Count += Len;
      if (!CopyMatch(Win, W, R, Pos, Len, Sink)) return TDecodeResult::WriteError;
    }
    if (B.FOverrun) return TDecodeResult::Truncated;
  }
  if (B.Overrun()) return TDecodeResult::Truncated;
  if (R > 0 && !Sink.Write(Win, R)) return TDecodeResult::WriteError;
  return TDecodeResult::Ok;
}
