// Logging off and stopping the system: log off, shut down, power off, restart, suspend or
// hibernate, with the shutdown privilege taken first on Windows NT.
#pragma once
#include <windows.h>
#include <functional>
#include "framework/Classes.h"
#include "wizard/AutoRunLogic.h"

// Every system call of a shutdown passes here, so that tests can put a recorder in their place
// (no test may ever stop the machine). The token functions and SetSystemPowerState are looked up
// at run time: Windows 9x lacks them or has stubs. A null entry counts as a failed call.
struct TShutdownApi {
  bool (*IsNT)();
  BOOL(WINAPI* OpenToken)(HANDLE process, DWORD access, HANDLE* token);
  BOOL(WINAPI* LookupPrivilege)(LPCSTR system, LPCSTR name, LUID* luid);
  BOOL(WINAPI* AdjustPrivileges)(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* state, DWORD length,
                                 TOKEN_PRIVILEGES* previous, DWORD* returned);
  BOOL(WINAPI* CloseToken)(HANDLE token);
  BOOL(WINAPI* RequestExit)(UINT flags, DWORD reserved);
  BOOL(WINAPI* SetPowerState)(BOOL suspend, BOOL force);
};
// The calls in use; replace the whole record to change them.
TShutdownApi& ShutdownApi();
// The system's own calls.
TShutdownApi SystemShutdownApi();

const TEnumInfo& ShutdownActionTypeInfo();
using TQueryShutdownEvent = std::function<void(TObject* Sender, bool& CanShutdown)>;

class TShutdown : public TComponent {
  VELMORA_CLASS(TShutdown, TComponent)

 public:
  explicit TShutdown(TComponent* AOwner) : TComponent(AOwner) {}

  TShutdownActionType ActionType() const { return FActionType; }
  void SetActionType(TShutdownActionType v);
  bool Force() const { return FForce; }
  void SetForce(bool v) { FForce = v; }

  // Performs ActionType; true when the system accepted the request.
  bool Execute();

  TQueryShutdownEvent OnQueryShutdown;

 private:
  TShutdownActionType FActionType = aatPowerOff;
  bool FForce = false;
};

void RegisterShutdownClasses();
