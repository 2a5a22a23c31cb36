#include "sysinfo/SysInfoWin.h"
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include "framework/TypeInfo.h"
#include "probes/OsKind.h"
#include "probes/Kestrix_Routines.h"
#include "sysinfo/KSI_Devices.h"
#include "sysinfo/SysInfoLogic.h"

namespace {
// The subkeys of a device class key with their "Class" values, in key order.
using TClassIndex = std::vector<std::pair<std::string, std::string>>;

struct TSessionData {
  std::unique_ptr<TDevices> Devices;
  std::map<std::string, TClassIndex> ClassIndexes;  // by class key path
};
TSessionData* gSession = nullptr;
int gSessionDepth = 0;  // an inner session shares the outer one's

HKEY gLocalMachine = nullptr;
HKEY gCurrentUser = nullptr;
int gFamily = -1;

// Registry names are at most 255 characters; value names on 9x too.
std::vector<std::string> EnumNames(HKEY key, bool values) {
  std::vector<std::string> names;
  if (!key) return names;
  char buf[1024];
  for (DWORD i = 0; i < 100000; ++i) {
    DWORD len = sizeof buf;
    const LONG r = values ? RegEnumValueA(key, i, buf, &len, nullptr, nullptr, nullptr, nullptr)
                          : RegEnumKeyExA(key, i, buf, &len, nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_MORE_DATA) continue;  // a name longer than any the system allows: skip it
    if (r != ERROR_SUCCESS) break;
    names.emplace_back(buf, std::min<DWORD>(len, sizeof buf));
  }
  return names;
}

// 9x maps the first megabyte of physical memory into every process; elsewhere, or when a page
// is missing, nothing is read.
std::string SystemReadBiosArea(uint32_t address, size_t max) {
  std::string s;
  const char* p = reinterpret_cast<const char*>(static_cast<uintptr_t>(address));
  if (max == 0 || IsBadReadPtr(p, max)) return s;
  for (size_t i = 0; i < max && p[i] != 0; ++i) s += p[i];
  return s;
}

template <class T>
void Find(T& fn, HMODULE module, const char* name) {
  fn = module ? reinterpret_cast<T>(GetProcAddress(module, name)) : nullptr;
}

TSysApi LookUp() {
  TSysApi a{};
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  Find(a.GetDiskFreeSpaceExA, kernel, "GetDiskFreeSpaceExA");
  Find(a.GetTickCount64, kernel, "GetTickCount64");
  Find(a.GetSystemPowerStatus, kernel, "GetSystemPowerStatus");
  Find(a.CreateToolhelp32Snapshot, kernel, "CreateToolhelp32Snapshot");
  Find(a.Process32First, kernel, "Process32First");
  Find(a.Process32Next, kernel, "Process32Next");
  Find(a.SetThreadAffinityMask, kernel, "SetThreadAffinityMask");
  // Kept loaded for the life of the process, like the system's own libraries.
  static const HMODULE psapi = LoadLibraryA("psapi.dll");
  Find(a.EnumProcesses, psapi, "EnumProcesses");
  Find(a.GetModuleFileNameExA, psapi, "GetModuleFileNameExA");
  static const HMODULE netapi = LoadLibraryA("netapi32.dll");
  Find(a.Netbios, netapi, "Netbios");
  a.ReadBiosArea = SystemReadBiosArea;
  return a;
}

TSysApi& Api() {
  static TSysApi api = LookUp();
  return api;
}
}  // namespace

HKEY SysRoot(HKEY predefined) {
  if (predefined == HKEY_LOCAL_MACHINE && gLocalMachine) return gLocalMachine;
  if (predefined == HKEY_CURRENT_USER && gCurrentUser) return gCurrentUser;
  return predefined;
}

void SetSysInfoRoots(HKEY localMachine, HKEY currentUser) {
  gLocalMachine = localMachine;
  gCurrentUser = currentUser;
}

bool SysInfoNT() { return gFamily < 0 ? IsNT() : gFamily != 0; }

void SetSysInfoFamily(int ntFamily) { gFamily = ntFamily < 0 ? -1 : ntFamily != 0; }

bool TSysKey::Open(HKEY root, const std::string& path) {
  Close();
  if (!root) return false;
  HKEY h = nullptr;
  if (RegOpenKeyExA(SysRoot(root), path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  FKey = h;
  return true;
}

void TSysKey::Close() {
  if (FKey) RegCloseKey(FKey);
  FKey = nullptr;
}

std::vector<std::string> TSysKey::SubKeys() const { return EnumNames(FKey, false); }

std::vector<std::string> TSysKey::ValueNames() const { return EnumNames(FKey, true); }

bool TSysKey::HasSubKey(const std::string& name) const {
  if (!FKey || name.empty()) return false;
  HKEY h = nullptr;
  if (RegOpenKeyExA(FKey, name.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

bool TSysKey::HasValue(const std::string& name) const {
  return FKey &&
         RegQueryValueExA(FKey, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool TSysKey::ReadRaw(const std::string& name, std::vector<char>& data, DWORD* type) const {
  data.clear();
  if (!FKey) return false;
  DWORD t = REG_NONE, size = 0;
  if (RegQueryValueExA(FKey, name.c_str(), nullptr, &t, nullptr, &size) != ERROR_SUCCESS)
    return false;
  // The value may grow between the two calls: ask again with the size it reports.
  for (int attempt = 0; attempt < 4; ++attempt) {
    data.resize(size);
    DWORD got = size;
    const LONG r = RegQueryValueExA(FKey, name.c_str(), nullptr, &t,
                                    reinterpret_cast<BYTE*>(data.data()), &got);
    if (r == ERROR_MORE_DATA) {
      size = got > size ? got : size * 2 + 64;
      continue;
    }
    if (r != ERROR_SUCCESS) break;
    data.resize(std::min(got, size));
    if (type) *type = t;
    return true;
  }
  data.clear();
  return false;
}

bool TSysKey::ReadText(const std::string& name, std::string& text) const {
  std::vector<char> data;
  DWORD type = REG_NONE;
  if (!ReadRaw(name, data, &type) || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  text = TextToZero(data.data(), data.size());
  return true;
}

std::string TSysKey::Text(const std::string& name) const {
  std::string s;
  return ReadText(name, s) ? s : std::string();
}

bool TSysKey::ReadDword(const std::string& name, uint32_t& value) const {
  std::vector<char> data;
  DWORD type = REG_NONE;
  if (!ReadRaw(name, data, &type) || data.size() != 4 ||
      (type != REG_DWORD && type != REG_BINARY))
    return false;
  std::memcpy(&value, data.data(), 4);
  return true;
}

std::string SysClassKey() { return DeviceClassKey(SysInfoNT()); }

namespace {
TClassIndex ReadClassIndex(const TSysKey& classes) {
  TClassIndex index;
  for (const std::string& sub : classes.SubKeys())
    index.emplace_back(sub, TSysKey(classes, sub).Text("Class"));
  return index;
}
}  // namespace

std::vector<std::string> ClassLookup(const std::string& classKey, const std::string& className,
                                     const std::string& valueName) {
  std::vector<std::string> out;
  TSysKey classes(HKEY_LOCAL_MACHINE, classKey);
  if (!classes.IsOpen()) return out;
  TClassIndex own;
  const TClassIndex* index = &own;
  if (gSession) {
    auto [it, added] = gSession->ClassIndexes.try_emplace(classKey);
    if (added) it->second = ReadClassIndex(classes);
    index = &it->second;
  } else {
    own = ReadClassIndex(classes);
  }
  for (const auto& [sub, cls] : *index) {
    if (!SameText(cls, className)) continue;
    TSysKey searched;
    if (SysInfoNT()) {
      searched.Open(classes.Handle(), sub);
    } else {
      const std::string link = TSysKey(classes, sub).Text("Link");
      if (!link.empty()) searched.Open(classes.Handle(), link);
    }
    for (const std::string& instance : searched.SubKeys()) {
      std::string text;
      if (TSysKey(searched, instance).ReadText(valueName, text) &&
          std::find(out.begin(), out.end(), text) == out.end())
        out.push_back(text);
    }
    break;  // only the first class of that name
  }
  return out;
}

std::vector<std::string> ClassLookup(const std::string& className, const std::string& valueName) {
  return ClassLookup(SysClassKey(), className, valueName);
}

TGatherSession::TGatherSession() {
  if (gSessionDepth++ == 0) gSession = new TSessionData;
}

TGatherSession::~TGatherSession() {
  if (--gSessionDepth > 0) return;
  delete gSession;
  gSession = nullptr;
}

void ShareDevices(const TDevices& devices) {
  if (!gSession) return;
  if (!gSession->Devices) gSession->Devices = std::make_unique<TDevices>();
  gSession->Devices->Assign(devices);
}

void ReadDevices(TDevices& devices) {
  if (gSession && gSession->Devices)
    devices.Assign(*gSession->Devices);
  else
    devices.GetInfo();
}

TSysApi& SysApi() { return Api(); }

void ResetSysApi() { Api() = LookUp(); }
