// TSpinEdit: an edit box for a whole number between MinValue and MaxValue, stepped by its
// arrow buttons, the Up and Down keys and the mouse wheel.
#pragma once

#include "classlib/win/std_ctrls.h"

class TSpinEdit : public TCustomEdit {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TSpinEdit(TComponent* AOwner);

  int MinValue() const { return FMinValue; }
  void SetMinValue(int Value);
  int MaxValue() const { return FMaxValue; }
  void SetMaxValue(int Value);
  int Increment() const { return FIncrement; }
  void SetIncrement(int Value) { FIncrement = Value; }
  // The number shown, held within the limits (a text that is no number reads as MinValue).
  int Value() const;
  void SetValue(int Value);
  // Steps by Increment times Steps (negative: down).
  void Step(int Steps);

  void WndProc(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void InitWnd() override;
  void DestroyWnd() override;
  bool WantsKey(uint16_t Key) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void DoExit() override;

private:
  int Clamp(int V) const;
  void PlaceButtons();
  int FMinValue = 0, FMaxValue = 0, FIncrement = 1;
  HWND FButtons = nullptr;
};

void RegisterSpinEdit();
