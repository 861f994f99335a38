#include "archive/core/deflate.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>

#include "archive/core/arc_globals.h"
#include "archive/core/zip_crypt.h"

namespace {

constexpr int WSIZE = 32768;
constexpr unsigned WMASK = WSIZE - 1;
constexpr int WINDOW_SIZE = 2 * WSIZE;
// Chains link positions of equal 4-byte hashes, so that a chain holds few strangers; a
// second table keeps only the latest position of each 3-byte hash, for the short matches.
constexpr int HASH4_BITS = 16;
constexpr int HASH3_BITS = 15;
constexpr int MIN_MATCH = 3;
constexpr int MAX_MATCH = 258;
constexpr int MIN_LOOKAHEAD = MAX_MATCH + MIN_MATCH + 1;
constexpr int MAX_DIST = WSIZE - MIN_LOOKAHEAD;
constexpr int TOO_FAR = 4096;
constexpr int LIT_BUFSIZE = 0x8000;
// Room behind the window for the word-wise match compare, which may look a few bytes
// past the longest match.
constexpr int WINDOW_SLACK = MAX_MATCH + 16;

constexpr int LENGTH_CODES = 29;
constexpr int LITERALS = 256;
constexpr int END_BLOCK = 256;
constexpr int L_CODES = LITERALS + 1 + LENGTH_CODES;  // 286
constexpr int D_CODES = 30;
constexpr int BL_CODES = 19;
constexpr int HEAP_SIZE = 2 * L_CODES + 1;  // 573
constexpr int MAX_BITS = 15;
constexpr int MAX_BL_BITS = 7;
constexpr int REP_3_6 = 16, REPZ_3_10 = 17, REPZ_11_138 = 18;
constexpr int STORED_BLOCK = 0, STATIC_TREES = 1, DYN_TREES = 2;
constexpr int OUTBUF_SIZE = 16384;

constexpr uint8_t ExtraLBits[LENGTH_CODES] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                              2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint8_t ExtraDBits[D_CODES] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                         6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr uint8_t ExtraBLBits[BL_CODES] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 7};
// The order in which the bit-length code lengths are sent.
constexpr uint8_t BLOrder[BL_CODES] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

struct TConfig {
  uint16_t GoodLength, MaxLazy, NiceLength, MaxChain;
};
constexpr TConfig ConfigTable[10] = {
    {0, 0, 0, 0},     {4, 4, 8, 4},       {4, 5, 16, 8},      {4, 6, 32, 32},      {4, 4, 16, 16},
    {8, 16, 32, 32},  {8, 16, 128, 128},  {8, 32, 128, 256},  {32, 128, 258, 1024}, {32, 258, 258, 4096},
};

uint16_t BitReverse(unsigned Code, int Len) {
  unsigned r = 0;
  for (int i = 0; i < Len; ++i, Code >>= 1) r = (r << 1) | (Code & 1);
  return static_cast<uint16_t>(r);
}

// The tables every compression shares: length and distance codes and the fixed trees.
struct TStaticTables {
  uint8_t LengthCode[256];  // match length - 3 -> length code 0..28
  uint8_t DistCode[512];    // distance - 1 -> code, through DCode
  int BaseLength[LENGTH_CODES];
  int BaseDist[D_CODES];
  uint16_t LTreeCode[L_CODES + 2], LTreeLen[L_CODES + 2];
  uint16_t DTreeCode[D_CODES], DTreeLen[D_CODES];

  TStaticTables() {
    int length = 0;
    for (int code = 0; code < LENGTH_CODES - 1; ++code) {
      BaseLength[code] = length;
      for (int n = 0; n < (1 << ExtraLBits[code]); ++n) LengthCode[length++] = static_cast<uint8_t>(code);
    }
    // Length 258 has a code of its own; 255 is also the last slot of code 27.
    LengthCode[255] = LENGTH_CODES - 1;
    BaseLength[LENGTH_CODES - 1] = 0;
    int dist = 0;
    for (int code = 0; code < 16; ++code) {
      BaseDist[code] = dist;
      for (int n = 0; n < (1 << ExtraDBits[code]); ++n) DistCode[dist++] = static_cast<uint8_t>(code);
    }
    dist >>= 7;  // distances from 257 on are looked up by dist >> 7
    for (int code = 16; code < D_CODES; ++code) {
      BaseDist[code] = dist << 7;
      for (int n = 0; n < (1 << (ExtraDBits[code] - 7)); ++n) DistCode[256 + dist++] = static_cast<uint8_t>(code);
    }
    int count[MAX_BITS + 1] = {};
    for (int n = 0; n <= 287; ++n) {
      LTreeLen[n] = n <= 143 ? 8 : n <= 255 ? 9 : n <= 279 ? 7 : 8;
      ++count[LTreeLen[n]];
    }
    GenCodes(LTreeLen, LTreeCode, L_CODES + 1, count);
    for (int n = 0; n < D_CODES; ++n) {
      DTreeLen[n] = 5;
      DTreeCode[n] = BitReverse(static_cast<unsigned>(n), 5);
    }
  }

  // Canonical codes from the lengths, bit-reversed for LSB-first sending.
  static void GenCodes(const uint16_t* Len, uint16_t* Code, int MaxCode, const int* BLCount) {
    unsigned next[MAX_BITS + 1];
    unsigned code = 0;
    for (int bits = 1; bits <= MAX_BITS; ++bits) {
      code = (code + static_cast<unsigned>(BLCount[bits - 1])) << 1;
      next[bits] = code;
    }
    for (int n = 0; n <= MaxCode; ++n) {
      const int len = Len[n];
      if (len != 0) Code[n] = BitReverse(next[len]++, len);
    }
  }
};

const TStaticTables& Tables() {
  static const TStaticTables T;
  return T;
}

inline unsigned DCode(const TStaticTables& T, unsigned Dist) {
  return Dist < 256 ? T.DistCode[Dist] : T.DistCode[256 + (Dist >> 7)];
}

inline uint32_t Load32(const uint8_t* P) {
  uint32_t v;
  std::memcpy(&v, P, 4);
  return v;
}

// Multiplicative hashes of the 4 and the 3 bytes at P (the byte order only changes which
// slot a string gets, so any host will do).
inline unsigned Hash4(const uint8_t* P) { return (Load32(P) * 0x9E3779B1u) >> (32 - HASH4_BITS); }
inline unsigned Hash3(const uint8_t* P) { return ((Load32(P) << 8) * 0x9E3779B1u) >> (32 - HASH3_BITS); }

// The number of equal bytes at A and B, at most Max.
inline int CommonLength(const uint8_t* A, const uint8_t* B, int Max) {
  if constexpr (std::endian::native == std::endian::little) {
    int n = 0;
    while (n < Max) {
      uint64_t x, y;
      std::memcpy(&x, A + n, 8);
      std::memcpy(&y, B + n, 8);
      if (const uint64_t d = x ^ y; d != 0) return std::min(Max, n + (std::countr_zero(d) >> 3));
      n += 8;
    }
    return Max;
  } else {
    int n = 0;
    while (n < Max && A[n] == B[n]) ++n;
    return n;
  }
}

// One dynamic tree: frequencies, code lengths and codes of its nodes, and the extra
// bits of its symbols for the size sums.
struct TTree {
  uint16_t Freq[HEAP_SIZE];
  uint16_t Len[HEAP_SIZE];
  uint16_t Code[HEAP_SIZE];
  uint16_t Dad[HEAP_SIZE];
  int MaxCode = 0;
};

struct TTreeDesc {
  TTree* Tree;
  const uint16_t* StaticLen;  // nullptr for the bit-length tree
  const uint8_t* ExtraBits;
  int ExtraBase;
  int Elems;
  int MaxLength;
};

// The whole state of one compression; about 330 KB, so it lives on the heap.
class TDeflater {
public:
  TDeflater(TDeflateIO& IO, bool Encrypt, int Level)
      : FIO(IO), FEncrypt(Encrypt), FLevel(std::clamp(Level, 0, 9)), FT(Tables()) {
    const TConfig& c = ConfigTable[FLevel];
    FGoodMatch = c.GoodLength;
    FMaxLazy = c.MaxLazy;
    FNiceMatch = c.NiceLength;
    FMaxChain = c.MaxChain;
    FLDesc = {&FLTree, FT.LTreeLen, ExtraLBits, LITERALS + 1, L_CODES, MAX_BITS};
    FDDesc = {&FDTree, FT.DTreeLen, ExtraDBits, 0, D_CODES, MAX_BITS};
    FBLDesc = {&FBLTree, nullptr, ExtraBLBits, 0, BL_CODES, MAX_BL_BITS};
    if (FIO.ProgressStep > 0) FNextReport = FIO.ProgressStep;
  }

  int64_t Run() {
    InitBlock();
    FLookahead = static_cast<unsigned>(ReadInput(FWindow, WINDOW_SIZE));
    FEof = FLookahead == 0;
    while (FLookahead < MIN_LOOKAHEAD && !FEof) FillWindow();
    if (FLevel <= 3)
      DeflateFast();
    else
      DeflateLazy();
    FlushOut();
    return FOutTotal;
  }

private:
  // ---- Input ------------------------------------------------------------------------------

  int32_t ReadInput(uint8_t* Buf, int32_t Count) {
    int32_t got = 0;
    while (got < Count) {
      const int32_t n = FIO.Read(Buf + got, Count - got);
      if (n <= 0) break;
      got += n;
    }
    FInputDone += got;
    if (FNextReport > 0 && FInputDone >= FNextReport && FIO.Progress) {
      while (FNextReport <= FInputDone) FNextReport += FIO.ProgressStep;
      FIO.Progress(CalcProgress(FInputDone, FIO.InputSize));
    }
    return got;
  }

  // Moves the upper half of the window down when the position nears its end, then reads
  // as much as fits.
  void FillWindow() {
    do {
      unsigned more = WINDOW_SIZE - FLookahead - FStrStart;
      if (FStrStart >= WSIZE + MAX_DIST) {
        std::memcpy(FWindow, FWindow + WSIZE, WSIZE);
        FMatchStart -= WSIZE;
        FStrStart -= WSIZE;
        FBlockStart -= WSIZE;
        for (auto& h : FHead) h = static_cast<uint16_t>(h >= WSIZE ? h - WSIZE : 0);
        for (auto& h : FHead3) h = static_cast<uint16_t>(h >= WSIZE ? h - WSIZE : 0);
        for (auto& p : FPrev) p = static_cast<uint16_t>(p >= WSIZE ? p - WSIZE : 0);
        more += WSIZE;
      }
      if (FEof || more == 0) return;
      const int32_t n = ReadInput(FWindow + FStrStart + FLookahead, static_cast<int32_t>(more));
      if (n == 0)
        FEof = true;
      else
        FLookahead += static_cast<unsigned>(n);
    } while (FLookahead < MIN_LOOKAHEAD && !FEof);
  }

  // Enters the string at Pos into both hashes; the previous head of its 4-byte chain, and
  // in FHead3Match the latest earlier position with the same 3-byte hash. (Near the end of
  // the input the hashes take in bytes past it: that costs only a useless candidate.)
  unsigned InsertString(unsigned Pos) {
    const uint8_t* p = FWindow + Pos;
    const unsigned h4 = Hash4(p), h3 = Hash3(p);
    FHead3Match = FHead3[h3];
    FHead3[h3] = static_cast<uint16_t>(Pos);
    const unsigned head = FHead[h4];
    FPrev[Pos & WMASK] = static_cast<uint16_t>(head);
    FHead[h4] = static_cast<uint16_t>(Pos);
    return head;
  }

  // Whether a candidate position is real and near enough (0 is the empty slot).
  bool Reachable(unsigned Pos) const { return Pos != 0 && FStrStart - Pos <= MAX_DIST; }

  // The longest match that beats FPrevLength: the 3-byte candidate while nothing of 3 is
  // known yet, then the 4-byte chain from CurMatch, each candidate first tried on its
  // first 4 bytes and on the 4 ending one past the best length. FMatchStart is set when
  // one is found.
  unsigned LongestMatch(unsigned CurMatch, unsigned Match3) {
    const uint8_t* scan = FWindow + FStrStart;
    int bestLen = static_cast<int>(FPrevLength);
    int nice = static_cast<int>(FNiceMatch);
    if (nice > static_cast<int>(FLookahead)) nice = static_cast<int>(FLookahead);
    const uint32_t scanStart = Load32(scan);
    if (bestLen < MIN_MATCH && Reachable(Match3) && std::memcmp(FWindow + Match3, scan, 3) == 0) {
      FMatchStart = Match3;
      bestLen = 3 + CommonLength(scan + 3, FWindow + Match3 + 3, MAX_MATCH - 3);
      if (bestLen >= nice) return static_cast<unsigned>(bestLen);
    }
    if (!Reachable(CurMatch)) return static_cast<unsigned>(bestLen);
    unsigned chain = FMaxChain;
    const unsigned limit = FStrStart > MAX_DIST ? FStrStart - MAX_DIST : 0;
    if (FPrevLength >= FGoodMatch) chain >>= 2;
    int endAt = bestLen >= 3 ? bestLen - 3 : 0;
    uint32_t scanEnd = Load32(scan + endAt);
    do {
      const uint8_t* match = FWindow + CurMatch;
      if (Load32(match + endAt) != scanEnd || Load32(match) != scanStart) continue;
      const int len = 4 + CommonLength(scan + 4, match + 4, MAX_MATCH - 4);
      if (len > bestLen) {
        FMatchStart = CurMatch;
        bestLen = len;
        if (len >= nice) break;
        endAt = bestLen - 3;
        scanEnd = Load32(scan + endAt);
      }
    } while ((CurMatch = FPrev[CurMatch & WMASK]) > limit && --chain != 0);
    return static_cast<unsigned>(bestLen);
  }

  // ---- Matching ---------------------------------------------------------------------------

  // Greedy: each match found is taken; its inner strings are hashed only when it is short.
  void DeflateFast() {
    unsigned matchLength = 0;
    FPrevLength = MIN_MATCH - 1;
    while (FLookahead != 0) {
      const unsigned head = InsertString(FStrStart);
      if (FMaxChain > 0) {
        matchLength = LongestMatch(head, FHead3Match);
        if (matchLength > FLookahead) matchLength = FLookahead;
      }
      bool flush;
      if (matchLength >= MIN_MATCH) {
        flush = TallyMatch(FStrStart - FMatchStart, matchLength - MIN_MATCH);
        FLookahead -= matchLength;
        if (matchLength <= FMaxLazy && FLookahead >= MIN_MATCH) {
          --matchLength;
          do {
            ++FStrStart;
            InsertString(FStrStart);
          } while (--matchLength != 0);
          ++FStrStart;
        } else {
          FStrStart += matchLength;
          matchLength = 0;
        }
      } else {
        flush = TallyLiteral(FWindow[FStrStart]);
        --FLookahead;
        ++FStrStart;
      }
      if (flush) {
        FlushBlock(false);
        FBlockStart = FStrStart;
      }
      if (FLookahead < MIN_LOOKAHEAD) FillWindow();
    }
    FlushBlock(true);
  }

  // Lazy: a match is emitted only when the next position offers none longer.
  void DeflateLazy() {
    unsigned matchLength = MIN_MATCH - 1;
    unsigned prevMatch = 0;
    bool matchAvailable = false;
    while (FLookahead != 0) {
      const unsigned head = InsertString(FStrStart);
      FPrevLength = matchLength;
      prevMatch = FMatchStart;
      matchLength = MIN_MATCH - 1;
      if (FPrevLength < FMaxLazy) {
        matchLength = LongestMatch(head, FHead3Match);
        if (matchLength > FLookahead) matchLength = FLookahead;
        if (matchLength == MIN_MATCH && FStrStart - FMatchStart > TOO_FAR) matchLength = MIN_MATCH - 1;
      }
      if (FPrevLength >= MIN_MATCH && matchLength <= FPrevLength) {
        const bool flush = TallyMatch(FStrStart - 1 - prevMatch, FPrevLength - MIN_MATCH);
        FLookahead -= FPrevLength - 1;
        FPrevLength -= 2;
        do {
          ++FStrStart;
          InsertString(FStrStart);
        } while (--FPrevLength != 0);
        matchAvailable = false;
        matchLength = MIN_MATCH - 1;
        ++FStrStart;
        if (flush) {
          FlushBlock(false);
          FBlockStart = FStrStart;
        }
      } else if (matchAvailable) {
        if (TallyLiteral(FWindow[FStrStart - 1])) {
          FlushBlock(false);
          FBlockStart = FStrStart;
        }
        ++FStrStart;
        --FLookahead;
      } else {
        matchAvailable = true;
        ++FStrStart;
        --FLookahead;
      }
      if (FLookahead < MIN_LOOKAHEAD) FillWindow();
    }
    if (matchAvailable) TallyLiteral(FWindow[FStrStart - 1]);
    FlushBlock(true);
  }

  // ---- Symbols ----------------------------------------------------------------------------

  bool TallyLiteral(uint8_t C) {
    FDBuf[FLastLit] = 0;
    FLBuf[FLastLit++] = C;
    ++FLTree.Freq[C];
    return BlockFull();
  }

  // Dist is the match distance, LC the match length - 3.
  bool TallyMatch(unsigned Dist, unsigned LC) {
    FDBuf[FLastLit] = static_cast<uint16_t>(Dist);
    FLBuf[FLastLit++] = static_cast<uint8_t>(LC);
    ++FLastDist;
    ++FLTree.Freq[FT.LengthCode[LC] + LITERALS + 1];
    ++FDTree.Freq[DCode(FT, Dist - 1)];
    return BlockFull();
  }

  // The block ends when the buffer is full or, from level 3 on, when the symbols so far
  // promise to compress well and a fresh block may adapt better.
  bool BlockFull() {
    if (FLevel > 2 && (FLastLit & 0xFFF) == 0) {
      uint64_t outLength = static_cast<uint64_t>(FLastLit) * 8;
      const int64_t inLength = static_cast<int64_t>(FStrStart) - FBlockStart;
      for (int d = 0; d < D_CODES; ++d) outLength += FDTree.Freq[d] * (5ull + ExtraDBits[d]);
      outLength >>= 3;
      if (FLastDist < FLastLit / 2 && static_cast<int64_t>(outLength) < inLength / 2) return true;
      // Past a quarter of the buffer a block with matches that pay ends, as shorter blocks follow
      // mixed input better; one without grows on, so that input which does not compress
      // still fits one stored block.
      if (FLastLit >= LIT_BUFSIZE / 4 && static_cast<int64_t>(outLength) < inLength - inLength / 16) return true;
    }
    return FLastLit == LIT_BUFSIZE - 1;
  }

  // ---- Trees ------------------------------------------------------------------------------

  void InitBlock() {
    for (int n = 0; n < L_CODES; ++n) FLTree.Freq[n] = 0;
    for (int n = 0; n < D_CODES; ++n) FDTree.Freq[n] = 0;
    for (int n = 0; n < BL_CODES; ++n) FBLTree.Freq[n] = 0;
    FLTree.Freq[END_BLOCK] = 1;
    FOptLen = FStaticLen = 0;
    FLastLit = FLastDist = 0;
  }

  bool Smaller(const TTree& T, int N, int M) const {
    return T.Freq[N] < T.Freq[M] || (T.Freq[N] == T.Freq[M] && FDepth[N] <= FDepth[M]);
  }

  void DownHeap(const TTree& T, int K) {
    const int v = FHeap[K];
    int j = K << 1;
    while (j <= FHeapLen) {
      if (j < FHeapLen && Smaller(T, FHeap[j + 1], FHeap[j])) ++j;
      if (Smaller(T, v, FHeap[j])) break;
      FHeap[K] = FHeap[j];
      K = j;
      j <<= 1;
    }
    FHeap[K] = v;
  }

  // Code lengths from the tree, limited to the descriptor's maximum: a leaf that would be
  // deeper is moved up and the counts are rebalanced, then the lengths are handed out
  // again by frequency. Adds the block's size with these codes to FOptLen (and with the
  // fixed codes to FStaticLen).
  void GenBitLen(const TTreeDesc& D) {
    TTree& t = *D.Tree;
    int overflow = 0;
    for (int& c : FBLCount) c = 0;
    t.Len[FHeap[FHeapMax]] = 0;  // the root
    int h;
    for (h = FHeapMax + 1; h < HEAP_SIZE; ++h) {
      const int n = FHeap[h];
      int bits = t.Len[t.Dad[n]] + 1;
      if (bits > D.MaxLength) {
        bits = D.MaxLength;
        ++overflow;
      }
      t.Len[n] = static_cast<uint16_t>(bits);
      if (n > t.MaxCode) continue;  // an inner node
      ++FBLCount[bits];
      const int xbits = n >= D.ExtraBase ? D.ExtraBits[n - D.ExtraBase] : 0;
      const uint64_t f = t.Freq[n];
      FOptLen += f * static_cast<uint64_t>(bits + xbits);
      if (D.StaticLen) FStaticLen += f * static_cast<uint64_t>(D.StaticLen[n] + xbits);
    }
    if (overflow == 0) return;
    do {
      int bits = D.MaxLength - 1;
      while (FBLCount[bits] == 0) --bits;
      --FBLCount[bits];
      FBLCount[bits + 1] += 2;
      --FBLCount[D.MaxLength];
      overflow -= 2;
    } while (overflow > 0);
    h = HEAP_SIZE;
    for (int bits = D.MaxLength; bits != 0; --bits) {
      int n = FBLCount[bits];
      while (n != 0) {
        const int m = FHeap[--h];
        if (m > t.MaxCode) continue;
        if (t.Len[m] != bits) {
          FOptLen += (static_cast<int64_t>(bits) - t.Len[m]) * static_cast<int64_t>(t.Freq[m]);
          t.Len[m] = static_cast<uint16_t>(bits);
        }
        --n;
      }
    }
  }

  // A Huffman code for the tree's frequencies; sets MaxCode, Len and Code.
  void BuildTree(const TTreeDesc& D) {
    TTree& t = *D.Tree;
    int maxCode = -1;
    FHeapLen = 0;
    FHeapMax = HEAP_SIZE;
    for (int n = 0; n < D.Elems; ++n) {
      if (t.Freq[n] != 0) {
        FHeap[++FHeapLen] = maxCode = n;
        FDepth[n] = 0;
      } else {
        t.Len[n] = 0;
      }
    }
    // A code needs two symbols at least: give unused ones a count of one.
    while (FHeapLen < 2) {
      const int node = FHeap[++FHeapLen] = maxCode < 2 ? ++maxCode : 0;
      t.Freq[node] = 1;
      FDepth[node] = 0;
      --FOptLen;
      if (D.StaticLen) FStaticLen -= D.StaticLen[node];
    }
    t.MaxCode = maxCode;
    for (int n = FHeapLen / 2; n >= 1; --n) DownHeap(t, n);
    int node = D.Elems;
    do {
      const int n = FHeap[1];
      FHeap[1] = FHeap[FHeapLen--];
      DownHeap(t, 1);
      const int m = FHeap[1];
      FHeap[--FHeapMax] = n;
      FHeap[--FHeapMax] = m;
      t.Freq[node] = static_cast<uint16_t>(t.Freq[n] + t.Freq[m]);
      FDepth[node] = static_cast<uint8_t>(std::max(FDepth[n], FDepth[m]) + 1);
      t.Dad[n] = t.Dad[m] = static_cast<uint16_t>(node);
      FHeap[1] = node++;
      DownHeap(t, 1);
    } while (FHeapLen >= 2);
    FHeap[--FHeapMax] = FHeap[1];
    GenBitLen(D);
    TStaticTables::GenCodes(t.Len, t.Code, maxCode, FBLCount);
  }

  // Counts the run-length symbols that will describe the tree's code lengths.
  void ScanTree(const TTree& T, int MaxCode) {
    int prevLen = -1, nextLen = T.Len[0], count = 0, maxCount = 7, minCount = 4;
    if (nextLen == 0) maxCount = 138, minCount = 3;
    for (int n = 0; n <= MaxCode; ++n) {
      const int curLen = nextLen;
      nextLen = n < MaxCode ? T.Len[n + 1] : -1;
      if (++count < maxCount && curLen == nextLen) continue;
      if (count < minCount) {
        FBLTree.Freq[curLen] = static_cast<uint16_t>(FBLTree.Freq[curLen] + count);
      } else if (curLen != 0) {
        if (curLen != prevLen) ++FBLTree.Freq[curLen];
        ++FBLTree.Freq[REP_3_6];
      } else if (count <= 10) {
        ++FBLTree.Freq[REPZ_3_10];
      } else {
        ++FBLTree.Freq[REPZ_11_138];
      }
      count = 0;
      prevLen = curLen;
      if (nextLen == 0)
        maxCount = 138, minCount = 3;
      else if (curLen == nextLen)
        maxCount = 6, minCount = 3;
      else
        maxCount = 7, minCount = 4;
    }
  }

  void SendTree(const TTree& T, int MaxCode) {
    int prevLen = -1, nextLen = T.Len[0], count = 0, maxCount = 7, minCount = 4;
    if (nextLen == 0) maxCount = 138, minCount = 3;
    for (int n = 0; n <= MaxCode; ++n) {
      const int curLen = nextLen;
      nextLen = n < MaxCode ? T.Len[n + 1] : -1;
      if (++count < maxCount && curLen == nextLen) continue;
      if (count < minCount) {
        do SendCode(curLen, FBLTree); while (--count != 0);
      } else if (curLen != 0) {
        if (curLen != prevLen) {
          SendCode(curLen, FBLTree);
          --count;
        }
        SendCode(REP_3_6, FBLTree);
        SendBits(static_cast<unsigned>(count - 3), 2);
      } else if (count <= 10) {
        SendCode(REPZ_3_10, FBLTree);
        SendBits(static_cast<unsigned>(count - 3), 3);
      } else {
        SendCode(REPZ_11_138, FBLTree);
        SendBits(static_cast<unsigned>(count - 11), 7);
      }
      count = 0;
      prevLen = curLen;
      if (nextLen == 0)
        maxCount = 138, minCount = 3;
      else if (curLen == nextLen)
        maxCount = 6, minCount = 3;
      else
        maxCount = 7, minCount = 4;
    }
  }

  // The bit-length tree; the index in BLOrder of its last length to send.
  int BuildBLTree() {
    ScanTree(FLTree, FLTree.MaxCode);
    ScanTree(FDTree, FDTree.MaxCode);
    BuildTree(FBLDesc);
    int maxIndex;
    for (maxIndex = BL_CODES - 1; maxIndex >= 3; --maxIndex)
      if (FBLTree.Len[BLOrder[maxIndex]] != 0) break;
    FOptLen += 3 * (static_cast<uint64_t>(maxIndex) + 1) + 5 + 5 + 4;
    return maxIndex;
  }

  void SendAllTrees(int LCodes, int DCodes, int BLCodes) {
    SendBits(static_cast<unsigned>(LCodes - 257), 5);
    SendBits(static_cast<unsigned>(DCodes - 1), 5);
    SendBits(static_cast<unsigned>(BLCodes - 4), 4);
    for (int rank = 0; rank < BLCodes; ++rank) SendBits(FBLTree.Len[BLOrder[rank]], 3);
    SendTree(FLTree, LCodes - 1);
    SendTree(FDTree, DCodes - 1);
  }

  void CompressBlock(const uint16_t* LCode, const uint16_t* LLen, const uint16_t* DCodeTab, const uint16_t* DLen) {
    for (unsigned i = 0; i < FLastLit; ++i) {
      const unsigned lc = FLBuf[i];
      unsigned dist = FDBuf[i];
      if (dist == 0) {
        SendBits(LCode[lc], LLen[lc]);
        continue;
      }
      unsigned code = FT.LengthCode[lc];
      SendBits(LCode[code + LITERALS + 1], LLen[code + LITERALS + 1]);
      if (const int extra = ExtraLBits[code]; extra != 0)
        SendBits(lc - static_cast<unsigned>(FT.BaseLength[code]), extra);
      --dist;
      code = DCode(FT, dist);
      SendBits(DCodeTab[code], DLen[code]);
      if (const int extra = ExtraDBits[code]; extra != 0)
        SendBits(dist - static_cast<unsigned>(FT.BaseDist[code]), extra);
    }
    SendBits(LCode[END_BLOCK], LLen[END_BLOCK]);
  }

  // Ends the current block, sent in whichever of the three forms is smallest. Input that
  // does not compress and fits one block goes out as it is, without a block header.
  void FlushBlock(bool Eof) {
    const uint8_t* buf = FBlockStart >= 0 ? FWindow + FBlockStart : nullptr;
    const uint64_t storedLen = static_cast<uint64_t>(static_cast<int64_t>(FStrStart) - FBlockStart);
    BuildTree(FLDesc);
    BuildTree(FDDesc);
    const int maxBLIndex = BuildBLTree();
    uint64_t optLenB = (FOptLen + 3 + 7) >> 3;
    const uint64_t staticLenB = (FStaticLen + 3 + 7) >> 3;
    if (staticLenB <= optLenB) optLenB = staticLenB;

    if (storedLen <= optLenB && Eof && !FAnyBlock && buf != nullptr) {
      PutBytes(buf, static_cast<size_t>(storedLen));
      FIO.Stored = true;
    } else if (storedLen + 4 <= optLenB && buf != nullptr && storedLen <= 0xFFFF) {
      SendBits((STORED_BLOCK << 1) + (Eof ? 1u : 0u), 3);
      WindUp();
      PutShort(static_cast<uint16_t>(storedLen));
      PutShort(static_cast<uint16_t>(~storedLen));
      PutBytes(buf, static_cast<size_t>(storedLen));
    } else if (staticLenB == optLenB) {
      SendBits((STATIC_TREES << 1) + (Eof ? 1u : 0u), 3);
      CompressBlock(FT.LTreeCode, FT.LTreeLen, FT.DTreeCode, FT.DTreeLen);
    } else {
      SendBits((DYN_TREES << 1) + (Eof ? 1u : 0u), 3);
      SendAllTrees(FLTree.MaxCode + 1, FDTree.MaxCode + 1, maxBLIndex + 1);
      CompressBlock(FLTree.Code, FLTree.Len, FDTree.Code, FDTree.Len);
    }
    FAnyBlock = true;
    InitBlock();
    if (Eof) WindUp();
  }

  // ---- Bits and bytes ---------------------------------------------------------------------

  void SendCode(int C, const TTree& T) { SendBits(T.Code[C], T.Len[C]); }

  void SendBits(unsigned Value, int Length) {
    FBitBuf |= static_cast<uint64_t>(Value) << FBitCount;
    FBitCount += Length;
    if (FBitCount >= 32) {
      if (FOutCount > OUTBUF_SIZE - 4) FlushOut();
      const uint32_t w = static_cast<uint32_t>(FBitBuf);
      FOut[FOutCount] = static_cast<uint8_t>(w);
      FOut[FOutCount + 1] = static_cast<uint8_t>(w >> 8);
      FOut[FOutCount + 2] = static_cast<uint8_t>(w >> 16);
      FOut[FOutCount + 3] = static_cast<uint8_t>(w >> 24);
      FOutCount += 4;
      FBitBuf >>= 32;
      FBitCount -= 32;
    }
  }

  // Sends the bits left over, up to the next byte boundary.
  void WindUp() {
    while (FBitCount > 0) {
      PutByte(static_cast<uint8_t>(FBitBuf));
      FBitBuf >>= 8;
      FBitCount -= 8;
    }
    FBitBuf = 0;
    FBitCount = 0;
  }

  void PutByte(uint8_t B) {
    if (FOutCount >= OUTBUF_SIZE) FlushOut();
    FOut[FOutCount++] = B;
  }

  void PutShort(uint16_t W) {
    PutByte(static_cast<uint8_t>(W));
    PutByte(static_cast<uint8_t>(W >> 8));
  }

  void PutBytes(const uint8_t* P, size_t N) {
    while (N > 0) {
      if (FOutCount >= OUTBUF_SIZE) FlushOut();
      const size_t n = std::min(N, static_cast<size_t>(OUTBUF_SIZE - FOutCount));
      std::memcpy(FOut + FOutCount, P, n);
      FOutCount += static_cast<int>(n);
      P += n;
      N -= n;
    }
  }

  void FlushOut() {
    if (FOutCount == 0) return;
    if (FEncrypt) EncryptBuffer(FOut, static_cast<size_t>(FOutCount));
    FIO.Write(FOut, FOutCount);
    FOutTotal += FOutCount;
    FOutCount = 0;
  }

  TDeflateIO& FIO;
  const bool FEncrypt;
  const int FLevel;
  const TStaticTables& FT;
  unsigned FGoodMatch, FMaxLazy, FNiceMatch, FMaxChain;

  uint8_t FWindow[WINDOW_SIZE + WINDOW_SLACK] = {};
  uint16_t FHead[1 << HASH4_BITS] = {};
  uint16_t FHead3[1 << HASH3_BITS] = {};
  uint16_t FPrev[WSIZE] = {};
  unsigned FHead3Match = 0;
  unsigned FStrStart = 0, FLookahead = 0, FMatchStart = 0, FPrevLength = MIN_MATCH - 1;
  int64_t FBlockStart = 0;
  bool FEof = false;
  int64_t FInputDone = 0, FNextReport = 0;

  uint8_t FLBuf[LIT_BUFSIZE] = {};
  uint16_t FDBuf[LIT_BUFSIZE] = {};
  unsigned FLastLit = 0, FLastDist = 0;

  TTree FLTree{}, FDTree{}, FBLTree{};
  TTreeDesc FLDesc{}, FDDesc{}, FBLDesc{};
  int FHeap[HEAP_SIZE] = {};
  int FHeapLen = 0, FHeapMax = 0;
  uint8_t FDepth[HEAP_SIZE] = {};
  int FBLCount[MAX_BITS + 1] = {};
  uint64_t FOptLen = 0, FStaticLen = 0;
  bool FAnyBlock = false;

  uint64_t FBitBuf = 0;
  int FBitCount = 0;
  uint8_t FOut[OUTBUF_SIZE] = {};
  int FOutCount = 0;
  int64_t FOutTotal = 0;
};

}  // namespace

int64_t Deflate(TDeflateIO& Zip, bool Encrypt, int Level) {
  Zip.Stored = false;
  auto state = std::make_unique<TDeflater>(Zip, Encrypt, Level);
  return state->Run();
}
