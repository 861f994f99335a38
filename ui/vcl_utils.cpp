#include "ui/vcl_utils.h"

#include "classlib/win/application.h"

void CenterWindow(HWND Wnd) {
  RECT R;
  if (!GetWindowRect(Wnd, &R)) return;
  int Width = R.right - R.left, Height = R.bottom - R.top;
  int ScreenWidth = GetSystemMetrics(SM_CXSCREEN), ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
  int Left = (ScreenWidth - Width) / 2, Top = (ScreenHeight - Height) / 2;
  if (Left + Width > ScreenWidth) Left = ScreenWidth - Width;
  if (Left < 0) Left = 0;
  if (Top + Height > ScreenHeight) Top = ScreenHeight - Height;
  if (Top < 0) Top = 0;
  SetWindowPos(Wnd, nullptr, Left, Top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Delay(long MSecs) {
  DWORD Start = GetTickCount();
  for (;;) {
    if (Application != nullptr) Application->ProcessMessages();
    DWORD Elapsed = GetTickCount() - Start;
    if (MSecs <= 0 || Elapsed >= static_cast<DWORD>(MSecs)) return;
    // Sleeps until the time is up or a message comes.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(MSecs) - Elapsed, QS_ALLINPUT);
  }
}
