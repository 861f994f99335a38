#include "archive/core/deflate.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "arc_test_util.h"
#include "archive/core/decode_io.h"
#include "archive/core/inflate.h"
#include "archive/core/zip_crypt.h"

namespace {

// Reproducible bytes of several kinds.
struct TGen {
  uint32_t S;
  explicit TGen(uint32_t Seed) : S(Seed) {}
  uint32_t Next() {
    S ^= S << 13, S ^= S >> 17, S ^= S << 5;
    return S;
  }
  TByteVec Random(size_t N) {
    TByteVec v(N);
    for (auto& b : v) b = uint8_t(Next() >> 11);
    return v;
  }
  // Words from a small vocabulary: compresses like text.
  TByteVec Text(size_t N) {
    static const char* const words[] = {"the ", "archive ", "panel ", "of ", "file ", "\r\n", "deflate ",
                                        "Zembrix ", "window ", "and ", "a ", "match "};
    TByteVec v;
    while (v.size() < N) {
      const char* w = words[Next() % 12];
      v.insert(v.end(), w, w + std::strlen(w));
    }
    v.resize(N);
    return v;
  }
};

struct TDeflated {
  TByteVec Data;
  bool Stored = false;
  int64_t Reported = 0;
};

TDeflated Compress(const TByteVec& In, int Level, bool Encrypt = false, size_t Chunk = 32768) {
  TDeflated out;
  size_t pos = 0;
  TDeflateIO io;
  io.Read = [&](void* Buf, int32_t Count) {
    const size_t n = std::min({size_t(Count), In.size() - pos, Chunk});
    std::memcpy(Buf, In.data() + pos, n);
    pos += n;
    return int32_t(n);
  };
  io.Write = [&](const void* Buf, int32_t Count) {
    const uint8_t* p = static_cast<const uint8_t*>(Buf);
    out.Data.insert(out.Data.end(), p, p + Count);
  };
  io.InputSize = int64_t(In.size());
  out.Reported = Deflate(io, Encrypt, Level);
  out.Stored = io.Stored;
  return out;
}

TByteVec Inflated(const TByteVec& Packed) {
  TMemorySource src(Packed.data(), Packed.size());
  TVectorSink sink;
  EXPECT_EQ(Inflate(src, sink), TDecodeResult::Ok);
  return sink.Data;
}

// The inputs every level is tried on: the edges of the window and the block buffer,
// input that does not compress, long runs and repeats beyond the window.
std::vector<std::pair<std::string, TByteVec>> Inputs() {
  TGen g(12345);
  std::vector<std::pair<std::string, TByteVec>> v;
  v.push_back({"one byte", {'x'}});
  v.push_back({"short text", g.Text(100)});
  v.push_back({"text 300K", g.Text(300000)});
  v.push_back({"zeros 1M", TByteVec(1 << 20, 0)});
  v.push_back({"random 20K", g.Random(20000)});
  v.push_back({"random 200K", g.Random(200000)});
  TByteVec mix = g.Text(70000);
  TByteVec r = g.Random(50000);
  mix.insert(mix.end(), r.begin(), r.end());
  mix.insert(mix.end(), r.begin(), r.begin() + 30000);  // 50000 back: out of reach
  TByteVec t = g.Text(40000);
  mix.insert(mix.end(), t.begin(), t.end());
  mix.insert(mix.end(), t.begin(), t.end());  // 40000 back: out of reach too
  mix.insert(mix.end(), mix.begin() + 100, mix.begin() + 30100);
  v.push_back({"mixed", mix});
  // A literal buffer's worth of short matches: blocks end on the buffer.
  TByteVec pairs;
  for (int i = 0; i < 150000; ++i) pairs.push_back(uint8_t(i % 7 == 0 ? g.Next() : 'a' + i % 3));
  v.push_back({"short matches", pairs});
  return v;
}

}  // namespace

TEST(Deflate, RoundTripAtEveryLevel) {
  for (const auto& [name, input] : Inputs()) {
    for (int level = 0; level <= 9; ++level) {
      SCOPED_TRACE(name + " at level " + std::to_string(level));
      const TDeflated d = Compress(input, level, false, 1000 + level * 3000);
      EXPECT_EQ(d.Reported, int64_t(d.Data.size()));
      if (d.Stored)
        EXPECT_EQ(d.Data, input);
      else
        EXPECT_EQ(Inflated(d.Data), input);
    }
  }
}

TEST(Deflate, StoresWhatDoesNotCompress) {
  TGen g(7);
  // Random input that fits one block goes out as it is.
  const TByteVec small = g.Random(20000);
  const TDeflated s = Compress(small, 7);
  EXPECT_TRUE(s.Stored);
  EXPECT_EQ(s.Data, small);
  // More than a block: a deflate stream of stored blocks, barely larger than the input.
  const TByteVec big = g.Random(300000);
  const TDeflated b = Compress(big, 7);
  EXPECT_FALSE(b.Stored);
  EXPECT_LT(b.Data.size(), big.size() + big.size() / 100);
  EXPECT_EQ(Inflated(b.Data), big);
  // Text is deflated.
  EXPECT_FALSE(Compress(g.Text(1000), 2).Stored);
}

TEST(Deflate, LongRunsUseLongestMatches) {
  // A megabyte of one byte: matches of 258 bytes, about one bit per symbol (the greedy
  // levels end their blocks on the symbol buffer and need some four times that).
  const TByteVec zeros(1 << 20, 0);
  for (int level : {7, 9}) {
    SCOPED_TRACE(level);
    const TDeflated d = Compress(zeros, level);
    EXPECT_LT(d.Data.size(), 1200u);
  }
}

TEST(Deflate, EncryptsItsOutput) {
  TGen g(99);
  const TByteVec text = g.Text(100000);
  uint8_t header[ZipCryptHeaderSize];
  MakeCryptHeader("pw", 0x12345678, header);
  const TDeflated d = Compress(text, 9, true);
  uint8_t buf[24];
  std::memcpy(buf + 12, header, 12);
  ASSERT_TRUE(CheckCryptHeader(buf, 12, 0, 0x12345678, 0, "pw"));
  TByteVec plain = d.Data;
  DecryptBuffer(plain.data(), plain.size());
  EXPECT_EQ(Inflated(plain), text);
}

TEST(Deflate, ReportsProgress) {
  TGen g(5);
  const TByteVec text = g.Text(1 << 20);
  std::vector<int> percents;
  size_t pos = 0;
  TDeflateIO io;
  io.Read = [&](void* Buf, int32_t Count) {
    const size_t n = std::min(size_t(Count), text.size() - pos);
    std::memcpy(Buf, text.data() + pos, n);
    pos += n;
    return int32_t(n);
  };
  io.Write = [](const void*, int32_t) {};
  io.Progress = [&](uint8_t P) { percents.push_back(P); };
  io.InputSize = int64_t(text.size());
  io.ProgressStep = io.InputSize / 10;
  Deflate(io, false, 7);
  ASSERT_GE(percents.size(), 5u);
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
  EXPECT_EQ(percents.back(), 100);
}

// zlib's own inflate (through Debian's python3) takes every level's output.
TEST(Deflate, ZlibInflatesEveryLevel) {
#ifdef _WIN32
  GTEST_SKIP() << "python3 runs in the native build";
#else
  if (!HaveTool("python3 -c 'import zlib'")) return;
  TTempDir tmp;
  std::string dir = tmp.Path();
  for (char& c : dir)
    if (c == '\\') c = '/';
  TGen g(2024);
  TByteVec input = g.Text(200000);
  const TByteVec r = g.Random(40000);
  input.insert(input.end(), r.begin(), r.end());
  WriteWholeFile(tmp.Path() + "in.bin", input);
  for (int level = 0; level <= 9; ++level) {
    SCOPED_TRACE(level);
    const TDeflated d = Compress(input, level);
    ASSERT_FALSE(d.Stored);
    WriteWholeFile(tmp.Path() + "out.raw", d.Data);
    const std::string cmd = "python3 -c 'import zlib,sys; d=zlib.decompress(open(sys.argv[1],\"rb\").read(),-15); "
                            "sys.exit(0 if d==open(sys.argv[2],\"rb\").read() else 1)' '" +
                            dir + "out.raw' '" + dir + "in.bin'";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
  }
#endif
}
