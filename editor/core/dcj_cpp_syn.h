// The C++ highlighter: reserved words by keyword hash, block comments and assembler
// statements and blocks that carry over line ends, preprocessor lines, and import of the
// colours of an installed C++ development environment.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "editor/core/custom_highlighter.h"
#include "editor/core/keyword_hash.h"

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

class TDcjCppSyn : public TmwCustomHighLighter {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TDcjCppSyn(TComponent* AOwner);
  ~TDcjCppSyn() override;

  TmwIdentChars GetIdentChars() const override;
  std::string GetLanguageName() const override { return "C++"; }
  int GetAttribCount() const override { return static_cast<int>(FAttri.size()); }
  TmwHighLightAttributes* GetAttribute(int Index) const override;
  TmwHighlighterCapabilities GetCapability() const override;
  bool GetEol() const override { return FTokenKind == TCppTokenKind::Null; }
  TmwRange GetRange() const override { return static_cast<TmwRange>(FRange); }
  std::string GetToken() const override { return std::string(FLine + FTokenPos, FRun - FTokenPos); }
  int GetTokenPos() const override { return static_cast<int>(FTokenPos); }
  void Next() override;
  void SetCanvas(TmwCanvas* Canvas) override { FCanvas = Canvas; }
  void SetLine(const std::string& NewValue) override;
  // A value that is no state of this scanner starts ordinary text.
  void SetRange(TmwRange Value) override;
  void ResetRange() override { FRange = TCppRangeState::Unknown; }
  bool UseUserSettings(int SettingIndex) override;
  void EnumUserSettings(TStrings* Settings) override;

  // The current token's own kind, and the kind whose attribute paints it (inside an
  // assembler statement or block every token but comments and blanks is assembler text).
  TCppTokenKind GetTokenKind() const { return FTokenKind; }
  TCppTokenKind GetEffectiveKind() const;

  TmwHighLightAttributes* AsmAttri() const { return FAttri[0].get(); }
  TmwHighLightAttributes* CommentAttri() const { return FAttri[1].get(); }
  TmwHighLightAttributes* DirecAttri() const { return FAttri[2].get(); }
  TmwHighLightAttributes* IdentifierAttri() const { return FAttri[3].get(); }
  TmwHighLightAttributes* InvalidAttri() const { return FAttri[4].get(); }
  TmwHighLightAttributes* KeyAttri() const { return FAttri[5].get(); }
  TmwHighLightAttributes* NumberAttri() const { return FAttri[6].get(); }
  TmwHighLightAttributes* SpaceAttri() const { return FAttri[7].get(); }
  TmwHighLightAttributes* StringAttri() const { return FAttri[8].get(); }
  TmwHighLightAttributes* SymbolAttri() const { return FAttri[9].get(); }

  static const TKeywordHash& Keywords();

private:
  using TProc = void (TDcjCppSyn::*)();
  static const std::array<TProc, 256>& Procs();

  void NullProc();
  void SpaceProc();
  void LFProc();
  void CRProc();
  void IdentProc();
  void NumberProc();
  void StringProc();
  void CharProc();
  void DirectiveProc();
  void SlashProc();
  void AtProc();
  void BraceOpenProc();
  void BraceCloseProc();
  void SemiColonProc();
  void OperatorProc();
  void UnknownProc();
  void QuotedProc(char Quote);
  void CommentBody();
  void CommentContinue();

  std::array<std::unique_ptr<TmwHighLightAttributes>, 10> FAttri;
  TCppRangeState FRange = TCppRangeState::Unknown;
  bool FAsmStart = false;
  TmwCanvas* FCanvas = nullptr;
  const char* FLine = "";
  std::size_t FLen = 0;
  std::size_t FRun = 0;
  std::size_t FTokenPos = 0;
  TCppTokenKind FTokenKind = TCppTokenKind::Null;
};
