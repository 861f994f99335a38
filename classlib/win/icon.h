// TIcon: an icon read from .ico data, a resource or a handle.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "classlib/win/graphics.h"

class TIcon : public TGraphic {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  TIcon() = default;
  ~TIcon() override;

  void Assign(const TPersistent* Source) override;  // another icon (a copy) or nothing

  bool Empty() const override { return FHandle == nullptr; }
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  // An icon keeps the size it was made with: EInvalidGraphicOperation.
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  bool Transparent() const override { return true; }

  HICON Handle() const { return FHandle; }
  // Takes ownership of Value (0 empties the icon).
  void SetHandle(HICON Value);
  // Gives up ownership: the caller destroys the handle; the icon is empty afterwards.
  HICON ReleaseHandle();

  // .ico data from the position to the end; the image nearest the system's icon size
  // (with the most colours) is shown. SaveToStream writes the data as it was read, or an
  // .ico made from the handle.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  void LoadFromResourceName(HINSTANCE Instance, const std::string& ResName);
  // Instance 0 loads one of the system's icons (IDI_...).
  void LoadFromResourceID(HINSTANCE Instance, int ResID);
  // A global memory block holding .ico data, in whatever format it was registered for.
  void LoadFromClipboardFormat(UINT Format, HANDLE Data) override;
  void SaveToClipboardFormat(UINT& Format, HANDLE& Data) override;

protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

private:
  void Take(HICON Value, std::vector<uint8_t> Data);

  HICON FHandle = nullptr;
  int FWidth = 0;
  int FHeight = 0;
  std::vector<uint8_t> FData;  // the .ico data read, if any
};
