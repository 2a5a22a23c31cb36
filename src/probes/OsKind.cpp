#include "probes/OsKind.h"

std::string TrimControls(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

TOSClass ClassifyOS(unsigned platformId, unsigned major, unsigned minor, const std::string& csd) {
  TOSClass r;
  if (platformId == kPlatformNT) {
    r.NTFamily = true;
    switch (major) {
      case 3: r.Kind = osWinNT3; break;
      case 4: r.Kind = osWinNT4; break;
      // Only 5.0 and 5.1 have a kind of their own; 5.2 (Server 2003) is not in the table.
      case 5: r.Kind = minor == 0 ? osWin2000 : minor == 1 ? osWinXP : osUnknown; break;
      default: r.Kind = osUnknown; break;
    }
    return r;
  }
  const std::string sp = TrimControls(csd);
  if (major == 4 && minor == 0)
    r.Kind = sp == "B" ? osWin95OSR2 : osWin95;
  else if (major == 4 && minor == 10)
    r.Kind = sp == "A" ? osWin98SE : osWin98;
  else if (major == 4 && minor == 90)
    r.Kind = osWinME;
  return r;
}

const char* OSKindDisplayName(TOSKind kind) {
  switch (kind) {
    case osWin95:
    case osWin95OSR2: return "Windows 95";
    case osWin98:
    case osWin98SE: return "Windows 98";
    case osWinNT3:
    case osWinNT4: return "Windows NT";
    case osWin2000: return "Windows 2000";
    case osWinME: return "Windows Millenium Edition";
    case osWinXP: return "Windows XP";
    default: return "";
  }
}

const char* DeviceClassKey(bool ntFamily) {
  return ntFamily ? "SYSTEM\\CurrentControlSet\\Control\\Class"
                  : "SYSTEM\\CurrentControlSet\\Services\\Class";
}
