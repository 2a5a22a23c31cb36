// The instrument timer: OnTimer every Interval milliseconds, from a thread of its own that
// sleeps on an event and hands each tick to the window thread (or from a hidden window's
// system timer).
#pragma once
#include <windows.h>
#include <atomic>
#include <memory>
#include "framework/Handles.h"
#include "framework/Threads.h"
#include "instruments/MtControls.h"

class TUtilityWindow;
class TMtTimer;

enum TMtTimerType { ttThread, ttSystem };
const TEnumInfo& MtTimerTypeInfo();

// Sleeps for the interval, then runs its timer's tick. Paused with a flag and its wake event,
// never suspended, so it is never stopped while holding anything.
class TMtTimerThread : public TThread {
 public:
  explicit TMtTimerThread(TMtTimer* owner);
  ~TMtTimerThread() override;
  DWORD Interval() const { return FInterval; }
  bool Paused() const { return FPaused; }
  // Takes effect at once: the current wait is cut short. A tick already handed to the window
  // thread is dropped there.
  void Pause();
  void SetInterval(DWORD interval) { FInterval = interval; }
  void Run();
  // Ends the thread and frees it. Waits for it, serving its hand-off meanwhile, or, when that
  // cannot be (called from its own tick), lets it end and free itself afterwards.
  void Stop(bool inOwnTick);

 protected:
  void Execute() override;

 private:
  void Wake() { SetEvent(FWakeEvent.get()); }
  std::atomic<TMtTimer*> FOwner;
  std::atomic<DWORD> FInterval{1000};
  std::atomic<bool> FPaused{true};
  KernelHandle FWakeEvent;
};

class TMtTimer : public TMtComponent {
  VELMORA_CLASS(TMtTimer, TMtComponent)

 public:
  explicit TMtTimer(TComponent* AOwner);
  ~TMtTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v);
  unsigned Interval() const { return FInterval; }
  void SetInterval(unsigned v);
  bool SyncEvent() const { return FSyncEvent; }
  void SetSyncEvent(bool v) { FSyncEvent = v; }
  TMtTimerType TimerType() const { return FTimerType; }
  void SetTimerType(TMtTimerType v);
  TThreadPriority Priority() const { return FPriority; }
  void SetPriority(TThreadPriority v);
  // Raised on the window thread (SyncEvent) or on the timer's thread; a failing handler is
  // reported and the timer keeps running. Assigning it takes effect at the next reconfiguration.
  TNotifyEvent OnTimer;

  // Whether the timing source ticks now (for tests and the idle figures).
  bool Running() const;
  void Loaded() override;

  // One tick; the thread and the hidden window call it.
  void Timer();

 private:
  void UpdateTimer();
  void StopSource();

  std::atomic<bool> FEnabled{true};
  unsigned FInterval = 1000;
  std::atomic<bool> FSyncEvent{true};
  TMtTimerType FTimerType = ttThread;
  TThreadPriority FPriority = TThreadPriority::tpNormal;
  TMtTimerThread* FThread = nullptr;
  std::unique_ptr<TUtilityWindow> FWindow;
  bool FSystemTimerOn = false;
  int FTickDepth = 0;  // ticks of this timer running on the window thread
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};
