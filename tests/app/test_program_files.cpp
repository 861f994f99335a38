// The main window's program files and the palettes, on real files in a temporary folder.
#include <gtest/gtest.h>

#include <string>

#include "app/core/program_files.h"
#include "classlib/core/font.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "tests/classlib/temp_folder.h"

namespace {

void WriteText(const std::string& FileName, const std::string& Text) {
  TFileStream F(FileName, fmCreate);
  F.WriteBuffer(Text.data(), Text.size());
}

std::string ReadText(const std::string& FileName) {
  TFileStream F(FileName, fmOpenRead);
  std::string S(size_t(F.Size()), '\0');
  F.ReadBuffer(S.data(), S.size());
  return S;
}

class ProgramFiles : public ::testing::Test {
protected:
  TTempFolder Dir;
};

TEST_F(ProgramFiles, ColorFileDefaults) {
  // No file: the built-in scheme; a file that names only Arcs: the rest fall back per key.
  TFileTypeColors Missing = ReadColorFile(Dir / "Color.ini");
  EXPECT_EQ(Missing, DefaultFileTypeColors());
  EXPECT_EQ(Missing[ftText].Color, clTeal);
  EXPECT_TRUE(Missing[ftExecutable].Bold);

  WriteText(Dir / "Color.ini", "[Arcs]\r\nColor=clLime\r\nBold=1\r\n");
  TFileTypeColors C = ReadColorFile(Dir / "Color.ini");
  struct Case { TFileTypeKind Kind; TColor Color; bool Bold; };
  const Case Cases[] = {{ftArcs, clLime, true},      {ftPics, clGreen, false}, {ftText, clBlue, false},
                        {ftExecutable, clBlue, false}, {ftHTML, clNavy, false}, {ftOther, clBlue, false}};
  for (const auto& K : Cases) {
    SCOPED_TRACE(FileTypeSection(K.Kind));
    EXPECT_EQ(C[K.Kind].Color, K.Color);
    EXPECT_EQ(C[K.Kind].Bold, K.Bold);
    EXPECT_FALSE(C[K.Kind].Italic);
  }
}

TEST_F(ProgramFiles, ColorFileRoundTripKeepsEachFlagInItsSection) {
  TFileTypeColors C = DefaultFileTypeColors();
  C[ftText].Italic = true;
  C[ftOther].Color = TColor(0x123456);
  WriteColorFile(Dir / "Color.ini", C);
  EXPECT_EQ(ReadColorFile(Dir / "Color.ini"), C);
  std::string T = ReadText(Dir / "Color.ini");
  EXPECT_NE(T.find("[Text]\r\nColor=clTeal\r\nBold=0\r\nItalic=1\r\n"), std::string::npos) << T;
  EXPECT_NE(T.find("[Executable]\r\nColor=clBlue\r\nBold=1\r\nItalic=0\r\n"), std::string::npos) << T;
  // Written in the order the file has always had.
  EXPECT_LT(T.find("[HTML]"), T.find("[Executable]"));
  EXPECT_LT(T.find("[Executable]"), T.find("[Text]"));
}

TEST_F(ProgramFiles, FolderFileSections) {
  struct Case { const char* Name; const char* Text; std::vector<std::string> Left, Right; };
  const Case Cases[] = {
      {"both", "junk\r\n[LeftMenu]\r\nC:\\a\r\n\r\nC:\\b\r\n[RightMenu]\r\nD:\\c\r\n", {"C:\\a", "C:\\b"}, {"D:\\c"}},
      {"no left marker", "C:\\a\r\n[RightMenu]\r\nD:\\c\r\n", {}, {}},
      {"no right marker", "[LeftMenu]\r\nC:\\a\r\nD:\\c", {"C:\\a", "D:\\c"}, {}},
      {"empty", "", {}, {}},
  };
  for (const auto& K : Cases) {
    SCOPED_TRACE(K.Name);
    WriteText(Dir / "Folder.ini", K.Text);
    TFolderMenus M = ReadFolderFile(Dir / "Folder.ini");
    EXPECT_EQ(M.Left, K.Left);
    EXPECT_EQ(M.Right, K.Right);
  }
  EXPECT_TRUE(ReadFolderFile(Dir / "none.ini").Left.empty());
}

TEST_F(ProgramFiles, FolderAndFastBarFilesWriteCrLfLines) {
  WriteFolderFile(Dir / "Folder.ini", {{"C:\\a"}, {"D:\\b", "E:\\"}});
  EXPECT_EQ(ReadText(Dir / "Folder.ini"), "[LeftMenu]\r\nC:\\a\r\n[RightMenu]\r\nD:\\b\r\nE:\\\r\n");
  TFolderMenus M = ReadFolderFile(Dir / "Folder.ini");
  EXPECT_EQ(M.Right.size(), 2u);

  WriteFastBarFile(Dir / "FastBar.ini", {});
  EXPECT_EQ(ReadText(Dir / "FastBar.ini"), "");
  WriteFastBarFile(Dir / "FastBar.ini", {"C:\\w\\notepad.exe", "C:\\calc.exe"});
  EXPECT_EQ(ReadFastBarFile(Dir / "FastBar.ini"), (std::vector<std::string>{"C:\\w\\notepad.exe", "C:\\calc.exe"}));
}

TEST_F(ProgramFiles, PaletteRoundTrip) {
  TFont FormFont, FilesFont;
  FilesFont.SetName("Courier New");
  FilesFont.SetSize(12);
  TPalette P;
  P.Types = DefaultFileTypeColors();
  P.Types[ftText].Italic = true;
  P.FormFont = &FormFont;
  P.FilesFont = &FilesFont;
  P.FormColor = clSilver;
  P.FilesColor = TColor(0x00C0FFEE);
  SavePalette(Dir / "a.pal", P);
  std::string T = ReadText(Dir / "a.pal");
  size_t Text = T.find("[Text]"), Exec = T.find("[Executable]");
  ASSERT_NE(Text, std::string::npos);
  EXPECT_EQ(T.substr(Text, T.find('[', Text + 1) - Text), "[Text]\r\nColor=clTeal\r\nBold=0\r\nItalic=1\r\n\r\n");
  EXPECT_NE(T.substr(Exec, T.find('[', Exec + 1) - Exec).find("Italic=0"), std::string::npos);

  TFont F1, F2;
  TPalette Q;
  Q.FormFont = &F1;
  Q.FilesFont = &F2;
  LoadPalette(Dir / "a.pal", Q);
  EXPECT_EQ(Q.Types, P.Types);
  EXPECT_EQ(Q.FormColor, clSilver);
  EXPECT_EQ(Q.FilesColor, TColor(0x00C0FFEE));
  EXPECT_EQ(F2.Name(), "Courier New");
  EXPECT_EQ(F2.Size(), 12);
}

TEST_F(ProgramFiles, PaletteValuesThatDoNotConvertFallBack) {
  WriteText(Dir / "b.pal", "[Arcs]\r\nColor=not a colour\r\n[Form]\r\nColor=??\r\n");
  TFont F;
  F.SetName("Arial");
  TPalette Q;
  Q.FormFont = &F;
  LoadPalette(Dir / "b.pal", Q);
  EXPECT_EQ(Q.Types[ftArcs].Color, clRed);
  EXPECT_EQ(Q.Types[ftText].Color, clRed);
  EXPECT_EQ(Q.Types[ftOther].Color, clBlack);
  EXPECT_EQ(Q.FormColor, clWindow);
  EXPECT_EQ(Q.FilesColor, clNone);
  EXPECT_EQ(F.Name(), "Arial");
}

}  // namespace
