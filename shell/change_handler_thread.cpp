#include "shell/change_handler_thread.h"

#include "classlib/core/exception.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/wide_string.h"

namespace {
constexpr DWORD CommandWait = 2000;
constexpr DWORD StopWait = 30000;
}  // namespace

TChangeHandlerThread::TChangeHandlerThread(HWND AWindow, UINT AMessage)
    : FWindow(AWindow), FMessage(AMessage), FSlots(SlotCount, INVALID_HANDLE_VALUE) {
  FCommandEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  FDoneEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (FCommandEvent == nullptr || FDoneEvent == nullptr) {
    DWORD Error = GetLastError();
    if (FCommandEvent != nullptr) CloseHandle(FCommandEvent);
    if (FDoneEvent != nullptr) CloseHandle(FDoneEvent);
    FCommandEvent = FDoneEvent = nullptr;
    // The suspended thread object must still be able to go.
    Terminate();
    Resume();
    WaitFor();
    RaiseLastOSError(static_cast<int>(Error));
  }
  SetFreeOnTerminate(false);
  Resume();
}

TChangeHandlerThread::~TChangeHandlerThread() {
  if (FCommandEvent != nullptr) {
    {
      std::lock_guard<std::mutex> Guard(FLock);
      FCommand = cmStop;
    }
    SetEvent(FCommandEvent);
    // Bounded: a worker that does not answer is left behind rather than hanging the GUI.
    if (WaitForSingleObject(Handle(), StopWait) == WAIT_OBJECT_0) WaitFor();
  }
  std::vector<HANDLE> Handles;
  {
    std::lock_guard<std::mutex> Guard(FLock);
    for (HANDLE& H : FSlots)
      if (H != INVALID_HANDLE_VALUE) Handles.push_back(std::exchange(H, INVALID_HANDLE_VALUE));
    if (FPendingHandle != INVALID_HANDLE_VALUE)
      Handles.push_back(std::exchange(FPendingHandle, INVALID_HANDLE_VALUE));
  }
  if (Finished()) {
    if (FCommandEvent != nullptr) CloseHandle(FCommandEvent);
    if (FDoneEvent != nullptr) CloseHandle(FDoneEvent);
  }
  for (HANDLE H : Handles) FindCloseChangeNotification(H);
}

bool TChangeHandlerThread::RunCommand(TCommand ACommand) {
  FCommand = ACommand;
  ResetEvent(FDoneEvent);
  SetEvent(FCommandEvent);
  HANDLE Waits[2] = {FDoneEvent, Handle()};
  // A worker that has ended can never answer: do not wait on it.
  return WaitForMultipleObjects(2, Waits, FALSE, CommandWait) == WAIT_OBJECT_0;
}

bool TChangeHandlerThread::AddWatch(const std::string& Path, DWORD NotifyFilter, int& Slot,
                                    bool WatchSubtree) {
  Slot = -1;
  if (Path.empty()) return false;
  HANDLE H = FindFirstChangeNotificationW(ToWide(Path).c_str(), WatchSubtree ? TRUE : FALSE,
                                          NotifyFilter);
  if (H == INVALID_HANDLE_VALUE || H == nullptr) return false;
  {
    std::lock_guard<std::mutex> Guard(FLock);
    FPendingHandle = H;
  }
  RunCommand(cmAdd);
  std::lock_guard<std::mutex> Guard(FLock);
  if (FPendingHandle != INVALID_HANDLE_VALUE) {
    // Not taken (no free slot, or no answer in time): the caller hears false, so the
    // handle must not be watched later.
    FindCloseChangeNotification(std::exchange(FPendingHandle, INVALID_HANDLE_VALUE));
    return false;
  }
  // The worker took the handle, even if it answered late.
  Slot = FLastSlot;
  return Slot != -1;
}

void TChangeHandlerThread::RemoveAll() { RunCommand(cmRemoveAll); }

void TChangeHandlerThread::Execute() {
  std::vector<HANDLE> Waits;
  std::vector<int> SlotOf;
  for (;;) {
    Waits.assign(1, FCommandEvent);
    SlotOf.assign(1, -1);
    {
      std::lock_guard<std::mutex> Guard(FLock);
      for (int I = 0; I < SlotCount; ++I)
        if (FSlots[I] != INVALID_HANDLE_VALUE) {
          Waits.push_back(FSlots[I]);
          SlotOf.push_back(I);
        }
    }
    DWORD R = WaitForMultipleObjects(static_cast<DWORD>(Waits.size()), Waits.data(), FALSE, INFINITE);
    if (R == WAIT_FAILED) return;  // nothing to wait on any more: do not spin
    DWORD Pos = R - WAIT_OBJECT_0;
    if (Pos >= Waits.size()) continue;  // an abandoned wait cannot happen on these handles
    if (Pos == 0) {
      std::unique_lock<std::mutex> Guard(FLock);
      switch (FCommand) {
        case cmAdd: {
          FLastSlot = -1;
          if (FPendingHandle == INVALID_HANDLE_VALUE) break;  // taken back after a timeout
          for (int I = 0; I < SlotCount; ++I)
            if (FSlots[I] == INVALID_HANDLE_VALUE) {
              FSlots[I] = std::exchange(FPendingHandle, INVALID_HANDLE_VALUE);
              FLastSlot = I;
              break;
            }
          break;
        }
        case cmRemoveAll:
          for (HANDLE& H : FSlots)
            if (H != INVALID_HANDLE_VALUE) FindCloseChangeNotification(std::exchange(H, INVALID_HANDLE_VALUE));
          break;
        case cmStop:
          return;
      }
      Guard.unlock();
      SetEvent(FDoneEvent);
      continue;
    }
    int Slot = SlotOf[Pos];
    if (FWindow != nullptr) PostMessageW(FWindow, FMessage, static_cast<WPARAM>(Slot), 0);
    std::lock_guard<std::mutex> Guard(FLock);
    if (!FindNextChangeNotification(FSlots[Slot])) {
      FindCloseChangeNotification(std::exchange(FSlots[Slot], INVALID_HANDLE_VALUE));
    }
  }
}
