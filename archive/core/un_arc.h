// The ARC reader: methods 1 to 9 (stored, packed, squeezed, crunched, squashed) and
// folders (method 30 opens one, 31 closes it).
#pragma once

#include "archive/core/arc_base.h"

class TUnARC : public TUnBase {
public:
  explicit TUnARC(TComponent* AOwner) : TUnBase(AOwner) {}
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  // ARC keeps the date in the low word and the time in the high word.
  TDateTime ConvertDate(uint32_t Value) override { return DosDateToDateTime(SwapWords(Value)); }

protected:
  void ExtractIt() override;
};
