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
using testing::is_marked;

// Dark boxes (level 0) on a white picture, traced at threshold 127 unless a test says otherwise.
class ContourTracerTest : public ::testing::Test {
 protected:
  void SetUp() override { workspace->display.fill(255); }
  void paint(const Box& box, std::uint8_t level = 0) { fill_box(workspace->display, box, level); }
  ContourTrace trace(int x, int y, std::int32_t threshold = 127) {
    return trace_contour(workspace->display, workspace->trace_marks, workspace->current_shape, x, y,
                         threshold);
  }
  int marks() const { return count_marks(workspace->trace_marks); }
  const ShapeRecord& shape() const { return workspace->current_shape; }
  std::unique_ptr<Workspace> workspace = testing::make_workspace();
};

TEST_F(ContourTracerTest, SolidRectangleGivesItsPerimeterAndOneCounterclockwiseLapAndIsMarked) {
  paint({100, 119, 200, 239});
  const ContourTrace result = trace(100, 210);
  EXPECT_EQ(std::tie(result.length, result.turning_count, result.width, result.height),
            std::tuple(116, 8, 19, 39));
  EXPECT_EQ(shape().start_direction, 1);  // down
  ASSERT_EQ(shape().point_count, 116);
  // The chain starts one step down and ends with the start point itself.
  EXPECT_EQ(std::tie(shape().points[0].x, shape().points[0].y), std::tuple(100, 209));
  EXPECT_EQ(std::tie(shape().points[115].x, shape().points[115].y), std::tuple(100, 210));
  EXPECT_EQ(std::tie(shape().x_min, shape().x_max, shape().y_min, shape().y_max),
            std::tuple(100, 119, 200, 239));
  // Angles rise one quarter turn per side and never fall.
  std::vector<std::int32_t> angles(shape().angles, shape().angles + shape().point_count);
  EXPECT_TRUE(std::ranges::is_sorted(angles));
  angles.erase(std::unique(angles.begin(), angles.end()), angles.end());
  EXPECT_EQ(angles, (std::vector<std::int32_t>{0, 90, 180, 270, 360}));
  // Marked, the outline gives no second contour from any of its pixels.
  for (int i = 0; i < shape().point_count; ++i)
    EXPECT_TRUE(is_marked(workspace->trace_marks, shape().points[i].x, shape().points[i].y));
  EXPECT_EQ(trace(100, 220).length, 0);
  EXPECT_EQ(trace(119, 220).length, 0);
}

TEST_F(ContourTracerTest, TwoPixelBlobIsTracedThereAndBack) {
  paint({300, 301, 300, 300});
  const ContourTrace result = trace(300, 300);
  EXPECT_EQ(std::tie(result.length, result.width, result.height), std::tuple(2, 1, 0));
  EXPECT_EQ(shape().start_direction, 3);  // right
}

struct Refusal {
  const char* name;
  std::vector<Box> dark;
  int x, y;
};

class RefusedTraceTest : public ContourTracerTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedTraceTest, GivesNoContourAndNoMarks) {
  for (const Box& box : GetParam().dark) paint(box);
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
    {"outside_left", kDarkFrame, -1, 100},
    {"outside_top", kDarkFrame, 100, 768},
    {"outside_pixel", {}, 600, 600},
    {"lone_dark_pixel_without_a_change_to_inside", {{50, 50, 50, 50}}, 50, 50},
    {"every_neighbour_inside", {{200, 210, 200, 210}}, 205, 205},
    {"blob_touching_the_left_column", {{0, 30, 300, 340}}, 30, 320},
    {"blob_touching_the_top_row", {{500, 530, 700, 767}}, 500, 720}}), testing::row_name);
// clang-format on

TEST_F(ContourTracerTest, RingOutsideIsMarkedAndItsHoleRimIsNot) {
  paint({100, 159, 100, 159});
  paint({120, 139, 120, 139}, 255);
  const ContourTrace outside = trace(100, 130);
  EXPECT_EQ(outside.turning_count, 8);
  EXPECT_EQ(marks(), outside.length);
  for (int attempt = 0; attempt < 2; ++attempt) {  // unmarked, so the rim can be traced again
    const ContourTrace hole = trace(119, 130);
    EXPECT_GT(hole.length, 0);
    EXPECT_EQ(hole.turning_count, -8);
    EXPECT_EQ(marks(), outside.length);
  }
}

TEST_F(ContourTracerTest, LongContourIsFollowedToItsEndButRecordsOnly1024Points) {
  paint({200, 499, 200, 499});
  const ContourTrace result = trace(200, 300);
  EXPECT_EQ(std::tie(result.length, result.turning_count), std::tuple(1196, 8));
  EXPECT_EQ(shape().point_count, 1024);
  EXPECT_EQ(marks(), 1024);
}

TEST_F(ContourTracerTest, EveryRecordedPointOfAnIrregularBlobIsInside) {
  // A blob with a one-pixel neck and a notch, traced at a grey threshold.
  paint({300, 330, 300, 350}, 90);
  paint({331, 360, 325, 325}, 100);  // neck
  paint({361, 380, 310, 340}, 80);
  paint({310, 320, 340, 350}, 200);  // notch from the top
  const ContourTrace result = trace(300, 320, 120);
  EXPECT_EQ(std::tie(result.turning_count, result.width), std::tuple(8, 80));
  ASSERT_GT(shape().point_count, 0);
  for (int i = 0; i < shape().point_count; ++i)
    EXPECT_LE(workspace->display.green_unchecked(shape().points[i].x, shape().points[i].y), 120) << i;
  // The chain ends with the start point itself, recorded when the trace comes back to it.
  const ContourPoint last = shape().points[shape().point_count - 1];
  EXPECT_EQ(std::tie(last.x, last.y), std::tuple(300, 320));
}

// Clearing is a stamp increment with a real clear when the stamp wraps: no mark may outlive it.
TEST(TraceMarksTest, EveryClearForgetsTheMarksAlsoWhenTheStampWraps) {
  auto marks = std::make_unique<TraceMarks>();
  for (int pass = 0; pass < 70000; ++pass) {
    ASSERT_FALSE(marks->is_marked(500, 400)) << pass;
    marks->mark(500, 400);
    ASSERT_TRUE(marks->is_marked(500, 400));
    marks->clear_all();
  }
}

}  // namespace
}  // namespace plate
