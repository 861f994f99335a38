// The lister's walk of each archive kind, over archives made by Debian's tools (their
// reference listings are in data/lister/reference.txt) and hand-built ones, and over
// damaged archives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "archive/core/arc_directory.h"
#include "archive/core/arc_names.h"
#include "lister_test_util.h"

namespace {

const char* const DateA = "2001-02-03 04:05:06";
const char* const DateB = "2002-03-04 05:06:08";

// Keeps the process's folder: answering for a volume makes it the volume's folder.
struct TKeepDir {
  std::string Dir = GetCurrentDir();
  ~TKeepDir() { SetCurrentDir(Dir); }
};

// Accepts every volume asked for as it is named.
void AcceptVolumes(TTravik& T, std::vector<std::string>* Asked = nullptr) {
  T.OnNextVolume = [Asked](TObject*, std::string&, std::string& FN, const std::string& VolumeID, bool, bool&) {
    if (Asked) Asked->push_back(ArcExtractFileName(FN) + "#" + VolumeID);
  };
}

}  // namespace

TEST(ArcDirZip, ListsWhatUnzipPrints) {
  // unzip -Z: sizes, CRCs and dates of the central directory; folders are reported
  // without being counted; bsdtar marks its folder by the name alone.
  for (const char* file : {"zstore.zip", "zbest.zip", "zbsd.zip"}) {
    SCOPED_TRACE(file);
    const TListing L = ListArchive(ListerFixture(file));
    ASSERT_TRUE(L.Result);
    const std::string f = file;
    const char* defl = f == "zbest.zip" ? "DeflateX" : "DeflateN";
    const bool stored = f == "zstore.zip", crypt = f == "zbest.zip";
    EXPECT_LISTED(L, {{"a.txt", stored ? 244 : crypt ? 77 : 65, 244, 0xF686D0F8, stored ? "Stored" : defl, DateA},
                      {"sub\\", 0, 0, 0, "Stored", DateB},
                      {"sub\\b.txt", stored ? 141 : crypt ? 57 : 45, 141, 0x5F466931, stored ? "Stored" : defl, DateB}});
    EXPECT_EQ(L.Entries[1].Filenum, 1);  // the folder takes no number
    EXPECT_EQ(L.Entries[2].Filenum, 2);
    EXPECT_EQ(L.Totals, 2);
    EXPECT_EQ(L.TotalUnpacked, 385);
    EXPECT_EQ(L.Entries[0].Encrypted, crypt);
    EXPECT_TRUE(L.Errors.empty());
  }
  const TListing store = ListArchive(ListerFixture("zstore.zip"));
  EXPECT_EQ(store.ArchiveComment, "zip archive comment");
  EXPECT_EQ(store.Entries[1].Offset, 279);  // the local header named by the central one
  const TListing best = ListArchive(ListerFixture("zbest.zip"));
  EXPECT_EQ(best.Entries[0].Comment, "entry a");
  EXPECT_EQ(best.Entries[2].Comment, "entry b");
  const TListing fast = ListArchive(ListerFixture("zfast.zip"));
  ASSERT_EQ(fast.Entries.size(), 1u);
  EXPECT_EQ(fast.Entries[0].Method, "DeflateF");
}

TEST(ArcDirZip, EmptyArchiveListsNothingWithoutError) {
  const TListing L = ListArchive(ListerFixture("empty.zip"));
  EXPECT_TRUE(L.Result);
  EXPECT_TRUE(L.Entries.empty());
  EXPECT_TRUE(L.Errors.empty());
  EXPECT_EQ(L.Totals, 0);
}

namespace {
// A ZIP of stored empty entries with the names given and an archive comment.
TByteVec MakeZip(const std::vector<std::string>& Names, const std::string& Comment = "") {
  TByteVec z, cd;
  auto put16 = [](TByteVec& v, unsigned x) { v.push_back(uint8_t(x)), v.push_back(uint8_t(x >> 8)); };
  auto put32 = [&](TByteVec& v, uint32_t x) { put16(v, x & 0xFFFF), put16(v, x >> 16); };
  for (const std::string& n : Names) {
    const uint32_t at = uint32_t(z.size());
    put32(z, 0x04034B50), put16(z, 10), put16(z, 0), put16(z, 0), put32(z, 0x2A430000), put32(z, 0);
    put32(z, 0), put32(z, 0), put16(z, unsigned(n.size())), put16(z, 0);
    z.insert(z.end(), n.begin(), n.end());
    put32(cd, 0x02014B50), put16(cd, 20), put16(cd, 10), put16(cd, 0), put16(cd, 0), put32(cd, 0x2A430000);
    put32(cd, 0), put32(cd, 0), put32(cd, 0), put16(cd, unsigned(n.size())), put16(cd, 0), put16(cd, 0);
    put16(cd, 0), put16(cd, 0), put32(cd, 0x20), put32(cd, at);
    cd.insert(cd.end(), n.begin(), n.end());
  }
  const uint32_t cdAt = uint32_t(z.size());
  z.insert(z.end(), cd.begin(), cd.end());
  put32(z, 0x06054B50), put16(z, 0), put16(z, 0), put16(z, unsigned(Names.size())), put16(z, unsigned(Names.size()));
  put32(z, uint32_t(cd.size())), put32(z, cdAt), put16(z, unsigned(Comment.size()));
  z.insert(z.end(), Comment.begin(), Comment.end());
  return z;
}
}  // namespace

TEST(ArcDirZip, NamesLongerThan255BytesAndEntriesAfterThem) {
  TTempDir dir;
  const std::string longName = std::string(200, 'd') + "/" + std::string(100, 'f') + ".txt";
  WriteWholeFile(dir.Path() + "long.zip", MakeZip({longName, "after.txt"}));
  const TListing L = ListArchive(dir.Path() + "long.zip");
  ASSERT_EQ(L.Entries.size(), 2u);
  EXPECT_EQ(L.Entries[0].Name, std::string(200, 'd') + "\\" + std::string(100, 'f') + ".txt");
  EXPECT_EQ(L.Entries[1].Name, "after.txt");
}

TEST(ArcDirZip, EndRecordFoundAsFarAsTheLongestComment) {
  // A comment holds at most 65535 bytes: the end record is looked for that far back.
  TTempDir dir;
  WriteWholeFile(dir.Path() + "near.zip", MakeZip({"a.txt"}, std::string(40000, 'c')));
  EXPECT_EQ(ListArchive(dir.Path() + "near.zip").Entries.size(), 1u);
  TByteVec far = MakeZip({"a.txt"});
  far.resize(far.size() + 70000, 'j');
  WriteWholeFile(dir.Path() + "far.zip", far);
  const TListing L = ListArchive(dir.Path() + "far.zip");
  EXPECT_TRUE(L.Entries.empty());
  EXPECT_EQ(L.Errors, std::vector<int>{errBadFileHeader});
}

TEST(ArcDirArj, ListsWhatArjPrints) {
  // arj 3.10 writes first-header sizes of 34 and 46 and Unix times for its Unix host.
  const TListing L = ListArchive(ListerFixture("methods.arj"));
  ASSERT_TRUE(L.Result);
  EXPECT_LISTED(L, {{"m0.txt", 244, 244, 0xF686D0F8, "Stored", DateA},
                    {"m1.txt", 66, 244, 0xF686D0F8, "Most", DateA},
                    {"m2.txt", 66, 244, 0xF686D0F8, "2nd Most", DateA},
                    {"m3.txt", 66, 244, 0xF686D0F8, "2nd Fast", DateA},
                    {"m4.txt", 70, 244, 0xF686D0F8, "Fastest", DateA},
                    {"sub\\b.txt", 44, 141, 0x5F466931, "Most", DateB}});
  EXPECT_EQ(L.Totals, 6);
  EXPECT_EQ(L.TotalPacked, 556);
  EXPECT_EQ(L.TotalUnpacked, 1361);
}

TEST(ArcDirArj, FileSplitOverVolumesListsOnceWithItsWholeSize) {
  TKeepDir keep;
  std::vector<std::string> asked;
  const TListing L = ListArchive(ListerFixture("vol.arj"), [&](TTravik& T) { AcceptVolumes(T, &asked); });
  ASSERT_TRUE(L.Result);
  EXPECT_EQ(asked, std::vector<std::string>{"vol.a01#1"});
  EXPECT_LISTED(L, {{"r.bin", 11000, 11000, 0xE5482F3D, "Stored", "2003-04-05 06:07:08"},
                    {"a.txt", 244, 244, 0xF686D0F8, "Stored", DateA}});
  EXPECT_EQ(L.Entries[0].Volume, "vol.arj");
  EXPECT_EQ(L.Entries[1].Volume, "vol.a01");
  EXPECT_EQ(L.TotalPacked, 11244);

  // Without an answer for the next volume the walk stops there.
  const TListing stop = ListArchive(ListerFixture("vol.arj"));
  EXPECT_TRUE(stop.Entries.empty());
  EXPECT_EQ(stop.Errors, std::vector<int>{errFileNotFound});
}

TEST(ArcDirLha, ListsWhatLhasaPrints) {
  // Levels 0, 1 and 2; jlha puts the header-CRC extension before the name one, and the
  // packed size of a level-1 header holds its extensions.
  struct TCase {
    const char* File;
    int64_t PackedA, PackedB;
    const char* Method;
    bool Folder;
  } cases[] = {{"lh0.lzh", 244, 141, "Stored", true},
               {"lh5.lzh", 66, 42, "Frozen-5", true},
               {"lh6.lzh", 67, 42, "Frozen-6", true},
               {"lh7.lzh", 67, 42, "Unknown", false}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.File);
    const TListing L = ListArchive(ListerFixture(c.File));
    ASSERT_TRUE(L.Result);
    if (c.Folder)
      EXPECT_LISTED(L, {{"a.txt", c.PackedA, 244, 0xE478, c.Method, DateA},
                        {"sub\\", 0, 0, 0, "Unknown", DateB},
                        {"sub\\b.txt", c.PackedB, 141, 0x83F2, c.Method, DateB}});
    else
      EXPECT_LISTED(L, {{"a.txt", c.PackedA, 244, 0xE478, c.Method, DateA},
                        {"sub\\b.txt", c.PackedB, 141, 0x83F2, c.Method, DateB}});
    EXPECT_TRUE(L.Errors.empty());
  }
}

TEST(ArcDirArc, ListsWhatLsarPrints) {
  const TListing a = ListArchive(ListerFixture("a.arc"));
  EXPECT_LISTED(a, {{"A.TXT", 159, 244, 0xE478, "Crunched", DateA}, {"B.TXT", 71, 141, 0x83F2, "Crunched", DateB}});
  const TListing aq = ListArchive(ListerFixture("aq.arc"));
  EXPECT_LISTED(aq, {{"A.TXT", 158, 244, 0xE478, "Squashed", DateA},
                     {"B.TXT", 70, 141, 0x83F2, "Squashed", DateB},
                     {"X.BIN", 11, 28, 0x52F8, "Packed", DateA}});
  EXPECT_EQ(aq.Totals, 3);
}

TEST(ArcDirArc, NestedFoldersPrefixTheirEntries) {
  const TListing L = ListArchive(ListerFixture("nested.arc"));
  EXPECT_LISTED(L, {{"TOP.TXT", 141, 141, 0x83F2, "Stored", DateB},
                    {"DOCS\\", 0, 0, 0, "Dir", DateA},
                    {"DOCS\\TEXT.TXT", 244, 244, 0xE478, "Stored", DateA},
                    {"DOCS\\INNER\\", 0, 0, 0, "Dir", DateA},
                    {"DOCS\\INNER\\SMALL.TXT", 141, 141, 0x83F2, "Stored", DateB},
                    {"LAST.TXT", 244, 244, 0xE478, "Stored", DateA}});
  EXPECT_EQ(L.Entries[1].Attr, 16u);
  EXPECT_EQ(L.Entries[2].Attr, 32u);
}

TEST(ArcDirGzip, NameDateAndSizesOfEachMagic) {
  // gzip -l and lsar give the whole file as the packed size; the stored time is used
  // whenever there is one, the file's own date otherwise.
  const TListing named = ListArchive(ListerFixture("named.txt.gz"));
  EXPECT_LISTED(named, {{"a.txt", 89, 244, 0xF686D0F8, "Deflate", DateA}});
  const TListing extra = ListArchive(ListerFixture("extra.gz"));
  EXPECT_LISTED(extra, {{"inner.txt", 114, 244, 0xF686D0F8, "Deflate", DateA}});
  const std::string fileDate = DateText(FileDateToDateTime(FileAge(ListerFixture("noname.txt.gz"))));
  const TListing noname = ListArchive(ListerFixture("noname.txt.gz"));
  EXPECT_LISTED(noname, {{"noname.txt", 83, 244, 0xF686D0F8, "Deflate", nullptr}});
  EXPECT_EQ(noname.Entries[0].Date, fileDate);
  const TListing z = ListArchive(ListerFixture("a.txt.Z"));
  EXPECT_LISTED(z, {{"a.txt", 161, 161, 0, "LzwMAGIC", nullptr}});
  for (const TListing* L : {&named, &extra, &noname, &z}) {
    EXPECT_EQ(L->Totals, 1);
    EXPECT_EQ(L->Entries[0].Filenum, 1);
  }
}

TEST(ArcDirTar, LongNamesOfUstarGnuAndPax) {
  const char* deep =
      "dir_with_a_fairly_long_name_0123456789\\another_long_folder_name_abcdefghij\\"
      "file_with_a_long_name_that_pushes_past_100.txt";
  for (const char* file : {"ustar.tar", "gnu.tar", "pax.tar"}) {
    SCOPED_TRACE(file);
    const TListing L = ListArchive(ListerFixture(file));
    ASSERT_TRUE(L.Result);
    // Folders are walked but never reported.
    EXPECT_LISTED(L, {{"a.txt", 244, 244, AnyCrc, "Stored", DateA},
                      {"sub\\b.txt", 141, 141, AnyCrc, "Stored", DateA},
                      {deep, 5, 5, AnyCrc, "Stored", DateA}});
    EXPECT_EQ(L.Names.size(), 4u);
    EXPECT_EQ(L.Names[1], "sub\\");
    EXPECT_TRUE(L.Errors.empty());
  }
}

TEST(ArcDirTar, BinarySizesAndTheHeaderChecksum) {
  // Base-256 size and time are read; a header whose checksum is wrong ends the walk.
  const TListing L = ListArchive(ListerFixture("b256.tar"));
  ASSERT_EQ(L.Entries.size(), 2u);
  EXPECT_EQ(L.Entries[0].Name, "b256.txt");
  EXPECT_EQ(L.Entries[0].Unpacked, 141);
  EXPECT_EQ(L.Entries[0].Date, DateB);
  EXPECT_EQ(L.Entries[1].Name, "old.txt");
  EXPECT_EQ(L.Entries[1].Unpacked, 5);
  EXPECT_EQ(L.Errors, std::vector<int>{errBadFileHeader});
}

TEST(ArcDirTar, SpecMatchingNothingStillWalksEveryHeader) {
  const TListing L = ListArchive(ListerFixture("gnu.tar"), [](TTravik& T) { T.SetFileSpec("*.none"); });
  EXPECT_TRUE(L.Entries.empty());
  EXPECT_EQ(L.Names.size(), 4u);
  EXPECT_EQ(L.Totals, 0);
}

TEST(ArcDirCab, ListsWhatCabextractPrints) {
  for (const char* file : {"stored.cab", "mszip.cab"}) {
    SCOPED_TRACE(file);
    const char* method = std::strcmp(file, "stored.cab") == 0 ? "Stored" : "MsZIP";
    const TListing L = ListArchive(ListerFixture(file));
    EXPECT_LISTED(L, {{"a.txt", 244, 244, 0, method, DateA}, {"sub\\b.txt", 141, 141, 0, method, DateB}});
    EXPECT_EQ(L.Entries[0].Volume, "");
  }
}

TEST(ArcDirCab, AFileTableOffsetPastTheEndIsToldAndTheTableStillRead) {
  TTempDir dir;
  TByteVec cab = ReadWholeFile(ListerFixture("stored.cab"));
  cab[16] = 0xFF, cab[17] = 0xFF, cab[18] = 0xFF, cab[19] = 0x7F;
  WriteWholeFile(dir.Path() + "bad.cab", cab);
  const TListing L = ListArchive(dir.Path() + "bad.cab");
  EXPECT_EQ(L.Errors, std::vector<int>{errBadFileHeader});
  EXPECT_LISTED(L, {{"a.txt", 244, 244, 0, "Stored", DateA}, {"sub\\b.txt", 141, 141, 0, "Stored", DateB}});
}

TEST(ArcDirCab, CabinetSetAsksForTheNextCabinet) {
  TKeepDir keep;
  std::vector<std::string> asked;
  const TListing L = ListArchive(ListerFixture("cab1.cab"), [&](TTravik& T) { AcceptVolumes(T, &asked); });
  EXPECT_EQ(asked.size(), 1u);
  // The file split over both is listed once, in the cabinet where it begins.
  EXPECT_LISTED(L, {{"a.txt", 244, 244, 0, "Stored", DateA},
                    {"sub\\b.txt", 141, 141, 0, "Stored", DateB},
                    {"c.txt", 5, 5, 0, "Stored", DateA}});
  EXPECT_EQ(L.Entries[0].Volume, "cab1.cab");
  EXPECT_EQ(L.Entries[2].Volume, "cab2.cab");
  EXPECT_EQ(L.Names.size(), 4u);

  const TListing alone = ListArchive(ListerFixture("cab1.cab"));
  EXPECT_EQ(alone.Entries.size(), 2u);
  EXPECT_EQ(alone.Errors, std::vector<int>{errFileNotFound});
  EXPECT_TRUE(alone.Result);
}

TEST(ArcDirUue, OneEntryNamedByTheBeginLine) {
  for (const char* file : {"a.uue", "a.xxe"}) {
    SCOPED_TRACE(file);
    const int64_t size = static_cast<int64_t>(ReadWholeFile(ListerFixture(file)).size());
    const TListing L = ListArchive(ListerFixture(file), [](TTravik& T) { T.SetFileSpec("*.none"); });
    ASSERT_EQ(L.Entries.size(), 1u);
    EXPECT_EQ(L.Entries[0].Name, "a.txt");
    EXPECT_EQ(L.Entries[0].Unpacked, size);
    EXPECT_EQ(L.Entries[0].Method, "");
    EXPECT_EQ(L.Totals, 1);
  }
  // The header lines as the reader reads them: MIME's base64 form is told as a method the
  // decoder lacks, and a "begin" later than the reader looks is no header.
  TTempDir Tmp;
  struct TCase {
    const char* What;
    std::string Text;
    std::vector<int> Errors;
    size_t Entries;
  } Cases[] = {
      {"base64", "begin-base64 644 a.txt\naGVsbG8K\n====\n", {errUnsupportedMethod}, 0},
      {"begin after 100 lines", std::string(100, '\n') + "begin 644 a.txt\n`\nend\n", {}, 0},
      {"mode and name", "Subject: x\r\n\r\nbegin 0644   a b.txt  \r\n`\r\nend\r\n", {}, 1},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.What);
    WriteWholeFile(Tmp.Path() + "x.uue", C.Text);
    const TListing L = ListArchive(Tmp.Path() + "x.uue");
    EXPECT_EQ(L.Errors, C.Errors);
    ASSERT_EQ(L.Entries.size(), C.Entries);
    if (C.Entries) EXPECT_EQ(L.Entries[0].Name, "a b.txt");
  }
}

TEST(ArcDirHandBuilt, ZooPakBhHa) {
  const TListing zoo = ListArchive(ListerFixture("zoo.zoo"));
  // A deleted entry (an older version kept) is listed like the others; the entry that
  // ends the chain is not. Names are in the DOS code page like every other kind's.
  EXPECT_LISTED(zoo, {{"a.txt", 244, 244, 0xE478, "Stored", DateA},
                      {"gone.txt", 141, 141, 0x83F2, "Stored", DateA},
                      {"docs\\old\\long file name.txt", 141, 141, 0x83F2, "Stored", DateA},
                      {"\xCF\xF0\xE8\xEC\xE5\xF0.txt", 244, 244, 0xE478, "Stored", DateA}});
  EXPECT_EQ(zoo.Entries[0].Comment, "first entry");
  EXPECT_EQ(zoo.ArchiveComment, "zoo archive comment");
  EXPECT_EQ(zoo.Totals, 4);

  const TListing pak = ListArchive(ListerFixture("pak.pak"));
  EXPECT_LISTED(pak, {{"B.TXT", 60, 141, 0x83F2, "Crushed", DateB},
                      {"A.TXT", 244, 244, 0xE478, "Stored", DateA},
                      {"C.TXT", 100, 244, 0xE478, "Distill", DateA}});

  const TListing bh = ListArchive(ListerFixture("bh.bh"));
  EXPECT_LISTED(bh, {{"A.TXT", 244, 244, 0xF686D0F8, "Stored", DateA},
                     {"SUB\\B.TXT", 50, 141, 0x5F466931, "Deflate", DateB}});
  EXPECT_TRUE(bh.Entries[1].Encrypted);

  const TListing ha = ListArchive(ListerFixture("ha.ha"));
  EXPECT_LISTED(ha, {{"a.txt", 244, 244, 0xF686D0F8, "Cpy", nullptr},
                     {"sub\\b.txt", 70, 141, 0x5F466931, "HSC", nullptr}});
  EXPECT_EQ(ha.Entries[1].Offset, 275);
}

TEST(ArcDirHandBuilt, Rar) {
  const TListing r2 = ListArchive(ListerFixture("rar2.rar"), [](TTravik& T) { T.SetFileSpec("*.txt"); T.SetShowBlankDirs(true); });
  EXPECT_LISTED(r2, {{"a.txt", 244, 244, 0xF686D0F8, "Stored", DateA},
                     {"sub", 0, 0, 0, "Stored", DateB},
                     {"sub\\b.txt", 141, 141, 0x5F466931, "Normal", DateB}});
  EXPECT_EQ(r2.Entries[0].Comment, "note on a");
  EXPECT_EQ(r2.Entries[0].Volume, "");

  const TListing r2c = ListArchive(ListerFixture("rar2c.rar"));
  EXPECT_EQ(r2c.ArchiveComment, "Archive Comment encrypted...");
  EXPECT_LISTED(r2c, {{"a.txt", 244, 244, 0xF686D0F8, "Stored", DateA}});

  // RAR 3.x: large sizes, salt and extended times are stepped over by the header size.
  const TListing r3 = ListArchive(ListerFixture("rar3.rar"));
  // Name sizes are 16-bit.
  const std::string longName = std::string(200, 'd') + "\\" + std::string(100, 'f') + ".txt";
  EXPECT_LISTED(r3, {{"big.txt", 244, 244, 0xF686D0F8, "Stored", DateA},
                     {"sec.txt", 141, 141, 0x5F466931, "Stored", DateB},
                     {longName.c_str(), 244, 244, 0xF686D0F8, "Stored", DateA}});
  EXPECT_TRUE(r3.Entries[1].Encrypted);
  EXPECT_TRUE(r3.Errors.empty());
}

TEST(ArcDirHandBuilt, RarVolumes) {
  TKeepDir keep;
  std::vector<std::string> asked;
  const TListing L = ListArchive(ListerFixture("vol.rar"), [&](TTravik& T) { AcceptVolumes(T, &asked); });
  EXPECT_EQ(asked, std::vector<std::string>{"vol.r00#0"});
  EXPECT_LISTED(L, {{"a.txt", 244, 244, 0xF686D0F8, "Stored", DateA},
                    {"big.bin", 180, 180, 0x4D997686, "Stored", DateA},
                    {"tail.txt", 141, 141, 0x5F466931, "Stored", DateB}});
  EXPECT_EQ(L.Entries[1].Volume, "vol.r00");
  EXPECT_EQ(L.TotalPacked, 565);
  EXPECT_EQ(L.Totals, 3);
}

TEST(ArcDirHandBuilt, RarVolumesNamedByPart) {
  // "x.part1.rar" goes on in "x.part2.rar", as the RAR library names the volumes.
  struct {
    const char* name;
    const char* next;
  } names[] = {{"x.part1.rar", "x.part2.rar"}, {"C:\\a.b\\X.PART09.RAR", "C:\\a.b\\X.PART10.RAR"},
               {"x.part99.rar", "x.part100.rar"}, {"x.rar", ""}, {"part1.rar", ""}, {"x.part1.zip", ""}};
  for (auto& n : names) EXPECT_EQ(NextRarPartName(n.name), n.next) << n.name;
  TTempDir dir;
  TKeepDir keep;  // the volume found makes its folder current; back before dir goes
  WriteWholeFile(dir.Path() + "vol.part1.rar", ReadWholeFile(ListerFixture("vol.rar")));
  WriteWholeFile(dir.Path() + "vol.part2.rar", ReadWholeFile(ListerFixture("vol.r00")));
  std::vector<std::string> asked;
  const TListing L = ListArchive(dir.Path() + "vol.part1.rar", [&](TTravik& T) { AcceptVolumes(T, &asked); });
  EXPECT_EQ(asked, std::vector<std::string>{"vol.part2.rar#0"});
  ASSERT_EQ(L.Entries.size(), 3u);
  EXPECT_EQ(L.Entries[1].Volume, "vol.part2.rar");
}

namespace {
// A RAR 5 block: CRC (not checked by the lister), size, type, flags, then the fields.
void Vint(TByteVec& B, uint64_t V) {
  do {
    B.push_back(uint8_t((V & 0x7F) | (V > 0x7F ? 0x80 : 0)));
    V >>= 7;
  } while (V);
}
TByteVec Rar5Block(uint64_t Type, const TByteVec& Fields, const std::string& Data = "") {
  TByteVec head;
  Vint(head, Type);
  Vint(head, Data.empty() ? 0 : 2);
  if (!Data.empty()) Vint(head, Data.size());
  head.insert(head.end(), Fields.begin(), Fields.end());
  TByteVec b(4, 0);
  Vint(b, head.size());
  b.insert(b.end(), head.begin(), head.end());
  b.insert(b.end(), Data.begin(), Data.end());
  return b;
}
TByteVec Rar5File(const std::string& Name, const std::string& Data, bool Dir, uint32_t Crc, int Method = 0) {
  TByteVec f;
  Vint(f, Dir ? 1 : 6);  // folder, or a time and a CRC
  Vint(f, Data.size());
  Vint(f, Dir ? 0x10 : 0x20);
  if (!Dir) {
    for (uint32_t v : {uint32_t(981173106), Crc})  // 3 February 2001 04:05:06 UTC
      for (int i = 0; i < 4; ++i) f.push_back(uint8_t(v >> (8 * i)));
  }
  Vint(f, uint64_t(Method) << 7);
  Vint(f, 0);                           // Windows
  Vint(f, Name.size());
  f.insert(f.end(), Name.begin(), Name.end());
  return Rar5Block(2, f, Data);
}
}  // namespace

TEST(ArcDirHandBuilt, Rar5) {
  TByteVec rar = {'R', 'a', 'r', '!', 0x1A, 7, 1, 0};
  for (const TByteVec& b : {Rar5Block(1, {0}), Rar5File("a.txt", std::string(244, 'a'), false, 0xF686D0F8),
                            Rar5File("sub", "", true, 0),
                            Rar5File("sub/\xD0\x9F\xD1\x80\xD0\xB8.txt", std::string(50, 'b'), false, 0x5F466931, 3),
                            Rar5Block(5, {0})})
    rar.insert(rar.end(), b.begin(), b.end());
  TTempDir dir;
  WriteWholeFile(dir.Path() + "five.rar", rar);
  const TListing L = ListArchive(dir.Path() + "five.rar", [](TTravik& T) { T.SetShowBlankDirs(true); });
  EXPECT_TRUE(L.Result);
  EXPECT_TRUE(L.Errors.empty());
  EXPECT_LISTED(L, {{"a.txt", 244, 244, 0xF686D0F8, "Stored", DateA},
                    {"sub\\", 0, 0, 0, "Stored", nullptr},
                    {"sub\\\xCF\xF0\xE8.txt", 50, 50, 0x5F466931, "Normal", DateA}});
}

namespace {
TByteVec Le32(uint32_t V) { return {uint8_t(V), uint8_t(V >> 8), uint8_t(V >> 16), uint8_t(V >> 24)}; }
}  // namespace

TEST(ArcDirDamaged, ChainThatPointsBackEndsWithAnError) {
  // A ZOO entry whose next entry is itself.
  TByteVec zoo = ReadWholeFile(ListerFixture("zoo.zoo"));
  const uint32_t first = zoo[24] | zoo[25] << 8 | zoo[26] << 16 | uint32_t(zoo[27]) << 24;
  const TByteVec self = Le32(first);
  std::copy(self.begin(), self.end(), zoo.begin() + first + 6);
  TTempDir dir;
  WriteWholeFile(dir.Path() + "loop.zoo", zoo);
  const TListing L = ListArchive(dir.Path() + "loop.zoo");
  EXPECT_EQ(L.Entries.size(), 1u);
  EXPECT_EQ(L.Errors, std::vector<int>{errBadFileHeader});
  EXPECT_EQ(L.Events.back(), "ElapsedTime");
}

TEST(ArcDirDamaged, TruncatedAndAlteredArchivesEndCleanly) {
  // Every archive cut short at many lengths, and with bytes changed, lists what it can
  // and ends: no crash, no endless walk, no read outside the file (the sanitizers watch).
  TTempDir dir;
  const char* const files[] = {
      "a.arc", "aq.arc", "nested.arc", "pak.pak", "methods.arj", "vol.arj", "vol.a01", "bh.bh", "cab1.cab",
      "cab2.cab", "mszip.cab", "stored.cab", "a.txt.Z", "extra.gz", "named.txt.gz", "noname.txt.gz", "ha.ha",
      "lh0.lzh", "lh5.lzh", "lh6.lzh", "lh7.lzh", "rar2.rar", "rar2c.rar", "rar3.rar", "vol.rar", "vol.r00",
      "b256.tar", "gnu.tar", "pax.tar", "ustar.tar", "a.uue", "a.xxe", "empty.zip", "zbest.zip", "zbsd.zip",
      "zfast.zip", "zstore.zip", "zoo.zoo"};
  for (const std::string f : files) {
    SCOPED_TRACE(f);
    const TByteVec whole = ReadWholeFile(ListerFixture(f));
    const std::string name = dir.Path() + f;
    const size_t step = std::max<size_t>(1, whole.size() / 16);
    for (size_t len = 0; len < whole.size(); len += step) {
      WriteWholeFile(name, TByteVec(whole.begin(), whole.begin() + len));
      const TListing L = ListArchive(name);
      // A run that began always ends: the file closed, OnDeactivate called.
      EXPECT_EQ(std::count(L.Events.begin(), L.Events.end(), "Activate"),
                std::count(L.Events.begin(), L.Events.end(), "Deactivate"));
    }
    for (size_t at = 0; at < whole.size(); at += step) {
      TByteVec bad = whole;
      bad[at] ^= 0xA5;
      if (at + 1 < bad.size()) bad[at + 1] = 0xFF;
      WriteWholeFile(name, bad);
      ListArchive(name);
    }
  }
}
