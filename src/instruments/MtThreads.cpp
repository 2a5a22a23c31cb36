#include "instruments/MtThreads.h"
#include "framework/Events.h"
#include "framework/Exception.h"
#include "framework/Forms.h"
#include "framework/UtilityWindow.h"

const TEnumInfo& MtTimerTypeInfo() {
  static const TEnumInfo e{"TMtTimerType", {"ttThread", "ttSystem"}};
  return e;
}

namespace {
const UINT_PTR kSystemTimerId = 1;
}

// ---------------------------------------------------------------- TMtTimerThread

TMtTimerThread::TMtTimerThread(TMtTimer* owner) : TThread(true), FOwner(owner) {
  FWakeEvent.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  if (!FWakeEvent) throw Exception(Format("Thread creation error: %lu", GetLastError()));
  Start();  // paused by its own flag until Run
}

TMtTimerThread::~TMtTimerThread() {
  // Normally ended by Stop; a thread deleted otherwise is ended here, before its event goes.
  Terminate();
  SetEvent(FWakeEvent.get());
  if (GetCurrentThreadId() != ThreadID()) {
    try {
      WaitFor();
    } catch (...) {
    }
  }
}

void TMtTimerThread::Pause() {
  FPaused = true;
  Wake();
}

void TMtTimerThread::Run() {
  FPaused = false;
  Wake();
}

void TMtTimerThread::Execute() {
  while (!Terminated()) {
    DWORD r = WaitForSingleObject(FWakeEvent.get(), FPaused ? INFINITE : FInterval.load());
    // Woken: stop, pause or new settings. Wait again with whatever holds now.
    if (r != WAIT_TIMEOUT || Terminated() || FPaused) continue;
    TMtTimer* owner = FOwner;
    if (!owner) continue;
    try {
      if (owner->SyncEvent()) {
        // Runs on the window thread; by then the timer may be paused, stopping or gone.
        Synchronize([this] {
          TMtTimer* o = FOwner;
          if (o && !Terminated() && !FPaused && !(Application && Application->Terminated())) o->Timer();
        });
      } else {
        owner->Timer();
      }
    } catch (...) {
      // The tick reports its own failures; a hand-off that could not be made is skipped.
    }
  }
}

void TMtTimerThread::Stop(bool inOwnTick) {
  FOwner = nullptr;
  Terminate();
  if (inOwnTick || GetCurrentThreadId() == ThreadID()) {
    // The thread waits for the tick that is running on this very call stack: it ends when the
    // tick returns and frees itself.
    FreeOnTerminate = true;
    Wake();
    return;
  }
  Wake();
  // On the window thread WaitFor keeps running hand-offs, which find the thread ending.
  WaitFor();
  delete this;
}

// ---------------------------------------------------------------- TMtTimer

VELMORA_CLASS_INFO(TMtTimer) {
  b.Bool("Enabled", &TMtTimer::Enabled, &TMtTimer::SetEnabled);
  b.Int("Interval", &TMtTimer::Interval, &TMtTimer::SetInterval);
  b.Bool("SyncEvent", &TMtTimer::SyncEvent, &TMtTimer::SetSyncEvent);
  b.Enum("TimerType", &TMtTimer::TimerType, &TMtTimer::SetTimerType, MtTimerTypeInfo());
  b.Enum("Priority", &TMtTimer::Priority, &TMtTimer::SetPriority, ThreadPriorityInfo());
  b.Event("OnTimer", &TMtTimer::OnTimer);
  b.Creatable();
}

TMtTimer::TMtTimer(TComponent* AOwner) : TMtComponent(AOwner) {}

TMtTimer::~TMtTimer() {
  *FAlive = false;
  FEnabled = false;
  StopSource();
  OnTimer = nullptr;
}

void TMtTimer::SetEnabled(bool v) {
  if (v == FEnabled) return;
  FEnabled = v;
  // Off only drops the ticks; on reconfigures the source.
  if (v) UpdateTimer();
}

void TMtTimer::SetInterval(unsigned v) {
  if (v == FInterval) return;
  FInterval = v;
  if (FEnabled) UpdateTimer();
}

void TMtTimer::SetTimerType(TMtTimerType v) {
  if (v == FTimerType || (v != ttThread && v != ttSystem)) return;
  StopSource();
  FTimerType = v;
  if (FEnabled) UpdateTimer();
}

void TMtTimer::SetPriority(TThreadPriority v) {
  int i = static_cast<int>(v);
  if (v == FPriority || i < 0 || i > static_cast<int>(TThreadPriority::tpTimeCritical)) return;
  FPriority = v;
  if (FEnabled && FTimerType == ttThread) UpdateTimer();
}

bool TMtTimer::Running() const { return (FThread && !FThread->Paused()) || FSystemTimerOn; }

void TMtTimer::Loaded() {
  inherited::Loaded();
  UpdateTimer();
}

void TMtTimer::UpdateTimer() {
  if (Loading()) return;
  bool run = FInterval != 0 && FEnabled && OnTimer;
  if (FTimerType == ttSystem) {
    if (!FWindow)
      FWindow = std::make_unique<TUtilityWindow>([this](HWND, UINT msg, WPARAM wp, LPARAM) -> std::optional<LRESULT> {
        if (msg != WM_TIMER || wp != kSystemTimerId) return std::nullopt;
        if (!(Application && Application->Terminated())) Timer();
        return 0;
      });
    if (FSystemTimerOn) KillTimer(FWindow->Handle(), kSystemTimerId);
    FSystemTimerOn = false;
    if (run) {
      if (!SetTimer(FWindow->Handle(), kSystemTimerId, FInterval, nullptr)) throw Exception("No timer resources left.");
      FSystemTimerOn = true;
    }
    return;
  }
  if (!FThread) FThread = new TMtTimerThread(this);
  FThread->Pause();
  FThread->SetInterval(FInterval);
  if (run) {
    FThread->SetPriority(FPriority);
    FThread->Run();
  }
}

void TMtTimer::StopSource() {
  if (FThread) {
    TMtTimerThread* t = FThread;
    FThread = nullptr;
    t->Stop(FTickDepth > 0);
  }
  if (FWindow) {
    if (FSystemTimerOn) KillTimer(FWindow->Handle(), kSystemTimerId);
    FSystemTimerOn = false;
    FWindow.reset();
  }
}

void TMtTimer::Timer() {
  if (!FEnabled) return;
  // Copies: the handler may free this timer, and the fields with it.
  TNotifyEvent handler = OnTimer;
  if (!handler) return;
  std::shared_ptr<bool> alive = FAlive;
  // Ticks on the window thread are counted, so that freeing the timer from its own handler
  // does not wait for a thread that is waiting for this very tick.
  bool onWindowThread = IsWindowThread();
  if (onWindowThread) ++FTickDepth;
  try {
    CallGuarded(this, [&] { handler(this); });
  } catch (...) {
    // Not a failure of the general kind: nothing to report it to, and the timer goes on.
  }
  if (onWindowThread && *alive) --FTickDepth;
}
