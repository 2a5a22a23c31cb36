#include "app/MainLogic.h"
#include <algorithm>
#include <climits>
#include <cmath>

namespace mainlogic {

int64_t RoundHalfEven(double v) { return static_cast<int64_t>(std::nearbyint(v)); }

MemoryReadout ComputeMemoryReadout(int64_t totalPhys, int64_t availPhys) {
  MemoryReadout r{};
  double pct = totalPhys != 0 ? static_cast<double>(availPhys) / static_cast<double>(totalPhys) * 100.0 : 0.0;
  // A zero total would divide by zero; no bar then rather than a meaningless figure.
  if (std::isfinite(pct)) {
    int64_t p = RoundHalfEven(pct);
    r.BarPosition = static_cast<int>(p < INT32_MIN ? INT32_MIN : p > INT32_MAX ? INT32_MAX : p);
  }
  int64_t mb = availPhys / 1048576;
  r.Megabytes = static_cast<int>(mb < INT32_MIN ? INT32_MIN : mb > INT32_MAX ? INT32_MAX : mb);
  return r;
}

MemoryFigure AvailableFigure(int megabytes) {
  if (megabytes > 9999) return {megabytes / 1024, true};
  return {megabytes, false};
}

const char* MemoryCaption(bool gigabytes) { return gigabytes ? "Available RAM (Gb)" : "Available RAM (Mb)"; }

std::string TrayText(int32_t cpuUsage, int ramFigure, bool gigabytes) {
  return "Velmora: CPU=" + std::to_string(cpuUsage) + "%, RAM=" + std::to_string(ramFigure) +
         (gigabytes ? " Gb" : " Mb");
}

int64_t QuickFreeBlockSize(const TPhysMemory& m, uint64_t limit) {
  if (!m.Wide) {
    // Signed 32-bit arithmetic, wrapping as the readings themselves do.
    uint32_t total = static_cast<uint32_t>(m.Total), avail = static_cast<uint32_t>(m.Avail);
    int32_t diff = static_cast<int32_t>(total - avail);
    return static_cast<int32_t>(avail + static_cast<uint32_t>(diff / 2));
  }
  if (m.Avail <= 0) return 0;
  uint64_t avail = static_cast<uint64_t>(m.Avail);
  uint64_t total = static_cast<uint64_t>(std::max(m.Total, m.Avail));
  uint64_t block = avail + (total - avail) / 2;
  return static_cast<int64_t>(std::min(block, limit));
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
