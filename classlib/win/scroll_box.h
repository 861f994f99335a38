// TScrollBox: a control whose children may extend past its client area; scroll bars appear
// as needed and scrolling moves the children.
#pragma once

#include "classlib/win/controls.h"

class TScrollBox : public TWinControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TScrollBox(TComponent* AOwner);

  // Scroll positions (how far the content is scrolled) and ranges (the content's extent).
  int HorzPosition() const { return FPos[0]; }
  int VertPosition() const { return FPos[1]; }
  int HorzRange() const { return FRange[0]; }
  int VertRange() const { return FRange[1]; }
  // Scrolls to a position, held within 0 .. range - client size.
  void ScrollTo(int X, int Y);
  // The content's extent from the children's bounds, and the scroll bars after it.
  void UpdateRange();

  void WndProc(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void InitWnd() override;
  void ChildBoundsChanged(TControl* Child) override;
  void Resize() override;

private:
  void UpdateBars();
  void Scroll(int Bar, WPARAM Code);
  int FPos[2] = {0, 0};
  int FRange[2] = {0, 0};
  bool FUpdating = false;
};
