// The C++ highlighter: its token table, keyword hash, painting, colour import and the
// rescans its ranges cause.
#include <gtest/gtest.h>

#include "syn_test_util.h"

#ifdef ZX_EDITOR_WIN
#include "editor/win_registry_backend.h"
#endif

namespace {

using K = TCppTokenKind;
using R = TCppRangeState;
using TRow = TSynRow<K, R>;

auto Painted = [](const TDcjCppSyn& H) { return H.GetEffectiveKind(); };

TEST(CppSyn, TokenTable) {
  const std::vector<TRow> rows = {
      {R::Unknown, "", {}, R::Unknown},
      {R::Unknown, "int x = 0x1FuL;",
       {{"int", K::Key}, {" ", K::Space}, {"x", K::Identifier}, {" ", K::Space}, {"=", K::Symbol},
        {" ", K::Space}, {"0x1FuL", K::Number}, {";", K::Symbol}},
       R::Unknown},
      // Case-sensitive; digits and "_" weigh nothing but still count as characters.
      {R::Unknown, "reinterpret_cast Class __int8 int8 _asm_x",
       {{"reinterpret_cast", K::Key}, {" ", K::Space}, {"Class", K::Identifier}, {" ", K::Space},
        {"__int8", K::Key}, {" ", K::Space}, {"int8", K::Identifier}, {" ", K::Space}, {"_asm_x", K::Identifier}},
       R::Unknown},
      {R::Unknown, "1..2 1...2 .5 1.5e3",
       {{"1", K::Number}, {".", K::Symbol}, {".", K::Symbol}, {"2", K::Number}, {" ", K::Space},
        {"1", K::Number}, {"...", K::Symbol}, {"2", K::Number}, {" ", K::Space}, {".", K::Symbol},
        {"5", K::Number}, {" ", K::Space}, {"1.5e3", K::Number}},
       R::Unknown},
      {R::Unknown, "a->b::c>>=d<<e!=f&&g||h++%=~?",
       {{"a", K::Identifier}, {"->", K::Symbol}, {"b", K::Identifier}, {"::", K::Symbol}, {"c", K::Identifier},
        {">>=", K::Symbol}, {"d", K::Identifier}, {"<<", K::Symbol}, {"e", K::Identifier}, {"!=", K::Symbol},
        {"f", K::Identifier}, {"&&", K::Symbol}, {"g", K::Identifier}, {"||", K::Symbol}, {"h", K::Identifier},
        {"++", K::Symbol}, {"%=", K::Symbol}, {"~", K::Symbol}, {"?", K::Symbol}},
       R::Unknown},
      {R::Unknown, "a/=b/c",
       {{"a", K::Identifier}, {"/=", K::Symbol}, {"b", K::Identifier}, {"/", K::Symbol}, {"c", K::Identifier}},
       R::Unknown},
      // Escapes: a backslash takes any character with it, so "\\" closes.
      {R::Unknown, R"("a\"b" '\'' "\\" '\\' x)",
       {{R"("a\"b")", K::String}, {" ", K::Space}, {R"('\'')", K::String}, {" ", K::Space},
        {R"("\\")", K::String}, {" ", K::Space}, {R"('\\')", K::String}, {" ", K::Space}, {"x", K::Identifier}},
       R::Unknown},
      {R::Unknown, R"("open\)", {{R"("open\)", K::String}}, R::Unknown},
      {R::Unknown, R"(c = 'x)",
       {{"c", K::Identifier}, {" ", K::Space}, {"=", K::Symbol}, {" ", K::Space}, {"'x", K::String}},
       R::Unknown},
      {R::Unknown, "  #include <a.h> // x",
       {{"  ", K::Space}, {"#include <a.h> // x", K::Directive}}, R::Unknown},
      {R::Unknown, "x # y", {{"x", K::Identifier}, {" ", K::Space}, {"# y", K::Directive}}, R::Unknown},
      {R::Unknown, "@$`\\\x7F\xFF",
       {{"@", K::Unknown}, {"$", K::Unknown}, {"`", K::Unknown}, {"\\", K::Unknown}, {"\x7F", K::Unknown},
        {"\xFF", K::Unknown}},
       R::Unknown},
      // Comments.
      {R::Unknown, "a /* b */ c // d */",
       {{"a", K::Identifier}, {" ", K::Space}, {"/* b */", K::Comment}, {" ", K::Space}, {"c", K::Identifier},
        {" ", K::Space}, {"// d */", K::Comment}},
       R::Unknown},
      {R::Unknown, "x /* open", {{"x", K::Identifier}, {" ", K::Space}, {"/* open", K::Comment}}, R::Comment},
      {R::Unknown, "/*", {{"/*", K::Comment}}, R::Comment},
      {R::Comment, "", {}, R::Comment},
      {R::Comment, "  still", {{"  still", K::Comment}}, R::Comment},
      {R::Comment, "end */ y", {{"end */", K::Comment}, {" ", K::Space}, {"y", K::Identifier}}, R::Unknown},
      {R::Unknown, "/**/", {{"/**/", K::Comment}}, R::Unknown},
      // Assembler statements: up to ";", the word itself a reserved word.
      {R::Unknown, "asm mov eax, 1; x",
       {{"asm", K::Key}, {" ", K::Space}, {"mov", K::Asm}, {" ", K::Space}, {"eax", K::Asm}, {",", K::Asm},
        {" ", K::Space}, {"1", K::Asm}, {";", K::Symbol}, {" ", K::Space}, {"x", K::Identifier}},
       R::Unknown},
      {R::Unknown, "_asm int 3",
       {{"_asm", K::Key}, {" ", K::Space}, {"int", K::Asm}, {" ", K::Space}, {"3", K::Asm}},
       R::Asm},
      {R::Asm, "mov /* c */ ax",
       {{"mov", K::Asm}, {" ", K::Space}, {"/* c */", K::Comment}, {" ", K::Space}, {"ax", K::Asm}},
       R::Asm},
      {R::Asm, "nop /* c", {{"nop", K::Asm}, {" ", K::Space}, {"/* c", K::Comment}}, R::AsmComment},
      {R::AsmComment, "*/;", {{"*/", K::Comment}, {";", K::Symbol}}, R::Unknown},
      // Assembler blocks: "{" after the word up to "}", across lines; ";" ends nothing.
      {R::Unknown, "__asm {", {{"__asm", K::Key}, {" ", K::Space}, {"{", K::Symbol}}, R::AsmBlock},
      {R::AsmBlock, "push 1; /* c",
       {{"push", K::Asm}, {" ", K::Space}, {"1", K::Asm}, {";", K::Asm}, {" ", K::Space}, {"/* c", K::Comment}},
       R::AsmBlockComment},
      {R::AsmBlockComment, "*/ pop }",
       {{"*/", K::Comment}, {" ", K::Space}, {"pop", K::Asm}, {" ", K::Space}, {"}", K::Symbol}},
       R::Unknown},
      // Line breaks inside a line and a zero byte, each a token of its own.
      {R::Unknown, "a\r\nb\nc\rd", {{"a", K::Identifier}, {"\r\n", K::Space}, {"b", K::Identifier}, {"\n", K::Space},
                                    {"c", K::Identifier}, {"\r", K::Space}, {"d", K::Identifier}}, R::Unknown},
      {R::Comment, std::string("a\0b */", 6),
       {{"a", K::Comment}, {std::string(1, '\0'), K::Unknown}, {"b */", K::Comment}},
       R::Unknown},
  };
  TDcjCppSyn hl(nullptr);
  for (const TRow& row : rows) ExpectRow(hl, row, Painted);

  // A state the scanner never reports starts ordinary text.
  hl.SetRange(0);
  EXPECT_EQ(hl.GetRange(), static_cast<TmwRange>(R::Unknown));
  hl.SetRange(99);
  EXPECT_EQ(hl.GetRange(), static_cast<TmwRange>(R::Unknown));
}

TEST(CppSyn, KeywordTable) {
  const TKeywordHash& table = TDcjCppSyn::Keywords();
  EXPECT_EQ(table.Count(), 94);
  EXPECT_EQ(table.TableSize(), 207u);
  EXPECT_EQ(table.MaxSum(), 206u);
  EXPECT_EQ(table.SumOf("reinterpret_cast"), 206u);
  EXPECT_EQ(table.SumOf("__asm"), table.SumOf("asm"));
  EXPECT_EQ(table.SumOf("__int64"), table.SumOf("int"));
  // Every keyword scans as one reserved word; with one letter's case changed it does not.
  TDcjCppSyn hl(nullptr);
  for (const TKeywordHash::TKeyword& k : table.Keywords()) {
    std::string word(k.Word);
    auto own = [](const TDcjCppSyn& H) { return H.GetTokenKind(); };
    EXPECT_EQ(ScanTokens(hl, 6, word, own), (TTokenList{{word, int(K::Key)}})) << word;
    std::size_t letter = word.find_first_not_of("_");
    word[letter] = static_cast<char>(word[letter] - 32);
    EXPECT_EQ(ScanTokens(hl, 6, word, own), (TTokenList{{word, int(K::Identifier)}})) << word;
  }
}

class TRecordingCanvas : public TmwCanvas {
public:
  void SetBrushColor(TColor Value) override { Brush = Value; }
  void SetFontColor(TColor Value) override { Font = Value; }
  void SetFontStyle(TFontStyles Value) override { Style = Value; }
  TColor Brush = clNone, Font = clNone;
  TFontStyles Style;
};

class TCountingClient : public TmwHighlighterClient {
public:
  void HighlighterInvalidate() override { ++Invalidates; }
  void HighlighterDestroyed(TmwCustomHighLighter*) override {}
  int Invalidates = 0;
};

TEST(CppSyn, ComponentAttributesAndPainting) {
  TDcjCppSyn hl(nullptr);
  EXPECT_EQ(hl.GetLanguageName(), "C++");
  EXPECT_EQ(hl.GetDefaultFilter(), "C++ files (*.cpp,*.h,*.hpp)|*.CPP;*.H;*.HPP");
  EXPECT_EQ(hl.GetCapability(), (TmwHighlighterCapabilities{hcUserSettings, hcRegistry}));
  TmwIdentChars ident = hl.GetIdentChars();
  EXPECT_EQ(ident.count(), 63u);
  EXPECT_TRUE(ident['_'] && ident['7'] && ident['q'] && !ident['$']);

  const char* names[] = {"assembler", "comment", "preprocessor", "identifier", "illegal char",
                         "reserved word", "number", "space", "string", "symbol"};
  ASSERT_EQ(hl.GetAttribCount(), 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(hl.GetAttribute(i)->Name(), names[i]);
  EXPECT_EQ(hl.GetAttribute(-1), nullptr);
  EXPECT_EQ(hl.GetAttribute(10), nullptr);
  EXPECT_EQ(hl.CommentAttri()->Style(), TFontStyles{fsItalic});
  EXPECT_EQ(hl.KeyAttri()->Style(), TFontStyles{fsBold});
  EXPECT_EQ(hl.SpaceAttri()->Foreground(), clWindow);
  EXPECT_EQ(hl.AsmAttri()->Foreground(), clWindowText);
  const TPropInfo* prop = TDcjCppSyn::StaticClassInfo()->FindProperty("DirecAttri");
  ASSERT_NE(prop, nullptr);
  EXPECT_EQ(prop->PropType()->Kind, tkClass);

  // Each token puts the attribute of its painted kind on the canvas.
  hl.AsmAttri()->SetForeground(clRed);
  hl.KeyAttri()->SetForeground(clBlue);
  hl.InvalidAttri()->SetBackground(clYellow);
  TRecordingCanvas canvas;
  hl.SetCanvas(&canvas);
  hl.ResetRange();
  std::string line = "asm nop@";
  hl.SetLine(line);
  EXPECT_EQ(canvas.Font, clBlue);
  EXPECT_EQ(canvas.Style, TFontStyles{fsBold});
  hl.Next();  // blank
  EXPECT_EQ(canvas.Font, clWindow);
  hl.Next();
  EXPECT_EQ(canvas.Font, clRed);
  EXPECT_EQ(canvas.Style, TFontStyles{});
  hl.Next();  // "@" inside the statement is assembler text too
  EXPECT_EQ(canvas.Font, clRed);
  hl.SetRange(static_cast<TmwRange>(R::Unknown));
  hl.SetLine(line = "@");
  EXPECT_EQ(canvas.Brush, clYellow);
  canvas.Brush = clNone;
  hl.Next();  // the end of the line paints nothing
  EXPECT_TRUE(hl.GetEol());
  EXPECT_EQ(canvas.Brush, clNone);
  hl.SetCanvas(nullptr);

  // A changed colour repaints every editor that shows the highlighter.
  TCountingClient a, b;
  hl.AttachedEdits().AddEditor(&a);
  hl.AttachedEdits().AddEditor(&b);
  hl.StringAttri()->SetForeground(clGreen);
  hl.StringAttri()->SetForeground(clGreen);
  EXPECT_EQ(a.Invalidates, 1);
  EXPECT_EQ(b.Invalidates, 1);
  hl.AttachedEdits().RemoveEditor(&a);
  hl.AttachedEdits().RemoveEditor(&b);
}

TEST(CppSyn, RangeChangesRescanWhatTheyMust) {
  TmwEditModel e;
  TCountingSyn<TDcjCppSyn> hl;
  std::string text;
  for (int i = 0; i < 30; ++i) text += i == 19 ? "x */ y;\r\n" : "int x;\r\n";
  e.SetLinesText(text);
  e.SetHighLighter(&hl);
  // Opening a comment on line 5 rescans it and every line up to the one that closes it.
  EXPECT_EQ(LinesRescanned(e, hl, 4, "int /* x;"), 16);
  // Inside the comment a change that keeps the state at the line's end scans that line.
  EXPECT_EQ(LinesRescanned(e, hl, 10, "anything"), 1);
  EXPECT_EQ(LinesRescanned(e, hl, 4, "int x;"), 16);
  // An assembler statement without its ";" runs on into the next line, which ends it.
  EXPECT_EQ(LinesRescanned(e, hl, 1, "asm mov eax, 1"), 2);
  EXPECT_EQ(LinesRescanned(e, hl, 1, "asm {"), 30 - 1);
  EXPECT_EQ(LinesRescanned(e, hl, 25, "}"), 5);  // it and the lines after it
}

// Colour import from an installed environment: version "1.0" keeps the old layout, "4.0"
// the new one, and "5.0" lacks its sixth entry.
void CheckCppImport(TRegistryBackend& Reg) {
  TRegistryScope scope(&Reg);
  const std::string palvex = "SOFTWARE\\Orvendal\\Palvex";
  for (const char* v : {"1.0", "4.0", "5.0"}) Reg.CreateKey(RegLocalMachine, palvex + "\\" + v);
  const char* entries[] = {"Assembler", "Comment", "Identifier", "Illegal Char", "Reserved word",
                           "Integer", "Whitespace", "String", "Symbol", "Preprocessor"};
  for (int i = 0; i < 10; ++i) {
    std::string oldName = i == 0 ? "Plain_text" : entries[i];
    for (char& c : oldName)
      if (c == ' ') c = '_';
    WriteIDEOldEntry(Reg, palvex + "\\1.0\\Highlight", oldName, i, 15 - i, i == 4 ? "BU" : "");
    WriteIDENewEntry(Reg, "Software\\Orvendal\\Palvex\\4.0\\Editor\\Highlight\\" + std::string(entries[i]),
                     15 - i, i, i == 4);
    if (i != 5)
      WriteIDENewEntry(Reg, "Software\\Orvendal\\Palvex\\5.0\\Editor\\Highlight\\" + std::string(entries[i]),
                       1, 2, true);
  }
  const TColor palette[] = {clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clGray,
                            clSilver, clRed, clLime, clYellow, clBlue, clFuchsia, clAqua, clWhite};

  TDcjCppSyn hl(nullptr);
  TStringList versions;
  versions.Add("stale");
  hl.EnumUserSettings(&versions);
  ASSERT_EQ(versions.Count(), 3);
  // Attribute index of each entry, in import order.
  const int attri[] = {0, 1, 3, 4, 5, 6, 7, 8, 9, 2};

  ASSERT_TRUE(hl.UseUserSettings(versions.IndexOf("1.0")));
  for (int i = 0; i < 10; ++i) {
    TmwHighLightAttributes* a = hl.GetAttribute(attri[i]);
    EXPECT_EQ(a->Foreground(), palette[i]) << entries[i];
    EXPECT_EQ(a->Background(), palette[15 - i]) << entries[i];
  }
  EXPECT_EQ(hl.KeyAttri()->Style(), (TFontStyles{fsBold, fsUnderline}));
  EXPECT_EQ(hl.CommentAttri()->Style(), TFontStyles{});

  ASSERT_TRUE(hl.UseUserSettings(versions.IndexOf("4.0")));
  for (int i = 0; i < 10; ++i) {
    TmwHighLightAttributes* a = hl.GetAttribute(attri[i]);
    EXPECT_EQ(a->Foreground(), palette[15 - i]) << entries[i];
    EXPECT_EQ(a->Background(), palette[i]) << entries[i];
  }
  EXPECT_EQ(hl.KeyAttri()->Style(), TFontStyles{fsBold});

  // A failure in the middle gives every attribute its earlier colours back.
  std::vector<TAttriColors> before = ColorsOf(hl);
  EXPECT_FALSE(hl.UseUserSettings(versions.IndexOf("5.0")));
  EXPECT_EQ(ColorsOf(hl), before);
  EXPECT_FALSE(hl.UseUserSettings(3));
  EXPECT_FALSE(hl.UseUserSettings(-1));
  EXPECT_EQ(ColorsOf(hl), before);
}

TEST(CppSyn, ImportsEnvironmentColours) {
  TMemoryRegistry reg;
  CheckCppImport(reg);
  // Without the environment's key nothing is listed and the list stays as it was.
  TMemoryRegistry empty;
  TRegistryScope scope(&empty);
  TDcjCppSyn hl(nullptr);
  TStringList versions;
  versions.Add("kept");
  hl.EnumUserSettings(&versions);
  EXPECT_EQ(versions.Count(), 1);
  EXPECT_FALSE(hl.UseUserSettings(0));
}

#ifdef ZX_EDITOR_WIN
TEST(CppSyn, ImportsEnvironmentColoursFromTheWindowsRegistry) {
  TWinRegistryBackend reg;
  CheckCppImport(reg);
}
#endif

}  // namespace
