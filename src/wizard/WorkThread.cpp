#include "wizard/WorkThread.h"
#include <algorithm>
#include <utility>
#include "framework/Events.h"
#include "framework/Exception.h"
#include "framework/Timer.h"

namespace {
// Holds a component's lock for one scope, also when a handler throws.
class Locked {
 public:
  explicit Locked(TWorkThreadBase& c) : FC(c) { c.Lock(); }
  ~Locked() { FC.Unlock(); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  TWorkThreadBase& FC;
};
}  // namespace

// ---------------------------------------------------------------- TWorkExecuteThread

TWorkExecuteThread::TWorkExecuteThread(TWorkThread* owner, void* data, TThreadPriority priority)
    : TThread(true), Data(data), FOwner(owner), FExecute(owner->OnExecute) {
  FreeOnTerminate = true;
  SetPriority(priority);
  OnTerminate = [owner](TObject* sender) { owner->Terminated(static_cast<TWorkExecuteThread*>(sender)); };
}

void TWorkExecuteThread::Execute() {
  // Also when Stop came first: the handler decides how soon to look at the flag.
  if (FExecute) FExecute(FOwner, this, Data);
}

// ---------------------------------------------------------------- TWorkThreadBase

VELMORA_CLASS_INFO(TWorkThreadBase) {
  b.Ref<TWorkThreadGroup>("ThreadGroup", &TWorkThreadBase::ThreadGroup, &TWorkThreadBase::SetThreadGroup);
  b.Int("UpdatePriority", &TWorkThreadBase::UpdatePriority, &TWorkThreadBase::SetUpdatePriority);
}

TWorkThreadBase::TWorkThreadBase(TComponent* AOwner) : TComponent(AOwner) { InitializeCriticalSection(&FLock); }

TWorkThreadBase::~TWorkThreadBase() { DeleteCriticalSection(&FLock); }

void TWorkThreadBase::SetThreadGroup(TWorkThreadGroup* value) {
  if (value == FThreadGroup) return;
  // A group inside itself would count its threads forever.
  for (TWorkThreadBase* g = value; g; g = g->FThreadGroup)
    if (g == this) throw Exception("A thread group cannot contain itself");
  if (FThreadGroup) FThreadGroup->RemoveMember(this);
  FThreadGroup = nullptr;
  if (value) {
    value->AddMember(this);
    FThreadGroup = value;
  }
}

// ---------------------------------------------------------------- TWorkThread

VELMORA_CLASS_INFO(TWorkThread) {
  b.Enum("Priority", &TWorkThread::Priority, &TWorkThread::SetPriority, ThreadPriorityInfo());
  b.Int("RefreshInterval", &TWorkThread::RefreshInterval, &TWorkThread::SetRefreshInterval);
  b.Bool("SynchroMethods", &TWorkThread::SynchroMethods, &TWorkThread::SetSynchroMethods);
  b.Event("OnExecute", &TWorkThread::OnExecute);
  b.Event("OnStart", &TWorkThread::OnStart);
  b.Event("OnTerminate", &TWorkThread::OnTerminate);
  b.Event("OnUpdate", &TWorkThread::OnUpdate);
  b.Creatable();
}

TWorkThread::TWorkThread(TComponent* AOwner) : TWorkThreadBase(AOwner) {
  FTimer = new TTimer(this);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(100);
  FTimer->SetOnTimer([this](TObject*) { UpdateTick(); });
}

TWorkThread::~TWorkThread() {
  // Leaving the group while running tells it of the stop; the quiet end then tells nobody.
  SetThreadGroup(nullptr);
  StopAndWait();
}

int TWorkThread::RefreshInterval() const { return static_cast<int>(FTimer->Interval()); }

void TWorkThread::SetRefreshInterval(int v) {
  // A negative interval would read as weeks; 0 stops the updates.
  FTimer->SetInterval(v < 0 ? 0u : static_cast<unsigned>(v));
}

void TWorkThread::SetPriority(TThreadPriority v) {
  if (static_cast<int>(v) < 0 || static_cast<int>(v) > 6) return;
  FPriority = v;
  if (FThread) FThread->SetPriority(v);
}

void TWorkThread::Start(void* Data) {
  if (FThread) return;
  auto* t = new TWorkExecuteThread(this, Data, FPriority);
  HANDLE process = GetCurrentProcess(), copy = nullptr;
  if (!DuplicateHandle(process, t->Handle(), process, &copy, SYNCHRONIZE, FALSE, 0)) {
    DWORD error = GetLastError();
    delete t;  // never started: it ends without running anything
    throw Exception(Format("Thread creation error: %lu", error));
  }
  FThreadHandle.reset(copy);
  FThread = t;
  if (FThreadGroup) FThreadGroup->NotifyStart(t);
  if (OnStart) {
    Locked lock(*this);
    CallGuarded(this, [&] { OnStart(this, t, t->Data); });
  }
  t->Start();
  FTimer->SetEnabled(true);
}

void TWorkThread::Stop() {
  if (!FThread) return;
  while (FThread->Suspended()) FThread->Resume();
  FThread->Terminate();
}

void TWorkThread::Suspend() {
  if (FThread) FThread->Suspend();
}

void TWorkThread::Resume() {
  if (FThread) FThread->Resume();
}

void TWorkThread::StopAndWait() {
  FTimer->SetEnabled(false);
  if (!FThread) return;
  FQuiet = true;
  KernelHandle h = std::move(FThreadHandle);
  Stop();
  // Its hand-offs and its end are served here; nothing else of the window runs meanwhile.
  WaitServingSynchronize(h.get());
  h.reset();
  FThread = nullptr;
  FQuiet = false;
}

void TWorkThread::UpdateTick() {
  TWorkExecuteThread* t = FThread;
  if (!t) return;
  if (FThreadGroup) FThreadGroup->NotifyUpdate(this);
  if (OnUpdate && FThread) {
    Locked lock(*this);
    CallGuarded(this, [&] { OnUpdate(this, t, t->Data, t->Percent.load()); });
  }
}

void TWorkThread::Terminated(TWorkExecuteThread* thread) {
  FTimer->SetEnabled(false);
  FThread = nullptr;
  if (FQuiet) return;  // the waiting owner closes the handle
  FThreadHandle.reset();
  if (FThreadGroup) FThreadGroup->NotifyStop(thread);
  if (OnTerminate) {
    Locked lock(*this);
    // A copy: the handler may start the next run.
    TWorkThreadDataNotifyEvent handler = OnTerminate;
    handler(this, thread, thread->Data);
  }
}

// ---------------------------------------------------------------- TWorkThreadGroup

VELMORA_CLASS_INFO(TWorkThreadGroup) {
  b.Event("OnStart", &TWorkThreadGroup::OnStart);
  b.Event("OnTerminate", &TWorkThreadGroup::OnTerminate);
  b.Event("OnUpdate", &TWorkThreadGroup::OnUpdate);
  b.Event("OnThreadStart", &TWorkThreadGroup::OnThreadStart);
  b.Event("OnThreadTerminate", &TWorkThreadGroup::OnThreadTerminate);
  b.Event("OnThreadUpdate", &TWorkThreadGroup::OnThreadUpdate);
  b.Creatable();
}

TWorkThreadGroup::TWorkThreadGroup(TComponent* AOwner) : TWorkThreadBase(AOwner) {}

TWorkThreadGroup::~TWorkThreadGroup() {
  SetThreadGroup(nullptr);
  // The members stay as they are, only without this group.
  for (TWorkThreadBase* m : FMembers) m->FThreadGroup = nullptr;
  FMembers.clear();
  FAllThreads.clear();
}

bool TWorkThreadGroup::Running() const { return FCount > 0; }

void TWorkThreadGroup::Start(void* Data) {
  for (TWorkThreadBase* m : std::vector<TWorkThreadBase*>(FMembers)) m->Start(Data);
}

void TWorkThreadGroup::Stop() {
  for (TWorkThreadBase* m : std::vector<TWorkThreadBase*>(FMembers)) m->Stop();
}

void TWorkThreadGroup::Suspend() {
  for (TWorkThreadBase* m : std::vector<TWorkThreadBase*>(FMembers)) m->Suspend();
}

void TWorkThreadGroup::Resume() {
  for (TWorkThreadBase* m : std::vector<TWorkThreadBase*>(FMembers)) m->Resume();
}

std::vector<TWorkThread*> TWorkThreadGroup::ThreadsOf(TWorkThreadBase* m) {
  if (auto* t = dynamic_cast<TWorkThread*>(m)) return {t};
  if (auto* g = dynamic_cast<TWorkThreadGroup*>(m)) return g->FAllThreads;
  return {};
}

void TWorkThreadGroup::AddMember(TWorkThreadBase* m) {
  std::vector<TWorkThread*> threads = ThreadsOf(m);
  for (TWorkThread* t : threads)
    if (t->Running()) NotifyStart(t->Thread());
  Locked lock(*this);
  FMembers.push_back(m);
  FAllThreads.insert(FAllThreads.end(), threads.begin(), threads.end());
}

void TWorkThreadGroup::RemoveMember(TWorkThreadBase* m) {
  std::vector<TWorkThread*> threads = ThreadsOf(m);
  for (TWorkThread* t : threads)
    if (t->Running()) NotifyStop(t->Thread());
  Locked lock(*this);
  std::erase(FMembers, m);
  for (TWorkThread* t : threads) {
    auto it = std::find(FAllThreads.begin(), FAllThreads.end(), t);
    if (it != FAllThreads.end()) FAllThreads.erase(it);
  }
}

void TWorkThreadGroup::NotifyStart(TWorkExecuteThread* w) {
  void* none = nullptr;
  void*& data = w ? w->Data : none;
  int old;
  {
    Locked lock(*this);
    old = FCount++;
    if (OnThreadStart) CallGuarded(this, [&] { OnThreadStart(this, w, data); });
  }
  if (FThreadGroup) FThreadGroup->NotifyStart(w);
  if (old == 0 && OnStart) CallGuarded(this, [&] { OnStart(this, w, data); });
}

void TWorkThreadGroup::NotifyStop(TWorkExecuteThread* w) {
  void* none = nullptr;
  void*& data = w ? w->Data : none;
  int now;
  {
    Locked lock(*this);
    if (FCount > 0) --FCount;
    now = FCount;
  }
  if (OnThreadTerminate) CallGuarded(this, [&] { OnThreadTerminate(this, w, data); });
  if (FThreadGroup) FThreadGroup->NotifyStop(w);
  if (now == 0 && OnTerminate) CallGuarded(this, [&] { OnTerminate(this, w, data); });
}

void TWorkThreadGroup::NotifyUpdate(TWorkThread* t) {
  TWorkExecuteThread* w = t->Thread();
  if (!w) return;
  int percent = w->Percent.load();
  if (OnThreadUpdate) CallGuarded(this, [&] { OnThreadUpdate(this, w, w->Data, percent); });
  if (!OnUpdate) return;
  for (TWorkThreadBase* m : FMembers)
    if (m->Running() && m->UpdatePriority() > t->UpdatePriority()) return;
  CallGuarded(this, [&] { OnUpdate(this, w, w->Data, percent); });
}

void RegisterWorkThreadClasses() {
  RegisterComponentClass(TWorkThread::StaticClassInfo());
  RegisterComponentClass(TWorkThreadGroup::StaticClassInfo());
}
