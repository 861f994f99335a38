// Hidden windows that route their messages to an object (timers, clipboard ownership,
// the owner of modeless common dialogs, calls posted from worker threads).
#pragma once

#include <windows.h>

#include <functional>

// Handles one message; calls DefWindowProcW itself for what it does not handle.
using TWndMethod = std::function<LRESULT(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)>;

// A hidden top-level window (it can own dialogs and the clipboard) of the calling thread.
HWND AllocateHWnd(TWndMethod Method);
void DeallocateHWnd(HWND Wnd);
