#include "candidate_table.h"

#include <algorithm>

namespace plate {

namespace {

// Strict on all four sides: boxes that only meet along a row or a column do not overlap, although
// those pixels lie in both.
bool boxes_overlap(const ShapeRecord& a, const ShapeRecord& b) {
  return a.x_min < b.x_max && b.x_min < a.x_max && a.y_min < b.y_max && b.y_min < a.y_max;
}

// Every field that anything reads: the arrays up to point_count. The 16 KB record is mostly room
// for long contours; a digit's holds 60 to 200 points, so this copies about a tenth of it, and a
// full table no longer pushes 4.9 MB through the caches before matching reads it back.
void copy_read_fields(const ShapeRecord& from, ShapeRecord& to) {
  const int n = std::clamp(from.point_count, 0, kMaxContourPoints);
  to.character = from.character;
  to.point_count = from.point_count;
  std::copy_n(from.points, n, to.points);
  std::copy_n(from.angles, n, to.angles);
  std::copy_n(from.smoothed_angles, n, to.smoothed_angles);
  to.x_max = from.x_max;
  to.x_min = from.x_min;
  to.y_max = from.y_max;
  to.y_min = from.y_min;
  to.start_direction = from.start_direction;
}

}  // namespace

void store_candidate(CandidateTable& table, const ShapeRecord& record) {
  for (int c = 0; c < table.count; ++c) {
    if (boxes_overlap(table.records[c], record)) return;
  }
  if (table.count >= kMaxCandidates) return;
  copy_read_fields(record, table.records[table.count]);
  ++table.count;
}

}  // namespace plate
