// The segmented meter: its setters' rules and its exact pixels.
#include <gtest/gtest.h>
#include "framework/Bitmaps.h"
#include "sysinfo/LedMeter.h"

namespace {

uint32_t Sys(int index) {
  switch (index) {
    case COLOR_BTNSHADOW: return 0x808080;
    case COLOR_BTNHIGHLIGHT: return 0xFFFFFF;
    default: return 0xC0C0C0;
  }
}

struct Painted {
  TBitmap bmp;
  explicit Painted(TLEDMeter& m) {
    bmp.SetSize(m.Width(), m.Height());
    m.PaintOn(bmp.Canvas().Handle());
  }
  uint32_t operator()(int x, int y) const { return bmp.PixelRGB(x, y); }
};

class LedMeter : public ::testing::Test {
 protected:
  void SetUp() override { old = SetSystemColorSource(Sys); }
  void TearDown() override { SetSystemColorSource(old); }
  SystemColorSource old = nullptr;
};

}  // namespace

TEST_F(LedMeter, SettersClampAndFireChangeOncePerChange) {
  TLEDMeter m(nullptr);
  EXPECT_EQ(m.Width(), 143);
  EXPECT_EQ(m.Height(), 16);
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  m.SetPosition(150);
  EXPECT_EQ(m.Position(), 100);
  m.SetPosition(120);  // also clamped to 100: no change
  EXPECT_EQ(changes, 1);
  m.SetPosition(-4);
  EXPECT_EQ(m.Position(), 0);
  EXPECT_EQ(changes, 2);

  m.SetNumDigits(0);  // would divide by zero: ignored
  m.SetNumDigits(-3);
  EXPECT_EQ(m.NumDigits(), 20);
  m.SetLEDContrast(10);
  EXPECT_EQ(m.LEDContrast(), 6);

  m.SetStartColor2(95);  // at most the third zone's start
  EXPECT_EQ(m.StartColor2(), 90);
  m.SetStartColor3(50);  // at least the second's
  EXPECT_EQ(m.StartColor3(), 90);
  m.SetStartColor2(-10);
  EXPECT_EQ(m.StartColor2(), 0);
  m.SetMax(60);  // lowers the third zone's start
  EXPECT_EQ(m.StartColor3(), 60);
  m.SetMin(20);  // raises the second's
  EXPECT_EQ(m.StartColor2(), 20);
  m.SetBevelStyle(bvSpace);
  EXPECT_EQ(m.BevelStyle(), bvLowered);
}

TEST_F(LedMeter, DimColoursFollowContrastAndZoneColours) {
  TLEDMeter m(nullptr);
  EXPECT_EQ(m.DimColor(1), 0x009900);  // defaults dimmed by 0.6
  EXPECT_EQ(m.DimColor(2), 0x009999);
  EXPECT_EQ(m.DimColor(3), 0x000099);
  m.SetColorLED1(clRed);  // recomputed with contrast 6: factor 0.4
  EXPECT_EQ(m.DimColor(1), 0x000066);
  EXPECT_EQ(m.DimColor(2), 0x009999);
  m.SetLEDContrast(0);
  EXPECT_EQ(m.DimColor(1), clRed);
  EXPECT_EQ(m.DimColor(3), clRed);
}

TEST_F(LedMeter, PaintsSegmentsOutlinesZonesAndLoweredFrame) {
  TLEDMeter m(nullptr);
  m.SetPosition(50);  // 10 of 20 lit; zone 2 from segment 15, zone 3 from 18
  Painted p(m);
  // Frame: shadow top and left, highlight bottom and right.
  EXPECT_EQ(p(0, 0), 0x808080u);
  EXPECT_EQ(p(0, 8), 0x808080u);
  EXPECT_EQ(p(70, 0), 0x808080u);
  EXPECT_EQ(p(142, 8), 0xFFFFFFu);
  EXPECT_EQ(p(70, 15), 0xFFFFFFu);
  // Segment 0 spans x 1..8, y 1..14: black outline, lime inside.
  EXPECT_EQ(p(1, 1), 0u);
  EXPECT_EQ(p(8, 5), 0u);  // the outline shared with segment 1
  EXPECT_EQ(p(4, 14), 0u);
  EXPECT_EQ(p(4, 7), 0x00FF00u);
  EXPECT_EQ(p(1 + 9 * 7 + 3, 7), 0x00FF00u);   // segment 9, lit
  EXPECT_EQ(p(1 + 10 * 7 + 3, 7), 0x009900u);  // segment 10, dim lime
  EXPECT_EQ(p(1 + 15 * 7 + 3, 7), 0x009999u);  // zone 2, dim yellow
  EXPECT_EQ(p(1 + 19 * 7 + 3, 7), 0x000099u);  // zone 3, dim red
  EXPECT_EQ(p(1 + 20 * 7 + 1, 7), 0xFFFFFFu);  // right of the last segment: the bitmap's own

  m.SetPosition(100);
  m.SetBevelStyle(bvRaised);
  Painted q(m);
  EXPECT_EQ(q(0, 0), 0xFFFFFFu);
  EXPECT_EQ(q(142, 8), 0x808080u);
  EXPECT_EQ(q(1 + 16 * 7 + 3, 7), 0x00FFFFu);
  EXPECT_EQ(q(1 + 19 * 7 + 3, 7), 0x0000FFu);
}

TEST_F(LedMeter, VerticalSingleLedAndEmptyRange) {
  TLEDMeter m(nullptr);
  m.SetBounds(0, 0, 16, 143);
  m.SetDirection(mdUp);
  m.SetBevelStyle(bvNone);
  m.SetSingleLED(true);
  m.SetPosition(50);  // only segment 9 lit: height 143 div 20 = 7, from the bottom
  Painted p(m);
  EXPECT_EQ(p(7, 143 - 10 * 7 + 3), 0x00FF00u);
  EXPECT_EQ(p(7, 143 - 9 * 7 + 3), 0x009900u);
  EXPECT_EQ(p(7, 143 - 11 * 7 + 3), 0x009900u);
  EXPECT_EQ(p(0, 140), 0u);  // no frame: the outline starts at the edge

  m.SetSingleLED(false);
  m.SetMax(0);  // Max = Min: everything unlit
  Painted q(m);
  for (int i = 0; i < 20; ++i) EXPECT_NE(q(7, 143 - i * 7 - 4), 0x00FF00u) << i;
}
