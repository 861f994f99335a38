// The archive header and the chain of entry headers of ZOO archives, read one way by the
// lister and the reader.
#pragma once

#include <cstdint>
#include <string>

#include "archive/core/arc_type.h"

struct TZooArchive {
  int64_t FirstEntry = 0;
  int64_t CommentPos = 0;
  uint16_t CommentLen = 0;
};
// The archive header at Start. 0, or the error: 25236 when it is cut, 25108 when its
// start and minus fields disagree.
int ZooReadArchive(TArcInput& In, int64_t Start, TZooArchive& A);

struct TZooEntry {
  int Method = 0;
  int64_t HeaderPos = 0, Next = 0, DataPos = 0;
  uint32_t DateTime = 0;  // date in the low word, time in the high word
  uint16_t Crc = 0;
  uint32_t OrigSize = 0, PackedSize = 0;
  uint8_t Version = 0, VersionNeeded = 0;
  bool Deleted = false;    // an older version the archive keeps
  std::string Name;        // as stored: the long name when there is one, after its folder
  int SystemId = -1;       // of the variable part: 0 Unix, 1 DOS, 2 portable; -1 without one
  int64_t CommentPos = 0;
  uint16_t CommentLen = 0;
};
enum TZooStep { zsEntry, zsEnd, zsBadHeader, zsTruncated };
// The entry whose header stands at Pos. zsEnd for the entry that ends the chain;
// zsBadHeader without the entry tag; zsTruncated for a header cut by the end of the file.
TZooStep ZooReadEntry(TArcInput& In, int64_t Pos, TZooEntry& E);
// The entry's name in 1251 (HostNameToAnsi by its system).
std::string ZooEntryName(const TZooEntry& E);
