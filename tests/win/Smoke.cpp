#include <gtest/gtest.h>
#include <windows.h>
TEST(Smoke, RunsUnderWine) { EXPECT_NE(GetModuleHandleA("kernel32.dll"), nullptr); }
TEST(SmokePerVersion, ReportsAVersion) {
  OSVERSIONINFOA vi{};
  vi.dwOSVersionInfoSize = sizeof vi;
  ASSERT_TRUE(GetVersionExA(&vi));
  printf("platform %lu version %lu.%lu build %lu\n", vi.dwPlatformId, vi.dwMajorVersion, vi.dwMinorVersion, vi.dwBuildNumber);
}
