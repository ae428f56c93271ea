#pragma once
// The seed scan's two decisions, exposed for tests: where a row yields a seed, and which traced
// outlines are kept as candidates.

#include <cstdint>
#include <optional>

#include "contour_tracer.h"

namespace plate {

inline constexpr int kSeedRowSpacing = 6;
inline constexpr std::int32_t kMinEdgeStep = 35;  // the left pixel must be brighter by more
inline constexpr std::int32_t kMinOutlineLength = 15;
inline constexpr std::int32_t kMaxOutlineLength = 1024;
inline constexpr std::int32_t kOneCounterclockwiseLap = 8;

struct Seed {
  std::int32_t start_x;    // the middle pixel when it is already dark, else the right one
  std::int32_t threshold;  // midpoint of the two neighbours' green levels, rounded down
};

// The seed at middle column x from the green levels of its left, middle and right pixel, if the
// left one is brighter than the right one by more than 35 levels.
std::optional<Seed> find_seed(std::uint8_t left, std::uint8_t middle, std::uint8_t right, std::int32_t x);

// Length 15..1024, exactly one counterclockwise lap, and the proportions of a digit.
bool is_acceptable_outline(const ContourTrace& trace);

}  // namespace plate
