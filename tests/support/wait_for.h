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

// As WaitFor, for a condition that takes the messages itself (one that must see each
// message before it is dispatched): between its checks this only waits for input.
template <class F>
bool WaitForTakingMessages(F Cond, DWORD Limit = 15000) {
  const DWORD Start = GetTickCount();
  while (!Cond()) {
    if (GetTickCount() - Start > Limit) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}
