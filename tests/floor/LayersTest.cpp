// The families under src/ stand in levels, and includes point down: a family may include its own
// headers and those of the levels below it, never one of its level or above it. Read from the
// sources themselves, so that no include can run up unnoticed.
#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>

namespace fs = std::filesystem;

namespace {

// Bottom first: the framework everything rests on; the probes and the shell and flat controls on
// it; the instruments, the wizard and the system information beside each other above them; the
// program itself on top.
const std::map<std::string, int> kLevel = {
    {"framework", 0},   {"probes", 1}, {"shell", 1},   {"flat", 1},
    {"instruments", 2}, {"wizard", 2}, {"sysinfo", 2}, {"app", 3},
};

struct Include {
  std::string File;  // relative to src/
  int Line;
  std::string Family, Target;
};

std::vector<Include> ReadIncludes(const fs::path& src) {
  static const std::regex include(R"re(^\s*#\s*include\s*"(([^/"]+)/[^"]+)")re");
  std::vector<Include> found;
  for (const auto& entry : fs::recursive_directory_iterator(src)) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
    const std::string rel = fs::relative(entry.path(), src).generic_string();
    std::ifstream in(entry.path());
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
      std::smatch m;
      if (std::regex_search(line, m, include)) found.push_back({rel, n, m[2], m[1]});
    }
  }
  return found;
}

std::string FamilyOf(const std::string& file) { return file.substr(0, file.find('/')); }

}  // namespace

TEST(Layers, EveryIncludePointsDown) {
  const std::vector<Include> includes = ReadIncludes(VELMORA_SOURCE_DIR);
  ASSERT_GT(includes.size(), 500u) << "the sources were not found at " << VELMORA_SOURCE_DIR;
  std::string wrong;
  for (const Include& i : includes) {
    const std::string from = FamilyOf(i.File);
    const auto own = kLevel.find(from), target = kLevel.find(i.Family);
    if (own == kLevel.end() || target == kLevel.end()) {
      wrong += "\n  " + i.File + ":" + std::to_string(i.Line) + " " + i.Target + ": a family without a level";
      continue;
    }
    if (from == i.Family || target->second < own->second) continue;
    wrong += "\n  " + i.File + ":" + std::to_string(i.Line) + " includes " + i.Target + " (" + i.Family +
             (target->second == own->second ? " stands beside " : " stands above ") + from + ")";
  }
  EXPECT_TRUE(wrong.empty()) << "includes that do not point down:" << wrong;
}
