#include "archive/core/arc_base.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "arc_test_util.h"

namespace {

// A made-up archive format that lets the tests drive the extraction driver: per entry a
// 16-bit name length, the name, then size, CRC-32, DOS date and attributes (32 bits
// each), then the stored data. Files are named .uue, a kind that junk bytes get.
struct TTestEntry {
  std::string Name, Data;
  uint32_t DosDate = 0x2A4320A3;  // 3 February 2001 04:05:06
  uint32_t Attr = 0;
  bool BadCrc = false;
};

TByteVec MakeTestArchive(const std::vector<TTestEntry>& Entries) {
  TByteVec b;
  auto put32 = [&b](uint32_t v) {
    for (int k = 0; k < 4; ++k) b.push_back(uint8_t(v >> (8 * k)));
  };
  for (const TTestEntry& e : Entries) {
    b.push_back(uint8_t(e.Name.size())), b.push_back(uint8_t(e.Name.size() >> 8));
    b.insert(b.end(), e.Name.begin(), e.Name.end());
    uint32_t crc = 0xFFFFFFFF;
    UpdateCrc32(e.Data.data(), e.Data.size(), crc);
    put32(uint32_t(e.Data.size()));
    put32(~crc ^ (e.BadCrc ? 1u : 0u));
    put32(e.DosDate);
    put32(e.Attr);
    b.insert(b.end(), e.Data.begin(), e.Data.end());
  }
  return b;
}

class TTestReader : public TUnBase {
public:
  using TUnBase::TUnBase;
  static const TClassInfo* StaticClassInfo() {
    static const TClassInfo Info = [] {
      TClassBuilder<TTestReader, TUnBase> b("TTestReader");
      return PublishReaderProperties(b).Build();
    }();
    return &Info;
  }
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

protected:
  void ExtractIt() override {
    HeaderPos = 1;
    RunExtraction({atUUE});
  }
  TEntryStep ReadEntryHeader(TArcEntry& E) override {
    const int64_t pos = HeaderPos - 1;
    if (pos + 2 > ArcFileSize) return esEnd;
    ArcFile.Seek(pos);
    uint8_t len[2];
    ArcFile.ReadExact(len, 2);
    std::string stored(size_t(len[0] | len[1] << 8), '\0');
    ArcFile.ReadExact(stored.data(), int32_t(stored.size()));
    E.Name = OemToAnsiName(stored);
    uint8_t h[16];
    ArcFile.ReadExact(h, 16);
    auto get = [&h](int at) { return uint32_t(h[at]) | uint32_t(h[at + 1]) << 8 | uint32_t(h[at + 2]) << 16 | uint32_t(h[at + 3]) << 24; };
    E.PackedSize = E.UnpackedSize = get(0);
    E.StoredCrc = get(4);
    E.Date = ConvertDate(get(8));
    E.Attr = get(12);
    E.CrcKind = 32;
    E.DataPos = ArcFile.Position();
    HeaderPos = E.DataPos + E.PackedSize + 1;
    return esEntry;
  }
};

struct TEvents {
  std::vector<std::string> Begun, Ended, Progress;
  std::vector<int> RecNums, Errors;
  std::vector<bool> Passed;
  int Activated = 0, Deactivated = 0;

  void Bind(TZipCommon& C) {
    C.OnBegin = [this](TObject*, const std::string& FN, int RecNum, bool&) {
      Begun.push_back(FN);
      RecNums.push_back(RecNum);
    };
    C.OnEnd = [this](TObject*, const std::string& FN, bool Pass) {
      Ended.push_back(FN);
      Passed.push_back(Pass);
    };
    C.OnError = [this](TObject*, const std::string&, const std::string&, const std::string&, int Code) {
      Errors.push_back(Code);
    };
    C.OnActivate = [this](TObject*) { ++Activated; };
    C.OnDeactivate = [this](TObject*) { ++Deactivated; };
  }
};

std::string ReadText(const std::string& Name) {
  TByteVec b = ReadWholeFile(Name);
  return std::string(b.begin(), b.end());
}

}  // namespace

TEST(ArcComponents, PropertiesAndDefaults) {
  TTestReader r(nullptr);
  EXPECT_EQ(r.ArcType(), atNA);
  EXPECT_EQ(r.FileSpec(), "*.*");
  EXPECT_TRUE(r.UseStoredDirs());
  EXPECT_EQ(r.ProgressNotify(), Ten);
  EXPECT_EQ(r.SetDateTo(), sdOrigDate);
  EXPECT_EQ(r.CpuType(), cptAuto);
  EXPECT_EQ(r.StoredDirNames(), sdRelative);
  EXPECT_EQ(r.ZipCmntBufSize(), 0);
  for (auto [in, out] : {std::pair{1, 2000}, {2000, 2000}, {5000, 5000}, {32767, 32767}, {32768, 32767}, {40000, 32767}}) {
    r.SetZipCmntBufSize(in);
    EXPECT_EQ(r.ZipCmntBufSize(), out) << in;
  }
  r.SetFileSpec("");
  EXPECT_EQ(r.FileSpec(), "*.*");
  r.SetFileSpec("dir/a.txt");
  EXPECT_EQ(r.FileSpec(), "dir\\a.txt");
  r.SetExtractDir("out/x");
  EXPECT_EQ(r.ExtractDir(), "out\\x\\");
  r.SetExtractDir("");
  EXPECT_EQ(r.ExtractDir(), "");
  r.SetSetDateTo(sdSysDate);
  EXPECT_EQ(r.Engine.DateMode, sdSysDate);
  r.SetSetDateTo(sdOrigDate);

  TtrvFileAttr* a = r.FileAttribute();
  EXPECT_EQ(a->Attr(), 33);
  EXPECT_TRUE(a->ftArchive() && a->ftReadOnly() && !a->ftHidden() && !a->ftDirectory());
  a->SetftHidden(true);
  a->SetftReadOnly(false);
  a->SetftDirectory(true);  // no bit of its own
  EXPECT_EQ(a->Attr(), 34);
  a->SetftSysFile(true);
  a->SetftVolumeID(true);
  a->SetftArchive(false);
  EXPECT_EQ(a->Attr(), 2 | 4 | 8);

  // Published properties reach the class registry by name.
  for (const char* name : {"ArchiveFile", "OnError", "OnElapsedTime", "CpuType", "ArcType", "FileSpec", "ExtractDir",
                           "UseStoredDirs", "SetDateTo", "ProgressNotify", "OnActivate", "OnDeactivate", "OnProgress",
                           "OnBegin", "OnEnd", "OnFileExists"})
    EXPECT_NE(GetPropInfo(&r, name), nullptr) << name;
  SetEnumProp(&r, "ProgressNotify", "TwentyFive");
  EXPECT_EQ(r.ProgressNotify(), TwentyFive);
  SetStrProp(&r, "FileSpec", "x/*.txt");
  EXPECT_EQ(r.FileSpec(), "x\\*.txt");
  SetEnumProp(&r, "SetDateTo", "sdSysDate");
  EXPECT_EQ(r.SetDateTo(), sdSysDate);
  EXPECT_EQ(GetEnumProp(&r, "ArcType"), "atNA");

  // Progress steps: a share of the size, never 0.
  for (auto [notify, size, step] : {std::tuple{Ten, 1000, 100}, {TwentyFive, 1000, 250}, {Five, 10, 10}, {Ten, 0, 1}}) {
    r.SetProgressNotify(notify);
    r.SetArchiveFile("");
    r.ProgressStepPercent = (int(notify) + 1) * 5;
    EXPECT_EQ(r.ProgressStepFor(size), step) << size;
  }
}

TEST(ArcComponents, CalcRatio) {
  struct {
    int64_t packed, unpacked;
    int expected;
  } cases[] = {{0, 100, 0},  {99, 100, 1},      {100, 100, 0},       {50, 100, 50},        {120, 100, 0},
               {1, 0, 0},    {999999, 1000000, 1}, {100, 300000, 99}, {1, 1000000000, 100}, {25, 100, 75}};
  for (auto& c : cases) EXPECT_EQ(TZipCommon::CalcRatio(c.packed, c.unpacked), c.expected) << c.packed << "/" << c.unpacked;
  EXPECT_TRUE(TZipCommon::HasWildcards("a?.txt"));
  EXPECT_FALSE(TZipCommon::HasWildcards("a.txt"));
}

TEST(ArcComponents, RecognitionThroughArchiveFile) {
  struct {
    const char* file;
    TArcType type;
  } cases[] = {{"plain.zip", atZIP},   {"hello.txt.gz", atGZip}, {"hello.txt.Z", atGZip}, {"plain.tar", atTAR},
               {"label.tar", atTAR},   {"tarfile", atTAR},       {"plain.lzh", atLHA},    {"plain.arj", atARJ},
               {"plain.arc", atARC},   {"stored.arc", atARC},    {"plain.cab", atCAB},    {"hello.uue", atUUE},
               {"sfx.exe", atZipExe},  {"ressfx.exe", atZipExe}, {"hello.txt", atUnknown}};
  TTestReader r(nullptr);
  for (auto& c : cases) {
    const std::string path = FixturePath(c.file);
    r.SetArchiveFile(path);
    EXPECT_EQ(r.ArcType(), c.type) << c.file;
    EXPECT_EQ(r.ArcFileSize, int64_t(ReadWholeFile(path).size())) << c.file;
    if (IsArcTypeValid(c.type)) {
      EXPECT_EQ(r.ArcDate, FileAge(r.ArchiveFile())) << c.file;
      EXPECT_NE(r.ArcDate, 29221) << c.file;
    } else {
      EXPECT_EQ(r.ArcDate, 29221) << c.file;
    }
  }
  r.SetArchiveFile(FixturePath("ressfx.exe"));
  EXPECT_EQ(r.Engine.SfxStartOffset, 4096u);
  EXPECT_EQ(r.ArcStartOffset, 4097);
  r.SetArchiveFile(FixturePath("label.tar"));
  EXPECT_EQ(r.ArcStartOffset, 513);
  EXPECT_EQ(r.Engine.SfxStartOffset, 0u);

  r.SetArchiveFile(FixturePath("no-such-file.zip"));
  EXPECT_EQ(r.ArcType(), atFileOpenErr);
  r.SetArchiveFile("dir/a.zip");
  EXPECT_EQ(r.ArchiveFile(), "dir\\a.zip");
  r.SetArchiveFile("");
  EXPECT_EQ(r.ArcType(), atNA);
  EXPECT_EQ(r.ArchiveFile(), "");
}

TEST(ArcComponents, ProcessFileNameKeepsEntriesInsideExtractDir) {
  TTestReader r(nullptr);
  TEvents ev;
  ev.Bind(r);
  r.SetExtractDir("D:\\OUT\\");
  EXPECT_TRUE(r.ProcessFileName("C:\\DIR\\F.TXT"));
  EXPECT_EQ(r.FileName, "D:\\OUT\\DIR\\F.TXT");
  r.SetUseStoredDirs(false);
  EXPECT_TRUE(r.ProcessFileName("C:\\DIR\\F.TXT"));
  EXPECT_EQ(r.FileName, "D:\\OUT\\F.TXT");
  r.SetUseStoredDirs(true);
  EXPECT_TRUE(r.ProcessFileName("\xAF\xA0\xAF\xAA\xA0/\xE4\xA0\xA9\xAB.txt"));  // 866: "папка/файл.txt"
  EXPECT_EQ(r.FileName, "D:\\OUT\\\xEF\xE0\xEF\xEA\xE0\\\xF4\xE0\xE9\xEB.txt");
  // A relative folder stays relative: it is not the root of the drive.
  r.SetExtractDir("out\\");
  EXPECT_TRUE(r.ProcessFileName("..\\..\\x.txt"));
  EXPECT_EQ(r.FileName, "out\\x.txt");
  EXPECT_TRUE(ev.Errors.empty());
  // Nothing safe left: refused with an error event.
  EXPECT_FALSE(r.ProcessFileName("..\\..\\"));
  EXPECT_EQ(ev.Errors, std::vector<int>{errInvalidFileName});
  EXPECT_TRUE(r.ProcessFileName(""));
  EXPECT_EQ(r.FileName, "");
  // Without an extraction folder: the archive's folder.
  r.SetExtractDir("");
  r.SetArchiveFile("C:\\arc\\x.zip");
  r.SetExtractDir("");
  EXPECT_TRUE(r.ProcessFileName("a.txt"));
  EXPECT_EQ(r.FileName, "C:\\arc\\a.txt");
}

class ArcDriver : public ::testing::Test {
protected:
  void SetUp() override {
    Out = Tmp.Path() + "out\\";
    Archive = Tmp.Path() + "test.uue";
    Entries = {{"a.txt", "first file"},
               {"dir/b.txt", "second file"},
               {"..\\..\\evil.txt", "outside?"},
               {"CON", "device"},
               {"c:/abs/d.bin", std::string(70000, 'z') + "end"},
               {"empty.txt", ""}};
    WriteWholeFile(Archive, MakeTestArchive(Entries));
    Reader.SetArchiveFile(Archive);
    Reader.SetExtractDir(Out);
    Events.Bind(Reader);
  }
  TTempDir Tmp;
  std::string Out, Archive;
  std::vector<TTestEntry> Entries;
  TTestReader Reader{nullptr};
  TEvents Events;
};

TEST_F(ArcDriver, ExtractsEveryEntryInsideTheFolder) {
  ASSERT_EQ(Reader.ArcType(), atUUE);
  std::vector<int> progress;
  Reader.OnProgress = [&](TObject*, const std::string&, uint8_t P) { progress.push_back(P); };
  Reader.Extract();
  EXPECT_EQ(ReadText(Out + "a.txt"), "first file");
  EXPECT_EQ(ReadText(Out + "dir\\b.txt"), "second file");
  EXPECT_EQ(ReadText(Out + "evil.txt"), "outside?");
  EXPECT_EQ(ReadText(Out + "_CON"), "device");
  EXPECT_EQ(ReadText(Out + "abs\\d.bin"), Entries[4].Data);
  EXPECT_TRUE(FileExists(Out + "empty.txt"));
  EXPECT_FALSE(FileExists(Tmp.Path() + "evil.txt"));
  EXPECT_EQ(Events.RecNums, (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(Events.Passed, std::vector<bool>(6, true));
  EXPECT_EQ(Events.Ended[1], Out + "dir\\b.txt");
  EXPECT_TRUE(Events.Errors.empty());
  EXPECT_EQ(Events.Activated, 1);
  EXPECT_EQ(Events.Deactivated, 1);
  EXPECT_EQ(FileAge(Out + "a.txt"), 0x2A4320A3);
  // The 70003-byte entry goes in three blocks, each reported.
  ASSERT_GE(progress.size(), 3u);
  EXPECT_EQ(progress.back(), 100);
  EXPECT_FALSE(Reader.ArcFile.IsOpen());
}

TEST_F(ArcDriver, SelectionSkipsAndStops) {
  // Without wildcards only the first matching entry is extracted.
  Reader.SetFileSpec("dir/b.txt");
  Reader.Extract();
  EXPECT_EQ(Events.Begun, std::vector<std::string>{Out + "dir\\b.txt"});
  EXPECT_FALSE(FileExists(Out + "a.txt"));

  // OnBegin and OnFileExists may refuse an entry.
  Events = TEvents();
  Events.Bind(Reader);
  Reader.SetFileSpec("*.txt");
  Reader.OnBegin = [&](TObject*, const std::string& FN, int RecNum, bool& Extract) {
    Events.RecNums.push_back(RecNum);
    Extract = FN != Out + "a.txt";
  };
  std::vector<std::string> asked;
  Reader.OnFileExists = [&](TObject*, const std::string& FN, TDateTime Date, bool& Accept) {
    asked.push_back(FN);
    EXPECT_NEAR(Date, 36925.0 + (4 * 3600 + 5 * 60 + 6) / 86400.0, 1e-9);
    Accept = false;
  };
  Reader.Extract();
  EXPECT_FALSE(FileExists(Out + "a.txt"));
  EXPECT_EQ(asked, std::vector<std::string>{Out + "dir\\b.txt"});  // it exists from the first run
  // RecNum counts the entries extracted: a.txt was declined, evil.txt is the first.
  EXPECT_EQ(Events.RecNums, (std::vector<int>{1, 1, 2}));  // a.txt, evil.txt, empty.txt
  EXPECT_EQ(Events.Ended, (std::vector<std::string>{Out + "evil.txt", Out + "empty.txt"}));
}

TEST_F(ArcDriver, CrcMismatchReachesOnEnd) {
  Entries[0].BadCrc = true;
  WriteWholeFile(Archive, MakeTestArchive(Entries));
  Reader.SetFileSpec("a.txt");
  Reader.Extract();
  EXPECT_EQ(Events.Passed, std::vector<bool>{false});
}

TEST_F(ArcDriver, ExtractToStream) {
  TMemoryStream stream;
  Reader.ExtractToStream("dir\\b.txt", &stream);
  EXPECT_EQ(stream.Position(), 0);
  ASSERT_EQ(stream.Size(), 11);
  EXPECT_EQ(std::string(static_cast<const char*>(stream.Memory()), 11), "second file");
  EXPECT_EQ(Reader.FileSpec(), "*.*");
  EXPECT_EQ(Reader.Engine.OutStream, nullptr);
  EXPECT_FALSE(DirectoryExists(Out));  // nothing written to files

  EXPECT_NO_THROW(Reader.ExtractToStream("a.txt", nullptr));
  EXPECT_EQ(Events.Errors, std::vector<int>{errUninitializedStream});
}

TEST_F(ArcDriver, BadInputGivesErrorsAndClosesTheArchive) {
  // A truncated archive: the last entry's data end early.
  TByteVec data = MakeTestArchive(Entries);
  data.resize(data.size() - 50000);
  WriteWholeFile(Archive, data);
  Reader.SetArchiveFile(Archive);
  EXPECT_NO_THROW(Reader.Extract());
  EXPECT_EQ(Events.Errors, std::vector<int>{errReadingFile});
  EXPECT_EQ(Events.Deactivated, 1);
  EXPECT_FALSE(Reader.ArcFile.IsOpen());
  EXPECT_FALSE(Reader.OutFile.IsOpen());
  EXPECT_EQ(ReadText(Out + "a.txt"), "first file");

  struct {
    std::string archive;
    int error;
  } cases[] = {{"", errInvalidFileName},
               {FixturePath("plain.zip"), errUnsupportedArcType},
               {FixturePath("missing.uue"), errUnsupportedArcType}};
  for (auto& c : cases) {
    Events.Errors.clear();
    Reader.SetArchiveFile(c.archive);
    EXPECT_NO_THROW(Reader.Extract()) << c.archive;
    EXPECT_EQ(Events.Errors, std::vector<int>{c.error}) << c.archive;
  }
}

TEST_F(ArcDriver, ReadOnlyOutputIsReplacedAndCancelStops) {
  ForceDirectories(Out);
  WriteWholeFile(Out + "a.txt", "old");
  FileSetAttr(Out + "a.txt", faReadOnly);
  Reader.SetFileSpec("a.txt");
  Reader.Extract();
  EXPECT_EQ(ReadText(Out + "a.txt"), "first file");

  // Cancel during the large entry ends the run after its current block, and leaves no part
  // of the entry to pass for the whole file.
  Reader.SetFileSpec("*.*");
  Reader.OnProgress = [&](TObject*, const std::string& FN, uint8_t) {
    if (FN == Out + "abs\\d.bin") Reader.SetCancel(true);
  };
  Events.Ended.clear();
  Reader.Extract();
  EXPECT_EQ(Events.Ended.size(), 5u);  // d.bin ended early; empty.txt never began
  EXPECT_EQ(Events.Passed.back(), false);
  EXPECT_FALSE(FileExists(Out + "abs\\d.bin"));
  EXPECT_TRUE(Reader.Cancel);
}

TEST(ArcComponents, NextVolume) {
  TTempDir tmp;
  WriteWholeFile(tmp.Path() + "ARC.A02", "x");
  TTestReader r(nullptr);
  std::vector<int> errors;
  r.OnError = [&](TObject*, const std::string&, const std::string&, const std::string&, int Code) { errors.push_back(Code); };
  std::string fn = tmp.Path() + "ARC.A02";
  EXPECT_FALSE(r.GetNextVolume(fn, "2"));
  EXPECT_EQ(errors, std::vector<int>{errFileNotFound});

  const std::string saved = GetCurrentDir();
  int asked = 0;
  r.OnNextVolume = [&](TObject*, std::string& Dir, std::string& FN, const std::string& VolumeID, bool FExists, bool& Cancel) {
    ++asked;
    EXPECT_EQ(VolumeID, "2");
    if (asked == 1) {
      EXPECT_FALSE(FExists);
      EXPECT_EQ(FN, "ARC.A03");
      FN = "missing.a03";  // the user names a file that is not there: asked again
    } else {
      EXPECT_EQ(Dir, tmp.Path());
      FN = tmp.Path() + "ARC.A02";
    }
  };
  fn = tmp.Path() + "ARC.A03";
  EXPECT_TRUE(r.GetNextVolume(fn, "2"));
  EXPECT_EQ(fn, tmp.Path() + "ARC.A02");
  EXPECT_EQ(asked, 2);
  r.OnNextVolume = [&](TObject*, std::string&, std::string&, const std::string&, bool FExists, bool& Cancel) {
    EXPECT_TRUE(FExists);
    Cancel = true;
  };
  fn = tmp.Path() + "ARC.A02";
  EXPECT_FALSE(r.GetNextVolume(fn, "2"));
  SetCurrentDir(saved);

  r.SetArchiveFile(FixturePath("plain.arj"));
  r.ParseVolumeExt("X.ARJ");
  EXPECT_EQ(r.MakeNextVolumeName("X.ARJ"), "X.A01");
}

TEST(ArcComponents, FilesAndTemporaryStreams) {
  TTempDir tmp;
  const std::string ro = tmp.Path() + "ro.txt";
  WriteWholeFile(ro, "x");
  FileSetAttr(ro, faReadOnly);
  EXPECT_FALSE(TCompBase::IsWriteableFile(ro));
  EXPECT_FALSE(TCompBase::IsWriteableFile(tmp.Path() + "missing"));
  WriteWholeFile(tmp.Path() + "rw.txt", "x");
  EXPECT_TRUE(TCompBase::IsWriteableFile(tmp.Path() + "rw.txt"));
  EXPECT_FALSE(TCompBase::IsWriteableFile(ExcludeTrailingBackslash(tmp.Path())));

  ArcEngineNow().OutputMode = omToFile;
  TArcFile f;
  ASSERT_TRUE(OpenOutFile(f, ro));  // the read-only attribute goes
  f.Write("new", 3);
  EXPECT_TRUE(CloseFileChecked(f));
  EXPECT_EQ(ReadText(ro), "new");
  ASSERT_TRUE(OpenOutFile(f, tmp.Path() + "a\\b\\c.txt"));  // missing folders are made
  EXPECT_TRUE(CloseFileChecked(f));
  EXPECT_FALSE(CloseFileChecked(f));
  EXPECT_TRUE(FindFileExists(tmp.Path() + "a\\b\\*.txt"));
  EXPECT_FALSE(FindFileExists(tmp.Path() + "a\\b\\*.zip"));
  EXPECT_TRUE(CheckDriveReady("relative\\name"));
  EXPECT_FALSE(OpenInFile(f, tmp.Path() + "missing"));
}

TEST(ArcComponents, ReadsThroughTheReadAheadGiveTheFilesBytes) {
  // Seeks and reads of every size around the read-ahead block: inside it, across its
  // end, past the end of the file, and large reads that bypass it.
  TTempDir tmp;
  const std::string Name = tmp.Path() + "data.bin";
  TByteVec Data(300000);
  for (size_t i = 0; i < Data.size(); i++) Data[i] = uint8_t(i * 131 + (i >> 9));
  WriteWholeFile(Name, Data);
  struct TStep {
    int64_t Seek;  // -1: read on from where the last read ended
    int32_t Count;
  };
  const TStep Steps[] = {{0, 30},      {-1, 1000},   {40, 30},     {65530, 20},  {-1, 70000}, {-1, 10},
                         {131000, 5},  {10, 40000},  {-1, 65536},  {299990, 30}, {-1, 5},     {300000, 1},
                         {350000, 10}, {100, 32767}, {-1, 32768},  {5, 1},       {0, 300000}};
  TArcFile F;
  ASSERT_TRUE(OpenInFile(F, Name));
  EXPECT_EQ(F.Size(), int64_t(Data.size()));
  int64_t At = 0;
  for (const TStep& S : Steps) {
    if (S.Seek >= 0) F.Seek(At = S.Seek);
    TByteVec Got(size_t(S.Count) + 1, 0xEE);
    const int32_t N = F.Read(Got.data(), S.Count);
    const int64_t Want = std::max<int64_t>(0, std::min<int64_t>(S.Count, int64_t(Data.size()) - At));
    ASSERT_EQ(N, Want) << S.Seek << " " << S.Count;
    EXPECT_TRUE(std::equal(Got.begin(), Got.begin() + N, Data.begin() + long(std::min<int64_t>(At, Data.size()))))
        << S.Seek << " " << S.Count;
    EXPECT_EQ(Got[size_t(N)], 0xEE);  // nothing written past what was read
    At += N;
    EXPECT_EQ(F.Position(), At);
  }
  EXPECT_EQ(F.Size(), int64_t(Data.size()));
  EXPECT_TRUE(F.Close());
}

TEST(ArcComponents, CheckReplace) {
  TCompBase w(nullptr);
  TStringList list;
  TCompObject old;
  old.DosDate = 0x2A4320A3;
  old.UncompressedSize = 10;
  old.ExternalAttr = 32;
  list.AddObject("dir\\a.txt", &old);
  int asked = 0;
  bool answer = false;
  w.OnReplaceFile = [&](TObject*, const std::string& OldFN, const std::string& FN, TDateTime, TDateTime, int OldSize,
                        int NewSize, int, int, bool& Replace) {
    ++asked;
    EXPECT_EQ(OldFN, "dir\\a.txt");
    EXPECT_EQ(OldSize, 10);
    EXPECT_EQ(NewSize, 11);
    Replace = answer;
  };
  EXPECT_TRUE(w.CheckReplace(true, &list, "dir\\a.txt", 10, 0x2A4320A3, 32, true));
  EXPECT_TRUE(w.CheckReplace(false, nullptr, "dir\\a.txt", 10, 0x2A4320A3, 32, true));
  EXPECT_TRUE(w.CheckReplace(false, &list, "dir\\b.txt", 10, 0x2A4320A3, 32, true));
  EXPECT_FALSE(w.CheckReplace(false, &list, "DIR\\A.TXT", 10, 0x2A4320A3, 32, true));  // the same file
  EXPECT_FALSE(w.CheckReplace(false, &list, "dir\\a.txt", 11, 0x2A4320A3, 32, false));
  EXPECT_EQ(asked, 0);
  EXPECT_FALSE(w.CheckReplace(false, &list, "dir\\a.txt", 11, 0x2A4320A3, 32, true));
  answer = true;
  EXPECT_TRUE(w.CheckReplace(false, &list, "dir\\a.txt", 11, 0x2A4320A3, 32, true));
  EXPECT_EQ(asked, 2);
}

TEST(ArcComponents, WriterSettings) {
  TCompBase w(nullptr);
  EXPECT_EQ(w.Switch(), swAdd);
  EXPECT_EQ(w.ProgressNotify(), Ten);
  w.AllowedMethods = {cmStore, cmDeflate};
  w.SetCompressMethod(cmDeflate);
  EXPECT_EQ(w.CompressMethod(), cmDeflate);
  w.SetCompressMethod(cmLzx);
  EXPECT_EQ(w.CompressMethod(), cmDeflate);
  w.SetDefaultDir("  ");
  EXPECT_EQ(w.DefaultDir(), IncludeTrailingBackslash(GetCurrentDir()));
  TStringList masks;
  masks.Add("C:/dir/*.txt");
  masks.Add("");
  masks.Add("b.doc");
  w.SetFileSpecList(&masks);
  ASSERT_EQ(w.FileSpecList()->Count(), 2);
  EXPECT_EQ(w.FileSpecList()->Strings(0), "C:\\dir\\*.txt");
  EXPECT_EQ(w.FileSpecList()->Strings(1), "b.doc");
}
