// Geometry and arithmetic of the track bar: where the thumb stands for a value, which value a
// thumb position means, where the ticks go and what the keys do. No Windows here.
#pragma once
#include <cstdint>
#include <vector>

namespace mt {

struct TrackLayout {
  int ClientWidth = 0, ClientHeight = 0;
  int BorderWidth = 10;
  bool Vertical = false;
  bool TopRight = false;  // minimum at the right (horizontal) or at the top (vertical)
  int ThumbWidth = 0, ThumbHeight = 0;
};

// The first pixel of the thumb's travel along the bar, and the length of that travel.
int TrackStart(const TrackLayout& l);
int TrackTravel(const TrackLayout& l);

// Start of the thumb along the bar for value v. An empty range puts every value at the start.
int TrackValueToPixel(const TrackLayout& l, int32_t v, int32_t min, int32_t max);

// The value a thumb start p stands for, before the mirroring of a top-right bar; snapped to
// multiples of frequency (counted from min) when fixedPoints.
int32_t TrackPixelToValue(const TrackLayout& l, int p, int32_t min, int32_t max, bool fixedPoints,
                          int32_t frequency);

// The position asked for by the thumb moved to pixel p: p limited to the travel, converted and
// mirrored for a top-right bar. The Position setter then limits it to the range (once: limiting
// a reversed range's result again would flip it to the other end).
int32_t TrackPositionAt(const TrackLayout& l, int p, int32_t min, int32_t max, bool fixedPoints,
                        int32_t frequency);

// Raises v to min when below, else lowers it to max when above (a reversed range therefore
// yields min or max, never a value between).
int32_t TrackLimit(int64_t v, int32_t min, int32_t max);

struct TrackRect {
  int Left, Top, Right, Bottom;
};
// The thumb's rectangle for a position: along the bar from the value, centred across it.
TrackRect TrackThumbRect(const TrackLayout& l, int32_t position, int32_t min, int32_t max);

struct TrackTick {
  int At;    // pixel along the bar
  bool End;  // the tick of MinValue or MaxValue (drawn longer)
};
// Ticks along one side: every frequency * g values from min, max last, with g the smallest
// multiple that leaves at least 4 pixels between them.
std::vector<TrackTick> TrackTicks(const TrackLayout& l, int32_t min, int32_t max, int32_t frequency);

enum class TrackKey { Home, End, Left, Right, Up, Down, PageUp, PageDown };
// The position a key asks for (for the Position setter to limit), or false when the key does
// nothing on this bar. The arrows step by frequency along the screen; Home, End and the page
// keys go by value.
bool TrackKeyPosition(TrackKey key, const TrackLayout& l, int32_t position, int32_t min, int32_t max,
                      int32_t frequency, int32_t& result);

}  // namespace mt
