#include <gtest/gtest.h>

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
  std::vector<RunPlate> plates(2);
  plates[0] = {1, 4, {100, 300, 200, 260}, "12-34", {}, 0};  // x 100..300, plane rows 200..260
  plates[1] = {3, 4, {400, 600, 300, 340}, "56-78", {}, 0};
  const std::vector<OverlayItem> items = plan_overlay(plates);
  ASSERT_EQ(items.size(), 2u);
  const std::vector<std::pair<int, int>> path{{100, 567}, {300, 567}, {300, 507}, {100, 507}, {100, 567}};
  EXPECT_EQ(xy(items[0].frame_path), path);
  EXPECT_EQ(xy({&items[0].label_origin, 1}), (std::vector<std::pair<int, int>>{{100, 571}}));
  EXPECT_EQ(items[0].label, "12-34");
  EXPECT_EQ(items[1].group_id, 3);
  EXPECT_EQ(items[1].label, "56-78");
  EXPECT_TRUE(plan_overlay({}).empty());
}

}  // namespace
}  // namespace plate
