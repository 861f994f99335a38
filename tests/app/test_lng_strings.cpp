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

}  // namespace
