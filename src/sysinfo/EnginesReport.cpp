// The database engines' table and report lines.
#include "sysinfo/KSI_Engines.h"
#include "sysinfo/ReportText.h"

VELMORA_CLASS_INFO(TEngines) {
  using T = TEngines;
  b.Str("ODBC", &T::ODBC, &T::SetODBC);
  b.Str("BDE", &T::BDE, &T::SetBDE);
  b.Str("DAO", &T::DAO, &T::SetDAO);
  b.Str("ADO", &T::ADO, &T::SetADO);
}

void TEngines::Report(TStrings& report) const {
  const std::pair<const char*, const std::string*> engines[] = {
      {"ODBC", &FODBC}, {"BDE", &FBDE}, {"DAO", &FDAO}, {"ADO", &FADO}};
  for (const auto& [title, version] : engines) {
    AddSection(report, title);
    if (!version->empty()) AddValue(report, "Version", *version);
  }
}

std::string FileVersionText(uint32_t ms, uint32_t ls) {
  return std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFF) + "." +
         std::to_string(ls >> 16) + "." + std::to_string(ls & 0xFFFF);
}
