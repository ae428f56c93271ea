#include <gtest/gtest.h>

#include <array>
#include <climits>

#include "resources/result_dialog.h"
#include "shell/dialog_units.h"

namespace plate {
namespace {

TEST(DialogUnitsTest, MulDivRoundsHalvesAwayFromZeroAndReportsWhatItCannotCompute) {
  EXPECT_EQ(mul_div(93, 6, 4), 140);  // 139.5
  EXPECT_EQ(mul_div(9, 7, 4), 16);    // 15.75
  EXPECT_EQ(mul_div(-3, 3, 2), -5);   // -4.5
  EXPECT_EQ(mul_div(3, 3, -2), -5);
  EXPECT_EQ(mul_div(INT_MAX, 2, 2), INT_MAX);  // the product needs 64 bits
  EXPECT_EQ(mul_div(INT_MAX, 2, 1), -1);
  EXPECT_EQ(mul_div(5, 1, 0), -1);
  EXPECT_EQ(average_char_width(337), 6);  // (width / 26 + 1) / 2, just below and at the step
  EXPECT_EQ(average_char_width(338), 7);
}

// With the 9-point gothic face at 96 dpi (6 pixels average width, 12 pixels high), Win32 lays the
// result dialog out at these pixel positions: the frame, OK, the result box, its heading, the
// contact box.
TEST(DialogUnitsTest, ResultDialogInPixelsForTheNinePointGothicFace) {
  const PixelRect expected[] = {
      {0, 0, 359, 342}, {140, 311, 75, 21}, {11, 38, 338, 137}, {11, 11, 81, 24}, {11, 182, 338, 116}};
  const auto& c = resources::kResultDialogControls;
  const resources::DialogUnitRect units[] = {resources::kResultDialog.rect, c[0].rect, c[1].rect, c[2].rect,
                                             c[3].rect};
  for (int i = 0; i < 5; ++i) {
    const PixelRect got = to_pixels(units[i], {6, 12});
    EXPECT_EQ((std::array{got.x, got.y, got.width, got.height}),
              (std::array{expected[i].x, expected[i].y, expected[i].width, expected[i].height}))
        << i;
  }
}

}  // namespace
}  // namespace plate
