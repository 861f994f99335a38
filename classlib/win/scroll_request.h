// What a scroll bar's request (the code of WM_HSCROLL or WM_VSCROLL) asks for, shared by
// the controls that scroll by rows or columns of their own.
#pragma once

#include <windows.h>

// The position the request Code on bar Bar of Wnd asks for, from Current with Page a page
// and First and Last the two ends. The thumb's position is read from the bar itself, for
// the message carries 16 bits only. False for a code that asks for no position.
bool ScrollRequestTarget(HWND Wnd, int Bar, int Code, int Current, int Page, int First, int Last, int& Value);
