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

namespace {
// The section table, and where the optional header starts.
std::vector<Section> ReadSections(const Reader& r, uint64_t& opt) {
  if (r.U16(0) != 0x5A4D) throw std::runtime_error("no MZ header");
  uint64_t pe = r.U32(0x3C);
  if (r.U32(pe) != 0x00004550) throw std::runtime_error("no PE signature");
  uint64_t coff = pe + 4;
  uint16_t nsections = r.U16(coff + 2);
  uint16_t optSize = r.U16(coff + 16);
  opt = coff + 20;
  std::vector<Section> sections;
  uint64_t sec = opt + optSize;
  for (uint16_t i = 0; i < nsections; ++i, sec += 40)
    sections.push_back({r.U32(sec + 12), r.U32(sec + 8), r.U32(sec + 20), r.U32(sec + 16)});
  return sections;
}

// A resource directory's entries: (name or id, offset of what it points to, points to a
// subdirectory). Offsets are from the start of the resource directory.
struct DirEntry {
  std::string Name;
  uint16_t Id;
  uint32_t Offset;
  bool Subdir;
};

std::vector<DirEntry> ReadDir(const Reader& r, uint64_t base, uint32_t offset) {
  uint64_t dir = base + offset;
  int n = r.U16(dir + 12) + r.U16(dir + 14);
  std::vector<DirEntry> out;
  for (int i = 0; i < n; ++i) {
    uint64_t e = dir + 16 + 8u * i;
    uint32_t name = r.U32(e), to = r.U32(e + 4);
    DirEntry d{"", 0, to & 0x7FFFFFFFu, (to & 0x80000000u) != 0};
    if (name & 0x80000000u) {
      uint64_t s = base + (name & 0x7FFFFFFFu);
      for (uint16_t k = 0, len = r.U16(s); k < len; ++k) d.Name += static_cast<char>(r.U16(s + 2 + 2u * k));
    } else {
      d.Id = static_cast<uint16_t>(name);
    }
    out.push_back(d);
  }
  return out;
}
}  // namespace

std::vector<PeResource> ReadPeResources(const std::vector<uint8_t>& file, uint16_t type) {
  PeInfo info = ReadPe(file);
  Reader r(file);
  uint64_t opt = 0;
  std::vector<Section> sections = ReadSections(r, opt);
  std::vector<PeResource> out;
  if (!info.ResourceRva) return out;
  const uint64_t base = RvaToOffset(sections, info.ResourceRva);
  for (const DirEntry& t : ReadDir(r, base, 0)) {
    if (!t.Subdir || !t.Name.empty() || t.Id != type) continue;
    for (const DirEntry& res : ReadDir(r, base, t.Offset)) {
      if (!res.Subdir) continue;
      std::vector<DirEntry> langs = ReadDir(r, base, res.Offset);
      if (langs.empty() || langs[0].Subdir) continue;
      uint64_t entry = base + langs[0].Offset;
      uint32_t rva = r.U32(entry), size = r.U32(entry + 4);
      uint64_t at = RvaToOffset(sections, rva);
      r.Need(at, size);
      out.push_back({res.Name, res.Id, std::vector<uint8_t>(file.begin() + at, file.begin() + at + size)});
    }
  }
  return out;
}

PeInfo ReadPe(const std::vector<uint8_t>& file) {
  Reader r(file);
  uint64_t opt = 0;
  std::vector<Section> sections = ReadSections(r, opt);
  PeInfo info;
  info.Machine = r.U16(opt - 20);
  info.Characteristics = r.U16(opt - 2);
  info.Magic = r.U16(opt);
  if (info.Magic != 0x10B) throw std::runtime_error("not a PE32 image");
  info.MajorOsVersion = r.U16(opt + 40);
  info.MinorOsVersion = r.U16(opt + 42);
  info.MajorSubsystemVersion = r.U16(opt + 48);
  info.MinorSubsystemVersion = r.U16(opt + 50);
  info.Subsystem = r.U16(opt + 68);
  uint32_t ndirs = r.U32(opt + 92);
  if (ndirs > 2) info.ResourceRva = r.U32(opt + 96 + 16);
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
