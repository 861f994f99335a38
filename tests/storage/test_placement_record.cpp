// The string access rules of the settings storage (INI quote protection, integers) and the
// text of window placement records.
#include <gtest/gtest.h>

#include <string>

#include "classlib/core/exception.h"
#include "classlib/core/ini_file.h"
#include "classlib/core/stream.h"
#include "classlib/core/strings.h"
#include "mem_storage.h"
#include "storage/core/placement_record.h"
#include "tests/classlib/temp_folder.h"

namespace {

std::string FileText(const std::string& Name) {
  TStringList L;
  L.LoadFromFile(Name);
  return L.Text();
}

}  // namespace

TEST(IniAccess, IniFileProtectsWhatTheReaderWouldStrip) {
  TTempFolder Dir;
  TIniFile Ini(Dir / "a.ini");
  TMemStorage Reg;
  struct {
    std::string Value;
    std::string Line;  // as the INI file holds it
  } Cases[] = {
      {"abc", "abc"},
      {"\"abc\"", "\"\"abc\"\""},
      {"'x'", "\"'x'\""},
      {"\"", "\"\"\""},  // a lone quote begins and ends with a quote
      {" lead", "\" lead\""},
      {"trail ", "\"trail \""},
      {"a\"b", "a\"b"},
      {"\"open", "\"open"},
      {"", ""},
  };
  for (auto& C : Cases) {
    SCOPED_TRACE(C.Value);
    IniWriteString(&Ini, "S", "K", C.Value);
    EXPECT_EQ(FileText(Ini.FileName()), "[S]\r\nK=" + C.Line + "\r\n");
    EXPECT_EQ(IniReadString(&Ini, "S", "K", "?"), C.Value);
    // The registry keeps every value as it is.
    IniWriteString(&Reg, "S", "K", C.Value);
    EXPECT_EQ(Reg.ReadString("S", "K", "?"), C.Value);
  }
  EXPECT_EQ(IniReadString(&Ini, "S", "Missing", "def"), "def");
  EXPECT_EQ(IniReadString(nullptr, "S", "K", "def"), "def");
  IniWriteString(nullptr, "S", "K", "ignored");
}

TEST(IniAccess, LineBreaksNeverReachTheIniFile) {
  TTempFolder Dir;
  TIniFile Ini(Dir / "a.ini");
  IniWriteString(&Ini, "S", "K", "safe");
  std::string Before = FileText(Ini.FileName());
  for (std::string Value : {"x\r\nEvil=1", "x\nEvil=1", "x\rEvil=1"}) {
    EXPECT_THROW(IniWriteString(&Ini, "S", "K", Value), EIniFileException);
    EXPECT_EQ(FileText(Ini.FileName()), Before);
  }
  EXPECT_EQ(IniReadString(&Ini, "S", "Evil", "none"), "none");
  // The registry holds such a value as one value.
  TMemStorage Reg;
  IniWriteString(&Reg, "S", "K", "a\r\nb");
  EXPECT_EQ(Reg.ReadString("S", "K", ""), "a\r\nb");
}

TEST(IniAccess, Integers) {
  TMemStorage Reg;
  struct {
    std::string Text;
    int Value;
  } Cases[] = {{"10", 10}, {"-5", -5}, {"$1F", 31}, {"0x1F", 31}, {"abc", 7}, {"", 7}, {"12abc", 7}};
  for (auto& C : Cases) {
    Reg.WriteString("S", "I", C.Text);
    EXPECT_EQ(IniReadInteger(&Reg, "S", "I", 7), C.Value) << C.Text;
  }
  EXPECT_EQ(IniReadInteger(&Reg, "S", "Missing", 7), 7);
  IniWriteInteger(&Reg, "S", "I", -42);
  EXPECT_EQ(Reg.ReadString("S", "I", ""), "-42");
}

TEST(PlacementRecord, WritesEveryKeyAndReadsItBack) {
  TMemStorage Reg;
  TPlacementRecord P;
  P.Flags = 2;
  P.ShowCmd = 3;
  P.MinPosition = {-1, -2};
  P.MaxPosition = {-4, -4};
  P.NormalPosition = {10, 20, 410, 320};
  const TPlacementScreen Screen{1024, 768, 96};
  WritePlacementRecord(&Reg, "MainForm", P, Screen);
  struct {
    const char* Key;
    const char* Value;
  } Expected[] = {{"Flags", "2"},
                  {"ShowCmd", "3"},
                  {"PixelsPerInch", "96"},
                  {"MinMaxPos(1024x768)", "-1,-2,-4,-4"},
                  {"MinMaxPos", "-1,-2,-4,-4"},
                  {"NormPos(1024x768)", "10,20,410,320"},
                  {"NormPos", "10,20,410,320"}};
  for (auto& E : Expected) EXPECT_EQ(Reg.ReadString("MainForm", E.Key, "<none>"), E.Value) << E.Key;

  TPlacementRecord Read;
  EXPECT_TRUE(ReadPlacementPosition(&Reg, "MainForm", Read, {0, 0, 100, 100}, Screen));
  EXPECT_EQ(Read.Flags, 2);
  EXPECT_EQ(Read.MinPosition.X, -1);
  EXPECT_EQ(Read.MinPosition.Y, -2);
  EXPECT_EQ(Read.MaxPosition.X, -4);
  EXPECT_EQ(Read.NormalPosition.Left, 10);
  EXPECT_EQ(Read.NormalPosition.Bottom, 320);
}

TEST(PlacementRecord, ScreenSizesKeepTheirOwnPositions) {
  TMemStorage Reg;
  TPlacementRecord P;
  P.NormalPosition = {1, 2, 3, 4};
  WritePlacementRecord(&Reg, "F", P, {1024, 768, 96});
  P.NormalPosition = {5, 6, 7, 8};
  WritePlacementRecord(&Reg, "F", P, {800, 600, 96});

  TPlacementRecord Read;
  ASSERT_TRUE(ReadPlacementPosition(&Reg, "F", Read, {}, {1024, 768, 96}));
  EXPECT_EQ(Read.NormalPosition.Left, 1);
  ASSERT_TRUE(ReadPlacementPosition(&Reg, "F", Read, {}, {800, 600, 96}));
  EXPECT_EQ(Read.NormalPosition.Left, 5);
  // Another size finds only the plain keys, which hold the last written values.
  ASSERT_TRUE(ReadPlacementPosition(&Reg, "F", Read, {}, {1280, 1024, 96}));
  EXPECT_EQ(Read.NormalPosition.Left, 5);
}

TEST(PlacementRecord, DamagedOrForeignRecords) {
  const TPlacementRect Form{100, 200, 500, 600};
  const TPlacementScreen Screen{1024, 768, 96};
  {
    // A damaged string falls back field by field.
    TMemStorage Reg;
    Reg.WriteString("F", "NormPos", "10,abc,, 40");
    Reg.WriteString("F", "MinMaxPos", "x,1");
    Reg.WriteString("F", "Flags", "junk");
    TPlacementRecord Read;
    Read.Flags = 9;
    EXPECT_TRUE(ReadPlacementPosition(&Reg, "F", Read, Form, Screen));
    EXPECT_EQ(Read.Flags, 9);
    EXPECT_EQ(Read.NormalPosition.Left, 10);
    EXPECT_EQ(Read.NormalPosition.Top, 200);
    EXPECT_EQ(Read.NormalPosition.Right, 40);  // blanks and commas both separate
    EXPECT_EQ(Read.NormalPosition.Bottom, 600);
    EXPECT_EQ(Read.MinPosition.X, 0);
    EXPECT_EQ(Read.MinPosition.Y, 1);
    EXPECT_EQ(Read.MaxPosition.X, 0);
  }
  {
    // Written at another resolution: the positions do not count.
    TMemStorage Reg;
    WritePlacementRecord(&Reg, "F", TPlacementRecord{}, {1024, 768, 120});
    TPlacementRecord Read;
    EXPECT_FALSE(ReadPlacementPosition(&Reg, "F", Read, Form, Screen));
  }
  {
    TMemStorage Reg;
    TPlacementRecord Read;
    EXPECT_FALSE(ReadPlacementPosition(&Reg, "Empty", Read, Form, Screen));
  }
  {
    // "$" and "0x" integers are read too.
    TMemStorage Reg;
    Reg.WriteString("F", "NormPos", "$10,0x20,30,40");
    TPlacementRecord Read;
    EXPECT_TRUE(ReadPlacementPosition(&Reg, "F", Read, Form, Screen));
    EXPECT_EQ(Read.NormalPosition.Left, 16);
    EXPECT_EQ(Read.NormalPosition.Top, 32);
  }
}
