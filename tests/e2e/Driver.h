// Starts velmora.exe under a chosen Windows version mode and works it from outside.
#pragma once
#include <windows.h>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>
#include "VelmoraVersion.h"

namespace e2e {

// The main window's caption, which carries the build's version.
inline constexpr const char kMainCaption[] = "Velmora v" VELMORA_VERSION;

// The version mode given on the command line (--winver=...), empty for Wine's default.
extern std::string g_winver;

// The folder of the test programs (and of velmora.exe), with a trailing separator.
std::string ExeDir();
// Sets the version mode Wine plays for one program file name; empty clears it.
void SetVersionMode(const std::string& exe, const std::string& winver);

struct Program {
  PROCESS_INFORMATION pi{};
  bool started = false;

  // Sets the version mode for velmora.exe, clears its stored settings (unless kept, to see them
  // restored), and starts it (the build's, or a copy of it elsewhere).
  bool Start(const std::string& winver = g_winver, bool keepSettings = false, const std::string& exe = "");
  // Waits for the process to end; returns false on timeout.
  bool WaitExit(DWORD ms, DWORD* code = nullptr);
  void Kill();
  ~Program();
};

// The program started and its two top-level windows found; asked to close when it goes.
struct Running {
  Program p;
  HWND app = nullptr, main = nullptr;
  // Starts the program and waits until its main window answers (fails the test otherwise).
  void Start(const std::string& winver = g_winver, const std::string& exe = "");
  ~Running();
};

// A top-level window of the given class (and caption, when not null) owned by process pid.
HWND FindTopWindow(DWORD pid, const char* cls, const char* caption, DWORD timeoutMs);
// Every top-level window of the given class owned by process pid, visible or not.
std::vector<HWND> TopWindows(DWORD pid, const char* cls);
// Whether process pid has any visible top-level window.
bool HasVisibleWindow(DWORD pid);
// Deletes HKEY_CURRENT_USER\<key> with everything below it.
void DeleteUserKey(const std::string& key);
// A registry value as "<none>", "s:text" or "i:number".
std::string Value(HKEY root, const char* key, const char* name);
// Removes what the wizard may have written: the tuning values of every version and the logon
// entry (the test prefix's registry only).
void CleanTuning();
// A child window of the given class and caption below parent (any depth).
HWND FindChild(HWND parent, const char* cls, const char* caption);
// The direct children of parent of that class, in z-order (the description's order).
std::vector<HWND> Children(HWND parent, const char* cls);
// A visible top-level window of process pid other than those listed; null after the time-out.
HWND WaitForOtherWindow(DWORD pid, std::initializer_list<HWND> known, DWORD timeoutMs);
// Moves the system's mouse pointer to a point of h's client area, or out of the way to the top
// left corner of the screen.
void PointerTo(HWND h, int x, int y);
void PointerAway();
// Client area size and position relative to the parent's client area.
SIZE ClientSize(HWND h);
RECT RectInParent(HWND h);
std::string WindowText(HWND h);
std::string ClassOf(HWND h);
// Waits until the window's thread answers (SendMessageTimeout with WM_NULL). Sent messages go
// ahead of posted ones, so this does not wait for what was posted before.
bool Settle(HWND h, DWORD ms = 5000);
// Sends a message and waits for it to be handled; false on a time-out.
bool Send(HWND h, UINT msg, WPARAM wp, LPARAM lp, DWORD ms = 10000);
// Presses a button of the main window (by its caption) and waits for the window it opens: a
// visible top-level window of that class, answering; null after a minute.
HWND OpenFromMain(const Running& r, const char* button, const char* cls);
// Tells the program that it became the active application and waits until its activation
// event, which it raises from a message it posts itself, has run.
bool Activate(const Running& r);

// Memory in another process, for the list and tab messages that carry pointers.
class Remote {
 public:
  Remote(DWORD pid, size_t size);
  ~Remote();
  Remote(const Remote&) = delete;
  Remote& operator=(const Remote&) = delete;
  char* At(size_t offset) const { return static_cast<char*>(FMem) + offset; }
  void Write(const void* data, size_t n, size_t offset = 0);
  void Read(void* data, size_t n, size_t offset = 0) const;

 private:
  HANDLE FProcess = nullptr;
  void* FMem = nullptr;
};
// The process that owns a window.
DWORD PidOf(HWND h);
// Rows of a list view of another process, and the texts of one of its columns (each cut to
// maxText characters).
int ItemCount(HWND lv);
std::vector<std::string> ListColumn(HWND lv, int sub, size_t maxText = 4096);
// A control's whole text, asked with WM_GETTEXT.
std::string ControlText(HWND h);
// A press on tab i of a tab control of another process, as the mouse gives it; SelectTab also
// waits until the control shows that tab.
void ClickTab(HWND tabs, int i);
void SelectTab(HWND tabs, int i);
// The system information dialog dlg of process pid: item (0 All Topics, 1 Current Topic) of
// its Report button's menu chosen with the keyboard, and the save dialog that comes (or null).
HWND ReportSaveDialog(DWORD pid, HWND dlg, int item);
// Gives the save dialog a file name and confirms it (or cancels); returns the name it proposed.
std::string SaveAs(HWND save, HWND dlg, const std::string& file, bool confirm = true);

// Wide text in the ANSI code page, a character it lacks as "?" (never a look-alike).
std::string Narrow(const std::wstring& w);

// A whole file's bytes (empty when it cannot be read), and whether a file or folder exists.
std::string ReadFile(const std::string& name);
bool Exists(const std::string& name);

// Pixels of a screen rectangle, as COLORREF values: what the screen shows of the program's
// windows (their device contexts cannot be read from another process).
struct Shot {
  int w = 0, h = 0;
  std::vector<COLORREF> px;
  COLORREF At(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h ? px[y * w + x] : CLR_INVALID; }
};
Shot Capture(RECT r);
// The client area of a window on the screen, from (x, y) of the client, w x h.
RECT ClientOnScreen(HWND h, int x, int y, int w, int ht);
// Polls pred every 20 ms until it holds; false when the time is up.
bool WaitFor(const std::function<bool()>& pred, DWORD ms);

// Real key presses, through the X server (xdotool), in xdotool's names: "Tab", "Return",
// "space", "Right", "shift+Tab", "alt+n". They go to the window in the foreground, and within it
// to the focused control. False when xdotool could not be run.
bool Keys(const std::string& keys);
// Brings a top-level window of the program to the foreground and waits until it is there.
bool Foreground(HWND h, DWORD ms = 5000);
// The window that has the keyboard focus in the thread that owns h, or null.
HWND FocusOf(HWND h);
// "class 'text'" of that window, to compare and to read in a failure ("nothing" without one).
std::string Focus(HWND h);

}  // namespace e2e
