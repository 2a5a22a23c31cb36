#include <gtest/gtest.h>
#include <set>
#include "wizard/AutoRunLogic.h"
#include "wizard/WizardLogic.h"

using namespace wizlogic;

TEST(WizardLogic, NextPageWrapsAndSkipsRefusingPages) {
  // Four pages; Next on the last wraps to the first, Back on the first to the last.
  EXPECT_EQ(FindNextRoutePos(4, 0, true, {}), 1);
  EXPECT_EQ(FindNextRoutePos(4, 3, true, {}), 0);
  EXPECT_EQ(FindNextRoutePos(4, 0, false, {}), 3);
  EXPECT_EQ(FindNextRoutePos(4, 2, false, {}), 1);
  // A page that refuses is skipped both ways.
  auto not2 = [](int i) { return i != 2; };
  EXPECT_EQ(FindNextRoutePos(4, 1, true, not2), 3);
  EXPECT_EQ(FindNextRoutePos(4, 3, false, not2), 1);
  // A page outside the route: forward starts at the first page, back at the last.
  EXPECT_EQ(FindNextRoutePos(4, -1, true, {}), 0);
  EXPECT_EQ(FindNextRoutePos(4, -1, false, {}), 3);
  auto not0 = [](int i) { return i != 0; };
  EXPECT_EQ(FindNextRoutePos(4, -1, true, not0), 1);
}

TEST(WizardLogic, NextPageSearchEndsWhenNothingMayShow) {
  int asked = 0;
  auto none = [&](int) {
    ++asked;
    return false;
  };
  EXPECT_EQ(FindNextRoutePos(3, 1, true, none), -1);
  EXPECT_EQ(asked, 3);  // every page once, the start page last
  EXPECT_EQ(FindNextRoutePos(0, -1, true, {}), -1);
  // Only the page itself may show: the search comes back to it.
  EXPECT_EQ(FindNextRoutePos(3, 1, false, [](int i) { return i == 1; }), 1);
  EXPECT_EQ(FindNextRoutePos(1, 0, true, {}), 0);
}

TEST(WizardLogic, LayoutOfTheOptimizationWizard) {
  Layout l = ComputeLayout(497, 360, 40, -1);
  EXPECT_EQ(l.ButtonTop, 330);
  EXPECT_EQ(l.BackLeft, 167);
  EXPECT_EQ(l.NextLeft, 242);
  EXPECT_EQ(l.FinishLeft, 337);
  EXPECT_EQ(l.CancelLeft, 412);
  EXPECT_EQ(l.PageAreaHeight, 320);
  // The etched caption takes half the text height and one pixel more.
  EXPECT_EQ(ComputeLayout(497, 360, 40, 13).PageAreaHeight, 313);
  EXPECT_EQ(ComputeLayout(497, 20, 40, 13).PageAreaHeight, 0);
}

TEST(WizardLogic, RouteNamesDeletionAndIndexErrors) {
  EXPECT_EQ(NewRouteName({}), "Route1");
  EXPECT_EQ(NewRouteName({"Default"}), "Route1");
  EXPECT_EQ(NewRouteName({"route1"}), "Route2");
  EXPECT_EQ(NewRouteName({"Route1", "Route2", "Route4"}), "Route3");
  EXPECT_EQ(RouteAfterDeletion(1, 0), -1);
  EXPECT_EQ(RouteAfterDeletion(3, 0), 1);
  EXPECT_EQ(RouteAfterDeletion(3, 2), 0);
  EXPECT_EQ(PageIndexError(7, 3), "7 is an invalid PageIndex value.  PageIndex must be between 0 and 3");
  EXPECT_TRUE(IsFirstInRoute(0, -1) && IsLastInRoute(0, -1));
  EXPECT_FALSE(IsFirstInRoute(4, -1) || IsLastInRoute(4, -1));
}

TEST(AutoRunLogic, KeysAndValueNames) {
  EXPECT_EQ(autorun::KindKeyPath(aekMachineRun), "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  EXPECT_EQ(autorun::KindKeyPath(aekUserRunOnce), "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce");
  EXPECT_EQ(autorun::KindKeyPath(aekServiceRunOnce), "Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce");
  EXPECT_TRUE(autorun::KindIsUser(aekUserRun));
  EXPECT_FALSE(autorun::KindIsUser(aekMachineRunOnce));
  EXPECT_TRUE(autorun::KindIsService(aekServiceRun));
  EXPECT_EQ(autorun::ValueName("C:\\Program Files\\Velmora\\velmora.exe"), "velmora.exe");
  EXPECT_EQ(autorun::ValueName("/unix/path/velmora.exe"), "velmora.exe");
  EXPECT_EQ(autorun::ValueName("D:velmora.exe"), "velmora.exe");
  EXPECT_EQ(autorun::ValueName("velmora.exe"), "velmora.exe");
  EXPECT_EQ(autorun::ValueName("C:\\dir\\"), "");
}

TEST(AutoRunLogic, TheEntryStartsThePathInQuotes) {
  // Unquoted, Windows would try C:\Program.exe first.
  EXPECT_EQ(autorun::CommandLine("C:\\Program Files\\Velmora\\velmora.exe"), "\"C:\\Program Files\\Velmora\\velmora.exe\"");
  EXPECT_EQ(autorun::CommandLine("\"C:\\velmora.exe\""), "\"C:\\velmora.exe\"");
  EXPECT_EQ(autorun::CommandLine(""), "");
  EXPECT_EQ(autorun::CommandLine("\""), "\"\"\"");
}

TEST(AutoRunLogic, ShutdownRequests) {
  autorun::ShutdownCall c{};
  ASSERT_TRUE(autorun::CallFor(aatReboot, false, c));
  EXPECT_FALSE(c.PowerState);
  EXPECT_EQ(c.Flags, 2u);
  ASSERT_TRUE(autorun::CallFor(aatReboot, true, c));
  EXPECT_EQ(c.Flags, 6u);
  ASSERT_TRUE(autorun::CallFor(aatPowerOff, false, c));
  EXPECT_EQ(c.Flags, 8u);
  ASSERT_TRUE(autorun::CallFor(aatLogOff, true, c));
  EXPECT_EQ(c.Flags, 4u);
  ASSERT_TRUE(autorun::CallFor(aatHibernate, true, c));
  EXPECT_TRUE(c.PowerState);
  EXPECT_FALSE(c.Suspend);
  ASSERT_TRUE(autorun::CallFor(aatSuspend, false, c));
  EXPECT_TRUE(c.PowerState && c.Suspend);
  // A damaged action asks for nothing rather than for the default power-off.
  EXPECT_FALSE(autorun::CallFor(static_cast<TShutdownActionType>(9), false, c));
}
