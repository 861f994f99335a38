// Help topics: the key of each topic number and the texts of the shipped help file.
#include <gtest/gtest.h>

#include <string>

#include "app/core/help_topics.h"
#include "app/core/lng_strings.h"
#include "classlib/core/ini_file.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "tests/classlib/temp_folder.h"

namespace {

class HelpTopics : public ::testing::Test {
protected:
  void SetUp() override {
    FOld = ProgramFolder();
    SetProgramFolder(Dir.Path() + "\\");
  }
  void TearDown() override { SetProgramFolder(FOld); }
  void WriteHelp(const std::string& Text) {
    ASSERT_TRUE(CreateDir(Dir / "ini"));
    TFileStream F(Dir / "ini\\help.ini", fmCreate);
    F.WriteBuffer(Text.data(), Text.size());
  }
  TTempFolder Dir;
  std::string FOld;
};

TEST_F(HelpTopics, KeysByNumber) {
  const struct {
    int Topic;
    const char* Key;
  } Rows[] = {{0, "FilePanel"}, {2, "Copy"}, {3, "Move"}, {13, "ArcForm"}, {20, "Find"},
              {22, "ComboDrives"}, {23, "Error"}, {100, "Error"}, {-1, "Error"}};
  for (const auto& R : Rows) EXPECT_EQ(HelpTopicKey(R.Topic), R.Key) << R.Topic;
}

TEST_F(HelpTopics, TextsFromTheHelpFile) {
  std::string Text = "unchanged";
  EXPECT_FALSE(ReadHelpTopic(3, Text));  // no help file: nothing to show
  EXPECT_EQ(Text, "unchanged");

  WriteHelp("[main]\r\nMove=Moving files\r\nError=No help here\r\n");
  ASSERT_TRUE(ReadHelpTopic(3, Text));
  EXPECT_EQ(Text, "Moving files");
  ASSERT_TRUE(ReadHelpTopic(23, Text));
  EXPECT_EQ(Text, "No help here");
  ASSERT_TRUE(ReadHelpTopic(0, Text));
  EXPECT_EQ(Text, "Not found");  // a topic without its key

  // The language file's own help comes first; a topic it lacks comes from the help file.
  CreateDir(Dir / "INI");  // the language file's folder, where names have case
  {
    TFileStream F(LngFileName(), fmCreate);
    const std::string Lng = "[String]\r\nMove=Move\r\n[Help]\r\nMove=Help in English\r\n";
    F.WriteBuffer(Lng.data(), Lng.size());
  }
  ASSERT_TRUE(ReadHelpTopic(3, Text));
  EXPECT_EQ(Text, "Help in English");
  ASSERT_TRUE(ReadHelpTopic(23, Text));
  EXPECT_EQ(Text, "No help here");
}

// The help file the program ships, and each language file, has a text for every topic and
// for "Error"; the English one is English.
TEST(ShippedHelp, HasEveryTopic) {
  const std::string Root = std::string(ZX_TEST_DATA) + "/../../resources/";
  const struct {
    std::string File, Section;
  } Sources[] = {{Root + "program/INI/help.ini", "main"},
                 {Root + "langs/Russian.zq.lng", "Help"},
                 {Root + "langs/English.zq.lng", "Help"}};
  for (const auto& S : Sources) {
    TIniFile Ini(S.File);
    for (int Topic = 0; Topic <= 23; ++Topic) {
      const std::string Text = Ini.ReadString(S.Section, HelpTopicKey(Topic), "");
      EXPECT_GT(Text.size(), 10u) << S.File << " " << HelpTopicKey(Topic);
      if (S.File.find("English") != std::string::npos)
        for (unsigned char C : Text) ASSERT_LT(C, 0x80) << S.File << " " << HelpTopicKey(Topic);
    }
  }
}

}  // namespace
