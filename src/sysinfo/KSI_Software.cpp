// The installed software of the running system: the uninstall entries.
#include "sysinfo/KSI_Software.h"
#include <windows.h>
#include "sysinfo/SysInfoWin.h"

void TSoftware::GetInfo() {
  GatherGuarded("TSoftware.GetInfo", [this] {
    FInstalled->Clear();
    TSysKey uninstall(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
    for (const std::string& sub : uninstall.SubKeys()) {
      std::string name;
      if (TSysKey(uninstall, sub).ReadText("DisplayName", name)) FInstalled->Add(name);
    }
  });
}
