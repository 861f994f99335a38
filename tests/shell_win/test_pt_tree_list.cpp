#include <gtest/gtest.h>

#include "classlib/win/forms.h"
#include "classlib/win/menus.h"
#include "shell/pt_tree_list.h"
#include "tests/support/screenshot.h"

namespace {

// Moves the mouse and waits until the system reports it there, and keeps it there: under
// Wine the move goes through the X server, and the pointer event of an earlier move can
// arrive late and put the cursor back where it was (the tree hit-tests the cursor position
// of the click). A position holds once it survives several rounds of processing this
// thread's pending events. Fails the test when the cursor never settles.
void Pump() {
  MSG Msg;
  while (PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&Msg);
    DispatchMessageW(&Msg);
  }
}

bool CursorIs(TPoint P) {
  POINT Now;
  return GetCursorPos(&Now) && Now.x == P.X && Now.y == P.Y;
}

void MoveCursorTo(TPoint P) {
  int Held = 0;
  for (int i = 0; i < 500 && Held < 5; ++i) {
    if (!CursorIs(P)) {
      SetCursorPos(P.X, P.Y);
      Held = 0;
    }
    Sleep(10);
    Pump();
    Held = CursorIs(P) ? Held + 1 : 0;
  }
  ASSERT_GE(Held, 5) << "the cursor never settled at " << P.X << "," << P.Y;
}

// A menu that records where it would open instead of running a modal menu loop.
class TRecordingMenu : public TPopupMenu {
public:
  using TPopupMenu::TPopupMenu;
  void Popup(int X, int Y) override {
    ++Count;
    At = TPoint(X, Y);
  }
  int Count = 0;
  TPoint At;
};

struct TreeFixture : ::testing::Test {
  TForm Form{nullptr};
  TPTCustomTreeView* Tree = new TPTCustomTreeView(&Form);
  TRecordingMenu* Menu = new TRecordingMenu(&Form);
  void SetUp() override {
    Form.SetBounds(0, 0, 300, 300);
    Tree->SetParent(&Form);
    Tree->SetBounds(0, 0, 280, 260);
    Tree->SetPopupMenu(Menu);
    Form.Show();
    Pump();
  }
  LRESULT SendDraw(DWORD Stage, HTREEITEM Item, NMTVCUSTOMDRAW* Out = nullptr, HDC DC = nullptr) {
    NMTVCUSTOMDRAW D{};
    D.nmcd.hdr.hwndFrom = Tree->Handle();
    D.nmcd.hdr.idFrom = 0;
    D.nmcd.hdr.code = NM_CUSTOMDRAW;
    D.nmcd.dwDrawStage = Stage;
    D.nmcd.dwItemSpec = reinterpret_cast<DWORD_PTR>(Item);
    D.nmcd.hdc = DC;
    D.clrText = RGB(1, 2, 3);
    D.clrTextBk = RGB(4, 5, 6);
    LRESULT R = SendMessageW(Form.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&D));
    if (Out != nullptr) *Out = D;
    return R;
  }
  LRESULT SendRClick() {
    NMHDR H{Tree->Handle(), 0, UINT(NM_RCLICK)};
    return SendMessageW(Form.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&H));
  }
};

TEST_F(TreeFixture, PrepaintWithoutEventsIsDefault) {
  EXPECT_EQ(SendDraw(CDDS_PREPAINT, nullptr), CDRF_DODEFAULT);
  Tree->OnCustomDrawItem = [](TObject*, TPTCustomDraw*, TTreeNode*) {};
  EXPECT_EQ(SendDraw(CDDS_PREPAINT, nullptr), CDRF_NOTIFYITEMDRAW);
}

TEST_F(TreeFixture, BrushOnlyChangesTextBackground) {
  TTreeNode* N = Tree->Items()->AddChild(nullptr, "a");
  TTreeNode* Seen = nullptr;
  Tree->OnCustomDrawItem = [&](TObject*, TPTCustomDraw* CD, TTreeNode* Node) {
    Seen = Node;
    CD->GetBrush()->SetColor(TColor(RGB(200, 10, 20)));
  };
  HDC DC = CreateCompatibleDC(nullptr);
  NMTVCUSTOMDRAW Out;
  LRESULT R = SendDraw(CDDS_ITEMPREPAINT, N->ItemId(), &Out, DC);
  DeleteDC(DC);
  EXPECT_EQ(Seen, N);
  EXPECT_EQ(R & CDRF_NEWFONT, 0);
  EXPECT_EQ(Out.clrText, RGB(1, 2, 3));
  EXPECT_EQ(Out.clrTextBk, RGB(200, 10, 20));
}

TEST_F(TreeFixture, SkipDefault) {
  TTreeNode* N = Tree->Items()->AddChild(nullptr, "a");
  Tree->OnCustomDraw = [&](TObject*, TPTCustomDraw* CD, TTreeNode*) { CD->SkipDefault = true; };
  HDC DC = CreateCompatibleDC(nullptr);
  LRESULT R = SendDraw(CDDS_ITEMPREPAINT, N->ItemId(), nullptr, DC);
  DeleteDC(DC);
  EXPECT_EQ(R & CDRF_SKIPDEFAULT, CDRF_SKIPDEFAULT);
}

// The font and colour a handler sets reach what the control paints.
TEST_F(TreeFixture, CustomFontColourIsPainted) {
  TTreeNode* A = Tree->Items()->AddChild(nullptr, "WWWWWWWW");
  Tree->Items()->AddChild(nullptr, "WWWWWWWW");
  Tree->OnCustomDrawItem = [&](TObject*, TPTCustomDraw* CD, TTreeNode* Node) {
    if (Node == A) {
      CD->GetFont()->SetColor(TColor(RGB(255, 0, 0)));
      CD->GetFont()->SetStyle(TFontStyles{fsBold});
    }
  };
  Tree->Invalidate();
  UpdateWindow(Tree->Handle());
  Pump();
  SaveWindowPng(Form.Handle(), "pt_tree_custom_draw.png");
  TRect R = A->DisplayRect(true);
  HDC DC = GetDC(Tree->Handle());
  int Red = 0;
  for (int Y = R.Top; Y < R.Bottom; ++Y)
    for (int X = R.Left; X < R.Right; ++X)
      if (GetPixel(DC, X, Y) == RGB(255, 0, 0)) ++Red;
  ReleaseDC(Tree->Handle(), DC);
  EXPECT_GT(Red, 10);
}

TEST_F(TreeFixture, ShiftF10OpensMenuAtSelectedNode) {
  TTreeNode* N = Tree->Items()->AddChild(nullptr, "node");
  Tree->SetSelected(N);
  TTreeNode* Hooked = nullptr;
  Tree->OnGetPopupMenu = [&](TObject*, TTreeNode* Node, TPoint&, TPopupMenu*&) { Hooked = Node; };
  uint16_t Key = VK_F10;
  Tree->Perform(WM_NULL);
  TMessage Dummy{};
  (void)Dummy;
  // Ctrl+Shift+F10 is not the context-menu key.
  SetFocus(Tree->Handle());
  BYTE Keys[256] = {};
  Keys[VK_SHIFT] = Keys[VK_CONTROL] = 0x80;
  SetKeyboardState(Keys);
  SendMessageW(Tree->Handle(), WM_SYSKEYDOWN, Key, 1);
  EXPECT_EQ(Menu->Count, 0);
  Keys[VK_CONTROL] = 0;
  SetKeyboardState(Keys);
  SendMessageW(Tree->Handle(), WM_SYSKEYDOWN, Key, 1);
  Keys[VK_SHIFT] = 0;
  SetKeyboardState(Keys);
  ASSERT_EQ(Menu->Count, 1);
  EXPECT_EQ(Hooked, N);
  TRect R = N->DisplayRect(true);
  EXPECT_EQ(Menu->At, Tree->ClientToScreen(TPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2)));
  EXPECT_EQ(Menu->PopupComponent(), Tree);
}

TEST_F(TreeFixture, RightClickOnNodeOpensOneMenu) {
  TTreeNode* N = Tree->Items()->AddChild(nullptr, "node");
  TRect R = N->DisplayRect(true);
  TPoint C = Tree->ClientToScreen(TPoint(R.Left + 3, (R.Top + R.Bottom) / 2));
  ASSERT_NO_FATAL_FAILURE(MoveCursorTo(C));
  EXPECT_NE(SendRClick(), 0);  // the control sends no WM_CONTEXTMENU
  EXPECT_EQ(Menu->Count, 1);
  // The button-up's own WM_CONTEXTMENU (automatic popup) opens nothing more.
  SendMessageW(Tree->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(R.Left + 3, R.Top + 1));
  EXPECT_EQ(Menu->Count, 1);
  EXPECT_TRUE(Menu->AutoPopup());
}

TEST_F(TreeFixture, RightClickOnEmptySpace) {
  Tree->Items()->AddChild(nullptr, "node");
  TPoint C = Tree->ClientToScreen(TPoint(100, 200));
  ASSERT_NO_FATAL_FAILURE(MoveCursorTo(C));
  EXPECT_EQ(SendRClick(), 0);
  EXPECT_EQ(Menu->Count, 0);
  SendMessageW(Tree->Handle(), WM_CONTEXTMENU, WPARAM(Tree->Handle()), MAKELPARAM(C.X, C.Y));
  EXPECT_EQ(Menu->Count, 1);
  EXPECT_EQ(Menu->At, C);
  // With a selected node the same click opens nothing.
  Tree->SetSelected(Tree->Items()->GetFirstNode());
  ASSERT_NE(Tree->Selected(), nullptr);
  ASSERT_NO_FATAL_FAILURE(MoveCursorTo(C));
  SendRClick();
  EXPECT_EQ(Menu->Count, 1);
  SendMessageW(Tree->Handle(), WM_CONTEXTMENU, WPARAM(Tree->Handle()), MAKELPARAM(C.X, C.Y));
  EXPECT_EQ(Menu->Count, 1);
}

TEST(PTCustomListView, PrepaintAlwaysAsksForItems) {
  TForm Form(nullptr);
  auto* List = new TPTCustomListView(&Form);
  List->SetParent(&Form);
  List->SetViewStyle(vsReport);
  Form.Show();
  NMLVCUSTOMDRAW D{};
  D.nmcd.hdr = {List->Handle(), 0, UINT(NM_CUSTOMDRAW)};
  D.nmcd.dwDrawStage = CDDS_PREPAINT;
  EXPECT_EQ(SendMessageW(Form.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&D)), CDRF_NOTIFYITEMDRAW);
}

// Rows next to each other in the same colour: the device context still holds the colour
// of the row above when the next one is drawn, and each row must still get its own.
TEST(PTCustomListView, NeighbourRowsInTheSameColourAreAllPainted) {
  TForm Form(nullptr);
  Form.SetBounds(0, 0, 300, 300);
  auto* List = new TPTCustomListView(&Form);
  List->SetParent(&Form);
  List->SetBounds(0, 0, 280, 260);
  List->SetViewStyle(vsReport);
  List->Columns()->Add()->SetCaption("Name");
  List->Columns()->Items(0)->SetWidth(200);
  const COLORREF Colours[] = {RGB(255, 0, 0), RGB(255, 0, 0), RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 128, 0),
                              RGB(0, 128, 0)};
  for (size_t i = 0; i < std::size(Colours); ++i) List->Items()->Add()->SetCaption("WWWWWWWW");
  List->OnCustomDrawItem = [&](TObject*, TPTCustomDraw* CD, TListItem* Item) {
    if (Item != nullptr) CD->GetFont()->SetColor(TColor(Colours[Item->Index()]));
  };
  Form.Show();
  Pump();
  List->Invalidate();
  UpdateWindow(List->Handle());
  Pump();
  SaveWindowPng(Form.Handle(), "pt_list_row_colours.png");
  HDC DC = GetDC(List->Handle());
  for (size_t i = 0; i < std::size(Colours); ++i) {
    if (Colours[i] == RGB(0, 0, 0)) continue;
    TRect R = List->Items()->Item(int(i))->DisplayRect(LVIR_LABEL);
    int Hits = 0;
    for (int Y = R.Top; Y < R.Bottom; ++Y)
      for (int X = R.Left; X < R.Right; ++X)
        if (GetPixel(DC, X, Y) == Colours[i]) ++Hits;
    EXPECT_GT(Hits, 10) << "row " << i;
  }
  ReleaseDC(List->Handle(), DC);
}

TEST(PTCustomListView, RightClickMenuWithHookAndItem) {
  TForm Form(nullptr);
  auto* List = new TPTCustomListView(&Form);
  auto* Menu = new TRecordingMenu(&Form);
  auto* Other = new TRecordingMenu(&Form);
  List->SetParent(&Form);
  List->SetBounds(0, 0, 200, 200);
  List->SetViewStyle(vsReport);
  List->Columns()->Add()->SetCaption("Name");
  List->SetPopupMenu(Menu);
  TListItem* I = List->Items()->Add();
  I->SetCaption("one");
  Form.Show();
  Pump();
  I->SetSelected(true);
  TListItem* Hooked = nullptr;
  List->OnGetPopupMenu = [&](TObject*, TListItem* Item, TPoint&, TPopupMenu*& M) {
    Hooked = Item;
    M = Other;
  };
  NMHDR H{List->Handle(), 0, UINT(NM_RCLICK)};
  EXPECT_NE(SendMessageW(Form.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&H)), 0);
  EXPECT_EQ(Hooked, I);
  EXPECT_EQ(Other->Count, 1);
  SendMessageW(List->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(Menu->Count, 0);
  EXPECT_EQ(List->PopupMenu(), Menu);
}

}  // namespace
