#include "instruments/MtMath.h"
#include <cmath>
#include <cstdlib>

namespace {
int32_t Limit32(double v) {
  if (!(v >= -2147483648.0)) return INT32_MIN;  // also NaN
  if (v > 2147483647.0) return INT32_MAX;
  return static_cast<int32_t>(v);
}
}  // namespace

int32_t PercentOf(int64_t Value, int64_t Total) {
  if (Total == 0) return 0;
  // Integer division truncates toward zero, as Trunc of the floating-point quotient does: a
  // quotient that is not whole never lies within rounding distance of a whole number here.
  int64_t q = Value * 100 / Total;
  return q < INT32_MIN ? INT32_MIN : q > INT32_MAX ? INT32_MAX : static_cast<int32_t>(q);
}

int32_t ValueOfPercent(int32_t Percent, int32_t Total) {
  double fraction = static_cast<double>(Percent) * 0.01;
  double v = static_cast<double>(Total) * fraction;
  return Limit32(std::trunc(v));
}

int32_t RoundEven(double v) { return Limit32(std::nearbyint(v)); }

std::vector<uint32_t> GradientBands(uint32_t from, uint32_t to, int extent, int step) {
  if (step < 1) step = 1;
  int n = extent > 1 ? extent : 1;
  auto part = [](uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
  double cur[3], delta[3];
  for (int i = 0; i < 3; ++i) {
    cur[i] = part(from, i * 8);
    delta[i] = static_cast<double>(part(to, i * 8) - part(from, i * 8)) * step / n;
  }
  std::vector<uint32_t> bands;
  bands.reserve(n / step + 1);
  for (int k = 0; k <= n; k += step) {
    uint32_t c = 0;
    for (int i = 0; i < 3; ++i) {
      int32_t v = RoundEven(cur[i]);
      c |= static_cast<uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v) << (i * 8);
      cur[i] += delta[i];
    }
    bands.push_back(c);
  }
  return bands;
}

namespace mt {

int ScopeBaseLineY(int height, int baseOffset) {
  double above = static_cast<double>(height) / 100 * baseOffset;
  return height - RoundEven(above) - 1;
}

int ScopeValueToY(int32_t value, int32_t minValue, int32_t maxValue, int height) {
  int32_t p = PercentOf(static_cast<int64_t>(value) - minValue, static_cast<int64_t>(maxValue) - minValue);
  // The bottom of the range maps to y = height, just below the chart: an idle machine would draw
  // nothing. The drawn row stays on the chart; the value itself is kept as it is.
  int y = height - ValueOfPercent(p, height);
  if (y > height - 1) y = height - 1;
  return y < 0 ? 0 : y;
}

int ScopeNextGridOffset(int offset, int frequency, int gridSize) {
  if (gridSize < 1) return 0;
  int64_t next = static_cast<int64_t>(offset) + frequency;
  next %= gridSize;
  if (next < 0) next += gridSize;
  return static_cast<int>(next);
}

std::vector<int> ScopeGridRows(int baseY, int gridSize, int height) {
  std::vector<int> rows;
  if (gridSize < 1) return rows;
  for (int64_t y = static_cast<int64_t>(baseY) - gridSize;; y -= gridSize) {
    rows.push_back(static_cast<int>(y));
    if (y < 0) break;
  }
  for (int64_t y = static_cast<int64_t>(baseY) + gridSize;; y += gridSize) {
    rows.push_back(static_cast<int>(y));
    if (y > height) break;
  }
  return rows;
}

std::vector<Block> BarBlocks(int l, int t, int r, int b, int filled, bool smooth, bool vertical) {
  std::vector<Block> blocks;
  if (filled <= 0) return blocks;
  if (!vertical) {
    int pitch = ((b - t) / 3) * 2;
    // Under 3 pixels of height there is no room for a block (and a pitch of 0 would never end).
    if (!smooth && pitch < 2) return blocks;
    Block k{l + 1, t + 1, l + pitch - 1, b - 1, 0, 0, 0, 0};
    if (smooth) k.Right = l + filled;
    while (k.Left < l + filled) {
      if (k.Right >= r) k.Right = r - 1;
      int w = k.Right - k.Left;
      if (w > 0 && k.Bottom > k.Top) blocks.push_back({k.Left, k.Top, k.Right, k.Bottom, k.Left - l, 0, w, k.Bottom - k.Top});
      if (smooth) break;  // one block from the start to the filled extent
      k.Left += w + 2;
      k.Right += w + 2;
    }
  } else {
    int pitch = ((r - l) / 3) * 2;
    if (!smooth && pitch < 2) return blocks;
    Block k = smooth ? Block{l + 1, b - pitch, r - 1, b, 0, 0, 0, 0} : Block{l + 1, b - pitch + 1, r - 1, b - 1, 0, 0, 0, 0};
    if (smooth) k.Top = b - filled;
    while (b - filled < k.Bottom) {
      if (k.Top <= t) k.Top = t + 1;
      int h = k.Bottom - k.Top;
      if (h > 0 && k.Right > k.Left) blocks.push_back({k.Left, k.Top, k.Right, k.Bottom, 0, k.Top - t - 1, r - l, h});
      if (smooth || h < 0) break;
      k.Top -= h + 2;
      k.Bottom -= h + 2;
    }
  }
  return blocks;
}

std::vector<int> NumCells(int32_t value, int digits, bool leadingZero, bool zeroBlank, bool signedCells) {
  std::vector<int> cells;
  if (signedCells) cells.push_back(value < 0 ? kCellMinus : kCellNoMinus);
  // The magnitude in 64 bits: the smallest 32-bit value has no 32-bit counterpart.
  int64_t magnitude = std::llabs(static_cast<int64_t>(value));
  std::string text = value == 0 && zeroBlank ? std::string() : std::to_string(magnitude);
  if (static_cast<int>(text.size()) < digits) text.insert(0, digits - text.size(), leadingZero ? '0' : ' ');
  for (char c : text) cells.push_back(c == ' ' ? kCellBlank : c - '0');
  return cells;
}

int NumContentWidth(int digits, bool signedCells, int cellWidth, int spacing) {
  int s = signedCells ? 1 : 0;
  return (digits + s) * cellWidth + (digits - 1 + s) * spacing;
}

int GaugeFrame(int32_t position, int32_t min, int32_t max) {
  if (max <= min) return 0;
  // 64 bits: with a wide range the product overflows 32.
  int64_t frame = (static_cast<int64_t>(position) - min) * 12 / (static_cast<int64_t>(max) - min);
  return frame < 0 ? 0 : frame > 12 ? 12 : static_cast<int>(frame);
}

}  // namespace mt
