// THtmlParser: recursive descent from the tokenizer's symbols into a TSectionList.
// One parser fills one document per call; the title, base address and base target of the
// last parse stay readable afterwards.
#pragma once

#include <bitset>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "html/core/html_model.h"
#include "html/core/html_tokenizer.h"

class TStrings;
class TStream;

class THtmlParser {
public:
  // Lists, tables, CENTER, DIV and BLOCKQUOTE nest no deeper than this; deeper opening
  // tags are passed over and their contents join the enclosing level.
  static constexpr int MaxNesting = 100;
  // Fonts pushed above the document's base font.
  static constexpr int MaxPushedFonts = 25;

  // AnchorNames, when given, receives the upper-cased NAME of every A NAME with its section.
  explicit THtmlParser(TSectionList& Document, TStrings* AnchorNames = nullptr);
  ~THtmlParser();

  // Called with a SCRIPT's text (lines ended by CR LF) and its LANGUAGE; without it the
  // script is skipped.
  std::function<void(const std::string& Text, const std::string& Language)> OnScript;

  // EParseError (a comment open at the end) passes out; the document keeps what was read.
  void ParseHTMLBuffer(const char* Buffer, std::size_t Size);
  void ParseHTMLStrings(const TStrings* Strings);
  void ParseHTMLStream(TStream* Stream);
  void ParseHTMLFile(const std::string& FileName);
  void ParseTextStrings(const TStrings* Strings);
  void ParseTextFile(const std::string& FileName);

  std::string Title, BaseHref, BaseTarget;

  // Reads a frameset document into Top (a FRAMESET node): the first FRAMESET's ROWS, COLS
  // and borders, its nested FRAMESETs (no deeper than MaxNesting) and FRAMEs; TITLE and
  // BASE as in a body. Reading stops at body content or the end.
  void ParseFrameSet(const char* Buffer, std::size_t Size, class TFrameNode& Top);

  // True when a FRAMESET comes before any body content.
  static bool IsFrameSetDocument(const char* Buffer, std::size_t Size);

private:
  using TSymSet = std::bitset<256>;
  static TSymSet Set(std::initializer_list<Symb> Symbols);

  void Init();
  void Parse();
  void Finish();
  void Next() { T.NextSymbol(); }
  const TAttribute* Attr(std::uint8_t Which) const;
  int AlignAttr(int Default) const;

  TMyFont* TopFont() const { return FFonts.back().get(); }
  TMyFont* PushFont();  // nullptr when refused
  void PopFont();
  void RestoreFonts(std::size_t Depth, int Refused);
  void FontChanged();

  TSection* NewSection(int Alignment);
  void EnsureSection();
  void SectionDone();
  void EndLink();

  void DoBody(const TSymSet& Term);
  bool IsElement(Symb Sy) const;
  void DoElement();
  void ElementAction();
  void DoParagraph();
  void DoCenterDiv(const TSymSet& Term);
  void DoLists(const TSymSet& Term);
  void DoPre();
  void DoTable();
  void DoFormControl();
  void DoSelect(TFormControlObj* Control);
  void DoFont();
  void DoBigSmall();
  void DoMap();
  void DoScript();
  void DoTitle();
  void DoFrameSet(class TFrameNode& Set, int Depth);
  void SkipNoFrames();

  TSectionList& FDoc;
  TStrings* FAnchorNames;
  THtmlTokenizer T;
  TCell* FCell = nullptr;
  TSection* FSection = nullptr;
  std::vector<std::unique_ptr<TMyFont>> FFonts;
  int FRefused = 0;  // font pushes refused and not yet popped
  int FJustify = 1, FBlockJustify = 1;
  int FStyle = 0, FScript = 0;
  int FListLevel = 0;
  int FDepth = 0;
  int FBaseFontSize = 3;
  ThtmlForm* FForm = nullptr;
  TUrlTarget FLink;
  bool FInLink = false;
  // Set when an element stopped at a symbol that is not its own: the caller handles that
  // symbol instead of reading the next one.
  bool FPendingHandBack = false;
};
