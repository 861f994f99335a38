// The LHA/LZH reader: header levels 0, 1 and 2; methods -lh0- (stored), -lh1- (LZHUF),
// -lh4-, -lh5- and -lh6- (static Huffman). Directory entries (-lhd-) make folders.
#pragma once

#include <string>

#include "archive/core/arc_base.h"
#include "archive/core/lha_header.h"

class TUnLHA : public TUnBase {
public:
  explicit TUnLHA(TComponent* AOwner) : TUnBase(AOwner) {}
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

protected:
  void ExtractIt() override;
  void ReadArchiveHeader() override;
  TEntryStep ReadEntryHeader(TArcEntry& Entry) override;
  bool DecodeEntry(TArcEntry& Entry) override;

private:
  TLhaHeader FHdr;    // the current entry's header
  int64_t FPos = -1;  // the next header; -1 when no more can be found
};
