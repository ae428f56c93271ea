#include "engine/contrast.h"

#include <gtest/gtest.h>

#include <cstdlib>
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
  for (const BinRun& run : runs)
    for (std::size_t k = 0; k < run.counts.size(); ++k)
      histogram[static_cast<std::size_t>(run.first) + k] = run.counts[k];
  return histogram;
}

std::pair<int, int> bins(HillBounds bounds) {
  return {bounds.first_bin, bounds.last_bin};
}

// Paints grey pixels row by row over columns [x_lo, x_hi) and rows [y_lo, y_hi) so that the
// rectangle has exactly the given histogram; the counts must add up to its area.
void paint_histogram(Plane& plane, int x_lo, int x_hi, int y_lo, int y_hi, const std::vector<BinRun>& runs) {
  std::vector<std::uint8_t> levels;
  for (const BinRun& run : runs)
    for (std::size_t k = 0; k < run.counts.size(); ++k)
      levels.insert(levels.end(), static_cast<std::size_t>(run.counts[k]),
                    static_cast<std::uint8_t>(run.first + int(k)));
  ASSERT_EQ(levels.size(), static_cast<std::size_t>((x_hi - x_lo) * (y_hi - y_lo)));
  std::size_t next = 0;
  for (int y = y_lo; y < y_hi; ++y)
    for (int x = x_lo; x < x_hi; ++x) testing::set_gray(plane, x, y, levels[next++]);
}

TEST(FindTwoHillsTest, EachBinGrowsABandAtItsOwnHeightTowardsStrictlyHigherNeighbours) {
  ContrastWorkArea work{};
  HillBounds main_bounds{}, second_bounds{};
  find_two_hills(work, histogram_of(kOneHill), main_bounds, second_bounds);
  const std::vector<std::tuple<int, int, int>> expected = {
      {5, 10, 14}, {6, 11, 13}, {0, 12, 12}, {4, 11, 13}, {4, 10, 14}};
  for (int bin = 10; bin <= 14; ++bin) {
    const Hill& hill = work.hills[static_cast<std::size_t>(bin)];
    EXPECT_EQ(std::make_tuple(hill.mass, hill.first_bin, hill.last_bin),
              expected[static_cast<std::size_t>(bin - 10)])
        << bin;
  }
}

struct HillCase {
  const char* name;
  std::vector<BinRun> runs;
  int bin_count;
  int status;
  std::pair<int, int> main_bins;
  std::pair<int, int> second_bins;
};

class FindTwoHillsTest : public ::testing::TestWithParam<HillCase> {};

TEST_P(FindTwoHillsTest, FindsTheLargestHillAndTheLargestOneApartFromIt) {
  const HillCase& row = GetParam();
  ContrastWorkArea work{};
  HillBounds main_bounds{-7, -7}, second_bounds{-7, -7};
  EXPECT_EQ(find_two_hills(work, histogram_of(row.runs, row.bin_count), main_bounds, second_bounds),
            row.status);
  EXPECT_EQ(bins(main_bounds), row.main_bins);
  EXPECT_EQ(bins(second_bounds), row.second_bins);
}

INSTANTIATE_TEST_SUITE_P(
    Histograms, FindTwoHillsTest,
    ::testing::Values(
        HillCase{"one_hill", kOneHill, 256, 1, {11, 13}, {0, 0}},
        HillCase{"equal_hills_lower_one_is_main", kTwoEqualHills, 256, 2, {11, 13}, {201, 203}},
        HillCase{"raised_bright_hill_becomes_main", kRaisedBrightHill, 256, 2, {201, 203}, {11, 13}},
        HillCase{"neighbours_5_and_10", {{50, {5, 10}}}, 256, 1, {50, 51}, {0, 0}},
        HillCase{"equal_neighbours", {{50, {5, 5}}}, 256, 0, {0, 0}, {0, 0}},
        HillCase{"flat_run", {{50, {7, 7, 7}}}, 256, 0, {0, 0}, {0, 0}},
        HillCase{"largest_bin_count", {{1018, {1, 2, 3, 2, 1}}}, 1023, 1, {1019, 1021}, {0, 0}},
        HillCase{"too_many_bins_leave_bounds_unwritten", kOneHill, 1024, 0, {-7, -7}, {-7, -7}}),
    [](const auto& row) { return std::string(row.param.name); });

struct ContrastCase {
  const char* name;
  std::vector<BinRun> runs;
  int status;
  ContrastLevels levels;  // {-1, -1, -1}: left unwritten
};

class MeasureContrastTest : public ::testing::TestWithParam<ContrastCase> {};

TEST_P(MeasureContrastTest, GivesTheLevelsBetweenTheDarkerAndTheBrighterHill) {
  const ContrastCase& row = GetParam();
  auto workspace = testing::make_workspace();
  int area = 0;
  for (const BinRun& run : row.runs) area = std::accumulate(run.counts.begin(), run.counts.end(), area);
  paint_histogram(workspace->display, 100, 100 + area, 300, 301, row.runs);
  ContrastLevels levels{-1, -1, -1};
  EXPECT_EQ(measure_contrast(workspace->contrast, workspace->display, 100, 100 + area, 300, 301, levels),
            row.status);
  EXPECT_EQ(std::make_tuple(levels.dark, levels.middle, levels.light),
            std::make_tuple(row.levels.dark, row.levels.middle, row.levels.light));
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, MeasureContrastTest,
    ::testing::Values(ContrastCase{"two_hills", kTwoEqualHills, 2, {107, 201, 13}},
                      ContrastCase{"darker_hill_chosen_by_position", kRaisedBrightHill, 2, {107, 201, 13}},
                      ContrastCase{"uniform", {{128, {40}}}, 0, {-1, -1, -1}},
                      ContrastCase{"two_levels_apart", {{30, {20}}, {200, {20}}}, 0, {-1, -1, -1}},
                      ContrastCase{"one_hill", {{50, {5, 10}}}, 1, {-1, -1, -1}},
                      ContrastCase{"all_black", {{0, {40}}}, 0, {-1, -1, -1}},
                      ContrastCase{"all_white", {{255, {40}}}, 0, {-1, -1, -1}}),
    [](const auto& row) { return std::string(row.param.name); });

struct Bounds {
  const char* name;
  int x_a, x_b, y_a, y_b;
  int status;
};

class ContrastBoundsTest : public ::testing::TestWithParam<Bounds> {};

// The rectangle [200, 218) x [100, 110) holds ten times the two equal hills; the column and the row
// just past it are painted with a level that would show in the histogram if they were counted.
TEST_P(ContrastBoundsTest, CountsEveryPixelFromTheLowerBoundUpToButNotIncludingTheHigherOne) {
  const Bounds& row = GetParam();
  auto workspace = testing::make_workspace();
  paint_histogram(workspace->display, 200, 218, 100, 110,
                  {{10, {10, 20, 30, 20, 10}}, {200, {10, 20, 30, 20, 10}}});
  testing::fill_box(workspace->display, 218, 218, 100, 110, 77);
  testing::fill_box(workspace->display, 200, 218, 110, 110, 77);
  ContrastLevels levels{-1, -1, -1};
  EXPECT_EQ(
      measure_contrast(workspace->contrast, workspace->display, row.x_a, row.x_b, row.y_a, row.y_b, levels),
      row.status);
  const auto& histogram = workspace->contrast.histogram;
  EXPECT_EQ(std::accumulate(histogram.begin(), histogram.end(), 0),
            std::abs(row.x_b - row.x_a) * std::abs(row.y_b - row.y_a));
  EXPECT_EQ(histogram[77], 0);
  if (row.status == kTwoHillsFound) {
    EXPECT_EQ(std::make_tuple(levels.dark, levels.middle, levels.light), std::make_tuple(13, 107, 201));
  }
}

INSTANTIATE_TEST_SUITE_P(Rectangles, ContrastBoundsTest,
                         ::testing::Values(Bounds{"in_order", 200, 218, 100, 110, 2},
                                           Bounds{"columns_reversed", 218, 200, 100, 110, 2},
                                           Bounds{"rows_reversed", 200, 218, 110, 100, 2},
                                           Bounds{"both_reversed", 218, 200, 110, 100, 2},
                                           Bounds{"zero_width", 210, 210, 100, 110, 0},
                                           Bounds{"zero_height", 200, 218, 105, 105, 0}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(MeasureContrastTest, BrightnessIsTheTruncatedMeanOfTheThreeBytes) {
  auto workspace = testing::make_workspace();
  std::uint8_t* pixel = workspace->display.bytes.data() + Plane::offset_unchecked(10, 10);
  pixel[0] = 255, pixel[1] = 0, pixel[2] = 1;  // 256 / 3
  ContrastLevels levels{};
  measure_contrast(workspace->contrast, workspace->display, 10, 11, 10, 11, levels);
  EXPECT_EQ(workspace->contrast.histogram[85], 1);
}

}  // namespace
}  // namespace plate
