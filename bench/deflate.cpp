// Our DEFLATE compressor against zlib's deflate at the levels the ZIP writer uses (2, 7
// and 9), on the same 64 MB mix of text, structured binary, runs and random bytes. Each
// iteration runs both; the counters give our time and size as ratios of zlib's.
// Before timing, each level's output is checked by inflating it with zlib.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "archive/core/deflate.h"

namespace {

using TBytes = std::vector<uint8_t>;

struct TGen {
  uint64_t S = 0x9E3779B97F4A7C15ull;
  uint32_t Next() {
    S ^= S << 13, S ^= S >> 7, S ^= S << 17;
    return uint32_t(S >> 32);
  }
};

// 64 MB in 1 MB pieces of six kinds, interleaved.
const TBytes& Mix() {
  static const TBytes mix = [] {
    TGen g;
    // A vocabulary of made-up words with a skewed choice: behaves like prose.
    std::vector<std::string> words;
    for (int i = 0; i < 3000; ++i) {
      std::string w;
      const int len = 2 + int(g.Next() % 9);
      for (int j = 0; j < len; ++j) w += char('a' + g.Next() % 26);
      words.push_back(w);
    }
    TBytes out;
    out.reserve(64u << 20);
    const size_t piece = 1u << 20;
    for (int p = 0; p < 64; ++p) {
      const size_t end = out.size() + piece;
      switch (p % 8) {
        case 0: case 1: case 2:  // prose with punctuation and line ends
          while (out.size() < end) {
            const uint32_t r = g.Next();
            const std::string& w = words[(r % 3000) * (r % 3000) / 3000];
            out.insert(out.end(), w.begin(), w.end());
            out.push_back((r >> 20) % 13 == 0 ? '\n' : (r >> 20) % 7 == 0 ? ',' : ' ');
          }
          break;
        case 3: {  // records of slowly changing integers, as in tables and executables
          uint32_t a = 1000, b = 7;
          while (out.size() < end) {
            a += g.Next() % 5;
            b ^= g.Next() % 3;
            const uint8_t rec[12] = {uint8_t(a), uint8_t(a >> 8), uint8_t(a >> 16), 0, uint8_t(b), 0, 0, 0,
                                     0x8B, 0x45, uint8_t(g.Next() % 4), 0xC3};
            out.insert(out.end(), rec, rec + 12);
          }
          break;
        }
        case 4:  // random: does not compress
          while (out.size() < end) out.push_back(uint8_t(g.Next() >> 24));
          break;
        case 5:  // runs
          while (out.size() < end) out.insert(out.end(), 1 + g.Next() % 600, uint8_t(g.Next() % 4));
          break;
        case 6: {  // source-like text: indented lines from a few templates
          static const char* const lines[] = {"  if (x == nullptr) return false;\n", "  for (int i = 0; i < n; ++i) {\n",
                                              "    sum += table[i] * weight;\n", "  }\n",
                                              "  const std::string name = Trim(value);\n", "// comment about the code\n"};
          while (out.size() < end) {
            const char* l = lines[g.Next() % 6];
            out.insert(out.end(), l, l + std::strlen(l));
          }
          break;
        }
        default: {  // earlier data again, far back and near
          const size_t from = (g.Next() % (out.size() - piece));
          out.insert(out.end(), out.begin() + long(from), out.begin() + long(from + piece / 2));
          while (out.size() < end) out.push_back(out[out.size() - 5000]);
          break;
        }
      }
      out.resize(end);
    }
    return out;
  }();
  return mix;
}

TBytes Ours(const TBytes& In, int Level) {
  TBytes out(In.size() + In.size() / 100 + 1024);
  size_t inPos = 0, outPos = 0;
  TDeflateIO io;
  io.Read = [&](void* Buf, int32_t Count) {
    const size_t n = std::min(size_t(Count), In.size() - inPos);
    std::memcpy(Buf, In.data() + inPos, n);
    inPos += n;
    return int32_t(n);
  };
  io.Write = [&](const void* Buf, int32_t Count) {
    if (outPos + size_t(Count) > out.size()) out.resize(outPos + size_t(Count));
    std::memcpy(out.data() + outPos, Buf, size_t(Count));
    outPos += size_t(Count);
  };
  io.InputSize = int64_t(In.size());
  Deflate(io, false, Level);
  if (io.Stored) {  // the whole input as it is: not the case for this mix
    std::fprintf(stderr, "unexpected stored output\n");
    std::abort();
  }
  out.resize(outPos);
  return out;
}

TBytes Zlib(const TBytes& In, int Level) {
  z_stream z{};
  if (deflateInit2(&z, Level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) std::abort();
  TBytes out(deflateBound(&z, uLong(In.size())));
  z.next_in = const_cast<Bytef*>(In.data());
  z.avail_in = uInt(In.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  if (deflate(&z, Z_FINISH) != Z_STREAM_END) std::abort();
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

bool ZlibInflatesTo(const TBytes& Packed, const TBytes& Expected) {
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) return false;
  TBytes out(Expected.size() + 1);
  z.next_in = const_cast<Bytef*>(Packed.data());
  z.avail_in = uInt(Packed.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  const int r = inflate(&z, Z_FINISH);
  const size_t n = z.total_out;
  inflateEnd(&z);
  return r == Z_STREAM_END && n == Expected.size() && std::memcmp(out.data(), Expected.data(), n) == 0;
}

void BM_DeflateVsZlib(benchmark::State& State) {
  const int level = int(State.range(0));
  const TBytes& in = Mix();
  if (!ZlibInflatesTo(Ours(in, level), in)) {
    State.SkipWithError("zlib's inflate does not give the input back");
    return;
  }
  double oursSec = 0, zlibSec = 0;
  size_t oursSize = 0, zlibSize = 0;
  for (auto _ : State) {
    const auto t0 = std::chrono::steady_clock::now();
    const TBytes a = Ours(in, level);
    const auto t1 = std::chrono::steady_clock::now();
    const TBytes b = Zlib(in, level);
    const auto t2 = std::chrono::steady_clock::now();
    const double s = std::chrono::duration<double>(t1 - t0).count();
    oursSec += s;
    zlibSec += std::chrono::duration<double>(t2 - t1).count();
    oursSize = a.size();
    zlibSize = b.size();
    State.SetIterationTime(s);
  }
  State.counters["time_ratio"] = oursSec / zlibSec;
  State.counters["size_ratio"] = double(oursSize) / double(zlibSize);
  State.counters["ours_MB/s"] = double(in.size()) * double(State.iterations()) / oursSec / 1e6;
  State.counters["zlib_MB/s"] = double(in.size()) * double(State.iterations()) / zlibSec / 1e6;
  State.counters["ours_bytes"] = double(oursSize);
  State.counters["zlib_bytes"] = double(zlibSize);
}

}  // namespace

BENCHMARK(BM_DeflateVsZlib)->ArgName("level")->Arg(2)->Arg(7)->Arg(9)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
