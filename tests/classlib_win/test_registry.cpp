// TRegistry and TRegIniFile in the test prefix's own registry.
#include <gtest/gtest.h>

#include "classlib/core/strings.h"
#include "classlib/win/registry.h"

namespace {

const char* const TestKey = "Software\\Zembrix\\RegistryTest";

class RegistryTest : public ::testing::Test {
protected:
  void SetUp() override { Cleanup(); }
  void TearDown() override { Cleanup(); }
  static void Cleanup() {
    TRegistry Reg;
    Reg.DeleteKey(std::string("\\") + TestKey);
    Reg.DeleteKey("\\Software\\Zembrix\\RegIniTest");
    Reg.DeleteKey("\\Software\\Zembrix\\RegIniOther");
  }
};

TEST_F(RegistryTest, ValuesRoundTripWithAndWithoutLeadingBackslash) {
  const std::string Cyrillic = "\xD4\xE0\xE9\xEB\xFB";  // "Файлы" in 1251
  for (const std::string Path : {std::string(TestKey), "\\" + std::string(TestKey)}) {
    SCOPED_TRACE(Path);
    {
      TRegistry Reg;
      ASSERT_TRUE(Reg.OpenKey(Path, true));
      EXPECT_EQ(Reg.CurrentPath(), TestKey);
      Reg.WriteString("Name", Cyrillic);
      Reg.WriteString(Cyrillic, "value of a Cyrillic name");
      Reg.WriteInteger("Count", -42);
      Reg.WriteBool("Flag", true);
      const unsigned char Bytes[] = {0, 1, 2, 0xFF, 0};
      Reg.WriteBinaryData("Blob", Bytes, sizeof Bytes);
    }
    TRegistry Reg;
    ASSERT_TRUE(Reg.OpenKeyReadOnly(Path));
    EXPECT_EQ(Reg.ReadString("Name"), Cyrillic);
    EXPECT_EQ(Reg.ReadString(Cyrillic), "value of a Cyrillic name");
    EXPECT_EQ(Reg.ReadInteger("Count"), -42);
    EXPECT_TRUE(Reg.ReadBool("Flag"));
    EXPECT_EQ(Reg.ReadBinaryData("Blob"), (std::vector<uint8_t>{0, 1, 2, 0xFF, 0}));
    unsigned char Buf[5];
    EXPECT_EQ(Reg.ReadBinaryData("Blob", Buf, 5), 5);
    EXPECT_EQ(Reg.GetDataType("Count"), rdInteger);
    EXPECT_EQ(Reg.GetDataType("Name"), rdString);
    EXPECT_EQ(Reg.GetDataType("Missing"), rdUnknown);
    EXPECT_EQ(Reg.GetDataSize("Missing"), -1);
    EXPECT_TRUE(Reg.ValueExists("Blob"));
    EXPECT_FALSE(Reg.ValueExists("Missing"));
    EXPECT_EQ(Reg.ReadString("Missing"), "");  // a missing string reads as empty
    TStringList Names;
    Reg.GetValueNames(&Names);
    Names.Sort();
    EXPECT_EQ(Names.CommaText(), "Blob,Count,Flag,Name," + Cyrillic);
    Reg.CloseKey();
    EXPECT_EQ(Reg.CurrentKey(), nullptr);
    EXPECT_TRUE(Reg.DeleteKey(std::string("\\") + TestKey));
  }
}

TEST_F(RegistryTest, WrongTypesAndSmallBuffersRaise) {
  TRegistry Reg;
  ASSERT_TRUE(Reg.OpenKey(TestKey, true));
  Reg.WriteString("Text", "12");
  Reg.WriteInteger("Number", 12);
  const char Bytes[8] = "1234567";
  Reg.WriteBinaryData("Blob", Bytes, 8);
  EXPECT_THROW(Reg.ReadInteger("Text"), ERegistryException);
  EXPECT_THROW(Reg.ReadInteger("Missing"), ERegistryException);
  EXPECT_THROW(Reg.ReadString("Number"), ERegistryException);
  EXPECT_THROW(Reg.ReadBinaryData("Text"), ERegistryException);
  char Small[4];
  EXPECT_THROW(Reg.ReadBinaryData("Blob", Small, 4), ERegistryException);
  EXPECT_EQ(Reg.ReadBinaryData("Missing", Small, 4), 0);
}

TEST_F(RegistryTest, KeysRelativeToTheOpenKeyAndDeletedWithTheirSubKeys) {
  TRegistry Reg;
  ASSERT_TRUE(Reg.OpenKey(TestKey, true));
  ASSERT_TRUE(Reg.OpenKey("A\\Deep\\Deeper", true));  // relative to the open key
  EXPECT_EQ(Reg.CurrentPath(), std::string(TestKey) + "\\A\\Deep\\Deeper");
  Reg.WriteString("X", "1");
  ASSERT_TRUE(Reg.OpenKey(std::string("\\") + TestKey, false));
  EXPECT_TRUE(Reg.CreateKey("B"));
  EXPECT_TRUE(Reg.HasSubKeys());
  TStringList Keys;
  Reg.GetKeyNames(&Keys);
  Keys.Sort();
  EXPECT_EQ(Keys.CommaText(), "A,B");
  EXPECT_TRUE(Reg.KeyExists("A\\Deep"));
  EXPECT_TRUE(Reg.KeyExists(std::string("\\") + TestKey + "\\A\\Deep\\Deeper\\"));
  EXPECT_FALSE(Reg.KeyExists("C"));
  EXPECT_FALSE(Reg.OpenKey("C", false));  // not created without CanCreate
  EXPECT_TRUE(Reg.DeleteKey("A"));        // with its sub-keys
  EXPECT_FALSE(Reg.KeyExists("A"));
  EXPECT_FALSE(Reg.DeleteKey("A"));
  EXPECT_FALSE(Reg.DeleteKey(""));  // never the open key itself
}

TEST_F(RegistryTest, RegIniFileSectionsAreSubKeysOfTheSameKeyWithOrWithoutBackslash) {
  TRegIniFile Writer("\\Software\\Zembrix\\RegIniTest");
  Writer.WriteString("MainForm", "RF_ViewStyle", "vsReport");
  Writer.WriteInteger("MainForm", "RPages_Width", 312);
  Writer.WriteBool("MainForm", "Visible", true);
  Writer.WriteBool("MainForm", "Hidden", false);
  Writer.WriteString("Viewer", "Caption", "\xCF\xF0\xEE\xF1\xEC\xEE\xF2\xF0");

  TRegIniFile Reader("Software\\Zembrix\\RegIniTest");
  EXPECT_EQ(Reader.ReadString("MainForm", "RF_ViewStyle", ""), "vsReport");
  EXPECT_EQ(Reader.ReadInteger("MainForm", "RPages_Width", 0), 312);
  EXPECT_TRUE(Reader.ReadBool("MainForm", "Visible", false));
  EXPECT_FALSE(Reader.ReadBool("MainForm", "Hidden", true));
  EXPECT_EQ(Reader.ReadString("Viewer", "Caption", ""), "\xCF\xF0\xEE\xF1\xEC\xEE\xF2\xF0");
  EXPECT_EQ(Reader.ReadString("MainForm", "Missing", "dflt"), "dflt");
  EXPECT_EQ(Reader.ReadInteger("Nowhere", "Missing", 7), 7);

  // Stored as strings: Booleans as "0"/"1", integers as decimal text.
  TRegistry Reg;
  ASSERT_TRUE(Reg.OpenKeyReadOnly("\\Software\\Zembrix\\RegIniTest\\MainForm"));
  EXPECT_EQ(Reg.GetDataType("Visible"), rdString);
  EXPECT_EQ(Reg.ReadString("Visible"), "1");
  EXPECT_EQ(Reg.ReadString("Hidden"), "0");
  EXPECT_EQ(Reg.ReadString("RPages_Width"), "312");

  TStringList List;
  Reader.ReadSections(&List);
  List.Sort();
  EXPECT_EQ(List.CommaText(), "MainForm,Viewer");
  Reader.ReadSection("MainForm", &List);
  List.Sort();
  EXPECT_EQ(List.CommaText(), "Hidden,RF_ViewStyle,RPages_Width,Visible");
  Reader.ReadSectionValues("MainForm", &List);
  EXPECT_EQ(List.Values("RPages_Width"), "312");
  EXPECT_TRUE(Reader.SectionExists("MainForm"));
  EXPECT_TRUE(Reader.ValueExists("MainForm", "Visible"));

  Reader.DeleteKey("MainForm", "Visible");
  EXPECT_FALSE(Reader.ValueExists("MainForm", "Visible"));
  Reader.EraseSection("MainForm");
  EXPECT_FALSE(Reader.SectionExists("MainForm"));
  EXPECT_EQ(Reader.ReadString("MainForm", "RF_ViewStyle", "gone"), "gone");
}

TEST_F(RegistryTest, RegIniFileReadsIntegerValuesAndNeverCreatesKeysOnRead) {
  {
    TRegistry Reg;
    ASSERT_TRUE(Reg.OpenKey("\\Software\\Zembrix\\RegIniOther\\S", true));
    Reg.WriteInteger("Dword", 0x1234);
    Reg.WriteString("Hex", "$1F");
    Reg.WriteString("Junk", "abc");
  }
  TRegIniFile Ini("Software\\Zembrix\\RegIniOther\\");  // a trailing "\" is accepted too
  EXPECT_EQ(Ini.ReadString("S", "Dword", ""), "4660");
  EXPECT_EQ(Ini.ReadInteger("S", "Dword", 0), 0x1234);
  EXPECT_EQ(Ini.ReadInteger("S", "Hex", 0), 31);
  EXPECT_EQ(Ini.ReadInteger("S", "Junk", -5), -5);

  TRegIniFile Absent("Software\\Zembrix\\RegIniOther\\Absent");
  EXPECT_EQ(Absent.ReadString("Section", "Key", "d"), "d");
  TStringList List;
  Absent.ReadSections(&List);
  EXPECT_EQ(List.Count(), 0);
  TRegistry Reg;
  EXPECT_FALSE(Reg.KeyExists("\\Software\\Zembrix\\RegIniOther\\Absent"));
}

}  // namespace
