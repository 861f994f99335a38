// The ARJ reader: the first header found (also behind a self-extractor), header CRC-32
// checks, methods 0 (stored), 1-3 (static Huffman) and 4 (fast), entries continued over
// volumes through OnNextVolume. Garbled (encrypted) entries stop the run.
#pragma once

#include <string>

#include "archive/core/arc_base.h"

class TUnARJ : public TUnBase {
public:
  explicit TUnARJ(TComponent* AOwner) : TUnBase(AOwner) {}
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

protected:
  void ExtractIt() override;

private:
  struct THeader {
    uint8_t ArjVersion = 0, MinVersion = 0, HostOS = 0, Flags = 0, Method = 0, FileType = 0;
    uint32_t DateTime = 0, PackedSize = 0, OrigSize = 0, Crc = 0;
    std::string Name;  // as stored
  };
  // The offset of the first valid header from the current position, or -1.
  int64_t ArjFindHeader();
  // Reads the header at the current position into FHdr; False at the end of the archive.
  bool ArjReadHeader(bool First);
  // Whether the current entry can be extracted (see the checks).
  bool ArjCheckHeader();
  bool ArjExtractEntry();
  bool ArjNextVolume();
  void ArjSkipEntry();
  // Decodes the current part of the entry into OutFile; decoder errors end the entry.
  void ArjDecodePart();
  [[noreturn]] void Fail(int ECode, const std::string& FN = std::string());

  THeader FHdr;
  uint8_t FMainVersion = 0;  // archiver version of the first volume's main header
  std::string FVolumeName;
};
