#include "editor/core/dcj_cpp_syn.h"

#include "editor/core/ide_colors.h"

namespace {

// Tags of the keyword table: a reserved word, or one that opens an assembler statement.
enum : std::uint8_t { R, A };

const TCharFlags& IdentFlags() {
  static const TCharFlags Flags = MakeCharFlags("_", {"09", "AZ", "az"});
  return Flags;
}

// "A".."Z" weigh 1..26, "a".."z" 2..27; "_", the digits and everything else nothing.
const TCharWeights& Weights() {
  static const TCharWeights W = [] {
    TCharWeights w{};
    for (int c = 'A'; c <= 'Z'; ++c) w[c] = c - 64;
    for (int c = 'a'; c <= 'z'; ++c) w[c] = c - 95;
    return w;
  }();
  return W;
}

// The operators that the operator procedure forms; the longest that fits is taken.
constexpr std::string_view Operators[] = {
    "&&", "&=", "::", "==", ">=", ">>", ">>=", "<=", "<<", "<<=", "--", "-=", "->", "%=", "!=", "|=",
    "||", "++", "+=", "...", "*=", "^=", ",", ".", ":", "?", "~", "(", ")", "[", "]", "!",
    "%", "&", "*", "+", "-", "<", "=", ">", "^", "|"};

}  // namespace

const TKeywordHash& TDcjCppSyn::Keywords() {
  static const TKeywordHash Table(Weights(), 207, TKeywordHash::kcBytes, {{
    {"__asm", A}, {"__automated", R}, {"__cdecl", R}, {"__classid", R}, {"__closure", R},
    {"__declspec", R}, {"__dispid", R}, {"__except", R}, {"__export", R}, {"__fastcall", R},
    {"__finally", R}, {"__import", R}, {"__int16", R}, {"__int32", R}, {"__int64", R},
    {"__int8", R}, {"__pascal", R}, {"__property", R}, {"__published", R}, {"__rtti", R},
    {"__stdcall", R}, {"__thread", R}, {"__try", R}, {"_asm", A}, {"_cdecl", R}, {"_export", R},
    {"_fastcall", R}, {"_import", R}, {"_pascal", R}, {"_stdcall", R}, {"asm", A}, {"auto", R},
    {"bool", R}, {"break", R}, {"case", R}, {"catch", R}, {"cdecl", R}, {"char", R}, {"class", R},
    {"const", R}, {"const_cast", R}, {"continue", R}, {"default", R}, {"delete", R}, {"do", R},
    {"double", R}, {"dynamic_cast", R}, {"else", R}, {"enum", R}, {"explicit", R}, {"extern", R},
    {"false", R}, {"float", R}, {"for", R}, {"friend", R}, {"goto", R}, {"if", R}, {"inline", R},
    {"int", R}, {"long", R}, {"mutable", R}, {"namespace", R}, {"new", R}, {"operator", R},
    {"pascal", R}, {"private", R}, {"protected", R}, {"public", R}, {"register", R},
    {"reinterpret_cast", R}, {"return", R}, {"short", R}, {"signed", R}, {"sizeof", R},
    {"static", R}, {"static_cast", R}, {"struct", R}, {"switch", R}, {"template", R}, {"this", R},
    {"throw", R}, {"true", R}, {"try", R}, {"typedef", R}, {"typeid", R}, {"typename", R},
    {"union", R}, {"unsigned", R}, {"using", R}, {"virtual", R}, {"void", R}, {"volatile", R},
    {"wchar_t", R}, {"while", R},
  }});
  return Table;
}

const std::array<TDcjCppSyn::TProc, 256>& TDcjCppSyn::Procs() {
  static const std::array<TProc, 256> Table = [] {
    std::array<TProc, 256> t;
    t.fill(&TDcjCppSyn::UnknownProc);
    t[0] = &TDcjCppSyn::NullProc;
    for (int c = 1; c <= 32; ++c) t[c] = &TDcjCppSyn::SpaceProc;
    t['\n'] = &TDcjCppSyn::LFProc;
    t['\r'] = &TDcjCppSyn::CRProc;
    for (int c = 0; c < 256; ++c)
      if (IdentFlags()[c]) t[c] = c >= '0' && c <= '9' ? &TDcjCppSyn::NumberProc : &TDcjCppSyn::IdentProc;
    for (std::string_view op : Operators) t[CharCode(op[0])] = &TDcjCppSyn::OperatorProc;
    t['"'] = &TDcjCppSyn::StringProc;
    t['\''] = &TDcjCppSyn::CharProc;
    t['#'] = &TDcjCppSyn::DirectiveProc;
    t['/'] = &TDcjCppSyn::SlashProc;
    t['@'] = &TDcjCppSyn::AtProc;
    t['{'] = &TDcjCppSyn::BraceOpenProc;
    t['}'] = &TDcjCppSyn::BraceCloseProc;
    t[';'] = &TDcjCppSyn::SemiColonProc;
    return t;
  }();
  return Table;
}

const TClassInfo* TDcjCppSyn::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TDcjCppSyn, TmwCustomHighLighter>("TDcjCppSyn")
                                     .Prop("AsmAttri", &TDcjCppSyn::AsmAttri, nullptr)
                                     .Prop("CommentAttri", &TDcjCppSyn::CommentAttri, nullptr)
                                     .Prop("DirecAttri", &TDcjCppSyn::DirecAttri, nullptr)
                                     .Prop("IdentifierAttri", &TDcjCppSyn::IdentifierAttri, nullptr)
                                     .Prop("InvalidAttri", &TDcjCppSyn::InvalidAttri, nullptr)
                                     .Prop("KeyAttri", &TDcjCppSyn::KeyAttri, nullptr)
                                     .Prop("NumberAttri", &TDcjCppSyn::NumberAttri, nullptr)
                                     .Prop("SpaceAttri", &TDcjCppSyn::SpaceAttri, nullptr)
                                     .Prop("StringAttri", &TDcjCppSyn::StringAttri, nullptr)
                                     .Prop("SymbolAttri", &TDcjCppSyn::SymbolAttri, nullptr)
                                     .Build();
  return &Info;
}

TDcjCppSyn::TDcjCppSyn(TComponent* AOwner) : TmwCustomHighLighter(AOwner) {
  const char* names[] = {"assembler", "comment", "preprocessor", "identifier", "illegal char",
                         "reserved word", "number", "space", "string", "symbol"};
  for (std::size_t i = 0; i < FAttri.size(); ++i) {
    FAttri[i] = std::make_unique<TmwHighLightAttributes>(names[i]);
    FAttri[i]->OnChange = [this](TObject* Sender) { DefHighlightChange(Sender); };
  }
  CommentAttri()->SetStyle({fsItalic});
  KeyAttri()->SetStyle({fsBold});
  SpaceAttri()->SetForeground(clWindow);
  SetDefaultFilter("C++ files (*.cpp,*.h,*.hpp)|*.CPP;*.H;*.HPP");
}

TDcjCppSyn::~TDcjCppSyn() = default;

TmwIdentChars TDcjCppSyn::GetIdentChars() const {
  TmwIdentChars chars;
  for (int c = 0; c < 256; ++c) chars.set(c, IdentFlags()[c]);
  return chars;
}

TmwHighLightAttributes* TDcjCppSyn::GetAttribute(int Index) const {
  return Index >= 0 && Index < GetAttribCount() ? FAttri[Index].get() : nullptr;
}

TmwHighlighterCapabilities TDcjCppSyn::GetCapability() const {
  return TmwCustomHighLighter::GetCapability() + TmwHighlighterCapabilities{hcUserSettings};
}

void TDcjCppSyn::SetLine(const std::string& NewValue) {
  FLine = NewValue.c_str();
  FLen = NewValue.size();
  FRun = 0;
  Next();
}

void TDcjCppSyn::SetRange(TmwRange Value) {
  FRange = Value >= static_cast<TmwRange>(TCppRangeState::Comment) &&
                   Value <= static_cast<TmwRange>(TCppRangeState::Unknown)
               ? static_cast<TCppRangeState>(Value)
               : TCppRangeState::Unknown;
}

TCppTokenKind TDcjCppSyn::GetEffectiveKind() const {
  if ((FRange == TCppRangeState::Asm || FRange == TCppRangeState::AsmBlock) && !FAsmStart &&
      FTokenKind != TCppTokenKind::Comment && FTokenKind != TCppTokenKind::Null &&
      FTokenKind != TCppTokenKind::Space)
    return TCppTokenKind::Asm;
  return FTokenKind;
}

void TDcjCppSyn::Next() {
  FAsmStart = false;
  FTokenPos = FRun;
  switch (FRange) {
    case TCppRangeState::Comment:
    case TCppRangeState::AsmComment:
    case TCppRangeState::AsmBlockComment:
      CommentContinue();
      break;
    default:
      (this->*Procs()[CharCode(FLine[FRun])])();
  }
  if (FCanvas) {
    // Kinds are numbered in the order of the attributes, end of line aside.
    static constexpr int AttriOf[] = {0, 1, 2, 3, 5, -1, 6, 7, 8, 9, 4};
    int a = AttriOf[static_cast<int>(GetEffectiveKind())];
    if (a >= 0) FAttri[a]->ApplyTo(*FCanvas);
  }
}

// A zero inside the line is a character of its own; only the terminating one ends the line.
void TDcjCppSyn::NullProc() {
  if (FRun < FLen) {
    ++FRun;
    FTokenKind = TCppTokenKind::Unknown;
  } else {
    FTokenKind = TCppTokenKind::Null;
  }
}

void TDcjCppSyn::SpaceProc() {
  while (IsBlank(FLine[FRun])) ++FRun;
  FTokenKind = TCppTokenKind::Space;
}

void TDcjCppSyn::LFProc() {
  ++FRun;
  FTokenKind = TCppTokenKind::Space;
}

void TDcjCppSyn::CRProc() {
  ++FRun;
  if (FLine[FRun] == '\n') ++FRun;
  FTokenKind = TCppTokenKind::Space;
}

void TDcjCppSyn::IdentProc() {
  const TCharFlags& ident = IdentFlags();
  const TCharWeights& weight = Weights();
  std::size_t start = FRun;
  std::uint32_t sum = 0;
  while (ident[CharCode(FLine[FRun])]) sum += weight[CharCode(FLine[FRun++])];
  FTokenKind = TCppTokenKind::Identifier;
  if (const TKeywordHash::TKeyword* k = Keywords().Find(sum, {FLine + start, FRun - start})) {
    FTokenKind = TCppTokenKind::Key;
    if (k->Tag == A) {
      FRange = TCppRangeState::Asm;
      FAsmStart = true;
    }
  }
}

void TDcjCppSyn::NumberProc() {
  static const TCharFlags NumberChars = MakeCharFlags(".LUXlux", {"09", "AF", "af"});
  ++FRun;
  while (NumberChars[CharCode(FLine[FRun])] && !(FLine[FRun] == '.' && FLine[FRun + 1] == '.')) ++FRun;
  FTokenKind = TCppTokenKind::Number;
}

// From the opening quote to the closing one or the end of the line. A backslash escapes
// whatever character follows it, so that "\\" closes; one at the end of the line escapes
// nothing.
void TDcjCppSyn::QuotedProc(char Quote) {
  FTokenKind = TCppTokenKind::String;
  do {
    if (IsLineEnd(FLine[FRun])) break;
    if (FLine[FRun] == '\\' && FLine[FRun + 1] != 0) ++FRun;
    ++FRun;
  } while (FLine[FRun] != Quote);
  if (!IsLineEnd(FLine[FRun])) ++FRun;
}

void TDcjCppSyn::StringProc() {
  if (FLine[FRun + 1] == '"' && FLine[FRun + 2] == '"') FRun += 2;
  QuotedProc('"');
}

void TDcjCppSyn::CharProc() { QuotedProc('\''); }

void TDcjCppSyn::DirectiveProc() {
  while (!IsLineEnd(FLine[FRun])) ++FRun;
  FTokenKind = TCppTokenKind::Directive;
}

void TDcjCppSyn::SlashProc() {
  switch (FLine[FRun + 1]) {
    case '*':
      FTokenKind = TCppTokenKind::Comment;
      FRange = FRange == TCppRangeState::Asm        ? TCppRangeState::AsmComment
               : FRange == TCppRangeState::AsmBlock ? TCppRangeState::AsmBlockComment
                                                    : TCppRangeState::Comment;
      FRun += 2;
      CommentBody();
      break;
    case '/':
      while (!IsLineEnd(FLine[FRun])) ++FRun;
      FTokenKind = TCppTokenKind::Comment;
      break;
    case '=':
      FRun += 2;
      FTokenKind = TCppTokenKind::Symbol;
      break;
    default:
      ++FRun;
      FTokenKind = TCppTokenKind::Symbol;
  }
}

void TDcjCppSyn::AtProc() {
  ++FRun;
  FTokenKind = TCppTokenKind::Unknown;
}

void TDcjCppSyn::BraceOpenProc() {
  ++FRun;
  FTokenKind = TCppTokenKind::Symbol;
  if (FRange == TCppRangeState::Asm) {
    FRange = TCppRangeState::AsmBlock;
    FAsmStart = true;
  }
}

void TDcjCppSyn::BraceCloseProc() {
  ++FRun;
  FTokenKind = TCppTokenKind::Symbol;
  if (FRange == TCppRangeState::AsmBlock) FRange = TCppRangeState::Unknown;
}

void TDcjCppSyn::SemiColonProc() {
  ++FRun;
  FTokenKind = TCppTokenKind::Symbol;
  if (FRange == TCppRangeState::Asm) FRange = TCppRangeState::Unknown;
}

void TDcjCppSyn::OperatorProc() {
  FRun += LongestForm(FLine + FRun, Operators);
  FTokenKind = TCppTokenKind::Symbol;
}

void TDcjCppSyn::UnknownProc() {
  ++FRun;
  FTokenKind = TCppTokenKind::Unknown;
}

// The rest of a block comment on this line: up to and including "*/", or to the end of the
// line with the range kept.
void TDcjCppSyn::CommentBody() {
  FTokenKind = TCppTokenKind::Comment;
  while (!IsLineEnd(FLine[FRun])) {
    if (FLine[FRun] == '*' && FLine[FRun + 1] == '/') {
      FRun += 2;
      FRange = FRange == TCppRangeState::AsmComment        ? TCppRangeState::Asm
               : FRange == TCppRangeState::AsmBlockComment ? TCppRangeState::AsmBlock
                                                           : TCppRangeState::Unknown;
      return;
    }
    ++FRun;
  }
}

void TDcjCppSyn::CommentContinue() {
  switch (FLine[FRun]) {
    case 0: NullProc(); break;
    case '\n': LFProc(); break;
    case '\r': CRProc(); break;
    default: CommentBody();
  }
}

void TDcjCppSyn::EnumUserSettings(TStrings* Settings) { EnumIDEVersions("\\SOFTWARE\\Orvendal\\Palvex", Settings); }

bool TDcjCppSyn::UseUserSettings(int SettingIndex) {
  TStringList versions;
  EnumUserSettings(&versions);
  if (SettingIndex < 0 || SettingIndex >= versions.Count()) return false;
  std::string version = versions[SettingIndex];
  bool old = !version.empty() && version[0] == '1';
  std::string key = old ? "\\SOFTWARE\\Orvendal\\Palvex\\" + version + "\\Highlight"
                        : "\\Software\\Orvendal\\Palvex\\" + version + "\\Editor\\Highlight";
  return ImportIDEColors({{AsmAttri(), old ? "Plain text" : "Assembler"},
                          {CommentAttri(), "Comment"},
                          {IdentifierAttri(), "Identifier"},
                          {InvalidAttri(), "Illegal Char"},
                          {KeyAttri(), "Reserved word"},
                          {NumberAttri(), "Integer"},
                          {SpaceAttri(), "Whitespace"},
                          {StringAttri(), "String"},
                          {SymbolAttri(), "Symbol"},
                          {DirecAttri(), "Preprocessor"}},
                         key, old);
}
