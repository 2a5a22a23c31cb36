// The machine gathered from the running system.
#include "sysinfo/KSI_Machine.h"
#include <windows.h>
#include <cstring>
#include <cwchar>
#include "sysinfo/SysInfoLogic.h"
#include "sysinfo/SysInfoWin.h"

namespace {
TDateTime Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return EncodeDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
                        st.wMilliseconds);
}

// The computer's or the user's name in the form of the family: wide on NT.
std::string SystemName(BOOL(WINAPI* wide)(LPWSTR, LPDWORD), BOOL(WINAPI* ansi)(LPSTR, LPDWORD)) {
  if (SysInfoWide() && wide) {
    WCHAR buf[257] = {};
    DWORD size = 256;
    return wide(buf, &size) ? AnsiText(buf, wcsnlen(buf, 256)) : std::string();
  }
  char buf[257] = {};
  DWORD size = 256;
  return ansi(buf, &size) ? std::string(buf, strnlen(buf, 256)) : std::string();
}

std::string BiosString(uint32_t address) {
  return SysApi().ReadBiosArea(address, BiosStringLimit(address));
}
}  // namespace

void TMachine::GetInfo() {
  GatherGuarded("TMachine.GetInfo", [this] {
    FName = SystemName(SysApi().GetComputerNameW, GetComputerNameA);
    TSysKey names(HKEY_LOCAL_MACHINE,
                  "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName");
    names.ReadText("ComputerName", FName);
    FUser = SystemName(SysApi().GetUserNameW, GetUserNameA);

    // The 32-bit count wraps after 49.7 days.
    const auto tick64 = SysApi().GetTickCount64;
    SetUpTime(tick64 ? tick64() : GetTickCount(), Now());

    if (SysInfoNT()) {
      TSysKey system(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System");
      system.ReadText("Identifier", FBIOSName);
      std::vector<std::string> copyright;
      if (system.ReadStrings("SystemBiosVersion", copyright))
        FBIOSCopyright = copyright.empty() ? std::string() : copyright.front();
      system.ReadText("SystemBiosDate", FBIOSDate);
      FBIOSExtendedInfo.clear();
    } else {
      FBIOSName = BiosString(0xFE061);
      FBIOSDate = BiosString(0xFFFF5);
      FBIOSCopyright = BiosString(0xFE091);
      FBIOSExtendedInfo = BiosString(0xFEC71);
    }

    BYTE keys[256];
    if (GetKeyboardState(keys)) {
      FCapsLock = keys[VK_CAPITAL] == 1;
      FNumLock = keys[VK_NUMLOCK] == 1;
      FScrollLock = keys[VK_SCROLL] == 1;
    }
    const std::vector<std::string> computers = ClassLookup("Computer", "DriverDesc");
    FComputer = computers.empty() ? std::string() : computers.front();
  });
}
