// The memory figures from the running system: the 64-bit status where the system has it,
// otherwise the old record read as unsigned.
#include "sysinfo/KSI_Memory.h"
#include <windows.h>
#include "sysinfo/SysInfoWin.h"

void TMemory::GetInfo() {
  GatherGuarded("TMemory.GetInfo", [this] {
    bool done = false;
    if (auto statusEx = SysApi().GlobalMemoryStatusEx) {
      TMemoryStatusEx m;
      ZeroMemory(&m, sizeof m);
      m.dwLength = sizeof m;
      if (statusEx(&m)) {
        FMemoryLoad = m.dwMemoryLoad;
        FPhysicalTotal = m.ullTotalPhys;
        FPhysicalFree = m.ullAvailPhys;
        FPageFileTotal = m.ullTotalPageFile;
        FPageFileFree = m.ullAvailPageFile;
        FVirtualTotal = m.ullTotalVirtual;
        FVirtualFree = m.ullAvailVirtual;
        done = true;
      }
    }
    if (!done) {
      MEMORYSTATUS m;
      ZeroMemory(&m, sizeof m);
      m.dwLength = sizeof m;
      GlobalMemoryStatus(&m);
      FMemoryLoad = m.dwMemoryLoad;
      FPhysicalTotal = static_cast<DWORD>(m.dwTotalPhys);
      FPhysicalFree = static_cast<DWORD>(m.dwAvailPhys);
      FPageFileTotal = static_cast<DWORD>(m.dwTotalPageFile);
      FPageFileFree = static_cast<DWORD>(m.dwAvailPageFile);
      FVirtualTotal = static_cast<DWORD>(m.dwTotalVirtual);
      FVirtualFree = static_cast<DWORD>(m.dwAvailVirtual);
    }
    SYSTEM_INFO si;
    ZeroMemory(&si, sizeof si);
    GetSystemInfo(&si);
    FAllocGranularity = si.dwAllocationGranularity;
    FMinAppAddress = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(si.lpMinimumApplicationAddress));
    FMaxAppAddress = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(si.lpMaximumApplicationAddress));
    FPageSize = si.dwPageSize;
    FWin9x_SystemRes = FWin9x_GDIRes = FWin9x_UserRes = 0;
  });
}
