// The Java highlighter: its token table, keyword hash, attributes and rescans.
#include <gtest/gtest.h>

#include "syn_test_util.h"

namespace {

using K = TJavaTokenKind;
using R = TJavaRangeState;
using TRow = TSynRow<K, R>;

auto Kind = [](const TDcjJavaSyn& H) { return H.GetTokenKind(); };

TEST(JavaSyn, TokenTable) {
  const std::vector<TRow> rows = {
      {R::Unknown, "", {}, R::Unknown},
      {R::Unknown, "public class $Foo extends a$b1 {",
       {{"public", K::Key}, {" ", K::Space}, {"class", K::Key}, {" ", K::Space}, {"$Foo", K::Identifier},
        {" ", K::Space}, {"extends", K::Key}, {" ", K::Space}, {"a$b1", K::Identifier}, {" ", K::Space},
        {"{", K::Symbol}},
       R::Unknown},
      {R::Unknown, "String null strictfp Null",
       {{"String", K::Identifier}, {" ", K::Space}, {"null", K::Key}, {" ", K::Space}, {"strictfp", K::Key},
        {" ", K::Space}, {"Null", K::Identifier}},
       R::Unknown},
      {R::Unknown, ",#@\\`\x80\xFF;.",
       {{",", K::Invalid}, {"#", K::Invalid}, {"@", K::Invalid}, {"\\", K::Unknown}, {"`", K::Unknown},
        {"\x80", K::Unknown}, {"\xFF", K::Unknown}, {";", K::Symbol}, {".", K::Symbol}},
       R::Unknown},
      // A "-" stays in a number only as an exponent's sign.
      {R::Unknown, "0x1FL 1.5e-3 10-5 0x1e-5 1..2",
       {{"0x1FL", K::Number}, {" ", K::Space}, {"1.5e-3", K::Number}, {" ", K::Space}, {"10", K::Number},
        {"-", K::Symbol}, {"5", K::Number}, {" ", K::Space}, {"0x1e", K::Number}, {"-", K::Symbol},
        {"5", K::Number}, {" ", K::Space}, {"1", K::Number}, {".", K::Symbol}, {".", K::Symbol}, {"2", K::Number}},
       R::Unknown},
      {R::Unknown, "a>>>=b>>>c>>=d::e->f...",
       {{"a", K::Identifier}, {">>>=", K::Symbol}, {"b", K::Identifier}, {">>>", K::Symbol}, {"c", K::Identifier},
        {">>=", K::Symbol}, {"d", K::Identifier}, {":", K::Symbol}, {":", K::Symbol}, {"e", K::Identifier},
        {"-", K::Symbol}, {">", K::Symbol}, {"f", K::Identifier}, {".", K::Symbol}, {".", K::Symbol}, {".", K::Symbol}},
       R::Unknown},
      {R::Unknown, "a/=b/c&=d", {{"a", K::Identifier}, {"/=", K::Symbol}, {"b", K::Identifier}, {"/", K::Symbol},
                                 {"c", K::Identifier}, {"&=", K::Symbol}, {"d", K::Identifier}}, R::Unknown},
      {R::Unknown, R"("a\"b" "\\" '\'' "open\)",
       {{R"("a\"b")", K::String}, {" ", K::Space}, {R"("\\")", K::String}, {" ", K::Space}, {R"('\'')", K::String},
        {" ", K::Space}, {R"("open\)", K::String}},
       R::Unknown},
      // Comments: "/**" opens a documentation comment, "/*" a block comment, "/**/" is whole.
      {R::Unknown, "a /** d */ b /* c */ e // f",
       {{"a", K::Identifier}, {" ", K::Space}, {"/** d */", K::Documentation}, {" ", K::Space}, {"b", K::Identifier},
        {" ", K::Space}, {"/* c */", K::Comment}, {" ", K::Space}, {"e", K::Identifier}, {" ", K::Space},
        {"// f", K::Comment}},
       R::Unknown},
      {R::Unknown, "/**/ x", {{"/**/", K::Comment}, {" ", K::Space}, {"x", K::Identifier}}, R::Unknown},
      {R::Unknown, "/***/", {{"/***/", K::Documentation}}, R::Unknown},
      {R::Unknown, "x /** open",
       {{"x", K::Identifier}, {" ", K::Space}, {"/** open", K::Documentation}},
       R::Documentation},
      {R::Documentation, "", {}, R::Documentation},
      {R::Documentation, "still */ x",
       {{"still */", K::Documentation}, {" ", K::Space}, {"x", K::Identifier}},
       R::Unknown},
      {R::Unknown, "/*", {{"/*", K::Comment}}, R::Comment},
      {R::Comment, " a * / b", {{" a * / b", K::Comment}}, R::Comment},
      {R::Comment, "*/", {{"*/", K::Comment}}, R::Unknown},
  };
  TDcjJavaSyn hl(nullptr);
  for (const TRow& row : rows) ExpectRow(hl, row, Kind);
}

TEST(JavaSyn, KeywordTableAndAttributes) {
  const TKeywordHash& table = TDcjJavaSyn::Keywords();
  EXPECT_EQ(table.Count(), 51);
  EXPECT_EQ(table.TableSize(), 173u);
  EXPECT_EQ(table.MaxSum(), 172u);
  EXPECT_EQ(table.SumOf("synchronized"), 172u);
  TDcjJavaSyn hl(nullptr);
  for (const TKeywordHash::TKeyword& k : table.Keywords()) {
    std::string word(k.Word);
    EXPECT_EQ(ScanTokens(hl, 3, word, Kind), (TTokenList{{word, int(K::Key)}})) << word;
    EXPECT_EQ(ScanTokens(hl, 3, word + "$", Kind), (TTokenList{{word + "$", int(K::Identifier)}})) << word;
  }

  EXPECT_EQ(hl.GetLanguageName(), "Java");
  EXPECT_EQ(hl.GetDefaultFilter(), "Java files (*.java)|*.JAVA");
  EXPECT_EQ(hl.GetCapability(), TmwHighlighterCapabilities{hcRegistry});
  EXPECT_TRUE(hl.GetIdentChars()['$']);
  const char* names[] = {"comment", "documentation", "identifier", "invalid symbol", "reserved word",
                         "number",  "space",         "string",     "symbol"};
  ASSERT_EQ(hl.GetAttribCount(), 9);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(hl.GetAttribute(i)->Name(), names[i]);
  EXPECT_EQ(hl.GetAttribute(9), nullptr);
  EXPECT_EQ(hl.DocumentAttri()->Style(), TFontStyles{fsItalic});
  EXPECT_EQ(hl.KeyAttri()->Style(), TFontStyles{fsBold});
  EXPECT_EQ(hl.SpaceAttri()->Foreground(), clWindow);
}

TEST(JavaSyn, RangeChangesRescanWhatTheyMust) {
  TmwEditModel e;
  TCountingSyn<TDcjJavaSyn> hl;
  std::string text;
  for (int i = 0; i < 20; ++i) text += i == 9 ? "*/\r\n" : "int x;\r\n";
  e.SetLinesText(text);
  e.SetHighLighter(&hl);
  EXPECT_EQ(LinesRescanned(e, hl, 2, "/** doc"), 8);
  EXPECT_EQ(LinesRescanned(e, hl, 2, "/* doc"), 8);
  EXPECT_EQ(LinesRescanned(e, hl, 2, "int x;"), 8);
  // A whole empty comment changes no state.
  EXPECT_EQ(LinesRescanned(e, hl, 2, "/**/ int x;"), 1);
}

}  // namespace
