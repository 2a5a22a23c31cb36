// The database engines: versions of ODBC and BDE from their files, of DAO and ADO from their
// automation objects. An engine that is absent, or cannot tell its version, reads as empty.
#pragma once
#include <cstdint>
#include <string>
#include "framework/Classes.h"
#include "framework/Strings.h"
#include "sysinfo/SysInfoProps.h"

class TEngines : public TSysInfoCategory {
  VELMORA_CLASS(TEngines, TSysInfoCategory)
  KSI_VALUE(std::string, ODBC)
  KSI_VALUE(std::string, BDE)
  KSI_VALUE(std::string, DAO)
  KSI_VALUE(std::string, ADO)

 public:
  void GetInfo();
  void Report(TStrings& report) const;
};

// "4.0.6019.0" from the high and low words of the most and then the least significant part.
std::string FileVersionText(uint32_t mostSignificant, uint32_t leastSignificant);
