#include "tools/win_miner.h"

#include <chrono>

#include "classlib/core/sys_utils.h"
#include "classlib/core/typinfo.h"
#include "classlib/win/graphics.h"

const TClassInfo* TtsuWinMiner::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TtsuWinMiner, TCustomControl>("TtsuWinMiner")
                                     .Prop("MineCount", &TtsuWinMiner::MineCount, &TtsuWinMiner::SetMineCount)
                                     .Prop("OnGameOver", &TtsuWinMiner::OnGameOver)
                                     .Build();
  return &Info;
}

void RegisterWinMiner() {
  static const bool Done = (RegisterClass(TtsuWinMiner::StaticClassInfo()), true);
  (void)Done;
}

TtsuWinMiner::TtsuWinMiner(TComponent* AOwner) : TCustomControl(AOwner) {
  FColor = clBtnFace;
  SetBounds(0, 0, 9 * CellSize, 9 * CellSize);
}

void TtsuWinMiner::NewGame() {
  const auto Seed = uint32_t(std::chrono::steady_clock::now().time_since_epoch().count());
  FField.NewGame(Width() / CellSize, Height() / CellSize, FMineCount, Seed);
  Invalidate();
}

void TtsuWinMiner::OpenAt(int X, int Y) {
  if (X < 0 || Y < 0) return;
  if (FField.Open(X / CellSize, Y / CellSize) == TMinesField::orMine && OnGameOver) OnGameOver(this);
  Invalidate();
}

void TtsuWinMiner::FlagAt(int X, int Y) {
  if (X < 0 || Y < 0) return;
  FField.ToggleFlag(X / CellSize, Y / CellSize);
  Invalidate();
}

void TtsuWinMiner::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) OpenAt(X, Y);
  else if (Button == mbRight) FlagAt(X, Y);
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TtsuWinMiner::Paint() {
  TCanvas* C = Canvas();
  C->Brush()->SetColor(Color());
  C->FillRect(ClientRect());
  static const TColor Digits[9] = {clBlack, clBlue, clGreen, clRed, clNavy, clMaroon, clTeal, clBlack, clGray};
  for (int r = 0; r < FField.Rows(); ++r)
    for (int c = 0; c < FField.Cols(); ++c) {
      const TRect R(c * CellSize, r * CellSize, (c + 1) * CellSize, (r + 1) * CellSize);
      if (!FField.IsOpen(c, r)) {
        C->Brush()->SetColor(clBtnFace);
        C->FillRect(R);
        C->Pen()->SetColor(clBtnHighlight);
        C->MoveTo(R.Left, R.Bottom - 1);
        C->LineTo(R.Left, R.Top);
        C->LineTo(R.Right - 1, R.Top);
        C->Pen()->SetColor(clBtnShadow);
        C->LineTo(R.Right - 1, R.Bottom - 1);
        C->LineTo(R.Left, R.Bottom - 1);
        if (FField.IsFlagged(c, r)) {
          C->Brush()->SetColor(clRed);
          C->FillRect(TRect(R.Left + 5, R.Top + 4, R.Left + 11, R.Top + 9));
          C->Brush()->SetColor(clBlack);
          C->FillRect(TRect(R.Left + 5, R.Top + 9, R.Left + 6, R.Top + 13));
        }
        continue;
      }
      C->Brush()->SetColor(clWindow);
      C->FillRect(R);
      C->Brush()->SetColor(clBtnShadow);
      C->FrameRect(R);
      if (FField.HasMine(c, r)) {
        C->Brush()->SetColor(clBlack);
        C->Pen()->SetColor(clBlack);
        C->Ellipse(R.Left + 4, R.Top + 4, R.Right - 4, R.Bottom - 4);
      } else if (const int N = FField.Around(c, r)) {
        C->Brush()->SetColor(clWindow);
        C->Font()->SetColor(Digits[N]);
        const std::string T = IntToStr(N);
        const TSize S = C->TextExtent(T);
        C->TextOut(R.Left + (CellSize - S.cx) / 2, R.Top + (CellSize - S.cy) / 2, T);
      }
    }
}
