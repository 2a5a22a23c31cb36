// The program comes up with its main window and ends cleanly on WM_CLOSE, in each version mode.
#include "Driver.h"
#include <gtest/gtest.h>
#include <tlhelp32.h>
#include <cctype>
#include <set>

using namespace e2e;

namespace {
// The libraries loaded into a process, their names in lower case.
std::set<std::string> Modules(DWORD pid) {
  std::set<std::string> names;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  if (snap == INVALID_HANDLE_VALUE) return names;
  MODULEENTRY32 me{};
  me.dwSize = sizeof me;
  for (BOOL ok = Module32First(snap, &me); ok; ok = Module32Next(snap, &me)) {
    std::string n = me.szModule;
    for (char& c : n) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    names.insert(n);
  }
  CloseHandle(snap);
  return names;
}
}  // namespace

TEST(Startup, MainWindowComesUpAndClosesCleanly) {
  Program p;
  ASSERT_TRUE(p.Start());
  HWND app = FindTopWindow(p.pi.dwProcessId, "TApplication", "Velmora", 15000);
  ASSERT_NE(app, nullptr) << "no application window";
  HWND main = FindTopWindow(p.pi.dwProcessId, "TMainForm", kMainCaption, 15000);
  ASSERT_NE(main, nullptr) << "no main window";
  ASSERT_TRUE(Settle(main));
  EXPECT_TRUE(IsWindowVisible(main));
  // The libraries of the dialogs (and of the wizard's picture list) wait until one is opened.
  std::set<std::string> loaded = Modules(p.pi.dwProcessId);
  EXPECT_TRUE(loaded.count("velmora.exe"));
  for (const char* lib : {"comctl32.dll", "comdlg32.dll", "winspool.drv", "winmm.dll", "wsock32.dll", "mpr.dll",
                          "oleaut32.dll"})
    EXPECT_FALSE(loaded.count(lib)) << lib << " is loaded at start-up";
  SIZE cs = ClientSize(main);
  EXPECT_EQ(cs.cx, 425);
  EXPECT_EQ(cs.cy, 211);
  LONG style = GetWindowLongA(main, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  // Centred on the desktop (work area), give or take a pixel of rounding.
  RECT wr, wa;
  GetWindowRect(main, &wr);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
  EXPECT_NEAR((wr.left + wr.right) / 2, (wa.left + wa.right) / 2, 2);
  // It faded in: a layered window ending at alpha 252 on Windows 2000, a plain one elsewhere.
  bool layered = (GetWindowLongA(main, GWL_EXSTYLE) & 0x80000 /* WS_EX_LAYERED */) != 0;
  EXPECT_EQ(layered, g_winver == "win2k");
  if (layered) {
    using GetLayeredFn = BOOL(WINAPI*)(HWND, COLORREF*, BYTE*, DWORD*);
    auto get = reinterpret_cast<GetLayeredFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetLayeredWindowAttributes")));
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(get && get(main, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 252);
  }
  PostMessageA(main, WM_CLOSE, 0, 0);
  DWORD code = 1;
  ASSERT_TRUE(p.WaitExit(15000, &code)) << "did not end after WM_CLOSE";
  EXPECT_EQ(code, 0u);
}

TEST(Startup, AHintShownBeforeTheEndLeavesACleanExit) {
  Program p;
  ASSERT_TRUE(p.Start());
  HWND app = FindTopWindow(p.pi.dwProcessId, "TApplication", "Velmora", 15000);
  HWND main = FindTopWindow(p.pi.dwProcessId, "TMainForm", kMainCaption, 15000);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(Settle(main));
  auto strips = Children(main, "TPanel");
  ASSERT_EQ(strips.size(), 3u);
  // The pointer rests on the help picture until its hint comes up, whatever window shows it.
  PointerTo(strips[1], 12, 10);
  HWND hint = WaitForOtherWindow(p.pi.dwProcessId, {app, main}, 10000);
  EXPECT_NE(hint, nullptr) << "no hint came up";
  PostMessageA(main, WM_CLOSE, 0, 0);
  DWORD code = 1;
  bool ended = p.WaitExit(15000, &code);
  PointerAway();
  ASSERT_TRUE(ended) << "did not end after WM_CLOSE";
  EXPECT_EQ(code, 0u);
}
