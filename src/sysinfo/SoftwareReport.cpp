// The installed software's table, lifetime and report lines.
#include "sysinfo/KSI_Software.h"
#include "sysinfo/ReportText.h"

VELMORA_CLASS_INFO(TSoftware) { b.Strings("Installed", &TSoftware::Installed); }

void TSoftware::Report(TStrings& report) const {
  AddSection(report, "Installed Software");
  WriteList(report, "Count", "Item", *FInstalled);
}
