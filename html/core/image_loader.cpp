#include "html/core/image_loader.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "html/core/html_support.h"
#include "ui/core/gif_codec.h"

namespace {

std::uint32_t Le32(const std::uint8_t* P) { return P[0] | P[1] << 8 | P[2] << 16 | std::uint32_t(P[3]) << 24; }
int Le16(const std::uint8_t* P) { return P[0] | P[1] << 8; }

bool SizeOk(long long W, long long H) { return W > 0 && H > 0 && W * H <= MaxImagePixels; }

// ---- BMP

// The bit position and width of a BITFIELDS mask.
void MaskShift(std::uint32_t Mask, int& Shift, int& Bits) {
  Shift = Bits = 0;
  if (!Mask) return;
  while (!(Mask & 1)) {
    Mask >>= 1;
    ++Shift;
  }
  while (Mask & 1) {
    Mask >>= 1;
    ++Bits;
  }
}

std::uint32_t Scale(std::uint32_t V, int Bits) {
  if (Bits <= 0) return 0;
  if (Bits >= 8) return V >> (Bits - 8);
  return V * 255 / ((1u << Bits) - 1);
}

// Run-length coded pixels (8 or 4 bits a pixel) as palette indices, top row first. Runs and
// jumps that leave the picture are cut; what the data does not reach stays index 0.
void DecodeRle(const std::uint8_t* D, std::size_t Size, std::size_t At, int W, int H, bool Four,
               std::vector<std::uint8_t>& Indices) {
  Indices.assign(std::size_t(W) * std::size_t(H), 0);
  long long x = 0, y = 0;  // y counts rows from the bottom, as the file stores them
  auto put = [&](int Index) {
    if (x < W && y < H) Indices[std::size_t(H - 1 - y) * std::size_t(W) + std::size_t(x)] = std::uint8_t(Index);
    ++x;
  };
  std::size_t p = At;
  while (p + 1 < Size && y < H) {
    int n = D[p], c = D[p + 1];
    p += 2;
    if (n > 0) {
      for (int i = 0; i < n && x < W; ++i) put(Four ? (i % 2 == 0 ? c >> 4 : c & 15) : c);
    } else if (c == 0) {  // end of the row
      x = 0;
      ++y;
    } else if (c == 1) {  // end of the picture
      break;
    } else if (c == 2) {  // a jump right and up
      if (p + 1 >= Size) break;
      x += D[p];
      y += D[p + 1];
      p += 2;
    } else {  // c pixels as they stand, padded to a word
      std::size_t bytes = Four ? std::size_t(c + 1) / 2 : std::size_t(c);
      if (p + bytes > Size) break;
      for (int i = 0; i < c; ++i) put(Four ? (i % 2 == 0 ? D[p + std::size_t(i / 2)] >> 4 : D[p + std::size_t(i / 2)] & 15)
                                           : D[p + std::size_t(i)]);
      p += (bytes + 1) & ~std::size_t(1);
    }
  }
}

std::unique_ptr<THtmlPicture> DecodeBmp(const std::uint8_t* D, std::size_t Size) {
  if (Size < 26) return nullptr;
  std::uint32_t offset = Le32(D + 10), header = Le32(D + 14);
  long long w, h;
  int bits, planes;
  std::uint32_t compression = 0, colors = 0;
  std::size_t tableAt = 14 + header, entry = 4;
  if (header == 12) {
    w = Le16(D + 18);
    h = std::int16_t(Le16(D + 20));
    planes = Le16(D + 22);
    bits = Le16(D + 24);
    entry = 3;
  } else if (header >= 40 && Size >= 54) {
    w = std::int32_t(Le32(D + 18));
    h = std::int32_t(Le32(D + 22));
    planes = Le16(D + 26);
    bits = Le16(D + 28);
    compression = Le32(D + 30);
    colors = Le32(D + 46);
  } else {
    return nullptr;
  }
  (void)planes;
  bool topDown = h < 0;
  if (topDown) h = -h;
  if (!SizeOk(w, h)) return nullptr;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return nullptr;
  std::uint32_t masks[3] = {0, 0, 0};
  const bool rle = (compression == 1 && bits == 8) || (compression == 2 && bits == 4);
  if (compression == 3) {  // BI_BITFIELDS: masks after a 40-byte header, or inside a longer one
    if (bits != 16 && bits != 32) return nullptr;
    std::size_t at = 14 + 40;
    if (at + 12 > Size) return nullptr;
    for (int i = 0; i < 3; ++i) masks[i] = Le32(D + at + 4 * i);
    if (header == 40) tableAt += 12;
  } else if (rle) {
    if (topDown) return nullptr;  // run-length pictures are stored bottom-up only
  } else if (compression != 0) {
    return nullptr;  // embedded JPEG or PNG bitmaps are not read
  } else if (bits == 16) {
    masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  } else if (bits == 32) {
    masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
  }
  std::vector<std::uint32_t> table;
  if (bits <= 8) {
    std::size_t n = colors ? std::min<std::uint32_t>(colors, 1u << bits) : 1u << bits;
    for (std::size_t i = 0; i < n; ++i) {
      std::size_t at = tableAt + i * entry;
      if (at + 3 > Size) break;
      table.push_back(0xFF000000u | std::uint32_t(D[at + 2]) << 16 | std::uint32_t(D[at + 1]) << 8 | D[at]);
    }
  }
  if (rle) {
    if (offset >= Size) return nullptr;
    std::vector<std::uint8_t> indices;
    DecodeRle(D, Size, offset, int(w), int(h), bits == 4, indices);
    auto pic = std::make_unique<THtmlPicture>(int(w), int(h));
    for (std::size_t i = 0; i < indices.size(); ++i)
      pic->Pixels[i] = indices[i] < table.size() ? table[indices[i]] : 0xFF000000u;
    return pic;
  }
  std::size_t stride = std::size_t((w * bits + 31) / 32 * 4);
  // A file shorter than its rows is refused before anything is allocated for it.
  if (offset > Size || stride * std::size_t(h) > Size - offset) return nullptr;
  auto pic = std::make_unique<THtmlPicture>(int(w), int(h));
  int shift[3], width[3];
  for (int i = 0; i < 3; ++i) MaskShift(masks[i], shift[i], width[i]);
  for (long long y = 0; y < h; ++y) {
    std::size_t rowAt = offset + std::size_t(topDown ? y : h - 1 - y) * stride;
    const std::uint8_t* row = D + rowAt;
    for (long long x = 0; x < w; ++x) {
      std::uint32_t p;
      if (bits <= 8) {
        int index = bits == 8 ? row[x] : bits == 4 ? (row[x / 2] >> (x % 2 ? 0 : 4)) & 15 : (row[x / 8] >> (7 - x % 8)) & 1;
        p = std::size_t(index) < table.size() ? table[std::size_t(index)] : 0xFF000000u;
      } else if (bits == 24) {
        const std::uint8_t* q = row + x * 3;
        p = 0xFF000000u | std::uint32_t(q[2]) << 16 | std::uint32_t(q[1]) << 8 | q[0];
      } else {
        std::uint32_t v = bits == 16 ? std::uint32_t(Le16(row + x * 2)) : Le32(row + x * 4);
        std::uint32_t c[3];
        for (int i = 0; i < 3; ++i) c[i] = Scale((v & masks[i]) >> shift[i], width[i]);
        p = 0xFF000000u | c[0] << 16 | c[1] << 8 | c[2];
      }
      pic->Pixel(int(x), int(y)) = p;
    }
  }
  return pic;
}

// ---- GIF (the first image)

std::unique_ptr<THtmlPicture> DecodeGif(const std::uint8_t* D, std::size_t Size) {
  TGIFFileData file;
  try {
    GIFReadFile(D, Size, file, true);
  } catch (const Exception&) {
    if (file.Frames.empty()) return nullptr;
  }
  if (file.Frames.empty()) return nullptr;
  TGIFFrameData& f = file.Frames[0];
  long long w = std::max(file.ScreenWidth, f.Left + f.Width), h = std::max(file.ScreenHeight, f.Top + f.Height);
  if (!SizeOk(w, h) || f.TableBits < 1) return nullptr;
  std::vector<std::uint8_t> indices;
  try {
    indices = GIFDecodeFrame(f, true);
  } catch (const Exception&) {
    return nullptr;
  }
  bool transparent = f.TransparentIndex >= 0;
  auto pic = std::make_unique<THtmlPicture>(int(w), int(h), transparent ? 0u : 0xFF000000u);
  for (int y = 0; y < f.Height; ++y)
    for (int x = 0; x < f.Width; ++x) {
      int index = indices[std::size_t(y) * f.Width + x];
      std::uint32_t p;
      if (index == f.TransparentIndex) p = 0;
      else if (index < f.Table.Count)
        p = 0xFF000000u | std::uint32_t(f.Table.Colors[index][0]) << 16 | std::uint32_t(f.Table.Colors[index][1]) << 8 |
            f.Table.Colors[index][2];
      else p = 0xFF000000u;
      pic->Pixel(f.Left + x, f.Top + y) = p;
    }
  return pic;
}

// ---- PNG

std::unique_ptr<THtmlPicture> DecodePng(const std::uint8_t* D, std::size_t Size) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, D, Size)) return nullptr;
  if (!SizeOk(image.width, image.height)) {
    png_image_free(&image);
    return nullptr;
  }
  image.format = PNG_FORMAT_BGRA;  // in memory: 0xAARRGGBB words on a little-endian machine
  auto pic = std::make_unique<THtmlPicture>(int(image.width), int(image.height));
  if (!png_image_finish_read(&image, nullptr, pic->Pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return nullptr;
  }
  return pic;
}

// ---- JPEG

struct TJpegError {
  jpeg_error_mgr Mgr;
  std::jmp_buf Jump;
};

void JpegFail(j_common_ptr Info) { std::longjmp(reinterpret_cast<TJpegError*>(Info->err)->Jump, 1); }
void JpegQuiet(j_common_ptr, int) {}

std::unique_ptr<THtmlPicture> DecodeJpeg(const std::uint8_t* D, std::size_t Size) {
  jpeg_decompress_struct info;
  TJpegError err;
  info.err = jpeg_std_error(&err.Mgr);
  err.Mgr.error_exit = JpegFail;
  err.Mgr.emit_message = JpegQuiet;
  // Held outside the jump's reach: a failure inside libjpeg returns here with it intact.
  std::unique_ptr<THtmlPicture>* result = new std::unique_ptr<THtmlPicture>();
  std::unique_ptr<std::unique_ptr<THtmlPicture>> holder(result);
  std::vector<std::uint8_t>* row = new std::vector<std::uint8_t>();
  std::unique_ptr<std::vector<std::uint8_t>> rowHolder(row);
  if (setjmp(err.Jump)) {
    jpeg_destroy_decompress(&info);
    // A cut file keeps the rows decoded so far.
    return std::move(*result);
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, const_cast<unsigned char*>(D), static_cast<unsigned long>(Size));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  if (!SizeOk(info.output_width, info.output_height) || info.output_components != 3) {
    jpeg_destroy_decompress(&info);
    return nullptr;
  }
  *result = std::make_unique<THtmlPicture>(int(info.output_width), int(info.output_height));
  row->resize(std::size_t(info.output_width) * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW rows[1] = {row->data()};
    int y = int(info.output_scanline);
    if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
    std::uint32_t* out = &(*result)->Pixel(0, y);
    for (JDIMENSION x = 0; x < info.output_width; ++x) {
      const std::uint8_t* q = row->data() + x * 3;
      out[x] = 0xFF000000u | std::uint32_t(q[0]) << 16 | std::uint32_t(q[1]) << 8 | q[2];
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return std::move(*result);
}

}  // namespace

TImageType ImageTypeFromHeader(const std::uint8_t* D, std::size_t Size) {
  if (Size >= 2 && D[0] == 'B' && D[1] == 'M') return itBMP;
  if (Size >= 4 && std::memcmp(D, "GIF8", 4) == 0) return Size >= 5 && D[4] == '9' ? itGIF89 : itGIF87;
  if (Size >= 4 && D[0] == 0x89 && std::memcmp(D + 1, "PNG", 3) == 0) return itPNG;
  if (Size >= 2 && D[0] == 0xFF && D[1] == 0xD8) return itJPEG;
  return itNone;
}

bool ReadImageFile(const std::string& FileName, std::vector<std::uint8_t>& Data) {
  try {
    TFileStream f(FileName, fmOpenRead | fmShareDenyNone);
    std::int64_t size = f.Size();
    if (size < 0 || size > (std::int64_t(1) << 30)) return false;
    Data.resize(std::size_t(size));
    return size == 0 || f.Read(Data.data(), int(size)) == int(size);
  } catch (const Exception&) {
    return false;
  }
}

TImageType ImageTypeOfFile(const std::string& FileName) {
  try {
    TFileStream f(FileName, fmOpenRead | fmShareDenyNone);
    std::uint8_t head[11] = {};
    int got = f.Read(head, sizeof head);
    return ImageTypeFromHeader(head, std::size_t(std::max(got, 0)));
  } catch (const Exception&) {
    return itNone;
  }
}

bool GifTransparentColor(const std::uint8_t* D, std::size_t Size, std::uint32_t& Color) {
  if (ImageTypeFromHeader(D, Size) != itGIF89 || Size < 13) return false;
  std::size_t at = 13, count = 0;
  if (D[10] & 0x80) {
    count = std::size_t(1) << ((D[10] & 7) + 1);
    at += 3 * count;
  }
  // The extension must stand, whole, right after the table.
  if (at + 8 > Size || D[at] != 0x21 || D[at + 1] != 0xF9 || !(D[at + 3] & 1)) return false;
  std::size_t index = D[at + 6];
  if (index >= count) return false;
  const std::uint8_t* c = D + 13 + 3 * index;
  Color = std::uint32_t(c[0]) << 16 | std::uint32_t(c[1]) << 8 | c[2];
  return true;
}

std::unique_ptr<THtmlPicture> DecodeImage(const std::uint8_t* Data, std::size_t Size) {
  switch (ImageTypeFromHeader(Data, Size)) {
    case itBMP: return DecodeBmp(Data, Size);
    case itGIF87: case itGIF89: return DecodeGif(Data, Size);
    case itPNG: return DecodePng(Data, Size);
    case itJPEG: return DecodeJpeg(Data, Size);
    default: return nullptr;
  }
}

void MakeImageMask(THtmlPicture& Picture, bool Given, std::uint32_t Color) {
  if (Picture.Width <= 0 || Picture.Height <= 0) return;
  std::uint32_t key = (Given ? Color : Picture.Pixel(0, Picture.Height - 1)) & 0xFFFFFF;
  for (std::uint32_t& p : Picture.Pixels)
    if ((p & 0xFFFFFF) == key) p = key;  // alpha 0
}

std::unique_ptr<THtmlPicture> LoadImageData(const std::uint8_t* Data, std::size_t Size, int& Transparent) {
  if (!Data || Size < 20) return nullptr;
  std::uint32_t color;
  bool gifColor = GifTransparentColor(Data, Size, color);

  auto pic = DecodeImage(Data, Size);
  if (!pic) return nullptr;
  // A GIF's own transparent pixels are already clear, wherever its control block stands.
  bool gif = ImageTypeFromHeader(Data, Size) == itGIF87 || ImageTypeFromHeader(Data, Size) == itGIF89;
  if (gifColor || (gif && pic->HasTransparency())) Transparent = 2;
  else if (Transparent == 1) MakeImageMask(*pic, false, 0);
  return pic;
}

std::unique_ptr<THtmlPicture> LoadImageFile(const std::string& FileName, int& Transparent) {
  std::vector<std::uint8_t> data;
  if (!ReadImageFile(FileName, data)) return nullptr;
  return LoadImageData(data.data(), data.size(), Transparent);
}

// ---- cache

std::string TStringBitmapList::Key(const std::string& Name) { return TrimBlanks(AnsiUpperCase(Name)); }

int TStringBitmapList::IndexOf(const std::string& Name) const {
  std::string key = Key(Name);
  auto it = std::lower_bound(FItems.begin(), FItems.end(), key,
                             [](const auto& Item, const std::string& K) { return Item.first < K; });
  return it != FItems.end() && it->first == key ? int(it - FItems.begin()) : -1;
}

void TStringBitmapList::AddObject(const std::string& Name, TBitmapItem Item) {
  std::string key = Key(Name);
  Item.Usage += 1;
  auto it = std::lower_bound(FItems.begin(), FItems.end(), key,
                             [](const auto& I, const std::string& K) { return I.first < K; });
  if (it != FItems.end() && it->first == key) it->second = std::move(Item);
  else FItems.insert(it, {key, std::move(Item)});
}

TBitmapItem& TStringBitmapList::FetchImage(int Index) {
  TBitmapItem& item = FItems[std::size_t(Index)].second;
  item.Age = 0;
  ++item.Usage;
  return item;
}

void TStringBitmapList::ReleaseImage(const std::string& Name) {
  int i = IndexOf(Name);
  if (i >= 0) --FItems[std::size_t(i)].second.Usage;
}

void TStringBitmapList::AgeAndPurge() {
  for (std::size_t i = FItems.size(); i-- > 0;) {
    TBitmapItem& item = FItems[i].second;
    ++item.Age;
    if (item.Age > FLimit && item.Usage < 1) FItems.erase(FItems.begin() + std::ptrdiff_t(i));
  }
}

void TStringBitmapList::SetCacheLimit(int N) {
  N = std::clamp(N, 0, 20);
  for (std::size_t i = FItems.size(); i-- > 0;)
    if (FItems[i].second.Age > N && FItems[i].second.Usage < 1) FItems.erase(FItems.begin() + std::ptrdiff_t(i));
  FLimit = N;
}

void TStringBitmapList::PurgeUnused() {
  for (std::size_t i = FItems.size(); i-- > 0;)
    if (FItems[i].second.Usage < 1) FItems.erase(FItems.begin() + std::ptrdiff_t(i));
}

TStringBitmapList& ImageCache() {
  static TStringBitmapList cache;
  return cache;
}

std::vector<std::uint32_t> ScreenPaletteColors(const std::vector<std::uint32_t>& System) {
  std::vector<std::uint32_t> colors(System);
  colors.resize(256, 0);
  static const std::uint32_t levels[6] = {55, 115, 165, 205, 235, 255};
  std::size_t at = 10;
  for (std::uint32_t r : levels)
    for (std::uint32_t g : levels)
      for (std::uint32_t b : levels) {
        if (r == 255 && g == 255 && b == 255) continue;
        colors[at++] = r << 16 | g << 8 | b;
      }
  for (std::uint32_t grey = 135; grey <= 250; grey += 5) colors[at++] = grey << 16 | grey << 8 | grey;
  return colors;
}
