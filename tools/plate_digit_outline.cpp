// The plate digits as centre lines: each digit is a few paths of lines and elliptical arcs in
// millimetres (x to the right, y up from the cell's bottom), and a point is inked when it lies
// within half a stroke of a path. Paths end square: past the first or last point of an open path
// nothing is inked, and everything is cut at the cell's edges, so strokes that are meant to end
// flush with the cell (the foot of a '1', the base of a '2') simply run past it.
//
// Rejected: filling outlines of the digits' edges. Centre lines and one stroke width are how plate
// lettering is constructed, and keep every stroke exactly 12 mm wide without drawing two edges.

#include "tools/plate_digit_outline.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace plate::tools {

namespace {

struct Point {
  double x, y;
};

struct Path {
  std::vector<Point> points;
  bool closed = false;

  Path& line_to(Point p) {
    points.push_back(p);
    return *this;
  }
  // An elliptical arc around (cx, cy) from angle `from` to angle `to` (degrees, counterclockwise
  // from the right; `to` below `from` runs clockwise), in steps of at most 5 degrees.
  Path& arc(double cx, double cy, double rx, double ry, double from, double to) {
    const int steps = std::max(1, static_cast<int>(std::ceil(std::abs(to - from) / 5.0)));
    for (int k = 0; k <= steps; ++k) {
      const double angle = (from + (to - from) * k / steps) * std::numbers::pi / 180.0;
      points.push_back({cx + rx * std::cos(angle), cy + ry * std::sin(angle)});
    }
    return *this;
  }
  // A quadratic Bezier curve from the last point to `end`, pulled towards `control`.
  Path& curve(Point control, Point end) {
    const Point start = points.back();
    constexpr int kSteps = 24;
    for (int k = 1; k <= kSteps; ++k) {
      const double t = double(k) / kSteps, u = 1 - t;
      points.push_back({u * u * start.x + 2 * u * t * control.x + t * t * end.x,
                        u * u * start.y + 2 * u * t * control.y + t * t * end.y});
    }
    return *this;
  }
};

using Digit = std::vector<Path>;

// Centre lines lie 6 mm inside the cell: x from 6 to 34, y from 6 to 74.
Digit construction(char digit) {
  switch (digit) {
    case '0':  // a tall oval with straight sides
      return {Path{{}, true}.arc(20, 60, 14, 14, 0, 180).arc(20, 20, 14, 14, 180, 360)};
    case '1':  // a plain bar
      return {Path{}.line_to({20, -10}).line_to({20, 90})};
    case '2':  // a round shoulder, a straight diagonal and a flat base
      return {Path{}.arc(20, 59, 14, 15, 165, -20).line_to({6, 6}), Path{}.line_to({0, 6}).line_to({50, 6})};
    case '3':  // a round top bowl; the bowls meet left of centre at mid-height
      return {Path{}.arc(20, 59.5, 13.5, 14.5, 160, -90).line_to({14, 44}),
              Path{}.line_to({13, 44}).arc(20, 25, 14, 19, 105, -155)};
    case '4':  // closed, its bar at a third of the height
      return {Path{}.line_to({28, 74}).line_to({6, 27}).line_to({50, 27}),
              Path{}.line_to({28, 90}).line_to({28, -10})};
    case '5':  // a flat top bar, a straight upper-left stem and a round lower bowl
      return {Path{}.line_to({50, 74}).line_to({8, 74}).line_to({8, 44}),
              Path{}.line_to({8, 44}).arc(20, 27, 14, 20, 125, -155)};
    case '6':  // a curved stem from the top right into a round bowl
      return {Path{}.line_to({31, 86}).curve({6, 48}, {6, 24}), Path{{}, true}.arc(20, 24, 14, 18, 0, 360)};
    case '7':  // a top bar and a straight stem
      return {Path{}.line_to({-10, 74}).line_to({34, 74}).line_to({13, -10})};
    case '8':  // the upper bowl narrower than the lower one
      return {Path{{}, true}.arc(20, 59.5, 12, 14.5, 0, 360), Path{{}, true}.arc(20, 24, 14, 18, 0, 360)};
    case '9':  // a round bowl on a straight right side that hooks left at the foot
      return {Path{{}, true}.arc(20, 55, 14, 19, 0, 360),
              Path{}.line_to({34, 55}).line_to({34, 26}).curve({34, 6}, {6, 6})};
    default:
      throw std::invalid_argument(std::string("no plate construction for '") + digit + "'");
  }
}

// Squared distance from p to the segment a-b; a negative result means p lies beyond a square end
// (before a when `square_start`, past b when `square_end`).
double squared_distance(Point p, Point a, Point b, bool square_start, bool square_end) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0.0;
  if ((square_start && t < 0) || (square_end && t > 1)) return -1.0;
  t = std::clamp(t, 0.0, 1.0);
  const double ex = p.x - (a.x + t * dx), ey = p.y - (a.y + t * dy);
  return ex * ex + ey * ey;
}

bool inked(const Digit& digit, Point p, double half_stroke) {
  if (p.x < 0 || p.x > kPlateCellWidthMm || p.y < 0 || p.y > kPlateCellHeightMm) return false;
  const double limit = half_stroke * half_stroke;
  for (const Path& path : digit) {
    const std::size_t n = path.points.size();
    const std::size_t segments = path.closed ? n : n - 1;
    for (std::size_t k = 0; k < segments; ++k) {
      const double d = squared_distance(p, path.points[k], path.points[(k + 1) % n], !path.closed && k == 0,
                                        !path.closed && k + 1 == segments);
      if (d >= 0 && d <= limit) return true;
    }
  }
  return false;
}

}  // namespace

GlyphBitmap render_plate_digit(char digit, double pixel_height, double horizontal_scale, double stroke_mm) {
  if (!(pixel_height > 0) || !(horizontal_scale > 0) || !(stroke_mm > 0))
    throw std::invalid_argument("a plate digit's size and stroke must be positive");
  const Digit paths = construction(digit);
  const double px_per_mm = pixel_height / kPlateCellHeightMm;
  const double px_per_mm_across = px_per_mm * horizontal_scale;
  const int columns = static_cast<int>(std::ceil(kPlateCellWidthMm * px_per_mm_across));
  const int rows = static_cast<int>(std::ceil(pixel_height));
  constexpr int kSamples = 4;

  std::vector<std::uint8_t> coverage(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      int hits = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const Point p{(column + (sx + 0.5) / kSamples) / px_per_mm_across,
                        kPlateCellHeightMm - (row + (sy + 0.5) / kSamples) / px_per_mm};
          hits += inked(paths, p, stroke_mm / 2);
        }
      }
      if (hits == 0) continue;
      coverage[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
               static_cast<std::size_t>(column)] =
          static_cast<std::uint8_t>(hits * 255 / (kSamples * kSamples));
    }
  }
  return crop_to_ink(coverage, columns, rows);
}

}  // namespace plate::tools
