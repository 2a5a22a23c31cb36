#include "PeImports.h"
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

struct Section {
  uint32_t va, vsize, raw, rawSize;
};

class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& f) : f_(f) {}
  uint16_t U16(uint64_t off) const {
    Need(off, 2);
    return static_cast<uint16_t>(f_[off] | f_[off + 1] << 8);
  }
  uint32_t U32(uint64_t off) const {
    Need(off, 4);
    return static_cast<uint32_t>(f_[off]) | static_cast<uint32_t>(f_[off + 1]) << 8 |
           static_cast<uint32_t>(f_[off + 2]) << 16 | static_cast<uint32_t>(f_[off + 3]) << 24;
  }
  std::string Str(uint64_t off) const {
    std::string s;
    for (;; ++off) {
      Need(off, 1);
      if (!f_[off]) return s;
      s += static_cast<char>(f_[off]);
    }
  }
  void Need(uint64_t off, uint64_t n) const {
    if (off + n > f_.size()) throw std::runtime_error("truncated file");
  }

 private:
  const std::vector<uint8_t>& f_;
};

uint64_t RvaToOffset(const std::vector<Section>& sections, uint32_t rva) {
  for (const Section& s : sections) {
    uint32_t size = s.vsize > s.rawSize ? s.vsize : s.rawSize;
    if (rva >= s.va && rva - s.va < size) {
      if (rva - s.va >= s.rawSize) break;
      return uint64_t{s.raw} + (rva - s.va);
    }
  }
  throw std::runtime_error("address outside every section");
}

}  // namespace

PeInfo ReadPe(const std::vector<uint8_t>& file) {
  Reader r(file);
  if (r.U16(0) != 0x5A4D) throw std::runtime_error("no MZ header");
  uint64_t pe = r.U32(0x3C);
  if (r.U32(pe) != 0x00004550) throw std::runtime_error("no PE signature");
  PeInfo info;
  uint64_t coff = pe + 4;
  info.Machine = r.U16(coff);
  uint16_t nsections = r.U16(coff + 2);
  uint16_t optSize = r.U16(coff + 16);
  info.Characteristics = r.U16(coff + 18);
  uint64_t opt = coff + 20;
  info.Magic = r.U16(opt);
  if (info.Magic != 0x10B) throw std::runtime_error("not a PE32 image");
  info.MajorOsVersion = r.U16(opt + 40);
  info.MinorOsVersion = r.U16(opt + 42);
  info.MajorSubsystemVersion = r.U16(opt + 48);
  info.MinorSubsystemVersion = r.U16(opt + 50);
  info.Subsystem = r.U16(opt + 68);
  uint32_t ndirs = r.U32(opt + 92);
  std::vector<Section> sections;
  uint64_t sec = opt + optSize;
  for (uint16_t i = 0; i < nsections; ++i, sec += 40)
    sections.push_back({r.U32(sec + 12), r.U32(sec + 8), r.U32(sec + 20), r.U32(sec + 16)});
  if (ndirs < 2) return info;
  uint32_t importRva = r.U32(opt + 96 + 8);
  if (importRva == 0) return info;
  for (uint64_t desc = RvaToOffset(sections, importRva);; desc += 20) {
    uint32_t lookup = r.U32(desc), nameRva = r.U32(desc + 12), iat = r.U32(desc + 16);
    if (!lookup && !nameRva && !iat) break;
    std::string dll = r.Str(RvaToOffset(sections, nameRva));
    for (uint64_t t = RvaToOffset(sections, lookup ? lookup : iat);; t += 4) {
      uint32_t thunk = r.U32(t);
      if (!thunk) break;
      PeImport imp;
      imp.Dll = dll;
      if (thunk & 0x80000000u)
        imp.Ordinal = static_cast<uint16_t>(thunk);
      else
        imp.Function = r.Str(RvaToOffset(sections, thunk & 0x7FFFFFFFu) + 2);
      info.Imports.push_back(imp);
    }
  }
  return info;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
