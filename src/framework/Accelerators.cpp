#include "framework/Accelerators.h"
#include <cctype>

char AccelChar(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;  // "&&" is a plain ampersand
      continue;
    }
    return static_cast<char>(std::tolower(static_cast<unsigned char>(caption[i + 1])));
  }
  return 0;
}

bool IsAccel(char key, const std::string& caption) {
  char a = AccelChar(caption);
  return a != 0 && a == static_cast<char>(std::tolower(static_cast<unsigned char>(key)));
}
