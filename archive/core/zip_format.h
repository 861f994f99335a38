// The ZIP headers, read one way for recognition, the lister and the reader: the end
// records (Zip64 too), where the central directory really stands (also in a
// self-extractor whose offsets were left as the archiver wrote them), the central
// headers and the entry names.
#pragma once

#include <cstdint>
#include <string>

#include "archive/core/arc_type.h"

constexpr uint32_t ZipLocalSig = 0x04034B50, ZipLocalSig250 = 0x50000000, ZipCentralSig = 0x02014B50,
                   ZipEndSig = 0x06054B50, ZipEnd64Sig = 0x06064B50, ZipLocator64Sig = 0x07064B50;
constexpr int ZipLocalSize = 30, ZipCentralSize = 46, ZipEndSize = 22;

// The central directory as the end records describe it.
struct TZipDirectory {
  int64_t EndPos = -1;      // the 22-byte end record
  int64_t CentralPos = 0;   // the first central header
  int64_t CentralEnd = 0;   // where the directory ends (the first end record after it)
  int64_t Base = 0;         // added to every offset stored in the archive
  uint64_t Entries = 0;     // the count the end records give
  int64_t CommentPos = 0;   // the archive comment
  uint16_t CommentLen = 0;
  bool Zip64 = false;
};

// Finds the end record and the central directory of In. EmbeddedAt: the archive's start
// when a self-extractor's string resources gave it (0: none), a base to try. 0 when
// found (an archive without entries too), else the error: 25108 without an end record,
// 25238 when no central header is where the records say nor in the last 32 KB.
int ZipFindDirectory(TArcInput& In, int64_t EmbeddedAt, TZipDirectory& Dir);

// One central header.
struct TZipCentral {
  uint16_t MadeBy = 0, Needed = 0, Flags = 0, Method = 0, InternalAttr = 0;
  uint32_t DosTime = 0, Crc = 0, ExternalAttr = 0;
  int64_t PackedSize = 0, UnpackedSize = 0;
  int64_t LocalOffset = 0;       // as stored (Zip64 extra field applied), without the base
  std::string StoredName;        // the bytes of the name
  std::string Name;              // in 1251, folders joined with '\'
  int64_t ExtraPos = 0, CommentPos = 0;
  uint16_t ExtraLen = 0, CommentLen = 0;
  int64_t NextPos = 0;           // the header after this one
  bool IsDirectory = false;      // a folder entry (attribute, or a name ending in '/')
  bool IsVolumeLabel = false;
  bool Encrypted() const { return Flags & 1; }
};

// Reads the central header at Pos (the directory ends at Limit). 0 when read; -1 when no
// central header stands there (the end of the directory); 25108 when its name, extra
// field or comment runs past Limit (H.StoredName then holds what could be read).
int ZipReadCentral(TArcInput& In, int64_t Pos, int64_t Limit, TZipCentral& H);

// A stored name in 1251 with '\' separators. Flag bit 11 means UTF-8; so does a name made
// on Unix (host 3) that is valid UTF-8 and not plain ASCII, as Unix archivers write
// names without the flag; otherwise the DOS code page. A character 1251 lacks becomes '_'.
std::string ZipEntryName(const std::string& Stored, uint16_t Flags, uint16_t MadeBy);
// The same into Name, reusing its buffer.
void ZipEntryNameInto(const std::string& Stored, uint16_t Flags, uint16_t MadeBy, std::string& Name);

// The local header of an entry whose central header is H: where its data begin, 0 when
// no local header stands there.
int64_t ZipDataPos(TArcInput& In, const TZipDirectory& Dir, const TZipCentral& H, uint8_t Local[ZipLocalSize]);
