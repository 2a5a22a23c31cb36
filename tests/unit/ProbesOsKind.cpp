#include <gtest/gtest.h>
#include "probes/CpuLoad.h"
#include "probes/OsKind.h"

TEST(ProbesOsKind, NtPlatformVersions) {
  struct Case { unsigned major, minor; TOSKind kind; const char* name; };
  const Case cases[] = {
      {3, 51, osWinNT3, "Windows NT"}, {4, 0, osWinNT4, "Windows NT"},
      {5, 0, osWin2000, "Windows 2000"}, {5, 1, osWinXP, "Windows XP"},
      {5, 2, osUnknown, ""}, {6, 0, osWinVista, "Windows Vista"}, {6, 1, osWin7, "Windows 7"},
      {6, 2, osWin8, "Windows 8"}, {6, 3, osWin81, "Windows 8.1"}, {6, 4, osUnknown, ""},
      {10, 0, osWin10, "Windows 10"}, {10, 1, osUnknown, ""}, {11, 0, osUnknown, ""},
  };
  for (const Case& c : cases) {
    const TOSClass r = ClassifyOS(kPlatformNT, c.major, c.minor, "Service Pack 1");
    EXPECT_EQ(r.Kind, c.kind) << c.major << "." << c.minor;
    EXPECT_STREQ(OSKindDisplayName(r.Kind), c.name) << c.major << "." << c.minor;
    // Every NT version reads the NT way, listed in the kind table or not.
    EXPECT_TRUE(r.NTFamily) << c.major << "." << c.minor;
  }
  EXPECT_STREQ(DeviceClassKey(true), "SYSTEM\\CurrentControlSet\\Control\\Class");
  EXPECT_STREQ(DeviceClassKey(false), "SYSTEM\\CurrentControlSet\\Services\\Class");
}

TEST(ProbesOsKind, EditionsAfterXPByBuildAndProductType) {
  struct Case {
    unsigned major, minor, build, productType;
    TOSKind kind;
    const char* name;
  };
  const Case cases[] = {
      {6, 0, 6002, 1, osWinVista, "Windows Vista"},
      {6, 0, 6002, 3, osWinVista, "Windows Server 2008"},
      {6, 1, 7601, 1, osWin7, "Windows 7"},
      {6, 1, 7601, 2, osWin7, "Windows Server 2008 R2"},  // a domain controller is a server
      {6, 2, 9200, 3, osWin8, "Windows Server 2012"},
      {6, 3, 9600, 1, osWin81, "Windows 8.1"},
      {6, 3, 9600, 3, osWin81, "Windows Server 2012 R2"},
      {10, 0, 19045, 1, osWin10, "Windows 10"},
      {10, 0, 21999, 1, osWin10, "Windows 10"},
      {10, 0, 22000, 1, osWin11, "Windows 11"},
      {10, 0, 26100, 1, osWin11, "Windows 11"},
      {10, 0, 14393, 3, osWin10, "Windows Server 2016"},
      {10, 0, 17763, 3, osWin10, "Windows Server 2019"},
      {10, 0, 20348, 2, osWin10, "Windows Server 2022"},
      {10, 0, 26100, 3, osWin11, "Windows Server 2025"},
      {5, 0, 2195, 3, osWin2000, "Windows 2000"},  // named "- Server" by its product type
  };
  for (const Case& c : cases) {
    TVersionRecord v;
    v.PlatformId = kPlatformNT, v.Major = c.major, v.Minor = c.minor;
    v.Build = c.build, v.HasEx = true, v.ProductType = c.productType;
    const TOSClass r = ClassifyOS(v);
    EXPECT_EQ(r.Kind, c.kind) << c.name;
    EXPECT_STREQ(OSDisplayName(r), c.name) << c.build;
    EXPECT_TRUE(r.NTFamily);
  }
  // Without the extended record the product type is unknown: the workstation's name.
  TVersionRecord v;
  v.PlatformId = kPlatformNT, v.Major = 6, v.Minor = 1, v.ProductType = 3;
  EXPECT_STREQ(OSDisplayName(ClassifyOS(v)), "Windows 7");
  // The 9x family has no server editions and keeps its kinds.
  v.PlatformId = kPlatformWin9x, v.Major = 4, v.Minor = 10, v.HasEx = true;
  EXPECT_STREQ(OSDisplayName(ClassifyOS(v)), "Windows 98");

  EXPECT_EQ(ServicePackFromText("Service Pack 6a"), 6u);
  EXPECT_EQ(ServicePackFromText("Service Pack 1"), 1u);
  EXPECT_EQ(ServicePackFromText("Service Pack 12, v.345"), 12u);
  EXPECT_EQ(ServicePackFromText(""), 0u);
  EXPECT_EQ(ServicePackFromText(" A "), 0u);
  EXPECT_EQ(ServicePackFromText("Service Pack 99999999999"), 0u);
}

TEST(ProbesOsKind, NineXPlatformUsesServiceLetter) {
  EXPECT_EQ(ClassifyOS(kPlatformWin9x, 4, 0, "").Kind, osWin95);
  EXPECT_EQ(ClassifyOS(kPlatformWin9x, 4, 0, " B ").Kind, osWin95OSR2);
  EXPECT_EQ(ClassifyOS(kPlatformWin9x, 4, 0, "\tB\r\n").Kind, osWin95OSR2);
  EXPECT_EQ(ClassifyOS(kPlatformWin9x, 4, 0, "C").Kind, osWin95);
  EXPECT_EQ(ClassifyOS(kPlatformWin9x, 4, 0, "b").Kind, osWin95);  // case matters
  EXPECT_EQ(ClassifyOS(kPlatformWin9x, 4, 10, "A").Kind, osWin98SE);
  EXPECT_EQ(ClassifyOS(kPlatformWin9x, 4, 10, " A ").Kind, osWin98SE);
  EXPECT_EQ(ClassifyOS(kPlatformWin9x, 4, 10, "").Kind, osWin98);
  EXPECT_EQ(ClassifyOS(kPlatformWin9x, 4, 10, "AB").Kind, osWin98);
  EXPECT_EQ(ClassifyOS(kPlatformWin9x, 4, 90, " ").Kind, osWinME);
  EXPECT_EQ(ClassifyOS(kPlatformWin9x, 4, 3, "").Kind, osUnknown);
  EXPECT_EQ(ClassifyOS(kPlatformWin9x, 5, 0, "").Kind, osUnknown);
  EXPECT_EQ(ClassifyOS(kPlatformWin32s, 4, 0, "").Kind, osWin95);  // any non-NT platform
  for (unsigned minor : {0u, 10u, 90u, 3u})
    EXPECT_FALSE(ClassifyOS(kPlatformWin9x, 4, minor, "A").NTFamily);
  EXPECT_STREQ(OSKindDisplayName(osWin98SE), "Windows 98");
  EXPECT_STREQ(OSKindDisplayName(osWin95OSR2), "Windows 95");
  EXPECT_STREQ(OSKindDisplayName(osWinME), "Windows Millenium Edition");
  EXPECT_STREQ(TrimControls("\x01 x y \x7f").c_str(), "x y \x7f");
}

TEST(ProbesCpuLoad, FormulaFigures) {
  EXPECT_EQ(static_cast<int32_t>(NtLoadPercent(1000000, 2500000, 300)), 50);
  EXPECT_EQ(static_cast<int32_t>(NtLoadPercent(1000000, 1000000, 300)), 100);
  EXPECT_EQ(static_cast<int32_t>(NtLoadPercent(1000000, 4000000, 300)), 0);
  EXPECT_EQ(static_cast<int32_t>(NtLoadPercent(1000000, 7000000, 300)), -100);
  // The period is the timer's interval at this tick.
  EXPECT_EQ(static_cast<int32_t>(NtLoadPercent(0, 2500000, 1000)), 75);
  // Exact halves go to the even neighbour.
  EXPECT_EQ(static_cast<int32_t>(NtLoadPercent(0, 8750000, 1000)), 12);  // 12.5
  EXPECT_EQ(static_cast<int32_t>(NtLoadPercent(0, 6250000, 1000)), 38);  // 37.5
  // Not clamped above 100 either (idle clock going backwards).
  EXPECT_EQ(static_cast<int32_t>(NtLoadPercent(3000000, 0, 300)), 200);
  // Nonsense readings and a zero period give a value, never a trap.
  EXPECT_EQ(static_cast<int32_t>(NtLoadPercent(0, 0, 0)), 100);
  (void)NtLoadPercent(INT64_MIN / 2, INT64_MAX / 2, 1);
}

TEST(ProbesCpuLoad, TheMachinesLoadOverAllItsProcessors) {
  // One processor busy and one idle over 300 ms: 3,000,000 units of idle time of 6,000,000.
  EXPECT_EQ(static_cast<int32_t>(NtLoadPercent(0, 3000000, 300, 2)), 50);
  EXPECT_EQ(static_cast<int32_t>(NtLoadPercent(0, 6000000, 300, 2)), 0);
  EXPECT_EQ(static_cast<int32_t>(NtLoadPercent(0, 0, 300, 2)), 100);
  // Eight processors, one of them busy: 7/8 idle, 12.5 % goes to the even 12.
  EXPECT_EQ(static_cast<int32_t>(NtLoadPercent(0, 7 * 3000000, 300, 8)), 12);
  EXPECT_EQ(static_cast<int32_t>(NtLoadPercent(0, 5 * 3000000, 300, 8)), 38);  // 37.5
  // A late tick over an idle machine still goes below zero, by the lateness only.
  EXPECT_EQ(static_cast<int32_t>(NtLoadPercent(0, 2 * 6000000, 300, 2)), -100);
  // One processor is the old formula; none counts as one.
  EXPECT_EQ(NtLoadPercent(1000000, 2500000, 300, 1), NtLoadPercent(1000000, 2500000, 300));
  EXPECT_EQ(static_cast<int32_t>(NtLoadPercent(1000000, 2500000, 300, 0)), 50);
}
