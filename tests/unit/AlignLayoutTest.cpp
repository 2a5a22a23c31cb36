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
