// The encryption tool's CRC-32 and LZSS coder: known values, exact streams for small inputs,
// round trips over data that stresses the trees and the buffers, and hostile streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/core/lzss_pack.h"

namespace {

using TBytes8 = std::vector<uint8_t>;

// Delivers Data in pieces of at most Chunk bytes (0: as much as asked).
struct TSource {
  const TBytes8& Data;
  size_t Chunk = 0;
  size_t Pos = 0;
  int Calls = 0;
  int32_t operator()(void* Buffer, int32_t Capacity) {
    ++Calls;
    size_t n = std::min<size_t>(Capacity, Data.size() - Pos);
    if (Chunk != 0) n = std::min(n, Chunk);
    std::copy_n(Data.begin() + Pos, n, static_cast<uint8_t*>(Buffer));
    Pos += n;
    return int32_t(n);
  }
};

struct TSink {
  TBytes8 Data;
  int Calls = 0;
  int32_t Largest = 0;
  void operator()(const void* Buffer, int32_t Count) {
    ++Calls;
    Largest = std::max(Largest, Count);
    const auto* p = static_cast<const uint8_t*>(Buffer);
    Data.insert(Data.end(), p, p + Count);
  }
};

TBytes8 Encode(const TBytes8& In, size_t Chunk = 0) {
  TSource Src{In, Chunk};
  TSink Out;
  EXPECT_TRUE(LzssEncode(std::ref(Src), std::ref(Out)));
  return Out.Data;
}

TBytes8 Decode(const TBytes8& In, size_t Chunk = 0) {
  TSource Src{In, Chunk};
  TSink Out;
  EXPECT_TRUE(LzssDecode(std::ref(Src), std::ref(Out)));
  return Out.Data;
}

TBytes8 Bytes(const std::string& S) { return TBytes8(S.begin(), S.end()); }

class LzssTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(LzssInit()); }
};

}  // namespace

TEST(Crc32BufTest, KnownValues) {
  EXPECT_EQ(Crc32Buf("abc", 2), 0xCA6598D0u);
  // The last index, not the count: index 0 covers one byte.
  const uint8_t High = 0x80;
  EXPECT_EQ(Crc32Buf(&High, 0), 0xEDB88320u);
  EXPECT_EQ(Crc32Buf("abc", 1), Crc32Buf("ab", 1));
  EXPECT_EQ(Crc32Buf("", -1), 0u);
  EXPECT_EQ(Crc32Buf(nullptr, -5), 0u);
  // No inversion: leading zero bytes leave a zero CRC unchanged.
  const uint8_t Zeros[16] = {};
  EXPECT_EQ(Crc32Buf(Zeros, 15), 0u);
}

TEST_F(LzssTest, EmptyInputGivesEmptyStream) {
  TBytes8 Empty;
  TSource Src{Empty};
  TSink Out;
  ASSERT_TRUE(LzssEncode(std::ref(Src), std::ref(Out)));
  EXPECT_TRUE(Out.Data.empty());
  EXPECT_EQ(Out.Calls, 0);  // nothing to flush
  EXPECT_TRUE(Decode({}).empty());
}

TEST_F(LzssTest, ExactStreams) {
  // Eight literals fill one group; the finished coding still writes the empty next group.
  TBytes8 Full = Bytes("\xFF" "abcdefgh");
  Full.push_back(0);
  EXPECT_EQ(Encode(Bytes("abcdefgh")), Full);
  EXPECT_EQ(Encode(Bytes("ab")), Bytes("\x03" "ab"));

  // The ring starts zeroed, so zero bytes are a reference from the start: 18 of them are
  // one item of length 18.
  const TBytes8 Z = Encode(TBytes8(18, 0));
  ASSERT_EQ(Z.size(), 3u);
  EXPECT_EQ(Z[0], 0x00);
  EXPECT_EQ(Z[2] & 0x0F, 15);
  EXPECT_EQ(Decode(Z), TBytes8(18, 0));

  // A run of 100: one literal, then five overlapping references of 18, then one of 9.
  const TBytes8 Run(100, 'A');
  const TBytes8 R = Encode(Run);
  ASSERT_EQ(R.size(), 14u);
  EXPECT_EQ(R[0], 0x01);
  EXPECT_EQ(R[1], 'A');
  for (int i = 0; i < 5; ++i) {
    const int Pos = R[2 + 2 * i] | ((R[3 + 2 * i] & 0xF0) << 4);
    EXPECT_EQ(R[3 + 2 * i] & 0x0F, 15) << i;
    // Each copies from one byte back, overlapping what it makes; a full-length match
    // takes the newest string's place in the tree.
    EXPECT_EQ(Pos, (4078 + 18 * i) % 4096) << i;
  }
  EXPECT_EQ(R[13] & 0x0F, 6);
  EXPECT_EQ(Decode(R), Run);
}

TEST_F(LzssTest, TruncatedStreamsDecodeTheirPrefix) {
  const TBytes8 R = Encode(TBytes8(100, 'A'));
  struct {
    size_t Keep;
    size_t Expect;
  } Cases[] = {
      {0, 0},   // nothing
      {1, 0},   // a flag byte alone
      {2, 1},   // the literal
      {3, 1},   // the first byte of a reference
      {4, 19},  // one reference complete
      {13, 91},
  };
  for (auto& C : Cases) {
    const TBytes8 Part(R.begin(), R.begin() + C.Keep);
    EXPECT_EQ(Decode(Part), TBytes8(C.Expect, 'A')) << C.Keep;
  }
  // A group that ends right after its flag byte, as every coding that fills its last
  // group does.
  TBytes8 Full = Bytes("\xFF" "abcdefgh");
  Full.push_back(0);
  EXPECT_EQ(Decode(Full), Bytes("abcdefgh"));
}

TEST_F(LzssTest, RoundTrips) {
  std::mt19937 Rng(12345);
  auto Random = [&](size_t n, int Alphabet) {
    TBytes8 v(n);
    for (auto& b : v) b = uint8_t(Rng() % Alphabet);
    return v;
  };
  auto Text = [](size_t n) {
    const std::string Words = "the quick brown fox jumps over the lazy dog; ";
    TBytes8 v(n);
    for (size_t i = 0; i < n; ++i) v[i] = Words[(i * 7 + i / 13) % Words.size()];
    return v;
  };
  auto Counter = [](size_t n) {  // long shared prefixes that differ late: deep trees
    TBytes8 v;
    for (uint32_t i = 0; v.size() < n; ++i) {
      v.insert(v.end(), 14, 'x');
      for (int k = 3; k >= 0; --k) v.push_back(uint8_t('a' + ((i >> (2 * k)) & 3)));
    }
    v.resize(n);
    return v;
  };
  struct {
    const char* Name;
    TBytes8 Data;
  } Cases[] = {
      {"one byte", TBytes8{42}},
      {"17 bytes", Random(17, 256)},
      {"18 bytes", Random(18, 256)},
      {"19 bytes", Random(19, 256)},
      {"ring wrap", Random(4096 + 40, 256)},
      {"two letters", Random(50000, 2)},
      {"text", Text(70000)},
      {"shared prefixes", Counter(60000)},
      {"zeros past the buffers", TBytes8(600000, 0)},
      {"random past the buffers", Random(300000, 256)},
      {"runs", [] {
         TBytes8 v;
         for (int i = 0; v.size() < 100000; ++i) v.insert(v.end(), 1 + i % 40, uint8_t(i));
         return v;
       }()},
  };
  for (auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    const TBytes8 Packed = Encode(C.Data);
    EXPECT_EQ(Decode(Packed), C.Data);
    // Delivery in small pieces changes nothing.
    EXPECT_EQ(Encode(C.Data, 7), Packed);
    EXPECT_EQ(Decode(Packed, 5), C.Data);
  }
  EXPECT_LT(Encode(Text(70000)).size(), 70000u / 4);
  EXPECT_LT(Encode(TBytes8(600000, 0)).size(), 600000u / 8);
}

TEST_F(LzssTest, OutputGoesOutInFullBuffers) {
  const TBytes8 In(600000, 0);
  TSink Out;
  ASSERT_TRUE(LzssDecode([](void*, int32_t) { return 0; }, std::ref(Out)));
  EXPECT_EQ(Out.Calls, 0);
  // 600000 zeros decode from references of 18: 262144 + 262144 + the rest.
  const TBytes8 Packed = Encode(In);
  TSource P{Packed};
  ASSERT_TRUE(LzssDecode(std::ref(P), std::ref(Out)));
  EXPECT_EQ(Out.Calls, 3);
  EXPECT_EQ(Out.Largest, 262144);
  EXPECT_EQ(Out.Data, In);
}

TEST_F(LzssTest, HostileStreamsAndCallbacks) {
  std::mt19937 Rng(777);
  for (int i = 0; i < 50; ++i) {
    TBytes8 Junk(1 + Rng() % 3000);
    for (auto& b : Junk) b = uint8_t(Rng());
    const TBytes8 Out = Decode(Junk);
    EXPECT_LE(Out.size(), Junk.size() * 18);
  }
  // A reader that claims more than it was given room for, or a negative count.
  int Calls = 0;
  TSink Out;
  ASSERT_TRUE(LzssDecode(
      [&](void* Buffer, int32_t Capacity) -> int32_t {
        if (Calls++ > 0) return -1;
        std::fill_n(static_cast<uint8_t*>(Buffer), Capacity, 0xFF);
        return Capacity + 1000;
      },
      std::ref(Out)));
  // 0xFF flags make every item a literal: eight bytes out of every nine, a last flag alone.
  EXPECT_EQ(Out.Data.size(), 262144u / 9 * 8);
  EXPECT_EQ(Calls, 2);

  // A failing writer: the exception reaches the caller, and the coder works afterwards.
  const TBytes8 In = Bytes("abcdefgh");
  TSource Src{In};
  EXPECT_THROW(LzssEncode(std::ref(Src), [](const void*, int32_t) { throw std::runtime_error("disk full"); }),
               std::runtime_error);
  EXPECT_EQ(Decode(Encode(In)), In);
}

TEST_F(LzssTest, RefusesWithoutStorageOrWhileCoding) {
  const TBytes8 In = Bytes("abcdefgh");
  // A coding started from inside a callback of another is refused; so is freeing.
  bool Nested = true;
  TSource Src{In};
  TSink Out;
  ASSERT_TRUE(LzssEncode(
      [&](void* B, int32_t C) {
        TSource Inner{In};
        TSink Ignored;
        Nested = LzssDecode(std::ref(Inner), std::ref(Ignored));
        LzssDone();
        return Src(B, C);
      },
      std::ref(Out)));
  EXPECT_FALSE(Nested);
  EXPECT_EQ(Decode(Out.Data), In);

  LzssDone();
  LzssDone();
  bool Called = false;
  TSource Src2{In};
  EXPECT_FALSE(LzssEncode(std::ref(Src2), [&](const void*, int32_t) { Called = true; }));
  EXPECT_FALSE(LzssDecode(std::ref(Src2), [&](const void*, int32_t) { Called = true; }));
  EXPECT_EQ(Src2.Calls, 0);
  EXPECT_FALSE(Called);
  ASSERT_TRUE(LzssInit());
  ASSERT_TRUE(LzssInit());  // a second call keeps the storage
  EXPECT_EQ(Decode(Encode(In)), In);
}
