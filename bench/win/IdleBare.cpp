// The yardstick of the idle-cost figure: a bare Win32 program that does the program's periodic
// work and nothing else. Every 300 ms it draws a 366 x 71 chart off-screen and copies it to its
// window, and replaces its 16 x 16 tray icon; every second it reads the memory status and sets
// the icon's tooltip. Ends after the given number of seconds (default 70).
//   idle_bare.exe [seconds]
#include <windows.h>
#include <shellapi.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const int kW = 366, kH = 71;
HWND g_window;
HDC g_chartDC;
HBITMAP g_chart;
int g_history[kW];
int g_tick;
HICON g_icon;
NOTIFYICONDATAA g_data;

void DrawChart() {
  RECT all{0, 0, kW, kH};
  FillRect(g_chartDC, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  HPEN grid = CreatePen(PS_SOLID, 1, RGB(0, 128, 0)), trace = CreatePen(PS_SOLID, 1, RGB(255, 255, 0));
  HGDIOBJ old = SelectObject(g_chartDC, grid);
  for (int x = -(g_tick % 14); x <= kW; x += 14) {
    MoveToEx(g_chartDC, x, 0, nullptr);
    LineTo(g_chartDC, x, kH);
  }
  for (int y = 6; y < kH; y += 14) {
    MoveToEx(g_chartDC, 0, y, nullptr);
    LineTo(g_chartDC, kW, y);
  }
  SelectObject(g_chartDC, trace);
  MoveToEx(g_chartDC, kW, g_history[0], nullptr);
  for (int x = 1; x < kW; ++x) LineTo(g_chartDC, kW - x, g_history[x]);
  SelectObject(g_chartDC, old);
  DeleteObject(grid);
  DeleteObject(trace);
  HDC dc = GetDC(g_window);
  BitBlt(dc, 10, 10, kW, kH, g_chartDC, 0, 0, SRCCOPY);
  ReleaseDC(g_window, dc);
}

HICON MakeIcon(int level) {
  HDC screen = GetDC(nullptr);
  HBITMAP color = CreateCompatibleBitmap(screen, 16, 16);
  ReleaseDC(nullptr, screen);
  WORD maskBits[16] = {};
  HBITMAP mask = CreateBitmap(16, 16, 1, 1, maskBits);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, color);
  RECT all{0, 0, 16, 16}, lit{2, 14 - level, 13, 14};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  HBRUSH lime = CreateSolidBrush(RGB(0, 255, 0));
  FillRect(dc, &lit, lime);
  DeleteObject(lime);
  SelectObject(dc, old);
  DeleteDC(dc);
  ICONINFO ii{TRUE, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&ii);
  DeleteObject(color);
  DeleteObject(mask);
  return icon;
}

void ReplaceIcon() {
  HICON fresh = MakeIcon(g_tick % 13);
  g_data.hIcon = fresh;
  g_data.uFlags = NIF_ICON;
  Shell_NotifyIconA(NIM_MODIFY, &g_data);
  if (g_icon) DestroyIcon(g_icon);
  g_icon = fresh;
}

void SetTip() {
  MEMORYSTATUS ms{};
  ms.dwLength = sizeof ms;
  GlobalMemoryStatus(&ms);
  std::snprintf(g_data.szTip, sizeof g_data.szTip, "Bare: CPU=%d%%, RAM=%lu Mb", g_tick % 101,
                static_cast<unsigned long>(ms.dwAvailPhys / 1048576));
  g_data.uFlags = NIF_TIP;
  Shell_NotifyIconA(NIM_MODIFY, &g_data);
}

LRESULT CALLBACK WndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER && wp == 1) {
    ++g_tick;
    std::memmove(g_history + 1, g_history, sizeof g_history - sizeof g_history[0]);
    g_history[0] = (g_tick * 7) % kH;
    DrawChart();
    ReplaceIcon();
    return 0;
  }
  if (msg == WM_TIMER && wp == 2) {
    SetTip();
    return 0;
  }
  if (msg == WM_TIMER && wp == 3) {
    DestroyWindow(h);
    return 0;
  }
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(h, msg, wp, lp);
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = argc > 1 ? std::atoi(argv[1]) : 70;
  WNDCLASSA wc{};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "IdleBare";
  RegisterClassA(&wc);
  g_window = CreateWindowExA(0, "IdleBare", "Idle bare", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 260, 431, 236, nullptr,
                             nullptr, wc.hInstance, nullptr);
  HDC screen = GetDC(nullptr);
  g_chartDC = CreateCompatibleDC(screen);
  g_chart = CreateCompatibleBitmap(screen, kW, kH);
  ReleaseDC(nullptr, screen);
  SelectObject(g_chartDC, g_chart);
  for (int& y : g_history) y = 34;
  g_data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  g_data.hWnd = g_window;
  g_data.uFlags = NIF_ICON | NIF_TIP;
  g_icon = MakeIcon(0);
  g_data.hIcon = g_icon;
  std::strcpy(g_data.szTip, "Bare");
  Shell_NotifyIconA(NIM_ADD, &g_data);
  SetTimer(g_window, 1, 300, nullptr);
  SetTimer(g_window, 2, 1000, nullptr);
  SetTimer(g_window, 3, static_cast<UINT>(seconds) * 1000, nullptr);
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  Shell_NotifyIconA(NIM_DELETE, &g_data);
  return 0;
}
