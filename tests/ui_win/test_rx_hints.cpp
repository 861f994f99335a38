// Shaped hints: the application makes its hint window of the registered class; the window
// takes the size of the outline, shadow and tail, stands beside the cursor with the tail at
// the corner nearest it (flipped at the screen's edges), and paints its shadow and outline.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "classlib/win/forms.h"
#include "classlib/win/graphics.h"
#include "classlib/win/std_ctrls.h"
#include "tests/support/form_test.h"
#include "tests/support/wait_for.h"
#include "tests/support/screenshot.h"
#include "ui/rx_hints.h"

namespace {


COLORREF PixelOf(HWND Wnd, int X, int Y) {
  HDC DC = GetDC(Wnd);
  COLORREF C = GetPixel(DC, X, Y);
  ReleaseDC(Wnd, DC);
  return C;
}

COLORREF Rgb(TColor C) { return COLORREF(ColorToRGB(C)); }

THintRect TextSize(THintWindow* W, const std::string& Text) {
  TRect R = W->CalcHintRect(GetSystemMetrics(SM_CXSCREEN), Text, nullptr);
  return THintRect{0, 0, R.Width(), R.Height()};
}

struct Hints : ::testing::Test {
  std::unique_ptr<TForm> Form{CreateForm<TForm>(nullptr)};
  TButton* Button = nullptr;
  void SetUp() override {
    Form->SetBounds(200, 300, 300, 150);
    Button = new TButton(Form.get());
    Button->SetParent(Form.get());
    Button->SetBounds(20, 20, 120, 30);
    Button->SetCaption("Open");
    Button->SetHint("Open the file|Opens the file under the cursor");
    Button->SetShowHint(true);
    Form->Show();
    PumpMessages();
    Application->SetHintPause(1);
  }
  void TearDown() override {
    Application->CancelHint();
    SetHintStyle(0, 0, false, 0);
    Application->SetHintWindowClass(nullptr);
  }
  // The mouse over the button, and the hint shown.
  void HoverButton() {
    TPoint P = Button->ClientToScreen(TPoint(60, 15));
    SetCursorPos(P.X, P.Y);
    Application->CancelHint();
    Application->HintMouseMessage(Button, P);
    ASSERT_TRUE(WaitFor([] { return !Application->HintShown().empty(); }));
  }
};

}  // namespace

TEST_F(Hints, TheMainWindowsStyle) {
  SetHintStyle(2, 7, true, 0);
  EXPECT_EQ(Application->HintWindow(), nullptr);  // made anew of the registered class
  HoverButton();
  EXPECT_EQ(Application->HintShown(), "Open the file");
  auto* W = dynamic_cast<TRxHintWindow*>(Application->HintWindow());
  ASSERT_NE(W, nullptr);
  HWND H = W->Handle();
  ASSERT_TRUE(IsWindowVisible(H));
  EXPECT_EQ(GetWindowLongW(H, GWL_STYLE) & WS_BORDER, 0);

  // The ellipse round the text box, the shadow and the tail make the window's size.
  const THintGeometry& G = W->Geometry();
  RECT WR;
  GetWindowRect(H, &WR);
  EXPECT_EQ(WR.right - WR.left, G.Window.Width());
  EXPECT_EQ(WR.bottom - WR.top, G.Window.Height());
  EXPECT_EQ(G.Window.Width(), G.Body.Width() + 7 + G.TailShift);
  EXPECT_EQ(G.Window.Height(), G.Body.Height() + 7 + G.TailHeight);
  EXPECT_GT(G.Text.Left, G.Body.Left);  // the text box lies inside the ellipse
  EXPECT_LT(G.Text.Right, G.Body.Right);

  // Above and right of the cursor, tail at the bottom-left corner, which is nearest it.
  POINT Cur;
  GetCursorPos(&Cur);
  EXPECT_EQ(W->TailPosition(), 0);
  EXPECT_EQ(WR.left, Cur.x + 1);
  EXPECT_EQ(WR.top, Cur.y - G.Window.Height() - 3);

  UpdateWindow(H);
  const int CX = (G.Body.Left + G.Body.Right) / 2, CY = (G.Body.Top + G.Body.Bottom) / 2;
  EXPECT_EQ(PixelOf(H, CX, CY), Rgb(Application->HintColor()));
  // Below the ellipse's bottom: the shadow's chequer, 7 pixels down and right.
  COLORREF Shadow = PixelOf(H, CX + 7, G.Body.Bottom + 3);
  EXPECT_TRUE(Shadow == Rgb(clBtnFace) || Shadow == Rgb(clBtnShadow)) << std::hex << Shadow;
  // The outline's frame in the text colour at its top.
  EXPECT_EQ(PixelOf(H, CX, G.Body.Top), Rgb(clInfoText));
  // The tail reaches the window's bottom-left corner.
  HRGN Outline = W->CreateOutlineRegion(false);
  RECT Box;
  GetRgnBox(Outline, &Box);
  EXPECT_LT(Box.left, G.Body.Left);
  EXPECT_LE(Box.left, 3);
  EXPECT_GE(Box.bottom, G.Window.Height() - 7 - 1);
  EXPECT_FALSE(PtInRegion(Outline, G.Window.Width() - 1, 0));
  DeleteObject(Outline);

  EXPECT_GT(SaveWindowPng(H, ScreenshotPath("hint_ellipse.png")), 0);
}

TEST_F(Hints, PlainRectangleWithARaisedEdge) {
  SetHintStyle(0, 0, false, 0);
  HoverButton();
  auto* W = dynamic_cast<TRxHintWindow*>(Application->HintWindow());
  ASSERT_NE(W, nullptr);
  const THintGeometry& G = W->Geometry();
  EXPECT_EQ(G.Window, G.Body);
  EXPECT_EQ(G.TailHeight, 0);
  HWND H = W->Handle();
  UpdateWindow(H);
  // The raised edge round the body, the hint colour inside.
  EXPECT_EQ(PixelOf(H, 0, 0), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(PixelOf(H, G.Body.Width() / 2, G.Body.Height() / 2), Rgb(Application->HintColor()));
  EXPECT_GT(SaveWindowPng(H, ScreenshotPath("hint_plain.png")), 0);
}

TEST_F(Hints, FlipsAtTheScreenEdges) {
  SetHintStyle(1, 3, true, 0);
  TRxHintWindow W(nullptr);
  const int SW = GetSystemMetrics(SM_CXSCREEN), SH = GetSystemMetrics(SM_CYSCREEN);
  const std::string Text = "A hint of some length";
  struct {
    int X, Y;
    int Tail;
    bool Left, Above;  // the window left of / above the cursor
  } Cases[] = {
      {SW / 2, SH / 2, 0, false, true},
      {SW - 5, SH / 2, 1, true, true},
      {SW / 2, 5, 2, false, false},
      {SW - 5, 5, 3, true, false},
  };
  for (const auto& C : Cases) {
    // Wine may still deliver pointer motion of the test before, which moves the cursor
    // back: the cursor must stay where it was put for a while.
    int Steady = 0;
    ASSERT_TRUE(WaitFor([&] {
      POINT Cur;
      GetCursorPos(&Cur);
      if (Cur.x == C.X && Cur.y == C.Y) return ++Steady >= 10;
      Steady = 0;
      SetCursorPos(C.X, C.Y);
      return false;
    }));
    THintRect Size = TextSize(&W, Text);
    W.ActivateHint(TRect(C.X, C.Y + 20, C.X + Size.Width(), C.Y + 20 + Size.Height()), Text);
    RECT R;
    GetWindowRect(W.Handle(), &R);
    EXPECT_EQ(W.TailPosition(), C.Tail) << C.X << "," << C.Y;
    EXPECT_EQ(R.right <= C.X, C.Left) << C.X << "," << C.Y;
    EXPECT_EQ(R.bottom <= C.Y, C.Above) << C.X << "," << C.Y;
    EXPECT_GE(R.left, 0);
    EXPECT_LE(R.right, SW);
    EXPECT_GE(R.top, 0);
    EXPECT_LE(R.bottom, SH);
    // The outline moved off the tail's side.
    const THintGeometry& G = W.Geometry();
    EXPECT_EQ(G.Body.Top, C.Tail >= 2 ? G.TailHeight : 0);
    EXPECT_EQ(G.Body.Left, C.Tail == 0 || C.Tail == 2 ? G.TailShift : 0);
  }
}
