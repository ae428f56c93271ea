// Renders one glyph of a font file with FreeType into a coverage bitmap cropped to its ink.
//
// Plan: set the face to the requested size as an em, load the glyph's outline unhinted, measure
// it, correct its scale with one outline transform (which also applies the horizontal scale),
// and let FreeType's anti-aliasing rasterizer fill the coverage.
//
// Why one transform instead of asking FreeType for the exact size: some TrueType fonts demand
// whole-pixel ems (a flag in their header), so FT_Set_Char_Size may round a fractional size, and
// an ink height cannot be requested from FreeType at all. Measuring the loaded outline and
// rescaling it gives the requested height for every font, whatever FreeType rounded.
//
// Why unhinted: hinting snaps stems to the pixel grid differently at every size, so a shape
// rendered at 37 px would not be the 120 px shape made smaller; the tools want the design's
// shape at every size, with partial coverage on the edges instead of snapped stems.

#include "tools/glyph_raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BBOX_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace plate::tools {

namespace {

[[noreturn]] void fail(const std::string& what, FT_Error error) {
  throw std::runtime_error(what + " (FreeType error " + std::to_string(error) + ")");
}

FT_Fixed to_fixed_16_16(double value) {
  return static_cast<FT_Fixed>(std::lround(value * 65536.0));
}

}  // namespace

struct GlyphRasterizer::Face {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  std::string name;  // the font file, for messages

  ~Face() {
    if (face != nullptr) FT_Done_Face(face);
    if (library != nullptr) FT_Done_FreeType(library);
  }
};

GlyphRasterizer::GlyphRasterizer(const std::filesystem::path& font_file) : face_(std::make_unique<Face>()) {
  face_->name = font_file.string();
  if (const FT_Error error = FT_Init_FreeType(&face_->library)) fail("cannot start FreeType", error);
  if (const FT_Error error = FT_New_Face(face_->library, face_->name.c_str(), 0, &face_->face)) {
    face_->face = nullptr;
    fail("cannot open font " + face_->name, error);
  }
  if (!FT_IS_SCALABLE(face_->face)) throw std::runtime_error("font " + face_->name + " has no outlines");
}

GlyphRasterizer::~GlyphRasterizer() = default;
GlyphRasterizer::GlyphRasterizer(GlyphRasterizer&&) noexcept = default;
GlyphRasterizer& GlyphRasterizer::operator=(GlyphRasterizer&&) noexcept = default;

bool GlyphRasterizer::has_glyph(char32_t code_point) const {
  return FT_Get_Char_Index(face_->face, code_point) != 0;
}

GlyphBitmap GlyphRasterizer::render(char32_t code_point, double pixel_height, HeightBasis basis,
                                    double horizontal_scale, double embolden) const {
  const FT_Face face = face_->face;
  // Built only when something fails.
  const auto what = [&] {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(code_point));
    return "glyph " + std::string(code) + " of " + face_->name;
  };
  if (!(pixel_height > 0.0) || !(horizontal_scale > 0.0) || !(embolden >= 0.0))
    throw std::invalid_argument(what() + ": size must be positive");
  const FT_UInt index = FT_Get_Char_Index(face, code_point);
  if (index == 0) throw std::runtime_error(what() + ": not in the font");

  const auto em_26_6 = static_cast<FT_F26Dot6>(std::lround(pixel_height * 64.0));
  if (const FT_Error error = FT_Set_Char_Size(face, 0, em_26_6, 72, 72))
    fail(what() + ": cannot set size", error);
  if (const FT_Error error = FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP))
    fail(what() + ": cannot load", error);
  FT_GlyphSlot slot = face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) throw std::runtime_error(what() + ": not an outline");

  // Thickened before measuring, so that the ink height asked for is the thickened glyph's.
  if (embolden > 0.0) {
    const auto strength = static_cast<FT_Pos>(std::lround(embolden * pixel_height * 64.0));
    if (const FT_Error error = FT_Outline_Embolden(&slot->outline, strength))
      fail(what() + ": cannot embolden", error);
  }

  // The size FreeType actually used, in 1/64 pixel, against which the correction is measured.
  double measured_26_6 = 0.0;
  if (basis == HeightBasis::em) {
    measured_26_6 = static_cast<double>(FT_MulFix(face->units_per_EM, face->size->metrics.y_scale));
  } else {
    FT_BBox ink{};
    FT_Outline_Get_BBox(&slot->outline, &ink);
    measured_26_6 = static_cast<double>(ink.yMax - ink.yMin);
  }
  const double correction = measured_26_6 > 0.0 ? pixel_height * 64.0 / measured_26_6 : 1.0;
  FT_Matrix scale{to_fixed_16_16(horizontal_scale * correction), 0, 0, to_fixed_16_16(correction)};
  FT_Outline_Transform(&slot->outline, &scale);

  GlyphBitmap glyph;
  glyph.advance = static_cast<int>(
      std::lround(static_cast<double>(slot->advance.x) * horizontal_scale * correction / 64.0));
  if (slot->outline.n_points == 0) return glyph;
  if (const FT_Error error = FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL))
    fail(what() + ": cannot render", error);

  const FT_Bitmap& bitmap = slot->bitmap;
  const int columns = static_cast<int>(bitmap.width), rows = static_cast<int>(bitmap.rows);
  // A negative pitch means the rows are stored bottom-up.
  auto source = [&](int column, int row) -> std::uint8_t {
    const int stored_row = bitmap.pitch >= 0 ? row : rows - 1 - row;
    return bitmap.buffer[static_cast<std::ptrdiff_t>(stored_row) * std::abs(bitmap.pitch) + column];
  };

  // FreeType's bitmap covers the outline's control box, which may hold empty edge rows.
  int first_row = rows, last_row = -1, first_column = columns, last_column = -1;
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      if (source(column, row) == 0) continue;
      first_row = std::min(first_row, row);
      last_row = std::max(last_row, row);
      first_column = std::min(first_column, column);
      last_column = std::max(last_column, column);
    }
  }
  if (last_row < 0) return glyph;

  glyph.width = last_column - first_column + 1;
  glyph.height = last_row - first_row + 1;
  glyph.left = slot->bitmap_left + first_column;
  glyph.top = slot->bitmap_top - first_row;
  glyph.coverage.resize(static_cast<std::size_t>(glyph.width) * static_cast<std::size_t>(glyph.height));
  for (int row = 0; row < glyph.height; ++row) {
    for (int column = 0; column < glyph.width; ++column) {
      glyph.coverage[static_cast<std::size_t>(row) * static_cast<std::size_t>(glyph.width) +
                     static_cast<std::size_t>(column)] = source(first_column + column, first_row + row);
    }
  }
  return glyph;
}

void stamp_glyph(Plane& plane, const GlyphBitmap& glyph, int x_left, int y_top, std::uint8_t ink_level) {
  for (int row = 0; row < glyph.height; ++row) {
    const int y = y_top - row;
    for (int column = 0; column < glyph.width; ++column) {
      const int x = x_left + column;
      const int coverage = glyph.at(column, row);
      if (coverage == 0 || !Plane::contains(x, y)) continue;
      std::uint8_t* pixel = plane.bytes.data() + Plane::offset_unchecked(x, y);
      for (int channel = 0; channel < kBytesPerPixel; ++channel) {
        const int paper = pixel[channel];
        // Rounded to the nearest level, so full coverage gives ink_level exactly.
        const int blended =
            paper + ((ink_level - paper) * coverage * 2 + (ink_level >= paper ? 255 : -255)) / 510;
        pixel[channel] = static_cast<std::uint8_t>(blended);
      }
    }
  }
}

GlyphBitmap crop_to_ink(const std::vector<std::uint8_t>& coverage, int columns, int rows) {
  int first_row = rows, last_row = -1, first_column = columns, last_column = -1;
  for (int row = 0; row < rows; ++row)
    for (int column = 0; column < columns; ++column)
      if (coverage[std::size_t(row) * std::size_t(columns) + std::size_t(column)] != 0) {
        first_row = std::min(first_row, row), last_row = std::max(last_row, row);
        first_column = std::min(first_column, column), last_column = std::max(last_column, column);
      }
  GlyphBitmap glyph;
  glyph.advance = columns;
  if (last_row < 0) return glyph;
  glyph.width = last_column - first_column + 1;
  glyph.height = last_row - first_row + 1;
  glyph.left = first_column;
  glyph.top = rows - first_row;
  glyph.coverage.resize(std::size_t(glyph.width) * std::size_t(glyph.height));
  for (int row = 0; row < glyph.height; ++row)
    for (int column = 0; column < glyph.width; ++column)
      glyph.coverage[std::size_t(row) * std::size_t(glyph.width) + std::size_t(column)] =
          coverage[std::size_t(first_row + row) * std::size_t(columns) + std::size_t(first_column + column)];
  return glyph;
}

}  // namespace plate::tools
