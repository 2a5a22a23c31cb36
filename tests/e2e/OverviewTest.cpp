// The system information dialog of the real program: opened from the main window, refreshed,
// a process terminated, reports saved through the system's save dialog.
#include <gtest/gtest.h>
#include "Driver.h"
#include <commctrl.h>
#include <algorithm>
#include <fstream>
#include <sstream>

using namespace e2e;

namespace {

const char kCaption[] = "Velmora Advanced System Profiler";

void SelectRow(HWND lv, int i) {
  Remote mem(PidOf(lv), sizeof(LVITEMA));
  LVITEMA it{};
  it.stateMask = it.state = LVIS_SELECTED | LVIS_FOCUSED;
  mem.Write(&it, sizeof it);
  Send(lv, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(mem.At(0)));
}

void Click(HWND button) {
  PostMessageA(button, BM_CLICK, 0, 0);
}

// Sent, not posted: a settle after a posted click can be answered before the click is handled.
bool ClickAndWait(HWND button, DWORD ms = 60000) { return Send(button, BM_CLICK, 0, 0, ms); }

// A process that only waits, to be listed and terminated.
struct Helper {
  PROCESS_INFORMATION pi{};
  Helper() {
    std::string exe = ExeDir() + "e2e_tests.exe";
    std::string cmd = "\"" + exe + "\" --gtest_filter=OverviewHelper.DISABLED_Wait --gtest_also_run_disabled_tests";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  }
  ~Helper() {
    if (!pi.hProcess) return;
    TerminateProcess(pi.hProcess, 0);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  std::string Pid() const { return std::to_string(pi.dwProcessId); }
};

class Overview : public ::testing::Test {
 protected:
  void SetUp() override {
    run.Start();
    if (HasFatalFailure()) return;
    pid = run.p.pi.dwProcessId;
    Open();
  }
  void Open() {
    HWND button = FindChild(run.main, "TFlatButton", "&System info...");
    ASSERT_NE(button, nullptr);
    PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    dlg = FindTopWindow(pid, "TfrmKSI_Overview", kCaption, 60000);
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(Settle(dlg, 60000));
    pages = FindChild(dlg, "TPageControl", nullptr);
    sheets = Children(pages, "TTabSheet");
    ASSERT_EQ(sheets.size(), 17u);
  }
  HWND Sheet(int i) const { return sheets[i]; }
  HWND Processes() const { return FindChild(Sheet(13), "TListView", nullptr); }
  // Answers the box of that caption with the button of that id; returns the box's text.
  std::string Answer(const char* caption, int id) {
    HWND box = FindTopWindow(pid, "#32770", caption, 15000);
    if (!box) return "(no box)";
    std::string text = ControlText(GetDlgItem(box, 0xFFFF));
    PostMessageA(box, WM_COMMAND, id, 0);
    WaitFor([&] { return !IsWindow(box); }, 10000);
    return text;
  }
  HWND Report(int item) { return ReportSaveDialog(pid, dlg, item); }
  std::string Save(HWND save, const std::string& file, bool confirm = true) { return SaveAs(save, dlg, file, confirm); }
  Running run;
  DWORD pid = 0;
  HWND dlg = nullptr, pages = nullptr;
  std::vector<HWND> sheets;
};

// The same on the 9x family, whose process identifiers the page writes in hexadecimal.
class Overview9x : public Overview {
 protected:
  void SetUp() override {
    saved = g_winver;
    g_winver = "win98";
    Overview::SetUp();
  }
  void TearDown() override { g_winver = saved; }
  std::string saved;
};

}  // namespace

TEST(OverviewHelper, DISABLED_Wait) { Sleep(120000); }

TEST_F(Overview, OpensOnceWithItsPagesAndRefreshesWithoutDuplicates) {
  EXPECT_EQ(ClientSize(dlg).cx, 390);
  EXPECT_EQ(ClientSize(dlg).cy, 509);
  DWORD_PTR tabs = 0;
  SendMessageTimeoutA(pages, TCM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 5000, &tabs);
  EXPECT_EQ(tabs, 16u);  // About hidden
  // A second press brings the same window forward without a new gathering: a process started
  // now is not listed.
  Helper late;
  HWND before = dlg;
  Open();
  EXPECT_EQ(dlg, before);
  std::vector<std::string> pids = ListColumn(Processes(), 0);
  EXPECT_EQ(std::count(pids.begin(), pids.end(), late.Pid()), 0);
  HWND folders = FindChild(Sheet(1), "TListView", nullptr);
  int rows = ItemCount(folders);
  EXPECT_GT(rows, 3);
  // Refresh gathers again: the new process shows, and a second refresh adds no row.
  HWND refresh = FindChild(dlg, "TButton", "Re&fresh");
  for (int i = 0; i < 2; ++i) ASSERT_TRUE(ClickAndWait(refresh));
  pids = ListColumn(Processes(), 0);
  EXPECT_EQ(std::count(pids.begin(), pids.end(), late.Pid()), 1);
  std::sort(pids.begin(), pids.end());
  EXPECT_EQ(std::adjacent_find(pids.begin(), pids.end()), pids.end());
  EXPECT_EQ(ItemCount(folders), rows);
  // Close frees it; the next press makes a new one.
  Click(FindChild(dlg, "TButton", "&Close"));
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(before); }, 10000));
}

TEST_F(Overview, TerminateEndsTheProcessOrKeepsItsRow) {
  Helper victim, gone;
  ASSERT_TRUE(ClickAndWait(FindChild(dlg, "TButton", "Re&fresh")));
  ClickTab(pages, 13);
  HWND list = Processes();
  std::vector<std::string> pids = ListColumn(list, 0);
  auto row = [&](const std::string& p) { return static_cast<int>(std::find(pids.begin(), pids.end(), p) - pids.begin()); };
  ASSERT_LT(row(victim.Pid()), static_cast<int>(pids.size()));
  HWND terminate = FindChild(Sheet(13), "TButton", "&Terminate...");

  SelectRow(list, row(victim.Pid()));
  Click(terminate);
  // Enter would answer No.
  HWND box = FindTopWindow(pid, "#32770", "Warning", 15000);
  ASSERT_NE(box, nullptr);
  auto isDefault = [&](int id) { return (GetWindowLongA(GetDlgItem(box, id), GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON; };
  EXPECT_TRUE(isDefault(IDNO));
  EXPECT_FALSE(isDefault(IDYES));
  std::string question = Answer("Warning", IDYES);
  EXPECT_EQ(question.substr(0, 17), "e2e_tests.exe\r\n\r\n");
  EXPECT_EQ(WaitForSingleObject(victim.pi.hProcess, 10000), WAIT_OBJECT_0);
  Settle(dlg);
  std::vector<std::string> after = ListColumn(list, 0);
  EXPECT_EQ(after.size(), pids.size() - 1);
  EXPECT_EQ(std::count(after.begin(), after.end(), victim.Pid()), 0);

  // A process that has gone since the list was made cannot be terminated: the row stays.
  TerminateProcess(gone.pi.hProcess, 0);
  WaitForSingleObject(gone.pi.hProcess, 10000);
  std::string gonePid = gone.Pid();
  CloseHandle(gone.pi.hThread);
  CloseHandle(gone.pi.hProcess);
  gone.pi = PROCESS_INFORMATION{};
  // The system forgets an ended process a little after its last handle closed.
  DWORD goneId = static_cast<DWORD>(std::stoul(gonePid));
  ASSERT_TRUE(WaitFor(
      [&] {
        HANDLE h = OpenProcess(PROCESS_TERMINATE, FALSE, goneId);
        if (h) CloseHandle(h);
        return h == nullptr;
      },
      15000));
  pids = after;
  SelectRow(list, row(gonePid));
  Click(terminate);
  EXPECT_NE(Answer("Warning", IDYES), "(no box)");
  EXPECT_EQ(Answer("Warning", IDOK), "Cannot terminate this process.");
  EXPECT_EQ(ListColumn(list, 0).size(), pids.size());
}

TEST_F(Overview, ReportsGoThroughTheSaveDialog) {
  const std::string file = ExeDir() + "overview-report.txt";
  DeleteFileA(file.c_str());
  HWND save = Report(0);
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(Save(save, file), "SystemInfo.txt");
  std::string text = ReadFile(file);
  ASSERT_GT(text.size(), 1000u);
  // CR LF after every line, no lone LF, 8-bit text; the sections of the full report.
  size_t lf = 0, crlf = 0;
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n') {
      ++lf;
      crlf += i > 0 && text[i - 1] == '\r';
    }
  EXPECT_EQ(lf, crlf);
  EXPECT_EQ(text.find('\0'), std::string::npos);  // one byte a character, not the wide form
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  for (const char* s : {"[Machine]\r\n", "\r\n[Operating System]\r\n", "\r\n[CPU]\r\n", "\r\n[Memory]\r\n", "\r\n[Display]\r\n",
                        "\r\n[Advanced Power Management]\r\n", "\r\n[Media]\r\n", "\r\n[Network]\r\n", "\r\n[Devices]\r\n",
                        "\r\n[ODBC]\r\n", "\r\n[DirectX]\r\n", "\r\n[Disks]\r\n", "\r\n[Processes]\r\n", "\r\n[Printers]\r\n",
                        "\r\n[Installed Software]\r\n", "\r\n[User Startup]\r\n"})
    EXPECT_NE(text.find(s), std::string::npos) << s;
  EXPECT_LT(text.find("[Machine]"), text.find("[Processes]"));

  // The current topic on the processes page writes that category alone.
  ClickTab(pages, 13);
  DeleteFileA(file.c_str());
  save = Report(1);
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(Save(save, file), "Processess.txt");
  text = ReadFile(file);
  EXPECT_EQ(text.substr(0, 13), "[Processes]\r\n");
  EXPECT_EQ(text.find("\r\n["), std::string::npos);

  // A folder that does not exist: an error box naming the file, and no file.
  const std::string nowhere = ExeDir() + "no such folder\\SystemInfo.txt";
  save = Report(0);
  ASSERT_NE(save, nullptr);
  Save(save, nowhere);
  std::string error = Answer(kCaption, IDOK);
  EXPECT_NE(error.find(nowhere), std::string::npos) << error;
  EXPECT_FALSE(Exists(nowhere));

  // Cancelled: nothing written.
  DeleteFileA(file.c_str());
  save = Report(0);
  ASSERT_NE(save, nullptr);
  Save(save, file, false);
  EXPECT_FALSE(Exists(file));
}

TEST_F(Overview9x, TerminateReadsTheHexadecimalIdentifierBack) {
  Helper victim;
  ASSERT_TRUE(ClickAndWait(FindChild(dlg, "TButton", "Re&fresh")));
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%lX", static_cast<unsigned long>(victim.pi.dwProcessId));
  HWND list = Processes();
  std::vector<std::string> pids = ListColumn(list, 0);
  auto at = std::find(pids.begin(), pids.end(), hex);
  ASSERT_NE(at, pids.end()) << hex;
  SelectRow(list, static_cast<int>(at - pids.begin()));
  Click(FindChild(Sheet(13), "TButton", "&Terminate..."));
  Answer("Warning", IDYES);
  EXPECT_EQ(WaitForSingleObject(victim.pi.hProcess, 10000), WAIT_OBJECT_0);
}

namespace {

constexpr REGSAM kView64 = 0x0100, kView32 = 0x0200;  // KEY_WOW64_64KEY, KEY_WOW64_32KEY
const wchar_t kRunW[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kUninstallW[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Entries written into the prefix's own machine keys for one test, and removed after it (and
// before it, after an interrupted run).
class MachineEntries {
 public:
  void Value(REGSAM view, const std::wstring& key, const std::wstring& name, const std::wstring& data) {
    HKEY k;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &k, nullptr) != 0) {
      Ok = false;
      return;
    }
    if (RegSetValueExW(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) != 0)
      Ok = false;
    RegCloseKey(k);
    FValues.push_back({view, key, name});
  }
  // An uninstall entry: its key and its display name.
  void Program(REGSAM view, const std::wstring& sub, const std::wstring& displayName) {
    Value(view, kUninstallW + sub, L"DisplayName", displayName);
    FKeys.push_back({view, kUninstallW + sub, {}});
  }
  void Remove() {
    for (const auto& v : FValues) {
      HKEY k;
      if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, v.Key.c_str(), 0, KEY_ALL_ACCESS | v.View, &k) != 0) continue;
      RegDeleteValueW(k, v.Name.c_str());
      RegCloseKey(k);
    }
    using DeleteKeyExW = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
    auto deleteEx = reinterpret_cast<DeleteKeyExW>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegDeleteKeyExW")));
    for (const auto& k : FKeys) {
      if (deleteEx && k.View)
        deleteEx(HKEY_LOCAL_MACHINE, k.Key.c_str(), k.View, 0);
      else
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, k.Key.c_str());
    }
  }
  ~MachineEntries() { Remove(); }
  bool Ok = true;

 private:
  struct Entry {
    REGSAM View;
    std::wstring Key, Name;
  };
  std::vector<Entry> FValues, FKeys;
};

int Count(const std::vector<std::string>& v, const std::string& s) { return static_cast<int>(std::count(v.begin(), v.end(), s)); }

// The lines of a report section, without its header.
std::vector<std::string> SectionOf(const std::string& text, const std::string& title) {
  std::vector<std::string> out;
  std::istringstream in(text);
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '[') {
      inside = line == "[" + title + "]";
      continue;
    }
    if (inside) out.push_back(line);
  }
  return out;
}

// The dialog's startup list for one of its tabs, and the installed software, as "name=command"
// rows and names.
struct Lists : Overview {
  std::vector<std::string> StartupRows(int tab) {
    SelectTab(pages, 14);
    SelectTab(FindChild(Sheet(14), "TTabControl", nullptr), tab);
    HWND list = FindChild(Sheet(14), "TListView", nullptr);
    std::vector<std::string> names = ListColumn(list, 0), commands = ListColumn(list, 1), rows;
    for (size_t i = 0; i < names.size(); ++i) rows.push_back(names[i] + "=" + (i < commands.size() ? commands[i] : ""));
    return rows;
  }
  std::vector<std::string> Software() {
    SelectTab(pages, 15);
    return ListColumn(FindChild(Sheet(15), "TListView", nullptr), 0);
  }
  std::string SavedReport(const char* name) {
    const std::string file = ExeDir() + name;
    DeleteFileA(file.c_str());
    HWND save = Report(0);
    if (!save) return {};
    Save(save, file);
    return ReadFile(file);
  }
};

// 64-bit Windows: the machine's Run and Uninstall keys in both views of a 64-bit prefix.
class Wow64Overview : public Lists {
 protected:
  void SetUp() override {
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) GTEST_SKIP() << "not a 64-bit prefix";
    Write();
    entries.Remove();
    Write();
    ASSERT_TRUE(entries.Ok);
    Lists::SetUp();
  }
  void Write() {
    entries.Value(kView64, kRunW, L"VelmoraView64", L"C:\\velmora\\view64.exe");
    entries.Value(kView32, kRunW, L"VelmoraView32", L"C:\\velmora\\view32.exe");
    entries.Value(kView64, kRunW, L"VelmoraBothViews", L"C:\\velmora\\both.exe");
    entries.Value(kView32, kRunW, L"VelmoraBothViews", L"C:\\velmora\\both.exe");
    entries.Program(kView64, L"VelmoraView64", L"Velmora 64-bit Tool");
    entries.Program(kView32, L"VelmoraView32", L"Velmora 32-bit Tool");
    entries.Program(kView64, L"VelmoraBothViews", L"Velmora Tool Of Both Views");
    entries.Program(kView32, L"VelmoraBothViews", L"Velmora Tool Of Both Views");
  }
  MachineEntries entries;
};

// Registry text meant to forge report lines or to hide from the lists.
class OverviewHostile : public Lists {
 protected:
  void SetUp() override {
    Write();
    entries.Remove();
    Write();
    ASSERT_TRUE(entries.Ok);
    Lists::SetUp();
  }
  void Write() {
    entries.Value(0, kRunW, L"VelmoraForged", L"line1.exe\r\n[Fake Section]\r\nCount=99");
    entries.Value(0, kRunW, L"VelmoraLoneBreaks", L"a\rb\nc");
    entries.Value(0, kRunW, longName, L"C:\\velmora\\long.exe");
    entries.Value(0, kRunW, omega, L"C:\\velmora\\omega.exe");
    entries.Program(0, L"\x03A9" L"1", L"Velmora Omega One");
    entries.Program(0, L"\x03A9" L"2", L"Velmora Omega Two");
    entries.Program(0, L"VelmoraBroken", L"Velmora\r\nBroken=1");
  }
  const std::wstring longName = L"VelmoraLong" + std::wstring(1989, L'L');  // 2,000 characters
  const std::wstring omega = L"\x03A9mega";
  MachineEntries entries;
};

}  // namespace

// An entry that both views list runs (or is installed) twice: both are listed, the 32-bit one
// marked, in the dialog and in the report alike.
TEST_F(Wow64Overview, RunAndUninstallEntriesOfBothViewsAppearEachWithItsView) {
  const std::vector<std::string> rows = StartupRows(2);  // "Local machine"
  const char* const runs[] = {"VelmoraView64=C:\\velmora\\view64.exe", "VelmoraView32=C:\\velmora\\view32.exe",
                              "VelmoraBothViews=C:\\velmora\\both.exe",
                              "VelmoraBothViews (32-bit)=C:\\velmora\\both.exe"};
  for (const char* run : runs) EXPECT_EQ(Count(rows, run), 1) << run;
  const char* const programs[] = {"Velmora 64-bit Tool", "Velmora 32-bit Tool", "Velmora Tool Of Both Views",
                                  "Velmora Tool Of Both Views (32-bit)"};
  const std::vector<std::string> software = Software();
  for (const char* name : programs) EXPECT_EQ(Count(software, name), 1) << name;

  const std::string text = SavedReport("wow64-report.txt");
  const std::vector<std::string> run = SectionOf(text, "HKLM Run");
  for (const char* line : runs) EXPECT_EQ(Count(run, line), 1) << line;
  EXPECT_EQ(Count(run, "Count=" + std::to_string(run.size() - 1)), 1);
  std::vector<std::string> installed;
  for (const std::string& line : SectionOf(text, "Installed Software")) installed.push_back(line.substr(line.find('=') + 1));
  for (const char* name : programs) EXPECT_EQ(Count(installed, name), 1) << name;
}

TEST_F(OverviewHostile, EveryEntryIsListedAndTheSavedReportHasOnlyItsOwnLines) {
  const std::string longRow = Narrow(longName) + "=C:\\velmora\\long.exe";
  const std::string omegaRow = Narrow(omega) + "=C:\\velmora\\omega.exe";
  const std::vector<std::string> rows = StartupRows(2);
  EXPECT_EQ(Count(rows, longRow), 1);
  EXPECT_EQ(Count(rows, omegaRow), 1) << omegaRow;
  EXPECT_EQ(Count(rows, "VelmoraForged=line1.exe  [Fake Section]  Count=99"), 1);
  const std::vector<std::string> software = Software();
  EXPECT_EQ(Count(software, "Velmora Omega One"), 1);
  EXPECT_EQ(Count(software, "Velmora Omega Two"), 1);
  EXPECT_EQ(Count(software, "Velmora  Broken=1"), 1);

  const std::string text = SavedReport("hostile-report.txt");
  ASSERT_GT(text.size(), 1000u);
  // Every line is "[section]" or "key=value" and ends with CR LF; no other control character.
  size_t start = 0;
  int lines = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "an unterminated last line";
    const std::string line = text.substr(start, end - start);
    for (char c : line) ASSERT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7F) << "line " << lines << ": " << line;
    const bool section = line.size() >= 2 && line.front() == '[' && line.back() == ']';
    EXPECT_TRUE(section || line.find('=') != std::string::npos) << line;
    EXPECT_NE(line, "[Fake Section]");
    start = end + 2;
    ++lines;
  }
  const std::vector<std::string> run = SectionOf(text, "HKLM Run");
  EXPECT_EQ(std::count_if(run.begin(), run.end(), [](const std::string& l) { return l.rfind("Count=", 0) == 0; }), 1);
  EXPECT_EQ(Count(run, longRow), 1);
  EXPECT_EQ(Count(run, omegaRow), 1);
  EXPECT_EQ(Count(run, "VelmoraLoneBreaks=a b c"), 1);
  EXPECT_EQ(Count(run, "Count=" + std::to_string(run.size() - 1)), 1);
}
