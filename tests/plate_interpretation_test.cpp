#include "engine/plate_interpretation.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "test_pictures.h"

namespace plate {
namespace {

using testing::fill_box;
using testing::set_gray;

struct Box {
  std::int32_t x_min, x_max, y_min, y_max;
};

// Inks of the test pictures. Background and digits alternate two neighbouring levels (one pixel in
// three on the lower one), so that each forms a hill in the brightness histogram: contrast analysis
// then gives dark level 41, light level 200 and middle level 120. Black (0) and grey (100) fall in
// bins that grow no hill, so marks drawn with them leave the levels as they are. Grey lies at or
// below the middle level but not below the dark one.
enum class Ink { digit, black, grey, none };

struct Paint {
  Box box;
  Ink ink;
};

struct PlateCase {
  const char* name;
  std::vector<Box> digits;  // one group, in list order, character bytes '1', '2', ...
  Ink digit_ink;
  std::vector<Paint> marks;
  const char* line;  // nullptr: the group passes; "": withdrawn without a line
};

constexpr std::int32_t kTop = 340;  // digits stand on row 300; the first is 40 high
constexpr Box kD1{500, 519, 300, kTop};
constexpr Box kD2{530, 549, 300, 348};  // taller: dots and hyphens are judged by its height
constexpr Box kD3Narrow{560, 579, 300, kTop};
constexpr Box kD3Wide{580, 599, 300, kTop};
constexpr Box kD4{610, 629, 300, kTop};

const std::vector<Box> kOne{kD1};
const std::vector<Box> kTwo{kD1, kD2};
const std::vector<Box> kThree{kD1, kD2, kD3Narrow};
const std::vector<Box> kFour{kD1, kD2, kD3Wide, kD4};

// Dot windows: one digit 419..479, two digits 424..484 (level scans over rows 300..339); three
// digits 469..489 (edge scan). The hyphen column of four digits is 564.
constexpr Paint kLeftDot{{430, 435, 310, 315}, Ink::black};
constexpr Paint kRightDot{{460, 465, 310, 315}, Ink::black};
constexpr Paint kThreeDigitDot{{475, 480, 310, 315}, Ink::black};
constexpr Paint kHyphen{{557, 571, 318, 321}, Ink::black};

class InterpretationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int y = 0; y < kFrameHeight; ++y)
      for (int x = 0; x < kFrameWidth; ++x) set_gray(picture(), x, y, (x + y) % 3 == 0 ? 200 : 201);
  }

  Plane& picture() { return workspace->display; }

  void paint(const Paint& paint) {
    const Box& b = paint.box;
    switch (paint.ink) {
      case Ink::digit:
        for (int y = b.y_min; y <= b.y_max; ++y)
          for (int x = b.x_min; x <= b.x_max; ++x) set_gray(picture(), x, y, (x + y) % 3 == 0 ? 40 : 41);
        break;
      case Ink::black:
        fill_box(picture(), b.x_min, b.x_max, b.y_min, b.y_max, 0);
        break;
      case Ink::grey:
        fill_box(picture(), b.x_min, b.x_max, b.y_min, b.y_max, 100);
        break;
      case Ink::none:
        break;
    }
  }

  // Appends one list entry per box, as grouping leaves them; the character bytes read '1', '2', ...
  void add_group(const std::vector<Box>& digits, std::int32_t group_id) {
    CharacterList& list = workspace->result.characters;
    for (std::size_t i = 0; i < digits.size(); ++i) {
      const Box& b = digits[i];
      const std::int32_t position = list.count++;
      workspace->candidates.records[position].character = static_cast<std::uint8_t>('1' + i);
      list.entries[position] = {.candidate_index = position,
                                .group_id = group_id,
                                .x_max = b.x_max,
                                .x_min = b.x_min,
                                .y_max = b.y_max,
                                .y_min = b.y_min,
                                .x_centre = (b.x_max + b.x_min) / 2,
                                .y_centre = (b.y_max + b.y_min) / 2,
                                .width = b.x_max - b.x_min,
                                .height = b.y_max - b.y_min};
    }
  }

  void draw_and_interpret(const PlateCase& c) {
    for (const Box& digit : c.digits) paint({digit, c.digit_ink});
    for (const Paint& mark : c.marks) paint(mark);
    add_group(c.digits, 1);
    interpret_plates(*workspace);
  }

  const GroupEntry& group(int id) const { return workspace->result.groups[id]; }
  std::string_view log() const { return workspace->result.log.view(); }
  std::int32_t id_at(int position) const { return workspace->result.characters.entries[position].group_id; }

  std::unique_ptr<Workspace> workspace = testing::make_workspace();
};

class PlateCaseTest : public InterpretationTest, public ::testing::WithParamInterface<PlateCase> {};

TEST_P(PlateCaseTest, KeepsOrWithdrawsTheGroupWithItsLine) {
  const PlateCase& c = GetParam();
  draw_and_interpret(c);
  const int n = static_cast<int>(c.digits.size());
  ASSERT_EQ(workspace->result.characters.count, n);  // withdrawal leaves the entries in place
  const bool passes = c.line == nullptr;
  EXPECT_EQ(group(1).digit_count, passes ? n : 0);
  for (int k = 0; k < n; ++k) EXPECT_EQ(id_at(k), passes ? 1 : 0) << k;
  EXPECT_EQ(log(), passes ? "" : c.line);
}

// One digit: frame 359..529, black area columns 359..499 over rows 300..340, 5781 pixels. Its
// dark count may reach 5781 / 19 = 304 (304 <= 5477 / 18); two dots give 72 of them.
constexpr Paint kDarkPatch232{{362, 369, 302, 330}, Ink::black};
constexpr Paint kOneMoreDark{{380, 380, 320, 320}, Ink::black};

auto case_name = [](const auto& row) { return std::string(row.param.name); };

// clang-format off
INSTANTIATE_TEST_SUITE_P(OneDigit, PlateCaseTest, ::testing::Values(
    PlateCase{"two_dots", kOne, Ink::digit, {kLeftDot, kRightDot}, nullptr},
    PlateCase{"three_dots", kOne, Ink::digit, {kLeftDot, kRightDot, {{445, 450, 310, 315}, Ink::black}}, nullptr},
    PlateCase{"flat_contrast", kOne, Ink::black, {kLeftDot, kRightDot}, "1groutp, cannot recognize contrast\r\n"},
    PlateCase{"dot_9_high", kOne, Ink::digit, {{{430, 439, 310, 319}, Ink::black}, kRightDot}, nullptr},
    PlateCase{"dot_10_high", kOne, Ink::digit, {{{430, 439, 310, 320}, Ink::black}, kRightDot},
              "1groutp, too big dot\r\n"},
    PlateCase{"one_dot", kOne, Ink::digit, {kLeftDot}, "1groutp, too few dots\r\n"},
    PlateCase{"grey_dots_escape_the_level_scan", kOne, Ink::digit,
              {{kLeftDot.box, Ink::grey}, {kRightDot.box, Ink::grey}}, "1groutp, too few dots\r\n"},
    PlateCase{"dots_from_the_digits_top_row_up", kOne, Ink::digit,
              {{{430, 435, kTop, kTop + 5}, Ink::black}, {{460, 465, kTop, kTop + 5}, Ink::black}},
              "1groutp, too few dots\r\n"},
    PlateCase{"dark_equal_to_light_over_18", kOne, Ink::digit, {kLeftDot, kRightDot, kDarkPatch232}, nullptr},
    PlateCase{"dark_one_more", kOne, Ink::digit, {kLeftDot, kRightDot, kDarkPatch232, kOneMoreDark},
              "1groutp, too large black area\r\n"},
    PlateCase{"frame_touching_column_0", {{140, 160, 300, kTop}}, Ink::digit,
              {{{70, 75, 310, 315}, Ink::black}, {{100, 105, 310, 315}, Ink::black}}, ""},
    PlateCase{"at_the_bottom_row", {{500, 519, 6, 46}}, Ink::digit,
              {{{430, 435, 16, 21}, Ink::black}, {{460, 465, 16, 21}, Ink::black}}, nullptr}),
    case_name);

INSTANTIATE_TEST_SUITE_P(TwoDigits, PlateCaseTest, ::testing::Values(
    PlateCase{"two_dots", kTwo, Ink::digit, {kLeftDot, kRightDot}, nullptr},
    PlateCase{"three_dots", kTwo, Ink::digit, {kLeftDot, kRightDot, {{445, 450, 310, 315}, Ink::black}},
              "2groutp, not two dots\r\n"},
    PlateCase{"big_blob_passed_over", kTwo, Ink::digit, {kLeftDot, kRightDot, {{445, 454, 305, 315}, Ink::black}},
              nullptr},
    PlateCase{"black_area", kTwo, Ink::digit, {kLeftDot, kRightDot, {{392, 420, 300, kTop}, Ink::black}},
              "2groutp, over 90% black\r\n"},
    PlateCase{"flat_contrast_passes_unsearched", kTwo, Ink::black, {}, nullptr},
    // Window -35..25: the columns left of 1 yield nothing, the rest are scanned as usual.
    PlateCase{"window_past_the_left_edge", {{115, 135, 300, kTop}, {175, 195, 300, kTop}}, Ink::digit,
              {{{5, 10, 310, 315}, Ink::black}, {{15, 20, 310, 315}, Ink::black}}, nullptr},
    // Digits two rows high, far apart, on the frame's bottom or top rows: windows at -2472 and at
    // 3570, whose columns must not be read at all (they would fall outside the plane's bytes).
    PlateCase{"window_far_left_of_the_plane", {{7, 9, 1, 3}, {999, 1001, 1, 3}}, Ink::digit,
              {{{500, 520, 1, 2}, Ink::digit}}, "2groutp, not two dots\r\n"},
    PlateCase{"window_far_right_of_the_plane", {{1020, 1021, 764, 766}, {0, 1, 764, 766}}, Ink::digit,
              {{{500, 520, 764, 765}, Ink::digit}}, "2groutp, not two dots\r\n"},
    // A second box far wider than the frame: the contrast rectangle reaches column 3099.
    PlateCase{"contrast_rectangle_wider_than_the_plane", {{10, 12, 764, 766}, {-2000, 3100, 764, 766}}, Ink::none,
              {{{10, 12, 764, 765}, Ink::digit}, {{500, 520, 764, 765}, Ink::digit}}, "2groutp, not two dots\r\n"}),
    case_name);

INSTANTIATE_TEST_SUITE_P(ThreeDigits, PlateCaseTest, ::testing::Values(
    PlateCase{"one_dot", kThree, Ink::digit, {kThreeDigitDot}, nullptr},
    PlateCase{"grey_dot_found_by_the_edge_scan", kThree, Ink::digit, {{kThreeDigitDot.box, Ink::grey}}, nullptr},
    PlateCase{"no_dot", kThree, Ink::digit, {}, "3groutp, too many dots or no dot\r\n"},
    PlateCase{"two_dots", kThree, Ink::digit, {{{470, 472, 310, 315}, Ink::black}, {{484, 486, 310, 315}, Ink::black}},
              "3groutp, too many dots or no dot\r\n"},
    PlateCase{"dot_11_judged_by_the_second_digit", kThree, Ink::digit, {{{475, 486, 305, 316}, Ink::black}}, nullptr},
    PlateCase{"dot_12", kThree, Ink::digit, {{{475, 486, 305, 317}, Ink::black}}, "3groutp, too big dot\r\n"},
    PlateCase{"flat_contrast", kThree, Ink::black, {kThreeDigitDot}, "3groutp, cannot recognize contrast\r\n"},
    // One row high, on the frame's top rows: the edge scan must not look above row 767.
    PlateCase{"on_the_top_row", {{500, 519, 766, 767}, {530, 549, 766, 767}, {560, 579, 766, 767}}, Ink::digit, {},
              "3groutp, too many dots or no dot\r\n"}),
    case_name);

INSTANTIATE_TEST_SUITE_P(FourAndMoreDigits, PlateCaseTest, ::testing::Values(
    PlateCase{"hyphen", kFour, Ink::digit, {kHyphen}, nullptr},
    PlateCase{"flat_contrast", kFour, Ink::black, {kHyphen}, "3groutp, cannot recognize contrast\r\n"},
    PlateCase{"hyphen_column_on_the_second_digits_edge", {kD1, kD2, {550, 568, 300, kTop}, kD4}, Ink::digit,
              {kHyphen}, "4groutp, no hyphn (0)\r\n"},
    PlateCase{"no_hyphen", kFour, Ink::digit, {}, "4groutp, no hyphn\r\n"},
    PlateCase{"hyphen_15_high_23_wide", kFour, Ink::digit, {{{553, 576, 318, 333}, Ink::black}}, nullptr},
    PlateCase{"hyphen_16_high", kFour, Ink::digit, {{{557, 571, 318, 334}, Ink::black}}, "4groutp, too big hyphn\r\n"},
    PlateCase{"hyphen_24_wide", kFour, Ink::digit, {{{553, 577, 318, 321}, Ink::black}}, "4groutp, too big hyphn\r\n"},
    PlateCase{"first_blob_decides", kFour, Ink::digit,
              {{{560, 568, 302, 320}, Ink::black}, {{557, 571, 330, 333}, Ink::black}}, "4groutp, too big hyphn\r\n"},
    PlateCase{"five_digits", {kD1, kD2, kD3Narrow, {590, 609, 300, kTop}, {620, 639, 300, kTop}}, Ink::digit,
              {kHyphen}, ""}),
    case_name);
// clang-format on

struct TextCase {
  const char* name;
  std::vector<Box> digits;
  std::vector<Paint> marks;
  std::string text;
  Box frame;
};

class TextAndFrameTest : public InterpretationTest, public ::testing::WithParamInterface<TextCase> {};

// Margins come from the first digit's height (40) even where the taller second digit (48) sets
// the top.
TEST_P(TextAndFrameTest, PassedPlateKeepsItsTextAndFrame) {
  const TextCase& c = GetParam();
  draw_and_interpret({c.name, c.digits, Ink::digit, c.marks, nullptr});
  const GroupEntry& entry = group(1);
  ASSERT_EQ(entry.digit_count, static_cast<int>(c.digits.size())) << log();
  EXPECT_EQ(std::string(entry.text), c.text);
  EXPECT_EQ(entry.x_min, c.frame.x_min);
  EXPECT_EQ(entry.x_max, c.frame.x_max);
  EXPECT_EQ(entry.y_min, c.frame.y_min);
  EXPECT_EQ(entry.y_max, c.frame.y_max);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(ByDigitCount, TextAndFrameTest, ::testing::Values(
    TextCase{"one", kOne, {kLeftDot, kRightDot}, "\xA5\xA5\xA5" "1", {359, 529, 295, 374}},
    TextCase{"two", kTwo, {kLeftDot, kRightDot}, "\xA5\xA5" "12", {389, 559, 295, 382}},
    TextCase{"three", kThree, {kThreeDigitDot}, "\xA5" "123", {439, 589, 295, 382}},
    TextCase{"four", kFour, {kHyphen}, "12-34", {459, 639, 295, 382}}),
    case_name);
// clang-format on

TEST_F(InterpretationTest, EmptyListChangesNothing) {
  workspace->result.groups[3].digit_count = 2;
  interpret_plates(*workspace);
  EXPECT_EQ(group(3).digit_count, 2);
  EXPECT_EQ(log(), "");
}

// The tracer's marks make a dot count once: for the columns that cross it, and for every later
// group of the run.
TEST_F(InterpretationTest, DotTracedForOneGroupDoesNotCountForTheNext) {
  paint({kD1, Ink::digit});
  paint(kLeftDot);
  paint(kRightDot);
  add_group({{700, 719, 100, 140}}, 0);  // already withdrawn: passed over by itself
  add_group(kOne, 1);
  add_group(kOne, 2);  // the same place again, as if a second plate stood there
  interpret_plates(*workspace);
  EXPECT_EQ(group(1).digit_count, 1);
  EXPECT_EQ(group(2).digit_count, 0);
  EXPECT_EQ(id_at(0), 0);
  EXPECT_EQ(id_at(1), 1);
  EXPECT_EQ(id_at(2), 0);
  EXPECT_EQ(log(), "1groutp, too few dots\r\n");
}

}  // namespace
}  // namespace plate
