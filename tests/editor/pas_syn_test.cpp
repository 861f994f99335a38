// The Pascal highlighter: its token table with property and assembler contexts, keyword
// hash, attributes, colour import and rescans.
#include <gtest/gtest.h>

#include <algorithm>

#include "classlib/core/sys_utils.h"
#include "syn_test_util.h"

#ifdef ZX_EDITOR_WIN
#include "editor/win_registry_backend.h"
#endif

namespace {

using K = TPasTokenKind;
using R = TPasRangeState;
using TRow = TSynRow<K, R>;

auto Painted = [](const TmwPasSyn& H) { return H.GetEffectiveKind(); };

TEST(PasSyn, TokenTable) {
  const std::vector<TRow> rows = {
      {R::Unknown, "", {}, R::Unknown},
      // Any case matches; a digit or "_" right after the letters makes an identifier.
      {R::Unknown, "begin End; BEGIN x1 end2 end_ _end",
       {{"begin", K::Key}, {" ", K::Space}, {"End", K::Key}, {";", K::Symbol}, {" ", K::Space}, {"BEGIN", K::Key},
        {" ", K::Space}, {"x1", K::Identifier}, {" ", K::Space}, {"end2", K::Identifier}, {" ", K::Space},
        {"end_", K::Identifier}, {" ", K::Space}, {"_end", K::Identifier}},
       R::Unknown},
      {R::Unknown, "1..2 1.5E3 1E-3 $FF #13#10 #$0D",
       {{"1", K::Number}, {"..", K::Symbol}, {"2", K::Number}, {" ", K::Space}, {"1.5E3", K::Number},
        {" ", K::Space}, {"1E", K::Number}, {"-", K::Symbol}, {"3", K::Number}, {" ", K::Space}, {"$FF", K::Number},
        {" ", K::Space}, {"#13", K::String}, {"#10", K::String}, {" ", K::Space}, {"#", K::String}, {"$0D", K::Number}},
       R::Unknown},
      {R::Unknown, "'it''s' '''' '' 'open",
       {{"'it'", K::String}, {"'s'", K::String}, {" ", K::Space}, {"''''", K::String}, {" ", K::Space},
        {"''", K::String}, {" ", K::Space}, {"'open", K::String}},
       R::Unknown},
      {R::Unknown, "a:=b<>c<=d>=e(.f.)g..h@@i@j^/k",
       {{"a", K::Identifier}, {":=", K::Symbol}, {"b", K::Identifier}, {"<>", K::Symbol}, {"c", K::Identifier},
        {"<=", K::Symbol}, {"d", K::Identifier}, {">=", K::Symbol}, {"e", K::Identifier}, {"(.", K::Symbol},
        {"f", K::Identifier}, {".)", K::Symbol}, {"g", K::Identifier}, {"..", K::Symbol}, {"h", K::Identifier},
        {"@@", K::Symbol}, {"i", K::Identifier}, {"@", K::Symbol}, {"j", K::Identifier}, {"^", K::Symbol},
        {"/", K::Symbol}, {"k", K::Identifier}},
       R::Unknown},
      {R::Unknown, "|\x80\xFF\"",
       {{"|", K::Unknown}, {"\x80", K::Unknown}, {"\xFF", K::Unknown}, {"\"", K::Symbol}},
       R::Unknown},
      // Comments.
      {R::Unknown, "{ a } (* b *) c // d",
       {{"{ a }", K::Comment}, {" ", K::Space}, {"(* b *)", K::Comment}, {" ", K::Space}, {"c", K::Identifier},
        {" ", K::Space}, {"// d", K::Comment}},
       R::Unknown},
      {R::Unknown, "x { open", {{"x", K::Identifier}, {" ", K::Space}, {"{ open", K::Comment}}, R::BorComment},
      {R::BorComment, "", {}, R::BorComment},
      {R::BorComment, "*) still } y", {{"*) still }", K::Comment}, {" ", K::Space}, {"y", K::Identifier}}, R::Unknown},
      {R::Unknown, "(*)", {{"(*)", K::Comment}}, R::AnsiComment},
      {R::AnsiComment, "} *)", {{"} *)", K::Comment}}, R::Unknown},
      // Property declarations: their own words, and what ends them.
      {R::Unknown, "property Foo: Integer read GetFoo write SetFoo;",
       {{"property", K::Key}, {" ", K::Space}, {"Foo", K::Identifier}, {":", K::Symbol}, {" ", K::Space},
        {"Integer", K::Identifier}, {" ", K::Space}, {"read", K::Key}, {" ", K::Space}, {"GetFoo", K::Identifier},
        {" ", K::Space}, {"write", K::Key}, {" ", K::Space}, {"SetFoo", K::Identifier}, {";", K::Symbol}},
       R::Property},
      {R::Property, "  default 1 stored False index 2 nodefault readonly writeonly",
       {{"  ", K::Space}, {"default", K::Key}, {" ", K::Space}, {"1", K::Number}, {" ", K::Space}, {"stored", K::Key},
        {" ", K::Space}, {"False", K::Identifier}, {" ", K::Space}, {"index", K::Key}, {" ", K::Space},
        {"2", K::Number}, {" ", K::Space}, {"nodefault", K::Key}, {" ", K::Space}, {"readonly", K::Key},
        {" ", K::Space}, {"writeonly", K::Key}},
       R::Property},
      {R::Property, "  \tpublished", {{"  \t", K::Space}, {"published", K::Key}}, R::Unknown},
      {R::Property, "x published", {{"x", K::Identifier}, {" ", K::Space}, {"published", K::Key}}, R::Property},
      {R::Property, "automated read", {{"automated", K::Key}, {" ", K::Space}, {"read", K::Identifier}}, R::Unknown},
      {R::Property, "procedure", {{"procedure", K::Key}}, R::Unknown},
      {R::Property, "{ c", {{"{ c", K::Comment}}, R::BorComment},
      {R::BorComment, "} read", {{"}", K::Comment}, {" ", K::Space}, {"read", K::Identifier}}, R::Unknown},
      {R::Unknown, "Read(x); automated",
       {{"Read", K::Identifier}, {"(", K::Symbol}, {"x", K::Identifier}, {")", K::Symbol}, {";", K::Symbol},
        {" ", K::Space}, {"automated", K::Identifier}},
       R::Unknown},
      // Assembler blocks: from "asm" to "end", both reserved words.
      {R::Unknown, "asm mov eax, 1 end;",
       {{"asm", K::Key}, {" ", K::Space}, {"mov", K::Asm}, {" ", K::Space}, {"eax", K::Asm}, {",", K::Asm},
        {" ", K::Space}, {"1", K::Asm}, {" ", K::Space}, {"end", K::Key}, {";", K::Symbol}},
       R::Unknown},
      {R::Unknown, "ASM", {{"ASM", K::Key}}, R::Asm},
      {R::Asm, "", {}, R::Asm},
      {R::Asm, "  push (* c *) 1 { d",
       {{"  ", K::Space}, {"push", K::Asm}, {" ", K::Space}, {"(* c *)", K::Comment}, {" ", K::Space}, {"1", K::Asm},
        {" ", K::Space}, {"{ d", K::Comment}},
       R::AsmBorComment},
      {R::AsmBorComment, "} pop @@x", {{"}", K::Comment}, {" ", K::Space}, {"pop", K::Asm}, {" ", K::Space},
                                       {"@@", K::Asm}, {"x", K::Asm}}, R::Asm},
      {R::Asm, "(* c", {{"(* c", K::Comment}}, R::AsmAnsiComment},
      {R::AsmAnsiComment, "*) End", {{"*)", K::Comment}, {" ", K::Space}, {"End", K::Key}}, R::Unknown},
      {R::AnsiComment, std::string("a\0b *)", 6),
       {{"a", K::Comment}, {std::string(1, '\0'), K::Unknown}, {"b *)", K::Comment}},
       R::Unknown},
      {R::Unknown, "a\r\nb", {{"a", K::Identifier}, {"\r\n", K::Space}, {"b", K::Identifier}}, R::Unknown},
  };
  TmwPasSyn hl(nullptr);
  for (const TRow& row : rows) ExpectRow(hl, row, Painted);
}

TEST(PasSyn, KeywordTableAndAttributes) {
  const TKeywordHash& table = TmwPasSyn::Keywords();
  EXPECT_EQ(table.Count(), 97);
  EXPECT_EQ(table.TableSize(), 192u);
  EXPECT_EQ(table.MaxSum(), 191u);
  EXPECT_EQ(table.SumOf("Resourcestring"), 191u);
  EXPECT_EQ(table.SumOf("RESOURCESTRING"), table.SumOf("resourcestring"));
  // Every keyword, in any case, is reserved; the property words only inside a declaration.
  const std::vector<std::string> propertyOnly = {"Read", "Write", "Index", "Stored", "Readonly",
                                                 "Writeonly", "Nodefault", "Automated"};
  TmwPasSyn hl(nullptr);
  auto own = [](const TmwPasSyn& H) { return H.GetTokenKind(); };
  int always = 0;
  for (const TKeywordHash::TKeyword& k : table.Keywords()) {
    std::string word(k.Word);
    bool inProperty = std::find(propertyOnly.begin(), propertyOnly.end(), word) != propertyOnly.end();
    always += !inProperty;
    TmwRange start = static_cast<TmwRange>(inProperty ? R::Property : R::Unknown);
    for (std::string w : {word, UpperCase(word), LowerCase(word)}) {
      EXPECT_EQ(ScanTokens(hl, start, w, own), (TTokenList{{w, int(K::Key)}})) << w;
    }
    if (inProperty) {
      EXPECT_EQ(ScanTokens(hl, static_cast<TmwRange>(R::Unknown), word, own), (TTokenList{{word, int(K::Identifier)}}));
    }
  }
  EXPECT_EQ(always, 89);

  EXPECT_EQ(hl.GetLanguageName(), "ObjectPascal");
  EXPECT_EQ(hl.GetDefaultFilter(), "Pascal files (*.pas,*.inc)|*.PAS;*.INC");
  EXPECT_EQ(hl.GetCapability(), (TmwHighlighterCapabilities{hcUserSettings, hcRegistry}));
  EXPECT_EQ(hl.GetIdentChars().count(), 63u);
  const char* names[] = {"assembler", "comment", "identifier", "number", "reserved word", "space", "string", "symbol"};
  ASSERT_EQ(hl.GetAttribCount(), 8);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(hl.GetAttribute(i)->Name(), names[i]);
  EXPECT_EQ(hl.GetAttribute(8), nullptr);
  EXPECT_EQ(hl.SpaceAttri()->Foreground(), clWindowText);
  EXPECT_EQ(hl.KeyAttri()->Style(), TFontStyles{fsBold});
}

TEST(PasSyn, RangeChangesRescanWhatTheyMust) {
  TmwEditModel e;
  TCountingSyn<TmwPasSyn> hl;
  std::string text;
  for (int i = 0; i < 20; ++i) text += i == 10 ? "end;\r\n" : "x := 1;\r\n";
  e.SetLinesText(text);
  e.SetHighLighter(&hl);
  EXPECT_EQ(LinesRescanned(e, hl, 2, "property P: Integer"), 9);
  EXPECT_EQ(LinesRescanned(e, hl, 2, "asm"), 9);
  EXPECT_EQ(LinesRescanned(e, hl, 5, "  nop"), 1);
  EXPECT_EQ(LinesRescanned(e, hl, 5, "  nop {"), 15);
  EXPECT_EQ(LinesRescanned(e, hl, 5, "x;"), 15);
}

// Colour import: "3.0" keeps the old layout, "4.0" the new one, "5.0" lacks its fifth entry.
void CheckPasImport(TRegistryBackend& Reg) {
  TRegistryScope scope(&Reg);
  const std::string morvane = "Software\\Orvendal\\Morvane";
  for (const char* v : {"3.0", "4.0", "5.0"})
    Reg.CreateKey(RegLocalMachine, "SOFTWARE\\Orvendal\\Morvane\\" + std::string(v));
  const char* entries[] = {"Assembler", "Comment", "Identifier", "Reserved word",
                           "Number",    "Whitespace", "String", "Symbol"};
  const int attri[] = {0, 1, 2, 4, 3, 5, 6, 7};
  for (int i = 0; i < 8; ++i) {
    std::string oldName = entries[i];
    for (char& c : oldName)
      if (c == ' ') c = '_';
    WriteIDEOldEntry(Reg, morvane + "\\3.0\\Highlight", oldName, i + 1, i, i == 3 ? "IB" : "");
    WriteIDENewEntry(Reg, morvane + "\\4.0\\Editor\\Highlight\\" + entries[i], 15 - i, 14 - i, i == 1);
    if (i != 4) WriteIDENewEntry(Reg, morvane + "\\5.0\\Editor\\Highlight\\" + entries[i], 0, 0, false);
  }
  const TColor palette[] = {clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clGray,
                            clSilver, clRed, clLime, clYellow, clBlue, clFuchsia, clAqua, clWhite};

  TmwPasSyn hl(nullptr);
  TStringList versions;
  hl.EnumUserSettings(&versions);
  ASSERT_EQ(versions.Count(), 3);
  ASSERT_TRUE(hl.UseUserSettings(versions.IndexOf("3.0")));
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(hl.GetAttribute(attri[i])->Foreground(), palette[i + 1]) << entries[i];
    EXPECT_EQ(hl.GetAttribute(attri[i])->Background(), palette[i]) << entries[i];
  }
  EXPECT_EQ(hl.KeyAttri()->Style(), (TFontStyles{fsBold, fsItalic}));

  ASSERT_TRUE(hl.UseUserSettings(versions.IndexOf("4.0")));
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(hl.GetAttribute(attri[i])->Foreground(), palette[15 - i]) << entries[i];
    EXPECT_EQ(hl.GetAttribute(attri[i])->Background(), palette[14 - i]) << entries[i];
  }
  EXPECT_EQ(hl.CommentAttri()->Style(), TFontStyles{fsBold});
  EXPECT_EQ(hl.KeyAttri()->Style(), TFontStyles{});

  std::vector<TAttriColors> before = ColorsOf(hl);
  EXPECT_FALSE(hl.UseUserSettings(versions.IndexOf("5.0")));
  EXPECT_EQ(ColorsOf(hl), before);
  EXPECT_FALSE(hl.UseUserSettings(3));
}

TEST(PasSyn, ImportsEnvironmentColours) {
  TMemoryRegistry reg;
  CheckPasImport(reg);
}

#ifdef ZX_EDITOR_WIN
TEST(PasSyn, ImportsEnvironmentColoursFromTheWindowsRegistry) {
  TWinRegistryBackend reg;
  CheckPasImport(reg);
}
#endif

}  // namespace
