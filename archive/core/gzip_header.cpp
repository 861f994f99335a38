#include "archive/core/gzip_header.h"

#include <algorithm>
#include <cstring>

#include "archive/core/arc_globals.h"
#include "archive/core/arc_names.h"
#include "archive/core/le_bytes.h"

bool IsGzipMagic(uint16_t W) { return W == 0x8B1F || W == 0x9E1F || W == 0x9D1F || W == 0xA01F || W == 0x1E1F; }

size_t NameWithoutExt(const std::string& Name) {
  const size_t Sep = Name.find_last_of("\\/:");
  const size_t Start = Sep == std::string::npos ? 0 : Sep + 1;
  const size_t Dot = Name.rfind('.');
  return Dot != std::string::npos && Dot >= Start ? Dot : Name.size();
}

TGzipStep GzipReadMember(TArcInput& In, int64_t Pos, TGzipMember& M) {
  M = TGzipMember();
  uint8_t H[10];
  const int32_t Got = In.ReadAt(Pos, H, 10);
  if (Got < 2 || !IsGzipMember(le::Get16(H))) return gsNotGzip;
  M.Magic = le::Get16(H);
  if (Got < 10) return gsTruncated;
  M.Method = H[2];
  M.Flags = H[3];
  M.MTime = le::Get32(H + 4);
  int64_t P = Pos + 10;
  if (M.Flags & gzfExtra) {
    uint8_t X[2];
    if (In.ReadAt(P, X, 2) != 2) return gsTruncated;
    P += 2 + le::Get16(X);
  }
  // A zero-terminated field of any length: only its first 255 bytes are kept, but the
  // data begin after the whole of it.
  auto SkipString = [&](std::string* Keep) {
    uint8_t Buf[256];
    for (;;) {
      const int32_t N = In.ReadAt(P, Buf, sizeof Buf);
      if (N <= 0) return false;
      const void* Zero = std::memchr(Buf, 0, size_t(N));
      const size_t Len = Zero ? size_t(static_cast<const uint8_t*>(Zero) - Buf) : size_t(N);
      if (Keep && Keep->size() < 255) Keep->append(reinterpret_cast<const char*>(Buf), std::min(Len, 255 - Keep->size()));
      P += int64_t(Len) + (Zero ? 1 : 0);
      if (Zero) return true;
    }
  };
  if ((M.Flags & gzfName) && !SkipString(&M.Name)) return gsTruncated;
  if ((M.Flags & gzfComment) && !SkipString(nullptr)) return gsTruncated;
  if (M.Flags & gzfHeaderCrc) P += 2;
  M.DataPos = P;
  return P <= In.Size() ? gsMember : gsTruncated;
}

std::string GzipEntryName(const std::string& StoredName, const std::string& ArchiveFile) {
  if (!StoredName.empty()) {
    // A name only: no folder of it is used.
    const std::string Name = ArcExtractFileName(ArchiveNameToAnsi(StoredName));
    if (!Name.empty()) return Name;
  }
  const std::string Own = ArcExtractFileName(ArchiveFile);
  return Own.substr(0, NameWithoutExt(Own));
}
