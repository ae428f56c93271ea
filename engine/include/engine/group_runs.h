#pragma once
// The one walk over the plates of a sorted character list: every run of consecutive entries that
// carry the same group id, other than 0, is one plate, listed once in ascending group id order.

#include <algorithm>
#include <cstdint>

#include "character_list.h"

namespace plate {

struct GroupRun {
  std::int32_t group_id;     // index into the group table
  std::int32_t first_entry;  // position of the plate's left-most digit in the character list
  std::int32_t entry_count;  // its digits, left to right from first_entry
};

// Calls visit(GroupRun) for each run among the first characters.count entries (clamped to the
// list's capacity). A run's entries may be changed by `visit`: the walk has already measured it.
template <typename List, typename Visit>
void for_each_group_run(List& characters, Visit&& visit) {
  const std::int32_t count = std::clamp(characters.count, std::int32_t{0}, std::int32_t{kMaxCharacters});
  std::int32_t k = 0;
  while (k < count) {
    const std::int32_t g = characters.entries[static_cast<std::size_t>(k)].group_id;
    if (g == 0) {
      ++k;
      continue;
    }
    const std::int32_t first = k;
    while (k < count && characters.entries[static_cast<std::size_t>(k)].group_id == g) ++k;
    visit(GroupRun{g, first, k - first});
  }
}

}  // namespace plate
