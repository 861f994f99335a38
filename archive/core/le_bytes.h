// Little-endian numbers in archive headers: every format the engine reads stores them so.
#pragma once

#include <cstdint>

namespace le {

inline uint16_t Get16(const uint8_t* P) { return uint16_t(P[0] | (P[1] << 8)); }
inline uint32_t Get32(const uint8_t* P) {
  return uint32_t(P[0]) | (uint32_t(P[1]) << 8) | (uint32_t(P[2]) << 16) | (uint32_t(P[3]) << 24);
}
inline uint64_t Get64(const uint8_t* P) { return uint64_t(Get32(P)) | (uint64_t(Get32(P + 4)) << 32); }

inline void Put16(uint8_t* P, uint32_t V) {
  P[0] = uint8_t(V);
  P[1] = uint8_t(V >> 8);
}
inline void Put32(uint8_t* P, uint32_t V) {
  Put16(P, V);
  Put16(P + 2, V >> 16);
}
inline void Put64(uint8_t* P, uint64_t V) {
  Put32(P, uint32_t(V));
  Put32(P + 4, uint32_t(V >> 32));
}

}  // namespace le
