#pragma once
// The candidate table: the traced shapes that passed the seed scan's acceptance test, in the order
// in which they were accepted (rows from the bottom up, each row from left to right).

#include <array>
#include <cstdint>

#include "engine/shape_record.h"

namespace plate {

inline constexpr int kMaxCandidates = 300;

struct CandidateTable {
  std::array<ShapeRecord, kMaxCandidates> records;
  std::int32_t count;  // valid records at the start of `records`, 0..300
};

// Copies `record` into the next free entry unless its box overlaps, strictly, the box of a
// candidate already stored (boxes that only share a row or a column do not overlap) or the table
// is full. The candidate stored first always stays. Reports nothing. The copy holds every field
// and the arrays' first point_count entries; the entries past them are not read by anything and
// keep what an earlier run left.
void store_candidate(CandidateTable& table, const ShapeRecord& record);

}  // namespace plate
