// The tracer and the seed scan against their forms as first written, by (x, y) coordinates: every
// trace's outputs, the marks, and the record of every traced contour and every candidate must
// agree, on random pictures. A failed trace's record is not compared: nothing reads it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "engine/contour_tracer.h"
#include "engine/seed_scan.h"
#include "engine/seed_scan_rules.h"
#include "random_pictures.h"
#include "test_pictures.h"

namespace plate {
namespace {

bool on_or_outside_rim(std::int32_t x, std::int32_t y) {
  return x < 1 || x >= kFrameWidth - 1 || y < 1 || y >= kFrameHeight - 1;
}

ContourTrace reference_trace_contour(const Plane& picture, TraceMarks& marks, ShapeRecord& shape,
                                     std::int32_t x0, std::int32_t y0, std::int32_t threshold) {
  constexpr ContourTrace kNoContour{0, 0, 0, 0};
  auto inside = [&](std::int32_t x, std::int32_t y) {
    return std::int32_t{picture.green_unchecked(x, y)} <= threshold;
  };
  auto marked = [&](std::int32_t x, std::int32_t y) { return marks.is_marked(x, y); };
  if (on_or_outside_rim(x0, y0) || !inside(x0, y0) || marked(x0, y0)) return kNoContour;
  shape.point_count = 0;
  std::int32_t turning_count = 0;
  std::int32_t x_min = x0, x_max = x0, y_min = y0, y_max = y0;
  int start_direction = -1;
  bool seen_outside = false;
  for (int k = 0; k <= 8; ++k) {
    if (!inside(x0 + kDirections[k].dx, y0 + kDirections[k].dy)) {
      seen_outside = true;
    } else if (seen_outside) {
      start_direction = k % 8;
      break;
    }
  }
  if (start_direction < 0) return kNoContour;
  shape.start_direction = start_direction;
  std::int32_t x = x0 + kDirections[start_direction].dx;
  std::int32_t y = y0 + kDirections[start_direction].dy;
  int direction = start_direction;
  std::int32_t length = 1;
  auto widen_box = [&] {
    x_min = std::min(x_min, x), x_max = std::max(x_max, x);
    y_min = std::min(y_min, y), y_max = std::max(y_max, y);
  };
  widen_box();
  for (;;) {
    if (marked(x, y)) return kNoContour;
    if (shape.point_count < kMaxContourPoints) {
      shape.points[shape.point_count] = {x, y};
      shape.angles[shape.point_count] = turning_count * 45;
      ++shape.point_count;
    }
    if (on_or_outside_rim(x, y)) return kNoContour;
    const int s = (direction + 5) % 8;
    int j = s;
    while (j < s + 7 && !inside(x + kDirections[j].dx, y + kDirections[j].dy)) ++j;
    turning_count += (j - s) - 3;
    const int next_direction = j % 8;
    if (x == x0 && y == y0 && next_direction == start_direction) break;
    if (length >= std::int64_t{kFrameWidth} * kFrameHeight * 8) return kNoContour;
    x += kDirections[next_direction].dx;
    y += kDirections[next_direction].dy;
    direction = next_direction;
    widen_box();
    ++length;
  }
  shape.x_max = x_max, shape.x_min = x_min, shape.y_max = y_max, shape.y_min = y_min;
  if (turning_count > 0) {
    for (int i = 0; i < shape.point_count; ++i) {
      marks.mark(shape.points[i].x, shape.points[i].y);
    }
  }
  return ContourTrace{length, turning_count, x_max - x_min, y_max - y_min};
}

void reference_scan_seeds(Workspace& workspace) {
  for (std::int32_t y = 0; y < kFrameHeight; y += kSeedRowSpacing) {
    for (std::int32_t x = 1; x <= kFrameWidth - 2; ++x) {
      const auto seed =
          find_seed(workspace.display.green_unchecked(x - 1, y), workspace.display.green_unchecked(x, y),
                    workspace.display.green_unchecked(x + 1, y), x);
      if (!seed) continue;
      const ContourTrace trace =
          reference_trace_contour(workspace.display, workspace.trace_marks, workspace.current_shape,
                                  seed->start_x, y, seed->threshold);
      if (!is_acceptable_outline(trace)) continue;
      smooth_signature(workspace.current_shape);
      store_candidate(workspace.candidates, workspace.current_shape);
    }
  }
}

bool same_marks(const TraceMarks& a, const TraceMarks& b) {
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 0; x < kFrameWidth; ++x)
      if (a.is_marked(x, y) != b.is_marked(x, y)) return false;
  return true;
}

// One workspace per implementation, on the same picture.
class ReferenceTest : public ::testing::Test {
 protected:
  void reset_both() {
    for (Workspace* w : {fast.get(), plain.get()}) {
      w->trace_marks.clear_all();
      std::memset(&w->candidates, 0, sizeof w->candidates);
      std::memset(&w->current_shape, 0, sizeof w->current_shape);
    }
    plain->display = fast->display;
  }

  ::testing::AssertionResult scans_agree() {
    reset_both();
    scan_seeds(*fast);
    reference_scan_seeds(*plain);
    if (fast->candidates.count != plain->candidates.count) {
      return ::testing::AssertionFailure()
             << fast->candidates.count << " candidates, plainly " << plain->candidates.count;
    }
    for (int c = 0; c < fast->candidates.count; ++c) {
      if (!testing::same_meaningful_fields(fast->candidates.records[c], plain->candidates.records[c]))
        return ::testing::AssertionFailure() << "candidate " << c << " differs";
    }
    if (!same_marks(fast->trace_marks, plain->trace_marks))
      return ::testing::AssertionFailure() << "marks differ";
    return ::testing::AssertionSuccess();
  }

  std::unique_ptr<Workspace> fast = testing::make_workspace();
  std::unique_ptr<Workspace> plain = testing::make_workspace();
};

TEST_F(ReferenceTest, SeedScansAgreeOnRandomPictures) {
  std::mt19937 random(1958);
  int candidates = 0;
  for (int picture = 0; picture < 500; ++picture) {
    testing::draw_random_scene(fast->display, random);
    ASSERT_TRUE(scans_agree()) << "picture " << picture;
    candidates += fast->candidates.count;
  }
  EXPECT_GT(candidates, 1000);  // the scenes must give candidates, or this test checks little
}

TEST_F(ReferenceTest, SeedScansAgreeOnSmallNoisyPicturesOnBlack) {
  std::mt19937 random(2026);
  for (int picture = 0; picture < 200; ++picture) {
    testing::draw_picture_on_black(fast->display, random);
    ASSERT_TRUE(scans_agree()) << "picture " << picture;
  }
}

// Plate interpretation starts traces anywhere, at any level: starts on and next to the rim,
// thresholds from below black to above white, and marks that pile up over many traces. Most starts
// are moved right to the next darker step, so that most traces follow a real outline.
TEST_F(ReferenceTest, TracesAgreeFromRandomStartsAndThresholds) {
  std::mt19937 random(404);
  int contours = 0;
  for (int picture = 0; picture < 300; ++picture) {
    testing::draw_random_scene(fast->display, random);
    reset_both();
    for (int start = 0; start < 300; ++start) {
      const Plane& display = fast->display;
      int x = testing::uniform(random, 0, kFrameWidth - 1);
      const int y = testing::uniform(random, 0, kFrameHeight - 1);
      std::int32_t low = display.green_unchecked(x, y) - 20, high = display.green_unchecked(x, y) + 60;
      for (int walk = testing::uniform(random, 0, 300); walk > 0 && x < kFrameWidth - 1; --walk, ++x) {
        const std::int32_t bright = display.green_unchecked(x, y), dark = display.green_unchecked(x + 1, y);
        if (dark + 10 > bright) continue;
        low = dark - 10, high = bright + 10;
        ++x;
        break;
      }
      const std::int32_t threshold = testing::uniform(random, low, high);
      const ContourTrace a =
          trace_contour(fast->display, fast->trace_marks, fast->current_shape, x, y, threshold);
      const ContourTrace b =
          reference_trace_contour(plain->display, plain->trace_marks, plain->current_shape, x, y, threshold);
      ASSERT_TRUE(a.length == b.length && a.turning_count == b.turning_count && a.width == b.width &&
                  a.height == b.height)
          << "picture " << picture << " start (" << x << ", " << y << ") threshold " << threshold;
      if (a.length > 0) {
        ASSERT_TRUE(testing::same_meaningful_fields(fast->current_shape, plain->current_shape))
            << "picture " << picture << " start " << start;
      }
      contours += a.length > 0;
    }
    ASSERT_TRUE(same_marks(fast->trace_marks, plain->trace_marks)) << "picture " << picture;
  }
  EXPECT_GT(contours, 3000);
}

}  // namespace
}  // namespace plate
