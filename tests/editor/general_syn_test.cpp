// The general highlighter: comment styles, the user's keyword list and its storage.
#include <gtest/gtest.h>

#include "syn_test_util.h"

namespace {

using K = TGeneralTokenKind;
using R = TGeneralRangeState;

auto Kind = [](const TmwGeneralSyn& H) { return H.GetTokenKind(); };

struct TGeneralRow {
  CommentStyles Comments;
  TSynRow<K, R> Row;
};

TEST(GeneralSyn, TokenTable) {
  const CommentStyles none;
  const std::vector<TGeneralRow> rows = {
      {none, {R::Unknown, "", {}, R::Unknown}},
      // Without comment styles only "//" starts a comment.
      {none, {R::Unknown, "{a(*b/*c;d(.// e",
              {{"{", K::Symbol}, {"a", K::Identifier}, {"(", K::Symbol}, {"*", K::Unknown}, {"b", K::Identifier},
               {"/", K::Symbol}, {"*", K::Unknown}, {"c", K::Identifier}, {";", K::Symbol}, {"d", K::Identifier},
               {"(", K::Symbol}, {".", K::Unknown}, {"// e", K::Comment}},
              R::Unknown}},
      {none, {R::Unknown, "12.5e3 1..2 $1F #13 'it''s' 'open",
              {{"12.5e3", K::Number}, {" ", K::Space}, {"1", K::Number}, {".", K::Unknown}, {".", K::Unknown},
               {"2", K::Number}, {" ", K::Space}, {"$1F", K::Number}, {" ", K::Space}, {"#13", K::String},
               {" ", K::Space}, {"'it'", K::String}, {"'s'", K::String}, {" ", K::Space}, {"'open", K::String}},
              R::Unknown}},
      {none, {R::Unknown, "+-\xFF\x01x", {{"+", K::Unknown}, {"-", K::Unknown}, {"\xFF", K::Unknown},
                                          {"\x01", K::Space}, {"x", K::Identifier}}, R::Unknown}},
      // A comment once begun goes on even with its style gone.
      {none, {R::PasComment, "x } y", {{"x }", K::Comment}, {" ", K::Space}, {"y", K::Identifier}}, R::Unknown}},
      {{csPasStyle}, {R::Unknown, "a { b",
                      {{"a", K::Identifier}, {" ", K::Space}, {"{ b", K::Comment}},
                      R::PasComment}},
      {{csPasStyle}, {R::PasComment, "", {}, R::PasComment}},
      {{csPasStyle}, {R::PasComment, "*) */ }", {{"*) */ }", K::Comment}}, R::Unknown}},
      {{csAnsiStyle}, {R::Unknown, "(* a *) (.b (* c",
                       {{"(* a *)", K::Comment}, {" ", K::Space}, {"(.", K::Symbol}, {"b", K::Identifier},
                        {" ", K::Space}, {"(* c", K::Comment}},
                       R::AnsiComment}},
      {{csAnsiStyle}, {R::AnsiComment, "} */ *) x",
                       {{"} */ *)", K::Comment}, {" ", K::Space}, {"x", K::Identifier}},
                       R::Unknown}},
      {{csCStyle}, {R::Unknown, "/* a */ b /* c", {{"/* a */", K::Comment}, {" ", K::Space}, {"b", K::Identifier},
                                                   {" ", K::Space}, {"/* c", K::Comment}}, R::CComment}},
      {{csCStyle}, {R::CComment, "*/", {{"*/", K::Comment}}, R::Unknown}},
      {{csAsmStyle}, {R::Unknown, "mov ax ; c { d", {{"mov", K::Identifier}, {" ", K::Space}, {"ax", K::Identifier},
                                                   {" ", K::Space}, {"; c { d", K::Comment}}, R::Unknown}},
      {{csBasStyle}, {R::Unknown, ";", {{";", K::Comment}}, R::Unknown}},
  };
  TmwGeneralSyn hl(nullptr);
  for (const TGeneralRow& r : rows) {
    hl.SetComments(r.Comments);
    ExpectRow(hl, r.Row, Kind);
  }
}

TEST(GeneralSyn, KeyWordList) {
  TmwGeneralSyn hl(nullptr);
  EXPECT_EQ(hl.GetLanguageName(), "General");
  EXPECT_EQ(hl.GetDefaultFilter(), "");
  EXPECT_TRUE(hl.Comments().Empty());
  EXPECT_EQ(hl.GetIdentChars().count(), 223u);  // the base's characters 33..255
  ASSERT_EQ(hl.GetAttribCount(), 7);
  EXPECT_EQ(hl.GetAttribute(3)->Name(), "reserved word");
  EXPECT_EQ(hl.GetAttribute(7), nullptr);

  const std::string line = "Begin end If a_b A_B x z9";
  const std::vector<int> identifiers(7, int(K::Identifier));
  auto kinds = [&] {
    std::vector<int> v;
    for (auto& [text, kind] : ScanTokens(hl, 4, line, Kind))
      if (kind != int(K::Space)) v.push_back(kind);
    return v;
  };
  EXPECT_EQ(kinds(), identifiers);  // an empty list reserves nothing

  TStringList words;
  words.SetText("begin\r\nEnd\r\nz9\r\nbegin\r\nif\r\na_b\r\n");
  int repaints = 0;
  struct TClient : TmwHighlighterClient {
    int* Count;
    void HighlighterInvalidate() override { ++*Count; }
    void HighlighterDestroyed(TmwCustomHighLighter*) override {}
  } client;
  client.Count = &repaints;
  hl.AttachedEdits().AddEditor(&client);
  hl.SetKeyWords(&words);
  EXPECT_EQ(repaints, 1);
  // The caller's list is left in capitals; the own one holds each word once, by byte.
  EXPECT_EQ(words.Text(), "BEGIN\r\nEND\r\nZ9\r\nBEGIN\r\nIF\r\nA_B\r\n");
  EXPECT_EQ(hl.KeyWords()->Text(), "A_B\r\nBEGIN\r\nEND\r\nIF\r\nZ9\r\n");
  EXPECT_EQ(kinds(), (std::vector<int>{2, 2, 2, 2, 2, 1, 2}));

  // A sorted list takes the capitals too.
  TStringList sorted;
  sorted.SetSorted(true);
  sorted.Add("x");
  sorted.Add("begin");
  hl.SetKeyWords(&sorted);
  EXPECT_EQ(sorted.Text(), "BEGIN\r\nX\r\n");
  EXPECT_EQ(kinds(), (std::vector<int>{2, 1, 1, 1, 1, 2, 1}));

  hl.SetKeyWords(nullptr);
  EXPECT_EQ(hl.KeyWords()->Count(), 0);
  EXPECT_EQ(kinds(), identifiers);
  hl.SetComments({csCStyle});
  EXPECT_EQ(repaints, 4);
  hl.AttachedEdits().RemoveEditor(&client);
}

TEST(GeneralSyn, RegistryKeepsKeyWordsAndColours) {
  TMemoryRegistry reg;
  TRegistryScope scope(&reg);
  const std::string key = "Software\\Zembrix\\Syntax\\General";
  TmwGeneralSyn saved(nullptr);
  TStringList words;
  words.SetText("while\r\ndo\r\n");
  saved.SetKeyWords(&words);
  saved.SetComments({csPasStyle});
  saved.KeyAttri()->SetForeground(clRed);
  saved.CommentAttri()->SetIntegerStyle(5);
  ASSERT_TRUE(saved.SaveToRegistry(RegCurrentUser, key));
  std::string stored;
  ASSERT_TRUE(reg.ReadString(RegCurrentUser, key, "KeyWords", stored));
  EXPECT_EQ(stored, "DO\r\nWHILE\r\n");

  TmwGeneralSyn loaded(nullptr);
  ASSERT_TRUE(loaded.LoadFromRegistry(RegCurrentUser, key));
  EXPECT_EQ(loaded.KeyWords()->Text(), saved.KeyWords()->Text());
  EXPECT_EQ(ColorsOf(loaded), ColorsOf(saved));
  EXPECT_TRUE(loaded.Comments().Empty());  // not stored

  // Words stored by hand in any case and order still match.
  reg.WriteString(RegCurrentUser, key, "KeyWords", "then\r\nIf\r\nelse\r\nif");
  ASSERT_TRUE(loaded.LoadFromRegistry(RegCurrentUser, key));
  EXPECT_EQ(loaded.KeyWords()->Text(), "ELSE\r\nIF\r\nTHEN\r\n");
  EXPECT_EQ(ScanTokens(loaded, 4, "if", Kind), (TTokenList{{"if", int(K::Key)}}));

  // A missing key loads nothing.
  EXPECT_FALSE(loaded.LoadFromRegistry(RegCurrentUser, "Software\\Missing"));
  EXPECT_EQ(loaded.KeyWords()->Count(), 3);
}

TEST(GeneralSyn, RangeChangesRescanWhatTheyMust) {
  TmwEditModel e;
  TCountingSyn<TmwGeneralSyn> hl;
  hl.SetComments({csPasStyle, csCStyle});
  std::string text;
  for (int i = 0; i < 12; ++i) text += i == 6 ? "} */\r\n" : "x\r\n";
  e.SetLinesText(text);
  e.SetHighLighter(&hl);
  EXPECT_EQ(LinesRescanned(e, hl, 1, "{"), 6);
  EXPECT_EQ(LinesRescanned(e, hl, 1, "/*"), 6);
  EXPECT_EQ(LinesRescanned(e, hl, 1, "(*"), 6);
}

}  // namespace
