// The memory figures from the running system: the 64-bit status where the system has it,
// otherwise the old record read as unsigned.
#include "sysinfo/KSI_Memory.h"
#include <windows.h>
#include "probes/MemoryStatus.h"
#include "sysinfo/SysInfoWin.h"

void TMemory::GetInfo() {
  GatherGuarded("TMemory.GetInfo", [this] {
    TMemoryStatusEx ex;
    if (ReadMemoryStatusEx(ex)) {
      FMemoryLoad = ex.dwMemoryLoad;
      FPhysicalTotal = ex.ullTotalPhys;
      FPhysicalFree = ex.ullAvailPhys;
      FPageFileTotal = ex.ullTotalPageFile;
      FPageFileFree = ex.ullAvailPageFile;
      FVirtualTotal = ex.ullTotalVirtual;
      FVirtualFree = ex.ullAvailVirtual;
    } else {
      MEMORYSTATUS m;
      ReadMemoryStatus(m);
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
