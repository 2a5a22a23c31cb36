#include "app/MainLogic.h"
#include <cmath>

namespace mainlogic {

int64_t RoundHalfEven(double v) { return static_cast<int64_t>(std::nearbyint(v)); }

MemoryReadout ComputeMemoryReadout(int32_t totalPhys, int32_t availPhys) {
  MemoryReadout r{};
  double pct = totalPhys != 0 ? static_cast<double>(availPhys) / static_cast<double>(totalPhys) * 100.0 : 0.0;
  // A zero total would divide by zero; no bar then rather than a meaningless figure.
  if (std::isfinite(pct)) {
    int64_t p = RoundHalfEven(pct);
    r.BarPosition = static_cast<int>(p < INT32_MIN ? INT32_MIN : p > INT32_MAX ? INT32_MAX : p);
  }
  r.Megabytes = availPhys / 1048576;
  return r;
}

std::string TrayText(int32_t cpuUsage, int ramMegabytes) {
  return "Velmora: CPU=" + std::to_string(cpuUsage) + "%, RAM=" + std::to_string(ramMegabytes) + " Mb";
}

int32_t QuickFreeBlockSize(int32_t totalPhys, int32_t availPhys) {
  // Signed 32-bit arithmetic, wrapping as the readings themselves do.
  int32_t diff = static_cast<int32_t>(static_cast<uint32_t>(totalPhys) - static_cast<uint32_t>(availPhys));
  return static_cast<int32_t>(static_cast<uint32_t>(availPhys) + static_cast<uint32_t>(diff / 2));
}

bool CountActivation(int32_t& count, bool panelVisible) {
  if (count < kActivateCountCap) ++count;
  if (count % 3 == 0 && !panelVisible) {
    ++count;
    return true;
  }
  return false;
}

}  // namespace mainlogic
