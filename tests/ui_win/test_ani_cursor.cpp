// TAnimatedCursorImage: frames read as icons with their times and hot spots, copies, the
// icon and icon-list targets, the bitmap strip, and malformed files refused whole.
#include <gtest/gtest.h>

#include <string>

#include "../ui/ani_test_file.h"
#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "ui/ani_cursor.h"
#include "ui/icon_list.h"

using namespace ani_test;

namespace {

void Load(TAnimatedCursorImage& Image, const Bytes& B) {
  TStringStream S(std::string(B.begin(), B.end()));
  Image.LoadFromStream(&S);
}

// One icon of 1-bit frames whose pixels are all Fill (0 black, 0xFF white).
Bytes Strip2(uint8_t Fill0, uint8_t Fill1) {
  Bytes Body = Chunk("anih", Anih(2, 2, 6, AF_ICON));
  Bytes Fram = Chunk("icon", IconFile(1, 1, 0, 0, Fill0));
  Append(Fram, Chunk("icon", IconFile(1, 1, 0, 0, Fill1)));
  Append(Body, List("fram", Fram));
  return Riff(Body);
}

}  // namespace

TEST(AniCursor, LoadsFramesAsIcons) {
  TAnimatedCursorImage Image;
  Load(Image, Sample());
  ASSERT_EQ(Image.Count(), 2);
  EXPECT_EQ(Image.Title(), "Spin");
  EXPECT_EQ(Image.Author(), "Zem");
  EXPECT_EQ(Image.MaxColors(), 256);
  EXPECT_EQ(Image.Header().StepCount, 2u);
  for (int I = 0; I < 2; ++I) {
    EXPECT_FALSE(Image.Icons(I)->Empty());
    EXPECT_EQ(Image.Icons(I)->Width(), 16);
  }
  EXPECT_FALSE(Image.Frames(0)->IsIcon());
  EXPECT_EQ(Image.Frames(0)->HotSpot().X, 3);
  EXPECT_EQ(Image.Frames(0)->HotSpot().Y, 5);
  EXPECT_EQ(Image.Frames(0)->JiffRate(), 7u);
  EXPECT_TRUE(Image.Frames(1)->IsIcon());
  EXPECT_EQ(Image.Frames(1)->HotSpot().X, 8);  // the centre of an icon
  EXPECT_EQ(Image.Frames(1)->HotSpot().Y, 8);
  EXPECT_EQ(Image.Frames(1)->Seq(), 0u);
  EXPECT_THROW(Image.Frames(2), EListError);
}

TEST(AniCursor, MalformedFileLeavesTheImageWhole) {
  TAnimatedCursorImage Image;
  Load(Image, Sample());
  Bytes Bad = Riff(Chunk("anih", Anih(1, 1, 4, 0)));
  try {
    Load(Image, Bad);
    ADD_FAILURE() << "no error";
  } catch (const EReadError& E) {
    EXPECT_EQ(E.Message(), "Stream read error");
  }
  EXPECT_EQ(Image.Count(), 2);
  EXPECT_EQ(Image.Title(), "Spin");
}

TEST(AniCursor, IconDataWindowsRefusesIsAReadError) {
  // a directory that passes the parser but an image the system cannot make an icon of
  Bytes Icon = IconFile(1, 4);
  for (size_t I = 22; I < Icon.size(); ++I) Icon[I] = 0;
  TAnimatedCursorImage Image;
  EXPECT_THROW(Load(Image, Riff([&] {
                 Bytes B = Chunk("anih", Anih(1, 1, 4, AF_ICON));
                 Append(B, List("fram", Chunk("icon", Icon)));
                 return B;
               }())),
               EReadError);
}

TEST(AniCursor, AssignCopiesEverything) {
  TAnimatedCursorImage A, B;
  Load(A, Sample());
  B.Assign(&A);
  ASSERT_EQ(B.Count(), 2);
  EXPECT_EQ(B.Title(), "Spin");
  EXPECT_EQ(B.Header().DisplayRate, 10u);
  EXPECT_NE(B.Icons(0), A.Icons(0));
  EXPECT_FALSE(B.Icons(0)->Empty());
  EXPECT_EQ(B.Frames(0)->HotSpot().X, 3);
  EXPECT_EQ(B.Frames(0)->TagName(), AniFourCC("icon"));
  TIconFrame F;
  F.Assign(A.Frames(0));
  EXPECT_FALSE(F.IsIcon());
  EXPECT_EQ(F.JiffRate(), 7u);
  EXPECT_EQ(F.HeaderSize(), A.Frames(0)->HeaderSize());
}

TEST(AniCursor, AssignsToIconAndIconList) {
  TAnimatedCursorImage A;
  Load(A, Sample());
  TIcon Icon;
  Icon.Assign(&A);
  EXPECT_FALSE(Icon.Empty());
  TIconList List;
  List.Assign(&A);
  EXPECT_EQ(List.Count(), 2);
}

TEST(AniCursor, BitmapStrip) {
  TAnimatedCursorImage A;
  Load(A, Strip2(0x00, 0xFF));
  TBitmap Horizontal;
  A.AssignToBitmap(&Horizontal, clRed, false, false);
  EXPECT_EQ(Horizontal.Width(), 32);
  EXPECT_EQ(Horizontal.Height(), 16);
  EXPECT_EQ(ColorToRGB(Horizontal.Canvas()->Pixels(2, 2)), 0x000000);
  EXPECT_EQ(ColorToRGB(Horizontal.Canvas()->Pixels(18, 2)), 0xFFFFFF);
  TBitmap Vertical;
  A.AssignToBitmap(&Vertical, clRed, true, true);
  EXPECT_EQ(Vertical.Width(), 16);
  EXPECT_EQ(Vertical.Height(), 32);
  EXPECT_NE(Vertical.PixelFormat(), pf24bit);  // reduced
  EXPECT_EQ(ColorToRGB(Vertical.Canvas()->Pixels(2, 18)), 0xFFFFFF);
  TBitmap ByAssign;
  ByAssign.Assign(&A);
  EXPECT_EQ(ByAssign.Width(), 32);
}
