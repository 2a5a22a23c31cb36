// The optimization wizard's arithmetic and its tuning table, kept apart from the window.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "probes/PhysMemory.h"

namespace optlogic {

// The memory slider at a show: MaxLabel (U) is the used memory above 32 MB, in MB; the slider
// runs from MinValue (A + 10) to MaxValue (U + A), A being the available MB. From the old
// 32-bit reading this is signed 32-bit arithmetic truncating toward zero, as the figures always
// were; from the extended reading it is 64-bit, limited to the int range.
struct RamRange {
  int MaxLabel;
  int MinValue;
  int MaxValue;
};
RamRange ComputeRamRange(const TPhysMemory& m);

// The block the memory step allocates: the slider's amount in MB (the available memory to end
// up with), in bytes, limited to what this process can allocate; 0 when not positive.
uint64_t FreeRamBlock(int position, uint64_t limit);

// Both connection values for a line-speed position: Modem 1 -> 5 ... T1+ 4 -> 8; 0 (nothing to
// write) for any other position.
int ConnectionsFor(int netBarPosition);

struct TuningValue {
  std::string Name;
  bool IsString;
  std::string Text;  // string values
  int32_t Number;    // integer values
};
// One key and the values written into it.
struct TuningGroup {
  bool CurrentUser;  // else HKEY_LOCAL_MACHINE
  std::string Path;  // absolute, with its leading "\"
  std::vector<TuningValue> Values;
};
// The groups for the platform text (compared exactly: "Windows 9x", "Windows NT"), major version
// and line speed, in the order they are written. Empty for a platform the table does not cover.
std::vector<TuningGroup> TuningTable(const std::string& platform, int majorVersion, int netBarPosition);

}  // namespace optlogic
