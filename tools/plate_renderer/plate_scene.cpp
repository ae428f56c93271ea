// Rendering a scene: background, plates, then the camera's blur and noise over the whole picture,
// in the order light takes, so that a plate's edges blur into its background and the noise lies
// on top of both. Clutter and noise draw on separate streams of the seed, so adding noise to a
// scene does not move its clutter.

#include "plate_scene.h"

#include <stdexcept>

#include "picture_effects.h"

namespace plate::tools {

namespace {

constexpr std::uint64_t kClutterStream = 0x636C7574746572u;
constexpr std::uint64_t kNoiseStream = 0x6E6F697365u;

}  // namespace

RgbCanvas paint_background(const Background& background, int width, int height, std::uint64_t seed) {
  RgbCanvas canvas(width, height, background.first);
  switch (background.kind) {
    case BackgroundKind::uniform:
      break;
    case BackgroundKind::gradient:
      paint_gradient(canvas, background.first, background.second);
      break;
    case BackgroundKind::clutter:
      paint_clutter(canvas, background.first, background.second, background.cell_px, seed ^ kClutterStream);
      break;
  }
  return canvas;
}

void render_scene(const Scene& scene, const PlateFonts& fonts, Plane& frame) {
  if (scene.width < 1 || scene.width > kFrameWidth || scene.height < 1 || scene.height > kFrameHeight)
    throw std::invalid_argument("a picture is 1 x 1 to 1024 x 768 pixels");
  RgbCanvas canvas = paint_background(scene.background, scene.width, scene.height, scene.seed);
  for (const PlacedPlate& plate : scene.plates) draw_plate(canvas, plate, fonts);
  blur(canvas, scene.blur_sigma_px);
  add_noise(canvas, scene.noise_sigma, scene.seed ^ kNoiseStream);
  place_in_frame(canvas, frame);
}

}  // namespace plate::tools
