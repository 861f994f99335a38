// Text helpers of the shell controls that need no shell, and the subsystem's texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// ---------------------------------------------------------------------------------------
// Shortcut names of the shell controls: the key code in the low byte, 0x2000 Shift,
// 0x4000 Ctrl, 0x8000 Alt.

// "Ctrl+F5", "Shift+Del", "Ctrl+#186" for a key without a name; empty for no key name.
std::string ShortcutToText(uint16_t Shortcut);
// The reverse, prefixes "Shift+", "Ctrl+" (or "^") and "Alt+" in any order and case; 0
// when the key is not recognised.
uint16_t TextToShortcut(std::string_view Text);

// The controls' default command keys, in this order, read from the texts once.
enum TPTDefaultShortcut { dscSelectAll, dscDelete, dscCopy, dscCut, dscPaste, dscRefresh, dscRename, dscCount };
void InitDefaultShortcuts();
uint16_t DefaultShortcut(TPTDefaultShortcut Which);
// The command whose key is Shortcut, or dscCount for none.
TPTDefaultShortcut FindDefaultShortcut(uint16_t Shortcut);

// ---------------------------------------------------------------------------------------
// New folders and Send To entries.

// The most names a new folder tries: "New Folder", then "New Folder (2)" and on.
inline constexpr int MaxNewFolderNames = 50;
// The name of attempt N (from 1).
std::string NewFolderName(int N);

// More than a drive root ("A:\"): longer than 3 characters.
bool IsPathBelowRoot(std::string_view Path);

// The owner-drawn Send To entries take menu ids 1 to this; the shell's start at 50.
inline constexpr int MaxSendToEntries = 49;
// The typed character's answer over the Send To names (a WM_MENUCHAR result): the
// position of the first name after the highlighted one (wrapping; -1: none highlighted)
// that starts with Ch, ignoring case, in the low word; in the high word 3 (select) when
// more than one name starts with it, else 2 (execute). 1 (ignore) when none does.
uint32_t SendToMenuChar(const std::vector<std::string>& Names, int Highlighted, char Ch);
