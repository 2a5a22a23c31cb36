// The device tree read from the device registry of either family.
#include "sysinfo/KSI_Devices.h"
#include <windows.h>
#include <map>
#include "sysinfo/SysInfoLogic.h"
#include "sysinfo/SysInfoWin.h"

namespace {
struct TClassData {
  std::string Name, Description, Icon;
};
struct TServiceData {
  std::string DisplayName, Group;
  int32_t Type = 0;
};

// Registry names compare without regard to case.
struct TNoCase {
  bool operator()(const std::string& a, const std::string& b) const {
    return CompareText(a, b) < 0;
  }
};

// A name that would open some other key than the one meant: empty (the parent itself) or with
// a path separator in it.
bool UnsafeKeyName(const std::string& name) {
  return name.empty() || name.find('\\') != std::string::npos;
}

class TDeviceReader {
 public:
  TDeviceReader()
      : FNT(SysInfoNT()), FClassKey(SysClassKey()), FClasses(HKEY_LOCAL_MACHINE, FClassKey) {}

  void Read(TDevices& devices) {
    const std::string rootPath = FNT ? "SYSTEM\\CurrentControlSet\\Enum" : "Enum";
    TSysKey root(HKEY_LOCAL_MACHINE, rootPath);
    if (!root.IsOpen()) return;
    for (const std::string& bus : root.SubKeys()) {
      if (!FNT && SameText(bus, "Network")) continue;
      TSysKey busKey(root, bus);
      for (const std::string& device : busKey.SubKeys()) {
        TSysKey deviceKey(busKey, device);
        for (const std::string& instance : deviceKey.SubKeys()) {
          TSysKey key(deviceKey, instance);
          // On NT only a device that is present has its "Control" key.
          if (FNT && !key.HasSubKey("Control")) continue;
          TDeviceRecord rec = ReadInstance(key, bus);
          rec.RegistryPath = rootPath + "\\" + bus + "\\" + device + "\\" + instance;
          devices.Add(rec);
        }
      }
    }
  }

 private:
  TDeviceRecord ReadInstance(const TSysKey& key, const std::string& bus) {
    TDeviceRecord r;
    r.ClassGUID = key.Text("ClassGUID");
    r.FriendlyName = key.Text("FriendlyName");
    r.Description = key.Text("DeviceDesc");
    r.Manufacturer = key.Text("Mfg");
    r.Service = key.Text("Service");
    r.Location = key.Text("LocationInformation");
    if (r.Location.empty()) r.Location = Service(bus).DisplayName;

    const TClassData& c = Class(r.ClassGUID);
    r.ClassName = c.Name;
    r.ClassDesc = c.Description;
    r.ClassIcon = c.Icon;
    if (r.ClassName.empty()) r.ClassName = key.Text("Class");

    std::string driver = key.Text("Driver");
    for (size_t at; (at = driver.find("\\\\")) != std::string::npos;) driver.erase(at, 1);
    // The driver names a key two levels down ("{class}\\0000"), so it has a separator.
    if (!driver.empty() && driver.front() != '\\') {
      TSysKey d(FClasses, driver);
      r.DriverDate = d.Text("DriverDate");
      r.DriverVersion = d.Text("DriverVersion");
      r.DriverProvider = d.Text("ProviderName");
    }

    const TServiceData& s = Service(r.Service);
    r.ServiceName = s.DisplayName;
    r.ServiceGroup = s.Group;
    r.ServiceType = s.Type;

    // A list of strings, or one string: the characters one after the other.
    std::vector<char> raw;
    if (key.ReadRaw("HardwareID", raw)) r.HardwareID = SqueezeZeros(raw.data(), raw.size());
    return r;
  }

  // Classes and services are shared by many devices: each is read once per gathering.
  const TClassData& Class(const std::string& guid) {
    auto [it, added] = FClassCache.try_emplace(guid);
    if (!added || UnsafeKeyName(guid)) return it->second;
    TClassData& c = it->second;
    TSysKey key(FClasses, guid);
    if (!key.IsOpen()) return c;
    c.Name = key.Text("Class");
    TSysKey linked;
    const TSysKey* data = &key;
    if (!FNT) {
      const std::string link = key.Text("Link");
      if (UnsafeKeyName(link) || !linked.Open(FClasses.Handle(), link)) return c;
      data = &linked;
    }
    c.Icon = data->Text("Icon");
    c.Description = data->Text("");
    return c;
  }

  const TServiceData& Service(const std::string& name) {
    auto [it, added] = FServiceCache.try_emplace(name);
    if (!added || UnsafeKeyName(name)) return it->second;
    TServiceData& s = it->second;
    TSysKey key(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\" + name);
    if (!key.IsOpen()) return s;
    s.Group = key.Text("Group");
    s.DisplayName = key.Text("DisplayName");
    uint32_t type = 0;
    if (key.ReadDword("Type", type)) s.Type = static_cast<int32_t>(type);
    return s;
  }

  bool FNT;
  std::string FClassKey;
  TSysKey FClasses;
  std::map<std::string, TClassData, TNoCase> FClassCache;
  std::map<std::string, TServiceData, TNoCase> FServiceCache;
};
}  // namespace

void TDevices::GetInfo() {
  FRecords.clear();
  GatherGuarded("TDevices.GetInfo", [this] { TDeviceReader().Read(*this); });
  Sort();
  ShareDevices(*this);
}
