// The system-information component against the real system under Wine, in each version mode.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <new>
#include <string>
#include <vector>
#include "framework/Dialogs.h"
#include "probes/KSI_CPUUsage.h"
#include "framework/Exception.h"
#include "framework/Handles.h"
#include "probes/Kestrix_Routines.h"
#include "probes/MemoryStatus.h"
#include "sysinfo/KSystemInfo.h"
#include "sysinfo/ReportText.h"
#include "sysinfo/SysInfoWin.h"
#include "SysInfoFixtures.h"
#include "TestSupport.h"

namespace {
std::vector<std::string> Headers(const TStrings& report) {
  std::vector<std::string> h;
  for (const std::string& s : report.Items())
    if (!s.empty() && s.front() == '[') h.push_back(s);
  return h;
}

bool InOrder(const std::vector<std::string>& headers, const std::vector<std::string>& wanted) {
  size_t at = 0;
  for (const std::string& w : wanted) {
    while (at < headers.size() && headers[at] != w) ++at;
    if (at == headers.size()) return false;
    ++at;
  }
  return true;
}
}  // namespace

TEST(SysInfoPerVersion, GathersEveryCategoryWithoutAFailureAndReportsInOrder) {
  InitProbes();
  ShownBoxes boxes;
  TKSystemInfo info(nullptr);
  info.Refresh();
  for (const std::string& b : boxes.Shown) ADD_FAILURE() << b;
  TStringList report;
  info.Report(report);
  const std::vector<std::string> headers = Headers(report);
  EXPECT_TRUE(InOrder(headers, {"[Machine]", "[Operating System]", "[CPU]", "[CPU Features]",
                                "[CPU Cache]", "[Memory]", "[Display]", "[Video Modes]",
                                "[Text Capabilities]", "[Advanced Power Management]", "[Media]",
                                "[Sound]", "[Network]", "[Winsock]", "[Devices]", "[ODBC]",
                                "[BDE]", "[DAO]", "[ADO]", "[DirectX]", "[Disks]", "[DiskC:]",
                                "[DiskC:_Flags]", "[Processes]", "[Printers]",
                                "[Installed Software]", "[User Startup]", "[Common Startup]",
                                "[HKLM Run]", "[HKCU Run]", "[Run Once]"}));
  // The disk report leaves the last drive selected.
  EXPECT_EQ(info.Disk()->Drive(), std::string(1, info.Disk()->AvailableDisks().back()) + ":");
}

namespace {
// The fixtures under a key of this test program, read by the categories as their roots.
class SysInfoRegistry : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InitProbes();
    fixtures::DeleteTree(HKEY_CURRENT_USER, kBase);
    RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kBase) + "\\LM").c_str(), 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &gLm, nullptr);
    RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kBase) + "\\CU").c_str(), 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &gCu, nullptr);
    ASSERT_TRUE(fixtures::Write(gLm, gCu, true));
  }
  static void TearDownTestSuite() {
    RegCloseKey(gLm);
    RegCloseKey(gCu);
    fixtures::DeleteTree(HKEY_CURRENT_USER, kBase);
  }
  void SetUp() override { SetSysInfoRoots(gLm, gCu); }
  void TearDown() override {
    SetSysInfoRoots(nullptr, nullptr);
    SetSysInfoViewRoots(nullptr, nullptr);
    SetSysInfoFamily(-1);
    ResetSysApi();
  }
  static constexpr const char* kBase = "Software\\VelmoraTests\\SysInfo";
  static HKEY gLm, gCu;
  ShownBoxes boxes;
};
HKEY SysInfoRegistry::gLm = nullptr;
HKEY SysInfoRegistry::gCu = nullptr;

std::vector<std::string> Items(const TStrings& s) { return s.Items(); }
}  // namespace

TEST_F(SysInfoRegistry, TheDeviceTreeReadsBothFamiliesLayouts) {
  for (int nt : {1, 0}) {
    SCOPED_TRACE(nt ? "NT family" : "9x family");
    SetSysInfoFamily(nt);
    TDevices devices;
    devices.GetInfo();
    std::vector<std::string> captions;
    for (int i = 0; i < devices.DeviceCount(); ++i) captions.push_back(devices.Device(i).Caption());
    // Sorted by class: Display, MEDIA, Net. The absent NT device and the 9x "Network" bus are not
    // there; a FriendlyName that is not text gives way to the description.
    EXPECT_EQ(captions.size(), 4u);
    ASSERT_EQ(captions.front(), fixtures::kDisplayDevice);
    EXPECT_EQ(captions.back(), fixtures::kNicDevice);
    const TDeviceRecord& d = devices.Device(0);
    EXPECT_EQ(d.ClassName, "Display");
    EXPECT_EQ(d.ClassDesc, fixtures::kDisplayClass);
    EXPECT_EQ(d.ClassIcon, "-1");
    EXPECT_EQ(d.Manufacturer, "Velmora");
    EXPECT_EQ(d.Location, fixtures::kBusName);
    EXPECT_EQ(d.HardwareID, "VELMORA\\DISPLAYVELMORA_DISPLAY");
    EXPECT_EQ(d.DriverDate, "6-21-2001");
    EXPECT_EQ(d.DriverVersion, "5.1.2600.0");
    EXPECT_EQ(d.DriverProvider, "Velmora Fixtures");
    EXPECT_EQ(d.ServiceName, "Velmora Video");
    EXPECT_EQ(d.ServiceGroup, "Video");
    EXPECT_EQ(d.ServiceType, 1);
    EXPECT_EQ(d.RegistryPath, nt ? "SYSTEM\\CurrentControlSet\\Enum\\VELMORA\\DISPLAY\\0000"
                                 : "Enum\\VELMORA\\DISPLAY\\0000");
    TStringList r;
    devices.Report(r);
    EXPECT_EQ(r[1], "Count=4");
    EXPECT_EQ(r[2], "[Velmora Test Display]");
    EXPECT_EQ(r[3], "Class Name=Velmora Display Adapters");
  }
  for (const std::string& b : boxes.Shown) ADD_FAILURE() << b;
}

TEST_F(SysInfoRegistry, DisplayNetworkMediaAndMachineFindTheirHardware) {
  for (int nt : {1, 0}) {
    SCOPED_TRACE(nt ? "NT family" : "9x family");
    SetSysInfoFamily(nt);
    TDisplay display;
    display.GetInfo();
    EXPECT_EQ(display.Adapter(), fixtures::kDisplayDevice);
    EXPECT_EQ(display.DAC(), fixtures::kDac);
    EXPECT_EQ(display.Chipset(), fixtures::kChip);
    EXPECT_EQ(display.Memory(), static_cast<int>(fixtures::kVideoMemory));
    EXPECT_EQ(display.BIOSVersion(), "Velmora Video BIOS");
    EXPECT_EQ(display.BIOSDate(), "04/05/06");
    EXPECT_EQ(display.HorzRes(), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_GT(display.Modes()->Count(), 0);

    TNetwork network;
    network.GetInfo();
    EXPECT_EQ(Items(*network.Adapters()), std::vector<std::string>{fixtures::kNicDevice});
    EXPECT_EQ(network.CardAdapterIndex(), 0);
    if (!IsWin2000()) {
      EXPECT_EQ(Items(*network.Protocols()), std::vector<std::string>{fixtures::kProtocol});
    }

    TMedia media;
    media.GetInfo();
    EXPECT_EQ(Items(*media.Devices()),
              (std::vector<std::string>{fixtures::kSoundCard, fixtures::kGamePort}));
    EXPECT_EQ(media.SoundCardIndex(), 0);
    EXPECT_EQ(media.GamePortIndex(), 1);

    TMachine machine;
    machine.GetInfo();
    EXPECT_EQ(machine.Computer(), fixtures::kComputer);
    if (nt) {
      // A first string longer than the old fixed buffer, taken whole and no further.
      EXPECT_EQ(machine.BIOSCopyright(), "Velmora BIOS " + std::string(300, 'x'));
      EXPECT_EQ(machine.BIOSDate(), "01/02/03");
    }
  }
  for (const std::string& b : boxes.Shown) ADD_FAILURE() << b;
}

namespace {
std::vector<std::pair<uint32_t, size_t>> gBiosReads;
std::string FakeBiosArea(uint32_t address, size_t max) {
  gBiosReads.push_back({address, max});
  return "BIOS@" + std::to_string(address);
}
}  // namespace

TEST_F(SysInfoRegistry, The9xBiosAreaIsReadWithinTheFirstMegabyte) {
  SetSysInfoFamily(0);
  gBiosReads.clear();
  SysApi().ReadBiosArea = FakeBiosArea;
  TMachine machine;
  machine.GetInfo();
  EXPECT_EQ(machine.BIOSName(), "BIOS@" + std::to_string(0xFE061));
  EXPECT_EQ(machine.BIOSExtendedInfo(), "BIOS@" + std::to_string(0xFEC71));
  ASSERT_EQ(gBiosReads.size(), 4u);
  EXPECT_EQ(gBiosReads[1], (std::pair<uint32_t, size_t>{0xFFFF5, 11}));
  // The system's own reader on a family that maps no BIOS area reads nothing, and lives.
  ResetSysApi();
  machine.GetInfo();
  EXPECT_TRUE(boxes.Shown.empty());
}

TEST_F(SysInfoRegistry, StartupSoftwareAndDirectXComeFromTheirKeys) {
  const std::string folder = fixtures::UserStartupFolder();
  const std::string link = folder + "\\Velmora Win Fixture.lnk";
  ASSERT_FALSE(folder.empty());
  CreateDirectoryA(folder.c_str(), nullptr);
  ASSERT_TRUE(fixtures::WriteShortcut(link, "C:\\windows\\notepad.exe", "/velmora"));
  TStartup startup;
  startup.GetInfo();
  DeleteFileA(link.c_str());
  ASSERT_EQ(startup.Count(slUserRun), 2);
  EXPECT_EQ(startup.Name(slUserRun, 0), fixtures::kRunName);
  EXPECT_EQ(startup.CommandLine(slUserRun, 0), fixtures::kRunCommand);
  // A value that is not text still counts, with an empty command line.
  EXPECT_EQ(startup.Name(slUserRun, 1), fixtures::kBinaryRunName);
  EXPECT_EQ(startup.CommandLine(slUserRun, 1), "");
  EXPECT_EQ(startup.CommandLine(slMachineRun, 0), fixtures::kMachineRunCommand);
  ASSERT_EQ(startup.Count(slRunOnce), 2);
  EXPECT_EQ(startup.CommandLine(slRunOnce, 0), fixtures::kUserOnceCommand);
  EXPECT_EQ(startup.CommandLine(slRunOnce, 1), fixtures::kMachineOnceCommand);
  bool found = false;
  for (int i = 0; i < startup.Count(slUserStartup); ++i)
    if (startup.Name(slUserStartup, i) == "Velmora Win Fixture") {
      found = true;
      EXPECT_EQ(startup.CommandLine(slUserStartup, i), "C:\\windows\\notepad.exe /velmora");
    }
  EXPECT_TRUE(found) << "the shortcut in " << folder;
  const int total = startup.RunsCount();
  startup.GetInfo();
  EXPECT_EQ(startup.RunsCount(), total - 1);  // the shortcut is gone; nothing doubled

  TSoftware software;
  software.GetInfo();
  EXPECT_EQ(Items(*software.Installed()), std::vector<std::string>{fixtures::kSoftware});

  TDirectX dx;
  dx.GetInfo();
  EXPECT_EQ(dx.Version(), "9.0");
  EXPECT_EQ(Items(*dx.Direct3D()), std::vector<std::string>{"Velmora Reference Rasterizer"});
  for (const std::string& b : boxes.Shown) ADD_FAILURE() << b;
}

namespace {
void SetText(HKEY root, const std::string& path, const std::string& name, const std::string& text) {
  HKEY k;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), 0);
  RegSetValueExA(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(k);
}
void SetWide(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text) {
  HKEY k;
  ASSERT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), 0);
  RegSetValueExW(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(k);
}
void DeleteValue(HKEY root, const char* path, const std::string& name) {
  HKEY k;
  if (RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &k) != 0) return;
  RegDeleteValueA(k, name.c_str());
  RegCloseKey(k);
}
void DeleteValueW(HKEY root, const wchar_t* path, const wchar_t* name) {
  HKEY k;
  if (RegOpenKeyExW(root, path, 0, KEY_ALL_ACCESS, &k) != 0) return;
  RegDeleteValueW(k, name);
  RegCloseKey(k);
}
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

int Find(const TStartup& s, TStartupLocation where, const std::string& name, const std::string& command) {
  int n = 0;
  for (int i = 0; i < s.Count(where); ++i) n += s.Name(where, i) == name && s.CommandLine(where, i) == command;
  return n;
}
}  // namespace

// Names longer than any fixed buffer, names outside the code page, and text with line breaks:
// every entry is listed, with the data read by its index.
TEST_F(SysInfoRegistry, LongAndForeignNamesAreListedWithTheirCommands) {
  const std::string longName(2000, 'L');
  const wchar_t kOmega[] = L"\x03A9mega";
  SetText(gLm, kRunKey, longName, "C:\\long.exe");
  SetWide(gLm, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", kOmega, L"C:\\omega.exe /x");
  SetText(gLm, kRunKey, "Forged", "line1.exe\r\n[Fake Section]\r\nCount=99");
  for (const wchar_t* sub : {L"\x03A9" L"1", L"\x03A9" L"2"})
    SetWide(gLm, std::wstring(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + sub, L"DisplayName",
            std::wstring(L"Omega Tool ") + sub[1]);
  SetText(gLm, std::string(kUninstallKey) + "\\Broken", "DisplayName", "Broken\r\nName");

  TStartup startup;
  TSoftware software;
  for (int family : {1, 0}) {
    SCOPED_TRACE(family ? "NT family" : "9x family");
    SetSysInfoFamily(family);
    startup.GetInfo();
    EXPECT_EQ(Find(startup, slMachineRun, longName, "C:\\long.exe"), 1);
    EXPECT_EQ(Find(startup, slMachineRun, "Forged", "line1.exe\r\n[Fake Section]\r\nCount=99"), 1);
    // The name is shown in the code page, a replacement for what it lacks; the command is there.
    int omega = 0;
    for (int i = 0; i < startup.Count(slMachineRun); ++i)
      if (startup.Name(slMachineRun, i).size() == 5 && startup.Name(slMachineRun, i).substr(1) == "mega") {
        ++omega;
        EXPECT_EQ(startup.CommandLine(slMachineRun, i), "C:\\omega.exe /x");
      }
    EXPECT_EQ(omega, 1);
    software.GetInfo();
    const std::vector<std::string> installed = Items(*software.Installed());
    EXPECT_EQ(std::count(installed.begin(), installed.end(), "Broken\r\nName"), 1);
    // The 9x family has no wide names: there a key is opened by the name it was listed by.
    if (family) {
      EXPECT_EQ(std::count(installed.begin(), installed.end(), "Omega Tool 1"), 1);
      EXPECT_EQ(std::count(installed.begin(), installed.end(), "Omega Tool 2"), 1);
    }
  }
  SetSysInfoFamily(-1);

  DeleteValue(gLm, kRunKey, longName);
  DeleteValue(gLm, kRunKey, "Forged");
  DeleteValueW(gLm, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", kOmega);
  for (const wchar_t* sub : {L"\x03A9" L"1", L"\x03A9" L"2"})
    RegDeleteKeyW(gLm, (std::wstring(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + sub).c_str());
  fixtures::DeleteTree(gLm, std::string(kUninstallKey) + "\\Broken");
  for (const std::string& b : boxes.Shown) ADD_FAILURE() << b;
}

namespace {
BOOL WINAPI OnWow64(HANDLE, PBOOL wow64) {
  *wow64 = TRUE;
  return TRUE;
}
BOOL WINAPI NotWow64(HANDLE, PBOOL wow64) {
  *wow64 = FALSE;
  return TRUE;
}
}  // namespace

// 64-bit Windows keeps the machine's Run, RunOnce and Uninstall keys once for 64-bit and once
// for 32-bit programs: both are read, and an entry that both list (both run, both are installed)
// is listed twice, the 32-bit one marked.
TEST_F(SysInfoRegistry, BothViewsOf64BitWindowsListEveryEntryOfEach) {
  const std::string base = std::string(kBase) + "\\Views";
  HKEY v64 = nullptr, v32 = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (base + "\\64").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &v64, nullptr), 0);
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (base + "\\32").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &v32, nullptr), 0);
  const std::string once = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
  SetText(v64, kRunKey, "Only64", "a64.exe");
  SetText(v64, kRunKey, "Both", "same64.exe");
  SetText(v64, kRunKey, "Differs", "x64.exe");
  SetText(v64, once, "OnceBoth", "once.exe");
  SetText(v64, std::string(kUninstallKey) + "\\P64", "DisplayName", "Program 64");
  SetText(v64, std::string(kUninstallKey) + "\\Shared", "DisplayName", "Shared Tool");
  SetText(v32, kRunKey, "Only32", "a32.exe");
  SetText(v32, kRunKey, "Both", "same64.exe");
  SetText(v32, kRunKey, "Differs", "x86.exe");
  SetText(v32, once, "OnceBoth", "once.exe");
  SetText(v32, std::string(kUninstallKey) + "\\P32", "DisplayName", "Program 32");
  SetText(v32, std::string(kUninstallKey) + "\\Shared", "DisplayName", "Shared Tool");
  SetSysInfoViewRoots(v64, v32);
  SetSysInfoFamily(1);
  SysApi().IsWow64Process = OnWow64;
  EXPECT_EQ(MachineViews(), (std::vector<TRegView>{rv64, rv32}));

  TStartup startup;
  startup.GetInfo();
  ASSERT_EQ(startup.Count(slMachineRun), 6);
  for (const auto& [name, command] : std::vector<std::pair<std::string, std::string>>{
           {"Only64", "a64.exe"}, {"Both", "same64.exe"}, {"Differs", "x64.exe"}, {"Only32", "a32.exe"},
           {"Both (32-bit)", "same64.exe"}, {"Differs (32-bit)", "x86.exe"}})
    EXPECT_EQ(Find(startup, slMachineRun, name, command), 1) << name << "=" << command;
  // The system's own view first.
  for (int i = 0; i < 3; ++i) EXPECT_NE(startup.CommandLine(slMachineRun, i).find("64"), std::string::npos);
  EXPECT_EQ(Find(startup, slRunOnce, "OnceBoth", "once.exe"), 1);
  EXPECT_EQ(Find(startup, slRunOnce, "OnceBoth (32-bit)", "once.exe"), 1);
  EXPECT_EQ(Find(startup, slRunOnce, fixtures::kOnceName, fixtures::kUserOnceCommand), 1);  // the user's key is one
  TSoftware software;
  software.GetInfo();
  EXPECT_EQ(Items(*software.Installed()),
            (std::vector<std::string>{"Program 64", "Shared Tool", "Program 32", "Shared Tool (32-bit)"}));
  // The report writes each as listed.
  TStringList report;
  startup.Report(report);
  const std::vector<std::string> lines = report.Items();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Both (32-bit)=same64.exe"), lines.end());

  // A 32-bit system, or the 9x family, has one view: the machine's key as it is.
  for (int family : {1, 0}) {
    SetSysInfoFamily(family);
    SysApi().IsWow64Process = family ? NotWow64 : OnWow64;
    EXPECT_EQ(MachineViews(), std::vector<TRegView>{rvDefault});
    startup.GetInfo();
    EXPECT_EQ(startup.Count(slMachineRun), 1);
    EXPECT_EQ(startup.CommandLine(slMachineRun, 0), fixtures::kMachineRunCommand);
    software.GetInfo();
    EXPECT_EQ(Items(*software.Installed()), std::vector<std::string>{fixtures::kSoftware});
  }
  SetSysInfoFamily(1);
  SysApi().IsWow64Process = nullptr;  // a system without the function is a 32-bit one
  EXPECT_EQ(MachineViews(), std::vector<TRegView>{rvDefault});
  // With the view bits on the real keys of a 32-bit system both views are the one key: read
  // twice, listed once.
  SetSysInfoViewRoots(nullptr, nullptr);
  SysApi().IsWow64Process = OnWow64;
  startup.GetInfo();
  EXPECT_EQ(Find(startup, slMachineRun, fixtures::kMachineRunName, fixtures::kMachineRunCommand), 1);

  RegCloseKey(v64);
  RegCloseKey(v32);
  fixtures::DeleteTree(HKEY_CURRENT_USER, base);
  for (const std::string& b : boxes.Shown) ADD_FAILURE() << b;
}

namespace {
// Cases Wine cannot produce, played through the categories' seams.
class SysInfoSeams : public ::testing::Test {
 protected:
  void SetUp() override { InitProbes(); }
  void TearDown() override {
    ResetSysApi();
    SetCpuProbe(nullptr);
    SetDriveQueries(nullptr);
    MemoryStatusApi() = gSavedMemoryApi;
  }
  ShownBoxes boxes;
  const TMemoryStatusApi gSavedMemoryApi = MemoryStatusApi();
};

BOOL WINAPI OnBattery(TPowerStatusRecord* s) {
  s->ACLineStatus = 0;
  s->BatteryFlag = 8;
  s->BatteryLifePercent = 57;
  s->BatteryLifeTime = 0xFFFFFFFF;  // unknown while charging
  s->BatteryFullLifeTime = 7200;
  return TRUE;
}

void WINAPI OldMemoryStatus(MEMORYSTATUS* m) {
  m->dwMemoryLoad = 12;
  m->dwTotalPhys = 0xC0000000;  // 3 GB: negative when read signed
  m->dwTotalPageFile = 0xFFF7FFFF;
  m->dwTotalVirtual = 0x7FFE0000;
}

ULONGLONG WINAPI SixtyDays() { return 60ull * 86400 * 1000; }

class TFailingProbe : public TCpuProbe {
 public:
  bool HasCpuid() override { throw Exception("no processor here"); }
  TCpuidRegs Cpuid(uint32_t, uint32_t) override { return {}; }
  bool CounterFrequency(int64_t&) override { return false; }
  int64_t Counter() override { return 0; }
  uint64_t TimeStamp() override { return 0; }
  bool RaisePriority(int&) override { return false; }
  void RestorePriority(int) override {}
};

class TFailingDrives : public TDriveQueries {
 public:
  unsigned DriveType(const std::string&) override { throw Exception("drive gone"); }
  bool FreeSpace(const std::string&, uint32_t&, uint32_t&, uint32_t&, uint32_t&) override {
    return false;
  }
  bool FreeSpaceEx(const std::string&, uint64_t&, uint64_t&) override { return false; }
  bool Volume(const std::string&, std::string&, std::string&, uint32_t&, uint32_t&,
              uint32_t&) override {
    return false;
  }
  std::string NetworkName(const std::string&) override { return {}; }
};
}  // namespace

TEST_F(SysInfoSeams, PowerMemoryAndUpTimeOfMachinesWineDoesNotPlay) {
  SysApi().GetSystemPowerStatus = OnBattery;
  TAPM apm;
  apm.GetInfo();
  EXPECT_EQ(apm.ACPowerStatus(), psOffline);
  EXPECT_EQ(apm.BatteryChargeStatus(), bsCharging);
  TStringList r;
  apm.Report(r);
  EXPECT_EQ(r[3], "BattreyLifeFullTime=2 Hours, 0 Minutes, 0 Seconds.");
  EXPECT_EQ(r[4], "BatteryLifeTime=<info not available>");
  // NT 4.0 has no power status at all.
  SysApi().GetSystemPowerStatus = nullptr;
  apm.GetInfo();
  EXPECT_EQ(apm.BatteryChargeStatus(), bsUnknown);
  EXPECT_EQ(apm.BatteryLifePercent(), 0);

  MemoryStatusApi().StatusEx = nullptr;
  MemoryStatusApi().Status = OldMemoryStatus;
  TMemory memory;
  memory.GetInfo();
  EXPECT_EQ(memory.PhysicalTotal(), 3221225472u);
  EXPECT_EQ(memory.PageFileTotal(), 4294443007u);
  EXPECT_EQ(memory.MemoryLoad(), 12u);

  SysApi().GetTickCount64 = SixtyDays;
  TMachine machine;
  machine.GetInfo();
  EXPECT_DOUBLE_EQ(machine.SystemUpTime(), 5184000.0);
  EXPECT_TRUE(boxes.Shown.empty());
}

TEST_F(SysInfoSeams, AFailingCategoryShowsItsBoxAndTheGatheringGoesOn) {
  TFailingProbe probe;
  TFailingDrives drives;
  SetCpuProbe(&probe);
  SetDriveQueries(&drives);
  TKSystemInfo info(nullptr);
  info.Refresh();
  EXPECT_EQ(boxes.Shown, (std::vector<std::string>{"TCPU.GetInfo: no processor here",
                                                    "TDisk.SetDisk: drive gone"}));
  // What comes after the failures was gathered.
  EXPECT_GT(info.Processes()->ProcessCount(), 0);
  EXPECT_GT(info.Display()->HorzRes(), 0);
}

TEST(SysInfoPerVersion, EveryLogicalProcessorIsVisitedOnceAndThePinIsUndone) {
  SYSTEM_INFO si;
  GetSystemInfo(&si);
  const int count = static_cast<int>(si.dwNumberOfProcessors);
  using GetNumber = DWORD(WINAPI*)();
  const auto number =
      reinterpret_cast<GetNumber>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetCurrentProcessorNumber"));
  HANDLE self = GetCurrentThread();
  const DWORD_PTR all = si.dwActiveProcessorMask;
  const DWORD_PTR before = SetThreadAffinityMask(self, all);
  ASSERT_NE(before, 0u);

  std::vector<DWORD> where;
  ASSERT_TRUE(CpuProbe().EachProcessor([&] { where.push_back(number ? number() : 0); }));
  ASSERT_EQ(static_cast<int>(where.size()), count);
  for (int i = 0; number && i < count; ++i) EXPECT_EQ(where[i], static_cast<DWORD>(i));
  EXPECT_EQ(SetThreadAffinityMask(self, before), all) << "the thread stays pinned";

  TProcessorCount system;
  ASSERT_TRUE(CpuProbe().SystemProcessors(system));
  EXPECT_EQ(system.Logical, count);
  EXPECT_GE(system.Packages, 1);
  EXPECT_LE(system.Cores, system.Logical);

  // Every logical processor is one thread of one package, counted once.
  TCPU cpu;
  cpu.GetInfo();
  EXPECT_EQ(cpu.Packages() * cpu.Topology().Threads, count);
  EXPECT_EQ(cpu.Packages(), system.Packages);
  EXPECT_EQ(cpu.Packages() * cpu.Topology().Cores, system.Cores);
}

TEST(SysInfoReport, NumbersAreGroupedAsTheUsersSettingsSay) {
  char sep[8] = {};
  ASSERT_GT(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, sep, sizeof sep), 0);
  SetThousandSeparator("~");  // nobody has set the formats up before the report
  TKSystemInfo info(nullptr);
  info.Memory()->SetPageSize(65536);
  TStringList r;
  info.Report(r);
  const std::vector<std::string> lines = r.Items();
  EXPECT_NE(std::find(lines.begin(), lines.end(), std::string("PageSize=65") + sep + "536"), lines.end());
}

namespace {
// A process list whose reading runs out of memory after its first entry.
HANDLE gSnapshot = nullptr;
HANDLE WINAPI EventSnapshot(DWORD, DWORD) { return gSnapshot = CreateEventA(nullptr, TRUE, FALSE, nullptr); }
BOOL WINAPI OneProcess(HANDLE, TProcessEntry32* e) {
  e->th32ProcessID = 4;
  lstrcpyA(e->szExeFile, "one.exe");
  return TRUE;
}
BOOL WINAPI OutOfMemory(HANDLE, TProcessEntry32*) { throw std::bad_alloc(); }
BOOL WINAPI OneProcessW(HANDLE, TProcessEntry32W* e) {
  e->th32ProcessID = 4;
  lstrcpyW(e->szExeFile, L"one.exe");
  return TRUE;
}
BOOL WINAPI OutOfMemoryW(HANDLE, TProcessEntry32W*) { throw std::bad_alloc(); }
}  // namespace

TEST_F(SysInfoSeams, AGatheringThatFailsPartWayLetsGoOfItsHandles) {
  SysApi().CreateToolhelp32Snapshot = EventSnapshot;
  SysApi().Process32First = OneProcess;
  SysApi().Process32Next = OutOfMemory;
  SysApi().Process32FirstW = OneProcessW;  // what the NT family reads
  SysApi().Process32NextW = OutOfMemoryW;
  const long held = HeldKernelHandles();
  TProcesses processes;
  processes.GetInfo();
  ASSERT_EQ(boxes.Shown.size(), 1u);
  EXPECT_EQ(boxes.Shown[0].rfind("TProcesses.GetInfo: ", 0), 0u);
  EXPECT_EQ(HeldKernelHandles(), held);
  EXPECT_FALSE(SetEvent(gSnapshot));  // closed
}

// A copy of this program that waits to be ended (started by the test below).
TEST(SysInfoHelper, WaitsWhenStartedAsASecondCopy) {
  if (!GetEnvironmentVariableA("VELMORA_SYSINFO_WAIT", nullptr, 0)) return;
  Sleep(30000);
}

TEST(SysInfoPerVersion, TwoCopiesOfOneProgramKeepTheirOwnIdentifiers) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  PROCESS_INFORMATION pi[2] = {};
  SetEnvironmentVariableA("VELMORA_SYSINFO_WAIT", "1");
  for (PROCESS_INFORMATION& p : pi) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string cmd = std::string("\"") + self + "\" --gtest_filter=SysInfoHelper.*";
    // Detached: its own output must not mix with this run's.
    ASSERT_TRUE(CreateProcessA(self, cmd.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS,
                               nullptr, nullptr, &si, &p));
  }
  SetEnvironmentVariableA("VELMORA_SYSINFO_WAIT", nullptr);
  // Until both have loaded: before that the system cannot name their main module.
  for (int i = 0; i < 100; ++i) {
    TProcesses probe;
    SysApi().CreateToolhelp32Snapshot = nullptr;
    probe.GetInfo();
    ResetSysApi();
    int named = 0;
    for (int k = 0; k < probe.ProcessCount(); ++k)
      named += probe.Id(k) == pi[0].dwProcessId || probe.Id(k) == pi[1].dwProcessId;
    if (named == 2) break;
    Sleep(50);
  }
  ShownBoxes boxes;
  const std::string folder = std::string(self).substr(0, std::string(self).rfind('\\') + 1);
  // The snapshot, the snapshot with the module names of the process-status library (Windows
  // 2000 and XP have no QueryFullProcessImageName), and the process-status library alone.
  for (int way : {0, 1, 2}) {
    SCOPED_TRACE(way == 0 ? "tool help" : way == 1 ? "tool help and module names" : "process status");
    if (way == 1) SysApi().QueryFullProcessImageNameA = nullptr, SysApi().QueryFullProcessImageNameW = nullptr;
    if (way == 2) SysApi().CreateToolhelp32Snapshot = nullptr;
    TProcesses processes;
    processes.GetInfo();
    int seen = 0;
    for (int i = 0; i < processes.ProcessCount(); ++i)
      for (const PROCESS_INFORMATION& p : pi)
        if (processes.Id(i) == p.dwProcessId) {
          ++seen;
          const std::string name = processes.Name(i);
          EXPECT_NE(name.find("win_tests.exe"), std::string::npos) << name;
          // On the NT family every way tells where the program is.
          if (IsNT()) {
            EXPECT_EQ(_stricmp(name.c_str(), self), 0) << name << " / " << folder;
          }
        }
    EXPECT_EQ(seen, 2);
  }
  ResetSysApi();
  for (PROCESS_INFORMATION& p : pi) {
    TerminateProcess(p.hProcess, 0);
    WaitForSingleObject(p.hProcess, 5000);
    CloseHandle(p.hThread);
    CloseHandle(p.hProcess);
  }
  EXPECT_TRUE(boxes.Shown.empty());
}

TEST(SysInfoPerVersion, AnEngineThatCannotTellItsVersionIsNotInstalled) {
  ShownBoxes boxes;
  TEngines engines;
  engines.GetInfo();
  // Wine's ADO exists but does not know its version; no DAO.
  EXPECT_EQ(engines.ADO(), "");
  EXPECT_EQ(engines.DAO(), "");
  EXPECT_TRUE(boxes.Shown.empty());
}
