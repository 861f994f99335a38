// Layout on the fixed-metrics host: every character 7 px wide, lines 16 px with descent 3,
// so that every figure below is worked out by hand.
#include <gtest/gtest.h>

#include <string>

#include "html/core/fixed_metrics_host.h"
#include "html/core/html_parser.h"

namespace {

struct TLaidOut {
  TFixedMetricsHost Host;
  TSectionList Doc{&Host};
  int Height = 0;
  TLaidOut(const std::string& Html, int Width) {
    THtmlParser parser(Doc);
    parser.ParseHTMLBuffer(Html.data(), Html.size());
    Height = Doc.LayOut(Host, Width);
  }
  // "top+height" per block, and per text line "  x:text".
  std::string Blocks() {
    std::string out;
    for (int i = 0; i < Doc.Count(); ++i) {
      TSectionBase* b = Doc.Block(i);
      out += std::to_string(b->Top) + "+" + std::to_string(b->BlockHeight) + "\n";
      if (auto* s = dynamic_cast<TSection*>(b))
        for (const auto& l : s->Lines)
          out += "  " + std::to_string(l.StartX) + ":" + s->Text.substr(std::size_t(l.Start), std::size_t(l.CharCount)) + "\n";
    }
    return out;
  }
  std::vector<std::string> Draw() {
    Host.Log.clear();
    Doc.DrawDocument(Host, {0, 0, 10000, 10000});
    return Host.Log;
  }
};

}  // namespace

TEST(HtmlLayout, BlocksAndLines) {
  struct TCase {
    const char* Name;
    std::string Html;
    int Width;
    std::string Expected;
  } cases[] = {
      {"paragraph lines break after words; a word that just fits stays", "<P>Hello world, this is a test of wrapping",
       100, "0+14\n14+48\n  0:Hello world, \n  0:this is a test \n  0:of wrapping\n"},
      {"a wide word overflows with its trailing blank", "abcdefghijklmnop xyz", 35,
       "0+32\n  0:abcdefghijklmnop \n  0:xyz\n"},
      {"a centred over-wide line starts at the left edge", "<CENTER>abcdefghijklmnopqrstuvwxyz</CENTER>", 70,
       "0+16\n  0:abcdefghijklmnopqrstuvwxyz\n"},
      {"centre and right", "<CENTER>ab</CENTER><P ALIGN=right>abc", 100,
       "0+16\n  43:ab\n16+14\n30+16\n  79:abc\n"},
      {"PRE never wraps", "<PRE>a long line of preformatted text</PRE>", 50,
       "0+16\n  0:a long line of preformatted text\n"},
      {"headings", "<H1>T</H1>x", 100, "0+16\n16+16\n  0:T\n32+16\n48+16\n  0:x\n"},
      {"lists indent by 35 a level", "<UL><LI>one<UL><LI>two</UL></UL>x", 200,
       "0+16\n  35:one\n16+16\n  70:two\n32+16\n  0:x\n"},
      {"rules", "<HR><HR SIZE=6>", 100, "0+20\n20+24\n"},
      {"a left float moves the text; BR CLEAR goes below it",
       "<IMG ALIGN=left WIDTH=20 HEIGHT=40>text<BR CLEAR=left>after", 200,
       "0+16\n  25:text\n16+41\n  0:after\n"},
      {"a right float narrows the lines", "<IMG ALIGN=right WIDTH=20 HEIGHT=20>aaa bbb", 60,
       "0+32\n  0:aaa \n  0:bbb\n"},
  };
  for (const TCase& c : cases) EXPECT_EQ(TLaidOut(c.Html, c.Width).Blocks(), c.Expected) << c.Name;
}

TEST(HtmlLayout, RulesDraw) {
  struct {
    const char* Html;
    const char* Fill;
  } cases[] = {
      {"<HR WIDTH=50% COLOR=red>", "fill 150,9,450,11 0000FF"},
      {"<HR WIDTH=150% COLOR=red>", "fill 10,9,590,11 0000FF"},
      {"<HR WIDTH=100 COLOR=red SIZE=4>", "fill 250,9,350,13 0000FF"},
  };
  for (const auto& c : cases) {
    TLaidOut page(c.Html, 600);
    auto log = page.Draw();
    ASSERT_EQ(log.size(), 1u) << c.Html;
    EXPECT_EQ(log[0], c.Fill) << c.Html;
  }
}

TEST(HtmlLayout, TextDrawsOnItsLines) {
  TLaidOut page("<P>ab <B>cd</B><BR>e", 100);
  auto log = page.Draw();
  std::vector<std::string> expected = {"text 0,14 000000 ab ", "text 21,14 000000 cd", "text 0,30 000000 e"};
  EXPECT_EQ(log, expected);
  page.Doc.ScrollY = 10;
  log = page.Draw();
  EXPECT_EQ(log[0], "text 0,4 000000 ab ");
}

TEST(HtmlLayout, LongParagraphKeepsEveryCharacter) {
  std::string text;
  while (text.size() < 50000) text += "word ";
  TLaidOut page(text, 600);
  ASSERT_EQ(page.Doc.Count(), 1);
  auto* s = static_cast<TSection*>(page.Doc.Block(0));
  EXPECT_EQ(s->Text.size(), 50000u);
  int chars = 0;
  for (const auto& l : s->Lines) chars += l.CharCount;
  EXPECT_EQ(chars, 50000);
  EXPECT_EQ(page.Height, int(s->Lines.size()) * 16);
  // 85 characters fit in 600 px: 17 words a line.
  EXPECT_EQ(s->Lines[0].CharCount, 85);
}

TEST(HtmlLayout, FormControlsAreSizedFromA) {
  TLaidOut page("<FORM><INPUT SIZE=10><INPUT TYPE=submit VALUE=Go><SELECT><OPTION>abc<OPTION>abcdef</SELECT>"
                "<TEXTAREA ROWS=3 COLS=4></TEXTAREA></FORM>",
                1000);
  auto* form = static_cast<ThtmlForm*>(page.Doc.Forms.Items(0));
  ASSERT_EQ(form->Controls.size(), 4u);
  struct {
    int W, H;
  } sizes[] = {{75, 24}, {34, 24}, {72, 24}, {33, 53}};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(form->Controls[i]->Width, sizes[i].W) << i;
    EXPECT_EQ(form->Controls[i]->Height, sizes[i].H) << i;
  }
  page.Draw();
  auto* edit = page.Host.Controls[0];
  EXPECT_TRUE(edit->IsVisible);
  // The edit stands on the baseline: its bottom is the line's baseline plus the descent.
  auto* s = static_cast<TSection*>(page.Doc.Block(0));
  EXPECT_EQ(edit->Bounds.Bottom, s->Lines[0].SpaceAbove + s->Lines[0].TextHeight);
  // Scrolled out of view, the windows are hidden at the next paint.
  page.Doc.ScrollY = 5000;
  page.Host.Log.clear();
  page.Doc.DrawDocument(page.Host, {0, 0, 1000, 500});
  EXPECT_FALSE(edit->IsVisible);
}
