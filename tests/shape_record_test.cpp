#include "engine/shape_record.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>

#include "engine/candidate_table.h"
#include "engine/contour_tracer.h"
#include "random_pictures.h"
#include "test_pictures.h"

namespace plate {
namespace {

// The smoothing as written: each entry sums its whole window anew.
std::int32_t written_smoothed_angle(const ShapeRecord& record, int i) {
  const int n = record.point_count, w = n < 70 ? 1 : n < 100 ? 3 : 6;
  std::int32_t sum = 0;
  for (int j = i - w; j <= i + w; ++j)
    sum += j < 0 ? record.angles[n + j] - 360 : j >= n ? record.angles[j - n] + 360 : record.angles[j];
  return sum / (2 * w + 1);
}

// Traced chains: each step turns by -135 to +180 degrees, so sums of either sign occur (and must be
// truncated toward zero). The lengths include every one at which the window widens (69 and 70, 99
// and 100), a single point, whose window wraps onto itself, and the longest chain.
TEST(SmoothSignatureTest, AgreesWithTheWrittenWindowSumsOnRandomChains) {
  std::mt19937 random(77);
  for (int chain = 0; chain < 400; ++chain) {
    ShapeRecord record{};
    record.point_count = testing::random_point_count(random);
    for (int i = 1; i < record.point_count; ++i)
      record.angles[i] = record.angles[i - 1] + 45 * testing::uniform(random, -3, 4);
    smooth_signature(record);
    for (int i = 0; i < record.point_count; ++i)
      ASSERT_EQ(record.smoothed_angles[i], written_smoothed_angle(record, i))
          << "chain " << chain << " of " << record.point_count << " points, entry " << i;
  }
}

ShapeRecord box_record(int x_min, int x_max, int y_min, int y_max) {
  ShapeRecord record{};
  std::tie(record.x_min, record.x_max, record.y_min, record.y_max) = std::tie(x_min, x_max, y_min, y_max);
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
                                           OfferedBox{"inside", 105, 110, 210, 220, false}),
                         testing::row_name);

}  // namespace
}  // namespace plate
