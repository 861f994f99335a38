// The field of the mines game: Cols x Rows cells, some holding mines. Opening a cell without
// mines around it opens its neighbours too; a flag keeps a cell from being opened.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

class TMinesField {
public:
  enum TOpenResult { orNothing, orOpened, orMine };

  // A new field of Cols x Rows with Mines mines (at most all cells but one) placed at random.
  void NewGame(int Cols, int Rows, int Mines, uint32_t Seed);
  // A new field with mines exactly where Mines says (index Row * Cols + Col).
  void SetField(int Cols, int Rows, const std::vector<int>& Mines);

  int Cols() const { return FCols; }
  int Rows() const { return FRows; }
  int MineCount() const { return FMineCount; }
  bool HasMine(int Col, int Row) const { return Valid(Col, Row) && FCells[Index(Col, Row)].Mine; }
  bool IsOpen(int Col, int Row) const { return Valid(Col, Row) && FCells[Index(Col, Row)].Open; }
  bool IsFlagged(int Col, int Row) const { return Valid(Col, Row) && FCells[Index(Col, Row)].Flag; }
  // Mines in the eight cells around.
  int Around(int Col, int Row) const;
  // Opens a cell (and, when no mine is around it, the cells around it in turn). A mine
  // ends the game: every mine is shown open.
  TOpenResult Open(int Col, int Row);
  void ToggleFlag(int Col, int Row);
  bool Lost() const { return FLost; }
  // Every cell without a mine is open.
  bool Won() const;

private:
  struct TCell {
    bool Mine = false, Open = false, Flag = false;
  };
  bool Valid(int Col, int Row) const { return Col >= 0 && Row >= 0 && Col < FCols && Row < FRows; }
  int Index(int Col, int Row) const { return Row * FCols + Col; }
  int FCols = 0, FRows = 0, FMineCount = 0;
  bool FLost = false;
  std::vector<TCell> FCells;
};
