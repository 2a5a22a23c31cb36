// The memory category: the memory status in 64-bit unsigned figures, and the system's
// allocation granularity, application address range and page size.
#pragma once
#include <cstdint>
#include "framework/Classes.h"
#include "framework/Strings.h"
#include "sysinfo/SysInfoProps.h"

class TMemory : public TSysInfoCategory {
  VELMORA_CLASS(TMemory, TSysInfoCategory)
  KSI_VALUE(uint64_t, PhysicalTotal)
  KSI_VALUE(uint64_t, PhysicalFree)
  KSI_VALUE(uint64_t, VirtualTotal)
  KSI_VALUE(uint64_t, VirtualFree)
  KSI_VALUE(uint64_t, PageFileTotal)
  KSI_VALUE(uint64_t, PageFileFree)
  KSI_VALUE(uint32_t, MemoryLoad)
  KSI_VALUE(uint32_t, AllocGranularity)
  KSI_VALUE(uint32_t, MaxAppAddress)
  KSI_VALUE(uint32_t, MinAppAddress)
  KSI_VALUE(uint32_t, PageSize)
  KSI_VALUE(int, Win9x_SystemRes)  // kept for stored snapshots; always 0
  KSI_VALUE(int, Win9x_GDIRes)
  KSI_VALUE(int, Win9x_UserRes)

 public:
  // Shown as "TMemory.GetInfo" when it fails.
  void GetInfo();
  void Report(TStrings& report) const;
};
