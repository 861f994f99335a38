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
    std::array<TProc, 256> t;
    t.fill(&TmwPasSyn::UnknownProc);
    t[0] = &TmwPasSyn::NullProc;
    for (int c = 1; c <= 32; ++c) t[c] = &TmwPasSyn::SpaceProc;
    t['\n'] = &TmwPasSyn::LFProc;
    t['\r'] = &TmwPasSyn::CRProc;
    for (int c = 0; c < 256; ++c)
      if (IdentFlags()[c]) t[c] = c >= '0' && c <= '9' ? &TmwPasSyn::NumberProc : &TmwPasSyn::IdentProc;
    for (char c : std::string_view("!\"%&)*+,-;=?[\\]^`}~")) t[CharCode(c)] = &TmwPasSyn::SymbolProc;
    t['$'] = &TmwPasSyn::HexProc;
    t['#'] = &TmwPasSyn::CharConstProc;
    t['\''] = &TmwPasSyn::StringProc;
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

TmwPasSyn::TmwPasSyn(TComponent* AOwner) : TmwCustomHighLighter(AOwner) {
  const char* names[] = {"assembler", "comment", "identifier", "number",
                         "reserved word", "space", "string", "symbol"};
  for (std::size_t i = 0; i < FAttri.size(); ++i) {
    FAttri[i] = std::make_unique<TmwHighLightAttributes>(names[i]);
    FAttri[i]->OnChange = [this](TObject* Sender) { DefHighlightChange(Sender); };
  }
  CommentAttri()->SetStyle({fsItalic});
  KeyAttri()->SetStyle({fsBold});
  SetDefaultFilter("Pascal files (*.pas,*.inc)|*.PAS;*.INC");
}

TmwPasSyn::~TmwPasSyn() = default;

TmwIdentChars TmwPasSyn::GetIdentChars() const {
  TmwIdentChars chars;
  for (int c = 0; c < 256; ++c) chars.set(c, IdentFlags()[c]);
  return chars;
}

TmwHighLightAttributes* TmwPasSyn::GetAttribute(int Index) const {
  return Index >= 0 && Index < GetAttribCount() ? FAttri[Index].get() : nullptr;
}

TmwHighlighterCapabilities TmwPasSyn::GetCapability() const {
  return TmwCustomHighLighter::GetCapability() + TmwHighlighterCapabilities{hcUserSettings};
}

void TmwPasSyn::SetLine(const std::string& NewValue) {
  FLine = NewValue.c_str();
  FLen = NewValue.size();
  FRun = 0;
  Next();
}

void TmwPasSyn::SetRange(TmwRange Value) {
  FRange = Value >= static_cast<TmwRange>(TPasRangeState::AnsiComment) &&
                   Value <= static_cast<TmwRange>(TPasRangeState::Unknown)
               ? static_cast<TPasRangeState>(Value)
               : TPasRangeState::Unknown;
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
      CommentContinue();
      break;
    default:
      (this->*Procs()[CharCode(FLine[FRun])])();
  }
  if (FCanvas) {
    static constexpr int AttriOf[] = {0, 1, 2, 4, -1, 3, 5, 6, 7, 7};
    int a = AttriOf[static_cast<int>(GetEffectiveKind())];
    if (a >= 0) FAttri[a]->ApplyTo(*FCanvas);
  }
}

void TmwPasSyn::Symbol(std::size_t Length) {
  FRun += Length;
  FTokenKind = TPasTokenKind::Symbol;
}

// A zero inside the line is a character of its own; only the terminating one ends the line.
void TmwPasSyn::NullProc() {
  if (FRun < FLen) {
    ++FRun;
    FTokenKind = TPasTokenKind::Unknown;
  } else {
    FTokenKind = TPasTokenKind::Null;
  }
}

void TmwPasSyn::SpaceProc() {
  while (IsBlank(FLine[FRun])) ++FRun;
  FTokenKind = TPasTokenKind::Space;
}

void TmwPasSyn::LFProc() {
  ++FRun;
  FTokenKind = TPasTokenKind::Space;
}

void TmwPasSyn::CRProc() {
  ++FRun;
  if (FLine[FRun] == '\n') ++FRun;
  FTokenKind = TPasTokenKind::Space;
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
  ++FRun;
  for (char c = FLine[FRun]; (c >= '0' && c <= '9') || c == 'E' || c == 'e' || c == '.'; c = FLine[++FRun])
    if (c == '.' && FLine[FRun + 1] == '.') break;
  FTokenKind = TPasTokenKind::Number;
}

void TmwPasSyn::HexProc() {
  static const TCharFlags HexChars = MakeCharFlags("", {"09", "AF", "af"});
  ++FRun;
  while (HexChars[CharCode(FLine[FRun])]) ++FRun;
  FTokenKind = TPasTokenKind::Number;
}

void TmwPasSyn::CharConstProc() {
  ++FRun;
  while (FLine[FRun] >= '0' && FLine[FRun] <= '9') ++FRun;
  FTokenKind = TPasTokenKind::String;
}

// To the closing quote or the end of the line. A doubled quote inside ends one token and
// starts the next; both are strings.
void TmwPasSyn::StringProc() {
  FTokenKind = TPasTokenKind::String;
  if (FLine[FRun + 1] == '\'' && FLine[FRun + 2] == '\'') FRun += 2;
  do {
    if (IsLineEnd(FLine[FRun])) break;
    ++FRun;
  } while (FLine[FRun] != '\'');
  if (FLine[FRun] != 0) ++FRun;
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
  if (FLine[FRun + 1] == '/') {
    while (!IsLineEnd(FLine[FRun])) ++FRun;
    FTokenKind = TPasTokenKind::Comment;
  } else {
    Symbol(1);
  }
}

void TmwPasSyn::ColonProc() { Symbol(FLine[FRun + 1] == '=' ? 2 : 1); }

void TmwPasSyn::LowerProc() { Symbol(FLine[FRun + 1] == '=' || FLine[FRun + 1] == '>' ? 2 : 1); }

void TmwPasSyn::GreaterProc() { Symbol(FLine[FRun + 1] == '=' ? 2 : 1); }

void TmwPasSyn::PointProc() { Symbol(FLine[FRun + 1] == ')' || FLine[FRun + 1] == '.' ? 2 : 1); }

void TmwPasSyn::AtProc() { Symbol(FLine[FRun + 1] == '@' ? 2 : 1); }

void TmwPasSyn::SymbolProc() { Symbol(1); }

void TmwPasSyn::UnknownProc() {
  ++FRun;
  FTokenKind = TPasTokenKind::Unknown;
}

// The rest of a "(*" comment on this line: up to and including "*)", or to the end of the
// line with the range kept.
void TmwPasSyn::AnsiBody() {
  FTokenKind = TPasTokenKind::Comment;
  while (!IsLineEnd(FLine[FRun])) {
    if (FLine[FRun] == '*' && FLine[FRun + 1] == ')') {
      FRun += 2;
      FRange = FRange == TPasRangeState::AsmAnsiComment ? TPasRangeState::Asm : TPasRangeState::Unknown;
      return;
    }
    ++FRun;
  }
}

// The rest of a "{" comment on this line.
void TmwPasSyn::BorBody() {
  FTokenKind = TPasTokenKind::Comment;
  while (!IsLineEnd(FLine[FRun])) {
    if (FLine[FRun++] == '}') {
      FRange = FRange == TPasRangeState::AsmBorComment ? TPasRangeState::Asm : TPasRangeState::Unknown;
      return;
    }
  }
}

void TmwPasSyn::CommentContinue() {
  switch (FLine[FRun]) {
    case 0: NullProc(); break;
    case '\n': LFProc(); break;
    case '\r': CRProc(); break;
    default:
      if (FRange == TPasRangeState::BorComment || FRange == TPasRangeState::AsmBorComment)
        BorBody();
      else
        AnsiBody();
  }
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
