// The file panels' keys, pressed on the real main window's lists: files are checked on
// disk, the questions are the real ones (answered with keys) or the test's hooks.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/arc_dialogs.h"
#include "app/arc_page.h"
#include "app/core/lng_strings.h"
#include "app/main_form.h"
#include "app/panel_keys.h"
#include "app/quick_find.h"
#include "app/settings.h"
#include "archive/core/arc_globals.h"
#include "app/small_dialogs.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/registry.h"
#include "classlib/win/wide_string.h"
#include "shell/pt_shell_utils.h"
#include "storage/core/file_utils.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/dialog_watcher.h"
#include "tests/support/form_test.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/support/file_bytes.h"
#include "tests/support/wait_for.h"
#include "tests/support/main_window_fixture.h"

namespace {

void CopyInto(const std::string& From, const std::string& To) {
  TMemoryStream S;
  S.LoadFromFile(From);
  S.SaveToFile(To);
}

// Every byte value, so that a copy that changes any of them shows.
std::string Payload(int Size) {
  std::string S;
  for (int I = 0; I < Size; ++I) S += char(I * 7 + I / 256);
  return S;
}

// The main window with a left folder L and a right folder R of the test's own.
class PanelKeys : public MainWindowFixture {
protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    ASSERT_TRUE(CreateDir(Dir / "L"));
    ASSERT_TRUE(CreateDir(Dir / "R"));
    WriteFileBytes(Dir / "L\\a.txt", Payload(70000));
    WriteFileBytes(Dir / "L\\b.txt", "bee");
    WriteFileBytes(Dir / "L\\readme.TXT", "read me");
    WriteFileBytes(Dir / "L\\c.bin", "sea");
    ASSERT_TRUE(CreateDir(Dir / "L\\sub"));
    WriteFileBytes(Dir / "L\\sub\\inner.dat", Payload(300));

    CreateMainForm();
    MainForm->Ask = [this](const std::string& Msg, TMsgDlgType, TMsgDlgButtons) {
      Asked.push_back(Msg);
      return Answer;
    };
    MainForm->AskBox = [this](const std::string& Text, const std::string&, UINT) {
      Asked.push_back(Text);
      return Answer == mrOk ? IDOK : IDCANCEL;
    };
    MainForm->AskText = [this](const std::string&, const std::string&, std::string& Value) {
      Offered.push_back(Value);
      if (Typed.empty()) return false;
      Value = Typed;
      return true;
    };
    MainForm->Launch = [this](const std::string& File, const std::string& Params, const std::string& Dir) {
      Launched.push_back(File + "|" + Params + "|" + Dir);
    };
    MainForm->SetStartFolders(Dir / "L", Dir / "R");
    MainForm->Show();
    PumpMessages();
    MainForm->LF->SetFocus();
  }
  void TearDown() override {
    if (QFind != nullptr) QFind->Hide();
    MainWindowFixture::TearDown();
  }

  // Selects exactly the named items of a panel.
  void Select(TPTShellList* List, const std::vector<std::string>& Names) {
    for (int I = 0; I < List->Items()->Count(); ++I) {
      std::string N = ItemName(List->GetItemData(I));
      bool Want = false;
      for (const auto& W : Names) Want = Want || N == W;
      List->Items()->Item(I)->SetSelected(Want);
    }
    for (int I = 0; I < List->Items()->Count(); ++I)
      if (List->Items()->Item(I)->Selected()) {
        List->Items()->Item(I)->SetFocused(true);
        break;
      }
  }
  std::vector<std::string> Selected(TPTShellList* List) {
    std::vector<std::string> R;
    for (const auto& P : SelectedPaths(List)) R.push_back(ExtractFileName(P));
    return R;
  }
  void Press(TPTShellList* List, uint16_t Key, TShiftState Shift = {}) { PressKey(Key, Shift, List->Handle()); }
  // Presses Key on the left panel and answers the copy or move question with Answer.
  bool PressAndAnswer(uint16_t Key, uint16_t AnswerKey) {
    bool Shown = false;
    TModalDriver Driver([&](TForm* F) {
      auto* C = dynamic_cast<TCPY*>(F);
      ASSERT_NE(C, nullptr);
      // In front of the main window, which waits for it.
      EXPECT_EQ(GetWindow(C->Handle(), GW_OWNER), MainForm->Handle());
      Shown = true;
      PressKey(AnswerKey, {}, C->BitBtn1->Handle());
    });
    Press(MainForm->LF, Key);
    return Shown && Driver.Ran();
  }

  int Answer = mrCancel;
  std::vector<std::string> Asked;
  std::string Typed;
  std::vector<std::string> Offered;  // what each text box offered before the answer
  std::vector<std::string> Launched;
};

TEST_F(PanelKeys, F5CopiesAndF6MovesIntoTheOtherPanelAfterTheQuestion) {
  Settings->pCopy->SetChecked(true);
  Settings->pMove->SetChecked(true);
  Select(MainForm->LF, {"a.txt", "sub"});
  // Esc: nothing is copied.
  ASSERT_TRUE(PressAndAnswer(VK_F5, VK_ESCAPE));
  EXPECT_FALSE(FileExists(Dir / "R\\a.txt"));
  // Enter: the selection arrives byte for byte, the folder with what it holds.
  ASSERT_TRUE(PressAndAnswer(VK_F5, VK_RETURN));
  EXPECT_EQ(ReadFileBytes(Dir / "R\\a.txt"), Payload(70000));
  EXPECT_EQ(ReadFileBytes(Dir / "R\\sub\\inner.dat"), Payload(300));
  EXPECT_TRUE(FileExists(Dir / "L\\a.txt"));
  // The other panel shows them at once.
  MainForm->RF->Update();
  PumpMessages();
  EXPECT_GE(MainForm->RF->Items()->Count(), 2);
  EXPECT_GT(SaveWindowPng(MainForm->Handle(), ScreenshotPath("main_window_after_f5.png")), 0);

  Select(MainForm->LF, {"b.txt", "c.bin"});
  ASSERT_TRUE(PressAndAnswer(VK_F6, VK_ESCAPE));
  EXPECT_TRUE(FileExists(Dir / "L\\b.txt"));
  ASSERT_TRUE(PressAndAnswer(VK_F6, VK_RETURN));
  EXPECT_FALSE(FileExists(Dir / "L\\b.txt"));
  EXPECT_FALSE(FileExists(Dir / "L\\c.bin"));
  EXPECT_EQ(ReadFileBytes(Dir / "R\\b.txt"), "bee");
  EXPECT_EQ(ReadFileBytes(Dir / "R\\c.bin"), "sea");

  // With the questions off, F5 copies at once.
  Settings->pCopy->SetChecked(false);
  Select(MainForm->LF, {"readme.TXT"});
  Press(MainForm->LF, VK_F5);
  EXPECT_EQ(ReadFileBytes(Dir / "R\\readme.TXT"), "read me");
}

TEST_F(PanelKeys, F7MakesOneFolderInThePanelsFolderAndNothingElsewhere) {
  Typed = "new";
  Press(MainForm->LF, VK_F7);
  EXPECT_TRUE(DirExists(Dir / "L\\new"));
  {
    TDialogWatcher Watcher;
    for (const char* Bad : {"..\\x", "..", "C:\\x", "a\\b", "a/b", "x:y", "dots.."}) {
      Typed = Bad;
      Press(MainForm->RF, VK_F7);
    }
    EXPECT_EQ(Watcher.Answered().size(), 7u);
  }
  EXPECT_FALSE(DirExists(Dir / "x"));
  EXPECT_FALSE(DirExists(Dir / "R\\a"));
  EXPECT_FALSE(DirExists("C:\\x"));
  // A cancelled or empty answer makes nothing.
  Typed.clear();
  Press(MainForm->RF, VK_F7);
  std::vector<std::string> Names;
  for (int I = 0; I < MainForm->RF->Items()->Count(); ++I) Names.push_back(ItemName(MainForm->RF->GetItemData(I)));
  EXPECT_TRUE(Names.empty());
  // A drive root gets no second separator.
  std::string Error;
  const std::string Name = "zx-new-" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(MakeNewFolder("C:\\", Name, Error)) << Error;
  EXPECT_TRUE(DirExists("C:\\" + Name));
  RemoveDirectoryW(ToWide("C:\\" + Name).c_str());
}

TEST_F(PanelKeys, F8DeletesIntoTheRecycleBinOnlyAfterOK) {
  Select(MainForm->LF, {"b.txt", "sub"});
  Answer = mrCancel;
  Press(MainForm->LF, VK_F8);
  ASSERT_EQ(Asked.size(), 1u);
  EXPECT_TRUE(FileExists(Dir / "L\\b.txt"));
  Answer = mrOk;
  Press(MainForm->LF, VK_F8);
  EXPECT_FALSE(FileExists(Dir / "L\\b.txt"));
  EXPECT_FALSE(DirExists(Dir / "L\\sub"));
  EXPECT_TRUE(FileExists(Dir / "L\\a.txt"));

  // The real question: Esc (the watcher's Cancel) deletes nothing.
  MainForm->AskBox = [](const std::string& Text, const std::string& Caption, UINT Flags) {
    return Application->MessageBox(Text, Caption, Flags);
  };
  Select(MainForm->LF, {"a.txt"});
  {
    TDialogWatcher Watcher;
    Press(MainForm->LF, VK_F8);
    EXPECT_EQ(Watcher.Answered().size(), 1u);
  }
  EXPECT_TRUE(FileExists(Dir / "L\\a.txt"));
}

TEST_F(PanelKeys, CtrlDelDeletesFoldersTooAndTellsWhatStayed) {
  Select(MainForm->LF, {"sub", "c.bin"});
  Answer = mrNo;
  Press(MainForm->LF, VK_DELETE, {ssCtrl});
  EXPECT_TRUE(DirExists(Dir / "L\\sub"));
  Answer = mrYes;
  Press(MainForm->LF, VK_DELETE, {ssCtrl});
  EXPECT_FALSE(DirExists(Dir / "L\\sub"));
  EXPECT_FALSE(FileExists(Dir / "L\\c.bin"));

  // A file held open without delete sharing stays, and the user hears of it.
  HANDLE Held = CreateFileW(ToWide(Dir / "L\\b.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(Held, INVALID_HANDLE_VALUE);
  Select(MainForm->LF, {"b.txt", "a.txt"});
  std::vector<std::wstring> Told;
  {
    TDialogWatcher Watcher;
    Press(MainForm->LF, VK_DELETE, {ssCtrl});
    Told = Watcher.Answered();
  }
  CloseHandle(Held);
  EXPECT_FALSE(FileExists(Dir / "L\\a.txt"));
  EXPECT_TRUE(FileExists(Dir / "L\\b.txt"));
  ASSERT_EQ(Told.size(), 1u);
  EXPECT_NE(Told[0].find(L"b.txt"), std::wstring::npos);
}

// The panel's own reports come from the language file: a Russian user reads them in
// Russian, with the name or path they concern.
TEST_F(PanelKeys, ReportsComeInTheLanguageOfTheLanguageFile) {
  CreateDirectoryW(ToWide(ExcludeTrailingBackslash(ExtractFilePath(LngFileName()))).c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(ToWide(std::string("Z:") + ZX_TEST_DATA + "/../../resources/langs/Russian.zq.lng").c_str(),
                        ToWide(LngFileName()).c_str(), FALSE));
  std::vector<std::wstring> Told;
  {
    TDialogWatcher Watcher;
    Typed = "a?b";
    Press(MainForm->LF, VK_F7);
    HANDLE Held = CreateFileW(ToWide(Dir / "L\\b.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(Held, INVALID_HANDLE_VALUE);
    Select(MainForm->LF, {"b.txt"});
    Answer = mrYes;
    Press(MainForm->LF, VK_DELETE, {ssCtrl});
    CloseHandle(Held);
    Told = Watcher.Answered();
  }
  ASSERT_EQ(Told.size(), 2u);
  EXPECT_NE(Told[0].find(L"\"a?b\" \u2014 \u043D\u0435 \u0438\u043C\u044F \u043F\u0430\u043F\u043A\u0438"),
            std::wstring::npos)  // "a?b" — не имя папки
      << FromWide(Told[0]);
  EXPECT_NE(Told[1].find(L"\u041D\u0435 \u0443\u0434\u0430\u043B\u0435\u043D\u043E:"), std::wstring::npos)  // Не удалено:
      << FromWide(Told[1]);
  EXPECT_NE(Told[1].find(L"b.txt"), std::wstring::npos);
}

TEST_F(PanelKeys, SelectionKeys) {
  TPTShellList* L = MainForm->LF;
  Select(L, {});
  L->Items()->Item(0)->SetFocused(true);
  Press(L, VK_INSERT);
  ASSERT_EQ(L->SelCount(), 1);
  EXPECT_TRUE(L->Items()->Item(0)->Selected());
  EXPECT_TRUE(L->Items()->Item(1)->Focused());
  Press(L, VK_SPACE);
  EXPECT_TRUE(L->Items()->Item(1)->Selected());
  EXPECT_EQ(L->SelCount(), 2);
  Press(L, VK_SPACE);
  EXPECT_EQ(L->SelCount(), 1);

  Select(L, {});
  Typed = "*.TXT";
  Press(L, VK_ADD);
  auto Sel = Selected(L);
  EXPECT_EQ(Sel.size(), 3u);  // a.txt, b.txt, readme.TXT: names fold to one case
  Select(L, {"readme.TXT", "c.bin"});
  Press(L, VK_SUBTRACT);
  EXPECT_EQ(Selected(L), std::vector<std::string>{"c.bin"});
  Press(L, VK_MULTIPLY);
  EXPECT_EQ(L->SelCount(), L->Items()->Count() - 1);
}

TEST_F(PanelKeys, TabGoesToTheOtherPanel) {
  ASSERT_EQ(GetFocus(), MainForm->LF->Handle());
  Press(MainForm->LF, VK_TAB);
  EXPECT_EQ(GetFocus(), MainForm->RF->Handle());
  Press(MainForm->RF, VK_TAB, {ssShift});
  EXPECT_EQ(GetFocus(), MainForm->LF->Handle());
  // It goes to what the other panel shows: its archive or its text page.
  MainForm->RPages->SetActivePage(MainForm->RArc);
  Press(MainForm->LF, VK_TAB);
  EXPECT_EQ(GetFocus(), MainForm->RAView->Handle());
  MainForm->LF->SetFocus();
  MainForm->RPages->SetActivePage(MainForm->REditPage);
  Press(MainForm->LF, VK_TAB);
  EXPECT_EQ(GetFocus(), MainForm->REdit->Handle());
  MainForm->RPages->SetActivePage(MainForm->RFiles);
}

TEST_F(PanelKeys, ModifiersMatchExactly) {
  Press(MainForm->LF, '1', {ssCtrl, ssShift});
  EXPECT_EQ(MainForm->LF->ViewStyle(), vsReport);
  Press(MainForm->LF, '1', {ssCtrl});
  EXPECT_EQ(MainForm->LF->ViewStyle(), vsIcon);
  EXPECT_TRUE(static_cast<TToolButton*>(MainForm->FindComponent("SpeedButton1"))->Down());
  Press(MainForm->RF, '3', {ssCtrl});
  EXPECT_EQ(MainForm->RF->ViewStyle(), vsList);
  EXPECT_EQ(MainForm->LF->ViewStyle(), vsIcon);
  Press(MainForm->LF, '7', {ssCtrl});
  EXPECT_EQ(MainForm->LPages->ActivePage(), MainForm->LEditPage);
  Press(MainForm->LF, '6', {ssCtrl});
  EXPECT_EQ(MainForm->LPages->ActivePage(), MainForm->LEditPage);
  MainForm->LPages->SetActivePage(MainForm->LFiles);
}

TEST_F(PanelKeys, AltLetterOpensQuickFindForThatPanel) {
  const struct {
    bool Left;
    uint16_t Key;
    const char* Text;
  } Rows[] = {{true, 'Z', "Z"}, {false, 'F', "F"}, {true, 0x5B, "["}, {false, 0x5B, "["}};
  for (const auto& R : Rows) {
    MainForm->ArcPage->ArchiveSideLeft = !R.Left;
    TPTShellList* List = R.Left ? MainForm->LF : MainForm->RF;
    Press(List, R.Key, {ssAlt});
    ASSERT_NE(QFind, nullptr);
    EXPECT_TRUE(QFind->Visible()) << R.Text;
    EXPECT_EQ(QFind->Edit1->Text(), R.Text);
    EXPECT_EQ(MainForm->ArcPage->ArchiveSideLeft, R.Left) << R.Text;
    EXPECT_EQ(QFind->Panel(), List);
    QFind->Hide();
  }
}

TEST_F(PanelKeys, ItemKeys) {
  // Ctrl+Enter gathers names in the path box, Ctrl+Shift+Enter the folder.
  Select(MainForm->LF, {"b.txt"});
  Press(MainForm->LF, VK_RETURN, {ssCtrl});
  Select(MainForm->LF, {"c.bin"});
  Press(MainForm->LF, VK_RETURN, {ssCtrl});
  EXPECT_EQ(MainForm->PathBox->Text(), "b.txt c.bin");
  MainForm->PathBox->SetText("");
  Press(MainForm->LF, VK_RETURN, {ssCtrl, ssShift});
  EXPECT_EQ(UpperCase(MainForm->PathBox->Text()), UpperCase(Dir / "L\\"));

  // F4 edits the file on the editor page.
  Press(MainForm->LF, VK_F4);
  EXPECT_EQ(MainForm->MainPage->ActivePage(), MainForm->EditTab);
  EXPECT_EQ(UpperCase(MainForm->EditorFileName), UpperCase(Dir / "L\\c.bin"));
  MainForm->MainPage->SetActivePage(MainForm->Main);

  // Ctrl+F4 hands the file to the other editor, quoted when it holds a blank.
  Settings->AltEditor->SetText("C:\\tools\\ed.exe");
  WriteFileBytes(Dir / "L\\with blank.txt", "x");
  MainForm->LF->RefreshItems();
  Select(MainForm->LF, {"with blank.txt"});
  Press(MainForm->LF, VK_F4, {ssCtrl});
  ASSERT_EQ(Launched.size(), 1u);
  EXPECT_EQ(Launched[0], "C:\\tools\\ed.exe|\"" + Dir / "L\\with blank.txt" + "\"|");

  // Shift+F5 makes a shortcut beside the item.
  Select(MainForm->LF, {"b.txt"});
  Press(MainForm->LF, VK_F5, {ssShift});
  TLinkData Link;
  ASSERT_TRUE(SUCCEEDED(GetLinkData(Dir / "L\\Shortcut to b.txt.lnk", Link, false)));
  EXPECT_EQ(UpperCase(Link.Path), UpperCase(Dir / "L\\b.txt"));
  Press(MainForm->LF, VK_F5, {ssShift});
  EXPECT_TRUE(FileExists(Dir / "L\\Shortcut to b.txt (2).lnk"));

  // Ctrl+Q turns quick view on and off.
  Press(MainForm->RF, 'Q', {ssCtrl});
  EXPECT_FALSE(MainForm->RQuickView);  // nothing selected on the right
  Press(MainForm->LF, 'Q', {ssCtrl});
  EXPECT_TRUE(MainForm->LQuickView);
  Press(MainForm->LF, 'Q', {ssCtrl});
  EXPECT_FALSE(MainForm->LQuickView);
}

TEST_F(PanelKeys, ArchivesAreListedOnThePanelsOwnArchivePage) {
  const std::string Zip = SlashToBackslash(std::string("Z:") + ZX_TEST_DATA + "/data/arc/folders.zip");
  CopyInto(Zip, Dir / "L\\f.zip");
  CopyInto(Zip, Dir / "R\\g.zip");
  MainForm->LF->RefreshItems();
  MainForm->RF->RefreshItems();
  const struct {
    bool Left;
    uint16_t Key;
    TShiftState Shift;
    bool Listed;
  } Rows[] = {{true, VK_NEXT, {ssCtrl}, true}, {true, VK_F2, {ssShift}, true}, {false, VK_F3, {}, true},
              {true, VK_NEXT, {ssCtrl, ssShift}, false}, {true, VK_F2, {ssCtrl, ssShift}, false}};
  for (const auto& R : Rows) {
    TPTShellList* List = R.Left ? MainForm->LF : MainForm->RF;
    TPageControl* Pages = R.Left ? MainForm->LPages : MainForm->RPages;
    TListView* View = R.Left ? MainForm->LAView : MainForm->RAView;
    Pages->SetActivePage(R.Left ? MainForm->LFiles : MainForm->RFiles);
    View->Items()->Clear();
    Select(List, {R.Left ? "f.zip" : "g.zip"});
    Press(List, R.Key, R.Shift);
    EXPECT_EQ(Pages->ActivePage() == (R.Left ? MainForm->LARc : MainForm->RArc), R.Listed) << R.Key;
    EXPECT_EQ(View->Items()->Count() > 0, R.Listed) << R.Key;
  }
  // Shift+F2 on a file that is no archive leaves the files page.
  MainForm->LPages->SetActivePage(MainForm->LFiles);
  Select(MainForm->LF, {"b.txt"});
  Press(MainForm->LF, VK_F2, {ssShift});
  EXPECT_EQ(MainForm->LPages->ActivePage(), MainForm->LFiles);

  // Enter lists the archive only when the options say so.
  Settings->CheckBox4->SetChecked(true);
  MainForm->LAView->Items()->Clear();
  Select(MainForm->LF, {"f.zip"});
  Press(MainForm->LF, VK_RETURN);
  EXPECT_EQ(MainForm->LPages->ActivePage(), MainForm->LARc);
  EXPECT_GT(MainForm->LAView->Items()->Count(), 0);

  // Shift+F1 packs this panel's selection.
  MainForm->ArcPage->ArchiveSideLeft = true;
  TModalDriver Driver([](TForm* F) {
    EXPECT_EQ(F, MainForm->ArcPage->ArcForm);
    F->Close();
  });
  Select(MainForm->RF, {"g.zip"});
  Press(MainForm->RF, VK_F1, {ssShift});
  EXPECT_TRUE(Driver.Ran());
  EXPECT_FALSE(MainForm->ArcPage->ArchiveSideLeft);
  EXPECT_FALSE(MainForm->ArcPage->ArcForm->LeftSide);
}

// Keys bound twice: an enabled menu shortcut takes its key first, so Ctrl+F2 opens the user
// menu and leaves the panel's quick view alone (Ctrl+Q is the panel's own key for it).
TEST_F(PanelKeys, AMenuShortcutTakesItsKeyBeforeThePanel) {
  Select(MainForm->LF, {"b.txt"});
  int Shown = 0;
  TModalDriver Driver([&](TForm* F) {
    ++Shown;
    F->Close();
  });
  Press(MainForm->LF, VK_F2, {ssCtrl});
  EXPECT_EQ(Shown, 1);
  EXPECT_FALSE(MainForm->LQuickView);
}

TEST_F(PanelKeys, F3OnAFolderShowsItsProperties) {
  Select(MainForm->LF, {"sub"});
  TDialogWatcher Watcher;
  Press(MainForm->LF, VK_F3);
  ASSERT_TRUE(WaitFor([&] { return !Watcher.Answered().empty(); }));
  PumpMessages();
}

TEST_F(PanelKeys, UpButtonsAndTheSplittersShare) {
  for (bool Left : {true, false}) {
    TPTShellList* List = Left ? MainForm->LF : MainForm->RF;
    static_cast<TToolButton*>(MainForm->FindComponent(Left ? "SpeedButton24" : "SpeedButton26"))->Click();
    EXPECT_EQ(UpperCase(List->Folder()->GetPath()), UpperCase(Dir.Path()));
  }
  MainForm->SetWindowState(wsNormal);
  MainForm->SetBounds(0, 0, 1000, 700);
  MainForm->LPages->SetWidth(333);
  MainForm->Splitter1Moved(MainForm->Splitter1);
  EXPECT_EQ(MainForm->Splitter1->Hint(), "33%");
  MainForm->LPages->SetWidth(335);
  MainForm->Splitter1Moved(MainForm->Splitter1);
  EXPECT_EQ(MainForm->Splitter1->Hint(), "34%");  // 33.5 rounds up
}

TEST_F(PanelKeys, OpenersShowTheFileWhereTheKeySays) {
  // Quick view shows the file on the other side's text page at once.
  Select(MainForm->LF, {"b.txt"});
  Press(MainForm->LF, 'Q', {ssCtrl});
  EXPECT_TRUE(MainForm->LQuickView);
  EXPECT_EQ(MainForm->RPages->ActivePage(), MainForm->REditPage);
  EXPECT_EQ(MainForm->LPages->ActivePage(), MainForm->LFiles);
  // While it is on, the page follows the selection.
  MainForm->RPages->SetActivePage(MainForm->RFiles);
  Select(MainForm->LF, {"a.txt"});
  PumpMessages();
  EXPECT_EQ(MainForm->RPages->ActivePage(), MainForm->REditPage);
  MainForm->RPages->SetActivePage(MainForm->RFiles);
  Press(MainForm->LF, 'Q', {ssCtrl});
  EXPECT_FALSE(MainForm->LQuickView);
  EXPECT_EQ(MainForm->RPages->ActivePage(), MainForm->RFiles);

  // Ctrl+Alt+F4 from the right panel shows the file on the left.
  CopyInto(Dir / "L\\b.txt", Dir / "R\\r.txt");
  MainForm->RF->RefreshItems();
  Select(MainForm->RF, {"r.txt"});
  Press(MainForm->RF, VK_F4, {ssCtrl, ssAlt});
  EXPECT_EQ(MainForm->LPages->ActivePage(), MainForm->LEditPage);
  MainForm->LPages->SetActivePage(MainForm->LFiles);

  // F3 on a text file opens a viewer window titled with the file.
  Select(MainForm->LF, {"b.txt"});
  Press(MainForm->LF, VK_F3);
  HWND Viewer = FindWindowW(nullptr, ToWide(Dir / "L\\b.txt").c_str());
  ASSERT_NE(Viewer, nullptr);
  PostMessageW(Viewer, WM_CLOSE, 0, 0);
  PumpMessages();

  // F9 on a file of no media kind only names it on the music bar.
  Press(MainForm->LF, VK_F9);
  EXPECT_EQ(MainForm->MusicPath->Caption(), Dir / "L\\b.txt");
}

// F4 edits the selected file; Shift+F4 (the menu's new-file command) offers its name.
TEST_F(PanelKeys, ShiftF4OffersTheSelectedNameForANewFile) {
  Select(MainForm->LF, {"b.txt"});
  PumpMessages();
  Press(MainForm->LF, VK_F4, {ssShift});
  ASSERT_EQ(Offered.size(), 1u);
  EXPECT_EQ(UpperCase(Offered[0]), UpperCase(Dir / "L\\b.txt"));
  EXPECT_EQ(MainForm->MainPage->ActivePage(), MainForm->Main);  // cancelled: nothing opened
}

}  // namespace
