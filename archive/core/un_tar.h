// The tar reader: ustar, GNU and pax archives of 512-byte blocks. GNU long names ('L')
// and pax records ('x') name the entry that follows; links, devices and other records
// without data make no file.
#pragma once

#include <cstdint>
#include <string>

#include "archive/core/arc_base.h"
#include "archive/core/tar_header.h"

class TUnTAR : public TUnBase {
public:
  explicit TUnTAR(TComponent* AOwner) : TUnBase(AOwner) {}
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  TDateTime ConvertDate(uint32_t Value) override { return UnixDateToDateTime(int32_t(Value)); }

protected:
  void ExtractIt() override;
  TEntryStep ReadEntryHeader(TArcEntry& Entry) override;

private:
  int64_t FPos = 0;  // the next header
};
