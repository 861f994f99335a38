#include "editor/core/dcj_cpp_syn.h"

#include "editor/core/ide_colors.h"

namespace {

// Tags of the keyword table: a reserved word, or one that opens an assembler statement.
enum : std::uint8_t { R, A };

const TCharFlags& IdentFlags() {
  static const TCharFlags Flags = MakeCharFlags("_", {"09", "AZ", "az"});
  return Flags;
}

// The operators that the operator procedure forms; the longest that fits is taken.
constexpr std::string_view Operators[] = {
    "&&", "&=", "::", "==", ">=", ">>", ">>=", "<=", "<<", "<<=", "--", "-=", "->", "%=", "!=", "|=",
    "||", "++", "+=", "...", "*=", "^=", ",", ".", ":", "?", "~", "(", ")", "[", "]", "!",
    "%", "&", "*", "+", "-", "<", "=", ">", "^", "|"};

}  // namespace

const TKeywordHash& TDcjCppSyn::Keywords() {
  static const TKeywordHash Table(CaseSensitiveLetterWeights(), 207, TKeywordHash::kcBytes, {{
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
    std::array<TProc, 256> t = CommonProcs<TDcjCppSyn>(IdentFlags(), &TDcjCppSyn::IdentProc, &TDcjCppSyn::NumberProc);
    for (std::string_view op : Operators) t[CharCode(op[0])] = &TDcjCppSyn::OperatorProc;
    t['"'] = &TDcjCppSyn::EscapedString;
    t['\''] = &TDcjCppSyn::EscapedCharacter;
    t['#'] = &TDcjCppSyn::DirectiveProc;
    t['/'] = &TDcjCppSyn::SlashProc;
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

TDcjCppSyn::TDcjCppSyn(TComponent* AOwner) : TmwTokenScanner(AOwner) {
  AddAttributes({"assembler", "comment", "preprocessor", "identifier", "illegal char", "reserved word", "number",
                 "space", "string", "symbol"});
  CommentAttri()->SetStyle({fsItalic});
  KeyAttri()->SetStyle({fsBold});
  SpaceAttri()->SetForeground(clWindow);
  SetDefaultFilter("C++ files (*.cpp,*.h,*.hpp)|*.CPP;*.H;*.HPP");
}

TDcjCppSyn::~TDcjCppSyn() = default;

TmwIdentChars TDcjCppSyn::GetIdentChars() const { return IdentCharsOf(IdentFlags()); }

TmwHighlighterCapabilities TDcjCppSyn::GetCapability() const {
  return TmwCustomHighLighter::GetCapability() + TmwHighlighterCapabilities{hcUserSettings};
}

void TDcjCppSyn::SetRange(TmwRange Value) {
  FRange = RangeOf(Value, TCppRangeState::Comment, TCppRangeState::Unknown, TCppRangeState::Unknown);
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
      if (!LineEndProc()) CommentBody();
      break;
    default:
      (this->*Procs()[CharCode(FLine[FRun])])();
  }
  // Kinds are numbered in the order of the attributes, end of line aside.
  static constexpr int AttriOf[] = {0, 1, 2, 3, 5, -1, 6, 7, 8, 9, 4};
  PaintToken(AttriOf[static_cast<int>(GetEffectiveKind())]);
}

void TDcjCppSyn::IdentProc() {
  const TCharFlags& ident = IdentFlags();
  const TCharWeights& weight = CaseSensitiveLetterWeights();
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
  ScanNumber(FRun, NumberChars, false);
}

void TDcjCppSyn::DirectiveProc() { ToLineEnd(TCppTokenKind::Directive); }

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
    case '/': ToLineEnd(TCppTokenKind::Comment); break;
    case '=': Symbol(2); break;
    default: Symbol(1);
  }
}

void TDcjCppSyn::BraceOpenProc() {
  Symbol(1);
  if (FRange == TCppRangeState::Asm) {
    FRange = TCppRangeState::AsmBlock;
    FAsmStart = true;
  }
}

void TDcjCppSyn::BraceCloseProc() {
  Symbol(1);
  if (FRange == TCppRangeState::AsmBlock) FRange = TCppRangeState::Unknown;
}

void TDcjCppSyn::SemiColonProc() {
  Symbol(1);
  if (FRange == TCppRangeState::Asm) FRange = TCppRangeState::Unknown;
}

void TDcjCppSyn::OperatorProc() { Symbol(LongestForm(FLine + FRun, Operators)); }

// The rest of a block comment on this line: up to and including "*/", or to the end of the
// line with the range kept.
void TDcjCppSyn::CommentBody() {
  FTokenKind = TCppTokenKind::Comment;
  if (ScanToCloser("*/"))
    FRange = FRange == TCppRangeState::AsmComment        ? TCppRangeState::Asm
             : FRange == TCppRangeState::AsmBlockComment ? TCppRangeState::AsmBlock
                                                         : TCppRangeState::Unknown;
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
