// The power category: power source and battery status.
#pragma once
#include <cstdint>
#include <string>
#include "framework/Classes.h"
#include "framework/Strings.h"
#include "framework/TypeInfo.h"
#include "sysinfo/SysInfoProps.h"

enum TPowerStatus { psUnknown, psOffline, psOnline };
enum TBatteryStatus { bsUnknown, bsHigh, bsLow, bsCritical, bsCharging, bsNoBattery };

TPowerStatus PowerStatusFromLine(uint8_t acLineStatus);
TBatteryStatus BatteryStatusFromFlag(uint8_t batteryFlag);
const char* PowerStatusText(TPowerStatus s);      // "Unknown", "Offline", "Online"
const char* BatteryStatusText(TBatteryStatus s);  // "Unknown", "High", ..., "No Battery"
// A battery time in the duration format; the system's 0xFFFFFFFF ("unknown") reads
// "<info not available>".
std::string BatteryTimeText(uint32_t seconds);
constexpr const char kInfoNotAvailable[] = "<info not available>";
constexpr uint32_t kUnknownBatteryTime = 0xFFFFFFFFu;

class TAPM : public TSysInfoCategory {
  VELMORA_CLASS(TAPM, TSysInfoCategory)
  KSI_VALUE(TPowerStatus, ACPowerStatus)
  KSI_VALUE(TBatteryStatus, BatteryChargeStatus)
  KSI_VALUE(uint8_t, BatteryLifePercent)
  KSI_VALUE(uint32_t, BatteryLifeTime)
  KSI_VALUE(uint32_t, BatteryLifeFullTime)

 public:
  void GetInfo();
  void Report(TStrings& report) const;
  // Everything reset to unknown and zero.
  void Reset();
  // From the system's power status record.
  void Assign(uint8_t acLine, uint8_t batteryFlag, uint8_t percent, uint32_t lifeTime,
              uint32_t fullLifeTime);
};

extern const TEnumInfo kPowerStatusInfo;
extern const TEnumInfo kBatteryStatusInfo;
