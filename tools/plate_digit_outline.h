#pragma once
// Digits drawn in the construction of a Japanese number plate rather than taken from a typeface:
// strokes of one width (12 mm) along lines and elliptical arcs in the 40 x 80 mm cell of a serial
// digit, cut square at their ends and at the cell's edges. The shapes follow real plate digits:
// a '0' with straight sides, a plain bar for '1', a '3' whose round bowls meet left of centre,
// a closed '4' with its bar at a third of the height, a '5' with a flat top and straight stem,
// '6' and '9' with curved stems, a straight '7', and an '8' whose upper bowl is the narrower.

#include "tools/glyph_raster.h"

namespace plate::tools {

inline constexpr double kPlateCellWidthMm = 40.0;
inline constexpr double kPlateCellHeightMm = 80.0;
inline constexpr double kPlateStrokeMm = 12.0;

// Renders `digit` ('0'..'9') as coverage, the cell `pixel_height` tall and `horizontal_scale`
// times its 40 : 80 width wide, with `stroke_mm` wide strokes, 4 x 4 samples a pixel. Cropped to
// its ink like a font glyph. Throws std::invalid_argument for another character or a size that is
// not positive.
GlyphBitmap render_plate_digit(char digit, double pixel_height, double horizontal_scale = 1.0,
                               double stroke_mm = kPlateStrokeMm);

}  // namespace plate::tools
