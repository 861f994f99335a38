// The folder-change watcher: messages carry the slot of the changed folder, slots run
// out, and a folder that goes away does not silence the others.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "classlib/win/utility_window.h"
#include "shell/change_handler_thread.h"
#include "shell_test_util.h"
#include "tests/support/wait_for.h"

namespace {

constexpr UINT WatchMessage = WM_USER + 101;
constexpr DWORD Filter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

// A window of this thread that records the slots of the watcher's messages.
class TReceiver {
public:
  TReceiver() {
    FWnd = AllocateHWnd([this](HWND W, UINT M, WPARAM WP, LPARAM LP) -> LRESULT {
      if (M == WatchMessage) {
        Slots.push_back(int(WP));
        return 0;
      }
      return DefWindowProcW(W, M, WP, LP);
    });
  }
  ~TReceiver() { DeallocateHWnd(FWnd); }
  HWND Wnd() const { return FWnd; }

  // Pumps messages until Slot was reported (a generous bound, not a timing).
  bool WaitFor(int Slot) {
    return ::WaitFor([&] { return std::find(Slots.begin(), Slots.end(), Slot) != Slots.end(); }, 20000);
  }
  void Drain() {
    MSG Msg;
    while (PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&Msg);
    Slots.clear();
  }

  std::vector<int> Slots;

private:
  HWND FWnd;
};

TEST(ChangeHandlerThread, ReportsEachFolderWithItsSlot) {
  TTempFolder Dir("zx_watch");
  std::string A = Dir.MakeFolder("a"), B = Dir.MakeFolder("b");
  TReceiver R;
  auto W = std::make_unique<TChangeHandlerThread>(R.Wnd(), WatchMessage);
  int SlotA = -1, SlotB = -1;
  ASSERT_TRUE(W->AddWatch(A, Filter, SlotA, false));
  ASSERT_TRUE(W->AddWatch(B, Filter, SlotB, false));
  EXPECT_EQ(SlotA, 0);
  EXPECT_EQ(SlotB, 1);

  Dir.MakeFile("b\\new.txt", 1);
  ASSERT_TRUE(R.WaitFor(SlotB));
  for (int S : R.Slots) EXPECT_EQ(S, SlotB);

  // The first folder goes away; the second keeps reporting under its own slot.
  R.Drain();
  TTempFolder::RemoveTree(A);
  Dir.MakeFile("b\\second.txt", 1);
  EXPECT_TRUE(R.WaitFor(SlotB));
  R.Drain();
  Dir.MakeFile("b\\third.txt", 1);
  EXPECT_TRUE(R.WaitFor(SlotB));

  // After RemoveAll nothing is watched and slots start again from the first.
  W->RemoveAll();
  int Slot = -1;
  ASSERT_TRUE(W->AddWatch(Dir.Path(), Filter, Slot, true));
  EXPECT_EQ(Slot, 0);
  R.Drain();
  Dir.MakeFile("top.txt", 1);
  EXPECT_TRUE(R.WaitFor(0));
  W.reset();  // destroyed while waiting
}

TEST(ChangeHandlerThread, RefusesWhatItCannotWatch) {
  TTempFolder Dir("zx_watch_full");
  TChangeHandlerThread W(nullptr, WatchMessage);
  int Slot = 7;
  EXPECT_FALSE(W.AddWatch("", Filter, Slot, false));
  EXPECT_FALSE(W.AddWatch(Dir / "missing", Filter, Slot, false));
  EXPECT_EQ(Slot, -1);

  // One wait takes the command event and at most 63 folders.
  std::vector<int> Slots;
  for (int I = 0; I < TChangeHandlerThread::SlotCount; ++I) {
    ASSERT_TRUE(W.AddWatch(Dir.Path(), Filter, Slot, false)) << I;
    Slots.push_back(Slot);
  }
  EXPECT_EQ(Slots.back(), TChangeHandlerThread::SlotCount - 1);
  EXPECT_FALSE(W.AddWatch(Dir.Path(), Filter, Slot, false));
  EXPECT_EQ(Slot, -1);
  // The worker still waits on all of them (a change without a window posts nothing).
  Dir.MakeFile("x.txt", 1);
  W.RemoveAll();
  EXPECT_TRUE(W.AddWatch(Dir.Path(), Filter, Slot, false));
  EXPECT_EQ(Slot, 0);
}

}  // namespace
