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

// A name that would open some other key than the one meant: empty (the parent itself) or with
// a path separator in it.
bool UnsafeKeyName(const TRegName& name) {
  return name.Text.empty() || name.Text.find('\\') != std::string::npos ||
         name.Wide.find(L'\\') != std::wstring::npos;
}

class TDeviceReader {
 public:
  TDeviceReader()
      : FNT(SysInfoNT()), FClassKey(SysClassKey()), FClasses(HKEY_LOCAL_MACHINE, FClassKey),
        FServices(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services") {}

  // Every key is opened by the name it is listed by, however it is written.
  void Read(TDevices& devices) {
    const std::string rootPath = FNT ? "SYSTEM\\CurrentControlSet\\Enum" : "Enum";
    TSysKey root(HKEY_LOCAL_MACHINE, rootPath);
    if (!root.IsOpen()) return;
    for (const TRegName& bus : root.SubKeyNames()) {
      if (!FNT && SameText(bus.Text, "Network")) continue;
      TSysKey busKey(root, bus);
      for (const TRegName& device : busKey.SubKeyNames()) {
        TSysKey deviceKey(busKey, device);
        for (const TRegName& instance : deviceKey.SubKeyNames()) {
          TSysKey key(deviceKey, instance);
          // On NT only a device that is present has its "Control" key.
          if (FNT && !key.HasSubKey("Control")) continue;
          TDeviceRecord rec = ReadInstance(key, bus);
          rec.RegistryPath = rootPath + "\\" + bus.Text + "\\" + device.Text + "\\" + instance.Text;
          devices.Add(rec);
        }
      }
    }
  }

 private:
  TDeviceRecord ReadInstance(const TSysKey& key, const TRegName& bus) {
    TDeviceRecord r;
    TRegName guid, service;
    key.ReadStored("ClassGUID", guid);
    key.ReadStored("Service", service);
    r.ClassGUID = guid.Text;
    r.Service = service.Text;
    r.ServiceKey = service.Wide;
    r.FriendlyName = key.Text("FriendlyName");
    r.Description = key.Text("DeviceDesc");
    r.Manufacturer = key.Text("Mfg");
    r.Location = key.Text("LocationInformation");
    if (r.Location.empty()) r.Location = Service(bus).DisplayName;

    const TClassData& c = Class(guid);
    r.ClassName = c.Name;
    r.ClassDesc = c.Description;
    r.ClassIcon = c.Icon;
    if (r.ClassName.empty()) r.ClassName = key.Text("Class");

    TRegName driver;
    key.ReadStored("Driver", driver);
    for (size_t at; (at = driver.Text.find("\\\\")) != std::string::npos;) driver.Text.erase(at, 1);
    for (size_t at; (at = driver.Wide.find(L"\\\\")) != std::wstring::npos;) driver.Wide.erase(at, 1);
    // The driver names a key two levels down ("{class}\\0000"), so it has a separator.
    if (!driver.Text.empty() && driver.Text.front() != '\\') {
      TSysKey d(FClasses, driver);
      r.DriverDate = d.Text("DriverDate");
      r.DriverVersion = d.Text("DriverVersion");
      r.DriverProvider = d.Text("ProviderName");
    }

    const TServiceData& s = Service(service);
    r.ServiceName = s.DisplayName;
    r.ServiceGroup = s.Group;
    r.ServiceType = s.Type;

    // A list of strings, or one string: the characters one after the other.
    std::vector<std::string> ids;
    if (key.ReadStrings("HardwareID", ids)) r.HardwareID = Concatenated(ids);
    return r;
  }

  // Classes and services are shared by many devices: each is read once per gathering.
  const TClassData& Class(const TRegName& guid) {
    auto [it, added] = FClassCache.try_emplace(guid);
    if (!added || UnsafeKeyName(guid)) return it->second;
    TClassData& c = it->second;
    TSysKey key(FClasses, guid);
    if (!key.IsOpen()) return c;
    c.Name = key.Text("Class");
    TSysKey linked;
    const TSysKey* data = &key;
    if (!FNT) {
      TRegName link;
      key.ReadStored("Link", link);
      if (UnsafeKeyName(link) || !linked.Open(FClasses, link)) return c;
      data = &linked;
    }
    c.Icon = data->Text("Icon");
    c.Description = data->Text("");
    return c;
  }

  const TServiceData& Service(const TRegName& name) {
    auto [it, added] = FServiceCache.try_emplace(name);
    if (!added || UnsafeKeyName(name)) return it->second;
    TServiceData& s = it->second;
    TSysKey key(FServices, name);
    if (!key.IsOpen()) return s;
    s.Group = key.Text("Group");
    s.DisplayName = key.Text("DisplayName");
    uint32_t type = 0;
    if (key.ReadDword("Type", type)) s.Type = static_cast<int32_t>(type);
    return s;
  }

  bool FNT;
  std::string FClassKey;
  TSysKey FClasses, FServices;
  std::map<TRegName, TClassData> FClassCache;
  std::map<TRegName, TServiceData> FServiceCache;
};
}  // namespace

void TDevices::GetInfo() {
  FRecords.clear();
  GatherGuarded("TDevices.GetInfo", [this] { TDeviceReader().Read(*this); });
  Sort();
  ShareDevices(*this);
}
