// A video rendered and encoded here, larger than the frame, read as plate-read reads it: each
// passing plate gives one event with its text, its frames and its boxes in the video's pixels.

#include "video/video_reading.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "reader/reader.h"
#include "tools/plate_renderer/plate_drawing.h"
#include "tools/plate_renderer/video_scene.h"

namespace plate::video {
namespace {

namespace fs = std::filesystem;
using tools::PassingPlate;
using tools::VideoScene;

struct VideoRun {
  std::vector<PlateEvent> events;
  VideoOutcome outcome;
};

VideoRun read(const fs::path& video) {
  reader::Reader reader;
  EXPECT_FALSE(reader.load_patterns(PLATE_SOURCE_DIR "/data/EBMPlog00.pat"));
  VideoRun run;
  VideoCallbacks callbacks;
  callbacks.event = [&](const PlateEvent& event) {
    run.events.push_back(event);
    return true;
  };
  run.outcome = read_video(video.string(), reader, {}, callbacks);
  return run;
}

// 1280 x 720 (shrunk to 1024 x 576 to be read), cluttered: a private plate crossing from left to
// right, then a kei plate from right to left on a lower row while the first is still in view, then
// frames with no plate.
VideoScene two_passing_plates() {
  VideoScene scene;
  scene.width = 1280;
  scene.height = 720;
  scene.frame_count = 70;
  scene.background = {tools::BackgroundKind::clutter, {190, 190, 185}, {120, 115, 110}, 60};
  scene.blur_sigma_px = 0.7;
  scene.noise_sigma = 3;
  scene.plates = {
      PassingPlate{.plate = {.serial = "1234", .width_px = 330},
                   .first_frame = 3,
                   .last_frame = 35,
                   .from_left = -100,
                   .from_top = 80,
                   .to_left = 1000,
                   .to_top = 120},
      PassingPlate{.plate = {.serial = "5821", .kind = tools::PlateKind::kei, .width_px = 300},
                   .first_frame = 25,
                   .last_frame = 55,
                   .from_left = 1100,
                   .from_top = 420,
                   .to_left = 0,
                   .to_top = 400},
  };
  return scene;
}

TEST(RenderedVideo, EachPassingPlateGivesOneEventWithItsTextFramesAndBoxesInTheVideosPixels) {
  const VideoScene scene = two_passing_plates();
  const fs::path video =
      fs::temp_directory_path() / ("video_reading_test." + std::to_string(getpid()) + ".mp4");
  tools::write_video(scene, tools::load_plate_fonts(), video, {});
  const VideoRun run = read(video);
  fs::remove(video);
  EXPECT_FALSE(run.outcome.failure) << *run.outcome.failure;
  EXPECT_EQ(run.outcome.progress.frames_read, 70);
  ASSERT_EQ(run.events.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const PlateEvent& event = run.events[i];
    const PassingPlate& passing = scene.plates[i];
    EXPECT_EQ(event.text, tools::expected_plate_text(passing.plate.serial));
    EXPECT_GE(event.first.number, passing.first_frame);
    EXPECT_LE(event.last.number, passing.last_frame);
    EXPECT_GE(event.frames, 10) << event.text;
    // The best frame's plate box, in the video's pixels, lies on the plate drawn in that frame.
    const tools::PlacedPlate drawn = tools::plate_in_frame(scene, i, std::int32_t(event.best.number));
    ASSERT_TRUE(event.best_plate.source_box);
    const PixelBox& box = *event.best_plate.source_box;
    EXPECT_NEAR(box.x_min, drawn.left_px, drawn.width_px * 0.1) << event.text;
    EXPECT_NEAR(box.x_max, drawn.left_px + drawn.width_px, drawn.width_px * 0.1) << event.text;
    EXPECT_NEAR(box.y_min, drawn.top_px, drawn.width_px * 0.1) << event.text;
    EXPECT_NEAR(box.y_max, drawn.top_px + drawn.width_px / 2, drawn.width_px * 0.1) << event.text;
  }
}

}  // namespace
}  // namespace plate::video
