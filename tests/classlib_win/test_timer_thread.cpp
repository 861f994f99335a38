// Message timers and worker threads: start, stop, Synchronize, self-deleting threads.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>

#include "classlib/win/application.h"
#include "classlib/win/thread.h"
#include "classlib/win/timer.h"

namespace {

// Runs the message loop until Done() holds; a message timer of its own bounds the wait
// so that a broken timer fails the test instead of hanging it.
bool LoopUntil(const std::function<bool()>& Done, UINT LimitMs = 20000) {
  UINT_PTR Guard = SetTimer(nullptr, 0, LimitMs, nullptr);
  MSG Msg;
  bool Ok = true;
  while (!Done()) {
    if (GetMessageW(&Msg, nullptr, 0, 0) <= 0) break;
    if (Msg.message == WM_TIMER && Msg.hwnd == nullptr && Msg.wParam == Guard) {
      Ok = Done();
      break;
    }
    TranslateMessage(&Msg);
    DispatchMessageW(&Msg);
  }
  KillTimer(nullptr, Guard);
  return Ok;
}

TEST(Timer, TicksUntilDisabledAndOnlyWhileEnabled) {
  TTimer Fast(nullptr), Slow(nullptr);
  EXPECT_TRUE(Fast.Enabled());
  EXPECT_EQ(Fast.Interval(), 1000u);
  int FastTicks = 0, SlowTicks = 0;
  Fast.SetInterval(5);
  Fast.OnTimer = [&](TObject* Sender) {
    EXPECT_EQ(Sender, &Fast);
    if (++FastTicks == 3) Fast.SetEnabled(false);
  };
  Slow.SetInterval(30);
  Slow.OnTimer = [&](TObject*) { ++SlowTicks; };
  ASSERT_TRUE(LoopUntil([&] { return SlowTicks >= 5; }));
  EXPECT_EQ(FastTicks, 3);  // nothing after it was switched off

  // Interval 0 stops a timer as well; switching back on restarts it.
  Slow.SetInterval(0);
  Fast.SetEnabled(true);
  int Before = SlowTicks;
  ASSERT_TRUE(LoopUntil([&] { return FastTicks >= 6; }));
  EXPECT_EQ(SlowTicks, Before);
}

TEST(Timer, AnExceptionInOnTimerGoesToTheApplication) {
  ASSERT_NE(Application, nullptr);
  std::string Seen;
  TObject* SeenSender = nullptr;
  auto Saved = Application->OnException;
  Application->OnException = [&](TObject* Sender, const std::exception& E) {
    Seen = E.what();
    SeenSender = Sender;
  };
  TTimer T(nullptr);
  T.SetInterval(5);
  T.OnTimer = [&](TObject*) {
    T.SetEnabled(false);
    throw Exception("tick failed");
  };
  EXPECT_TRUE(LoopUntil([&] { return !Seen.empty(); }));
  Application->OnException = Saved;
  EXPECT_EQ(Seen, "tick failed");
  EXPECT_EQ(SeenSender, &T);
}

// A thread whose Execute is a function of the test.
class TTestThread : public TThread {
public:
  explicit TTestThread(std::function<void(TTestThread&)> Body, std::atomic<bool>* Destroyed = nullptr)
      : FBody(std::move(Body)), FDestroyed(Destroyed) {}
  ~TTestThread() override {
    Terminate();
    if (!Finished() && GetCurrentThreadId() != ThreadID()) {
      while (Suspended()) Resume();
      WaitFor();
    }
    if (FDestroyed != nullptr) *FDestroyed = true;
  }
  using TThread::Synchronize;
  void SetReturnValue(int V) { ReturnValue = V; }

protected:
  void Execute() override { FBody(*this); }

private:
  std::function<void(TTestThread&)> FBody;
  std::atomic<bool>* FDestroyed;
};

TEST(Thread, StartsOnlyWhenResumedAndReturnsItsValue) {
  std::atomic<bool> Ran{false};
  {
    TTestThread Never([&](TTestThread&) { Ran = true; });
    EXPECT_TRUE(Never.Suspended());
  }  // destroyed without ever running: Execute is never called
  EXPECT_FALSE(Ran);

  TTestThread T([&](TTestThread& Self) {
    Ran = true;
    Self.SetReturnValue(42);
  });
  T.SetPriority(tpLower);
  EXPECT_EQ(T.Priority(), tpLower);
  T.Resume();
  EXPECT_FALSE(T.Suspended());
  EXPECT_EQ(T.WaitFor(), 42);
  EXPECT_TRUE(Ran);
  EXPECT_TRUE(T.Finished());
  EXPECT_EQ(T.FatalException(), nullptr);
}

TEST(Thread, TerminateStopsALoopAndExceptionsAreKept) {
  std::atomic<int> Rounds{0};
  TTestThread Loop([&](TTestThread& Self) {
    while (!Self.Terminated()) {
      ++Rounds;
      Sleep(1);
    }
  });
  Loop.Resume();
  while (Rounds == 0) Sleep(1);
  Loop.Terminate();
  Loop.WaitFor();
  EXPECT_TRUE(Loop.Terminated());

  TTestThread Failing([](TTestThread&) { throw Exception("worker failed"); });
  Failing.Resume();
  Failing.WaitFor();
  ASSERT_NE(Failing.FatalException(), nullptr);
  try {
    std::rethrow_exception(Failing.FatalException());
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "worker failed");
  }
}

TEST(Thread, SynchronizeRunsOnTheMainThreadWhileItWaits) {
  DWORD RanOn = 0;
  std::string Caught;
  bool Terminated = false;
  TTestThread T([&](TTestThread& Self) {
    Self.Synchronize([&] { RanOn = GetCurrentThreadId(); });
    try {
      Self.Synchronize([] { throw Exception("from the main thread"); });
    } catch (const Exception& E) {
      Caught = E.Message();
    }
  });
  T.OnTerminate = [&](TObject* Sender) {
    EXPECT_EQ(Sender, &T);
    EXPECT_EQ(GetCurrentThreadId(), MainThreadID);
    Terminated = true;
  };
  T.Resume();
  T.WaitFor();  // serves the calls meanwhile
  EXPECT_EQ(RanOn, MainThreadID);
  EXPECT_EQ(Caught, "from the main thread");
  EXPECT_TRUE(Terminated);
}

TEST(Thread, SynchronizeIsServedByAnyMessageLoop) {
  std::atomic<bool> Done{false};
  DWORD RanOn = 0;
  TTestThread T([&](TTestThread& Self) {
    Self.Synchronize([&] {
      RanOn = GetCurrentThreadId();
      Done = true;
    });
  });
  T.Resume();
  EXPECT_TRUE(LoopUntil([&] { return Done.load(); }));
  T.WaitFor();
  EXPECT_EQ(RanOn, MainThreadID);
}

TEST(Thread, FreeOnTerminateDeletesItself) {
  std::atomic<bool> Destroyed{false};
  HANDLE Gone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  auto* T = new TTestThread([](TTestThread&) {}, &Destroyed);
  T->SetFreeOnTerminate(true);
  T->OnTerminate = [Gone](TObject*) { SetEvent(Gone); };
  T->Resume();
  // OnTerminate runs through Synchronize: serve it, then wait for the deletion.
  ASSERT_TRUE(LoopUntil([&] { return WaitForSingleObject(Gone, 0) == WAIT_OBJECT_0; }));
  while (!Destroyed) {
    CheckSynchronize();
    Sleep(1);
  }
  CloseHandle(Gone);
}

}  // namespace
