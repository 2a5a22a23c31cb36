// Files of recorded CPUID answers, one block per processor:
//   CPU <id> / MHZ <clock> / VENDOR <text> / LEAF <leaf> <subleaf> <eax> <ebx> <ecx> <edx> / END
// (numbers of LEAF lines hexadecimal), and a probe that plays such a processor to the
// identification, its time-stamp counter running at the recorded clock.
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

 private:
  const TCpuDumpLeaf* Find(uint32_t leaf, uint32_t subleaf) const;
  const TCpuDump& FDump;
  uint32_t FMaxLeaf = 0, FMaxExtLeaf = 0;
  int64_t FTicks = 0;
};

// The processor's "[CPU]", "[CPU Features]" and "[CPU Cache]" sections as the report writes
// them, then "[dialog] " and the CPU page's first line.
std::vector<std::string> CpuDumpReport(const TCpuDump& dump);
