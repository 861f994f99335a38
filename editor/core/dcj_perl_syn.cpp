#include "editor/core/dcj_perl_syn.h"

namespace {

// Tags of the keyword table: the token kind of each word.
constexpr std::uint8_t K = static_cast<std::uint8_t>(TPerlTokenKind::Key);
constexpr std::uint8_t O = static_cast<std::uint8_t>(TPerlTokenKind::Operator);
constexpr std::uint8_t P = static_cast<std::uint8_t>(TPerlTokenKind::Pragma);
constexpr std::uint8_t V = static_cast<std::uint8_t>(TPerlTokenKind::Variable);

const TCharFlags& IdentFlags() {
  static const TCharFlags Flags = MakeCharFlags("_", {"09", "AZ", "az"});
  return Flags;
}

// The characters of a name as the keyword lookup takes it: the sigils too.
const TCharFlags& HashFlags() {
  static const TCharFlags Flags = MakeCharFlags("$%@_", {"09", "AZ", "az"});
  return Flags;
}

// Each name character weighs its own code.
const TCharWeights& Weights() {
  static const TCharWeights W = [] {
    TCharWeights w{};
    for (int c = 0; c < 256; ++c)
      if (HashFlags()[c]) w[c] = c;
    return w;
  }();
  return W;
}

constexpr std::string_view Operators[] = {
    "&&=", "&&", "&=", "&", "**=", "**", "*=", "*", "||=", "||", "|=", "|", "<<=", "<<", "<=>", "<=",
    "<",   ">>=", ">>", ">=", ">", "==", "=>", "=~", "=", "!=", "!~", "!", "--", "-=", "->", "-",
    "++",  "+=", "+", "::", ":", "/=", "/", "^=", "^", ",", ";", "?", "(", ")", "[", "]",
    "{",   "}", "\\", "~"};

}  // namespace

const TKeywordHash& TDcjPerlSyn::Keywords() {
  static const TKeywordHash Table(Weights(), 2168, TKeywordHash::kcBytes, {{
    {"abs", K}, {"accept", K}, {"alarm", K}, {"atan2", K}, {"bind", K}, {"binmode", K},
    {"bless", K}, {"caller", K}, {"chdir", K}, {"chmod", K}, {"chomp", K}, {"chop", K},
    {"chown", K}, {"chr", K}, {"chroot", K}, {"close", K}, {"closedir", K}, {"connect", K},
    {"cos", K}, {"crypt", K}, {"dbmclose", K}, {"dbmopen", K}, {"defined", K}, {"delete", K},
    {"die", K}, {"do", K}, {"dump", K}, {"each", K}, {"else", K}, {"elsif", K}, {"endgrent", K},
    {"endhostent", K}, {"endnetent", K}, {"endprotoent", K}, {"endpwent", K}, {"endservent", K},
    {"eof", K}, {"eval", K}, {"exec", K}, {"exists", K}, {"exit", K}, {"exp", K}, {"fcntl", K},
    {"fileno", K}, {"flock", K}, {"for", K}, {"foreach", K}, {"fork", K}, {"format", K},
    {"formline", K}, {"getc", K}, {"getgrent", K}, {"getgrgid", K}, {"getgrnam", K},
    {"gethostbyaddr", K}, {"gethostbyname", K}, {"gethostent", K}, {"getlogin", K},
    {"getnetbyaddr", K}, {"getnetbyname", K}, {"getnetent", K}, {"getpeername", K}, {"getpgrp", K},
    {"getppid", K}, {"getpriority", K}, {"getprotobyname", K}, {"getprotobynumber", K},
    {"getprotoent", K}, {"getpwent", K}, {"getpwnam", K}, {"getpwuid", K}, {"getservbyname", K},
    {"getservbyport", K}, {"getservent", K}, {"getsockname", K}, {"getsockopt", K}, {"glob", K},
    {"gmtime", K}, {"goto", K}, {"grep", K}, {"hex", K}, {"if", K}, {"import", K}, {"index", K},
    {"int", K}, {"ioctl", K}, {"join", K}, {"keys", K}, {"kill", K}, {"last", K}, {"lc", K},
    {"lcfirst", K}, {"length", K}, {"link", K}, {"listen", K}, {"local", K}, {"localtime", K},
    {"log", K}, {"lstat", K}, {"m", K}, {"map", K}, {"mkdir", K}, {"msgctl", K}, {"msgget", K},
    {"msgrcv", K}, {"msgsnd", K}, {"my", K}, {"next", K}, {"no", K}, {"oct", K}, {"open", K},
    {"opendir", K}, {"ord", K}, {"pack", K}, {"package", K}, {"pipe", K}, {"pop", K}, {"pos", K},
    {"print", K}, {"push", K}, {"q", K}, {"qq", K}, {"quotemeta", K}, {"qw", K}, {"qx", K},
    {"rand", K}, {"read", K}, {"readdir", K}, {"readlink", K}, {"recv", K}, {"redo", K}, {"ref", K},
    {"rename", K}, {"require", K}, {"reset", K}, {"return", K}, {"reverse", K}, {"rewinddir", K},
    {"rindex", K}, {"rmdir", K}, {"scalar", K}, {"seek", K}, {"seekdir", K}, {"select", K},
    {"semctl", K}, {"semget", K}, {"semop", K}, {"send", K}, {"setgrent", K}, {"sethostent", K},
    {"setnetent", K}, {"setpgrp", K}, {"setpriority", K}, {"setprotoent", K}, {"setpwent", K},
    {"setservent", K}, {"setsockopt", K}, {"shift", K}, {"shmctl", K}, {"shmget", K},
    {"shmread", K}, {"shmwrite", K}, {"shutdown", K}, {"sin", K}, {"sleep", K}, {"socket", K},
    {"socketpair", K}, {"sort", K}, {"splice", K}, {"split", K}, {"sprintf", K}, {"sqrt", K},
    {"srand", K}, {"stat", K}, {"study", K}, {"sub", K}, {"substr", K}, {"symlink", K},
    {"syscall", K}, {"sysread", K}, {"system", K}, {"syswrite", K}, {"tell", K}, {"telldir", K},
    {"tie", K}, {"time", K}, {"times", K}, {"tr", K}, {"truncate", K}, {"uc", K}, {"ucfirst", K},
    {"umask", K}, {"undef", K}, {"unless", K}, {"unlink", K}, {"unpack", K}, {"unshift", K},
    {"untie", K}, {"use", K}, {"utime", K}, {"values", K}, {"vec", K}, {"wait", K}, {"waitpid", K},
    {"wantarray", K}, {"warn", K}, {"while", K}, {"write", K},
  }, {
    {"and", O}, {"cmp", O}, {"eq", O}, {"ge", O}, {"gt", O}, {"le", O}, {"lt", O}, {"ne", O},
    {"not", O}, {"or", O}, {"xor", O},
  }, {
    {"constant", P}, {"diagnostics", P}, {"integer", P}, {"less", P}, {"locale", P}, {"sigtrap", P},
    {"strict", P}, {"subs", P}, {"vars", P},
  }, {
    {"$ACCUMULATOR", V}, {"$ARG", V}, {"$ARGV", V}, {"@ARGV", V}, {"$BASETIME", V},
    {"$CHILD_ERROR", V}, {"$DEBUGGING", V}, {"$EFFECTIVE_GROUP_ID", V}, {"$EFFECTIVE_USER_ID", V},
    {"$EGID", V}, {"$ENV", V}, {"$ERRNO", V}, {"$EUID", V}, {"$EVAL_ERROR", V},
    {"$EXECUTABLE_NAME", V}, {"$FORMAT_FORMFEED", V}, {"$FORMAT_LINE_BREAK_CHARACTERS", V},
    {"$FORMAT_LINES_LEFT", V}, {"$FORMAT_LINES_PER_PAGE", V}, {"$FORMAT_NAME", V},
    {"$FORMAT_PAGE_NUMBER", V}, {"$FORMAT_TOP_NAME", V}, {"$GID", V}, {"%INC", V}, {"@INC", V},
    {"$INPLACE_EDIT", V}, {"$INPUT_LINE_NUMBER", V}, {"$INPUT_RECORD_SEPARATOR", V},
    {"$LAST_PAREN_MATCH", V}, {"$LIST_SEPARATOR", V}, {"$MATCH", V}, {"$MULTILINE_MATCHING", V},
    {"$NR", V}, {"$OFMT", V}, {"$ORS", V}, {"$OS_ERROR", V}, {"$OUTPUT_AUTOFLUSH", V},
    {"$OUTPUT_FIELD_SEPARATOR", V}, {"$PERL_VERSION", V}, {"$PERLDB", V}, {"$PID", V},
    {"$POSTMATCH", V}, {"$PREMATCH", V}, {"$PROCESS_ID", V}, {"$PROGRAM_NAME", V},
    {"$REAL_GROUP_ID", V}, {"$REAL_USER_ID", V}, {"$RS", V}, {"$SIG", V},
    {"$SUBSCRIPT_SEPARATOR", V}, {"$SUBSEP", V}, {"$SYSTEM_FD_MAX", V}, {"$UID", V},
    {"$WARNING", V},
  }});
  return Table;
}

const std::array<TDcjPerlSyn::TProc, 256>& TDcjPerlSyn::Procs() {
  static const std::array<TProc, 256> Table = [] {
    std::array<TProc, 256> t =
        CommonProcs<TDcjPerlSyn>(IdentFlags(), &TDcjPerlSyn::IdentProc, &TDcjPerlSyn::NumberProc);
    for (std::string_view op : Operators) t[CharCode(op[0])] = &TDcjPerlSyn::OperatorProc;
    t['@'] = &TDcjPerlSyn::IdentProc;
    t['#'] = &TDcjPerlSyn::CommentProc;
    t['$'] = &TDcjPerlSyn::DollarProc;
    t['%'] = &TDcjPerlSyn::PercentProc;
    t['x'] = &TDcjPerlSyn::XProc;
    t['.'] = &TDcjPerlSyn::DotProc;
    t['"'] = &TDcjPerlSyn::EscapedString;
    t['\''] = &TDcjPerlSyn::SingleQuoteProc;
    return t;
  }();
  return Table;
}

const TClassInfo* TDcjPerlSyn::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TDcjPerlSyn, TmwCustomHighLighter>("TDcjPerlSyn")
                                     .Prop("CommentAttri", &TDcjPerlSyn::CommentAttri, nullptr)
                                     .Prop("IdentifierAttri", &TDcjPerlSyn::IdentifierAttri, nullptr)
                                     .Prop("InvalidAttri", &TDcjPerlSyn::InvalidAttri, nullptr)
                                     .Prop("KeyAttri", &TDcjPerlSyn::KeyAttri, nullptr)
                                     .Prop("NumberAttri", &TDcjPerlSyn::NumberAttri, nullptr)
                                     .Prop("OperatorAttri", &TDcjPerlSyn::OperatorAttri, nullptr)
                                     .Prop("PragmaAttri", &TDcjPerlSyn::PragmaAttri, nullptr)
                                     .Prop("SpaceAttri", &TDcjPerlSyn::SpaceAttri, nullptr)
                                     .Prop("StringAttri", &TDcjPerlSyn::StringAttri, nullptr)
                                     .Prop("SymbolAttri", &TDcjPerlSyn::SymbolAttri, nullptr)
                                     .Prop("VariableAttri", &TDcjPerlSyn::VariableAttri, nullptr)
                                     .Build();
  return &Info;
}

TDcjPerlSyn::TDcjPerlSyn(TComponent* AOwner) : TmwTokenScanner(AOwner) {
  AddAttributes({"comment", "identifier", "illegal char", "number", "operator", "pragma", "reserved word", "space",
                 "string", "symbol", "variable"});
  CommentAttri()->SetStyle({fsItalic});
  PragmaAttri()->SetStyle({fsBold});
  KeyAttri()->SetStyle({fsBold});
  VariableAttri()->SetStyle({fsBold});
  SpaceAttri()->SetForeground(clWindow);
  SetDefaultFilter("Perl files (*.pl,*.pm,*.cgi)|*.PL;*.PM;*.CGI");
}

TDcjPerlSyn::~TDcjPerlSyn() = default;

TmwIdentChars TDcjPerlSyn::GetIdentChars() const { return IdentCharsOf(HashFlags()); }

void TDcjPerlSyn::Next() {
  FTokenPos = FRun;
  (this->*Procs()[CharCode(FLine[FRun])])();
  static constexpr int AttriOf[] = {0, 1, 6, -1, 3, 4, 5, 7, 8, 9, 2, 10};
  PaintToken(AttriOf[static_cast<int>(FTokenKind)]);
}

void TDcjPerlSyn::CommentProc() { ToLineEnd(TPerlTokenKind::Comment); }

// Punctuation variables ("$_", "$0", "$^W"); anything else is a name for the lookup.
void TDcjPerlSyn::DollarProc() {
  unsigned char c = CharCode(FLine[FRun + 1]);
  if ((c >= 33 && c <= 43) || (c >= 45 && c <= 64) || c == '[' || c == '\\' || c == ']' || c == '_' ||
      c == '`' || c == '|' || c == '~') {
    FRun += 2;
    FTokenKind = TPerlTokenKind::Variable;
  } else if (c == '^') {
    char n = FLine[FRun + 2];
    if (n != 0 && std::string_view("ADFILPTWX").find(n) != std::string_view::npos) {
      FRun += 3;
      FTokenKind = TPerlTokenKind::Variable;
    } else if (IsLineEnd(n)) {
      FRun += 2;
      FTokenKind = TPerlTokenKind::Variable;
    } else {
      IdentProc();
    }
  } else {
    IdentProc();
  }
}

// "%" starts a hash name only when a name character follows; otherwise it is the operator.
void TDcjPerlSyn::PercentProc() {
  char c = FLine[FRun + 1];
  if (c == '=')
    Symbol(2);
  else if (!HashFlags()[CharCode(c)])
    Symbol(1);
  else
    IdentProc();
}

// The repetition operator "x" and "x="; "x" followed by a name character is a name.
void TDcjPerlSyn::XProc() {
  char c = FLine[FRun + 1];
  if (IsLineEnd(c))
    Symbol(1);
  else if (c == '=')
    Symbol(2);
  else
    IdentProc();
}

void TDcjPerlSyn::IdentProc() {
  const TCharFlags& hash = HashFlags();
  std::size_t start = FRun;
  std::uint32_t sum = 0;
  while (hash[CharCode(FLine[FRun])]) sum += CharCode(FLine[FRun++]);
  const TKeywordHash::TKeyword* k = Keywords().Find(sum, {FLine + start, FRun - start});
  FTokenKind = k ? static_cast<TPerlTokenKind>(k->Tag) : TPerlTokenKind::Identifier;
}

// The number from Start on; the character at FRun is already part of it.
void TDcjPerlSyn::NumberRest(std::size_t Start) {
  static const TCharFlags NumberChars = MakeCharFlags("._Xx", {"09", "AF", "af"});
  ScanNumber(Start, NumberChars, true);
}

void TDcjPerlSyn::NumberProc() { NumberRest(FRun); }

// The operators "." (concatenation), "..", "..." and ".=", or a number such as ".5".
void TDcjPerlSyn::DotProc() {
  char c = FLine[FRun + 1];
  if (c == '.')
    Symbol(FLine[FRun + 2] == '.' ? 3 : 2);
  else if (c == '=')
    Symbol(2);
  else if (c >= '0' && c <= '9')
    NumberRest(FRun);
  else
    Symbol(1);
}

void TDcjPerlSyn::SingleQuoteProc() {
  FTokenKind = TPerlTokenKind::String;
  do {
    ++FRun;
  } while (!IsLineEnd(FLine[FRun]) && FLine[FRun] != '\'');
  if (FLine[FRun] == '\'') ++FRun;
}

void TDcjPerlSyn::OperatorProc() { Symbol(LongestForm(FLine + FRun, Operators)); }
