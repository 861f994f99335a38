// The headers of ARJ archives (the main header and the file headers with their extended
// headers), read one way by the lister and the reader.
#pragma once

#include <cstdint>
#include <string>

#include "archive/core/arc_type.h"
#include "classlib/core/sys_utils.h"

struct TArjHeader {
  uint8_t ArjVersion = 0, MinVersion = 0, HostOS = 0, Flags = 0, Method = 0, FileType = 0;
  uint32_t DateTime = 0, PackedSize = 0, OrigSize = 0, Crc = 0;
  uint16_t FileAttr = 0;
  // A part continued from an earlier volume: where its data stand in the whole file.
  uint32_t ExtFilePos = 0;
  bool HasExtFilePos = false;
  std::string Name, Comment;  // as stored (OEM code page)
  int64_t HeaderPos = 0;      // the 0xEA60 mark
  int64_t DataPos = 0;        // behind the header CRC and the extended headers
  int64_t NextPos = 0;        // the next header: DataPos + PackedSize

  bool IsFolder() const { return FileType == 3; }
  bool Garbled() const { return (Flags & 0x01) != 0; }
  bool ContinuesInNextVolume() const { return (Flags & 0x04) != 0; }
  bool ContinuedFromEarlierVolume() const { return (Flags & 0x08) != 0; }
};

// Flags of the main header.
constexpr uint8_t ArjMultiVolume = 0x04;
// File types: 0 binary, 1 text, 2 the main header, 3 a folder, 4 a volume label, 5 a chapter mark.
constexpr int ArjBasicHeaderLimit = 2600;

enum TArjStep { jsEntry, jsEnd, jsBadHeader, jsHeaderCrc, jsTruncated };

// The first header at or after Start whose header CRC holds, searched no further than
// Limit; -1 when there is none.
int64_t ArjFindMainHeader(TArcInput& In, int64_t Start, int64_t Limit);
// Reads the header at Pos. jsEnd for the end mark (a basic header size of 0) and for the
// end of the file before a header; jsBadHeader for no 0xEA60 mark or a malformed header;
// jsHeaderCrc for a header whose CRC differs; jsTruncated for a header cut by the end of
// the file. H.Name and H.HeaderPos are filled as far as read.
TArjStep ArjReadHeader(TArcInput& In, int64_t Pos, TArjHeader& H);
// The entry's date: ARJ for Unix (host 2) stamps in Unix time, the others in DOS time.
TDateTime ArjEntryDate(const TArjHeader& H);
// The entry's name in 1251 (HostNameToAnsi by its host: ARJ for Unix writes the bytes of
// UTF-8 names).
std::string ArjEntryName(const TArjHeader& H);
