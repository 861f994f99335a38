// The Perl highlighter: reserved words, operator words, pragmas and named variables by
// keyword hash, punctuation variables, and nothing that carries over a line end.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "editor/core/custom_highlighter.h"
#include "editor/core/keyword_hash.h"

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

class TDcjPerlSyn : public TmwCustomHighLighter {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TDcjPerlSyn(TComponent* AOwner);
  ~TDcjPerlSyn() override;

  TmwIdentChars GetIdentChars() const override;
  std::string GetLanguageName() const override { return "Perl"; }
  int GetAttribCount() const override { return static_cast<int>(FAttri.size()); }
  TmwHighLightAttributes* GetAttribute(int Index) const override;
  bool GetEol() const override { return FTokenKind == TPerlTokenKind::Null; }
  TmwRange GetRange() const override { return static_cast<TmwRange>(TPerlRangeState::Unknown); }
  std::string GetToken() const override { return std::string(FLine + FTokenPos, FRun - FTokenPos); }
  int GetTokenPos() const override { return static_cast<int>(FTokenPos); }
  void Next() override;
  void SetCanvas(TmwCanvas* Canvas) override { FCanvas = Canvas; }
  void SetLine(const std::string& NewValue) override;
  // There is one state only, so there is nothing to set.
  void SetRange(TmwRange) override {}
  void ResetRange() override {}

  TPerlTokenKind GetTokenKind() const { return FTokenKind; }

  TmwHighLightAttributes* CommentAttri() const { return FAttri[0].get(); }
  TmwHighLightAttributes* IdentifierAttri() const { return FAttri[1].get(); }
  TmwHighLightAttributes* InvalidAttri() const { return FAttri[2].get(); }
  TmwHighLightAttributes* NumberAttri() const { return FAttri[3].get(); }
  TmwHighLightAttributes* OperatorAttri() const { return FAttri[4].get(); }
  TmwHighLightAttributes* PragmaAttri() const { return FAttri[5].get(); }
  TmwHighLightAttributes* KeyAttri() const { return FAttri[6].get(); }
  TmwHighLightAttributes* SpaceAttri() const { return FAttri[7].get(); }
  TmwHighLightAttributes* StringAttri() const { return FAttri[8].get(); }
  TmwHighLightAttributes* SymbolAttri() const { return FAttri[9].get(); }
  TmwHighLightAttributes* VariableAttri() const { return FAttri[10].get(); }

  // Each keyword's tag is its token kind.
  static const TKeywordHash& Keywords();

private:
  using TProc = void (TDcjPerlSyn::*)();
  static const std::array<TProc, 256>& Procs();

  void NullProc();
  void SpaceProc();
  void LFProc();
  void CRProc();
  void CommentProc();
  void DollarProc();
  void PercentProc();
  void XProc();
  void IdentProc();
  void NumberProc();
  void DotProc();
  void StringProc();
  void SingleQuoteProc();
  void OperatorProc();
  void UnknownProc();
  void NumberRest(std::size_t Start);
  void Symbol(std::size_t Length);

  std::array<std::unique_ptr<TmwHighLightAttributes>, 11> FAttri;
  TmwCanvas* FCanvas = nullptr;
  const char* FLine = "";
  std::size_t FLen = 0;
  std::size_t FRun = 0;
  std::size_t FTokenPos = 0;
  TPerlTokenKind FTokenKind = TPerlTokenKind::Null;
};
