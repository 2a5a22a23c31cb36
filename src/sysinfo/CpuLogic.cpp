#include "sysinfo/CpuLogic.h"
#include <climits>
#include <cstdio>
#include <cstring>
#include "sysinfo/CpuNames.h"

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
    {"EX_MMX", "Enhanced MMX extensions", true, 22},  // Cyrix and NSC: bit 24 as well
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
  const char* Short;
  const char* Full;
};
const TVendor kVendors[cvVendorCount] = {
    {"", ""},
    {"Intel", "Intel Corporation"},
    {"AMD", "Advanced Micro Devices"},
    {"Cyrix", "Cyrix Corporation"},
    {"IDT", "IDT/Centaur"},
    {"NexGen", "NexGen Inc."},
    {"UMC", "United Microelectronics Corp"},
    {"Rise", "Rise Technology"},
    {"VIA", "VIA Technologies"},
    {"Transmeta", "Transmeta Corporation"},
    {"NSC", "National Semiconductor"},
    {"SiS", "Silicon Integrated Systems"},
    {"Hygon", "Hygon Information Technology"},
    {"Zhaoxin", "Shanghai Zhaoxin Semiconductor"},
};
// Leaf 0's texts without the blanks around them.
const struct {
  const char* Text;
  int Index;
} kVendorTexts[] = {
    {"GenuineIntel", cvIntel},      {"AuthenticAMD", cvAMD},     {"AMDisbetter!", cvAMD},
    {"CyrixInstead", cvCyrix},      {"CentaurHauls", cvIDT},     {"NexGenDriven", cvNexGen},
    {"UMC UMC UMC", cvUMC},         {"RiseRiseRise", cvRise},    {"VIA VIA VIA", cvVIA},
    {"GenuineTMx86", cvTransmeta},  {"TransmetaCPU", cvTransmeta},
    {"Geode by NSC", cvNSC},        {"SiS SiS SiS", cvSiS},      {"HygonGenuine", cvHygon},
    {"Shanghai", cvZhaoxin},
};

bool Bit(uint32_t v, int bit) { return (v >> bit) & 1u; }

bool IsBlank(char c) { return c == ' ' || c == '\0'; }

std::string Trimmed(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// text holds word (any case) where a word starts, not followed by a letter or digit.
bool HasWord(const std::string& text, const std::string& word) {
  if (word.empty() || text.size() < word.size()) return false;
  for (size_t i = 0; i + word.size() <= text.size(); ++i) {
    if (i > 0 && IsAlnum(text[i - 1])) continue;
    size_t k = 0;
    while (k < word.size() && Lower(text[i + k]) == Lower(word[k])) ++k;
    if (k < word.size()) continue;
    if (i + k == text.size() || !IsAlnum(text[i + k])) return true;
  }
  return false;
}

// ---- Intel's leaf-2 descriptors (caches only; TLB and prefetch bytes are not listed) ----
enum TDescKind : uint8_t { dkData, dkCode, dkTrace, dkL2, dkL3, dkL2or3 };
struct TDescriptor {
  uint8_t Byte;
  TDescKind Kind;
  int Size;  // KB, or thousand micro-operations for the trace cache
};
const TDescriptor kDescriptors[] = {
    {0x06, dkCode, 8},      {0x08, dkCode, 16},     {0x09, dkCode, 32},
    {0x0A, dkData, 8},      {0x0C, dkData, 16},     {0x0D, dkData, 16},
    {0x0E, dkData, 24},     {0x10, dkData, 16},     {0x15, dkCode, 16},
    {0x1A, dkL2, 96},       {0x1D, dkL2, 128},      {0x21, dkL2, 256},
    {0x22, dkL3, 512},      {0x23, dkL3, 1024},     {0x24, dkL2, 1024},
    {0x25, dkL3, 2048},     {0x29, dkL3, 4096},     {0x2C, dkData, 32},
    {0x30, dkCode, 32},     {0x39, dkL2, 128},      {0x3A, dkL2, 192},
    {0x3B, dkL2, 128},      {0x3C, dkL2, 256},      {0x3D, dkL2, 384},
    {0x3E, dkL2, 512},      {0x3F, dkL2, 256},      {0x41, dkL2, 128},
    {0x42, dkL2, 256},      {0x43, dkL2, 512},      {0x44, dkL2, 1024},
    {0x45, dkL2, 2048},     {0x46, dkL3, 4096},     {0x47, dkL3, 8192},
    {0x48, dkL2, 3072},     {0x49, dkL2or3, 4096},  {0x4A, dkL3, 6144},
    {0x4B, dkL3, 8192},     {0x4C, dkL3, 12288},    {0x4D, dkL3, 16384},
    {0x4E, dkL2, 6144},     {0x60, dkData, 16},     {0x66, dkData, 8},
    {0x67, dkData, 16},     {0x68, dkData, 32},     {0x70, dkTrace, 12},
    {0x71, dkTrace, 16},    {0x72, dkTrace, 32},    {0x73, dkTrace, 64},
    {0x77, dkCode, 16},     {0x78, dkL2, 1024},     {0x79, dkL2, 128},
    {0x7A, dkL2, 256},      {0x7B, dkL2, 512},      {0x7C, dkL2, 1024},
    {0x7D, dkL2, 2048},     {0x7E, dkL2, 256},      {0x7F, dkL2, 512},
    {0x80, dkL2, 512},      {0x81, dkL2, 128},      {0x82, dkL2, 256},
    {0x83, dkL2, 512},      {0x84, dkL2, 1024},     {0x85, dkL2, 2048},
    {0x86, dkL2, 512},      {0x87, dkL2, 1024},     {0x88, dkL3, 2048},
    {0x89, dkL3, 4096},     {0x8A, dkL3, 8192},     {0x8D, dkL3, 3072},
    {0xD0, dkL3, 512},      {0xD1, dkL3, 1024},     {0xD2, dkL3, 2048},
    {0xD6, dkL3, 1024},     {0xD7, dkL3, 2048},     {0xD8, dkL3, 4096},
    {0xDC, dkL3, 1536},     {0xDD, dkL3, 3072},     {0xDE, dkL3, 6144},
    {0xE2, dkL3, 2048},     {0xE3, dkL3, 4096},     {0xE4, dkL3, 8192},
    {0xEA, dkL3, 12288},    {0xEB, dkL3, 18432},    {0xEC, dkL3, 24576},
};
constexpr uint8_t kNoFurtherLevel = 0x40;  // no level 2, or with one, no level 3
constexpr uint8_t kAskLeaf4 = 0xFF;

const TDescriptor* FindDescriptor(uint8_t b) {
  for (const TDescriptor& d : kDescriptors)
    if (d.Byte == b) return &d;
  return nullptr;
}

// The descriptor bytes of one register, or none when bit 31 says the register holds none.
void ForEachDescriptor(uint32_t reg, bool skipLowByte, auto&& f) {
  if (reg & 0x80000000u) return;
  for (int i = skipLowByte ? 1 : 0; i < 4; ++i) f(static_cast<uint8_t>(reg >> (8 * i)));
}

int ClampKB(uint64_t kb) { return kb > INT_MAX ? INT_MAX : static_cast<int>(kb); }

// ---- The name table ----
TCpuName Row(const char* name, const char* code, int64_t transistors) {
  TCpuName n;
  n.Name = name;
  n.CodeName = code;
  n.Transistors = transistors;
  return n;
}

// The Slot 2 Xeons of the Pentium II and III carried 1 or 2 MB of level 2 and no level 3. A
// virtual machine that names such a signature gives its own cache sizes (QEMU: 2 MB of level 2
// beside 16 MB of level 3), which tell nothing of the Xeon.
bool XeonCache(const TCpuNameKey& k) { return k.Level2 > 512 && k.Level3 == 0 && !k.Hypervisor; }

TCpuName IntelFamily6(const TCpuNameKey& k) {
  if (k.ExtModel != 0) return {};  // the era rows know no extended models
  const uint32_t sig = static_cast<uint32_t>(6 << 8 | k.Model << 4 | k.Stepping);
  const char* branded = IntelBrandName(k.Brand, sig);
  auto byBrand = [&](const char* otherwise) { return *branded ? branded : otherwise; };
  switch (k.Model) {
    case 0: return Row("Pentium Pro", "P6 (0.50 \xB5m)", 5500000);
    case 1: return Row("Pentium Pro", "P6 (0.35 \xB5m)", 5500000);
    case 3:
      // The OverDrive for Pentium Pro sockets is a Deschutes core at 0.25 um.
      if (k.Type == 1) return Row("Pentium II OverDrive", "P6T (0.25 \xB5m)", 7500000);
      return Row("Pentium II", "Klamath (0.35 \xB5m)", 7500000);
    case 4: return Row("Pentium II", "P55CT (P54 OverDrive)", 3100000);
    case 5:
      if (XeonCache(k)) return Row("Pentium II Xeon", "Deschutes (0.25 \xB5m)", 7500000);
      if (k.Level2 == 0) return Row("Celeron", "Covington (0,25\xB5m)", 7500000);
      return Row("Pentium II", "Deschutes (0,25\xB5m)", 7500000);
    case 6:
      if (k.Level2 < 256) return Row("Celeron A", "Mendocino (0.25 \xB5m)", 19000000);
      return Row("Pentium II PE (mobile)", "Dixon (0.25 \xB5m)", 27400000);
    case 7:
      if (XeonCache(k)) return Row("Pentium III Xeon", "Tanner (0.25 \xB5m)", 9500000);
      return Row("Pentium III", "Katmai (0.25 \xB5m)", 9500000);
    case 8:
      switch (k.Brand) {
        case 0:
        case 2:
        case 4: return Row("Pentium III E", "Coppermine (0.18 \xB5m)", 28100000);
        case 1:
        case 7: return Row(branded, "Coppermine-128 (0.18 \xB5m)", 28100000);
        case 3: return Row(branded, "Cascades (0.18 \xB5m)", 28100000);
        default: return Row(byBrand("Pentium III E"), "Coppermine (0.18 \xB5m)", 28100000);
      }
    case 9:
      return Row(k.Brand == 0x12 ? "Celeron M" : "Pentium M", "Banias (0.13 \xB5m)", 77000000);
    case 10:
      return Row(byBrand("Pentium III Xeon"), "Cascades (0.18 \xB5m)",
                 k.Level2 <= 256 ? 28100000 : k.Level2 == 2048 ? 140000000 : 0);
    case 11: return Row(byBrand("Pentium III"), "Tualatin (0.13 \xB5m)", 44000000);
    case 13:
      return Row(k.Brand == 0x12 ? "Celeron M" : "Pentium M", "Dothan (90 nm)", 140000000);
    default: return Row(branded, "", 0);
  }
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
        case 0:
        case 1: return Row("Pentium", "P5 (0,80\xB5m)", 3100000);  // 60 and 66 MHz
        case 2: return Row("Pentium", "P54C (0,50\xB5m)", 3100000);
        case 3: return Row("Pentium", "P24T", 0);
        case 4: return Row("Pentium MMX", "P55C (0,28\xB5m)", 4500000);
        case 5: return Row("DX4", "", 0);
        case 6: return Row("Pentium", "P5", 0);
        case 7: return Row("Pentium", "P54C (0,35\xB5m)", 3100000);
        case 8: return Row("Pentium MMX (mobile)", "Tillamook (0,25\xB5m)", 4500000);
        default: return Row("Pentium", "", 0);
      }
    case 6: return IntelFamily6(k);
    case 7: return Row("Itanium", "Merced (0.18 \xB5m)", 25400000);  // its IA-32 signature
    case 15: {
      if (k.ExtFamily != 0) return {};
      const char* branded = IntelBrandName(k.Brand, static_cast<uint32_t>(15 << 8 | m << 4 | k.Stepping));
      return Row(*branded ? branded : "Pentium 4", "", 0);
    }
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
        case 1: return Row("K5-5k86 (PR120, PR133)", "5k86 (0.35 \xB5m)", 4300000);
        case 2: return Row("K5-5k86 (PR150, PR166)", "5k86 (0.35 \xB5m)", 4300000);
        case 3: return Row("K5-5k86 (PR200)", "5k86 (0.35 \xB5m)", 4300000);
        case 6: return Row("K6", "K6 (0.30 \xB5m)", 8800000);
        case 7: return Row("K6", "Little Foot (0.25 \xB5m)", 8800000);
        case 8:
          if (k.Stepping >= 8) return Row("K6-II", "Chomper Extended (0.25 \xB5m)", 9300000);
          return Row("K6-II", "Chomper (0.25 \xB5m)", 9300000);
        case 9: return Row("K6-III", "Sharptooth (0.25 \xB5m)", 21300000);
        case 10: return Row("Geode GX/LX", "", 0);
        case 13:
          if (k.Level2 == 128) return Row("K6-II+", "K6-2+ (0.18 \xB5m)", 0);
          return Row("K6-III+", "K6-III+ (0.18 \xB5m)", 0);
        default: return {};
      }
    case 6:
      switch (m) {
        case 1: return Row("Athlon", "Argon (0.25 \xB5m)", 22000000);
        case 2: return Row("Athlon", "Pluto/Orion (0.18 \xB5m)", 22000000);
        case 3: return Row("Duron", "Spitfire (0.18 \xB5m)", 25000000);
        case 4: return Row("Athlon", "Thunderbird (0.18 \xB5m)", 37000000);
        case 6: return Row("Athlon XP", "Palomino (0.18 \xB5m)", 37500000);
        case 7: return Row("Duron", "Morgan (0.18 \xB5m)", 25200000);
        case 8:
          if (k.Level2 > 0 && k.Level2 <= 64) return Row("Duron", "Applebred (0.13 \xB5m)", 37200000);
          return Row("Athlon XP", "Thoroughbred (0.13 \xB5m)", 37200000);
        case 10:
          if (k.Level2 >= 512) return Row("Athlon XP", "Barton (0.13 \xB5m)", 54300000);
          return Row("Athlon XP", "Thorton (0.13 \xB5m)", 54300000);
        default: return Row("Athlon", "", 0);
      }
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
    if (m == 4) return Row("Media GX", "Gx86", 2400000);
    if (m == 9) return Row("5x86", "M0.9 or M1sc (0.65 \xB5m)", 2000000);
  } else if (k.Family == 5) {
    // Models 2 and 3 are the same 6x86, told apart by the clock multiplier.
    if (m == 2 || m == 3)
      return Row("6x86 and 6x86L", "M1 (0.65 \xB5m) and M1L (0.35 \xB5m)", 3000000);
    if (m == 4) return Row("MediaGXm", "GXm", 2400000);
  } else if (k.Family == 6) {
    if (m == 0) {
      if (f >= 225) return Row("M-II (PR300-433)", "M2 (0.35-0.25 \xB5m)", 6500000);
      return Row("6x86MX (PR166-266)", "M2 (0.35 \xB5m)", 6500000);
    }
    if (m == 5) return Row("VIA Cyrix III", "", 0);
  }
  return {};
}

TCpuName ViaName(const TCpuNameKey& k) {
  if (k.Family != 6 || k.ExtModel != 0) return {};
  const bool late = k.Stepping >= 8;
  switch (k.Model) {
    case 6: return Row("Cyrix III", "Samuel (0.18 \xB5m)", 11300000);
    case 7:
      if (late) return Row("C3", "Ezra (0.13 \xB5m)", 15400000);
      return Row("C3", "Samuel 2 (0.15 \xB5m)", 15200000);
    case 8: return Row("C3", "Ezra-T (0.13 \xB5m)", 0);
    case 9: return Row("C3", "Nehemiah (0.13 \xB5m)", 20400000);
    case 10:
    case 13: return Row("C7", "Esther (90 nm)", 0);
    case 15: return Row("Nano", "Isaiah (65 nm)", 0);
    default: return {};
  }
}

TCpuName OtherName(const TCpuNameKey& k) {
  const int m = k.Model;
  switch (k.Vendor) {
    case cvIDT:
      if (k.Family != 5) return {};
      if (m == 4) return Row("WinChip", "C6 (0.35 \xB5m)", 5400000);
      if (m == 8) {
        // The WinChip 2 by stepping: 2A from 7, 2B (0.25 um) from 10.
        if (k.Stepping >= 10) return Row("WinChip 2x", "W2B (0.25 \xB5m)", 5900000);
        if (k.Stepping >= 7) return Row("WinChip 2x", "W2A (0.35 \xB5m)", 5900000);
        return Row("WinChip 2x", "W2 (0.35 \xB5m)", 5900000);
      }
      if (m == 9) return Row("WinChip 3", "W3 (0.25 \xB5m)", 9000000);
      return {};
    case cvVIA: return ViaName(k);
    case cvNexGen:
      if (k.Family != 5) return {};
      if (m == 0) return Row("Nx586", "Nx5x86 (0.50-0.44 \xB5m)", 3500000);
      if (m == 6) return Row("Nx686", "HA (0,50\xB5m)", 6000000);
      return {};
    case cvUMC: {
      if (k.Family != 4) return {};
      static const char* const names[] = {"", "U5D", "U5S", "U486DX2", "U486SX2"};
      const char* name = m >= 1 && m <= 4 ? names[m] : "";
      return Row(name, "U5D and U5S", 1200000);
    }
    case cvRise:
      // The mP6 reports family 5.
      if (k.Family != 5) return {};
      if (m == 0) return Row("mP6", "Kirin (0.25 \xB5m)", 3600000);
      if (m == 2) return Row("mP6", "Lynx (0.18 \xB5m)", 3600000);
      return {};
    case cvSiS:
      if (k.Family == 5 && m == 0) return Row("SiS 550", "mP6", 0);  // a Rise core
      return {};
    case cvNSC:
      if (k.Family != 5) return {};
      if (m == 4) return Row("Geode GX1", "", 0);
      if (m == 5) return Row("Geode GX2", "", 0);
      return {};
    case cvTransmeta:
      if (k.Family == 5) return Row("Crusoe", "", 0);
      if (k.Family == 15 && k.ExtFamily == 0)
        return Row("Efficeon", m == 2 ? "Astro (0.13 \xB5m)" : "", 0);
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

int CpuVendorIndex(const std::string& vendorText) {
  const std::string t = Trimmed(vendorText);
  for (const auto& v : kVendorTexts)
    if (t == v.Text) return v.Index;
  return cvUnknown;
}

int RefineCpuVendor(int index, int family, const std::string& brandString) {
  if (index != cvIDT || family < 6) return index;
  return HasWord(Trimmed(brandString).substr(0, 7), "ZHAOXIN") ? cvZhaoxin : cvVIA;
}

const char* CpuVendorShortName(int index) {
  return index > 0 && index < cvVendorCount ? kVendors[index].Short : "";
}

const char* CpuVendorFullName(int index) {
  return index > 0 && index < cvVendorCount ? kVendors[index].Full : "";
}

TCpuSignature TCpuSignature::From(int vendor, uint32_t eax) {
  TCpuSignature s;
  s.Vendor = vendor;
  s.Stepping = static_cast<int>(eax & 0xF);
  s.Model = static_cast<int>((eax >> 4) & 0xF);
  s.Family = static_cast<int>((eax >> 8) & 0xF);
  s.Type = static_cast<int>((eax >> 12) & 0x3);
  s.ExtModel = static_cast<int>((eax >> 16) & 0xF);
  s.ExtFamily = static_cast<int>((eax >> 20) & 0xFF);
  return s;
}

int TCpuSignature::EffectiveFamily() const { return Family == 15 ? Family + ExtFamily : Family; }

int TCpuSignature::EffectiveModel() const {
  const bool amdRule = Vendor == cvAMD || Vendor == cvHygon;
  const bool extended = amdRule ? Family == 15 : Family >= 6;
  return extended ? Model + (ExtModel << 4) : Model;
}

uint32_t DecodeCpuFeatures(const TCpuSignature& sig, uint32_t leaf1Edx, bool hasExtended,
                           uint32_t extEdx) {
  if (!hasExtended) extEdx = 0;
  // The K5 model 0 has its global pages in bit 9, where later processors have the APIC.
  const bool k5Model0 = sig.Vendor == cvAMD && sig.Family == 5 && sig.Model == 0;
  // Intel: the Pentium Pro and the first Pentium II OverDrives set the SYSENTER bit without
  // having the instructions.
  const bool earlyP6 = sig.Vendor == cvIntel && sig.Family == 6 && sig.ExtModel == 0 &&
                       sig.ExtFamily == 0 && sig.Short() < 0x633;
  // Bit 24 of the extended register is Cyrix's extended MMX, but AMD's FXSR.
  const bool cyrixMmx = sig.Vendor == cvCyrix || sig.Vendor == cvNSC;
  uint32_t set = 0;
  for (int f = 0; f < cfCount; ++f) {
    const TFeatureInfo& info = kFeatures[f];
    bool on = Bit(info.Extended ? extEdx : leaf1Edx, info.Bit);
    switch (f) {
      case cfExMMX: on = on || (cyrixMmx && Bit(extEdx, 24)); break;
      case cfPGE: if (k5Model0) on = Bit(leaf1Edx, 9); break;
      case cfAPIC: if (k5Model0) on = false; break;
      case cfSEP: if (earlyP6) on = false; break;
      default: break;
    }
    if (on) set |= 1u << f;
  }
  return set;
}

void AddIntelDescriptors(const TCpuidRegs& r, int family, int model, TCacheSizes& c) {
  bool noFurther = false;
  auto visit = [&](uint8_t b) {
    if (b == kAskLeaf4) c.AskLeaf4 = true;
    if (b == kNoFurtherLevel) noFurther = true;
    const TDescriptor* d = FindDescriptor(b);
    if (!d) return;
    TDescKind kind = d->Kind;
    // 0x49 is the level 3 of the Xeon MP of family 15 model 6, and a level 2 elsewhere.
    if (kind == dkL2or3) kind = family == 15 && model == 6 ? dkL3 : dkL2;
    switch (kind) {
      case dkData: c.L1Data = d->Size, c.Known |= clL1Data; break;
      case dkCode: c.L1Code = d->Size, c.TraceCache = false, c.Known |= clL1Code; break;
      case dkTrace: c.L1Code = d->Size, c.TraceCache = true, c.Known |= clL1Code; break;
      case dkL2: c.Level2 = d->Size, c.Known |= clL2; break;
      default: c.Level3 = d->Size, c.Known |= clL3; break;
    }
  };
  ForEachDescriptor(r.Eax, true, visit);
  ForEachDescriptor(r.Ebx, false, visit);
  ForEachDescriptor(r.Ecx, false, visit);
  ForEachDescriptor(r.Edx, false, visit);
  if (noFurther) c.Known |= (c.Known & clL2) ? clL3 : clL2 | clL3;
}

bool AddDeterministicCache(const TCpuidRegs& r, unsigned want, TCacheSizes& c) {
  const unsigned type = r.Eax & 0x1F;
  if (type == 0) return false;
  const unsigned level = (r.Eax >> 5) & 0x7;
  unsigned bit = 0;
  if (level == 1)
    bit = type == 1 ? clL1Data : type == 2 ? clL1Code : type == 3 ? clL1Unified : 0u;
  else if (level == 2)
    bit = clL2;
  else if (level == 3)
    bit = clL3;
  if (!bit || !(want & bit) || (c.Known & bit)) return true;
  const uint64_t ways = (r.Ebx >> 22) + 1, partitions = ((r.Ebx >> 12) & 0x3FF) + 1,
                 line = (r.Ebx & 0xFFF) + 1, sets = static_cast<uint64_t>(r.Ecx) + 1;
  // At most 2^32 bytes per set times 2^32 sets: in KB that is at most 2^54.
  const uint64_t kb = ways * partitions * line / 1024 * sets +
                      ways * partitions * line % 1024 * sets / 1024;
  const int size = ClampKB(kb);
  c.Known |= bit;
  switch (bit) {
    case clL1Data: c.L1Data = size; break;
    case clL1Code: c.L1Code = size, c.TraceCache = false; break;
    case clL1Unified: c.Level1 = size; break;
    case clL2: c.Level2 = size; break;
    default: c.Level3 = size, c.L3Sharing = static_cast<int>((r.Eax >> 14) & 0xFFF) + 1; break;
  }
  return true;
}

TCacheSizes DecodeAmdCache(const TCpuSignature& sig, const TCpuidRegs& ext5, bool hasExt6,
                           const TCpuidRegs& ext6) {
  TCacheSizes c;
  c.L1Data = static_cast<int>(ext5.Ecx >> 24);
  c.L1Code = static_cast<int>(ext5.Edx >> 24);
  c.Known = clL1Data | clL1Code | clL1Unified;
  if (!hasExt6) return c;
  int level2 = static_cast<int>(ext6.Ecx >> 16);
  // The C3 of models 7 and 8 gives its level 2 in KB in the top byte.
  if (sig.Vendor == cvVIA && sig.Family == 6 && sig.ExtModel == 0 && (sig.Model == 7 || sig.Model == 8))
    level2 = static_cast<int>(ext6.Ecx >> 24);
  // The first Duron stepping reports 1 KB of its 64.
  if (sig.Vendor == cvAMD && sig.ExtFamily == 0 && sig.ExtModel == 0 && sig.Short() == 0x630 &&
      level2 == 1)
    level2 = 64;
  c.Level2 = level2;
  c.Known |= clL2;
  // AMD defined the level-3 field with family 16; before it the register is reserved.
  if (!(sig.Vendor == cvAMD && sig.EffectiveFamily() < 0x10)) {
    c.Level3 = static_cast<int>(ext6.Edx >> 18) * 512;
    c.Known |= clL3;
  }
  return c;
}

TCacheSizes DecodeCyrixCache(const TCpuidRegs& r) {
  TCacheSizes c;
  for (int i = 0; i < 4; ++i)
    if (static_cast<uint8_t>(r.Ecx >> (8 * i)) == 0x80) c.Level1 = 16, c.Known |= clL1Unified;
  return c;
}

const char* IntelBrandName(int brand, uint32_t signature) {
  switch (brand) {
    case 0x01:
    case 0x0A:
    case 0x14: return "Celeron";
    case 0x02:
    case 0x04: return "Pentium III";
    case 0x03: return signature == 0x6B1 ? "Celeron" : "Pentium III Xeon";
    case 0x06: return "Mobile Pentium III-M";
    case 0x07:
    case 0x0F:
    case 0x13:
    case 0x17: return "Mobile Celeron";
    case 0x08:
    case 0x09: return "Pentium 4";
    case 0x0B: return signature == 0xF13 ? "Xeon MP" : "Xeon";
    case 0x0C: return "Xeon MP";
    case 0x0E: return signature == 0xF13 ? "Xeon" : "Mobile Pentium 4-M";
    case 0x11:
    case 0x15: return "Mobile Genuine Intel";
    case 0x12: return "Celeron M";
    case 0x16: return "Pentium M";
    default: return "";
  }
}

TCpuName LookupCpuName(const TCpuNameKey& k) {
  TCpuName n;
  switch (k.Vendor) {
    case cvIntel: n = IntelName(k); break;
    case cvAMD: n = AmdName(k); break;
    case cvCyrix: n = CyrixName(k); break;
    default: n = OtherName(k); break;
  }
  TCpuCodeName since2000;
  if (n.CodeName.empty() && FindCpuCodeName(k, since2000)) {
    n.CodeName = since2000.Code;
    n.Transistors = since2000.Transistors;
  }
  if (IsGenericVirtualBrand(k.BrandString)) n.CodeName.clear(), n.Transistors = 0;
  return n;
}

std::string CpuBrandName(const std::string& brandString) {
  std::string s;
  for (char ch : brandString) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == 0) break;
    if (c < 0x20 || c > 0x7E) return {};  // a damaged string names nothing
    if (c == ' ' && (s.empty() || s.back() == ' ')) continue;
    s += ch;
  }
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

TCpuName NameCpu(const TCpuNameKey& key, bool hasCpuid, const std::string& vendorText,
                 const std::string& brandString) {
  if (!hasCpuid) return Row("x86 processor without CPUID", "", 0);
  TCpuName n = LookupCpuName(key);
  const std::string brand = CpuBrandName(brandString);
  if (!brand.empty()) {
    n.Name = brand;
  } else if (n.Name.empty()) {
    std::string vendor = CpuVendorShortName(key.Vendor);
    if (vendor.empty()) vendor = CpuBrandName(Trimmed(vendorText));
    if (vendor.empty()) vendor = "x86";
    TCpuSignature s;
    s.Vendor = key.Vendor, s.Family = key.Family, s.Model = key.Model;
    s.ExtFamily = key.ExtFamily, s.ExtModel = key.ExtModel;
    n.Name = vendor + " Family " + std::to_string(s.EffectiveFamily()) + " Model " +
             std::to_string(s.EffectiveModel());
  }
  return n;
}

std::string CpuHeadline(int packages, const std::string& vendor, const std::string& name, int mhz,
                        bool virtualMachine) {
  const std::string n = Trimmed(name);
  std::string who = Trimmed(vendor);
  if (!who.empty() && HasWord(n, who)) who.clear();
  if (!n.empty()) who = who.empty() ? n : who + " " + n;
  std::string line = packages > 1 ? std::to_string(packages) + " x " + who : who;
  line += " - " + std::to_string(mhz) + " MHz";
  if (virtualMachine) line += " (virtual)";
  return line;
}

std::string CpuHypervisorName(const std::string& vendorText) {
  static const struct {
    const char* Text;
    const char* Name;
  } kHypervisors[] = {
      {"KVMKVMKVM", "KVM"},           {"Linux KVM Hv", "KVM"},
      {"Microsoft Hv", "Microsoft Hyper-V"}, {"VMwareVMware", "VMware"},
      {"VBoxVBoxVBox", "VirtualBox"}, {"TCGTCGTCGTCG", "QEMU (TCG)"},
      {"XenVMMXenVMM", "Xen"},        {"prl hyperv", "Parallels"},
      {"lrpepyh  vr", "Parallels"},   {"bhyve bhyve", "bhyve"},
      {"ACRNACRNACRN", "ACRN"},       {"QNXQVMBSQG", "QNX Hypervisor"},
      {"HAXMHAXMHAXM", "Intel HAXM"}, {"Jailhouse", "Jailhouse"},
      {"OpenBSDVMM58", "OpenBSD vmm"}, {"UnisysSpar64", "Unisys s-Par"},
      {"SRESRESRESRE", "LMHS"},       {"EVMMEVMMEVMM", "Intel KGT"},
  };
  const std::string t = Trimmed(vendorText);
  for (const auto& h : kHypervisors)
    if (t == h.Text) return h.Name;
  const std::string own = CpuBrandName(t);
  return own.empty() ? "Unknown" : own;
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

namespace {
// Intel: leaf 2's descriptors, then leaf 4 for whatever level they left out.
void IntelCaches(TCpuProbe& p, TCpuIdentity& id) {
  TCacheSizes& c = id.Cache;
  const int family = id.Signature.EffectiveFamily(), model = id.Signature.EffectiveModel();
  if (id.MaxLeaf >= 2) {
    TCpuidRegs r = p.Cpuid(2, 0);
    const int times = static_cast<int>(r.Eax & 0xFF);
    for (int i = 0; i < times; ++i) {
      if (i > 0) r = p.Cpuid(2, 0);
      AddIntelDescriptors(r, family, model, c);
    }
    id.CacheRegs = r;
  }
  if (id.MaxLeaf >= 4) {
    // A split level 1 leaves no room for a unified one.
    if (c.Known & (clL1Data | clL1Code)) c.Known |= clL1Unified;
    // The level 3 comes from the deterministic list wherever it lists caches at all; one
    // without a level 3 says there is none.
    const bool listed = (p.Cpuid(4, 0).Eax & 0x1F) != 0;
    if (listed) c.Known &= ~clL3, c.Level3 = 0;
    const unsigned want = ~c.Known & (clL1Data | clL1Code | clL1Unified | clL2 | clL3);
    for (uint32_t sub = 0; want && sub < 32; ++sub)
      if (!AddDeterministicCache(p.Cpuid(4, sub), want, c)) break;
    if (listed) c.Known |= clL3;
  }
  // Intel gives the level 2 in 0x80000006 as AMD does: the last word where nothing else did.
  if (!(c.Known & clL2) && id.MaxExtLeaf >= 0x80000006u) {
    c.Level2 = static_cast<int>(p.Cpuid(0x80000006u, 0).Ecx >> 16);
    c.Known |= clL2;
  }
}

void ExtendedCaches(TCpuProbe& p, TCpuIdentity& id, bool cyrixLayout) {
  if (id.MaxExtLeaf < 0x80000005u) return;
  id.CacheRegs = p.Cpuid(0x80000005u, 0);
  if (cyrixLayout) {
    id.Cache = DecodeCyrixCache(id.CacheRegs);
    return;
  }
  const bool has6 = id.MaxExtLeaf >= 0x80000006u;
  id.Cache = DecodeAmdCache(id.Signature, id.CacheRegs, has6,
                            has6 ? p.Cpuid(0x80000006u, 0) : TCpuidRegs{});
  // With the topology extensions AMD lists its caches as Intel's leaf 4 does, and the level 3
  // is taken from there: 0x80000006 does not give it right on every Zen.
  const bool amdRules = id.VendorIndex == cvAMD || id.VendorIndex == cvHygon;
  if (!amdRules || !Bit(id.IsaRegs.Ext1.Ecx, 22) || id.MaxExtLeaf < 0x8000001Du) return;
  TCacheSizes listed;
  uint32_t sub = 0;
  while (sub < 32 && AddDeterministicCache(p.Cpuid(0x8000001Du, sub), clL3, listed)) ++sub;
  if (sub == 0) return;
  id.Cache.Level3 = listed.Level3;
  id.Cache.L3Sharing = listed.L3Sharing;
  id.Cache.Known |= clL3;
}
}  // namespace

TCpuIdentity IdentifyCpu(TCpuProbe& p) {
  TCpuIdentity id;
  if (!p.HasCpuid()) return id;
  id.HasCpuid = true;

  const TCpuidRegs r0 = p.Cpuid(0, 0);
  id.MaxLeaf = r0.Eax;
  char vendor[12];
  std::memcpy(vendor, &r0.Ebx, 4);
  std::memcpy(vendor + 4, &r0.Edx, 4);
  std::memcpy(vendor + 8, &r0.Ecx, 4);
  id.VendorText.assign(vendor, 12);
  const int byText = CpuVendorIndex(id.VendorText);

  TCpuidRegs r1;
  if (id.MaxLeaf >= 1) {
    r1 = p.Cpuid(1, 0);
    id.Brand = static_cast<int>(r1.Ebx & 0xFF);
  }

  // Processors without the extended range answer a leaf above their highest with the data of
  // some other leaf; only an answer inside the range says the range exists.
  const uint32_t maxExt = p.Cpuid(0x80000000u, 0).Eax;
  id.MaxExtLeaf = (maxExt & 0xFFFF0000u) == 0x80000000u ? maxExt : 0;
  TCpuidRegs ext1;
  const bool hasExt1 = id.MaxExtLeaf >= 0x80000001u;
  if (hasExt1) ext1 = p.Cpuid(0x80000001u, 0);
  if (id.MaxExtLeaf >= 0x80000004u)
    id.BrandString = CpuBrandString(p.Cpuid(0x80000002u, 0), p.Cpuid(0x80000003u, 0),
                                    p.Cpuid(0x80000004u, 0));

  id.VendorIndex = RefineCpuVendor(byText, static_cast<int>((r1.Eax >> 8) & 0xF), id.BrandString);
  id.Signature = TCpuSignature::From(id.VendorIndex, r1.Eax);
  id.Features = DecodeCpuFeatures(id.Signature, r1.Edx, hasExt1, ext1.Edx);
  id.FeatureRegs = id.MaxLeaf >= 1 ? r1 : hasExt1 ? ext1 : r0;

  if (id.Has(cfSerial) && id.MaxLeaf >= 3) {
    const TCpuidRegs r3 = p.Cpuid(3, 0);
    id.Serial = CpuSerialText(r1.Eax, r3.Edx, r3.Ecx);
  }

  TCpuIsaRegs& isa = id.IsaRegs;
  isa.Leaf1 = r1;
  isa.Ext1 = ext1;
  if (id.MaxLeaf >= 7) {
    isa.Leaf7 = p.Cpuid(7, 0);
    if (isa.Leaf7.Eax >= 1) isa.Leaf7Sub1 = p.Cpuid(7, 1);
  }
  // XGETBV is an illegal instruction until the system has turned XSAVE on.
  if (Bit(r1.Ecx, 27)) isa.Xcr0 = p.XGetBv(0);
  id.Isa = DecodeCpuIsa(isa);

  // The hypervisor range exists only where leaf 1 says a hypervisor is there; elsewhere
  // Intel's processors answer with the data of their highest basic leaf.
  if (Bit(r1.Ecx, 31)) {
    const TCpuidRegs h = p.Cpuid(0x40000000u, 0);
    char text[12];
    std::memcpy(text, &h.Ebx, 4);
    std::memcpy(text + 4, &h.Ecx, 4);
    std::memcpy(text + 8, &h.Edx, 4);
    id.Hypervisor = CpuHypervisorName(std::string(text, 12));
  }

  TCpuTopologyInput topo;
  topo.AmdRules = id.VendorIndex == cvAMD || id.VendorIndex == cvHygon;
  topo.Family = id.Signature.EffectiveFamily();
  topo.MaxLeaf = id.MaxLeaf;
  topo.MaxExtLeaf = id.MaxExtLeaf;
  topo.Leaf1 = r1;
  topo.Leaf7 = isa.Leaf7;
  topo.Ext1 = ext1;
  id.Topology = ReadLeafTopology(p, topo);

  switch (id.VendorIndex) {
    case cvIntel: IntelCaches(p, id); break;
    case cvAMD:
    case cvHygon:
    case cvIDT:
    case cvVIA:
    case cvZhaoxin:
    case cvTransmeta: ExtendedCaches(p, id, false); break;
    case cvCyrix: ExtendedCaches(p, id, true); break;
    // The GX1 is a Cyrix design; the later Geodes follow AMD.
    case cvNSC: ExtendedCaches(p, id, id.Signature.Family == 5 && id.Signature.Model == 4); break;
    default: break;
  }
  // A deterministic leaf describes one level 3; a package may have several (one per core
  // complex on Zen), and the report gives the package's.
  TCacheSizes& c = id.Cache;
  if (c.Level3 > 0 && c.L3Sharing > 0 && id.Topology.ThreadsPerPackage > c.L3Sharing) {
    c.L3Count = (id.Topology.ThreadsPerPackage + c.L3Sharing - 1) / c.L3Sharing;
    c.Level3 = ClampKB(static_cast<uint64_t>(c.Level3) * static_cast<uint64_t>(c.L3Count));
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
  // 75 too: a Pentium 75 or a K6-2 475 is not an 80 or a 480.
  static const int steps[] = {0, 20, 33, 50, 60, 66, 75, 80, 90, 100};
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
