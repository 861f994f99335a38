// The 512-byte header of tar archives (ustar, GNU, pax) and the pax records: plain
// parsing over bytes, shared by the reader and the fuzz target.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// What one 512-byte header says, with the long name or pax record before it applied.
struct TTarHeader {
  std::string Name;      // as stored, '/' separators
  int64_t Size = 0;      // data bytes after the header
  uint32_t MTime = 0;    // Unix seconds
  char Type = 0;
  bool ChecksumOk = false;
};

// Parses a header block. False for the end of the archive (a block with no name).
bool ParseTarHeader(const uint8_t Block[512], TTarHeader& H);
// A tar number field: octal digits (others skipped) or, with the high bit of the first
// byte set, a big-endian binary number (GNU); -1 for a negative binary value.
int64_t TarNumber(const uint8_t* Field, size_t Len);
// Applies the pax records of Data (lines "length key=value\n"): "path" sets Name,
// "size" and "mtime" set those fields when given.
void ApplyPaxRecords(const std::string& Data, std::string* Name, int64_t* Size, uint32_t* MTime);
