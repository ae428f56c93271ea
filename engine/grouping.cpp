// Plate grouping: which recognised digits belong to one plate.
//
// Two digits are linked when they have about the same height (within a factor of 5/4 either way),
// their centres are at most one and a half heights apart, and their bottom lines differ by at most
// a quarter height. Every pair is offered once, in list order, and a link joins the two digits'
// groups: a digit without a group takes the other's, two digits without one share a fresh id, and
// two different groups merge into the first one's id. The groups are therefore the connected parts
// of the link graph; only the id numbers, and whether a pair links at all when the two heights
// differ, depend on the order in which the seed scan found the digits (both tolerances come from
// the height of the entry that stands first in the list).
//
// A merge rewrites the given-up id by one pass over the list. Rejected alternative: a union-find
// forest would save those passes, but at 300 digits the pass is at most 300 writes per merge, and
// the plain ids keep the list readable at every step and the given-up ids exactly as they were
// handed out.

#include "grouping.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "workspace.h"

namespace plate {

namespace {

bool heights_agree(std::int32_t height_a, std::int32_t height_b) {
  return 4 * height_a <= 5 * height_b && 4 * height_b <= 5 * height_a;
}

std::int32_t take_next_group_id(RunResult& result) {
  return result.next_group_id++;
}

}  // namespace

void build_character_list(const CandidateTable& candidates, CharacterList& list) {
  std::memset(&list, 0, sizeof list);
  const std::int32_t candidate_count = std::min(candidates.count, std::int32_t{kMaxCandidates});
  for (std::int32_t c = 0; c < candidate_count; ++c) {
    const ShapeRecord& shape = candidates.records[c];
    if (shape.character == 0) continue;
    CharacterEntry& entry = list.entries[list.count++];
    entry.candidate_index = c;
    entry.group_id = 0;
    entry.x_max = shape.x_max;
    entry.x_min = shape.x_min;
    entry.y_max = shape.y_max;
    entry.y_min = shape.y_min;
    entry.x_centre = (shape.x_max + shape.x_min) / 2;
    entry.y_centre = (shape.y_max + shape.y_min) / 2;
    entry.width = shape.x_max - shape.x_min;
    entry.height = shape.y_max - shape.y_min;
  }
}

void link_pair(RunResult& result, int i, int j) {
  CharacterList& list = result.characters;
  CharacterEntry& a = list.entries[i];
  CharacterEntry& b = list.entries[j];
  // Heights come from the boxes, and both tolerances from the entry found first.
  const std::int32_t height_a = a.y_max - a.y_min;
  const std::int32_t height_b = b.y_max - b.y_min;
  if (!heights_agree(height_a, height_b)) return;
  if (std::abs(a.x_centre - b.x_centre) > (3 * height_a) / 2) return;
  if (std::abs(a.y_min - b.y_min) > height_a / 4) return;

  const std::int32_t group_a = a.group_id;
  const std::int32_t group_b = b.group_id;
  if (group_a == 0 && group_b == 0) {
    a.group_id = b.group_id = take_next_group_id(result);
  } else if (group_a == 0) {
    a.group_id = group_b;
  } else if (group_b == 0) {
    b.group_id = group_a;
  } else if (group_a != group_b) {
    // group_b is given up for good; ids are never handed out twice.
    for (std::int32_t k = 0; k < list.count; ++k) {
      if (list.entries[k].group_id == group_b) list.entries[k].group_id = group_a;
    }
  }
}

void group_characters(RunResult& result) {
  std::memset(&result.groups, 0, sizeof result.groups);
  result.next_group_id = 1;
  const std::int32_t count = result.characters.count;
  for (std::int32_t i = 0; i + 1 < count; ++i) {
    for (std::int32_t j = i + 1; j < count; ++j) link_pair(result, i, j);
  }
  // Digits that linked to nothing get their ids only now, after every id of the pair pass.
  for (std::int32_t k = 0; k < count; ++k) {
    CharacterEntry& entry = result.characters.entries[k];
    if (entry.group_id == 0) entry.group_id = take_next_group_id(result);
  }
}

int order_characters(const CharacterEntry& p, const CharacterEntry& q) {
  if (p.group_id != q.group_id) return p.group_id < q.group_id ? -1 : 1;
  if (p.x_min != q.x_min) return p.x_min < q.x_min ? -1 : 1;
  return 0;
}

void sort_characters(CharacterList& list) {
  std::sort(list.entries.begin(), list.entries.begin() + list.count,
            [](const CharacterEntry& p, const CharacterEntry& q) { return order_characters(p, q) < 0; });
}

}  // namespace plate
