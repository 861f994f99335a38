// Hint windows shaped as a rectangle, a rounded rectangle or an ellipse, with a soft shadow
// and a balloon tail pointing at the cursor; one style for every hint of the process.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "classlib/win/bitmap.h"
#include "classlib/win/hint_window.h"
#include "ui/core/rx_hints.h"

class TRxHintWindow : public THintWindow {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TRxHintWindow(TComponent* AOwner);

  TRect CalcHintRect(int MaxWidth, const std::string& AHint, void* AData) override;
  void ActivateHint(const TRect& Rect, const std::string& AHint) override;

  // 0 bottom-left, 1 bottom-right, 2 top-left, 3 top-right.
  int TailPosition() const { return FTailPosition; }
  // The outline, text and tail of the hint shown last (window coordinates).
  const THintGeometry& Geometry() const { return FGeometry; }
  // The outline as a region (with Shadow: where its shadow falls); the caller deletes it.
  HRGN CreateOutlineRegion(bool Shadow) const;

protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void WndProc(TMessage& Message) override;

private:
  std::unique_ptr<TBitmap> FBackground;  // the screen under the window when it was shown
  std::unique_ptr<TBitmap> FDrawing;
  THintGeometry FGeometry;
  int FTailPosition = 2;
};

// Makes AClass the application's hint window class (the current hint window goes).
void RegisterHintWindow(THintWindowClass AClass);
// Style 0 rectangle, 1 rounded rectangle, 2 ellipse; Alignment 0 left, 1 right, 2 centre.
void SetHintStyle(int Style, int ShadowSize, bool Tail, int Alignment);
const THintStyle& HintStyle();
