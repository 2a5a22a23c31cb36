// The categories' decoding and report lines with played system answers: drives, power,
// DirectX, devices, processes, startup entries, display capabilities and the smaller ones.
#include <gtest/gtest.h>
#include <cstring>
#include <memory>
#include "sysinfo/KSI_APM.h"
#include "sysinfo/KSI_Devices.h"
#include "sysinfo/KSI_DirectX.h"
#include "sysinfo/KSI_Disk.h"
#include "sysinfo/KSI_Display.h"
#include "sysinfo/KSI_Engines.h"
#include "sysinfo/KSI_Machine.h"
#include "sysinfo/KSI_Media.h"
#include "sysinfo/KSI_Memory.h"
#include "sysinfo/KSI_Network.h"
#include "sysinfo/KSI_Printers.h"
#include "sysinfo/KSI_Processes.h"
#include "sysinfo/KSI_Software.h"
#include "sysinfo/KSI_Startup.h"
#include "sysinfo/ReportText.h"
#include "sysinfo/SysInfoLogic.h"

namespace {
std::vector<std::string> Lines(const TStrings& s) { return s.Items(); }

// A drive as the system would answer; each query can be made to fail.
class TFakeDrive : public TDriveQueries {
 public:
  unsigned Type = 3;
  bool Media = true, Ex = true, VolumeOk = true;
  uint32_t Spc = 8, Bps = 512, Free = 1000000, Total = 2000000;
  uint64_t ExFree = 0, ExTotal = 0;
  std::string Label = "SYSTEM", Fs = "NTFS", Unc;
  uint32_t Serial = 0x1234ABCD, MaxName = 255, Flags = 0x2 | 0x4 | 0x8 | 0x40 | 0x20000;
  std::string LastRoot;

  unsigned DriveType(const std::string& root) override {
    LastRoot = root;
    return Type;
  }
  bool FreeSpace(const std::string&, uint32_t& spc, uint32_t& bps, uint32_t& f,
                 uint32_t& t) override {
    if (!Media) return false;
    spc = Spc, bps = Bps, f = Free, t = Total;
    return true;
  }
  bool FreeSpaceEx(const std::string&, uint64_t& f, uint64_t& t) override {
    if (!Ex) return false;
    f = ExFree, t = ExTotal;
    return true;
  }
  bool Volume(const std::string&, std::string& label, std::string& fs, uint32_t& serial,
              uint32_t& maxName, uint32_t& flags) override {
    if (!VolumeOk) return false;
    label = Label, fs = Fs, serial = Serial, maxName = MaxName, flags = Flags;
    return true;
  }
  std::string NetworkName(const std::string&) override { return Unc; }
};

std::string Value(const TStrings& r, const std::string& key) {
  for (const std::string& s : r.Items())
    if (s.rfind(key + "=", 0) == 0) return s.substr(key.size() + 1);
  return "<missing>";
}

TDeviceRecord Device(const std::string& cls, const std::string& friendly,
                     const std::string& desc = "") {
  TDeviceRecord r;
  r.ClassName = cls;
  r.FriendlyName = friendly;
  r.Description = desc;
  return r;
}
}  // namespace

TEST(SysInfoText, RegistryDataIsReadWithinItsLength) {
  const char multi[] = {'P', 'C', 'I', '\\', 'A', 0, 'B', 0, 0, 'X'};
  EXPECT_EQ(SqueezeZeros(multi, sizeof multi), "PCI\\AB");
  // A list that lost its terminators still ends with its data.
  EXPECT_EQ(SqueezeZeros(multi, 7), "PCI\\AB");
  const char wide[] = {'D', 0, 'A', 0, 'C', 0, 0, 0, 'Z', 0};
  EXPECT_EQ(SqueezeZeros(wide, sizeof wide), "DAC");
  EXPECT_EQ(SqueezeZeros(nullptr, 4), "");
  const char text[] = {'B', 'I', 'O', 'S', 0, 'v', '2'};
  EXPECT_EQ(TextToZero(text, sizeof text), "BIOS");
  EXPECT_EQ(TextToZero(text, 3), "BIO");
  EXPECT_EQ(TextToZero(text, 0), "");
  // The 9x BIOS area ends at the first megabyte.
  EXPECT_EQ(BiosStringLimit(0xFE061), 255u);
  EXPECT_EQ(BiosStringLimit(0xFFFF5), 11u);
  EXPECT_EQ(BiosStringLimit(0x100000), 0u);
}

TEST(SysInfoText, StoredListsAndWideDriverTextKeepEveryCharacter) {
  const char multi[] = {'A', 'B', 0, 'C', 0, 0, 'X', 0};
  EXPECT_EQ(SplitStrings(multi, sizeof multi), (std::vector<std::string>{"AB", "C"}));
  EXPECT_EQ(SplitStrings(multi, 4), (std::vector<std::string>{"AB", "C"}));  // lost its end
  EXPECT_TRUE(SplitStrings(multi, 0).empty());
  const wchar_t wide[] = {L'\x0395', 0, L'\x4E2D', L'x', 0, 0};
  EXPECT_EQ(SplitStrings(wide, 6), (std::vector<std::wstring>{L"\x0395", L"\x4E2Dx"}));
  // NT's drivers keep their details as UTF-16 in binary values: each character as it is.
  const unsigned char dac[] = {0x95, 0x03, 'A', 0, 0x2D, 0x4E, 0, 0, 'Z', 0};
  EXPECT_EQ(Utf16ToZero(dac, sizeof dac), L"\x0395" L"A\x4E2D");
  EXPECT_EQ(Utf16ToZero(dac, 5), L"\x0395" L"A");  // the odd byte is no character
  EXPECT_EQ(Utf16ToZero(nullptr, 4), L"");
}

// Paths from the registry or the system are handed to file functions only when they name a
// file on a disk: no device, pipe, mailslot, device namespace or folder, however written.
TEST(SysInfoText, OnlyFilesOnADiskPassThePathRule) {
  const char* const files[] = {
      "C:\\WINDOWS\\system32\\odbc32.dll", "odbc32.dll", "c:/Program Files/x.dll",
      "\\\\server\\share\\bde\\idapi32.dll", "\\\\?\\C:\\very\\long\\x.dll",
      "\\\\?\\UNC\\server\\share\\x.dll", "C:\\COM10.dll", "C:\\CONSOLE.dll", "C:\\LPT.dll",
      "C:\\pipe\\x.dll", "C:\\dir with blank\\NULL.dll", "C:\\ NUL.dll", "C:relative.dll"};
  for (const char* f : files) EXPECT_TRUE(IsDiskFilePath(std::string(f))) << f;
  const char* const refused[] = {
      "", "CON", "con", "NUL", "AUX", "PRN", "COM1", "com9", "COM0", "LPT1", "lpt9", "CONIN$",
      "CONOUT$", "CLOCK$", "C:\\WINDOWS\\COM1", "C:\\x\\nul.dll", "COM1.dll", "NUL.tar.gz",
      "COM1 ", "NUL...", "COM1  .txt", "C:\\COM1\\x.dll", "C:\\dir\\AUX .\\x.dll", "lpt1:",
      "D:con.txt\\..\\ok.dll", "\\\\.\\COM1", "\\\\.\\pipe\\odbc", "//./PhysicalDrive0",
      "\\\\.\\", "\\\\.", "\\\\?\\GLOBALROOT\\Device\\Serial0", "\\\\?\\Volume{1}\\x.dll",
      "\\\\?\\pipe\\x", "\\\\?\\COM1", "\\\\?\\UNC\\server\\pipe\\x", "\\??\\C:\\x.dll",
      "\\\\server\\pipe\\sql", "\\\\server\\PIPE.\\x", "\\\\server\\MailSlot\\m",
      "\\\\*\\mailslot\\m", "\\\\server\\share", "\\\\server", "\\\\\\share\\x.dll",
      "C:\\x\\*.dll", "C:\\x?.dll", "C:\\a<b.dll", "C:\\x.dll:stream", "C:\\dir\\", "C:\\dir\\.",
      "C:\\..", "C:", "C:\\x\\\x01.dll", "1:\\x.dll"};
  for (const char* f : refused) EXPECT_FALSE(IsDiskFilePath(std::string(f))) << f;
  // The superscript digits are device numbers too.
  EXPECT_FALSE(IsDiskFilePath(std::string("COM\xB9")));
  EXPECT_FALSE(IsDiskFilePath(std::wstring(L"C:\\LPT\x00B3.txt")));
  EXPECT_TRUE(IsDiskFilePath(std::wstring(L"C:\\COM\x00B4.txt")));
  // The wide form follows the same rule, and names outside any code page are ordinary names.
  auto widen = [](const char* s) { return std::wstring(s, s + std::strlen(s)); };
  for (const char* f : files) EXPECT_TRUE(IsDiskFilePath(widen(f))) << f;
  for (const char* f : refused) EXPECT_FALSE(IsDiskFilePath(widen(f))) << f;
  EXPECT_TRUE(IsDiskFilePath(std::wstring(L"C:\\\x0395\x03BB\\\x4E2D.dll")));
  EXPECT_FALSE(IsDiskFilePath(std::wstring(L"C:\\a\0b.dll", 10)));

  // Beyond MAX_PATH the wide functions need the long form.
  const std::wstring deep = L"C:\\" + std::wstring(300, L'd') + L"\\x.exe";
  EXPECT_EQ(LongPathForm(deep), L"\\\\?\\" + deep);
  const std::wstring share = L"\\\\srv\\s\\" + std::wstring(300, L'd');
  EXPECT_EQ(LongPathForm(share), L"\\\\?\\UNC\\srv\\s\\" + std::wstring(300, L'd'));
  EXPECT_EQ(LongPathForm(L"C:\\x.exe"), L"C:\\x.exe");
  EXPECT_EQ(LongPathForm(L"\\\\?\\" + deep), L"\\\\?\\" + deep);
}

TEST(SysInfoText, KernelImagePathsBecomeFilesTheShellCanOpen) {
  EXPECT_EQ(DosImagePath("\\??\\C:\\WINDOWS\\system32\\winlogon.exe", "C:\\WINDOWS"),
            "C:\\WINDOWS\\system32\\winlogon.exe");
  EXPECT_EQ(DosImagePath("\\SystemRoot\\System32\\smss.exe", "C:\\WINNT\\"), "C:\\WINNT\\System32\\smss.exe");
  EXPECT_EQ(DosImagePath("\\systemroot\\x.exe", "D:\\W"), "D:\\W\\x.exe");
  EXPECT_EQ(DosImagePath("\\SystemRoot\\x.exe", ""), "\\SystemRoot\\x.exe");  // nowhere to put it
  EXPECT_EQ(DosImagePath("C:\\Program Files\\a.exe", "C:\\WINDOWS"), "C:\\Program Files\\a.exe");
  EXPECT_EQ(DosImagePath("\\??", "C:\\WINDOWS"), "\\??");
  EXPECT_EQ(DosImagePath("", "C:\\WINDOWS"), "");
  EXPECT_EQ(DosImagePath(std::wstring(L"\\??\\C:\\\x0395.exe"), std::wstring(L"C:\\W")), L"C:\\\x0395.exe");
}

TEST(SysInfoDisk, ADriveReadsItsFiguresIn64BitsAndNothingOfThePreviousDrive) {
  TFakeDrive q;
  q.Ex = false;  // Windows 95: clusters only
  q.Total = 2000000;
  q.Free = 1500000;
  TDriveData c = ReadDriveData(q, "C:\\WINDOWS");
  EXPECT_EQ(q.LastRoot, "C:\\");
  EXPECT_EQ(c.Drive, "C:");
  EXPECT_EQ(c.Capacity, 8192000000);  // above what 32 bits hold
  EXPECT_EQ(c.FreeSpace, 6144000000);
  EXPECT_EQ(c.SerialNumber, "1234-ABCD");
  EXPECT_EQ(c.VolumeLabel, "SYSTEM");
  EXPECT_EQ(c.UNC, "C:");
  EXPECT_TRUE(HasFileFlag(c.FileFlags, fsCaseIsPreserved));
  EXPECT_TRUE(HasFileFlag(c.FileFlags, fsLongFileNames));
  EXPECT_TRUE(HasFileFlag(c.FileFlags, fsSparseFilesSupport));
  EXPECT_TRUE(HasFileFlag(c.FileFlags, fsEncryptedFileSystemSupport));
  EXPECT_FALSE(HasFileFlag(c.FileFlags, fsDiskQuotasSupport));
  EXPECT_FALSE(HasFileFlag(c.FileFlags, fsCaseSensitive));

  q.Ex = true;
  q.ExTotal = 500107862016;
  q.ExFree = 123;
  TDriveData d = ReadDriveData(q, "D:");
  EXPECT_EQ(d.Capacity, 500107862016);
  EXPECT_EQ(d.FreeSpace, 123);

  // The volume query fails on the next drive: its label is not the previous one's.
  q.VolumeOk = false;
  d = ReadDriveData(q, "E:");
  EXPECT_EQ(d.VolumeLabel, "");
  EXPECT_EQ(d.FileSystem, "");
  EXPECT_EQ(d.SerialNumber, "");
  EXPECT_EQ(d.FileFlags, 0u);

  // A floppy drive without a disk.
  q.Type = 2;
  q.Media = false;
  d = ReadDriveData(q, "A:");
  EXPECT_EQ(d.MediaType, dtRemovable);
  EXPECT_EQ(d.Capacity, 0);
  EXPECT_EQ(d.TotalClusters, 0u);

  // A network drive names its share.
  q.Type = 4;
  q.Media = true;
  q.Unc = "\\\\server\\share";
  EXPECT_EQ(ReadDriveData(q, "Z:").UNC, "\\\\server\\share");
  q.Type = 99;
  EXPECT_EQ(ReadDriveData(q, "Z:").MediaType, dtUnknown);
}

TEST(SysInfoDisk, DriveLettersAndTheDriveSections) {
  const char roots[] = "a:\\\0C:\\\0d:\\\0\0X:\\";
  EXPECT_EQ(DriveLettersFromRoots(roots, sizeof roots - 1), "ACD");
  EXPECT_EQ(DriveLettersFromRoots(roots, 5), "AC");
  EXPECT_EQ(DriveLettersFromRoots(nullptr, 8), "");

  TFakeDrive q;
  q.ExTotal = 5000000000;
  q.ExFree = 268435456;
  TStringList r;
  WriteDriveSections(r, ReadDriveData(q, "C:"));
  ASSERT_EQ(r.Count(), 11 + 13);
  EXPECT_EQ(r[0], "[DiskC:]");
  EXPECT_EQ(r[2], "Type=Fixed");
  EXPECT_EQ(Value(r, "Capacity"), "5,000,000,000");
  EXPECT_EQ(Value(r, "FreeSpace"), "268,435,456");
  EXPECT_EQ(Value(r, "BytesPerSector"), "512");
  EXPECT_EQ(Value(r, "TotalClusters"), "2,000,000");
  EXPECT_EQ(r[11], "[DiskC:_Flags]");
  EXPECT_EQ(r[12], "Case Is Preserved=1");
  EXPECT_EQ(r[23], "Disk Quotas Support=0");
}

TEST(SysInfoApm, BatteryStatesAndUnknownTimes) {
  EXPECT_EQ(BatteryStatusFromFlag(0), bsHigh);
  EXPECT_EQ(BatteryStatusFromFlag(1), bsHigh);
  EXPECT_EQ(BatteryStatusFromFlag(8), bsCharging);
  EXPECT_EQ(BatteryStatusFromFlag(9), bsUnknown);  // high and charging together
  EXPECT_EQ(BatteryStatusFromFlag(128), bsNoBattery);
  EXPECT_EQ(BatteryStatusFromFlag(255), bsUnknown);
  EXPECT_EQ(PowerStatusFromLine(1), psOnline);
  EXPECT_EQ(PowerStatusFromLine(255), psUnknown);

  TAPM none;
  none.Assign(1, 128, 255, kUnknownBatteryTime, kUnknownBatteryTime);
  TStringList r;
  none.Report(r);
  EXPECT_EQ(Lines(r), (std::vector<std::string>{"[Advanced Power Management]",
                                                "ACPowerStatus=Online",
                                                "BatteryChargeStatus=No Battery"}));

  TAPM battery;
  battery.Assign(0, 2, 40, kUnknownBatteryTime, 3725);
  r.Clear();
  battery.Report(r);
  EXPECT_EQ(Value(r, "ACPowerStatus"), "Offline");
  EXPECT_EQ(Value(r, "BatteryChargeStatus"), "Low");
  EXPECT_EQ(Value(r, "BattreyLifeFullTime"), "1 Hour, 2 Minutes, 5 Seconds.");
  EXPECT_EQ(Value(r, "BatteryLifeTime"), "<info not available>");
  battery.Reset();
  EXPECT_EQ(battery.ACPowerStatus(), psUnknown);
  EXPECT_EQ(battery.BatteryLifePercent(), 0);
}

TEST(SysInfoDirectX, TheInstalledVersionReadsAsStoredAndAnEmptyVersionReportsAlone) {
  const unsigned char nine[] = {0, 0, 0, 9, 0, 0, 0, 0};
  const unsigned char eightOne[] = {0, 0, 0, 8, 0, 0, 0, 1};
  EXPECT_EQ(DirectXVersionFromInstalled(nine, sizeof nine), "9.0");
  EXPECT_EQ(DirectXVersionFromInstalled(eightOne, sizeof eightOne), "8.1");
  EXPECT_EQ(DirectXVersionFromInstalled(eightOne, 4), "8.0");
  EXPECT_EQ(DirectXVersionFromInstalled(eightOne, 3), "");

  TDirectX dx;
  TStringList r;
  dx.Report(r);
  EXPECT_EQ(Lines(r), std::vector<std::string>{"[DirectX]"});
  dx.SetVersion("4.09.00.0904");
  dx.DirectMusic()->Add("Microsoft Software Synthesizer");
  r.Clear();
  dx.Report(r);
  EXPECT_EQ(Lines(r), (std::vector<std::string>{
                          "[DirectX]", "Version=4.09.00.0904", "[Direct3D]", "Count=0",
                          "[DirectPlay]", "Count=0", "[DirectMusic]", "Count=1",
                          "Device1=Microsoft Software Synthesizer"}));
}

TEST(SysInfoDevices, ClassKindsOrderAndRecords) {
  EXPECT_EQ(ClassKindOf("NetTrans"), ckNet);
  EXPECT_EQ(ClassKindOf("MEDIA"), ckMedia);
  EXPECT_EQ(ClassKindOf("Media"), ckMedia);
  EXPECT_EQ(ClassKindOf("Monitor"), 18);
  EXPECT_EQ(ClassKindOf("HIDClass"), 8);
  EXPECT_EQ(ClassKindOf("Processor"), ckUnknownClass);
  EXPECT_EQ(ClassKindOf(""), ckUnknownClass);
  EXPECT_STREQ(ClassKindName(ckDisplay), "Display");
  EXPECT_STREQ(ClassKindName(99), "");

  TDevices d;
  d.Add(Device("Net", "Second NIC"));
  d.Add(Device(" ", "No class"));  // blank class: left out
  d.Add(Device("display", "", "Plain VGA"));
  d.Add(Device("Net", "  ", "First by description"));
  d.Sort();
  ASSERT_EQ(d.DeviceCount(), 3);
  EXPECT_EQ(d.Device(0).ClassKind, ckDisplay);
  EXPECT_EQ(d.Device(1).Caption(), "Second NIC");  // same class: the order it came in
  EXPECT_EQ(d.Device(2).Caption(), "First by description");
  d.SetDeviceCount(65);
  EXPECT_EQ(d.DeviceCount(), 3);
  TDeviceRecord keep = Device("Keep", "me");
  EXPECT_FALSE(d.GetDevice(3, keep));
  EXPECT_EQ(keep.FriendlyName, "me");
  EXPECT_TRUE(d.GetDevice(0, keep));
  EXPECT_EQ(keep.Description, "Plain VGA");

  TStringList r;
  d.Report(r);
  EXPECT_EQ(r[0], "[Devices]");
  EXPECT_EQ(r[1], "Count=3");
  EXPECT_EQ(r[2], "[Plain VGA]");
  EXPECT_EQ(r[3], "Class Name=");
  EXPECT_EQ(r[12], "Service Group=");
  EXPECT_EQ(r[13], "[Second NIC]");
  EXPECT_EQ(r.Count(), 2 + 3 * 11);
}

TEST(SysInfoProcesses, EachProcessKeepsItsOwnIdentifier) {
  TProcesses p;
  p.Assign({{"System Idle Process", 0}, {"C:\\x\\notepad.exe", 40}, {"C:\\x\\notepad.exe", 52}});
  EXPECT_EQ(p.ProcessCount(), 3);
  EXPECT_EQ(p.Id(2), 52u);
  EXPECT_EQ(p.IdOfName("c:\\X\\NOTEPAD.EXE"), 40u);
  EXPECT_EQ(p.Name(3), "");
  EXPECT_EQ(p.Id(-1), 0u);
  p.SetProcessCount(35);
  EXPECT_EQ(p.ProcessCount(), 3);
  TStringList r;
  p.Report(r);
  EXPECT_EQ(Lines(r), (std::vector<std::string>{"[Processes]", "Count=3", "0=System Idle Process",
                                                "40=C:\\x\\notepad.exe",
                                                "52=C:\\x\\notepad.exe"}));
}

TEST(SysInfoStartup, EntriesPerPlaceAndTheReportsFiveSections) {
  EXPECT_EQ(WinIniCommand("  c:\\a.exe  b.exe \r\n"), "c:\\a.exe b.exe");
  EXPECT_EQ(WinIniCommand(" \r\n "), "");
  EXPECT_EQ(ShortcutEntryName("Notes.lnk"), "Notes");
  EXPECT_EQ(ShortcutEntryName(".lnk"), "");

  TStartup s;
  s.Add(slUserRun, "Tray", "c:\\tray.exe");
  s.Add(slRunOnce, "Setup", "setup.exe /resume");
  s.Add(slRunOnce, "Setup", "c:\\machine\\setup.exe");
  s.Add(slUserStartup, "Notes", "c:\\notes.exe ");
  s.Add(slWinIni, "load", "c:\\a.exe");
  EXPECT_EQ(s.RunsCount(), 5);
  EXPECT_EQ(s.Count(slRunOnce), 2);
  EXPECT_EQ(s.CommandLine(slRunOnce, 1), "c:\\machine\\setup.exe");
  EXPECT_EQ(s.Name(slMachineRun, 0), "");
  EXPECT_EQ(s.Name(static_cast<TStartupLocation>(9), 0), "");
  TStringList r;
  s.Report(r);
  EXPECT_EQ(Lines(r), (std::vector<std::string>{
                          "[User Startup]", "Count=1", "Notes=c:\\notes.exe ",
                          "[Common Startup]", "Count=0", "[HKLM Run]", "Count=0", "[HKCU Run]",
                          "Count=1", "Tray=c:\\tray.exe", "[Run Once]", "Count=2",
                          "Setup=setup.exe /resume", "%Setup#2=c:\\machine\\setup.exe"}));
  s.Clear();
  EXPECT_EQ(s.RunsCount(), 0);
}

// Text as a hostile registry may hold it: line breaks, a tab, a DEL and lone CR or LF.
TEST(SysInfoReportText, StoredTextCannotStartALineOfItsOwn) {
  EXPECT_EQ(SingleLine("a\r\nb\tc\x7F" "d\x01\x1F"), "a  b c d  ");
  EXPECT_EQ(SingleLine("Caf\xE9 \x80\xFF"), "Caf\xE9 \x80\xFF");  // 8-bit text stays

  TStartup s;
  s.Add(slMachineRun, "Fake", "line1.exe\r\n[Fake Section]\r\nCount=99");
  s.Add(slMachineRun, "Lone\rCR", "a\nb");
  s.Add(slUserRun, "Tab\tName", "x.exe");
  TSoftware soft;
  soft.Installed()->Add("Tool\r\nBroken=1");
  TDevices devices;
  TDeviceRecord d;
  d.ClassName = "Net";
  d.FriendlyName = "Card\r\n[Injected]";
  devices.Add(d);
  TStringList env;
  env.Add("PATH=C:\\a\r\n[Environment]");

  TStringList r;
  s.Report(r);
  soft.Report(r);
  devices.Report(r);
  AddEntries(r, env);
  AddEntries(r, r);  // into itself: each line once more, nothing seen twice
  int sections = 0, counts = 0;
  for (const std::string& line : r.Items()) {
    for (char c : line) EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7F) << line;
    const bool section = !line.empty() && line.front() == '[' && line.back() == ']';
    EXPECT_TRUE(section || line.find('=') != std::string::npos) << line;
    sections += section && line.find("Fake Section") != std::string::npos;
    counts += line == "Count=99";
  }
  EXPECT_EQ(sections, 0);
  EXPECT_EQ(counts, 0);
  EXPECT_TRUE(r.IndexOf("Fake=line1.exe  [Fake Section]  Count=99") >= 0);
  EXPECT_TRUE(r.IndexOf("Lone CR=a b") >= 0);
  EXPECT_TRUE(r.IndexOf("Item1=Tool  Broken=1") >= 0);
  EXPECT_TRUE(r.IndexOf("[%Card  %5BInjected%5D]") >= 0);
  EXPECT_TRUE(r.IndexOf("PATH=C:\\a  [Environment]") >= 0);
}

TEST(SysInfoDisplay, CapabilitySetsModesAndTheReportsSections) {
  EXPECT_EQ(CapSetFromValue(ckCurve, 0), 0u);
  EXPECT_EQ(CapSetFromValue(ckCurve, 0x101), 0x101u);  // circles, rounded rectangles
  // Raster members are not in bit order: banding (0x2) is the first, bitmap transfer (0x1) next.
  EXPECT_EQ(CapSetFromValue(ckRaster, 0x2), 0x1u);
  EXPECT_EQ(CapSetFromValue(ckRaster, 0x1), 0x2u);
  EXPECT_EQ(CapSetFromValue(ckText, 0x10000), 1u << 15);
  TStringList lines;
  WriteCapLines(lines, ckLine, CapSetFromValue(ckLine, 0x2 | 0x80));
  EXPECT_EQ(lines[0], "Polylines=1");
  EXPECT_EQ(lines[6], "Interiors=1");
  EXPECT_EQ(lines[1], "Markers=0");
  EXPECT_EQ(VideoModeText(1024, 768, 16), "1024 x 768 - 16 bit");
  EXPECT_STREQ(TechnologyText(1), "Raster Display");
  EXPECT_EQ(TechnologyText(7), nullptr);
  EXPECT_EQ(CapEnumInfo(ckPolygon).Names.size(), 8u);

  TDisplay d;
  d.SetHorzRes(1024);
  d.Modes()->Add(VideoModeText(640, 480, 8));
  TStringList r;
  d.Report(r);
  EXPECT_EQ(r[0], "[Display]");
  EXPECT_EQ(r[8], "HorzRes=1024");
  EXPECT_EQ(r[13], "PixelDiag=0");
  EXPECT_EQ(r[15], "[Video Modes]");
  EXPECT_EQ(r[17], "Mode1=640 x 480 - 8 bit");
  EXPECT_EQ(r[18], "[Curve Capabilities]");
  EXPECT_EQ(r[r.Count() - 17], "[Text Capabilities]");
  EXPECT_EQ(r.Count(), 18 + 10 + 8 + 9 + 12 + 17);
}

TEST(SysInfoSmallCategories, MemoryMachineMediaNetworkEnginesPrinters) {
  TMemory m;
  m.SetPhysicalTotal(25276178432);
  m.SetPageFileTotal(0xFFF7FFFFull);  // what the old call read as signed made -524,289
  m.SetMinAppAddress(0x10000);
  m.SetMaxAppAddress(0x7FFEFFFF);
  TStringList r;
  m.Report(r);
  EXPECT_EQ(Value(r, "PhysMemTotal"), "25,276,178,432");
  EXPECT_EQ(Value(r, "PageFileTotal"), "4,294,443,007");
  EXPECT_EQ(Value(r, "MinAppAddress"), "10000");
  EXPECT_EQ(Value(r, "MaxAppAddress"), "7FFEFFFF");

  TMachine machine;
  // 60 days: past where a 32-bit millisecond count wraps.
  machine.SetUpTime(5184000500ull, 40000.0);
  EXPECT_DOUBLE_EQ(machine.SystemUpTime(), 5184000.5);
  EXPECT_NEAR(machine.LastBoot(), 40000.0 - 5184000.5 / 86400.0, 1e-9);
  r.Clear();
  machine.Report(r);
  // Round halves to even: 5184000.5 s is 5184000 s.
  EXPECT_EQ(Value(r, "System Up Time"), "1 Month, 4 Weeks, 1 Day, 0 Hours, 0 Minutes, 0 Seconds.");
  EXPECT_EQ(r[0], "[Machine]");
  EXPECT_EQ(r[9], "Computer=");

  EXPECT_EQ(SoundDeviceText("SB16 Wave Out", 0x040A), "SB16 Wave Out v4.10");
  TMedia media;
  AddOnce(*media.WAVEOut(), "A v1.0");
  AddOnce(*media.WAVEOut(), "A v1.0");
  EXPECT_EQ(media.WAVEOut()->Count(), 1);
  EXPECT_EQ(media.GamePortIndex(), -1);
  r.Clear();
  media.Report(r);
  EXPECT_EQ(Value(r, "WaveOutCount"), "1");
  EXPECT_EQ(Value(r, "WaveOut1"), "A v1.0");

  const uint8_t mac[6] = {0x00, 0xA0, 0xC9, 0x12, 0x34, 0x5F};
  EXPECT_EQ(MacAddressText(mac), "00:a0:c9:12:34:5f");
  TNetwork net;
  net.WinSock()->SetMajorVersion(1);
  net.WinSock()->SetMinorVersion(1);
  net.IPAddresses()->Add("10.0.0.1");
  net.IPAddresses()->Add("192.168.1.5");
  r.Clear();
  net.Report(r);
  EXPECT_EQ(Value(r, "IPCount"), "2");
  EXPECT_EQ(Value(r, "IPAddress2"), "192.168.1.5");
  EXPECT_EQ(Value(r, "Version"), "1.1");
  EXPECT_EQ(net.CardAdapterIndex(), -1);

  EXPECT_EQ(FileVersionText(0x00040000, 0x17830000), "4.0.6019.0");
  TEngines engines;
  engines.SetADO("2.8");
  r.Clear();
  engines.Report(r);
  EXPECT_EQ(Lines(r),
            (std::vector<std::string>{"[ODBC]", "[BDE]", "[DAO]", "[ADO]", "Version=2.8"}));

  EXPECT_EQ(DefaultPrinterName("Laser,winspool,LPT1:"), "Laser");
  EXPECT_EQ(DefaultPrinterName(""), "");
  TPrinters printers;
  printers.Names()->Add("Laser");
  printers.Ports()->Add("LPT1:");
  printers.Names()->Add("Colour");
  printers.Ports()->Add("\\\\srv\\colour");
  printers.SetDefaultIndex(1);
  r.Clear();
  printers.Report(r);
  EXPECT_EQ(Lines(r), (std::vector<std::string>{"[Printers]", "Count=2", "Laser on LPT1:=0",
                                                "Colour on \\\\srv\\colour=1"}));
}
