#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "engine/run_plates.h"

namespace plate {
namespace {

using Plates = std::vector<std::array<std::int32_t, 2>>;  // {group id, digits listed}

// The plates of a result whose character list's first entries carry these group ids, counting
// `count` entries; every group read, with the text "7".
Plates walk(const std::vector<std::int32_t>& group_ids, std::int32_t count) {
  const auto result = std::make_unique<RunResult>();
  for (std::size_t i = 0; i < group_ids.size(); ++i) result->characters.entries[i].group_id = group_ids[i];
  result->characters.count = count;
  for (GroupEntry& group : result->groups) group = {1, 0, 0, 0, 0, "7"};
  Plates plates;
  for (const RunPlate& p : plates_in_dialog_order(*result))
    plates.push_back({p.group_id, static_cast<std::int32_t>(p.characters.size())});
  return plates;
}

TEST(PlatesInDialogOrderTest, ListsEachCarriedGroupOnceWithItsEntries) {
  EXPECT_EQ(walk({}, 0), Plates{});
  EXPECT_EQ(walk({0, 0, 0}, 3), Plates{});  // every group withdrawn
  // Group 2 was given up in a merge, group 4 withdrawn (its entries carry 0 and sort where they were).
  EXPECT_EQ(walk({1, 1, 0, 0, 3, 3, 3, 3}, 8), (Plates{{1, 2}, {3, 4}}));
  EXPECT_EQ(walk({1, 2, 2, 2}, 2), (Plates{{1, 1}, {2, 1}}));        // only the counted entries
  EXPECT_EQ(walk({}, kMaxCharacters + 5), Plates{});                 // a count past the list stops at its end
  EXPECT_EQ(walk({kMaxGroupId + 1, kMaxGroupId + 1}, 2), Plates{});  // an id outside the group table
}

TEST(PlatesInDialogOrderTest, CarriesTextBoxesAndTheWorstVouchingDistance) {
  const auto result = std::make_unique<RunResult>();
  result->characters.count = 2;
  result->characters.entries[0] = {5, 1, 19, 10, 40, 20, 0, 0, 0, 0};
  result->characters.entries[1] = {6, 1, 39, 30, 40, 20, 0, 0, 0, 0};
  result->groups[1] = {2, 39, 10, 40, 20, "\xA5\xA5\x31\x32"};
  result->matches[5] = {0, 12, kNoTemplate, kNoDistance, 0, 12, '1', '1', {}};
  // The 0/8 check turned an '8' into a '0' whose template the windows refused: the distance that
  // vouches for it is the '8' template's.
  result->matches[6] = {8, 17, kNoTemplate, kNoDistance, kNoTemplate, kNoDistance, '8', '0', {}};
  const std::vector<RunPlate> plates = plates_in_dialog_order(*result);
  ASSERT_EQ(plates.size(), 1u);
  EXPECT_EQ(plates[0].text, "\xA5\xA5\x31\x32");
  EXPECT_EQ(plates[0].frame, (FrameBox{10, 39, 20, 40}));
  ASSERT_EQ(plates[0].characters.size(), 2u);
  EXPECT_EQ(plates[0].characters[1].box, (FrameBox{30, 39, 20, 40}));
  EXPECT_EQ(plates[0].worst_distance, 17);
}

}  // namespace
}  // namespace plate
