// Gathering of the operating-system identification from the running system.
#include "sysinfo/KSI_OS.h"
#include <windows.h>
#include <shlobj.h>
#include "framework/Dialogs.h"
#include "framework/Exception.h"
#include "framework/Registry.h"
#include "probes/KSI_CPUUsage.h"
#include "probes/Kestrix_Routines.h"

namespace {
const char kNTCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
const char k9xCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

TVersionReader gVersionReader = ReadSystemVersion;

// Keys are only read here: read access is enough and works for limited accounts too.
TRegistry MakeReader() {
  return TRegistry(KEY_READ);
}

std::string Narrow(const WCHAR* w, size_t maxChars) {
  char buf[128] = {};
  WideCharToMultiByte(CP_ACP, 0, w, -1, buf, sizeof buf - 1, nullptr, nullptr);
  return std::string(buf).substr(0, maxChars);
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

std::string SpecialFolderPath(int csidl) {
  LPITEMIDLIST pidl = nullptr;
  char buf[MAX_PATH + 1] = {};
  if (SUCCEEDED(SHGetSpecialFolderLocation(GetDesktopWindow(), csidl, &pidl)) && pidl) {
    if (!SHGetPathFromIDListA(pidl, buf)) buf[0] = 0;
    CoTaskMemFree(pidl);
  }
  // Some shells answer a virtual folder with its parsing name ("::{...}"): no place on disk.
  return IsFileSystemPath(buf) ? std::string(buf) : std::string();
}

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
  current.StandardName = Narrow(tzi.StandardName, 32);
  current.DaylightName = Narrow(tzi.DaylightName, 32);

  const std::string base = std::string(IsNT() ? kNTCurrentVersion : k9xCurrentVersion) +
                           "\\Time Zones";
  TRegistry reg = MakeReader();
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  if (reg.OpenKey(base, false)) {
    TStringList zones;
    reg.GetKeyNames(zones);
    for (int i = 0; i < zones.Count(); ++i) {
      if (!reg.OpenKey("\\" + base + "\\" + zones[i], false)) continue;
      if (reg.GetDataSize("TZI") != 44) continue;
      unsigned char raw[44];
      reg.ReadBinaryData("TZI", raw, sizeof raw);
      TZoneRecord candidate;
      ParseTzi(raw, sizeof raw, candidate);
      // Most zones differ in their figures already: their names are not read.
      candidate.StandardName = current.StandardName;
      candidate.DaylightName = current.DaylightName;
      if (!SameZone(current, candidate)) continue;
      candidate.StandardName = ZoneName(reg.ReadString("Std"));
      candidate.DaylightName = ZoneName(reg.ReadString("Dlt"));
      if (!SameZone(current, candidate)) continue;
      FDisplayName = reg.ReadString("Display");
      try {
        FMapID = reg.ReadString("MapID");
      } catch (const Exception&) {
        FMapID.clear();
      }
      break;
    }
    reg.CloseKey();
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
    TRegistry reg = MakeReader();
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (reg.OpenKey("System\\CurrentControlSet\\Control\\ProductOptions", false))
      FProductType = ProductTypeFromRegistry(reg.ReadString("ProductType"));
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

  const bool nt = IsNT();
  TRegistry reg = MakeReader();
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  if (reg.OpenKey(nt ? kNTCurrentVersion : k9xCurrentVersion, false)) {
    auto readIf = [&reg](const char* name, std::string& field) {
      if (reg.ValueExists(name)) field = reg.ReadString(name);
    };
    readIf(nt ? "CurrentType" : "Version", FVersion);
    readIf("RegisteredOrganization", FRegisteredOrg);
    readIf("RegisteredOwner", FRegisteredUser);
    readIf("ProductID", FProductID);
    readIf("ProductKey", FProductKey);
    readIf("DVD_Region", FDVDRegion);
    static const char* const kFolderValues[][2] = {
        {"CommonFiles", "CommonFilesDir"}, {"ProgramFiles", "ProgramFilesDir"},
        {"Device", "DevicePath"},          {"OtherDevice", "OtherDevicePath"},
        {"Media", "MediaPath"},            {"Config", "ConfigPath"},
        {"Wallpaper", "WallPaperDir"}};
    for (const auto& f : kFolderValues)
      FFolders->Add(std::string(f[0]) + "=" + reg.ReadString(f[1]));
    reg.CloseKey();
    if (nt && FCSD == "Service Pack 6" &&
        reg.OpenKey(std::string(kNTCurrentVersion) + "\\Hotfix\\Q246009", false)) {
      if (reg.ValueExists("Installed") && reg.ReadInteger("Installed") == 1)
        FCSD = "Service Pack 6a";
      reg.CloseKey();
    }
  }

  char buf[MAX_PATH + 1];
  buf[0] = 0;
  if (!GetWindowsDirectoryA(buf, MAX_PATH)) buf[0] = 0;
  FFolders->Add(std::string("Windows=") + buf);
  if (!GetSystemDirectoryA(buf, MAX_PATH)) buf[0] = 0;
  FFolders->Add(std::string("System=") + buf);
  DWORD n = GetTempPathA(MAX_PATH, buf);
  if (n == 0 || n > MAX_PATH) buf[0] = 0;
  FFolders->Add(std::string("Temp=") + buf);

  std::string desktop;
  for (const TSpecialFolder& f : kSpecialFolders) {
    const std::string path = SpecialFolderPath(f.Csidl);
    if (f.Csidl == 0) desktop = path;
    FFolders->Add(std::string(f.Key) + "=" + path);
  }
  FFolders->Add("Profile=" + ProfileFromDesktop(desktop));

  FEnvironment->Clear();
  if (LPCH block = GetEnvironmentStringsA()) {
    for (std::string& e : ParseEnvironmentBlock(block)) FEnvironment->Add(e);
    FreeEnvironmentStringsA(block);
  }
}
