#include "engine/plate_interpretation.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "test_pictures.h"

namespace plate {
namespace {

using testing::Box;

// Inks of the test pictures. Background (200/201) and digits (40/41) put one pixel in three on
// the lower of two neighbouring levels, so that each forms a hill in the brightness histogram:
// contrast analysis then gives dark level 41, light level 200 and middle level 120. Black falls in
// a bin that grows no hill, so marks drawn with it leave the levels as they are.
enum class Ink : std::uint8_t { black = 0, digit = 41, background = 201, none = 1 };
using enum Ink;

struct Paint {
  Box box;
  Ink ink = black;
};

constexpr const char* kPasses = nullptr;

struct PlateCase {
  const char* name;
  std::vector<Box> digits;  // one group, in list order, character bytes '1', '2', ...
  Ink digit_ink;
  std::vector<Paint> marks;
  const char* line;            // of the log, without its "\r\n"; kPasses, or "" for a withdrawal without one
  const char* text = nullptr;  // of a passing group, with its frame
  Box frame{};
};

constexpr std::int32_t kTop = 340;  // digits stand on row 300; the first is 40 high
constexpr Box kD1{500, 519, 300, kTop};
constexpr Box kD2{530, 549, 300, 348};  // taller: dots and hyphens are judged by its height

const std::vector<Box> kOne{kD1};
const std::vector<Box> kTwo{kD1, kD2};
const std::vector<Box> kThree{kD1, kD2, {560, 579, 300, kTop}};
const std::vector<Box> kFour{kD1, kD2, {580, 599, 300, kTop}, {610, 629, 300, kTop}};

// Dot windows: one digit 419..479, two digits 424..484 (level scans over rows 300..339); three
// digits 469..489 (edge scan). The hyphen column of four digits is 564.
constexpr Paint kLeftDot{{430, 435, 310, 315}};
constexpr Paint kRightDot{{460, 465, 310, 315}};
constexpr Paint kThreeDigitDot{{475, 480, 310, 315}};
constexpr Paint kHyphen{{557, 571, 318, 321}};
// One digit: frame 359..529, black area columns 359..499 over rows 300..340, 5781 pixels. Its
// dark count may reach 5781 / 19 = 304 (304 <= 5477 / 18); two dots give 72 of them.
constexpr Paint kDarkPatch232{{362, 369, 302, 330}};

class InterpretationTest : public ::testing::Test {
 protected:
  void SetUp() override { paint({{0, kFrameWidth - 1, 0, kFrameHeight - 1}, background}); }

  void paint(const Paint& p) {
    if (p.ink == none) return;
    const bool dithered = p.ink == digit || p.ink == background;
    for (int y = p.box.y_min; y <= p.box.y_max; ++y)
      for (int x = p.box.x_min; x <= p.box.x_max; ++x)
        testing::set_gray(workspace->display, x, y,
                          std::uint8_t(int(p.ink) - (dithered && (x + y) % 3 == 0)));
  }

  // Appends one list entry per box, as grouping leaves them; the character bytes read '1', '2', ...
  void add_group(const std::vector<Box>& digits, std::int32_t group_id) {
    CharacterList& list = workspace->result.characters;
    for (std::size_t i = 0; i < digits.size(); ++i) {
      const Box& b = digits[i];
      const std::int32_t k = list.count++;
      workspace->candidates.records[k].character = static_cast<std::uint8_t>('1' + i);
      // clang-format off
      list.entries[k] = {k, group_id, b.x_max, b.x_min, b.y_max, b.y_min, (b.x_max + b.x_min) / 2,
                         (b.y_max + b.y_min) / 2, b.x_max - b.x_min, b.y_max - b.y_min};
      // clang-format on
    }
  }

  // A withdrawal sets the group's ids to 0 and leaves its entries in place.
  std::vector<std::int32_t> ids() const { return testing::group_ids(workspace->result.characters); }

  const GroupEntry& group(int id) const { return workspace->result.groups[id]; }
  std::string_view log() const { return workspace->result.log.view(); }

  std::unique_ptr<Workspace> workspace = testing::make_workspace();
};

class PlateCaseTest : public InterpretationTest, public ::testing::WithParamInterface<PlateCase> {};

// Margins come from the first digit's height (40) even where the taller second digit (48) sets
// the top.
TEST_P(PlateCaseTest, KeepsOrWithdrawsTheGroupWithItsLine) {
  const PlateCase& c = GetParam();
  for (const Box& box : c.digits) paint({box, c.digit_ink});
  for (const Paint& mark : c.marks) paint(mark);
  add_group(c.digits, 1);
  interpret_plates(*workspace);
  const int n = static_cast<int>(c.digits.size());
  const bool passes = c.line == kPasses;
  EXPECT_EQ(group(1).digit_count, passes ? n : 0);
  EXPECT_EQ(ids(), std::vector<std::int32_t>(std::size_t(n), passes ? 1 : 0));
  EXPECT_EQ(log(), passes || !*c.line ? "" : std::string(c.line) + "\r\n");
  if (!c.text) return;
  const GroupEntry& e = group(1);
  EXPECT_EQ(std::string(e.text), c.text);
  EXPECT_EQ(std::tie(e.x_min, e.x_max, e.y_min, e.y_max),
            std::tie(c.frame.x_min, c.frame.x_max, c.frame.y_min, c.frame.y_max));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(OneDigit, PlateCaseTest, ::testing::ValuesIn(std::vector<PlateCase>{
    {"two_dots", kOne, digit, {kLeftDot, kRightDot}, kPasses, "\xA5\xA5\xA5" "1", {359, 529, 295, 374}},
    {"flat_contrast", kOne, black, {kLeftDot, kRightDot}, "1groutp, cannot recognize contrast"},
    {"dot_9_high", kOne, digit, {{{430, 439, 310, 319}}, kRightDot}, kPasses},
    {"dot_10_high", kOne, digit, {{{430, 439, 310, 320}}, kRightDot}, "1groutp, too big dot"},
    {"one_dot", kOne, digit, {kLeftDot}, "1groutp, too few dots"},
    {"dark_equal_to_light_over_18", kOne, digit, {kLeftDot, kRightDot, kDarkPatch232}, kPasses},
    {"dark_one_more", kOne, digit, {kLeftDot, kRightDot, kDarkPatch232, {{380, 380, 320, 320}}},
     "1groutp, too large black area"},
    {"frame_touching_column_0", {{140, 160, 300, kTop}}, digit,
     {{{70, 75, 310, 315}}, {{100, 105, 310, 315}}}, ""}}), testing::row_name);

INSTANTIATE_TEST_SUITE_P(TwoDigits, PlateCaseTest, ::testing::ValuesIn(std::vector<PlateCase>{
    {"two_dots", kTwo, digit, {kLeftDot, kRightDot}, kPasses, "\xA5\xA5" "12", {389, 559, 295, 382}},
    {"three_dots", kTwo, digit, {kLeftDot, kRightDot, {{445, 450, 310, 315}}}, "2groutp, not two dots"},
    {"black_area", kTwo, digit, {kLeftDot, kRightDot, {{392, 420, 300, kTop}}}, "2groutp, over 90% black"},
    // Digits two rows high, far apart, on the frame's bottom or top rows: windows at -2472 and at
    // 3570, whose columns must not be read at all (they would fall outside the plane's bytes).
    {"window_far_left_of_the_plane", {{7, 9, 1, 3}, {999, 1001, 1, 3}}, digit, {{{500, 520, 1, 2}, digit}},
     "2groutp, not two dots"},
    {"window_far_right_of_the_plane", {{1020, 1021, 764, 766}, {0, 1, 764, 766}}, digit,
     {{{500, 520, 764, 765}, digit}}, "2groutp, not two dots"},
    // A second box far wider than the frame: the contrast rectangle reaches column 3099.
    {"contrast_rectangle_wider_than_the_plane", {{10, 12, 764, 766}, {-2000, 3100, 764, 766}}, none,
     {{{10, 12, 764, 765}, digit}, {{500, 520, 764, 765}, digit}}, "2groutp, not two dots"}}),
    testing::row_name);

INSTANTIATE_TEST_SUITE_P(ThreeDigits, PlateCaseTest, ::testing::ValuesIn(std::vector<PlateCase>{
    {"one_dot", kThree, digit, {kThreeDigitDot}, kPasses, "\xA5" "123", {439, 589, 295, 382}},
    {"no_dot", kThree, digit, {}, "3groutp, too many dots or no dot"},
    {"dot_11_judged_by_the_second_digit", kThree, digit, {{{475, 486, 305, 316}}}, kPasses},
    {"dot_12", kThree, digit, {{{475, 486, 305, 317}}}, "3groutp, too big dot"},
    // One row high, on the frame's top rows: the edge scan must not look above row 767.
    {"on_the_top_row", {{500, 519, 766, 767}, {530, 549, 766, 767}, {560, 579, 766, 767}}, digit, {},
     "3groutp, too many dots or no dot"}}), testing::row_name);

INSTANTIATE_TEST_SUITE_P(FourAndMoreDigits, PlateCaseTest, ::testing::ValuesIn(std::vector<PlateCase>{
    {"hyphen", kFour, digit, {kHyphen}, kPasses, "12-34", {459, 639, 295, 382}},
    {"hyphen_column_on_the_second_digits_edge", {kD1, kD2, {550, 568, 300, kTop}, kFour[3]}, digit, {kHyphen},
     "4groutp, no hyphn (0)"},
    {"no_hyphen", kFour, digit, {}, "4groutp, no hyphn"},
    {"hyphen_15_high_23_wide", kFour, digit, {{{553, 576, 318, 333}}}, kPasses},
    {"hyphen_16_high", kFour, digit, {{{557, 571, 318, 334}}}, "4groutp, too big hyphn"},
    {"hyphen_24_wide", kFour, digit, {{{553, 577, 318, 321}}}, "4groutp, too big hyphn"},
    {"five_digits", {kD1, kD2, kThree[2], {590, 609, 300, kTop}, {620, 639, 300, kTop}}, digit, {kHyphen},
     ""}}), testing::row_name);
// clang-format on

// The tracer's marks make a dot count once: for the columns that cross it, and for every later
// group of the run.
TEST_F(InterpretationTest, DotTracedForOneGroupDoesNotCountForTheNext) {
  for (const Paint& p : {Paint{kD1, digit}, kLeftDot, kRightDot}) paint(p);
  add_group({{700, 719, 100, 140}}, 0);  // already withdrawn: passed over by itself
  add_group(kOne, 1);
  add_group(kOne, 2);  // the same place again, as if a second plate stood there
  interpret_plates(*workspace);
  EXPECT_EQ(group(1).digit_count, 1);
  EXPECT_EQ(group(2).digit_count, 0);
  EXPECT_EQ(ids(), (std::vector<std::int32_t>{0, 1, 0}));
  EXPECT_EQ(log(), "1groutp, too few dots\r\n");
}

}  // namespace
}  // namespace plate
