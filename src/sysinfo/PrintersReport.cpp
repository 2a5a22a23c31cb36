// The printer list's table, lifetime and report lines.
#include "sysinfo/KSI_Printers.h"
#include "sysinfo/ReportNames.h"
#include "sysinfo/ReportText.h"

VELMORA_CLASS_INFO(TPrinters) {
  using T = TPrinters;
  b.Int("DefaultIndex", &T::DefaultIndex, &T::SetDefaultIndex);
  b.Strings("Names", &T::Names);
  b.Strings("Ports", &T::Ports);
}

TPrinters::TPrinters() { FDefaultIndex = -1; }

void TPrinters::Report(TStrings& report) const {
  AddSection(report, "Printers");
  AddValue(report, "Count", static_cast<int64_t>(FNames->Count()));
  TOutsideNames names({"Count"});
  for (int i = 0; i < FNames->Count(); ++i) {
    const std::string port = i < FPorts->Count() ? (*FPorts)[i] : std::string();
    AddOutsideValue(report, names, (*FNames)[i] + " on " + port, BoolText(i == FDefaultIndex));
  }
}

std::string DefaultPrinterName(const std::string& deviceLine) {
  return deviceLine.substr(0, deviceLine.find(','));
}
