#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/core/exception.h"
#include "classlib/core/ini_file.h"
#include "classlib/core/stream.h"
#include "classlib/core/strings.h"
#include "temp_folder.h"

namespace {

// A stored file as the program and its users leave them: comments, blanks around "=",
// quotes, hexadecimal numbers, a repeated key and a Cyrillic section.
const std::string kStored =
    "; top comment\r\n"
    "[Main]\r\n"
    "Name = Value with spaces  \r\n"
    "Quoted=\"  padded  \"\r\n"
    "Single='x'\r\n"
    "Lone=\"\r\n"
    "Mixed=\"x'\r\n"
    "Int=42\r\n"
    "Hex=$1F\r\n"
    "Hex2=0x10\r\n"
    "Bad=12abc\r\n"
    "BoolT=1\r\n"
    "BoolF=0\r\n"
    "BoolN=-5\r\n"
    "BoolX=True\r\n"
    "Float=1.5\r\n"
    "Empty=\r\n"
    "Dup=first\r\n"
    "Dup=second\r\n"
    "NoEquals line\r\n"
    "\r\n"
    "[main2]\r\n"
    "; comment inside\r\n"
    "Key=v\r\n"
    "\r\n"
    "[\xCA\xE8\xF0\xE8\xEB\xEB\xE8\xF6\xE0]\r\n"  // [Кириллица]
    "\xCA\xEB\xFE\xF7=\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5\r\n";  // Ключ=Значение

std::string ReadAll(const std::string& Name) {
  TMemoryStream M;
  M.LoadFromFile(Name);
  return std::string(static_cast<const char*>(M.Memory()), static_cast<std::size_t>(M.Size()));
}

void WriteAll(const std::string& Name, const std::string& Text) {
  TFileStream F(Name, fmCreate);
  F.WriteBuffer(Text.data(), Text.size());
}

std::vector<std::string> Lines(const TStrings& L) {
  std::vector<std::string> V;
  for (int I = 0; I < L.Count(); ++I) V.push_back(L[I]);
  return V;
}

class IniFileTest : public ::testing::Test {
protected:
  void SetUp() override { WriteAll(Name, kStored); }
  TTempFolder T;
  std::string Name = T / "stored.ini";
};

}  // namespace

TEST_F(IniFileTest, ReadsStoredValuesByTheProfileRules) {
  TIniFile Ini(Name);
  struct Case {
    const char *Section, *Ident, *Default, *Expected;
  } Cases[] = {
      {"MAIN", "name", "d", "Value with spaces"},  // any case, trimmed
      {"Main", "Quoted", "", "  padded  "},        // one pair of quotes goes
      {"Main", "Single", "", "x"},
      {"Main", "Lone", "", "\""},
      {"Main", "Mixed", "", "\"x'"},
      {"Main", "Missing", "def", "def"},
      {"Nope", "Name", "def", "def"},
      {"Main", "Empty", "def", ""},  // present but empty is not missing
      {"Main", "Dup", "", "first"},
      {"Main", "NoEquals line", "def", "def"},
      {" main2 ", " KEY ", "", "v"},
      {"\xEA\xE8\xF0\xE8\xEB\xEB\xE8\xF6\xE0", "\xCA\xCB\xDE\xD7", "", "\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5"},
  };
  for (const Case& C : Cases) EXPECT_EQ(Ini.ReadString(C.Section, C.Ident, C.Default), C.Expected) << C.Ident;

  struct IntCase {
    const char* Ident;
    int Expected;
  } Ints[] = {{"Int", 42}, {"Hex", 31}, {"Hex2", 16}, {"Bad", 7}, {"Missing", 7}, {"Name", 7}, {"Empty", 7}};
  for (const IntCase& C : Ints) EXPECT_EQ(Ini.ReadInteger("Main", C.Ident, 7), C.Expected) << C.Ident;

  struct BoolCase {
    const char* Ident;
    bool Default, Expected;
  } Bools[] = {{"BoolT", false, true}, {"BoolF", true, false}, {"BoolN", false, true},
               {"BoolX", false, false}, {"BoolX", true, true}, {"Missing", true, true}};
  for (const BoolCase& C : Bools) EXPECT_EQ(Ini.ReadBool("Main", C.Ident, C.Default), C.Expected) << C.Ident;

  EXPECT_EQ(Ini.ReadFloat("Main", "Float", 0), 1.5);
  EXPECT_EQ(Ini.ReadFloat("Main", "Name", 2.5), 2.5);
}

TEST_F(IniFileTest, ListsSectionsKeysAndValues) {
  TIniFile Ini(Name);
  TStringList L;
  L.Add("stale");
  Ini.ReadSections(&L);
  EXPECT_EQ(Lines(L), (std::vector<std::string>{"Main", "main2", "\xCA\xE8\xF0\xE8\xEB\xEB\xE8\xF6\xE0"}));
  Ini.ReadSection("main", &L);
  EXPECT_EQ(L.Count(), 16);  // the repeated key once, the line without "=" not at all
  EXPECT_EQ(L[0], "Name");
  EXPECT_EQ(L[15], "Dup");
  Ini.ReadSectionValues("MAIN2", &L);
  EXPECT_EQ(Lines(L), (std::vector<std::string>{"Key=v"}));
  Ini.ReadSectionValues("Main", &L);
  EXPECT_EQ(L[1], "Quoted=  padded  ");
  EXPECT_TRUE(Ini.SectionExists("MAIN2"));
  EXPECT_FALSE(Ini.SectionExists("nope"));
  EXPECT_TRUE(Ini.ValueExists("main", "EMPTY"));
  EXPECT_FALSE(Ini.ValueExists("main", "none"));
}

TEST_F(IniFileTest, WritesKeepCommentsLayoutAndKeySpelling) {
  TIniFile Ini(Name);
  Ini.WriteString("MAIN", "INT", "43");     // the stored spelling stays
  Ini.WriteString("main2", "New", " sp ");  // after the section's last key
  Ini.WriteInteger("Added", "Count", -3);   // a new section at the end
  Ini.WriteBool("Added", "On", true);
  Ini.WriteBool("Added", "Off", false);
  std::string Expected = kStored;
  Expected.replace(Expected.find("Int=42"), 6, "Int=43");
  Expected.replace(Expected.find("Key=v\r\n") + 7, 0, "New= sp \r\n");
  Expected += "\r\n[Added]\r\nCount=-3\r\nOn=1\r\nOff=0\r\n";
  EXPECT_EQ(ReadAll(Name), Expected);
  EXPECT_EQ(Ini.ReadString("main2", "new", ""), "sp");
  EXPECT_TRUE(Ini.ReadBool("Added", "On", false));

  Ini.DeleteKey("main", "dup");  // every copy goes, so the second does not show through
  EXPECT_EQ(Ini.ReadString("Main", "Dup", "gone"), "gone");
  Ini.EraseSection("MAIN2");
  EXPECT_FALSE(Ini.SectionExists("main2"));
  EXPECT_EQ(ReadAll(Name).find("comment inside"), std::string::npos);
  EXPECT_EQ(Ini.ReadString("Added", "Count", ""), "-3");
  EXPECT_EQ(ReadAll(Name).rfind("; top comment\r\n[Main]\r\n", 0), 0u);

  Ini.WriteFloat("Added", "F", 0.25);
  EXPECT_EQ(Ini.ReadFloat("Added", "F", 0), 0.25);
}

TEST_F(IniFileTest, RefusesWhatWouldInjectKeys) {
  TIniFile Ini(Name);
  struct Case {
    std::string Section, Ident, Value;
  } Cases[] = {
      {"Main", "Name", "x\r\n[Evil]\r\nk=v"},
      {"Main", "Name", "x\ny"},
      {"Main", "Name", "x\ry"},
      {"Main", "Name", std::string("x\0y", 3)},
      {"Main", "a\nb", "v"},
      {"Main", "a=b", "v"},
      {"Main", "[Evil]", "v"},
      {"Main", ";hidden", "v"},
      {"Ma\r\nin", "k", "v"},
      {"a]b", "k", "v"},
  };
  for (const Case& C : Cases) {
    EXPECT_THROW(Ini.WriteString(C.Section, C.Ident, C.Value), EIniFileException) << C.Ident << C.Value;
    EXPECT_EQ(ReadAll(Name), kStored);
  }
  EXPECT_THROW(Ini.DeleteKey("Main", "a\nb"), EIniFileException);
  EXPECT_THROW(Ini.EraseSection("a\nb"), EIniFileException);
  EXPECT_EQ(ReadAll(Name), kStored);
}

TEST(IniFile, MissingFileAndFolder) {
  TTempFolder T;
  const std::string Name = T / "new.ini";
  TIniFile Ini(Name);
  EXPECT_EQ(Ini.FileName(), Name);
  EXPECT_EQ(Ini.ReadString("S", "K", "-+-"), "-+-");
  TStringList L;
  Ini.ReadSections(&L);
  EXPECT_EQ(L.Count(), 0);
  Ini.EraseSection("S");
  Ini.DeleteKey("S", "K");
  EXPECT_FALSE(FileExists(Name));  // reading and erasing create nothing
  Ini.WriteString("S", "K", "V");
  EXPECT_EQ(ReadAll(Name), "[S]\r\nK=V\r\n");

  const std::string NoDir = T / "no\\such.ini";
  TIniFile Bad(NoDir);
  try {
    Bad.WriteString("S", "K", "V");
    FAIL();
  } catch (const EIniFileException& E) {
    EXPECT_EQ(E.Message(), "Unable to write to " + NoDir);
  }
  EXPECT_FALSE(FileExists(NoDir));
}

TEST(IniFile, ReadOnlyFileIsNotChanged) {
  TTempFolder T;
  const std::string Name = T / "ro.ini";
  WriteAll(Name, "[S]\nK=old\n");
  ASSERT_EQ(FileSetAttr(Name, faReadOnly), 0);
  TIniFile Ini(Name);
  EXPECT_THROW(Ini.WriteString("S", "K", "new"), EIniFileException);
  EXPECT_EQ(Ini.ReadString("S", "K", ""), "old");
  FileSetAttr(Name, 0);
  Ini.WriteString("S", "K2", "v");  // LF files stay LF
  EXPECT_EQ(ReadAll(Name), "[S]\nK=old\nK2=v\n");
}

TEST(IniFile, ValuesAreCutAt1023Characters) {
  TTempFolder T;
  TIniFile Ini(T / "long.ini");
  const std::string Long(2000, 'x');
  Ini.WriteString("S", "K", Long);
  EXPECT_EQ(ReadAll(T / "long.ini").size(), std::string("[S]\r\nK=\r\n").size() + 2000);  // stored whole
  EXPECT_EQ(Ini.ReadString("S", "K", ""), std::string(1023, 'x'));
  TStringList L;
  Ini.ReadSectionValues("S", &L);
  EXPECT_EQ(L[0].size(), 2u + 1023u);
  // The quotes a storage adds around a quoted value come off again on reading.
  Ini.WriteString("S", "Q", "\"\"abc\"\"");
  EXPECT_EQ(Ini.ReadString("S", "Q", ""), "\"abc\"");
}
