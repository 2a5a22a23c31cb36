// The help's sources against the program: every page the contents, the index, the links and the
// windows (F1) name exists and is compiled in; what the pages quote of the program is what it
// shows; the setup's exit codes are the ones its script sets.
#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include "app/MainLogic.h"

namespace {

namespace fs = std::filesystem;
const fs::path kSource = VELMORA_SOURCE_DIR;

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The pages compiled into the help: the [FILES] section of the project.
std::set<std::string> CompiledPages() {
  std::istringstream in(Read(kSource / "help" / "velmo.hhp"));
  std::set<std::string> pages;
  bool files = false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') files = line == "[FILES]";
    else if (files && line.size() > 4 && line.substr(line.size() - 4) == ".htm") pages.insert(line);
  }
  return pages;
}

// Every first group of a pattern's matches in a text.
std::vector<std::string> Matches(const std::string& text, const std::string& pattern) {
  std::vector<std::string> out;
  std::regex re(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
    out.push_back((*it)[1]);
  return out;
}

}  // namespace

TEST(HelpPages, EveryPageNamedIsCompiledInAndEveryPageIsNamed) {
  const std::set<std::string> pages = CompiledPages();
  ASSERT_GE(pages.size(), 12u);
  std::set<std::string> onDisk;
  for (const auto& e : fs::directory_iterator(kSource / "help"))
    if (e.path().extension() == ".htm") onDisk.insert(e.path().filename().string());
  EXPECT_EQ(onDisk, pages);
  std::set<std::string> inContents;
  for (const char* file : {"velmo.hhc", "velmo.hhk"})
    for (const std::string& page : Matches(Read(kSource / "help" / file), "name=\"Local\" value=\"([^\"]+)\"")) {
      EXPECT_TRUE(pages.count(page)) << file << " names " << page;
      if (std::string(file) == "velmo.hhc") inContents.insert(page);
    }
  EXPECT_EQ(inContents, pages) << "a page missing from the contents";
  for (const std::string& page : pages)
    for (const std::string& link : Matches(Read(kSource / "help" / page), "href=\"([^\":#]+\\.htm)"))
      EXPECT_TRUE(pages.count(link)) << page << " links to " << link;
}

TEST(HelpPages, F1InEachWindowFindsItsPage) {
  const std::set<std::string> pages = CompiledPages();
  int windows = 0;
  for (const auto& e : fs::directory_iterator(kSource / "resources"))
    if (e.path().extension() == ".desc")
      for (const std::string& topic : Matches(Read(e.path()), "\n  HelpTopic = '([^']*)'")) {
        ++windows;
        EXPECT_TRUE(pages.count(topic)) << e.path().filename() << ": " << topic;
      }
  EXPECT_EQ(windows, 4);  // the main window, the wizard, the system information and its lists
}

TEST(HelpPages, SayWhatTheProgramShows) {
  const fs::path help = kSource / "help";
  const std::string mainwin = Read(help / "mainwin.htm"), tray = Read(help / "tray.htm");
  // The memory number's two units, as its label reads them, and the tray's text in both.
  EXPECT_NE(mainwin.find(mainlogic::MemoryCaption(false)), std::string::npos);
  EXPECT_NE(mainwin.find(mainlogic::MemoryCaption(true)), std::string::npos);
  EXPECT_NE(tray.find(mainlogic::TrayText(7, 96)), std::string::npos);
  EXPECT_NE(tray.find("RAM=12 Gb"), std::string::npos);
  EXPECT_EQ(mainlogic::TrayText(7, 12, true), "Velmora: CPU=7%, RAM=12 Gb");
  // The version comes from the build, and no page calls the program a file that needs no setup.
  for (const auto& e : fs::directory_iterator(help)) {
    const std::string text = Read(e.path());
    EXPECT_FALSE(std::regex_search(text, std::regex("Velmora v[0-9]"))) << e.path().filename();
    EXPECT_EQ(text.find("no installation"), std::string::npos) << e.path().filename();
  }
}

TEST(HelpPages, TheSetupsExitCodesAreTheOnesItsScriptSets) {
  const std::string script = Read(kSource / "dist" / "velmora.nsi");
  std::set<std::string> codes = {"0"};
  for (const std::string& c : Matches(script, "SetErrorLevel ([0-9]+)")) codes.insert(c);
  for (const std::string& c : Matches(script, "StrCpy \\$R8 ([0-9]+)")) codes.insert(c);
  EXPECT_EQ(codes, (std::set<std::string>{"0", "2", "3", "4"}));
  const std::string page = Read(kSource / "help" / "setup.htm");
  std::set<std::string> documented;
  for (const std::string& c : Matches(page, "<tr><td>([0-9]+)</td>")) documented.insert(c);
  EXPECT_EQ(documented, codes);
}
