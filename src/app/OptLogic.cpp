#include "app/OptLogic.h"
#include "sysinfo/ReportText.h"
#include <algorithm>
#include <climits>

namespace optlogic {

namespace {
const int64_t kMB = 1048576;

int ClampInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); }

const char kInternetSettings[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const char kTcpipParameters[] = "\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";

TuningValue Str(const char* name, const char* text) { return {name, true, text, 0}; }
TuningValue Int(const char* name, int32_t n) { return {name, false, "", n}; }

TuningGroup Connections(int netBarPosition) {
  TuningGroup g{true, kInternetSettings, {}};
  if (int c = ConnectionsFor(netBarPosition)) {
    g.Values.push_back(Int("MaxConnectionsPerServer", c));
    g.Values.push_back(Int("MaxConnectionsPer1_0Server", c));
  }
  return g;
}
}  // namespace

RamRange ComputeRamRange(const TPhysMemory& m, uint64_t largestBlock) {
  int64_t u, a;
  if (!m.Wide) {
    // Wrapping 32-bit arithmetic on the 32-bit figures; division truncates toward zero.
    uint32_t total = static_cast<uint32_t>(m.Total), avail = static_cast<uint32_t>(m.Avail);
    int32_t used = static_cast<int32_t>(total - avail - 33554432u);
    u = used / static_cast<int32_t>(kMB);
    a = static_cast<int32_t>(avail) / static_cast<int32_t>(kMB);
  } else {
    u = (m.Total - m.Avail - 32 * kMB) / kMB;
    a = m.Avail / kMB;
  }
  const int64_t block = static_cast<int64_t>(std::min<uint64_t>(largestBlock / kMB, INT64_MAX / 2));
  const int64_t top = std::min(u + a, block);
  RamRange r{};
  r.AvailMB = a;
  r.MinValue = ClampInt(a + 10);
  r.MaxValue = ClampInt(top);
  r.CanFree = top >= a + 10;
  r.MaxLabel = r.CanFree ? ClampInt(top - a) : 0;
  return r;
}

std::string NothingToFreeCaption(int64_t availMB) {
  return "Nothing to free: " + GroupDigits(availMB, ",") + " MB available";
}

std::string NothingWrittenMessage(bool tableEmpty) {
  return tableEmpty ? "No connection settings to change on this version of Windows."
                    : "The connection settings could not be written.";
}

uint64_t FreeRamBlock(int position, uint64_t limit) {
  if (position <= 0) return 0;
  return std::min(static_cast<uint64_t>(position) * static_cast<uint64_t>(kMB), limit);
}

int ConnectionsFor(int netBarPosition) {
  switch (netBarPosition) {
    case 1: return 5;
    case 2: return 6;
    case 3: return 7;
    case 4: return 8;
  }
  return 0;
}

std::vector<TuningGroup> TuningTable(const std::string& platform, int majorVersion, int netBarPosition) {
  std::vector<TuningGroup> t;
  if (platform == "Windows 9x") {
    t.push_back({false,
                 "\\System\\CurrentControlSet\\Services\\VxD\\MSTCP",
                 {Str("DefaultTTL", "128"), Str("DefaultRcvWindow", "372300"), Str("PMTUBlackHoleDetect", "0"),
                  Str("PMTUDiscovery", "1"), Str("SackOpts", "1"), Int("Tcp1323Opts", 3)}});
    t.push_back(Connections(netBarPosition));
  } else if (platform == "Windows NT" && majorVersion == 4) {
    t.push_back({false,
                 kTcpipParameters,
                 {Int("DefaultTTL", 128), Int("TcpWindowSize", 64240), Int("EnablePMTUBHDetect", 0),
                  Int("EnablePMTUDiscovery", 1)}});
    t.push_back(Connections(netBarPosition));
  } else if (platform == "Windows NT" && majorVersion == 5) {
    t.push_back({false,
                 kTcpipParameters,
                 {Int("DefaultTTL", 128), Int("TcpWindowSize", 372300), Int("GlobalMaxTcpWindowSize", 372300),
                  Int("EnablePMTUBHDetect", 0), Int("EnablePMTUDiscovery", 1), Int("SackOpts", 1),
                  Int("Tcp1323Opts", 3)}});
    t.push_back(Connections(netBarPosition));
  }
  return t;
}

}  // namespace optlogic
