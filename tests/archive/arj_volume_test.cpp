// Multi-volume ARJ sets (make-arjvol-fixtures.py): the reader and the lister over whole
// sets, sets with a volume missing, cut, damaged or out of order, volumes named in another
// folder, and entries that stand behind a continued file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "archive/core/un_arj.h"
#include "lister_test_util.h"
#include "old_readers_test_util.h"

namespace {

std::string VolFixture(const std::string& Name) { return FixturePath("arjvol/" + Name); }
TByteVec Expected(const std::string& Name) { return ReadWholeFile(VolFixture("expected/" + Name)); }

void CopyInto(const std::string& Dir, const std::vector<std::string>& Names) {
  for (const std::string& N : Names) WriteWholeFile(Dir + N, ReadWholeFile(VolFixture(N)));
}

// Every file under Dir, relative to it, sorted.
std::vector<std::string> FilesUnder(const std::string& Dir, const std::string& Prefix = "") {
  std::vector<std::string> Found;
  TSearchRec Rec;
  if (FindFirst(Dir + "*", faAnyFile, Rec) == 0) {
    do {
      if (Rec.Name == "." || Rec.Name == "..") continue;
      if (Rec.Attr & faDirectory) {
        for (const std::string& F : FilesUnder(Dir + Rec.Name + "\\", Prefix + Rec.Name + "\\")) Found.push_back(F);
      } else {
        Found.push_back(Prefix + Rec.Name);
      }
    } while (FindNext(Rec) == 0);
    FindClose(Rec);
  }
  std::sort(Found.begin(), Found.end());
  return Found;
}

// The volume handler of a caller: records what it is asked (name#volume), and names a
// volume by its whole path where Away gives a folder for it.
struct TVolumeAsker {
  std::vector<std::string> Asked;
  std::map<std::string, std::string> Away;  // volume name -> the folder it lies in
  bool Refuse = false;

  template <class C>
  void Bind(C& Component) {
    Component.OnNextVolume = [this](TObject*, std::string&, std::string& FN, const std::string& VolumeID,
                                    bool FExists, bool& Cancel) {
      Asked.push_back(FN + "#" + VolumeID);
      if (FExists) return;
      auto It = Away.find(FN);
      if (It != Away.end())
        FN = It->second + FN;
      else if (Refuse)
        Cancel = true;
    };
  }
};

// The folder a run starts in, and a check that it is the same afterwards.
struct TCurrentFolder {
  std::string Dir;
  explicit TCurrentFolder(const std::string& Start) {
    Saved = GetCurrentDir();
    EXPECT_TRUE(SetCurrentDir(Start));
    Dir = GetCurrentDir();
  }
  ~TCurrentFolder() { SetCurrentDir(Saved); }
  std::string Saved;
};

TEST(ArjVolumes, ListerAndReaderAgreeOnAThreeVolumeSet) {
  TTempDir Tmp;
  CreateDir(Tmp.Path() + "set");
  const std::string Set = Tmp.Path() + "set\\";
  CopyInto(Set, {"span.arj", "span.a01", "span.a02"});

  TVolumeAsker ListAsker;
  TListing L = ListArchive(Set + "span.arj", [&](TTravik& T) { ListAsker.Bind(T); });
  EXPECT_TRUE(L.Result);
  EXPECT_TRUE(L.Errors.empty());
  EXPECT_LISTED(L, {{"first.txt", 44, 44, AnyCrc, "Stored", "2003-04-05 06:07:08"},
                    {"sub\\big.bin", 5000, 5000, AnyCrc, "Stored", "2003-04-05 06:07:08"},
                    {"last.txt", 68, 68, AnyCrc, "Stored", "2003-04-05 06:07:08"}});
  ASSERT_EQ(L.Entries.size(), 3u);
  EXPECT_EQ(L.Entries[1].Volume, "span.arj");  // where the file begins
  EXPECT_EQ(L.Entries[2].Volume, "span.a02");
  EXPECT_EQ(L.TotalUnpacked, 44 + 5000 + 68);

  TUnARJ R(nullptr);
  TReaderEvents Ev;
  TVolumeAsker Asker;
  Asker.Bind(R);
  ExtractInto(R, Ev, Set + "span.arj", Tmp.Path() + "out\\");
  EXPECT_EQ(Asker.Asked, (std::vector<std::string>{"span.a01#1", "span.a02#2"}));
  EXPECT_TRUE(Ev.Errors.empty());
  std::vector<std::string> Listed, Begun;
  for (const TListed& E : L.Entries) Listed.push_back(Tmp.Path() + "out\\" + E.Name);
  EXPECT_EQ(Ev.Begins, Listed);
  ASSERT_EQ(Ev.Ends.size(), 3u);
  for (const auto& End : Ev.Ends) EXPECT_TRUE(End.second) << End.first;
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "out\\first.txt"), Expected("first.txt"));
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "out\\sub\\big.bin"), Expected("sub/big.bin"));
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "out\\last.txt"), Expected("last.txt"));
  // Nothing else was made, in the target or beside it.
  EXPECT_EQ(FilesUnder(Tmp.Path()),
            (std::vector<std::string>{"out\\first.txt", "out\\last.txt", "out\\sub\\big.bin", "set\\span.a01",
                                      "set\\span.a02", "set\\span.arj"}));
}

// An entry in a later volume is found whatever became of the continued file before it.
TEST(ArjVolumes, EntryBehindAContinuedFileThatIsPassedOver) {
  struct {
    const char* What;
    const char* Spec;
    bool DeclineBig;
  } Cases[] = {
      {"named alone", "last.txt", false},
      {"by a mask the continued file does not match", "*.txt", false},
      {"the continued file declined in OnBegin", "*.*", true},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    TTempDir Tmp;
    CopyInto(Tmp.Path(), {"span.arj", "span.a01", "span.a02"});
    TUnARJ R(nullptr);
    TReaderEvents Ev;
    TVolumeAsker Asker;
    Asker.Bind(R);
    Ev.Bind(R);
    if (C.DeclineBig)
      R.OnBegin = [](TObject*, const std::string& FN, int, bool& Extract) {
        Extract = FN.find("big.bin") == std::string::npos;
      };
    R.SetArchiveFile(Tmp.Path() + "span.arj");
    R.SetExtractDir(Tmp.Path() + "out\\");
    R.SetFileSpec(C.Spec);
    R.Extract();
    EXPECT_TRUE(Ev.Errors.empty());
    EXPECT_EQ(ReadWholeFile(Tmp.Path() + "out\\last.txt"), Expected("last.txt"));
    EXPECT_FALSE(FileExists(Tmp.Path() + "out\\sub\\big.bin"));
  }

  // Viewing the entry (extraction to a stream) finds it too.
  TUnARJ R(nullptr);
  TVolumeAsker Asker;
  Asker.Bind(R);
  R.SetArchiveFile(VolFixture("span.arj"));
  TMemoryStream M;
  R.ExtractToStream("last.txt", &M);
  const TByteVec Want = Expected("last.txt");
  ASSERT_EQ(M.Size(), int64_t(Want.size()));
  EXPECT_EQ(0, memcmp(M.Memory(), Want.data(), Want.size()));
}

// The user names volumes that lie in another folder by their whole path: they are read
// from there, and the process's current folder (the panels') stays where it was.
TEST(ArjVolumes, VolumesNamedInAnotherFolderLeaveTheCurrentFolderAlone) {
  TTempDir Tmp;
  for (const char* D : {"first", "away", "elsewhere"}) CreateDir(Tmp.Path() + D);
  CopyInto(Tmp.Path() + "first\\", {"span.arj"});
  CopyInto(Tmp.Path() + "away\\", {"span.a01", "span.a02"});
  TCurrentFolder Current(Tmp.Path() + "elsewhere");

  TVolumeAsker ListAsker;
  ListAsker.Away = {{"span.a01", Tmp.Path() + "away\\"}, {"span.a02", Tmp.Path() + "away\\"}};
  TListing L = ListArchive(Tmp.Path() + "first\\span.arj", [&](TTravik& T) { ListAsker.Bind(T); });
  EXPECT_TRUE(L.Errors.empty());
  ASSERT_EQ(L.Entries.size(), 3u);
  EXPECT_EQ(L.Entries[2].Name, "last.txt");
  EXPECT_EQ(GetCurrentDir(), Current.Dir);

  TUnARJ R(nullptr);
  TReaderEvents Ev;
  TVolumeAsker Asker;
  Asker.Away = ListAsker.Away;
  Asker.Bind(R);
  ExtractInto(R, Ev, Tmp.Path() + "first\\span.arj", Tmp.Path() + "out\\");
  EXPECT_EQ(Asker.Asked, (std::vector<std::string>{"span.a01#1", "span.a02#2"}));
  EXPECT_TRUE(Ev.Errors.empty());
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "out\\sub\\big.bin"), Expected("sub/big.bin"));
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "out\\last.txt"), Expected("last.txt"));
  EXPECT_EQ(GetCurrentDir(), Current.Dir);
  EXPECT_TRUE(FilesUnder(Tmp.Path() + "elsewhere\\").empty());
}

// Edits of the three-volume set: the second volume cut, damaged or replaced.
TByteVec SecondVolume() { return ReadWholeFile(VolFixture("span.a01")); }
size_t MainHeaderEnd(const TByteVec& V) { return 4 + (V[2] | (V[3] << 8)) + 4 + 2; }

// A later volume missing, cut or not the one that follows: the entry that runs into it is
// told by its name and leaves no file; what came before it is whole; the lister stops
// where the reader does.
TEST(ArjVolumes, BrokenLaterVolume) {
  struct {
    const char* What;
    std::vector<std::string> Files;  // fixtures copied
    std::function<void(const std::string& Dir)> Damage;
    bool Handler;                      // OnNextVolume is there (it declines a missing volume)
    std::vector<int> Errors;           // the reader's
    std::vector<std::string> Named;    // the names the reader's errors carry
    std::vector<int> ListErrors;
    size_t Listed;                     // entries the lister reports
  } Cases[] = {
      {"missing, no handler", {"lost.arj"}, nullptr, false, {errFileNotFound, errReadingFile},
       {"lost.a01", "half.bin"}, {errFileNotFound}, 1},
      {"missing, declined by the handler", {"lost.arj"}, nullptr, true, {errReadingFile}, {"half.bin"}, {}, 1},
      {"cut in the data", {"cut.arj", "cut.a01"}, nullptr, true, {errReadingFile}, {"half.bin"}, {}, 2},
      {"cut in its main header", {"span.arj", "span.a01", "span.a02"},
       [](const std::string& D) {
         TByteVec V = SecondVolume();
         V.resize(20);
         WriteWholeFile(D + "span.a01", V);
       },
       true, {errReadingFile}, {"big.bin"}, {errBadFileHeader}, 1},
      {"cut in the continued header", {"span.arj", "span.a01", "span.a02"},
       [](const std::string& D) {
         TByteVec V = SecondVolume();
         V.resize(MainHeaderEnd(V) + 12);
         WriteWholeFile(D + "span.a01", V);
       },
       true, {errReadingFile}, {"big.bin"}, {errBadFileHeader}, 1},
      {"the third volume in place of the second", {"span.arj", "span.a02"},
       [](const std::string& D) { WriteWholeFile(D + "span.a01", ReadWholeFile(VolFixture("span.a02"))); },
       true, {errBrokenVolumeChain}, {"big.bin"}, {errBrokenVolumeChain}, 1},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    TTempDir Tmp;
    CopyInto(Tmp.Path(), C.Files);
    if (C.Damage) C.Damage(Tmp.Path());
    const std::string First = Tmp.Path() + C.Files[0];
    const TByteVec Whole = C.Files[0] == "span.arj" ? Expected("first.txt") : Expected("keep.txt");
    const std::string WholeName = C.Files[0] == "span.arj" ? "first.txt" : "keep.txt";
    const std::string Split = C.Files[0] == "span.arj" ? "sub\\big.bin" : "half.bin";

    TUnARJ R(nullptr);
    TReaderEvents Ev;
    TVolumeAsker Asker;
    Asker.Refuse = true;
    if (C.Handler) Asker.Bind(R);
    ExtractInto(R, Ev, First, Tmp.Path() + "out\\");
    EXPECT_EQ(Ev.Errors, C.Errors);
    std::vector<std::string> Named;
    for (const std::string& N : Ev.ErrorNames) Named.push_back(ArcExtractFileName(N));
    EXPECT_EQ(Named, C.Named);
    EXPECT_EQ(ReadWholeFile(Tmp.Path() + "out\\" + WholeName), Whole);
    EXPECT_FALSE(FileExists(Tmp.Path() + "out\\" + Split));
    ASSERT_EQ(Ev.Ends.size(), 2u);
    EXPECT_FALSE(Ev.Ends[1].second);
    EXPECT_EQ(FilesUnder(Tmp.Path() + "out\\"), std::vector<std::string>{WholeName});
    EXPECT_EQ(Ev.Deactivates, 1);

    TVolumeAsker ListAsker;
    ListAsker.Refuse = true;
    TListing L = ListArchive(First, [&](TTravik& T) {
      if (C.Handler) ListAsker.Bind(T);
    });
    EXPECT_EQ(L.Errors, C.ListErrors);
    EXPECT_EQ(L.Entries.size(), C.Listed);
  }
}

// A part damaged in the middle volume: its own check fails, and so does the file's, though
// the last part is sound.
TEST(ArjVolumes, DamagedMiddlePartFailsTheWholeFile) {
  TTempDir Tmp;
  CopyInto(Tmp.Path(), {"span.arj", "span.a02"});
  TByteVec V = SecondVolume();
  V[V.size() - 100] ^= 0x55;  // in big.bin's second part
  WriteWholeFile(Tmp.Path() + "span.a01", V);
  TUnARJ R(nullptr);
  TReaderEvents Ev;
  TVolumeAsker Asker;
  Asker.Bind(R);
  ExtractInto(R, Ev, Tmp.Path() + "span.arj", Tmp.Path() + "out\\");
  ASSERT_EQ(Ev.Ends.size(), 4u);
  EXPECT_TRUE(Ev.Ends[0].second);
  EXPECT_EQ(ArcExtractFileName(Ev.Ends[1].first), "span.a01");
  EXPECT_FALSE(Ev.Ends[1].second);
  EXPECT_EQ(Ev.Ends[2].first, Tmp.Path() + "out\\sub\\big.bin");
  EXPECT_FALSE(Ev.Ends[2].second);
  EXPECT_TRUE(Ev.Ends[3].second);

  // Without OnEnd the failures are errors, by the volume and by the file.
  TUnARJ R2(nullptr);
  std::vector<std::string> Told;
  R2.OnError = [&](TObject*, const std::string& FN, const std::string&, const std::string&, int ECode) {
    Told.push_back(ArcExtractFileName(FN) + "#" + std::to_string(ECode));
  };
  Asker.Bind(R2);
  R2.SetArchiveFile(Tmp.Path() + "span.arj");
  R2.SetExtractDir(Tmp.Path() + "out2\\");
  R2.Extract();
  EXPECT_EQ(Told, (std::vector<std::string>{"span.a01#25151", "big.bin#25151"}));
}

// Cancel as the continued file begins: the run stops in its first part, no volume is asked
// for, and the only name OnEnd hears is the output's, which a caller deletes on Cancel
// (never the volume's: that would be the user's archive).
TEST(ArjVolumes, CancelInTheFirstPartStopsBeforeTheNextVolume) {
  TTempDir Tmp;
  CopyInto(Tmp.Path(), {"span.arj", "span.a01", "span.a02"});
  TUnARJ R(nullptr);
  TReaderEvents Ev;
  TVolumeAsker Asker;
  Asker.Bind(R);
  Ev.Bind(R);
  R.OnBegin = [&](TObject*, const std::string& FN, int, bool&) {
    if (FN.find("big.bin") != std::string::npos) R.SetCancel(true);
  };
  R.OnEnd = [&](TObject* Sender, const std::string& FN, bool Pass) {
    Ev.Ends.emplace_back(FN, Pass);
    if (static_cast<TAwkMain*>(Sender)->Cancel) DeleteFile(FN);  // as the archive page does
  };
  R.SetArchiveFile(Tmp.Path() + "span.arj");
  R.SetExtractDir(Tmp.Path() + "out\\");
  R.Extract();
  EXPECT_TRUE(Asker.Asked.empty());
  ASSERT_EQ(Ev.Ends.size(), 2u);
  EXPECT_EQ(Ev.Ends[1], std::make_pair(Tmp.Path() + "out\\sub\\big.bin", false));
  EXPECT_FALSE(FileExists(Tmp.Path() + "out\\sub\\big.bin"));
  ASSERT_TRUE(FileExists(Tmp.Path() + "span.arj"));
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "span.arj"), ReadWholeFile(VolFixture("span.arj")));
}

// A set opened at a later volume: the file that began before it is refused (what is here
// is not all of it) and the walk goes on behind it.
TEST(ArjVolumes, SetOpenedAtALaterVolume) {
  TTempDir Tmp;
  CopyInto(Tmp.Path(), {"span.a01", "span.a02"});
  TUnARJ R(nullptr);
  TReaderEvents Ev;
  TVolumeAsker Asker;
  Asker.Bind(R);
  ExtractInto(R, Ev, Tmp.Path() + "span.a01", Tmp.Path() + "out\\");
  EXPECT_EQ(Ev.Errors, std::vector<int>{errBrokenVolumeChain});
  EXPECT_EQ(FilesUnder(Tmp.Path() + "out\\"), std::vector<std::string>{"last.txt"});
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "out\\last.txt"), Expected("last.txt"));
  // The lister shows the part and says the same.
  TVolumeAsker ListAsker;
  TListing L = ListArchive(Tmp.Path() + "span.a01", [&](TTravik& T) { ListAsker.Bind(T); });
  EXPECT_EQ(L.Errors, std::vector<int>{errBrokenVolumeChain});
  ASSERT_EQ(L.Entries.size(), 2u);
  EXPECT_EQ(L.Entries[0].Unpacked, 3000);
}

}  // namespace
