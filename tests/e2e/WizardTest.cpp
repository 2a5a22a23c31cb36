// The optimization wizard from outside: stored choices, the walk through its pages, the tuning
// it writes for each version mode, the restart question answered No, and the logon entry that
// only the user makes. Tuning values land in the test prefix's registry only, and are removed
// before and after.
#include <gtest/gtest.h>
#include <string>
#include "Driver.h"

using namespace e2e;

namespace {

const char kWizard[] = "Velmora Optimization Wizard";
const char kSettings[] = "Velmora\\OptWizSettings";
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kInternet[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const char kTcpip[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const char kMstcp[] = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";

void Store(const char* name, const char* text) {
  HKEY k;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) != 0) return;
  RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(strlen(text) + 1));
  RegCloseKey(k);
}

// The program started with the stored choices in place.
struct WizardRun {
  Program p;
  HWND main = nullptr, wizard = nullptr;
  DWORD pid = 0;

  void Start() {
    ASSERT_TRUE(p.Start(g_winver, true));
    pid = p.pi.dwProcessId;
    main = FindTopWindow(pid, "TMainForm", kMainCaption, 15000);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(Settle(main));
  }
  // "Optimize it!", then the wizard window.
  void Open() {
    HWND button = FindChild(main, "TFlatButton", "&Optimize it!");
    ASSERT_NE(button, nullptr);
    PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    ASSERT_TRUE(WaitFor(
        [&] {
          wizard = FindTopWindow(pid, "TForm1", kWizard, 0);
          return wizard && IsWindowVisible(wizard);
        },
        15000));
    ASSERT_TRUE(Settle(wizard));
  }
  HWND Button(const char* caption) { return FindChild(wizard, "TButton", caption); }
  void Click(HWND h) { ASSERT_TRUE(Send(h, BM_CLICK, 0, 0)); }
  // The visible page of the wizard, by its class.
  std::string PageClass() {
    for (const char* cls : {"TWelcomeWizardPage", "TInteriorWizardPage"})
      for (HWND h : Children(FindChild(wizard, "TWizard", nullptr), cls))
        if (IsWindowVisible(h)) return cls;
    return "";
  }
  void WalkToTheEnd() {
    EXPECT_EQ(PageClass(), "TWelcomeWizardPage");
    for (int i = 0; i < 3; ++i) Click(Button("&Next >"));
    EXPECT_FALSE(IsWindowEnabled(Button("&Next >")));
    EXPECT_TRUE(IsWindowVisible(Button("&Finish")));
  }
  void Close() {
    if (main) PostMessageA(main, WM_CLOSE, 0, 0);
    DWORD code = 1;
    EXPECT_TRUE(p.WaitExit(15000, &code));
    EXPECT_EQ(code, 0u);
    main = nullptr;
  }
  ~WizardRun() {
    if (main) PostMessageA(main, WM_CLOSE, 0, 0);
    p.WaitExit(10000);
  }
};

class WizardTuning : public ::testing::Test {
 protected:
  void SetUp() override {
    CleanTuning();
    DeleteUserKey("Velmora");
  }
  void TearDown() override { CleanTuning(); }
};

}  // namespace

TEST_F(WizardTuning, FinishWritesTheRowOfTheVersionModeAndAsksOnlyWhenItWrote) {
  Store("FlatCheckBox2_Checked", "True");
  Store("NetBar_Position", "3");  // xDSL
  WizardRun run;
  run.Start();
  if (HasFatalFailure()) return;
  run.Open();
  if (HasFatalFailure()) return;
  run.WalkToTheEnd();
  run.Click(run.Button("&Finish"));
  const std::string& v = g_winver;
  bool covered = v == "win98" || v == "nt40" || v == "win2k" || v == "winxp";
  if (covered) {
    HWND box = FindTopWindow(run.pid, "#32770", "Confirm", 15000);
    ASSERT_NE(box, nullptr) << "no restart question";
    PostMessageA(box, WM_COMMAND, IDNO, 0);
  } else {
    // Nothing to change on this version: the wizard says so in a box of its own.
    HWND box = FindTopWindow(run.pid, "#32770", kWizard, 15000);
    ASSERT_NE(box, nullptr) << "no word that nothing was changed";
    EXPECT_NE(FindChild(box, "Static", "No connection settings to change on this version of Windows."), nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), run.wizard);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
  // The job ends and the wizard hides itself.
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(run.wizard); }, 15000));
  EXPECT_EQ(FindTopWindow(run.pid, "#32770", "Confirm", 0), nullptr);
  auto conn = [] { return Value(HKEY_CURRENT_USER, kInternet, "MaxConnectionsPerServer"); };
  if (v == "win98") {
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kMstcp, "DefaultTTL"), "s:128");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kMstcp, "DefaultRcvWindow"), "s:372300");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kMstcp, "PMTUBlackHoleDetect"), "s:0");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kMstcp, "SackOpts"), "s:1");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kMstcp, "Tcp1323Opts"), "i:3");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kTcpip, "TcpWindowSize"), "<none>");
  } else if (v == "nt40") {
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kTcpip, "DefaultTTL"), "i:128");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kTcpip, "TcpWindowSize"), "i:64240");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kTcpip, "EnablePMTUDiscovery"), "i:1");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kTcpip, "SackOpts"), "<none>");
  } else if (v == "win2k" || v == "winxp") {
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kTcpip, "TcpWindowSize"), "i:372300");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kTcpip, "GlobalMaxTcpWindowSize"), "i:372300");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kTcpip, "EnablePMTUBHDetect"), "i:0");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kTcpip, "Tcp1323Opts"), "i:3");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kMstcp, "DefaultTTL"), "<none>");
  }
  if (covered) {
    EXPECT_EQ(conn(), "i:7");
    EXPECT_EQ(Value(HKEY_CURRENT_USER, kInternet, "MaxConnectionsPer1_0Server"), "i:7");
  } else {
    EXPECT_EQ(conn(), "<none>");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kTcpip, "TcpWindowSize"), "<none>");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kMstcp, "DefaultTTL"), "<none>");
  }
  // Closing saved the choices.
  EXPECT_EQ(Value(HKEY_CURRENT_USER, kSettings, "FlatCheckBox2_Checked"), "s:True");
  EXPECT_EQ(Value(HKEY_CURRENT_USER, kSettings, "NetBar_Position"), "s:3");
  run.Close();
}

TEST_F(WizardTuning, LineSpeedsGiveTheirConnectionCounts) {
  if (g_winver != "win2k") GTEST_SKIP() << "one version mode is enough";
  Store("FlatCheckBox2_Checked", "True");
  for (int speed = 1; speed <= 4; ++speed) {
    Store("NetBar_Position", std::to_string(speed).c_str());
    WizardRun run;
    run.Start();
    if (HasFatalFailure()) return;
    run.Open();
    if (HasFatalFailure()) return;
    run.WalkToTheEnd();
    run.Click(run.Button("&Finish"));
    HWND box = FindTopWindow(run.pid, "#32770", "Confirm", 15000);
    ASSERT_NE(box, nullptr);
    PostMessageA(box, WM_COMMAND, IDNO, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(run.wizard); }, 15000));
    EXPECT_EQ(Value(HKEY_CURRENT_USER, kInternet, "MaxConnectionsPerServer"), "i:" + std::to_string(speed + 4));
    run.Close();
  }
}

namespace {

// The logon entry as the registry holds it.
std::string LogonEntry() { return Value(HKEY_CURRENT_USER, kRun, "velmora.exe"); }

// Started, the wizard opened at the page of the logon box, and the box's tick toggled by Space,
// as a click does (a click needs the pointer over the box).
struct LogonRun : WizardRun {
  void ToThePage() {
    Start();
    if (::testing::Test::HasFatalFailure()) return;
    Open();
    if (::testing::Test::HasFatalFailure()) return;
    Click(Button("&Next >"));
    Click(Button("&Next >"));
  }
  void Toggle() {
    HWND box = FindChild(wizard, "TFlatCheckBox", "&Automatically start Velmora when I log into the system");
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(Send(box, WM_KEYDOWN, VK_SPACE, 0));
  }
};

}  // namespace

TEST(WizardLogon, OnlyTheUsersTickMakesTheEntryNeitherTheStoredChoiceNorCancel) {
  CleanTuning();
  DeleteUserKey("Velmora");
  // Ticked once, then the entry removed elsewhere (msconfig, a reinstall that kept the settings).
  Store("FlatCheckBox6_Checked", "True");
  const std::string entry = "s:\"" + ExeDir() + "velmora.exe\"";
  {
    LogonRun run;
    run.ToThePage();
    if (HasFatalFailure()) return;
    EXPECT_EQ(LogonEntry(), "<none>");
    run.Click(run.Button("&Cancel"));
    EXPECT_FALSE(IsWindowVisible(run.wizard));
    EXPECT_EQ(LogonEntry(), "<none>");
    // The box showed that there is none, and that is what the close kept.
    EXPECT_EQ(Value(HKEY_CURRENT_USER, kSettings, "FlatCheckBox6_Checked"), "s:False");
    run.Close();
  }
  EXPECT_EQ(LogonEntry(), "<none>");
  // The user ticks it: the entry is made at once and outlives Cancel and the program.
  {
    LogonRun run;
    run.ToThePage();
    if (HasFatalFailure()) return;
    run.Toggle();
    EXPECT_EQ(LogonEntry(), entry);
    run.Click(run.Button("&Cancel"));
    run.Close();
  }
  // A new start leaves the entry where it is; the box shows it and unticking removes it.
  LogonRun run;
  run.ToThePage();
  if (HasFatalFailure()) return;
  EXPECT_EQ(LogonEntry(), entry);
  run.Toggle();
  EXPECT_EQ(LogonEntry(), "<none>");
  // Closed with its close box: the unticked box is what is kept.
  ASSERT_TRUE(Send(run.wizard, WM_CLOSE, 0, 0));
  EXPECT_EQ(Value(HKEY_CURRENT_USER, kSettings, "FlatCheckBox6_Checked"), "s:False");
  EXPECT_NE(Value(HKEY_CURRENT_USER, kSettings, "NormPos"), "<none>");
  run.Close();
  CleanTuning();
}
