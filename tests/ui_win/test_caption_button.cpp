// The caption button: hit codes, presses and releases, hiding, and its hook sharing the
// form's window with other hooks in any order of creation and destruction.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "classlib/win/forms.h"
#include "tests/support/form_test.h"
#include "tests/support/wait_for.h"
#include "ui/caption_button.h"
#include "ui/rx_window_hook.h"

namespace {

struct CaptionButton : ::testing::Test {
  std::unique_ptr<TForm> Form{CreateForm<TForm>(nullptr)};
  void SetUp() override {
    Form->SetBounds(100, 100, 300, 150);
    Form->Show();
    PumpMessages();
  }
  void TearDown() override {
    if (Form) Form->Hide();
  }
  // A screen point in the caption at the button's middle (the button has painted).
  POINT ButtonPoint(TCaptionButton* B) {
    RECT R = B->ButtonRect();
    POINT P{(R.left + R.right) / 2, 0};
    ClientToScreen(Form->Handle(), &P);
    RECT W;
    GetWindowRect(Form->Handle(), &W);
    P.y = W.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    return P;
  }
  LRESULT HitTest(POINT P) { return SendMessageW(Form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(P.x, P.y)); }
};

}  // namespace

TEST_F(CaptionButton, HitCodesAndClicks) {
  auto* A = new TCaptionButton(Form.get());
  auto* B = new TCaptionButton(Form.get());
  EXPECT_GE(A->HitCode(), 666);
  EXPECT_EQ(B->HitCode(), A->HitCode() + 1);
  B->SetVisible(false);
  A->SetRightMargin(67);
  PumpMessages();
  ASSERT_GT(A->ButtonRect().right, A->ButtonRect().left);
  POINT P = ButtonPoint(A);
  EXPECT_EQ(HitTest(P), A->HitCode());

  int Clicks = 0;
  A->OnClick = [&](TObject*) { ++Clicks; };
  SendMessageW(Form->Handle(), WM_NCLBUTTONDOWN, A->HitCode(), MAKELPARAM(P.x, P.y));
  EXPECT_TRUE(A->Down());
  SendMessageW(Form->Handle(), WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(Clicks, 1);
  EXPECT_FALSE(A->Down());

  // Moved off the button before the release: no click.
  SendMessageW(Form->Handle(), WM_NCLBUTTONDOWN, A->HitCode(), MAKELPARAM(P.x, P.y));
  POINT Off{P.x - 60, P.y};
  EXPECT_NE(HitTest(Off), A->HitCode());
  EXPECT_FALSE(A->Down());
  SendMessageW(Form->Handle(), WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(Clicks, 1);

  // Hidden: the caption answers for itself.
  A->SetVisible(false);
  EXPECT_EQ(HitTest(P), HTCAPTION);
}

TEST_F(CaptionButton, HitTestLeftOfThePrimaryMonitor) {
  auto* A = new TCaptionButton(Form.get());
  A->SetRightMargin(67);
  Form->SetBounds(-250, 100, 300, 150);
  PumpMessages();
  SendMessageW(Form->Handle(), WM_NCACTIVATE, 0, 0);
  POINT P = ButtonPoint(A);
  ASSERT_LT(P.x, 0);
  EXPECT_EQ(HitTest(P), A->HitCode());
}

TEST_F(CaptionButton, HooksComeAndGoInAnyOrder) {
  // Three hooks of the window: two caption buttons and a window hook, created and destroyed
  // in every order; the form answers after each step.
  const int Kinds = 3;
  std::vector<int> Order{0, 1, 2};
  int Seen = 0;
  do {
    std::vector<int> Death = Order;
    do {
      std::vector<TComponent*> Made(Kinds, nullptr);
      for (int K : Order) {
        if (K == 2) {
          auto* H = new TRxWindowHook(Form.get());
          H->AfterMessage = [&](TObject*, TMessage& M, bool&) {
            if (M.Msg == WM_NULL) ++Seen;
          };
          H->SetWinControl(Form.get());
          Made[K] = H;
        } else {
          Made[K] = new TCaptionButton(Form.get());
        }
      }
      for (int K : Death) {
        delete Made[K];
        Made[K] = nullptr;
        Form->SetCaption("after " + std::to_string(K));
        wchar_t Buf[32] = {};
        ASSERT_EQ(GetWindowTextW(Form->Handle(), Buf, 32), 7);
        EXPECT_EQ(SendMessageW(Form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(-30000, -30000)), HTNOWHERE);
        int Before = Seen;
        SendMessageW(Form->Handle(), WM_NULL, 0, 0);
        EXPECT_EQ(Seen - Before, Made[2] != nullptr ? 1 : 0);
      }
      PumpMessages();
    } while (std::next_permutation(Death.begin(), Death.end()));
  } while (std::next_permutation(Order.begin(), Order.end()));
}

TEST_F(CaptionButton, DestroyedAfterItsWindow) {
  auto* A = new TCaptionButton(Form.get());
  A->SetGlyph(nullptr);
  Form.reset();  // the form frees the button with itself
  SUCCEED();
}

TEST_F(CaptionButton, HidingKeepsAnActiveCaptionActive) {
  auto* A = new TCaptionButton(Form.get());
  SetForegroundWindow(Form->Handle());
  ASSERT_TRUE(WaitFor([&] { return GetActiveWindow() == Form->Handle(); }));
  // A caption point away from the buttons and the window's icon.
  RECT W;
  GetWindowRect(Form->Handle(), &W);
  POINT P{(W.left + W.right) / 3, W.top + GetSystemMetrics(SM_CYFRAME) + 2};
  auto CaptionColour = [&] {
    RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    HDC DC = GetDC(nullptr);
    COLORREF C = GetPixel(DC, P.x, P.y);
    ReleaseDC(nullptr, DC);
    return C;
  };
  const COLORREF Active = CaptionColour();
  A->SetVisible(false);
  EXPECT_EQ(SendMessageW(Form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(P.x, P.y)), HTCAPTION);
  EXPECT_EQ(CaptionColour(), Active);
  A->SetVisible(true);
  EXPECT_EQ(CaptionColour(), Active);
}
