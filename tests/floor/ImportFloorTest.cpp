// velmora.exe and its setup program must load on Windows 95 and NT 4.0: every function they
// import by name must be on the list of those both systems export, and their headers must ask for
// nothing newer. Wine exports
// everything in every version mode, so only this reading of the file itself can tell.
#include <gtest/gtest.h>
#include <algorithm>
#include <cctype>
#include <filesystem>
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

// Every import of the file that is not on the floor, as "dll function" (or "dll #ordinal").
std::string OutsideFloor(const PeInfo& pe, const std::set<std::string>& alsoAllowed = {}) {
  std::vector<std::string> list = ReadFloor();
  std::set<std::string> floor(list.begin(), list.end());
  floor.insert(alsoAllowed.begin(), alsoAllowed.end());
  std::string names;
  for (const PeImport& imp : pe.Imports) {
    std::string entry = Lower(imp.Dll);
    entry += ' ';
    if (imp.Function.empty()) {
      entry += '#';
      entry += std::to_string(imp.Ordinal);
    } else {
      entry += imp.Function;
    }
    if (!floor.count(entry)) names += "\n  " + entry;
  }
  return names;
}

// What a Windows 95 or NT 4.0 loader looks at in the header.
void ExpectOldLoaderHeader(const PeInfo& pe) {
  EXPECT_EQ(pe.Machine, 0x14C);  // i386
  EXPECT_EQ(pe.Subsystem, 2);    // Windows GUI
  EXPECT_EQ(pe.MajorSubsystemVersion, 4);
  EXPECT_EQ(pe.MinorSubsystemVersion, 0);
  EXPECT_EQ(pe.MajorOsVersion, 4);
  EXPECT_EQ(pe.MinorOsVersion, 0);
}

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
  PeInfo pe = ReadProgram();
  ASSERT_FALSE(pe.Imports.empty());
  std::string outside = OutsideFloor(pe);
  EXPECT_TRUE(outside.empty()) << "velmora.exe imports functions outside the floor (look them up at run time, "
                               << "or add them to the list when both systems have them):" << outside;
}

// The libraries only the dialogs need are loaded on first use (framework/LazyImports.cpp): none
// may come back into the import table through a call the table there does not answer, and what
// is looked up there must still be on the floor.
TEST(ImportFloor, ProgramStartsWithTheSystemsCoreLibrariesOnly) {
  PeInfo pe = ReadProgram();
  const std::set<std::string> core = {"advapi32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "shell32.dll",
                                      "user32.dll"};
  std::set<std::string> more;
  for (const PeImport& imp : pe.Imports)
    if (!core.count(Lower(imp.Dll))) more.insert(Lower(imp.Dll) + " " + imp.Function);
  std::string list;
  for (const std::string& m : more) list += "\n  " + m;
  EXPECT_TRUE(more.empty()) << "add these to the table of functions loaded on first use:" << list;

  std::ifstream in(VELMORA_LAZY_IMPORTS_SOURCE);
  ASSERT_TRUE(in) << VELMORA_LAZY_IMPORTS_SOURCE;
  std::vector<std::string> floor = ReadFloor();
  std::set<std::string> onFloor(floor.begin(), floor.end());
  std::string line, outside;
  int entries = 0;
  while (std::getline(in, line)) {
    // X(library, function, bytes, failure)
    size_t x = line.find("X(");
    if (x == std::string::npos || line.find("#define") != std::string::npos) continue;
    size_t c1 = line.find(',', x), c2 = line.find(',', c1 + 1);
    if (c1 == std::string::npos || c2 == std::string::npos) continue;
    std::string lib = line.substr(x + 2, c1 - x - 2), fn = line.substr(c1 + 2, c2 - c1 - 2);
    std::string entry = lib + (lib == "winspool" ? ".drv " : ".dll ") + fn;
    ++entries;
    if (!onFloor.count(entry)) outside += "\n  " + entry;
  }
  EXPECT_GT(entries, 40);
  EXPECT_TRUE(outside.empty()) << "looked up on first use but not on the floor:" << outside;
}

TEST(ImportFloor, HeaderAsksForNothingNewerThanWindows95AndNT4) {
  PeInfo pe = ReadProgram();
  ExpectOldLoaderHeader(pe);
  // Large-address-aware would let the old memory status report wrapped figures above 2 GB.
  EXPECT_EQ(pe.Characteristics & 0x0020, 0);
}

// The setup program and its uninstaller (the same stub), and every plug-in its pages load, must
// load on the same systems as the program they install. The plug-ins are what the build gave
// makensis to choose from: a plug-in outside that folder cannot get into the setup. The stub
// imports a few functions of the NT family directly: Windows 95 exports them too, as stubs that
// fail with ERROR_CALL_NOT_IMPLEMENTED, so the setup loads there. It calls them only for a
// restart or for replacing files at restart, which this setup never asks for.
TEST(ImportFloor, SetupProgramLoadsOnWindows95AndNT4) {
  const std::set<std::string> ntOnlyStubs = {"advapi32.dll AdjustTokenPrivileges", "advapi32.dll LookupPrivilegeValueA",
                                             "advapi32.dll OpenProcessToken", "kernel32.dll MoveFileExA"};
  std::vector<std::string> files = {VELMORA_SETUP};
  for (const auto& e : std::filesystem::directory_iterator(VELMORA_SETUP_PLUGINS))
    if (Lower(e.path().extension().string()) == ".dll") files.push_back(e.path().string());
  std::sort(files.begin() + 1, files.end());
  EXPECT_GE(files.size(), 3u) << "the dialog and system plug-ins of the setup's pages are missing";
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    PeInfo pe = ReadPe(ReadFileBytes(file));
    ASSERT_FALSE(pe.Imports.empty());
    std::string outside = OutsideFloor(pe, ntOnlyStubs);
    EXPECT_TRUE(outside.empty()) << "imports outside the floor:" << outside;
    ExpectOldLoaderHeader(pe);
  }
}

// Explorer, shortcuts, Add/Remove Programs and the setup show the first icon group of the file.
TEST(ProgramFile, ItsOwnIconComesFirst) {
  std::vector<PeResource> groups = ReadPeResources(ReadFileBytes(VELMORA_EXE), 14);  // RT_GROUP_ICON
  ASSERT_GE(groups.size(), 2u);
  EXPECT_EQ(groups[0].Name, "MAINICON");
  // The program's icon offers the large size too (32 x 32 for Explorer and the setup).
  const std::vector<uint8_t>& dir = groups[0].Data;
  ASSERT_GE(dir.size(), 6u);
  bool large = false;
  for (size_t i = 0, n = dir[4] | dir[5] << 8; i < n && 6 + 14 * i + 14 <= dir.size(); ++i)
    large |= dir[6 + 14 * i] == 32;
  EXPECT_TRUE(large);
}

namespace {
// The text of a value of a version resource's string table ("FileVersion"), as stored.
std::string VersionString(const std::vector<uint8_t>& res, const std::string& key) {
  std::u16string wide(key.begin(), key.end());
  wide.push_back(0);
  for (size_t at = 0; at + 2 * wide.size() <= res.size(); at += 2) {
    bool match = true;
    for (size_t k = 0; k < wide.size() && match; ++k)
      match = (res[at + 2 * k] | res[at + 2 * k + 1] << 8) == wide[k];
    if (!match) continue;
    size_t v = (at + 2 * wide.size() + 3) & ~size_t{3};
    std::string text;
    for (; v + 1 < res.size() && (res[v] | res[v + 1]); v += 2) text += static_cast<char>(res[v]);
    return text;
  }
  return "";
}
}  // namespace

// The version written in the build's project: in the file's version resource, as Explorer's
// properties and the setup show it.
TEST(ProgramFile, CarriesTheProjectsVersion) {
  std::vector<PeResource> versions = ReadPeResources(ReadFileBytes(VELMORA_EXE), 16);  // RT_VERSION
  ASSERT_EQ(versions.size(), 1u);
  const std::vector<uint8_t>& v = versions[0].Data;
  EXPECT_EQ(VersionString(v, "FileVersion"), VELMORA_VERSION);
  EXPECT_EQ(VersionString(v, "ProductVersion"), VELMORA_VERSION);
  // The fixed part: 0xFEEF04BD, then the structure version, then the file version's high word.
  const uint8_t signature[] = {0xBD, 0x04, 0xEF, 0xFE};
  auto fixed = std::search(v.begin(), v.end(), std::begin(signature), std::end(signature));
  ASSERT_TRUE(fixed != v.end() && v.end() - fixed >= 12);
  const size_t at = fixed - v.begin() + 8;
  const std::string text = VELMORA_VERSION;
  EXPECT_EQ(v[at + 2] | v[at + 3] << 8, std::stoi(text));
  EXPECT_EQ(v[at] | v[at + 1] << 8, std::stoi(text.substr(text.find('.') + 1)));
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
