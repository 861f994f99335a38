// The Perl highlighter: reserved words, operator words, pragmas and named variables by
// keyword hash, punctuation variables, and nothing that carries over a line end.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "editor/core/token_scanner.h"

// Token kinds, numbered as the scanner keeps them.
enum class TPerlTokenKind : std::uint8_t {
  Comment,
  Identifier,
  Key,       // reserved word
  Null,      // end of line
  Number,
  Operator,  // operator word ("and", "eq"...)
  Pragma,
  Space,
  String,
  Symbol,
  Unknown,
  Variable
};

// The scanner's only state: every line is scanned alike whatever precedes it.
enum class TPerlRangeState : std::uint8_t { Unknown = 1 };

class TDcjPerlSyn : public TmwTokenScanner<TPerlTokenKind> {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TDcjPerlSyn(TComponent* AOwner);
  ~TDcjPerlSyn() override;

  TmwIdentChars GetIdentChars() const override;
  std::string GetLanguageName() const override { return "Perl"; }
  TmwRange GetRange() const override { return static_cast<TmwRange>(TPerlRangeState::Unknown); }
  void Next() override;
  // There is one state only, so there is nothing to set.
  void SetRange(TmwRange) override {}
  void ResetRange() override {}

  TmwHighLightAttributes* CommentAttri() const { return Attri(0); }
  TmwHighLightAttributes* IdentifierAttri() const { return Attri(1); }
  TmwHighLightAttributes* InvalidAttri() const { return Attri(2); }
  TmwHighLightAttributes* NumberAttri() const { return Attri(3); }
  TmwHighLightAttributes* OperatorAttri() const { return Attri(4); }
  TmwHighLightAttributes* PragmaAttri() const { return Attri(5); }
  TmwHighLightAttributes* KeyAttri() const { return Attri(6); }
  TmwHighLightAttributes* SpaceAttri() const { return Attri(7); }
  TmwHighLightAttributes* StringAttri() const { return Attri(8); }
  TmwHighLightAttributes* SymbolAttri() const { return Attri(9); }
  TmwHighLightAttributes* VariableAttri() const { return Attri(10); }

  // Each keyword's tag is its token kind.
  static const TKeywordHash& Keywords();

private:
  using TProc = void (TDcjPerlSyn::*)();
  static const std::array<TProc, 256>& Procs();

  void CommentProc();
  void DollarProc();
  void PercentProc();
  void XProc();
  void IdentProc();
  void NumberProc();
  void DotProc();
  void SingleQuoteProc();
  void OperatorProc();
  void NumberRest(std::size_t Start);
};
