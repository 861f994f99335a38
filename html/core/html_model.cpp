#include "html/core/html_model.h"

#include <algorithm>
#include <cstdio>

#include "classlib/core/sys_utils.h"
#include "html/core/html_tokenizer.h"
#include "html/core/image_loader.h"

namespace {

int MulDiv(int A, int B, int C) { return C == 0 ? 0 : int((long long)A * B / C); }

std::string Pad(int Indent) { return std::string(std::size_t(Indent) * 2, ' '); }

const char* JustifyName(int J) { return J == 2 ? "center" : J == 3 ? "right" : "left"; }

std::string ColorText(TColor C) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%06X", unsigned(C) & 0xFFFFFFu);
  return buf;
}

// The text as the dump shows it: placeholders named, other control bytes as \xNN.
std::string Printable(const std::string& S) {
  std::string r;
  for (char c : S) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == 4) r += "[img]";
    else if (c == 2) r += "[ctl]";
    else if (u < ' ') {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", u);
      r += buf;
    } else r += c;
  }
  return r;
}

const TAttribute* FindAttr(const TAttributeList& A, std::uint8_t Which) {
  TAttribute* a = nullptr;
  return A.Find(Which, a) ? a : nullptr;
}

// WIDTH as pixels or percent: a percentage is kept when 1..100.
void ReadWidth(const TAttribute* A, int& Width, bool& Percent) {
  if (!A) return;
  if (!A->Name.empty() && A->Name.back() == '%') {
    if (A->Value >= 1 && A->Value <= 100) {
      Width = A->Value;
      Percent = true;
    }
  } else if (A->Value > 0) {
    Width = A->Value;
  }
}

}  // namespace

// ---- fonts

void TMyFont::AssignFont(const TMyFont& Source) {
  Assign(&Source);
  NominalSize = Source.NominalSize;
  FixedPitch = Source.FixedPitch;
}

void TMyFont::SetNormalSize(const TSectionList& Document, int Size) {
  NominalSize = Size;
  SetSize(MulDiv(Document.FontSize, Size, 12));
}

void TMyFont::UpdateFont(const TSectionList& Document, TColor Color) {
  SetName(FixedPitch ? Document.FixedFontName : Document.FontName);
  SetCharset(Document.Charset);
  SetSize(MulDiv(Document.FontSize, NominalSize, 12));
  SetColor(Color);
}

void TMyFont::AddStyles(int Styles) {
  TFontStyles s = Style();
  if (Styles & hsBold) s.Include(fsBold);
  if (Styles & hsItalic) s.Include(fsItalic);
  if (Styles & hsUnderline) s.Include(fsUnderline);
  if (Styles & hsStrikeOut) s.Include(fsStrikeOut);
  SetStyle(s);
}

// ---- cells

void TCell::Add(TSectionBase* Block) {
  if (!Block) return;
  if (auto* pre = dynamic_cast<TPreFormated*>(Block); pre && pre->Text.empty()) {
    pre->Text = " ";
    pre->PosCount = 1;
  }
  TFreeList::Add(Block);
  Block->Document = Document;
  Block->UpdateHeight();
}

void TCell::Dump(std::string& Out, int Indent) const {
  for (int i = 0; i < Count(); ++i) Block(i)->Dump(Out, Indent);
}

// ---- images and form controls

TImageObj::TImageObj(TSection* ASection, int AOffset, const TAttributeList& Attributes)
    : Section(ASection), Offset(AOffset) {
  for (int i = 0; i < Attributes.Count(); ++i) {
    const TAttribute* a = Attributes.Attribute(i);
    switch (a->Which) {
      case SrcSy: Source = a->Name; break;
      case AltSy: Alt = a->Name; break;
      case IsMapSy: IsMap = true; break;
      case UseMapSy: UseMap = UpperCase(TrimBlanks(a->Name[0] == '#' ? a->Name.substr(1) : a->Name)); break;
      case AlignSy: {
        std::string v = UpperCase(a->Name);
        if (v == "TOP") ImageAlign = iaTop;
        else if (v == "MIDDLE" || v == "ABSMIDDLE") ImageAlign = iaMiddle;
        else if (v == "LEFT") ImageAlign = iaLeft;
        else if (v == "RIGHT") ImageAlign = iaRight;
        break;
      }
      case HeightSy: if (a->Value > 0) SpecHeight = a->Value; break;
      case WidthSy: ReadWidth(a, SpecWidth, WidthIsPercent); break;
      case HSpaceSy: HSpace = std::min(std::abs(a->Value), 20); break;
      case BorderSy: BorderWidth = std::max(a->Value, 0); break;
      case TranspSy: Transparent = true; break;
      default: break;
    }
  }
}

TImageObj::~TImageObj() {
  if (Fetched && !Source.empty()) ImageCache().ReleaseImage(Source);
  if (Anim && Section && Section->Document) {
    auto& list = Section->Document->AnimatedImages;
    list.erase(std::remove(list.begin(), list.end(), Anim.get()), list.end());
  }
}

TFormControlObj::TFormControlObj(TSectionList* ADocument, ThtmlForm* AForm, TFormControlType AType,
                                 const TAttributeList& Attributes)
    : Type(AType), Document(ADocument), OwnerForm(AForm) {
  for (int i = 0; i < Attributes.Count(); ++i) {
    const TAttribute* a = Attributes.Attribute(i);
    switch (a->Which) {
      case ValueSy: Value = a->Name; break;
      case NameSy: Name = a->Name; break;
      case CheckedSy: InitiallyChecked = true; break;
      case SizeSy:
        if (Type == fcText || Type == fcPassword) SizeInChars = a->Value > 0 ? a->Value : 20;
        else VisibleRows = a->Value > 0 ? a->Value : -1;
        break;
      case MultipleSy: Multiple = true; break;
      case RowsSy: Rows = std::max(a->Value, 1); break;
      case ColsSy: Cols = std::max(a->Value, 1); break;
      default: break;
    }
  }
  if (Type == fcTextArea) {
    if (Rows <= 0) Rows = 5;
    if (Cols <= 0) Cols = 30;
  }
  if (Type == fcListBox && VisibleRows <= 1) Multiple = Multiple || VisibleRows > 1;
  OnBaseline = Type == fcText || Type == fcPassword || Type == fcSubmit || Type == fcReset || Type == fcCombo;
  THtmlControlKind kind;
  switch (Type) {
    case fcText: kind = THtmlControlKind::Edit; break;
    case fcPassword: kind = THtmlControlKind::Password; break;
    case fcSubmit:
    case fcReset: kind = THtmlControlKind::Submit; break;
    case fcCheckBox: kind = THtmlControlKind::CheckBox; break;
    case fcRadio: kind = THtmlControlKind::Radio; break;
    case fcListBox: kind = THtmlControlKind::ListBox; break;
    case fcCombo: kind = THtmlControlKind::ComboBox; break;
    case fcTextArea: kind = THtmlControlKind::Memo; break;
    default: return;  // hidden fields and image buttons have no window
  }
  if (Document && Document->Host && !Document->Printing) {
    Window = Document->Host->CreateControl(kind);
    if (Window && (Type == fcSubmit || Type == fcReset))
      Window->SetText(!Value.empty() ? Value : Type == fcSubmit ? "Submit" : "Reset");
  }
}

void TFormControlObj::AddOption(const std::string& Text, const std::string* OptionValue, bool Selected) {
  TOption o;
  o.Text = Text;
  if (OptionValue) {
    o.Value = *OptionValue;
    o.HasValue = true;
  }
  o.Selected = Selected;
  Options.push_back(o);
  LongestOption = std::max(LongestOption, int(Text.size()));
  if (Window) Window->AddItem(Text);
}

void TFormControlObj::RestoreInitial() {
  if (!Window) return;
  switch (Type) {
    case fcText:
    case fcPassword: Window->SetText(Value); break;
    case fcCheckBox:
    case fcRadio: Window->SetChecked(InitiallyChecked); break;
    case fcListBox:
    case fcCombo: {
      bool any = false;
      bool single = Type == fcCombo || !Multiple;
      for (int i = 0; i < int(Options.size()); ++i) {
        bool sel = Options[i].Selected && !(single && any);
        Window->SetSelected(i, sel);
        any = any || sel;
      }
      if (!any && single && !Options.empty()) Window->SetSelected(0, true);
      break;
    }
    case fcTextArea: {
      std::string text;
      for (std::size_t i = 0; i < InitialLines.size(); ++i) text += (i ? "\r\n" : "") + InitialLines[i];
      Window->SetText(text);
      break;
    }
    default: break;
  }
}

bool TFormControlObj::SubmitString(int Index, std::string& S) const {
  switch (Type) {
    case fcText:
    case fcPassword:
      if (Index != 0) return false;
      S = Name + "=" + (Window ? Window->Text() : Value);
      return true;
    case fcHidden:
      if (Index != 0) return false;
      S = Name + "=" + Value;
      return true;
    case fcCheckBox:
    case fcRadio:
      if (Index != 0) return false;
      S.clear();
      if (Window ? Window->Checked() : InitiallyChecked)
        S = Name + "=" + (Value.empty() && Type == fcCheckBox ? std::string("On") : Value);
      return true;
    case fcListBox:
    case fcCombo: {
      int seen = 0;
      for (int i = 0; i < int(Options.size()); ++i)
        if (Window ? Window->Selected(i) : Options[std::size_t(i)].Selected) {
          if (seen++ == Index) {
            const TOption& o = Options[std::size_t(i)];
            S = Name + "=" + (o.HasValue ? o.Value : o.Text);
            return true;
          }
        }
      return false;
    }
    case fcTextArea: {
      std::string text = Window ? Window->Text() : std::string();
      std::vector<std::string> lines;
      if (Window) {
        std::size_t pos = 0;
        while (pos <= text.size()) {
          std::size_t end = text.find("\r\n", pos);
          if (end == std::string::npos) end = text.size();
          lines.push_back(text.substr(pos, end - pos));
          pos = end + 2;
        }
      } else {
        lines = InitialLines;
      }
      if (Index >= int(lines.size())) return false;
      S = Name + "=" + lines[std::size_t(Index)];
      return true;
    }
    case fcImage: {
      // The clicked point, once: x then y.
      if (SendX < 0 || Index > 1) return false;
      std::string prefix = Name.empty() ? std::string() : Name + ".";
      S = Index == 0 ? prefix + "x=" + std::to_string(SendX) : prefix + "y=" + std::to_string(SendY);
      if (Index == 1) SendX = SendY = -1;
      return true;
    }
    default:
      return false;
  }
}

void TFormControlObj::Click() {
  if (!OwnerForm) return;
  if (Type == fcImage) {
    if (ClickX < 0) return;
    SendX = ClickX;
    SendY = ClickY;
    OwnerForm->Submit(std::string());
    SendX = SendY = -1;  // a form that was not sent (no handler) keeps no point either
  } else if (Type == fcSubmit) OwnerForm->Submit(Name.empty() ? std::string() : Name + "=" + Value);
  else if (Type == fcReset) OwnerForm->ResetAll();
  else if (Type == fcRadio) OwnerForm->UncheckOtherRadios(this);
}

ThtmlForm::ThtmlForm(TSectionList* ADocument, const TAttributeList* Attributes) : Document(ADocument) {
  if (Attributes)
    for (int i = 0; i < Attributes->Count(); ++i) {
      const TAttribute* a = Attributes->Attribute(i);
      if (a->Which == MethodSy) Method = a->Name.substr(0, 4);
      else if (a->Which == ActionSy) Action = a->Name;
    }
  if (Document) Document->Forms.Add(this);
}

ThtmlForm::~ThtmlForm() {
  for (TFormControlObj* c : Controls) delete c;
}

void ThtmlForm::AddControl(TFormControlObj* Control) {
  Controls.push_back(Control);
  if (Control->Type != fcHidden) ++VisibleCount;
}

void ThtmlForm::ResetAll() {
  for (TFormControlObj* c : Controls) c->RestoreInitial();
}

void ThtmlForm::Submit(const std::string& ButtonString) {
  if (!Document || !Document->OnFormSubmit) return;
  std::vector<std::string> fields;
  for (TFormControlObj* c : Controls) {
    std::string s;
    for (int i = 0; c->SubmitString(i, s); ++i)
      if (!s.empty()) fields.push_back(s);
  }
  if (!ButtonString.empty()) fields.push_back(ButtonString);
  Document->OnFormSubmit(Action, fields, Method);
}

bool ThtmlForm::EditKeyDown(TFormControlObj* Edit, int Key) {
  if (Key != 13 || !Edit || (Edit->Type != fcText && Edit->Type != fcPassword) || VisibleCount != 1) return false;
  Submit(std::string());
  return true;
}

void ThtmlForm::UncheckOtherRadios(TFormControlObj* Clicked) {
  for (TFormControlObj* c : Controls)
    if (c != Clicked && c->Type == fcRadio && c->Name == Clicked->Name && c->Window) c->Window->SetChecked(false);
}

// ---- text sections

TSection::TSection(TSectionList* ADocument, int AAlignment, const TMyFont& Font, const TUrlTarget* Link,
                   int AListLevel, int Styles, int Script)
    : ListLevel(AListLevel), Alignment(AAlignment) {
  Document = ADocument;
  StartFont.AssignFont(Font);
  NewRun(Font, Styles, Script, Link);
}

void TSection::NewRun(const TMyFont& Font, int Styles, int Script, const TUrlTarget* Link) {
  TFontObj* run;
  if (Fonts.Count() > 0 && LastRun()->Offset == int(Text.size())) {
    run = LastRun();
  } else {
    run = new TFontObj;
    run->Offset = int(Text.size());
    Fonts.Add(run);
  }
  run->Font.AssignFont(Font);
  run->Font.AddStyles(Styles);
  run->ScriptPos = Script;
  if (Script != 0 && Document) run->Font.SetNormalSize(*Document, MulDiv(Font.NominalSize, 3, 4));
  run->Link.Clear();
  if (Link) run->Link = *Link;
}

void TSection::ChangeFont(const TMyFont& Font, int Styles, int Script) {
  TUrlTarget link = LastRun()->Link;
  NewRun(Font, Styles, Script, &link);
}

void TSection::ChangeLink(const TMyFont& Font, int Styles, int Script, const TUrlTarget* Link) {
  NewRun(Font, Styles, Script, Link);
}

// No length limit: a long paragraph keeps every character.
void TSection::AddText(const std::string& S) {
  if (S.empty()) return;
  std::size_t from = 0;
  if (S[0] == ' ') {
    bool drop = Text.empty() || Text.back() == ' ';
    if (!drop) {
      drop = true;  // only floating images so far
      for (int i = 0; i < Images.Count() && drop; ++i) {
        auto* img = static_cast<TImageObj*>(Images.Items(i));
        drop = img->ImageAlign == iaLeft || img->ImageAlign == iaRight;
      }
      drop = drop && Text.find_first_not_of('\4') == std::string::npos;
    }
    if (drop) from = 1;
  }
  Text.append(S, from, std::string::npos);
  PosCount = int(Text.size());
}

TImageObj* TSection::AddImage(const TAttributeList& Attributes, const TUrlTarget* Link) {
  auto* img = new TImageObj(this, int(Text.size()), Attributes);
  if (Link) img->Link = *Link;
  Images.Add(img);
  Text += '\4';
  PosCount = int(Text.size());
  return img;
}

TFormControlObj* TSection::AddFormControl(TFormControlType Type, ThtmlForm* Form, const TAttributeList& Attributes) {
  auto* c = new TFormControlObj(Document, Form, Type, Attributes);
  Form->AddControl(c);
  if (Type == fcHidden) return c;
  c->Offset = int(Text.size());
  FormControls.push_back(c);
  Text += '\2';
  PosCount = int(Text.size());
  return c;
}

void TSection::ProcessClear(const TAttributeList& Attributes) {
  if (const TAttribute* a = FindAttr(Attributes, ClearSy)) {
    std::string v = LowerCase(a->Name.substr(0, 15));
    ClearMode = v == "left" ? 1 : v == "right" ? 2 : 3;
  }
}

int TSection::FillIfEmpty() {
  if (Text.empty()) {
    Text = " ";
    PosCount = 1;
  }
  return Alignment;
}

const char* TSection::KindName() const { return "section"; }

const char* TUListItem::KindName() const {
  switch (ItemKind) {
    case 1: return "ol-item";
    case 3: return "dl-item";
    default: return "ul-item";
  }
}

void TSection::Dump(std::string& Out, int Indent) const {
  Out += Pad(Indent) + KindName() + " " + JustifyName(Alignment);
  if (ListLevel) Out += " level=" + std::to_string(ListLevel);
  if (ItemKind == 1) Out += " number=" + std::to_string(ItemNumber) + " type=" + std::string(1, NumberStyle);
  if (Plain) Out += " plain";
  if (ClearMode) Out += " clear=" + std::to_string(ClearMode);
  Out += " \"" + Printable(Text) + "\"\n";
  for (int i = 0; i < Fonts.Count(); ++i) {
    auto* f = static_cast<TFontObj*>(Fonts.Items(i));
    if (Fonts.Count() == 1 && f->Link.URL.empty() && f->ScriptPos == 0 && f->Font.Style() == TFontStyles() &&
        f->Font.NominalSize == 12 && !f->Font.FixedPitch)
      break;  // a plain section: no run lines
    Out += Pad(Indent + 1) + "run " + std::to_string(f->Offset) + " size=" + std::to_string(f->Font.NominalSize);
    TFontStyles s = f->Font.Style();
    if (s.Contains(fsBold)) Out += " bold";
    if (s.Contains(fsItalic)) Out += " italic";
    if (s.Contains(fsUnderline)) Out += " underline";
    if (s.Contains(fsStrikeOut)) Out += " strike";
    if (f->Font.FixedPitch) Out += " fixed";
    if (f->ScriptPos) Out += f->ScriptPos == 1 ? " sub" : " sup";
    Out += " color=" + ColorText(f->Font.Color());
    if (!f->Link.URL.empty()) Out += " link=" + f->Link.URL;
    Out += "\n";
  }
  for (int i = 0; i < Images.Count(); ++i) {
    auto* img = static_cast<TImageObj*>(Images.Items(i));
    Out += Pad(Indent + 1) + "img " + std::to_string(img->Offset) + " src=" + img->Source;
    if (!img->UseMap.empty()) Out += " usemap=" + img->UseMap;
    Out += "\n";
  }
  for (TFormControlObj* c : FormControls) {
    static const char* const names[] = {"text", "password", "hidden", "submit", "reset", "checkbox",
                                        "radio", "image", "listbox", "combo", "textarea"};
    Out += Pad(Indent + 1) + "control " + std::to_string(c->Offset) + " " + names[c->Type];
    if (!c->Name.empty()) Out += " name=" + c->Name;
    for (const auto& o : c->Options) Out += " [" + o.Text + (o.Selected ? "*" : "") + "]";
    Out += "\n";
  }
}

void TPreFormated::AddText(const std::string& S) {
  Text += S;
  PosCount = int(Text.size());
}

// ---- small blocks

void TParagraphSpace::UpdateHeight() { BlockHeight = MulDiv(14, Document->FontSize, 12); }

void TParagraphSpace::Dump(std::string& Out, int Indent) const { Out += Pad(Indent) + "space\n"; }

void THeadingSpace::UpdateHeight() {
  static const int n[6] = {16, 12, 10, 8, 6, 4};
  BlockHeight = MulDiv(Level >= 1 && Level <= 6 ? n[Level - 1] : 8, Document->FontSize, 12);
}

void THeadingSpace::Dump(std::string& Out, int Indent) const {
  Out += Pad(Indent) + "heading-space " + std::to_string(Level) + "\n";
}

THorzLine::THorzLine(const TAttributeList& Attributes) {
  if (const TAttribute* a = FindAttr(Attributes, SizeSy); a && a->Value >= 1 && a->Value <= 20) RuleSize = a->Value;
  if (const TAttribute* a = FindAttr(Attributes, WidthSy)) {
    int w = -1;
    ReadWidth(a, w, WidthIsPercent);
    RuleWidth = w;
  }
  if (const TAttribute* a = FindAttr(Attributes, ColorSy)) HasColor = ColorFromString(a->Name, RuleColor);
}

void THorzLine::UpdateHeight() { BlockHeight = MulDiv(20, Document->FontSize, 12) - 2 + RuleSize; }

void THorzLine::Dump(std::string& Out, int Indent) const {
  Out += Pad(Indent) + "rule size=" + std::to_string(RuleSize) + " width=" + std::to_string(RuleWidth) +
         (WidthIsPercent ? "%" : "") + (HasColor ? " color=" + ColorText(RuleColor) : "") + "\n";
}

void TPage::Dump(std::string& Out, int Indent) const { Out += Pad(Indent) + "page\n"; }

// ---- tables

TCellObj::TCellObj(TSectionList* Document, const TAttributeList& Attributes, int AVAlign)
    : VAlign(AVAlign), Cell(std::make_unique<TCell>(Document)) {
  for (int i = 0; i < Attributes.Count(); ++i) {
    const TAttribute* a = Attributes.Attribute(i);
    switch (a->Which) {
      case ColSpanSy: if (a->Value > 1) ColSpan = a->Value; break;
      case RowSpanSy: if (a->Value > 1) RowSpan = a->Value; break;
      case HeightSy: if (a->Value > 0) SpecHeight = a->Value; break;
      case WidthSy: ReadWidth(a, SpecWidth, WidthIsPercent); break;
      case BGColorSy: Cell->HasBgColor = ColorFromString(a->Name, Cell->BgColor); break;
      default: break;
    }
  }
}

void TCellList::InitializeRow(const TAttributeList& Attributes) {
  if (const TAttribute* a = FindAttr(Attributes, BGColorSy)) HasRowBgColor = ColorFromString(a->Name, RowBgColor);
}

ThtmlTable::ThtmlTable(TSectionList* ADocument, const TAttributeList& Attributes, int AAlign) : TableAlign(AAlign) {
  Document = ADocument;
  int padding = 1, spacing = 2;
  for (int i = 0; i < Attributes.Count(); ++i) {
    const TAttribute* a = Attributes.Attribute(i);
    switch (a->Which) {
      case BorderSy: Border = a->Value > 0; break;
      case WidthSy:
        if (!a->Name.empty() && a->Name.back() == '%') {
          WidthIsPercent = true;
          if (a->Value >= 1 && a->Value <= 100) WidthAttr = a->Value;
        } else if (a->Value > 0) {
          WidthAttr = a->Value;
        }
        break;
      case BGColorSy: HasBgColor = ColorFromString(a->Name, BgColor); break;
      case BorderColorSy: HasBorderColor = ColorFromString(a->Name, BorderColor); break;
      case CellSpacingSy: if (a->Value >= 0) spacing = a->Value; break;
      case CellPaddingSy: if (a->Value >= 0) padding = a->Value; break;
      case AlignSy: {
        std::string v = UpperCase(a->Name);
        if (v == "CENTER") TableAlign = 2;
        else if (v == "LEFT") { TableAlign = 1; Float = true; }
        else if (v == "RIGHT") { TableAlign = 3; Float = true; }
        break;
      }
      case HSpaceSy: HSpace = std::min(std::abs(a->Value), 20); break;
      default: break;
    }
  }
  CellSpacing = std::min(spacing + 1, 40);
  CellPadding = std::min(padding + 1, 50);
  if (!Border) CellPadding = std::max(CellPadding - 1, 0);
  Caption = std::make_unique<TCellObj>(ADocument, TAttributeList(), 1);
}

void ThtmlTable::Dump(std::string& Out, int Indent) const {
  Out += Pad(Indent) + "table " + JustifyName(TableAlign) + (Border ? " border" : "") + (Float ? " float" : "");
  if (WidthAttr) Out += " width=" + std::to_string(WidthAttr) + (WidthIsPercent ? "%" : "");
  Out += "\n";
  if (Caption->Cell->Count() > 0) {
    Out += Pad(Indent + 1) + (CaptionOnTop ? "caption top\n" : "caption bottom\n");
    Caption->Cell->Dump(Out, Indent + 2);
  }
  for (int r = 0; r < Rows.Count(); ++r) {
    Out += Pad(Indent + 1) + "row\n";
    for (int c = 0; c < Row(r)->Count(); ++c) {
      TCellObj* cell = Row(r)->CellObj(c);
      if (cell->Filler()) {
        Out += Pad(Indent + 2) + "filler\n";
        continue;
      }
      Out += Pad(Indent + 2) + "cell";
      if (cell->ColSpan > 1) Out += " colspan=" + std::to_string(cell->ColSpan);
      if (cell->RowSpan > 1) Out += " rowspan=" + std::to_string(cell->RowSpan);
      Out += "\n";
      cell->Cell->Dump(Out, Indent + 3);
    }
  }
}

// ---- the document

TSectionList::TSectionList(THtmlHost* AHost) : TCell(this), Host(AHost) {}

TSectionList::~TSectionList() { Clear(); }

void TSectionList::SetFonts(const std::string& Name, const std::string& FixedName, int Size, TColor Color,
                            TColor Link, TColor BgColor) {
  FontName = Name.substr(0, 31);
  FixedFontName = FixedName.substr(0, 31);
  FontSize = Size;
  FontColor = Color;
  LinkColor = Link;
  SetBackground(BgColor);
}

void TSectionList::Clear() {
  TFreeList::Clear();  // blocks first: their sections refer to the forms' controls
  Forms.Clear();
  Maps.Clear();
  BgImageName.clear();
}

namespace {

int FindInCell(const TCell& Cell, int From, const std::string& Pattern, bool MatchCase);

// Pattern inside one section's text, compared whole.
int FindInSection(const TSection& S, int From, const std::string& Pattern, bool MatchCase) {
  const std::string& text = S.Text;
  std::size_t start = From > S.FirstPos ? std::size_t(From - S.FirstPos) : 0;
  if (Pattern.empty() || Pattern.size() > text.size()) return -1;
  for (std::size_t i = start; i + Pattern.size() <= text.size(); ++i) {
    std::size_t k = 0;
    while (k < Pattern.size() && (MatchCase ? text[i + k] == Pattern[k]
                                            : AnsiUpperChar(text[i + k]) == AnsiUpperChar(Pattern[k])))
      ++k;
    if (k == Pattern.size()) return S.FirstPos + int(i);
  }
  return -1;
}

int FindInBlock(const TSectionBase* B, int From, const std::string& Pattern, bool MatchCase) {
  if (auto* s = dynamic_cast<const TSection*>(B)) {
    if (s->FirstPos + s->PosCount <= From) return -1;
    return FindInSection(*s, From, Pattern, MatchCase);
  }
  if (auto* t = dynamic_cast<const ThtmlTable*>(B)) {
    int r = FindInCell(*t->Caption->Cell, From, Pattern, MatchCase);
    for (int i = 0; r < 0 && i < t->Rows.Count(); ++i)
      for (int c = 0; r < 0 && c < t->Row(i)->Count(); ++c)
        r = FindInCell(*t->Row(i)->CellObj(c)->Cell, From, Pattern, MatchCase);
    return r;
  }
  return -1;
}

int FindInCell(const TCell& Cell, int From, const std::string& Pattern, bool MatchCase) {
  for (int i = 0; i < Cell.Count(); ++i) {
    int r = FindInBlock(Cell.Block(i), From, Pattern, MatchCase);
    if (r >= 0) return r;
  }
  return -1;
}

}  // namespace

int TSectionList::FindString(int From, const std::string& Pattern, bool MatchCase) const {
  return FindInCell(*this, From, Pattern, MatchCase);
}

std::shared_ptr<THtmlPicture> TSectionList::GetImage(const std::string& Source, int& Transparent,
                                                     std::unique_ptr<TGifAnimImage>* Anim) {
  if (TrimBlanks(Source).empty()) return nullptr;
  TStringBitmapList& cache = ImageCache();
  int index = cache.IndexOf(Source);
  if (index < 0) {
    std::vector<std::uint8_t> data;
    bool have;
    if (OnImageRequest) {
      have = OnImageRequest(Source, data);
    } else {
      std::string path = UrlToDosPath(TrimBlanks(Source));
      bool absolute = path.find(':') != std::string::npos || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
      have = ReadImageFile(absolute ? path : BaseFolder + path, data);
    }
    if (!have || data.empty()) return nullptr;
    TBitmapItem item;
    TImageType type = ImageTypeFromHeader(data.data(), data.size());
    if (type == itGIF87 || type == itGIF89) {
      bool nonAnimated = true;
      std::unique_ptr<TGifAnimImage> anim = TGifAnimImage::CreateFromData(data.data(), data.size(), nonAnimated);
      if (anim) item.Anim = std::move(anim);
    }
    int transparent = Transparent;
    if (!item.Anim) {
      std::unique_ptr<THtmlPicture> pic = LoadImageData(data.data(), data.size(), transparent);
      if (!pic) return nullptr;
      item.Image = std::move(pic);
      item.Transparent = transparent;
    }
    cache.AddObject(Source, item);
    index = cache.IndexOf(Source);
    cache.ReleaseImage(Source);  // the fetch below counts the holder
  }
  TBitmapItem& item = cache.FetchImage(index);
  if (item.Anim) {
    if (Anim) {
      *Anim = item.Anim->CreateCopy();
      AnimatedImages.push_back(Anim->get());
    }
    return nullptr;
  }
  if (item.Transparent == 2) Transparent = 2;
  else if (Transparent == 1 && item.Transparent == 0) {
    // A copy with the mask: the cached picture stays as it was for other documents.
    auto masked = std::make_shared<THtmlPicture>(*item.Image);
    MakeImageMask(*masked, false, 0);
    return masked;
  }
  return item.Image;
}

TMapItem* TSectionList::FindMap(const std::string& Name) const {
  for (int i = 0; i < Maps.Count(); ++i) {
    auto* m = static_cast<TMapItem*>(Maps.Items(i));
    if (m->MapName == Name) return m;
  }
  return nullptr;
}

std::string TSectionList::Dump() const {
  std::string out;
  TCell::Dump(out, 0);
  return out;
}

// ---- colours

bool ColorFromString(std::string S, TColor& Color) {
  static const struct {
    const char* Name;
    std::int32_t Value;
  } names[] = {{"BLACK", 0x000000}, {"MAROON", 0x000080}, {"GREEN", 0x008000},  {"OLIVE", 0x008080},
               {"NAVY", 0x800000},  {"PURPLE", 0x800080}, {"TEAL", 0x808000},   {"GRAY", 0x808080},
               {"SILVER", 0xC0C0C0}, {"RED", 0x0000FF},   {"LIME", 0x00FF00},   {"YELLOW", 0x00FFFF},
               {"BLUE", 0xFF0000},  {"FUCHSIA", 0xFF00FF}, {"AQUA", 0xFFFF00},  {"WHITE", 0xFFFFFF}};
  if (S.empty()) return false;
  std::string upper = UpperCase(S).substr(0, 10);
  for (const auto& n : names)
    if (upper == n.Name) {
      Color = TColor(n.Value);
      return true;
    }
  if (std::size_t hash = S.find('#'); hash != std::string::npos) S.erase(hash, 1);
  if (S.empty() || S.size() > 8) return false;
  std::uint32_t v = 0;
  for (char c : S) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    v = v << 4 | std::uint32_t(d);
  }
  // Only the 24 colour bits count: a high byte would make it a system or palette colour.
  v &= 0xFFFFFF;
  Color = TColor(std::int32_t((v & 0xFF) << 16 | (v & 0xFF00) | (v >> 16)));
  return true;
}
