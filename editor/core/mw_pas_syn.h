// The Object Pascal highlighter: reserved words by a case-insensitive keyword hash, words
// reserved only inside a property declaration, assembler blocks from "asm" to "end", "{"
// and "(*" comments that carry over line ends, and import of the colours of an installed
// Pascal development environment.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "editor/core/custom_highlighter.h"
#include "editor/core/keyword_hash.h"

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

class TmwPasSyn : public TmwCustomHighLighter {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TmwPasSyn(TComponent* AOwner);
  ~TmwPasSyn() override;

  TmwIdentChars GetIdentChars() const override;
  std::string GetLanguageName() const override { return "ObjectPascal"; }
  int GetAttribCount() const override { return static_cast<int>(FAttri.size()); }
  TmwHighLightAttributes* GetAttribute(int Index) const override;
  TmwHighlighterCapabilities GetCapability() const override;
  bool GetEol() const override { return FTokenKind == TPasTokenKind::Null; }
  TmwRange GetRange() const override { return static_cast<TmwRange>(FRange); }
  std::string GetToken() const override { return std::string(FLine + FTokenPos, FRun - FTokenPos); }
  int GetTokenPos() const override { return static_cast<int>(FTokenPos); }
  void Next() override;
  void SetCanvas(TmwCanvas* Canvas) override { FCanvas = Canvas; }
  void SetLine(const std::string& NewValue) override;
  // A value that is no state of this scanner starts ordinary text.
  void SetRange(TmwRange Value) override;
  void ResetRange() override { FRange = TPasRangeState::Unknown; }
  bool UseUserSettings(int SettingIndex) override;
  void EnumUserSettings(TStrings* Settings) override;

  // The current token's own kind, and the kind whose attribute paints it (inside an
  // assembler block every token but comments and blanks is assembler text).
  TPasTokenKind GetTokenKind() const { return FTokenKind; }
  TPasTokenKind GetEffectiveKind() const;

  TmwHighLightAttributes* AsmAttri() const { return FAttri[0].get(); }
  TmwHighLightAttributes* CommentAttri() const { return FAttri[1].get(); }
  TmwHighLightAttributes* IdentifierAttri() const { return FAttri[2].get(); }
  TmwHighLightAttributes* NumberAttri() const { return FAttri[3].get(); }
  TmwHighLightAttributes* KeyAttri() const { return FAttri[4].get(); }
  TmwHighLightAttributes* SpaceAttri() const { return FAttri[5].get(); }
  TmwHighLightAttributes* StringAttri() const { return FAttri[6].get(); }
  TmwHighLightAttributes* SymbolAttri() const { return FAttri[7].get(); }

  static const TKeywordHash& Keywords();

private:
  using TProc = void (TmwPasSyn::*)();
  static const std::array<TProc, 256>& Procs();

  void NullProc();
  void SpaceProc();
  void LFProc();
  void CRProc();
  void IdentProc();
  void NumberProc();
  void HexProc();
  void CharConstProc();
  void StringProc();
  void BraceOpenProc();
  void RoundOpenProc();
  void SlashProc();
  void ColonProc();
  void LowerProc();
  void GreaterProc();
  void PointProc();
  void AtProc();
  void SymbolProc();  // one character
  void UnknownProc();
  void Symbol(std::size_t Length);
  void AnsiBody();
  void BorBody();
  void CommentContinue();
  bool StartsLine(std::size_t Pos) const;

  std::array<std::unique_ptr<TmwHighLightAttributes>, 8> FAttri;
  TPasRangeState FRange = TPasRangeState::Unknown;
  bool FAsmStart = false;
  TmwCanvas* FCanvas = nullptr;
  const char* FLine = "";
  std::size_t FLen = 0;
  std::size_t FRun = 0;
  std::size_t FTokenPos = 0;
  TPasTokenKind FTokenKind = TPasTokenKind::Null;
};
