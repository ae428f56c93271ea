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
  std::string text;  // Shift-JIS bytes: "\xA5" is the middle dot
};

// The result text of a run result as interpretation leaves it: each plate's digits next to each
// other in the list, in the order given.
std::string result_text(std::uint32_t processing_ms, const std::vector<Plate>& plates) {
  const auto result = std::make_unique<RunResult>();
  for (const Plate& plate : plates) {
    for (int d = 0; d < plate.digits; ++d)
      result->characters.entries[std::size_t(result->characters.count++)].group_id = plate.group_id;
    if (plate.group_id < 1 || plate.group_id > kMaxGroupId) continue;
    result->groups[std::size_t(plate.group_id)].digit_count = plate.digits;
    plate.text.copy(result->groups[std::size_t(plate.group_id)].text, kPlateTextBytes - 1);
  }
  return compose_result_text(processing_ms, plates_in_dialog_order(*result));
}

TEST(ResultTextTest, ListsEveryPlateReadOnceInGroupOrder) {
  const std::string header = "処理時間 = 47 ms \r\n", no_plate = "ナンバーを認識できませんでした。\r\n";
  EXPECT_EQ(result_text(0, {}), "処理時間 = 0 ms \r\n" + no_plate);
  EXPECT_EQ(result_text(47, {{1, 4, "12-34"}}), header + "\r\nNumberplate : 12-34\r\n");
  // Group 2 was given up in a merge.
  EXPECT_EQ(result_text(47, {{1, 2, "\xA5\xA5\x31\x32"}, {3, 4, "56-78"}}),
            header + "\r\nNumberplate : ･･12\r\n\r\nNumberplate : 56-78\r\n");
  EXPECT_EQ(result_text(47, {{0, 3, ""}, {0, 1, ""}}), header + no_plate);  // all withdrawn
  EXPECT_EQ(result_text(47, {{kMaxGroupId + 1, 2, ""}}), header + no_plate);
  // Printed unsigned: past 2^31 ms a signed conversion would show a negative time.
  EXPECT_EQ(result_text(3000000000u, {}), "処理時間 = 3000000000 ms \r\n" + no_plate);
}

}  // namespace
}  // namespace plate
