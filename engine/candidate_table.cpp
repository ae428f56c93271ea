#include "candidate_table.h"

namespace plate {

namespace {

// Strict on all four sides: boxes that only meet along a row or a column do not overlap, although
// those pixels lie in both.
bool boxes_overlap(const ShapeRecord& a, const ShapeRecord& b) {
  return a.x_min < b.x_max && b.x_min < a.x_max && a.y_min < b.y_max && b.y_min < a.y_max;
}

}  // namespace

void store_candidate(CandidateTable& table, const ShapeRecord& record) {
  for (int c = 0; c < table.count; ++c) {
    if (boxes_overlap(table.records[c], record)) return;
  }
  if (table.count >= kMaxCandidates) return;
  table.records[table.count] = record;
  ++table.count;
}

}  // namespace plate
