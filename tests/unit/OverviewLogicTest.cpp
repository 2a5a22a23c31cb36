#include <gtest/gtest.h>
#include "sysinfo/OverviewLogic.h"
#include "sysinfo/ReportText.h"

using namespace overview;

TEST(OverviewLogic, NumberPatterns) {
  SetThousandSeparator(",");
  EXPECT_EQ(GroupedOrEmpty(0), "");
  EXPECT_EQ(GroupedOrZero(0), "0");
  EXPECT_EQ(GroupedOrEmpty(268435456), "268,435,456");
  EXPECT_EQ(GroupedOrZero(4096), "4,096");
  EXPECT_EQ(GroupedOrEmpty(25769803776ull), "25,769,803,776");  // above 4 GB
}

TEST(OverviewLogic, ProcessIdentifiersRoundTripPerFamily) {
  EXPECT_EQ(PidText(1234, true), "1234");
  EXPECT_EQ(PidText(6699, false), "0x1A2B");
  EXPECT_EQ(PidText(0xFFF1A2B3u, false), "0xFFF1A2B3");
  uint32_t id = 0;
  EXPECT_TRUE(ParsePid("0x1A2B", id));
  EXPECT_EQ(id, 6699u);
  EXPECT_TRUE(ParsePid("0xfff1a2b3", id));
  EXPECT_EQ(id, 0xFFF1A2B3u);
  EXPECT_TRUE(ParsePid("4294967295", id));
  EXPECT_EQ(id, 4294967295u);
  for (const char* bad : {"", "0x", "12a", "-5", "4294967296", "0x1FFFFFFFF", "0x-1", " "}) {
    id = 7;
    EXPECT_FALSE(ParsePid(bad, id)) << bad;
    EXPECT_EQ(id, 7u);
  }
}

TEST(OverviewLogic, ImageNamesAndTheTerminateQuestion) {
  EXPECT_EQ(SplitImageName("C:\\WINDOWS\\SYSTEM\\KERNEL32.DLL"),
            (std::pair<std::string, std::string>{"C:\\WINDOWS\\SYSTEM\\", "KERNEL32.DLL"}));
  EXPECT_EQ(SplitImageName("smss.exe"), (std::pair<std::string, std::string>{"", "smss.exe"}));
  EXPECT_EQ(SplitImageName(""), (std::pair<std::string, std::string>{"", ""}));
  std::string q = TerminateQuestion("notepad.exe");
  EXPECT_EQ(q.substr(0, 15), "notepad.exe\r\n\r\n");
  EXPECT_NE(q.find("undesired \r\nresults"), std::string::npos);
  EXPECT_EQ(q.substr(q.size() - 22), "terminate the process?");
}

TEST(OverviewLogic, ReportFileNamesFromTabCaptions) {
  EXPECT_EQ(ReportFileName(" Processess "), "Processess.txt");
  EXPECT_EQ(ReportFileName(" Machine "), "Machine.txt");
  EXPECT_EQ(ReportFileName("Time Zone"), "Time Zone.txt");
  // A computer description may hold anything.
  EXPECT_EQ(ReportFileName(" Bob's PC: a/b "), "Bob's PC_ a_b.txt");
  EXPECT_EQ(ReportFileName("  "), "SystemInfo.txt");
  // Long: 60 characters and ".txt"; double-byte characters are kept whole, and their trail
  // bytes, which may be "\\" or "|", are not file-name characters of their own.
  const std::string acpi = "Advanced Configuration and Power Interface (ACPI) PC";
  EXPECT_EQ(ReportFileName(acpi + " "), acpi + ".txt");
  EXPECT_EQ(ReportFileName(std::string(3000, 'D')), std::string(60, 'D') + ".txt");
  auto shiftJis = [](unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); };
  std::string kanji;
  for (int i = 0; i < 40; ++i) kanji += "\x95\x5C";  // a character whose trail byte is "\\"
  EXPECT_EQ(ReportFileName(kanji, shiftJis), kanji.substr(0, 120) + ".txt");
  const std::string x = "x";
  EXPECT_EQ(ReportFileName(x + kanji, shiftJis), x + kanji.substr(0, 118) + ".txt");
  // What Windows would cut off or take for a device.
  EXPECT_EQ(ReportFileName("Server. . ."), "Server.txt");
  EXPECT_EQ(ReportFileName(std::string(59, 'a') + " b"), std::string(59, 'a') + ".txt");
  EXPECT_EQ(ReportFileName("a\x7F<b>*?\"|\t"), "a__b_____.txt");
  for (const char* device : {"CON", "nul", "Com1", "LPT9", "aux.backup", "PRN  ", "CONOUT$", "COM\xB9"})
    EXPECT_EQ(ReportFileName(device)[0], '_') << device;
  for (const char* name : {"CONSOLE", "COM10", "LPT", "Null", "NUL-modem"}) EXPECT_NE(ReportFileName(name)[0], '_') << name;
  EXPECT_EQ(ReportFileName("CON." + std::string(80, 'x')), "_CON." + std::string(55, 'x') + ".txt");
}

TEST(OverviewLogic, CaptionsFromTheSystemAreShortenedForDisplay) {
  EXPECT_EQ(ShortCaption("Front desk"), "Front desk");
  EXPECT_EQ(ShortCaption(std::string(32, 'x')), std::string(32, 'x'));
  // After the last whole word that fits, with an ellipsis.
  EXPECT_EQ(ShortCaption("Advanced Configuration and Power Interface (ACPI) PC"), "Advanced Configuration and...");
  EXPECT_EQ(ShortCaption(std::string(3000, 'x')), std::string(29, 'x') + "...");
  const std::string a = "a ";
  EXPECT_EQ(ShortCaption(a + std::string(40, 'x')), a + std::string(27, 'x') + "...");
  EXPECT_EQ(ShortCaption("Line\r\nbreak", 8), "Line...");
  EXPECT_EQ(ShortCaption("abcdefgh", 3), "...");
  auto shiftJis = [](unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); };
  std::string kanji;
  for (int i = 0; i < 40; ++i) kanji += "\x93\xFA";
  EXPECT_EQ(ShortCaption(kanji, 10, shiftJis), kanji.substr(0, 14) + "...");
  // By what the place can show: here a "W" takes three units of twenty.
  auto narrow = [](const std::string& t) {
    size_t w = 0;
    for (char c : t) w += c == 'W' ? 3 : 1;
    return w <= 20;
  };
  EXPECT_EQ(ShortCaption(std::string(30, 'W'), narrow), std::string(5, 'W') + "...");
  EXPECT_EQ(ShortCaption(std::string(20, 'i'), narrow), std::string(20, 'i'));
}

TEST(OverviewLogic, UsedSpaceAndFlagLines) {
  EXPECT_EQ(UsedPercent(1000, 375), 62);   // 62.5
  EXPECT_EQ(UsedPercent(1000, 365), 64);   // 63.5
  EXPECT_EQ(UsedPercent(0, 0), -1);
  EXPECT_EQ(UsedPercent(100, 200), 0);     // more free than capacity: nothing used
  EXPECT_EQ(UsedPercent(500LL << 32, 0), 100);
  TStringList lines;
  lines.SetText("[Curve Capabilities]\r\nCircles=1\r\nPie Wedges=0\r\nnoise\r\n");
  auto items = FlagItems(lines);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0], (std::pair<std::string, bool>{"Circles", true}));
  EXPECT_EQ(items[1], (std::pair<std::string, bool>{"Pie Wedges", false}));
}

TEST(OverviewLogic, DevicesGroupUnderOneNodePerClassRun) {
  std::vector<DeviceInput> in = {
      {"CDROM", "CD-ROM drives", "", "ATAPI CD", 4},
      {"DiskDrive", "", "Main disk", "GENERIC IDE", 2},
      {"DiskDrive", "", "  ", "Second disk", 2},
      {"Net", "Network adapters", "NIC", "", 21},
  };
  auto g = GroupDevices(in);
  ASSERT_EQ(g.size(), 3u);
  EXPECT_EQ(g[0].Caption, "CD-ROM drives");
  EXPECT_EQ(g[0].Devices[0].Caption, "ATAPI CD");  // no friendly name
  EXPECT_EQ(g[1].Caption, "DiskDrive");            // no class description
  ASSERT_EQ(g[1].Devices.size(), 2u);
  EXPECT_EQ(g[1].Devices[0].Caption, "Main disk");
  EXPECT_EQ(g[1].Devices[1].Caption, "Second disk");  // a blank friendly name
  EXPECT_EQ(g[1].Devices[1].Index, 2);
  EXPECT_EQ(g[2].Kind, 21);
  EXPECT_TRUE(GroupDevices({}).empty());
}
