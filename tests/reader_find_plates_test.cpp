// A Reader asked to find plates: a plate turned too far for the run over the frame is read
// straightened, once, with its corners in the picture; where nothing is found, the frame run's
// plates are kept only when read surely.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reader/reader.h"
#include "reader/record_json.h"
#include "tools/plate_renderer/photo_scene.h"

namespace plate::reader {
namespace {

// A car's plate seen from its front corner, turned 40 degrees: 1600 x 1200 pixels, the plate about
// 190 px wide once fitted into the frame, a grille below it.
tools::PhotoScene corner_photo() {
  tools::PhotoScene scene;
  scene.width = 1600;
  scene.height = 1200;
  scene.background = {tools::BackgroundKind::uniform, {60, 62, 66}, {}, 0};
  scene.textures = {{tools::TextureKind::grille, 500, 820, 600, 180, 24, {170, 170, 170}, {20, 20, 20}}};
  tools::TurnedPlate plate;
  plate.lettering.serial = "5126";
  plate.centre_x = 800;
  plate.centre_y = 600;
  plate.width_px = 380;
  plate.yaw_deg = 40;
  plate.pitch_deg = 5;
  scene.plates = {plate};
  scene.blur_sigma_px = 0.7;
  scene.noise_sigma = 3;
  return scene;
}

PixelView view_of(const tools::RgbCanvas& canvas) {
  const auto* data = reinterpret_cast<const std::uint8_t*>(&canvas.at_unchecked(0, 0));
  return {data, canvas.height(), canvas.width(), std::int64_t(canvas.width()) * 3, 3, 1, ChannelOrder::rgb};
}

TEST(ReaderFindPlates, ReadsATurnedPlateOnceWithItsCornersInThePicture) {
  if (!has_plate_finder()) GTEST_SKIP() << "built without the plate finder";
  const tools::PhotoScene photo = corner_photo();
  ReadSettings settings;
  settings.find_plates = true;
  Reader reader(settings);
  ASSERT_FALSE(reader.load_patterns(PLATE_SOURCE_DIR "/data/EBMPlog00.pat").has_value());
  const Record record = reader.read_pixels(view_of(tools::render_photo(photo, tools::load_plate_fonts())));
  ASSERT_EQ(record.plates.size(), 1u) << record_json(record, {.file = false});
  const PlateRecord& plate = record.plates[0];
  EXPECT_EQ(plate.text, "51-26");
  EXPECT_EQ(plate.group_id, 0);
  ASSERT_TRUE(plate.quad.has_value());
  const auto corners = tools::plate_corners(photo.plates[0], photo.width, photo.height);
  for (std::size_t k = 0; k < 4; ++k) {
    EXPECT_NEAR((*plate.quad)[k][0], corners[k].x, 15.0) << "corner " << k;
    EXPECT_NEAR((*plate.quad)[k][1], corners[k].y, 15.0) << "corner " << k;
  }
  ASSERT_EQ(plate.characters.size(), 4u);
  for (const CharacterRecord& c : plate.characters) ASSERT_TRUE(c.quad.has_value());
  for (std::size_t k = 1; k < 4; ++k)  // each digit in its own place, left to right
    EXPECT_LE((*plate.characters[k - 1].quad)[1][0], (*plate.characters[k].quad)[0][0] + 2.0)
        << "digit " << k;
  // The overlay frames the same plate.
  ASSERT_EQ(reader.plates().size(), 1u);
  EXPECT_EQ(reader.plates()[0].text, "51-26");
}

// On a background as light as the plate the finder finds nothing, and the frame run's plates stand
// alone: those it read surely as they are, those it read at a larger worst distance (a plate turned
// so far that its digits read as '1's) not at all.
TEST(ReaderFindPlates, KeepsOnlyTheFrameRunsSurePlatesWhereNoPlateIsFound) {
  ReadSettings finding_settings;
  finding_settings.find_plates = has_plate_finder();
  Reader plain(ReadSettings{});
  Reader finding(finding_settings);
  for (Reader* reader : {&plain, &finding})
    ASSERT_FALSE(reader->load_patterns(PLATE_SOURCE_DIR "/data/EBMPlog00.pat").has_value());
  tools::PhotoScene photo = corner_photo();
  photo.background = {tools::BackgroundKind::uniform, {235, 235, 235}, {}, 0};
  photo.textures.clear();
  for (const double yaw : {38.0, 44.0}) {
    photo.plates[0].yaw_deg = yaw;
    const tools::RgbCanvas canvas = tools::render_photo(photo, tools::load_plate_fonts());
    Record a = plain.read_pixels(view_of(canvas));
    Record b = finding.read_pixels(view_of(canvas));
    ASSERT_EQ(a.plates.size(), 1u) << "turned " << yaw;
    EXPECT_EQ(a.plates[0].text, yaw < 40 ? "51-26" : "11-21");
    a.elapsed_us = b.elapsed_us = 0;  // timings differ from run to run
    a.processing_ms = b.processing_ms = 0;
    if (yaw < 40 || !has_plate_finder())
      EXPECT_EQ(record_json(a, {.file = false}), record_json(b, {.file = false}));
    else
      EXPECT_TRUE(b.plates.empty()) << record_json(b, {.file = false});
  }
}

}  // namespace
}  // namespace plate::reader
