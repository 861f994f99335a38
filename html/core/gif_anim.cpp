#include "html/core/gif_anim.h"

#include <algorithm>
#include <cstring>

#include "ui/core/gif_codec.h"

namespace {

// A reader that never passes the end: past it, every read reports failure.
struct TReader {
  const std::uint8_t* P;
  std::size_t Left;
  bool Byte(int& V) {
    if (Left == 0) return false;
    V = *P++;
    --Left;
    return true;
  }
  bool Word(int& V) {
    int lo, hi;
    if (!Byte(lo) || !Byte(hi)) return false;
    V = lo | hi << 8;
    return true;
  }
  bool Skip(std::size_t N) {
    if (N > Left) return false;
    P += N;
    Left -= N;
    return true;
  }
  // Skips data sub-blocks up to and including the zero length byte.
  bool SkipSubBlocks() {
    int len;
    do {
      if (!Byte(len) || !Skip(std::size_t(len))) return false;
    } while (len != 0);
    return true;
  }
};

struct TRawFrame {
  TGifAnimFrame Frame;
  TGIFFrameData Data;
};

std::uint32_t Argb(const TGIFColorTable& Table, int Index) {
  if (Index >= Table.Count) return 0xFF000000u;  // beyond a short table: black
  const std::uint8_t* c = Table.Colors[Index];
  return 0xFF000000u | std::uint32_t(c[0]) << 16 | std::uint32_t(c[1]) << 8 | c[2];
}

}  // namespace

std::unique_ptr<TGifAnimImage> TGifAnimImage::CreateFromData(const std::uint8_t* Data, std::size_t Size,
                                                             bool& NonAnimated) {
  NonAnimated = true;
  TReader r{Data, Size};
  if (Size < 13 || std::memcmp(Data, "GIF", 3) != 0) return nullptr;
  r.Skip(6);
  int screenW, screenH, flags, bg, aspect;
  if (!r.Word(screenW) || !r.Word(screenH) || !r.Byte(flags) || !r.Byte(bg) || !r.Byte(aspect)) return nullptr;
  TGIFColorTable global;
  int globalBits = 0;
  if (flags & 0x80) {
    globalBits = (flags & 7) + 1;
    global.Count = 1 << globalBits;
    for (int i = 0; i < global.Count; ++i)
      for (int k = 0; k < 3; ++k) {
        int v = 0;
        if (!r.Byte(v)) return nullptr;
        global.Colors[i][k] = std::uint8_t(v);
      }
  }

  auto image = std::make_unique<TGifAnimImage>();
  std::vector<TRawFrame> frames;
  int gcFlags = 0, gcDelay = 0, gcIndex = 0;
  bool gcSeen = false;
  // Blocks until the trailer, an unknown block or the end of the data; frames read so far stay.
  for (bool more = true; more;) {
    int kind;
    if (!r.Byte(kind)) break;
    if (kind == 0x21) {
      int label;
      if (!r.Byte(label)) break;
      if (label == 0xF9) {
        int len;
        const std::uint8_t* at = r.P;
        if (!r.Byte(len) || len < 4 || r.Left < std::size_t(len)) break;
        gcFlags = at[1];
        gcDelay = at[2] | at[3] << 8;
        gcIndex = at[4];
        gcSeen = true;
        r.Skip(std::size_t(len));
        if (!r.SkipSubBlocks()) break;
      } else if (label == 0xFF) {
        int len;
        const std::uint8_t* id = r.P + 1;
        if (!r.Byte(len) || r.Left < std::size_t(len)) break;
        bool netscape = len == 11 && std::memcmp(id, "NETSCAPE2.0", 11) == 0;
        r.Skip(std::size_t(len));
        if (netscape && r.Left >= 4 && r.P[0] >= 3 && r.P[1] == 1) image->LoopCount = r.P[2] | r.P[3] << 8;
        if (!r.SkipSubBlocks()) break;
      } else if (label == 0x01 || label == 0xFE) {
        if (!r.SkipSubBlocks()) break;
      } else {
        break;  // an unknown extension ends the file; the frames before it stay
      }
    } else if (kind == 0x2C) {
      if (int(frames.size()) >= MaxFrames) break;
      TRawFrame raw;
      TGifAnimFrame& f = raw.Frame;
      int fflags;
      if (!r.Word(f.Left) || !r.Word(f.Top) || !r.Word(f.Width) || !r.Word(f.Height) || !r.Byte(fflags)) break;
      f.Interlaced = (fflags & 0x40) != 0;
      TGIFColorTable& table = raw.Data.Table;
      if (fflags & 0x80) {
        f.HasLocalTable = true;
        f.Bits = (fflags & 7) + 1;
        table.Count = 1 << f.Bits;
        bool ok = true;
        for (int i = 0; i < table.Count && ok; ++i)
          for (int k = 0; k < 3 && ok; ++k) {
            int v = 0;
            ok = r.Byte(v);
            table.Colors[i][k] = std::uint8_t(v);
          }
        if (!ok) break;
      } else {
        table = global;
      }
      if (gcSeen) {
        int disposal = (gcFlags & 0x1C) >> 2;
        f.Disposal = disposal > 3 ? 2 : disposal;
        f.Delay = gcDelay * 10;
        f.IsTransparent = (gcFlags & 1) != 0;
        f.TransparentIndex = gcIndex;
        f.TransparentRGB = Argb(table, gcIndex) & 0xFFFFFF;
      }
      gcSeen = false;
      gcFlags = gcDelay = gcIndex = 0;
      // The LZW data as the codec takes it: the code size byte, the sub-blocks, a terminator.
      int codeSize;
      if (!r.Byte(codeSize)) break;
      std::vector<std::uint8_t>& lzw = raw.Data.Lzw;
      lzw.push_back(std::uint8_t(codeSize));
      bool complete = false;
      for (;;) {
        int len;
        if (!r.Byte(len)) break;
        lzw.push_back(std::uint8_t(len));
        if (len == 0) {
          complete = true;
          break;
        }
        std::size_t got = std::min<std::size_t>(std::size_t(len), r.Left);
        lzw.back() = std::uint8_t(got);
        lzw.insert(lzw.end(), r.P, r.P + got);
        r.Skip(got);
        if (got < std::size_t(len)) break;
      }
      if (!complete) lzw.push_back(0);
      raw.Data.Width = f.Width;
      raw.Data.Height = f.Height;
      raw.Data.Interlaced = f.Interlaced;
      raw.Data.TableBits = std::max(1, f.HasLocalTable ? f.Bits : globalBits ? globalBits : 8);
      frames.push_back(std::move(raw));
      if (!complete) more = false;
    } else {
      break;  // the trailer (0x3B) or anything unknown
    }
  }
  if (frames.size() < 2) return nullptr;

  long long w = screenW, h = screenH, total = 0;
  for (const TRawFrame& raw : frames) {
    w = std::max<long long>(w, raw.Frame.Left + raw.Frame.Width);
    h = std::max<long long>(h, raw.Frame.Top + raw.Frame.Height);
    total += (long long)raw.Frame.Width * raw.Frame.Height;
  }
  if (w * h > MaxScreenPixels || total > MaxTotalPixels || w == 0 || h == 0) return nullptr;

  image->Width = int(w);
  image->Height = int(h);
  for (TRawFrame& raw : frames) {
    TGifAnimFrame& f = raw.Frame;
    auto picture = std::make_shared<THtmlPicture>(f.Width, f.Height);
    try {
      std::vector<std::uint8_t> indices = GIFDecodeFrame(raw.Data, true);
      for (std::size_t i = 0; i < indices.size() && i < picture->Pixels.size(); ++i) {
        int index = indices[i];
        picture->Pixels[i] = f.IsTransparent && index == f.TransparentIndex ? 0u : Argb(raw.Data.Table, index);
      }
    } catch (const Exception&) {
      // Undecodable data leaves the frame black; the others still play.
    }
    f.Picture = std::move(picture);
    image->Transparent = image->Transparent || f.IsTransparent;
    image->Frames.push_back(f);
  }
  image->NumFrames = int(image->Frames.size());
  image->Animated = image->NumFrames > 1;
  image->FComposition = THtmlPicture(image->Width, image->Height, image->Transparent ? 0u : 0xFF000000u);
  image->Empty = false;
  image->LayFrame(1);
  image->Visible = false;
  NonAnimated = false;
  return image;
}

std::unique_ptr<TGifAnimImage> TGifAnimImage::CreateCopy() const {
  auto copy = std::make_unique<TGifAnimImage>();
  copy->Animated = Animated;
  copy->Empty = Empty;
  copy->Width = Width;
  copy->Height = Height;
  copy->NumFrames = NumFrames;
  copy->LoopCount = LoopCount;
  copy->SpeedPercent = SpeedPercent;
  copy->Transparent = Transparent;
  copy->Visible = Visible;
  copy->Frames = Frames;
  copy->FComposition = THtmlPicture(Width, Height, Transparent ? 0u : 0xFF000000u);
  if (!Empty && NumFrames > 0) copy->LayFrame(1);
  return copy;
}

void TGifAnimImage::LayFrame(int Index) {
  if (Empty || Index < 1 || Index > NumFrames) return;
  const TGifAnimFrame& f = Frames[Index - 1];
  if (f.Disposal == 3) {
    FSaved = THtmlPicture(f.Width, f.Height);
    for (int y = 0; y < f.Height; ++y)
      for (int x = 0; x < f.Width; ++x) FSaved.Pixel(x, y) = FComposition.Pixel(f.Left + x, f.Top + y);
  }
  for (int y = 0; y < f.Height; ++y)
    for (int x = 0; x < f.Width; ++x) {
      std::uint32_t p = f.Picture->Pixel(x, y);
      if (p >> 24) FComposition.Pixel(f.Left + x, f.Top + y) = p;
    }
}

void TGifAnimImage::DisposeFrame(int Index) {
  if (Empty || Index < 1 || Index > NumFrames) return;
  const TGifAnimFrame& f = Frames[Index - 1];
  if (f.Disposal == 2) {
    std::uint32_t clear = Transparent ? 0u : 0xFF000000u;
    for (int y = 0; y < f.Height; ++y)
      for (int x = 0; x < f.Width; ++x) FComposition.Pixel(f.Left + x, f.Top + y) = clear;
  } else if (f.Disposal == 3 && FSaved.Width == f.Width && FSaved.Height == f.Height) {
    for (int y = 0; y < f.Height; ++y)
      for (int x = 0; x < f.Width; ++x) FComposition.Pixel(f.Left + x, f.Top + y) = FSaved.Pixel(x, y);
  }
}

void TGifAnimImage::SetCurrentFrame(int Value) {
  if (Value == FCurrentFrame || NumFrames == 0) return;
  DisposeFrame(FCurrentFrame);
  FCurrentFrame = Value > NumFrames ? 1 : Value < 1 ? NumFrames : Value;
  LayFrame(FCurrentFrame);
}

int TGifAnimImage::IntervalOf(int Index) const {
  int delay = Index >= 1 && Index <= NumFrames ? Frames[Index - 1].Delay : 0;
  int speed = SpeedPercent > 0 ? SpeedPercent : 100;
  return std::max(1, int((long long)delay * 100 / speed));
}

void TGifAnimImage::SetAnimate(bool Value, std::uint32_t Now) {
  if (Value == FAnimate) return;
  FAnimate = Value;
  FLoopCounter = 1;
  if (Value) {
    if (NumFrames >= 2) {
      FInterval = IntervalOf(FCurrentFrame);
      FLastTime = Now;
    }
  } else if (FCurrentFrame > 1) {
    DisposeFrame(FCurrentFrame - 1);
    FCurrentFrame = 1;
    LayFrame(1);
  }
}

bool TGifAnimImage::CheckTime(std::uint32_t Now) {
  if (!FAnimate || Empty || NumFrames < 2) return false;
  if (std::uint32_t(Now - FLastTime) < std::uint32_t(FInterval)) return false;
  FLastTime = Now;
  bool changed = false;
  bool last = false;
  if (LoopCount >= 1 && FCurrentFrame == NumFrames) {
    if (FLoopCounter >= LoopCount) last = true;
    else ++FLoopCounter;
  }
  if (FFirstStep) {
    FFirstStep = false;
  } else {
    DisposeFrame(FCurrentFrame > 1 ? FCurrentFrame - 1 : NumFrames);
    LayFrame(FCurrentFrame);
    changed = true;
  }
  if (last) {
    // The last pass ends showing the last frame.
    FAnimate = false;
    return changed;
  }
  FInterval = IntervalOf(FCurrentFrame);
  FCurrentFrame = FCurrentFrame >= NumFrames ? 1 : FCurrentFrame + 1;
  return changed;
}

void TGifAnimImage::Draw(THtmlHost& Host, int X, int Y, int W, int H) {
  FDrawn = {X, Y, X + W, Y + H};
  if (!Visible || Empty || NumFrames == 0) return;
  Host.DrawPicture(FComposition, X, Y, W, H);
}
