// The segmented meter's geometry and colours, apart from any drawing so that they can be tested
// anywhere.
#pragma once
#include <cstdint>
#include <vector>

namespace ledmeter {

enum Direction { mdDown, mdLeft, mdRight, mdUp };

// A colour 0x00BBGGRR with its lightness scaled by factor (0..1), through hue, lightness and
// saturation; each component rounded.
uint32_t DimColor(uint32_t rgb, double factor);

struct Settings {
  int Width = 143, Height = 16;
  bool Bevel = true;
  Direction Dir = mdRight;
  int NumDigits = 20;
  int Min = 0, Max = 100, Position = 0;
  int StartColor2 = 75, StartColor3 = 90;
  bool SingleLED = false;
};

struct Segment {
  int Left, Top, Right, Bottom;  // the rectangle as GDI draws it: outline on the edge pixels
  int Zone;                      // 1, 2 or 3
  bool Lit;
};

// rnd(digits * value / (max - min)), 0 when the range or the value is not positive.
int SegmentIndex(int digits, int value, int min, int max);

// The segments in painting order; none when they would have no size (more segments than pixels,
// or no segments at all).
std::vector<Segment> Layout(const Settings& s);

}  // namespace ledmeter
