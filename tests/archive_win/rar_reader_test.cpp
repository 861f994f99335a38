#include <gtest/gtest.h>

#include <map>
#include <thread>

#include "archive/un_cab.h"
#include "archive/un_rar.h"
#include "platform/rar/rar_library.h"
#include "classlib/win/wide_string.h"
#include "corpus_util.h"
#include "tests/archive/lister_test_util.h"
#include "tests/archive/reader_contract_util.h"

#include <windows.h>

namespace {

// UnRAR.dll is found by name, as the program finds it next to zembrix.exe.
const struct TUseDist {
  TUseDist() { SetDllDirectoryW(ToWide(SlashToBackslash(ZX_DIST_DIR)).c_str()); }
} UseDist;

struct TRarCase {
  const char* Archive;
  std::initializer_list<TExpectedFile> Files;
};

// RAR 2.x (stored, made on Unix, with a link), 2.9 (LZSS, and the filters of an
// executable) and RAR 5 archives of libarchive's corpus, byte for byte.
TEST(RarReader, CorpusArchivesExtractWhole) {
  const TRarCase Cases[] = {
      {"test_read_format_rar.rar",
       {{"test.txt", 20, 0xBEC8A242}, {"testdir\\test.txt", 20, 0xBEC8A242}, {"testlink", 8, 0xB6C9447B}}},
      {"test_read_format_rar_compress_normal.rar",
       {{"LibarchiveAddingTest.html", 20111, 0x5E05A663},
        {"testdir\\LibarchiveAddingTest.html", 20111, 0x5E05A663},
        {"testdir\\test.txt", 20, 0xBEC8A242},
        {"testlink", 25, 0x11FCD3F1}}},
      {"test_read_format_rar_filter.rar", {{"bsdcat.exe", 204288, 0x4DB10349}}},
      {"test_read_format_rar5_multiple_files.rar",
       {{"test1.bin", 4096, 0x7E13B2C6},
        {"test2.bin", 4096, 0xF166AFCB},
        {"test3.bin", 4096, 0x9FB123D9},
        {"test4.bin", 4096, 0x10C43ED4}}},
      {"test_read_format_rar5_win32.rar",
       {{"test.bin", 1200, 0x7CCA70CD}, {"test5.bin", 4096, 0xB9D155F2}, {"test6.bin", 4096, 0x36A448FF}}},
  };
  for (const TRarCase& C : Cases) {
    SCOPED_TRACE(C.Archive);
    TTempDir Tmp;
    const std::string arc = LibarchiveTestFile(Tmp.Path(), C.Archive);
    TUnRAR R(nullptr);
    TReaderEvents Ev;
    ExtractInto(R, Ev, arc, Tmp.Path() + "out\\");
    EXPECT_EQ(int(R.ArcType()), int(atRAR));
    EXPECT_TRUE(Ev.Errors.empty());
    EXPECT_FALSE(Ev.Ends.empty());
    EXPECT_EQ(Ev.FailedEnds(), 0);
    EXPECT_EQ(Ev.Deactivates, 1);
    ExpectFiles(Tmp.Path() + "out\\", C.Files);
  }
  // Folders are made even when nothing is extracted into them.
  TTempDir Tmp;
  TUnRAR R(nullptr);
  TReaderEvents Ev;
  ExtractInto(R, Ev, LibarchiveTestFile(Tmp.Path(), "test_read_format_rar.rar"), Tmp.Path() + "out\\");
  EXPECT_TRUE(DirectoryExists(Tmp.Path() + "out\\testemptydir"));
}

// Entries made on Unix carry modes, not DOS attributes: 0644 must not become system,
// hidden or read-only, nor 0664 (bit 0x10) a folder that is passed over.
TEST(RarReader, UnixModesAreNoDosAttributes) {
  TTempDir Tmp;
  const std::string arc = LibarchiveTestFile(Tmp.Path(), "test_read_format_rar.rar");
  TUnRAR R(nullptr);
  TReaderEvents Ev;
  ExtractInto(R, Ev, arc, Tmp.Path() + "out\\");
  EXPECT_EQ(FileGetAttr(Tmp.Path() + "out\\test.txt") & (faReadOnly | faHidden | faSysFile | faDirectory), 0);
  EXPECT_EQ(Ev.Begins.size(), 3u);  // the two folders are passed over
}

// A set of six RAR 2.x volumes (x.part1.rar ...) and one of eight RAR 5 volumes: each next
// volume is announced through OnNextVolume and the files that run across them are whole.
TEST(RarReader, VolumeSets) {
  TKeepCurrentDir Keep;
  struct {
    const char* Base;
    const char* Digits;
    int Count;
    std::initializer_list<TExpectedFile> Files;
  } Sets[] = {
      {"test_rar_multivolume_multiple_files.part", "%d", 6,
       {{"LibarchiveAddingTest.html", 20111, 0x5E05A663}, {"LibarchiveAddingTest2.html", 20111, 0x5E05A663}}},
      {"test_read_format_rar5_multiarchive.part", "%02d", 8,
       {{"home\\antek\\temp\\build\\unrar5\\libarchive\\bin\\bsdcat_test", 144608, 0x35277473},
        {"home\\antek\\temp\\build\\unrar5\\libarchive\\bin\\bsdtar_test", 365672, 0xE59665F8}}},
  };
  for (auto& S : Sets) {
    SCOPED_TRACE(S.Base);
    TTempDir Tmp;
    std::vector<std::string> Names;
    for (int I = 1; I <= S.Count; I++) {
      char num[8];
      snprintf(num, sizeof num, S.Digits, I);
      Names.push_back(std::string(S.Base) + num + ".rar");
      LibarchiveTestFile(Tmp.Path(), Names.back());
    }
    TUnRAR R(nullptr);
    TReaderEvents Ev;
    std::vector<std::string> Asked;
    R.OnNextVolume = [&](TObject*, std::string& Dir, std::string& FN, const std::string&, bool FExists, bool&) {
      EXPECT_TRUE(FExists);
      EXPECT_EQ(Dir, Tmp.Path());
      Asked.push_back(FN);
    };
    ExtractInto(R, Ev, Tmp.Path() + Names[0], Tmp.Path() + "out\\");
    EXPECT_TRUE(Ev.Errors.empty());
    EXPECT_EQ(Ev.FailedEnds(), 0);
    EXPECT_EQ(Asked, std::vector<std::string>(Names.begin() + 1, Names.end()));
    ExpectFiles(Tmp.Path() + "out\\", S.Files);
  }
}

// A missing volume of the new numbering is asked for under its own name (x.part3.rar, not
// x.part2.r00); refused, the entry fails and leaves no part of itself behind.
TEST(RarReader, MissingVolumeIsAskedForByItsName) {
  TKeepCurrentDir Keep;
  TTempDir Tmp;
  LibarchiveTestFile(Tmp.Path(), "test_rar_multivolume_single_file.part1.rar");
  LibarchiveTestFile(Tmp.Path(), "test_rar_multivolume_single_file.part2.rar");
  TUnRAR R(nullptr);
  TReaderEvents Ev;
  std::vector<std::pair<std::string, bool>> Asked;
  R.OnNextVolume = [&](TObject*, std::string&, std::string& FN, const std::string&, bool FExists, bool& Cancel) {
    Asked.emplace_back(FN, FExists);
    Cancel = !FExists;
  };
  ExtractInto(R, Ev, Tmp.Path() + "test_rar_multivolume_single_file.part1.rar", Tmp.Path() + "out\\");
  ASSERT_EQ(Asked.size(), 2u);
  EXPECT_EQ(Asked[0], std::make_pair(std::string("test_rar_multivolume_single_file.part2.rar"), true));
  EXPECT_EQ(Asked[1], std::make_pair(std::string("test_rar_multivolume_single_file.part3.rar"), false));
  EXPECT_EQ(Ev.Errors, std::vector<int>{errOpeningFile});
  ASSERT_EQ(Ev.Ends.size(), 1u);
  EXPECT_FALSE(Ev.Ends[0].second);
  EXPECT_FALSE(FileExists(Tmp.Path() + "out\\LibarchiveAddingTest.html"));

  // A name that does not fit the library's buffer is refused, never copied past it.
  TUnRAR R2(nullptr);
  TReaderEvents Ev2;
  R2.OnNextVolume = [&](TObject*, std::string&, std::string& FN, const std::string&, bool, bool&) {
    FN = std::string(RarVolumeNameSize + 100, 'x') + ".rar";
  };
  ExtractInto(R2, Ev2, Tmp.Path() + "test_rar_multivolume_single_file.part1.rar", Tmp.Path() + "out2\\");
  EXPECT_EQ(Ev2.Errors, std::vector<int>{errOpeningFile});
  EXPECT_EQ(Ev2.FailedEnds(), 1);
}

// foo.txt and bar.txt, both encrypted with "12345678" (RAR 2.9 AES).
TEST(RarReader, EncryptedEntries) {
  TTempDir Tmp;
  const std::string arc = LibarchiveTestFile(Tmp.Path(), "test_read_format_rar_encryption_data.rar");
  const std::string out = Tmp.Path() + "out\\";

  // Three wrong passwords: three reports, a failed entry, nothing left of it, the run ends.
  {
    TUnRAR R(nullptr);
    TReaderEvents Ev;
    int Asked = 0;
    R.OnGetPassword = [&](TObject*, const std::string& FN, std::string& Password, bool&) {
      EXPECT_EQ(FN, out + "foo.txt");
      Password = "1234567" + std::to_string(Asked++);
    };
    ExtractInto(R, Ev, arc, out);
    EXPECT_EQ(Asked, 3);
    EXPECT_EQ(Ev.Errors, std::vector<int>(3, errInvalidPassword));
    EXPECT_EQ(Ev.Ends, (std::vector<std::pair<std::string, bool>>{{out + "foo.txt", false}}));
    EXPECT_FALSE(FileExists(out + "foo.txt"));
    EXPECT_FALSE(FileExists(out + "bar.txt"));
  }
  // The right one at the third attempt: both files, the password kept for the second.
  {
    TUnRAR R(nullptr);
    TReaderEvents Ev;
    int Asked = 0;
    R.OnGetPassword = [&](TObject*, const std::string&, std::string& Password, bool&) {
      Password = ++Asked < 3 ? "wrong" : "12345678";
    };
    ExtractInto(R, Ev, arc, out);
    EXPECT_EQ(Asked, 3);
    EXPECT_EQ(Ev.Errors, std::vector<int>(2, errInvalidPassword));
    EXPECT_EQ(Ev.FailedEnds(), 0);
    ExpectFiles(out, {{"foo.txt", 16, 0xA6AD865C}, {"bar.txt", 16, 0xCD90E2BE}});
    EXPECT_EQ(R.Password(), "12345678");
  }
  // The prompt cancelled: said, and the run ends.
  {
    TTempDir Tmp2;
    TUnRAR R(nullptr);
    TReaderEvents Ev;
    R.OnGetPassword = [&](TObject*, const std::string&, std::string&, bool& TryAgain) { TryAgain = false; };
    ExtractInto(R, Ev, arc, Tmp2.Path());
    EXPECT_EQ(Ev.Errors, std::vector<int>{errPasswordProtected});
    EXPECT_TRUE(Ev.Ends.empty());
    EXPECT_FALSE(FileExists(Tmp2.Path() + "foo.txt"));
  }
  // The published password is emptied when a run starts: without OnGetPassword the
  // encrypted entry ends the run, with a word.
  {
    TTempDir Tmp2;
    TUnRAR R(nullptr);
    TReaderEvents Ev;
    R.SetPassword("12345678");
    ExtractInto(R, Ev, arc, Tmp2.Path());
    EXPECT_EQ(Ev.Errors, std::vector<int>{errPasswordProtected});
    EXPECT_TRUE(Ev.Ends.empty());
    EXPECT_FALSE(FileExists(Tmp2.Path() + "foo.txt"));
    EXPECT_EQ(R.Password(), "");
  }
}

// Plain and encrypted entries side by side; encrypted headers cannot be read without a
// password the reader never gives before them.
TEST(RarReader, PartlyEncryptedAndEncryptedHeaders) {
  TTempDir Tmp;
  {
    const std::string arc = LibarchiveTestFile(Tmp.Path(), "test_read_format_rar_encryption_partially.rar");
    TUnRAR R(nullptr);
    TReaderEvents Ev;
    R.OnGetPassword = [](TObject*, const std::string&, std::string& Password, bool&) { Password = "12345678"; };
    ExtractInto(R, Ev, arc, Tmp.Path() + "p\\");
    EXPECT_TRUE(Ev.Errors.empty());
    ExpectFiles(Tmp.Path() + "p\\", {{"foo.txt", 16, 0xA6AD865C}, {"bar.txt", 16, 0xCD90E2BE}});
  }
  {
    const std::string arc = LibarchiveTestFile(Tmp.Path(), "test_read_format_rar_encryption_header.rar");
    TUnRAR R(nullptr);
    TReaderEvents Ev;
    ExtractInto(R, Ev, arc, Tmp.Path() + "h\\");
    EXPECT_EQ(Ev.Errors, std::vector<int>{errInvalidPassword});
    EXPECT_TRUE(Ev.Begins.empty());
    EXPECT_EQ(Ev.Deactivates, 1);
  }
}

// To a stream: the library tests the entry and hands its data to the data callback.
TEST(RarReader, ExtractToStream) {
  TTempDir Tmp;
  const std::string arc = LibarchiveTestFile(Tmp.Path(), "test_read_format_rar_compress_normal.rar");
  TUnRAR R(nullptr);
  TReaderEvents Ev;
  Ev.Bind(R);
  R.SetArchiveFile(arc);
  R.SetProgressNotify(Five);
  TMemoryStream M;
  R.ExtractToStream("testdir\\LibarchiveAddingTest.html", &M);
  EXPECT_TRUE(Ev.Errors.empty());
  EXPECT_EQ(Ev.Begins, std::vector<std::string>{"testdir\\LibarchiveAddingTest.html"});
  EXPECT_EQ(M.Position(), 0);
  const uint8_t* P = static_cast<const uint8_t*>(M.Memory());
  EXPECT_EQ(Crc32Of(TByteVec(P, P + M.Size())), 0x5E05A663u);
  EXPECT_FALSE(FileExists(Tmp.Path() + "testdir\\LibarchiveAddingTest.html"));
  ASSERT_FALSE(Ev.Progress.empty());
  EXPECT_EQ(Ev.Progress.back(), 100);
}

// The error contract of every reader, for the two Windows ones (the portable readers run
// it in the portable tests).
TEST(ReaderContract, WindowsReadersTellBadInputAndReturn) {
  TTempDir Tmp;
  const struct {
    const char* Name;
    std::function<std::unique_ptr<TUnBase>()> Make;
    std::string Fixture;
  } Readers[] = {
      {"CAB", [] { return std::unique_ptr<TUnBase>(new TUnCAB(nullptr)); },
       SlashToBackslash(FixturePath("cab/stored.cab"))},
      {"RAR", [] { return std::unique_ptr<TUnBase>(new TUnRAR(nullptr)); },
       LibarchiveTestFile(Tmp.Path(), "test_read_format_rar_compress_normal.rar")},
  };
  for (const auto& K : Readers) {
    SCOPED_TRACE(K.Name);
    ExpectBadInputTold(K.Make, K.Fixture);
  }
}

// Russian names as DOS, Windows (the Unicode name flag), Unix and RAR 5 write them: the
// reader makes and the lister shows the name a Russian Windows user expects.
TEST(RarReader, RussianNamesAlikeInTheReaderAndTheLister) {
  std::string data = ZX_TEST_DATA;  // tests/archive_win: the fixtures are the portable tests'
  data.resize(data.size() - 4);      // "_win"
  const std::string Papka = "\xCF\xE0\xEF\xEA\xE0", Privet = "\xCF\xF0\xE8\xE2\xE5\xF2";
  const struct {
    const char* Archive;
    std::string Name;
    const char* Content;
  } Cases[] = {
      {"rar-dos.rar", Papka + "\\" + Privet + ".dos", "oem\n"},
      {"rar-unicode.rar", Papka + "\\" + Privet + ".txt", "utf\n"},
      {"rar-unix.rar", Papka + "\\" + Privet + ".txt", "utf\n"},
      {"rar5.rar", Papka + "\\" + Privet + ".txt", "utf\n"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Archive);
    const std::string arc = SlashToBackslash("Z:" + data + "/data/cyrnames/" + C.Archive);
    TTempDir Tmp;
    TUnRAR R(nullptr);
    TReaderEvents Ev;
    ExtractInto(R, Ev, arc, Tmp.Path());
    EXPECT_TRUE(Ev.Errors.empty());
    EXPECT_EQ(Ev.FailedEnds(), 0);
    const TByteVec got = ReadWholeFile(Tmp.Path() + C.Name);
    EXPECT_EQ(std::string(got.begin(), got.end()), C.Content);
    const TListing L = ListArchive(arc);
    EXPECT_TRUE(L.Errors.empty());
    ASSERT_EQ(L.Entries.size(), 1u);
    EXPECT_EQ(L.Entries[0].Name, C.Name);
    EXPECT_EQ(L.Entries[0].Unpacked, int64_t(got.size()));
  }
}

// The relative names and sizes of the files under Root.
void CollectFiles(const std::string& Root, const std::string& Rel, std::map<std::string, int64_t>& Files) {
  TSearchRec Rec;
  if (FindFirst(Root + Rel + "*", faAnyFile, Rec) != 0) return;
  do {
    if (Rec.Name == "." || Rec.Name == "..") continue;
    if (Rec.Attr & faDirectory)
      CollectFiles(Root, Rel + Rec.Name + "\\", Files);
    else
      Files[Rel + Rec.Name] = int64_t(ReadWholeFile(Root + Rel + Rec.Name).size());
  } while (FindNext(Rec) == 0);
  FindClose(Rec);
}

TEST(RarReader, TheListerShowsWhatTheReaderExtracts) {
  std::string data = ZX_TEST_DATA;  // tests/archive_win: the fixtures are the portable tests'
  data.resize(data.size() - 4);      // "_win"
  // The archives of the real tool; the lister's hand-made headers carry no data to unpack.
  for (const char* F : {"cyrnames/rar-dos.rar", "cyrnames/rar-unicode.rar", "cyrnames/rar-unix.rar",
                        "cyrnames/rar5.rar", "lister/rar2c.rar"}) {
    SCOPED_TRACE(F);
    const std::string arc = SlashToBackslash("Z:" + data + "/data/" + F);
    const TListing L = ListArchive(arc);
    EXPECT_TRUE(L.Errors.empty());
    std::map<std::string, int64_t> Listed, Extracted;
    for (const TListed& E : L.Entries)
      if (!E.Name.empty() && E.Name.back() != '\\') Listed[E.Name] = E.Unpacked;
    TTempDir Tmp;
    TUnRAR R(nullptr);
    TReaderEvents Ev;
    ExtractInto(R, Ev, arc, Tmp.Path());
    EXPECT_TRUE(Ev.Errors.empty());
    EXPECT_EQ(Ev.FailedEnds(), 0);
    CollectFiles(Tmp.Path(), "", Extracted);
    EXPECT_EQ(Listed, Extracted);
  }
}

// The library's callbacks reach the reader of their own thread: two readers on two
// threads give what each gives alone.
TEST(RarReader, TwoReadersOnTwoThreads) {
  TTempDir Tmp;
  const std::string a = LibarchiveTestFile(Tmp.Path(), "test_read_format_rar_compress_normal.rar");
  const std::string b = LibarchiveTestFile(Tmp.Path(), "test_read_format_rar5_multiple_files.rar");
  for (int round = 0; round < 3; round++) {
    const std::string outA = Tmp.Path() + "a" + std::to_string(round) + "\\";
    const std::string outB = Tmp.Path() + "b" + std::to_string(round) + "\\";
    TReaderEvents EvA, EvB;
    std::thread t1([&] {
      TUnRAR R(nullptr);
      R.SetProgressNotify(Five);
      ExtractInto(R, EvA, a, outA);
    });
    std::thread t2([&] {
      TUnRAR R(nullptr);
      R.SetProgressNotify(Five);
      ExtractInto(R, EvB, b, outB);
    });
    t1.join();
    t2.join();
    EXPECT_TRUE(EvA.Errors.empty());
    EXPECT_TRUE(EvB.Errors.empty());
    EXPECT_EQ(EvA.FailedEnds(), 0);
    EXPECT_EQ(EvB.FailedEnds(), 0);
    ExpectFiles(outA, {{"LibarchiveAddingTest.html", 20111, 0x5E05A663},
                       {"testdir\\LibarchiveAddingTest.html", 20111, 0x5E05A663},
                       {"testdir\\test.txt", 20, 0xBEC8A242}});
    ExpectFiles(outB, {{"test1.bin", 4096, 0x7E13B2C6}, {"test4.bin", 4096, 0x10C43ED4}});
  }
}

// An entry whose name is empty is told; the entries after it are extracted.
TEST(RarReader, EntryWithoutANameIsTold) {
  auto Block = [](uint8_t Type, uint16_t Flags, const std::string& Rest, const std::string& Data) {
    std::string body(1, char(Type));
    body += char(Flags & 0xFF), body += char(Flags >> 8);
    const size_t size = 7 + Rest.size();
    body += char(size & 0xFF), body += char(size >> 8);
    body += Rest;
    const uint32_t crc = Crc32Of(TByteVec(body.begin(), body.end()));
    return std::string{char(crc & 0xFF), char((crc >> 8) & 0xFF)} + body + Data;
  };
  auto Le = [](uint32_t V, int Bytes) {
    std::string s;
    for (int i = 0; i < Bytes; i++) s += char((V >> (8 * i)) & 0xFF);
    return s;
  };
  auto File = [&](const std::string& Name, const std::string& Data) {
    const std::string rest = Le(uint32_t(Data.size()), 4) + Le(uint32_t(Data.size()), 4) + Le(0, 1) +
                             Le(Crc32Of(TByteVec(Data.begin(), Data.end())), 4) + Le(0x52640000, 4) + Le(20, 1) +
                             Le(0x30, 1) + Le(uint32_t(Name.size()), 2) + Le(0x20, 4) + Name;
    return Block(0x74, 0x8000, rest, Data);
  };
  const std::string arc = std::string("Rar!\x1a\x07\x00", 7) + Block(0x73, 0, std::string(6, '\0'), "") +
                          File("", "abc") + File("b.txt", "def");
  TTempDir Tmp;
  WriteWholeFile(Tmp.Path() + "noname.rar", arc);
  TUnRAR R(nullptr);
  TReaderEvents Ev;
  ExtractInto(R, Ev, Tmp.Path() + "noname.rar", Tmp.Path() + "out\\");
  EXPECT_EQ(Ev.Errors, std::vector<int>{errInvalidFileName});
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "out\\b.txt"), TByteVec({'d', 'e', 'f'}));
}

// Without UnRAR.dll, only 25258 (raised) and nothing opened.
TEST(RarReader, MissingLibrary) {
  TTempDir Tmp;
  const std::string arc = LibarchiveTestFile(Tmp.Path(), "test_read_format_rar.rar");
  ASSERT_FALSE(LoadRarLibrary("zx-no-such-unrar"));
  TUnRAR R(nullptr);
  TReaderEvents Ev;
  EXPECT_NO_THROW(ExtractInto(R, Ev, arc, Tmp.Path() + "out\\"));
  EXPECT_EQ(Ev.Errors, std::vector<int>{errUnrarNotFound});
  EXPECT_EQ(Ev.Activates, 0);
  EXPECT_FALSE(FileExists(Tmp.Path() + "out\\test.txt"));
  EXPECT_TRUE(LoadRarLibrary());
}

}  // namespace
