// Handles the program holds over many chart ticks: the real main window is built and shown, then
// its chart is ticked 10,000 times with a load that sweeps 0..100 (so that the tray gauge changes
// frame), with a memory refresh every third tick. Prints the GDI objects, icons and memory
// contexts the framework's owners hold and the windows of the thread, before and after.
//   instrument_leak_bench.exe [ticks]
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include "app/AppClasses.h"
#include "app/MainUnit.h"
#include "framework/CheckLst.h"
#include "framework/ComCtrls.h"
#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/FloatControl.h"
#include "framework/GdiObjects.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/Threads.h"
#include "framework/Timer.h"
#include "instruments/MtRegister.h"
#include "instruments/MtScope.h"
#include "instruments/MtThreads.h"
#include "probes/KSI_CPUUsage.h"
#include "sysinfo/KSystemInfo.h"
#include "sysinfo/LedMeter.h"

namespace {

int ThreadWindows() {
  int n = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM lp) WINAPI -> BOOL {
        auto* count = reinterpret_cast<int*>(lp);
        ++*count;
        EnumChildWindows(
            h,
            [](HWND, LPARAM c) WINAPI -> BOOL {
              ++*reinterpret_cast<int*>(c);
              return TRUE;
            },
            lp);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&n));
  return n;
}

void Pump() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

struct Counts {
  long gdi, icons, dcs;
  int windows;
};

Counts Now() { return Counts{HeldGdiObjects(), HeldIcons(), HeldMemoryDCs(), ThreadWindows()}; }

void Print(const char* when, int ticks, const Counts& c) {
  std::printf("%-6s %6d ticks: GDI objects %ld, icons %ld, memory DCs %ld, windows %d\n", when, ticks, c.gdi, c.icons,
              c.dcs, c.windows);
}

}  // namespace

int main(int argc, char** argv) {
  SetProgramFpuControl();
  int ticks = argc > 1 ? std::atoi(argv[1]) : 10000;
  InitProbes();
  // The classes the main window's description names (as the program registers them).
  RegisterAppClasses();
  auto* app = new TApplication(nullptr);
  app->Initialize();
  InitThreadSync();
  app->SetTitle("Velmora leak bench");
  auto* form = new TMainForm(app);
  app->AddForm(form);
  form->Show();
  // Its own timers stay quiet: only the ticks counted here run.
  form->MtScope1->SetActive(false);
  form->MtTimer1->SetEnabled(false);
  auto tick = [&](int i) {
    form->KCPUUsage1Interval(form->KCPUUsage1, static_cast<uint32_t>((i * 7) % 101));
    form->MtScope1->Tick();
    if (i % 3 == 0) form->MtTimer1Timer(form->MtTimer1);
    if (i % 50 == 0) Pump();
  };
  for (int i = 0; i < 200; ++i) tick(i);  // warm-up: everything made once is made
  Pump();
  Counts before = Now();
  Print("before", 0, before);
  DWORD start = GetTickCount();
  for (int i = 0; i < ticks; ++i) tick(i);
  Pump();
  DWORD ms = GetTickCount() - start;
  Counts after = Now();
  Print("after", ticks, after);
  std::printf("change: GDI objects %+ld, icons %+ld, memory DCs %+ld, windows %+d (%.3f ms a tick)\n",
              after.gdi - before.gdi, after.icons - before.icons, after.dcs - before.dcs,
              after.windows - before.windows, ticks ? static_cast<double>(ms) / ticks : 0.0);
  delete app;
  return after.gdi == before.gdi && after.icons == before.icons && after.dcs == before.dcs &&
                 after.windows == before.windows
             ? 0
             : 1;
}
