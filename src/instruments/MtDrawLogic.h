// Geometry of the small instruments: where the lights sit, the LED's gradient, the shadow
// button's face and shadow, the rotated label's text origin and the scale's labels. No Windows
// here, so all of it is tested natively.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace mt {

// Stores a differing value; false when it was already so (a setter then does nothing more).
template <class T>
bool ChangeValue(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  return true;
}

struct IntRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const IntRect&) const = default;
};

// ---- Lights ----
struct LightCell {
  int Light;  // 0 green, 1 yellow, 2 red
  int X, Y;
};
// The visible lights (bits 0..2 of `visible`) in drawing order, centred as a row or a column.
std::vector<LightCell> LightsLayout(int clientWidth, int clientHeight, int cellWidth, int cellHeight, int spacing,
                                    bool vertical, bool redToGreen, unsigned visible);

// ---- LED ----
// Row r of h of a top-to-bottom gradient from a to b (0x00BBGGRR): a + r * (b - a) div h per
// component, so the last row stays short of b.
uint32_t GradientExColor(uint32_t a, uint32_t b, int r, int h);

// ---- Shadow button ----
enum class ShadowDirection { TopLeft, TopRight, BottomLeft, BottomRight };
struct ShadowRects {
  IntRect Face, Shadow, Text;  // Text: the face inside its outline, also where a press counts
};
ShadowRects ShadowButtonRects(int width, int height, int penWidth, int depth, int depthAdjust, ShadowDirection d,
                              bool pressed);
// Corner ellipse of a rounded shape: a quarter of its smaller side.
int RoundCorner(const IntRect& r);

// ---- Rotated label ----
enum class HAlign { Left, Right, Center };
enum class VLayout { Top, Center, Bottom };
struct IntPoint {
  int X = 0, Y = 0;
};
// The origin of a caption w x h pixels drawn at `angle` degrees (0..359) in the client area.
IntPoint LabelOrigin(int angle, int w, int h, int clientWidth, int clientHeight, HAlign align, VLayout layout);
// The size AutoSize asks for: the rotated caption's bounding box and 4 pixels.
IntPoint LabelPreferredSize(int angle, int w, int h);

// ---- Scale ----
struct ScaleLabel {
  std::string Text;
  bool Peak;     // at or above the peak level
  IntRect Cell;  // where the label is centred (or aligned)
  int Centre;    // the cell's centre line, where its tick goes
};
// Ticks + 1 labels from min upward by (max - min) div ticks; none when ticks < 1 or the cells
// would be less than a pixel.
std::vector<ScaleLabel> ScaleLabels(int32_t min, int32_t max, int32_t ticks, int clientWidth, int clientHeight,
                                    bool vertical, bool leadingZero, int digits, bool showSign, int32_t peakLevel);
// A label's text: zero-padded to `digits` when leadingZero, "+" before positive values.
std::string ScaleText(int64_t v, bool leadingZero, int digits, bool showSign);

}  // namespace mt
