// Videos rendered and encoded here, read as plate-read reads them: each passing plate gives one
// event with its text, its frames and its boxes in the video's pixels; frames without a plate give
// none; votes put right what single frames misread.

#include "video/video_reading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
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

const std::string kDot = "\xEF\xBD\xA5";  // the middle dot, as records give it

struct VideoRun {
  std::vector<PlateEvent> events;
  std::vector<std::pair<FrameStamp, std::vector<std::string>>> frames;  // each frame read: its texts
  VideoOutcome outcome;
};

VideoRun read(const fs::path& video, DecodeSettings decode = {}) {
  reader::Reader reader;
  EXPECT_FALSE(reader.load_patterns(PLATE_SOURCE_DIR "/data/EBMPlog00.pat"));
  VideoRun run;
  VideoCallbacks callbacks;
  callbacks.frame = [&](const FrameRead& frame) {
    std::vector<std::string> texts;
    for (const reader::PlateRecord& plate : frame.record.plates) texts.push_back(plate.text);
    run.frames.emplace_back(frame.at, texts);
    return true;
  };
  callbacks.event = [&](const PlateEvent& event) {
    run.events.push_back(event);
    return true;
  };
  run.outcome = read_video(video.string(), reader, {decode, {}}, callbacks);
  return run;
}

class RenderedVideo : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    fonts_ = new tools::PlateFonts(tools::load_plate_fonts());
    dir_ = fs::temp_directory_path() / "video_reading_test";
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  static void TearDownTestSuite() {
    delete fonts_;
    fs::remove_all(dir_);
  }
  static fs::path write(const VideoScene& scene, const std::string& name,
                        const EncodeSettings& settings = {}) {
    const fs::path target = dir_ / name;
    tools::write_video(scene, *fonts_, target, settings);
    return target;
  }

  static tools::PlateFonts* fonts_;
  static fs::path dir_;
};

tools::PlateFonts* RenderedVideo::fonts_ = nullptr;
fs::path RenderedVideo::dir_;

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

TEST_F(RenderedVideo, EachPassingPlateGivesOneEventWithItsTextFramesAndBoxesInTheVideosPixels) {
  const VideoScene scene = two_passing_plates();
  const fs::path video = write(scene, "two_plates.mp4");
  const VideoRun run = read(video);
  EXPECT_FALSE(run.outcome.failure) << *run.outcome.failure;
  EXPECT_EQ(run.outcome.progress.frames_read, 70);
  EXPECT_EQ(run.outcome.info.codec, "h264");
  ASSERT_EQ(run.events.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const PlateEvent& event = run.events[i];
    const PassingPlate& passing = scene.plates[i];
    EXPECT_EQ(event.text, tools::expected_plate_text(passing.plate.serial));
    EXPECT_GE(event.first.number, passing.first_frame);
    EXPECT_LE(event.last.number, passing.last_frame);
    EXPECT_GE(event.frames, 10) << event.text;
    EXPECT_DOUBLE_EQ(event.first.seconds, double(event.first.number) / 25.0);
    // The best frame's plate box, in the video's pixels, lies on the plate drawn in that frame.
    const tools::PlacedPlate drawn = tools::plate_in_frame(scene, i, std::int32_t(event.best.number));
    ASSERT_TRUE(event.best_plate.source_box);
    const PixelBox& box = *event.best_plate.source_box;
    EXPECT_NEAR(box.x_min, drawn.left_px, drawn.width_px * 0.1) << event.text;
    EXPECT_NEAR(box.x_max, drawn.left_px + drawn.width_px, drawn.width_px * 0.1) << event.text;
    EXPECT_NEAR(box.y_min, drawn.top_px, drawn.width_px * 0.1) << event.text;
    EXPECT_NEAR(box.y_max, drawn.top_px + drawn.width_px / 2, drawn.width_px * 0.1) << event.text;
  }
  // The frames without a plate read none.
  for (const auto& [at, texts] : run.frames) {
    const bool plate_in_view = 3 <= at.number && at.number <= 55;
    EXPECT_TRUE(plate_in_view || texts.empty()) << "frame " << at.number;
  }

  // One frame in four: the frames keep their own numbers, and the events stay.
  const VideoRun sampled = read(video, {.every = 4});
  EXPECT_EQ(sampled.outcome.progress.frames_read, 18);  // frames 0, 4, ..., 68
  EXPECT_EQ(sampled.outcome.progress.frames_decoded, 70);
  for (std::size_t i = 0; i < sampled.frames.size(); ++i)
    EXPECT_EQ(sampled.frames[i].first.number, std::int64_t(4 * i));
  ASSERT_EQ(sampled.events.size(), 2u);
  EXPECT_EQ(sampled.events[0].text, "12-34");
  EXPECT_EQ(sampled.events[1].text, "58-21");
}

// A plate held still under heavy noise, with shaken frames: single frames misread or miss it, the
// vote does not.
TEST_F(RenderedVideo, TheVoteReadsAPlateRightThatSingleFramesMisread) {
  VideoScene scene;
  scene.frame_count = 40;
  scene.background = {tools::BackgroundKind::clutter, {200, 200, 195}, {110, 110, 105}, 40};
  scene.noise_sigma = 22;
  scene.blur_sigma_px = 1.0;
  scene.shaken_frames = {5, 6, 13, 20, 21, 22, 30};
  scene.shaken_blur_sigma_px = 3.0;
  scene.plates = {PassingPlate{.plate = {.serial = "4689", .width_px = 220},
                               .first_frame = 0,
                               .last_frame = 39,
                               .from_left = 150,
                               .from_top = 100,
                               .to_left = 250,
                               .to_top = 110}};
  const VideoRun run = read(write(scene, "noisy.avi", {.codec = "mjpeg", .quality = 3}));
  int right = 0;
  for (const auto& [at, texts] : run.frames) right += std::count(texts.begin(), texts.end(), "46-89") > 0;
  EXPECT_LT(right, 40) << "no frame misread: this video does not try the vote";
  ASSERT_EQ(run.events.size(), 1u);
  EXPECT_EQ(run.events[0].text, "46-89");
  EXPECT_EQ(run.events[0].votes[0].frames, right);
}

}  // namespace
}  // namespace plate::video
