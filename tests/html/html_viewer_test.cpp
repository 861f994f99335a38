// The viewer's behaviour without a window, on the fixed-metrics host (every character 7 px
// wide, lines 16 px): loading, history, links and anchors, positions, word selection, find
// and the printed pages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/core/code_page.h"
#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "html/core/fixed_metrics_host.h"
#include "html/core/html_viewer_core.h"
#include "tests/classlib/temp_folder.h"
#include "tests/html/bmp_fixture.h"

namespace {

// Cyrillic in this file is UTF-8; the program's text is 1251.
std::string Cp(const std::string& Utf8) { return Utf8ToCp1251(Utf8); }

void WriteFile(const std::string& Path, const std::string& Text) {
  TFileStream f(Path, fmCreate);
  if (!Text.empty()) f.WriteBuffer(Text.data(), std::int64_t(Text.size()));
}

std::string Lines(int N, const std::string& Word) {
  std::string s;
  for (int i = 0; i < N; ++i) s += "<p>" + Word + std::to_string(i) + "\n";
  return s;
}

struct TViewer {
  TTempFolder Dir;
  TFixedMetricsHost Host;
  THtmlViewerCore V{Host};
  int Processing = 0, HistoryChanges = 0;
  TViewer() {
    V.ViewWidth = V.PanelWidth = 400;
    V.PanelHeight = 200;
    V.SetHistoryMaxCount(10);
    V.OnProcessing = [this](bool On) { Processing += On ? 1 : -1; };
    V.OnHistoryChange = [this] { ++HistoryChanges; };
  }
  std::string Put(const std::string& Name, const std::string& Text) {
    WriteFile(Dir / Name, Text);
    return Dir / Name;
  }
  std::vector<std::string> HistoryNames() const {
    std::vector<std::string> r;
    for (const auto& e : V.History()) r.push_back(ExtractFileName(e.Name));
    return r;
  }
};

TEST(HtmlViewer, LinksAnchorsAndHistoryStepInOrder) {
  TViewer t;
  std::string a = t.Put("a.htm", "<title>A</title>" + Lines(40, "a") + "<a name=End>end</a> <a href=\"b.htm\">to b</a>");
  t.Put("b.htm", "<title>B</title><a href=\"a.htm#end\">back to end of a</a>" + Lines(40, "b"));
  t.V.LoadFromFile(a);
  EXPECT_EQ(t.V.DocumentTitle(), "A");
  EXPECT_EQ(t.V.Position(), 0);

  // An anchor of the same document scrolls to it and is a step of the history.
  t.V.HotSpotClick("#end");
  int anchorTop = t.V.Position();
  EXPECT_GT(anchorTop, 0);
  EXPECT_EQ(t.V.History().size(), 2u);
  // One that does not exist changes nothing and records nothing.
  t.V.HotSpotClick("#nowhere");
  EXPECT_EQ(t.V.Position(), anchorTop);
  EXPECT_EQ(t.V.History().size(), 2u);

  t.V.HotSpotClick("b.htm");
  EXPECT_EQ(t.V.DocumentTitle(), "B");
  EXPECT_EQ(t.V.Position(), 0);
  EXPECT_EQ(t.HistoryNames(), (std::vector<std::string>{"b.htm", "a.htm", "a.htm"}));

  // Back: a at its anchor; back again: a at the top; forward twice: b.
  t.V.SetHistoryIndex(1);
  EXPECT_EQ(t.V.DocumentTitle(), "A");
  EXPECT_EQ(t.V.Position(), anchorTop);
  t.V.SetHistoryIndex(2);
  EXPECT_EQ(t.V.Position(), 0);
  t.V.SetHistoryIndex(0);
  EXPECT_EQ(t.V.DocumentTitle(), "B");

  // A link to a place in another file lands there.
  t.V.HotSpotClick("a.htm#end");
  EXPECT_EQ(t.V.DocumentTitle(), "A");
  EXPECT_EQ(t.V.Position(), anchorTop);
  EXPECT_EQ(t.Processing, 0);
}

TEST(HtmlViewer, ReloadKeepsPlaceAndHistory) {
  TViewer t;
  std::string a = t.Put("a.htm", Lines(60, "x"));
  t.V.LoadFromFile(a);
  t.V.SetPosition(300);
  std::size_t entries = t.V.History().size();
  t.V.LoadFromFile(a);
  EXPECT_EQ(t.V.Position(), 300);
  EXPECT_EQ(t.V.History().size(), entries);
}

TEST(HtmlViewer, HistoryMaxCountZeroRecordsNothing) {
  TViewer t;
  t.V.SetHistoryMaxCount(0);
  t.V.LoadFromFile(t.Put("a.htm", "a"));
  t.V.LoadFromFile(t.Put("b.htm", "b"));
  EXPECT_TRUE(t.V.History().empty());
  EXPECT_EQ(t.HistoryChanges, 0);
}

TEST(HtmlViewer, FailedLoadsLeaveTheViewerUsable) {
  TViewer t;
  std::string a = t.Put("a.htm", "<title>A</title>first");
  t.V.LoadFromFile(a);
  try {
    t.V.LoadFromFile(t.Dir / "missing.htm");
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.Message(), "Can't locate file: " + (t.Dir / "missing.htm"));
  }
  EXPECT_EQ(t.V.DocumentTitle(), "A");  // the shown page stays
  EXPECT_FALSE(t.V.Processing());

  // A comment left open: what was read is shown, the error passes out, and the next load works.
  std::string broken = t.Put("broken.htm", "<title>Broken</title><p>text before<p>more<!-- never closed");
  EXPECT_ANY_THROW(t.V.LoadFromFile(broken));
  EXPECT_FALSE(t.V.Processing());
  EXPECT_EQ(t.Processing, 0);
  EXPECT_NE(t.V.Document().Dump().find("text before"), std::string::npos);
  t.V.LoadFromFile(a);
  EXPECT_EQ(t.V.DocumentTitle(), "A");
}

TEST(HtmlViewer, LinkKindsByExtension) {
  struct {
    const char* Ext;
    TLinkKind Kind;
  } cases[] = {{".htm", lkHTML},   {".HTML", lkHTML}, {".JPEG", lkImage}, {".jpeg", lkImage}, {".Png", lkImage},
               {".gif", lkImage},  {".bmp", lkImage}, {".jpg", lkImage},  {".txt", lkNone},   {".htmlx", lkHTML},
               {".zip", lkNone},   {"", lkNone}};
  for (const auto& c : cases) EXPECT_EQ(LinkKindOfExtension(c.Ext), c.Kind) << c.Ext;

  TViewer t;
  std::string a = t.Put("a.htm", "a");
  t.Put("pic.JPEG", "not really a picture");
  t.Put("notes.txt", "text");
  t.V.LoadFromFile(a);
  t.V.HotSpotClick("notes.txt");
  EXPECT_EQ(ExtractFileName(t.V.CurrentFile()), "a.htm");
  t.V.HotSpotClick("pic.JPEG");
  EXPECT_EQ(ExtractFileName(t.V.CurrentFile()), "pic.JPEG");
  EXPECT_EQ(t.V.FileType(), vfImage);
}

TEST(HtmlViewer, ImagePageTakesTheNameAsItStands) {
  TViewer t;
  // "&amp" and "#" are parts of this name, not an entity and an anchor.
  std::string pic = t.Put("R&amp;D #1.bmp", AsText(SolidBmp(2, 2, 0x7F7F7F)));
  t.V.LoadImageFile(pic);
  ASSERT_EQ(t.V.Document().Count(), 1);
  auto* s = dynamic_cast<TSection*>(t.V.Document().Block(0));
  ASSERT_NE(s, nullptr);
  auto* img = static_cast<TImageObj*>(s->Images.Items(0));
  EXPECT_EQ(img->Source, t.V.CurrentFile());
  EXPECT_NE(img->Picture, nullptr);
  EXPECT_EQ(img->ImageWidth, 2);
}

TEST(HtmlViewer, PositionsOfTallDocumentsComeBack) {
  TViewer t;
  // One block taller than 65,535 pixels: the offset into it must not wrap.
  t.V.LoadFromString("<p>top<p><img width=10 height=70000 alt=tall>bottom<p>end");
  EXPECT_GT(t.V.MaxVertical(), 70000);
  t.V.SetPosition(69000);
  EXPECT_EQ(t.V.Position(), 69000);
  TViewPosition p = t.V.GetPosition();
  EXPECT_GT(p.Offset, 65535);
  t.V.SetPosition(0);
  t.V.SetPosition(p);
  EXPECT_EQ(t.V.Position(), 69000);
  // Relayout at another width keeps the place.
  t.V.ViewWidth = 300;
  t.V.Relayout();
  EXPECT_EQ(t.V.Position(), 69000);
  // The end is reachable and no further.
  t.V.SetPosition(1 << 30);
  EXPECT_EQ(t.V.Position(), t.V.MaxVertical() - t.V.PanelHeight);
}

TEST(HtmlViewer, DoubleClickSelectsCyrillicWords) {
  struct {
    const char* Text;
    int Column;  // character clicked
    const char* Word;
  } cases[] = {
      {"Мы читаем книгу", 4, "читаем"},
      {"ёлка и Ёж", 1, "ёлка"},
      {"ЧАЙ, чай", 6, "чай"},
      {"abc123 def", 2, "abc123"},
      {"a + b", 2, ""},
  };
  for (const auto& c : cases) {
    TViewer t;
    t.V.MarginWidth = 0;
    t.V.MarginHeight = 0;
    t.V.LoadFromString(Cp(c.Text));
    t.V.SelectWordAt(c.Column * 7 + 3, 5);
    EXPECT_EQ(t.V.SelText(), Cp(c.Word)) << c.Text;
  }
}

TEST(HtmlViewer, SelectionLengthOnlyCollapses) {
  TViewer t;
  t.V.MarginWidth = t.V.MarginHeight = 0;
  t.V.LoadFromString("hello world");
  t.V.MouseDownAt(0, 5);
  t.V.ExtendSelectionTo(5 * 7, 5);
  EXPECT_EQ(t.V.SelText(), "hello");
  t.V.SetSelLength(5);
  EXPECT_EQ(t.V.SelLength(), 5);
  t.V.SetSelLength(0);
  EXPECT_EQ(t.V.SelLength(), 0);
}

TEST(HtmlViewer, AutoScrollSteps) {
  struct {
    int Y, Delta;
  } cases[] = {{-1, -16}, {-15, -16}, {-16, -128}, {0, 0}, {199, 0}, {200, 16}, {215, 16}, {216, 128}};
  for (const auto& c : cases) EXPECT_EQ(AutoScrollDelta(c.Y, 200, 16), c.Delta) << c.Y;
}

TEST(HtmlViewer, FindCentresTheMatchAndGoesOn) {
  TViewer t;
  t.V.LoadFromString(Cp(Lines(100, "строка ") + "<p>здесь привет<p>" + Lines(100, "ещё ") + "<p>привет снова"));
  ASSERT_TRUE(t.V.Find(Cp("ПРИВЕТ"), false));
  EXPECT_EQ(t.V.SelText(), Cp("привет"));
  int x = 0, y = 0;
  ASSERT_TRUE(t.V.Document().CursorToXY(t.Host, t.V.Document().SelStart, x, y));
  EXPECT_EQ(t.V.Position(), y + t.V.MarginHeight - t.V.PanelHeight / 2);
  int first = t.V.Document().SelStart;
  ASSERT_TRUE(t.V.Find(Cp("привет"), true));
  EXPECT_GT(t.V.Document().SelStart, first);
  EXPECT_FALSE(t.V.Find(Cp("привет"), true));
  EXPECT_FALSE(t.V.Find("", false));
}

TEST(HtmlViewer, PrintedPagesCutNoLine) {
  TViewer t;
  t.V.LoadFromString(Lines(30, "line "));
  TFixedMetricsHost paper;
  std::unique_ptr<TSectionList> copy = t.V.CreatePrintCopy(paper);
  copy->LayOut(paper, 500);
  // 30 paragraphs of a line and a space: 30 * (16 + 14) rows, on pages of 350.
  const THtmlRect area{20, 40, 520, 390};
  std::vector<int> begun;
  std::vector<std::vector<std::string>> pages;
  int last = PrintPages(*copy, paper, area, 0, 1, 10, [&](int Page) {
    begun.push_back(Page);
    paper.Log.clear();
  }, [&](int) {
    pages.push_back(paper.Log);
    return false;
  });
  EXPECT_EQ(last, 3);
  EXPECT_EQ(begun, (std::vector<int>{1, 2, 3}));
  int lines = 0;
  for (const auto& page : pages)
    for (const std::string& entry : page) {
      if (entry.rfind("text ", 0) != 0) continue;
      int y = std::stoi(entry.substr(entry.find(',') + 1));
      EXPECT_GE(y, area.Top) << entry;
      EXPECT_LE(y + 16, area.Bottom) << entry;
      ++lines;
    }
  EXPECT_EQ(lines, 30);  // every line once

  // From page 2: the first page is measured, not drawn.
  begun.clear();
  EXPECT_EQ(PrintPages(*copy, paper, area, 0, 2, 2, [&](int Page) { begun.push_back(Page); }, nullptr), 2);
  EXPECT_EQ(begun, (std::vector<int>{2}));
}

}  // namespace
