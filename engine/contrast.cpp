// Contrast analysis: the brightness that separates the dark pixels of a rectangle from its light
// ones, found as the gap between the two largest non-overlapping hills of its histogram.
//
// Plan. Every pixel of the rectangle is counted into a 256-bin histogram of its brightness, the
// truncated mean of its three bytes. Each inner bin then grows a hill: a band at the bin's own
// height, spread over the neighbouring bins that are at least as high, but only towards a side
// whose next bin is strictly higher. The mass of a hill is the area of that band, so a bin at the
// top of a peak (or an empty bin) grows nothing, and the band under a peak's shoulder measures how
// broad and how tall the peak is at once. The largest hill is the main one; the largest hill that
// lies wholly on one side of it, not even sharing a bin, is the second one. The dark level is the
// upper edge of the darker hill, the light level the lower edge of the brighter one.
//
// Rejected alternatives. Otsu's threshold gives a level for every histogram, even one with a
// single hill, where the callers need to hear that the rectangle shows no contrast at all. Sharing
// the walks between neighbouring bins would save little: the whole search is at most about
// 256 x 256 steps, small beside the pixel pass, so every hill is grown on its own.

#include "contrast.h"

#include <algorithm>

namespace plate {

namespace {

// The hill of bin i: mass 0 unless a neighbour is strictly higher than the bin itself.
//
// Notes:
//  1. The left walk starts one bin to the left, the right walk at the bin itself, so the bin is
//     counted once when the right walk runs and not at all when only the left one runs.
//  2. Each counted bin adds the centre count, not its own: the mass is the area of the band.
Hill grow_hill(std::span<const std::int32_t> histogram, int i) {
  const int n = static_cast<int>(histogram.size());
  const std::int32_t centre = histogram[i];
  Hill hill{0, i, i};
  if (histogram[i - 1] > centre) {
    for (int k = i - 1; k >= 0 && histogram[k] >= centre; --k) {
      hill.mass += centre;
      hill.first_bin = k;
    }
  }
  if (histogram[i + 1] > centre) {
    for (int k = i; k < n && histogram[k] >= centre; ++k) {
      hill.mass += centre;
      hill.last_bin = k;
    }
  }
  return hill;
}

// A hill that shares even one bin with the main hill overlaps it.
bool lies_apart(const Hill& hill, const Hill& main_hill) {
  return hill.last_bin < main_hill.first_bin || hill.first_bin > main_hill.last_bin;
}

}  // namespace

int find_two_hills(ContrastWorkArea& work, std::span<const std::int32_t> histogram, HillBounds& main_bounds,
                   HillBounds& second_bounds) {
  if (histogram.size() >= std::size_t{ContrastWorkArea::kHillTableSize}) return kNoHillFound;
  const int n = static_cast<int>(histogram.size());
  work.main_hill = Hill{};
  work.second_hill = Hill{};
  work.hills.fill(Hill{});
  int status = kNoHillFound;

  // The outermost bins grow no hill of their own, but hills spread into them. Only a strictly
  // larger mass replaces the main hill, so ties go to the lowest bin.
  for (int i = 1; i <= n - 2; ++i) {
    work.hills[i] = grow_hill(histogram, i);
    if (work.hills[i].mass > work.main_hill.mass) {
      work.main_hill = work.hills[i];
      status = kOneHillFound;
    }
  }

  for (int i = 1; i <= n - 2; ++i) {
    const Hill& hill = work.hills[i];
    if (hill.mass > work.second_hill.mass && lies_apart(hill, work.main_hill)) {
      work.second_hill = hill;
      if (status == kOneHillFound) status = kTwoHillsFound;
    }
  }

  main_bounds = {work.main_hill.first_bin, work.main_hill.last_bin};
  second_bounds = {work.second_hill.first_bin, work.second_hill.last_bin};
  return status;
}

int measure_contrast(ContrastWorkArea& work, const Plane& picture, std::int32_t x_a, std::int32_t x_b,
                     std::int32_t y_a, std::int32_t y_b, ContrastLevels& levels) {
  const auto [x_lo, x_hi] = std::minmax(x_a, x_b);
  const auto [y_lo, y_hi] = std::minmax(y_a, y_b);
  work.histogram.fill(0);
  for (std::int32_t y = y_lo; y < y_hi; ++y) {
    for (std::int32_t x = x_lo; x < x_hi; ++x) {
      ++work.histogram[pixel_brightness(picture, x, y)];
    }
  }

  HillBounds main_bounds{};
  HillBounds second_bounds{};
  const int status = find_two_hills(work, work.histogram, main_bounds, second_bounds);
  if (status != kTwoHillsFound) return status;

  // The darker hill is chosen by position, not by mass.
  const bool main_is_darker = main_bounds.last_bin <= second_bounds.first_bin;
  levels.dark = main_is_darker ? main_bounds.last_bin : second_bounds.last_bin;
  levels.light = main_is_darker ? second_bounds.first_bin : main_bounds.first_bin;
  levels.middle = (levels.dark + levels.light) / 2;
  return kTwoHillsFound;
}

}  // namespace plate
