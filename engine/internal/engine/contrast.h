#pragma once
// Contrast analysis: which brightness separates the dark pixels of a rectangle from its light ones.
// A brightness histogram of the rectangle is searched for its two largest non-overlapping hills;
// the dark level is the upper edge of the darker hill, the light level the lower edge of the
// brighter one, and the middle level lies halfway between.

#include <array>
#include <cstdint>
#include <span>

#include "engine/plane.h"

namespace plate {

struct Hill {
  std::int32_t mass;
  std::int32_t first_bin;  // inclusive
  std::int32_t last_bin;   // inclusive
};

struct HillBounds {
  std::int32_t first_bin;
  std::int32_t last_bin;
};

// The static tables of one analysis, overwritten by every call.
struct ContrastWorkArea {
  static constexpr int kHillTableSize = 1024;
  std::array<std::int32_t, 256> histogram;
  std::array<Hill, kHillTableSize> hills;  // indexed by the bin a hill grew from
  Hill main_hill;
  Hill second_hill;
};

// Status of a hill search; callers act only on kTwoHillsFound.
inline constexpr int kNoHillFound = 0;
inline constexpr int kOneHillFound = 1;
inline constexpr int kTwoHillsFound = 2;

struct ContrastLevels {
  std::int32_t middle;
  std::int32_t light;
  std::int32_t dark;
};

// The mean of a pixel's three bytes, (B + G + R) / 3, truncated: the measure of every level here.
inline std::int32_t pixel_brightness(const Plane& picture, std::int32_t x, std::int32_t y) {
  return (std::int32_t{picture.channel_unchecked(x, y, Channel::blue)} +
          std::int32_t{picture.channel_unchecked(x, y, Channel::green)} +
          std::int32_t{picture.channel_unchecked(x, y, Channel::red)}) /
         3;
}

// The bin count is histogram.size(). Returns 0 when no hill of positive mass exists (or the bin
// count is 1024 or more), 1 when only the main hill exists, 2 when a second, non-overlapping hill
// exists too. Writes both bounds (a hill not found as (0, 0)) except when the bin count is 1024 or
// more. Counts must not be negative, and a count times the bin count must fit in 32 bits (a
// brightness histogram of the frame holds at most 786432 x 256).
int find_two_hills(ContrastWorkArea& work, std::span<const std::int32_t> histogram, HillBounds& main_bounds,
                   HillBounds& second_bounds);

// Brightness (B + G + R) / 3 over columns [min(x_a, x_b), max(x_a, x_b)) and rows
// [min(y_a, y_b), max(y_a, y_b)). Returns the status of the hill search; `levels` is written only
// when it is 2. The rectangle is not clipped: every counted pixel must lie inside the plane.
int measure_contrast(ContrastWorkArea& work, const Plane& picture, std::int32_t x_a, std::int32_t x_b,
                     std::int32_t y_a, std::int32_t y_b, ContrastLevels& levels);

}  // namespace plate
