// What the processor identification asks of the machine: the CPUID instruction, XGETBV, the
// counters of the clock measurement, and, where the system allows, a visit to each logical
// processor and the system's own count of them. The system's probe lives in KSI_CPU.cpp; tests
// play recorded or invented processors through the same interface.
#pragma once
#include <cstdint>
#include <functional>

struct TCpuidRegs {
  uint32_t Eax = 0, Ebx = 0, Ecx = 0, Edx = 0;
};

// Packages, cores and logical processors as the operating system counts them.
struct TProcessorCount {
  int Packages = 0, Cores = 0, Logical = 0;
};

class TCpuProbe {
 public:
  virtual ~TCpuProbe() = default;
  // The ID flag of EFLAGS can be toggled, so CPUID exists.
  virtual bool HasCpuid() = 0;
  // CPUID with EAX = leaf and ECX = subleaf; leaves without subleaves ignore the latter.
  virtual TCpuidRegs Cpuid(uint32_t leaf, uint32_t subleaf) = 0;
  // Ticks per second of the high-resolution counter; false when there is none.
  virtual bool CounterFrequency(int64_t& perSecond) = 0;
  virtual int64_t Counter() = 0;
  // RDTSC. Called only when the processor reports a time-stamp counter.
  virtual uint64_t TimeStamp() = 0;
  // Raises the calling thread to time-critical priority. False when the priority cannot be
  // read: then nothing was changed and nothing is restored.
  virtual bool RaisePriority(int& saved) = 0;
  virtual void RestorePriority(int saved) = 0;
  // XGETBV: the state components the system has turned on (XCR0 for index 0). Called only
  // when leaf 1 says the system has enabled XSAVE (OSXSAVE); elsewhere it is an illegal
  // instruction. A probe that cannot tell answers that nothing is on.
  virtual uint64_t XGetBv(uint32_t /*index*/) { return 0; }
  // Runs visit once on every logical processor the process may run on, the calling thread
  // pinned to each in turn and put back where it was afterwards. False when the system cannot
  // pin threads; then nothing was visited.
  virtual bool EachProcessor(const std::function<void()>& /*visit*/) { return false; }
  // The system's own count; false where the system has no such query.
  virtual bool SystemProcessors(TProcessorCount& /*count*/) { return false; }
};
