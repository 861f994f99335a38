// ZIP archives that real tools write and the engine once got wrong: UTF-8 names, Zip64
// records, self-extractors with unadjusted offsets, archives without entries, damaged
// name lengths, methods and encryption the decoders lack, empty folders. Each goes through
// the lister and the reader, which have to agree.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "archive/core/le_bytes.h"
#include "archive/core/un_zip.h"
#include "archive/core/zip_format.h"
#include "lister_test_util.h"
#include "old_readers_test_util.h"

namespace {

struct TZipItem {
  std::string Name;  // stored bytes
  std::string Data;
  uint16_t Flags = 0;
  uint16_t MadeBy = 20;  // host 0 (DOS), version 2.0
  uint16_t Method = 0;   // stored; other methods keep the data as given
  uint32_t Attr = 0;
  bool Zip64 = false;  // sizes and offset in the Zip64 extra field
};

struct TZipShape {
  bool Zip64End = false;  // Zip64 end record and locator
  size_t Stub = 0;        // bytes put in front without adjusting the offsets
};

void Add16(TByteVec& B, uint32_t V) { B.push_back(uint8_t(V)), B.push_back(uint8_t(V >> 8)); }
void Add32(TByteVec& B, uint32_t V) { Add16(B, V), Add16(B, V >> 16); }
void Add64(TByteVec& B, uint64_t V) { Add32(B, uint32_t(V)), Add32(B, uint32_t(V >> 32)); }
void AddText(TByteVec& B, const std::string& S) { B.insert(B.end(), S.begin(), S.end()); }

TByteVec BuildZip(const std::vector<TZipItem>& Items, TZipShape Shape = {}) {
  TByteVec Z, Dir;
  for (const TZipItem& I : Items) {
    uint32_t Crc = 0xFFFFFFFF;
    UpdateCrc32(I.Data.data(), I.Data.size(), Crc);
    Crc = ~Crc;
    const uint32_t Size = I.Zip64 ? 0xFFFFFFFF : uint32_t(I.Data.size());
    TByteVec X;  // the Zip64 extra field: unpacked, packed (and the offset, central only)
    if (I.Zip64) Add16(X, 1), Add16(X, 16), Add64(X, I.Data.size()), Add64(X, I.Data.size());
    const uint32_t Offset = uint32_t(Z.size());
    Add32(Z, ZipLocalSig), Add16(Z, 20), Add16(Z, I.Flags), Add16(Z, I.Method), Add32(Z, 0x52A36000);
    Add32(Z, Crc), Add32(Z, Size), Add32(Z, Size), Add16(Z, uint16_t(I.Name.size())), Add16(Z, uint16_t(X.size()));
    AddText(Z, I.Name), Z.insert(Z.end(), X.begin(), X.end()), AddText(Z, I.Data);
    if (I.Zip64) X[2] = 24, Add64(X, Offset);
    Add32(Dir, ZipCentralSig), Add16(Dir, I.MadeBy), Add16(Dir, 20), Add16(Dir, I.Flags), Add16(Dir, I.Method);
    Add32(Dir, 0x52A36000), Add32(Dir, Crc), Add32(Dir, Size), Add32(Dir, Size);
    Add16(Dir, uint16_t(I.Name.size())), Add16(Dir, uint16_t(X.size())), Add16(Dir, 0), Add16(Dir, 0), Add16(Dir, 0);
    Add32(Dir, I.Attr), Add32(Dir, I.Zip64 ? 0xFFFFFFFF : Offset);
    AddText(Dir, I.Name), Dir.insert(Dir.end(), X.begin(), X.end());
  }
  const uint64_t DirAt = Z.size();
  Z.insert(Z.end(), Dir.begin(), Dir.end());
  if (Shape.Zip64End) {
    const uint64_t RecAt = Z.size();
    Add32(Z, ZipEnd64Sig), Add64(Z, 44), Add16(Z, 45), Add16(Z, 45), Add32(Z, 0), Add32(Z, 0);
    Add64(Z, Items.size()), Add64(Z, Items.size()), Add64(Z, Dir.size()), Add64(Z, DirAt);
    Add32(Z, ZipLocator64Sig), Add32(Z, 0), Add64(Z, RecAt), Add32(Z, 1);
  }
  const bool Big = Shape.Zip64End;
  Add32(Z, ZipEndSig), Add16(Z, 0), Add16(Z, 0);
  Add16(Z, Big ? 0xFFFF : uint16_t(Items.size())), Add16(Z, Big ? 0xFFFF : uint16_t(Items.size()));
  Add32(Z, Big ? 0xFFFFFFFF : uint32_t(Dir.size())), Add32(Z, Big ? 0xFFFFFFFF : uint32_t(DirAt)), Add16(Z, 0);
  if (Shape.Stub) {
    TByteVec Stub(Shape.Stub, 0x90);
    Stub[0] = 'M', Stub[1] = 'Z';
    Z.insert(Z.begin(), Stub.begin(), Stub.end());
  }
  return Z;
}

// What the reader made of an archive: the files under Out (relative names, contents),
// the folders, and its events.
struct TExtracted {
  std::map<std::string, std::string> Files;
  std::set<std::string> Folders;
  TReaderEvents Ev;
  std::vector<std::string> MsgEx;
};

void Collect(const std::string& Root, const std::string& Rel, TExtracted& X) {
  TSearchRec Rec;
  if (FindFirst(Root + Rel + "*", faAnyFile, Rec) != 0) return;
  do {
    if (Rec.Name == "." || Rec.Name == "..") continue;
    if (Rec.Attr & faDirectory) {
      X.Folders.insert(Rel + Rec.Name);
      Collect(Root, Rel + Rec.Name + "\\", X);
    } else {
      const TByteVec B = ReadWholeFile(Root + Rel + Rec.Name);
      X.Files[Rel + Rec.Name] = std::string(B.begin(), B.end());
    }
  } while (FindNext(Rec) == 0);
  FindClose(Rec);
}

TExtracted Extract(const std::string& Archive, const std::string& Out) {
  TExtracted X;
  TUnZIP R(nullptr);
  X.Ev.Bind(R);
  R.OnError = [&](TObject*, const std::string& FN, const std::string& MsgEx, const std::string&, int E) {
    X.Ev.Errors.push_back(E);
    X.Ev.ErrorNames.push_back(FN);
    X.MsgEx.push_back(MsgEx);
  };
  R.SetArchiveFile(Archive);
  R.SetExtractDir(Out);
  R.Extract();
  Collect(Out, "", X);
  return X;
}

std::string WriteZip(const TTempDir& Tmp, const TByteVec& Zip, const std::string& Name = "t.zip") {
  WriteWholeFile(Tmp.Path() + Name, Zip);
  return Tmp.Path() + Name;
}

// "Привет" in UTF-8 and in the DOS code page 866; the 1251 form is what a user sees.
const std::string kUtf8 = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
const std::string kOem = "\x8F\xE0\xA8\xA2\xA5\xE2";
const std::string kAnsi = "\xCF\xF0\xE8\xE2\xE5\xF2";

}  // namespace

TEST(ZipFormat, NamesByFlagHostAndContent) {
  struct TCase {
    const char* What;
    std::string Stored;
    uint16_t Flags, MadeBy;
    std::string Shown;
  } Cases[] = {
      {"UTF-8 flag", kUtf8 + ".txt", 0x800, 20, kAnsi + ".txt"},
      {"Unix tool, UTF-8 without the flag", kUtf8 + ".txt", 0, 0x31E, kAnsi + ".txt"},
      {"DOS tool, code page 866", kOem + ".txt", 0, 20, kAnsi + ".txt"},
      {"Unix tool, not UTF-8", kOem + ".txt", 0, 0x31E, kAnsi + ".txt"},
      {"a character 1251 lacks", "a\xE6\x97\xA5" "b.txt", 0x800, 20, "a_b.txt"},
      {"folders", "dir/" + kUtf8 + ".txt", 0x800, 20, "dir\\" + kAnsi + ".txt"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.What);
    EXPECT_EQ(ZipEntryName(C.Stored, C.Flags, C.MadeBy), C.Shown);
    TTempDir Tmp;
    TZipItem I;
    I.Name = C.Stored, I.Data = "data", I.Flags = C.Flags, I.MadeBy = C.MadeBy;
    const std::string Path = WriteZip(Tmp, BuildZip({I}));
    const TListing L = ListArchive(Path);
    ASSERT_EQ(L.Entries.size(), 1u);
    EXPECT_EQ(L.Entries[0].Name, C.Shown);
    const TExtracted X = Extract(Path, Tmp.Path() + "out\\");
    EXPECT_TRUE(X.Ev.Errors.empty());
    EXPECT_EQ(X.Files, (std::map<std::string, std::string>{{C.Shown, "data"}}));
  }
}

TEST(ZipFormat, DirectoriesTheListerAndTheReaderBothFind) {
  const std::vector<TZipItem> Two = {{"a.txt", "first"}, {"b.txt", "second"}};
  struct TCase {
    const char* What;
    TByteVec Zip;
  } Cases[] = {
      {"plain", BuildZip(Two)},
      {"Zip64 records", BuildZip(Two, {true, 0})},
      {"Zip64 entries", BuildZip({{"a.txt", "first", 0, 20, 0, 0, true}, {"b.txt", "second", 0, 20, 0, 0, true}},
                                 {true, 0})},
      {"self-extractor, offsets not adjusted", BuildZip(Two, {false, 700})},
      {"self-extractor with Zip64 records", BuildZip(Two, {true, 700})},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.What);
    TTempDir Tmp;
    const std::string Path = WriteZip(Tmp, C.Zip, "t.exe");
    const TListing L = ListArchive(Path);
    EXPECT_TRUE(L.Result);
    EXPECT_TRUE(L.Errors.empty());
    ASSERT_EQ(L.Entries.size(), 2u);
    EXPECT_EQ(L.Entries[1].Name, "b.txt");
    EXPECT_EQ(L.Entries[1].Unpacked, 6);
    const TExtracted X = Extract(Path, Tmp.Path() + "out\\");
    EXPECT_TRUE(X.Ev.Errors.empty());
    EXPECT_EQ(X.Files, (std::map<std::string, std::string>{{"a.txt", "first"}, {"b.txt", "second"}}));
  }
}

TEST(ZipFormat, AnArchiveWithoutEntries) {
  TTempDir Tmp;
  const std::string Path = WriteZip(Tmp, BuildZip({}));
  ASSERT_EQ(ReadWholeFile(Path).size(), 22u);
  const TListing L = ListArchive(Path);
  EXPECT_TRUE(L.Result);
  EXPECT_TRUE(L.Errors.empty());
  EXPECT_TRUE(L.Entries.empty());
  const TExtracted X = Extract(Path, Tmp.Path() + "out\\");
  EXPECT_TRUE(X.Ev.Errors.empty());
  EXPECT_EQ(X.Ev.Activates, 1);
  EXPECT_TRUE(X.Files.empty());
}

TEST(ZipFormat, ANameLengthPastTheDirectoryIsToldAndTheRestRead) {
  TTempDir Tmp;
  TByteVec Z = BuildZip({{"a.txt", "first"}, {"bad.txt", "second"}, {"c.txt", "third"}});
  // The second central header's name length runs far past the directory.
  const size_t At = Z.size() - 22 - (51 + 53 + 51) + 51;
  ASSERT_EQ(le::Get32(&Z[At]), ZipCentralSig);
  le::Put16(&Z[At + 28], 0x7000);
  const std::string Path = WriteZip(Tmp, Z);
  const TListing L = ListArchive(Path);
  EXPECT_EQ(L.Errors, std::vector<int>{errBadFileHeader});
  ASSERT_EQ(L.Entries.size(), 2u);
  EXPECT_EQ(L.Entries[1].Name, "c.txt");
  const TExtracted X = Extract(Path, Tmp.Path() + "out\\");
  EXPECT_EQ(X.Ev.Errors, std::vector<int>{errBadFileHeader});
  ASSERT_EQ(X.Ev.ErrorNames.size(), 1u);
  EXPECT_EQ(X.Ev.ErrorNames[0].substr(0, 7), "bad.txt");
  EXPECT_EQ(X.Files, (std::map<std::string, std::string>{{"a.txt", "first"}, {"c.txt", "third"}}));
}

TEST(ZipFormat, MethodsAndEncryptionTheDecodersLackLeaveNothing) {
  TTempDir Tmp;
  TZipItem Deflate64{"d64.bin", "xxxx", 0, 20, 9}, BZip2{"bz2.bin", "xxxx", 0, 20, 12};
  TZipItem Aes{"aes.bin", "xxxxxxxxxxxxxxxxxxxxxxxxxxxx", 1, 20, 99};
  const std::string Path = WriteZip(Tmp, BuildZip({Deflate64, {"ok.txt", "fine"}, BZip2, Aes}));
  const TExtracted X = Extract(Path, Tmp.Path() + "out\\");
  EXPECT_EQ(X.Ev.Errors, (std::vector<int>{errUnsupportedMethod, errUnsupportedMethod, errUnsupportedMethod}));
  ASSERT_EQ(X.MsgEx.size(), 3u);
  EXPECT_EQ(X.MsgEx[2], "unsupported encryption (AES)");
  EXPECT_EQ(X.Files, (std::map<std::string, std::string>{{"ok.txt", "fine"}}));
}

TEST(ZipFormat, FoldersAreCreatedEvenWhenEmpty) {
  TTempDir Tmp;
  const std::string Path =
      WriteZip(Tmp, BuildZip({{"empty/", ""}, {"dos", "", 0, 20, 0, faDirectory}, {"full/f.txt", "f"}, {"zero.txt", ""}}));
  const TExtracted X = Extract(Path, Tmp.Path() + "out\\");
  EXPECT_TRUE(X.Ev.Errors.empty());
  EXPECT_EQ(X.Folders, (std::set<std::string>{"dos", "empty", "full"}));
  EXPECT_EQ(X.Files, (std::map<std::string, std::string>{{"full\\f.txt", "f"}, {"zero.txt", ""}}));
  // No folders without stored folder names.
  TTempDir Flat;
  TUnZIP R(nullptr);
  R.SetArchiveFile(Path);
  R.SetExtractDir(Flat.Path());
  R.SetUseStoredDirs(false);
  R.Extract();
  EXPECT_FALSE(DirectoryExists(Flat.Path() + "empty"));
  EXPECT_TRUE(FileExists(Flat.Path() + "f.txt"));
}

TEST(ZipFormat, ArchivesOfRealToolsWithRussianNames) {
  struct TCase {
    const char* Archive;
    std::map<std::string, std::string> Files;
    std::set<std::string> Folders;
  } Cases[] = {
      {"unix-utf8.zip", {{kAnsi + ".txt", "utf"}}, {}},
      {"unix-cp866.zip", {{kAnsi + ".dos", "oem"}}, {}},
      {"flag-utf8.zip", {{kAnsi + ".txt", "flag"}}, {}},
      {"zip64.zip", {{kAnsi + ".txt", "utf"}}, {"empty"}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Archive);
    TTempDir Tmp;
    const std::string Path = FixturePath(std::string("zipnames/") + C.Archive);
    const TExtracted X = Extract(Path, Tmp.Path());
    EXPECT_TRUE(X.Ev.Errors.empty());
    EXPECT_EQ(X.Files, C.Files);
    EXPECT_EQ(X.Folders, C.Folders);
    const TListing L = ListArchive(Path);
    EXPECT_TRUE(L.Result);
    EXPECT_TRUE(L.Errors.empty());
    std::set<std::string> Listed, Made;
    for (const TListed& E : L.Entries) Listed.insert(E.Name);
    for (const auto& F : C.Files) Made.insert(F.first);
    for (const std::string& D : C.Folders) Made.insert(D + "\\");
    EXPECT_EQ(Listed, Made);
  }
}

// The block buffer of the central directory gives what the file gives at every place,
// whether a read fits the buffer, straddles its end, runs past the file or is larger.
TEST(ZipFormat, BufferedInputReadsWhatTheFileHolds) {
  TTempDir Dir;
  std::string Data(1000, '\0');
  for (size_t i = 0; i < Data.size(); i++) Data[i] = char(i * 7 + i / 251);
  WriteWholeFile(Dir.Path() + "f.bin", Data);
  TArcFile F;
  ASSERT_TRUE(F.OpenRead(Dir.Path() + "f.bin"));
  TBufferedArcInput In(F, 64);
  EXPECT_EQ(In.Size(), 1000);
  struct {
    int64_t Pos;
    int32_t Count;
  } Cases[] = {{0, 46}, {40, 20}, {10, 14}, {60, 10}, {0, 64}, {5, 200}, {990, 30}, {1000, 4}, {900, 46}, {3, 1}};
  for (const auto& C : Cases) {
    std::string Got(size_t(C.Count), '\0');
    const int32_t N = In.ReadAt(C.Pos, Got.data(), C.Count);
    const int64_t Want = std::max<int64_t>(0, std::min<int64_t>(C.Count, 1000 - C.Pos));
    ASSERT_EQ(N, Want) << C.Pos << " " << C.Count;
    EXPECT_EQ(Got.substr(0, size_t(N)), Data.substr(size_t(C.Pos), size_t(N))) << C.Pos << " " << C.Count;
    F.Seek(500);  // others move the file between reads
  }
}
