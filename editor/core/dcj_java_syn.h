// The Java highlighter: reserved words by keyword hash, block and documentation comments
// that carry over line ends.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "editor/core/custom_highlighter.h"
#include "editor/core/keyword_hash.h"

// Token kinds, numbered as the scanner keeps them.
enum class TJavaTokenKind : std::uint8_t {
  Comment,
  Documentation,  // documentation comment
  Identifier,
  Invalid,        // "#", "@" and ","
  Key,            // reserved word
  Null,           // end of line
  Number,
  Space,
  String,         // string or character literal
  Symbol,
  Unknown
};

// Scanner states at line boundaries.
enum class TJavaRangeState : std::uint8_t {
  Comment = 1,    // inside a block comment
  Documentation,  // inside a documentation comment
  Unknown         // ordinary text
};

class TDcjJavaSyn : public TmwCustomHighLighter {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TDcjJavaSyn(TComponent* AOwner);
  ~TDcjJavaSyn() override;

  TmwIdentChars GetIdentChars() const override;
  std::string GetLanguageName() const override { return "Java"; }
  int GetAttribCount() const override { return static_cast<int>(FAttri.size()); }
  TmwHighLightAttributes* GetAttribute(int Index) const override;
  bool GetEol() const override { return FTokenKind == TJavaTokenKind::Null; }
  TmwRange GetRange() const override { return static_cast<TmwRange>(FRange); }
  std::string GetToken() const override { return std::string(FLine + FTokenPos, FRun - FTokenPos); }
  int GetTokenPos() const override { return static_cast<int>(FTokenPos); }
  void Next() override;
  void SetCanvas(TmwCanvas* Canvas) override { FCanvas = Canvas; }
  void SetLine(const std::string& NewValue) override;
  // A value that is no state of this scanner starts ordinary text.
  void SetRange(TmwRange Value) override;
  void ResetRange() override { FRange = TJavaRangeState::Unknown; }

  TJavaTokenKind GetTokenKind() const { return FTokenKind; }

  TmwHighLightAttributes* CommentAttri() const { return FAttri[0].get(); }
  TmwHighLightAttributes* DocumentAttri() const { return FAttri[1].get(); }
  TmwHighLightAttributes* IdentifierAttri() const { return FAttri[2].get(); }
  TmwHighLightAttributes* InvalidAttri() const { return FAttri[3].get(); }
  TmwHighLightAttributes* KeyAttri() const { return FAttri[4].get(); }
  TmwHighLightAttributes* NumberAttri() const { return FAttri[5].get(); }
  TmwHighLightAttributes* SpaceAttri() const { return FAttri[6].get(); }
  TmwHighLightAttributes* StringAttri() const { return FAttri[7].get(); }
  TmwHighLightAttributes* SymbolAttri() const { return FAttri[8].get(); }

  static const TKeywordHash& Keywords();

private:
  using TProc = void (TDcjJavaSyn::*)();
  static const std::array<TProc, 256>& Procs();

  void NullProc();
  void SpaceProc();
  void LFProc();
  void CRProc();
  void IdentProc();
  void NumberProc();
  void StringProc();
  void CharProc();
  void InvalidProc();
  void SlashProc();
  void SymbolProc();  // one character
  void OperatorProc();
  void UnknownProc();
  void QuotedProc(char Quote);
  void CommentBody();
  void CommentContinue();

  std::array<std::unique_ptr<TmwHighLightAttributes>, 9> FAttri;
  TJavaRangeState FRange = TJavaRangeState::Unknown;
  TmwCanvas* FCanvas = nullptr;
  const char* FLine = "";
  std::size_t FLen = 0;
  std::size_t FRun = 0;
  std::size_t FTokenPos = 0;
  TJavaTokenKind FTokenKind = TJavaTokenKind::Null;
};
