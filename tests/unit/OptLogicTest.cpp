#include <gtest/gtest.h>
#include "app/OptLogic.h"

using namespace optlogic;

namespace {
const int64_t MB = 1048576;
TPhysMemory Old(int64_t total, int64_t avail) { return {total, avail, false}; }
}  // namespace

const uint64_t kNoLimit = ~uint64_t{0};

TEST(OptLogic, MemorySliderRangeFromTheOldReading) {
  // 256 MB with 100 MB free: U = 124, the slider 110 .. 224.
  RamRange r = ComputeRamRange(Old(256 * MB, 100 * MB), kNoLimit);
  EXPECT_EQ(r.MaxLabel, 124);
  EXPECT_EQ(r.MinValue, 110);
  EXPECT_EQ(r.MaxValue, 224);
  EXPECT_TRUE(r.CanFree);
  // The quotients are added, not the sum divided: 100.5 MB free and 11.5 MB used above 32 MB.
  r = ComputeRamRange(Old(144 * MB, 100 * MB + MB / 2), kNoLimit);
  EXPECT_EQ(r.MaxLabel, 11);
  EXPECT_EQ(r.MaxValue, 111);
  // Less than 32 MB used (U = -5), or a difference under 1 MB (0, not -1): nothing to free.
  for (TPhysMemory m : {Old(64 * MB, 37 * MB), Old(64 * MB, 32 * MB + 10)}) {
    r = ComputeRamRange(m, kNoLimit);
    EXPECT_FALSE(r.CanFree);
    EXPECT_EQ(r.MaxLabel, 0);
  }
  // A capped 2 GB reading: both figures 2147483647, nothing used above them.
  r = ComputeRamRange(Old(INT32_MAX, INT32_MAX), kNoLimit);
  EXPECT_FALSE(r.CanFree);
  EXPECT_EQ(r.MinValue, 2057);
  EXPECT_EQ(r.AvailMB, 2047);
}

TEST(OptLogic, MemorySliderReachesOnlyWhatThisProcessCanTouch) {
  const int64_t GB = 1024 * MB;
  // A block as large as the memory is no limit.
  RamRange r = ComputeRamRange({16 * GB, 12 * GB, true}, 16u * GB);
  EXPECT_TRUE(r.CanFree);
  EXPECT_EQ(r.MinValue, 12288 + 10);
  EXPECT_EQ(r.MaxValue, 16384 - 32);
  EXPECT_EQ(r.MaxLabel, 4096 - 32);
  // 1 GB free of 4 GB and a 1.5 GB block: the slider ends at 1536 MB, 512 MB freed at most.
  r = ComputeRamRange({4 * GB, 1 * GB, true}, 1536u * MB);
  EXPECT_TRUE(r.CanFree);
  EXPECT_EQ(r.MinValue, 1034);
  EXPECT_EQ(r.MaxValue, 1536);
  EXPECT_EQ(r.MaxLabel, 512);
  // 24 GB with 22,000 MB free, and a block of about 470 MB: the block is all available
  // anyway, so nothing would be freed.
  r = ComputeRamRange({24 * GB, 22000 * MB, true}, 470u * MB);
  EXPECT_FALSE(r.CanFree);
  EXPECT_EQ(r.MaxLabel, 0);
  EXPECT_EQ(r.AvailMB, 22000);
  EXPECT_EQ(NothingToFreeCaption(r.AvailMB), "Nothing to free: 22,000 MB available");
  // Ten MB beyond the available memory is the least the slider frees.
  EXPECT_TRUE(ComputeRamRange({4 * GB, 1 * GB, true}, 1034u * MB).CanFree);
  EXPECT_FALSE(ComputeRamRange({4 * GB, 1 * GB, true}, 1033u * MB).CanFree);
  // Absurd figures stay inside the int range.
  r = ComputeRamRange({INT64_MAX / 2, 0, true}, kNoLimit);
  EXPECT_EQ(r.MaxLabel, INT32_MAX);
  EXPECT_EQ(r.MaxValue, INT32_MAX);
}

TEST(OptLogic, CaptionsOfWhatCouldNotBeDone) {
  EXPECT_EQ(NothingToFreeCaption(96), "Nothing to free: 96 MB available");
  EXPECT_EQ(NothingToFreeCaption(1234567), "Nothing to free: 1,234,567 MB available");
  EXPECT_EQ(NothingWrittenMessage(true), "No connection settings to change on this version of Windows.");
  EXPECT_EQ(NothingWrittenMessage(false), "The connection settings could not be written.");
}

TEST(OptLogic, MemoryStepAllocatesTheSlidersAmountOnly) {
  const uint64_t noLimit = kNoLimit;
  // The slider's value is the amount to end up with: 110 MB, not the available memory on top.
  EXPECT_EQ(FreeRamBlock(110, noLimit), 110u * MB);
  EXPECT_EQ(FreeRamBlock(0, noLimit), 0u);
  EXPECT_EQ(FreeRamBlock(-5, noLimit), 0u);
  // Past 2 GB the product does not wrap; the process's own limit applies.
  EXPECT_EQ(FreeRamBlock(12298, noLimit), 12298u * MB);
  EXPECT_EQ(FreeRamBlock(12298, 1500u * MB), 1500u * MB);
}

TEST(OptLogic, TuningTablePerPlatform) {
  auto w98 = TuningTable("Windows 9x", 4, 4);
  ASSERT_EQ(w98.size(), 2u);
  EXPECT_FALSE(w98[0].CurrentUser);
  EXPECT_EQ(w98[0].Path, "\\System\\CurrentControlSet\\Services\\VxD\\MSTCP");
  ASSERT_EQ(w98[0].Values.size(), 6u);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(w98[0].Values[i].IsString) << i;
  EXPECT_EQ(w98[0].Values[1].Name, "DefaultRcvWindow");
  EXPECT_EQ(w98[0].Values[1].Text, "372300");
  EXPECT_FALSE(w98[0].Values[5].IsString);
  EXPECT_EQ(w98[0].Values[5].Number, 3);
  EXPECT_TRUE(w98[1].CurrentUser);
  EXPECT_EQ(w98[1].Path, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings");
  ASSERT_EQ(w98[1].Values.size(), 2u);
  EXPECT_EQ(w98[1].Values[0].Name, "MaxConnectionsPerServer");
  EXPECT_EQ(w98[1].Values[1].Name, "MaxConnectionsPer1_0Server");
  EXPECT_EQ(w98[1].Values[1].Number, 8);

  auto nt4 = TuningTable("Windows NT", 4, 1);
  ASSERT_EQ(nt4.size(), 2u);
  EXPECT_EQ(nt4[0].Path, "\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters");
  ASSERT_EQ(nt4[0].Values.size(), 4u);
  EXPECT_EQ(nt4[0].Values[1].Name, "TcpWindowSize");
  EXPECT_EQ(nt4[0].Values[1].Number, 64240);
  EXPECT_EQ(nt4[1].Values[0].Number, 5);

  auto nt5 = TuningTable("Windows NT", 5, 3);
  ASSERT_EQ(nt5.size(), 2u);
  ASSERT_EQ(nt5[0].Values.size(), 7u);
  for (const auto& v : nt5[0].Values) EXPECT_FALSE(v.IsString) << v.Name;
  EXPECT_EQ(nt5[0].Values[2].Name, "GlobalMaxTcpWindowSize");
  EXPECT_EQ(nt5[0].Values[2].Number, 372300);
  EXPECT_EQ(nt5[1].Values[0].Number, 7);
  EXPECT_EQ(TuningTable("Windows NT", 5, 2)[1].Values[1].Number, 6);
}

TEST(OptLogic, TuningTableLeavesOtherPlatformsAlone) {
  EXPECT_TRUE(TuningTable("Windows NT", 6, 1).empty());
  EXPECT_TRUE(TuningTable("Windows NT", 3, 1).empty());
  EXPECT_TRUE(TuningTable("windows 9x", 4, 1).empty());  // the text is compared exactly
  EXPECT_TRUE(TuningTable("Win32s", 3, 1).empty());
  // A line speed outside 1..4 writes no connection values.
  auto t = TuningTable("Windows NT", 5, 0);
  ASSERT_EQ(t.size(), 2u);
  EXPECT_TRUE(t[1].Values.empty());
  EXPECT_EQ(ConnectionsFor(5), 0);
}
