// Gathering of the operating-system identification from the running system.
#include "sysinfo/KSI_OS.h"
#include <windows.h>
#include <shlobj.h>
#include <cwchar>
#include "framework/Dialogs.h"
#include "framework/Exception.h"
#include "probes/KSI_CPUUsage.h"
#include "probes/Kestrix_Routines.h"
#include "sysinfo/SysInfoWin.h"

namespace {
const char kNTCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
const char k9xCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

TVersionReader gVersionReader = ReadSystemVersion;

// A zone's name is kept to 32 characters, as the system's record holds it.
TRegName ZoneText(const TRegName& name) {
  if (name.Wide.empty()) return {ZoneName(name.Text), {}};
  const std::wstring cut = name.Wide.substr(0, 32);
  return {AnsiText(cut), cut};
}

TRegName ZoneText(const WCHAR (&name)[32]) {
  return ZoneText(SysText(std::wstring(name, wcsnlen(name, 32))));
}

// A folder of the system, asked in the form of the family: the wide one on NT.
std::string SystemFolder(UINT(WINAPI* wide)(LPWSTR, UINT), UINT(WINAPI* ansi)(LPSTR, UINT)) {
  if (SysInfoWide() && wide) {
    WCHAR buf[MAX_PATH + 1] = {};
    const UINT n = wide(buf, MAX_PATH);
    return n > 0 && n <= MAX_PATH ? AnsiText(buf, n) : std::string();
  }
  char buf[MAX_PATH + 1] = {};
  const UINT n = ansi(buf, MAX_PATH);
  return n > 0 && n <= MAX_PATH ? std::string(buf, n) : std::string();
}

UINT WINAPI TempPathW(LPWSTR buf, UINT size) { return SysApi().GetTempPathW(size, buf); }
UINT WINAPI TempPathA(LPSTR buf, UINT size) { return GetTempPathA(size, buf); }

// Every variable, however long the block.
std::vector<std::string> EnvironmentVariables() {
  std::vector<std::string> out;
  const TSysApi& api = SysApi();
  if (SysInfoWide() && api.GetEnvironmentStringsW && api.FreeEnvironmentStringsW) {
    if (LPWCH block = api.GetEnvironmentStringsW()) {
      for (const std::wstring& e : ParseEnvironmentBlock(block)) out.push_back(AnsiText(e));
      api.FreeEnvironmentStringsW(block);
    }
  } else if (LPCH block = GetEnvironmentStringsA()) {
    out = ParseEnvironmentBlock(block);
    FreeEnvironmentStringsA(block);
  }
  return out;
}

TSysTime FromSystemTime(const SYSTEMTIME& st) {
  TSysTime t;
  t.Year = st.wYear, t.Month = st.wMonth, t.DayOfWeek = st.wDayOfWeek, t.Day = st.wDay;
  t.Hour = st.wHour, t.Minute = st.wMinute, t.Second = st.wSecond;
  t.Milliseconds = st.wMilliseconds;
  return t;
}

struct TSpecialFolder {
  const char* Key;
  int Csidl;
};
const TSpecialFolder kSpecialFolders[] = {
    {"AppData", 26},       {"CommonDesktopDir", 25}, {"CommonAltStartUp", 30},
    {"RecycleBin", 10},    {"CommonPrograms", 23},   {"CommonStartMenu", 22},
    {"CommonStartup", 24}, {"CommonFavorites", 31},  {"Cookies", 33},
    {"Controls", 3},       {"Desktop", 0},           {"DesktopDir", 16},
    {"Favorites", 6},      {"Drives", 17},           {"Fonts", 20},
    {"History", 34},       {"Internet", 1},          {"InternetCache", 32},
    {"NetWork", 18},       {"NetHood", 19},          {"MyDocuments", 5},
    {"PrintHood", 27},     {"Printers", 4},          {"Programs", 2},
    {"Recent", 8},         {"SendTo", 9},            {"StartMenu", 11},
    {"StartUp", 7},        {"Templates", 21},
};

template <class F>
void Guarded(const char* caption, F f) {
  try {
    f();
  } catch (const Exception& e) {
    ShowErrorBox(e.Message(), caption);
  }
}
}  // namespace

TRegName ShellFolder(int csidl) {
  LPITEMIDLIST pidl = nullptr;
  TRegName path;
  if (SUCCEEDED(SHGetSpecialFolderLocation(GetDesktopWindow(), csidl, &pidl)) && pidl) {
    const auto wide = SysApi().SHGetPathFromIDListW;
    if (SysInfoWide() && wide) {
      WCHAR buf[MAX_PATH + 1] = {};
      if (wide(pidl, buf)) path = SysText(std::wstring(buf, wcsnlen(buf, MAX_PATH)));
    } else {
      char buf[MAX_PATH + 1] = {};
      if (SHGetPathFromIDListA(pidl, buf)) path.Text.assign(buf, strnlen(buf, MAX_PATH));
    }
    CoTaskMemFree(pidl);
  }
  // Some shells answer a virtual folder with its parsing name ("::{...}"): no place on disk.
  return IsFileSystemPath(path.Text) ? path : TRegName();
}

std::string SpecialFolderPath(int csidl) { return ShellFolder(csidl).Text; }

void SetVersionReader(TVersionReader reader) {
  gVersionReader = reader ? reader : ReadSystemVersion;
}

void TTimeZone::GetInfo() { Guarded("TTimeZone.GetInfo", [this] { Fill(); }); }

void TTimeZone::Fill() {
  TIME_ZONE_INFORMATION tzi;
  ZeroMemory(&tzi, sizeof tzi);
  GetTimeZoneInformation(&tzi);
  TZoneRecord current;
  current.Bias = tzi.Bias;
  current.StandardBias = tzi.StandardBias;
  current.DaylightBias = tzi.DaylightBias;
  current.StandardDate = FromSystemTime(tzi.StandardDate);
  current.DaylightDate = FromSystemTime(tzi.DaylightDate);
  // The names are compared as stored: two zones whose names differ only outside the code page
  // are two zones.
  const TRegName standard = ZoneText(tzi.StandardName), daylight = ZoneText(tzi.DaylightName);
  current.StandardName = standard.Text;
  current.DaylightName = daylight.Text;

  const std::string base = std::string(SysInfoNT() ? kNTCurrentVersion : k9xCurrentVersion) +
                           "\\Time Zones";
  const TSysKey zones(HKEY_LOCAL_MACHINE, base);
  for (const TRegName& sub : zones.SubKeyNames()) {
    const TSysKey zone(zones, sub);
    std::vector<char> raw;
    DWORD type = REG_NONE;
    if (!zone.ReadRaw("TZI", raw, &type) || (type != REG_BINARY && type != REG_NONE)) continue;
    TZoneRecord candidate;
    if (!ParseTzi(raw.data(), raw.size(), candidate)) continue;
    // Most zones differ in their figures already: their names are not read.
    candidate.StandardName = current.StandardName;
    candidate.DaylightName = current.DaylightName;
    if (!SameZone(current, candidate)) continue;
    TRegName std, dlt;  // a name that is missing or not text is empty
    zone.ReadStored("Std", std);
    zone.ReadStored("Dlt", dlt);
    if (!(ZoneText(std) == standard && ZoneText(dlt) == daylight)) continue;
    FDisplayName = zone.Text("Display");
    FMapID = zone.Text("MapID");
    break;
  }

  FBias = current.Bias;
  FStandardName = current.StandardName;
  FDaylightName = current.DaylightName;
  if (current.StandardDate.Month != 0 && current.DaylightDate.Month != 0) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    FDaylightStart = TransitionDate(current.DaylightDate, now.wYear);
    FStandardStart = TransitionDate(current.StandardDate, now.wYear);
    FDaylightBias = current.Bias + current.DaylightBias;
    FStandardBias = current.Bias + current.StandardBias;
  }
}

void TNTSpecific::GetInfo() { Guarded("TNTSpecific.GetInfo", [this] { Fill(); }); }

void TNTSpecific::Fill() {
  TVersionRecord v;
  if (gVersionReader(v) && v.PlatformId == 2) {
    if (v.HasEx && v.Major >= 5) {
      FProductType = ProductTypeFromVersion(v.ProductType, FProductType);
      FInstalledSuites = SuitesFromMask(v.SuiteMask);
    }
    // The numbers of the service pack that the text names, from the same reading; a system
    // without the extended record names it in the text alone.
    FSPMajor = static_cast<uint16_t>(v.HasEx ? v.SPMajor : ServicePackFromText(v.CSD));
    FSPMinor = static_cast<uint16_t>(v.HasEx ? v.SPMinor : 0);
  }
  if (FProductType == ptUnknown) {
    const TSysKey options(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\ProductOptions");
    if (options.IsOpen()) FProductType = ProductTypeFromRegistry(options.Text("ProductType"));
  }
}

void TOperatingSystem::GetInfo() {
  InitProbes();  // the family flag
  Guarded("TOperatingSystem.GetInfo", [this] { Fill(); });
}

void TOperatingSystem::Fill() {
  FFolders->Clear();
  FTimeZone->GetInfo();
  FNTSpecific->GetInfo();

  TVersionRecord v;
  if (gVersionReader(v)) {
    FMajorVersion = static_cast<int>(v.Major);
    FMinorVersion = static_cast<int>(v.Minor);
    FBuildNumber = static_cast<int>(v.Build & 0xFFFF);
    switch (v.PlatformId) {
      case 0: FPlatform = "Windows 3.1x"; break;
      case 1: FPlatform = "Windows 9x"; break;
      case 2: FPlatform = "Windows NT"; break;
      default: break;
    }
    FCSD = v.CSD;
  }

  FVersion.clear();
  FRegisteredUser.clear();
  FRegisteredOrg.clear();
  FProductID.clear();

  const bool nt = SysInfoNT();
  const TSysKey version(HKEY_LOCAL_MACHINE, nt ? kNTCurrentVersion : k9xCurrentVersion);
  if (version.IsOpen()) {
    // A value that is missing or not text leaves its field as it is.
    auto readIf = [&version](const char* name, std::string& field) { version.ReadText(name, field); };
    readIf(nt ? "CurrentType" : "Version", FVersion);
    readIf("RegisteredOrganization", FRegisteredOrg);
    readIf("RegisteredOwner", FRegisteredUser);
    readIf("ProductID", FProductID);
    readIf("ProductKey", FProductKey);
    readIf("DVD_Region", FDVDRegion);
    if (nt && FCSD == "Service Pack 6") {
      const TSysKey hotfix(HKEY_LOCAL_MACHINE, std::string(kNTCurrentVersion) + "\\Hotfix\\Q246009");
      std::vector<char> raw;
      DWORD type = REG_NONE;
      if (hotfix.ReadRaw("Installed", raw, &type) && type == REG_DWORD && raw.size() == 4 &&
          raw[0] == 1 && raw[1] == 0 && raw[2] == 0 && raw[3] == 0)
        FCSD = "Service Pack 6a";
    }
  }
  // The folders of both families are kept under Windows\CurrentVersion (NT's own key has none).
  const TSysKey folders(HKEY_LOCAL_MACHINE, k9xCurrentVersion);
  if (folders.IsOpen()) {
    static const char* const kFolderValues[][2] = {
        {"CommonFiles", "CommonFilesDir"}, {"ProgramFiles", "ProgramFilesDir"},
        {"Device", "DevicePath"},          {"OtherDevice", "OtherDevicePath"},
        {"Media", "MediaPath"},            {"Config", "ConfigPath"},
        {"Wallpaper", "WallPaperDir"}};
    for (const auto& f : kFolderValues) FFolders->Add(std::string(f[0]) + "=" + folders.Text(f[1]));
  }

  FFolders->Add("Windows=" + SystemFolder(SysApi().GetWindowsDirectoryW, GetWindowsDirectoryA));
  FFolders->Add("System=" + SystemFolder(SysApi().GetSystemDirectoryW, GetSystemDirectoryA));
  FFolders->Add("Temp=" + SystemFolder(SysApi().GetTempPathW ? TempPathW : nullptr, TempPathA));

  std::string desktop;
  for (const TSpecialFolder& f : kSpecialFolders) {
    const std::string path = SpecialFolderPath(f.Csidl);
    if (f.Csidl == 0) desktop = path;
    FFolders->Add(std::string(f.Key) + "=" + path);
  }
  FFolders->Add("Profile=" + ProfileFromDesktop(desktop));

  FEnvironment->Clear();
  for (const std::string& e : EnvironmentVariables()) FEnvironment->Add(e);
}
