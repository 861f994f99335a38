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
using TCrcTables = std::array<std::array<uint32_t, 256>, 8>;

constexpr TCrcTables MakeCrc32Tables() {
  TCrcTables T{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    T[0][n] = c;
  }
  for (uint32_t n = 0; n < 256; ++n)
    for (int k = 1; k < 8; ++k) T[k][n] = T[0][T[k - 1][n] & 0xFF] ^ (T[k - 1][n] >> 8);
  return T;
}

constexpr TCrcTables Crc32Tables = MakeCrc32Tables();

inline uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  memcpy(&v, p, 4);
  return v;  // little-endian hosts (x86)
}

// Eight bytes into the running value c.
inline uint32_t Step8(uint32_t c, const uint8_t* p) {
  const auto& T = Crc32Tables;
  const uint32_t a = c ^ Load32(p), b = Load32(p + 4);
  return T[7][a & 0xFF] ^ T[6][(a >> 8) & 0xFF] ^ T[5][(a >> 16) & 0xFF] ^ T[4][a >> 24] ^ T[3][b & 0xFF] ^
         T[2][(b >> 8) & 0xFF] ^ T[1][(b >> 16) & 0xFF] ^ T[0][b >> 24];
}

// A * B mod P, both reflected (bit 31 is the power 0).
constexpr uint32_t MulMod(uint32_t A, uint32_t B) {
  uint32_t R = 0;
  for (int i = 0; i < 32; i++) {
    if (A & (0x80000000u >> i)) R ^= B;
    B = (B >> 1) ^ ((B & 1) ? 0xEDB88320u : 0);
  }
  return R;
}

// x^(8 * N) mod P: what N zero bytes after a value multiply it by.
constexpr uint32_t ZeroBytes(size_t N) {
  uint32_t R = 0x80000000u, X8 = 0x00800000u;  // 1 and x^8
  for (; N; N >>= 1, X8 = MulMod(X8, X8))
    if (N & 1) R = MulMod(R, X8);
  return R;
}

// The table way runs four lanes of kLane bytes side by side, each its own chain of
// look-ups (one chain waits on its own loads; four keep the loads busy), and joins
// them at the end: the CRC of A then B is A's value moved over B's length, plus B's.
constexpr size_t kLane = 2048;
constexpr uint32_t kShift1 = ZeroBytes(kLane), kShift2 = ZeroBytes(2 * kLane), kShift3 = ZeroBytes(3 * kLane);

}  // namespace

constexpr std::array<uint32_t, 256> Crc32Table = Crc32Tables[0];

void UpdateCrc32Tables(const void* Buf, size_t Len, uint32_t& Crc) {
  const uint8_t* p = static_cast<const uint8_t*>(Buf);
  uint32_t c = Crc;
  while (Len >= 4 * kLane) {
    uint32_t c1 = 0, c2 = 0, c3 = 0;
    for (size_t i = 0; i < kLane; i += 8) {
      c = Step8(c, p + i);
      c1 = Step8(c1, p + kLane + i);
      c2 = Step8(c2, p + 2 * kLane + i);
      c3 = Step8(c3, p + 3 * kLane + i);
    }
    c = MulMod(c, kShift3) ^ MulMod(c1, kShift2) ^ MulMod(c2, kShift1) ^ c3;
    p += 4 * kLane;
    Len -= 4 * kLane;
  }
  for (; Len >= 8; p += 8, Len -= 8) c = Step8(c, p);
  while (Len--) c = Crc32Tables[0][(*p++ ^ c) & 0xFF] ^ (c >> 8);
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
