// The folder-change watcher of the shell tree and list: a worker thread that waits on
// change notifications and posts Message (wParam: the slot of the folder) to Window when
// a watched folder changes. It never calls into the controls; they treat the message as
// a hint and re-read the folder on their own thread.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "classlib/win/thread.h"

class TChangeHandlerThread : public TThread {
public:
  // The command event takes one of the MAXIMUM_WAIT_OBJECTS places of one wait.
  static constexpr int SlotCount = MAXIMUM_WAIT_OBJECTS - 1;

  // Starts running at once.
  TChangeHandlerThread(HWND AWindow, UINT AMessage);
  ~TChangeHandlerThread() override;

  // Watches Path; Slot is the number its messages will carry. False for an empty path,
  // a path that cannot be watched, or when every slot is taken.
  bool AddWatch(const std::string& Path, DWORD NotifyFilter, int& Slot, bool WatchSubtree);
  // Stops watching every folder.
  void RemoveAll();

protected:
  void Execute() override;

private:
  enum TCommand { cmAdd = 0, cmRemoveAll = 2, cmStop = 3 };
  // Hands a command to the worker; false when it was not done in time.
  bool RunCommand(TCommand ACommand);

  HWND FWindow;
  UINT FMessage;
  HANDLE FCommandEvent = nullptr;  // auto-reset: a command is written
  HANDLE FDoneEvent = nullptr;     // auto-reset: the worker has carried it out
  // The command fields and the slots: written by the GUI thread before it sets the
  // command event, by the worker before it sets the done event; the lock covers the
  // hand-back of a pending handle after a command timed out.
  std::mutex FLock;
  TCommand FCommand = cmAdd;
  HANDLE FPendingHandle = INVALID_HANDLE_VALUE;
  int FLastSlot = -1;
  std::vector<HANDLE> FSlots;  // INVALID_HANDLE_VALUE: empty
};
