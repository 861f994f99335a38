#include "classlib/win/timer.h"

#include "classlib/win/application.h"
#include "classlib/win/utility_window.h"

const TClassInfo* TTimer::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TTimer, TComponent>("TTimer")
                                     .Prop("Enabled", &TTimer::Enabled, &TTimer::SetEnabled)
                                     .Prop("Interval", &TTimer::Interval, &TTimer::SetInterval)
                                     .Prop("OnTimer", &TTimer::OnTimer)
                                     .Build();
  return &Info;
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  FWindow = AllocateHWnd([this](HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) -> LRESULT {
    if (Msg != WM_TIMER) return DefWindowProcW(Wnd, Msg, WParam, LParam);
    try {
      Timer();
    } catch (...) {
      // Nothing may unwind through the system's message dispatch.
      if (Application != nullptr) Application->HandleException(this);
    }
    return 0;
  });
  if (FWindow == nullptr) throw EOutOfResources("Cannot create the timer's window");
  UpdateTimer();
}

TTimer::~TTimer() {
  FEnabled = false;
  KillTimer(FWindow, 1);
  DeallocateHWnd(FWindow);
}

void TTimer::UpdateTimer() {
  KillTimer(FWindow, 1);
  if (FEnabled && FInterval != 0 && SetTimer(FWindow, 1, FInterval, nullptr) == 0)
    throw EOutOfResources("Not enough timers available");
}

void TTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  UpdateTimer();
}

void TTimer::Timer() {
  if (FEnabled && FInterval != 0 && OnTimer) OnTimer(this);
}
