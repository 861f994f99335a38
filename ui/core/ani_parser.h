// Windows animated cursors (RIFF form "ACON") read without a window: the header, the
// frames' icon data with their times and sequence indices, the title and the author.
// TAnimatedCursorImage (ui/ani_cursor.h) turns the frames into icons.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "classlib/core/exception.h"

// The "anih" chunk as stored; flag bit 0 (AF_ICON) set means the frames are icon resources.
struct TAniHeader {
  uint32_t HeaderSize = 0;
  uint32_t FrameCount = 0;
  uint32_t StepCount = 0;
  uint32_t Width = 0;
  uint32_t Height = 0;
  uint32_t BitCount = 0;
  uint32_t Planes = 0;
  uint32_t DisplayRate = 0;  // jiffies (1/60 s)
  uint32_t Flags = 0;
};
inline constexpr uint32_t AF_ICON = 1;

struct TAniFrameData {
  // The "icon" chunk's data, a cursor's resource type changed to 1 so it loads as an icon.
  std::vector<uint8_t> IconData;
  bool HasIcon = false;
  bool IsIcon = true;        // false: stored as a cursor
  uint32_t ChunkId = 0;      // four characters, little-endian
  uint32_t ChunkSize = 0;
  int HotSpotX = 0, HotSpotY = 0;  // for an icon, half the first image's size until loaded
  uint32_t JiffRate = 0;
  uint32_t Sequence = 0;
};

struct TAniFileData {
  TAniHeader Header;
  std::string Title;   // at most 255 characters
  std::string Author;  // at most 255 characters
  std::vector<TAniFrameData> Frames;
  uint16_t MaxColors = 0;  // most colours met among the frames' images
};

inline constexpr uint32_t AniFourCC(const char (&S)[5]) {
  return uint32_t(uint8_t(S[0])) | uint32_t(uint8_t(S[1])) << 8 | uint32_t(uint8_t(S[2])) << 16 |
         uint32_t(uint8_t(S[3])) << 24;
}

// Reads a whole .ani file. Any structural fault raises EReadError "Stream read error";
// Out is cleared once the RIFF "ACON" header has been found.
void AniReadFile(const uint8_t* Data, size_t Size, TAniFileData& Out);

// Examines one "icon" chunk (an .ico or .cur file) into Frame: patches a cursor's type,
// takes the hot spot and raises MaxColors. EReadError when the directory is cut short.
void AniReadFrameImage(const uint8_t* Data, size_t Size, TAniFrameData& Frame, uint16_t& MaxColors);
