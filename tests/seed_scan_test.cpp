#include "engine/seed_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/seed_scan_rules.h"
#include "test_pictures.h"

namespace plate {
namespace {

using testing::Box;
using testing::fill_box;

struct SeedCase {
  const char* name;
  std::uint8_t left, middle, right;
  bool seeded;
  std::int32_t start_x, threshold;  // of the seed at middle column 10
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
                                           SeedCase{"dark_to_bright", 100, 150, 200, false, 0, 0}),
                         testing::row_name);

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
    testing::row_name);

struct ScanCase {
  const char* name;
  std::vector<Box> dark;  // on a white picture
  std::vector<std::int32_t> stored_x_min;
};

class ScanSeedsTest : public ::testing::TestWithParam<ScanCase> {};

// Every candidate is stored without a character.
TEST_P(ScanSeedsTest, StoresEachDigitSizedShapeOnceFromTheBottomRowUpAndLeftToRight) {
  auto workspace = testing::make_workspace();
  workspace->display.fill(255);
  for (const Box& b : GetParam().dark) fill_box(workspace->display, b, 0);
  scan_seeds(*workspace);
  std::vector<std::int32_t> stored_x_min;
  for (int c = 0; c < workspace->candidates.count; ++c) {
    const ShapeRecord& stored = workspace->candidates.records[c];
    stored_x_min.push_back(stored.x_min);
    EXPECT_EQ(stored.character, 0);
  }
  EXPECT_EQ(stored_x_min, GetParam().stored_x_min);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Pictures, ScanSeedsTest, ::testing::ValuesIn(std::vector<ScanCase>{
    {"three_shapes", {{500, 519, 100, 139}, {100, 119, 300, 339}, {300, 319, 100, 139}}, {300, 500, 100}},
    {"touching_the_frame_rim",
     {{0, 19, 300, 339}, {1004, 1023, 300, 339}, {300, 319, 0, 39}, {500, 519, 728, 767}}, {}}}), testing::row_name);
// clang-format on

TEST(ScanSeedsTest, CandidateTableKeepsTheFirst300) {
  auto workspace = testing::make_workspace();
  workspace->display.fill(255);
  // 33 columns by 10 rows of 8 x 16 blobs = 330 acceptable shapes.
  for (int row = 0; row < 10; ++row)
    for (int col = 0; col < 33; ++col)
      fill_box(workspace->display, 10 + 30 * col, 17 + 30 * col, 10 + 70 * row, 25 + 70 * row, 0);
  scan_seeds(*workspace);
  EXPECT_EQ(workspace->candidates.count, 300);
}

}  // namespace
}  // namespace plate
