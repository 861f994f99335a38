// The uuencode writer and the 1251 -> 866 converter on real files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "app/core/cnv.h"
#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "tests/classlib/temp_folder.h"

namespace {

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

// The bytes of the data lines between "begin" and "end", decoded the uudecode way.
std::string UUDecodeText(const std::string& Text) {
  std::string Out;
  std::size_t Pos = Text.find("\r\n") + 2;
  for (;;) {
    const std::size_t End = Text.find("\r\n", Pos);
    const std::string Line = Text.substr(Pos, End - Pos);
    Pos = End + 2;
    if (Line == "end") break;
    auto Val = [](char C) { return (C - 32) & 0x3F; };
    const int Count = Val(Line[0]);
    for (int I = 0, G = 1; I < Count; I += 3, G += 4) {
      const unsigned long Bits = (Val(Line[G]) << 18) | (Val(Line[G + 1]) << 12) | (Val(Line[G + 2]) << 6) |
                                 Val(Line[G + 3]);
      for (int K = 0; K < 3 && I + K < Count; ++K) Out += static_cast<char>((Bits >> (16 - 8 * K)) & 0xFF);
    }
  }
  return Out;
}

std::string Pattern(std::size_t Size) {
  std::string S(Size, '\0');
  for (std::size_t I = 0; I < Size; ++I) S[I] = static_cast<char>((I * 7 + I / 251) & 0xFF);
  return S;
}

TEST(UUEncodeFile, EmptyFile) {
  TTempFolder Dir;
  WriteFile(Dir / "x.bin", "");
  UUEncodeFile(Dir / "x.bin", 664);
  EXPECT_EQ(ReadFile(Dir / "x.uue"), "begin 664 x.bin\r\n`\r\nend\r\n");
}

TEST(UUEncodeFile, LineLengths) {
  const struct {
    std::string Data;
    std::string Expected;  // the lines after "begin"
  } Rows[] = {
      {"Cat", "#0V%T\r\n`\r\nend\r\n"},
      {std::string(1, '\0'), "!````\r\n`\r\nend\r\n"},  // zero bits and the length 1 as characters
      {"A", "!00``\r\n`\r\nend\r\n"},
      {std::string(45, '\0'), "M" + std::string(60, '`') + "\r\n`\r\nend\r\n"},
      {std::string(46, '\0'), "M" + std::string(60, '`') + "\r\n!````\r\n`\r\nend\r\n"},
  };
  for (const auto& R : Rows) {
    TTempFolder Dir;
    WriteFile(Dir / "d.dat", R.Data);
    UUEncodeFile(Dir / "d.dat", 644);
    EXPECT_EQ(ReadFile(Dir / "d.uue"), "begin 644 d.dat\r\n" + R.Expected) << R.Data.size() << " bytes";
  }
}

TEST(UUEncodeFile, LargeFileRoundTripsAndReplacesAnOldOutput) {
  TTempFolder Dir;
  const std::string Data = Pattern(200000);  // several read blocks
  WriteFile(Dir / "big.tar.gz", Data);
  WriteFile(Dir / "big.tar.uue", std::string(500000, 'z'));
  UUEncodeFile(Dir / "big.tar.gz", 664);
  const std::string Text = ReadFile(Dir / "big.tar.uue");
  EXPECT_EQ(Text.substr(0, 23), "begin 664 big.tar.gz\r\nM");
  EXPECT_EQ(Text.find(' ', 22), std::string::npos);  // spaces are written as "`"
  EXPECT_EQ(Text.substr(Text.size() - 10), "\r\n`\r\nend\r\n");
  EXPECT_EQ(UUDecodeText(Text), Data);
}

TEST(UUEncodeFile, FileThatAlreadyEndsInUueIsReadBeforeItIsReplaced) {
  TTempFolder Dir;
  const std::string Data = Pattern(100000);
  WriteFile(Dir / "note.uue", Data);
  UUEncodeFile(Dir / "note.uue", 664);
  const std::string Text = ReadFile(Dir / "note.uue");
  EXPECT_EQ(Text.substr(0, 20), "begin 664 note.uue\r\n");
  EXPECT_EQ(UUDecodeText(Text), Data);
}

// GNU uudecode (natively; set-up installs it) takes our output byte for byte, including
// sizes where the last data line is full, short or absent.
TEST(UUEncodeFile, GnuUudecodeReadsEverySize) {
#ifdef _WIN32
  GTEST_SKIP() << "GNU uudecode runs in the native build";
#else
  ASSERT_EQ(std::system("uudecode --version >/dev/null 2>&1"), 0) << "scripts/setup installs uudecode";
  for (std::size_t Size : {0, 1, 44, 45, 46, 100}) {
    SCOPED_TRACE(std::to_string(Size) + " bytes");
    TTempFolder Dir;
    const std::string Data = Pattern(Size);
    WriteFile(Dir / "p.bin", Data);
    UUEncodeFile(Dir / "p.bin", 644);
    std::string Native = Dir.Path();
    std::replace(Native.begin(), Native.end(), '\\', '/');
    const std::string Command =
        "uudecode -o '" + Native + "/gnu.bin' '" + Native + "/p.uue' 2>'" + Native + "/err.txt'";
    EXPECT_EQ(std::system(Command.c_str()), 0) << ReadFile(Dir / "err.txt");
    EXPECT_EQ(ReadFile(Dir / "gnu.bin"), Data);
  }
#endif
}

TEST(UUEncodeFile, MissingInputRaisesAnIOError) {
  TTempFolder Dir;
  EXPECT_THROW(UUEncodeFile(Dir / "none.bin", 664), EInOutError);
  EXPECT_FALSE(FileExists(Dir / "none.uue"));
}

TEST(TCnv, ConvertsEveryByteTo866) {
  TTempFolder Dir;
  std::string All;
  for (int C = 0; C < 256; ++C) All += static_cast<char>(C);
  WriteFile(Dir / "in.txt", All);
  TCnv Conv(nullptr);
  Conv.SetInputFile(Dir / "in.txt");
  Conv.SetOutputFile(Dir / "out.txt");
  Conv.Execute();
  const std::string Out = ReadFile(Dir / "out.txt");
  ASSERT_EQ(Out.size(), 256u);
  for (int C = 0; C < 0x80; ++C) EXPECT_EQ(static_cast<unsigned char>(Out[C]), C) << "byte " << C;
  // The letters keep their order in both code pages.
  for (int C = 0xC0; C <= 0xFF; ++C)
    EXPECT_EQ(static_cast<unsigned char>(Out[C]), C < 0xF0 ? C - 0x40 : C - 0x10) << "byte " << C;
  const struct {
    unsigned char Win, Dos;
    const char* What;
  } Rows[] = {
      {0xA8, 0xF0, "Yo"},         {0xB8, 0xF1, "yo"},          {0xB9, 0xFC, "numero"},
      {0xAB, '"', "left angle"}, {0xBB, '"', "right angle"}, {0x93, '"', "left quote"},
      {0x96, '-', "en dash"},    {0x97, '-', "em dash"},      {0xB0, 0xF8, "degree"},
      {0xAA, 0xF2, "Ukrainian Ye"}, {0xA1, 0xF6, "short U"},  {0xA0, 0xFF, "no-break space"},
      {0x88, '?', "euro"},
  };
  for (const auto& R : Rows) EXPECT_EQ(static_cast<unsigned char>(Out[R.Win]), R.Dos) << R.What;
}

TEST(TCnv, DosTextOfACyrillicLine) {
  TTempFolder Dir;
  WriteFile(Dir / "in.txt", "\xA8\xEB\xEA\xE0 \xB9" "1 \xABx\xBB\r\n");  // Ёлка №1 «x»
  TCnv Conv(nullptr);
  Conv.SetInputFile(Dir / "in.txt");
  Conv.SetOutputFile(Dir / "out.txt");
  Conv.Execute();
  EXPECT_EQ(ReadFile(Dir / "out.txt"), "\xF0\xAB\xAA\xA0 \xFC" "1 \"x\"\r\n");
}

// The text page's DOS save: the converted text replaces an old file; a failure leaves the
// old file and no stray files.
TEST(SaveAsDosText, ReplacesTheOldFileOnlyWhenTheNewOneIsWhole) {
  TTempFolder Dir;
  WriteFile(Dir / "text.tmp", "\xA8\xEB\xEA\xE0 \xB9" "1 \xABx\xBB\r\n");  // Ёлка №1 «x»
  WriteFile(Dir / "out.txt", "old contents, longer than the new ones");
  SaveAsDosText(Dir / "text.tmp", Dir / "out.txt");
  EXPECT_EQ(ReadFile(Dir / "out.txt"), "\xF0\xAB\xAA\xA0 \xFC" "1 \"x\"\r\n");
  SaveAsDosText(Dir / "text.tmp", Dir / "new.txt");
  EXPECT_EQ(ReadFile(Dir / "new.txt"), ReadFile(Dir / "out.txt"));

  EXPECT_THROW(SaveAsDosText(Dir / "missing.tmp", Dir / "out.txt"), EInOutError);
  EXPECT_THROW(SaveAsDosText(Dir / "text.tmp", Dir / "no\\such\\out.txt"), EInOutError);
  EXPECT_EQ(ReadFile(Dir / "out.txt"), "\xF0\xAB\xAA\xA0 \xFC" "1 \"x\"\r\n");
  for (const char* Stray : {"out.txt.$$$", "out.txt.~$$", "new.txt.$$$", "new.txt.~$$"})
    EXPECT_FALSE(FileExists(Dir / Stray)) << Stray;
}

TEST(TCnv, ReplacesOutputAndConvertsInPlace) {
  TTempFolder Dir;
  const std::string Text = std::string(150000, '\xE0') + "abc";  // several read blocks
  WriteFile(Dir / "in.txt", Text);
  WriteFile(Dir / "out.txt", std::string(300000, 'z'));
  TCnv Conv(nullptr);
  Conv.SetInputFile(Dir / "in.txt");
  Conv.SetOutputFile(Dir / "out.txt");
  Conv.Execute();
  EXPECT_EQ(ReadFile(Dir / "out.txt"), std::string(150000, '\xA0') + "abc");

  Conv.SetOutputFile(Dir / "in.txt");  // the source itself is the target
  Conv.Execute();
  EXPECT_EQ(ReadFile(Dir / "in.txt"), std::string(150000, '\xA0') + "abc");
}

TEST(TCnv, MissingInputDoesNothing) {
  TTempFolder Dir;
  WriteFile(Dir / "out.txt", "keep");
  TCnv Conv(nullptr);
  Conv.SetInputFile(Dir / "none.txt");
  Conv.SetOutputFile(Dir / "out.txt");
  Conv.Execute();
  EXPECT_EQ(ReadFile(Dir / "out.txt"), "keep");
}

TEST(TCnv, UnwritableOutputRaisesAnIOError) {
  TTempFolder Dir;
  WriteFile(Dir / "in.txt", "x");
  TCnv Conv(nullptr);
  Conv.SetInputFile(Dir / "in.txt");
  Conv.SetOutputFile(Dir / "no-such-folder\\out.txt");
  EXPECT_THROW(Conv.Execute(), EInOutError);
}

}  // namespace
