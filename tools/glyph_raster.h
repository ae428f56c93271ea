#pragma once
// Glyph rasterizer for the tools: turns one character of a font file into an 8-bit coverage
// bitmap, so that test pictures and the pattern file can be drawn from real typefaces.
//
// Coordinates here are those of type, not of the engine's Plane: bitmap rows run top-down, and
// positions relative to the pen are x to the right, y UP from the baseline.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "engine/plane.h"

namespace plate::tools {

// What a requested pixel height measures.
enum class HeightBasis {
  em,   // the font's em square, as type sizes are given; every glyph keeps its place in the line
  ink,  // this glyph's own outline, top to bottom: the rendered ink is that tall, give or take
        // one partly covered row at each edge
};

// One rendered glyph, cropped to its ink: every edge row and column holds at least one pixel of
// non-zero coverage. A glyph without ink (a space) has width and height 0 and only an advance.
struct GlyphBitmap {
  int width = 0;                       // columns
  int height = 0;                      // rows
  std::vector<std::uint8_t> coverage;  // width * height bytes, row 0 at the TOP; 255 = fully inked
  int left = 0;                        // pen-relative x of column 0, rightwards
  int top = 0;                         // baseline-relative y of the top edge of row 0, upwards
  int advance = 0;                     // horizontal pen advance in whole pixels (rounded), scale applied

  std::uint8_t at(int column, int row) const {
    return coverage[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
                    static_cast<std::size_t>(column)];
  }
};

// One opened font face. Renders unhinted outlines with anti-aliasing; embedded bitmap strikes
// (which some CJK fonts carry for small sizes) are ignored so that every size has the same shape.
// Throws std::runtime_error when the file cannot be opened as a font and when a code point has no
// glyph in it. Not copyable; one instance is not safe for concurrent use.
class GlyphRasterizer {
 public:
  explicit GlyphRasterizer(const std::filesystem::path& font_file);
  ~GlyphRasterizer();
  GlyphRasterizer(GlyphRasterizer&&) noexcept;
  GlyphRasterizer& operator=(GlyphRasterizer&&) noexcept;

  bool has_glyph(char32_t code_point) const;

  // Renders `code_point` `pixel_height` pixels tall (measured as `basis` says), squeezed or
  // widened horizontally by `horizontal_scale` (1.0 keeps the design's width; 0.8 makes it 80 %),
  // its strokes first thickened by `embolden` times the height (0.02 adds 2 % of it to every stroke).
  GlyphBitmap render(char32_t code_point, double pixel_height, HeightBasis basis,
                     double horizontal_scale = 1.0, double embolden = 0.0) const;

 private:
  struct Face;
  std::unique_ptr<Face> face_;
};

// Blends `glyph` into `plane`: each pixel's three channels move from their level towards
// `ink_level` in proportion to the coverage. The glyph's top-left pixel lands on plane pixel
// (x_left, y_top); plane rows count upwards, so glyph row r lands on plane row y_top - r.
// Pixels that fall outside the frame are left out.
void stamp_glyph(Plane& plane, const GlyphBitmap& glyph, int x_left, int y_top, std::uint8_t ink_level);

// The inked part of `columns` x `rows` coverage (row 0 at the top) as a glyph: cut to the rows and
// columns that hold ink, placed where they were (left and top), advancing by `columns`.
GlyphBitmap crop_to_ink(const std::vector<std::uint8_t>& coverage, int columns, int rows);

}  // namespace plate::tools
