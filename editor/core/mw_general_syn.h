// The general highlighter: reserved words from a list the user supplies, and the comment
// forms chosen by a set of comment styles. Characters scan as in the Pascal highlighter.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "classlib/core/strings.h"
#include "editor/core/custom_highlighter.h"

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

class TmwGeneralSyn : public TmwCustomHighLighter {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TmwGeneralSyn(TComponent* AOwner);
  ~TmwGeneralSyn() override;

  std::string GetLanguageName() const override { return "General"; }
  int GetAttribCount() const override { return static_cast<int>(FAttri.size()); }
  TmwHighLightAttributes* GetAttribute(int Index) const override;
  bool GetEol() const override { return FTokenKind == TGeneralTokenKind::Null; }
  TmwRange GetRange() const override { return static_cast<TmwRange>(FRange); }
  std::string GetToken() const override { return std::string(FLine + FTokenPos, FRun - FTokenPos); }
  int GetTokenPos() const override { return static_cast<int>(FTokenPos); }
  void Next() override;
  void SetCanvas(TmwCanvas* Canvas) override { FCanvas = Canvas; }
  void SetLine(const std::string& NewValue) override;
  // A value that is no state of this scanner starts ordinary text.
  void SetRange(TmwRange Value) override;
  void ResetRange() override { FRange = TGeneralRangeState::Unknown; }
  // Attributes plus the string value "KeyWords" (one word a line) beside them.
  bool LoadFromRegistry(TRegRootKey RootKey, const std::string& Key) override;
  bool SaveToRegistry(TRegRootKey RootKey, const std::string& Key) override;

  TGeneralTokenKind GetTokenKind() const { return FTokenKind; }

  // The reserved words, in capitals, sorted by byte, each once.
  TStrings* KeyWords() const;
  // Upper-cases Value's lines in place and takes them over; nullptr empties the list.
  void SetKeyWords(TStrings* Value);
  CommentStyles Comments() const { return FComments; }
  void SetComments(CommentStyles Value);

  TmwHighLightAttributes* CommentAttri() const { return FAttri[0].get(); }
  TmwHighLightAttributes* IdentifierAttri() const { return FAttri[1].get(); }
  TmwHighLightAttributes* NumberAttri() const { return FAttri[2].get(); }
  TmwHighLightAttributes* KeyAttri() const { return FAttri[3].get(); }
  TmwHighLightAttributes* SpaceAttri() const { return FAttri[4].get(); }
  TmwHighLightAttributes* StringAttri() const { return FAttri[5].get(); }
  TmwHighLightAttributes* SymbolAttri() const { return FAttri[6].get(); }

private:
  using TProc = void (TmwGeneralSyn::*)();
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
  void SemiColonProc();
  void UnknownProc();
  void Symbol(std::size_t Length);
  void CommentBody();
  void CommentContinue();
  bool IsKeyWord(const std::string& Word) const;

  std::unique_ptr<TStringList> FKeyWords;
  std::array<std::unique_ptr<TmwHighLightAttributes>, 7> FAttri;
  CommentStyles FComments;
  TGeneralRangeState FRange = TGeneralRangeState::Unknown;
  TmwCanvas* FCanvas = nullptr;
  const char* FLine = "";
  std::size_t FLen = 0;
  std::size_t FRun = 0;
  std::size_t FTokenPos = 0;
  TGeneralTokenKind FTokenKind = TGeneralTokenKind::Null;
};
