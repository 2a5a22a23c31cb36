// The live instruments of the main window, seen on the screen: the chart, the number, the bar
// and the tray gauge.
#include <gtest/gtest.h>
#include <windows.h>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>
#include "Driver.h"

using namespace e2e;

namespace {

constexpr COLORREF kBlack = 0x000000, kGreen = 0x008000, kLime = 0x00FF00, kYellow = 0x00FFFF;

// The program, its main window kept on top: nothing else may cover what is read off the screen.
struct OnTop : Running {
  void Start(const std::string& winver = g_winver) {
    Running::Start(winver);
    if (!main) return;
    SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_TRUE(Settle(main));
  }
  // The hidden windows of the program: the shell reports tray clicks to one of them.
  std::vector<HWND> UtilityWindows() const {
    struct Ctx {
      DWORD pid;
      std::vector<HWND> out;
    } ctx{p.pi.dwProcessId, {}};
    EnumWindows(
        [](HWND h, LPARAM lp) WINAPI -> BOOL {
          auto* c = reinterpret_cast<Ctx*>(lp);
          DWORD pid = 0;
          GetWindowThreadProcessId(h, &pid);
          if (pid == c->pid && ClassOf(h) == "TUtilityWindow") c->out.push_back(h);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.out;
  }
  void TrayMouse(UINT mouseMsg) {
    for (HWND h : UtilityWindows()) PostMessageA(h, WM_USER + 68, 0, mouseMsg);
  }
};

// Threads that keep processors busy while they live: both, or the first one alone.
struct Busy {
  std::atomic<bool> stop{false};
  HANDLE threads[2]{};
  int count;
  explicit Busy(bool firstOnly = false) : count(firstOnly ? 1 : 2) {
    for (int i = 0; i < count; ++i) {
      threads[i] = CreateThread(
          nullptr, 0,
          [](void* p) WINAPI -> DWORD {
            auto* stop = static_cast<std::atomic<bool>*>(p);
            unsigned x = 0;
            while (!stop->load(std::memory_order_relaxed)) x = x * 7 + 1;
            return x;
          },
          &stop, CREATE_SUSPENDED, nullptr);
      if (firstOnly) SetThreadAffinityMask(threads[i], 1);
      ResumeThread(threads[i]);
    }
  }
  ~Busy() {
    stop = true;
    WaitForMultipleObjects(count, threads, TRUE, 5000);
    for (int i = 0; i < count; ++i) CloseHandle(threads[i]);
  }
};

// The whole machine's idle and total time so far, from what Linux says of itself.
bool HostTimes(uint64_t& idle, uint64_t& total) {
  FILE* f = fopen("Z:\\proc\\stat", "r");
  if (!f) return false;
  unsigned long long v[8] = {};
  const int n = fscanf(f, "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7]);
  fclose(f);
  if (n < 4) return false;
  idle = v[3] + v[4];  // idle and waiting for input or output
  total = 0;
  for (unsigned long long x : v) total += x;
  return true;
}

HWND ChartPanel(HWND main) {
  // Panel2: the panel inside Panel1 at (8, 80), 409 x 73.
  for (HWND p1 = GetWindow(main, GW_CHILD); p1; p1 = GetWindow(p1, GW_HWNDNEXT))
    for (HWND c = GetWindow(p1, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      RECT r = RectInParent(c);
      if (ClassOf(c) == "TPanel" && r.left == 8 && r.top == 80) return c;
    }
  return nullptr;
}

HWND Panel1(HWND main) {
  for (HWND p = GetWindow(main, GW_CHILD); p; p = GetWindow(p, GW_HWNDNEXT))
    if (ClassOf(p) == "TPanel" && RectInParent(p).top == 0) return p;
  return nullptr;
}

struct Chart {
  int left = 0, width = 0;  // within the panel's client area; the chart's top is 1
  Shot shot;
};

// Finds the chart in its panel (its top is 1, inside the bevel): the columns that its
// horizontal grid lines (clGreen, or the trace where it crosses them) run through.
Chart ReadChart(HWND panel) {
  Chart c;
  SIZE client = ClientSize(panel);
  c.shot = Capture(ClientOnScreen(panel, 0, 0, client.cx, client.cy));
  auto inChart = [&](int x) {
    for (int y : {6, 20, 48, 62}) {
      COLORREF p = c.shot.At(x, 1 + y);
      if (p == kGreen || p == kYellow) return true;
    }
    return false;
  };
  int best = 0, bestStart = 0;
  for (int x = 0, run = 0; x <= c.shot.w; ++x) {
    if (x < c.shot.w && inChart(x)) {
      ++run;
      continue;
    }
    if (run > best) {
      best = run;
      bestStart = x - run;
    }
    run = 0;
  }
  c.left = bestStart;
  c.width = best;
  return c;
}

// Columns of the vertical grid lines in the chart (read on a row between horizontal lines).
std::vector<int> GridColumns(const Chart& c) {
  std::vector<int> cols;
  for (int x = 0; x < c.width - 20; ++x)
    if (c.shot.At(c.left + x, 1 + 2) == kGreen) cols.push_back(x);
  return cols;
}

}  // namespace

TEST(Instruments, ChartDrawsItsGridAndTheLoadAndScrollsLeft) {
  OnTop r;
  r.Start();
  HWND panel = ChartPanel(r.main);
  ASSERT_NE(panel, nullptr);
  Chart c = ReadChart(panel);
  // The label on its left and the scale on its right leave it 366 wide.
  EXPECT_GT(c.left, 1);
  EXPECT_EQ(c.width, 366);
  // 71 high: the panel's client less its one-pixel bevel at the top and the bottom.
  EXPECT_EQ(ClientSize(panel).cy - 2, 71);
  // Black under a grid of clGreen: horizontal lines 14 apart around the base line at 34.
  int x = c.left + 3;
  while (c.shot.At(x, 1 + 10) != kBlack && x < c.left + 20) ++x;  // a column off the vertical lines
  for (int y : {6, 20, 48, 62}) EXPECT_EQ(c.shot.At(x, 1 + y), kGreen) << "row " << y;
  for (int y : {5, 7, 19, 21, 33, 35, 47, 49, 63, 70}) EXPECT_EQ(c.shot.At(x, 1 + y), kBlack) << "row " << y;
  std::vector<int> cols = GridColumns(c);
  ASSERT_GE(cols.size(), 20u);
  for (size_t i = 1; i < cols.size(); ++i) EXPECT_EQ(cols[i] - cols[i - 1], 14);

  // The vertical lines move left, one pixel for each tick.
  int moves = 0;
  DWORD start = GetTickCount();
  std::vector<int> before = cols;
  while (moves < 2 && GetTickCount() - start < 4000) {
    Sleep(40);
    std::vector<int> now = GridColumns(ReadChart(panel));
    if (now.empty() || now[0] == before[0]) continue;
    int shift = ((before[0] - now[0]) % 14 + 14) % 14;
    EXPECT_TRUE(shift == 1 || shift == 2) << "moved by " << shift;
    before = now;
    ++moves;
  }
  EXPECT_EQ(moves, 2);

  // With both processors busy the trace reaches the top rows within a second.
  Busy busy;
  bool top = WaitFor(
      [&] {
        Chart now = ReadChart(panel);
        for (int y = 0; y < 3; ++y)
          for (int x = now.width - 30; x < now.width; ++x)
            if (now.shot.At(now.left + x, 1 + y) == kYellow) return true;
        return false;
      },
      1000);
  EXPECT_TRUE(top);
}

TEST(Instruments, AnIdleProcessorDrawsItsTraceOnTheBottomRow) {
  // Windows 98 keeps the load in a statistic that can be set from here; the program charts it
  // as it reads it.
  OnTop r;
  r.Start("win98");
  HWND panel = ChartPanel(r.main);
  ASSERT_NE(panel, nullptr);
  HKEY k;
  ASSERT_EQ(RegOpenKeyExA(HKEY_DYN_DATA, "PerfStats\\StatData", 0, KEY_SET_VALUE, &k), 0);
  const DWORD idle = 0;
  RegSetValueExA(k, "KERNEL\\CPUUsage", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&idle), sizeof idle);
  RegCloseKey(k);
  // The newest stretch of 0 lies along the chart's last row (70).
  bool bottom = WaitFor(
      [&] {
        Chart now = ReadChart(panel);
        for (int x = now.width - 8; x < now.width; ++x)
          if (now.shot.At(now.left + x, 1 + 70) != kYellow) return false;
        return true;
      },
      5000);
  EXPECT_TRUE(bottom);
}

// With one of two processors busy the chart shows the machine half loaded, not that processor's
// 100: its trace follows what the host measures of all its processors.
TEST(Instruments, ChartFollowsTheLoadOfTheWholeMachine) {
  SYSTEM_INFO si;
  GetSystemInfo(&si);
  if (si.dwNumberOfProcessors < 2) GTEST_SKIP() << "one processor";
  uint64_t idle0, total0, idle1, total1;
  if (!HostTimes(idle0, total0)) GTEST_SKIP() << "no Z:\\proc\\stat";
  OnTop r;
  r.Start();
  HWND panel = ChartPanel(r.main);
  ASSERT_NE(panel, nullptr);
  Busy busy(true);
  Sleep(1500);  // the trace takes the new load
  ASSERT_TRUE(HostTimes(idle0, total0));
  Sleep(9000);  // 30 samples
  ASSERT_TRUE(HostTimes(idle1, total1));
  const Chart c = ReadChart(panel);
  ASSERT_EQ(c.width, 366);
  // The newest samples are at the right edge, one a column; the trace of each column spans the
  // step from the sample before, its middle is the load of that moment (row 0 is 100, row 71 is 0).
  double sum = 0;
  int columns = 0;
  for (int x = c.width - 27; x < c.width - 2; ++x) {
    int top = -1, bottom = -1;
    for (int y = 0; y <= 71; ++y)
      if (c.shot.At(c.left + x, 1 + y) == kYellow) {
        if (top < 0) top = y;
        bottom = y;
      }
    if (top < 0) continue;
    sum += (71 - (top + bottom) / 2.0) * 100 / 71;
    ++columns;
  }
  ASSERT_GT(columns, 20);
  const double chart = sum / columns;
  const double host = 100.0 * (1.0 - static_cast<double>(idle1 - idle0) / static_cast<double>(total1 - total0));
  EXPECT_NEAR(chart, host, 15) << "one processor of " << si.dwNumberOfProcessors << " busy";
  std::printf("[ measured ] chart %.0f, host %.0f (one of %lu processors busy)\n", chart, host,
              static_cast<unsigned long>(si.dwNumberOfProcessors));
}

TEST(Instruments, NumberAndBarShowTheAvailableMemory) {
  OnTop r;
  r.Start();
  Sleep(1500);  // the first refresh comes after a second
  MEMORYSTATUSEX ms{};
  ms.dwLength = sizeof ms;
  ASSERT_TRUE(GlobalMemoryStatusEx(&ms));
  double availMb = static_cast<double>(ms.ullAvailPhys) / 1048576;
  int percent = static_cast<int>(std::nearbyint(100.0 * ms.ullAvailPhys / ms.ullTotalPhys));

  // The number: 7 x 13 cells at (2, 1) of the 38 x 16 number, itself inside Panel3's bevel.
  HWND p1 = Panel1(r.main);
  ASSERT_NE(p1, nullptr);
  HWND p3 = nullptr;
  for (HWND c = GetWindow(p1, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (ClassOf(c) == "TPanel" && RectInParent(c).left == 127) p3 = c;
  ASSERT_NE(p3, nullptr);
  Shot num = Capture(ClientOnScreen(p3, 1, 1, 38, 16));
  // Segments a b c d e f g of a cell at their middle pixels.
  const POINT seg[7] = {{3, 0}, {6, 3}, {6, 9}, {3, 12}, {0, 9}, {0, 3}, {3, 6}};
  const int pattern[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
  int value = 0;
  bool blankSoFar = true;
  for (int cell = 0; cell < 4; ++cell) {
    int x0 = 2 + cell * 9, bits = 0;
    for (int s = 0; s < 7; ++s) {
      COLORREF c = num.At(x0 + seg[s].x, 1 + seg[s].y);
      ASSERT_TRUE(c == kLime || c == kGreen) << "cell " << cell << " segment " << s;
      if (c == kLime) bits |= 1 << s;
    }
    // Between and around the cells: the black background.
    EXPECT_EQ(num.At(x0 + 3, 1 + 3), kBlack);
    EXPECT_EQ(num.At(x0 + 7, 1 + 6), kBlack);
    if (bits == 0 && blankSoFar) continue;  // a leading blank cell
    blankSoFar = false;
    int digit = -1;
    for (int d = 0; d < 10; ++d)
      if (pattern[d] == bits) digit = d;
    ASSERT_GE(digit, 0) << "cell " << cell;
    value = value * 10 + digit;
  }
  // Above 9,999 MB the number shows whole gigabytes.
  if (availMb > 9999 + 64) {
    EXPECT_NEAR(value, availMb / 1024, 1);
  } else if (availMb < 9999 - 64) {
    EXPECT_NEAR(value, availMb, 64);
  }

  // The bar: a lowered one-pixel bevel, then 6-pixel blocks from x = 2, 8 apart, for the
  // available percentage of the 142-pixel interior, coloured from green toward yellow.
  Shot bar = Capture(ClientOnScreen(p1, 176, 160, 144, 16));
  EXPECT_EQ(bar.At(0, 0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(bar.At(143, 15), GetSysColor(COLOR_BTNHIGHLIGHT));
  int blocks = 0;
  for (int bx = 2; bx < 142; bx += 8) {
    if (bar.At(bx, 8) == kBlack) break;
    ++blocks;
    EXPECT_EQ(bar.At(bx - 1, 8), kBlack);  // the gap before it
    EXPECT_EQ(bar.At(bx + 3, 1), kBlack);  // the row above the blocks
    COLORREF c = bar.At(bx, 8);
    int red = c & 0xFF, green = (c >> 8) & 0xFF;
    EXPECT_NEAR(red, 255.0 * (bx - 1) / 142, 1.0);
    EXPECT_NEAR(green, 128 + 127.0 * (bx - 1) / 142, 1.0);
    EXPECT_EQ((c >> 16) & 0xFF, 0u);
  }
  int filled = 142 * percent / 100;
  EXPECT_NEAR(blocks, (filled + 6) / 8, 1);
}

TEST(Instruments, TrayGaugeShowsTheLoadOpensTheMenuAndRestoresTheWindow) {
  HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
  if (!tray) GTEST_SKIP() << "no taskbar on this desktop";
  RECT tr;
  GetWindowRect(tray, &tr);
  // The gauge among the tray's icons: a 15 x 16 frame with grey top rows and a white bottom row
  // around 11 columns of levels; returns the number of lit levels, or -1 when it is not there.
  auto findGauge = [&] {
    Shot s = Capture(tr);
    for (int y = 0; y + 16 <= s.h; ++y)
      for (int x = s.w - 16; x >= 0; --x) {
        if (s.At(x, y) != 0x808080 || s.At(x + 13, y + 1) != 0x808080 || s.At(x + 14, y + 1) != 0xFFFFFF ||
            s.At(x + 5, y + 15) != 0xFFFFFF || s.At(x, y + 14) != 0x808080 || s.At(x + 1, y + 14) != 0xFFFFFF)
          continue;
        int lit = 0;
        bool gauge = true;
        for (int row = 2; row <= 13; ++row) {
          COLORREF c = s.At(x + 6, y + row);
          if (c == kLime)
            ++lit;
          else if (c != (row % 2 ? kBlack : kGreen))
            gauge = false;
        }
        if (gauge) return lit;
      }
    return -1;
  };
  // Nothing of ours before the program runs (the taskbar may still be catching up with the
  // end of an earlier test's copy).
  EXPECT_TRUE(WaitFor([&] { return findGauge() == -1; }, 5000));
  {
    OnTop r;
    r.Start();
    ASSERT_TRUE(WaitFor([&] { return findGauge() >= 0; }, 5000));
    {
      Busy busy;
      EXPECT_TRUE(WaitFor([&] { return findGauge() == 12; }, 3000));
    }
    // A right press opens the tray menu.
    r.TrayMouse(WM_RBUTTONDOWN);
    HWND menu = nullptr;
    EXPECT_TRUE(WaitFor(
        [&] {
          menu = FindWindowA("#32768", nullptr);
          return menu && IsWindowVisible(menu);
        },
        5000));
    if (menu) {
      PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
      PostMessageA(r.main, WM_CANCELMODE, 0, 0);
      WaitFor([&] { return !IsWindowVisible(menu); }, 3000);
    }
    // A double-click brings the window back from the tray.
    ASSERT_TRUE(Send(r.main, WM_SYSCOMMAND, SC_MINIMIZE, 0));
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(r.main); }, 3000));
    r.TrayMouse(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(r.main); }, 5000));
  }
  // Gone with the program.
  EXPECT_TRUE(WaitFor([&] { return findGauge() == -1; }, 5000));
}
