// A list box whose lines each carry a check box: a click on the box or the space bar
// toggles the line's mark.
#pragma once

#include <vector>

#include "classlib/win/std_ctrls.h"

class TCheckListBox : public TListBox {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TCheckListBox(TComponent* AOwner) : TListBox(AOwner) {}

  // A line's mark; lines added later start unmarked. Out of range reads false.
  bool Checked(int Index) const;
  void SetChecked(int Index, bool Value);
  // Toggled by the user (not by SetChecked).
  TNotifyEvent OnClickCheck;

  void WndProc(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void ItemsChanged() override;

private:
  int CheckWidth();
  void Toggle(int Index);
  void DrawItem(const DRAWITEMSTRUCT& Draw);
  std::vector<bool> FChecked;
};

// Makes TCheckListBox known to form resources (once).
void RegisterCheckListBox();
