// A push button drawn as an ellipse in its colour with a raised rim, pressed while the
// mouse holds it; a click on release over it.
#pragma once

#include "classlib/win/controls.h"

class TREllipseButton : public TGraphicControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TREllipseButton(TComponent* AOwner);

  bool Pressed() const { return FPressed; }

protected:
  void Paint() override;
  void TextChanged() override { Invalidate(); }
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
  bool Inside(int X, int Y) const;
  bool FPressed = false;
  bool FTracking = false;
};

// Makes TREllipseButton known to form resources (once).
void RegisterEllipseButton();
