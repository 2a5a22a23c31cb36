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

namespace {

// Runs this thread's message loop until pred holds or the time is up.
bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs = 5000) {
  DWORD start = GetTickCount();
  while (!pred()) {
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return true;
}

void PumpFor(DWORD ms) {
  DWORD start = GetTickCount();
  PumpUntil([&] { return GetTickCount() - start >= ms; }, ms + 1000);
}

// Collects what reaches the exception sink during a test.
struct SinkCatcher {
  std::vector<std::string> messages;
  SinkCatcher() {
    SetExceptionSink([this](TObject*, const std::exception& e) { messages.push_back(e.what()); });
  }
  ~SinkCatcher() { SetExceptionSink(nullptr); }
};

}  // namespace

TEST(UtilityWindow, ForwardsMessagesAndFallsBackToTheDefault) {
  std::vector<UINT> seen;
  TUtilityWindow w([&](HWND, UINT msg, WPARAM wp, LPARAM) -> std::optional<LRESULT> {
    seen.push_back(msg);
    if (msg == WM_USER + 1) return static_cast<LRESULT>(wp * 2);
    if (msg == WM_USER + 2) throw Exception("handler failed");
    return std::nullopt;
  });
  ASSERT_NE(w.Handle(), nullptr);
  EXPECT_FALSE(IsWindowVisible(w.Handle()));
  EXPECT_EQ(GetParent(w.Handle()), nullptr);
  EXPECT_EQ(SendMessageA(w.Handle(), WM_USER + 1, 21, 0), 42);
  // Unanswered: DefWindowProc's answer for an unknown message is 0.
  EXPECT_EQ(SendMessageA(w.Handle(), WM_USER + 3, 0, 0), 0);

  SinkCatcher sink;
  SendMessageA(w.Handle(), WM_USER + 2, 0, 0);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0], "handler failed");
  EXPECT_EQ(seen.size(), 3u);
}

TEST(UtilityWindow, HandlerMayDestroyItsOwnWindow) {
  TUtilityWindow* w = nullptr;
  bool after = false;
  w = new TUtilityWindow([&](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg != WM_USER) return std::nullopt;
    delete w;
    after = true;  // the handler's captures are still alive here
    return 7;
  });
  HWND h = w->Handle();
  EXPECT_EQ(SendMessageA(h, WM_USER, 0, 0), 7);
  EXPECT_TRUE(after);
  EXPECT_FALSE(IsWindow(h));
}

TEST(Timer, TicksOnlyWhenEnabledWithIntervalAndHandler) {
  TTimer t(nullptr);
  EXPECT_TRUE(t.Enabled());
  EXPECT_EQ(t.Interval(), 1000u);
  EXPECT_FALSE(t.Active());  // no handler yet

  int ticks = 0;
  DWORD thread = 0;
  t.SetInterval(20);
  t.SetOnTimer([&](TObject* sender) {
    EXPECT_EQ(sender, &t);
    thread = GetCurrentThreadId();
    ++ticks;
  });
  EXPECT_TRUE(t.Active());
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }));
  EXPECT_EQ(thread, GetCurrentThreadId());

  t.SetEnabled(false);
  EXPECT_FALSE(t.Active());
  int stopped = ticks;
  PumpFor(100);
  EXPECT_EQ(ticks, stopped);

  t.SetEnabled(true);
  t.SetInterval(0);
  EXPECT_FALSE(t.Active());
  PumpFor(60);
  EXPECT_EQ(ticks, stopped);

  // A new interval while running restarts the timer with it.
  t.SetInterval(15);
  EXPECT_TRUE(t.Active());
  EXPECT_TRUE(PumpUntil([&] { return ticks >= stopped + 2; }));

  t.SetOnTimer(nullptr);
  EXPECT_FALSE(t.Active());
}

TEST(Timer, FailingHandlerIsReportedAndTheTimerKeepsRunning) {
  SinkCatcher sink;
  TTimer t(nullptr);
  t.SetInterval(10);
  int calls = 0;
  t.SetOnTimer([&](TObject*) {
    ++calls;
    throw Exception("tick failed");
  });
  EXPECT_TRUE(PumpUntil([&] { return calls >= 3; }));
  EXPECT_TRUE(t.Active());
  ASSERT_GE(sink.messages.size(), 3u);
  EXPECT_EQ(sink.messages[0], "tick failed");
}

TEST(Timer, WaitsForLoadedAndIsReadFromItsClassTable) {
  RegisterTimerClasses();
  const TClassInfo* cls = FindClass("TTimer");
  ASSERT_NE(cls, nullptr);
  TComponent owner(nullptr);
  auto* t = static_cast<TTimer*>(cls->Create(&owner));
  t->BeginLoading();
  SetPropText(*t, *cls->FindProp("Interval"), "25");
  SetPropText(*t, *cls->FindProp("Enabled"), "True");
  int ticks = 0;
  ASSERT_TRUE(cls->FindProp("OnTimer")->SetEvent(*t, std::any(TNotifyEvent([&](TObject*) { ++ticks; }))));
  EXPECT_EQ(t->Interval(), 25u);
  EXPECT_FALSE(t->Active());
  PumpFor(80);
  EXPECT_EQ(ticks, 0);
  t->Loaded();
  EXPECT_TRUE(t->Active());
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 1; }));
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
  PumpFor(50);  // nothing may tick on the freed timer
}

namespace {

// A thread whose body is a function, for tests. Each test lets it finish before deleting it.
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

}  // namespace

TEST(Thread, SynchronizeRunsOnTheWindowThreadThroughTheMessageLoop) {
  InitThreadSync();
  const DWORD windowThread = GetCurrentThreadId();
  EXPECT_TRUE(IsWindowThread());
  std::atomic<DWORD> ranOn{0}, bodyOn{0};
  std::atomic<bool> done{false};
  FnThread t([&](FnThread& self) {
    bodyOn = GetCurrentThreadId();
    self.Synchronize([&] { ranOn = GetCurrentThreadId(); });
    done = true;
  });
  t.Start();
  EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
  EXPECT_EQ(ranOn, windowThread);
  EXPECT_NE(bodyOn, windowThread);
  t.WaitFor();

  // On the window thread itself the call runs at once.
  bool direct = false;
  TThread::Synchronize(nullptr, [&] { direct = true; });
  EXPECT_TRUE(direct);
}

TEST(Thread, WaitForServesSynchronizeAndSentMessages) {
  InitThreadSync();
  int counter = 0;  // touched only on the window thread
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
  EXPECT_EQ(t.WaitFor(), 77u);  // would hang if WaitFor served neither
  EXPECT_EQ(counter, 6);
  EXPECT_EQ(sent, 600);
  EXPECT_TRUE(t.Finished());
  EXPECT_EQ(t.ReturnValue(), 77);
}

TEST(Thread, OnTerminateRunsOnTheWindowThreadAfterExecute) {
  InitThreadSync();
  std::atomic<bool> executed{false};
  DWORD terminatedOn = 0;
  bool sawExecuted = false;
  TObject* sender = nullptr;
  FnThread t([&](FnThread&) { executed = true; });
  t.OnTerminate = [&](TObject* s) {
    terminatedOn = GetCurrentThreadId();
    sawExecuted = executed;
    sender = s;
  };
  t.Start();
  t.WaitFor();
  EXPECT_EQ(terminatedOn, GetCurrentThreadId());
  EXPECT_TRUE(sawExecuted);
  EXPECT_EQ(sender, &t);

  // A self-freeing thread reports through the message loop.
  bool ended = false;
  auto* f = new FnThread([](FnThread&) { Sleep(10); });
  f->FreeOnTerminate = true;
  f->OnTerminate = [&](TObject*) { ended = true; };
  f->Start();
  EXPECT_TRUE(PumpUntil([&] { return ended; }));
}

TEST(Thread, FailuresAreContainedAndCarriedBack) {
  InitThreadSync();
  SinkCatcher sink;
  bool terminated = false;
  FnThread bad([](FnThread&) { throw Exception("body failed"); });
  bad.OnTerminate = [&](TObject*) {
    terminated = true;
    throw Exception("handler failed");
  };
  bad.Start();
  bad.WaitFor();
  EXPECT_EQ(bad.FatalMessage(), "body failed");
  EXPECT_TRUE(terminated);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0], "handler failed");

  // Failures inside a synchronized call come back to the calling thread.
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
  });
  t.Start();
  t.WaitFor();
  EXPECT_EQ(m1, "Out of memory");
  EXPECT_EQ(cls, "EOutOfMemory");
  EXPECT_EQ(m2, "plain failure");
  EXPECT_EQ(t.FatalMessage(), "");
}

TEST(Thread, StateAndMisuseAreHandled) {
  InitThreadSync();
  std::atomic<bool> ran{false};
  {
    FnThread never([&](FnThread&) { ran = true; });
    EXPECT_TRUE(never.Suspended());
    EXPECT_NE(never.Handle(), nullptr);
    EXPECT_NE(never.ThreadID(), 0u);
    std::string error;
    try {
      never.WaitFor();
    } catch (const Exception& e) {
      error = e.Message();
    }
    EXPECT_EQ(error, "Cannot wait for a suspended thread");
  }  // destroyed without ever running: no Execute, no hang
  EXPECT_FALSE(ran);

  std::string selfWait;
  FnThread polling([&](FnThread& self) {
    try {
      self.WaitFor();
    } catch (const Exception& e) {
      selfWait = e.Message();
    }
    while (!self.Terminated()) Sleep(1);
  });
  polling.SetPriority(TThreadPriority::tpLower);
  EXPECT_EQ(polling.Priority(), TThreadPriority::tpLower);
  polling.Start();
  EXPECT_FALSE(polling.Suspended());
  Sleep(20);
  EXPECT_FALSE(polling.Finished());
  polling.Terminate();
  polling.WaitFor();
  EXPECT_EQ(selfWait, "A thread cannot wait for itself");
}
