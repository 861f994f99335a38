// The entry headers of ARC and PAK archives, with ARC's folders, walked one way by the
// lister and the reader.
#pragma once

#include <cstdint>
#include <string>

#include "archive/core/arc_type.h"

struct TArcHeader {
  int Method = 0;
  std::string Name;       // as stored, with the folders it stands in ("DIR\NAME.TXT")
  uint32_t PackedSize = 0, OrigSize = 0;
  uint16_t Crc = 0;
  uint32_t DateTime = 0;  // date in the low word, time in the high word
  int64_t HeaderPos = 0, DataPos = 0, Next = 0;
  bool IsFolder = false;  // method 30: the entries up to its method 31 are inside it
};

enum TArcStep { asEntry, asEnd, asBadHeader, asTruncated };

class TArcHeaderWalk {
public:
  explicit TArcHeaderWalk(bool Pak) : FPak(Pak) {}
  // The entry at Pos (folder ends passed over). asEnd at the end mark or the end of the
  // file; asBadHeader where no header stands; asTruncated for an entry whose data run
  // past the end of the file (H is filled). After a fault Resync finds where to go on.
  TArcStep Next(TArcInput& In, int64_t Pos, TArcHeader& H);
  // The next position after From where a plausible header stands; -1 when none does.
  static int64_t Resync(TArcInput& In, int64_t From, bool Pak);

private:
  bool FPak;
  std::string FDir;  // the folders the walk stands in, each with a trailing '\'
};
