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

bool CaptionReachable(const Rect& strip, const std::vector<Rect>& workAreas) {
  int64_t needW = std::min<int64_t>(kGripWidth, int64_t{strip.right} - strip.left);
  int64_t needH = std::min<int64_t>(kGripHeight, int64_t{strip.bottom} - strip.top);
  if (needW <= 0 || needH <= 0) return false;
  for (const Rect& a : workAreas) {
    int64_t w = int64_t{std::min(strip.right, a.right)} - std::max(strip.left, a.left);
    int64_t h = int64_t{std::min(strip.bottom, a.bottom)} - std::max(strip.top, a.top);
    if (w >= needW && h >= needH) return true;
  }
  return false;
}

}  // namespace placement
