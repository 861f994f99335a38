#include "app/core/editor_text.h"

#include <cmath>

#include "app/core/zemb_rout.h"
#include "classlib/core/sys_utils.h"
#include "storage/core/str_utils.h"

std::string ConvertCodePage(const std::string& Text, TTextCodePage From, TTextCodePage To) {
  std::string R;
  switch (From) {
    case tcpDos866:
      if (To == tcpWin1251) return OemToAnsiStr(Text);
      if (To == tcpKoi8r) return DosToKoi8(Text, R), R;
      break;
    case tcpWin1251:
      if (To == tcpDos866) return StrToOem(Text);
      if (To == tcpKoi8r) return WinToKoi8(Text, R), R;
      break;
    case tcpKoi8r:
      if (To == tcpDos866) return Koi8ToDos(Text, R), R;
      if (To == tcpWin1251) return Koi8ToWin(Text, R), R;
      break;
  }
  return Text;
}

const char* CodePageStatusName(TTextCodePage Page) {
  switch (Page) {
    case tcpDos866: return "Dos-866";
    case tcpWin1251: return "Win-1251";
    case tcpKoi8r: return "KOI8-r";
  }
  return "";
}

int TEditorFind::Next(const std::string& Text, const std::string& What, bool MatchCase) {
  if (Occurrence < 1) Occurrence = 1;
  const int Pos = MatchCase ? NPos(What, Text, Occurrence) : NPos(AnsiUpperCase(What), AnsiUpperCase(Text), Occurrence);
  if (Pos == 0) {
    Occurrence = 1;
    return -1;
  }
  ++Occurrence;
  return Pos - 1;
}

std::string CaretPosText(int Line, int Column) { return std::to_string(Line) + ":" + std::to_string(Column); }

std::string CaretPercentText(int Line, int LineCount) {
  const int Percent = LineCount > 0 ? int(std::lround(100.0 * Line / LineCount)) : 0;
  return std::to_string(Percent) + " %";
}
