#include <gtest/gtest.h>
#include "app/MainLogic.h"

using namespace mainlogic;

TEST(MainLogic, MemoryBarRoundsHalvesToEven) {
  EXPECT_EQ(ComputeMemoryReadout(1000, 375).BarPosition, 38);  // 37.5
  EXPECT_EQ(ComputeMemoryReadout(1000, 365).BarPosition, 36);  // 36.5
  EXPECT_EQ(ComputeMemoryReadout(1000, 995).BarPosition, 100); // 99.5
  EXPECT_EQ(ComputeMemoryReadout(0, 0).BarPosition, 0);        // no division by zero
}

TEST(MainLogic, MegabytesTruncateAndWrapAsSigned) {
  EXPECT_EQ(ComputeMemoryReadout(268435456, 96 * 1048576).Megabytes, 96);
  EXPECT_EQ(ComputeMemoryReadout(268435456, 1048575).Megabytes, 0);
  // Above 2147483647 bytes the reading is negative: the readouts then clamp it to 0.
  int32_t avail = static_cast<int32_t>(3000000000u);
  EXPECT_LT(ComputeMemoryReadout(static_cast<int32_t>(4000000000u), avail).Megabytes, 0);
}

TEST(MainLogic, TrayTextAndQuickFreeBlock) {
  EXPECT_EQ(TrayText(7, 96), "Velmora: CPU=7%, RAM=96 Mb");
  EXPECT_EQ(TrayText(-3, 0), "Velmora: CPU=-3%, RAM=0 Mb");
  EXPECT_EQ(QuickFreeBlockSize(256 * 1048576, 96 * 1048576), 176 * 1048576);
  EXPECT_EQ(QuickFreeBlockSize(0, 0), 0);  // before the first refresh nothing is allocated
}

TEST(MainLogic, LinkPanelShowsOnThirdThenEverySecondActivation) {
  int32_t count = 0;
  std::vector<int> shownAt;
  for (int activation = 1; activation <= 9; ++activation)
    if (CountActivation(count, false)) shownAt.push_back(activation);  // dismissed at once each time
  EXPECT_EQ(shownAt, (std::vector<int>{3, 5, 7, 9}));

  // While the panel is visible, activations only count.
  count = 2;
  EXPECT_FALSE(CountActivation(count, true));
  EXPECT_EQ(count, 3);

  // At the cap the count stands still and, not being a multiple of 3, never shows the panel.
  count = kActivateCountCap;
  EXPECT_FALSE(CountActivation(count, false));
  EXPECT_EQ(count, kActivateCountCap);
}
