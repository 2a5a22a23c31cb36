// Start to first painted main window, seen from outside: starts a program, then watches for its
// top-level window of the given class to be visible with the window and every window inside it
// painted (none has an update region left: each has had its first WM_PAINT). Prints the
// milliseconds from just before the start and leaves the program running.
//   first_paint.exe "folder\program.exe [arguments]" WindowClass [timeout-seconds]
// The program starts in its own folder, with its file name and the arguments as command line.
// Exit status 0 when the window was painted in time, 1 otherwise.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Search {
  DWORD pid;
  const char* cls;
  HWND found;
};

HWND FindWindowOf(DWORD pid, const char* cls) {
  Search s{pid, cls, nullptr};
  EnumWindows(
      [](HWND h, LPARAM lp) WINAPI -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        char name[128] = "";
        if (owner != s->pid || !GetClassNameA(h, name, sizeof name) || lstrcmpA(name, s->cls) != 0) return TRUE;
        s->found = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

// Visible, and neither it nor a visible window inside it waits for a paint.
bool Painted(HWND h) {
  if (!IsWindowVisible(h) || GetUpdateRect(h, nullptr, FALSE)) return false;
  bool pending = false;
  EnumChildWindows(
      h,
      [](HWND c, LPARAM lp) WINAPI -> BOOL {
        if (IsWindowVisible(c) && GetUpdateRect(c, nullptr, FALSE)) {
          *reinterpret_cast<bool*>(lp) = true;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&pending));
  return !pending;
}

double Ms(const LARGE_INTEGER& from, const LARGE_INTEGER& to, const LARGE_INTEGER& freq) {
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(freq.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: first_paint program.exe WindowClass [timeout-seconds]\n");
    return 2;
  }
  std::string line = argv[1];
  const char* cls = argv[2];
  DWORD timeoutMs = (argc > 3 ? std::atoi(argv[3]) : 30) * 1000;
  std::string exe = line.substr(0, line.find(' '));
  size_t slash = exe.find_last_of("\\/");
  std::string dir = slash == std::string::npos ? std::string() : exe.substr(0, slash);
  std::string cmd = slash == std::string::npos ? line : line.substr(slash + 1);

  LARGE_INTEGER freq, start, now;
  QueryPerformanceFrequency(&freq);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  QueryPerformanceCounter(&start);
  // The file named, not one of that name beside this program (where the system looks first).
  if (!CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.empty() ? nullptr : dir.c_str(), &si,
                      &pi)) {
    std::fprintf(stderr, "first_paint: cannot start %s (%lu)\n", exe.c_str(), GetLastError());
    return 1;
  }
  CloseHandle(pi.hThread);
  double visible = -1;
  for (;;) {
    QueryPerformanceCounter(&now);
    double ms = Ms(start, now, freq);
    if (ms > timeoutMs || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
    if (HWND h = FindWindowOf(pi.dwProcessId, cls)) {
      if (visible < 0 && IsWindowVisible(h)) visible = ms;
      if (Painted(h)) {
        std::printf("first paint %.1f ms (visible at %.1f ms)\n", ms, visible);
        CloseHandle(pi.hProcess);
        return 0;
      }
    }
    Sleep(1);
  }
  std::fprintf(stderr, "first_paint: no painted %s window\n", cls);
  CloseHandle(pi.hProcess);
  return 1;
}
