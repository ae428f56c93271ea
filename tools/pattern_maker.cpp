// The pattern file's templates are candidates like any other: each digit is drawn alone on white
// paper and a whole recognition run is made over the picture, so the template's contour, start
// point, start direction and smoothed signature come from the very seed scan, tracer and
// smoothing that make the candidates it will be compared with. The one stored candidate is taken,
// its character set, and its unused array tails cleared so that the file holds nothing but the
// digit.
//
// Rejected: tracing the glyph bitmap with a separate contour follower. It would have to copy the
// engine's seed rule, threshold and start-point choice exactly, and any difference would show up
// as a rotation or offset between every template and every candidate.

#include "tools/pattern_maker.h"

#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "engine/recognition.h"

namespace plate::tools {

namespace {

// Far enough from the frame's edges for a 150 px digit, and away from the bottom row, which
// the tracer never accepts.
constexpr int kSampleLeft = 200;
constexpr int kSampleBottom = 200;

ShapeRecord without_leftovers(const ShapeRecord& stored) {
  ShapeRecord clean{};
  const auto n = static_cast<std::size_t>(stored.point_count);
  clean.character = stored.character;
  clean.point_count = stored.point_count;
  std::memcpy(clean.points, stored.points, n * sizeof stored.points[0]);
  std::memcpy(clean.angles, stored.angles, n * sizeof stored.angles[0]);
  std::memcpy(clean.smoothed_angles, stored.smoothed_angles, n * sizeof stored.smoothed_angles[0]);
  clean.x_max = stored.x_max;
  clean.x_min = stored.x_min;
  clean.y_max = stored.y_max;
  clean.y_min = stored.y_min;
  clean.start_direction = stored.start_direction;
  return clean;
}

}  // namespace

TemplateRecipe shipped_recipe() {
  return {{"/usr/share/fonts/truetype/roboto/unhinted/RobotoCondensed-Bold.ttf", 0.8},
          60.0,
          {'9', '8', '7', '6', '5', '4', '3', '2', '1', '0'}};
}

InkBox draw_digit(Plane& picture, const GlyphRasterizer& font, const DigitLook& look, char digit,
                  double ink_height, int x_left, int y_bottom) {
  const GlyphBitmap glyph =
      font.render(static_cast<char32_t>(digit), ink_height, HeightBasis::ink, look.horizontal_scale);
  const int y_top = y_bottom + glyph.height - 1;
  stamp_glyph(picture, glyph, x_left, y_top, kInkLevel);
  return {x_left, x_left + glyph.width - 1, y_bottom, y_top};
}

ShapeRecord trace_digit(Workspace& workspace, const GlyphRasterizer& font, const DigitLook& look, char digit,
                        double ink_height) {
  workspace.display.fill(kPaperLevel);
  draw_digit(workspace.display, font, look, digit, ink_height, kSampleLeft, kSampleBottom);
  run_recognition(workspace);
  if (workspace.candidates.count != 1) {
    std::ostringstream what;
    what << "digit " << digit << " drawn " << ink_height << " px tall from " << look.font_file.string()
         << " gave " << workspace.candidates.count << " candidates instead of one";
    throw std::runtime_error(what.str());
  }
  ShapeRecord record = without_leftovers(workspace.candidates.records[0]);
  record.character = static_cast<std::uint8_t>(digit);
  return record;
}

TemplateTable make_templates(Workspace& workspace, const TemplateRecipe& recipe) {
  const GlyphRasterizer font(recipe.look.font_file);
  TemplateTable templates{};
  for (std::size_t k = 0; k < templates.size(); ++k) {
    templates[k] = trace_digit(workspace, font, recipe.look, recipe.record_order[k], recipe.ink_height);
  }
  return templates;
}

void write_pattern_file(const std::filesystem::path& path, const TemplateTable& templates) {
  static_assert(sizeof(TemplateTable) == kPatternFileBytes);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(templates.data()),
             static_cast<std::streamsize>(kPatternFileBytes));
  file.close();
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace plate::tools
