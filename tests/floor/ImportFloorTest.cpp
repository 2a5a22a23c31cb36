// velmora.exe must load on Windows 95 and NT 4.0: every function it imports by name must be on
// the list of those both systems export, and its header must ask for nothing newer. Wine exports
// everything in every version mode, so only this reading of the file itself can tell.
#include <gtest/gtest.h>
#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>
#include "PeImports.h"

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The floor's entries, "dll function", in the file's order.
std::vector<std::string> ReadFloor() {
  std::ifstream in(VELMORA_IMPORT_FLOOR);
  EXPECT_TRUE(in) << "cannot open " << VELMORA_IMPORT_FLOOR;
  std::vector<std::string> entries;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    entries.push_back(line);
  }
  return entries;
}

PeInfo ReadProgram() { return ReadPe(ReadFileBytes(VELMORA_EXE)); }

}  // namespace

TEST(ImportFloor, ListIsSortedUniqueAndWellFormed) {
  std::vector<std::string> floor = ReadFloor();
  ASSERT_FALSE(floor.empty());
  for (const std::string& e : floor) {
    size_t sp = e.find(' ');
    ASSERT_NE(sp, std::string::npos) << "'" << e << "' is not 'dll function'";
    EXPECT_EQ(e.substr(0, sp), Lower(e.substr(0, sp))) << e << ": the DLL name is written in lower case";
    EXPECT_EQ(e.find(' ', sp + 1), std::string::npos) << "'" << e << "'";
  }
  for (size_t i = 1; i < floor.size(); ++i)
    EXPECT_LT(floor[i - 1], floor[i]) << "out of order or repeated (sort with LC_ALL=C sort -u)";
}

TEST(ImportFloor, ProgramImportsOnlyWhatWindows95AndNT4BothHave) {
  std::vector<std::string> list = ReadFloor();
  std::set<std::string> floor(list.begin(), list.end());
  PeInfo pe = ReadProgram();
  ASSERT_FALSE(pe.Imports.empty());
  std::vector<std::string> outside;
  for (const PeImport& imp : pe.Imports) {
    std::string entry = Lower(imp.Dll);
    entry += ' ';
    if (imp.Function.empty()) {
      entry += '#';
      entry += std::to_string(imp.Ordinal);
    } else {
      entry += imp.Function;
    }
    if (!floor.count(entry)) outside.push_back(entry);
  }
  std::string names;
  for (const std::string& o : outside) names += "\n  " + o;
  EXPECT_TRUE(outside.empty()) << "velmora.exe imports functions outside the floor (look them up at run time, "
                               << "or add them to the list when both systems have them):" << names;
}

TEST(ImportFloor, HeaderAsksForNothingNewerThanWindows95AndNT4) {
  PeInfo pe = ReadProgram();
  EXPECT_EQ(pe.Machine, 0x14C);                   // i386
  EXPECT_EQ(pe.Subsystem, 2);                     // Windows GUI
  EXPECT_EQ(pe.MajorSubsystemVersion, 4);
  EXPECT_EQ(pe.MinorSubsystemVersion, 0);
  EXPECT_EQ(pe.MajorOsVersion, 4);
  EXPECT_EQ(pe.MinorOsVersion, 0);
  // Large-address-aware would let the old memory status report wrapped figures above 2 GB.
  EXPECT_EQ(pe.Characteristics & 0x0020, 0);
}

TEST(PeReader, RefusesWhatIsNotAnImage) {
  EXPECT_THROW(ReadPe({}), std::runtime_error);
  EXPECT_THROW(ReadPe({'M', 'Z'}), std::runtime_error);
  std::vector<uint8_t> f(0x100, 0);
  f[0] = 'M';
  f[1] = 'Z';
  f[0x3C] = 0xF0;  // the PE header would start past the end
  EXPECT_THROW(ReadPe(f), std::runtime_error);
}
