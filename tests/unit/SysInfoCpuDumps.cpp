// Recorded processors: the dump file's reading, the played processor's answers, and every
// processor of the shared collection against what is known of it (expected.csv).
#include <gtest/gtest.h>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include "sysinfo/CpuDump.h"

namespace {
std::vector<std::string> CsvFields(const std::string& line) {
  std::vector<std::string> f(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') f.back() += c, ++i;
    else if (c == '"') quoted = !quoted;
    else if (c == ',' && !quoted) f.emplace_back();
    else if (c != '\r') f.back() += c;
  }
  return f;
}

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Error(const std::string& text) {
  std::vector<TCpuDump> dumps;
  std::string error;
  return ParseCpuDumps(text, dumps, error) ? "(parsed)" : error;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

int CountWord(const std::string& text, const std::string& word) {
  const std::string t = Lower(text), w = Lower(word);
  int n = 0;
  for (size_t at = t.find(w); at != std::string::npos; at = t.find(w, at + 1)) {
    const bool starts = at == 0 || !std::isalnum(static_cast<unsigned char>(t[at - 1]));
    const size_t end = at + w.size();
    if (starts && (end == t.size() || !std::isalnum(static_cast<unsigned char>(t[end])))) ++n;
  }
  return n;
}
}  // namespace

TEST(SysInfoCpuDumps, AMalformedFileIsRefusedNamingTheLine) {
  EXPECT_EQ(Error("LEAF 0 0 1 2 3 4\n"), "line 1: expected CPU, found \"LEAF 0 0 1 2 3 4\"");
  EXPECT_EQ(Error("CPU a\nMHZ 1\nLEAF 0 0 1 2 3\nEND\n").substr(0, 8), "line 3: ");
  EXPECT_EQ(Error("CPU a\nMHZ 1\nLEAF 123456789 0 0 0 0 0\nEND\n").substr(0, 8), "line 3: ");
  EXPECT_EQ(Error("CPU a\nMHZ 1\nLEAF 0 0 0 0 0 0x1\nEND\n").substr(0, 8), "line 3: ");
  EXPECT_EQ(Error("CPU a\nMHZ fast\n"), "line 2: MHZ takes a whole number up to 1000000");
  EXPECT_EQ(Error("CPU a\nMHZ 99999999\nEND\n").substr(0, 8), "line 2: ");
  EXPECT_EQ(Error("# c\nCPU a\nMHZ 5\n"), "line 2: CPU a has no END");
  EXPECT_EQ(Error("CPU a\nMHZ 5\nCPU b\nEND\n"), "line 3: CPU a has no END before the next CPU");
  EXPECT_EQ(Error("CPU a\nEND\n"), "line 2: CPU a has no MHZ");
  EXPECT_EQ(Error("CPU a\nMHZ 5\nMHZ 6\nEND\n").substr(0, 8), "line 3: ");
  EXPECT_EQ(Error("CPU a\nMHZ 5\nLEAF 1 0 0 0 0 0\nLEAF 1 0 0 0 0 0\nEND\n").substr(0, 8),
            "line 4: ");
  EXPECT_EQ(Error("CPU a\nMHZ 5\nSPEED 9\nEND\n"), "line 3: unknown line \"SPEED 9\"");
  EXPECT_EQ(Error("CPU\n"), "line 1: CPU takes one name without blanks");
  EXPECT_EQ(Error("CPU a\nMHZ 5\nEND now\n").substr(0, 8), "line 3: ");
  EXPECT_EQ(Error(std::string("CPU a\nMHZ 5\n\x01\xFF\nEND\n")), "line 3: unknown line \"??\"");

  std::vector<TCpuDump> dumps;
  std::string error;
  ASSERT_TRUE(ParseCpuDumps("# two\r\nCPU sis\r\nMHZ 200\r\nVENDOR SiS SiS SiS \r\n"
                            "LEAF 00000000 0 00000001 20536953 20536953 20536953\r\nEND\r\n\r\n"
                            "CPU none\nMHZ 0\nEND",
                            dumps, error))
      << error;
  ASSERT_EQ(dumps.size(), 2u);
  EXPECT_EQ(dumps[0].Vendor, "SiS SiS SiS ");
  EXPECT_EQ(dumps[0].Line, 2);
  EXPECT_EQ(dumps[0].Leaves[0].Regs.Ebx, 0x20536953u);
  EXPECT_TRUE(dumps[1].Leaves.empty());
  // No leaf at all is a processor without CPUID.
  const std::vector<std::string> none = CpuDumpReport(dumps[1]);
  EXPECT_EQ(none.back(), "[dialog] x86 processor without CPUID - 0 MHz");
}

TEST(SysInfoCpuDumps, TheRecordedProcessorAnswersLikeTheRealOne) {
  std::vector<TCpuDump> dumps;
  std::string error;
  ASSERT_TRUE(ParseCpuDumps("CPU p\nMHZ 100\n"
                            "LEAF 0 0 00000004 756E6547 6C65746E 49656E69\n"
                            "LEAF 1 0 00000F29 0 0 00000010\n"
                            "LEAF 2 0 665B5001 0 0 007B7040\n"
                            "LEAF 4 0 00004121 01C0003F 3F 0\n"
                            "LEAF 80000000 0 80000008 0 0 0\nEND\n",
                            dumps, error));
  TCpuDumpProbe p(dumps[0]);
  EXPECT_EQ(p.Cpuid(2, 7).Eax, 0x665B5001u);   // a leaf without subleaves ignores them
  EXPECT_EQ(p.Cpuid(4, 1).Eax, 0u);            // an unrecorded subleaf ends the list
  EXPECT_EQ(p.Cpuid(3, 0).Eax, 0u);            // inside the range
  EXPECT_EQ(p.Cpuid(0x80000007u, 0).Eax, 0u);
  EXPECT_EQ(p.Cpuid(9, 0).Eax, 0x00004121u);   // above it: the highest basic leaf
  EXPECT_EQ(p.Cpuid(0x80000009u, 0).Eax, 0x00004121u);
  int64_t f = 0;
  ASSERT_TRUE(p.CounterFrequency(f));
  EXPECT_EQ(MeasureClock(p).Snapped, 100);
}

TEST(SysInfoCpuDumps, EveryRecordedProcessorIsIdentifiedAsItIs) {
  const std::string dir = VELMORA_SHARED_DIR "/cpuid/";
  const std::string dumpText = ReadFile(dir + "processors.txt");
  const std::string csv = ReadFile(dir + "expected.csv");
  if (dumpText.empty() || csv.empty()) GTEST_SKIP() << "no processor collection in " << dir;
  std::vector<TCpuDump> dumps;
  std::string error;
  ASSERT_TRUE(ParseCpuDumps(dumpText, dumps, error)) << error;
  std::map<std::string, const TCpuDump*> byId;
  for (const TCpuDump& d : dumps) byId[d.Id] = &d;

  // Processors without a usable brand string, named by the table.
  const std::map<std::string, std::string> tableNames = {
      {"i486dx4", "i80486DX4"}, {"p54c-100", "Pentium"}, {"p55c", "Pentium MMX"},
      {"tillamook", "Pentium MMX (mobile)"}, {"p2od", "Pentium II OverDrive"},
      {"covington", "Celeron"}, {"mendocino-660", "Celeron A"},
      {"dixon", "Pentium II PE (mobile)"}, {"lc-p2-dixon", "Pentium II PE (mobile)"},
      {"coppermine", "Pentium III E"}, {"cascades", "Pentium III Xeon"}, {"k5-ssa5", "K5"},
      {"athlonxp-palomino", "Athlon XP"}, {"cx-6x86-530", "6x86 and 6x86L"},
      {"cx-mii-300", "M-II (PR300-433)"}, {"rise-mp6-521", "mP6"}, {"sis550", "SiS 550"},
      {"qemu-486", "i80486DX4"}, {"qemu-pentium2", "Pentium II"}};
  const std::pair<const char*, const char*> features[] = {
      {"_3DNOW", "3D Now! extensions"}, {"EX_3DNOW", "Enhanced 3D Now! extensions"},
      {"EX_MMX", "Enhanced MMX extensions"}, {"SIMD", "SIMD instructions"},
      {"XSR", "FXSAVE/FXRSTOR instruction"}, {"MMX", "MMX extensions"},
      {"SERIAL", "Serial number"}, {"PSE36", "36bit Page Size Extension"},
      {"PAT", "Page Attribute Table"}, {"CMOV", "CMOVcc (+FCMOVcc/F(U)COMI(P) opcodes"},
      {"MCA", "Machine Check Architecture"}, {"PGE", "Page Global Extension"},
      {"MTRR", "Memory Type Range Registers"}, {"SEP", "SYSENTER/SYSEXIT extension"},
      {"APIC", "Processor contains an enabled APIC"}, {"CX8", "CMPXCHG8B instruction"},
      {"MCE", "Machine Check Exception"}, {"PAE", "Physical Address Extension"},
      {"MSR", "Model Specific Registers"}, {"TSC", "Time Stamp Counter"},
      {"PSE", "Page Size Extension"}, {"DE", "Debugging Extension"},
      {"VME", "Virtual Mode Extension"}, {"FPU", "Built-In FPU"}};

  std::istringstream rows(csv);
  std::string line;
  std::getline(rows, line);
  const std::vector<std::string> head = CsvFields(line);
  int checked = 0;
  while (std::getline(rows, line)) {
    if (line.empty()) continue;
    const std::vector<std::string> cells = CsvFields(line);
    ASSERT_EQ(cells.size(), head.size()) << line;
    std::map<std::string, std::string> e;
    for (size_t i = 0; i < head.size(); ++i) e[head[i]] = cells[i];
    const std::string& id = e["id"];
    SCOPED_TRACE(id);
    ASSERT_TRUE(byId.count(id));

    std::map<std::string, std::string> v;
    const std::vector<std::string> out = CpuDumpReport(*byId[id]);
    for (const std::string& l : out)
      if (size_t eq = l.find('='); eq != std::string::npos) v[l.substr(0, eq)] = l.substr(eq + 1);
    const std::string headline = out.back().substr(9);

    EXPECT_EQ(v["Family"], e["eff_family"]);
    EXPECT_EQ(v["Model"], e["eff_model"]);
    EXPECT_EQ(v["Stepping"], e["stepping"]);

    // The brand string, its padding gone, or the product the table knows.
    const std::string brand = CpuBrandName(e["brand_string"]);
    if (tableNames.count(id))
      EXPECT_EQ(v["VendorID"], tableNames.at(id));
    else
      EXPECT_EQ(v["VendorID"], brand);
    if (e["kind"] == "real") {
      EXPECT_EQ(e["expected_name"].find(v["Vendor"] + " "), 0u) << v["Vendor"];
    }
    EXPECT_EQ(CountWord(headline, v["Vendor"]), 1) << headline;

    auto size = [&](const char* col) { return e[col].empty() ? "0" : e[col]; };
    EXPECT_EQ(v["Level 1 Data Cache"], size("ref_L1D_KB"));
    EXPECT_EQ(v["Level 1 Unified Cache"], size("ref_L1U_KB"));
    EXPECT_EQ(v["Level 2 Unified Cache"], size("ref_L2_KB"));
    EXPECT_EQ(v.count("Level 3 Unified Cache") ? v["Level 3 Unified Cache"] : "0", size("ref_L3_KB"));
    if (e["ref_L1I_KB"] == "TC")
      EXPECT_NE(v["Level 1 Instruction Cache"], "0");  // the trace cache's micro-operations
    else
      EXPECT_EQ(v["Level 1 Instruction Cache"], size("ref_L1I_KB"));

    std::set<std::string> has;
    std::istringstream words(e["ref_features"]);
    for (std::string w; words >> w;) has.insert(w);
    for (const auto& [name, label] : features) EXPECT_EQ(v[label], has.count(name) ? "1" : "0") << name;

    const int mhz = std::atoi(e["nominal_mhz"].c_str());
    EXPECT_EQ(v["Frequency"], std::to_string(has.count("TSC") ? SnapFrequency(mhz) : 0));
    ++checked;
  }
  EXPECT_EQ(checked, static_cast<int>(dumps.size()));
}
