// The thread class: a body run on its own thread, with a way to run work on the window thread
// and wait for it (Synchronize), and an end reported on the window thread (OnTerminate).
#pragma once
#include <windows.h>
#include <atomic>
#include <functional>
#include <string>
#include "framework/Classes.h"
#include "framework/Exception.h"
#include "framework/Handles.h"

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };
const TEnumInfo& ThreadPriorityInfo();

// Makes the calling thread the window thread, the one that runs Synchronize requests. The
// application calls it once at start-up, before any thread synchronizes; later calls do nothing.
void InitThreadSync();
// Runs the queued Synchronize requests now (the window's message loop does this by itself).
// Returns whether any ran. Does nothing on other threads.
bool CheckSynchronize();
bool IsWindowThread();
// Waits until h is signalled. On the window thread, Synchronize requests and sent messages are
// served meanwhile (a thread that hands work over cannot deadlock the wait); elsewhere it is a
// plain wait.
void WaitServingSynchronize(HANDLE h);

// Derive, override Execute, and start it. A derived class should pass true and call Start() at
// the end of its own constructor: a thread started from TThread's constructor could reach
// Execute before the derived object is built. Likewise, a derived class whose Execute uses its
// own members must end the thread (Terminate, WaitFor) in its own destructor; ~TThread waits too,
// but by then the derived part is gone.
class TThread : public TObject {
 public:
  explicit TThread(bool createSuspended);
  ~TThread() override;
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  void Start() { Resume(); }
  // Suspend and Resume nest. A paused thread stops only where it holds nothing: before
  // Execute, at a Synchronize, when it polls Terminated(), or at once when it suspends itself.
  // It is never frozen in the middle of the heap's or the synchronisation queue's work.
  void Resume();
  void Suspend();
  bool Suspended() const { return FSuspendCount > 0; }
  // Asks Execute to end; it has to poll Terminated().
  void Terminate() { FTerminated = true; }
  bool Terminated() const;
  // Execute has returned.
  bool Finished() const { return FFinished; }
  // Waits for the end and returns the exit code (ReturnValue). On the window thread, sent
  // messages and Synchronize requests keep being served meanwhile, so a thread blocked in
  // Synchronize cannot deadlock it. Throws for a suspended thread or when called by the thread
  // itself, which would wait forever. Not for FreeOnTerminate threads: they may be gone.
  DWORD WaitFor();

  HANDLE Handle() const { return FHandle.get(); }
  DWORD ThreadID() const { return FThreadID; }
  TThreadPriority Priority() const;
  void SetPriority(TThreadPriority value);
  int ReturnValue() const { return FReturnValue; }
  // What escaped Execute, empty when nothing did. Read it after the thread has finished.
  const std::string& FatalMessage() const { return FFatalMessage; }

  // The object deletes itself when the thread ends (after OnTerminate).
  bool FreeOnTerminate = false;
  // Raised on the window thread after Execute returns; failures go to the exception sink. The
  // handler may delete the thread object. A thread object deleted before its end was reported
  // does not report it.
  TNotifyEvent OnTerminate;

  // Runs f on the window thread and waits for it; runs it at once when called on the window
  // thread, or when InitThreadSync was never called. A failure in f is raised again here as
  // Exception with the same message (an Exception keeps its class).
  static void Synchronize(TThread* thread, const std::function<void()>& f);

 protected:
  virtual void Execute() = 0;
  // Raises OnTerminate through Synchronize. An override must not touch the object once the
  // handler has run: the handler may have deleted it.
  virtual void DoTerminate();
  void Synchronize(const std::function<void()>& f) { Synchronize(this, f); }
  void SetReturnValue(int value) { FReturnValue = value; }

 private:
  struct Life;
  static DWORD WINAPI ThreadProc(void* param);
  DWORD Wait();
  // On the thread itself: waits while a pause is asked for.
  void PausePoint() const;

  KernelHandle FHandle;
  KernelHandle FRunEvent;  // set while the thread may run
  CRITICAL_SECTION FLock;      // keeps the pause count and the event in step
  Life* FLife = nullptr;       // shared with the running thread, which may outlive the object
  std::atomic<DWORD> FThreadID{0};
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FFinished{false};
  // 0: Execute not yet entered; 1: entered; 2: never to be entered (deleted before it ran).
  std::atomic<int> FBodyState{0};
  std::atomic<int> FSuspendCount{0};
  int FReturnValue = 0;
  std::string FFatalMessage;
};
