#include <gtest/gtest.h>
#include <windows.h>
#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>
#include "framework/Events.h"
#include "framework/Exception.h"
#include "framework/Threads.h"
#include "framework/Timer.h"
#include "framework/UtilityWindow.h"
#include "TestSupport.h"

namespace {

class FnThread : public TThread {
 public:
  explicit FnThread(std::function<void(FnThread&)> body) : TThread(true), FBody(std::move(body)) {}
  using TThread::SetReturnValue;
  using TThread::Synchronize;

 protected:
  void Execute() override { FBody(*this); }

 private:
  std::function<void(FnThread&)> FBody;
};

// Has no members that Execute uses, so that it may be deleted while it runs.
std::atomic<long> gPolls{0};
class PollingThread : public TThread {
 public:
  PollingThread() : TThread(true) {}

 protected:
  void Execute() override {
    while (!Terminated()) {
      ++gPolls;
      Sleep(1);
    }
  }
};

}  // namespace

TEST(UtilityWindow, ForwardsMessagesContainsFailuresAndMayBeFreedByItsHandler) {
  SinkCatcher sink;
  TUtilityWindow* w = nullptr;
  w = new TUtilityWindow([&](HWND, UINT msg, WPARAM wp, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_USER + 1) return static_cast<LRESULT>(wp * 2);
    if (msg == WM_USER + 2) throw Exception("handler failed");
    if (msg == WM_USER + 3) delete w;
    return std::nullopt;
  });
  HWND h = w->Handle();
  EXPECT_FALSE(IsWindowVisible(h));
  EXPECT_EQ(SendMessageA(h, WM_USER + 1, 21, 0), 42);
  SendMessageA(h, WM_USER + 2, 0, 0);
  EXPECT_EQ(sink.messages, std::vector<std::string>{"handler failed"});
  SendMessageA(h, WM_USER + 3, 0, 0);
  EXPECT_FALSE(IsWindow(h));
}

TEST(Timer, TicksOnlyWhenEnabledWithIntervalAndHandler) {
  TTimer t(nullptr);
  EXPECT_FALSE(t.Active());  // no handler yet
  int ticks = 0;
  t.SetInterval(20);
  t.SetOnTimer([&](TObject* sender) {
    EXPECT_EQ(sender, &t);
    ++ticks;
  });
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 2; }));
  t.SetEnabled(false);
  int stopped = ticks;
  PumpFor(80);
  EXPECT_EQ(ticks, stopped);
  t.SetEnabled(true);
  t.SetInterval(0);
  EXPECT_FALSE(t.Active());
  t.SetInterval(15);  // restarts with the new period
  EXPECT_TRUE(PumpUntil([&] { return ticks >= stopped + 2; }));
}

TEST(Timer, WaitsForLoadedAndKeepsRunningWhenTheHandlerFails) {
  SinkCatcher sink;
  RegisterTimerClasses();
  const TClassInfo* cls = FindClass("TTimer");
  ASSERT_NE(cls, nullptr);
  TComponent owner(nullptr);
  auto* t = static_cast<TTimer*>(cls->Create(&owner));
  t->BeginLoading();
  SetPropText(*t, *cls->FindProp("Interval"), "10");
  int calls = 0;
  ASSERT_TRUE(cls->FindProp("OnTimer")->SetEvent(*t, std::any(TNotifyEvent([&](TObject*) {
    ++calls;
    throw Exception("tick failed");
  }))));
  PumpFor(50);
  EXPECT_EQ(calls, 0);
  t->Loaded();
  EXPECT_TRUE(PumpUntil([&] { return calls >= 3; }));
  EXPECT_TRUE(t->Active());
  EXPECT_EQ(sink.messages.at(0), "tick failed");
}

TEST(Timer, HandlerMayFreeItsTimer) {
  auto* t = new TTimer(nullptr);
  bool freed = false;
  t->SetInterval(10);
  t->SetOnTimer([&](TObject* sender) {
    delete static_cast<TTimer*>(sender);
    freed = true;
  });
  EXPECT_TRUE(PumpUntil([&] { return freed; }));
  PumpFor(40);
}

TEST(Thread, SynchronizeRunsOnTheWindowThreadAndWaitForKeepsServingIt) {
  InitThreadSync();
  const DWORD windowThread = GetCurrentThreadId();
  std::atomic<DWORD> ranOn{0};
  std::atomic<bool> done{false};
  FnThread viaLoop([&](FnThread& self) {
    self.Synchronize([&] { ranOn = GetCurrentThreadId(); });
    done = true;
  });
  viaLoop.Start();
  EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
  EXPECT_EQ(ranOn, windowThread);
  viaLoop.WaitFor();

  // WaitFor right away: it must serve the requests and sent messages, or both sides hang.
  int counter = 0;
  TUtilityWindow target([&](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg != WM_USER + 5) return std::nullopt;
    return ++counter * 100;
  });
  HWND h = target.Handle();
  LRESULT sent = 0;
  FnThread t([&](FnThread& self) {
    for (int i = 0; i < 5; ++i) self.Synchronize([&] { ++counter; });
    sent = SendMessageA(h, WM_USER + 5, 0, 0);
    self.SetReturnValue(77);
  });
  t.Start();
  EXPECT_EQ(t.WaitFor(), 77u);
  EXPECT_EQ(counter, 6);
  EXPECT_EQ(sent, 600);
}

TEST(Thread, OnTerminateRunsOnTheWindowThreadAndFailuresAreContained) {
  InitThreadSync();
  SinkCatcher sink;
  DWORD terminatedOn = 0;
  std::string m1, m2, cls;
  FnThread t([&](FnThread& self) {
    try {
      self.Synchronize([] { throw EOutOfMemory(); });
    } catch (const Exception& e) {
      m1 = e.Message();
      cls = e.ClassName();
    }
    try {
      self.Synchronize([] { throw std::runtime_error("plain failure"); });
    } catch (const Exception& e) {
      m2 = e.Message();
    }
    throw Exception("body failed");
  });
  t.OnTerminate = [&](TObject*) {
    terminatedOn = GetCurrentThreadId();
    throw Exception("handler failed");
  };
  t.Start();
  t.WaitFor();
  EXPECT_EQ(m1, "Out of memory");
  EXPECT_EQ(cls, "EOutOfMemory");  // an Exception keeps its class
  EXPECT_EQ(m2, "plain failure");
  EXPECT_EQ(t.FatalMessage(), "body failed");
  EXPECT_EQ(terminatedOn, GetCurrentThreadId());
  EXPECT_EQ(sink.messages, std::vector<std::string>{"handler failed"});

  bool ended = false;
  auto* f = new FnThread([](FnThread&) {});
  f->FreeOnTerminate = true;
  f->OnTerminate = [&](TObject*) { ended = true; };
  f->Start();
  EXPECT_TRUE(PumpUntil([&] { return ended; }));
}

TEST(Thread, MisuseFailsCleanly) {
  InitThreadSync();
  std::atomic<bool> ran{false};
  std::string suspendedWait, selfWait;
  {
    FnThread never([&](FnThread&) { ran = true; });
    try {
      never.WaitFor();
    } catch (const Exception& e) {
      suspendedWait = e.Message();
    }
  }  // destroyed without ever running: no Execute, no hang
  EXPECT_FALSE(ran);
  EXPECT_EQ(suspendedWait, "Cannot wait for a suspended thread");
  FnThread t([&](FnThread& self) {
    try {
      self.WaitFor();
    } catch (const Exception& e) {
      selfWait = e.Message();
    }
  });
  t.Start();
  t.WaitFor();
  EXPECT_EQ(selfWait, "A thread cannot wait for itself");
}

TEST(Thread, OnTerminateMayDeleteTheThreadAndADeletedThreadReportsNothing) {
  InitThreadSync();
  // Deleted by its own handler, with and without FreeOnTerminate: no deadlock, no second delete.
  for (bool selfFreeing : {false, true}) {
    bool freed = false;
    auto* t = new FnThread([](FnThread& self) { self.SetReturnValue(5); });
    t->FreeOnTerminate = selfFreeing;
    t->OnTerminate = [&](TObject* sender) {
      auto* thread = static_cast<FnThread*>(sender);
      EXPECT_EQ(thread->WaitFor(), 5u);  // from here it cannot wait, but the result is known
      delete thread;
      freed = true;
    };
    t->Start();
    EXPECT_TRUE(PumpUntil([&] { return freed; })) << "self-freeing " << selfFreeing;
  }
  // Deleted from outside while its end waits to be reported: the handler would see half an
  // object, so it is not called.
  bool reported = false;
  auto* t = new FnThread([](FnThread&) {});
  t->OnTerminate = [&](TObject*) { reported = true; };
  t->Start();
  Sleep(100);  // the thread is now queued in Synchronize
  delete t;
  EXPECT_FALSE(reported);
}

TEST(Thread, SuspendPausesAtASafePointAndResumeLetsItGoOn) {
  InitThreadSync();
  // A thread that suspends itself can be resumed.
  std::atomic<bool> after{false};
  FnThread self([&](FnThread& me) {
    me.Suspend();
    after = true;
  });
  self.Start();
  ASSERT_TRUE(PumpUntil([&] { return self.Suspended(); }));
  Sleep(30);
  EXPECT_FALSE(after);
  self.Resume();
  self.WaitFor();
  EXPECT_TRUE(after);

  // Paused from outside, it stops at its next poll, and the window thread meanwhile uses the
  // heap freely: a thread frozen inside the heap's lock would hang this loop.
  std::atomic<long> laps{0};
  FnThread worker([&](FnThread& me) {
    while (!me.Terminated()) {
      std::string s(256 + laps % 512, 'x');
      if (!s.empty()) ++laps;
    }
  });
  worker.Start();
  for (int i = 0; i < 200; ++i) {
    worker.Suspend();
    std::vector<std::string> v(20, std::string(100, 'y'));
    worker.Resume();
  }
  worker.Suspend();
  Sleep(30);
  long paused = laps;
  Sleep(60);
  EXPECT_EQ(laps, paused);
  EXPECT_TRUE(worker.Suspended());
  worker.Resume();
  EXPECT_TRUE(PumpUntil([&] { return laps > paused; }));
  // Deleting a paused thread resumes and ends it.
  auto* polling = new PollingThread;
  polling->Start();
  ASSERT_TRUE(PumpUntil([&] { return gPolls > 0; }));
  polling->Suspend();
  delete polling;
  worker.Terminate();
  worker.WaitFor();
}
