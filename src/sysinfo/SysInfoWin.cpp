#include "sysinfo/SysInfoWin.h"
#include <algorithm>
#include <atomic>
#include <cstdio>
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
using TClassIndex = std::vector<std::pair<TRegName, std::string>>;

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

bool UseWide() {
  const TSysApi& a = SysApi();
  return SysInfoNT() && a.RegOpenKeyExW && a.RegEnumKeyExW && a.RegEnumValueW && a.RegQueryInfoKeyW &&
         a.RegQueryValueExW;
}

TRegName WideName(const wchar_t* w, size_t n) { return {AnsiText(w, n), std::wstring(w, n)}; }

// The names of a key's subkeys as stored, in the 8-bit or the wide functions. A too-small buffer
// grows and the same index is asked again, so that no name is skipped.
template <class C, class Info, class Enum>
std::vector<TRegName> EnumSubKeys(HKEY key, Info info, Enum enumerate) {
  std::vector<TRegName> names;
  DWORD maxKey = 0;
  info(key, nullptr, nullptr, nullptr, nullptr, &maxKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  std::vector<C> buf(StartSize(maxKey));
  for (DWORD i = 0; i < kMaxEntries;) {
    DWORD len = static_cast<DWORD>(buf.size());
    const LONG r = enumerate(key, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_MORE_DATA && buf.size() < kMaxName) {
      buf.resize(std::min<size_t>(buf.size() * 2, kMaxName));
      continue;
    }
    if (r == ERROR_MORE_DATA) {  // longer than any name can be: leave it
      ++i;
      continue;
    }
    if (r != ERROR_SUCCESS) break;
    names.push_back(StoredText(std::basic_string<C>(buf.data(), std::min<size_t>(len, buf.size()))));
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

std::wstring WidenAnsi(const std::string& s) {
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

// One value's type and data, at the size the system reports (it may grow between the calls);
// false when missing or larger than a key should hold. Wide: NT's own text, no conversion.
bool QueryValue(HKEY key, const std::string& name, bool wide, std::vector<BYTE>& data, DWORD& type) {
  data.clear();
  if (!key) return false;
  const std::wstring wname = wide ? WidenAnsi(name) : std::wstring();
  auto query = [&](BYTE* buf, DWORD* size) {
    return wide ? SysApi().RegQueryValueExW(key, wname.c_str(), nullptr, &type, buf, size)
                : RegQueryValueExA(key, name.c_str(), nullptr, &type, buf, size);
  };
  DWORD size = 0;
  if (query(nullptr, &size) != ERROR_SUCCESS) return false;
  for (int attempt = 0; attempt < 4 && size <= kMaxData; ++attempt) {
    data.resize(size);
    DWORD got = size;
    const LONG r = query(data.data(), &got);
    if (r == ERROR_MORE_DATA) {
      size = got > size ? got : size * 2 + 64;
      continue;
    }
    if (r != ERROR_SUCCESS) break;
    data.resize(std::min(got, size));
    return true;
  }
  data.clear();
  return false;
}

// A subkey by its wide name. A name holding a zero cannot be handed to RegOpenKeyExW, which
// would open the key named by its part before the zero: the kernel takes it with its length.
HKEY OpenWide(HKEY parent, const std::wstring& name, REGSAM access) {
  HKEY h = nullptr;
  if (name.find(L'\0') == std::wstring::npos) {
    if (SysApi().RegOpenKeyExW(parent, name.c_str(), 0, access, &h) != ERROR_SUCCESS) return nullptr;
    return h;
  }
  const auto open = SysApi().NtOpenKey;
  // A predefined root is no handle the kernel knows.
  const bool predefined = (reinterpret_cast<ULONG_PTR>(parent) & 0x80000000u) != 0;
  if (!open || predefined || name.size() > 32767) return nullptr;
  std::wstring copy = name;
  TCountedName counted{static_cast<USHORT>(copy.size() * sizeof(wchar_t)),
                       static_cast<USHORT>(copy.size() * sizeof(wchar_t)), copy.data()};
  constexpr ULONG kCaseInsensitive = 0x40;  // OBJ_CASE_INSENSITIVE, as the registry compares
  TObjectAttributes attributes{sizeof(TObjectAttributes), parent, &counted, kCaseInsensitive, nullptr, nullptr};
  HANDLE opened = nullptr;
  if (open(&opened, access, &attributes) != 0) return nullptr;
  return static_cast<HKEY>(opened);
}

// The key's full name in the registry as the kernel knows it; empty when it cannot tell.
std::wstring KernelKeyName(HKEY key) {
  const auto query = SysApi().NtQueryKey;
  if (!query || !key) return {};
  constexpr int kKeyNameInformation = 3;
  std::vector<BYTE> buf(1024);
  for (int attempt = 0; attempt < 4; ++attempt) {
    ULONG got = 0;
    const LONG status = query(key, kKeyNameInformation, buf.data(), static_cast<ULONG>(buf.size()), &got);
    if (status == 0) {
      ULONG length = 0;
      std::memcpy(&length, buf.data(), sizeof length);
      length = std::min<ULONG>(length, static_cast<ULONG>(buf.size() - sizeof length));
      return std::wstring(reinterpret_cast<const wchar_t*>(buf.data() + sizeof length), length / sizeof(wchar_t));
    }
    // STATUS_BUFFER_OVERFLOW, STATUS_BUFFER_TOO_SMALL: again with the size it asks for.
    if (status != static_cast<LONG>(0x80000005) && status != static_cast<LONG>(0xC0000023)) break;
    buf.resize(std::max<size_t>(buf.size() * 2, got + 16));
  }
  return {};
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
  Find(a.RegQueryValueExW, advapi, "RegQueryValueExW");
  Find(a.GetUserNameW, advapi, "GetUserNameW");
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  Find(a.NtOpenKey, ntdll, "NtOpenKey");
  Find(a.NtQueryKey, ntdll, "NtQueryKey");
  Find(a.GetFileAttributesW, kernel, "GetFileAttributesW");
  Find(a.GetShortPathNameW, kernel, "GetShortPathNameW");
  Find(a.SearchPathW, kernel, "SearchPathW");
  Find(a.ExpandEnvironmentStringsW, kernel, "ExpandEnvironmentStringsW");
  Find(a.GetEnvironmentStringsW, kernel, "GetEnvironmentStringsW");
  Find(a.FreeEnvironmentStringsW, kernel, "FreeEnvironmentStringsW");
  Find(a.GetComputerNameW, kernel, "GetComputerNameW");
  Find(a.Process32FirstW, kernel, "Process32FirstW");
  Find(a.Process32NextW, kernel, "Process32NextW");
  Find(a.QueryFullProcessImageNameW, kernel, "QueryFullProcessImageNameW");
  HMODULE shell = GetModuleHandleA("shell32.dll");
  Find(a.ShellExecuteExW, shell, "ShellExecuteExW");
  Find(a.SHGetPathFromIDListW, shell, "SHGetPathFromIDListW");
  Find(a.GetWindowsDirectoryW, kernel, "GetWindowsDirectoryW");
  Find(a.GetSystemDirectoryW, kernel, "GetSystemDirectoryW");
  Find(a.GetTempPathW, kernel, "GetTempPathW");
  Find(a.GetProfileStringW, kernel, "GetProfileStringW");
  Find(a.FindFirstFileW, kernel, "FindFirstFileW");
  Find(a.FindNextFileW, kernel, "FindNextFileW");
  Find(a.GetVolumeInformationW, kernel, "GetVolumeInformationW");
  // Kept loaded for the life of the process, like the system's own libraries.
  static const HMODULE psapi = LoadLibraryA("psapi.dll");
  Find(a.EnumProcesses, psapi, "EnumProcesses");
  Find(a.GetModuleFileNameExA, psapi, "GetModuleFileNameExA");
  Find(a.GetModuleFileNameExW, psapi, "GetModuleFileNameExW");
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

std::string AnsiText(const std::wstring& text) { return AnsiText(text.data(), text.size()); }

bool SysInfoWide() { return UseWide(); }

TRegName SysText(const std::string& ansi) {
  TRegName t{ansi, {}};
  if (UseWide()) t.Wide = WidenAnsi(ansi);
  return t;
}

TRegName SysText(const std::wstring& wide) {
  TRegName t{AnsiText(wide), {}};
  if (UseWide()) t.Wide = wide;
  return t;
}

TRegName StoredText(const std::string& text) { return {text, {}}; }
TRegName StoredText(const std::wstring& text) { return {AnsiText(text), text}; }

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
  if (!parent.FKey) return false;
  FKey.reset(OpenWide(parent.FKey.get(), sub.Wide, ViewAccess(parent.FView)));
  FView = parent.FView;
  return static_cast<bool>(FKey);
}

bool TSysKey::SameKey(const TSysKey& other) const {
  if (!FKey || !other.FKey) return false;
  const std::wstring mine = KernelKeyName(FKey.get());
  return !mine.empty() && mine == KernelKeyName(other.FKey.get());
}

void TSysKey::Close() { FKey.reset(); }

std::vector<TRegName> TSysKey::SubKeyNames() const {
  if (!FKey) return {};
  const TSysApi& a = SysApi();
  return UseWide() ? EnumSubKeys<wchar_t>(FKey.get(), a.RegQueryInfoKeyW, a.RegEnumKeyExW)
                   : EnumSubKeys<char>(FKey.get(), RegQueryInfoKeyA, RegEnumKeyExA);
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
  std::vector<BYTE> bytes;
  DWORD t = REG_NONE;
  data.clear();
  if (!QueryValue(FKey.get(), name, false, bytes, t)) return false;
  data.assign(bytes.begin(), bytes.end());
  if (type) *type = t;
  return true;
}

bool TSysKey::ReadStored(const std::string& name, TRegName& text) const {
  const bool wide = UseWide();
  std::vector<BYTE> data;
  DWORD type = REG_NONE;
  if (!QueryValue(FKey.get(), name, wide, data, type) || (type != REG_SZ && type != REG_EXPAND_SZ))
    return false;
  if (!wide) {
    text = {TextToZero(data.data(), data.size()), {}};
    return true;
  }
  const auto* w = reinterpret_cast<const wchar_t*>(data.data());
  const size_t chars = data.size() / sizeof(wchar_t);
  text.Wide.assign(w, std::find(w, w + chars, L'\0'));
  text.Text = AnsiText(text.Wide);
  return true;
}

bool TSysKey::ReadText(const std::string& name, std::string& text) const {
  TRegName stored;
  if (!ReadStored(name, stored)) return false;
  text = std::move(stored.Text);
  return true;
}

std::string TSysKey::Text(const std::string& name) const {
  std::string s;
  return ReadText(name, s) ? s : std::string();
}

bool TSysKey::ReadStrings(const std::string& name, std::vector<std::string>& strings) const {
  const bool wide = UseWide();
  std::vector<BYTE> data;
  DWORD type = REG_NONE;
  strings.clear();
  if (!QueryValue(FKey.get(), name, wide, data, type)) return false;
  const auto* bytes = reinterpret_cast<const char*>(data.data());
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ:
      if (wide) {
        for (const std::wstring& w : SplitStrings(reinterpret_cast<const wchar_t*>(data.data()),
                                                  data.size() / sizeof(wchar_t)))
          strings.push_back(AnsiText(w));
      } else {
        strings = SplitStrings(bytes, data.size());
      }
      if (type != REG_MULTI_SZ && strings.size() > 1) strings.resize(1);
      return true;
    case REG_BINARY:
    case REG_NONE:
      strings = SplitStrings(bytes, data.size());
      return true;
    default:
      return false;
  }
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
  for (TRegName& sub : classes.SubKeyNames()) {
    std::string cls = TSysKey(classes, sub).Text("Class");
    index.emplace_back(std::move(sub), std::move(cls));
  }
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
      searched.Open(classes, sub);
    } else {
      const std::string link = TSysKey(classes, sub).Text("Link");
      if (!link.empty()) searched.Open(classes, link);
    }
    for (const TRegName& instance : searched.SubKeyNames()) {
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

namespace {
bool IsBareName(const std::wstring& w, const std::string& a) {
  return w.empty() ? a.find_first_of("\\/:") == std::string::npos
                   : w.find_first_of(L"\\/:") == std::wstring::npos;
}

// Found where the loader looks for a library (the program's folder, the system's folders, the
// path).
template <class C, class F>
bool SearchFileOf(F search, const std::basic_string<C>& name, TRegName& found) {
  std::vector<C> buf(MAX_PATH + 1);
  for (int attempt = 0; search && attempt < 3; ++attempt) {
    const DWORD n = search(nullptr, name.c_str(), nullptr, static_cast<DWORD>(buf.size()), buf.data(), nullptr);
    if (n == 0) return false;
    if (n < buf.size()) {
      found = StoredText(std::basic_string<C>(buf.data(), n));
      return true;
    }
    buf.resize(n + 1);  // the size it needs
  }
  return false;
}

bool SearchFile(const TRegName& name, TRegName& found) {
  return name.Wide.empty() ? SearchFileOf<char>(SearchPathA, name.Text, found)
                           : SearchFileOf<wchar_t>(SysApi().SearchPathW, name.Wide, found);
}

bool PassesPathRule(const TRegName& path) {
  return path.Wide.empty() ? IsDiskFilePath(path.Text) : IsDiskFilePath(path.Wide);
}

DWORD Attributes(const TRegName& path) {
  const auto get = SysApi().GetFileAttributesW;
  if (!path.Wide.empty() && get) return get(LongPathForm(path.Wide).c_str());
  return GetFileAttributesA(path.Text.c_str());
}

// A path from outside in the form the file functions of this system take.
TRegName FileForm(const TRegName& path) {
  if (path.Wide.empty() || SysApi().GetFileAttributesW) return path;
  return {path.Text, {}};
}
}  // namespace

bool DiskFileToRead(const TRegName& stored, TRegName& file) {
  const TRegName path = FileForm(stored);
  if (!PassesPathRule(path)) return false;
  file = path;
  if (IsBareName(path.Wide, path.Text) && (!SearchFile(path, file) || !PassesPathRule(file))) return false;
  // Links and junctions could lead anywhere, a device too; an offline file would be fetched.
  constexpr DWORD kRecallOnOpen = 0x40000, kRecallOnDataAccess = 0x400000;
  constexpr DWORD kNoRegularFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_OFFLINE |
                                   FILE_ATTRIBUTE_REPARSE_POINT | kRecallOnOpen | kRecallOnDataAccess;
  const DWORD attributes = Attributes(file);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & kNoRegularFile);
}

bool IsDiskFile(const TRegName& path) {
  TRegName file;
  return !IsBareName(path.Wide, path.Text) && DiskFileToRead(path, file);
}

bool IsDiskFolder(const TRegName& stored) {
  const TRegName path = FileForm(stored);
  if (!PassesPathRule(path) || IsBareName(path.Wide, path.Text)) return false;
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & (FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_OFFLINE));
}

namespace {
template <class C, class F>
TRegName ProfileTextOf(F get, const std::basic_string<C>& section, const std::basic_string<C>& key) {
  for (DWORD size = 4096; size <= (1u << 24); size *= 4) {
    std::vector<C> buf(size);
    const C none[] = {0};
    const DWORD n = get(section.c_str(), key.c_str(), none, buf.data(), size);
    if (n + 1 < size) return StoredText(std::basic_string<C>(buf.data(), n));
  }
  return {};
}
}  // namespace

TRegName ProfileText(const char* section, const char* key) {
  const auto wide = SysApi().GetProfileStringW;
  if (UseWide() && wide) return ProfileTextOf<wchar_t>(wide, WidenAnsi(section), WidenAnsi(key));
  return ProfileTextOf<char>(GetProfileStringA, std::string(section), std::string(key));
}

namespace {
std::string GuidText(REFGUID g) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2],
                g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return buf;
}

bool ParseGuid(const std::string& text, GUID& g) {
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
  unsigned char bytes[16];
  size_t at = 1;
  for (unsigned char& b : bytes) {
    if (text[at] == '-') ++at;
    auto hex = [](char c) {
      return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    };
    const int hi = hex(text[at]), lo = hex(text[at + 1]);
    if (hi < 0 || lo < 0) return false;
    b = static_cast<unsigned char>(hi * 16 + lo);
    at += 2;
  }
  g.Data1 = (static_cast<unsigned long>(bytes[0]) << 24) | (bytes[1] << 16) | (bytes[2] << 8) | bytes[3];
  g.Data2 = static_cast<unsigned short>((bytes[4] << 8) | bytes[5]);
  g.Data3 = static_cast<unsigned short>((bytes[6] << 8) | bytes[7]);
  std::memcpy(g.Data4, bytes + 8, 8);
  return at == 37;
}

// The server as the system would load it: quotes around it go, environment variables are
// expanded.
TRegName ServerFile(TRegName path) {
  auto unquote = [](auto& s) {
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
  };
  unquote(path.Text);
  unquote(path.Wide);
  const auto expandW = SysApi().ExpandEnvironmentStringsW;
  if (!path.Wide.empty() && expandW && path.Wide.find(L'%') != std::wstring::npos) {
    std::vector<wchar_t> buf(32768);
    const DWORD n = expandW(path.Wide.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
    if (n > 0 && n <= buf.size()) path = {AnsiText(buf.data(), n - 1), std::wstring(buf.data(), n - 1)};
  } else if (path.Wide.empty() && path.Text.find('%') != std::string::npos) {
    std::vector<char> buf(32768);
    const DWORD n = ExpandEnvironmentStringsA(path.Text.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
    if (n > 0 && n <= buf.size()) path.Text.assign(buf.data(), n - 1);
  }
  return path;
}
}  // namespace

bool InProcServerIsDiskFile(REFCLSID clsid) {
  GUID current = clsid;
  // A class may be treated as another; a chain that does not end is no class.
  for (int hop = 0; hop < 8; ++hop) {
    bool served = false;
    std::string treatAs;
    // Where the object system itself looks: the classes root (the user's and the machine's
    // classes merged), not the roots the categories read, which tests replace.
    const TSysKey cls(HKEY_CLASSES_ROOT, "CLSID\\" + GuidText(current));
    const TSysKey server(cls, std::string("InprocServer32"));
    TRegName path, file;
    if (server.IsOpen() && server.ReadStored("", path)) {
      if (!DiskFileToRead(ServerFile(path), file)) return false;
      served = true;
    }
    // A server of the .NET runtime loads the assembly its code base names: a file of the disk
    // only, never one to fetch.
    TRegName codeBase;
    if (server.IsOpen() && server.ReadStored("CodeBase", codeBase)) {
      constexpr size_t kScheme = 8;  // "file:///"
      if (_strnicmp(codeBase.Text.c_str(), "file:///", kScheme) != 0) return false;
      codeBase.Text.erase(0, kScheme);
      if (codeBase.Wide.size() >= kScheme) codeBase.Wide.erase(0, kScheme);
      if (!DiskFileToRead(codeBase, file)) return false;
    }
    TSysKey(cls, std::string("TreatAs")).ReadText("", treatAs);
    GUID next;
    if (treatAs.empty() || !ParseGuid(treatAs, next) || IsEqualGUID(next, current)) return served;
    current = next;
  }
  return false;
}

HRESULT CreateInProcess(REFCLSID clsid, REFIID iid, void** object) {
  *object = nullptr;
  if (!InProcServerIsDiskFile(clsid)) return E_ACCESSDENIED;
  return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object);
}

struct TBoundedWork::TJob {
  std::function<void()> Work;
  std::atomic<long> Owners{2};  // the thread and the one waiting for it
  std::atomic<bool> Finished{false};
};

namespace {
void Leave(TBoundedWork::TJob* job) {
  if (job && --job->Owners == 0) delete job;
}

DWORD WINAPI RunJob(void* p) {
  auto* job = static_cast<TBoundedWork::TJob*>(p);
  try {
    job->Work();
    job->Finished = true;
  } catch (...) {
    // What it made is dropped; the gathering goes on without it.
  }
  Leave(job);
  return 0;
}
}  // namespace

TBoundedWork::TBoundedWork(std::function<void()> work) : FJob(new TJob{std::move(work)}) {
  DWORD id = 0;
  FThread.reset(CreateThread(nullptr, 0, RunJob, FJob, 0, &id));
  if (!FThread) {
    delete FJob;
    FJob = nullptr;
  }
}

TBoundedWork::~TBoundedWork() { Leave(FJob); }

bool TBoundedWork::Wait(unsigned timeoutMs) {
  // The thread's end, not a signal of its own: once it has ended it holds nothing any more.
  return FJob && WaitForSingleObject(FThread.get(), timeoutMs) == WAIT_OBJECT_0 && FJob->Finished;
}

bool RunBounded(unsigned timeoutMs, std::function<void()> work) {
  TBoundedWork w(std::move(work));
  return w.Wait(timeoutMs);
}

std::vector<TViewKey> OpenMachineViews(const std::string& path) {
  std::vector<TViewKey> keys;
  for (TRegView view : MachineViews()) {
    auto key = std::make_unique<TSysKey>(HKEY_LOCAL_MACHINE, path, view);
    if (!key->IsOpen()) continue;
    bool seen = false;
    for (const TViewKey& earlier : keys) seen = seen || key->SameKey(*earlier.Key);
    if (!seen) keys.push_back({view, std::move(key)});
  }
  return keys;
}

std::string ShownFor32BitView(const std::string& name, const std::vector<std::string>& shown64) {
  return std::find(shown64.begin(), shown64.end(), name) == shown64.end() ? name : name + k32BitMark;
}

TSysApi& SysApi() { return Api(); }

void ResetSysApi() { Api() = LookUp(); }
