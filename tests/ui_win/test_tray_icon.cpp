// The notification-area icon: its tip, adding and removing, double clicks with and
// without a default menu item, and an animation that ends cleanly when its icons go.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "classlib/win/forms.h"
#include "classlib/win/icon.h"
#include "classlib/win/menus.h"
#include "classlib/win/wide_string.h"
#include "tests/support/form_test.h"
#include "tests/support/wait_for.h"
#include "ui/tray_icon.h"

namespace {


std::unique_ptr<TIcon> SystemIcon(int Id) {
  auto I = std::make_unique<TIcon>();
  I->LoadFromResourceID(nullptr, Id);
  return I;
}

struct TrayIcon : ::testing::Test {
  std::unique_ptr<TForm> Form{CreateForm<TForm>(nullptr)};
  TRxTrayIcon* Tray = new TRxTrayIcon(Form.get());
  void Notify(UINT Mouse) { SendMessageW(Tray->Handle(), CM_TRAYICON, 0, Mouse); }
};

}  // namespace

TEST(TrayTip, ShortPartAtMost63) {
  struct {
    std::string Hint, Tip;
  } Cases[] = {
      {"", ""},
      {"Zembrix", "Zembrix"},
      {"short|the long part", "short"},
      {std::string(70, 'a'), std::string(63, 'a')},
      {std::string(70, 'b') + "|x", std::string(63, 'b')},
      {"|only long", ""},
  };
  for (const auto& C : Cases) EXPECT_EQ(TrayTip(C.Hint), C.Tip) << C.Hint;
}

TEST_F(TrayIcon, AddedWithItsTipAndRemoved) {
  EXPECT_FALSE(Tray->Added());  // no icon yet
  Tray->SetHint(std::string(80, 'h') + "|long");
  auto I = SystemIcon(32512);
  Tray->SetIcon(I.get());
  EXPECT_TRUE(Tray->Added());
  EXPECT_EQ(FromWideBuf(Tray->NotifyData().szTip, 64), std::string(63, 'h'));
  EXPECT_EQ(Tray->NotifyData().uCallbackMessage, CM_TRAYICON);
  Tray->SetActive(false);
  EXPECT_FALSE(Tray->Added());
  Tray->SetActive(true);
  EXPECT_TRUE(Tray->Added());
  EXPECT_EQ(Tray->FrameIndex(), 0);
}

TEST_F(TrayIcon, DoubleClickRunsTheDefaultItem) {
  auto* Menu = new TPopupMenu(Form.get());
  auto* Plain = new TMenuItem(Form.get());
  auto* Def = new TMenuItem(Form.get());
  Menu->Items()->Add(Plain);
  Menu->Items()->Add(Def);
  int PlainClicks = 0, DefClicks = 0, DblClicks = 0;
  Plain->OnClick = [&](TObject*) { ++PlainClicks; };
  Def->OnClick = [&](TObject*) { ++DefClicks; };
  Tray->OnDblClick = [&](TObject*) { ++DblClicks; };
  Tray->SetPopupMenu(Menu);
  Notify(WM_LBUTTONDBLCLK);
  EXPECT_EQ(DblClicks, 1);  // no default item yet
  Def->SetDefault(true);
  Notify(WM_LBUTTONDBLCLK);
  EXPECT_EQ(DefClicks, 1);
  EXPECT_EQ(DblClicks, 1);
  Def->SetEnabled(false);
  Notify(WM_LBUTTONDBLCLK);
  EXPECT_EQ(DblClicks, 2);
  EXPECT_EQ(PlainClicks, 0);

  int Clicks = 0;
  Tray->OnClick = [&](TObject*, TMouseButton B, TShiftState, int, int) { Clicks += B == mbLeft; };
  Notify(WM_LBUTTONUP);
  EXPECT_EQ(Clicks, 1);
  Tray->SetEnabled(false);
  Notify(WM_LBUTTONUP);
  EXPECT_EQ(Clicks, 1);
}

TEST_F(TrayIcon, AnimationEndsWhenTheIconsGo) {
  auto Plain = SystemIcon(32512), A = SystemIcon(32513), B = SystemIcon(32515);
  Tray->SetIcon(Plain.get());
  Tray->Icons()->Add(A.get());
  Tray->Icons()->Add(B.get());
  Tray->SetInterval(10);
  Tray->SetAnimated(true);
  ASSERT_TRUE(Tray->Added());
  EXPECT_EQ(Tray->CurrentIcon(), Tray->Icons()->Icons(0));
  ASSERT_TRUE(WaitFor([&] { return Tray->FrameIndex() == 1; }));
  ASSERT_TRUE(WaitFor([&] { return Tray->FrameIndex() == 0; }));
  Tray->Icons()->Clear();
  EXPECT_FALSE(Tray->Animated());
  EXPECT_EQ(Tray->CurrentIcon(), Tray->Icon());
  EXPECT_TRUE(Tray->Added());
  // Animating without icons is refused.
  Tray->SetAnimated(true);
  EXPECT_FALSE(Tray->Animated());
}
