// The headers of LHA/LZH archives (levels 0, 1 and 2 with their extended headers), read
// one way by the lister and the reader.
#pragma once

#include <cstdint>
#include <string>

#include "archive/core/arc_type.h"

struct TLhaHeader {
  std::string Method;   // "-lh5-"
  uint32_t PackedSize = 0, OrigSize = 0, Time = 0;
  int Level = 0;
  uint16_t Crc = 0;
  uint8_t Attr = 0;
  uint8_t Os = 0;        // the system it was made on ('U' Unix, 'M' DOS...); 0 for level 0
  std::string Name;      // as stored, folders joined with '\'
  int64_t HeaderPos = 0;
  int64_t DataPos = 0;   // first byte of the entry's data
  int64_t DataSize = 0;  // packed bytes after the extended headers
  int64_t NextPos = 0;   // the next header
  bool IsDirectory() const { return Method == "-lhd-"; }
};

enum TLhaStep { lsEntry, lsEnd, lsBadHeader, lsTruncated };

// Where the first header stands for an archive starting at Start (a 128-byte preamble
// some tools write is passed over).
int64_t LhaFirstHeader(TArcInput& In, int64_t Start);
// Reads the header at Pos. lsEnd at the end of the headers; lsBadHeader for a malformed
// one; lsTruncated for a header whose data run past the end of the file (H is filled).
// After either fault LhaResync finds where the walk can go on.
TLhaStep LhaReadHeader(TArcInput& In, int64_t Pos, TLhaHeader& H);
// The next position after From where a whole header stands; -1 when none does.
int64_t LhaResync(TArcInput& In, int64_t From);

// A folder name of an LHA extended header: '/' and 0xFF become '\' (neither can be the
// second byte of a Shift-JIS pair, whose '\' stays as it is); blanks and control
// characters at either end go.
std::string LhaConvertPath(const std::string& Path);
// The entry's name in 1251 (HostNameToAnsi by its system).
std::string LhaEntryName(const TLhaHeader& H);
