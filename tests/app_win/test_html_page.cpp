// The main window's HTML page: its viewer opens a local page with text, a table, a picture
// and links; its buttons step through the history, reload in place and clear; open, find and
// print tell their failures; F1 and Esc in the viewer.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/core/lng_strings.h"
#include "classlib/win/print_target.h"
#include "app/html_page.h"
#include "app/settings.h"
#include "classlib/win/image_list.h"
#include "html/gdi_host.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/com_ctrls.h"
#include "classlib/win/forms.h"
#include "classlib/win/wide_string.h"
#include "tests/classlib/temp_folder.h"
#include "tests/html/bmp_fixture.h"
#include "tests/support/form_test.h"
#include "tests/support/main_window_fixture.h"
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

// The green of the history arrows inside a button, as it is on the screen.
int GreenPixels(TToolButton* B) {
  HWND Bar = B->Parent()->Handle();
  RedrawWindow(Bar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  HDC DC = GetDC(Bar);
  int N = 0;
  for (int Y = B->Top(); Y < B->Top() + B->Height(); ++Y)
    for (int X = B->Left(); X < B->Left() + B->Width(); ++X) {
      const COLORREF C = GetPixel(DC, X, Y);
      if (GetGValue(C) > 90 && GetRValue(C) < 40 && GetBValue(C) < 40) ++N;
    }
  ReleaseDC(Bar, DC);
  return N;
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
  // Every button shows its own picture, and its hint.
  EXPECT_FALSE(page->ToolBar13->ShowCaptions());
  const struct {
    TToolButton* B;
    const char* Hint;
  } Buttons[] = {{page->SpeedButton49, "Open"}, {page->ToolButton11, "Go back"}, {page->ToolButton23, "Go forvard"},
                 {page->ToolButton24, "Clear"}, {page->ToolButton25, "Reload"},  {page->ToolButton29, "Find"},
                 {page->ToolButton31, "Print"}, {page->ToolButton36, "Mail"}};
  std::vector<int> Images;
  for (const auto& b : Buttons) {
    EXPECT_EQ(b.B->Hint(), b.Hint);
    EXPECT_TRUE(b.B->ShowHint()) << b.Hint;
    EXPECT_LT(b.B->ImageIndex(), page->Pictures->Count()) << b.Hint;
    Images.push_back(b.B->ImageIndex());
  }
  std::sort(Images.begin(), Images.end());
  EXPECT_EQ(std::unique(Images.begin(), Images.end()), Images.end());
  EXPECT_GE(Images.front(), 0);
  EXPECT_GT(SaveWindowPng(form->Handle(), ScreenshotPath("html_page.png")), 2000);

  // Reload keeps the place.
  THTMLViewer* v = page->FrView->ActiveViewer();
  ASSERT_NE(v, nullptr);
  v->SetPosition(120);
  page->ToolButton25->Click();
  EXPECT_EQ(page->FrView->ActiveViewer()->Position(), 120);

  // A history button that cannot step shows its picture greyed.
  EXPECT_EQ(GreenPixels(page->ToolButton11), 0);
  page->FrView->LoadFromFile(dir / "next.htm");
  EXPECT_TRUE(page->ToolButton11->Enabled());
  EXPECT_GT(GreenPixels(page->ToolButton11), 20);
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

// A page on a form of its own, with the tab sheets "Main" and "HTMLTab", and what it told.
class HtmlPageTold : public ::testing::Test {
protected:
  void SetUp() override {
    form.reset(CreateForm<TForm>(nullptr));
    form->SetBounds(20, 20, 640, 480);
    pages = new TPageControl(form.get());
    pages->SetParent(form.get());
    pages->SetAlign(alClient);
    mainSheet = new TTabSheet(form.get());
    mainSheet->SetName("Main");
    mainSheet->SetPageControl(pages);
    htmlSheet = new TTabSheet(form.get());
    htmlSheet->SetName("HTMLTab");
    htmlSheet->SetPageControl(pages);
    pages->SetActivePage(htmlSheet);
    page = new THtmlPage(form.get(), htmlSheet);
    page->Tell = [this](const std::string& Message) { told.push_back(Message); };
    page->ShowHelp = [this](int Topic) { topics.push_back(Topic); };
    page->AskOpenName = [this](std::string& Name) {
      Name = openName;
      return !Name.empty();
    };
    form->Show();
    PumpMessages();
  }
  TTempFolder dir;
  std::unique_ptr<TForm> form;
  TPageControl* pages = nullptr;
  TTabSheet *mainSheet = nullptr, *htmlSheet = nullptr;
  THtmlPage* page = nullptr;
  std::vector<std::string> told;
  std::vector<int> topics;
  std::string openName;
};

// Opening a file that is not there, or reloading one that went, tells why and keeps the page.
TEST_F(HtmlPageTold, OpenAndReloadOfAMissingFileAreToldAndKeepThePage) {
  WriteFile(dir / "a.htm", "<title>A</title><p>Here.");
  openName = dir / "a.htm";
  page->SpeedButton49->Click();
  EXPECT_EQ(page->FrView->DocumentTitle(), "A");
  EXPECT_TRUE(told.empty());

  openName = dir / "gone.htm";
  page->SpeedButton49->Click();
  ASSERT_EQ(told.size(), 1u);
  EXPECT_NE(told[0].find("gone.htm"), std::string::npos) << told[0];
  EXPECT_EQ(page->FrView->DocumentTitle(), "A");

  // A cancelled dialog does nothing.
  told.clear();
  openName.clear();
  page->SpeedButton49->Click();
  EXPECT_TRUE(told.empty());

  ASSERT_TRUE(DeleteFile(dir / "a.htm"));
  page->ToolButton25->Click();
  PumpMessages();
  // Told, or shown as a page that says so; never thrown out of the button.
  THTMLViewer* v = page->FrView->ActiveViewer();
  ASSERT_NE(v, nullptr);
  EXPECT_TRUE(told.size() == 1 || v->Core().Document().Dump().find("Can't load") != std::string::npos);
}

// Find goes from one occurrence to the next, in any case, and tells when there is no more.
TEST_F(HtmlPageTold, FindStepsThroughOccurrencesThenTellsNotFound) {
  WriteFile(dir / "f.htm", "<p>Apple tree, apple pie.<p>An APPLE.");
  page->FrView->LoadFromFile(dir / "f.htm");
  PumpMessages();
  page->LFind->SetFindText("apple");
  std::string notFound;
  GetLngString("Not_found", notFound);
  for (int i = 0; i < 3; ++i) {
    page->LFindFind(page->LFind);
    EXPECT_TRUE(told.empty()) << i;
    EXPECT_TRUE(SameText(page->FrView->ActiveViewer()->SelText(), "apple")) << i;
  }
  page->LFindFind(page->LFind);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0], notFound);
}

// The text records of printed pages.
int CALLBACK CollectText(HDC, HANDLETABLE*, const ENHMETARECORD* R, int, LPARAM Data) {
  if (R->iType == EMR_EXTTEXTOUTW) {
    auto* T = reinterpret_cast<const EMREXTTEXTOUTW*>(R);
    auto* C = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(R) + T->emrtext.offString);
    *reinterpret_cast<std::string*>(Data) += std::string(C, C + T->emrtext.nChars) + " ";
  }
  return 1;
}

// The print button prints the page on the printer; a printer that is not there is told.
TEST_F(HtmlPageTold, PrintWritesThePageAndTellsAMissingPrinter) {
  std::string html = "<title>Printed</title><p>Zembrix prints this.";
  for (int i = 0; i < 120; ++i) html += "<p>Paragraph " + std::to_string(i);
  WriteFile(dir / "p.htm", html);
  page->FrView->LoadFromFile(dir / "p.htm");
  PumpMessages();
  std::string text;
  int count = 0;
  page->PrintDevice = [&]() -> std::unique_ptr<TPrintDevice> {
    struct TKeep : TEmfPrintDevice {
      std::string* Text;
      int* Count;
      TKeep(std::string* T, int* C) : TEmfPrintDevice(794, 1123), Text(T), Count(C) {}
      ~TKeep() override {
        *Count = int(Pages().size());
        for (HENHMETAFILE P : Pages()) EnumEnhMetaFile(nullptr, P, CollectText, Text, nullptr);
      }
    };
    return std::make_unique<TKeep>(&text, &count);
  };
  page->ToolButton31->Click();
  EXPECT_GE(count, 2);
  EXPECT_NE(text.find("prints"), std::string::npos);
  EXPECT_NE(text.find("119"), std::string::npos);
  EXPECT_TRUE(told.empty());

  page->PrintDevice = [] { return std::unique_ptr<TPrintDevice>(std::make_unique<TGdiPrintDevice>(L"No such printer here")); };
  page->ToolButton31->Click();
  EXPECT_EQ(told.size(), 1u);

  // On a machine without any printer the default printer's job says so in the user's
  // language, not with the device's error.
  if (!HasDefaultPrinter()) {
    told.clear();
    page->PrintDevice = [] { return std::unique_ptr<TPrintDevice>(std::make_unique<TGdiPrintDevice>()); };
    page->ToolButton31->Click();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], LngStringOr("No_printer", "No printer is installed."));
  }
}

// In the viewer F1 shows the page's help and Esc goes back to the page "Main"; with a
// modifier neither does.
TEST_F(HtmlPageTold, F1ShowsHelpAndEscGoesToTheMainPage) {
  WriteFile(dir / "k.htm", "<p>Keys.");
  page->FrView->LoadFromFile(dir / "k.htm");
  PumpMessages();
  THTMLViewer* v = page->FrView->ActiveViewer();
  ASSERT_NE(v, nullptr);
  PressKey(VK_F1, {ssShift}, v->Handle());
  PressKey(VK_ESCAPE, {ssCtrl}, v->Handle());
  EXPECT_TRUE(topics.empty());
  EXPECT_EQ(pages->ActivePage(), htmlSheet);
  PressKey(VK_F1, {}, v->Handle());
  EXPECT_EQ(topics, std::vector<int>{8});
  PressKey(VK_ESCAPE, {}, v->Handle());
  EXPECT_EQ(pages->ActivePage(), mainSheet);
}

// The file list of the program's HTML page hides hidden files and folders as the panels
// do, from the start and whenever the option changes.
class HtmlPageOfMainWindow : public MainWindowFixture {};

TEST_F(HtmlPageOfMainWindow, FileListFollowsThePanelsHiddenFilesOption) {
  TTempFolder dir;
  WriteFile(dir / "seen.htm", "<p>Seen.");
  WriteFile(dir / "secret.htm", "<p>Hidden.");
  ASSERT_TRUE(CreateDirectoryW(ToWide(dir / ".config").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(ToWide(dir / "Shown folder").c_str(), nullptr));
  for (const char* Name : {"secret.htm", ".config"})
    ASSERT_TRUE(SetFileAttributesW(ToWide(dir / Name).c_str(),
                                   GetFileAttributesW(ToWide(dir / Name).c_str()) | FILE_ATTRIBUTE_HIDDEN));
  CreateMainForm();
  ASSERT_NE(MainForm->HtmlPage, nullptr);
  TPTShellList* list = MainForm->HtmlPage->HTMLShell;
  MainForm->Show();
  MainForm->MainPage->SetActivePage(MainForm->HTMLTab);
  TPTShellLocator folder;
  folder.SetPath(dir.Path());
  list->SetFolder(&folder);
  auto names = [&] {
    PumpMessages();
    std::vector<std::string> n;
    for (int i = 0; i < list->Items()->Count(); ++i) n.push_back(list->Items()->Item(i)->Caption());
    std::sort(n.begin(), n.end());
    return n;
  };
  const std::vector<std::string> visible{"Shown folder", "seen.htm"};
  const std::vector<std::string> all{".config", "Shown folder", "secret.htm", "seen.htm"};
  // The option is off for a new user: the list starts as the panels do.
  ASSERT_FALSE(Settings->HideFiles->Checked());
  EXPECT_FALSE(MainForm->LF->Options().Contains(ptsloShowHidden));
  EXPECT_FALSE(list->Options().Contains(ptsloShowHidden));
  EXPECT_EQ(names(), visible);
  Settings->HideFiles->SetChecked(true);
  EXPECT_EQ(names(), all);
  Settings->HideFiles->SetChecked(false);
  EXPECT_EQ(names(), visible);
}

}  // namespace
