#include "SysInfoFixtures.h"
#include <objbase.h>
#include <shlobj.h>
#include <vector>

namespace fixtures {
namespace {
const char kNTEnum[] = "SYSTEM\\CurrentControlSet\\Enum\\VELMORA";
const char kNTClass[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\";
const char k9xClass[] = "SYSTEM\\CurrentControlSet\\Services\\Class\\";
const char kServices[] = "SYSTEM\\CurrentControlSet\\Services\\";
const char kDisplayGuid[] = "{56454C4D-0000-4000-8000-000000000001}";
const char kNetGuid[] = "{56454C4D-0000-4000-8000-000000000002}";
const char kMediaGuid[] = "{56454C4D-0000-4000-8000-000000000003}";
const char kProtoGuid[] = "{56454C4D-0000-4000-8000-000000000004}";
const char kComputerGuid[] = "{56454C4D-0000-4000-8000-000000000005}";
const char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VelmoraFixture";
const char kUninstallNameless[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VelmoraFixtureNameless";
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunOnce[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char kSystem[] = "HARDWARE\\DESCRIPTION\\System";

class TWriter {
 public:
  explicit TWriter(HKEY root) : FRoot(root) {}
  bool Ok = true;

  void Key(const std::string& path) {
    HKEY k;
    if (RegCreateKeyExA(FRoot, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                        nullptr) != ERROR_SUCCESS) {
      Ok = false;
      return;
    }
    RegCloseKey(k);
  }
  void Data(const std::string& path, const char* name, DWORD type, const void* data,
            DWORD size) {
    HKEY k;
    if (RegCreateKeyExA(FRoot, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                        nullptr) != ERROR_SUCCESS) {
      Ok = false;
      return;
    }
    if (RegSetValueExA(k, name, 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
      Ok = false;
    RegCloseKey(k);
  }
  void Text(const std::string& path, const char* name, const std::string& text) {
    Data(path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }
  void Dword(const std::string& path, const char* name, DWORD v) {
    Data(path, name, REG_DWORD, &v, sizeof v);
  }
  void Multi(const std::string& path, const char* name, const std::string& zeroSeparated) {
    Data(path, name, REG_MULTI_SZ, zeroSeparated.data(), static_cast<DWORD>(zeroSeparated.size()));
  }
  // Wide-character text stored as binary data, as NT's display drivers keep their details.
  void Wide(const std::string& path, const char* name, const std::string& text) {
    std::vector<char> bytes;
    for (char c : text) {
      bytes.push_back(c);
      bytes.push_back(0);
    }
    bytes.push_back(0);
    bytes.push_back(0);
    Data(path, name, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
  }

 private:
  HKEY FRoot;
};

const std::string kMultiHardwareId = std::string("VELMORA\\DISPLAY\0VELMORA_DISPLAY\0\0", 33);

void WriteClass(TWriter& w, const std::string& base, bool nt, const char* guid, const char* cls,
                const char* link, const char* description) {
  const std::string key = base + guid;
  w.Text(key, "Class", cls);
  std::string data = key;
  if (!nt) {
    w.Text(key, "Link", link);
    data = base + link;
  }
  w.Text(data, "", description);
  w.Text(data, "Icon", "-1");
}

void WriteDevices(TWriter& w, bool nt) {
  const std::string enumRoot = nt ? kNTEnum : "Enum\\VELMORA";
  const std::string classes = nt ? kNTClass : k9xClass;
  WriteClass(w, classes, nt, kDisplayGuid, "Display", "VelmoraDisplay", kDisplayClass);
  WriteClass(w, classes, nt, kNetGuid, "Net", "VelmoraNet", "Velmora Network Adapters");
  WriteClass(w, classes, nt, kMediaGuid, "MEDIA", "VelmoraMedia", "Velmora Multimedia");
  WriteClass(w, classes, nt, kProtoGuid, "NetTrans", "VelmoraNetTrans", "Velmora Protocols");
  WriteClass(w, classes, nt, kComputerGuid, "Computer", "VelmoraComputer", "Velmora Computers");
  auto driverKey = [&](const char* guid, const char* link) {
    return classes + (nt ? guid : link) + "\\0000";
  };
  auto driverValue = [&](const char* guid, const char* link) {
    // 9x keeps the path with doubled separators in some entries.
    return std::string(nt ? guid : link) + (nt ? "\\0000" : "\\\\0000");
  };
  const std::string display = driverKey(kDisplayGuid, "VelmoraDisplay");
  w.Text(display, "DriverDate", "6-21-2001");
  w.Text(display, "DriverVersion", "5.1.2600.0");
  w.Text(display, "ProviderName", "Velmora Fixtures");
  w.Text(driverKey(kMediaGuid, "VelmoraMedia"), "DriverDesc", kSoundCard);
  w.Text(classes + (nt ? kMediaGuid : "VelmoraMedia") + "\\0001", "DriverDesc", kGamePort);
  w.Text(driverKey(kProtoGuid, "VelmoraNetTrans"), "DriverDesc", kProtocol);
  w.Text(driverKey(kComputerGuid, "VelmoraComputer"), "DriverDesc", kComputer);

  const std::string dev = enumRoot + "\\DISPLAY\\0000";
  w.Text(dev, "ClassGUID", kDisplayGuid);
  w.Text(dev, "DeviceDesc", kDisplayDevice);
  w.Text(dev, "Mfg", "Velmora");
  w.Text(dev, "Service", "VelmoraVid");
  w.Text(dev, "Driver", driverValue(kDisplayGuid, "VelmoraDisplay"));
  w.Multi(dev, "HardwareID", kMultiHardwareId);

  const std::string nic = enumRoot + "\\NIC\\0000";
  w.Text(nic, "ClassGUID", kNetGuid);
  w.Text(nic, "DeviceDesc", kNicDevice);
  w.Dword(nic, "FriendlyName", 7);  // not text: the description stands in
  w.Text(nic, "LocationInformation", "PCI slot 2");

  const std::string sound = enumRoot + "\\SOUND\\0000";
  w.Text(sound, "ClassGUID", kMediaGuid);
  w.Text(sound, "DeviceDesc", kSoundCard);
  w.Text(sound, "LocationInformation", "ISA 220");
  const std::string game = enumRoot + "\\GAME\\0000";
  w.Text(game, "ClassGUID", kMediaGuid);
  w.Text(game, "DeviceDesc", kGamePort);
  w.Text(game, "LocationInformation", "ISA 201");

  if (nt) {
    for (const char* present : {"DISPLAY", "NIC", "SOUND", "GAME"})
      w.Key(enumRoot + "\\" + present + "\\0000\\Control");
    const std::string absent = enumRoot + "\\ABSENT\\0000";
    w.Text(absent, "ClassGUID", kNetGuid);
    w.Text(absent, "DeviceDesc", kAbsentNic);
  } else {
    const std::string skipped = "Enum\\Network\\VELMORA\\0000";
    w.Text(skipped, "ClassGUID", kNetGuid);
    w.Text(skipped, "DeviceDesc", kSkippedNetwork);
  }
}
}  // namespace

bool Write(HKEY lm, HKEY cu, bool bios) {
  TWriter w(lm);
  WriteDevices(w, true);
  WriteDevices(w, false);
  const std::string svc = std::string(kServices) + "VelmoraVid";
  w.Text(svc, "DisplayName", "Velmora Video");
  w.Text(svc, "Group", "Video");
  w.Dword(svc, "Type", 1);
  w.Wide(svc + "\\Device0", "HardwareInformation.DacType", kDac);
  w.Wide(svc + "\\Device0", "HardwareInformation.ChipType", kChip);
  w.Data(svc + "\\Device0", "HardwareInformation.MemorySize", REG_BINARY, &kVideoMemory, 4);
  w.Text(std::string(kServices) + "VELMORA", "DisplayName", kBusName);
  const std::string info = std::string(k9xClass) + "Display\\0000\\INFO";
  w.Text(info, "DacType", kDac);
  w.Text(info, "ChipType", kChip);
  w.Dword(info, "VideoMemory", kVideoMemory);

  w.Text(kUninstall, "DisplayName", kSoftware);
  w.Text(kUninstallNameless, "Publisher", "Velmora");
  w.Text(kRun, kMachineRunName, kMachineRunCommand);
  w.Text(kRunOnce, kOnceName, kMachineOnceCommand);

  if (bios) {
    // A first string longer than any fixed buffer of 255 bytes.
    const std::string version =
        "Velmora BIOS " + std::string(300, 'x') + '\0' + "second" + '\0' + '\0';
    w.Multi(kSystem, "SystemBiosVersion", version);
    w.Text(kSystem, "SystemBiosDate", "01/02/03");
    w.Multi(kSystem, "VideoBiosVersion", std::string("Velmora Video BIOS\0line 2\0\0", 27));
    w.Text(kSystem, "VideoBiosDate", "04/05/06");
    const unsigned char nine[8] = {0, 0, 0, 9, 0, 0, 0, 0};
    w.Data("SOFTWARE\\Microsoft\\DirectX", "InstalledVersion", REG_BINARY, nine, sizeof nine);
    w.Text("SOFTWARE\\Microsoft\\Direct3D\\Drivers\\Velmora", "Description",
           "Velmora Reference Rasterizer");
    w.Key("SOFTWARE\\Microsoft\\Direct3D\\Drivers\\Nameless");
  }

  TWriter u(cu);
  u.Text(kRun, kRunName, kRunCommand);
  const unsigned char binary[3] = {1, 2, 3};
  u.Data(kRun, kBinaryRunName, REG_BINARY, binary, sizeof binary);
  u.Text(kRunOnce, kOnceName, kUserOnceCommand);
  return w.Ok && u.Ok;
}

void DeleteTree(HKEY parent, const std::string& path) {
  HKEY k;
  if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_ALL_ACCESS, &k) == ERROR_SUCCESS) {
    std::vector<std::string> subs;
    char name[512];
    for (DWORD i = 0;; ++i) {
      DWORD len = sizeof name;
      if (RegEnumKeyExA(k, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        break;
      subs.emplace_back(name, len);
    }
    for (const std::string& s : subs) DeleteTree(k, s);
    RegCloseKey(k);
  }
  RegDeleteKeyA(parent, path.c_str());
}

void Remove(HKEY lm, HKEY cu, bool bios) {
  DeleteTree(lm, kNTEnum);
  DeleteTree(lm, "Enum\\VELMORA");
  DeleteTree(lm, "Enum\\Network\\VELMORA");
  for (const char* guid : {kDisplayGuid, kNetGuid, kMediaGuid, kProtoGuid, kComputerGuid}) {
    DeleteTree(lm, std::string(kNTClass) + guid);
    DeleteTree(lm, std::string(k9xClass) + guid);
  }
  for (const char* link :
       {"VelmoraDisplay", "VelmoraNet", "VelmoraMedia", "VelmoraNetTrans", "VelmoraComputer",
        "Display\\0000\\INFO"})
    DeleteTree(lm, std::string(k9xClass) + link);
  DeleteTree(lm, std::string(kServices) + "VelmoraVid");
  DeleteTree(lm, std::string(kServices) + "VELMORA");
  DeleteTree(lm, kUninstall);
  DeleteTree(lm, kUninstallNameless);
  auto deleteValue = [](HKEY root, const char* path, const char* name) {
    HKEY k;
    if (RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
    RegDeleteValueA(k, name);
    RegCloseKey(k);
  };
  deleteValue(lm, kRun, kMachineRunName);
  deleteValue(lm, kRunOnce, kOnceName);
  deleteValue(cu, kRun, kRunName);
  deleteValue(cu, kRun, kBinaryRunName);
  deleteValue(cu, kRunOnce, kOnceName);
  if (bios) {
    for (const char* v :
         {"SystemBiosVersion", "SystemBiosDate", "VideoBiosVersion", "VideoBiosDate"})
      deleteValue(lm, kSystem, v);
    deleteValue(lm, "SOFTWARE\\Microsoft\\DirectX", "InstalledVersion");
    DeleteTree(lm, "SOFTWARE\\Microsoft\\Direct3D\\Drivers\\Velmora");
    DeleteTree(lm, "SOFTWARE\\Microsoft\\Direct3D\\Drivers\\Nameless");
  }
}

bool WriteShortcut(const std::string& file, const std::string& target, const std::string& args) {
  const bool com = SUCCEEDED(CoInitialize(nullptr));
  bool ok = false;
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link)))) {
    link->SetPath(target.c_str());
    link->SetArguments(args.c_str());
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
      WCHAR wide[MAX_PATH];
      MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
      ok = SUCCEEDED(persist->Save(wide, TRUE));
      persist->Release();
    }
    link->Release();
  }
  if (com) CoUninitialize();
  return ok;
}

std::string UserStartupFolder() {
  char path[MAX_PATH] = {};
  LPITEMIDLIST pidl = nullptr;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_STARTUP, &pidl)) && pidl) {
    SHGetPathFromIDListA(pidl, path);
    CoTaskMemFree(pidl);
  }
  return path;
}

}  // namespace fixtures
