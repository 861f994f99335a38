// The editor page's portable half: the six code-page conversions against the standard
// tables, the find that wraps after "not found", and the caret status texts.
#include <gtest/gtest.h>

#include "app/core/editor_text.h"

namespace {

// One pangram with Yo in the three code pages, as the standard tables give it.
const std::string Win = "\xD1\xFA\xE5\xF8\xFC \xE6\xE5 \xE5\xF9\xB8 \xFD\xF2\xE8\xF5 \xEC\xFF\xE3\xEA\xE8\xF5 \xF4\xF0\xE0\xED\xF6\xF3\xE7\xF1\xEA\xE8\xF5 \xE1\xF3\xEB\xEE\xEA, \xE4\xE0 \xE2\xFB\xEF\xE5\xE9 \xF7\xE0\xFE. \xA8\xC6\xC8\xCA 123!";
const std::string Dos = "\x91\xEA\xA5\xE8\xEC \xA6\xA5 \xA5\xE9\xF1 \xED\xE2\xA8\xE5 \xAC\xEF\xA3\xAA\xA8\xE5 \xE4\xE0\xA0\xAD\xE6\xE3\xA7\xE1\xAA\xA8\xE5 \xA1\xE3\xAB\xAE\xAA, \xA4\xA0 \xA2\xEB\xAF\xA5\xA9 \xE7\xA0\xEE. \xF0\x86\x88\x8A 123!";
const std::string Koi = "\xF3\xDF\xC5\xDB\xD8 \xD6\xC5 \xC5\xDD\xA3 \xDC\xD4\xC9\xC8 \xCD\xD1\xC7\xCB\xC9\xC8 \xC6\xD2\xC1\xCE\xC3\xD5\xDA\xD3\xCB\xC9\xC8 \xC2\xD5\xCC\xCF\xCB, \xC4\xC1 \xD7\xD9\xD0\xC5\xCA \xDE\xC1\xC0. \xB3\xF6\xE9\xEB 123!";

}  // namespace

TEST(EditorText, SixConversionsMatchTheTablesAndRoundTrip) {
  const struct {
    TTextCodePage From, To;
    const std::string &In, &Out;
  } Cases[] = {{tcpDos866, tcpWin1251, Dos, Win}, {tcpDos866, tcpKoi8r, Dos, Koi}, {tcpWin1251, tcpDos866, Win, Dos},
               {tcpWin1251, tcpKoi8r, Win, Koi},  {tcpKoi8r, tcpDos866, Koi, Dos},  {tcpKoi8r, tcpWin1251, Koi, Win}};
  for (const auto& C : Cases) {
    EXPECT_EQ(ConvertCodePage(C.In, C.From, C.To), C.Out) << C.From << " -> " << C.To;
    EXPECT_EQ(ConvertCodePage(ConvertCodePage(C.In, C.From, C.To), C.To, C.From), C.In) << C.From << " <-> " << C.To;
  }
  EXPECT_EQ(ConvertCodePage(Win, tcpWin1251, tcpWin1251), Win);
  EXPECT_STREQ(CodePageStatusName(tcpDos866), "Dos-866");
  EXPECT_STREQ(CodePageStatusName(tcpWin1251), "Win-1251");
  EXPECT_STREQ(CodePageStatusName(tcpKoi8r), "KOI8-r");
}

// "ab" in "ab ab ab": three finds, then "not found", then the first one again.
TEST(EditorText, FindWalksOccurrencesAndWrapsAfterNotFound) {
  TEditorFind F;
  const std::string Text = "ab ab ab";
  EXPECT_EQ(F.Next(Text, "ab", true), 0);
  EXPECT_EQ(F.Next(Text, "ab", true), 3);
  EXPECT_EQ(F.Next(Text, "ab", true), 6);
  EXPECT_EQ(F.Next(Text, "ab", true), -1);
  EXPECT_EQ(F.Next(Text, "ab", true), 0);
  // Case: only without MatchCase do "AB" and Cyrillic capitals meet their small letters.
  F.Occurrence = 1;
  EXPECT_EQ(F.Next(Text, "AB", true), -1);
  EXPECT_EQ(F.Next(Text, "AB", false), 0);
  F.Occurrence = 1;
  const std::string Capitals = "\xDD\xD2\xC8\xD5";  // the fourth word, in capitals
  EXPECT_EQ(F.Next(Win, Capitals, true), -1);
  EXPECT_EQ(F.Next(Win, Capitals, false), 13);
}

TEST(EditorText, CaretStatus) {
  EXPECT_EQ(CaretPosText(1, 1), "1:1");
  EXPECT_EQ(CaretPosText(12, 7), "12:7");
  EXPECT_EQ(CaretPercentText(1, 4), "25 %");
  EXPECT_EQ(CaretPercentText(4, 4), "100 %");
  EXPECT_EQ(CaretPercentText(1, 3), "33 %");
  EXPECT_EQ(CaretPercentText(2, 3), "67 %");
}
