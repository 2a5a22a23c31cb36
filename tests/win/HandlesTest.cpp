// The owners of system handles: what they count (the leak figures under Wine) and what they free.
#include <gtest/gtest.h>
#include <windows.h>
#include <utility>
#include "framework/GdiObjects.h"
#include "framework/Handles.h"
#include "framework/Registry.h"

TEST(HandleOwners, CountWhatTheyHoldThroughMovesAndFreeItOnce) {
  const long held = HeldKernelHandles(), searches = HeldFindHandles();
  KernelHandle a(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(a);
  const HANDLE event = a.get();
  KernelHandle b(std::move(a));  // a move hands the handle on: still one held
  EXPECT_FALSE(a);
  EXPECT_EQ(HeldKernelHandles(), held + 1);
  KernelHandle c(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  const HANDLE other = c.get();
  c = std::move(b);  // the one c held is closed
  EXPECT_EQ(HeldKernelHandles(), held + 1);
  EXPECT_FALSE(SetEvent(other));
  EXPECT_TRUE(SetEvent(event));
  EXPECT_TRUE(c.Close());
  EXPECT_FALSE(c);
  EXPECT_EQ(HeldKernelHandles(), held);
  EXPECT_FALSE(SetEvent(event));

  // The failure value of CreateFile and of a file search is no handle.
  KernelHandle none(CreateFileA("Z:\\no\\such\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  WIN32_FIND_DATAA found;
  FindHandle search(FindFirstFileA("Z:\\no\\such\\*.lnk", &found));
  EXPECT_FALSE(none);
  EXPECT_FALSE(search);
  EXPECT_EQ(HeldKernelHandles(), held);
  EXPECT_EQ(HeldFindHandles(), searches);

  // The GDI owners count the same way.
  const long gdi = HeldGdiObjects();
  {
    BrushHandle brush(CreateSolidBrush(RGB(1, 2, 3)));
    BrushHandle moved(std::move(brush));
    EXPECT_EQ(HeldGdiObjects(), gdi + 1);
  }
  EXPECT_EQ(HeldGdiObjects(), gdi);
}

TEST(HandleOwners, TheRegistryAccessorHoldsOneKeyAtATime) {
  const long held = HeldRegistryKeys();
  {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey("Software", false));
    ASSERT_TRUE(reg.OpenKey("\\Software", false));  // the first one is closed
    EXPECT_EQ(HeldRegistryKeys(), held + 1);
  }
  EXPECT_EQ(HeldRegistryKeys(), held);
}
