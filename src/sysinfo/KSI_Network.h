// The network category: adapters from the device tree, protocols, services and clients from the
// class keys, the host's addresses, the adapters' hardware addresses, and Windows Sockets.
#pragma once
#include <cstdint>
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

 public:
  TNetwork();
  ~TNetwork() override;
  TNetwork(const TNetwork&) = delete;
  TNetwork& operator=(const TNetwork&) = delete;

  void GetInfo();
  void Report(TStrings& report) const;

  TStrings* IPAddresses() const { return FIPAddresses; }
  TStrings* MACAddresses() const { return FMACAddresses; }
  TStrings* Adapters() const { return FAdapters; }
  TStrings* Protocols() const { return FProtocols; }
  TStrings* Services() const { return FServices; }
  TStrings* Clients() const { return FClients; }
  TWinsock* WinSock() const { return FWinSock; }

 private:
  TStrings *FIPAddresses, *FMACAddresses, *FAdapters, *FProtocols, *FServices, *FClients;
  TWinsock* FWinSock;
};

// "00:a0:c9:12:34:56" from six bytes of an adapter address.
std::string MacAddressText(const uint8_t* address);
// Written when an adapter's status cannot be read.
constexpr const char kUnknownMacAddress[] = "??:??:??:??:??:??";
