// Processor identification that needs no Windows: the CPUID sequence with its range checks,
// feature and cache decoding, the vendor and name tables, and the clock measurement. The
// instructions and the counters come through TCpuProbe, which tests replace to play processors
// and clocks that are not at hand.
#pragma once
#include <cstdint>
#include <string>

struct TCpuidRegs {
  uint32_t Eax = 0, Ebx = 0, Ecx = 0, Edx = 0;
};

class TCpuProbe {
 public:
  virtual ~TCpuProbe() = default;
  // The ID flag of EFLAGS can be toggled, so CPUID exists.
  virtual bool HasCpuid() = 0;
  virtual TCpuidRegs Cpuid(uint32_t leaf) = 0;
  // Ticks per second of the high-resolution counter; false when there is none.
  virtual bool CounterFrequency(int64_t& perSecond) = 0;
  virtual int64_t Counter() = 0;
  // RDTSC. Called only when the processor reports a time-stamp counter.
  virtual uint64_t TimeStamp() = 0;
  // Raises the calling thread to time-critical priority. False when the priority cannot be
  // read: then nothing was changed and nothing is restored.
  virtual bool RaisePriority(int& saved) = 0;
  virtual void RestorePriority(int saved) = 0;
};

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
// Bit i = feature i. The extended register counts only when the processor has that leaf.
uint32_t DecodeCpuFeatures(uint32_t leaf1Edx, bool hasExtended, uint32_t extEdx);

struct TCacheSizes {
  int L1Data = 0, L1Code = 0, Level1 = 0, Level2 = 0;  // KB
};
// Descriptor bytes of leaf 2 (registers with bit 31 set hold none).
TCacheSizes DecodeIntelCache(const TCpuidRegs& leaf2);
// Leaf 0x80000005.
TCacheSizes DecodeAmdCache(const TCpuidRegs& ext5);
TCacheSizes DecodeCyrixCache(const TCpuidRegs& ext5);

enum TCpuVendorIndex { cvUnknown, cvIntel, cvAMD, cvCyrix, cvIDT, cvNexGen, cvUMC, cvRise };
// By the 12 characters of leaf 0 (trailing blanks and zeros do not count).
int CpuVendorIndex(const std::string& vendorText);
// "Intel", ... and "Intel Corporation", ...; empty for cvUnknown.
const char* CpuVendorShortName(int index);
const char* CpuVendorFullName(int index);

struct TCpuNameKey {
  int Vendor = 0, Family = 0, Model = 0, ExtFamily = 0, ExtModel = 0;
  int Frequency = 0, Level2 = 0, Type = 0, Brand = 0;
};
struct TCpuName {
  std::string Name, CodeName;
  int Transistors = 0;
  // The table has a row that really describes this processor: not a catch-all row, and no
  // extended family or model bits, which the table predates.
  bool Known = false;
};
TCpuName LookupCpuName(const TCpuNameKey& key);

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
  int Family = 0, Model = 0, Stepping = 0, Type = 0, Brand = 0, ExtFamily = 0, ExtModel = 0;
  uint32_t Features = 0;
  TCpuidRegs FeatureRegs;  // the last feature query's registers
  std::string Serial;      // only with the serial-number feature
  std::string BrandString;
  TCacheSizes Cache;
  TCpuidRegs CacheRegs;    // the registers the cache sizes were decoded from
  bool Has(TCpuFeature f) const { return (Features >> f) & 1u; }
};
TCpuIdentity IdentifyCpu(TCpuProbe& probe);

// x / y rounded to the nearest integer, halves to even; 0 when y is 0.
uint64_t RoundDiv(uint64_t x, uint64_t y);
// 498 -> 500, 733 -> 733, 865 -> 866: to the nearer of 0, 20, 33, 50, 60, 66, 80, 90, 100 within
// its hundred (a tie goes up).
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
