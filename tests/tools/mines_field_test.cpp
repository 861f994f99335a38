// The mines game's field: placement, counts, flood opening, flags and the end of a game.
#include <gtest/gtest.h>

#include "tools/core/mines_field.h"

TEST(MinesField, NewGamePlacesEveryMine) {
  TMinesField F;
  for (uint32_t Seed : {1u, 2u, 3u}) {
    F.NewGame(9, 9, 15, Seed);
    int Mines = 0;
    for (int r = 0; r < 9; ++r)
      for (int c = 0; c < 9; ++c) Mines += F.HasMine(c, r);
    EXPECT_EQ(Mines, 15);
    EXPECT_EQ(F.MineCount(), 15);
  }
  F.NewGame(2, 2, 10, 1);  // more mines than cells: one cell stays free
  EXPECT_EQ(F.MineCount(), 3);
}

TEST(MinesField, OpeningFlaggingAndEnding) {
  // . . . .
  // . . . .
  // . . . *
  TMinesField F;
  F.SetField(4, 3, {2 * 4 + 3});
  EXPECT_EQ(F.Around(2, 1), 1);
  EXPECT_EQ(F.Around(0, 0), 0);
  F.ToggleFlag(1, 0);
  EXPECT_EQ(F.Open(1, 0), TMinesField::orNothing);  // flagged
  EXPECT_EQ(F.Open(0, 0), TMinesField::orOpened);
  EXPECT_TRUE(F.IsOpen(2, 2));   // flooded up to the mine's neighbours
  EXPECT_FALSE(F.IsOpen(1, 0));  // the flag held
  EXPECT_FALSE(F.IsOpen(3, 2));
  EXPECT_FALSE(F.Won());
  F.ToggleFlag(1, 0);
  F.Open(1, 0);
  EXPECT_TRUE(F.Won());

  F.SetField(4, 3, {2 * 4 + 3});
  EXPECT_EQ(F.Open(3, 2), TMinesField::orMine);
  EXPECT_TRUE(F.Lost());
  EXPECT_EQ(F.Open(0, 0), TMinesField::orNothing);  // the game is over
  EXPECT_EQ(F.Open(-1, 7), TMinesField::orNothing);
}
