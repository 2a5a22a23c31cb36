// Gathering against hostile but legal registry data laid under this test's own key: values of
// the wrong type, names outside the code page or holding a zero, paths that name devices,
// classes served by programs, calls that do not return. Run in every version mode.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <atomic>
#include <string>
#include <vector>
#include "framework/Dialogs.h"
#include "probes/KSI_CPUUsage.h"
#include "sysinfo/KSystemInfo.h"
#include "sysinfo/SysInfoLogic.h"
#include "sysinfo/SysInfoWin.h"
#include "SysInfoFixtures.h"
#include "TestSupport.h"

namespace {
const wchar_t kGreek[] = L"\x0395\x03BB\x03BB\x03B7\x03BD\x03B9\x03BA\x03AE \x0395\x03C6\x03B1\x03C1\x03BC\x03BF\x03B3\x03AE";
const wchar_t kChinese[] = L"\x4E2D\x6587\x9A71\x52A8";
// A name that holds a zero, and its namesake up to the zero.
const std::wstring kZeroName(L"App\0Two", 7);
const std::wstring kNamesake = L"App";

// What the code page makes of a text: each character it lacks one "?", never a look-alike.
// The prefix's code page is 1252, which has neither Greek nor Chinese.
std::string Shown(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s += c < 0x80 ? static_cast<char>(c) : '?';
  return s;
}

using TNtCreateKey = LONG(WINAPI*)(PHANDLE, ACCESS_MASK, TObjectAttributes*, ULONG, TCountedName*, ULONG, PULONG);
using TNtDeleteKey = LONG(WINAPI*)(HANDLE);
using TNtSetValueKey = LONG(WINAPI*)(HANDLE, TCountedName*, ULONG, ULONG, const void*, ULONG);
template <class F>
F Ntdll(const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}

// A key by its counted name below parent (a name with a zero in it too), made when missing.
HKEY CountedKey(HKEY parent, std::wstring name, ACCESS_MASK access = KEY_ALL_ACCESS) {
  TCountedName counted{static_cast<USHORT>(name.size() * 2), static_cast<USHORT>(name.size() * 2), name.data()};
  TObjectAttributes a{sizeof a, parent, &counted, 0x40, nullptr, nullptr};
  HANDLE h = nullptr;
  return Ntdll<TNtCreateKey>("NtCreateKey")(&h, access, &a, 0, nullptr, 0, nullptr) == 0 ? static_cast<HKEY>(h) : nullptr;
}

// A key path below root, each part by its counted name.
HKEY KeyPath(HKEY root, const std::vector<std::wstring>& parts) {
  HKEY k = nullptr;
  if (RegCreateKeyExW(root, L"", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) != 0) return nullptr;
  for (const std::wstring& p : parts) {
    HKEY next = CountedKey(k, p);
    RegCloseKey(k);
    if (!(k = next)) return nullptr;
  }
  return k;
}

// A value by its counted name (a name with a zero in it too).
void Put(HKEY root, const std::vector<std::wstring>& path, std::wstring name, DWORD type, const void* data, DWORD size) {
  HKEY k = KeyPath(root, path);
  ASSERT_NE(k, nullptr);
  TCountedName counted{static_cast<USHORT>(name.size() * 2), static_cast<USHORT>(name.size() * 2), name.data()};
  EXPECT_EQ(Ntdll<TNtSetValueKey>("NtSetValueKey")(k, &counted, 0, type, data, size), 0);
  RegCloseKey(k);
}
void PutText(HKEY root, const std::vector<std::wstring>& path, const std::wstring& name, const std::wstring& text,
             DWORD type = REG_SZ) {
  Put(root, path, name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
}
void PutDword(HKEY root, const std::vector<std::wstring>& path, const std::wstring& name, DWORD v) {
  Put(root, path, name, REG_DWORD, &v, sizeof v);
}

// Splits "A\\B\\C" into its parts.
std::vector<std::wstring> Path(const std::wstring& p) {
  std::vector<std::wstring> parts;
  for (size_t at = 0;;) {
    const size_t cut = p.find(L'\\', at);
    parts.push_back(p.substr(at, cut - at));
    if (cut == std::wstring::npos) return parts;
    at = cut + 1;
  }
}
std::vector<std::wstring> Path(const std::wstring& p, const std::wstring& last) {
  std::vector<std::wstring> parts = Path(p);
  parts.push_back(last);
  return parts;
}

// Deletes what is below an open key, names with zeros too, and the key itself.
void DeleteOpen(HKEY k) {
  std::vector<std::wstring> subs;
  wchar_t buf[512];
  for (DWORD i = 0;; ++i) {
    DWORD len = 512;
    if (RegEnumKeyExW(k, i, buf, &len, nullptr, nullptr, nullptr, nullptr) != 0) break;
    subs.emplace_back(buf, len);
  }
  for (const std::wstring& s : subs)
    if (HKEY sub = CountedKey(k, s, KEY_ALL_ACCESS | DELETE)) DeleteOpen(sub);
  Ntdll<TNtDeleteKey>("NtDeleteKey")(k);
  RegCloseKey(k);
}

void DeleteWide(HKEY root, const std::wstring& path) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS | DELETE, &k) == 0) DeleteOpen(k);
}

bool Has(const TStrings& list, const std::string& s) { return list.IndexOf(s) >= 0; }

const wchar_t kNTVersion[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
const wchar_t kVersion[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const wchar_t kNTClass[] = L"SYSTEM\\CurrentControlSet\\Control\\Class";
const wchar_t kMediaGuid[] = L"{56454C4D-0000-4000-8000-000000000003}";
const wchar_t kDisplayGuid[] = L"{56454C4D-0000-4000-8000-000000000001}";

// The fixtures of the other tests, under a key of this test's own, with hostile data on top.
class SysInfoReadingPerVersion : public ::testing::Test {
 protected:
  void SetUp() override {
    InitProbes();
    DeleteWide(HKEY_CURRENT_USER, kBase);
    ASSERT_TRUE(FLm = KeyPath(HKEY_CURRENT_USER, {L"Software", L"VelmoraTests", L"Reading", L"LM"}));
    ASSERT_TRUE(FCu = KeyPath(HKEY_CURRENT_USER, {L"Software", L"VelmoraTests", L"Reading", L"CU"}));
    ASSERT_TRUE(fixtures::Write(FLm, FCu, true));
    SetSysInfoRoots(FLm, FCu);
  }
  void TearDown() override {
    SetSysInfoRoots(nullptr, nullptr);
    SetSysInfoViewRoots(nullptr, nullptr);
    SetSysInfoFamily(-1);
    ResetSysApi();
    RegCloseKey(FLm);
    RegCloseKey(FCu);
    DeleteWide(HKEY_CURRENT_USER, kBase);
    for (const std::string& b : boxes.Shown) ADD_FAILURE() << b;
  }
  // The current time zone as a zone key of that name: figures and names of the system's record.
  void PutZone(const std::wstring& base, const std::wstring& name) {
    TIME_ZONE_INFORMATION tzi{};
    GetTimeZoneInformation(&tzi);
    BYTE raw[44];
    memcpy(raw, &tzi.Bias, 4);
    memcpy(raw + 4, &tzi.StandardBias, 4);
    memcpy(raw + 8, &tzi.DaylightBias, 4);
    memcpy(raw + 12, &tzi.StandardDate, 16);
    memcpy(raw + 28, &tzi.DaylightDate, 16);
    Put(FLm, Path(base, name), L"TZI", REG_BINARY, raw, sizeof raw);
    PutText(FLm, Path(base, name), L"Std", std::wstring(tzi.StandardName, wcsnlen(tzi.StandardName, 32)));
    PutText(FLm, Path(base, name), L"Dlt", std::wstring(tzi.DaylightName, wcsnlen(tzi.DaylightName, 32)));
  }
  static constexpr const wchar_t* kBase = L"Software\\VelmoraTests\\Reading";
  HKEY FLm = nullptr, FCu = nullptr;
  ShownBoxes boxes;
};
}  // namespace

// Every value a category reads, stored with a type it does not take: the value alone is absent,
// everything around it is there, and no box comes up.
TEST_F(SysInfoReadingPerVersion, AWrongTypeIsAnAbsentValueInEveryCategory) {
  const DWORD seven = 7;
  const BYTE bytes[6] = {'a', 0, 'b', 0, 0, 0};
  for (const wchar_t* key : {kNTVersion, kVersion}) {
    PutDword(FLm, Path(key), L"RegisteredOwner", 7);
    PutText(FLm, Path(key), L"RegisteredOrganization", L"Velmora Org");
    Put(FLm, Path(key), L"ProductID", REG_BINARY, bytes, sizeof bytes);
    PutDword(FLm, Path(key), L"CurrentType", 7);
    PutDword(FLm, Path(key), L"Version", 7);
    PutDword(FLm, Path(key), L"ProgramFilesDir", 7);
    PutText(FLm, Path(key), L"CommonFilesDir", L"C:\\Velmora Common", REG_EXPAND_SZ);
    PutZone(std::wstring(key) + L"\\Time Zones", L"Velmora Zone");
    PutDword(FLm, Path(std::wstring(key) + L"\\Time Zones", L"Velmora Zone"), L"Display", 7);
    PutText(FLm, Path(std::wstring(key) + L"\\Time Zones", L"Velmora Zone"), L"MapID", L"velmora-map");
    PutText(FLm, Path(std::wstring(key) + L"\\Time Zones", L"A Zone Of Text"), L"TZI", std::wstring(21, L'x'));
  }
  PutDword(FLm, Path(L"SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName"), L"ComputerName", 7);
  PutDword(FLm, Path(L"HARDWARE\\DESCRIPTION\\System"), L"SystemBiosVersion", 7);
  PutDword(FLm, Path(L"HARDWARE\\DESCRIPTION\\System"), L"VideoBiosDate", 7);
  const std::wstring device0 = L"SYSTEM\\CurrentControlSet\\Services\\VelmoraVid\\Device0";
  PutDword(FLm, Path(device0), L"HardwareInformation.DacType", 7);
  PutText(FLm, Path(device0), L"HardwareInformation.MemorySize", L"8 MB");
  for (const wchar_t* e : {L"SYSTEM\\CurrentControlSet\\Enum\\VELMORA\\WRONG\\0000", L"Enum\\VELMORA\\WRONG\\0000"}) {
    PutDword(FLm, Path(e), L"ClassGUID", 7);
    PutText(FLm, Path(e), L"Class", L"Velmora Wrong");
    PutText(FLm, Path(e), L"DeviceDesc", L"Velmora Wrong Device");
    PutDword(FLm, Path(e), L"Mfg", 7);
    PutDword(FLm, Path(e), L"HardwareID", 7);
    Put(FLm, Path(e), L"Service", REG_BINARY, bytes, sizeof bytes);
    PutText(FLm, Path(e), L"LocationInformation", std::wstring(L"a\0b\0", 4), REG_MULTI_SZ);
    KeyPath(FLm, Path(e, L"Control"));
  }
  PutDword(FLm, Path(std::wstring(kNTClass) + L"\\" + kMediaGuid + L"\\0002"), L"DriverDesc", 7);
  PutDword(FLm, Path(L"SYSTEM\\CurrentControlSet\\Services\\Class\\VelmoraMedia\\0002"), L"DriverDesc", 7);
  PutDword(FLm, Path(L"SOFTWARE\\Borland\\Database Engine"), L"DLLPATH", 7);
  PutDword(FLm, Path(L"SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Core\\FileList"), L"ODBC32.DLL", 7);
  PutDword(FLm, Path(L"SOFTWARE\\Microsoft\\DirectX"), L"Version", 7);
  PutText(FLm, Path(L"SOFTWARE\\Microsoft\\DirectX"), L"InstalledVersion", L"4.09.00.0904");
  PutDword(FLm, Path(L"SOFTWARE\\Microsoft\\Direct3D\\Drivers\\Wrong"), L"Description", 7);
  PutDword(FLm, Path(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Wrong"), L"DisplayName", 7);
  Put(FCu, Path(L"Software\\Microsoft\\Windows\\CurrentVersion\\Run"), L"Velmora Number", REG_DWORD, &seven, 4);

  for (int family : {1, 0}) {
    SCOPED_TRACE(family ? "NT family" : "9x family");
    SetSysInfoFamily(family);
    TKSystemInfo info(nullptr);
    info.Refresh();
    const TOperatingSystem& os = *info.OS();
    EXPECT_EQ(os.RegisteredUser(), "");
    EXPECT_EQ(os.RegisteredOrg(), "Velmora Org");
    EXPECT_EQ(os.ProductID(), "");
    EXPECT_EQ(os.Version(), "");
    EXPECT_EQ(os.Folders()->Values("ProgramFiles"), "");
    EXPECT_EQ(os.Folders()->Values("CommonFiles"), "C:\\Velmora Common");
    EXPECT_NE(os.Folders()->Values("Windows"), "");
    EXPECT_GT(os.Environment()->Count(), 0);
    // The zone is found by its figures and names; only its display name is missing.
    TIME_ZONE_INFORMATION tzi{};
    GetTimeZoneInformation(&tzi);
    EXPECT_EQ(os.TimeZone()->DisplayName(), "");
    EXPECT_EQ(os.TimeZone()->MapID(), "velmora-map");
    EXPECT_EQ(os.TimeZone()->Bias(), tzi.Bias);
    EXPECT_NE(os.TimeZone()->StandardName(), "");

    const TMachine& m = *info.Machine();
    EXPECT_NE(m.Name(), "");  // the system's own name stands in
    if (family) {
      EXPECT_EQ(m.BIOSCopyright(), "");
      EXPECT_EQ(m.BIOSDate(), "01/02/03");
    }

    bool wrong = false;
    for (int i = 0; i < info.Devices()->DeviceCount(); ++i) {
      const TDeviceRecord& d = info.Devices()->Device(i);
      if (d.Description != "Velmora Wrong Device") continue;
      wrong = true;
      EXPECT_EQ(d.ClassName, "Velmora Wrong");
      EXPECT_EQ(d.ClassGUID, "");
      EXPECT_EQ(d.Manufacturer, "");
      EXPECT_EQ(d.HardwareID, "");
      EXPECT_EQ(d.Service, "");
      EXPECT_EQ(d.Location, fixtures::kBusName);  // the bus's service names the place instead
    }
    EXPECT_TRUE(wrong);
    EXPECT_EQ(info.Display()->Adapter(), fixtures::kDisplayDevice);
    if (family) {
      EXPECT_EQ(info.Display()->DAC(), "");
      EXPECT_EQ(info.Display()->Chipset(), fixtures::kChip);
      EXPECT_EQ(info.Display()->Memory(), 0);
    }
    EXPECT_EQ(info.Display()->BIOSDate(), "");
    EXPECT_EQ(info.Display()->BIOSVersion(), "Velmora Video BIOS");
    EXPECT_TRUE(Has(*info.Media()->Devices(), fixtures::kSoundCard));
    EXPECT_EQ(info.Media()->Devices()->Count(), 2);
    EXPECT_EQ(info.Engines()->BDE(), "");
    EXPECT_EQ(info.Engines()->ODBC(), "");
    EXPECT_EQ(info.DirectX()->Version(), "");  // text where the numbers belong is no version
    EXPECT_EQ(info.DirectX()->Direct3D()->Count(), 1);
    EXPECT_EQ(info.Software()->Installed()->Count(), 1);
    bool number = false;
    for (int i = 0; i < info.Startup()->Count(slUserRun); ++i)
      number = number || (info.Startup()->Name(slUserRun, i) == "Velmora Number" && info.Startup()->CommandLine(slUserRun, i).empty());
    EXPECT_TRUE(number);
    // The report has every section.
    TStringList report;
    info.Report(report);
    EXPECT_GE(report.IndexOf("[Environment]"), 0);
    EXPECT_GE(report.IndexOf("[Folders]"), 0);
    EXPECT_GE(report.IndexOf("TimeZone="), 0);
  }
}

// Keys and values named outside the code page, or with a zero in their name: each category that
// lists subkeys finds every one by what it is, namesakes are not taken for them, and text shows
// "?" where the code page has no character, never a look-alike.
TEST_F(SysInfoReadingPerVersion, NamesAreReadAsStoredInEveryCategory) {
  if (GetACP() != 1252) GTEST_SKIP() << "the expected texts are those of code page 1252";
  SetSysInfoFamily(1);
  const std::wstring uninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  PutText(FLm, Path(uninstall, kNamesake), L"DisplayName", L"Plain App");
  PutText(FLm, Path(uninstall, kZeroName), L"DisplayName", L"Hidden App");
  PutText(FLm, Path(uninstall, kGreek), L"DisplayName", kGreek);
  PutText(FLm, Path(uninstall, kChinese), L"DisplayName", std::wstring(L"CJK ") + kChinese);
  const std::wstring run = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  PutText(FLm, Path(run), kGreek, std::wstring(L"C:\\") + kChinese + L".exe");
  PutText(FLm, Path(run), kZeroName, L"zero.exe");
  PutText(FLm, Path(run), kNamesake, L"plain.exe");
  for (const auto& [list, sub] : {std::pair<const wchar_t*, std::wstring>{L"SOFTWARE\\Microsoft\\Direct3D\\Drivers", kGreek},
                                  {L"SOFTWARE\\Microsoft\\DirectMusic\\SoftwareSynths", kChinese},
                                  {L"SOFTWARE\\Microsoft\\DirectPlay\\Services", kZeroName},
                                  {L"SOFTWARE\\Microsoft\\DirectPlay\\Services", kNamesake}})
    PutText(FLm, Path(list, sub), L"Description", L"Described " + sub.substr(0, 3) + (sub.size() == 7 ? L"2" : L""));
  // The device tree: a bus, a device and instances named outside the code page, a service named
  // so, and a service key literally called what the code page makes of that name.
  const std::wstring bus = std::wstring(L"SYSTEM\\CurrentControlSet\\Enum\\") + kGreek;
  for (const std::wstring& instance : {kNamesake, kZeroName}) {
    const std::vector<std::wstring> key = Path(bus + L"\\" + kChinese, instance);
    PutText(FLm, key, L"ClassGUID", kDisplayGuid);
    PutText(FLm, key, L"DeviceDesc", L"Velmora Device " + instance.substr(0, 3) + (instance.size() == 7 ? L"2" : L""));
    PutText(FLm, key, L"Service", kChinese);
    std::vector<std::wstring> control = key;
    control.push_back(L"Control");
    RegCloseKey(KeyPath(FLm, control));
  }
  const std::wstring services = L"SYSTEM\\CurrentControlSet\\Services";
  PutText(FLm, Path(services, kChinese), L"DisplayName", L"Velmora CJK Service");
  PutText(FLm, Path(services, std::wstring(L"????")), L"DisplayName", L"Namesake Service");
  PutText(FLm, Path(services, kGreek), L"DisplayName", L"Velmora Greek Bus");
  // Instances of a device class.
  const std::wstring media = std::wstring(kNTClass) + L"\\" + kMediaGuid;
  PutText(FLm, Path(media, kGreek), L"DriverDesc", L"Velmora Greek Sound");
  PutText(FLm, Path(media, kZeroName), L"DriverDesc", L"Velmora Zero Sound");
  // A time zone named outside the code page.
  PutZone(std::wstring(kNTVersion) + L"\\Time Zones", kChinese);
  PutText(FLm, Path(std::wstring(kNTVersion) + L"\\Time Zones", kChinese), L"Display", kGreek);
  // Registered owner and organisation as stored.
  PutText(FLm, Path(kNTVersion), L"RegisteredOwner", kGreek);

  // A shortcut in the Startup folder named outside the code page.
  const std::string folder = fixtures::UserStartupFolder();
  ASSERT_FALSE(folder.empty());
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string made = folder + "\\Velmora Reading.lnk";
  ASSERT_TRUE(fixtures::WriteShortcut(made, "C:\\windows\\notepad.exe", "/velmora"));
  const std::wstring link = std::wstring(made.begin(), made.end() - 4) + L" " + kGreek + L".lnk";
  ASSERT_TRUE(MoveFileW(std::wstring(made.begin(), made.end()).c_str(), link.c_str()));

  TKSystemInfo info(nullptr);
  info.Refresh();
  DeleteFileW(link.c_str());
  int shortcuts = 0;
  for (int i = 0; i < info.Startup()->Count(slUserStartup); ++i)
    if (info.Startup()->Name(slUserStartup, i) == "Velmora Reading " + Shown(kGreek)) {
      ++shortcuts;
      EXPECT_EQ(info.Startup()->CommandLine(slUserStartup, i), "C:\\windows\\notepad.exe /velmora");
    }
  EXPECT_EQ(shortcuts, 1);
  const std::vector<std::string> installed = info.Software()->Installed()->Items();
  for (const std::string& want : std::vector<std::string>{"Plain App", "Hidden App", Shown(kGreek), "CJK ????"})
    EXPECT_EQ(std::count(installed.begin(), installed.end(), want), 1) << want;
  EXPECT_EQ(Shown(kGreek), "???????? ????????");

  const TStartup& s = *info.Startup();
  std::vector<std::pair<std::string, std::string>> runs;
  for (int i = 0; i < s.Count(slMachineRun); ++i) runs.emplace_back(s.Name(slMachineRun, i), s.CommandLine(slMachineRun, i));
  for (const auto& want : {std::pair<std::string, std::string>{Shown(kGreek), "C:\\????.exe"},
                           {std::string("App\0Two", 7), "zero.exe"}, {"App", "plain.exe"}})
    EXPECT_EQ(std::count(runs.begin(), runs.end(), want), 1) << want.first;

  EXPECT_TRUE(Has(*info.DirectX()->Direct3D(), "Described ???"));
  EXPECT_TRUE(Has(*info.DirectX()->DirectMusic(), "Described ???"));
  EXPECT_TRUE(Has(*info.DirectX()->DirectPlay(), "Described App2"));
  EXPECT_TRUE(Has(*info.DirectX()->DirectPlay(), "Described App"));

  int found = 0;
  for (int i = 0; i < info.Devices()->DeviceCount(); ++i) {
    const TDeviceRecord& d = info.Devices()->Device(i);
    if (d.Description.rfind("Velmora Device App", 0) != 0) continue;
    ++found;
    EXPECT_EQ(d.ServiceName, "Velmora CJK Service");  // not the key called "????"
    EXPECT_EQ(d.Location, "Velmora Greek Bus");
    EXPECT_EQ(d.ClassDesc, fixtures::kDisplayClass);
  }
  EXPECT_EQ(found, 2);
  EXPECT_TRUE(Has(*info.Media()->Devices(), "Velmora Greek Sound"));
  EXPECT_TRUE(Has(*info.Media()->Devices(), "Velmora Zero Sound"));
  EXPECT_EQ(info.OS()->TimeZone()->DisplayName(), Shown(kGreek));
  EXPECT_EQ(info.OS()->RegisteredUser(), Shown(kGreek));
}

// The environment is read whole, however long; ProgramFiles and CommonFiles come from where
// Windows keeps them.
TEST_F(SysInfoReadingPerVersion, TheEnvironmentIsWholeAndTheFoldersAreWhereWindowsKeepsThem) {
  // Each variable may hold 32,767 characters; together far beyond 4,096.
  const std::string longValue(32000, 'p');
  ASSERT_TRUE(SetEnvironmentVariableA("VELMORA_LONG", longValue.c_str()));
  ASSERT_TRUE(SetEnvironmentVariableA("VELMORA_LONG2", std::string(20000, 'q').c_str()));
  SetEnvironmentVariableA("ZZ_VELMORA_LAST", "last");
  PutText(FLm, Path(kVersion), L"ProgramFilesDir", L"C:\\Velmora Programs");
  PutText(FLm, Path(kVersion), L"CommonFilesDir", L"C:\\Velmora Programs\\Common");
  PutText(FLm, Path(kNTVersion), L"ProgramFilesDir", L"C:\\Not Here");
  for (int family : {1, 0}) {
    SCOPED_TRACE(family ? "NT family" : "9x family");
    SetSysInfoFamily(family);
    TOperatingSystem os;
    os.GetInfo();
    const std::string value = os.Environment()->Values("VELMORA_LONG");
    EXPECT_EQ(value.size(), longValue.size());
    EXPECT_EQ(value.find_first_not_of('p'), std::string::npos);
    EXPECT_EQ(os.Environment()->Values("ZZ_VELMORA_LAST"), "last");
    EXPECT_NE(os.Environment()->IndexOfName("PATH"), -1);
    EXPECT_EQ(os.Folders()->Values("ProgramFiles"), "C:\\Velmora Programs");
    EXPECT_EQ(os.Folders()->Values("CommonFiles"), "C:\\Velmora Programs\\Common");
  }
  SetEnvironmentVariableA("VELMORA_LONG", nullptr);
  SetEnvironmentVariableA("VELMORA_LONG2", nullptr);
  SetEnvironmentVariableA("ZZ_VELMORA_LAST", nullptr);
}

// Paths that name devices, pipes or folders are not read as files, however they are written;
// a file on the disk is.
TEST_F(SysInfoReadingPerVersion, DevicesPipesAndFoldersAreNotReadAsFiles) {
  KernelHandle pipe(CreateNamedPipeA("\\\\.\\pipe\\velmora-reading", PIPE_ACCESS_DUPLEX, PIPE_NOWAIT, 1, 512, 512, 0, nullptr));
  ASSERT_TRUE(pipe);
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  const std::string kernel = std::string(system) + "\\kernel32.dll";
  const std::string hostile[] = {"COM1", "com1.dll", std::string(system) + "\\NUL.dll", "LPT1 .txt", "CONIN$",
                                 "\\\\.\\pipe\\velmora-reading", "//./pipe/velmora-reading", "\\\\?\\GLOBALROOT\\Device\\Null",
                                 "\\\\localhost\\pipe\\velmora-reading", system, std::string(system) + "\\", "Z:\\dev\\ttyS0",
                                 "Z:\\dev\\zero", "\\\\?\\unix\\dev\\ttyS0"};
  for (int family : {1, 0}) {
    SetSysInfoFamily(family);
    for (const std::string& path : hostile) {
      EXPECT_FALSE(IsDiskFile(SysText(path))) << path;
      fixtures::DeleteTree(FLm, "SOFTWARE\\ODBC");
      PutText(FLm, Path(L"SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Core\\FileList"), L"ODBC32.DLL",
              std::wstring(path.begin(), path.end()));
      TEngines engines;
      engines.GetInfo();
      EXPECT_EQ(engines.ODBC(), "") << path;
    }
    EXPECT_TRUE(IsDiskFile(SysText(kernel)));
    TRegName found;
    EXPECT_TRUE(DiskFileToRead(SysText(std::string("kernel32.dll")), found));  // found where the loader looks
    EXPECT_EQ(_stricmp(found.Text.c_str(), kernel.c_str()), 0) << found.Text;
    PutText(FLm, Path(L"SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Core\\FileList"), L"ODBC32.DLL",
            std::wstring(kernel.begin(), kernel.end()));
    PutText(FLm, Path(L"SOFTWARE\\Borland\\Database Engine"), L"DLLPATH", L"\\\\.\\COM1");
    TEngines engines;
    engines.GetInfo();
    EXPECT_NE(engines.ODBC(), "");
    EXPECT_EQ(engines.BDE(), "");
  }
  // Nobody came through the pipe.
  EXPECT_FALSE(ConnectNamedPipe(pipe.get(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PIPE_LISTENING));
}

namespace {
// Classes of the prefix's classes root, made for one test and removed after it.
const wchar_t kLocalOnly[] = L"{56454C4D-0000-4000-8000-0000000000A1}";
const wchar_t kDeviceServer[] = L"{56454C4D-0000-4000-8000-0000000000A2}";
const wchar_t kPipeServer[] = L"{56454C4D-0000-4000-8000-0000000000A3}";
const wchar_t kTreatedAsDevice[] = L"{56454C4D-0000-4000-8000-0000000000A4}";
const wchar_t kDiskServer[] = L"{56454C4D-0000-4000-8000-0000000000A5}";
const wchar_t kLoop[] = L"{56454C4D-0000-4000-8000-0000000000A6}";
const wchar_t kFetched[] = L"{56454C4D-0000-4000-8000-0000000000A7}";

// The class of one of the texts above: its last two digits vary.
CLSID Clsid(const wchar_t* text) {
  return CLSID{0x56454C4D, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, static_cast<unsigned char>(wcstoul(text + 35, nullptr, 16))}};
}
}  // namespace

// Objects are asked of in-process servers only, and only of servers that are files on a disk:
// a class that a program serves is not started, a server that names a device is not loaded.
TEST_F(SysInfoReadingPerVersion, ObjectsComeOnlyFromInProcessServersOnDisk) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string marker = std::string(temp) + "velmora-started";
  RemoveDirectoryA(marker.c_str());
  const std::wstring clsid = L"CLSID\\";
  const std::wstring mkdir = L"cmd.exe /c mkdir " + std::wstring(marker.begin(), marker.end());
  PutText(HKEY_CLASSES_ROOT, Path(clsid + kLocalOnly + L"\\LocalServer32"), L"", mkdir);
  PutText(HKEY_CLASSES_ROOT, Path(L"Velmora.Test.LocalOnly\\CLSID"), L"", kLocalOnly);
  PutText(HKEY_CLASSES_ROOT, Path(clsid + kDeviceServer + L"\\InprocServer32"), L"", L"COM1");
  PutText(HKEY_CLASSES_ROOT, Path(clsid + kPipeServer + L"\\InprocServer32"), L"", L"\\\\.\\pipe\\velmora");
  PutText(HKEY_CLASSES_ROOT, Path(clsid + kTreatedAsDevice + L"\\InprocServer32"), L"", L"ole32.dll");
  PutText(HKEY_CLASSES_ROOT, Path(clsid + kTreatedAsDevice + L"\\TreatAs"), L"", kDeviceServer);
  PutText(HKEY_CLASSES_ROOT, Path(clsid + kDiskServer + L"\\InprocServer32"), L"", L"\"%SystemRoot%\\system32\\ole32.dll\"",
          REG_EXPAND_SZ);
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  PutText(HKEY_CLASSES_ROOT, Path(clsid + kDiskServer + L"\\InprocServer32"), L"CodeBase",
          std::wstring(L"file:///") + system + L"/ole32.dll");
  PutText(HKEY_CLASSES_ROOT, Path(clsid + kLoop + L"\\TreatAs"), L"", kLoop);
  // A runtime's server on disk, with an assembly to fetch or a device for its code base.
  PutText(HKEY_CLASSES_ROOT, Path(clsid + kFetched + L"\\InprocServer32"), L"", L"ole32.dll");
  PutText(HKEY_CLASSES_ROOT, Path(clsid + kFetched + L"\\InprocServer32"), L"CodeBase", L"http://server/x.dll");

  for (int family : {1, 0}) {
    SetSysInfoFamily(family);
    for (const wchar_t* refused : {kLocalOnly, kDeviceServer, kPipeServer, kTreatedAsDevice, kLoop, kFetched})
      EXPECT_FALSE(InProcServerIsDiskFile(Clsid(refused)));
    EXPECT_TRUE(InProcServerIsDiskFile(Clsid(kDiskServer)));
    EXPECT_TRUE(InProcServerIsDiskFile(CLSID_ShellLink));
    TComScope com;
    CLSID local{};
    ASSERT_EQ(CLSIDFromProgID(L"Velmora.Test.LocalOnly", &local), S_OK);
    TComPtr<IPersistFile> object;
    EXPECT_EQ(CreateInProcess(local, IID_IPersistFile, object.put_void()), E_ACCESSDENIED);
    EXPECT_FALSE(object);
    EXPECT_EQ(CreateInProcess(CLSID_ShellLink, IID_IPersistFile, object.put_void()), S_OK);
    EXPECT_TRUE(object);
  }
  Sleep(200);  // a program started by mistake would have made its folder by now
  EXPECT_EQ(GetFileAttributesA(marker.c_str()), INVALID_FILE_ATTRIBUTES);
  for (const wchar_t* c : {kLocalOnly, kDeviceServer, kPipeServer, kTreatedAsDevice, kDiskServer, kLoop, kFetched})
    DeleteWide(HKEY_CLASSES_ROOT, clsid + c);
  DeleteWide(HKEY_CLASSES_ROOT, L"Velmora.Test.LocalOnly");
}

namespace {
// A NetBIOS that does not answer until the test lets it.
HANDLE gRelease = nullptr;
std::atomic<bool> gAnswered{false};
UCHAR WINAPI StuckNetbios(void*) {
  WaitForSingleObject(gRelease, 60000);
  gAnswered = true;
  return 0xFF;
}
}  // namespace

// A call that waits on the network or another program holds the gathering a bounded time: the
// gathering ends while the call still waits, and what it would have told is left out.
TEST_F(SysInfoReadingPerVersion, ACallThatDoesNotReturnDoesNotHoldTheGathering) {
  KernelHandle release(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  gRelease = release.get();
  gAnswered = false;
  SysApi().Netbios = StuckNetbios;
  TNetwork network;
  network.GetInfo();
  EXPECT_FALSE(gAnswered);
  EXPECT_EQ(network.MACAddresses()->Count(), 0);
  EXPECT_NE(network.WinSock()->Status(), "");  // the rest is there
  SetEvent(gRelease);
  for (int i = 0; i < 500 && !gAnswered; ++i) Sleep(10);
  EXPECT_TRUE(gAnswered);

  // One that returns in time gives its answer.
  int answer = 0;
  EXPECT_TRUE(RunBounded<int>(10000, [] { return 42; }, answer));
  EXPECT_EQ(answer, 42);
  // One that fails gives none.
  EXPECT_FALSE(RunBounded<int>(10000, []() -> int { throw std::bad_alloc(); }, answer));
  EXPECT_EQ(answer, 42);
}
