// TTimer: OnTimer every Interval milliseconds on the thread that made the timer, through
// a hidden window's system timer.
#pragma once

#include <windows.h>

#include "classlib/core/component.h"

class TTimer : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  // Milliseconds; 0 stops the timer.
  unsigned Interval() const { return FInterval; }
  void SetInterval(unsigned Value);

  // Raised while Enabled and Interval is not 0. An exception it raises goes to the
  // application's exception handling.
  TNotifyEvent OnTimer;

protected:
  virtual void Timer();

private:
  // Raises EOutOfResources "Not enough timers available" when the system has none left.
  void UpdateTimer();

  bool FEnabled = true;
  unsigned FInterval = 1000;
  HWND FWindow = nullptr;
};
