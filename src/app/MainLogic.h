// The main window's arithmetic, kept apart from the window so that it can be tested anywhere.
#pragma once
#include <cstdint>
#include <string>
#include "probes/PhysMemory.h"

namespace mainlogic {

// Rounds to the nearest integer, halves to the even neighbour.
int64_t RoundHalfEven(double v);

// The available-memory readouts from one memory-status reading. The old 32-bit figures come in
// sign-extended, so they give exactly what signed 32-bit arithmetic gives.
struct MemoryReadout {
  int BarPosition;  // percentage of physical memory available, rounded
  int Megabytes;    // available megabytes, truncated toward zero (limited to the int range)
};
MemoryReadout ComputeMemoryReadout(int64_t totalPhys, int64_t availPhys);

// What the four-digit number shows of the available memory: megabytes up to 9,999, whole
// gigabytes above (a machine with more free memory than that would otherwise read 9999).
struct MemoryFigure {
  int Value;
  bool Gigabytes;
};
MemoryFigure AvailableFigure(int megabytes);
// The caption beside the number: "Available RAM (Mb)" or "Available RAM (Gb)".
const char* MemoryCaption(bool gigabytes);

// The tray gauge's tooltip: Velmora: CPU=<load>%, RAM=<figure> Mb (or Gb).
std::string TrayText(int32_t cpuUsage, int ramFigure, bool gigabytes = false);

// QuickFree RAM's block: half-way between the available and the total memory. From the old
// 32-bit reading it is computed in signed 32-bit arithmetic as that reading always was; from
// the extended one in 64 bits and limited to 0..limit, what this 32-bit process can allocate.
int64_t QuickFreeBlockSize(const TPhysMemory& m, uint64_t limit);

// Link panel scheduling: counts one activation; true when the panel is to be shown now (then
// the count has been moved on once more).
constexpr int32_t kActivateCountCap = 200000000;
bool CountActivation(int32_t& count, bool panelVisible);

}  // namespace mainlogic
