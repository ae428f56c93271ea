#pragma once
// What a rendered picture shows: a background, Japanese medium-size number plates on it, and the
// camera's blur and noise. A scene is plain data, so the sample script, the tests and the accuracy
// benchmark describe their pictures the same way and get the same pixels for the same scene.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/plane.h"
#include "plate_drawing.h"
#include "rgb_canvas.h"

namespace plate::tools {

enum class BackgroundKind {
  uniform,   // `first` everywhere
  gradient,  // `first` at the top row to `second` at the bottom row
  clutter,   // seeded blotches and rectangles between `first` and `second`, `cell_px` apart
};

struct Background {
  BackgroundKind kind = BackgroundKind::uniform;
  Rgb first{200, 200, 200};
  Rgb second{90, 90, 90};
  int cell_px = 40;
};

struct Scene {
  int width = 480;  // picture size in pixels, at most 1024 x 768
  int height = 320;
  Background background;
  std::vector<PlacedPlate> plates;
  double blur_sigma_px = 0.0;  // Gaussian camera blur; 0 keeps the edges the rasterizer drew
  double noise_sigma = 0.0;    // Gaussian sensor noise per channel, in levels of 0..255
  std::uint64_t seed = 1;      // the clutter and the noise follow from it alone
};

// A width x height canvas painted with `background`; clutter follows from `seed` alone.
RgbCanvas paint_background(const Background& background, int width, int height, std::uint64_t seed);

// Paints `scene` and puts it into `frame` as the bitmap reader would load it (picture in the
// top-left corner, the rest black). Throws std::invalid_argument for a picture larger than the
// frame or smaller than 1 x 1, and for a plate whose serial is not one to four digits. The same
// scene and fonts give the same pixels, byte for byte.
void render_scene(const Scene& scene, const PlateFonts& fonts, Plane& frame);

}  // namespace plate::tools
