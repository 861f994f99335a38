// The user menu window: its list comes from and goes back to "UserMenu.dat" of the program
// folder; the buttons, Enter and Esc; the captions from the language file.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/core/lng_strings.h"
#include "app/f2_menu.h"
#include "classlib/core/code_page.h"
#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/wide_string.h"
#include "storage/core/file_utils.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/dialog_watcher.h"
#include "tests/support/form_test.h"
#include "tests/support/program_folder_fixture.h"
#include "tests/support/screenshot.h"

namespace {

std::string Cyr(const char* Utf8) { return Utf8ToCp1251(Utf8); }

void WriteBytes(const std::string& Name, const std::string& Bytes) {
  TFileStream F(Name, fmCreate);
  if (!Bytes.empty()) F.WriteBuffer(Bytes.data(), Bytes.size());
}

std::string ReadBytes(const std::string& Name) {
  TMemoryStream S;
  S.LoadFromFile(Name);
  return std::string(static_cast<const char*>(S.Memory()), static_cast<size_t>(S.Size()));
}

std::vector<std::string> Lines(TF2Menu* F) {
  std::vector<std::string> R;
  for (int I = 0; I < F->List->Items()->Count(); ++I) R.push_back(F->List->Items()->Strings(I));
  return R;
}

// Each test has its own program folder; the runner records instead of starting programs.
class UserMenu : public ProgramFolderFixture {
protected:
  std::string MenuFile() const { return Dir / "UserMenu.dat"; }
  std::unique_ptr<TF2Menu> NewMenu() {
    std::unique_ptr<TF2Menu> F(CreateForm<TF2Menu>(nullptr));
    F->RunLine = [this](const std::string& Line) { Ran.push_back(Line); };
    return F;
  }
  std::vector<std::string> Ran;
};

}  // namespace

TEST_F(UserMenu, TheListComesFromTheFileCyrillicLinesToo) {
  std::string Cyrillic = Cyr("C:\\Программы\\Блокнот.exe");
  WriteBytes(MenuFile(), "notepad.exe\r\n" + Cyrillic + "\r\ncalc.exe");
  auto F = NewMenu();
  EXPECT_EQ(Lines(F.get()), (std::vector<std::string>{"notepad.exe", Cyrillic, "calc.exe"}));
  EXPECT_FALSE(F->LoadFailed());
  EXPECT_EQ(F->Caption(), "Menu");
  EXPECT_EQ(F->BorderStyle(), bsSingle);
  EXPECT_EQ(F->Position(), poScreenCenter);
  EXPECT_TRUE(F->KeyPreview());
  EXPECT_EQ(F->Button2->Caption(), Cyr("Отмена"));
  EXPECT_EQ(F->Button6->Caption(), Cyr("Очистить"));
}

TEST_F(UserMenu, WithoutTheFileTheListIsEmptyAndTheFileIsMadeAtTheFirstClose) {
  ASSERT_FALSE(FileExists(MenuFile()));
  auto F = NewMenu();
  EXPECT_EQ(F->List->Items()->Count(), 0);
  EXPECT_FALSE(F->LoadFailed());
  F->Show();
  F->Close();
  EXPECT_FALSE(F->Visible());
  ASSERT_TRUE(FileExists(MenuFile()));
  EXPECT_EQ(ReadBytes(MenuFile()), "");
  EXPECT_FALSE(FileExists(MenuFile() + ".$$$"));
}

TEST_F(UserMenu, AddDeleteChangeAndClearAreWrittenBackAtClose) {
  WriteBytes(MenuFile(), "one.exe\r\ntwo.exe\r\nthree.exe\r\n");
  auto F = NewMenu();
  std::string Chosen = Cyr("C:\\Игры\\сапёр.exe");
  F->ChooseFile = [&](TOpenDialog* D) {
    EXPECT_EQ(D, F->MOpen);
    D->SetFileName(Chosen);
    return true;
  };
  F->Button3Click(F->Button3);  // add
  EXPECT_EQ(Lines(F.get()), (std::vector<std::string>{"one.exe", "two.exe", "three.exe", Chosen}));
  F->ChooseFile = [](TOpenDialog*) { return false; };
  F->Button3Click(F->Button3);  // a cancelled open dialog adds nothing
  EXPECT_EQ(F->List->Items()->Count(), 4);

  F->List->SetItemIndex(1);
  F->Button4Click(F->Button4);  // delete
  EXPECT_EQ(Lines(F.get()), (std::vector<std::string>{"one.exe", "three.exe", Chosen}));

  std::string Asked;
  F->List->SetItemIndex(0);
  F->AskText = [&](const std::string&, const std::string&, const std::string& Default) {
    Asked = Default;
    return std::string("one.exe /s");
  };
  F->Button5Click(F->Button5);  // change
  EXPECT_EQ(Asked, "one.exe");
  EXPECT_EQ(Lines(F.get()), (std::vector<std::string>{"one.exe /s", "three.exe", Chosen}));

  F->Show();
  F->Close();
  EXPECT_EQ(ReadBytes(MenuFile()), "one.exe /s\r\nthree.exe\r\n" + Chosen + "\r\n");

  F->Button6Click(F->Button6);  // clear
  EXPECT_EQ(F->List->Items()->Count(), 0);
  F->Show();
  F->Close();
  EXPECT_EQ(ReadBytes(MenuFile()), "");
}

TEST_F(UserMenu, ChangeAsksWithTheLanguageTextsAndACancelledBoxKeepsTheLine) {
  ForceDirectories(Dir / "INI");
  WriteBytes(Dir / "INI\\zq.lng",
             "[String]\r\nChange_command=" + Cyr("Изменить команду") + "\r\nInput_text=" + Cyr("Введите текст") + "\r\n");
  WriteBytes(MenuFile(), "a.exe\r\nb.exe\r\n");
  auto F = NewMenu();
  std::string Caption, Prompt;
  F->AskText = [&](const std::string& C, const std::string& P, const std::string& Default) {
    Caption = C;
    Prompt = P;
    return Default;  // what a cancelled box gives back
  };
  F->List->SetItemIndex(1);
  F->Button5Click(F->Button5);
  EXPECT_EQ(Caption, Cyr("Изменить команду"));
  EXPECT_EQ(Prompt, Cyr("Введите текст"));
  EXPECT_EQ(Lines(F.get()), (std::vector<std::string>{"a.exe", "b.exe"}));
}

TEST_F(UserMenu, TheRealChangeBoxAnsweredUnchangedKeepsTheLine) {
  WriteBytes(MenuFile(), "a.exe\r\n");
  auto F = NewMenu();
  F->Show();
  F->List->SetItemIndex(0);
  {
    TDialogWatcher Watcher;
    F->Button5Click(F->Button5);
    EXPECT_FALSE(Watcher.Answered().empty());
  }
  EXPECT_EQ(Lines(F.get()), (std::vector<std::string>{"a.exe"}));
}

TEST_F(UserMenu, DeleteChangeAndOkDoNothingWithoutASelectedLine) {
  WriteBytes(MenuFile(), "a.exe\r\nb.exe\r\n");
  auto F = NewMenu();
  F->Show();
  ASSERT_EQ(F->List->ItemIndex(), -1);
  bool Asked = false;
  F->AskText = [&](const std::string&, const std::string&, const std::string& D) {
    Asked = true;
    return D;
  };
  F->Button4Click(F->Button4);
  F->Button5Click(F->Button5);
  F->Button1Click(F->Button1);
  EXPECT_FALSE(Asked);
  EXPECT_TRUE(Ran.empty());
  EXPECT_TRUE(F->Visible());
  EXPECT_EQ(Lines(F.get()), (std::vector<std::string>{"a.exe", "b.exe"}));
  F->Close();
}

TEST_F(UserMenu, OkRunsTheWholeSelectedLineAndCloses) {
  std::string Line = Cyr("\"C:\\Program Files\\Редактор\\ed.exe\" -n file.txt");
  WriteBytes(MenuFile(), "a.exe\r\n" + Line + "\r\n");
  auto F = NewMenu();
  F->Show();
  F->List->SetItemIndex(1);
  F->Button1Click(F->Button1);
  EXPECT_EQ(Ran, (std::vector<std::string>{Line}));
  EXPECT_FALSE(F->Visible());
  EXPECT_EQ(ReadBytes(MenuFile()), "a.exe\r\n" + Line + "\r\n");
}

TEST_F(UserMenu, EnterAnywhereRunsTheSelectedLineAndEscCloses) {
  WriteBytes(MenuFile(), "a.exe\r\nb.exe\r\n");
  auto F = NewMenu();
  F->Show();
  F->List->SetItemIndex(0);
  F->Button3->SetFocus();  // Enter on the Add button still means OK
  PressKey(VK_RETURN);
  EXPECT_EQ(Ran, (std::vector<std::string>{"a.exe"}));
  EXPECT_FALSE(F->Visible());

  F->Show();
  F->List->SetFocus();
  PressKey(VK_ESCAPE);
  EXPECT_FALSE(F->Visible());
  EXPECT_EQ(Ran.size(), 1u);
}

TEST_F(UserMenu, CloseButtonClosesAndSaves) {
  auto F = NewMenu();
  F->List->Items()->Add("x.exe");
  F->Show();
  F->Button2Click(F->Button2);
  EXPECT_FALSE(F->Visible());
  EXPECT_TRUE(Ran.empty());
  EXPECT_EQ(ReadBytes(MenuFile()), "x.exe\r\n");
}

TEST_F(UserMenu, AModalRunEndedByEnterRunsTheLineAndWritesTheFile) {
  WriteBytes(MenuFile(), "a.exe\r\nb.exe\r\n");
  auto F = NewMenu();
  F->List->SetItemIndex(1);
  // Waiting in the queue, Enter reaches the window once its modal loop runs.
  PostMessageW(F->List->Handle(), WM_KEYDOWN, VK_RETURN, 1);
  F->ShowModal();
  EXPECT_EQ(Ran, (std::vector<std::string>{"b.exe"}));
  EXPECT_FALSE(F->Visible());
  EXPECT_EQ(ReadBytes(MenuFile()), "a.exe\r\nb.exe\r\n");
}

TEST_F(UserMenu, AFileThatCannotBeReadIsReportedAndNeverOverwritten) {
  WriteBytes(MenuFile(), "keep.exe\r\n");
  HANDLE Lock = CreateFileW(ToWide(MenuFile()).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(Lock, INVALID_HANDLE_VALUE);
  std::unique_ptr<TF2Menu> F;
  {
    TDialogWatcher Watcher;
    F = NewMenu();
    EXPECT_EQ(Watcher.Answered().size(), 1u);
  }
  CloseHandle(Lock);
  EXPECT_TRUE(F->LoadFailed());
  EXPECT_EQ(F->List->Items()->Count(), 0);
  F->Show();
  F->Close();
  EXPECT_EQ(ReadBytes(MenuFile()), "keep.exe\r\n");
}

TEST_F(UserMenu, AFailedWriteIsRaisedAndLeavesTheOldFileWhole) {
  WriteBytes(MenuFile(), "old.exe\r\n");
  auto F = NewMenu();
  F->List->Items()->Add("new.exe");
  // A folder where the new list would be written first makes the write fail.
  ForceDirectories(MenuFile() + ".$$$");
  F->Show();
  EXPECT_THROW(F->Close(), Exception);
  EXPECT_EQ(ReadBytes(MenuFile()), "old.exe\r\n");
  RemoveDirectoryW(ToWide(MenuFile() + ".$$$").c_str());
  F->Close();  // once the way is free, the list is written
  EXPECT_EQ(ReadBytes(MenuFile()), "old.exe\r\nnew.exe\r\n");
}

TEST_F(UserMenu, CaptionsComeFromTheLanguageFileAndTheWindowShowsThemWhole) {
  ForceDirectories(Dir / "INI");
  WriteBytes(Dir / "INI\\zq.lng", "[menu]\r\nButton3_Caption=Add\r\nButton6_Caption=Clear\r\n");
  WriteBytes(MenuFile(), "notepad.exe\r\n" + Cyr("C:\\Программы\\Блокнот.exe") + "\r\n");
  auto F = NewMenu();
  F->Show();
  EXPECT_EQ(F->Button3->Caption(), "Add");
  EXPECT_EQ(F->Button6->Caption(), "Clear");
  EXPECT_EQ(F->Button5->Caption(), Cyr("Изменить"));
  F->Close();
  // The language file is only read.
  EXPECT_EQ(ReadBytes(Dir / "INI\\zq.lng"), "[menu]\r\nButton3_Caption=Add\r\nButton6_Caption=Clear\r\n");

  // The designed captions, as most users see them.
  SetProgramFolder(Dir / "none\\");
  auto G = NewMenu();
  G->List->Items()->Add("notepad.exe");
  G->List->Items()->Add(Cyr("C:\\Программы\\Блокнот.exe"));
  G->Show();
  G->List->SetItemIndex(1);
  G->Update();
  PumpMessages();
  EXPECT_GT(SaveWindowPng(G->Handle(), ScreenshotPath("user-menu.png")), 0);
  for (TButton* B : {G->Button1, G->Button2, G->Button3, G->Button4, G->Button5, G->Button6}) {
    HDC DC = GetDC(B->Handle());
    HGDIOBJ Old = SelectObject(DC, reinterpret_cast<HGDIOBJ>(SendMessageW(B->Handle(), WM_GETFONT, 0, 0)));
    std::wstring Text = ToWide(B->Caption());
    SIZE Size{};
    GetTextExtentPoint32W(DC, Text.c_str(), static_cast<int>(Text.size()), &Size);
    SelectObject(DC, Old);
    ReleaseDC(B->Handle(), DC);
    EXPECT_LT(Size.cx + 8, B->Width()) << B->Caption();
  }
  G->SetVisible(false);  // closing would write into a folder that does not exist
}
