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
#include "classlib/win/std_ctrls.h"
#include "editor/custom_edit.h"
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"

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
  EXPECT_EQ(E->Keystrokes()->Count(), 73);
  EXPECT_EQ(GetPropText(E, "Width") + "x" + GetPropText(E, "Height"), "200x150");

  // Text set before the window exists is still there once it does.
  SetPropText(E, "Lines", "a\r\nb\r\n");
  SetPropText(E, "ReadOnly", "True");
  F->Show();
  PumpMessages();
  EXPECT_TRUE(E->HandleAllocated());
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
