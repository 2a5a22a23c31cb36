// Operating-system identification logic that needs no Windows: time-zone records and their
// transition dates, the environment block walk, the profile path, NT product type and suites.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "sysinfo/ReportText.h"

// The platform's SYSTEMTIME layout (eight 16-bit fields), as stored in time-zone records.
struct TSysTime {
  uint16_t Year = 0, Month = 0, DayOfWeek = 0, Day = 0;
  uint16_t Hour = 0, Minute = 0, Second = 0, Milliseconds = 0;
  bool operator==(const TSysTime&) const = default;
};

// This year's date of a time-zone transition. Month 0 is "no transition" (0); a non-zero year
// is an absolute date; otherwise Day 1..4 is the n-th DayOfWeek of the month and 5 the last one.
// Anything that does not make a date gives 0.
TDateTime TransitionDate(const TSysTime& rule, int year);

// A zone as the current record and the registry's zone keys describe it.
struct TZoneRecord {
  int32_t Bias = 0, StandardBias = 0, DaylightBias = 0;
  TSysTime StandardDate, DaylightDate;
  std::string StandardName, DaylightName;
};
// Reads a "TZI" value: bias, standard bias, daylight bias, standard date, daylight date.
// False unless it is exactly 44 bytes.
bool ParseTzi(const void* data, size_t size, TZoneRecord& zone);
// Biases, both dates field by field and both names (exactly) are equal.
bool SameZone(const TZoneRecord& a, const TZoneRecord& b);
// Names are kept to at most 32 characters.
std::string ZoneName(const std::string& s);

// Entries of an environment block ("A=1\0B=2\0\0"), all of them: the walk ends at the block's
// double zero, however long the block is.
std::vector<std::string> ParseEnvironmentBlock(const char* block);
std::vector<std::wstring> ParseEnvironmentBlock(const wchar_t* block);

// True for a drive path ("C:\...") or a network path ("\\server\..."): what a shell folder
// must be to have a place on disk.
bool IsFileSystemPath(const std::string& path);

// The desktop path with its last "\" segment removed, at most 255 characters.
std::string ProfileFromDesktop(const std::string& desktop);

enum TNtProductType { ptUnknown, ptWorkStation, ptServer, ptAdvancedServer };
enum TNTSuite {
  suSmallBusiness, suEnterprise, suBackOffice, suCommunications, suTerminal,
  suSmallBusinessRestricted, suEmbeddedNT, suDataCenter
};
using TNTSuites = unsigned;  // bit i = the suite with ordinal i
inline bool HasSuite(TNTSuites s, TNTSuite su) { return (s >> su) & 1u; }

// wProductType of the extended version record; values it does not know leave current.
TNtProductType ProductTypeFromVersion(unsigned wProductType, TNtProductType current);
// "ProductType" of the ProductOptions key; exact names, anything else is ptUnknown.
TNtProductType ProductTypeFromRegistry(const std::string& name);
// wSuiteMask bits 0x1..0x80 map in order onto the suites.
TNTSuites SuitesFromMask(unsigned wSuiteMask);
// "Unknown", "Pro/Wks", "Server", "Advanced Server".
const char* ProductTypeText(TNtProductType t);
// The report's line label of each suite, by ordinal.
const char* SuiteLabel(TNTSuite s);
