// The renderer feeds the samples and the accuracy figures, so two things must hold: a plate it
// draws is read as its text by a whole run, and a scene always gives the same bytes, placed where
// the bitmap reader would load the written file.

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "engine/recognition.h"
#include "image/bitmap_reader.h"
#include "image/bitmap_writer.h"
#include "test_pictures.h"
#include "tools/plate_renderer/plate_scene.h"

namespace plate::tools {
namespace {

const PlateFonts& fonts() {
  static const PlateFonts loaded = load_plate_fonts();
  return loaded;
}

// A kei plate, blurred and noisy, on clutter.
TEST(RenderedPlate, IsReadAsItsTextAndNothingElse) {
  const Scene scene{
      .width = 640,
      .height = 400,
      .background = {BackgroundKind::clutter, {210, 205, 200}, {60, 60, 70}, 40},
      .plates = {{.serial = "5678", .kind = PlateKind::kei, .left_px = 90, .top_px = 80, .width_px = 400}},
      .blur_sigma_px = 1.0,
      .noise_sigma = 6.0};
  auto workspace = testing::make_workspace();
  ASSERT_TRUE(load_template_file(workspace->templates, PLATE_SOURCE_DIR "/data/EBMPlog00.pat").loaded());
  render_scene(scene, fonts(), workspace->display);
  run_recognition(*workspace);
  std::vector<std::string> read;
  for (int id = 1; id < workspace->result.next_group_id; ++id) {
    const GroupEntry& group = workspace->result.groups[std::size_t(id)];
    if (group.digit_count != 0) read.emplace_back(group.text);
  }
  EXPECT_EQ(read, std::vector<std::string>{"56-78"}) << "log: " << workspace->result.log.view();
}

TEST(RenderedScene, IsTheSameForTheSameSeedLiesWhereTheReaderLoadsItAndDiffersForAnotherSeed) {
  Scene scene{
      .width = 300,
      .height = 200,
      .background = {BackgroundKind::clutter, {200, 190, 180}, {40, 50, 60}, 24},
      .plates = {{.serial = "47", .kind = PlateKind::kei, .left_px = 20, .top_px = 30, .width_px = 260}},
      .blur_sigma_px = 0.8,
      .noise_sigma = 5.0,
      .seed = 7};
  auto first = testing::make_workspace(), second = testing::make_workspace();
  render_scene(scene, fonts(), first->display);
  const std::vector<std::uint8_t> file = encode_bitmap(first->display, scene.width, scene.height);
  ASSERT_EQ(read_bitmap_bytes(std::as_bytes(std::span(file)), second->display), ReadOutcome::read);
  EXPECT_TRUE(first->display.bytes == second->display.bytes);
  render_scene(scene, fonts(), second->display);
  EXPECT_TRUE(first->display.bytes == second->display.bytes);
  scene.seed = 8;
  render_scene(scene, fonts(), second->display);
  EXPECT_FALSE(first->display.bytes == second->display.bytes);
}

}  // namespace
}  // namespace plate::tools
