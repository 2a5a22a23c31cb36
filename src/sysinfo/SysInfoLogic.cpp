#include "sysinfo/SysInfoLogic.h"
#include <cstdint>
#include <cstring>
#include <type_traits>

std::string TextToZero(const void* data, size_t size) {
  if (!data || size == 0) return {};
  const char* p = static_cast<const char*>(data);
  const void* zero = std::memchr(p, 0, size);
  return std::string(p, zero ? static_cast<const char*>(zero) - p : size);
}

std::string SqueezeZeros(const void* data, size_t size) {
  std::string out;
  if (!data) return out;
  const char* p = static_cast<const char*>(data);
  for (size_t i = 0; i < size; ++i) {
    if (p[i] != 0) {
      out += p[i];
      continue;
    }
    if (i + 1 < size && p[i + 1] == 0) break;
  }
  return out;
}

std::wstring Utf16ToZero(const void* data, size_t bytes) {
  std::wstring out;
  if (!data) return out;
  const auto* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i + 1 < bytes; i += 2) {
    const wchar_t c = static_cast<wchar_t>(p[i] | (p[i + 1] << 8));
    if (c == 0) break;
    out += c;
  }
  return out;
}

std::string Concatenated(const std::vector<std::string>& strings) {
  std::string all;
  for (const std::string& s : strings) all += s;
  return all;
}

template <class C>
std::vector<std::basic_string<C>> SplitStrings(const C* data, size_t count) {
  std::vector<std::basic_string<C>> out;
  if (!data) return out;
  size_t start = 0;
  for (size_t i = 0; i < count; ++i) {
    if (data[i] != 0) continue;
    if (i == start) return out;
    out.emplace_back(data + start, i - start);
    start = i + 1;
  }
  if (start < count) out.emplace_back(data + start, count - start);
  return out;
}
template std::vector<std::string> SplitStrings(const char*, size_t);
template std::vector<std::wstring> SplitStrings(const wchar_t*, size_t);

namespace {
template <class C>
C Upper(C c) {
  return c >= 'a' && c <= 'z' ? static_cast<C>(c - 'a' + 'A') : c;
}

template <class C>
bool StartsWithNoCase(std::basic_string_view<C> s, const char* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i)
    if (i >= s.size() || Upper(s[i]) != static_cast<C>(prefix[i])) return false;
  return true;
}

template <class C>
bool EqualsNoCase(std::basic_string_view<C> s, const char* word) {
  return s.size() == std::strlen(word) && StartsWithNoCase(s, word);
}

template <class C>
bool IsLetter(C c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// What the system takes a part of a path for: up to its first "." (the extension goes), without
// trailing blanks, compared with the reserved names.
template <class C>
bool IsDeviceName(std::basic_string_view<C> part) {
  std::basic_string_view<C> base = part.substr(0, part.find(static_cast<C>('.')));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  for (const char* name : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"})
    if (EqualsNoCase(base, name)) return true;
  if (base.size() != 4 || !(StartsWithNoCase(base, "COM") || StartsWithNoCase(base, "LPT"))) return false;
  // The digits and the superscripts one, two and three (the same code in Latin-1 and UTF-16).
  const auto digit = static_cast<uint32_t>(static_cast<std::make_unsigned_t<C>>(base[3]));
  return (digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

template <class C>
bool DiskFilePath(std::basic_string_view<C> in) {
  if (in.empty() || in.size() > 32767) return false;
  std::basic_string<C> path(in);
  for (C& c : path)
    if (c == '/') c = '\\';  // the system reads "//./COM1" as "\\.\COM1"
  std::basic_string_view<C> rest(path);
  bool unc = false;
  if (StartsWithNoCase(rest, "\\\\?\\")) {
    rest.remove_prefix(4);
    if (StartsWithNoCase(rest, "UNC\\")) {
      rest.remove_prefix(4);
      unc = true;
    } else if (!(rest.size() >= 3 && IsLetter(rest[0]) && rest[1] == ':' && rest[2] == '\\')) {
      return false;  // GLOBALROOT, Volume{...}, pipe and every other device
    }
  } else if (StartsWithNoCase(rest, "\\\\.\\") || StartsWithNoCase(rest, "\\??\\") ||
             EqualsNoCase(rest, "\\\\.") || EqualsNoCase(rest, "\\\\?")) {
    return false;
  } else if (StartsWithNoCase(rest, "\\\\")) {
    rest.remove_prefix(2);
    unc = true;
  }
  if (!unc && rest.size() >= 2 && rest[1] == ':') {
    if (!IsLetter(rest[0])) return false;
    rest.remove_prefix(2);
  }
  size_t index = 0;
  std::basic_string_view<C> part;
  for (;; ++index) {
    const size_t cut = rest.find(static_cast<C>('\\'));
    part = rest.substr(0, cut);
    for (C c : part) {
      const auto u = static_cast<uint32_t>(static_cast<std::make_unsigned_t<C>>(c));
      if (u < 32 || c == ':' || c == '*' || c == '?' || c == '<' || c == '>' || c == '"') return false;
    }
    if (unc && index == 0 && (part.empty() || EqualsNoCase(part, "."))) return false;
    if (unc && index == 1) {
      std::basic_string_view<C> share = part;
      while (!share.empty() && (share.back() == ' ' || share.back() == '.')) share.remove_suffix(1);
      if (share.empty() || EqualsNoCase(share, "PIPE") || EqualsNoCase(share, "MAILSLOT")) return false;
    }
    if (IsDeviceName(part)) return false;
    if (cut == std::basic_string_view<C>::npos) break;
    rest.remove_prefix(cut + 1);
  }
  // The last part names the file: not a folder, and on a share below the share itself.
  if (part.empty() || EqualsNoCase(part, ".") || EqualsNoCase(part, "..")) return false;
  return !unc || index >= 2;
}
}  // namespace

bool IsDiskFilePath(std::string_view path) { return DiskFilePath(path); }
bool IsDiskFilePath(std::wstring_view path) { return DiskFilePath(path); }

std::wstring LongPathForm(const std::wstring& path) {
  constexpr size_t kMaxPath = 260;
  if (path.size() < kMaxPath) return path;
  const std::wstring_view p(path);
  if (StartsWithNoCase(p, "\\\\?\\") || StartsWithNoCase(p, "\\\\.\\")) return path;
  if (p.size() >= 3 && IsLetter(p[0]) && p[1] == ':' && p[2] == '\\') return L"\\\\?\\" + path;
  if (StartsWithNoCase(p, "\\\\")) return L"\\\\?\\UNC\\" + path.substr(2);
  return path;
}

namespace {
template <class S>
S KernelToDos(const S& path, const S& windowsDir) {
  using C = typename S::value_type;
  const std::basic_string_view<C> p(path);
  if (StartsWithNoCase(p, "\\??\\")) return path.substr(4);
  if (StartsWithNoCase(p, "\\SYSTEMROOT\\") && !windowsDir.empty()) {
    S dir = windowsDir;
    if (dir.back() == '\\') dir.pop_back();
    return dir + path.substr(11);
  }
  return path;
}
}  // namespace

std::string DosImagePath(const std::string& path, const std::string& windowsDir) {
  return KernelToDos(path, windowsDir);
}
std::wstring DosImagePath(const std::wstring& path, const std::wstring& windowsDir) {
  return KernelToDos(path, windowsDir);
}
