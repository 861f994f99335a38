// The editor control in a window: keys sent as messages run the model's commands, the
// caret and the scroll position follow, undo and the clipboard work through their keys,
// the text is painted on the character grid, form resources set its properties by name,
// and the main window holds it on its editor page.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/main_form.h"
#include "classlib/core/code_page.h"
#include "classlib/win/clipboard.h"
#include "classlib/win/forms.h"
#include "classlib/win/graphics.h"
#include "classlib/core/stream.h"
#include "classlib/win/std_ctrls.h"
#include "classlib/win/wide_string.h"
#include "editor/core/dcj_cpp_syn.h"
#include "editor/custom_edit.h"
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"
#include "tests/support/wait_for.h"

namespace {

// A form with an edit box on top and the editor filling the rest, the focus in the editor.
class EditorWindow : public ::testing::Test {
protected:
  void SetUp() override {
    Form.reset(CreateForm<TForm>(nullptr));
    Form->SetBounds(40, 40, 480, 320);
    Box = new TEdit(Form.get());
    Box->SetParent(Form.get());
    Box->SetAlign(alTop);
    Edit = new TmwCustomEdit(Form.get());
    Edit->SetParent(Form.get());
    Edit->SetAlign(alClient);
    Form->Show();
    PumpMessages();
    Edit->SetFocus();
    PumpMessages();
  }

  // Characters as the keyboard delivers them, 1251 bytes turned into UTF-16.
  void Type(const std::string& Text) {
    for (unsigned char C : Text) SendMessageW(Edit->Handle(), WM_CHAR, Cp1251ToUnicode(C), 1);
  }

  void Click(int X, int Y) {
    SendMessageW(Edit->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, Y));
    SendMessageW(Edit->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(X, Y));
    PumpMessages();
  }

  // A mouse message at a client point (which may lie outside the client area).
  void Mouse(UINT Msg, POINT P, WPARAM Flags = 0) {
    SendMessageW(Edit->Handle(), Msg, Flags, MAKELPARAM(static_cast<SHORT>(P.x), static_cast<SHORT>(P.y)));
  }

  // The middle of the cell of a column on a visible line.
  POINT At(int Column, int Line) {
    RECT C = Cells(Line, Column, Column);
    return {(C.left + C.right) / 2, (C.top + C.bottom) / 2};
  }

  // Presses the left button at one cell and releases it at another, moving in between as a
  // drag does; Flags add MK_SHIFT or MK_CONTROL.
  void Drag(POINT From, POINT To, WPARAM Flags = 0) {
    Mouse(WM_LBUTTONDOWN, From, MK_LBUTTON | Flags);
    Mouse(WM_MOUSEMOVE, {(From.x + To.x) / 2, (From.y + To.y) / 2 + 1}, MK_LBUTTON | Flags);
    Mouse(WM_MOUSEMOVE, To, MK_LBUTTON | Flags);
    Mouse(WM_LBUTTONUP, To, Flags);
    PumpMessages();
  }

  void DoubleClick(POINT P) {
    Mouse(WM_LBUTTONDOWN, P, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, P);
    Mouse(WM_LBUTTONDBLCLK, P, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, P);
    PumpMessages();
  }

  // Client pixels of the cells from column First to Last (inclusive) of a visible line.
  RECT Cells(int Line, int First, int Last) {
    int X = Edit->TextOffset();
    int Top = (Line - Edit->TopLine()) * Edit->LineHeight();
    return RECT{X + (First - 1) * Edit->CharWidth(), Top, X + Last * Edit->CharWidth(), Top + Edit->LineHeight()};
  }

  // Pixels of a client rectangle as the screen shows them, counted by a test.
  int CountPixels(const RECT& R, const std::function<bool(COLORREF)>& Test) {
    Edit->Update();
    HDC DC = GetDC(Edit->Handle());
    int N = 0;
    for (int Y = R.top; Y < R.bottom; ++Y)
      for (int X = R.left; X < R.right; ++X)
        if (Test(GetPixel(DC, X, Y))) ++N;
    ReleaseDC(Edit->Handle(), DC);
    return N;
  }

  std::unique_ptr<TForm> Form;
  TEdit* Box = nullptr;
  TmwCustomEdit* Edit = nullptr;
};

TEST_F(EditorWindow, KeysBecomeCommands) {
  TObject* Sender = nullptr;
  Edit->OnProcessCommand = [&](TObject* S, TmwEditorCommand& Command, char& AChar, void*) {
    Sender = S;
    if (Command == ecChar && AChar == '#') AChar = '!';
  };
  Type("hello#");
  PressKey(VK_RETURN);
  Type("\xEC\xE8\xF0");  // Cyrillic, as 1251 bytes
  EXPECT_EQ(Edit->GetLinesText(), "hello!\r\n\xEC\xE8\xF0\r\n");
  EXPECT_EQ(Sender, Edit);
  EXPECT_EQ(Edit->GetCaretX(), 4);
  EXPECT_EQ(Edit->GetCaretY(), 2);
  EXPECT_TRUE(Edit->Modified());

  PressKey(VK_HOME, {ssShift});
  EXPECT_EQ(Edit->GetSelText(), "\xEC\xE8\xF0");
  PressKey(VK_UP);
  EXPECT_FALSE(Edit->SelAvail());
  PressKey(VK_DELETE);
  PressKey(VK_END);
  PressKey(VK_BACK);
  EXPECT_EQ(Edit->GetLinesText(), "ello\r\n\xEC\xE8\xF0\r\n");

  // Insert switches to overwrite mode, and the caret becomes a block one cell wide.
  PressKey(VK_INSERT);
  EXPECT_FALSE(Edit->InsertMode());
  PressKey(VK_HOME);
  Type("J");
  EXPECT_EQ(Edit->GetLinesText(), "Jllo\r\n\xEC\xE8\xF0\r\n");
  POINT P;
  GetCaretPos(&P);
  EXPECT_EQ(P.x, Edit->TextOffset() + Edit->CharWidth());
  EXPECT_EQ(P.y, 1);
}

TEST_F(EditorWindow, TabLeavesAndAClickComesBackToTheCell) {
  Edit->SetLinesText("first\r\nsecond\r\n");
  PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), Box->Handle());
  EXPECT_EQ(Edit->GetLinesText(), "first\r\nsecond\r\n");

  // Anywhere inside the cell of column 3, line 2.
  RECT C = Cells(2, 3, 3);
  Click(C.left + 2, C.top + 3);
  EXPECT_EQ(GetFocus(), Edit->Handle());
  EXPECT_EQ(Edit->GetCaretX(), 3);
  EXPECT_EQ(Edit->GetCaretY(), 2);
  POINT P;
  GetCaretPos(&P);
  EXPECT_EQ(P.x, C.left - 1);  // the insert caret stands between two cells
  EXPECT_EQ(P.y, C.top + 1);
  Type("X");
  EXPECT_EQ(Edit->GetLinesText(), "first\r\nseXcond\r\n");
}

TEST_F(EditorWindow, UndoAndRedoThroughTheirKeys) {
  Edit->SetLinesText("one\r\n");
  Edit->SetCaretXY({4, 1});
  Type("X");
  PressKey(VK_RETURN);
  Type("two");
  EXPECT_EQ(Edit->GetLinesText(), "oneX\r\ntwo\r\n");
  for (int I = 0; I < 3; ++I) PressKey('Z', {ssCtrl});
  EXPECT_EQ(Edit->GetLinesText(), "oneX\r\n\r\n");
  PressKey('Z', {ssCtrl});
  EXPECT_EQ(Edit->GetLinesText(), "oneX\r\n");
  PressKey(VK_BACK, {ssAlt});  // Alt+Backspace undoes as well
  EXPECT_EQ(Edit->GetLinesText(), "one\r\n");
  EXPECT_FALSE(Edit->CanUndo());
  PressKey('Z', {ssShift, ssCtrl});
  EXPECT_EQ(Edit->GetLinesText(), "oneX\r\n");
  EXPECT_TRUE(Edit->CanRedo());
}

TEST_F(EditorWindow, ClipboardRoundTripThroughItsKeys) {
  Edit->SetLinesText("alpha beta\r\n");
  for (int I = 0; I < 5; ++I) PressKey(VK_RIGHT, {ssShift});
  PressKey('C', {ssCtrl});
  EXPECT_EQ(Clipboard()->AsText(), "alpha");
  PressKey(VK_END);
  PressKey('V', {ssCtrl});
  EXPECT_EQ(Edit->GetLinesText(), "alpha betaalpha\r\n");
  PressKey('Z', {ssCtrl});
  EXPECT_EQ(Edit->GetLinesText(), "alpha beta\r\n");

  // Text put there by another program, over several lines.
  Clipboard()->SetAsText("x\r\ny");
  PressKey(VK_HOME);
  PressKey('V', {ssCtrl});
  EXPECT_EQ(Edit->GetLinesText(), "x\r\nyalpha beta\r\n");

  PressKey('A', {ssCtrl});
  PressKey('X', {ssCtrl});
  EXPECT_EQ(Clipboard()->AsText(), "x\r\nyalpha beta");
  EXPECT_EQ(Edit->GetLinesText(), "\r\n");
}

TEST_F(EditorWindow, PaintsTextAndSelectionOnTheGrid) {
  Edit->SetLinesText("MMMM line one\r\nsecond line\r\n\r\nlast\r\n");
  Edit->SetBlockBegin({1, 2});
  Edit->SetBlockEnd({3, 4});  // "second line", the empty line, "la"
  COLORREF Window = GetSysColor(COLOR_WINDOW);
  COLORREF Highlight = GetSysColor(COLOR_HIGHLIGHT);
  auto Inked = [&](COLORREF C) { return C != Window && C != Highlight; };
  auto Selected = [&](COLORREF C) { return C == Highlight; };

  RECT M = Cells(1, 1, 4);  // "MMMM" in the window's colours
  int Area = (M.right - M.left) * (M.bottom - M.top);
  EXPECT_GT(CountPixels(M, Inked), Area / 10);
  EXPECT_EQ(CountPixels(M, Selected), 0);
  EXPECT_EQ(CountPixels(Cells(1, 15, 20), Inked), 0);  // after the end of the line

  // A line inside the selection is highlighted to the right side, even an empty one.
  RECT Empty = Cells(3, 1, 1);
  Empty.right = Edit->ClientWidth();
  EXPECT_EQ(CountPixels(Empty, Selected), (Empty.right - Empty.left) * (Empty.bottom - Empty.top));
  EXPECT_GT(CountPixels(Cells(2, 1, 6), Selected), Area / 2);
  COLORREF HighlightText = GetSysColor(COLOR_HIGHLIGHTTEXT);
  EXPECT_GT(CountPixels(Cells(2, 1, 6), [&](COLORREF C) { return C == HighlightText; }), 0);  // its text
  // The last line up to the end column, not beyond.
  EXPECT_GT(CountPixels(Cells(4, 1, 2), Selected), 0);
  EXPECT_EQ(CountPixels(Cells(4, 3, 4), Selected), 0);
  EXPECT_GT(CountPixels(Cells(4, 3, 4), Inked), 0);

  EXPECT_GT(SaveWindowPng(Form->Handle(), ScreenshotPath("editor-text.png")), 0);

  // The owner draws over the text before it reaches the screen (away from the caret).
  Edit->OnPaint = [](TObject*, TCanvas* Canvas) {
    Canvas->Brush()->SetColor(clRed);
    Canvas->FillRect(Rect(20, 0, 30, 10));
  };
  Edit->Invalidate();
  EXPECT_EQ(CountPixels(RECT{20, 0, 30, 10}, [](COLORREF C) { return C == RGB(255, 0, 0); }), 100);
}

TEST_F(EditorWindow, ScrollsWithTheCaret) {
  std::string Text;
  for (int I = 1; I <= 100; ++I) Text += "line " + std::to_string(I) + "\r\n";
  Edit->SetLinesText(Text);
  int Lines = Edit->LinesInWindow();
  ASSERT_GT(Lines, 3);
  ASSERT_EQ(Lines, Edit->ClientHeight() / Edit->LineHeight());
  auto ThumbPos = [&](int Bar) {
    SCROLLINFO Si{sizeof Si, SIF_POS};
    GetScrollInfo(Edit->Handle(), Bar, &Si);
    return Si.nPos;
  };

  PressKey(VK_END, {ssCtrl});
  EXPECT_EQ(Edit->GetCaretY(), 100);
  EXPECT_EQ(Edit->TopLine(), 100 - Lines + 1);  // the caret on the last whole line
  EXPECT_EQ(ThumbPos(SB_VERT), Edit->TopLine());
  PressKey(VK_HOME, {ssCtrl});
  EXPECT_EQ(Edit->TopLine(), 1);
  for (int I = 0; I < Lines; ++I) PressKey(VK_DOWN);
  EXPECT_EQ(Edit->TopLine(), 2);

  // The scroll bar moves the text but leaves the caret.
  SendMessageW(Edit->Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(Edit->TopLine(), 2 + Lines);
  EXPECT_EQ(Edit->GetCaretY(), Lines + 1);
  SendMessageW(Edit->Handle(), WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(Edit->TopLine(), 1);

  // Typing past the right side scrolls horizontally; the caret stays inside.
  PressKey(VK_END);
  Type(std::string(Edit->CharsInWindow() + 5, 'x'));
  EXPECT_GT(Edit->LeftChar(), 1);
  EXPECT_LT(Edit->GetCaretX(), Edit->LeftChar() + Edit->CharsInWindow());
  EXPECT_EQ(ThumbPos(SB_HORZ), Edit->LeftChar());
  PressKey(VK_HOME);
  EXPECT_EQ(Edit->LeftChar(), 1);
}

TEST_F(EditorWindow, FontStaysFixedPitch) {
  int Width = Edit->CharWidth();
  TFont Proportional;
  Proportional.SetName("Arial");
  Proportional.SetSize(14);
  Proportional.SetColor(clBlue);
  Proportional.SetStyle({fsBold});
  Edit->SetFont(&Proportional);
  EXPECT_EQ(Edit->Font()->Name(), "Courier New");
  EXPECT_EQ(Edit->Font()->Size(), 14);
  EXPECT_EQ(Edit->Font()->Color(), clBlue);
  EXPECT_EQ(Edit->Font()->Style(), TFontStyles{fsBold});
  EXPECT_GT(Edit->CharWidth(), Width);
  EXPECT_EQ(Edit->LinesInWindow(), Edit->ClientHeight() / Edit->LineHeight());

  // Blue text on the grid of the larger font.
  Edit->SetLinesText("WWWW\r\n");
  EXPECT_GT(CountPixels(Cells(1, 1, 4), [](COLORREF C) { return C == RGB(0, 0, 255); }), 0);
}

TEST_F(EditorWindow, GutterAndScrolledColumns) {
  EXPECT_EQ(Edit->GutterWidth(), 30);
  EXPECT_EQ(Edit->RightEdge(), 80);
  EXPECT_EQ(Edit->GutterColor(), clBtnFace);
  Edit->SetLinesText(std::string(4, ' ') + "W" + std::string(100, ' ') + "x\r\n");
  EXPECT_EQ(Edit->TextOffset(), 32);  // column 1 right of the gutter and its margin
  auto Inked = [](COLORREF C) { return C == RGB(0, 0, 0); };
  RECT Column5 = Cells(1, 5, 5);
  EXPECT_GT(CountPixels(Column5, Inked), 0);

  Edit->SetLeftChar(5);
  EXPECT_EQ(Edit->TextOffset() + 4 * Edit->CharWidth(), 32);  // column 5 at x 32
  RECT First{32, 0, 32 + Edit->CharWidth(), Edit->LineHeight()};
  EXPECT_GT(CountPixels(First, Inked), 0);
  // The gutter covers whatever lies left of it: its own colour and its two edge lines.
  COLORREF Face = GetSysColor(COLOR_BTNFACE);
  RECT Gutter{0, 0, 28, Edit->ClientHeight()};
  EXPECT_EQ(CountPixels(Gutter, [&](COLORREF C) { return C == Face; }), 28 * Edit->ClientHeight());

  // A wider gutter while scrolled keeps the first visible column right of it.
  Edit->SetGutterWidth(50);
  EXPECT_EQ(Edit->TextOffset() + 4 * Edit->CharWidth(), 52);
  EXPECT_EQ(Edit->CharsInWindow(), (Edit->ClientWidth() - 52) / Edit->CharWidth());
  Edit->SetGutterWidth(-5);
  EXPECT_EQ(Edit->GutterWidth(), 0);

  // The right edge: a silver line at its column, over the text.
  Edit->SetGutterWidth(30);
  Edit->SetLeftChar(1);
  Edit->SetRightEdge(20);
  int X = Edit->RightEdgeX();
  EXPECT_EQ(X, 32 + 20 * Edit->CharWidth());
  EXPECT_EQ(CountPixels(RECT{X, 0, X + 1, Edit->ClientHeight()}, [](COLORREF C) { return C == RGB(192, 192, 192); }),
            Edit->ClientHeight());
}

TEST_F(EditorWindow, TopLineClampsToTheText) {
  std::string Text;
  for (int I = 1; I <= 10; ++I) Text += "line " + std::to_string(I) + "\r\n";
  Edit->SetLinesText(Text);
  Edit->SetTopLine(99);
  EXPECT_EQ(Edit->TopLine(), 10);  // the last line at the top
  EXPECT_GT(CountPixels(Cells(10, 1, 4), [](COLORREF C) { return C == RGB(0, 0, 0); }), 0);
  Edit->SetTopLine(0);
  EXPECT_EQ(Edit->TopLine(), 1);
}

TEST_F(EditorWindow, HideSelectionFollowsTheFocus) {
  Edit->SetLinesText("alpha beta\r\n");
  Edit->SetBlockBegin({1, 1});
  Edit->SetBlockEnd({6, 1});
  COLORREF Highlight = GetSysColor(COLOR_HIGHLIGHT);
  auto Selected = [&](COLORREF C) { return C == Highlight; };
  RECT Word = Cells(1, 1, 5);
  Box->SetFocus();
  PumpMessages();
  EXPECT_GT(CountPixels(Word, Selected), 0);  // shown by default whatever the focus

  Edit->SetHideSelection(true);
  EXPECT_EQ(CountPixels(Word, Selected), 0);
  Edit->SetFocus();
  PumpMessages();
  EXPECT_GT(CountPixels(Word, Selected), 0);
  Box->SetFocus();
  PumpMessages();
  EXPECT_EQ(CountPixels(Word, Selected), 0);
  EXPECT_TRUE(Edit->SelAvail());
}

TEST_F(EditorWindow, CaretShapes) {
  Edit->SetLinesText("abc\r\n");
  Edit->SetCaretXY({2, 1});
  int W = Edit->CharWidth(), H = Edit->LineHeight();
  struct {
    TCaretType Type;
    SIZE Size;
    POINT Offset;
  } Cases[] = {
      {ctVerticalLine, {2, H - 2}, {-1, 0}},
      {ctHorizontalLine, {W, 2}, {0, H - 2}},
      {ctHalfBlock, {W, (H - 2) / 2}, {0, (H - 2) / 2}},
      {ctBlock, {W, H - 2}, {0, 0}},
  };
  for (auto& C : Cases) {
    Edit->SetInsertCaret(C.Type);
    PumpMessages();
    EXPECT_EQ(Edit->CaretSize().cx, C.Size.cx) << C.Type;
    EXPECT_EQ(Edit->CaretSize().cy, C.Size.cy) << C.Type;
    POINT P;
    GetCaretPos(&P);
    EXPECT_EQ(P.x, Edit->TextOffset() + W + C.Offset.x) << C.Type;
    EXPECT_EQ(P.y, 1 + C.Offset.y) << C.Type;
  }
  // Overwrite mode takes the overwrite caret: a block one cell wide by default.
  Edit->SetInsertCaret(ctVerticalLine);
  PressKey(VK_INSERT);
  EXPECT_EQ(Edit->CaretSize().cx, W);
  EXPECT_EQ(Edit->CaretSize().cy, H - 2);
  GUITHREADINFO Info{sizeof Info};
  if (GetGUIThreadInfo(GetCurrentThreadId(), &Info) && Info.hwndCaret == Edit->Handle()) {
    EXPECT_EQ(Info.rcCaret.right - Info.rcCaret.left, W);
    EXPECT_EQ(Info.rcCaret.bottom - Info.rcCaret.top, H - 2);
  }
}

TEST_F(EditorWindow, MarksStandSideBySideBookmarksFirst) {
  Edit->SetLinesText("one\r\ntwo\r\n");
  // A plain mark placed before the bookmark, on the same line.
  auto Plain = std::make_unique<TMark>(&Edit->Model());
  Plain->SetLine(1);
  Plain->SetImageIndex(7);
  Edit->Model().Marks().Add(std::move(Plain));
  Edit->Model().SetBookmark(1, 1, 1);
  Edit->Update();
  // The glyphs carry their digit in black three pixels down: the top row of a "1" is ink
  // only in its middle, that of a "7" all across.
  int Left = Edit->BookMarkOptions()->LeftMargin(), Step = Edit->BookMarkOptions()->Xoffset();
  HDC DC = GetDC(Edit->Handle());
  auto Ink = [&](int X, int Y) { return GetPixel(DC, X, Y) == RGB(0, 0, 0); };
  EXPECT_FALSE(Ink(Left + 4, 3));         // the bookmark "1" first
  EXPECT_TRUE(Ink(Left + 5, 3));
  EXPECT_TRUE(Ink(Left + Step + 4, 3));   // then the mark "7", Xoffset further
  EXPECT_TRUE(Ink(Left + Step + 6, 3));
  ReleaseDC(Edit->Handle(), DC);

  // Hidden glyphs leave the plain gutter.
  Edit->BookMarkOptions()->SetGlyphsVisible(false);
  COLORREF Face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(CountPixels(RECT{0, 0, 28, Edit->LineHeight()}, [&](COLORREF C) { return C == Face; }),
            28 * Edit->LineHeight());
}

TEST_F(EditorWindow, HighlightedTokensInTheirColours) {
  TDcjCppSyn Cpp(nullptr);
  Cpp.KeyAttri()->SetForeground(clNavy);
  Cpp.CommentAttri()->SetForeground(clGreen);
  Edit->SetHighLighter(&Cpp);
  Edit->SetLinesText("int x; /* note\r\nstill */ return\r\n");
  auto Colour = [](COLORREF Want) { return [Want](COLORREF C) { return C == Want; }; };
  EXPECT_GT(CountPixels(Cells(1, 1, 3), Colour(RGB(0, 0, 128))), 0);   // "int"
  EXPECT_GT(CountPixels(Cells(1, 8, 14), Colour(RGB(0, 128, 0))), 0);  // the comment
  // The second line starts inside the comment, whatever was painted before it.
  Edit->SetTopLine(2);
  EXPECT_GT(CountPixels(Cells(2, 1, 8), Colour(RGB(0, 128, 0))), 0);
  EXPECT_GT(CountPixels(Cells(2, 10, 15), Colour(RGB(0, 0, 128))), 0);  // "return"
  EXPECT_EQ(CountPixels(Cells(2, 1, 8), Colour(RGB(0, 0, 128))), 0);

  // A selection inside a token takes the selection colours there only.
  Edit->SetTopLine(1);
  Edit->SetBlockBegin({2, 1});
  Edit->SetBlockEnd({3, 1});
  COLORREF Highlight = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_GT(CountPixels(Cells(1, 2, 2), Colour(Highlight)), 0);
  EXPECT_EQ(CountPixels(Cells(1, 1, 1), Colour(Highlight)), 0);
  EXPECT_GT(CountPixels(Cells(1, 3, 3), Colour(RGB(0, 0, 128))), 0);

  // A token far longer than the window and the advance array, scrolled into its middle.
  Edit->SetLinesText("int " + std::string(5000, 'a') + " /* c */\r\n");
  Edit->SetLeftChar(900);
  Edit->Update();
  EXPECT_GT(CountPixels(Cells(1, 900, 905), Colour(RGB(0, 0, 0))), 0);
  Edit->SetHighLighter(nullptr);
}

TEST_F(EditorWindow, ThumbReachesTheEndOfALongFile) {
  std::string Text;
  Text.reserve(100000 * 8);
  for (int I = 1; I <= 100000; ++I) Text += std::to_string(I) + "\r\n";
  Edit->SetLinesText(Text);
  SCROLLINFO Si{sizeof Si, SIF_RANGE};
  GetScrollInfo(Edit->Handle(), SB_VERT, &Si);
  EXPECT_EQ(Si.nMax, 100000);
  // The message holds only the low 16 bits of the thumb's place; the bar holds all of it.
  Si.fMask = SIF_POS;
  Si.nPos = 99980;
  SetScrollInfo(Edit->Handle(), SB_VERT, &Si, FALSE);
  SendMessageW(Edit->Handle(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 99980 & 0xFFFF), 0);
  EXPECT_EQ(Edit->TopLine(), 99980);
  EXPECT_GT(CountPixels(Cells(99980, 1, 5), [](COLORREF C) { return C == RGB(0, 0, 0); }), 0);
  SendMessageW(Edit->Handle(), WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(Edit->TopLine(), 100000);
}

TEST_F(EditorWindow, ClicksAndDoubleClicks) {
  Edit->SetLinesText("alpha  beta\r\n   first word\r\n");
  // A click inside the selection keeps it while the button is down, collapses it on release.
  Edit->SetBlockBegin({1, 1});
  Edit->SetBlockEnd({6, 1});
  Mouse(WM_LBUTTONDOWN, At(3, 1), MK_LBUTTON);
  EXPECT_EQ(Edit->GetSelText(), "alpha");
  Mouse(WM_LBUTTONUP, At(3, 1));
  EXPECT_FALSE(Edit->SelAvail());
  EXPECT_EQ(Edit->GetCaretXY(), (TmwPoint{3, 1}));

  // Shift+click extends from the selection's begin.
  Mouse(WM_LBUTTONDOWN, At(6, 2), MK_LBUTTON | MK_SHIFT);
  Mouse(WM_LBUTTONUP, At(6, 2), MK_SHIFT);
  EXPECT_EQ(Edit->GetSelText(), "pha  beta\r\n   fi");

  struct {
    TmwPoint At;
    const char* Word;
  } Cases[] = {{{7, 1}, "alpha"}, {{2, 2}, "first"}, {{10, 1}, "beta"}};
  for (auto& C : Cases) {
    DoubleClick(At(C.At.X, C.At.Y));
    EXPECT_EQ(Edit->GetSelText(), C.Word) << C.At.X << "," << C.At.Y;
  }

  // Dragging over the text selects it.
  Drag(At(2, 1), At(4, 2));
  EXPECT_EQ(Edit->GetSelText(), "lpha  beta\r\n   ");
}

TEST_F(EditorWindow, DraggingTheSelection) {
  Edit->SetLinesText("abcdef\r\n");
  auto Select = [&](int First, int Last) {
    Edit->SetBlockBegin({First, 1});
    Edit->SetBlockEnd({Last, 1});
  };
  // The first three characters to the end of the line: moved, and one Undo restores.
  Select(1, 4);
  Drag(At(2, 1), At(7, 1));
  EXPECT_EQ(Edit->GetLinesText(), "defabc\r\n");
  PressKey('Z', {ssCtrl});
  EXPECT_EQ(Edit->GetLinesText(), "abcdef\r\n");
  EXPECT_FALSE(Edit->CanUndo());

  // With Ctrl a copy; Undo removes only the copy.
  Select(1, 4);
  Drag(At(2, 1), At(7, 1), MK_CONTROL);
  EXPECT_EQ(Edit->GetLinesText(), "abcdefabc\r\n");
  PressKey('Z', {ssCtrl});
  EXPECT_EQ(Edit->GetLinesText(), "abcdef\r\n");

  // A drop inside the selection changes nothing.
  Select(1, 6);
  Drag(At(1, 1), At(5, 1));
  EXPECT_EQ(Edit->GetLinesText(), "abcdef\r\n");
  EXPECT_FALSE(Edit->CanUndo());

  // A drag that leaves the editor puts the caret back and drops nothing.
  Select(1, 4);
  Drag(At(2, 1), {At(5, 1).x, -40});
  EXPECT_EQ(Edit->GetLinesText(), "abcdef\r\n");

  // Read-only: no drag starts, and a drop is refused.
  Edit->SetReadOnly(true);
  Select(1, 4);
  Drag(At(2, 1), At(7, 1));
  EXPECT_EQ(Edit->GetLinesText(), "abcdef\r\n");
  Select(1, 4);
  Edit->DragDrop(Edit, At(7, 1).x, At(7, 1).y);
  EXPECT_EQ(Edit->GetLinesText(), "abcdef\r\n");

  // Another control's drag is taken only when the drag-over handler accepts it.
  Edit->SetReadOnly(false);
  bool Accept = false;
  Edit->DragOver(Box, At(3, 1).x, At(3, 1).y, Accept);
  EXPECT_FALSE(Accept);
  Edit->OnDragOver = [](TObject*, TObject*, int, int, bool& A) { A = true; };
  Edit->DragOver(Box, At(3, 1).x, At(3, 1).y, Accept);
  EXPECT_TRUE(Accept);
}

TEST_F(EditorWindow, SelectingPastTheBottomScrollsPacedByTheTimer) {
  std::string Text;
  for (int I = 1; I <= 100; ++I) Text += "line " + std::to_string(I) + "\r\n";
  Edit->SetLinesText(Text);
  Mouse(WM_LBUTTONDOWN, At(1, 1), MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, {At(3, 1).x, Edit->ClientHeight() + 3}, MK_LBUTTON);
  EXPECT_EQ(Edit->TopLine(), 1);  // not in the move itself: the timer scrolls
  ASSERT_TRUE(WaitFor([&] { return Edit->TopLine() >= 3; }));
  EXPECT_EQ(Edit->GetBlockEnd().Y, Edit->TopLine() + Edit->LinesInWindow() - 1);
  EXPECT_EQ(Edit->GetBlockBegin(), (TmwPoint{1, 1}));
  // Far below, a page a tick.
  int Top = Edit->TopLine();
  Mouse(WM_MOUSEMOVE, {At(3, 1).x, Edit->ClientHeight() + 40}, MK_LBUTTON);
  ASSERT_TRUE(WaitFor([&] { return Edit->TopLine() >= Top + Edit->LinesInWindow(); }));
  Mouse(WM_LBUTTONUP, {At(3, 1).x, Edit->ClientHeight() + 40});
  EXPECT_NE(GetCapture(), Edit->Handle());
  EXPECT_TRUE(Edit->SelAvail());
}

// The properties a stored form sets by name, and the defaults it does not mention.
TEST(EditorResource, PropertiesByName) {
  RegisterEditorClasses();
  std::unique_ptr<TForm> F(CreateForm<TForm>(nullptr));
  ReadFormText(F.get(),
               "object F: TForm\n"
               "  object Editor: TmwCustomEdit\n"
               "    Lines.Strings = ('first' 'second' 'third')\n"
               "    TopLine = 2\n"
               "    MaxUndo = 5\n"
               "    InsertMode = False\n"
               "    ScrollPastEOL = False\n"
               "    BookMarkOptions.EnableKeys = False\n"
               "    BookMarkOptions.Xoffset = 20\n"
               "    SelectedColor.Background = clRed\n"
               "    GutterWidth = 40\n"
               "    ScrollBars = ssVertical\n"
               "    InsertCaret = ctHalfBlock\n"
               "  end\n"
               "end\n",
               "EditorForm");
  auto* E = dynamic_cast<TmwCustomEdit*>(F->FindComponent("Editor"));
  ASSERT_NE(E, nullptr);
  EXPECT_FALSE(E->HandleAllocated());
  EXPECT_EQ(E->GetLinesText(), "first\r\nsecond\r\nthird\r\n");
  EXPECT_EQ(E->TopLine(), 2);
  EXPECT_EQ(E->MaxUndo(), 5);
  EXPECT_FALSE(E->InsertMode());
  EXPECT_FALSE(E->ScrollPastEOL());
  EXPECT_FALSE(E->BookMarkOptions()->EnableKeys);
  EXPECT_EQ(E->BookMarkOptions()->Xoffset(), 20);
  EXPECT_EQ(E->SelectedColor()->Background(), clRed);

  EXPECT_EQ(GetPropText(E, "LineCount"), "3");
  EXPECT_EQ(GetPropText(E, "CanUndo"), "False");
  EXPECT_EQ(GetPropText(E, "ReadOnly"), "False");
  EXPECT_EQ(GetPropText(E, "Font.Name"), "Courier New");
  EXPECT_EQ(GetPropText(E, "Font.Size"), "10");
  EXPECT_EQ(GetPropText(E, "Color"), "clWindow");
  EXPECT_EQ(GetPropText(E, "TabStop"), "True");
  EXPECT_EQ(GetPropText(E, "Cursor"), "crIBeam");
  EXPECT_EQ(GetPropText(E, "SelectedColor.Foreground"), "clHighlightText");
  EXPECT_EQ(E->GutterWidth(), 40);
  EXPECT_EQ(E->InsertCaret(), ctHalfBlock);
  for (auto [Name, Value] : {std::pair{"RightEdge", "80"}, std::pair{"GutterColor", "clBtnFace"},
                             std::pair{"OverwriteCaret", "ctBlock"}, std::pair{"HideSelection", "False"},
                             std::pair{"ExtraLineSpacing", "0"}, std::pair{"BorderStyle", "bsSingle"}})
    EXPECT_EQ(GetPropText(E, Name), Value) << Name;
  EXPECT_EQ(E->Keystrokes()->Count(), 73);
  EXPECT_EQ(GetPropText(E, "Width") + "x" + GetPropText(E, "Height"), "200x150");

  // Text set before the window exists is still there once it does.
  SetPropText(E, "Lines", "a\r\nb\r\n");
  SetPropText(E, "ReadOnly", "True");
  F->Show();
  PumpMessages();
  EXPECT_TRUE(E->HandleAllocated());
  EXPECT_EQ(E->GetLinesText(), "a\r\nb\r\n");
  LONG_PTR Style = GetWindowLongPtrW(E->Handle(), GWL_STYLE);
  EXPECT_EQ(Style & (WS_VSCROLL | WS_HSCROLL), WS_VSCROLL);
  EXPECT_NE(GetWindowLongPtrW(E->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  E->SetBorderStyle(bsNone);
  EXPECT_EQ(GetWindowLongPtrW(E->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  EXPECT_EQ(E->GetLinesText(), "a\r\nb\r\n");
  SendMessageW(E->Handle(), WM_CHAR, 'z', 1);
  EXPECT_EQ(E->GetLinesText(), "a\r\nb\r\n");
}

TEST(EditorInMainWindow, FillsTheEditorPage) {
  std::unique_ptr<TMainForm> F(CreateForm<TMainForm>(nullptr));
  ASSERT_NE(F->Editor, nullptr);
  EXPECT_EQ(F->Editor->Parent(), F->EditTab);
  EXPECT_EQ(F->Editor->Align(), alClient);
  F->Show();
  F->MainPage->SetActivePage(F->EditTab);
  PumpMessages();
  // Between the page's tool bar and its status bar, the whole width.
  TRect Page = F->EditTab->ClientRect();
  EXPECT_EQ(F->Editor->Left(), 0);
  EXPECT_EQ(F->Editor->Width(), Page.Width());
  EXPECT_GT(F->Editor->Top(), 0);
  EXPECT_LT(F->Editor->Top() + F->Editor->Height(), Page.Height());
  EXPECT_TRUE(IsWindowVisible(F->Editor->Handle()));

  F->Editor->SetLinesText("int main() {\r\n  return 0;\r\n}\r\n");
  F->Editor->SetFocus();
  PumpMessages();
  PressKey(VK_DOWN);
  PressKey(VK_END);
  SendMessageW(F->Editor->Handle(), WM_CHAR, '/', 1);
  EXPECT_EQ(F->Editor->GetLinesText(), "int main() {\r\n  return 0;/\r\n}\r\n");
  F->Editor->Update();
  EXPECT_GT(SaveWindowPng(F->Handle(), ScreenshotPath("main-window-editor.png")), 0);
}

TEST(EditorInMainWindow, OpensASourceFileInItsColours) {
  std::unique_ptr<TMainForm> F(CreateForm<TMainForm>(nullptr));
  F->SetBounds(0, 0, 800, 560);
  F->Show();
  wchar_t Dir[MAX_PATH];
  GetTempPathW(MAX_PATH, Dir);
  std::string Path = FromWide(Dir) + "zx_editor_page.cpp";
  const std::string Source =
      "// A comment line\r\n#include <cstdio>\r\n\r\nint main() {\r\n  const char* s = \"text\";\r\n"
      "  for (int i = 0; i < 42; ++i)\r\n    printf(\"%d\\n\", i);\r\n  return 0;\r\n}";
  {
    TFileStream Out(Path, fmCreate);
    Out.WriteBuffer(Source.data(), Source.size());
  }
  F->EditFile(Path);
  PumpMessages();
  EXPECT_EQ(F->MainPage->ActivePage(), F->EditTab);
  EXPECT_EQ(F->Editor->HighLighter(), F->CPP);
  EXPECT_EQ(F->EditorFileName, Path);
  EXPECT_FALSE(F->Editor->Modified());
  EXPECT_EQ(F->Editor->GetLinesText(), Source);  // no line break added at the end

  TmwCustomEdit* E = F->Editor;
  auto Count = [&](int Line, int First, int Last, COLORREF Want) {
    int X = E->TextOffset(), Top = (Line - E->TopLine()) * E->LineHeight();
    E->Update();
    HDC DC = GetDC(E->Handle());
    int N = 0;
    for (int Y = Top; Y < Top + E->LineHeight(); ++Y)
      for (int Px = X + (First - 1) * E->CharWidth(); Px < X + Last * E->CharWidth(); ++Px)
        if (GetPixel(DC, Px, Y) == Want) ++N;
    ReleaseDC(E->Handle(), DC);
    return N;
  };
  EXPECT_GT(Count(1, 1, 16, RGB(0, 128, 0)), 0);    // the comment in green
  EXPECT_GT(Count(2, 1, 8, RGB(0, 128, 128)), 0);   // the directive in teal
  EXPECT_GT(Count(4, 1, 3, RGB(0, 0, 128)), 0);     // "int" in navy
  EXPECT_GT(Count(5, 19, 24, RGB(128, 0, 0)), 0);   // the string in maroon
  EXPECT_GT(Count(6, 23, 24, RGB(0, 0, 255)), 0);   // 42 in blue
  E->Model().SetBookmark(0, 1, 4);
  E->SetBlockBegin({3, 5});
  E->SetBlockEnd({8, 6});
  E->SetFocus();
  PumpMessages();
  E->Update();
  EXPECT_GT(SaveWindowPng(F->Handle(), ScreenshotPath("main-window-cpp.png")), 0);

  // Another extension, another highlighter; an unknown one, plain text.
  std::string Plain = FromWide(Dir) + "zx_editor_page.txt";
  {
    TFileStream Out(Plain, fmCreate);
  }
  F->EditFile(Plain);
  EXPECT_EQ(F->Editor->HighLighter(), nullptr);
  DeleteFileW(ToWide(Path).c_str());
  DeleteFileW(ToWide(Plain).c_str());
}

TEST(EditorInMainWindow, PanelPicturePagesHoldHiddenImages) {
  std::unique_ptr<TMainForm> F(CreateForm<TMainForm>(nullptr));
  for (auto [Image, Page] : {std::pair{F->LImage, F->LEditPage}, std::pair{F->RImage, F->REditPage}}) {
    ASSERT_NE(Image, nullptr);
    EXPECT_EQ(Image->Parent(), Page);
    EXPECT_FALSE(Image->Visible());
    EXPECT_EQ(Image->Left(), 0);
    EXPECT_EQ(Image->Top(), 34);
  }
}

}  // namespace
