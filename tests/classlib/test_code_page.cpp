#include <gtest/gtest.h>

#include <string>

#include "classlib/core/code_page.h"

namespace {

// Every Cyrillic letter of 1251: А..я, Ё and ё.
std::string CyrillicLetters() {
  std::string S;
  for (int C = 0xC0; C <= 0xFF; ++C) S += static_cast<char>(C);
  S += '\xA8';
  S += '\xB8';
  return S;
}

std::string AllBytes() {
  std::string S;
  for (int C = 0; C < 256; ++C) S += static_cast<char>(C);
  return S;
}

}  // namespace

TEST(CodePage, CyrillicLettersRoundTripThroughEveryCodePage) {
  const std::string L = CyrillicLetters();
  EXPECT_EQ(Cp866ToCp1251(Cp1251ToCp866(L)), L);
  EXPECT_EQ(Koi8rToCp1251(Cp1251ToKoi8r(L)), L);
  EXPECT_EQ(Utf16ToCp1251(Cp1251ToUtf16(L)), L);
  EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(L)), L);
  // No letter falls back.
  EXPECT_EQ(Cp1251ToCp866(L).find(CodePageFallback), std::string::npos);
  EXPECT_EQ(Cp1251ToKoi8r(L).find(CodePageFallback), std::string::npos);
}

TEST(CodePage, EveryByteSurvivesUnicode) {
  const std::string B = AllBytes();
  EXPECT_EQ(Utf16ToCp1251(Cp1251ToUtf16(B)), B);
  EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(B)), B);
}

TEST(CodePage, KnownCodes) {
  struct Case {
    const char* Win;
    const char* Dos;
    const char* Koi;
  } Cases[] = {
      {"\xC0\xDF\xE0\xFF", "\x80\x9F\xA0\xEF", "\xE1\xF1\xC1\xD1"},  // А Я а я
      {"\xA8\xB8", "\xF0\xF1", "\xB3\xA3"},                          // Ё ё
      {"\xCF\xF0\xE8\xE2\xE5\xF2", "\x8F\xE0\xA8\xA2\xA5\xE2", "\xF0\xD2\xC9\xD7\xC5\xD4"},  // Привет
      {"\xB9\xB0", "\xFC\xF8", "?\x9C"},                             // № ° (no № in KOI8-R)
  };
  for (const Case& C : Cases) {
    EXPECT_EQ(Cp1251ToCp866(C.Win), C.Dos) << C.Win;
    EXPECT_EQ(Cp1251ToKoi8r(C.Win), C.Koi) << C.Win;
  }
  EXPECT_EQ(Cp1251ToUtf8("\xCF\xF0\xE8\xE2\xE5\xF2"), "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
  EXPECT_EQ(Cp1251ToUtf16("\xA8\x88\x98"), (std::u16string{0x0401, 0x20AC, 0x0098}));
}

TEST(CodePage, SingleByteConversionsKeepLengthAndAscii) {
  const std::string B = AllBytes();
  for (auto* F : {&Cp1251ToCp866, &Cp866ToCp1251, &Cp1251ToKoi8r, &Koi8rToCp1251}) {
    std::string R = F(B);
    ASSERT_EQ(R.size(), 256u);
    EXPECT_EQ(R.substr(0, 128), B.substr(0, 128));
  }
  // Characters without a counterpart become the fallback: box drawing, euro sign.
  EXPECT_EQ(Cp866ToCp1251("\xC4\xB3"), "??");
  EXPECT_EQ(Cp1251ToCp866("\x88"), "?");
  EXPECT_EQ(Koi8rToCp1251("\x80"), "?");
  // The buffer form converts in place, the same way.
  std::string S = "\xCF\xF0\xE8\xE2\xE5\xF2";
  Cp1251ToCp866Buf(S.data(), S.size());
  EXPECT_EQ(S, Cp1251ToCp866("\xCF\xF0\xE8\xE2\xE5\xF2"));
  Cp866ToCp1251Buf(S.data(), S.size());
  EXPECT_EQ(S, "\xCF\xF0\xE8\xE2\xE5\xF2");
}

TEST(CodePage, MalformedUnicodeBecomesFallback) {
  struct Case {
    std::string Utf8;
    std::string Win;
  } Cases[] = {
      {"a\xC3", "a?"},                          // cut short at the end
      {"\xC0\xAF", "?"},                        // overlong "/"
      {"\xED\xA0\x80", "?"},                    // a surrogate
      {"\xF0\x9F\x98\x80x", "?x"},              // outside 1251
      {"\x80\xBFz", "??z"},                     // stray continuation bytes
      {"\xD0\x9F\xD1", "\xCF?"},                // П, then a truncated letter
  };
  for (const Case& C : Cases) EXPECT_EQ(Utf8ToCp1251(C.Utf8), C.Win) << C.Utf8;
  EXPECT_EQ(Utf16ToCp1251(std::u16string{0xD800, u'a'}), "?a");
  EXPECT_EQ(Utf16ToCp1251(std::u16string{0xD83D, 0xDE00, u'b'}), "?b");
}
