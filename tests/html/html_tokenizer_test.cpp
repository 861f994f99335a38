#include "html/core/html_tokenizer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "classlib/core/stream.h"
#include "classlib/core/strings.h"

namespace {

using TTok = std::pair<Symb, std::string>;
using TToks = std::vector<TTok>;

TToks Tokens(THtmlTokenizer& T) {
  TToks result;
  T.GetCh();
  for (int guard = 0; guard < 10000000; ++guard) {
    T.NextSymbol();
    if (T.Sy == EofSy) return result;
    result.emplace_back(T.Sy, T.LCToken);
  }
  ADD_FAILURE() << "no end of input";
  return result;
}

TToks Tokens(const std::string& Html, bool InPre = false) {
  THtmlTokenizer t;
  t.SetBufferSource(Html.data(), Html.size());
  t.InPre = InPre;
  return Tokens(t);
}

// The tokens as one printable line, so that a failing case shows what came out.
std::string Show(const TToks& Toks) {
  std::string s;
  for (const TTok& t : Toks) {
    s += std::to_string(t.first) + ":";
    for (unsigned char c : t.second) {
      if (c < 32 || c == '|') {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        s += hex;
      } else {
        s += static_cast<char>(c);
      }
    }
    s += "|";
  }
  return s;
}

struct TCase {
  const char* Name;
  std::string Input;
  TToks Expected;
};

TEST(HtmlTokenizer, InputToTokens) {
  const std::vector<TCase> cases = {
      {"plain text", "Hello", {{TextSy, "Hello"}}},
      {"blanks and line ends fold to one blank", "a  \r\n  b\tc", {{TextSy, "a b c"}}},
      {"tags by name, any case", "<b>x</B>", {{BSy, ""}, {TextSy, "x"}, {BEndSy, ""}}},
      {"end tag without its own symbol", "</br></img>", {{UnknownSy, ""}, {UnknownSy, ""}}},
      {"unknown tag", "<blink>", {{UnknownSy, ""}}},
      {"a < b swallows up to the next >", "a < b > c", {{TextSy, "a "}, {UnknownSy, ""},
                                                        {TextSy, " c"}}},
      {"a comment is no character", "a<!-- x -- y -->b", {{TextSy, "ab"}}},
      {"comment: dashes then text go on", "<!-- a -- b -- >c", {{TextSy, "c"}}},
      {"comment: blanks and line ends before >", "<!-- a --- \r\n >c", {{TextSy, "c"}}},
      {"declaration", "<!DOCTYPE html PUBLIC \"x\">t", {{TextSy, "t"}}},
      {"comments in a row", "<!-- 1 --><!-- 2 --><!x>z", {{TextSy, "z"}}},
      {"less-than then other", "<", {{UnknownSy, ""}}},
      {"&amp with blank", "&amp x", {{TextSy, "&"}, {TextSy, " x"}}},
      {"&amp;", "&amp;x", {{TextSy, "&"}, {TextSy, "x"}}},
      {"entity names are case-sensitive", "&AMP;", {{TextSy, "&AMP;"}}},
      {"lone ampersand", "& x", {{TextSy, "&"}, {TextSy, " x"}}},
      {"latin-1 entities in 1251", "&nbsp;&copy;&laquo;&lt;&gt;&quot;",
       {{TextSy, "\xA0"}, {TextSy, "\xA9"}, {TextSy, "\xAB"}, {TextSy, "<"}, {TextSy, ">"},
        {TextSy, "\""}}},
      {"no 1251 form gives ?", "&eacute;&yuml;&#233;&#187;",
       {{TextSy, "?"}, {TextSy, "?"}, {TextSy, "?"}, {TextSy, "\xBB"}}},
      {"unnamed entries stay text", "&times;", {{TextSy, "&times;"}}},
      {"numeric", "&#65;&#9;&#10;", {{TextSy, "A"}, {TextSy, " "}, {TextSy, "\n"}}},
      {"numeric, four digits stay text", "&#1234;", {{TextSy, "&#1234"}, {TextSy, ";"}}},
      {"numeric, codes out of range stay text", "&#0;&#300;&#13",
       {{TextSy, "&#0;"}, {TextSy, "&#300;"}, {TextSy, "&#13"}}},
      {"numeric without digits", "&#;", {{TextSy, "&#;"}}},
      {"name longer than six", "&abcdefgh", {{TextSy, "&abcdefg"}, {TextSy, "h"}}},
      {"control characters and NUL", std::string("a\x01" "b\0c", 5),
       {{TextSy, "a"}, {OtherChar, "\x01"}, {TextSy, "b"}, {OtherChar, std::string(1, '\0')},
        {TextSy, "c"}}},
      {"1251 letters are text, ya included", "\xCF\xF0\xE8\xE2\xE5\xF2 \xFF",
       {{TextSy, "\xCF\xF0\xE8\xE2\xE5\xF2 \xFF"}}},
      {"0x1A ends the input", "a\x1A" "b", {{TextSy, "a"}}},
      {"unterminated tag", "<table border", {{TableSy, ""}}},
      {"unterminated quoted value", "<a href=\"x", {{ASy, ""}}},
      {"unterminated entity", "&am", {{TextSy, "&am"}}},
      {"unterminated numeric entity", "&#", {{TextSy, "&#"}}},
  };
  for (const TCase& c : cases) EXPECT_EQ(Show(Tokens(c.Input)), Show(c.Expected)) << c.Name;
}

TEST(HtmlTokenizer, TextRunsAreCutAtHundred) {
  std::string text(250, 'x');
  TToks toks = Tokens(text);
  ASSERT_EQ(toks.size(), 3u);
  EXPECT_EQ(toks[0].second.size(), 100u);
  EXPECT_EQ(toks[1].second.size(), 100u);
  EXPECT_EQ(toks[2].second.size(), 50u);
}

TEST(HtmlTokenizer, PreKeepsBlanksAndLineEnds) {
  EXPECT_EQ(Show(Tokens("a  \r\n\n b", true)), Show({{TextSy, "a  \r\r b"}}));
}

TEST(HtmlTokenizer, LineEndsFold) {
  // CR LF, LF CR, lone LF and lone CR are one line end each.
  EXPECT_EQ(Show(Tokens("1\r\n2\n\r3\n4\r5\r\r6", true)),
            Show({{TextSy, "1\r2\r3\r4\r5\r\r6"}}));
}

TEST(HtmlTokenizer, HeadingLevels) {
  THtmlTokenizer t;
  std::string html = "<H3>x</h3><h7><h>";
  t.SetBufferSource(html.data(), html.size());
  t.GetCh();
  t.NextSymbol();
  EXPECT_EQ(t.Sy, HeadingSy);
  EXPECT_EQ(t.HeadingLevel, 3);
  t.NextSymbol();
  t.NextSymbol();
  EXPECT_EQ(t.Sy, HeadingEndSy);
  EXPECT_EQ(t.HeadingLevel, 3);
  t.NextSymbol();
  EXPECT_EQ(t.Sy, HeadingSy);
  EXPECT_EQ(t.HeadingLevel, 0);
  t.NextSymbol();
  EXPECT_EQ(t.HeadingLevel, 0);
  t.NextSymbol();
  EXPECT_EQ(t.Sy, EofSy);
}

struct TAttrCase {
  const char* Name;
  std::string Tag;
  Symb Which;
  int Value;
  std::string Text;
};

TEST(HtmlTokenizer, AttributeValues) {
  const std::vector<TAttrCase> cases = {
      {"unquoted percentage", "<td width=50%>", WidthSy, 50, "50%"},
      {"quoted percentage", "<td width=\"50%\">", WidthSy, 50, "50%"},
      {"quoted number", "<td width='120'>", WidthSy, 120, "120"},
      {"bare BORDER is 1", "<table border>", BorderSy, 1, ""},
      {"BORDER with a word keeps 1", "<table border=yes>", BorderSy, 1, "yes"},
      {"quoted non-number is 0", "<table border=\"yes\">", BorderSy, 0, "yes"},
      {"signed", "<font size=+2>", SizeSy, 2, "+2"},
      {"negative", "<font size=-1>", SizeSy, -1, "-1"},
      {"number that overflows", "<td width=99999999999>", WidthSy, 0, "99999999999"},
      {"quoted: trimmed, line ends dropped, entities decoded",
       "<a href=\"  a\r\nb&amp;c&lt;  \">", HrefSy, 0, "ab&c<"},
      {"apostrophe holds a double quote", "<img alt='say \"hi\"'>", AltSy, 0, "say \"hi\""},
      {"unquoted word stops at blank and >", "<a href=x.html>", HrefSy, 0, "x.html"},
      {"unquoted value keeps entities as written", "<a href=a?b&amp;c>", HrefSy, 0,
       "a?b&amp;c"},
      {"blanks around =", "<a  href \r\n =  \"u\" >", HrefSy, 0, "u"},
      {"= before >", "<a href=>", HrefSy, 0, ""},
      {"unknown attribute", "<a onclick=\"f()\">", UnknownAttrSy, 0, "f()"},
      {"SELECTED attribute and tag share a symbol", "<option selected>", SelectedSy, 0, ""},
      {"1251 in a value", "<img alt=\"\xCF\xF0\xE8\xE2\xE5\xF2\">", AltSy, 0,
       "\xCF\xF0\xE8\xE2\xE5\xF2"},
  };
  for (const TAttrCase& c : cases) {
    THtmlTokenizer t;
    t.SetBufferSource(c.Tag.data(), c.Tag.size());
    t.GetCh();
    t.NextSymbol();
    ASSERT_EQ(t.Attributes.Count(), 1) << c.Name;
    const TAttribute* a = t.Attributes.Attribute(0);
    EXPECT_EQ(a->Which, c.Which) << c.Name;
    EXPECT_EQ(a->Value, c.Value) << c.Name;
    EXPECT_EQ(a->Name, c.Text) << c.Name;
    t.NextSymbol();
    EXPECT_EQ(t.Sy, EofSy) << c.Name << ": the tag must end at its '>'";
  }
}

TEST(HtmlTokenizer, AttributesAfterAPercentageAreRead) {
  std::string html = "<td width=50% align=center valign=top>x";
  THtmlTokenizer t;
  t.SetBufferSource(html.data(), html.size());
  t.GetCh();
  t.NextSymbol();
  TAttribute* a;
  ASSERT_TRUE(t.Attributes.Find(AlignSy, a));
  EXPECT_EQ(a->Name, "center");
  ASSERT_TRUE(t.Attributes.Find(VAlignSy, a));
  EXPECT_EQ(a->Name, "top");
  EXPECT_FALSE(t.Attributes.Find(HrefSy, a));
  EXPECT_EQ(a, nullptr);
  t.NextSymbol();
  EXPECT_EQ(t.LCToken, "x");
}

TEST(HtmlTokenizer, OnlySomeTagsKeepTheirAttributes) {
  std::string html = "<p align=right a=b><b class=x></p><html lang=ru><td>";
  THtmlTokenizer t;
  t.SetBufferSource(html.data(), html.size());
  t.GetCh();
  t.NextSymbol();
  EXPECT_EQ(t.Attributes.Count(), 2);
  // B, /P and HTML read their attributes and drop them: P's stay.
  for (Symb s : {BSy, PEndSy, HtmlSy}) {
    t.NextSymbol();
    EXPECT_EQ(t.Sy, s);
    EXPECT_EQ(t.Attributes.Count(), 2);
  }
  t.NextSymbol();
  EXPECT_EQ(t.Sy, TDSy);
  EXPECT_EQ(t.Attributes.Count(), 0);
}

TEST(HtmlTokenizer, EveryTagAndAttributeNameIsKnown) {
  const char* tags[] = {
      "HTML", "TITLE", "BODY", "HEAD", "B", "I", "H", "EM", "STRONG", "U", "CITE", "VAR",
      "TT", "CODE", "KBD", "SAMP", "OL", "UL", "DIR", "MENU", "DL", "A", "ADDRESS",
      "BLOCKQUOTE", "PRE", "CENTER", "TABLE", "TD", "TH", "CAPTION", "FORM", "TEXTAREA",
      "SELECT", "OPTION", "FONT", "SUB", "SUP", "BIG", "SMALL", "P", "MAP", "FRAMESET",
      "NOFRAMES", "SCRIPT", "DIV", "S", "STRIKE", "TR", "LI", "BR", "HR", "DD", "DT", "IMG",
      "BASE", "BUTTON", "INPUT", "SELECTED", "BASEFONT", "AREA", "FRAME", "PAGE"};
  for (int i = 0; i < 62; ++i) {
    std::string html = std::string("<") + tags[i] + "></" + tags[i] + ">";
    TToks toks = Tokens(html);
    ASSERT_EQ(toks.size(), 2u) << tags[i];
    EXPECT_EQ(toks[0].first, static_cast<Symb>(HtmlSy + i)) << tags[i];
    EXPECT_EQ(toks[1].first, i < 48 ? static_cast<Symb>(HtmlEndSy + i) : UnknownSy) << tags[i];
  }
  const char* attrs[] = {
      "HREF", "NAME", "SRC", "ALT", "ALIGN", "TEXT", "BGCOLOR", "LINK", "BACKGROUND",
      "COLSPAN", "ROWSPAN", "BORDER", "CELLPADDING", "CELLSPACING", "VALIGN", "WIDTH",
      "START", "VALUE", "TYPE", "CHECKBOX", "RADIO", "METHOD", "ACTION", "CHECKED", "SIZE",
      "MAXLENGTH", "COLS", "ROWS", "MULTIPLE", "SELECTED", "FACE", "COLOR", "TRANSP",
      "CLEAR", "ISMAP", "BORDERCOLOR", "USEMAP", "SHAPE", "COORDS", "NOHREF", "HEIGHT",
      "PLAIN", "TARGET", "NORESIZE", "SCROLLING", "HSPACE", "LANGUAGE", "FRAMEBORDER",
      "MARGINWIDTH", "MARGINHEIGHT"};
  std::string html = "<img";
  for (const char* a : attrs) html += std::string(" ") + a + "=1";
  THtmlTokenizer t;
  t.SetBufferSource(html.data(), html.size());
  t.GetCh();
  t.NextSymbol();
  ASSERT_EQ(t.Attributes.Count(), 50);
  for (int i = 0; i < 50; ++i) {
    Symb expected = i < 29 ? static_cast<Symb>(HrefSy + i)
                    : i == 29 ? SelectedSy
                              : static_cast<Symb>(FaceSy + i - 30);
    EXPECT_EQ(t.Attributes.Attribute(i)->Which, expected) << attrs[i];
  }
}

TEST(HtmlTokenizer, OpenCommentAtTheEndIsAParseError) {
  for (std::string html : {"x<!-- never closed", "<!DOCTYPE", "<!", "<!-- a -- b >",
                           "<!-", "<p>\r\n<!-- --"}) {
    THtmlTokenizer t;
    t.SetBufferSource(html.data(), html.size());
    try {
      Tokens(t);
      ADD_FAILURE() << html;
    } catch (const EParseError& e) {
      EXPECT_STREQ(e.what(), "Open Comment at End of HTML File");
    }
    // The reader stays at the end after the error.
    t.NextSymbol();
    EXPECT_EQ(t.Sy, EofSy);
  }
}

TEST(HtmlTokenizer, ScriptFlagLeavesCommentsAsText) {
  std::string html = "<!-- x";
  THtmlTokenizer t;
  t.SetBufferSource(html.data(), html.size());
  t.InScript = true;
  t.GetCh();
  t.NextScriptSymbol();
  EXPECT_EQ(t.Sy, UnknownSy);
  EXPECT_EQ(t.LCToken, "<");
  t.NextScriptSymbol();
  EXPECT_EQ(t.LCToken, "!-- x");
  t.NextScriptSymbol();
  EXPECT_EQ(t.Sy, EofSy);
}

// The same document through every source gives the same symbols, with or without a
// final line end.
TEST(HtmlTokenizer, EverySourceEndsCleanly) {
  for (std::string body : {std::string("<p align=center>Hello,\r\nworld &amp; all</p>"),
                           std::string(600, 'y') + "<br>\n" + std::string(300, 'z')}) {
    for (std::string ending : {"", "\r\n"}) {
      std::string html = body + ending;
      TToks expected = Tokens(html);

      THtmlTokenizer fromStream;
      TMemoryStream stream;
      stream.Write(html.data(), static_cast<int>(html.size()));
      stream.SetPosition(0);
      fromStream.SetStreamSource(&stream);
      EXPECT_EQ(Show(Tokens(fromStream)), Show(expected));

      std::string path = ::testing::TempDir() + "zx_html_tokenizer.htm";
      {
        TFileStream file(path, fmCreate);
        file.Write(html.data(), static_cast<int>(html.size()));
      }
      THtmlTokenizer fromFile;
      fromFile.SetFileSource(path);
      EXPECT_EQ(Show(Tokens(fromFile)), Show(expected));
      std::remove(path.c_str());

      // A string list has no line end after its last line; the text comes with one.
      TStringList lines;
      lines.SetText(html);
      THtmlTokenizer fromLines;
      fromLines.SetStringsSource(&lines);
      TToks got = Tokens(fromLines);
      TToks withEnd = Tokens(html + (ending.empty() ? "\r\n" : ""));
      EXPECT_EQ(Show(got), Show(withEnd));
    }
  }
  THtmlTokenizer empty;
  TStringList none;
  empty.SetStringsSource(&none);
  EXPECT_TRUE(Tokens(empty).empty());
  empty.SetBufferSource(nullptr, 0);
  EXPECT_TRUE(Tokens(empty).empty());
}

TEST(HtmlTokenizer, MissingFileIsAnIOError) {
  THtmlTokenizer t;
  EXPECT_THROW(t.SetFileSource(::testing::TempDir() + "zx_no_such_page.htm"), EInOutError);
}

TEST(HtmlTokenizer, TextAreaContents) {
  std::string html = "line 1\r\n<b>bold</b> & <\r\n\r\nlast</TEXTAREA >after";
  THtmlTokenizer t;
  t.SetBufferSource(html.data(), html.size());
  t.GetCh();
  std::vector<std::string> lines;
  t.ReadTextAreaContent([&](const std::string& L) { lines.push_back(L); });
  EXPECT_EQ(lines, (std::vector<std::string>{"line 1", "<b>bold</b> & <", "", "last"}));
  t.NextSymbol();
  EXPECT_EQ(t.LCToken, "after");
}

TEST(HtmlTokenizer, TextAreaWithoutItsEndTag) {
  std::string html = "a\r\n<" + std::string(1000, 'q');
  THtmlTokenizer t;
  t.SetBufferSource(html.data(), html.size());
  t.GetCh();
  std::vector<std::string> lines;
  t.ReadTextAreaContent([&](const std::string& L) { lines.push_back(L); });
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "<" + std::string(1000, 'q'));
  t.NextSymbol();
  EXPECT_EQ(t.Sy, EofSy);
}

TEST(HtmlTokenizer, ScriptContents) {
  std::string html = "if (a<b) x();\r\n</SCRIPT><b>";
  THtmlTokenizer t;
  t.SetBufferSource(html.data(), html.size());
  t.InScript = true;
  t.GetCh();
  TToks toks;
  for (;;) {
    t.NextScriptSymbol();
    toks.emplace_back(t.Sy, t.LCToken);
    if (t.Sy == ScriptEndSy || t.Sy == EofSy) break;
  }
  EXPECT_EQ(Show(toks), Show({{TextSy, "if (a"}, {UnknownSy, "<b"}, {TextSy, ") x();"},
                              {EolSy, ""}, {ScriptEndSy, "</SCRIPT>"}}));
  t.InScript = false;
  t.NextSymbol();
  EXPECT_EQ(t.Sy, BSy);
}

TEST(HtmlTokenizer, HostileInputs) {
  // A huge attribute value is kept whole; the tag still ends at its '>'.
  std::string big(1 << 20, '\xE9');
  std::string html = "<img alt=\"" + big + "\" src=x>t";
  THtmlTokenizer t;
  t.SetBufferSource(html.data(), html.size());
  t.GetCh();
  t.NextSymbol();
  ASSERT_EQ(t.Attributes.Count(), 2);
  EXPECT_EQ(t.Attributes.Attribute(0)->Name, big);
  t.NextSymbol();
  EXPECT_EQ(t.LCToken, "t");

  // Deep nesting and long names cost nothing but time: no stack, bounded tokens.
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<table><td><!-- c -->";
  EXPECT_EQ(Tokens(deep).size(), 200000u);
  std::string longName = "<" + std::string(5000, 'X') + " " + std::string(5000, 'Y') + "=1>";
  EXPECT_EQ(Show(Tokens(longName)), Show({{UnknownSy, ""}}));

  // Every byte value, alone and after each construct, ends at the end of input.
  for (const char* prefix : {"", "<", "</", "&", "&#", "<a href=", "<a href=\"", "<!--"}) {
    for (int b = 0; b < 256; ++b) {
      std::string s = std::string(prefix) + static_cast<char>(b);
      THtmlTokenizer h;
      h.SetBufferSource(s.data(), s.size());
      try {
        Tokens(h);
      } catch (const EParseError&) {
      }
    }
  }
}

}  // namespace
