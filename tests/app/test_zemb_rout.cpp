// The portable shared routines: file kinds, string helpers, command lines, new names.
#include <gtest/gtest.h>

#include <string>

#include "app/core/zemb_rout.h"
#include "archive/core/arc_type.h"
#include "classlib/core/code_page.h"
#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "tests/classlib/temp_folder.h"

namespace {

TEST(ZembRout, FileKindsByExtension) {
  const struct {
    const char* Name;
    bool (*Test)(std::string_view);
    bool Expected;
  } Rows[] = {
      {"photo.Jpeg", IsPictureFile, true},     {"a.ico", IsPictureFile, true},      {"a.png", IsPictureFile, false},
      {"archive.tar.gz", IsArchiveFile, true}, {"x.tar", IsArchiveFile, true},      {"x.gz.txt", IsArchiveFile, false},
      {"README", IsTextFile, false},           {"README", IsArchiveFile, false},    {"run.Cmd", IsExecutableFile, true},
      {"x.exe.bak", IsExecutableFile, false},  {"page.SHTML", IsHtmlFile, true},    {"page.htmlx", IsHtmlFile, false},
      {"song.xmz", IsMusicFile, true},         {"doc.pdf", IsTextFile, true},       {"C:\\a.b\\file", IsTextFile, false},
      {"song.mp4", IsMusicFile, false},        {"\xE0\xE1.GIF", IsPictureFile, true}, {".txt", IsTextFile, true},
  };
  for (const auto& R : Rows) EXPECT_EQ(R.Test(R.Name), R.Expected) << R.Name;
}

TEST(ZembRout, CutString) {
  const struct {
    const char* S;
    int N;
    const char* Expected;
  } Rows[] = {{"abc.syn", -4, "abc"}, {"abc", 5, ""}, {"abc", -5, ""}, {"abc", 3, ""}, {"abc", 0, "abc"},
              {"abc", 1, "bc"},       {"", -1, ""},   {"abc", -1, "ab"}};
  for (const auto& R : Rows) {
    std::string Out = "junk";
    CutString(R.S, R.N, Out);
    EXPECT_EQ(Out, R.Expected) << R.S << " " << R.N;
  }
}

TEST(ZembRout, SameTextStartIsSymmetricButQuickFindIsNot) {
  const struct {
    const char* A;
    const char* B;
    bool Same, Starts;  // SameTextStart(A, B), NameStartsWith(A, B)
  } Rows[] = {
      {"", "x", true, false},       {"x", "", true, false},          {"ABC.TXT", "ab", true, true},
      {"ab", "ABC", true, false},   {"ab", "ac", false, false},      {"abd", "ab", true, true},
      {"xab", "ab", false, false},  {"readme", "readme.txt.bak", true, false},
      {"\xC0\xC1", "\xE0", false, false},  // only ASCII letters fold
  };
  for (const auto& R : Rows) {
    EXPECT_EQ(SameTextStart(R.A, R.B), R.Same) << R.A << " / " << R.B;
    EXPECT_EQ(NameStartsWith(R.A, R.B), R.Starts) << R.A << " / " << R.B;
  }
}

TEST(ZembRout, FilesEndingTakesTheRussianPlurals) {
  const std::string One = Utf8ToCp1251(") файл"), Few = Utf8ToCp1251(") файла"), Many = Utf8ToCp1251(") файлов");
  const struct {
    int N;
    std::string Russian;
    const char* English;
  } Rows[] = {{0, Many, ") files"},   {1, One, ") file"},     {2, Few, ") files"},   {4, Few, ") files"},
              {5, Many, ") files"},   {11, Many, ") files"},  {12, Many, ") files"}, {14, Many, ") files"},
              {20, Many, ") files"},  {21, One, ") files"},   {22, Few, ") files"},  {25, Many, ") files"},
              {101, One, ") files"},  {111, Many, ") files"}, {1002, Few, ") files"}};
  for (const auto& R : Rows) {
    EXPECT_EQ(FilesEnding(R.N, false), R.Russian) << R.N;
    EXPECT_EQ(FilesEnding(R.N, true), R.English) << R.N;
  }
}

TEST(ZembRout, FilesQuestionSpeaksTheLanguageOfTheQuestion) {
  EXPECT_EQ(FilesQuestion("Copy the selected files", 3), "Copy the selected files (3) files");
  EXPECT_EQ(FilesQuestion("Copy", 1), "Copy (1) file");
  EXPECT_EQ(FilesQuestion(Utf8ToCp1251("Копировать"), 22), Utf8ToCp1251("Копировать (22) файла"));
  EXPECT_EQ(FilesQuestion("-+-", 5), "-+- (5) files");  // a missing text stays visible
}

TEST(ZembRout, SplitCommandLine) {
  const struct {
    const char* Line;
    const char* Program;
    const char* Params;
  } Rows[] = {
      {"prog.exe arg", "prog.exe", "arg"},
      {"prog.exe", "prog.exe", ""},
      {"  prog.exe \t a  b  ", "prog.exe", "a  b"},
      {"\"C:\\My tools\\x.exe\" -a \"b c\"", "C:\\My tools\\x.exe", "-a \"b c\""},
      {"\"C:\\My tools\\x.exe\"", "C:\\My tools\\x.exe", ""},
      {"\"C:\\open quote", "C:\\open quote", ""},
      {"notepad.exe\"x\" y", "notepad.exe\"x\"", "y"},
      {"", "", ""},
  };
  for (const auto& R : Rows) {
    const TCommandLine C = SplitCommandLine(R.Line);
    EXPECT_EQ(C.Program, R.Program) << R.Line;
    EXPECT_EQ(C.Params, R.Params) << R.Line;
  }
}

TEST(ZembRout, PlainFileNames) {
  for (const char* Good : {"a.txt", "\xC4\xEE\xEA.doc", "name with blanks", ".profile"})
    EXPECT_TRUE(IsPlainFileName(Good)) << Good;
  for (const char* Bad : {"", ".", "..", "..\\x", "a\\b", "a/b", "C:x", "a*", "a?", "x..y", "a|b", "a\tb"})
    EXPECT_FALSE(IsPlainFileName(Bad)) << Bad;
}

void WriteFile(const std::string& Name, const std::string& Data) {
  TFileStream F(Name, fmCreate);
  F.WriteBuffer(Data.data(), Data.size());
}

std::string ReadFile(const std::string& Name) {
  TFileStream F(Name, fmOpenRead);
  std::string Data(static_cast<std::size_t>(F.Size()), '\0');
  F.ReadBuffer(Data.data(), Data.size());
  return Data;
}

TEST(CopyWithNewNameFile, CopiesAndMoves) {
  TTempFolder Dir;
  ASSERT_TRUE(CreateDir(Dir / "a"));
  ASSERT_TRUE(CreateDir(Dir / "b"));
  WriteFile(Dir / "a\\one.txt", "first");
  std::string Error;
  EXPECT_TRUE(CopyWithNewNameFile(Dir / "a", Dir / "b", "one.txt", "two.txt", false, nullptr, Error)) << Error;
  EXPECT_EQ(ReadFile(Dir / "b\\two.txt"), "first");
  EXPECT_TRUE(FileExists(Dir / "a\\one.txt"));

  EXPECT_TRUE(CopyWithNewNameFile(Dir / "a", Dir / "b", "one.txt", "three.txt", true, nullptr, Error)) << Error;
  EXPECT_EQ(ReadFile(Dir / "b\\three.txt"), "first");
  EXPECT_FALSE(FileExists(Dir / "a\\one.txt"));
}

// A move whose copy fails keeps its source, and says why.
TEST(CopyWithNewNameFile, FailedCopyKeepsTheSource) {
  TTempFolder Dir;
  ASSERT_TRUE(CreateDir(Dir / "a"));
  ASSERT_TRUE(CreateDir(Dir / "b"));
  WriteFile(Dir / "a\\data.bin", "payload");
  WriteFile(Dir / "b\\locked.bin", "old");
  ASSERT_EQ(FileSetAttr(Dir / "b\\locked.bin", faReadOnly), 0);
  WriteFile(Dir / "b\\file", "not a folder");
  const struct {
    const char* NewName;
    const char* Why;
  } Rows[] = {
      {"locked.bin", "read-only target"},
      {"..", "name that leaves the folder"},
      {"..\\escape.bin", "name with a separator"},
      {"c:x.bin", "name with a drive"},
      {"", "empty name"},
  };
  for (const auto& R : Rows) {
    std::string Error;
    EXPECT_FALSE(CopyWithNewNameFile(Dir / "a", Dir / "b", "data.bin", R.NewName, true, nullptr, Error)) << R.Why;
    EXPECT_FALSE(Error.empty()) << R.Why;
    EXPECT_EQ(ReadFile(Dir / "a\\data.bin"), "payload") << R.Why;
  }
  EXPECT_EQ(ReadFile(Dir / "b\\locked.bin"), "old");
  // A target folder that cannot exist (a file holds its name).
  std::string Error;
  EXPECT_FALSE(CopyWithNewNameFile(Dir / "a", Dir / "b\\file", "data.bin", "x.bin", true, nullptr, Error));
  EXPECT_EQ(ReadFile(Dir / "a\\data.bin"), "payload");
  // A missing source is told, not reported as done.
  EXPECT_FALSE(CopyWithNewNameFile(Dir / "a", Dir / "b", "none.bin", "x.bin", false, nullptr, Error));
  EXPECT_FALSE(FileExists(Dir / "b\\x.bin"));
}

}  // namespace

namespace {

TEST(ZembRout, FitPictureSize) {
  const struct {
    int W, H, PageW, PageH;
    TPictureSize Expected;
  } Rows[] = {
      {700, 100, 600, 433, {600, 85, true}},    // wider than the page
      {100, 700, 600, 433, {56, 400, true}},    // taller than the room (433 - 33)
      {1200, 1000, 600, 433, {479, 400, true}}, // both too large: the height decides
      {1000, 1200, 600, 433, {332, 400, true}},
      {300, 200, 600, 433, {300, 200, false}},  // fits: natural size
      {600, 400, 600, 433, {600, 400, false}},  // fits exactly
      {601, 1, 600, 433, {600, 1, true}},       // never thinner than a pixel
  };
  for (const auto& R : Rows) {
    const TPictureSize S = FitPictureSize(R.W, R.H, R.PageW, R.PageH);
    EXPECT_EQ(S.Width, R.Expected.Width) << R.W << "x" << R.H;
    EXPECT_EQ(S.Height, R.Expected.Height) << R.W << "x" << R.H;
    EXPECT_EQ(S.Stretch, R.Expected.Stretch) << R.W << "x" << R.H;
    EXPECT_LE(S.Width, R.PageW);
    EXPECT_LE(S.Height, R.PageH - 33);
  }
}

TEST(ZembRout, CodePageTables) {
  // DOS letters, Yo and pseudo-graphics to Windows.
  EXPECT_EQ(DosToWin("\x80\xAF\xE0\xEF\xF0\xF1"), "\xC0\xEF\xF0\xFF\xA8\xB8");
  EXPECT_EQ(DosToWin("\xC9\xCD\xBB\xBA\xC8\xBC\xC5\xB0\xF9\xFB\xFE"), "\xE3=\xAC\xA6L-+-\x95v\xA6");
  EXPECT_EQ(DosToWin("plain ASCII"), "plain ASCII");
  std::string R;
  // "Привет" in 1251, KOI8-R and 866.
  const std::string Win = Utf8ToCp1251("Привет"), Koi = "\xF0\xD2\xC9\xD7\xC5\xD4", Dos = "\x8F\xE0\xA8\xA2\xA5\xE2";
  WinToKoi8(Win, R);
  EXPECT_EQ(R, Koi);
  Koi8ToWin(Koi, R);
  EXPECT_EQ(R, Win);
  DosToKoi8(Dos, R);
  EXPECT_EQ(R, Koi);
  Koi8ToDos(Koi, R);
  EXPECT_EQ(R, Dos);
  // The characters one code page lacks, by the look-alikes of the tables.
  DosToKoi8("\xF2\xF3\xF4\xF5\xF6\xF7\xFC\xFD\xCF", R);
  EXPECT_EQ(R, "EeIiYyN\xBF\xFD");
  Koi8ToDos("\x93\x97\x98\x99\x9B\x9D\x9F\xBF", R);
  EXPECT_EQ(R, "\xB3\xCD<>\xB3\xF8:\xFD");
  // Every byte round-trips between 866 and KOI8-R where both have it.
  for (int C = 0x80; C < 0x100; ++C) {
    if (std::string("\xF2\xF3\xF4\xF5\xF6\xF7\xFC\xFD\xCF").find(static_cast<char>(C)) != std::string::npos) continue;
    std::string K, D;
    DosToKoi8(std::string(1, static_cast<char>(C)), K);
    Koi8ToDos(K, D);
    EXPECT_EQ(static_cast<unsigned char>(D[0]), C) << std::hex << C;
  }
}

TEST(ZembRout, IsWindowsText) {
  TTempFolder Dir;
  const struct {
    std::string Data;
    bool Windows;
  } Rows[] = {
      {"", true},
      {"\xAE", true},                               // one byte: nothing is looked at
      {"\xAE\xAE\xFE.", false},                     // more DOS "o" than Windows "yu"
      {"\xAE\xFE.", true},                          // a tie is Windows text
      {Utf8ToCp1251("Привет, мир\r\n"), true},
      {"\x8F\xE0\xA8\xA2\xA5\xE2 \xAC\xA8\xE0 \xAE\xAE", false},
      {std::string(1023, 'x') + "\xAE", true},      // the 1024th byte is not looked at
      {std::string(1022, 'x') + "\xAE" + "x", false},
  };
  for (const auto& R : Rows) {
    WriteFile(Dir / "t.txt", R.Data);
    EXPECT_EQ(IsWindowsText(Dir / "t.txt"), R.Windows) << R.Data.size() << " bytes";
  }
  EXPECT_THROW(IsWindowsText(Dir / "none.txt"), Exception);
}

}  // namespace

namespace {

TEST(ZembRout, ReaderForArcType) {
  const struct {
    TArcType Type;
    TArcReader Reader;
  } Rows[] = {{atARC, rdARC},   {atArcExe, rdARC},  {atARJ, rdARJ},     {atArjExe, rdARJ},   {atCAB, rdCAB},
              {atGZip, rdGZip}, {atHA, rdLHA},      {atLHA, rdLHA},     {atLhaExe, rdLHA},   {atLZH, rdLHA},
              {atLzhExe, rdLHA}, {atRAR, rdRAR},    {atRarExe, rdRAR},  {atTAR, rdTAR},      {atUUE, rdUUE},
              {atZIP, rdZIP},   {atZipExe, rdZIP},  {atZOO, rdZOO},     {atPAK, rdNone},     {atPakExe, rdNone},
              {atBH, rdNone},   {atBHExe, rdNone},  {atZip250, rdNone}, {atZip250Exe, rdNone}, {atNA, rdNone},
              {atUnknown, rdNone}, {atFileOpenErr, rdNone}, {atUnsupported, rdNone}};
  for (const auto& R : Rows) EXPECT_EQ(ReaderForArcType(R.Type), R.Reader) << ArcTypeName(R.Type);
}

}  // namespace
