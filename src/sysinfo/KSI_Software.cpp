// The installed software of the running system: the uninstall entries.
#include "sysinfo/KSI_Software.h"
#include <windows.h>
#include <algorithm>
#include "sysinfo/SysInfoWin.h"

void TSoftware::GetInfo() {
  GatherGuarded("TSoftware.GetInfo", [this] {
    FInstalled->Clear();
    // On 64-bit Windows both views; an entry of the same key name and display name in both (a
    // key the views share) is listed once.
    std::vector<std::pair<TRegName, std::string>> earlier;
    for (TRegView view : MachineViews()) {
      TSysKey uninstall(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", view);
      std::vector<std::pair<TRegName, std::string>> here;
      for (TRegName& sub : uninstall.SubKeyNames()) {
        std::pair<TRegName, std::string> entry{std::move(sub), {}};
        if (!TSysKey(uninstall, entry.first).ReadText("DisplayName", entry.second)) continue;
        if (std::find(earlier.begin(), earlier.end(), entry) != earlier.end()) continue;
        FInstalled->Add(entry.second);
        here.push_back(std::move(entry));
      }
      earlier.insert(earlier.end(), here.begin(), here.end());
    }
  });
}
