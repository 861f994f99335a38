// How the hex editor copes with a large file, in a window under the real message loop:
// opening a file of 1 GB (made sparse, so that making it costs nothing), paging down with a
// repaint per page, jumping with the scroll bar's thumb across the whole file, and the first
// change. Prints the times; run it under Wine (or Windows): bench_hex_win.exe [megabytes]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/forms.h"
#include "classlib/win/wide_string.h"
#include "tools/hex_editor.h"

namespace {

double Seconds() {
  static LARGE_INTEGER Frequency = [] {
    LARGE_INTEGER F;
    QueryPerformanceFrequency(&F);
    return F;
  }();
  LARGE_INTEGER T;
  QueryPerformanceCounter(&T);
  return static_cast<double>(T.QuadPart) / static_cast<double>(Frequency.QuadPart);
}

void Paint(THexEditor* E) {
  InvalidateRect(E->Handle(), nullptr, FALSE);
  UpdateWindow(E->Handle());
}

}  // namespace

int main(int argc, char** argv) {
  std::int64_t Megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1024;
  wchar_t Temp[MAX_PATH];
  GetTempPathW(MAX_PATH, Temp);
  std::string Name = FromWide(Temp) + "zx-hex-bench.bin";
  {
    TFileStream F(Name, fmCreate);
    F.SetSize(Megabytes * 1024 * 1024);
    F.SetPosition(F.Size() - 5);
    F.WriteBuffer("!end!", 5);
  }

  std::unique_ptr<TForm> Form(CreateForm<TForm>(nullptr));
  Form->SetBounds(0, 0, 800, 600);
  auto* HE = new THexEditor(Form.get());
  HE->SetParent(Form.get());
  HE->SetAlign(alClient);
  Form->Show();
  Application->ProcessMessages();
  HE->SetFocus();

  double T0 = Seconds();
  if (!HE->LoadFromFile(Name)) {
    std::printf("cannot open %s: %s\n", Name.c_str(), HE->Model()->LastError().c_str());
    return 1;
  }
  Paint(HE);
  double Open = Seconds() - T0;

  const int PageCount = 2000;
  double Slowest = 0;
  T0 = Seconds();
  for (int i = 0; i < PageCount; ++i) {
    double P0 = Seconds();
    SendMessageW(HE->Handle(), WM_KEYDOWN, VK_NEXT, 1);
    Paint(HE);
    Slowest = std::max(Slowest, Seconds() - P0);
  }
  double Paging = Seconds() - T0;

  // The thumb dragged to 500 places spread over the file, a repaint at each.
  const int Jumps = 500;
  double SlowestJump = 0;
  T0 = Seconds();
  for (int i = 0; i < Jumps; ++i) {
    double P0 = Seconds();
    HE->SetTopRow(static_cast<int>(static_cast<std::int64_t>(HE->RowCount()) * ((i * 7919) % Jumps) / Jumps));
    Paint(HE);
    SlowestJump = std::max(SlowestJump, Seconds() - P0);
  }
  double Jumping = Seconds() - T0;

  SendMessageW(HE->Handle(), WM_KEYDOWN, VK_END, 1);
  HE->Seek(0, 2, false);
  T0 = Seconds();
  SendMessageW(HE->Handle(), WM_CHAR, L'a', 1);
  Paint(HE);
  double FirstChange = Seconds() - T0;

  std::printf("file: %lld MB\n", static_cast<long long>(Megabytes));
  std::printf("open and first paint: %.1f ms\n", Open * 1000);
  std::printf("%d pages down: %.1f ms (%.3f ms a page, slowest %.3f ms)\n", PageCount, Paging * 1000,
              Paging * 1000 / PageCount, Slowest * 1000);
  std::printf("%d thumb jumps: %.1f ms (%.3f ms a jump, slowest %.3f ms)\n", Jumps, Jumping * 1000,
              Jumping * 1000 / Jumps, SlowestJump * 1000);
  std::printf("first change (makes the work file): %.1f ms\n", FirstChange * 1000);
  HE->SetModified(false);
  Form.reset();
  DeleteFile(Name);
  return 0;
}
