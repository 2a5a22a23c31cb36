#include "sysinfo/SysInfoLogic.h"
#include <cstring>

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

static bool StartsWithNoCase(const std::string& s, const char* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i) {
    if (i >= s.size()) return false;
    char a = s[i], b = prefix[i];
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
    if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
    if (a != b) return false;
  }
  return true;
}

std::string DosImagePath(const std::string& path, const std::string& windowsDir) {
  if (StartsWithNoCase(path, "\\??\\")) return path.substr(4);
  if (StartsWithNoCase(path, "\\SystemRoot\\") && !windowsDir.empty()) {
    std::string dir = windowsDir;
    if (dir.back() == '\\') dir.pop_back();
    return dir + path.substr(11);
  }
  return path;
}
