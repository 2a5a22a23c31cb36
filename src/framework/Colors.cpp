#include "framework/Colors.h"
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

const TIdentMap& ColorIdents() {
  static const TIdentMap map{{
      {"clBlack", clBlack},
      {"clMaroon", clMaroon},
      {"clGreen", clGreen},
      {"clOlive", clOlive},
      {"clNavy", clNavy},
      {"clPurple", clPurple},
      {"clTeal", clTeal},
      {"clGray", clGray},
      {"clSilver", clSilver},
      {"clRed", clRed},
      {"clLime", clLime},
      {"clYellow", clYellow},
      {"clBlue", clBlue},
      {"clFuchsia", clFuchsia},
      {"clAqua", clAqua},
      {"clWhite", clWhite},
      {"clNone", clNone},
      {"clDefault", clDefault},
      {"clScrollBar", clScrollBar},
      {"clBackground", clBackground},
      {"clActiveCaption", clActiveCaption},
      {"clInactiveCaption", clInactiveCaption},
      {"clMenu", clMenu},
      {"clWindow", clWindow},
      {"clWindowFrame", clWindowFrame},
      {"clMenuText", clMenuText},
      {"clWindowText", clWindowText},
      {"clCaptionText", clCaptionText},
      {"clActiveBorder", clActiveBorder},
      {"clInactiveBorder", clInactiveBorder},
      {"clAppWorkSpace", clAppWorkSpace},
      {"clHighlight", clHighlight},
      {"clHighlightText", clHighlightText},
      {"clBtnFace", clBtnFace},
      {"clBtnShadow", clBtnShadow},
      {"clGrayText", clGrayText},
      {"clBtnText", clBtnText},
      {"clInactiveCaptionText", clInactiveCaptionText},
      {"clBtnHighlight", clBtnHighlight},
      {"cl3DDkShadow", cl3DDkShadow},
      {"cl3DLight", cl3DLight},
      {"clInfoText", clInfoText},
      {"clInfoBk", clInfoBk},
  }};
  return map;
}

bool IsSystemColor(TColor c) { return (static_cast<uint32_t>(c) & 0xFF000000u) == 0x80000000u; }

uint32_t ColorRGB(TColor c, uint32_t (*sysColor)(int index)) {
  if (IsSystemColor(c)) return sysColor ? sysColor(c & 0xFF) & 0x00FFFFFFu : 0;
  return static_cast<uint32_t>(c) & 0x00FFFFFFu;
}

std::string ColorToString(TColor c) {
  std::string name;
  if (ColorIdents().ToIdent(c, name)) return name;
  char buf[16];
  std::snprintf(buf, sizeof buf, "$%.8X", static_cast<unsigned>(c));
  return buf;
}

bool StringToColor(const std::string& s, TColor& c) {
  int64_t v;
  if (ColorIdents().ToInt(s, v)) {
    c = static_cast<TColor>(v);
    return true;
  }
  if (s.empty()) return false;
  const char* p = s.c_str();
  bool hex = p[0] == '$';
  if (hex) ++p;
  // strtoll would accept leading blanks and signs in hex; a colour text has neither.
  if (*p == 0 || (hex && !std::isxdigit(static_cast<unsigned char>(*p)))) return false;
  char* end = nullptr;
  errno = 0;
  long long n = std::strtoll(p, &end, hex ? 16 : 10);
  if (*end != 0 || errno == ERANGE) return false;
  // Any 32-bit pattern is a colour value: "$80000005" and -2147483643 both name clWindow.
  if (n < INT32_MIN || n > static_cast<long long>(UINT32_MAX)) return false;
  c = static_cast<TColor>(static_cast<uint32_t>(n));
  return true;
}
