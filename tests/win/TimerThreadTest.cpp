#include <gtest/gtest.h>
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "framework/Events.h"
#include "framework/Exception.h"
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
