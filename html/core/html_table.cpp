// Tables: spans expanded with filler cells, column widths from the cells' minimum and
// maximum widths and percentages, rows laid out with their spans, then drawn with
// backgrounds and 3-D borders. Any number of columns is laid out.
#include <algorithm>
#include <numeric>

#include "html/core/html_model.h"

namespace {

int MulDiv(int A, int B, int C) { return C == 0 ? 0 : int((long long)A * B / C); }

TCellObj* MakeFiller(TSectionList* Document, int RowSpan) {
  static const TAttributeList none;
  auto* f = new TCellObj(Document, none, 1);
  f->ColSpan = 0;
  f->RowSpan = RowSpan;
  return f;
}

// Raises the columns [From, From + N) so that their sum reaches Need, in proportion to
// their present values (evenly when those are all 0); the rounding rest goes to the last.
void Spread(std::vector<int>& Cols, int From, int N, int Need) {
  int sum = 0;
  for (int i = From; i < From + N; ++i) sum += Cols[std::size_t(i)];
  if (Need <= sum || N <= 0) return;
  int extra = Need - sum, given = 0;
  for (int i = From; i < From + N; ++i) {
    int share = sum > 0 ? MulDiv(extra, Cols[std::size_t(i)], sum) : extra / N;
    Cols[std::size_t(i)] += share;
    given += share;
  }
  Cols[std::size_t(From + N - 1)] += extra - given;
}

}  // namespace

void ThtmlTable::Initialize() {
  if (Initialized) return;
  Initialized = true;
  if (!HasBgColor && EnclosingCell && EnclosingCell->HasBgColor && !(Document && Document->Printing)) {
    HasBgColor = true;
    BgColor = EnclosingCell->BgColor;
  }
  for (int r = 0; r < Rows.Count(); ++r) {
    TCellList* row = Row(r);
    for (int c = row->Count() - 1; c >= 0; --c) {
      TCellObj* cell = row->CellObj(c);
      if (cell->SpecWidth > 0 && !cell->WidthIsPercent) HasAbsCellWidths = true;
      // A cell's own colour, else its row's, else the table's.
      if (!cell->Cell->HasBgColor && (row->HasRowBgColor || HasBgColor)) {
        cell->Cell->HasBgColor = true;
        cell->Cell->BgColor = row->HasRowBgColor ? row->RowBgColor : BgColor;
      }
      cell->ColSpan = std::min(cell->ColSpan, MaxColSpan);
      for (int k = 1; k < cell->ColSpan; ++k) row->Insert(c + 1, MakeFiller(Document, cell->RowSpan));
    }
  }
  int rows = Rows.Count();
  for (int col = 0;; ++col) {
    bool any = false;
    for (int r = 0; r < rows; ++r) {
      TCellList* row = Row(r);
      if (col >= row->Count()) continue;
      any = true;
      TCellObj* cell = row->CellObj(col);
      cell->RowSpan = std::min(cell->RowSpan, rows - r);
      for (int k = 1; k < cell->RowSpan; ++k) {
        TCellList* below = Row(r + k);
        while (below->Count() < col) below->Add(MakeFiller(Document, 1));
        below->Insert(col, MakeFiller(Document, 1));
      }
    }
    if (!any) break;
  }
  NumCols = 0;
  for (int r = 0; r < rows; ++r) NumCols = std::max(NumCols, Row(r)->Count());
}

void ThtmlTable::GetMinMax(THtmlHost& Host, int TargetWidth, std::vector<int>& Mins, std::vector<int>& Maxs,
                           std::vector<int>& Percents) {
  Mins.assign(std::size_t(NumCols), 0);
  Maxs.assign(std::size_t(NumCols), 0);
  Percents.assign(std::size_t(NumCols), 0);
  const int s = 2 * CellPadding + CellSpacing - 1;
  int widest = 1;
  for (int r = 0; r < Rows.Count(); ++r)
    for (int c = 0; c < Row(r)->Count(); ++c) widest = std::max(widest, Row(r)->CellObj(c)->ColSpan);
  for (int span = 1; span <= widest; ++span)
    for (int r = 0; r < Rows.Count(); ++r)
      for (int c = 0; c < Row(r)->Count(); ++c) {
        TCellObj* cell = Row(r)->CellObj(c);
        if (cell->ColSpan != span) continue;
        int mn = 0, mx = 0;
        cell->Cell->MinMaxWidth(Host, mn, mx);
        mn += s;
        mx += s;
        bool abs = cell->SpecWidth > 0 && !cell->WidthIsPercent;
        int pct = cell->WidthIsPercent ? cell->SpecWidth
                  : abs && TargetWidth > 0 ? std::min(100, MulDiv(cell->SpecWidth, 100, TargetWidth))
                                           : 0;
        if (abs) mn = mx = std::max(mn, cell->SpecWidth + s);
        else ++mx;
        int n = std::min(span, NumCols - c);
        if (n == 1) {
          Mins[std::size_t(c)] = std::max(Mins[std::size_t(c)], mn);
          Maxs[std::size_t(c)] = std::max(Maxs[std::size_t(c)], mx);
          if (cell->WidthIsPercent) Percents[std::size_t(c)] = std::max(Percents[std::size_t(c)], pct);
          continue;
        }
        Spread(Mins, c, n, mn);
        Spread(Maxs, c, n, mx);
        for (int i = c; i < c + n; ++i) Maxs[std::size_t(i)] = std::max(Maxs[std::size_t(i)], Mins[std::size_t(i)]);
        if (cell->WidthIsPercent && pct > 0) {
          int q = 0, k = 0;
          for (int i = c; i < c + n; ++i) {
            q += Percents[std::size_t(i)];
            k += Percents[std::size_t(i)] == 0;
          }
          if (k > 0) {
            for (int i = c; i < c + n; ++i)
              if (Percents[std::size_t(i)] == 0) Percents[std::size_t(i)] = std::max(0, (pct - q) / k);
          } else if (pct > q && q > 0) {
            for (int i = c; i < c + n; ++i) Percents[std::size_t(i)] = MulDiv(Percents[std::size_t(i)], pct, q);
          }
        }
      }
}

void ThtmlTable::FindWidths(const std::vector<int>& Mins, const std::vector<int>& Maxs,
                            const std::vector<int>& Percents, int Width, bool Stretch) {
  const int n = NumCols;
  Widths = Mins;
  if (n == 0) return;
  int totalMin = std::accumulate(Mins.begin(), Mins.end(), 0);
  int totalMax = std::accumulate(Maxs.begin(), Maxs.end(), 0);
  if (totalMin >= Width) return;
  bool percents = std::any_of(Percents.begin(), Percents.end(), [](int p) { return p > 0; });
  if (percents) {
    // Percentage columns take their share of the width; the others share what is left in
    // proportion to their maxima.
    int used = 0, otherMax = 0;
    for (int i = 0; i < n; ++i) {
      if (Percents[std::size_t(i)] > 0)
        Widths[std::size_t(i)] = std::max(Mins[std::size_t(i)], MulDiv(Width, Percents[std::size_t(i)], 100));
      else otherMax += Maxs[std::size_t(i)];
      used += Widths[std::size_t(i)];
    }
    int left = Width - used;
    if (left > 0 && otherMax > 0) {
      int given = 0;
      for (int i = 0; i < n; ++i)
        if (Percents[std::size_t(i)] == 0) {
          int room = Stretch ? left : Maxs[std::size_t(i)] - Mins[std::size_t(i)];
          int share = std::min(room, MulDiv(left, Maxs[std::size_t(i)], otherMax));
          Widths[std::size_t(i)] += std::max(share, 0);
          given += std::max(share, 0);
        }
      left -= given;
    }
    if (left > 0 && Stretch) Widths[std::size_t(n - 1)] += left;
    return;
  }
  if (totalMax <= Width && !Stretch) {
    Widths = Maxs;
    return;
  }
  int extra = Width - totalMin, d = totalMax - totalMin, given = 0;
  for (int i = 0; i < n; ++i) {
    int share = d > 0 ? MulDiv(extra, Maxs[std::size_t(i)] - Mins[std::size_t(i)], d)
                : totalMin > 0 ? MulDiv(extra, Mins[std::size_t(i)], totalMin)
                               : extra / n;  // all minima 0: an even share
    Widths[std::size_t(i)] += share;
    given += share;
  }
  if (Stretch) Widths[std::size_t(n - 1)] += extra - given;
}

int ThtmlTable::DrawLogic(THtmlHost& Host, int Y, IndentManagerBasic& Indents, int& MaxWidth, int& Curs) {
  Top = Y;
  FirstPos = Curs;
  int left = Indents.LeftEdgeAt(Y), right = Indents.RightEdgeAt(Y);
  int avail = right - left;
  int target = WidthAttr > 0 ? (WidthIsPercent ? MulDiv(avail, WidthAttr, 100) : WidthAttr) : avail;
  Initialize();
  std::vector<int> mins, maxs, percents;
  GetMinMax(Host, target, mins, maxs, percents);
  FindWidths(mins, maxs, percents, target - CellSpacing, WidthAttr > 0);
  TableWidth = std::accumulate(Widths.begin(), Widths.end(), 0) + CellSpacing;

  const int pad = 2 * CellPadding + CellSpacing - 1;
  const int rows = Rows.Count();
  RowHeights.assign(std::size_t(rows), 0);
  auto cellWidth = [&](int c, int span) {
    int w = 0;
    for (int i = c; i < std::min(c + span, NumCols); ++i) w += Widths[std::size_t(i)];
    return w;
  };
  // Every cell at its width, for its height.
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < Row(r)->Count(); ++c) {
      TCellObj* cell = Row(r)->CellObj(c);
      if (cell->Filler()) continue;
      cell->CellWidth = cellWidth(c, cell->ColSpan);
      int mw = 0, curs = 0;
      int h = cell->Cell->LayOut(Host, 0, std::max(cell->CellWidth - pad, 0), mw, curs);
      cell->ContentHeight = std::max(h, cell->SpecHeight - 2 * CellPadding + 2);
      if (cell->RowSpan == 1) RowHeights[std::size_t(r)] = std::max(RowHeights[std::size_t(r)], cell->ContentHeight + pad);
    }
  // A cell taller than the rows it spans adds the difference: an even share each, the
  // remainder to the last.
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < Row(r)->Count(); ++c) {
      TCellObj* cell = Row(r)->CellObj(c);
      if (cell->Filler() || cell->RowSpan < 2) continue;
      int need = cell->ContentHeight + pad, have = 0;
      for (int k = r; k < r + cell->RowSpan; ++k) have += RowHeights[std::size_t(k)];
      if (need > have) {
        int diff = need - have, each = diff / cell->RowSpan;
        for (int k = r; k < r + cell->RowSpan; ++k) RowHeights[std::size_t(k)] += each;
        RowHeights[std::size_t(r + cell->RowSpan - 1)] += diff - each * cell->RowSpan;
      }
    }
  int captionHeight = 0;
  if (Caption->Cell->Count() > 0) {
    int mw = 0, curs = 0;
    captionHeight = Caption->Cell->LayOut(Host, 0, TableWidth, mw, curs);
  }
  int rowsTop = Y + (CaptionOnTop ? captionHeight : 0);
  if (Caption->Cell->Count() > 0) {
    int mw = 0;
    Caption->Cell->LayOut(Host, CaptionOnTop ? Y : rowsTop + std::accumulate(RowHeights.begin(), RowHeights.end(), 0) + CellSpacing,
                          TableWidth, mw, Curs);
  }
  // The final places: VALIGN offsets, and the cells laid out again at their document Y.
  int ry = rowsTop;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < Row(r)->Count(); ++c) {
      TCellObj* cell = Row(r)->CellObj(c);
      if (cell->Filler()) continue;
      cell->SpanHeight = 0;
      for (int k = r; k < r + cell->RowSpan; ++k) cell->SpanHeight += RowHeights[std::size_t(k)];
      int free = cell->SpanHeight - pad - cell->ContentHeight;
      cell->VOffset = cell->VAlign == 0 ? 0 : cell->VAlign == 1 ? std::max(free, 0) / 2 : std::max(free, 0);
      cell->CellTop = ry - rowsTop;
      int mw = 0;
      cell->Cell->LayOut(Host, ry + CellSpacing + CellPadding + cell->VOffset, std::max(cell->CellWidth - pad, 0), mw,
                         Curs);
    }
    ry += RowHeights[std::size_t(r)];
  }
  TableHeight = ry - rowsTop + CellSpacing + captionHeight;
  if (Float) {
    DrawX = TableAlign == 1 ? left - Indents.LeftEdge : right - TableWidth - Indents.LeftEdge;
    Indents.AddFloat(Y, TableWidth + HSpace, TableHeight, TableAlign == 1 ? 1 : 3);
    BlockHeight = 0;
  } else {
    DrawX = (TableAlign == 2 ? left + std::max(0, (avail - TableWidth) / 2)
             : TableAlign == 3 ? std::max(left, right - TableWidth)
                               : left) -
            Indents.LeftEdge;
    BlockHeight = TableHeight;
  }
  CoverHeight = TableHeight;
  MaxWidth = std::max(MaxWidth, TableWidth);
  return BlockHeight;
}

int ThtmlTable::Draw(THtmlHost& Host, const THtmlRect& Clip, IndentManagerBasic& Indents, int X, int Y) {
  int bottom = Y + BlockHeight;
  if (Document && Document->Printing) {
    if (Y >= Document->PageBottom) return bottom;
    // A table below the middle of the page that the page's bottom would cut goes to the
    // next page whole, when it fits on one.
    if (Y > Clip.Top + Document->PageHeight / 2 && Y + TableHeight > Document->PageBottom &&
        TableHeight < Document->PageHeight) {
      Document->PageBottom = Y;
      return bottom;
    }
  }
  if (Y > Clip.Bottom || Y + TableHeight < Clip.Top) return bottom;
  (void)Indents;
  const int x0 = X + DrawX;
  const int pad = 2 * CellPadding + CellSpacing - 1;
  int captionHeight = Caption->Cell->Count() > 0 ? TableHeight - CellSpacing -
                                                       std::accumulate(RowHeights.begin(), RowHeights.end(), 0)
                                                 : 0;
  int y = Y;
  if (captionHeight && CaptionOnTop) {
    Caption->Cell->Draw(Host, Clip, TableWidth, x0, y);
    y += captionHeight;
  }
  int rowsHeight = std::accumulate(RowHeights.begin(), RowHeights.end(), 0) + CellSpacing;
  if (HasBorderColor) Host.FillRect({x0, y, x0 + TableWidth, y + rowsHeight}, BorderColor);
  TColor background = Document ? Document->Background : clWhite;
  bool printing = Document && Document->Printing;
  int ry = y;
  for (int r = 0; r < Rows.Count(); ++r) {
    int cx = x0;
    for (int c = 0; c < Row(r)->Count(); ++c) {
      TCellObj* cell = Row(r)->CellObj(c);
      int w = c < NumCols ? Widths[std::size_t(c)] : 0;
      if (cell->Filler()) {
        cx += w;
        continue;
      }
      THtmlRect rect = {cx + CellSpacing, ry + CellSpacing, cx + cell->CellWidth, ry + cell->SpanHeight};
      if (cell->Cell->HasBgColor) Host.FillRect(rect, cell->Cell->BgColor);
      else if (HasBorderColor) Host.FillRect(rect, background);
      cell->Cell->Draw(Host, Clip, std::max(cell->CellWidth - pad, 0), cx + CellSpacing + CellPadding,
                       ry + CellSpacing + CellPadding + cell->VOffset);
      if (Border) DrawBevel3D(Host, background, printing, rect.Left - 1, rect.Top - 1, rect.Right + 1, rect.Bottom + 1, false);
      cx += w;
    }
    ry += RowHeights[std::size_t(r)];
  }
  if (Border) DrawBevel3D(Host, background, printing, x0, y, x0 + TableWidth, y + rowsHeight, true);
  if (captionHeight && !CaptionOnTop) Caption->Cell->Draw(Host, Clip, TableWidth, x0, y + rowsHeight);
  return bottom;
}

void ThtmlTable::MinMaxWidth(THtmlHost& Host, int& Min, int& Max) {
  Initialize();
  std::vector<int> mins, maxs, percents;
  GetMinMax(Host, WidthAttr > 0 && !WidthIsPercent ? WidthAttr : 0, mins, maxs, percents);
  Min = std::accumulate(mins.begin(), mins.end(), 0) + CellSpacing;
  Max = std::accumulate(maxs.begin(), maxs.end(), 0) + CellSpacing;
  if (WidthAttr > 0 && !WidthIsPercent) {
    Min = std::max(Min, WidthAttr);
    Max = std::max(Max, WidthAttr);
  }
  if (Caption->Cell->Count() > 0) {
    int cmin = 0, cmax = 0;
    Caption->Cell->MinMaxWidth(Host, cmin, cmax);
    Min = std::max(Min, cmin);
    Max = std::max(Max, cmax);
  }
}
