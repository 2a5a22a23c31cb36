// Prints what the system information dialog costs on this machine, the gathering left out (see
// sysinfo_bench): reading its description and creating its windows, filling every page from
// gathered categories (first and median of ten), and writing the full report to a file.
// Then the same dialog on a big machine: 10,000 startup entries and 5,000 installed programs
// written into the prefix (half in each registry view on 64-bit Windows) and removed again;
// how long it takes to open (gathering, filling, first painting) and the longest a click on a
// page's tab (or on the startup list's tabs) keeps the window from answering.
// Run it under Wine with bench/overview-bench.sh.
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
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

constexpr int kRunEntries = 10000, kPrograms = 5000;
constexpr REGSAM kView64 = 0x0100, kView32 = 0x0200;  // KEY_WOW64_64KEY, KEY_WOW64_32KEY
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The views a 32-bit program on 64-bit Windows has; elsewhere the one view there is.
std::vector<REGSAM> Views() {
  BOOL wow64 = FALSE;
  using Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
  auto isWow64 = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
  if (isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64) return {kView64, kView32};
  return {0};
}

// The big machine's entries: written (or, with write false, removed) in every view, the counts
// split between them.
void Plant(bool write) {
  const std::vector<REGSAM> views = Views();
  const int share = static_cast<int>(views.size());
  for (size_t v = 0; v < views.size(); ++v) {
    HKEY run, uninstall;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRun, 0, nullptr, 0, KEY_ALL_ACCESS | views[v], nullptr, &run, nullptr) != 0) continue;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstall, 0, nullptr, 0, KEY_ALL_ACCESS | views[v], nullptr, &uninstall, nullptr) != 0) {
      RegCloseKey(run);
      continue;
    }
    char name[64], data[128];
    for (int i = 0; i < kRunEntries / share; ++i) {
      std::snprintf(name, sizeof name, "VelmoraBench%zu_%05d", v, i);
      std::snprintf(data, sizeof data, "C:\\Program Files\\Bench\\agent%05d.exe /background", i);
      if (write)
        RegSetValueExA(run, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), static_cast<DWORD>(std::strlen(data) + 1));
      else
        RegDeleteValueA(run, name);
    }
    for (int i = 0; i < kPrograms / share; ++i) {
      std::snprintf(name, sizeof name, "VelmoraBench%zu_%05d", v, i);
      if (!write) {
        RegDeleteKeyA(uninstall, name);
        continue;
      }
      HKEY k;
      if (RegCreateKeyExA(uninstall, name, 0, nullptr, 0, KEY_ALL_ACCESS | views[v], nullptr, &k, nullptr) != 0) continue;
      std::snprintf(data, sizeof data, "Bench Program %zu-%05d", v, i);
      RegSetValueExA(k, "DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(data), static_cast<DWORD>(std::strlen(data) + 1));
      RegCloseKey(k);
    }
    RegCloseKey(uninstall);
    RegCloseKey(run);
  }
}

// Everything queued handled, painting included: what the user waits for after an action.
void Pump() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

// A click on tab i of a tab control, as the mouse gives it, and the time until the window
// answers again with everything painted.
double ClickTab(HWND tabs, int i) {
  RECT r{};
  if (!SendMessageA(tabs, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r))) return -1;
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  double t0 = Now();
  PostMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(tabs, WM_LBUTTONUP, 0, at);
  Pump();
  return Now() - t0;
}

void BigMachine(TKSystemInfo& info) {
  Plant(false);  // what an interrupted run left
  double t0 = Now();
  info.Refresh();
  const double small = Now() - t0;
  Plant(true);
  t0 = Now();
  info.Refresh();
  const double gathered = Now() - t0;
  t0 = Now();
  info.Startup()->GetInfo();
  const double startup = Now() - t0;
  t0 = Now();
  info.Software()->GetInfo();
  const double software = Now() - t0;
  t0 = Now();
  ShowSystemOverview(info);
  TfrmKSI_Overview* f = TfrmKSI_Overview::Instance();
  Pump();
  const double open = Now() - t0;
  if (!f) {
    std::printf("big machine: the dialog did not open\n");
    Plant(false);
    return;
  }
  const HWND tabs = f->pcMain->Handle();
  const int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
  double worst = 0;
  int worstTab = -1;
  for (int round = 0; round < 2; ++round)
    for (int i = 0; i < count; ++i) {
      const double t = ClickTab(tabs, i);
      if (t > worst) worst = t, worstTab = i;
    }
  // The startup page's own tabs: the machine's Run key holds the 10,000.
  ClickTab(tabs, 14);
  const HWND startupTabs = f->tcStartup->Handle();
  double startupWorst = 0;
  for (int i = 0; i < static_cast<int>(SendMessageA(startupTabs, TCM_GETITEMCOUNT, 0, 0)); ++i)
    startupWorst = std::max(startupWorst, ClickTab(startupTabs, i));
  const double machineRun = ClickTab(startupTabs, 2);
  const int rows = static_cast<int>(SendMessageA(f->lvStartup->Handle(), LVM_GETITEMCOUNT, 0, 0));
  std::printf("big machine (%d startup entries, %d programs, %zu registry view(s)): dialog opened and painted in %.0f ms\n",
              info.Startup()->RunsCount(), info.Software()->Installed()->Count(), Views().size(), open);
  std::printf("  the gathering alone %.0f ms (%.0f ms before the entries were written; of it the startup entries %.0f ms, the installed software %.0f ms)\n",
              gathered, small, startup, software);
  std::printf("  longest page switch %.0f ms (tab %d); startup list's tabs: longest %.0f ms, \"Local machine\" (%d rows) %.0f ms\n",
              worst, worstTab, startupWorst, rows, machineRun);
  f->Close();
  Pump();
  Plant(false);
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
  delete f;
  Pump();
  BigMachine(*info);
  delete app;
  return 0;
}
