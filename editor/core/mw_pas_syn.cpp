#include "editor/core/mw_pas_syn.h"

#include "editor/core/ide_colors.h"

namespace {

// Tags of the keyword table: what a word does besides being reserved.
enum : std::uint8_t {
  Res,       // always reserved
  Asm,       // opens an assembler block
  End,       // ends an assembler block or a property declaration
  Prop,      // opens a property declaration
  Rtn,       // "function", "procedure": end a property declaration
  PropOnly,  // reserved only inside a property declaration
  Auto,      // "automated": reserved inside a property declaration, which it ends
  Vis        // visibility words: end a property declaration when they begin their line
};

const TCharFlags& IdentFlags() {
  static const TCharFlags Flags = MakeCharFlags("_", {"09", "AZ", "az"});
  return Flags;
}

const TCharFlags& LetterFlags() {
  static const TCharFlags Flags = MakeCharFlags("", {"AZ", "az"});
  return Flags;
}

// Both cases of a letter weigh 1..26; "_" weighs 31, so that no letter matches it, and
// everything else, the digits included, nothing.
const TCharWeights& Weights() {
  static const TCharWeights W = [] {
    TCharWeights w{};
    for (int c = 'A'; c <= 'Z'; ++c) w[c] = w[c + 32] = c - 64;
    w['_'] = 31;
    return w;
  }();
  return W;
}

}  // namespace

const TKeywordHash& TmwPasSyn::Keywords() {
  static const TKeywordHash Table(Weights(), 192, TKeywordHash::kcWeights, {{
    {"Absolute", Res}, {"Abstract", Res}, {"And", Res}, {"Array", Res}, {"As", Res}, {"Asm", Asm},
    {"Assembler", Res}, {"Begin", Res}, {"Case", Res}, {"Cdecl", Res}, {"Class", Res},
    {"Const", Res}, {"Constructor", Res}, {"Default", Res}, {"Destructor", Res}, {"Dispid", Res},
    {"Dispinterface", Res}, {"Div", Res}, {"Do", Res}, {"Downto", Res}, {"Dynamic", Res},
    {"Else", Res}, {"End", End}, {"Except", Res}, {"Export", Res}, {"Exports", Res},
    {"External", Res}, {"Far", Res}, {"File", Res}, {"Finalization", Res}, {"Finally", Res},
    {"For", Res}, {"Forward", Res}, {"Function", Rtn}, {"Goto", Res}, {"If", Res},
    {"Implementation", Res}, {"In", Res}, {"Inherited", Res}, {"Initialization", Res},
    {"Inline", Res}, {"Interface", Res}, {"Is", Res}, {"Label", Res}, {"Library", Res},
    {"Message", Res}, {"Mod", Res}, {"Near", Res}, {"Nil", Res}, {"Not", Res}, {"Object", Res},
    {"Of", Res}, {"Or", Res}, {"Out", Res}, {"Override", Res}, {"Packed", Res}, {"Pascal", Res},
    {"Private", Vis}, {"Procedure", Rtn}, {"Program", Res}, {"Property", Prop}, {"Protected", Vis},
    {"Public", Vis}, {"Published", Vis}, {"Raise", Res}, {"Record", Res}, {"Register", Res},
    {"Repeat", Res}, {"Resourcestring", Res}, {"Safecall", Res}, {"Set", Res}, {"Shl", Res},
    {"Shr", Res}, {"Stdcall", Res}, {"String", Res}, {"Stringresource", Res}, {"Then", Res},
    {"Threadvar", Res}, {"To", Res}, {"Try", Res}, {"Type", Res}, {"Unit", Res}, {"Until", Res},
    {"Uses", Res}, {"Var", Res}, {"Virtual", Res}, {"While", Res}, {"With", Res}, {"Xor", Res},
    {"Read", PropOnly}, {"Write", PropOnly}, {"Index", PropOnly}, {"Stored", PropOnly},
    {"Readonly", PropOnly}, {"Writeonly", PropOnly}, {"Nodefault", PropOnly}, {"Automated", Auto},
  }});
  return Table;
}

const std::array<TmwPasSyn::TProc, 256>& TmwPasSyn::Procs() {
  static const std::array<TProc, 256> Table = [] {
    std::array<TProc, 256> t = CommonProcs<TmwPasSyn>(IdentFlags(), &TmwPasSyn::IdentProc, &TmwPasSyn::NumberProc);
    for (char c : std::string_view("!\"%&)*+,-;=?[\\]^`}~")) t[CharCode(c)] = &TmwPasSyn::SymbolProc;
    t['$'] = &TmwPasSyn::DollarHexNumber;
    t['#'] = &TmwPasSyn::CharCodeConstant;
    t['\''] = &TmwPasSyn::PascalString;
    t['{'] = &TmwPasSyn::BraceOpenProc;
    t['('] = &TmwPasSyn::RoundOpenProc;
    t['/'] = &TmwPasSyn::SlashProc;
    t[':'] = &TmwPasSyn::ColonProc;
    t['<'] = &TmwPasSyn::LowerProc;
    t['>'] = &TmwPasSyn::GreaterProc;
    t['.'] = &TmwPasSyn::PointProc;
    t['@'] = &TmwPasSyn::AtProc;
    return t;
  }();
  return Table;
}

const TClassInfo* TmwPasSyn::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TmwPasSyn, TmwCustomHighLighter>("TmwPasSyn")
                                     .Prop("AsmAttri", &TmwPasSyn::AsmAttri, nullptr)
                                     .Prop("CommentAttri", &TmwPasSyn::CommentAttri, nullptr)
                                     .Prop("IdentifierAttri", &TmwPasSyn::IdentifierAttri, nullptr)
                                     .Prop("KeyAttri", &TmwPasSyn::KeyAttri, nullptr)
                                     .Prop("NumberAttri", &TmwPasSyn::NumberAttri, nullptr)
                                     .Prop("SpaceAttri", &TmwPasSyn::SpaceAttri, nullptr)
                                     .Prop("StringAttri", &TmwPasSyn::StringAttri, nullptr)
                                     .Prop("SymbolAttri", &TmwPasSyn::SymbolAttri, nullptr)
                                     .Build();
  return &Info;
}

TmwPasSyn::TmwPasSyn(TComponent* AOwner) : TmwTokenScanner(AOwner) {
  AddAttributes({"assembler", "comment", "identifier", "number", "reserved word", "space", "string", "symbol"});
  CommentAttri()->SetStyle({fsItalic});
  KeyAttri()->SetStyle({fsBold});
  SetDefaultFilter("Pascal files (*.pas,*.inc)|*.PAS;*.INC");
}

TmwPasSyn::~TmwPasSyn() = default;

TmwIdentChars TmwPasSyn::GetIdentChars() const { return IdentCharsOf(IdentFlags()); }

TmwHighlighterCapabilities TmwPasSyn::GetCapability() const {
  return TmwCustomHighLighter::GetCapability() + TmwHighlighterCapabilities{hcUserSettings};
}

void TmwPasSyn::SetRange(TmwRange Value) {
  FRange = RangeOf(Value, TPasRangeState::AnsiComment, TPasRangeState::Unknown, TPasRangeState::Unknown);
}

TPasTokenKind TmwPasSyn::GetEffectiveKind() const {
  if (FRange == TPasRangeState::Asm && !FAsmStart && FTokenKind != TPasTokenKind::Comment &&
      FTokenKind != TPasTokenKind::Null && FTokenKind != TPasTokenKind::Space)
    return TPasTokenKind::Asm;
  return FTokenKind;
}

void TmwPasSyn::Next() {
  FAsmStart = false;
  FTokenPos = FRun;
  switch (FRange) {
    case TPasRangeState::AnsiComment:
    case TPasRangeState::AsmAnsiComment:
    case TPasRangeState::BorComment:
    case TPasRangeState::AsmBorComment:
      if (LineEndProc()) break;
      if (FRange == TPasRangeState::BorComment || FRange == TPasRangeState::AsmBorComment)
        BorBody();
      else
        AnsiBody();
      break;
    default:
      (this->*Procs()[CharCode(FLine[FRun])])();
  }
  static constexpr int AttriOf[] = {0, 1, 2, 4, -1, 3, 5, 6, 7, 7};
  PaintToken(AttriOf[static_cast<int>(GetEffectiveKind())]);
}

// Whether only blanks and control characters stand before Pos on the line.
bool TmwPasSyn::StartsLine(std::size_t Pos) const {
  for (std::size_t i = 0; i < Pos; ++i)
    if (CharCode(FLine[i]) < 1 || CharCode(FLine[i]) > 32) return false;
  return true;
}

// A word matches a keyword when it consists of exactly the keyword's letters, in any case:
// a digit or "_" right after the letters joins the compared text and, weighing what no
// letter weighs, spoils the match.
void TmwPasSyn::IdentProc() {
  const TCharFlags& letter = LetterFlags();
  const TCharWeights& weight = Weights();
  std::size_t start = FRun, p = FRun;
  std::uint32_t sum = 0;
  while (letter[CharCode(FLine[p])]) sum += weight[CharCode(FLine[p++])];
  if ((FLine[p] >= '0' && FLine[p] <= '9') || FLine[p] == '_') ++p;
  FTokenKind = TPasTokenKind::Identifier;
  if (const TKeywordHash::TKeyword* k = Keywords().Find(sum, {FLine + start, p - start})) {
    bool inProperty = FRange == TPasRangeState::Property;
    switch (k->Tag) {
      case Asm:
        FRange = TPasRangeState::Asm;
        FAsmStart = true;
        break;
      case End:
      case Rtn:
        FRange = TPasRangeState::Unknown;
        break;
      case Prop:
        FRange = TPasRangeState::Property;
        break;
      case Auto:
        if (inProperty) FRange = TPasRangeState::Unknown;
        break;
      case Vis:
        if (StartsLine(start)) FRange = TPasRangeState::Unknown;
        break;
    }
    if ((k->Tag != PropOnly && k->Tag != Auto) || inProperty) FTokenKind = TPasTokenKind::Key;
  }
  FRun = p;
  while (IdentFlags()[CharCode(FLine[FRun])]) ++FRun;
}

void TmwPasSyn::NumberProc() {
  static const TCharFlags NumberChars = MakeCharFlags(".Ee", {"09"});
  ScanNumber(FRun, NumberChars, false);
}

void TmwPasSyn::BraceOpenProc() {
  FRange = FRange == TPasRangeState::Asm ? TPasRangeState::AsmBorComment : TPasRangeState::BorComment;
  ++FRun;
  BorBody();
}

void TmwPasSyn::RoundOpenProc() {
  switch (FLine[FRun + 1]) {
    case '*':
      FRange = FRange == TPasRangeState::Asm ? TPasRangeState::AsmAnsiComment : TPasRangeState::AnsiComment;
      FRun += 2;
      AnsiBody();
      break;
    case '.':
      Symbol(2);
      break;
    default:
      Symbol(1);
  }
}

void TmwPasSyn::SlashProc() {
  if (FLine[FRun + 1] == '/')
    ToLineEnd(TPasTokenKind::Comment);
  else
    Symbol(1);
}

void TmwPasSyn::ColonProc() { Symbol(FLine[FRun + 1] == '=' ? 2 : 1); }

void TmwPasSyn::LowerProc() { Symbol(FLine[FRun + 1] == '=' || FLine[FRun + 1] == '>' ? 2 : 1); }

void TmwPasSyn::GreaterProc() { Symbol(FLine[FRun + 1] == '=' ? 2 : 1); }

void TmwPasSyn::PointProc() { Symbol(FLine[FRun + 1] == ')' || FLine[FRun + 1] == '.' ? 2 : 1); }

void TmwPasSyn::AtProc() { Symbol(FLine[FRun + 1] == '@' ? 2 : 1); }

void TmwPasSyn::SymbolProc() { Symbol(1); }

// The rest of a "(*" comment on this line: up to and including "*)", or to the end of the
// line with the range kept.
void TmwPasSyn::AnsiBody() {
  FTokenKind = TPasTokenKind::Comment;
  if (ScanToCloser("*)"))
    FRange = FRange == TPasRangeState::AsmAnsiComment ? TPasRangeState::Asm : TPasRangeState::Unknown;
}

// The rest of a "{" comment on this line.
void TmwPasSyn::BorBody() {
  FTokenKind = TPasTokenKind::Comment;
  if (ScanToCloser("}"))
    FRange = FRange == TPasRangeState::AsmBorComment ? TPasRangeState::Asm : TPasRangeState::Unknown;
}

void TmwPasSyn::EnumUserSettings(TStrings* Settings) { EnumIDEVersions("\\SOFTWARE\\Orvendal\\Morvane", Settings); }

bool TmwPasSyn::UseUserSettings(int SettingIndex) {
  TStringList versions;
  EnumUserSettings(&versions);
  if (SettingIndex < 0 || SettingIndex >= versions.Count()) return false;
  std::string version = versions[SettingIndex];
  bool old = !version.empty() && (version[0] == '2' || version[0] == '3');
  std::string key = "\\Software\\Orvendal\\Morvane\\" + version + (old ? "\\Highlight" : "\\Editor\\Highlight");
  return ImportIDEColors({{AsmAttri(), "Assembler"},
                          {CommentAttri(), "Comment"},
                          {IdentifierAttri(), "Identifier"},
                          {KeyAttri(), "Reserved word"},
                          {NumberAttri(), "Number"},
                          {SpaceAttri(), "Whitespace"},
                          {StringAttri(), "String"},
                          {SymbolAttri(), "Symbol"}},
                         key, old);
}
