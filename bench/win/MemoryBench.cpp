// Where the program's memory goes: the real main window and the hidden wizard are built as the
// program builds them and shown, then "System info..." and the wizard are opened and closed,
// the chart is ticked 10,000 times, and each window is opened and closed 20 times more. At each
// step it prints the C runtime's heap (what new and malloc hold), all heaps of the process, the
// pixel memory of the bitmaps, the handles the framework's owners hold, and the resident and
// private bytes the system gives; then how far the 20 opens of each window moved them.
//   memory_bench.exe [ticks] [opens]      (default 10000 and 20; run by bench/memory-bench.sh)
#include <windows.h>
#include <malloc.h>
#include <psapi.h>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include "app/AppClasses.h"
#include "app/MainUnit.h"
#include "app/OptForm.h"
#include "flat/FlatButtons.h"
#include "framework/Bitmaps.h"
#include "framework/Canvas.h"
#include "framework/ComCtrls.h"
#include "framework/Dialogs.h"
#include "framework/FloatControl.h"
#include "framework/GdiObjects.h"
#include "framework/Handles.h"
#include "framework/Threads.h"
#include "instruments/MtScope.h"
#include "instruments/MtThreads.h"
#include "probes/KSI_CPUUsage.h"
#include "sysinfo/KSI_Overview.h"

namespace {

struct Figures {
  size_t crt = 0, crtBlocks = 0;    // the C runtime's heap: bytes in use, blocks
  size_t heaps = 0, heapBlocks = 0;  // every heap of the process
  long bitmapBytes = 0, bitmaps = 0;
  long gdi = 0, fonts = 0, icons = 0, dcs = 0, kernel = 0, keys = 0;
  int windows = 0;
  size_t resident = 0, peak = 0, priv = 0;
  // What the program itself holds: heap blocks and bitmap pixels.
  double Own() const { return static_cast<double>(heaps) + static_cast<double>(bitmapBytes); }
};

void WalkCrtHeap(Figures& f) {
  _HEAPINFO h{};
  h._pentry = nullptr;
  while (_heapwalk(&h) == _HEAPOK)
    if (h._useflag == _USEDENTRY) {
      f.crt += h._size;
      ++f.crtBlocks;
    }
}

void WalkHeaps(Figures& f) {
  std::vector<HANDLE> heaps(64);
  DWORD n = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
  if (n > heaps.size()) {
    heaps.resize(n + 16);
    n = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
  }
  for (DWORD i = 0; i < n && i < heaps.size(); ++i) {
    if (!HeapLock(heaps[i])) continue;
    PROCESS_HEAP_ENTRY e{};
    e.lpData = nullptr;
    while (HeapWalk(heaps[i], &e))
      if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
        f.heaps += e.cbData;
        ++f.heapBlocks;
      }
    HeapUnlock(heaps[i]);
  }
}

int ThreadWindows() {
  int n = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM lp) WINAPI -> BOOL {
        ++*reinterpret_cast<int*>(lp);
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

Figures Now() {
  Figures f;
  WalkCrtHeap(f);
  WalkHeaps(f);
  f.bitmapBytes = HeldBitmapBytes();
  f.bitmaps = HeldBitmaps();
  f.gdi = HeldGdiObjects();
  f.fonts = HeldFonts();
  f.icons = HeldIcons();
  f.dcs = HeldMemoryDCs();
  f.kernel = HeldKernelHandles();
  f.keys = HeldRegistryKeys();
  f.windows = ThreadWindows();
  PROCESS_MEMORY_COUNTERS m{};
  m.cb = sizeof m;
  if (GetProcessMemoryInfo(GetCurrentProcess(), &m, sizeof m)) {
    f.resident = m.WorkingSetSize;
    f.peak = m.PeakWorkingSetSize;
    f.priv = m.PagefileUsage;
  }
  return f;
}

double Kb(size_t bytes) { return static_cast<double>(bytes) / 1024.0; }

void Header() {
  std::printf("%-28s %9s %7s %9s %7s %9s %4s %5s %5s %5s %3s %4s %4s %4s %9s %9s\n", "", "C heap KB", "blocks",
              "heaps KB", "blocks", "bitmap KB", "bmps", "GDI", "fonts", "icons", "DCs", "kern", "keys", "wnds",
              "resid. KB", "priv. KB");
}

void Print(const char* when, const Figures& f) {
  std::printf("%-28s %9.1f %7zu %9.1f %7zu %9.1f %4ld %5ld %5ld %5ld %3ld %4ld %4ld %4d %9.0f %9.0f\n", when, Kb(f.crt),
              f.crtBlocks, Kb(f.heaps), f.heapBlocks, Kb(static_cast<size_t>(f.bitmapBytes)), f.bitmaps, f.gdi, f.fonts,
              f.icons, f.dcs, f.kernel, f.keys, f.windows, Kb(f.resident), Kb(f.priv));
}

// Handles the messages that come in over ms milliseconds (paints, the fade, released forms).
void Pump(DWORD ms) {
  DWORD start = GetTickCount();
  do {
    Application->ProcessMessages();
    Sleep(5);
  } while (GetTickCount() - start < ms);
  Application->ProcessMessages();
}

// The figures once the program has been left alone: what painting holds for a moment (the
// controls' shared off-screen bitmap) has gone again.
Figures AtRest() {
  Pump(2500);
  return Now();
}

void OpenAndCloseSystemInfo(TMainForm* form) {
  form->FlatButton1Click(form);
  Pump(100);
  if (TfrmKSI_Overview* f = TfrmKSI_Overview::Instance()) f->Close();
  for (int i = 0; i < 200 && TfrmKSI_Overview::Instance(); ++i) Pump(10);
}

void OpenAndCloseWizard(TMainForm* form) {
  form->FlatButton2Click(form);
  Pump(100);
  if (Form1) Form1->Close();
  Pump(50);
}

// Opens and closes a window `opens` times more and prints how far the program's memory moved
// from where it was before: what it holds itself (heap blocks and bitmap pixels) and what is
// resident. Both must stay within 5 %.
bool Repeat(const char* what, int opens, void (*once)(TMainForm*), TMainForm* form) {
  Figures before = AtRest();
  for (int i = 0; i < opens; ++i) once(form);
  Figures after = AtRest();
  char label[64];
  std::snprintf(label, sizeof label, "%d x %s", opens, what);
  Print(label, after);
  double perOpen = opens ? (after.Own() - before.Own()) / opens : 0.0;
  double own = 100.0 * (after.Own() - before.Own()) / before.Own();
  double resident = 100.0 * (static_cast<double>(after.resident) - static_cast<double>(before.resident)) /
                    static_cast<double>(before.resident);
  bool ok = own <= 5.0 && resident <= 5.0;
  std::printf("  %s: heaps and bitmaps %+.0f bytes an open (%+.2f %%), resident %+.2f %%: %s\n", what, perOpen, own,
              resident, ok ? "within 5 %" : "MORE THAN 5 %");
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  SetProgramFpuControl();
  int ticks = argc > 1 ? std::atoi(argv[1]) : 10000;
  int opens = argc > 2 ? std::atoi(argv[2]) : 20;
  // Boxes the gathering may raise are answered at once.
  SetMessageBoxHook([](const std::string&, const std::string&, UINT) { return IDOK; });

  Figures empty = Now();
  InitProbes();
  RegisterAppClasses();
  auto* app = new TApplication(nullptr);
  app->Initialize();
  InitThreadSync();
  app->SetTitle("Velmora memory bench");
  auto* form = new TMainForm(app);
  app->AddForm(form);
  new TForm1(app);
  form->Show();

  Header();
  Print("before the windows", empty);
  Print("start-up", AtRest());
  // What the dialog holds while it is open, first as it opens, then with every page shown.
  form->FlatButton1Click(form);
  Pump(100);
  if (TfrmKSI_Overview* f = TfrmKSI_Overview::Instance()) {
    Print("System info open", Now());
    for (int i = 0; i < f->pcMain->PageCount(); ++i) {
      f->pcMain->SetActivePageIndex(i);
      Pump(20);
    }
    Print("  every page shown", Now());
    f->Close();
    for (int i = 0; i < 200 && TfrmKSI_Overview::Instance(); ++i) Pump(10);
  }
  Print("System info opened, closed", AtRest());
  OpenAndCloseWizard(form);
  Print("wizard opened, closed", AtRest());

  // The chart's own timers stay quiet: only the ticks counted here run.
  form->MtScope1->SetActive(false);
  form->MtTimer1->SetEnabled(false);
  for (int i = 0; i < ticks; ++i) {
    form->KCPUUsage1Interval(form->KCPUUsage1, static_cast<uint32_t>((i * 7) % 101));
    form->MtScope1->Tick();
    if (i % 3 == 0) form->MtTimer1Timer(form->MtTimer1);
    if (i % 50 == 0) app->ProcessMessages();
  }
  char label[64];
  std::snprintf(label, sizeof label, "%d chart ticks", ticks);
  Print(label, AtRest());

  bool ok = Repeat("System info", opens, OpenAndCloseSystemInfo, form);
  ok = Repeat("wizard", opens, OpenAndCloseWizard, form) && ok;
  std::printf("peak resident %.0f KB\n", Kb(Now().peak));
  delete app;
  return ok ? 0 : 1;
}
