// The check list box (marks toggled by the box and the space bar, new lines unmarked) and
// the OLE container with a real object of the system: embedded from its class, drawn,
// activated in place when it gets the focus, and an unknown class told, not embedded.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "classlib/win/application.h"
#include "classlib/win/check_list_box.h"
#include "classlib/win/forms.h"
#include "classlib/win/ole_container.h"
#include "tests/support/form_test.h"

namespace {

TEST(CheckListBox, TheBoxAndTheSpaceBarToggleALineWhileTheTextOnlySelectsIt) {
  std::unique_ptr<TForm> F(CreateForm<TForm>(nullptr));
  auto* L = new TCheckListBox(F.get());
  L->SetBounds(0, 0, 200, 120);
  L->SetParent(F.get());
  L->Items()->Add("one");
  L->Items()->Add("two");
  int Clicks = 0;
  L->OnClickCheck = [&](TObject*) { ++Clicks; };
  F->Show();
  RECT R{};
  SendMessageW(L->Handle(), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&R));
  const int Y = (R.top + R.bottom) / 2;
  auto Click = [&](int X) {
    SendMessageW(L->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, Y));
    SendMessageW(L->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(X, Y));
  };
  Click(150);  // on the text
  EXPECT_EQ(L->ItemIndex(), 1);
  EXPECT_FALSE(L->Checked(1));
  Click(4);  // on the box
  EXPECT_TRUE(L->Checked(1));
  EXPECT_FALSE(L->Checked(0));
  L->SetFocus();
  SendMessageW(L->Handle(), WM_CHAR, ' ', 0);
  EXPECT_FALSE(L->Checked(1));
  EXPECT_EQ(Clicks, 2);
  // Set from the program: no click; out of range reads false and changes nothing.
  L->SetChecked(0, true);
  L->SetChecked(5, true);
  EXPECT_TRUE(L->Checked(0));
  EXPECT_FALSE(L->Checked(5));
  EXPECT_EQ(Clicks, 2);
  L->Items()->Add("three");
  EXPECT_FALSE(L->Checked(2));
  L->Items()->Clear();
  L->Items()->Add("new");
  EXPECT_FALSE(L->Checked(0));
}

class OleContainerTest : public ::testing::Test {
protected:
  void SetUp() override {
    F.reset(CreateForm<TForm>(nullptr));
    F->SetBounds(0, 0, 400, 300);
    Ole = new TOleContainer(F.get());
    Ole->SetAlign(alClient);
    Ole->SetParent(F.get());
    Other = new TEdit(F.get());
    Other->SetAlign(alTop);
    Other->SetParent(F.get());
    F->Show();
    PumpMessages();
  }
  std::unique_ptr<TForm> F;
  TOleContainer* Ole = nullptr;
  TEdit* Other = nullptr;
};

// The system's web browser control is an ordinary embeddable, in-place object.
const char* const BrowserClass = "Shell.Explorer.2";

TEST_F(OleContainerTest, AnObjectOfAClassIsEmbeddedAndActivatedInPlaceWhenTheContainerGetsTheFocus) {
  Ole->SetAutoActivate(aaGetFocus);
  Ole->CreateObject(BrowserClass, false);
  ASSERT_TRUE(Ole->HasObject());
  EXPECT_FALSE(Ole->InPlaceActive());
  Other->SetFocus();
  PumpMessages();
  Ole->SetFocus();
  PumpMessages();
  ASSERT_TRUE(Ole->InPlaceActive());
  HWND W = Ole->InPlaceWindow();
  ASSERT_NE(W, nullptr);
  EXPECT_TRUE(IsChild(Ole->Handle(), W));
  // The object's window follows the container's size.
  F->SetBounds(0, 0, 500, 360);
  PumpMessages();
  RECT C{}, O{};
  GetClientRect(Ole->Handle(), &C);
  GetWindowRect(W, &O);
  EXPECT_EQ(O.right - O.left, C.right);
  EXPECT_EQ(O.bottom - O.top, C.bottom);
  Ole->DestroyObject();
  EXPECT_FALSE(Ole->HasObject());
  EXPECT_FALSE(Ole->InPlaceActive());
  EXPECT_FALSE(IsWindow(W) && IsChild(Ole->Handle(), W) && IsWindowVisible(W));
}

TEST_F(OleContainerTest, DoubleClickActivatesOnlyWhenAskedSo) {
  Ole->CreateObject(BrowserClass, false);
  Ole->SetFocus();
  PumpMessages();
  EXPECT_FALSE(Ole->InPlaceActive());  // double-click activation is the default
  SendMessageW(Ole->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 10));
  EXPECT_TRUE(Ole->InPlaceActive());
  Ole->Deactivate();
  EXPECT_FALSE(Ole->InPlaceActive());
  EXPECT_TRUE(Ole->HasObject());
}

TEST_F(OleContainerTest, AnUnknownClassRaisesAndLeavesTheContainerAsItWas) {
  Ole->CreateObject(BrowserClass, false);
  auto Fails = [&](const char* Name) {
    try {
      Ole->CreateObject(Name, false);
    } catch (const EOleSysError& E) {
      EXPECT_NE(std::string(E.what()), "") << Name;
      return FAILED(E.ErrorCode());
    }
    return false;
  };
  EXPECT_TRUE(Fails("No.Such.Plugin"));
  EXPECT_TRUE(Fails(""));
  EXPECT_TRUE(Ole->HasObject());
  // A class identifier that nothing serves: the old object is gone, no new one came.
  EXPECT_TRUE(Fails("{00000000-0000-0000-0000-00000000ABCD}"));
  EXPECT_FALSE(Ole->HasObject());
}

}  // namespace
