#include "html/core/html_parser.h"

#include <algorithm>

#include "classlib/core/stream.h"
#include "classlib/core/strings.h"
#include "classlib/core/sys_utils.h"
#include "html/core/frame_model.h"

namespace {

const int FontSizes[7] = {8, 10, 12, 14, 18, 24, 36};
const int PreFontSizes[7] = {7, 8, 10, 12, 15, 20, 30};
const int HeadingSizes[7] = {12, 24, 18, 15, 12, 10, 8};  // index 0: H without a level

int JustifyOf(const std::string& S, int Default) {
  std::string v = LowerCase(S);
  if (v == "left") return 1;
  if (v == "center") return 2;
  if (v == "right") return 3;
  return Default;
}

}  // namespace

THtmlParser::TSymSet THtmlParser::Set(std::initializer_list<Symb> Symbols) {
  TSymSet s;
  for (Symb sy : Symbols) s.set(sy);
  return s;
}

THtmlParser::THtmlParser(TSectionList& Document, TStrings* AnchorNames)
    : FDoc(Document), FAnchorNames(AnchorNames) {}

THtmlParser::~THtmlParser() = default;

const TAttribute* THtmlParser::Attr(std::uint8_t Which) const {
  TAttribute* a = nullptr;
  return T.Attributes.Find(Which, a) ? a : nullptr;
}

int THtmlParser::AlignAttr(int Default) const {
  const TAttribute* a = Attr(AlignSy);
  return a ? JustifyOf(a->Name, Default) : Default;
}

// ---- state

void THtmlParser::Init() {
  FCell = &FDoc;
  FFonts.clear();
  auto base = std::make_unique<TMyFont>();
  base->SetName(FDoc.FontName);
  base->SetColor(FDoc.FontColor);
  base->SetNormalSize(FDoc, 12);
  base->SetCharset(FDoc.Charset);
  FFonts.push_back(std::move(base));
  FRefused = 0;
  FLink.Clear();
  FInLink = false;
  FBaseFontSize = 3;
  Title.clear();
  BaseHref.clear();
  BaseTarget.clear();
  FJustify = FBlockJustify = 1;
  FStyle = FScript = 0;
  FListLevel = 0;
  FDepth = 0;
  FForm = nullptr;
  FSection = nullptr;
  T.Attributes.Clear();
  T.InPre = false;
  T.InScript = false;
}

void THtmlParser::Parse() {
  try {
    T.GetCh();
    Next();
    DoBody(TSymSet());
  } catch (...) {
    Finish();
    throw;
  }
  Finish();
}

void THtmlParser::Finish() {
  SectionDone();
  FCell = &FDoc;
  T.Attributes.Clear();
  FFonts.resize(1);
  FRefused = 0;
  FLink.Clear();
  FInLink = false;
}

void THtmlParser::ParseHTMLBuffer(const char* Buffer, std::size_t Size) {
  Init();
  T.SetBufferSource(Buffer, Size);
  Parse();
}

void THtmlParser::ParseHTMLStrings(const TStrings* Strings) {
  Init();
  T.SetStringsSource(Strings);
  Parse();
}

void THtmlParser::ParseHTMLStream(TStream* Stream) {
  Init();
  Stream->SetPosition(0);
  T.SetStreamSource(Stream);
  Parse();
}

void THtmlParser::ParseHTMLFile(const std::string& FileName) {
  Init();
  T.SetFileSource(FileName);
  Parse();
}

void THtmlParser::ParseTextStrings(const TStrings* Strings) {
  Init();
  TMyFont* f = PushFont();
  f->SetName(FDoc.FixedFontName);
  f->FixedPitch = true;
  for (int i = 0; i < Strings->Count(); ++i) {
    std::string line = Strings->Strings(i);
    for (char& c : line)
      if (c == '\t') c = ' ';
    std::size_t pos = 0;
    do {
      auto* pre = new TPreFormated(&FDoc, 1, *TopFont(), nullptr, 0, 0, 0);
      pre->AddText(line.substr(pos, 200));
      FDoc.Add(pre);
      pos += 200;
    } while (pos < line.size());
  }
  Finish();
}

void THtmlParser::ParseTextFile(const std::string& FileName) {
  TStringList lines;
  lines.LoadFromFile(FileName);
  ParseTextStrings(&lines);
}

// ---- fonts

TMyFont* THtmlParser::PushFont() {
  if (int(FFonts.size()) - 1 >= MaxPushedFonts) {
    ++FRefused;  // its end tag must not pop an outer font
    return nullptr;
  }
  auto f = std::make_unique<TMyFont>();
  f->AssignFont(*TopFont());
  FFonts.push_back(std::move(f));
  return FFonts.back().get();
}

void THtmlParser::PopFont() {
  if (FRefused > 0) --FRefused;
  else if (FFonts.size() > 1) FFonts.pop_back();
}

void THtmlParser::RestoreFonts(std::size_t Depth, int Refused) {
  if (FFonts.size() > Depth) FFonts.resize(Depth);
  FRefused = Refused;
}

void THtmlParser::FontChanged() {
  if (FSection) FSection->ChangeFont(*TopFont(), FStyle, FScript);
}

// ---- sections

TSection* THtmlParser::NewSection(int Alignment) {
  FSection = new TSection(&FDoc, Alignment, *TopFont(), FInLink ? &FLink : nullptr, FListLevel, FStyle, FScript);
  return FSection;
}

void THtmlParser::EnsureSection() {
  if (!FSection) NewSection(FJustify);
}

// Adds the open section to the cell; one without text or effect is dropped.
void THtmlParser::SectionDone() {
  if (!FSection) return;
  TSection* s = FSection;
  FSection = nullptr;
  if (s->Text.empty() && s->ClearMode == 0 && s->ItemKind == 0) {
    delete s;
    return;
  }
  FCell->Add(s);
}

void THtmlParser::EndLink() {
  if (!FInLink) return;
  FLink.Clear();
  FInLink = false;
  PopFont();
  if (FSection) FSection->ChangeLink(*TopFont(), FStyle, FScript, nullptr);
}

// ---- body

void THtmlParser::DoBody(const TSymSet& Term) {
  while (T.Sy != EofSy && T.Sy != BodyEndSy) {
    switch (T.Sy) {
      case TitleSy: DoTitle(); break;
      case BodySy:
        // Only at the start of the document: a late BODY changes nothing.
        if (FCell == &FDoc && FDoc.Count() == 0 && (!FSection || FSection->Text.empty())) {
          delete FSection;
          FSection = nullptr;
          TColor c;
          if (const TAttribute* a = Attr(TextAttrSy); a && ColorFromString(a->Name, c)) {
            TopFont()->SetColor(c);
            FDoc.FontColor = c;
          }
          if (const TAttribute* a = Attr(LinkSy); a && ColorFromString(a->Name, c)) FDoc.LinkColor = c;
          if (const TAttribute* a = Attr(BGColorSy); a && ColorFromString(a->Name, c)) FDoc.SetBackground(c);
          if (const TAttribute* a = Attr(BackgroundSy)) FDoc.SetBackgroundBitmap(a->Name);
        }
        Next();
        break;
      case BaseSy:
        if (const TAttribute* a = Attr(HrefSy)) BaseHref = a->Name;
        if (const TAttribute* a = Attr(TargetSy)) BaseTarget = a->Name;
        Next();
        break;
      case HRSy:
        SectionDone();
        FCell->Add(new THorzLine(T.Attributes));
        Next();
        break;
      case OLSy: case ULSy: case DirSy: case MenuSy: case DLSy: case BlockQuoteSy:
        SectionDone();
        DoLists(Term);
        if (T.Sy == OLEndSy || T.Sy == ULEndSy || T.Sy == DirEndSy || T.Sy == MenuEndSy || T.Sy == DLEndSy ||
            T.Sy == BlockQuoteEndSy)
          Next();
        break;
      case CenterSy: case DivSy: DoCenterDiv(Term); break;
      default:
        if (IsElement(T.Sy)) DoElement();
        else if (Term.test(T.Sy)) return;
        else Next();
    }
  }
  if (T.Sy == BodyEndSy) Next();
}

void THtmlParser::DoCenterDiv(const TSymSet& Term) {
  if (FDepth >= MaxNesting) {
    Next();
    return;
  }
  SectionDone();
  int savedJustify = FJustify, savedBlock = FBlockJustify;
  if (T.Sy == CenterSy) FJustify = 2;
  else FJustify = AlignAttr(FJustify);
  FBlockJustify = FJustify;
  Next();
  ++FDepth;
  TSymSet term = Term;
  term.set(CenterEndSy).set(DivEndSy);
  DoBody(term);
  --FDepth;
  SectionDone();
  FJustify = savedJustify;
  FBlockJustify = savedBlock;
  if (T.Sy == CenterEndSy || T.Sy == DivEndSy) Next();
}

bool THtmlParser::IsElement(Symb Sy) const {
  switch (Sy) {
    case PSy: case PEndSy: case BSy: case BEndSy: case StrongSy: case StrongEndSy: case ISy: case IEndSy:
    case EmSy: case EmEndSy: case CiteSy: case CiteEndSy: case VarSy: case VarEndSy: case USy: case UEndSy:
    case SSy: case SEndSy: case StrikeSy: case StrikeEndSy: case SubSy: case SubEndSy: case SupSy: case SupEndSy:
    case BRSy: case HeadingSy: case HeadingEndSy: case TTSy: case TTEndSy: case CodeSy: case CodeEndSy:
    case KbdSy: case KbdEndSy: case SampSy: case SampEndSy: case FontEndSy: case BigEndSy: case SmallEndSy:
    case AddressSy: case AddressEndSy: case PreSy: case ImageSy: case ASy: case AEndSy: case TextSy:
    case TableSy: case InputSy: case SelectSy: case FormSy: case FormEndSy: case TextAreaSy: case TextAreaEndSy:
    case FontSy: case BaseFontSy: case BigSy: case SmallSy: case MapSy: case PageSy: case ScriptSy:
      return true;
    default:
      return false;
  }
}

void THtmlParser::DoElement() {
  switch (T.Sy) {
    case PSy: case PEndSy: DoParagraph(); return;
    case PreSy: DoPre(); return;
    case TableSy: DoTable(); return;
    default:
      ElementAction();
      if (FPendingHandBack) FPendingHandBack = false;
      else Next();
  }
}

// The work of one inline or block tag, leaving the reader right after what it read (the
// caller reads the next symbol), so that preformatted text can use it too.
void THtmlParser::ElementAction() {
  switch (T.Sy) {
    case BSy: case StrongSy: FStyle |= hsBold; FontChanged(); break;
    case BEndSy: case StrongEndSy: FStyle &= ~hsBold; FontChanged(); break;
    case ISy: case EmSy: case CiteSy: case VarSy: FStyle |= hsItalic; FontChanged(); break;
    case IEndSy: case EmEndSy: case CiteEndSy: case VarEndSy: FStyle &= ~hsItalic; FontChanged(); break;
    case USy: FStyle |= hsUnderline; FontChanged(); break;
    case UEndSy: FStyle &= ~hsUnderline; FontChanged(); break;
    case SSy: case StrikeSy: FStyle |= hsStrikeOut; FontChanged(); break;
    case SEndSy: case StrikeEndSy: FStyle &= ~hsStrikeOut; FontChanged(); break;
    case SubSy: FScript = 1; FontChanged(); break;
    case SupSy: FScript = 2; FontChanged(); break;
    case SubEndSy: case SupEndSy: FScript = 0; FontChanged(); break;
    case BRSy: {
      int justify = FSection ? FSection->Alignment : FJustify;
      EnsureSection();
      FSection->FillIfEmpty();
      SectionDone();
      NewSection(justify)->ProcessClear(T.Attributes);
      break;
    }
    case HeadingSy: {
      int savedJustify = FJustify;
      if (TMyFont* f = PushFont()) {
        SectionDone();
        int level = T.HeadingLevel;
        f->SetNormalSize(FDoc, HeadingSizes[level]);
        TFontStyles s = f->Style();
        if (level > 0) s.Include(fsBold);
        f->SetStyle(s);
        FCell->Add(new THeadingSpace(level));
        FJustify = AlignAttr(FJustify);
        (void)savedJustify;
      }
      break;
    }
    case HeadingEndSy:
      if (FRefused > 0) {
        --FRefused;
      } else if (FFonts.size() > 1) {
        SectionDone();
        FCell->Add(new THeadingSpace(T.HeadingLevel));
        PopFont();
        FJustify = FBlockJustify;
      }
      break;
    case TTSy: case CodeSy: case KbdSy: case SampSy:
      if (TMyFont* f = PushFont()) {
        f->SetName(FDoc.FixedFontName);
        f->FixedPitch = true;
      }
      FontChanged();
      break;
    case TTEndSy: case CodeEndSy: case KbdEndSy: case SampEndSy: case FontEndSy: case BigEndSy: case SmallEndSy:
      PopFont();
      FontChanged();
      break;
    case AddressSy:
      SectionDone();
      if (TMyFont* f = PushFont()) {
        TFontStyles s = f->Style();
        f->SetStyle(s.Include(fsItalic));
      }
      break;
    case AddressEndSy:
      SectionDone();
      PopFont();
      break;
    case ImageSy:
      EnsureSection();
      FSection->AddImage(T.Attributes, FInLink ? &FLink : nullptr);
      break;
    case ASy: {
      const TAttribute* href = Attr(HrefSy);
      if (href) {
        EndLink();
        if (!href->Name.empty()) {
          FLink.URL = href->Name;
          const TAttribute* target = Attr(TargetSy);
          FLink.Target = target ? target->Name : std::string();
          FInLink = true;
          if (TMyFont* f = PushFont()) {
            TFontStyles s = f->Style();
            f->SetStyle(s.Include(fsUnderline));
            f->SetColor(FDoc.LinkColor);
          }
          EnsureSection();
          FSection->ChangeLink(*TopFont(), FStyle, FScript, &FLink);
        }
      }
      if (const TAttribute* name = Attr(NameSy); name && !name->Name.empty()) {
        EnsureSection();
        if (FAnchorNames) FAnchorNames->AddObject(UpperCase(name->Name), FSection);
      }
      break;
    }
    case AEndSy: EndLink(); break;
    case TextSy:
      EnsureSection();
      FSection->AddText(T.LCToken);
      break;
    case InputSy: case SelectSy: case TextAreaSy: DoFormControl(); break;
    case FormSy: FForm = new ThtmlForm(&FDoc, &T.Attributes); break;
    case FormEndSy: FForm = nullptr; break;
    case TextAreaEndSy: break;
    case FontSy: case BaseFontSy: DoFont(); break;
    case BigSy: case SmallSy: DoBigSmall(); break;
    case MapSy: DoMap(); break;
    case PageSy:
      SectionDone();
      FCell->Add(new TPage);
      break;
    case ScriptSy: DoScript(); break;
    default: break;
  }
}

// P and /P, and every P and /P directly after them, make one paragraph space.
void THtmlParser::DoParagraph() {
  SectionDone();
  FCell->Add(new TParagraphSpace);
  do {
    if (T.Sy == PSy) FJustify = AlignAttr(FBlockJustify);
    T.SkipWhiteSpace();
    Next();
  } while (T.Sy == PSy || T.Sy == PEndSy);
}

void THtmlParser::DoTitle() {
  Title.clear();
  Next();
  while (T.Sy == TextSy) {
    Title += T.LCToken;
    Next();
  }
}

// ---- lists

void THtmlParser::DoLists(const TSymSet& Term) {
  Symb kind = T.Sy;
  if (FDepth >= MaxNesting) {
    Next();
    return;
  }
  int number = 1;
  char numberStyle = '1';
  bool plain = false;
  if (kind == OLSy) {
    if (const TAttribute* a = Attr(StartSy); a && a->Value >= 0) number = a->Value;
    if (const TAttribute* a = Attr(TypeSy); a && !a->Name.empty()) numberStyle = a->Name[0];
  } else if (kind == ULSy) {
    plain = Attr(PlainSy) != nullptr;
  }
  SectionDone();
  ++FDepth;
  ++FListLevel;
  TSymSet term = Term;
  term.set(OLEndSy).set(ULEndSy).set(DirEndSy).set(MenuEndSy).set(DLEndSy).set(BlockQuoteEndSy).set(EofSy);
  Next();
  while (T.Sy != EofSy) {
    switch (T.Sy) {
      case LISy: {
        SectionDone();
        auto* item = new TUListItem(&FDoc, FJustify, *TopFont(), FInLink ? &FLink : nullptr, FListLevel, FStyle, FScript);
        if (kind == OLSy) {
          item->ItemKind = 1;
          item->ItemNumber = number++;
          item->NumberStyle = numberStyle;
        } else {
          item->ItemKind = kind == BlockQuoteSy ? 0 : 2;
          item->Plain = plain;
        }
        FSection = item;
        T.SkipWhiteSpace();
        Next();
        if (T.Sy == PSy) Next();
        continue;
      }
      case DDSy: case DTSy: {
        SectionDone();
        auto* item = new TUListItem(&FDoc, FJustify, *TopFont(), FInLink ? &FLink : nullptr, FListLevel, FStyle, FScript);
        item->ItemKind = 3;
        FSection = item;
        Next();
        continue;
      }
      case OLSy: case ULSy: case DirSy: case MenuSy: case DLSy: case BlockQuoteSy:
        SectionDone();
        DoLists(term);
        if (T.Sy == OLEndSy || T.Sy == ULEndSy || T.Sy == DirEndSy || T.Sy == MenuEndSy || T.Sy == DLEndSy ||
            T.Sy == BlockQuoteEndSy) {
          // The nested list's own end; ours follows later.
          Next();
        }
        continue;
      case HRSy:
        SectionDone();
        FCell->Add(new THorzLine(T.Attributes));
        Next();
        continue;
      case CenterSy: case DivSy: DoCenterDiv(term); continue;
      default: break;
    }
    if (IsElement(T.Sy)) DoElement();
    else if (term.test(T.Sy)) break;
    else Next();
  }
  SectionDone();
  --FListLevel;
  --FDepth;
}

// ---- preformatted text

void THtmlParser::DoPre() {
  SectionDone();
  if (TMyFont* f = PushFont()) {
    f->SetName(FDoc.FixedFontName);
    f->FixedPitch = true;
  }
  auto open = [this] {
    FSection = new TPreFormated(&FDoc, 1, *TopFont(), FInLink ? &FLink : nullptr, FListLevel, FStyle, FScript);
  };
  open();
  T.InPre = true;
  std::string line;
  auto flush = [&] {
    if (!line.empty()) {
      EnsureSection();
      FSection->AddText(line);
      line.clear();
    }
  };
  for (;;) {
    char c = T.Ch;
    if (c == THtmlTokenizer::EofChar) break;
    if (c == THtmlTokenizer::EolChar) {
      flush();
      EnsureSection();
      TSection* s = FSection;
      FSection = nullptr;
      FCell->Add(s);  // an empty line stays: it is a line of the text
      open();
      T.GetCh();
      continue;
    }
    if (c == '&') {
      T.NextSymbol();
      line += T.LCToken;
      continue;
    }
    if (c == '<') {
      T.NextSymbol();
      if (T.Sy == PreEndSy || T.Sy == EofSy) break;
      flush();
      switch (T.Sy) {
        case FontSy: case FontEndSy: case FormSy: case FormEndSy: case TextAreaSy: case SelectSy: case InputSy:
        case ImageSy: case ASy: case AEndSy: case BSy: case BEndSy: case StrongSy: case StrongEndSy: case ISy:
        case IEndSy: case EmSy: case EmEndSy: case CiteSy: case CiteEndSy: case VarSy: case VarEndSy: case USy:
        case UEndSy: case SSy: case SEndSy: case StrikeSy: case StrikeEndSy: case SubSy: case SubEndSy:
        case SupSy: case SupEndSy: case TTSy: case TTEndSy: case CodeSy: case CodeEndSy: case KbdSy:
        case KbdEndSy: case SampSy: case SampEndSy: case BigSy: case BigEndSy: case SmallSy: case SmallEndSy:
        case PageSy: case MapSy: case ScriptSy:
          if (T.Sy == PageSy) {
            SectionDone();
            FCell->Add(new TPage);
            open();
          } else {
            ElementAction();
          }
          break;
        default: break;
      }
      if (FPendingHandBack) {
        FPendingHandBack = false;
        if (T.Sy == PreEndSy || T.Sy == EofSy) break;
      }
      continue;
    }
    line += c;
    if (line.size() >= 200) flush();
    T.GetCh();
  }
  flush();
  if (FSection && !FSection->Text.empty()) SectionDone();
  else {
    delete FSection;
    FSection = nullptr;
  }
  T.InPre = false;
  PopFont();
  Next();
}

// ---- tables

void THtmlParser::DoTable() {
  if (FDepth >= MaxNesting) {
    Next();
    return;
  }
  EndLink();
  SectionDone();
  TCell* savedCell = FCell;
  int savedJustify = FJustify, savedBlock = FBlockJustify, savedStyle = FStyle, savedList = FListLevel;
  std::size_t fontDepth = FFonts.size();
  int refused = FRefused;
  auto* table = new ThtmlTable(&FDoc, T.Attributes, FJustify);
  table->EnclosingCell = savedCell == &FDoc ? nullptr : savedCell;
  ++FDepth;
  const TSymSet term = Set({TableEndSy, TDSy, TDEndSy, TRSy, TREndSy, THSy, THEndSy, CaptionSy, CaptionEndSy});
  TCellList* row = nullptr;
  TCellObj* cellObj = nullptr;
  int rowJustify = 0, rowVAlign = 1;
  auto finishCell = [&] {
    SectionDone();
    FCell = savedCell;
    FListLevel = savedList;
    cellObj = nullptr;
  };
  auto addRow = [&] {
    if (row) {
      finishCell();
      table->Rows.Add(row);
      row = nullptr;
    }
  };
  // Ends the table with what was read; also when the reader raises, so that the table
  // and its cells join the document instead of being lost.
  auto endTable = [&] {
    EndLink();
    RestoreFonts(fontDepth, refused);
    finishCell();
    addRow();
    --FDepth;
    FCell = savedCell;
    FCell->Add(table);
    FStyle = savedStyle;
    FJustify = savedJustify;
    FBlockJustify = savedBlock;
    FListLevel = savedList;
  };
  try {
    Next();
    while (T.Sy != TableEndSy && T.Sy != EofSy) {
      switch (T.Sy) {
        case TDSy: case THSy: {
          EndLink();
          RestoreFonts(fontDepth, refused);
          FStyle = savedStyle;
          finishCell();  // also ends text that stood before the first cell
          if (!row) row = new TCellList;
          int justify = rowJustify ? rowJustify : T.Sy == TDSy ? 1 : 2;
          if (T.Sy == TDSy) FStyle &= ~hsBold;
          else FStyle |= hsBold;
          justify = AlignAttr(justify);
          int valign = rowVAlign;
          if (const TAttribute* a = Attr(VAlignSy)) {
            std::string v = LowerCase(a->Name);
            valign = v == "top" ? 0 : v == "middle" ? 1 : v == "bottom" ? 2 : valign;
          }
          cellObj = new TCellObj(&FDoc, T.Attributes, valign);
          row->Add(cellObj);
          FCell = cellObj->Cell.get();
          FListLevel = 0;
          FJustify = FBlockJustify = justify;
          T.SkipWhiteSpace();
          Next();
          if (T.Sy == PSy) {
            FJustify = AlignAttr(FJustify);
            Next();
          }
          DoBody(term);
          break;
        }
        case TDEndSy: case THEndSy:
          finishCell();
          Next();
          break;
        case TRSy: {
          EndLink();
          addRow();
          row = new TCellList;
          row->InitializeRow(T.Attributes);
          rowJustify = AlignAttr(0);
          rowVAlign = 1;
          if (const TAttribute* a = Attr(VAlignSy)) {
            std::string v = LowerCase(a->Name);
            rowVAlign = v == "top" ? 0 : v == "bottom" ? 2 : 1;
          }
          Next();
          break;
        }
        case TREndSy:
          addRow();
          Next();
          break;
        case CaptionSy: {
          EndLink();
          RestoreFonts(fontDepth, refused);
          FStyle = savedStyle;
          finishCell();
          const TAttribute* a = Attr(AlignSy);
          table->CaptionOnTop = !(a && LowerCase(a->Name) == "bottom");
          FCell = table->Caption->Cell.get();
          FListLevel = 0;
          FJustify = FBlockJustify = 2;
          Next();
          DoBody(term);
          finishCell();
          if (T.Sy == CaptionEndSy) Next();
          break;
        }
        case CaptionEndSy:
          Next();
          break;
        default:
          // Text outside a cell stands before the table in the enclosing cell.
          if (!cellObj) {
            FCell = savedCell;
            FListLevel = savedList;
            FJustify = savedJustify;
            FBlockJustify = savedBlock;
          }
          DoBody(term);
          break;
      }
    }
  } catch (...) {
    endTable();
    throw;
  }
  endTable();
  if (T.Sy == TableEndSy) Next();
}

// ---- forms

void THtmlParser::DoFormControl() {
  Symb sy = T.Sy;
  TFormControlType type = fcText;
  if (sy == InputSy) {
    const TAttribute* a = Attr(TypeSy);
    std::string v = a ? LowerCase(a->Name) : std::string();
    if (v == "password") type = fcPassword;
    else if (v == "hidden") type = fcHidden;
    else if (v == "submit") type = fcSubmit;
    else if (v == "reset") type = fcReset;
    else if (v == "checkbox") type = fcCheckBox;
    else if (v == "radio") type = fcRadio;
    else if (v == "image") type = fcImage;
  } else if (sy == SelectSy) {
    const TAttribute* size = Attr(SizeSy);
    type = (size && size->Value > 1) || Attr(MultipleSy) ? fcListBox : fcCombo;
  } else {
    type = fcTextArea;
  }
  if (!FForm) FForm = new ThtmlForm(&FDoc, nullptr);  // controls outside a FORM share one
  if (type != fcHidden) EnsureSection();
  TFormControlObj* control = nullptr;
  if (type == fcHidden) {
    control = new TFormControlObj(&FDoc, FForm, type, T.Attributes);
    FForm->AddControl(control);
  } else if (type == fcImage) {
    // An image button is its picture in the text; a click on it submits the form.
    control = new TFormControlObj(&FDoc, FForm, type, T.Attributes);
    FForm->AddControl(control);
    if (const TAttribute* src = Attr(SrcSy)) control->Value = control->Value.empty() ? src->Name : control->Value;
    TImageObj* img = FSection->AddImage(T.Attributes, nullptr);
    img->ImageButton = control;
    control->Offset = img->Offset;
  } else {
    control = FSection->AddFormControl(type, FForm, T.Attributes);
  }
  if (sy == SelectSy) {
    DoSelect(control);
  } else if (sy == TextAreaSy) {
    T.ReadTextAreaContent([control](const std::string& Line) { control->AddLine(Line); });
    control->RestoreInitial();
    // The reader stands after </TEXTAREA>; the caller reads on from there.
  } else {
    control->RestoreInitial();
  }
}

// OPTION texts up to the end of the SELECT. A SELECT left open ends at the next tag that
// cannot stand inside it, so that the rest of the page is not swallowed.
void THtmlParser::DoSelect(TFormControlObj* Control) {
  bool pending = false, selected = false, hasValue = false;
  std::string text, value;
  auto finish = [&] {
    if (!pending) return;
    pending = false;
    std::string t = TrimBlanks(text);
    if (!t.empty()) Control->AddOption(t, hasValue ? &value : nullptr, selected);
  };
  Next();
  for (;;) {
    Symb sy = T.Sy;
    if (sy == SelectEndSy || sy == EofSy) break;
    if (sy == OptionSy || sy == OptionEndSy) {
      finish();
      if (sy == OptionSy) {
        pending = true;
        text.clear();
        const TAttribute* v = Attr(ValueSy);
        hasValue = v != nullptr;
        value = v ? v->Name.substr(0, 80) : std::string();
        selected = Attr(SelectedSy) != nullptr;
      }
    } else if (sy == TextSy) {
      if (pending && text.size() < 80) text += T.LCToken.substr(0, 80 - text.size());
    } else if (sy == FormEndSy || sy == SelectSy || sy == InputSy || sy == TextAreaSy || sy == TableSy ||
               sy == TableEndSy || sy == TDSy || sy == TDEndSy || sy == THSy || sy == THEndSy || sy == TRSy ||
               sy == TREndSy || sy == BodyEndSy) {
      finish();
      Control->RestoreInitial();
      // The tag is not ours: hand it back to the caller as the current symbol. The caller
      // reads the next symbol after us, so step back by handling it there.
      FPendingHandBack = true;
      return;
    }
    Next();
  }
  finish();
  Control->RestoreInitial();
}

// ---- fonts

void THtmlParser::DoFont() {
  bool isBase = T.Sy == BaseFontSy;
  bool inPre = T.InPre;
  int size = -1;
  if (const TAttribute* a = Attr(SizeSy)) {
    const std::string& v = a->Name;
    int n = a->Value;
    if (v.size() >= 2 && (v[0] == '+' || v[0] == '-')) n = FBaseFontSize + n;
    size = n < 1 ? 1 : n > 7 ? 7 : n;
    if (isBase) FBaseFontSize = size;
  }
  if (isBase) {
    // BASEFONT sets the document's text size only before anything is in it.
    if (size > 0 && FCell == &FDoc && FDoc.Count() == 0 && (!FSection || FSection->Text.empty())) {
      FFonts.front()->SetNormalSize(FDoc, (inPre ? PreFontSizes : FontSizes)[size - 1]);
      if (FFonts.size() == 1) FontChanged();
    }
    return;
  }
  TMyFont* f = PushFont();  // pushed even without an attribute, so that </FONT> balances
  if (!f) return;
  bool applied = false;
  TColor c;
  if (const TAttribute* a = Attr(ColorSy); a && ColorFromString(a->Name, c)) {
    f->SetColor(c);
    applied = true;
  }
  if (size > 0) {
    f->SetNormalSize(FDoc, (inPre ? PreFontSizes : FontSizes)[size - 1]);
    applied = true;
  }
  if (const TAttribute* a = Attr(FaceSy)) {
    std::string face = a->Name.substr(0, 50);
    face = TrimBlanks(face.substr(0, face.find(',')));
    if (!face.empty()) {
      f->SetName(face.substr(0, 31));
      applied = true;
    }
  }
  if (applied) FontChanged();
}

// BIG and SMALL step through the size table. At the end of the table the font is pushed
// unchanged, so that the end tag still pops only what its own tag pushed.
void THtmlParser::DoBigSmall() {
  bool big = T.Sy == BigSy;
  int nominal = TopFont()->NominalSize;
  const int* table = nullptr;
  int step = -1;
  for (const int* t : {T.InPre ? PreFontSizes : FontSizes, T.InPre ? FontSizes : PreFontSizes}) {
    for (int i = 0; i < 7 && step < 0; ++i)
      if (t[i] == nominal) step = i;
    if (step >= 0) {
      table = t;
      break;
    }
  }
  TMyFont* f = PushFont();
  if (!f || !table) return;
  int next = big ? step + 1 : step - 1;
  if (next < 0 || next > 6) return;
  f->SetNormalSize(FDoc, table[next]);
  FontChanged();
}

// ---- maps and scripts

// A MAP ends at /MAP; any other tag but AREA ends it too, and a map without its end tag is
// dropped, the rest of the page read on.
void THtmlParser::DoMap() {
  auto map = std::make_unique<TMapItem>();
  if (const TAttribute* a = Attr(NameSy)) map->MapName = UpperCase(TrimBlanks(a->Name));
  Next();
  while (T.Sy == AreaSy || T.Sy == TextSy || T.Sy == UnknownSy) {
    if (T.Sy == AreaSy) map->AddArea(T.Attributes);
    Next();
  }
  if (T.Sy == MapEndSy) {
    FDoc.Maps.Add(map.release());
  } else {
    FPendingHandBack = true;
  }
}

void THtmlParser::DoScript() {
  std::string language;
  if (const TAttribute* a = Attr(LanguageSy)) language = a->Name;
  std::string text;
  T.InScript = true;
  for (;;) {
    T.NextScriptSymbol();
    if (T.Sy == ScriptEndSy || T.Sy == EofSy) break;
    if (!OnScript) continue;
    if (T.Sy == EolSy) text += "\r\n";
    else text += T.LCToken;
  }
  T.InScript = false;
  if (OnScript) OnScript(text, language);
}

// ---- frameset documents

void THtmlParser::SkipNoFrames() {
  while (T.Sy != NoFramesEndSy && T.Sy != EofSy) Next();
  if (T.Sy != EofSy) Next();
}

void THtmlParser::ParseFrameSet(const char* Buffer, std::size_t Size, TFrameNode& Top) {
  Title.clear();
  BaseHref.clear();
  BaseTarget.clear();
  T.Attributes.Clear();
  T.InPre = false;
  T.InScript = false;
  T.SetBufferSource(Buffer, Size);
  T.GetCh();
  Next();
  for (;;) {
    switch (T.Sy) {
      case TitleSy: DoTitle(); break;
      case BaseSy:
        if (const TAttribute* a = Attr(HrefSy)) BaseHref = a->Name;
        if (const TAttribute* a = Attr(TargetSy)) BaseTarget = a->Name;
        Next();
        break;
      case FrameSetSy: DoFrameSet(Top, 0); return;
      case NoFramesSy: SkipNoFrames(); break;
      case ScriptSy:
        DoScript();
        if (T.Sy != EofSy) Next();
        break;
      case EofSy: case BodySy: case PSy: case HeadingSy: case HRSy: case OLSy: case ULSy: case DirSy:
      case MenuSy: case DLSy: case AddressSy: case BlockQuoteSy: case PreSy: case ImageSy: case TableSy:
      case FormSy:
        return;
      default: Next(); break;
    }
  }
}

void THtmlParser::DoFrameSet(TFrameNode& Set, int Depth) {
  if (const TAttribute* a = Attr(RowsSy)) Set.Rows = a->Name;
  if (const TAttribute* a = Attr(ColsSy)) Set.Cols = a->Name;
  if (const TAttribute* a = Attr(FrameBorderSy)) Set.FrameBorder = !(a->Name == "0" || SameText(a->Name, "no"));
  if (const TAttribute* a = Attr(BorderSy)) Set.BorderWidth = std::clamp(a->Value, 0, 20);
  if (!Set.FrameBorder) Set.BorderWidth = 0;
  Next();
  while (T.Sy != FrameSetEndSy && T.Sy != EofSy) {
    switch (T.Sy) {
      case FrameSetSy:
        if (Depth + 1 < MaxNesting) {
          TFrameNode* child = Set.Add(std::make_unique<TFrameNode>(true));
          child->BorderWidth = Set.BorderWidth;
          child->FrameBorder = Set.FrameBorder;
          DoFrameSet(*child, Depth + 1);
        } else {
          Next();
        }
        break;
      case FrameSy: {
        auto frame = std::make_unique<TFrameNode>(false);
        if (const TAttribute* a = Attr(SrcSy)) frame->Source = a->Name;
        if (const TAttribute* a = Attr(NameSy)) frame->Name = a->Name;
        if (const TAttribute* a = Attr(MarginWidthSy)) frame->MarginWidth = std::clamp(a->Value, 0, 50);
        if (const TAttribute* a = Attr(MarginHeightSy)) frame->MarginHeight = std::clamp(a->Value, 0, 50);
        if (const TAttribute* a = Attr(ScrollingSy)) frame->NoScroll = SameText(a->Name, "NO");
        frame->NoReSize = Attr(NoResizeSy) != nullptr;
        Set.Add(std::move(frame));
        Next();
        break;
      }
      case NoFramesSy: SkipNoFrames(); break;
      case ScriptSy:
        DoScript();
        if (T.Sy != EofSy) Next();
        break;
      default: Next(); break;
    }
  }
  if (T.Sy == FrameSetEndSy) Next();
}

// ---- frameset probe

bool THtmlParser::IsFrameSetDocument(const char* Buffer, std::size_t Size) {
  THtmlTokenizer t;
  t.SetBufferSource(Buffer, Size);
  try {
    t.GetCh();
    t.NextSymbol();
    for (;;) {
      switch (t.Sy) {
        case FrameSetSy: return true;
        case EofSy: case BodySy: case PSy: case HeadingSy: case HRSy: case OLSy: case ULSy: case DirSy:
        case MenuSy: case DLSy: case AddressSy: case BlockQuoteSy: case PreSy: case ImageSy: case TableSy:
        case FormSy:
          return false;
        case ScriptSy:
          t.InScript = true;
          do t.NextScriptSymbol();
          while (t.Sy != ScriptEndSy && t.Sy != EofSy);
          t.InScript = false;
          break;
        default: break;
      }
      t.NextSymbol();
    }
  } catch (const EParseError&) {
    return false;
  }
}
