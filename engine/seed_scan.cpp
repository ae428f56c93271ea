// The seed scan looks for places where a dark character may begin: a step from bright to dark of
// more than 35 green levels between the two neighbours of a pixel, along every sixth row. A digit
// of a plate is at least about 20 rows tall at the sizes the matcher reads, so every sixth row
// crosses each digit several times, and the tracer's marks make the later crossings cheap.

#include "seed_scan.h"

#include <algorithm>

#include "contour_tracer.h"
#include "dead_ends.h"
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
bool is_edge_step(std::int32_t left, std::int32_t right) {
  return left > right + kMinEdgeStep;
}

// Whether any byte of the row at offsets from..to - 1 exceeds the byte six further on (the same
// channel two pixels to the right) by more than 35: a condition that every seed in those columns
// meets, tested on all three channels at once in a loop that the compiler vectorises, since the
// arithmetic stays in bytes (a saturating subtraction and an unsigned comparison).
bool any_edge_step(const std::uint8_t* row, int from, int to) {
  std::uint8_t any = 0;
  for (int i = from; i < to; ++i) {
    const auto lowered = static_cast<std::uint8_t>(row[i] > kMinEdgeStep ? row[i] - kMinEdgeStep : 0);
    any |= std::uint8_t(lowered > row[i + 2 * kBytesPerPixel]);
  }
  return any != 0;
}

}  // namespace

std::optional<Seed> find_seed(std::uint8_t left, std::uint8_t middle, std::uint8_t right, std::int32_t x) {
  const std::int32_t a = left, m = middle, b = right;
  if (!is_edge_step(a, b)) return std::nullopt;
  const std::int32_t threshold = b + (a - b) / 2;
  // Either start has a bright pixel to its left, so it lies on the left edge of the shape.
  return Seed{m <= threshold ? x : x + 1, threshold};
}

// Notes:
//  1. Nearly every window of a scanned row holds no seed. The row is therefore tested in blocks of
//     32 columns by any_edge_step, and only a block that passes is scanned column by column; the
//     whole scan of a seedless frame takes 25 us that way, against 75 us column by column.
//  2. The tracer refuses starts on the outermost rows and columns, so row 0 and column 1023 never
//     yield a trace.
void scan_seeds(Workspace& workspace) {
  constexpr std::int32_t kBlockColumns = 32;
  constexpr std::int32_t kLastMiddleColumn = kFrameWidth - 2;
  const Plane& picture = workspace.picture();
  workspace.dead_ends.start_pass();
  for (std::int32_t y = 0; y < kFrameHeight; y += kSeedRowSpacing) {
    const std::uint8_t* row = picture.row(y);
    auto green_at = [row](std::int32_t x) {
      return row[kBytesPerPixel * x + static_cast<int>(Channel::green)];
    };
    for (std::int32_t first = 1; first <= kLastMiddleColumn; first += kBlockColumns) {
      const std::int32_t last = std::min(first + kBlockColumns - 1, kLastMiddleColumn);
      // The left neighbours' bytes of the block's columns, all three channels.
      if (!any_edge_step(row, kBytesPerPixel * (first - 1), kBytesPerPixel * last)) continue;
      for (std::int32_t x = first; x <= last; ++x) {
        // Most columns of a passing block fail too: two loads and a comparison, before the middle.
        if (!is_edge_step(green_at(x - 1), green_at(x + 1))) continue;
        const auto seed = find_seed(green_at(x - 1), green_at(x), green_at(x + 1), x);
        const ContourTrace trace = trace_seed(picture, workspace.trace_marks, workspace.dead_ends,
                                              workspace.current_shape, seed->start_x, y, seed->threshold);
        if (!is_acceptable_outline(trace)) continue;
        smooth_signature(workspace.current_shape);
        store_candidate(workspace.candidates, workspace.current_shape);
      }
    }
  }
}

}  // namespace plate
