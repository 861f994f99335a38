#include <gtest/gtest.h>

#include <vector>

#include "html/core/fixed_metrics_host.h"
#include "html/core/gif_anim.h"
#include "ui/core/gif_codec.h"

namespace {

// Global colours: 0 black, 1 red, 2 green, 3 blue.
constexpr std::uint32_t Black = 0xFF000000, Red = 0xFFFF0000, Green = 0xFF00FF00, Blue = 0xFF0000FF, None = 0;

struct TFrameSpec {
  int Left, Top, Width, Height;
  std::vector<std::uint8_t> Pixels;  // one index a pixel; empty: all index Fill
  int Fill = 0;
  int Disposal = 0;
  int Delay = 0;          // hundredths of a second
  int Transparent = -1;   // index, -1 none
  bool Control = true;    // write a graphic control extension
};

void Put16(std::vector<std::uint8_t>& B, int V) {
  B.push_back(std::uint8_t(V));
  B.push_back(std::uint8_t(V >> 8));
}

std::vector<std::uint8_t> MakeGif(int W, int H, const std::vector<TFrameSpec>& Frames, int Loop = -1) {
  std::vector<std::uint8_t> b = {'G', 'I', 'F', '8', '9', 'a'};
  Put16(b, W);
  Put16(b, H);
  b.insert(b.end(), {0x81, 0, 0});  // global table of 4 entries
  b.insert(b.end(), {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255});
  if (Loop >= 0) {
    b.insert(b.end(), {0x21, 0xFF, 11});
    for (char c : std::string("NETSCAPE2.0")) b.push_back(std::uint8_t(c));
    b.insert(b.end(), {3, 1});
    Put16(b, Loop);
    b.push_back(0);
  }
  for (const TFrameSpec& f : Frames) {
    if (f.Control) {
      b.insert(b.end(), {0x21, 0xF9, 4, std::uint8_t(f.Disposal << 2 | (f.Transparent >= 0 ? 1 : 0))});
      Put16(b, f.Delay);
      b.insert(b.end(), {std::uint8_t(f.Transparent >= 0 ? f.Transparent : 0), 0});
    }
    b.push_back(0x2C);
    Put16(b, f.Left);
    Put16(b, f.Top);
    Put16(b, f.Width);
    Put16(b, f.Height);
    b.push_back(0);
    std::vector<std::uint8_t> pixels = f.Pixels;
    if (pixels.empty()) pixels.assign(std::size_t(f.Width) * f.Height, std::uint8_t(f.Fill));
    std::vector<std::uint8_t> lzw = GIFEncodePixels(pixels.data(), f.Width, f.Height, 4);
    b.insert(b.end(), lzw.begin(), lzw.end());
  }
  b.push_back(0x3B);
  return b;
}

std::unique_ptr<TGifAnimImage> Load(const std::vector<std::uint8_t>& Data, bool* NonAnimated = nullptr) {
  bool non = false;
  auto image = TGifAnimImage::CreateFromData(Data.data(), Data.size(), non);
  if (NonAnimated) *NonAnimated = non;
  return image;
}

}  // namespace

TEST(GifAnim, StillImagesAndNonGifsAreDeclined) {
  bool non = false;
  EXPECT_EQ(Load(MakeGif(2, 2, {{0, 0, 2, 2, {}, 1}}), &non), nullptr);
  EXPECT_TRUE(non);
  std::vector<std::uint8_t> text = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(Load(text, &non), nullptr);
  EXPECT_TRUE(non);
  auto image = Load(MakeGif(2, 2, {{0, 0, 2, 2, {}, 1}, {0, 0, 2, 2, {}, 2}}), &non);
  ASSERT_NE(image, nullptr);
  EXPECT_FALSE(non);
  EXPECT_EQ(image->NumFrames, 2);
  EXPECT_EQ(image->LoopCount, 1);
  EXPECT_EQ(image->Composition().Pixel(1, 1), Red);
}

TEST(GifAnim, DisposalComposesRight) {
  // A 4x1 screen: frame 1 fills it red; frame 2 (disposal given) paints green at x 1..2;
  // frame 3 paints blue at x 3 and shows what the disposal of frame 2 left.
  struct {
    int Disposal;
    std::uint32_t After[4];
  } cases[] = {
      {1, {Red, Green, Green, Blue}},
      {2, {Red, Black, Black, Blue}},
      {3, {Red, Red, Red, Blue}},
  };
  for (const auto& c : cases) {
    auto image = Load(MakeGif(4, 1, {{0, 0, 4, 1, {}, 1}, {1, 0, 2, 1, {}, 2, c.Disposal}, {3, 0, 1, 1, {}, 3}}));
    ASSERT_NE(image, nullptr);
    image->SetCurrentFrame(2);
    EXPECT_EQ(image->Composition().Pixel(1, 0), Green);
    image->SetCurrentFrame(3);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(image->Composition().Pixel(x, 0), c.After[x]) << c.Disposal << " x=" << x;
  }
}

TEST(GifAnim, TransparentFramesShowWhatIsUnder) {
  // Frame 1 is red with a transparent middle pixel; disposal 2 of a transparent image
  // clears to transparent, not black.
  auto image = Load(MakeGif(3, 1, {{0, 0, 3, 1, {1, 0, 1}, 0, 2, 0, 0}, {0, 0, 1, 1, {}, 3}}));
  ASSERT_NE(image, nullptr);
  EXPECT_TRUE(image->Transparent);
  EXPECT_EQ(image->Composition().Pixel(1, 0), None);
  EXPECT_EQ(image->Composition().Pixel(2, 0), Red);
  image->SetCurrentFrame(2);
  EXPECT_EQ(image->Composition().Pixel(0, 0), Blue);
  EXPECT_EQ(image->Composition().Pixel(2, 0), None);
}

TEST(GifAnim, TimingAndLoops) {
  // Delay 0 advances at every 50 ms tick of the document's timer; a play-once animation
  // ends on its last frame; a loop count of 2 plays twice; 0 plays on.
  struct {
    int Loop;  // -1: no NETSCAPE block (play once)
    int Ticks;
    bool Running;
    std::uint32_t Shown;
  } cases[] = {
      {-1, 3, false, Blue}, {-1, 2, true, Green}, {2, 6, false, Blue}, {2, 5, true, Green}, {0, 40, true, 0},
  };
  for (const auto& c : cases) {
    auto image = Load(MakeGif(1, 1, {{0, 0, 1, 1, {}, 1}, {0, 0, 1, 1, {}, 2}, {0, 0, 1, 1, {}, 3}}, c.Loop));
    ASSERT_NE(image, nullptr);
    std::uint32_t now = 1000;
    image->SetAnimate(true, now);
    int changes = 0;
    for (int i = 0; i < c.Ticks; ++i) changes += image->CheckTime(now += 50);
    EXPECT_EQ(image->Animate(), c.Running) << c.Loop << "/" << c.Ticks;
    EXPECT_EQ(changes, c.Ticks - 1) << c.Loop << "/" << c.Ticks;
    if (c.Shown) {
      EXPECT_EQ(image->Composition().Pixel(0, 0), c.Shown) << c.Loop << "/" << c.Ticks;
    }
  }
}

TEST(GifAnim, DelaysAndStopping) {
  auto image = Load(MakeGif(1, 1, {{0, 0, 1, 1, {}, 1, 0, 20}, {0, 0, 1, 1, {}, 2, 0, 10}}, 0));
  ASSERT_NE(image, nullptr);
  image->SetAnimate(true, 0);
  EXPECT_FALSE(image->CheckTime(150));  // frame 1 shows 200 ms
  EXPECT_FALSE(image->CheckTime(200));  // the first step only starts the clock
  EXPECT_FALSE(image->CheckTime(350));
  EXPECT_TRUE(image->CheckTime(400));
  EXPECT_EQ(image->Composition().Pixel(0, 0), Green);
  EXPECT_FALSE(image->CheckTime(450));
  EXPECT_TRUE(image->CheckTime(500));  // frame 2 shows 100 ms
  EXPECT_EQ(image->Composition().Pixel(0, 0), Red);
  image->SetCurrentFrame(2);
  image->SetAnimate(false, 600);  // stopping shows frame 1 again
  EXPECT_EQ(image->CurrentFrame(), 1);
  EXPECT_EQ(image->Composition().Pixel(0, 0), Red);
}

TEST(GifAnim, CopiesAnimateIndependently) {
  auto image = Load(MakeGif(1, 1, {{0, 0, 1, 1, {}, 1}, {0, 0, 1, 1, {}, 2}}, 0));
  ASSERT_NE(image, nullptr);
  auto copy = image->CreateCopy();
  image->SetAnimate(true, 0);
  copy->SetAnimate(true, 0);
  for (std::uint32_t t = 50; t <= 100; t += 50) image->CheckTime(t);
  EXPECT_EQ(image->Composition().Pixel(0, 0), Green);
  EXPECT_EQ(copy->Composition().Pixel(0, 0), Red);
  copy->CheckTime(50);
  copy->CheckTime(100);
  copy->CheckTime(150);
  EXPECT_EQ(copy->Composition().Pixel(0, 0), Red);
  EXPECT_EQ(image->Composition().Pixel(0, 0), Green);

  TFixedMetricsHost host;
  copy->Visible = true;
  copy->Draw(host, 5, 6, 10, 10);
  ASSERT_EQ(host.Log.size(), 1u);
  EXPECT_EQ(host.Log[0], "picture 1x1 at 5,6,10,10");
}

TEST(GifAnim, DamagedFilesKeepWhatWasRead) {
  std::vector<TFrameSpec> two = {{0, 0, 2, 2, {}, 1}, {0, 0, 2, 2, {}, 2}};
  std::vector<std::uint8_t> good = MakeGif(2, 2, two);

  // An unknown extension after two frames ends the file with both.
  std::vector<std::uint8_t> unknown = good;
  unknown.pop_back();
  unknown.insert(unknown.end(), {0x21, 0x77, 1, 0, 0});
  auto image = Load(unknown);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->NumFrames, 2);

  // Cut in the middle of the second frame's data: still two frames, nothing read past the end.
  for (std::size_t cut = 13; cut < good.size(); ++cut) {
    std::vector<std::uint8_t> part(good.begin(), good.begin() + cut);
    Load(part);
  }

  // A code size of 12 is refused by the decoder: the frame stays black, no overrun.
  std::vector<std::uint8_t> bigCode = good;
  std::size_t sep = 0;
  for (std::size_t i = 25; i < bigCode.size(); ++i)
    if (bigCode[i] == 0x2C) {
      sep = i;
      break;
    }
  ASSERT_NE(sep, 0u);
  bigCode[sep + 10] = 12;
  image = Load(bigCode);
  ASSERT_NE(image, nullptr);

  // A transparent index far past a short table, and frames too large to hold, are safe.
  image = Load(MakeGif(1, 1, {{0, 0, 1, 1, {}, 1, 0, 0, 200}, {0, 0, 1, 1, {}, 2}}));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Frames[0].TransparentRGB, 0u);
  std::vector<std::uint8_t> huge = good;
  huge[sep + 5] = 0xFF;
  huge[sep + 6] = 0xFF;
  huge[sep + 7] = 0xFF;
  huge[sep + 8] = 0xFF;
  EXPECT_EQ(Load(huge), nullptr);
}

TEST(GifAnim, FramesBeyond256AreIgnored) {
  std::vector<TFrameSpec> frames(300, TFrameSpec{0, 0, 1, 1, {}, 1, 0, 0, -1, false});
  auto image = Load(MakeGif(1, 1, frames));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->NumFrames, 256);
}
