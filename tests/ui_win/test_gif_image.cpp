// TGIFImage through TPicture: loaded by extension, drawn on a bitmap, saved and reloaded.
#include <gtest/gtest.h>

#include <memory>

#include "classlib/core/stream.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/picture.h"
#include "ui/gif_image.h"

namespace {

std::string Fixture(const char* Name) { return std::string(ZX_UI_FIXTURES) + "/" + Name; }

std::unique_ptr<TBitmap> Canvas(int W, int H, TColor Fill) {
  auto B = std::make_unique<TBitmap>();
  B->SetPixelFormat(pf24bit);
  B->SetSize(W, H);
  B->Canvas()->Brush()->SetColor(Fill);
  B->Canvas()->FillRect(TRect(0, 0, W, H));
  return B;
}

struct GifImage : ::testing::Test {
  void SetUp() override { RegisterGIFImage(); }
};

}  // namespace

TEST_F(GifImage, LoadedByExtensionAndDrawnTransparently) {
  TPicture P;
  P.LoadFromFile(Fixture("transparent.gif"));
  auto* G = dynamic_cast<TGIFImage*>(P.Graphic());
  ASSERT_NE(G, nullptr);
  EXPECT_EQ(G->Width(), 20);
  EXPECT_EQ(G->Count(), 1);
  EXPECT_TRUE(G->Transparent());
  EXPECT_NE(G->Frames(0)->TransparentColor(), clNone);
  auto B = Canvas(20, 20, clBlue);
  B->Canvas()->Draw(0, 0, G);
  EXPECT_EQ(B->Canvas()->Pixels(0, 0), clBlue);    // transparent corner left unpainted
  EXPECT_EQ(B->Canvas()->Pixels(10, 10), clRed);   // the disc
  // Not transparent: the corner gets the frame's own colour.
  G->SetTransparent(false);
  auto C = Canvas(20, 20, clBlue);
  C->Canvas()->Draw(0, 0, G);
  EXPECT_NE(C->Canvas()->Pixels(0, 0), clBlue);
}

TEST_F(GifImage, FramesAndStretchedDraw) {
  TPicture P;
  P.LoadFromFile(Fixture("frames.gif"));
  auto* G = dynamic_cast<TGIFImage*>(P.Graphic());
  ASSERT_NE(G, nullptr);
  EXPECT_EQ(G->Count(), 3);
  EXPECT_EQ(G->FrameIndex(), 0);
  EXPECT_EQ(G->Frames(1)->AnimateInterval(), 300);
  EXPECT_EQ(G->Frames(1)->Width(), 5);
  EXPECT_TRUE(G->Looping());
  auto B = Canvas(24, 20, clBlack);
  B->Canvas()->StretchDraw(TRect(0, 0, 24, 20), G);
  EXPECT_EQ(B->Canvas()->Pixels(23, 19), clGreen);
  G->SetFrameIndex(1);
  B->Canvas()->StretchDraw(TRect(0, 0, 24, 20), G);
  EXPECT_EQ(B->Canvas()->Pixels(0, 0), clYellow);
  EXPECT_THROW(G->SetWidth(5), EInvalidGraphic);
}

TEST_F(GifImage, MalformedFileLeavesThePicture) {
  TPicture P;
  P.LoadFromFile(Fixture("mono1.gif"));
  ASSERT_NE(P.Graphic(), nullptr);
  TGIFImage G;
  G.LoadFromFile(Fixture("frames.gif"));
  const char Data[] = "GIF89a\x02\x00\x02\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\x33";
  TStringStream Bad(std::string(Data, sizeof Data - 1));
  try {
    G.LoadFromStream(&Bad);
    FAIL();
  } catch (const EInvalidGraphic& E) {
    EXPECT_NE(std::string(E.what()).find("GIF: 33"), std::string::npos);
  }
  EXPECT_EQ(G.Count(), 3);
  TStringStream NotGif("PNG...........");
  EXPECT_THROW(G.LoadFromStream(&NotGif), EInvalidGraphic);
  EXPECT_EQ(G.Count(), 3);
}

TEST_F(GifImage, AddFrameSaveAndReload) {
  TGIFImage G;
  auto A = Canvas(6, 4, clRed);
  auto B = Canvas(6, 4, clLime);
  B->Canvas()->SetPixels(1, 1, clBlue);
  EXPECT_EQ(G.AddFrame(A.get()), 0);
  EXPECT_EQ(G.Version(), gv87a);
  EXPECT_EQ(G.AddFrame(B.get()), 1);
  EXPECT_EQ(G.Version(), gv89a);
  G.Frames(1)->SetAnimateInterval(250);
  G.SetLooping(true);
  G.Comment()->Add("made here");
  TMemoryStream S;
  G.SaveToStream(&S);
  S.SetPosition(0);
  TGIFImage R;
  R.LoadFromStream(&S);
  ASSERT_EQ(R.Count(), 2);
  EXPECT_EQ(R.ScreenWidth(), 6);
  EXPECT_EQ(R.Frames(1)->AnimateInterval(), 250);
  EXPECT_TRUE(R.Looping());
  ASSERT_EQ(R.Comment()->Count(), 1);
  EXPECT_EQ((*R.Comment())[0], "made here");
  EXPECT_EQ(R.Frames(0)->Bitmap()->Canvas()->Pixels(3, 3), clRed);
  EXPECT_EQ(R.Frames(1)->Bitmap()->Canvas()->Pixels(1, 1), clBlue);
  EXPECT_EQ(R.Frames(1)->Bitmap()->Canvas()->Pixels(2, 2), clLime);
  // Form data: the length first.
  TMemoryStream D;
  R.WriteData(&D);
  D.SetPosition(0);
  TGIFImage Back;
  Back.ReadData(&D);
  EXPECT_EQ(Back.Count(), 2);
  TGIFImage Empty;
  TMemoryStream E;
  EXPECT_THROW(Empty.SaveToStream(&E), EInvalidGraphic);
  EXPECT_TRUE(Empty.Empty());
}
