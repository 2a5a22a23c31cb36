#include <gtest/gtest.h>
#include "probes/CpuLoad.h"
#include "probes/OsKind.h"

TEST(ProbesOsKind, NtPlatformVersions) {
  struct Case { unsigned major, minor; TOSKind kind; const char* name; };
  const Case cases[] = {
      {3, 51, osWinNT3, "Windows NT"}, {4, 0, osWinNT4, "Windows NT"},
      {5, 0, osWin2000, "Windows 2000"}, {5, 1, osWinXP, "Windows XP"},
      {5, 2, osUnknown, ""}, {6, 0, osUnknown, ""}, {6, 1, osUnknown, ""}, {10, 0, osUnknown, ""},
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
