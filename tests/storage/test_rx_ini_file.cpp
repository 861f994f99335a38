// Colours and fonts as single INI values.
#include <gtest/gtest.h>

#include <string>

#include "classlib/core/font.h"
#include "storage/core/rx_ini_file.h"
#include "tests/classlib/temp_folder.h"

TEST(RxIniFile, ColourTexts) {
  struct {
    TColor Color;
    const char* Text;
  } Cases[] = {
      {clRed, "clRed"},
      {clWhite, "clWhite"},
      {clSilver, "clSilver"},
      {clWindowText, "clWindowText"},
      {clInfoBk, "clInfoBk"},
      {clNone, "clNone"},
      {TColor(0x00804020), "$00804020"},
      {clMoneyGreen, "$00C0DCC0"},  // not among the names the files use
      {clHotLight, "$8000001A"},
  };
  for (auto& C : Cases) {
    EXPECT_EQ(ColorToText(C.Color), C.Text);
    TColor Back;
    ASSERT_TRUE(TextToColor(C.Text, Back)) << C.Text;
    EXPECT_EQ(Back, C.Color) << C.Text;
  }
  struct {
    const char* Text;
    bool Ok;
    TColor Color;
  } Reads[] = {{"clred", true, clRed},     {" CLBTNFACE ", true, clBtnFace}, {"255", true, clRed},
               {"$FF0000", true, clBlue},  {"clMoneyGreen", false, clBlack}, {"red", false, clBlack},
               {"", false, clBlack}};
  for (auto& R : Reads) {
    TColor Color = clBlack;
    EXPECT_EQ(TextToColor(R.Text, Color), R.Ok) << R.Text;
    if (R.Ok) {
      EXPECT_EQ(Color, R.Color) << R.Text;
    }
  }
}

TEST(RxIniFile, ColoursInTheFile) {
  TTempFolder Dir;
  TRxIniFile Ini(Dir / "Color.ini");
  Ini.WriteColor("Colors", "Archive", TColor(0x00804020));
  EXPECT_EQ(Ini.ReadString("Colors", "Archive", ""), "$00804020");
  EXPECT_EQ(Ini.ReadColor("Colors", "Archive", clBlack), TColor(0x00804020));
  EXPECT_EQ(Ini.ReadColor("Colors", "Missing", clTeal), clTeal);
  Ini.WriteString("Colors", "Bad", "no colour");
  EXPECT_EQ(Ini.ReadColor("Colors", "Bad", clTeal), clTeal);
}

TEST(RxIniFile, FontTexts) {
  TFont Font;
  Font.SetName("Arial");
  Font.SetSize(10);
  Font.SetStyle({fsBold, fsItalic});
  Font.SetPitch(fpDefault);
  Font.SetColor(clWindowText);
  Font.SetCharset(204);
  EXPECT_EQ(FontToText(&Font), "Arial,10,BI,0,clWindowText,204");
  Font.SetStyle({});
  Font.SetPitch(fpFixed);
  Font.SetColor(TColor(0x123456));
  EXPECT_EQ(FontToText(&Font), "Arial,10,,2,$00123456,204");
  Font.SetStyle({fsStrikeOut, fsUnderline, fsBold, fsItalic});
  EXPECT_EQ(FontToText(&Font), "Arial,10,BIUS,2,$00123456,204");

  struct {
    const char* Text;
    const char* Expected;  // FontToText afterwards, starting from Base
  } Cases[] = {
      {"Arial,10,BI,0,clWindowText,204", "Arial,10,BI,0,clWindowText,204"},
      {"Tahoma;12;ub;1;clRed;0", "Tahoma,12,BU,1,clRed,0"},
      {" Courier New , 9 , s , 2 , $00FF8000 , 1 ", "Courier New,9,S,2,$00FF8000,1"},
      {"Arial,big,B,7,clBlue,999", "Arial,8,B,0,clBlue,1"},  // fields that do not convert are kept
      {"Arial,11,B,1,nocolour,204", "Arial,11,B,1,clBlack,1"},  // a bad colour ends the reading
      {",14", "Base,14,,0,clBlack,1"},                         // empty name kept; empty style: plain
      {"Arial,10,I,0,clRed,204,extra,fields", "Arial,10,I,0,clRed,204"},
  };
  for (auto& C : Cases) {
    TFont F;
    F.SetName("Base");
    F.SetSize(8);
    F.SetStyle({fsUnderline});
    F.SetColor(clBlack);
    F.SetCharset(1);
    int Changes = 0;
    F.OnChange = [&](TObject*) { ++Changes; };
    TextToFont(C.Text, &F);
    EXPECT_EQ(FontToText(&F), C.Expected) << C.Text;
    EXPECT_EQ(Changes, 1) << C.Text;  // one notification for the whole text
  }
}

TEST(RxIniFile, FontsInTheFile) {
  TTempFolder Dir;
  TRxIniFile Ini(Dir / "Color.ini");
  TFont Font;
  Font.SetName("Arial");
  Font.SetSize(10);
  Font.SetStyle({fsBold});
  Ini.WriteFont("Fonts", "Folder", &Font);
  TFont Read;
  EXPECT_EQ(Ini.ReadFont("Fonts", "Folder", &Read), &Read);
  EXPECT_EQ(FontToText(&Read), FontToText(&Font));
  // A missing value leaves the font as it is.
  TFont Other;
  std::string Before = FontToText(&Other);
  Ini.ReadFont("Fonts", "Missing", &Other);
  EXPECT_EQ(FontToText(&Other), Before);
}
