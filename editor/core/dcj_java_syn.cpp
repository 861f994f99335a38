#include "editor/core/dcj_java_syn.h"

namespace {

enum : std::uint8_t { R };  // every keyword is a reserved word

const TCharFlags& IdentFlags() {
  static const TCharFlags Flags = MakeCharFlags("$_", {"09", "AZ", "az"});
  return Flags;
}

// "A".."Z" weigh 1..26, "a".."z" 2..27; "$", "_", the digits and everything else nothing.
const TCharWeights& Weights() {
  static const TCharWeights W = [] {
    TCharWeights w{};
    for (int c = 'A'; c <= 'Z'; ++c) w[c] = c - 64;
    for (int c = 'a'; c <= 'z'; ++c) w[c] = c - 95;
    return w;
  }();
  return W;
}

constexpr std::string_view Operators[] = {
    "&&", "&=", "==", ">=", ">>", ">>=", ">>>", ">>>=", "<=", "<<", "<<=", "--", "-=", "%=", "!=",
    "|=", "||", "++", "+=", "*=", "^=", ":", "?", "~", "(", ")", "[", "]", "!", "%", "&", "*",
    "+", "-", "<", "=", ">", "^", "|"};

}  // namespace

const TKeywordHash& TDcjJavaSyn::Keywords() {
  static const TKeywordHash Table(Weights(), 173, TKeywordHash::kcBytes, {{
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
    std::array<TProc, 256> t;
    t.fill(&TDcjJavaSyn::UnknownProc);
    t[0] = &TDcjJavaSyn::NullProc;
    for (int c = 1; c <= 32; ++c) t[c] = &TDcjJavaSyn::SpaceProc;
    t['\n'] = &TDcjJavaSyn::LFProc;
    t['\r'] = &TDcjJavaSyn::CRProc;
    for (int c = 0; c < 256; ++c)
      if (IdentFlags()[c]) t[c] = c >= '0' && c <= '9' ? &TDcjJavaSyn::NumberProc : &TDcjJavaSyn::IdentProc;
    for (std::string_view op : Operators) t[CharCode(op[0])] = &TDcjJavaSyn::OperatorProc;
    t['"'] = &TDcjJavaSyn::StringProc;
    t['\''] = &TDcjJavaSyn::CharProc;
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

TDcjJavaSyn::TDcjJavaSyn(TComponent* AOwner) : TmwCustomHighLighter(AOwner) {
  const char* names[] = {"comment", "documentation", "identifier", "invalid symbol", "reserved word",
                         "number",  "space",         "string",     "symbol"};
  for (std::size_t i = 0; i < FAttri.size(); ++i) {
    FAttri[i] = std::make_unique<TmwHighLightAttributes>(names[i]);
    FAttri[i]->OnChange = [this](TObject* Sender) { DefHighlightChange(Sender); };
  }
  CommentAttri()->SetStyle({fsItalic});
  DocumentAttri()->SetStyle({fsItalic});
  KeyAttri()->SetStyle({fsBold});
  SpaceAttri()->SetForeground(clWindow);
  SetDefaultFilter("Java files (*.java)|*.JAVA");
}

TDcjJavaSyn::~TDcjJavaSyn() = default;

TmwIdentChars TDcjJavaSyn::GetIdentChars() const {
  TmwIdentChars chars;
  for (int c = 0; c < 256; ++c) chars.set(c, IdentFlags()[c]);
  return chars;
}

TmwHighLightAttributes* TDcjJavaSyn::GetAttribute(int Index) const {
  return Index >= 0 && Index < GetAttribCount() ? FAttri[Index].get() : nullptr;
}

void TDcjJavaSyn::SetLine(const std::string& NewValue) {
  FLine = NewValue.c_str();
  FLen = NewValue.size();
  FRun = 0;
  Next();
}

void TDcjJavaSyn::SetRange(TmwRange Value) {
  FRange = Value >= static_cast<TmwRange>(TJavaRangeState::Comment) &&
                   Value <= static_cast<TmwRange>(TJavaRangeState::Unknown)
               ? static_cast<TJavaRangeState>(Value)
               : TJavaRangeState::Unknown;
}

void TDcjJavaSyn::Next() {
  FTokenPos = FRun;
  if (FRange == TJavaRangeState::Comment || FRange == TJavaRangeState::Documentation) {
    CommentContinue();
  } else {
    FRange = TJavaRangeState::Unknown;
    (this->*Procs()[CharCode(FLine[FRun])])();
  }
  if (FCanvas) {
    // Kinds are numbered in the order of the attributes, end of line aside.
    static constexpr int AttriOf[] = {0, 1, 2, 3, 4, -1, 5, 6, 7, 8, 3};
    int a = AttriOf[static_cast<int>(FTokenKind)];
    if (a >= 0) FAttri[a]->ApplyTo(*FCanvas);
  }
}

// A zero inside the line is a character of its own; only the terminating one ends the line.
void TDcjJavaSyn::NullProc() {
  if (FRun < FLen) {
    ++FRun;
    FTokenKind = TJavaTokenKind::Unknown;
  } else {
    FTokenKind = TJavaTokenKind::Null;
  }
}

void TDcjJavaSyn::SpaceProc() {
  while (IsBlank(FLine[FRun])) ++FRun;
  FTokenKind = TJavaTokenKind::Space;
}

void TDcjJavaSyn::LFProc() {
  ++FRun;
  FTokenKind = TJavaTokenKind::Space;
}

void TDcjJavaSyn::CRProc() {
  ++FRun;
  if (FLine[FRun] == '\n') ++FRun;
  FTokenKind = TJavaTokenKind::Space;
}

void TDcjJavaSyn::IdentProc() {
  const TCharFlags& ident = IdentFlags();
  const TCharWeights& weight = Weights();
  std::size_t start = FRun;
  std::uint32_t sum = 0;
  while (ident[CharCode(FLine[FRun])]) sum += weight[CharCode(FLine[FRun++])];
  FTokenKind = Keywords().Find(sum, {FLine + start, FRun - start}) ? TJavaTokenKind::Key : TJavaTokenKind::Identifier;
}

// A "-" belongs to the number only as the sign of an exponent: "1e-5" is one number,
// "1-2" a subtraction.
void TDcjJavaSyn::NumberProc() {
  static const TCharFlags NumberChars = MakeCharFlags(".LXlx", {"09", "AF", "af"});
  std::size_t start = FRun++;
  for (;; ++FRun) {
    char c = FLine[FRun];
    if (c == '-' ? !IsExponentSign(FLine, start, FRun)
                 : !NumberChars[CharCode(c)] || (c == '.' && FLine[FRun + 1] == '.'))
      break;
  }
  FTokenKind = TJavaTokenKind::Number;
}

// From the opening quote to the closing one or the end of the line. A backslash escapes
// whatever character follows it, so that "\\" closes; one at the end of the line escapes
// nothing.
void TDcjJavaSyn::QuotedProc(char Quote) {
  FTokenKind = TJavaTokenKind::String;
  do {
    if (IsLineEnd(FLine[FRun])) break;
    if (FLine[FRun] == '\\' && FLine[FRun + 1] != 0) ++FRun;
    ++FRun;
  } while (FLine[FRun] != Quote);
  if (!IsLineEnd(FLine[FRun])) ++FRun;
}

void TDcjJavaSyn::StringProc() {
  if (FLine[FRun + 1] == '"' && FLine[FRun + 2] == '"') FRun += 2;
  QuotedProc('"');
}

void TDcjJavaSyn::CharProc() { QuotedProc('\''); }

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
    case '/':
      while (!IsLineEnd(FLine[FRun])) ++FRun;
      FTokenKind = TJavaTokenKind::Comment;
      break;
    case '=':
      FRun += 2;
      FTokenKind = TJavaTokenKind::Symbol;
      break;
    default:
      ++FRun;
      FTokenKind = TJavaTokenKind::Symbol;
  }
}

void TDcjJavaSyn::SymbolProc() {
  ++FRun;
  FTokenKind = TJavaTokenKind::Symbol;
}

void TDcjJavaSyn::OperatorProc() {
  FRun += LongestForm(FLine + FRun, Operators);
  FTokenKind = TJavaTokenKind::Symbol;
}

void TDcjJavaSyn::UnknownProc() {
  ++FRun;
  FTokenKind = TJavaTokenKind::Unknown;
}

// The rest of a comment on this line: up to and including "*/" (ordinary text follows), or
// to the end of the line with the range kept.
void TDcjJavaSyn::CommentBody() {
  FTokenKind = FRange == TJavaRangeState::Documentation ? TJavaTokenKind::Documentation : TJavaTokenKind::Comment;
  while (!IsLineEnd(FLine[FRun])) {
    if (FLine[FRun] == '*' && FLine[FRun + 1] == '/') {
      FRun += 2;
      FRange = TJavaRangeState::Unknown;
      return;
    }
    ++FRun;
  }
}

void TDcjJavaSyn::CommentContinue() {
  switch (FLine[FRun]) {
    case 0: NullProc(); break;
    case '\n': LFProc(); break;
    case '\r': CRProc(); break;
    default: CommentBody();
  }
}
