// The processor gathered from the running system: CPUID only after the ID flag says it exists,
// RDTSC only on a processor with a time-stamp counter, the clock against the high-resolution
// counter.
#include "sysinfo/KSI_CPU.h"
#include <windows.h>
#include <cpuid.h>
#include <vector>
#include "sysinfo/SysInfoWin.h"

namespace {
class TSystemCpuProbe : public TCpuProbe {
 public:
  bool HasCpuid() override {
    // A processor with CPUID lets a program flip the ID flag (bit 21) of EFLAGS.
    uint32_t before, after;
    asm volatile(
        "pushfl\n\t"
        "popl %0\n\t"
        "movl %0, %1\n\t"
        "xorl $0x200000, %1\n\t"
        "pushl %1\n\t"
        "popfl\n\t"
        "pushfl\n\t"
        "popl %1\n\t"
        "pushl %0\n\t"
        "popfl"
        : "=&r"(before), "=&r"(after)
        :
        : "cc");
    return ((before ^ after) & 0x200000u) != 0;
  }
  TCpuidRegs Cpuid(uint32_t leaf, uint32_t subleaf) override {
    TCpuidRegs r;
    __cpuid_count(leaf, subleaf, r.Eax, r.Ebx, r.Ecx, r.Edx);
    return r;
  }
  bool CounterFrequency(int64_t& perSecond) override {
    LARGE_INTEGER f;
    if (!QueryPerformanceFrequency(&f)) return false;
    perSecond = f.QuadPart;
    return perSecond > 0;
  }
  int64_t Counter() override {
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return c.QuadPart;
  }
  uint64_t TimeStamp() override { return __builtin_ia32_rdtsc(); }
  bool RaisePriority(int& saved) override {
    saved = GetThreadPriority(GetCurrentThread());
    if (saved == THREAD_PRIORITY_ERROR_RETURN) return false;
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    return true;
  }
  void RestorePriority(int saved) override { SetThreadPriority(GetCurrentThread(), saved); }
  uint64_t XGetBv(uint32_t index) override {
    uint32_t low, high;
    // The opcode, for assemblers that do not know the instruction.
    asm volatile(".byte 0x0f, 0x01, 0xd0" : "=a"(low), "=d"(high) : "c"(index));
    return static_cast<uint64_t>(high) << 32 | low;
  }
  bool EachProcessor(const std::function<void()>& visit) override;
  bool SystemProcessors(TProcessorCount& count) override;
};

HMODULE Kernel() { return GetModuleHandleA("kernel32.dll"); }

// The processors the process may run on: its affinity where the system says it (NT), else
// every processor there is. A 32-bit mask reaches 32 of them.
DWORD_PTR RunnableProcessors() {
  using GetMask = BOOL(WINAPI*)(HANDLE, PDWORD_PTR, PDWORD_PTR);
  static const auto get = reinterpret_cast<GetMask>(GetProcAddress(Kernel(), "GetProcessAffinityMask"));
  DWORD_PTR process = 0, system = 0;
  if (get && get(GetCurrentProcess(), &process, &system) && process) return process;
  SYSTEM_INFO si;
  ZeroMemory(&si, sizeof si);
  GetSystemInfo(&si);
  return si.dwActiveProcessorMask;
}

bool TSystemCpuProbe::EachProcessor(const std::function<void()>& visit) {
  const auto pin = SysApi().SetThreadAffinityMask;
  if (!pin) return false;
  const DWORD_PTR runnable = RunnableProcessors();
  HANDLE self = GetCurrentThread();
  // Where the thread was allowed to run before the first pin; put back however the visit ends.
  struct TRestore {
    decltype(pin) Pin;
    HANDLE Thread;
    DWORD_PTR Mask = 0;
    ~TRestore() {
      if (Mask) Pin(Thread, Mask);
    }
  } restore{pin, self};
  for (unsigned i = 0; i < 8 * sizeof(DWORD_PTR); ++i) {
    const DWORD_PTR one = static_cast<DWORD_PTR>(1) << i;
    if (!(runnable & one)) continue;
    // The call returns on the processor it names: a thread pinned elsewhere is moved first.
    const DWORD_PTR before = pin(self, one);
    if (!before) return false;
    if (!restore.Mask) restore.Mask = before;
    visit();
  }
  return restore.Mask != 0;
}

bool TSystemCpuProbe::SystemProcessors(TProcessorCount& count) {
  using GetInfo = BOOL(WINAPI*)(PSYSTEM_LOGICAL_PROCESSOR_INFORMATION, PDWORD);
  static const auto get = reinterpret_cast<GetInfo>(GetProcAddress(Kernel(), "GetLogicalProcessorInformation"));
  if (!get) return false;
  DWORD bytes = 0;
  if (get(nullptr, &bytes) || GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return false;
  std::vector<SYSTEM_LOGICAL_PROCESSOR_INFORMATION> info(bytes / sizeof info[0] + 1);
  bytes = static_cast<DWORD>(info.size() * sizeof info[0]);
  if (!get(info.data(), &bytes)) return false;
  TProcessorCount n;
  for (size_t i = 0; i < bytes / sizeof info[0]; ++i) {
    if (info[i].Relationship == RelationProcessorPackage) ++n.Packages;
    if (info[i].Relationship != RelationProcessorCore) continue;
    ++n.Cores;
    for (ULONG_PTR m = info[i].ProcessorMask; m; m &= m - 1) ++n.Logical;
  }
  count = n;
  return n.Logical > 0;
}

TSystemCpuProbe gSystemProbe;
TCpuProbe* gProbe = &gSystemProbe;

// Time stamps of two processors need not agree: the measurement stays on one.
class TOneProcessor {
 public:
  TOneProcessor() {
    if (auto pin = SysApi().SetThreadAffinityMask) FPrevious = pin(GetCurrentThread(), 1);
  }
  ~TOneProcessor() {
    if (FPrevious) SysApi().SetThreadAffinityMask(GetCurrentThread(), FPrevious);
  }
  TOneProcessor(const TOneProcessor&) = delete;
  TOneProcessor& operator=(const TOneProcessor&) = delete;

 private:
  DWORD_PTR FPrevious = 0;
};
}  // namespace

TCpuProbe& CpuProbe() { return *gProbe; }

void SetCpuProbe(TCpuProbe* probe) { gProbe = probe ? probe : &gSystemProbe; }

void TCPU::GetInfo() {
  GatherGuarded("TCPU.GetInfo", [this] {
    SYSTEM_INFO si;
    ZeroMemory(&si, sizeof si);
    GetSystemInfo(&si);
    TOneProcessor pin;
    Gather(CpuProbe(), static_cast<int>(si.dwNumberOfProcessors));
  });
}
