#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "shell/result_dialog_texts.h"

namespace plate {
namespace {

struct Plate {
  std::int32_t group_id;  // as the character list carries it: 0 for a withdrawn group
  int digits;
  const char* text;  // Shift-JIS bytes
};

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
        std::strncpy(group.text, plate.text, sizeof group.text - 1);
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

INSTANTIATE_TEST_SUITE_P(
    Runs, ResultTextTest,
    ::testing::Values(
        ResultTextCase{"NoDigit", 47, {}, "処理時間 = 47 ms \r\n" + kNoPlate},
        ResultTextCase{"OnePlate", 47, {{1, 4, "12-34"}}, "処理時間 = 47 ms \r\n\r\nNumberplate : 12-34\r\n"},
        ResultTextCase{"GroupsOneAndThreeAfterAMerge",
                       15,
                       {{1, 2,
                         "\xA5\xA5"
                         "12"},
                        {3, 4, "56-78"}},
                       "処理時間 = 15 ms \r\n\r\nNumberplate : ･･12\r\n\r\nNumberplate : 56-78\r\n"},
        ResultTextCase{"OnlyWithdrawnGroups", 9, {{0, 3, ""}, {0, 1, ""}}, "処理時間 = 9 ms \r\n" + kNoPlate},
        ResultTextCase{"WithdrawnGroupBetweenPlates",
                       9,
                       {{0, 2, ""},
                        {2, 1,
                         "\xA5\xA5\xA5"
                         "7"},
                        {0, 3, ""},
                        {4, 3,
                         "\xA5"
                         "345"}},
                       "処理時間 = 9 ms \r\n\r\nNumberplate : ･･･7\r\n\r\nNumberplate : ･345\r\n"},
        ResultTextCase{
            "GroupIdPastTheTable", 9, {{kMaxGroupId + 1, 2, ""}}, "処理時間 = 9 ms \r\n" + kNoPlate},
        ResultTextCase{"ZeroMilliseconds", 0, {}, "処理時間 = 0 ms \r\n" + kNoPlate},
        ResultTextCase{
            "TimePastTheSignedRange", 3000000000u, {}, "処理時間 = 3000000000 ms \r\n" + kNoPlate}),
    [](const auto& row) { return std::string(row.param.name); });

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "the last line has no line end";
  return lines;
}

TEST(ContactTextTest, HeadingNameAndContactLinesInTheirOrderWithEmptyLinesBetween) {
  const std::vector<std::string> lines = lines_of(compose_contact_text());
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], "お問い合わせ");
  EXPECT_EQ(lines[1], "");
  EXPECT_NE(lines[2].find("plate-reader"), std::string::npos);
  EXPECT_EQ(lines[3], "");
  const char* const kinds[] = {"TEL", "FAX", "E-mail", "Web"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(lines[4 + i].rfind(kinds[i], 0), 0u) << lines[4 + i];
  EXPECT_EQ(lines[8], "");
}

}  // namespace
}  // namespace plate
