// Word, replace and occurrence helpers and the OEM/ANSI conversion.
#include <gtest/gtest.h>

#include <string>

#include "storage/core/str_utils.h"

TEST(StrUtils, WordsAndFields) {
  const TCharSet Comma{','};
  EXPECT_EQ(WordCount(",,a,,b", Comma), 2);
  EXPECT_EQ(WordCount("", Comma), 0);
  EXPECT_EQ(WordCount(",,,", Comma), 0);
  EXPECT_EQ(ExtractWord(2, ",,a,,b", Comma), "b");
  EXPECT_EQ(ExtractWord(1, "abc", Comma), "abc");
  EXPECT_EQ(ExtractWord(3, ",,a,,b", Comma), "");
  EXPECT_EQ(ExtractWord(0, "a,b", Comma), "");
  EXPECT_EQ(WordPosition(2, ",,a,,b", Comma), 6);
  EXPECT_EQ(WordPosition(3, ",,a,,b", Comma), 0);

  const TCharSet Blanks{' ', ','};
  EXPECT_EQ(ExtractWord(3, "10, 20 ,30,40", Blanks), "30");

  // Fields: two delimiters in a row give an empty field; Pos ends past the end.
  int Pos = 1;
  EXPECT_EQ(ExtractSubstr("a,,b", Pos, Comma), "a");
  EXPECT_EQ(Pos, 3);
  EXPECT_EQ(ExtractSubstr("a,,b", Pos, Comma), "");
  EXPECT_EQ(ExtractSubstr("a,,b", Pos, Comma), "b");
  EXPECT_EQ(Pos, 5);
  EXPECT_EQ(ExtractSubstr("a,,b", Pos, Comma), "");
  EXPECT_EQ(Pos, 5);
}

TEST(StrUtils, ReplaceAndNPos) {
  EXPECT_EQ(ReplaceStr("aaa", "a", "aa"), "aaaaaa");  // a replacement is never scanned again
  EXPECT_EQ(ReplaceStr("one two one", "one", "1"), "1 two 1");
  EXPECT_EQ(ReplaceStr("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceStr("abc", "abc", ""), "");

  EXPECT_EQ(NPos("aa", "aaa", 1), 1);
  EXPECT_EQ(NPos("aa", "aaa", 2), 2);  // occurrences overlap
  EXPECT_EQ(NPos("aa", "aaa", 3), 0);
  EXPECT_EQ(NPos("b", "abcb", 2), 4);
  EXPECT_EQ(NPos("a", "aaa", 0), 0);
  EXPECT_EQ(NPos("", "aaa", 1), 0);
}

TEST(StrUtils, OemConversionKeepsLengthAndAscii) {
  std::string Ascii = "Hello, World! 0123 ~";
  EXPECT_EQ(StrToOem(Ascii), Ascii);
  EXPECT_EQ(OemToAnsiStr(Ascii), Ascii);
  EXPECT_EQ(StrToOem(""), "");

  // "Привет" in 1251 and in 866.
  const std::string Ansi = "\xCF\xF0\xE8\xE2\xE5\xF2";
  const std::string Oem = "\x8F\xE0\xA8\xA2\xA5\xE2";
  EXPECT_EQ(StrToOem(Ansi), Oem);
  EXPECT_EQ(OemToAnsiStr(Oem), Ansi);

  std::string All;
  for (int C = 1; C < 256; ++C) All += static_cast<char>(C);
  EXPECT_EQ(StrToOem(All).size(), All.size());
  EXPECT_EQ(OemToAnsiStr(All).size(), All.size());
}
