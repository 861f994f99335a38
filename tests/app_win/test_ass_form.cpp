// The assistant window: its picture from the program folder, the message about a missing
// one only when the window is shown, the bursts of animation and the click's word of help.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "app/ass_form.h"
#include "app/core/lng_strings.h"
#include "app/help_form.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/dialog_watcher.h"
#include "tests/support/form_test.h"
#include "tests/support/program_folder_fixture.h"
#include "ui/gif_image.h"

namespace {

class Assistant : public ProgramFolderFixture {
protected:
  void TearDown() override {
    if (HelpForm != nullptr) HelpForm->Hide();
    ProgramFolderFixture::TearDown();
  }
};

TEST_F(Assistant, MissingPictureIsToldOnlyWhenShown) {
  TDialogWatcher Watcher;
  std::unique_ptr<TAssForm> F(CreateForm<TAssForm>(nullptr));
  PumpMessages();
  EXPECT_TRUE(Watcher.Answered().empty());  // made at start-up with the assistant off: quiet
  EXPECT_FALSE(F->PictureError().empty());
  F->Show();
  PumpMessages();
  ASSERT_EQ(Watcher.Answered().size(), 1u);
  EXPECT_NE(Watcher.Answered()[0].find(L"Assistant files not found"), std::wstring::npos);
  EXPECT_TRUE(F->Timer1->Enabled());
  F->Hide();
  F->Show();
  PumpMessages();
  EXPECT_EQ(Watcher.Answered().size(), 1u);  // told once
}

TEST_F(Assistant, ShippedPictureAnimatesInBursts) {
  ASSERT_TRUE(CreateDir(Dir / "Assistant"));
  TMemoryStream S;
  S.LoadFromFile(std::string(ZX_TEST_DATA) + "/../../resources/program/Assistant/Ass.gif");
  S.SaveToFile(Dir / "Assistant\\Ass.gif");
  ASSERT_TRUE(CreateDir(Dir / "INI"));
  TMemoryStream L;
  L.LoadFromFile(std::string(ZX_TEST_DATA) + "/../../resources/langs/English.zq.lng");
  L.SaveToFile(LngFileName());

  TDialogWatcher Watcher;
  std::unique_ptr<TAssForm> F(CreateForm<TAssForm>(nullptr));
  EXPECT_TRUE(F->PictureError().empty());
  auto* Gif = dynamic_cast<TGIFImage*>(F->AssGif->Picture()->Graphic());
  ASSERT_NE(Gif, nullptr);
  EXPECT_EQ(Gif->Count(), 2);
  EXPECT_EQ(F->ClientWidth(), Gif->Width() + 1);
  EXPECT_EQ(F->ClientHeight(), Gif->Height() + 15);
  F->Show();
  EXPECT_EQ(F->Timer1->Interval(), 4500u);
  F->Timer1Timer(F->Timer1);  // the first tick starts a burst and shortens the pause
  EXPECT_TRUE(F->Animating());
  EXPECT_EQ(F->Timer1->Interval(), 3000u);
  EXPECT_TRUE(F->FrameTimer->Enabled());
  const int Frame = Gif->FrameIndex();
  F->FrameTimerTimer(F->FrameTimer);
  EXPECT_NE(Gif->FrameIndex(), Frame);
  F->Timer1Timer(F->Timer1);
  EXPECT_FALSE(F->Animating());
  EXPECT_FALSE(F->FrameTimer->Enabled());

  F->AssGifClick(F->AssGif);
  ASSERT_NE(HelpForm, nullptr);
  std::string Assist;
  GetLngString("Assist", Assist);
  EXPECT_EQ(HelpForm->Label1->Caption(), Assist);
  EXPECT_TRUE(Watcher.Answered().empty());
}

}  // namespace
