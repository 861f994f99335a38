// The ZOO reader: the chain of directory entries from the archive header; methods 0
// (stored), 1 (LZW) and 2 (static-Huffman LZH with an 8 KB dictionary).
#pragma once

#include <set>

#include "archive/core/arc_base.h"
#include "archive/core/zoo_header.h"

class TUnZOO : public TUnBase {
public:
  explicit TUnZOO(TComponent* AOwner) : TUnBase(AOwner) {}
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  // ZOO keeps the date in the low word and the time in the high word.
  TDateTime ConvertDate(uint32_t Value) override { return DosDateToDateTime(SwapWords(Value)); }

protected:
  void ExtractIt() override;
  void ReadArchiveHeader() override;
  TEntryStep ReadEntryHeader(TArcEntry& Entry) override;
  bool DecodeEntry(TArcEntry& Entry) override;

private:
  TZooEntry FHdr;               // the current entry's header
  int64_t FPos = -1;            // the next header; -1 at the end of the chain
  std::set<int64_t> FSeen;      // headers met: a chain coming back to one would never end
};
