// The device tree's table, class kinds, ordering and report lines.
#include <algorithm>
#include <cctype>
#include "probes/OsKind.h"
#include "sysinfo/KSI_Devices.h"
#include "sysinfo/ReportNames.h"
#include "sysinfo/ReportText.h"

namespace {
const char* const kClassKinds[kClassKindCount] = {
    "Battery", "Computer", "DiskDrive", "Display", "CDROM", "fdc", "FloppyDisk", "GPS", "HID",
    "hdc", "1394", "Image", "Infrared", "Keyboard", "MediumChanger", "MTD", "Mouse", "Modem",
    "Monitor", "MultiFunction", "MultiPortSerial", "Net", "LegacyDriver", "NtApm", "Unknown",
    "PCMCIA", "Ports", "Printer", "SCSIAdapter", "SmartCardReader", "MEDIA", "Volume", "System",
    "TapeDrive", "USB"};

std::string Upper(const std::string& s) {
  std::string u = s;
  for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return u;
}
}  // namespace

VELMORA_CLASS_INFO(TDevices) {
  b.Int("DeviceCount", &TDevices::DeviceCount, &TDevices::SetDeviceCount);
}

std::string TDeviceRecord::Caption() const {
  return TrimControls(FriendlyName).empty() ? Description : FriendlyName;
}

const char* ClassKindName(int kind) {
  return kind >= 0 && kind < kClassKindCount ? kClassKinds[kind] : "";
}

int ClassKindOf(const std::string& className) {
  const std::string name = Upper(className);
  for (int k = 0; k < kClassKindCount; ++k)
    if (name.rfind(Upper(kClassKinds[k]), 0) == 0) return k;
  return ckUnknownClass;
}

bool TDevices::GetDevice(int index, TDeviceRecord& rec) const {
  if (index < 0 || index >= DeviceCount()) return false;
  rec = FRecords[index];
  return true;
}

void TDevices::Add(const TDeviceRecord& rec) {
  if (TrimControls(rec.ClassName).empty()) return;
  FRecords.push_back(rec);
  FRecords.back().ClassKind = static_cast<uint8_t>(ClassKindOf(rec.ClassName));
}

void TDevices::Sort() {
  // Stable: devices of one class keep the registry's order.
  std::stable_sort(FRecords.begin(), FRecords.end(),
                   [](const TDeviceRecord& a, const TDeviceRecord& b) {
                     return CompareText(a.ClassName, b.ClassName) < 0;
                   });
}

const std::vector<std::string>& ReportSectionTitles() {
  static const std::vector<std::string> titles = [] {
    std::vector<std::string> t = {
        "Machine", "Operating System", "NT Specific", "Environment", "Folders", "Time Zone", "CPU",
        "CPU Features", "CPU Cache", "Memory", "Display", "Video Modes", "Curve Capabilities",
        "Line Capabilities", "Polygonal Capabilities", "Raster Capabilities", "Text Capabilities",
        "Advanced Power Management", "Media", "Sound", "Network", "Winsock", "Devices", "ODBC", "BDE",
        "DAO", "ADO", "DirectX", "Direct3D", "DirectPlay", "DirectMusic", "Disks", "Processes",
        "Printers", "Installed Software", "User Startup", "Common Startup", "HKLM Run", "HKCU Run",
        "Run Once"};
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
      t.push_back(std::string("Disk") + letter + ":");
      t.push_back(std::string("Disk") + letter + ":_Flags");
    }
    return t;
  }();
  return titles;
}

void TDevices::Report(TStrings& report) const {
  AddSection(report, "Devices");
  AddValue(report, "Count", static_cast<int64_t>(FRecords.size()));
  TOutsideNames titles(ReportSectionTitles());
  for (const TDeviceRecord& d : FRecords) {
    AddOutsideSection(report, titles, d.Caption());
    AddValue(report, "Class Name", d.ClassDesc);
    AddValue(report, "Class GUID", d.ClassGUID);
    AddValue(report, "Manufacturer", d.Manufacturer);
    AddValue(report, "Location", d.Location);
    AddValue(report, "Hardware ID", d.HardwareID);
    AddValue(report, "Driver Date", d.DriverDate);
    AddValue(report, "Driver Version", d.DriverVersion);
    AddValue(report, "Driver Provider", d.DriverProvider);
    AddValue(report, "Service Name", d.ServiceName);
    AddValue(report, "Service Group", d.ServiceGroup);
  }
}
