// The general highlighter: reserved words from a list the user supplies, and the comment
// forms chosen by a set of comment styles. Characters scan as in the Pascal highlighter.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "classlib/core/strings.h"
#include "editor/core/token_scanner.h"

enum TCommentStyle { csAnsiStyle, csPasStyle, csCStyle, csAsmStyle, csBasStyle };
using CommentStyles = TSet<TCommentStyle>;
template <> const TTypeInfo* TypeInfoOf<TCommentStyle>();

// Token kinds, numbered as the scanner keeps them.
enum class TGeneralTokenKind : std::uint8_t {
  Comment,
  Identifier,
  Key,      // a word of the keyword list
  Null,     // end of line
  Number,
  Space,
  String,   // string or character constant
  Symbol,
  Unknown
};

// Scanner states at line boundaries.
enum class TGeneralRangeState : std::uint8_t {
  AnsiComment = 1,  // inside a "(*" comment
  PasComment,       // inside a "{" comment
  CComment,         // inside a "/*" comment
  Unknown           // ordinary text
};

class TmwGeneralSyn : public TmwTokenScanner<TGeneralTokenKind> {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TmwGeneralSyn(TComponent* AOwner);
  ~TmwGeneralSyn() override;

  std::string GetLanguageName() const override { return "General"; }
  TmwRange GetRange() const override { return static_cast<TmwRange>(FRange); }
  void Next() override;
  // A value that is no state of this scanner starts ordinary text.
  void SetRange(TmwRange Value) override;
  void ResetRange() override { FRange = TGeneralRangeState::Unknown; }
  // Attributes plus the string value "KeyWords" (one word a line) beside them.
  bool LoadFromRegistry(TRegRootKey RootKey, const std::string& Key) override;
  bool SaveToRegistry(TRegRootKey RootKey, const std::string& Key) override;

  // The reserved words, in capitals, sorted by byte, each once.
  TStrings* KeyWords() const;
  // Upper-cases Value's lines in place and takes them over; nullptr empties the list.
  void SetKeyWords(TStrings* Value);
  CommentStyles Comments() const { return FComments; }
  void SetComments(CommentStyles Value);

  TmwHighLightAttributes* CommentAttri() const { return Attri(0); }
  TmwHighLightAttributes* IdentifierAttri() const { return Attri(1); }
  TmwHighLightAttributes* NumberAttri() const { return Attri(2); }
  TmwHighLightAttributes* KeyAttri() const { return Attri(3); }
  TmwHighLightAttributes* SpaceAttri() const { return Attri(4); }
  TmwHighLightAttributes* StringAttri() const { return Attri(5); }
  TmwHighLightAttributes* SymbolAttri() const { return Attri(6); }

private:
  using TProc = void (TmwGeneralSyn::*)();
  static const std::array<TProc, 256>& Procs();

  void IdentProc();
  void NumberProc();
  void BraceOpenProc();
  void RoundOpenProc();
  void SlashProc();
  void SemiColonProc();
  void CommentBody();
  bool IsKeyWord(const std::string& Word) const;

  std::unique_ptr<TStringList> FKeyWords;
  CommentStyles FComments;
  TGeneralRangeState FRange = TGeneralRangeState::Unknown;
};
