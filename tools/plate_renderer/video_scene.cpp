#include "video_scene.h"

#include <algorithm>
#include <cmath>
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

// A plate drawn once and laid over each frame where it passes: drawing it over black and over
// white gives, for every pixel, its ink already weighed by its coverage (over black) and how much
// of the background shows through (the difference), as draw_plate blends it.
class PlateStamp {
 public:
  PlateStamp(const PlacedPlate& plate, const PlateFonts& fonts)
      : width_(static_cast<int>(std::ceil(plate.width_px)) + 1),
        height_(static_cast<int>(std::ceil(plate.width_px / 2)) + 1),
        over_black_(width_, height_, Rgb{0, 0, 0}),
        over_white_(width_, height_, Rgb{255, 255, 255}) {
    PlacedPlate at_origin = plate;
    at_origin.left_px = at_origin.top_px = 0;
    draw_plate(over_black_, at_origin, fonts);
    draw_plate(over_white_, at_origin, fonts);
  }

  void lay(RgbCanvas& canvas, int left, int top) const {
    const auto mix = [](std::uint8_t under, std::uint8_t black, std::uint8_t white) {
      const int shows = white - black;  // of 255
      return static_cast<std::uint8_t>(std::clamp(black + (under * shows + 127) / 255, 0, 255));
    };
    for (int row = 0; row < height_; ++row) {
      for (int column = 0; column < width_; ++column) {
        if (!canvas.contains(left + column, top + row)) continue;
        Rgb& under = canvas.at_unchecked(left + column, top + row);
        const Rgb& black = over_black_.at_unchecked(column, row);
        const Rgb& white = over_white_.at_unchecked(column, row);
        under = {mix(under.red, black.red, white.red), mix(under.green, black.green, white.green),
                 mix(under.blue, black.blue, white.blue)};
      }
    }
  }

 private:
  int width_, height_;
  RgbCanvas over_black_, over_white_;
};

// Blurs the part of `canvas` around `plate` as blur() blurs a whole picture: a copy reaching
// `margin` beyond it is blurred, and all but the margin goes back.
void blur_around(RgbCanvas& canvas, const PlacedPlate& plate, double sigma_px) {
  const int margin = 2 * static_cast<int>(std::ceil(3 * sigma_px)) + 2;
  const int left = std::max(0, static_cast<int>(plate.left_px) - margin);
  const int top = std::max(0, static_cast<int>(plate.top_px) - margin);
  const int right = std::min(canvas.width(), static_cast<int>(plate.left_px + plate.width_px) + margin);
  const int bottom = std::min(canvas.height(), static_cast<int>(plate.top_px + plate.width_px / 2) + margin);
  if (right <= left || bottom <= top) return;
  RgbCanvas part(right - left, bottom - top);
  for (int row = top; row < bottom; ++row)
    for (int column = left; column < right; ++column)
      part.at_unchecked(column - left, row - top) = canvas.at_unchecked(column, row);
  blur(part, sigma_px);
  for (int row = top + margin / 2; row < bottom - margin / 2; ++row)
    for (int column = left + margin / 2; column < right - margin / 2; ++column)
      canvas.at_unchecked(column, row) = part.at_unchecked(column - left, row - top);
}

}  // namespace

PlacedPlate plate_in_frame(const VideoScene& scene, std::size_t index, std::int32_t frame) {
  const PassingPlate& passing = scene.plates.at(index);
  const double span = std::max(1, passing.last_frame - passing.first_frame);
  const double along = (frame - passing.first_frame) / span;
  PlacedPlate placed = passing.plate;
  placed.left_px = std::round(passing.from_left + (passing.to_left - passing.from_left) * along);
  placed.top_px = std::round(passing.from_top + (passing.to_top - passing.from_top) * along);
  return placed;
}

void write_video(const VideoScene& scene, const PlateFonts& fonts, const std::filesystem::path& target,
                 const video::EncodeSettings& settings) {
  // The still background is blurred once; each frame blurs only around its plates, except a shaken
  // frame, which is blurred whole.
  const RgbCanvas background = paint_background(scene);
  RgbCanvas blurred_background = background;
  blur(blurred_background, scene.blur_sigma_px);
  std::vector<PlateStamp> stamps;
  for (const PassingPlate& passing : scene.plates) stamps.emplace_back(passing.plate, fonts);
  video::VideoWriter writer(target, scene.width, scene.height, scene.frames_per_second, settings);
  for (std::int32_t frame = 0; frame < scene.frame_count && !writer.failure(); ++frame) {
    const bool shaken =
        std::find(scene.shaken_frames.begin(), scene.shaken_frames.end(), frame) != scene.shaken_frames.end();
    RgbCanvas canvas = shaken ? background : blurred_background;
    for (std::size_t i = 0; i < scene.plates.size(); ++i) {
      if (frame < scene.plates[i].first_frame || frame > scene.plates[i].last_frame) continue;
      const PlacedPlate placed = plate_in_frame(scene, i, frame);
      stamps[i].lay(canvas, static_cast<int>(placed.left_px), static_cast<int>(placed.top_px));
      if (!shaken) blur_around(canvas, placed, scene.blur_sigma_px);
    }
    if (shaken) blur(canvas, scene.shaken_blur_sigma_px);
    add_noise(canvas, scene.noise_sigma, scene.seed ^ kNoiseStream ^ (std::uint64_t(frame) << 32));
    writer.add(as_picture(canvas));
  }
  if (!writer.finish())
    throw std::runtime_error("cannot write " + target.string() + ": " + *writer.failure());
}

}  // namespace plate::tools
