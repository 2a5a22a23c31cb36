#include "flat/FlatUtils.h"
#include <algorithm>

const TEnumInfo& ButtonLayoutInfo() {
  static const TEnumInfo e{"TButtonLayout", {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"}};
  return e;
}

const TEnumInfo& CheckBoxLayoutInfo() {
  static const TEnumInfo e{"TCheckBoxLayout", {"checkboxLeft", "checkboxRight"}};
  return e;
}

namespace flat {

ButtonContent CalcButtonLayout(Size client, Size glyph, Size caption, TButtonLayout layout, int margin, int spacing,
                               Point offset) {
  ButtonContent c;
  bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
  // Across the layout axis both are centred.
  if (horizontal) {
    c.Glyph.Y = (client.H - glyph.H + 1) / 2;
    c.Caption.Top = (client.H - caption.H + 1) / 2;
  } else {
    c.Glyph.X = (client.W - glyph.W + 1) / 2;
    c.Caption.Left = (client.W - caption.W + 1) / 2;
  }
  if (caption.W == 0 || glyph.W == 0) spacing = 0;
  int extent = horizontal ? client.W : client.H;
  int g = horizontal ? glyph.W : glyph.H;
  int t = horizontal ? caption.W : caption.H;
  if (margin == -1) {
    if (spacing == -1) {
      margin = (extent - (g + t)) / 3;
      spacing = margin;
    } else {
      margin = (extent - (g + spacing + t) + 1) / 2;
    }
  } else if (spacing == -1) {
    spacing = (extent - margin - g - t) / 2;
  }
  switch (layout) {
    case blGlyphLeft:
      c.Glyph.X = margin;
      c.Caption.Left = c.Glyph.X + glyph.W + spacing;
      break;
    case blGlyphRight:
      c.Glyph.X = client.W - margin - glyph.W;
      c.Caption.Left = c.Glyph.X - spacing - caption.W;
      break;
    case blGlyphTop:
      c.Glyph.Y = margin;
      c.Caption.Top = c.Glyph.Y + glyph.H + spacing;
      break;
    case blGlyphBottom:
      c.Glyph.Y = client.H - margin - glyph.H;
      c.Caption.Top = c.Glyph.Y - spacing - caption.H;
      break;
  }
  c.Glyph.X += offset.X;
  c.Glyph.Y += offset.Y;
  c.Caption.Left += offset.X;
  c.Caption.Top += offset.Y;
  c.Caption.Right = c.Caption.Left + caption.W;
  c.Caption.Bottom = c.Caption.Top + caption.H;
  return c;
}

int ClampNumGlyphs(int n) { return std::clamp(n, 1, 4); }

int NumGlyphsForGlyph(int width, int height, int current) {
  if (width <= 0 || height <= 0 || width % height != 0) return current;
  int n = width / height;
  return n > 4 ? 1 : n;
}

int GlyphCell(int numGlyphs, TFlatButtonState state) {
  switch (ClampNumGlyphs(numGlyphs)) {
    case 2: return state == fbsDisabled ? 1 : 0;
    case 3: return state == fbsUp ? 0 : state == fbsDisabled ? 1 : 2;
    case 4: return state == fbsUp ? 0 : state == fbsDisabled ? 1 : state == fbsDown ? 2 : 3;
    default: return 0;
  }
}

Rect CheckBoxRect(Size client, TCheckBoxLayout layout) {
  if (layout == checkboxRight) return Rect{client.W - 12, 3, client.W - 1, 14};
  return Rect{1, 3, 12, 14};
}

Rect CheckBoxCaptionRect(Size client, TCheckBoxLayout layout) {
  if (layout == checkboxRight) return Rect{1, 1, client.W - 16, client.H - 1};
  return Rect{16, 1, client.W - 1, client.H - 1};
}

const std::array<Line, 6>& CheckMarkLines() {
  static const std::array<Line, 6> lines{{
      {{2, 4}, {6, 8}},
      {{2, 5}, {5, 8}},
      {{2, 6}, {5, 9}},
      {{8, 2}, {4, 6}},
      {{8, 3}, {4, 7}},
      {{8, 4}, {5, 7}},
  }};
  return lines;
}

// ---- Hue, luminance, saturation on the 0..240 scale of the system's colour dialog.

namespace {
constexpr int kHlsMax = 240, kRgbMax = 255;

struct Hls {
  int H, L, S;
};

Hls ToHls(uint32_t rgb) {
  int r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
  int mx = std::max({r, g, b}), mn = std::min({r, g, b});
  Hls o{};
  o.L = ((mx + mn) * kHlsMax + kRgbMax) / (2 * kRgbMax);
  if (mx == mn) {
    o.H = kHlsMax * 2 / 3;  // hue undefined: the system's convention
    return o;
  }
  int d = mx - mn;
  if (o.L <= kHlsMax / 2)
    o.S = (d * kHlsMax + (mx + mn) / 2) / (mx + mn);
  else
    o.S = (d * kHlsMax + (2 * kRgbMax - mx - mn) / 2) / (2 * kRgbMax - mx - mn);
  int rd = ((mx - r) * (kHlsMax / 6) + d / 2) / d;
  int gd = ((mx - g) * (kHlsMax / 6) + d / 2) / d;
  int bd = ((mx - b) * (kHlsMax / 6) + d / 2) / d;
  if (r == mx)
    o.H = bd - gd;
  else if (g == mx)
    o.H = kHlsMax / 3 + rd - bd;
  else
    o.H = 2 * kHlsMax / 3 + gd - rd;
  if (o.H < 0) o.H += kHlsMax;
  if (o.H > kHlsMax) o.H -= kHlsMax;
  return o;
}

int HueToRgb(int n1, int n2, int hue) {
  if (hue < 0) hue += kHlsMax;
  if (hue > kHlsMax) hue -= kHlsMax;
  if (hue < kHlsMax / 6) return n1 + ((n2 - n1) * hue + kHlsMax / 12) / (kHlsMax / 6);
  if (hue < kHlsMax / 2) return n2;
  if (hue < kHlsMax * 2 / 3) return n1 + ((n2 - n1) * (kHlsMax * 2 / 3 - hue) + kHlsMax / 12) / (kHlsMax / 6);
  return n1;
}

uint32_t FromHls(Hls c) {
  int r, g, b;
  if (c.S == 0) {
    r = g = b = c.L * kRgbMax / kHlsMax;
  } else {
    int m2 = c.L <= kHlsMax / 2 ? (c.L * (kHlsMax + c.S) + kHlsMax / 2) / kHlsMax
                                : c.L + c.S - (c.L * c.S + kHlsMax / 2) / kHlsMax;
    int m1 = 2 * c.L - m2;
    r = (HueToRgb(m1, m2, c.H + kHlsMax / 3) * kRgbMax + kHlsMax / 2) / kHlsMax;
    g = (HueToRgb(m1, m2, c.H) * kRgbMax + kHlsMax / 2) / kHlsMax;
    b = (HueToRgb(m1, m2, c.H - kHlsMax / 3) * kRgbMax + kHlsMax / 2) / kHlsMax;
  }
  r = std::clamp(r, 0, 255);
  g = std::clamp(g, 0, 255);
  b = std::clamp(b, 0, 255);
  return static_cast<uint32_t>(r | (g << 8) | (b << 16));
}
}  // namespace

uint32_t ShiftLuminance(uint32_t rgb, int delta) {
  Hls c = ToHls(rgb & 0xFFFFFF);
  c.L = std::clamp(c.L + delta, 0, kHlsMax);
  return FromHls(c);
}

AdvColors DeriveAdvColors(uint32_t baseRgb, int focused, int down, int border) {
  focused = std::clamp(focused, 0, 100);
  down = std::clamp(down, 0, 100);
  border = std::clamp(border, 0, 100);
  return AdvColors{ShiftLuminance(baseRgb, 10 + focused), ShiftLuminance(baseRgb, -down),
                   ShiftLuminance(baseRgb, -border)};
}

// ---- Hint window

int HintQuadrant(Point p, Size screen) {
  bool right = p.X >= screen.W / 2, bottom = p.Y >= screen.H / 2;
  if (!bottom) return right ? 0 : 1;
  return right ? 2 : 3;
}

Point HintPosition(int q, Point p, Size w) {
  int d = q == 1 ? 12 : 5;
  switch (q) {
    case 0: return Point{p.X - w.W - d, p.Y + d};
    case 2: return Point{p.X - w.W - d, p.Y - w.H - d};
    case 3: return Point{p.X + d, p.Y - w.H - d};
    default: return Point{p.X + d, p.Y + d};
  }
}

Rect HintArrowStrip(int q, Size c) {
  if (q == 1 || q == 3) return Rect{1, 1, 15, c.H - 1};
  return Rect{c.W - 15, 1, c.W - 1, c.H - 1};
}

Rect HintTextArea(int q, Size c) {
  if (q == 1 || q == 3) return Rect{15, 1, c.W - 1, c.H - 1};
  return Rect{1, 1, c.W - 15, c.H - 1};
}

std::array<Point, 18> HintArrow(int q, Size c) {
  static const Point steps[18] = {{0, 0}, {0, 6}, {1, 6}, {1, 0}, {6, 0}, {6, 1}, {2, 1}, {2, 4}, {5, 7},
                                  {6, 7}, {3, 4}, {3, 3}, {6, 6}, {7, 6}, {3, 2}, {4, 2}, {7, 5}, {7, 6}};
  Rect s = HintArrowStrip(q, c);
  Point a;
  switch (q) {
    case 0: a = Point{s.Right - 3, s.Top + 2}; break;
    case 1: a = Point{s.Left + 2, s.Top + 2}; break;
    case 2: a = Point{s.Right - 3, s.Bottom - 3}; break;
    default: a = Point{s.Left + 2, s.Bottom - 3}; break;
  }
  int sx = (q == 0 || q == 2) ? -1 : 1, sy = (q == 0 || q == 1) ? 1 : -1;
  std::array<Point, 18> out;
  for (int i = 0; i < 18; ++i) out[i] = Point{a.X + sx * steps[i].X, a.Y + sy * steps[i].Y};
  return out;
}

}  // namespace flat
