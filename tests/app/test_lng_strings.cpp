// Language-file lookups on a real file in a temporary program folder.
#include <gtest/gtest.h>

#include <string>

#include "app/core/lng_strings.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "tests/classlib/temp_folder.h"

namespace {

class LngStrings : public ::testing::Test {
protected:
  void SetUp() override {
    FOldFolder = ProgramFolder();
    SetProgramFolder(Dir.Path() + "\\");
    ASSERT_TRUE(CreateDir(Dir / "INI"));
  }
  void TearDown() override { SetProgramFolder(FOldFolder); }

  void WriteLng(const std::string& Text) {
    TFileStream F(LngFileName(), fmCreate);
    F.WriteBuffer(Text.data(), Text.size());
  }

  TTempFolder Dir;

private:
  std::string FOldFolder;
};

TEST_F(LngStrings, FileNameIsUnderTheProgramFolder) {
  EXPECT_EQ(LngFileName(), Dir.Path() + "\\INI\\zq.lng");
}

TEST_F(LngStrings, ReadsEachSection) {
  WriteLng(
      "[String]\r\nCopy=\xCA\xEE\xEF\xE8\xF0\xEE\xE2\xE0\xF2\xFC\r\nEmpty=\r\n"
      "[Mask]\r\nAll=All files|*.*\r\n"
      "[Tips]\r\nInput_mask=Type a mask\r\n");
  std::string Text;
  GetLngString("Copy", Text);
  EXPECT_EQ(Text, "\xCA\xEE\xEF\xE8\xF0\xEE\xE2\xE0\xF2\xFC");
  GetLngString("copy", Text);  // key names ignore case
  EXPECT_EQ(Text, "\xCA\xEE\xEF\xE8\xF0\xEE\xE2\xE0\xF2\xFC");
  GetLngString("Empty", Text);  // present but empty: not the marker
  EXPECT_EQ(Text, "");
  GetLngMask("All", Text);
  EXPECT_EQ(Text, "All files|*.*");
  GetLngTip("Input_mask", Text);
  EXPECT_EQ(Text, "Type a mask");
  // Each routine reads its own section only.
  GetLngString("All", Text);
  EXPECT_EQ(Text, LngNotFound);
  GetLngMask("Copy", Text);
  EXPECT_EQ(Text, LngNotFound);
  GetLngTip("Copy", Text);
  EXPECT_EQ(Text, LngNotFound);
}

TEST_F(LngStrings, MissingKeyOrFileGivesTheMarker) {
  std::string Text = "old";
  GetLngString("Copy", Text);  // no file at all
  EXPECT_EQ(Text, "-+-");
  EXPECT_EQ(LittleErrorText(), "Little error. Don't worry");
  EXPECT_EQ(LngStringOr("No_printer", "No printer is installed."), "No printer is installed.");

  WriteLng("[String]\r\nProblem1=Oops\r\nNo_printer=\xCD\xE5\xF2\r\n");
  GetLngString("Nothing_here", Text);
  EXPECT_EQ(Text, "-+-");
  EXPECT_EQ(LittleErrorText(), "Oops");
  // The program's own reports: the file's text where it has one, never the marker.
  EXPECT_EQ(LngStringOr("No_printer", "No printer is installed."), "\xCD\xE5\xF2");
  EXPECT_EQ(LngStringOr("Nothing_here", "Built in"), "Built in");
}

TEST_F(LngStrings, EveryLookupReadsTheFileAfresh) {
  WriteLng("[String]\r\nMove=First\r\n");
  std::string Text;
  GetLngString("Move", Text);
  EXPECT_EQ(Text, "First");
  WriteLng("[String]\r\nMove=Second\r\n");
  GetLngString("Move", Text);
  EXPECT_EQ(Text, "Second");
  ASSERT_TRUE(DeleteFile(LngFileName()));  // the file deleted while the program runs
  GetLngString("Move", Text);
  EXPECT_EQ(Text, "-+-");
  EXPECT_EQ(LittleErrorText(), "Little error. Don't worry");
}

// Day and month names come from the language file; a list that is missing, short, long or
// has an empty name gives the English list, also after another language had been applied.
TEST_F(LngStrings, DateNamesFollowTheLanguageFile) {
  const std::string Ru =  // "Vs".."Sb" and "Yanvar'".."Dekabr'" in 1251, spelt short here
      "ShortDayNames=\xC2\xF1,\xCF\xED,\xC2\xF2,\xD1\xF0,\xD7\xF2,\xCF\xF2,\xD1\xE1\r\n"
      "LongDayNames=d1, d2 ,d3,d4,d5,d6,d7\r\n"
      "ShortMonthNames=m1,m2,m3,m4,m5,m6,m7,m8,m9,m10,m11,m12\r\n"
      "LongMonthNames=\xDF\xED\xE2,M2,M3,M4,M5,M6,M7,M8,M9,M10,M11,M12\r\n";
  WriteLng("[String]\r\n" + Ru);
  ApplyDateNames();
  EXPECT_EQ(ShortDayNames[0], "\xC2\xF1");
  EXPECT_EQ(ShortDayNames[6], "\xD1\xE1");
  EXPECT_EQ(LongDayNames[1], "d2");  // blanks around a name are not part of it
  EXPECT_EQ(ShortMonthNames[11], "m12");
  EXPECT_EQ(FormatDateTime("mmmm d, dddd", EncodeDate(2001, 1, 1)), "\xDF\xED\xE2 1, d2");

  const std::pair<const char*, const char*> Broken[] = {
      {"", "no lists at all"},
      {"ShortDayNames=a,b,c,d,e,f\r\nLongDayNames=a,b,c,d,e,f,g,h\r\n"
       "ShortMonthNames=a,b,,d,e,f,g,h,i,j,k,l\r\nLongMonthNames=\r\n",
       "six, eight, an empty name, an empty list"}};
  for (const auto& [Lists, What] : Broken) {
    WriteLng("[String]\r\n" + Ru);
    ApplyDateNames();
    WriteLng(std::string("[String]\r\n") + Lists);
    ApplyDateNames();
    EXPECT_EQ(ShortDayNames[0], "Sun") << What;
    EXPECT_EQ(LongDayNames[1], "Monday") << What;
    EXPECT_EQ(ShortMonthNames[2], "Mar") << What;
    EXPECT_EQ(LongMonthNames[0], "January") << What;
  }
  ASSERT_TRUE(DeleteFile(LngFileName()));  // no file: English
  ApplyDateNames();
  EXPECT_EQ(FormatDateTime("mmmm d, dddd", EncodeDate(2001, 1, 1)), "January 1, Monday");
}

}  // namespace
