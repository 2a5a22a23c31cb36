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
  // The versions after XP, each also the kind of its Server edition.
  osWinVista = 10,
  osWin7 = 11,
  osWin8 = 12,
  osWin81 = 13,
  osWin10 = 14,
  osWin11 = 15,  // 10.0 from build 22000
};

constexpr unsigned kPlatformWin32s = 0;
constexpr unsigned kPlatformWin9x = 1;
constexpr unsigned kPlatformNT = 2;

// The version record as the program reads it: GetVersionEx's, or on the NT family the kernel's
// own (RtlGetVersion), which compatibility shims do not bend.
struct TVersionRecord {
  unsigned PlatformId = 0, Major = 0, Minor = 0, Build = 0;
  std::string CSD;
  // Set when the extended fields come with the reading (Windows 2000, NT 4.0 from SP6 on).
  bool HasEx = false;
  unsigned ProductType = 0, SuiteMask = 0, SPMajor = 0, SPMinor = 0;
};

struct TOSClass {
  TOSKind Kind = osUnknown;
  // True for every version on the NT platform, also those the kind table does not list
  // (Server 2003): they must read the NT way.
  bool NTFamily = false;
  // A Server edition (product type server or domain controller), and the build: together they
  // name the editions after XP.
  bool Server = false;
  unsigned Build = 0;
};

TOSClass ClassifyOS(unsigned platformId, unsigned major, unsigned minor, const std::string& csd);
TOSClass ClassifyOS(const TVersionRecord& version);
// "Windows 95", ..., "Windows 11"; "" for osUnknown.
const char* OSKindDisplayName(TOSKind kind);
// The name of the system: the kind's, or the Server edition's ("Windows Server 2008 R2",
// "Windows Server 2019").
const char* OSDisplayName(const TOSClass& os);
// The number of "Service Pack 6a"; 0 for a text that names none.
unsigned ServicePackFromText(const std::string& csd);
// Device class key under HKEY_LOCAL_MACHINE.
const char* DeviceClassKey(bool ntFamily);
// Leading and trailing blanks and control characters removed.
std::string TrimControls(const std::string& s);
