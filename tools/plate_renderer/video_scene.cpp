#include "video_scene.h"

#include <algorithm>
#include <stdexcept>

#include "picture_effects.h"

namespace plate::tools {

namespace {

constexpr std::uint64_t kBackgroundStream = 0x6261636Bu;
constexpr std::uint64_t kNoiseStream = 0x6E6F697365u;

RgbCanvas paint_background(const VideoScene& scene) {
  RgbCanvas canvas(scene.width, scene.height, scene.background.first);
  if (scene.background.kind == BackgroundKind::clutter)
    paint_clutter(canvas, scene.background.first, scene.background.second, scene.background.cell_px,
                  scene.seed ^ kBackgroundStream);
  else if (scene.background.kind == BackgroundKind::gradient)
    paint_gradient(canvas, scene.background.first, scene.background.second);
  return canvas;
}

DecodedPicture as_picture(const RgbCanvas& canvas) {
  DecodedPicture picture;
  picture.source_width = picture.width = canvas.width();
  picture.source_height = picture.height = canvas.height();
  picture.bgr.reserve(std::size_t(canvas.width()) * canvas.height() * 3);
  for (int row = 0; row < canvas.height(); ++row) {
    for (int column = 0; column < canvas.width(); ++column) {
      const Rgb& pixel = canvas.at_unchecked(column, row);
      picture.bgr.insert(picture.bgr.end(), {pixel.blue, pixel.green, pixel.red});
    }
  }
  return picture;
}

}  // namespace

PlacedPlate plate_in_frame(const VideoScene& scene, std::size_t index, std::int32_t frame) {
  const PassingPlate& passing = scene.plates.at(index);
  const double span = std::max(1, passing.last_frame - passing.first_frame);
  const double along = (frame - passing.first_frame) / span;
  PlacedPlate placed = passing.plate;
  placed.left_px = passing.from_left + (passing.to_left - passing.from_left) * along;
  placed.top_px = passing.from_top + (passing.to_top - passing.from_top) * along;
  return placed;
}

void write_video(const VideoScene& scene, const PlateFonts& fonts, const std::filesystem::path& target,
                 const video::EncodeSettings& settings) {
  const RgbCanvas background = paint_background(scene);
  video::VideoWriter writer(target, scene.width, scene.height, scene.frames_per_second, settings);
  for (std::int32_t frame = 0; frame < scene.frame_count && !writer.failure(); ++frame) {
    RgbCanvas canvas = background;
    for (std::size_t i = 0; i < scene.plates.size(); ++i)
      if (scene.plates[i].first_frame <= frame && frame <= scene.plates[i].last_frame)
        draw_plate(canvas, plate_in_frame(scene, i, frame), fonts);
    const bool shaken =
        std::find(scene.shaken_frames.begin(), scene.shaken_frames.end(), frame) != scene.shaken_frames.end();
    blur(canvas, shaken ? scene.shaken_blur_sigma_px : scene.blur_sigma_px);
    add_noise(canvas, scene.noise_sigma, scene.seed ^ kNoiseStream ^ (std::uint64_t(frame) << 32));
    writer.add(as_picture(canvas));
  }
  if (!writer.finish())
    throw std::runtime_error("cannot write " + target.string() + ": " + *writer.failure());
}

}  // namespace plate::tools
