#include "sysinfo/LedMeterLogic.h"
#include <algorithm>
#include <cmath>

namespace ledmeter {

namespace {

double HueToRGB(double m1, double m2, double h) {
  if (h < 0) h += 1;
  if (h > 1) h -= 1;
  if (6 * h < 1) return m1 + (m2 - m1) * h * 6;
  if (2 * h < 1) return m2;
  if (3 * h < 2) return m1 + (m2 - m1) * (2.0 / 3 - h) * 6;
  return m1;
}

int To255(double v) {
  long r = std::lround(v * 255);
  return static_cast<int>(std::clamp(r, 0L, 255L));
}

}  // namespace

uint32_t DimColor(uint32_t rgb, double factor) {
  double r = (rgb & 0xFF) / 255.0, g = ((rgb >> 8) & 0xFF) / 255.0, b = ((rgb >> 16) & 0xFF) / 255.0;
  double mx = std::max({r, g, b}), mn = std::min({r, g, b});
  double l = (mx + mn) / 2, h = 0, s = 0;
  if (mx != mn) {
    double d = mx - mn;
    s = l <= 0.5 ? d / (mx + mn) : d / (2 - mx - mn);
    if (mx == r) h = (g - b) / d;
    else if (mx == g) h = 2 + (b - r) / d;
    else h = 4 + (r - g) / d;
    h /= 6;
    if (h < 0) h += 1;
  }
  l *= factor;
  double nr, ng, nb;
  if (s == 0) {
    nr = ng = nb = l;
  } else {
    double m2 = l <= 0.5 ? l * (1 + s) : l + s - l * s;
    double m1 = 2 * l - m2;
    nr = HueToRGB(m1, m2, h + 1.0 / 3);
    ng = HueToRGB(m1, m2, h);
    nb = HueToRGB(m1, m2, h - 1.0 / 3);
  }
  return static_cast<uint32_t>(To255(nr) | (To255(ng) << 8) | (To255(nb) << 16));
}

int SegmentIndex(int digits, int value, int min, int max) {
  double range = static_cast<double>(max) - static_cast<double>(min);
  if (range <= 0 || value <= 0) return 0;
  // Halves go to the even neighbour; the values are measured from 0, not from the minimum.
  double v = std::nearbyint(static_cast<double>(digits) * value / range);
  return v > 2147483647.0 ? 2147483647 : static_cast<int>(v);
}

std::vector<Segment> Layout(const Settings& s) {
  std::vector<Segment> out;
  if (s.NumDigits < 1) return out;
  int b = s.Bevel ? 1 : 0;
  bool across = s.Dir == mdRight || s.Dir == mdLeft;
  int w = across ? (s.Width - 2 * b) / s.NumDigits : s.Width - 2 * b - 1;
  int h = across ? s.Height - 2 * b : (s.Height - 2 * b) / s.NumDigits;
  // Segments without size would only pile up on one another (and a huge count would never end).
  if (w <= 0 || h <= 0) return out;
  int lit = SegmentIndex(s.NumDigits, s.Position, s.Min, s.Max);
  int zone2 = SegmentIndex(s.NumDigits, s.StartColor2, s.Min, s.Max);
  int zone3 = SegmentIndex(s.NumDigits, s.StartColor3, s.Min, s.Max);
  out.reserve(static_cast<size_t>(s.NumDigits));
  for (int i = 0; i < s.NumDigits; ++i) {
    Segment g{};
    g.Zone = i < zone2 ? 1 : i < zone3 ? 2 : 3;
    g.Lit = s.SingleLED ? i == lit - 1 : i < lit;
    int x = 0, y = 0;
    switch (s.Dir) {
      case mdRight: x = b + i * w; y = b; break;
      case mdLeft: x = s.Width - b - (i + 1) * w - 1; y = b; break;
      case mdUp: x = b; y = s.Height - b - (i + 1) * h; break;
      case mdDown: x = b; y = b + i * h; break;
    }
    g.Left = x;
    g.Top = y;
    g.Right = x + w + 1;
    g.Bottom = y + h;
    out.push_back(g);
  }
  return out;
}

}  // namespace ledmeter
