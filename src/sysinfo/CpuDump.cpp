#include "sysinfo/CpuDump.h"
#include <cstdlib>
#include "framework/Strings.h"
#include "sysinfo/KSI_CPU.h"

namespace {
constexpr int kMaxMhz = 1000000;
constexpr int64_t kCounterFrequency = 1193182;  // the classic timer chip's

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> w;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const size_t b = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > b) w.push_back(line.substr(b, i - b));
  }
  return w;
}

bool ParseHex(const std::string& s, uint32_t& v) {
  if (s.empty() || s.size() > 8) return false;
  v = 0;
  for (char c : s) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    v = v << 4 | static_cast<uint32_t>(d);
  }
  return true;
}

bool ParseHex64(const std::string& s, uint64_t& v) {
  uint32_t high = 0, low = 0;
  if (s.size() > 16) return false;
  const size_t split = s.size() > 8 ? s.size() - 8 : 0;
  if ((split > 0 && !ParseHex(s.substr(0, split), high)) || !ParseHex(s.substr(split), low))
    return false;
  v = static_cast<uint64_t>(high) << 32 | low;
  return true;
}

bool ParseMhz(const std::string& s, int& v) {
  if (s.empty() || s.size() > 7) return false;
  v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  return v <= kMaxMhz;
}

// A piece of the offending line for the message, printable and short.
std::string Quote(const std::string& s) {
  std::string q;
  for (char c : s.substr(0, 40)) q += (c >= 0x20 && c < 0x7F) ? c : '?';
  return "\"" + q + (s.size() > 40 ? "...\"" : "\"");
}

bool Fail(std::string& error, int line, const std::string& what) {
  error = "line " + std::to_string(line) + ": " + what;
  return false;
}

// Leaves whose answer depends on the subleaf: one not recorded ends their list.
bool TakesSubleaf(uint32_t leaf) {
  switch (leaf) {
    case 0x4: case 0x7: case 0xB: case 0xD: case 0xF: case 0x10: case 0x12: case 0x14:
    case 0x17: case 0x18: case 0x1D: case 0x1F: case 0x20: case 0x8000001D: case 0x80000020:
      return true;
    default: return false;
  }
}
}  // namespace

bool ParseCpuDumps(const std::string& text, std::vector<TCpuDump>& dumps, std::string& error) {
  dumps.clear();
  TCpuDump cur;
  bool inBlock = false, hasMhz = false, hasVendor = false;
  int lineNo = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::vector<std::string> w = Words(line);
    if (w.empty() || w[0][0] == '#') continue;
    const std::string& key = w[0];
    if (!inBlock) {
      if (key != "CPU") return Fail(error, lineNo, "expected CPU, found " + Quote(line));
      if (w.size() != 2) return Fail(error, lineNo, "CPU takes one name without blanks");
      cur = TCpuDump{};
      cur.Id = w[1];
      cur.Line = lineNo;
      inBlock = true;
      hasMhz = hasVendor = false;
    } else if (key == "MHZ") {
      if (hasMhz) return Fail(error, lineNo, "a second MHZ in CPU " + cur.Id);
      if (w.size() != 2 || !ParseMhz(w[1], cur.Mhz))
        return Fail(error, lineNo, "MHZ takes a whole number up to 1000000");
      hasMhz = true;
    } else if (key == "VENDOR") {
      if (hasVendor) return Fail(error, lineNo, "a second VENDOR in CPU " + cur.Id);
      // The vendor text may hold blanks of its own, at the end too.
      const size_t at = line.find("VENDOR") + 6;
      cur.Vendor = at < line.size() ? line.substr(at + 1) : std::string();
      hasVendor = true;
    } else if (key == "LEAF") {
      TCpuDumpLeaf leaf;
      if (w.size() != 7 || !ParseHex(w[1], leaf.Leaf) || !ParseHex(w[2], leaf.Subleaf) ||
          !ParseHex(w[3], leaf.Regs.Eax) || !ParseHex(w[4], leaf.Regs.Ebx) ||
          !ParseHex(w[5], leaf.Regs.Ecx) || !ParseHex(w[6], leaf.Regs.Edx))
        return Fail(error, lineNo,
                    "LEAF takes six hexadecimal numbers of up to 8 digits: leaf, subleaf, EAX, "
                    "EBX, ECX, EDX");
      for (const TCpuDumpLeaf& l : cur.Leaves)
        if (l.Leaf == leaf.Leaf && l.Subleaf == leaf.Subleaf)
          return Fail(error, lineNo, "this leaf and subleaf were given before in CPU " + cur.Id);
      cur.Leaves.push_back(leaf);
    } else if (key == "XCR0") {
      if (cur.HasXcr0) return Fail(error, lineNo, "a second XCR0 in CPU " + cur.Id);
      if (w.size() != 2 || !ParseHex64(w[1], cur.Xcr0))
        return Fail(error, lineNo, "XCR0 takes one hexadecimal number of up to 16 digits");
      cur.HasXcr0 = true;
    } else if (key == "END") {
      if (w.size() != 1) return Fail(error, lineNo, "END takes nothing after it");
      if (!hasMhz) return Fail(error, lineNo, "CPU " + cur.Id + " has no MHZ");
      dumps.push_back(std::move(cur));
      inBlock = false;
    } else if (key == "CPU") {
      return Fail(error, lineNo, "CPU " + cur.Id + " has no END before the next CPU");
    } else {
      return Fail(error, lineNo, "unknown line " + Quote(line));
    }
  }
  if (inBlock) return Fail(error, cur.Line, "CPU " + cur.Id + " has no END");
  return true;
}

TCpuDumpProbe::TCpuDumpProbe(const TCpuDump& dump) : FDump(dump) {
  if (const TCpuDumpLeaf* l = Find(0, 0)) FMaxLeaf = l->Regs.Eax;
  if (const TCpuDumpLeaf* l = Find(0x80000000u, 0))
    if ((l->Regs.Eax & 0xFFFF0000u) == 0x80000000u) FMaxExtLeaf = l->Regs.Eax;
}

const TCpuDumpLeaf* TCpuDumpProbe::Find(uint32_t leaf, uint32_t subleaf) const {
  for (const TCpuDumpLeaf& l : FDump.Leaves)
    if (l.Leaf == leaf && l.Subleaf == subleaf) return &l;
  return nullptr;
}

TCpuidRegs TCpuDumpProbe::Cpuid(uint32_t leaf, uint32_t subleaf) {
  if (const TCpuDumpLeaf* l = Find(leaf, subleaf)) return l->Regs;
  if (const TCpuDumpLeaf* l = Find(leaf, 0)) return TakesSubleaf(leaf) ? TCpuidRegs{} : l->Regs;
  // The hypervisor's range is there when leaf 1 says a hypervisor is; what it did not record
  // answers zeros, as any leaf inside an announced range.
  if ((leaf & 0xF0000000u) == 0x40000000u) {
    const TCpuDumpLeaf* l1 = Find(1, 0);
    if (l1 && (l1->Regs.Ecx & 0x80000000u)) return {};
  }
  const bool basic = leaf < 0x80000000u;
  if (basic ? leaf <= FMaxLeaf : FMaxExtLeaf != 0 && leaf <= FMaxExtLeaf) return {};
  const TCpuDumpLeaf* top = Find(FMaxLeaf, 0);
  return top ? top->Regs : TCpuidRegs{};
}

uint64_t TCpuDumpProbe::XGetBv(uint32_t index) {
  if (index != 0) return 0;
  if (FDump.HasXcr0) return FDump.Xcr0;
  if (const TCpuDumpLeaf* l = Find(0xD, 0)) return static_cast<uint64_t>(l->Regs.Edx) << 32 | l->Regs.Eax;
  return 0x3;  // x87 and SSE, which XSAVE always covers
}

bool TCpuDumpProbe::CounterFrequency(int64_t& perSecond) {
  perSecond = kCounterFrequency;
  return FDump.Mhz > 0;
}

uint64_t TCpuDumpProbe::TimeStamp() {
  // ticks x MHz x 10^6 / frequency, in two parts so that nothing overflows.
  const uint64_t f = kCounterFrequency;
  const uint64_t tm = static_cast<uint64_t>(FTicks) * static_cast<uint64_t>(FDump.Mhz);
  return tm / f * 1000000u + tm % f * 1000000u / f;
}

std::vector<std::string> CpuDumpReport(const TCpuDump& dump) {
  TCpuDumpProbe probe(dump);
  TCPU cpu;
  cpu.Gather(probe, 1);
  TStringList report;
  cpu.Report(report);
  std::vector<std::string> lines;
  for (int i = 0; i < report.Count(); ++i) lines.push_back(report[i]);
  lines.push_back("[dialog] " + CpuHeadline(cpu.Packages(), cpu.Vendor(), cpu.VendorID(), cpu.Frequency(),
                                             !cpu.Hypervisor().empty()));
  return lines;
}
