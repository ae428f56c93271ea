#include "engine/matching.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "test_pictures.h"

namespace plate {
namespace {

ShapeRecord signature(const std::vector<std::int32_t>& smoothed_angles, std::int32_t start_direction) {
  ShapeRecord record{};
  record.point_count = static_cast<std::int32_t>(smoothed_angles.size());
  std::ranges::copy(smoothed_angles, record.smoothed_angles);
  record.start_direction = start_direction;
  return record;
}

// A two-point template that lies `distance` from the candidate below, turned by `rotation` degrees.
struct TemplateSpec {
  char character;
  std::int32_t distance, rotation;
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

// A box at x 100..119 whose left four columns are dark and the rest light, each level speckled
// over three neighbouring values so that its histogram shows a hill (dark 20..22, light 200..202,
// middle level 111). `probe_row` >= 0 sets the middle column at that row to `probe_level`, a level
// between the dark and the middle one unless a case says otherwise.
constexpr std::uint8_t kBelowMiddle = 110;

void paint_box(Plane& plane, int y_min, int y_max, int probe_row, bool speckled,
               std::uint8_t probe_level = kBelowMiddle) {
  constexpr std::uint8_t kSpeckle[4] = {0, 1, 1, 2};
  for (int y = y_min; y <= y_max; ++y)
    for (int x = 100; x <= 119; ++x)
      testing::set_gray(plane, x, y,
                        std::uint8_t((x <= 103 ? 20 : 200) + (speckled ? kSpeckle[(x + y) % 4] : 0)));
  if (probe_row >= 0) testing::set_gray(plane, 109, probe_row, probe_level);
}

struct DecisionCase {
  const char* name;
  std::vector<TemplateSpec> templates;
  int height, width;  // pixel extents of the candidate's box at x 100, y 100
  char expected;
  bool painted = false;  // false: a black picture, where the 0/8 check keeps every match
};

class DecideCharactersTest : public ::testing::TestWithParam<DecisionCase> {};

TEST_P(DecideCharactersTest, KeepsTheNearestTemplateThatTheWindowsAccept) {
  const DecisionCase& row = GetParam();
  auto workspace = testing::make_workspace();
  if (row.painted) paint_box(workspace->display, 100, 100 + row.height - 1, 115, true);
  for (std::size_t t = 0; t < row.templates.size(); ++t)
    workspace->templates[t] = make_template(row.templates[t]);
  workspace->candidates.records[0] = make_candidate(100, 100 + row.width - 1, 100, 100 + row.height - 1);
  workspace->candidates.count = 1;
  decide_characters(*workspace);
  EXPECT_EQ(workspace->candidates.records[0].character, static_cast<std::uint8_t>(row.expected));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Windows, DecideCharactersTest, ::testing::ValuesIn(std::vector<DecisionCase>{
    {"distance_29", {{'5', 29, 0}}, 23, 10, '5'},
    {"distance_30", {{'5', 30, 0}}, 23, 10, 0},
    {"rotation_19", {{'5', 0, 19}}, 23, 10, '5'},
    {"rotation_20", {{'5', 0, 20}}, 23, 10, 0},
    {"rotation_346", {{'5', 0, 346}}, 23, 10, '5'},
    {"rotation_161_for_5", {{'5', 0, 161}}, 23, 10, 0},
    {"rotation_161_for_0", {{'0', 0, 161}}, 23, 10, '0'},
    {"rotation_199_for_8", {{'8', 0, 199}}, 23, 10, '8'},
    {"rotation_199_for_1", {{'1', 0, 199}}, 30, 10, '1'},
    {"rotation_160_for_0", {{'0', 0, 160}}, 23, 10, 0},
    {"rotation_200_for_8", {{'8', 0, 200}}, 23, 10, 0},
    {"proportion_2_3_for_1", {{'1', 0, 0}}, 23, 10, 0},
    {"proportion_3_0_for_1", {{'1', 0, 0}}, 30, 10, '1'},
    {"proportion_3_0_for_5", {{'5', 0, 0}}, 30, 10, 0},
    {"tie_goes_to_the_earlier", {{'3', 5, 0}, {'5', 5, 0}}, 23, 10, '3'},
    {"nearer_but_refused_keeps_the_best", {{'3', 9, 0}, {'5', 4, 180}}, 23, 10, '3'},
    {"matched_zero_with_a_dark_crossing_is_8", {{'0', 0, 0}}, 40, 20, '8', true}}), testing::row_name);
// clang-format on

// A box at rows 100..y_max; the middle column's pixel at `probe_row` (none if negative) is set to
// `probe_level`.
struct ZeroEightCase {
  const char* name;
  int y_max, probe_row;
  char matched, expected;
  std::uint8_t probe_level = kBelowMiddle;
  bool speckled = true;     // false: no contrast
  int probe_blue_red = -1;  // when set, the probe's blue and red bytes; probe_level is its green byte
};

class CheckZeroEightTest : public ::testing::TestWithParam<ZeroEightCase> {};

TEST_P(CheckZeroEightTest, ADarkCrossingOnTheMiddleThirdMakesAnEight) {
  const ZeroEightCase& row = GetParam();
  auto workspace = testing::make_workspace();
  paint_box(workspace->display, 100, row.y_max, row.probe_row, row.speckled, row.probe_level);
  if (row.probe_blue_red >= 0) {
    std::uint8_t* probe = workspace->display.bytes.data() + Plane::offset_unchecked(109, row.probe_row);
    probe[int(Channel::blue)] = probe[int(Channel::red)] = std::uint8_t(row.probe_blue_red);
  }
  ShapeRecord candidate = make_candidate(100, 119, 100, row.y_max);
  candidate.character = static_cast<std::uint8_t>(row.matched);
  check_zero_eight(workspace->contrast, workspace->display, candidate);
  EXPECT_EQ(candidate.character, static_cast<std::uint8_t>(row.expected));
}

// Rows 100..129 are scanned from 109 to 118; rows 100..102 on row 100 only. Each case starts from
// the other digit, so a check that did nothing would fail.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Boxes, CheckZeroEightTest, ::testing::ValuesIn(std::vector<ZeroEightCase>{
    {"below_the_scanned_rows", 129, 108, '8', '0'},
    {"first_scanned_row", 129, 109, '0', '8'},
    {"last_scanned_row", 129, 118, '0', '8'},
    {"above_the_scanned_rows", 129, 119, '8', '0'},
    {"three_rows_scan_the_bottom_one", 102, 100, '0', '8'},
    {"other_digits_untouched", 129, 110, '5', '5'},
    {"no_contrast_keeps_the_zero", 129, 110, '0', '0', kBelowMiddle, false},
    // The middle level is a brightness, (B + G + R) / 3, and the crossing is judged by brightness:
    // dark-green ink (green 120, brightness 66) is darker than the middle level of about 111.
    {"dark_green_crossing_makes_an_eight", 129, 112, '0', '8', 120, true, 40}}), testing::row_name);
// clang-format on

}  // namespace
}  // namespace plate
