// String resources of a Windows executable, read by parsing its PE headers and resource
// tree directly: the same result on every platform, and safe on hostile files.
#pragma once

#include <cstdint>
#include <string>

class TArcInput;

class TPeResourceReader {
public:
  explicit TPeResourceReader(TArcInput& In);

  // True when the file is a PE image (what the system would load as a data file).
  bool IsValid() const { return FValid; }
  // String Id of the string table in the 1251 code page, cut to MaxLen characters; empty
  // when the image has no such string.
  std::string LoadString(uint32_t Id, size_t MaxLen);

private:
  bool RvaToOffset(uint32_t Rva, uint32_t Size, int64_t& Offset);
  bool Read(int64_t Pos, void* Buf, int32_t Count);
  // The directory entry of Id below the directory at DirOffset (inside the resource
  // section); Lang picks the neutral language first, else the first entry.
  bool FindEntry(uint32_t DirOffset, uint32_t Id, bool AnyId, uint32_t& Target);

  TArcInput& FIn;
  bool FValid = false;
  bool FHasResources = false;
  uint32_t FResourceRva = 0, FResourceSize = 0;
  int64_t FResourceOffset = 0;
  struct TSection {
    uint32_t VirtualAddress, VirtualSize, RawOffset, RawSize;
  };
  TSection FSections[96] = {};
  int FSectionCount = 0;
};
