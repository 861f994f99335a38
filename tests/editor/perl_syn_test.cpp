// The Perl highlighter: its token table, keyword hash with four kinds of words, attributes
// and rescans.
#include <gtest/gtest.h>

#include <map>

#include "syn_test_util.h"

namespace {

using K = TPerlTokenKind;
using R = TPerlRangeState;

auto Kind = [](const TDcjPerlSyn& H) { return H.GetTokenKind(); };

// Every Perl line starts and ends in the one state.
void ExpectLine(TDcjPerlSyn& Hl, const std::string& Line, const std::vector<std::pair<std::string, K>>& Tokens) {
  ExpectRow(Hl, TSynRow<K, R>{R::Unknown, Line, Tokens, R::Unknown}, Kind);
}

TEST(PerlSyn, TokenTable) {
  TDcjPerlSyn hl(nullptr);
  ExpectLine(hl, "", {});
  ExpectLine(hl, "print Print xor strict my $x;",
             {{"print", K::Key}, {" ", K::Space}, {"Print", K::Identifier}, {" ", K::Space}, {"xor", K::Operator},
              {" ", K::Space}, {"strict", K::Pragma}, {" ", K::Space}, {"my", K::Key}, {" ", K::Space},
              {"$x", K::Identifier}, {";", K::Symbol}});
  // Named and punctuation variables.
  ExpectLine(hl, "$ARGV @ARGV %INC %foo $FORMAT_LINE_BREAK_CHARACTERS $_foo $1 $$ $^W $^Z",
             {{"$ARGV", K::Variable}, {" ", K::Space}, {"@ARGV", K::Variable}, {" ", K::Space}, {"%INC", K::Variable},
              {" ", K::Space}, {"%foo", K::Identifier}, {" ", K::Space},
              {"$FORMAT_LINE_BREAK_CHARACTERS", K::Variable}, {" ", K::Space}, {"$_", K::Variable},
              {"foo", K::Identifier}, {" ", K::Space}, {"$1", K::Variable}, {" ", K::Space}, {"$$", K::Variable},
              {" ", K::Space}, {"$^W", K::Variable}, {" ", K::Space}, {"$", K::Identifier}, {"^", K::Symbol},
              {"Z", K::Identifier}});
  ExpectLine(hl, "${x} $^", {{"$", K::Identifier}, {"{", K::Symbol}, {"x", K::Identifier}, {"}", K::Symbol},
                             {" ", K::Space}, {"$^", K::Variable}});
  // "%" and "x" as operators.
  ExpectLine(hl, "$a % 2 %= x= x y x",
             {{"$a", K::Identifier}, {" ", K::Space}, {"%", K::Symbol}, {" ", K::Space}, {"2", K::Number},
              {" ", K::Space}, {"%=", K::Symbol}, {" ", K::Space}, {"x=", K::Symbol}, {" ", K::Space},
              {"x", K::Identifier}, {" ", K::Space}, {"y", K::Identifier}, {" ", K::Space}, {"x", K::Symbol}});
  ExpectLine(hl, "%", {{"%", K::Symbol}});
  // Numbers: a "-" only as an exponent's sign; "." before "." ends a number.
  ExpectLine(hl, "1e-5 1-2 0x1e-5 1_000 .5 1..2 1...3",
             {{"1e-5", K::Number}, {" ", K::Space}, {"1", K::Number}, {"-", K::Symbol}, {"2", K::Number},
              {" ", K::Space}, {"0x1e", K::Number}, {"-", K::Symbol}, {"5", K::Number}, {" ", K::Space},
              {"1_000", K::Number}, {" ", K::Space}, {".5", K::Number}, {" ", K::Space}, {"1", K::Number},
              {"..", K::Symbol}, {"2", K::Number}, {" ", K::Space}, {"1", K::Number}, {"...", K::Symbol},
              {"3", K::Number}});
  // "." is concatenation unless a digit follows.
  ExpectLine(hl, "$a . $b .= c.d.",
             {{"$a", K::Identifier}, {" ", K::Space}, {".", K::Symbol}, {" ", K::Space}, {"$b", K::Identifier},
              {" ", K::Space}, {".=", K::Symbol}, {" ", K::Space}, {"c", K::Identifier}, {".", K::Symbol},
              {"d", K::Identifier}, {".", K::Symbol}});
  ExpectLine(hl, "a<=>b=~c!~d=>e->f**=g||=h::i\\/j",
             {{"a", K::Identifier}, {"<=>", K::Symbol}, {"b", K::Identifier}, {"=~", K::Symbol}, {"c", K::Identifier},
              {"!~", K::Symbol}, {"d", K::Identifier}, {"=>", K::Symbol}, {"e", K::Identifier}, {"->", K::Symbol},
              {"f", K::Identifier}, {"**=", K::Symbol}, {"g", K::Identifier}, {"||=", K::Symbol},
              {"h", K::Identifier}, {"::", K::Symbol}, {"i", K::Identifier}, {"\\", K::Symbol}, {"/", K::Symbol},
              {"j", K::Identifier}});
  ExpectLine(hl, "a <<= 1 # c \"", {{"a", K::Identifier}, {" ", K::Space}, {"<<=", K::Symbol}, {" ", K::Space},
                                     {"1", K::Number}, {" ", K::Space}, {"# c \"", K::Comment}});
  // Strings end with their line; "\\" closes a double-quoted one, single quotes know no escape.
  ExpectLine(hl, R"("a\"b" "\\" 'it\' x 'open)",
             {{R"("a\"b")", K::String}, {" ", K::Space}, {R"("\\")", K::String}, {" ", K::Space},
              {R"('it\')", K::String}, {" ", K::Space}, {"x", K::Identifier}, {" ", K::Space}, {"'open", K::String}});
  ExpectLine(hl, R"("open\)", {{R"("open\)", K::String}});
  ExpectLine(hl, "`\x7F\xFF", {{"`", K::Unknown}, {"\x7F", K::Unknown}, {"\xFF", K::Unknown}});
}

TEST(PerlSyn, KeywordTableAndAttributes) {
  const TKeywordHash& table = TDcjPerlSyn::Keywords();
  EXPECT_EQ(table.Count(), 282);
  EXPECT_EQ(table.TableSize(), 2168u);
  EXPECT_EQ(table.MaxSum(), 2167u);
  EXPECT_EQ(table.SumOf("$FORMAT_LINE_BREAK_CHARACTERS"), 2167u);
  std::map<int, int> perKind;
  TDcjPerlSyn hl(nullptr);
  for (const TKeywordHash::TKeyword& k : table.Keywords()) {
    ++perKind[k.Tag];
    std::string word(k.Word);
    EXPECT_EQ(ScanTokens(hl, 1, word, Kind), (TTokenList{{word, k.Tag}})) << word;
  }
  EXPECT_EQ(perKind, (std::map<int, int>{{int(K::Key), 208}, {int(K::Operator), 11}, {int(K::Pragma), 9},
                                         {int(K::Variable), 54}}));

  EXPECT_EQ(hl.GetLanguageName(), "Perl");
  EXPECT_EQ(hl.GetDefaultFilter(), "Perl files (*.pl,*.pm,*.cgi)|*.PL;*.PM;*.CGI");
  EXPECT_EQ(hl.GetCapability(), TmwHighlighterCapabilities{hcRegistry});
  TmwIdentChars ident = hl.GetIdentChars();
  EXPECT_TRUE(ident['$'] && ident['%'] && ident['@'] && ident['_'] && !ident['^']);
  const char* names[] = {"comment", "identifier",    "illegal char", "number", "operator", "pragma",
                         "reserved word", "space", "string",       "symbol", "variable"};
  ASSERT_EQ(hl.GetAttribCount(), 11);
  for (int i = 0; i < 11; ++i) EXPECT_EQ(hl.GetAttribute(i)->Name(), names[i]);
  EXPECT_EQ(hl.GetAttribute(11), nullptr);
  EXPECT_EQ(hl.VariableAttri()->Style(), TFontStyles{fsBold});
  EXPECT_EQ(hl.PragmaAttri()->Style(), TFontStyles{fsBold});
  EXPECT_EQ(hl.SpaceAttri()->Foreground(), clWindow);
}

TEST(PerlSyn, NothingCarriesOverALineEnd) {
  TmwEditModel e;
  TCountingSyn<TDcjPerlSyn> hl;
  e.SetLinesText("my $x;\r\nprint $x;\r\n1;\r\n");
  e.SetHighLighter(&hl);
  EXPECT_EQ(StoredLineRanges(e), std::vector<TmwRange>(3, static_cast<TmwRange>(R::Unknown)));
  EXPECT_EQ(LinesRescanned(e, hl, 0, "my $s = \"open"), 1);
  EXPECT_EQ(LinesRescanned(e, hl, 1, "# comment"), 1);
}

}  // namespace
