#include "ui/rx_timer.h"

#include "classlib/core/exception.h"
#include "classlib/win/application.h"
#include "classlib/win/utility_window.h"

using rx_timer_detail::TTimerShared;

TTimerShared::TTimerShared() {
  Wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (Wake == nullptr) throw EOutOfResources("Cannot create the timer's event");
}

TTimerShared::~TTimerShared() { CloseHandle(Wake); }

// ---------------------------------------------------------------------------------------

TTimerThread::TTimerThread(std::shared_ptr<TTimerShared> Shared) : FShared(std::move(Shared)) {}

TTimerThread::~TTimerThread() {
  if (Finished() || GetCurrentThreadId() == ThreadID()) return;
  Terminate();
  SetEvent(FShared->Wake);
  while (Suspended()) Resume();
  WaitFor();
}

bool TTimerThread::Closed() const {
  return Terminated() || (Application != nullptr && Application->Terminated()) ||
         FShared->Owner.load() == nullptr;
}

// The thread is never suspended from outside while it runs (it might hold the heap's
// lock then): a stopped timer parks it on the wake event instead.
void TTimerThread::Execute() {
  TTimerShared& S = *FShared;
  while (!Terminated()) {
    if (!S.Running) {
      WaitForSingleObject(S.Wake, INFINITE);
      continue;
    }
    // A wake-up means the settings changed: the period starts again.
    if (WaitForSingleObject(S.Wake, S.Interval) != WAIT_TIMEOUT) continue;
    if (Closed() || !S.Running) continue;
    Tick();
  }
}

void TTimerThread::Tick() {
  TTimerShared* S = FShared.get();
  if (S->SyncEvent) {
    // The timer may be stopped or freed before the main thread gets to the call: it
    // looks the timer up again there.
    TThread* Self = this;
    try {
      TThread::Synchronize([S, Self] {
        TRxTimer* Owner = S->Owner;
        if (Owner == nullptr || !S->Running) return;
        ++S->InSyncTick;
        try {
          Owner->Timer();
        } catch (...) {
          --S->InSyncTick;
          if (Application != nullptr) Application->HandleException(Self);
          return;
        }
        --S->InSyncTick;
      });
    } catch (...) {
      // Only the queueing itself can fail here; the next period tries again.
    }
    return;
  }
  // Unsynchronised: the owner is freed only after this thread has ended (its destructor
  // waits for us), or by the handler itself on this thread.
  TRxTimer* Owner = S->Owner;
  if (Owner == nullptr) return;
  std::exception_ptr Error;
  try {
    Owner->Timer();
  } catch (...) {
    Error = std::current_exception();
  }
  if (!Error) return;
  // Reported on the main thread: the report may show a message box, and a worker never
  // touches a window.
  TThread* Self = this;
  try {
    TThread::Synchronize([Error, Self] {
      try {
        std::rethrow_exception(Error);
      } catch (...) {
        if (Application != nullptr) Application->HandleException(Self);
      }
    });
  } catch (...) {
  }
}

// ---------------------------------------------------------------------------------------

const TClassInfo* TRxTimer::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TRxTimer, TComponent>("TRxTimer")
                                     .Prop("Enabled", &TRxTimer::Enabled, &TRxTimer::SetEnabled)
                                     .Prop("Interval", &TRxTimer::Interval, &TRxTimer::SetInterval)
                                     .Prop("SyncEvent", &TRxTimer::SyncEvent, &TRxTimer::SetSyncEvent)
                                     .Prop("Threaded", &TRxTimer::Threaded, &TRxTimer::SetThreaded)
                                     .Prop("ThreadPriority", &TRxTimer::ThreadPriority,
                                           &TRxTimer::SetThreadPriority)
                                     .Prop("OnTimer", &TRxTimer::OnTimer, &TRxTimer::SetOnTimer)
                                     .Build();
  return &Info;
}

TRxTimer::TRxTimer(TComponent* AOwner) : TComponent(AOwner), FShared(std::make_shared<TTimerShared>()) {
  FShared->Owner = this;
  // Created suspended: nothing ticks until a setter (or the form loader) runs UpdateTimer.
  FThread = new TTimerThread(FShared);
}

TRxTimer::~TRxTimer() {
  Destroying();
  FEnabled = false;
  {
    std::lock_guard<std::mutex> Guard(FShared->HandlerLock);
    FOnTimer = nullptr;
  }
  FShared->Owner = nullptr;
  FShared->Running = false;
  StopThread();
  FreeWindow();
}

void TRxTimer::StopThread() {
  if (FThread == nullptr) return;
  TTimerThread* Thread = FThread;
  FThread = nullptr;
  // Freed from inside its own tick: its worker is blocked on this very call (or is this
  // thread), so waiting would never end. It ends once the tick returns and frees itself.
  if (FThreadStarted && (FShared->InSyncTick > 0 || GetCurrentThreadId() == Thread->ThreadID())) {
    Thread->SetFreeOnTerminate(true);
    Thread->Terminate();
    SetEvent(FShared->Wake);
    return;
  }
  delete Thread;  // ends the loop and waits, serving a tick that is queued meanwhile
}

void TRxTimer::FreeWindow() {
  if (FWindow == nullptr) return;
  KillTimer(FWindow, 1);
  DeallocateHWnd(FWindow);
  FWindow = nullptr;
}

void TRxTimer::UpdateTimer() {
  TTimerShared& S = *FShared;
  bool Active = FInterval != 0 && FEnabled && static_cast<bool>(FOnTimer);
  if (FThreaded) {
    FreeWindow();
    S.Running = false;
    S.Interval = FInterval;
    if (Active && FThread != nullptr) {
      FThread->SetPriority(FThreadPriority);
      S.Running = true;
      if (!FThreadStarted) {
        FThreadStarted = true;
        FThread->Resume();
      }
    }
    SetEvent(S.Wake);
    return;
  }
  S.Running = false;
  SetEvent(S.Wake);
  if (FWindow == nullptr) {
    FWindow = AllocateHWnd([this](HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) -> LRESULT {
      // The handler may free the timer and with it this very window procedure: nothing
      // captured is used after the tick.
      TRxTimer* Self = this;
      if (Msg != WM_TIMER) return DefWindowProcW(Wnd, Msg, WParam, LParam);
      try {
        Self->Timer();
      } catch (...) {
        // Nothing may unwind through the system's message dispatch.
        if (Application != nullptr) Application->HandleException(Self);
      }
      return 0;
    });
    if (FWindow == nullptr) throw EOutOfResources("Cannot create the timer's window");
  } else {
    KillTimer(FWindow, 1);
  }
  if (Active && SetTimer(FWindow, 1, FInterval, nullptr) == 0)
    throw EOutOfResources("Not enough timers available");
}

void TRxTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateTimer();
}

void TRxTimer::SetInterval(unsigned Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  UpdateTimer();
}

void TRxTimer::SetSyncEvent(bool Value) {
  FSyncEvent = Value;
  FShared->SyncEvent = Value;
}

void TRxTimer::SetThreaded(bool Value) {
  if (Value == FThreaded) return;
  FThreaded = Value;
  UpdateTimer();
}

void TRxTimer::SetThreadPriority(TThreadPriority Value) {
  if (Value == FThreadPriority) return;
  FThreadPriority = Value;
  if (FThreaded) UpdateTimer();
}

void TRxTimer::SetOnTimer(const TNotifyEvent& Value) {
  bool Changed = static_cast<bool>(Value) != static_cast<bool>(FOnTimer);
  {
    std::lock_guard<std::mutex> Guard(FShared->HandlerLock);
    FOnTimer = Value;
  }
  if (Changed) UpdateTimer();
}

void TRxTimer::Synchronize(const TThreadMethod& Method) { TThread::Synchronize(Method); }

void TRxTimer::Timer() {
  if (!FEnabled || ComponentState().Contains(csDestroying)) return;
  // A copy: the handler may free the timer, and the event with it.
  TNotifyEvent Handler;
  {
    std::lock_guard<std::mutex> Guard(FShared->HandlerLock);
    Handler = FOnTimer;
  }
  if (Handler) Handler(this);
}
