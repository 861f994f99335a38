// The decoders of the LHA, ZOO, ARJ and ARC readers on hostile and edge-case streams.
#include <gtest/gtest.h>

#include "archive/core/arc_decoder.h"
#include "archive/core/lzh_decoder.h"
#include "archive/core/lzhuf.h"
#include "archive/core/zoo_lzd.h"
#include "old_readers_test_util.h"

namespace {

class TBits {
public:
  TBits& Put(int N, uint32_t V) {
    for (int I = N - 1; I >= 0; I--) {
      FAcc = (FAcc << 1) | ((V >> I) & 1);
      if (++FN == 8) {
        Data.push_back(uint8_t(FAcc));
        FAcc = FN = 0;
      }
    }
    return *this;
  }
  TByteVec Bytes() {
    TByteVec D = Data;
    if (FN) D.push_back(uint8_t(FAcc << (8 - FN)));
    return D;
  }
  TByteVec Data;

private:
  uint32_t FAcc = 0;
  int FN = 0;
};

TDecodeResult Lzh(const TByteVec& In, uint32_t Size, TVectorSink& Out, uint8_t DicBit = 13, uint8_t PBit = 4,
                  uint8_t Mode = 3) {
  TLzhDecoder D;
  LzhInit(D, 16, DicBit, PBit, Mode);
  TMemorySource Src(In.data(), In.size());
  TDecodeResult R = LzhDecode(D, Src, Out, Size);
  LzhDone(D);
  return R;
}

// One block of Count copies of C/position code P, every table in its one-symbol form.
TBits OneSymbolBlock(int Count, int C, int P, int PBit) {
  TBits B;
  B.Put(16, Count).Put(5, 0).Put(5, 0).Put(9, 0).Put(9, C).Put(PBit, 0).Put(PBit, P);
  return B;
}

// The first entry of level0.lzh: -lh5- text.txt, its packed bytes.
TByteVec Lh5Text() {
  TByteVec A = ReadWholeFile(OldFixture("level0.lzh"));
  size_t S = A[0], Packed = A[7] | (A[8] << 8);
  return TByteVec(A.begin() + S + 2, A.begin() + S + 2 + Packed);
}

TEST(LzhDecoder, Limits) {
  {
    SCOPED_TRACE("nothing to decode writes nothing");
    TVectorSink Out;
    EXPECT_EQ(Lzh({}, 0, Out), TDecodeResult::Ok);
    EXPECT_TRUE(Out.Data.empty());
  }
  {
    SCOPED_TRACE("a first block size of 0 ends the data");
    TVectorSink Out;
    EXPECT_EQ(Lzh({0, 0, 0}, 100, Out), TDecodeResult::Ok);
    EXPECT_TRUE(Out.Data.empty());
  }
  {
    SCOPED_TRACE("a last match past the size is written whole");
    TVectorSink Out;
    // One-symbol blocks: a literal 'A'; then a match of 256 (symbol 509) for 10 bytes.
    TByteVec In = OneSymbolBlock(1, 'A', 0, 4).Bytes();
    TByteVec In2 = OneSymbolBlock(1, 509, 1, 4).Bytes();
    TVectorSink First;
    EXPECT_EQ(Lzh(In, 1, First), TDecodeResult::Ok);
    EXPECT_EQ(First.Data, TByteVec{'A'});
    EXPECT_EQ(Lzh(In2, 10, Out), TDecodeResult::Ok);
    EXPECT_EQ(Out.Data.size(), 256u);  // from the zeroed window
  }
  {
    SCOPED_TRACE("real -lh5- data");
    TVectorSink Out;
    EXPECT_EQ(Lzh(Lh5Text(), 3000, Out), TDecodeResult::Ok);
    EXPECT_EQ(Out.Data, Plain("text.txt"));
  }
}

TEST(LzhDecoder, HostileStreams) {
  TByteVec Real = Lh5Text();
  TByteVec Half(Real.begin(), Real.begin() + Real.size() / 2);
  struct {
    const char* What;
    TByteVec In;
    uint32_t Size;
    uint8_t DicBit, PBit, Mode;
    TDecodeResult Want;
  } Cases[] = {
      // The input ends: an error, not zeros up to a stated size of 1 GB.
      {"cut in half", Half, 1u << 30, 13, 4, 3, TDecodeResult::Truncated},
      {"only a block size", {0, 5}, 1u << 30, 13, 4, 3, TDecodeResult::Truncated},
      // Code-length lengths: n = 3, the first 7 + ten 1 bits = 17.
      {"code length above 16", TBits().Put(16, 1).Put(5, 3).Put(3, 7).Put(11, 0x7FE).Put(16, 0).Bytes(), 10, 13, 4,
       3, TDecodeResult::IncompleteCodeSet},
      {"more code-length lengths than 19", TBits().Put(16, 1).Put(5, 25).Put(16, 0).Bytes(), 10, 13, 4, 3,
       TDecodeResult::IncompleteCodeSet},
      {"more position lengths than positions",
       TBits().Put(16, 1).Put(5, 0).Put(5, 0).Put(9, 0).Put(9, 0).Put(4, 15).Put(16, 0).Bytes(), 10, 12, 4, 3,
       TDecodeResult::IncompleteCodeSet},
      {"one-symbol literal beyond 510", TBits().Put(16, 1).Put(5, 0).Put(5, 0).Put(9, 0).Put(9, 511).Bytes(), 10,
       13, 4, 3, TDecodeResult::IncompleteCodeSet},
      {"over-full code lengths", TBits().Put(16, 1).Put(5, 3).Put(3, 1).Put(3, 1).Put(3, 1).Put(2, 0).Bytes(), 10,
       13, 4, 3, TDecodeResult::IncompleteCodeSet},
      // -lh6-/ARJ positions reach 65535; the window is smaller: an error, never a read
      // before the window.
      {"position beyond the window",
       [] {
         TBits B = OneSymbolBlock(1, 300, 16, 5);
         B.Put(15, 0x7FFF);
         return B.Bytes();
       }(),
       100, 16, 5, 5, TDecodeResult::BadData},
  };
  for (auto& C : Cases) {
    SCOPED_TRACE(C.What);
    TVectorSink Out(1 << 20);
    EXPECT_EQ(Lzh(C.In, C.Size, Out, C.DicBit, C.PBit, C.Mode), C.Want);
    EXPECT_LE(Out.Data.size(), 65536u);
  }
}

TEST(LzhDecoder, ArjFastAndLzhufStopAtTheEndOfTheInput) {
  TLzhDecoder D;
  LzhInit(D, 32, 16, 5, 2);
  TByteVec Ones(20, 0xFF);
  TMemorySource Src(Ones.data(), Ones.size());
  TVectorSink Out(1 << 20);
  EXPECT_EQ(ArjDecodeFast(D, Src, Out, 1u << 30), TDecodeResult::Truncated);
  LzhDone(D);

  TMemorySource Src2(Ones.data(), Ones.size());
  TVectorSink Out2(1 << 20);
  EXPECT_EQ(Lh1Decode(Src2, Out2, 1u << 30), TDecodeResult::Truncated);
  EXPECT_LT(Out2.Data.size(), 2000u);
}

class TLsbBits {
public:
  TLsbBits& Put(int N, uint32_t V) {
    FAcc |= uint64_t(V) << FN;
    FN += N;
    while (FN >= 8) {
      Data.push_back(uint8_t(FAcc));
      FAcc >>= 8;
      FN -= 8;
    }
    return *this;
  }
  TByteVec Bytes() {
    TByteVec D = Data;
    if (FN) D.push_back(uint8_t(FAcc));
    return D;
  }
  TByteVec Data;

private:
  uint64_t FAcc = 0;
  int FN = 0;
};

TEST(ZooLzd, CodesAndBounds) {
  // Output is handed on in blocks: an entry that fails keeps what it had buffered.
  struct {
    const char* What;
    TByteVec In;
    uint32_t Size;
    TDecodeResult Want;
    std::string Out;
  } Cases[] = {
      {"a b, the string ab, the end", TLsbBits().Put(9, 256).Put(9, 'a').Put(9, 'b').Put(9, 258).Put(9, 257).Bytes(),
       4, TDecodeResult::Ok, "abab"},
      // KwKwK: the code about to be defined.
      {"a, then code 258 = aa", TLsbBits().Put(9, 'a').Put(9, 258).Put(9, 257).Bytes(), 3, TDecodeResult::Ok, "aaa"},
      {"a code above the next free one", TLsbBits().Put(9, 'a').Put(9, 300).Put(9, 257).Bytes(), 3,
       TDecodeResult::InvalidCode, ""},
      {"a string code right after a clear", TLsbBits().Put(9, 256).Put(9, 258).Bytes(), 3, TDecodeResult::InvalidCode,
       ""},
      {"no end code", TLsbBits().Put(9, 'a').Put(9, 'b').Bytes(), 2, TDecodeResult::Truncated, ""},
      // More output than the entry states is cut off there.
      {"longer than stated", TLsbBits().Put(9, 'a').Put(9, 258).Put(9, 259).Put(9, 257).Bytes(), 4,
       TDecodeResult::Ok, "aaaa"},
  };
  for (auto& C : Cases) {
    SCOPED_TRACE(C.What);
    TMemorySource Src(C.In.data(), C.In.size());
    TVectorSink Out;
    EXPECT_EQ(ZooLzdDecode(Src, Out, C.Size), C.Want);
    EXPECT_EQ(std::string(Out.Data.begin(), Out.Data.end()), C.Out);
  }
}

TEST(ArcDecoder, SmallStreams) {
  struct {
    const char* What;
    int Method;
    TByteVec In;
    uint32_t Size;
    TDecodeResult Want;
    TByteVec Out;
  } Cases[] = {
      {"run-length count 0 is one 0x90", 3, {'x', 0x90, 0, 'y'}, 3, TDecodeResult::Ok, {'x', 0x90, 'y'}},
      {"run-length count 3", 3, {'x', 0x90, 3}, 3, TDecodeResult::Ok, {'x', 'x', 'x'}},
      {"empty squeeze tree", 4, {0, 0, 0xFF}, 0, TDecodeResult::Ok, {}},
      {"squeeze tree: 'a' then the end", 4, {1, 0, 0x9E, 0xFF, 0xFF, 0xFE, 0x02}, 1, TDecodeResult::Ok, {'a'}},
      {"crunch: first code unused", 5, {0xFF, 0xF0}, 1, TDecodeResult::InvalidCode, {}},
      {"stored, cut at the stated size", 2, {1, 2, 3, 4}, 2, TDecodeResult::Ok, {1, 2}},
  };
  for (auto& C : Cases) {
    SCOPED_TRACE(C.What);
    TMemorySource Src(C.In.data(), C.In.size());
    TVectorSink Out;
    EXPECT_EQ(ArcDecodeEntry(C.Method, Src, Out, C.Size), C.Want);
    EXPECT_EQ(Out.Data, C.Out);
  }
}

}  // namespace
