// cpuid-report <file>: decodes recorded CPUID answers with the program's own processor
// identification and prints, per processor, its report sections and the CPU page's first line.
// Exits with 1 and the line at fault when the file is malformed, 2 when it cannot be read.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include "sysinfo/CpuDump.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: cpuid-report <file of CPUID dumps>\n");
    return 2;
  }
  std::error_code ec;
  std::ifstream in(argv[1], std::ios::binary);
  if (!in || std::filesystem::is_directory(argv[1], ec)) {
    std::fprintf(stderr, "cpuid-report: cannot read %s\n", argv[1]);
    return 2;
  }
  std::stringstream text;
  text << in.rdbuf();
  std::vector<TCpuDump> dumps;
  std::string error;
  if (!ParseCpuDumps(text.str(), dumps, error)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  for (const TCpuDump& d : dumps) {
    std::printf("==== %s ====\n", d.Id.c_str());
    for (const std::string& line : CpuDumpReport(d)) std::printf("%s\n", line.c_str());
  }
  return 0;
}
