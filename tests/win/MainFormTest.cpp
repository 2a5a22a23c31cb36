// The main window built from its real description, inside the test process.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <regex>
#include "app/MainUnit.h"
#include "framework/ExtCtrls.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/Threads.h"
#include "framework/Timer.h"
#include "instruments/MtLcd.h"
#include "instruments/MtProgressBar.h"
#include "instruments/MtRegister.h"
#include "instruments/MtScope.h"
#include "instruments/MtThreads.h"
#include "instruments/MtTrayGauge.h"
#include "probes/KSI_CPUUsage.h"
#include "probes/MemoryStatus.h"
#include "sysinfo/KSystemInfo.h"

namespace {
class MainForm : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      InitProbes();
      RegisterStdControlClasses();
      RegisterExtControlClasses();
      RegisterMenuClasses();
      RegisterTimerClasses();
      RegisterProbeClasses();
      RegisterSysInfoClasses();
      RegisterInstrumentClasses();
      registered = true;
    }
    // The instruments' timers hand their ticks to this thread.
    InitThreadSync();
    app = new TApplication(nullptr);
    app->Initialize();
    app->SetTitle("Velmora test");
    form = new TMainForm(app);
    app->AddForm(form);
  }
  void TearDown() override { delete app; }
  TApplication* app = nullptr;
  TMainForm* form = nullptr;
};
}  // namespace

TEST_F(MainForm, StartsShrunkWithTheSamplerOnAndTheLayoutsFonts) {
  form->Show();
  RECT r;
  GetClientRect(form->Handle(), &r);
  EXPECT_EQ(r.right, 425);
  EXPECT_EQ(r.bottom, 211);
  EXPECT_FALSE(form->Panel5->Visible());
  EXPECT_TRUE(form->KCPUUsage1->Active());
  EXPECT_EQ(form->KCPUUsage1->Interval(), 300u);
  // Its measurements land in the form's load field.
  ASSERT_TRUE(form->KCPUUsage1->OnInterval);
  form->KCPUUsage1->OnInterval(form->KCPUUsage1, static_cast<uint32_t>(-5));
  EXPECT_EQ(form->CPUUsage(), -5);
  EXPECT_EQ(form->Label1->Font().Color(), clGreen);
  EXPECT_EQ(form->Label1->Font().Style(), (1u << fsBold) | (1u << fsItalic));
  EXPECT_EQ(form->Label2->Left(), 72);
  EXPECT_EQ(form->Image1->Cursor(), crHandPoint);
  EXPECT_EQ(form->Image1->Width(), 16);
  ASSERT_EQ(form->PopupMenu1->Items()->Count(), 4);
  EXPECT_EQ(form->PopupMenu1->Items()->Items(2)->Caption(), "Show Velmora");
  EXPECT_TRUE(form->N1->IsLine());
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(form->PopupMenu1->Items()->Items(i)->Default());
}

namespace {
// Machines of other sizes, put in place of the system's memory status.
MEMORYSTATUS g_fakeOld;
TMemoryStatusEx g_fakeEx;
void WINAPI FakeStatus(MEMORYSTATUS* ms) {
  DWORD len = ms->dwLength;
  *ms = g_fakeOld;
  ms->dwLength = len;
}
BOOL WINAPI FakeStatusEx(TMemoryStatusEx* ms) {
  if (ms->dwLength != sizeof *ms) return FALSE;
  *ms = g_fakeEx;
  ms->dwLength = sizeof *ms;
  return TRUE;
}
struct FakeMachine {
  TMemoryStatusApi saved = MemoryStatusApi();
  FakeMachine(uint64_t total, uint64_t avail, bool hasEx) {
    g_fakeOld = MEMORYSTATUS{};
    g_fakeOld.dwTotalPhys = static_cast<SIZE_T>(total);
    g_fakeOld.dwAvailPhys = static_cast<SIZE_T>(avail);
    g_fakeEx = TMemoryStatusEx{};
    g_fakeEx.ullTotalPhys = total;
    g_fakeEx.ullAvailPhys = avail;
    MemoryStatusApi().Status = &FakeStatus;
    MemoryStatusApi().StatusEx = hasEx ? &FakeStatusEx : nullptr;
  }
  ~FakeMachine() { MemoryStatusApi() = saved; }
};

// MemTotal of the host in bytes, read through Wine's view of the Unix file system; 0 elsewhere.
uint64_t HostMemTotal() {
  FILE* f = fopen("Z:\\proc\\meminfo", "r");
  if (!f) return 0;
  char line[256];
  unsigned long long kb = 0;
  while (fgets(line, sizeof line, f))
    if (sscanf(line, "MemTotal: %llu kB", &kb) == 1) break;
  fclose(f);
  return kb * 1024;
}
}  // namespace

TEST_F(MainForm, RefreshBuildsTheTrayTextAndQuickFreeRunsBeforeAndAfterIt) {
  EXPECT_EQ(form->TrayHint(), "Velmora is running!");
  form->QuickFreeRAM1->Click();  // nothing measured yet: nothing allocated, nothing fails
  form->KCPUUsage1Interval(form->KCPUUsage1, 7);
  {
    FakeMachine m(256u << 20, 96u << 20, true);
    form->MtTimer1Timer(form->MtTimer1);
  }
  EXPECT_EQ(form->TrayHint(), "Velmora: CPU=7%, RAM=96 Mb");
  EXPECT_EQ(form->RamBarPosition(), 38);  // 37.5 % rounds to the even 38
  form->QuickFreeRAM1->Click();           // 176 MB touched and freed
}

TEST_F(MainForm, RefreshReadsSmallAndLargeMachines) {
  const uint64_t MB = 1u << 20, GB = uint64_t{1} << 30;
  struct Case {
    uint64_t total, avail;
    bool hasEx;
    int bar, megabytes;
  } cases[] = {
      {64 * MB, 8 * MB, false, 12, 8},            // Windows 95: the old reading, 12.5 %
      {256 * MB, 96 * MB, false, 38, 96},         // the old reading, 37.5 %
      {3 * GB, 5 * GB / 2, true, 83, 2560},       // 3 GB: the extended reading
      {3 * GB, 5 * GB / 2, false, 100, 0},        // the old reading of 3 GB is negative
      {16 * GB, 12 * GB, true, 75, 9999},         // 16 GB: 12288 MB, shown to four digits
  };
  for (const Case& c : cases) {
    FakeMachine m(c.total, c.avail, c.hasEx);
    form->MtTimer1Timer(form->MtTimer1);
    EXPECT_EQ(form->RamBarPosition(), c.bar) << c.total / MB << " MB";
    EXPECT_EQ(form->RamMegabytes(), c.megabytes) << c.total / MB << " MB";
  }
}

TEST_F(MainForm, RefreshReadsThisMachinesTrueMemory) {
  uint64_t host = HostMemTotal();
  if (host == 0) GTEST_SKIP() << "no host memory figure to compare with";
  TPhysMemory m = ReadPhysMemory();
  ASSERT_TRUE(m.Wide);
  // Wine's figure is the host's, within rounding of what the kernel keeps for itself.
  EXPECT_NEAR(static_cast<double>(m.Total), static_cast<double>(host), host * 0.02);
  form->MtTimer1Timer(form->MtTimer1);
  int expectMb = static_cast<int>(std::min<int64_t>(m.Avail / 1048576, 9999));
  // Other programs come and go between the two readings.
  EXPECT_NEAR(form->RamMegabytes(), expectMb, 1024);
  if (host > (uint64_t{4} << 30)) {
    EXPECT_GT(m.Total, int64_t{4} << 30);
  }
}

TEST_F(MainForm, ShutdownFromTheMenuEndsTheApplication) {
  form->Show();
  form->ShutdownVelmora1->Click();
  app->ProcessMessages();
  EXPECT_TRUE(app->Terminated());
}

TEST_F(MainForm, ActivationsNoLongerReachTheWindowOnceItIsGone) {
  ASSERT_TRUE(app->OnActivate);
  delete form;
  form = nullptr;
  EXPECT_FALSE(app->OnActivate);
  SendMessageA(app->Handle(), WM_ACTIVATEAPP, TRUE, 0);
}

TEST_F(MainForm, SystemInformationHoldsItsStoredSnapshotUntilTheFirstRefresh) {
  ASSERT_NE(form->KSystemInfo1, nullptr);
  TKSystemInfo& info = *form->KSystemInfo1;
  EXPECT_EQ(info.CPU()->CodeName(), "Coppermine (0.18 \xB5m)");
  EXPECT_EQ(info.CPU()->Transistors(), 28100000);
  EXPECT_FALSE(info.CPU()->FDIVBug());
  EXPECT_EQ(info.Printers()->DefaultIndex(), 1);
  // The counts are those of the lists, which nothing has filled yet.
  EXPECT_EQ(info.Devices()->DeviceCount(), 0);
  EXPECT_EQ(info.Processes()->ProcessCount(), 0);
  EXPECT_EQ(info.About(), "Velmora System Information v5.6");
  EXPECT_EQ(GetPropPathText(*form, "KSystemInfo1.CPU.Transistors"), "28100000");
}
