// Geometry of the lights, the LED, the shadow button, the rotated label, the scale and the track
// bar.
#include <gtest/gtest.h>
#include <climits>
#include "instruments/MtDrawLogic.h"
#include "instruments/MtTrackBarLogic.h"

using namespace mt;

namespace {
// The wizard's bars: 249 x 45, border 10, the built-in 9 x 17 thumb.
TrackLayout WizardBar() {
  TrackLayout l;
  l.ClientWidth = 249;
  l.ClientHeight = 45;
  l.ThumbWidth = 9;
  l.ThumbHeight = 17;
  return l;
}
TrackLayout Vertical(bool topRight) {
  TrackLayout l;
  l.ClientWidth = 45;
  l.ClientHeight = 249;
  l.ThumbWidth = 17;
  l.ThumbHeight = 9;
  l.Vertical = true;
  l.TopRight = topRight;
  return l;
}
std::vector<int> At(const std::vector<TrackTick>& ticks) {
  std::vector<int> v;
  for (const TrackTick& t : ticks) v.push_back(t.At);
  return v;
}
}  // namespace

TEST(TrackBarGeometry, WizardBarsPlaceThumbAndTicksAsDrawn) {
  TrackLayout l = WizardBar();
  EXPECT_EQ(TrackStart(l), 10);
  EXPECT_EQ(TrackTravel(l), 220);
  TrackRect t = TrackThumbRect(l, 74, 74, 96);
  EXPECT_EQ(t.Left, 10);
  EXPECT_EQ(t.Top, 14);
  EXPECT_EQ(t.Right, 19);
  EXPECT_EQ(t.Bottom, 31);
  // 74..96 by 10: 74, 84 and 96, the ends longer; each at the value's pixel + half a thumb.
  std::vector<TrackTick> ticks = TrackTicks(l, 74, 96, 10);
  EXPECT_EQ(At(ticks), (std::vector<int>{14, 114, 234}));
  EXPECT_TRUE(ticks[0].End);
  EXPECT_FALSE(ticks[1].End);
  EXPECT_TRUE(ticks[2].End);

  // The four-position network bar: a third of the travel apart, rounded.
  const int pixels[] = {10, 83, 157, 230};
  for (int32_t v = 1; v <= 4; ++v) EXPECT_EQ(TrackValueToPixel(l, v, 1, 4), pixels[v - 1]) << v;
  ticks = TrackTicks(l, 1, 4, 1);
  EXPECT_EQ(At(ticks), (std::vector<int>{14, 87, 161, 234}));
  // Each pixel of the travel gives the nearest value; past the ends the ends.
  EXPECT_EQ(TrackPositionAt(l, 10, 1, 4, false, 1), 1);
  EXPECT_EQ(TrackPositionAt(l, 46, 1, 4, false, 1), 1);
  EXPECT_EQ(TrackPositionAt(l, 47, 1, 4, false, 1), 2);
  EXPECT_EQ(TrackPositionAt(l, 157, 1, 4, false, 1), 3);
  EXPECT_EQ(TrackPositionAt(l, -500, 1, 4, false, 1), 1);
  EXPECT_EQ(TrackPositionAt(l, 5000, 1, 4, false, 1), 4);
  // Snapping goes by multiples of the frequency counted from the minimum.
  EXPECT_EQ(TrackPositionAt(l, 10 + 115, 0, 100, false, 10), 52);
  EXPECT_EQ(TrackPositionAt(l, 10 + 115, 0, 100, true, 10), 50);
  EXPECT_EQ(TrackPositionAt(l, 230, 0, 100, true, 30), 90);  // 100 / 30 rounds to 3 steps
}

TEST(TrackBarGeometry, OrientationAndStyleDecideWhereTheMinimumIs) {
  // Horizontal, minimum at the right: mirrored both ways.
  TrackLayout l = WizardBar();
  l.TopRight = true;
  EXPECT_EQ(TrackValueToPixel(l, 1, 1, 4), 230);
  EXPECT_EQ(TrackValueToPixel(l, 4, 1, 4), 10);
  EXPECT_EQ(TrackPositionAt(l, 230, 1, 4, false, 1), 1);
  EXPECT_EQ(TrackPositionAt(l, 10, 1, 4, false, 1), 4);
  int32_t to = 0;
  ASSERT_TRUE(TrackKeyPosition(TrackKey::Right, l, 2, 1, 4, 1, to));
  EXPECT_EQ(to, 1);  // the thumb moves right, toward the minimum

  // Vertical, minimum at the bottom; Up increases.
  TrackLayout v = Vertical(false);
  EXPECT_EQ(TrackTravel(v), 220);
  TrackRect t = TrackThumbRect(v, 0, 0, 100);
  EXPECT_EQ(t.Left, 14);
  EXPECT_EQ(t.Top, 230);
  EXPECT_EQ(TrackValueToPixel(v, 100, 0, 100), 10);
  EXPECT_EQ(TrackPositionAt(v, 230, 0, 100, false, 10), 0);
  EXPECT_EQ(TrackPositionAt(v, 10, 0, 100, false, 10), 100);
  ASSERT_TRUE(TrackKeyPosition(TrackKey::Up, v, 50, 0, 100, 10, to));
  EXPECT_EQ(to, 60);
  EXPECT_FALSE(TrackKeyPosition(TrackKey::Left, v, 50, 0, 100, 10, to));
  // Ticks at the value's pixel + half the thumb's height: the minimum's at the bottom.
  EXPECT_EQ(TrackTicks(v, 0, 100, 50).front().At, 234);

  // Vertical, minimum at the top.
  TrackLayout top = Vertical(true);
  EXPECT_EQ(TrackValueToPixel(top, 0, 0, 100), 10);
  EXPECT_EQ(TrackPositionAt(top, 10, 0, 100, false, 10), 0);
  EXPECT_EQ(TrackPositionAt(top, 230, 0, 100, false, 10), 100);
  ASSERT_TRUE(TrackKeyPosition(TrackKey::Down, top, 50, 0, 100, 10, to));
  EXPECT_EQ(to, 60);
}

TEST(TrackBarGeometry, KeysGoByFrequencyAndHomeIsTheMaximum) {
  TrackLayout l = WizardBar();
  int32_t to = 0;
  ASSERT_TRUE(TrackKeyPosition(TrackKey::Right, l, 1, 1, 4, 1, to));
  EXPECT_EQ(to, 2);
  ASSERT_TRUE(TrackKeyPosition(TrackKey::Home, l, 1, 1, 4, 1, to));
  EXPECT_EQ(to, 4);
  ASSERT_TRUE(TrackKeyPosition(TrackKey::End, l, 3, 1, 4, 1, to));
  EXPECT_EQ(to, 1);
  EXPECT_FALSE(TrackKeyPosition(TrackKey::Up, l, 3, 1, 4, 1, to));
  // The setter limits what the keys ask for.
  ASSERT_TRUE(TrackKeyPosition(TrackKey::Left, l, 1, 1, 4, 1, to));
  EXPECT_EQ(TrackLimit(to, 1, 4), 1);
  // Pages: a fifth of the range, never less than the frequency; never past 32 bits.
  ASSERT_TRUE(TrackKeyPosition(TrackKey::PageUp, l, 10, 0, 100, 10, to));
  EXPECT_EQ(to, 30);
  ASSERT_TRUE(TrackKeyPosition(TrackKey::PageDown, l, 2, 1, 4, 1, to));
  EXPECT_EQ(to, 1);
  ASSERT_TRUE(TrackKeyPosition(TrackKey::Right, l, INT32_MAX, 0, INT32_MAX, 1000, to));
  EXPECT_EQ(to, INT32_MAX);
}

TEST(TrackBarGeometry, EmptyAndReversedRangesNeitherDivideByZeroNorMove) {
  TrackLayout l = WizardBar();
  // An empty range: every value at the start, every pixel the one value, one tick.
  EXPECT_EQ(TrackValueToPixel(l, 42, 42, 42), 10);
  EXPECT_EQ(TrackValueToPixel(l, 43, 42, 42), 10);
  EXPECT_EQ(TrackPositionAt(l, 200, 42, 42, false, 10), 42);
  EXPECT_EQ(TrackPositionAt(l, 200, 42, 42, true, 10), 42);
  std::vector<TrackTick> ticks = TrackTicks(l, 42, 42, 10);
  ASSERT_EQ(ticks.size(), 1u);
  EXPECT_EQ(ticks[0].At, 14);
  EXPECT_TRUE(ticks[0].End);

  // A reversed range (min 74 above max 60): the setter turns anything into one of the ends,
  // and what the mouse asks for is the maximum, which the setter raises to the minimum.
  EXPECT_EQ(TrackLimit(70, 74, 60), 74);
  EXPECT_EQ(TrackLimit(74, 74, 60), 60);
  EXPECT_EQ(TrackValueToPixel(l, 60, 74, 60), 230);
  EXPECT_EQ(TrackValueToPixel(l, 74, 74, 60), 10);
  EXPECT_EQ(TrackPositionAt(l, 100, 74, 60, false, 10), 60);
  EXPECT_EQ(TrackLimit(TrackPositionAt(l, 100, 74, 60, false, 10), 74, 60), 74);
  EXPECT_TRUE(TrackTicks(l, 74, 60, 10).empty());

  // A bar too small for its thumb: no division by zero travel, and only its end ticks.
  TrackLayout tiny = l;
  tiny.ClientWidth = 29;
  EXPECT_EQ(TrackTravel(tiny), 0);
  EXPECT_EQ(TrackPositionAt(tiny, 10, 0, 100, false, 10), 0);
  EXPECT_EQ(TrackValueToPixel(tiny, 100, 0, 100), 10);
  tiny.ClientWidth = 5;
  EXPECT_EQ(TrackTicks(tiny, INT32_MIN, INT32_MAX, 1).size(), 2u);
}

TEST(TrackBarGeometry, TicksStayFewOverAnyRange) {
  TrackLayout l = WizardBar();
  // The full 32-bit range by 1: ticks at least 4 pixels apart, ends exact.
  std::vector<TrackTick> ticks = TrackTicks(l, INT32_MIN, INT32_MAX, 1);
  ASSERT_GE(ticks.size(), 2u);
  EXPECT_LE(ticks.size(), 56u);
  EXPECT_EQ(ticks.front().At, 14);
  EXPECT_EQ(ticks.back().At, 234);
  for (size_t i = 1; i + 1 < ticks.size(); ++i) EXPECT_GE(ticks[i].At - ticks[i - 1].At, 3) << i;
  // ... and the thumb reaches both ends of it, and its middle.
  EXPECT_EQ(TrackPositionAt(l, 230, INT32_MIN, INT32_MAX, false, 1), INT32_MAX);
  EXPECT_EQ(TrackPositionAt(l, 10, INT32_MIN, INT32_MAX, false, 1), INT32_MIN);
  EXPECT_EQ(TrackPositionAt(l, 120, INT32_MIN, INT32_MAX, false, 1), 0);
  EXPECT_EQ(TrackPositionAt(l, 120, INT32_MIN, INT32_MAX, true, 1000), 352);  // 2147484 steps from the minimum
  // 0..100 by 1 on 220 pixels: 2.2 pixels a value, so a tick every second value.
  ticks = TrackTicks(l, 0, 100, 1);
  EXPECT_EQ(ticks.size(), 51u);
  EXPECT_TRUE(TrackTicks(l, 0, 100, 0).empty());
}

TEST(LightsGeometry, LightsAreCentredInTheirOrder) {
  // The wizard's light: 33 x 17, the 17 x 7 cell, only green.
  std::vector<LightCell> one = LightsLayout(33, 17, 17, 7, 5, false, false, 1);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].Light, 0);
  EXPECT_EQ(one[0].X, 8);
  EXPECT_EQ(one[0].Y, 5);
  // Round lights on 80 x 45: 49 pixels in all, the first at 15, 16.
  std::vector<LightCell> all = LightsLayout(80, 45, 13, 13, 5, false, false, 7);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].X, 15);
  EXPECT_EQ(all[0].Y, 16);
  EXPECT_EQ(all[1].X, 33);
  EXPECT_EQ(all[2].X, 51);
  std::vector<LightCell> reversed = LightsLayout(80, 45, 13, 13, 5, false, true, 7);
  EXPECT_EQ(reversed[0].Light, 2);
  EXPECT_EQ(reversed[0].X, 15);
  std::vector<LightCell> column = LightsLayout(80, 45, 13, 13, 5, true, false, 5);
  ASSERT_EQ(column.size(), 2u);
  EXPECT_EQ(column[0].X, 33);
  EXPECT_EQ(column[0].Y, 7);  // (45 - 31) / 2
  EXPECT_EQ(column[1].Light, 2);
  EXPECT_EQ(column[1].Y, 25);
  EXPECT_TRUE(LightsLayout(80, 45, 13, 13, 5, false, false, 0).empty());
  // A spacing far beyond the control neither overflows nor loses the first light.
  std::vector<LightCell> far = LightsLayout(80, 45, 13, 13, INT_MAX, false, false, 7);
  EXPECT_EQ(far.size(), 3u);
  EXPECT_EQ(far[2].X, INT_MAX);
}

TEST(LedGeometry, GradientRowsStopShortOfTheEndColour) {
  // Lime toward green over the main window's four rows.
  EXPECT_EQ(GradientExColor(0x00FF00, 0x008000, 0, 4), 0x00FF00u);
  EXPECT_EQ(GradientExColor(0x00FF00, 0x008000, 1, 4), 0x00E000u);
  EXPECT_EQ(GradientExColor(0x00FF00, 0x008000, 2, 4), 0x00C000u);
  EXPECT_EQ(GradientExColor(0x00FF00, 0x008000, 3, 4), 0x00A000u);
  EXPECT_EQ(GradientExColor(0x000000, 0xFF8040, 1, 2), 0x7F4020u);
  EXPECT_EQ(GradientExColor(0x123456, 0, 0, 0), 0x123456u);
}

TEST(ShadowButtonGeometry, FaceSinksIntoItsShadowWhenPressed) {
  ShadowRects up = ShadowButtonRects(90, 23, 1, 4, 2, ShadowDirection::BottomRight, false);
  EXPECT_EQ(up.Face, (IntRect{1, 1, 85, 18}));
  EXPECT_EQ(up.Shadow, (IntRect{5, 5, 89, 22}));
  EXPECT_EQ(up.Text, (IntRect{2, 2, 84, 17}));
  EXPECT_EQ(RoundCorner(up.Face), 4);
  ShadowRects down = ShadowButtonRects(90, 23, 1, 4, 2, ShadowDirection::BottomRight, true);
  EXPECT_EQ(down.Face, (IntRect{3, 3, 87, 20}));
  EXPECT_EQ(down.Shadow, (IntRect{3, 3, 87, 20}));
  EXPECT_EQ(down.Text, (IntRect{4, 4, 86, 19}));
  ShadowRects tl = ShadowButtonRects(90, 23, 1, 4, 2, ShadowDirection::TopLeft, false);
  EXPECT_EQ(tl.Face, (IntRect{5, 5, 89, 22}));
  EXPECT_EQ(tl.Shadow, (IntRect{1, 1, 85, 18}));
  ShadowRects tr = ShadowButtonRects(90, 23, 1, 4, 2, ShadowDirection::TopRight, true);
  EXPECT_EQ(tr.Face, (IntRect{3, 3, 87, 20}));
  EXPECT_EQ(tr.Shadow, (IntRect{3, 3, 87, 20}));
  ShadowRects bl = ShadowButtonRects(90, 23, 0, 4, 2, ShadowDirection::BottomLeft, false);
  EXPECT_EQ(bl.Face, (IntRect{4, 0, 90, 19}));
  EXPECT_EQ(bl.Shadow, (IntRect{0, 4, 86, 23}));
}

TEST(LabelGeometry, OriginFollowsAngleAlignmentAndLayout) {
  IntPoint p = LabelOrigin(0, 50, 13, 100, 25, HAlign::Left, VLayout::Top);
  EXPECT_EQ(p.X, 2);
  EXPECT_EQ(p.Y, 2);
  p = LabelOrigin(0, 50, 13, 100, 25, HAlign::Center, VLayout::Center);
  EXPECT_EQ(p.X, 25);
  EXPECT_EQ(p.Y, 6);
  p = LabelOrigin(0, 50, 13, 100, 25, HAlign::Right, VLayout::Bottom);
  EXPECT_EQ(p.X, 48);
  EXPECT_EQ(p.Y, 10);
  // The main window's "CPU usage" going up the 17 x 71 strip: the origin at the lower end of
  // the column, 2 pixels from the left.
  p = LabelOrigin(90, 58, 13, 17, 71, HAlign::Center, VLayout::Center);
  EXPECT_EQ(p.X, 2);
  EXPECT_EQ(p.Y, 64);
  // Upside down, left and top: the caption hangs to the left of and above its origin.
  p = LabelOrigin(180, 50, 13, 100, 25, HAlign::Left, VLayout::Top);
  EXPECT_EQ(p.X, 52);
  EXPECT_EQ(p.Y, 15);
  p = LabelOrigin(270, 50, 13, 100, 80, HAlign::Left, VLayout::Top);
  EXPECT_EQ(p.X, 15);
  EXPECT_EQ(p.Y, 2);
  IntPoint s = LabelPreferredSize(90, 58, 13);
  EXPECT_EQ(s.X, 17);
  EXPECT_EQ(s.Y, 62);
  s = LabelPreferredSize(0, 58, 13);
  EXPECT_EQ(s.X, 62);
  EXPECT_EQ(s.Y, 17);
}

TEST(ScaleGeometry, LabelsStepFromTheMinimumInTheirCells) {
  // The main window's scale: 24 x 71, vertical, two intervals.
  std::vector<ScaleLabel> v = ScaleLabels(0, 100, 2, 24, 71, true, false, 3, true, 80);
  ASSERT_EQ(v.size(), 3u);
  EXPECT_EQ(v[0].Text, "0");
  EXPECT_EQ(v[0].Cell, (IntRect{0, 48, 24, 71}));
  EXPECT_FALSE(v[0].Peak);
  EXPECT_EQ(v[1].Text, "+50");
  EXPECT_EQ(v[1].Cell, (IntRect{0, 25, 24, 48}));
  EXPECT_EQ(v[2].Text, "+100");
  EXPECT_EQ(v[2].Cell, (IntRect{0, 2, 24, 25}));
  EXPECT_TRUE(v[2].Peak);
  EXPECT_EQ(v[2].Centre, 13);

  auto texts = [](const std::vector<ScaleLabel>& l) {
    std::vector<std::string> t;
    for (const ScaleLabel& x : l) t.push_back(x.Text);
    return t;
  };
  EXPECT_EQ(texts(ScaleLabels(-50, 50, 2, 215, 11, false, false, 3, true, 80)),
            (std::vector<std::string>{"-50", "0", "+50"}));
  EXPECT_EQ(texts(ScaleLabels(0, 100, 2, 215, 11, false, true, 3, true, 80)),
            (std::vector<std::string>{"000", "+050", "+100"}));
  EXPECT_EQ(texts(ScaleLabels(0, 100, 3, 215, 11, false, false, 3, false, 80)),
            (std::vector<std::string>{"0", "33", "66", "99"}));
  std::vector<ScaleLabel> h = ScaleLabels(0, 100, 3, 215, 11, false, false, 3, false, 80);
  EXPECT_EQ(h[1].Cell, (IntRect{53, 0, 106, 11}));
  EXPECT_EQ(ScaleText(-5, true, 3, true), "-005");
  // No intervals, or more labels than pixels: only the background.
  EXPECT_TRUE(ScaleLabels(0, 100, 0, 24, 71, true, false, 3, true, 80).empty());
  EXPECT_TRUE(ScaleLabels(0, 100, -3, 24, 71, true, false, 3, true, 80).empty());
  EXPECT_TRUE(ScaleLabels(0, 100, INT32_MAX, 24, 71, true, false, 3, true, 80).empty());
  // The widest range has a step that fits.
  EXPECT_EQ(texts(ScaleLabels(INT32_MIN, INT32_MAX, 1, 215, 11, false, false, 3, true, 0)),
            (std::vector<std::string>{"-2147483648", "+2147483647"}));
}
