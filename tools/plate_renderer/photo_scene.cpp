// Painting a photo: background, textures, plates seen in perspective, then light and shadow over
// everything they fall on, then the camera's blur and noise.
//
// The camera is a pinhole whose focal length is 1.2 photo widths (a 45-degree view across), looking
// at the photo's centre. A plate is a flat 330 x 165 mm rectangle turned by yaw about its vertical
// axis, then by pitch about its horizontal one, at the distance where it would be width_px wide
// facing the camera, its centre on the line of sight through (centre_x, centre_y). Plate
// millimetres go to photo pixels through one homography, and each photo pixel the plate covers
// takes its colour from the plate drawn flat (at least as finely as the photo shows it) through
// the inverse one.

#include "photo_scene.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "image/decoded_picture.h"
#include "picture_effects.h"

namespace plate::tools {

namespace {

constexpr double kPlateWidthMm = 330.0;
constexpr double kPlateHeightMm = 165.0;
constexpr double kFocalLengthInWidths = 1.2;
constexpr std::uint64_t kPhotoNoiseStream = 0x70686F746Fu;
constexpr std::uint64_t kBadgeStream = 0x6261646765u;

using Matrix = std::array<std::array<double, 3>, 3>;

// Plate millimetres (from the plate's centre) to homogeneous photo pixels.
Matrix plate_homography(const TurnedPlate& plate, int photo_width, int photo_height) {
  const double f = kFocalLengthInWidths * photo_width;
  const double cx = photo_width / 2.0, cy = photo_height / 2.0;
  const double yaw = plate.yaw_deg * std::numbers::pi / 180.0;
  const double pitch = plate.pitch_deg * std::numbers::pi / 180.0;
  // The plate's axes after turning, in camera coordinates (x right, y down, z away).
  const double ex[3] = {std::cos(yaw), 0.0, -std::sin(yaw)};
  const double ey[3] = {std::sin(yaw) * std::sin(pitch), std::cos(pitch), std::cos(yaw) * std::sin(pitch)};
  const double z = f * kPlateWidthMm / plate.width_px;
  const double centre[3] = {(plate.centre_x - cx) * z / f, (plate.centre_y - cy) * z / f, z};
  const auto project = [&](const double v[3]) {
    return std::array<double, 3>{f * v[0] + cx * v[2], f * v[1] + cy * v[2], v[2]};
  };
  const auto a = project(ex), b = project(ey), c = project(centre);
  return {{{a[0], b[0], c[0]}, {a[1], b[1], c[1]}, {a[2], b[2], c[2]}}};
}

Matrix inverse(const Matrix& m) {
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  Matrix r{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const int i1 = (j + 1) % 3, i2 = (j + 2) % 3, j1 = (i + 1) % 3, j2 = (i + 2) % 3;
      r[std::size_t(i)][std::size_t(j)] =
          (m[std::size_t(i1)][std::size_t(j1)] * m[std::size_t(i2)][std::size_t(j2)] -
           m[std::size_t(i1)][std::size_t(j2)] * m[std::size_t(i2)][std::size_t(j1)]) /
          det;
    }
  return r;
}

std::array<double, 3> apply(const Matrix& m, double x, double y) {
  return {m[0][0] * x + m[0][1] * y + m[0][2], m[1][0] * x + m[1][1] * y + m[1][2],
          m[2][0] * x + m[2][1] * y + m[2][2]};
}

std::uint8_t scaled(std::uint8_t level, double gain) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(level * gain), 0L, 255L));
}

void fill_box(RgbCanvas& canvas, int left, int top, int right, int bottom, Rgb colour) {
  for (int row = std::max(top, 0); row < std::min(bottom, canvas.height()); ++row)
    for (int column = std::max(left, 0); column < std::min(right, canvas.width()); ++column)
      canvas.at_unchecked(column, row) = colour;
}

void paint_texture(RgbCanvas& canvas, const TexturePatch& patch, std::uint64_t seed) {
  const int right = patch.left + patch.width, bottom = patch.top + patch.height;
  const int period = std::max(patch.period_px, 2);
  switch (patch.kind) {
    case TextureKind::grille:
      fill_box(canvas, patch.left, patch.top, right, bottom, patch.light);
      for (int x = patch.left + period / 4; x < right; x += period)
        fill_box(canvas, x, patch.top + period / 2, std::min(x + period / 2, right), bottom - period / 2,
                 patch.dark);
      break;
    case TextureKind::grating:
      fill_box(canvas, patch.left, patch.top, right, bottom, patch.light);
      for (int y = patch.top + period / 5; y + period * 3 / 5 <= bottom; y += period)
        for (int x = patch.left + period / 5; x + period * 3 / 5 <= right; x += period)
          fill_box(canvas, x, y, x + period * 3 / 5, y + period * 3 / 5, patch.dark);
      break;
    case TextureKind::badge: {
      const double cx = patch.left + patch.width / 2.0, cy = patch.top + patch.height / 2.0;
      const double rx = patch.width / 2.0, ry = patch.height / 2.0;
      for (int row = std::max(patch.top, 0); row < std::min(bottom, canvas.height()); ++row)
        for (int column = std::max(patch.left, 0); column < std::min(right, canvas.width()); ++column) {
          const double u = (column + 0.5 - cx) / rx, v = (row + 0.5 - cy) / ry;
          if (u * u + v * v <= 1.0) canvas.at_unchecked(column, row) = patch.light;
        }
      SeededGenerator generator(seed ^ kBadgeStream);
      const int strokes = 2 + int(generator.next() % 3);
      const int stroke_width = std::max(2, patch.width / 14);
      for (int s = 0; s < strokes; ++s) {
        const int x = patch.left + patch.width * (s + 1) / (strokes + 1) - stroke_width / 2;
        const int half = patch.height / 4 + int(generator.next() % std::uint64_t(patch.height / 8 + 1));
        fill_box(canvas, x, int(cy) - half, x + stroke_width, int(cy) + half, patch.dark);
      }
      break;
    }
  }
}

// The plate drawn flat at `scale` pixels a millimetre twice, on black and on white: where the two
// differ the plate does not cover the pixel (its rounded corners), and by how much says how far.
struct FlatPlate {
  double scale;
  RgbCanvas on_black;
  RgbCanvas on_white;
};

FlatPlate draw_flat(const TurnedPlate& plate, const PlateFonts& fonts) {
  const double scale = std::clamp(1.5 * plate.width_px / kPlateWidthMm, 1.0, 4.0);
  const int width = int(std::ceil(kPlateWidthMm * scale)), height = int(std::ceil(kPlateHeightMm * scale));
  FlatPlate flat{scale, RgbCanvas(width, height, {0, 0, 0}), RgbCanvas(width, height, {255, 255, 255})};
  PlacedPlate placed = plate.lettering;
  placed.left_px = 0.0;
  placed.top_px = 0.0;
  placed.width_px = kPlateWidthMm * scale;
  draw_plate(flat.on_black, placed, fonts);
  draw_plate(flat.on_white, placed, fonts);
  return flat;
}

// Lays the plate over the photo pixel (column, row), seen at flat-plate pixel (u, v).
void lay_plate_pixel(RgbCanvas& canvas, int column, int row, const FlatPlate& flat, double u, double v) {
  const int w = flat.on_black.width(), h = flat.on_black.height();
  if (u < 0.0 || v < 0.0 || u > w - 1 || v > h - 1) return;
  const int u0 = std::min(int(u), w - 2), v0 = std::min(int(v), h - 2);
  const double fu = u - u0, fv = v - v0;
  double colour[3] = {0, 0, 0};
  double coverage = 0.0;
  for (int dv = 0; dv < 2; ++dv)
    for (int du = 0; du < 2; ++du) {
      const double weight = (du ? fu : 1 - fu) * (dv ? fv : 1 - fv);
      const Rgb& b = flat.on_black.at_unchecked(u0 + du, v0 + dv);
      const Rgb& wh = flat.on_white.at_unchecked(u0 + du, v0 + dv);
      colour[0] += weight * b.red;
      colour[1] += weight * b.green;
      colour[2] += weight * b.blue;
      coverage += weight * (1.0 - (wh.green - b.green) / 255.0);
    }
  Rgb& pixel = canvas.at_unchecked(column, row);
  const auto mix = [&](double ink, std::uint8_t under) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(ink + (1.0 - coverage) * under), 0L, 255L));
  };
  pixel = {mix(colour[0], pixel.red), mix(colour[1], pixel.green), mix(colour[2], pixel.blue)};
}

void paint_plate(RgbCanvas& canvas, const TurnedPlate& plate, const PlateFonts& fonts) {
  const FlatPlate flat = draw_flat(plate, fonts);
  const Matrix to_plate = inverse(plate_homography(plate, canvas.width(), canvas.height()));
  double left = canvas.width(), right = 0, top = canvas.height(), bottom = 0;
  for (const PhotoPoint& corner : plate_corners(plate, canvas.width(), canvas.height())) {
    left = std::min(left, corner.x);
    right = std::max(right, corner.x);
    top = std::min(top, corner.y);
    bottom = std::max(bottom, corner.y);
  }
  for (int row = std::max(int(top) - 1, 0); row < std::min(int(bottom) + 2, canvas.height()); ++row)
    for (int column = std::max(int(left) - 1, 0); column < std::min(int(right) + 2, canvas.width());
         ++column) {
      const auto p = apply(to_plate, column + 0.5, row + 0.5);
      if (p[2] <= 0.0) continue;
      const double x_mm = p[0] / p[2] + kPlateWidthMm / 2, y_mm = p[1] / p[2] + kPlateHeightMm / 2;
      lay_plate_pixel(canvas, column, row, flat, x_mm * flat.scale - 0.5, y_mm * flat.scale - 0.5);
    }
}

void light_and_shadow(RgbCanvas& canvas, const PhotoScene& scene) {
  const bool even_light = scene.light_left == 1.0 && scene.light_right == 1.0;
  if (even_light && scene.shadow_gain == 1.0) return;
  for (int row = 0; row < canvas.height(); ++row) {
    const double shadow_edge =
        scene.shadow_top_x + (scene.shadow_bottom_x - scene.shadow_top_x) * row / canvas.height();
    for (int column = 0; column < canvas.width(); ++column) {
      double gain = scene.light_left +
                    (scene.light_right - scene.light_left) * column / std::max(canvas.width() - 1, 1);
      if (column < shadow_edge) gain *= scene.shadow_gain;
      Rgb& pixel = canvas.at_unchecked(column, row);
      pixel = {scaled(pixel.red, gain), scaled(pixel.green, gain), scaled(pixel.blue, gain)};
    }
  }
}

}  // namespace

PhotoPoint plate_to_photo(const TurnedPlate& plate, int photo_width, int photo_height, double x_mm,
                          double y_mm) {
  const auto p = apply(plate_homography(plate, photo_width, photo_height), x_mm - kPlateWidthMm / 2,
                       y_mm - kPlateHeightMm / 2);
  return {p[0] / p[2], p[1] / p[2]};
}

std::optional<PhotoPoint> photo_to_plate(const TurnedPlate& plate, int photo_width, int photo_height,
                                         double x, double y) {
  const auto p = apply(inverse(plate_homography(plate, photo_width, photo_height)), x, y);
  if (p[2] <= 0.0) return std::nullopt;
  return PhotoPoint{p[0] / p[2] + kPlateWidthMm / 2, p[1] / p[2] + kPlateHeightMm / 2};
}

std::array<PhotoPoint, 4> plate_corners(const TurnedPlate& plate, int photo_width, int photo_height) {
  return {plate_to_photo(plate, photo_width, photo_height, 0.0, 0.0),
          plate_to_photo(plate, photo_width, photo_height, kPlateWidthMm, 0.0),
          plate_to_photo(plate, photo_width, photo_height, kPlateWidthMm, kPlateHeightMm),
          plate_to_photo(plate, photo_width, photo_height, 0.0, kPlateHeightMm)};
}

RgbCanvas render_photo(const PhotoScene& scene, const PlateFonts& fonts) {
  if (!within_pixel_limit(std::uint64_t(std::max(scene.width, 0)), std::uint64_t(std::max(scene.height, 0))))
    throw std::invalid_argument("a photo is 1 x 1 pixels to 100 megapixels");
  RgbCanvas canvas = paint_background(scene.background, scene.width, scene.height, scene.seed);
  for (const TexturePatch& patch : scene.textures) paint_texture(canvas, patch, scene.seed);
  for (const TurnedPlate& plate : scene.plates) paint_plate(canvas, plate, fonts);
  light_and_shadow(canvas, scene);
  blur(canvas, scene.blur_sigma_px);
  add_noise(canvas, scene.noise_sigma, scene.seed ^ kPhotoNoiseStream);
  return canvas;
}

}  // namespace plate::tools
