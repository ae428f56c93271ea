#include "engine/seed_scan.h"

#include <gtest/gtest.h>

#include "engine/seed_scan_rules.h"
#include "test_pictures.h"

namespace plate {
namespace {

using testing::fill_box;

struct SeedCase {
  const char* name;
  std::uint8_t left, middle, right;
  bool seeded;
  std::int32_t start_x;  // for middle column x = 10
  std::int32_t threshold;
};

class FindSeedTest : public ::testing::TestWithParam<SeedCase> {};

TEST_P(FindSeedTest, SeedsOnlyOnSharpBrightToDarkSteps) {
  const SeedCase& c = GetParam();
  const auto seed = find_seed(c.left, c.middle, c.right, 10);
  ASSERT_EQ(seed.has_value(), c.seeded);
  if (!seed) return;
  EXPECT_EQ(seed->start_x, c.start_x);
  EXPECT_EQ(seed->threshold, c.threshold);
}

INSTANTIATE_TEST_SUITE_P(Steps, FindSeedTest,
                         ::testing::Values(SeedCase{"middle_already_dark", 200, 150, 100, true, 10, 150},
                                           SeedCase{"middle_still_bright", 200, 151, 100, true, 11, 150},
                                           SeedCase{"step_of_35", 135, 120, 100, false, 0, 0},
                                           SeedCase{"step_of_36", 136, 120, 100, true, 11, 118},
                                           SeedCase{"odd_step_rounds_down", 255, 0, 0, true, 10, 127},
                                           SeedCase{"dark_to_bright", 100, 150, 200, false, 0, 0},
                                           SeedCase{"uniform", 90, 90, 90, false, 0, 0}),
                         [](const auto& row) { return std::string(row.param.name); });

struct OutlineCase {
  const char* name;
  ContourTrace trace;
  bool accepted;
};

class AcceptOutlineTest : public ::testing::TestWithParam<OutlineCase> {};

TEST_P(AcceptOutlineTest, KeepsDigitSizedCounterclockwiseLaps) {
  EXPECT_EQ(is_acceptable_outline(GetParam().trace), GetParam().accepted);
}

// Height and width are extents minus one: 25 rows by 10 columns is height 24, width 9.
INSTANTIATE_TEST_SUITE_P(
    Bounds, AcceptOutlineTest,
    ::testing::Values(
        OutlineCase{"length_14", {14, 8, 9, 23}, false}, OutlineCase{"length_15", {15, 8, 9, 23}, true},
        OutlineCase{"length_1024", {1024, 8, 9, 23}, true},
        OutlineCase{"length_1025", {1025, 8, 9, 23}, false}, OutlineCase{"no_contour", {0, 8, 9, 23}, false},
        OutlineCase{"hole_rim", {100, -8, 9, 23}, false}, OutlineCase{"turning_16", {100, 16, 9, 23}, false},
        OutlineCase{"ratio_2_5", {100, 8, 9, 24}, false}, OutlineCase{"ratio_2_6", {100, 8, 9, 25}, true},
        OutlineCase{"ratio_2_4", {100, 8, 9, 23}, true}, OutlineCase{"ratio_1_3", {100, 8, 9, 12}, false},
        OutlineCase{"ratio_1_4", {100, 8, 9, 13}, true}, OutlineCase{"ratio_10", {100, 8, 9, 99}, false},
        OutlineCase{"ratio_9_9", {100, 8, 9, 98}, true}),
    [](const auto& row) { return std::string(row.param.name); });

class ScanSeedsTest : public ::testing::Test {
 protected:
  void SetUp() override { workspace->display.fill(255); }
  void scan() {
    workspace->trace_marks.fill(0);
    workspace->candidates.count = 0;
    scan_seeds(*workspace);
  }
  std::unique_ptr<Workspace> workspace = testing::make_workspace();
};

TEST_F(ScanSeedsTest, UniformPicturesYieldNothing) {
  scan();
  EXPECT_EQ(workspace->candidates.count, 0);
  workspace->display.fill(0);
  scan();
  EXPECT_EQ(workspace->candidates.count, 0);
}

TEST_F(ScanSeedsTest, DigitSizedShapeCrossedByManyRowsIsStoredOnceAndSmoothed) {
  fill_box(workspace->display, 100, 119, 200, 248, 20);  // 49 rows: crossed by eight scanned rows
  scan();
  ASSERT_EQ(workspace->candidates.count, 1);
  const ShapeRecord& stored = workspace->candidates.records[0];
  EXPECT_EQ(stored.x_min, 100);
  EXPECT_EQ(stored.y_max, 248);
  EXPECT_EQ(stored.point_count, 2 * 19 + 2 * 48);
  EXPECT_GT(stored.smoothed_angles[stored.point_count / 2], 0);  // smoothed before it was stored
  EXPECT_EQ(stored.character, 0);
}

TEST_F(ScanSeedsTest, ShapesAreStoredFromTheBottomRowUpAndLeftToRight) {
  fill_box(workspace->display, 500, 519, 100, 139, 0);
  fill_box(workspace->display, 100, 119, 300, 339, 0);
  fill_box(workspace->display, 300, 319, 100, 139, 0);
  scan();
  ASSERT_EQ(workspace->candidates.count, 3);
  EXPECT_EQ(workspace->candidates.records[0].x_min, 300);
  EXPECT_EQ(workspace->candidates.records[1].x_min, 500);
  EXPECT_EQ(workspace->candidates.records[2].x_min, 100);
}

TEST_F(ScanSeedsTest, ShapesTouchingTheFrameRimAreNeverStored) {
  fill_box(workspace->display, 0, 19, 300, 339, 0);       // left column
  fill_box(workspace->display, 1004, 1023, 300, 339, 0);  // right column
  fill_box(workspace->display, 300, 319, 0, 39, 0);       // bottom row
  fill_box(workspace->display, 500, 519, 728, 767, 0);    // top row
  scan();
  EXPECT_EQ(workspace->candidates.count, 0);
}

TEST_F(ScanSeedsTest, WrongProportionsAndDarkToBrightEdgesAreNotStored) {
  fill_box(workspace->display, 100, 139, 100, 139, 0);  // square: ratio 1.0
  fill_box(workspace->display, 300, 309, 300, 324, 0);  // 25 by 10: ratio 2.5 exactly
  scan();
  EXPECT_EQ(workspace->candidates.count, 0);
}

TEST_F(ScanSeedsTest, CandidateTableKeepsTheFirst300) {
  // 33 columns by 10 rows of 8 x 16 blobs = 330 acceptable shapes.
  for (int row = 0; row < 10; ++row)
    for (int col = 0; col < 33; ++col)
      fill_box(workspace->display, 10 + 30 * col, 17 + 30 * col, 10 + 70 * row, 25 + 70 * row, 0);
  scan();
  EXPECT_EQ(workspace->candidates.count, 300);
}

}  // namespace
}  // namespace plate
