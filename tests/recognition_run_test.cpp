#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "engine/recognition.h"
#include "test_pictures.h"

namespace plate {
namespace {

using testing::fill_box;

void draw_scattered_shapes(Plane& picture) {
  picture.fill(255);
  for (int i = 0; i < 40; ++i) {
    const int x = 20 + (i % 10) * 95, y = 30 + (i / 10) * 170;
    fill_box(picture, x, x + 12 + i % 5, y, y + 30 + i % 7, static_cast<std::uint8_t>(10 * (i % 6)));
  }
}

// Entries past point_count are left over from earlier traces and carry no meaning.
bool same_meaningful_fields(const ShapeRecord& a, const ShapeRecord& b) {
  const auto n = static_cast<std::size_t>(a.point_count);
  return a.character == b.character && a.point_count == b.point_count &&
         std::memcmp(a.points, b.points, n * sizeof a.points[0]) == 0 &&
         std::memcmp(a.angles, b.angles, n * sizeof a.angles[0]) == 0 &&
         std::memcmp(a.smoothed_angles, b.smoothed_angles, n * sizeof a.smoothed_angles[0]) == 0 &&
         a.x_max == b.x_max && a.x_min == b.x_min && a.y_max == b.y_max && a.y_min == b.y_min &&
         a.start_direction == b.start_direction;
}

// A run reads the display plane only, and starts from its own reset, whatever the last one left.
TEST(RecognitionRunTest, TwoRunsGiveIdenticalTablesAndLeaveThePictureAsItWas) {
  auto picture = std::make_unique<Plane>();
  draw_scattered_shapes(*picture);
  auto first = testing::make_workspace();
  auto second = testing::make_workspace();
  first->display = second->display = *picture;
  run_recognition(*first);
  run_recognition(*second);
  run_recognition(*second);
  EXPECT_GT(first->candidates.count, 20);
  ASSERT_EQ(first->candidates.count, second->candidates.count);
  for (int c = 0; c < first->candidates.count; ++c) {
    EXPECT_TRUE(same_meaningful_fields(first->candidates.records[c], second->candidates.records[c])) << c;
  }
  EXPECT_EQ(
      std::memcmp(&first->result.characters, &second->result.characters, sizeof first->result.characters), 0);
  EXPECT_EQ(std::memcmp(&first->result.groups, &second->result.groups, sizeof first->result.groups), 0);
  EXPECT_EQ(first->result.log.view(), second->result.log.view());
  EXPECT_TRUE(first->display.bytes == picture->bytes);
}

}  // namespace
}  // namespace plate
