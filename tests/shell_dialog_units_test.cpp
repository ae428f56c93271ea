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

// With the 9-point gothic face at 96 dpi (6 pixels average width, 12 pixels high), Win32 puts the
// result dialog's OK button here: x and width in quarters of the width, y and height in eighths of
// the height.
TEST(DialogUnitsTest, OkButtonWhereWin32PutsItForTheNinePointGothicFace) {
  const PixelRect ok = to_pixels(resources::kResultDialogControls[0].rect, {6, 12});
  EXPECT_EQ((std::array{ok.x, ok.y, ok.width, ok.height}), (std::array{140, 311, 75, 21}));
}

}  // namespace
}  // namespace plate
