// Worker threads. A worker never touches a window: it posts, or runs a call on the main
// thread through Synchronize.
#pragma once

#include <windows.h>

#include <atomic>
#include <exception>
#include <functional>

#include "classlib/core/object.h"
#include "classlib/core/typinfo.h"

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };
template <> const TTypeInfo* TypeInfoOf<TThreadPriority>();

using TThreadMethod = std::function<void()>;

// The thread that loaded the program: the one that runs the message loop.
extern const DWORD MainThreadID;

// The thread object is created suspended: the most derived constructor (or the creator)
// calls Resume once the object is complete, so that Execute never sees a half-built
// object. A derived class whose Execute uses its own members stops the thread in its own
// destructor (Terminate, then WaitFor); the base destructor does the same as a last resort.
class TThread : public TObject {
public:
  TThread();
  ~TThread() override;

  void Resume();
  void Suspend();
  bool Suspended() const { return FSuspended; }
  void SetSuspended(bool Value);

  // Asks Execute to stop; Execute polls Terminated.
  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }
  // Waits until Execute has returned and gives ReturnValue. On the main thread it keeps
  // serving Synchronize calls meanwhile, so a worker that synchronises cannot deadlock it.
  int WaitFor();

  // The object deletes itself once Execute has returned (do not WaitFor it then).
  bool FreeOnTerminate() const { return FFreeOnTerminate; }
  void SetFreeOnTerminate(bool Value) { FFreeOnTerminate = Value; }

  TThreadPriority Priority() const;
  void SetPriority(TThreadPriority Value);

  HANDLE Handle() const { return FHandle; }
  DWORD ThreadID() const { return FThreadID; }
  bool Finished() const { return FFinished; }
  // What escaped from Execute, if anything.
  std::exception_ptr FatalException() const { return FFatalException; }

  // Runs on the main thread after Execute returns (through Synchronize).
  TNotifyEvent OnTerminate;

  // Runs Method on the main thread and waits for it; an exception it raises is raised
  // again in the calling thread. On the main thread the call is direct.
  static void Synchronize(const TThreadMethod& Method);

protected:
  virtual void Execute() = 0;
  virtual void DoTerminate();
  int ReturnValue = 0;

private:
  static unsigned __stdcall ThreadProc(void* Param);

  HANDLE FHandle = nullptr;
  DWORD FThreadID = 0;
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FFinished{false};
  std::atomic<bool> FStarted{false};
  bool FSuspended = true;
  bool FFreeOnTerminate = false;
  std::exception_ptr FFatalException;
};

// Runs the calls that workers queued with Synchronize; true when there were any. The
// main thread's message loop calls it; a hidden window of the main thread also runs them
// when the queue is fed, so modal loops serve them too. Main thread only.
bool CheckSynchronize();
