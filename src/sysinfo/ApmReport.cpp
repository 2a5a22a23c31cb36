// The power category's table, status mapping and report lines.
#include "sysinfo/KSI_APM.h"
#include "sysinfo/ReportText.h"

const TEnumInfo kPowerStatusInfo{"TPowerStatus", {"psUnknown", "psOffline", "psOnline"}};
const TEnumInfo kBatteryStatusInfo{
    "TBatteryStatus", {"bsUnknown", "bsHigh", "bsLow", "bsCritical", "bsCharging", "bsNoBattery"}};

VELMORA_CLASS_INFO(TAPM) {
  using T = TAPM;
  b.Enum("ACPowerStatus", &T::ACPowerStatus, &T::SetACPowerStatus, kPowerStatusInfo);
  b.Enum("BatteryChargeStatus", &T::BatteryChargeStatus, &T::SetBatteryChargeStatus,
         kBatteryStatusInfo);
  b.Int("BatteryLifePercent", &T::BatteryLifePercent, &T::SetBatteryLifePercent);
  b.Int("BatteryLifeTime", &T::BatteryLifeTime, &T::SetBatteryLifeTime);
  b.Int("BatteryLifeFullTime", &T::BatteryLifeFullTime, &T::SetBatteryLifeFullTime);
}

TPowerStatus PowerStatusFromLine(uint8_t line) {
  return line == 0 ? psOffline : line == 1 ? psOnline : psUnknown;
}

TBatteryStatus BatteryStatusFromFlag(uint8_t flag) {
  switch (flag) {
    case 0:
    case 1: return bsHigh;
    case 2: return bsLow;
    case 4: return bsCritical;
    case 8: return bsCharging;
    case 128: return bsNoBattery;
    default: return bsUnknown;
  }
}

const char* PowerStatusText(TPowerStatus s) {
  static const char* const texts[] = {"Unknown", "Offline", "Online"};
  return s >= psUnknown && s <= psOnline ? texts[s] : texts[psUnknown];
}

const char* BatteryStatusText(TBatteryStatus s) {
  static const char* const texts[] = {"Unknown",  "High",     "Low",
                                      "Critical", "Charging", "No Battery"};
  return s >= bsUnknown && s <= bsNoBattery ? texts[s] : texts[bsUnknown];
}

std::string BatteryTimeText(uint32_t seconds) {
  return seconds == kUnknownBatteryTime ? kInfoNotAvailable : FormatDuration(seconds);
}

void TAPM::Reset() { Assign(255, 255, 0, 0, 0); }

void TAPM::Assign(uint8_t acLine, uint8_t batteryFlag, uint8_t percent, uint32_t lifeTime,
                  uint32_t fullLifeTime) {
  FACPowerStatus = PowerStatusFromLine(acLine);
  FBatteryChargeStatus = BatteryStatusFromFlag(batteryFlag);
  FBatteryLifePercent = percent;
  FBatteryLifeTime = lifeTime;
  FBatteryLifeFullTime = fullLifeTime;
}

void TAPM::Report(TStrings& report) const {
  AddSection(report, "Advanced Power Management");
  AddValue(report, "ACPowerStatus", PowerStatusText(FACPowerStatus));
  AddValue(report, "BatteryChargeStatus", BatteryStatusText(FBatteryChargeStatus));
  if (FBatteryLifePercent <= 100) {
    AddValue(report, "BattreyLifeFullTime", BatteryTimeText(FBatteryLifeFullTime));
    AddValue(report, "BatteryLifeTime", BatteryTimeText(FBatteryLifeTime));
  }
}
