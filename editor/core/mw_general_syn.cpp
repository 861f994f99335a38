#include "editor/core/mw_general_syn.h"

#include <exception>

#include "classlib/core/sys_utils.h"

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
    std::array<TProc, 256> t =
        CommonProcs<TmwGeneralSyn>(IdentFlags(), &TmwGeneralSyn::IdentProc, &TmwGeneralSyn::NumberProc);
    t['$'] = &TmwGeneralSyn::DollarHexNumber;
    t['#'] = &TmwGeneralSyn::CharCodeConstant;
    t['\''] = &TmwGeneralSyn::PascalString;
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
    : TmwTokenScanner(AOwner), FKeyWords(std::make_unique<TByteOrderStringList>()) {
  FKeyWords->SetSorted(true);
  FKeyWords->SetDuplicates(dupIgnore);
  AddAttributes({"comment", "identifier", "number", "reserved word", "space", "string", "symbol"});
  CommentAttri()->SetStyle({fsItalic});
  KeyAttri()->SetStyle({fsBold});
}

TmwGeneralSyn::~TmwGeneralSyn() = default;

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

void TmwGeneralSyn::SetRange(TmwRange Value) {
  FRange = RangeOf(Value, TGeneralRangeState::AnsiComment, TGeneralRangeState::Unknown, TGeneralRangeState::Unknown);
}

void TmwGeneralSyn::Next() {
  FTokenPos = FRun;
  if (FRange == TGeneralRangeState::Unknown)
    (this->*Procs()[CharCode(FLine[FRun])])();
  else if (!LineEndProc())
    CommentBody();
  static constexpr int AttriOf[] = {0, 1, 3, -1, 2, 4, 5, 6, 6};
  PaintToken(AttriOf[static_cast<int>(FTokenKind)]);
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

// As in Pascal.
void TmwGeneralSyn::NumberProc() {
  static const TCharFlags NumberChars = MakeCharFlags(".Ee", {"09"});
  ScanNumber(FRun, NumberChars, false);
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
    ToLineEnd(TGeneralTokenKind::Comment);
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

// The rest of the comment of the current range on this line: up to and including its
// closer, or to the end of the line with the range kept.
void TmwGeneralSyn::CommentBody() {
  FTokenKind = TGeneralTokenKind::Comment;
  std::string_view closer = FRange == TGeneralRangeState::AnsiComment ? "*)"
                            : FRange == TGeneralRangeState::PasComment ? "}"
                                                                       : "*/";
  if (ScanToCloser(closer)) FRange = TGeneralRangeState::Unknown;
}
