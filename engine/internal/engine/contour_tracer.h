#pragma once
// The contour tracer: follows the outer boundary of a dark blob, pixel by pixel, and records it
// in the current Shape record.

#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/plane.h"
#include "engine/shape_record.h"
#include "trace_marks.h"

namespace plate {

struct Step {
  std::int32_t dx;
  std::int32_t dy;
};

// The eight neighbour steps, each turning 45 degrees counterclockwise (as the picture is shown)
// from the one before:
//
//      6  5  4        up-left    up    up-right
//      7  P  3        left             right
//      0  1  2        down-left  down  down-right
//
// Index k + 4 is the opposite of index k.
inline constexpr std::array<Step, 8> kNeighbourSteps = {{
    {-1, -1},
    {0, -1},
    {1, -1},
    {1, 0},
    {1, 1},
    {0, 1},
    {-1, 1},
    {-1, 0},
}};

// The same steps twice over, so that a search over eight consecutive indexes never wraps.
inline constexpr std::array<Step, 16> kDirections = [] {
  std::array<Step, 16> twice{};
  for (std::size_t k = 0; k < twice.size(); ++k) twice[k] = kNeighbourSteps[k % kNeighbourSteps.size()];
  return twice;
}();

struct ContourTrace {
  std::int32_t length;         // moves until the trace stopped back at its start; 0 = no contour
  std::int32_t turning_count;  // sum of direction changes in 45-degree units: +8 outer, -8 hole
  std::int32_t width;          // x_max - x_min of the contour
  std::int32_t height;         // y_max - y_min of the contour
};

// Traces the contour through start pixel (x, y); a pixel is inside when its green byte is at or
// below `threshold`. Fills `shape` (point_count, points, angles, box, start_direction) and, when
// the contour closes as an outer lap (turning count > 0), marks its recorded points in `marks`.
//
// Returns length 0 when no contour was traced: a start on or outside the frame's outermost rows
// and columns, an outside or already marked start, no outside-to-inside change around the start,
// a contour that runs into a marked pixel or reaches the frame's outermost rows or columns. Then
// the other outputs and `shape` hold nothing meaningful, and no mark was written.
//
// Notes:
//  1. No pixel outside the frame is ever read: the start test keeps the start's neighbours inside,
//     and every contour point is tested against the outermost rows (which `marks` holds) before
//     its neighbours are.
//  2. Only the first 1024 points are recorded; longer contours are still followed to their end.
ContourTrace trace_contour(const Plane& picture, TraceMarks& marks, ShapeRecord& shape, std::int32_t x,
                           std::int32_t y, std::int32_t threshold);

class DeadEnds;

// trace_contour for the seed scan: a walk that reaches a state of `dead_ends` returns length 0 at
// once, where trace_contour would return 0 later. Walks that fail at the rim may be added to
// `dead_ends`, which must hold only walks of this pass. Only an outer contour of at most 1024 moves,
// the only kind the scan keeps, gets its points and box in `shape` and its width and height; of
// any other the trace gives length and turning count, width and height 0, and `shape` its angles.
ContourTrace trace_seed(const Plane& picture, TraceMarks& marks, DeadEnds& dead_ends, ShapeRecord& shape,
                        std::int32_t x, std::int32_t y, std::int32_t threshold);

}  // namespace plate
