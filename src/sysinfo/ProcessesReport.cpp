// The process list's table, look-ups and report lines.
#include "sysinfo/KSI_Processes.h"
#include "sysinfo/ReportText.h"

VELMORA_CLASS_INFO(TProcesses) {
  b.Int("ProcessCount", &TProcesses::ProcessCount, &TProcesses::SetProcessCount);
}

std::string TProcesses::Name(int i) const {
  return i >= 0 && i < ProcessCount() ? FEntries[i].Name : std::string();
}

uint32_t TProcesses::Id(int i) const { return i >= 0 && i < ProcessCount() ? FEntries[i].Id : 0; }

uint32_t TProcesses::IdOfName(const std::string& name) const {
  for (const TProcessEntry& e : FEntries)
    if (SameText(e.Name, name)) return e.Id;
  return 0;
}

void TProcesses::Report(TStrings& report) const {
  AddSection(report, "Processes");
  AddValue(report, "Count", static_cast<int64_t>(FEntries.size()));
  for (const TProcessEntry& e : FEntries) AddValue(report, std::to_string(e.Id), e.Name);
}
