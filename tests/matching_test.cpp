#include "engine/matching.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_pictures.h"

namespace plate {
namespace {

ShapeRecord signature(const std::vector<std::int32_t>& smoothed_angles, std::int32_t start_direction) {
  ShapeRecord record{};
  record.point_count = static_cast<std::int32_t>(smoothed_angles.size());
  for (std::size_t i = 0; i < smoothed_angles.size(); ++i) record.smoothed_angles[i] = smoothed_angles[i];
  record.start_direction = start_direction;
  return record;
}

struct DistanceCase {
  const char* name;
  std::vector<std::int32_t> template_angles;
  std::int32_t template_start;
  std::vector<std::int32_t> candidate_angles;
  std::int32_t candidate_start;
  std::int32_t distance;
  std::int32_t rotation;
};

class SignatureDistanceTest : public ::testing::TestWithParam<DistanceCase> {};

TEST_P(SignatureDistanceTest, KeepsTheBestShiftAndItsRotation) {
  const DistanceCase& row = GetParam();
  const SignatureMatch match = signature_distance(signature(row.template_angles, row.template_start),
                                                  signature(row.candidate_angles, row.candidate_start));
  EXPECT_EQ(match.distance, row.distance);
  EXPECT_EQ(match.rotation, row.rotation);
}

// The six shifts of the first template give 0, 30, 30, 60, 60 and 0; shift 0 wins the tie, so the
// rotation comes from offset 0, not from shift 5's offset 270. The second template is the first
// read from its fourth point, one lap higher past its end: its only perfect shift, 2, reaches past
// the end.
INSTANTIATE_TEST_SUITE_P(
    Signatures, SignatureDistanceTest,
    ::testing::Values(
        DistanceCase{"itself", {0, 0, 90, 90, 180, 270}, 1, {0, 0, 90, 90, 180, 270}, 1, 0, 0},
        DistanceCase{"six_points_against_three", {0, 0, 90, 90, 180, 270}, 1, {0, 90, 180}, 2, 0, 45},
        DistanceCase{
            "best_shift_reads_past_the_end", {90, 180, 270, 360, 360, 450}, 1, {0, 90, 180}, 2, 0, 135},
        DistanceCase{"large_offset_gives_negative_rotation", {450, 540, 630}, 7, {0, 90, 180}, 0, 0, -45},
        DistanceCase{"mean_truncates", {0, 0, 0}, 0, {0, 0, 11}, 0, 3, 0},
        DistanceCase{"empty_template", {}, 0, {0, 90, 180}, 0, kNoMatchDistance, 0},
        DistanceCase{"empty_candidate", {0, 90}, 0, {}, 0, kNoMatchDistance, 0}),
    [](const auto& row) { return std::string(row.param.name); });

struct SamplingCase {
  int point_count;
  std::int32_t distance;
};

class SamplingStepTest : public ::testing::TestWithParam<SamplingCase> {};

// Against a one-point template every candidate point meets that point, so the distance is the sum
// over the sampled points divided by q. The candidate is 600 on the points 3, 9, 15, ...: every
// point sees them, every third point sees half of them, every sixth point none.
TEST_P(SamplingStepTest, LongContoursAreSampledAtEveryThirdOrSixthPoint) {
  const int n = GetParam().point_count;
  std::vector<std::int32_t> angles(static_cast<std::size_t>(n), 0);
  for (int k = 3; k < n; k += 6) angles[static_cast<std::size_t>(k)] = 600;
  EXPECT_EQ(signature_distance(signature({0}, 0), signature(angles, 0)).distance, GetParam().distance);
}

INSTANTIATE_TEST_SUITE_P(PointCounts, SamplingStepTest,
                         ::testing::Values(SamplingCase{69, 11 * 600 / 69}, SamplingCase{70, 12 * 600 / 23},
                                           SamplingCase{99, 16 * 600 / 33}, SamplingCase{100, 0}),
                         [](const auto& row) { return std::to_string(row.param.point_count) + "_points"; });

// A two-point template that lies `distance` from the candidate below, turned by `rotation` degrees.
struct TemplateSpec {
  char character;
  std::int32_t distance;
  std::int32_t rotation;
};

ShapeRecord make_template(TemplateSpec wanted) {
  ShapeRecord record = signature({720 - wanted.rotation, 720 - wanted.rotation + 2 * wanted.distance}, 0);
  record.character = static_cast<std::uint8_t>(wanted.character);
  return record;
}

ShapeRecord make_candidate(int x_min, int x_max, int y_min, int y_max) {
  ShapeRecord record = signature({0, 0}, 0);
  record.x_min = x_min, record.x_max = x_max, record.y_min = y_min, record.y_max = y_max;
  return record;
}

struct DecisionCase {
  const char* name;
  std::vector<TemplateSpec> templates;
  int height;  // pixel extents of the candidate's box
  int width;
  char expected;
};

class DecideCharactersTest : public ::testing::TestWithParam<DecisionCase> {};

// The display plane is black, so the 0/8 check cannot measure a contrast and keeps every match.
TEST_P(DecideCharactersTest, KeepsTheNearestTemplateThatTheWindowsAccept) {
  const DecisionCase& row = GetParam();
  auto workspace = testing::make_workspace();
  for (std::size_t t = 0; t < row.templates.size(); ++t)
    workspace->templates[t] = make_template(row.templates[t]);
  workspace->candidates.records[0] = make_candidate(300, 300 + row.width - 1, 400, 400 + row.height - 1);
  workspace->candidates.count = 1;
  decide_characters(*workspace);
  EXPECT_EQ(workspace->candidates.records[0].character, static_cast<std::uint8_t>(row.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Windows, DecideCharactersTest,
    ::testing::Values(DecisionCase{"distance_29", {{'5', 29, 0}}, 23, 10, '5'},
                      DecisionCase{"distance_30", {{'5', 30, 0}}, 23, 10, 0},
                      DecisionCase{"rotation_19", {{'5', 0, 19}}, 23, 10, '5'},
                      DecisionCase{"rotation_20", {{'5', 0, 20}}, 23, 10, 0},
                      DecisionCase{"rotation_345", {{'5', 0, 345}}, 23, 10, 0},
                      DecisionCase{"rotation_346", {{'5', 0, 346}}, 23, 10, '5'},
                      DecisionCase{"rotation_minus_45", {{'5', 0, -45}}, 23, 10, '5'},
                      DecisionCase{"rotation_161_for_5", {{'5', 0, 161}}, 23, 10, 0},
                      DecisionCase{"rotation_161_for_0", {{'0', 0, 161}}, 23, 10, '0'},
                      DecisionCase{"rotation_199_for_8", {{'8', 0, 199}}, 23, 10, '8'},
                      DecisionCase{"rotation_199_for_1", {{'1', 0, 199}}, 30, 10, '1'},
                      DecisionCase{"rotation_160_for_0", {{'0', 0, 160}}, 23, 10, 0},
                      DecisionCase{"rotation_200_for_8", {{'8', 0, 200}}, 23, 10, 0},
                      DecisionCase{"proportion_2_3_for_1", {{'1', 0, 0}}, 23, 10, 0},
                      DecisionCase{"proportion_3_0_for_1", {{'1', 0, 0}}, 30, 10, '1'},
                      DecisionCase{"proportion_3_0_for_5", {{'5', 0, 0}}, 30, 10, 0},
                      DecisionCase{"proportion_2_5", {{'5', 0, 0}, {'1', 0, 0}}, 25, 10, 0},
                      DecisionCase{"proportion_1_3", {{'5', 0, 0}}, 13, 10, 0},
                      DecisionCase{"width_0", {{'1', 0, 0}}, 5, 1, 0},
                      DecisionCase{"tie_goes_to_the_earlier", {{'3', 5, 0}, {'5', 5, 0}}, 23, 10, '3'},
                      DecisionCase{"nearer_wins", {{'3', 9, 0}, {'5', 4, 0}}, 23, 10, '5'},
                      DecisionCase{
                          "nearer_but_refused_keeps_the_best", {{'3', 9, 0}, {'5', 4, 180}}, 23, 10, '3'},
                      DecisionCase{"no_templates", {}, 23, 10, 0}),
    [](const auto& row) { return std::string(row.param.name); });

// A box at x 100..119 whose left four columns are dark and the rest light, each level speckled
// over three neighbouring values so that its histogram shows a hill (dark 20..22, light 200..202,
// middle level 111). `probe_row` >= 0 sets the middle column at that row to `probe_level`, a level
// between the dark and the middle one unless a case says otherwise.
constexpr std::uint8_t kBelowMiddle = 110;

void paint_box(Plane& plane, int y_min, int y_max, int probe_row, bool speckled,
               std::uint8_t probe_level = kBelowMiddle) {
  constexpr std::uint8_t kSpeckle[4] = {0, 1, 1, 2};
  for (int y = y_min; y <= y_max; ++y) {
    for (int x = 100; x <= 119; ++x) {
      const std::uint8_t base = x <= 103 ? 20 : 200;
      testing::set_gray(plane, x, y,
                        speckled ? static_cast<std::uint8_t>(base + kSpeckle[(x + y) % 4]) : base);
    }
  }
  if (probe_row >= 0) testing::set_gray(plane, 109, probe_row, probe_level);
}

struct ZeroEightCase {
  const char* name;
  int y_min, y_max;
  int probe_row;
  std::uint8_t probe_level;
  bool speckled;
  char matched;
  char expected;
};

class CheckZeroEightTest : public ::testing::TestWithParam<ZeroEightCase> {};

TEST_P(CheckZeroEightTest, ADarkCrossingOnTheMiddleThirdMakesAnEight) {
  const ZeroEightCase& row = GetParam();
  auto workspace = testing::make_workspace();
  paint_box(workspace->display, row.y_min, row.y_max, row.probe_row, row.speckled, row.probe_level);
  ShapeRecord candidate = make_candidate(100, 119, row.y_min, row.y_max);
  candidate.character = static_cast<std::uint8_t>(row.matched);
  check_zero_eight(workspace->contrast, workspace->display, candidate);
  EXPECT_EQ(candidate.character, static_cast<std::uint8_t>(row.expected));
}

// Rows 100..129 are scanned from 109 to 118; rows 100..102 on row 100 only. Each case starts from
// the other digit, so a check that did nothing would fail.
INSTANTIATE_TEST_SUITE_P(
    Boxes, CheckZeroEightTest,
    ::testing::Values(
        ZeroEightCase{"below_the_scanned_rows", 100, 129, 108, kBelowMiddle, true, '8', '0'},
        ZeroEightCase{"first_scanned_row", 100, 129, 109, kBelowMiddle, true, '0', '8'},
        ZeroEightCase{"last_scanned_row", 100, 129, 118, kBelowMiddle, true, '0', '8'},
        ZeroEightCase{"above_the_scanned_rows", 100, 129, 119, kBelowMiddle, true, '8', '0'},
        ZeroEightCase{"three_rows_scan_the_bottom_one", 100, 102, 100, kBelowMiddle, true, '0', '8'},
        ZeroEightCase{"three_rows_scan_no_other", 100, 102, 101, kBelowMiddle, true, '8', '0'},
        ZeroEightCase{"probe_at_the_middle_level", 100, 129, 110, 111, true, '8', '0'},
        ZeroEightCase{"other_digits_untouched", 100, 129, 110, kBelowMiddle, true, '5', '5'},
        ZeroEightCase{"no_contrast_keeps_the_zero", 100, 129, 110, kBelowMiddle, false, '0', '0'},
        ZeroEightCase{"no_contrast_keeps_the_eight", 100, 129, -1, kBelowMiddle, false, '8', '8'}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(DecideCharactersTest, AppliesTheZeroEightCheckToEveryMatchedZero) {
  auto workspace = testing::make_workspace();
  paint_box(workspace->display, 100, 139, 115, true);
  workspace->templates[0] = make_template({'0', 0, 0});
  workspace->candidates.records[0] = make_candidate(100, 119, 100, 139);
  workspace->candidates.records[1] = make_candidate(300, 319, 100, 139);  // black: no contrast
  workspace->candidates.count = 2;
  decide_characters(*workspace);
  EXPECT_EQ(workspace->candidates.records[0].character, '8');
  EXPECT_EQ(workspace->candidates.records[1].character, '0');
}

}  // namespace
}  // namespace plate
