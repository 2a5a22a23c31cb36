// The setup program made by the build, run as users and administrators run it: silently into a
// folder with spaces, the installed program started from its Start menu shortcut, then removed by
// its uninstaller while it runs; and installed over itself, removed with its settings.
#include <gtest/gtest.h>
#include "Driver.h"
#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

using namespace e2e;

namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora";
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kSetupName[] = "velmora-" VELMORA_VERSION "-setup.exe";
const char kParent[] = "C:\\Program Files\\Velmora Test Tools";
const char kFolder[] = "C:\\Program Files\\Velmora Test Tools\\Velmora";

std::string SetupPath() { return ExeDir() + "..\\dist\\" + kSetupName; }

std::string StartMenuFolder() {
  char path[MAX_PATH] = "";
  SHGetSpecialFolderPathA(nullptr, path, CSIDL_COMMON_PROGRAMS, FALSE);
  return std::string(path) + "\\Velmora";
}

// A value of a key, empty when the key or the value is missing; *type receives its type.
std::string RegText(HKEY root, const char* key, const char* name, DWORD* type = nullptr) {
  HKEY k;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &k) != 0) return "";
  char buf[1024] = "";
  DWORD size = sizeof buf - 1, t = 0;
  LONG rc = RegQueryValueExA(k, name, nullptr, &t, reinterpret_cast<BYTE*>(buf), &size);
  RegCloseKey(k);
  if (type) *type = rc == 0 ? t : 0;
  if (rc != 0) return "";
  if (t == REG_DWORD) return std::to_string(*reinterpret_cast<DWORD*>(buf));
  return std::string(buf);
}

bool KeyExists(HKEY root, const char* key) {
  HKEY k;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &k) != 0) return false;
  RegCloseKey(k);
  return true;
}

void SetUserText(const char* key, const char* name, const std::string& value) {
  HKEY k;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), 0);
  RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>(value.size() + 1));
  RegCloseKey(k);
}

struct Shortcut {
  std::string Target, Folder;
};

Shortcut ReadShortcut(const std::string& file) {
  Shortcut s;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return s;
  IPersistFile* persist = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(persist->Load(wide, STGM_READ))) {
      char buf[MAX_PATH] = "";
      if (SUCCEEDED(link->GetPath(buf, MAX_PATH, nullptr, SLGP_RAWPATH))) s.Target = buf;
      buf[0] = 0;
      if (SUCCEEDED(link->GetWorkingDirectory(buf, MAX_PATH))) s.Folder = buf;
    }
    persist->Release();
  }
  link->Release();
  return s;
}

// The processes of that file name (any case).
std::vector<DWORD> ProcessesNamed(const char* name) {
  std::vector<DWORD> out;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return out;
  PROCESSENTRY32 pe{};
  pe.dwSize = sizeof pe;
  for (BOOL ok = Process32First(snap, &pe); ok; ok = Process32Next(snap, &pe)) {
    const char* base = strrchr(pe.szExeFile, '\\');
    if (lstrcmpiA(base ? base + 1 : pe.szExeFile, name) == 0) out.push_back(pe.th32ProcessID);
  }
  CloseHandle(snap);
  return out;
}

// Starts a program with a command line of its own (as a user types it, /D= unquoted) and, when
// asked, waits for its end, pumping this thread's messages meanwhile; the exit code, or
// STILL_ACTIVE after the time-out.
DWORD RunProgram(const std::string& exe, const std::string& args, DWORD waitMs, const std::string& folder = "") {
  std::string cmd = "\"" + exe + "\" " + args;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &si, &pi))
    return 0xFFFFFFFF;
  DWORD code = STILL_ACTIVE, start = GetTickCount();
  while (GetTickCount() - start < waitMs) {
    if (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0) {
      GetExitCodeProcess(pi.hProcess, &code);
      break;
    }
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

// The uninstaller runs a copy of itself from the temporary folder and ends at once; the copy
// does the work. Waits for that copy too.
const char kUninstallerCopy[] = "Un.exe";

bool WaitForUninstaller(DWORD ms) {
  return WaitFor([] { return ProcessesNamed(kUninstallerCopy).empty(); }, ms);
}

// A window of another program that answers to the running copy's class and title but does not
// close when asked.
struct StubbornCopy {
  HWND h = nullptr;
  static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) return 0;
    return DefWindowProcA(w, msg, wp, lp);
  }
  StubbornCopy() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TApplication";
    RegisterClassA(&wc);
    h = CreateWindowExA(0, "TApplication", "Velmora", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
  }
  ~StubbornCopy() {
    if (h) DestroyWindow(h);
    UnregisterClassA("TApplication", GetModuleHandleA(nullptr));
  }
};

// A visible dialog of the setup or the uninstaller other than `except`: its pages (titled
// "Velmora Setup" or "Velmora Uninstall" and the page's own words) or its message boxes.
struct DialogSearch {
  const char* title;
  HWND except, found;
};

BOOL CALLBACK FindDialog(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<DialogSearch*>(lp);
  if (h == s->except || !IsWindowVisible(h) || ClassOf(h) != "#32770") return TRUE;
  if (WindowText(h).rfind(s->title, 0) != 0) return TRUE;
  s->found = h;
  return FALSE;
}

HWND DialogTitled(const char* title, HWND except) {
  DialogSearch search{title, except, nullptr};
  EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND UninstallerWindow(HWND except) { return DialogTitled("Velmora Uninstall", except); }

// Waits for such a dialog; null after the time-out.
HWND AwaitDialog(const char* title, HWND except, DWORD ms = 20000) {
  HWND h = nullptr;
  WaitFor([&] { return (h = DialogTitled(title, except)) != nullptr; }, ms);
  return h;
}

// A message box's text.
std::string BoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

// Presses a page's button once it can be pressed (the files' page enables it when done).
bool PressWhenEnabled(HWND page, int id) {
  if (!WaitFor([&] { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }, 30000)) return false;
  return PostMessageA(page, WM_COMMAND, id, 0) != FALSE;
}

// A folder that exists and cannot be written, as Program Files is for a user who is no
// administrator (Wine runs the tests with every right, so it is one of the host's folders).
const char kUnwritable[] = "Z:\\proc\\Velmora";

// A program started and, when it outlives the test, ended.
struct Started {
  PROCESS_INFORMATION pi{};
  Started(const std::string& exe, const std::string& args) {
    std::string cmd = "\"" + exe + "\" " + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  }
  // The exit code, or STILL_ACTIVE after the time-out.
  DWORD Wait(DWORD ms) {
    DWORD code = STILL_ACTIVE;
    if (pi.hProcess && WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    return code;
  }
  ~Started() {
    if (!pi.hProcess) return;
    if (Wait(0) == STILL_ACTIVE) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
};

// Who a process runs as: its token's user and elevation, "user/type".
std::string TokenOf(DWORD pid) {
  HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
  if (!p) return "(no process)";
  HANDLE t = nullptr;
  std::string out = "(no token)";
  if (OpenProcessToken(p, TOKEN_QUERY, &t)) {
    BYTE user[256];
    DWORD n = 0, type = 0;
    char name[128] = "", domain[128] = "";
    DWORD nn = sizeof name, dn = sizeof domain;
    SID_NAME_USE use;
    if (GetTokenInformation(t, TokenUser, user, sizeof user, &n) &&
        LookupAccountSidA(nullptr, reinterpret_cast<TOKEN_USER*>(user)->User.Sid, name, &nn, domain, &dn, &use))
      out = std::string(domain) + "\\" + name;
    GetTokenInformation(t, static_cast<TOKEN_INFORMATION_CLASS>(18) /* TokenElevationType */, &type, sizeof type, &n);
    out += "/" + std::to_string(type);
    CloseHandle(t);
  }
  CloseHandle(p);
  return out;
}

// The process that started pid (it may have ended since).
DWORD ParentOf(DWORD pid) {
  DWORD parent = 0;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 pe{};
  pe.dwSize = sizeof pe;
  for (BOOL ok = Process32First(snap, &pe); ok; ok = Process32Next(snap, &pe))
    if (pe.th32ProcessID == pid) parent = pe.th32ParentProcessID;
  CloseHandle(snap);
  return parent;
}

// Ends the uninstaller's copies that a failed test left waiting for a click.
void EndUninstallers() {
  for (DWORD pid : ProcessesNamed(kUninstallerCopy))
    if (HANDLE p = OpenProcess(PROCESS_TERMINATE, FALSE, pid)) {
      TerminateProcess(p, 1);
      CloseHandle(p);
    }
}

class Setup : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    ASSERT_TRUE(Exists(SetupPath())) << SetupPath() << " is missing: make dist";
    for (const char* exe : {kSetupName, "uninstall.exe", kUninstallerCopy, "velmora.exe"})
      SetVersionMode(exe, g_winver);
    RemoveLeftovers();
    DeleteUserKey("Velmora");
  }
  void TearDown() override {
    RemoveLeftovers();
    DeleteUserKey("Velmora");
    CoUninitialize();
  }
  // What a failed run may have left, so that the next run starts from a clean machine.
  void RemoveLeftovers() {
    EndUninstallers();
    if (Exists(Installed("uninstall.exe"))) {
      RunProgram(Installed("uninstall.exe"), "/S", 60000);
      WaitForUninstaller(30000);
    }
    for (const char* f : {"velmo.chm", "velmora.tm~", ""}) RemoveDirectoryA(Installed(f).c_str());
    DeleteFileA(Blocker().c_str());
    RemoveDirectoryA(kParent);
    HKEY run;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, &run) == 0) {
      RegDeleteValueA(run, "velmora.exe");
      RegCloseKey(run);
    }
  }
  static std::string Installed(const char* file) { return std::string(kFolder) + "\\" + file; }
  // A file where the setup would need a folder.
  static std::string Blocker() { return std::string(kParent) + "\\blocker.txt"; }
  DWORD Install(DWORD waitMs = 60000) { return RunProgram(SetupPath(), std::string("/S /D=") + kFolder, waitMs); }

  // The installed program, started as its shortcut starts it; its main window up.
  void StartFromShortcut(const Shortcut& link) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string cmd = "\"" + link.Target + "\"";
    ASSERT_TRUE(CreateProcessA(link.Target.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               link.Folder.empty() ? nullptr : link.Folder.c_str(), &si, &program));
    main = FindTopWindow(program.dwProcessId, "TMainForm", kMainCaption, 20000);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(Settle(main));
  }
  bool ProgramEnded(DWORD ms) { return WaitForSingleObject(program.hProcess, ms) == WAIT_OBJECT_0; }
  void EndProgram() {
    if (!program.hProcess) return;
    if (!ProgramEnded(0)) {
      PostMessageA(main, WM_CLOSE, 0, 0);
      if (!ProgramEnded(10000)) TerminateProcess(program.hProcess, 99);
    }
    CloseHandle(program.hThread);
    CloseHandle(program.hProcess);
    program = {};
  }
  ~Setup() override { EndProgram(); }

  PROCESS_INFORMATION program{};
  HWND main = nullptr;
};

}  // namespace

TEST_F(Setup, SilentRoundTripIntoAFolderWithSpaces) {
  ASSERT_EQ(Install(), 0u);

  // The files, byte for byte those of the build, and the uninstaller.
  EXPECT_EQ(ReadFile(Installed("velmora.exe")), ReadFile(ExeDir() + "velmora.exe"));
  EXPECT_EQ(ReadFile(Installed("velmo.chm")), ReadFile(ExeDir() + "velmo.chm"));
  EXPECT_TRUE(Exists(Installed("uninstall.exe")));

  // The Start menu folder: the program (started in its own folder), its help, the uninstaller.
  const std::string menu = StartMenuFolder();
  Shortcut link = ReadShortcut(menu + "\\Velmora.lnk");
  EXPECT_EQ(link.Target, Installed("velmora.exe"));
  EXPECT_EQ(link.Folder, kFolder);
  EXPECT_EQ(ReadShortcut(menu + "\\Velmora Help.lnk").Target, Installed("velmo.chm"));
  EXPECT_EQ(ReadShortcut(menu + "\\Uninstall Velmora.lnk").Target, Installed("uninstall.exe"));

  // The entry of Add/Remove Programs.
  DWORD type = 0;
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Velmora");
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"), VELMORA_VERSION);
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher"), "Velmora");
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon"), Installed("velmora.exe") + ",0");
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"), "\"" + Installed("uninstall.exe") + "\"");
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation"), kFolder);
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "URLInfoAbout"), VELMORA_HOMEPAGE);
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "HelpLink"), VELMORA_HOMEPAGE);
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "NoModify", &type), "1");
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "NoRepair"), "1");
  // In kilobytes: the program, its help and the uninstaller.
  const DWORD size = std::stoul("0" + RegText(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize", &type));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  const size_t files = ReadFile(Installed("velmora.exe")).size() + ReadFile(Installed("velmo.chm")).size() +
                       ReadFile(Installed("uninstall.exe")).size();
  EXPECT_EQ(size, (files + 1023) / 1024);

  // The installed program starts from its shortcut and finds itself among the installed software
  // of its own system information.
  ASSERT_NO_FATAL_FAILURE(StartFromShortcut(link));
  HWND button = FindChild(main, "TFlatButton", "&System info...");
  ASSERT_NE(button, nullptr);
  PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  HWND dlg = FindTopWindow(program.dwProcessId, "TfrmKSI_Overview", nullptr, 60000);
  ASSERT_NE(dlg, nullptr);
  ASSERT_TRUE(Settle(dlg, 60000));
  HWND sheet = FindChild(dlg, "TTabSheet", " Software ");
  ASSERT_NE(sheet, nullptr);
  std::vector<std::string> software = ListColumn(FindChild(sheet, "TListView", nullptr), 0);
  EXPECT_NE(std::find(software.begin(), software.end(), "Velmora"), software.end()) << software.size() << " entries";

  // What the program and its wizard leave behind while it runs: settings and a logon entry.
  SetUserText("Velmora\\OptWizSettings", "SetupTestMark", "kept");
  SetUserText(kRunKey, "velmora.exe", Installed("velmora.exe"));

  // Removed silently while it runs: it is closed first, then nothing of it is left but the
  // settings.
  EXPECT_EQ(RunProgram(Installed("uninstall.exe"), "/S", 30000), 0u);
  ASSERT_TRUE(WaitForUninstaller(60000));
  EXPECT_TRUE(ProgramEnded(0)) << "the uninstaller left the program running";
  for (const char* f : {"velmora.exe", "velmo.chm", "uninstall.exe"}) EXPECT_FALSE(Exists(Installed(f))) << f;
  EXPECT_FALSE(Exists(kFolder));
  EXPECT_TRUE(Exists(kParent)) << "the folder above is not the setup's";
  EXPECT_FALSE(Exists(menu));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_EQ(RegText(HKEY_CURRENT_USER, kRunKey, "velmora.exe"), "");
  EXPECT_EQ(RegText(HKEY_CURRENT_USER, "Velmora\\OptWizSettings", "SetupTestMark"), "kept");
}

TEST_F(Setup, InstallingOverARunningCopyReplacesItAndRemovalMayTakeTheSettings) {
  ASSERT_EQ(Install(), 0u);
  ASSERT_NO_FATAL_FAILURE(StartFromShortcut(ReadShortcut(StartMenuFolder() + "\\Velmora.lnk")));
  SetUserText("Velmora\\OptWizSettings", "SetupTestMark", "kept");
  // A damaged help file and a logon entry of another copy of the program.
  { std::ofstream(Installed("velmo.chm"), std::ios::binary | std::ios::trunc) << "damaged"; }
  SetUserText(kRunKey, "velmora.exe", "C:\\Tools\\velmora.exe");

  // Over the running copy: it is closed, the files are replaced, the settings stay.
  ASSERT_EQ(Install(), 0u);
  EXPECT_TRUE(ProgramEnded(0)) << "the setup left the program running";
  EXPECT_EQ(ReadFile(Installed("velmo.chm")), ReadFile(ExeDir() + "velmo.chm"));
  EXPECT_EQ(ReadFile(Installed("velmora.exe")), ReadFile(ExeDir() + "velmora.exe"));
  EXPECT_EQ(RegText(HKEY_CURRENT_USER, "Velmora\\OptWizSettings", "SetupTestMark"), "kept");
  EndProgram();

  // A copy that does not close when asked: the uninstaller says so and removes nothing. Run in
  // place (_?=) to see its exit code.
  {
    StubbornCopy stubborn;
    ASSERT_NE(stubborn.h, nullptr);
    DWORD code = RunProgram(Installed("uninstall.exe"), std::string("/S _?=") + kFolder, 60000);
    EXPECT_NE(code, 0u);
    EXPECT_NE(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_TRUE(Exists(Installed("velmora.exe")));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  }

  // Removed by hand: the question about the settings defaults to No; Yes removes them. The logon
  // entry of the other copy stays.
  std::string uninstaller = Installed("uninstall.exe");
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string cmd = "\"" + uninstaller + "\"";
  ASSERT_TRUE(CreateProcessA(uninstaller.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  HWND wizard = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (wizard = UninstallerWindow(nullptr)) != nullptr; }, 20000));
  ASSERT_TRUE(Settle(wizard));
  PostMessageA(wizard, WM_COMMAND, IDOK, 0);  // "Uninstall"
  HWND question = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (question = UninstallerWindow(wizard)) != nullptr; }, 20000));
  EXPECT_TRUE(GetWindowLongA(GetDlgItem(question, IDNO), GWL_STYLE) & BS_DEFPUSHBUTTON) << "No is not the default";
  PostMessageA(question, WM_COMMAND, IDYES, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(question); }, 10000));
  EXPECT_TRUE(WaitFor([&] { return !KeyExists(HKEY_CURRENT_USER, "Velmora"); }, 10000));
  Settle(wizard);
  PostMessageA(wizard, WM_COMMAND, IDOK, 0);  // "Close"
  ASSERT_TRUE(WaitForUninstaller(30000));
  EXPECT_FALSE(Exists(kFolder));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_EQ(RegText(HKEY_CURRENT_USER, kRunKey, "velmora.exe"), "C:\\Tools\\velmora.exe");
}

TEST_F(Setup, TheSettingsGoOnlyOnAnExplicitYes) {
  ASSERT_EQ(Install(), 0u);
  SetUserText("Velmora\\OptWizSettings", "SetupTestMark", "kept");
  // The uninstaller run in place (_?=), once for each way of not saying Yes.
  for (const std::string answer : {"Escape", "alt+F4", "close box", "No"}) {
    SCOPED_TRACE(answer);
    Started uninstaller(Installed("uninstall.exe"), std::string("_?=") + kFolder);
    HWND page = AwaitDialog("Velmora Uninstall", nullptr);
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(Settle(page));
    PostMessageA(page, WM_COMMAND, IDOK, 0);  // "Uninstall"
    HWND question = AwaitDialog("Velmora Uninstall", page);
    ASSERT_NE(question, nullptr);
    EXPECT_NE(BoxText(question).find("settings"), std::string::npos) << BoxText(question);
    if (answer == "close box") {
      PostMessageA(question, WM_CLOSE, 0, 0);
    } else if (answer == "No") {
      PostMessageA(question, WM_COMMAND, IDNO, 0);
    } else {
      ASSERT_TRUE(Foreground(question));
      ASSERT_TRUE(Keys(answer));
    }
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(question); }, 10000)) << "the question stayed";
    ASSERT_TRUE(PressWhenEnabled(page, IDOK));  // "Close"
    EXPECT_EQ(uninstaller.Wait(30000), 0u);
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, "Velmora\\OptWizSettings", "SetupTestMark"), "kept");
  }
}

TEST_F(Setup, AFolderThatCannotTakeVelmoraIsRefusedBeforeAnythingIsWritten) {
  CreateDirectoryA(kParent, nullptr);
  const std::string base = std::string(kParent) + "\\";
  { std::ofstream(Blocker()) << "not a folder"; }
  // Too long for the uninstaller's name after it; a character Windows refuses; a file in the way;
  // a folder that cannot be written.
  for (const std::string& folder : {base + std::string(246 - base.size(), 'v'), base + "Velmora|Tools",
                                    Blocker() + "\\Velmora", std::string(kUnwritable)}) {
    SCOPED_TRACE(folder);
    EXPECT_EQ(RunProgram(SetupPath(), "/S /D=" + folder, 60000), 3u);
    EXPECT_FALSE(Exists(folder));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(Exists(StartMenuFolder()));
  }
  EXPECT_EQ(ReadFile(Blocker()), "not a folder");
  // The longest name that takes it: the uninstaller's path has 259 characters.
  const std::string longest = base + std::string(245 - base.size(), 'v');
  ASSERT_EQ(RunProgram(SetupPath(), "/S /D=" + longest, 60000), 0u);
  EXPECT_TRUE(Exists(longest + "\\uninstall.exe"));
  EXPECT_EQ(RunProgram(longest + "\\uninstall.exe", "/S", 30000), 0u);
  ASSERT_TRUE(WaitForUninstaller(60000));
  EXPECT_FALSE(Exists(longest));
}

TEST_F(Setup, AFailedSetupTakesBackWhatItWroteAndKeepsTheInstalledCopy) {
  // A first install whose help file cannot be written (a folder of its name is in the way):
  // nothing of the run is left, the folder that was there stays.
  CreateDirectoryA(kParent, nullptr);
  CreateDirectoryA(kFolder, nullptr);
  CreateDirectoryA(Installed("velmo.chm").c_str(), nullptr);
  EXPECT_EQ(Install(), 4u);
  for (const char* f : {"velmora.exe", "uninstall.exe", "velmora.ex~"}) EXPECT_FALSE(Exists(Installed(f))) << f;
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_FALSE(Exists(StartMenuFolder()));
  EXPECT_TRUE(Exists(kFolder));
  RemoveDirectoryA(Installed("velmo.chm").c_str());

  // Over an installed copy whose help file is held open: it cannot be replaced, and the copy is
  // left as it was.
  ASSERT_EQ(Install(), 0u);
  { std::ofstream(Installed("velmora.exe"), std::ios::binary | std::ios::app) << "installed copy"; }
  const std::string before = ReadFile(Installed("velmora.exe"));
  HANDLE held = CreateFileA(Installed("velmo.chm").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Install(), 4u);
  CloseHandle(held);
  EXPECT_EQ(ReadFile(Installed("velmora.exe")), before);
  EXPECT_EQ(ReadFile(Installed("velmo.chm")), ReadFile(ExeDir() + "velmo.chm"));
  for (const char* f : {"velmora.ex~", "velmo.ch~", "uninstall.ex~"}) EXPECT_FALSE(Exists(Installed(f))) << f;
  EXPECT_TRUE(Exists(Installed("uninstall.exe")));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_TRUE(Exists(StartMenuFolder() + "\\Velmora.lnk"));
}

TEST_F(Setup, ARefusedFolderIsExplainedInABoxThatFitsTheScreen) {
  // A folder Setup cannot write to: Wine gives the tests every right, so a folder of the name of
  // Setup's probe file stands in the way instead.
  CreateDirectoryA(kParent, nullptr);
  CreateDirectoryA(kFolder, nullptr);
  CreateDirectoryA(Installed("velmora.tm~").c_str(), nullptr);
  Started setup(SetupPath(), "");
  HWND wizard = AwaitDialog("Velmora Setup", nullptr);
  ASSERT_NE(wizard, nullptr);
  ASSERT_TRUE(Settle(wizard));
  PostMessageA(wizard, WM_COMMAND, IDOK, 0);  // the welcome page's "Next"
  HWND folder = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (folder = FindChild(wizard, "Edit", nullptr)) && IsWindowVisible(folder); }, 10000));
  // A name of 296 characters, then a folder that cannot be made: each is refused with its
  // reason, and the page stays.
  const std::string tooLong = std::string(kParent) + "\\" + std::string(296 - strlen(kParent) - 1, 'v');
  for (const std::string& name : {tooLong, std::string(kFolder)}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(Send(folder, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str())));
    PostMessageA(wizard, WM_COMMAND, IDOK, 0);
    HWND box = AwaitDialog("Velmora Setup", wizard, 10000);
    ASSERT_NE(box, nullptr);
    RECT r{};
    GetWindowRect(box, &r);
    EXPECT_LE(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));
    const std::string text = BoxText(box);
    EXPECT_NE(text.find(name == tooLong ? "too long" : "run Setup as an administrator"), std::string::npos) << text;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }, 10000));
    ASSERT_TRUE(Settle(wizard));
    EXPECT_TRUE(IsWindowVisible(folder)) << "the page went on";
  }
  // Cancelled, with the question whether to quit answered Yes: nothing was written.
  PostMessageA(wizard, WM_COMMAND, IDCANCEL, 0);
  HWND quit = AwaitDialog("Velmora Setup", wizard, 10000);
  ASSERT_NE(quit, nullptr);
  PostMessageA(quit, WM_COMMAND, IDYES, 0);
  EXPECT_NE(setup.Wait(30000), static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_FALSE(Exists(Installed("velmora.exe")));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  RemoveDirectoryA(Installed("velmora.tm~").c_str());
}

// The finish page's "Start Velmora" starts the program as the signed-in user, through the
// desktop shell, not as a child of the setup with the setup's administrator rights.
TEST_F(Setup, TheFinishPageStartsVelmoraAsTheSignedInUser) {
  Started setup(SetupPath(), "");
  HWND wizard = AwaitDialog("Velmora Setup", nullptr);
  ASSERT_NE(wizard, nullptr);
  ASSERT_TRUE(Settle(wizard));
  PostMessageA(wizard, WM_COMMAND, IDOK, 0);
  HWND folder = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (folder = FindChild(wizard, "Edit", nullptr)) && IsWindowVisible(folder); }, 10000));
  ASSERT_TRUE(Send(folder, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kFolder)));
  PostMessageA(wizard, WM_COMMAND, IDOK, 0);  // "Install"
  // The files' page goes on to the finish page by itself when its work is done.
  HWND start = nullptr;
  WaitFor([&] { return (start = FindChild(wizard, "Button", "Start Velmora")) && IsWindowVisible(start); }, 60000);
  ASSERT_TRUE(start && IsWindowVisible(start));
  EXPECT_TRUE(WaitFor([&] { return SendMessageA(start, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 5000));
  Settle(wizard);
  PostMessageA(wizard, WM_COMMAND, IDOK, 0);  // "Finish"
  EXPECT_EQ(setup.Wait(30000), 0u);
  std::vector<DWORD> running;
  ASSERT_TRUE(WaitFor([&] { return !(running = ProcessesNamed("velmora.exe")).empty(); }, 20000));
  const DWORD pid = running.front();
  program.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, pid);
  main = FindTopWindow(pid, "TMainForm", kMainCaption, 20000);
  ASSERT_NE(main, nullptr);
  EXPECT_NE(ParentOf(pid), setup.pi.dwProcessId) << "started by the setup itself";
  // As the desktop shell runs: its user and its elevation.
  DWORD shell = 0;
  GetWindowThreadProcessId(GetShellWindow() ? GetShellWindow() : GetDesktopWindow(), &shell);
  EXPECT_EQ(TokenOf(pid), TokenOf(shell));
}
