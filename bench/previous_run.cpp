// The run in its two earlier forms, kept only to be timed beside today's run in the same
// benchmark program.
//  * The old way: the old reset (block fills of a Plane-sized mark map, twice, and of the whole
//    candidate table) and the old tracer and seed scan over that mark map.
//  * The way before the speed-ups of the picture, the store, the smoothing and the matching
//    ("the stamped way"): the picture copied into the workspace, the count-only reset and the
//    engine's pass-stamped tracer.
// Both smooth every window anew, store whole 16 KB records and compare every candidate with every
// template in full, as the engine did then. Grouping and plate interpretation are the engine's
// own; interpretation traces with the engine's tracer, as it cannot be given the old mark map.

#include "previous_run.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

#include "engine/candidate_table.h"
#include "engine/grouping.h"
#include "engine/matching.h"
#include "engine/plate_interpretation.h"
#include "engine/seed_scan_rules.h"

namespace plate::bench {

namespace {

constexpr std::uint8_t kMark = 255;

bool is_on_or_outside_rim(std::int32_t x, std::int32_t y) {
  return x < 1 || x >= kFrameWidth - 1 || y < 1 || y >= kFrameHeight - 1;
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

int first_inside(int search_start, const std::uint8_t* green, std::int32_t threshold) {
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

}  // namespace

ContourTrace previous_trace_contour(const Plane& picture, Plane& marks, ShapeRecord& shape, std::int32_t x0,
                                    std::int32_t y0, std::int32_t threshold) {
  constexpr ContourTrace kNoContour{0, 0, 0, 0};
  // Both indexed by a pixel's byte offset in the plane.
  const std::uint8_t* const green = picture.bytes.data() + static_cast<int>(Channel::green);
  std::uint8_t* const red = marks.bytes.data() + static_cast<int>(Channel::red);
  auto inside = [&](std::ptrdiff_t at) { return std::int32_t{green[at]} <= threshold; };

  if (is_on_or_outside_rim(x0, y0)) return kNoContour;
  const auto start_at = static_cast<std::ptrdiff_t>(Plane::offset_unchecked(x0, y0));
  if (!inside(start_at) || red[start_at] != 0) return kNoContour;

  shape.point_count = 0;
  std::int32_t turning_count = 0;
  std::int32_t x_min = x0, x_max = x0, y_min = y0, y_max = y0;

  // Start direction: the first inside neighbour after an outside one, going counterclockwise from
  // down-left; index 8 repeats direction 0 so that a change between 7 and 0 is seen.
  int start_direction = -1;
  bool seen_outside = false;
  for (int k = 0; k <= 8; ++k) {
    if (!inside(start_at + kStepOffsets[k])) {
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
  std::ptrdiff_t at = start_at + kStepOffsets[start_direction];
  int direction = start_direction;
  std::int32_t length = 1;
  int point_count = 0;  // written back to the record when the walk ends, however it ends
  auto widen_box = [&] {
    x_min = std::min(x_min, x);
    x_max = std::max(x_max, x);
    y_min = std::min(y_min, y);
    y_max = std::max(y_max, y);
  };
  auto no_contour = [&] {
    shape.point_count = point_count;
    return kNoContour;
  };
  widen_box();

  for (;;) {
    if (red[at] != 0) return no_contour();  // runs into a contour completed earlier in this pass
    if (point_count < kMaxContourPoints) {
      shape.points[point_count] = {x, y};
      shape.angles[point_count] = turning_count * 45;
      ++point_count;
    }
    // Tested before any neighbour of (x, y) is read, so no read ever leaves the frame.
    if (is_on_or_outside_rim(x, y)) return no_contour();

    // The search always ends by s + 7, the step back to the previous contour point.
    const int s = (direction + 5) % 8;
    const int j = s + first_inside(s, green + at, threshold);
    turning_count += (j - s) - 3;
    const int next_direction = j % 8;

    if (at == start_at && next_direction == start_direction) break;
    if (length >= kMoveLimit) return no_contour();

    x += kDirections[next_direction].dx;
    y += kDirections[next_direction].dy;
    at += kStepOffsets[next_direction];
    direction = next_direction;
    widen_box();
    ++length;
  }

  shape.point_count = point_count;
  shape.x_max = x_max;
  shape.x_min = x_min;
  shape.y_max = y_max;
  shape.y_min = y_min;
  if (turning_count > 0) {
    for (int i = 0; i < point_count; ++i) {
      const ContourPoint p = shape.points[i];
      red[Plane::offset_unchecked(p.x, p.y)] = kMark;
    }
  }
  return ContourTrace{length, turning_count, x_max - x_min, y_max - y_min};
}

namespace {

void previous_smooth_signature(ShapeRecord& record) {
  const int n = record.point_count;
  if (n <= 0 || n > kMaxContourPoints) return;
  const int w = n < 70 ? 1 : n < 100 ? 3 : 6;
  auto lap_angle = [&](int j) {
    if (j < 0) return record.angles[n + j] - 360;
    if (j > n - 1) return record.angles[j - n] + 360;
    return record.angles[j];
  };
  for (int i = 0; i < n; ++i) {
    std::int32_t sum = 0;
    for (int j = i - w; j <= i + w; ++j) sum += lap_angle(j);
    record.smoothed_angles[i] = sum / (2 * w + 1);
  }
}

void previous_store_candidate(CandidateTable& table, const ShapeRecord& record) {
  for (int c = 0; c < table.count; ++c) {
    const ShapeRecord& a = table.records[c];
    if (a.x_min < record.x_max && record.x_min < a.x_max && a.y_min < record.y_max && record.y_min < a.y_max)
      return;
  }
  if (table.count >= kMaxCandidates) return;
  table.records[table.count] = record;
  ++table.count;
}

// The decision with every template compared in full before its windows are asked.
MatchRecord previous_match_candidate(const TemplateTable& templates, const ShapeRecord& candidate,
                                     std::array<std::int32_t, kTemplateCount>& accepted_distances) {
  MatchRecord record{kNoTemplate, kNoDistance, kNoTemplate, kNoDistance, kNoTemplate, kNoDistance, 0, 0, {}};
  std::int32_t best_distance = 32000, runner_up_distance = 32000;
  for (std::int32_t t = 0; t < kTemplateCount; ++t) {
    const ShapeRecord& template_record = templates[static_cast<std::size_t>(t)];
    accepted_distances[static_cast<std::size_t>(t)] = kNoDistance;
    const SignatureMatch match = signature_distance(template_record, candidate);
    if (match.distance >= runner_up_distance) continue;
    if (!rotation_accepted(match.rotation, template_record.character)) continue;
    if (!proportion_accepted(candidate, template_record.character)) continue;
    accepted_distances[static_cast<std::size_t>(t)] = match.distance;
    if (match.distance < best_distance) {
      record.runner_up_template = record.nearest_template;
      runner_up_distance = best_distance;
      record.nearest_template = t;
      best_distance = match.distance;
    } else {
      record.runner_up_template = t;
      runner_up_distance = match.distance;
    }
  }
  if (record.nearest_template != kNoTemplate) record.nearest_distance = best_distance;
  if (record.runner_up_template != kNoTemplate) record.runner_up_distance = runner_up_distance;
  if (best_distance < 30)
    record.matched_digit = templates[static_cast<std::size_t>(record.nearest_template)].character;
  return record;
}

void previous_decide_characters(Workspace& workspace) {
  std::fill(workspace.result.matches.begin(), workspace.result.matches.end(), MatchRecord{});
  std::array<std::int32_t, kTemplateCount> accepted;
  for (int c = 0; c < workspace.candidates.count; ++c) {
    ShapeRecord& candidate = workspace.candidates.records[c];
    MatchRecord& record = workspace.result.matches[static_cast<std::size_t>(c)];
    record = previous_match_candidate(workspace.templates, candidate, accepted);
    if (record.matched_digit == 0) continue;
    candidate.character = record.matched_digit;
    check_zero_eight(workspace.contrast, workspace.picture(), candidate);
    record.shown_digit = candidate.character;
    if (record.shown_digit == record.matched_digit) {
      record.shown_template = record.nearest_template;
      record.shown_distance = record.nearest_distance;
      continue;
    }
    for (std::int32_t t = 0; t < kTemplateCount; ++t) {
      const std::int32_t distance = accepted[static_cast<std::size_t>(t)];
      if (distance == kNoDistance ||
          workspace.templates[static_cast<std::size_t>(t)].character != record.shown_digit)
        continue;
      if (record.shown_template != kNoTemplate && distance >= record.shown_distance) continue;
      record.shown_template = t;
      record.shown_distance = distance;
    }
  }
}

bool is_edge_step(std::int32_t left, std::int32_t right) {
  return left > right + kMinEdgeStep;
}

bool any_edge_step(const std::uint8_t* row, int from, int to) {
  std::uint8_t any = 0;
  for (int i = from; i < to; ++i) {
    const auto lowered = static_cast<std::uint8_t>(row[i] > kMinEdgeStep ? row[i] - kMinEdgeStep : 0);
    any |= std::uint8_t(lowered > row[i + 2 * kBytesPerPixel]);
  }
  return any != 0;
}

// `trace` is called as trace(picture, shape, x, y, threshold).
template <typename Trace>
void previous_scan_seeds(Workspace& workspace, Trace trace) {
  constexpr std::int32_t kBlockColumns = 32;
  constexpr std::int32_t kLastMiddleColumn = kFrameWidth - 2;
  const Plane& picture = workspace.display;
  for (std::int32_t y = 0; y < kFrameHeight; y += kSeedRowSpacing) {
    const std::uint8_t* row = picture.row(y);
    auto green_at = [row](std::int32_t x) {
      return row[kBytesPerPixel * x + static_cast<int>(Channel::green)];
    };
    for (std::int32_t first = 1; first <= kLastMiddleColumn; first += kBlockColumns) {
      const std::int32_t last = std::min(first + kBlockColumns - 1, kLastMiddleColumn);
      if (!any_edge_step(row, kBytesPerPixel * (first - 1), kBytesPerPixel * last)) continue;
      for (std::int32_t x = first; x <= last; ++x) {
        if (!is_edge_step(green_at(x - 1), green_at(x + 1))) continue;
        const auto seed = find_seed(green_at(x - 1), green_at(x), green_at(x + 1), x);
        if (!is_acceptable_outline(
                trace(picture, workspace.current_shape, seed->start_x, y, seed->threshold)))
          continue;
        previous_smooth_signature(workspace.current_shape);
        previous_store_candidate(workspace.candidates, workspace.current_shape);
      }
    }
  }
}

}  // namespace

void previous_reset(Workspace& workspace, Plane& marks) {
  marks.fill(0);
  workspace.result.log.clear();
  std::memset(&workspace.candidates, 0, sizeof workspace.candidates);
}

void previous_seed_scan(Workspace& workspace, Plane& marks) {
  previous_scan_seeds(workspace, [&marks](const Plane& picture, ShapeRecord& shape, std::int32_t x,
                                          std::int32_t y, std::int32_t threshold) {
    return previous_trace_contour(picture, marks, shape, x, y, threshold);
  });
  marks.fill(0);
  workspace.trace_marks.clear_all();  // the engine's interpretation works on the engine's marks
}

namespace {

void previous_later_phases(Workspace& workspace) {
  previous_decide_characters(workspace);
  build_character_list(workspace.candidates, workspace.result.characters);
  group_characters(workspace.result);
  sort_characters(workspace.result.characters);
  interpret_plates(workspace);
}

}  // namespace

void previous_run(Workspace& workspace, Plane& marks) {
  previous_reset(workspace, marks);
  previous_seed_scan(workspace, marks);
  previous_later_phases(workspace);
}

void stamped_run(Workspace& workspace, const Plane& picture) {
  workspace.display = picture;
  workspace.trace_marks.clear_all();
  workspace.result.log.clear();
  workspace.candidates.count = 0;
  TraceMarks& marks = workspace.trace_marks;
  previous_scan_seeds(workspace, [&marks](const Plane& display, ShapeRecord& shape, std::int32_t x,
                                          std::int32_t y, std::int32_t threshold) {
    return trace_contour(display, marks, shape, x, y, threshold);
  });
  workspace.trace_marks.clear_all();
  previous_later_phases(workspace);
}

}  // namespace plate::bench
