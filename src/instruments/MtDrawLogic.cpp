#include "instruments/MtDrawLogic.h"
#include <climits>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace mt {

namespace {
int LimitInt(int64_t v) { return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : static_cast<int>(v); }
int LimitInt(double v) {
  if (!(v >= INT_MIN)) return INT_MIN;  // also NaN
  if (v > INT_MAX) return INT_MAX;
  return static_cast<int>(v);
}
int Trunc(double v) { return LimitInt(std::trunc(v)); }
}  // namespace

std::vector<LightCell> LightsLayout(int clientWidth, int clientHeight, int cellWidth, int cellHeight, int spacing,
                                    bool vertical, bool redToGreen, unsigned visible) {
  std::vector<LightCell> cells;
  int n = 0;
  for (int i = 0; i < 3; ++i)
    if (visible & (1u << i)) ++n;
  if (n == 0) return cells;
  int64_t cell = vertical ? cellHeight : cellWidth;
  int64_t total = n * cell + (n - 1) * static_cast<int64_t>(spacing);
  int64_t x, y;
  if (vertical) {
    y = (clientHeight - total) / 2;
    x = (static_cast<int64_t>(clientWidth) - cellWidth) / 2;
  } else {
    x = (clientWidth - total) / 2;
    y = (static_cast<int64_t>(clientHeight) - cellHeight) / 2;
  }
  for (int k = 0; k < 3; ++k) {
    int light = redToGreen ? 2 - k : k;
    if (!(visible & (1u << light))) continue;
    cells.push_back({light, LimitInt(x), LimitInt(y)});
    (vertical ? y : x) += cell + spacing;
  }
  return cells;
}

uint32_t GradientExColor(uint32_t a, uint32_t b, int r, int h) {
  if (h <= 0) return a;
  uint32_t c = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    int from = static_cast<int>((a >> shift) & 0xFF), to = static_cast<int>((b >> shift) & 0xFF);
    int64_t v = from + static_cast<int64_t>(r) * (to - from) / h;
    c |= static_cast<uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v) << shift;
  }
  return c;
}

ShadowRects ShadowButtonRects(int width, int height, int penWidth, int depth, int depthAdjust, ShadowDirection d,
                              bool pressed) {
  int dx = d == ShadowDirection::TopLeft || d == ShadowDirection::BottomLeft ? -1 : 1;
  int dy = d == ShadowDirection::TopLeft || d == ShadowDirection::TopRight ? -1 : 1;
  IntRect f{penWidth, penWidth, width - penWidth, height - penWidth};
  // The face gives up Depth pixels on the side its shadow falls to.
  (dx < 0 ? f.Left : f.Right) -= dx * depth;
  (dy < 0 ? f.Top : f.Bottom) -= dy * depth;
  auto moved = [](IntRect r, int x, int y) { return IntRect{r.Left + x, r.Top + y, r.Right + x, r.Bottom + y}; };
  IntRect s = moved(f, dx * depth, dy * depth);
  if (pressed) {
    s = moved(s, -dx * depthAdjust, -dy * depthAdjust);
    f = moved(f, dx * depthAdjust, dy * depthAdjust);
  }
  IntRect t{f.Left + penWidth, f.Top + penWidth, f.Right - penWidth, f.Bottom - penWidth};
  return {f, s, t};
}

int RoundCorner(const IntRect& r) {
  int w = r.Right - r.Left, h = r.Bottom - r.Top;
  return (w < h ? w : h) / 4;
}

IntPoint LabelOrigin(int angle, int w, int h, int clientWidth, int clientHeight, HAlign align, VLayout layout) {
  double theta = angle * std::numbers::pi / 180;
  double c = std::cos(theta), s = std::sin(theta), ac = std::fabs(c), as = std::fabs(s);
  // What the rotated caption sticks out to the left of and above its origin.
  int xExtra = (angle > 90 && angle < 270 ? Trunc(ac * w) : 0) + (angle > 180 ? Trunc(as * h) : 0);
  int yExtra = (angle < 180 ? Trunc(as * w) : 0) + (angle > 90 && angle < 270 ? Trunc(ac * h) : 0);
  int xl = 2 + xExtra;
  IntPoint p;
  switch (align) {
    case HAlign::Left: p.X = xl; break;
    case HAlign::Right: p.X = clientWidth - (Trunc(ac * w + as * h) + 2) + xExtra; break;
    case HAlign::Center: p.X = Trunc(clientWidth * 0.5 - c * w * 0.5 - s * h * 0.5); break;
  }
  if (p.X < xl) p.X = xl;
  switch (layout) {
    case VLayout::Top: p.Y = 2 + yExtra; break;
    case VLayout::Center: p.Y = Trunc(clientHeight * 0.5 - c * h * 0.5 + s * w * 0.5); break;
    case VLayout::Bottom: p.Y = clientHeight - (Trunc(ac * h + as * w) + 2) + yExtra; break;
  }
  return p;
}

IntPoint LabelPreferredSize(int angle, int w, int h) {
  double theta = angle * std::numbers::pi / 180;
  double ac = std::fabs(std::cos(theta)), as = std::fabs(std::sin(theta));
  return {Trunc(ac * w + as * h) + 4, Trunc(as * w + ac * h) + 4};
}

std::string ScaleText(int64_t v, bool leadingZero, int digits, bool showSign) {
  std::string magnitude = std::to_string(v < 0 ? -v : v);
  if (leadingZero && digits > static_cast<int>(magnitude.size())) magnitude.insert(0, digits - magnitude.size(), '0');
  if (v < 0) return "-" + magnitude;
  return showSign && v > 0 ? "+" + magnitude : magnitude;
}

std::vector<ScaleLabel> ScaleLabels(int32_t min, int32_t max, int32_t ticks, int clientWidth, int clientHeight,
                                    bool vertical, bool leadingZero, int digits, bool showSign, int32_t peakLevel) {
  std::vector<ScaleLabel> labels;
  if (ticks < 1) return labels;
  int64_t step = (static_cast<int64_t>(max) - min) / ticks;
  int64_t extent = vertical ? clientHeight : clientWidth;
  int64_t cell = extent / (static_cast<int64_t>(ticks) + 1);
  // More labels than pixels would pile up unreadably (and take as long as there are labels).
  if (cell < 1) return labels;
  int64_t v = min;
  for (int64_t i = 0; i <= ticks; ++i, v += step) {
    ScaleLabel l;
    l.Text = ScaleText(v, leadingZero, digits, showSign);
    l.Peak = v >= peakLevel;
    if (vertical) {
      int bottom = LimitInt(clientHeight - i * cell);
      l.Cell = {0, LimitInt(static_cast<int64_t>(bottom) - cell), clientWidth, bottom};
      l.Centre = LimitInt(static_cast<int64_t>(l.Cell.Top) + cell / 2);
    } else {
      int left = LimitInt(i * cell);
      l.Cell = {left, 0, LimitInt(left + cell), clientHeight};
      l.Centre = LimitInt(left + cell / 2);
    }
    labels.push_back(std::move(l));
  }
  return labels;
}

}  // namespace mt
