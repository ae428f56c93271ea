#pragma once
// Dialog units to pixels, by the rule Win32 applies to a dialog template with its own font: a
// horizontal unit is a quarter of the font's average character width, a vertical unit an eighth
// of its character height, each product rounded to the nearest pixel as MulDiv rounds. Every
// front end lays the result dialog out with this rule, so it has the same proportions everywhere.

#include "resources/dialog_template.h"

namespace plate {

struct DialogFontMetrics {
  int average_char_width;  // pixels
  int char_height;         // pixels: ascent plus descent
};

struct PixelRect {
  int x;
  int y;
  int width;
  int height;
};

// number * numerator / denominator in 64 bits, rounded half away from zero; -1 when the
// denominator is 0 or the result does not fit an int (as Win32's MulDiv reports both).
int mul_div(int number, int numerator, int denominator);

// The average character width Win32 takes for a dialog font: from the pixel width of the 52
// letters "A".."Z" "a".."z" set in it, (width / 26 + 1) / 2.
int average_char_width(int alphabet_width);
inline constexpr const char* kAverageWidthAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

PixelRect to_pixels(const resources::DialogUnitRect& rect, const DialogFontMetrics& font);

}  // namespace plate
