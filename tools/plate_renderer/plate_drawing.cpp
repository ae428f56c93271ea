// Drawing a Japanese medium-size number plate to scale.
//
// The plate is laid out in millimetres from its top-left corner and turned into picture pixels by
// one scale, width_px / 330, so every plate size has the same proportions. The measures are those
// of the plate standard:
//
//     0 ───────────────────────────── 330 mm
//     │       品 川   5 0 0          │  upper row, 14 to 55 mm: region name, classification
//     │   さ   1 2 ─ 3 4             │  lower row, 70 to 151 mm: hiragana, serial
//     165 mm
//
//   * serial: four right-aligned positions centred at 95, 150, 230 and 286 mm, each digit 80 mm
//     tall in a 40 mm cell; a missing leading digit is a filled 12 mm dot centred in its position
//     at the row's mid-height; four digits have a 20 x 12 mm hyphen centred at 190.5 mm;
//   * hiragana: a 40 x 40 mm box 20 to 60 mm from the left, centred on the serial row;
//   * region name in 40 x 40 mm kanji and a classification number of up to three digits 40 mm
//     tall in 30 mm cells, centred together on the upper row (their spacing, an 8 mm gap and
//     2 mm between digits, is this renderer's choice).
//
// Digits are drawn as the shipped templates have them (tools/digit_shapes.h: the plate's
// construction, a typeface or a real outline, as data/EBMPlog00.recipe says). Glyphs are placed by their ink
// box (the digit's ink fills its 80 mm height), which is how plate digits are cut, rather than by a baseline.
// Dots, hyphen and the plate's rounded outline are drawn with 4 x 4 supersampled coverage, so their
// edges are anti-aliased like the rasterizer's glyphs and no shape is biased by pixel rounding.

#include "plate_drawing.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>

namespace plate::tools {

namespace {

constexpr double kPlateWidthMm = 330.0;
constexpr double kCornerRadiusMm = 6.0;

constexpr double kUpperRowTopMm = 14.5;  // the 40 mm characters centred in the 14..55 mm row
constexpr double kUpperCharacterMm = 40.0;
constexpr double kRegionToClassGapMm = 8.0;
constexpr double kClassCellMm = 30.0;
constexpr double kClassPitchMm = 32.0;
// The classification cell is 30 : 40, the serial's 40 : 80, so its digits are 1.5 times as wide
// for their height.
constexpr double kClassWidening = 1.5;

constexpr double kSerialTopMm = 70.5;  // the 80 mm digits centred in the 70..151 mm row
constexpr double kSerialHeightMm = 80.0;
constexpr double kSerialMidMm = kSerialTopMm + kSerialHeightMm / 2;
constexpr double kSerialCentresMm[4] = {95.0, 150.0, 230.0, 286.0};
constexpr double kSerialCellMm = 40.0;
constexpr double kDotDiameterMm = 12.0;
constexpr double kHyphenCentreMm = 190.5;
constexpr double kHyphenWidthMm = 20.0;
constexpr double kHyphenHeightMm = 12.0;
constexpr double kHiraganaLeftMm = 20.0;
constexpr double kHiraganaBoxMm = 40.0;

struct Colours {
  Rgb plate;
  Rgb ink;
};

Colours colours_of(PlateKind kind) {
  switch (kind) {
    case PlateKind::kei:
      return {{240, 205, 20}, {25, 25, 25}};
    case PlateKind::private_car:
      break;
  }
  return {{250, 250, 248}, {16, 90, 60}};
}

bool all_digits(const std::string& text) {
  for (const char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// Millimetres on the plate to picture pixels.
class PlateFrame {
 public:
  explicit PlateFrame(const PlacedPlate& plate)
      : left_(plate.left_px), top_(plate.top_px), px_per_mm_(plate.width_px / kPlateWidthMm) {}
  double x(double mm) const { return left_ + mm * px_per_mm_; }
  double y(double mm) const { return top_ + mm * px_per_mm_; }
  double length(double mm) const { return mm * px_per_mm_; }

 private:
  double left_;
  double top_;
  double px_per_mm_;
};

// Fills the pixels of the box [x0, x1) x [y0, y1) (picture pixels, fractional) in proportion to the
// share of 16 sample points per pixel for which `inside` holds.
void fill_shape(RgbCanvas& canvas, double x0, double y0, double x1, double y1, Rgb ink,
                const std::function<bool(double, double)>& inside) {
  constexpr int kSamples = 4;
  for (int row = static_cast<int>(std::floor(y0)); row < static_cast<int>(std::ceil(y1)); ++row) {
    for (int column = static_cast<int>(std::floor(x0)); column < static_cast<int>(std::ceil(x1)); ++column) {
      if (!canvas.contains(column, row)) continue;
      int hits = 0;
      for (int sy = 0; sy < kSamples; ++sy)
        for (int sx = 0; sx < kSamples; ++sx)
          hits += inside(column + (sx + 0.5) / kSamples, row + (sy + 0.5) / kSamples);
      canvas.blend(column, row, ink, hits * 255 / (kSamples * kSamples));
    }
  }
}

void fill_rounded_rect(RgbCanvas& canvas, double x0, double y0, double x1, double y1, double radius,
                       Rgb ink) {
  fill_shape(canvas, x0, y0, x1, y1, ink, [=](double x, double y) {
    if (x < x0 || x >= x1 || y < y0 || y >= y1) return false;
    const double dx = std::max({x0 + radius - x, x - (x1 - radius), 0.0});
    const double dy = std::max({y0 + radius - y, y - (y1 - radius), 0.0});
    return dx * dx + dy * dy <= radius * radius;
  });
}

void fill_disc(RgbCanvas& canvas, double centre_x, double centre_y, double radius, Rgb ink) {
  fill_shape(canvas, centre_x - radius, centre_y - radius, centre_x + radius, centre_y + radius, ink,
             [=](double x, double y) {
               return (x - centre_x) * (x - centre_x) + (y - centre_y) * (y - centre_y) <= radius * radius;
             });
}

void stamp(RgbCanvas& canvas, const GlyphBitmap& glyph, int left, int top, Rgb ink) {
  for (int row = 0; row < glyph.height; ++row)
    for (int column = 0; column < glyph.width; ++column)
      canvas.blend(left + column, top + row, ink, glyph.at(column, row));
}

// A digit whose ink is `height_px` tall, centred on `centre_x` with its lowest ink row just above
// `bottom_y`.
void draw_digit(RgbCanvas& canvas, const DigitShapes& digits, char digit, double centre_x, double bottom_y,
                double height_px, double widening, Rgb ink) {
  const GlyphBitmap glyph = digits.render(digit, height_px, widening);
  stamp(canvas, glyph, static_cast<int>(std::lround(centre_x - glyph.width / 2.0)),
        static_cast<int>(std::lround(bottom_y)) - glyph.height, ink);
}

// A kanji or kana set on an em square of `box_px`, its ink centred in the box at (box_x, box_y).
void draw_japanese(RgbCanvas& canvas, const PlateFonts& fonts, char32_t code_point, double box_x,
                   double box_y, double box_px, Rgb ink) {
  const GlyphBitmap glyph = fonts.japanese.render(code_point, box_px, HeightBasis::em);
  stamp(canvas, glyph, static_cast<int>(std::lround(box_x + (box_px - glyph.width) / 2.0)),
        static_cast<int>(std::lround(box_y + (box_px - glyph.height) / 2.0)), ink);
}

void draw_upper_row(RgbCanvas& canvas, const PlacedPlate& plate, const PlateFonts& fonts,
                    const PlateFrame& frame, Rgb ink) {
  const auto kanji = static_cast<double>(plate.region.size());
  const auto class_digits = static_cast<double>(plate.classification.size());
  const double class_width =
      class_digits > 0 ? kRegionToClassGapMm + class_digits * kClassPitchMm - (kClassPitchMm - kClassCellMm)
                       : 0.0;
  double x_mm = (kPlateWidthMm - (kanji * kUpperCharacterMm + class_width)) / 2;
  for (const char32_t code_point : plate.region) {
    draw_japanese(canvas, fonts, code_point, frame.x(x_mm), frame.y(kUpperRowTopMm),
                  frame.length(kUpperCharacterMm), ink);
    x_mm += kUpperCharacterMm;
  }
  x_mm += kRegionToClassGapMm;
  for (const char digit : plate.classification) {
    draw_digit(canvas, fonts.digits, digit, frame.x(x_mm + kClassCellMm / 2),
               frame.y(kUpperRowTopMm + kUpperCharacterMm), frame.length(kUpperCharacterMm), kClassWidening,
               ink);
    x_mm += kClassPitchMm;
  }
}

void draw_serial(RgbCanvas& canvas, const DigitShapes& digits, const std::string& serial,
                 const PlateFrame& frame, Rgb ink) {
  const std::size_t missing = 4 - serial.size();
  for (std::size_t position = 0; position < 4; ++position) {
    const double centre_x = frame.x(kSerialCentresMm[position]);
    if (position < missing) {
      fill_disc(canvas, centre_x, frame.y(kSerialMidMm), frame.length(kDotDiameterMm / 2), ink);
    } else {
      draw_digit(canvas, digits, serial[position - missing], centre_x,
                 frame.y(kSerialTopMm + kSerialHeightMm), frame.length(kSerialHeightMm), 1.0, ink);
    }
  }
  if (serial.size() == 4) {
    fill_rounded_rect(
        canvas, frame.x(kHyphenCentreMm - kHyphenWidthMm / 2), frame.y(kSerialMidMm - kHyphenHeightMm / 2),
        frame.x(kHyphenCentreMm + kHyphenWidthMm / 2), frame.y(kSerialMidMm + kHyphenHeightMm / 2), 0.0, ink);
  }
}

}  // namespace

PlateFonts load_plate_fonts() {
  return {GlyphRasterizer(kJapaneseFontFile), DigitShapes::shipped()};
}

void draw_plate(RgbCanvas& canvas, const PlacedPlate& plate, const PlateFonts& fonts) {
  if (plate.serial.empty() || plate.serial.size() > 4 || !all_digits(plate.serial))
    throw std::invalid_argument("a plate serial is one to four digits, not \"" + plate.serial + "\"");
  if (plate.classification.size() > 3 || !all_digits(plate.classification))
    throw std::invalid_argument("a classification number is up to three digits, not \"" +
                                plate.classification + "\"");

  const Colours colours = colours_of(plate.kind);
  const PlateFrame frame(plate);
  fill_rounded_rect(canvas, frame.x(0), frame.y(0), frame.x(kPlateWidthMm), frame.y(kPlateWidthMm / 2),
                    frame.length(kCornerRadiusMm), colours.plate);
  draw_upper_row(canvas, plate, fonts, frame, colours.ink);
  draw_japanese(canvas, fonts, plate.hiragana, frame.x(kHiraganaLeftMm),
                frame.y(kSerialMidMm - kHiraganaBoxMm / 2), frame.length(kHiraganaBoxMm), colours.ink);
  draw_serial(canvas, fonts.digits, plate.serial, frame, colours.ink);
}

PixelBox serial_cell(const PlacedPlate& plate, int position) {
  const PlateFrame frame(plate);
  const double centre_mm = kSerialCentresMm[position];
  return {frame.x(centre_mm - kSerialCellMm / 2), frame.y(kSerialTopMm),
          frame.x(centre_mm + kSerialCellMm / 2), frame.y(kSerialTopMm + kSerialHeightMm)};
}

std::string expected_plate_text(const std::string& serial) {
  if (serial.size() == 4) return serial.substr(0, 2) + '-' + serial.substr(2);
  return std::string(4 - serial.size(), '\xA5') + serial;
}

}  // namespace plate::tools
