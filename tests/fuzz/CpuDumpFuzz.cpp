// Files of recorded CPUID answers come from anywhere: every input must be read or refused
// without a fault, and every processor it describes, however absurd its registers, must be
// identified and reported without one.
#include <cstdint>
#include <string>
#include <vector>
#include "sysinfo/CpuDump.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<TCpuDump> dumps;
  std::string error;
  if (!ParseCpuDumps(text, dumps, error)) {
    if (error.rfind("line ", 0) != 0) __builtin_trap();  // a refusal always names its line
    return 0;
  }
  size_t n = 0;
  for (const TCpuDump& d : dumps) {
    if (++n > 4) break;  // enough to reach every decoder; more only slows the run
    const std::vector<std::string> lines = CpuDumpReport(d);
    if (lines.empty() || lines.back().rfind("[dialog] ", 0) != 0) __builtin_trap();
  }
  return 0;
}
