// TtsuWinMiner: the mines game as a control. The field fills the control in 16-pixel
// cells; the left button opens a cell, the right one flags it. Opening a mine ends the game
// and fires OnGameOver.
#pragma once

#include "classlib/win/controls.h"
#include "tools/core/mines_field.h"

class TtsuWinMiner : public TCustomControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TtsuWinMiner(TComponent* AOwner);

  static constexpr int CellSize = 16;
  int MineCount() const { return FMineCount; }
  void SetMineCount(int Value) { FMineCount = Value < 1 ? 1 : Value; }
  // A new field of the control's size with MineCount mines, and a repaint.
  void NewGame();
  TMinesField& Field() { return FField; }
  // Opens or flags the cell under a client point, as the mouse buttons do.
  void OpenAt(int X, int Y);
  void FlagAt(int X, int Y);

  TNotifyEvent OnGameOver;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
  int FMineCount = 10;
  TMinesField FField;
};

void RegisterWinMiner();
