// Recorded processors: the dump file's reading, the played processor's answers, and every
// processor of the shared collection against what is known of it (expected.csv).
#include <gtest/gtest.h>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include "sysinfo/CpuDump.h"
#include "sysinfo/KSI_CPU.h"

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

// A code name's comparable parts, letters and digits only: the part before "(", and each of
// its "/" alternatives; with inner, what the brackets hold too ("Deschutes core (P6T)").
std::set<std::string> NameParts(const std::string& name, bool inner) {
  auto plain = [](const std::string& t) {
    std::string out;
    for (char c : t)
      if (std::isalnum(static_cast<unsigned char>(c))) out += static_cast<char>(std::tolower(c));
    return out;
  };
  std::set<std::string> parts;
  const size_t open = name.find('(');
  const std::string main = name.substr(0, open);
  parts.insert(plain(main));
  for (size_t at = 0, bar; at <= main.size(); at = bar + 1) {
    bar = main.find('/', at);
    if (bar == std::string::npos) bar = main.size();
    parts.insert(plain(main.substr(at, bar - at)));
  }
  if (inner && open != std::string::npos)
    parts.insert(plain(name.substr(open + 1, name.find(')', open) - open - 1)));
  parts.erase("");
  return parts;
}

bool SameCodeName(const std::string& expected, const std::string& ours) {
  if (expected.empty()) return ours.empty();
  const std::set<std::string> a = NameParts(expected, true), b = NameParts(ours, false);
  for (const std::string& part : a)
    if (b.count(part)) return true;
  return false;
}

std::map<std::string, std::map<std::string, std::string>> ReadCsv(const std::string& text) {
  std::map<std::string, std::map<std::string, std::string>> rows;
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);
  const std::vector<std::string> head = CsvFields(line);
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    const std::vector<std::string> cells = CsvFields(line);
    if (cells.size() != head.size()) continue;
    auto& row = rows[cells[0]];
    for (size_t i = 0; i < head.size(); ++i) row[head[i]] = cells[i];
  }
  return rows;
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

namespace {
// The shared collection, read once; empty when it is not there.
const std::vector<TCpuDump>& Collection() {
  static const std::vector<TCpuDump> dumps = [] {
    std::vector<TCpuDump> d;
    std::string error;
    if (!ParseCpuDumps(ReadFile(VELMORA_SHARED_DIR "/cpuid/processors.txt"), d, error)) d.clear();
    return d;
  }();
  return dumps;
}

const TCpuDump* Dump(const std::string& id) {
  for (const TCpuDump& d : Collection())
    if (d.Id == id) return &d;
  return nullptr;
}

std::map<std::string, std::string> Values(const TCpuDump& dump) {
  std::map<std::string, std::string> v;
  for (const std::string& l : CpuDumpReport(dump))
    if (size_t eq = l.find('='); eq != std::string::npos) v[l.substr(0, eq)] = l.substr(eq + 1);
  return v;
}

TCpuidRegs& Leaf(TCpuDump& d, uint32_t leaf, uint32_t sub) {
  for (TCpuDumpLeaf& l : d.Leaves)
    if (l.Leaf == leaf && l.Subleaf == sub) return l.Regs;
  d.Leaves.push_back({leaf, sub, {}});
  return d.Leaves.back().Regs;
}

// Plays a recorded processor and notes every question that leaves 0, 0x80000000 and the
// hypervisor bit of leaf 1 did not announce, and every XGETBV the system had not allowed.
class TRangeProbe : public TCpuDumpProbe {
 public:
  explicit TRangeProbe(const TCpuDump& d) : TCpuDumpProbe(d), FDump(d) {
    for (const TCpuDumpLeaf& l : d.Leaves) {
      if (l.Leaf == 0) FMax = l.Regs.Eax;
      if (l.Leaf == 0x80000000u && (l.Regs.Eax & 0xFFFF0000u) == 0x80000000u) FMaxExt = l.Regs.Eax;
      if (l.Leaf == 1 && l.Subleaf == 0) FLeaf1Ecx = l.Regs.Ecx;
    }
  }
  TCpuidRegs Cpuid(uint32_t leaf, uint32_t subleaf) override {
    const bool ok = leaf == 0 || leaf == 0x80000000u || (leaf < 0x40000000u && leaf <= FMax) ||
                    (leaf > 0x80000000u && leaf <= FMaxExt) ||
                    (leaf == 0x40000000u && (FLeaf1Ecx >> 31));
    if (!ok) Outside.push_back(leaf);
    return TCpuDumpProbe::Cpuid(leaf, subleaf);
  }
  uint64_t XGetBv(uint32_t index) override {
    if (!((FLeaf1Ecx >> 27) & 1)) Outside.push_back(0xFFFFFFFFu);
    ++XGetBvCalls;
    return TCpuDumpProbe::XGetBv(index);
  }
  std::vector<uint32_t> Outside;
  int XGetBvCalls = 0;

 private:
  const TCpuDump& FDump;
  uint32_t FMax = 0, FMaxExt = 0, FLeaf1Ecx = 0;
};

TCPU* Gather(TCPU& cpu, TCpuDumpProbe& probe) {
  cpu.Gather(probe, 1);
  return &cpu;
}
}  // namespace

TEST(SysInfoCpuDumps, EveryRecordedProcessorHasItsCodeNameCoresAndThreads) {
  const auto expected = ReadCsv(ReadFile(VELMORA_SHARED_DIR "/cpuid/expected.csv"));
  const auto topology = ReadCsv(ReadFile(VELMORA_SHARED_DIR "/cpuid/topology.csv"));
  if (Collection().empty() || expected.empty() || topology.empty()) GTEST_SKIP() << "no collection";
  int named = 0, withName = 0, counted = 0;
  for (const TCpuDump& d : Collection()) {
    SCOPED_TRACE(d.Id);
    ASSERT_TRUE(expected.count(d.Id) && topology.count(d.Id));
    const auto& e = expected.at(d.Id);
    const auto& t = topology.at(d.Id);
    std::map<std::string, std::string> v = Values(d);
    const std::string& code = e.at("expected_codename");
    EXPECT_TRUE(SameCodeName(code, v["CodeName"])) << "\"" << v["CodeName"] << "\" for \"" << code << "\"";
    if (!code.empty()) withName += 1, named += SameCodeName(code, v["CodeName"]);

    // One processor of each recorded chip: one package; the leaves' figures where the table
    // says they are the reference, the product's elsewhere (they differ only on hybrid chips).
    const bool product = t.at("basis") == "product";
    EXPECT_EQ(v["Packages"], "1");
    EXPECT_EQ(v["Cores"], t.at(product ? "product_cores" : "leaves_cores"));
    EXPECT_EQ(v["Threads"], t.at(product ? "product_threads" : "leaves_threads"));
    if (t.at("hybrid").empty()) {
      EXPECT_EQ(v["PerformanceCores"], "0");
      EXPECT_EQ(v["EfficientCores"], "0");
    }
    counted += v["Cores"] == t.at(product ? "product_cores" : "leaves_cores") &&
               v["Threads"] == t.at(product ? "product_threads" : "leaves_threads");
    // A virtual machine's processor says so; the real ones do not.
    EXPECT_EQ(v["Hypervisor"].empty(), e.at("kind") != "qemu") << v["Hypervisor"];
    // The count is a number even where nobody published one.
    EXPECT_FALSE(v["Transistors"].empty());
  }
  EXPECT_EQ(named, withName);
  EXPECT_EQ(counted, static_cast<int>(Collection().size()));
}

TEST(SysInfoCpuDumps, NoLeafIsAskedThatTheProcessorDidNotAnnounce) {
  if (Collection().empty()) GTEST_SKIP() << "no collection";
  for (const TCpuDump& d : Collection()) {
    TRangeProbe probe(d);
    TCPU cpu;
    Gather(cpu, probe);
    EXPECT_TRUE(probe.Outside.empty()) << d.Id << " asked leaf " << std::hex << probe.Outside.front();
  }
}

TEST(SysInfoCpuDumps, InstructionSetsAreTheLeavesBitsWhereTheSystemAllowsThem) {
  if (Collection().empty()) GTEST_SKIP() << "no collection";
  struct Case {
    const char* Id;
    const char* On;
    const char* Off;
    const char* Level;
  } cases[] = {
      {"coppermine", "SSE", "SSE2 x86-64 NX", "0"},
      {"k6-2-cxt", "", "SSE x86-64", "0"},
      {"athlon64-claw", "SSE SSE2 x86-64 NX", "SSE3 AMD-V", "1"},
      {"conroe", "SSSE3 x86-64 NX VT-x", "SSE4.1 POPCNT AMD-V", "1"},
      {"phenom2-deneb", "SSE4a POPCNT AMD-V", "SSSE3 VT-x", "1"},
      {"sandybridge", "SSE4.2 AES PCLMULQDQ AVX POPCNT VT-x", "AVX2 F16C RDRAND", "2"},
      {"skylake", "AVX2 FMA3 F16C BMI1 BMI2 ADX RDRAND RDSEED", "SHA AVX-512F FMA4 AMD-V", "3"},
      {"ryzen-5950x", "AVX2 SHA SSE4a AMD-V RDSEED", "AVX-512F VT-x FMA4 AVX-VNNI", "3"},
      {"alderlake", "AVX-VNNI AVX-512F AVX-512FP16 SHA", "AMX SSE4a", "4"},
      // Recorded where the system had not turned XSAVE on: AVX is there but not usable.
      {"hygon", "SSE4.2 AMD-V ADX", "AVX AVX2 FMA3 SHA", "2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Id);
    const TCpuDump* d = Dump(c.Id);
    ASSERT_NE(d, nullptr);
    std::map<std::string, std::string> v = Values(*d);
    std::istringstream on(c.On), off(c.Off);
    for (std::string w; on >> w;) EXPECT_EQ(v[w], "1") << w;
    for (std::string w; off >> w;) EXPECT_EQ(v[w], "0") << w;
    EXPECT_EQ(v["x86-64 level"], c.Level);
  }
}

TEST(SysInfoCpuDumps, AvxAndLaterCountOnlyWhereTheSystemSavesTheirRegisters) {
  const TCpuDump* skylake = Dump("skylake");
  const TCpuDump* alder = Dump("alderlake");
  if (!skylake || !alder) GTEST_SKIP() << "no collection";
  {
    TRangeProbe probe(*skylake);
    TCPU cpu;
    const TCpuIsaSet& isa = Gather(cpu, probe)->Features()->InstructionSets();
    EXPECT_EQ(probe.XGetBvCalls, 1);
    EXPECT_TRUE(isa.Has(isAVX2));
    EXPECT_EQ(isa.Level, 3);
  }
  // The system saves only the SSE registers (Windows 7 before its first service pack).
  TCpuDump sseOnly = *skylake;
  sseOnly.HasXcr0 = true, sseOnly.Xcr0 = 0x3;
  {
    TCpuDumpProbe probe(sseOnly);
    TCPU cpu;
    const TCpuIsaSet& isa = Gather(cpu, probe)->Features()->InstructionSets();
    for (TCpuIsa i : {isAVX, isAVX2, isFMA3, isF16C}) {
      EXPECT_FALSE(isa.Has(i)) << CpuIsaName(i);
      EXPECT_TRUE(isa.Withheld(i)) << CpuIsaName(i);
    }
    EXPECT_TRUE(isa.Has(isBMI2));  // general-purpose registers need nothing saved
    EXPECT_TRUE(isa.Has(isAES));
    EXPECT_EQ(isa.Level, 2);
    EXPECT_EQ(CpuIsaCaption(isa), "Instruction sets, x86-64 level 2 (* not enabled by the system)");
    EXPECT_EQ(CpuIsaItems(isa)[isAVX].Text, "AVX*");
    EXPECT_FALSE(CpuIsaItems(isa)[isAVX].Checked);
  }
  // No XSAVE at all (Windows XP): XGETBV is never executed.
  TCpuDump noXsave = *skylake;
  Leaf(noXsave, 1, 0).Ecx &= ~(1u << 27);
  {
    TRangeProbe probe(noXsave);
    TCPU cpu;
    const TCpuIsaSet& isa = Gather(cpu, probe)->Features()->InstructionSets();
    EXPECT_EQ(probe.XGetBvCalls, 0);
    EXPECT_TRUE(probe.Outside.empty());
    EXPECT_TRUE(isa.Withheld(isAVX));
    EXPECT_TRUE(isa.Has(isSSE42));
  }
  // AVX saved, the AVX-512 registers not: level 3.
  TCpuDump avxOnly = *alder;
  avxOnly.HasXcr0 = true, avxOnly.Xcr0 = 0x7;
  {
    TCpuDumpProbe probe(avxOnly);
    TCPU cpu;
    const TCpuIsaSet& isa = Gather(cpu, probe)->Features()->InstructionSets();
    EXPECT_TRUE(isa.Has(isAVXVNNI));
    EXPECT_TRUE(isa.Withheld(isAVX512F));
    EXPECT_TRUE(isa.Withheld(isAVX512FP16));
    EXPECT_EQ(isa.Level, 3);
  }
  // The tiles of AMX want their own two state bits (a Sapphire Rapids' leaf 7 on this core).
  TCpuDump tiles = *alder;
  Leaf(tiles, 7, 0).Edx |= 1u << 24;
  tiles.HasXcr0 = true, tiles.Xcr0 = 0xE7;
  TCpuDump tilesSaved = tiles;
  tilesSaved.Xcr0 = 0x600E7;
  {
    TCpuDumpProbe a(tiles), b(tilesSaved);
    TCPU off, on;
    EXPECT_TRUE(Gather(off, a)->Features()->InstructionSets().Withheld(isAMX));
    EXPECT_TRUE(Gather(on, b)->Features()->InstructionSets().Has(isAMX));
  }
}
