// The environment the Windows tests and the program run in.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "tests/support/screenshot.h"

// The program's strings are 1251 bytes and archive names are 866: the test prefix must
// give exactly these code pages, whatever the host's locale.
TEST(WinEnv, CodePagesAre1251And866) {
  EXPECT_EQ(GetACP(), 1251u);
  EXPECT_EQ(GetOEMCP(), 866u);
  wchar_t w[4] = {};
  const char ya[] = "\xDF";  // Я in 1251
  ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, ya, 1, w, 4), 1);
  EXPECT_EQ(w[0], 0x042F);
}

TEST(WinEnv, JpegRoundTrip) {
  const int W = 32, H = 24;
  std::vector<unsigned char> rgb(W * H * 3);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      unsigned char* p = &rgb[(y * W + x) * 3];
      p[0] = static_cast<unsigned char>(x * 8);
      p[1] = static_cast<unsigned char>(y * 10);
      p[2] = 128;
    }
  jpeg_compress_struct c{};
  jpeg_error_mgr cerr{};
  c.err = jpeg_std_error(&cerr);
  jpeg_create_compress(&c);
  unsigned char* buf = nullptr;
  unsigned long len = 0;
  jpeg_mem_dest(&c, &buf, &len);
  c.image_width = W;
  c.image_height = H;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 95, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = &rgb[c.next_scanline * W * 3];
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  ASSERT_GT(len, 100u);

  jpeg_decompress_struct d{};
  jpeg_error_mgr derr{};
  d.err = jpeg_std_error(&derr);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, buf, len);
  ASSERT_EQ(jpeg_read_header(&d, TRUE), JPEG_HEADER_OK);
  jpeg_start_decompress(&d);
  ASSERT_EQ(d.output_width, unsigned(W));
  ASSERT_EQ(d.output_height, unsigned(H));
  std::vector<unsigned char> out(W * H * 3);
  while (d.output_scanline < d.output_height) {
    JSAMPROW row = &out[d.output_scanline * W * 3];
    jpeg_read_scanlines(&d, &row, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  free(buf);
  int maxDiff = 0;
  for (size_t i = 0; i < out.size(); ++i) maxDiff = std::max(maxDiff, std::abs(out[i] - rgb[i]));
  EXPECT_LE(maxDiff, 12);
}

namespace {

struct FindData {
  DWORD Pid;
  HWND Wnd;
};

BOOL CALLBACK FindTopWindow(HWND Wnd, LPARAM LParam) {
  auto* f = reinterpret_cast<FindData*>(LParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(Wnd, &pid);
  if (pid == f->Pid && IsWindowVisible(Wnd) && !GetWindow(Wnd, GW_OWNER)) {
    f->Wnd = Wnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

// Starts the program as a user would and looks at its main window.
TEST(WinEnv, ProgramShowsItsMainWindow) {
  const char* dist = std::getenv("ZX_DIST");
  ASSERT_NE(dist, nullptr);
  std::string exe = std::string(dist) + "\\zembrix.exe";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, dist, &si, &pi))
      << exe << " error " << GetLastError();
  WaitForInputIdle(pi.hProcess, 10000);
  FindData f{pi.dwProcessId, nullptr};
  for (int i = 0; i < 200 && !f.Wnd; ++i) {
    EnumWindows(FindTopWindow, reinterpret_cast<LPARAM>(&f));
    if (!f.Wnd) Sleep(50);
  }
  ASSERT_NE(f.Wnd, nullptr) << "no window";
  wchar_t title[64] = {};
  GetWindowTextW(f.Wnd, title, 64);
  EXPECT_STREQ(title, L"Zembrix");
  // Paint the window and every child now, synchronously across the process boundary, and
  // capture once the capture shows something (a window still being laid out draws blank).
  long drawn = 0;
  for (int i = 0; i < 100 && drawn <= 0; ++i) {
    if (i > 0) Sleep(50);
    RedrawWindow(f.Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    drawn = SaveWindowPng(f.Wnd, ScreenshotPath("main-window.png"));
  }
  EXPECT_GT(drawn, 0) << "the capture is blank";
  PostMessageW(f.Wnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 10000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}
