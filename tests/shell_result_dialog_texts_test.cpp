#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "shell/result_dialog_texts.h"

namespace plate {
namespace {

struct Plate {
  std::int32_t group_id;  // as the character list carries it: 0 for a withdrawn group
  int digits;
  std::string text;  // Shift-JIS bytes
};

const std::string kDot = "\xA5";  // the middle dot in Shift-JIS

struct ResultTextCase {
  const char* name;
  std::uint32_t processing_ms;
  std::vector<Plate> plates;  // in list order
  std::string expected;
};

// A run result as interpretation leaves it: the list sorted by group id, each plate's digits
// next to each other, withdrawn groups' entries carrying group id 0.
struct RunTables {
  CharacterList characters{};
  GroupTable groups{};

  explicit RunTables(const std::vector<Plate>& plates) {
    for (const Plate& plate : plates) {
      for (int d = 0; d < plate.digits; ++d) {
        characters.entries[static_cast<std::size_t>(characters.count++)].group_id = plate.group_id;
      }
      if (plate.group_id >= 1 && plate.group_id <= kMaxGroupId) {
        GroupEntry& group = groups[static_cast<std::size_t>(plate.group_id)];
        group.digit_count = plate.digits;
        plate.text.copy(group.text, sizeof group.text - 1);
      }
    }
  }
};

const std::string kNoPlate = "ナンバーを認識できませんでした。\r\n";

class ResultTextTest : public ::testing::TestWithParam<ResultTextCase> {};

TEST_P(ResultTextTest, ListsEveryPlateReadOnceInGroupOrder) {
  const ResultTextCase& c = GetParam();
  const auto tables = std::make_unique<RunTables>(c.plates);
  EXPECT_EQ(compose_result_text(c.processing_ms, tables->characters, tables->groups), c.expected);
}

const std::string kHeader47 = "処理時間 = 47 ms \r\n";

INSTANTIATE_TEST_SUITE_P(
    Runs, ResultTextTest,
    ::testing::Values(
        ResultTextCase{"NoDigit", 47, {}, kHeader47 + kNoPlate},
        ResultTextCase{"OnePlate", 47, {{1, 4, "12-34"}}, kHeader47 + "\r\nNumberplate : 12-34\r\n"},
        ResultTextCase{"GroupsOneAndThreeAfterAMerge",
                       47,
                       {{1, 2, kDot + kDot + "12"}, {3, 4, "56-78"}},
                       kHeader47 + "\r\nNumberplate : ･･12\r\n\r\nNumberplate : 56-78\r\n"},
        ResultTextCase{"OnlyWithdrawnGroups", 47, {{0, 3, ""}, {0, 1, ""}}, kHeader47 + kNoPlate},
        ResultTextCase{"WithdrawnGroupsBetweenPlates",
                       47,
                       {{0, 2, ""}, {2, 1, kDot + kDot + kDot + "7"}, {0, 3, ""}, {4, 3, kDot + "345"}},
                       kHeader47 + "\r\nNumberplate : ･･･7\r\n\r\nNumberplate : ･345\r\n"},
        ResultTextCase{"GroupIdPastTheTable", 47, {{kMaxGroupId + 1, 2, ""}}, kHeader47 + kNoPlate},
        ResultTextCase{"ZeroMilliseconds", 0, {}, "処理時間 = 0 ms \r\n" + kNoPlate},
        ResultTextCase{
            "TimePastTheSignedRange", 3000000000u, {}, "処理時間 = 3000000000 ms \r\n" + kNoPlate}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace plate
