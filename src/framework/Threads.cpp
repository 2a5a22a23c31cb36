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
  HANDLE done;
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
    EnterCriticalSection(&s.lock);
    SyncRequest* r = nullptr;
    if (!s.queue.empty()) {
      r = s.queue.front();
      s.queue.pop_front();
    }
    LeaveCriticalSection(&s.lock);
    if (!r) return any;
    any = true;
    try {
      (*r->fn)();
    } catch (...) {
      r->error = std::current_exception();
    }
    SetEvent(r->done);
  }
}

void TThread::Synchronize(TThread*, const std::function<void()>& f) {
  if (!g_syncReady || IsWindowThread()) {
    f();
    return;
  }
  SyncState& s = Sync();
  SyncRequest r{&f, CreateEventA(nullptr, TRUE, FALSE, nullptr), nullptr};
  if (!r.done) throw Exception("Unable to synchronize with the window thread");
  EnterCriticalSection(&s.lock);
  s.queue.push_back(&r);
  LeaveCriticalSection(&s.lock);
  SetEvent(s.wake);
  PostMessageA(s.window->Handle(), WM_SYNCHRONIZE, 0, 0);
  WaitForSingleObject(r.done, INFINITE);
  CloseHandle(r.done);
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

TThread::TThread(bool createSuspended) {
  FSuspendCount = createSuspended ? 1 : 0;
  FStarted = !createSuspended;
  // Windows 9x needs somewhere to put the thread id.
  FHandle = CreateThread(nullptr, 0, &TThread::ThreadProc, this,
                         createSuspended ? CREATE_SUSPENDED : 0, &FThreadID);
  if (!FHandle) throw Exception(Format("Thread creation error: %lu", GetLastError()));
}

TThread::~TThread() {
  // Always wait for the system thread, even when Execute is done: it may still be raising
  // OnTerminate with this object.
  if (FHandle && GetCurrentThreadId() != FThreadID) {
    Terminate();
    // Never let run: end without Execute, which belongs to a part of the object already gone.
    if (!FStarted) FSkipBody = true;
    if (FSuspendCount > 0) {
      DWORD previous;
      do previous = ResumeThread(FHandle);
      while (previous != static_cast<DWORD>(-1) && previous > 1);
    }
    FSuspendCount = 0;
    Wait();
  }
  if (FHandle) CloseHandle(FHandle);
}

DWORD WINAPI TThread::ThreadProc(void* param) {
  auto* t = static_cast<TThread*>(param);
  if (t->FSkipBody) {
    t->FFinished = true;
    return 0;
  }
  try {
    t->Execute();
  } catch (const std::exception& e) {
    t->FFatalMessage = e.what();
  } catch (...) {
    t->FFatalMessage = "Unknown failure in a thread";
  }
  bool freeIt = t->FreeOnTerminate;
  DWORD result = static_cast<DWORD>(t->FReturnValue);
  t->FFinished = true;
  try {
    t->DoTerminate();
  } catch (...) {
  }
  if (freeIt) delete t;
  return result;
}

void TThread::DoTerminate() {
  if (!OnTerminate) return;
  Synchronize([this] { CallGuarded(this, [this] { OnTerminate(this); }); });
}

void TThread::Resume() {
  if (FSuspendCount <= 0) return;
  DWORD previous = ResumeThread(FHandle);
  if (previous == static_cast<DWORD>(-1)) return;
  FSuspendCount = previous > 0 ? static_cast<int>(previous) - 1 : 0;
  if (FSuspendCount == 0) FStarted = true;
}

void TThread::Suspend() {
  if (FFinished) return;
  DWORD previous = SuspendThread(FHandle);
  if (previous != static_cast<DWORD>(-1)) FSuspendCount = static_cast<int>(previous) + 1;
}

DWORD TThread::WaitFor() {
  if (GetCurrentThreadId() == FThreadID) throw Exception("A thread cannot wait for itself");
  if (FSuspendCount > 0 && !FFinished) throw Exception("Cannot wait for a suspended thread");
  return Wait();
}

DWORD TThread::Wait() {
  if (IsWindowThread()) {
    HANDLE handles[2] = {FHandle, Sync().wake};
    for (;;) {
      DWORD r = MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_SENDMESSAGE);
      if (r == WAIT_OBJECT_0) break;
      if (r == WAIT_OBJECT_0 + 1) {
        CheckSynchronize();
      } else if (r == WAIT_OBJECT_0 + 2) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // delivers the sent messages
      } else {
        WaitForSingleObject(FHandle, INFINITE);
        break;
      }
    }
  } else {
    WaitForSingleObject(FHandle, INFINITE);
  }
  DWORD code = 0;
  GetExitCodeThread(FHandle, &code);
  return code;
}

namespace {
const int kPriorities[] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,
                           THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
                           THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                           THREAD_PRIORITY_TIME_CRITICAL};
}

TThreadPriority TThread::Priority() const {
  int p = GetThreadPriority(FHandle);
  for (int i = 0; i < 7; ++i)
    if (kPriorities[i] == p) return static_cast<TThreadPriority>(i);
  return TThreadPriority::tpNormal;
}

void TThread::SetPriority(TThreadPriority value) {
  int i = static_cast<int>(value);
  if (i < 0 || i > 6) return;  // out of range: ignored
  SetThreadPriority(FHandle, kPriorities[i]);
}
