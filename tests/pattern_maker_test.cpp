#include "tools/pattern_maker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "engine/recognition.h"
#include "test_pictures.h"
#include "tools/plate_digit_outline.h"
#include "tools/real_shapes.h"

namespace plate {
namespace {

const std::filesystem::path kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf";
#define SKIP_WITHOUT_FONT() \
  if (!std::filesystem::exists(kFont)) GTEST_SKIP() << "no DejaVu font (scripts/setup installs it): " << kFont

std::vector<char> bytes_of(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

TEST(GlyphRasterTest, HeightsScaleEmboldeningAndBlendingAreAsAsked) {
  SKIP_WITHOUT_FONT();
  const tools::GlyphRasterizer font(kFont);
  const tools::GlyphBitmap ink_tall = font.render(U'8', 60, tools::HeightBasis::ink);
  EXPECT_GE(ink_tall.height, 60);
  EXPECT_LE(ink_tall.height, 62);  // one partly covered row at each edge at most
  const tools::GlyphBitmap squeezed = font.render(U'8', 60, tools::HeightBasis::ink, 0.5);
  EXPECT_EQ(squeezed.height, ink_tall.height);
  EXPECT_NEAR(squeezed.width, ink_tall.width / 2.0, 1.5);
  const tools::GlyphBitmap bold = font.render(U'1', 60, tools::HeightBasis::ink, 1.0, 0.05);
  EXPECT_LE(bold.height, 62);  // thickened, yet as tall as asked
  EXPECT_GE(bold.width, font.render(U'1', 60, tools::HeightBasis::ink).width + 2);
  EXPECT_LT(font.render(U'8', 60, tools::HeightBasis::em).height, 60);  // a digit is shorter than its em
  EXPECT_THROW(font.render(U'\uFFFF', 60, tools::HeightBasis::em), std::runtime_error);

  auto picture = std::make_unique<Plane>();
  picture->fill(255);
  tools::stamp_glyph(*picture, ink_tall, 100, 300, 0);
  EXPECT_EQ(*std::min_element(picture->bytes.begin(), picture->bytes.end()), 0);  // full coverage is ink
  // Glyph row r lands on plane row 300 - r: no ink outside columns 100.., rows ..300.
  for (int y = 0; y < kFrameHeight; ++y) {
    for (int x = 0; x < kFrameWidth; ++x) {
      const bool inside = x >= 100 && x < 100 + ink_tall.width && y <= 300 && y > 300 - ink_tall.height;
      ASSERT_TRUE(inside || picture->green_unchecked(x, y) == 255) << x << "," << y;
    }
  }
}

// The drawn digits fill the plate cell, 2 : 1 (round edges may leave the outermost pixel partly
// covered or empty), the '1' one 12 mm stroke wide; odd requests fail.
TEST(PlateDigitOutlineTest, DigitsFillTheCellWithTwelveMillimetreStrokes) {
  for (char digit = '0'; digit <= '9'; ++digit) {
    const tools::GlyphBitmap glyph = tools::render_plate_digit(digit, 80);
    EXPECT_GE(glyph.height, 79) << digit;
    EXPECT_LE(glyph.height, 80) << digit;
    EXPECT_GE(glyph.width, digit == '1' ? 12 : 39) << digit;
    EXPECT_LE(glyph.width, digit == '1' ? 12 : 40) << digit;
  }
  EXPECT_LE(tools::render_plate_digit('0', 80, 0.5).width, 20);
  EXPECT_THROW(tools::render_plate_digit('A', 80), std::invalid_argument);
  EXPECT_THROW(tools::render_plate_digit('0', 0), std::invalid_argument);
}

TEST(RecipeTest, LinesReadBackAsWrittenAndBadLinesNameTheirLine) {
  const auto file = std::filesystem::temp_directory_path() / "recipe_test.recipe";
  const auto write = [&](const std::string& text) { std::ofstream(file) << text; };
  std::string text = "# comment\n0 font file=/f.ttf scale=0.75 embolden=0.02 height=60\n";
  for (char d = '1'; d <= '8'; ++d) text += std::string(1, d) + " drawn stroke=11 height=45  # why\n";
  text += "9 real file=shapes.jsonl source=9-0001 height=60\n";
  write(text);
  const tools::TemplateRecipe recipe = tools::read_recipe(file);
  EXPECT_EQ(tools::recipe_line(recipe[0]), "0 font file=/f.ttf scale=0.75 embolden=0.02 height=60");
  EXPECT_EQ(tools::recipe_line(recipe[1]), "1 drawn stroke=11 height=45");
  EXPECT_EQ(recipe[9].file, file.parent_path() / "shapes.jsonl");  // relative to the recipe
  for (const char* bad : {"0 drawn\n", "0 drawn height=x\n", "0 paint height=60\n", "0 drawn height=60 x=1\n",
                          "0 drawn height=60\n0 drawn height=60\n"}) {
    write(bad);
    EXPECT_THROW(tools::read_recipe(file), std::runtime_error) << bad;
  }
  std::filesystem::remove(file);
}

TEST(PatternMakerTest, TheShippedFileIsItsRecipeMadeByteForByte) {
  const tools::TemplateRecipe recipe = tools::read_recipe(tools::shipped_recipe_file());
  for (const auto& needed : tools::files_needed(recipe))
    if (!std::filesystem::exists(needed)) GTEST_SKIP() << "the recipe needs " << needed;
  auto workspace = testing::make_workspace();
  const auto file = std::filesystem::temp_directory_path() / "pattern_maker_test.pat";
  tools::write_pattern_file(file, tools::make_templates(*workspace, recipe));
  EXPECT_EQ(bytes_of(file), bytes_of(PLATE_SOURCE_DIR "/data/EBMPlog00.pat"));
  std::filesystem::remove(file);
}

// The drawn digits, side by side, each one row higher than the last so that the seed rows meet
// them at different phases, read with the shipped pattern file.
class ShippedPatternsReadTest : public ::testing::TestWithParam<int> {};

TEST_P(ShippedPatternsReadTest, EveryDrawnDigitIsStoredAndReadAsItself) {
  auto workspace = testing::make_workspace();
  ASSERT_TRUE(load_template_file(workspace->templates, PLATE_SOURCE_DIR "/data/EBMPlog00.pat").loaded());
  workspace->display.fill(tools::kPaperLevel);
  for (int d = 0; d < 10; ++d)
    tools::stamp_digit(workspace->display, tools::render_plate_digit(char('0' + d), GetParam()), 30 + d * 95,
                       200 + d);
  run_recognition(*workspace);
  std::vector<ShapeRecord> stored(workspace->candidates.records.begin(),
                                  workspace->candidates.records.begin() + workspace->candidates.count);
  std::sort(stored.begin(), stored.end(), [](const auto& a, const auto& b) { return a.x_min < b.x_min; });
  std::string read;
  for (const ShapeRecord& r : stored) read += r.character != 0 ? char(r.character) : '?';
  EXPECT_EQ(read, "0123456789");
}

INSTANTIATE_TEST_SUITE_P(InkHeights, ShippedPatternsReadTest, ::testing::Values(30, 60, 120),
                         [](const auto& row) { return std::to_string(row.param) + "px"; });

}  // namespace
}  // namespace plate
