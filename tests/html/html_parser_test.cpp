// The parser against model dumps: each case is a page and the blocks it must give.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "classlib/core/strings.h"
#include "html/core/fixed_metrics_host.h"
#include "html/core/html_parser.h"

namespace {

struct TParsed {
  TFixedMetricsHost Host;
  TSectionList Doc{&Host};
  TStringList Anchors;
  THtmlParser Parser{Doc, &Anchors};
  explicit TParsed(const std::string& Html) { Parser.ParseHTMLBuffer(Html.data(), Html.size()); }
};

std::string Dump(const std::string& Html) { return TParsed(Html).Doc.Dump(); }

}  // namespace

TEST(HtmlParser, ModelDumps) {
  struct TCase {
    const char* Name;
    std::string Html, Expected;
  } cases[] = {
      {"only text", "Hello,   world", "section left \"Hello, world\"\n"},
      {"three P give one space", "a<P><P></P><P>b", "section left \"a\"\nspace\nsection left \"b\"\n"},
      {"P ALIGN then a plain P", "<P ALIGN=right>r<P>l",
       "space\nsection right \"r\"\nspace\nsection left \"l\"\n"},
      {"text before the first TD precedes the table", "x<TABLE>before<TD>c1<TD>c2<TR><TD COLSPAN=2>d</TABLE>y",
       "section left \"x\"\nsection left \"before\"\ntable left\n  row\n    cell\n      section left \"c1\"\n"
       "    cell\n      section left \"c2\"\n  row\n    cell colspan=2\n      section left \"d\"\n"
       "section left \"y\"\n"},
      {"TH is bold and centred", "<TABLE><TR><TH>h</TABLE>",
       "table left\n  row\n    cell\n      section center \"h\"\n        run 0 size=12 bold color=000000\n"},
      {"caption at the bottom", "<TABLE BORDER WIDTH=50%><CAPTION ALIGN=bottom>c</CAPTION><TD>d</TABLE>",
       "table left border width=50%\n  caption bottom\n    section center \"c\"\n  row\n    cell\n"
       "      section left \"d\"\n"},
      {"OPTION without end tags; empty options dropped",
       "<SELECT><OPTION>one<OPTION VALUE=2 SELECTED>two<OPTION> </SELECT>",
       "section left \"[ctl]\"\n  control 0 combo [one] [two*]\n"},
      {"FONT SIZE=+1 and 9, BIG at 7",
       "<FONT SIZE=+1>a</FONT><FONT SIZE=9>b<BIG>c</BIG></FONT>d",
       "section left \"abcd\"\n  run 0 size=14 color=000000\n  run 1 size=36 color=000000\n"
       "  run 3 size=12 color=000000\n"},
      {"BASEFONT sets the text size and the base of relative sizes", "<BASEFONT SIZE=5><FONT SIZE=-1>a</FONT>b",
       "section left \"ab\"\n  run 0 size=14 color=000000\n  run 1 size=18 color=000000\n"},
      {"MAP without /MAP is dropped, the page read on",
       "<MAP NAME=m><AREA COORDS=\"0,0,9,9\" HREF=x><P>after", "space\nsection left \"after\"\n"},
      {"lists", "<UL><LI>one<LI><P>two<OL START=3 TYPE=a><LI>three</OL></UL>tail",
       "ul-item left level=1 \"one\"\nul-item left level=1 \"two\"\nol-item left level=2 number=3 type=a "
       "\"three\"\nsection left \"tail\"\n"},
      {"definition list and blockquote", "<DL><DT>t<DD>d</DL><BLOCKQUOTE>q</BLOCKQUOTE>",
       "dl-item left level=1 \"t\"\ndl-item left level=1 \"d\"\nsection left level=1 \"q\"\n"},
      {"PRE keeps blanks and lines", "<PRE>a  b\n<B>c</B>\n\nd</PRE>e",
       "pre left \"a  b\"\n  run 0 size=12 fixed color=000000\npre left \"c\"\n"
       "  run 0 size=12 bold fixed color=000000\n  run 1 size=12 fixed color=000000\npre left \" \"\n"
       "  run 0 size=12 fixed color=000000\npre left \"d\"\n  run 0 size=12 fixed color=000000\n"
       "section left \"e\"\n"},
      {"heading with ALIGN", "<H1 ALIGN=center>Head</H1>body",
       "heading-space 1\nsection center \"Head\"\n  run 0 size=24 bold color=000000\nheading-space 1\n"
       "section left \"body\"\n"},
      {"links", "a <A HREF=\"u\" TARGET=t>link</A> b",
       "section left \"a link b\"\n  run 0 size=12 color=000000\n  run 2 size=12 underline color=FF0000 link=u\n"
       "  run 6 size=12 color=000000\n"},
      {"CENTER and DIV", "<CENTER>c<DIV ALIGN=right>r</DIV>c2</CENTER>l",
       "section center \"c\"\nsection right \"r\"\nsection center \"c2\"\nsection left \"l\"\n"},
      {"BR keeps the line's alignment and takes CLEAR", "<CENTER>a<BR CLEAR=left>b</CENTER>",
       "section center \"a\"\nsection center clear=1 \"b\"\n"},
      {"BR on an empty line gives a blank line", "a<BR><BR>b",
       "section left \"a\"\nsection left \" \"\nsection left \"b\"\n"},
      {"rules and page breaks", "<HR SIZE=5 WIDTH=50% COLOR=red><PAGE><HR WIDTH=150%>",
       "rule size=5 width=50% color=0000FF\npage\nrule size=2 width=-1\n"},
      {"images and sub/superscripts", "x<SUB>2</SUB><IMG SRC=\"a.gif\" USEMAP=\"#M\">",
       "section left \"x2[img]\"\n  run 0 size=12 color=000000\n  run 1 size=9 sub color=000000\n"
       "  run 2 size=12 color=000000\n  img 2 src=a.gif usemap=M\n"},
      {"a SELECT left open ends at the next control", "<SELECT><OPTION>a<INPUT NAME=n>rest",
       "section left \"[ctl][ctl]rest\"\n  control 0 combo [a]\n  control 1 text name=n\n"},
      {"TEXTAREA contents are no markup", "<TEXTAREA NAME=t><B>x</B>\ny</TEXTAREA>z",
       "section left \"[ctl]z\"\n  control 0 textarea name=t\n"},
  };
  for (const TCase& c : cases) EXPECT_EQ(Dump(c.Html), c.Expected) << c.Name;
}

TEST(HtmlParser, OpenCommentRaisesAndKeepsTheText) {
  TFixedMetricsHost host;
  TSectionList doc(&host);
  THtmlParser parser(doc);
  std::string html = "kept<P><!-- never closed";
  EXPECT_THROW(parser.ParseHTMLBuffer(html.data(), html.size()), EParseError);
  EXPECT_EQ(doc.Dump(), "section left \"kept\"\n");

  // A table open at that point keeps its cells.
  doc.Clear();
  html = "<TABLE><TD>cell<P><!-- open";
  EXPECT_THROW(parser.ParseHTMLBuffer(html.data(), html.size()), EParseError);
  EXPECT_EQ(doc.Dump(), "table left\n  row\n    cell\n      section left \"cell\"\n");
}

TEST(HtmlParser, BodyAttributesOnlyAtTheStart) {
  TParsed early("<TITLE>T &amp; x</TITLE><BASE HREF=\"http://h/\" TARGET=f>"
                "<BODY BGCOLOR=\"#102030\" TEXT=white LINK=lime BACKGROUND=bg.gif>a");
  EXPECT_EQ(early.Doc.Background, TColor(0x302010));
  EXPECT_EQ(early.Doc.FontColor, TColor(0xFFFFFF));
  EXPECT_EQ(early.Doc.LinkColor, TColor(0x00FF00));
  EXPECT_EQ(early.Doc.BgImageName, "bg.gif");
  EXPECT_EQ(early.Parser.Title, "T & x");
  EXPECT_EQ(early.Parser.BaseHref, "http://h/");
  EXPECT_EQ(early.Parser.BaseTarget, "f");

  TParsed late("text<BODY BGCOLOR=red TEXT=red>more");
  EXPECT_EQ(late.Doc.Background, clWhite);
  EXPECT_EQ(late.Doc.FontColor, clBlack);
  EXPECT_EQ(late.Doc.Dump(), "section left \"textmore\"\n");
}

TEST(HtmlParser, DeepNestingLoadsWithoutOverflow) {
  for (const char* tag : {"DIV", "TABLE", "UL", "BLOCKQUOTE", "CENTER"}) {
    std::string html;
    for (int i = 0; i < 10000; ++i) html += std::string("<") + tag + "><TD>";
    html += "deep";
    for (int i = 0; i < 10000; ++i) html += std::string("</") + tag + ">";
    html += "after";
    std::string dump = Dump(html);
    EXPECT_NE(dump.find("deep"), std::string::npos) << tag;
    EXPECT_NE(dump.find("after"), std::string::npos) << tag;
  }
}

TEST(HtmlParser, RefusedFontPushesDoNotPopOuterFonts) {
  // 25 pushes fit; the 26th to 30th are refused and their end tags must balance only them.
  std::string html = "<FONT COLOR=red>";
  for (int i = 0; i < 29; ++i) html += "<FONT SIZE=1>";
  for (int i = 0; i < 29; ++i) html += "</FONT>";
  html += "red</FONT>black";
  TParsed p(html);
  ASSERT_EQ(p.Doc.Count(), 1);
  auto* s = static_cast<TSection*>(p.Doc.Block(0));
  EXPECT_EQ(s->Text, "redblack");
  const TFontObj* first = s->LastRun();
  const TFontObj* red = nullptr;
  for (int i = 0; i < s->Fonts.Count(); ++i) {
    auto* run = static_cast<TFontObj*>(s->Fonts.Items(i));
    if (run->Offset == 0) red = run;
  }
  ASSERT_NE(red, nullptr);
  EXPECT_EQ(red->Font.Color(), TColor(0x0000FF));
  EXPECT_EQ(red->Font.NominalSize, 12);
  EXPECT_EQ(first->Offset, 3);
  EXPECT_EQ(first->Font.Color(), clBlack);
}

TEST(HtmlParser, AnchorsFormsAndMaps) {
  TParsed p("<A NAME=top>t</A><FORM ACTION=\"/go\" METHOD=post><INPUT NAME=q VALUE=v>"
            "<INPUT TYPE=hidden NAME=h VALUE=1><INPUT TYPE=checkbox NAME=c CHECKED></FORM>"
            "<INPUT NAME=outside><MAP NAME=\"nav\"><AREA SHAPE=circle COORDS=\"10,10,5\" HREF=c>"
            "<AREA SHAPE=circ COORDS=\"1,2\" HREF=ignored></MAP>");
  ASSERT_EQ(p.Anchors.Count(), 1);
  EXPECT_EQ(p.Anchors.Strings(0), "TOP");
  EXPECT_NE(p.Anchors.Objects(0), nullptr);
  ASSERT_EQ(p.Doc.Forms.Count(), 2);
  auto* form = static_cast<ThtmlForm*>(p.Doc.Forms.Items(0));
  EXPECT_EQ(form->Method, "post");
  EXPECT_EQ(form->Action, "/go");
  ASSERT_EQ(form->Controls.size(), 3u);
  EXPECT_EQ(form->VisibleCount, 2);
  EXPECT_EQ(form->Controls[0]->Window->Text(), "v");
  EXPECT_TRUE(form->Controls[2]->Window->Checked());
  EXPECT_EQ(static_cast<ThtmlForm*>(p.Doc.Forms.Items(1))->Controls[0]->Name, "outside");
  TMapItem* map = p.Doc.FindMap("NAV");
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(map->Areas.size(), 1u);
}

TEST(HtmlParser, ScriptsGoToTheEventOrAreSkipped) {
  TFixedMetricsHost host;
  TSectionList doc(&host);
  THtmlParser parser(doc);
  std::string text, language;
  parser.OnScript = [&](const std::string& T, const std::string& L) {
    text = T;
    language = L;
  };
  std::string html = "a<SCRIPT LANGUAGE=JavaScript>if (a<b) x();\nok</SCRIPT>b";
  parser.ParseHTMLBuffer(html.data(), html.size());
  EXPECT_EQ(text, "if (a<b) x();\r\nok");
  EXPECT_EQ(language, "JavaScript");
  EXPECT_EQ(doc.Dump(), "section left \"ab\"\n");
  EXPECT_EQ(Dump(html), "section left \"ab\"\n");
}

TEST(HtmlParser, PlainText) {
  TFixedMetricsHost host;
  TSectionList doc(&host);
  THtmlParser parser(doc);
  TStringList lines;
  lines.Add("a\tb <i>");
  lines.Add("");
  lines.Add(std::string(450, 'x'));
  parser.ParseTextStrings(&lines);
  ASSERT_EQ(doc.Count(), 5);
  EXPECT_EQ(static_cast<TSection*>(doc.Block(0))->Text, "a b <i>");
  EXPECT_EQ(static_cast<TSection*>(doc.Block(1))->Text, " ");
  EXPECT_EQ(static_cast<TSection*>(doc.Block(2))->Text.size(), 200u);
  EXPECT_EQ(static_cast<TSection*>(doc.Block(4))->Text.size(), 50u);
}

TEST(HtmlParser, FrameSetDocuments) {
  struct {
    const char* Html;
    bool FrameSet;
  } cases[] = {
      {"<HTML><HEAD><TITLE>t</TITLE></HEAD><FRAMESET COLS=\"50%,*\">", true},
      {"some text <FRAMESET ROWS=2>", true},
      {"<SCRIPT><BODY></SCRIPT><FRAMESET>", true},
      {"<BODY><FRAMESET>", false},
      {"<P>x<FRAMESET>", false},
      {"no frames at all", false},
      {"<!-- open", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(THtmlParser::IsFrameSetDocument(c.Html, std::strlen(c.Html)), c.FrameSet) << c.Html;
}

TEST(HtmlParser, ColorFromString) {
  struct {
    const char* Text;
    bool Ok;
    int Color;
  } cases[] = {
      {"red", true, 0x0000FF},       {"Navy", true, 0x800000},     {"#102030", true, 0x302010},
      {"102030", true, 0x302010},    {"#80000005", true, 0x050000}, {"", false, 0},
      {"notacolour", false, 0},      {"#12345G", false, 0},         {"#123456789", false, 0},
  };
  for (const auto& c : cases) {
    TColor color = TColor(-1);
    EXPECT_EQ(ColorFromString(c.Text, color), c.Ok) << c.Text;
    if (c.Ok) {
      EXPECT_EQ(int(color), c.Color) << c.Text;
    }
  }
}
