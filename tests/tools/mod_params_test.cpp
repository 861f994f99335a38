// The tracker panel's parameter string: the exact default string, colours that are not
// six hexadecimal digits, and a caption that holds the separator.
#include <gtest/gtest.h>

#include <string>

#include "tools/core/mod_params.h"

TEST(ModPlugParams, DefaultsWithCaption) {
  TModPlugSettings S;
  S.Caption = "Mod";
  EXPECT_EQ(ModPlugParams(S),
            "bgcolor|#000000|vucolor|#00FF00|spcolor|#FF0000|spcolorhi|#FFFF00|vucolorhi|#FF0000|"
            "hidden|false|Title|Mod|width|169|height|49|loop|false");
  S.SpectrumHide = S.LoopSong = S.SpectrumStereo = true;
  S.Width = 200;
  S.Height = 7;
  EXPECT_EQ(ModPlugParams(S),
            "bgcolor|#000000|vucolor|#00FF00|spcolor|#FF0000|spcolorhi|#FFFF00|vucolorhi|#FF0000|"
            "hidden|true|Title|Mod|width|200|height|7|loop|true|controls|stereo");
}

TEST(ModPlugParams, ColoursAndCaption) {
  struct Case {
    std::string Back, VU, Caption, Expected;
  } Cases[] = {
      // Five characters: the background falls back, the VU pair is left out.
      {"12345", "00FF0", "", "bgcolor|#000000|spcolor|"},
      // Six characters that are not all hexadecimal digits are refused alike.
      {"GG0000", "00FF0Z", "", "bgcolor|#000000|spcolor|"},
      {"abcdef", "A0b1C2", "", "bgcolor|#abcdef|vucolor|#A0b1C2|spcolor|"},
      // A separator in the caption would shift every later pair.
      {"000000", "00FF00", "a|b||", "Title|ab|width|169|"},
  };
  for (const Case& C : Cases) {
    TModPlugSettings S;
    S.BackColor = C.Back;
    S.VUColor = C.VU;
    S.Caption = C.Caption;
    const std::string P = ModPlugParams(S);
    EXPECT_NE(P.find(C.Expected), std::string::npos) << P;
    // Whatever the caption and colours, the string reads back as the same ten pairs or fewer.
    const auto Pairs = SplitModPlugParams(P);
    ASSERT_GE(Pairs.size(), 6u) << P;
    EXPECT_EQ(Pairs.back().first, "loop");
    EXPECT_EQ(Pairs[Pairs.size() - 4].first, "Title");
  }
}

TEST(ModPlugParams, SplitAndColourValues) {
  using P = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(SplitModPlugParams("a|1|b|2"), (P{{"a", "1"}, {"b", "2"}}));
  EXPECT_EQ(SplitModPlugParams("a|1|b|"), (P{{"a", "1"}, {"b", ""}}));
  EXPECT_EQ(SplitModPlugParams("a|1|"), (P{{"a", "1"}}));
  EXPECT_EQ(SplitModPlugParams("a"), (P{{"a", ""}}));
  EXPECT_EQ(SplitModPlugParams(""), P{});

  EXPECT_EQ(ModColorValue("#FF8000", 7), 0x0080FFu);  // RRGGBB to a GDI colour
  EXPECT_EQ(ModColorValue("0000ff", 7), 0xFF0000u);
  for (const char* Bad : {"", "#", "#FF800", "#FF80000", "#GG8000", "FF 800"})
    EXPECT_EQ(ModColorValue(Bad, 7), 7u) << Bad;
}
