#include "classlib/win/thread.h"

#include <process.h>

#include <cerrno>
#include <string>

#include <deque>
#include <mutex>

#include "classlib/core/exception.h"
#include "classlib/win/utility_window.h"

const DWORD MainThreadID = GetCurrentThreadId();

template <>
const TTypeInfo* TypeInfoOf<TThreadPriority>() {
  static const TTypeInfo Info = EnumTypeInfo(
      "TThreadPriority", {"tpIdle", "tpLowest", "tpLower", "tpNormal", "tpHigher", "tpHighest", "tpTimeCritical"});
  return &Info;
}

namespace {

struct TSyncRequest {
  const TThreadMethod* Method;
  std::exception_ptr Error;
  HANDLE Done;
};

const UINT WM_SYNCHRONIZE = WM_APP + 0x3A1;

std::mutex SyncLock;
std::deque<TSyncRequest*> SyncQueue;
// Signalled whenever a request is queued; WaitFor on the main thread waits on it too.
HANDLE SyncPending = CreateEventW(nullptr, FALSE, FALSE, nullptr);
std::atomic<HWND> SyncWindow{nullptr};

void EnsureSyncWindow() {
  if (SyncWindow.load() != nullptr || GetCurrentThreadId() != MainThreadID) return;
  SyncWindow = AllocateHWnd([](HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) -> LRESULT {
    if (Msg == WM_SYNCHRONIZE) {
      CheckSynchronize();
      return 0;
    }
    return DefWindowProcW(Wnd, Msg, WParam, LParam);
  });
}

const int PriorityValues[] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,
                              THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
                              THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                              THREAD_PRIORITY_TIME_CRITICAL};

}  // namespace

bool CheckSynchronize() {
  if (GetCurrentThreadId() != MainThreadID) return false;
  bool Any = false;
  for (;;) {
    TSyncRequest* Request;
    {
      std::lock_guard<std::mutex> Guard(SyncLock);
      if (SyncQueue.empty()) break;
      Request = SyncQueue.front();
      SyncQueue.pop_front();
    }
    Any = true;
    try {
      (*Request->Method)();
    } catch (...) {
      Request->Error = std::current_exception();
    }
    SetEvent(Request->Done);
  }
  return Any;
}

void TThread::Synchronize(const TThreadMethod& Method) {
  if (!Method) return;
  if (GetCurrentThreadId() == MainThreadID) {
    Method();
    return;
  }
  TSyncRequest Request{&Method, nullptr, CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  if (Request.Done == nullptr) throw EOutOfResources("Cannot create an event for Synchronize");
  {
    std::lock_guard<std::mutex> Guard(SyncLock);
    SyncQueue.push_back(&Request);
  }
  SetEvent(SyncPending);
  if (HWND Wnd = SyncWindow.load())
    PostMessageW(Wnd, WM_SYNCHRONIZE, 0, 0);
  else
    PostThreadMessageW(MainThreadID, WM_NULL, 0, 0);  // wakes a plain message loop
  WaitForSingleObject(Request.Done, INFINITE);
  CloseHandle(Request.Done);
  if (Request.Error) std::rethrow_exception(Request.Error);
}

TThread::TThread() {
  EnsureSyncWindow();
  unsigned Id = 0;
  FHandle = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &Id));
  if (FHandle == nullptr) throw EOutOfResources("Thread creation error: " + std::to_string(errno));
  FThreadID = Id;
}

TThread::~TThread() {
  if (FHandle == nullptr) return;
  if (GetCurrentThreadId() != FThreadID && !FFinished) {
    Terminate();
    while (FSuspended) Resume();
    WaitFor();
  }
  CloseHandle(FHandle);
}

unsigned __stdcall TThread::ThreadProc(void* Param) {
  auto* Self = static_cast<TThread*>(Param);
  // A thread that is destroyed before it ever ran must not call Execute: its derived
  // part is gone by then.
  if (!Self->FTerminated) {
    Self->FStarted = true;
    try {
      Self->Execute();
    } catch (...) {
      Self->FFatalException = std::current_exception();
    }
    try {
      Self->DoTerminate();
    } catch (...) {
      if (!Self->FFatalException) Self->FFatalException = std::current_exception();
    }
  }
  bool FreeIt = Self->FFreeOnTerminate && Self->FStarted;
  int Result = Self->ReturnValue;
  Self->FFinished = true;
  if (FreeIt) delete Self;
  return static_cast<unsigned>(Result);
}

void TThread::DoTerminate() {
  if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

void TThread::Resume() {
  DWORD Count = ResumeThread(FHandle);
  if (Count == DWORD(-1)) throw EOSError("Thread resume error", GetLastError());
  if (Count <= 1) FSuspended = false;
}

void TThread::Suspend() {
  if (SuspendThread(FHandle) == DWORD(-1)) throw EOSError("Thread suspend error", GetLastError());
  FSuspended = true;
}

void TThread::SetSuspended(bool Value) {
  if (Value == FSuspended) return;
  if (Value)
    Suspend();
  else
    Resume();
}

int TThread::WaitFor() {
  if (GetCurrentThreadId() == MainThreadID) {
    HANDLE Handles[2] = {FHandle, SyncPending};
    for (;;) {
      DWORD R = WaitForMultipleObjects(2, Handles, FALSE, INFINITE);
      if (R == WAIT_OBJECT_0 + 1) {
        CheckSynchronize();
        continue;
      }
      break;
    }
  } else {
    WaitForSingleObject(FHandle, INFINITE);
  }
  // Other waiters may have consumed the wake-up of a call queued meanwhile.
  CheckSynchronize();
  DWORD Code = 0;
  GetExitCodeThread(FHandle, &Code);
  return static_cast<int>(Code);
}

TThreadPriority TThread::Priority() const {
  int P = GetThreadPriority(FHandle);
  for (int I = 0; I < 7; ++I)
    if (PriorityValues[I] == P) return TThreadPriority(I);
  return tpNormal;
}

void TThread::SetPriority(TThreadPriority Value) {
  if (Value < tpIdle || Value > tpTimeCritical) return;
  SetThreadPriority(FHandle, PriorityValues[Value]);
}
