// TGifAnimImage: a GIF with more than one image, shown as an animation. The file is read
// with bounds on every read, each frame decoded into 32-bit pixels (transparent pixels
// with alpha 0), and the frames laid one after another on a composition of the logical
// screen with their disposal methods. The host draws the composition; the document's
// 50 ms timer drives CheckTime.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "html/core/html_host.h"

class TGifAnimFrame {
public:
  int Left = 0, Top = 0, Width = 0, Height = 0;
  int Bits = 0;       // local table's size exponent, 0 with the global table
  int Delay = 0;      // milliseconds
  int Disposal = 0;   // 0 and 1 leave the frame, 2 clears its area, 3 restores what was under it
  bool HasLocalTable = false, Interlaced = false, IsTransparent = false;
  int TransparentIndex = 0;
  std::uint32_t TransparentRGB = 0;
  // The frame's pixels; shared by the copies of an image.
  std::shared_ptr<const THtmlPicture> Picture;
};

class TGifAnimImage {
public:
  // A frame's decoded pixels are refused beyond this, and so is the logical screen.
  static constexpr long long MaxScreenPixels = 16LL << 20;
  static constexpr long long MaxTotalPixels = 64LL << 20;
  static constexpr int MaxFrames = 256;

  // An animation from GIF data, or nullptr. NonAnimated stays true for data that is no
  // GIF, is damaged before its second image, or holds a single image: the caller then shows
  // it as a still picture.
  static std::unique_ptr<TGifAnimImage> CreateFromData(const std::uint8_t* Data, std::size_t Size, bool& NonAnimated);
  // A copy that animates on its own; the frames' pixels are shared.
  std::unique_ptr<TGifAnimImage> CreateCopy() const;

  bool Animated = false;
  bool Empty = true;
  int Width = 0, Height = 0;
  int NumFrames = 0;
  int LoopCount = 1;     // from a NETSCAPE2.0 block; 0 loops forever
  int SpeedPercent = 100;
  bool Transparent = false;
  bool Visible = true;
  bool Drawn = false;    // set by the document's image when it paints the animation
  std::vector<TGifAnimFrame> Frames;

  int CurrentFrame() const { return FCurrentFrame; }
  // Disposes of the current frame and lays the chosen one (wrapping into 1..NumFrames).
  void SetCurrentFrame(int Value);
  bool Animate() const { return FAnimate; }
  // Starting times the first frame from Now (ms); stopping shows frame 1 again.
  void SetAnimate(bool Value, std::uint32_t Now);
  // One animation step at time Now (ms): true when the picture changed and the place it
  // was last drawn must be painted again.
  bool CheckTime(std::uint32_t Now);
  // The composition (the logical screen as the animation stands) drawn into the rectangle.
  void Draw(THtmlHost& Host, int X, int Y, int W, int H);
  THtmlRect LastDrawn() const { return FDrawn; }
  const THtmlPicture& Composition() const { return FComposition; }

private:
  void LayFrame(int Index);
  void DisposeFrame(int Index);
  int IntervalOf(int Index) const;

  int FCurrentFrame = 1;
  bool FAnimate = false;
  bool FFirstStep = true;
  int FLoopCounter = 1;
  std::uint32_t FLastTime = 0;
  int FInterval = 0;
  THtmlPicture FComposition;
  THtmlPicture FSaved;  // what a disposal-3 frame covered
  THtmlRect FDrawn;
};
