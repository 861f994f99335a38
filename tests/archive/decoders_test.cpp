// The decoders on their own: inflate against streams made by gzip and hand-built bad
// streams, the older ZIP methods against hand-made archives, LZW against compress.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "archive/core/arc_globals.h"
#include "archive/core/explode.h"
#include "archive/core/inflate.h"
#include "archive/core/lzw_decompress.h"
#include "archive/core/unreduce.h"
#include "archive/core/unshrink.h"
#include "arc_test_util.h"

namespace {

TByteVec Arc3(const std::string& Name) { return ReadWholeFile(FixturePath("arc3/" + Name)); }

// Bits least significant first, as deflate and the ZIP methods read them; Huffman
// codes go in from their most significant bit.
struct TBits {
  TByteVec D;
  uint32_t Acc = 0;
  int N = 0;
  TBits& Put(uint32_t V, int Bits) {
    for (int i = 0; i < Bits; i++) {
      Acc |= ((V >> i) & 1) << N;
      if (++N == 8) {
        D.push_back(uint8_t(Acc));
        Acc = 0;
        N = 0;
      }
    }
    return *this;
  }
  TBits& Code(uint32_t C, int Len) {
    for (int i = Len - 1; i >= 0; i--) Put((C >> i) & 1, 1);
    return *this;
  }
  TByteVec Done() {
    TByteVec R = D;
    if (N) R.push_back(uint8_t(Acc));
    return R;
  }
};

// Fixed-code literal/length symbol.
void FixedSym(TBits& B, unsigned S) {
  if (S < 144) B.Code(0x30 + S, 8);
  else if (S < 256) B.Code(0x190 + S - 144, 9);
  else if (S < 280) B.Code(S - 256, 7);
  else B.Code(0xC0 + S - 280, 8);
}

// The deflate data of a gzip member without optional fields.
TByteVec DeflateBody(const TByteVec& Gz) {
  EXPECT_EQ(Gz[3], 0);
  return TByteVec(Gz.begin() + 10, Gz.end() - 8);
}

TDecodeResult RunInflate(const TByteVec& In, TVectorSink& Out, size_t Chunk = SIZE_MAX, uint64_t* Used = nullptr) {
  TMemorySource Src(In.data(), In.size(), Chunk);
  return Inflate(Src, Out, Used);
}

TEST(Inflate, GzipStreamsWholeAndInOneByteReads) {
  const TByteVec Data = Arc3("src/data.bin");
  const TByteVec Body = DeflateBody(Arc3("data9.bin.gz"));
  for (size_t Chunk : {size_t(1), size_t(5), SIZE_MAX}) {
    TVectorSink Out;
    uint64_t Used = 0;
    ASSERT_EQ(RunInflate(Body, Out, Chunk, &Used), TDecodeResult::Ok) << Chunk;
    EXPECT_EQ(Out.Data, Data);
    EXPECT_EQ(Used, Body.size());
  }
  // Bytes after the stream are not taken: the next gzip member starts there.
  TByteVec Padded = Body;
  Padded.insert(Padded.end(), 40, 0xAB);
  TVectorSink Out;
  uint64_t Used = 0;
  ASSERT_EQ(RunInflate(Padded, Out, SIZE_MAX, &Used), TDecodeResult::Ok);
  EXPECT_EQ(Used, Body.size());
}

TEST(Inflate, EmptyStreamAndExactWindowFlush) {
  // A final fixed block holding only the end code.
  TBits B;
  B.Put(1, 1).Put(1, 2);
  FixedSym(B, 256);
  TVectorSink Out;
  ASSERT_EQ(RunInflate(B.Done(), Out), TDecodeResult::Ok);
  EXPECT_TRUE(Out.Data.empty());
  EXPECT_TRUE(Out.Writes.empty());

  // 32768 stored bytes go out in one write, and the final flush adds nothing.
  TBits S;
  S.Put(1, 1).Put(0, 2).Put(0, 5).Put(0x8000, 16).Put(0x7FFF, 16);
  TByteVec In = S.Done();
  for (int i = 0; i < 32768; i++) In.push_back(uint8_t(i * 7));
  TVectorSink Out2;
  ASSERT_EQ(RunInflate(In, Out2), TDecodeResult::Ok);
  EXPECT_EQ(Out2.Writes, std::vector<size_t>{32768});
}

TEST(Inflate, LongOutputIsWrittenInWindowBlocks) {
  // 300000 bytes: matches across window slides and a last partial block.
  TBits B;
  B.Put(1, 1).Put(1, 2);
  FixedSym(B, 'x');
  FixedSym(B, 'y');
  size_t Total = 2;
  while (Total + 258 <= 300000) {
    FixedSym(B, 285);  // length 258
    B.Code(1, 5);      // distance 2
    Total += 258;
  }
  FixedSym(B, 256);
  TVectorSink Out;
  ASSERT_EQ(RunInflate(B.Done(), Out), TDecodeResult::Ok);
  ASSERT_EQ(Out.Data.size(), Total);
  for (size_t i = 0; i < Total; i++) ASSERT_EQ(Out.Data[i], i % 2 ? 'y' : 'x') << i;
  for (size_t i = 0; i + 1 < Out.Writes.size(); i++) EXPECT_EQ(Out.Writes[i], 32768u);
  TVectorSink Short(40000);
  EXPECT_EQ(RunInflate(B.Done(), Short), TDecodeResult::WriteError);
}

// A match in fixed codes: its length and distance symbols with their extra bits.
void FixedMatch(TBits& B, unsigned Len, unsigned Dist) {
  static const unsigned LenBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                       31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
  static const unsigned DistBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                        33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
  unsigned L = 28;
  while (LenBase[L] > Len) L--;
  FixedSym(B, 257 + L);
  const unsigned LenExtra = L < 8 || L == 28 ? 0 : (L - 4) / 4;
  B.Put(Len - LenBase[L], int(LenExtra));
  unsigned D = 29;
  while (DistBase[D] > Dist) D--;
  B.Code(D, 5);
  B.Put(Dist - DistBase[D], int(D < 4 ? 0 : (D - 2) / 2));
}

// Both ways of decoding: through the window to a sink, and straight into a block of
// exactly the output's size (so that a store past its end is an overrun).
void ExpectBothWays(const TByteVec& In, const TByteVec& Want, const std::string& What) {
  TVectorSink Sink;
  ASSERT_EQ(RunInflate(In, Sink), TDecodeResult::Ok) << What;
  EXPECT_TRUE(Sink.Data == Want) << What;
  TByteVec Out(Want.size());
  size_t Made = 0, Used = 0;
  ASSERT_EQ(InflateBuffer(In.data(), In.size(), Out.data(), Out.size(), Made, &Used), TDecodeResult::Ok) << What;
  EXPECT_EQ(Made, Want.size()) << What;
  EXPECT_TRUE(Out == Want) << What;
  EXPECT_EQ(Used, In.size()) << What;
  if (Want.empty()) return;
  // One byte short: a write error, and what was made is the output's start.
  TByteVec Short(Want.size() - 1);
  EXPECT_EQ(InflateBuffer(In.data(), In.size(), Short.data(), Short.size(), Made), TDecodeResult::WriteError) << What;
  EXPECT_LE(Made, Short.size()) << What;
  EXPECT_TRUE(std::equal(Short.begin(), Short.begin() + long(Made), Want.begin())) << What;
}

TEST(Inflate, MatchesOfEveryShapeUpToTheEndOfTheOutput) {
  // Each distance class of the copy (a byte run, short periods, 8-15, 16 and more) with
  // lengths on both sides of its fixed stores, in the middle of the data and at the end
  // of an exact output block.
  for (unsigned Dist : {1u, 2u, 3u, 5u, 7u, 8u, 9u, 15u, 16u, 17u, 31u, 33u, 47u, 48u, 49u, 300u}) {
    for (unsigned Len : {3u, 8u, 16u, 17u, 24u, 25u, 32u, 33u, 47u, 48u, 49u, 100u, 258u}) {
      TBits B;
      B.Put(1, 1).Put(1, 2);
      TByteVec Want;
      for (unsigned i = 0; i < Dist; i++) {
        const uint8_t C = uint8_t('a' + (i * 7 + Dist) % 26);
        FixedSym(B, C);
        Want.push_back(C);
      }
      for (int k = 0; k < 6; k++) {
        FixedMatch(B, Len, Dist);
        for (unsigned i = 0; i < Len; i++) Want.push_back(Want[Want.size() - Dist]);
        FixedSym(B, 'z');
        Want.push_back('z');
      }
      // The decoder takes its last input bytes one symbol at a time: literals here
      // leave the matches above to the fast way, the one below to the careful one.
      for (int i = 0; i < 60; i++) {
        FixedSym(B, 'A' + i % 26);
        Want.push_back(uint8_t('A' + i % 26));
      }
      FixedMatch(B, Len, Dist);
      for (unsigned i = 0; i < Len; i++) Want.push_back(Want[Want.size() - Dist]);
      FixedSym(B, 256);
      ExpectBothWays(B.Done(), Want, "distance " + std::to_string(Dist) + " length " + std::to_string(Len));
    }
  }
  const TByteVec Data = Arc3("src/data.bin");
  ExpectBothWays(DeflateBody(Arc3("data9.bin.gz")), Data, "gzip stream");
}

// Canonical codes of the given lengths: by length, then by symbol.
std::vector<uint32_t> CanonicalCodes(const std::vector<int>& Lens) {
  unsigned Count[16] = {0};
  for (int L : Lens) Count[L]++;
  Count[0] = 0;
  uint32_t Next[16] = {0}, Code = 0;
  for (int L = 1; L < 16; L++) Next[L] = Code = (Code + Count[L - 1]) << 1;
  std::vector<uint32_t> Codes(Lens.size());
  for (size_t i = 0; i < Lens.size(); i++)
    if (Lens[i]) Codes[i] = Next[Lens[i]]++;
  return Codes;
}

TEST(Inflate, LongestCodesWithTheirMostExtraBits) {
  // A dynamic block whose codes run from 1 to 15 bits: a 15-bit length code with 5 extra
  // bits takes 20 bits, a 15-bit distance code with 13 extra bits 28, more than a
  // 32-bit bit buffer holds after one refill. Random literals and matches over 200 KB
  // reach back the whole 32 KB.
  std::vector<int> LitLens(286), DistLens(30);
  const unsigned LitSyms[16] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 256, 257, 'k', 285, 'l', 284};
  for (int i = 0; i < 16; i++) LitLens[LitSyms[i]] = std::min(i + 1, 15);
  const unsigned DistSyms[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 28, 29};
  for (int i = 0; i < 16; i++) DistLens[DistSyms[i]] = std::min(i + 1, 15);
  const std::vector<uint32_t> LitCodes = CanonicalCodes(LitLens), DistCodes = CanonicalCodes(DistLens);
  static const unsigned DistBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                        33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};

  TBits B;
  B.Put(1, 1).Put(2, 2).Put(286 - 257, 5).Put(30 - 1, 5).Put(19 - 4, 4);
  // The code-length code: lengths 0-15 in four bits each (the code of length L is L).
  for (int S : {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15}) B.Put(S >= 16 ? 0 : 4, 3);
  for (int L : LitLens) B.Code(uint32_t(L), 4);
  for (int L : DistLens) B.Code(uint32_t(L), 4);
  auto Lit = [&](unsigned S) { B.Code(LitCodes[S], LitLens[S]); };

  TByteVec Want;
  uint32_t Seed = 12345;
  auto Random = [&](uint32_t N) {
    Seed = Seed * 1103515245u + 12345u;
    return (Seed >> 8) % N;
  };
  while (Want.size() < 200000) {
    if (Want.empty() || Random(3) == 0) {
      const unsigned S = LitSyms[std::array<int, 13>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 14, 14}[Random(13)]];
      Lit(S);
      Want.push_back(uint8_t(S));
      continue;
    }
    const unsigned LenSym = std::array<unsigned, 4>{257, 284, 284, 285}[Random(4)];
    Lit(LenSym);
    unsigned Len = LenSym == 257 ? 3 : 258;
    if (LenSym == 284) {
      const unsigned Extra = Random(31);  // 227-257
      B.Put(Extra, 5);
      Len = 227 + Extra;
    }
    unsigned D;
    do D = DistSyms[Random(16)];
    while (DistBase[D] > Want.size());
    const unsigned ExtraBits = D < 4 ? 0 : (D - 2) / 2;
    const unsigned Extra = std::min<unsigned>(Random(1u << ExtraBits), unsigned(Want.size()) - DistBase[D]);
    B.Code(DistCodes[D], DistLens[D]).Put(Extra, int(ExtraBits));
    const size_t Dist = DistBase[D] + Extra;
    for (unsigned i = 0; i < Len; i++) Want.push_back(Want[Want.size() - Dist]);
  }
  Lit(256);
  const TByteVec In = B.Done();
  ExpectBothWays(In, Want, "long codes");
  // Cut anywhere, the stream is truncated, however the input arrives.
  for (size_t Cut : {In.size() / 2, In.size() - 40, In.size() - 3, In.size() - 1}) {
    const TByteVec Part(In.begin(), In.begin() + long(Cut));
    for (size_t Chunk : {size_t(7), SIZE_MAX}) {
      TVectorSink Out;
      EXPECT_EQ(RunInflate(Part, Out, Chunk), TDecodeResult::Truncated) << Cut << " chunk " << Chunk;
    }
    TByteVec Out(Want.size());
    size_t Made = 0;
    EXPECT_EQ(InflateBuffer(Part.data(), Part.size(), Out.data(), Out.size(), Made), TDecodeResult::Truncated) << Cut;
  }
}

// Code-length code of four 2-bit codes: 0 -> 00, 16 -> 01, 17 -> 10, 18 -> 11.
TBits DynamicHeader(unsigned HLit, unsigned HDist) {
  TBits B;
  B.Put(1, 1).Put(2, 2).Put(HLit - 257, 5).Put(HDist - 1, 5).Put(0, 4);
  for (int i = 0; i < 4; i++) B.Put(2, 3);
  return B;
}

TEST(Inflate, InvalidStreamsGiveTheirErrors) {
  struct TCase {
    const char* What;
    TByteVec In;
    TDecodeResult Want;
  };
  std::vector<TCase> Cases;
  Cases.push_back({"block type 3", TBits().Put(1, 1).Put(3, 2).Done(), TDecodeResult::BadBlock});
  Cases.push_back({"stored length check",
                   TBits().Put(1, 1).Put(0, 2).Put(0, 5).Put(5, 16).Put(0, 16).Put(0x61, 8).Done(),
                   TDecodeResult::StoredLength});
  {
    TBits B;
    B.Put(1, 1).Put(1, 2);
    FixedSym(B, 286);
    Cases.push_back({"literal/length symbol 286", B.Done(), TDecodeResult::BadBlock});
  }
  {
    TBits B;
    B.Put(1, 1).Put(1, 2);
    FixedSym(B, 'a');
    FixedSym(B, 257);
    B.Code(30, 5);
    Cases.push_back({"distance code 30", B.Done(), TDecodeResult::BadBlock});
  }
  {
    TBits B;
    B.Put(1, 1).Put(1, 2);
    FixedSym(B, 'a');
    FixedSym(B, 257);
    B.Code(1, 5);  // distance 2, one byte written
    FixedSym(B, 256);
    Cases.push_back({"distance beyond the output", B.Done(), TDecodeResult::BadBlock});
  }
  Cases.push_back({"287 literal/length codes", TBits().Put(1, 1).Put(2, 2).Put(30, 5).Put(0, 5).Put(0, 4).Done(),
                   TDecodeResult::BadLengths});
  Cases.push_back({"31 distance codes", TBits().Put(1, 1).Put(2, 2).Put(0, 5).Put(30, 5).Put(0, 4).Done(),
                   TDecodeResult::BadLengths});
  Cases.push_back({"repeat code first", DynamicHeader(257, 1).Code(1, 2).Put(0, 2).Done(), TDecodeResult::BadLengths});
  Cases.push_back({"repeat past the lengths",
                   DynamicHeader(257, 1).Code(3, 2).Put(127, 7).Code(3, 2).Put(127, 7).Done(),
                   TDecodeResult::BadLengths});
  Cases.push_back({"no end-of-block code", DynamicHeader(257, 1).Code(3, 2).Put(127, 7).Code(3, 2).Put(109, 7).Done(),
                   TDecodeResult::IncompleteCodeSet});
  {
    // Code-length code 1 -> 0, 0 -> 10, 18 -> 11; then 258 lengths of 1: over-subscribed.
    TBits B;
    B.Put(1, 1).Put(2, 2).Put(0, 5).Put(0, 5).Put(14, 4);
    const int Lens[18] = {0, 0, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};  // 16,17,18,0,8,...,1
    for (int L : Lens) B.Put(L, 3);
    for (int i = 0; i < 258; i++) B.Code(0, 1);
    Cases.push_back({"over-subscribed lengths", B.Done(), TDecodeResult::IncompleteCodeSet});
  }
  Cases.push_back({"incomplete code-length code",
                   TBits().Put(1, 1).Put(2, 2).Put(0, 5).Put(0, 5).Put(0, 4).Put(1, 3).Put(0, 9).Done(),
                   TDecodeResult::IncompleteCodeSet});
  {
    TByteVec Body = DeflateBody(Arc3("data9.bin.gz"));
    Body.resize(Body.size() / 2);
    Cases.push_back({"cut in half", Body, TDecodeResult::Truncated});
  }
  Cases.push_back({"no input", TByteVec(), TDecodeResult::Truncated});
  for (auto& C : Cases) {
    for (size_t Chunk : {size_t(1), SIZE_MAX}) {
      TVectorSink Out;
      EXPECT_EQ(RunInflate(C.In, Out, Chunk), C.Want) << C.What << " chunk " << Chunk;
    }
    TByteVec Out(1 << 20);
    size_t Made = 0;
    EXPECT_EQ(InflateBuffer(C.In.data(), C.In.size(), Out.data(), Out.size(), Made), C.Want) << C.What << " in memory";
  }
}

// ---- The older ZIP methods: the entries of oldmethods.zip, made by a test-only encoder
// and checked with unzip and 7-Zip (reduce: no independent decoder exists on Debian).

struct TZipEntry {
  std::string Name;
  uint16_t Flags, Method;
  uint32_t Crc, Unpacked;
  TByteVec Data;
};

std::vector<TZipEntry> LocalEntries(const TByteVec& Z) {
  std::vector<TZipEntry> R;
  size_t P = 0;
  auto U16 = [&](size_t O) { return uint16_t(Z[O] | (Z[O + 1] << 8)); };
  auto U32 = [&](size_t O) { return uint32_t(U16(O) | (uint32_t(U16(O + 2)) << 16)); };
  while (P + 30 <= Z.size() && U32(P) == 0x04034B50) {
    TZipEntry E;
    E.Flags = U16(P + 6);
    E.Method = U16(P + 8);
    E.Crc = U32(P + 14);
    uint32_t Packed = U32(P + 18);
    E.Unpacked = U32(P + 22);
    size_t N = U16(P + 26), X = U16(P + 28);
    E.Name.assign(reinterpret_cast<const char*>(&Z[P + 30]), N);
    E.Data.assign(Z.begin() + P + 30 + N + X, Z.begin() + P + 30 + N + X + Packed);
    R.push_back(E);
    P += 30 + N + X + Packed;
  }
  return R;
}

TDecodeResult RunOld(const TZipEntry& E, const TByteVec& In, TVectorSink& Out, size_t Chunk = SIZE_MAX) {
  TMemorySource Src(In.data(), In.size(), Chunk);
  if (E.Method == 1) return Unshrink(Src, Out);
  if (E.Method <= 5) return Unreduce(Src, Out, E.Method - 1, E.Unpacked);
  return Explode(Src, Out, E.Flags, E.Unpacked);
}

TEST(OldZipMethods, HandMadeEntriesDecode) {
  const auto Entries = LocalEntries(ReadWholeFile(FixturePath("oldmethods.zip")));
  ASSERT_EQ(Entries.size(), 9u);
  for (const auto& E : Entries) {
    if (E.Unpacked == 0) continue;
    for (size_t Chunk : {size_t(3), SIZE_MAX}) {
      TVectorSink Out;
      ASSERT_EQ(RunOld(E, E.Data, Out, Chunk), TDecodeResult::Ok) << E.Name;
      uint32_t Crc = 0xFFFFFFFF;
      UpdateCrc32(Out.Data.data(), Out.Data.size(), Crc);
      EXPECT_EQ(~Crc, E.Crc) << E.Name;
      EXPECT_EQ(Out.Data.size(), E.Unpacked) << E.Name;
    }
  }
}

TEST(OldZipMethods, DamageNeverReadsOutOfBounds) {
  // Every entry cut short, and with single flipped bits: an error or a result, never a
  // crash; reduce and implode never write past the unpacked size.
  const auto Entries = LocalEntries(ReadWholeFile(FixturePath("oldmethods.zip")));
  for (const auto& E : Entries) {
    if (E.Data.empty()) continue;
    TByteVec Cut(E.Data.begin(), E.Data.begin() + E.Data.size() / 2);
    TVectorSink Out;
    // Unshrink ends with its input (the CRC tells); the others know their size.
    const TDecodeResult R = RunOld(E, Cut, Out);
    if (E.Method == 1)
      EXPECT_LT(Out.Data.size(), E.Unpacked) << E.Name;
    else
      EXPECT_EQ(R, TDecodeResult::Truncated) << E.Name;
    for (size_t At = 0; At < E.Data.size(); At += 97) {
      TByteVec Bad = E.Data;
      Bad[At] ^= 0x10;
      TVectorSink O2;
      RunOld(E, Bad, O2);
      if (E.Method != 1) {
        EXPECT_LE(O2.Data.size(), E.Unpacked) << E.Name;
      }
    }
  }
}

TEST(OldZipMethods, UnreduceStopsAtTheUnpackedSize) {
  // Empty follower sets, then "abc" and junk bits: only the three bytes come out.
  TBits B;
  for (int i = 0; i < 256; i++) B.Put(0, 6);
  for (char C : std::string("abcdefgh")) B.Put(uint8_t(C), 8);
  TByteVec In = B.Done();
  TMemorySource Src(In.data(), In.size());
  TVectorSink Out;
  ASSERT_EQ(Unreduce(Src, Out, 2, 3), TDecodeResult::Ok);
  EXPECT_EQ(std::string(Out.Data.begin(), Out.Data.end()), "abc");
}

TEST(OldZipMethods, InvalidCodesAndTrees) {
  struct TCase {
    const char* What;
    TByteVec In;
    int Method;
    TDecodeResult Want;
  };
  std::vector<TCase> Cases = {
      {"unshrink: control code 256 then 3", TBits().Put('a', 9).Put(256, 9).Put(3, 9).Done(), 1,
       TDecodeResult::BadData},
      {"unshrink: code never defined", TBits().Put('a', 9).Put(300, 9).Done(), 1, TDecodeResult::InvalidCode},
      {"unshrink: first code not a byte", TBits().Put(260, 9).Done(), 1, TDecodeResult::InvalidCode},
      {"unshrink: no input", TByteVec(), 1, TDecodeResult::Truncated},
      // Tree of 2 runs: 16 codes of 1 bit (more than the 64 codes space allows).
      {"implode: over-subscribed tree", TBits().Put(3, 8).Put(0xF0, 8).Put(0xF0, 8).Put(0xF0, 8).Put(0xF0, 8).Done(),
       6, TDecodeResult::AmbiguousTree},
      {"implode: tree with too many lengths", TBits().Put(4, 8).Put(0xF5, 8).Put(0xF5, 8).Put(0xF5, 8).Put(0xF5, 8).Put(0xF5, 8).Done(), 6,
       TDecodeResult::BadBlock},
      {"implode: tree with too few lengths", TBits().Put(0, 8).Put(0xF5, 8).Done(), 6, TDecodeResult::BadBlock},
  };
  for (auto& C : Cases) {
    TMemorySource Src(C.In.data(), C.In.size());
    TVectorSink Out;
    TDecodeResult R = C.Method == 1 ? Unshrink(Src, Out) : Explode(Src, Out, 0, 100);
    EXPECT_EQ(R, C.Want) << C.What;
  }
}

// ---- LZW of compress ----------------------------------------------------------------------

TEST(Lzw, CompressFilesOfEveryCodeSize) {
  const TByteVec Big = Arc3("big.txt");
  for (int Bits = 10; Bits <= 16; Bits++) {
    const TByteVec Z = Arc3("big" + std::to_string(Bits) + ".Z");
    for (size_t Chunk : {size_t(7), SIZE_MAX}) {
      TMemorySource Src(Z.data(), Z.size(), Chunk);
      TVectorSink Out;
      ASSERT_EQ(LzwDecode(Src, Out), TDecodeResult::Ok) << Bits;
      EXPECT_EQ(Out.Data, Big) << Bits;
      for (size_t i = 0; i + 1 < Out.Writes.size(); i++) ASSERT_EQ(Out.Writes[i], 16384u);
    }
  }
}

TEST(Lzw, HeaderErrorsAndDamage) {
  const TByteVec Z = Arc3("big16.Z");
  auto Run = [](TByteVec In) {
    TMemorySource Src(In.data(), In.size());
    TVectorSink Out;
    return LzwDecode(Src, Out);
  };
  TByteVec Reserved = Z;
  Reserved[2] |= 0x60;
  EXPECT_EQ(Run(Reserved), TDecodeResult::BadHeader);
  TByteVec Bits17 = Z;
  Bits17[2] = 0x80 | 17;
  EXPECT_EQ(Run(Bits17), TDecodeResult::BadMaxBits);
  EXPECT_EQ(Run(TBits().Put(0x9D1F, 16).Put(0x90, 8).Put(300, 9).Done()), TDecodeResult::CorruptInput);
  // A code beyond the next free one ends decoding as damaged.
  EXPECT_EQ(Run(TBits().Put(0x9D1F, 16).Put(0x90, 8).Put('a', 9).Put(400, 9).Done()), TDecodeResult::Truncated);
  // Cut inside a code (more than the last byte's padding left over): damaged.
  TByteVec Cut(Z.begin(), Z.begin() + 1001);
  TMemorySource Src(Cut.data(), Cut.size());
  TVectorSink Out;
  EXPECT_EQ(LzwDecode(Src, Out), TDecodeResult::Truncated);
  EXPECT_EQ(Run(TByteVec{0x1F, 0x9D}), TDecodeResult::Truncated);
}

}  // namespace
