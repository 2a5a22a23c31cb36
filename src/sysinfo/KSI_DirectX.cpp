// DirectX of the running system, from the registry.
#include "sysinfo/KSI_DirectX.h"
#include <windows.h>
#include "sysinfo/SysInfoWin.h"

namespace {
void ReadDescriptions(TStrings& list, const char* path) {
  list.Clear();
  TSysKey parent(HKEY_LOCAL_MACHINE, path);
  for (const TRegName& sub : parent.SubKeyNames()) {
    std::string text;
    if (TSysKey(parent, sub).ReadText("Description", text)) list.Add(text);
  }
}
}  // namespace

void TDirectX::GetInfo() {
  GatherGuarded("TDirectX.GetInfo", [this] {
    TSysKey key(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\DirectX");
    std::vector<char> raw;
    DWORD type = REG_NONE;
    // The version numbers are binary data; text or a number there is no version.
    if (!key.ReadText("Version", FVersion))
      FVersion = key.ReadRaw("InstalledVersion", raw, &type) && type == REG_BINARY
                     ? DirectXVersionFromInstalled(raw.data(), raw.size())
                     : std::string();
    ReadDescriptions(*FDirect3D, "SOFTWARE\\Microsoft\\Direct3D\\Drivers");
    ReadDescriptions(*FDirectPlay, "SOFTWARE\\Microsoft\\DirectPlay\\Services");
    ReadDescriptions(*FDirectMusic, "SOFTWARE\\Microsoft\\DirectMusic\\SoftwareSynths");
  });
}
