// The picture window: one picture on black, maximised, centred where it fits, zoomed by
// doubling and halving (left and right mouse button, numeric-keypad plus and minus); Esc
// closes it.
#pragma once

#include "classlib/win/ext_ctrls.h"
#include "classlib/win/forms.h"
#include "classlib/win/scroll_box.h"

class TForm1 : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TForm1(TComponent* AOwner);

  // The zoom keeps the picture between these sizes (either side): halving stops before a
  // side would vanish, doubling before a side would pass the largest.
  static constexpr int MinSide = 1;
  static constexpr int MaxSide = 16384;

  TScrollBox* ScrollBox1 = nullptr;
  TImage* Image1 = nullptr;

  // Doubles or halves the picture's size; false (and nothing changed) at a limit.
  bool ZoomIn();
  bool ZoomOut();
  // Centres the picture on each side where the window holds it whole; where it does not,
  // the picture starts at the scrolled content's origin.
  void PlacePicture();

  void FormCreate(TObject* Sender);
  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void Image1MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

private:
  bool FPlacing = false;
  bool FPlaceAgain = false;
};

extern TForm1* Form1;
void RegisterPictureForm();
