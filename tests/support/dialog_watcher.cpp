#include "tests/support/dialog_watcher.h"

#include <algorithm>
#include <chrono>
#include <map>

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

TDialogWatcher::TDialogWatcher(std::function<void(HWND Dialog)> Action)
    : FAction(std::move(Action)), FThread([this] { Run(); }) {}

TDialogWatcher::~TDialogWatcher() {
  {
    std::lock_guard<std::mutex> G(FLock);
    FStop = true;
  }
  FWake.notify_all();  // the thread need not finish its pause: a test ends at once
  FThread.join();
}

std::vector<std::wstring> TDialogWatcher::Answered() {
  std::lock_guard<std::mutex> G(FLock);
  return FAnswered;
}

std::vector<std::wstring> TDialogWatcher::Captions() {
  std::lock_guard<std::mutex> G(FLock);
  return FCaptions;
}

void TDialogWatcher::Run() {
  std::map<HWND, int> Acted;  // the dialogs given to the action, and the rounds seen since
  for (;;) {
    TFound F{GetCurrentProcessId(), {}};
    EnumWindows(CollectDialogs, reinterpret_cast<LPARAM>(&F));
    for (auto It = Acted.begin(); It != Acted.end();)  // closed: its handle may come again
      It = std::find(F.Dialogs.begin(), F.Dialogs.end(), It->first) == F.Dialogs.end() ? Acted.erase(It) : ++It;
    for (HWND D : F.Dialogs) {
      if (FAction) {
        auto It = Acted.find(D);
        if (It != Acted.end() && ++It->second < 20) continue;
      }
      std::wstring Text, Caption(512, L'\0');
      EnumChildWindows(D, AppendStatic, reinterpret_cast<LPARAM>(&Text));
      Caption.resize(GetWindowTextW(D, Caption.data(), 512));
      if (!FAction || Acted.count(D) == 0) {
        std::lock_guard<std::mutex> G(FLock);
        FAnswered.push_back(Text);
        FCaptions.push_back(Caption);
      }
      if (FAction && Acted.count(D) == 0) {
        Acted[D] = 0;
        FAction(D);
        continue;
      }
      // The dialog's own Cancel (or OK for a box with OK only) closes it.
      HWND Button = FAnswer != 0 ? GetDlgItem(D, FAnswer) : nullptr;
      if (Button == nullptr) Button = GetDlgItem(D, IDCANCEL);
      if (Button == nullptr) Button = GetDlgItem(D, IDOK);
      PostMessageW(D, WM_COMMAND, MAKEWPARAM(Button != nullptr ? GetDlgCtrlID(Button) : IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Button));
    }
    // After an answer the dialog is given time to close before it is looked for again.
    std::unique_lock<std::mutex> G(FLock);
    if (FWake.wait_for(G, std::chrono::milliseconds(F.Dialogs.empty() ? 20 : 300), [this] { return FStop; })) return;
  }
}
