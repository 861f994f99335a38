// The main window's music bar, the clock's alarm through the alarm dialog, the calendar, and
// the picture window opened from a page's picture.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/core/lng_strings.h"
#include "app/file_drop.h"
#include "app/help_form.h"
#include "app/main_form.h"
#include "app/openers.h"
#include "app/settings.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/registry.h"
#include "classlib/win/wide_string.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/dialog_watcher.h"
#include "tests/support/file_bytes.h"
#include "tests/support/form_test.h"
#include "tests/support/main_window_fixture.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/support/tracker_module.h"
#include "tests/support/wait_for.h"
#include "tools/alarms.h"
#include "tools/calendar_form.h"
#include "tools/core/mp3_info.h"
#include "tools/mod_plug_player.h"
#include "tools/mp3_form.h"
#include "tools/pict.h"

namespace {

std::string Backslashed(std::string S) {
  for (char& C : S)
    if (C == '/') C = '\\';
  return S;
}

struct TLaunch {
  std::string File, Params, Dir;
};

class MusicAndClock : public MainWindowFixture {
protected:
  void SetUp() override {
    // The tracker library is found as the program finds it: beside the program.
    SetDllDirectoryW(ToWide(Backslashed(ZX_DIST_DIR)).c_str());
    MainWindowFixture::SetUp();
    CreateMainForm();
    MainForm->Launch = [this](const std::string& F, const std::string& P, const std::string& D) {
      Launched.push_back({F, P, D});
    };
    MainForm->SetBounds(0, 0, 800, 600);
    MainForm->Show();
    PumpMessages();
  }
  // A module of Rows rows (0.12 s each) in the temporary folder.
  std::string Module(const std::string& Name, int Rows) {
    WriteFileBytes(Dir / Name, MakeTinyMod(Rows));
    return Dir / Name;
  }

  std::vector<TLaunch> Launched;
};

// Open plays the chosen file and sets the music flag; the timer moves the bar along; Stop
// ends it and clears the bar.
TEST_F(MusicAndClock, OpenFollowAndStop) {
  const std::string Song = Module("song.mod", 64);  // 7.7 s
  MainForm->MusicOpen->SetFileName(Song);
  {
    TDialogWatcher Cancel;
    MainForm->SpeedButton79Click(nullptr);
  }
  EXPECT_FALSE(MainForm->MusicFlag);
  EXPECT_EQ(MainForm->MusicPath->Caption(), "");
  {
    TDialogWatcher Ok(IDOK);
    MainForm->SpeedButton79Click(nullptr);
  }
  EXPECT_TRUE(MainForm->MusicFlag);
  EXPECT_EQ(MainForm->MusicPath->Caption(), Song);
  EXPECT_EQ(MainForm->Musbar->Max(), 76);  // tenths of a second
  // With a sound device the module plays on and the timer moves the bar; without one (as
  // here) it ends at once.
  EXPECT_EQ(MainForm->Timer2->Interval(), 1000u);
  EXPECT_TRUE(MainForm->Timer2->Enabled());
  // Players run at the pace of the sound: a generous limit for a loaded machine.
  ASSERT_TRUE(WaitFor([] { return !MainForm->mpp->IsPlaying() || MainForm->Musbar->Position() > 0; }, 60000));
  EXPECT_LE(MainForm->Musbar->Position(), 76);

  MainForm->SpeedButton80Click(nullptr);
  EXPECT_FALSE(MainForm->mpp->IsPlaying());
  EXPECT_FALSE(MainForm->MusicFlag);
  EXPECT_EQ(MainForm->Musbar->Position(), 0);
  EXPECT_EQ(MainForm->MusicPath->Caption(), "");
  // Nothing plays: Stop again and the timer change nothing and raise nothing.
  MainForm->SpeedButton80Click(nullptr);
  MainForm->Timer2Timer(nullptr);
  EXPECT_EQ(MainForm->Musbar->Position(), 0);

  // A file that cannot be played: the flag falls back and the bar stays empty.
  MainForm->MusicOpen->SetFileName(Dir / "none.wav");
  {
    TDialogWatcher Ok(IDOK);
    EXPECT_ANY_THROW(MainForm->SpeedButton79Click(nullptr));
  }
  EXPECT_FALSE(MainForm->MusicFlag);
  EXPECT_EQ(MainForm->MusicPath->Caption(), "");
}

// A file dropped on the bar or its progress bar plays when it is a music file.
TEST_F(MusicAndClock, DropsOnTheMusicBar) {
  TComPtr<IDropTarget> Probe(new TFileDropTarget(nullptr));
  for (TWinControl* Target : {static_cast<TWinControl*>(MainForm->ToolBar11), static_cast<TWinControl*>(MainForm->Musbar)}) {
    // Taken already: the window is a drop target of ours.
    EXPECT_EQ(RegisterDragDrop(Target->Handle(), Probe.Get()), DRAGDROP_E_ALREADYREGISTERED) << Target->Name();
  }
  const std::string Song = Module("drop.mod", 64);
  const struct {
    std::vector<std::string> Files;
    std::string Playing;
  } Cases[] = {
      {{}, ""},
      {{Dir / "notes.txt", Song}, ""},  // the first one counts
      {{Song, Dir / "notes.txt"}, Song},
  };
  for (const auto& C : Cases) {
    MainForm->MusicBarDrop(C.Files);
    EXPECT_EQ(MainForm->MusicPath->Caption(), C.Playing) << C.Files.size();
    EXPECT_EQ(MainForm->MusicFlag, !C.Playing.empty());
    MainForm->SpeedButton80Click(nullptr);
  }
  // A music file that cannot be played: told, and nothing is left playing.
  TDialogWatcher Watcher;
  MainForm->MusicBarDrop({Dir / "none.wav"});
  EXPECT_EQ(Watcher.Answered().size(), 1u);
  EXPECT_FALSE(MainForm->MusicFlag);
  EXPECT_EQ(MainForm->MusicPath->Caption(), "");
}

// Fields padded with zeros, as most tags have them, are shown whole, each on its line.
TEST_F(MusicAndClock, TagButtonFillsTheTagWindow) {
  std::string Tag(128, '\0');
  Tag.replace(0, 3, "TAG");
  Tag.replace(3, 5, "Title");
  Tag.replace(33, 6, "Artist");
  Tag.replace(63, 5, "Album");
  Tag.replace(93, 4, "1999");
  Tag.replace(97, 7, "Comment");
  Tag[127] = char(8);  // Jazz
  WriteFileBytes(Dir / "song.mp3", std::string(1000, '\0') + Tag);
  MainForm->MP3Info->SetFilename(Dir / "song.mp3");
  std::string Memo;
  TModalDriver Driver([&](TForm* F) {
    Memo = MP3Form->Memo1->Lines()->Text();
    EXPECT_EQ(F, MP3Form);
    F->SetModalResult(mrCancel);
  });
  MainForm->SpeedButton81Click(nullptr);
  EXPECT_TRUE(Driver.Ran());
  EXPECT_EQ(Memo, "Artist\r\nTitle\r\nAlbum\r\n1999\r\nComment\r\nJazz\r\n");
}

// The alarm dialog from its button, its menu item and the clock sets the clock's alarm;
// when it rings, a music file plays on the music bar and anything else is started through
// the shell; the alarm is then off and the time label empty.
TEST_F(MusicAndClock, AlarmSetFromTheDialogRings) {
  TDateTime Now = EncodeTime(6, 0, 0, 0);
  MainForm->Clock->OnGetTime = [&](TObject*, TDateTime& T) { T = Now; };
  const std::string Song = Module("wake.mod", 64);
  auto SetAlarm = [&](const std::function<void()>& Open, const std::string& Time, const std::string& File) {
    TModalDriver Driver([&](TForm* F) {
      auto* A = dynamic_cast<TAlarms*>(F);
      ASSERT_NE(A, nullptr);
      A->TimeEdit->SetText(Time);
      A->WaveEdit->SetText(File);
      A->BitBtn1Click(nullptr);
    });
    Open();
    EXPECT_TRUE(Driver.Ran());
  };
  struct Case {
    const char* Name;
    std::function<void()> Open;
  } Openers[] = {
      {"button", [] { dynamic_cast<TToolButton*>(MainForm->FindComponent("AlarmBtn"))->Click(); }},
      {"menu", [] { PressKey(VK_F6, {ssShift, ssCtrl}, MainForm->Handle()); }},
      {"clock", [] { MainForm->Clock->OnDblClick(MainForm->Clock); }},
      {"clock menu", [] { dynamic_cast<TMenuItem*>(MainForm->FindComponent("Alarm1"))->Click(); }},
  };
  for (const Case& C : Openers) {
    Launched.clear();
    // The clock's own timer ticks too: before the alarm time, or it rings at once.
    Now = EncodeTime(6, 0, 0, 0);
    SetAlarm(C.Open, "06:30:00", "C:\\tools\\wake up.exe");
    EXPECT_TRUE(MainForm->Clock->AlarmEnabled()) << C.Name;
    EXPECT_EQ(MainForm->FormLabel->Caption(), "06:30:00") << C.Name;
    Now = EncodeTime(6, 29, 59, 0);
    MainForm->Clock->Tick();
    EXPECT_TRUE(Launched.empty()) << C.Name;
    Now = EncodeTime(6, 30, 0, 0);
    MainForm->Clock->Tick();
    ASSERT_EQ(Launched.size(), 1u) << C.Name;
    EXPECT_EQ(Launched[0].File, "C:\\tools\\wake up.exe");
    EXPECT_EQ(Launched[0].Dir, "C:\\tools\\");
    EXPECT_FALSE(MainForm->Clock->AlarmEnabled()) << C.Name;
    EXPECT_EQ(MainForm->FormLabel->Caption(), "") << C.Name;
  }

  SetAlarm([] { MainForm->AlarmBtnClick(nullptr); }, "07:00:00", Song);
  Now = EncodeTime(7, 0, 0, 0);
  MainForm->Clock->Tick();
  EXPECT_TRUE(MainForm->mpp->IsPlaying());
  EXPECT_EQ(MainForm->MusicPath->Caption(), Song);
  EXPECT_TRUE(Launched.empty() || Launched.size() == 1u);
  EXPECT_FALSE(MainForm->Clock->AlarmEnabled());
  MainForm->SpeedButton80Click(nullptr);

  // The standard sound is the program's own file.
  WriteFileBytes(Dir / "ZQsound.mod", MakeTinyMod(64));
  SetAlarm([] { MainForm->AlarmBtnClick(nullptr); }, "07:10:00", "ZQsound.mod");
  Now = EncodeTime(7, 10, 0, 0);
  MainForm->Clock->Tick();
  EXPECT_EQ(MainForm->MusicPath->Caption(), Dir / "ZQsound.mod");
  MainForm->SpeedButton80Click(nullptr);
}

// The calendar window, or the calendar program the options name; F1 in it and in the alarm
// dialog opens the program's help on their topics.
TEST_F(MusicAndClock, CalendarAndHelp) {
  CreateDir(Dir / "ini");
  WriteFileBytes(Dir / "ini\\help.ini", "[main]\r\nCalendar=About the calendar\r\nAlarm=About the alarm\r\n");
  std::string Help;
  auto F1 = [&](TForm* F) {
    PressKey(VK_F1, {}, F->Handle());
    Help = HelpForm != nullptr && HelpForm->Visible() ? HelpForm->Label1->Caption() : "";
    if (HelpForm != nullptr) HelpForm->Hide();
    F->SetModalResult(mrCancel);
  };
  {
    TModalDriver Driver([&](TForm* F) {
      EXPECT_NE(dynamic_cast<TCalendarForm*>(F), nullptr);
      F1(F);
    });
    dynamic_cast<TToolButton*>(MainForm->FindComponent("CalendBtn"))->Click();
    EXPECT_TRUE(Driver.Ran());
  }
  EXPECT_EQ(Help, "About the calendar");
  {
    TModalDriver Driver(F1);
    MainForm->AlarmBtnClick(nullptr);
    EXPECT_TRUE(Driver.Ran());
  }
  EXPECT_EQ(Help, "About the alarm");
  EXPECT_TRUE(Launched.empty());

  Settings->CalendEdit->SetText("C:\\cal\\cal.exe");
  MainForm->CalendBtnClick(nullptr);
  ASSERT_EQ(Launched.size(), 1u);
  EXPECT_EQ(Launched[0].File, "C:\\cal\\cal.exe");
  EXPECT_EQ(Launched[0].Dir, "C:\\cal\\");
}

TEST_F(MusicAndClock, PagePictureOpensThePictureWindow) {
  TBitmap B;
  B.SetSize(40, 30);
  B.SaveToFile(Dir / "small.bmp");
  OpenFileInPanel(MainForm->RPages, Dir / "small.bmp");
  ASSERT_TRUE(MainForm->RImage->Visible());
  int W = 0, H = 0;
  TModalDriver Driver([&](TForm* F) {
    EXPECT_EQ(F, Form1);
    W = Form1->Image1->Picture()->Width();
    H = Form1->Image1->Picture()->Height();
    PressKey(VK_ESCAPE, {}, F->Handle());
  });
  // A click on the picture, through the page's window as the mouse gives it.
  TPoint P = MainForm->RImage->ClientToScreen(TPoint(5, 5));
  HWND Page = MainForm->REditPage->Handle();
  POINT Q{P.X, P.Y};
  ScreenToClient(Page, &Q);
  PostMessageW(Page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(Q.x, Q.y));
  PostMessageW(Page, WM_LBUTTONUP, 0, MAKELPARAM(Q.x, Q.y));
  ASSERT_TRUE(WaitFor([&] { return Driver.Ran(); }, 60000));
  EXPECT_EQ(W, 40);
  EXPECT_EQ(H, 30);
  PumpMessages();
  EXPECT_FALSE(Form1->Visible());
}

}  // namespace
