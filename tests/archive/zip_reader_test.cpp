// TUnZIP and TUnSFX over archives made by Info-ZIP zip, bsdtar and a Windows stub, and
// over the hand-made archive of the older methods.
#include <gtest/gtest.h>

#include "archive/core/un_zip.h"
#include "old_readers_test_util.h"

namespace {

std::string Arc3Path(const std::string& Name) { return FixturePath("arc3/" + Name); }
TByteVec Src(const std::string& Name) { return ReadWholeFile(Arc3Path("src/" + Name)); }

int32_t Dos(int Y, int Mo, int D, int H, int Mi, int S) {
  return int32_t((uint32_t(Y - 1980) << 25) | (Mo << 21) | (D << 16) | (H << 11) | (Mi << 5) | (S / 2));
}
const int32_t kReadmeDate = Dos(2001, 2, 3, 4, 5, 6), kDataDate = Dos(2010, 11, 12, 13, 14, 16);

TEST(ZipReader, ArchivesOfDebianToolsExtractByteIdenticalWithDates) {
  struct TCase {
    const char* Archive;
    bool Empty, Docs;  // empty.txt and docs\sub\notes.txt are in it
  };
  for (const TCase& C : {TCase{"zip0.zip", true, false}, TCase{"zip1.zip", false, false}, TCase{"zip9.zip", true, true},
                         TCase{"zipstream.zip", false, false}, TCase{"bsd.zip", false, true},
                         TCase{"junk_prefix.zip", false, false}}) {
    SCOPED_TRACE(C.Archive);
    TTempDir Tmp;
    TUnZIP R(nullptr);
    TReaderEvents Ev;
    ExtractInto(R, Ev, Arc3Path(C.Archive), Tmp.Path());
    EXPECT_TRUE(Ev.Errors.empty());
    EXPECT_EQ(Ev.FailedEnds(), 0);
    EXPECT_EQ(ReadWholeFile(Tmp.Path() + "readme.txt"), Src("readme.txt"));
    EXPECT_EQ(ReadWholeFile(Tmp.Path() + "data.bin"), Src("data.bin"));
    EXPECT_EQ(FileAge(Tmp.Path() + "readme.txt"), kReadmeDate);
    EXPECT_EQ(FileAge(Tmp.Path() + "data.bin"), kDataDate);
    EXPECT_EQ(FileExists(Tmp.Path() + "empty.txt"), C.Empty);
    if (C.Empty) {
      EXPECT_TRUE(ReadWholeFile(Tmp.Path() + "empty.txt").empty());
    }
    if (C.Docs) {
      EXPECT_EQ(ReadWholeFile(Tmp.Path() + "docs\\sub\\notes.txt"), Src("docs/sub/notes.txt"));
    }
    // Folder entries make no events; every file one begin and one end.
    size_t Files = 2 + C.Empty + C.Docs;
    EXPECT_EQ(Ev.Begins.size(), Files);
    EXPECT_EQ(Ev.Ends.size(), Files);
    EXPECT_EQ(Ev.Activates, 1);
    EXPECT_EQ(Ev.Deactivates, 1);
    // Progress by the input consumed: rising within an entry, ending at 100.
    ASSERT_FALSE(Ev.Progress.empty());
    EXPECT_EQ(Ev.Progress.back(), 100);
  }
}

TEST(ZipReader, SelfExtractorWithUnadjustedOffsets) {
  // A Windows stub in front of a ZIP left as zip wrote it: the offsets count from the
  // ZIP's own start, and the gap before the central directory shows by how much.
  TTempDir Tmp;
  TUnZIP R(nullptr);
  TReaderEvents Ev;
  R.SetArchiveFile(Arc3Path("sfx_noA.exe"));
  ASSERT_EQ(R.ArcType(), atZipExe);
  ExtractInto(R, Ev, Arc3Path("sfx_noA.exe"), Tmp.Path());
  EXPECT_TRUE(Ev.Errors.empty());
  EXPECT_EQ(Ev.FailedEnds(), 0);
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "readme.txt"), Src("readme.txt"));
}

TEST(ZipReader, SelfExtractorWithFixedOffsetsAndNaming) {
  TTempDir Tmp;
  TUnZIP R(nullptr);
  TReaderEvents Ev;
  ExtractInto(R, Ev, FixturePath("sfx.exe"), Tmp.Path());
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "hello.txt"), ReadWholeFile(FixturePath("hello.txt")));
  EXPECT_EQ(Ev.FailedEnds(), 0);

  TUnSFX S(nullptr);
  TReaderEvents None;
  S.SetArchiveFile(FixturePath("sfx.exe"));
  EXPECT_EQ(S.OutFilename(), SlashToBackslash(FixturePath("sfx.ZIP")));
  std::vector<int> Errors;
  S.OnError = [&](TObject*, const std::string&, const std::string&, const std::string&, int E) { Errors.push_back(E); };
  S.SetArchiveFile(Arc3Path("no-such.exe"));
  S.SetArchiveFile(Arc3Path("big.txt"));
  EXPECT_EQ(Errors, (std::vector<int>{errFileNotFound, errUnsupportedArcType}));
}

TEST(ZipReader, OlderMethodsThroughTheReader) {
  TTempDir Tmp;
  TUnZIP R(nullptr);
  TReaderEvents Ev;
  ExtractInto(R, Ev, FixturePath("oldmethods.zip"), Tmp.Path());
  EXPECT_TRUE(Ev.Errors.empty());
  ASSERT_EQ(Ev.Ends.size(), 9u);
  EXPECT_EQ(Ev.FailedEnds(), 0);
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "reduced3.txt"), ReadWholeFile(Tmp.Path() + "imploded_8k3.txt"));
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "shrunk.txt").size(), 28000u);
}

TEST(ZipReader, Passwords) {
  // Right from the list.
  {
    TTempDir Tmp;
    TUnZIP R(nullptr);
    R.Passwords()->Add("wrong");
    R.Passwords()->Add("secret");
    TReaderEvents Ev;
    ExtractInto(R, Ev, Arc3Path("zipP.zip"), Tmp.Path());
    EXPECT_TRUE(Ev.Errors.empty());
    EXPECT_EQ(Ev.FailedEnds(), 0);
    EXPECT_EQ(ReadWholeFile(Tmp.Path() + "data.bin"), Src("data.bin"));
  }
  struct TCase {
    std::vector<std::string> Answers;
    std::vector<int> Errors;
    size_t Asked, Ends, Failed;
  };
  const TCase Cases[] = {
      // Three wrong answers: each reported, then the run ends after the first entry.
      {{"a", "b", "c", "secret"}, {errInvalidPassword, errInvalidPassword, errInvalidPassword, errPasswordFailed}, 3, 1, 1},
      // Right at the second try: the second entry takes the same password unasked.
      {{"a", "secret"}, {errInvalidPassword}, 2, 2, 0},
  };
  for (const TCase& C : Cases) {
    TTempDir Tmp;
    TUnZIP R(nullptr);
    TReaderEvents Ev;
    size_t Asked = 0;
    Ev.Bind(R);
    R.OnGetPassword = [&](TObject*, const std::string&, std::string& Password, bool& TryAgain) {
      Password = C.Answers[Asked++];
      TryAgain = true;
    };
    R.SetArchiveFile(Arc3Path("zipP.zip"));
    R.SetExtractDir(Tmp.Path());
    R.Extract();
    EXPECT_EQ(Ev.Errors, C.Errors);
    EXPECT_EQ(Asked, C.Asked);
    EXPECT_EQ(Ev.Ends.size(), C.Ends);
    EXPECT_EQ(size_t(Ev.FailedEnds()), C.Failed);
    if (C.Failed == 0) {
      EXPECT_EQ(ReadWholeFile(Tmp.Path() + "readme.txt"), Src("readme.txt"));
    }
  }
  // Without OnGetPassword every entry is told and passed over, and the run goes on.
  TTempDir Tmp;
  TUnZIP R(nullptr);
  TReaderEvents Ev;
  ExtractInto(R, Ev, Arc3Path("zipP.zip"), Tmp.Path());
  EXPECT_EQ(Ev.Errors, (std::vector<int>{errPasswordProtected, errPasswordProtected}));
  EXPECT_EQ(Ev.Ends.size(), 2u);
  EXPECT_EQ(Ev.FailedEnds(), 2);
  EXPECT_FALSE(FileExists(Tmp.Path() + "readme.txt"));
}

uint32_t Get32(const TByteVec& D, size_t P) { return D[P] | (D[P + 1] << 8) | (D[P + 2] << 16) | (uint32_t(D[P + 3]) << 24); }
size_t CentralDir(const TByteVec& D) { return Get32(D, D.size() - 22 + 16); }

TEST(ZipReader, DamageIsReportedAndTheRunGoesOn) {
  TTempDir Tmp;
  const TByteVec Zip = ReadWholeFile(Arc3Path("zip1.zip"));
  struct TCase {
    const char* What;
    std::function<void(TByteVec&)> Edit;
    std::vector<int> Errors;
    bool ReadmeOk, DataOk;
  };
  const size_t Cd = CentralDir(Zip);
  const TCase Cases[] = {
      {"flipped byte in readme.txt's data", [](TByteVec& D) { D[30 + 10 + 200] ^= 0x55; }, {}, false, true},
      {"bad local header offset", [&](TByteVec& D) { D[Cd + 42] = 0x77; D[Cd + 43] = 0x77; },
       {errInconsistentLocalHeader}, false, true},
      {"unsupported method 9", [](TByteVec& D) { D[8] = 9; }, {errUnsupportedMethod}, false, true},
      {"cut in half", [](TByteVec& D) { D.resize(D.size() / 2); }, {errBadFileHeader}, false, false},
      {"end record pointing to garbage", [](TByteVec& D) { D[D.size() - 22 + 16] ^= 0x40; }, {}, true, true},
      {"too short for an end record", [](TByteVec& D) { D.resize(21); }, {errBadFileHeader}, false, false},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.What);
    TByteVec D = Zip;
    C.Edit(D);
    TTempDir Out;
    WriteWholeFile(Tmp.Path() + "x.zip", D);
    TUnZIP R(nullptr);
    TReaderEvents Ev;
    ExtractInto(R, Ev, Tmp.Path() + "x.zip", Out.Path());
    EXPECT_EQ(Ev.Errors, C.Errors);
    EXPECT_EQ(FileExists(Out.Path() + "readme.txt") && ReadWholeFile(Out.Path() + "readme.txt") == Src("readme.txt"),
              C.ReadmeOk);
    EXPECT_EQ(FileExists(Out.Path() + "data.bin") && ReadWholeFile(Out.Path() + "data.bin") == Src("data.bin"), C.DataOk);
    for (auto& E : Ev.Ends)
      EXPECT_EQ(E.second, E.first.find("readme") != std::string::npos ? C.ReadmeOk : C.DataOk) << E.first;
    EXPECT_EQ(Ev.Deactivates, Ev.Activates);
  }
}

TEST(ZipReader, StreamOutputAndSingleSpec) {
  TUnZIP R(nullptr);
  TMemoryStream M;
  TReaderEvents Ev;
  Ev.Bind(R);
  R.SetArchiveFile(Arc3Path("zip9.zip"));
  R.ExtractToStream("docs\\sub\\notes.txt", &M);
  const uint8_t* P = static_cast<const uint8_t*>(M.Memory());
  EXPECT_EQ(TByteVec(P, P + M.Size()), Src("docs/sub/notes.txt"));
  EXPECT_EQ(M.Position(), 0);
  EXPECT_EQ(Ev.Ends.size(), 1u);

  TTempDir Tmp;
  TUnZIP R2(nullptr);
  TReaderEvents Ev2;
  R2.SetFileSpec("data.bin");
  ExtractInto(R2, Ev2, Arc3Path("zip0.zip"), Tmp.Path());
  EXPECT_EQ(Ev2.Begins, std::vector<std::string>{Tmp.Path() + "data.bin"});
  EXPECT_FALSE(FileExists(Tmp.Path() + "readme.txt"));
}

}  // namespace
