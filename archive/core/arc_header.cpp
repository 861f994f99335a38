#include "archive/core/arc_header.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "archive/core/le_bytes.h"

using le::Get16;
using le::Get32;

namespace {

// A header that can be one: a known method, a name ending within its 13 bytes, data
// inside the file.
bool Plausible(const uint8_t* H, int64_t Pos, int64_t Size, bool Pak) {
  const int M = H[1];
  if (H[0] != 0x1A || !((M >= 1 && M <= 11) || (!Pak && M == 30))) return false;
  if (std::memchr(H + 2, 0, 13) == nullptr || H[2] == 0) return false;
  const int64_t Len = M == 1 ? 25 : 29;
  return M == 30 || Pos + Len + int64_t(Get32(H + 15)) <= Size;
}

}  // namespace

TArcStep TArcHeaderWalk::Next(TArcInput& In, int64_t Pos, TArcHeader& H) {
  const int64_t Size = In.Size();
  for (;;) {
    H = TArcHeader();
    H.HeaderPos = Pos;
    uint8_t B[29] = {};
    const int32_t Got = Pos < Size ? In.ReadAt(Pos, B, 29) : 0;
    if (Got < 2 || (B[0] == 0x1A && B[1] == 0)) return asEnd;
    if (B[0] != 0x1A) return asBadHeader;
    H.Method = B[1];
    if (!FPak && H.Method == 31) {
      // End of a folder: back to its parent.
      if (!FDir.empty()) FDir.pop_back();
      const size_t Cut = FDir.find_last_of('\\');
      FDir.erase(Cut == std::string::npos ? 0 : Cut + 1);
      Pos += 2;
      continue;
    }
    size_t N = 0;
    while (N < 13 && B[2 + N] != 0) N++;
    const std::string Own(reinterpret_cast<const char*>(B + 2), N);
    H.Name = FDir + Own;
    if (!FPak && H.Method == 30) {
      if (Got < 29) return asTruncated;
      FDir += Own + "\\";
      H.IsFolder = true;
      H.DataPos = H.Next = Pos + 29;
      H.DateTime = Get32(B + 19);
      return asEntry;
    }
    // Method 1 is the old header without the original size.
    const int Len = H.Method == 1 ? 25 : 29;
    if (Got < Len) return asTruncated;
    H.PackedSize = Get32(B + 15);
    H.OrigSize = H.Method == 1 ? H.PackedSize : Get32(B + 25);
    H.Crc = Get16(B + 23);
    H.DateTime = Get32(B + 19);
    H.DataPos = Pos + Len;
    H.Next = H.DataPos + H.PackedSize;
    if (N == 13 || N == 0) return asBadHeader;
    return H.Next > Size ? asTruncated : asEntry;
  }
}

int64_t TArcHeaderWalk::Resync(TArcInput& In, int64_t From, bool Pak) {
  const int64_t Size = In.Size();
  std::vector<uint8_t> Buf(65536);
  for (int64_t At = std::max<int64_t>(From, 0); At + 2 <= Size; At += int64_t(Buf.size()) - 28) {
    const int32_t Got = In.ReadAt(At, Buf.data(), int32_t(Buf.size()));
    for (int32_t i = 0; i + 2 <= Got; ++i) {
      if (Buf[size_t(i)] != 0x1A) continue;
      uint8_t H[29] = {};
      const int32_t n = In.ReadAt(At + i, H, 29);
      if (n >= 2 && H[1] == 0 && At + i + 2 + 512 >= Size) return At + i;  // the end mark, near the end
      if (n >= 25 && Plausible(H, At + i, Size, Pak)) return At + i;
    }
    if (Got < int32_t(Buf.size())) break;
  }
  return -1;
}
