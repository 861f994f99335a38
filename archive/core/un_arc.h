// The ARC reader: methods 1 to 9 (stored, packed, squeezed, crunched, squashed) and
// folders (method 30 opens one, 31 closes it).
#pragma once

#include "archive/core/arc_base.h"
#include "archive/core/arc_header.h"

class TUnARC : public TUnBase {
public:
  explicit TUnARC(TComponent* AOwner) : TUnBase(AOwner) {}
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  // ARC keeps the date in the low word and the time in the high word.
  TDateTime ConvertDate(uint32_t Value) override { return DosDateToDateTime(SwapWords(Value)); }

protected:
  void ExtractIt() override;
  void ReadArchiveHeader() override;
  TEntryStep ReadEntryHeader(TArcEntry& Entry) override;
  bool DecodeEntry(TArcEntry& Entry) override;

private:
  TArcHeaderWalk FWalk{false};
  TArcHeader FHdr;    // the current entry's header
  int64_t FPos = -1;  // the next header; -1 when no more can be found
};
