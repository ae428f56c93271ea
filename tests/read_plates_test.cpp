#include "shell/read_plates.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace plate {
namespace {

struct WalkCase {
  const char* name;
  std::vector<std::int32_t> group_ids;              // of the list entries, in list order
  std::int32_t count;                               // the character count, possibly beyond the entries given
  std::vector<std::vector<std::int32_t>> expected;  // {group id, first entry, entry count}
};

// Test names in CTest show the row name rather than the row's bytes.
void PrintTo(const WalkCase& row, std::ostream* out) {
  *out << row.name;
}

class PlatesInDialogOrderTest : public ::testing::TestWithParam<WalkCase> {};

TEST_P(PlatesInDialogOrderTest, ListsEachCarriedGroupOnceWithItsEntries) {
  const WalkCase& c = GetParam();
  CharacterList list{};
  for (std::size_t i = 0; i < c.group_ids.size(); ++i) list.entries[i].group_id = c.group_ids[i];
  list.count = c.count;
  std::vector<std::vector<std::int32_t>> got;
  for (const PlateInList& p : plates_in_dialog_order(list))
    got.push_back({p.group_id, p.first_entry, p.entry_count});
  EXPECT_EQ(got, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlatesInDialogOrderTest,
    ::testing::Values(
        WalkCase{"Empty", {}, 0, {}}, WalkCase{"WithdrawnGroupsAreSkipped", {0, 0, 0}, 3, {}},
        // Group 2 was given up in a merge, group 4 withdrawn (its entries carry 0 and sort where they were).
        WalkCase{"IdsOneAndThree", {1, 1, 0, 0, 3, 3, 3, 3}, 8, {{1, 0, 2}, {3, 4, 4}}},
        WalkCase{"OnlyTheCountedEntries", {1, 2, 2, 2}, 2, {{1, 0, 1}, {2, 1, 1}}},
        WalkCase{"ACountPastTheListStopsAtItsEnd", {}, kMaxCharacters + 5, {}}),
    [](const ::testing::TestParamInfo<WalkCase>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace plate
