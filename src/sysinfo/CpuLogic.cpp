#include "sysinfo/CpuLogic.h"
#include <cstdio>
#include <cstring>

namespace {
struct TFeatureInfo {
  const char* Name;
  const char* Label;
  bool Extended;
  int Bit;
};
const TFeatureInfo kFeatures[cfCount] = {
    {"_3DNOW", "3D Now! extensions", true, 31},
    {"EX_3DNOW", "Enhanced 3D Now! extensions", true, 30},
    {"EX_MMX", "Enhanced MMX extensions", true, 22},  // or bit 24
    {"SIMD", "SIMD instructions", false, 25},
    {"XSR", "FXSAVE/FXRSTOR instruction", false, 24},
    {"MMX", "MMX extensions", false, 23},
    {"SERIAL", "Serial number", false, 18},
    {"PSE36", "36bit Page Size Extension", false, 17},
    {"PAT", "Page Attribute Table", false, 16},
    {"CMOV", "CMOVcc (+FCMOVcc/F(U)COMI(P) opcodes", false, 15},
    {"MCA", "Machine Check Architecture", false, 14},
    {"PGE", "Page Global Extension", false, 13},
    {"MTRR", "Memory Type Range Registers", false, 12},
    {"SEP", "SYSENTER/SYSEXIT extension", false, 11},
    {"APIC", "Processor contains an enabled APIC", false, 9},
    {"CX8", "CMPXCHG8B instruction", false, 8},
    {"MCE", "Machine Check Exception", false, 7},
    {"PAE", "Physical Address Extension", false, 6},
    {"MSR", "Model Specific Registers", false, 5},
    {"TSC", "Time Stamp Counter", false, 4},
    {"PSE", "Page Size Extension", false, 3},
    {"DE", "Debugging Extension", false, 2},
    {"VME", "Virtual Mode Extension", false, 1},
    {"FPU", "Built-In FPU", false, 0},
};

struct TVendor {
  const char* Text;
  const char* Short;
  const char* Full;
};
const TVendor kVendors[] = {
    {"", "", ""},
    {"GenuineIntel", "Intel", "Intel Corporation"},
    {"AuthenticAMD", "AMD", "Advanced Micro Devices"},
    {"CyrixInstead", "Cyrix", "Cyrix Corporation"},
    {"CentaurHauls", "IDT", "IDT/Centaur"},
    {"NexGenDriven", "NexGen", "NexGen Inc."},
    {"UMC UMC UMC", "UMC", "United Microelectronics Corp"},
    {"RiseRiseRise", "Rise", "Rise Technology"},
};
constexpr int kVendorCount = static_cast<int>(sizeof kVendors / sizeof kVendors[0]);

bool Bit(uint32_t v, int bit) { return (v >> bit) & 1u; }

// The descriptor bytes of one register, or none when bit 31 says the register holds none.
void ForEachDescriptor(uint32_t reg, bool skipLowByte, auto&& f) {
  if (reg & 0x80000000u) return;
  for (int i = skipLowByte ? 1 : 0; i < 4; ++i) f(static_cast<uint8_t>(reg >> (8 * i)));
}

int IntelLevel2(uint8_t d) {
  switch (d) {
    case 0x41: return 128;
    case 0x42: return 256;
    case 0x43: return 512;
    case 0x44: return 1024;
    case 0x45: return 2048;
    case 0x82: return 256;
    case 0x83: return 512;
    case 0x84: return 1024;
    case 0x85: return 2048;
    default: return -1;  // 0x40 too: "no second-level cache" only says what the others say
  }
}

TCpuName Row(const char* name, const char* code, int transistors, bool known = true) {
  TCpuName n;
  n.Name = name;
  n.CodeName = code;
  n.Transistors = transistors;
  n.Known = known;
  return n;
}

TCpuName IntelName(const TCpuNameKey& k) {
  const int m = k.Model;
  switch (k.Family) {
    case 4:
      switch (m) {
        case 0:
        case 1: return Row("i80486DX", "P4", 1250000);
        case 2: return Row("i80486SX", "P23", 900000);
        case 3: return Row("i80486DX2", "P24", 1250000);
        case 4: return Row("i80486SL", "P23", 900000);
        case 5: return Row("i80486SX2", "P23", 900000);
        case 7: return Row("i80486DX2WB", "P24", 1250000);
        case 8: return Row("i80486DX4", "P24C", 1600000);
        case 9: return Row("i80486DX4WB", "P24C", 1600000);
        default: return {};
      }
    case 5:
      switch (m) {
        case 0: return Row("Pentium", "P5 (0,80\xB5m)", 3100000);
        case 1:
        case 2: return Row("Pentium", "P54C (0,50\xB5m)", 3100000);
        case 3: return Row("Pentium", "P24T", 0);
        case 4: return Row("Pentium MMX", "P55C (0,28\xB5m)", 4500000);
        case 5: return Row("DX4", "", 0);
        case 6: return Row("Pentium", "P5", 0);
        case 7: return Row("Pentium", "P54C (0,35\xB5m)", 3100000);
        case 8: return Row("Pentium MMX (mobile)", "Tillamook (0,25\xB5m)", 4500000);
        default: return Row("Pentium", "", 0, false);
      }
    case 6:
      switch (m) {
        case 0: return Row("Pentium Pro", "P6 (0.50 \xB5m)", 5500000);
        case 1: return Row("Pentium Pro", "P6 (0.35 \xB5m)", 5500000);
        case 3:
          return Row(k.Type == 1 ? "Pentium II OverDrive" : "Pentium II", "Klamath (0.35 \xB5m)",
                     7500000);
        case 4: return Row("Pentium II", "P55CT (P54 OverDrive)", 3100000);
        case 5:
          if (k.Level2 > 512) return Row("Pentium II Xeon", "Deschutes (0.25 \xB5m)", 7500000);
          if (k.Level2 == 0) return Row("Celeron", "Covington (0,25\xB5m)", 7500000);
          return Row("Pentium II", "Deschutes (0,25\xB5m)", 7500000);
        case 6:
          if (k.Level2 < 256) return Row("Celeron A", "Mendocino (0.25 \xB5m)", 19000000);
          return Row("Pentium II PE (mobile)", "Dixon (0.25 \xB5m)", 27400000);
        case 7:
          if (k.Level2 > 512) return Row("Pentium III Xeon", "Tanner (0.25 \xB5m)", 9500000);
          return Row("Pentium III", "Katmai (0.25 \xB5m)", 9500000);
        case 8: return Row("Pentium III E", "Coppermine (0.18 \xB5m)", 28100000);
        default: return Row("Pentium II", "", 0, false);
      }
    case 7:
    case 8:
      switch (k.Brand) {
        case 1: return Row("Celeron", "", 0);
        case 3: return Row("Pentium III Xeon", "", 0);
        case 4: return Row("Pentium IV", "", 0);
        default: return Row(k.Level2 >= 1024 ? "Pentium III Xeon" : "Pentium III", "", 0);
      }
    case 10: return Row("Pentium III Xeon", "", 0);
    case 15: return Row("Pentium IV", "", 0);
    default: return {};
  }
}

TCpuName AmdName(const TCpuNameKey& k) {
  const int m = k.Model;
  switch (k.Family) {
    case 4:
      switch (m) {
        case 0: return Row("Am486DX", "P4", 1250000);
        case 3:
        case 7: return Row("Am486DX2", "P24", 1250000);
        case 8:
        case 9: return Row("Am486DX4", "P24C", 1250000);
        case 14:
        case 15: return Row("Am5x86", "X5", 1600000);
        default: return {};
      }
    case 5:
      switch (m) {
        case 0: return Row("K5", "SSA5 (0.50-0.35 \xB5m)", 4300000);
        case 1:
        case 2:
        case 3: return Row("K5-5k86 (PR120, PR133)", "5k86 (0.35 \xB5m)", 4300000);
        case 6: return Row("K6", "K6 (0.30 \xB5m)", 8800000);
        case 7: return Row("K6", "Little Foot (0.25 \xB5m)", 8800000);
        case 8: return Row("K6-II", "Chomper (0.25 \xB5m)", 9300000);
        case 9: return Row("K6-III", "Slarptooth (0.25 \xB5m)", 21300000);
        case 13: return Row("K6-II+/K6-III+", "", 0);
        default: return {};
      }
    case 6: return Row("K7", "Athlon (0.25-0.18 \xB5m)", 22000000);
    default: return {};
  }
}

TCpuName CyrixName(const TCpuNameKey& k) {
  const int m = k.Model, f = k.Frequency;
  if (k.Family == 4) {
    if (m == 0) {
      if (f == 20 || f == 66) return Row("Cx486SLC/DLC", "M0.5", 600000);
      if (f == 33 || f == 50) return Row("Cx486S", "M0.6", 600000);
      if (f > 66) return Row("Cx486DX/DX2/DX4", "M0.7", 1100000);
      return {};
    }
    if (m == 4) return Row("Media GX", "Gx86", 24000000);
    if (m == 9) return Row("5x86", "M0.9 or M1sc (0.65 \xB5m)", 20000000);
  } else if (k.Family == 5) {
    if (m == 2) return Row("6x86 and 6x86L", "M1 (0.65 \xB5m) and M1L (0.35 \xB5m)", 30000000);
    if (m == 4) return Row("MediaGXm", "GXm", 24000000);
  } else if (k.Family == 6) {
    if (m == 0) {
      if (f >= 225) return Row("M-II (PR300-433)", "M2 (0.35-0.25 \xB5m)", 65000000);
      return Row("6x86MX (PR166-266)", "M2 (0.35 \xB5m)", 65000000);
    }
    if (m == 5) return Row("VIA Cyrix III", "", 0);
  }
  return {};
}

TCpuName OtherName(const TCpuNameKey& k) {
  const int m = k.Model;
  switch (k.Vendor) {
    case cvIDT:
      if (k.Family != 5) return {};
      if (m == 4) return Row("WinChip", "C6 (0.35 \xB5m)", 54000000);
      if (m == 8) return Row("WinChip 2x", "W2x (0.35-0.25 \xB5m)", 59000000);
      if (m == 9) return Row("WinChip 3", "W3 (0.25 \xB5m)", 90000000);
      return {};
    case cvNexGen:
      if (k.Family != 5) return {};
      if (m == 0) return Row("Nx586", "Nx5x86 (0.50-0.44 \xB5m)", 35000000);
      if (m == 6) return Row("Nx686", "HA (0,50\xB5m)", 60000000);
      return {};
    case cvUMC: {
      if (k.Family != 4) return {};
      static const char* const names[] = {"", "U5D", "U5S", "U486DX2", "U486SX2"};
      const char* name = m >= 1 && m <= 4 ? names[m] : "";
      return Row(name, "U5D and U5S", 12000000);
    }
    case cvRise:
      if (k.Family == 4 && (m == 0 || m == 2)) return Row("mP6", "mP6 (0.25-0.18 \xB5m)", 36000000);
      return {};
    default: return {};
  }
}

std::string Hex8Grouped(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04X-%04X", static_cast<unsigned>(v >> 16),
                static_cast<unsigned>(v & 0xFFFF));
  return buf;
}

void AppendRegs(std::string& s, const TCpuidRegs& r) {
  const uint32_t regs[4] = {r.Eax, r.Ebx, r.Ecx, r.Edx};
  for (uint32_t v : regs)
    for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
}

// Restores the thread's priority however a pass ends.
class TPriorityScope {
 public:
  explicit TPriorityScope(TCpuProbe& p) : FProbe(p), FRaised(p.RaisePriority(FSaved)) {}
  ~TPriorityScope() {
    if (FRaised) FProbe.RestorePriority(FSaved);
  }
  TPriorityScope(const TPriorityScope&) = delete;
  TPriorityScope& operator=(const TPriorityScope&) = delete;

 private:
  TCpuProbe& FProbe;
  int FSaved = 0;
  bool FRaised;
};

// A counter that does not advance must not hang the window thread. A pass of a millisecond
// takes some 50,000 reads of today's counters and a few hundred of the old timer chip's.
constexpr long kMaxReadsPerWait = 2000000;

// Reads the counter and the time stamp until the counter has advanced by ticks from start.
// False when it never did.
bool WaitTicks(TCpuProbe& p, int64_t start, int64_t ticks, int64_t& now, uint64_t& stamp) {
  for (long i = 0; i < kMaxReadsPerWait; ++i) {
    now = p.Counter();
    stamp = p.TimeStamp();
    if (now - start >= ticks) return true;
  }
  return false;
}
}  // namespace

const char* CpuFeatureName(TCpuFeature f) { return f < cfCount ? kFeatures[f].Name : ""; }
const char* CpuFeatureLabel(TCpuFeature f) { return f < cfCount ? kFeatures[f].Label : ""; }

uint32_t DecodeCpuFeatures(uint32_t leaf1Edx, bool hasExtended, uint32_t extEdx) {
  if (!hasExtended) extEdx = 0;
  uint32_t set = 0;
  for (int f = 0; f < cfCount; ++f) {
    const TFeatureInfo& info = kFeatures[f];
    bool on = Bit(info.Extended ? extEdx : leaf1Edx, info.Bit);
    if (f == cfExMMX) on = on || Bit(extEdx, 24);
    if (on) set |= 1u << f;
  }
  return set;
}

TCacheSizes DecodeIntelCache(const TCpuidRegs& r) {
  TCacheSizes c;
  int level2 = -1;
  auto visit = [&](uint8_t d) {
    if (int size = IntelLevel2(d); size >= 0) level2 = size;
    switch (d) {
      case 0x0A: c.L1Data = 8; break;
      case 0x0C: c.L1Data = 16; break;
      case 0x06: c.L1Code = 8; break;
      case 0x08: c.L1Code = 16; break;
      case 0x80: c.Level1 = 16; break;
      default: break;
    }
  };
  // The low byte of EAX is the number of times to ask, not a descriptor.
  ForEachDescriptor(r.Eax, true, visit);
  ForEachDescriptor(r.Ebx, false, visit);
  ForEachDescriptor(r.Ecx, false, visit);
  ForEachDescriptor(r.Edx, false, visit);
  c.Level2 = level2 > 0 ? level2 : 0;
  return c;
}

TCacheSizes DecodeAmdCache(const TCpuidRegs& r) {
  TCacheSizes c;
  c.L1Data = static_cast<int>(r.Ecx >> 24);
  c.L1Code = static_cast<int>(r.Edx >> 24);
  c.Level1 = c.L1Data + c.L1Code;
  return c;
}

TCacheSizes DecodeCyrixCache(const TCpuidRegs& r) {
  TCacheSizes c;
  for (int i = 0; i < 4; ++i)
    if (static_cast<uint8_t>(r.Ecx >> (8 * i)) == 0x80) c.Level1 = 16;
  return c;
}

int CpuVendorIndex(const std::string& vendorText) {
  std::string t = vendorText;
  while (!t.empty() && (t.back() == ' ' || t.back() == '\0')) t.pop_back();
  for (int i = 1; i < kVendorCount; ++i)
    if (t == kVendors[i].Text) return i;
  return cvUnknown;
}

const char* CpuVendorShortName(int index) {
  return index > 0 && index < kVendorCount ? kVendors[index].Short : "";
}

const char* CpuVendorFullName(int index) {
  return index > 0 && index < kVendorCount ? kVendors[index].Full : "";
}

TCpuName LookupCpuName(const TCpuNameKey& k) {
  TCpuName n;
  switch (k.Vendor) {
    case cvIntel: n = IntelName(k); break;
    case cvAMD: n = AmdName(k); break;
    case cvCyrix: n = CyrixName(k); break;
    default: n = OtherName(k); break;
  }
  if (k.ExtFamily != 0 || k.ExtModel != 0) n.Known = false;
  return n;
}

std::string CpuSerialText(uint32_t leaf1Eax, uint32_t leaf3Edx, uint32_t leaf3Ecx) {
  return Hex8Grouped(leaf1Eax) + "-" + Hex8Grouped(leaf3Edx) + "-" + Hex8Grouped(leaf3Ecx);
}

std::string CpuBrandString(const TCpuidRegs& a, const TCpuidRegs& b, const TCpuidRegs& c) {
  std::string s;
  AppendRegs(s, a);
  AppendRegs(s, b);
  AppendRegs(s, c);
  s.resize(std::strlen(s.c_str()));
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

bool FdivFlawed() {
  // volatile: the compiler must not work the division out itself.
  volatile double x = 4195835.0, y = 3145727.0;
  const long double lx = x, ly = y;
  volatile long double r = ly * (lx / ly) - lx;
  return r != 0;
}

TCpuIdentity IdentifyCpu(TCpuProbe& p) {
  TCpuIdentity id;
  if (!p.HasCpuid()) return id;
  id.HasCpuid = true;

  const TCpuidRegs r0 = p.Cpuid(0);
  id.MaxLeaf = r0.Eax;
  char vendor[12];
  std::memcpy(vendor, &r0.Ebx, 4);
  std::memcpy(vendor + 4, &r0.Edx, 4);
  std::memcpy(vendor + 8, &r0.Ecx, 4);
  id.VendorText.assign(vendor, 12);
  id.VendorIndex = CpuVendorIndex(id.VendorText);

  TCpuidRegs r1;
  if (id.MaxLeaf >= 1) {
    r1 = p.Cpuid(1);
    id.Stepping = static_cast<int>(r1.Eax & 0xF);
    id.Model = static_cast<int>((r1.Eax >> 4) & 0xF);
    id.Family = static_cast<int>((r1.Eax >> 8) & 0xF);
    id.Type = static_cast<int>((r1.Eax >> 12) & 0x3);
    id.ExtModel = static_cast<int>((r1.Eax >> 16) & 0xF);
    id.ExtFamily = static_cast<int>((r1.Eax >> 20) & 0xFF);
    id.Brand = static_cast<int>(r1.Ebx & 0xFF);
  }

  // Processors without the extended range answer a leaf above their highest with the data of
  // some other leaf; only an answer inside the range says the range exists.
  const uint32_t maxExt = p.Cpuid(0x80000000u).Eax;
  id.MaxExtLeaf = (maxExt & 0xFFFF0000u) == 0x80000000u ? maxExt : 0;
  TCpuidRegs ext1;
  const bool hasExt1 = id.MaxExtLeaf >= 0x80000001u;
  if (hasExt1) ext1 = p.Cpuid(0x80000001u);
  id.Features = DecodeCpuFeatures(r1.Edx, hasExt1, ext1.Edx);
  id.FeatureRegs = id.MaxLeaf >= 1 ? r1 : hasExt1 ? ext1 : r0;

  if (id.Has(cfSerial) && id.MaxLeaf >= 3) {
    const TCpuidRegs r3 = p.Cpuid(3);
    id.Serial = CpuSerialText(r1.Eax, r3.Edx, r3.Ecx);
  }
  if (id.MaxExtLeaf >= 0x80000004u)
    id.BrandString = CpuBrandString(p.Cpuid(0x80000002u), p.Cpuid(0x80000003u),
                                    p.Cpuid(0x80000004u));

  if (id.VendorIndex == cvIntel && id.MaxLeaf >= 2) {
    TCpuidRegs r2 = p.Cpuid(2);
    const int times = static_cast<int>(r2.Eax & 0xFF);
    if (times > 0) {
      for (int i = 1; i < times; ++i) r2 = p.Cpuid(2);
      id.CacheRegs = r2;
      id.Cache = DecodeIntelCache(r2);
    }
  } else if ((id.VendorIndex == cvAMD || id.VendorIndex == cvCyrix) &&
             id.MaxExtLeaf >= 0x80000005u) {
    id.CacheRegs = p.Cpuid(0x80000005u);
    id.Cache = id.VendorIndex == cvAMD ? DecodeAmdCache(id.CacheRegs)
                                       : DecodeCyrixCache(id.CacheRegs);
  }
  return id;
}

uint64_t RoundDiv(uint64_t x, uint64_t y) {
  if (y == 0) return 0;
  const uint64_t q = x / y, r = x % y;
  // Compare 2r with y without overflowing: r > y - r.
  if (r > y - r || (r == y - r && (q & 1))) return q + 1;
  return q;
}

int SnapFrequency(int mhz) {
  if (mhz <= 0) return mhz;
  static const int steps[] = {0, 20, 33, 50, 60, 66, 80, 90, 100};
  const int r = mhz % 100;
  int i = 1;
  while (steps[i] <= r) ++i;  // r < 100, so this stops at the last entry at the latest
  const int lower = steps[i - 1], upper = steps[i];
  const int to = r - lower < upper - r ? lower : upper;
  return mhz - r + to;
}

TClockResult ClockFromTotals(uint64_t cycles, uint64_t micros) {
  TClockResult c;
  c.Cycles = cycles;
  c.Micros = micros;
  if (micros == 0) return c;
  int64_t tenths = static_cast<int64_t>(RoundDiv(10 * cycles, micros));
  if (static_cast<int64_t>(RoundDiv(100 * cycles, micros)) - 10 * tenths > 5) ++tenths;
  const int64_t raw = static_cast<int64_t>(RoundDiv(cycles, micros));
  int64_t snapped = raw;
  if (tenths - 10 * raw > 5) ++snapped;
  c.Raw = static_cast<int>(raw);
  c.Snapped = SnapFrequency(static_cast<int>(snapped));
  return c;
}

TClockResult MeasureClock(TCpuProbe& p) {
  int64_t freq = 0;
  if (!p.CounterFrequency(freq) || freq <= 0) return {};
  // At least 50 and 1000 ticks as on the classic 1.19 MHz counter, and at least 50 us and 1 ms
  // in time: a counter running at processor speed passes 1000 ticks in well under a
  // microsecond, too short to measure.
  const int64_t settle = freq / 20000 > 50 ? freq / 20000 : 50;
  const int64_t length = (freq + 999) / 1000 > 1000 ? (freq + 999) / 1000 : 1000;

  uint64_t totalCycles = 0, totalMicros = 0;
  int64_t last[3] = {0, 0, 0};
  int counted = 0;
  for (int pass = 0; pass < 20; ++pass) {
    int64_t t0, t1;
    uint64_t start, end;
    {
      TPriorityScope priority(p);
      const int64_t begin = p.Counter();
      if (!WaitTicks(p, begin, settle, t0, start) || !WaitTicks(p, t0, length, t1, end)) break;
    }
    const uint64_t micros =
        RoundDiv(static_cast<uint64_t>(t1 - t0) * 1000000u, static_cast<uint64_t>(freq));
    if (micros == 0) continue;
    const uint64_t cycles = end - start;
    totalCycles += cycles;
    totalMicros += micros;
    last[0] = last[1];
    last[1] = last[2];
    last[2] = static_cast<int64_t>(RoundDiv(cycles, micros));
    if (++counted < 3) continue;
    const int64_t sum = last[0] + last[1] + last[2];
    bool agree = true;
    for (int64_t r : last) {
      const int64_t d = 3 * r - sum;
      if (d > 3 || d < -3) agree = false;
    }
    if (agree) break;
  }
  TClockResult c = ClockFromTotals(totalCycles, totalMicros);
  c.Passes = counted;
  return c;
}
