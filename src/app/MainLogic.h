// The main window's arithmetic, kept apart from the window so that it can be tested anywhere.
#pragma once
#include <cstdint>
#include <string>

namespace mainlogic {

// Rounds to the nearest integer, halves to the even neighbour.
int64_t RoundHalfEven(double v);

// The available-memory readouts from one memory-status reading (byte counts taken as signed
// 32-bit, as the system's record is read).
struct MemoryReadout {
  int BarPosition;  // percentage of physical memory available, rounded
  int Megabytes;    // available megabytes, truncated toward zero
};
MemoryReadout ComputeMemoryReadout(int32_t totalPhys, int32_t availPhys);

// The tray gauge's tooltip: Velmora: CPU=<load>%, RAM=<megabytes> Mb.
std::string TrayText(int32_t cpuUsage, int ramMegabytes);

// QuickFree RAM's block: half-way between the available and the total memory.
int32_t QuickFreeBlockSize(int32_t totalPhys, int32_t availPhys);

// Link panel scheduling: counts one activation; true when the panel is to be shown now (then
// the count has been moved on once more).
constexpr int32_t kActivateCountCap = 200000000;
bool CountActivation(int32_t& count, bool panelVisible);

}  // namespace mainlogic
