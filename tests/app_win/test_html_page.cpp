// The main window's HTML page: its viewer opens a local page with text, a table, a picture
// and links; its buttons step through the history, reload in place and clear.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/html_page.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/com_ctrls.h"
#include "classlib/win/forms.h"
#include "tests/classlib/temp_folder.h"
#include "tests/html/bmp_fixture.h"
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"

namespace {

void WriteFile(const std::string& Path, const std::string& Text) {
  TFileStream f(Path, fmCreate);
  if (!Text.empty()) f.WriteBuffer(Text.data(), std::int64_t(Text.size()));
}

// A 32 x 24 picture: left half blue, right half yellow.
std::string Picture() {
  return AsText(Bmp24Of(32, 24, [](int X, int) { return X < 16 ? 0x2040C0u : 0xF0E020u; }));
}

TEST(HtmlPage, OpensPagesAndStepsThroughTheHistory) {
  TTempFolder dir;
  WriteFile(dir / "pic.bmp", Picture());
  std::string body;
  for (int i = 0; i < 40; ++i) body += "<p>Line " + std::to_string(i) + " of the long page.";
  WriteFile(dir / "index.htm",
            "<title>Index</title><h1>Zembrix</h1><p>Some <b>text</b>, a <a href=\"next.htm\">link</a> and a "
            "table:<table border=1 cellpadding=4><tr><th>Name<th>Size<tr><td>a.txt<td>10<tr><td>b.txt<td>20</table>"
            "<p><img src=\"pic.bmp\" width=64 height=48> a picture" +
                body);
  WriteFile(dir / "next.htm", "<title>Next</title><p>The next page.");

  std::unique_ptr<TForm> form(CreateForm<TForm>(nullptr));
  form->SetBounds(20, 20, 640, 480);
  auto* page = new THtmlPage(form.get(), form.get());
  form->Show();
  PumpMessages();
  EXPECT_FALSE(page->ToolButton11->Enabled());
  EXPECT_FALSE(page->ToolButton23->Enabled());

  page->FrView->LoadFromFile(dir / "index.htm");
  PumpMessages();
  EXPECT_EQ(page->FrView->DocumentTitle(), "Index");
  EXPECT_GT(SaveWindowPng(form->Handle(), ScreenshotPath("html_page.png")), 2000);

  // Reload keeps the place.
  THTMLViewer* v = page->FrView->ActiveViewer();
  ASSERT_NE(v, nullptr);
  v->SetPosition(120);
  page->ToolButton25->Click();
  EXPECT_EQ(page->FrView->ActiveViewer()->Position(), 120);

  page->FrView->LoadFromFile(dir / "next.htm");
  EXPECT_TRUE(page->ToolButton11->Enabled());
  page->ToolButton11->Click();
  EXPECT_EQ(page->FrView->DocumentTitle(), "Index");
  EXPECT_EQ(page->FrView->ActiveViewer()->Position(), 120);
  EXPECT_TRUE(page->ToolButton23->Enabled());
  page->ToolButton23->Click();
  EXPECT_EQ(page->FrView->DocumentTitle(), "Next");

  page->ToolButton24->Click();
  EXPECT_TRUE(page->FrView->CurrentFile().empty());
  EXPECT_FALSE(page->ToolButton11->Enabled());
}

TEST(HtmlPage, FileListShowsPagesAndPictures) {
  TTempFolder dir;
  WriteFile(dir / "index.htm", "<title>Index</title><p>Listed.");
  WriteFile(dir / "pic.bmp", Picture());
  WriteFile(dir / "notes.doc", "not for the viewer");
  std::unique_ptr<TForm> form(CreateForm<TForm>(nullptr));
  form->SetBounds(20, 20, 640, 480);
  auto* pages = new TPageControl(form.get());
  pages->SetParent(form.get());
  pages->SetAlign(alClient);
  auto* mainSheet = new TTabSheet(form.get());
  mainSheet->SetName("Main");
  mainSheet->SetPageControl(pages);
  auto* htmlSheet = new TTabSheet(form.get());
  htmlSheet->SetName("HTMLTab");
  htmlSheet->SetPageControl(pages);
  pages->SetActivePage(htmlSheet);
  auto* page = new THtmlPage(form.get(), htmlSheet);
  form->Show();
  TPTShellLocator folder;
  folder.SetPath(dir.Path());
  page->HTMLShell->SetFolder(&folder);
  page->HTMLShell->Refill();
  PumpMessages();

  std::vector<std::string> names;
  TListItem* index = nullptr;
  for (int i = 0; i < page->HTMLShell->Items()->Count(); ++i) {
    TListItem* it = page->HTMLShell->Items()->Item(i);
    names.push_back(it->Caption());
    if (it->Caption().rfind("index", 0) == 0) index = it;
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"index.htm", "pic.bmp"}));
  ASSERT_NE(index, nullptr);

  // Choosing a file shows it.
  index->SetSelected(true);
  PumpMessages();
  EXPECT_EQ(page->FrView->DocumentTitle(), "Index");
  // Esc in the list goes back to the page "Main".
  page->HTMLShell->SetFocus();
  PressKey(VK_ESCAPE, {}, page->HTMLShell->Handle());
  EXPECT_EQ(pages->ActivePage(), mainSheet);
}

}  // namespace
