#include "archive/core/arc_decoder.h"

#include <cstring>
#include <memory>

namespace {

constexpr uint8_t Dle = 0x90;  // run-length marker
constexpr uint32_t BlockSize = 32768;

// Input in blocks, output in blocks through the run-length stage, and the stated size as
// a hard limit on the output.
struct TArcIo {
  TArcIo(TByteSource& S, TByteSink& K, uint32_t Size) : Src(S), Sink(K), Left(Size) {}

  TByteSource& Src;
  TByteSink& Sink;
  uint8_t In[BlockSize];
  uint32_t InPos = 0, InLen = 0;
  bool InEnd = false;
  uint8_t Out[BlockSize];
  uint32_t OutLen = 0;
  uint64_t Left;
  bool Full = false, WriteFailed = false;
  bool Rle = false;       // output passes the run-length stage
  bool RleCount = false;  // the byte after 0x90 is due
  uint8_t Last = 0;       // the byte a run repeats

  // Next packed byte, -1 at the end of the data.
  int NextByte() { return InPos < InLen ? In[InPos++] : Refill(); }
  int Refill() {
    if (InEnd) return -1;
    size_t N = Src.Read(In, BlockSize);
    if (N == 0 || N > BlockSize) {
      InEnd = true;
      return -1;
    }
    InLen = uint32_t(N);
    InPos = 1;
    return In[0];
  }
  bool Stop() const { return Full || WriteFailed; }

  void Flush() {
    if (OutLen && !WriteFailed && !Sink.Write(Out, OutLen)) WriteFailed = true;
    OutLen = 0;
  }
  void PutByte(uint8_t B) {
    if (Left == 0) {
      Full = true;
      return;
    }
    Out[OutLen++] = B;
    Left--;
    if (OutLen == BlockSize) Flush();
  }
  void PutRle(uint8_t B) {
    if (!RleCount) {
      if (B == Dle) {
        RleCount = true;
      } else {
        PutByte(B);
        Last = B;
      }
      return;
    }
    RleCount = false;
    if (B == 0) {
      PutByte(Dle);
    } else {
      for (int N = B - 1; N > 0 && !Full; N--) PutByte(Last);
    }
  }
  void Emit(uint8_t B) { Rle ? PutRle(B) : PutByte(B); }
};

void DecodeStored(TArcIo& Io) {
  for (int C; !Io.Stop() && (C = Io.NextByte()) >= 0;) {
    Io.PutByte(uint8_t(C));
    // The rest of the block in one go.
    while (Io.InPos < Io.InLen && Io.Left > 0 && !Io.WriteFailed) {
      uint32_t N = Io.InLen - Io.InPos;
      if (N > BlockSize - Io.OutLen) N = BlockSize - Io.OutLen;
      if (N > Io.Left) N = uint32_t(Io.Left);
      memcpy(Io.Out + Io.OutLen, Io.In + Io.InPos, N);
      Io.OutLen += N;
      Io.InPos += N;
      Io.Left -= N;
      if (Io.OutLen == BlockSize) Io.Flush();
    }
  }
}

void DecodePacked(TArcIo& Io) {
  for (int C; !Io.Stop() && (C = Io.NextByte()) >= 0;) Io.PutRle(uint8_t(C));
}

TDecodeResult DecodeSqueezed(TArcIo& Io) {
  int Lo = Io.NextByte(), Hi = Io.NextByte();
  if (Lo < 0 || Hi < 0) return TDecodeResult::Truncated;
  int Count = int16_t(uint16_t(Lo | (Hi << 8)));
  if (Count < 0 || Count > 256) return TDecodeResult::BadData;
  int16_t Node[256][2];
  Node[0][0] = Node[0][1] = -257;  // an empty tree: the first code is the end
  for (int I = 0; I < Count; I++)
    for (int J = 0; J < 2; J++) {
      Lo = Io.NextByte();
      Hi = Io.NextByte();
      if (Lo < 0 || Hi < 0) return TDecodeResult::Truncated;
      int V = int16_t(uint16_t(Lo | (Hi << 8)));
      // A child is a node of the tree or a leaf -1 (byte 0) .. -257 (end of data).
      if (V < -257 || V >= Count) return TDecodeResult::BadData;
      Node[I][J] = int16_t(V);
    }
  int Cur = 0, BitPos = 8;
  while (!Io.Stop()) {
    int I = 0;
    while (I >= 0) {
      if (BitPos == 8) {
        Cur = Io.NextByte();
        if (Cur < 0) return TDecodeResult::Ok;
        BitPos = 0;
      }
      I = Node[I][(Cur >> BitPos) & 1];
      BitPos++;
    }
    int V = -(I + 1);
    if (V == 256) break;
    Io.PutRle(uint8_t(V));
  }
  return TDecodeResult::Ok;
}

// ---- Crunch: fixed 12-bit codes over a hashed string table ----------------------------

constexpr unsigned CrunchSize = 4096;
constexpr uint16_t NoPred = 0xFFFF;

struct TCrunchEntry {
  bool Used;
  uint16_t Next;  // next entry of the same hash chain, 0 for none
  uint16_t Pred;
  uint8_t Follower;
};

struct TCrunch {
  TCrunchEntry Tab[CrunchSize];
  uint8_t Stack[CrunchSize + 1];
  unsigned Entries = 0;
  bool NewHash = false;
  int Nibble = -1;  // low half of a byte that starts the next code

  unsigned Hash(unsigned Pred, unsigned Foll) const {
    uint32_t S = (Pred + Foll) & 0xFFFF;
    if (NewHash) return (S * 15073u) & 0xFFF;
    S |= 0x800;
    return ((S * S) >> 6) & 0xFFF;
  }
  // Where (Pred, Foll) goes: its hash slot, or past the end of that slot's chain the first
  // free entry from 101 further on. LinkFrom is the chain end to link it from, or -1.
  unsigned Slot(unsigned Pred, unsigned Foll, int& LinkFrom) const {
    unsigned H = Hash(Pred, Foll);
    LinkFrom = -1;
    if (!Tab[H].Used) return H;
    for (unsigned Guard = 0; Tab[H].Next != 0 && Guard < CrunchSize; Guard++) H = Tab[H].Next;
    LinkFrom = int(H);
    unsigned N = (H + 101) & 0xFFF;
    while (Tab[N].Used) N = (N + 1) & 0xFFF;  // callers keep a free entry
    return N;
  }
  void Add(unsigned At, int LinkFrom, unsigned Pred, unsigned Foll) {
    if (LinkFrom >= 0) Tab[LinkFrom].Next = uint16_t(At);
    Tab[At] = {true, 0, uint16_t(Pred), uint8_t(Foll)};
    Entries++;
  }
  void Init(bool New) {
    NewHash = New;
    memset(Tab, 0, sizeof Tab);
    Entries = 0;
    for (unsigned C = 0; C < 256; C++) {
      int Link;
      unsigned At = Slot(NoPred, C, Link);
      Add(At, Link, NoPred, C);
    }
  }
  // Two codes in three bytes: 8 + 4 bits, then 4 + 8 bits.
  int GetCode(TArcIo& Io) {
    if (Nibble < 0) {
      int A = Io.NextByte();
      if (A < 0) return -1;
      int B = Io.NextByte();
      if (B < 0) return -1;
      Nibble = B & 0x0F;
      return (A << 4) | (B >> 4);
    }
    int A = Io.NextByte();
    if (A < 0) return -1;
    int Code = (Nibble << 8) | A;
    Nibble = -1;
    return Code;
  }
};

TDecodeResult DecodeCrunched(TArcIo& Io, bool NewHash) {
  auto C = std::make_unique<TCrunch>();
  C->Init(NewHash);
  int Code = C->GetCode(Io);
  if (Code < 0) return TDecodeResult::Ok;
  if (!C->Tab[Code].Used) return TDecodeResult::InvalidCode;
  unsigned OldCode = unsigned(Code);
  uint8_t FinChar = C->Tab[Code].Follower;
  Io.Emit(FinChar);
  uint8_t* Top = C->Stack + sizeof C->Stack;
  while (!Io.Stop() && (Code = C->GetCode(Io)) >= 0) {
    unsigned InCode = unsigned(Code), Cur = InCode;
    uint8_t* Sp = Top;
    bool Room = C->Entries < CrunchSize;
    if (!C->Tab[Cur].Used) {
      // Only the string about to be added (the previous one and its own first byte) may
      // be used before it exists.
      int Link;
      if (!Room || C->Slot(OldCode, FinChar, Link) != Cur) return TDecodeResult::InvalidCode;
      *--Sp = FinChar;
      Cur = OldCode;
    }
    while (C->Tab[Cur].Pred != NoPred) {
      if (Sp == C->Stack) return TDecodeResult::StackOverflow;
      *--Sp = C->Tab[Cur].Follower;
      Cur = C->Tab[Cur].Pred;
    }
    if (Sp == C->Stack) return TDecodeResult::StackOverflow;
    FinChar = C->Tab[Cur].Follower;
    *--Sp = FinChar;
    while (Sp < Top) Io.Emit(*Sp++);
    if (Room) {
      int Link;
      unsigned At = C->Slot(OldCode, FinChar, Link);
      C->Add(At, Link, OldCode, FinChar);
    }
    OldCode = InCode;
  }
  return TDecodeResult::Ok;
}

// ---- Dynamic LZW of 9 to 12 or 13 bits, read in groups as wide as the code ------------

struct TLzw {
  static constexpr unsigned Size = 8192;
  uint16_t Prefix[Size];
  uint8_t Suffix[Size];
  uint8_t Stack[Size + 1];
  unsigned MaxBits = 12, MaxMaxCode = 4096;
  unsigned NBits = 9, MaxCode = 511, FreeEnt = 257;
  bool ClearFlag = false;
  uint8_t Buf[16];
  int Offset = 0, BitSize = 0;

  int GetCode(TArcIo& Io) {
    if (ClearFlag || Offset >= BitSize || FreeEnt > MaxCode) {
      if (FreeEnt > MaxCode) {
        NBits++;
        MaxCode = NBits == MaxBits ? MaxMaxCode : (1u << NBits) - 1;
      }
      if (ClearFlag) {
        NBits = 9;
        MaxCode = 511;
        ClearFlag = false;
      }
      memset(Buf, 0, sizeof Buf);
      unsigned N = 0;
      for (int B; N < NBits && (B = Io.NextByte()) >= 0;) Buf[N++] = uint8_t(B);
      Offset = 0;
      BitSize = int(N * 8) - int(NBits - 1);
      if (BitSize <= 0) return -1;  // not one whole code left
    }
    unsigned I = unsigned(Offset) >> 3;
    uint32_t V = Buf[I] | (uint32_t(Buf[I + 1]) << 8) | (uint32_t(Buf[I + 2]) << 16);
    Offset += int(NBits);
    return int((V >> (unsigned(Offset - int(NBits)) & 7)) & ((1u << NBits) - 1));
  }
};

TDecodeResult DecodeLzw(TArcIo& Io, unsigned MaxBits) {
  auto L = std::make_unique<TLzw>();
  memset(L->Prefix, 0, sizeof L->Prefix);
  memset(L->Suffix, 0, sizeof L->Suffix);
  L->MaxBits = MaxBits;
  L->MaxMaxCode = 1u << MaxBits;
  int Code = L->GetCode(Io);
  if (Code < 0) return TDecodeResult::Ok;
  if (Code > 255) return TDecodeResult::InvalidCode;
  unsigned OldCode = unsigned(Code);
  uint8_t FinChar = uint8_t(Code);
  Io.Emit(FinChar);
  uint8_t* Top = L->Stack + sizeof L->Stack;
  while (!Io.Stop() && (Code = L->GetCode(Io)) >= 0) {
    if (Code == 256) {
      L->ClearFlag = true;
      L->FreeEnt = 256;
      Code = L->GetCode(Io);
      if (Code < 0) break;
    }
    unsigned InCode = unsigned(Code), Cur = InCode;
    if (Cur > L->FreeEnt) return TDecodeResult::InvalidCode;
    uint8_t* Sp = Top;
    if (Cur == L->FreeEnt) {
      *--Sp = FinChar;
      Cur = OldCode;
    }
    while (Cur >= 256) {
      // Entries left over from before a clear can chain into a loop: bound the walk.
      if (Sp == L->Stack) return TDecodeResult::InvalidCode;
      *--Sp = L->Suffix[Cur];
      Cur = L->Prefix[Cur];
    }
    if (Sp == L->Stack) return TDecodeResult::InvalidCode;
    FinChar = uint8_t(Cur);
    *--Sp = FinChar;
    while (Sp < Top) Io.Emit(*Sp++);
    if (L->FreeEnt < L->MaxMaxCode) {
      L->Prefix[L->FreeEnt] = uint16_t(OldCode);
      L->Suffix[L->FreeEnt] = FinChar;
      L->FreeEnt++;
    }
    OldCode = InCode;
  }
  return TDecodeResult::Ok;
}

}  // namespace

bool ArcMethodSupported(int Method) { return Method >= 1 && Method <= 9; }

TDecodeResult ArcDecodeEntry(int Method, TByteSource& Src, TByteSink& Sink, uint32_t UnpackedSize) {
  auto Io = std::make_unique<TArcIo>(Src, Sink, UnpackedSize);
  TDecodeResult R = TDecodeResult::Ok;
  switch (Method) {
    case 1:
    case 2:
      DecodeStored(*Io);
      break;
    case 3:
      DecodePacked(*Io);
      break;
    case 4:
      R = DecodeSqueezed(*Io);
      break;
    case 5:
    case 6:
    case 7:
      Io->Rle = Method != 5;
      R = DecodeCrunched(*Io, Method == 7);
      break;
    case 8: {
      int Bits = Io->NextByte();
      if (Bits < 0) break;
      if (Bits != 12) return TDecodeResult::BadMaxBits;
      Io->Rle = true;
      R = DecodeLzw(*Io, 12);
      break;
    }
    case 9:
      R = DecodeLzw(*Io, 13);
      break;
    default:
      return TDecodeResult::BadData;
  }
  Io->Flush();
  if (Io->WriteFailed) return TDecodeResult::WriteError;
  return R;
}
