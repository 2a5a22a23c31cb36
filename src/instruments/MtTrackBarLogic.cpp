#include "instruments/MtTrackBarLogic.h"
#include <climits>
#include <cmath>
#include <cstdlib>
#include "instruments/MtMath.h"

namespace mt {

namespace {
int LimitInt(int64_t v) { return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : static_cast<int>(v); }
int64_t Span(int32_t min, int32_t max) { return static_cast<int64_t>(max) - min; }
// Nearest, halves to even, in 64 bits: a value offset spans up to 2^32 - 1.
int64_t Round64(double v) {
  if (!(v > -9e18)) return v != v ? 0 : INT64_MIN / 2;
  if (v > 9e18) return INT64_MAX / 2;
  return static_cast<int64_t>(std::nearbyint(v));
}
int32_t Saturate(int64_t v) { return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v); }
}  // namespace

int TrackStart(const TrackLayout& l) { return l.BorderWidth > 0 ? l.BorderWidth : 0; }

int TrackTravel(const TrackLayout& l) {
  int64_t along = l.Vertical ? l.ClientHeight : l.ClientWidth;
  int64_t thumb = l.Vertical ? l.ThumbHeight : l.ThumbWidth;
  return LimitInt(along - 2 * static_cast<int64_t>(l.BorderWidth) - thumb);
}

int TrackValueToPixel(const TrackLayout& l, int32_t v, int32_t min, int32_t max) {
  int64_t span = Span(min, max);
  // An empty range has nowhere to go: every value stands at the start.
  double fraction = span == 0 ? 0.0 : static_cast<double>(static_cast<int64_t>(v) - min) / static_cast<double>(span);
  int64_t p = static_cast<int64_t>(TrackStart(l)) + RoundEven(TrackTravel(l) * fraction);
  if (l.Vertical && !l.TopRight)  // minimum at the bottom
    p = static_cast<int64_t>(l.ClientHeight) - p - l.ThumbHeight;
  else if (!l.Vertical && l.TopRight)  // minimum at the right
    p = static_cast<int64_t>(l.ClientWidth) - p - l.ThumbWidth;
  return LimitInt(p);
}

int32_t TrackPixelToValue(const TrackLayout& l, int p, int32_t min, int32_t max, bool fixedPoints,
                          int32_t frequency) {
  int64_t q = p;
  if (l.Vertical) q = static_cast<int64_t>(l.ClientHeight) - q - l.ThumbHeight;
  int travel = TrackTravel(l);
  int64_t v = 0;
  if (travel != 0) v = Round64(static_cast<double>(q - TrackStart(l)) * static_cast<double>(Span(min, max)) / travel);
  if (fixedPoints && frequency >= 1) v = Round64(static_cast<double>(v) / frequency) * frequency;
  if (v < 0) v = 0;
  v += min;
  if (v > max) v = max;
  return Saturate(v);
}

int32_t TrackLimit(int64_t v, int32_t min, int32_t max) {
  if (v < min) return min;
  if (v > max) return max;
  return static_cast<int32_t>(v);
}

int32_t TrackPositionAt(const TrackLayout& l, int p, int32_t min, int32_t max, bool fixedPoints,
                        int32_t frequency) {
  int start = TrackStart(l);
  int end = LimitInt(static_cast<int64_t>(start) + TrackTravel(l));
  if (p < start)
    p = start;
  else if (p > end)
    p = end;
  int64_t v = TrackPixelToValue(l, p, min, max, fixedPoints, frequency);
  if (l.TopRight) v = static_cast<int64_t>(max) + min - v;
  return Saturate(v);
}

TrackRect TrackThumbRect(const TrackLayout& l, int32_t position, int32_t min, int32_t max) {
  int along = TrackValueToPixel(l, position, min, max);
  if (l.Vertical) {
    int left = (l.ClientWidth - l.ThumbWidth) / 2;
    return {left, along, left + l.ThumbWidth, along + l.ThumbHeight};
  }
  int top = (l.ClientHeight - l.ThumbHeight) / 2;
  return {along, top, along + l.ThumbWidth, top + l.ThumbHeight};
}

std::vector<TrackTick> TrackTicks(const TrackLayout& l, int32_t min, int32_t max, int32_t frequency) {
  std::vector<TrackTick> ticks;
  if (frequency < 1) return ticks;
  int64_t span = Span(min, max);
  int travel = TrackTravel(l);
  auto count = [&](int64_t g) { return Round64(static_cast<double>(span) / (static_cast<double>(frequency) * g)); };
  // At least 4 pixels between ticks, or a single interval. The tick count only falls as g
  // grows, so the smallest fitting g is found by halving rather than by counting up to it; a
  // bar too short for its thumb gets its two end ticks rather than millions on one spot.
  int64_t most = travel / 4 > 1 ? travel / 4 : 1;
  int64_t g = 1;
  if (count(1) > most) {
    int64_t hi = 2;
    while (count(hi) > most) hi *= 2;
    int64_t lo = hi / 2;  // does not fit
    while (hi - lo > 1) {
      int64_t mid = lo + (hi - lo) / 2;
      (count(mid) > most ? lo : hi) = mid;
    }
    g = hi;
  }
  int64_t n = count(g);
  int64_t step = static_cast<int64_t>(frequency) * g;
  int half = l.Vertical ? l.ThumbHeight / 2 : l.ThumbWidth / 2;
  int64_t v = min;
  for (int64_t i = 1; i <= n + 1; ++i) {
    if (i == n + 1) v = max;
    int32_t at = Saturate(v);
    int64_t pixel = static_cast<int64_t>(TrackValueToPixel(l, at, min, max)) + half;
    ticks.push_back({LimitInt(pixel), at == min || at == max});
    v += step;
  }
  return ticks;
}

bool TrackKeyPosition(TrackKey key, const TrackLayout& l, int32_t position, int32_t min, int32_t max,
                      int32_t frequency, int32_t& result) {
  if (frequency < 1) frequency = 1;
  int64_t step = 0;
  bool arrow = false;
  switch (key) {
    case TrackKey::Home: result = max; return true;
    case TrackKey::End: result = min; return true;
    case TrackKey::Left:
    case TrackKey::Right:
      if (l.Vertical) return false;
      step = key == TrackKey::Right ? frequency : -static_cast<int64_t>(frequency);
      arrow = true;
      break;
    case TrackKey::Up:
    case TrackKey::Down:
      if (!l.Vertical) return false;
      step = key == TrackKey::Up ? frequency : -static_cast<int64_t>(frequency);
      arrow = true;
      break;
    case TrackKey::PageUp:
    case TrackKey::PageDown: {
      // A fifth of the range, as the system's own track bars page, and never less than an arrow.
      int64_t page = std::llabs(Span(min, max)) / 5;
      if (page < frequency) page = frequency;
      step = key == TrackKey::PageUp ? page : -page;
      break;
    }
  }
  if (arrow && l.TopRight) step = -step;
  result = Saturate(static_cast<int64_t>(position) + step);
  return true;
}

}  // namespace mt
