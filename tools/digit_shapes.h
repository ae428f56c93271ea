#pragma once
// The digits drawn as the shipped templates have them, so that rendered plates (the samples, the
// tests, accuracy_bench) show digits shaped like those the templates were chosen on, and a change
// of template shows up in the synthetic scenes too.
//
// Each digit is drawn from its recipe line: a drawn digit in the plate's construction with the
// line's width and stroke, a font glyph with the line's width and emboldening, and a real outline
// as the run traced it, taken from the pattern file's record (the record keeps the traced points),
// so that drawing needs no candidates file. A real outline is filled as the pixels the run found
// inside it and enlarged smoothly: its pixels are read as ink levels 0 and 1 at their centres,
// smoothed by [1 2 1] both ways and interpolated bilinearly, and a point is ink where the level
// reaches one half, so a straight edge stays on the pixel border and the stairs of a slanted one
// straighten. Only digits without a
// hole are taken from real outlines (tools/template_experiment.cpp): an outline has no holes.

#include <filesystem>
#include <map>
#include <memory>

#include "engine/template_file.h"
#include "tools/glyph_raster.h"
#include "tools/pattern_maker.h"

namespace plate::tools {

class DigitShapes {
 public:
  // The shapes of `recipe`; real outlines come from the record of their digit in `templates`, the
  // table made of the recipe. Throws std::runtime_error when a real line's digit has no record
  // with points in `templates`, and what the font rasterizer throws for a font line.
  DigitShapes(const TemplateRecipe& recipe, const TemplateTable& templates);
  ~DigitShapes();
  DigitShapes(DigitShapes&&) noexcept;
  DigitShapes& operator=(DigitShapes&&) noexcept;

  // data/EBMPlog00.recipe with data/EBMPlog00.pat.
  static DigitShapes shipped();

  // `digit` ('0'..'9') with its ink about `height_px` tall and `widening` times as wide as its
  // template, as coverage cropped to the ink. Throws std::invalid_argument for another character
  // or a size that is not positive.
  GlyphBitmap render(char digit, double height_px, double widening = 1.0) const;

 private:
  struct Fonts;
  TemplateRecipe recipe_;
  std::map<char, ShapeRecord> outlines_;  // the real lines' records
  std::unique_ptr<Fonts> fonts_;
};

}  // namespace plate::tools
