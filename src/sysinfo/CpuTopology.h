// Packages, cores and threads: what the topology leaves of one logical processor say, what
// a visit to every logical processor finds (APIC IDs and, on hybrid chips, each core's type),
// and the system's own count, put together.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "sysinfo/CpuProbe.h"

// The leaves of the processor that answered, for the vendor that made it.
struct TCpuLeafTopology {
  int ThreadsPerCore = 1, CoresPerPackage = 1, ThreadsPerPackage = 1;
  // APIC ID bits below the core and below the package.
  int SmtShift = 0, PackageShift = 0;
  // The leaf whose EDX holds the 32-bit x2APIC ID (0x1F or 0xB); 0: leaf 1's 8-bit ID.
  uint32_t ApicLeaf = 0;
  bool Hybrid = false;    // leaf 7 EDX bit 15
  bool HasCoreType = false;  // leaf 0x1A is there to ask
  int CoreType = 0;       // leaf 0x1A EAX bits 24-31 of the processor that answered
};

// What identification already read, which the topology rules need.
struct TCpuTopologyInput {
  bool AmdRules = false;  // AMD and Hygon count through 0x80000008 and 0x8000001E
  int Family = 0;         // effective
  uint32_t MaxLeaf = 0, MaxExtLeaf = 0;
  TCpuidRegs Leaf1, Leaf7, Ext1;
};
// Asks only leaves inside the ranges MaxLeaf and MaxExtLeaf announce.
TCpuLeafTopology ReadLeafTopology(TCpuProbe& p, const TCpuTopologyInput& in);

constexpr int kCoreTypeEfficient = 0x20;   // leaf 0x1A: an Atom core
constexpr int kCoreTypePerformance = 0x40;  // a Core core

struct TCpuProcessor {
  uint32_t ApicId = 0;
  int CoreType = 0;
};

// Counts per package; the performance and efficient cores are 0 and 0 unless the chip is
// hybrid and every processor could be asked.
struct TCpuTopology {
  int Packages = 1, Cores = 1, Threads = 1;
  int PerformanceCores = 0, EfficientCores = 0;
  bool Hybrid = false;
};

// The figures from the leaves, the processors visited (null when none could be) and the
// system's count (null when it has none). The system's count of packages comes first, then the
// packages the APIC IDs tell apart, then the processor count divided by the leaves' threads
// per package; cores and threads come from the visit where it reached every processor the
// system has, else from the leaves.
TCpuTopology ResolveCpuTopology(const TCpuLeafTopology& leaves, int systemCount,
                                const std::vector<TCpuProcessor>* visited,
                                const TProcessorCount* system);

// Visits every processor through the probe (APIC ID, core type) and asks its system count,
// then resolves. systemCount is the number of processors the system runs.
TCpuTopology GatherCpuTopology(TCpuProbe& p, const TCpuLeafTopology& leaves, int systemCount);

// The CPU page's line: "Cores: 8  Threads: 16", the split of a hybrid chip in brackets, and
// the packages in front where there are several (the counts then are each one's).
std::string CpuCoresText(const TCpuTopology& t);
