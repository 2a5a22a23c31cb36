#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "framework/Dialogs.h"
#include "framework/Registry.h"
#include "probes/Kestrix_Routines.h"
#include "sysinfo/KSI_OS.h"
#include "sysinfo/ReportLocale.h"

namespace {
struct Box {
  std::string Text, Caption;
  UINT Flags;
};

// Collects message boxes instead of showing them.
class BoxScope {
 public:
  BoxScope() {
    SetMessageBoxHook([this](const std::string& t, const std::string& c, UINT f) {
      Boxes.push_back({t, c, f});
      return IDOK;
    });
  }
  ~BoxScope() {
    SetMessageBoxHook(nullptr);
    SetVersionReader(nullptr);
  }
  std::vector<Box> Boxes;
};

std::string Line(const TStrings& r, const std::string& key) {
  for (const std::string& s : r.Items())
    if (s.rfind(key + "=", 0) == 0) return s.substr(key.size() + 1);
  return "<missing>";
}

TVersionRecord gFake;
bool FakeReader(TVersionRecord& r) {
  r = gFake;
  return true;
}

// The kernel's own reading, which Windows 8.1 and later do not bend to 6.2 (Wine's version modes
// follow them); GetVersionEx's where there is none.
OSVERSIONINFOEXW KernelVersion() {
  OSVERSIONINFOEXW w{};
  w.dwOSVersionInfoSize = sizeof w;
  using Fn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
  auto get = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
  if (!get || get(&w) != 0) {
    w.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&w));
  }
  return w;
}

const char kNT[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
}  // namespace

TEST(ProbesOsPerVersion, IdentifiesTheMode) {
  OSVERSIONINFOA vi{};
  vi.dwOSVersionInfoSize = sizeof vi;
  ASSERT_TRUE(GetVersionExA(&vi));
  BoxScope boxes;
  TOperatingSystem os;
  os.GetInfo();
  for (const Box& b : boxes.Boxes) ADD_FAILURE() << b.Caption << ": " << b.Text;
  TStringList r;
  os.Report(r);
  const unsigned ver = vi.dwMajorVersion * 100 + vi.dwMinorVersion;
  if (vi.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
    EXPECT_EQ(os.Platform(), "Windows 9x");
    if (ver == 410) {
      EXPECT_EQ(Line(r, "Version"), "4.10");
    }
    // Wine plays 98 Second Edition (4.10.2222); the high word carries the version.
    EXPECT_EQ(os.BuildNumber(), static_cast<int>(vi.dwBuildNumber & 0xFFFF));
  } else {
    // The true version: the 10.0 of Windows 10, not the 6.2 it tells programs without a
    // manifest.
    const OSVERSIONINFOEXW k = KernelVersion();
    EXPECT_EQ(os.Platform(), "Windows NT");
    EXPECT_EQ(os.MajorVersion(), static_cast<int>(k.dwMajorVersion));
    EXPECT_EQ(os.MinorVersion(), static_cast<int>(k.dwMinorVersion));
    EXPECT_EQ(Line(r, "Version"), std::to_string(k.dwMajorVersion) + "." + std::to_string(k.dwMinorVersion));
    EXPECT_EQ(os.BuildNumber(), static_cast<int>(k.dwBuildNumber & 0xFFFF));
    if (ver == 400) {
      EXPECT_EQ(os.CSD(), "Service Pack 6a");
    }
    // Read from the extended version record from Windows 2000 on (Wine's win7 mode says it is a
    // server), and the service pack's numbers are those of its text in every NT mode.
    const TNtProductType type = ver >= 500 ? ProductTypeFromVersion(k.wProductType, ptUnknown) : ptWorkStation;
    EXPECT_EQ(os.NTSpecific()->ProductType(), type);
    EXPECT_EQ(Line(r, "ProductType"), ProductTypeText(type));
    EXPECT_EQ(os.NTSpecific()->ServicePackMajorVersion(), ServicePackFromText(os.CSD())) << os.CSD();
    EXPECT_EQ(Line(r, "ServicePackMajorVersion"), std::to_string(ServicePackFromText(os.CSD())));
    if (ver == 500 || ver == 501) {
      EXPECT_EQ(os.NTSpecific()->ServicePackMajorVersion(), ver == 500 ? 4u : 3u);
    }
  }
  EXPECT_EQ(os.CSD(), vi.szCSDVersion);

  // The zone found in the registry is the one whose names match the current record.
  TIME_ZONE_INFORMATION tzi;
  GetTimeZoneInformation(&tzi);
  char stdName[64] = {};
  WideCharToMultiByte(CP_ACP, 0, tzi.StandardName, -1, stdName, 63, nullptr, nullptr);
  EXPECT_EQ(os.TimeZone()->StandardName(), stdName);
  EXPECT_EQ(os.TimeZone()->Bias(), tzi.Bias);
  TRegistry reg(KEY_READ);
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  const std::string base = std::string(IsNT() ? kNT : "SOFTWARE\\Microsoft\\Windows\\CurrentVersion") +
                           "\\Time Zones";
  std::string display;
  if (reg.OpenKey(base, false)) {
    TStringList zones;
    reg.GetKeyNames(zones);
    for (int i = 0; i < zones.Count() && display.empty(); ++i)
      if (reg.OpenKey("\\" + base + "\\" + zones[i], false) && reg.ReadString("Std") == stdName)
        display = reg.ReadString("Display");
  }
  ASSERT_FALSE(display.empty()) << "no zone named " << stdName;
  EXPECT_EQ(os.TimeZone()->DisplayName(), display);
  EXPECT_EQ(Line(r, "TimeZone"), display);
}

TEST(ProbesOs, FoldersEnvironmentAndRepeatedGathering) {
  BoxScope boxes;
  TOperatingSystem os;
  os.GetInfo();
  os.GetInfo();  // refills, never appends twice
  EXPECT_TRUE(boxes.Boxes.empty());
  const TStrings& f = *os.Folders();
  // Seven from the version key, three system paths, 29 special folders and the profile.
  ASSERT_EQ(f.Count(), 7 + 3 + 29 + 1);
  EXPECT_EQ(f.Names(0), "CommonFiles");
  EXPECT_EQ(f.Names(7), "Windows");
  EXPECT_EQ(f.Names(10), "AppData");
  EXPECT_EQ(f.Names(20), "Desktop");
  EXPECT_EQ(f.Names(38), "Templates");
  EXPECT_EQ(f.Names(39), "Profile");
  char win[MAX_PATH];
  GetWindowsDirectoryA(win, MAX_PATH);
  EXPECT_EQ(f.Values("Windows"), win);
  // Virtual folders have no path, also where the shell answers with a "::{...}" name.
  for (const char* key : {"RecycleBin", "Internet", "NetWork", "Printers", "Drives", "Controls"})
    EXPECT_EQ(f.Values(key), "") << key;
  for (int i = 0; i < f.Count(); ++i) EXPECT_EQ(f.Values(f.Names(i)).find("::"), std::string::npos) << f[i];
  const std::string desktop = f.Values("Desktop");
  ASSERT_NE(desktop.find('\\'), std::string::npos) << desktop;
  EXPECT_EQ(f.Values("Profile"), desktop.substr(0, desktop.rfind('\\')));

  bool path = false;
  for (const std::string& e : os.Environment()->Items())
    path = path || CompareText(e.substr(0, 5), "PATH=") == 0;
  EXPECT_TRUE(path);
}

TEST(ProbesOs, ProductDataFromOtherSystems) {
  BoxScope boxes;
  SetVersionReader(FakeReader);
  // Windows 2000 Server with Terminal Services.
  gFake = {};
  gFake.PlatformId = 2, gFake.Major = 5, gFake.Minor = 0, gFake.Build = 2195;
  gFake.CSD = "Service Pack 2";
  gFake.HasEx = true, gFake.ProductType = 3, gFake.SuiteMask = 0x10, gFake.SPMajor = 2;
  TOperatingSystem server;
  server.GetInfo();
  TStringList r;
  server.Report(r);
  EXPECT_EQ(Line(r, "ProductType"), "Server");
  EXPECT_EQ(Line(r, "Terminal Services"), "1");
  EXPECT_EQ(Line(r, "Windows 2000 Advanced Server"), "0");
  EXPECT_EQ(Line(r, "ServicePackMajorVersion"), "2");
  EXPECT_EQ(Line(r, "Version"), "5.0");
  // A domain controller.
  gFake.ProductType = 2, gFake.SuiteMask = 0;
  TOperatingSystem dc;
  dc.GetInfo();
  EXPECT_EQ(dc.NTSpecific()->ProductType(), ptAdvancedServer);
  EXPECT_TRUE(boxes.Boxes.empty());

  // Windows 98 first edition: the build field is 4.10 in its high word, 1998 in its low one.
  gFake = {};
  gFake.PlatformId = 1, gFake.Major = 4, gFake.Minor = 10, gFake.Build = 0x040A07CE;
  TOperatingSystem w98;
  w98.GetInfo();
  r.Clear();
  w98.Report(r);
  EXPECT_EQ(Line(r, "Platform"), "Windows 9x");
  EXPECT_EQ(Line(r, "Version"), "4.10");
  EXPECT_EQ(Line(r, "BuildNumber"), "1998");
  gFake.PlatformId = 7;  // unknown platforms leave the text as it was
  w98.GetInfo();
  EXPECT_EQ(w98.Platform(), "Windows 9x");

  // Windows 7 SP1 and 10: product type, suites and the service pack's numbers of the reading
  // that gives the text.
  gFake = {};
  gFake.PlatformId = 2, gFake.Major = 6, gFake.Minor = 1, gFake.Build = 7601;
  gFake.CSD = "Service Pack 1";
  gFake.HasEx = true, gFake.ProductType = 1, gFake.SuiteMask = 0x110, gFake.SPMajor = 1;
  TOperatingSystem seven;
  seven.GetInfo();
  r.Clear();
  seven.Report(r);
  EXPECT_EQ(Line(r, "Version"), "6.1");
  EXPECT_EQ(Line(r, "CSD"), "Service Pack 1");
  EXPECT_EQ(Line(r, "ServicePackMajorVersion"), "1");
  EXPECT_EQ(Line(r, "ProductType"), "Pro/Wks");
  EXPECT_EQ(Line(r, "Terminal Services"), "1");
  gFake.Major = 10, gFake.Minor = 0, gFake.Build = 19045, gFake.CSD = "", gFake.SPMajor = 0;
  gFake.ProductType = 3;
  TOperatingSystem ten;
  ten.GetInfo();
  r.Clear();
  ten.Report(r);
  EXPECT_EQ(Line(r, "Version"), "10.0");
  EXPECT_EQ(Line(r, "BuildNumber"), "19045");
  EXPECT_EQ(Line(r, "ProductType"), "Server");
  // NT 4.0 before SP6 has no extended record: the number is the text's.
  gFake = {};
  gFake.PlatformId = 2, gFake.Major = 4, gFake.Minor = 0, gFake.Build = 1381;
  gFake.CSD = "Service Pack 5";
  TOperatingSystem nt4;
  nt4.GetInfo();
  EXPECT_EQ(nt4.NTSpecific()->ServicePackMajorVersion(), 5u);
  EXPECT_TRUE(boxes.Boxes.empty());
}

// NT 4.0 with "Service Pack 6" and the Q246009 hotfix marker is 6a.
TEST(ProbesOs, HotfixMarkerMakesServicePack6a) {
  if (!IsNT()) GTEST_SKIP() << "the marker is read on the NT family";
  BoxScope boxes;
  SetVersionReader(FakeReader);
  gFake = {};
  gFake.PlatformId = 2, gFake.Major = 4, gFake.Minor = 0, gFake.Build = 1381;
  gFake.CSD = "Service Pack 6";
  const std::string hotfix = std::string(kNT) + "\\Hotfix\\Q246009";
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  const bool hadHotfix = reg.KeyExists(std::string(kNT) + "\\Hotfix");
  ASSERT_TRUE(reg.OpenKey(hotfix, true));
  reg.WriteInteger("Installed", 0);
  reg.CloseKey();
  TOperatingSystem os;
  os.GetInfo();
  EXPECT_EQ(os.CSD(), "Service Pack 6");
  ASSERT_TRUE(reg.OpenKey(hotfix, false));
  reg.WriteInteger("Installed", 1);
  reg.CloseKey();
  os.GetInfo();
  EXPECT_EQ(os.CSD(), "Service Pack 6a");
  // A marker of the wrong type is no marker, and nothing else is lost for it.
  ASSERT_TRUE(reg.OpenKey(hotfix, false));
  reg.WriteString("Installed", "1");
  reg.CloseKey();
  os.GetInfo();
  EXPECT_EQ(os.CSD(), "Service Pack 6");
  EXPECT_TRUE(boxes.Boxes.empty());
  EXPECT_NE(os.Folders()->IndexOfName("Windows"), -1);
  EXPECT_GT(os.Environment()->Count(), 0);
  reg.DeleteKey(hadHotfix ? hotfix : std::string(kNT) + "\\Hotfix");
}

TEST(ProbesOs, LocaleTextFormats) {
  InitReportLocale();
  char sep[8] = {};
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, sep, sizeof sep);
  EXPECT_EQ(GroupDigits(268435456), std::string("268") + sep + "435" + sep + "456");
  SYSTEMTIME st{};
  st.wYear = 2002, st.wMonth = 3, st.wDay = 31, st.wDayOfWeek = 0, st.wHour = 2;
  char date[64], time[64];
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, sizeof date);
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, sizeof time);
  EXPECT_EQ(DateTimeText(EncodeDateTime(2002, 3, 31, 2)), std::string(date) + " " + time);
  EXPECT_EQ(DateTimeText(EncodeDateTime(2002, 3, 31)), date);  // midnight: no time
  EXPECT_FALSE(DateTimeText(0).empty());  // the zero date of a zone without daylight saving
}
