#include "archive/core/uu_header.h"

#include <algorithm>

#include "archive/core/arc_names.h"

TUuLineKind UuHeaderLine(const std::string& Line, std::string* StoredName) {
  if (Line.rfind("begin-base64", 0) == 0) return ulBase64;
  if (Line.rfind("table", 0) == 0 || Line.rfind("charmap", 0) == 0) return ulTable;
  if (Line.rfind("begin ", 0) != 0) return ulOther;
  size_t p = 6;
  while (p < Line.size() && Line[p] == ' ') ++p;
  const size_t mode = p;
  while (p < Line.size() && Line[p] >= '0' && Line[p] <= '7') ++p;
  // A mode and a blank after it: "begin" in the first words of a letter is no header.
  if (p == mode || (p < Line.size() && Line[p] != ' ')) return ulOther;
  while (p < Line.size() && Line[p] == ' ') ++p;
  if (StoredName) {
    size_t end = Line.size();
    while (end > p && (Line[end - 1] == ' ' || Line[end - 1] == '\t')) --end;
    // No file name is longer; the rest of such a line is not a name.
    *StoredName = Line.substr(p, std::min<size_t>(end - p, 255));
  }
  return ulBegin;
}

bool UuIsFullDataLine(const std::string& L) {
  if (L.size() != 61 || (L[0] != 'M' && L[0] != 'h')) return false;
  for (size_t i = 1; i < L.size(); ++i) {
    const char c = L[i];
    const bool uu = c >= ' ' && c <= '`';
    const bool xx = c == '+' || c == '-' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (L[0] == 'M' ? !uu : !xx) return false;
  }
  return true;
}

std::string UuEntryName(const std::string& StoredName) { return ArchiveNameToAnsi(StoredName); }
