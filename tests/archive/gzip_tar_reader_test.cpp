// TUnGZIP (gzip members and compress files) and TUnTAR over files made by gzip,
// ncompress and GNU tar, and over hand-assembled headers.
#include <gtest/gtest.h>

#include "archive/core/un_gzip.h"
#include "archive/core/un_tar.h"
#include "old_readers_test_util.h"

namespace {

std::string Arc3Path(const std::string& Name) { return FixturePath("arc3/" + Name); }
TByteVec Src(const std::string& Name) { return ReadWholeFile(Arc3Path("src/" + Name)); }

// Unix times become local time: pinned to UTC here.
struct TUtc {
  std::function<int32_t(int64_t)> Saved = ArcTimeZoneBias;
  TUtc() { ArcTimeZoneBias = [](int64_t) { return 0; }; }
  ~TUtc() { ArcTimeZoneBias = Saved; }
};
const int32_t kReadmeDate = int32_t((21u << 25) | (2 << 21) | (3 << 16) | (4 << 11) | (5 << 5) | 3);

TEST(GzipReader, GzipAndCompressFilesExtractByteIdentical) {
  TUtc Utc;
  struct TCase {
    const char* Archive;
    const char* Out;
    TByteVec Want;
  };
  const TCase Cases[] = {
      {"readme1.txt.gz", "readme.txt", Src("readme.txt")},      // -N: stored name and time
      {"data9.bin.gz", "data9.bin", Src("data.bin")},           // -n: the archive's name and date
      {"concat.gz", "concat", ReadWholeFile(Arc3Path("concat.expected"))},  // two members
      {"hdr.gz", nullptr, Src("readme.txt")},                   // FEXTRA, long FNAME, FCOMMENT, FHCRC
      {"big10.Z", "big10", ReadWholeFile(Arc3Path("big.txt"))},
      {"big16.Z", "big16", ReadWholeFile(Arc3Path("big.txt"))},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Archive);
    TTempDir Tmp;
    TUnGZIP R(nullptr);
    TReaderEvents Ev;
    ExtractInto(R, Ev, Arc3Path(C.Archive), Tmp.Path());
    const std::string Out = Tmp.Path() + (C.Out ? C.Out : std::string(255, 'n'));
    EXPECT_TRUE(Ev.Errors.empty());
    ASSERT_EQ(Ev.Ends.size(), 1u);
    EXPECT_TRUE(Ev.Ends[0].second);
    EXPECT_EQ(Ev.Ends[0].first, Out);
    EXPECT_EQ(ReadWholeFile(Out), C.Want);
    if (std::string(C.Archive) == "readme1.txt.gz") {
      EXPECT_EQ(FileAge(Out), kReadmeDate);
    }
    if (std::string(C.Archive) == "data9.bin.gz") {
      EXPECT_EQ(FileAge(Out), FileAge(Arc3Path(C.Archive)));
    }
  }
}

TEST(GzipReader, DamageAndHostileHeaders) {
  TTempDir Tmp;
  const TByteVec Concat = ReadWholeFile(Arc3Path("concat.gz"));
  const TByteVec Data9 = ReadWholeFile(Arc3Path("data9.bin.gz"));
  // data9.bin.gz with a stored name that tries to leave the folder.
  TByteVec Evil(Data9.begin(), Data9.begin() + 10);
  Evil[3] |= 8;
  for (char C : std::string("../../evil.bin")) Evil.push_back(uint8_t(C));
  Evil.push_back(0);
  Evil.insert(Evil.end(), Data9.begin() + 10, Data9.end());
  struct TCase {
    const char* What;
    TByteVec Data;
    std::vector<int> Errors;
    bool Pass;
    const char* Out;  // file expected inside the folder
  };
  auto Edited = [](TByteVec D, size_t At, uint8_t Xor) {
    D[At] ^= Xor;
    return D;
  };
  TByteVec Short(Data9.begin(), Data9.begin() + 12);
  TByteVec CutZ = ReadWholeFile(Arc3Path("big12.Z"));
  CutZ.resize(5001);
  const TCase Cases[] = {
      {"flipped byte in the second member", Edited(Concat, Concat.size() - 300, 0x20), {}, false, "x"},
      {"stored name with ..", Evil, {}, true, "evil.bin"},
      {"shorter than a header and a trailer", Short, {errReadingFile}, false, nullptr},
      {"encrypted flag", Edited(Data9, 3, 0x20), {errPasswordProtected}, false, nullptr},
      {"method 7", Edited(Data9, 2, 0x0F), {errUnsupportedMethod}, false, nullptr},
      // Told, and no part is left to pass for the whole file.
      {"compress file cut short", CutZ, {errReadingFile}, false, nullptr},
      {"compress code size 17", Edited(ReadWholeFile(Arc3Path("big16.Z")), 2, 0x01), {errAmbiguousTree}, false, nullptr},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.What);
    WriteWholeFile(Tmp.Path() + "x.gz", C.Data);
    TTempDir Out;
    TUnGZIP R(nullptr);
    TReaderEvents Ev;
    ExtractInto(R, Ev, Tmp.Path() + "x.gz", Out.Path());
    EXPECT_EQ(Ev.Errors, C.Errors);
    if (C.Out) {
      ASSERT_EQ(Ev.Ends.size(), 1u);
      EXPECT_EQ(Ev.Ends[0].second, C.Pass);
      EXPECT_TRUE(FileExists(Out.Path() + C.Out));
    } else {
      EXPECT_FALSE(FileExists(Out.Path() + "x"));
      EXPECT_FALSE(FileExists(Out.Path() + "data9.bin"));
    }
    EXPECT_FALSE(FileExists(Tmp.Path() + "evil.bin"));
    EXPECT_EQ(Ev.Deactivates, 1);
  }
}

TEST(TarReader, GnuTarFormatsExtractByteIdentical) {
  TUtc Utc;
  const std::string Long =
      "docs\\sub\\a_rather_long_folder_name_that_goes_on_and_on_and_on\\and_a_file_name_long_enough_to_need_more.txt";
  const std::string Long2 =
      "docs\\a_single_file_name_longer_than_one_hundred_characters_which_plain_ustar_cannot_hold_in_its_name_field.txt";
  for (const char* Archive : {"ustar.tar", "gnu.tar", "pax.tar"}) {
    SCOPED_TRACE(Archive);
    TTempDir Tmp;
    TUnTAR R(nullptr);
    TReaderEvents Ev;
    ExtractInto(R, Ev, Arc3Path(Archive), Tmp.Path());
    EXPECT_TRUE(Ev.Errors.empty());
    EXPECT_EQ(ReadWholeFile(Tmp.Path() + "readme.txt"), Src("readme.txt"));
    EXPECT_EQ(ReadWholeFile(Tmp.Path() + "data.bin"), Src("data.bin"));
    EXPECT_EQ(FileAge(Tmp.Path() + "readme.txt"), kReadmeDate);
    const bool Ustar = std::string(Archive) == "ustar.tar";
    EXPECT_EQ(ReadWholeFile(Tmp.Path() + Long), Src(BackslashToSlash(Long)));
    if (!Ustar) {
      EXPECT_EQ(ReadWholeFile(Tmp.Path() + Long2), Src(BackslashToSlash(Long2)));
      EXPECT_EQ(ReadWholeFile(Tmp.Path() + "docs\\sub\\notes.txt"), Src("docs/sub/notes.txt"));
    }
    // Links and the records about names make no file of their own; empty files do.
    EXPECT_FALSE(FileExists(Tmp.Path() + "link.txt"));
    EXPECT_TRUE(FileExists(Tmp.Path() + "empty.txt"));
    EXPECT_TRUE(ReadWholeFile(Tmp.Path() + "empty.txt").empty());
    EXPECT_FALSE(FileExists(Tmp.Path() + "././@LongLink"));
    EXPECT_FALSE(DirectoryExists(Tmp.Path() + "PaxHeaders.0")) ;
    for (auto& E : Ev.Ends) EXPECT_TRUE(E.second);
    EXPECT_EQ(Ev.Ends.size(), Ustar ? 4u : 6u);
  }
}

TEST(TarReader, HostileNamesStayInsideAndTruncationIsAnError) {
  TTempDir Root;
  CreateDir(Root.Path() + "out");
  const std::string Out = Root.Path() + "out\\";
  TUnTAR R(nullptr);
  TReaderEvents Ev;
  ExtractInto(R, Ev, Arc3Path("evil.tar"), Out);
  EXPECT_EQ(ReadWholeFile(Out + "ok.txt"), (TByteVec{'f', 'i', 'n', 'e'}));
  EXPECT_FALSE(FileExists(Root.Path() + "evil1.txt"));
  EXPECT_FALSE(FileExists(Root.Path() + "evil2.txt"));
  EXPECT_FALSE(FileExists(TempDirectory() + "evil1.txt"));
  EXPECT_EQ(Ev.Ends.size(), 4u);
  for (auto& E : Ev.Ends) EXPECT_EQ(E.first.compare(0, Out.size(), Out), 0) << E.first;

  // Cut inside readme.txt's data: told by the entry's name, nothing half-written, and the
  // run returns.
  TByteVec Tar = ReadWholeFile(Arc3Path("gnu.tar"));
  Tar.resize(512 + 2000);
  WriteWholeFile(Root.Path() + "cut.tar", Tar);
  TTempDir Tmp;
  TUnTAR R2(nullptr);
  TReaderEvents Ev2;
  EXPECT_NO_THROW(ExtractInto(R2, Ev2, Root.Path() + "cut.tar", Tmp.Path()));
  EXPECT_EQ(Ev2.Errors, std::vector<int>{errReadingFile});
  EXPECT_EQ(Ev2.ErrorNames, std::vector<std::string>{"readme.txt"});
  EXPECT_FALSE(FileExists(Tmp.Path() + "readme.txt"));
  EXPECT_EQ(Ev2.Deactivates, 1);

  // A damaged header (bad checksum) ends the walk with its error, not with garbage files.
  Tar = ReadWholeFile(Arc3Path("gnu.tar"));
  Tar[512 * 9 + 5] ^= 0x40;
  WriteWholeFile(Root.Path() + "bad.tar", Tar);
  TTempDir Tmp3;
  TUnTAR R3(nullptr);
  TReaderEvents Ev3;
  ExtractInto(R3, Ev3, Root.Path() + "bad.tar", Tmp3.Path());
  EXPECT_EQ(Ev3.Errors, std::vector<int>{errBadFileHeader});
  EXPECT_EQ(ReadWholeFile(Tmp3.Path() + "readme.txt"), Src("readme.txt"));
}

TEST(TarReader, HeaderFields) {
  uint8_t F[12] = {'0', '0', '0', '0', '6', '4', '4', ' ', 0, 'x', 'y', 'z'};
  EXPECT_EQ(TarNumber(F, 12), 420);
  uint8_t B[12] = {0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2};
  EXPECT_EQ(TarNumber(B, 12), 258);
  B[0] = 0xFF;
  EXPECT_EQ(TarNumber(B, 12), -1);
  std::string Name;
  int64_t Size = -1;
  uint32_t Time = 0;
  ApplyPaxRecords("30 mtime=1234567890.123456789\n21 path=dir/long.txt\n11 size=77\n9 bad\n", &Name, &Size, &Time);
  EXPECT_EQ(Name, "dir/long.txt");
  EXPECT_EQ(Size, 77);
  EXPECT_EQ(Time, 1234567890u);
  ApplyPaxRecords("99999999999999999999 path=x\n", &Name, &Size, &Time);  // a length past the data
  EXPECT_EQ(Name, "dir/long.txt");
}

}  // namespace
