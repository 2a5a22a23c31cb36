// Where a logon entry lives for each kind, what it is called, and which system request each
// shutdown action makes: decisions of the autorun and shutdown components that need no system.
#pragma once
#include <string>

enum TAutoExecKind { aekMachineRun, aekMachineRunOnce, aekUserRun, aekUserRunOnce, aekServiceRun, aekServiceRunOnce };
enum TShutdownActionType { aatPowerOff, aatShutdown, aatReboot, aatLogOff, aatSuspend, aatHibernate };

namespace autorun {

// True for the kinds kept under HKEY_CURRENT_USER, false for HKEY_LOCAL_MACHINE.
bool KindIsUser(TAutoExecKind kind);
// The service kinds, which only Windows 9x has.
bool KindIsService(TAutoExecKind kind);
// The key path below the kind's root.
std::string KindKeyPath(TAutoExecKind kind);
// The value's name: what follows the last "\", ":" or "/" of the file name (all of it when none).
std::string ValueName(const std::string& fileName);
// The value's data: the file name in double quotes, so that a path with spaces is not taken for
// a shorter program's ("C:\Program.exe" for "C:\Program Files\..."); one quoted already, or
// an empty one, stays as it is.
std::string CommandLine(const std::string& fileName);

// One system request: ExitWindowsEx with Flags, or SetSystemPowerState(Suspend, force).
struct ShutdownCall {
  bool PowerState;
  unsigned Flags;  // ExitWindowsEx
  bool Suspend;    // SetSystemPowerState
};
// False for a value outside the enumeration: no request at all.
bool CallFor(TShutdownActionType action, bool force, ShutdownCall& call);

}  // namespace autorun
