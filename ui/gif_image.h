// TGIFImage: a graphic of GIF 87a/89a files with several frames. Each frame keeps its LZW
// data as read (written back unchanged) and is decoded into a bitmap when first drawn; a
// frame added from another graphic is encoded when the image is saved. RegisterGIFImage
// makes TPicture load ".gif" files and the "GIF Image" clipboard format.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/strings.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/graphics.h"
#include "ui/core/gif_codec.h"

class TGIFImage;

// When on (the default), damaged data is kept as far as it goes and marked corrupted
// instead of raising "Stream read error".
extern bool GIFLoadCorrupted;

enum TProgressStage { psStarting, psRunning, psEnding };
using TProgressEvent =
    std::function<void(TObject* Sender, TProgressStage Stage, int PercentDone, const std::string& Msg)>;

class TGIFFrame : public TPersistent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TGIFFrame(TGIFImage* AOwner = nullptr);
  ~TGIFFrame() override;

  // From a GIF frame (a copy) or any other graphic (its pixels, encoded when saved).
  void Assign(const TPersistent* Source) override;

  // The frame's pixels, decoded from its data on first use (nullptr when it has neither).
  TBitmap* Bitmap();
  int Width() const;
  int Height() const;
  TPoint Origin() const { return TPoint{FData.Left, FData.Top}; }
  void SetOrigin(TPoint Value);
  int AnimateInterval() const { return FData.Interval; }
  void SetAnimateInterval(int Value);
  int DisposalMethod() const { return FData.Disposal; }
  void SetDisposalMethod(int Value);
  TColor TransparentColor() const { return FTransparentColor; }
  void SetTransparentColor(TColor Value);
  bool Interlaced() const { return FData.Interlaced; }
  bool Corrupted() const { return FData.Corrupted; }
  bool HasData() const { return !FData.Lzw.empty(); }

private:
  friend class TGIFImage;
  void Changed();
  // Makes the LZW data and the colour table from the bitmap when there is no data.
  void EncodeBitmap(TGIFFileData& File);

  TGIFImage* FOwner;
  TGIFFrameData FData;
  std::unique_ptr<TBitmap> FBitmap;
  TColor FTransparentColor = TColor(clNone);
};

class TGIFImage : public TGraphic {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  TGIFImage();
  ~TGIFImage() override;

  // From another GIF image (a copy), any other graphic (one frame of it), or nothing.
  void Assign(const TPersistent* Source) override;

  bool Empty() const override;
  int Width() const override { return FScreenWidth; }
  int Height() const override { return FScreenHeight; }
  // The size follows from the frames: EInvalidGraphic.
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;

  int Count() const { return int(FFrames.size()); }
  TGIFFrame* Frames(int Index) const;
  int FrameIndex() const { return FFrameIndex; }
  void SetFrameIndex(int Value);
  int ScreenWidth() const { return FScreenWidth; }
  int ScreenHeight() const { return FScreenHeight; }
  TColor BackgroundColor() const { return FBackgroundColor; }
  void SetBackgroundColor(TColor Value);
  bool Looping() const { return FLooping; }
  void SetLooping(bool Value);
  int RepeatCount() const { return FRepeatCount; }
  void SetRepeatCount(int Value);
  TStrings* Comment() { return &FComment; }
  TGIFVersion Version() const { return FVersion; }
  bool Corrupted() const { return FCorrupted; }

  // A new frame from Value that becomes the current one; its index.
  int AddFrame(TGraphic* Value);
  void Clear();

  // From the position to the end. Bad data raises EInvalidGraphic (or EReadError) and
  // leaves the image as it was.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // Form data: the file's length (32-bit) before the file.
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);
  void LoadFromClipboardFormat(UINT Format, HANDLE Data) override;
  void SaveToClipboardFormat(UINT& Format, HANDLE& Data) override;

  TProgressEvent OnProgress;

protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

private:
  friend class TGIFFrame;
  void LoadFromBytes(const uint8_t* Data, size_t Size);

  std::vector<std::unique_ptr<TGIFFrame>> FFrames;
  int FFrameIndex = -1;
  TGIFVersion FVersion = gvUnknown;
  int FScreenWidth = 0, FScreenHeight = 0;
  int FColorResolution = 0;
  int FTableBits = 0;
  TGIFColorTable FTable;  // the global table
  TColor FBackgroundColor = TColor(clNone);
  bool FLooping = false;
  int FRepeatCount = 0;
  bool FCorrupted = false;
  TStringList FComment;
};

// The registered clipboard format "GIF Image" (0 before RegisterGIFImage).
extern UINT CF_GIF;

// Registers the classes for streaming, the clipboard format and the ".gif" extension with
// TPicture. Called once at start-up; later calls do nothing.
void RegisterGIFImage();
