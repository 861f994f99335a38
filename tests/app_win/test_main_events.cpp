// The main window's own keys, sent to the real window through the message loop, and what
// the panels' selection and folder changes show: status bar, path label, current
// directory, caption, folder history, free space, name colours, the compact style and the
// panels' widths.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/core/lng_strings.h"
#include "app/core/program_files.h"
#include "app/main_form.h"
#include "app/settings.h"
#include "app/start_up.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/registry.h"
#include "classlib/win/wide_string.h"
#include "storage/core/file_utils.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/dialog_watcher.h"
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"
#include "tests/support/file_bytes.h"
#include "tests/support/wait_for.h"
#include "tests/support/main_window_fixture.h"

namespace {

std::string Upper(const std::string& S) { return UpperCase(ExcludeTrailingBackslash(S)); }

// The main window as the start makes it, shown and painted once, on a program folder of
// its own, with two fixture folders A and B.
class MainEvents : public MainWindowFixture {
protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    FileTypeColors = DefaultFileTypeColors();
    ASSERT_TRUE(CreateDir(Dir / "A"));
    ASSERT_TRUE(CreateDir(Dir / "B"));
    for (const char* F : {"a.zip", "b.jpg", "c.exe", "README"}) WriteFileBytes(Dir / "A\\" + F, "12345");
    // English texts, as a user who chose them sees the window.
    ForceDirectories(ExtractFilePath(LngFileName()));
    ASSERT_TRUE(CopyFileW(ToWide(std::string("Z:") + ZX_TEST_DATA + "/../../resources/langs/English.zq.lng").c_str(),
                          ToWide(LngFileName()).c_str(), FALSE));
    LastLeftPath.clear();
    LastRightPath.clear();
    CreateMainForm();
    MainForm->Ask = [this](const std::string& Msg, TMsgDlgType, TMsgDlgButtons) {
      Asked.push_back(Msg);
      return Answer;
    };
    MainForm->Launch = [this](const std::string& File, const std::string& Params, const std::string& Dir) {
      Launched.push_back(File + "|" + Params + "|" + Dir);
    };
    MainForm->ExitSystem = [this](UINT Flags) {
      Ended.push_back(Flags);
      return true;
    };
    MainForm->FindFiles = [this] { ++Searches; };
    MainForm->SetWindowState(wsNormal);
    MainForm->SetBounds(0, 0, 800, 600);
    MainForm->Show();
    ASSERT_TRUE(WaitFor([] { return !StartingUp; })) << "no first paint";
    Go(MainForm->LF, Dir / "A");
    Go(MainForm->RF, Dir / "B");
    MainForm->LF->SetFocus();
    PumpMessages();
  }
  void TearDown() override {
    FreeMainForm();
    SetCurrentDir(OldProgramFolder().empty() ? "C:\\" : OldProgramFolder());
    MainWindowFixture::TearDown();
  }
  void Go(TPTShellList* List, const std::string& Path) {
    List->Folder()->SetPath(Path);
    ASSERT_TRUE(WaitFor([&] { return Upper(List->Folder()->GetPath()) == Upper(Path); })) << Path;
    PumpMessages();
  }
  void Key(uint16_t K, TShiftState Shift = {}) { PressKey(K, Shift, MainForm->LF->Handle()); }
  int ItemOf(TPTShellList* List, const std::string& Name) {
    for (int I = 0; I < List->Items()->Count(); ++I)
      if (SameText(List->GetItemData(I)->GetFileName(), Name)) return I;
    return -1;
  }
  std::vector<std::string> History() {
    std::vector<std::string> R;
    for (int I = 0; I < MainForm->N78->Count(); ++I) R.push_back(Upper(MainForm->N78->Items(I)->Caption()));
    return R;
  }
  std::string Panel(int I) { return MainForm->STBar->Panels()->Items(I)->Text(); }

  int Answer = mrCancel;
  std::vector<std::string> Asked;
  std::vector<std::string> Launched;
  std::vector<UINT> Ended;
  int Searches = 0;
};

TEST_F(MainEvents, CtrlUSwapsThePanelsOnce) {
  Key('U', {ssCtrl, ssShift});
  EXPECT_EQ(Upper(MainForm->LF->Folder()->GetPath()), Upper(Dir / "A"));
  Key('U', {ssCtrl});
  EXPECT_TRUE(WaitFor([&] { return Upper(MainForm->LF->Folder()->GetPath()) == Upper(Dir / "B"); }));
  EXPECT_EQ(Upper(MainForm->RF->Folder()->GetPath()), Upper(Dir / "A"));
  // Both on one folder: nothing to swap.
  Go(MainForm->RF, Dir / "B");
  Key('U', {ssCtrl});
  EXPECT_EQ(Upper(MainForm->LF->Folder()->GetPath()), Upper(Dir / "B"));
  EXPECT_EQ(Upper(MainForm->RF->Folder()->GetPath()), Upper(Dir / "B"));
}

TEST_F(MainEvents, WindowWideKeys) {
  // F12 switches to Russian and back to US English.
  ASSERT_FALSE(KeyboardLayoutSet);
  Key(VK_F12);
  EXPECT_TRUE(KeyboardLayoutSet);
  Key(VK_F12, {ssShift});
  EXPECT_FALSE(KeyboardLayoutSet);
  // Esc empties the path box.
  MainForm->PathBox->SetText("dir /w");
  Key(VK_ESCAPE);
  EXPECT_EQ(MainForm->PathBox->Text(), "");
  // Find files: Ctrl+F (with more modifiers too) and Alt+F7; plain F does nothing.
  Key('F');
  EXPECT_EQ(Searches, 0);
  Key('F', {ssCtrl});
  Key('F', {ssCtrl, ssShift});
  Key(VK_F7, {ssAlt});
  EXPECT_EQ(Searches, 3);
  // Ctrl+F1 opens the help file; Ctrl+Shift+F1 does not.
  Key(VK_F1, {ssCtrl, ssShift});
  EXPECT_TRUE(Launched.empty());
  Key(VK_F1, {ssCtrl});
  EXPECT_EQ(Launched, std::vector<std::string>{ProgramFolder() + "zq.hlp||"});
  // Alt+F1 drops the left path combo down while the panels are shown, not on another page.
  MainForm->MainPage->SetActivePage(MainForm->HTMLTab);
  Key(VK_F1, {ssAlt});
  EXPECT_FALSE(MainForm->LCombo->DroppedDown());
  MainForm->MainPage->SetActivePage(MainForm->Main);
  MainForm->LF->SetFocus();
  Key(VK_F1, {ssAlt});
  EXPECT_TRUE(MainForm->LCombo->DroppedDown());
  EXPECT_TRUE(MainForm->LCombo->Focused());
  MainForm->LCombo->SetDroppedDown(false);
}

TEST_F(MainEvents, ShutDownChordAsksOnlyWhenComplete) {
  const TShiftState All{ssShift, ssAlt, ssCtrl};
  // The third modifier going down is no chord yet. (Alt pressed and released alone would
  // open the menu bar, so Shift and Ctrl stand for it.)
  for (uint16_t M : {VK_SHIFT, VK_CONTROL}) Key(M, All);
  EXPECT_TRUE(Asked.empty());
  Answer = mrCancel;
  Key('K', All);
  EXPECT_EQ(Asked.size(), 1u);
  EXPECT_TRUE(Ended.empty());
  Answer = mrOk;
  Key('K', All);
  EXPECT_EQ(Asked.size(), 2u);
  EXPECT_EQ(Ended, std::vector<UINT>{EWX_SHUTDOWN});
  // Two of the three are no chord.
  Key('K', {ssCtrl, ssAlt});
  EXPECT_EQ(Asked.size(), 2u);
}

TEST_F(MainEvents, SelectionFillsTheStatusBar) {
  const int I = ItemOf(MainForm->LF, "a.zip");
  ASSERT_GE(I, 0);
  MainForm->LF->Items()->Item(I)->SetSelected(true);
  PumpMessages();
  EXPECT_EQ(Panel(0), "a.zip");
  EXPECT_FALSE(Panel(1).empty());
  EXPECT_FALSE(Panel(2).empty());
  EXPECT_FALSE(Panel(4).empty());
  EXPECT_EQ(Panel(3).substr(Panel(3).size() - 3), " \xCA\xC1");
}

TEST_F(MainEvents, FoldersAreRecordedOnceAndFollowTheFocus) {
  // The two start folders are in the history.
  EXPECT_EQ(History(), (std::vector<std::string>{Upper(Dir / "A"), Upper(Dir / "B")}));
  EXPECT_TRUE(MainForm->N78->Enabled());
  Settings->PathInCapt->SetChecked(true);
  ASSERT_TRUE(CreateDir(Dir / "C"));
  Go(MainForm->LF, Dir / "C");
  Go(MainForm->LF, Dir / "C");
  Go(MainForm->LF, Dir / "A");
  Go(MainForm->RF, Dir / "A");  // known already, from the other side
  EXPECT_EQ(History(), (std::vector<std::string>{Upper(Dir / "A"), Upper(Dir / "B"), Upper(Dir / "C")}));
  EXPECT_EQ(Upper(LastLeftPath), Upper(Dir / "A"));
  EXPECT_EQ(Upper(LastRightPath), Upper(Dir / "A"));

  // The focused panel's folder is the path label's, the current directory's and the
  // path box's.
  Go(MainForm->RF, Dir / "B");
  MainForm->RF->SetFocus();
  PumpMessages();
  EXPECT_EQ(Upper(MainForm->PathInfo->Caption()), Upper(Dir / "B"));
  EXPECT_EQ(Upper(GetCurrentDir()), Upper(Dir / "B"));
  MainForm->PathBox->SetText("notepad a.txt b.txt");
  uint16_t Enter = VK_RETURN;
  MainForm->PathBoxKeyDown(MainForm->PathBox, Enter, {});
  ASSERT_EQ(Launched.size(), 1u);
  EXPECT_EQ(Upper(Launched[0]), Upper("notepad|a.txt b.txt|" + Dir / "B"));
  // The left panel filling in the background leaves the label alone.
  Go(MainForm->LF, Dir / "C");
  EXPECT_EQ(Upper(MainForm->PathInfo->Caption()), Upper(Dir / "B"));
  EXPECT_EQ(Upper(MainForm->Caption()), Upper("Zembrix " + Dir / "C"));
  MainForm->LF->SetFocus();
  PumpMessages();
  EXPECT_EQ(Upper(MainForm->PathInfo->Caption()), Upper(Dir / "C"));
  EXPECT_EQ(Upper(GetCurrentDir()), Upper(Dir / "C"));

  // A history item takes the active panel there.
  MainForm->N78->Items(1)->Click();
  EXPECT_TRUE(WaitFor([&] { return Upper(MainForm->LF->Folder()->GetPath()) == Upper(Dir / "B"); }));
}

// A double-clicked archive goes to the panel's archive page when the options say so; the
// shell opens everything else.
TEST_F(MainEvents, DoubleClickedArchivesAreListedOnTheirSide) {
  ASSERT_TRUE(CopyFileW(ToWide(std::string("Z:") + ZX_TEST_DATA + "/data/arc/folders.zip").c_str(),
                        ToWide(Dir / "B\\folders.zip").c_str(), FALSE));
  Go(MainForm->RF, Dir / "A");
  Go(MainForm->RF, Dir / "B");
  const struct {
    const char* Name;
    bool Option, Handled;
  } Rows[] = {{"folders.zip", false, false}, {"folders.zip", true, true}};
  for (const auto& R : Rows) {
    SCOPED_TRACE(std::string(R.Name) + (R.Option ? " with the option" : ""));
    MainForm->RPages->SetActivePage(MainForm->RFiles);
    Settings->CheckBox4->SetChecked(R.Option);
    const int I = ItemOf(MainForm->RF, R.Name);
    ASSERT_GE(I, 0);
    MainForm->RF->Items()->Item(I)->SetSelected(true);
    bool Handled = false;
    MainForm->RF->OnDblClickOpen(MainForm->RF, Handled);
    EXPECT_EQ(Handled, R.Handled);
    EXPECT_EQ(MainForm->RPages->ActivePage(), R.Handled ? MainForm->RArc : MainForm->RFiles);
    EXPECT_EQ(MainForm->LPages->ActivePage(), MainForm->LFiles);
  }
  // Not an archive: the shell's.
  const int I = ItemOf(MainForm->LF, "b.jpg");
  ASSERT_GE(I, 0);
  MainForm->LF->Items()->Item(I)->SetSelected(true);
  bool Handled = false;
  MainForm->LF->OnDblClickOpen(MainForm->LF, Handled);
  EXPECT_FALSE(Handled);
}

TEST_F(MainEvents, FreeSpaceOfTheRealFolder) {
  MainForm->ShowFreeSpace(Dir / "A");
  const std::string Shown = Panel(3);
  ASSERT_GT(Shown.size(), 3u);
  EXPECT_EQ(Shown.substr(Shown.size() - 3), " \xCA\xC1");
  EXPECT_NE(Shown, "0 \xCA\xC1");
  MainForm->ShowFreeSpace("Q:\\no\\such\\folder");
  EXPECT_EQ(Panel(3), "0 \xCA\xC1");
  MainForm->ShowFreeSpace("");
  EXPECT_EQ(Panel(3), "");
}

TEST_F(MainEvents, NamesAreColouredByKind) {
  FileTypeColors[ftExecutable].Bold = true;
  MainForm->LF->SetViewStyle(vsReport);
  HDC DC = CreateCompatibleDC(nullptr);
  const struct {
    const char* Name;
    TColor Color;
    bool Bold;
  } Rows[] = {{"a.zip", clRed, false}, {"b.jpg", clGreen, false}, {"c.exe", clBlue, true}, {"README", clBlack, false}};
  for (const auto& R : Rows) {
    SCOPED_TRACE(R.Name);
    const int I = ItemOf(MainForm->LF, R.Name);
    ASSERT_GE(I, 0);
    NMLVCUSTOMDRAW N{};
    N.nmcd.hdc = DC;
    N.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    SetTextColor(DC, RGB(1, 2, 3));
    LRESULT Result = 0;
    TPTLvCustomDraw CD(MainForm->LF->Font(), &N.nmcd, &Result);
    MainForm->LF->OnCustomDrawSh(MainForm->LF, &CD, MainForm->LF->Items()->Item(I), MainForm->LF->GetItemData(I));
    EXPECT_EQ(CD.GetFont()->Color(), R.Color);
    EXPECT_EQ(CD.GetFont()->Style().Contains(fsBold), R.Bold);
  }
  DeleteDC(DC);
  // What the user sees.
  MainForm->LF->Invalidate();
  PumpMessages();
  EXPECT_GT(SaveWindowPng(MainForm->Handle(), ScreenshotPath("coloured_panels.png")), 0);
}

TEST_F(MainEvents, CompactStyleAndPanelWidths) {
  // Maximised, both panels take half.
  MainForm->SetWindowState(wsMaximized);
  PumpMessages();
  const int Gap = MainForm->Splitter1->Width() + 4;
  EXPECT_NEAR(MainForm->LPages->Width(), MainForm->RPages->Width(), Gap);
  MainForm->SetWindowState(wsNormal);
  PumpMessages();
  EXPECT_NEAR(MainForm->LPages->Width(), MainForm->RPages->Width(), Gap);

  TComponent* Item = MainForm->FindComponent("Compactstyle1");
  ASSERT_NE(Item, nullptr);
  static_cast<TMenuItem*>(Item)->Click();
  PumpMessages();
  const int W = GetSystemMetrics(SM_CXSCREEN), H = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(MainForm->Width(), W / 4 * 3);
  EXPECT_EQ(MainForm->Height(), H / 3 * 2);
  EXPECT_EQ(MainForm->Left(), 50);
  EXPECT_EQ(MainForm->Top(), 50);
  EXPECT_FALSE(MainForm->ToolBar1->Visible());
  EXPECT_FALSE(MainForm->FastBar->Visible());
  EXPECT_EQ(MainForm->LF->ViewStyle(), vsList);
  EXPECT_EQ(MainForm->RF->ViewStyle(), vsList);
  EXPECT_NEAR(MainForm->LPages->Width(), MainForm->RPages->Width(), Gap);
  if (W == 1024 && H == 768) {
    EXPECT_EQ(MainForm->Width(), 768);
    EXPECT_EQ(MainForm->Height(), 512);
  }
}

// Runs of the program one after another on one registry.
class PanelsAcrossRuns : public MainWindowFixture {};

// The left panel's width is stored from the maximised window, and read back while the
// window still has its normal size: across runs the panels keep their halves.
TEST_F(PanelsAcrossRuns, MaximisedWindowKeepsItsHalves) {
  for (int Run = 0; Run < 3; ++Run) {
    CreateMainForm();
    MainForm->SetWindowState(wsMaximized);
    MainForm->Show();
    ASSERT_TRUE(WaitFor([] { return !StartingUp; })) << "no first paint in run " << Run;
    PumpMessages();
    const int Gap = MainForm->Splitter1->Width() + 4;
    EXPECT_NEAR(MainForm->LPages->Width(), MainForm->RPages->Width(), Gap) << "run " << Run;
    MainForm->Close();
    PumpMessages();
    FreeMainForm();
  }
}

// A panel opens on the folder it had at the end of the last run, and its path combo
// names that folder, not the desktop.
TEST_F(PanelsAcrossRuns, PathCombosNameTheRestoredFolders) {
  ASSERT_TRUE(CreateDir(Dir / "Left"));
  ASSERT_TRUE(CreateDir(Dir / "Right"));
  CreateMainForm();
  MainForm->Show();
  ASSERT_TRUE(WaitFor([] { return !StartingUp; }));
  MainForm->LF->Folder()->SetPath(Dir / "Left");
  MainForm->RF->Folder()->SetPath(Dir / "Right");
  PumpMessages();
  MainForm->Close();
  PumpMessages();
  FreeMainForm();

  CreateMainForm();
  MainForm->Show();
  ASSERT_TRUE(WaitFor([] { return !StartingUp; }));
  PumpMessages();
  const struct {
    TPTShellList* List;
    TPTShellCombo* Combo;
    const char* Folder;
  } Sides[] = {{MainForm->LF, MainForm->LCombo, "Left"}, {MainForm->RF, MainForm->RCombo, "Right"}};
  for (const auto& S : Sides) {
    EXPECT_EQ(Upper(S.List->Folder()->GetPath()), Upper(Dir / S.Folder));
    EXPECT_EQ(Upper(S.Combo->Folder()->GetPath()), Upper(Dir / S.Folder));
    ASSERT_GE(S.Combo->ItemIndex(), 0);
    EXPECT_EQ(S.Combo->ComboItem(S.Combo->ItemIndex())->Caption, S.Folder);
  }
}

}  // namespace
