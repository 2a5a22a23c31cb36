// Prints what gathering the system information costs on this machine:
//   - every category as Refresh gathers it, the clock measurement left out: the first run (DLLs
//     and caches cold), the fastest and the median of the next ones, then each category's share;
//   - the clock measurement alone, ten times: its time and the frequencies it found.
// Run it under Wine with bench/sysinfo-bench.sh.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>
#include "framework/Dialogs.h"
#include "probes/KSI_CPUUsage.h"
#include "sysinfo/KSystemInfo.h"
#include "sysinfo/SysInfoWin.h"

namespace {
double Now() {
  static LARGE_INTEGER f = [] {
    LARGE_INTEGER v;
    QueryPerformanceFrequency(&v);
    return v;
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// The system's probe without a high-resolution counter: identification runs, the clock does not.
class TNoClock : public TCpuProbe {
 public:
  explicit TNoClock(TCpuProbe& real) : FReal(real) {}
  bool HasCpuid() override { return FReal.HasCpuid(); }
  TCpuidRegs Cpuid(uint32_t leaf, uint32_t sub) override { return FReal.Cpuid(leaf, sub); }
  bool CounterFrequency(int64_t&) override { return false; }
  int64_t Counter() override { return 0; }
  uint64_t TimeStamp() override { return 0; }
  bool RaisePriority(int&) override { return false; }
  void RestorePriority(int) override {}
  uint64_t XGetBv(uint32_t index) override { return FReal.XGetBv(index); }
  bool EachProcessor(const std::function<void()>& visit) override { return FReal.EachProcessor(visit); }
  bool SystemProcessors(TProcessorCount& n) override { return FReal.SystemProcessors(n); }

 private:
  TCpuProbe& FReal;
};
}  // namespace

int main() {
  InitProbes();
  int boxes = 0;
  SetMessageBoxHook([&boxes](const std::string& text, const std::string& caption, UINT) {
    std::printf("message box %s: %s\n", caption.c_str(), text.c_str());
    ++boxes;
    return IDOK;
  });
  TKSystemInfo info(nullptr);
  TNoClock noClock(CpuProbe());
  SetCpuProbe(&noClock);

  const std::pair<const char*, std::function<void()>> steps[] = {
      {"Devices", [&] { info.Devices()->GetInfo(); }},
      {"CPU (no clock)", [&] { info.CPU()->GetInfo(); }},
      {"Memory", [&] { info.Memory()->GetInfo(); }},
      {"OS", [&] { info.OS()->GetInfo(); }},
      {"Disk", [&] {
         info.Disk()->GetInfo();
         info.Disk()->SetDrive(info.OS()->Folders()->Values("Windows").substr(0, 2));
       }},
      {"Machine", [&] { info.Machine()->GetInfo(); }},
      {"Network", [&] { info.Network()->GetInfo(); }},
      {"Display", [&] { info.Display()->GetInfo(); }},
      {"Media", [&] { info.Media()->GetInfo(); }},
      {"Engines", [&] { info.Engines()->GetInfo(); }},
      {"APM", [&] { info.APM()->GetInfo(); }},
      {"DirectX", [&] { info.DirectX()->GetInfo(); }},
      {"Processes", [&] { info.Processes()->GetInfo(); }},
      {"Printers", [&] { info.Printers()->GetInfo(); }},
      {"Software", [&] { info.Software()->GetInfo(); }},
      {"Startup", [&] { info.Startup()->GetInfo(); }},
  };
  const int runs = 11;
  std::vector<std::vector<double>> each(std::size(steps));
  std::vector<double> totals;
  for (int run = 0; run < runs; ++run) {
    TGatherSession session;  // as Refresh gathers
    double total = 0;
    for (size_t i = 0; i < std::size(steps); ++i) {
      const double t0 = Now();
      steps[i].second();
      const double t = Now() - t0;
      total += t;
      if (run > 0) each[i].push_back(t);
      else std::printf("first run  %-16s %8.2f ms\n", steps[i].first, t);
    }
    totals.push_back(total);
  }
  // Wall time under Wine counts the wine server and whatever else the machine runs: the
  // fastest run is the best estimate of the work itself, the median of what a user waits.
  const std::vector<double> warm(totals.begin() + 1, totals.end());
  std::printf("gathering without the clock: first run %.1f ms; of %d more: fastest %.1f ms, "
              "median %.1f ms\n",
              totals[0], runs - 1, *std::min_element(warm.begin(), warm.end()), Median(warm));
  for (size_t i = 0; i < std::size(steps); ++i)
    std::printf("  median %-16s %8.2f ms\n", steps[i].first, Median(each[i]));

  SetCpuProbe(nullptr);
  std::vector<double> times;
  std::vector<int> mhz;
  for (int run = 0; run < 10; ++run) {
    const double t0 = Now();
    const TClockResult c = MeasureClock(CpuProbe());
    times.push_back(Now() - t0);
    mhz.push_back(c.Snapped);
    std::printf("clock run %2d: %7.2f ms, %d passes, raw %d MHz, snapped %d MHz\n", run + 1,
                times.back(), c.Passes, c.Raw, c.Snapped);
  }
  const auto [lo, hi] = std::minmax_element(mhz.begin(), mhz.end());
  std::printf("clock: median %.2f ms (%.2f .. %.2f), results %d .. %d MHz (spread %d MHz)\n",
              Median(times), *std::min_element(times.begin(), times.end()),
              *std::max_element(times.begin(), times.end()), *lo, *hi, *hi - *lo);
  if (boxes) std::printf("%d message boxes\n", boxes);
  return 0;
}
