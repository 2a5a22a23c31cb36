// The application shell from outside: placement kept across starts, the tray, one running copy,
// and the icons after the taskbar comes back.
#include "Driver.h"
#include <gtest/gtest.h>
#include <shellapi.h>
#include <map>
#include <memory>

using namespace e2e;

namespace {

const char kSettings[] = "Velmora\\MainFormSettings";

struct Up {
  Program p;
  HWND app = nullptr, main = nullptr;
  // Starts the program and waits until its main window is on the screen and idle.
  void Start(bool keepSettings = false) {
    ASSERT_TRUE(p.Start(g_winver, keepSettings));
    app = FindTopWindow(p.pi.dwProcessId, "TApplication", "Velmora", 15000);
    main = FindTopWindow(p.pi.dwProcessId, "TMainForm", kMainCaption, 15000);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != 0; }, 15000));
    ASSERT_TRUE(Settle(main));
  }
  void Close() {
    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(p.WaitExit(15000));
  }
};

// Values of the stored placement: name to (type, text).
std::map<std::string, std::pair<DWORD, std::string>> Stored() {
  std::map<std::string, std::pair<DWORD, std::string>> out;
  HKEY k;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettings, 0, KEY_READ, &k) != 0) return out;
  for (DWORD i = 0;; ++i) {
    char name[256], data[512];
    DWORD n = sizeof name, size = sizeof data - 1, type = 0;
    if (RegEnumValueA(k, i, name, &n, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != 0) break;
    data[size] = 0;
    out[name] = {type, type == REG_SZ ? std::string(data) : std::string()};
  }
  RegCloseKey(k);
  return out;
}

// An icon in the notification area: the window the shell reports to and the icon's number there.
struct Icon {
  HWND owner;
  UINT id;
};

NOTIFYICONDATAA Record(const Icon& i) {
  NOTIFYICONDATAA d{};
  d.cbSize = 88;  // the record of Windows 95 and NT 4.0
  d.hWnd = i.owner;
  d.uID = i.id;
  return d;
}

// Whether the shell holds the icon (a change of nothing succeeds only then).
bool HasIcon(const Icon& i) {
  NOTIFYICONDATAA d = Record(i);
  return Shell_NotifyIconA(NIM_MODIFY, &d) != 0;
}

// The program's icons: the plain one (number 1) and the processor-load gauge (number 0).
std::vector<Icon> Icons(DWORD pid) {
  std::vector<Icon> out;
  for (HWND h : TopWindows(pid, "TUtilityWindow"))
    for (UINT id : {0u, 1u})
      if (HasIcon({h, id})) out.push_back({h, id});
  return out;
}

// Whether a running copy holds the single-instance mutex (taken and let go again when free).
bool InstanceHeld() {
  HANDLE instance = OpenMutexA(SYNCHRONIZE, FALSE, "Default.OneInstance.Velmora");
  if (!instance) return false;
  DWORD r = WaitForSingleObject(instance, 0);
  if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED) ReleaseMutex(instance);
  CloseHandle(instance);
  return r == WAIT_TIMEOUT;
}

// Windows asks every top-level window of the program whether the session may end.
void AskToEndSession(DWORD pid) {
  for (HWND h : TopWindows(pid, nullptr)) {
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(h, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &answer));
    EXPECT_NE(answer, 0u) << ClassOf(h);  // yes, the session may end
  }
}

// A second start: it shows nothing, ends by itself, and brings the running copy forward.
void StartDuplicate(const Up& first) {
  Program dup;
  ASSERT_TRUE(dup.Start(g_winver, true));
  bool seen = false;
  DWORD code = 1;
  ASSERT_TRUE(WaitFor(
      [&] {
        seen = seen || HasVisibleWindow(dup.pi.dwProcessId);  // no window, no message box
        return dup.WaitExit(0, &code);
      },
      10000))
      << "the second copy did not end";
  EXPECT_FALSE(seen);
  EXPECT_EQ(code, 0u);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(first.main) && IsWindowVisible(first.app); }, 5000));
  ASSERT_TRUE(Settle(first.main));
  EXPECT_EQ(GetForegroundWindow(), first.main);
}

}  // namespace

TEST(Shell, ThePlacementIsStoredAsTextOnCloseAndTheNextStartPutsTheWindowBack) {
  RECT moved;
  {
    Up r;
    r.Start();
    SetWindowPos(r.main, nullptr, 40, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(Settle(r.main));
    GetWindowRect(r.main, &moved);
    r.Close();
  }
  auto v = Stored();
  for (const char* name : {"FormVersion", "Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos", "NormPos", "Visible"}) {
    ASSERT_EQ(v.count(name), 1u) << name;
    EXPECT_EQ(v[name].first, static_cast<DWORD>(REG_SZ)) << name;
  }
  std::string screen = "(" + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" + std::to_string(GetSystemMetrics(SM_CYSCREEN)) + ")";
  EXPECT_EQ(v["NormPos" + screen].second, v["NormPos"].second);
  EXPECT_EQ(v["MinMaxPos" + screen].first, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(v["ShowCmd"].second, "1");
  EXPECT_EQ(v["Visible"].second, "0");
  EXPECT_EQ(v.size(), 9u);

  Up again;
  again.Start(true);
  RECT r;
  GetWindowRect(again.main, &r);
  EXPECT_EQ(r.left, moved.left);
  EXPECT_EQ(r.top, moved.top);
  EXPECT_EQ(r.right - r.left, moved.right - moved.left);
  again.Close();
}

TEST(Shell, AWindowClosedFromTheTrayStartsIntoTheTrayAndComesBackOnADoubleClick) {
  {
    Up r;
    r.Start();
    ASSERT_TRUE(Send(r.main, WM_SYSCOMMAND, SC_MINIMIZE, 0));
    EXPECT_FALSE(IsWindowVisible(r.app));
    EXPECT_FALSE(IsWindowVisible(r.main));
    EXPECT_EQ(Icons(r.p.pi.dwProcessId).size(), 2u);
    r.Close();  // the tray menu's "Shutdown Velmora" closes the main window the same way
  }
  EXPECT_EQ(Stored()["ShowCmd"].second, "2");
  Program p;
  ASSERT_TRUE(p.Start(g_winver, true));
  HWND main = FindTopWindow(p.pi.dwProcessId, "TMainForm", kMainCaption, 15000);
  HWND app = FindTopWindow(p.pi.dwProcessId, "TApplication", "Velmora", 15000);
  ASSERT_NE(main, nullptr);
  // Shown, then at once into the tray.
  ASSERT_TRUE(WaitFor([&] { return IsIconic(app) && !IsWindowVisible(app) && !IsWindowVisible(main); }, 15000));
  ASSERT_TRUE(Settle(main));
  auto icons = Icons(p.pi.dwProcessId);
  ASSERT_EQ(icons.size(), 2u);
  // A double-click on the plain icon restores the program.
  for (const Icon& i : icons)
    if (i.id == 1) PostMessageA(i.owner, WM_USER + 1024, 1, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) && IsWindowVisible(app); }, 10000));
  PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(p.WaitExit(15000));
  EXPECT_EQ(Stored()["ShowCmd"].second, "1");
}

TEST(Shell, ASecondStartEndsUnseenAndBringsTheFirstForwardAlsoFromTheTray) {
  Up first;
  first.Start();
  ASSERT_TRUE(Send(first.main, WM_SYSCOMMAND, SC_MINIMIZE, 0));
  ASSERT_FALSE(IsWindowVisible(first.main));
  auto before = Stored();
  // The second round finds the first copy on the screen rather than in the tray.
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    StartDuplicate(first);
    if (HasFatalFailure()) return;
  }
  EXPECT_EQ(Stored(), before);
  first.Close();
}

TEST(Shell, ManyCopiesStartedAtOnceLeaveExactlyOneAndAKilledCopyDoesNotBlockTheNext) {
  const int n = 6;
  std::vector<std::unique_ptr<Program>> copies;
  for (int i = 0; i < n; ++i) {
    copies.push_back(std::make_unique<Program>());
    ASSERT_TRUE(copies.back()->Start(g_winver, true));
  }
  auto running = [&] {
    int count = 0;
    for (auto& c : copies)
      if (!c->WaitExit(0)) ++count;
    return count;
  };
  ASSERT_TRUE(WaitFor([&] { return running() <= 1; }, 30000)) << running() << " still running";
  ASSERT_EQ(running(), 1);
  Program* survivor = nullptr;
  for (auto& c : copies)
    if (!c->WaitExit(0)) survivor = c.get();
  HWND main = FindTopWindow(survivor->pi.dwProcessId, "TMainForm", kMainCaption, 15000);
  ASSERT_TRUE(WaitFor([&] { return main && IsWindowVisible(main); }, 15000));
  survivor->Kill();

  Up next;
  next.Start(true);
  EXPECT_TRUE(IsWindowVisible(next.main));
  next.Close();
}

TEST(Shell, BothIconsComeBackWhenTheTaskbarIsCreatedAgain) {
  Up r;
  r.Start();
  auto icons = Icons(r.p.pi.dwProcessId);
  ASSERT_EQ(icons.size(), 2u);
  for (const Icon& i : icons) {
    NOTIFYICONDATAA d = Record(i);
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &d));
    EXPECT_FALSE(HasIcon(i));
  }
  PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  for (const Icon& i : icons) EXPECT_TRUE(WaitFor([&] { return HasIcon(i); }, 5000)) << "icon " << i.id;
  r.Close();
}

TEST(Shell, TheSessionsEndIsAClosePlacementKeptAndNoIconLeftWhenTheProcessIsEndedAtOnce) {
  RECT moved;
  {
    Up r;
    r.Start();
    SetWindowPos(r.main, nullptr, 40, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(Settle(r.main));
    GetWindowRect(r.main, &moved);
    DWORD pid = r.p.pi.dwProcessId;
    auto icons = Icons(pid);
    ASSERT_EQ(icons.size(), 2u);
    // Windows asks every top-level window of the program; then it may end it at any moment.
    std::vector<HWND> windows = TopWindows(pid, nullptr);
    AskToEndSession(pid);
    if (HasFatalFailure()) return;
    // By the time the question is answered the program has done what its close would do.
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    ASSERT_TRUE(GetWindowPlacement(r.main, &wp));
    const std::string at = std::to_string(wp.rcNormalPosition.left) + "," + std::to_string(wp.rcNormalPosition.top) + ",";
    auto v = Stored();
    EXPECT_EQ(v["NormPos"].second.substr(0, at.size()), at);
    for (const Icon& i : icons) EXPECT_FALSE(HasIcon(i)) << "icon " << i.id;
    // The copy is still the one a start finds until the end is certain.
    EXPECT_TRUE(InstanceHeld());
    for (HWND h : windows) Send(h, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_FALSE(InstanceHeld());
    r.p.Kill();
    r.main = nullptr;
    for (const Icon& i : icons) EXPECT_FALSE(HasIcon(i)) << "icon " << i.id;
  }
  // The next start puts the window where it was moved.
  Up again;
  again.Start(true);
  RECT r;
  GetWindowRect(again.main, &r);
  EXPECT_EQ(r.left, moved.left);
  EXPECT_EQ(r.top, moved.top);
  again.Close();
}

TEST(SessionEnd, ALogOffCalledOffAfterAStartLeavesOneCopyWithBothIcons) {
  Up first;
  first.Start();
  DWORD pid = first.p.pi.dwProcessId;
  // In the tray, where a user who sees no icon any more starts the program again.
  ASSERT_TRUE(Send(first.main, WM_SYSCOMMAND, SC_MINIMIZE, 0));
  ASSERT_EQ(Icons(pid).size(), 2u);
  std::vector<HWND> windows = TopWindows(pid, nullptr);
  AskToEndSession(pid);
  if (HasFatalFailure()) return;
  EXPECT_TRUE(Icons(pid).empty());
  // The question is still out: the start brings the running copy back, as any second start.
  StartDuplicate(first);
  if (HasFatalFailure()) return;
  // Another program refused: the session goes on.
  for (HWND h : windows) Send(h, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
  EXPECT_TRUE(WaitFor([&] { return Icons(pid).size() == 2u; }, 5000)) << Icons(pid).size() << " icons";
  EXPECT_FALSE(first.p.WaitExit(0));
  EXPECT_TRUE(InstanceHeld());
  // One copy, and the next start still finds it.
  StartDuplicate(first);
  if (HasFatalFailure()) return;
  EXPECT_EQ(Icons(pid).size(), 2u);
  first.Close();
}

TEST(TrayAndDialogs, TheSystemInformationDialogGoesIntoTheTrayWithTheProgramAndComesBackWithIt) {
  Up r;
  r.Start();
  DWORD pid = r.p.pi.dwProcessId;
  HWND button = FindChild(r.main, "TFlatButton", "&System info...");
  ASSERT_NE(button, nullptr);
  PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  HWND dialog = FindTopWindow(pid, "TfrmKSI_Overview", nullptr, 60000);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(Settle(dialog, 60000));
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(dialog) != 0; }, 10000));
  // Into the tray: nothing of the program stays on the screen.
  ASSERT_TRUE(Send(r.main, WM_SYSCOMMAND, SC_MINIMIZE, 0));
  EXPECT_FALSE(IsWindowVisible(dialog));
  EXPECT_FALSE(HasVisibleWindow(pid));
  // A double-click on the plain icon brings the window and the dialog back.
  auto icons = Icons(pid);
  ASSERT_EQ(icons.size(), 2u);
  for (const Icon& i : icons)
    if (i.id == 1) PostMessageA(i.owner, WM_USER + 1024, 1, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(r.main) && IsWindowVisible(dialog); }, 10000));
  r.Close();
}
