#include "tools/core/mines_field.h"

#include <algorithm>
#include <numeric>
#include <utility>

void TMinesField::SetField(int Cols, int Rows, const std::vector<int>& Mines) {
  FCols = std::max(Cols, 1);
  FRows = std::max(Rows, 1);
  FCells.assign(size_t(FCols) * FRows, TCell());
  FMineCount = 0;
  FLost = false;
  for (int M : Mines)
    if (M >= 0 && M < int(FCells.size()) && !FCells[M].Mine) {
      FCells[M].Mine = true;
      ++FMineCount;
    }
}

void TMinesField::NewGame(int Cols, int Rows, int Mines, uint32_t Seed) {
  Cols = std::max(Cols, 1);
  Rows = std::max(Rows, 1);
  std::vector<int> Cells(size_t(Cols) * Rows);
  std::iota(Cells.begin(), Cells.end(), 0);
  std::mt19937 Random(Seed);
  std::shuffle(Cells.begin(), Cells.end(), Random);
  Cells.resize(size_t(std::clamp(Mines, 0, int(Cells.size()) - 1)));
  SetField(Cols, Rows, Cells);
}

int TMinesField::Around(int Col, int Row) const {
  int N = 0;
  for (int dr = -1; dr <= 1; ++dr)
    for (int dc = -1; dc <= 1; ++dc)
      if ((dr || dc) && HasMine(Col + dc, Row + dr)) ++N;
  return N;
}

TMinesField::TOpenResult TMinesField::Open(int Col, int Row) {
  if (FLost || !Valid(Col, Row)) return orNothing;
  TCell& C = FCells[Index(Col, Row)];
  if (C.Open || C.Flag) return orNothing;
  if (C.Mine) {
    FLost = true;
    for (TCell& Each : FCells)
      if (Each.Mine) Each.Open = true;
    return orMine;
  }
  // Opened breadth-first: a large empty area needs no deep recursion.
  std::vector<std::pair<int, int>> Queue{{Col, Row}};
  C.Open = true;
  for (size_t i = 0; i < Queue.size(); ++i) {
    const auto [c, r] = Queue[i];
    if (Around(c, r) != 0) continue;
    for (int dr = -1; dr <= 1; ++dr)
      for (int dc = -1; dc <= 1; ++dc) {
        const int nc = c + dc, nr = r + dr;
        if (!Valid(nc, nr)) continue;
        TCell& N = FCells[Index(nc, nr)];
        if (N.Open || N.Flag || N.Mine) continue;
        N.Open = true;
        Queue.push_back({nc, nr});
      }
  }
  return orOpened;
}

void TMinesField::ToggleFlag(int Col, int Row) {
  if (FLost || !Valid(Col, Row)) return;
  TCell& C = FCells[Index(Col, Row)];
  if (!C.Open) C.Flag = !C.Flag;
}

bool TMinesField::Won() const {
  if (FLost || FCells.empty()) return false;
  for (const TCell& C : FCells)
    if (!C.Mine && !C.Open) return false;
  return true;
}
