#include "shell/dialog_units.h"

#include <cstdint>
#include <limits>

namespace plate {

int mul_div(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const std::int64_t product = std::int64_t{number} * numerator;
  const std::int64_t magnitude = (product < 0 ? -product : product);
  const std::int64_t divisor = denominator < 0 ? -std::int64_t{denominator} : std::int64_t{denominator};
  const std::int64_t rounded = (magnitude + divisor / 2) / divisor;
  const std::int64_t result = (product < 0) != (denominator < 0) ? -rounded : rounded;
  if (result < std::numeric_limits<int>::min() || result > std::numeric_limits<int>::max()) return -1;
  return static_cast<int>(result);
}

int average_char_width(int alphabet_width) {
  return (alphabet_width / 26 + 1) / 2;
}

PixelRect to_pixels(const resources::DialogUnitRect& rect, const DialogFontMetrics& font) {
  return {mul_div(rect.x, font.average_char_width, 4), mul_div(rect.y, font.char_height, 8),
          mul_div(rect.width, font.average_char_width, 4), mul_div(rect.height, font.char_height, 8)};
}

}  // namespace plate
