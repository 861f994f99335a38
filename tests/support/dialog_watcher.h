// Answers message boxes and dialogs that a test did not expect, so that a run never blocks
// under Xvfb: while a watcher lives, any dialog box of this process is closed with its
// first button (or Cancel), and its text is recorded.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TDialogWatcher {
public:
  TDialogWatcher();
  // Answers with the button Answer (IDOK, IDYES...) where the dialog has one.
  explicit TDialogWatcher(int Answer);
  ~TDialogWatcher();
  TDialogWatcher(const TDialogWatcher&) = delete;
  TDialogWatcher& operator=(const TDialogWatcher&) = delete;

  // The texts (UTF-16) of the dialogs answered so far, oldest first.
  std::vector<std::wstring> Answered();

private:
  void Run();
  int FAnswer = 0;
  std::atomic<bool> FStop{false};
  std::mutex FLock;
  std::vector<std::wstring> FAnswered;
  std::thread FThread;
};
