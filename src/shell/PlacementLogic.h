// Window placement as stored text: numbers, the position words, the state, the rectangle that is
// applied and where it must go so that its title bar can be reached. Stored text comes from the registry, where
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

// What a window's frame is made of, for finding its title bar: the frame's thickness, the bar's
// height, the system-menu icon at its left and the caption buttons at its right (0 where there
// are none), and the width of one caption icon, the measure of a grip.
struct Frame {
  int32_t border = 0, captionHeight = 0, icon = 0, buttons = 0, iconWidth = 0;
};
// A user can move a window back only by the part of its title bar between the icon and the
// buttons: a grip of kGripIcons icon widths (the whole part when narrower) and the bar's full
// height must lie on one work area.
constexpr int32_t kGripIcons = 3;
// The part of the title bar of a window at `window` that drags it (the whole bar when nothing is
// left between icon and buttons). Coordinates beyond 32 bits are clipped.
Rect DragArea(const Rect& window, const Frame& frame);
bool CaptionReachable(const Rect& window, const Frame& frame, const std::vector<Rect>& workAreas);
// The window shifted as little as it takes to lie wholly on the work area; one larger than the
// area keeps its left and top edges on it, so that its title bar does.
Rect MoveInto(const Rect& window, const Rect& workArea);
// Where a window put back at `window` goes: nowhere when it lies on no work area at all (a
// position from another arrangement of screens); where it is when its title bar can be taken
// hold of; else onto the work area it covers most.
std::optional<Rect> ReachablePlace(const Rect& window, const Frame& frame, const std::vector<Rect>& workAreas);

}  // namespace placement
