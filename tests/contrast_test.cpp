#include "engine/contrast.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "test_pictures.h"

namespace plate {
namespace {

// Counts for consecutive bins, starting at `first`.
struct BinRun {
  int first;
  std::vector<std::int32_t> counts;
};

const std::vector<BinRun> kOneHill = {{10, {1, 2, 3, 2, 1}}};
const std::vector<BinRun> kTwoEqualHills = {{10, {1, 2, 3, 2, 1}}, {200, {1, 2, 3, 2, 1}}};
const std::vector<BinRun> kRaisedBrightHill = {{10, {1, 2, 3, 2, 1}}, {200, {1, 3, 4, 3, 1}}};

std::vector<std::int32_t> histogram_of(const std::vector<BinRun>& runs, int bin_count = 256) {
  std::vector<std::int32_t> histogram(static_cast<std::size_t>(bin_count), 0);
  for (const BinRun& run : runs) std::ranges::copy(run.counts, histogram.begin() + run.first);
  return histogram;
}

struct HillCase {
  const char* name;
  std::vector<BinRun> runs;
  int bin_count, status;
  std::pair<int, int> main_bins, second_bins;
};

class FindTwoHillsTest : public ::testing::TestWithParam<HillCase> {};

TEST_P(FindTwoHillsTest, FindsTheLargestHillAndTheLargestOneApartFromIt) {
  const HillCase& row = GetParam();
  ContrastWorkArea work{};
  HillBounds main{-7, -7}, second{-7, -7};
  EXPECT_EQ(find_two_hills(work, histogram_of(row.runs, row.bin_count), main, second), row.status);
  EXPECT_EQ(std::pair(main.first_bin, main.last_bin), row.main_bins);
  EXPECT_EQ(std::pair(second.first_bin, second.last_bin), row.second_bins);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Histograms, FindTwoHillsTest, ::testing::ValuesIn(std::vector<HillCase>{
    {"one_hill", kOneHill, 256, 1, {11, 13}, {0, 0}},
    {"equal_hills_lower_one_is_main", kTwoEqualHills, 256, 2, {11, 13}, {201, 203}},
    {"raised_bright_hill_becomes_main", kRaisedBrightHill, 256, 2, {201, 203}, {11, 13}},
    {"hill_reaching_bin_0", {{0, {2, 2, 1}}}, 256, 1, {0, 2}, {0, 0}},
    {"flat_run", {{50, {7, 7, 7}}}, 256, 0, {0, 0}, {0, 0}},
    {"largest_bin_count", {{1018, {1, 2, 3, 2, 1}}}, 1023, 1, {1019, 1021}, {0, 0}},
    {"too_many_bins_leave_bounds_unwritten", kOneHill, 1024, 0, {-7, -7}, {-7, -7}}}), testing::row_name);
// clang-format on

struct ContrastCase {
  const char* name;
  std::vector<BinRun> runs;  // painted row by row over the rectangle, whose area they must fill
  int x_a, x_b, y_a, y_b;
  int status;
  ContrastLevels levels;  // {-1, -1, -1}: left unwritten
};

class MeasureContrastTest : public ::testing::TestWithParam<ContrastCase> {};

// The column and the row just past the rectangle are painted with a level that would show in the
// histogram if they were counted.
TEST_P(MeasureContrastTest, CountsFromTheLowerBoundsUpToTheHigherOnesAndGivesTheLevelsBetweenTheHills) {
  const ContrastCase& row = GetParam();
  auto workspace = testing::make_workspace();
  const auto [x_lo, x_hi] = std::minmax(row.x_a, row.x_b);
  const auto [y_lo, y_hi] = std::minmax(row.y_a, row.y_b);
  std::vector<std::uint8_t> levels;
  for (const BinRun& run : row.runs)
    for (std::size_t k = 0; k < run.counts.size(); ++k)
      levels.insert(levels.end(), std::size_t(run.counts[k]), std::uint8_t(run.first + int(k)));
  ASSERT_EQ(levels.size(), std::size_t((x_hi - x_lo) * (y_hi - y_lo)));
  for (int y = y_lo, next = 0; y < y_hi; ++y)
    for (int x = x_lo; x < x_hi; ++x)
      testing::set_gray(workspace->display, x, y, levels[std::size_t(next++)]);
  testing::fill_box(workspace->display, x_hi, x_hi, y_lo, y_hi, 77);
  testing::fill_box(workspace->display, x_lo, x_hi, y_hi, y_hi, 77);
  ContrastLevels got{-1, -1, -1};
  EXPECT_EQ(
      measure_contrast(workspace->contrast, workspace->display, row.x_a, row.x_b, row.y_a, row.y_b, got),
      row.status);
  EXPECT_EQ(std::tie(got.dark, got.middle, got.light),
            std::tie(row.levels.dark, row.levels.middle, row.levels.light));
  const auto& histogram = workspace->contrast.histogram;
  EXPECT_EQ(std::size_t(std::accumulate(histogram.begin(), histogram.end(), 0)), levels.size());
  EXPECT_EQ(histogram[77], 0);
}

// The darker hill is chosen by its position, not by its mass.
const std::vector<BinRun> kTenTimesTwoHills = {{10, {10, 20, 30, 20, 10}}, {200, {10, 20, 30, 20, 10}}};
constexpr ContrastLevels kUnwritten{-1, -1, -1}, kDark13Middle107Light201{107, 201, 13};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Pictures, MeasureContrastTest, ::testing::ValuesIn(std::vector<ContrastCase>{
    {"two_hills", kTwoEqualHills, 100, 118, 300, 301, 2, kDark13Middle107Light201},
    {"darker_hill_chosen_by_position", kRaisedBrightHill, 100, 121, 300, 301, 2, kDark13Middle107Light201},
    {"two_levels_apart", {{30, {20}}, {200, {20}}}, 100, 140, 300, 301, 0, kUnwritten},
    {"one_hill", {{50, {5, 10}}}, 100, 115, 300, 301, 1, kUnwritten},
    {"both_reversed", kTenTimesTwoHills, 218, 200, 110, 100, 2, kDark13Middle107Light201},
    {"zero_width", {}, 210, 210, 100, 110, 0, kUnwritten}}), testing::row_name);
// clang-format on

}  // namespace
}  // namespace plate
