// The processor gathered from the running system: CPUID only after the ID flag says it exists,
// RDTSC only on a processor with a time-stamp counter, the clock against the high-resolution
// counter.
#include "sysinfo/KSI_CPU.h"
#include <windows.h>
#include <cpuid.h>
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
};

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
