#include "classlib/win/utility_window.h"

#include <memory>

namespace {

const wchar_t UtilWindowClass[] = L"ZembrixUtilWindow";

LRESULT CALLBACK UtilWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_NCCREATE) {
    auto* Cs = reinterpret_cast<CREATESTRUCTW*>(LParam);
    SetWindowLongPtrW(Wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Cs->lpCreateParams));
  }
  auto* Method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
  if (Method == nullptr || !*Method) return DefWindowProcW(Wnd, Msg, WParam, LParam);
  return (*Method)(Wnd, Msg, WParam, LParam);
}

void RegisterUtilClass() {
  static bool Done = [] {
    WNDCLASSW Wc{};
    Wc.lpfnWndProc = UtilWndProc;
    Wc.hInstance = GetModuleHandleW(nullptr);
    Wc.lpszClassName = UtilWindowClass;
    return ::RegisterClassW(&Wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  (void)Done;
}

}  // namespace

HWND AllocateHWnd(TWndMethod Method) {
  RegisterUtilClass();
  auto Holder = std::make_unique<TWndMethod>(std::move(Method));
  HWND Wnd = CreateWindowExW(WS_EX_TOOLWINDOW, UtilWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                             nullptr, GetModuleHandleW(nullptr), Holder.get());
  if (Wnd != nullptr) Holder.release();
  return Wnd;
}

void DeallocateHWnd(HWND Wnd) {
  if (Wnd == nullptr) return;
  auto* Method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
  // The method is detached first: messages sent while the window is destroyed take the
  // default path and never reach an object that is going away.
  SetWindowLongPtrW(Wnd, GWLP_USERDATA, 0);
  DestroyWindow(Wnd);
  delete Method;
}
