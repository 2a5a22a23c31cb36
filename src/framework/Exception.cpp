#include "framework/Exception.h"
#include <cstdarg>
#include <cstdio>

std::string Format(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  char buf[512];
  va_list ap2;
  va_copy(ap2, ap);
  int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
  std::string s;
  if (n < 0) {
    s = fmt;
  } else if (static_cast<size_t>(n) < sizeof buf) {
    s.assign(buf, n);
  } else {
    s.resize(n);
    std::vsnprintf(s.data(), n + 1, fmt, ap2);
  }
  va_end(ap2);
  va_end(ap);
  return s;
}
