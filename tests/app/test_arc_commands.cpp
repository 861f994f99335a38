// The portable half of the archive pages: entry dates, the packer table and the packers'
// command lines, whose every name is quoted.
#include <gtest/gtest.h>

#include "app/core/arc_commands.h"

TEST(ArcCommands, EntryDateFollowsTheUsersOrderAndSeparator) {
  const TDateTime D = EncodeDate(2003, 4, 5) + EncodeTime(6, 7, 8, 0);
  EXPECT_EQ(ArcEntryDateText(D, '/'), "04/05/03 06:07");
  EXPECT_EQ(ArcEntryDateText(D, '.', TDateOrder::DayMonthYear), "05.04.03 06:07");
  EXPECT_EQ(ArcEntryDateText(D, '-', TDateOrder::YearMonthDay), "03-04-05 06:07");
  EXPECT_EQ(ArcEntryDateText(EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 0, 0), '-'), "12-31-99 23:59");
}

TEST(ArcCommands, PackerTableAndCommandWords) {
  struct Row {
    int Index;
    const char* Program;
    const char* Word;
  } Rows[] = {{0, "rar.exe", "a "},   {2, "pkzip.exe", "-a "}, {8, "bsa.exe", "-a "},  {11, "uc.exe", "a "},
              {15, "bix.exe", "a "},  {16, "rar.exe", "a "},   {-1, "rar.exe", "a "}};
  for (const Row& R : Rows) {
    EXPECT_EQ(PackerProgram(R.Index), R.Program) << R.Index;
    EXPECT_EQ(PackerCommandWord(R.Index), R.Word) << R.Index;
  }
  const std::string F = PackerFilter();
  EXPECT_EQ(F.rfind("rar|*.rar|arj|*.arj|zip|*.zip|", 0), 0u) << F;
  EXPECT_NE(F.find("|Ultra Compressor II|*.uc2|"), std::string::npos);
  EXPECT_EQ(F.substr(F.size() - 10), "|bix|*.bix");
}

// Names with blanks and the shell's special characters reach the packer as one argument
// each; a name holding a quote cannot, and nothing is built.
TEST(ArcCommands, EveryNameIsQuoted) {
  std::string P, Bad;
  ASSERT_TRUE(PackerParameters(0, "C:\\out\\new arc.rar", "", {"C:\\in\\a b.txt", "C:\\in\\x&y;|z.txt"}, P, Bad));
  EXPECT_EQ(P, "a \"C:\\out\\new arc.rar\" \"C:\\in\\a b.txt\" \"C:\\in\\x&y;|z.txt\"");
  ASSERT_TRUE(PackerParameters(2, "arc", "-r -m5", {"one.txt"}, P, Bad));
  EXPECT_EQ(P, "-a \"arc\" -r -m5 \"one.txt\"");
  // A trailing backslash would otherwise escape the closing quote.
  ASSERT_TRUE(PackerParameters(0, "a.rar", "", {"C:\\"}, P, Bad));
  EXPECT_EQ(P, "a \"a.rar\" \"C:\\\\\"");
  EXPECT_FALSE(PackerParameters(0, "a.rar", "", {"ok.txt", "bad\" & del x"}, P, Bad));
  EXPECT_EQ(Bad, "bad\" & del x");
}

TEST(ArcCommands, FolderAndNameWithoutDoubledBackslashAtADriveRoot) {
  EXPECT_EQ(JoinFolderName("C:\\", "a.txt"), "C:\\a.txt");
  EXPECT_EQ(JoinFolderName("C:\\data", "a.txt"), "C:\\data\\a.txt");
}
