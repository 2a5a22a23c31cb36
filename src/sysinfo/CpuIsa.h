// Instruction sets since the Pentium III, decoded from leaves 1, 7 (subleaves 0 and 1) and
// 0x80000001, and whether the system lets programs use them: AVX and everything on its
// registers need the system to save that state (OSXSAVE, then XCR0 by XGETBV).
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "sysinfo/CpuProbe.h"

// In the order of the report's lines and of the CPU page's list.
enum TCpuIsa {
  isSSE, isSSE2, isSSE3, isSSSE3, isSSE41, isSSE42, isSSE4a, isPOPCNT, isAES, isPCLMULQDQ,
  isAVX, isF16C, isFMA3, isFMA4, isAVX2, isBMI1, isBMI2, isADX, isSHA,
  isAVX512F, isAVX512CD, isAVX512BW, isAVX512DQ, isAVX512VL, isAVX512VNNI, isAVX512BF16,
  isAVX512FP16, isAVXVNNI, isAMX, isRDRAND, isRDSEED, isX86_64, isNX, isVTx, isAMDV,
  isCount
};
// "SSE4.2", "AVX-512F", "x86-64", "VT-x", ... as the report and the page write them.
const char* CpuIsaName(TCpuIsa i);

// The registers the sets are read from; a leaf the processor lacks stays all zero.
struct TCpuIsaRegs {
  TCpuidRegs Leaf1, Leaf7, Leaf7Sub1, Ext1;
  uint64_t Xcr0 = 0;  // what XGETBV answered; only read when leaf 1 has OSXSAVE
};

struct TCpuIsaSet {
  uint64_t Present = 0;  // the processor has it
  uint64_t Usable = 0;   // and programs may use it
  int Level = 0;         // x86-64 microarchitecture level 1..4, 0 on a 32-bit processor
  bool Has(TCpuIsa i) const { return (Usable >> i) & 1u; }
  // The processor has it but the system has not turned on the state it needs.
  bool Withheld(TCpuIsa i) const { return ((Present & ~Usable) >> i) & 1u; }
};
TCpuIsaSet DecodeCpuIsa(const TCpuIsaRegs& r);

// The CPU page's list: one item per set, checked where programs may use it; a set the system
// keeps from them is marked with '*', which the caption explains.
struct TCpuIsaItem {
  std::string Text;
  bool Checked = false;
};
std::vector<TCpuIsaItem> CpuIsaItems(const TCpuIsaSet& s);
// "Instruction sets, x86-64 level 3", with a note where the system withholds some.
std::string CpuIsaCaption(const TCpuIsaSet& s);
