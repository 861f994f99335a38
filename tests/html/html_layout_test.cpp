// Layout on the fixed-metrics host: every character 7 px wide, lines 16 px with descent 3,
// so that every figure below is worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

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

namespace {

ThtmlTable* TableOf(TLaidOut& Page, int Index = 0) {
  for (int i = 0, n = 0; i < Page.Doc.Count(); ++i)
    if (auto* t = dynamic_cast<ThtmlTable*>(Page.Doc.Block(i)); t && n++ == Index) return t;
  return nullptr;
}

std::string Columns(int N) {
  std::string html = "<TABLE><TR>";
  for (int i = 0; i < N; ++i) html += "<TD>x";
  return html + "</TABLE>after";
}

}  // namespace

TEST(HtmlTables, WidthsSpacingAndHeights) {
  struct {
    const char* Html;
    int Spacing, Padding, Width, Height;
  } cases[] = {
      {"<TABLE><TD>a</TABLE>", 3, 1, 3 + 7 + 4 + 1, 23},
      {"<TABLE CELLSPACING=0 CELLPADDING=0><TD>a</TABLE>", 1, 0, 1 + 7 + 1, 16 + 1},
      {"<TABLE CELLSPACING=100><TD>a</TABLE>", 40, 1, 40 + 7 + 2 + 40 - 1 + 1, 16 + 2 + 39 + 40},
      {"<TABLE WIDTH=50%><TD>a</TABLE>", 3, 1, 300, 23},
      {"<TABLE WIDTH=150><TD>a</TABLE>", 3, 1, 150, 23},
      {"<TABLE BORDER><TD>a<TD>bb</TABLE>", 3, 2, 3 + (7 + 6 + 1) + (14 + 6 + 1), 16 + 6 + 3},
  };
  for (const auto& c : cases) {
    TLaidOut page(c.Html, 600);
    ThtmlTable* t = TableOf(page);
    ASSERT_NE(t, nullptr) << c.Html;
    EXPECT_EQ(t->CellSpacing, c.Spacing) << c.Html;
    EXPECT_EQ(t->CellPadding, c.Padding) << c.Html;
    EXPECT_EQ(t->TableWidth, c.Width) << c.Html;
    EXPECT_EQ(t->TableHeight, c.Height) << c.Html;
  }
}

TEST(HtmlTables, SpansAndManyColumns) {
  TLaidOut past("<TABLE><TR><TD COLSPAN=5>a<TD>b<TR><TD ROWSPAN=9>c</TABLE>", 600);
  ThtmlTable* t = TableOf(past);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->NumCols, 6);
  EXPECT_EQ(t->Row(1)->CellObj(0)->RowSpan, 1);

  TLaidOut huge("<TABLE><TD COLSPAN=99999>a</TABLE>", 600);
  EXPECT_EQ(TableOf(huge)->NumCols, ThtmlTable::MaxColSpan);

  for (int n : {30, 31, 45}) {
    TLaidOut page(Columns(n), 2000);
    ThtmlTable* table = TableOf(page);
    ASSERT_NE(table, nullptr) << n;
    EXPECT_EQ(table->NumCols, n);
    // Each column: "x" (7) + padding and spacing (2 + 3 - 1) + 1.
    EXPECT_EQ(table->TableWidth, n * 12 + 3) << n;
    EXPECT_NE(page.Doc.FindString(0, "after", true), -1);
  }
}

TEST(HtmlTables, RowSpanRemainderGoesToTheLastRow) {
  TLaidOut page("<TABLE CELLPADDING=0 CELLSPACING=0><TR><TD ROWSPAN=3>a<BR>b<BR>c<BR>d<BR>e<TD>x<TR><TD>y<TR><TD>z"
                "</TABLE>",
                600);
  ThtmlTable* t = TableOf(page);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->RowHeights, (std::vector<int>{26, 26, 28}));
  EXPECT_EQ(t->Row(0)->CellObj(0)->SpanHeight, 80);
}

TEST(HtmlTables, NestedTablesAndDrawing) {
  TLaidOut page("x<TABLE BORDER BGCOLOR=yellow><TD><TABLE BORDER><TD>in</TABLE></TABLE>", 600);
  ThtmlTable* outer = TableOf(page);
  ASSERT_NE(outer, nullptr);
  EXPECT_EQ(outer->TableWidth, 34);
  auto* inner = static_cast<ThtmlTable*>(outer->Row(0)->CellObj(0)->Cell->Block(0));
  EXPECT_EQ(inner->TableWidth, 24);
  EXPECT_EQ(outer->Top, 16);
  auto log = page.Draw();
  // The outer cell's yellow, then the inner table's text inside both borders.
  EXPECT_NE(std::find(log.begin(), log.end(), "fill 3,19,31,47 00FFFF"), log.end());
  bool drawn = false;
  for (const auto& l : log) drawn = drawn || l.find(" in") != std::string::npos;
  EXPECT_TRUE(drawn);
}

TEST(HtmlTables, ProportionalSharesWithZeroMinima) {
  // Empty cells have no minimum: a table that must fill its width spreads it evenly.
  TLaidOut page("<TABLE WIDTH=303 CELLPADDING=0 CELLSPACING=0><TD></TD><TD></TD><TD></TD></TABLE>", 600);
  ThtmlTable* t = TableOf(page);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->TableWidth, 303);
}
