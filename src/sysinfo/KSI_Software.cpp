// The installed software of the running system: the uninstall entries.
#include "sysinfo/KSI_Software.h"
#include <windows.h>
#include "sysinfo/SysInfoWin.h"

void TSoftware::GetInfo() {
  GatherGuarded("TSoftware.GetInfo", [this] {
    FInstalled->Clear();
    // On 64-bit Windows both views: a program that both list is installed twice.
    std::vector<std::string> shown64;
    for (const TViewKey& view : OpenMachineViews("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"))
      for (const TRegName& sub : view.Key->SubKeyNames()) {
        std::string name;
        if (!TSysKey(*view.Key, sub).ReadText("DisplayName", name)) continue;
        if (view.View == rv32) name = ShownFor32BitView(name, shown64);
        if (view.View == rv64) shown64.push_back(name);
        FInstalled->Add(name);
      }
  });
}
