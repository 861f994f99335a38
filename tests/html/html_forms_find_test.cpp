#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "html/core/fixed_metrics_host.h"
#include "html/core/html_parser.h"

namespace {

struct TFormPage {
  TFixedMetricsHost Host;
  TSectionList Doc{&Host};
  std::vector<std::vector<std::string>> Submits;
  std::string Action, Method;
  explicit TFormPage(const std::string& Html) {
    THtmlParser parser(Doc);
    parser.ParseHTMLBuffer(Html.data(), Html.size());
    Doc.OnFormSubmit = [this](const std::string& A, const std::vector<std::string>& Fields, const std::string& M) {
      Action = A;
      Method = M;
      Submits.push_back(Fields);
    };
    Doc.LayOut(Host, 600);
  }
  ThtmlForm* Form(int I = 0) { return static_cast<ThtmlForm*>(Doc.Forms.Items(I)); }
};

}  // namespace

TEST(HtmlForms, EnterSubmitsOnlyASoleTextField) {
  TFormPage one("<FORM ACTION=/find METHOD=get><INPUT NAME=q VALUE=abc></FORM>");
  EXPECT_TRUE(one.Form()->EditKeyDown(one.Form()->Controls[0], 13));
  ASSERT_EQ(one.Submits.size(), 1u);
  EXPECT_EQ(one.Submits[0], std::vector<std::string>{"q=abc"});
  EXPECT_EQ(one.Action, "/find");
  EXPECT_EQ(one.Method, "get");
  EXPECT_FALSE(one.Form()->EditKeyDown(one.Form()->Controls[0], 'a'));

  TFormPage two("<FORM><INPUT NAME=a><INPUT NAME=b></FORM>");
  EXPECT_FALSE(two.Form()->EditKeyDown(two.Form()->Controls[0], 13));
  EXPECT_TRUE(two.Submits.empty());
}

TEST(HtmlForms, SubmissionStrings) {
  TFormPage page("<FORM ACTION=go><INPUT TYPE=hidden NAME=h VALUE=1><INPUT TYPE=checkbox NAME=c CHECKED>"
             "<INPUT TYPE=checkbox NAME=off><INPUT TYPE=radio NAME=r VALUE=x CHECKED><INPUT TYPE=radio NAME=r VALUE=y>"
             "<SELECT NAME=s MULTIPLE><OPTION VALUE=1 SELECTED>one<OPTION SELECTED>two<OPTION>three</SELECT>"
             "<TEXTAREA NAME=t>l1\nl2</TEXTAREA><INPUT TYPE=submit NAME=go VALUE=Send></FORM>");
  ThtmlForm* form = page.Form();
  ASSERT_EQ(form->Controls.size(), 8u);
  form->Controls[4]->Window->SetChecked(true);  // the user picks radio y
  form->Controls[4]->Click();
  form->Controls[7]->Click();
  ASSERT_EQ(page.Submits.size(), 1u);
  std::vector<std::string> expected = {"h=1", "c=On", "r=y", "s=1", "s=two", "t=l1", "t=l2", "go=Send"};
  EXPECT_EQ(page.Submits[0], expected);

  // Reset brings back what the page said.
  TFormPage reset("<FORM><INPUT NAME=e VALUE=v><INPUT TYPE=reset></FORM>");
  reset.Form()->Controls[0]->Window->SetText("typed");
  reset.Form()->Controls[1]->Click();
  EXPECT_EQ(reset.Form()->Controls[0]->Window->Text(), "v");

  // Without a handler a submit does nothing.
  TFixedMetricsHost host;
  TSectionList doc(&host);
  THtmlParser parser(doc);
  std::string html = "<FORM><INPUT NAME=q></FORM>";
  parser.ParseHTMLBuffer(html.data(), html.size());
  static_cast<ThtmlForm*>(doc.Forms.Items(0))->Submit("x=1");
}

TEST(HtmlForms, ImageButtonSubmitsTheClickedPoint) {
  TFormPage page("<FORM ACTION=map><INPUT TYPE=image NAME=pos WIDTH=40 HEIGHT=20 BORDER=0>"
                 "<INPUT TYPE=hidden NAME=h VALUE=1></FORM>"
                 "<P><BR><BR><FORM ACTION=plain><INPUT TYPE=image WIDTH=40 HEIGHT=20 BORDER=0></FORM>");
  TFormControlObj* button = page.Form()->Controls[0];
  EXPECT_EQ(button->Window, nullptr);  // its picture stands in the text
  struct {
    int X, Y;
    bool Hit;
  } cases[] = {{12, 7, true}, {0, 0, true}, {39, 19, true}, {45, 7, false}, {12, 30, false}};
  for (const auto& c : cases) {
    TUrlTarget link;
    TFormControlObj* hit = nullptr;
    bool found = page.Doc.FindLinkAt(page.Host, c.X, c.Y, link, &hit);
    EXPECT_EQ(found, c.Hit) << c.X << "," << c.Y;
    EXPECT_EQ(hit, c.Hit ? button : nullptr) << c.X << "," << c.Y;
    EXPECT_TRUE(link.URL.empty());
  }
  TUrlTarget link;
  TFormControlObj* hit = nullptr;
  ASSERT_TRUE(page.Doc.FindLinkAt(page.Host, 12, 7, link, &hit));
  hit->Click();
  ASSERT_EQ(page.Submits.size(), 1u);
  EXPECT_EQ(page.Action, "map");
  EXPECT_EQ(page.Submits[0], (std::vector<std::string>{"pos.x=12", "pos.y=7", "h=1"}));
  // The point goes once: a later submission of the form sends the other fields only.
  page.Form()->Submit(std::string());
  EXPECT_EQ(page.Submits[1], std::vector<std::string>{"h=1"});
  // Without NAME the strings are bare; a button never clicked submits nothing.
  TFormControlObj* plain = page.Form(1)->Controls[0];
  plain->Click();
  EXPECT_EQ(page.Submits.size(), 2u);
  plain->ClickX = 3;
  plain->ClickY = 4;
  plain->Click();
  ASSERT_EQ(page.Submits.size(), 3u);
  EXPECT_EQ(page.Submits[2], (std::vector<std::string>{"x=3", "y=4"}));
}

TEST(HtmlFind, CaseTablesAndSections) {
  TFormPage page("<P>First \xEF\xF0\xE8\xE2\xE5\xF2 line<P>second</P>third AND " + std::string(300, 'z') + "Q");
  struct {
    std::string Pattern;
    bool MatchCase;
    int From, Found;
  } cases[] = {
      {"\xCF\xD0\xC8\xC2\xC5\xD2", false, 0, 6},   // upper-case Cyrillic finds lower case
      {"\xCF\xD0\xC8\xC2\xC5\xD2", true, 0, -1},
      {"line", false, 0, 13},
      {"linesecond", false, 0, -1},                 // no match across sections
      {"SECOND", false, 0, 17},
      {"second", false, 18, -1},
      {"and", false, 0, 29},
      {"AND", true, 0, 29},
      {std::string(300, 'Z') + "q", false, 0, 33},  // the whole long pattern counts
      {std::string(299, 'z') + "X", false, 0, -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(page.Doc.FindString(c.From, c.Pattern, c.MatchCase), c.Found) << c.Pattern.substr(0, 12);
}

namespace {

struct TCursorPage {
  TFixedMetricsHost Host;
  TSectionList Doc{&Host};
  TCursorPage(const std::string& Html, int Width) {
    THtmlParser parser(Doc);
    parser.ParseHTMLBuffer(Html.data(), Html.size());
    Doc.OnImageRequest = [](const std::string&, std::vector<std::uint8_t>&) { return false; };
    Doc.LayOut(Host, Width);
  }
};

}  // namespace

TEST(HtmlCursor, ClicksAndPositionsRoundTrip) {
  TCursorPage page("<P>abc def<CENTER>xy</CENTER><TABLE><TD>in a cell</TABLE>", 100);
  struct {
    int X, Y, Pos;
  } cases[] = {
      {-5, 20, 0},    // left of the text: the line's first position
      {3, 20, 0},     // before the middle of "a"
      {4, 20, 1},     // past it
      {20, 20, 3},
      {400, 20, 7},   // right of the last character: after it
      {42, 35, 7},    // the centred "xy" starts at 43
      {47, 35, 8},
      {5, 0, -1},     // the paragraph space holds no text
  };
  for (const auto& c : cases) EXPECT_EQ(page.Doc.FindCursor(page.Host, c.X, c.Y), c.Pos) << c.X << "," << c.Y;
  for (int pos : {0, 1, 5, 7, 8}) {
    int x = 0, y = 0;
    ASSERT_TRUE(page.Doc.CursorToXY(page.Host, pos, x, y)) << pos;
    EXPECT_EQ(page.Doc.FindCursor(page.Host, x, y), pos) << pos;
  }
  int x = 0, y = 0;
  EXPECT_FALSE(page.Doc.CursorToXY(page.Host, 1000, x, y));
  // Inside the table's cell: spacing 3 and padding 1 from the table's left edge.
  int inCell = page.Doc.FindString(0, "cell", true);
  ASSERT_GE(inCell, 0);
  ASSERT_TRUE(page.Doc.CursorToXY(page.Host, inCell, x, y));
  EXPECT_EQ(x, 4 + 5 * 7);
  EXPECT_EQ(page.Doc.FindCursor(page.Host, x, y), inCell);
}

TEST(HtmlCursor, LinkHits) {
  TCursorPage page("<A HREF=\"t.htm\" TARGET=top>text</A> <A HREF=\"map.cgi\"><IMG WIDTH=20 HEIGHT=20 ISMAP BORDER=0></A>"
                   "<MAP NAME=m><AREA SHAPE=rect COORDS=\"0,0,9,9\" HREF=area></MAP>"
                   "<IMG WIDTH=20 HEIGHT=20 USEMAP=\"#m\">",
                   600);
  // One line: "text" 0..28, blank 28..35, the ISMAP image 35..55, the mapped one 55..75;
  // the images raise the line so that its text top is at 4 + 3 = 7.
  struct {
    int X, Y;
    const char* Url;
  } cases[] = {
      {3, 10, "t.htm"}, {30, 10, nullptr}, {40, 6, "map.cgi?5,6"}, {58, 3, "area"}, {70, 15, nullptr},
  };
  for (const auto& c : cases) {
    TUrlTarget link;
    bool hit = page.Doc.FindLinkAt(page.Host, c.X, c.Y, link);
    EXPECT_EQ(hit, c.Url != nullptr) << c.X;
    if (c.Url) {
      EXPECT_EQ(link.URL, c.Url) << c.X;
    }
  }
  TUrlTarget link;
  ASSERT_TRUE(page.Doc.FindLinkAt(page.Host, 3, 10, link));
  EXPECT_EQ(link.Target, "top");
}

TEST(HtmlCursor, SelectionText) {
  TCursorPage page("<P>ab<IMG WIDTH=5 HEIGHT=5>c<P>def", 600);
  page.Doc.SelStart = 1;
  page.Doc.SelEnd = 6;
  EXPECT_EQ(page.Doc.GetSelText(), "bc\r\nde");
  EXPECT_EQ(page.Doc.GetSelLength(), 6);
  page.Doc.SelEnd = 1;
  EXPECT_EQ(page.Doc.GetSelLength(), 0);
}
