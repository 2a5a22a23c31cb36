// Window placement as stored text: numbers, the position words, the state, the rectangle that is
// applied and whether its caption can be reached. Stored text comes from the registry, where
// anything may have been written, so nothing here trusts it.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace placement {

// A whole decimal number with an optional sign that fits 32 bits; nothing else around it.
bool ParseInt(std::string_view text, int32_t& value);
// The number, or fallback when the text is not one.
int32_t IntOr(std::string_view text, int32_t fallback);

// Words separated by commas and spaces; a run of separators counts as one.
std::vector<std::string_view> SplitWords(std::string_view text);

using Quad = std::array<int32_t, 4>;
// The first four words as numbers; a missing or non-numeric word takes its default.
Quad ParseQuad(std::string_view text, const Quad& defaults);
std::string FormatQuad(const Quad& q);  // "%d,%d,%d,%d"
// The screen-size suffix of the resolution-specific names: "(1024x768)".
std::string ScreenSuffix(int width, int height);

enum class State { Normal, Minimized, Maximized };
// 1, 5, 9 normal; 2, 6, 7 minimised; 3 maximised; anything else keeps start.
State StateFromShowCmd(int32_t showCmd, State start);

struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// The normal rectangle to apply from the stored words: a form that cannot be resized keeps its
// own size at the stored left and top. Nothing when the rectangle is empty (right not beyond
// left, bottom not below top) or does not fit 32-bit coordinates.
std::optional<Rect> NormalRect(const Quad& stored, bool keepSize, int32_t width, int32_t height);

// Whether a grip of the caption strip (at least kGripWidth by kGripHeight pixels, or the whole
// strip when smaller) lies within one of the work areas.
constexpr int32_t kGripWidth = 24, kGripHeight = 8;
bool CaptionReachable(const Rect& strip, const std::vector<Rect>& workAreas);

}  // namespace placement
