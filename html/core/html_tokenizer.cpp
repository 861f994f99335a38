#include "html/core/html_tokenizer.h"

#include "classlib/core/code_page.h"

#include <cstring>
#include <vector>

#include "classlib/core/stream.h"
#include "classlib/core/strings.h"
#include "classlib/core/sys_utils.h"

namespace {

struct TTagEntry {
  const char* Name;
  Symb Start;
  Symb End;  // Start when the end tag has no symbol of its own
};

// Lookup order matters only for the names; the end symbols follow the start symbols of
// the first 48 tags.
const TTagEntry TagTable[] = {
    {"HTML", HtmlSy, HtmlEndSy}, {"TITLE", TitleSy, TitleEndSy}, {"BODY", BodySy, BodyEndSy},
    {"HEAD", HeadSy, HeadEndSy}, {"B", BSy, BEndSy}, {"I", ISy, IEndSy},
    {"H", HeadingSy, HeadingEndSy}, {"EM", EmSy, EmEndSy}, {"STRONG", StrongSy, StrongEndSy},
    {"U", USy, UEndSy}, {"CITE", CiteSy, CiteEndSy}, {"VAR", VarSy, VarEndSy},
    {"TT", TTSy, TTEndSy}, {"CODE", CodeSy, CodeEndSy}, {"KBD", KbdSy, KbdEndSy},
    {"SAMP", SampSy, SampEndSy}, {"OL", OLSy, OLEndSy}, {"UL", ULSy, ULEndSy},
    {"DIR", DirSy, DirEndSy}, {"MENU", MenuSy, MenuEndSy}, {"DL", DLSy, DLEndSy},
    {"A", ASy, AEndSy}, {"ADDRESS", AddressSy, AddressEndSy},
    {"BLOCKQUOTE", BlockQuoteSy, BlockQuoteEndSy}, {"PRE", PreSy, PreEndSy},
    {"CENTER", CenterSy, CenterEndSy}, {"TABLE", TableSy, TableEndSy}, {"TD", TDSy, TDEndSy},
    {"TH", THSy, THEndSy}, {"CAPTION", CaptionSy, CaptionEndSy}, {"FORM", FormSy, FormEndSy},
    {"TEXTAREA", TextAreaSy, TextAreaEndSy}, {"SELECT", SelectSy, SelectEndSy},
    {"OPTION", OptionSy, OptionEndSy}, {"FONT", FontSy, FontEndSy}, {"SUB", SubSy, SubEndSy},
    {"SUP", SupSy, SupEndSy}, {"BIG", BigSy, BigEndSy}, {"SMALL", SmallSy, SmallEndSy},
    {"P", PSy, PEndSy}, {"MAP", MapSy, MapEndSy}, {"FRAMESET", FrameSetSy, FrameSetEndSy},
    {"NOFRAMES", NoFramesSy, NoFramesEndSy}, {"SCRIPT", ScriptSy, ScriptEndSy},
    {"DIV", DivSy, DivEndSy}, {"S", SSy, SEndSy}, {"STRIKE", StrikeSy, StrikeEndSy},
    {"TR", TRSy, TREndSy}, {"LI", LISy, LISy}, {"BR", BRSy, BRSy}, {"HR", HRSy, HRSy},
    {"DD", DDSy, DDSy}, {"DT", DTSy, DTSy}, {"IMG", ImageSy, ImageSy}, {"BASE", BaseSy, BaseSy},
    {"BUTTON", ButtonSy, ButtonSy}, {"INPUT", InputSy, InputSy},
    {"SELECTED", SelectedSy, SelectedSy}, {"BASEFONT", BaseFontSy, BaseFontSy},
    {"AREA", AreaSy, AreaSy}, {"FRAME", FrameSy, FrameSy}, {"PAGE", PageSy, PageSy},
};
static_assert(sizeof(TagTable) / sizeof(TagTable[0]) == 62);

struct TAttrEntry {
  const char* Name;
  Symb Sy;
};

const TAttrEntry AttrTable[] = {
    {"HREF", HrefSy}, {"NAME", NameSy}, {"SRC", SrcSy}, {"ALT", AltSy}, {"ALIGN", AlignSy},
    {"TEXT", TextAttrSy}, {"BGCOLOR", BGColorSy}, {"LINK", LinkSy},
    {"BACKGROUND", BackgroundSy}, {"COLSPAN", ColSpanSy}, {"ROWSPAN", RowSpanSy},
    {"BORDER", BorderSy}, {"CELLPADDING", CellPaddingSy}, {"CELLSPACING", CellSpacingSy},
    {"VALIGN", VAlignSy}, {"WIDTH", WidthSy}, {"START", StartSy}, {"VALUE", ValueSy},
    {"TYPE", TypeSy}, {"CHECKBOX", CheckBoxSy}, {"RADIO", RadioSy}, {"METHOD", MethodSy},
    {"ACTION", ActionSy}, {"CHECKED", CheckedSy}, {"SIZE", SizeSy},
    {"MAXLENGTH", MaxLengthSy}, {"COLS", ColsSy}, {"ROWS", RowsSy}, {"MULTIPLE", MultipleSy},
    {"SELECTED", SelectedSy}, {"FACE", FaceSy}, {"COLOR", ColorSy}, {"TRANSP", TranspSy},
    {"CLEAR", ClearSy}, {"ISMAP", IsMapSy}, {"BORDERCOLOR", BorderColorSy},
    {"USEMAP", UseMapSy}, {"SHAPE", ShapeSy}, {"COORDS", CoordsSy}, {"NOHREF", NoHrefSy},
    {"HEIGHT", HeightSy}, {"PLAIN", PlainSy}, {"TARGET", TargetSy}, {"NORESIZE", NoResizeSy},
    {"SCROLLING", ScrollingSy}, {"HSPACE", HSpaceSy}, {"LANGUAGE", LanguageSy},
    {"FRAMEBORDER", FrameBorderSy}, {"MARGINWIDTH", MarginWidthSy},
    {"MARGINHEIGHT", MarginHeightSy},
};
static_assert(sizeof(AttrTable) / sizeof(AttrTable[0]) == 50);

// Entries 1..4 are the markup characters; entry n from 5 on is the Latin-1 character
// n + 155. Entries 60 and 92 (multiplication and division signs) have no name.
const char* const EntityTable[100] = {
    "amp", "lt", "gt", "quot", "nbsp", "iexcl", "cent", "pound", "curren", "yen", "brvbar",
    "sect", "uml", "copy", "ordf", "laquo", "not", "shy", "reg", "macr", "deg", "plusmn",
    "sup2", "sup3", "acute", "micro", "para", "middot", "cedil", "sup1", "ordm", "raquo",
    "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc", "Atilde", "Auml",
    "Aring", "AElig", "Ccedil", "Egrave", "Eacute", "Ecirc", "Euml", "Igrave", "Iacute",
    "Icirc", "Iuml", "ETH", "Ntilde", "Ograve", "Oacute", "Ocirc", "Otilde", "Ouml", nullptr,
    "Oslash", "Ugrave", "Uacute", "Ucirc", "Uuml", "Yacute", "THORN", "szlig", "agrave",
    "aacute", "acirc", "atilde", "auml", "aring", "aelig", "ccedil", "egrave", "eacute",
    "ecirc", "euml", "igrave", "iacute", "icirc", "iuml", "eth", "ntilde", "ograve",
    "oacute", "ocirc", "otilde", "ouml", nullptr, "oslash", "ugrave", "uacute", "ucirc",
    "uuml", "yacute", "thorn", "yuml",
};

// References name Unicode (Latin-1) characters; the program's text is CP1251, where the
// same bytes are Cyrillic. A character without a CP1251 form shows as '?'.
char LatinToCp1251(int Code) {
  if (Code < 0x80) return static_cast<char>(Code);
  return UnicodeToCp1251(static_cast<char32_t>(Code));
}

bool IsUpperLetter(char C) { return C >= 'A' && C <= 'Z'; }
bool IsDigit(char C) { return C >= '0' && C <= '9'; }
bool IsAlnum(char C) { return IsDigit(C) || IsUpperLetter(C) || (C >= 'a' && C <= 'z'); }
char UpCase(char C) { return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C; }

// A decimal integer with an optional sign, else false (also when it does not fit).
bool DecimalValue(const std::string& S, int& Value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < S.size() && (S[i] == '+' || S[i] == '-')) negative = S[i++] == '-';
  if (i == S.size()) return false;
  long long v = 0;
  for (; i < S.size(); ++i) {
    if (!IsDigit(S[i])) return false;
    v = v * 10 + (S[i] - '0');
    if (v > 2147483648LL) return false;
  }
  if (negative) v = -v;
  if (v > 2147483647LL) return false;
  Value = static_cast<int>(v);
  return true;
}

int DecimalOrZero(const std::string& S) {
  int v = 0;
  return DecimalValue(S, v) ? v : 0;
}

}  // namespace

// One input source: hands out its characters and then #26 for ever.
class THtmlTokenizer::TSource {
public:
  virtual ~TSource() = default;
  virtual char Read() = 0;
};

namespace {

class TBufferSource : public THtmlTokenizer::TSource {
public:
  TBufferSource(const char* Buffer, std::size_t Size) : FPtr(Buffer), FEnd(Buffer + Size) {}
  char Read() override { return FPtr < FEnd ? *FPtr++ : THtmlTokenizer::EofChar; }

private:
  const char* FPtr;
  const char* FEnd;
};

// Every string is one line; the line end the list does not hold is put back.
class TStringsSource : public THtmlTokenizer::TSource {
public:
  explicit TStringsSource(const TStrings* Strings) : FStrings(Strings) {}
  char Read() override {
    if (FPos >= FLine.size()) {
      FPos = 0;
      if (FStrings && FNext < FStrings->Count())
        FLine = FStrings->Strings(FNext++) + THtmlTokenizer::EolChar;
      else
        FLine.assign(1, THtmlTokenizer::EofChar);
    }
    return FLine[FPos++];
  }

private:
  const TStrings* FStrings;
  std::string FLine;
  std::size_t FPos = 0;
  int FNext = 0;
};

// A stream read in blocks; a short block is the last one.
class TStreamSource : public THtmlTokenizer::TSource {
public:
  TStreamSource(TStream* Stream, int BlockSize) : FStream(Stream), FBlock(BlockSize + 1) {}
  char Read() override {
    if (FPos >= FLen) {
      FPos = 0;
      int got = FStream ? ReadBlock(FBlock.data(), static_cast<int>(FBlock.size()) - 1) : 0;
      if (got < 0) got = 0;
      FLen = static_cast<std::size_t>(got);
      if (FLen < FBlock.size() - 1) FBlock[FLen++] = THtmlTokenizer::EofChar;
    }
    return FBlock[FPos++];
  }

protected:
  virtual int ReadBlock(char* Buffer, int Count) { return FStream->Read(Buffer, Count); }
  TStream* FStream;

private:
  std::vector<char> FBlock;
  std::size_t FPos = 0, FLen = 0;
};

// A named file: the stream source over a file it opens itself, with the text-file
// layer's errors.
class TFileSource : public TStreamSource {
public:
  explicit TFileSource(const std::string& FileName) : TStreamSource(nullptr, 2000) {
    try {
      FFile = std::make_unique<TFileStream>(FileName, fmOpenRead | fmShareDenyWrite);
    } catch (const EStreamError& e) {
      throw EInOutError(e.Message(), 2);
    }
    FStream = FFile.get();
  }

protected:
  int ReadBlock(char* Buffer, int Count) override {
    int got;
    try {
      got = FStream->Read(Buffer, Count);
    } catch (const EStreamError& e) {
      throw EInOutError(e.Message(), 100);
    }
    if (got < 0) throw EInOutError("Read error in " + FFile->FileName(), 100);
    return got;
  }

private:
  std::unique_ptr<TFileStream> FFile;
};

}  // namespace

THtmlTokenizer::THtmlTokenizer() : FSource(std::make_unique<TBufferSource>(nullptr, 0)) {}

THtmlTokenizer::~THtmlTokenizer() = default;

static void ResetReader(THtmlTokenizer& T) {
  T.Ch = T.UCh = THtmlTokenizer::EofChar;
  T.Sy = EofSy;
  T.LCToken.clear();
  T.HeadingLevel = 0;
  T.InScript = false;
}

void THtmlTokenizer::SetFileSource(const std::string& FileName) {
  FSource = std::make_unique<TFileSource>(FileName);
  FPushBack = -1;
  FInComment = false;
  ResetReader(*this);
}

void THtmlTokenizer::SetBufferSource(const char* Buffer, std::size_t Size) {
  FSource = std::make_unique<TBufferSource>(Buffer, Buffer ? Size : 0);
  FPushBack = -1;
  FInComment = false;
  ResetReader(*this);
}

void THtmlTokenizer::SetStringsSource(const TStrings* Strings) {
  FSource = std::make_unique<TStringsSource>(Strings);
  FPushBack = -1;
  FInComment = false;
  ResetReader(*this);
}

void THtmlTokenizer::SetStreamSource(TStream* Stream) {
  FSource = std::make_unique<TStreamSource>(Stream, 250);
  FPushBack = -1;
  FInComment = false;
  ResetReader(*this);
}

char THtmlTokenizer::ReadSourceChar() {
  if (FPushBack >= 0) {
    char c = static_cast<char>(FPushBack);
    FPushBack = -1;
    return c;
  }
  return FSource->Read();
}

void THtmlTokenizer::NextCh() {
  char c = ReadSourceChar();
  if (c == 10) {
    char next = ReadSourceChar();
    if (next != 13) FPushBack = static_cast<unsigned char>(next);
    c = EolChar;
  } else if (c == 13) {
    char next = ReadSourceChar();
    if (next != 10) FPushBack = static_cast<unsigned char>(next);
  } else if (c == 9) {
    c = ' ';
  }
  Ch = c;
  UCh = UpCase(c);
  if (Ch == EofChar && FInComment) {
    FInComment = false;
    throw EParseError("Open Comment at End of HTML File");
  }
}

void THtmlTokenizer::GetCh() {
  // A loop, not recursion: a page of a million comments in a row costs no stack.
  for (;;) {
    NextCh();
    if (Ch != '<' || InScript) return;
    char next = ReadSourceChar();
    if (next != '!') {
      FPushBack = static_cast<unsigned char>(next);
      return;
    }
    SkipComment();
  }
}

// Entered after "<!"; leaves Ch on the closing '>'.
void THtmlTokenizer::SkipComment() {
  FInComment = true;
  NextCh();
  bool isComment = false;
  if (Ch == '-') {
    NextCh();
    isComment = Ch == '-';
  }
  if (isComment) {
    int dashes = 0;
    for (;;) {
      NextCh();
      if (Ch == '-') {
        ++dashes;
        continue;
      }
      if (dashes >= 2) {
        while (Ch == ' ' || Ch == EolChar) NextCh();
        if (Ch == '>') break;
        dashes = Ch == '-' ? 1 : 0;
        continue;
      }
      dashes = 0;
    }
  } else {
    while (Ch != '>') NextCh();
  }
  FInComment = false;
}

void THtmlTokenizer::SkipWhiteSpace() {
  while (Ch == ' ' || Ch == EolChar) GetCh();
}

void THtmlTokenizer::AddToken(char C) {
  if (LCToken.size() < MaxTokenLength) LCToken += C;
}

bool THtmlTokenizer::KeepsAttributes(Symb S) {
  switch (S) {
    case BodySy: case PSy: case BRSy: case HeadingSy: case HRSy: case BaseSy: case OLSy:
    case ULSy: case ImageSy: case ASy: case TableSy: case TDSy: case TRSy: case THSy:
    case CaptionSy: case InputSy: case FormSy: case TextAreaSy: case SelectSy:
    case OptionSy: case FontSy: case BaseFontSy: case MapSy: case AreaSy: case FrameSetSy:
    case FrameSy: case ScriptSy: case DivSy:
      return true;
    default:
      return false;
  }
}

void THtmlTokenizer::NextSymbol() {
  LCToken.clear();
  if (Ch == EofChar) {
    Sy = EofSy;
  } else if (Ch == '<') {
    ReadTag();
  } else if (Ch == '&') {
    LCToken = ReadEntity();
    Sy = TextSy;
  } else if (ReadTextRun()) {
    Sy = TextSy;
  } else {
    LCToken.assign(1, Ch);
    Sy = OtherChar;
    GetCh();
  }
}

void THtmlTokenizer::ReadTag() {
  GetCh();
  bool isEnd = Ch == '/';
  if (isEnd) GetCh();
  std::string name;
  while (IsUpperLetter(UCh)) {
    // Letters past the longest possible name are consumed unstored: such a name is
    // unknown whatever follows.
    if (name.size() < MaxTokenLength) name += UCh;
    GetCh();
  }
  Sy = UnknownSy;
  for (const TTagEntry& entry : TagTable)
    if (name == entry.Name) {
      if (!isEnd) Sy = entry.Start;
      else if (entry.End != entry.Start) Sy = entry.End;
      break;
    }
  SkipWhiteSpace();
  HeadingLevel = 0;
  if ((Sy == HeadingSy || Sy == HeadingEndSy) && Ch >= '1' && Ch <= '6') {
    HeadingLevel = Ch - '0';
    GetCh();
  }
  bool keep = KeepsAttributes(Sy);
  if (keep) Attributes.Clear();
  Symb which;
  int value;
  std::string text;
  while (ReadAttribute(which, value, text))
    if (keep) Attributes.AddAttribute(new TAttribute(which, value, std::move(text)));
  while (Ch != '>' && Ch != EofChar) GetCh();
  if (Ch == '>') GetCh();
}

bool THtmlTokenizer::ReadAttribute(Symb& Which, int& Value, std::string& Name) {
  SkipWhiteSpace();
  std::string attr;
  while (IsUpperLetter(UCh)) {
    if (attr.size() < MaxTokenLength) attr += UCh;
    GetCh();
  }
  if (attr.empty()) return false;
  Which = UnknownAttrSy;
  for (const TAttrEntry& entry : AttrTable)
    if (attr == entry.Name) {
      Which = entry.Sy;
      break;
    }
  SkipWhiteSpace();
  Value = Which == BorderSy ? 1 : 0;
  Name.clear();
  if (Ch != '=') return true;
  GetCh();
  SkipWhiteSpace();
  if (Ch == '"' || Ch == '\'') {
    char quote = Ch;
    GetCh();
    while (Ch != quote && Ch != EofChar) {
      if (Ch == EolChar) {
        GetCh();
      } else if (Ch == '&') {
        Name += ReadEntity();
      } else {
        Name += Ch;
        GetCh();
      }
    }
    if (Ch == quote) GetCh();
    Name = TrimLeft(TrimRight(Name));
    std::string number = Name;
    if (!number.empty() && number.back() == '%') number.pop_back();
    Value = DecimalOrZero(number);
  } else if (Ch == '+' || Ch == '-' || IsDigit(Ch)) {
    while (Ch != ' ' && Ch != EolChar && Ch != EofChar && Ch != '%' && Ch != '>') {
      Name += Ch;
      GetCh();
    }
    Value = DecimalOrZero(Name);
    // The '%' is consumed so that the attributes after a percentage are still read.
    if (Ch == '%') {
      Name += '%';
      GetCh();
    }
  } else {
    while (Ch != ' ' && Ch != EolChar && Ch != EofChar && Ch != '>') {
      Name += Ch;
      GetCh();
    }
  }
  return true;
}

// Entered at '&'; a name or number that is no character stays text as written.
std::string THtmlTokenizer::ReadEntity() {
  std::string text = "&";
  GetCh();
  if (Ch == '#') {
    text += '#';
    GetCh();
    std::string digits;
    while (IsDigit(Ch)) {
      digits += Ch;
      GetCh();
      if (digits.size() > 3) return text + digits;
    }
    bool semicolon = Ch == ';';
    if (semicolon) GetCh();
    if (!digits.empty()) {
      int code = DecimalOrZero(digits);
      if (code == 9) return " ";
      if (code == 10) return "\n";
      if (code >= 32 && code <= 255) return std::string(1, LatinToCp1251(code));
    }
    return text + digits + (semicolon ? ";" : "");
  }
  std::string name;
  while (IsAlnum(Ch)) {
    name += Ch;
    GetCh();
    if (name.size() > 6) return text + name;
  }
  bool semicolon = Ch == ';';
  if (semicolon) GetCh();
  if (!name.empty())
    for (int i = 0; i < 100; ++i)
      if (EntityTable[i] && name == EntityTable[i]) {
        static const char markup[] = "&<>\"";
        return std::string(1, i < 4 ? markup[i] : LatinToCp1251(i + 1 + 155));
      }
  return text + name + (semicolon ? ";" : "");
}

// Text characters: line end, blank to '%', apostrophe to ';', '=' and above. '&' and '<'
// start something else. 0xFF is the Cyrillic small ya in 1251 and is text like any letter.
static bool IsTextChar(char C) {
  unsigned char u = static_cast<unsigned char>(C);
  return u == 13 || (u >= ' ' && u <= '%') || (u >= '\'' && u <= ';') || u >= '=';
}

bool THtmlTokenizer::ReadTextRun() {
  while (LCToken.size() < MaxTextRun && IsTextChar(Ch)) {
    if (!InPre && (Ch == ' ' || Ch == EolChar)) {
      LCToken += ' ';
      GetCh();
      while (Ch == ' ' || Ch == EolChar) GetCh();
    } else {
      LCToken += Ch;
      GetCh();
    }
  }
  return !LCToken.empty();
}

// Text of the TEXTAREA and SCRIPT scanners: up to a line end, the end or '<'.
void THtmlTokenizer::ReadContentText() {
  while (LCToken.size() < MaxTextRun && Ch != EolChar && Ch != EofChar && Ch != '<') {
    LCToken += Ch;
    GetCh();
  }
  Sy = TextSy;
}

void THtmlTokenizer::NextTextAreaSymbol() {
  LCToken.clear();
  if (Ch == EofChar) {
    Sy = EofSy;
  } else if (Ch == EolChar) {
    Sy = EolSy;
    GetCh();
  } else if (Ch == '<') {
    // Bounded by the token length: what is longer cannot be the closing tag, and the rest
    // comes as text of the next symbol.
    LCToken = "<";
    GetCh();
    while (Ch != ' ' && Ch != EolChar && Ch != EofChar && Ch != '>' &&
           LCToken.size() < MaxTokenLength) {
      LCToken += Ch;
      GetCh();
    }
    Sy = UpperCase(LCToken) == "</TEXTAREA" ? TextAreaEndSy : UnknownSy;
  } else {
    ReadContentText();
  }
}

void THtmlTokenizer::ReadTextAreaContent(
    const std::function<void(const std::string& Line)>& AddLine) {
  std::string line;
  for (;;) {
    NextTextAreaSymbol();
    if (Sy == EolSy) {
      AddLine(line);
      line.clear();
    } else if (Sy == TextAreaEndSy || Sy == EofSy) {
      break;
    } else {
      line += LCToken;
    }
  }
  while (Ch != '>' && Ch != EofChar) GetCh();
  if (Ch == '>') GetCh();
  if (!line.empty()) AddLine(line);
}

void THtmlTokenizer::NextScriptSymbol() {
  LCToken.clear();
  if (Ch == EofChar) {
    Sy = EofSy;
  } else if (Ch == EolChar) {
    Sy = EolSy;
    GetCh();
  } else if (Ch == '<') {
    LCToken = "<";
    GetCh();
    while ((Ch == '/' || IsUpperLetter(UCh)) && LCToken.size() < 8) {
      LCToken += Ch;
      GetCh();
    }
    if (Ch == '>') {
      LCToken += '>';
      GetCh();
    }
    Sy = UpperCase(LCToken) == "</SCRIPT>" ? ScriptEndSy : UnknownSy;
  } else {
    ReadContentText();
  }
}
