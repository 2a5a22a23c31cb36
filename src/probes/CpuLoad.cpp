#include "probes/CpuLoad.h"
#include <cfenv>
#include <cmath>

uint32_t NtLoadPercent(int64_t previousIdle, int64_t currentIdle, unsigned intervalMs,
                       unsigned processors) {
  if (intervalMs == 0) return 100;
  const long double idle = static_cast<long double>(currentIdle - previousIdle);
  // Processor seconds that passed: each processor idles at most the whole period.
  const long double seconds =
      static_cast<long double>(intervalMs) / 1000.0L * (processors ? processors : 1);
  const long double load = ((10000000.0L - idle / seconds) / 10000000.0L) * 100.0L;
  // nearbyint rounds half to even in the default rounding mode.
  const long double r = std::nearbyintl(load);
  // Out-of-range values (absurd idle readings) are brought into 64 bits before truncating.
  int64_t whole;
  if (r >= 9.2e18L)
    whole = INT64_MAX;
  else if (r <= -9.2e18L)
    whole = INT64_MIN;
  else
    whole = static_cast<int64_t>(r);
  return static_cast<uint32_t>(whole);
}

unsigned NtSamplePeriod(unsigned intervalMs, uint32_t elapsedMs) {
  return elapsedMs > intervalMs ? elapsedMs : intervalMs;
}
