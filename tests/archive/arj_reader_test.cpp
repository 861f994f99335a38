#include <gtest/gtest.h>

#include "archive/core/un_arj.h"
#include "lister_test_util.h"
#include "old_readers_test_util.h"

namespace {

TEST(ArjReader, Methods0To4) {
  for (const char* Name : {"m0.arj", "m1.arj", "m2.arj", "m3.arj", "m4.arj"}) {
    SCOPED_TRACE(Name);
    TTempDir Tmp;
    TUnARJ R(nullptr);
    TReaderEvents Ev;
    ExtractInto(R, Ev, OldFixture(Name), Tmp.Path());
    ASSERT_EQ(int(R.ArcType()), int(atARJ));
    EXPECT_TRUE(Ev.Errors.empty());
    EXPECT_EQ(Ev.Ends.size(), 2u);
    EXPECT_EQ(Ev.FailedEnds(), 0);
    EXPECT_EQ(ReadWholeFile(Tmp.Path() + "text.txt"), Plain("text.txt"));
    EXPECT_EQ(ReadWholeFile(Tmp.Path() + "runs.bin"), Plain("runs.bin"));
  }
}

// Made by arj on Unix: names in code page 866, an empty folder, Unix time stamps.
TEST(ArjReader, OemNamesFoldersAndUnixDates) {
  const std::string Arc = FixturePath("oemnames/names.arj");
  const std::string Folder = "\xCF\xE0\xEF\xEA\xE0";            // Папка
  const std::string File = Folder + "\\\xCF\xF0\xE8\xE2\xE5\xF2.txt";  // Папка\Привет.txt
  const std::string Empty = Folder + "\\\xEF\xF3\xF1\xF2\xEE";      // Папка\пусто
  const TDateTime Stamp = UnixDateToDateTime(1614834368);        // 2021-03-04 05:06:08 UTC

  TTempDir Tmp;
  TUnARJ R(nullptr);
  TReaderEvents Ev;
  ExtractInto(R, Ev, Arc, Tmp.Path());
  EXPECT_TRUE(Ev.Errors.empty());
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + File), (TByteVec{'h', 'e', 'l', 'l', 'o', '\n'}));
  EXPECT_TRUE(DirectoryExists(Tmp.Path() + Empty));
  EXPECT_EQ(FileAge(Tmp.Path() + File), DateTimeToFileDate(Stamp));

  // The lister shows the same names and the same date.
  const TListing L = ListArchive(Arc);
  ASSERT_EQ(L.Entries.size(), 2u);
  EXPECT_EQ(L.Entries[0].Name, Empty + "\\");
  EXPECT_EQ(L.Entries[1].Name, File);
  EXPECT_EQ(L.Entries[1].Date, "2021-03-04 05:06:08");  // the lister counts in UTC here
}

// sub/far.bin stored over vol.arj, vol.a01 and vol.a02.
TEST(ArjReader, ThreeVolumes) {
  const std::string Before = GetCurrentDir();
  TTempDir Tmp;
  for (const char* V : {"vol.arj", "vol.a01", "vol.a02"}) WriteWholeFile(Tmp.Path() + V, ReadWholeFile(OldFixture(V)));
  TUnARJ R(nullptr);
  TReaderEvents Ev;
  std::vector<std::string> Asked;
  R.OnNextVolume = [&](TObject*, std::string& Dir, std::string& FN, const std::string& VolumeID, bool FExists,
                       bool&) {
    EXPECT_TRUE(FExists);
    Asked.push_back(FN + "#" + VolumeID);
  };
  ExtractInto(R, Ev, Tmp.Path() + "vol.arj", Tmp.Path() + "out\\");
  EXPECT_EQ(Asked, (std::vector<std::string>{"vol.a01#1", "vol.a02#2"}));
  EXPECT_TRUE(Ev.Errors.empty());
  ASSERT_EQ(Ev.Ends.size(), 1u);
  EXPECT_TRUE(Ev.Ends[0].second);
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "out\\sub\\far.bin"), Plain("sub/far.bin"));
  EXPECT_EQ(GetCurrentDir(), Before);

  // Without OnNextVolume the entry cannot be finished: reported, never taken as whole.
  TUnARJ R2(nullptr);
  TReaderEvents Ev2;
  ExtractInto(R2, Ev2, Tmp.Path() + "vol.arj", Tmp.Path() + "out2\\");
  // Told by the volume and by the entry.
  EXPECT_EQ(Ev2.Errors, (std::vector<int>{errFileNotFound, errReadingFile}));
  ASSERT_EQ(Ev2.Ends.size(), 1u);
  EXPECT_FALSE(Ev2.Ends[0].second);
}

// small.txt plain, then text.txt and runs.bin garbled: each garbled one is told and passed
// over, and nothing stands under its name.
TEST(ArjReader, GarbledEntriesAreToldAndPassedOver) {
  TTempDir Tmp;
  TUnARJ R(nullptr);
  TReaderEvents Ev;
  ExtractInto(R, Ev, OldFixture("garbled.arj"), Tmp.Path());
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "small.txt"), Plain("small.txt"));
  EXPECT_EQ(Ev.Errors, (std::vector<int>{errPasswordProtected, errPasswordProtected}));
  EXPECT_FALSE(FileExists(Tmp.Path() + "text.txt"));
  EXPECT_FALSE(FileExists(Tmp.Path() + "runs.bin"));
  EXPECT_EQ(Ev.Deactivates, 1);
}

// Edits the first file header of m1.arj (after the main header) and fixes its CRC.
template <class F>
std::string EditFirstEntry(const std::string& Dir, F Edit, bool FixCrc = true) {
  return EditedCopy(Dir, "m1.arj", "x.arj", [&](TByteVec& D) {
    size_t Main = 4 + (D[2] | (D[3] << 8)) + 4 + 2;
    size_t B = D[Main + 2] | (D[Main + 3] << 8);
    uint8_t* H = &D[Main + 4];
    Edit(H, B);
    if (!FixCrc) return;
    uint32_t Crc = 0xFFFFFFFF;
    UpdateCrc32(H, B, Crc);
    Crc = ~Crc;
    for (int I = 0; I < 4; I++) H[B + I] = uint8_t(Crc >> (8 * I));
  });
}

TEST(ArjReader, HeaderChecks) {
  struct {
    const char* What;
    std::function<void(uint8_t*, size_t)> Edit;
    bool FixCrc;
    std::vector<int> Errors;
    bool TextExtracts, RunsExtracts;
  } Cases[] = {
      {"header CRC differs", [](uint8_t* H, size_t) { H[10] ^= 1; }, false, {errHeaderCrc}, false, false},
      // A volume label or chapter mark carries no file: passed over, not fatal.
      {"volume label", [](uint8_t* H, size_t) { H[6] = 4; }, true, {}, false, true},
      {"chapter mark", [](uint8_t* H, size_t) { H[6] = 5; }, true, {}, false, true},
      // An entry that cannot be extracted is told and passed over: its sizes are sound.
      {"unknown file type", [](uint8_t* H, size_t) { H[6] = 9; }, true, {errUnknownFileType}, false, true},
      {"method 5", [](uint8_t* H, size_t) { H[5] = 5; }, true, {errUnsupportedMethod}, false, true},
      {"newer version needed", [](uint8_t* H, size_t) { H[2] = 11; }, true, {errVersion}, false, true},
      // The name position past the header's end: refused, not read out of bounds.
      {"name outside the header", [](uint8_t* H, size_t B) { H[0] = uint8_t(B + 1); }, true, {errBadFileHeader},
       false, false},
      // No terminating zero: the name ends with the header.
      {"name without its zero", [](uint8_t* H, size_t B) { memset(H + H[0], 'n', B - H[0]); }, true, {}, false,
       true},
  };
  for (auto& C : Cases) {
    SCOPED_TRACE(C.What);
    TTempDir Tmp;
    const std::string Arc = EditFirstEntry(Tmp.Path(), C.Edit, C.FixCrc);
    TUnARJ R(nullptr);
    TReaderEvents Ev;
    ExtractInto(R, Ev, Arc, Tmp.Path() + "out\\");
    EXPECT_EQ(Ev.Errors, C.Errors);
    EXPECT_EQ(FileExists(Tmp.Path() + "out\\text.txt"), C.TextExtracts);
    EXPECT_EQ(FileExists(Tmp.Path() + "out\\runs.bin") && ReadWholeFile(Tmp.Path() + "out\\runs.bin") == Plain("runs.bin"),
              C.RunsExtracts);
    EXPECT_EQ(Ev.Deactivates, 1);
  }
}

}  // namespace
