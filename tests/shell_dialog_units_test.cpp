#include <gtest/gtest.h>

#include <climits>

#include "resources/result_dialog.h"
#include "shell/dialog_units.h"

namespace plate {
namespace {

TEST(MulDivTest, RoundsHalvesAwayFromZeroAndReportsWhatItCannotCompute) {
  EXPECT_EQ(mul_div(93, 6, 4), 140);    // 139.5
  EXPECT_EQ(mul_div(207, 12, 8), 311);  // 310.5
  EXPECT_EQ(mul_div(25, 12, 8), 38);    // 37.5
  EXPECT_EQ(mul_div(7, 6, 4), 11);      // 10.5
  EXPECT_EQ(mul_div(5, 6, 4), 8);       // 7.5
  EXPECT_EQ(mul_div(9, 7, 4), 16);      // 15.75
  EXPECT_EQ(mul_div(-3, 3, 2), -5);     // -4.5
  EXPECT_EQ(mul_div(3, 3, -2), -5);
  EXPECT_EQ(mul_div(INT_MAX, 2, 2), INT_MAX);  // the product needs 64 bits
  EXPECT_EQ(mul_div(INT_MAX, 2, 1), -1);
  EXPECT_EQ(mul_div(5, 1, 0), -1);
}

TEST(AverageCharWidthTest, HalvesTheWidthOfTwoAlphabetsRoundingUp) {
  EXPECT_EQ(average_char_width(312), 6);  // 12 per letter pair
  EXPECT_EQ(average_char_width(337), 6);
  EXPECT_EQ(average_char_width(338), 7);  // 13 per pair
}

// With the 9-point gothic face at 96 dpi (6 pixels average width, 12 pixels high), Win32 lays the
// result dialog out at these pixel positions.
TEST(DialogUnitsTest, ResultDialogInPixelsForTheNinePointGothicFace) {
  const DialogFontMetrics gothic{6, 12};
  const auto expect_rect = [&](const resources::DialogUnitRect& units, PixelRect expected) {
    const PixelRect got = to_pixels(units, gothic);
    EXPECT_EQ(got.x, expected.x);
    EXPECT_EQ(got.y, expected.y);
    EXPECT_EQ(got.width, expected.width);
    EXPECT_EQ(got.height, expected.height);
  };
  expect_rect(resources::kResultDialog.rect, {0, 0, 359, 342});
  const auto& controls = resources::kResultDialogControls;
  expect_rect(controls[0].rect, {140, 311, 75, 21});   // OK
  expect_rect(controls[1].rect, {11, 38, 338, 137});   // result box
  expect_rect(controls[2].rect, {11, 11, 81, 24});     // its heading
  expect_rect(controls[3].rect, {11, 182, 338, 116});  // contact box
}

}  // namespace
}  // namespace plate
