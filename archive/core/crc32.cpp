// CRC-32 (reflected 0xEDB88320) over blocks: sixteen tables on any CPU, and folding by
// carry-less multiplication on x86 CPUs that have it, chosen at run time (the program
// must still start on a CPU without it, so nothing here is compiled for it as a whole).
#include <array>
#include <cstring>

#include "archive/core/arc_globals.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#define ZX_CRC_CLMUL 1
#endif

namespace {

// Table k gives the CRC of a byte followed by k zero bytes, so eight bytes fold in at
// once with eight independent look-ups.
using TCrcTable = std::array<uint32_t, 256>;
constexpr unsigned kLanes = 5;  // words in flight, each its own chain of look-ups

struct TCrcTables {
  TCrcTable Word[8];   // byte k of a word: Word[k] = the byte followed by 7 - k zeros
  TCrcTable Braid[8];  // the same, followed also by the other lanes' kLanes - 1 words
  constexpr TCrcTables() : Word{}, Braid{} {
    TCrcTable T[8 * kLanes]{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      T[0][n] = c;
    }
    for (unsigned j = 1; j < 8 * kLanes; ++j)
      for (uint32_t n = 0; n < 256; ++n) T[j][n] = T[0][T[j - 1][n] & 0xFF] ^ (T[j - 1][n] >> 8);
    for (unsigned k = 0; k < 8; ++k) {
      Word[k] = T[7 - k];
      Braid[k] = T[8 * kLanes - 1 - k];
    }
  }
};

constexpr TCrcTables Crc32Tables;

inline uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  memcpy(&v, p, 4);
  return v;  // little-endian hosts (x86)
}

// Eight bytes into the running value c, by the tables T (Word or Braid). The upper four
// bytes are loaded one by one: a load port is free where a shift and a mask are not.
inline uint32_t Step8(const TCrcTable* T, uint32_t c, const uint8_t* p) {
  const uint32_t a = c ^ Load32(p);
  return T[0][a & 0xFF] ^ T[1][(a >> 8) & 0xFF] ^ T[2][(a >> 16) & 0xFF] ^ T[3][a >> 24] ^ T[4][p[4]] ^
         T[5][p[5]] ^ T[6][p[6]] ^ T[7][p[7]];
}

}  // namespace

constexpr std::array<uint32_t, 256> Crc32Table = Crc32Tables.Word[7];

void UpdateCrc32Tables(const void* Buf, size_t Len, uint32_t& Crc) {
  const uint8_t* p = static_cast<const uint8_t*>(Buf);
  uint32_t c = Crc;
  constexpr size_t kRow = 8 * kLanes;
  if (Len >= 2 * kRow) {
    // Lane l takes words l, l + kLanes, l + 2 * kLanes, ...; the Braid tables carry each
    // lane's value over the other lanes' words to its own next word. The last row goes
    // word by word and joins the lanes.
    static_assert(kLanes == 5, "the loop below names its lanes");
    const TCrcTable* B = Crc32Tables.Braid;
    uint32_t c0 = c, c1 = 0, c2 = 0, c3 = 0, c4 = 0;
    for (size_t Rows = Len / kRow - 1; Rows; --Rows, p += kRow) {
      c0 = Step8(B, c0, p);
      c1 = Step8(B, c1, p + 8);
      c2 = Step8(B, c2, p + 16);
      c3 = Step8(B, c3, p + 24);
      c4 = Step8(B, c4, p + 32);
    }
    const TCrcTable* W = Crc32Tables.Word;
    c = Step8(W, c0, p);
    c = Step8(W, c ^ c1, p + 8);
    c = Step8(W, c ^ c2, p + 16);
    c = Step8(W, c ^ c3, p + 24);
    c = Step8(W, c ^ c4, p + 32);
    p += kRow;
    Len -= (Len / kRow) * kRow;
  }
  for (; Len >= 8; p += 8, Len -= 8) c = Step8(Crc32Tables.Word, c, p);
  while (Len--) c = Crc32Table[(*p++ ^ c) & 0xFF] ^ (c >> 8);
  Crc = c;
}

#ifdef ZX_CRC_CLMUL
namespace {

// Folding: a 128-bit block X (its first byte's low bit the highest power) standing D bits
// before the data that follows is worth X(x) * x^D mod P there. With X = Hi * x^64 + Lo,
// that is Hi * (x^(D+64) mod P) + Lo * (x^D mod P): two carry-less products of 64 by 33
// bits. A constant is x * (x^(D-1) mod P) in reflected form placed in bits 32-63, so that
// each product lands in the 128-bit block exactly where its powers belong.
constexpr uint64_t FoldConstant(unsigned D) {
  uint32_t v = 0x80000000u;  // 1, reflected
  for (unsigned i = 1; i < D; i++) v = (v >> 1) ^ ((v & 1) ? 0xEDB88320u : 0);
  return uint64_t(v) << 32;
}

constexpr uint64_t K576 = FoldConstant(576), K512 = FoldConstant(512);  // four blocks on
constexpr uint64_t K192 = FoldConstant(192), K128 = FoldConstant(128);  // one block on

bool CpuHasClmul() {
  unsigned a, b, c, d;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  return (c & bit_PCLMUL) && (d & bit_SSE2);
}
const bool HasClmul = CpuHasClmul();

__attribute__((target("sse2,pclmul"))) inline __m128i Fold(__m128i X, __m128i K) {
  // K: the constant for Lo in the low half, for Hi in the high half.
  return _mm_xor_si128(_mm_clmulepi64_si128(X, K, 0x10), _mm_clmulepi64_si128(X, K, 0x01));
}

// Len >= 64. Gives the CRC of all but the last Len % 16 bytes, which it leaves to the caller.
__attribute__((target("sse2,pclmul"))) uint32_t FoldBlocks(const uint8_t* p, size_t Len, uint32_t Crc) {
  const __m128i K4 = _mm_set_epi64x(int64_t(K576), int64_t(K512));
  const __m128i K1 = _mm_set_epi64x(int64_t(K192), int64_t(K128));
  __m128i X0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  __m128i X1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
  __m128i X2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
  __m128i X3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48));
  X0 = _mm_xor_si128(X0, _mm_cvtsi32_si128(int(Crc)));
  p += 64;
  Len -= 64;
  while (Len >= 64) {
    X0 = _mm_xor_si128(Fold(X0, K4), _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    X1 = _mm_xor_si128(Fold(X1, K4), _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)));
    X2 = _mm_xor_si128(Fold(X2, K4), _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)));
    X3 = _mm_xor_si128(Fold(X3, K4), _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48)));
    p += 64;
    Len -= 64;
  }
  X1 = _mm_xor_si128(Fold(X0, K1), X1);
  X2 = _mm_xor_si128(Fold(X1, K1), X2);
  X3 = _mm_xor_si128(Fold(X2, K1), X3);
  while (Len >= 16) {
    X3 = _mm_xor_si128(Fold(X3, K1), _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    p += 16;
    Len -= 16;
  }
  // What is left is X3 as if it were the whole message: its CRC from zero.
  alignas(16) uint8_t Rest[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(Rest), X3);
  uint32_t c = 0;
  UpdateCrc32Tables(Rest, 16, c);
  return c;
}

}  // namespace

bool UpdateCrc32Clmul(const void* Buf, size_t Len, uint32_t& Crc) {
  if (!HasClmul) return false;
  const uint8_t* p = static_cast<const uint8_t*>(Buf);
  if (Len >= 64) {
    Crc = FoldBlocks(p, Len, Crc);
    p += Len & ~size_t(15);
    Len &= 15;
  }
  UpdateCrc32Tables(p, Len, Crc);
  return true;
}
#else
bool UpdateCrc32Clmul(const void*, size_t, uint32_t&) { return false; }
#endif

void UpdateCrc32(const void* Buf, size_t Len, uint32_t& Crc) {
  // Short blocks (headers, the ZIP keys) are not worth the set-up of the folding.
  if (Len >= 256 && UpdateCrc32Clmul(Buf, Len, Crc)) return;
  UpdateCrc32Tables(Buf, Len, Crc);
}
