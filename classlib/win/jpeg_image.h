// TJPEGImage: JPEG pictures through libjpeg. The data read is kept as it is and written
// back unchanged; an image assigned from a bitmap is compressed when it is first saved.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "classlib/win/graphics.h"

class TBitmap;

ZX_EXCEPTION(EJPEG, EInvalidGraphic);

class TJPEGImage : public TGraphic {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  TJPEGImage();
  ~TJPEGImage() override;

  // From another JPEG image (a copy), any other graphic (its pixels), or nothing (empty).
  void Assign(const TPersistent* Source) override;

  bool Empty() const override { return !FBitmap; }
  int Width() const override;
  int Height() const override;
  // The size follows from the data: EInvalidGraphicOperation.
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;

  // 1..100, used when the image is compressed from pixels (default 90).
  int CompressionQuality() const { return FQuality; }
  void SetCompressionQuality(int Value);
  bool Grayscale() const { return FGrayscale; }

  // JPEG data from the position to the end of the stream, decoded at once: damaged or
  // cut data raises EJPEG and leaves the image as it was.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;

protected:
  void AssignTo(TPersistent* Dest) const override;  // to a TBitmap
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

private:
  void JPEGNeeded();

  std::vector<uint8_t> FData;
  std::unique_ptr<TBitmap> FBitmap;
  int FQuality = 90;
  bool FGrayscale = false;
};
