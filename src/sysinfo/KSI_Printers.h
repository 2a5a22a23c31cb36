// The printers: names and ports of every printer, and the default one.
#pragma once
#include <string>
#include "framework/Classes.h"
#include "framework/Strings.h"
#include "sysinfo/SysInfoProps.h"

class TPrinters : public TSysInfoCategory {
  VELMORA_CLASS(TPrinters, TSysInfoCategory)
  KSI_VALUE(int, DefaultIndex)
  KSI_LIST(Names)
  KSI_LIST(Ports)

 public:
  TPrinters();

  void GetInfo();
  void Report(TStrings& report) const;
};

// The printer name of the "device" line of the "windows" profile section ("name,driver,port").
std::string DefaultPrinterName(const std::string& deviceLine);
