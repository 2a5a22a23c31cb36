// What the program does at start-up to behave the same on every system it loads on.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include "framework/FloatControl.h"
#include "framework/LazyImports.h"

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

// The dialogs' libraries are loaded on the first call of one of their functions: each function
// must be found where the table says, and a call must reach the system's function, which then
// takes the import slot (later calls pay nothing).
extern "C" void* ImageListCreateSlot __asm__("__imp__ImageList_Create@20");

TEST(PlatformFloor, LibrariesOfTheDialogsAreLoadedOnFirstCall) {
  ASSERT_FALSE(LazyImports().empty());
  for (const TLazyImport& i : LazyImports()) {
    std::string lib = i.Library;
    HMODULE m = LoadLibraryA(lib.c_str());
    ASSERT_NE(m, nullptr) << lib;
    EXPECT_NE(GetProcAddress(m, i.Function), nullptr) << lib << " " << i.Function;
    FreeLibrary(m);
  }
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR | ILC_MASK, 1, 1);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(list), 0);
  EXPECT_TRUE(ImageList_Destroy(list));
  EXPECT_EQ(ImageListCreateSlot,
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("comctl32.dll"), "ImageList_Create")));
}
