// The main window's flat buttons, their hints and the link panel, driven from outside.
#include <gtest/gtest.h>
#include <cstdio>
#include <fstream>
#include <vector>
#include "Driver.h"

using namespace e2e;

namespace {

COLORREF Pixel(HWND h, int x, int y) { return Capture(ClientOnScreen(h, x, y, 1, 1)).At(0, 0); }

// A visible top-level window of the process of that class, or null.
HWND Visible(DWORD pid, const char* cls) {
  struct Search {
    DWORD pid;
    const char* cls;
    HWND found;
  } f{pid, cls, nullptr};
  EnumWindows(
      [](HWND h, LPARAM lp) WINAPI -> BOOL {
        auto* f = reinterpret_cast<Search*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner != f->pid || !IsWindowVisible(h) || ClassOf(h) != f->cls) return TRUE;
        f->found = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&f));
  return f.found;
}
HWND VisibleHint(DWORD pid) { return Visible(pid, "TFlatHintWindow"); }

// The size a text takes in the hint's font, measured the way the hint does.
SIZE HintTextSize(const char* text) {
  HFONT f = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, f);
  RECT r{0, 0, 178, 0};
  DrawTextA(dc, text, -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(f);
  return SIZE{r.right, r.bottom};
}

const COLORREF kBorder = RGB(0xA0, 0x96, 0x83), kFocused = RGB(0xEB, 0xEA, 0xE1), kDown = RGB(0xD9, 0xD6, 0xC5);

}  // namespace

TEST(FlatButtons, LooksClickAndTheHintByScreenQuarter) {
  Running r;
  r.Start();
  auto panels = Children(r.main, "TPanel");
  ASSERT_FALSE(panels.empty());
  auto buttons = Children(panels[0], "TFlatButton");
  ASSERT_EQ(buttons.size(), 2u);
  HWND button = buttons[0];  // "System info..."
  ASSERT_EQ(RectInParent(button).left, 230);
  EXPECT_EQ(ClientSize(button).cx, 89);
  EXPECT_EQ(ClientSize(button).cy, 65);
  // Idle: the border colour around the panel's face.
  PointerAway();
  ASSERT_TRUE(WaitFor([&] { return Pixel(button, 0, 0) == kBorder; }, 3000));
  EXPECT_EQ(Pixel(button, 88, 64), kBorder);
  EXPECT_EQ(Pixel(button, 2, 62), GetSysColor(COLOR_BTNFACE));

  // The pointer over it: raised on the focused colour, and after the hint pause the flat hint.
  POINT over{44, 60};
  ClientToScreen(button, &over);
  DWORD moved = GetTickCount();
  PointerTo(button, 44, 60);
  ASSERT_TRUE(WaitFor([&] { return Pixel(button, 2, 62) == kFocused; }, 3000));
  EXPECT_EQ(Pixel(button, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(Pixel(button, 88, 64), RGB(0, 0, 0));
  HWND hint = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (hint = VisibleHint(r.p.pi.dwProcessId)) != nullptr; }, 4000));
  EXPECT_GE(GetTickCount() - moved, 400u);  // not before the application's hint pause
  SIZE text = HintTextSize("Shows you detailed info\r\nabout your computer");
  RECT hr;
  GetWindowRect(hint, &hr);
  EXPECT_EQ(hr.right - hr.left, text.cx + 22);
  EXPECT_EQ(hr.bottom - hr.top, text.cy + 6);
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  bool right = over.x >= sw / 2, bottom = over.y >= sh / 2;
  int d = !right && !bottom ? 12 : 5;
  EXPECT_EQ(hr.left, right ? over.x - (hr.right - hr.left) - d : over.x + d);
  EXPECT_EQ(hr.top, bottom ? over.y - (hr.bottom - hr.top) - d : over.y + d);
  int w = hr.right - hr.left, h = hr.bottom - hr.top;
  EXPECT_TRUE(WaitFor([&] { return Pixel(hint, 0, 0) == RGB(0, 0, 0); }, 2000));  // on the screen
  EXPECT_EQ(Pixel(hint, right ? w - 8 : 8, h / 2), RGB(0xFF, 0xD2, 0x53));
  EXPECT_EQ(Pixel(hint, right ? 8 : w - 8, h - 3), RGB(255, 255, 255));

  // Pressed: sunk on the down colour. Dragged out it comes up; released outside it stays up.
  Send(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(44, 60));
  ASSERT_TRUE(WaitFor([&] { return Pixel(button, 2, 62) == kDown; }, 3000));
  EXPECT_EQ(Pixel(button, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(Pixel(button, 88, 64), RGB(255, 255, 255));
  EXPECT_FALSE(VisibleHint(r.p.pi.dwProcessId));  // a press puts the hint away
  Send(button, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 60));
  ASSERT_TRUE(WaitFor([&] { return Pixel(button, 0, 0) != RGB(0, 0, 0); }, 3000));
  Send(button, WM_LBUTTONUP, 0, MAKELPARAM(200, 60));
  EXPECT_NE(Pixel(button, 2, 62), kDown);
  // No click: the system information dialog did not open (a click opens it before it returns).
  const DWORD pid = r.p.pi.dwProcessId;
  EXPECT_EQ(Visible(pid, "TfrmKSI_Overview"), nullptr);
  // Dragged out and back in before the release, it clicks: the dialog opens.
  Send(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(44, 60));
  Send(button, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 60));
  Send(button, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(44, 60));
  ASSERT_TRUE(Send(button, WM_LBUTTONUP, 0, MAKELPARAM(44, 60), 60000));
  HWND dialog = Visible(pid, "TfrmKSI_Overview");
  ASSERT_NE(dialog, nullptr);
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return !Visible(pid, "TfrmKSI_Overview"); }, 5000));

  // Moved into the bottom-right quarter, the hint opens above and to the left, strip on the right.
  PointerAway();
  RECT wr;
  GetWindowRect(r.main, &wr);
  SetWindowPos(r.main, nullptr, sw - (wr.right - wr.left) - 10, sh - (wr.bottom - wr.top) - 10, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(Settle(r.main));
  ASSERT_TRUE(WaitFor([&] { return !VisibleHint(r.p.pi.dwProcessId); }, 3000));
  over = POINT{44, 60};
  ClientToScreen(button, &over);
  ASSERT_GE(over.x, sw / 2);
  ASSERT_GE(over.y, sh / 2);
  PointerTo(button, 44, 60);
  ASSERT_TRUE(WaitFor([&] { return (hint = VisibleHint(r.p.pi.dwProcessId)) != nullptr; }, 4000));
  GetWindowRect(hint, &hr);
  EXPECT_EQ(hr.right, over.x - 5);
  EXPECT_EQ(hr.bottom, over.y - 5);
  EXPECT_TRUE(WaitFor([&] { return Pixel(hint, w - 8, h / 2) == RGB(0xFF, 0xD2, 0x53); }, 2000));
  PointerAway();
}

TEST(LinkPanel, ShowsTheBoldBlueLinkThatOpensOneAddressAndHidesThePanel) {
  // Wine opens web addresses with the browsers its setting lists: a script that records them.
  char exe[MAX_PATH];
  std::string dir(exe, GetModuleFileNameA(nullptr, exe, MAX_PATH));
  dir.resize(dir.find_last_of('\\') + 1);
  std::string log = dir + "browser-log.txt";
  DeleteFileA(log.c_str());
  std::string unixDir = dir.substr(2);  // Z:\work\... is /work/...
  for (char& c : unixDir)
    if (c == '\\') c = '/';
  std::string browser = unixDir + "record-browser.sh";
  HKEY k;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                            nullptr),
            0);
  RegSetValueExA(k, "Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(browser.c_str()), browser.size() + 1);

  Running r;
  r.Start();
  auto strips = Children(r.main, "TPanel");
  ASSERT_EQ(strips.size(), 3u);  // Panel1, Panel4 and the link panel
  HWND panel5 = strips[2];
  HWND link = FindChild(panel5, "THTMLText", nullptr);
  ASSERT_NE(link, nullptr);
  Sleep(300);  // the program's own activation at start
  ASSERT_TRUE(Settle(r.main));
  auto showPanel = [&] {
    for (int i = 0; i < 3 && !IsWindowVisible(panel5); ++i) ASSERT_TRUE(Activate(r));
    ASSERT_TRUE(IsWindowVisible(panel5));
  };
  showPanel();
  RECT lr = RectInParent(link);
  EXPECT_EQ(lr.left, 28);
  EXPECT_EQ(lr.top, 4);

  // "Have you tried the power of " in black, then "Velmora Pro" blue, bold and underlined.
  ASSERT_TRUE(WaitFor([&] { return Pixel(link, 390, 2) == RGB(255, 255, 0); }, 3000));
  Shot shot = Capture(ClientOnScreen(link, 0, 0, 393, 16));
  const std::vector<COLORREF>& px = shot.px;
  int blueLeft = 393, blueRight = -1, longestBlueRow = 0;
  for (int y = 0; y < 16; ++y) {
    int row = 0;
    for (int x = 0; x < 393; ++x)
      if (px[y * 393 + x] == RGB(0, 0, 255)) {
        blueLeft = std::min(blueLeft, x);
        blueRight = std::max(blueRight, x);
        ++row;
      }
    longestBlueRow = std::max(longestBlueRow, row);
  }
  ASSERT_GT(blueRight, blueLeft);
  int blackBefore = 0, blackInside = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x <= blueRight; ++x)
      if (px[y * 393 + x] == RGB(0, 0, 0)) ++(x < blueLeft ? blackBefore : blackInside);
  EXPECT_GT(blackBefore, 100);
  EXPECT_EQ(blackInside, 0);
  HDC dc = GetDC(nullptr);
  auto width = [&](int weight, const char* s) {
    HFONT f = CreateFontA(-11, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    HGDIOBJ old = SelectObject(dc, f);
    SIZE e;
    GetTextExtentPoint32A(dc, s, static_cast<int>(strlen(s)), &e);
    SelectObject(dc, old);
    DeleteObject(f);
    return static_cast<int>(e.cx);
  };
  int bold = width(FW_BOLD, "Velmora Pro"), normal = width(FW_NORMAL, "Velmora Pro");
  int plain = width(FW_NORMAL, "Have you tried the power of ");
  ReleaseDC(nullptr, dc);
  ASSERT_GT(bold, normal);
  EXPECT_EQ(blueLeft, 1 + plain);  // the underline starts where the link does
  EXPECT_EQ(blueRight - blueLeft + 1, bold);
  EXPECT_EQ(longestBlueRow, bold);

  // A click beside the link opens nothing (and puts the panel away, as any click on it does).
  Send(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 8));
  Send(link, WM_LBUTTONUP, 0, MAKELPARAM(3, 8));
  EXPECT_FALSE(IsWindowVisible(panel5));
  showPanel();
  // A press on the link opens its address; the release then hides the panel.
  int x = (blueLeft + blueRight) / 2;
  ASSERT_TRUE(Send(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 8)));
  ASSERT_TRUE(Send(link, WM_LBUTTONUP, 0, MAKELPARAM(x, 8)));
  EXPECT_FALSE(IsWindowVisible(panel5));
  auto lines = [&] {
    std::vector<std::string> out;
    std::ifstream f(log);
    for (std::string s; std::getline(f, s);) out.push_back(s);
    return out;
  };
  EXPECT_TRUE(WaitFor([&] { return !lines().empty(); }, 15000));
  Sleep(1500);  // anything else would have come by now
  auto opened = lines();
  RegDeleteValueA(k, "Browsers");
  RegCloseKey(k);
  ASSERT_EQ(opened.size(), 1u);
  ASSERT_GE(opened[0].size(), 13u);
  EXPECT_EQ(opened[0].substr(opened[0].size() - 13), "/compare.html");
}
