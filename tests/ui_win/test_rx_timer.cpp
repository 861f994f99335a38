// TRxTimer: ticks from its worker thread (on the main thread or not), from its window
// timer, starting and stopping, and being freed from inside its own tick or while a tick
// is queued for the main thread.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <vector>

#include "classlib/core/typinfo.h"
#include "classlib/win/application.h"
#include "ui/rx_timer.h"

namespace {

// Serves messages and synchronised calls until Done or Bound milliseconds have passed.
template <class P>
bool PumpUntil(P Done, DWORD Bound = 5000) {
  DWORD Start = GetTickCount();
  for (;;) {
    MSG Msg;
    while (PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&Msg);
      DispatchMessageW(&Msg);
    }
    CheckSynchronize();
    if (Done()) return true;
    if (GetTickCount() - Start > Bound) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

void PumpFor(DWORD Ms) {
  PumpUntil([] { return false; }, Ms);
}

// Waits without serving anything (the worker's tick is left queued).
template <class P>
bool WaitUntil(P Done, DWORD Bound = 5000) {
  DWORD Start = GetTickCount();
  while (!Done()) {
    if (GetTickCount() - Start > Bound) return false;
    Sleep(1);
  }
  return true;
}

struct RxTimer : ::testing::Test {
  void SetUp() override {
    Application->OnException = [this](TObject* Sender, const std::exception& E) {
      Reported.push_back(E.what());
      ReportSender = Sender;
    };
  }
  void TearDown() override { Application->OnException = nullptr; }
  std::vector<std::string> Reported;
  TObject* ReportSender = nullptr;
};

}  // namespace

TEST_F(RxTimer, DefaultsAndPublishedProperties) {
  TRxTimer T(nullptr);
  EXPECT_TRUE(T.Enabled());
  EXPECT_EQ(T.Interval(), 1000u);
  EXPECT_TRUE(T.SyncEvent());
  EXPECT_TRUE(T.Threaded());
  EXPECT_EQ(T.ThreadPriority(), tpNormal);
  EXPECT_FALSE(T.ThreadRunning());  // no handler yet
  EXPECT_EQ(T.TimerWindow(), nullptr);

  SetOrdProp(&T, "Interval", 250);
  EXPECT_EQ(T.Interval(), 250u);
  SetEnumProp(&T, "ThreadPriority", "tpHigher");
  EXPECT_EQ(T.ThreadPriority(), tpHigher);
  SetEnumProp(&T, "SyncEvent", "False");
  EXPECT_FALSE(T.SyncEvent());
  EXPECT_EQ(GetEnumProp(&T, "Threaded"), "True");
  EXPECT_TRUE(IsPublishedProp(&T, "OnTimer"));
}

TEST_F(RxTimer, SynchronisedTicksArriveOnTheMainThread) {
  TRxTimer T(nullptr);
  std::vector<DWORD> Threads;
  T.SetInterval(10);
  T.SetOnTimer([&](TObject* Sender) {
    EXPECT_EQ(Sender, &T);
    Threads.push_back(GetCurrentThreadId());
  });
  EXPECT_TRUE(T.ThreadRunning());
  ASSERT_TRUE(PumpUntil([&] { return Threads.size() >= 3; }));
  for (DWORD Id : Threads) EXPECT_EQ(Id, MainThreadID);
}

TEST_F(RxTimer, UnsynchronisedTicksRunOnTheWorker) {
  TRxTimer T(nullptr);
  std::atomic<int> Count{0};
  std::atomic<bool> OnMain{false};
  T.SetSyncEvent(false);
  T.SetInterval(10);
  T.SetOnTimer([&](TObject*) {
    if (GetCurrentThreadId() == MainThreadID) OnMain = true;
    ++Count;
  });
  // Nothing is pumped: the ticks come anyway.
  ASSERT_TRUE(WaitUntil([&] { return Count >= 3; }));
  EXPECT_FALSE(OnMain);
}

TEST_F(RxTimer, KeepsTickingWhileTheMainThreadIsBusyInItsOwnLoop) {
  // Window timers need the message loop; the threaded one only needs the calls served.
  TRxTimer T(nullptr);
  int Count = 0;
  T.SetInterval(10);
  T.SetOnTimer([&](TObject*) { ++Count; });
  DWORD Start = GetTickCount();
  while (Count < 3 && GetTickCount() - Start < 5000) {
    CheckSynchronize();
    Sleep(1);
  }
  EXPECT_GE(Count, 3);
}

TEST_F(RxTimer, NoTickWithoutIntervalEnabledOrHandler) {
  for (bool Threaded : {true, false}) {
    SCOPED_TRACE(Threaded ? "threaded" : "window");
    int Count = 0;
    {
      TRxTimer T(nullptr);
      T.SetThreaded(Threaded);
      T.SetInterval(5);
      PumpFor(100);  // no handler
      T.SetInterval(0);
      T.SetOnTimer([&](TObject*) { ++Count; });
      EXPECT_FALSE(T.ThreadRunning());
      PumpFor(100);
      T.SetEnabled(false);
      T.SetInterval(5);
      EXPECT_FALSE(T.ThreadRunning());
      PumpFor(100);
    }
    EXPECT_EQ(Count, 0);
  }
}

TEST_F(RxTimer, EnablingStartsAndDisablingStops) {
  TRxTimer T(nullptr);
  int Count = 0;
  T.SetEnabled(false);
  T.SetInterval(5);
  T.SetOnTimer([&](TObject*) { ++Count; });
  EXPECT_FALSE(T.ThreadRunning());
  T.SetEnabled(true);
  EXPECT_TRUE(T.ThreadRunning());
  ASSERT_TRUE(PumpUntil([&] { return Count >= 2; }));
  T.SetEnabled(false);
  EXPECT_FALSE(T.ThreadRunning());
  // A tick already queued for the main thread is dropped too.
  int Stopped = Count;
  PumpFor(100);
  EXPECT_EQ(Count, Stopped);
  // Clearing the handler stops it as well.
  T.SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return Count >= Stopped + 2; }));
  T.SetOnTimer(nullptr);
  EXPECT_FALSE(T.ThreadRunning());
  Stopped = Count;
  PumpFor(100);
  EXPECT_EQ(Count, Stopped);
}

TEST_F(RxTimer, IntervalChangeTakesEffectAtOnce) {
  for (bool Threaded : {true, false}) {
    SCOPED_TRACE(Threaded ? "threaded" : "window");
    TRxTimer T(nullptr);
    T.SetThreaded(Threaded);
    int Count = 0;
    T.SetInterval(600000);  // ten minutes: would never tick within the test
    T.SetOnTimer([&](TObject*) { ++Count; });
    T.SetInterval(10);
    EXPECT_TRUE(PumpUntil([&] { return Count >= 3; }));
  }
}

TEST_F(RxTimer, ReplacingTheHandlerKeepsTheTimerRunning) {
  TRxTimer T(nullptr);
  int First = 0, Second = 0;
  T.SetInterval(10);
  T.SetOnTimer([&](TObject*) { ++First; });
  ASSERT_TRUE(PumpUntil([&] { return First >= 1; }));
  T.SetOnTimer([&](TObject*) { ++Second; });
  EXPECT_TRUE(T.ThreadRunning());
  ASSERT_TRUE(PumpUntil([&] { return Second >= 2; }));
}

TEST_F(RxTimer, WindowModeTicksOnTheMainThreadAndSwitchesBack) {
  TRxTimer T(nullptr);
  std::vector<DWORD> Threads;
  T.SetInterval(10);
  T.SetOnTimer([&](TObject*) { Threads.push_back(GetCurrentThreadId()); });
  T.SetThreaded(false);
  EXPECT_NE(T.TimerWindow(), nullptr);
  EXPECT_FALSE(T.ThreadRunning());
  ASSERT_TRUE(PumpUntil([&] { return Threads.size() >= 3; }));
  for (DWORD Id : Threads) EXPECT_EQ(Id, MainThreadID);

  T.SetThreaded(true);
  EXPECT_EQ(T.TimerWindow(), nullptr);
  EXPECT_TRUE(T.ThreadRunning());
  size_t Before = Threads.size();
  ASSERT_TRUE(PumpUntil([&] { return Threads.size() >= Before + 3; }));
}

TEST_F(RxTimer, PriorityInWindowModeIsOnlyStored) {
  TRxTimer T(nullptr);
  int Count = 0;
  T.SetInterval(10);
  T.SetOnTimer([&](TObject*) { ++Count; });
  T.SetThreaded(false);
  HWND Wnd = T.TimerWindow();
  T.SetThreadPriority(tpLowest);
  EXPECT_EQ(T.ThreadPriority(), tpLowest);
  EXPECT_EQ(T.TimerWindow(), Wnd);
  EXPECT_FALSE(T.ThreadRunning());
  ASSERT_TRUE(PumpUntil([&] { return Count >= 2; }));
  // Applied on the next threaded start.
  T.SetThreaded(true);
  EXPECT_TRUE(T.ThreadRunning());
  int Before = Count;
  ASSERT_TRUE(PumpUntil([&] { return Count >= Before + 2; }));
}

TEST_F(RxTimer, FreedFromInsideItsOwnSynchronisedTick) {
  auto* T = new TRxTimer(nullptr);
  int Count = 0;
  T->SetInterval(5);
  T->SetOnTimer([&](TObject* Sender) {
    ++Count;
    delete static_cast<TRxTimer*>(Sender);
  });
  ASSERT_TRUE(PumpUntil([&] { return Count >= 1; }));
  PumpFor(100);
  EXPECT_EQ(Count, 1);
}

TEST_F(RxTimer, FreedFromInsideItsOwnUnsynchronisedTick) {
  auto* T = new TRxTimer(nullptr);
  std::atomic<int> Count{0};
  T->SetSyncEvent(false);
  T->SetInterval(5);
  T->SetOnTimer([&](TObject* Sender) {
    delete static_cast<TRxTimer*>(Sender);
    ++Count;
  });
  ASSERT_TRUE(WaitUntil([&] { return Count >= 1; }));
  PumpFor(100);
  EXPECT_EQ(Count, 1);
}

TEST_F(RxTimer, FreedFromInsideItsWindowTick) {
  auto* T = new TRxTimer(nullptr);
  int Count = 0;
  T->SetThreaded(false);
  T->SetInterval(5);
  T->SetOnTimer([&](TObject* Sender) {
    ++Count;
    delete static_cast<TRxTimer*>(Sender);
  });
  ASSERT_TRUE(PumpUntil([&] { return Count >= 1; }));
  PumpFor(100);
  EXPECT_EQ(Count, 1);
}

TEST_F(RxTimer, FreedWhileATickIsQueuedForTheMainThread) {
  auto T = std::make_unique<TRxTimer>(nullptr);
  int Count = 0;
  T->SetInterval(1);
  T->SetOnTimer([&](TObject*) { ++Count; });
  // The worker queues its tick and waits for the main thread, which does not serve it:
  // wait until the call reaches this thread's queue, without dispatching it.
  MSG M;
  ASSERT_TRUE(WaitUntil([&] { return PeekMessageW(&M, nullptr, WM_APP, 0xBFFF, PM_NOREMOVE) != FALSE; }));
  T.reset();  // must neither hang nor run the tick on a freed timer
  PumpFor(50);
  EXPECT_EQ(Count, 0);
}

TEST_F(RxTimer, FreedWhileAnUnsynchronisedTickWaitsForTheMainThread) {
  auto T = std::make_unique<TRxTimer>(nullptr);
  std::atomic<bool> Entered{false}, Left{false};
  bool RanOnMain = false;
  TRxTimer* Raw = T.get();
  T->SetSyncEvent(false);
  T->SetInterval(5);
  T->SetOnTimer([&, Raw](TObject*) {
    if (Entered.exchange(true)) return;
    Raw->Synchronize([&] { RanOnMain = GetCurrentThreadId() == MainThreadID; });
    Left = true;
  });
  ASSERT_TRUE(WaitUntil([&] { return Entered.load(); }));
  T.reset();  // waits for the tick, serving its call to the main thread
  EXPECT_TRUE(Left);
  EXPECT_TRUE(RanOnMain);
}

TEST_F(RxTimer, AnExceptionInTheTickIsReportedAndTheTimerGoesOn) {
  for (bool Sync : {true, false}) {
    SCOPED_TRACE(Sync ? "synchronised" : "unsynchronised");
    Reported.clear();
    TRxTimer T(nullptr);
    std::atomic<int> Count{0};
    T.SetSyncEvent(Sync);
    T.SetInterval(5);
    T.SetOnTimer([&](TObject*) {
      if (++Count == 1) throw std::runtime_error("tick failed");
    });
    ASSERT_TRUE(PumpUntil([&] { return Count >= 3 && !Reported.empty(); }));
    EXPECT_EQ(Reported[0], "tick failed");
    EXPECT_NE(ReportSender, nullptr);
  }
  // Window mode reports with the timer as sender.
  Reported.clear();
  TRxTimer T(nullptr);
  int Count = 0;
  T.SetThreaded(false);
  T.SetInterval(5);
  T.SetOnTimer([&](TObject*) {
    if (++Count == 1) throw std::runtime_error("window tick failed");
  });
  ASSERT_TRUE(PumpUntil([&] { return Count >= 3 && !Reported.empty(); }));
  EXPECT_EQ(Reported[0], "window tick failed");
  EXPECT_EQ(ReportSender, &T);
}
