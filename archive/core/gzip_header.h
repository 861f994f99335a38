// The gzip family's headers (gzip members, compress, pack): their magics, the member
// header and the name of the family's one entry, read one way by recognition, the lister
// and the reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "archive/core/arc_type.h"

// The magics of the family: 1F 8B, 1F 9E (gzip), 1F 9D (compress), 1F A0, 1F 1E (pack).
bool IsGzipMagic(uint16_t Word);
// The two gzip magics, whose files are members with a header and a trailer.
inline bool IsGzipMember(uint16_t Word) { return Word == 0x8B1F || Word == 0x9E1F; }
// The length of a name up to the last '.' of its file-name part, or its whole length.
size_t NameWithoutExt(const std::string& Name);

// The header of one gzip member (RFC 1952).
struct TGzipMember {
  uint16_t Magic = 0;
  uint8_t Method = 0, Flags = 0;
  uint32_t MTime = 0;     // Unix seconds, 0 for none
  std::string Name;       // FNAME as stored (its first 255 bytes), empty without one
  int64_t DataPos = 0;    // first byte of the compressed data
};
enum : uint8_t {
  gzfText = 1, gzfHeaderCrc = 2, gzfExtra = 4, gzfName = 8, gzfComment = 16, gzfEncrypted = 32
};
enum TGzipStep { gsMember, gsNotGzip, gsTruncated };
// Reads the member header at Pos: gsNotGzip when no gzip magic stands there, gsTruncated
// when the file ends inside the header (M filled as far as read).
TGzipStep GzipReadMember(TArcInput& In, int64_t Pos, TGzipMember& M);

// The name of the family's one entry, in 1251: the file-name part of the stored name
// (UTF-8 when it is well-formed UTF-8, as Unix gzip writes it, else the DOS code page),
// or, without one, the archive's own name (1251 already) less its last extension.
std::string GzipEntryName(const std::string& StoredName, const std::string& ArchiveFile);
