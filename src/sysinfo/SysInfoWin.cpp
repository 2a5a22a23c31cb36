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
HKEY gView64 = nullptr;
HKEY gView32 = nullptr;
int gFamily = -1;

// Not declared for the systems the program is built for.
constexpr REGSAM kWow64Key64 = 0x0100, kWow64Key32 = 0x0200;
constexpr DWORD kNoBestFitChars = 0x400;  // WC_NO_BEST_FIT_CHARS, Windows 2000 on

REGSAM ViewAccess(TRegView view) {
  return KEY_READ | (view == rv64 ? kWow64Key64 : view == rv32 ? kWow64Key32 : 0);
}

// Value names go up to 16,383 characters, key names to 255; a buffer never grows past this.
constexpr DWORD kMaxName = 32768;
// More entries than a key can sensibly hold: a key that keeps answering is broken.
constexpr DWORD kMaxEntries = 100000;
// Data above this is not read (its entry is still listed).
constexpr DWORD kMaxData = 16u << 20;

DWORD StartSize(DWORD reported) {
  return std::min(kMaxName, std::max<DWORD>(reported + 1, 256));
}

// The names of a key's subkeys or values in the ANSI functions. A too-small buffer grows and
// the same index is asked again, so that no name is skipped.
std::vector<std::string> EnumNames(HKEY key, bool values) {
  std::vector<std::string> names;
  if (!key) return names;
  DWORD maxKey = 0, maxValue = 0;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &maxKey, nullptr, nullptr, &maxValue,
                   nullptr, nullptr, nullptr);
  std::vector<char> buf(StartSize(values ? maxValue : maxKey));
  for (DWORD i = 0; i < kMaxEntries;) {
    DWORD len = static_cast<DWORD>(buf.size());
    const LONG r = values ? RegEnumValueA(key, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr)
                          : RegEnumKeyExA(key, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_MORE_DATA && buf.size() < kMaxName) {
      buf.resize(std::min<size_t>(buf.size() * 2, kMaxName));
      continue;
    }
    if (r == ERROR_MORE_DATA) {  // longer than any name can be: leave it
      ++i;
      continue;
    }
    if (r != ERROR_SUCCESS) break;
    names.emplace_back(buf.data(), std::min<size_t>(len, buf.size()));
    ++i;
  }
  return names;
}

bool UseWide() {
  const TSysApi& a = SysApi();
  return SysInfoNT() && a.RegOpenKeyExW && a.RegEnumKeyExW && a.RegEnumValueW && a.RegQueryInfoKeyW;
}

TRegName WideName(const wchar_t* w, size_t n) { return {AnsiText(w, n), std::wstring(w, n)}; }

std::vector<TRegName> EnumSubKeysWide(HKEY key) {
  const TSysApi& a = SysApi();
  std::vector<TRegName> names;
  DWORD maxKey = 0;
  a.RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &maxKey, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr);
  std::vector<wchar_t> buf(StartSize(maxKey));
  for (DWORD i = 0; i < kMaxEntries;) {
    DWORD len = static_cast<DWORD>(buf.size());
    const LONG r = a.RegEnumKeyExW(key, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_MORE_DATA && buf.size() < kMaxName) {
      buf.resize(std::min<size_t>(buf.size() * 2, kMaxName));
      continue;
    }
    if (r == ERROR_MORE_DATA) {
      ++i;
      continue;
    }
    if (r != ERROR_SUCCESS) break;
    names.push_back(WideName(buf.data(), std::min<size_t>(len, buf.size())));
    ++i;
  }
  return names;
}

std::string TextOfData(const std::vector<BYTE>& data, DWORD size, DWORD type, bool wide) {
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  size = std::min<DWORD>(size, static_cast<DWORD>(data.size()));
  if (!wide) return TextToZero(reinterpret_cast<const char*>(data.data()), size);
  const auto* w = reinterpret_cast<const wchar_t*>(data.data());
  const size_t chars = size / sizeof(wchar_t);
  return AnsiText(w, std::find(w, w + chars, L'\0') - w);
}

// Name, type and data of every value, by index. Whichever buffer was short grows: the data to
// the size the system reports, the name up to the longest a name can be.
std::vector<TRegValue> EnumValues(HKEY key, bool wide) {
  const TSysApi& a = SysApi();
  std::vector<TRegValue> values;
  if (!key) return values;
  DWORD maxName = 0, maxData = 0;
  if (wide)
    a.RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       &maxName, &maxData, nullptr, nullptr);
  else
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     &maxName, &maxData, nullptr, nullptr);
  std::vector<wchar_t> wname(wide ? StartSize(maxName) : 0);
  std::vector<char> name(wide ? 0 : StartSize(maxName));
  std::vector<BYTE> data(std::min(kMaxData, std::max<DWORD>(maxData + 2, 256)));
  auto nameSize = [&] { return wide ? wname.size() : name.size(); };
  for (DWORD i = 0; i < kMaxEntries;) {
    DWORD len = static_cast<DWORD>(nameSize()), size = static_cast<DWORD>(data.size());
    DWORD type = REG_NONE;
    const LONG r = wide ? a.RegEnumValueW(key, i, wname.data(), &len, nullptr, &type, data.data(), &size)
                        : RegEnumValueA(key, i, name.data(), &len, nullptr, &type, data.data(), &size);
    if (r == ERROR_MORE_DATA) {
      if (size > data.size() && size <= kMaxData) {
        data.resize(size + 2);
        continue;
      }
      if (size <= data.size() && nameSize() < kMaxName) {
        const size_t grown = std::min<size_t>(nameSize() * 2, kMaxName);
        wide ? wname.resize(grown) : name.resize(grown);
        continue;
      }
      // Data too large to read, or a name longer than any: the name alone, when it comes.
      len = static_cast<DWORD>(nameSize());
      const LONG again = wide ? a.RegEnumValueW(key, i, wname.data(), &len, nullptr, &type, nullptr, nullptr)
                              : RegEnumValueA(key, i, name.data(), &len, nullptr, &type, nullptr, nullptr);
      if (again == ERROR_SUCCESS) {
        TRegValue v;
        v.Name = wide ? WideName(wname.data(), std::min<size_t>(len, wname.size()))
                      : TRegName{std::string(name.data(), std::min<size_t>(len, name.size())), {}};
        v.Type = type;
        values.push_back(std::move(v));
      }
      ++i;
      continue;
    }
    if (r != ERROR_SUCCESS) break;
    TRegValue v;
    v.Name = wide ? WideName(wname.data(), std::min<size_t>(len, wname.size()))
                  : TRegName{std::string(name.data(), std::min<size_t>(len, name.size())), {}};
    v.Type = type;
    v.Text = TextOfData(data, size, type, wide);
    values.push_back(std::move(v));
    ++i;
  }
  return values;
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
  Find(a.IsWow64Process, kernel, "IsWow64Process");
  Find(a.QueryFullProcessImageNameA, kernel, "QueryFullProcessImageNameA");
  HMODULE advapi = GetModuleHandleA("advapi32.dll");
  Find(a.RegOpenKeyExW, advapi, "RegOpenKeyExW");
  Find(a.RegEnumKeyExW, advapi, "RegEnumKeyExW");
  Find(a.RegEnumValueW, advapi, "RegEnumValueW");
  Find(a.RegQueryInfoKeyW, advapi, "RegQueryInfoKeyW");
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

std::string AnsiText(const wchar_t* text, size_t length) {
  if (!text || length == 0) return {};
  const int n = static_cast<int>(std::min<size_t>(length, 1u << 24));
  for (DWORD flags : {kNoBestFitChars, DWORD{0}}) {  // NT 4.0 and 95 refuse the flag
    const int size = WideCharToMultiByte(CP_ACP, flags, text, n, nullptr, 0, nullptr, nullptr);
    if (size <= 0) continue;
    std::string out(static_cast<size_t>(size), '\0');
    if (WideCharToMultiByte(CP_ACP, flags, text, n, out.data(), size, nullptr, nullptr) == size)
      return out;
  }
  return std::string(static_cast<size_t>(n), '?');
}

std::vector<TRegView> MachineViews() {
  if (!SysInfoNT()) return {rvDefault};
  const auto isWow64 = SysApi().IsWow64Process;
  BOOL wow64 = FALSE;
  if (isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64) return {rv64, rv32};
  return {rvDefault};
}

void SetSysInfoViewRoots(HKEY view64, HKEY view32) {
  gView64 = view64;
  gView32 = view32;
}

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

bool TSysKey::Open(HKEY root, const std::string& path, TRegView view) {
  Close();
  if (!root) return false;
  HKEY base = SysRoot(root);
  if (root == HKEY_LOCAL_MACHINE && view == rv64 && gView64) base = gView64;
  if (root == HKEY_LOCAL_MACHINE && view == rv32 && gView32) base = gView32;
  HKEY h = nullptr;
  if (RegOpenKeyExA(base, path.c_str(), 0, ViewAccess(view), &h) != ERROR_SUCCESS) return false;
  FKey.reset(h);
  FView = view;
  return true;
}

bool TSysKey::Open(const TSysKey& parent, const std::string& sub) {
  Close();
  HKEY h = nullptr;
  if (!parent.FKey ||
      RegOpenKeyExA(parent.FKey.get(), sub.c_str(), 0, ViewAccess(parent.FView), &h) != ERROR_SUCCESS)
    return false;
  FKey.reset(h);
  FView = parent.FView;
  return true;
}

bool TSysKey::Open(const TSysKey& parent, const TRegName& sub) {
  if (sub.Wide.empty() || !UseWide()) return Open(parent, sub.Text);
  Close();
  HKEY h = nullptr;
  if (!parent.FKey || SysApi().RegOpenKeyExW(parent.FKey.get(), sub.Wide.c_str(), 0,
                                             ViewAccess(parent.FView), &h) != ERROR_SUCCESS)
    return false;
  FKey.reset(h);
  FView = parent.FView;
  return true;
}

void TSysKey::Close() { FKey.reset(); }

std::vector<std::string> TSysKey::SubKeys() const { return EnumNames(FKey.get(), false); }

std::vector<std::string> TSysKey::ValueNames() const { return EnumNames(FKey.get(), true); }

std::vector<TRegName> TSysKey::SubKeyNames() const {
  if (!FKey) return {};
  if (UseWide()) return EnumSubKeysWide(FKey.get());
  std::vector<TRegName> names;
  for (std::string& n : EnumNames(FKey.get(), false)) names.push_back({std::move(n), {}});
  return names;
}

std::vector<TRegValue> TSysKey::Values() const { return EnumValues(FKey.get(), UseWide()); }

bool TSysKey::HasSubKey(const std::string& name) const {
  if (!FKey || name.empty()) return false;
  HKEY h = nullptr;
  if (RegOpenKeyExA(FKey.get(), name.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

bool TSysKey::HasValue(const std::string& name) const {
  return FKey &&
         RegQueryValueExA(FKey.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool TSysKey::ReadRaw(const std::string& name, std::vector<char>& data, DWORD* type) const {
  data.clear();
  if (!FKey) return false;
  DWORD t = REG_NONE, size = 0;
  if (RegQueryValueExA(FKey.get(), name.c_str(), nullptr, &t, nullptr, &size) != ERROR_SUCCESS)
    return false;
  // The value may grow between the two calls: ask again with the size it reports.
  for (int attempt = 0; attempt < 4; ++attempt) {
    data.resize(size);
    DWORD got = size;
    const LONG r = RegQueryValueExA(FKey.get(), name.c_str(), nullptr, &t,
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
