// The main window's life (program files read at creation and written at closing, the close
// questions) and the options window (options applied and kept, languages, drives, palettes).
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/core/lng_strings.h"
#include "app/core/program_files.h"
#include "app/editor_page.h"
#include "app/main_form.h"
#include "app/settings.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/menus.h"
#include "classlib/win/registry.h"
#include "classlib/win/wide_string.h"
#include "storage/core/file_utils.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/dialog_watcher.h"
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"
#include "tests/support/file_bytes.h"
#include "tests/support/main_window_fixture.h"

namespace {

// A program folder of its own and an empty registry section for every test; the windows
// are made the way the start makes them.
class MainWindow : public MainWindowFixture {
protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    FileTypeColors = DefaultFileTypeColors();
  }

  void Open() {
    CreateMainForm();
    MainForm->Ask = [this](const std::string& Msg, TMsgDlgType, TMsgDlgButtons) {
      Asked.push_back(Msg);
      int R = Answers.empty() ? mrCancel : Answers.front();
      if (!Answers.empty()) Answers.erase(Answers.begin());
      return R;
    };
    MainForm->AskText = [this](const std::string&, const std::string&, std::string& Value) {
      if (Typed.empty()) return false;
      Value = Typed;
      return true;
    };
    MainForm->Launch = [this](const std::string& File, const std::string& Params, const std::string& Dir) {
      Launched.push_back(File + "|" + Params + "|" + Dir);
    };
    MainForm->ExitSystem = [this](UINT Flags) {
      Ended.push_back(Flags);
      return true;
    };
  }
  // Clicks a component of the main window by its name, as the user does.
  void Click(const char* Name) {
    TComponent* C = MainForm->FindComponent(Name);
    ASSERT_NE(C, nullptr) << Name;
    if (auto* Item = dynamic_cast<TMenuItem*>(C))
      Item->Click();
    else
      static_cast<TControl*>(C)->Click();
  }
  // Closes the main window as the user does; true when it went.
  bool TryClose() {
    bool CanClose = true;
    MainForm->OnCloseQuery(MainForm, CanClose);  // the storages save here, as in a real close
    if (!CanClose) return false;
    TCloseAction A = caFree;
    MainForm->FormClose(MainForm, A);
    FreeMainForm();
    return true;
  }

  std::vector<int> Answers;
  std::vector<std::string> Asked;
  std::string Typed;  // what the text box is answered with; empty cancels it
  std::vector<std::string> Launched;
  std::vector<UINT> Ended;
};

TEST_F(MainWindow, CreationMakesTheFoldersAndReadsTheProgramFiles) {
  ASSERT_TRUE(CreateDir(Dir / "ini"));
  WriteFileBytes(Dir / "ini\\Color.ini", "[Arcs]\r\nColor=clLime\r\n");
  WriteFileBytes(Dir / "ini\\Folder.ini", "[LeftMenu]\r\nC:\\windows\r\n[RightMenu]\r\nC:\\\r\nC:\\users\r\n");
  WriteFileBytes(Dir / "ini\\FastBar.ini", "C:\\windows\\notepad.exe\r\n");
  Open();
  EXPECT_TRUE(DirExists(Dir / "temp"));
  EXPECT_TRUE(DirExists(Dir / "ini\\pal"));
  EXPECT_EQ(FileTypeColors[ftArcs].Color, clLime);
  EXPECT_EQ(FileTypeColors[ftText].Color, clBlue);
  ASSERT_EQ(MainForm->FolderMenuL->Items()->Count(), 3);
  EXPECT_EQ(MainForm->FolderMenuL->Items()->Items(2)->Caption(), "C:\\windows");
  EXPECT_EQ(MainForm->FolderMenuR->Items()->Count(), 4);
  ASSERT_EQ(MainForm->FastBar->ButtonCount(), 1);
  EXPECT_EQ(MainForm->FastBar->Buttons(0)->Caption(), "C:\\windows\\notepad.exe");
  EXPECT_EQ(MainForm->FastBar->Buttons(0)->Hint(), "notepad.exe");
  EXPECT_TRUE(StartingUp);
  EXPECT_FALSE(KeyboardLayoutSet);

  // Closing writes them back as they were read and empties the temporary folder.
  WriteFileBytes(Dir / "temp\\left.tmp", "x");
  ASSERT_TRUE(CreateDir(Dir / "temp\\sub"));
  WriteFileBytes(Dir / "temp\\sub\\deep.tmp", "y");
  FileTypeColors[ftText].Italic = true;
  ASSERT_TRUE(TryClose());
  EXPECT_EQ(ReadFileBytes(Dir / "ini\\Folder.ini"), "[LeftMenu]\r\nC:\\windows\r\n[RightMenu]\r\nC:\\\r\nC:\\users\r\n");
  EXPECT_EQ(ReadFileBytes(Dir / "ini\\FastBar.ini"), "C:\\windows\\notepad.exe\r\n");
  EXPECT_TRUE(ReadColorFile(Dir / "ini\\Color.ini")[ftText].Italic);
  EXPECT_TRUE(DirExists(Dir / "temp"));
  EXPECT_FALSE(FileExists(Dir / "temp\\left.tmp"));
  EXPECT_FALSE(FileExists(Dir / "temp\\sub\\deep.tmp"));
}

TEST_F(MainWindow, CloseQuestions) {
  struct Case {
    const char* Name;
    bool Confirm;
    bool Unsaved;
    std::vector<int> Answers;
    bool Closes;
    size_t Questions;
  };
  const Case Cases[] = {
      {"no confirmation, nothing unsaved", false, false, {}, true, 0},
      {"confirmation cancelled", true, false, {mrCancel}, false, 1},
      {"confirmation accepted", true, false, {mrOk}, true, 1},
      {"unsaved text, cancel", false, true, {mrCancel}, false, 1},
      {"unsaved text, don't save", false, true, {mrNo}, true, 1},
  };
  for (const auto& K : Cases) {
    SCOPED_TRACE(K.Name);
    Open();
    Settings->pQuit->SetChecked(K.Confirm);
    if (K.Unsaved) {
      MainForm->Editor->Lines()->Add("unsaved");
      MainForm->Editor->SetModified(true);
    }
    Answers = K.Answers;
    Asked.clear();
    EXPECT_EQ(TryClose(), K.Closes);
    EXPECT_EQ(Asked.size(), K.Questions);
    FreeMainForm();
  }
}

TEST_F(MainWindow, UnwritableProgramFilesStillAskAndStillEmptyTemp) {
  Open();
  WriteFileBytes(Dir / "temp\\t.tmp", "x");
  WriteFileBytes(Dir / "ini\\FastBar.ini", "C:\\keep.exe\r\n");
  SetFileAttributesW(ToWide(Dir / "ini\\FastBar.ini").c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(CreateDir(Dir / "ini\\Color.ini"));  // a folder where the file should be
  MainForm->Editor->Lines()->Add("unsaved");
  MainForm->Editor->SetModified(true);
  Answers = {mrNo};
  TDialogWatcher Watcher;
  EXPECT_TRUE(TryClose());
  EXPECT_EQ(Asked.size(), 1u);
  EXPECT_FALSE(FileExists(Dir / "temp\\t.tmp"));
  EXPECT_EQ(ReadFileBytes(Dir / "ini\\Folder.ini"), "[LeftMenu]\r\n[RightMenu]\r\n");
  ASSERT_EQ(Watcher.Answered().size(), 1u);
  EXPECT_EQ(FromWide(Watcher.Answered()[0]), "Termination failed");
  SetFileAttributesW(ToWide(Dir / "ini\\FastBar.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(MainWindow, OptionsApplyAtOnceAndComeBackAfterARestart) {
  Open();
  Settings->Show();
  EXPECT_TRUE(MainForm->ToolBar2->Visible());
  Settings->CheckBox1->SetChecked(true);
  EXPECT_FALSE(MainForm->ToolBar2->Visible());
  // The same state again is no change and runs nothing.
  MainForm->ToolBar2->SetVisible(true);
  Settings->CheckBox1->SetChecked(true);
  EXPECT_TRUE(MainForm->ToolBar2->Visible());
  Settings->CheckFast->SetChecked(true);
  Settings->MusBar->SetChecked(true);
  Settings->LeftFolder->SetText("C:\\windows");
  Settings->Close();  // kept when the window closes
  FreeMainForm();

  Open();
  EXPECT_TRUE(MainForm->ToolBar2->Visible());
  Settings->Show();
  Settings->Close();
  EXPECT_FALSE(MainForm->ToolBar2->Visible());
  EXPECT_FALSE(MainForm->FastBar->Visible());
  EXPECT_FALSE(MainForm->ToolBar11->Visible());
  EXPECT_TRUE(MainForm->ToolBar1->Visible());
  EXPECT_EQ(Settings->LeftFolder->Text(), "C:\\windows");
  // Unchecking the path option puts the program's name back at once.
  MainForm->SetCaption("C:\\somewhere");
  Settings->PathInCapt->SetChecked(true);
  EXPECT_EQ(MainForm->Caption(), "C:\\somewhere");
  Settings->PathInCapt->SetChecked(false);
  EXPECT_EQ(MainForm->Caption(), "Zembrix");
}

// A first start has nothing stored and opens maximised as designed; later starts open as
// the window was left.
TEST_F(MainWindow, MaximisedAtTheFirstStartThenAsLeft) {
  Open();
  MainForm->Show();
  EXPECT_EQ(MainForm->WindowState(), wsMaximized);
  MainForm->SetWindowState(wsNormal);
  ASSERT_TRUE(TryClose());
  Open();
  MainForm->Show();
  EXPECT_EQ(MainForm->WindowState(), wsNormal);
}

std::string Folder(TPTShellList* List) { return UpperCase(ExcludeTrailingBackslash(List->Folder()->GetPath())); }

// The panels come back on the folders they were left on; a start folder of the options wins
// over the stored one, an empty one leaves it.
TEST_F(MainWindow, StartFoldersWinOverTheStoredOnes) {
  Open();
  MainForm->Show();
  MainForm->LF->Folder()->SetPath("C:\\windows");
  MainForm->RF->Folder()->SetPath("C:\\windows\\system32");
  ASSERT_TRUE(TryClose());

  Open();
  MainForm->SetStartFolders(Dir.Path(), "");
  MainForm->Show();
  EXPECT_EQ(Folder(MainForm->LF), UpperCase(Dir.Path()));
  EXPECT_EQ(Folder(MainForm->RF), "C:\\WINDOWS\\SYSTEM32");
  // The list shows what is there.
  EXPECT_GT(MainForm->RF->Items()->Count(), 0);
}

TEST_F(MainWindow, PanelOptionsApplyToBothPanels) {
  Open();
  MainForm->Show();
  Settings->Show();
  Settings->CheckBox3->SetChecked(true);
  EXPECT_TRUE(MainForm->LF->GridLines());
  EXPECT_TRUE(MainForm->RF->GridLines());
  Settings->HideFiles->SetChecked(true);
  EXPECT_TRUE(MainForm->LF->Options().Contains(ptsloShowHidden));
  EXPECT_TRUE(MainForm->RF->Options().Contains(ptsloShowHidden));
  Settings->lTreec->SetChecked(true);
  EXPECT_TRUE(MainForm->LFTree->Visible());
  EXPECT_FALSE(MainForm->RFTree->Visible());
  Settings->Close();
  Click("SpeedButton5");
  EXPECT_EQ(MainForm->RF->ViewStyle(), vsIcon);
  EXPECT_EQ(MainForm->LF->ViewStyle(), vsReport);
  ASSERT_TRUE(TryClose());

  // Kept: the options and the view style.
  Open();
  MainForm->Show();
  Settings->Show();
  Settings->Close();
  EXPECT_TRUE(MainForm->LF->GridLines());
  EXPECT_TRUE(MainForm->LFTree->Visible());
  EXPECT_EQ(MainForm->RF->ViewStyle(), vsIcon);
  EXPECT_TRUE(static_cast<TToolButton*>(MainForm->FindComponent("SpeedButton5"))->Down());
}

TEST_F(MainWindow, DriveInformation) {
  const std::pair<UINT, const char*> Names[] = {{DRIVE_UNKNOWN, "Unknoun"}, {DRIVE_NO_ROOT_DIR, "Path not found"},
                                                {DRIVE_REMOVABLE, "Floppy"}, {DRIVE_FIXED, "Fixed"},
                                                {DRIVE_REMOTE, "Network"},   {DRIVE_CDROM, "CD-Rom"},
                                                {DRIVE_RAMDISK, "RAM Drive"}};
  for (const auto& [Type, Name] : Names) EXPECT_EQ(DriveTypeName(Type), Name);
  Open();
  EXPECT_EQ(Settings->DrCom->Text(), "C:");
  EXPECT_EQ(Settings->Label2->Caption(), "Fixed");
  EXPECT_EQ(Settings->Label3->Caption().rfind("Disk size: ", 0), 0u);
  EXPECT_NE(Settings->Label5->Caption(), "File system: ");
}

TEST_F(MainWindow, LanguageSwitchNeverLeavesTheTextsMissing) {
  ASSERT_TRUE(CreateDir(Dir / "Langs"));
  WriteFileBytes(Dir / "Langs\\English.zq.lng", "[MainForm]\r\nFile1_Caption=&File\r\n[Settings]\r\nTabSheet3_Caption=Interface\r\n"
                                                 "[Settings.ColorBox_ColorNames]\r\nCount=2\r\nItem0=Black\r\nItem1=Maroon\r\n");
  WriteFileBytes(Dir / "Langs\\Russian.zq.lng", "[MainForm]\r\nFile1_Caption=&\xD4\xE0\xE9\xEB\r\n"
                                                 "[Settings.ColorBox_ColorNames]\r\nCount=1\r\nItem0=\xD7\xB8\xF0\xED\xFB\xE9\r\n");
  Open();
  WriteFileBytes(LngFileName(), "[String]\r\nOld=1\r\n");

  // A language whose file is missing changes nothing.
  EXPECT_FALSE(Settings->SwitchLanguage(Dir / "Langs\\Missing.zq.lng", true));
  EXPECT_EQ(ReadFileBytes(LngFileName()), "[String]\r\nOld=1\r\n");
  EXPECT_EQ(Screen->Cursor(), crDefault);

  // Russian is the language a new user starts with: its button is the checked one.
  EXPECT_TRUE(Settings->RadioButton1->Checked());
  Settings->RadioButton2->SetChecked(true);
  EXPECT_TRUE(EnglishTexts);
  EXPECT_EQ(ReadFileBytes(LngFileName()), ReadFileBytes(Dir / "Langs\\English.zq.lng"));
  EXPECT_EQ(MainForm->MainMenu1->Items()->Items(0)->Caption(), "&File");
  EXPECT_EQ(Settings->TabSheet3->Caption(), "Interface");
  // The colour names follow, and renaming the colours does not undo the switch.
  EXPECT_EQ(Settings->ColorBox->Items()->Strings(1), "Maroon");
  EXPECT_TRUE(Settings->RadioButton2->Checked());
  EXPECT_TRUE(EnglishTexts);
  EXPECT_EQ(Settings->Lang2->IniFileName(), LngFileName());
  EXPECT_FALSE(FileExists(LngFileName() + ".new"));
  EXPECT_EQ(Screen->Cursor(), crDefault);
  Settings->mp3Prior->SetPosition(7);
  EXPECT_EQ(Settings->mp3lab->Caption(), "Time critical");
  EXPECT_EQ(Settings->PlayerPriority(), 6);
  Settings->RadioButton1->SetChecked(true);
  EXPECT_FALSE(EnglishTexts);
  EXPECT_EQ(MainForm->MainMenu1->Items()->Items(0)->Caption(), "&\xD4\xE0\xE9\xEB");
  EXPECT_EQ(Settings->ColorBox->Items()->Strings(0), "\xD7\xB8\xF0\xED\xFB\xE9");
}

TEST_F(MainWindow, FileTypeRowsSetOnlyTheirRecord) {
  Open();
  Settings->FileType->SetItemIndex(5);  // other
  Settings->FileTypeChange(Settings->FileType);
  FileTypeColors[ftOther].Bold = true;
  Settings->Bold->SetChecked(false);
  Settings->ColorBox->SetColorValue(clMaroon);
  TFileTypeColors Before = FileTypeColors;
  Settings->Button1Click(Settings->Button1);
  EXPECT_FALSE(FileTypeColors[ftOther].Bold);
  EXPECT_EQ(FileTypeColors[ftOther].Color, clMaroon);
  for (int K = 0; K < ftOther; ++K) EXPECT_EQ(FileTypeColors[K], Before[K]);
}

// Enabled leaf items of a menu that do nothing when chosen.
void Unbound(TMenuItem* Item, std::vector<std::string>& Out) {
  for (int I = 0; I < Item->Count(); ++I) {
    TMenuItem* C = Item->Items(I);
    if (C->Count() > 0)
      Unbound(C, Out);
    else if (!C->IsLine() && !C->OnClick && C->Enabled())
      Out.push_back(C->Name());
  }
}

TEST_F(MainWindow, ToolBarsHavePicturesAndEveryCommandIsBound) {
  Open();
  ASSERT_GT(MainForm->Glyphs->Count(), 0);
  for (int I = 0; I < MainForm->ToolBar1->ButtonCount(); ++I) {
    TToolButton* B = MainForm->ToolBar1->Buttons(I);
    if (B->Style() == tbsDivider) continue;
    SCOPED_TRACE(B->Name());
    EXPECT_GE(B->ImageIndex(), 0);
    EXPECT_LT(B->ImageIndex(), MainForm->Glyphs->Count());
    EXPECT_FALSE(B->Hint().empty());
    EXPECT_TRUE(bool(B->OnClick));
  }
  std::vector<std::string> Missing;
  Unbound(MainForm->MainMenu1->Items(), Missing);
  EXPECT_TRUE(Missing.empty()) << Missing.front();
}

TEST_F(MainWindow, CommandsStartWhatTheyName) {
  Open();
  Settings->CalcEdit->SetText("C:\\tools\\calc2.exe");
  MainForm->PathInfo->SetCaption("C:\\work");
  struct Case {
    const char* Name;
    const char* Command;  // what the path box holds, for the path box
    std::vector<std::string> Expected;
  };
  const Case Cases[] = {
      {"SpeedButton21", "", {"C:\\tools\\calc2.exe||C:\\tools\\"}},
      {"aN72", "", {"regedit.exe||"}},
      {"SpeedButton29", "", {"sysedit.exe||", "msconfig.exe||"}},
      {"CharMapBtn", "", {"charmap.exe||"}},
      {"GameBtn", "", {}},  // no game chosen in the options
      {"w2", "", {"rundll32.exe|shell32,Control_RunDLL timedate.cpl|"}},
      {"w3", "", {"rundll32.exe|shell32,Control_RunDLL mmsys.cpl @1|"}},
      {"PathBox", "notepad a.txt b.txt", {"notepad|a.txt b.txt|C:\\work"}},
      {"PathBox", "\"C:\\Program Files\\x.exe\" -a", {"C:\\Program Files\\x.exe|-a|C:\\work"}},
      {"Writeus1", "", {"mailto:zembrix@example.com||"}},
  };
  for (const auto& K : Cases) {
    SCOPED_TRACE(std::string(K.Name) + " " + K.Command);
    Launched.clear();
    if (std::string(K.Name) == "PathBox") {
      MainForm->PathBox->SetText(K.Command);
      uint16_t Key = VK_RETURN;
      MainForm->PathBoxKeyDown(MainForm->PathBox, Key, {});
      EXPECT_GE(MainForm->PathBox->Items()->IndexOf(K.Command), 0);
    } else {
      Click(K.Name);
    }
    EXPECT_EQ(Launched, K.Expected);
  }
}

TEST_F(MainWindow, ArchivePageButtonsActOnTheirOwnSide) {
  Open();
  MainForm->LPages->SetActivePage(MainForm->LARc);
  MainForm->RPages->SetActivePage(MainForm->RArc);
  Click("SpeedButton62");
  EXPECT_EQ(MainForm->LAView->ViewStyle(), vsReport);
  Click("SpeedButton70");
  EXPECT_EQ(MainForm->RAView->ViewStyle(), vsSmallIcon);
  EXPECT_EQ(MainForm->LAView->ViewStyle(), vsReport);
  Click("SpeedButton73");
  EXPECT_EQ(MainForm->RPages->ActivePage(), MainForm->RFiles);
  EXPECT_EQ(MainForm->LPages->ActivePage(), MainForm->LARc);
}

TEST_F(MainWindow, PowerCommandsOnlyAfterOK) {
  Open();
  const struct {
    const char* Item;
    int Answer;
    std::vector<UINT> Ended;
  } Cases[] = {
      {"aN77", mrCancel, {}},
      {"aN77", mrOk, {EWX_SHUTDOWN}},
      {"aN79", mrOk, {EWX_REBOOT}},
      {"aN78", mrOk, {EWX_LOGOFF}},
  };
  for (const auto& K : Cases) {
    SCOPED_TRACE(K.Item);
    Ended.clear();
    Answers = {K.Answer};
    Click(K.Item);
    EXPECT_EQ(Ended, K.Ended);
  }
}

// The network drive commands never do nothing: where the system's dialog cannot open (as
// under Wine, which has none), the user is told so.
TEST_F(MainWindow, NetworkDriveCommandsTellWhenTheirDialogCannotOpen) {
  Open();
  const std::wstring Told =
      ToWide(LngStringOr("Network_failed", "Network drives are not available: the network dialog cannot be opened."));
  for (const char* Item : {"Connectnetworkdrive1", "Disconnectnetworkdrivw1"}) {
    SCOPED_TRACE(Item);
    TDialogWatcher Watcher;
    Click(Item);
    const std::vector<std::wstring> Answered = Watcher.Answered();
    ASSERT_EQ(Answered.size(), 1u);
    EXPECT_NE(Answered[0].find(Told), std::wstring::npos);
  }
}

TEST_F(MainWindow, OnlyWebAndMailAddressesAreOpened) {
  Open();
  const struct {
    const char* Item;
    const char* Typed;
    const char* Opened;  // nullptr: nothing opened, a message instead
  } Cases[] = {
      {"WWW1", "www.example.org", "http://www.example.org||"},
      {"WWW1", "https://example.org/a?b=1", "https://example.org/a?b=1||"},
      {"WWW1", "notepad", nullptr},
      {"WWW1", "file:///C:/windows/notepad.exe", nullptr},
      {"WWW1", "C:\\windows\\system32\\calc.exe", nullptr},
      {"N92", "someone@example.org", "mailto:someone@example.org||"},
      {"N92", "a@b.org\" & calc", nullptr},
  };
  for (const auto& K : Cases) {
    SCOPED_TRACE(K.Typed);
    Launched.clear();
    Typed = K.Typed;
    TDialogWatcher Watcher;
    Click(K.Item);
    if (K.Opened != nullptr) {
      EXPECT_EQ(Launched, std::vector<std::string>{K.Opened});
      EXPECT_TRUE(Watcher.Answered().empty());
    } else {
      EXPECT_TRUE(Launched.empty());
      EXPECT_EQ(Watcher.Answered().size(), 1u);
    }
  }
}

TEST_F(MainWindow, FastBarGoesToEachSideAndKeepsItsButtonsInOrder) {
  Open();
  MainForm->AddFastButton("C:\\windows\\notepad.exe");
  MainForm->AddFastButton("C:\\windows\\regedit.exe");
  ASSERT_EQ(MainForm->FastBar->ButtonCount(), 2);
  // Each button shows its program's icon.
  for (int I = 0; I < 2; ++I) EXPECT_GE(MainForm->FastBar->Buttons(I)->ImageIndex(), 0) << I;
  MainForm->SetWindowState(wsNormal);
  MainForm->SetBounds(0, 0, 800, 600);
  MainForm->Show();
  PumpMessages();
  EXPECT_GT(SaveWindowPng(MainForm->Handle(), ScreenshotPath("main_window_fast_bar.png")), 0);
  MainForm->FastMenuPopup(MainForm->FastMenu);
  EXPECT_FALSE(MainForm->FastTop->Enabled());
  EXPECT_TRUE(MainForm->FastLeft->Enabled());
  Click("FastLeft");
  EXPECT_EQ(MainForm->FastBar->Align(), alLeft);
  MainForm->FastMenuPopup(MainForm->FastMenu);
  EXPECT_FALSE(MainForm->FastLeft->Enabled());
  EXPECT_TRUE(MainForm->FastTop->Enabled());
  ASSERT_TRUE(TryClose());
  EXPECT_EQ(ReadFileBytes(Dir / "ini\\FastBar.ini"), "C:\\windows\\notepad.exe\r\nC:\\windows\\regedit.exe\r\n");
}


// Opens a menu as the user does, owned by the main window, and takes its picture.
long ShowMenu(HMENU Menu, HWND Owner, const std::string& Shot) {
  return SaveOpenedMenuPng([&] { TrackPopupMenuEx(Menu, TPM_RETURNCMD | TPM_LEFTALIGN, 120, 120, Owner, nullptr); },
                           ScreenshotPath(Shot));
}

// The drop-down of a main menu item, as the window holds it now (a change rebuilds the menu).
HMENU DropDown(HWND Wnd, TMenuItem* Item) { return GetSubMenu(GetMenu(Wnd), Item->MenuIndex()); }

UINT MenuItemType(HMENU Menu, UINT Command) {
  MENUITEMINFOW Info = {sizeof(Info)};
  Info.fMask = MIIM_FTYPE;
  GetMenuItemInfoW(Menu, Command, FALSE, &Info);
  return Info.fType;
}

TEST_F(MainWindow, MenusDrawTheirPicturesUntilPlainMenusAreChosen) {
  Open();
  MainForm->SetWindowState(wsNormal);
  MainForm->SetBounds(0, 0, 800, 600);
  MainForm->Show();
  PumpMessages();
  HWND Wnd = MainForm->Handle();
  ASSERT_NE(GetMenu(Wnd), nullptr);
  auto* Utilities = dynamic_cast<TMenuItem*>(MainForm->FindComponent("N67"));
  auto* Commands = dynamic_cast<TMenuItem*>(MainForm->FindComponent("Commands1"));
  auto* Calculator = dynamic_cast<TMenuItem*>(MainForm->FindComponent("aN71"));
  auto* History = dynamic_cast<TMenuItem*>(MainForm->FindComponent("N78"));
  ASSERT_TRUE(Utilities && Commands && Calculator && History);

  // Pictures from the tool bar's glyphs on the decorated items; the platform draws the others,
  // a disabled item and a checked radio item among them, in the same menus.
  EXPECT_GT(ShowMenu(DropDown(Wnd, Utilities), Wnd, "main_menu_utilities.png"), 0);
  EXPECT_TRUE(MenuItemType(DropDown(Wnd, Utilities), Calculator->Command()) & MFT_OWNERDRAW);
  History->SetEnabled(false);
  EXPECT_GT(ShowMenu(DropDown(Wnd, Commands), Wnd, "main_menu_commands.png"), 0);
  EXPECT_TRUE(GetMenuState(DropDown(Wnd, Commands), History->Command(), MF_BYCOMMAND) & MF_GRAYED);
  TPopupMenu* Coding = MainForm->EditorPage->CodingMenu;
  MainForm->EditorPage->SetCodePage(tcpDos866);
  Coding->SetPopupComponent(MainForm);
  EXPECT_GT(ShowMenu(Coding->Handle(), Wnd, "main_menu_checked.png"), 0);
  EXPECT_TRUE(GetMenuState(Coding->Handle(), MainForm->EditorPage->DosItem->Command(), MF_BYCOMMAND) & MF_CHECKED);

  // The option for plain menus gives the platform's own menus at once, and back.
  Settings->CheckBox5->SetChecked(true);
  EXPECT_FALSE(MenuItemType(DropDown(Wnd, Utilities), Calculator->Command()) & MFT_OWNERDRAW);
  EXPECT_GT(ShowMenu(DropDown(Wnd, Utilities), Wnd, "main_menu_plain.png"), 0);
  EXPECT_FALSE(MenuItemType(DropDown(Wnd, Utilities), Calculator->Command()) & MFT_OWNERDRAW);
  Settings->CheckBox5->SetChecked(false);
  EXPECT_GT(ShowMenu(DropDown(Wnd, Utilities), Wnd, "main_menu_utilities_again.png"), 0);
  EXPECT_TRUE(MenuItemType(DropDown(Wnd, Utilities), Calculator->Command()) & MFT_OWNERDRAW);
}

TEST_F(MainWindow, Screenshots) {
  Open();
  MainForm->SetWindowState(wsNormal);
  MainForm->SetBounds(0, 0, 800, 600);
  MainForm->Show();
  for (int I = 0; I < 4; ++I) {
    Settings->PageControl1->SetActivePageIndex(I);
    Settings->Show();
    RedrawWindow(Settings->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
    EXPECT_GT(SaveWindowPng(Settings->Handle(), ScreenshotPath("settings_page" + std::to_string(I) + ".png")), 0);
  }
  Settings->Close();
  PumpMessages();
  EXPECT_GT(SaveWindowPng(MainForm->Handle(), ScreenshotPath("main_window.png")), 0);
}

}  // namespace
