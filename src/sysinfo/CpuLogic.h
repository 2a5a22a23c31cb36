// Processor identification that needs no Windows: the CPUID sequence with its range checks,
// feature and cache decoding, the vendor and name tables, and the clock measurement. The
// instructions and the counters come through TCpuProbe, which tests replace to play processors
// and clocks that are not at hand.
#pragma once
#include <cstdint>
#include <string>
#include "sysinfo/CpuIsa.h"
#include "sysinfo/CpuProbe.h"
#include "sysinfo/CpuTopology.h"

// The features in the order of the published properties and of the report.
enum TCpuFeature {
  cf3DNow, cfEx3DNow, cfExMMX, cfSIMD, cfXSR, cfMMX, cfSerial, cfPSE36, cfPAT, cfCMOV, cfMCA,
  cfPGE, cfMTRR, cfSEP, cfAPIC, cfCX8, cfMCE, cfPAE, cfMSR, cfTSC, cfPSE, cfDE, cfVME, cfFPU,
  cfCount
};
// "_3DNOW", "EX_3DNOW", ... as published.
const char* CpuFeatureName(TCpuFeature f);
// "3D Now! extensions", ... as the report writes them before "=".
const char* CpuFeatureLabel(TCpuFeature f);

enum TCpuVendorIndex {
  cvUnknown, cvIntel, cvAMD, cvCyrix, cvIDT, cvNexGen, cvUMC, cvRise,
  cvVIA, cvTransmeta, cvNSC, cvSiS, cvHygon, cvZhaoxin, cvVendorCount
};
// By the 12 characters of leaf 0, blanks and zeros around them not counting. CentaurHauls is
// IDT here; RefineCpuVendor tells VIA and Zhaoxin apart.
int CpuVendorIndex(const std::string& vendorText);
// CentaurHauls from family 6 on is VIA, or Zhaoxin where the brand string says so.
int RefineCpuVendor(int index, int family, const std::string& brandString);
// "Intel", ... and "Intel Corporation", ...; empty for cvUnknown.
const char* CpuVendorShortName(int index);
const char* CpuVendorFullName(int index);

// Leaf 1's EAX taken apart, with the vendor, which decides how the extended bits count.
struct TCpuSignature {
  int Vendor = cvUnknown;
  int Family = 0, Model = 0, Stepping = 0, Type = 0, ExtFamily = 0, ExtModel = 0;
  static TCpuSignature From(int vendor, uint32_t eax);
  // Family 15 adds the extended family.
  int EffectiveFamily() const;
  // AMD and Hygon add the extended model to family 15 only, everyone else from family 6 on.
  int EffectiveModel() const;
  // Family, model and stepping as three hexadecimal digits (0x633): the form Intel's rules
  // for the classic processors use.
  uint32_t Short() const { return static_cast<uint32_t>(Family << 8 | Model << 4 | Stepping); }
};

// Bit i = feature i. The extended register counts only when the processor has that leaf; the
// vendor and signature settle the bits that mean something else on some processors.
uint32_t DecodeCpuFeatures(const TCpuSignature& sig, uint32_t leaf1Edx, bool hasExtended,
                           uint32_t extEdx);

// Levels a cache source has spoken about, be it to give a size or to say there is none.
enum TCacheLevel : unsigned { clL1Data = 1, clL1Code = 2, clL1Unified = 4, clL2 = 8, clL3 = 16 };

struct TCacheSizes {
  int L1Data = 0, L1Code = 0, Level1 = 0, Level2 = 0, Level3 = 0;  // KB
  // L1Code is a trace cache of that many thousand micro-operations (Pentium 4).
  bool TraceCache = false;
  unsigned Known = 0;        // TCacheLevel bits
  bool AskLeaf4 = false;     // leaf 2 gave descriptor 0xFF
  // Logical processors sharing one level 3, where a deterministic leaf gave it (0: unknown),
  // and how many such level-3 caches a package has (Level3 counts them all).
  int L3Sharing = 0, L3Count = 1;
};
// Adds the descriptors of one leaf-2 answer (registers with bit 31 set hold none; the low byte
// of EAX is a count). The effective family and model tell what descriptor 0x49 is.
void AddIntelDescriptors(const TCpuidRegs& leaf2, int family, int model, TCacheSizes& c);
// Adds one leaf-4 answer to the levels in want that are not known yet. False at the end of
// the list (cache type 0).
bool AddDeterministicCache(const TCpuidRegs& leaf4, unsigned want, TCacheSizes& c);
// AMD's layout of 0x80000005/6, which VIA, IDT, Transmeta, Hygon and Zhaoxin share, with the
// known errata. ext6 counts only when hasExt6.
TCacheSizes DecodeAmdCache(const TCpuSignature& sig, const TCpuidRegs& ext5, bool hasExt6,
                           const TCpuidRegs& ext6);
// Cyrix's descriptors in 0x80000005.
TCacheSizes DecodeCyrixCache(const TCpuidRegs& ext5);

struct TCpuNameKey {
  int Vendor = 0, Family = 0, Model = 0, Stepping = 0, ExtFamily = 0, ExtModel = 0;
  int Frequency = 0, Level2 = 0, Type = 0, Brand = 0;
  int Level3 = 0;            // KB of the package
  int Cores = 0;             // per package; 0 when not known
  bool Hypervisor = false;   // leaf 1 says the processor is a virtual one
  std::string BrandString;   // as leaves 0x80000002-4 give it
};
struct TCpuName {
  std::string Name, CodeName;
  int64_t Transistors = 0;  // today's dies pass two billion
};
// The table row of a processor: name, code name, transistors; all empty when there is none.
TCpuName LookupCpuName(const TCpuNameKey& key);
// Intel's brand index (leaf 1 EBX bits 0-7): "Celeron", "Pentium III Xeon", ...; "" for none.
const char* IntelBrandName(int brand, uint32_t signature);
// The brand string as a name: blanks around it dropped and runs of blanks made one. Empty
// when there is none or when it is damaged (holds anything but printable characters).
std::string CpuBrandName(const std::string& brandString);
// The processor's name: its brand string, else its table row, else vendor, family and model;
// the code name and transistors come from the row.
TCpuName NameCpu(const TCpuNameKey& key, bool hasCpuid, const std::string& vendorText,
                 const std::string& brandString);
// The CPU page's first line: "2 x Intel Xeon ... - 2400 MHz" for two packages, the processor
// alone for one, without the vendor where the name already says it; a clock measured inside
// a virtual machine is marked so.
std::string CpuHeadline(int packages, const std::string& vendor, const std::string& name, int mhz,
                        bool virtualMachine = false);
// The hypervisor by the 12 characters of leaf 0x40000000 (EBX, ECX, EDX): "KVM", "VMware"...;
// an unknown one by its own text, or "Unknown" when that is not printable.
std::string CpuHypervisorName(const std::string& vendorText);

// Six groups of four hexadecimal digits: leaf 1's EAX, then leaf 3's EDX and ECX.
std::string CpuSerialText(uint32_t leaf1Eax, uint32_t leaf3Edx, uint32_t leaf3Ecx);
// The 48 characters of leaves 0x80000002..4, to the first zero, without surrounding blanks.
std::string CpuBrandString(const TCpuidRegs& a, const TCpuidRegs& b, const TCpuidRegs& c);
// The floating-point division flaw of early Pentium processors.
bool FdivFlawed();

// What CPUID tells, asked in order and each leaf only when the processor has it.
struct TCpuIdentity {
  bool HasCpuid = false;
  std::string VendorText;
  int VendorIndex = cvUnknown;
  uint32_t MaxLeaf = 0, MaxExtLeaf = 0;  // 0 when the range is absent
  TCpuSignature Signature;
  int Brand = 0;
  uint32_t Features = 0;
  TCpuidRegs FeatureRegs;  // the last feature query's registers
  std::string Serial;      // only with the serial-number feature
  std::string BrandString;
  TCacheSizes Cache;
  TCpuidRegs CacheRegs;    // the registers the cache sizes were decoded from
  TCpuIsaRegs IsaRegs;     // leaves 1, 7 and 0x80000001 with XCR0
  TCpuIsaSet Isa;
  TCpuLeafTopology Topology;
  std::string Hypervisor;  // empty on real hardware
  bool Has(TCpuFeature f) const { return (Features >> f) & 1u; }
};
TCpuIdentity IdentifyCpu(TCpuProbe& probe);

// x / y rounded to the nearest integer, halves to even; 0 when y is 0.
uint64_t RoundDiv(uint64_t x, uint64_t y);
// 498 -> 500, 733 -> 733, 865 -> 866: to the nearer of 0, 20, 33, 50, 60, 66, 75, 80, 90, 100
// within its hundred (a tie goes up).
int SnapFrequency(int mhz);

struct TClockResult {
  int Raw = 0, Snapped = 0;  // MHz; 0 when nothing could be measured
  uint64_t Cycles = 0, Micros = 0;
  int Passes = 0;            // passes that counted
};
// The figures from the totals of all counted passes.
TClockResult ClockFromTotals(uint64_t cycles, uint64_t micros);
// Busy-waits passes of at least a millisecond each against the high-resolution counter, at most
// 20, until three results agree within 3 MHz. Needs the time-stamp counter.
TClockResult MeasureClock(TCpuProbe& probe);
