// The main window's commands over both panels: compare folders, the file listing, swap,
// and the folder bookmarks and fast bar kept across a restart.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "app/core/lng_strings.h"
#include "app/main_form.h"
#include "app/menu_commands.h"
#include "app/settings.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/registry.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/form_test.h"
#include "tests/support/file_bytes.h"
#include "tests/support/main_window_fixture.h"

namespace {

std::vector<std::string> Lines(const std::string& Text) {
  std::vector<std::string> R;
  size_t I = 0;
  while (I < Text.size()) {
    size_t J = Text.find("\r\n", I);
    if (J == std::string::npos) J = Text.size();
    R.push_back(Text.substr(I, J - I));
    I = J + 2;
  }
  return R;
}

std::set<std::string> Selected(TPTShellList* List) {
  std::set<std::string> R;
  for (int I = 0; I < List->Items()->Count(); ++I)
    if (List->Items()->Item(I)->Selected()) R.insert(List->GetItemData(I)->GetFileName());
  return R;
}

class MenuCommands : public MainWindowFixture {
protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    CreateDir(Dir / "left");
    CreateDir(Dir / "right");
    Open();
  }
  void Open() {
    CreateMainForm();
    MainForm->Ask = [this](const std::string& Msg, TMsgDlgType, TMsgDlgButtons) {
      Told.push_back(Msg);
      return int(mrOk);
    };
    MainForm->AskText = [this](const std::string&, const std::string&, std::string& Value) {
      if (Typed.empty()) return false;
      Value = Typed;
      return true;
    };
    MainForm->Show();
    MainForm->LF->Folder()->SetPath(Dir / "left");
    MainForm->RF->Folder()->SetPath(Dir / "right");
  }
  void Restart() {
    bool CanClose = true;
    MainForm->OnCloseQuery(MainForm, CanClose);
    TCloseAction A = caFree;
    MainForm->FormClose(MainForm, A);
    FreeMainForm();
    Open();
  }
  void Click(const char* Name) {
    auto* Item = dynamic_cast<TMenuItem*>(MainForm->FindComponent(Name));
    ASSERT_NE(Item, nullptr) << Name;
    Item->Click();
  }

  std::vector<std::string> Told;
  std::string Typed;
};

// Equal files (same name in any case, same size), same name with another size, files on
// one side only, and a folder: the left selects what has no equal on the right, the right
// only its equal files, whatever either had selected before.
TEST_F(MenuCommands, CompareFoldersSelectsByNameAndSizeInBytes) {
  WriteFileBytes(Dir / "left\\same.txt", "12345");
  WriteFileBytes(Dir / "left\\other.txt", "123");
  WriteFileBytes(Dir / "left\\leftonly.txt", "1");
  CreateDir(Dir / "left\\sub");
  WriteFileBytes(Dir / "right\\SAME.TXT", "abcde");
  WriteFileBytes(Dir / "right\\other.txt", "1234");
  WriteFileBytes(Dir / "right\\rightonly.txt", "1");
  CreateDir(Dir / "right\\sub");
  MainForm->LF->Refill();
  MainForm->RF->Refill();
  for (int I = 0; I < MainForm->RF->Items()->Count(); ++I) MainForm->RF->Items()->Item(I)->SetSelected(true);
  Click("cN78");
  EXPECT_EQ(Selected(MainForm->LF), (std::set<std::string>{"other.txt", "leftonly.txt"}));
  EXPECT_EQ(Selected(MainForm->RF), (std::set<std::string>{"SAME.TXT"}));
  EXPECT_TRUE(Told.empty());

  MainForm->RF->Folder()->SetPath(Dir / "left");
  EXPECT_FALSE(MainForm->MenuCommands->CompareFolders());
  std::string Same;
  GetLngString("Folder_equaly", Same);
  ASSERT_EQ(Told.size(), 1u);
  EXPECT_EQ(Told[0], Same);
}

TEST_F(MenuCommands, FileListingHasItsHeaderAndALinePerItem) {
  WriteFileBytes(Dir / "left\\a.txt", "hello");
  CreateDir(Dir / "left\\sub");
  CreateDir(Dir / "right\\one");
  CreateDir(Dir / "right\\two");
  MainForm->LF->Refill();
  MainForm->RF->Refill();
  MainForm->PathInfo->SetCaption(Dir / "left");
  Typed = Dir / "list.txt";
  Click("N5");
  std::vector<std::string> L = Lines(ReadFileBytes(Dir / "list.txt"));
  ASSERT_EQ(L.size(), 3u);
  const std::string Tail = " Folder: " + Dir / "left" + "  Zembrix 1.53.3";
  ASSERT_GT(L[0].size(), Tail.size());
  EXPECT_EQ(L[0].substr(L[0].size() - Tail.size()), Tail);
  std::set<std::string> Items(L.begin() + 1, L.end());
  EXPECT_EQ(Items.count("sub\t- Folder"), 1u);
  std::string File;
  for (const std::string& Line : Items)
    if (Line.rfind("a.txt\t\t", 0) == 0) File = Line;
  ASSERT_FALSE(File.empty());
  EXPECT_EQ(std::count(File.begin(), File.end(), '\t'), 4);  // name, size, date, type

  // A folder of folders only: one line per folder after the header.
  MainForm->PathInfo->SetCaption(Dir / "right");
  Typed = Dir / "list2.txt";
  Click("N5");
  L = Lines(ReadFileBytes(Dir / "list2.txt"));
  ASSERT_EQ(L.size(), 3u);
  EXPECT_EQ(std::set<std::string>(L.begin() + 1, L.end()), (std::set<std::string>{"one\t- Folder", "two\t- Folder"}));
  // A file that cannot be made is told.
  Typed = Dir / "no such folder\\list.txt";
  Click("N5");
  EXPECT_EQ(Told.size(), 1u);
}

TEST_F(MenuCommands, SwapPanelsExchangesTheFolders) {
  Click("cN77");
  EXPECT_TRUE(AnsiSameText(ExcludeTrailingBackslash(MainForm->LF->Folder()->GetPath()), Dir / "right"));
  EXPECT_TRUE(AnsiSameText(ExcludeTrailingBackslash(MainForm->RF->Folder()->GetPath()), Dir / "left"));
}

TEST_F(MenuCommands, BookmarksAndFastBarLastAcrossARestart) {
  Click("FolderAddL");
  MainForm->RF->Folder()->SetPath(Dir / "left");
  Click("FolderAddR");
  MainForm->AddFastButton("C:\\windows\\notepad.exe");
  Restart();
  ASSERT_EQ(MainForm->FolderMenuL->Items()->Count(), 3);
  EXPECT_TRUE(AnsiSameText(MainForm->FolderMenuL->Items()->Items(2)->Caption(), Dir / "left"));
  ASSERT_EQ(MainForm->FolderMenuR->Items()->Count(), 3);
  ASSERT_EQ(MainForm->FastBar->ButtonCount(), 1);
  EXPECT_TRUE(AnsiSameText(MainForm->FastBar->Buttons(0)->Caption(), "C:\\windows\\notepad.exe"));
  // A bookmark takes its panel to its folder.
  MainForm->LF->Folder()->SetPath(Dir / "right");
  MainForm->FolderMenuL->Items()->Items(2)->Click();
  EXPECT_TRUE(AnsiSameText(ExcludeTrailingBackslash(MainForm->LF->Folder()->GetPath()), Dir / "left"));
}

}  // namespace
