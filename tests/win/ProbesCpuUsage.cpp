#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include <vector>
#include "framework/Events.h"
#include "framework/Exception.h"
#include "framework/Registry.h"
#include "probes/CpuLoad.h"
#include "probes/CpuUsageSeams.h"
#include "probes/KSI_CPUUsage.h"
#include "probes/Kestrix_Routines.h"

namespace {
// Runs the message loop until done() or the time is up.
template <class F>
bool PumpUntil(F done, DWORD ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  }
  return true;
}

struct Collector {
  std::vector<int32_t> Values;
  TOnIntervalEvent Handler() {
    return [this](TObject*, uint32_t v) { Values.push_back(static_cast<int32_t>(v)); };
  }
};

// A scripted system of gCpus processors: each reading gives every processor's idle time. Like
// NT it wants a record for every processor, and says how many it filled; its records are 48
// bytes apart, as the system's are.
constexpr ULONG kRecord = 48;
unsigned gCpus = 2;
std::vector<std::vector<int64_t>> gIdles;
size_t gIdleIndex = 0;
ULONG gLastLength = 0;
LONG gFailWith = 0;
LONG WINAPI FakeQuery(ULONG cls, PVOID buffer, ULONG length, PULONG returned) {
  gLastLength = length;
  if (cls != 8) return static_cast<LONG>(0xC0000003);
  if (gFailWith) return gFailWith;
  if (length < gCpus * kRecord) return static_cast<LONG>(kStatusInfoLengthMismatch);
  std::memset(buffer, 0, length);
  const std::vector<int64_t>& row = gIdleIndex < gIdles.size() ? gIdles[gIdleIndex++] : gIdles.back();
  for (unsigned i = 0; i < gCpus && i < row.size(); ++i)
    std::memcpy(static_cast<char*>(buffer) + i * kRecord, &row[i], sizeof row[i]);
  if (returned) *returned = gCpus * kRecord;
  return 0;
}
// Two processors that idle alike: the machine's load is each one's.
std::vector<std::vector<int64_t>> Alike(const std::vector<int64_t>& idle) {
  std::vector<std::vector<int64_t>> rows;
  for (int64_t v : idle) rows.push_back({v, v});
  return rows;
}
// The sampler's clock, along a script of its own: one reading at activation and one per tick.
std::vector<uint32_t> gTimes;
size_t gTimeIndex = 0;
uint32_t FakeClock() { return gTimeIndex < gTimes.size() ? gTimes[gTimeIndex++] : gTimes.back(); }

LONG WINAPI AlwaysTooSmall(ULONG, PVOID, ULONG length, PULONG) {
  gLastLength = length;
  return static_cast<LONG>(kStatusInfoLengthMismatch);
}

class MethodScope {
 public:
  MethodScope(TCpuUsageMethod m, TQuerySystemInformation q = nullptr, bool replace = false) {
    SetCpuUsageMethod(m);
    if (replace) FOld = SetSystemInformationQuery(q), FReplaced = true;
  }
  ~MethodScope() {
    SetCpuUsageMethod(TCpuUsageMethod::Auto);
    if (FReplaced) SetSystemInformationQuery(FOld);
    SetPerfStatsRoot(HKEY_DYN_DATA);
    SetSampleClock(nullptr);
    SetExceptionSink(nullptr);
  }

 private:
  TQuerySystemInformation FOld = nullptr;
  bool FReplaced = false;
};

void SetBinary(HKEY root, const char* path, const void* data, DWORD size, DWORD type = REG_BINARY) {
  HKEY k;
  ASSERT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), 0);
  RegSetValueExA(k, "KERNEL\\CPUUsage", 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(k);
}
void SetLoad(HKEY root, uint32_t v) { SetBinary(root, "PerfStats\\StatData", &v, 4); }
}  // namespace

TEST(ProbesCpuUsage, NtMethodOnThisSystemGivesSaneLoads) {
  if (!IsNT()) GTEST_SKIP() << "the NT query is resolved only on the NT family";
  MethodScope scope(TCpuUsageMethod::NT);
  TKCPUUsage cpu(nullptr);
  ASSERT_TRUE(cpu.Ready());
  SYSTEM_INFO si;
  GetSystemInfo(&si);
  EXPECT_EQ(SampledProcessors(), si.dwNumberOfProcessors);
  EXPECT_FALSE(cpu.Active());
  EXPECT_EQ(cpu.Interval(), 1000u);
  Collector c;
  cpu.OnInterval = c.Handler();
  cpu.SetInterval(200);
  cpu.SetActive(true);
  EXPECT_TRUE(cpu.Active());
  ASSERT_TRUE(PumpUntil([&] { return c.Values.size() >= 4; }, 5000));
  // The first tick is measured from activation: no huge negative value. Late ticks may dip
  // below 0 (the load is not clamped), but only by the lateness.
  for (int32_t v : c.Values) {
    EXPECT_GE(v, -1000) << "load " << v;
    EXPECT_LE(v, 101) << "load " << v;
  }
  cpu.SetActive(false);
  const size_t n = c.Values.size();
  PumpUntil([] { return false; }, 400);
  EXPECT_EQ(c.Values.size(), n);
}

TEST(ProbesCpuUsage, NtMethodMeasuresEveryProcessorAndTheCurrentInterval) {
  MethodScope scope(TCpuUsageMethod::NT, FakeQuery, true);
  gFailWith = 0;
  gCpus = 2;
  // start, prime at activation, then one reading per tick; 300 ms are 3,000,000 units a processor
  gIdles = {{0, 0}, {0, 0},
            {3000000, 0},                   // one idle, one busy: 50
            {3000000, 0},                   // both busy: 100
            {6000000, 3000000},             // both idle: 0
            {6000000, 3000000},             // (the interval is now 1000 ms)
            {16000000, 8000000},            // 15,000,000 of 20,000,000 idle: 25
            {16000000, 8000000}};
  gIdleIndex = 0;
  gTimes = {0, 300, 600, 900, 1200, 2200, 3200};  // every tick on time
  gTimeIndex = 0;
  SetSampleClock(FakeClock);
  Collector c;
  {
    TKCPUUsage cpu(nullptr);
    ASSERT_TRUE(cpu.Ready());
    EXPECT_EQ(gLastLength, 2 * kRecord);
    EXPECT_EQ(SampledProcessors(), 2u);
    cpu.OnInterval = c.Handler();
    cpu.SetInterval(300);
    cpu.SetActive(true);
    ASSERT_TRUE(PumpUntil([&] { return c.Values.size() >= 3; }, 5000));
    cpu.SetInterval(1000);  // takes effect in the formula at the next tick
    ASSERT_TRUE(PumpUntil([&] { return c.Values.size() >= 5; }, 5000));
    // A failing query leaves the buffer: an unchanged idle time reads as 100.
    gFailWith = static_cast<LONG>(0xC0000001);
    ASSERT_TRUE(PumpUntil([&] { return c.Values.size() >= 6; }, 5000));
    gFailWith = 0;
  }
  EXPECT_EQ(c.Values, (std::vector<int32_t>{50, 100, 0, 100, 25, 100}));
}

TEST(ProbesCpuUsage, NtMethodGrowsToEightProcessorsOrKeepsTheOneThatAnswers) {
  MethodScope scope(TCpuUsageMethod::NT, FakeQuery, true);
  gFailWith = 0;
  gTimes = {0, 300, 600, 900, 1200};
  SetSampleClock(FakeClock);
  struct Case {
    unsigned cpus;
    std::vector<std::vector<int64_t>> idles;
    std::vector<int32_t> loads;
  } cases[] = {
      // Eight processors, one busy (12.5 goes to the even 12), all busy, half of them busy.
      {8,
       {std::vector<int64_t>(8, 0), std::vector<int64_t>(8, 0),
        {0, 3000000, 3000000, 3000000, 3000000, 3000000, 3000000, 3000000},
        {0, 3000000, 3000000, 3000000, 3000000, 3000000, 3000000, 3000000},
        {3000000, 6000000, 6000000, 6000000, 3000000, 3000000, 3000000, 3000000}},
       {12, 100, 50}},
      // A system of one processor that fills one record of a larger buffer and says so.
      {1, {{0}, {0}, {1500000}, {4500000}, {4500000}}, {50, 0, 100}},
  };
  for (const Case& k : cases) {
    gCpus = k.cpus;
    gIdles = k.idles;
    gIdleIndex = 0;
    gTimeIndex = 0;
    Collector c;
    {
      TKCPUUsage cpu(nullptr);
      ASSERT_TRUE(cpu.Ready());
      EXPECT_EQ(SampledProcessors(), k.cpus);
      EXPECT_GE(gLastLength, k.cpus * kRecord);
      cpu.OnInterval = c.Handler();
      cpu.SetInterval(300);
      cpu.SetActive(true);
      ASSERT_TRUE(PumpUntil([&] { return c.Values.size() >= 3; }, 5000));
    }
    EXPECT_EQ(std::vector<int32_t>(c.Values.begin(), c.Values.begin() + 3), k.loads) << k.cpus;
  }
  gCpus = 2;
}

TEST(ProbesCpuUsage, NtMethodMeasuresALateTickOverTheTimeThatPassed) {
  MethodScope scope(TCpuUsageMethod::NT, FakeQuery, true);
  gFailWith = 0;
  // Interval 30 ms. A tick ten periods late over an idle processor (by the nominal period it
  // would read -900), then one on time and one early, both at half load.
  gCpus = 2;
  gIdles = Alike({0, 0, 3000000, 3150000, 3300000});
  gIdleIndex = 0;
  gTimes = {0, 300, 330, 350};
  gTimeIndex = 0;
  SetSampleClock(FakeClock);
  Collector c;
  {
    TKCPUUsage cpu(nullptr);
    cpu.OnInterval = c.Handler();
    cpu.SetInterval(30);
    cpu.SetActive(true);
    ASSERT_TRUE(PumpUntil([&] { return c.Values.size() >= 3; }, 5000));
  }
  EXPECT_EQ(std::vector<int32_t>(c.Values.begin(), c.Values.begin() + 3), (std::vector<int32_t>{0, 50, 50}));
}

TEST(ProbesCpuUsage, NtStartFailuresLeaveItStopped) {
  // A failing query, no entry point, and a query that always wants more (no endless growth).
  gFailWith = static_cast<LONG>(0xC0000001);
  for (TQuerySystemInformation q : {&FakeQuery, (TQuerySystemInformation) nullptr, &AlwaysTooSmall}) {
    MethodScope scope(TCpuUsageMethod::NT, q, true);
    TKCPUUsage cpu(nullptr);
    EXPECT_FALSE(cpu.Ready());
    cpu.SetActive(true);
    EXPECT_FALSE(cpu.Active());
  }
  gFailWith = 0;
}

// The 9x statistics, read under a scratch key that stands in for HKEY_DYN_DATA.
class ProbesCpuUsage9x : public ::testing::Test {
 protected:
  static void Wipe() {
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    reg.DeleteKey(kScratch);
  }
  void SetUp() override {
    Wipe();
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &FRoot, nullptr), 0);
    SetPerfStatsRoot(FRoot);
  }
  void TearDown() override {
    RegCloseKey(FRoot);
    Wipe();
  }
  static constexpr const char* kScratch = "Software\\VelmoraTests\\DynData";
  HKEY FRoot = nullptr;
};

TEST_F(ProbesCpuUsage9x, StartErrorsLeaveTheConstructor) {
  MethodScope scope(TCpuUsageMethod::Win9x);
  SetPerfStatsRoot(FRoot);
  TComponent owner(nullptr);
  uint32_t v = 1;
  for (const char* want : {"Unable to start performance monitoring", "Unable to read performance data"}) {
    try {
      TKCPUUsage cpu(&owner);
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), want);
    }
    EXPECT_EQ(owner.ComponentCount(), 0);
    SetBinary(FRoot, "PerfStats\\StartStat", &v, 4);
  }
}

TEST_F(ProbesCpuUsage9x, ReportsTheSystemValueUnchanged) {
  MethodScope scope(TCpuUsageMethod::Win9x);
  SetPerfStatsRoot(FRoot);
  uint32_t v = 1;
  SetBinary(FRoot, "PerfStats\\StartStat", &v, 4);
  SetLoad(FRoot, 0);
  // Collection start and stop read the statistic; a start value of the wrong type is harmless.
  SetBinary(FRoot, "PerfStats\\StartStat", "x", 2, REG_SZ);
  std::vector<std::string> errors;
  SetExceptionSink([&](TObject*, const std::exception& e) { errors.push_back(e.what()); });
  Collector c;
  {
    TKCPUUsage cpu(nullptr);
    ASSERT_TRUE(cpu.Ready());
    cpu.OnInterval = c.Handler();
    cpu.SetInterval(50);
    cpu.SetActive(true);
    for (uint32_t load : {0u, 37u, 250u}) {
      SetLoad(FRoot, load);
      const size_t want = c.Values.size() + 1;
      ASSERT_TRUE(PumpUntil([&] { return c.Values.size() >= want; }, 3000));
      PumpUntil([] { return false; }, 60);
      EXPECT_EQ(c.Values.back(), static_cast<int32_t>(load));
    }
    // A value of the wrong type, or too long, fails the tick; the timer keeps running.
    SetBinary(FRoot, "PerfStats\\StatData", &v, 4, REG_DWORD);
    ASSERT_TRUE(PumpUntil([&] { return errors.size() >= 1; }, 3000));
    const uint64_t big = 5;
    SetBinary(FRoot, "PerfStats\\StatData", &big, 8);
    ASSERT_TRUE(PumpUntil([&] { return errors.size() >= 3; }, 3000));
    SetLoad(FRoot, 12);
    c.Values.clear();
    ASSERT_TRUE(PumpUntil([&] { return !c.Values.empty(); }, 3000));
    EXPECT_EQ(c.Values.back(), 12);
    EXPECT_TRUE(cpu.Active());
  }  // stops collection with StopStat missing: ignored
  ASSERT_GE(errors.size(), 3u);
  EXPECT_EQ(errors[0], "Invalid data type for 'KERNEL\\CPUUsage'");
  EXPECT_EQ(errors.back(), "Invalid data type for 'KERNEL\\CPUUsage'");
}

TEST_F(ProbesCpuUsage9x, ActiveStoredWhileLoadingAppliesAtLoaded) {
  MethodScope scope(TCpuUsageMethod::Win9x);
  SetPerfStatsRoot(FRoot);
  uint32_t v = 1;
  SetBinary(FRoot, "PerfStats\\StartStat", &v, 4);
  SetBinary(FRoot, "PerfStats\\StopStat", &v, 4);
  SetLoad(FRoot, 42);
  Collector c;
  TKCPUUsage cpu(nullptr);
  cpu.BeginLoading();
  cpu.OnInterval = c.Handler();
  cpu.SetInterval(50);
  cpu.SetActive(true);
  PumpUntil([] { return false; }, 200);
  EXPECT_TRUE(c.Values.empty());
  cpu.Loaded();
  ASSERT_TRUE(PumpUntil([&] { return !c.Values.empty(); }, 3000));
  EXPECT_EQ(c.Values[0], 42);
}

// The real HKEY_DYN_DATA statistics in 9x modes, the NT query elsewhere: either way the
// sampler starts and reports.
TEST(ProbesPerVersion, SamplerStartsInEveryMode) {
  OSVERSIONINFOA vi{};
  vi.dwOSVersionInfoSize = sizeof vi;
  ASSERT_TRUE(GetVersionExA(&vi));
  InitProbes();
  ASSERT_EQ(IsNT(), vi.dwPlatformId == VER_PLATFORM_WIN32_NT);
  const bool nineX = !IsNT();
  if (nineX) {  // Wine lets a program create the statistics keys there
    uint32_t v = 1;
    SetBinary(HKEY_DYN_DATA, "PerfStats\\StartStat", &v, 4);
    SetBinary(HKEY_DYN_DATA, "PerfStats\\StopStat", &v, 4);
    SetLoad(HKEY_DYN_DATA, 77);
  }
  Collector c;
  {
    TKCPUUsage cpu(nullptr);
    ASSERT_TRUE(cpu.Ready());
    cpu.OnInterval = c.Handler();
    cpu.SetInterval(100);
    cpu.SetActive(true);
    ASSERT_TRUE(PumpUntil([&] { return c.Values.size() >= 2; }, 5000));
  }
  if (nineX) {
    EXPECT_EQ(c.Values[0], 77);
    RegDeleteKeyA(HKEY_DYN_DATA, "PerfStats\\StartStat");
    RegDeleteKeyA(HKEY_DYN_DATA, "PerfStats\\StopStat");
    HKEY k;
    if (RegOpenKeyExA(HKEY_DYN_DATA, "PerfStats\\StatData", 0, KEY_ALL_ACCESS, &k) == 0) {
      RegDeleteValueA(k, "KERNEL\\CPUUsage");
      RegCloseKey(k);
    }
  } else {
    for (int32_t v : c.Values) EXPECT_TRUE(v >= -1000 && v <= 101) << v;
  }
}

TEST(ProbesPerVersion, KindMatchesTheMode) {
  OSVERSIONINFOA vi{};
  vi.dwOSVersionInfoSize = sizeof vi;
  ASSERT_TRUE(GetVersionExA(&vi));
  const unsigned ver = vi.dwMajorVersion * 100 + vi.dwMinorVersion;
  if (vi.dwPlatformId != VER_PLATFORM_WIN32_NT) {
    EXPECT_FALSE(IsNT());
    if (ver == 410) {
      EXPECT_TRUE(OSKind() == osWin98 || OSKind() == osWin98SE) << OSKind();
      EXPECT_EQ(OSName(), "Windows 98");
    }
    EXPECT_EQ(ClassKey(), "SYSTEM\\CurrentControlSet\\Services\\Class");
  } else {
    EXPECT_TRUE(IsNT());
    EXPECT_EQ(ClassKey(), "SYSTEM\\CurrentControlSet\\Control\\Class");
    // Named by the kernel's reading: Windows 10 tells programs without a manifest it is 6.2.
    OSVERSIONINFOEXW k{};
    k.dwOSVersionInfoSize = sizeof k;
    using Fn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    auto get = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
    ASSERT_TRUE(get && get(&k) == 0);
    const unsigned kv = k.dwMajorVersion * 100 + k.dwMinorVersion;
    const TOSKind want = kv == 400 ? osWinNT4 : kv == 500 ? osWin2000 : kv == 501 ? osWinXP
                         : kv == 600 ? osWinVista : kv == 601 ? osWin7 : kv == 602 ? osWin8
                         : kv == 603 ? osWin81 : kv == 1000 ? (k.dwBuildNumber >= 22000 ? osWin11 : osWin10)
                         : OSKind();
    EXPECT_EQ(OSKind(), want) << kv;
    TOSClass named;
    named.Kind = want, named.Build = k.dwBuildNumber, named.Server = k.wProductType != 1;
    EXPECT_EQ(OSName(), OSDisplayName(named));  // Wine's win7 mode is a server
  }
  char buf[256];
  DWORD size = sizeof buf;
  ASSERT_TRUE(GetUserNameA(buf, &size));
  EXPECT_EQ(UserName(), buf);
  EXPECT_FALSE(ComputerName().empty());
}
