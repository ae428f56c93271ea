#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "shell/overlay_plan.h"

namespace plate {
namespace {

void set_group(GroupTable& groups, int id, int x_min, int x_max, int y_min, int y_max, const char* text) {
  GroupEntry& group = groups[static_cast<std::size_t>(id)];
  group = {4, x_max, x_min, y_max, y_min, {}};
  std::strncpy(group.text, text, sizeof group.text - 1);
}

std::vector<std::pair<int, int>> xy(std::span<const WindowPoint> points) {
  std::vector<std::pair<int, int>> pairs;
  for (const WindowPoint& p : points) pairs.emplace_back(p.x, p.y);
  return pairs;
}

TEST(OverlayPlanTest, FramesThePlateFromTheLowerLeftAndLabelsItFourRowsBelow) {
  auto groups = std::make_unique<GroupTable>();
  set_group(*groups, 1, 100, 300, 200, 260, "12-34");
  const std::vector<OverlayItem> items = plan_overlay(*groups, 2);
  ASSERT_EQ(items.size(), 1u);
  const std::vector<std::pair<int, int>> expected{{100, 567}, {300, 567}, {300, 507}, {100, 507}, {100, 567}};
  EXPECT_EQ(xy(items[0].frame_path), expected);
  EXPECT_EQ(xy({&items[0].label_origin, 1}), (std::vector<std::pair<int, int>>{{100, 571}}));
  EXPECT_EQ(items[0].label, "12-34");
}

TEST(OverlayPlanTest, SkipsIdsGivenUpInAMergeAndWithdrawnGroups) {
  auto groups = std::make_unique<GroupTable>();
  set_group(*groups, 1, 10, 90, 10, 40, "12");
  set_group(*groups, 3, 400, 600, 300, 340, "56-78");
  set_group(*groups, 4, 700, 800, 300, 340, "9");
  (*groups)[4].digit_count = 0;  // withdrawn by plate interpretation
  const std::vector<OverlayItem> items = plan_overlay(*groups, 5);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].group_id, 1);
  EXPECT_EQ(items[1].group_id, 3);
}

TEST(OverlayPlanTest, PlansNothingBeforeTheFirstRunOrAfterADrop) {
  auto groups = std::make_unique<GroupTable>();
  set_group(*groups, 1, 100, 300, 200, 260, "12-34");
  EXPECT_TRUE(plan_overlay(*groups, 0).empty());  // the workspace as the program starts
  EXPECT_TRUE(plan_overlay(*groups, 1).empty());  // a run that found no digit
  *groups = {};                                   // a drop clears the table, not the next id
  EXPECT_TRUE(plan_overlay(*groups, 2).empty());
}

}  // namespace
}  // namespace plate
