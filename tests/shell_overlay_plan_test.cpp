#include <gtest/gtest.h>

#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "present/overlay_plan.h"

namespace plate {
namespace {

std::vector<std::pair<int, int>> xy(std::span<const WindowPoint> points) {
  std::vector<std::pair<int, int>> pairs;
  for (const WindowPoint& p : points) pairs.emplace_back(p.x, p.y);
  return pairs;
}

TEST(OverlayPlanTest, FramesEachPlateFromTheLowerLeftAndLabelsItFourRowsBelow) {
  auto groups = std::make_unique<GroupTable>();
  (*groups)[1] = {4, 300, 100, 260, 200, "12-34"};  // x 100..300, plane rows 200..260
  (*groups)[3] = {4, 600, 400, 340, 300, "56-78"};  // 2 was given up in a merge
  (*groups)[4] = {0, 800, 700, 340, 300, "9"};      // withdrawn by plate interpretation
  const std::vector<OverlayItem> items = plan_overlay(*groups, 5);
  ASSERT_EQ(items.size(), 2u);
  const std::vector<std::pair<int, int>> path{{100, 567}, {300, 567}, {300, 507}, {100, 507}, {100, 567}};
  EXPECT_EQ(xy(items[0].frame_path), path);
  EXPECT_EQ(xy({&items[0].label_origin, 1}), (std::vector<std::pair<int, int>>{{100, 571}}));
  EXPECT_EQ(items[0].label, "12-34");
  EXPECT_EQ(items[1].group_id, 3);
  EXPECT_EQ(items[1].label, "56-78");

  EXPECT_TRUE(plan_overlay(*groups, 0).empty());  // the workspace as the program starts
  EXPECT_TRUE(plan_overlay(*groups, 1).empty());  // a run that found no digit
  *groups = {};                                   // a drop clears the table, not the next id
  EXPECT_TRUE(plan_overlay(*groups, 5).empty());
}

}  // namespace
}  // namespace plate
