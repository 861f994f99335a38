// Three pages rendered by the GDI host into bitmaps saved as PNG files, for looking at
// what the viewer shows; the checks make sure that each really drew its parts.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "html/core/html_parser.h"
#include "html/gdi_host.h"
#include "tests/html_win/bitmap_target.h"
#include "tests/html/bmp_fixture.h"
#include "tests/support/png_writer.h"
#include "tests/support/screenshot.h"

namespace {

// A W x H picture: the colour from half to full brightness, left to right.
std::vector<std::uint8_t> Bmp(int W, int H, int R, int G, int B) {
  return Bmp24Of(W, H, [=](int X, int) {
    int f = 128 + 127 * X / std::max(W - 1, 1);
    return std::uint32_t(R * f / 255) << 16 | std::uint32_t(G * f / 255) << 8 | std::uint32_t(B * f / 255);
  });
}

struct TRendered {
  TBitmapTarget Bitmap{640, 400};
  TSectionList Doc{nullptr};
  explicit TRendered(const std::string& Html) {
    TGdiHost host(Bitmap.DC);
    Doc.Host = &host;
    Doc.SetFonts("Times New Roman", "Courier New", 12, clBlack, TColor(0xFF0000), clWhite);
    Doc.HasBgColorFill = true;
    Doc.OnImageRequest = [](const std::string& Source, std::vector<std::uint8_t>& Data) {
      if (Source == "red.bmp") Data = Bmp(60, 40, 255, 40, 40);
      else if (Source == "blue.bmp") Data = Bmp(80, 50, 40, 80, 255);
      else if (Source == "green.bmp") Data = Bmp(30, 30, 40, 200, 40);
      return !Data.empty();
    };
    THtmlParser parser(Doc);
    parser.ParseHTMLBuffer(Html.data(), Html.size());
    Doc.LayOut(host, Bitmap.Width - 16);
    // The page's margin, as a viewer leaves one.
    host.FillRect({0, 0, Bitmap.Width, Bitmap.Height}, Doc.Background);
    Doc.ScrollY = -8;
    Doc.HasBgColorFill = false;
    SetViewportOrgEx(Bitmap.DC, 8, 0, nullptr);
    Doc.DrawDocument(host, {0, 0, Bitmap.Width, Bitmap.Height});
    SetViewportOrgEx(Bitmap.DC, 0, 0, nullptr);
    Doc.Host = nullptr;
  }
};

}  // namespace

TEST(HtmlPages, TextWithFontsAndColours) {
  TRendered page(
      "<HTML><HEAD><TITLE>Text</TITLE></HEAD><BODY BGCOLOR=\"#FFFFF0\" TEXT=\"#202020\" LINK=\"#0000C0\">"
      "<H1 ALIGN=center>Zembrix Browser</H1>"
      "<P>Plain text, <B>bold</B>, <I>italic</I>, <U>underlined</U> and <TT>typewriter</TT> words flow "
      "into lines that break between words at the width of the page, as text does in any browser.</P>"
      "<P><FONT COLOR=red SIZE=+2>Large red</FONT> <FONT COLOR=green SIZE=2>small green</FONT> "
      "<A HREF=\"next.htm\">a link</A> and \xD0\xF3\xF1\xF1\xEA\xE8\xE9 \xF2\xE5\xEA\xF1\xF2.</P>"
      "<HR WIDTH=80%><UL><LI>First item<LI>Second item<OL TYPE=I><LI>Nested one<LI>Nested two</OL></UL>"
      "<PRE>Preformatted   text\n  keeps its   blanks</PRE></BODY></HTML>");
  page.Bitmap.Save("html_page_text.png");
  EXPECT_GT(page.Bitmap.Count(0xFFFFF0), 100000);  // the page's own background
  EXPECT_GT(page.Bitmap.Count(0xFF0000), 30);       // red text
  EXPECT_GT(page.Bitmap.Count(0x0000C0), 10);       // the link colour
}

TEST(HtmlPages, TableWithBordersAndColours) {
  TRendered page(
      "<H3>A table</H3><TABLE BORDER=1 CELLPADDING=4 CELLSPACING=2 WIDTH=90% BGCOLOR=\"#E0E0FF\">"
      "<CAPTION>Monthly figures</CAPTION>"
      "<TR BGCOLOR=\"#D0F0D0\"><TH>Month<TH>Files<TH>Size</TR>"
      "<TR><TD>January<TD ALIGN=right>120<TD ALIGN=right>3.5 MB</TR>"
      "<TR><TD BGCOLOR=yellow>February<TD ALIGN=right>98<TD ALIGN=right ROWSPAN=2 VALIGN=middle>both: 7 MB</TR>"
      "<TR><TD>March<TD ALIGN=right>131</TR>"
      "<TR><TD COLSPAN=3 ALIGN=center>Total: 349 files</TR></TABLE><P>After the table.");
  page.Bitmap.Save("html_page_table.png");
  EXPECT_GT(page.Bitmap.Count(0xFFFF00), 200);  // the yellow cell
  EXPECT_GT(page.Bitmap.Count(0xE0E0FF), 2000); // the table's colour in its cells
  EXPECT_GT(page.Bitmap.Count(0xD0F0D0), 500);  // the header row's own colour
}

TEST(HtmlPages, ImagesWithAlign) {
  TRendered page(
      "<H3>Images</H3><IMG SRC=red.bmp ALIGN=left>A left-aligned image lets the text flow on its right side "
      "line after line until the text passes below the image, where the lines take the full width again."
      "<BR CLEAR=left><P><IMG SRC=blue.bmp ALIGN=right>The right-aligned picture stands at the right edge "
      "and this text wraps on its left.<BR CLEAR=all><P>Inline: top <IMG SRC=green.bmp ALIGN=top> middle "
      "<IMG SRC=green.bmp ALIGN=middle> bottom <IMG SRC=green.bmp> and a missing one "
      "<IMG SRC=none.gif ALT=\"No picture\" WIDTH=90 HEIGHT=30>.");
  page.Bitmap.Save("html_page_images.png");
  // Red at the left edge, blue at the right edge.
  bool redLeft = false, blueRight = false;
  for (int y = 0; y < 400; ++y) {
    std::uint32_t l = page.Bitmap.Pixel(60, y), r = page.Bitmap.Pixel(620, y);
    redLeft = redLeft || ((l >> 16) > 200 && (l & 0xFF) < 100);
    blueRight = blueRight || ((r & 0xFF) > 200 && (r >> 16) < 100);
  }
  EXPECT_TRUE(redLeft);
  EXPECT_TRUE(blueRight);
}
