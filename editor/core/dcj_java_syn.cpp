#include "editor/core/dcj_java_syn.h"

namespace {

enum : std::uint8_t { R };  // every keyword is a reserved word

const TCharFlags& IdentFlags() {
  static const TCharFlags Flags = MakeCharFlags("$_", {"09", "AZ", "az"});
  return Flags;
}

constexpr std::string_view Operators[] = {
    "&&", "&=", "==", ">=", ">>", ">>=", ">>>", ">>>=", "<=", "<<", "<<=", "--", "-=", "%=", "!=",
    "|=", "||", "++", "+=", "*=", "^=", ":", "?", "~", "(", ")", "[", "]", "!", "%", "&", "*",
    "+", "-", "<", "=", ">", "^", "|"};

}  // namespace

const TKeywordHash& TDcjJavaSyn::Keywords() {
  static const TKeywordHash Table(CaseSensitiveLetterWeights(), 173, TKeywordHash::kcBytes, {{
    {"abstract", R}, {"boolean", R}, {"break", R}, {"byte", R}, {"case", R}, {"catch", R},
    {"char", R}, {"class", R}, {"const", R}, {"continue", R}, {"default", R}, {"do", R},
    {"double", R}, {"else", R}, {"extends", R}, {"false", R}, {"final", R}, {"finally", R},
    {"float", R}, {"for", R}, {"goto", R}, {"if", R}, {"implements", R}, {"import", R},
    {"instanceof", R}, {"int", R}, {"interface", R}, {"long", R}, {"native", R}, {"new", R},
    {"null", R}, {"package", R}, {"private", R}, {"protected", R}, {"public", R}, {"return", R},
    {"short", R}, {"static", R}, {"strictfp", R}, {"super", R}, {"switch", R}, {"synchronized", R},
    {"this", R}, {"throw", R}, {"throws", R}, {"transient", R}, {"true", R}, {"try", R},
    {"void", R}, {"volatile", R}, {"while", R},
  }});
  return Table;
}

const std::array<TDcjJavaSyn::TProc, 256>& TDcjJavaSyn::Procs() {
  static const std::array<TProc, 256> Table = [] {
    std::array<TProc, 256> t =
        CommonProcs<TDcjJavaSyn>(IdentFlags(), &TDcjJavaSyn::IdentProc, &TDcjJavaSyn::NumberProc);
    for (std::string_view op : Operators) t[CharCode(op[0])] = &TDcjJavaSyn::OperatorProc;
    t['"'] = &TDcjJavaSyn::EscapedString;
    t['\''] = &TDcjJavaSyn::EscapedCharacter;
    t['#'] = t['@'] = t[','] = &TDcjJavaSyn::InvalidProc;
    t['.'] = t['{'] = t['}'] = t[';'] = &TDcjJavaSyn::SymbolProc;
    t['/'] = &TDcjJavaSyn::SlashProc;
    return t;
  }();
  return Table;
}

const TClassInfo* TDcjJavaSyn::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TDcjJavaSyn, TmwCustomHighLighter>("TDcjJavaSyn")
                                     .Prop("CommentAttri", &TDcjJavaSyn::CommentAttri, nullptr)
                                     .Prop("DocumentAttri", &TDcjJavaSyn::DocumentAttri, nullptr)
                                     .Prop("IdentifierAttri", &TDcjJavaSyn::IdentifierAttri, nullptr)
                                     .Prop("InvalidAttri", &TDcjJavaSyn::InvalidAttri, nullptr)
                                     .Prop("KeyAttri", &TDcjJavaSyn::KeyAttri, nullptr)
                                     .Prop("NumberAttri", &TDcjJavaSyn::NumberAttri, nullptr)
                                     .Prop("SpaceAttri", &TDcjJavaSyn::SpaceAttri, nullptr)
                                     .Prop("StringAttri", &TDcjJavaSyn::StringAttri, nullptr)
                                     .Prop("SymbolAttri", &TDcjJavaSyn::SymbolAttri, nullptr)
                                     .Build();
  return &Info;
}

TDcjJavaSyn::TDcjJavaSyn(TComponent* AOwner) : TmwTokenScanner(AOwner) {
  AddAttributes({"comment", "documentation", "identifier", "invalid symbol", "reserved word", "number", "space",
                 "string", "symbol"});
  CommentAttri()->SetStyle({fsItalic});
  DocumentAttri()->SetStyle({fsItalic});
  KeyAttri()->SetStyle({fsBold});
  SpaceAttri()->SetForeground(clWindow);
  SetDefaultFilter("Java files (*.java)|*.JAVA");
}

TDcjJavaSyn::~TDcjJavaSyn() = default;

TmwIdentChars TDcjJavaSyn::GetIdentChars() const { return IdentCharsOf(IdentFlags()); }

void TDcjJavaSyn::SetRange(TmwRange Value) {
  FRange = RangeOf(Value, TJavaRangeState::Comment, TJavaRangeState::Unknown, TJavaRangeState::Unknown);
}

void TDcjJavaSyn::Next() {
  FTokenPos = FRun;
  if (FRange == TJavaRangeState::Comment || FRange == TJavaRangeState::Documentation) {
    if (!LineEndProc()) CommentBody();
  } else {
    FRange = TJavaRangeState::Unknown;
    (this->*Procs()[CharCode(FLine[FRun])])();
  }
  // Kinds are numbered in the order of the attributes, end of line aside.
  static constexpr int AttriOf[] = {0, 1, 2, 3, 4, -1, 5, 6, 7, 8, 3};
  PaintToken(AttriOf[static_cast<int>(FTokenKind)]);
}

void TDcjJavaSyn::IdentProc() {
  const TCharFlags& ident = IdentFlags();
  const TCharWeights& weight = CaseSensitiveLetterWeights();
  std::size_t start = FRun;
  std::uint32_t sum = 0;
  while (ident[CharCode(FLine[FRun])]) sum += weight[CharCode(FLine[FRun++])];
  FTokenKind = Keywords().Find(sum, {FLine + start, FRun - start}) ? TJavaTokenKind::Key : TJavaTokenKind::Identifier;
}

// A "-" belongs to the number only as the sign of an exponent: "1e-5" is one number,
// "1-2" a subtraction.
void TDcjJavaSyn::NumberProc() {
  static const TCharFlags NumberChars = MakeCharFlags(".LXlx", {"09", "AF", "af"});
  ScanNumber(FRun, NumberChars, true);
}

void TDcjJavaSyn::InvalidProc() {
  ++FRun;
  FTokenKind = TJavaTokenKind::Invalid;
}

// "/**" opens a documentation comment, "/*" a block comment; "/**/" is a whole (empty)
// block comment, not the start of a documentation comment.
void TDcjJavaSyn::SlashProc() {
  switch (FLine[FRun + 1]) {
    case '*':
      if (FLine[FRun + 2] == '*' && FLine[FRun + 3] != '/') {
        FRange = TJavaRangeState::Documentation;
        FRun += 3;
      } else {
        FRange = TJavaRangeState::Comment;
        FRun += 2;
      }
      CommentBody();
      break;
    case '/': ToLineEnd(TJavaTokenKind::Comment); break;
    case '=': Symbol(2); break;
    default: Symbol(1);
  }
}

void TDcjJavaSyn::SymbolProc() { Symbol(1); }

void TDcjJavaSyn::OperatorProc() { Symbol(LongestForm(FLine + FRun, Operators)); }

// The rest of a comment on this line: up to and including "*/" (ordinary text follows), or
// to the end of the line with the range kept.
void TDcjJavaSyn::CommentBody() {
  FTokenKind = FRange == TJavaRangeState::Documentation ? TJavaTokenKind::Documentation : TJavaTokenKind::Comment;
  if (ScanToCloser("*/")) FRange = TJavaRangeState::Unknown;
}
