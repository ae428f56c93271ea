#pragma once
// Rendered videos for the tests and the benchmarks: plates that pass across a background, frames
// in which no plate is seen, the camera's blur and noise, and single frames blurred harder (a shaken
// camera). A scene is plain data, as a picture's scene is, and the same scene gives the same frames.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "image/decoded_picture.h"
#include "plate_scene.h"
#include "video/video_writer.h"

namespace plate::tools {

// A plate that moves in a straight line, at even speed, from `from` on its first frame to `to` on
// its last; outside these frames it is not drawn.
struct PassingPlate {
  PlacedPlate plate;  // its kind, width and texts; its place comes from the two points
  std::int32_t first_frame = 0, last_frame = 0;
  double from_left = 0, from_top = 0, to_left = 0, to_top = 0;
};

struct VideoScene {
  std::int32_t width = 640, height = 360;  // any size; frames larger than 1024 x 768 are fitted when read
  std::int32_t frame_count = 50;
  std::int32_t frames_per_second = 25;
  Background background;
  std::vector<PassingPlate> plates;
  double blur_sigma_px = 0.0;
  double noise_sigma = 0.0;                 // drawn anew for every frame
  std::vector<std::int32_t> shaken_frames;  // blurred with shaken_blur_sigma_px instead
  double shaken_blur_sigma_px = 0.0;
  std::uint64_t seed = 1;
};

// Where plate `index` is in `frame`, as drawn (at whole pixels: each plate is drawn once and laid
// over the frames); its width_px and texts are the scene's. Only for a frame it is seen in
// (first_frame..last_frame).
PlacedPlate plate_in_frame(const VideoScene& scene, std::size_t index, std::int32_t frame);

// Renders every frame and encodes it to `target` (the container by its name).
void write_video(const VideoScene& scene, const PlateFonts& fonts, const std::filesystem::path& target,
                 const video::EncodeSettings& settings = {});

}  // namespace plate::tools
