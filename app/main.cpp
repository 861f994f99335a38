// Zembrix start-up: the main window and the message loop.
#include <windows.h>

namespace {

LRESULT CALLBACK MainWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  switch (Msg) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE Instance, HINSTANCE, PWSTR, int) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = Instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"TMainForm";
  if (!RegisterClassExW(&wc)) return 1;
  HWND wnd = CreateWindowExW(0, wc.lpszClassName, L"Zembrix", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                             800, 600, nullptr, nullptr, Instance, nullptr);
  if (!wnd) return 1;
  ShowWindow(wnd, SW_SHOWMAXIMIZED);
  UpdateWindow(wnd);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
