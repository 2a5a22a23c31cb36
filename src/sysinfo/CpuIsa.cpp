#include "sysinfo/CpuIsa.h"

namespace {
enum TReg : uint8_t { rLeaf1Ecx, rLeaf1Edx, rLeaf7Ebx, rLeaf7Ecx, rLeaf7Edx, rLeaf7Sub1Eax, rExt1Ecx, rExt1Edx };
// The register state a set works on, which the system must save for programs to use it.
enum TState : uint8_t { stNone, stAvx, stAvx512, stAmx };

struct TIsaInfo {
  const char* Name;
  TReg Reg;
  uint8_t Bit;
  TState State;
};
const TIsaInfo kIsa[isCount] = {
    {"SSE", rLeaf1Edx, 25, stNone},         {"SSE2", rLeaf1Edx, 26, stNone},
    {"SSE3", rLeaf1Ecx, 0, stNone},         {"SSSE3", rLeaf1Ecx, 9, stNone},
    {"SSE4.1", rLeaf1Ecx, 19, stNone},      {"SSE4.2", rLeaf1Ecx, 20, stNone},
    {"SSE4a", rExt1Ecx, 6, stNone},         {"POPCNT", rLeaf1Ecx, 23, stNone},
    {"AES", rLeaf1Ecx, 25, stNone},         {"PCLMULQDQ", rLeaf1Ecx, 1, stNone},
    {"AVX", rLeaf1Ecx, 28, stAvx},          {"F16C", rLeaf1Ecx, 29, stAvx},
    {"FMA3", rLeaf1Ecx, 12, stAvx},         {"FMA4", rExt1Ecx, 16, stAvx},
    {"AVX2", rLeaf7Ebx, 5, stAvx},          {"BMI1", rLeaf7Ebx, 3, stNone},
    {"BMI2", rLeaf7Ebx, 8, stNone},         {"ADX", rLeaf7Ebx, 19, stNone},
    {"SHA", rLeaf7Ebx, 29, stNone},         {"AVX-512F", rLeaf7Ebx, 16, stAvx512},
    {"AVX-512CD", rLeaf7Ebx, 28, stAvx512}, {"AVX-512BW", rLeaf7Ebx, 30, stAvx512},
    {"AVX-512DQ", rLeaf7Ebx, 17, stAvx512}, {"AVX-512VL", rLeaf7Ebx, 31, stAvx512},
    {"AVX-512VNNI", rLeaf7Ecx, 11, stAvx512}, {"AVX-512BF16", rLeaf7Sub1Eax, 5, stAvx512},
    {"AVX-512FP16", rLeaf7Edx, 23, stAvx512}, {"AVX-VNNI", rLeaf7Sub1Eax, 4, stAvx},
    {"AMX", rLeaf7Edx, 24, stAmx},          {"RDRAND", rLeaf1Ecx, 30, stNone},
    {"RDSEED", rLeaf7Ebx, 18, stNone},      {"x86-64", rExt1Edx, 29, stNone},
    {"NX", rExt1Edx, 20, stNone},           {"VT-x", rLeaf1Ecx, 5, stNone},
    {"AMD-V", rExt1Ecx, 2, stNone},
};

uint32_t Reg(const TCpuIsaRegs& r, TReg which) {
  switch (which) {
    case rLeaf1Ecx: return r.Leaf1.Ecx;
    case rLeaf1Edx: return r.Leaf1.Edx;
    case rLeaf7Ebx: return r.Leaf7.Ebx;
    case rLeaf7Ecx: return r.Leaf7.Ecx;
    case rLeaf7Edx: return r.Leaf7.Edx;
    case rLeaf7Sub1Eax: return r.Leaf7Sub1.Eax;
    case rExt1Ecx: return r.Ext1.Ecx;
    default: return r.Ext1.Edx;
  }
}

bool Bit(uint32_t v, int bit) { return (v >> bit) & 1u; }

constexpr uint64_t kXcr0Avx = 0x6;          // SSE and the upper halves of the YMM registers
constexpr uint64_t kXcr0Avx512 = 0xE0;      // opmasks, upper ZMM halves, ZMM16-31
constexpr uint64_t kXcr0Amx = 0x60000;      // tile configuration and tile data
}  // namespace

const char* CpuIsaName(TCpuIsa i) { return i >= 0 && i < isCount ? kIsa[i].Name : ""; }

TCpuIsaSet DecodeCpuIsa(const TCpuIsaRegs& r) {
  // Without OSXSAVE the system saves no extended state, and XGETBV would not even run.
  const bool osxsave = Bit(r.Leaf1.Ecx, 27);
  const uint64_t xcr0 = osxsave ? r.Xcr0 : 0;
  const bool avx = (xcr0 & kXcr0Avx) == kXcr0Avx;
  const bool states[] = {true, avx, avx && (xcr0 & kXcr0Avx512) == kXcr0Avx512,
                         (xcr0 & kXcr0Amx) == kXcr0Amx};
  TCpuIsaSet s;
  for (int i = 0; i < isCount; ++i) {
    const TIsaInfo& info = kIsa[i];
    if (!Bit(Reg(r, info.Reg), info.Bit)) continue;
    s.Present |= uint64_t{1} << i;
    if (states[info.State]) s.Usable |= uint64_t{1} << i;
  }

  // The levels of the x86-64 psABI. SYSCALL is left out of the first: Intel processors
  // report it only to 64-bit code, and this program runs as 32-bit code.
  if (!s.Has(isX86_64)) return s;
  const uint32_t e1 = r.Leaf1.Edx;
  const bool v1 = Bit(e1, 0) && Bit(e1, 8) && Bit(e1, 15) && Bit(e1, 23) && Bit(e1, 24) &&
                  s.Has(isSSE) && s.Has(isSSE2);
  if (!v1) return s;
  s.Level = 1;
  const bool cx16 = Bit(r.Leaf1.Ecx, 13), lahf = Bit(r.Ext1.Ecx, 0);
  if (!(cx16 && lahf && s.Has(isPOPCNT) && s.Has(isSSE3) && s.Has(isSSSE3) && s.Has(isSSE41) &&
        s.Has(isSSE42)))
    return s;
  s.Level = 2;
  const bool movbe = Bit(r.Leaf1.Ecx, 22), lzcnt = Bit(r.Ext1.Ecx, 5);
  if (!(movbe && lzcnt && s.Has(isAVX) && s.Has(isAVX2) && s.Has(isBMI1) && s.Has(isBMI2) &&
        s.Has(isF16C) && s.Has(isFMA3)))
    return s;
  s.Level = 3;
  if (s.Has(isAVX512F) && s.Has(isAVX512BW) && s.Has(isAVX512CD) && s.Has(isAVX512DQ) &&
      s.Has(isAVX512VL))
    s.Level = 4;
  return s;
}

std::vector<TCpuIsaItem> CpuIsaItems(const TCpuIsaSet& s) {
  std::vector<TCpuIsaItem> items;
  for (int i = 0; i < isCount; ++i) {
    const auto set = static_cast<TCpuIsa>(i);
    items.push_back({std::string(kIsa[i].Name) + (s.Withheld(set) ? "*" : ""), s.Has(set)});
  }
  return items;
}

std::string CpuIsaCaption(const TCpuIsaSet& s) {
  std::string text = "Instruction sets";
  if (s.Level > 0) text += ", x86-64 level " + std::to_string(s.Level);
  if (s.Present & ~s.Usable) text += " (* not enabled by the system)";
  return text;
}
