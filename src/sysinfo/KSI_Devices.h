// The device tree: one record per device instance of the device registry, with its class,
// manufacturer, location, hardware identifier, driver and service, sorted by class name.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "framework/Classes.h"
#include "framework/Strings.h"
#include "sysinfo/SysInfoProps.h"

struct TDeviceRecord {
  std::string ClassName, ClassDesc, ClassIcon;
  std::string FriendlyName, Description, ClassGUID, Manufacturer, Location, HardwareID;
  std::string DriverDate, DriverVersion, DriverProvider;
  std::string Service, ServiceName, ServiceGroup;  // the service key, its display name, group
  std::wstring ServiceKey;  // the service key's name as stored, on the NT family: it opens it again
  int32_t ServiceType = 0;
  std::string RegistryPath;  // root, bus, device and instance keys joined by "\"
  uint8_t ClassKind = 24;
  // The friendly name, or the description when the friendly name is blank.
  std::string Caption() const;
};

// The class kinds: 0 "Battery" ... 21 "Net" ... 24 "Unknown" ... 30 "MEDIA" ... 34 "USB".
constexpr int kClassKindCount = 35;
constexpr int ckDisplay = 3, ckNet = 21, ckUnknownClass = 24, ckMedia = 30;
const char* ClassKindName(int kind);
// The first kind whose name begins the class name (compared in upper case); "Unknown" when none.
int ClassKindOf(const std::string& className);

// The titles of the report's own sections (every category's), which a device's caption written
// as a section title must not take.
const std::vector<std::string>& ReportSectionTitles();

class TDevices : public TSysInfoCategory {
  VELMORA_CLASS(TDevices, TSysInfoCategory)

 public:
  // Rebuilds the records; shown as "TDevices.GetInfo" when it fails (the records read so far
  // stay, and the count is always theirs).
  void GetInfo();
  void Report(TStrings& report) const;

  int DeviceCount() const { return static_cast<int>(FRecords.size()); }
  // Stored snapshots carry a count; the count is the records', so it is not taken.
  void SetDeviceCount(int) {}
  // Copies record index into rec; an index out of range leaves rec unchanged.
  bool GetDevice(int index, TDeviceRecord& rec) const;
  const TDeviceRecord& Device(int index) const { return FRecords.at(index); }

  // Adds a record (kept when its class name is not blank) and sorts; what GetInfo does per
  // device and at the end.
  void Add(const TDeviceRecord& rec);
  void Sort();
  void Clear() { FRecords.clear(); }
  void Assign(const TDevices& other) { FRecords = other.FRecords; }

 private:
  std::vector<TDeviceRecord> FRecords;
};
