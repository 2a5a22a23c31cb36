// The logon entry against the real registry, and the shutdown component against a recorder
// (no test may ever stop the machine).
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "framework/Description.h"
#include "framework/Registry.h"
#include "probes/Kestrix_Routines.h"
#include "wizard/AutoRun.h"
#include "wizard/Shutdown.h"

namespace {

const char kExe[] = "C:\\Velmora Test\\autorun-probe.exe";
const char kName[] = "autorun-probe.exe";

// The value's data under a root and list, or "<none>".
std::string Entry(HKEY root, const std::string& list) {
  TRegistry reg(KEY_READ);
  reg.SetRootKey(root);
  if (!reg.OpenKeyReadOnly("Software\\Microsoft\\Windows\\CurrentVersion\\" + list) || !reg.ValueExists(kName))
    return "<none>";
  return reg.ReadString(kName);
}

void Clean() {
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
    for (const char* list : {"Run", "RunOnce", "RunServices", "RunServicesOnce"}) {
      TRegistry reg;
      reg.SetRootKey(root);
      if (reg.OpenKey(std::string("Software\\Microsoft\\Windows\\CurrentVersion\\") + list, false))
        reg.DeleteValue(kName);
    }
}

class AutoRun : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
};

// A component read from a description, as a window holds it.
class THolder : public TComponent {
  VELMORA_CLASS(THolder, TComponent)
 public:
  using TComponent::TComponent;
  TAutoRun* ARUN = nullptr;
};
VELMORA_CLASS_INFO(THolder) {}

}  // namespace

TEST_F(AutoRun, UserEntryFollowsTheSwitchAndMovesWithTheKind) {
  TAutoRun a(nullptr);
  a.SetKind(aekUserRun);
  a.SetFileName(kExe);
  EXPECT_EQ(Entry(HKEY_CURRENT_USER, "Run"), "<none>");
  EXPECT_FALSE(a.Exists());
  a.SetAutoRun(true);
  // The path in quotes: its folder has a space.
  const std::string quoted = std::string("\"") + kExe + "\"";
  EXPECT_EQ(Entry(HKEY_CURRENT_USER, "Run"), quoted);
  EXPECT_TRUE(a.Exists());
  // A different kind moves the entry.
  a.SetKind(aekMachineRunOnce);
  EXPECT_EQ(Entry(HKEY_CURRENT_USER, "Run"), "<none>");
  EXPECT_EQ(Entry(HKEY_LOCAL_MACHINE, "RunOnce"), quoted);
  EXPECT_TRUE(a.Exists());
  // A new file name takes the old entry away and writes its own.
  a.SetFileName("velmora-bare.exe");
  EXPECT_EQ(Entry(HKEY_LOCAL_MACHINE, "RunOnce"), "<none>");
  a.SetFileName(kExe);
  EXPECT_EQ(Entry(HKEY_LOCAL_MACHINE, "RunOnce"), quoted);
  a.SetAutoRun(false);
  EXPECT_EQ(Entry(HKEY_LOCAL_MACHINE, "RunOnce"), "<none>");
  EXPECT_FALSE(a.Exists());
}

TEST_F(AutoRun, SameValuesTouchNothingAndServicesAreForWindows9xOnly) {
  TAutoRun a(nullptr);
  a.SetKind(aekUserRun);
  a.SetFileName(kExe);
  a.SetAutoRun(true);
  // Someone else changed the entry: setting what is already set leaves it.
  {
    TRegistry reg;
    reg.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Run", false);
    reg.WriteString(kName, "changed elsewhere");
  }
  a.SetFileName(kExe);
  a.SetAutoRun(true);
  a.SetKind(aekUserRun);
  EXPECT_EQ(Entry(HKEY_CURRENT_USER, "Run"), "changed elsewhere");
  a.SetKind(aekServiceRun);
  EXPECT_EQ(Entry(HKEY_CURRENT_USER, "Run"), "<none>");
  EXPECT_EQ(Entry(HKEY_LOCAL_MACHINE, "RunServices"), IsNT() ? "<none>" : kExe);
  EXPECT_TRUE(a.RemoveAutoRun());
}

TEST_F(AutoRun, LoadingRemovesNoEntryOfAnEarlierSession) {
  RegisterAutoRunClasses();
  {
    TRegistry reg;
    reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", true);
    reg.WriteString(kName, kExe);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", true);
    reg.WriteString(kName, "a machine entry");
  }
  THolder h(nullptr);
  h.BindField("ARUN", h.ARUN);
  ReadDescription(&h, R"(object Holder: THolder
  object ARUN: TAutoRun
    Kind = aekUserRun
    FileName = 'C:\Velmora Test\autorun-probe.exe'
  end
end)",
                  "test");
  EXPECT_EQ(Entry(HKEY_CURRENT_USER, "Run"), kExe);
  EXPECT_EQ(Entry(HKEY_LOCAL_MACHINE, "Run"), "a machine entry");
  // Changes made afterwards do what they say.
  h.ARUN->SetAutoRun(true);
  h.ARUN->SetAutoRun(false);
  EXPECT_EQ(Entry(HKEY_CURRENT_USER, "Run"), "<none>");
  EXPECT_EQ(Entry(HKEY_LOCAL_MACHINE, "Run"), "a machine entry");
}

TEST_F(AutoRun, DefaultFileNameIsTheRunningProgram) {
  TAutoRun a(nullptr);
  char buf[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
  EXPECT_EQ(a.FileName(), std::string(buf, n));
  EXPECT_EQ(a.Kind(), aekMachineRun);
  EXPECT_FALSE(a.AutoRun());
}

namespace {

// Records every system call of a shutdown; answers as told.
struct Recorder {
  static inline std::vector<std::string> calls;
  static inline bool nt = true, tokenOk = true, lookupOk = true, adjustOk = true, requestOk = true;
  static inline DWORD tokenAccess = 0;
  static inline std::string privilege;
  static inline TOKEN_PRIVILEGES adjusted{};

  static TShutdownApi Api() {
    TShutdownApi api{};
    api.IsNT = [] { return nt; };
    api.OpenToken = [](HANDLE, DWORD access, HANDLE* token) WINAPI -> BOOL {
      calls.push_back("open token");
      tokenAccess = access;
      *token = reinterpret_cast<HANDLE>(0x1234);
      return tokenOk;
    };
    api.LookupPrivilege = [](LPCSTR system, LPCSTR name, LUID* luid) WINAPI -> BOOL {
      calls.push_back("lookup");
      privilege = name;
      luid->LowPart = 19;
      return lookupOk;
    };
    api.AdjustPrivileges = [](HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* state, DWORD length,
                              TOKEN_PRIVILEGES*, DWORD*) WINAPI -> BOOL {
      calls.push_back("adjust");
      adjusted = *state;
      EXPECT_EQ(length, 16u);
      return adjustOk;
    };
    api.CloseToken = [](HANDLE token) WINAPI -> BOOL {
      calls.push_back(token == reinterpret_cast<HANDLE>(0x1234) ? "close token" : "close other");
      return TRUE;
    };
    api.RequestExit = [](UINT flags, DWORD reserved) WINAPI -> BOOL {
      calls.push_back("exit " + std::to_string(flags) + " " + std::to_string(reserved));
      return requestOk;
    };
    api.SetPowerState = [](BOOL suspend, BOOL force) WINAPI -> BOOL {
      calls.push_back(std::string("power ") + (suspend ? "suspend" : "hibernate") + (force ? " force" : ""));
      return requestOk;
    };
    return api;
  }
};

class Shutdown : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = ShutdownApi();
    ShutdownApi() = Recorder::Api();
    Recorder::calls.clear();
    Recorder::nt = Recorder::tokenOk = Recorder::lookupOk = Recorder::adjustOk = Recorder::requestOk = true;
  }
  void TearDown() override { ShutdownApi() = saved; }
  TShutdownApi saved{};
  using V = std::vector<std::string>;
};

}  // namespace

TEST_F(Shutdown, RestartOnNTTakesThePrivilegeThenAsksWithoutForce) {
  TShutdown s(nullptr);
  s.SetActionType(aatReboot);
  EXPECT_TRUE(s.Execute());
  EXPECT_EQ(Recorder::calls, (V{"open token", "lookup", "adjust", "close token", "exit 2 0"}));
  EXPECT_EQ(Recorder::tokenAccess, 0x28u);
  EXPECT_EQ(Recorder::privilege, "SeShutdownPrivilege");
  EXPECT_EQ(Recorder::adjusted.PrivilegeCount, 1u);
  EXPECT_EQ(Recorder::adjusted.Privileges[0].Attributes, 2u);
  EXPECT_EQ(Recorder::adjusted.Privileges[0].Luid.LowPart, 19u);

  Recorder::calls.clear();
  Recorder::nt = false;
  s.SetForce(true);
  s.SetActionType(aatHibernate);
  Recorder::requestOk = false;
  EXPECT_FALSE(s.Execute());  // refused by the system
  EXPECT_EQ(Recorder::calls, (V{"power hibernate force"}));
}

TEST_F(Shutdown, APrivilegeThatCannotBeHadStopsEverything) {
  TShutdown s(nullptr);
  Recorder::tokenOk = false;
  EXPECT_FALSE(s.Execute());
  EXPECT_EQ(Recorder::calls, (V{"open token"}));
  Recorder::calls.clear();
  Recorder::tokenOk = true;
  Recorder::lookupOk = false;
  EXPECT_FALSE(s.Execute());
  EXPECT_EQ(Recorder::calls, (V{"open token", "lookup", "close token"}));
  Recorder::calls.clear();
  Recorder::lookupOk = true;
  Recorder::adjustOk = false;
  EXPECT_FALSE(s.Execute());
  EXPECT_EQ(Recorder::calls, (V{"open token", "lookup", "adjust", "close token"}));
  // Windows 9x, where these functions do not exist.
  Recorder::calls.clear();
  Recorder::nt = false;
  ShutdownApi().OpenToken = nullptr;
  s.SetActionType(aatLogOff);
  EXPECT_TRUE(s.Execute());
  EXPECT_EQ(Recorder::calls, (V{"exit 0 0"}));
}

TEST_F(Shutdown, TheLastWordCanCancel) {
  TShutdown s(nullptr);
  Recorder::nt = false;
  int asked = 0;
  s.OnQueryShutdown = [&](TObject* sender, bool& can) {
    EXPECT_EQ(sender, &s);
    EXPECT_TRUE(can);
    ++asked;
    can = false;
  };
  EXPECT_FALSE(s.Execute());
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(Recorder::calls.empty());
  // No system to ask: a failure, not a crash.
  s.OnQueryShutdown = nullptr;
  ShutdownApi().RequestExit = nullptr;
  EXPECT_FALSE(s.Execute());
}
