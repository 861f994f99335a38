// TPicture: a container of one graphic of any registered kind, chosen by the file's
// extension or the clipboard format.
//
// Built in: "bmp" (TBitmap), "ico" (TIcon), "jpg" and "jpeg" (TJPEGImage); CF_DIB and
// CF_BITMAP (TBitmap). Other units add their format with one call at start-up, for example
//   TPicture::RegisterFileFormat("gif", "CompuServe GIF Image", TGIFImage::StaticClassInfo());
// A graphic class must be default-constructible and declare its own StaticClassInfo().
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "classlib/core/typinfo.h"
#include "classlib/win/graphics.h"

class TBitmap;
class TIcon;

class TPicture : public TPersistent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  TPicture();
  ~TPicture() override;

  // The graphic held (nullptr when empty). SetGraphic stores a copy.
  TGraphic* Graphic() const { return FGraphic.get(); }
  void SetGraphic(const TGraphic* Value);
  // The graphic as a bitmap or an icon; another kind of graphic is replaced by an empty one.
  TBitmap* Bitmap();
  TIcon* Icon();
  int Width() const;
  int Height() const;

  // By the extension; an unknown one raises EInvalidGraphic, and so does bad data. On
  // failure the picture keeps what it had.
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName);
  // Reads from the position to the end, as a graphic of the given class.
  void LoadFromStream(TStream* Stream, const TClassInfo* GraphicClass);
  void LoadFromClipboardFormat(UINT Format, HANDLE Data);
  // Format comes back as the clipboard format to use.
  void SaveToClipboardFormat(UINT& Format, HANDLE& Data);

  // From a picture or a graphic (a copy), or nothing (empty).
  void Assign(const TPersistent* Source) override;

  // The graphic in form data: its class name (a length byte and the name) followed by its
  // own stream data; empty for no graphic.
  TBytes Data() const;
  void SetData(const TBytes& Value);

  TNotifyEvent OnChange;

  static void RegisterFileFormat(const std::string& Extension, const std::string& Description,
                                 const TClassInfo* GraphicClass);
  static void RegisterClipboardFormat(UINT Format, const TClassInfo* GraphicClass);
  static void UnregisterGraphicClass(const TClassInfo* GraphicClass);
  // The class registered for an extension (with or without the dot) or a clipboard format.
  static const TClassInfo* FileFormatClass(const std::string& Extension);
  static const TClassInfo* ClipboardFormatClass(UINT Format);
  // The first registered clipboard format of a graphic's class (0 when none).
  static UINT ClipboardFormatOf(const TClassInfo* GraphicClass);
  static bool SupportsClipboardFormat(UINT Format) { return ClipboardFormatClass(Format) != nullptr; }
  // Clipboard formats in registration order, for looking at what the clipboard offers.
  static std::vector<UINT> ClipboardFormats();

protected:
  void Changed();

private:
  void Take(std::unique_ptr<TGraphic> Graphic);
  static std::unique_ptr<TGraphic> NewGraphic(const TClassInfo* GraphicClass);

  std::unique_ptr<TGraphic> FGraphic;
};
