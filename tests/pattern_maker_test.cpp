#include "tools/pattern_maker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/recognition.h"
#include "test_pictures.h"

namespace plate {
namespace {

const tools::TemplateRecipe kRecipe = tools::shipped_recipe();
const std::filesystem::path& kFont = kRecipe.look.font_file;
#define SKIP_WITHOUT_FONT() \
  if (!std::filesystem::exists(kFont)) GTEST_SKIP() << "no digit font (scripts/setup installs it): " << kFont

class SilentMessages final : public MessageService {
 public:
  void show_message(std::string_view) override {}
};

TEST(GlyphRasterTest, HeightsScaleAndBlendingAreAsAsked) {
  SKIP_WITHOUT_FONT();
  const tools::GlyphRasterizer font(kFont);
  const tools::GlyphBitmap ink_tall = font.render(U'8', 60, tools::HeightBasis::ink);
  EXPECT_GE(ink_tall.height, 60);
  EXPECT_LE(ink_tall.height, 62);  // one partly covered row at each edge at most
  const tools::GlyphBitmap squeezed = font.render(U'8', 60, tools::HeightBasis::ink, 0.5);
  EXPECT_EQ(squeezed.height, ink_tall.height);
  EXPECT_NEAR(squeezed.width, ink_tall.width / 2.0, 1.5);
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

TEST(PatternMakerTest, ItsFileRoundTripsThroughTheLoaderWithTenUsableDigits) {
  SKIP_WITHOUT_FONT();
  auto workspace = testing::make_workspace();
  const TemplateTable made = tools::make_templates(*workspace, kRecipe);
  const auto file = std::filesystem::temp_directory_path() / "pattern_maker_test.pat";
  tools::write_pattern_file(file, made);
  EXPECT_EQ(std::filesystem::file_size(file), kPatternFileBytes);
  SilentMessages messages;
  ASSERT_TRUE(load_template_file(workspace->templates, file).loaded());
  std::filesystem::remove(file);
  EXPECT_EQ(std::memcmp(&workspace->templates, &made, sizeof made), 0);
  for (std::size_t k = 0; k < made.size(); ++k) {
    EXPECT_EQ(made[k].character, kRecipe.record_order[k]);
    EXPECT_GE(made[k].point_count, 15) << k;
    EXPECT_LE(made[k].point_count, 1024) << k;
  }
}

// The ten digits of the shipped look, side by side, each one row higher than the last so that the
// seed rows meet them at different phases, read with the shipped pattern file.
class ShippedPatternsReadTest : public ::testing::TestWithParam<int> {};

TEST_P(ShippedPatternsReadTest, EveryDigitIsStoredAndReadAsItself) {
  SKIP_WITHOUT_FONT();
  const tools::GlyphRasterizer font(kFont);
  auto workspace = testing::make_workspace();
  SilentMessages messages;
  ASSERT_TRUE(load_template_file(workspace->templates, PLATE_SOURCE_DIR "/data/EBMPlog00.pat").loaded());
  workspace->display.fill(tools::kPaperLevel);
  for (int d = 0; d < 10; ++d)
    tools::draw_digit(workspace->display, font, kRecipe.look, char('0' + d), GetParam(), 30 + d * 95,
                      200 + d);
  run_recognition(*workspace);
  // Every digit, and nothing else, is stored as a candidate and labelled as itself.
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
