// Contour tracing by Moore-neighbour following with Jacob's stopping rule.
//
// The tracer walks the boundary of a dark blob. At each contour point it looks at the eight
// neighbours counterclockwise, starting just past the pixel it came from (direction d + 5), and
// moves to the first inside one. This keeps the walk on
// the outermost pixels of the blob and turns it once around it: +8 eighth-turns for the outside of
// a blob, -8 for the rim of a hole. The walk stops when it is back at the start pixel about to
// leave it in the start direction (Jacob's rule), so a pixel that the contour passes twice (a
// one-pixel-wide neck) does not end the trace early.
//
// The angle recorded with each point is the running turning count times 45 degrees: the raw
// direction signature, unwrapped, so that an outer contour ends near 360 rather than jumping
// back to 0. Matching compares these chains after smoothing.
//
// Marks: a completed outer contour marks its recorded pixels, so later seeds on the same blob are
// refused at once. Marks are written only at the end, so a failed trace leaves none; hole rims are
// never marked. Rejected alternative: marking during the walk would let a trace that fails at the
// frame's edge still block the blob, and a crossing of its own marks could not be told from a
// run into an earlier contour.

#include "contour_tracer.h"

#include <algorithm>

namespace plate {

namespace {

constexpr std::uint8_t kMark = 255;

bool is_on_or_outside_rim(std::int32_t x, std::int32_t y) {
  return x < 1 || x >= kFrameWidth - 1 || y < 1 || y >= kFrameHeight - 1;
}

// A cycle of (point, direction) states can be no longer than the number of states; contour
// following is reversible, so the start state is always reached before this. The cap only keeps
// the loop finite whatever the picture.
constexpr std::int64_t kMoveLimit = std::int64_t{kFrameWidth} * kFrameHeight * 8;

}  // namespace

ContourTrace trace_contour(const Plane& picture, Plane& marks, ShapeRecord& shape, std::int32_t x0,
                           std::int32_t y0, std::int32_t threshold) {
  constexpr ContourTrace kNoContour{0, 0, 0, 0};
  auto inside = [&](std::int32_t x, std::int32_t y) {
    return std::int32_t{picture.green_unchecked(x, y)} <= threshold;
  };
  auto marked = [&](std::int32_t x, std::int32_t y) {
    return marks.channel_unchecked(x, y, Channel::red) != 0;
  };

  if (is_on_or_outside_rim(x0, y0) || !inside(x0, y0) || marked(x0, y0)) return kNoContour;

  shape.point_count = 0;
  std::int32_t turning_count = 0;
  std::int32_t x_min = x0, x_max = x0, y_min = y0, y_max = y0;

  // Start direction: the first inside neighbour after an outside one, going counterclockwise from
  // down-left; index 8 repeats direction 0 so that a change between 7 and 0 is seen.
  int start_direction = -1;
  bool seen_outside = false;
  for (int k = 0; k <= 8; ++k) {
    const Step step = kDirections[k];
    if (!inside(x0 + step.dx, y0 + step.dy)) {
      seen_outside = true;
    } else if (seen_outside) {
      start_direction = k % 8;
      break;
    }
  }
  if (start_direction < 0) return kNoContour;
  shape.start_direction = start_direction;

  std::int32_t x = x0 + kDirections[start_direction].dx;
  std::int32_t y = y0 + kDirections[start_direction].dy;
  int direction = start_direction;
  std::int32_t length = 1;
  auto widen_box = [&] {
    x_min = std::min(x_min, x);
    x_max = std::max(x_max, x);
    y_min = std::min(y_min, y);
    y_max = std::max(y_max, y);
  };
  widen_box();

  for (;;) {
    if (marked(x, y)) return kNoContour;  // runs into a contour completed earlier in this pass
    if (shape.point_count < kMaxContourPoints) {
      shape.points[shape.point_count] = {x, y};
      shape.angles[shape.point_count] = turning_count * 45;
      ++shape.point_count;
    }
    // Tested before any neighbour of (x, y) is read, so no read ever leaves the frame.
    if (is_on_or_outside_rim(x, y)) return kNoContour;

    // The search always ends by s + 7, the step back to the previous contour point.
    const int s = (direction + 5) % 8;
    int j = s;
    while (j < s + 7 && !inside(x + kDirections[j].dx, y + kDirections[j].dy)) ++j;
    turning_count += (j - s) - 3;
    const int next_direction = j % 8;

    if (x == x0 && y == y0 && next_direction == start_direction) break;
    if (length >= kMoveLimit) return kNoContour;

    x += kDirections[next_direction].dx;
    y += kDirections[next_direction].dy;
    direction = next_direction;
    widen_box();
    ++length;
  }

  shape.x_max = x_max;
  shape.x_min = x_min;
  shape.y_max = y_max;
  shape.y_min = y_min;
  if (turning_count > 0) {
    for (int i = 0; i < shape.point_count; ++i) {
      const ContourPoint p = shape.points[i];
      marks.bytes[Plane::offset_unchecked(p.x, p.y) + static_cast<int>(Channel::red)] = kMark;
    }
  }
  return ContourTrace{length, turning_count, x_max - x_min, y_max - y_min};
}

}  // namespace plate
