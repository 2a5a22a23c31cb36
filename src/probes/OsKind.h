// Classification of the running operating system from its version record. Pure logic: the
// Windows side reads GetVersionExA and hands the numbers here.
#pragma once
#include <string>

// Values are stored and compared as plain numbers elsewhere (reports, tests): keep them fixed.
enum TOSKind : int {
  osUnknown = 0,
  osWin95 = 1,
  osWin95OSR2 = 2,
  osWin98 = 3,
  osWin98SE = 4,
  osWinNT3 = 5,
  osWinNT4 = 6,
  osWin2000 = 7,
  osWinME = 8,
  osWinXP = 9,
};

constexpr unsigned kPlatformWin32s = 0;
constexpr unsigned kPlatformWin9x = 1;
constexpr unsigned kPlatformNT = 2;

struct TOSClass {
  TOSKind Kind = osUnknown;
  // True for every version on the NT platform, also those the kind table does not list
  // (Server 2003, Vista and later): they must read the NT way.
  bool NTFamily = false;
};

TOSClass ClassifyOS(unsigned platformId, unsigned major, unsigned minor, const std::string& csd);
// "Windows 95", ..., "" for osUnknown.
const char* OSKindDisplayName(TOSKind kind);
// Device class key under HKEY_LOCAL_MACHINE.
const char* DeviceClassKey(bool ntFamily);
// Leading and trailing blanks and control characters removed.
std::string TrimControls(const std::string& s);
