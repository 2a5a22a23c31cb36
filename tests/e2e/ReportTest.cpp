// The full system-information report as the program gathers it (sysreport.exe, built from the
// same library as velmora.exe), under one version mode, checked against what the host says of
// itself and against fixtures written into the prefix for the run.
#include <gtest/gtest.h>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include "Driver.h"
#include "SysInfoFixtures.h"

using namespace e2e;

namespace {
const char kShortcutName[] = "Velmora E2E Fixture";

struct TReport {
  std::vector<std::string> Lines;
  std::string Boxes;
  DWORD Exit = 99;
};
TReport gReport;

std::vector<std::string> ReadLines(const std::string& file) {
  std::vector<std::string> lines;
  std::ifstream in(file, std::ios::binary);
  for (std::string s; std::getline(in, s);) {
    if (!s.empty() && s.back() == '\r') s.pop_back();
    lines.push_back(s);
  }
  return lines;
}

// The lines of a section, without its header; empty when there is none.
std::vector<std::string> Section(const std::string& title) {
  std::vector<std::string> out;
  const std::string header = "[" + title + "]";
  auto it = std::find(gReport.Lines.begin(), gReport.Lines.end(), header);
  if (it == gReport.Lines.end()) return out;
  for (++it; it != gReport.Lines.end() && (it->empty() || it->front() != '['); ++it)
    out.push_back(*it);
  return out;
}

std::string Value(const std::string& section, const std::string& key) {
  for (const std::string& s : Section(section))
    if (s.rfind(key + "=", 0) == 0) return s.substr(key.size() + 1);
  return "<missing>";
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

int64_t Number(const std::string& grouped) {
  std::string digits;
  for (char c : grouped)
    if (std::isdigit(static_cast<unsigned char>(c))) digits += c;
  return digits.empty() ? -1 : std::stoll(digits);
}

// What Linux says of the processor, read through Wine's view of the root file system.
std::map<std::string, std::string> HostCpu() {
  std::map<std::string, std::string> info;
  std::ifstream in("Z:\\proc\\cpuinfo");
  for (std::string line; std::getline(in, line);) {
    if (line.empty()) break;  // the first processor is enough
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string key = line.substr(0, colon);
    while (!key.empty() && std::isspace(static_cast<unsigned char>(key.back()))) key.pop_back();
    info[key] = colon + 2 <= line.size() ? line.substr(colon + 2) : std::string();
  }
  return info;
}

// The distinct "physical id" values of all processors: the packages Linux sees.
std::set<std::string> HostPackages() {
  std::set<std::string> ids;
  std::ifstream in("Z:\\proc\\cpuinfo");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("physical id", 0) == 0) ids.insert(line.substr(line.find(':') + 1));
  return ids;
}

class Report : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string folder = fixtures::UserStartupFolder();
    const std::string link = folder + "\\" + kShortcutName + ".lnk";
    fixtures::Remove(HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, false);  // an interrupted run's
    ASSERT_TRUE(fixtures::Write(HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, false));
    CreateDirectoryA(folder.c_str(), nullptr);
    fixtures::WriteShortcut(link, "C:\\windows\\notepad.exe", "/velmora");

    const std::string mode = g_winver.empty() ? "default" : g_winver;
    const std::string out = ExeDir() + "report-" + mode + ".txt";
    SetVersionMode("sysreport.exe", g_winver);
    const std::string exe = ExeDir() + "sysreport.exe";
    std::string cmd = "\"" + exe + "\" \"" + out + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       ExeDir().c_str(), &si, &pi)) {
      if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 98);
      GetExitCodeProcess(pi.hProcess, &gReport.Exit);
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
    }
    gReport.Lines = ReadLines(out);
    for (const std::string& b : ReadLines(out + ".boxes")) gReport.Boxes += b + "\n";

    DeleteFileA(link.c_str());
    fixtures::Remove(HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, false);
  }
};
}  // namespace

TEST_F(Report, IsWrittenWithoutAnyFailureBox) {
  EXPECT_EQ(gReport.Exit, 0u);
  EXPECT_EQ(gReport.Boxes, "");
  EXPECT_GT(gReport.Lines.size(), 200u);
}

TEST_F(Report, SectionsComeInTheReportingOrder) {
  const std::vector<std::string> order = {
      "[Machine]", "[Operating System]", "[NT Specific]", "[Environment]", "[Folders]",
      "[Time Zone]", "[CPU]", "[CPU Features]", "[CPU Cache]", "[Memory]", "[Display]",
      "[Video Modes]", "[Curve Capabilities]", "[Line Capabilities]", "[Polygonal Capabilities]",
      "[Raster Capabilities]", "[Text Capabilities]", "[Advanced Power Management]", "[Media]",
      "[Sound]", "[Network]", "[Winsock]", "[Devices]", "[ODBC]", "[BDE]", "[DAO]", "[ADO]",
      "[DirectX]", "[Disks]", "[Processes]", "[Printers]", "[Installed Software]",
      "[User Startup]", "[Common Startup]", "[HKLM Run]", "[HKCU Run]", "[Run Once]"};
  size_t at = 0;
  for (const std::string& header : order) {
    auto it = std::find(gReport.Lines.begin() + at, gReport.Lines.end(), header);
    ASSERT_NE(it, gReport.Lines.end()) << header << " missing or out of order";
    at = it - gReport.Lines.begin() + 1;
  }
  EXPECT_EQ(gReport.Lines.front(), "[Machine]");
}

TEST_F(Report, OperatingSystemLinesFollowTheVersionMode) {
  static const std::map<std::string, std::pair<const char*, const char*>> modes = {
      {"win98", {"Windows 9x", "4.10"}}, {"nt40", {"Windows NT", "4.0"}},
      {"win2k", {"Windows NT", "5.0"}},  {"winxp", {"Windows NT", "5.1"}},
      // Windows 10 tells a program without a manifest that it is 6.2, as Wine does; the
      // kernel's reading is not bent.
      {"win7", {"Windows NT", "6.1"}},   {"win10", {"Windows NT", "10.0"}}};
  auto it = modes.find(g_winver);
  if (it == modes.end()) GTEST_SKIP() << "Wine's own version";
  EXPECT_EQ(Value("Operating System", "Platform"), it->second.first);
  EXPECT_EQ(Value("Operating System", "Version"), it->second.second);
}

TEST_F(Report, ProcessorMatchesTheHost) {
  const auto host = HostCpu();
  ASSERT_FALSE(host.empty()) << "no Z:\\proc\\cpuinfo";
  const std::string vendor = host.at("vendor_id");
  EXPECT_EQ(Value("CPU", "Vendor"), vendor == "GenuineIntel"   ? "Intel"
                                    : vendor == "AuthenticAMD" ? "AMD"
                                                               : vendor);
  // Family and model with the extended bits applied, as Linux gives them.
  EXPECT_EQ(Value("CPU", "Family"), host.at("cpu family"));
  EXPECT_EQ(Value("CPU", "Model"), host.at("model"));
  EXPECT_EQ(Value("CPU", "Stepping"), host.at("stepping"));
  // The brand string, with its runs of blanks made one.
  std::string name;
  for (char c : host.at("model name"))
    if (c != ' ' || (!name.empty() && name.back() != ' ')) name += c;
  while (!name.empty() && name.back() == ' ') name.pop_back();
  EXPECT_EQ(Value("CPU", "VendorID"), name);

  std::set<std::string> flags;
  std::istringstream words(host.at("flags"));
  for (std::string w; words >> w;) flags.insert(w);
  const std::pair<const char*, const char*> features[] = {
      {"3D Now! extensions", "3dnow"}, {"Enhanced 3D Now! extensions", "3dnowext"},
      {"SIMD instructions", "sse"}, {"FXSAVE/FXRSTOR instruction", "fxsr"},
      {"MMX extensions", "mmx"}, {"Serial number", "pn"},
      {"36bit Page Size Extension", "pse36"}, {"Page Attribute Table", "pat"},
      {"CMOVcc (+FCMOVcc/F(U)COMI(P) opcodes", "cmov"}, {"Machine Check Architecture", "mca"},
      {"Page Global Extension", "pge"}, {"Memory Type Range Registers", "mtrr"},
      {"SYSENTER/SYSEXIT extension", "sep"}, {"Processor contains an enabled APIC", "apic"},
      {"CMPXCHG8B instruction", "cx8"}, {"Machine Check Exception", "mce"},
      {"Physical Address Extension", "pae"}, {"Model Specific Registers", "msr"},
      {"Time Stamp Counter", "tsc"}, {"Page Size Extension", "pse"},
      {"Debugging Extension", "de"}, {"Virtual Mode Extension", "vme"},
      {"Built-In FPU", "fpu"}};
  for (const auto& [label, flag] : features)
    EXPECT_EQ(Value("CPU Features", label), flags.count(flag) ? "1" : "0") << flag;

  // The instruction sets as Linux lists those its kernel lets programs use.
  const std::pair<const char*, const char*> sets[] = {
      {"SSE", "sse"}, {"SSE2", "sse2"}, {"SSE3", "pni"}, {"SSSE3", "ssse3"},
      {"SSE4.1", "sse4_1"}, {"SSE4.2", "sse4_2"}, {"SSE4a", "sse4a"}, {"POPCNT", "popcnt"},
      {"AES", "aes"}, {"PCLMULQDQ", "pclmulqdq"}, {"AVX", "avx"}, {"F16C", "f16c"},
      {"FMA3", "fma"}, {"FMA4", "fma4"}, {"AVX2", "avx2"}, {"BMI1", "bmi1"}, {"BMI2", "bmi2"},
      {"ADX", "adx"}, {"SHA", "sha_ni"}, {"AVX-512F", "avx512f"}, {"AVX-512CD", "avx512cd"},
      {"AVX-512BW", "avx512bw"}, {"AVX-512DQ", "avx512dq"}, {"AVX-512VL", "avx512vl"},
      {"AVX-512VNNI", "avx512_vnni"}, {"AVX-512BF16", "avx512_bf16"},
      {"AVX-512FP16", "avx512_fp16"}, {"AVX-VNNI", "avx_vnni"}, {"AMX", "amx_tile"},
      {"RDRAND", "rdrand"}, {"RDSEED", "rdseed"}, {"x86-64", "lm"}, {"NX", "nx"},
      {"VT-x", "vmx"}, {"AMD-V", "svm"}};
  for (const auto& [name, flag] : sets) EXPECT_EQ(Value("CPU Features", name), flags.count(flag) ? "1" : "0") << flag;
  EXPECT_EQ(Value("CPU", "Hypervisor").empty(), !flags.count("hypervisor")) << Value("CPU", "Hypervisor");

  // Packages, and cores and threads of each, as Linux counts them.
  EXPECT_EQ(Value("CPU", "Packages"), std::to_string(std::max<size_t>(1, HostPackages().size())));
  if (host.count("cpu cores")) {
    EXPECT_EQ(Value("CPU", "Cores"), host.at("cpu cores"));
  }
  if (host.count("siblings")) {
    EXPECT_EQ(Value("CPU", "Threads"), host.at("siblings"));
  }
}

TEST_F(Report, MeasuredClockIsWithinTwoPercentOfTheHosts) {
  const auto host = HostCpu();
  ASSERT_TRUE(host.count("cpu MHz"));
  const double mhz = std::atof(host.at("cpu MHz").c_str());
  const double measured = std::atof(Value("CPU", "Frequency").c_str());
  EXPECT_NEAR(measured, mhz, mhz * 0.02);
}

TEST_F(Report, DisplayDrivesAndProcessesAreThisMachines) {
  EXPECT_EQ(Value("Display", "HorzRes"), "1024");
  EXPECT_EQ(Value("Display", "VertRes"), "768");
  EXPECT_NE(Value("Disks", "Available").find('C'), std::string::npos);
  EXPECT_GT(Number(Value("DiskC:", "Capacity")), 4000000000LL);
  EXPECT_LE(Number(Value("DiskC:", "FreeSpace")), Number(Value("DiskC:", "Capacity")));
  bool self = false;
  for (const std::string& line : Section("Processes")) {
    std::string lower = line;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.size() >= 13 && lower.compare(lower.size() - 13, 13, "sysreport.exe") == 0)
      self = true;
  }
  EXPECT_TRUE(self) << "the report's own process is not listed";
}

TEST_F(Report, FixturesAppearWhereTheyBelong) {
  const std::vector<std::string> device = Section(fixtures::kDisplayDevice);
  EXPECT_TRUE(Has(device, std::string("Class Name=") + fixtures::kDisplayClass));
  EXPECT_TRUE(Has(device, "Driver Provider=Velmora Fixtures"));
  EXPECT_TRUE(Has(device, "Service Name=Velmora Video"));
  // The count is that of the device sections that follow.
  auto devices = std::find(gReport.Lines.begin(), gReport.Lines.end(), "[Devices]");
  auto odbc = std::find(gReport.Lines.begin(), gReport.Lines.end(), "[ODBC]");
  ASSERT_TRUE(devices != gReport.Lines.end() && odbc != gReport.Lines.end());
  const auto headers = std::count_if(devices + 1, odbc, [](const std::string& s) {
    return !s.empty() && s.front() == '[';
  });
  EXPECT_EQ(Value("Devices", "Count"), std::to_string(headers));
  EXPECT_TRUE(Section(fixtures::kAbsentNic).empty());
  EXPECT_TRUE(Section(fixtures::kSkippedNetwork).empty());
  EXPECT_EQ(Value("Display", "Adapter"), fixtures::kDisplayDevice);
  EXPECT_EQ(Value("Display", "DAC"), fixtures::kDac);
  EXPECT_EQ(Value("Display", "Chipset"), fixtures::kChip);
  EXPECT_EQ(Value("Network", "Adapter1"), fixtures::kNicDevice);
  EXPECT_EQ(Value("Media", "Device1"), fixtures::kSoundCard);

  EXPECT_EQ(Value("HKCU Run", fixtures::kRunName), fixtures::kRunCommand);
  EXPECT_EQ(Value("HKCU Run", fixtures::kBinaryRunName), "");
  EXPECT_EQ(Value("HKLM Run", fixtures::kMachineRunName), fixtures::kMachineRunCommand);
  // One name in both RunOnce keys: the second is told apart, so that each key is there once.
  const std::vector<std::string> once = Section("Run Once");
  auto user = std::find(once.begin(), once.end(),
                        std::string(fixtures::kOnceName) + "=" + fixtures::kUserOnceCommand);
  auto machine = std::find(once.begin(), once.end(),
                           std::string("%") + fixtures::kOnceName + "#2=" + fixtures::kMachineOnceCommand);
  EXPECT_TRUE(user != once.end() && machine != once.end() && user < machine);
  EXPECT_EQ(Value("User Startup", kShortcutName), "C:\\windows\\notepad.exe /velmora");

  const std::vector<std::string> software = Section("Installed Software");
  EXPECT_TRUE(std::any_of(software.begin(), software.end(), [](const std::string& s) {
    return s.find(std::string("=") + fixtures::kSoftware) != std::string::npos;
  }));
}
