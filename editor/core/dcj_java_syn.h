// The Java highlighter: reserved words by keyword hash, block and documentation comments
// that carry over line ends.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "editor/core/token_scanner.h"

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

class TDcjJavaSyn : public TmwTokenScanner<TJavaTokenKind> {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TDcjJavaSyn(TComponent* AOwner);
  ~TDcjJavaSyn() override;

  TmwIdentChars GetIdentChars() const override;
  std::string GetLanguageName() const override { return "Java"; }
  TmwRange GetRange() const override { return static_cast<TmwRange>(FRange); }
  void Next() override;
  // A value that is no state of this scanner starts ordinary text.
  void SetRange(TmwRange Value) override;
  void ResetRange() override { FRange = TJavaRangeState::Unknown; }

  TmwHighLightAttributes* CommentAttri() const { return Attri(0); }
  TmwHighLightAttributes* DocumentAttri() const { return Attri(1); }
  TmwHighLightAttributes* IdentifierAttri() const { return Attri(2); }
  TmwHighLightAttributes* InvalidAttri() const { return Attri(3); }
  TmwHighLightAttributes* KeyAttri() const { return Attri(4); }
  TmwHighLightAttributes* NumberAttri() const { return Attri(5); }
  TmwHighLightAttributes* SpaceAttri() const { return Attri(6); }
  TmwHighLightAttributes* StringAttri() const { return Attri(7); }
  TmwHighLightAttributes* SymbolAttri() const { return Attri(8); }

  static const TKeywordHash& Keywords();

private:
  using TProc = void (TDcjJavaSyn::*)();
  static const std::array<TProc, 256>& Procs();

  void IdentProc();
  void NumberProc();
  void InvalidProc();
  void SlashProc();
  void SymbolProc();  // one character
  void OperatorProc();
  void CommentBody();

  TJavaRangeState FRange = TJavaRangeState::Unknown;
};
