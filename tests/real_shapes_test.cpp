#include "tools/real_shapes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace plate {
namespace {

// A two-point outline in the shape file's form.
std::string line(char digit, const std::string& source, int points = 2) {
  std::string text = "{\"digit\":\"" + std::string(1, digit) + "\",\"source\":\"" + source +
                     "\",\"height\":30,\"point_count\":" + std::to_string(points) +
                     ",\"start_direction\":1,\"x_min\":1,\"x_max\":2,\"y_min\":1,\"y_max\":5,"
                     "\"points\":[[1,1],[2,5]],\"angles\":[0,90],\"smoothed_angles\":[0,-90]}";
  return text;
}

TEST(RealShapesTest, ReadsTheFileSplitsBySourceAndRefusesBrokenLines) {
  const auto file = std::filesystem::temp_directory_path() / "real_shapes_test.jsonl";
  std::ofstream(file) << line('3', "a") << "\n\n"
                      << line('3', "a") << "\n"
                      << line('7', "b") << "\n"
                      << line('8', "c") << "\n";
  const auto shapes = tools::read_shape_file(file);
  ASSERT_EQ(shapes.size(), 4u);
  EXPECT_EQ(shapes[2].digit, '7');
  EXPECT_EQ(shapes[1].record.points[1].y, 5);
  EXPECT_EQ(shapes[0].record.smoothed_angles[1], -90);
  EXPECT_EQ(tools::half_of(shapes, tools::Half::first).size(), 3u);  // sources a and c, all heights
  EXPECT_EQ(tools::half_of(shapes, tools::Half::second).size(), 1u);
  for (const std::string& bad : {line('x', "a"), line('3', "a", 3), line('3', "a", 2000),
                                 std::string("{\"digit\":\"3\"}"), line('3', "a") + "x"}) {
    std::ofstream(file) << line('1', "a") << "\n" << bad << "\n";
    try {
      tools::read_shape_file(file);
      ADD_FAILURE() << bad;
    } catch (const std::runtime_error& error) {
      EXPECT_NE(std::string(error.what()).find(":2:"), std::string::npos) << error.what();
    }
  }
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace plate
