// A push button whose face shows a swatch of its colour; activating it opens the system
// colour dialog and takes the chosen colour.
#pragma once

#include <windows.h>

#include <memory>

#include "classlib/core/color.h"
#include "classlib/core/strings.h"
#include "classlib/win/controls.h"
#include "classlib/win/dialogs.h"

enum TActivationEvent { aeClick, aeMouseDown };
template <> const TTypeInfo* TypeInfoOf<TActivationEvent>();

class TColorButton : public TCustomControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TColorButton(TComponent* AOwner);
  ~TColorButton() override;

  // The swatch colour (not the face, which is always clBtnFace).
  TColor Color() const { return FSwatch; }
  void SetColor(TColor Value);
  TColorDialogOptions Options() const { return FOptions; }
  void SetOptions(TColorDialogOptions Value) { FOptions = Value; }
  TStrings* CustomColors() const { return FCustomColors.get(); }
  void SetCustomColors(TStrings* Value) { FCustomColors->Assign(Value); }
  // 0 or 1: how far the swatch grows, in steps of 2 pixels on every side.
  int Margin() const { return FMargin; }
  void SetMargin(int Value);
  TActivationEvent ActivationEvent() const { return FActivationEvent; }
  void SetActivationEvent(TActivationEvent Value) { FActivationEvent = Value; }
  // 0 up, 2 down.
  int State() const { return FState; }

  void Click() override;
  void WndProc(TMessage& Message) override;

  TNotifyEvent OnColorChange;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyUp(uint16_t& Key, TShiftState Shift) override;
  void EnabledChanged() override;
  void Resize() override;

private:
  void ShowColorDialog();
  TColor FSwatch = clWhite;
  int FState = 0;
  TColorDialogOptions FOptions;
  std::unique_ptr<TStringList> FCustomColors;
  int FMargin = 1;
  TActivationEvent FActivationEvent = aeClick;
  bool FTracking = false;
};

// Registers the button for form resources (once).
void RegisterColorButton();
