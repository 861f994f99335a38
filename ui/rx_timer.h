// TRxTimer: a timer that ticks from a worker thread of its own (TTimerThread), so that it
// keeps ticking while the main thread sits in a modal loop, or from a window timer on a
// hidden window. With SyncEvent (the default) the tick is delivered on the main thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>

#include "classlib/core/component.h"
#include "classlib/win/thread.h"

class TRxTimer;

namespace rx_timer_detail {
// What the worker reads and the timer writes. It outlives both the timer and the thread,
// so a thread that is still finishing never reads a freed timer.
struct TTimerShared {
  TTimerShared();
  ~TTimerShared();
  std::atomic<TRxTimer*> Owner{nullptr};  // nullptr once the timer is being destroyed
  std::atomic<bool> Running{false};       // false: the worker waits without ticking
  std::atomic<unsigned> Interval{1000};
  std::atomic<bool> SyncEvent{true};
  HANDLE Wake = nullptr;  // settings changed or stop: restart the wait
  // OnTimer is read by the worker when it ticks unsynchronised.
  std::mutex HandlerLock;
  // Main thread only: a synchronised tick is running, so its worker is blocked on it.
  int InSyncTick = 0;
};
}  // namespace rx_timer_detail

// The worker of a threaded TRxTimer. It frees itself once it ends; only the timer's
// destructor ends it.
class TTimerThread : public TThread {
public:
  explicit TTimerThread(std::shared_ptr<rx_timer_detail::TTimerShared> Shared);
  // Ends the loop and waits for it (serving synchronised calls meanwhile).
  ~TTimerThread() override;
  unsigned Interval() const { return FShared->Interval; }

protected:
  void Execute() override;

private:
  bool Closed() const;
  void Tick();

  std::shared_ptr<rx_timer_detail::TTimerShared> FShared;
};

class TRxTimer : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TRxTimer(TComponent* AOwner);
  ~TRxTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  // Milliseconds; 0 stops the timer.
  unsigned Interval() const { return FInterval; }
  void SetInterval(unsigned Value);
  // Threaded mode only: false runs OnTimer on the worker thread, and the handler does
  // its own locking.
  bool SyncEvent() const { return FSyncEvent; }
  void SetSyncEvent(bool Value);
  bool Threaded() const { return FThreaded; }
  void SetThreaded(bool Value);
  TThreadPriority ThreadPriority() const { return FThreadPriority; }
  void SetThreadPriority(TThreadPriority Value);

  // Assigning or clearing it starts or stops the timer; replacing one handler by another
  // keeps the period running.
  const TNotifyEvent& OnTimer() const { return FOnTimer; }
  void SetOnTimer(const TNotifyEvent& Value);

  // Runs Method on the main thread (directly when called there).
  void Synchronize(const TThreadMethod& Method);

  // Whether the worker is ticking (threaded mode, Enabled, Interval not 0, OnTimer set).
  bool ThreadRunning() const { return FShared->Running; }
  // The hidden window of window mode; nullptr in threaded mode.
  HWND TimerWindow() const { return FWindow; }

protected:
  // One tick: OnTimer, while enabled and not being destroyed.
  virtual void Timer();

private:
  friend class TTimerThread;
  // Raises EOutOfResources "Not enough timers available" when the system has none left.
  void UpdateTimer();
  void StopThread();
  void FreeWindow();

  std::atomic<bool> FEnabled{true};
  unsigned FInterval = 1000;
  TNotifyEvent FOnTimer;
  HWND FWindow = nullptr;
  bool FSyncEvent = true;
  bool FThreaded = true;
  TThreadPriority FThreadPriority = tpNormal;
  std::shared_ptr<rx_timer_detail::TTimerShared> FShared;
  // Ours to delete, except when we are freed from inside its own tick: then it frees
  // itself once the tick has returned.
  TTimerThread* FThread = nullptr;
  bool FThreadStarted = false;
};
