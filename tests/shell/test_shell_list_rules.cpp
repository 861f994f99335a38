#include <gtest/gtest.h>

#include "classlib/core/stream.h"
#include "shell/core/shell_list_rules.h"

TEST(ShellListFilter, PiecesBetweenSemicolons) {
  struct Case {
    const char* Text;
    std::vector<std::string> Pieces;
  } Cases[] = {
      {"", {}},
      {"*.txt", {"*.txt"}},
      {"*.txt;;*.htm", {"*.txt", "*.htm"}},
      {";*.a;", {"*.a"}},
      {";;", {}},
  };
  for (const Case& C : Cases) EXPECT_EQ(SplitFileFilter(C.Text), C.Pieces) << C.Text;
}

TEST(ShellListFilter, NamesAreCollectedOnlyForARealFilterOnAPath) {
  EXPECT_TRUE(FilterNeedsNames("C:\\x", "*.txt"));
  EXPECT_FALSE(FilterNeedsNames("C:\\x", "*"));
  EXPECT_FALSE(FilterNeedsNames("C:\\x", "*.*"));
  EXPECT_FALSE(FilterNeedsNames("C:\\x", ""));
  EXPECT_FALSE(FilterNeedsNames("", "*.txt"));  // a folder outside the file system
}

TEST(ShellListFilter, LongNameMatching) {
  struct Case {
    const char* Name;
    const char* Pattern;
    bool Match;
  } Cases[] = {
      {"page.htm", "*.htm", true},
      {"PAGE.HTM", "*.htm", true},
      {"page.html", "*.htm", false},  // the directory search takes it through its short name
      {"a.txt", "?.txt", true},
      {"ab.txt", "?.txt", false},
      {"readme", "*.*", true},
      {"readme", "read*.*", true},
      {"readme", "*.", true},
      {"readme.txt", "*.", false},
      {"\xCE\xF2\xF7\xB8\xF2.doc", "\xEE\xD2\xD7\xA8\xF2*", true},  // CP1251, cases mixed
      {"x.tar.gz", "*.gz", true},
      {"x.gz.bak", "*.gz", false},
      {"abc", "a*c*", true},
  };
  for (const Case& C : Cases) EXPECT_EQ(MatchesFilePattern(C.Name, C.Pattern), C.Match) << C.Name << " " << C.Pattern;
}

TEST(ShellListColumns, DirectoryColsRecords) {
  TDirectoryCols D = DefaultDirectoryCols();
  EXPECT_EQ(D.Size, 10);
  EXPECT_EQ(DirectoryColsWidths(D), (std::vector<int>{200, 60, 100, 120}));

  const uint8_t Eight[] = {250, 0, 80, 0, 90, 0, 140, 0};
  TDirectoryCols R = OverlayDirectoryCols(D, Eight, 8);
  EXPECT_EQ(R.Size, 8);
  EXPECT_EQ(DirectoryColsWidths(R), (std::vector<int>{250, 80, 90, 140}));

  // Four bytes replace only the first two widths.
  TDirectoryCols Short = OverlayDirectoryCols(D, Eight, 4);
  EXPECT_EQ(DirectoryColsWidths(Short), (std::vector<int>{250, 80, 100, 120}));

  uint8_t Long[23] = {1};
  EXPECT_EQ(OverlayDirectoryCols(D, Long, 23).Size, 10);  // refused: the defaults stay

  EXPECT_TRUE(SameDirectoryCols(R, OverlayDirectoryCols(DefaultDirectoryCols(), Eight, 8)));
  EXPECT_FALSE(SameDirectoryCols(R, D));
  EXPECT_FALSE(SameDirectoryCols(TDirectoryCols(), TDirectoryCols()));  // none read yet
}

TEST(ShellListColumns, WidthStream) {
  TMemoryStream S;
  EXPECT_TRUE(LoadColumnWidths(S, 4).empty());
  SaveColumnWidths(S, {300, 70, 110, 130});
  EXPECT_EQ(S.Size(), 20);
  EXPECT_EQ(LoadColumnWidths(S, 4), (std::vector<int>{300, 70, 110, 130}));
  EXPECT_EQ(LoadColumnWidths(S, 2), (std::vector<int>{300, 70}));
  EXPECT_EQ(LoadColumnWidths(S, 9), (std::vector<int>{300, 70, 110, 130}));
  // Saving fewer widths leaves nothing of the longer record behind.
  SaveColumnWidths(S, {10});
  EXPECT_EQ(LoadColumnWidths(S, 4), (std::vector<int>{10}));
  // A stream cut inside the widths gives those that are whole.
  SaveColumnWidths(S, {1, 2, 3});
  S.SetSize(14);
  EXPECT_EQ(LoadColumnWidths(S, 4), (std::vector<int>{1, 2}));
}

TEST(ShellListSort, HeaderClicks) {
  EXPECT_EQ(NextSortColumn(1, 0), -1);   // the name column again: reversed
  EXPECT_EQ(NextSortColumn(-1, 0), 1);   // and back
  EXPECT_EQ(NextSortColumn(1, 2), 3);    // another column: ascending
  EXPECT_EQ(NextSortColumn(-3, 1), 2);
}

TEST(ShellListDrag, AutoScrollSteps) {
  struct Case {
    int X, Y, H, V;
  } Cases[] = {
      {100, 100, 0, 0}, {25, 100, -1, 0}, {26, 100, 0, 0},  {175, 100, 1, 0},
      {174, 100, 0, 0}, {100, 19, 0, -1}, {100, 20, 0, 0},  {100, 181, 0, 1},
      {100, 180, 0, 0}, {0, 199, -1, 1},
  };
  for (const Case& C : Cases) {
    TAutoScrollStep S = AutoScrollStepAt(C.X, C.Y, 200, 200);
    EXPECT_EQ(S.Horizontal, C.H) << C.X << "," << C.Y;
    EXPECT_EQ(S.Vertical, C.V) << C.X << "," << C.Y;
  }
  EXPECT_FALSE(AutoScrollDue(1000, 1100));
  EXPECT_TRUE(AutoScrollDue(1000, 1101));
  EXPECT_TRUE(AutoScrollDue(0xFFFFFFF0u, 100));  // across the counter's wrap
}

TEST(ShellListRename, NewNames) {
  for (const char* Good : {"a", "New Folder", "x.y.z", ".profile", "\xCE\xF2\xF7\xB8\xF2"})
    EXPECT_EQ(NewNameProblem(Good), "") << Good;
  for (const char* Bad : {"", "..", ".", "...", "  ", "a\\b", "..\\x", "a/b", "c:x", "a*", "a?", "<a>", "a|b", "a\"b"})
    EXPECT_NE(NewNameProblem(Bad), "") << Bad;
  EXPECT_NE(NewNameProblem(std::string(260, 'a')), "");
  EXPECT_EQ(NewNameProblem(std::string(259, 'a')), "");
}
