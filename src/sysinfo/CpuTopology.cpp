#include "sysinfo/CpuTopology.h"
#include <algorithm>
#include <set>

namespace {
bool Bit(uint32_t v, int bit) { return (v >> bit) & 1u; }

// Bits needed to number n things: 0 for one, 1 for two, 2 for three or four...
int CeilLog2(int n) {
  int k = 0;
  while (k < 31 && (1 << k) < n) ++k;
  return k;
}

uint32_t Shr(uint32_t v, int shift) { return shift >= 32 ? 0 : v >> shift; }

int CeilDiv(int a, int b) { return b <= 0 ? a : (a + b - 1) / b; }

// Intel's extended topology leaf (0x1F, or 0xB before it): one subleaf per level, the SMT
// level first, the last level counting the logical processors of the package.
bool ReadExtendedTopology(TCpuProbe& p, uint32_t leaf, uint32_t maxLeaf, TCpuLeafTopology& t) {
  if (maxLeaf < leaf) return false;
  int smtCount = 0, smtShift = 0, lastCount = 0, lastShift = 0;
  for (uint32_t sub = 0; sub < 8; ++sub) {
    const TCpuidRegs r = p.Cpuid(leaf, sub);
    const uint32_t type = (r.Ecx >> 8) & 0xFF;
    const int count = static_cast<int>(r.Ebx & 0xFFFF);
    if (type == 0 || count == 0) break;
    const int shift = static_cast<int>(r.Eax & 0x1F);
    if (type == 1) smtCount = count, smtShift = shift;
    lastCount = count, lastShift = shift;
  }
  if (lastCount == 0) return false;
  t.ThreadsPerCore = smtCount > 0 ? smtCount : 1;
  t.SmtShift = smtShift;
  t.ThreadsPerPackage = lastCount;
  t.PackageShift = lastShift;
  t.CoresPerPackage = std::max(1, lastCount / t.ThreadsPerCore);
  t.ApicLeaf = leaf;
  return true;
}

// The leaf-0xB x2APIC ID where the leaf is there and valid.
uint32_t X2ApicLeaf(TCpuProbe& p, uint32_t maxLeaf) {
  if (maxLeaf < 0xB) return 0;
  const TCpuidRegs r = p.Cpuid(0xB, 0);
  return ((r.Ecx >> 8) & 0xFF) != 0 && (r.Ebx & 0xFFFF) != 0 ? 0xB : 0;
}

void AmdTopology(TCpuProbe& p, const TCpuTopologyInput& in, int logical, TCpuLeafTopology& t) {
  if (in.MaxExtLeaf >= 0x80000008u) {
    const uint32_t ecx = p.Cpuid(0x80000008u, 0).Ecx;
    const int nc = static_cast<int>(ecx & 0xFF) + 1;
    const int idSize = static_cast<int>((ecx >> 12) & 0xF);
    int perCore = 1;
    // Zen gives the threads of a core here; on family 15h the same field counts the cores of a
    // compute module, which are cores of their own.
    if (in.Family >= 0x17 && Bit(in.Ext1.Ecx, 22) && in.MaxExtLeaf >= 0x8000001Eu)
      perCore = static_cast<int>((p.Cpuid(0x8000001Eu, 0).Ebx >> 8) & 0xFF) + 1;
    if (perCore > nc || nc % perCore != 0) perCore = 1;
    t.ThreadsPerPackage = nc;
    t.ThreadsPerCore = perCore;
    t.CoresPerPackage = nc / perCore;
    t.PackageShift = idSize ? idSize : CeilLog2(nc);
    t.SmtShift = CeilLog2(perCore);
  } else if (Bit(in.Ext1.Ecx, 1)) {
    // CmpLegacy: the logical processors of leaf 1 are cores.
    t.ThreadsPerPackage = t.CoresPerPackage = logical;
    t.PackageShift = CeilLog2(logical);
  } else {
    t.ThreadsPerPackage = t.ThreadsPerCore = logical;
    t.PackageShift = t.SmtShift = CeilLog2(logical);
  }
  t.ApicLeaf = X2ApicLeaf(p, in.MaxLeaf);
}
}  // namespace

TCpuLeafTopology ReadLeafTopology(TCpuProbe& p, const TCpuTopologyInput& in) {
  TCpuLeafTopology t;
  // Leaf 1's count means something only with the HTT flag (a Cyrix 6x86 leaves rubbish there).
  const bool htt = in.MaxLeaf >= 1 && Bit(in.Leaf1.Edx, 28);
  const int logical = htt ? std::max(1, static_cast<int>((in.Leaf1.Ebx >> 16) & 0xFF)) : 1;
  t.Hybrid = in.MaxLeaf >= 7 && Bit(in.Leaf7.Edx, 15);
  if (t.Hybrid && in.MaxLeaf >= 0x1A) {
    t.HasCoreType = true;
    t.CoreType = static_cast<int>(p.Cpuid(0x1A, 0).Eax >> 24);
  }

  if (in.AmdRules) {
    AmdTopology(p, in, logical, t);
    return t;
  }
  if (ReadExtendedTopology(p, 0x1F, in.MaxLeaf, t) || ReadExtendedTopology(p, 0xB, in.MaxLeaf, t))
    return t;
  // Before leaf 0xB: leaf 4's core count (EAX bits 26-31 plus one) of leaf 1's logical ones.
  int cores = 1;
  if (in.MaxLeaf >= 4) {
    const TCpuidRegs r4 = p.Cpuid(4, 0);
    if (r4.Eax & 0x1F) cores = static_cast<int>(r4.Eax >> 26) + 1;
  }
  cores = std::min(cores, logical);
  t.ThreadsPerPackage = logical;
  t.CoresPerPackage = cores;
  t.ThreadsPerCore = std::max(1, logical / cores);
  t.PackageShift = CeilLog2(logical);
  t.SmtShift = CeilLog2(t.ThreadsPerCore);
  return t;
}

TCpuTopology ResolveCpuTopology(const TCpuLeafTopology& leaves, int systemCount,
                                const std::vector<TCpuProcessor>* visited,
                                const TProcessorCount* system) {
  TCpuTopology t;
  t.Hybrid = leaves.Hybrid;
  const int leafThreads = std::max(1, leaves.ThreadsPerPackage);
  const int leafCores = std::clamp(leaves.CoresPerPackage, 1, leafThreads);
  const int logical = system ? system->Logical : std::max(1, systemCount);

  // A visit tells the layout only when it reached every processor and each answered an ID of
  // its own: processors before the Pentium 4 all answer 0.
  std::set<uint32_t> ids;
  if (visited)
    for (const TCpuProcessor& c : *visited) ids.insert(c.ApicId);
  const bool complete = visited && !visited->empty() && ids.size() == visited->size() &&
                        static_cast<int>(visited->size()) >= logical;

  if (!system && !complete) {
    // Only the leaves: the chip as they describe it, as many times as the system has room.
    t.Packages = std::max(1, CeilDiv(std::max(1, systemCount), leafThreads));
    t.Threads = leafThreads;
    t.Cores = leafCores;
    return t;
  }

  std::set<uint32_t> packages, cores, performance, efficient;
  if (complete) {
    for (const TCpuProcessor& c : *visited) {
      packages.insert(Shr(c.ApicId, leaves.PackageShift));
      const uint32_t core = Shr(c.ApicId, leaves.SmtShift);
      cores.insert(core);
      if (c.CoreType == kCoreTypePerformance) performance.insert(core);
      if (c.CoreType == kCoreTypeEfficient) efficient.insert(core);
    }
  }
  if (system && system->Packages > 0)
    t.Packages = system->Packages;
  else
    t.Packages = std::max<int>(1, static_cast<int>(packages.size()));

  if (complete) {
    t.Threads = CeilDiv(static_cast<int>(visited->size()), t.Packages);
    t.Cores = CeilDiv(static_cast<int>(cores.size()), t.Packages);
  } else {
    t.Threads = CeilDiv(logical, t.Packages);
    t.Cores = CeilDiv(t.Threads, std::max(1, leaves.ThreadsPerCore));
  }
  t.Threads = std::max(1, t.Threads);
  t.Cores = std::clamp(t.Cores, 1, t.Threads);
  if (leaves.Hybrid && leaves.HasCoreType && complete) {
    t.PerformanceCores = static_cast<int>(performance.size()) / t.Packages;
    t.EfficientCores = static_cast<int>(efficient.size()) / t.Packages;
  }
  return t;
}

TCpuTopology GatherCpuTopology(TCpuProbe& p, const TCpuLeafTopology& leaves, int systemCount) {
  std::vector<TCpuProcessor> seen;
  const bool visited = p.EachProcessor([&] {
    TCpuProcessor c;
    c.ApicId = leaves.ApicLeaf ? p.Cpuid(leaves.ApicLeaf, 0).Edx : p.Cpuid(1, 0).Ebx >> 24;
    if (leaves.HasCoreType) c.CoreType = static_cast<int>(p.Cpuid(0x1A, 0).Eax >> 24);
    seen.push_back(c);
  });
  TProcessorCount system;
  const bool hasSystem = p.SystemProcessors(system) && system.Logical > 0;
  return ResolveCpuTopology(leaves, systemCount, visited ? &seen : nullptr,
                            hasSystem ? &system : nullptr);
}

std::string CpuCoresText(const TCpuTopology& t) {
  std::string text = t.Packages > 1 ? "Packages: " + std::to_string(t.Packages) + "  " : "";
  text += "Cores: " + std::to_string(t.Cores);
  if (t.PerformanceCores > 0 || t.EfficientCores > 0)
    text += " (" + std::to_string(t.PerformanceCores) + " P-cores + " +
            std::to_string(t.EfficientCores) + " E-cores)";
  text += "  Threads: " + std::to_string(t.Threads);
  if (t.Packages > 1) text += " per package";
  return text;
}
