#pragma once
// Making the pattern file from a recipe: per digit, where its template's outline comes from.
//
// A recipe is a small text file, one line per template in record order (the order decides ties
// between equal distances), '#' starting a comment:
//
//   <digit> font  file=FONT scale=S [embolden=E] height=H   a glyph of a typeface, squeezed to S of
//                                                           its width, thickened by E x its height,
//                                                           traced H px tall
//   <digit> drawn [scale=S] [stroke=MM] height=H            the digit in the plate's construction
//                                                           (tools/plate_digit_outline.h)
//   <digit> real  file=CANDIDATES source=ID height=H       the outline a run traced of a photographed
//                                                           plate digit drawn H px tall, taken as it
//                                                           is from a candidates file (real_shapes.h);
//                                                           the digit must have left one candidate
//
// Relative files are found from the recipe's folder.

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/template_file.h"
#include "engine/workspace.h"
#include "tools/glyph_raster.h"
#include "tools/real_shapes.h"

namespace plate::tools {

enum class OutlineSource { font, drawn, real };

struct DigitRecipe {
  char digit = '0';
  OutlineSource source = OutlineSource::drawn;
  std::filesystem::path file;  // the font (font) or the candidates file (real)
  double horizontal_scale = 1.0;
  double embolden = 0.0;
  double stroke_mm = 12.0;
  double height = 60.0;   // traced ink height (font), cell height (drawn), measured height (real)
  std::string source_id;  // real only
};

using TemplateRecipe = std::array<DigitRecipe, kTemplateCount>;  // in record order

// The recipe of the shipped data/EBMPlog00.pat.
std::filesystem::path shipped_recipe_file();

// Throws std::runtime_error naming the line for anything but ten lines of the forms above, one
// for each digit.
TemplateRecipe read_recipe(const std::filesystem::path& path);

// The recipe line that read_recipe reads back as `recipe` (files as given).
std::string recipe_line(const DigitRecipe& recipe);

// The files a recipe needs, to say what is missing before making it.
std::vector<std::filesystem::path> files_needed(const TemplateRecipe& recipe);

inline constexpr std::uint8_t kPaperLevel = 255;
inline constexpr std::uint8_t kInkLevel = 0;

struct InkBox {
  int x_min, x_max, y_min, y_max;  // plane coordinates of the rendered ink, inclusive
};

// Stamps `glyph` dark on the picture with the bottom-left corner of its ink at plane pixel
// (x_left, y_bottom); returns where the ink went.
InkBox stamp_digit(Plane& picture, const GlyphBitmap& glyph, int x_left, int y_bottom);

// The glyph of a font or drawn recipe, `height` tall. Throws what the renderers throw, and
// std::invalid_argument for a real recipe, which has no glyph.
GlyphBitmap recipe_glyph(const DigitRecipe& recipe);

// The record a recognition run makes of `glyph` stamped alone on white paper, with `character`
// set to `digit` and every entry past point_count zero. `workspace` is used as scratch (its display
// plane and run result are overwritten; its template table is left alone). Throws
// std::runtime_error when the run does not store exactly one candidate.
ShapeRecord trace_glyph(Workspace& workspace, const GlyphBitmap& glyph, char digit);

// A template straight from a candidate a run traced, with `character` set to its digit.
ShapeRecord template_from_candidate(const DigitCandidate& candidate);

// One template of the recipe. `candidates` are those already read from the recipe's candidates
// file, or nullptr to read them now. Throws std::runtime_error when a real source left no
// candidate, or more than one, at the recipe's height, or shows another digit.
ShapeRecord make_template(Workspace& workspace, const DigitRecipe& recipe,
                          const std::vector<DigitCandidate>* candidates = nullptr);

// The ten templates of `recipe`, in its record order.
TemplateTable make_templates(Workspace& workspace, const TemplateRecipe& recipe);

// Writes the table as the pattern file's byte image: exactly 164280 bytes. Throws
// std::runtime_error when the file cannot be written completely.
void write_pattern_file(const std::filesystem::path& path, const TemplateTable& templates);

}  // namespace plate::tools
