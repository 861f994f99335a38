// Folder names, folder creation and clearing, the block copy with its progress control,
// sizes, attributes and file-name validity, on the real file system.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/core/typinfo.h"
#include "storage/core/file_utils.h"
#include "tests/classlib/temp_folder.h"
#include "ui/core/vcl_utils.h"

namespace {

// A progress control as the copy sees it: the class name and integer properties of the
// class library's progress bar; it records every value it is given.
class TProgressBar : public TObject {
public:
  static const TClassInfo* StaticClassInfo() {
    static const TClassInfo Info = TClassBuilder<TProgressBar, TObject>("TProgressBar")
                                       .Prop("Max", &TProgressBar::Max, &TProgressBar::SetMax)
                                       .Prop("Min", &TProgressBar::Min, &TProgressBar::SetMin)
                                       .Prop("Position", &TProgressBar::Position, &TProgressBar::SetPosition)
                                       .Build();
    return &Info;
  }
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  int Max() const { return FMax; }
  void SetMax(int V) { FMax = V; }
  int Min() const { return FMin; }
  void SetMin(int V) { FMin = V; }
  int Position() const { return FPosition; }
  void SetPosition(int V) {
    FPosition = V;
    Positions.push_back(V);
  }
  std::vector<int> Positions;

private:
  int FMax = 100, FMin = 5, FPosition = 50;
};

class TSmoothProgress : public TProgressBar {
public:
  static const TClassInfo* StaticClassInfo() {
    static const TClassInfo Info = TClassBuilder<TSmoothProgress, TProgressBar>("TSmoothProgress").Build();
    return &Info;
  }
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
};

class TGauge : public TObject {
public:
  static const TClassInfo* StaticClassInfo() {
    static const TClassInfo Info = TClassBuilder<TGauge, TObject>("TGauge")
                                       .Prop("MaxValue", &TGauge::MaxValue)
                                       .Prop("Progress", &TGauge::Progress)
                                       .Build();
    return &Info;
  }
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  int MaxValue = 0;
  int Progress = 0;
};

void WriteFile(const std::string& Name, const std::string& Data) {
  TFileStream S(Name, fmCreate);
  S.WriteBuffer(Data.data(), Data.size());
}

std::string ReadFile(const std::string& Name) {
  TFileStream S(Name, fmOpenRead | fmShareDenyNone);
  std::string Data(static_cast<size_t>(S.Size()), '\0');
  S.ReadBuffer(Data.data(), Data.size());
  return Data;
}

std::vector<std::string> Entries(const std::string& Dir) {
  std::vector<std::string> Names;
  TSearchRec F;
  for (int Code = FindFirst(Dir + "\\*", faAnyFile, F); Code == 0; Code = FindNext(F))
    if (F.Name != "." && F.Name != "..") Names.push_back(F.Name);
  FindClose(F);
  std::sort(Names.begin(), Names.end());
  return Names;
}

}  // namespace

TEST(FileUtils, FolderNames) {
  struct {
    const char* In;
    const char* Normal;
    const char* NoSlash;
  } Cases[] = {
      {"", "", ""},
      {"c", "c:\\", "c"},
      {"Z", "Z:\\", "Z"},
      {"1", "1\\", "1"},
      {"C:", "C:", "C:"},
      {"C:\\", "C:\\", "C:\\"},
      {"C:\\Temp", "C:\\Temp\\", "C:\\Temp"},
      {"C:\\Temp\\", "C:\\Temp\\", "C:\\Temp"},
      {"\\", "\\", "\\"},
      {"ab", "ab\\", "ab"},
  };
  for (auto& C : Cases) {
    EXPECT_EQ(NormalDir(C.In), C.Normal) << C.In;
    EXPECT_EQ(RemoveBackSlash(C.In), C.NoSlash) << C.In;
  }
  EXPECT_EQ(RemoveBackSlash("Temp\\\\"), "Temp\\");  // one backslash only

  for (const char* Bad : {"", "a|b", "a<b", "a>b", "a\"b", "a[1]"}) EXPECT_FALSE(ValidFileName(Bad)) << Bad;
  for (const char* Good : {"C:\\dir\\file.txt", "name with blanks", "\xCF\xF0\xE8\xE2\xE5\xF2.txt"})
    EXPECT_TRUE(ValidFileName(Good)) << Good;
}

TEST(FileUtils, ForceDirectoriesSizesAndAttributes) {
  TTempFolder Dir;
  std::string Deep = Dir / "a\\b\\c\\";
  ForceDirectories(Deep);
  EXPECT_TRUE(DirExists(Dir / "a\\b\\c"));
  ForceDirectories(Deep);  // already there
  ForceDirectories("");
  ForceDirectories("x");  // too short to be anything: nothing happens
  EXPECT_FALSE(DirExists("x"));

  WriteFile(Dir / "f.bin", std::string(12345, 'x'));
  EXPECT_EQ(GetFileSizeByName(Dir / "f.bin"), 12345);
  EXPECT_EQ(GetFileSizeByName(Dir / "missing"), -1);
  EXPECT_EQ(GetFileSizeByName(Dir / "*.bin"), 12345);  // the first entry a search finds

  EXPECT_TRUE(FileHasAttr(Dir / "a", faDirectory));
  EXPECT_FALSE(FileHasAttr(Dir / "f.bin", faDirectory));
  EXPECT_FALSE(FileHasAttr(Dir / "missing", 0));
  FileSetAttr(Dir / "f.bin", faReadOnly);
  EXPECT_TRUE(FileHasAttr(Dir / "f.bin", faReadOnly));
  EXPECT_FALSE(FileHasAttr(Dir / "f.bin", faReadOnly | faDirectory));
}

TEST(FileUtils, ProgressControlsByClass) {
  TProgressBar Bar;
  EXPECT_TRUE(SetProgressMax(&Bar, 200));
  EXPECT_TRUE(SetProgressMin(&Bar, 1));
  EXPECT_TRUE(SetProgressValue(&Bar, 3));
  EXPECT_EQ(Bar.Max(), 200);
  EXPECT_EQ(Bar.Min(), 1);
  EXPECT_EQ(Bar.Position(), 3);

  TSmoothProgress Smooth;  // a descendant is served by its ancestor's row
  EXPECT_TRUE(SetProgressValue(&Smooth, 9));
  EXPECT_EQ(Smooth.Position(), 9);

  TGauge Gauge;
  EXPECT_TRUE(SetProgressMax(&Gauge, 10));
  EXPECT_FALSE(SetProgressMin(&Gauge, 1));  // this gauge has no MinValue
  EXPECT_TRUE(SetProgressValue(&Gauge, 4));
  EXPECT_EQ(Gauge.MaxValue, 10);
  EXPECT_EQ(Gauge.Progress, 4);

  TObject Plain;
  EXPECT_FALSE(SetProgressMax(&Plain, 1));
  EXPECT_FALSE(SetProgressMax(nullptr, 1));
  EXPECT_EQ(ResStr("text"), "text");
}

TEST(FileUtils, CopyWithProgress) {
  TTempFolder Dir;
  std::string Data;
  for (int I = 0; I < 20000; ++I) Data += static_cast<char>(I * 7);
  WriteFile(Dir / "src.bin", Data);
  FileSetDate(Dir / "src.bin", DateTimeToFileDate(EncodeDate(2001, 2, 3) + EncodeTime(4, 5, 6, 0)));

  TProgressBar Bar;
  CopyFileWithProgress(Dir / "src.bin", Dir / "sub\\deeper\\dst.bin", &Bar);  // folders are made
  EXPECT_EQ(ReadFile(Dir / "sub\\deeper\\dst.bin"), Data);
  EXPECT_EQ(FileAge(Dir / "sub\\deeper\\dst.bin"), FileAge(Dir / "src.bin"));
  EXPECT_EQ(Bar.Max(), 20000);
  EXPECT_EQ(Bar.Min(), 0);
  EXPECT_EQ(Bar.Positions, (std::vector<int>{0, 8192, 16384, 20000, 0}));
  EXPECT_EQ(Entries(Dir / "sub\\deeper"), std::vector<std::string>{"dst.bin"});  // no temporary left

  // Into an existing folder: the file of the same name; an existing target is replaced.
  WriteFile(Dir / "sub\\src.bin", "old");
  CopyFileWithProgress(Dir / "src.bin", Dir / "sub", nullptr);
  EXPECT_EQ(ReadFile(Dir / "sub\\src.bin"), Data);
  EXPECT_EQ(Entries(Dir / "sub"), (std::vector<std::string>{"deeper", "src.bin"}));

  // An empty file: an empty target, the progress moved to 0 and back.
  WriteFile(Dir / "empty", "");
  TProgressBar Empty;
  CopyFileWithProgress(Dir / "empty", Dir / "empty2", &Empty);
  EXPECT_EQ(ReadFile(Dir / "empty2"), "");
  EXPECT_EQ(Empty.Positions, (std::vector<int>{0, 0}));

  // Onto itself, by any spelling: refused before anything is written; the data stays.
  for (const std::string& Self : {Dir / "src.bin", Dir / "sub\\..\\src.bin"}) {
    EXPECT_THROW(CopyFileWithProgress(Dir / "src.bin", Self, nullptr), EFCreateError);
    EXPECT_EQ(ReadFile(Dir / "src.bin"), Data);
  }
  EXPECT_THROW(CopyFileWithProgress(Dir / "src.bin", Dir.Path(), nullptr), EFCreateError);  // into its own folder
  EXPECT_EQ(ReadFile(Dir / "src.bin"), Data);
}

TEST(FileUtils, FailedCopiesLeaveTheTargetAsItWas) {
  TTempFolder Dir;
  WriteFile(Dir / "src", "new data");
  WriteFile(Dir / "ro", "read-only target");
  FileSetAttr(Dir / "ro", faReadOnly);
  try {
    CopyFileWithProgress(Dir / "src", Dir / "ro", nullptr);
    ADD_FAILURE() << "copied over a read-only file";
  } catch (const EFCreateError& E) {
    EXPECT_EQ(E.Message(), "Cannot create file " + (Dir / "ro"));
  }
  EXPECT_EQ(ReadFile(Dir / "ro"), "read-only target");

  try {
    CopyFileWithProgress(Dir / "missing", Dir / "t", nullptr);
    ADD_FAILURE() << "copied a missing file";
  } catch (const EFOpenError& E) {
    EXPECT_EQ(E.Message(), "Cannot open file " + (Dir / "missing"));
  }
  EXPECT_FALSE(FileExists(Dir / "t"));

  CreateDir(Dir / "folder");
  WriteFile(Dir / "target", "keep me");
  EXPECT_THROW(CopyFileWithProgress(Dir / "folder", Dir / "target", nullptr), EStreamError);
#ifndef _WIN32
  // A source that opens but cannot be read: the copy fails after the temporary file was
  // made. (The Windows tests fail a copy half way through a locked region.)
  EXPECT_THROW(CopyFileWithProgress("\\proc\\self\\mem", Dir / "target", nullptr), EReadError);
#endif
  EXPECT_EQ(ReadFile(Dir / "target"), "keep me");
  EXPECT_EQ(Entries(Dir.Path()), (std::vector<std::string>{"folder", "ro", "src", "target"}));
}

TEST(FileUtils, ClearDir) {
  TTempFolder Dir;
  std::string Root = Dir / "root";
  ForceDirectories(Root + "\\sub\\subsub");
  WriteFile(Root + "\\a.txt", "a");
  WriteFile(Root + "\\sub\\b.txt", "b");
  WriteFile(Root + "\\sub\\subsub\\c.txt", "c");
  WriteFile(Root + "\\sub\\ro.txt", "r");
  FileSetAttr(Root + "\\sub\\ro.txt", faReadOnly);

  // Without Delete: every file goes, the folders stay.
  EXPECT_TRUE(ClearDir(Root, false));
  EXPECT_EQ(Entries(Root), std::vector<std::string>{"sub"});
  EXPECT_EQ(Entries(Root + "\\sub"), std::vector<std::string>{"subsub"});
  // With Delete: the folder itself goes too.
  EXPECT_TRUE(ClearDir(Root + "\\", true));
  EXPECT_FALSE(DirExists(Root));
  EXPECT_FALSE(ClearDir(Root, true));  // not a folder

  // A name beginning with "." is left alone, so the folder cannot be removed.
  ForceDirectories(Root);
  WriteFile(Root + "\\.profile", "p");
  WriteFile(Root + "\\x", "x");
  EXPECT_FALSE(ClearDir(Root, true));
  EXPECT_EQ(Entries(Root), std::vector<std::string>{".profile"});
}

#ifndef _WIN32
// A link to a folder is removed as a link; the folder it points at keeps its files. (Under
// Wine the same is tested by the Windows tests, with a link the test makes there.)
TEST(FileUtils, ClearDirNeverFollowsFolderLinks) {
  TTempFolder Dir;
  ForceDirectories(Dir / "outside");
  WriteFile(Dir / "outside\\precious.txt", "p");
  ForceDirectories(Dir / "root\\sub");
  WriteFile(Dir / "root\\sub\\x", "x");
  namespace fs = std::filesystem;
  auto Native = [](const std::string& S) {
    std::string U = S;
    std::replace(U.begin(), U.end(), '\\', '/');
    return fs::path(U);
  };
  fs::create_directory_symlink(Native(Dir / "outside"), Native(Dir / "root\\sub\\link"));
  for (bool Delete : {false, true}) {
    EXPECT_TRUE(ClearDir(Dir / "root", Delete));
    EXPECT_EQ(Entries(Dir / "outside"), std::vector<std::string>{"precious.txt"});
    if (!Delete) {
      EXPECT_EQ(Entries(Dir / "root\\sub"), std::vector<std::string>{});
      fs::create_directory_symlink(Native(Dir / "outside"), Native(Dir / "root\\sub\\link"));
    }
  }
  EXPECT_FALSE(DirExists(Dir / "root"));
}
#endif
