#include "sysinfo/OsLogic.h"
#include <cstring>

TDateTime TransitionDate(const TSysTime& rule, int year) {
  if (rule.Month == 0 || rule.Month > 12) return 0;
  int y = year, day;
  if (rule.Year != 0) {
    y = rule.Year;
    day = rule.Day;
  } else {
    if (rule.Day < 1 || rule.Day > 5 || rule.DayOfWeek > 6) return 0;
    const int first = DayOfWeek(y, rule.Month, 1);
    day = 1 + (rule.DayOfWeek - first + 7) % 7 + (rule.Day - 1) * 7;
    const int last = DaysInMonth(y, rule.Month);
    if (rule.Day == 5)
      while (day > last) day -= 7;
  }
  return EncodeDateTime(y, rule.Month, day, rule.Hour, rule.Minute, rule.Second,
                        rule.Milliseconds);
}

static TSysTime ReadSysTime(const unsigned char* p) {
  uint16_t f[8];
  std::memcpy(f, p, sizeof f);  // little-endian on every host this runs on
  TSysTime t;
  t.Year = f[0], t.Month = f[1], t.DayOfWeek = f[2], t.Day = f[3];
  t.Hour = f[4], t.Minute = f[5], t.Second = f[6], t.Milliseconds = f[7];
  return t;
}

bool ParseTzi(const void* data, size_t size, TZoneRecord& zone) {
  if (!data || size != 44) return false;
  const auto* p = static_cast<const unsigned char*>(data);
  std::memcpy(&zone.Bias, p, 4);
  std::memcpy(&zone.StandardBias, p + 4, 4);
  std::memcpy(&zone.DaylightBias, p + 8, 4);
  zone.StandardDate = ReadSysTime(p + 12);
  zone.DaylightDate = ReadSysTime(p + 28);
  return true;
}

bool SameZone(const TZoneRecord& a, const TZoneRecord& b) {
  return a.Bias == b.Bias && a.StandardBias == b.StandardBias &&
         a.DaylightBias == b.DaylightBias && a.StandardDate == b.StandardDate &&
         a.DaylightDate == b.DaylightDate && a.StandardName == b.StandardName &&
         a.DaylightName == b.DaylightName;
}

std::string ZoneName(const std::string& s) { return s.substr(0, 32); }

namespace {
template <class C>
std::vector<std::basic_string<C>> EnvironmentEntries(const C* block) {
  std::vector<std::basic_string<C>> out;
  if (!block) return out;
  for (const C* entry = block; *entry;) {
    const C* end = entry;
    while (*end) ++end;
    out.emplace_back(entry, end);
    entry = end + 1;
  }
  return out;
}
}  // namespace

std::vector<std::string> ParseEnvironmentBlock(const char* block) { return EnvironmentEntries(block); }
std::vector<std::wstring> ParseEnvironmentBlock(const wchar_t* block) { return EnvironmentEntries(block); }

bool IsFileSystemPath(const std::string& path) {
  if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') {
    const char d = path[0];
    return (d >= 'A' && d <= 'Z') || (d >= 'a' && d <= 'z');
  }
  return path.size() > 2 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
}

std::string ProfileFromDesktop(const std::string& desktop) {
  const size_t slash = desktop.rfind('\\');
  std::string s = slash == std::string::npos ? desktop : desktop.substr(0, slash);
  return s.substr(0, 255);
}

TNtProductType ProductTypeFromVersion(unsigned wProductType, TNtProductType current) {
  switch (wProductType) {
    case 1: return ptWorkStation;
    case 2: return ptAdvancedServer;  // domain controller
    case 3: return ptServer;
    default: return current;
  }
}

TNtProductType ProductTypeFromRegistry(const std::string& name) {
  if (name == "WinNT") return ptWorkStation;
  if (name == "ServerNT") return ptServer;
  if (name == "LanmanNT") return ptAdvancedServer;
  return ptUnknown;
}

TNTSuites SuitesFromMask(unsigned wSuiteMask) { return wSuiteMask & 0xFFu; }

const char* ProductTypeText(TNtProductType t) {
  switch (t) {
    case ptWorkStation: return "Pro/Wks";
    case ptServer: return "Server";
    case ptAdvancedServer: return "Advanced Server";
    default: return "Unknown";
  }
}

const char* SuiteLabel(TNTSuite s) {
  switch (s) {
    case suSmallBusiness: return "Microsoft Small Business Server";
    case suEnterprise: return "Windows 2000 Advanced Server";
    case suBackOffice: return "Microsoft BackOffice Components";
    case suCommunications: return "Communications";
    case suTerminal: return "Terminal Services";
    case suSmallBusinessRestricted:
      return "Microsoft Small Business Server with the restrictive client license in force";
    case suEmbeddedNT: return "Embedded NT";
    case suDataCenter: return "Windows 2000 Datacenter Server";
  }
  return "";
}
