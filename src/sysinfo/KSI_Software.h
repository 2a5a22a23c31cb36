// The installed software: the display names of the uninstall entries.
#pragma once
#include "framework/Classes.h"
#include "framework/Strings.h"
#include "sysinfo/SysInfoProps.h"

class TSoftware : public TSysInfoCategory {
  VELMORA_CLASS(TSoftware, TSysInfoCategory)

 public:
  TSoftware();
  ~TSoftware() override;
  TSoftware(const TSoftware&) = delete;
  TSoftware& operator=(const TSoftware&) = delete;

  void GetInfo();
  void Report(TStrings& report) const;
  TStrings* Installed() const { return FInstalled; }

 private:
  TStrings* FInstalled;
};
