// Prints what the system information dialog costs on this machine, the gathering left out (see
// sysinfo_bench): reading its description and creating its windows, filling every page from
// gathered categories (first and median of ten), and writing the full report to a file.
// Run it under Wine with bench/overview-bench.sh.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <vector>
#include "app/AppClasses.h"
#include "framework/CheckLst.h"
#include "framework/ComCtrls.h"
#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "probes/KSI_CPUUsage.h"
#include "sysinfo/KSI_Overview.h"
#include "sysinfo/KSystemInfo.h"

namespace {
double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}
}  // namespace

int Run();

int main() {
  try {
    return Run();
  } catch (const std::exception& e) {
    std::printf("failed: %s\n", e.what());
    return 1;
  }
}

int Run() {
  InitProbes();
  RegisterAppClasses();
  SetMessageBoxHook([](const std::string&, const std::string&, UINT) { return IDOK; });
  auto* app = new TApplication(nullptr);
  app->Initialize();
  auto* info = new TKSystemInfo(app);
  info->Refresh();

  double t0 = Now();
  auto* f = new TfrmKSI_Overview(app);
  double read = Now() - t0;
  f->SetSysInfo(info);
  t0 = Now();
  f->HandleNeeded();
  double windows = Now() - t0;
  std::vector<double> fills;
  for (int i = 0; i < 11; ++i) {
    t0 = Now();
    f->RefreshPages();
    fills.push_back(Now() - t0);
  }
  double first = fills.front();
  fills.erase(fills.begin());
  std::sort(fills.begin(), fills.end());

  char dir[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  std::string file = std::string(dir) + "velmora-overview-bench.txt";
  TStringList report;
  info->Report(report);
  t0 = Now();
  WriteReportFile(report, file);
  double saved = Now() - t0;
  DeleteFileA(file.c_str());

  std::printf("dialog read from its description with its icons (%d components): %.1f ms; its windows made: %.1f ms\n",
              f->ComponentCount(), read, windows);
  std::printf("pages filled: first %.1f ms, median of ten more %.1f ms (%d processes, %d devices)\n", first,
              fills[fills.size() / 2], info->Processes()->ProcessCount(), info->Devices()->DeviceCount());
  std::printf("full report saved (%d lines): %.1f ms\n", report.Count(), saved);
  delete app;
  return 0;
}
