// Answers message boxes and dialogs that a test did not expect, so that a run never blocks
// under Xvfb: while a watcher lives, any dialog box of this process is closed with its
// first button (or Cancel), and its text is recorded.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TDialogWatcher {
public:
  TDialogWatcher();
  // Answers with the button Answer (IDOK, IDYES...) where the dialog has one.
  explicit TDialogWatcher(int Answer);
  // Runs Action on each dialog once, from the watcher's thread, in place of a button; a
  // dialog that Action left open is cancelled a while later.
  explicit TDialogWatcher(std::function<void(HWND Dialog)> Action);
  ~TDialogWatcher();
  TDialogWatcher(const TDialogWatcher&) = delete;
  TDialogWatcher& operator=(const TDialogWatcher&) = delete;

  // The texts (UTF-16) of the dialogs answered so far, oldest first.
  std::vector<std::wstring> Answered();
  // Their captions, in the same order.
  std::vector<std::wstring> Captions();

private:
  void Run();
  int FAnswer = 0;
  std::function<void(HWND)> FAction;
  bool FStop = false;  // under FLock
  std::condition_variable FWake;
  std::mutex FLock;
  std::vector<std::wstring> FAnswered, FCaptions;
  std::thread FThread;
};
