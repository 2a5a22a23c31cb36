// The machine category's table, up-time arithmetic and report lines.
#include <cmath>
#include "sysinfo/KSI_Machine.h"

VELMORA_CLASS_INFO(TMachine) {
  using T = TMachine;
  b.Str("Name", &T::Name, &T::SetName);
  b.Str("User", &T::User, &T::SetUser);
  b.Str("BIOSCopyright", &T::BIOSCopyright, &T::SetBIOSCopyright);
  b.Str("BIOSDate", &T::BIOSDate, &T::SetBIOSDate);
  b.Str("BIOSExtendedInfo", &T::BIOSExtendedInfo, &T::SetBIOSExtendedInfo);
  b.Str("BIOSName", &T::BIOSName, &T::SetBIOSName);
  b.Bool("CapsLock", &T::CapsLock, &T::SetCapsLock);
  b.Bool("NumLock", &T::NumLock, &T::SetNumLock);
  b.Bool("ScrollLock", &T::ScrollLock, &T::SetScrollLock);
  b.Str("Computer", &T::Computer, &T::SetComputer);
}

void TMachine::SetUpTime(uint64_t milliseconds, TDateTime now) {
  FSystemUpTime = static_cast<double>(milliseconds) / 1000.0;
  FLastBoot = now - FSystemUpTime / 86400.0;
}

void TMachine::Report(TStrings& report) const {
  AddSection(report, "Machine");
  AddValue(report, "Name", FName);
  AddValue(report, "User", FUser);
  AddValue(report, "BIOS name", FBIOSName);
  AddValue(report, "BIOS Copyright", FBIOSCopyright);
  AddValue(report, "BIOS Date", FBIOSDate);
  AddValue(report, "BIOS Extended info", FBIOSExtendedInfo);
  AddValue(report, "Last Boot", DateTimeText(FLastBoot));
  // Round: halves to the even neighbour, as the default rounding mode does.
  AddValue(report, "System Up Time", FormatDuration(std::llrint(FSystemUpTime)));
  AddValue(report, "Computer", FComputer);
}

size_t BiosStringLimit(uint32_t address, size_t max) {
  if (address >= kBiosAreaEnd) return 0;
  const size_t left = kBiosAreaEnd - address;
  return left < max ? left : max;
}
