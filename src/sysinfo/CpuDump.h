// Files of recorded CPUID answers, one block per processor:
//   CPU <id> / MHZ <clock> / VENDOR <text> / LEAF <leaf> <subleaf> <eax> <ebx> <ecx> <edx> /
//   XCR0 <value> / END
// (numbers of LEAF and XCR0 lines hexadecimal; XCR0, the state the recording system had turned
// on, is optional), and a probe that plays such a processor to the identification, its
// time-stamp counter running at the recorded clock.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "sysinfo/CpuLogic.h"

struct TCpuDumpLeaf {
  uint32_t Leaf = 0, Subleaf = 0;
  TCpuidRegs Regs;
};

struct TCpuDump {
  std::string Id;
  int Mhz = 0;
  std::string Vendor;  // as the file writes it; the identification reads leaf 0
  std::vector<TCpuDumpLeaf> Leaves;
  bool HasXcr0 = false;
  uint64_t Xcr0 = 0;
  int Line = 0;        // of its CPU line
};

// Reads every block. False on the first malformed line: error is "line N: what is wrong".
// Blank lines and lines starting with '#' between blocks are skipped.
bool ParseCpuDumps(const std::string& text, std::vector<TCpuDump>& dumps, std::string& error);

// Answers as the recorded processor did. A leaf it was not asked for answers zeros inside the
// announced ranges and, above them, what its highest basic leaf answers, as Intel's do.
class TCpuDumpProbe : public TCpuProbe {
 public:
  explicit TCpuDumpProbe(const TCpuDump& dump);
  bool HasCpuid() override { return !FDump.Leaves.empty(); }
  TCpuidRegs Cpuid(uint32_t leaf, uint32_t subleaf) override;
  bool CounterFrequency(int64_t& perSecond) override;
  int64_t Counter() override { return FTicks += 3; }
  uint64_t TimeStamp() override;
  bool RaisePriority(int& saved) override {
    saved = 0;
    return true;
  }
  void RestorePriority(int) override {}
  // The recorded XCR0; without one, what leaf 0xD says the processor can save, which is what a
  // system that turned XSAVE on enables.
  uint64_t XGetBv(uint32_t index) override;

 private:
  const TCpuDumpLeaf* Find(uint32_t leaf, uint32_t subleaf) const;
  const TCpuDump& FDump;
  uint32_t FMaxLeaf = 0, FMaxExtLeaf = 0;
  int64_t FTicks = 0;
};

// The processor's "[CPU]", "[CPU Features]" and "[CPU Cache]" sections as the report writes
// them, then "[dialog] " and the CPU page's first line.
std::vector<std::string> CpuDumpReport(const TCpuDump& dump);
