// Colour and layout routines of the flat controls: where a button puts its glyph and caption,
// which glyph cell a state shows, the check box's box and mark, the colours derived from a base
// colour, and where the hint window opens. No Windows calls: unit-tested natively.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include "framework/Colors.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
const TEnumInfo& ButtonLayoutInfo();

enum TCheckBoxLayout { checkboxLeft, checkboxRight };
const TEnumInfo& CheckBoxLayoutInfo();

// A flat button's look: up, disabled, down (pressed) or latched (Down in a group).
enum TFlatButtonState { fbsUp, fbsDisabled, fbsDown, fbsLatched };

namespace flat {

struct Point {
  int X = 0, Y = 0;
  bool operator==(const Point&) const = default;
};
struct Size {
  int W = 0, H = 0;
};
// Right and bottom exclusive.
struct Rect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const Rect&) const = default;
};

// ---- Button

struct ButtonContent {
  Point Glyph;       // top-left of the glyph cell
  Rect Caption;      // the caption's extent, which it is centred in
};
// Places a glyph cell and a caption of the given sizes in a client area (margin -1 centres the
// content; spacing -1 spreads it evenly), then moves both by offset.
ButtonContent CalcButtonLayout(Size client, Size glyph, Size caption, TButtonLayout layout, int margin, int spacing,
                               Point offset);

// NumGlyphs is 1..4 whatever is asked (a cell count of 0 would divide by zero).
int ClampNumGlyphs(int n);
// The cell count after assigning a glyph of that size: width / height when the width is a
// multiple of the height (1 when that exceeds 4), else the present count.
int NumGlyphsForGlyph(int width, int height, int current);
// The glyph cell that a state shows with that many cells.
int GlyphCell(int numGlyphs, TFlatButtonState state);

// ---- Check box

// The 11 x 11 box in a client area of that size, on the left or the right.
Rect CheckBoxRect(Size client, TCheckBoxLayout layout);
// The caption's area beside the box.
Rect CheckBoxCaptionRect(Size client, TCheckBoxLayout layout);
// The check mark: six one-pixel lines relative to the box's top-left corner, end points excluded.
struct Line {
  Point From, To;
};
const std::array<Line, 6>& CheckMarkLines();

// ---- Derived colours (UseAdvColors)

// Lightens (delta > 0) or darkens an RGB colour (0x00BBGGRR) by delta steps of luminance on a
// 240-step hue-saturation-luminance scale.
uint32_t ShiftLuminance(uint32_t rgb, int delta);
struct AdvColors {
  uint32_t Focused, Down, Border;
};
// The three colours derived from a base colour and strengths of 0..100 (out-of-range strengths
// are limited to it).
AdvColors DeriveAdvColors(uint32_t baseRgb, int focused, int down, int border);

// ---- Hint window

// The screen quarter holding the pointer: top-left 1, top-right 0, bottom-left 3, bottom-right 2.
int HintQuadrant(Point pointer, Size screen);
// The window's top-left corner for a window of that size opening away from the pointer.
Point HintPosition(int quadrant, Point pointer, Size window);
// The window's size for a measured text.
inline Size HintWindowSize(Size text) { return Size{text.W + 22, text.H + 6}; }
// The width the text is measured in.
inline int HintTextWidth(int maxHintWidth) { return maxHintWidth - 22 > 1 ? maxHintWidth - 22 : 1; }
// The arrow strip and the text area of a hint window of that client size.
Rect HintArrowStrip(int quadrant, Size client);
Rect HintTextArea(int quadrant, Size client);
// The arrow: 18 points pointing at the corner nearest the pointer.
std::array<Point, 18> HintArrow(int quadrant, Size client);

}  // namespace flat
