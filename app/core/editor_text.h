// The portable half of the editor page: the code-page conversions of the whole text, the
// find that walks occurrences one by one, and the caret status texts.
#pragma once

#include <string>

// The Cyrillic code pages the editor converts between.
enum TTextCodePage { tcpDos866, tcpWin1251, tcpKoi8r };

// Text converted from one code page to another by the program's own tables (never the
// process's OEM code page); the same page gives the text unchanged.
std::string ConvertCodePage(const std::string& Text, TTextCodePage From, TTextCodePage To);
// The status bar's name of a code page: "Dos-866", "Win-1251", "KOI8-r".
const char* CodePageStatusName(TTextCodePage Page);

// The find of the editor page: Occurrence is the number (1-based) of the occurrence the
// next find looks for. A find that succeeds gives the occurrence's 0-based offset and
// moves on to the next one; one that fails gives -1 and starts over, so that the find
// after "not found" wraps to the first occurrence. Without MatchCase, letters compare
// without case (Cyrillic too).
class TEditorFind {
public:
  int Occurrence = 1;
  int Next(const std::string& Text, const std::string& What, bool MatchCase);
};

// Caret status: "line:column" (both 1-based), and the caret line as a share of the line
// count, rounded, followed by " %" ("25 %" on line 1 of 4).
std::string CaretPosText(int Line, int Column);
std::string CaretPercentText(int Line, int LineCount);
