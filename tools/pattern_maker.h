#pragma once
// Making the pattern file: one traced sample of each digit, drawn from a font, becomes a template.

#include <array>
#include <filesystem>

#include "engine/template_file.h"
#include "engine/workspace.h"
#include "tools/glyph_raster.h"

namespace plate::tools {

// How the digits of a plate are drawn: a typeface and a horizontal squeeze towards the plate's
// 40 : 80 mm cell.
struct DigitLook {
  std::filesystem::path font_file;
  double horizontal_scale;
};

// How one template set is made: the look, the ink height at which each digit is traced, and
// the order of the records (which decides ties between equal distances).
struct TemplateRecipe {
  DigitLook look;
  double ink_height;
  std::array<char, kTemplateCount> record_order;
};

// The recipe of the shipped data/EBMPlog00.pat, the best of tools/template-experiment: Roboto
// Condensed Bold (fonts-roboto) squeezed to 80 % of its width, which is close to the plate's
// 40 : 80 cell and keeps the "1" near proportion 3, far from the 2.5 that no window takes;
// traced 60 px tall; records from '9' down to '0', which decided one more tie right than the
// rising order.
TemplateRecipe shipped_recipe();

inline constexpr std::uint8_t kPaperLevel = 255;
inline constexpr std::uint8_t kInkLevel = 0;

struct InkBox {
  int x_min, x_max, y_min, y_max;  // plane coordinates of the rendered ink, inclusive
};

// Draws `digit` (an ASCII '0'..'9') in `look`, `ink_height` pixels tall, dark on the picture,
// with the bottom-left corner of its ink at plane pixel (x_left, y_bottom). Returns where the
// ink went. Throws what GlyphRasterizer throws.
InkBox draw_digit(Plane& picture, const GlyphRasterizer& font, const DigitLook& look, char digit,
                  double ink_height, int x_left, int y_bottom);

// The record a recognition run makes of `digit` drawn alone on white paper, with `character`
// set and every entry past point_count zero. `workspace` is used as scratch (its display plane
// and run result are overwritten; its template table is left alone). Throws std::runtime_error
// when the run does not store exactly one candidate for the digit.
ShapeRecord trace_digit(Workspace& workspace, const GlyphRasterizer& font, const DigitLook& look, char digit,
                        double ink_height);

// The ten templates of `recipe`, in its record order.
TemplateTable make_templates(Workspace& workspace, const TemplateRecipe& recipe);

// Writes the table as the pattern file's byte image: exactly 164280 bytes. Throws
// std::runtime_error when the file cannot be written completely.
void write_pattern_file(const std::filesystem::path& path, const TemplateTable& templates);

}  // namespace plate::tools
