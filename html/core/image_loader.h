// Still images of HTML documents: the kind told by the first bytes, decoding into 32-bit
// pixels (BMP and GIF by our own readers, JPEG by libjpeg, PNG by libpng), transparency
// masks, and the process-wide cache that documents share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "html/core/gif_anim.h"
#include "html/core/html_host.h"

enum TImageType { itNone = 0, itBMP = 1, itGIF87 = 2, itGIF89 = 3, itPNG = 4, itJPEG = 5 };

// Pictures above this many pixels (4096 x 4096) are refused rather than allocated: a few
// bytes of hostile data must not take the memory of a 32-bit program.
inline constexpr long long MaxImagePixels = 16LL << 20;

TImageType ImageTypeFromHeader(const std::uint8_t* Data, std::size_t Size);
TImageType ImageTypeOfFile(const std::string& FileName);

// The colour (0xRRGGBB) that a GIF89a marks transparent in a graphic control extension
// standing right after its global colour table; false when there is none or the index lies
// beyond the table.
bool GifTransparentColor(const std::uint8_t* Data, std::size_t Size, std::uint32_t& Color);

// Decodes a BMP, GIF (its first image), PNG or JPEG; nullptr for anything else or for
// data that cannot be read. GIF transparency comes as alpha 0.
std::unique_ptr<THtmlPicture> DecodeImage(const std::uint8_t* Data, std::size_t Size);

// Makes every pixel of the colour transparent; with Given false the bottom-left pixel's
// colour is taken.
void MakeImageMask(THtmlPicture& Picture, bool Given, std::uint32_t Color);

// Loads a still image. Transparent: in 0 (none) or 1 (the bottom-left pixel's colour is
// transparent); out 2 when a GIF names its own transparent colour. nullptr for fewer than
// 20 bytes, an unknown kind or a decoding failure.
std::unique_ptr<THtmlPicture> LoadImageData(const std::uint8_t* Data, std::size_t Size, int& Transparent);
std::unique_ptr<THtmlPicture> LoadImageFile(const std::string& FileName, int& Transparent);
// The whole file, or false when it cannot be read.
bool ReadImageFile(const std::string& FileName, std::vector<std::uint8_t>& Data);

// One cached image: a still picture or an animation, held by the documents that show it.
class TBitmapItem {
public:
  int Age = 0;
  int Usage = 0;
  int Transparent = 0;
  std::shared_ptr<THtmlPicture> Image;
  std::shared_ptr<TGifAnimImage> Anim;
};

// The image cache, keyed by the image's name upper-cased and trimmed, so that one image
// written two ways is fetched once.
class TStringBitmapList {
public:
  static std::string Key(const std::string& Name);
  int CacheLimit() const { return FLimit; }
  // Frees items older than N that no document holds, then keeps N (0..20).
  void SetCacheLimit(int N);
  // Adds an item held once.
  void AddObject(const std::string& Name, TBitmapItem Item);
  int IndexOf(const std::string& Name) const;
  // The item, marked used (age 0, one more holder).
  TBitmapItem& FetchImage(int Index);
  void ReleaseImage(const std::string& Name);
  // Once per document load: every item ages; old items no document holds are freed.
  void AgeAndPurge();
  void PurgeUnused();
  void Clear() { FItems.clear(); }
  int Count() const { return int(FItems.size()); }
  const TBitmapItem& Item(int Index) const { return FItems[std::size_t(Index)].second; }

private:
  std::vector<std::pair<std::string, TBitmapItem>> FItems;  // sorted by key
  int FLimit = 4;
};

// The one cache of the process.
TStringBitmapList& ImageCache();
