// Window tests wait on conditions, never on bare sleeps: messages are handled meanwhile, so
// timers, posted work and repaints go on while the test waits.
#pragma once

#include <windows.h>

#include "tests/support/form_test.h"

// Handles messages until Cond holds; false when it does not within Limit milliseconds.
template <class F>
bool WaitFor(F Cond, DWORD Limit = 15000) {
  const DWORD Start = GetTickCount();
  while (!Cond()) {
    if (GetTickCount() - Start > Limit) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    PumpMessages();
  }
  return true;
}
