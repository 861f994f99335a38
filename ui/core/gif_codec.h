// GIF 87a/89a without a window: the file's blocks read into a model that keeps each frame's
// LZW data as it was in the file, the LZW decoder and encoder, the file writer, and the
// Windows bitmap file that a decoded frame becomes. TGIFImage (ui/gif_image.h) wraps it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "classlib/core/exception.h"

// A format error; the Win32 side raises it again as EInvalidGraphic. Truncated or stray
// data raises EReadError "Stream read error" instead.
ZX_EXCEPTION(EGIFError, Exception);

// Texts of the format errors, as the image class shows them.
extern const char* const SGIFVersion;        // bad signature or version
extern const char* const SGIFEncodeError;    // bitmap depth not 1, 4 or 8
extern const char* const SGIFDecodeError;    // LZW data that cannot be right
extern const char* const SGIFCodeSizeError;  // minimum code size out of range
extern const char* const SGIFWrongPalette;   // colour count not a power of two up to 256
extern const char* const SGIFUnknownExt;     // "%.2x": the label
extern const char* const SGIFNoData;         // nothing to write
extern const char* const SGIFCannotResize;   // width or height set
extern const char* const SGIFTooLarge;       // more pixels than we would ever allocate

enum TGIFVersion { gvUnknown, gv87a, gv89a };

// A colour table: Count entries of red, green, blue.
struct TGIFColorTable {
  int Count = 0;
  uint8_t Colors[256][3] = {};
  bool operator==(const TGIFColorTable& T) const;
};

enum TGIFExtensionKind { ekGraphicControl, ekPlainText, ekApplication, ekComment };

struct TGIFExtension {
  TGIFExtensionKind Kind = ekComment;
  std::vector<std::string> Data;  // one string per data sub-block
  std::string Fixed;              // the fixed part after the label, as read
};

// Disposal methods of a frame.
enum { gdUndefined = 0, gdLeave = 1, gdRestoreBackground = 2, gdRestorePrevious = 3 };

struct TGIFFrameData {
  // The LZW minimum code size byte, the data sub-blocks and the zero terminator.
  std::vector<uint8_t> Lzw;
  int Left = 0, Top = 0, Width = 0, Height = 0;
  uint8_t Flags = 0;   // the image descriptor's packed byte
  int TableBits = 0;   // bits of the frame's colour table (1..8)
  TGIFColorTable Table;
  bool LocalTable = false;
  bool Interlaced = false;
  bool Corrupted = false;
  int TransparentIndex = -1;  // -1: none
  int Interval = 0;           // milliseconds
  int Disposal = gdUndefined;
  std::vector<TGIFExtension> Extensions;
};

struct TGIFFileData {
  TGIFVersion Version = gvUnknown;
  int ScreenWidth = 0, ScreenHeight = 0;
  int ColorResolution = 0;  // from the screen descriptor
  int TableBits = 0;        // bits of the global table
  TGIFColorTable Table;     // the global table (Count 0: none)
  int BackgroundIndex = -1; // -1: the screen has no background entry
  bool Looping = false;
  int RepeatCount = 0;
  std::vector<std::string> Comment;
  bool Corrupted = false;
  std::vector<TGIFFrameData> Frames;
};

// Frames above this many pixels are refused rather than allocated.
inline constexpr int64_t GIFMaxPixels = int64_t(1) << 26;

// Reads a whole GIF file. AcceptDamaged keeps what a cut sub-block left (the frame and the
// file marked corrupted) instead of raising EReadError. An empty input leaves Out empty.
void GIFReadFile(const uint8_t* Data, size_t Size, TGIFFileData& Out, bool AcceptDamaged);

// Progress of decoding a frame: Stage 0 started, 1 running, 2 finished; Percent of the
// frame's data consumed.
using TGIFProgress = std::function<void(int Stage, int Percent)>;

// Decodes a frame into Width x Height palette indices, rows top-down, one byte a pixel
// (values above the table's range are masked into the bitmap's bits per pixel). Damaged
// data with AcceptDamaged set ends decoding and sets Frame.Corrupted; rows not reached stay 0.
std::vector<uint8_t> GIFDecodeFrame(TGIFFrameData& Frame, bool AcceptDamaged, const TGIFProgress& Progress = {});

// Bits per pixel of the Windows bitmap for a table of TableBits: 1, 4 or 8.
int GIFBitmapBits(int TableBits);
// The frame as a Windows bitmap file (bottom-up rows padded to 4 bytes, palette of
// 2^bits entries, unused ones 0x80).
std::vector<uint8_t> GIFFrameToBmp(const TGIFFrameData& Frame, const std::vector<uint8_t>& Pixels);

// LZW-encodes Width x Height indices (one byte a pixel) of BitsPerPixel 1, 4 or 8: the
// minimum code size byte, the sub-blocks and the terminator, ready for TGIFFrameData::Lzw.
std::vector<uint8_t> GIFEncodePixels(const uint8_t* Pixels, int Width, int Height, int BitsPerPixel);

// Smallest n (1..8) with 2^n >= Count.
int GIFTableBits(int Count);

// Sets a frame's graphic control extension from its interval, transparent index and
// disposal (creating one when needed), drops comment extensions without text, and
// returns true when the frame has any extension.
bool GIFPrepareExtensions(TGIFFrameData& Frame);

// The whole file. Frames must have their LZW data. Raises EGIFError SGIFNoData without frames.
std::vector<uint8_t> GIFWriteFile(TGIFFileData& File);

// Reduces 24-bit pixels (BGR, rows top-down, unpadded) to at most 256 colours: the exact
// colours when there are no more than 256, else a 3-3-2 colour cube. Indices one byte a pixel.
void GIFReduceColors(const uint8_t* Bgr, int Width, int Height, TGIFColorTable& Table, std::vector<uint8_t>& Pixels);
