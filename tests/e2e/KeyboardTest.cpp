// The program worked with the keyboard alone, through real key presses: Tab to "Optimize it!",
// Enter on every page of the wizard, the connection tuning chosen and its line speed set with the
// arrows, Finish with Enter and the restart question answered with a key. Tuning values land in
// the test prefix's registry only, and are removed before and after.
#include <gtest/gtest.h>
#include <string>
#include "Driver.h"

using namespace e2e;

namespace {

const char kInternet[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const char kTcpip[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";

// Presses Tab until the focus is on want (at most limit times); path gets the stops on the way.
bool TabTo(HWND top, const std::string& want, std::string& path, int limit = 12) {
  for (int i = 0; i < limit; ++i) {
    std::string before = Focus(top);
    if (before == want) return true;
    if (!Keys("Tab")) return false;
    WaitFor([&] { return Focus(top) != before; }, 1000);
    path += " > " + Focus(top);
  }
  return Focus(top) == want;
}

bool IsDefaultLook(HWND button) { return (GetWindowLongA(button, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON; }

// The dotted focus frame: the row three pixels into the button is dotted, not its plain face
// (which the row shows just inside the border).
bool HasFocusMark(HWND button) {
  SIZE s = ClientSize(button);
  Shot shot = Capture(ClientOnScreen(button, 0, 3, s.cx, 1));
  int other = 0;
  for (int x = 4; x < s.cx - 4; ++x) other += shot.At(x, 0) != shot.At(2, 0);
  return other > (s.cx - 8) / 4;
}

}  // namespace

TEST(Keyboard, TheWizardIsWalkedWithKeysAloneToTheConnectionTuning) {
  CleanTuning();
  Program p;
  ASSERT_TRUE(p.Start("winxp"));
  DWORD pid = p.pi.dwProcessId;
  HWND main = FindTopWindow(pid, "TMainForm", kMainCaption, 15000);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != 0; }, 15000));
  ASSERT_TRUE(Settle(main));
  ASSERT_TRUE(Foreground(main));

  // The main window opens with the focus on its first button; its buttons are tab stops, in
  // their order, with a visible mark.
  HWND sysinfo = FindChild(main, "TFlatButton", "&System info...");
  HWND optimize = FindChild(main, "TFlatButton", "&Optimize it!");
  ASSERT_TRUE(sysinfo && optimize);
  ASSERT_TRUE(WaitFor([&] { return FocusOf(main) == sysinfo; }, 3000)) << Focus(main);
  ASSERT_TRUE(Keys("Tab"));
  ASSERT_TRUE(WaitFor([&] { return FocusOf(main) == optimize; }, 3000)) << Focus(main);
  ASSERT_TRUE(Settle(main));
  EXPECT_TRUE(HasFocusMark(optimize));
  EXPECT_FALSE(HasFocusMark(sysinfo));

  // Enter presses the focused button: the wizard opens with the focus on Next.
  ASSERT_TRUE(Keys("Return"));
  HWND wizard = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        wizard = FindTopWindow(pid, "TForm1", "Velmora Optimization Wizard", 0);
        return wizard && IsWindowVisible(wizard);
      },
      15000));
  HWND next = FindChild(wizard, "TButton", "&Next >");
  HWND finish = FindChild(wizard, "TButton", "&Finish");
  ASSERT_TRUE(next && finish);
  ASSERT_TRUE(WaitFor([&] { return FocusOf(wizard) == next; }, 5000)) << Focus(wizard);
  EXPECT_TRUE(IsDefaultLook(next));

  // Welcome: Enter goes on. The options' page: Tab reaches the connection box inside its group.
  ASSERT_TRUE(Keys("Return"));
  HWND page1 = FindChild(wizard, "TInteriorWizardPage", nullptr);
  ASSERT_TRUE(WaitFor([&] { return page1 && IsWindowVisible(page1); }, 5000));
  std::string path = Focus(wizard);
  ASSERT_TRUE(TabTo(wizard, "TFlatCheckBox '&Optimize your internet connection'", path)) << path;
  ASSERT_TRUE(Keys("space"));
  // The line speed: the next tab stop, set with the arrows (Modem, ISDN, xDSL).
  ASSERT_TRUE(Keys("Tab"));
  ASSERT_TRUE(WaitFor([&] { return ClassOf(FocusOf(wizard)) == "TMtTrackBar"; }, 3000)) << Focus(wizard);
  ASSERT_TRUE(Keys("Right Right"));
  // Enter on a track bar is the window's: Next. Then the agent's page, then the last one.
  ASSERT_TRUE(Keys("Return"));
  HWND box6 = FindChild(wizard, "TFlatCheckBox", "&Automatically start Velmora when I log into the system");
  ASSERT_TRUE(WaitFor([&] { return FocusOf(wizard) == box6; }, 5000)) << Focus(wizard);
  ASSERT_TRUE(Keys("Return"));
  ASSERT_TRUE(WaitFor([&] { return FocusOf(wizard) == finish; }, 5000)) << Focus(wizard);
  EXPECT_TRUE(IsDefaultLook(finish));
  EXPECT_FALSE(IsDefaultLook(next));
  EXPECT_FALSE(IsWindowEnabled(next));

  // Finish with Enter; the restart question answered No with its key.
  ASSERT_TRUE(Keys("Return"));
  HWND box = FindTopWindow(pid, "#32770", "Confirm", 15000);
  ASSERT_NE(box, nullptr) << "no restart question";
  ASSERT_TRUE(Foreground(box));
  ASSERT_TRUE(Keys("n"));
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(wizard); }, 15000));
  // Windows XP's row, with xDSL's seven connections.
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kTcpip, "TcpWindowSize"), "i:372300");
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kTcpip, "GlobalMaxTcpWindowSize"), "i:372300");
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kTcpip, "Tcp1323Opts"), "i:3");
  EXPECT_EQ(Value(HKEY_CURRENT_USER, kInternet, "MaxConnectionsPerServer"), "i:7");
  EXPECT_EQ(Value(HKEY_CURRENT_USER, kInternet, "MaxConnectionsPer1_0Server"), "i:7");
  EXPECT_EQ(Value(HKEY_CURRENT_USER, "Velmora\\OptWizSettings", "FlatCheckBox2_Checked"), "s:True");
  EXPECT_EQ(Value(HKEY_CURRENT_USER, "Velmora\\OptWizSettings", "NetBar_Position"), "s:3");

  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(p.WaitExit(15000));
  CleanTuning();
}
