#include "engine/contour_tracer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "test_pictures.h"

namespace plate {
namespace {

using testing::Box;
using testing::count_marks;
using testing::fill_box;

// Dark boxes (level 0) on a white picture, traced at threshold 127. The reference test compares
// the tracer with a plain one on random pictures; these cases pin what it cannot: the frame's rim.
class ContourTracerTest : public ::testing::Test {
 protected:
  void SetUp() override { workspace->display.fill(255); }
  ContourTrace trace(int x, int y) {
    return trace_contour(workspace->display, workspace->trace_marks, workspace->current_shape, x, y, 127);
  }
  int marks() const { return count_marks(workspace->trace_marks); }
  const ShapeRecord& shape() const { return workspace->current_shape; }
  std::unique_ptr<Workspace> workspace = testing::make_workspace();
};

TEST_F(ContourTracerTest, SolidRectangleGivesItsPerimeterAndOneCounterclockwiseLapAndIsMarked) {
  fill_box(workspace->display, {100, 119, 200, 239}, 0);
  const ContourTrace result = trace(100, 210);
  EXPECT_EQ(std::tie(result.length, result.turning_count, result.width, result.height),
            std::tuple(116, 8, 19, 39));
  EXPECT_EQ(std::tie(shape().start_direction, shape().point_count), std::tuple(1, 116));
  std::vector<std::int32_t> angles(shape().angles, shape().angles + shape().point_count);
  EXPECT_TRUE(std::ranges::is_sorted(angles));
  angles.erase(std::unique(angles.begin(), angles.end()), angles.end());
  EXPECT_EQ(angles, (std::vector<std::int32_t>{0, 90, 180, 270, 360}));
  EXPECT_EQ(marks(), 116);
  EXPECT_EQ(trace(119, 220).length, 0);  // marked: no second contour
}

TEST_F(ContourTracerTest, LongContourIsFollowedToItsEndButRecordsOnly1024Points) {
  fill_box(workspace->display, {200, 499, 200, 499}, 0);
  EXPECT_EQ(trace(200, 300).length, 1196);
  EXPECT_EQ(shape().point_count, 1024);
  EXPECT_EQ(marks(), 1024);
}

struct Refusal {
  const char* name;
  std::vector<Box> dark;
  int x, y;
};

class RefusedTraceTest : public ContourTracerTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedTraceTest, GivesNoContourAndNoMarks) {
  for (const Box& box : GetParam().dark) fill_box(workspace->display, box, 0);
  EXPECT_EQ(trace(GetParam().x, GetParam().y).length, 0);
  EXPECT_EQ(marks(), 0);
}

// Every start on or outside the frame's rim is refused, even inside a dark frame.
const std::vector<Box> kDarkFrame{{0, kFrameWidth - 1, 0, kFrameHeight - 1}};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Starts, RefusedTraceTest, ::testing::ValuesIn(std::vector<Refusal>{
    {"left_column", kDarkFrame, 0, 100},
    {"right_column", kDarkFrame, 1023, 100},
    {"bottom_row", kDarkFrame, 100, 0},
    {"top_row", kDarkFrame, 100, 767},
    {"outside_top", kDarkFrame, 100, 768},
    {"outside_pixel", {}, 600, 600},
    {"every_neighbour_inside", {{200, 210, 200, 210}}, 205, 205},
    {"blob_touching_the_left_column", {{0, 30, 300, 340}}, 30, 320},
    {"blob_touching_the_top_row", {{500, 530, 700, 767}}, 500, 720}}), testing::row_name);
// clang-format on

// Clearing is a stamp increment with a real clear when the stamp wraps: no mark may outlive it, and
// the rim, which keeps walks inside the frame, must.
TEST(TraceMarksTest, EveryClearForgetsTheMarksButNotTheRimAlsoWhenTheStampWraps) {
  auto marks = std::make_unique<TraceMarks>();
  for (int pass = 0; pass < 70000; ++pass) {
    ASSERT_FALSE(marks->is_marked(500, 400)) << pass;
    ASSERT_TRUE(marks->is_rim_at(TraceMarks::index(kFrameWidth - 1, 400)) &&
                marks->is_rim_at(TraceMarks::index(500, 0)))
        << pass;
    marks->mark(500, 400);
    ASSERT_TRUE(marks->is_marked(500, 400));
    marks->clear_all();
  }
}

}  // namespace
}  // namespace plate
