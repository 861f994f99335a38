// How the shell list copes with a large folder, in a window under the real message loop:
// fills a list from a generated folder of N files (texts and icons asked for as shown),
// pages it from the top to the end with a repaint per page, sorts it by each column and
// refreshes it after one file was added. Prints the times; run it under Wine (or
// Windows): bench_shell_list_win.exe [files]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "classlib/win/application.h"
#include "classlib/win/forms.h"
#include "classlib/win/wide_string.h"
#include "shell/pt_shell_list.h"

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

void MakeFile(const std::string& Path, size_t Size) {
  HANDLE H = CreateFileW(ToWide(Path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (H == INVALID_HANDLE_VALUE) return;
  std::string Data(Size, 'x');
  DWORD Done = 0;
  if (Size != 0) WriteFile(H, Data.data(), DWORD(Size), &Done, nullptr);
  CloseHandle(H);
}

void RemoveFolder(const std::string& Path) {
  WIN32_FIND_DATAW D;
  HANDLE F = FindFirstFileW(ToWide(Path + "\\*").c_str(), &D);
  if (F != INVALID_HANDLE_VALUE) {
    do {
      std::string N = FromWide(D.cFileName);
      if (N != "." && N != "..") DeleteFileW(ToWide(Path + "\\" + N).c_str());
    } while (FindNextFileW(F, &D));
    FindClose(F);
  }
  RemoveDirectoryW(ToWide(Path).c_str());
}

void Paint(TWinControl* C) {
  UpdateWindow(C->Handle());
  Application->ProcessMessages();
}

}  // namespace

int main(int argc, char** argv) {
  int Files = argc > 1 ? std::atoi(argv[1]) : 10000;
  wchar_t Temp[MAX_PATH];
  GetTempPathW(MAX_PATH, Temp);
  std::string Dir = FromWide(Temp) + "zx_bench_shlist_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryW(ToWide(Dir).c_str(), nullptr);
  const char* Exts[] = {".txt", ".doc", ".png", ".zip", ".htm", ".c", ".exe", ".dat"};
  for (int I = 0; I < Files; ++I)
    MakeFile(Dir + "\\file" + std::to_string((I * 7919) % Files) + Exts[I % 8], size_t(I % 5000));

  std::unique_ptr<TForm> Form(CreateForm<TForm>(nullptr));
  Form->SetBounds(0, 0, 800, 600);
  auto* List = new TPTShellList(Form.get());
  List->SetParent(Form.get());
  List->SetAlign(alClient);
  List->SetViewStyle(vsReport);
  List->SetMultiSelect(true);
  List->SetOptions(List->Options() - TPTShellListOptions{ptsloDynamicRefresh});
  Form->Show();
  Application->ProcessMessages();

  TPidl Folder;
  PathToPidl(Dir, *Folder.Out());
  double T0 = Seconds();
  List->Folder()->SetIdList(Folder.Get());
  Paint(List);
  double Fill = Seconds() - T0;

  // What one item costs, step by step, over the first items.
  {
    int N = std::min(50, List->Items()->Count());
    const char* What[] = {"path", "GetAttributesOf", "drive type", "find first", "type name", "display name", "icon"};
    double Cost[7] = {};
    IShellFolder* F = List->ListShellFolder();
    for (int I = 0; I < N; ++I) {
      TPTShListData* D = List->GetItemData(I);
      PCItemIDList Rel = D->RelIdList();
      double T = Seconds();
      std::string Path = D->GetPath();
      Cost[0] += Seconds() - T, T = Seconds();
      ULONG A = 0xF00F0037;
      F->GetAttributesOf(1, &Rel, &A);
      Cost[1] += Seconds() - T, T = Seconds();
      GetDriveTypeW(L"C:\\");
      Cost[2] += Seconds() - T, T = Seconds();
      WIN32_FIND_DATAW FD;
      HANDLE H = FindFirstFileW(ToWide(Path).c_str(), &FD);
      if (H != INVALID_HANDLE_VALUE) FindClose(H);
      Cost[3] += Seconds() - T, T = Seconds();
      SHFILEINFOW Info{};
      SHGetFileInfoW(reinterpret_cast<LPCWSTR>(D->GetAbsIdList()), 0, &Info, sizeof(Info), SHGFI_TYPENAME | SHGFI_PIDL);
      Cost[4] += Seconds() - T, T = Seconds();
      SHGetFileInfoW(reinterpret_cast<LPCWSTR>(D->GetAbsIdList()), 0, &Info, sizeof(Info), SHGFI_DISPLAYNAME | SHGFI_PIDL);
      Cost[5] += Seconds() - T, T = Seconds();
      GetPidlIconIndex(D->GetAbsIdList(), SHGFI_SMALLICON);
      Cost[6] += Seconds() - T;
    }
    for (int K = 0; K < 7; ++K) std::printf("per item, %s: %.3f ms\n", What[K], N ? 1000 * Cost[K] / N : 0.0);
    std::fflush(stdout);
  }

  int Pages = 0;
  double Slowest = 0;
  T0 = Seconds();
  int Count = List->Items()->Count();
  int PerPage = std::max(1, int(SendMessageW(List->Handle(), LVM_GETCOUNTPERPAGE, 0, 0)));
  for (int Top = 0; Top < Count; Top += PerPage) {
    double P0 = Seconds();
    SendMessageW(List->Handle(), LVM_ENSUREVISIBLE, std::min(Count - 1, Top + PerPage - 1), FALSE);
    Paint(List);
    Slowest = std::max(Slowest, Seconds() - P0);
    ++Pages;
  }
  double Paging = Seconds() - T0;

  double Sorts[4];
  for (int C = 0; C < 4; ++C) {
    T0 = Seconds();
    List->SetSortColumn(C + 1);
    Paint(List);
    Sorts[C] = Seconds() - T0;
  }

  MakeFile(Dir + "\\added.txt", 10);
  T0 = Seconds();
  List->RefreshItems();
  Paint(List);
  double Refresh = Seconds() - T0;

  std::printf("folder: %d files, %d items listed\n", Files, List->Items()->Count());
  std::printf("fill and first paint: %.3f s\n", Fill);
  std::printf("page to the end: %d pages in %.3f s, %.3f ms a page, slowest %.3f ms\n", Pages, Paging,
              Pages ? 1000 * Paging / Pages : 0.0, 1000 * Slowest);
  std::printf("sort by name %.3f s, size %.3f s, type %.3f s, modified %.3f s\n", Sorts[0], Sorts[1], Sorts[2],
              Sorts[3]);
  std::printf("refresh after one new file: %.3f s\n", Refresh);
  Form.reset();
  RemoveFolder(Dir);
  return 0;
}
