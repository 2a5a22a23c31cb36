// The network gathered from the running system: Windows Sockets 1.1, the device tree, the class
// keys and NetBIOS.
#include "sysinfo/KSI_Network.h"
#include <windows.h>
#include <winsock.h>
#include <nb30.h>
#include <algorithm>
#include <cstring>
#include "probes/Kestrix_Routines.h"
#include "sysinfo/KSI_Devices.h"
#include "sysinfo/SysInfoWin.h"

namespace {
// Windows Sockets started for version 1.1 while it lives.
class TSockets {
 public:
  TSockets() { FStarted = WSAStartup(MAKEWORD(1, 1), &FData) == 0; }
  ~TSockets() {
    if (FStarted) WSACleanup();
  }
  TSockets(const TSockets&) = delete;
  TSockets& operator=(const TSockets&) = delete;
  bool Started() const { return FStarted; }
  const WSADATA& Data() const { return FData; }

 private:
  WSADATA FData{};
  bool FStarted = false;
};

std::string Bounded(const char* s, size_t size) { return std::string(s, strnlen(s, size)); }

// Resolving the host's own name may ask the network's name servers, and NetBIOS may wait on
// its transports: neither may hold the gathering longer than this.
constexpr unsigned kNetworkTimeoutMs = 4000;

std::vector<std::string> HostAddresses() {
  std::vector<std::string> out;
  TSockets sockets;
  if (!sockets.Started()) return out;
  char name[65] = {};
  if (gethostname(name, 64) != 0) return out;
  const hostent* host = gethostbyname(name);
  if (!host || host->h_addrtype != AF_INET || !host->h_addr_list) return out;
  for (char** a = host->h_addr_list; *a; ++a) {
    in_addr addr;
    std::memcpy(&addr, *a, sizeof addr);
    if (const char* text = inet_ntoa(addr)) out.push_back(text);
  }
  return out;
}

struct TAdapterStatus {
  ADAPTER_STATUS Status;
  NAME_BUFFER Names[30];
};

std::vector<std::string> MacAddresses() {
  std::vector<std::string> out;
  const auto netbios = SysApi().Netbios;
  if (!netbios) return out;
  LANA_ENUM lanas;
  ZeroMemory(&lanas, sizeof lanas);
  NCB ncb;
  ZeroMemory(&ncb, sizeof ncb);
  ncb.ncb_command = NCBENUM;
  ncb.ncb_buffer = reinterpret_cast<PUCHAR>(&lanas);
  ncb.ncb_length = sizeof lanas;
  if (netbios(&ncb) != NRC_GOODRET) return out;
  const int count = lanas.length < MAX_LANA ? lanas.length : MAX_LANA;
  for (int i = 0; i < count; ++i) {
    ZeroMemory(&ncb, sizeof ncb);
    ncb.ncb_command = NCBRESET;
    ncb.ncb_lana_num = lanas.lana[i];
    if (netbios(&ncb) != NRC_GOODRET) continue;
    TAdapterStatus status;
    ZeroMemory(&status, sizeof status);
    ZeroMemory(&ncb, sizeof ncb);
    ncb.ncb_command = NCBASTAT;
    ncb.ncb_lana_num = lanas.lana[i];
    std::memset(ncb.ncb_callname, ' ', NCBNAMSZ);
    ncb.ncb_callname[0] = '*';
    ncb.ncb_buffer = reinterpret_cast<PUCHAR>(&status);
    ncb.ncb_length = sizeof status;
    const std::string text = netbios(&ncb) == NRC_GOODRET
                                 ? MacAddressText(status.Status.adapter_address)
                                 : std::string(kUnknownMacAddress);
    if (std::find(out.begin(), out.end(), text) == out.end()) out.push_back(text);
  }
  return out;
}

void Fill(TStrings& list, const std::vector<std::string>& items) {
  list.Clear();
  for (const std::string& s : items) list.Add(s);
}
}  // namespace

void TWinsock::GetInfo() {
  GatherGuarded("TWinsock.GetInfo", [this] {
    TSockets sockets;
    if (!sockets.Started()) {
      FStatus = "Winsock cannot be initialized.";
      return;
    }
    const WSADATA& d = sockets.Data();
    FDescription = Bounded(d.szDescription, sizeof d.szDescription);
    FStatus = Bounded(d.szSystemStatus, sizeof d.szSystemStatus);
    FMajorVersion = LOBYTE(d.wHighVersion);
    FMinorVersion = HIBYTE(d.wHighVersion);
  });
}

void TNetwork::GetInfo() {
  GatherGuarded("TNetwork.GetInfo", [this] {
    FWinSock->GetInfo();
    // The addresses are asked on a thread of their own while the registry is read; what is
    // not told in time is left out.
    using TAddresses = std::pair<std::vector<std::string>, std::vector<std::string>>;
    const auto addresses = std::make_shared<TAddresses>();
    TBoundedWork lookup([addresses] { *addresses = {HostAddresses(), MacAddresses()}; });

    FAdapters->Clear();
    FCardAdapterIndex = -1;
    TDevices devices;
    ReadDevices(devices);
    for (int i = 0; i < devices.DeviceCount(); ++i) {
      const TDeviceRecord& d = devices.Device(i);
      if (d.ClassKind != ckNet) continue;
      if (FCardAdapterIndex < 0 && !d.Location.empty()) FCardAdapterIndex = FAdapters->Count();
      FAdapters->Add(d.Caption());
    }

    // Windows 2000 keeps its network components under a key of their own.
    const bool own = IsWin2000();
    const std::string key = own ? "SYSTEM\\CurrentControlSet\\Control\\Network" : SysClassKey();
    const char* value = own ? "Description" : "DriverDesc";
    Fill(*FProtocols, ClassLookup(key, "NetTrans", value));
    Fill(*FServices, ClassLookup(key, "NetService", value));
    Fill(*FClients, ClassLookup(key, "NetClient", value));

    const bool answered = lookup.Wait(kNetworkTimeoutMs);
    Fill(*FIPAddresses, answered ? addresses->first : std::vector<std::string>());
    Fill(*FMACAddresses, answered ? addresses->second : std::vector<std::string>());
  });
}
