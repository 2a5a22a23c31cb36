#include "Driver.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <sstream>
#include <fstream>
#include <cstring>

namespace e2e {

std::string g_winver;

std::string ExeDir() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path, n);
  return s.substr(0, s.find_last_of("\\/") + 1);
}

void SetVersionMode(const std::string& exe, const std::string& winver) {
  HKEY k;
  const std::string key = "Software\\Wine\\AppDefaults\\" + exe;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) != 0) return;
  if (winver.empty())
    RegDeleteValueA(k, "Version");
  else
    RegSetValueExA(k, "Version", 0, REG_SZ, (const BYTE*)winver.c_str(), (DWORD)winver.size() + 1);
  RegCloseKey(k);
}

// Windows 9x keeps the processor load in its dynamic statistics; Wine's 9x mode has only part of
// those keys, so the driver lays them out with a fixed load.
static void PrepareStatistics(const std::string& winver) {
  if (winver != "win98") return;
  const DWORD load = 12;
  for (const char* key : {"PerfStats\\StartStat", "PerfStats\\StatData", "PerfStats\\StopStat"}) {
    HKEY k;
    if (RegCreateKeyExA(HKEY_DYN_DATA, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) != 0) continue;
    RegSetValueExA(k, "KERNEL\\CPUUsage", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&load), sizeof load);
    RegCloseKey(k);
  }
}

void DeleteUserKey(const std::string& key) {
  HKEY k;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_ALL_ACCESS, &k) == 0) {
    char name[256];
    std::vector<std::string> subs;
    for (DWORD i = 0;; ++i) {
      DWORD n = sizeof name;
      if (RegEnumKeyExA(k, i, name, &n, nullptr, nullptr, nullptr, nullptr) != 0) break;
      subs.push_back(name);
    }
    RegCloseKey(k);
    for (auto& sub : subs) DeleteUserKey(key + "\\" + sub);
  }
  RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

std::string Value(HKEY root, const char* key, const char* name) {
  HKEY k;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &k) != 0) return "<none>";
  char buf[512];
  DWORD type = 0, size = sizeof buf;
  LONG r = RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
  RegCloseKey(k);
  if (r != 0) return "<none>";
  if (type == REG_DWORD) return "i:" + std::to_string(*reinterpret_cast<DWORD*>(buf));
  return "s:" + std::string(buf, size && buf[size - 1] == 0 ? size - 1 : size);
}

static void DeleteValues(HKEY root, const char* key, std::initializer_list<const char*> names) {
  HKEY k;
  if (RegOpenKeyExA(root, key, 0, KEY_ALL_ACCESS, &k) != 0) return;
  for (const char* n : names) RegDeleteValueA(k, n);
  RegCloseKey(k);
}

void CleanTuning() {
  DeleteValues(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
               {"MaxConnectionsPerServer", "MaxConnectionsPer1_0Server"});
  DeleteValues(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters",
               {"DefaultTTL", "TcpWindowSize", "GlobalMaxTcpWindowSize", "EnablePMTUBHDetect", "EnablePMTUDiscovery",
                "SackOpts", "Tcp1323Opts"});
  DeleteValues(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\VxD\\MSTCP",
               {"DefaultTTL", "DefaultRcvWindow", "PMTUBlackHoleDetect", "PMTUDiscovery", "SackOpts", "Tcp1323Opts"});
  DeleteValues(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", {"velmora.exe"});
}

bool Program::Start(const std::string& winver, bool keepSettings, const std::string& exe) {
  // Each test starts from a program that has stored nothing: centred, not in the tray.
  if (!keepSettings) DeleteUserKey("Velmora");
  SetVersionMode("velmora.exe", winver);
  PrepareStatistics(winver);
  const std::string file = exe.empty() ? ExeDir() + "velmora.exe" : exe;
  const std::string folder = file.substr(0, file.find_last_of('\\') + 1);
  std::string cmd = "\"" + file + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  started = CreateProcessA(file.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi);
  return started;
}

bool Program::WaitExit(DWORD ms, DWORD* code) {
  if (!started) return true;
  if (WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0) return false;
  if (code) GetExitCodeProcess(pi.hProcess, code);
  return true;
}

void Program::Kill() {
  if (started && WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 99);
    WaitForSingleObject(pi.hProcess, 5000);
  }
}

Program::~Program() {
  Kill();
  if (started) {
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
}

struct FindData {
  DWORD pid;
  const char* cls;
  const char* caption;
  HWND found;
};

static BOOL CALLBACK FindTopProc(HWND h, LPARAM lp) {
  auto* d = reinterpret_cast<FindData*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid != d->pid) return TRUE;
  if (ClassOf(h) != d->cls) return TRUE;
  if (d->caption && WindowText(h) != d->caption) return TRUE;
  d->found = h;
  return FALSE;
}

static BOOL CALLBACK ListProc(HWND h, LPARAM lp) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid == static_cast<DWORD>(lp)) printf("  window of the process: '%s' '%s'\n", ClassOf(h).c_str(), WindowText(h).c_str());
  return TRUE;
}

HWND FindTopWindow(DWORD pid, const char* cls, const char* caption, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    FindData d{pid, cls, caption, nullptr};
    EnumWindows(FindTopProc, reinterpret_cast<LPARAM>(&d));
    if (d.found) return d.found;
    if (GetTickCount() - start > timeoutMs) {
      // Say what there was, to tell a wrong class or caption from no window at all.
      EnumWindows(ListProc, static_cast<LPARAM>(pid));
      return nullptr;
    }
    Sleep(50);
  }
}

struct ListData {
  DWORD pid;
  const char* cls;
  std::vector<HWND> found;
  bool visibleOnly;
};

static BOOL CALLBACK CollectProc(HWND h, LPARAM lp) {
  auto* d = reinterpret_cast<ListData*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid == d->pid && (!d->cls || ClassOf(h) == d->cls) && (!d->visibleOnly || IsWindowVisible(h))) d->found.push_back(h);
  return TRUE;
}

std::vector<HWND> TopWindows(DWORD pid, const char* cls) {
  ListData d{pid, cls, {}, false};
  EnumWindows(CollectProc, reinterpret_cast<LPARAM>(&d));
  return d.found;
}

bool HasVisibleWindow(DWORD pid) {
  ListData d{pid, nullptr, {}, true};
  EnumWindows(CollectProc, reinterpret_cast<LPARAM>(&d));
  return !d.found.empty();
}

static BOOL CALLBACK FindChildProc(HWND h, LPARAM lp) {
  auto* d = reinterpret_cast<FindData*>(lp);
  if (ClassOf(h) != d->cls) return TRUE;
  if (d->caption && WindowText(h) != d->caption) return TRUE;
  d->found = h;
  return FALSE;
}

HWND FindChild(HWND parent, const char* cls, const char* caption) {
  FindData d{0, cls, caption, nullptr};
  EnumChildWindows(parent, FindChildProc, reinterpret_cast<LPARAM>(&d));
  return d.found;
}

std::vector<HWND> Children(HWND parent, const char* cls) {
  std::vector<HWND> out;
  for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
    if (ClassOf(h) == cls) out.push_back(h);
  return out;
}

struct OtherData {
  DWORD pid;
  std::initializer_list<HWND> known;
  HWND found;
};

static BOOL CALLBACK OtherProc(HWND h, LPARAM lp) {
  auto* d = reinterpret_cast<OtherData*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid != d->pid || !IsWindowVisible(h)) return TRUE;
  for (HWND k : d->known)
    if (k == h) return TRUE;
  d->found = h;
  return FALSE;
}

HWND WaitForOtherWindow(DWORD pid, std::initializer_list<HWND> known, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    OtherData d{pid, known, nullptr};
    EnumWindows(OtherProc, reinterpret_cast<LPARAM>(&d));
    if (d.found || GetTickCount() - start > timeoutMs) return d.found;
    Sleep(50);
  }
}

// Wine may still be catching up with an earlier move and put the pointer back: set it until it
// stays put.
static void MovePointer(POINT p) {
  for (int i = 0, still = 0; i < 40 && still < 3; ++i) {
    SetCursorPos(p.x, p.y);
    Sleep(50);
    POINT now;
    still = GetCursorPos(&now) && now.x == p.x && now.y == p.y ? still + 1 : 0;
  }
}

void PointerTo(HWND h, int x, int y) {
  POINT p{x, y};
  ClientToScreen(h, &p);
  MovePointer(p);
}

void PointerAway() { MovePointer(POINT{0, 0}); }

SIZE ClientSize(HWND h) {
  RECT r{};
  GetClientRect(h, &r);
  return SIZE{r.right, r.bottom};
}

RECT RectInParent(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::string WindowText(HWND h) {
  char buf[512];
  int n = GetWindowTextA(h, buf, sizeof buf);
  return std::string(buf, n > 0 ? n : 0);
}

std::string ClassOf(HWND h) {
  char buf[256];
  int n = GetClassNameA(h, buf, sizeof buf);
  return std::string(buf, n > 0 ? n : 0);
}

void Running::Start(const std::string& winver, const std::string& exe) {
  ASSERT_TRUE(p.Start(winver, false, exe));
  app = FindTopWindow(p.pi.dwProcessId, "TApplication", "Velmora", 15000);
  main = FindTopWindow(p.pi.dwProcessId, "TMainForm", kMainCaption, 15000);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(Settle(main));
}

Running::~Running() {
  if (main) PostMessageA(main, WM_CLOSE, 0, 0);
  p.WaitExit(10000);
}

bool Settle(HWND h, DWORD ms) {
  DWORD_PTR r;
  return SendMessageTimeoutA(h, WM_NULL, 0, 0, SMTO_NORMAL, ms, &r) != 0;
}

bool Send(HWND h, UINT msg, WPARAM wp, LPARAM lp, DWORD ms) {
  DWORD_PTR r;
  return SendMessageTimeoutA(h, msg, wp, lp, SMTO_NORMAL, ms, &r) != 0;
}

HWND OpenFromMain(const Running& r, const char* button, const char* cls) {
  HWND b = FindChild(r.main, "TFlatButton", button);
  if (!b) return nullptr;
  PostMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  PostMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  HWND w = nullptr;
  WaitFor(
      [&] {
        for (HWND h : TopWindows(r.p.pi.dwProcessId, cls))
          if (IsWindowVisible(h)) w = h;
        return w != nullptr;
      },
      60000);
  return w && Settle(w, 60000) ? w : nullptr;
}

bool Activate(const Running& r) {
  if (!Send(r.app, WM_ACTIVATEAPP, TRUE, 0)) return false;
  Sleep(30);
  return Settle(r.main);
}

Shot Capture(RECT r) {
  Shot s;
  s.w = r.right - r.left;
  s.h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = s.w;
  bi.bmiHeader.biHeight = -s.h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, s.w, s.h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  auto* p = static_cast<const uint32_t*>(bits);
  s.px.resize(static_cast<size_t>(s.w) * s.h);
  for (size_t i = 0; i < s.px.size(); ++i) s.px[i] = ((p[i] & 0xFF) << 16) | (p[i] & 0xFF00) | ((p[i] >> 16) & 0xFF);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return s;
}

RECT ClientOnScreen(HWND h, int x, int y, int w, int ht) {
  POINT o{x, y};
  ClientToScreen(h, &o);
  return RECT{o.x, o.y, o.x + w, o.y + ht};
}

bool WaitFor(const std::function<bool()>& pred, DWORD ms) {
  DWORD start = GetTickCount();
  while (!pred()) {
    if (GetTickCount() - start > ms) return false;
    Sleep(20);
  }
  return true;
}

bool Keys(const std::string& keys) {
  // Wine starts a Unix program given by its path as it does a Windows one, but its process
  // cannot be waited for: the shell around it leaves a file when it is done.
  const std::string marker = ExeDir() + "xdotool-done.txt";
  DeleteFileA(marker.c_str());
  std::string unixMarker = marker.substr(2);  // Z:\work\... is /work/...
  for (char& c : unixMarker)
    if (c == '\\') c = '/';
  // The X server's keyboard focus goes to the X window of the window in the foreground first:
  // after other windows have come and gone it may rest on none, and the keys would be lost.
  std::string caption;
  if (HWND fg = GetForegroundWindow()) caption = WindowText(fg);
  std::string pattern;
  for (char c : caption) {
    if (std::strchr("\\^$.|?*+()[]{}'\"`", c)) pattern += '.';  // a wildcard stands for it
    else pattern += c;
  }
  std::string focus = caption.empty() ? std::string()
                                      : "/usr/bin/xdotool search --name '^" + pattern + "$' windowfocus %1; sleep 0.1; ";
  std::string cmd = "/bin/sh -c \"" + focus + "/usr/bin/xdotool key --delay 120 " + keys + "; echo done > '" + unixMarker + "'\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  bool done = WaitFor([&] { return GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }, 20000);
  DeleteFileA(marker.c_str());
  // The keys reach the program through the X server and Wine after xdotool has ended.
  Sleep(150);
  return done;
}

bool Foreground(HWND h, DWORD ms) {
  return WaitFor(
      [&] {
        if (GetForegroundWindow() == h) return true;
        SetForegroundWindow(h);
        Sleep(50);
        return GetForegroundWindow() == h;
      },
      ms);
}

HWND FocusOf(HWND h) {
  GUITHREADINFO gti{};
  gti.cbSize = sizeof gti;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(h, nullptr), &gti)) return nullptr;
  return gti.hwndFocus;
}

std::string Focus(HWND h) {
  HWND f = FocusOf(h);
  return f ? ClassOf(f) + " '" + WindowText(f) + "'" : "nothing";
}

Remote::Remote(DWORD pid, size_t size) {
  FProcess = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (FProcess) FMem = VirtualAllocEx(FProcess, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
}

Remote::~Remote() {
  if (FMem) VirtualFreeEx(FProcess, FMem, 0, MEM_RELEASE);
  if (FProcess) CloseHandle(FProcess);
}

void Remote::Write(const void* data, size_t n, size_t offset) {
  WriteProcessMemory(FProcess, At(offset), data, n, nullptr);
}

void Remote::Read(void* data, size_t n, size_t offset) const {
  ReadProcessMemory(FProcess, At(offset), data, n, nullptr);
}

DWORD PidOf(HWND h) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  return pid;
}

int ItemCount(HWND lv) {
  DWORD_PTR n = 0;
  SendMessageTimeoutA(lv, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 5000, &n);
  return static_cast<int>(n);
}

std::vector<std::string> ListColumn(HWND lv, int sub, size_t maxText) {
  std::vector<std::string> out;
  Remote mem(PidOf(lv), sizeof(LVITEMA) + maxText);
  for (int i = 0, n = ItemCount(lv); i < n; ++i) {
    LVITEMA it{};
    it.iSubItem = sub;
    it.pszText = mem.At(sizeof it);
    it.cchTextMax = static_cast<int>(maxText);
    mem.Write(&it, sizeof it);
    DWORD_PTR len = 0;
    SendMessageTimeoutA(lv, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(mem.At(0)), SMTO_NORMAL, 5000, &len);
    std::string s(len, '\0');
    mem.Read(s.data(), len, sizeof it);
    out.push_back(s);
  }
  return out;
}

std::string Narrow(const std::wstring& w) {
  if (w.empty()) return {};
  const DWORD flags = 0x400;  // WC_NO_BEST_FIT_CHARS
  const int n = WideCharToMultiByte(CP_ACP, flags, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(n > 0 ? n : 0, '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, flags, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::string ControlText(HWND h) {
  DWORD_PTR n = 0;
  if (!SendMessageTimeoutA(h, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &n)) return {};
  std::string s(n + 1, '\0');
  if (!SendMessageTimeoutA(h, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()), SMTO_NORMAL, 5000, &n)) return {};
  s.resize(n);
  return s;
}

void ClickTab(HWND tabs, int i) {
  Remote mem(PidOf(tabs), sizeof(RECT));
  Send(tabs, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(mem.At(0)));
  RECT r{};
  mem.Read(&r, sizeof r);
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(tabs, WM_LBUTTONUP, 0, at);
  Settle(tabs);
}

// A settle alone can be answered before a posted click.
void SelectTab(HWND tabs, int i) {
  ClickTab(tabs, i);
  WaitFor(
      [&] {
        DWORD_PTR cur = 0;
        SendMessageTimeoutA(tabs, TCM_GETCURSEL, 0, 0, SMTO_NORMAL, 5000, &cur);
        return static_cast<int>(cur) == i;
      },
      10000);
  Settle(tabs);
}

HWND ReportSaveDialog(DWORD pid, HWND dlg, int item) {
  PostMessageA(FindChild(dlg, "TButton", "&Report..."), BM_CLICK, 0, 0);
  HWND menu = FindTopWindow(pid, "#32768", nullptr, 10000);
  if (!menu) return nullptr;
  for (int i = 0; i <= item; ++i) PostMessageA(dlg, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(dlg, WM_KEYDOWN, VK_RETURN, 0);
  return FindTopWindow(pid, "#32770", "Save As", 15000);
}

std::string SaveAs(HWND save, HWND dlg, const std::string& file, bool confirm) {
  HWND name = GetDlgItem(save, 0x47C);
  std::string proposed = ControlText(name);
  if (confirm) Send(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
  PostMessageA(save, WM_COMMAND, confirm ? IDOK : IDCANCEL, 0);
  WaitFor([&] { return !IsWindow(save); }, 10000);
  Settle(dlg);
  return proposed;
}

std::string ReadFile(const std::string& name) {
  std::ifstream f(name, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

bool Exists(const std::string& name) { return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace e2e

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--winver=", 9) == 0) e2e::g_winver = argv[i] + 9;
  return RUN_ALL_TESTS();
}
