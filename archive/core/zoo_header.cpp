#include "archive/core/zoo_header.h"

#include "archive/core/arc_globals.h"
#include "archive/core/arc_names.h"
#include "archive/core/le_bytes.h"

using le::Get16;
using le::Get32;

namespace {

constexpr uint32_t ZooTag = 0xFDC4A7DC;

// A zero-terminated text of at most Len bytes.
std::string ZeroTerminated(const uint8_t* P, size_t Len) {
  size_t N = 0;
  while (N < Len && P[N] != 0) N++;
  return std::string(reinterpret_cast<const char*>(P), N);
}

}  // namespace

int ZooReadArchive(TArcInput& In, int64_t Start, TZooArchive& A) {
  A = TZooArchive();
  uint8_t H[43];
  if (In.ReadAt(Start, H, 43) < 43) return errReadingFile;
  if (Get32(H + 24) + Get32(H + 28) != 0) return errBadFileHeader;
  A.FirstEntry = Get32(H + 24);
  A.CommentPos = Get32(H + 35);
  A.CommentLen = Get16(H + 39);
  return 0;
}

TZooStep ZooReadEntry(TArcInput& In, int64_t Pos, TZooEntry& E) {
  E = TZooEntry();
  E.HeaderPos = Pos;
  uint8_t H[58] = {};
  const int32_t Got = In.ReadAt(Pos, H, 58);
  if (Got < 10) return zsTruncated;
  if (Get32(H) != ZooTag) return zsBadHeader;
  E.Next = Get32(H + 6);
  if (E.Next == 0) return zsEnd;
  if (Got < 58) return zsTruncated;
  E.Method = H[5];
  E.DataPos = Get32(H + 10);
  E.DateTime = Get32(H + 14);
  E.Crc = Get16(H + 18);
  E.OrigSize = Get32(H + 20);
  E.PackedSize = Get32(H + 24);
  E.Version = H[28];
  E.VersionNeeded = H[29];
  E.Deleted = H[30] != 0;
  E.CommentPos = Get32(H + 32);
  E.CommentLen = Get16(H + 36);
  std::string Name = ZeroTerminated(H + 38, 13), Dir;
  // Type-2 entries with a variable part carry the long name and the folder.
  if (H[4] == 2 && Get16(H + 51) >= 2) {
    const int L = H[56], D = H[57];
    if (L + D > 0) {
      uint8_t Buf[512];
      if (In.ReadAt(Pos + 58, Buf, L + D) < L + D) return zsTruncated;
      // The system the entry was made on follows the names.
      uint8_t Sys[2];
      if (Get16(H + 51) >= L + D + 4 && In.ReadAt(Pos + 58 + L + D, Sys, 2) == 2) E.SystemId = Get16(Sys);
      const std::string Long = ZeroTerminated(Buf, size_t(L));
      if (!Long.empty()) Name = Long;
      Dir = SlashToBackslash(ZeroTerminated(Buf + L, size_t(D)));
      if (!Dir.empty() && Dir.back() != '\\') Dir += '\\';
    }
  }
  E.Name = Dir + Name;
  return zsEntry;
}

std::string ZooEntryName(const TZooEntry& E) { return HostNameToAnsi(E.Name, E.SystemId == 0); }
