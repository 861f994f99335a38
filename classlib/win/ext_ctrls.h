// Panels, splitters and images.
#pragma once

#include <memory>

#include "classlib/win/controls.h"
#include "classlib/win/picture.h"
#include "classlib/win/std_ctrls.h"

enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };
template <> const TTypeInfo* TypeInfoOf<TPanelBevel>();

class TPanel : public TCustomControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TPanel(TComponent* AOwner);

  TPanelBevel BevelInner() const { return FBevelInner; }
  void SetBevelInner(TPanelBevel Value);
  TPanelBevel BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TPanelBevel Value);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int Value);
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);

protected:
  void Paint() override;
  void AdjustClientRect(TRect& Rect) override;
  // The window keeps the text too: the caption is read back from it.
  void TextChanged() override {
    TCustomControl::TextChanged();
    Invalidate();
  }

private:
  TPanelBevel FBevelInner = bvNone;
  TPanelBevel FBevelOuter = bvRaised;
  int FBevelWidth = 1;
  int FBorderWidth = 0;
  TAlignment FAlignment = taCenter;
};

// Resizes the control it touches (on the side of its own alignment) by dragging.
class TSplitter : public TGraphicControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TSplitter(TComponent* AOwner);

  int MinSize() const { return FMinSize; }
  void SetMinSize(int Value) { FMinSize = Value > 0 ? Value : 1; }
  bool Beveled() const { return FBeveled; }
  void SetBeveled(bool Value);
  // The control that the splitter resizes (nullptr when none touches it).
  TControl* FindControl() const;

  TNotifyEvent OnMoved;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
  int FMinSize = 30;
  bool FBeveled = false;
  TControl* FControl = nullptr;
  int FDownPos = 0;
  int FStartSize = 0;
};

// Shows a picture: at its own size from the top-left corner, centred, or stretched over the
// control; AutoSize gives the control the picture's size. It repaints whenever the picture
// changes.
class TImage : public TGraphicControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TImage(TComponent* AOwner);
  ~TImage() override;

  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  // Passed on to the graphic: a bitmap leaves its transparent colour unpainted.
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  // Where the picture goes in the control's client coordinates.
  TRect DestRect() const;

protected:
  void Paint() override;

private:
  void PictureChanged();
  void AdjustSize();
  std::unique_ptr<TPicture> FPicture;
  bool FAutoSize = false;
  bool FCenter = false;
  bool FStretch = false;
  bool FTransparent = false;
  bool FPassingTransparent = false;
};
