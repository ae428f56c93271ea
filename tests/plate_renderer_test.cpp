// The renderer feeds the samples and the accuracy figures, so a plate it draws must be read as its
// text by a whole run.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/recognition.h"
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

}  // namespace
}  // namespace plate::tools
