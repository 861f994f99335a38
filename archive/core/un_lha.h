// The LHA/LZH reader: header levels 0, 1 and 2; methods -lh0- (stored), -lh1- (LZHUF),
// -lh4-, -lh5- and -lh6- (static Huffman). Directory entries (-lhd-) are passed over.
#pragma once

#include <string>

#include "archive/core/arc_base.h"

class TUnLHA : public TUnBase {
public:
  explicit TUnLHA(TComponent* AOwner) : TUnBase(AOwner) {}
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

protected:
  void ExtractIt() override;

private:
  struct THeader {
    std::string Method;   // "-lh5-"
    uint32_t PackedSize = 0, OrigSize = 0, Time = 0;
    int Level = 0;
    uint16_t Crc = 0;
    std::string Name;     // as stored, folders joined with '\'
    int64_t DataPos = 0;  // first byte of the entry's data
    int64_t DataSize = 0; // packed bytes after the extended headers
    int64_t NextPos = 0;  // the next header
  };
  // Reads the header at Pos. False at the end of the headers; a malformed header
  // reports 25108 ("Bad file header") and also gives False.
  bool ReadHeader(int64_t Pos, THeader& H);
  // Decodes the current entry by its method into OutFile.
  void LhaDecodeEntry(const THeader& H);
};

// A folder name of an LHA extended header: '\', '/' and 0xFF become '\' (not the second
// byte of a Shift-JIS pair); blanks and control characters at either end go.
std::string LhaConvertPath(const std::string& Path);
bool IsSjisLeadByte(uint8_t B);
