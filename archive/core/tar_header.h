// The 512-byte header of tar archives (ustar, GNU, pax) and the pax records, and the walk
// from one entry to the next: read one way by recognition, the lister and the reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "archive/core/arc_type.h"

// What one 512-byte header says, with the long name or pax record before it applied.
struct TTarHeader {
  std::string Name;      // as stored, '/' separators
  int64_t Size = 0;      // data bytes after the header
  uint32_t MTime = 0;    // Unix seconds
  char Type = 0;
  uint32_t Checksum = 0;  // as stored
  bool ChecksumOk = false;
};

// Parses a header block. False for the end of the archive (a block with no name).
bool ParseTarHeader(const uint8_t Block[512], TTarHeader& H);
// The header checksum: the sum of the block with the checksum field counted as blanks,
// taken unsigned (the standard) or signed (what old tar programs wrote).
bool TarChecksumOk(const uint8_t Block[512]);
// Whether an entry of this type carries a file's data: regular files, contiguous files
// and the types this reader does not know (taken as files, as tar programs do).
bool TarIsFile(char Type);

// One entry of a tar archive with the long-name and pax records before it applied.
struct TTarEntry {
  TTarHeader H;
  int64_t HeaderPos = 0;  // the entry's own header
  int64_t DataPos = 0;
  int64_t Next = 0;       // the next header
  bool IsDirectory = false;
};
enum TTarStep { tsEntry, tsEnd, tsBadHeader, tsTruncated };
// Reads the entry whose records or header stand at Pos. tsEnd at the end of the archive
// (a zero block, or the end of the file between blocks); tsBadHeader for a header whose
// checksum or size cannot be right: nothing after it can be trusted; tsTruncated for a
// file that ends inside a header or inside the entry's data (E is filled as far as read).
TTarStep TarNextEntry(TArcInput& In, int64_t Pos, TTarEntry& E);
// A tar number field: octal digits (others skipped) or, with the high bit of the first
// byte set, a big-endian binary number (GNU); -1 for a negative binary value.
int64_t TarNumber(const uint8_t* Field, size_t Len);
// Applies the pax records of Data (lines "length key=value\n"): "path" sets Name,
// "size" and "mtime" set those fields when given.
void ApplyPaxRecords(const std::string& Data, std::string* Name, int64_t* Size, uint32_t* MTime);
