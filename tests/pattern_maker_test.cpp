#include "tools/pattern_maker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/recognition.h"
#include "test_pictures.h"

namespace plate {
namespace {

const std::filesystem::path kShippedPatterns = PLATE_SOURCE_DIR "/data/EBMPlog00.pat";

class SilentMessages final : public MessageService {
 public:
  void show_message(std::string_view) override {}
};

bool font_installed(const tools::DigitLook& look) {
  return std::filesystem::exists(look.font_file);
}
constexpr const char* kFontMissing = "digit font not installed (scripts/setup installs it): ";

TEST(GlyphRasterTest, HeightsScaleAndBlendingAreAsAsked) {
  const tools::DigitLook look = tools::shipped_recipe().look;
  if (!font_installed(look)) GTEST_SKIP() << kFontMissing << look.font_file;
  const tools::GlyphRasterizer font(look.font_file);
  const tools::GlyphBitmap ink_tall = font.render(U'8', 60, tools::HeightBasis::ink);
  EXPECT_GE(ink_tall.height, 60);
  EXPECT_LE(ink_tall.height, 62);  // one partly covered row at each edge at most
  const tools::GlyphBitmap squeezed = font.render(U'8', 60, tools::HeightBasis::ink, 0.5);
  EXPECT_EQ(squeezed.height, ink_tall.height);
  EXPECT_NEAR(squeezed.width, ink_tall.width / 2.0, 1.5);
  // A digit is shorter than the em that contains it.
  EXPECT_LT(font.render(U'8', 60, tools::HeightBasis::em).height, 60);
  EXPECT_THROW(font.render(U'\uFFFF', 60, tools::HeightBasis::em), std::runtime_error);

  auto picture = std::make_unique<Plane>();
  picture->fill(255);
  tools::stamp_glyph(*picture, ink_tall, 100, 300, 0);
  const std::uint8_t* darkest = std::min_element(picture->bytes.begin(), picture->bytes.end());
  EXPECT_EQ(*darkest, 0);  // full coverage gives the ink level exactly
  // Glyph row r lands on plane row 300 - r: no ink outside columns 100.., rows ..300.
  int inked_outside = 0;
  for (int y = 0; y < kFrameHeight; ++y) {
    for (int x = 0; x < kFrameWidth; ++x) {
      const bool inside = x >= 100 && x < 100 + ink_tall.width && y <= 300 && y > 300 - ink_tall.height;
      inked_outside += !inside && picture->green_unchecked(x, y) != 255;
    }
  }
  EXPECT_EQ(inked_outside, 0);
}

void expect_ten_usable_digits(const TemplateTable& templates) {
  std::string characters;
  for (const ShapeRecord& record : templates) {
    characters += char(record.character);
    EXPECT_GE(record.point_count, 15) << record.character;
    EXPECT_LE(record.point_count, 1024) << record.character;
  }
  std::sort(characters.begin(), characters.end());
  EXPECT_EQ(characters, "0123456789");
}

TEST(PatternMakerTest, ItsFileRoundTripsThroughTheLoader) {
  const tools::TemplateRecipe recipe = tools::shipped_recipe();
  if (!font_installed(recipe.look)) GTEST_SKIP() << kFontMissing << recipe.look.font_file;
  auto workspace = testing::make_workspace();
  const TemplateTable made = tools::make_templates(*workspace, recipe);
  for (std::size_t k = 0; k < made.size(); ++k) EXPECT_EQ(made[k].character, recipe.record_order[k]);

  const auto file = std::filesystem::temp_directory_path() / "pattern_maker_test.pat";
  tools::write_pattern_file(file, made);
  EXPECT_EQ(std::filesystem::file_size(file), kPatternFileBytes);
  SilentMessages messages;
  ASSERT_TRUE(load_templates(workspace->templates, messages, file));
  std::filesystem::remove(file);
  EXPECT_EQ(std::memcmp(&workspace->templates, &made, sizeof made), 0);
  expect_ten_usable_digits(workspace->templates);
}

TEST(PatternMakerTest, TheShippedFileHoldsTenUsableDigits) {
  ASSERT_EQ(std::filesystem::file_size(kShippedPatterns), kPatternFileBytes);
  auto templates = std::make_unique<TemplateTable>();
  SilentMessages messages;
  ASSERT_TRUE(load_templates(*templates, messages, kShippedPatterns));
  expect_ten_usable_digits(*templates);
}

// The ten digits of the shipped look, side by side, each one row higher than the last so that the
// seed rows meet them at different phases, read with the shipped pattern file.
class ShippedPatternsReadTest : public ::testing::TestWithParam<int> {};

TEST_P(ShippedPatternsReadTest, EveryDigitIsStoredAndReadAsItself) {
  const tools::DigitLook look = tools::shipped_recipe().look;
  if (!font_installed(look)) GTEST_SKIP() << kFontMissing << look.font_file;
  const tools::GlyphRasterizer font(look.font_file);
  auto workspace = testing::make_workspace();
  SilentMessages messages;
  ASSERT_TRUE(load_templates(workspace->templates, messages, kShippedPatterns));

  const int height = GetParam();
  workspace->display.fill(tools::kPaperLevel);
  std::array<tools::InkBox, 10> ink{};
  for (int digit = 0; digit < 10; ++digit) {
    ink[std::size_t(digit)] = tools::draw_digit(workspace->display, font, look, char('0' + digit), height,
                                                30 + digit * 95, 200 + digit);
  }
  run_recognition(*workspace);

  for (int digit = 0; digit < 10; ++digit) {
    SCOPED_TRACE(::testing::Message() << "digit " << digit << " at " << height << " px");
    const tools::InkBox& box = ink[std::size_t(digit)];
    const auto begin = workspace->candidates.records.begin();
    const auto stored = std::find_if(begin, begin + workspace->candidates.count, [&](const ShapeRecord& r) {
      return r.x_min >= box.x_min && r.x_max <= box.x_max && r.y_min >= box.y_min && r.y_max <= box.y_max;
    });
    ASSERT_NE(stored, begin + workspace->candidates.count) << "not stored as a candidate";
    EXPECT_EQ(char(stored->character), char('0' + digit));
  }
}

INSTANTIATE_TEST_SUITE_P(InkHeights, ShippedPatternsReadTest, ::testing::Values(30, 60, 120),
                         [](const ::testing::TestParamInfo<int>& row) {
                           return std::to_string(row.param) + "px";
                         });

}  // namespace
}  // namespace plate
