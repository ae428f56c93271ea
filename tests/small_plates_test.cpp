// Small plates read on enlarged tiles: a plate too small for the run over the frame is reported
// once, in frame coordinates, and the judging keeps out what the tiles misread.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/recognition_engine.h"
#include "tiling/small_plate_reader.h"
#include "tools/plate_renderer/plate_scene.h"

namespace plate {
namespace {

// A plate 50 px wide, slightly blurred: the run over the frame reads nothing there. (At this size a
// tile reads some serials and not others, as the digits fall on its pixels.)
TEST(SmallPlateReader, ReadsAPlateTooSmallForTheFrameOnceWithItsBoxesInTheFrame) {
  const tools::PlacedPlate placed{.serial = "5821", .left_px = 100, .top_px = 100, .width_px = 50};
  const tools::Scene scene{.width = 320,
                           .height = 240,
                           .background = {},
                           .plates = {placed},
                           .blur_sigma_px = 0.8,
                           .noise_sigma = 2};
  auto frame = std::make_unique<Plane>();
  tools::render_scene(scene, tools::load_plate_fonts(), *frame);
  RecognitionEngine engine;
  ASSERT_TRUE(engine.load_templates(PLATE_SOURCE_DIR "/data/EBMPlog00.pat").loaded());
  const RunResult& result = engine.run(*frame);
  ASSERT_TRUE(plates_of_run(result, Tile{}).empty());

  SmallPlateReader reader(engine.templates());
  const std::vector<PlateReading> added = reader.read(*frame, scene.width, scene.height, result);
  ASSERT_EQ(added.size(), 1u);
  EXPECT_EQ(added[0].plate.text, "58-21");
  EXPECT_GE(added[0].scale, 2);
  // Each digit's box holds the centre of its serial cell (the renderer counts rows from the top).
  ASSERT_EQ(added[0].plate.characters.size(), 4u);
  for (int k = 0; k < 4; ++k) {
    const tools::PixelBox cell = tools::serial_cell(placed, k);
    const int x = int((cell.left + cell.right) / 2), y = kFrameHeight - 1 - int((cell.top + cell.bottom) / 2);
    const FrameBox& box = added[0].plate.characters[std::size_t(k)].box;
    EXPECT_TRUE(box.x_min <= x && x <= box.x_max && box.y_min <= y && y <= box.y_max) << "digit " << k;
    EXPECT_TRUE(added[0].plate.frame.x_min <= box.x_min && box.x_max <= added[0].plate.frame.x_max);
  }
  // Only a tile's sides inside the picture are cuts: the top-left one of four is cut right and below.
  const Tile first = plan_tiles(scene.width, scene.height, 6, 0)[0];
  EXPECT_TRUE(!first.cut_left && first.cut_right && !first.cut_top && first.cut_bottom);
}

// A reading `text` at `scale` whose digits (20 px tall, 12 apart) start at column x, row 300.
PlateReading reading(const std::string& text, int scale, int worst, int x = 100) {
  PlateReading r{{0, 0, {x - 30, x + 60, 290, 340}, text, {}, worst}, scale};
  RunPlate& p = r.plate;
  for (const char c : text) {
    if (c < '0' || c > '9') continue;
    MatchRecord match{};
    match.shown_digit = match.matched_digit = std::uint8_t(c);
    p.characters.push_back({{x + 12 * p.digit_count, x + 12 * p.digit_count + 9, 300, 320}, match});
    ++p.digit_count;
  }
  return r;
}

struct JudgingCase {
  const char* name;
  std::vector<PlateReading> frame_plates;
  std::vector<SeenDigit> frame_digits;
  std::vector<PlateReading> tile_plates;
  std::vector<SeenDigit> tile_digits;
  std::vector<std::string> reported;
};

TEST(TileJudging, KeepsOnlyReadingsTheEvidenceSupports) {
  const std::string dots = "\xA5\xA5", dot = "\xA5";
  // clang-format off
  const std::vector<JudgingCase> cases{
      {"one digit on an enlargement", {}, {}, {reading(dots + dot + "1", 2, 5), reading(dots + dot + "1", 3, 5)}, {}, {}},
      {"two digits at one scale, sure", {}, {}, {reading(dots + "46", 2, 12), reading(dots + "46", 2, 13)}, {}, {dots + "46"}},
      {"two digits at one scale, unsure", {}, {}, {reading(dots + "46", 3, 22)}, {}, {}},
      {"two scales agree, unsure", {}, {}, {reading(dots + "46", 2, 22), reading(dots + "46", 3, 21)}, {}, {dots + "46"}},
      {"two scales disagree", {}, {}, {reading(dots + "46", 2, 10), reading(dots + "48", 3, 12)}, {}, {}},
      {"agreement outvotes a misread", {}, {},
       {reading(dots + "46", 2, 22), reading(dots + "46", 3, 21), reading(dots + "48", 3, 10)}, {}, {dots + "46"}},
      {"the frame read a plate there", {reading(dot + "746", 1, 20, 90)}, {}, {reading(dots + "46", 2, 10)}, {}, {}},
      {"the frame read a digit otherwise", {}, {{{112, 121, 300, 320}, '9'}}, {reading(dots + "46", 2, 10)}, {}, {}},
      {"the frame read a digit alike", {}, {{{112, 121, 300, 320}, '6'}}, {reading(dots + "46", 2, 22)}, {}, {dots + "46"}},
      {"places apart are judged apart", {}, {},
       {reading(dots + "46", 2, 10), reading(dot + "357", 2, 11, 400)}, {}, {dots + "46", dot + "357"}},
      {"an upper row above larger digits", {}, {}, {reading(dots + "33", 2, 10)}, {{{100, 120, 259, 299}, '5'}}, {}},
      {"larger digits reaching its row", {}, {}, {reading(dots + "33", 2, 10)}, {{{100, 120, 260, 300}, '5'}}, {dots + "33"}},
  };
  // clang-format on
  for (const JudgingCase& c : cases) {
    std::vector<std::string> reported;
    for (const PlateReading& r :
         judge_tile_readings(c.frame_plates, c.frame_digits, {c.tile_plates, c.tile_digits}, {}))
      reported.push_back(r.plate.text);
    EXPECT_EQ(reported, c.reported) << c.name;
  }
}

}  // namespace
}  // namespace plate
