// The network category: adapters from the device tree, protocols, services and clients from the
// class keys, the host's addresses, the adapters' hardware addresses, and Windows Sockets.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include "framework/Classes.h"
#include "framework/Strings.h"
#include "sysinfo/SysInfoProps.h"

class TWinsock : public TPersistent {
  VELMORA_CLASS(TWinsock, TPersistent)
  KSI_VALUE(std::string, Description)
  KSI_VALUE(std::string, Status)
  KSI_VALUE(uint16_t, MajorVersion)
  KSI_VALUE(uint16_t, MinorVersion)

 public:
  // Starts Windows Sockets 1.1, reads it and cleans up; shown as "TWinsock.GetInfo".
  void GetInfo();
};

class TNetwork : public TSysInfoCategory {
  VELMORA_CLASS(TNetwork, TSysInfoCategory)
  KSI_VALUE(int, CardAdapterIndex)
  KSI_LIST(IPAddresses)
  KSI_LIST(MACAddresses)
  KSI_LIST(Adapters)
  KSI_LIST(Protocols)
  KSI_LIST(Services)
  KSI_LIST(Clients)

 public:
  TNetwork();

  void GetInfo();
  void Report(TStrings& report) const;

  TWinsock* WinSock() const { return FWinSock.get(); }

 private:
  std::unique_ptr<TWinsock> FWinSock = std::make_unique<TWinsock>();
};

// "00:a0:c9:12:34:56" from six bytes of an adapter address.
std::string MacAddressText(const uint8_t* address);
// Written when an adapter's status cannot be read.
constexpr const char kUnknownMacAddress[] = "??:??:??:??:??:??";
