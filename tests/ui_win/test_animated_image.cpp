// The strip animator and the GIF animator: frame geometry, the order of frames, the delays
// of GIF frames, and a non-looping animation that stops at its first frame.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "classlib/win/bitmap.h"
#include "classlib/win/forms.h"
#include "tests/support/form_test.h"
#include "tests/support/wait_for.h"
#include "ui/animated_image.h"

namespace {


std::unique_ptr<TBitmap> Strip(int W, int H) {
  auto B = std::make_unique<TBitmap>();
  B->SetPixelFormat(pf24bit);
  B->SetSize(W, H);
  return B;
}

std::unique_ptr<TBitmap> Solid(int W, int H, TColor C) {
  auto B = Strip(W, H);
  B->Canvas()->Brush()->SetColor(C);
  B->Canvas()->FillRect(TRect(0, 0, W, H));
  return B;
}

struct Animated : ::testing::Test {
  std::unique_ptr<TForm> Form{CreateForm<TForm>(nullptr)};
  void SetUp() override {
    Form->SetBounds(100, 100, 300, 200);
    Form->Show();
    PumpMessages();
  }
  void TearDown() override { Form->Hide(); }
};

}  // namespace

TEST_F(Animated, StripGeometry) {
  auto* A = new TAnimatedImage(Form.get());
  A->SetParent(Form.get());
  struct {
    int W, H;
    TGlyphOrientation O;
    int Frames, FW, FH;
  } Cases[] = {
      {400, 50, goHorizontal, 8, 50, 50},
      {400, 60, goHorizontal, 1, 400, 60},
      {50, 400, goVertical, 8, 50, 50},
      {50, 400, goHorizontal, 1, 50, 400},
  };
  for (const auto& C : Cases) {
    A->SetOrientation(C.O);
    auto B = Strip(C.W, C.H);
    A->SetGlyph(B.get());
    EXPECT_EQ(A->NumGlyphs(), C.Frames) << C.W << "x" << C.H;
    EXPECT_EQ(A->FrameWidth(), C.FW);
    EXPECT_EQ(A->FrameHeight(), C.FH);
    // AutoSize: the control takes one frame's size.
    EXPECT_EQ(A->Width(), C.FW);
    EXPECT_EQ(A->Height(), C.FH);
  }
  A->SetOrientation(goHorizontal);
  auto B = Strip(400, 50);
  A->SetGlyph(B.get());
  A->SetGlyphNum(9);
  EXPECT_EQ(A->GlyphNum(), 0);
  A->SetInactiveGlyph(8);
  EXPECT_EQ(A->InactiveGlyph(), -1);
  A->SetInactiveGlyph(3);
  A->SetNumGlyphs(3);
  EXPECT_EQ(A->InactiveGlyph(), -1);
}

TEST_F(Animated, RunningStripSkipsTheInactiveFrame) {
  auto* A = new TAnimatedImage(Form.get());
  A->SetParent(Form.get());
  auto B = Solid(200, 50, clRed);
  A->SetGlyph(B.get());
  ASSERT_EQ(A->NumGlyphs(), 4);
  A->SetInactiveGlyph(0);
  A->SetInterval(10);
  std::vector<int> Shown;
  A->OnFrameChanged = [&](TObject*) { Shown.push_back(A->GlyphNum()); };
  int Starts = 0, Stops = 0;
  A->OnStart = [&](TObject*) { ++Starts; };
  A->OnStop = [&](TObject*) { ++Stops; };
  A->SetActive(true);
  EXPECT_TRUE(A->Active());
  ASSERT_TRUE(WaitFor([&] { return Shown.size() >= 6; }));
  A->SetActive(false);
  Shown.resize(6);
  EXPECT_EQ(Shown, (std::vector<int>{1, 2, 3, 1, 2, 3}));
  EXPECT_EQ(Starts, 1);
  EXPECT_EQ(Stops, 1);
  EXPECT_FALSE(A->Active());
}

TEST_F(Animated, GifDelaysAndNoLoop) {
  TGIFImage Gif;
  TColor Colours[] = {clRed, clLime, clBlue};
  for (TColor C : Colours) {
    auto B = Solid(16, 16, C);
    Gif.AddFrame(B.get());
  }
  Gif.Frames(0)->SetAnimateInterval(0);
  Gif.Frames(1)->SetAnimateInterval(60);
  Gif.Frames(2)->SetAnimateInterval(200000);
  auto* G = new TRxGIFAnimator(Form.get());
  G->SetParent(Form.get());
  G->SetImage(&Gif);
  EXPECT_EQ(G->Width(), 16);
  struct {
    int Index;
    unsigned Delay;
  } Delays[] = {{0, 50}, {1, 60}, {2, 10000}};
  for (const auto& D : Delays) {
    G->SetFrameIndex(D.Index);
    EXPECT_EQ(G->FrameDelay(), D.Delay) << D.Index;
    EXPECT_EQ(G->Timer()->Interval(), D.Delay);
  }
  G->Image()->Frames(2)->SetAnimateInterval(70);
  G->SetFrameIndex(0);
  G->SetLoop(false);
  std::vector<int> Shown;
  G->OnFrameChanged = [&](TObject*) { Shown.push_back(G->FrameIndex()); };
  G->SetAnimate(true);
  ASSERT_TRUE(WaitFor([&] { return !G->Animate(); }));
  EXPECT_EQ(Shown, (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(G->FrameIndex(), 0);
  // The control shows frame 0 again.
  G->Repaint();
  HDC DC = GetDC(Form->Handle());
  EXPECT_EQ(GetPixel(DC, G->Left() + 8, G->Top() + 8) & 0xFFFFFF, 0x0000FFu);
  ReleaseDC(Form->Handle(), DC);
}

TEST_F(Animated, RealAnimatedGif) {
  TGIFImage Gif;
  Gif.LoadFromFile(std::string(ZX_UI_FIXTURES) + "/frames.gif");
  ASSERT_GE(Gif.Count(), 2);
  auto* G = new TRxGIFAnimator(Form.get());
  G->SetParent(Form.get());
  G->SetImage(&Gif);
  G->SetLoop(false);
  std::vector<std::pair<int, unsigned>> Shown;
  G->OnFrameChanged = [&](TObject*) { Shown.push_back({G->FrameIndex(), G->Timer()->Interval()}); };
  G->SetAnimate(true);
  ASSERT_TRUE(WaitFor([&] { return !G->Animate(); }));
  ASSERT_EQ(int(Shown.size()), Gif.Count());
  for (int I = 0; I < Gif.Count(); ++I) EXPECT_EQ(Shown[I].first, (I + 1) % Gif.Count());
  // The timer is set from each frame's delay as it is shown: the interval of the last
  // frame change is still the one before it, set when it came.
  EXPECT_EQ(G->FrameIndex(), 0);
  EXPECT_EQ(G->Timer()->Interval(), unsigned(std::clamp(Gif.Frames(0)->AnimateInterval(), 50, 10000)));
}

TEST_F(Animated, SingleFrameGifHasNoDelay) {
  TGIFImage Gif;
  auto B = Solid(8, 8, clRed);
  Gif.AddFrame(B.get());
  auto* G = new TRxGIFAnimator(Form.get());
  G->SetParent(Form.get());
  G->SetImage(&Gif);
  EXPECT_EQ(G->FrameDelay(), 0u);
  G->SetAnimate(true);
  EXPECT_EQ(G->Timer()->Interval(), 0u);
  G->SetAnimate(false);
}
