#include "archive/core/inflate.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kLiteral = THuffTable::kLiteral, kEnd = THuffTable::kEnd,
                   kLink = THuffTable::kLink, kInvalid = THuffTable::kInvalid;

constexpr uint16_t kLenBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                   31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLenExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                   2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                    33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                    1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr uint8_t kLenOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// Entry bases (everything but the code length) of the literal/length and distance
// alphabets; 286, 287 and distances 30, 31 are invalid wherever they appear.
struct TBases {
  uint32_t Lit[288];
  uint32_t Dist[32];
  uint32_t Len[19];
  TBases() {
    for (unsigned i = 0; i < 256; i++) Lit[i] = kLiteral | (i << 16);
    Lit[256] = kEnd;
    for (unsigned i = 0; i < 29; i++) Lit[257 + i] = (uint32_t(kLenBase[i]) << 16) | (kLenExtra[i] << 8);
    Lit[286] = Lit[287] = kInvalid;
    for (unsigned i = 0; i < 30; i++) Dist[i] = (uint32_t(kDistBase[i]) << 16) | (kDistExtra[i] << 8);
    Dist[30] = Dist[31] = kInvalid;
    for (unsigned i = 0; i < 19; i++) Len[i] = i << 16;
  }
};
const TBases Bases;

// The fixed codes, built once for the process and shared by every decode.
struct TFixedTables {
  uint32_t Lit[1u << TInflater::kLitRoot];
  uint32_t Dist[1u << TInflater::kDistRoot];
  TFixedTables() {
    uint8_t Lens[288];
    memset(Lens, 8, 144);
    memset(Lens + 144, 9, 112);
    memset(Lens + 256, 7, 24);
    memset(Lens + 280, 8, 8);
    THuffTable::Build(Lit, TInflater::kLitRoot, Lens, 288, Bases.Lit, THuffTable::TCheck::Complete);
    memset(Lens, 5, 32);
    THuffTable::Build(Dist, TInflater::kDistRoot, Lens, 32, Bases.Dist, THuffTable::TCheck::Complete);
  }
};
const TFixedTables& Fixed() {
  static const TFixedTables T;
  return T;
}

inline uint64_t Load64(const uint8_t* P) {
  uint64_t V;
  memcpy(&V, P, 8);
  return V;  // little-endian hosts only (x86, the targets of this program)
}

inline uint32_t Mask(unsigned N) { return (uint32_t(1) << N) - 1; }

}  // namespace

THuffTable::TBuild THuffTable::Build(uint32_t* Table, unsigned Root, const uint8_t* Lens, unsigned N,
                                     const uint32_t* Base, TCheck Check) {
  unsigned Count[16] = {0};
  for (unsigned i = 0; i < N; i++) Count[Lens[i]]++;
  Count[0] = 0;
  unsigned Max = 15;
  while (Max > 0 && Count[Max] == 0) Max--;
  const unsigned RootSize = 1u << Root;
  if (Max == 0) {
    // No codes at all: every look-up fails. Only a distance alphabet may be empty.
    std::fill(Table, Table + RootSize, kInvalid);
    return Check == TCheck::AllowSingle ? TBuild::Ok : TBuild::Incomplete;
  }
  int Left = 1;
  for (unsigned L = 1; L <= 15; L++) {
    Left = Left * 2 - int(Count[L]);
    if (Left < 0) return TBuild::OverSubscribed;
  }
  // A set with room to spare is accepted only as one code of one bit (a block with a
  // single distance, as encoders write it).
  if (Left > 0 && !(Check == TCheck::AllowSingle && Max == 1)) return TBuild::Incomplete;

  // Symbols in canonical order: by length, then by value.
  unsigned Offs[17];
  Offs[1] = 0;
  for (unsigned L = 1; L < 16; L++) Offs[L + 1] = Offs[L] + Count[L];
  uint16_t Sorted[288];
  for (unsigned i = 0; i < N; i++)
    if (Lens[i]) Sorted[Offs[Lens[i]]++] = uint16_t(i);
  unsigned Total = Offs[16];

  std::fill(Table, Table + RootSize, kInvalid);
  unsigned Code = 0, Len = 0;
  unsigned Next = RootSize;  // where the next sub-table goes
  unsigned SubPrefix = ~0u, SubOff = 0, SubBits = 0;
  unsigned Remaining[16];
  memcpy(Remaining, Count, sizeof Remaining);
  Len = Lens[Sorted[0]];
  for (unsigned k = 0; k < Total; k++) {
    unsigned Sym = Sorted[k];
    unsigned L = Lens[Sym];
    if (L != Len) {
      Code <<= (L - Len);
      Len = L;
    }
    // The code read least-significant bit first is the canonical code reversed.
    unsigned Rev = 0;
    for (unsigned b = 0; b < L; b++) Rev |= ((Code >> b) & 1) << (L - 1 - b);
    if (L <= Root) {
      uint32_t E = Base[Sym] | L;
      for (unsigned i = Rev; i < RootSize; i += 1u << L) Table[i] = E;
    } else {
      unsigned Prefix = Rev & (RootSize - 1);
      if (Prefix != SubPrefix) {
        // Width of the new sub-table: enough for the codes that share this prefix.
        unsigned Cur = L - Root;
        int Room = 1 << Cur;
        while (Cur + Root < Max) {
          Room -= int(Remaining[Cur + Root]);
          if (Room <= 0) break;
          Cur++;
          Room <<= 1;
        }
        SubPrefix = Prefix;
        SubOff = Next;
        SubBits = Cur;
        Next += 1u << Cur;
        std::fill(Table + SubOff, Table + SubOff + (1u << Cur), kInvalid);
        Table[Prefix] = kLink | (SubBits << 8) | Root | (SubOff << 16);
      }
      uint32_t E = Base[Sym] | (L - Root);
      for (unsigned i = Rev >> Root; i < (1u << SubBits); i += 1u << (L - Root)) Table[SubOff + i] = E;
    }
    Remaining[L]--;
    Code++;
  }
  return TBuild::Ok;
}

TDecodeResult TInflater::Run(TBitInput& In, TDecodeWindow& Out, const bool* Cancel) {
  for (;;) {
    if (Cancel && *Cancel) return TDecodeResult::Ok;
    In.Fill(3);
    unsigned Head = In.Peek(3);
    In.Drop(3);
    if (In.Overrun()) return TDecodeResult::Truncated;
    TDecodeResult R;
    switch (Head >> 1) {
      case 0:
        R = Stored(In, Out);
        break;
      case 1:
        R = Codes(In, Out, Fixed().Lit, Fixed().Dist);
        break;
      case 2:
        R = ReadDynamic(In);
        if (R == TDecodeResult::Ok) R = Codes(In, Out, FLit, FDist);
        break;
      default:
        return TDecodeResult::BadBlock;
    }
    if (R != TDecodeResult::Ok) return R;
    if (Head & 1) return TDecodeResult::Ok;
  }
}

TDecodeResult TInflater::Stored(TBitInput& In, TDecodeWindow& Out) {
  In.AlignToByte();
  uint32_t Len, NLen;
  if (!In.Get(16, Len) || !In.Get(16, NLen)) return TDecodeResult::Truncated;
  if (Len != (~NLen & 0xFFFF)) return TDecodeResult::StoredLength;
  // Whole bytes still in the bit buffer come first, then the buffered input.
  while (Len && In.Count >= 8) {
    if (!Out.Need(1)) return TDecodeResult::WriteError;
    *Out.Pos++ = uint8_t(In.Bits);
    In.Drop(8);
    Len--;
    if (In.Overrun()) return TDecodeResult::Truncated;
  }
  while (Len) {
    if (!Out.Need(1)) return TDecodeResult::WriteError;
    if (In.Avail() == 0 && !In.Refill()) return TDecodeResult::Truncated;
    size_t N = std::min({size_t(Len), In.Avail(), Out.Room()});
    memcpy(Out.Pos, In.Buf + In.Pos, N);
    Out.Pos += N;
    In.Pos += N;
    Len -= uint32_t(N);
  }
  return TDecodeResult::Ok;
}

TDecodeResult TInflater::ReadDynamic(TBitInput& In) {
  uint32_t HLit, HDist, HCLen;
  if (!In.Get(5, HLit) || !In.Get(5, HDist) || !In.Get(4, HCLen)) return TDecodeResult::Truncated;
  HLit += 257;
  HDist += 1;
  HCLen += 4;
  if (HLit > 286 || HDist > 30) return TDecodeResult::BadLengths;
  uint8_t Lens[288 + 32] = {0};
  for (unsigned i = 0; i < HCLen; i++) {
    uint32_t V;
    if (!In.Get(3, V)) return TDecodeResult::Truncated;
    Lens[kLenOrder[i]] = uint8_t(V);
  }
  if (THuffTable::Build(FLen, kLenRoot, Lens, 19, Bases.Len, THuffTable::TCheck::Complete) != THuffTable::TBuild::Ok)
    return TDecodeResult::IncompleteCodeSet;

  const unsigned N = HLit + HDist;
  memset(Lens, 0, sizeof Lens);
  for (unsigned i = 0; i < N;) {
    In.Fill(kLenRoot);
    uint32_t E = FLen[In.Peek(kLenRoot)];
    In.Drop(E & 15);
    if (In.Overrun()) return TDecodeResult::Truncated;
    unsigned Sym = E >> 16;
    if (Sym < 16) {
      Lens[i++] = uint8_t(Sym);
      continue;
    }
    uint8_t Value = 0;
    uint32_t Rep;
    if (Sym == 16) {
      if (i == 0) return TDecodeResult::BadLengths;  // nothing to repeat
      Value = Lens[i - 1];
      if (!In.Get(2, Rep)) return TDecodeResult::Truncated;
      Rep += 3;
    } else if (Sym == 17) {
      if (!In.Get(3, Rep)) return TDecodeResult::Truncated;
      Rep += 3;
    } else {
      if (!In.Get(7, Rep)) return TDecodeResult::Truncated;
      Rep += 11;
    }
    if (i + Rep > N) return TDecodeResult::BadLengths;
    memset(Lens + i, Value, Rep);
    i += Rep;
  }
  if (Lens[256] == 0) return TDecodeResult::IncompleteCodeSet;  // no end-of-block code
  if (THuffTable::Build(FLit, kLitRoot, Lens, HLit, Bases.Lit, THuffTable::TCheck::AllowSingle) !=
          THuffTable::TBuild::Ok ||
      THuffTable::Build(FDist, kDistRoot, Lens + HLit, HDist, Bases.Dist, THuffTable::TCheck::AllowSingle) !=
          THuffTable::TBuild::Ok)
    return TDecodeResult::IncompleteCodeSet;
  return TDecodeResult::Ok;
}

TDecodeResult TInflater::Codes(TBitInput& In, TDecodeWindow& Out, const uint32_t* Lit, const uint32_t* Dist) {
  constexpr unsigned LB = kLitRoot, DB = kDistRoot;
  constexpr size_t kInMargin = 24, kOutMargin = 300;
  for (;;) {
    if (In.Avail() <= kInMargin && !In.Eof) In.Refill();
    if (Out.Room() <= kOutMargin && !Out.Slide()) return TDecodeResult::WriteError;

    if (In.Avail() > kInMargin) {
      // Fast loop: at least 24 input bytes and 300 bytes of room at the top of every
      // round, so that no bound needs checking inside one symbol. The bit buffer is
      // refilled eight bytes at a time; the bits above Count are the next input bits.
      const uint8_t* Ip = In.Buf + In.Pos;
      const uint8_t* const IpEnd = In.Buf + In.Len - kInMargin;
      uint8_t* Op = Out.Pos;
      uint8_t* const OpEnd = Out.Limit - kOutMargin;
      const uint8_t* const DictStart = Out.DictStart;
      uint64_t Bits = In.Bits;
      unsigned Count = In.Count;
      int Status = 0;  // 1 end of block, 2 bad code, 3 distance too far
#define ZX_REFILL()                      \
  do {                                   \
    Bits |= Load64(Ip) << (Count & 63);  \
    Ip += (~Count & 63) >> 3;            \
    Count |= 56;                         \
  } while (0)
      // At the top of every round the bit buffer holds at least 56 bits and E is the
      // entry of the next symbol: each path looks its next entry up before it refills or
      // copies, so that the look-up's wait overlaps that work.
      uint32_t E = 0;
      if (Ip < IpEnd) {
        ZX_REFILL();
        E = Lit[Bits & Mask(LB)];
      }
      while (Ip < IpEnd && Op < OpEnd) {
        if (E & kLiteral) {
          Bits >>= E & 63;
          Count -= E;
          *Op++ = uint8_t(E >> 16);
          E = Lit[Bits & Mask(LB)];
          if (E & kLiteral) {
            Bits >>= E & 63;
            Count -= E;
            *Op++ = uint8_t(E >> 16);
            E = Lit[Bits & Mask(LB)];
            if (E & kLiteral) {
              Bits >>= E & 63;
              Count -= E;
              *Op++ = uint8_t(E >> 16);
              E = Lit[Bits & Mask(LB)];  // at most 45 of 56 bits are gone
              ZX_REFILL();
              continue;
            }
          }
          ZX_REFILL();
        }
        if (E & kLink) {
          Bits >>= LB;
          Count -= LB;
          E = Lit[(E >> 16) + (Bits & Mask((E >> 8) & 15))];
          if (E & kLiteral) {
            Bits >>= E & 63;
            Count -= E;
            *Op++ = uint8_t(E >> 16);
            E = Lit[Bits & Mask(LB)];
            ZX_REFILL();
            continue;
          }
        }
        if (E & (kEnd | kInvalid)) {
          if (E & kInvalid) {
            Status = 2;
          } else {
            Bits >>= E & 63;
            Count -= E;
            Status = 1;
          }
          break;
        }
        // A length and a distance with their extra bits take at most 48 bits.
        unsigned CL = E & 15, EX = (E >> 8) & 15;
        size_t Len = (E >> 16) + ((Bits >> CL) & Mask(EX));
        Bits >>= CL + EX;
        Count -= CL + EX;
        uint32_t D = Dist[Bits & Mask(DB)];
        if (D & kLink) {
          Bits >>= DB;
          Count -= DB;
          D = Dist[(D >> 16) + (Bits & Mask((D >> 8) & 15))];
        }
        if (D & kInvalid) {
          Status = 2;
          break;
        }
        CL = D & 15;
        EX = (D >> 8) & 15;
        size_t Distance = (D >> 16) + ((Bits >> CL) & Mask(EX));
        Bits >>= CL + EX;
        Count -= CL + EX;
        if (Distance > size_t(Op - DictStart)) {
          Status = 3;
          break;
        }
        ZX_REFILL();
        E = Lit[Bits & Mask(LB)];
        CopyMatch(Op, Distance, Len);
      }
#undef ZX_REFILL
      In.Pos = size_t(Ip - In.Buf);
      Count &= 63;
      In.Bits = Bits & ((uint64_t(1) << Count) - 1);
      In.Count = Count;
      Out.Pos = Op;
      if (Status == 1) return TDecodeResult::Ok;
      if (Status) return TDecodeResult::BadBlock;
      continue;
    }

    // Slow path near the end of the input: one symbol at a time, every bit checked.
    In.Fill(15);
    uint32_t E = Lit[In.Peek(LB)];
    if (E & kLink) {
      In.Drop(LB);
      E = Lit[(E >> 16) + In.Peek((E >> 8) & 15)];
    }
    if (E & kInvalid) return In.Overrun() ? TDecodeResult::Truncated : TDecodeResult::BadBlock;
    In.Drop(E & 15);
    if (In.Overrun()) return TDecodeResult::Truncated;
    if (E & kLiteral) {
      *Out.Pos++ = uint8_t(E >> 16);
      continue;
    }
    if (E & kEnd) return TDecodeResult::Ok;
    uint32_t Extra;
    if (!In.Get((E >> 8) & 15, Extra)) return TDecodeResult::Truncated;
    size_t Len = (E >> 16) + Extra;
    In.Fill(15);
    uint32_t D = Dist[In.Peek(DB)];
    if (D & kLink) {
      In.Drop(DB);
      D = Dist[(D >> 16) + In.Peek((D >> 8) & 15)];
    }
    if (D & kInvalid) return In.Overrun() ? TDecodeResult::Truncated : TDecodeResult::BadBlock;
    In.Drop(D & 15);
    if (In.Overrun() || !In.Get((D >> 8) & 15, Extra)) return TDecodeResult::Truncated;
    size_t Distance = (D >> 16) + Extra;
    if (Distance > size_t(Out.Pos - Out.DictStart)) return TDecodeResult::BadBlock;
    CopyMatch(Out.Pos, Distance, Len);
  }
}

TDecodeResult Inflate(TByteSource& Src, TByteSink& Sink, uint64_t* Consumed) {
  auto In = std::make_unique<TBitInput>();
  auto Out = std::make_unique<TDecodeWindow>();
  auto Inf = std::make_unique<TInflater>();
  In->Reset(&Src);
  Out->Reset(&Sink);
  TDecodeResult R = Inf->Run(*In, *Out);
  if (R != TDecodeResult::WriteError && !Out->Finish()) R = TDecodeResult::WriteError;
  if (Consumed) *Consumed = In->Fetched() - In->UnusedBytes();
  return R;
}
