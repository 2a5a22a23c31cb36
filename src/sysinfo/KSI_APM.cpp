// The power status of the running system, where it can tell one.
#include "sysinfo/KSI_APM.h"
#include <windows.h>
#include "sysinfo/SysInfoWin.h"

void TAPM::GetInfo() {
  GatherGuarded("TAPM.GetInfo", [this] {
    Reset();
    const auto status = SysApi().GetSystemPowerStatus;
    TPowerStatusRecord s;
    ZeroMemory(&s, sizeof s);
    if (status && status(&s))
      Assign(s.ACLineStatus, s.BatteryFlag, s.BatteryLifePercent, s.BatteryLifeTime,
             s.BatteryFullLifeTime);
  });
}
