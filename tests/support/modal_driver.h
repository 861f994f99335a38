// Answering the program's own modal windows in window tests: the action runs on the first
// modal form once it is up (from a timer of its modal loop), so that a test can look at it
// and answer it with keys, as a user does.
#pragma once

#include <windows.h>

#include <functional>

#include "classlib/win/forms.h"

class TModalDriver {
public:
  explicit TModalDriver(std::function<void(TForm*)> Action) {
    Current = this;
    FAction = std::move(Action);
    FTimer = SetTimer(nullptr, 0, 30, Tick);
  }
  ~TModalDriver() {
    KillTimer(nullptr, FTimer);
    Current = nullptr;
  }
  TModalDriver(const TModalDriver&) = delete;
  TModalDriver& operator=(const TModalDriver&) = delete;
  bool Ran() const { return FRan; }

private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (Current == nullptr || Current->FRan) return;
    auto* F = dynamic_cast<TForm*>(FindControl(GetActiveWindow()));
    if (F == nullptr || !F->Modal()) return;
    Current->FRan = true;
    Current->FAction(F);
  }
  static inline TModalDriver* Current = nullptr;
  std::function<void(TForm*)> FAction;
  UINT_PTR FTimer = 0;
  bool FRan = false;
};
