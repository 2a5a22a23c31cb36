// The machine category: computer and user name, up time and last boot, BIOS strings, the lock
// keys and the computer's description.
#pragma once
#include <cstdint>
#include <string>
#include "framework/Classes.h"
#include "framework/Strings.h"
#include "sysinfo/ReportText.h"
#include "sysinfo/SysInfoProps.h"

class TMachine : public TSysInfoCategory {
  VELMORA_CLASS(TMachine, TSysInfoCategory)
  KSI_VALUE(std::string, Name)
  KSI_VALUE(std::string, User)
  KSI_VALUE(double, SystemUpTime)  // seconds
  KSI_VALUE(TDateTime, LastBoot)
  KSI_VALUE(std::string, BIOSCopyright)
  KSI_VALUE(std::string, BIOSDate)
  KSI_VALUE(std::string, BIOSExtendedInfo)
  KSI_VALUE(std::string, BIOSName)
  KSI_VALUE(bool, CapsLock)
  KSI_VALUE(bool, NumLock)
  KSI_VALUE(bool, ScrollLock)
  KSI_VALUE(std::string, Computer)

 public:
  void GetInfo();
  void Report(TStrings& report) const;
  // Sets the up time and the last boot from the milliseconds since start and the time now.
  void SetUpTime(uint64_t milliseconds, TDateTime now);
};

// The BIOS area of the 9x family at a physical address: the text to its zero byte, at most max
// characters and never past the end of the first megabyte.
constexpr uint32_t kBiosAreaEnd = 0x100000;
size_t BiosStringLimit(uint32_t address, size_t max = 255);
