// The optimization wizard's window built from its real description: the memory slider at each
// show, the check boxes, and the job with its hand-offs, tuning, restart question and ends.
// Restarts go to a recorder; tuning values go to the test prefix's registry only.
#include <gtest/gtest.h>
#include <windows.h>
#include <atomic>
#include <string>
#include <vector>
#include "app/AppClasses.h"
#include "TestSupport.h"
#include "app/OptForm.h"
#include "flat/FlatButtons.h"
#include "flat/FlatCheckBoxes.h"
#include "framework/ComCtrls.h"
#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/Registry.h"
#include "framework/StdCtrls.h"
#include "framework/Threads.h"
#include "instruments/MtLights.h"
#include "instruments/MtProgressBar.h"
#include "instruments/MtRegister.h"
#include "instruments/MtTrackBar.h"
#include "probes/MemoryStatus.h"
#include "shell/FormPlacement.h"
#include "shell/HtmlText.h"
#include "wizard/AutoRun.h"
#include "wizard/Shutdown.h"
#include "wizard/Wizard.h"
#include "wizard/WorkThread.h"

namespace {

const char kInternet[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const char kTcpip[] = "\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const char kMstcp[] = "\\System\\CurrentControlSet\\Services\\VxD\\MSTCP";

void DeleteValues(HKEY root, const char* key, std::initializer_list<const char*> names) {
  TRegistry reg;
  reg.SetRootKey(root);
  if (!reg.OpenKey(key, false)) return;
  for (const char* n : names) reg.DeleteValue(n);
}

void CleanTuning() {
  // The wizard's stored choices too: every test starts from none.
  {
    TRegistry reg;
    reg.DeleteKey("\\Velmora\\OptWizSettings");
  }
  DeleteValues(HKEY_CURRENT_USER, kInternet, {"MaxConnectionsPerServer", "MaxConnectionsPer1_0Server"});
  DeleteValues(HKEY_LOCAL_MACHINE, kTcpip,
               {"DefaultTTL", "TcpWindowSize", "GlobalMaxTcpWindowSize", "EnablePMTUBHDetect", "EnablePMTUDiscovery",
                "SackOpts", "Tcp1323Opts"});
  DeleteValues(HKEY_LOCAL_MACHINE, kMstcp,
               {"DefaultTTL", "DefaultRcvWindow", "PMTUBlackHoleDetect", "PMTUDiscovery", "SackOpts", "Tcp1323Opts"});
}

// "<none>", "s:text" or "i:number".
std::string Value(HKEY root, const char* key, const char* name) {
  TRegistry reg(KEY_READ);
  reg.SetRootKey(root);
  if (!reg.OpenKeyReadOnly(key) || !reg.ValueExists(name)) return "<none>";
  if (reg.GetDataType(name) == TRegDataType::rdInteger) return "i:" + std::to_string(reg.ReadInteger(name));
  return "s:" + reg.ReadString(name);
}

// A 256 MB machine with 100 MB free, as the old memory status tells it.
void WINAPI SmallMachine(MEMORYSTATUS* ms) {
  ms->dwTotalPhys = 256u << 20;
  ms->dwAvailPhys = 100u << 20;
}

std::vector<std::string> g_calls;
uint64_t g_touched = 0;
HANDLE g_touchGate = nullptr;  // when set, the memory step waits for it

bool RecordTouch(uint64_t size, const std::function<void()>& whileHeld) {
  g_touched = size;
  if (g_touchGate) WaitForSingleObject(g_touchGate, 5000);
  if (whileHeld) whileHeld();
  return true;
}
bool RefuseTouch(uint64_t size, const std::function<void()>&) {
  g_touched = size;
  return false;
}

TShutdownApi RecordingShutdown() {
  TShutdownApi api{};
  api.IsNT = [] { return false; };
  api.RequestExit = [](UINT flags, DWORD) WINAPI -> BOOL {
    g_calls.push_back("exit " + std::to_string(flags));
    return TRUE;
  };
  return api;
}

class OptForm : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      RegisterAppClasses();
      registered = true;
    }
    InitThreadSync();
    CleanTuning();
    savedMemory = MemoryStatusApi();
    savedShutdown = ShutdownApi();
    savedTouch = TouchMemoryBlock;
    ShutdownApi() = RecordingShutdown();
    TouchMemoryBlock = RecordTouch;
    g_calls.clear();
    g_touched = 0;
    savedLargest = LargestAllocatableBlock;
    // A machine where the memory option frees something, unless a test says otherwise.
    MemoryStatusApi() = TMemoryStatusApi{nullptr, SmallMachine};
    LargestAllocatableBlock = [] { return uint64_t{1536} << 20; };
    SetMessageBoxHook([this](const std::string& text, const std::string& caption, UINT flags) {
      if (flags == static_cast<UINT>(MB_YESNO | MB_ICONQUESTION)) {
        questions.push_back(caption + ": " + text);
        barAtQuestion = f->MtBar1->Position();
        return answer;
      }
      // What the wizard tells (no answer asked).
      EXPECT_EQ(flags & MB_TYPEMASK, static_cast<UINT>(MB_OK));
      told.push_back(caption + ": " + text + ((flags & MB_ICONWARNING) ? " (warning)" : ""));
      return IDOK;
    });
    app = new TApplication(nullptr);
    app->Initialize();
    app->OnException = [this](TObject*, const std::exception& e) { errors.push_back(e.what()); };
    f = new TForm1(app);
  }
  void TearDown() override {
    delete app;
    SetMessageBoxHook(nullptr);
    MemoryStatusApi() = savedMemory;
    ShutdownApi() = savedShutdown;
    TouchMemoryBlock = savedTouch;
    LargestAllocatableBlock = savedLargest;
    CleanTuning();
    EXPECT_TRUE(errors.empty()) << errors.front();
  }
  // Shown, walked to the last page and finished; true when the job ended and hid the window.
  bool RunJob() {
    f->Show();
    for (int i = 0; i < 3; ++i) f->Wizard1->SelectNextPage(true);
    EXPECT_EQ(f->Wizard1->ActivePage(), f->CompleteWizardPage1);
    SendMessageA(f->Wizard1->FinishButton()->Handle(), BM_CLICK, 0, 0);
    return PumpUntil([&] { return !f->Thread1->Running() && !f->Showing(); }, 10000);
  }
  // The tuning row that the running system gets, as "platform major".
  static std::string Platform() {
    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof v;
    GetVersionExA(&v);
    if (v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) return "9x";
    return "NT" + std::to_string(v.dwMajorVersion);
  }

  TApplication* app = nullptr;
  TForm1* f = nullptr;
  std::vector<std::string> errors, questions, told;
  int answer = IDNO;
  int barAtQuestion = -1;
  TMemoryStatusApi savedMemory{};
  TShutdownApi savedShutdown{};
  TTouchMemory savedTouch = nullptr;
  TLargestBlock savedLargest = nullptr;
};

}  // namespace

TEST_F(OptForm, EveryShowStartsOverWithTheMemoryOfThatMoment) {
  MemoryStatusApi() = TMemoryStatusApi{nullptr, SmallMachine};
  f->Show();
  EXPECT_EQ(f->Wizard1->ActivePageIndex(), 0);
  EXPECT_EQ(f->MtBar1->Position(), 0);
  EXPECT_EQ(f->MaxRAM->Caption(), "124");
  EXPECT_EQ(f->MinRAM->Caption(), "10");
  EXPECT_EQ(f->RAMbar->MinValue(), 110);
  EXPECT_EQ(f->RAMbar->MaxValue(), 224);
  EXPECT_EQ(f->RAMbar->Position(), 110);
  EXPECT_EQ(f->TotalPhys(), 256 << 20);
  // Hidden and shown again: the welcome page and an empty bar.
  f->Wizard1->SelectNextPage(true);
  f->MtBar1->SetPosition(3);
  SendMessageA(f->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(f->Showing());
  f->Show();
  EXPECT_EQ(f->Wizard1->ActivePageIndex(), 0);
  EXPECT_EQ(f->MtBar1->Position(), 0);
  // The labels and bars of the description.
  EXPECT_EQ(f->Caption(), "Velmora Optimization Wizard");
  EXPECT_EQ(f->ClientWidth(), 497);
  EXPECT_EQ(f->ClientHeight(), 360);
  EXPECT_EQ(f->NetBar->MinValue(), 1);
  EXPECT_EQ(f->NetBar->MaxValue(), 4);
  EXPECT_EQ(f->Wizard1->FinishButton()->Left(), 337);
}

TEST_F(OptForm, CheckBoxesDriveTheLightsAndTheLogonEntry) {
  f->Show();
  f->FlatCheckBox1->SetChecked(true);
  EXPECT_TRUE(f->FreeRAM());
  EXPECT_EQ(f->MtLightsRAM->LedState(), 1u << lsGreen);
  f->FlatCheckBox2->SetChecked(true);
  f->FlatCheckBox2->SetChecked(false);
  EXPECT_FALSE(f->OptimizeNet());
  EXPECT_EQ(f->MtLightsNET->LedState(), 0u);
  EXPECT_EQ(f->MtLightsIA->LedState(), 0u);
  // The logon entry: this test program's own name, so that it cannot touch the program's.
  EXPECT_EQ(f->ARUN->FileName(), app->ExeName());
  EXPECT_EQ(f->ARUN->Kind(), aekUserRun);
  std::string name = app->ExeName().substr(app->ExeName().find_last_of('\\') + 1);
  f->FlatCheckBox6->SetChecked(true);
  // The path in quotes: a folder with spaces must not make Windows start another program.
  EXPECT_EQ(Value(HKEY_CURRENT_USER, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", name.c_str()),
            "s:\"" + app->ExeName() + "\"");
  f->FlatCheckBox6->SetChecked(false);
  EXPECT_EQ(Value(HKEY_CURRENT_USER, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", name.c_str()), "<none>");
}

TEST_F(OptForm, NeitherOptionStepsTheBarAndClosesWithoutAQuestion) {
  ASSERT_TRUE(RunJob());
  EXPECT_EQ(f->MtBar1->Position(), 5);
  EXPECT_TRUE(questions.empty());
  EXPECT_EQ(g_touched, 0u);
  EXPECT_EQ(Value(HKEY_CURRENT_USER, kInternet, "MaxConnectionsPerServer"), "<none>");
}

TEST_F(OptForm, MemoryStepAllocatesTheSlidersAmount) {
  MemoryStatusApi() = TMemoryStatusApi{nullptr, SmallMachine};
  f->Show();
  f->FlatCheckBox1->SetChecked(true);
  f->RAMbar->SetPosition(150);
  std::vector<int> bar;
  TouchMemoryBlock = [](uint64_t size, const std::function<void()>& whileHeld) {
    g_touched = size;
    whileHeld();
    return true;
  };
  ASSERT_TRUE(RunJob());
  // The slider's 150 MB, not the 100 MB available on top of it.
  EXPECT_EQ(g_touched, 150u << 20);
  EXPECT_EQ(f->MtBar1->Position(), 5);
  // A block that cannot be had: the job goes on to its end.
  TouchMemoryBlock = RefuseTouch;
  ASSERT_TRUE(RunJob());
  EXPECT_EQ(f->MtBar1->Position(), 5);
}

TEST_F(OptForm, PerVersionTuningOfTheRunningSystem) {
  f->Show();
  f->FlatCheckBox2->SetChecked(true);
  f->NetBar->SetPosition(3);  // xDSL
  ASSERT_TRUE(RunJob());
  std::string p = Platform();
  auto conn = [] { return Value(HKEY_CURRENT_USER, kInternet, "MaxConnectionsPerServer"); };
  auto conn10 = [] { return Value(HKEY_CURRENT_USER, kInternet, "MaxConnectionsPer1_0Server"); };
  if (p == "9x") {
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kMstcp, "DefaultRcvWindow"), "s:372300");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kMstcp, "PMTUDiscovery"), "s:1");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kMstcp, "Tcp1323Opts"), "i:3");
  } else if (p == "NT4") {
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kTcpip, "TcpWindowSize"), "i:64240");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kTcpip, "GlobalMaxTcpWindowSize"), "<none>");
  } else if (p == "NT5") {
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kTcpip, "TcpWindowSize"), "i:372300");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kTcpip, "GlobalMaxTcpWindowSize"), "i:372300");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kTcpip, "SackOpts"), "i:1");
  }
  if (p == "9x" || p == "NT4" || p == "NT5") {
    EXPECT_EQ(conn(), "i:7");
    EXPECT_EQ(conn10(), "i:7");
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0],
              "Confirm: Your system needs to be restarted for the changes to take effect. Would you like to restart "
              "it now?");
    EXPECT_EQ(barAtQuestion, 2);
  } else {
    // A system the table does not cover: nothing written, nothing to restart for, and the
    // wizard says so.
    EXPECT_EQ(conn(), "<none>");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kTcpip, "TcpWindowSize"), "<none>");
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(told, std::vector<std::string>{
                        "Velmora Optimization Wizard: No connection settings to change on this version of Windows."});
  }
  if (p == "9x" || p == "NT4" || p == "NT5") EXPECT_TRUE(told.empty());
  EXPECT_EQ(f->MtBar1->Position(), 5);
  EXPECT_TRUE(g_calls.empty());  // answered No
}

TEST_F(OptForm, PerVersionOnlyYesRestarts) {
  std::string p = Platform();
  if (p != "9x" && p != "NT4" && p != "NT5") GTEST_SKIP() << "no question on this system";
  f->Show();
  f->FlatCheckBox2->SetChecked(true);
  answer = 0;  // the box ended by a quit message
  ASSERT_TRUE(RunJob());
  EXPECT_TRUE(g_calls.empty());
  answer = IDYES;
  ASSERT_TRUE(RunJob());
  EXPECT_EQ(g_calls, std::vector<std::string>{"exit 2"});  // restart, applications not forced
  EXPECT_EQ(Value(HKEY_CURRENT_USER, kInternet, "MaxConnectionsPerServer"), "i:5");  // Modem
}

TEST_F(OptForm, FinishTwiceRunsOnceAndCancelLeavesTheJobRunning) {
  g_touchGate = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  f->Show();
  f->FlatCheckBox1->SetChecked(true);
  for (int i = 0; i < 3; ++i) f->Wizard1->SelectNextPage(true);
  std::atomic<int> runs{0};
  auto job = f->Thread1->OnExecute;
  f->Thread1->OnExecute = [&](TObject* s, TWorkExecuteThread* t, void*& d) {
    ++runs;
    job(s, t, d);
  };
  HWND finish = f->Wizard1->FinishButton()->Handle();
  SendMessageA(finish, BM_CLICK, 0, 0);
  SendMessageA(finish, BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return f->MtBar1->Position() == 1; }));
  SendMessageA(f->Wizard1->CancelButton()->Handle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(f->Showing());
  EXPECT_TRUE(f->Thread1->Running());
  // Shown again before the job ends: reset, while the job keeps stepping the bar.
  f->Show();
  EXPECT_EQ(f->MtBar1->Position(), 0);
  SetEvent(g_touchGate);
  ASSERT_TRUE(PumpUntil([&] { return !f->Thread1->Running() && !f->Showing(); }, 10000));
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(f->MtBar1->Position(), 5);
  CloseHandle(g_touchGate);
  g_touchGate = nullptr;
}

TEST_F(OptForm, ProgramEndingDuringAJobAsksNothingAndTouchesNoControl) {
  g_touchGate = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  f->Show();
  f->FlatCheckBox1->SetChecked(true);
  f->FlatCheckBox2->SetChecked(true);
  for (int i = 0; i < 3; ++i) f->Wizard1->SelectNextPage(true);
  SendMessageA(f->Wizard1->FinishButton()->Handle(), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return f->MtBar1->Position() == 1; }));
  // The job is inside the memory step when the window goes; it is let go only then.
  HANDLE gate = g_touchGate;
  HANDLE helper = CreateThread(
      nullptr, 0,
      [](void* p) WINAPI -> DWORD {
        Sleep(100);
        SetEvent(static_cast<HANDLE>(p));
        return 0;
      },
      gate, 0, nullptr);
  delete f;
  f = nullptr;
  WaitForSingleObject(helper, 5000);
  CloseHandle(helper);
  EXPECT_TRUE(questions.empty());
  EXPECT_EQ(Value(HKEY_CURRENT_USER, kInternet, "MaxConnectionsPerServer"), "<none>");
  EXPECT_TRUE(g_calls.empty());
  EXPECT_EQ(Form1, nullptr);
  CloseHandle(g_touchGate);
  g_touchGate = nullptr;
}

TEST_F(OptForm, StoredChoicesComeBackAtEveryShowAndAreSavedOnClose) {
  const std::string run = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  std::string name = app->ExeName().substr(app->ExeName().find_last_of('\\') + 1);
  {
    TRegistry reg;
    reg.OpenKey("\\Velmora\\OptWizSettings", true);
    reg.WriteString("FlatCheckBox2_Checked", "True");
    reg.WriteString("FlatCheckBox6_Checked", "True");
    reg.WriteString("NetBar_Position", "3");
  }
  // Neither loading nor showing writes the logon entry: the box shows that there is none, and
  // closing keeps what it showed.
  EXPECT_EQ(Value(HKEY_CURRENT_USER, run.c_str(), name.c_str()), "<none>");
  f->Show();
  EXPECT_TRUE(f->OptimizeNet());
  EXPECT_EQ(f->MtLightsNET->LedState(), 1u << lsGreen);
  EXPECT_EQ(f->NetBar->Position(), 3);
  EXPECT_FALSE(f->FlatCheckBox6->Checked());
  EXPECT_EQ(Value(HKEY_CURRENT_USER, run.c_str(), name.c_str()), "<none>");
  f->NetBar->SetPosition(4);
  SendMessageA(f->Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(Value(HKEY_CURRENT_USER, "\\Velmora\\OptWizSettings", "FlatCheckBox1_Checked"), "s:False");
  EXPECT_EQ(Value(HKEY_CURRENT_USER, "\\Velmora\\OptWizSettings", "FlatCheckBox2_Checked"), "s:True");
  EXPECT_EQ(Value(HKEY_CURRENT_USER, "\\Velmora\\OptWizSettings", "FlatCheckBox6_Checked"), "s:False");
  EXPECT_EQ(Value(HKEY_CURRENT_USER, "\\Velmora\\OptWizSettings", "NetBar_Position"), "s:4");
  EXPECT_NE(Value(HKEY_CURRENT_USER, "\\Velmora\\OptWizSettings", "NormPos"), "<none>");
  EXPECT_EQ(Value(HKEY_CURRENT_USER, run.c_str(), name.c_str()), "<none>");
  // A line speed that is not a number comes back as the slowest, at the next start.
  {
    TRegistry reg;
    reg.OpenKey("\\Velmora\\OptWizSettings", true);
    reg.WriteString("NetBar_Position", "fast");
  }
  delete f;
  f = new TForm1(app);
  f->Show();
  EXPECT_EQ(f->NetBar->Position(), 1);
  EXPECT_TRUE(f->OptimizeNet());
}

namespace {
// 24 GB with 22,000 MB available, as the extended memory status tells it.
BOOL WINAPI BigMachine(TMemoryStatusEx* ms) {
  ms->ullTotalPhys = uint64_t{24} << 30;
  ms->ullAvailPhys = uint64_t{22000} << 20;
  return TRUE;
}
}  // namespace

TEST_F(OptForm, EveryShowGivesTheFocusToNextAndFinishIsTheDefaultOnlyWhereItIsOffered) {
  // (Enter page by page is walked with real keys from outside.)
  TButton *next = f->Wizard1->NextButton(), *finish = f->Wizard1->FinishButton();
  f->Show();
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == next->Handle(); })) << "focus not on Next";
  EXPECT_EQ(f->DefaultButton, next);
  for (int i = 0; i < 3; ++i) f->Wizard1->SelectNextPage(true);
  EXPECT_EQ(f->DefaultButton, finish);
  EXPECT_TRUE(finish->DefaultLook());
  SendMessageA(f->Wizard1->BackButton()->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(f->DefaultButton, next);
  // Closed on another page and shown again: the focus is on Next again.
  SendMessageA(f->Handle(), WM_CLOSE, 0, 0);
  f->Show();
  EXPECT_TRUE(PumpUntil([&] { return GetFocus() == next->Handle(); }));
}

TEST_F(OptForm, WhereNothingCanBeFreedTheMemoryOptionIsOffAndSaysWhy) {
  {
    TRegistry reg;
    reg.OpenKey("\\Velmora\\OptWizSettings", true);
    reg.WriteString("FlatCheckBox1_Checked", "True");
  }
  // The process can touch about 470 MB: all of it is available already.
  MemoryStatusApi() = TMemoryStatusApi{BigMachine, nullptr};
  LargestAllocatableBlock = [] { return uint64_t{470} << 20; };
  f->Show();
  EXPECT_FALSE(f->CanFreeRAM());
  EXPECT_FALSE(f->FlatCheckBox1->Enabled());
  EXPECT_FALSE(f->RAMbar->Enabled());
  EXPECT_EQ(f->FlatCheckBox1->Caption(), "Nothing to free: 22,000 MB available");
  EXPECT_GT(f->FlatCheckBox1->Height(), 17);  // room for the caption's second line
  EXPECT_TRUE(f->FlatCheckBox1->Checked());   // the stored choice waits
  EXPECT_FALSE(f->FreeRAM());
  EXPECT_EQ(f->MtLightsRAM->LedState(), 0u);
  ASSERT_TRUE(RunJob());
  EXPECT_EQ(g_touched, 0u);
  // On a machine where it frees something the option comes back as it was.
  MemoryStatusApi() = TMemoryStatusApi{nullptr, SmallMachine};
  LargestAllocatableBlock = [] { return uint64_t{1536} << 20; };
  f->Show();
  EXPECT_TRUE(f->FlatCheckBox1->Enabled());
  EXPECT_EQ(f->FlatCheckBox1->Caption(), "Free up some &RAM memory (Mb)");
  EXPECT_EQ(f->FlatCheckBox1->Height(), 17);
  EXPECT_TRUE(f->FreeRAM());
  EXPECT_EQ(f->RAMbar->MaxValue(), 224);
  // A process that can touch less than the memory in use: the slider ends where it can reach.
  LargestAllocatableBlock = [] { return uint64_t{150} << 20; };
  SendMessageA(f->Handle(), WM_CLOSE, 0, 0);
  f->Show();
  EXPECT_EQ(f->RAMbar->MinValue(), 110);
  EXPECT_EQ(f->RAMbar->MaxValue(), 150);
  EXPECT_EQ(f->MaxRAM->Caption(), "50");
}

TEST_F(OptForm, TheLogonBoxShowsTheEntryAsItIsAndOnlyTheUsersTickOrFinishChangesIt) {
  const std::string run = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string name = app->ExeName().substr(app->ExeName().find_last_of('\\') + 1);
  auto entry = [&] { return Value(HKEY_CURRENT_USER, run.c_str(), name.c_str()); };
  const std::string quoted = "s:\"" + app->ExeName() + "\"";
  // An entry from before (unquoted, as older versions wrote it) while the stored box says no.
  {
    TRegistry reg;
    reg.OpenKey(run, true);
    reg.WriteString(name, app->ExeName());
  }
  f->Show();
  EXPECT_TRUE(f->FlatCheckBox6->Checked());
  f->Wizard1->SelectNextPage(true);
  f->Wizard1->SelectNextPage(true);
  ASSERT_EQ(f->Wizard1->ActivePage(), f->InteriorWizardPage2);
  EXPECT_TRUE(f->FlatCheckBox6->Checked());
  EXPECT_EQ(entry(), "s:" + app->ExeName());  // shown, not written
  // Unticking it removes the entry the box showed.
  f->FlatCheckBox6->SetChecked(false);
  EXPECT_EQ(entry(), "<none>");
  // Removed elsewhere while the wizard is open: the box follows at the page's next showing.
  f->FlatCheckBox6->SetChecked(true);
  EXPECT_EQ(entry(), quoted);
  {
    TRegistry reg;
    reg.OpenKey(run, false);
    reg.DeleteValue(name);
  }
  f->Wizard1->SelectNextPage(false);
  f->Wizard1->SelectNextPage(true);
  EXPECT_FALSE(f->FlatCheckBox6->Checked());
  EXPECT_EQ(entry(), "<none>");
  // Ticked again although the component still counts on its entry: written all the same.
  f->FlatCheckBox6->SetChecked(true);
  EXPECT_EQ(entry(), quoted);
  SendMessageA(f->Handle(), WM_CLOSE, 0, 0);

  // Stored yes, no entry: the stored choice does not bring it back, and Cancel leaves none.
  {
    TRegistry reg;
    reg.OpenKey(run, false);
    reg.DeleteValue(name);
    reg.OpenKey("\\Velmora\\OptWizSettings", true);
    reg.WriteString("FlatCheckBox6_Checked", "True");
  }
  f->Show();
  EXPECT_FALSE(f->FlatCheckBox6->Checked());
  SendMessageA(f->Wizard1->CancelButton()->Handle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(f->Showing());
  EXPECT_EQ(entry(), "<none>");

  // An old unquoted entry is written as this version writes it at Finish.
  {
    TRegistry reg;
    reg.OpenKey(run, true);
    reg.WriteString(name, app->ExeName());
  }
  ASSERT_TRUE(RunJob());
  EXPECT_EQ(entry(), quoted);
  {
    TRegistry reg;
    reg.OpenKey(run, false);
    reg.DeleteValue(name);
  }
}
