// Window helpers of the component library (the portable ones are in ui/core/vcl_utils.h).
#pragma once

#include <windows.h>

#include "ui/core/vcl_utils.h"

// Moves the window, size, z-order and activation kept, to the centre of the screen, and
// keeps it on the screen (a window larger than the screen goes to 0, 0).
void CenterWindow(HWND Wnd);
// Waits MSecs milliseconds while the application handles its messages.
void Delay(long MSecs);
