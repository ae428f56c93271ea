#include "engine/grouping.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "test_pictures.h"

namespace plate {
namespace {

struct Box {
  std::int32_t x_min, x_max, y_min, y_max;
};

// A character list made directly from boxes, in the given list order, as build_character_list
// would make it from candidates stored in that order.
class GroupingTest : public ::testing::Test {
 protected:
  void use_boxes(const std::vector<Box>& boxes) {
    CandidateTable& candidates = workspace->candidates;
    candidates.count = static_cast<std::int32_t>(boxes.size());
    for (std::size_t c = 0; c < boxes.size(); ++c) {
      ShapeRecord& shape = candidates.records[c];
      shape.character = '5';
      shape.x_min = boxes[c].x_min;
      shape.x_max = boxes[c].x_max;
      shape.y_min = boxes[c].y_min;
      shape.y_max = boxes[c].y_max;
    }
    build_character_list(candidates, result().characters);
  }
  void group() { group_characters(result()); }
  std::int32_t id(int position) const { return workspace->result.characters.entries[position].group_id; }
  RunResult& result() { return workspace->result; }

  std::unique_ptr<Workspace> workspace = testing::make_workspace();
};

TEST_F(GroupingTest, ListTakesOnlyRecognisedCandidatesInTableOrder) {
  use_boxes({{100, 119, 200, 239}, {300, 311, 50, 79}, {500, 521, 400, 441}});
  workspace->candidates.records[1].character = 0;
  build_character_list(workspace->candidates, result().characters);
  const CharacterList& list = result().characters;
  ASSERT_EQ(list.count, 2);
  const CharacterEntry& e = list.entries[1];
  EXPECT_EQ(e.candidate_index, 2);
  EXPECT_EQ(e.group_id, 0);
  EXPECT_EQ(e.x_centre, 510);  // (521 + 500) / 2, truncated
  EXPECT_EQ(e.y_centre, 420);
  EXPECT_EQ(e.width, 21);
  EXPECT_EQ(e.height, 41);
  EXPECT_EQ(list.entries[2].candidate_index, 0);  // the rest of the list is cleared
}

struct IdCase {
  const char* name;
  std::vector<Box> boxes;  // list order
  std::vector<std::int32_t> ids;
  std::int32_t next_group_id;
};

class GroupIdTest : public GroupingTest, public ::testing::WithParamInterface<IdCase> {};

TEST_P(GroupIdTest, HandsOutIdsInPairOrderThenToLoneDigits) {
  const IdCase& c = GetParam();
  result().groups[7].digit_count = 3;  // left over from an earlier run
  use_boxes(c.boxes);
  group();
  std::vector<std::int32_t> ids;
  for (int k = 0; k < result().characters.count; ++k) ids.push_back(id(k));
  EXPECT_EQ(ids, c.ids);
  EXPECT_EQ(result().next_group_id, c.next_group_id);
  EXPECT_EQ(result().groups[7].digit_count, 0);
}

// All digits 40 high but the lone one: spacing tolerance 60, baseline tolerance 10.
INSTANTIATE_TEST_SUITE_P(
    Lists, GroupIdTest,
    ::testing::Values(
        IdCase{"empty", {}, {}, 1}, IdCase{"single", {{100, 119, 200, 239}}, {1}, 2},
        // K-L and L-M link, K-M (100 apart) does not.
        IdCase{"chain", {{100, 119, 200, 240}, {150, 169, 200, 240}, {200, 219, 200, 240}}, {1, 1, 1}, 2},
        // Links K-M, L-N, M-N only: id 2 is given up for good.
        IdCase{"merge",
               {{100, 119, 200, 240}, {220, 239, 200, 240}, {150, 169, 200, 240}, {200, 219, 200, 240}},
               {1, 1, 1, 1},
               3},
        IdCase{"lone_digit_between_linked_ones",
               {{100, 119, 200, 240}, {130, 139, 500, 520}, {150, 169, 200, 240}},
               {1, 2, 1},
               3}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(GroupingTest, ThreeHundredLoneDigitsGetIdsOneToThreeHundred) {
  std::vector<Box> boxes;
  for (int k = 0; k < kMaxCharacters; ++k)
    boxes.push_back({(k % 20) * 50, (k % 20) * 50 + 9, (k / 20) * 50, (k / 20) * 50 + 19});
  use_boxes(boxes);
  group();
  for (int k = 0; k < kMaxCharacters; ++k) ASSERT_EQ(id(k), k + 1);
  EXPECT_EQ(result().next_group_id, 301);
}

struct PairCase {
  const char* name;
  std::int32_t first_height, second_height;
  std::int32_t centre_distance, bottom_distance;
  bool linked;
};

class LinkPairTest : public GroupingTest, public ::testing::WithParamInterface<PairCase> {};

// Both tolerances come from the height of the digit that stands first in the list.
TEST_P(LinkPairTest, LinksWithinTheFirstDigitsTolerances) {
  const PairCase& c = GetParam();
  // Even widths keep each centre on a whole column: x_centre = x_min + 10.
  const std::int32_t second_x = 100 + c.centre_distance, second_y = 200 + c.bottom_distance;
  use_boxes({{100, 120, 200, 200 + c.first_height},
             {second_x, second_x + 20, second_y, second_y + c.second_height}});
  group();
  EXPECT_EQ(id(0) == id(1), c.linked);
}

INSTANTIATE_TEST_SUITE_P(Tolerances, LinkPairTest,
                         ::testing::Values(PairCase{"heights_16_20", 16, 20, 0, 0, true},
                                           PairCase{"heights_16_21", 16, 21, 0, 0, false},
                                           PairCase{"heights_21_16", 21, 16, 0, 0, false},
                                           PairCase{"spacing_30_of_20", 20, 25, 30, 0, true},
                                           PairCase{"spacing_31_of_20", 20, 25, 31, 0, false},
                                           PairCase{"spacing_left_31_of_20", 20, 25, -31, 0, false},
                                           PairCase{"baseline_5_of_20", 20, 25, 0, 5, true},
                                           PairCase{"baseline_6_of_20", 20, 25, 0, 6, false},
                                           PairCase{"baseline_below_6_of_20", 20, 25, 0, -6, false},
                                           PairCase{"spacing_37_of_25", 25, 20, 37, 0, true},
                                           PairCase{"spacing_38_of_25", 25, 20, 38, 0, false},
                                           PairCase{"baseline_6_of_25", 25, 20, 0, 6, true},
                                           PairCase{"baseline_7_of_25", 25, 20, 0, 7, false}),
                         [](const auto& row) { return std::string(row.param.name); });

// Groups as sets of boxes, independent of ids and list positions.
std::set<std::set<std::int32_t>> plates_by_x_min(const CharacterList& list) {
  std::map<std::int32_t, std::set<std::int32_t>> by_id;
  for (int k = 0; k < list.count; ++k) by_id[list.entries[k].group_id].insert(list.entries[k].x_min);
  std::set<std::set<std::int32_t>> plates;
  for (const auto& [group_id, members] : by_id) plates.insert(members);
  return plates;
}

// Equal heights make the tolerances symmetric; the plates are then the connected parts of the
// link graph, whatever order the seed scan found the digits in.
TEST_F(GroupingTest, SamePlatesWhateverTheListOrderAndSortedTogether) {
  std::vector<Box> boxes;
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 9; ++col) {
      // Chains of four (gaps of 55 link, 61 do not), so shuffled orders must merge groups; rows
      // stand at least 19 rows apart, past the baseline tolerance.
      const std::int32_t x = 20 + col * 55 + (col / 4) * 6 + row * 3;
      const std::int32_t y = 100 + row * 30 + (row % 2) * 11;
      boxes.push_back({x, x + 19, y, y + 40});
    }
  }
  use_boxes(boxes);
  group();
  const auto expected = plates_by_x_min(result().characters);
  EXPECT_GT(expected.size(), 4u);
  EXPECT_LT(expected.size(), boxes.size());

  std::vector<std::size_t> order(boxes.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
  for (const unsigned seed : {1u, 2u, 3u, 4u, 5u}) {
    std::vector<std::size_t> shuffled = order;
    for (std::size_t k = shuffled.size() - 1; k > 0; --k)
      std::swap(shuffled[k], shuffled[(k * 7919u + seed * 104729u) % (k + 1)]);
    std::vector<Box> reordered;
    for (const std::size_t k : shuffled) reordered.push_back(boxes[k]);
    use_boxes(reordered);
    group();
    EXPECT_EQ(plates_by_x_min(result().characters), expected) << "seed " << seed;
    // Sorted, each group stands together from left to right.
    sort_characters(result().characters);
    const auto& entries = result().characters.entries;
    EXPECT_TRUE(std::is_sorted(entries.begin(), entries.begin() + result().characters.count,
                               [](const CharacterEntry& p, const CharacterEntry& q) {
                                 return p.group_id != q.group_id ? p.group_id < q.group_id
                                                                 : p.x_min < q.x_min;
                               }));
  }
}

TEST_F(GroupingTest, SortingListsGroupsInIdOrderEachFromLeftToRight) {
  // (300, 250) take id 1, (160, 200) id 2, then (250, 200) merges group 2 into group 1.
  use_boxes({{300, 319, 200, 240},
             {160, 179, 200, 240},
             {250, 269, 200, 240},
             {200, 219, 200, 240},
             {640, 659, 500, 530},
             {600, 619, 500, 530},
             {900, 919, 100, 140}});
  group();
  sort_characters(result().characters);
  const CharacterList& list = result().characters;
  std::vector<std::pair<std::int32_t, std::int32_t>> order;
  for (int k = 0; k < list.count; ++k) order.emplace_back(list.entries[k].group_id, list.entries[k].x_min);
  const std::vector<std::pair<std::int32_t, std::int32_t>> expected = {{1, 160}, {1, 200}, {1, 250}, {1, 300},
                                                                       {3, 600}, {3, 640}, {4, 900}};
  EXPECT_EQ(order, expected);
}

}  // namespace
}  // namespace plate
