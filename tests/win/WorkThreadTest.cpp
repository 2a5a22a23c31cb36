// The worker thread component and its groups: runs, hand-offs, the end on the window thread,
// the counting of groups and a component that goes while its worker runs.
#include <gtest/gtest.h>
#include <atomic>
#include <string>
#include <vector>
#include "TestSupport.h"
#include "wizard/WorkThread.h"

namespace {

class WorkThread : public ::testing::Test {
 protected:
  void SetUp() override { InitThreadSync(); }
  std::vector<std::string> log;
  DWORD windowThread = GetCurrentThreadId();
};

}  // namespace

TEST_F(WorkThread, RunsOnceAtATimeAndEndsOnTheWindowThread) {
  TWorkThread w(nullptr);
  std::atomic<int> runs{0};
  std::atomic<DWORD> workerThread{0};
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  w.OnExecute = [&](TObject* s, TWorkExecuteThread* t, void*& data) {
    workerThread = GetCurrentThreadId();
    ++runs;
    WaitForSingleObject(go, 5000);
    data = reinterpret_cast<void*>(static_cast<intptr_t>(reinterpret_cast<intptr_t>(data) + 1));
  };
  int terminated = 0;
  void* lastData = nullptr;
  w.OnTerminate = [&](TObject* s, TWorkExecuteThread* t, void*& data) {
    EXPECT_EQ(GetCurrentThreadId(), windowThread);
    EXPECT_EQ(s, &w);
    EXPECT_FALSE(w.Running());  // a new Start is possible from here
    lastData = data;
    ++terminated;
  };
  int value = 41;
  w.Start(&value);
  EXPECT_TRUE(w.Running());
  w.Start();  // ignored while running
  SetEvent(go);
  ASSERT_TRUE(PumpUntil([&] { return terminated == 1; }));
  EXPECT_EQ(runs, 1);
  EXPECT_NE(workerThread.load(), windowThread);
  // The handler's replacement of the data reaches the end of the run.
  EXPECT_EQ(lastData, reinterpret_cast<void*>(reinterpret_cast<intptr_t>(&value) + 1));
  w.Start();
  ASSERT_TRUE(PumpUntil([&] { return terminated == 2; }));
  EXPECT_EQ(runs, 2);
  CloseHandle(go);
}

TEST_F(WorkThread, StartFromOnTerminateAndAFailingHandlerStillEnd) {
  TWorkThread w(nullptr);
  std::atomic<int> runs{0};
  w.OnExecute = [&](TObject*, TWorkExecuteThread*, void*&) {
    if (++runs == 1) throw Exception("the job failed");
  };
  int terminated = 0;
  w.OnTerminate = [&](TObject*, TWorkExecuteThread*, void*&) {
    if (++terminated == 1) w.Start();
  };
  SinkCatcher sink;
  w.Start();
  ASSERT_TRUE(PumpUntil([&] { return terminated == 2; }));
  EXPECT_EQ(runs, 2);
  EXPECT_FALSE(w.Running());
  EXPECT_TRUE(sink.messages.empty());  // not reported
}

TEST_F(WorkThread, UpdatesComeOnTheWindowThreadWithThePercent) {
  TWorkThread w(nullptr);
  w.SetRefreshInterval(50);
  w.OnExecute = [&](TObject*, TWorkExecuteThread* t, void*&) {
    for (int i = 1; i <= 6; ++i) {
      Sleep(50);
      t->Percent = i * 10;
    }
  };
  std::vector<int> seen;
  bool done = false;
  w.OnUpdate = [&](TObject*, TWorkExecuteThread*, void*&, int percent) {
    EXPECT_EQ(GetCurrentThreadId(), windowThread);
    seen.push_back(percent);
  };
  w.OnTerminate = [&](TObject*, TWorkExecuteThread*, void*&) { done = true; };
  w.Start();
  ASSERT_TRUE(PumpUntil([&] { return done; }));
  size_t atEnd = seen.size();
  EXPECT_GE(atEnd, 2u);
  EXPECT_LE(atEnd, 8u);
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  PumpFor(150);
  EXPECT_EQ(seen.size(), atEnd);  // the timer stops with the worker
}

TEST_F(WorkThread, StopResumesAPausedWorkerAndSetsItsFlag) {
  TWorkThread w(nullptr);
  std::atomic<int> polls{0};
  w.OnExecute = [&](TObject*, TWorkExecuteThread* t, void*&) {
    while (!t->Terminated()) {
      ++polls;
      Sleep(5);
    }
  };
  bool done = false;
  w.OnTerminate = [&](TObject*, TWorkExecuteThread*, void*&) { done = true; };
  w.Start();
  ASSERT_TRUE(PumpUntil([&] { return polls > 0; }));
  w.Suspend();
  w.Suspend();
  PumpFor(50);
  int paused = polls;
  PumpFor(50);
  EXPECT_LE(polls - paused, 1);
  w.Stop();
  ASSERT_TRUE(PumpUntil([&] { return done; }));
  // Idle: nothing to stop, pause or resume.
  w.Stop();
  w.Suspend();
  w.Resume();
  EXPECT_FALSE(w.Running());
}

TEST_F(WorkThread, GoingWhileRunningServesTheHandOffsAndReportsNothing) {
  std::atomic<int> handOffs{0};
  bool terminated = false;
  std::atomic<bool> ended{false};
  auto* w = new TWorkThread(nullptr);
  w->OnExecute = [&](TObject*, TWorkExecuteThread* t, void*&) {
    // A job that hands work to the window thread until told to stop.
    while (!t->Terminated()) {
      t->Synchronize([&] { ++handOffs; });
      Sleep(5);
    }
    ended = true;
  };
  w->OnTerminate = [&](TObject*, TWorkExecuteThread*, void*&) { terminated = true; };
  w->Start();
  ASSERT_TRUE(PumpUntil([&] { return handOffs > 2; }));
  delete w;  // waits for the worker
  EXPECT_TRUE(ended);
  PumpFor(50);
  EXPECT_FALSE(terminated);
}

TEST_F(WorkThread, GroupCountsItsRunningThreads) {
  TWorkThreadGroup g(nullptr);
  TWorkThread a(nullptr), b(nullptr);
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  for (TWorkThread* t : {&a, &b}) {
    t->SetThreadGroup(&g);
    t->OnExecute = [&](TObject*, TWorkExecuteThread*, void*&) { WaitForSingleObject(go, 5000); };
  }
  g.OnStart = [&](TObject*, TWorkExecuteThread*, void*&) { log.push_back("start"); };
  g.OnTerminate = [&](TObject*, TWorkExecuteThread*, void*&) { log.push_back("terminate"); };
  g.OnThreadStart = [&](TObject*, TWorkExecuteThread*, void*&) { log.push_back("thread start"); };
  g.OnThreadTerminate = [&](TObject*, TWorkExecuteThread*, void*&) { log.push_back("thread terminate"); };
  EXPECT_EQ(g.Members().size(), 2u);
  g.Start();
  EXPECT_TRUE(g.Running());
  EXPECT_EQ(g.RunningCount(), 2);
  SetEvent(go);
  ASSERT_TRUE(PumpUntil([&] { return !g.Running() && !a.Running() && !b.Running(); }));
  EXPECT_EQ(log, (std::vector<std::string>{"thread start", "start", "thread start", "thread terminate",
                                           "thread terminate", "terminate"}));
  CloseHandle(go);
}

TEST_F(WorkThread, GroupUpdatesYieldToAHigherPriorityMember) {
  TWorkThreadGroup g(nullptr);
  TWorkThread low(nullptr), high(nullptr);
  low.SetRefreshInterval(20);
  high.SetRefreshInterval(1000000);  // ticks of its own do not come during the test
  high.SetUpdatePriority(1);
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<int> ended{0};
  for (TWorkThread* t : {&low, &high}) {
    t->SetThreadGroup(&g);
    t->OnExecute = [&](TObject*, TWorkExecuteThread*, void*&) { WaitForSingleObject(go, 5000); };
    t->OnTerminate = [&](TObject*, TWorkExecuteThread*, void*&) { ++ended; };
  }
  int groupUpdates = 0, threadUpdates = 0;
  g.OnUpdate = [&](TObject*, TWorkExecuteThread*, void*&, int) { ++groupUpdates; };
  g.OnThreadUpdate = [&](TObject*, TWorkExecuteThread*, void*&, int) { ++threadUpdates; };
  high.Start();
  low.Start();
  ASSERT_TRUE(PumpUntil([&] { return threadUpdates >= 3; }));
  EXPECT_EQ(groupUpdates, 0);
  // Raised above the other member, the thread's ticks reach the group's own update.
  low.SetUpdatePriority(2);
  ASSERT_TRUE(PumpUntil([&] { return groupUpdates >= 1; }));
  SetEvent(go);
  ASSERT_TRUE(PumpUntil([&] { return ended == 2; }));
  CloseHandle(go);
}

TEST_F(WorkThread, MembershipFollowsRunningThreadsAndRefusesCycles) {
  TWorkThreadGroup outer(nullptr), inner(nullptr);
  TWorkThread t(nullptr);
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  bool done = false;
  t.OnExecute = [&](TObject*, TWorkExecuteThread*, void*&) { WaitForSingleObject(go, 5000); };
  t.OnTerminate = [&](TObject*, TWorkExecuteThread*, void*&) { done = true; };
  t.Start();
  // A running thread joining counts at once, in the group and in the groups around it.
  inner.SetThreadGroup(&outer);
  t.SetThreadGroup(&inner);
  EXPECT_EQ(inner.RunningCount(), 1);
  EXPECT_EQ(outer.RunningCount(), 1);
  EXPECT_THROW(outer.SetThreadGroup(&inner), Exception);
  EXPECT_THROW(inner.SetThreadGroup(&inner), Exception);
  // Leaving while running counts as a stop.
  t.SetThreadGroup(nullptr);
  EXPECT_EQ(inner.RunningCount(), 0);
  EXPECT_EQ(outer.RunningCount(), 0);
  SetEvent(go);
  ASSERT_TRUE(PumpUntil([&] { return done; }));
  EXPECT_EQ(inner.RunningCount(), 0);
  CloseHandle(go);
}
