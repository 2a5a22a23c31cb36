// The system-information component against the real system under Wine, in each version mode.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "framework/Dialogs.h"
#include "probes/KSI_CPUUsage.h"
#include "sysinfo/KSystemInfo.h"

namespace {
// Collects message boxes instead of showing them.
class Boxes {
 public:
  Boxes() {
    SetMessageBoxHook([this](const std::string& text, const std::string& caption, UINT) {
      Shown.push_back(caption + ": " + text);
      return IDOK;
    });
  }
  ~Boxes() { SetMessageBoxHook(nullptr); }
  std::vector<std::string> Shown;
};

std::vector<std::string> Headers(const TStrings& report) {
  std::vector<std::string> h;
  for (const std::string& s : report.Items())
    if (!s.empty() && s.front() == '[') h.push_back(s);
  return h;
}

bool InOrder(const std::vector<std::string>& headers, const std::vector<std::string>& wanted) {
  size_t at = 0;
  for (const std::string& w : wanted) {
    while (at < headers.size() && headers[at] != w) ++at;
    if (at == headers.size()) return false;
    ++at;
  }
  return true;
}
}  // namespace

TEST(SysInfoPerVersion, GathersEveryCategoryWithoutAFailureAndReportsInOrder) {
  InitProbes();
  Boxes boxes;
  TKSystemInfo info(nullptr);
  info.Refresh();
  for (const std::string& b : boxes.Shown) ADD_FAILURE() << b;
  TStringList report;
  info.Report(report);
  const std::vector<std::string> headers = Headers(report);
  EXPECT_TRUE(InOrder(headers, {"[Machine]", "[Operating System]", "[CPU]", "[CPU Features]",
                                "[CPU Cache]", "[Memory]", "[Display]", "[Video Modes]",
                                "[Text Capabilities]", "[Advanced Power Management]", "[Media]",
                                "[Sound]", "[Network]", "[Winsock]", "[Devices]", "[ODBC]",
                                "[BDE]", "[DAO]", "[ADO]", "[DirectX]", "[Disks]", "[DiskC:]",
                                "[DiskC:_Flags]", "[Processes]", "[Printers]",
                                "[Installed Software]", "[User Startup]", "[Common Startup]",
                                "[HKLM Run]", "[HKCU Run]", "[Run Once]"}));
  // The disk report leaves the last drive selected.
  EXPECT_EQ(info.Disk()->Drive(), std::string(1, info.Disk()->AvailableDisks().back()) + ":");
}
