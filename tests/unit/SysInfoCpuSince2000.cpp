// Processors since 2000 beyond the recorded collection: code names of published signatures,
// the topology rules (hybrid chips, incomplete visits, older leaves), hypervisor vendors and
// the brand-string words the table goes by.
#include <gtest/gtest.h>
#include <map>
#include <utility>
#include "sysinfo/CpuNames.h"
#include "sysinfo/KSI_CPU.h"

namespace {
// A name-table key for a processor of this vendor, effective family, model and stepping.
TCpuNameKey Key(int vendor, int family, int model, int stepping, const char* brand = "",
                int l2 = 0, int l3 = 0, int cores = 0) {
  TCpuNameKey k;
  k.Vendor = vendor;
  k.Family = family >= 15 ? 15 : family;
  k.ExtFamily = family >= 15 ? family - 15 : 0;
  k.Model = model & 0xF;
  k.ExtModel = model >> 4;
  k.Stepping = stepping;
  k.BrandString = brand;
  k.Level2 = l2, k.Level3 = l3, k.Cores = cores;
  return k;
}

// Answers from maps of leaves, one map per logical processor; the visit walks them in turn.
class TTopologyProbe : public TCpuProbe {
 public:
  using TLeaves = std::map<std::pair<uint32_t, uint32_t>, TCpuidRegs>;
  std::vector<TLeaves> Processors = std::vector<TLeaves>(1);
  bool CanVisit = true;
  bool HasSystem = false;
  TProcessorCount System;

  bool HasCpuid() override { return true; }
  TCpuidRegs Cpuid(uint32_t leaf, uint32_t sub) override {
    const TLeaves& l = Processors[FAt];
    auto it = l.find({leaf, sub});
    return it == l.end() ? TCpuidRegs{} : it->second;
  }
  bool CounterFrequency(int64_t&) override { return false; }
  int64_t Counter() override { return 0; }
  uint64_t TimeStamp() override { return 0; }
  bool RaisePriority(int&) override { return false; }
  void RestorePriority(int) override {}
  bool EachProcessor(const std::function<void()>& visit) override {
    if (!CanVisit) return false;
    for (FAt = 0; FAt < Processors.size(); ++FAt) visit();
    FAt = 0;
    return true;
  }
  bool SystemProcessors(TProcessorCount& n) override {
    n = System;
    return HasSystem;
  }

 private:
  size_t FAt = 0;
};

TCpuidRegs R(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  TCpuidRegs r;
  r.Eax = a, r.Ebx = b, r.Ecx = c, r.Edx = d;
  return r;
}

// An Alder Lake i9-12900K as its processors answer: 8 P-cores with two threads (x2APIC IDs
// 0,1, 8,9 ... 56,57) and 8 E-cores of one thread (64, 66 ... 78).
TTopologyProbe AlderLakeHybrid() {
  TTopologyProbe p;
  p.Processors.clear();
  auto add = [&](uint32_t apic, uint32_t type) {
    TTopologyProbe::TLeaves l;
    l[{1, 0}] = R(0x90672, apic << 24 | 32 << 16, 0, 1u << 28);
    l[{7, 0}] = R(0, 0, 0, 1u << 15);
    l[{0x1A, 0}] = R(type << 24 | 1, 0, 0, 0);
    l[{0x1F, 0}] = R(1, 2, 0x100, apic);
    l[{0x1F, 1}] = R(7, 24, 0x201, apic);
    l[{0x1F, 2}] = R(0, 0, 2, apic);
    p.Processors.push_back(l);
  };
  for (uint32_t core = 0; core < 8; ++core) add(core * 8, 0x40), add(core * 8 + 1, 0x40);
  for (uint32_t core = 0; core < 8; ++core) add(64 + 2 * core, 0x20);
  return p;
}

TCpuTopologyInput Intel(uint32_t maxLeaf, const TTopologyProbe& p) {
  TCpuTopologyInput in;
  in.Family = 6;
  in.MaxLeaf = maxLeaf;
  const auto& l = p.Processors[0];
  if (l.count({1, 0})) in.Leaf1 = l.at({1, 0});
  if (l.count({7, 0})) in.Leaf7 = l.at({7, 0});
  return in;
}
}  // namespace

TEST(SysInfoCpuSince2000, PublishedSignaturesGetTheirCodeNames) {
  const struct {
    TCpuNameKey Key;
    const char* Code;
    int64_t Transistors;
  } cases[] = {
      // NetBurst, told apart by cache, cores and brand
      {Key(cvIntel, 15, 4, 3, "Intel(R) Pentium(R) 4 CPU 3.00GHz", 2048), "Prescott 2M (90 nm)", 169000000},
      {Key(cvIntel, 15, 4, 4, "Intel(R) Pentium(R) D CPU 2.80GHz", 1024, 0, 2), "Smithfield (90 nm)", 230000000},
      {Key(cvIntel, 15, 6, 4, "Intel(R) Celeron(R) CPU 3.20GHz", 512), "Cedar Mill-512 (65 nm)", 188000000},
      // Core and Core 2
      {Key(cvIntel, 6, 0x0F, 6, "Intel(R) Core(TM)2 CPU T7200 @ 2.00GHz", 4096), "Merom (65 nm)", 291000000},
      {Key(cvIntel, 6, 0x0F, 6, "Intel(R) Xeon(R) CPU 5160 @ 3.00GHz", 4096), "Woodcrest (65 nm)", 291000000},
      {Key(cvIntel, 6, 0x17, 10, "Intel(R) Core(TM)2 Duo CPU E8400 @ 3.00GHz", 6144), "Wolfdale (45 nm)", 410000000},
      {Key(cvIntel, 6, 0x17, 10, "Intel(R) Core(TM)2 Duo CPU E7500 @ 2.93GHz", 3072), "Wolfdale-3M (45 nm)", 0},
      {Key(cvIntel, 6, 0x17, 6, "Intel(R) Core(TM)2 Duo CPU T9400 @ 2.53GHz", 6144), "Penryn (45 nm)", 410000000},
      // Core i and Xeon
      {Key(cvIntel, 6, 0x1A, 5, "Intel(R) Xeon(R) CPU X5570 @ 2.93GHz"), "Gainestown (45 nm)", 731000000},
      {Key(cvIntel, 6, 0x1E, 5, "Intel(R) Core(TM) i7 CPU Q 720 @ 1.60GHz"), "Clarksfield (45 nm)", 774000000},
      {Key(cvIntel, 6, 0x25, 5, "Intel(R) Core(TM) i5 CPU M 520 @ 2.40GHz"), "Arrandale (32 nm)", 382000000},
      {Key(cvIntel, 6, 0x3F, 2, "Intel(R) Core(TM) i7-5960X CPU @ 3.00GHz"), "Haswell-E (22 nm)", 2600000000},
      {Key(cvIntel, 6, 0x55, 4, "Intel(R) Xeon(R) Gold 6148 CPU @ 2.40GHz"), "Skylake-SP (14 nm)", 0},
      {Key(cvIntel, 6, 0x55, 7, "Intel(R) Xeon(R) Gold 6248 CPU @ 2.50GHz"), "Cascade Lake-SP (14 nm)", 0},
      {Key(cvIntel, 6, 0x55, 7, "Intel(R) Core(TM) i9-10980XE CPU @ 3.00GHz"), "Cascade Lake-X (14 nm)", 0},
      {Key(cvIntel, 6, 0x8E, 10, "Intel(R) Core(TM) i7-8550U CPU @ 1.80GHz"), "Kaby Lake-R (14 nm)", 0},
      {Key(cvIntel, 6, 0xB7, 1, "13th Gen Intel(R) Core(TM) i9-13980HX"), "Raptor Lake-HX (Intel 7)", 0},
      {Key(cvIntel, 6, 0xAA, 4, "Intel(R) Core(TM) Ultra 7 155H"), "Meteor Lake-H (Intel 4)", 0},
      // Atom
      {Key(cvIntel, 6, 0x1C, 10, "Intel(R) Atom(TM) CPU N450 @ 1.66GHz", 512, 0, 1), "Pineview (45 nm)", 123000000},
      {Key(cvIntel, 6, 0x4D, 8, "Intel(R) Atom(TM) CPU C2758 @ 2.40GHz"), "Rangeley (22 nm)", 0},
      // AMD K8 to Zen 5
      {Key(cvAMD, 15, 0x23, 2, "AMD Athlon(tm) 64 X2 Dual Core Processor 4800+"), "Toledo (90 nm)", 233200000},
      {Key(cvAMD, 15, 0x4B, 2, "AMD Athlon(tm) 64 X2 Dual Core Processor 5000+", 512), "Windsor (90 nm)", 153800000},
      {Key(cvAMD, 15, 0x41, 2, "Dual-Core AMD Opteron(tm) Processor 2218"), "Santa Rosa (90 nm)", 0},
      {Key(cvAMD, 16, 0x02, 3, "AMD Phenom(tm) 8450 Triple-Core Processor"), "Toliman (65 nm)", 463000000},
      {Key(cvAMD, 16, 0x04, 2, "AMD Phenom(tm) II X3 720 Processor"), "Heka (45 nm)", 758000000},
      {Key(cvAMD, 21, 0x01, 2, "AMD Opteron(TM) Processor 6276"), "Interlagos (32 nm)", 0},
      {Key(cvAMD, 22, 0x00, 1, "AMD A6-1450 APU with Radeon(TM) HD Graphics"), "Temash (28 nm)", 0},
      {Key(cvAMD, 23, 0x08, 2, "AMD Ryzen Threadripper 2990WX 32-Core Processor"), "Colfax (12 nm)", 0},
      {Key(cvAMD, 25, 0x50, 0, "AMD Ryzen 5 5625U with Radeon Graphics"), "Barcel\xF3 (7 nm)", 10700000000},
      {Key(cvAMD, 25, 0x61, 2, "AMD Ryzen 9 7945HX with Radeon Graphics"), "Dragon Range (5 nm)", 0},
      {Key(cvAMD, 25, 0x18, 1, "AMD Ryzen Threadripper 7980X 64-Cores"), "Storm Peak (5 nm)", 0},
      {Key(cvAMD, 26, 0x44, 0, "AMD Ryzen 9 9950X 16-Core Processor"), "Granite Ridge (4 nm)", 0},
  };
  for (const auto& c : cases) {
    const TCpuName n = LookupCpuName(c.Key);
    EXPECT_EQ(n.CodeName, c.Code) << c.Key.BrandString;
    EXPECT_EQ(n.Transistors, c.Transistors) << c.Key.BrandString;
  }
  // A generic virtual processor borrows a signature but is no chip: no code name at all.
  EXPECT_EQ(LookupCpuName(Key(cvAMD, 15, 0x6B, 1, "QEMU Virtual CPU version 2.5+")).CodeName, "");
  EXPECT_EQ(LookupCpuName(Key(cvIntel, 6, 6, 3, "QEMU Virtual CPU version 2.5+", 2048)).CodeName, "");
  // Unknown models stay without a code name rather than borrowing a neighbour's.
  EXPECT_EQ(LookupCpuName(Key(cvIntel, 6, 0xFE, 0, "Intel(R) Future(TM)")).CodeName, "");
  EXPECT_EQ(LookupCpuName(Key(cvAMD, 27, 0x00, 0, "AMD Future")).CodeName, "");
}

TEST(SysInfoCpuSince2000, BrandWordsAreMatchedAsWholeWords) {
  EXPECT_TRUE(CpuBrandMatches("Intel(R) Core(TM)2 Quad CPU Q6600 @ 2.40GHz", "Core 2 Quad"));
  EXPECT_TRUE(CpuBrandMatches("AMD Opteron 22xx (Gen 2 Class Opteron)", "Opteron 22##"));
  EXPECT_TRUE(CpuBrandMatches("Intel(R) Xeon(R) CPU E5345 @ 2.33GHz", "CPU E54##|CPU E53##"));
  EXPECT_FALSE(CpuBrandMatches("Intel(R) Xeon(R) CPU E5345 @ 2.33GHz", "CPU E54##|E53#"));
  EXPECT_TRUE(CpuBrandMatches("Intel(R) Core(TM) i7-7700HQ CPU", "i#-####H*"));
  EXPECT_FALSE(CpuBrandMatches("Intel(R) Core(TM) i7-7700K CPU", "i#-####H*"));
  EXPECT_FALSE(CpuBrandMatches("Intel(R) Xeon(R) Platinum", "Xeon MP"));
  EXPECT_FALSE(CpuBrandMatches("anything", ""));
  EXPECT_TRUE(IsGenericVirtualBrand("QEMU Virtual CPU version 2.5+"));
  EXPECT_TRUE(IsGenericVirtualBrand("Common 32-bit KVM processor"));
  EXPECT_FALSE(IsGenericVirtualBrand("Intel Core Processor (Haswell)"));
}

TEST(SysInfoCpuSince2000, HypervisorsAreNamedByTheirVendorText) {
  EXPECT_EQ(CpuHypervisorName(std::string("KVMKVMKVM\0\0\0", 12)), "KVM");
  EXPECT_EQ(CpuHypervisorName(" lrpepyh  vr"), "Parallels");
  // An unknown one by its own printable text; rubbish or nothing is "Unknown".
  EXPECT_EQ(CpuHypervisorName("NewVisor 1.0"), "NewVisor 1.0");
  EXPECT_EQ(CpuHypervisorName(std::string(12, '\0')), "Unknown");
  EXPECT_EQ(CpuHypervisorName("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C"), "Unknown");
}

TEST(SysInfoCpuSince2000, AHybridChipIsCountedOnEveryProcessorAndItsLeavesAlone) {
  TTopologyProbe p = AlderLakeHybrid();
  const TCpuLeafTopology leaves = ReadLeafTopology(p, Intel(0x20, p));
  EXPECT_TRUE(leaves.Hybrid);
  EXPECT_EQ(leaves.CoreType, 0x40);
  EXPECT_EQ(leaves.ThreadsPerPackage, 24);
  EXPECT_EQ(leaves.ApicLeaf, 0x1Fu);

  // Every processor visited: 8 P-cores and 8 E-cores, 24 threads, also with the system's count.
  TCpuTopology t = GatherCpuTopology(p, leaves, 24);
  EXPECT_EQ(t.Packages, 1);
  EXPECT_EQ(t.Cores, 16);
  EXPECT_EQ(t.Threads, 24);
  EXPECT_EQ(t.PerformanceCores, 8);
  EXPECT_EQ(t.EfficientCores, 8);
  EXPECT_EQ(CpuCoresText(t), "Cores: 16 (8 P-cores + 8 E-cores)  Threads: 24");
  p.HasSystem = true;
  p.System = {1, 16, 24};
  t = GatherCpuTopology(p, leaves, 24);
  EXPECT_EQ(t.Cores, 16);
  EXPECT_EQ(t.EfficientCores, 8);

  // One processor's leaves (a recorded dump) tell threads and that processor's kind only.
  p.CanVisit = false;
  p.HasSystem = false;
  t = GatherCpuTopology(p, leaves, 1);
  EXPECT_EQ(t.Threads, 24);
  EXPECT_EQ(t.Cores, 12);
  EXPECT_EQ(t.PerformanceCores + t.EfficientCores, 0);

  // A visit that could not reach every processor (a 32-bit mask on a bigger machine) counts
  // for nothing; the system's figures and the leaves' threads per core do.
  TTopologyProbe part = AlderLakeHybrid();
  part.Processors.resize(20);
  part.HasSystem = true;
  part.System = {1, 16, 24};
  t = GatherCpuTopology(part, leaves, 20);
  EXPECT_EQ(t.Threads, 24);
  EXPECT_EQ(t.Cores, 12);
  EXPECT_EQ(t.PerformanceCores + t.EfficientCores, 0);
}

TEST(SysInfoCpuSince2000, PackagesComeFromTheSystemTheApicIdsOrTheCount) {
  // Two Xeon packages of 4 cores with Hyper-Threading, leaf 0xB: IDs 0-7 and 16-23.
  TTopologyProbe xeon;
  xeon.Processors.clear();
  for (uint32_t pkg = 0; pkg < 2; ++pkg)
    for (uint32_t i = 0; i < 8; ++i) {
      TTopologyProbe::TLeaves l;
      const uint32_t apic = pkg * 16 + i;
      l[{1, 0}] = R(0x206C2, apic << 24 | 16 << 16, 0, 1u << 28);
      l[{0xB, 0}] = R(1, 2, 0x100, apic);
      l[{0xB, 1}] = R(4, 8, 0x201, apic);
      xeon.Processors.push_back(l);
    }
  const TCpuLeafTopology leaves = ReadLeafTopology(xeon, Intel(0xB, xeon));
  TCpuTopology t = GatherCpuTopology(xeon, leaves, 16);
  EXPECT_EQ(t.Packages, 2);
  EXPECT_EQ(t.Cores, 4);
  EXPECT_EQ(t.Threads, 8);
  EXPECT_EQ(CpuCoresText(t), "Packages: 2  Cores: 4  Threads: 8 per package");
  // The system's package count wins over the IDs.
  xeon.HasSystem = true;
  xeon.System = {4, 16, 16};
  EXPECT_EQ(GatherCpuTopology(xeon, leaves, 16).Packages, 4);

  // Two Pentium III: leaf 1 has no APIC ID before the Pentium 4, so every visit answers 0 and
  // the IDs tell nothing; the count of processors does.
  TTopologyProbe p3;
  p3.Processors.assign(2, {{{1, 0}, R(0x686, 0, 0, 0)}});
  const TCpuLeafTopology one = ReadLeafTopology(p3, Intel(2, p3));
  t = GatherCpuTopology(p3, one, 2);
  EXPECT_EQ(t.Packages, 2);
  EXPECT_EQ(t.Threads, 1);

  // Neither a visit nor the system (Windows 95): the count over the leaves' threads per package.
  p3.CanVisit = false;
  TTopologyProbe p4ht;
  p4ht.CanVisit = false;
  p4ht.Processors[0][{1, 0}] = R(0xF29, 2 << 16, 0, 1u << 28);
  t = GatherCpuTopology(p4ht, ReadLeafTopology(p4ht, Intel(2, p4ht)), 4);
  EXPECT_EQ(t.Packages, 2);
  EXPECT_EQ(t.Cores, 1);
  EXPECT_EQ(t.Threads, 2);
}

TEST(SysInfoCpuSince2000, OlderLeavesCountCoresAsEachVendorDefinedThem) {
  auto amd = [](int family, uint32_t ext1Ecx, uint32_t nc, uint32_t ext1eEbx, uint32_t leaf1Ebx) {
    TTopologyProbe p;
    auto& l = p.Processors[0];
    l[{0x80000008, 0}] = R(0x3030, 0, nc, 0);
    l[{0x8000001E, 0}] = R(0, ext1eEbx, 0, 0);
    TCpuTopologyInput in;
    in.AmdRules = true;
    in.Family = family;
    in.MaxLeaf = 1;
    in.MaxExtLeaf = nc ? 0x8000001E : 0x80000001;
    in.Leaf1 = R(0, leaf1Ebx, 0, 1u << 28);
    in.Ext1 = R(0, 0, ext1Ecx, 0);
    return ReadLeafTopology(p, in);
  };
  // FX-8150: eight cores in four modules; 0x8000001E's pair is two cores, not two threads.
  TCpuLeafTopology t = amd(0x15, 1u << 22, 0x4007, 0x0100, 0);
  EXPECT_EQ(t.CoresPerPackage, 8);
  EXPECT_EQ(t.ThreadsPerPackage, 8);
  EXPECT_EQ(t.PackageShift, 4);
  // Zen: the same field gives two threads of a core.
  t = amd(0x17, 1u << 22, 0x400F, 0x0100, 0);
  EXPECT_EQ(t.CoresPerPackage, 8);
  EXPECT_EQ(t.ThreadsPerCore, 2);
  // An Athlon 64 X2 through CmpLegacy alone: leaf 1's two logical processors are cores.
  t = amd(0x0F, 1u << 1, 0, 0, 2 << 16);
  EXPECT_EQ(t.CoresPerPackage, 2);
  EXPECT_EQ(t.ThreadsPerPackage, 2);

  // Intel before leaf 0xB: leaf 4's cores never exceed leaf 1's logical processors.
  TTopologyProbe core2;
  core2.Processors[0][{1, 0}] = R(0x6FB, 1 << 16, 0, 0);  // HTT clear: one processor
  core2.Processors[0][{4, 0}] = R(0x04000121, 0, 0, 0);  // two core IDs
  const TCpuLeafTopology c = ReadLeafTopology(core2, Intel(4, core2));
  EXPECT_EQ(c.CoresPerPackage, 1);
  EXPECT_EQ(c.ThreadsPerPackage, 1);
}
