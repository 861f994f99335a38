#include "ui/core/rx_hints.h"

#include <algorithm>
#include <cmath>

namespace {

void Grow(THintRect& R, int DX, int DY) {
  R.Left -= DX;
  R.Top -= DY;
  R.Right += DX;
  R.Bottom += DY;
}

void Move(THintRect& R, int DX, int DY) {
  R.Left += DX;
  R.Right += DX;
  R.Top += DY;
  R.Bottom += DY;
}

// Halves to the even neighbour, as the rounding of the original arithmetic does.
int RoundEven(double V) { return int(std::nearbyint(V)); }

}  // namespace

THintGeometry CalcHintGeometry(int TextWidth, int TextHeight, const THintStyle& Style) {
  THintGeometry G;
  THintRect R{0, 0, TextWidth + 8, TextHeight + 4};
  G.Body = R;
  G.Text = THintRect{R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1};
  if (Style.Alignment == 1) Move(G.Text, -4, 0);
  else if (Style.Alignment == 2) Move(G.Text, -1, 0);
  G.Corner = std::max(6, std::min(R.Width(), R.Height()) / 4);
  if (Style.Style == 1) {
    Grow(G.Body, G.Corner / 4, G.Corner / 4);
  } else if (Style.Style == 2) {
    // The ellipse through the corners of the text box.
    double A = G.Body.Width() * 0.5, B = G.Body.Height() * 0.5;
    if (A > 0 && B > 0) {
      int DY = RoundEven(B / 3);
      double BB = B + DY;
      double AA = std::sqrt(A * A * BB * BB / (BB * BB - B * B));
      int DX = RoundEven(AA) - RoundEven(A);
      Grow(G.Body, DX, DY);
    }
  }
  G.Window = G.Body;
  Move(G.Body, -G.Window.Left, -G.Window.Top);
  Move(G.Text, -G.Window.Left, -G.Window.Top);
  G.Window = THintRect{0, 0, G.Window.Width() + Style.ShadowSize, G.Window.Height() + Style.ShadowSize};
  if (Style.Tail) {
    int T = std::max(14, std::min(G.Text.Width(), G.Text.Height()) / 2);
    G.TailHeight = T;
    G.TailShift = T - 8;
    G.Window.Right += T - 8;
    G.Window.Bottom += T;
  }
  return G;
}

THintPlacement PlaceHint(int Left, int Top, int Width, int Height, int CurX, int CurY, int ScreenWidth,
                         int ScreenHeight, const THintStyle& Style, THintGeometry& G) {
  THintPlacement P{Left, Top, 2};
  if (Style.Tail) {
    if (CurY - Height - 3 >= 0) P.Top = CurY - Height - 3;
    if (CurX + 1 >= 0) P.Left = CurX + 1;
  }
  if (P.Top + Height > ScreenHeight) {
    P.Top = ScreenHeight - Height;
    if (P.Top <= CurY) P.Top = CurY - Height - 3;
  }
  if (P.Left + Width > ScreenWidth) {
    P.Left = ScreenWidth - Width;
    if (P.Left <= CurX) P.Left = CurX - Width - 1;
  }
  // Off the left or top edge: at the edge, even over the cursor, rather than off the
  // screen on its other side.
  if (P.Left < 0) P.Left = 0;
  if (P.Top < 0) P.Top = 0;
  if (Style.Style != 0 || Style.ShadowSize > 0 || Style.Tail) {
    P.TailPosition = 2;
    if (P.Top + Height < CurY) P.TailPosition = 0;
    if (P.Left + Width < CurX) P.TailPosition = P.TailPosition == 0 ? 1 : 3;
    if (Style.Tail) {
      if (P.TailPosition == 2 || P.TailPosition == 3) {
        Move(G.Body, 0, G.TailHeight);
        Move(G.Text, 0, G.TailHeight);
      }
      if (P.TailPosition == 0 || P.TailPosition == 2) {
        Move(G.Body, G.TailShift, 0);
        Move(G.Text, G.TailShift, 0);
      }
    }
  }
  return P;
}
