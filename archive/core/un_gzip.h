// The reader of the gzip family: gzip members (deflate) and Unix compress (.Z) files.
// Pack (1F 1E) and the 1F A0 kind are recognised but not extracted.
#pragma once

#include <cstdint>
#include <string>

#include "archive/core/arc_base.h"
#include "archive/core/gzip_header.h"

class TUnGZIP : public TUnBase {
public:
  explicit TUnGZIP(TComponent* AOwner) : TUnBase(AOwner) {}
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  TDateTime ConvertDate(uint32_t Value) override { return UnixDateToDateTime(int32_t(Value)); }
  uint8_t HeaderFlags = 0;  // FLG of the (first) gzip member

protected:
  void ExtractIt() override;
  void ReadArchiveHeader() override;
  TEntryStep ReadEntryHeader(TArcEntry& Entry) override;
  bool DecodeEntry(TArcEntry& Entry) override;

private:
  // Decodes the members from the first one on. False when the data were cut short (told)
  // or the run cancelled; AllPass tells whether every member's CRC check passed.
  bool ExtractMembers(TGzipMember First, bool& AllPass);

  uint8_t FKind = 0;          // the second magic byte: 8B gzip, 9E old gzip, 9D compress
  TGzipMember FFirst;         // the first member's header
  uint32_t FDosDate = 0;      // of the one entry
  std::string FStoredName;
  bool FRead = false;         // the one entry has been handed out
};

// Decodes a .Z file of PackedSize bytes from the reader's archive position to its output.
// True when the input ended where a code ended; False for a file cut short or damaged.
// A header that is not compress's raises E_RAISE (told) with 25138 (reserved flags) or
// 25292 (code size), a first code that is no byte 25139.
bool LzwDecompress(TUnBase& Reader, int64_t PackedSize);
