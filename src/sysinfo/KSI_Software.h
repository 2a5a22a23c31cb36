// The installed software: the display names of the uninstall entries.
#pragma once
#include "framework/Classes.h"
#include "framework/Strings.h"
#include "sysinfo/SysInfoProps.h"

class TSoftware : public TSysInfoCategory {
  VELMORA_CLASS(TSoftware, TSysInfoCategory)
  KSI_LIST(Installed)

 public:
  void GetInfo();
  void Report(TStrings& report) const;
};
