// The main window's layout and behaviour, driven from outside.
#include <gtest/gtest.h>
#include <vector>
#include "Driver.h"

using namespace e2e;

namespace {

bool Is(const RECT& r, int l, int t, int w, int h) { return r.left == l && r.top == t && r.right - r.left == w && r.bottom - r.top == h; }

}  // namespace

TEST(MainWindow, PanelsSitWhereTheLayoutPutsThemWithTheLinkPanelHidden) {
  Running r;
  r.Start();
  auto top = Children(r.main, "TPanel");
  ASSERT_EQ(top.size(), 3u);  // Panel1, Panel4, Panel5
  EXPECT_TRUE(Is(RectInParent(top[0]), 0, 0, 425, 186));
  EXPECT_TRUE(Is(RectInParent(top[1]), 0, 186, 425, 25));
  EXPECT_TRUE(IsWindowVisible(top[0]) && IsWindowVisible(top[1]));
  EXPECT_FALSE(IsWindowVisible(top[2]));
  auto inner = Children(top[0], "TPanel");
  ASSERT_EQ(inner.size(), 2u);  // Panel2, Panel3
  EXPECT_TRUE(Is(RectInParent(inner[0]), 8, 80, 409, 73));
  EXPECT_TRUE(Is(RectInParent(inner[1]), 127, 159, 40, 18));
}

TEST(MainWindow, LinkPanelComesOnTheThirdActivationAndGoesOnAClick) {
  Running r;
  r.Start();
  auto panels = Children(r.main, "TPanel");
  ASSERT_EQ(panels.size(), 3u);
  HWND link = panels[2];
  // Let the program's own activation at start arrive before counting ours.
  Sleep(300);
  ASSERT_TRUE(Settle(r.main));
  auto activate = [&] {
    ASSERT_TRUE(Activate(r));
  };
  // The program's own first activation may already have counted: at most three more bring it.
  EXPECT_EQ(ClientSize(r.main).cy, 211);
  int posted = 0;
  while (!IsWindowVisible(link) && posted < 3) {
    activate();
    ++posted;
  }
  EXPECT_GE(posted, 2);
  EXPECT_TRUE(IsWindowVisible(link));
  EXPECT_EQ(ClientSize(r.main).cy, 231);
  EXPECT_TRUE(Is(RectInParent(link), 0, 211, 425, 20));
  EXPECT_TRUE(Is(RectInParent(panels[1]), 0, 186, 425, 25));
  // A click on its picture dismisses it and the window shrinks back.
  ASSERT_TRUE(Send(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 8)));
  ASSERT_TRUE(Send(link, WM_LBUTTONUP, 0, MAKELPARAM(12, 8)));
  EXPECT_FALSE(IsWindowVisible(link));
  EXPECT_EQ(ClientSize(r.main).cy, 211);
  // The next showing is two activations later (the 5th).
  activate();
  EXPECT_FALSE(IsWindowVisible(link));
  activate();
  EXPECT_TRUE(IsWindowVisible(link));
}

TEST(MainWindow, MinimisingHidesTheWindowAndKeepsTheProgramRunning) {
  Running r;
  r.Start();
  ASSERT_TRUE(Send(r.main, WM_SYSCOMMAND, SC_MINIMIZE, 0));
  EXPECT_TRUE(IsIconic(r.app));
  EXPECT_FALSE(IsWindowVisible(r.main));
  EXPECT_FALSE(r.p.WaitExit(300));
  ASSERT_TRUE(Send(r.app, WM_SYSCOMMAND, SC_RESTORE, 0));
  EXPECT_FALSE(IsIconic(r.app));
  EXPECT_TRUE(IsWindowVisible(r.main));
}

TEST(MainWindow, HelpPictureOpensTheHelpViewer) {
  Running r;
  r.Start();
  auto strips = Children(r.main, "TPanel");
  ASSERT_EQ(strips.size(), 3u);
  HWND status = strips[1];
  ASSERT_TRUE(Send(status, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 10)));
  // The viewer runs inside the program and does not return until its window is up.
  PostMessageA(status, WM_LBUTTONUP, 0, MAKELPARAM(12, 10));
  HWND viewer = FindTopWindow(r.p.pi.dwProcessId, "HH Parent", nullptr, 15000);
  ASSERT_NE(viewer, nullptr);
  EXPECT_NE(WindowText(viewer).find("Velmora"), std::string::npos) << WindowText(viewer);
  PostMessageA(viewer, WM_CLOSE, 0, 0);
}

TEST(MainWindow, AnotherProgramsWindowUnderThePointerIsLeftAlone) {
  Running r;
  r.Start();
  // A window of this process carrying the property the program marks its own windows with,
  // with a value that means nothing over there.
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "E2EStranger";
  RegisterClassA(&wc);
  HWND stranger = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "E2EStranger", "", WS_POPUP | WS_VISIBLE, 10, 10,
                                  150, 80, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(stranger, nullptr);
  SetPropA(stranger, "VelmoraControl", reinterpret_cast<HANDLE>(0x12345));
  PointerTo(stranger, 50, 40);
  // Long enough for several idle passes of the program (its timers tick every 300 ms).
  for (DWORD start = GetTickCount(); GetTickCount() - start < 1200;) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    Sleep(20);
  }
  EXPECT_FALSE(r.p.WaitExit(0)) << "the program ended";
  EXPECT_TRUE(Settle(r.main));
  PointerAway();
  DestroyWindow(stranger);
  PostMessageA(r.main, WM_CLOSE, 0, 0);
  r.main = nullptr;
  DWORD code = 1;
  ASSERT_TRUE(r.p.WaitExit(15000, &code));
  EXPECT_EQ(code, 0u);
}
