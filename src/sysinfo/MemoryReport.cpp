// The memory category's table and report lines.
#include "sysinfo/KSI_Memory.h"
#include "sysinfo/ReportText.h"

VELMORA_CLASS_INFO(TMemory) {
  using T = TMemory;
  b.Int("PhysicalTotal", &T::PhysicalTotal, &T::SetPhysicalTotal);
  b.Int("PhysicalFree", &T::PhysicalFree, &T::SetPhysicalFree);
  b.Int("VirtualTotal", &T::VirtualTotal, &T::SetVirtualTotal);
  b.Int("VirtualFree", &T::VirtualFree, &T::SetVirtualFree);
  b.Int("PageFileTotal", &T::PageFileTotal, &T::SetPageFileTotal);
  b.Int("PageFileFree", &T::PageFileFree, &T::SetPageFileFree);
  b.Int("MemoryLoad", &T::MemoryLoad, &T::SetMemoryLoad);
  b.Int("AllocGranularity", &T::AllocGranularity, &T::SetAllocGranularity);
  b.Int("MaxAppAddress", &T::MaxAppAddress, &T::SetMaxAppAddress);
  b.Int("MinAppAddress", &T::MinAppAddress, &T::SetMinAppAddress);
  b.Int("PageSize", &T::PageSize, &T::SetPageSize);
  b.Int("Win9x_SystemRes", &T::Win9x_SystemRes, &T::SetWin9x_SystemRes);
  b.Int("Win9x_GDIRes", &T::Win9x_GDIRes, &T::SetWin9x_GDIRes);
  b.Int("Win9x_UserRes", &T::Win9x_UserRes, &T::SetWin9x_UserRes);
}

void TMemory::Report(TStrings& report) const {
  auto grouped = [&report](const char* key, uint64_t v) {
    AddValue(report, key, GroupDigits(static_cast<int64_t>(v)));
  };
  AddSection(report, "Memory");
  grouped("PhysMemTotal", FPhysicalTotal);
  grouped("PhysMemFree", FPhysicalFree);
  grouped("PageFileTotal", FPageFileTotal);
  grouped("PageFileFree", FPageFileFree);
  grouped("VirtMemTotal", FVirtualTotal);
  grouped("VirtMemFree", FVirtualFree);
  grouped("AllocGranularity", FAllocGranularity);
  AddValue(report, "MinAppAddress", HexText(FMinAppAddress));
  AddValue(report, "MaxAppAddress", HexText(FMaxAppAddress));
  grouped("PageSize", FPageSize);
}
