// The seed scan looks for places where a dark character may begin: a step from bright to dark of
// more than 35 green levels between the two neighbours of a pixel, along every sixth row. A digit
// of a plate is at least about 20 rows tall at the sizes the matcher reads, so every sixth row
// crosses each digit several times, and the tracer's marks make the later crossings cheap.

#include "seed_scan.h"

#include "contour_tracer.h"
#include "proportion.h"
#include "seed_scan_rules.h"
#include "workspace.h"

namespace plate {

bool is_acceptable_outline(const ContourTrace& trace) {
  if (trace.length < kMinOutlineLength || trace.length > kMaxOutlineLength) return false;
  if (trace.turning_count != kOneCounterclockwiseLap) return false;
  const double proportion = pixel_proportion(trace.height, trace.width);
  return in_digit_window(proportion) || in_one_window(proportion);
}

namespace {

// Whether the left neighbour is brighter than the right one by more than 35 levels.
bool is_edge_step(std::int32_t left, std::int32_t right) { return left > right + kMinEdgeStep; }

}  // namespace

std::optional<Seed> find_seed(std::uint8_t left, std::uint8_t middle, std::uint8_t right, std::int32_t x) {
  const std::int32_t a = left, m = middle, b = right;
  if (!is_edge_step(a, b)) return std::nullopt;
  const std::int32_t threshold = b + (a - b) / 2;
  // Either start has a bright pixel to its left, so it lies on the left edge of the shape.
  return Seed{m <= threshold ? x : x + 1, threshold};
}

void scan_seeds(Workspace& workspace) {
  const Plane& picture = workspace.display;
  for (std::int32_t y = 0; y < kFrameHeight; y += kSeedRowSpacing) {
    const std::uint8_t* green = picture.row(y) + static_cast<int>(Channel::green);
    auto green_at = [green](std::int32_t x) { return green[kBytesPerPixel * x]; };
    for (std::int32_t x = 1; x <= kFrameWidth - 2; ++x) {
      // Nearly every window fails here, on two loads and a comparison, before the middle pixel is
      // read: the scan's 130,000 windows then cost about 60 us instead of 110.
      if (!is_edge_step(green_at(x - 1), green_at(x + 1))) continue;
      const auto seed = find_seed(green_at(x - 1), green_at(x), green_at(x + 1), x);
      // The tracer refuses starts on the outermost rows and columns, so row 0 and column 1023
      // never yield a trace.
      const ContourTrace trace = trace_contour(picture, workspace.trace_marks, workspace.current_shape,
                                               seed->start_x, y, seed->threshold);
      if (!is_acceptable_outline(trace)) continue;
      smooth_signature(workspace.current_shape);
      store_candidate(workspace.candidates, workspace.current_shape);
    }
  }
}

}  // namespace plate
