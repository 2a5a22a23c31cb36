// The DirectX category: the installed version and the Direct3D, DirectPlay and DirectMusic
// driver lists from the registry.
#pragma once
#include <cstddef>
#include <string>
#include "framework/Classes.h"
#include "framework/Strings.h"
#include "sysinfo/SysInfoProps.h"

class TDirectX : public TSysInfoCategory {
  VELMORA_CLASS(TDirectX, TSysInfoCategory)
  KSI_VALUE(std::string, Version)
  KSI_LIST(Direct3D)
  KSI_LIST(DirectPlay)
  KSI_LIST(DirectMusic)

 public:
  void GetInfo();
  void Report(TStrings& report) const;
};

// The binary "InstalledVersion": major and minor as two big-endian 32-bit numbers
// (00 00 00 09 00 00 00 00 is "9.0"); four bytes carry the major alone. Empty when shorter.
std::string DirectXVersionFromInstalled(const void* data, size_t size);
