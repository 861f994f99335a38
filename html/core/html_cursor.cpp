// Hit tests, the cursor and the selection over a laid-out document: sections are found by
// walking the cells with their X origins, characters by measuring the lines.
#include <algorithm>
#include <functional>

#include "html/core/html_model.h"

namespace {

// Calls Visit(section, X origin of its cell) for every text section, tables' cells included,
// in document order; stops when Visit returns true.
bool Walk(const TCell& Cell, int X, const std::function<bool(TSection&, int)>& Visit) {
  for (int i = 0; i < Cell.Count(); ++i) {
    TSectionBase* b = Cell.Block(i);
    if (auto* s = dynamic_cast<TSection*>(b)) {
      if (Visit(*s, X)) return true;
    } else if (auto* t = dynamic_cast<ThtmlTable*>(b)) {
      int x0 = X + t->DrawX;
      if (t->CaptionOnTop && Walk(*t->Caption->Cell, x0, Visit)) return true;
      for (int r = 0; r < t->Rows.Count(); ++r) {
        int cx = x0;
        for (int c = 0; c < t->Row(r)->Count(); ++c) {
          TCellObj* cell = t->Row(r)->CellObj(c);
          if (!cell->Filler() && Walk(*cell->Cell, cx + t->CellSpacing + t->CellPadding, Visit)) return true;
          cx += c < int(t->Widths.size()) ? t->Widths[std::size_t(c)] : 0;
        }
      }
      if (!t->CaptionOnTop && Walk(*t->Caption->Cell, x0, Visit)) return true;
    }
  }
  return false;
}

// The line of a section that holds document Y, with its top; nullptr when none does.
const TSection::TextLine* LineAt(const TSection& S, int Y, int& LineTop) {
  int total = 0;
  for (const auto& l : S.Lines) total += l.LineHeight();
  int y = S.Top + S.BlockHeight - total;
  for (const auto& l : S.Lines) {
    if (Y >= y && Y < y + l.LineHeight()) {
      LineTop = y;
      return &l;
    }
    y += l.LineHeight();
  }
  return nullptr;
}

// Width of one character (or object) of the section at Offset.
int CharWidth(THtmlHost& Host, TSection& S, int Offset) { return S.TextWidthOf(Host, Offset, false, 1); }

}  // namespace

int TSectionList::FindCursor(THtmlHost& Host, int X, int Y) {
  int result = -1;
  Walk(*this, 0, [&](TSection& s, int x0) {
    int lineTop = 0;
    const TSection::TextLine* line = LineAt(s, Y, lineTop);
    if (!line) return false;
    int x = x0 + line->StartX;
    int pos = line->Start, end = line->Start + line->CharCount;
    // Left of the text: the line's first position; past a character's middle: after it.
    while (pos < end) {
      int w = CharWidth(Host, s, pos);
      if (X < x + (w + 1) / 2) break;
      x += w;
      ++pos;
    }
    if (pos == end && end > line->Start && end < int(s.Text.size())) --pos;  // the next line starts there
    result = s.FirstPos + pos;
    return true;
  });
  return result;
}

bool TSectionList::CursorToXY(THtmlHost& Host, int Pos, int& X, int& Y) {
  return Walk(*this, 0, [&](TSection& s, int x0) {
    if (Pos < s.FirstPos || Pos >= s.FirstPos + int(s.Text.size())) return false;
    int offset = Pos - s.FirstPos;
    int total = 0;
    for (const auto& l : s.Lines) total += l.LineHeight();
    int y = s.Top + s.BlockHeight - total;
    for (const auto& l : s.Lines) {
      if (offset < l.Start + l.CharCount) {
        X = x0 + l.StartX + (offset > l.Start ? s.TextWidthOf(Host, l.Start, false, offset - l.Start) : 0);
        Y = y;
        return true;
      }
      y += l.LineHeight();
    }
    return false;
  });
}

bool TSectionList::FindLinkAt(THtmlHost& Host, int X, int Y, TUrlTarget& Link, TFormControlObj** Control) {
  bool found = false;
  if (Control) *Control = nullptr;
  // An image button takes the point relative to its picture.
  auto button = [&](TImageObj* img, int rx, int ry) {
    img->ImageButton->ClickX = rx;
    img->ImageButton->ClickY = ry;
    if (Control) *Control = img->ImageButton;
    found = true;
  };
  Walk(*this, 0, [&](TSection& s, int x0) {
    int lineTop = 0;
    const TSection::TextLine* line = LineAt(s, Y, lineTop);
    // Floating images may stand beside later lines; they are asked first.
    for (int i = 0; i < s.Images.Count(); ++i) {
      auto* img = static_cast<TImageObj*>(s.Images.Items(i));
      if (!img->Floating()) continue;
      int ix = x0 + img->FloatX, iy = img->FloatY;
      if (X >= ix && X < ix + img->ImageWidth && Y >= iy && Y < iy + img->ImageHeight) {
        if (img->ImageButton) {
          button(img, X - ix, Y - iy);
          return true;
        }
        found = !img->Link.URL.empty();
        if (found) Link = img->Link;
        return true;
      }
    }
    if (!line) return false;
    int x = x0 + line->StartX;
    if (X < x) return true;
    int total = 0;
    for (const auto& l : s.Lines) total += l.LineHeight();
    (void)total;
    int baseline = lineTop + line->SpaceAbove + line->TextHeight - line->Descent;
    for (int p = line->Start; p < line->Start + line->CharCount; ++p) {
      int w = CharWidth(Host, s, p);
      if (X >= x && X < x + w) {
        if (s.Text[std::size_t(p)] == 4) {
          TImageObj* img = s.ImageAt(p);
          if (!img) return true;
          int top = img->ImageAlign == iaTop ? lineTop + line->SpaceAbove
                    : img->ImageAlign == iaMiddle ? lineTop + line->SpaceAbove + line->TextHeight / 2 - img->ImageHeight / 2
                    : baseline - img->ImageHeight;
          int rx = X - x, ry = Y - top;
          if (ry < 0 || ry >= img->ImageHeight) return true;
          if (img->ImageButton) {
            button(img, rx, ry);
            return true;
          }
          if (!img->UseMap.empty()) {
            if (TMapItem* map = FindMap(img->UseMap)) found = map->HitTest(rx, ry, Link);
            return true;
          }
          if (img->Link.URL.empty()) return true;
          Link = img->Link;
          if (img->IsMap) Link.URL += "?" + std::to_string(rx) + "," + std::to_string(ry);
          found = true;
          return true;
        }
        TFontObj* run = s.RunAt(p);
        if (!run->Link.URL.empty()) {
          Link = run->Link;
          found = true;
        }
        return true;
      }
      x += w;
    }
    return true;
  });
  return found;
}

std::string TSectionList::GetSelText() const {
  std::string out;
  if (SelEnd <= SelStart) return out;
  Walk(*this, 0, [&](TSection& s, int) {
    int from = std::max(SelStart, s.FirstPos), to = std::min(SelEnd, s.FirstPos + int(s.Text.size()));
    if (s.FirstPos >= SelEnd) return true;
    if (from < to) {
      for (int p = from; p < to; ++p) {
        char c = s.Text[std::size_t(p - s.FirstPos)];
        if (c != 2 && c != 4) out += c;
      }
      if (to == s.FirstPos + int(s.Text.size()) && to < SelEnd) out += "\r\n";
    }
    return false;
  });
  return out;
}

int TSectionList::GetSelLength() const { return int(GetSelText().size()); }

bool TSectionList::WordAt(int Pos, int& Start, int& End) const {
  return Walk(*this, 0, [&](TSection& s, int) {
    int n = int(s.Text.size());
    if (Pos < s.FirstPos || Pos >= s.FirstPos + n) return false;
    int p = Pos - s.FirstPos;
    int b = p, e = p;
    if (IsWordChar(s.Text[std::size_t(p)])) {
      while (b > 0 && IsWordChar(s.Text[std::size_t(b - 1)])) --b;
      while (e < n && IsWordChar(s.Text[std::size_t(e)])) ++e;
    }
    Start = s.FirstPos + b;
    End = s.FirstPos + e;
    return true;
  });
}
