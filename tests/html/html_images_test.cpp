#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "html/core/fixed_metrics_host.h"
#include "html/core/html_parser.h"
#include "html/core/image_loader.h"
#include "tests/html/bmp_fixture.h"
#include "ui/core/gif_codec.h"

namespace {

// A W x H 24-bit BMP, all one colour.
TBytes Bmp(int W, int H) { return SolidBmp(W, H, 0x808080); }

TBytes AnimatedGif() {
  TBytes b = {'G', 'I', 'F', '8', '9', 'a'};
  Put16(b, 4);
  Put16(b, 2);
  b.insert(b.end(), {0x80, 0, 0, 255, 0, 0, 0, 0, 255});
  for (int frame = 0; frame < 2; ++frame) {
    b.push_back(0x2C);
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, 4);
    Put16(b, 2);
    b.push_back(0);
    std::vector<std::uint8_t> pixels(8, std::uint8_t(frame));
    TBytes lzw = GIFEncodePixels(pixels.data(), 4, 2, 1);
    b.insert(b.end(), lzw.begin(), lzw.end());
  }
  b.push_back(0x3B);
  return b;
}

struct TImagePage {
  TFixedMetricsHost Host;
  TSectionList Doc{&Host};
  std::map<std::string, int> Requests;
  TImagePage(const std::string& Html, int Width = 600) {
    ImageCache().Clear();
    Doc.OnImageRequest = [this](const std::string& Source, TBytes& Data) {
      ++Requests[Source];
      if (Source.find("wide") != std::string::npos) Data = Bmp(40, 20);
      else if (Source.find("anim") != std::string::npos) Data = AnimatedGif();
      else if (Source.find("zero") != std::string::npos) Data = Bmp(0, 0);
      return !Data.empty();
    };
    THtmlParser parser(Doc);
    parser.ParseHTMLBuffer(Html.data(), Html.size());
    Doc.LayOut(Host, Width);
  }
  TImageObj* Image(int I) {
    auto* s = static_cast<TSection*>(Doc.Block(0));
    return static_cast<TImageObj*>(s->Images.Items(I));
  }
};

}  // namespace

TEST(HtmlImages, SizesFromTheAttributesAndThePicture) {
  struct {
    const char* Tag;
    int W, H;
  } cases[] = {
      {"<IMG SRC=wide.bmp>", 40, 20},
      {"<IMG SRC=wide.bmp WIDTH=80>", 80, 40},
      {"<IMG SRC=wide.bmp HEIGHT=10>", 20, 10},
      {"<IMG SRC=wide.bmp WIDTH=10 HEIGHT=30>", 10, 30},
      {"<IMG SRC=wide.bmp WIDTH=50%>", 300, 20},
      {"<IMG SRC=zero.bmp WIDTH=10>", 10, 24},        // no picture: the ALT box; no division by 0
      {"<IMG SRC=missing.png ALT=\"abc\">", 24 + 2 + 21, 24},
      {"<A HREF=x><IMG SRC=wide.bmp></A>", 42, 22},  // the link border
  };
  for (const auto& c : cases) {
    TImagePage page(c.Tag);
    EXPECT_EQ(page.Image(0)->ImageWidth, c.W) << c.Tag;
    EXPECT_EQ(page.Image(0)->ImageHeight, c.H) << c.Tag;
  }
}

TEST(HtmlImages, OneSourceInTwoSpellingsIsFetchedOnce) {
  TImagePage page("<IMG SRC=\"wide.bmp\"><IMG SRC=\" WIDE.BMP \">");
  EXPECT_EQ(page.Requests.size(), 1u);
  EXPECT_EQ(page.Image(0)->Picture, page.Image(1)->Picture);
  EXPECT_EQ(ImageCache().Item(ImageCache().IndexOf("wide.bmp")).Usage, 2);
  page.Doc.Clear();
  EXPECT_EQ(ImageCache().Item(ImageCache().IndexOf("wide.bmp")).Usage, 0);
  ImageCache().SetCacheLimit(0);
  ImageCache().AgeAndPurge();
  EXPECT_EQ(ImageCache().Count(), 0);
  ImageCache().SetCacheLimit(4);
}

TEST(HtmlImages, AlignedImagesAndDrawing) {
  TImagePage page("<IMG SRC=wide.bmp ALIGN=right>text <IMG SRC=wide.bmp ALIGN=middle> end", 200);
  auto* s = static_cast<TSection*>(page.Doc.Block(0));
  ASSERT_EQ(s->Lines.size(), 1u);
  // The right float leaves 200 - 40 - 5 for the line; the middle image raises the line.
  EXPECT_EQ(page.Image(0)->FloatX, 160 - 5 + 5);
  EXPECT_EQ(s->Lines[0].SpaceAbove, 2);
  EXPECT_EQ(s->Lines[0].SpaceBelow, 2);
  page.Host.Log.clear();
  page.Doc.DrawDocument(page.Host, {0, 0, 200, 200});
  std::vector<std::string> pictures;
  for (const auto& l : page.Host.Log)
    if (l.rfind("picture", 0) == 0) pictures.push_back(l);
  std::vector<std::string> expected = {"picture 40x20 at 160,0,40,20", "picture 40x20 at 35,0,40,20"};
  EXPECT_EQ(pictures, expected);
}

TEST(HtmlImages, AnimatedGifsAnimateApart) {
  TImagePage page("<IMG SRC=anim.gif><IMG SRC=anim.gif>");
  ASSERT_NE(page.Image(0)->Anim, nullptr);
  ASSERT_NE(page.Image(1)->Anim, nullptr);
  EXPECT_NE(page.Image(0)->Anim.get(), page.Image(1)->Anim.get());
  EXPECT_EQ(page.Doc.AnimatedImages.size(), 2u);
  page.Doc.StartAnimations(0);
  page.Doc.DrawDocument(page.Host, {0, 0, 600, 600});
  std::vector<THtmlRect> invalid;
  EXPECT_FALSE(page.Doc.AnimationStep(50, invalid));  // the first step starts the clock
  page.Image(1)->Anim->Drawn = false;                 // scrolled out of the last paint
  EXPECT_TRUE(page.Doc.AnimationStep(100, invalid));
  ASSERT_EQ(invalid.size(), 1u);
  EXPECT_EQ(page.Image(0)->Anim->Composition().Pixel(0, 0), 0xFF0000FFu);
  EXPECT_EQ(page.Image(1)->Anim->Composition().Pixel(0, 0), 0xFFFF0000u);
  page.Doc.Printing = true;
  EXPECT_FALSE(page.Doc.AnimationStep(1000, invalid));
}
