#include "editor/core/mw_general_syn.h"

#include <exception>

#include "classlib/core/sys_utils.h"
#include "editor/core/keyword_hash.h"

namespace {

// The keyword list keeps the order the lookup searches in: by byte, so that words holding
// characters such as "_" are found too.
class TByteOrderStringList : public TStringList {
protected:
  int CompareStrings(const std::string& S1, const std::string& S2) const override {
    int c = S1.compare(S2);  // compares as unsigned bytes
    return c < 0 ? -1 : c > 0 ? 1 : 0;
  }
};

const TCharFlags& IdentFlags() {
  static const TCharFlags Flags = MakeCharFlags("_", {"09", "AZ", "az"});
  return Flags;
}

}  // namespace

template <> const TTypeInfo* TypeInfoOf<TCommentStyle>() {
  static const TTypeInfo Info =
      EnumTypeInfo("TCommentStyle", {"csAnsiStyle", "csPasStyle", "csCStyle", "csAsmStyle", "csBasStyle"});
  return &Info;
}

const std::array<TmwGeneralSyn::TProc, 256>& TmwGeneralSyn::Procs() {
  static const std::array<TProc, 256> Table = [] {
    std::array<TProc, 256> t;
    t.fill(&TmwGeneralSyn::UnknownProc);
    t[0] = &TmwGeneralSyn::NullProc;
    for (int c = 1; c <= 32; ++c) t[c] = &TmwGeneralSyn::SpaceProc;
    t['\n'] = &TmwGeneralSyn::LFProc;
    t['\r'] = &TmwGeneralSyn::CRProc;
    for (int c = 0; c < 256; ++c)
      if (IdentFlags()[c]) t[c] = c >= '0' && c <= '9' ? &TmwGeneralSyn::NumberProc : &TmwGeneralSyn::IdentProc;
    t['$'] = &TmwGeneralSyn::HexProc;
    t['#'] = &TmwGeneralSyn::CharConstProc;
    t['\''] = &TmwGeneralSyn::StringProc;
    t['('] = &TmwGeneralSyn::RoundOpenProc;
    t['{'] = &TmwGeneralSyn::BraceOpenProc;
    t['/'] = &TmwGeneralSyn::SlashProc;
    t[';'] = &TmwGeneralSyn::SemiColonProc;
    return t;
  }();
  return Table;
}

const TClassInfo* TmwGeneralSyn::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TmwGeneralSyn, TmwCustomHighLighter>("TmwGeneralSyn")
                                     .Prop("Comments", &TmwGeneralSyn::Comments, &TmwGeneralSyn::SetComments)
                                     .Prop("CommentAttri", &TmwGeneralSyn::CommentAttri, nullptr)
                                     .Prop("IdentifierAttri", &TmwGeneralSyn::IdentifierAttri, nullptr)
                                     .Prop("KeyAttri", &TmwGeneralSyn::KeyAttri, nullptr)
                                     .Prop("KeyWords", &TmwGeneralSyn::KeyWords, &TmwGeneralSyn::SetKeyWords)
                                     .Prop("NumberAttri", &TmwGeneralSyn::NumberAttri, nullptr)
                                     .Prop("SpaceAttri", &TmwGeneralSyn::SpaceAttri, nullptr)
                                     .Prop("StringAttri", &TmwGeneralSyn::StringAttri, nullptr)
                                     .Prop("SymbolAttri", &TmwGeneralSyn::SymbolAttri, nullptr)
                                     .Build();
  return &Info;
}

TmwGeneralSyn::TmwGeneralSyn(TComponent* AOwner)
    : TmwCustomHighLighter(AOwner), FKeyWords(std::make_unique<TByteOrderStringList>()) {
  FKeyWords->SetSorted(true);
  FKeyWords->SetDuplicates(dupIgnore);
  const char* names[] = {"comment", "identifier", "number", "reserved word", "space", "string", "symbol"};
  for (std::size_t i = 0; i < FAttri.size(); ++i) {
    FAttri[i] = std::make_unique<TmwHighLightAttributes>(names[i]);
    FAttri[i]->OnChange = [this](TObject* Sender) { DefHighlightChange(Sender); };
  }
  CommentAttri()->SetStyle({fsItalic});
  KeyAttri()->SetStyle({fsBold});
}

TmwGeneralSyn::~TmwGeneralSyn() = default;

TmwHighLightAttributes* TmwGeneralSyn::GetAttribute(int Index) const {
  return Index >= 0 && Index < GetAttribCount() ? FAttri[Index].get() : nullptr;
}

TStrings* TmwGeneralSyn::KeyWords() const { return FKeyWords.get(); }

void TmwGeneralSyn::SetKeyWords(TStrings* Value) {
  if (Value) {
    TStringList upper;
    for (int i = 0; i < Value->Count(); ++i) upper.Add(UpperCase(Value->Strings(i)));
    auto* sorted = dynamic_cast<TStringList*>(Value);
    if (sorted && sorted->Sorted()) {
      // A sorted list refuses lines changed in place: it takes the capitals whole.
      sorted->Assign(&upper);
    } else {
      Value->BeginUpdate();
      for (int i = 0; i < Value->Count(); ++i)
        if (Value->Strings(i) != upper[i]) Value->SetStrings(i, upper[i]);
      Value->EndUpdate();
    }
    FKeyWords->Assign(&upper);
  } else {
    FKeyWords->Clear();
  }
  AttachedEdits().InvalidateAll();
}

void TmwGeneralSyn::SetComments(CommentStyles Value) {
  FComments = Value;
  AttachedEdits().InvalidateAll();
}

bool TmwGeneralSyn::LoadFromRegistry(TRegRootKey RootKey, const std::string& Key) {
  try {
    TBetterRegistry reg;
    reg.SetRootKey(RootKey);
    if (!reg.OpenKeyReadOnly(Key)) return false;
    std::string text;
    if (reg.ReadString("KeyWords", text)) {
      // Normalised as the property setter does it, so that every stored word matches
      // however it was written.
      TStringList words;
      words.SetText(text);
      SetKeyWords(&words);
    }
  } catch (const std::exception&) {
    return false;
  }
  return TmwCustomHighLighter::LoadFromRegistry(RootKey, Key);
}

bool TmwGeneralSyn::SaveToRegistry(TRegRootKey RootKey, const std::string& Key) {
  try {
    TBetterRegistry reg;
    reg.SetRootKey(RootKey);
    if (!reg.OpenKey(Key, true) || !reg.WriteString("KeyWords", FKeyWords->Text())) return false;
  } catch (const std::exception&) {
    return false;
  }
  return TmwCustomHighLighter::SaveToRegistry(RootKey, Key);
}

void TmwGeneralSyn::SetLine(const std::string& NewValue) {
  FLine = NewValue.c_str();
  FLen = NewValue.size();
  FRun = 0;
  Next();
}

void TmwGeneralSyn::SetRange(TmwRange Value) {
  FRange = Value >= static_cast<TmwRange>(TGeneralRangeState::AnsiComment) &&
                   Value <= static_cast<TmwRange>(TGeneralRangeState::Unknown)
               ? static_cast<TGeneralRangeState>(Value)
               : TGeneralRangeState::Unknown;
}

void TmwGeneralSyn::Next() {
  FTokenPos = FRun;
  if (FRange == TGeneralRangeState::Unknown)
    (this->*Procs()[CharCode(FLine[FRun])])();
  else
    CommentContinue();
  if (FCanvas) {
    static constexpr int AttriOf[] = {0, 1, 3, -1, 2, 4, 5, 6, 6};
    int a = AttriOf[static_cast<int>(FTokenKind)];
    if (a >= 0) FAttri[a]->ApplyTo(*FCanvas);
  }
}

void TmwGeneralSyn::Symbol(std::size_t Length) {
  FRun += Length;
  FTokenKind = TGeneralTokenKind::Symbol;
}

// A zero inside the line is a character of its own; only the terminating one ends the line.
void TmwGeneralSyn::NullProc() {
  if (FRun < FLen) {
    ++FRun;
    FTokenKind = TGeneralTokenKind::Unknown;
  } else {
    FTokenKind = TGeneralTokenKind::Null;
  }
}

void TmwGeneralSyn::SpaceProc() {
  while (IsBlank(FLine[FRun])) ++FRun;
  FTokenKind = TGeneralTokenKind::Space;
}

void TmwGeneralSyn::LFProc() {
  ++FRun;
  FTokenKind = TGeneralTokenKind::Space;
}

void TmwGeneralSyn::CRProc() {
  ++FRun;
  if (FLine[FRun] == '\n') ++FRun;
  FTokenKind = TGeneralTokenKind::Space;
}

// Binary search of the list by byte.
bool TmwGeneralSyn::IsKeyWord(const std::string& Word) const {
  int low = 0, high = FKeyWords->Count() - 1;
  while (low <= high) {
    int middle = (low + high) / 2;
    int c = FKeyWords->Strings(middle).compare(Word);
    if (c == 0) return true;
    if (c < 0)
      low = middle + 1;
    else
      high = middle - 1;
  }
  return false;
}

void TmwGeneralSyn::IdentProc() {
  std::size_t start = FRun;
  while (IdentFlags()[CharCode(FLine[FRun])]) ++FRun;
  FTokenKind = IsKeyWord(UpperCase(std::string_view(FLine + start, FRun - start))) ? TGeneralTokenKind::Key
                                                                                   : TGeneralTokenKind::Identifier;
}

void TmwGeneralSyn::NumberProc() {
  ++FRun;
  for (char c = FLine[FRun]; (c >= '0' && c <= '9') || c == 'E' || c == 'e' || c == '.'; c = FLine[++FRun])
    if (c == '.' && FLine[FRun + 1] == '.') break;
  FTokenKind = TGeneralTokenKind::Number;
}

void TmwGeneralSyn::HexProc() {
  static const TCharFlags HexChars = MakeCharFlags("", {"09", "AF", "af"});
  ++FRun;
  while (HexChars[CharCode(FLine[FRun])]) ++FRun;
  FTokenKind = TGeneralTokenKind::Number;
}

void TmwGeneralSyn::CharConstProc() {
  ++FRun;
  while (FLine[FRun] >= '0' && FLine[FRun] <= '9') ++FRun;
  FTokenKind = TGeneralTokenKind::String;
}

// To the closing quote or the end of the line, as in Pascal.
void TmwGeneralSyn::StringProc() {
  FTokenKind = TGeneralTokenKind::String;
  if (FLine[FRun + 1] == '\'' && FLine[FRun + 2] == '\'') FRun += 2;
  do {
    if (IsLineEnd(FLine[FRun])) break;
    ++FRun;
  } while (FLine[FRun] != '\'');
  if (FLine[FRun] != 0) ++FRun;
}

void TmwGeneralSyn::RoundOpenProc() {
  if (!FComments.Contains(csAnsiStyle)) return Symbol(1);
  switch (FLine[FRun + 1]) {
    case '*':
      FRange = TGeneralRangeState::AnsiComment;
      FRun += 2;
      CommentBody();
      break;
    case '.':
      Symbol(2);
      break;
    default:
      Symbol(1);
  }
}

void TmwGeneralSyn::BraceOpenProc() {
  if (!FComments.Contains(csPasStyle)) return Symbol(1);
  FRange = TGeneralRangeState::PasComment;
  ++FRun;
  CommentBody();
}

void TmwGeneralSyn::SlashProc() {
  if (FLine[FRun + 1] == '/') {
    while (!IsLineEnd(FLine[FRun])) ++FRun;
    FTokenKind = TGeneralTokenKind::Comment;
  } else if (FLine[FRun + 1] == '*' && FComments.Contains(csCStyle)) {
    FRange = TGeneralRangeState::CComment;
    FRun += 2;
    CommentBody();
  } else {
    Symbol(1);
  }
}

void TmwGeneralSyn::SemiColonProc() {
  if (!FComments.Contains(csAsmStyle) && !FComments.Contains(csBasStyle)) return Symbol(1);
  while (FLine[FRun] != 0) ++FRun;
  FTokenKind = TGeneralTokenKind::Comment;
  FRange = TGeneralRangeState::Unknown;
}

void TmwGeneralSyn::UnknownProc() {
  ++FRun;
  FTokenKind = TGeneralTokenKind::Unknown;
}

// The rest of the comment of the current range on this line: up to and including its
// closer, or to the end of the line with the range kept.
void TmwGeneralSyn::CommentBody() {
  FTokenKind = TGeneralTokenKind::Comment;
  std::string_view closer = FRange == TGeneralRangeState::AnsiComment ? "*)"
                            : FRange == TGeneralRangeState::PasComment ? "}"
                                                                       : "*/";
  while (!IsLineEnd(FLine[FRun])) {
    if (LongestForm(FLine + FRun, {&closer, 1}) != 0) {
      FRun += closer.size();
      FRange = TGeneralRangeState::Unknown;
      return;
    }
    ++FRun;
  }
}

void TmwGeneralSyn::CommentContinue() {
  switch (FLine[FRun]) {
    case 0: NullProc(); break;
    case '\n': LFProc(); break;
    case '\r': CRProc(); break;
    default: CommentBody();
  }
}
