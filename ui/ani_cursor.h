// TAnimatedCursorImage: a Windows animated cursor (.ani) read into icons with their
// display times and sequence, its title and author; the frames can be laid out as one
// bitmap strip, the form the animated image control plays.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/stream.h"
#include "classlib/core/typinfo.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/icon.h"
#include "ui/core/ani_parser.h"

class TIconFrame : public TPersistent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  TIconFrame() = default;
  ~TIconFrame() override;

  // Another frame: icon, cursor flag, chunk identifier and size, hot spot, time, index.
  void Assign(const TPersistent* Source) override;

  TIcon* Icon() const { return FIcon.get(); }
  bool IsIcon() const { return FIsIcon; }
  uint32_t TagName() const { return FTagName; }  // the chunk's four characters
  uint32_t HeaderSize() const { return FHeaderSize; }
  TPoint HotSpot() const { return FHotSpot; }
  uint32_t JiffRate() const { return FJiffRate; }  // 1/60 s
  uint32_t Seq() const { return FSeq; }

private:
  friend class TAnimatedCursorImage;
  std::unique_ptr<TIcon> FIcon = std::make_unique<TIcon>();
  bool FIsIcon = true;
  uint32_t FTagName = 0;
  uint32_t FHeaderSize = 0;
  TPoint FHotSpot{0, 0};
  uint32_t FJiffRate = 0;
  uint32_t FSeq = 0;
};

class TAnimatedCursorImage : public TPersistent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  TAnimatedCursorImage() = default;
  ~TAnimatedCursorImage() override;

  // Another image: header, texts and frames copied. Anything else goes to the base class.
  void Assign(const TPersistent* Source) override;

  void Clear();
  // From the position to the end. A malformed file raises EReadError "Stream read error"
  // and leaves the image as it was.
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const std::string& FileName);

  // Frames as one strip: cells of the first frame's size in order, on BackColor;
  // DecreaseColors reduces it to max(MaxColors, 16) colours afterwards.
  void AssignToBitmap(TBitmap* Bitmap, TColor BackColor, bool DecreaseColors, bool Vertical) const;

  int Count() const { return static_cast<int>(FFrames.size()); }
  // A bad index raises EListError.
  TIcon* Icons(int Index) const { return Frames(Index)->Icon(); }
  TIconFrame* Frames(int Index) const;
  const TAniHeader& Header() const { return FHeader; }
  const std::string& Title() const { return FTitle; }
  const std::string& Author() const { return FAuthor; }
  uint16_t MaxColors() const { return FMaxColors; }

protected:
  // A TIcon takes the first frame, a TBitmap the horizontal strip on its brush colour
  // (colours reduced), a TIconList every frame's icon in order.
  void AssignTo(TPersistent* Dest) const override;

private:
  TAniHeader FHeader;
  std::string FTitle;
  std::string FAuthor;
  std::vector<std::unique_ptr<TIconFrame>> FFrames;
  uint16_t FMaxColors = 0;
};
