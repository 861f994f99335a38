// An image on a form that cuts the form's window to the shape of its picture: every pixel
// that differs from the picture's top-left pixel stays visible. Dragging it moves the form.
#pragma once

#include <windows.h>

#include <vector>

#include "classlib/core/color.h"
#include "classlib/win/ext_ctrls.h"
#include "classlib/win/forms.h"

class TdxfShapedForm : public TImage {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  // AOwner must be a form.
  explicit TdxfShapedForm(TComponent* AOwner);

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  // A press on a pixel of this colour drags the form (any press with AlwaysMove).
  TColor CaptionColor() const { return FCaptionColor; }
  void SetCaptionColor(TColor Value) { FCaptionColor = Value; }
  bool AlwaysMove() const { return FAlwaysMove; }
  void SetAlwaysMove(bool Value) { FAlwaysMove = Value; }

protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Loaded() override;

private:
  void ApplyShape();
  void RestoreForm();
  TCustomForm* FForm;
  bool FActive = false;
  TColor FCaptionColor = clBlack;
  TFormBorderStyle FSavedBorder;
  bool FAlwaysMove = true;
};

// The opaque runs of a picture's rows as rectangles one pixel high, in picture
// coordinates: a run reaching a row's right edge ends there.
std::vector<RECT> OpaqueRuns(HDC DC, int Width, int Height, COLORREF Transparent);

// Registers the control for form resources (once).
void RegisterShapedForm();
