#include "probes/OsKind.h"

std::string TrimControls(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

TOSClass ClassifyOS(unsigned platformId, unsigned major, unsigned minor, const std::string& csd) {
  TVersionRecord v;
  v.PlatformId = platformId, v.Major = major, v.Minor = minor, v.CSD = csd;
  return ClassifyOS(v);
}

TOSClass ClassifyOS(const TVersionRecord& v) {
  TOSClass r;
  const unsigned major = v.Major, minor = v.Minor;
  if (v.PlatformId == kPlatformNT) {
    r.NTFamily = true;
    r.Build = v.Build & 0xFFFF;
    r.Server = v.HasEx && (v.ProductType == 2 || v.ProductType == 3);
    switch (major) {
      case 3: r.Kind = osWinNT3; break;
      case 4: r.Kind = osWinNT4; break;
      // 5.2 (Server 2003) has no kind of its own.
      case 5: r.Kind = minor == 0 ? osWin2000 : minor == 1 ? osWinXP : osUnknown; break;
      case 6: {
        static const TOSKind six[] = {osWinVista, osWin7, osWin8, osWin81};
        r.Kind = minor < 4 ? six[minor] : osUnknown;
        break;
      }
      case 10: r.Kind = minor != 0 ? osUnknown : r.Build >= 22000 ? osWin11 : osWin10; break;
      default: r.Kind = osUnknown; break;
    }
    return r;
  }
  const std::string& csd = v.CSD;
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
    case osWinVista: return "Windows Vista";
    case osWin7: return "Windows 7";
    case osWin8: return "Windows 8";
    case osWin81: return "Windows 8.1";
    case osWin10: return "Windows 10";
    case osWin11: return "Windows 11";
    default: return "";
  }
}

const char* OSDisplayName(const TOSClass& os) {
  if (!os.Server) return OSKindDisplayName(os.Kind);
  switch (os.Kind) {
    case osWinVista: return "Windows Server 2008";
    case osWin7: return "Windows Server 2008 R2";
    case osWin8: return "Windows Server 2012";
    case osWin81: return "Windows Server 2012 R2";
    case osWin10:
      return os.Build >= 20348   ? "Windows Server 2022"
             : os.Build >= 17763 ? "Windows Server 2019"
                                 : "Windows Server 2016";
    case osWin11: return "Windows Server 2025";
    default: return OSKindDisplayName(os.Kind);  // NT and 2000 name their editions by product type
  }
}

unsigned ServicePackFromText(const std::string& csd) {
  static const char kPrefix[] = "Service Pack ";
  const size_t at = csd.find(kPrefix);
  if (at == std::string::npos) return 0;
  unsigned n = 0;
  for (size_t i = at + sizeof kPrefix - 1; i < csd.size() && csd[i] >= '0' && csd[i] <= '9'; ++i) {
    n = n * 10 + static_cast<unsigned>(csd[i] - '0');
    if (n > 0xFFFF) return 0;
  }
  return n;
}

const char* DeviceClassKey(bool ntFamily) {
  return ntFamily ? "SYSTEM\\CurrentControlSet\\Control\\Class"
                  : "SYSTEM\\CurrentControlSet\\Services\\Class";
}
