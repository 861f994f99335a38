// Text helpers of the shell controls that need no shell, and the subsystem's texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Text with C appended, unless it is empty or already ends with C.
std::string AddTrailingChar(std::string_view Text, char C);
// Appends the character at the 1-based Index of Text to Result and moves Index past it.
// The program's strings are in code page 1251, which has no double-byte characters, so a
// character is always one byte. An Index outside Text appends nothing.
void AppendNextChar(int& Index, std::string_view Text, std::string& Result);

// A byte count as whole kilobytes, rounded up, with the locale's thousands separators:
// "0KB", "1KB", "1,024KB".
std::string SizeToText(uint64_t Bytes);

// The subsystem's texts, fetched when used.
enum class TPTShText {
  ShortCutSelectAll,  // "Ctrl+A"
  ShortCutDelete,     // "Del"
  ShortCutCopy,       // "Ctrl+C"
  ShortCutCut,        // "Ctrl+X"
  ShortCutPaste,      // "Ctrl+V"
  ShortCutRefresh,    // "F5"
  ShortCutRename,     // "F2"
  SizeColumnFormat,   // "%sKB": the number text
  NewFolderName,      // "New Folder"
  NewFolderFailed,    // %1 the system message, %2 the folder name
  ColumnName,
  ColumnSize,
  ColumnType,
  ColumnModified,
  SystemFolderType,   // type text of objects outside the file system
};
const std::string& PTShText(TPTShText Id);
