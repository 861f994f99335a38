// Message dialogs and input boxes speak the language the application sets, and their
// buttons stay wide enough for the texts.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "classlib/win/dialogs.h"
#include "classlib/win/wide_string.h"
#include "tests/support/dialog_watcher.h"
#include "tests/support/window_texts.h"
#include "tests/support/screenshot.h"

namespace {

// What a dialog showed: its caption and its buttons' texts, and the buttons whose text
// is wider than the button.
struct TSeen {
  std::mutex Lock;
  std::string Caption;
  std::vector<std::string> Buttons;
  std::vector<std::string> Cramped;
};

BOOL CALLBACK ReadButton(HWND W, LPARAM P) {
  wchar_t Class[32] = {};
  GetClassNameW(W, Class, 32);
  if (lstrcmpiW(Class, L"Button") != 0) return TRUE;
  auto* S = reinterpret_cast<TSeen*>(P);
  std::string Text = WindowText(W);
  // The text as the button draws it, in its own font, with room for the frame.
  HDC DC = GetDC(W);
  HGDIOBJ Old = SelectObject(DC, reinterpret_cast<HFONT>(SendMessageW(W, WM_GETFONT, 0, 0)));
  RECT Need{0, 0, 0, 0};
  std::wstring Wide = ToWide(Text);
  DrawTextW(DC, Wide.c_str(), -1, &Need, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(DC, Old);
  ReleaseDC(W, DC);
  RECT Client;
  GetClientRect(W, &Client);
  std::lock_guard<std::mutex> G(S->Lock);
  S->Buttons.push_back(Text);
  if (Need.right + 8 > Client.right) S->Cramped.push_back(Text);
  return TRUE;
}

// Shows a Yes/No/Cancel question of Type, reads what it showed and answers No.
void Ask(TMsgDlgType Type, TMsgDlgButtons Buttons, TSeen& Seen, const std::string& Png) {
  TDialogWatcher W([&](HWND D) {
    {
      std::lock_guard<std::mutex> G(Seen.Lock);
      Seen.Caption = WindowText(D);
    }
    EnumChildWindows(D, ReadButton, reinterpret_cast<LPARAM>(&Seen));
    SaveWindowPng(D, ScreenshotPath(Png));
    PostMessageW(D, WM_CLOSE, 0, 0);
  });
  MessageDlg("\xD3\xE4\xE0\xEB\xE8\xF2\xFC \xE2\xFB\xE4\xE5\xEB\xE5\xED\xED\xFB\xE5 \xF4\xE0\xE9\xEB\xFB?", Type,
             Buttons, 0);
}

// Russian texts, as a language file gives them (CP1251).
TMsgDlgTexts Russian() {
  TMsgDlgTexts T;
  T.Captions[mtWarning] = "\xCF\xF0\xE5\xE4\xF3\xEF\xF0\xE5\xE6\xE4\xE5\xED\xE8\xE5";
  T.Captions[mtError] = "\xCE\xF8\xE8\xE1\xEA\xE0";
  T.Captions[mtInformation] = "\xC8\xED\xF4\xEE\xF0\xEC\xE0\xF6\xE8\xFF";
  T.Captions[mtConfirmation] = "\xCF\xEE\xE4\xF2\xE2\xE5\xF0\xE6\xE4\xE5\xED\xE8\xE5";
  T.Buttons[mbYes] = "&\xC4\xE0";
  T.Buttons[mbNo] = "&\xCD\xE5\xF2";
  T.Buttons[mbOK] = "OK";
  T.Buttons[mbCancel] = "\xCE\xF2\xEC\xE5\xED\xE0";
  T.Buttons[mbAbort] = "&\xCF\xF0\xE5\xF0\xE2\xE0\xF2\xFC";
  T.Buttons[mbRetry] = "&\xCF\xEE\xE2\xF2\xEE\xF0\xE8\xF2\xFC";
  T.Buttons[mbIgnore] = "&\xCF\xF0\xEE\xEF\xF3\xF1\xF2\xE8\xF2\xFC";
  T.Buttons[mbAll] = "&\xC2\xF1\xE5";
  T.Buttons[mbNoToAll] = "\xCD&\xE5\xF2 \xE4\xEB\xFF \xE2\xF1\xE5\xF5";
  T.Buttons[mbYesToAll] = "\xC4&\xE0 \xE4\xEB\xFF \xE2\xF1\xE5\xF5";
  T.Buttons[mbHelp] = "&\xD1\xEF\xF0\xE0\xE2\xEA\xE0";
  return T;
}

struct MessageDlgTexts : ::testing::Test {
  void TearDown() override { SetMsgDlgTexts(DefaultMsgDlgTexts()); }
};

TEST_F(MessageDlgTexts, CaptionsAndButtonsFollowTheTextsSetAndFitThem) {
  struct TCase {
    const char* Name;
    TMsgDlgType Type;
    TMsgDlgButtons Buttons;
    std::vector<TMsgDlgBtn> Shown;
  };
  const std::vector<TCase> Cases = {
      {"yes-no-cancel", mtConfirmation, mbYesNoCancel, {mbYes, mbNo, mbCancel}},
      {"abort-retry-ignore", mtError, mbAbortRetryIgnore, {mbAbort, mbRetry, mbIgnore}},
      {"to-all", mtWarning, {mbYesToAll, mbNoToAll, mbAll, mbHelp}, {mbAll, mbNoToAll, mbYesToAll, mbHelp}},
      {"ok", mtInformation, {mbOK}, {mbOK}},
  };
  for (const char* Language : {"ru", "en"}) {
    SetMsgDlgTexts(std::string(Language) == "ru" ? Russian() : DefaultMsgDlgTexts());
    for (const TCase& C : Cases) {
      SCOPED_TRACE(std::string(Language) + " " + C.Name);
      TSeen Seen;
      Ask(C.Type, C.Buttons, Seen, std::string("msg_dlg_") + Language + "_" + C.Name + ".png");
      EXPECT_EQ(Seen.Caption, MsgDlgTexts().Captions[C.Type]);
      std::vector<std::string> Want;
      for (TMsgDlgBtn B : C.Shown) Want.push_back(MsgDlgTexts().Buttons[B]);
      EXPECT_EQ(Seen.Buttons, Want);
      EXPECT_TRUE(Seen.Cramped.empty()) << Seen.Cramped.front();
    }
  }
}

TEST_F(MessageDlgTexts, InputBoxesTakeTheOkAndCancelTexts) {
  SetMsgDlgTexts(Russian());
  TSeen Seen;
  TDialogWatcher W([&](HWND D) {
    EnumChildWindows(D, ReadButton, reinterpret_cast<LPARAM>(&Seen));
    PostMessageW(D, WM_CLOSE, 0, 0);
  });
  std::string Value = "x";
  EXPECT_FALSE(InputQuery("Name", "New name:", Value));
  EXPECT_EQ(Seen.Buttons, (std::vector<std::string>{"OK", Russian().Buttons[mbCancel]}));
}

TEST_F(MessageDlgTexts, AnEmptyTextStandsForTheEnglishOne) {
  TMsgDlgTexts T = Russian();
  T.Captions[mtError].clear();
  T.Buttons[mbNo].clear();
  SetMsgDlgTexts(T);
  EXPECT_EQ(MsgDlgTexts().Captions[mtError], "Error");
  EXPECT_EQ(MsgDlgTexts().Buttons[mbNo], "&No");
  EXPECT_EQ(MsgDlgTexts().Buttons[mbYes], Russian().Buttons[mbYes]);
}

TEST_F(MessageDlgTexts, TheFolderBrowserTakesItsTexts) {
  TMsgDlgTexts T = Russian();
  T.SelectDirectory = "\xC2\xFB\xE1\xEE\xF0 \xEF\xE0\xEF\xEA\xE8";
  T.CreateDirectory = "\xCF\xE0\xEF\xEA\xE8 %s \xED\xE5\xF2";
  SetMsgDlgTexts(T);
  EXPECT_EQ(MsgDlgTexts().CreateDirectory, T.CreateDirectory);
  std::mutex Lock;
  std::vector<std::string> Texts;
  TDialogWatcher W([&](HWND D) {
    std::vector<std::string> Seen = ChildTexts(D);
    {
      std::lock_guard<std::mutex> G(Lock);
      Texts = Seen;
    }
    PostMessageW(D, WM_COMMAND, IDCANCEL, 0);
  });
  std::string Dir = "C:\\";
  EXPECT_FALSE(SelectDirectory(Dir, {sdAllowCreate}, 0));
  {
    std::lock_guard<std::mutex> G(Lock);
    EXPECT_NE(std::find(Texts.begin(), Texts.end(), T.SelectDirectory), Texts.end());
  }

  // The question must name the folder: a text without its place keeps the English one,
  // as does an empty caption.
  T.SelectDirectory.clear();
  T.CreateDirectory = "\xD1\xEE\xE7\xE4\xE0\xF2\xFC?";
  SetMsgDlgTexts(T);
  EXPECT_EQ(MsgDlgTexts().SelectDirectory, "Select Directory");
  EXPECT_EQ(MsgDlgTexts().CreateDirectory, "The %s directory does not exist. Create it?");
}

}  // namespace
