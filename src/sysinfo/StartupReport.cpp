// The startup lists' table, accessors, WIN.INI value cleaning and report lines.
#include "probes/OsKind.h"
#include "sysinfo/KSI_Startup.h"
#include "sysinfo/ReportNames.h"
#include "sysinfo/ReportText.h"

VELMORA_CLASS_INFO(TStartup) {
  b.Int("RunsCount", &TStartup::RunsCount, &TStartup::SetRunsCount);
}

int TStartup::RunsCount() const {
  int n = 0;
  for (const auto& list : FLists) n += static_cast<int>(list.size());
  return n;
}

int TStartup::Count(TStartupLocation where) const {
  return where >= 0 && where < slCount ? static_cast<int>(FLists[where].size()) : 0;
}

std::string TStartup::Name(TStartupLocation where, int i) const {
  return i >= 0 && i < Count(where) ? FLists[where][i].Name : std::string();
}

std::string TStartup::CommandLine(TStartupLocation where, int i) const {
  return i >= 0 && i < Count(where) ? FLists[where][i].CommandLine : std::string();
}

void TStartup::Add(TStartupLocation where, const std::string& name,
                   const std::string& commandLine) {
  if (where >= 0 && where < slCount) FLists[where].push_back({name, commandLine});
}

void TStartup::Clear() {
  for (auto& list : FLists) list.clear();
}

void TStartup::Report(TStrings& report) const {
  static const std::pair<TStartupLocation, const char*> sections[] = {
      {slUserStartup, "User Startup"},
      {slCommonStartup, "Common Startup"},
      {slMachineRun, "HKLM Run"},
      {slUserRun, "HKCU Run"},
      {slRunOnce, "Run Once"}};
  for (const auto& [where, title] : sections) {
    AddSection(report, title);
    AddValue(report, "Count", static_cast<int64_t>(FLists[where].size()));
    TOutsideNames names({"Count"});
    for (const TStartupEntry& e : FLists[where]) AddOutsideValue(report, names, e.Name, e.CommandLine);
  }
}

std::string WinIniCommand(const std::string& value) {
  // The line lists programs separated by blanks: keep one blank between them.
  std::string out;
  for (char c : TrimControls(value)) {
    if (c == '\r' || c == '\n') continue;
    if (c == ' ' && !out.empty() && out.back() == ' ') continue;
    out += c;
  }
  return out;
}

std::string ShortcutEntryName(const std::string& fileName) {
  return fileName.size() > 4 ? fileName.substr(0, fileName.size() - 4) : std::string();
}
