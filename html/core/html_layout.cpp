// Layout and drawing of the document model through the host: cells stack their blocks,
// text sections break into lines by measured widths.
#include <algorithm>
#include <cstdio>

#include "html/core/html_model.h"

namespace {

int MulDiv(int A, int B, int C) { return C == 0 ? 0 : int((long long)A * B / C); }

bool IsObject(char C) { return C == 2 || C == 4; }

std::string RomanOf(int N, bool Upper) {
  static const struct {
    int V;
    const char* S;
  } table[] = {{1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
               {40, "XL"},  {10, "X"},   {9, "IX"},  {5, "V"},    {4, "IV"},   {1, "I"}};
  std::string r;
  N = std::clamp(N, 1, 3999);
  for (const auto& t : table)
    while (N >= t.V) {
      r += t.S;
      N -= t.V;
    }
  if (!Upper)
    for (char& c : r) c = char(c - 'A' + 'a');
  return r;
}

}  // namespace

// ---- base blocks

int TSectionBase::DrawLogic(THtmlHost&, int Y, IndentManagerBasic& Indents, int& MaxWidth, int& Curs) {
  Top = Y;
  FirstPos = Curs;
  CoverHeight = BlockHeight;
  MaxWidth = std::max(MaxWidth, Indents.RightEdge - Indents.LeftEdge);
  return BlockHeight;
}

int TSectionBase::Draw(THtmlHost&, const THtmlRect&, IndentManagerBasic&, int, int Y) { return Y + BlockHeight; }

void TSectionBase::MinMaxWidth(THtmlHost&, int& Min, int& Max) { Min = Max = 0; }

// ---- cells

int TCell::LayOut(THtmlHost& Host, int Y, int AWidth, int& MaxWidth, int& Curs) {
  Width = AWidth;
  Indents.Clear();
  Indents.SetEdges(0, AWidth);
  Top = Y;
  FirstPos = Curs;
  MaxWidth = 0;
  int y = Y;
  for (int i = 0; i < Count(); ++i) {
    int mw = 0;
    y += Block(i)->DrawLogic(Host, y, Indents, mw, Curs);
    MaxWidth = std::max(MaxWidth, mw);
  }
  PosCount = Curs - FirstPos;
  return std::max(y - Y, Indents.AllFloatsBottom() - Y);
}

int TCell::Draw(THtmlHost& Host, const THtmlRect& Clip, int AWidth, int X, int Y) {
  Indents.SetEdges(X, X + AWidth);
  int y = Y;
  for (int i = 0; i < Count(); ++i) y = Block(i)->Draw(Host, Clip, Indents, X, y);
  return y;
}

void TCell::MinMaxWidth(THtmlHost& Host, int& Min, int& Max) {
  Min = Max = 0;
  for (int i = 0; i < Count(); ++i) {
    int mn = 0, mx = 0;
    Block(i)->MinMaxWidth(Host, mn, mx);
    Min = std::max(Min, mn);
    Max = std::max(Max, mx);
  }
}

int TSectionList::LayOut(THtmlHost& Host, int AWidth) {
  int maxWidth = 0, curs = 0;
  for (int f = 0; f < Forms.Count(); ++f)
    for (TFormControlObj* c : static_cast<ThtmlForm*>(Forms.Items(f))->Controls) {
      TMyFont font;
      font.SetName(FontName);
      font.SetNormalSize(*this, 12);
      c->SizeFromFont(Host, font);
    }
  Height = TCell::LayOut(Host, 0, AWidth, maxWidth, curs);
  MaxWidth = maxWidth;
  return Height;
}

void TSectionList::DrawDocument(THtmlHost& Host, const THtmlRect& Clip, int X, int Y) {
  for (TGifAnimImage* a : AnimatedImages) a->Drawn = false;
  if (HasBgColorFill) Host.FillRect(Clip, Background);
  for (int f = 0; f < Forms.Count(); ++f)
    for (TFormControlObj* c : static_cast<ThtmlForm*>(Forms.Items(f))->Controls) c->Shown = false;
  TCell::Draw(Host, Clip, Width, X, Y - ScrollY);
  // Controls not placed by this paint have scrolled away.
  for (int f = 0; f < Forms.Count(); ++f)
    for (TFormControlObj* c : static_cast<ThtmlForm*>(Forms.Items(f))->Controls)
      if (!c->Shown && c->Window) c->Window->SetVisible(false);
}

// ---- inline objects

void TImageObj::SetSize(THtmlHost& Host, int AvailableWidth) {
  TSectionList* doc = Section ? Section->Document : nullptr;
  if (!Fetched && doc && doc->ViewImages) {
    Fetched = true;
    int transparent = Transparent ? 1 : 0;
    Picture = doc->GetImage(Source, transparent, &Anim);
  }
  int nw = Anim ? Anim->Width : Picture ? Picture->Width : 0;
  int nh = Anim ? Anim->Height : Picture ? Picture->Height : 0;
  int w = SpecWidth, h = SpecHeight;
  if (nw > 0 && nh > 0) {
    // Scaled by the natural size only when it is there: a size of 0 divides nothing.
    if (WidthIsPercent) {
      w = MulDiv(AvailableWidth, SpecWidth, 100);
      if (h <= 0) h = nh;
    } else if (w > 0 && h > 0) {
    } else if (h > 0) {
      w = MulDiv(h, nw, nh);
    } else if (w > 0) {
      h = MulDiv(w, nh, nw);
    } else {
      w = nw;
      h = nh;
    }
  } else {
    if (WidthIsPercent) w = MulDiv(AvailableWidth, SpecWidth, 100);
    if (w <= 0 || h <= 0) {
      // No picture: a box that holds the ALT text.
      TFont font;
      font.SetName("Arial");
      font.SetSize(8);
      if (w <= 0) w = std::max(24, Alt.empty() ? 24 : Host.TextWidth(font, Alt) + 2 + 24);
      if (h <= 0) h = std::max(24, Host.FontMetrics(font).Height);
    }
  }
  ImageWidth = std::max(w, 0);
  ImageHeight = std::max(h, 0);
  if (!Link.URL.empty() && BorderWidth != 0) {
    ImageWidth += 2;
    ImageHeight += 2;
  }
}

void TImageObj::Draw(THtmlHost& Host, int X, int Y) {
  bool border = !Link.URL.empty() && BorderWidth != 0;
  int b = border ? 1 : 0;
  int w = ImageWidth - 2 * b, h = ImageHeight - 2 * b;
  if (Anim) {
    Anim->Visible = true;
    Anim->Drawn = true;
    Anim->Draw(Host, X + b, Y + b, w, h);
  } else if (Picture) {
    Host.DrawPicture(*Picture, X + b, Y + b, w, h);
  } else {
    DrawBevel3D(Host, Section && Section->Document ? Section->Document->Background : clWhite, false, X + b, Y + b,
                X + b + w, Y + b + h, false);
    if (!Alt.empty()) {
      TFont font;
      font.SetName("Arial");
      font.SetSize(8);
      Host.PushClip({X + b, Y + b, X + b + w, Y + b + h});
      WrapTextRect(Host, font, X + b + 2, Y + b + 2, X + b + w - 2, Y + b + h, Alt);
      Host.PopClip();
    }
  }
  if (border) {
    TColor c = Section && Section->Document ? Section->Document->LinkColor : clBlue;
    Host.DrawLine(X, Y, X + ImageWidth - 1, Y, c);
    Host.DrawLine(X + ImageWidth - 1, Y, X + ImageWidth - 1, Y + ImageHeight - 1, c);
    Host.DrawLine(X + ImageWidth - 1, Y + ImageHeight - 1, X, Y + ImageHeight - 1, c);
    Host.DrawLine(X, Y + ImageHeight - 1, X, Y, c);
  }
}

bool TSectionList::AnimationStep(std::uint32_t Now, std::vector<THtmlRect>& Invalid) {
  if (Printing) return false;
  bool any = false;
  for (TGifAnimImage* a : AnimatedImages)
    if (a->Drawn && a->CheckTime(Now)) {
      Invalid.push_back(a->LastDrawn());
      any = true;
    }
  return any;
}

void TSectionList::StartAnimations(std::uint32_t Now) {
  for (TGifAnimImage* a : AnimatedImages) {
    a->SetAnimate(false, Now);
    a->SetCurrentFrame(1);
    if (!Printing) a->SetAnimate(true, Now);
  }
}

void TFormControlObj::SizeFromFont(THtmlHost& Host, const TFont& Font) {
  int w = Host.TextWidth(Font, "A"), h = Host.FontMetrics(Font).Height;
  switch (Type) {
    case fcText:
    case fcPassword: Width = w * SizeInChars + 5; Height = h + 8; break;
    case fcSubmit:
    case fcReset: {
      std::string caption = !Value.empty() ? Value : Type == fcSubmit ? "Submit" : "Reset";
      Width = Host.TextWidth(Font, caption) + 20;
      Height = h + 8;
      break;
    }
    case fcCheckBox:
    case fcRadio: Width = Height = 13; break;
    case fcListBox: {
      int rows = VisibleRows > 0 ? VisibleRows : std::clamp(int(Options.size()), 1, 4);
      Width = w * LongestOption + 15;
      Height = h * rows + 4;
      break;
    }
    case fcCombo: Width = w * LongestOption + 30; Height = h + 8; break;
    case fcTextArea: Width = w * Cols + 5; Height = h * Rows + 5; break;
    case fcImage: Width = Height = 24; break;
    case fcHidden: Width = Height = 0; break;
  }
}

// ---- text sections

bool TSection::Preformatted() const { return dynamic_cast<const TPreFormated*>(this) != nullptr; }

TFontObj* TSection::RunAt(int Offset) const {
  TFontObj* run = static_cast<TFontObj*>(Fonts.Items(0));
  for (int i = 1; i < Fonts.Count(); ++i) {
    auto* r = static_cast<TFontObj*>(Fonts.Items(i));
    if (r->Offset > Offset) break;
    run = r;
  }
  return run;
}

int TSection::NextBreak(int Offset) const {
  int next = int(Text.size());
  for (int i = 0; i < Fonts.Count(); ++i) {
    int o = static_cast<TFontObj*>(Fonts.Items(i))->Offset;
    if (o > Offset) {
      next = std::min(next, o);
      break;
    }
  }
  for (int i = Offset + 1; i < next; ++i)
    if (IsObject(Text[std::size_t(i)])) return i;
  return next;
}

TImageObj* TSection::ImageAt(int Offset) const {
  for (int i = 0; i < Images.Count(); ++i) {
    auto* img = static_cast<TImageObj*>(Images.Items(i));
    if (img->Offset == Offset) return img;
  }
  return nullptr;
}

TFormControlObj* TSection::ControlAt(int Offset) const {
  for (TFormControlObj* c : FormControls)
    if (c->Offset == Offset) return c;
  return nullptr;
}

int TSection::TextWidthOf(THtmlHost& Host, int Start, bool Strip, int Count) {
  if (Strip)
    while (Count > 1 && Text[std::size_t(Start + Count - 1)] == ' ') --Count;
  int width = 0, p = Start, end = Start + Count;
  while (p < end) {
    char c = Text[std::size_t(p)];
    if (c == 4) {
      TImageObj* img = ImageAt(p);
      if (img && !img->Floating()) width += img->ImageWidth;
      ++p;
    } else if (c == 2) {
      if (TFormControlObj* ctl = ControlAt(p)) width += ctl->Width;
      ++p;
    } else {
      int stop = std::min(NextBreak(p), end);
      TFontObj* run = RunAt(p);
      width += Host.TextWidth(run->Font, std::string_view(Text).substr(std::size_t(p), std::size_t(stop - p))) -
               Host.FontMetrics(run->Font).Overhang;
      p = stop;
    }
  }
  return width;
}

int TSection::CountThatFits(THtmlHost& Host, int Width, int Count, int Start) {
  int used = 0, p = Start, end = Start + Count;
  while (p < end) {
    char c = Text[std::size_t(p)];
    if (IsObject(c)) {
      int w = 0;
      if (c == 4) {
        TImageObj* img = ImageAt(p);
        if (img && !img->Floating()) w = img->ImageWidth;
      } else if (TFormControlObj* ctl = ControlAt(p)) {
        w = ctl->Width;
      }
      if (used + w > Width && p > Start) break;
      used += w;
      ++p;
      continue;
    }
    int stop = std::min(NextBreak(p), end);
    TFontObj* run = RunAt(p);
    int overhang = Host.FontMetrics(run->Font).Overhang;
    std::string_view all(Text);
    auto widthOf = [&](int n) {
      return Host.TextWidth(run->Font, all.substr(std::size_t(p), std::size_t(n))) - overhang;
    };
    if (used + widthOf(stop - p) <= Width) {
      used += widthOf(stop - p);
      p = stop;
      continue;
    }
    // The longest prefix that fits, by halving.
    int lo = 0, hi = stop - p;
    while (lo < hi) {
      int mid = (lo + hi + 1) / 2;
      if (used + widthOf(mid) <= Width) lo = mid;
      else hi = mid - 1;
    }
    return p + lo - Start;
  }
  return p - Start;
}

int TSection::DrawLogic(THtmlHost& Host, int Y, IndentManagerBasic& Indents, int& MaxWidth, int& Curs) {
  Top = Y;
  FirstPos = Curs;
  BlockHeight = 0;
  Lines.clear();
  if (ListLevel != Indents.Level) Indents.SetListLevel(Y, ListLevel);
  int clear = 0;
  if (ClearMode) {
    int leftY = 0, rightY = 0;
    Indents.SideFloatsBottom(leftY, rightY);
    int below = ClearMode == 1 ? leftY : ClearMode == 2 ? rightY : std::max(leftY, rightY);
    clear = std::max(0, below - Y);
  }
  const int n = int(Text.size());
  if (n == 0) {
    BlockHeight = CoverHeight = clear;
    MaxWidth = 0;
    return BlockHeight;
  }
  int avail = Indents.RightEdgeAt(Y) - Indents.LeftEdgeAt(Y);
  MaxWidth = Indents.RightEdge - Indents.LeftEdge;
  for (int i = 0; i < Images.Count(); ++i) {
    auto* img = static_cast<TImageObj*>(Images.Items(i));
    img->SetSize(Host, avail);
    MaxWidth = std::max(MaxWidth, img->ImageWidth);
  }
  for (TFormControlObj* c : FormControls) MaxWidth = std::max(MaxWidth, c->Width);

  int y = Y + clear;
  BlockHeight = clear;
  const bool pre = Preformatted();
  int start = 0;
  while (start < n) {
    int left = Indents.LeftEdgeAt(y);
    // Floats at the start of a line are placed before the line is fitted.
    while (start < n && Text[std::size_t(start)] == 4) {
      TImageObj* img = ImageAt(start);
      if (!img || !img->Floating()) break;
      int side = img->ImageAlign == iaLeft ? 1 : 3;
      Indents.AddFloat(y, img->ImageWidth + img->HSpace, img->ImageHeight, side);
      img->FloatY = y;
      img->FloatX = side == 1 ? Indents.LeftEdgeAt(y) - img->ImageWidth - img->HSpace - Indents.LeftEdge
                              : Indents.RightEdgeAt(y) + img->HSpace - Indents.LeftEdge;
      left = Indents.LeftEdgeAt(y);
      ++start;
    }
    if (start >= n) break;
    int right = pre ? left + 32000 : Indents.RightEdgeAt(y);
    int fit = CountThatFits(Host, right - left, n - start, start);
    int count;
    if (start + fit >= n) {
      count = n - start;
    } else if (fit > 0 && (Text[std::size_t(start + fit - 1)] == ' ' || Text[std::size_t(start + fit)] == ' ')) {
      // A break at a blank: a word that just fits stays on the line, with the blanks after it.
      count = fit;
      while (start + count < n && Text[std::size_t(start + count)] == ' ') ++count;
    } else if (fit > 0 && IsObject(Text[std::size_t(start + fit)])) {
      count = fit;
    } else {
      int back = fit;
      while (back > 0 && Text[std::size_t(start + back - 1)] != ' ' && !IsObject(Text[std::size_t(start + back - 1)]))
        --back;
      if (back > 0) {
        count = back;
      } else {
        // One word wider than the line: it overflows, with the blanks after it.
        count = 0;
        while (start + count < n && Text[std::size_t(start + count)] != ' ' &&
               (count == 0 || !IsObject(Text[std::size_t(start + count)])))
          ++count;
        while (start + count < n && Text[std::size_t(start + count)] == ' ') ++count;
      }
    }
    count = std::max(count, 1);

    TextLine line;
    line.Start = start;
    line.CharCount = count;
    bool onlyObjects = true;
    for (int i = start; i < start + count; ++i) {
      if (IsObject(Text[std::size_t(i)])) continue;
      onlyObjects = false;
      THtmlFontMetrics m = Host.FontMetrics(RunAt(i)->Font);
      line.TextHeight = std::max(line.TextHeight, m.Height + m.ExternalLeading);
      line.Descent = std::max(line.Descent, m.Descent);
      i = std::max(i, NextBreak(i) - 1);
    }
    (void)onlyObjects;
    for (int i = start; i < start + count; ++i) {
      char c = Text[std::size_t(i)];
      if (c == 4) {
        TImageObj* img = ImageAt(i);
        if (!img || img->Floating()) continue;
        int h = img->ImageHeight - line.TextHeight;
        if (img->ImageAlign == iaTop) line.SpaceBelow = std::max(line.SpaceBelow, h);
        else if (img->ImageAlign == iaMiddle) {
          line.SpaceBelow = std::max(line.SpaceBelow, h / 2);
          line.SpaceAbove = std::max(line.SpaceAbove, h - h / 2);
        } else line.SpaceAbove = std::max(line.SpaceAbove, img->ImageHeight + line.Descent - line.TextHeight);
      } else if (c == 2) {
        if (TFormControlObj* ctl = ControlAt(i))
          line.SpaceAbove = std::max(line.SpaceAbove, ctl->OnBaseline ? ctl->Height - (line.TextHeight - line.Descent)
                                                                      : ctl->Height - line.TextHeight);
      }
    }
    int lineWidth = TextWidthOf(Host, start, true, count);
    int l = Indents.LeftEdgeAt(y), r = pre ? l + 32000 : Indents.RightEdgeAt(y);
    int x = l;
    if (Alignment == 2) x = std::max(l, (l + r - lineWidth) / 2);
    else if (Alignment == 3) x = std::max(l, r - lineWidth);
    line.StartX = x - Indents.LeftEdge;
    line.CoverHeight = line.LineHeight();
    if (pre) MaxWidth = std::max(MaxWidth, l - Indents.LeftEdge + lineWidth);
    Lines.push_back(line);
    y += line.LineHeight();
    BlockHeight += line.LineHeight();
    // Floats met inside the line stand below it.
    for (int i = start; i < start + count; ++i)
      if (Text[std::size_t(i)] == 4 && i != start)
        if (TImageObj* img = ImageAt(i); img && img->Floating()) {
          int side = img->ImageAlign == iaLeft ? 1 : 3;
          Indents.AddFloat(y, img->ImageWidth + img->HSpace, img->ImageHeight, side);
          img->FloatY = y;
          img->FloatX = side == 1 ? Indents.LeftEdgeAt(y) - img->ImageWidth - img->HSpace - Indents.LeftEdge
                                  : Indents.RightEdgeAt(y) + img->HSpace - Indents.LeftEdge;
          Lines.back().CoverHeight = std::max(Lines.back().CoverHeight, line.LineHeight() + img->ImageHeight);
        }
    start += count;
  }
  Curs = FirstPos + PosCount;
  CoverHeight = std::max(BlockHeight, Indents.AllFloatsBottom() - Top);
  return BlockHeight;
}

void TSection::MinMaxWidth(THtmlHost& Host, int& Min, int& Max) {
  Min = Max = 0;
  if (Text.empty()) return;
  int floats = 0;
  for (int i = 0; i < Images.Count(); ++i) {
    auto* img = static_cast<TImageObj*>(Images.Items(i));
    img->SetSize(Host, 0);
    if (img->WidthIsPercent) continue;
    if (img->Floating()) floats += img->ImageWidth + img->HSpace;
    else Min = std::max(Min, img->ImageWidth);
  }
  int indent = ListLevel * 35;
  Max = floats + TextWidthOf(Host, 0, false, int(Text.size())) + indent;
  int n = int(Text.size()), p = 0;
  while (p < n) {
    while (p < n && (Text[std::size_t(p)] == ' ' || Text[std::size_t(p)] == 4)) ++p;
    int q = p;
    while (q < n && Text[std::size_t(q)] != ' ' && Text[std::size_t(q)] != 4) ++q;
    if (q > p) Min = std::max(Min, TextWidthOf(Host, p, false, q - p));
    p = q;
  }
  if (Preformatted()) Min = std::min(500, Max);
  Min += floats + indent;
}

int TSection::Draw(THtmlHost& Host, const THtmlRect& Clip, IndentManagerBasic& Indents, int X, int Y) {
  int bottom = Y + BlockHeight;
  if (Y > Clip.Bottom || Y + std::max(CoverHeight, BlockHeight) < Clip.Top) return bottom;
  int y = Y + (Lines.empty() ? 0 : BlockHeight - [&] {
    int h = 0;
    for (const TextLine& l : Lines) h += l.LineHeight();
    return h;
  }());
  // Floats stand where layout placed them, whichever line they came with.
  for (int i = 0; i < Images.Count(); ++i)
    if (auto* img = static_cast<TImageObj*>(Images.Items(i)); img->Floating())
      img->Draw(Host, X + img->FloatX, img->FloatY - Top + Y);
  const bool printing = Document && Document->Printing;
  // The selection in this section's offsets (none on paper).
  int selB = -1, selE = -1;
  if (Document && !printing && Document->SelEnd > Document->SelStart) {
    selB = Document->SelStart - FirstPos;
    selE = Document->SelEnd - FirstPos;
  }
  for (std::size_t li = 0; li < Lines.size(); ++li) {
    const TextLine& line = Lines[li];
    if (printing) {
      // A line the page's bottom would cut begins the next page, unless it is taller than a
      // page (then it is drawn across pages).
      if (y >= Document->PageBottom) break;
      if (y + line.LineHeight() > Document->PageBottom && line.LineHeight() < Document->PageHeight) {
        Document->PageBottom = std::min(Document->PageBottom, y);
        break;
      }
    }
    int baseline = y + line.SpaceAbove + line.TextHeight - line.Descent;
    int x = X + line.StartX;
    if (li == 0 && ItemKind == 1) {
      std::string mark;
      switch (NumberStyle) {
        case 'A': mark = std::string(1, char('A' + std::clamp(ItemNumber, 1, 26) - 1)); break;
        case 'a': mark = std::string(1, char('a' + std::clamp(ItemNumber, 1, 26) - 1)); break;
        case 'I': mark = RomanOf(ItemNumber, true); break;
        case 'i': mark = RomanOf(ItemNumber, false); break;
        default: mark = std::to_string(ItemNumber);
      }
      mark += ".";
      THtmlFontMetrics m = Host.FontMetrics(StartFont);
      Host.DrawText(StartFont, x - 5 - Host.TextWidth(StartFont, mark), baseline - m.Ascent, mark);
    } else if (li == 0 && ItemKind == 2 && !Plain) {
      int cy = y + line.SpaceAbove + line.TextHeight / 2 - 2, bx = x - 12;
      TColor c = StartFont.Color();
      switch (ListLevel % 3) {
        case 1:  // disc
          Host.FillRect({bx + 1, cy, bx + 4, cy + 5}, c);
          Host.FillRect({bx, cy + 1, bx + 5, cy + 4}, c);
          break;
        case 2:  // circle
          Host.DrawLine(bx + 1, cy, bx + 3, cy, c);
          Host.DrawLine(bx + 1, cy + 4, bx + 3, cy + 4, c);
          Host.DrawLine(bx, cy + 1, bx, cy + 3, c);
          Host.DrawLine(bx + 4, cy + 1, bx + 4, cy + 3, c);
          break;
        default:  // square
          Host.FillRect({bx, cy, bx + 5, cy + 5}, c);
      }
    }
    int p = line.Start, end = line.Start + line.CharCount;
    while (p < end) {
      char c = Text[std::size_t(p)];
      if (c == 4) {
        TImageObj* img = ImageAt(p);
        if (img && !img->Floating()) {
          int top = img->ImageAlign == iaTop ? y + line.SpaceAbove
                    : img->ImageAlign == iaMiddle ? y + line.SpaceAbove + line.TextHeight / 2 - img->ImageHeight / 2
                    : baseline - img->ImageHeight;
          img->Draw(Host, x, top);
          x += img->ImageWidth;
        }
        ++p;
      } else if (c == 2) {
        if (TFormControlObj* ctl = ControlAt(p)) {
          int top = ctl->OnBaseline ? baseline - ctl->Height + line.Descent : baseline - ctl->Height;
          if (Document && Document->Printing) {
            DrawFormControlFrame(Host, x, top, x + ctl->Width, top + ctl->Height, false);
          } else if (ctl->Window) {
            ctl->Window->SetBounds(x, top, ctl->Width, ctl->Height);
            ctl->Window->SetVisible(true);
          }
          ctl->Shown = true;
          x += ctl->Width;
        }
        ++p;
      } else {
        int stop = std::min(NextBreak(p), end);
        TFontObj* run = RunAt(p);
        THtmlFontMetrics m = Host.FontMetrics(run->Font);
        int shift = run->ScriptPos == 1 ? m.Descent / 2 + 1 : run->ScriptPos == 2 ? -(m.Height / 3) : 0;
        while (p < stop) {
          // Up to three pieces: before, inside and after the selection.
          bool selected = p >= selB && p < selE;
          int q = selected ? std::min(stop, selE) : (selB > p && selB < stop ? selB : stop);
          std::string_view piece = std::string_view(Text).substr(std::size_t(p), std::size_t(q - p));
          int w = Host.TextWidth(run->Font, piece) - m.Overhang;
          if (selected) {
            Host.FillRect({x, y, x + w, y + line.LineHeight()}, clHighlight);
            TMyFont inverse;
            inverse.AssignFont(run->Font);
            inverse.SetColor(clHighlightText);
            Host.DrawText(inverse, x - m.Overhang / 2, baseline - m.Ascent + shift, piece);
          } else {
            Host.DrawText(run->Font, x - m.Overhang / 2, baseline - m.Ascent + shift, piece);
          }
          x += w;
          p = q;
        }
      }
    }
    y += line.LineHeight();
  }
  (void)Indents;
  return bottom;
}

// ---- rules

int THorzLine::Draw(THtmlHost& Host, const THtmlRect& Clip, IndentManagerBasic& Indents, int X, int Y) {
  int bottom = Y + BlockHeight;
  if (Y > Clip.Bottom || bottom < Clip.Top) return bottom;
  if (Document && Document->Printing && Y >= Document->PageBottom) return bottom;
  int top = Y + (BlockHeight - RuleSize) / 2;
  int l = X, r = X + (Document ? Document->Width : 0);
  (void)Indents;
  if (Top >= 0) {
    l = X + Indents.LeftEdgeAt(Top) - Indents.LeftEdge;
    r = X + Indents.RightEdgeAt(Top) - Indents.LeftEdge;
  }
  int left, right;
  if (RuleWidth >= 0) {
    int w = WidthIsPercent ? MulDiv(r - l, RuleWidth, 100) : RuleWidth;
    left = l + (r - l - w) / 2;
    right = left + w;
  } else {
    left = l + 10;
    right = r - 10;
  }
  if (right <= left) return bottom;
  if (HasColor) {
    Host.FillRect({left, top, right, top + RuleSize}, RuleColor);
  } else {
    bool mono = Document && Document->Printing && Host.Monochrome();
    TColor dark = mono ? clBlack : clBtnShadow;
    TColor light = mono ? clBlack
                        : ((int32_t(Document ? Document->Background : clWhite) & 0xFFFFFF) == 0xFFFFFF ||
                           (Document && Document->Printing))
                              ? clSilver
                              : clBtnHighlight;
    Host.DrawLine(left, top + RuleSize - 1, left, top, dark);
    Host.DrawLine(left, top, right - 1, top, dark);
    Host.DrawLine(right - 1, top, right - 1, top + RuleSize - 1, light);
    Host.DrawLine(right - 1, top + RuleSize - 1, left, top + RuleSize - 1, light);
  }
  return bottom;
}

// ---- page breaks

int TPage::Draw(THtmlHost&, const THtmlRect& Clip, IndentManagerBasic&, int, int Y) {
  if (Document && Document->Printing && Y > Clip.Top + 5 && Y < Clip.Bottom && Y < Document->PageBottom)
    Document->PageBottom = Y;
  return Y + BlockHeight;
}
