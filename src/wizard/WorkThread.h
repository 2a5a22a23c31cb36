// The worker thread component: one handler run on a thread of its own per Start, with its
// start, progress and end reported on the window thread; and groups that count running members.
#pragma once
#include <windows.h>
#include <atomic>
#include <functional>
#include <vector>
#include "framework/Classes.h"
#include "framework/Handles.h"
#include "framework/Threads.h"

class TTimer;
class TWorkThread;
class TWorkThreadGroup;
class TWorkExecuteThread;

using TWorkThreadDataNotifyEvent = std::function<void(TObject* Sender, TWorkExecuteThread* Thread, void*& Data)>;
using TWorkThreadUpdateNotifyEvent =
    std::function<void(TObject* Sender, TWorkExecuteThread* Thread, void*& Data, int Percent)>;

// The operating-system thread of one run; it frees itself when it ends.
class TWorkExecuteThread : public TThread {
 public:
  TWorkExecuteThread(TWorkThread* owner, void* data, TThreadPriority priority);
  TWorkThread* Owner() const { return FOwner; }
  // Given to Start; every event of the run receives it by reference and may replace it.
  void* Data = nullptr;
  // Progress for OnUpdate, set by the OnExecute handler.
  std::atomic<int> Percent{0};
  // The flag that Stop sets; the OnExecute handler polls it.
  using TThread::Terminated;
  // Runs f on the window thread and waits for it.
  void Synchronize(const std::function<void()>& f) { TThread::Synchronize(f); }

 protected:
  void Execute() override;

 private:
  TWorkThread* FOwner;
  TWorkThreadDataNotifyEvent FExecute;  // taken on the window thread at Start
};

// What threads and groups share: the group they belong to, an update priority and a lock.
class TWorkThreadBase : public TComponent {
  VELMORA_CLASS(TWorkThreadBase, TComponent)

 public:
  explicit TWorkThreadBase(TComponent* AOwner);
  ~TWorkThreadBase() override;

  TWorkThreadGroup* ThreadGroup() const { return FThreadGroup; }
  virtual void SetThreadGroup(TWorkThreadGroup* value);
  int UpdatePriority() const { return FUpdatePriority; }
  void SetUpdatePriority(int v) { FUpdatePriority = v; }
  virtual bool Running() const = 0;

  virtual void Start(void* Data) = 0;
  void Start() { Start(nullptr); }
  virtual void Stop() = 0;
  virtual void Suspend() = 0;
  virtual void Resume() = 0;

  void Lock() { EnterCriticalSection(&FLock); }
  void Unlock() { LeaveCriticalSection(&FLock); }

 protected:
  friend class TWorkThreadGroup;
  TWorkThreadGroup* FThreadGroup = nullptr;

 private:
  int FUpdatePriority = 0;
  CRITICAL_SECTION FLock;
};

class TWorkThread : public TWorkThreadBase {
  VELMORA_CLASS(TWorkThread, TWorkThreadBase)

 public:
  explicit TWorkThread(TComponent* AOwner);
  ~TWorkThread() override;

  void Start(void* Data) override;
  using TWorkThreadBase::Start;
  // Resumes a paused worker and sets its terminated flag; the worker ends when OnExecute returns.
  void Stop() override;
  void Suspend() override;
  void Resume() override;
  bool Running() const override { return FThread != nullptr; }
  TWorkExecuteThread* Thread() const { return FThread; }
  // Stops the worker and waits until it has ended, serving its hand-offs to the window thread
  // meanwhile; OnTerminate and the group are not told. For owners that are going away.
  void StopAndWait();

  TThreadPriority Priority() const { return FPriority; }
  void SetPriority(TThreadPriority v);
  int RefreshInterval() const;
  void SetRefreshInterval(int v);
  // Kept for stored descriptions; it does nothing.
  bool SynchroMethods() const { return FSynchroMethods; }
  void SetSynchroMethods(bool v) { FSynchroMethods = v; }

  TWorkThreadDataNotifyEvent OnExecute, OnStart, OnTerminate;
  TWorkThreadUpdateNotifyEvent OnUpdate;

 private:
  friend class TWorkExecuteThread;
  void UpdateTick();
  // The end of a run, on the window thread; the worker waits for it.
  void Terminated(TWorkExecuteThread* thread);

  TWorkExecuteThread* FThread = nullptr;
  KernelHandle FThreadHandle;  // a copy of the running worker's handle: it outlives the object
  TThreadPriority FPriority = TThreadPriority::tpNormal;
  TTimer* FTimer = nullptr;
  bool FSynchroMethods = false;
  bool FQuiet = false;  // the end is not reported (the component is going)
};

// A set of threads and nested groups with a count of the running ones.
class TWorkThreadGroup : public TWorkThreadBase {
  VELMORA_CLASS(TWorkThreadGroup, TWorkThreadBase)

 public:
  explicit TWorkThreadGroup(TComponent* AOwner);
  ~TWorkThreadGroup() override;

  void Start(void* Data) override;
  using TWorkThreadBase::Start;
  void Stop() override;
  void Suspend() override;
  void Resume() override;
  bool Running() const override;
  int RunningCount() const { return FCount; }
  const std::vector<TWorkThreadBase*>& Members() const { return FMembers; }
  const std::vector<TWorkThread*>& AllThreads() const { return FAllThreads; }

  TWorkThreadDataNotifyEvent OnStart, OnTerminate, OnThreadStart, OnThreadTerminate;
  TWorkThreadUpdateNotifyEvent OnUpdate, OnThreadUpdate;

 private:
  friend class TWorkThreadBase;
  friend class TWorkThread;
  void NotifyStart(TWorkExecuteThread* w);
  void NotifyStop(TWorkExecuteThread* w);
  void NotifyUpdate(TWorkThread* t);
  void AddMember(TWorkThreadBase* m);
  void RemoveMember(TWorkThreadBase* m);
  // Threads of a member: itself when a thread, else all those of the group.
  static std::vector<TWorkThread*> ThreadsOf(TWorkThreadBase* m);

  std::vector<TWorkThreadBase*> FMembers;
  std::vector<TWorkThread*> FAllThreads;
  int FCount = 0;
};

void RegisterWorkThreadClasses();
