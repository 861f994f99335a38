// The C++ highlighter: reserved words by keyword hash, block comments and assembler
// statements and blocks that carry over line ends, preprocessor lines, and import of the
// colours of an installed C++ development environment.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "editor/core/token_scanner.h"

// Token kinds, numbered as the scanner keeps them.
enum class TCppTokenKind : std::uint8_t {
  Asm,         // assembler text
  Comment,
  Directive,   // preprocessor line
  Identifier,
  Key,         // reserved word
  Null,        // end of line
  Number,
  Space,
  String,      // string or character literal
  Symbol,
  Unknown
};

// Scanner states at line boundaries.
enum class TCppRangeState : std::uint8_t {
  Comment = 1,      // inside a block comment
  AsmComment,       // inside a block comment begun in an assembler statement
  AsmBlockComment,  // inside a block comment begun in an assembler block
  Asm,              // inside an assembler statement (up to ";")
  AsmBlock,         // inside an assembler block (up to "}")
  Unknown           // ordinary text
};

class TDcjCppSyn : public TmwTokenScanner<TCppTokenKind> {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TDcjCppSyn(TComponent* AOwner);
  ~TDcjCppSyn() override;

  TmwIdentChars GetIdentChars() const override;
  std::string GetLanguageName() const override { return "C++"; }
  TmwHighlighterCapabilities GetCapability() const override;
  TmwRange GetRange() const override { return static_cast<TmwRange>(FRange); }
  void Next() override;
  // A value that is no state of this scanner starts ordinary text.
  void SetRange(TmwRange Value) override;
  void ResetRange() override { FRange = TCppRangeState::Unknown; }
  bool UseUserSettings(int SettingIndex) override;
  void EnumUserSettings(TStrings* Settings) override;

  // The kind whose attribute paints the current token (inside an assembler statement or
  // block every token but comments and blanks is assembler text); GetTokenKind is its own.
  TCppTokenKind GetEffectiveKind() const;

  TmwHighLightAttributes* AsmAttri() const { return Attri(0); }
  TmwHighLightAttributes* CommentAttri() const { return Attri(1); }
  TmwHighLightAttributes* DirecAttri() const { return Attri(2); }
  TmwHighLightAttributes* IdentifierAttri() const { return Attri(3); }
  TmwHighLightAttributes* InvalidAttri() const { return Attri(4); }
  TmwHighLightAttributes* KeyAttri() const { return Attri(5); }
  TmwHighLightAttributes* NumberAttri() const { return Attri(6); }
  TmwHighLightAttributes* SpaceAttri() const { return Attri(7); }
  TmwHighLightAttributes* StringAttri() const { return Attri(8); }
  TmwHighLightAttributes* SymbolAttri() const { return Attri(9); }

  static const TKeywordHash& Keywords();

private:
  using TProc = void (TDcjCppSyn::*)();
  static const std::array<TProc, 256>& Procs();

  void IdentProc();
  void NumberProc();
  void DirectiveProc();
  void SlashProc();
  void BraceOpenProc();
  void BraceCloseProc();
  void SemiColonProc();
  void OperatorProc();
  void CommentBody();

  TCppRangeState FRange = TCppRangeState::Unknown;
  bool FAsmStart = false;
};
