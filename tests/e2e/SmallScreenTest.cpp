// The program on a 640 x 480 screen: every window lies inside the work area, and every control
// of the system information dialog, which is taller than that, can be reached by scrolling and
// with Tab.
#include <gtest/gtest.h>
#include "Driver.h"
#include <commctrl.h>

using namespace e2e;

namespace {

// The screen at 640 x 480 while it lives (Wine's virtual desktop takes the mode), then back.
struct SmallScreen {
  DEVMODEA before{};
  bool changed = false;
  SmallScreen() {
    before.dmSize = sizeof before;
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &before);
    DEVMODEA dm = before;
    dm.dmPelsWidth = 640;
    dm.dmPelsHeight = 480;
    dm.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    changed = ChangeDisplaySettingsA(&dm, 0) == DISP_CHANGE_SUCCESSFUL;
  }
  ~SmallScreen() {
    if (changed) ChangeDisplaySettingsA(nullptr, 0);
  }
};

RECT WorkArea() {
  RECT r{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

bool Inside(const RECT& in, const RECT& area) {
  return in.left >= area.left && in.top >= area.top && in.right <= area.right && in.bottom <= area.bottom;
}

std::string Text(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

RECT WindowRect(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return r;
}

// The client area of a window, on the screen.
RECT ClientRectOnScreen(HWND h) {
  RECT r{};
  GetClientRect(h, &r);
  MapWindowPoints(h, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Every visible window below parent, at any depth.
void Descendants(HWND parent, std::vector<HWND>& out) {
  for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (!(GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE)) continue;
    out.push_back(h);
    Descendants(h, out);
  }
}

}  // namespace

TEST(SmallScreen, EveryControlOfEveryWindowCanBeReachedAt640x480) {
  SmallScreen screen;
  ASSERT_TRUE(screen.changed) << "the display mode could not be set";
  ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
  const RECT area = WorkArea();
  Running r;
  r.Start();
  EXPECT_TRUE(Inside(WindowRect(r.main), area)) << Text(WindowRect(r.main));

  HWND wizard = OpenFromMain(r, "&Optimize it!", "TForm1");
  ASSERT_NE(wizard, nullptr);
  EXPECT_TRUE(Inside(WindowRect(wizard), area)) << Text(WindowRect(wizard));
  PostMessageA(wizard, WM_CLOSE, 0, 0);

  // The system information: as tall as the work area, its contents scroll beside it.
  HWND dlg = OpenFromMain(r, "&System info...", "TfrmKSI_Overview");
  ASSERT_NE(dlg, nullptr);
  EXPECT_TRUE(Inside(WindowRect(dlg), area)) << Text(WindowRect(dlg));
  ASSERT_TRUE(GetWindowLongA(dlg, GWL_STYLE) & WS_VSCROLL);
  HWND strip = FindChild(dlg, "TPageControl", nullptr);
  ASSERT_NE(strip, nullptr);
  std::vector<HWND> sheets = Children(strip, "TTabSheet");
  ASSERT_GE(sheets.size(), 16u);

  // Scrolled to the top and to the bottom, every control of every page shows at one of them:
  // none lies beyond the contents.
  std::vector<HWND> all;
  for (HWND sheet : sheets) {
    std::vector<HWND> controls;
    Descendants(sheet, controls);
    for (HWND c : controls) all.push_back(c);
  }
  all.push_back(FindChild(dlg, "TButton", "&Close"));
  ASSERT_TRUE(Send(dlg, WM_VSCROLL, SB_TOP, 0));
  const RECT view = ClientRectOnScreen(dlg);
  std::vector<LONG> tops;
  for (HWND c : all) tops.push_back(WindowRect(c).top);
  ASSERT_TRUE(Send(dlg, WM_VSCROLL, SB_BOTTOM, 0));
  for (size_t i = 0; i < all.size(); ++i) {
    const RECT now = WindowRect(all[i]);
    EXPECT_GE(tops[i], view.top) << ClassOf(all[i]) << " '" << WindowText(all[i]) << "'";
    EXPECT_LE(now.bottom, view.bottom) << ClassOf(all[i]) << " '" << WindowText(all[i]) << "' " << Text(now);
  }
  EXPECT_TRUE(Inside(WindowRect(FindChild(dlg, "TButton", "&Close")), view));

  // With the keyboard: on each page, every control Tab reaches shows whole.
  ASSERT_TRUE(Foreground(dlg));
  ASSERT_TRUE(Keys("ctrl+Tab ctrl+shift+Tab"));  // back on the first page, from the tabs
  ASSERT_TRUE(WaitFor([&] { return FocusOf(dlg) == strip; }, 5000));
  const size_t pages = static_cast<size_t>(SendMessageA(strip, TCM_GETITEMCOUNT, 0, 0));
  for (size_t page = 0; page < pages; ++page) {
    for (int stop = 0; stop < 30; ++stop) {
      HWND before = FocusOf(dlg);
      PostMessageA(before, WM_KEYDOWN, VK_TAB, 1);
      PostMessageA(before, WM_KEYUP, VK_TAB, 0xC0000001);
      WaitFor([&] { return FocusOf(dlg) != before; }, 1000);
      HWND f = FocusOf(dlg);
      if (!f || f == strip) break;
      ASSERT_TRUE(Settle(dlg));
      EXPECT_TRUE(Inside(WindowRect(f), ClientRectOnScreen(dlg)))
          << "page " << page << ": " << ClassOf(f) << " '" << WindowText(f) << "' " << Text(WindowRect(f));
    }
    ASSERT_EQ(FocusOf(dlg), strip) << "page " << page;
    ASSERT_TRUE(Keys("ctrl+Tab"));
    WaitFor([&] { return SendMessageA(strip, TCM_GETCURSEL, 0, 0) == static_cast<LRESULT>((page + 1) % pages); }, 3000);
  }

  // A list of details, from the operating system's page.
  ASSERT_TRUE(Keys("ctrl+Tab"));
  HWND environment = FindChild(dlg, "TButton", "&Environment...");
  ASSERT_NE(environment, nullptr);
  PostMessageA(environment, BM_CLICK, 0, 0);
  HWND detail = FindTopWindow(r.p.pi.dwProcessId, "TdlgKSI_Detail", nullptr, 15000);
  ASSERT_NE(detail, nullptr);
  EXPECT_TRUE(Inside(WindowRect(detail), area)) << Text(WindowRect(detail));
  PostMessageA(detail, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(detail); }, 10000));
  PostMessageA(dlg, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dlg); }, 10000));
  EXPECT_FALSE(r.p.WaitExit(0)) << "the program ended";
  EXPECT_TRUE(Settle(r.main));
}
