#include <gtest/gtest.h>
#include "flat/FlatUtils.h"

using namespace flat;

TEST(FlatButtonLayout, MainWindowButtonsPutGlyphAt8AndCaptionAt44) {
  // 89 x 65, a 32 x 32 glyph over a caption 13 high, spacing 4, margin centred.
  ButtonContent c = CalcButtonLayout({89, 65}, {32, 32}, {70, 13}, blGlyphTop, -1, 4, {0, 0});
  EXPECT_EQ(c.Glyph, (Point{29, 8}));
  EXPECT_EQ(c.Caption, (Rect{10, 44, 80, 57}));
  // Pressed: everything moves one pixel right and down.
  ButtonContent d = CalcButtonLayout({89, 65}, {32, 32}, {70, 13}, blGlyphTop, -1, 4, {1, 1});
  EXPECT_EQ(d.Glyph, (Point{30, 9}));
  EXPECT_EQ(d.Caption.Top, 45);
}

TEST(FlatButtonLayout, MarginAndSpacingRules) {
  // Both -1: the free space in three equal parts.
  ButtonContent c = CalcButtonLayout({100, 20}, {16, 16}, {30, 13}, blGlyphLeft, -1, -1, {0, 0});
  EXPECT_EQ(c.Glyph.X, 18);
  EXPECT_EQ(c.Caption.Left, 18 + 16 + 18);
  EXPECT_EQ(c.Glyph.Y, 2);
  EXPECT_EQ(c.Caption.Top, 4);
  // A given margin with spacing -1 spreads the rest.
  c = CalcButtonLayout({100, 20}, {16, 16}, {30, 13}, blGlyphRight, 4, -1, {0, 0});
  EXPECT_EQ(c.Glyph.X, 100 - 4 - 16);
  EXPECT_EQ(c.Caption.Left, 80 - 25 - 30);
  // Without a caption there is no spacing: the glyph alone is centred.
  c = CalcButtonLayout({25, 25}, {16, 16}, {0, 0}, blGlyphBottom, -1, 4, {0, 0});
  EXPECT_EQ(c.Glyph, (Point{5, 4}));
  // Content larger than the button: negative margins truncate toward zero.
  c = CalcButtonLayout({10, 10}, {32, 32}, {0, 0}, blGlyphTop, -1, 4, {0, 0});
  EXPECT_EQ(c.Glyph, (Point{-10, -10}));
}

TEST(FlatButtonGlyphs, CellCountFromTheStripAndCellPerState) {
  EXPECT_EQ(NumGlyphsForGlyph(128, 32, 1), 4);
  EXPECT_EQ(NumGlyphsForGlyph(160, 32, 2), 1);   // five cells: more than four
  EXPECT_EQ(NumGlyphsForGlyph(100, 32, 3), 3);   // not a multiple: unchanged
  EXPECT_EQ(NumGlyphsForGlyph(0, 0, 2), 2);      // empty: unchanged, no division by zero
  EXPECT_EQ(ClampNumGlyphs(0), 1);
  EXPECT_EQ(ClampNumGlyphs(-3), 1);
  EXPECT_EQ(ClampNumGlyphs(9), 4);
  const TFlatButtonState all[] = {fbsUp, fbsDisabled, fbsDown, fbsLatched};
  const int expected[4][4] = {{0, 0, 0, 0}, {0, 1, 0, 0}, {0, 1, 2, 2}, {0, 1, 2, 3}};
  for (int n = 1; n <= 4; ++n)
    for (int s = 0; s < 4; ++s) EXPECT_EQ(GlyphCell(n, all[s]), expected[n - 1][s]) << n << " cells, state " << s;
  EXPECT_EQ(GlyphCell(0, fbsLatched), 0);
}

TEST(FlatCheckBoxGeometry, BoxSitsLeftOrRightAndTheCaptionBesideIt) {
  EXPECT_EQ(CheckBoxRect({121, 17}, checkboxLeft), (Rect{1, 3, 12, 14}));
  EXPECT_EQ(CheckBoxRect({121, 17}, checkboxRight), (Rect{109, 3, 120, 14}));
  EXPECT_EQ(CheckBoxCaptionRect({121, 17}, checkboxLeft), (Rect{16, 1, 120, 16}));
  EXPECT_EQ(CheckBoxCaptionRect({121, 17}, checkboxRight), (Rect{1, 1, 105, 16}));
  // The mark stays inside the box.
  for (const Line& l : CheckMarkLines())
    for (Point p : {l.From, l.To}) {
      EXPECT_GE(p.X, 1);
      EXPECT_LE(p.X, 10);
      EXPECT_GE(p.Y, 1);
      EXPECT_LE(p.Y, 10);
    }
}

TEST(FlatAdvColors, FocusedIsLighterDownAndBorderDarker) {
  auto lum = [](uint32_t c) { return (c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF); };
  const uint32_t base = 0x00C8D0D4;  // a warm grey
  AdvColors a = DeriveAdvColors(base, 10, 10, 50);
  EXPECT_GT(lum(a.Focused), lum(base));
  EXPECT_LT(lum(a.Down), lum(base));
  EXPECT_LT(lum(a.Border), lum(a.Down));
  // Strengths beyond 0..100 are limited; extremes stay colours.
  AdvColors b = DeriveAdvColors(base, 500, -20, 1000);
  EXPECT_EQ(b.Focused, DeriveAdvColors(base, 100, 0, 100).Focused);
  EXPECT_EQ(b.Down, DeriveAdvColors(base, 0, 0, 0).Down);
  EXPECT_EQ(ShiftLuminance(0xFFFFFF, 50), 0xFFFFFFu);
  EXPECT_EQ(ShiftLuminance(0x000000, -50), 0u);
  // No change keeps the colour (within the scale's rounding).
  for (uint32_t c : {0x000000FFu, 0x0000FF00u, 0x00FF0000u, 0x00808080u, 0x0053D2FFu}) {
    uint32_t r = ShiftLuminance(c, 0);
    for (int shift = 0; shift < 24; shift += 8)
      EXPECT_NEAR(static_cast<int>((r >> shift) & 0xFF), static_cast<int>((c >> shift) & 0xFF), 3) << std::hex << c;
  }
}

TEST(FlatHintGeometry, QuadrantsPositionsAndArrow) {
  const Size screen{1024, 768};
  EXPECT_EQ(HintQuadrant({10, 10}, screen), 1);
  EXPECT_EQ(HintQuadrant({1000, 10}, screen), 0);
  EXPECT_EQ(HintQuadrant({10, 700}, screen), 3);
  EXPECT_EQ(HintQuadrant({1000, 700}, screen), 2);
  EXPECT_EQ(HintQuadrant({512, 384}, screen), 2);  // the centre belongs to the bottom-right
  EXPECT_EQ(HintQuadrant({511, 383}, screen), 1);

  const Size w{150, 32};
  const Point p{600, 500};
  EXPECT_EQ(HintPosition(0, p, w), (Point{600 - 150 - 5, 505}));
  EXPECT_EQ(HintPosition(1, p, w), (Point{612, 512}));
  EXPECT_EQ(HintPosition(2, p, w), (Point{445, 500 - 32 - 5}));  // above and to the left
  EXPECT_EQ(HintPosition(3, p, w), (Point{605, 463}));

  // The strip is on the pointer's side: right in quadrants 0 and 2, left in 1 and 3.
  EXPECT_EQ(HintArrowStrip(2, w), (Rect{135, 1, 149, 31}));
  EXPECT_EQ(HintTextArea(2, w), (Rect{1, 1, 135, 31}));
  EXPECT_EQ(HintArrowStrip(1, w), (Rect{1, 1, 15, 31}));
  EXPECT_EQ(HintTextArea(3, w), (Rect{15, 1, 149, 31}));

  // The arrow starts at its anchor and reaches toward the corner nearest the pointer.
  auto q0 = HintArrow(0, w);
  EXPECT_EQ(q0[0], (Point{146, 3}));
  EXPECT_EQ(q0[4], (Point{140, 3}));
  auto q3 = HintArrow(3, w);
  EXPECT_EQ(q3[0], (Point{3, 28}));
  EXPECT_EQ(q3[1], (Point{3, 22}));
  for (int q = 0; q < 4; ++q) {
    Rect s = HintArrowStrip(q, w);
    for (Point pt : HintArrow(q, w)) {
      EXPECT_GE(pt.X, s.Left);
      EXPECT_LT(pt.X, s.Right);
      EXPECT_GE(pt.Y, s.Top);
      EXPECT_LT(pt.Y, s.Bottom);
    }
  }
  // The text is measured 22 pixels narrower than the maximum, never narrower than a pixel.
  EXPECT_EQ(HintTextWidth(200), 178);
  EXPECT_EQ(HintTextWidth(10), 1);
  EXPECT_EQ(HintWindowSize({100, 26}).W, 122);
  EXPECT_EQ(HintWindowSize({100, 26}).H, 32);
}
