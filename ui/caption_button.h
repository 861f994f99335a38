// A small push button with a bitmap in the title bar of the form that owns it, left of
// the window's own caption buttons.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "classlib/core/component.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/forms.h"
#include "ui/rx_window_hook.h"

class TCaptionButton : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  // AOwner must be a form: its window is subclassed from now on.
  explicit TCaptionButton(TComponent* AOwner);
  ~TCaptionButton() override;

  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  // Pixels kept free between the button and the window's right edge.
  int RightMargin() const { return FRightMargin; }
  void SetRightMargin(int Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  // The non-client hit-test code of this button (666 for the first one made, then 667...).
  uint16_t HitCode() const { return FHitCode; }
  bool Down() const { return FDown; }
  // The button's rectangle in window coordinates, as last painted.
  RECT ButtonRect() const { return FRect; }

  TNotifyEvent OnClick;

private:
  void AfterMessage(TMessage& Msg);
  void Draw(bool Down);
  void RepaintCaption();
  TCustomForm* FForm;
  // The form's window is watched through the window hooks' one chain, so that hooks of
  // any kind come and go in any order.
  TRxWindowHook* FHook = nullptr;
  int FRightMargin = 0;
  std::unique_ptr<TBitmap> FGlyph;
  bool FVisible = true;
  RECT FRect{0, 0, 0, 0};
  bool FDown = false;
  bool FCaptured = false;
  bool FWindowGone = false;
  uint16_t FHitCode;
};

// Registers the button for form resources (once).
void RegisterCaptionButton();
