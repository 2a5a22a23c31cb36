// Arithmetic and geometry of the instruments.
#include <gtest/gtest.h>
#include <climits>
#include "instruments/MtBitmapStream.h"
#include "instruments/MtMath.h"

using namespace mt;

TEST(InstrumentMath, PercentagesTruncateTowardZeroAndStayInRange) {
  EXPECT_EQ(PercentOf(5, 0), 0);
  EXPECT_EQ(PercentOf(1, 3), 33);
  EXPECT_EQ(PercentOf(-1, 3), -33);
  EXPECT_EQ(PercentOf(INT32_MAX, 1), INT32_MAX);
  EXPECT_EQ(PercentOf(INT32_MIN, 1), INT32_MIN);
  EXPECT_EQ(ValueOfPercent(50, 71), 35);
  EXPECT_EQ(ValueOfPercent(100, 142), 142);
  // In double arithmetic 29 * 0.01 lies just below 0.29.
  EXPECT_EQ(ValueOfPercent(29, 100), 28);
  EXPECT_EQ(RoundEven(0.5), 0);
  EXPECT_EQ(RoundEven(1.5), 2);
  EXPECT_EQ(RoundEven(2.5), 2);
  EXPECT_EQ(RoundEven(-2.5), -2);
  EXPECT_EQ(RoundEven(1e12), INT32_MAX);
  int32_t v = 150;
  AdjustRange(v, 0, 100);
  EXPECT_EQ(v, 100);
  v = -3;
  AdjustRange(v, 0, 100);
  EXPECT_EQ(v, 0);
}

TEST(InstrumentMath, GradientRunsFromOneColourToTheOtherAcrossTheExtent) {
  // Green to yellow over the main window's bar (142 pixels), one band per pixel.
  std::vector<uint32_t> b = GradientBands(0x008000, 0x00FFFF, 142, 1);
  ASSERT_EQ(b.size(), 143u);
  EXPECT_EQ(b[0], 0x008000u);
  EXPECT_EQ(b[142], 0x00FFFFu);  // the band at the full extent, outside the rectangle
  // Pixel k is From + k * (To - From) / n: red 255 * 71 / 142 = 127.5, green 128 + 63.5.
  EXPECT_EQ(b[71] & 0xFF, 128u);
  EXPECT_EQ((b[71] >> 8) & 0xFF, 192u);
  for (size_t k = 1; k < b.size(); ++k) EXPECT_GE(b[k] & 0xFF, b[k - 1] & 0xFF);
  // Wider steps, a zero extent and a step below 1 still end.
  EXPECT_EQ(GradientBands(0, 0xFFFFFF, 10, 4).size(), 3u);
  EXPECT_EQ(GradientBands(0, 0xFFFFFF, 0, 1).size(), 2u);
  EXPECT_EQ(GradientBands(0, 0xFFFFFF, 5, 0).size(), 6u);
}

TEST(InstrumentMath, ScopeGeometryOfTheMainWindowsChart) {
  EXPECT_EQ(ScopeBaseLineY(71, 50), 34);  // 71 / 100 * 50 = 35.5, rounded to 36
  EXPECT_EQ(ScopeBaseLineY(71, 0), 70);
  EXPECT_EQ(ScopeBaseLineY(71, 100), -1);
  EXPECT_EQ(ScopeValueToY(50, 0, 100, 71), 36);
  EXPECT_EQ(ScopeValueToY(100, 0, 100, 71), 0);
  // 0 and 1 % fall one row below the chart: they are drawn on its last row.
  EXPECT_EQ(ScopeValueToY(0, 0, 100, 71), 70);
  EXPECT_EQ(ScopeValueToY(1, 0, 100, 71), 70);
  EXPECT_EQ(ScopeValueToY(2, 0, 100, 71), 70);
  EXPECT_EQ(ScopeValueToY(3, 0, 100, 71), 69);
  EXPECT_EQ(ScopeValueToY(0, 0, 100, 0), 0);
  EXPECT_EQ(ScopeValueToY(kScopeValueLimit, -kScopeValueLimit, kScopeValueLimit, 71), 0);
  EXPECT_EQ(ScopeGridRows(34, 14, 71), (std::vector<int>{20, 6, -8, 48, 62, 76}));
  EXPECT_EQ(ScopeGridRows(34, 0, 71), std::vector<int>{});
  EXPECT_EQ(ScopeNextGridOffset(13, 1, 14), 0);
  // A frequency above the grid size keeps the offset below it.
  EXPECT_EQ(ScopeNextGridOffset(0, 30, 14), 2);
  EXPECT_EQ(ScopeNextGridOffset(20, 1, 14), 7);
}

TEST(InstrumentMath, BarBlocksOfTheMainWindowsBar) {
  // Interior of the 144 x 16 bar inside its one-pixel bevel: (1, 1, 143, 15).
  auto half = BarBlocks(1, 1, 143, 15, 71, false, false);
  ASSERT_EQ(half.size(), 9u);
  for (size_t i = 0; i < half.size(); ++i) {
    EXPECT_EQ(half[i].Left, 2 + 8 * static_cast<int>(i));
    EXPECT_EQ(half[i].Right - half[i].Left, 6);
    EXPECT_EQ(half[i].Top, 2);
    EXPECT_EQ(half[i].Bottom, 14);
    EXPECT_EQ(half[i].SrcX, half[i].Left - 1);
  }
  EXPECT_TRUE(BarBlocks(1, 1, 143, 15, 0, false, false).empty());
  auto full = BarBlocks(1, 1, 143, 15, 142, false, false);
  EXPECT_EQ(full.back().Right, 142);  // the last one cut at the right edge
  EXPECT_EQ(full.back().Left, 138);
  auto smooth = BarBlocks(1, 1, 143, 15, 71, true, false);
  ASSERT_EQ(smooth.size(), 1u);
  EXPECT_EQ(smooth[0].Left, 2);
  EXPECT_EQ(smooth[0].Right, 72);
  // Too flat for a block: nothing, and no endless loop.
  EXPECT_TRUE(BarBlocks(0, 0, 100, 2, 50, false, false).empty());
  EXPECT_TRUE(BarBlocks(0, 0, 2, 100, 50, false, true).empty());
  // A smooth vertical bar reaches the interior's bottom edge; the source spans the full width.
  auto up = BarBlocks(0, 0, 14, 198, 99, true, true);
  ASSERT_EQ(up.size(), 1u);
  EXPECT_EQ(up[0].Bottom, 198);
  EXPECT_EQ(up[0].Top, 99);
  EXPECT_EQ(up[0].SrcW, 14);
  auto steps = BarBlocks(0, 0, 14, 198, 30, false, true);
  ASSERT_FALSE(steps.empty());
  EXPECT_EQ(steps[0].Bottom, 197);
  EXPECT_EQ(steps[0].Top, 197 - 6);
}

TEST(InstrumentMath, NumberCellsAndLayout) {
  EXPECT_EQ(NumCells(42, 4, false, false, false), (std::vector<int>{10, 10, 4, 2}));
  EXPECT_EQ(NumCells(42, 4, true, false, false), (std::vector<int>{0, 0, 4, 2}));
  EXPECT_EQ(NumCells(0, 4, false, true, false), (std::vector<int>{10, 10, 10, 10}));
  EXPECT_EQ(NumCells(-5, 4, false, false, true), (std::vector<int>{12, 10, 10, 10, 5}));
  EXPECT_EQ(NumCells(5, 4, false, false, true), (std::vector<int>{11, 10, 10, 10, 5}));
  EXPECT_EQ(NumCells(12345, 4, false, false, false), (std::vector<int>{1, 2, 3, 4, 5}));
  // The smallest 32-bit value is drawn with all its digits.
  EXPECT_EQ(NumCells(INT32_MIN, 1, false, false, true), (std::vector<int>{12, 2, 1, 4, 7, 4, 8, 3, 6, 4, 8}));
  EXPECT_EQ(NumContentWidth(4, false, 7, 2), 34);
  EXPECT_EQ(NumContentWidth(4, true, 7, 2), 43);
}

TEST(InstrumentMath, GaugeFrames) {
  const std::pair<int, int> frames[] = {{0, 0}, {8, 0}, {9, 1}, {50, 6}, {99, 11}, {100, 12}};
  for (auto [pos, frame] : frames) EXPECT_EQ(GaugeFrame(pos, 0, 100), frame) << pos;
  // A wide range does not overflow.
  EXPECT_EQ(GaugeFrame(2000000000, -2000000000, 2000000000), 12);
  EXPECT_EQ(GaugeFrame(0, -2000000000, 2000000000), 6);
  EXPECT_EQ(GaugeFrame(5, 5, 5), 0);
}

namespace {
std::vector<uint8_t> FakeBmp(uint32_t size) {
  std::vector<uint8_t> b(size, 0);
  b[0] = 'B';
  b[1] = 'M';
  for (int i = 0; i < 4; ++i) b[2 + i] = static_cast<uint8_t>(size >> (8 * i));
  b[10] = 54;
  b[14] = 40;
  return b;
}
}  // namespace

TEST(InstrumentBitmapStream, SplitsSoundStreamsAndRefusesDamagedOnes) {
  std::vector<uint8_t> s = JoinBitmapStream({FakeBmp(60), FakeBmp(70)});
  ASSERT_EQ(s.size(), 8u + 130u);
  EXPECT_EQ(s[0], 0x62);
  EXPECT_EQ(s[1], 0x54);
  EXPECT_EQ(s[2], 0x35);
  EXPECT_EQ(s[3], 0x00);
  std::vector<BmpSpan> spans;
  ASSERT_TRUE(SplitBitmapStream(s.data(), s.size(), spans));
  ASSERT_EQ(spans.size(), 2u);
  EXPECT_EQ(spans[1].Offset, 68u);
  EXPECT_EQ(spans[1].Size, 70u);
  std::vector<uint8_t> empty = JoinBitmapStream({});
  EXPECT_TRUE(SplitBitmapStream(empty.data(), empty.size(), spans));
  EXPECT_TRUE(spans.empty());

  auto refused = [&](std::vector<uint8_t> d) { return !SplitBitmapStream(d.data(), d.size(), spans) && spans.empty(); };
  auto bad = s;
  bad[0] = 0x63;
  EXPECT_TRUE(refused(bad));  // another signature
  bad = s;
  bad[4] = bad[5] = bad[6] = bad[7] = 0xFF;
  EXPECT_TRUE(refused(bad));  // a count the bytes cannot hold
  bad = s;
  bad[4] = 3;
  EXPECT_TRUE(refused(bad));  // one file more than there is
  bad = s;
  bad[8 + 2] = 0xFF;
  bad[8 + 5] = 0x7F;
  EXPECT_TRUE(refused(bad));  // a file running past the end
  bad = s;
  bad[8 + 14] = 0xFF;
  EXPECT_TRUE(refused(bad));  // a picture header larger than its file
  EXPECT_TRUE(refused(std::vector<uint8_t>(s.begin(), s.end() - 1)));
  EXPECT_TRUE(refused(std::vector<uint8_t>(s.begin(), s.begin() + 7)));
  EXPECT_FALSE(SplitBitmapStream(nullptr, 0, spans));
}
