#include <gtest/gtest.h>

#include "archive/core/un_arc.h"
#include "lister_test_util.h"
#include "old_readers_test_util.h"

namespace {

TByteVec Bytes(const std::string& S) { return TByteVec(S.begin(), S.end()); }

uint16_t Crc16Of(const TByteVec& D) {
  uint32_t Crc = 0;
  UpdateCrc16(D.data(), D.size(), Crc);
  return uint16_t(Crc);
}

// One ARC entry header and its packed bytes.
TByteVec ArcEntry(int Method, const std::string& Name, const TByteVec& Packed, uint32_t OrigSize, uint16_t Crc) {
  TByteVec E{0x1A, uint8_t(Method)};
  std::string N = Name;
  N.resize(13, '\0');
  E.insert(E.end(), N.begin(), N.end());
  auto Put = [&](uint32_t V, int Bytes) {
    for (int I = 0; I < Bytes; I++) E.push_back(uint8_t(V >> (8 * I)));
  };
  Put(uint32_t(Packed.size()), 4);
  Put(0x58CF, 2);  // 15 Jun 2024
  Put(0x63C0, 2);  // 12:30
  Put(Crc, 2);
  Put(OrigSize, 4);
  E.insert(E.end(), Packed.begin(), Packed.end());
  return E;
}

TByteVec StoredEntry(const std::string& Name, const std::string& Text) {
  return ArcEntry(2, Name, Bytes(Text), uint32_t(Text.size()), Crc16Of(Bytes(Text)));
}

TByteVec Join(std::initializer_list<TByteVec> Parts) {
  TByteVec All;
  for (auto& P : Parts) All.insert(All.end(), P.begin(), P.end());
  All.push_back(0x1A);
  All.push_back(0);
  return All;
}

// Debian's arc: "a" gives stored, packed and crunched (8) entries, "aq" squashed (9) and
// squeezed (4) ones.
TEST(ArcReader, DebianArchives) {
  struct {
    const char* Archive;
    std::vector<const char*> Files;
  } Cases[] = {{"a.arc", {"far.bin", "pk.txt", "runs.bin", "small.txt", "text.txt"}},
               {"aq.arc", {"far.bin", "runs.bin", "skew.bin", "small.txt", "text.txt"}}};
  for (auto& C : Cases) {
    SCOPED_TRACE(C.Archive);
    TTempDir Tmp;
    TUnARC R(nullptr);
    TReaderEvents Ev;
    ExtractInto(R, Ev, OldFixture(C.Archive), Tmp.Path());
    ASSERT_EQ(int(R.ArcType()), int(atARC));
    EXPECT_TRUE(Ev.Errors.empty());
    EXPECT_EQ(Ev.FailedEnds(), 0);
    for (const char* F : C.Files)
      EXPECT_EQ(ReadWholeFile(Tmp.Path() + F), Plain(std::string(F) == "far.bin" ? "sub/far.bin" : F)) << F;
    // Entries count from 1, as in every reader.
    ASSERT_FALSE(Ev.BeginRecNums.empty());
    EXPECT_EQ(Ev.BeginRecNums[0], 1);
  }
}

// Hand-made (checked with unar and nomarch): crunch 5 to 7, and folders nested two deep.
TEST(ArcReader, CrunchAndNestedFolders) {
  TTempDir Tmp;
  TUnARC R(nullptr);
  TReaderEvents Ev;
  ExtractInto(R, Ev, OldFixture("crunch.arc"), Tmp.Path());
  EXPECT_TRUE(Ev.Errors.empty());
  EXPECT_EQ(Ev.FailedEnds(), 0);
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "TEXT5.TXT"), Plain("text.txt"));
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "RUNS6.BIN"), Plain("runs.bin"));
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "RUNS7.BIN"), Plain("runs.bin"));
  TByteVec Far = Plain("sub/far.bin");
  Far.resize(7000);
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "FAR7.BIN"), Far);

  TReaderEvents Ev2;
  ExtractInto(R, Ev2, OldFixture("nested.arc"), Tmp.Path() + "n\\");
  EXPECT_TRUE(Ev2.Errors.empty());
  EXPECT_EQ(Ev2.Begins, (std::vector<std::string>{Tmp.Path() + "n\\TOP.TXT", Tmp.Path() + "n\\DOCS\\TEXT.TXT",
                                                  Tmp.Path() + "n\\DOCS\\INNER\\SMALL.TXT",
                                                  Tmp.Path() + "n\\LAST.TXT"}));
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "n\\DOCS\\TEXT.TXT"), Plain("text.txt"));
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "n\\DOCS\\INNER\\SMALL.TXT"), Plain("small.txt"));
}

TEST(ArcReader, BadEntries) {
  const TByteVec First = StoredEntry("FIRST.TXT", "recognised by this one");
  const TByteVec After = StoredEntry("AFTER.TXT", "still here");
  struct {
    const char* What;
    TByteVec Archive;
    std::vector<int> Errors;
    bool AfterExtracts;
  } Cases[] = {
      {"squeeze tree of 300 nodes", Join({First, ArcEntry(4, "SQ.BIN", {0x2C, 0x01, 0, 0}, 10, 0), After}),
       {errInvalidDecodeTree}, true},
      {"squeeze child outside the tree", Join({First, ArcEntry(4, "SQ.BIN", {1, 0, 5, 0, 0xFE, 0xFE}, 10, 0), After}),
       {errInvalidDecodeTree}, true},
      // ARC marks a password nowhere: a crunched entry without its code size was garbled.
      {"method 8 without its 12-bit mark", Join({First, ArcEntry(8, "SQ.BIN", {13, 0x41, 0}, 10, 0), After}),
       {errPasswordProtected}, true},
      {"squash code above the next free one", Join({First, ArcEntry(9, "SQ.BIN", {0x41, 0xFE, 0xFF, 0x01}, 10, 0), After}),
       {errInvalidCode}, true},
      {"method 10", Join({First, ArcEntry(10, "SQ.BIN", {1, 2, 3}, 3, 0x1234), After}), {errUnsupportedMethod}, true},
      // A size past the end of the file: told by name, and the walk goes on behind it.
      {"a packed size past the end", [&] {
         TByteVec Bad = ArcEntry(2, "SQ.BIN", Bytes("abc"), 3, Crc16Of(Bytes("abc")));
         Bad[15] = 0xFF, Bad[16] = 0xFF, Bad[17] = 0xFF;
         return Join({First, Bad, After});
       }(), {errReadingFile}, true},
      {"garbage where a header should be", Join({First, Bytes("garbage!"), After}), {errBadFileHeader}, true},
  };
  for (auto& C : Cases) {
    SCOPED_TRACE(C.What);
    TTempDir Tmp;
    WriteWholeFile(Tmp.Path() + "x.arc", C.Archive);
    TUnARC R(nullptr);
    TReaderEvents Ev;
    Ev.Bind(R);
    R.OnEnd = nullptr;  // CRC failures then come as 25151
    R.SetArchiveFile(Tmp.Path() + "x.arc");
    R.SetExtractDir(Tmp.Path() + "out\\");
    R.Extract();
    EXPECT_EQ(Ev.Errors, C.Errors);
    EXPECT_EQ(FileExists(Tmp.Path() + "out\\AFTER.TXT"), C.AfterExtracts);
    EXPECT_TRUE(FileExists(Tmp.Path() + "out\\FIRST.TXT"));
    // Nothing is left under the bad entry's name.
    EXPECT_FALSE(FileExists(Tmp.Path() + "out\\SQ.BIN"));
    EXPECT_EQ(Ev.ErrorNames, std::vector<std::string>(C.Errors.size(), C.Errors == std::vector<int>{errBadFileHeader}
                                                                             ? "x.arc"
                                                                             : "SQ.BIN"));
    EXPECT_EQ(Ev.Deactivates, 1);
  }
}

// Debian's arc keeps a DOS name's code page 866 bytes: the reader and the lister both
// give the name a Russian Windows user reads.
TEST(ArcReader, RussianNamesOfRealArc) {
  const std::string Path = FixturePath("arcnames/names.arc");
  TTempDir Tmp;
  TUnARC R(nullptr);
  TReaderEvents Ev;
  ExtractInto(R, Ev, Path, Tmp.Path());
  EXPECT_TRUE(Ev.Errors.empty());
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "\xCF\xF0\xE8\xE2\xE5\xF2.TXT"), Bytes("oem"));
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "README.TXT"), Bytes("plain"));
  const TListing L = ListArchive(Path);
  ASSERT_EQ(L.Entries.size(), 2u);
  EXPECT_EQ(L.Entries[1].Name, "\xCF\xF0\xE8\xE2\xE5\xF2.TXT");
}

TEST(ArcReader, OutputBoundedAndFoldersContained) {
  TTempDir Tmp;
  // A stored entry claiming 10 bytes over 5000 packed ones writes 10; a packed run of
  // 255 repeats is cut the same way; a 0x90 0x00 pair is one 0x90.
  const std::string Big(5000, 'x');
  TByteVec Rle{'a', 0x90, 0xFF, 0x90, 0xFF, 0x90, 0x00, 'b'};
  TByteVec RleOut(255 + 254, 'a');
  RleOut.push_back(0x90);
  RleOut.push_back('b');
  TByteVec Bounded(RleOut.begin(), RleOut.begin() + 300);
  const TByteVec Archive =
      Join({ArcEntry(2, "BIG.TXT", Bytes(Big), 10, Crc16Of(Bytes(Big.substr(0, 10)))),
            ArcEntry(3, "RLE.BIN", Rle, uint32_t(RleOut.size()), Crc16Of(RleOut)),
            ArcEntry(3, "CUT.BIN", Rle, 300, Crc16Of(Bounded)),
            ArcEntry(30, "..", {}, 0, 0), ArcEntry(30, "..", {}, 0, 0), StoredEntry("ESCAPE.TXT", "inside"),
            TByteVec{0x1A, 31}, TByteVec{0x1A, 31}});
  WriteWholeFile(Tmp.Path() + "x.arc", Archive);
  TUnARC R(nullptr);
  TReaderEvents Ev;
  ExtractInto(R, Ev, Tmp.Path() + "x.arc", Tmp.Path() + "a\\b\\");
  EXPECT_TRUE(Ev.Errors.empty());
  EXPECT_EQ(Ev.FailedEnds(), 0);
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "a\\b\\BIG.TXT"), Bytes(Big.substr(0, 10)));
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "a\\b\\RLE.BIN"), RleOut);
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "a\\b\\CUT.BIN"), Bounded);
  EXPECT_FALSE(FileExists(Tmp.Path() + "ESCAPE.TXT"));
  EXPECT_FALSE(FileExists(Tmp.Path() + "a\\ESCAPE.TXT"));
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "a\\b\\ESCAPE.TXT"), Bytes("inside"));
}

}  // namespace
