// What the codec benchmarks share, natively and in the Windows builds: the corpus, zlib's
// raw deflate and inflate as the peer and the checker, our deflate into memory, and the
// comparison of an output with what it should be.
#pragma once
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "archive/core/deflate.h"

using TBytes = std::vector<uint8_t>;

// ---- Corpus ---------------------------------------------------------------------------------

// 64 MB in 1 MB pieces: prose, records, random bytes, runs, source-like lines, repeats.
inline TBytes MakeCorpus() {
  std::mt19937 G(2026);
  std::vector<std::string> Words;
  for (int i = 0; i < 3000; ++i) {
    std::string W;
    for (int j = 0, n = 2 + int(G() % 9); j < n; ++j) W += char('a' + G() % 26);
    Words.push_back(W);
  }
  TBytes Out;
  Out.reserve(64u << 20);
  const size_t Piece = 1u << 20;
  for (int p = 0; p < 64; ++p) {
    const size_t End = Out.size() + Piece;
    switch (p % 8) {
      case 0: case 1: case 2:
        while (Out.size() < End) {
          const uint32_t r = G() % 3000;
          const std::string& W = Words[r * r / 3000];
          Out.insert(Out.end(), W.begin(), W.end());
          const uint32_t q = G();
          Out.push_back(q % 13 == 0 ? '\n' : q % 7 == 0 ? ',' : ' ');
        }
        break;
      case 3: {
        uint32_t a = 1000, b = 7;
        while (Out.size() < End) {
          a += G() % 5;
          b ^= G() % 3;
          const uint8_t Rec[12] = {uint8_t(a), uint8_t(a >> 8), uint8_t(a >> 16), 0, uint8_t(b), 0, 0, 0, 0x8B, 0x45,
                                   uint8_t(G() % 4), 0xC3};
          Out.insert(Out.end(), Rec, Rec + 12);
        }
        break;
      }
      case 4:
        while (Out.size() < End) Out.push_back(uint8_t(G() >> 24));
        break;
      case 5:
        while (Out.size() < End) Out.insert(Out.end(), 1 + G() % 600, uint8_t(G() % 4));
        break;
      case 6: {
        static const char* const Lines[] = {"  if (x == nullptr) return false;\n", "  for (int i = 0; i < n; ++i) {\n",
                                            "    sum += table[i] * weight;\n", "  }\n",
                                            "  const std::string name = Trim(value);\n", "// comment about the code\n"};
        while (Out.size() < End) {
          const char* L = Lines[G() % 6];
          Out.insert(Out.end(), L, L + std::strlen(L));
        }
        break;
      }
      default: {
        const size_t From = G() % (Out.size() - Piece);
        Out.insert(Out.end(), Out.begin() + long(From), Out.begin() + long(From + Piece / 2));
        while (Out.size() < End) Out.push_back(Out[Out.size() - 5000]);
      }
    }
    Out.resize(End);
  }
  return Out;
}

inline TBytes ZlibDeflate(const TBytes& In, int Level) {
  z_stream Z{};
  deflateInit2(&Z, Level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  TBytes Out(deflateBound(&Z, uLong(In.size())));
  Z.next_in = const_cast<Bytef*>(In.data());
  Z.avail_in = uInt(In.size());
  Z.next_out = Out.data();
  Z.avail_out = uInt(Out.size());
  if (deflate(&Z, Z_FINISH) != Z_STREAM_END) std::abort();
  Out.resize(Z.total_out);
  deflateEnd(&Z);
  return Out;
}

// zlib's raw inflate into Out (sized to the expected length plus one); the length made, or
// -1 when the stream is not whole.
inline long ZlibInflate(const uint8_t* In, size_t Len, TBytes& Out) {
  z_stream Z{};
  inflateInit2(&Z, -15);
  Z.next_in = const_cast<Bytef*>(In);
  Z.avail_in = uInt(Len);
  Z.next_out = Out.data();
  Z.avail_out = uInt(Out.size());
  const int R = inflate(&Z, Z_FINISH);
  const long N = long(Z.total_out);
  inflateEnd(&Z);
  return R == Z_STREAM_END ? N : -1;
}

inline std::string Same(const TBytes& Got, size_t GotLen, const TBytes& Want) {
  if (GotLen != Want.size()) return "length " + std::to_string(GotLen) + " for " + std::to_string(Want.size());
  if (std::memcmp(Got.data(), Want.data(), Want.size()) != 0) return "bytes differ";
  return {};
}

inline TBytes OurDeflate(const TBytes& In, int Level) {
  TBytes Out;
  Out.reserve(In.size() + In.size() / 100 + 1024);
  size_t At = 0;
  TDeflateIO Io;
  Io.Read = [&](void* Buf, int32_t Count) {
    const size_t N = std::min(size_t(Count), In.size() - At);
    std::memcpy(Buf, In.data() + At, N);
    At += N;
    return int32_t(N);
  };
  Io.Write = [&](const void* Buf, int32_t Count) {
    Out.insert(Out.end(), static_cast<const uint8_t*>(Buf), static_cast<const uint8_t*>(Buf) + Count);
  };
  Io.InputSize = int64_t(In.size());
  Deflate(Io, false, Level);
  if (Io.Stored) Out.clear();  // not for this corpus: the check then fails
  return Out;
}
