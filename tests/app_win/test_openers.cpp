// Opening files from the panels: on a panel's text/picture page, in text viewers, in the
// music players.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "app/core/lng_strings.h"
#include "app/main_form.h"
#include "app/openers.h"
#include "app/settings.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/media_player.h"
#include "classlib/win/registry.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/dialog_watcher.h"
#include "tests/support/form_test.h"
#include "tests/support/file_bytes.h"
#include "tests/support/main_window_fixture.h"
#include "tools/core/mp3_info.h"
#include "tools/mpeg_player.h"
#include "tools/view_form.h"

namespace {

// DOS text: "Пол" in 866 (0x8F 0xAE 0xAB, its 0xAE outnumbering any 0xFE) and a frame line.
const std::string DosText = "\x8F\xAE\xAB\xAE\xAE \xC4\xC4\xB3\r\n";
const std::string DosAsWindows = "\xCF\xEE\xEB\xEE\xEE --\xA6";

class Openers : public MainWindowFixture {
protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    CreateMainForm();
    MainForm->SetBounds(0, 0, 800, 600);
    MainForm->Show();
    PumpMessages();
  }
  void TearDown() override {
    for (int I = Screen->FormCount() - 1; I >= 0; --I)
      if (auto* V = dynamic_cast<TViewForm*>(Screen->Forms(I))) delete V;
    MainWindowFixture::TearDown();
  }
  int Viewers() {
    int N = 0;
    for (int I = 0; I < Screen->FormCount(); ++I) N += dynamic_cast<TViewForm*>(Screen->Forms(I)) != nullptr;
    return N;
  }
};

TEST_F(Openers, PanelPageShowsTextAndPictures) {
  WriteFileBytes(Dir / "win.txt", "Windows \xFE\xFE text\r\n");
  WriteFileBytes(Dir / "dos.txt", DosText);
  TBitmap B;
  B.SetSize(700, 100);
  B.SaveToFile(Dir / "wide.bmp");

  OpenFileInPanel(MainForm->RPages, Dir / "win.txt");
  EXPECT_EQ(MainForm->RPages->ActivePage(), MainForm->REditPage);
  EXPECT_EQ(MainForm->REdit->Lines()->Strings(0), "Windows \xFE\xFE text");
  EXPECT_TRUE(MainForm->REdit->Visible());
  EXPECT_FALSE(MainForm->RImage->Visible());
  EXPECT_EQ(MainForm->LPages->ActivePage(), MainForm->LFiles);  // the other side is left alone

  OpenFileInPanel(MainForm->LPages, Dir / "dos.txt");
  EXPECT_EQ(MainForm->LPages->ActivePage(), MainForm->LEditPage);
  EXPECT_EQ(MainForm->LEdit->Lines()->Strings(0), DosAsWindows);
  // Converted in memory: nothing is left in the program's temporary folder.
  TSearchRec F;
  EXPECT_NE(FindFirst(Dir / "temp\\*.*", faAnyFile & ~faDirectory, F), 0);
  FindClose(F);

  OpenFileInPanel(MainForm->LPages, Dir / "wide.bmp");
  EXPECT_TRUE(MainForm->LImage->Visible());
  EXPECT_FALSE(MainForm->LEdit->Visible());
  EXPECT_EQ(MainForm->LImage->Width(), MainForm->LEditPage->Width());

  // A text after a picture brings the text back.
  OpenFileInPanel(MainForm->LPages, Dir / "win.txt");
  EXPECT_TRUE(MainForm->LEdit->Visible());
  EXPECT_FALSE(MainForm->LImage->Visible());
  EXPECT_EQ(MainForm->LEdit->Align(), alClient);
}

TEST_F(Openers, PanelPageStaysWhenTheFileCannotBeRead) {
  MainForm->RPages->SetActivePage(MainForm->RFiles);
  WriteFileBytes(Dir / "kept.txt", "kept");
  OpenFileInPanel(MainForm->RPages, Dir / "kept.txt");
  MainForm->RPages->SetActivePage(MainForm->RFiles);
  for (const char* Name : {"none.txt", "none.jpg"}) {
    EXPECT_ANY_THROW(OpenFileInPanel(MainForm->RPages, Dir / Name)) << Name;
    EXPECT_EQ(MainForm->RPages->ActivePage(), MainForm->RFiles) << Name;
  }
  EXPECT_EQ(MainForm->REdit->Lines()->Strings(0), "kept");
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(Openers, ViewerShowsTheFileReadOnly) {
  WriteFileBytes(Dir / "dos.txt", DosText);
  TViewForm* V = ViewFile(Dir / "dos.txt");
  ASSERT_NE(V, nullptr);
  EXPECT_EQ(V->TextView->Lines()->Strings(0), DosAsWindows);
  EXPECT_EQ(V->Caption(), Dir / "dos.txt");
  EXPECT_EQ(V->Title(), Dir / "dos.txt");
  EXPECT_TRUE(V->TextView->ReadOnly());
  EXPECT_FALSE(V->TextView->Modified());
  EXPECT_TRUE(V->Visible());
  // Each file its own window.
  ASSERT_NE(ViewFile(Dir / "dos.txt"), nullptr);
  EXPECT_EQ(Viewers(), 2);

  EXPECT_ANY_THROW(ViewFile(Dir / "none.txt"));
  EXPECT_EQ(Viewers(), 2);

  TMemoryStream S;
  const std::string Entry = "skipped|entry text";
  S.WriteBuffer(Entry.data(), int64_t(Entry.size()));
  S.SetPosition(8);
  TViewForm* E = ViewStream(&S);
  EXPECT_EQ(E->TextView->Lines()->Strings(0), "entry text");
  EXPECT_EQ(E->Caption(), " ");
  EXPECT_TRUE(E->TextView->ReadOnly());
}

// Over 1 MB the viewer asks first when the option says so; the watcher answers Cancel.
TEST_F(Openers, LargeFilesAskFirst) {
  const struct {
    int64_t Size;
    bool Option, Asked;
  } Rows[] = {{0x100000, true, false}, {0x100001, true, true}, {0x100001, false, false}};
  for (const auto& R : Rows) {
    WriteFileBytes(Dir / "big.txt", std::string(size_t(R.Size), 'a'));
    Settings->OpenLarge->SetChecked(R.Option);
    const int Before = Viewers();
    TDialogWatcher Watcher;
    TViewForm* V = ViewFile(Dir / "big.txt");
    EXPECT_EQ(Watcher.Answered().size(), R.Asked ? 1u : 0u) << R.Size << " " << R.Option;
    EXPECT_EQ(V == nullptr, R.Asked) << R.Size;
    EXPECT_EQ(Viewers(), Before + (R.Asked ? 0 : 1));
  }
}

// A Unix path of the build as Wine's Z: drive sees it.
std::string WinePath(std::string Unix) {
  for (char& C : Unix)
    if (C == '/') C = '\\';
  return "Z:" + Unix;
}

TEST_F(Openers, MusicBarFollowsThePlayer) {
  // Other kinds only name the file.
  PlayMediaFile(Dir / "notes.txt");
  EXPECT_EQ(MainForm->MusicPath->Caption(), Dir / "notes.txt");

  // An MP3 with a tag: the tag is read, the stream opened and its length is the bar's
  // maximum; with no sound device here playing fails and the bar is cleared.
  std::string Mp3 = ReadFileBytes(WinePath(ZX_TOOLS_DATA "/tone.mp3"));
  std::string Tag = "TAG" + std::string(125, '\0');
  Tag.replace(3, 4, "Tone");
  Mp3 += Tag;
  WriteFileBytes(Dir / "tone.mp3", Mp3);
  MainForm->mp3->SetPathToDLL(ZX_DIST_DIR);
  try {
    PlayMediaFile(Dir / "tone.mp3");
    EXPECT_EQ(MainForm->MusicPath->Caption(), Dir / "tone.mp3");  // a machine with sound
    StopMusic();
  } catch (const TMPEGError& E) {
    EXPECT_EQ(E.ErrorCode, 5) << E.Message();
    EXPECT_EQ(MainForm->MusicPath->Caption(), "");
  }
  EXPECT_STREQ(MainForm->MP3Info->Title().c_str(), "Tone");
  EXPECT_NEAR(MainForm->Musbar->Max(), 1000, 60);

  // Without its library the MP3 is refused the same way.
  MainForm->mp3->SetPathToDLL(Dir.Path());
  EXPECT_THROW(PlayMediaFile(Dir / "tone.mp3"), TMPEGError);
  EXPECT_FALSE(MainForm->mp3->IsLoaded());
  // A sound file that is not there.
  EXPECT_THROW(PlayMediaFile(Dir / "none.wav"), EMCIDeviceError);
  EXPECT_EQ(MainForm->MusicPath->Caption(), "");
}

}  // namespace
