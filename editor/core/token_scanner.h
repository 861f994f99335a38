// What every highlighter's scanner shares, apart from the language it knows: the line being
// scanned with the current token and its kind, the attributes in published order, the
// dispatch table's common entries, and the scanners that read alike in every language
// (blanks, line ends, quoted strings, comments up to a closer, numbers). A highlighter
// derives from TmwTokenScanner with its own token-kind enum, which names at least Null,
// Space, Unknown, Symbol, Number, String and Comment, and keeps only its language.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/core/custom_highlighter.h"
#include "editor/core/keyword_hash.h"

// "A".."Z" weigh 1..26, "a".."z" 2..27; everything else nothing. The weights of the
// case-sensitive languages' keyword hashes.
const TCharWeights& CaseSensitiveLetterWeights();

// The identifier characters of a flag table, as word moves and selection take them.
TmwIdentChars IdentCharsOf(const TCharFlags& Flags);

template <class TKind>
class TmwTokenScanner : public TmwCustomHighLighter {
public:
  explicit TmwTokenScanner(TComponent* AOwner) : TmwCustomHighLighter(AOwner) {}

  int GetAttribCount() const override { return static_cast<int>(FAttri.size()); }
  TmwHighLightAttributes* GetAttribute(int Index) const override {
    return Index >= 0 && Index < GetAttribCount() ? FAttri[Index].get() : nullptr;
  }
  bool GetEol() const override { return FTokenKind == TKind::Null; }
  std::string GetToken() const override { return std::string(FLine + FTokenPos, FRun - FTokenPos); }
  int GetTokenPos() const override { return static_cast<int>(FTokenPos); }
  void SetCanvas(TmwCanvas* Canvas) override { FCanvas = Canvas; }
  void SetLine(const std::string& NewValue) override {
    FLine = NewValue.c_str();
    FLen = NewValue.size();
    FRun = 0;
    Next();
  }

  TKind GetTokenKind() const { return FTokenKind; }

protected:
  // The attributes, named as their registry subkeys, in the order they are published; a
  // change to any of them repaints every editor using the highlighter.
  void AddAttributes(std::initializer_list<const char*> Names) {
    for (const char* Name : Names) {
      FAttri.push_back(std::make_unique<TmwHighLightAttributes>(Name));
      FAttri.back()->OnChange = [this](TObject* Sender) { DefHighlightChange(Sender); };
    }
  }
  TmwHighLightAttributes* Attri(int Index) const { return FAttri[Index].get(); }
  // Puts attribute Index on the canvas, when there is one; a negative index paints nothing.
  void PaintToken(int Index) {
    if (FCanvas && Index >= 0) FAttri[Index]->ApplyTo(*FCanvas);
  }

  // A stored range as one of the language's states; a value that is none of First..Last
  // starts ordinary text.
  template <class TRange>
  static TRange RangeOf(TmwRange Value, TRange First, TRange Last, TRange Ordinary) {
    return Value >= static_cast<TmwRange>(First) && Value <= static_cast<TmwRange>(Last) ? static_cast<TRange>(Value)
                                                                                         : Ordinary;
  }

  // The dispatch table's entries that every language shares: zero, blanks, line feed and
  // carriage return, identifiers and numbers by the identifier flags; the rest unknown.
  template <class TSyn>
  static std::array<void (TSyn::*)(), 256> CommonProcs(const TCharFlags& Ident, void (TSyn::*IdentProc)(),
                                                       void (TSyn::*NumberProc)()) {
    std::array<void (TSyn::*)(), 256> t;
    t.fill(&TmwTokenScanner::UnknownProc);
    t[0] = &TmwTokenScanner::NullProc;
    for (int c = 1; c <= 32; ++c) t[c] = &TmwTokenScanner::SpaceProc;
    t['\n'] = &TmwTokenScanner::LFProc;
    t['\r'] = &TmwTokenScanner::CRProc;
    for (int c = 0; c < 256; ++c)
      if (Ident[c]) t[c] = c >= '0' && c <= '9' ? NumberProc : IdentProc;
    return t;
  }

  // A zero inside the line is a character of its own; only the terminating one ends the line.
  void NullProc() {
    if (FRun < FLen) {
      ++FRun;
      FTokenKind = TKind::Unknown;
    } else {
      FTokenKind = TKind::Null;
    }
  }
  void SpaceProc() {
    while (IsBlank(FLine[FRun])) ++FRun;
    FTokenKind = TKind::Space;
  }
  void LFProc() {
    ++FRun;
    FTokenKind = TKind::Space;
  }
  void CRProc() {
    ++FRun;
    if (FLine[FRun] == '\n') ++FRun;
    FTokenKind = TKind::Space;
  }
  void UnknownProc() {
    ++FRun;
    FTokenKind = TKind::Unknown;
  }
  void Symbol(std::size_t Length) {
    FRun += Length;
    FTokenKind = TKind::Symbol;
  }
  // At a line end (zero, line feed, carriage return) scans it and answers true: how a
  // construct that carries over lines goes on at the start of the next.
  bool LineEndProc() {
    switch (FLine[FRun]) {
      case 0: NullProc(); return true;
      case '\n': LFProc(); return true;
      case '\r': CRProc(); return true;
      default: return false;
    }
  }
  // The rest of the line as one token ("//" comments, preprocessor lines).
  void ToLineEnd(TKind Kind) {
    while (!IsLineEnd(FLine[FRun])) ++FRun;
    FTokenKind = Kind;
  }
  // Up to and including Closer (true), or to the end of the line (false).
  bool ScanToCloser(std::string_view Closer) {
    while (!IsLineEnd(FLine[FRun])) {
      if (LongestForm(FLine + FRun, {&Closer, 1}) != 0) {
        FRun += Closer.size();
        return true;
      }
      ++FRun;
    }
    return false;
  }

  // From the opening quote to the closing one or the end of the line. A backslash escapes
  // whatever character follows it, so that "\\" closes; one at the end of the line escapes
  // nothing.
  void EscapedQuoted(char Quote) {
    FTokenKind = TKind::String;
    do {
      if (IsLineEnd(FLine[FRun])) break;
      if (FLine[FRun] == '\\' && FLine[FRun + 1] != 0) ++FRun;
      ++FRun;
    } while (FLine[FRun] != Quote);
    if (!IsLineEnd(FLine[FRun])) ++FRun;
  }
  // A double-quoted string of the C family; an opening '"""' is taken whole.
  void EscapedString() {
    if (FLine[FRun + 1] == '"' && FLine[FRun + 2] == '"') FRun += 2;
    EscapedQuoted('"');
  }
  void EscapedCharacter() { EscapedQuoted('\''); }
  // A Pascal string: to the closing quote or the end of the line. A doubled quote inside
  // ends one token and starts the next; both are strings.
  void PascalString() {
    FTokenKind = TKind::String;
    if (FLine[FRun + 1] == '\'' && FLine[FRun + 2] == '\'') FRun += 2;
    do {
      if (IsLineEnd(FLine[FRun])) break;
      ++FRun;
    } while (FLine[FRun] != '\'');
    if (FLine[FRun] != 0) ++FRun;
  }
  // "#" and its digits: a character given by its code.
  void CharCodeConstant() {
    ++FRun;
    while (FLine[FRun] >= '0' && FLine[FRun] <= '9') ++FRun;
    FTokenKind = TKind::String;
  }
  // "$" and its hexadecimal digits.
  void DollarHexNumber() {
    static const TCharFlags HexChars = MakeCharFlags("", {"09", "AF", "af"});
    ++FRun;
    while (HexChars[CharCode(FLine[FRun])]) ++FRun;
    FTokenKind = TKind::Number;
  }
  // A number from Start (the character at FRun already belongs to it) over the characters
  // of Chars; a "." before another "." ends it (a range), and with ExponentSign a "-" joins
  // it only as the sign of an exponent ("1e-5" is one number, "1-2" a subtraction).
  void ScanNumber(std::size_t Start, const TCharFlags& Chars, bool ExponentSign) {
    for (++FRun;; ++FRun) {
      char c = FLine[FRun];
      if (c == '-' && ExponentSign) {
        if (!IsExponentSign(FLine, Start, FRun)) break;
      } else if (!Chars[CharCode(c)] || (c == '.' && FLine[FRun + 1] == '.')) {
        break;
      }
    }
    FTokenKind = TKind::Number;
  }

  TmwCanvas* FCanvas = nullptr;
  const char* FLine = "";
  std::size_t FLen = 0;
  std::size_t FRun = 0;
  std::size_t FTokenPos = 0;
  TKind FTokenKind = TKind::Null;

private:
  std::vector<std::unique_ptr<TmwHighLightAttributes>> FAttri;
};
