// Message dialogs, input boxes, common dialogs and the folder browser, answered by a
// watcher thread so that nothing waits for a person.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/wide_string.h"
#include "tests/support/screenshot.h"
#include "tests/support/window_texts.h"

namespace {

// Waits for the first dialog of this process and runs Action on it (from its own thread);
// any dialog still open a while after that, and any further dialog, is cancelled.
class TDialogWatcher {
public:
  using TAction = std::function<void(HWND Dialog)>;
  explicit TDialogWatcher(TAction Action) : FAction(std::move(Action)), FThread([this] { Run(); }) {}
  ~TDialogWatcher() {
    FStop = true;
    FThread.join();
  }
  std::string Caption() {
    std::lock_guard<std::mutex> G(FLock);
    return FCaption;
  }
  // The texts of the dialog's controls, in window order.
  std::vector<std::string> Texts() {
    std::lock_guard<std::mutex> G(FLock);
    return FTexts;
  }

  static void Click(HWND Dialog, int Id) {
    PostMessageW(Dialog, WM_COMMAND, MAKEWPARAM(Id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(Dialog, Id)));
  }

private:
  struct TFind {
    HWND Found;
    HWND Except;
  };

  static BOOL CALLBACK FindProc(HWND W, LPARAM P) {
    auto* F = reinterpret_cast<TFind*>(P);
    DWORD Pid = 0;
    GetWindowThreadProcessId(W, &Pid);
    wchar_t Class[32] = {};
    GetClassNameW(W, Class, 32);
    if (Pid == GetCurrentProcessId() && W != F->Except && IsWindowVisible(W) && std::wstring(Class) == L"#32770") {
      F->Found = W;
      return FALSE;
    }
    return TRUE;
  }

  static HWND FindDialog(HWND Except) {
    TFind F{nullptr, Except};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&F));
    return F.Found;
  }

  void Run() {
    HWND Acted = nullptr;
    int SinceAction = 0;
    while (!FStop) {
      Sleep(20);
      if (Acted != nullptr && IsWindow(Acted)) {
        if (++SinceAction > 250) {  // the action did not close it: do not leave it waiting
          Click(Acted, IDCANCEL);
          PostMessageW(Acted, WM_CLOSE, 0, 0);
          SinceAction = 0;
        }
      }
      HWND D = FindDialog(Acted);
      if (D == nullptr) continue;
      if (Acted != nullptr) {  // an unexpected further dialog
        Click(D, IDCANCEL);
        PostMessageW(D, WM_CLOSE, 0, 0);
        continue;
      }
      // A sent message returns once the dialog's thread pumps again: it has set itself up.
      SendMessageTimeoutW(D, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr);
      {
        std::lock_guard<std::mutex> G(FLock);
        FCaption = WindowText(D);
        for (HWND C = GetWindow(D, GW_CHILD); C != nullptr; C = GetWindow(C, GW_HWNDNEXT)) FTexts.push_back(WindowText(C));
      }
      FAction(D);
      Acted = D;
    }
  }

  TAction FAction;
  std::atomic<bool> FStop{false};
  std::mutex FLock;
  std::string FCaption;
  std::vector<std::string> FTexts;
  std::thread FThread;
};

bool Has(const std::vector<std::string>& Texts, const std::string& S) {
  return std::find(Texts.begin(), Texts.end(), S) != Texts.end();
}

TEST(MessageDlg, ReturnsTheButtonPressedAndMapsClosingToCancelNoOrOk) {
  struct TCase {
    const char* Name;
    TMsgDlgType Type;
    TMsgDlgButtons Buttons;
    int Press;  // a button id, or 0 for the close box
    int Expected;
    const char* Caption;
    std::vector<std::string> ButtonTexts;
  };
  const std::vector<TCase> Cases = {
      {"yes", mtConfirmation, {mbYes, mbNo}, IDYES, mrYes, "Confirmation", {"&Yes", "&No"}},
      {"close with cancel", mtWarning, mbYesNoCancel, 0, mrCancel, "Warning", {"&Yes", "&No", "Cancel"}},
      {"close with no", mtError, {mbYes, mbNo}, 0, mrNo, "Error", {}},
      {"close with ok", mtInformation, {mbOK}, 0, mrOk, "Information", {"OK"}},
      {"retry", mtWarning, mbAbortRetryIgnore, IDRETRY, mrRetry, "Warning", {"&Abort", "&Retry", "&Ignore"}},
      {"no to all", mtConfirmation, {mbYesToAll, mbNoToAll, mbAll}, mrNoToAll, mrNoToAll, "Confirmation",
       {"&All", "N&o to All", "Yes to &All"}},
      {"custom", mtCustom, mbOKCancel, IDCANCEL, mrCancel, "", {"OK", "Cancel"}},
  };
  const std::string Msg = "\xD3\xE4\xE0\xEB\xE8\xF2\xFC \xF4\xE0\xE9\xEB\xFB?";  // "Удалить файлы?"
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TDialogWatcher W([&](HWND D) {
      if (C.Type == mtWarning) SaveWindowPng(D, ScreenshotPath("message_dlg.png"));
      if (C.Press != 0)
        TDialogWatcher::Click(D, C.Press);
      else
        PostMessageW(D, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(MessageDlg(Msg, C.Type, C.Buttons, 0), C.Expected);
    EXPECT_EQ(W.Caption(), *C.Caption ? std::string(C.Caption) : Application->Title());
    EXPECT_TRUE(Has(W.Texts(), Msg));
    for (const std::string& B : C.ButtonTexts) EXPECT_TRUE(Has(W.Texts(), B)) << B;
  }
}

TEST(MessageDlg, TheHelpButtonOpensTheTopicAndKeepsTheQuestion) {
  int Topic = 0;
  HelpContextProc = [&](int Context) { Topic = Context; };
  TDialogWatcher W([](HWND D) {
    TDialogWatcher::Click(D, 100);  // Help
    TDialogWatcher::Click(D, IDOK);
  });
  EXPECT_EQ(MessageDlg("Help?", mtInformation, {mbOK, mbHelp}, 77), mrOk);
  HelpContextProc = nullptr;
  EXPECT_EQ(Topic, 77);
  EXPECT_TRUE(Has(W.Texts(), "&Help"));
}

TEST(MessageDlg, ShowMessageAndInputQuery) {
  {
    TDialogWatcher W([](HWND D) { TDialogWatcher::Click(D, IDOK); });
    ShowMessage("Termination failed");
    EXPECT_EQ(W.Caption(), Application->Title());
    EXPECT_TRUE(Has(W.Texts(), "Termination failed"));
  }
  const std::string Typed = "\xCD\xEE\xE2\xE0\xFF \xEF\xE0\xEF\xEA\xE0";  // "Новая папка"
  {
    TDialogWatcher W([&](HWND D) {
      HWND Edit = FindWindowExW(D, nullptr, L"Edit", nullptr);
      SendMessageW(Edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ToWide(Typed).c_str()));
      SaveWindowPng(D, ScreenshotPath("input_query.png"));
      TDialogWatcher::Click(D, IDOK);
    });
    std::string Value = "old";
    EXPECT_TRUE(InputQuery("Create folder", "Folder name:", Value));
    EXPECT_EQ(Value, Typed);
    EXPECT_EQ(W.Caption(), "Create folder");
    EXPECT_TRUE(Has(W.Texts(), "old"));  // the edit box started with the value
  }
  {
    TDialogWatcher W([](HWND D) { TDialogWatcher::Click(D, IDCANCEL); });
    std::string Value = "*.*";
    EXPECT_FALSE(InputQuery("Mask", "Mask:", Value));
    EXPECT_EQ(Value, "*.*");
  }
  {
    TDialogWatcher W([](HWND D) { PostMessageW(D, WM_CLOSE, 0, 0); });
    EXPECT_EQ(InputBox("Mask", "Mask:", "*.txt"), "*.txt");
  }
}

TEST(CommonDialogs, OpenAndSaveDialogsGiveTheChosenName) {
  TOpenDialog Open(nullptr);
  Open.SetFileName("C:\\windows\\win.ini");
  Open.SetFilter("Ini files|*.ini|All|*.*");
  int Shown = 0, Closed = 0;
  Open.OnShow = [&](TObject*) { ++Shown; };
  Open.OnClose = [&](TObject*) { ++Closed; };
  {
    TDialogWatcher W([](HWND D) { TDialogWatcher::Click(D, IDOK); });
    ASSERT_TRUE(Open.Execute());
  }
  EXPECT_TRUE(SameText(Open.FileName(), "C:\\windows\\win.ini")) << Open.FileName();
  EXPECT_EQ(Open.Files()->Count(), 1);
  EXPECT_EQ(Open.FilterIndex(), 1);
  EXPECT_EQ(Shown, 1);
  EXPECT_EQ(Closed, 1);
  {
    TDialogWatcher W([](HWND D) { TDialogWatcher::Click(D, IDCANCEL); });
    EXPECT_FALSE(Open.Execute());
  }

  wchar_t Temp[MAX_PATH];
  GetTempPathW(MAX_PATH, Temp);
  TSaveDialog Save(nullptr);
  Save.SetFileName(FromWide(Temp) + "palette");
  Save.SetDefaultExt("PAL");
  Save.SetFilter("\xCF\xE0\xEB\xE8\xF2\xF0\xE0|*.pal");  // "Палитра"
  {
    TDialogWatcher W([](HWND D) { TDialogWatcher::Click(D, IDOK); });
    ASSERT_TRUE(Save.Execute());
  }
  EXPECT_TRUE(SameText(ExtractFileName(Save.FileName()), "palette.PAL")) << Save.FileName();
}

TEST(CommonDialogs, ColourFontAndPrintDialogs) {
  TColorDialog Colour(nullptr);
  Colour.SetColor(clRed);
  Colour.CustomColors()->Add("ColorB=00FF00");
  {
    TDialogWatcher W([](HWND D) { TDialogWatcher::Click(D, IDOK); });
    ASSERT_TRUE(Colour.Execute());
  }
  EXPECT_EQ(Colour.Color(), clRed);
  EXPECT_EQ(Colour.CustomColors()->Values("ColorA"), "FFFFFF");
  EXPECT_EQ(Colour.CustomColors()->Values("ColorB"), "00FF00");
  EXPECT_EQ(Colour.CustomColors()->Values("ColorP"), "FFFFFF");

  TFontDialog Font(nullptr);
  Font.Font()->SetName("Tahoma");
  Font.Font()->SetSize(10);
  Font.Font()->SetColor(clBlue);
  {
    TDialogWatcher W([](HWND D) { TDialogWatcher::Click(D, IDOK); });
    ASSERT_TRUE(Font.Execute());
  }
  EXPECT_EQ(Font.Font()->Name(), "Tahoma");
  EXPECT_EQ(Font.Font()->Size(), 10);
  EXPECT_EQ(Font.Font()->Color(), clBlue);

  // Whatever the prefix's printers, a cancelled print dialog is not confirmed.
  TPrintDialog Print(nullptr);
  {
    TDialogWatcher W([](HWND D) { TDialogWatcher::Click(D, IDCANCEL); });
    EXPECT_FALSE(Print.Execute());
  }
}

TEST(CommonDialogs, FindAndReplaceAreModelessAndReportEachRequest) {
  TReplaceDialog R(nullptr);
  R.SetFindText("old");
  R.SetReplaceText("new");
  std::vector<std::string> Events;
  R.OnFind = [&](TObject*) { Events.push_back("find " + R.FindText()); };
  R.OnReplace = [&](TObject*) {
    Events.push_back(std::string(R.Options().Contains(frReplaceAll) ? "all " : "one ") + R.FindText() + ">" +
                     R.ReplaceText());
  };
  R.OnClose = [&](TObject*) { Events.push_back("close"); };
  ASSERT_TRUE(R.Execute());
  HWND D = R.Handle();
  ASSERT_NE(D, nullptr);
  EXPECT_TRUE(R.Execute());  // already shown: the same window
  EXPECT_EQ(R.Handle(), D);
  SetDlgItemTextW(D, edt1, L"abc");
  SendMessageW(D, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);  // Find Next
  SetDlgItemTextW(D, edt2, L"\x0444\x0430\x0439\x043B");         // "файл"
  SendMessageW(D, WM_COMMAND, MAKEWPARAM(psh1, BN_CLICKED), 0);  // Replace
  SendMessageW(D, WM_COMMAND, MAKEWPARAM(psh2, BN_CLICKED), 0);  // Replace All
  R.CloseDialog();
  EXPECT_EQ(R.Handle(), nullptr);
  EXPECT_FALSE(IsWindow(D));
  const std::string File = "\xF4\xE0\xE9\xEB";
  EXPECT_EQ(Events, (std::vector<std::string>{"find abc", "one abc>" + File, "all abc>" + File, "close"}));
  EXPECT_TRUE(R.Options().Contains(frDown));

  HWND FD;
  {
    TFindDialog F(nullptr);
    ASSERT_TRUE(F.Execute());
    FD = F.Handle();
  }  // destroyed while open: the window goes with it
  EXPECT_FALSE(IsWindow(FD));
}

TEST(SelectDirectory, TheShellsFolderBrowserStartsAtTheFolder) {
  std::string Dir = "C:\\windows";
  {
    TDialogWatcher W([](HWND D) { TDialogWatcher::Click(D, IDOK); });
    EXPECT_TRUE(SelectDirectory("Choose a folder", "", Dir));
  }
  EXPECT_TRUE(SameText(Dir, "C:\\windows")) << Dir;
  {
    TDialogWatcher W([](HWND D) { TDialogWatcher::Click(D, IDCANCEL); });
    std::string Other = "C:\\windows";
    EXPECT_FALSE(SelectDirectory(Other, {sdAllowCreate}, 0));
    EXPECT_EQ(Other, "C:\\windows");
  }
}

}  // namespace
