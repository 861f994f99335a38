// The header lines of UU and XX text ("begin <mode> <name>", "begin-base64", "table")
// and its full data lines, read one way by recognition, the lister and the reader.
#pragma once

#include <cstddef>
#include <string>

// The lines the reader searches for the "begin" line unless told otherwise; the lister
// searches as many.
constexpr int UuHeaderLines = 100;

enum TUuLineKind {
  ulOther,   // no header line
  ulBegin,   // "begin", blanks, an octal mode, blanks, the name
  ulBase64,  // "begin-base64": MIME's form, which the decoder does not read
  ulTable,   // "table" or "charmap": an alphabet of its own follows
};
// What Line (without CR and LF) is; for ulBegin, StoredName gets the name as written,
// trailing blanks dropped (empty when the line names nothing).
TUuLineKind UuHeaderLine(const std::string& Line, std::string* StoredName = nullptr);

// A full data line of 45 bytes: 61 characters, 'M' and the UU alphabet or 'h' and the XX
// alphabet (the parts of a split file after the first start with such lines).
bool UuIsFullDataLine(const std::string& Line);

// The stored name in 1251: UTF-8 when it is well-formed UTF-8 (uuencode on Unix writes
// the name as given), else the DOS code page.
std::string UuEntryName(const std::string& StoredName);
