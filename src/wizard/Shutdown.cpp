#include "wizard/Shutdown.h"
#include "framework/Handles.h"
#include "probes/Kestrix_Routines.h"

namespace {
template <class F>
F Lookup(const char* module, const char* name) {
  HMODULE m = GetModuleHandleA(module);
  if (!m) m = LoadLibraryA(module);
  return m ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

// Enables the shutdown privilege of this process; false when the token will not have it.
bool EnableShutdownPrivilege(const TShutdownApi& api) {
  if (!api.OpenToken || !api.LookupPrivilege || !api.AdjustPrivileges) return false;
  KernelHandle process(OpenProcess(PROCESS_ALL_ACCESS, TRUE, GetCurrentProcessId()));
  HANDLE token = nullptr;
  BOOL opened = api.OpenToken(process ? process.get() : GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token);
  process.reset();
  if (!opened) return false;
  TOKEN_PRIVILEGES tp{};
  tp.PrivilegeCount = 1;
  tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  bool ok = api.LookupPrivilege(nullptr, "SeShutdownPrivilege", &tp.Privileges[0].Luid) != FALSE;
  if (ok) {
    TOKEN_PRIVILEGES previous{};
    DWORD returned = 0;
    ok = api.AdjustPrivileges(token, FALSE, &tp, sizeof previous, &previous, &returned) != FALSE;
  }
  if (api.CloseToken) api.CloseToken(token);
  return ok;
}
}  // namespace

TShutdownApi SystemShutdownApi() {
  TShutdownApi api{};
  api.IsNT = [] { return IsNT(); };
  api.OpenToken = Lookup<decltype(api.OpenToken)>("advapi32.dll", "OpenProcessToken");
  api.LookupPrivilege = Lookup<decltype(api.LookupPrivilege)>("advapi32.dll", "LookupPrivilegeValueA");
  api.AdjustPrivileges = Lookup<decltype(api.AdjustPrivileges)>("advapi32.dll", "AdjustTokenPrivileges");
  api.CloseToken = CloseHandle;
  api.RequestExit = ExitWindowsEx;
  api.SetPowerState = Lookup<decltype(api.SetPowerState)>("kernel32.dll", "SetSystemPowerState");
  return api;
}

TShutdownApi& ShutdownApi() {
  static TShutdownApi api = SystemShutdownApi();
  return api;
}

const TEnumInfo& ShutdownActionTypeInfo() {
  static const TEnumInfo e{"TShutdownActionType",
                           {"aatPowerOff", "aatShutdown", "aatReboot", "aatLogOff", "aatSuspend", "aatHibernate"}};
  return e;
}

VELMORA_CLASS_INFO(TShutdown) {
  b.Enum("ActionType", &TShutdown::ActionType, &TShutdown::SetActionType, ShutdownActionTypeInfo());
  b.Bool("Force", &TShutdown::Force, &TShutdown::SetForce);
  b.Event("OnQueryShutdown", &TShutdown::OnQueryShutdown);
  b.Creatable();
}

void RegisterShutdownClasses() { RegisterComponentClass(TShutdown::StaticClassInfo()); }

void TShutdown::SetActionType(TShutdownActionType v) {
  if (static_cast<int>(v) >= aatPowerOff && static_cast<int>(v) <= aatHibernate) FActionType = v;
}

bool TShutdown::Execute() {
  const TShutdownApi api = ShutdownApi();
  if (api.IsNT && api.IsNT() && !EnableShutdownPrivilege(api)) return false;
  bool can = true;
  if (OnQueryShutdown) OnQueryShutdown(this, can);
  if (!can) return false;
  autorun::ShutdownCall call{};
  if (!autorun::CallFor(FActionType, FForce, call)) return false;
  if (call.PowerState) return api.SetPowerState && api.SetPowerState(call.Suspend, FForce) != FALSE;
  return api.RequestExit && api.RequestExit(call.Flags, 0) != FALSE;
}
