#include "engine/contour_tracer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "test_pictures.h"

namespace plate {
namespace {

using testing::count_marks;
using testing::fill_box;
using testing::is_marked;

constexpr std::int32_t kThreshold = 127;

class ContourTracerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    workspace->display.fill(255);
    workspace->trace_marks.fill(0);
  }
  ContourTrace trace(int x, int y, std::int32_t threshold = kThreshold) {
    return trace_contour(workspace->display, workspace->trace_marks, workspace->current_shape, x, y,
                         threshold);
  }
  const ShapeRecord& shape() const { return workspace->current_shape; }
  std::unique_ptr<Workspace> workspace = testing::make_workspace();
};

TEST_F(ContourTracerTest, SolidRectangleGivesItsPerimeterAndOneCounterclockwiseLap) {
  fill_box(workspace->display, 100, 119, 200, 239, 0);
  const ContourTrace result = trace(100, 210);
  EXPECT_EQ(result.length, 116);
  EXPECT_EQ(result.turning_count, 8);
  EXPECT_EQ(result.width, 19);
  EXPECT_EQ(result.height, 39);
  EXPECT_EQ(shape().start_direction, 1);  // down
  ASSERT_EQ(shape().point_count, 116);
  EXPECT_EQ(shape().points[0].x, 100);
  EXPECT_EQ(shape().points[0].y, 209);
  EXPECT_EQ(shape().points[115].x, 100);
  EXPECT_EQ(shape().points[115].y, 210);
  EXPECT_EQ(shape().x_min, 100);
  EXPECT_EQ(shape().x_max, 119);
  EXPECT_EQ(shape().y_min, 200);
  EXPECT_EQ(shape().y_max, 239);

  // Angles rise one quarter turn per side and never fall.
  std::vector<std::int32_t> angles(shape().angles, shape().angles + shape().point_count);
  EXPECT_TRUE(std::is_sorted(angles.begin(), angles.end()));
  angles.erase(std::unique(angles.begin(), angles.end()), angles.end());
  EXPECT_EQ(angles, (std::vector<std::int32_t>{0, 90, 180, 270, 360}));
}

TEST_F(ContourTracerTest, TwoPixelBlobIsTracedThereAndBack) {
  fill_box(workspace->display, 300, 301, 300, 300, 0);
  const ContourTrace result = trace(300, 300);
  EXPECT_EQ(result.length, 2);
  EXPECT_EQ(shape().start_direction, 3);  // right
  EXPECT_EQ(result.width, 1);
  EXPECT_EQ(result.height, 0);
}

struct RefusedStart {
  const char* name;
  int x;
  int y;
};

class RefusedStartTest : public ContourTracerTest, public ::testing::WithParamInterface<RefusedStart> {};

TEST_P(RefusedStartTest, GivesNoContourAndNoMarks) {
  workspace->display.fill(0);  // every start is inside, so only the position can refuse it
  EXPECT_EQ(trace(GetParam().x, GetParam().y).length, 0);
  EXPECT_EQ(count_marks(workspace->trace_marks), 0);
}

INSTANTIATE_TEST_SUITE_P(
    FrameRim, RefusedStartTest,
    ::testing::Values(RefusedStart{"left_column", 0, 100}, RefusedStart{"right_column", 1023, 100},
                      RefusedStart{"bottom_row", 100, 0}, RefusedStart{"top_row", 100, 767},
                      RefusedStart{"outside_left", -1, 100}, RefusedStart{"outside_top", 100, 768}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(ContourTracerTest, StartWithoutAnOutsideToInsideChangeGivesNoContour) {
  fill_box(workspace->display, 50, 50, 50, 50, 0);  // a lone dark pixel: all neighbours outside
  EXPECT_EQ(trace(50, 50).length, 0);
  fill_box(workspace->display, 200, 210, 200, 210, 0);  // a start whose neighbours are all inside
  EXPECT_EQ(trace(205, 205).length, 0);
  EXPECT_EQ(trace(600, 600).length, 0);  // an outside start
}

TEST_F(ContourTracerTest, SecondTraceOfAMarkedContourGivesNoContour) {
  fill_box(workspace->display, 100, 119, 200, 239, 0);
  ASSERT_GT(trace(100, 210).length, 0);
  for (int i = 0; i < shape().point_count; ++i)
    EXPECT_TRUE(is_marked(workspace->trace_marks, shape().points[i].x, shape().points[i].y));
  EXPECT_EQ(trace(100, 220).length, 0);  // another pixel of the same outline
  EXPECT_EQ(trace(119, 220).length, 0);
}

TEST_F(ContourTracerTest, RingOutsideIsMarkedAndItsHoleRimIsNot) {
  fill_box(workspace->display, 100, 159, 100, 159, 0);
  fill_box(workspace->display, 120, 139, 120, 139, 255);
  const ContourTrace outside = trace(100, 130);
  EXPECT_EQ(outside.turning_count, 8);
  const int marks_after_outside = count_marks(workspace->trace_marks);
  EXPECT_EQ(marks_after_outside, outside.length);

  for (int attempt = 0; attempt < 2; ++attempt) {  // unmarked, so the rim can be traced again
    const ContourTrace hole = trace(119, 130);
    EXPECT_GT(hole.length, 0);
    EXPECT_EQ(hole.turning_count, -8);
    EXPECT_EQ(count_marks(workspace->trace_marks), marks_after_outside);
  }
}

TEST_F(ContourTracerTest, BlobTouchingTheFrameRimGivesNoContourAndNoMarks) {
  fill_box(workspace->display, 0, 30, 300, 340, 0);
  EXPECT_EQ(trace(30, 320).length, 0);
  fill_box(workspace->display, 500, 530, 700, 767, 0);
  EXPECT_EQ(trace(500, 720).length, 0);
  EXPECT_EQ(count_marks(workspace->trace_marks), 0);
}

TEST_F(ContourTracerTest, LongContourIsFollowedToItsEndButRecordsOnly1024Points) {
  fill_box(workspace->display, 200, 499, 200, 499, 0);
  const ContourTrace result = trace(200, 300);
  EXPECT_EQ(result.length, 1196);
  EXPECT_EQ(result.turning_count, 8);
  EXPECT_EQ(shape().point_count, 1024);
  EXPECT_EQ(count_marks(workspace->trace_marks), 1024);
}

TEST_F(ContourTracerTest, EveryRecordedPointOfAnIrregularBlobIsInside) {
  // A blob with a one-pixel neck and a notch, traced at a grey threshold.
  fill_box(workspace->display, 300, 330, 300, 350, 90);
  fill_box(workspace->display, 331, 360, 325, 325, 100);  // neck
  fill_box(workspace->display, 361, 380, 310, 340, 80);
  fill_box(workspace->display, 310, 320, 340, 350, 200);  // notch from the top
  const ContourTrace result = trace(300, 320, 120);
  ASSERT_GT(result.length, 0);
  EXPECT_EQ(result.turning_count, 8);
  EXPECT_EQ(result.width, 80);
  for (int i = 0; i < shape().point_count; ++i) {
    EXPECT_LE(workspace->display.green_unchecked(shape().points[i].x, shape().points[i].y), 120) << i;
  }
  // The chain ends with the start point itself, recorded when the trace comes back to it.
  EXPECT_EQ(shape().points[shape().point_count - 1].x, 300);
  EXPECT_EQ(shape().points[shape().point_count - 1].y, 320);
}

}  // namespace
}  // namespace plate
