#include "engine/grouping.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "test_pictures.h"

namespace plate {
namespace {

using testing::Box;

// A character list made from boxes in the given list order, as build_character_list makes it
// from candidates stored in that order.
class GroupingTest : public ::testing::Test {
 protected:
  void group(const std::vector<Box>& boxes) {
    CandidateTable& candidates = workspace->candidates;
    candidates.count = static_cast<std::int32_t>(boxes.size());
    for (std::size_t c = 0; c < boxes.size(); ++c) {
      ShapeRecord& shape = candidates.records[c];
      shape.character = '5';
      std::tie(shape.x_min, shape.x_max, shape.y_min, shape.y_max) =
          std::tie(boxes[c].x_min, boxes[c].x_max, boxes[c].y_min, boxes[c].y_max);
    }
    build_character_list(candidates, list());
    group_characters(workspace->result);
  }
  CharacterList& list() { return workspace->result.characters; }
  std::vector<std::int32_t> ids() { return testing::group_ids(list()); }

  std::unique_ptr<Workspace> workspace = testing::make_workspace();
};

TEST_F(GroupingTest, ListTakesOnlyRecognisedCandidatesInTableOrder) {
  group({{100, 119, 200, 239}, {300, 311, 50, 79}, {500, 521, 400, 441}});
  workspace->candidates.records[1].character = 0;
  build_character_list(workspace->candidates, list());
  ASSERT_EQ(list().count, 2);
  const CharacterEntry& e = list().entries[1];
  // The centre of 500..521 is truncated; width and height are extents minus one.
  EXPECT_EQ(std::tie(e.candidate_index, e.group_id, e.x_centre, e.y_centre, e.width, e.height),
            std::make_tuple(2, 0, 510, 420, 21, 41));
  EXPECT_EQ(list().entries[2].candidate_index, 0);  // the rest of the list is cleared
}

struct IdCase {
  const char* name;
  std::vector<Box> boxes;  // list order
  std::vector<std::int32_t> ids;
  std::int32_t next_group_id;
};

class GroupIdTest : public GroupingTest, public ::testing::WithParamInterface<IdCase> {};

// Sorted afterwards, the list holds each group together from left to right, in id order.
TEST_P(GroupIdTest, HandsOutIdsInPairOrderThenToLoneDigits) {
  const IdCase& c = GetParam();
  workspace->result.groups[7].digit_count = 3;  // left over from an earlier run
  group(c.boxes);
  EXPECT_EQ(ids(), c.ids);
  EXPECT_EQ(workspace->result.next_group_id, c.next_group_id);
  EXPECT_EQ(workspace->result.groups[7].digit_count, 0);
  sort_characters(list());
  EXPECT_TRUE(std::is_sorted(list().entries.begin(), list().entries.begin() + list().count,
                             [](const CharacterEntry& p, const CharacterEntry& q) {
                               return std::tie(p.group_id, p.x_min) < std::tie(q.group_id, q.x_min);
                             }));
}

// Two digits 20 columns wide, so that each centre lies on a whole column, the second placed
// relative to the first.
std::vector<Box> pair_of(int first_height, int second_height, int centre_distance, int bottom_distance) {
  const int x = 100 + centre_distance, y = 200 + bottom_distance;
  return {{100, 120, 200, 200 + first_height}, {x, x + 20, y, y + second_height}};
}

const std::vector<std::int32_t> kLinked{1, 1}, kApart{1, 2};

// Both tolerances come from the height of the digit that stands first in the list: 20 high, it
// links centres 30 columns apart and bottoms 5 rows apart; 25 high, 37 and 6.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Lists, GroupIdTest, ::testing::ValuesIn(std::vector<IdCase>{
    {"empty", {}, {}, 1},
    // K-L and L-M link, K-M (100 apart) does not.
    {"chain", {{100, 119, 200, 240}, {150, 169, 200, 240}, {200, 219, 200, 240}}, {1, 1, 1}, 2},
    // Links K-M, L-N, M-N: id 2 is given up for good. The two digits 30 high link as id 3.
    {"merge", {{100, 119, 200, 240}, {220, 239, 200, 240}, {150, 169, 200, 240}, {200, 219, 200, 240},
               {640, 659, 500, 530}, {600, 619, 500, 530}, {900, 919, 100, 140}}, {1, 1, 1, 1, 3, 3, 4}, 5},
    {"lone_digit_between_linked_ones", {{100, 119, 200, 240}, {130, 139, 500, 520}, {150, 169, 200, 240}},
     {1, 2, 1}, 3},
    {"heights_16_20", pair_of(16, 20, 0, 0), kLinked, 2},
    {"heights_16_21", pair_of(16, 21, 0, 0), kApart, 3},
    {"heights_21_16", pair_of(21, 16, 0, 0), kApart, 3},
    {"spacing_30_of_20", pair_of(20, 25, 30, 0), kLinked, 2},
    {"spacing_31_of_20", pair_of(20, 25, 31, 0), kApart, 3},
    {"baseline_5_of_20", pair_of(20, 25, 0, 5), kLinked, 2},
    {"baseline_6_of_20", pair_of(20, 25, 0, 6), kApart, 3},
    {"spacing_37_of_25", pair_of(25, 20, 37, 0), kLinked, 2},
    {"spacing_38_of_25", pair_of(25, 20, 38, 0), kApart, 3},
    {"baseline_6_of_25", pair_of(25, 20, 0, 6), kLinked, 2},
    {"baseline_7_of_25", pair_of(25, 20, 0, 7), kApart, 3}}), testing::row_name);
// clang-format on

}  // namespace
}  // namespace plate
