#include "shell/PlacementLogic.h"
#include <algorithm>
#include <cstdio>
#include <limits>

namespace placement {

bool ParseInt(std::string_view t, int32_t& value) {
  size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  if (i == t.size()) return false;
  // Accumulated as a negative number so that the smallest 32-bit value fits too.
  int64_t v = 0;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (c < '0' || c > '9') return false;
    v = v * 10 - (c - '0');
    if (v < int64_t{std::numeric_limits<int32_t>::min()}) return false;
  }
  if (!negative) {
    v = -v;
    if (v > int64_t{std::numeric_limits<int32_t>::max()}) return false;
  }
  value = static_cast<int32_t>(v);
  return true;
}

int32_t IntOr(std::string_view text, int32_t fallback) {
  int32_t v;
  return ParseInt(text, v) ? v : fallback;
}

std::vector<std::string_view> SplitWords(std::string_view text) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ',' || text[i] == ' ')) ++i;
    size_t start = i;
    while (i < text.size() && text[i] != ',' && text[i] != ' ') ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

Quad ParseQuad(std::string_view text, const Quad& defaults) {
  Quad q = defaults;
  auto words = SplitWords(text);
  for (size_t i = 0; i < q.size() && i < words.size(); ++i) q[i] = IntOr(words[i], defaults[i]);
  return q;
}

std::string FormatQuad(const Quad& q) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d,%d,%d,%d", static_cast<int>(q[0]), static_cast<int>(q[1]), static_cast<int>(q[2]),
                static_cast<int>(q[3]));
  return buf;
}

std::string ScreenSuffix(int width, int height) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "(%dx%d)", width, height);
  return buf;
}

State StateFromShowCmd(int32_t showCmd, State start) {
  switch (showCmd) {
    case 1: case 5: case 9: return State::Normal;
    case 2: case 6: case 7: return State::Minimized;
    case 3: return State::Maximized;
    default: return start;
  }
}

std::optional<Rect> NormalRect(const Quad& stored, bool keepSize, int32_t width, int32_t height) {
  int64_t left = stored[0], top = stored[1], right = stored[2], bottom = stored[3];
  if (keepSize) {
    right = left + width;
    bottom = top + height;
  }
  constexpr int64_t hi = std::numeric_limits<int32_t>::max();
  if (right > hi || bottom > hi) return std::nullopt;
  if (left >= right || top >= bottom) return std::nullopt;
  return Rect{static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right), static_cast<int32_t>(bottom)};
}

namespace {
int32_t Clip(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int64_t Overlap(int64_t lo1, int64_t hi1, int64_t lo2, int64_t hi2) { return std::min(hi1, hi2) - std::max(lo1, lo2); }

// One axis of MoveInto: the far edge in first, then the near one, which wins.
int64_t ShiftInto(int64_t lo, int64_t hi, int64_t areaLo, int64_t areaHi) {
  int64_t shift = 0;
  if (hi > areaHi) shift = areaHi - hi;
  if (lo + shift < areaLo) shift = areaLo - lo;
  return shift;
}
}  // namespace

Rect DragArea(const Rect& w, const Frame& f) {
  int64_t left = int64_t{w.left} + f.border, right = int64_t{w.right} - f.border;
  int64_t top = int64_t{w.top} + f.border, bottom = top + f.captionHeight;
  if (right - left > int64_t{f.icon} + f.buttons) {
    left += f.icon;
    right -= f.buttons;
  }
  return Rect{Clip(left), Clip(top), Clip(right), Clip(bottom)};
}

bool CaptionReachable(const Rect& window, const Frame& frame, const std::vector<Rect>& workAreas) {
  Rect d = DragArea(window, frame);
  int64_t width = int64_t{d.right} - d.left, height = int64_t{d.bottom} - d.top;
  if (width <= 0 || height <= 0) return false;
  int64_t needW = std::min(width, int64_t{kGripIcons} * std::max(frame.iconWidth, 1));
  for (const Rect& a : workAreas)
    if (Overlap(d.left, d.right, a.left, a.right) >= needW && Overlap(d.top, d.bottom, a.top, a.bottom) >= height)
      return true;
  return false;
}

Rect MoveInto(const Rect& w, const Rect& a) {
  int64_t dx = ShiftInto(w.left, w.right, a.left, a.right), dy = ShiftInto(w.top, w.bottom, a.top, a.bottom);
  return Rect{Clip(w.left + dx), Clip(w.top + dy), Clip(w.right + dx), Clip(w.bottom + dy)};
}

std::optional<Rect> ReachablePlace(const Rect& window, const Frame& frame, const std::vector<Rect>& workAreas) {
  const Rect* best = nullptr;
  double bestArea = 0;  // a product of two 33-bit spans
  for (const Rect& a : workAreas) {
    int64_t w = Overlap(window.left, window.right, a.left, a.right), h = Overlap(window.top, window.bottom, a.top, a.bottom);
    if (w > 0 && h > 0 && static_cast<double>(w) * static_cast<double>(h) > bestArea) {
      bestArea = static_cast<double>(w) * static_cast<double>(h);
      best = &a;
    }
  }
  if (!best) return std::nullopt;
  if (CaptionReachable(window, frame, workAreas)) return window;
  return MoveInto(window, *best);
}

}  // namespace placement
