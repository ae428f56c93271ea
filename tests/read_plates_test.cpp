#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "present/plate_order.h"

namespace plate {
namespace {

using Plates = std::vector<std::array<std::int32_t, 3>>;  // {group id, first entry, entry count}

// The plates of a character list whose first entries carry these group ids, counting `count` entries.
Plates walk(const std::vector<std::int32_t>& group_ids, std::int32_t count) {
  CharacterList list{};
  for (std::size_t i = 0; i < group_ids.size(); ++i) list.entries[i].group_id = group_ids[i];
  list.count = count;
  Plates plates;
  for (const GroupRun& p : plates_in_dialog_order(list))
    plates.push_back({p.group_id, p.first_entry, p.entry_count});
  return plates;
}

TEST(PlatesInDialogOrderTest, ListsEachCarriedGroupOnceWithItsEntries) {
  EXPECT_EQ(walk({}, 0), Plates{});
  EXPECT_EQ(walk({0, 0, 0}, 3), Plates{});  // every group withdrawn
  // Group 2 was given up in a merge, group 4 withdrawn (its entries carry 0 and sort where they were).
  EXPECT_EQ(walk({1, 1, 0, 0, 3, 3, 3, 3}, 8), (Plates{{1, 0, 2}, {3, 4, 4}}));
  EXPECT_EQ(walk({1, 2, 2, 2}, 2), (Plates{{1, 0, 1}, {2, 1, 1}}));  // only the counted entries
  EXPECT_EQ(walk({}, kMaxCharacters + 5), Plates{});                 // a count past the list stops at its end
}

}  // namespace
}  // namespace plate
