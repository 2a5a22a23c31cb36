// Start-up: a placeholder main window until the framework lands.
#include <windows.h>

static LRESULT CALLBACK MainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_DESTROY) { PostQuitMessage(0); return 0; }
  return DefWindowProcA(h, m, w, l);
}

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = inst;
  wc.hIcon = LoadIconA(inst, "MAINICON");
  wc.lpszClassName = "TApplication";
  RegisterClassA(&wc);
  HWND app = CreateWindowA("TApplication", "Velmora", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                           0, 0, 0, 0, nullptr, nullptr, inst, nullptr);
  wc.lpfnWndProc = MainProc;
  wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = "TMainForm";
  RegisterClassA(&wc);
  DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT r{0, 0, 425, 211};
  AdjustWindowRect(&r, style, FALSE);
  int w = r.right - r.left, h = r.bottom - r.top;
  RECT wa;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
  HWND main = CreateWindowA("TMainForm", "Velmora v4.6", style, wa.left + (wa.right - wa.left - w) / 2,
                            wa.top + (wa.bottom - wa.top - h) / 2, w, h, app, nullptr, inst, nullptr);
  ShowWindow(main, SW_SHOW);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  DestroyWindow(app);
  return 0;
}
