#pragma once
// One Japanese medium-size number plate (330 x 165 mm), drawn to scale from its millimetre layout:
// region name and classification number on the upper row; hiragana and the four serial positions
// on the lower row, with middle dots for missing leading digits and a hyphen after the second of
// four digits.

#include <filesystem>
#include <string>

#include "rgb_canvas.h"
#include "tools/digit_shapes.h"
#include "tools/glyph_raster.h"

namespace plate::tools {

enum class PlateKind {
  private_car,  // white plate, dark green characters
  kei,          // yellow plate, black characters (light motor vehicles)
};

struct PlacedPlate {
  std::string serial = "1234";  // one to four ASCII digits, as the plate shows them
  PlateKind kind = PlateKind::private_car;
  double left_px = 0.0;  // top-left corner of the plate in the picture (rows top-down)
  double top_px = 0.0;
  double width_px = 330.0;             // the height is half of it
  std::u32string region = U"品川";     // one to three kanji
  std::string classification = "500";  // zero to three ASCII digits
  char32_t hiragana = U'さ';
};

inline constexpr const char* kJapaneseFontFile = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";

// The glyph sources: IPA Gothic for the kanji of the region name and for the hiragana, and the
// digits as the shipped templates have them (tools/digit_shapes.h), so that a rendered plate shows
// the digits the templates were chosen to read.
struct PlateFonts {
  GlyphRasterizer japanese;
  DigitShapes digits;
};

// Throws std::runtime_error when the font file, the shipped recipe or the shipped pattern file is
// missing.
PlateFonts load_plate_fonts();

// Paints the plate onto the canvas; parts that hang over its edge are cut off.
// Throws std::invalid_argument for a serial that is not one to four digits or a classification
// number of more than three digits.
void draw_plate(RgbCanvas& canvas, const PlacedPlate& plate, const PlateFonts& fonts);

// A box in picture pixels (rows top-down); right and bottom are exclusive.
struct PixelBox {
  double left;
  double top;
  double right;
  double bottom;
  bool contains(double x, double y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// The cell of serial position 0..3 (counted from the left, whether it shows a digit or a dot):
// 40 mm wide, the digit row's 80 mm tall.
PixelBox serial_cell(const PlacedPlate& plate, int position);

// The text the engine composes for a serial of one to four digits: "12-34", or 0xA5 middle dots
// before fewer digits.
std::string expected_plate_text(const std::string& serial);

}  // namespace plate::tools
