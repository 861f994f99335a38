// Shaped hints: the window's size and rectangles from the text's size, and the placement
// beside the cursor with the tail's corner.
#include <gtest/gtest.h>

#include "ui/core/rx_hints.h"

TEST(HintGeometry, SizesByStyle) {
  struct {
    THintStyle Style;
    int TW, TH;
    THintRect Window, Body, Text;
  } Cases[] = {
      // A plain rectangle: the text box and a margin.
      {{0, 0, false, 0}, 100, 13, {0, 0, 108, 17}, {0, 0, 108, 17}, {1, 1, 107, 16}},
      // Right alignment moves the text 4 to the left, centre 1.
      {{0, 0, false, 1}, 100, 13, {0, 0, 108, 17}, {0, 0, 108, 17}, {-3, 1, 103, 16}},
      {{0, 0, false, 2}, 100, 13, {0, 0, 108, 17}, {0, 0, 108, 17}, {0, 1, 106, 16}},
      // Rounded: grown by a quarter of the corner size (6).
      {{1, 0, false, 0}, 100, 13, {0, 0, 110, 19}, {0, 0, 110, 19}, {2, 2, 108, 17}},
      // Ellipse through the text box's corners: dy = 3, dx = 80 - 54 = 26; shadow 7 and a
      // tail of 14 (shift 6) on top.
      {{2, 7, true, 0}, 100, 13, {0, 0, 173, 44}, {0, 0, 160, 23}, {27, 4, 133, 19}},
      {{2, 0, false, 0}, 100, 13, {0, 0, 160, 23}, {0, 0, 160, 23}, {27, 4, 133, 19}},
  };
  for (const auto& C : Cases) {
    THintGeometry G = CalcHintGeometry(C.TW, C.TH, C.Style);
    EXPECT_EQ(G.Window, C.Window) << C.Style.Style << " " << C.Style.Alignment;
    EXPECT_EQ(G.Body, C.Body) << C.Style.Style;
    EXPECT_EQ(G.Text, C.Text) << C.Style.Style;
  }
  EXPECT_EQ(CalcHintGeometry(100, 13, {2, 7, true, 0}).TailHeight, 14);
  // A tall text: the tail grows with it.
  EXPECT_EQ(CalcHintGeometry(200, 60, {0, 0, true, 0}).TailHeight, 31);
}

TEST(HintGeometry, PlacementFlipsAtTheScreenEdges) {
  THintStyle Style{2, 7, true, 0};
  struct {
    int CurX, CurY;
    int Left, Top, Tail;
  } Cases[] = {
      {500, 400, 501, 353, 0},  // above and right of the cursor
      {1000, 400, 826, 353, 1}, // near the right edge: left of it
      {500, 20, 501, 40, 2},    // near the top: below it, at the asked place
      {1000, 20, 826, 40, 3},
      {500, 767, 501, 720, 0},
      {2, 400, 3, 353, 0},
  };
  for (const auto& C : Cases) {
    THintGeometry G = CalcHintGeometry(100, 13, Style);
    THintPlacement P = PlaceHint(C.CurX, 40, G.Window.Width(), G.Window.Height(), C.CurX, C.CurY, 1024, 768, Style, G);
    EXPECT_EQ(P.Left, C.Left) << C.CurX << "," << C.CurY;
    EXPECT_EQ(P.Top, C.Top) << C.CurX << "," << C.CurY;
    EXPECT_EQ(P.TailPosition, C.Tail) << C.CurX << "," << C.CurY;
    // The outline leaves room for the tail on its side.
    EXPECT_EQ(G.Body.Top, C.Tail >= 2 ? 14 : 0);
    EXPECT_EQ(G.Body.Left, C.Tail == 0 || C.Tail == 2 ? 6 : 0);
  }
  // Without tail, shadow or shape the window goes where asked and stays on the screen.
  THintGeometry G = CalcHintGeometry(100, 13, {});
  THintPlacement P = PlaceHint(1000, 760, 108, 17, 1000, 760, 1024, 768, {}, G);
  EXPECT_EQ(P.Left, 1000 - 108 - 1);
  EXPECT_EQ(P.Top, 760 - 17 - 3);
  P = PlaceHint(-50, -10, 108, 17, 0, 0, 1024, 768, {}, G);
  EXPECT_EQ(P.Left, 0);
  EXPECT_EQ(P.Top, 0);
}
