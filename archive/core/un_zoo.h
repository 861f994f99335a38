// The ZOO reader: the chain of directory entries from the archive header; methods 0
// (stored), 1 (LZW) and 2 (static-Huffman LZH with an 8 KB dictionary).
#pragma once

#include "archive/core/arc_base.h"

class TUnZOO : public TUnBase {
public:
  explicit TUnZOO(TComponent* AOwner) : TUnBase(AOwner) {}
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  // ZOO keeps the date in the low word and the time in the high word.
  TDateTime ConvertDate(uint32_t Value) override { return DosDateToDateTime(SwapWords(Value)); }

protected:
  void ExtractIt() override;
};
