// The program's message boxes speak the chosen language: from the start, and after each
// switch in the options window.
#include <gtest/gtest.h>

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "app/core/lng_strings.h"
#include "app/main_form.h"
#include "app/settings.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/wide_string.h"
#include "tests/support/dialog_watcher.h"
#include "tests/support/window_texts.h"
#include "tests/support/file_bytes.h"
#include "tests/support/main_window_fixture.h"
#include "tests/support/screenshot.h"

namespace {

const std::string Langs = std::string(ZX_TEST_DATA) + "/../../resources/langs/";

// The caption and the buttons' texts of a Yes/No/Cancel question, as the box shows them.
struct TShown {
  std::string Caption;
  std::vector<std::string> Buttons;
  bool operator==(const TShown&) const = default;
};

TShown AskDelete(const std::string& Png) {
  TShown Shown;
  std::mutex Lock;
  {
    TDialogWatcher W([&](HWND D) {
      std::lock_guard<std::mutex> G(Lock);
      Shown.Caption = WindowText(D);
      Shown.Buttons = ChildTexts(D, L"Button");
      SaveWindowPng(D, ScreenshotPath(Png));
      PostMessageW(D, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(MessageDlg("Delete the selected files?", mtConfirmation, mbYesNoCancel, 0), mrCancel);
  }
  std::lock_guard<std::mutex> G(Lock);
  return Shown;
}

const TShown English{"Confirmation", {"&Yes", "&No", "Cancel"}};
// "Подтверждение": "&Да", "&Нет", "Отмена" (CP1251)
const TShown Russian{"\xCF\xEE\xE4\xF2\xE2\xE5\xF0\xE6\xE4\xE5\xED\xE8\xE5",
                     {"&\xC4\xE0", "&\xCD\xE5\xF2", "\xCE\xF2\xEC\xE5\xED\xE0"}};

class MessageBoxLanguage : public MainWindowFixture {
protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    ASSERT_TRUE(CreateDir(Dir / "Langs"));
    ASSERT_TRUE(CreateDir(Dir / "INI"));
    for (const char* L : {"Russian", "English"})
      WriteFileBytes(Dir / ("Langs\\" + std::string(L) + ".zq.lng"), ReadFileBytes(Langs + L + ".zq.lng"));
  }
  void TearDown() override {
    SetMsgDlgTexts(DefaultMsgDlgTexts());
    MainWindowFixture::TearDown();
  }
};

TEST_F(MessageBoxLanguage, FollowsEachSwitchInTheOptionsWindow) {
  CreateMainForm();
  ASSERT_TRUE(Settings->RadioButton1->Checked());
  Settings->RadioButton2->SetChecked(true);
  EXPECT_EQ(AskDelete("msg_dlg_english.png"), English);
  Settings->RadioButton1->SetChecked(true);
  EXPECT_EQ(AskDelete("msg_dlg_russian.png"), Russian);
  Settings->RadioButton2->SetChecked(true);
  EXPECT_EQ(AskDelete("msg_dlg_english_again.png"), English);
}

TEST_F(MessageBoxLanguage, TheLanguageFileInPlaceGivesTheTextsAndOneWithoutThemTheEnglish) {
  WriteFileBytes(LngFileName(), ReadFileBytes(Langs + "Russian.zq.lng"));
  ApplyDialogTexts();
  EXPECT_EQ(AskDelete("msg_dlg_start.png"), Russian);
  // An older or a user's own language file without the section.
  WriteFileBytes(LngFileName(), "[String]\r\nOld=1\r\n");
  ApplyDialogTexts();
  EXPECT_EQ(AskDelete("msg_dlg_no_section.png"), English);
  DeleteFileW(ToWide(LngFileName()).c_str());
  ApplyDialogTexts();
  EXPECT_EQ(MsgDlgTexts().Captions[mtError], "Error");
}

}  // namespace
