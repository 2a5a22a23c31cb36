// Processor identification from played processors and clocks: CPUID answers, range checks,
// feature and cache decoding, the name table and its fallback, and the clock measurement.
#include <gtest/gtest.h>
#include <algorithm>
#include <climits>
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
  std::map<uint32_t, TCpuidRegs> Leaf4;  // by subleaf; a missing one ends the list
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
  TCpuidRegs Cpuid(uint32_t leaf, uint32_t subleaf) override {
    if (leaf == 4 && !Leaf4.empty()) return Leaf4.count(subleaf) ? Leaf4[subleaf] : TCpuidRegs{};
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
    uint32_t Signature, Brand, Descriptors;
    const char* Name;
    const char* Code;
    int Transistors;
  } cases[] = {
      {0x686, 0, 0x00000082, "Pentium III E", "Coppermine (0.18 \xB5m)", 28100000},
      {0x686, 1, 0x00000041, "Celeron", "Coppermine-128 (0.18 \xB5m)", 28100000},
      {0x686, 3, 0x00000082, "Pentium III Xeon", "Cascades (0.18 \xB5m)", 28100000},
      {0x652, 0, 0x00000040, "Celeron", "Covington (0,25\xB5m)", 7500000},
      {0x652, 0, 0x00000044, "Pentium II Xeon", "Deschutes (0.25 \xB5m)", 7500000},
      {0x652, 0, 0x00000043, "Pentium II", "Deschutes (0,25\xB5m)", 7500000},
      {0x660, 0, 0x00000041, "Celeron A", "Mendocino (0.25 \xB5m)", 19000000},
      {0x633, 0, 0x00000043, "Pentium II", "Klamath (0.35 \xB5m)", 7500000},
      {0x1632, 0, 0x00000043, "Pentium II OverDrive", "P6T (0.25 \xB5m)", 7500000},
      {0x6B1, 3, 0x00000083, "Celeron", "Tualatin (0.13 \xB5m)", 44000000},
      {0x6B4, 6, 0x00000083, "Mobile Pentium III-M", "Tualatin (0.13 \xB5m)", 44000000},
      {0x6B4, 0, 0x00000083, "Pentium III", "Tualatin (0.13 \xB5m)", 44000000},
      {0x6A1, 0, 0x00000084, "Pentium III Xeon", "Cascades (0.18 \xB5m)", 0},
      // The P5 of 60 and 66 MHz, not a P54C.
      {0x513, 0, 0, "Pentium", "P5 (0,80\xB5m)", 3100000},
      {0x543, 0, 0, "Pentium MMX", "P55C (0,28\xB5m)", 4500000},
      {0x480, 0, 0, "i80486DX4", "P24C", 1600000},
      // Family 15 without a brand string goes by the brand index, and so does its code name.
      {0xF13, 0x0B, 0, "Xeon MP", "Foster MP (0.18 \xB5m)", 0},
      {0xF24, 0x0E, 0, "Mobile Pentium 4-M", "Northwood (0.13 \xB5m)", 55000000},
      {0xF24, 0x0A, 0, "Celeron", "Northwood-128 (0.13 \xB5m)", 55000000},
      {0xF24, 0x00, 0, "Pentium 4", "Northwood (0.13 \xB5m)", 55000000},
  };
  for (const Case& c : cases) {
    TFakeProbe p = Intel(c.Signature, 2, Regs(0x01, 0, 0, c.Descriptors), 0x10);
    p.Leaves[1].Ebx = c.Brand;
    auto cpu = Gathered(p);
    EXPECT_EQ(cpu->VendorID(), c.Name) << std::hex << c.Signature;
    EXPECT_EQ(cpu->CodeName(), c.Code) << std::hex << c.Signature;
    EXPECT_EQ(cpu->Transistors(), c.Transistors) << std::hex << c.Signature;
  }

  // Katmai and Tanner share family 6 model 7: the Xeon alone carries 1 or 2 MB of level 2 and
  // never a level 3. A virtual machine's Pentium III (QEMU: 2 MB of level 2 beside 16 MB of
  // level 3, a hypervisor present) is not a Xeon.
  TFakeProbe tanner = Intel(0x673, 2, Regs(0x01, 0, 0, 0x0C080644), kP3Features);
  EXPECT_EQ(Gathered(tanner)->VendorID(), "Pentium III Xeon");
  EXPECT_EQ(Gathered(tanner)->CodeName(), "Tanner (0.25 \xB5m)");
  TFakeProbe qemu = Intel(0x673, 2, Regs(0x01, 0, 0x4D, 0x002C307D), kP3Features);
  EXPECT_EQ(Gathered(qemu)->CodeName(), "Katmai (0.25 \xB5m)");
  tanner.Leaves[1].Ecx = 1u << 31;  // the same caches under a hypervisor
  EXPECT_EQ(Gathered(tanner)->VendorID(), "Pentium III");
  EXPECT_EQ(Gathered(tanner)->CodeName(), "Katmai (0.25 \xB5m)");
}

namespace {
void SetBrand(TFakeProbe& p, const char* text) {
  char brand[48] = {};
  std::memcpy(brand, text, std::min<size_t>(std::strlen(text), 48));
  TCpuidRegs b[3];
  std::memcpy(b, brand, 48);
  p.Leaves[0x80000002] = b[0];
  p.Leaves[0x80000003] = b[1];
  p.Leaves[0x80000004] = b[2];
}
}  // namespace

TEST(SysInfoCpu, TheBrandStringNamesTheProcessorAndTheExtendedBitsCount) {
  // This host's kind: family 6 with extended model 0xC, model 0xF; leaf 2 sends to leaf 4.
  TFakeProbe p = Intel(0xC06F2, 0x1C, Regs(0x00FEFF01, 0xF0, 0, 0), 0x0383FBFF);
  p.Leaves[0x80000000] = Regs(0x80000008, 0, 0, 0);
  SetBrand(p, "      Intel(R) Xeon(R)   Processor                ");
  p.Leaf4[0] = Regs(0x04004121, 0x02C0003F, 0x3F, 0);   // L1 data, 12 x 64 x 64 = 48 KB
  p.Leaf4[1] = Regs(0x04004122, 0x01C0003F, 0x3F, 0);   // L1 code, 32 KB
  p.Leaf4[2] = Regs(0x04004143, 0x03C0003F, 0x7FF, 0);  // L2, 16 x 64 x 2048 = 2 MB
  p.Leaf4[3] = Regs(0x04004163, 0x03C0003F, 0x3FFFF, 0);  // L3, 16 x 64 x 256K = 256 MB
  auto cpu = Gathered(p, 2);
  EXPECT_EQ(cpu->VendorID(), "Intel(R) Xeon(R) Processor");
  EXPECT_EQ(cpu->CodeName(), "Emerald Rapids (Intel 7)");
  EXPECT_EQ(cpu->Transistors(), 0);  // Intel published none
  EXPECT_EQ(cpu->Family(), 6);
  EXPECT_EQ(cpu->Model(), 0xCF);
  EXPECT_EQ(cpu->Signature().Model, 0xF);
  EXPECT_EQ(cpu->Cache()->L1Data(), 48);
  EXPECT_EQ(cpu->Cache()->L1Code(), 32);
  EXPECT_EQ(cpu->Cache()->Level1(), 0);
  EXPECT_EQ(cpu->Cache()->Level2(), 2048);
  EXPECT_EQ(cpu->Cache()->Level3(), 262144);
  // The vendor is not written a second time before a name that has it; two packages are
  // counted, one is not.
  EXPECT_EQ(CpuHeadline(2, cpu->Vendor(), cpu->VendorID(), 2100),
            "2 x Intel(R) Xeon(R) Processor - 2100 MHz");
  EXPECT_EQ(CpuHeadline(1, cpu->Vendor(), cpu->VendorID(), 2100, true),
            "Intel(R) Xeon(R) Processor - 2100 MHz (virtual)");

  // A Penryn is model 23, not the Katmai of model 7; a brand string beats every row.
  TFakeProbe penryn = Intel(0x10676, 2, Regs(0x05B0B101, 0x005657F0, 0, 0x2CB4304E), 0x10);
  penryn.Leaves[0x80000000] = Regs(0x80000004, 0, 0, 0);
  SetBrand(penryn, "QEMU Virtual CPU version 2.5+");
  auto vm = Gathered(penryn);
  EXPECT_EQ(vm->Model(), 23);
  EXPECT_EQ(vm->VendorID(), "QEMU Virtual CPU version 2.5+");
  EXPECT_EQ(vm->CodeName(), "");
  EXPECT_EQ(vm->Cache()->Level2(), 6144);  // 0x4E

  // A damaged brand string (a BIOS writes the K7's) names nothing: the row does.
  TFakeProbe k7;
  k7.Leaves[0].Eax = 1;
  k7.Vendor("AuthenticAMD");
  k7.Leaves[1] = Regs(0x681, 0, 0, 0x0383FBFF);
  k7.Leaves[0x80000000] = Regs(0x80000006, 0, 0, 0);
  k7.Leaves[0x80000006] = Regs(0, 0, 0x00408140, 0);  // 64 KB: an Applebred Duron
  SetBrand(k7, "Duron \x7F\x01 1400");
  auto duron = Gathered(k7);
  EXPECT_EQ(duron->VendorID(), "Duron");
  EXPECT_EQ(duron->CodeName(), "Applebred (0.13 \xB5m)");
  EXPECT_EQ(CpuHeadline(1, duron->Vendor(), duron->VendorID(), 1400), "AMD Duron - 1400 MHz");
}

TEST(SysInfoCpu, NoProcessorIsLeftWithoutAName) {
  // A family-6 model the table does not know, without brand string or index.
  TFakeProbe intel = Intel(0x6C1, 2, Regs(0x01, 0, 0, 0), 0x10);
  EXPECT_EQ(Gathered(intel)->VendorID(), "Intel Family 6 Model 12");

  // A Cyrix 486 whose measured clock has no row.
  TFakeProbe cx;
  cx.Leaves[0].Eax = 1;
  cx.Vendor("CyrixInstead");
  cx.Leaves[1] = Regs(0x400, 0, 0, 0x10);
  cx.Mhz = 60;
  EXPECT_EQ(Gathered(cx)->VendorID(), "Cyrix Family 4 Model 0");
  EXPECT_EQ(Gathered(cx)->Transistors(), 0);
  cx.Mhz = 33;
  EXPECT_EQ(Gathered(cx)->VendorID(), "Cx486S");

  // The mP6 reports family 5, and so does SiS's chip with its core.
  TFakeProbe rise;
  rise.Vendor("RiseRiseRise");
  rise.Leaves[1] = Regs(0x521, 0, 0, 0x00800011);
  auto mp6 = Gathered(rise);
  EXPECT_EQ(mp6->VendorID(), "mP6");
  EXPECT_EQ(CpuHeadline(1, mp6->Vendor(), mp6->VendorID(), 200), "Rise mP6 - 200 MHz");
  TFakeProbe sis;
  sis.Vendor("SiS SiS SiS ");
  sis.Leaves[1] = Regs(0x505, 0, 0, 0x00800111);
  EXPECT_EQ(Gathered(sis)->Vendor(), "SiS");
  EXPECT_EQ(Gathered(sis)->VendorID(), "SiS 550");

  // UMC pads its vendor text with a blank; a model without a name of its own still has one.
  TFakeProbe umc;
  umc.Vendor("UMC UMC UMC ");
  umc.Leaves[1] = Regs(0x420, 0, 0, 0);
  EXPECT_EQ(Gathered(umc)->VendorID(), "U5S");
  umc.Leaves[1] = Regs(0x470, 0, 0, 0);
  EXPECT_EQ(Gathered(umc)->VendorID(), "UMC Family 4 Model 7");

  TFakeProbe other;
  other.Vendor("SomeoneElse!");
  other.Leaves[1] = Regs(0x652, 0, 0, 0x10);
  auto unknown = Gathered(other);
  EXPECT_EQ(unknown->Vendor(), "");
  EXPECT_EQ(unknown->VendorEx(), "");
  EXPECT_EQ(unknown->VendorID(), "SomeoneElse! Family 6 Model 5");
  EXPECT_EQ(unknown->Cache()->Level1(), 0);
  EXPECT_EQ(CpuHeadline(1, unknown->Vendor(), unknown->VendorID(), 0),
            "SomeoneElse! Family 6 Model 5 - 0 MHz");
  other.Vendor("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C");
  EXPECT_EQ(Gathered(other)->VendorID(), "x86 Family 6 Model 5");
}

TEST(SysInfoCpu, VendorsAreToldByTheirTextFamilyAndBrand) {
  EXPECT_EQ(CpuVendorIndex("  Shanghai  "), cvZhaoxin);
  EXPECT_EQ(CpuVendorIndex("Geode by NSC"), cvNSC);
  EXPECT_EQ(CpuVendorIndex("GenuineTMx86"), cvTransmeta);
  EXPECT_EQ(CpuVendorIndex("HygonGenuine"), cvHygon);
  EXPECT_EQ(CpuVendorIndex("GenuineIntex"), cvUnknown);
  // Centaur's own WinChips are IDT; from family 6 on they are VIA's, or Zhaoxin's.
  EXPECT_EQ(RefineCpuVendor(cvIDT, 5, ""), cvIDT);
  EXPECT_EQ(RefineCpuVendor(cvIDT, 6, "VIA Nano X2 L4350 @ 1.6+ GHz"), cvVIA);
  EXPECT_EQ(RefineCpuVendor(cvIDT, 6, "  ZHAOXIN KaiXian ZX-C+ C4580@1.83GHz"), cvZhaoxin);
  EXPECT_EQ(RefineCpuVendor(cvAMD, 6, "ZHAOXIN"), cvAMD);
  EXPECT_STREQ(CpuVendorShortName(cvVIA), "VIA");
  EXPECT_STREQ(CpuVendorFullName(cvNSC), "National Semiconductor");

  EXPECT_EQ(CpuHeadline(1, "AMD", "AMD-K5(tm) Processor", 120), "AMD-K5(tm) Processor - 120 MHz");
  EXPECT_EQ(CpuHeadline(1, "Intel", "Genuine Intel(R) CPU 3.46GHz", 3466),
            "Genuine Intel(R) CPU 3.46GHz - 3466 MHz");
  EXPECT_EQ(CpuHeadline(1, "Intel", "Intelligent Engine", 5), "Intel Intelligent Engine - 5 MHz");
  EXPECT_EQ(CpuHeadline(2, " Intel ", " Pentium III E ", 733), "2 x Intel Pentium III E - 733 MHz");
  EXPECT_EQ(CpuHeadline(0, "", "Thing", 1), "Thing - 1 MHz");

  EXPECT_EQ(CpuBrandName("  Intel(R) Core(TM)2 Duo CPU     E6750  @ 2.66GHz  "),
            "Intel(R) Core(TM)2 Duo CPU E6750 @ 2.66GHz");
  EXPECT_EQ(CpuBrandName("Athlon XP (Palomin\x7F?00+"), "");
  EXPECT_EQ(CpuBrandName("        "), "");
}

TEST(SysInfoCpu, FeatureBitsFollowEachVendorsRules) {
  auto sig = [](int vendor, uint32_t eax) { return TCpuSignature::From(vendor, eax); };
  const uint32_t sep = 1u << 11;
  // Intel: below signature 0x633 the SYSENTER bit is set without the instructions.
  EXPECT_FALSE(DecodeCpuFeatures(sig(cvIntel, 0x617), sep, false, 0) & (1u << cfSEP));
  EXPECT_FALSE(DecodeCpuFeatures(sig(cvIntel, 0x1632), sep, false, 0) & (1u << cfSEP));
  EXPECT_TRUE(DecodeCpuFeatures(sig(cvIntel, 0x633), sep, false, 0) & (1u << cfSEP));
  EXPECT_TRUE(DecodeCpuFeatures(sig(cvIntel, 0x10612), sep, false, 0) & (1u << cfSEP));
  EXPECT_TRUE(DecodeCpuFeatures(sig(cvAMD, 0x622), sep, false, 0) & (1u << cfSEP));
  // The K5 model 0 has its global pages in bit 9.
  EXPECT_EQ(DecodeCpuFeatures(sig(cvAMD, 0x500), 1u << 9, false, 0), 1u << cfPGE);
  EXPECT_EQ(DecodeCpuFeatures(sig(cvAMD, 0x511), 1u << 9, false, 0), 1u << cfAPIC);
  // Extended bit 24 is extended MMX for Cyrix and NSC only; on AMD it is FXSR.
  EXPECT_EQ(DecodeCpuFeatures(sig(cvCyrix, 0x600), 0, true, 1u << 24), 1u << cfExMMX);
  EXPECT_EQ(DecodeCpuFeatures(sig(cvNSC, 0x540), 0, true, 1u << 24), 1u << cfExMMX);
  EXPECT_EQ(DecodeCpuFeatures(sig(cvAMD, 0xF61), 0, true, 1u << 24), 0u);
  EXPECT_EQ(DecodeCpuFeatures(sig(cvAMD, 0x622), 0, true, 1u << 22), 1u << cfExMMX);

  for (int f = 0; f < cfCount; ++f) {
    const auto feature = static_cast<TCpuFeature>(f);
    const uint32_t bits = f <= cfExMMX ? DecodeCpuFeatures(sig(cvAMD, 0x622), 0, true, 0xFFFFFFFF)
                                       : DecodeCpuFeatures(sig(cvAMD, 0x622), 0xFFFFFFFF, true, 0);
    EXPECT_TRUE((bits >> f) & 1) << CpuFeatureName(feature);
  }
  EXPECT_EQ(DecodeCpuFeatures(sig(cvAMD, 0x622), 0, false, 0xFFFFFFFF), 0u);
}

TEST(SysInfoCpu, IntelDescriptorsAndDeterministicParameters) {
  auto decode = [](TCpuidRegs r, int family = 6, int model = 15) {
    TCacheSizes c;
    AddIntelDescriptors(r, family, model, c);
    return c;
  };
  // Bit 31 set: the register holds no descriptors, whatever its bytes look like.
  EXPECT_EQ(decode(Regs(0x80004401, 0, 0, 0)).Level2, 0);
  EXPECT_EQ(decode(Regs(0x01, 0x80000044, 0, 0x0A)).Level2, 0);
  EXPECT_EQ(decode(Regs(0x01, 0x80000044, 0, 0x0A)).L1Data, 8);
  // 0x80 is a level 2 of 512 KB on Intel.
  TCacheSizes atom = decode(Regs(0x4FBA5901, 0x0E3080C0, 0, 0));
  EXPECT_EQ(atom.L1Data, 24);
  EXPECT_EQ(atom.L1Code, 32);
  EXPECT_EQ(atom.Level1, 0);
  EXPECT_EQ(atom.Level2, 512);
  // The Pentium 4: a trace cache and, on the Extreme Edition, a level 3.
  TCacheSizes p4 = decode(Regs(0x665B5001, 0, 0, 0x007B7025), 15, 2);
  EXPECT_EQ(p4.L1Data, 8);
  EXPECT_EQ(p4.L1Code, 12);
  EXPECT_TRUE(p4.TraceCache);
  EXPECT_EQ(p4.Level2, 512);
  EXPECT_EQ(p4.Level3, 2048);
  // 0x49 is the level 3 of family 15 model 6 and a level 2 everywhere else.
  EXPECT_EQ(decode(Regs(0x01, 0, 0, 0x49), 15, 6).Level3, 4096);
  EXPECT_EQ(decode(Regs(0x01, 0, 0, 0x49), 15, 6).Level2, 0);
  EXPECT_EQ(decode(Regs(0x01, 0, 0, 0x49)).Level2, 4096);
  // 0x40 says there is no further level; 0xFF sends to leaf 4.
  EXPECT_EQ(decode(Regs(0x40000001, 0, 0, 0)).Known, unsigned{clL2 | clL3});
  EXPECT_EQ(decode(Regs(0x01, 0, 0, 0x407D)).Known, unsigned{clL2 | clL3});
  EXPECT_TRUE(decode(Regs(0x00FEFF01, 0, 0, 0)).AskLeaf4);

  // Leaf 4 fills only what it is asked for, and its largest answer does not overflow.
  TCacheSizes c = decode(Regs(0x01, 0, 0, 0x2C30));  // L1 32 + 32 KB
  EXPECT_TRUE(AddDeterministicCache(Regs(0x121, 0x01C0003F, 0x3F, 0), clL2 | clL3, c));
  EXPECT_EQ(c.L1Data, 32);
  EXPECT_TRUE(AddDeterministicCache(Regs(0x163, 0xFFFFFFFF, 0xFFFFFFFF, 0), clL2 | clL3, c));
  EXPECT_EQ(c.Level3, INT_MAX);
  EXPECT_FALSE(AddDeterministicCache(Regs(0, 0, 0, 0), clL2, c));

  // An Intel processor that sends every level to leaf 4, whose list ends with type 0.
  TFakeProbe p = Intel(0x206A7, 0xD, Regs(0x76035A01, 0x00F0B0FF, 0, 0x00CA0000), 0x10);
  p.Leaf4[0] = Regs(0x1C004121, 0x01C0003F, 0x3F, 0);
  p.Leaf4[1] = Regs(0x1C004122, 0x01C0003F, 0x3F, 0);
  p.Leaf4[2] = Regs(0x1C004143, 0x01C0003F, 0x1FF, 0);
  p.Leaf4[3] = Regs(0x1C03C163, 0x02C0003F, 0x1FFF, 6);
  p.Leaf4[5] = Regs(0x1C03C163, 0x02C0003F, 0x3FFF, 6);  // after the end: not read
  auto sandy = Gathered(p);
  EXPECT_EQ(sandy->Cache()->L1Data(), 32);
  EXPECT_EQ(sandy->Cache()->Level2(), 256);
  EXPECT_EQ(sandy->Cache()->Level3(), 6144);

  // A virtual machine's empty leaf 2: the level 2 of 0x80000006 is the last word.
  TFakeProbe vm = Intel(0x106A5, 2, Regs(0x01, 0, 0, 0), 0x10);
  vm.Leaves[0x80000000] = Regs(0x80000008, 0, 0, 0);
  vm.Leaves[0x80000006] = Regs(0, 0, 0x01006040, 0);
  vm.Leaves[0x80000008] = Regs(0x3028, 0, 0, 0);
  EXPECT_EQ(Gathered(vm)->Cache()->Level2(), 256);
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
  EXPECT_EQ(cpu->CodeName(), "Chomper Extended (0.25 \xB5m)");
  EXPECT_TRUE(cpu->Features()->Has(cf3DNow));
  EXPECT_FALSE(cpu->Features()->Has(cfEx3DNow));
  // Split, as the processor says, and no level 2 without leaf 0x80000006.
  EXPECT_EQ(cpu->Cache()->L1Data(), 32);
  EXPECT_EQ(cpu->Cache()->L1Code(), 32);
  EXPECT_EQ(cpu->Cache()->Level1(), 0);
  EXPECT_EQ(cpu->Cache()->Level2(), 0);

  auto amd = [](int vendor, uint32_t eax, uint32_t ecx6, uint32_t edx6) {
    return DecodeAmdCache(TCpuSignature::From(vendor, eax), Regs(0, 0, 0x40020140, 0x40020140),
                          true, Regs(0, 0, ecx6, edx6));
  };
  EXPECT_EQ(amd(cvAMD, 0x630, 0x00018140, 0).Level2, 64);   // the Duron A0's erratum
  EXPECT_EQ(amd(cvAMD, 0x631, 0x00408140, 0).Level2, 64);
  EXPECT_EQ(amd(cvVIA, 0x678, 0x40000000, 0).Level2, 64);   // C3: in the top byte
  EXPECT_EQ(amd(cvVIA, 0x698, 0x00408120, 0).Level2, 64);
  // Level 3 from family 16 on; before it AMD's register is reserved.
  EXPECT_EQ(amd(cvAMD, 0xF61, 0x02008140, 0x0100F140).Level3, 0);
  EXPECT_EQ(amd(cvAMD, 0x100F23, 0x02008140, 0x0100F140).Level3, 32768);
  EXPECT_EQ(amd(cvHygon, 0x900F02, 0x02006140, 0x00808140).Level3, 16384);
  EXPECT_EQ(DecodeCyrixCache(Regs(0, 0, 0x80, 0)).Level1, 16);
}

TEST(SysInfoCpu, WithoutCpuidOrTimeStampNothingIsExecutedThatWouldFault) {
  TFakeProbe none;
  none.Cpuid_ = false;
  auto cpu = Gathered(none, 1);
  EXPECT_EQ(cpu->Family(), 0);
  EXPECT_EQ(cpu->Vendor(), "");
  EXPECT_EQ(cpu->VendorID(), "x86 processor without CPUID");
  EXPECT_EQ(cpu->Frequency(), 0);
  EXPECT_EQ(none.Stamps, 0);
  EXPECT_EQ(cpu->Features()->Bits(), 0u);

  TFakeProbe noTsc = Intel(0x435, 1, TCpuidRegs{}, 0x1);  // a 486 with CPUID, FPU only
  EXPECT_EQ(Gathered(noTsc)->Frequency(), 0);
  EXPECT_EQ(noTsc.Stamps, 0);
}

TEST(SysInfoCpu, TheClockSnapsToTheStandardFrequencies) {
  const std::pair<int, int> snaps[] = {{498, 500}, {733, 733}, {865, 866}, {449, 450},
                                       {199, 200}, {305, 300}, {310, 320}, {327, 333},
                                       {350, 350}, {2600, 2600}, {0, 0},
                                       {75, 75},   {475, 475}, {470, 466}, {72, 75}};
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
  // Two single-core Pentium III: two packages.
  TFakeProbe p = Intel(0x686, 2, Regs(0x01, 0, 0, 0x0C080682), kP3Features);
  auto cpu = Gathered(p, 2);
  TStringList r;
  cpu->Report(r);
  const int features = 1 + 11 + 6, cache = features + 1 + cfCount + isCount + 1;
  ASSERT_EQ(r.Count(), cache + 1 + 4);
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
  // The newer keys come after every old one.
  EXPECT_EQ(r[12], "Packages=2");
  EXPECT_EQ(r[13], "Cores=1");
  EXPECT_EQ(r[14], "Threads=1");
  EXPECT_EQ(r[15], "PerformanceCores=0");
  EXPECT_EQ(r[16], "EfficientCores=0");
  EXPECT_EQ(r[17], "Hypervisor=");
  EXPECT_EQ(r[features], "[CPU Features]");
  EXPECT_EQ(r[features + 1], "3D Now! extensions=0");
  EXPECT_EQ(r[features + 4], "SIMD instructions=1");
  EXPECT_EQ(r[features + cfCount], "Built-In FPU=1");
  EXPECT_EQ(r[features + cfCount + 1], "SSE=1");
  EXPECT_EQ(r[features + cfCount + 2], "SSE2=0");
  EXPECT_EQ(r[features + cfCount + 1 + isAVX512F], "AVX-512F=0");
  EXPECT_EQ(r[features + cfCount + 1 + isX86_64], "x86-64=0");
  EXPECT_EQ(r[cache - 1], "x86-64 level=0");
  EXPECT_EQ(r[cache], "[CPU Cache]");
  EXPECT_EQ(r[cache + 1], "Level 1 Data Cache=16");
  EXPECT_EQ(r[cache + 4], "Level 2 Unified Cache=256");
  EXPECT_FALSE(FdivFlawed());

  // A level 3 adds its own line at the very end.
  TFakeProbe gallatin = Intel(0xF25, 2, Regs(0x665B5001, 0, 0, 0x007B7025), kP3Features);
  auto p4 = Gathered(gallatin);
  r.Clear();
  p4->Report(r);
  ASSERT_EQ(r.Count(), cache + 1 + 5);
  EXPECT_EQ(r[5], "Family=15");
  EXPECT_EQ(r[cache + 2], "Level 1 Instruction Cache=12");
  EXPECT_EQ(r[cache + 5], "Level 3 Unified Cache=2048");
}
