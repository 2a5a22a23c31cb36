// The optimization wizard's arithmetic and its tuning table, kept apart from the window.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "probes/PhysMemory.h"

namespace optlogic {

// The memory slider at a show. Its value is the available memory, in MB, to end up with: the
// memory step touches a block of that size, which makes the system page others out until that
// much is available. It runs from MinValue (A + 10, A being the available MB) to MaxValue: the
// used memory above 32 MB plus A (U + A, from the old 32-bit reading in signed 32-bit arithmetic
// truncating toward zero, as the figures always were; else in 64 bits, limited to the int
// range), and no more than the largest block this process can allocate (largestBlock bytes): a
// 32-bit process on a big machine cannot touch more. MaxLabel is what can be freed at most
// (MaxValue - A; U where the block is no limit). When that is less than the 10 MB step the
// option has nothing to free (CanFree false, MaxLabel 0).
struct RamRange {
  int MaxLabel;
  int MinValue;
  int MaxValue;
  bool CanFree;
  int64_t AvailMB;
};
RamRange ComputeRamRange(const TPhysMemory& m, uint64_t largestBlock);
// The memory option's caption when it has nothing to free: "Nothing to free: 22,000 MB
// available".
std::string NothingToFreeCaption(int64_t availMB);

// What the wizard tells at the end of a job that wrote none of the connection settings the user
// chose: the system has none in the table (tableEmpty), or not one value could be written.
std::string NothingWrittenMessage(bool tableEmpty);

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
