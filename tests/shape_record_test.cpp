#include "engine/shape_record.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/candidate_table.h"
#include "engine/contour_tracer.h"
#include "test_pictures.h"

namespace plate {
namespace {

TEST(SmoothSignatureTest, RectangleCornersAreRoundedOverThreeAndTheChainWrapsAsOneLap) {
  auto workspace = testing::make_workspace();
  workspace->display.fill(255);
  testing::fill_box(workspace->display, 100, 109, 200, 219, 0);
  ShapeRecord& shape = workspace->current_shape;
  ASSERT_EQ(trace_contour(workspace->display, workspace->trace_marks, shape, 100, 210, 127).length, 56);
  smooth_signature(shape);
  const int n = shape.point_count;
  EXPECT_EQ(shape.smoothed_angles[0], 0);
  EXPECT_EQ(shape.smoothed_angles[n - 1], 360);
  for (int corner = 1; corner <= 4; ++corner) {
    // The entry where the angle steps from (corner - 1) * 90 to corner * 90.
    int i = 1;
    while (i < n && shape.angles[i] == shape.angles[i - 1]) ++i;
    for (int k = 1; k < corner; ++k) {
      ++i;
      while (i < n && shape.angles[i] == shape.angles[i - 1]) ++i;
    }
    ASSERT_LT(i, n);
    const int base = (corner - 1) * 90;
    EXPECT_EQ(shape.smoothed_angles[i - 1], base + 30) << "corner " << corner;
    EXPECT_EQ(shape.smoothed_angles[i], base + 60) << "corner " << corner;
  }
}

ShapeRecord chain_with_one_step(int point_count) {
  ShapeRecord record{};
  record.point_count = point_count;
  for (int i = 0; i < point_count; ++i) record.angles[i] = i < point_count / 2 ? 120 : 210;
  return record;
}

struct HalfWidthCase {
  int point_count;
  int half_width;
};

class SmoothingHalfWidthTest : public ::testing::TestWithParam<HalfWidthCase> {};

// A single step of 90 degrees is spread over 2w entries: w on each side of it.
TEST_P(SmoothingHalfWidthTest, StepIsSpreadOverTwiceTheHalfWidth) {
  ShapeRecord record = chain_with_one_step(GetParam().point_count);
  smooth_signature(record);
  int spread = 0;
  for (int i = 0; i < record.point_count; ++i) {
    if (record.smoothed_angles[i] != 120 && record.smoothed_angles[i] != 210) ++spread;
  }
  // The chain's own ends also join with a jump of 360 - 90, spread over 2w entries as well.
  EXPECT_EQ(spread, 4 * GetParam().half_width);
}

INSTANTIATE_TEST_SUITE_P(LengthBounds, SmoothingHalfWidthTest,
                         ::testing::Values(HalfWidthCase{69, 1}, HalfWidthCase{70, 3}, HalfWidthCase{99, 3},
                                           HalfWidthCase{100, 6}, HalfWidthCase{1024, 6}));

TEST(SmoothSignatureTest, SumsBelowZeroTruncateTowardZero) {
  ShapeRecord record{};
  record.point_count = 20;
  record.angles[19] = 315;
  smooth_signature(record);
  EXPECT_EQ(record.smoothed_angles[0], (315 - 360 + 0 + 0) / 3);
  EXPECT_EQ(record.smoothed_angles[0], -15);
  record.angles[19] = 359;  // (-1 + 0 + 0) / 3 is 0, not -1
  smooth_signature(record);
  EXPECT_EQ(record.smoothed_angles[0], 0);
}

TEST(SmoothSignatureTest, SinglePointChainWrapsOntoItself) {
  ShapeRecord record{};
  record.point_count = 1;
  record.angles[0] = 45;
  smooth_signature(record);
  EXPECT_EQ(record.smoothed_angles[0], ((45 - 360) + 45 + (45 + 360)) / 3);
}

ShapeRecord box_record(int x_min, int x_max, int y_min, int y_max) {
  ShapeRecord record{};
  record.x_min = x_min;
  record.x_max = x_max;
  record.y_min = y_min;
  record.y_max = y_max;
  return record;
}

struct OfferedBox {
  const char* name;
  int x_min, x_max, y_min, y_max;
  bool stored;
};

class StoreCandidateTest : public ::testing::TestWithParam<OfferedBox> {};

TEST_P(StoreCandidateTest, KeepsOnlyBoxesThatDoNotStrictlyOverlapAStoredOne) {
  auto workspace = testing::make_workspace();
  CandidateTable& table = workspace->candidates;
  store_candidate(table, box_record(100, 120, 200, 240));
  const OfferedBox& box = GetParam();
  store_candidate(table, box_record(box.x_min, box.x_max, box.y_min, box.y_max));
  EXPECT_EQ(table.count, box.stored ? 2 : 1);
  EXPECT_EQ(table.records[0].x_min, 100);  // the one stored first always stays
}

INSTANTIATE_TEST_SUITE_P(Boxes, StoreCandidateTest,
                         ::testing::Values(OfferedBox{"sharing_one_column", 120, 150, 220, 260, true},
                                           OfferedBox{"sharing_one_row", 50, 110, 240, 260, true},
                                           OfferedBox{"overlapping_corner", 119, 150, 239, 260, false},
                                           OfferedBox{"enclosing", 0, 500, 0, 500, false},
                                           OfferedBox{"inside", 105, 110, 210, 220, false},
                                           OfferedBox{"apart", 300, 320, 200, 240, true}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(StoreCandidateTest, CopiesTheWholeRecordAndDropsThe301st) {
  auto workspace = testing::make_workspace();
  CandidateTable& table = workspace->candidates;
  ShapeRecord record = box_record(0, 1, 0, 1);
  record.point_count = 77;
  record.smoothed_angles[1023] = 4242;
  for (int i = 0; i < 301; ++i) {
    record.x_min = 3 * i;
    record.x_max = 3 * i + 1;
    store_candidate(table, record);
  }
  EXPECT_EQ(table.count, 300);
  EXPECT_EQ(table.records[299].x_min, 3 * 299);
  EXPECT_EQ(
      std::memcmp(&table.records[0].smoothed_angles, &record.smoothed_angles, sizeof record.smoothed_angles),
      0);
}

}  // namespace
}  // namespace plate
