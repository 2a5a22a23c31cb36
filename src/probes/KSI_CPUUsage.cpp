#include "probes/KSI_CPUUsage.h"
#include <cstring>
#include <memory>
#include <vector>
#include "framework/Exception.h"
#include "framework/Registry.h"
#include "framework/Timer.h"
#include "probes/CpuLoad.h"
#include "probes/CpuUsageSeams.h"
#include "probes/Kestrix_Routines.h"

namespace {
const char kStatValue[] = "KERNEL\\CPUUsage";
const ULONG kProcessorPerformanceClass = 8;
// More records than any machine this runs on has processors: a query that still wants more
// is broken, and the start gives up instead of growing for ever.
const uint32_t kMaxRecords = 4096;

// Process-wide reading state: one sampler per process.
TCpuUsageMethod gMethod = TCpuUsageMethod::Auto;
TQuerySystemInformation gQuery = nullptr;
HKEY gStatsRoot = HKEY_DYN_DATA;
std::unique_ptr<TRegistry> gStats;  // 9x: PerfStats\StatData held open between start and stop
uint32_t gStatBuffer = 0;
std::vector<unsigned char> gQueryBuffer;  // NT
ULONG gQueryLength = 0;
unsigned gProcessors = 1;  // NT: records the query fills, one per processor
TSampleClock gClock = nullptr;

// Milliseconds from the performance counter where there is one (the tick count moves in steps
// of 10 to 55 ms), else from the tick count.
uint32_t SystemMilliseconds() {
  static const int64_t frequency = [] {
    LARGE_INTEGER f;
    return QueryPerformanceFrequency(&f) ? f.QuadPart : 0;
  }();
  LARGE_INTEGER c;
  if (frequency > 0 && QueryPerformanceCounter(&c))
    return static_cast<uint32_t>(c.QuadPart / frequency * 1000 + c.QuadPart % frequency * 1000 / frequency);
  return GetTickCount();
}

uint32_t SampleTime() { return gClock ? gClock() : SystemMilliseconds(); }

bool UseNT() {
  if (gMethod == TCpuUsageMethod::Auto) return IsNT();
  return gMethod == TCpuUsageMethod::NT;
}

// Reading the statistic under StartStat / StopStat is what switches collection on and off;
// the data is not used, so a value that cannot be read changes nothing.
void TouchStatistic(TRegistry& reg) {
  try {
    int size = reg.GetDataSize(kStatValue);
    if (size > 4) size = 4;
    if (size > 0) reg.ReadBinaryData(kStatValue, &gStatBuffer, 4);
  } catch (const Exception&) {
  }
}

bool Start9x() {
  gStats = std::make_unique<TRegistry>();
  gStats->SetRootKey(gStatsRoot);
  if (!gStats->OpenKey("PerfStats\\StartStat", false)) {
    gStats.reset();
    throw Exception("Unable to start performance monitoring");
  }
  TouchStatistic(*gStats);
  gStats->CloseKey();
  if (!gStats->OpenKey("PerfStats\\StatData", false)) {
    gStats.reset();
    throw Exception("Unable to read performance data");
  }
  return gStats->CurrentPath() == "PerfStats\\StatData";
}

void Stop9x() {
  if (!gStats) return;
  try {
    gStats->CloseKey();
    if (gStats->OpenKey("PerfStats\\StopStat", false)) {
      TouchStatistic(*gStats);
      gStats->CloseKey();
    }
  } catch (const Exception&) {
  }
  gStats.reset();
}

uint32_t Read9x() {
  if (!gStats) return gStatBuffer;
  gStatBuffer = 0;
  gStats->ReadBinaryData(kStatValue, &gStatBuffer, 4);  // throws on a wrong type or size
  return gStatBuffer;
}

// Processors the system says it has; the query may still want more records than that.
uint32_t SystemProcessorCount() {
  SYSTEM_INFO si;
  ZeroMemory(&si, sizeof si);
  GetSystemInfo(&si);
  return si.dwNumberOfProcessors >= 1 && si.dwNumberOfProcessors <= kMaxRecords
             ? si.dwNumberOfProcessors
             : 1;
}

bool StartNT() {
  gQueryBuffer.clear();
  gQueryLength = 0;
  gProcessors = 1;
  if (!gQuery) return false;
  uint32_t records = SystemProcessorCount();
  LONG status;
  ULONG returned = 0;
  for (;;) {
    gQueryBuffer.assign(records * kProcessorRecordSize, 0);
    gQueryLength = static_cast<ULONG>(gQueryBuffer.size());
    returned = 0;
    status = gQuery(kProcessorPerformanceClass, gQueryBuffer.data(), gQueryLength, &returned);
    if (static_cast<uint32_t>(status) != kStatusInfoLengthMismatch || records >= kMaxRecords)
      break;
    ++records;
  }
  if (status != 0) {
    gQueryBuffer.clear();
    gQueryLength = 0;
    return false;
  }
  // Some systems fill fewer records than the buffer holds and say so; the others fill them all.
  gProcessors = records;
  if (returned >= kProcessorRecordSize && returned < gQueryLength &&
      returned % kProcessorRecordSize == 0)
    gProcessors = returned / kProcessorRecordSize;
  return true;
}

// The idle time of all processors, summed.
int64_t ReadIdleNT() {
  if (gQuery && gQueryLength >= kProcessorRecordSize)
    gQuery(kProcessorPerformanceClass, gQueryBuffer.data(), gQueryLength, nullptr);
  int64_t idle = 0;
  for (unsigned i = 0; i < gProcessors; ++i) {
    const size_t at = static_cast<size_t>(i) * kProcessorRecordSize;
    if (at + sizeof(int64_t) > gQueryBuffer.size()) break;
    int64_t one;
    std::memcpy(&one, gQueryBuffer.data() + at, sizeof one);
    idle += one;
  }
  return idle;
}


void StopNT() {
  gQueryBuffer.clear();
  gQueryBuffer.shrink_to_fit();
  gQueryLength = 0;
}
}  // namespace

void InitProbes() {
  static const bool done = [] {
    InitOSKind();
    if (IsNT()) {
      HMODULE ntdll = GetModuleHandleA("NTDLL.DLL");
      if (ntdll)
        gQuery = reinterpret_cast<TQuerySystemInformation>(
            GetProcAddress(ntdll, "ZwQuerySystemInformation"));
    }
    return true;
  }();
  (void)done;
}

void SetCpuUsageMethod(TCpuUsageMethod method) { gMethod = method; }

TQuerySystemInformation SetSystemInformationQuery(TQuerySystemInformation query) {
  InitProbes();  // so that a later start-up does not replace the test's query
  TQuerySystemInformation old = gQuery;
  gQuery = query;
  return old;
}

void SetPerfStatsRoot(HKEY root) { gStatsRoot = root; }

unsigned SampledProcessors() { return gProcessors; }

TSampleClock SetSampleClock(TSampleClock clock) {
  TSampleClock old = gClock;
  gClock = clock;
  return old;
}

VELMORA_CLASS_INFO(TKCPUUsage) {
  b.Bool("Active", &TKCPUUsage::Active, &TKCPUUsage::SetActive);
  b.Int("Interval", &TKCPUUsage::Interval, &TKCPUUsage::SetInterval);
  b.Event("OnInterval", &TKCPUUsage::OnInterval);
  b.Creatable();
}

void RegisterProbeClasses() { RegisterComponentClass(TKCPUUsage::StaticClassInfo()); }

TKCPUUsage::TKCPUUsage(TComponent* AOwner) : TComponent(AOwner) {
  InitProbes();
  FTimer = new TTimer(this);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(1000);
  // If the 9x start raises, the owned timer goes with the base class; no stop sequence runs.
  FUseNT = UseNT();
  FReady = FUseNT ? StartNT() : Start9x();
  if (FReady) FTimer->SetOnTimer([this](TObject*) { Tick(); });
}

TKCPUUsage::~TKCPUUsage() {
  delete FTimer;
  FTimer = nullptr;
  if (FReady) {
    if (FUseNT)
      StopNT();
    else
      Stop9x();
  }
}

bool TKCPUUsage::Active() const { return FActive; }

void TKCPUUsage::SetActive(bool value) {
  const bool run = value && FReady;
  if (run == FActive) return;
  FActive = run;
  if (!Loading()) ApplyActive();
}

void TKCPUUsage::Loaded() {
  inherited::Loaded();
  ApplyActive();
}

void TKCPUUsage::ApplyActive() {
  if (FActive == FTimer->Enabled()) return;
  // The first tick measures from the moment of activation, not from an idle time of 0 (which
  // would report a huge negative load).
  if (FActive && FUseNT) {
    FCurrentIdle = ReadIdleNT();
    FSampledAt = SampleTime();
  }
  FTimer->SetEnabled(FActive);
}

unsigned TKCPUUsage::Interval() const { return FTimer->Interval(); }

void TKCPUUsage::SetInterval(unsigned value) {
  if (value == FTimer->Interval()) return;
  FTimer->SetInterval(value);
}

void TKCPUUsage::Tick() {
  uint32_t value;
  if (FUseNT) {
    FPreviousIdle = FCurrentIdle;
    FCurrentIdle = ReadIdleNT();
    const uint32_t now = SampleTime();
    const uint32_t elapsed = now - FSampledAt;
    FSampledAt = now;
    value = NtLoadPercent(FPreviousIdle, FCurrentIdle, NtSamplePeriod(FTimer->Interval(), elapsed),
                          gProcessors);
  } else {
    value = Read9x();
  }
  if (OnInterval) OnInterval(this, value);
}
