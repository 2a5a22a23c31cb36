// Programs started at logon, from six places: the two Run keys, the RunOnce keys, the user's and
// the common Startup folder, and the "run" and "load" lines of WIN.INI.
#pragma once
#include <string>
#include <vector>
#include "framework/Classes.h"
#include "framework/Strings.h"
#include "sysinfo/SysInfoProps.h"

enum TStartupLocation {
  slUserRun, slMachineRun, slRunOnce, slUserStartup, slCommonStartup, slWinIni, slCount
};

struct TStartupEntry {
  std::string Name, CommandLine;
};

class TStartup : public TSysInfoCategory {
  VELMORA_CLASS(TStartup, TSysInfoCategory)

 public:
  void GetInfo();
  void Report(TStrings& report) const;

  int RunsCount() const;
  void SetRunsCount(int) {}  // computed
  int Count(TStartupLocation where) const;
  // Empty for an index out of range.
  std::string Name(TStartupLocation where, int i) const;
  std::string CommandLine(TStartupLocation where, int i) const;
  void Add(TStartupLocation where, const std::string& name, const std::string& commandLine);
  void Clear();

 private:
  std::vector<TStartupEntry> FLists[slCount];
};

// A WIN.INI "run" or "load" value as an entry's command line: trimmed, line breaks removed and
// runs of blanks made one.
std::string WinIniCommand(const std::string& value);
// "Notes" from "Notes.lnk".
std::string ShortcutEntryName(const std::string& fileName);
