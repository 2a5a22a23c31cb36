// What the program does at start-up to behave the same on every system it loads on.
#include <gtest/gtest.h>
#include <windows.h>
#include "framework/FloatControl.h"

TEST(PlatformFloor, FloatingPointRoundsToDoublePrecision) {
  // Precision and rounding bits; the runtime's start-up would have left 64-bit precision.
  EXPECT_EQ(CurrentFpuControl() & 0x0F00, kProgramFpuControl & 0x0F00);
  // 1e16 + 1 is not a double: at 53 bits the sum rounds back to 1e16; at 64 bits it survives.
  volatile double big = 1e16, one = 1.0;
  double sum = big + one;
  EXPECT_EQ(sum - big, 0.0);
  // Halves go to the even neighbour.
  volatile double half = 2.5;
  long long r;
  __asm__ volatile("fldl %1\n\tfistpll %0" : "=m"(r) : "m"(half));
  EXPECT_EQ(r, 2);
}

TEST(PlatformFloor, WideRuntimeImportsAreAnsweredWithAnsiCalls) {
  // The runtime's own wide calls go through the program's answers, which work on Windows 95 too.
  HANDLE sem = CreateSemaphoreW(nullptr, 0, 1, nullptr);
  ASSERT_NE(sem, nullptr);
  EXPECT_TRUE(ReleaseSemaphore(sem, 1, nullptr));
  EXPECT_EQ(WaitForSingleObject(sem, 0), WAIT_OBJECT_0);
  CloseHandle(sem);
  EXPECT_EQ(GetModuleHandleW(L"kernel32.dll"), GetModuleHandleA("kernel32.dll"));
  EXPECT_EQ(GetModuleHandleW(nullptr), GetModuleHandleA(nullptr));
  HMODULE lib = LoadLibraryW(L"version.dll");
  ASSERT_NE(lib, nullptr);
  EXPECT_NE(GetProcAddress(lib, "GetFileVersionInfoA"), nullptr);
  FreeLibrary(lib);
  EXPECT_EQ(LoadLibraryW(L"no-such-library-here.dll"), nullptr);
}
