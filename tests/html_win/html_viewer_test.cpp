// The viewer control in a window: pages with text, a table, a picture and links; a click on
// a link and the history; 32-bit thumb positions; a double click on a Cyrillic word; keys;
// printing to metafile pages.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "classlib/core/code_page.h"
#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/win/forms.h"
#include "html/gdi_host.h"
#include "html/html_viewer.h"
#include "tests/classlib/temp_folder.h"
#include "tests/html/bmp_fixture.h"
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"

namespace {

void WriteFile(const std::string& Path, const std::string& Text) {
  TFileStream f(Path, fmCreate);
  if (!Text.empty()) f.WriteBuffer(Text.data(), std::int64_t(Text.size()));
}

class ViewerWindow : public ::testing::Test {
protected:
  void SetUp() override {
    Form.reset(CreateForm<TForm>(nullptr));
    Form->SetBounds(30, 30, 520, 420);
    Viewer = new THTMLViewer(Form.get());
    Viewer->SetParent(Form.get());
    Viewer->SetAlign(alClient);
    Viewer->SetHistoryMaxCount(10);
    Form->Show();
    PumpMessages();
  }
  std::string Put(const std::string& Name, const std::string& Text) {
    WriteFile(Dir / Name, Text);
    return Dir / Name;
  }
  HWND Panel() { return Viewer->PaintPanel()->Handle(); }
  void Click(int X, int Y) {
    SendMessageW(Panel(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, Y));
    SendMessageW(Panel(), WM_LBUTTONUP, 0, MAKELPARAM(X, Y));
    PumpMessages();
  }
  // Where a character of the document stands on the panel.
  POINT PointOf(int Pos) {
    HDC dc = GetDC(nullptr);
    TGdiHost host(dc);
    int x = 0, y = 0;
    Viewer->Core().Document().CursorToXY(host, Pos, x, y);
    ReleaseDC(nullptr, dc);
    return {x + Viewer->MarginWidth() + 2, y + Viewer->MarginHeight() - Viewer->Position() + 4};
  }
  TTempFolder Dir;
  std::unique_ptr<TForm> Form;
  THTMLViewer* Viewer = nullptr;
};

TEST_F(ViewerWindow, PageLinksAndHistory) {
  Put("red.bmp", AsText(SolidBmp(60, 40, 0xCC2020)));
  std::string a = Put("a.htm",
                      "<title>Page A</title><a href=\"b.htm\">Go to B</a>"
                      "<h2>A page of the viewer</h2><p>Text with <b>bold</b> and <i>italic</i> words."
                      "<table border=1 bgcolor=#FFFFCC><tr><td>one<td>two<tr><td colspan=2>three</table>"
                      "<p><img src=\"red.bmp\" align=left> A picture beside this text."
                      "<p><a href=\"#low\">down</a>" +
                          std::string(60, '\n') + std::string(1500, ' ') + "<p><a name=low>Low</a> part");
  Put("b.htm", "<title>Page B</title><p>The second page.");
  Viewer->LoadFromFile(a);
  PumpMessages();
  EXPECT_EQ(Viewer->DocumentTitle(), "Page A");
  EXPECT_GT(SaveWindowPng(Form->Handle(), ScreenshotPath("html_viewer_page.png")), 1000);

  // The link is the first thing on the page.
  TUrlTarget link;
  ASSERT_TRUE(Viewer->Core().LinkAt(Viewer->MarginWidth() + 4, Viewer->MarginHeight() + 4, link));
  Click(Viewer->MarginWidth() + 4, Viewer->MarginHeight() + 4);
  EXPECT_EQ(Viewer->DocumentTitle(), "Page B");
  ASSERT_EQ(Viewer->History().size(), 2u);
  Viewer->SetHistoryIndex(1);
  EXPECT_EQ(Viewer->DocumentTitle(), "Page A");
  Viewer->SetHistoryIndex(0);
  EXPECT_EQ(Viewer->DocumentTitle(), "Page B");

  // A missing file: the error, the page stays, and the next load works.
  EXPECT_THROW(Viewer->LoadFromFile(Dir / "gone.htm"), EInOutError);
  EXPECT_FALSE(Viewer->Processing());
  Viewer->LoadFromFile(a);
  EXPECT_EQ(Viewer->DocumentTitle(), "Page A");
}

TEST_F(ViewerWindow, ThumbReachesTheEndOfATallPage) {
  Viewer->LoadFromString("<p>top<p><img width=10 height=90000 alt=tall><p>end");
  PumpMessages();
  T32ScrollBar* bar = Viewer->VScrollBar();
  ASSERT_TRUE(bar->Visible());
  EXPECT_GT(bar->Max(), 90000);
  // The message carries 16 bits of the thumb's place; the bar's own position is read.
  int end = Viewer->Core().MaxPosition();
  SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, end, 0};
  SetScrollInfo(bar->Handle(), SB_CTL, &si, FALSE);
  SendMessageW(Viewer->Handle(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, end & 0xFFFF), LPARAM(bar->Handle()));
  EXPECT_EQ(Viewer->Position(), end);
  si.fMask = SIF_POS;
  GetScrollInfo(bar->Handle(), SB_CTL, &si);
  EXPECT_EQ(si.nPos, end);

  // Keys: Home, a line down, End.
  Viewer->SetFocus();
  PressKey(VK_HOME, {}, Viewer->Handle());
  EXPECT_EQ(Viewer->Position(), 0);
  PressKey(VK_DOWN, {}, Viewer->Handle());
  EXPECT_EQ(Viewer->Position(), bar->SmallChange);
  PressKey(VK_END, {}, Viewer->Handle());
  EXPECT_EQ(Viewer->Position(), end);
}

TEST_F(ViewerWindow, DoubleClickSelectsAWordWithChe) {
  Viewer->LoadFromString(Utf8ToCp1251("<p>Мы читаем книгу"));
  PumpMessages();
  POINT p = PointOf(4);  // inside "читаем"
  SendMessageW(Panel(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  SendMessageW(Panel(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  SendMessageW(Panel(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  SendMessageW(Panel(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  PumpMessages();
  EXPECT_EQ(Viewer->SelText(), Utf8ToCp1251("читаем"));
  EXPECT_GT(SaveWindowPng(Form->Handle(), ScreenshotPath("html_viewer_selection.png")), 100);
}

TEST_F(ViewerWindow, SettersRefuseWhatIsOutOfRange) {
  Viewer->LoadFromString("<p>some text to lay out");
  Viewer->SetMarginWidth(51);
  EXPECT_EQ(Viewer->MarginWidth(), 10);
  Viewer->SetMarginWidth(50);
  EXPECT_EQ(Viewer->MarginWidth(), 50);
  Viewer->SetMarginHeight(-1);
  EXPECT_EQ(Viewer->MarginHeight(), 5);
  Viewer->SetDefFontSize(3);
  EXPECT_EQ(Viewer->DefFontSize(), 6);
  Viewer->SetImageCacheCount(99);
  EXPECT_EQ(Viewer->ImageCacheCount(), 20);
  Viewer->SetHistoryMaxCount(-2);
  EXPECT_EQ(Viewer->HistoryMaxCount(), 10);
  Viewer->SetServerRoot("  c:\\web\\  ");
  EXPECT_EQ(Viewer->ServerRoot(), "c:\\web");
  // A new font size reads the page again: its text is still all there.
  EXPECT_NE(Viewer->Core().Document().Dump().find("some text to lay out"), std::string::npos);
}

TEST_F(ViewerWindow, PrintsPagesToMetafiles) {
  std::string html = "<title>Printed</title>";
  for (int i = 1; i <= 80; ++i) html += "<p>Paragraph number " + std::to_string(i) + " of the printed document.";
  Viewer->LoadFromString(html);
  // A4 at 96 pixels per inch; margins of 2 cm leave 971 rows a page, 80 paragraphs need three.
  TEmfPrintDevice device(794, 1123);
  int headers = 0;
  Viewer->OnPrintHeader = [&](TObject*, THtmlHost&, int, int, int, bool&) { ++headers; };
  EXPECT_EQ(Viewer->PrintTo(device, 1, 10), 3);
  EXPECT_EQ(device.Pages().size(), 3u);
  EXPECT_EQ(headers, 3);
  EXPECT_EQ(device.Title(), "Printed");
  // Pages 2 to 2 only.
  EXPECT_EQ(Viewer->PrintTo(device, 2, 2), 2);
  EXPECT_EQ(device.Pages().size(), 1u);
}

}  // namespace
