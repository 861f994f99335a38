#include <gtest/gtest.h>

#include "archive/core/un_zoo.h"
#include "old_readers_test_util.h"

namespace {

uint32_t Get32(const TByteVec& D, size_t At) { return D[At] | (D[At + 1] << 8) | (D[At + 2] << 16) | (uint32_t(D[At + 3]) << 24); }
void Put32(TByteVec& D, size_t At, uint32_t V) {
  for (int I = 0; I < 4; I++) D[At + I] = uint8_t(V >> (8 * I));
}

// Hand-made (checked with unar): method 1 text.txt, method 0 docs/old/small.txt, method 2
// docs/runs.bin, method 1 sub/far.bin (grows to 13-bit codes and clears), method 2 with a
// long name in docs (which the lister shows too, so it is the name extracted).
TEST(ZooReader, MethodsFoldersAndLongNames) {
  TTempDir Tmp;
  TUnZOO R(nullptr);
  TReaderEvents Ev;
  ExtractInto(R, Ev, OldFixture("zoo.zoo"), Tmp.Path());
  ASSERT_EQ(int(R.ArcType()), int(atZOO));
  EXPECT_TRUE(Ev.Errors.empty());
  EXPECT_EQ(Ev.FailedEnds(), 0);
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "text.txt"), Plain("text.txt"));
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "docs\\old\\small.txt"), Plain("small.txt"));
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "docs\\runs.bin"), Plain("runs.bin"));
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "sub\\far.bin"), Plain("sub/far.bin"));
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "docs\\long name of a text file.txt"), Plain("text.txt"));
  EXPECT_EQ(Ev.BeginRecNums, (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST(ZooReader, DeletedEntriesAreExtractedAsTheyAreListed) {
  TTempDir Tmp;
  TUnZOO R(nullptr);
  TReaderEvents Ev;
  ExtractInto(R, Ev, FixturePath("lister/zoo.zoo"), Tmp.Path());
  EXPECT_TRUE(Ev.Errors.empty());
  EXPECT_EQ(Ev.Begins.size(), 4u);
  EXPECT_TRUE(FileExists(Tmp.Path() + "gone.txt"));
  EXPECT_TRUE(FileExists(Tmp.Path() + "docs\\old\\long file name.txt"));
}

TEST(ZooReader, BadArchives) {
  const TByteVec Zoo = ReadWholeFile(OldFixture("zoo.zoo"));
  const uint32_t First = Get32(Zoo, 24);
  const uint32_t Second = Get32(Zoo, First + 6);
  {
    SCOPED_TRACE("start and minus fields disagree: told, and the run ends before any entry");
    TTempDir Tmp;
    const std::string Arc = EditedCopy(Tmp.Path(), "zoo.zoo", "x.zoo", [](TByteVec& D) { D[28] ^= 1; });
    TUnZOO R(nullptr);
    TReaderEvents Ev;
    EXPECT_NO_THROW(ExtractInto(R, Ev, Arc, Tmp.Path() + "out\\"));
    EXPECT_EQ(Ev.Errors, std::vector<int>{errBadFileHeader});
    EXPECT_TRUE(Ev.Begins.empty());
    EXPECT_EQ(Ev.Activates, Ev.Deactivates);
  }
  {
    SCOPED_TRACE("the second entry links back to the first: the walk ends");
    TTempDir Tmp;
    const std::string Arc = EditedCopy(Tmp.Path(), "zoo.zoo", "x.zoo", [&](TByteVec& D) { Put32(D, Second + 6, First); });
    TUnZOO R(nullptr);
    TReaderEvents Ev;
    ExtractInto(R, Ev, Arc, Tmp.Path() + "out\\");
    EXPECT_EQ(Ev.Begins.size(), 2u);
  }
  {
    SCOPED_TRACE("method 3: reported, nothing left, the run goes on");
    TTempDir Tmp;
    const std::string Arc = EditedCopy(Tmp.Path(), "zoo.zoo", "x.zoo", [&](TByteVec& D) { D[First + 5] = 3; });
    TUnZOO R(nullptr);
    TReaderEvents Ev;
    ExtractInto(R, Ev, Arc, Tmp.Path() + "out\\");
    EXPECT_EQ(Ev.Errors, std::vector<int>{errUnsupportedMethod});
    EXPECT_FALSE(FileExists(Tmp.Path() + "out\\text.txt"));
    EXPECT_EQ(ReadWholeFile(Tmp.Path() + "out\\sub\\far.bin"), Plain("sub/far.bin"));
    EXPECT_EQ(Ev.FailedEnds(), 0);
  }
  {
    SCOPED_TRACE("cut inside sub/far.bin: an error, no crash, the entries before it whole");
    TTempDir Tmp;
    const std::string Arc = EditedCopy(Tmp.Path(), "zoo.zoo", "x.zoo", [](TByteVec& D) { D.resize(D.size() - 3000); });
    TUnZOO R(nullptr);
    TReaderEvents Ev;
    // The directory after the cut cannot be read: told after its event.
    EXPECT_NO_THROW(ExtractInto(R, Ev, Arc, Tmp.Path() + "out\\"));
    EXPECT_EQ(ReadWholeFile(Tmp.Path() + "out\\docs\\runs.bin"), Plain("runs.bin"));
    EXPECT_GE(Ev.FailedEnds(), 1);
    ASSERT_FALSE(Ev.Errors.empty());
    EXPECT_EQ(Ev.Errors.back(), errReadingFile);
    EXPECT_EQ(Ev.Deactivates, 1);
  }
}

}  // namespace
