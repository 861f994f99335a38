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
