#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "shell/drop_rule.h"

namespace plate {
namespace {

struct DropCase {
  const char* name;
  std::vector<std::filesystem::path> dropped;
  std::optional<std::filesystem::path> read;
};

class DropRuleTest : public ::testing::TestWithParam<DropCase> {};

TEST_P(DropRuleTest, ReadsTheFirstFileUnlessItsPathContainsDotTxt) {
  EXPECT_EQ(file_to_read(GetParam().dropped), GetParam().read);
}

const std::filesystem::path kLongPath = "/p/" + std::string(300, 'd') + "/" + std::string(200, 'f') + ".bmp";

INSTANTIATE_TEST_SUITE_P(
    Drops, DropRuleTest,
    ::testing::Values(DropCase{"Bitmap", {"/p/car.bmp"}, "/p/car.bmp"},
                      DropCase{"LowerCaseTxt", {"/p/car.txt"}, std::nullopt},
                      DropCase{"UpperCaseTxt", {"/p/CAR.TXT"}, std::nullopt},
                      DropCase{"MixedCaseTxtIsRead", {"/p/car.Txt"}, "/p/car.Txt"},
                      DropCase{"TxtInAFolderName", {"/p/x.txt/car.bmp"}, std::nullopt},
                      DropCase{"TxtWithoutTheDotIsRead", {"/p/txt/cartxt.bmp"}, "/p/txt/cartxt.bmp"},
                      DropCase{"FirstOfThree", {"/p/a.bmp", "/p/b.bmp", "/p/c.bmp"}, "/p/a.bmp"},
                      DropCase{"LaterTxtIgnored", {"/p/a.bmp", "/p/b.txt"}, "/p/a.bmp"},
                      DropCase{"FirstTxtSkipsTheDrop", {"/p/a.txt", "/p/b.bmp"}, std::nullopt},
                      DropCase{"Empty", {}, std::nullopt},
                      DropCase{"LongPathKeptWhole", {kLongPath}, kLongPath}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace plate
