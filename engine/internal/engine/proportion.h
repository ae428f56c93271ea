#pragma once
// The proportion windows of a plate digit, shared by the seed scan's acceptance test and by the
// matcher: (height + 1) / (width + 1) of the pixel extents, in double precision, all bounds
// exclusive. 2.5 itself lies in neither window, so a shape of exactly that proportion is lost.

#include <cstdint>

namespace plate {

constexpr double pixel_proportion(std::int32_t height, std::int32_t width) {
  return (double(height) + 1.0) / (double(width) + 1.0);
}

// Every digit but one.
constexpr bool in_digit_window(double proportion) {
  return 1.3 < proportion && proportion < 2.5;
}

// The digit one.
constexpr bool in_one_window(double proportion) {
  return 2.5 < proportion && proportion < 10.0;
}

}  // namespace plate
