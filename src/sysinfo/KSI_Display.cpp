// The display gathered from the running system: the device tree, the registry and the screen.
#include "sysinfo/KSI_Display.h"
#include <windows.h>
#include "sysinfo/KSI_Devices.h"
#include "sysinfo/SysInfoLogic.h"
#include "sysinfo/SysInfoWin.h"

namespace {
// NT's display drivers keep their details as wide text in binary values; as text values they
// are read as text. An odd number of bytes is no wide text: its 8-bit characters then.
std::string DriverText(const TSysKey& key, const std::string& name) {
  std::vector<char> raw;
  DWORD type = REG_NONE;
  if (key.ReadRaw(name, raw, &type) && (type == REG_BINARY || type == REG_NONE))
    return raw.size() % 2 == 0 ? AnsiText(Utf16ToZero(raw.data(), raw.size())) : SqueezeZeros(raw.data(), raw.size());
  std::vector<std::string> strings;
  return key.ReadStrings(name, strings) ? Concatenated(strings) : std::string();
}

// The first string of a text or a list; binary data up to its first zero.
std::string FirstString(const TSysKey& key, const std::string& name) {
  std::vector<std::string> strings;
  return key.ReadStrings(name, strings) && !strings.empty() ? strings.front() : std::string();
}
}  // namespace

void TDisplay::GetInfo() {
  GatherGuarded("TDisplay.GetInfo", [this] {
    ReadAdapter();
    ReadScreen();
  });
}

void TDisplay::ReadAdapter() {
  FAdapter.clear();
  FDAC.clear();
  FChipset.clear();
  FMemory = 0;
  FBIOSVersion.clear();
  FBIOSDate.clear();
  TDevices devices;
  ReadDevices(devices);
  const TDeviceRecord* display = nullptr;
  for (int i = 0; i < devices.DeviceCount() && !display; ++i)
    if (devices.Device(i).ClassKind == ckDisplay) display = &devices.Device(i);

  if (display) {
    FAdapter = display->Caption();
    if (SysInfoNT()) {
      GatherGuarded("TDisplay.GetWinNTDisplayInfo", [&] {
        // The service key of a device with no service would be the whole services key.
        const TRegName service{display->Service, display->ServiceKey};
        if (service.Text.empty() || service.Text.find('\\') != std::string::npos ||
            service.Wide.find(L'\\') != std::wstring::npos)
          return;
        const TSysKey services(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services");
        const TSysKey key(TSysKey(services, service), std::string("Device0"));
        FDAC = DriverText(key, "HardwareInformation.DacType");
        FChipset = DriverText(key, "HardwareInformation.ChipType");
        uint32_t memory = 0;
        FMemory = key.ReadDword("HardwareInformation.MemorySize", memory)
                      ? static_cast<int>(memory)
                      : 0;
      });
    } else {
      GatherGuarded("TDisplay.GetWin9xDisplayInfo", [&] {
        TSysKey key(HKEY_LOCAL_MACHINE,
                    "System\\CurrentControlSet\\Services\\Class\\Display\\0000\\INFO");
        key.ReadText("DacType", FDAC);
        key.ReadText("ChipType", FChipset);
        uint32_t memory = 0;
        if (key.ReadDword("VideoMemory", memory)) FMemory = static_cast<int>(memory);
      });
    }
  }

  GatherGuarded("TDisplay.GetVideoBIOSInfo", [&] {
    TSysKey key(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System");
    FBIOSVersion = FirstString(key, "VideoBiosVersion");
    key.ReadText("VideoBiosDate", FBIOSDate);
  });
}

void TDisplay::ReadScreen() {
  HDC dc = GetDC(nullptr);
  if (!dc) return;
  FFontResolution = static_cast<uint32_t>(GetDeviceCaps(dc, LOGPIXELSY));
  FHorzRes = GetDeviceCaps(dc, HORZRES);
  FVertRes = GetDeviceCaps(dc, VERTRES);
  FColorDepth = GetDeviceCaps(dc, BITSPIXEL);
  if (const char* t = TechnologyText(GetDeviceCaps(dc, TECHNOLOGY))) FTechnology = t;
  FPixelWidth = GetDeviceCaps(dc, ASPECTX);
  FPixelHeight = GetDeviceCaps(dc, ASPECTY);
  FPixelDiagonal = GetDeviceCaps(dc, ASPECTXY);
  FWidthMM = GetDeviceCaps(dc, HORZSIZE);
  FHeightMM = GetDeviceCaps(dc, VERTSIZE);
  FCurveCaps = CapSetFromValue(ckCurve, static_cast<uint32_t>(GetDeviceCaps(dc, CURVECAPS)));
  FLineCaps = CapSetFromValue(ckLine, static_cast<uint32_t>(GetDeviceCaps(dc, LINECAPS)));
  FPolygonCaps =
      CapSetFromValue(ckPolygon, static_cast<uint32_t>(GetDeviceCaps(dc, POLYGONALCAPS)));
  FRasterCaps = CapSetFromValue(ckRaster, static_cast<uint32_t>(GetDeviceCaps(dc, RASTERCAPS)));
  FTextCaps = CapSetFromValue(ckText, static_cast<uint32_t>(GetDeviceCaps(dc, TEXTCAPS)));
  ReleaseDC(nullptr, dc);

  FModes->Clear();
  DEVMODEA mode;
  // A driver that never says "no more" must not keep us here.
  for (DWORD i = 0; i < 65536; ++i) {
    ZeroMemory(&mode, sizeof mode);
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsA(nullptr, i, &mode)) break;
    FModes->Add(VideoModeText(mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel));
  }
}
