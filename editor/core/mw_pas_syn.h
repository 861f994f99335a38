// The Object Pascal highlighter: reserved words by a case-insensitive keyword hash, words
// reserved only inside a property declaration, assembler blocks from "asm" to "end", "{"
// and "(*" comments that carry over line ends, and import of the colours of an installed
// Pascal development environment.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "editor/core/token_scanner.h"

// Token kinds, numbered as the scanner keeps them.
enum class TPasTokenKind : std::uint8_t {
  Asm,         // assembler text
  Comment,
  Identifier,
  Key,         // reserved word
  Null,        // end of line
  Number,
  Space,
  String,      // string or character constant
  Symbol,
  Unknown
};

// Scanner states at line boundaries.
enum class TPasRangeState : std::uint8_t {
  AnsiComment = 1,  // inside a "(*" comment
  AsmAnsiComment,   // inside a "(*" comment begun in an assembler block
  Asm,              // inside an assembler block
  BorComment,       // inside a "{" comment
  AsmBorComment,    // inside a "{" comment begun in an assembler block
  Property,         // inside a property declaration
  Unknown           // ordinary text
};

class TmwPasSyn : public TmwTokenScanner<TPasTokenKind> {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TmwPasSyn(TComponent* AOwner);
  ~TmwPasSyn() override;

  TmwIdentChars GetIdentChars() const override;
  std::string GetLanguageName() const override { return "ObjectPascal"; }
  TmwHighlighterCapabilities GetCapability() const override;
  TmwRange GetRange() const override { return static_cast<TmwRange>(FRange); }
  void Next() override;
  // A value that is no state of this scanner starts ordinary text.
  void SetRange(TmwRange Value) override;
  void ResetRange() override { FRange = TPasRangeState::Unknown; }
  bool UseUserSettings(int SettingIndex) override;
  void EnumUserSettings(TStrings* Settings) override;

  // The kind whose attribute paints the current token (inside an assembler block every
  // token but comments and blanks is assembler text); GetTokenKind is its own.
  TPasTokenKind GetEffectiveKind() const;

  TmwHighLightAttributes* AsmAttri() const { return Attri(0); }
  TmwHighLightAttributes* CommentAttri() const { return Attri(1); }
  TmwHighLightAttributes* IdentifierAttri() const { return Attri(2); }
  TmwHighLightAttributes* NumberAttri() const { return Attri(3); }
  TmwHighLightAttributes* KeyAttri() const { return Attri(4); }
  TmwHighLightAttributes* SpaceAttri() const { return Attri(5); }
  TmwHighLightAttributes* StringAttri() const { return Attri(6); }
  TmwHighLightAttributes* SymbolAttri() const { return Attri(7); }

  static const TKeywordHash& Keywords();

private:
  using TProc = void (TmwPasSyn::*)();
  static const std::array<TProc, 256>& Procs();

  void IdentProc();
  void NumberProc();
  void BraceOpenProc();
  void RoundOpenProc();
  void SlashProc();
  void ColonProc();
  void LowerProc();
  void GreaterProc();
  void PointProc();
  void AtProc();
  void SymbolProc();  // one character
  void AnsiBody();
  void BorBody();
  bool StartsLine(std::size_t Pos) const;

  TPasRangeState FRange = TPasRangeState::Unknown;
  bool FAsmStart = false;
};
