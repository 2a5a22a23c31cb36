#include "framework/Registry.h"
#include <algorithm>
#include <vector>
#include "framework/Exception.h"

namespace {

[[noreturn]] void ReadError(const std::string& name) {
  throw Exception(Format("Failed to get data for '%s'", name.c_str()));
}
[[noreturn]] void TypeError(const std::string& name) {
  throw Exception(Format("Invalid data type for '%s'", name.c_str()));
}
[[noreturn]] void WriteError(const std::string& name) {
  throw Exception(Format("Failed to set data for '%s'", name.c_str()));
}

void TrimBackslashes(std::string& s) {
  size_t b = s.find_first_not_of('\\');
  if (b == std::string::npos) {
    s.clear();
    return;
  }
  s.erase(0, b);
  s.erase(s.find_last_not_of('\\') + 1);
}

// Enumerates names with RegEnumKeyExA or RegEnumValueA. Stops at the first error other than a
// too-small buffer, so a key that misbehaves cannot keep us looping.
template <class Enum>
void EnumNames(HKEY key, DWORD maxLen, TStrings& out, Enum enumOne) {
  std::vector<char> buf(std::max<DWORD>(maxLen + 1, 256));
  for (DWORD i = 0;;) {
    DWORD len = static_cast<DWORD>(buf.size());
    LONG r = enumOne(key, i, buf.data(), &len);
    if (r == ERROR_MORE_DATA && buf.size() < 65536) {
      buf.resize(buf.size() * 2);
      continue;
    }
    if (r != ERROR_SUCCESS) break;
    out.Add(std::string(buf.data(), std::min<size_t>(len, buf.size())));
    ++i;
  }
}

LONG EnumKey(HKEY k, DWORD i, char* buf, DWORD* len) {
  return RegEnumKeyExA(k, i, buf, len, nullptr, nullptr, nullptr, nullptr);
}
LONG EnumValue(HKEY k, DWORD i, char* buf, DWORD* len) {
  return RegEnumValueA(k, i, buf, len, nullptr, nullptr, nullptr, nullptr);
}

// NT's RegDeleteKey refuses a key that still has subkeys, so clear the subtree bottom-up.
// The names are collected before deleting: an entry that cannot be deleted is then skipped once
// instead of being met again at the same index forever.
bool DeleteTree(HKEY parent, const std::string& sub, int depth) {
  HKEY opened = nullptr;
  if (depth < 512 && RegOpenKeyExA(parent, sub.c_str(), 0, KEY_READ, &opened) == ERROR_SUCCESS) {
    RegKeyHandle h(opened);
    TStringList names;
    DWORD maxLen = 0;
    RegQueryInfoKeyA(h.get(), nullptr, nullptr, nullptr, nullptr, &maxLen, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr);
    EnumNames(h.get(), maxLen, names, EnumKey);
    for (int i = 0; i < names.Count(); ++i) DeleteTree(h.get(), names[i], depth + 1);
  }
  return RegDeleteKeyA(parent, sub.c_str()) == ERROR_SUCCESS;
}

}  // namespace

TRegistry::TRegistry(REGSAM access) : FAccess(access) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY value) {
  if (value == FRootKey) return;
  CloseKey();
  FRootKey = value;
}

HKEY TRegistry::BaseKey(const std::string& key, std::string& rel, std::string& fullPath) const {
  bool absolute = !key.empty() && key[0] == '\\';
  rel = key;
  TrimBackslashes(rel);
  if (absolute || !FCurrentKey) {
    fullPath = rel;
    return FRootKey;
  }
  if (FCurrentPath.empty())
    fullPath = rel;
  else if (rel.empty())
    fullPath = FCurrentPath;
  else
    fullPath = FCurrentPath + "\\" + rel;
  return FCurrentKey.get();
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  std::string rel, full;
  HKEY base = BaseKey(key, rel, full);
  HKEY h = nullptr;
  LONG r;
  if (canCreate && !rel.empty()) {
    DWORD disposition = 0;
    r = RegCreateKeyExA(base, rel.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, FAccess, nullptr,
                        &h, &disposition);
  } else {
    r = RegOpenKeyExA(base, rel.c_str(), 0, FAccess, &h);
  }
  if (r != ERROR_SUCCESS) return false;
  CloseKey();
  FCurrentKey.reset(h);
  FCurrentPath = full;
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
  REGSAM saved = FAccess;
  FAccess = KEY_READ;
  bool ok = OpenKey(key, false);
  FAccess = saved;
  return ok;
}

void TRegistry::CloseKey() {
  FCurrentKey.reset();
  FCurrentPath.clear();
}

bool TRegistry::KeyExists(const std::string& key) {
  std::string rel, full;
  HKEY base = BaseKey(key, rel, full);
  HKEY h = nullptr;
  LONG r = RegOpenKeyExA(base, rel.c_str(), 0, KEY_READ, &h);
  if (r == ERROR_SUCCESS) RegCloseKey(h);
  // A key we may not read still exists.
  return r == ERROR_SUCCESS || r == ERROR_ACCESS_DENIED;
}

bool TRegistry::GetDataInfo(const std::string& name, DWORD& type, DWORD& size) {
  if (!FCurrentKey) return false;
  DWORD t = REG_NONE, s = 0;
  if (RegQueryValueExA(FCurrentKey.get(), name.c_str(), nullptr, &t, nullptr, &s) != ERROR_SUCCESS)
    return false;
  type = t;
  size = s;
  return true;
}

bool TRegistry::ValueExists(const std::string& name) {
  DWORD type, size;
  return GetDataInfo(name, type, size);
}

int TRegistry::GetDataSize(const std::string& name) {
  DWORD type, size;
  return GetDataInfo(name, type, size) ? static_cast<int>(size) : -1;
}

TRegDataType TRegistry::GetDataType(const std::string& name) {
  DWORD type, size;
  if (!GetDataInfo(name, type, size)) return TRegDataType::rdUnknown;
  switch (type) {
    case REG_SZ: return TRegDataType::rdString;
    case REG_EXPAND_SZ: return TRegDataType::rdExpandString;
    case REG_DWORD: return TRegDataType::rdInteger;
    case REG_BINARY: return TRegDataType::rdBinary;
    default: return TRegDataType::rdUnknown;
  }
}

std::string TRegistry::ReadString(const std::string& name) {
  DWORD type = REG_NONE, size = 0;
  if (!GetDataInfo(name, type, size)) return "";
  // The value may change between the size query and the read: retry a few times when it grew.
  for (int attempt = 0; attempt < 4; ++attempt) {
    if (type != REG_SZ && type != REG_EXPAND_SZ) TypeError(name);
    // One spare zero byte: stored text need not carry its terminator.
    std::vector<char> buf(size + 1, '\0');
    DWORD got = size;
    LONG r = RegQueryValueExA(FCurrentKey.get(), name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(buf.data()), &got);
    if (r == ERROR_MORE_DATA) {
      size = got > size ? got : size * 2 + 16;
      continue;
    }
    if (r == ERROR_FILE_NOT_FOUND) return "";
    if (r != ERROR_SUCCESS) ReadError(name);
    if (type != REG_SZ && type != REG_EXPAND_SZ) TypeError(name);
    got = std::min(got, size);
    // Text ends at the first NUL, wherever it is.
    return std::string(buf.data(), std::find(buf.data(), buf.data() + got, '\0'));
  }
  ReadError(name);
}

int TRegistry::ReadInteger(const std::string& name) {
  if (!FCurrentKey) ReadError(name);
  DWORD type = REG_NONE, value = 0, got = sizeof value;
  LONG r = RegQueryValueExA(FCurrentKey.get(), name.c_str(), nullptr, &type,
                            reinterpret_cast<BYTE*>(&value), &got);
  // Larger than four bytes: a string, binary data, or a malformed integer.
  if (r == ERROR_MORE_DATA) TypeError(name);
  if (r != ERROR_SUCCESS) ReadError(name);
  if (type != REG_DWORD || got != sizeof value) TypeError(name);
  return static_cast<int>(value);
}

int TRegistry::ReadBinaryData(const std::string& name, void* buffer, int bufSize) {
  DWORD type = REG_NONE, size = 0;
  if (!GetDataInfo(name, type, size)) return 0;
  DWORD cap = bufSize > 0 ? static_cast<DWORD>(bufSize) : 0;
  if ((type != REG_BINARY && type != REG_NONE) || size > cap) TypeError(name);
  if (size == 0) return 0;
  if (!buffer) ReadError(name);
  DWORD got = cap;
  LONG r = RegQueryValueExA(FCurrentKey.get(), name.c_str(), nullptr, &type,
                            static_cast<BYTE*>(buffer), &got);
  if (r == ERROR_MORE_DATA) TypeError(name);  // grew past the buffer meanwhile
  if (r != ERROR_SUCCESS) ReadError(name);
  if (type != REG_BINARY && type != REG_NONE) TypeError(name);
  return static_cast<int>(got);
}

void TRegistry::PutData(const std::string& name, DWORD type, const void* data, DWORD size) {
  if (!FCurrentKey) WriteError(name);
  if (RegSetValueExA(FCurrentKey.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size) !=
      ERROR_SUCCESS)
    WriteError(name);
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  PutData(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
  PutData(name, REG_EXPAND_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void TRegistry::WriteInteger(const std::string& name, int value) {
  DWORD v = static_cast<DWORD>(value);
  PutData(name, REG_DWORD, &v, sizeof v);
}

void TRegistry::WriteBinaryData(const std::string& name, const void* buffer, int bufSize) {
  if (bufSize < 0 || (bufSize > 0 && !buffer)) WriteError(name);
  static const BYTE empty = 0;
  PutData(name, REG_BINARY, bufSize ? buffer : &empty, static_cast<DWORD>(bufSize));
}

void TRegistry::GetKeyNames(TStrings& strings) {
  strings.Clear();
  if (!FCurrentKey) return;
  DWORD maxLen = 0;
  RegQueryInfoKeyA(FCurrentKey.get(), nullptr, nullptr, nullptr, nullptr, &maxLen, nullptr, nullptr,
                   nullptr, nullptr, nullptr, nullptr);
  EnumNames(FCurrentKey.get(), maxLen, strings, EnumKey);
}

void TRegistry::GetValueNames(TStrings& strings) {
  strings.Clear();
  if (!FCurrentKey) return;
  DWORD maxLen = 0;
  RegQueryInfoKeyA(FCurrentKey.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                   &maxLen, nullptr, nullptr, nullptr);
  EnumNames(FCurrentKey.get(), maxLen, strings, EnumValue);
}

bool TRegistry::DeleteValue(const std::string& name) {
  return FCurrentKey && RegDeleteValueA(FCurrentKey.get(), name.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::DeleteKey(const std::string& key) {
  std::string rel, full;
  HKEY base = BaseKey(key, rel, full);
  // An empty path names the root or the open key: never wipe a whole hive by accident.
  if (rel.empty()) return false;
  return DeleteTree(base, rel, 0);
}
