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
//
// Speed. The seed scan starts a trace at every sharp step, and most traces are not digits: the
// rims of holes (a plate's face inside its dark border, once per scanned row), the edge between a
// small picture and the black rest of the frame, which runs to the frame's rim and fails, and
// runs into earlier contours. A sample picture costs 30,000 to 310,000 moves per run, so the cost
// of one move decides the run time. The walk therefore knows a pixel by its index in the frame
// alone (one load per neighbour, no multiplication in the search, no coordinates to keep), records
// points by index and turns them into coordinates only for a contour that closes, finds a mark and
// the rim with one comparison (the marks hold the rim), and searches the neighbours with code
// specialised for each of the eight search starts, whose neighbour offsets are constants: a compare
// against memory and a branch per neighbour looked at, about four per move. A seed walk keeps no
// box, and works it out only for a contour the scan can keep. A move of a seed walk costs about 45
// instructions, against about 90 when the walk kept coordinates, a box and four rim tests.
//
// Rejected alternatives, timed with the seed scan alone over the ten samples (9.9 ms for the walk
// by coordinates, 6.2 ms for this one): a search loop over the offset table instead of the
// specialised code, 6.8 ms; a branch-free search that gathers all eight neighbours into a bit
// mask and counts its trailing zeros, 12.0 ms (against 8.0 ms for the loop, measured alike), as
// every move then waits for all eight loads before the next can start, where predicted branches
// let the processor run ahead.

#include "contour_tracer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>

#include "dead_ends.h"

namespace plate {

namespace {

bool is_on_or_outside_rim(std::int32_t x, std::int32_t y) {
  return x < 1 || x >= kFrameWidth - 1 || y < 1 || y >= kFrameHeight - 1;
}

static_assert(std::has_single_bit(unsigned{kFrameWidth}), "a pixel index splits into x and y by bits");
constexpr int kRowShift = std::countr_zero(unsigned{kFrameWidth});

constexpr ContourPoint point_of(std::uint32_t at) {
  return {std::int32_t(at & (kFrameWidth - 1)), std::int32_t(at >> kRowShift)};
}

// A cycle of (point, direction) states can be no longer than the number of states; contour
// following is reversible, so the start state is always reached before this. The cap only keeps
// the loop finite whatever the picture.
constexpr std::int64_t kMoveLimit = std::int64_t{kFrameWidth} * kFrameHeight * 8;

// kDirections as byte offsets within a Plane: a neighbour is one load from the current pixel's
// offset.
constexpr std::array<std::ptrdiff_t, 16> kStepOffsets = [] {
  std::array<std::ptrdiff_t, 16> offsets{};
  for (std::size_t k = 0; k < offsets.size(); ++k) {
    offsets[k] =
        std::ptrdiff_t{kDirections[k].dy} * kRowStride + std::ptrdiff_t{kDirections[k].dx} * kBytesPerPixel;
  }
  return offsets;
}();

// kDirections as pixel index steps within the frame.
constexpr std::array<std::ptrdiff_t, 16> kStepPixels = [] {
  std::array<std::ptrdiff_t, 16> steps{};
  for (std::size_t k = 0; k < steps.size(); ++k) {
    steps[k] = std::ptrdiff_t{kDirections[k].dy} * kFrameWidth + std::ptrdiff_t{kDirections[k].dx};
  }
  return steps;
}();

// How many steps past direction S the first inside neighbour of the pixel whose green byte is at
// `green` lies, 0..6; 7 when none of the first seven is, which leaves only the step back.
template <int S>
int first_inside_from(const std::uint8_t* green, std::int32_t threshold) {
  if (std::int32_t{green[kStepOffsets[S]]} <= threshold) return 0;
  if (std::int32_t{green[kStepOffsets[S + 1]]} <= threshold) return 1;
  if (std::int32_t{green[kStepOffsets[S + 2]]} <= threshold) return 2;
  if (std::int32_t{green[kStepOffsets[S + 3]]} <= threshold) return 3;
  if (std::int32_t{green[kStepOffsets[S + 4]]} <= threshold) return 4;
  if (std::int32_t{green[kStepOffsets[S + 5]]} <= threshold) return 5;
  if (std::int32_t{green[kStepOffsets[S + 6]]} <= threshold) return 6;
  return 7;
}

[[gnu::always_inline]] inline int first_inside(int search_start, const std::uint8_t* green,
                                               std::int32_t threshold) {
  switch (search_start) {
    case 0:
      return first_inside_from<0>(green, threshold);
    case 1:
      return first_inside_from<1>(green, threshold);
    case 2:
      return first_inside_from<2>(green, threshold);
    case 3:
      return first_inside_from<3>(green, threshold);
    case 4:
      return first_inside_from<4>(green, threshold);
    case 5:
      return first_inside_from<5>(green, threshold);
    case 6:
      return first_inside_from<6>(green, threshold);
    default:
      return first_inside_from<7>(green, threshold);
  }
}

constexpr std::int32_t kShortestKeptWalk = 100;

// The direction index of the step from one pixel to its neighbour.
int direction_of_step(ContourPoint from, ContourPoint to) {
  constexpr std::array<int, 9> kByStep{0, 1, 2, 7, -1, 3, 6, 5, 4};  // by (dy + 1) * 3 + dx + 1
  return kByStep[std::size_t((to.y - from.y + 1) * 3 + to.x - from.x + 1)];
}

// After a walk that failed at the rim, with each of its first `examined` points recorded (by pixel
// index in `visited`) and searched: keeps its states on the kept rows, each with the lowest
// threshold that keeps inside every pixel found inside from it on.
void keep_dead_end(const Plane& picture, DeadEnds& dead_ends, const std::uint32_t* visited, int examined,
                   std::int32_t x0, std::int32_t y0, std::int32_t threshold) {
  std::array<std::uint8_t, kMaxContourPoints> lowest{}, came_in_by{};
  ContourPoint previous{x0, y0};
  for (int i = 0; i < examined; ++i) {
    const ContourPoint p = point_of(visited[i]);
    const int direction = direction_of_step(previous, p);
    previous = p;
    int low = 0;  // the level of the inside pixel the search stops at; 0 for the step back
    const int s = (direction + 5) % 8;
    for (int j = s; j < s + 7; ++j) {
      const std::int32_t level = picture.green_unchecked(p.x + kDirections[j].dx, p.y + kDirections[j].dy);
      if (level <= threshold) {
        low = level;
        break;
      }
    }
    lowest[i] = std::uint8_t(low), came_in_by[i] = std::uint8_t(direction);
  }
  int low = 0;
  for (int i = examined - 1; i >= 0; --i) {
    low = std::max<int>(low, lowest[i]);
    const ContourPoint p = point_of(visited[i]);
    if (DeadEnds::is_kept_row(p.y)) dead_ends.add(p.x, p.y, came_in_by[i], low);
  }
}

// Whether a dead end of this many moves is kept: every point must be recorded, and a short walk
// costs less to repeat than to keep.
constexpr bool worth_keeping(std::int32_t length) {
  return length >= kShortestKeptWalk && length <= kMaxContourPoints;
}

// The walk records its points by pixel index, and the seed walk keeps no box while it goes: most
// seed walks fail or close round a hole, and only an outer contour of at most 1024 moves can become
// a candidate, whose box its recorded points give.
template <bool kSeedWalk>
ContourTrace walk(const Plane& picture, TraceMarks& marks, DeadEnds* dead_ends, ShapeRecord& shape,
                  std::int32_t x0, std::int32_t y0, std::int32_t threshold) {
  constexpr ContourTrace kNoContour{0, 0, 0, 0};
  // Indexed by a pixel's index in the frame (y * 1024 + x); three bytes per pixel.
  const std::uint8_t* const green = picture.bytes.data() + static_cast<int>(Channel::green);
  auto green_of = [green](std::ptrdiff_t pixel) { return green + kBytesPerPixel * pixel; };
  auto inside = [&](std::ptrdiff_t pixel, int k) {
    return std::int32_t{green_of(pixel)[kStepOffsets[std::size_t(k)]]} <= threshold;
  };

  if (is_on_or_outside_rim(x0, y0)) return kNoContour;
  const auto start_at = static_cast<std::ptrdiff_t>(TraceMarks::index(x0, y0));
  if (std::int32_t{*green_of(start_at)} > threshold || marks.is_marked_at(std::size_t(start_at)))
    return kNoContour;

  // Start direction: the first inside neighbour after an outside one, going counterclockwise from
  // down-left; index 8 repeats direction 0 so that a change between 7 and 0 is seen.
  int start_direction = -1;
  bool seen_outside = false;
  for (int k = 0; k <= 8; ++k) {
    if (!inside(start_at, k)) {
      seen_outside = true;
    } else if (seen_outside) {
      start_direction = k % 8;
      break;
    }
  }
  if (start_direction < 0) return kNoContour;
  shape.start_direction = start_direction;

  std::array<std::uint32_t, kMaxContourPoints> visited;  // the recorded points' pixel indexes
  std::int32_t turning_count = 0;
  std::int32_t x_min = x0, x_max = x0, y_min = y0, y_max = y0;  // kept by the plain walk only
  std::ptrdiff_t at = start_at + kStepPixels[start_direction];
  int direction = start_direction;
  std::int32_t length = 1;
  int point_count = 0;
  auto widen_box = [&] {
    const ContourPoint p = point_of(std::uint32_t(at));
    x_min = std::min(x_min, p.x);
    x_max = std::max(x_max, p.x);
    y_min = std::min(y_min, p.y);
    y_max = std::max(y_max, p.y);
  };
  // A seed walk that failed at the rim: a dead end.
  auto failed_at_rim = [&] {
    if constexpr (kSeedWalk) {
      // Every point but the last, on the rim, was searched.
      if (worth_keeping(length) && dead_ends->ended_here_before(std::size_t(at)))
        keep_dead_end(picture, *dead_ends, visited.data(), length - 1, x0, y0, threshold);
    }
  };
  // Asked on every move of a seed walk only while the pass has dead ends.
  const bool consult_dead_ends = kSeedWalk && dead_ends->any();
  if constexpr (!kSeedWalk) widen_box();

  // One move from the current point, which is recorded already.
  enum class Move { made, closed, failed };
  auto move = [&]() __attribute__((always_inline)) {
    // One test finds both a mark and the rim; a rim pixel's neighbours are never read, so no read
    // ever leaves the frame.
    if (marks.is_marked_or_rim_at(std::size_t(at))) {
      if (marks.is_rim_at(std::size_t(at))) failed_at_rim();
      return Move::failed;  // else it runs into an earlier contour
    }
    if (consult_dead_ends && DeadEnds::is_kept_pixel(std::size_t(at)) &&
        dead_ends->holds(std::size_t(at), direction, threshold))
      return Move::failed;

    // The search always ends by s + 7, the step back to the previous contour point.
    const int s = (direction + 5) & 7;
    const int j = s + first_inside(s, green_of(at), threshold);
    turning_count += (j - s) - 3;
    const int next_direction = j & 7;

    if (at == start_at && next_direction == start_direction) return Move::closed;
    at += kStepPixels[next_direction];
    direction = next_direction;
    if constexpr (!kSeedWalk) widen_box();
    ++length;
    return Move::made;
  };
  // The first 1024 points are recorded; a longer contour is followed to its end or to the cap.
  Move last = Move::made;
  while (last == Move::made && point_count < kMaxContourPoints) {
    visited[std::size_t(point_count)] = std::uint32_t(at);
    shape.angles[point_count] = turning_count * 45;
    ++point_count;
    last = move();
  }
  while (last == Move::made) last = length < kMoveLimit ? move() : Move::failed;
  if (last == Move::failed) return kNoContour;

  shape.point_count = point_count;
  if (turning_count > 0) {
    for (int i = 0; i < point_count; ++i) marks.mark_at(visited[std::size_t(i)]);
  }
  if constexpr (kSeedWalk) {
    if (turning_count <= 0 || length > kMaxContourPoints) return ContourTrace{length, turning_count, 0, 0};
  }
  for (int i = 0; i < point_count; ++i) shape.points[i] = point_of(visited[std::size_t(i)]);
  if constexpr (kSeedWalk) {
    // Every point is recorded, the start last.
    for (int i = 0; i < point_count; ++i) {
      x_min = std::min(x_min, shape.points[i].x);
      x_max = std::max(x_max, shape.points[i].x);
      y_min = std::min(y_min, shape.points[i].y);
      y_max = std::max(y_max, shape.points[i].y);
    }
  }
  shape.x_max = x_max;
  shape.x_min = x_min;
  shape.y_max = y_max;
  shape.y_min = y_min;
  return ContourTrace{length, turning_count, x_max - x_min, y_max - y_min};
}

}  // namespace

ContourTrace trace_contour(const Plane& picture, TraceMarks& marks, ShapeRecord& shape, std::int32_t x,
                           std::int32_t y, std::int32_t threshold) {
  return walk<false>(picture, marks, nullptr, shape, x, y, threshold);
}

ContourTrace trace_seed(const Plane& picture, TraceMarks& marks, DeadEnds& dead_ends, ShapeRecord& shape,
                        std::int32_t x, std::int32_t y, std::int32_t threshold) {
  return walk<true>(picture, marks, &dead_ends, shape, x, y, threshold);
}

}  // namespace plate
