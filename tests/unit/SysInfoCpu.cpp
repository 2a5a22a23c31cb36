// Processor identification from played processors and clocks: CPUID answers, range checks,
// feature and cache decoding, the name table and its fallback, and the clock measurement.
#include <gtest/gtest.h>
#include <cstring>
#include <map>
#include <memory>
#include "sysinfo/KSI_CPU.h"

namespace {
TCpuidRegs Regs(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  TCpuidRegs r;
  r.Eax = a, r.Ebx = b, r.Ecx = c, r.Edx = d;
  return r;
}

uint32_t Text4(const char* s) {
  uint32_t v;
  std::memcpy(&v, s, 4);
  return v;
}

// A processor and a clock. Like Intel's, the processor answers a leaf it does not have with the
// registers of its highest basic leaf.
class TFakeProbe : public TCpuProbe {
 public:
  std::map<uint32_t, TCpuidRegs> Leaves;
  bool Cpuid_ = true;
  // The counter: ticks per second and ticks per read; the clock's speed in MHz.
  int64_t Frequency = 1193182, Step = 3;
  double Mhz = 500;
  uint64_t StampBase = 0;
  bool PriorityReadable = true;
  int Raised = 0, Restored = 0, Stamps = 0;
  bool Elevated = false;

  void Vendor(const char* v) {
    TCpuidRegs& r = Leaves[0];
    r.Ebx = Text4(v), r.Edx = Text4(v + 4), r.Ecx = Text4(v + 8);
    if (r.Eax == 0) r.Eax = 1;
  }

  bool HasCpuid() override { return Cpuid_; }
  TCpuidRegs Cpuid(uint32_t leaf) override {
    auto it = Leaves.find(leaf);
    if (it != Leaves.end()) return it->second;
    return Leaves[Leaves[0].Eax];
  }
  bool CounterFrequency(int64_t& f) override {
    f = Frequency;
    return Frequency > 0;
  }
  int64_t Counter() override { return FTicks += Step; }
  uint64_t TimeStamp() override {
    ++Stamps;
    return StampBase + static_cast<uint64_t>(static_cast<double>(FTicks) * Mhz * 1e6 /
                                             static_cast<double>(Frequency));
  }
  bool RaisePriority(int& saved) override {
    if (!PriorityReadable) return false;
    EXPECT_FALSE(Elevated) << "raised twice without a restore";
    saved = 7;
    Elevated = true;
    ++Raised;
    return true;
  }
  void RestorePriority(int saved) override {
    EXPECT_EQ(saved, 7);
    Elevated = false;
    ++Restored;
  }

 private:
  int64_t FTicks = 0;
};

// An Intel processor of the given signature with the given leaf-2 descriptors.
TFakeProbe Intel(uint32_t signature, uint32_t maxLeaf, TCpuidRegs leaf2, uint32_t features) {
  TFakeProbe p;
  p.Leaves[0].Eax = maxLeaf;
  p.Vendor("GenuineIntel");
  p.Leaves[1] = Regs(signature, 0, 0, features);
  p.Leaves[2] = leaf2;
  return p;
}

constexpr uint32_t kP3Features = 0x0387FBFF;  // FPU..CMOV, PAT, PSE36, SERIAL, MMX, XSR, SIMD

std::unique_ptr<TCPU> Gathered(TCpuProbe& probe, int count = 1) {
  auto cpu = std::make_unique<TCPU>();
  cpu->Gather(probe, count);
  return cpu;
}
}  // namespace

TEST(SysInfoCpu, APentiumIIIWithItsSerialNumberReadsRightAndShowsNo3DNow) {
  // Katmai, family 6 model 7 stepping 3; leaf 3 (the highest) answers the extended leaves, and
  // its EDX has bit 31 set: read blindly that would be 3DNow!. Leaf 2 has 0x43 (512 KB) in EBX
  // and 0x40 in EDX after it.
  TFakeProbe p = Intel(0x673, 3, Regs(0x03020101, 0x43, 0, 0x0C040840), kP3Features);
  p.Leaves[3] = Regs(0, 0, 0x89ABCDEF, 0x81234567);
  TCPU cpu;
  cpu.Gather(p, 1);
  EXPECT_EQ(cpu.Vendor(), "Intel");
  EXPECT_EQ(cpu.VendorEx(), "Intel Corporation");
  EXPECT_EQ(cpu.Family(), 6);
  EXPECT_EQ(cpu.Model(), 7);
  EXPECT_EQ(cpu.Stepping(), 3);
  EXPECT_FALSE(cpu.Features()->Has(cf3DNow));
  EXPECT_FALSE(cpu.Features()->Has(cfEx3DNow));
  EXPECT_TRUE(cpu.Features()->Has(cfSIMD));
  EXPECT_TRUE(cpu.Features()->Has(cfSerial));
  EXPECT_EQ(cpu.SerialNumber(), "0000-0673-8123-4567-89AB-CDEF");
  // 0x43 is 512 KB of second-level cache; the 0x40 beside it does not undo that.
  EXPECT_EQ(cpu.Cache()->Level2(), 512);
  EXPECT_EQ(cpu.Cache()->L1Data(), 16);
  EXPECT_EQ(cpu.Cache()->L1Code(), 16);
  EXPECT_EQ(cpu.VendorID(), "Pentium III");
  EXPECT_EQ(cpu.CodeName(), "Katmai (0.25 \xB5m)");
  EXPECT_EQ(cpu.Transistors(), 9500000);
  EXPECT_EQ(cpu.Frequency(), 500);
}

TEST(SysInfoCpu, TheNameTableKnowsTheClassicIntelProcessors) {
  struct Case {
    uint32_t Signature, Descriptors;
    const char* Name;
    const char* Code;
    int Transistors;
  } cases[] = {
      {0x686, 0x00000082, "Pentium III E", "Coppermine (0.18 \xB5m)", 28100000},
      {0x652, 0x00000040, "Celeron", "Covington (0,25\xB5m)", 7500000},
      {0x652, 0x00000044, "Pentium II Xeon", "Deschutes (0.25 \xB5m)", 7500000},
      {0x652, 0x00000043, "Pentium II", "Deschutes (0,25\xB5m)", 7500000},
      {0x660, 0x00000041, "Celeron A", "Mendocino (0.25 \xB5m)", 19000000},
      {0x1633, 0x00000042, "Pentium II OverDrive", "Klamath (0.35 \xB5m)", 7500000},
      {0x543, 0, "Pentium MMX", "P55C (0,28\xB5m)", 4500000},
      {0x480, 0, "i80486DX4", "P24C", 1600000},
  };
  for (const Case& c : cases) {
    TFakeProbe p = Intel(c.Signature, 2, Regs(0x01, 0, 0, c.Descriptors), 0x10);
    auto cpu = Gathered(p);
    EXPECT_EQ(cpu->VendorID(), c.Name) << std::hex << c.Signature;
    EXPECT_EQ(cpu->CodeName(), c.Code) << std::hex << c.Signature;
    EXPECT_EQ(cpu->Transistors(), c.Transistors) << std::hex << c.Signature;
  }
}

TEST(SysInfoCpu, ProcessorsNewerThanTheTableNameThemselves) {
  // This host's processor: family 6 with extended model 0xA (model 7 once the extension is
  // dropped, which the table would call a Pentium III).
  TFakeProbe p = Intel(0xA0671, 0x24, Regs(0x00FEFF01, 0, 0, 0), 0x0383FBFF);
  p.Leaves[0x80000000] = Regs(0x80000008, 0, 0, 0);
  const char brand[49] = "      Intel(R) Xeon(R) Processor                ";
  TCpuidRegs b[3];
  std::memcpy(b, brand, 48);
  p.Leaves[0x80000002] = b[0];
  p.Leaves[0x80000003] = b[1];
  p.Leaves[0x80000004] = b[2];
  auto cpu = Gathered(p);
  EXPECT_EQ(cpu->VendorID(), "Intel(R) Xeon(R) Processor");
  EXPECT_EQ(cpu->CodeName(), "");
  EXPECT_EQ(cpu->Transistors(), 0);
  EXPECT_EQ(cpu->Family(), 6);
  EXPECT_EQ(cpu->Model(), 7);
  // Descriptor 0xFF ("ask leaf 4") is none the table knows.
  EXPECT_EQ(cpu->Cache()->Level2(), 0);

  // A family-6 model past the Pentium III era without the extended bits, and no brand string:
  // no name rather than a wrong one.
  TFakeProbe tualatin = Intel(0x6B1, 2, Regs(0x01, 0, 0, 0x83), 0x10);
  auto old = Gathered(tualatin);
  EXPECT_EQ(old->VendorID(), "");
  EXPECT_EQ(old->CodeName(), "");
}

TEST(SysInfoCpu, OtherVendorsTakeTheirCachesFromTheExtendedRange) {
  TFakeProbe k6;
  k6.Leaves[0].Eax = 1;
  k6.Vendor("AuthenticAMD");
  k6.Leaves[1] = Regs(0x58C, 0, 0, 0x008021BF);
  k6.Leaves[0x80000000] = Regs(0x80000005, 0, 0, 0);
  k6.Leaves[0x80000001] = Regs(0x58C, 0, 0, 0x80800000);  // 3DNow!, MMX
  k6.Leaves[0x80000005] = Regs(0, 0, 0x20020220, 0x20020220);
  auto cpu = Gathered(k6);
  EXPECT_EQ(cpu->Vendor(), "AMD");
  EXPECT_EQ(cpu->VendorID(), "K6-II");
  EXPECT_EQ(cpu->CodeName(), "Chomper (0.25 \xB5m)");
  EXPECT_TRUE(cpu->Features()->Has(cf3DNow));
  EXPECT_FALSE(cpu->Features()->Has(cfEx3DNow));
  EXPECT_EQ(cpu->Cache()->L1Data(), 32);
  EXPECT_EQ(cpu->Cache()->L1Code(), 32);
  EXPECT_EQ(cpu->Cache()->Level1(), 64);
  EXPECT_EQ(cpu->Cache()->Level2(), 0);

  // Cyrix: the 486 rows go by the measured clock; 60 MHz has none.
  TFakeProbe cx;
  cx.Leaves[0].Eax = 1;
  cx.Vendor("CyrixInstead");
  cx.Leaves[1] = Regs(0x400, 0, 0, 0x10);
  cx.Mhz = 60;
  EXPECT_EQ(Gathered(cx)->VendorID(), "");
  EXPECT_EQ(Gathered(cx)->Transistors(), 0);
  cx.Mhz = 33;
  EXPECT_EQ(Gathered(cx)->VendorID(), "Cx486S");

  // UMC pads its vendor text with a blank.
  TFakeProbe umc;
  umc.Vendor("UMC UMC UMC ");
  umc.Leaves[1] = Regs(0x420, 0, 0, 0);
  EXPECT_EQ(Gathered(umc)->VendorID(), "U5S");

  TFakeProbe other;
  other.Vendor("SomeoneElse!");
  other.Leaves[1] = Regs(0x652, 0, 0, 0x10);
  auto unknown = Gathered(other);
  EXPECT_EQ(unknown->Vendor(), "");
  EXPECT_EQ(unknown->VendorEx(), "");
  EXPECT_EQ(unknown->VendorID(), "");
  EXPECT_EQ(unknown->Cache()->Level1(), 0);
}

TEST(SysInfoCpu, WithoutCpuidOrTimeStampNothingIsExecutedThatWouldFault) {
  TFakeProbe none;
  none.Cpuid_ = false;
  auto cpu = Gathered(none, 1);
  EXPECT_EQ(cpu->Family(), 0);
  EXPECT_EQ(cpu->Vendor(), "");
  EXPECT_EQ(cpu->Frequency(), 0);
  EXPECT_EQ(none.Stamps, 0);
  EXPECT_EQ(cpu->Features()->Bits(), 0u);

  TFakeProbe noTsc = Intel(0x435, 1, TCpuidRegs{}, 0x1);  // a 486 with CPUID, FPU only
  EXPECT_EQ(Gathered(noTsc)->Frequency(), 0);
  EXPECT_EQ(noTsc.Stamps, 0);
}

TEST(SysInfoCpu, DecodingSkipsInvalidRegistersAndKnowsEveryFeatureBit) {
  // Bit 31 set: the register holds no descriptors, whatever its bytes look like.
  EXPECT_EQ(DecodeIntelCache(Regs(0x80004401, 0, 0, 0)).Level2, 0);
  EXPECT_EQ(DecodeIntelCache(Regs(0x01, 0x80000044, 0, 0x0A)).Level2, 0);
  EXPECT_EQ(DecodeIntelCache(Regs(0x01, 0x80000044, 0, 0x0A)).L1Data, 8);
  // The last recognised second-level descriptor wins; 0x40 alone is no cache.
  EXPECT_EQ(DecodeIntelCache(Regs(0x41000001, 0, 0, 0x85)).Level2, 2048);
  EXPECT_EQ(DecodeIntelCache(Regs(0x40000001, 0, 0, 0)).Level2, 0);
  EXPECT_EQ(DecodeIntelCache(Regs(0x8001, 0, 0, 0)).Level1, 16);

  for (int f = 0; f < cfCount; ++f) {
    const auto feature = static_cast<TCpuFeature>(f);
    const uint32_t bits = f <= cfExMMX ? DecodeCpuFeatures(0, true, 0xFFFFFFFF)
                                       : DecodeCpuFeatures(0xFFFFFFFF, true, 0);
    EXPECT_TRUE((bits >> f) & 1) << CpuFeatureName(feature);
  }
  EXPECT_EQ(DecodeCpuFeatures(0, true, 1u << 24), 1u << cfExMMX);
  EXPECT_EQ(DecodeCpuFeatures(0, false, 0xFFFFFFFF), 0u);
}

TEST(SysInfoCpu, TheClockSnapsToTheStandardFrequencies) {
  const std::pair<int, int> snaps[] = {{498, 500}, {733, 733}, {865, 866}, {449, 450},
                                       {199, 200}, {305, 300}, {310, 320}, {327, 333},
                                       {350, 350}, {2600, 2600}, {0, 0}};
  for (auto [in, out] : snaps) EXPECT_EQ(SnapFrequency(in), out) << in;
  EXPECT_EQ(RoundDiv(5, 2), 2u);
  EXPECT_EQ(RoundDiv(7, 2), 4u);
  EXPECT_EQ(RoundDiv(7, 0), 0u);
  const TClockResult c = ClockFromTotals(866666, 1000);
  EXPECT_EQ(c.Raw, 867);
  EXPECT_EQ(c.Snapped, 866);
}

TEST(SysInfoCpu, TheClockIsMeasuredRightOnSlowAndProcessorSpeedCounters) {
  // The classic 1.19 MHz counter.
  TFakeProbe classic = Intel(0x686, 1, TCpuidRegs{}, 0x10);
  classic.Mhz = 733.4;
  TClockResult c = MeasureClock(classic);
  EXPECT_EQ(c.Raw, 733);
  EXPECT_EQ(c.Snapped, 733);
  EXPECT_EQ(classic.Raised, classic.Restored);
  EXPECT_GE(c.Passes, 3);

  // A counter at processor speed: a thousand ticks are well under a microsecond; each pass
  // still lasts long enough to measure.
  TFakeProbe fast = Intel(0x686, 1, TCpuidRegs{}, 0x10);
  fast.Frequency = 2600000000;
  fast.Step = 40;
  fast.Mhz = 2600;
  c = MeasureClock(fast);
  EXPECT_EQ(c.Snapped, 2600);
  EXPECT_GE(c.Micros, 3000u);

  // A time stamp whose low half wraps inside a pass.
  TFakeProbe wrap = Intel(0x686, 1, TCpuidRegs{}, 0x10);
  wrap.StampBase = 0xFFFFFFFFull - 200000;
  wrap.Mhz = 1000;
  EXPECT_EQ(MeasureClock(wrap).Snapped, 1000);
}

TEST(SysInfoCpu, TheClockEndsWithoutACounterOrWithOneThatStands) {
  TFakeProbe none = Intel(0x686, 1, TCpuidRegs{}, 0x10);
  none.Frequency = 0;
  EXPECT_EQ(MeasureClock(none).Snapped, 0);
  EXPECT_EQ(none.Stamps, 0);

  TFakeProbe stuck = Intel(0x686, 1, TCpuidRegs{}, 0x10);
  stuck.Step = 0;
  const TClockResult c = MeasureClock(stuck);
  EXPECT_EQ(c.Snapped, 0);
  EXPECT_EQ(c.Passes, 0);
  EXPECT_EQ(stuck.Raised, stuck.Restored) << "the priority must come back";

  TFakeProbe unreadable = Intel(0x686, 1, TCpuidRegs{}, 0x10);
  unreadable.PriorityReadable = false;
  EXPECT_EQ(MeasureClock(unreadable).Snapped, 500);
  EXPECT_EQ(unreadable.Restored, 0);
}

TEST(SysInfoCpu, ReportWritesTheThreeSectionsInOrder) {
  TFakeProbe p = Intel(0x686, 2, Regs(0x01, 0, 0, 0x0C080682), kP3Features);
  auto cpu = Gathered(p, 2);
  TStringList r;
  cpu->Report(r);
  ASSERT_EQ(r.Count(), 1 + 11 + 1 + cfCount + 1 + 4);
  EXPECT_EQ(r[0], "[CPU]");
  EXPECT_EQ(r[1], "Count=2");
  EXPECT_EQ(r[2], "Frequency=500");
  EXPECT_EQ(r[3], "VendorID=Pentium III E");
  EXPECT_EQ(r[4], "Vendor=Intel");
  EXPECT_EQ(r[5], "Family=6");
  EXPECT_EQ(r[6], "Model=8");
  EXPECT_EQ(r[7], "Stepping=6");
  EXPECT_EQ(r[8], "CodeName=Coppermine (0.18 \xB5m)");
  EXPECT_EQ(r[9], "Transistors=28100000");
  EXPECT_EQ(r[10], "SerialNumber=");  // the serial leaf is not there
  EXPECT_EQ(r[11], "FDIVBug=0");
  EXPECT_EQ(r[12], "[CPU Features]");
  EXPECT_EQ(r[13], "3D Now! extensions=0");
  EXPECT_EQ(r[16], "SIMD instructions=1");
  EXPECT_EQ(r[12 + cfCount], "Built-In FPU=1");
  EXPECT_EQ(r[13 + cfCount], "[CPU Cache]");
  EXPECT_EQ(r[14 + cfCount], "Level 1 Data Cache=16");
  EXPECT_EQ(r[17 + cfCount], "Level 2 Unified Cache=256");
  EXPECT_FALSE(FdivFlawed());
}
