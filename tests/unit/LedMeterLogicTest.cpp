#include <gtest/gtest.h>
#include "sysinfo/LedMeterLogic.h"

using namespace ledmeter;

namespace {
int LitCount(const std::vector<Segment>& v) {
  int n = 0;
  for (const Segment& s : v) n += s.Lit ? 1 : 0;
  return n;
}
}  // namespace

TEST(LedMeterLogic, DimmedColoursScaleLightnessOnly) {
  EXPECT_EQ(DimColor(0x00FF00, 0.6), 0x009900u);  // lime, as the constructor dims it
  EXPECT_EQ(DimColor(0x00FFFF, 0.6), 0x009999u);  // yellow
  EXPECT_EQ(DimColor(0x0000FF, 0.6), 0x000099u);  // red
  EXPECT_EQ(DimColor(0x00FF00, 0.4), 0x006600u);  // contrast 6
  EXPECT_EQ(DimColor(0x0000FF, 1.0), 0x0000FFu);  // contrast 0 leaves the colour
  EXPECT_EQ(DimColor(0x0000FF, 0.0), 0x000000u);
  EXPECT_EQ(DimColor(0x808080, 0.5), 0x404040u);  // grey has no hue
  EXPECT_EQ(DimColor(0xFFFFFF, 0.5), 0x808080u);
}

TEST(LedMeterLogic, LitSegmentsAndZonesRoundHalvesToEven) {
  EXPECT_EQ(SegmentIndex(35, 50, 0, 100), 18);  // 17.5
  EXPECT_EQ(SegmentIndex(35, 70, 0, 100), 24);  // 24.5
  EXPECT_EQ(SegmentIndex(35, 90, 0, 100), 32);  // 31.5
  EXPECT_EQ(SegmentIndex(26, 7, 0, 100), 2);    // 1.82
  EXPECT_EQ(SegmentIndex(20, 0, 0, 100), 0);
  EXPECT_EQ(SegmentIndex(20, 50, 50, 50), 0);  // no range
  EXPECT_EQ(SegmentIndex(20, 50, 60, 50), 0);
  EXPECT_EQ(SegmentIndex(20, -5, -10, 10), 0);
  // Measured from 0, not from the minimum.
  EXPECT_EQ(SegmentIndex(10, 60, 50, 100), 12);
  // No overflow at the ends of the range.
  EXPECT_EQ(SegmentIndex(1000, 2147483647, -2147483647 - 1, 2147483647), 500);

  Settings s;
  s.NumDigits = 35;
  s.Position = 50;
  std::vector<Segment> v = Layout(s);
  ASSERT_EQ(v.size(), 35u);
  EXPECT_EQ(LitCount(v), 18);
  EXPECT_TRUE(v[17].Lit);
  EXPECT_FALSE(v[18].Lit);
  s.StartColor2 = 70;
  s.StartColor3 = 90;
  v = Layout(s);
  EXPECT_EQ(v[23].Zone, 1);
  EXPECT_EQ(v[24].Zone, 2);
  EXPECT_EQ(v[31].Zone, 2);
  EXPECT_EQ(v[32].Zone, 3);

  s.Max = s.Min = 40;
  s.Position = 40;
  EXPECT_EQ(LitCount(Layout(s)), 0);
  for (const Segment& g : Layout(s)) EXPECT_EQ(g.Zone, 3);  // both zone starts are 0 too
}

TEST(LedMeterLogic, SingleLedLightsOnlyTheTopSegment) {
  Settings s;
  s.SingleLED = true;
  EXPECT_EQ(LitCount(Layout(s)), 0);
  s.Position = 50;
  std::vector<Segment> v = Layout(s);
  EXPECT_EQ(LitCount(v), 1);
  EXPECT_TRUE(v[9].Lit);
}

TEST(LedMeterLogic, SegmentRectanglesPerDirection) {
  Settings s;  // 143 x 16, 20 segments, bevel
  std::vector<Segment> v = Layout(s);
  // Width (143 - 2) div 20 = 7; neighbours share their outline column.
  EXPECT_EQ(v[0].Left, 1);
  EXPECT_EQ(v[0].Right, 9);
  EXPECT_EQ(v[1].Left, 8);
  EXPECT_EQ(v[0].Top, 1);
  EXPECT_EQ(v[0].Bottom, 15);
  EXPECT_EQ(v[19].Right, 1 + 19 * 7 + 8);

  s.Dir = mdLeft;
  v = Layout(s);
  EXPECT_EQ(v[0].Left, 143 - 1 - 7 - 1);
  EXPECT_EQ(v[0].Right, 143 - 1);
  EXPECT_EQ(v[1].Left, 143 - 1 - 14 - 1);

  s.Width = 16;
  s.Height = 143;
  s.Dir = mdUp;
  v = Layout(s);
  EXPECT_EQ(v[0].Left, 1);
  EXPECT_EQ(v[0].Right, 1 + 13 + 1);  // width 16 - 2 - 1
  EXPECT_EQ(v[0].Top, 143 - 1 - 7);
  EXPECT_EQ(v[0].Bottom, 143 - 1);
  s.Dir = mdDown;
  v = Layout(s);
  EXPECT_EQ(v[2].Top, 1 + 14);
  EXPECT_EQ(v[2].Bottom, 1 + 21);

  s.Bevel = false;
  s.Dir = mdRight;
  s.Width = 100;
  s.Height = 10;
  s.NumDigits = 10;
  v = Layout(s);
  EXPECT_EQ(v[0].Left, 0);
  EXPECT_EQ(v[0].Right, 11);
  EXPECT_EQ(v[0].Bottom, 10);
}

TEST(LedMeterLogic, NoSegmentsWithoutRoom) {
  Settings s;
  s.NumDigits = 0;
  EXPECT_TRUE(Layout(s).empty());
  s.NumDigits = 2000000000;  // more than pixels: nothing, and no endless loop
  EXPECT_TRUE(Layout(s).empty());
  s.NumDigits = 20;
  s.Width = 1;
  EXPECT_TRUE(Layout(s).empty());
}
