// Driving class-library forms in window tests: keys with a given shift state go through the
// message loop exactly as typed ones do (menu shortcuts, key preview, the focused control).
#pragma once

#include <windows.h>

#include "classlib/win/application.h"
#include "classlib/win/controls.h"

// Handles every waiting message of the test's thread.
inline void PumpMessages() { Application->ProcessMessages(); }

// Presses and releases Key on Target (the focused window when nullptr) with the given
// modifiers, then lets the message loop handle it.
inline void PressKey(uint16_t Key, TShiftState Shift = {}, HWND Target = nullptr) {
  if (Target == nullptr) Target = GetFocus();
  BYTE Saved[256];
  GetKeyboardState(Saved);
  BYTE State[256];
  CopyMemory(State, Saved, sizeof State);
  State[VK_SHIFT] = Shift.Contains(ssShift) ? 0x80 : 0;
  State[VK_CONTROL] = Shift.Contains(ssCtrl) ? 0x80 : 0;
  State[VK_MENU] = Shift.Contains(ssAlt) ? 0x80 : 0;
  SetKeyboardState(State);
  bool Sys = Shift.Contains(ssAlt) || Key == VK_F10;
  LPARAM Down = 1 | (Shift.Contains(ssAlt) ? 0x20000000 : 0);
  PostMessageW(Target, Sys ? WM_SYSKEYDOWN : WM_KEYDOWN, Key, Down);
  PostMessageW(Target, Sys ? WM_SYSKEYUP : WM_KEYUP, Key, Down | 0xC0000000);
  PumpMessages();
  SetKeyboardState(Saved);
}
