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
