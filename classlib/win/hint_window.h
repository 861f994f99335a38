// The window that shows a control's short hint. The application makes it from the hint
// window class it is given, so that a unit may draw hints its own way.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "classlib/win/controls.h"

class THintWindow : public TCustomControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit THintWindow(TComponent* AOwner);

  // The window's rectangle at (0, 0) for AHint wrapped at MaxWidth pixels (AData: what the
  // caller passes through to a hint window of its own).
  virtual TRect CalcHintRect(int MaxWidth, const std::string& AHint, void* AData);
  // Shows AHint in Rect (screen coordinates), on top, without taking the focus.
  virtual void ActivateHint(const TRect& Rect, const std::string& AHint);
  virtual void ActivateHintData(const TRect& Rect, const std::string& AHint, void* AData);
  // Hides the window.
  void ReleaseHint();
  bool Showing() const;

protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void WndProc(TMessage& Message) override;
};

// Makes the hint window of the application (its owner is nullptr).
using THintWindowClass = std::function<std::unique_ptr<THintWindow>()>;
