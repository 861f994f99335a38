#include "tests/support/dialog_watcher.h"

namespace {

struct TFound {
  DWORD Pid;
  std::vector<HWND> Dialogs;
};

BOOL CALLBACK CollectDialogs(HWND Wnd, LPARAM LParam) {
  auto* F = reinterpret_cast<TFound*>(LParam);
  DWORD Pid = 0;
  GetWindowThreadProcessId(Wnd, &Pid);
  wchar_t Class[16] = {};
  GetClassNameW(Wnd, Class, 16);
  if (Pid == F->Pid && IsWindowVisible(Wnd) && lstrcmpW(Class, L"#32770") == 0) F->Dialogs.push_back(Wnd);
  return TRUE;
}

BOOL CALLBACK AppendStatic(HWND Wnd, LPARAM LParam) {
  wchar_t Class[16] = {};
  GetClassNameW(Wnd, Class, 16);
  if (lstrcmpiW(Class, L"Static") == 0) {
    wchar_t Text[1024] = {};
    GetWindowTextW(Wnd, Text, 1024);
    auto* S = reinterpret_cast<std::wstring*>(LParam);
    if (Text[0] != 0) *S += (S->empty() ? L"" : L"\n") + std::wstring(Text);
  }
  return TRUE;
}

}  // namespace

TDialogWatcher::TDialogWatcher() : FThread([this] { Run(); }) {}
TDialogWatcher::TDialogWatcher(int Answer) : FAnswer(Answer), FThread([this] { Run(); }) {}

TDialogWatcher::~TDialogWatcher() {
  FStop = true;
  FThread.join();
}

std::vector<std::wstring> TDialogWatcher::Answered() {
  std::lock_guard<std::mutex> G(FLock);
  return FAnswered;
}

void TDialogWatcher::Run() {
  while (!FStop) {
    TFound F{GetCurrentProcessId(), {}};
    EnumWindows(CollectDialogs, reinterpret_cast<LPARAM>(&F));
    for (HWND D : F.Dialogs) {
      std::wstring Text;
      EnumChildWindows(D, AppendStatic, reinterpret_cast<LPARAM>(&Text));
      {
        std::lock_guard<std::mutex> G(FLock);
        FAnswered.push_back(Text);
      }
      // The dialog's own Cancel (or OK for a box with OK only) closes it.
      HWND Button = FAnswer != 0 ? GetDlgItem(D, FAnswer) : nullptr;
      if (Button == nullptr) Button = GetDlgItem(D, IDCANCEL);
      if (Button == nullptr) Button = GetDlgItem(D, IDOK);
      PostMessageW(D, WM_COMMAND, MAKEWPARAM(Button != nullptr ? GetDlgCtrlID(Button) : IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Button));
    }
    Sleep(F.Dialogs.empty() ? 50 : 300);
  }
}
