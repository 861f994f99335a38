#include "tools/core/lzss_pack.h"

#include <array>
#include <cstring>
#include <memory>
#include <new>

namespace {

// ---- CRC-32 ---------------------------------------------------------------------------------

constexpr std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> Table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    Table[i] = c;
  }
  return Table;
}
constexpr std::array<uint32_t, 256> CrcTable = MakeCrcTable();

// ---- LZSS -----------------------------------------------------------------------------------

constexpr int RingSize = 4096;          // N
constexpr int MaxMatch = 18;            // F, the look-ahead
constexpr int Threshold = 2;            // a match this long or shorter is coded as a literal
constexpr int Nil = RingSize;           // the empty link; its slot in the arrays is scratch
constexpr int RootBase = RingSize + 1;  // right-child slots RootBase + c are the 256 roots
constexpr int BufSize = 262144;
constexpr int SplayDepth = 30;

struct TLzssStorage {
  uint8_t InBuf[BufSize];
  uint8_t OutBuf[BufSize];
  // The ring, mirrored for its first 17 bytes past the end so that string comparisons may
  // run over the wrap without masking.
  uint8_t Ring[RingSize + MaxMatch - 1];
  int32_t Left[RingSize + 1];
  int32_t Right[RingSize + 1 + 256];
  int32_t Parent[RingSize + 1];
};

class TLzssCoder {
public:
  TLzssStorage* S = nullptr;
  bool Busy = false;

  void Encode(const TLzssReadProc& Read, const TLzssWriteProc& Write);
  void Decode(const TLzssReadProc& Read, const TLzssWriteProc& Write);

private:
  void Start(const TLzssReadProc& Read, const TLzssWriteProc& Write);
  void Fill();
  int GetByte() {
    if (FInPos >= FInFill) {
      if (FEof) return -1;
      Fill();
      if (FEof) return -1;
    }
    return S->InBuf[FInPos++];
  }
  void PutByte(uint8_t B) {
    S->OutBuf[FOutFill++] = B;
    if (FOutFill == BufSize) Flush();
  }
  void PutBytes(const uint8_t* P, int Count) {
    for (int i = 0; i < Count; ++i) PutByte(P[i]);
  }
  void Flush();

  void InitTree();
  void InsertNode(int r);
  void DeleteNode(int p);
  void ReplaceChild(int Parent, int Old, int New);
  void Rotate(int x);
  void Splay(int x);

  const TLzssReadProc* FRead = nullptr;
  const TLzssWriteProc* FWrite = nullptr;
  int FInPos = 0, FInFill = 0, FOutFill = 0;
  bool FEof = false;
  int FMatchPos = 0, FMatchLen = 0;
  int FDepth = 0;
};

TLzssCoder Coder;

void TLzssCoder::Start(const TLzssReadProc& Read, const TLzssWriteProc& Write) {
  FRead = &Read;
  FWrite = &Write;
  FInPos = FInFill = BufSize;
  FOutFill = 0;
  FEof = false;
  std::memset(S->Ring, 0, sizeof(S->Ring));
}

void TLzssCoder::Fill() {
  int32_t n = (*FRead)(S->InBuf, BufSize);
  // A reader that claims more than it was given room for cannot have written it.
  if (n > BufSize) n = BufSize;
  if (n <= 0) {
    FEof = true;
    n = 0;
  }
  FInPos = 0;
  FInFill = n;
}

void TLzssCoder::Flush() {
  if (FOutFill > 0) {
    const int n = FOutFill;
    FOutFill = 0;
    (*FWrite)(S->OutBuf, n);
  }
}

// ---- Encoder: one binary search tree per first byte over the strings of the ring --------------

void TLzssCoder::InitTree() {
  for (int i = RootBase; i < RootBase + 256; ++i) S->Right[i] = Nil;
  for (int i = 0; i <= RingSize; ++i) S->Parent[i] = Nil;
  std::memset(S->Left, 0, sizeof(S->Left));
  for (int i = 0; i < RootBase; ++i) S->Right[i] = 0;
}

// A root slot holds its tree in the right link only.
void TLzssCoder::ReplaceChild(int Par, int Old, int New) {
  if (Par >= RootBase || S->Right[Par] == Old)
    S->Right[Par] = New;
  else
    S->Left[Par] = New;
}

void TLzssCoder::Rotate(int x) {
  int32_t* Left = S->Left;
  int32_t* Right = S->Right;
  int32_t* Parent = S->Parent;
  const int p = Parent[x];
  const int g = Parent[p];
  if (Left[p] == x) {
    const int b = Right[x];
    Left[p] = b;
    if (b != Nil) Parent[b] = p;
    Right[x] = p;
  } else {
    const int b = Left[x];
    Right[p] = b;
    if (b != Nil) Parent[b] = p;
    Left[x] = p;
  }
  Parent[p] = x;
  Parent[x] = g;
  ReplaceChild(g, p, x);
}

// Brings x to the root of its tree, so that repetitive data does not grow long chains.
void TLzssCoder::Splay(int x) {
  int32_t* Left = S->Left;
  int32_t* Parent = S->Parent;
  while (Parent[x] < RootBase) {
    const int p = Parent[x];
    const int g = Parent[p];
    if (g >= RootBase) {
      Rotate(x);
    } else if ((Left[p] == x) == (Left[g] == p)) {
      Rotate(p);
      Rotate(x);
    } else {
      Rotate(x);
      Rotate(x);
    }
  }
}

// Inserts the string at r and finds the longest earlier match for it (the first found wins
// among equals). A full-length match takes the old node's place.
void TLzssCoder::InsertNode(int r) {
  uint8_t* Ring = S->Ring;
  int32_t* Left = S->Left;
  int32_t* Right = S->Right;
  int32_t* Parent = S->Parent;
  const uint8_t* Key = &Ring[r];
  int cmp = 1;
  int p = RootBase + Key[0];
  Right[r] = Left[r] = Nil;
  FMatchLen = 0;
  FDepth = 0;
  for (;;) {
    ++FDepth;
    if (cmp >= 0) {
      if (Right[p] == Nil) {
        Right[p] = r;
        Parent[r] = p;
        break;
      }
      p = Right[p];
    } else {
      if (Left[p] == Nil) {
        Left[p] = r;
        Parent[r] = p;
        break;
      }
      p = Left[p];
    }
    int i = 1;
    for (; i < MaxMatch; ++i)
      if ((cmp = int(Key[i]) - int(Ring[p + i])) != 0) break;
    if (i > FMatchLen) {
      FMatchPos = p;
      FMatchLen = i;
      if (i >= MaxMatch) {
        Parent[r] = Parent[p];
        Left[r] = Left[p];
        Right[r] = Right[p];
        if (Left[p] != Nil) Parent[Left[p]] = r;
        if (Right[p] != Nil) Parent[Right[p]] = r;
        ReplaceChild(Parent[p], p, r);
        Parent[p] = Nil;
        break;
      }
    }
  }
  if (FDepth >= SplayDepth) Splay(r);
}

void TLzssCoder::DeleteNode(int p) {
  int32_t* Left = S->Left;
  int32_t* Right = S->Right;
  int32_t* Parent = S->Parent;
  if (Parent[p] == Nil) return;
  int q;
  if (Right[p] == Nil) {
    q = Left[p];
  } else if (Left[p] == Nil) {
    q = Right[p];
  } else {
    q = Left[p];
    if (Right[q] != Nil) {
      do q = Right[q];
      while (Right[q] != Nil);
      Right[Parent[q]] = Left[q];
      if (Left[q] != Nil) Parent[Left[q]] = Parent[q];
      Left[q] = Left[p];
      Parent[Left[p]] = q;
    }
    Right[q] = Right[p];
    Parent[Right[p]] = q;
  }
  if (q != Nil) Parent[q] = Parent[p];
  ReplaceChild(Parent[p], p, q);
  Parent[p] = Nil;
}

void TLzssCoder::Encode(const TLzssReadProc& Read, const TLzssWriteProc& Write) {
  Start(Read, Write);
  InitTree();
  FMatchPos = FMatchLen = FDepth = 0;
  uint8_t* Ring = S->Ring;
  uint8_t Code[17] = {0};
  int CodePtr = 1;
  uint8_t Mask = 1;
  int s = 0;
  int r = RingSize - MaxMatch;
  int Len = 0;
  for (int c; Len < MaxMatch && (c = GetByte()) >= 0; ++Len) Ring[r + Len] = uint8_t(c);
  if (Len == 0) {
    Flush();
    return;
  }
  for (int i = 1; i <= MaxMatch; ++i) InsertNode(r - i);
  InsertNode(r);
  do {
    if (FMatchLen > Len) FMatchLen = Len;
    if (FMatchLen <= Threshold) {
      FMatchLen = 1;
      Code[0] |= Mask;
      Code[CodePtr++] = Ring[r];
    } else {
      Code[CodePtr++] = uint8_t(FMatchPos);
      Code[CodePtr++] = uint8_t(((FMatchPos >> 4) & 0xF0) | (FMatchLen - (Threshold + 1)));
    }
    Mask <<= 1;
    if (Mask == 0) {
      PutBytes(Code, CodePtr);
      Code[0] = 0;
      CodePtr = 1;
      Mask = 1;
    }
    const int Coded = FMatchLen;
    int i = 0;
    for (int c; i < Coded && (c = GetByte()) >= 0; ++i) {
      DeleteNode(s);
      Ring[s] = uint8_t(c);
      if (s < MaxMatch - 1) Ring[s + RingSize] = uint8_t(c);
      s = (s + 1) & (RingSize - 1);
      r = (r + 1) & (RingSize - 1);
      InsertNode(r);
    }
    // Input ended: the look-ahead drains one byte per step.
    for (; i < Coded; ++i) {
      DeleteNode(s);
      s = (s + 1) & (RingSize - 1);
      r = (r + 1) & (RingSize - 1);
      if (--Len) InsertNode(r);
    }
  } while (Len > 0);
  // The pending group goes out even when empty (a lone flag byte 0), as streams always had.
  PutBytes(Code, CodePtr);
  Flush();
}

void TLzssCoder::Decode(const TLzssReadProc& Read, const TLzssWriteProc& Write) {
  Start(Read, Write);
  uint8_t* Ring = S->Ring;
  int r = RingSize - MaxMatch;
  unsigned Flags = 0;
  for (;;) {
    Flags >>= 1;
    if ((Flags & 0x100) == 0) {
      const int c = GetByte();
      if (c < 0) break;
      Flags = unsigned(c) | 0xFF00;
    }
    const int First = GetByte();
    if (First < 0) break;
    if (Flags & 1) {
      PutByte(uint8_t(First));
      Ring[r] = uint8_t(First);
      r = (r + 1) & (RingSize - 1);
    } else {
      const int Second = GetByte();
      if (Second < 0) break;
      const int Pos = First | ((Second & 0xF0) << 4);
      const int Len = (Second & 0x0F) + Threshold + 1;
      for (int k = 0; k < Len; ++k) {
        const uint8_t c = Ring[(Pos + k) & (RingSize - 1)];
        PutByte(c);
        Ring[r] = c;
        r = (r + 1) & (RingSize - 1);
      }
    }
  }
  Flush();
}

// Marks the coder busy for one coding, also when a callback raises.
class TBusyGuard {
public:
  TBusyGuard() { Coder.Busy = true; }
  ~TBusyGuard() { Coder.Busy = false; }
};

}  // namespace

uint32_t Crc32Buf(const void* Buffer, int32_t N) {
  const auto* P = static_cast<const uint8_t*>(Buffer);
  uint32_t Crc = 0;
  for (int32_t i = 0; i <= N; ++i) Crc = CrcTable[(Crc ^ P[i]) & 0xFF] ^ (Crc >> 8);
  return Crc;
}

bool LzssInit() {
  if (Coder.S == nullptr) Coder.S = new (std::nothrow) TLzssStorage;
  return Coder.S != nullptr;
}

void LzssDone() {
  if (Coder.Busy) return;
  delete Coder.S;
  Coder.S = nullptr;
}

bool LzssEncode(const TLzssReadProc& Read, const TLzssWriteProc& Write) {
  if (Coder.S == nullptr || Coder.Busy) return false;
  TBusyGuard Guard;
  Coder.Encode(Read, Write);
  return true;
}

bool LzssDecode(const TLzssReadProc& Read, const TLzssWriteProc& Write) {
  if (Coder.S == nullptr || Coder.Busy) return false;
  TBusyGuard Guard;
  Coder.Decode(Read, Write);
  return true;
}
