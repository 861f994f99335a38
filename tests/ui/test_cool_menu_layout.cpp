// Owner-drawn menu items: the measured sizes by text side and options, the popup's widest
// item given to every item, the layout of picture and text, and the strip's gradient bands.
#include <gtest/gtest.h>

#include "ui/core/cool_menu_layout.h"

namespace {
const TCoolSpacing S{5, 2, 5, 13};
}

TEST(CoolMenuMeasure, SizesByTextSide) {
  struct {
    const char* Name;
    TCoolMeasureInput In;
    int Width, Height;
  } Cases[] = {
      // Picture left of the text: image + text + H, the widest shortcut and H on top.
      {"right", {ctsRight, true, 16, false, false, false, false, true, 60, 13, 0, 30}, 16 + 60 + 5 + 30 + 5, 16 + 4},
      // An item with a submenu leaves room for the arrow (C) instead of H.
      {"submenu", {ctsRight, true, 16, false, false, false, true, true, 60, 13, 0, 0}, 16 + 60 + 13 + 0 + 5, 20},
      // Text above or below the picture: two image heights and three gaps.
      {"top", {ctsTop, true, 16, false, false, false, false, true, 60, 13, 0, 0}, 60 + 13 + 5, 2 * 16 + 3 * 2},
      // Not fixed: the image is as tall as the text.
      {"loose", {ctsLeft, false, 16, false, false, false, false, true, 60, 13, 0, 0}, 60 + 13 + 5 + 5, 13 + 4},
      {"no image", {ctsRight, true, 16, false, true, false, false, true, 60, 13, 0, 0}, 60 + 5 + 13 + 5, 20},
      // A bar item: no shortcut column, "&" not counted.
      {"bar", {ctsRight, true, 16, false, true, true, false, true, 60, 13, 8, 0}, 52, 20},
      // Only the picture, with a bevel gap round it.
      {"picture", {ctsRight, true, 16, true, false, false, false, false, 0, 0, 0, 0, 40, 20, true}, 40 - 13 + 10, 30},
  };
  for (const auto& C : Cases) {
    TCoolPopupMaxima Max;
    TCoolMeasure M = MeasureCoolItem(C.In, S, Max);
    EXPECT_EQ(M.Width, C.Width) << C.Name;
    EXPECT_EQ(M.Height, C.Height) << C.Name;
    EXPECT_EQ(M.MetricsWidth, M.Width + S.C) << C.Name;
  }
}

TEST(CoolMenuMeasure, ThePopupsWidestForEveryItem) {
  TCoolPopupMaxima Max;
  TCoolMeasureInput Short{ctsRight, true, 16, false, false, false, false, true, 20, 13, 0, 0};
  TCoolMeasureInput Long{ctsRight, true, 16, false, false, false, false, true, 90, 13, 0, 40};
  MeasureCoolItem(Short, S, Max);
  MeasureCoolItem(Long, S, Max);
  EXPECT_EQ(Max.Height, 40);
  // Measured again after the pass: the short item is as wide as the long one.
  TCoolMeasure A = MeasureCoolItem(Short, S, Max), B = MeasureCoolItem(Long, S, Max);
  EXPECT_EQ(A.Width, B.Width);
  EXPECT_EQ(A.TextWidth, 90);
  EXPECT_EQ(A.Width, (16 + 90 + 5) + 40 + 5);
  // With the caption strip on the right and a sibling with a submenu, the arrow's room too.
  TCoolPopupMaxima M2;
  TCoolMeasureInput Striped = Short;
  Striped.StripWidth = 20;
  Striped.StripRight = true;
  Striped.SiblingHasSubItems = true;
  EXPECT_EQ(MeasureCoolItem(Striped, S, M2).Width, (16 + 20 + 5 + 20 + 13) + 0 + 5);
}

TEST(CoolMenuLayout, OriginsByTextSide) {
  TCoolMeasure M;
  M.TextWidth = 60;
  M.ImageSize = 16;
  M.Height = 20;
  M.MetricsWidth = 120;
  struct {
    int Side;
    bool Fixed, NoImage, Bar;
    int IX, IY, TX, TY;
  } Cases[] = {
      {ctsRight, true, false, false, 15, 52, 15 + 16 + 5, 50 + 10 - 6 - 1},
      {ctsRight, false, false, false, 15, 52, 36, 52},
      {ctsRight, true, true, false, 15, 52, 15 + 13, 53},
      {ctsRight, true, true, true, 15, 52, 10 + (200 - 60) / 2, 53},
      {ctsLeft, true, false, false, 15 + 60 + 5, 52, 15, 53},
      {ctsTop, true, false, false, 10 + 60 - 8, 52 + 16 + 2, 10 + 60 - 30, 52},
      {ctsBottom, true, false, false, 10 + 60 - 8, 52, 10 + 60 - 30, 52 + 16 + 2},
  };
  for (const auto& C : Cases) {
    TCoolLayoutInput In;
    In.TextSide = C.Side;
    In.FixedImgSize = C.Fixed;
    In.NoImageAttached = C.NoImage;
    In.MenuBarItem = C.Bar;
    In.Left = 10;
    In.Top = 50;
    In.RectWidth = 200;
    In.M = M;
    In.TextHeight = 13;
    TCoolLayout L = LayoutCoolItem(In, S);
    EXPECT_EQ(L.ImageX, C.IX) << C.Side << C.Fixed << C.NoImage << C.Bar;
    EXPECT_EQ(L.ImageY, C.IY) << C.Side << C.Fixed << C.NoImage << C.Bar;
    EXPECT_EQ(L.TextX, C.TX) << C.Side << C.Fixed << C.NoImage << C.Bar;
    EXPECT_EQ(L.TextY, C.TY) << C.Side << C.Fixed << C.NoImage << C.Bar;
  }
}

TEST(GradientBands, StepsAndEdgeCases) {
  // 0 steps (a division by zero once) and 1 step: one solid colour.
  for (int Steps : {0, 1}) {
    auto B = GradientBands(30, 0x0000FF, Steps, 0xFF0000);
    ASSERT_FALSE(B.empty()) << Steps;
    for (const auto& Band : B) EXPECT_EQ(Band.Color, 0x0000FFu) << Steps;
  }
  // 4 steps over 40 rows: four bands of 10, from the bottom one in the first colour up.
  auto B = GradientBands(40, 0x000000, 4, 0x0000FF);
  ASSERT_EQ(B.size(), 4u);
  EXPECT_EQ(B[0].Top, 30);
  EXPECT_EQ(B[0].Bottom, 40);
  EXPECT_EQ(B[0].Color, 0x000000u);
  EXPECT_EQ(B[3].Top, 0);
  EXPECT_EQ(B[3].Color, 0x0000BFu);  // 3/4 of the way
  int Covered = 0;
  for (const auto& Band : B) Covered += Band.Bottom - Band.Top;
  EXPECT_EQ(Covered, 40);
  EXPECT_TRUE(GradientBands(0, 0, 4, 0).empty());
}
