#include <gtest/gtest.h>

#include "archive/core/un_lha.h"
#include "lister_test_util.h"
#include "old_readers_test_util.h"

namespace {

// jlha archives: -lh5- text.txt and runs.bin, -lh6- sub/far.bin, -lh7- seven/text7.txt,
// -lh0- small.txt.
TEST(LhaReader, JlhaLevelsExtractByteIdentical) {
  for (const char* Level : {"level0.lzh", "level1.lzh", "level2.lzh"}) {
    SCOPED_TRACE(Level);
    TTempDir Tmp;
    TUnLHA R(nullptr);
    TReaderEvents Ev;
    ExtractInto(R, Ev, OldFixture(Level), Tmp.Path());
    ASSERT_EQ(int(R.ArcType()), int(atLHA));
    EXPECT_EQ(ReadWholeFile(Tmp.Path() + "text.txt"), Plain("text.txt"));
    EXPECT_EQ(ReadWholeFile(Tmp.Path() + "runs.bin"), Plain("runs.bin"));
    EXPECT_EQ(ReadWholeFile(Tmp.Path() + "sub\\far.bin"), Plain("sub/far.bin"));
    EXPECT_EQ(ReadWholeFile(Tmp.Path() + "small.txt"), Plain("small.txt"));
    // -lh7- is reported by name, leaves nothing, and the run goes on with the entry after it.
    EXPECT_EQ(Ev.Errors, std::vector<int>{errUnsupportedMethod});
    EXPECT_EQ(Ev.ErrorNames, std::vector<std::string>{"text7.txt"});
    EXPECT_FALSE(FileExists(Tmp.Path() + "seven\\text7.txt"));
    ASSERT_EQ(Ev.Ends.size(), 4u);
    EXPECT_EQ(Ev.FailedEnds(), 0);
    EXPECT_EQ(Ev.BeginRecNums, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(Ev.Activates, 1);
    EXPECT_EQ(Ev.Deactivates, 1);
    EXPECT_FALSE(Ev.Progress.empty());
    EXPECT_LE(Ev.Progress.back(), 100);
  }
}

// Hand-made -lh1- (LZHUF) and -lh4- entries, checked with lhasa when they were made.
TEST(LhaReader, Lh1AndLh4) {
  TTempDir Tmp;
  TUnLHA R(nullptr);
  TReaderEvents Ev;
  ExtractInto(R, Ev, OldFixture("lh1.lzh"), Tmp.Path());
  EXPECT_TRUE(Ev.Errors.empty());
  EXPECT_EQ(Ev.FailedEnds(), 0);
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "text.txt"), Plain("text.txt"));
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "runs.bin"), Plain("runs.bin"));
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "runs1.bin"), Plain("runs.bin"));
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "text4.txt"), Plain("text.txt"));
  // Its first match reaches back into the blanks the ring starts with.
  std::string Spaces;
  for (int I = 0; I < 3; I++) Spaces += "      indented line\r\n";
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "spaces.txt"), TByteVec(Spaces.begin(), Spaces.end()));
}

TEST(LhaReader, SpecWithoutWildcardsAndStreamOutput) {
  TTempDir Tmp;
  TUnLHA R(nullptr);
  TReaderEvents Ev;
  R.SetFileSpec("sub\\far.bin");
  ExtractInto(R, Ev, OldFixture("level2.lzh"), Tmp.Path());
  EXPECT_EQ(Ev.Begins, std::vector<std::string>{Tmp.Path() + "sub\\far.bin"});
  EXPECT_FALSE(FileExists(Tmp.Path() + "text.txt"));

  TMemoryStream M;
  TReaderEvents Ev2;
  Ev2.Bind(R);
  R.ExtractToStream("runs.bin", &M);
  const uint8_t* P = static_cast<const uint8_t*>(M.Memory());
  EXPECT_EQ(TByteVec(P, P + M.Size()), Plain("runs.bin"));
  EXPECT_EQ(Ev2.Begins, std::vector<std::string>{"runs.bin"});
}

// Damage: every case gives an error event or a failed check, never a crash, and the
// entries that are whole still extract.
TEST(LhaReader, DamagedArchives) {
  const TByteVec Text = Plain("text.txt");
  struct {
    const char* What;
    size_t Cut;          // keep this many bytes (0: all)
    size_t FlipAt;       // flip this byte (0: none)
    int Error;           // expected first error id (0: none)
    bool TextExtracts;   // the first entry (text.txt) is still whole
  } Cases[] = {
      {"cut inside sub/far.bin's data", 4000, 0, errReadingFile, true},
      {"cut inside the first entry", 300, 0, errReadingFile, false},
      {"a flipped byte in the first entry's tables", 0, 40, 0, false},
      {"header size below 22", 0, 1, 0, false},
  };
  for (auto& C : Cases) {
    SCOPED_TRACE(C.What);
    TTempDir Tmp;
    const std::string Arc = EditedCopy(Tmp.Path(), "level0.lzh", "x.lzh", [&](TByteVec& D) {
      if (C.FlipAt == 1) {
        D[0] = 10;
      } else if (C.FlipAt) {
        D[C.FlipAt] ^= 0x55;
      }
      if (C.Cut) D.resize(C.Cut);
    });
    TUnLHA R(nullptr);
    TReaderEvents Ev;
    ExtractInto(R, Ev, Arc, Tmp.Path() + "out\\");
    if (C.Error) {
      ASSERT_FALSE(Ev.Errors.empty());
      EXPECT_EQ(Ev.Errors[0], C.Error);
    }
    if (C.FlipAt == 1) {
      // Told, and the walk goes on at the next header.
      ASSERT_FALSE(Ev.Errors.empty());
      EXPECT_EQ(Ev.Errors[0], errBadFileHeader);
      EXPECT_EQ(ReadWholeFile(Tmp.Path() + "out\\runs.bin"), Plain("runs.bin"));
    } else if (C.FlipAt > 1) {
      EXPECT_TRUE(!Ev.Errors.empty() || Ev.FailedEnds() > 0);
    }
    const std::string Out = Tmp.Path() + "out\\text.txt";
    EXPECT_EQ(FileExists(Out) && ReadWholeFile(Out) == Text, C.TextExtracts);
    EXPECT_EQ(Ev.Deactivates, 1);
  }
}

TEST(LhaReader, APackedSizePastTheEndIsToldByNameAndTheRestRead) {
  TTempDir Tmp;
  const std::string Arc = EditedCopy(Tmp.Path(), "level0.lzh", "x.lzh", [](TByteVec& D) {
    D[7] = 0xF0, D[8] = 0xFF, D[9] = 0xFF, D[10] = 0x7F;  // text.txt's packed size
  });
  TUnLHA R(nullptr);
  TReaderEvents Ev;
  ExtractInto(R, Ev, Arc, Tmp.Path() + "out\\");
  EXPECT_EQ(Ev.Errors, (std::vector<int>{errReadingFile, errUnsupportedMethod}));
  ASSERT_FALSE(Ev.ErrorNames.empty());
  EXPECT_EQ(Ev.ErrorNames[0], "text.txt");
  EXPECT_FALSE(FileExists(Tmp.Path() + "out\\text.txt"));
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "out\\runs.bin"), Plain("runs.bin"));
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "out\\small.txt"), Plain("small.txt"));
  // The lister tells the same and shows the same entries after it.
  const TListing L = ListArchive(Arc);
  EXPECT_EQ(L.Errors, std::vector<int>{errReadingFile});
  ASSERT_EQ(L.Entries.size(), 4u);
  EXPECT_EQ(L.Entries[0].Name, "runs.bin");
}

TEST(LhaReader, ConvertPath) {
  EXPECT_EQ(LhaConvertPath("a\xFF" "b/c\\d"), "a\\b\\c\\d");
  // The second byte of a Shift-JIS pair may be 0x5C ('\'): it stays.
  EXPECT_EQ(LhaConvertPath("\x95\\x/y"), "\x95\\x\\y");
  EXPECT_EQ(LhaConvertPath("  dir\xFF\t"), "dir\\");
  // Folders whose last letter is a capital in 866 (0x80-0x9F) or a UTF-8 byte of that
  // range keep their separators: "ДОКУМЕНТЫ\АРХИВ\" and "Папкар\".
  EXPECT_EQ(LhaConvertPath("\x84\x8E\x8A\x93\x8C\x85\x8D\x92\x9B\xFF\x80\x90\x95\x88\x82\xFF"),
            "\x84\x8E\x8A\x93\x8C\x85\x8D\x92\x9B\\\x80\x90\x95\x88\x82\\");
  EXPECT_EQ(LhaConvertPath("\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0\xD1\x80\xFF"), "\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0\xD1\x80\\");
}

}  // namespace
