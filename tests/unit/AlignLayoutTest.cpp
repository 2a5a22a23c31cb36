#include <gtest/gtest.h>
#include "framework/AlignLayout.h"

// The main window's layout: a client panel above two bottom strips, one of them hidden.
TEST(AlignLayout, BottomStripsStackAndClientTakesTheRest) {
  std::vector<TAlignItem> items = {
      {alClient, true, 0, 0, 425, 186},
      {alBottom, true, 0, 186, 425, 25},
      {alBottom, false, 0, 211, 425, 20},
  };
  AlignItems(items, {0, 0, 425, 211});
  EXPECT_EQ(items[1].Top, 186);
  EXPECT_EQ(items[0].Height, 186);
  EXPECT_EQ(items[2].Top, 211);  // hidden: left where it was

  // Shown again in a window 20 pixels taller: the lower strip goes under the other one.
  items[2].Visible = true;
  AlignItems(items, {0, 0, 425, 231});
  EXPECT_EQ(items[2].Top, 211);
  EXPECT_EQ(items[1].Top, 186);
  EXPECT_EQ(items[0].Height, 186);
}

TEST(AlignLayout, LeftRightTakeTheHeightBetweenTopAndBottom) {
  std::vector<TAlignItem> items = {
      {alLeft, true, 0, 0, 17, 10},
      {alRight, true, 0, 0, 24, 10},
      {alClient, true, 0, 0, 1, 1},
      {alTop, true, 0, 0, 5, 10},
      {alNone, true, 3, 4, 5, 6},
  };
  AlignItems(items, {1, 1, 408, 72});
  EXPECT_EQ(items[3].Top, 1);
  EXPECT_EQ(items[3].Width, 407);
  EXPECT_EQ(items[0].Left, 1);
  EXPECT_EQ(items[0].Top, 11);
  EXPECT_EQ(items[0].Height, 61);
  EXPECT_EQ(items[1].Left, 384);
  EXPECT_EQ(items[2].Left, 18);
  EXPECT_EQ(items[2].Width, 366);
  EXPECT_EQ(items[4].Left, 3);  // not aligned: untouched
}

TEST(AlignLayout, OversizedItemsNeverGetNegativeSizes) {
  std::vector<TAlignItem> items = {{alTop, true, 0, 0, 0, 50}, {alClient, true, 0, 0, 0, 0}};
  AlignItems(items, {0, 0, 10, 20});
  EXPECT_EQ(items[1].Height, 0);
}

// The system information dialog (534 pixels high with its frame) on a 640 x 480 screen whose
// taskbar takes the bottom 30 pixels.
TEST(FitWindow, ATallWindowBecomesAsTallAsTheWorkAreaAndStaysInIt) {
  TFitWindow f = FitWindow(117, -27, 396, 534, {0, 0, 640, 450});
  EXPECT_TRUE(f.Short);
  EXPECT_EQ(f.Height, 450);
  EXPECT_EQ(f.X, 117);
  EXPECT_EQ(f.Y, 0);
  // A work area that does not start at the top (a taskbar there).
  f = FitWindow(0, 500, 396, 534, {0, 30, 640, 480});
  EXPECT_EQ(f.Y, 30);
  EXPECT_EQ(f.Height, 450);
}

TEST(FitWindow, AWindowThatFitsIsOnlyMovedIntoTheArea) {
  TFitWindow f = FitWindow(300, 200, 503, 385, {0, 0, 640, 450});
  EXPECT_FALSE(f.Short);
  EXPECT_EQ(f.Height, 385);
  EXPECT_EQ(f.X, 137);  // its right edge at the area's
  EXPECT_EQ(f.Y, 65);
  f = FitWindow(10, 20, 300, 200, {0, 0, 1024, 738});
  EXPECT_EQ(f.X, 10);
  EXPECT_EQ(f.Y, 20);
  // Wider than the area: the left edge shows.
  f = FitWindow(-50, 0, 700, 100, {0, 0, 640, 480});
  EXPECT_EQ(f.X, 0);
}

TEST(Scrolling, PositionsStayWithinTheContentsAndShowWhatIsAskedFor) {
  EXPECT_EQ(ClampScroll(-5, 400, 509), 0);
  EXPECT_EQ(ClampScroll(200, 400, 509), 109);
  EXPECT_EQ(ClampScroll(50, 600, 509), 0);  // all of it shows
  // Below the view: scrolled until its bottom shows; above: until its top does.
  EXPECT_EQ(ScrollToShow(0, 400, 509, 470, 495), 95);
  EXPECT_EQ(ScrollToShow(95, 400, 509, 20, 40), 20);
  EXPECT_EQ(ScrollToShow(30, 400, 509, 100, 200), 30);  // already shows
  // Taller than the view: its top.
  EXPECT_EQ(ScrollToShow(0, 100, 509, 150, 400), 150);
  EXPECT_EQ(ScrollToShow(0, 400, 509, 480, 600), 109);
}
