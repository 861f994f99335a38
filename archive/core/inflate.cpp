#include "archive/core/inflate.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace {

constexpr uint32_t kLiteral = THuffTable::kLiteral, kEnd = THuffTable::kEnd,
                   kLink = THuffTable::kLink, kSpecial = THuffTable::kSpecial, kInvalid = THuffTable::kInvalid;

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
    for (unsigned i = 0; i < 29; i++) Lit[257 + i] = (uint32_t(kLenBase[i]) << 16) | kLenExtra[i];
    Lit[286] = Lit[287] = kInvalid;
    for (unsigned i = 0; i < 30; i++) Dist[i] = (uint32_t(kDistBase[i]) << 16) | kDistExtra[i];
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

// Code's low L bits in reverse order: a code read least-significant bit first.
inline unsigned Reverse(unsigned Code, unsigned L) {
  unsigned R = Code;
  R = ((R & 0x5555) << 1) | ((R >> 1) & 0x5555);
  R = ((R & 0x3333) << 2) | ((R >> 2) & 0x3333);
  R = ((R & 0x0F0F) << 4) | ((R >> 4) & 0x0F0F);
  return (((R & 0x00FF) << 8) | ((R >> 8) & 0x00FF)) >> (16 - L);
}

template <class W>
inline W LoadWord(const uint8_t* P) {
  W V;
  memcpy(&V, P, sizeof V);
  return V;  // little-endian hosts only (x86, the targets of this program)
}

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

  // The codes up to the root width, length by length: a table of 2^L entries holds
  // the codes of length L at their reversed values and the shorter ones repeated, so
  // that going one bit longer copies it onto its own end.
  unsigned Code = 0, k = 0, Cur = 2;
  Table[0] = Table[1] = kInvalid;
  for (unsigned L = 1; L <= std::min(Max, Root); L++, Code <<= 1) {
    if (L > 1) {
      memcpy(Table + Cur, Table, Cur * sizeof *Table);
      Cur <<= 1;
    }
    for (unsigned n = Count[L]; n; n--, k++, Code++) Table[Reverse(Code, L)] = Base[Sorted[k]] + L + (L << 8);
  }
  for (; Cur < RootSize; Cur <<= 1) memcpy(Table + Cur, Table, Cur * sizeof *Table);

  // Longer codes go to sub-tables linked from the root entry of their first Root bits.
  unsigned Next = RootSize;  // where the next sub-table goes
  unsigned SubPrefix = ~0u, SubOff = 0, SubBits = 0;
  unsigned Remaining[16];
  memcpy(Remaining, Count, sizeof Remaining);
  unsigned Len = Root + 1;
  for (; k < Total; k++) {
    unsigned Sym = Sorted[k];
    unsigned L = Lens[Sym];
    if (L != Len) {
      Code <<= (L - Len);
      Len = L;
    }
    const unsigned Rev = Reverse(Code, L);
    const unsigned Prefix = Rev & (RootSize - 1);
    if (Prefix != SubPrefix) {
      // Width of the new sub-table: enough for the codes that share this prefix.
      unsigned Width = L - Root;
      int Room = 1 << Width;
      while (Width + Root < Max) {
        Room -= int(Remaining[Width + Root]);
        if (Room <= 0) break;
        Width++;
        Room <<= 1;
      }
      SubPrefix = Prefix;
      SubOff = Next;
      SubBits = Width;
      Next += 1u << Width;
      std::fill(Table + SubOff, Table + SubOff + (1u << Width), kInvalid);
      Table[Prefix] = kLink | (SubBits << 8) | Root | (SubOff << 16);
    }
    const uint32_t E = Base[Sym] + (L - Root) + ((L - Root) << 8);
    for (unsigned i = Rev >> Root; i < (1u << SubBits); i += 1u << (L - Root)) Table[SubOff + i] = E;
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
    In.Drop(E & 31);
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

namespace {

// The fast loop's bit buffer is one register. On a 32-bit target a 64-bit buffer takes
// two of its seven and the loop spills; a 32-bit buffer is refilled more often instead.
// (A native build can try the 32-bit loop under its sanitizers with ZX_INFLATE_WORD32.)
#if defined(ZX_INFLATE_WORD32)
using TBitWord = uint32_t;
#else
using TBitWord = std::conditional_t<(sizeof(void*) >= 8), uint64_t, uint32_t>;
#endif
constexpr unsigned kWordBits = 8 * sizeof(TBitWord), kWordMask = kWordBits - 1;
// A 32-bit buffer holds 24 bits after a refill: room for a length code with its extra
// bits, or a distance code's root look-up, but not a distance's 15 + 13 bits.
constexpr bool kNarrow = kWordBits == 32;

// The state the fast loop runs on, in and out of its registers.
struct TFast {
  const uint8_t* Ip;
  const uint8_t* IpEnd;  // the loop stops before this: at least kInMargin bytes remain
  uint8_t* Op;
  uint8_t* OpEnd;  // and before this: at least kOutMargin bytes of room remain
  const uint8_t* DictStart;
  TBitWord Bits;
  unsigned Count;
};
enum TFastStop { kFastMore, kFastEnd, kFastBad };
constexpr size_t kInMargin = 24, kOutMargin = 320;

#if defined(__GNUC__)
#define ZX_FORCE_INLINE inline __attribute__((always_inline))
#else
#define ZX_FORCE_INLINE inline
#endif

inline void Copy8(uint8_t* D, const uint8_t* S) { memcpy(D, S, 8); }
inline void Copy16(uint8_t* D, const uint8_t* S) { memcpy(D, S, 16); }

// The match copy of the fast loop, which may write up to 47 bytes past the match's end.
// Most matches are short: their copy is a fixed number of wide stores, with no loop
// whose exit would have to be guessed.
ZX_FORCE_INLINE void FastCopy(uint8_t* Op, size_t Distance, size_t Len) {
  uint8_t* const End = Op + Len;
  const uint8_t* Src = Op - Distance;
  if (Distance >= 16) {
    Copy16(Op, Src);
    Copy16(Op + 16, Src + 16);
    Copy16(Op + 32, Src + 32);
    if (Len > 48) {
      Op += 48;
      Src += 48;
      do {
        Copy16(Op, Src);
        Copy16(Op + 16, Src + 16);
        Op += 32;
        Src += 32;
      } while (Op < End);
    }
  } else if (Distance >= 8) {
    Copy8(Op, Src);
    Copy8(Op + 8, Src + 8);
    Copy8(Op + 16, Src + 16);
    while (Op + 24 < End) {
      Op += 24;
      Src += 24;
      Copy8(Op, Src);
      Copy8(Op + 8, Src + 8);
      Copy8(Op + 16, Src + 16);
    }
  } else if (Distance == 1) {
    const uint8_t C = *Src;
    do {
      memset(Op, C, 16);
      Op += 16;
    } while (Op < End);
  } else {
    // A short period: the first eight bytes one by one, then eight at a time from a
    // multiple of the period at least eight back (a table: a division costs more).
    static constexpr uint8_t kStep[8] = {0, 8, 8, 9, 8, 10, 12, 14};
    for (int i = 0; i < 8; i++) Op[i] = Src[i];
    const size_t Step = kStep[Distance];
    for (Op += 8; Op < End; Op += 8) Copy8(Op, Op - Step);
  }
}

// The extra bits of a length or distance entry E from the bit buffer before E's bits
// were dropped: the bits under E's bit count, above its code length.
template <bool Bmi2>
ZX_FORCE_INLINE size_t ExtraBits(TBitWord Bits, uint32_t E) {
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
  if (Bmi2) {
    // BZHI keeps the bits under the count in the index's low byte: E's bit count.
    TBitWord Low;
    asm("bzhi %2, %1, %0" : "=r"(Low) : "r"(Bits), "r"(TBitWord(E)));
    return size_t(Low >> ((E >> 8) & kWordMask));
  }
#endif
  return size_t((Bits & ((TBitWord(1) << (E & 31)) - 1)) >> ((E >> 8) & kWordMask));
}

// Decodes symbols while the input and output margins hold. At the top of every round
// E is the entry of the next symbol: each path looks its next entry up before it
// refills or copies, so that the look-up's wait overlaps that work.
// A refill fills the whole word and counts the whole bytes it took: at least 56 bits
// of a 64-bit word (24 of a 32-bit one) may be dropped before the next, and a look-up
// may read the word's bits above the count as long as fewer than 64 (32) were dropped.
template <bool Bmi2>
ZX_FORCE_INLINE TFastStop FastBody(TFast& S, const uint32_t* Lit, const uint32_t* Dist) {
  constexpr unsigned LB = TInflater::kLitRoot, DB = TInflater::kDistRoot;
  constexpr TBitWord LMask = (1u << LB) - 1, DMask = (1u << DB) - 1;
  const uint8_t* Ip = S.Ip;
  const uint8_t* const IpEnd = S.IpEnd;
  uint8_t* Op = S.Op;
  uint8_t* const OpEnd = S.OpEnd;
  const uint8_t* const DictStart = S.DictStart;
  TBitWord Bits = S.Bits;
  unsigned Count = S.Count;
  TFastStop Stop = kFastMore;
  // The bits above Count are the next input bits; only Count's low bits (five or six)
  // are kept right, which is all the refill reads.
#define ZX_REFILL()                                              \
  do {                                                           \
    Bits |= LoadWord<TBitWord>(Ip) << (Count & kWordMask);       \
    Ip += (~Count & kWordMask) >> 3;                             \
    Count |= kWordBits - 8;                                      \
  } while (0)
#define ZX_DROP(X)              \
  do {                          \
    Bits >>= ((X) & kWordMask); \
    Count -= (X);               \
  } while (0)
  // A literal from a root entry (at most LB bits).
#define ZX_LITERAL()          \
  do {                        \
    const uint32_t L = E;     \
    ZX_DROP(L);               \
    E = Lit[Bits & LMask];    \
    *Op++ = uint8_t(L >> 16); \
  } while (0)
  if (Ip < IpEnd && Op < OpEnd) {
    ZX_REFILL();
    uint32_t E = Lit[Bits & LMask];
    do {
      // Here the bit buffer holds at least 28 bits; a 32-bit one was just refilled.
      if (E & kLiteral) {
        ZX_LITERAL();
        ZX_REFILL();
        if (E & kLiteral) {
          ZX_LITERAL();
          // A 32-bit word has room for two literals' bits, not for the look-up after them.
          if (kNarrow) ZX_REFILL();
          if (E & kLiteral) {
            ZX_LITERAL();  // at most 22 of 56 bits are gone
            if (kNarrow) ZX_REFILL();
            continue;
          }
        }
      }
      if (E & (kLink | kSpecial)) {
        if (E & kLink) {
          ZX_DROP(LB);
          E = Lit[(E >> 16) + (Bits & ((1u << ((E >> 8) & 15)) - 1))];
          if (E & kLiteral) {
            ZX_DROP(E);
            *Op++ = uint8_t(E >> 16);
            E = Lit[Bits & LMask];
            ZX_REFILL();
            continue;
          }
        }
        if (E & kSpecial) {
          if (E == (E | kEnd)) {
            ZX_DROP(E);
            Stop = kFastEnd;
          } else {
            Stop = kFastBad;
          }
          break;
        }
      }
      // A length takes at most 20 bits, leaving the 8 of the distance's root look-up;
      // the refill comes after that look-up, off its path. The extra bits sit above the
      // code: the entry's bit count masks them, its code length shifts the code out.
      TBitWord Saved = Bits;
      ZX_DROP(E);
      const size_t Len = (E >> 16) + ExtraBits<Bmi2>(Saved, E);
      uint32_t D = Dist[Bits & DMask];
      ZX_REFILL();
      if (D & (kLink | kSpecial)) {
        if (D & kSpecial) {
          Stop = kFastBad;
          break;
        }
        ZX_DROP(DB);
        D = Dist[(D >> 16) + (Bits & ((1u << ((D >> 8) & 15)) - 1))];
        if (D & kSpecial) {
          Stop = kFastBad;
          break;
        }
        // The rest of a long code and 13 extra bits need more than the 16 left of 24.
        if (kNarrow) ZX_REFILL();
      }
      // A distance takes at most 28 bits of 56 (21 of 24 from a root entry): the next
      // entry is there already, and a 32-bit word is refilled after its look-up.
      Saved = Bits;
      ZX_DROP(D);
      const size_t Distance = (D >> 16) + ExtraBits<Bmi2>(Saved, D);
      E = Lit[Bits & LMask];
      if (kNarrow) ZX_REFILL();
      if (Distance > size_t(Op - DictStart)) {
        Stop = kFastBad;
        break;
      }
      FastCopy(Op, Distance, Len);
      Op += Len;
    } while (Ip < IpEnd && Op < OpEnd);
  }
#undef ZX_LITERAL
#undef ZX_DROP
#undef ZX_REFILL
  S.Ip = Ip;
  S.Op = Op;
  S.Bits = Bits;
  S.Count = Count;
  return Stop;
}

TFastStop FastGeneric(TFast& S, const uint32_t* Lit, const uint32_t* Dist) { return FastBody<false>(S, Lit, Dist); }

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// A 32-bit build targets CPUs without SSE2; the match copies gain from its 8- and
// 16-byte moves where the CPU has them.
#if defined(__SSE2__)
#define ZX_SSE2 ""
#else
#define ZX_SSE2 "sse2,"
#define ZX_SSE2_VARIANT 1
__attribute__((target("sse2"))) TFastStop FastSse2(TFast& S, const uint32_t* Lit, const uint32_t* Dist) {
  return FastBody<false>(S, Lit, Dist);
}
#endif
// With BMI2 the masks and shifts by an entry's fields are single instructions, and the
// shifts need not go through CL.
__attribute__((target(ZX_SSE2 "bmi2"))) TFastStop FastBmi2(TFast& S, const uint32_t* Lit, const uint32_t* Dist) {
  return FastBody<true>(S, Lit, Dist);
}
using TFastFn = TFastStop (*)(TFast&, const uint32_t*, const uint32_t*);
TFastFn PickFast() {
  __builtin_cpu_init();
  if (__builtin_cpu_supports("bmi2") && __builtin_cpu_supports("sse2")) return FastBmi2;
#if defined(ZX_SSE2_VARIANT)
  if (__builtin_cpu_supports("sse2")) return FastSse2;
#endif
  return FastGeneric;
}
const TFastFn RunFast = PickFast();

#else
constexpr auto RunFast = FastGeneric;
#endif

}  // namespace

TDecodeResult TInflater::Codes(TBitInput& In, TDecodeWindow& Out, const uint32_t* Lit, const uint32_t* Dist) {
  constexpr unsigned LB = kLitRoot, DB = kDistRoot;
  for (;;) {
    if (In.Avail() <= kInMargin && !In.Eof) In.Refill();
    // The window makes room by writing out; a direct block has what it has.
    if (Out.Room() <= kOutMargin && !Out.Direct() && !Out.Slide()) return TDecodeResult::WriteError;

    // The bit buffer's bits must fit the fast loop's word (they are far fewer here).
    if (In.Avail() > kInMargin && Out.Room() > kOutMargin && In.Count < kWordBits) {
      TFast S;
      S.Ip = In.Buf + In.Pos;
      S.IpEnd = In.Buf + In.Len - kInMargin;
      S.Op = Out.Pos;
      S.OpEnd = Out.Limit - kOutMargin;
      S.DictStart = Out.DictStart;
      S.Bits = TBitWord(In.Bits);
      S.Count = In.Count;
      const TFastStop Stop = RunFast(S, Lit, Dist);
      In.Pos = size_t(S.Ip - In.Buf);
      const unsigned Count = S.Count & kWordMask;
      In.Bits = uint64_t(S.Bits) & ((uint64_t(1) << Count) - 1);
      In.Count = Count;
      Out.Pos = S.Op;
      if (Stop == kFastEnd) return TDecodeResult::Ok;
      if (Stop == kFastBad) return TDecodeResult::BadBlock;
      continue;
    }

    // Slow path near the end of the input or of a direct block: one symbol at a time,
    // every bit and every byte of room checked.
    In.Fill(15);
    uint32_t E = Lit[In.Peek(LB)];
    if (E & kLink) {
      In.Drop(LB);
      E = Lit[(E >> 16) + In.Peek((E >> 8) & 15)];
    }
    if ((E & kSpecial) && E != (E | kEnd)) return In.Overrun() ? TDecodeResult::Truncated : TDecodeResult::BadBlock;
    const unsigned CL = (E >> 8) & 15;
    In.Drop(CL);
    if (In.Overrun()) return TDecodeResult::Truncated;
    if (E & kLiteral) {
      if (!Out.Need(1)) return TDecodeResult::WriteError;
      *Out.Pos++ = uint8_t(E >> 16);
      continue;
    }
    if (E & kEnd) return TDecodeResult::Ok;
    uint32_t Extra;
    if (!In.Get((E & 31) - CL, Extra)) return TDecodeResult::Truncated;
    size_t Len = (E >> 16) + Extra;
    In.Fill(15);
    uint32_t D = Dist[In.Peek(DB)];
    if (D & kLink) {
      In.Drop(DB);
      D = Dist[(D >> 16) + In.Peek((D >> 8) & 15)];
    }
    if (D & kSpecial) return In.Overrun() ? TDecodeResult::Truncated : TDecodeResult::BadBlock;
    const unsigned DL = (D >> 8) & 15;
    In.Drop(DL);
    if (In.Overrun() || !In.Get((D & 31) - DL, Extra)) return TDecodeResult::Truncated;
    size_t Distance = (D >> 16) + Extra;
    if (Distance > size_t(Out.Pos - Out.DictStart)) return TDecodeResult::BadBlock;
    if (!Out.Need(Len)) return TDecodeResult::WriteError;
    if (Out.Room() >= Len + 16) {
      CopyMatch(Out.Pos, Distance, Len);
    } else {
      for (const uint8_t* Src = Out.Pos - Distance; Len; Len--) *Out.Pos++ = *Src++;
    }
  }
}

TDecodeResult Inflate(TByteSource& Src, TByteSink& Sink, uint64_t* Consumed) {
  // Plain new: the buffers and tables are written before they are read, and zeroing
  // their 80 KB would cost more than a small stream's decoding.
  std::unique_ptr<TBitInput> In(new TBitInput);
  auto Out = std::make_unique<TDecodeWindow>();
  std::unique_ptr<TInflater> Inf(new TInflater);
  In->Reset(&Src);
  Out->Reset(&Sink);
  TDecodeResult R = Inf->Run(*In, *Out);
  if (R != TDecodeResult::WriteError && !Out->Finish()) R = TDecodeResult::WriteError;
  if (Consumed) *Consumed = In->Fetched() - In->UnusedBytes();
  return R;
}

TDecodeResult InflateBuffer(const uint8_t* In, size_t InSize, uint8_t* Out, size_t OutSize, size_t& Made,
                            size_t* Consumed) {
  std::unique_ptr<TBitInput> Bits(new TBitInput);
  auto Win = std::make_unique<TDecodeWindow>();
  std::unique_ptr<TInflater> Inf(new TInflater);
  Bits->ResetMemory(In, InSize);
  Win->ResetDirect(Out, OutSize);
  const TDecodeResult R = Inf->Run(*Bits, *Win);
  Made = size_t(Win->Pos - Out);
  if (Consumed) *Consumed = size_t(Bits->Fetched() - Bits->UnusedBytes());
  return R;
}
