#include <gtest/gtest.h>
#include <cstring>
#include "sysinfo/KSI_OS.h"
#include "sysinfo/OsLogic.h"

static TSysTime Rule(int month, int dow, int n, int hour = 0, int year = 0) {
  TSysTime t;
  t.Year = year, t.Month = month, t.DayOfWeek = dow, t.Day = n, t.Hour = hour;
  return t;
}

TEST(ProbesOsLogic, TransitionDates) {
  EXPECT_EQ(TransitionDate(Rule(3, 0, 5, 2), 2002), EncodeDateTime(2002, 3, 31, 2));
  EXPECT_EQ(TransitionDate(Rule(4, 0, 1, 2), 2002), EncodeDateTime(2002, 4, 7, 2));
  EXPECT_EQ(TransitionDate(Rule(10, 0, 5, 3), 2002), EncodeDateTime(2002, 10, 27, 3));
  EXPECT_EQ(TransitionDate(Rule(3, 0, 2, 2), 2007), EncodeDateTime(2007, 3, 11, 2));
  // The last Friday of February depends on the leap year, also at century years.
  EXPECT_EQ(TransitionDate(Rule(2, 5, 5), 2000), EncodeDateTime(2000, 2, 25));
  EXPECT_EQ(TransitionDate(Rule(2, 2, 5), 2000), EncodeDateTime(2000, 2, 29));
  EXPECT_EQ(TransitionDate(Rule(2, 2, 5), 2100), EncodeDateTime(2100, 2, 23));
  // n = 4 is the fourth occurrence even when a fifth exists.
  EXPECT_EQ(TransitionDate(Rule(3, 0, 4), 2002), EncodeDateTime(2002, 3, 24));
  // Absolute dates keep their own year.
  EXPECT_EQ(TransitionDate(Rule(6, 0, 15, 1, 1999), 2002), EncodeDateTime(1999, 6, 15, 1));
  // No transition or nonsense: 0.
  EXPECT_EQ(TransitionDate(Rule(0, 0, 5, 2), 2002), 0.0);
  EXPECT_EQ(TransitionDate(Rule(3, 0, 6), 2002), 0.0);
  EXPECT_EQ(TransitionDate(Rule(3, 0, 0), 2002), 0.0);
  EXPECT_EQ(TransitionDate(Rule(3, 9, 1), 2002), 0.0);
  EXPECT_EQ(TransitionDate(Rule(2, 0, 30, 0, 2001), 2002), 0.0);
  TSysTime late = Rule(3, 0, 5, 25);  // hour out of range
  EXPECT_EQ(TransitionDate(late, 2002), 0.0);
}

TEST(ProbesOsLogic, TziRecords) {
  unsigned char raw[44] = {};
  const int32_t bias = -60, stdBias = 0, dltBias = -60;
  std::memcpy(raw, &bias, 4);
  std::memcpy(raw + 4, &stdBias, 4);
  std::memcpy(raw + 8, &dltBias, 4);
  const uint16_t stdDate[8] = {0, 10, 0, 5, 3, 0, 0, 0}, dltDate[8] = {0, 3, 0, 5, 2, 0, 0, 0};
  std::memcpy(raw + 12, stdDate, 16);
  std::memcpy(raw + 28, dltDate, 16);
  TZoneRecord z;
  ASSERT_TRUE(ParseTzi(raw, 44, z));
  EXPECT_EQ(z.Bias, -60);
  EXPECT_EQ(z.DaylightBias, -60);
  EXPECT_EQ(z.StandardDate.Month, 10);
  EXPECT_EQ(z.DaylightDate.Hour, 2);
  TZoneRecord other;
  EXPECT_FALSE(ParseTzi(raw, 43, other));
  EXPECT_FALSE(ParseTzi(nullptr, 44, other));

  z.StandardName = "W. Europe Standard Time";
  z.DaylightName = "W. Europe Daylight Time";
  TZoneRecord same = z;
  EXPECT_TRUE(SameZone(z, same));
  same.DaylightDate.Minute = 1;
  EXPECT_FALSE(SameZone(z, same));
  same = z;
  same.StandardName = "w. europe standard time";  // names compare exactly
  EXPECT_FALSE(SameZone(z, same));
  EXPECT_EQ(ZoneName(std::string(40, 'x')).size(), 32u);
}

TEST(ProbesOsLogic, EnvironmentAndProfile) {
  const char block[] = "A=1\0PATH=C:\\W\0=C:=C:\\\0\0JUNK=9\0";
  EXPECT_EQ(ParseEnvironmentBlock(block), (std::vector<std::string>{"A=1", "PATH=C:\\W", "=C:=C:\\"}));
  EXPECT_TRUE(ParseEnvironmentBlock("\0\0").empty());
  EXPECT_TRUE(ParseEnvironmentBlock(static_cast<const char*>(nullptr)).empty());
  // However long: a variable of 40,000 characters and the ones after it are all there.
  std::wstring big = L"A=1" + std::wstring(1, L'\0') + L"PATH=" + std::wstring(40000, L'p') + L'\0';
  for (int i = 0; i < 500; ++i) big += L"VAR" + std::to_wstring(1000 + i) + L"=\x0395" + L'\0';
  big += L'\0';
  const std::vector<std::wstring> all = ParseEnvironmentBlock(big.c_str());
  ASSERT_EQ(all.size(), 502u);
  EXPECT_EQ(all[1].size(), 40005u);
  EXPECT_EQ(all.back(), L"VAR1499=\x0395");

  EXPECT_EQ(ProfileFromDesktop("C:\\Documents and Settings\\joe\\Desktop"),
            "C:\\Documents and Settings\\joe");
  EXPECT_EQ(ProfileFromDesktop("C:\\WINDOWS\\Desktop\\"), "C:\\WINDOWS\\Desktop");
  EXPECT_EQ(ProfileFromDesktop("Desktop"), "Desktop");
  EXPECT_EQ(ProfileFromDesktop(""), "");
  EXPECT_EQ(ProfileFromDesktop("C:\\" + std::string(300, 'p') + "\\Desktop").size(), 255u);
}

TEST(ProbesOsLogic, OnlyDriveAndNetworkPathsAreFolderPaths) {
  EXPECT_TRUE(IsFileSystemPath("C:\\WINDOWS\\Fonts"));
  EXPECT_TRUE(IsFileSystemPath("d:\\"));
  EXPECT_TRUE(IsFileSystemPath("\\\\server\\share\\Favorites"));
  // Shell names of virtual folders, and what is no path at all.
  EXPECT_FALSE(IsFileSystemPath("::{871C5380-42A0-1069-A2EA-08002B30309D}"));
  EXPECT_FALSE(IsFileSystemPath("::{2227A280-3AEA-1069-A2DE-08002B30309D}"));
  EXPECT_FALSE(IsFileSystemPath(""));
  EXPECT_FALSE(IsFileSystemPath("C:"));
  EXPECT_FALSE(IsFileSystemPath("C:Fonts"));
  EXPECT_FALSE(IsFileSystemPath("1:\\x"));
  EXPECT_FALSE(IsFileSystemPath("\\\\"));
  EXPECT_FALSE(IsFileSystemPath("\\WINDOWS"));
  EXPECT_FALSE(IsFileSystemPath("Desktop"));
}

TEST(ProbesOsLogic, ProductTypeAndSuites) {
  EXPECT_EQ(ProductTypeFromVersion(1, ptUnknown), ptWorkStation);
  EXPECT_EQ(ProductTypeFromVersion(2, ptUnknown), ptAdvancedServer);  // domain controller
  EXPECT_EQ(ProductTypeFromVersion(3, ptUnknown), ptServer);
  EXPECT_EQ(ProductTypeFromVersion(7, ptServer), ptServer);
  EXPECT_EQ(ProductTypeFromRegistry("WinNT"), ptWorkStation);
  EXPECT_EQ(ProductTypeFromRegistry("LanmanNT"), ptAdvancedServer);
  EXPECT_EQ(ProductTypeFromRegistry("winnt"), ptUnknown);
  EXPECT_EQ(SuitesFromMask(0x110), 1u << suTerminal);  // bits above the eight are ignored

  // Windows 2000 Server with Terminal Services.
  TNTSpecific nt;
  nt.SetProductType(ptServer);
  nt.SetInstalledSuites(SuitesFromMask(0x10));
  nt.SetServicePackMajorVersion(4);
  TStringList r;
  nt.Report(r);
  const std::vector<std::string> want = {
      "[NT Specific]",
      "ProductType=Server",
      "Microsoft Small Business Server=0",
      "Windows 2000 Advanced Server=0",
      "Microsoft BackOffice Components=0",
      "Communications=0",
      "Terminal Services=1",
      "Microsoft Small Business Server with the restrictive client license in force=0",
      "Embedded NT=0",
      "Windows 2000 Datacenter Server=0",
      "ServicePackMajorVersion=4",
      "ServicePackMinorVersion=0"};
  EXPECT_EQ(r.Items(), want);
  nt.SetProductType(ptAdvancedServer);
  r.Clear();
  nt.Report(r);
  EXPECT_EQ(r[1], "ProductType=Advanced Server");
}

TEST(ProbesOsLogic, OperatingSystemReport) {
  TOperatingSystem os;
  os.SetPlatform("Windows 9x");
  os.SetMajorVersion(4);
  os.SetMinorVersion(10);
  os.SetBuildNumber(1998);
  os.SetCSD(" A ");
  os.SetVersion("4.10.1998");
  os.Environment()->Add("PATH=C:\\WINDOWS");
  os.Folders()->Add("Windows=C:\\WINDOWS");
  TStringList r;
  r.Add("before");
  os.Report(r);
  const std::vector<std::string> head = {
      "before",         "[Operating System]", "Platform=Windows 9x", "VersionName=4.10.1998",
      "Version=4.10",   "BuildNumber=1998",   "CSD= A ",             "ProductID=",
      "ProductKey=",    "RegUser=",           "RegOrganization=",    "DVDRegion=",
      "[NT Specific]",  "ProductType=Unknown"};
  ASSERT_GE(r.Count(), static_cast<int>(head.size()));
  EXPECT_EQ(std::vector<std::string>(r.Items().begin(), r.Items().begin() + head.size()), head);
  // A zone without daylight saving shows the zero date and zero biases.
  const std::vector<std::string> tail = {
      "[Environment]", "PATH=C:\\WINDOWS", "[Folders]", "Windows=C:\\WINDOWS", "[Time Zone]",
      "TimeZone=", "StdName=1899-12-30", "StdBias=0", "DlghtName=1899-12-30", "DlghtBias=0"};
  EXPECT_EQ(std::vector<std::string>(r.Items().end() - tail.size(), r.Items().end()), tail);
  EXPECT_EQ(r.Count(), static_cast<int>(1 + 13 + 8 + 2 + tail.size()));

}
