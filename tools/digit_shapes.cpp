#include "tools/digit_shapes.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/plate_digit_outline.h"

namespace plate::tools {

namespace {

// The pixels the run found inside a traced outline: 1 inside or on it, 0 outside; row 0 is the
// box's top row (y_max), as glyph rows run.
//  1. A pixel centre is inside when a ray to its left crosses the polygon through the contour's
//     pixel centres an odd number of times; an edge counts for the rows from its lower end up to,
//     not including, its upper end, so a vertex on the row is counted once.
//  2. The contour's own pixels are inside as well: the polygon through their centres leaves half
//     of each out, and a one-pixel spur none of it.
std::vector<std::uint8_t> pixels_inside(const ShapeRecord& outline, int width, int height) {
  std::vector<std::uint8_t> mask(std::size_t(width) * std::size_t(height), 0);
  const auto at = [&](int x, int y) -> std::uint8_t& {
    return mask[std::size_t(outline.y_max - y) * std::size_t(width) + std::size_t(x - outline.x_min)];
  };
  const int n = outline.point_count;
  std::vector<double> crossings;
  for (int y = outline.y_min; y <= outline.y_max; ++y) {
    crossings.clear();
    for (int k = 0; k < n; ++k) {
      const ContourPoint a = outline.points[k], b = outline.points[(k + 1) % n];
      if ((a.y > y) == (b.y > y)) continue;
      crossings.push_back(a.x + double(y - a.y) * (b.x - a.x) / double(b.y - a.y));
    }
    for (int x = outline.x_min; x <= outline.x_max; ++x) {
      const auto left = std::count_if(crossings.begin(), crossings.end(), [&](double c) { return c < x; });
      if (left % 2 == 1) at(x, y) = 1;
    }
  }
  for (int k = 0; k < n; ++k) {
    const ContourPoint p = outline.points[k];
    if (p.x >= outline.x_min && p.x <= outline.x_max && p.y >= outline.y_min && p.y <= outline.y_max)
      at(p.x, p.y) = 1;
  }
  return mask;
}

// The outline's pixels enlarged to `height_px` (and `widening` times as wide), as 4 x 4-sampled
// coverage: ink where the bilinear interpolation of the pixels' smoothed levels reaches one half.
GlyphBitmap render_outline(const ShapeRecord& outline, double height_px, double widening) {
  const int width = outline.x_max - outline.x_min + 1, height = outline.y_max - outline.y_min + 1;
  const std::vector<std::uint8_t> mask = pixels_inside(outline, width, height);
  const auto inside = [&](int x, int y) {
    return x < 0 || y < 0 || x >= width || y >= height
               ? 0
               : mask[std::size_t(y) * std::size_t(width) + std::size_t(x)];
  };
  // The levels smoothed by [1 2 1] both ways (in sixteenths), which straightens the stairs of a
  // slanted edge and keeps a straight one where it was.
  std::vector<int> smoothed(std::size_t(width + 2) * std::size_t(height + 2));
  for (int y = -1; y <= height; ++y)
    for (int x = -1; x <= width; ++x) {
      int sum = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
          sum += inside(x + dx, y + dy) * (2 - std::abs(dx)) * (2 - std::abs(dy));
      smoothed[std::size_t(y + 1) * std::size_t(width + 2) + std::size_t(x + 1)] = sum;
    }
  const auto level = [&](int x, int y) {
    return x < -1 || y < -1 || x > width || y > height
               ? 0.0
               : smoothed[std::size_t(y + 1) * std::size_t(width + 2) + std::size_t(x + 1)] / 16.0;
  };
  const double down = height_px / height, across = down * widening;  // target pixels per outline pixel
  const int columns = static_cast<int>(std::ceil(width * across)),
            rows = static_cast<int>(std::ceil(height_px));
  constexpr int kSamples = 4;
  std::vector<std::uint8_t> coverage(std::size_t(columns) * std::size_t(rows));
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      int hits = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const double u = (column + (sx + 0.5) / kSamples) / across - 0.5;  // outline pixel centres
          const double v = (row + (sy + 0.5) / kSamples) / down - 0.5;       // lie on whole numbers
          const int x0 = static_cast<int>(std::floor(u)), y0 = static_cast<int>(std::floor(v));
          const double fx = u - x0, fy = v - y0;
          const double value = level(x0, y0) * (1 - fx) * (1 - fy) + level(x0 + 1, y0) * fx * (1 - fy) +
                               level(x0, y0 + 1) * (1 - fx) * fy + level(x0 + 1, y0 + 1) * fx * fy;
          hits += value >= 0.5;
        }
      }
      coverage[std::size_t(row) * std::size_t(columns) + std::size_t(column)] =
          static_cast<std::uint8_t>(hits * 255 / (kSamples * kSamples));
    }
  }
  return crop_to_ink(coverage, columns, rows);
}

}  // namespace

struct DigitShapes::Fonts {
  std::map<std::filesystem::path, GlyphRasterizer> opened;
};

DigitShapes::DigitShapes(const TemplateRecipe& recipe, const TemplateTable& templates)
    : recipe_(recipe), fonts_(std::make_unique<Fonts>()) {
  for (const DigitRecipe& line : recipe_) {
    if (line.source == OutlineSource::font && !fonts_->opened.contains(line.file))
      fonts_->opened.emplace(line.file, GlyphRasterizer(line.file));
    if (line.source != OutlineSource::real) continue;
    const auto record = std::find_if(templates.begin(), templates.end(), [&](const ShapeRecord& r) {
      return r.character == static_cast<std::uint8_t>(line.digit) && r.point_count > 0;
    });
    if (record == templates.end())
      throw std::runtime_error(std::string("no template of '") + line.digit +
                               "' to draw its real outline from");
    outlines_.emplace(line.digit, *record);
  }
}

DigitShapes::~DigitShapes() = default;
DigitShapes::DigitShapes(DigitShapes&&) noexcept = default;
DigitShapes& DigitShapes::operator=(DigitShapes&&) noexcept = default;

DigitShapes DigitShapes::shipped() {
  const TemplateRecipe recipe = read_recipe(shipped_recipe_file());
  auto templates = std::make_unique<TemplateTable>();
  const auto file = shipped_recipe_file().parent_path() / kPatternFileName;
  if (!load_template_file(*templates, file).loaded())
    throw std::runtime_error("cannot load " + file.string());
  return DigitShapes(recipe, *templates);
}

GlyphBitmap DigitShapes::render(char digit, double height_px, double widening) const {
  if (digit < '0' || digit > '9')
    throw std::invalid_argument(std::string("no digit shape for '") + digit + "'");
  if (!(height_px > 0) || !(widening > 0)) throw std::invalid_argument("a digit's size must be positive");
  const DigitRecipe& line =
      *std::find_if(recipe_.begin(), recipe_.end(), [&](const DigitRecipe& r) { return r.digit == digit; });
  switch (line.source) {
    case OutlineSource::drawn:
      return render_plate_digit(digit, height_px, line.horizontal_scale * widening, line.stroke_mm);
    case OutlineSource::font:
      return fonts_->opened.at(line.file).render(static_cast<char32_t>(digit), height_px, HeightBasis::ink,
                                                 line.horizontal_scale * widening, line.embolden);
    case OutlineSource::real:
      break;
  }
  return render_outline(outlines_.at(digit), height_px, widening);
}

}  // namespace plate::tools
