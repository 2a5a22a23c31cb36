// Arithmetic of the instruments: percentages, ranges, rounding, gradient colours and the
// geometry of their drawings. No Windows here, so all of it is tested natively.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Trunc(Value * 100 / Total); 0 for a zero Total. Exact, and limited to the 32-bit range. The
// arguments may be differences of 32-bit values, which need more than 32 bits.
int32_t PercentOf(int64_t Value, int64_t Total);
// Trunc(Total * (Percent * 0.01)) in double arithmetic, limited to the 32-bit range.
int32_t ValueOfPercent(int32_t Percent, int32_t Total);
inline int32_t MinIntVal(int32_t A, int32_t B) { return A < B ? A : B; }
inline int32_t MaxIntVal(int32_t A, int32_t B) { return A > B ? A : B; }
// Raises Value to Min if below, else lowers it to Max if above.
inline void AdjustRange(int32_t& Value, int32_t Min, int32_t Max) {
  if (Value < Min)
    Value = Min;
  else if (Value > Max)
    Value = Max;
}
// Nearest integer, halves to the even neighbour; limited to the 32-bit range.
int32_t RoundEven(double v);

// Colours of a gradient from one 0x00BBGGRR colour to another: one entry per band of `step`
// pixels at offsets 0, step, 2*step ... up to and including `extent` (at least 1).
std::vector<uint32_t> GradientBands(uint32_t from, uint32_t to, int extent, int step);

namespace mt {

// ---- Scope chart ----
// Largest magnitude of a chart value (and of its range limits).
constexpr int32_t kScopeValueLimit = 999999999;
// Base line y for a chart height and a base offset in percent of the height.
int ScopeBaseLineY(int height, int baseOffset);
// Row of a value within MinValue..MaxValue (one percent resolution), kept on the chart's rows.
int ScopeValueToY(int32_t value, int32_t minValue, int32_t maxValue, int height);
// The grid's scroll position after one tick, always within 0..gridSize-1.
int ScopeNextGridOffset(int offset, int frequency, int gridSize);
// y of the horizontal grid lines around the base line: upwards until the first above the top,
// downwards until the first below the bottom (those two lie outside the chart).
std::vector<int> ScopeGridRows(int baseY, int gridSize, int height);

// ---- Progress bar ----
struct Block {
  int Left, Top, Right, Bottom;  // destination
  int SrcX, SrcY, SrcW, SrcH;    // the source in the fill bitmap (stretched when it differs)
};
// The blocks of a bar whose interior is (l, t, r, b), `filled` pixels along its length.
std::vector<Block> BarBlocks(int l, int t, int r, int b, int filled, bool smooth, bool vertical);

// ---- Seven-segment number ----
constexpr int kCellBlank = 10, kCellNoMinus = 11, kCellMinus = 12;
// Cells to draw, left to right: the sign cell when `signedCells`, then one per character.
std::vector<int> NumCells(int32_t value, int digits, bool leadingZero, bool zeroBlank, bool signedCells);
// Width taken by `digits` cells (and a sign cell) with `spacing` pixels between them.
int NumContentWidth(int digits, bool signedCells, int cellWidth, int spacing);

// ---- Tray gauge ----
// Frame 0..12 of the gauge for a position within min..max.
int GaugeFrame(int32_t position, int32_t min, int32_t max);

}  // namespace mt
