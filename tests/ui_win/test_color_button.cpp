#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "classlib/core/sys_utils.h"
#include "classlib/core/typinfo.h"
#include "classlib/win/application.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/forms.h"
#include "classlib/win/graphics.h"
#include "tests/support/dialog_watcher.h"
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"
#include "ui/color_button.h"

namespace {

struct TButtonForm {
  std::unique_ptr<TForm> Form{CreateForm<TForm>(nullptr)};
  TColorButton* Button = new TColorButton(Form.get());
  std::vector<std::string> Log;
  TButtonForm() {
    Button->SetParent(Form.get());
    Button->SetLeft(10);
    Button->SetTop(10);
    Button->OnClick = [this](TObject*) { Log.push_back("click " + IntToHex(int(Button->Color()), 6)); };
    Button->OnColorChange = [this](TObject*) { Log.push_back("change " + IntToHex(int(Button->Color()), 6)); };
    Form->SetBounds(100, 100, 200, 100);
    Form->Show();
    PumpMessages();
  }
  ~TButtonForm() { Form->Hide(); }
  // The button's face as painted by its window.
  std::unique_ptr<TBitmap> Face() {
    Button->Repaint();
    auto B = std::make_unique<TBitmap>();
    B->SetSize(Button->Width(), Button->Height());
    HDC DC = GetDC(Button->Handle());
    BitBlt(B->Canvas()->Handle(), 0, 0, Button->Width(), Button->Height(), DC, 0, 0, SRCCOPY);
    ReleaseDC(Button->Handle(), DC);
    return B;
  }
};

// Answers the colour dialog of this process with the full-open fields set to Rgb, then OK.
class TColorAnswer {
public:
  explicit TColorAnswer(int R, int G, int B)
      : FThread([=, this] {
          while (!FStop) {
            HWND D = FindDialog();
            if (D != nullptr && GetDlgItem(D, 706) != nullptr) {
              // A sent message returns once the dialog pumps: it has finished setting up,
              // and the fields below are set synchronously before OK is posted.
              SendMessageTimeoutW(D, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr);
              SetDlgItemInt(D, 706, R, FALSE);
              SetDlgItemInt(D, 707, G, FALSE);
              SetDlgItemInt(D, 708, B, FALSE);
              PostMessageW(D, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(D, IDOK)));
              ++FAnswered;
              while (!FStop && IsWindow(D)) Sleep(20);
            }
            Sleep(20);
          }
        }) {}
  ~TColorAnswer() {
    FStop = true;
    FThread.join();
  }
  int Answered() const { return FAnswered; }

private:
  static HWND FindDialog() {
    struct TFind {
      DWORD Pid;
      HWND Found;
    } F{GetCurrentProcessId(), nullptr};
    EnumWindows(
        [](HWND W, LPARAM P) WINAPI -> BOOL {
          auto* F = reinterpret_cast<TFind*>(P);
          DWORD Pid = 0;
          GetWindowThreadProcessId(W, &Pid);
          wchar_t Class[16] = {};
          GetClassNameW(W, Class, 16);
          if (Pid == F->Pid && IsWindowVisible(W) && lstrcmpW(Class, L"#32770") == 0) {
            F->Found = W;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&F));
    return F.Found;
  }
  std::atomic<bool> FStop{false};
  std::atomic<int> FAnswered{0};
  std::thread FThread;
};

}  // namespace

TEST(ColorButton, Defaults) {
  TButtonForm F;
  EXPECT_EQ(F.Button->Width(), 44);
  EXPECT_EQ(F.Button->Height(), 22);
  EXPECT_EQ(F.Button->Color(), clWhite);
  EXPECT_EQ(F.Button->Margin(), 1);
  EXPECT_EQ(F.Button->ActivationEvent(), aeClick);
  EXPECT_TRUE(F.Button->TabStop());
  EXPECT_TRUE(F.Button->ParentFont());
}

TEST(ColorButton, FacePaintsTheSwatch) {
  TButtonForm F;
  F.Button->SetColor(clRed);
  auto B = F.Face();
  TCanvas* C = B->Canvas();
  EXPECT_EQ(C->Pixels(4, 4), clBlack);    // the outline starts at (4, 4)
  EXPECT_EQ(C->Pixels(38, 16), clBlack);
  EXPECT_EQ(C->Pixels(5, 5), clRed);
  EXPECT_EQ(C->Pixels(37, 15), clRed);
  EXPECT_EQ(C->Pixels(0, 0), TColor(ColorToRGB(clBtnHighlight)));
  EXPECT_EQ(C->Pixels(43, 21), TColor(ColorToRGB(clWindowFrame)));
  EXPECT_EQ(C->Pixels(42, 20), TColor(ColorToRGB(clBtnShadow)));
  SaveWindowPng(F.Form->Handle(), ScreenshotPath("color_button.png"));

  // Margin 0: the swatch outline starts two pixels further in; 5 is ignored.
  F.Button->SetMargin(0);
  EXPECT_EQ(F.Face()->Canvas()->Pixels(6, 6), clBlack);
  F.Button->SetMargin(5);
  EXPECT_EQ(F.Button->Margin(), 0);

  // Disabled: the swatch takes the face colour.
  F.Button->SetMargin(1);
  F.Button->SetEnabled(false);
  EXPECT_EQ(F.Face()->Canvas()->Pixels(10, 10), TColor(ColorToRGB(clBtnFace)));
  EXPECT_EQ(F.Button->Color(), clRed);
}

TEST(ColorButton, ClickTakesTheChosenColour) {
  TButtonForm F;
  F.Button->SetOptions(TColorDialogOptions{cdFullOpen});
  {
    TColorAnswer Answer(0x12, 0x34, 0x56);
    F.Button->Click();
    EXPECT_EQ(Answer.Answered(), 1);
  }
  EXPECT_EQ(F.Button->Color(), TColor(0x563412));
  // One click, after the dialog, with the new colour.
  ASSERT_EQ(F.Log.size(), 2u);
  EXPECT_EQ(F.Log[0], "change 563412");
  EXPECT_EQ(F.Log[1], "click 563412");
}

TEST(ColorButton, CancelKeepsTheColour) {
  TButtonForm F;
  F.Button->SetColor(clGreen);
  {
    TDialogWatcher Watcher;
    SendMessageW(F.Button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(F.Button->State(), 2);
    SendMessageW(F.Button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(Watcher.Answered().size(), 1u);
  }
  EXPECT_EQ(F.Button->Color(), clGreen);
  EXPECT_EQ(F.Button->State(), 0);
  ASSERT_EQ(F.Log.size(), 1u);
  EXPECT_EQ(F.Log[0], "click 008000");
}

TEST(ColorButton, MouseDownActivationAndTracking) {
  TButtonForm F;
  F.Button->SetActivationEvent(aeMouseDown);
  {
    TDialogWatcher Watcher;
    SendMessageW(F.Button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(Watcher.Answered().size(), 1u);
  }
  // The dialog's click is the press's only click.
  EXPECT_EQ(F.Log.size(), 1u);
  EXPECT_EQ(F.Button->State(), 0);
  // A press moved off the button and back.
  F.Button->SetActivationEvent(aeClick);
  F.Log.clear();
  HWND W = F.Button->Handle();
  F.Button->SetEnabled(true);
  {
    TDialogWatcher Watcher;
    SendMessageW(W, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(F.Button->State(), 2);
    SendMessageW(W, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 5));
    EXPECT_EQ(F.Button->State(), 0);
    SendMessageW(W, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(6, 6));
    EXPECT_EQ(F.Button->State(), 2);
    SendMessageW(W, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 5));
    SendMessageW(W, WM_LBUTTONUP, 0, MAKELPARAM(60, 5));  // released outside: no click
    EXPECT_TRUE(Watcher.Answered().empty());
  }
  EXPECT_TRUE(F.Log.empty());
}

TEST(ColorButton, KeysPressTheButton) {
  TButtonForm F;
  F.Button->SetFocus();
  PumpMessages();
  {
    TDialogWatcher Watcher;
    PressKey(VK_SPACE, {}, F.Button->Handle());
    EXPECT_EQ(Watcher.Answered().size(), 1u);
    PressKey(VK_RETURN, {}, F.Button->Handle());
    EXPECT_EQ(Watcher.Answered().size(), 2u);
  }
  EXPECT_EQ(F.Log.size(), 2u);
}

TEST(ColorButton, DisabledIgnoresPressesAndKeys) {
  TButtonForm F;
  F.Button->SetEnabled(false);
  TDialogWatcher Watcher;
  SendMessageW(F.Button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(F.Button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  uint16_t Key = VK_SPACE;
  F.Button->Perform(WM_KEYDOWN, Key, 1);
  F.Button->Perform(WM_KEYUP, Key, 0xC0000001);
  EXPECT_EQ(F.Button->State(), 0);
  EXPECT_TRUE(F.Log.empty());
  EXPECT_TRUE(Watcher.Answered().empty());
}

TEST(ColorButton, PropertiesByName) {
  RegisterColorButton();
  TButtonForm F;
  EXPECT_EQ(FindClass("TColorButton"), TColorButton::StaticClassInfo());
  SetPropText(F.Button, "Color", "clNavy");
  EXPECT_EQ(F.Button->Color(), clNavy);
  EXPECT_EQ(GetPropText(F.Button, "Color"), "clNavy");
  SetPropText(F.Button, "Margin", "0");
  EXPECT_EQ(F.Button->Margin(), 0);
  SetPropText(F.Button, "ActivationEvent", "aeMouseDown");
  EXPECT_EQ(F.Button->ActivationEvent(), aeMouseDown);
  SetPropText(F.Button, "Options", "[cdFullOpen,cdAnyColor]");
  EXPECT_TRUE(F.Button->Options().Contains(cdAnyColor));
}
