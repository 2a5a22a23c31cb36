#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "framework/Dialogs.h"

TEST(Dialogs, HookTakesTheBoxesWhileSet) {
  struct Call {
    std::string text, caption;
    UINT flags;
  };
  std::vector<Call> calls;
  SetMessageBoxHook([&](const std::string& t, const std::string& c, UINT f) {
    calls.push_back({t, c, f});
    return IDNO;
  });
  EXPECT_EQ(MessageBox("Restart now?", "Confirm", MB_YESNO | MB_ICONQUESTION), IDNO);
  ShowErrorBox("Something failed", "TMachine.GetInfo");
  SetMessageBoxHook(nullptr);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].text, "Restart now?");
  EXPECT_EQ(calls[0].caption, "Confirm");
  EXPECT_EQ(calls[0].flags, UINT(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(calls[1].text, "Something failed");
  EXPECT_EQ(calls[1].caption, "TMachine.GetInfo");
  EXPECT_EQ(calls[1].flags, UINT(MB_OK | MB_ICONERROR));
}

namespace {
// Presses Yes on the first window titled with the caption, within a few seconds.
DWORD WINAPI PressYes(void* caption) {
  for (int i = 0; i < 500; ++i) {
    if (HWND box = FindWindowA(nullptr, static_cast<const char*>(caption))) {
      PostMessageA(box, WM_COMMAND, IDYES, 0);
      return 1;
    }
    Sleep(10);
  }
  return 0;
}
}  // namespace

TEST(Dialogs, WithoutHookTheRealBoxIsShown) {
  static const char caption[] = "Velmora dialog test";
  DWORD id;
  HANDLE presser = CreateThread(nullptr, 0, PressYes, const_cast<char*>(caption), 0, &id);
  ASSERT_NE(presser, nullptr);
  EXPECT_EQ(MessageBox("Press yes", caption, MB_YESNO), IDYES);
  WaitForSingleObject(presser, INFINITE);
  DWORD found = 0;
  GetExitCodeThread(presser, &found);
  CloseHandle(presser);
  EXPECT_EQ(found, 1u);
}
