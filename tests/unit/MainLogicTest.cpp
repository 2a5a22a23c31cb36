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
  // From the old 32-bit reading, above 2147483647 bytes is negative: the readouts clamp it to 0.
  int32_t avail = static_cast<int32_t>(3000000000u);
  EXPECT_LT(ComputeMemoryReadout(static_cast<int32_t>(4000000000u), avail).Megabytes, 0);
}

TEST(MainLogic, WideReadingsOfLargeMachines) {
  const int64_t GB = int64_t{1} << 30;
  // 16 GB with 12 GB free: 75 % and 12288 MB (the four-digit number shows its top).
  MemoryReadout r = ComputeMemoryReadout(16 * GB, 12 * GB);
  EXPECT_EQ(r.BarPosition, 75);
  EXPECT_EQ(r.Megabytes, 12288);
  // 3 GB with 2.5 GB free, a figure the old reading took as negative.
  r = ComputeMemoryReadout(3 * GB, 5 * GB / 2);
  EXPECT_EQ(r.BarPosition, 83);
  EXPECT_EQ(r.Megabytes, 2560);
}

TEST(MainLogic, AvailableFigureTurnsToGigabytesAboveFourDigits) {
  // Up to 9,999 MB the number shows megabytes as before.
  EXPECT_EQ(AvailableFigure(9999).Value, 9999);
  EXPECT_FALSE(AvailableFigure(9999).Gigabytes);
  EXPECT_FALSE(AvailableFigure(-5).Gigabytes);  // the old reading's negative figure stays Mb
  // Above it whole gigabytes, truncated: 10,000 MB is 9.77 GB.
  EXPECT_EQ(AvailableFigure(10000).Value, 9);
  EXPECT_TRUE(AvailableFigure(10000).Gigabytes);
  EXPECT_EQ(AvailableFigure(22 * 1024 + 1023).Value, 22);
  EXPECT_EQ(AvailableFigure(2147483647).Value, 2097151);
  EXPECT_STREQ(MemoryCaption(false), "Available RAM (Mb)");
  EXPECT_STREQ(MemoryCaption(true), "Available RAM (Gb)");
}

TEST(MainLogic, TrayTextAndQuickFreeBlock) {
  EXPECT_EQ(TrayText(7, 96), "Velmora: CPU=7%, RAM=96 Mb");
  EXPECT_EQ(TrayText(-3, 0), "Velmora: CPU=-3%, RAM=0 Mb");
  EXPECT_EQ(TrayText(12, 22, true), "Velmora: CPU=12%, RAM=22 Gb");
  const uint64_t noLimit = ~uint64_t{0};
  // The old reading: signed 32-bit arithmetic, limit ignored, as it always was.
  EXPECT_EQ(QuickFreeBlockSize({256 * 1048576, 96 * 1048576, false}, 0), 176 * 1048576);
  EXPECT_EQ(QuickFreeBlockSize({64 * 1048576, 8 * 1048576, false}, 0), 36 * 1048576);
  EXPECT_EQ(QuickFreeBlockSize({0, 0, false}, noLimit), 0);  // before the first refresh: nothing
  // A 2 GB capped reading (both figures 2147483647) wraps nowhere.
  EXPECT_EQ(QuickFreeBlockSize({INT32_MAX, INT32_MAX, false}, 0), INT32_MAX);

  // The extended reading: 64-bit, then limited to what the process can allocate.
  const int64_t GB = int64_t{1} << 30;
  EXPECT_EQ(QuickFreeBlockSize({3 * GB, 1 * GB, true}, noLimit), 2 * GB);
  EXPECT_EQ(QuickFreeBlockSize({16 * GB, 12 * GB, true}, 1500u << 20), int64_t{1500} << 20);
  EXPECT_EQ(QuickFreeBlockSize({16 * GB, 0, true}, noLimit), 0);
  // An inconsistent reading (more available than in total) does not underflow.
  EXPECT_EQ(QuickFreeBlockSize({1 * GB, 2 * GB, true}, noLimit), 2 * GB);
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
