#include "tests/support/screenshot.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <vector>

#include "tests/support/png_writer.h"

long SaveWindowPng(HWND Wnd, const std::string& FileName) {
  RECT r;
  if (!GetWindowRect(Wnd, &r)) return -1;
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return -1;
  // The window DC holds what Wine composed for the window: frame, caption, children.
  HDC screen = GetWindowDC(Wnd);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  std::vector<uint8_t> bgra(size_t(w) * h * 4);
  int lines = GetDIBits(mem, bmp, 0, h, bgra.data(), &bi, DIB_RGB_COLORS);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(Wnd, screen);
  if (lines != h) return -1;
  std::vector<uint8_t> rgb(size_t(w) * h * 3);
  std::map<uint32_t, long> counts;
  for (size_t i = 0, n = size_t(w) * h; i < n; ++i) {
    rgb[i * 3] = bgra[i * 4 + 2];
    rgb[i * 3 + 1] = bgra[i * 4 + 1];
    rgb[i * 3 + 2] = bgra[i * 4];
    ++counts[bgra[i * 4] | bgra[i * 4 + 1] << 8 | bgra[i * 4 + 2] << 16];
  }
  long common = 0;
  for (auto& [c, k] : counts) common = std::max(common, k);
  if (!WritePng(FileName, w, h, rgb)) return -1;
  return long(size_t(w) * h) - common;
}

std::string ScreenshotPath(const std::string& Name) {
  const char* dir = std::getenv("ZX_SCREENSHOTS");
  std::string d = dir && *dir ? dir : "screenshots";
  CreateDirectoryA(d.c_str(), nullptr);
  return d + "\\" + Name;
}

namespace {

std::string MenuShotName;
long MenuShotPixels = -1;

void CALLBACK CaptureOpenMenu(HWND, UINT, UINT_PTR Id, DWORD) {
  HWND Popup = FindWindowW(L"#32768", nullptr);
  if (Popup == nullptr || !IsWindowVisible(Popup)) return;
  KillTimer(nullptr, Id);
  UpdateWindow(Popup);
  MenuShotPixels = SaveWindowPng(Popup, MenuShotName);
  EndMenu();
}

}  // namespace

long SaveOpenedMenuPng(const std::function<void()>& Open, const std::string& FileName) {
  MenuShotName = FileName;
  MenuShotPixels = -1;
  UINT_PTR T = SetTimer(nullptr, 0, 100, CaptureOpenMenu);
  Open();
  KillTimer(nullptr, T);
  return MenuShotPixels;
}
