#include "framework/Threads.h"
#include <deque>
#include <exception>
#include <memory>
#include "framework/Events.h"
#include "framework/Exception.h"
#include "framework/UtilityWindow.h"

namespace {

const UINT WM_SYNCHRONIZE = WM_USER + 1;

struct SyncRequest {
  const std::function<void()>* fn;
  KernelHandle done;
  std::exception_ptr error;
};

// The window thread's side: its id, a hidden window whose message makes the message loop run
// the queue, and an event that wakes WaitFor when a request arrives.
struct SyncState {
  DWORD windowThread = 0;
  TUtilityWindow* window = nullptr;
  HANDLE wake = nullptr;
  CRITICAL_SECTION lock;
  std::deque<SyncRequest*> queue;
  SyncState() { InitializeCriticalSection(&lock); }
};

SyncState& Sync() {
  static SyncState* s = new SyncState;  // never freed: threads may still use it at exit
  return *s;
}

std::atomic<bool> g_syncReady{false};

}  // namespace

const TEnumInfo& ThreadPriorityInfo() {
  static const TEnumInfo e{"TThreadPriority",
                           {"tpIdle", "tpLowest", "tpLower", "tpNormal", "tpHigher", "tpHighest", "tpTimeCritical"}};
  return e;
}

void InitThreadSync() {
  SyncState& s = Sync();
  if (g_syncReady) return;
  s.wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  s.window = new TUtilityWindow([](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg != WM_SYNCHRONIZE) return std::nullopt;
    CheckSynchronize();
    return 0;
  });
  s.windowThread = GetCurrentThreadId();
  g_syncReady = true;
}

bool IsWindowThread() { return g_syncReady && GetCurrentThreadId() == Sync().windowThread; }

bool CheckSynchronize() {
  if (!IsWindowThread()) return false;
  SyncState& s = Sync();
  bool any = false;
  for (;;) {
    SyncRequest* r = nullptr;
    {
      CriticalSectionLock lock(s.lock);
      if (!s.queue.empty()) {
        r = s.queue.front();
        s.queue.pop_front();
      }
    }
    if (!r) return any;
    any = true;
    try {
      (*r->fn)();
    } catch (...) {
      r->error = std::current_exception();
    }
    SetEvent(r->done.get());
  }
}

void TThread::Synchronize(TThread* thread, const std::function<void()>& f) {
  if (!g_syncReady || IsWindowThread()) {
    f();
    return;
  }
  // A paused thread stops here, before it holds the queue.
  if (thread) thread->PausePoint();
  SyncState& s = Sync();
  SyncRequest r{&f, KernelHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr)), nullptr};
  if (!r.done) throw Exception("Unable to synchronize with the window thread");
  {
    CriticalSectionLock lock(s.lock);
    s.queue.push_back(&r);
  }
  SetEvent(s.wake);
  PostMessageA(s.window->Handle(), WM_SYNCHRONIZE, 0, 0);
  WaitForSingleObject(r.done.get(), INFINITE);
  r.done.reset();
  if (r.error) {
    try {
      std::rethrow_exception(r.error);
    } catch (const Exception&) {
      throw;
    } catch (const std::exception& e) {
      throw Exception(e.what());
    } catch (...) {
      throw Exception("Unknown failure in a synchronized call");
    }
  }
}

// What the system thread still uses after OnTerminate, when the object may already be gone.
// Freed by whichever of the object and the thread lets go of it last.
struct TThread::Life {
  std::atomic<int> refs{2};
  std::atomic<bool> inTerminate{false};  // the window thread runs OnTerminate; the thread waits
  std::atomic<bool> objectGone{false};   // OnTerminate deleted the object
  std::atomic<bool> destroying{false};   // the object is being deleted from outside

  static void Release(Life* life) {
    if (--life->refs == 0) delete life;
  }
};

TThread::TThread(bool createSuspended) {
  FSuspendCount = createSuspended ? 1 : 0;
  FRunEvent.reset(CreateEventA(nullptr, TRUE, createSuspended ? FALSE : TRUE, nullptr));
  if (!FRunEvent) throw Exception(Format("Thread creation error: %lu", GetLastError()));
  FLife = new Life;
  InitializeCriticalSection(&FLock);
  // Windows 9x needs somewhere to put the thread id.
  DWORD id = 0;
  FHandle.reset(CreateThread(nullptr, 0, &TThread::ThreadProc, this, 0, &id));
  if (!FHandle) {
    DWORD error = GetLastError();
    delete FLife;
    DeleteCriticalSection(&FLock);
    throw Exception(Format("Thread creation error: %lu", error));
  }
  FThreadID = id;
}

TThread::~TThread() {
  Life* life = FLife;
  if (life->inTerminate && IsWindowThread()) {
    // Deleted by its own OnTerminate: the thread is waiting for the handler to return and
    // touches nothing of this object after that, so there is nothing to wait for (and waiting
    // would never end).
    life->objectGone = true;
  } else if (GetCurrentThreadId() != FThreadID) {
    // Always wait for the system thread, even when Execute is done: it may still be raising
    // OnTerminate with this object.
    life->destroying = true;
    Terminate();
    // Not yet in Execute: it never enters it, for it belongs to a part of the object already
    // gone.
    int notEntered = 0;
    FBodyState.compare_exchange_strong(notEntered, 2);
    {
      CriticalSectionLock lock(FLock);
      FSuspendCount = 0;
      SetEvent(FRunEvent.get());
    }
    Wait();
  }
  DeleteCriticalSection(&FLock);
  Life::Release(life);
}

DWORD WINAPI TThread::ThreadProc(void* param) {
  auto* t = static_cast<TThread*>(param);
  Life* life = t->FLife;
  DWORD result = 0;
  // Nothing may unwind into the system from here.
  try {
    t->FThreadID = GetCurrentThreadId();
    WaitForSingleObject(t->FRunEvent.get(), INFINITE);  // created suspended: wait to be started
    int notEntered = 0;
    if (!t->FBodyState.compare_exchange_strong(notEntered, 1)) {
      t->FFinished = true;
    } else {
      try {
        t->Execute();
      } catch (const std::exception& e) {
        t->FFatalMessage = e.what();
      } catch (...) {
        t->FFatalMessage = "Unknown failure in a thread";
      }
      bool freeIt = t->FreeOnTerminate;
      result = static_cast<DWORD>(t->FReturnValue);
      t->FFinished = true;
      try {
        t->DoTerminate();
      } catch (...) {
      }
      // OnTerminate may have deleted the object: from here on only the local copies.
      if (freeIt && !life->objectGone) delete t;
    }
  } catch (...) {
  }
  Life::Release(life);
  return result;
}

void TThread::DoTerminate() {
  if (!OnTerminate) return;
  Life* life = FLife;
  Synchronize([this, life] {
    if (life->destroying || !OnTerminate) return;
    // A copy: the handler may delete this object, and the field with it.
    TNotifyEvent handler = OnTerminate;
    std::exception_ptr failure;
    life->inTerminate = true;
    try {
      handler(this);
    } catch (...) {
      failure = std::current_exception();
    }
    life->inTerminate = false;
    if (failure) CallGuarded(life->objectGone ? nullptr : this, [&] { std::rethrow_exception(failure); });
  });
}

bool TThread::Terminated() const {
  PausePoint();
  return FTerminated;
}

void TThread::PausePoint() const {
  if (FSuspendCount > 0 && GetCurrentThreadId() == FThreadID) WaitForSingleObject(FRunEvent.get(), INFINITE);
}

void TThread::Resume() {
  CriticalSectionLock lock(FLock);
  if (FSuspendCount > 0 && --FSuspendCount == 0) SetEvent(FRunEvent.get());
}

void TThread::Suspend() {
  if (FFinished) return;
  {
    CriticalSectionLock lock(FLock);
    if (FSuspendCount++ == 0) ResetEvent(FRunEvent.get());
  }
  // A thread that suspends itself stops right here, its count already raised, so that a Resume
  // from elsewhere lets it go on.
  PausePoint();
}

DWORD TThread::WaitFor() {
  if (GetCurrentThreadId() == FThreadID) throw Exception("A thread cannot wait for itself");
  // From its own OnTerminate: Execute is done and the thread only waits for the handler.
  if (FLife->inTerminate && IsWindowThread()) return static_cast<DWORD>(FReturnValue);
  if (FSuspendCount > 0 && !FFinished) throw Exception("Cannot wait for a suspended thread");
  return Wait();
}

void WaitServingSynchronize(HANDLE h) {
  if (!IsWindowThread()) {
    WaitForSingleObject(h, INFINITE);
    return;
  }
  HANDLE handles[2] = {h, Sync().wake};
  for (;;) {
    DWORD r = MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_SENDMESSAGE);
    if (r == WAIT_OBJECT_0) return;
    if (r == WAIT_OBJECT_0 + 1) {
      CheckSynchronize();
    } else if (r == WAIT_OBJECT_0 + 2) {
      MSG msg;
      PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // delivers the sent messages
    } else {
      WaitForSingleObject(h, INFINITE);
      return;
    }
  }
}

DWORD TThread::Wait() {
  WaitServingSynchronize(FHandle.get());
  DWORD code = 0;
  GetExitCodeThread(FHandle.get(), &code);
  return code;
}

namespace {
const int kPriorities[] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,
                           THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
                           THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                           THREAD_PRIORITY_TIME_CRITICAL};
}

TThreadPriority TThread::Priority() const {
  int p = GetThreadPriority(FHandle.get());
  for (int i = 0; i < 7; ++i)
    if (kPriorities[i] == p) return static_cast<TThreadPriority>(i);
  return TThreadPriority::tpNormal;
}

void TThread::SetPriority(TThreadPriority value) {
  int i = static_cast<int>(value);
  if (i < 0 || i > 6) return;  // out of range: ignored
  SetThreadPriority(FHandle.get(), kPriorities[i]);
}
