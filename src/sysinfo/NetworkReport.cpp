// The network classes' tables, lifetime and report lines.
#include <cstdio>
#include "sysinfo/KSI_Network.h"
#include "sysinfo/ReportText.h"

VELMORA_CLASS_INFO(TWinsock) {
  using T = TWinsock;
  b.Str("Description", &T::Description, &T::SetDescription);
  b.Str("Status", &T::Status, &T::SetStatus);
  b.Int("MajorVersion", &T::MajorVersion, &T::SetMajorVersion);
  b.Int("MinorVersion", &T::MinorVersion, &T::SetMinorVersion);
}

VELMORA_CLASS_INFO(TNetwork) {
  using T = TNetwork;
  b.Strings("IPAddresses", &T::IPAddresses);
  b.Strings("MACAddresses", &T::MACAddresses);
  b.Strings("Adapters", &T::Adapters);
  b.Strings("Protocols", &T::Protocols);
  b.Strings("Services", &T::Services);
  b.Strings("Clients", &T::Clients);
  b.Int("CardAdapterIndex", &T::CardAdapterIndex, &T::SetCardAdapterIndex);
  b.Object("WinSock", &T::WinSock);
}

TNetwork::TNetwork() { FCardAdapterIndex = -1; }

void TNetwork::Report(TStrings& report) const {
  AddSection(report, "Network");
  WriteList(report, "Count", "Adapter", *FAdapters);
  WriteList(report, "ProtoCount", "Protocol", *FProtocols);
  WriteList(report, "ServiceCount", "Service", *FServices);
  WriteList(report, "ClientCount", "Client", *FClients);
  WriteList(report, "IPCount", "IPAddress", *FIPAddresses);
  WriteList(report, "MACCount", "MACAddress", *FMACAddresses);
  AddSection(report, "Winsock");
  AddValue(report, "Description", FWinSock->Description());
  AddValue(report, "Version", std::to_string(FWinSock->MajorVersion()) + "." +
                                  std::to_string(FWinSock->MinorVersion()));
  AddValue(report, "Status", FWinSock->Status());
}

std::string MacAddressText(const uint8_t* a) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%2.2x:%2.2x:%2.2x:%2.2x:%2.2x:%2.2x", a[0], a[1], a[2], a[3],
                a[4], a[5]);
  return buf;
}
