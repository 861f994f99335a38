// The main window's display rules: name styles by file kind, free space, the caption
// button's margin and the compact window.
#include <gtest/gtest.h>

#include "app/core/display_rules.h"

namespace {

TEST(DisplayRules, NamesAreStyledByTheirKind) {
  TFileTypeColors C = DefaultFileTypeColors();
  C[ftPics].Italic = true;
  const struct {
    const char* Name;
    TColor Color;
    bool Bold, Italic, Matched;
  } Rows[] = {
      {"a.zip", clRed, false, false, true},      {"Photo.JPG", clGreen, false, true, true},
      {"setup.exe", clBlue, true, false, true},  {"notes.txt", clTeal, false, false, true},
      {"index.htm", clNavy, false, false, true}, {"README", clBlack, false, false, false},
      {"data.xyz", clBlack, false, false, false}, {"archive.zip.bak", clBlack, false, false, false},
      {".zip", clRed, false, false, true},
  };
  for (const auto& R : Rows) {
    const TNameStyle S = NameStyle(R.Name, C);
    EXPECT_EQ(S.Color, R.Color) << R.Name;
    EXPECT_EQ(S.Bold, R.Bold) << R.Name;
    EXPECT_EQ(S.Italic, R.Italic) << R.Name;
    EXPECT_EQ(S.Matched, R.Matched) << R.Name;
  }
  // The Other record never colours a name.
  C[ftOther].Color = clLime;
  EXPECT_EQ(NameStyle("README", C).Color, clBlack);
}

TEST(DisplayRules, FreeSpace) {
  EXPECT_EQ(FreeSpaceText(-1), "0 \xCA\xC1");
  EXPECT_EQ(FreeSpaceText(0), "0 \xCA\xC1");
  EXPECT_EQ(FreeSpaceText(1023), "0 \xCA\xC1");
  EXPECT_EQ(FreeSpaceText(int64_t(5) << 40), "5368709120 \xCA\xC1");  // beyond 32 bits
}

TEST(DisplayRules, CaptionButtonMargin) {
  const struct {
    const char* Value;
    int Margin;
  } Rows[] = {
      {"-270", 71}, {"18", 71},  {" -330 ", 83}, {"-15", 20}, {"", 5},   {"-", 5},
      {"abc", 5},   {"-27x", 5}, {"0", 5},       {"-10", 5},  {"--270", 5}, {"99999999999", 5},
  };
  for (const auto& R : Rows) EXPECT_EQ(CaptionButtonMargin(R.Value, 5), R.Margin) << '"' << R.Value << '"';
}

TEST(DisplayRules, CompactWindow) {
  EXPECT_EQ(CompactWindowSize(1024, 768).Width, 768);
  EXPECT_EQ(CompactWindowSize(1024, 768).Height, 512);
  EXPECT_EQ(CompactWindowSize(1366, 769).Width, 1023);
  EXPECT_EQ(CompactWindowSize(1366, 769).Height, 512);
}

}  // namespace
