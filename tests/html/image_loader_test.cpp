#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "html/core/html_support.h"
#include "html/core/image_loader.h"
#include "tests/html/bmp_fixture.h"
#include "ui/core/gif_codec.h"

namespace {

// A 2x2 BMP: red, green on the top row; blue, white below.
TBytes Bmp24(bool TopDown) {
  TBytes b = BmpHeader(2, TopDown ? -2 : 2, 24, 16);
  TBytes top = {0, 0, 255, 0, 255, 0, 0, 0}, bottom = {255, 0, 0, 255, 255, 255, 0, 0};  // BGR, padded
  const TBytes& first = TopDown ? top : bottom;
  const TBytes& second = TopDown ? bottom : top;
  b.insert(b.end(), first.begin(), first.end());
  b.insert(b.end(), second.begin(), second.end());
  return b;
}

// A 3x1 BMP of 8 bits with a palette of 2 entries: index 0 black, 1 yellow; index 7 is past it.
TBytes Bmp8() {
  TBytes b = BmpHeader(3, 1, 8, 4, 0, 2);
  b.insert(b.end(), {0, 0, 0, 0, 0, 255, 255, 0});
  b.insert(b.end(), {1, 0, 7, 0});
  return b;
}

// Run-length BMPs of 4 x 3 pixels with the palette black, red, green, blue. RLE8: a run of
// two reds and two greens, the end of the row; a jump over the middle row; an absolute run
// of blue, green, red; the end. RLE4: the same picture, two pixels a byte.
TBytes BmpRle(bool Four) {
  TBytes data = Four ? TBytes{2, 0x11, 2, 0x22, 0, 0, 0, 2, 0, 1, 0, 3, 0x32, 0x10, 0, 1}
                     : TBytes{2, 1, 2, 2, 0, 0, 0, 2, 0, 1, 0, 3, 3, 2, 1, 0, 0, 1};
  TBytes b = BmpHeader(4, 3, Four ? 4 : 8, std::uint32_t(data.size()), Four ? 2 : 1, 4);
  b.insert(b.end(), {0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0});
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

TBytes Gif(bool Transparent) {
  TBytes b = {'G', 'I', 'F', '8', '9', 'a'};
  Put16(b, 2);
  Put16(b, 1);
  b.insert(b.end(), {0x80, 0, 0, 10, 20, 30, 200, 100, 50});
  if (Transparent) b.insert(b.end(), {0x21, 0xF9, 4, 1, 0, 0, 1, 0});
  b.push_back(0x2C);
  Put16(b, 0);
  Put16(b, 0);
  Put16(b, 2);
  Put16(b, 1);
  b.push_back(0);
  std::uint8_t pixels[2] = {0, 1};
  TBytes lzw = GIFEncodePixels(pixels, 2, 1, 1);
  b.insert(b.end(), lzw.begin(), lzw.end());
  b.push_back(0x3B);
  return b;
}

TBytes Png() {
  // 2x1: opaque red, transparent.
  std::uint8_t rgba[8] = {255, 0, 0, 255, 0, 0, 0, 0};
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = 2;
  image.height = 1;
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, rgba, 0, nullptr));
  TBytes out(size);
  EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, rgba, 0, nullptr));
  out.resize(size);
  return out;
}

TBytes Jpeg() {
  // 16x8: the left half blue, the right half yellow.
  jpeg_compress_struct info;
  jpeg_error_mgr err;
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  unsigned char* mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &mem, &size);
  info.image_width = 16;
  info.image_height = 8;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::uint8_t row[16 * 3];
  for (int x = 0; x < 16; ++x) {
    row[x * 3] = x < 8 ? 0 : 255;
    row[x * 3 + 1] = x < 8 ? 0 : 255;
    row[x * 3 + 2] = x < 8 ? 255 : 0;
  }
  while (info.next_scanline < 8) {
    JSAMPROW rows[1] = {row};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  TBytes out(mem, mem + size);
  jpeg_destroy_compress(&info);
  std::free(mem);
  return out;
}

bool Near(std::uint32_t A, std::uint32_t B) {
  for (int shift = 0; shift < 32; shift += 8) {
    int a = int(A >> shift & 0xFF), b = int(B >> shift & 0xFF);
    if (std::abs(a - b) > 12) return false;
  }
  return true;
}

}  // namespace

TEST(ImageLoader, TypeFromHeader) {
  struct {
    TBytes Head;
    TImageType Type;
  } cases[] = {
      {{'B', 'M'}, itBMP},
      {{'G', 'I', 'F', '8', '9', 'a'}, itGIF89},
      {{'G', 'I', 'F', '8', '7', 'a'}, itGIF87},
      {{'G', 'I', 'F', '8'}, itGIF87},
      {{0x89, 'P', 'N', 'G', 13, 10}, itPNG},
      {{0xFF, 0xD8, 0xFF}, itJPEG},
      {{'B'}, itNone},
      {{0x89, 'P', 'N'}, itNone},
      {{}, itNone},
      {{'<', 'h', 't', 'm', 'l'}, itNone},
  };
  for (const auto& c : cases) EXPECT_EQ(ImageTypeFromHeader(c.Head.data(), c.Head.size()), c.Type);
}

TEST(ImageLoader, FourKindsDecodeWithTheirPixels) {
  struct {
    const char* Name;
    TBytes Data;
    int Width, Height;
    std::vector<std::tuple<int, int, std::uint32_t>> Probes;
  } cases[] = {
      {"bmp bottom-up", Bmp24(false), 2, 2, {{0, 0, 0xFFFF0000}, {1, 0, 0xFF00FF00}, {0, 1, 0xFF0000FF}, {1, 1, 0xFFFFFFFF}}},
      {"bmp top-down", Bmp24(true), 2, 2, {{0, 0, 0xFFFF0000}, {1, 1, 0xFFFFFFFF}}},
      {"bmp 8-bit, index past the palette", Bmp8(), 3, 1, {{0, 0, 0xFFFFFF00}, {1, 0, 0xFF000000}, {2, 0, 0xFF000000}}},
      {"bmp run-length 8", BmpRle(false), 4, 3,
       {{0, 2, 0xFFFF0000}, {2, 2, 0xFF00FF00}, {1, 1, 0xFF000000}, {0, 0, 0xFF0000FF}, {1, 0, 0xFF00FF00},
        {2, 0, 0xFFFF0000}, {3, 0, 0xFF000000}}},
      {"bmp run-length 4", BmpRle(true), 4, 3,
       {{1, 2, 0xFFFF0000}, {3, 2, 0xFF00FF00}, {1, 1, 0xFF000000}, {0, 0, 0xFF0000FF}, {2, 0, 0xFFFF0000},
        {3, 0, 0xFF000000}}},
      {"gif", Gif(false), 2, 1, {{0, 0, 0xFF0A141E}, {1, 0, 0xFFC86432}}},
      {"gif transparent", Gif(true), 2, 1, {{0, 0, 0xFF0A141E}, {1, 0, 0}}},
      {"png with alpha", Png(), 2, 1, {{0, 0, 0xFFFF0000}, {1, 0, 0}}},
      {"jpeg", Jpeg(), 16, 8, {{2, 4, 0xFF0000FF}, {13, 4, 0xFFFFFF00}}},
  };
  for (const auto& c : cases) {
    auto pic = DecodeImage(c.Data.data(), c.Data.size());
    ASSERT_NE(pic, nullptr) << c.Name;
    EXPECT_EQ(pic->Width, c.Width) << c.Name;
    EXPECT_EQ(pic->Height, c.Height) << c.Name;
    for (const auto& [x, y, color] : c.Probes) {
      std::uint32_t p = pic->Pixel(x, y);
      EXPECT_TRUE(color == 0 ? p >> 24 == 0 : Near(p, color)) << c.Name << " " << x << "," << y << " " << std::hex << p;
    }
  }
}

TEST(ImageLoader, ScreenPaletteOfCubeAndGreys) {
  std::vector<std::uint32_t> system(256);
  for (std::size_t i = 0; i < 256; ++i) system[i] = std::uint32_t(i) * 0x010101u;
  std::vector<std::uint32_t> p = ScreenPaletteColors(system);
  ASSERT_EQ(p.size(), 256u);
  EXPECT_EQ(p[9], 0x090909u);          // the system's first ten stay
  EXPECT_EQ(p[10], 0x373737u);         // 55, 55, 55
  EXPECT_EQ(p[11], 0x373773u);         // blue steps first
  EXPECT_EQ(p[224], 0xFFFFEBu);        // the cube's last: white left out
  EXPECT_EQ(p[225], 0x878787u);        // greys from 135
  EXPECT_EQ(p[248], 0xFAFAFAu);        // to 250
  EXPECT_EQ(p[249], 0xF9F9F9u);        // the system's last entries stay
}

TEST(ImageLoader, DamagedAndShortDataIsRefused) {
  std::vector<TBytes> inputs = {Bmp24(false), Bmp8(), BmpRle(false), BmpRle(true), Gif(true), Png(), Jpeg()};
  for (const TBytes& full : inputs)
    for (std::size_t cut = 0; cut < full.size(); ++cut) {
      TBytes part(full.begin(), full.begin() + cut);
      auto pic = DecodeImage(part.data(), part.size());  // nullptr or a picture; never a read past the end
      if (pic) {
        EXPECT_EQ(pic->Pixels.size(), std::size_t(pic->Width) * pic->Height);
      }
    }
  TBytes huge = Bmp24(false);
  huge[18] = huge[19] = huge[20] = 0xFF;  // 16 million by 65 thousand
  huge[22] = huge[23] = 0xFF;
  EXPECT_TRUE(DecodeImage(huge.data(), huge.size()) == nullptr);
  int transparent = 0;
  TBytes small = Bmp24(false);
  small.resize(19);
  EXPECT_EQ(LoadImageData(small.data(), small.size(), transparent), nullptr);
}

TEST(ImageLoader, Transparency) {
  std::uint32_t color = 0;
  TBytes gif = Gif(true);
  ASSERT_TRUE(GifTransparentColor(gif.data(), gif.size(), color));
  EXPECT_EQ(color, 0xC86432u);
  TBytes opaque = Gif(false);
  EXPECT_FALSE(GifTransparentColor(opaque.data(), opaque.size(), color));
  TBytes beyond = gif;
  beyond[13 + 6 + 6] = 9;  // a transparent index past the 2-entry table
  EXPECT_FALSE(GifTransparentColor(beyond.data(), beyond.size(), color));
  TBytes cut(gif.begin(), gif.begin() + 20);
  EXPECT_FALSE(GifTransparentColor(cut.data(), cut.size(), color));

  int transparent = 0;
  auto pic = LoadImageData(gif.data(), gif.size(), transparent);
  ASSERT_NE(pic, nullptr);
  EXPECT_EQ(transparent, 2);

  // Transparency by the bottom-left pixel: blue in the 24-bit BMP.
  TBytes bmp = Bmp24(false);
  transparent = 1;
  pic = LoadImageData(bmp.data(), bmp.size(), transparent);
  ASSERT_NE(pic, nullptr);
  EXPECT_EQ(transparent, 1);
  EXPECT_EQ(pic->Pixel(0, 1) >> 24, 0u);
  EXPECT_EQ(pic->Pixel(0, 0) >> 24, 0xFFu);
}

TEST(ImageLoader, FilesAndTheirNames) {
  auto dir = std::filesystem::temp_directory_path() / "zx_html_images";
  std::filesystem::create_directories(dir);
  std::string name = (dir / "PIC.GIF").string();
  TBytes gif = Gif(true);
  std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(gif.data()), std::streamsize(gif.size()));
  EXPECT_EQ(ImageTypeOfFile(name), itGIF89);
  int transparent = 0;
  EXPECT_NE(LoadImageFile(name, transparent), nullptr);
  EXPECT_EQ(ImageTypeOfFile((dir / "missing.png").string()), itNone);
  EXPECT_EQ(LoadImageFile((dir / "missing.png").string(), transparent), nullptr);
  std::filesystem::remove_all(dir);
}

TEST(ImageCache, OneNameInTwoSpellingsAndPurging) {
  TStringBitmapList cache;
  EXPECT_EQ(TStringBitmapList::Key("  pics/a.gif "), TStringBitmapList::Key("PICS/A.GIF"));
  TBitmapItem item;
  item.Image = std::make_shared<THtmlPicture>(1, 1);
  cache.AddObject(" pics/a.gif", item);
  int i = cache.IndexOf("PICS/A.GIF  ");
  ASSERT_GE(i, 0);
  EXPECT_EQ(cache.FetchImage(i).Usage, 2);
  cache.ReleaseImage("pics/a.gif");
  cache.ReleaseImage("pics/a.gif");
  cache.AddObject("b.png", item);  // still held

  // Limit 0: at the next load every image no document holds goes.
  cache.SetCacheLimit(0);
  EXPECT_EQ(cache.Count(), 2);
  cache.AgeAndPurge();
  EXPECT_EQ(cache.Count(), 1);
  EXPECT_EQ(cache.IndexOf("b.png"), 0);

  // With a limit of 2 an unused image survives two loads and goes at the third.
  cache.SetCacheLimit(2);
  cache.FetchImage(0);
  cache.ReleaseImage("b.png");
  cache.ReleaseImage("b.png");
  cache.AgeAndPurge();
  cache.AgeAndPurge();
  EXPECT_EQ(cache.Count(), 1);
  cache.AgeAndPurge();
  EXPECT_EQ(cache.Count(), 0);
  cache.SetCacheLimit(99);
  EXPECT_EQ(cache.CacheLimit(), 20);
}
