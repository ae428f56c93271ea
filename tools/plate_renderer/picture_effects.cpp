// Background and camera effects, all reproducible from a seed.
//
// Clutter is bilinearly blended random levels (smooth, no edges the seed scan would take) with
// hard-edged rectangles over them (edges it will take, traced shapes that are not digits). Blur is
// a separable Gaussian with integer taps: the weights are rounded once to 1/65536, and the
// convolution itself is exact integer arithmetic. Noise is Gaussian by the
// Irwin-Hall sum of four uniforms, which needs no logarithm or cosine from the maths library, whose
// last bit may differ between platforms.

#include "picture_effects.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace plate::tools {

namespace {

// `weight` of 0..`scale` from `from` towards `to`, rounded.
std::uint8_t mix_level(std::uint8_t from, std::uint8_t to, std::int64_t weight, std::int64_t scale) {
  return static_cast<std::uint8_t>((from * (scale - weight) + to * weight + scale / 2) / scale);
}

Rgb mix(Rgb from, Rgb to, std::int64_t weight, std::int64_t scale) {
  return {mix_level(from.red, to.red, weight, scale), mix_level(from.green, to.green, weight, scale),
          mix_level(from.blue, to.blue, weight, scale)};
}

int below(SeededGenerator& generator, int bound) {
  return static_cast<int>(generator.next() % std::uint64_t(bound));
}

void paint_blotches(RgbCanvas& canvas, Rgb light, Rgb dark, int cell, SeededGenerator& generator) {
  const int grid_width = canvas.width() / cell + 2;
  const int grid_height = canvas.height() / cell + 2;
  std::vector<std::int64_t> levels(std::size_t(grid_width) * std::size_t(grid_height));
  for (std::int64_t& level : levels) level = below(generator, 256);
  const auto level_at = [&](int gx, int gy) {
    return levels[std::size_t(gy) * std::size_t(grid_width) + std::size_t(gx)];
  };
  const std::int64_t area = std::int64_t{cell} * cell;
  for (int row = 0; row < canvas.height(); ++row) {
    const int gy = row / cell;
    const std::int64_t fy = row % cell;
    for (int column = 0; column < canvas.width(); ++column) {
      const int gx = column / cell;
      const std::int64_t fx = column % cell;
      const std::int64_t level = level_at(gx, gy) * (cell - fx) * (cell - fy) +
                                 level_at(gx + 1, gy) * fx * (cell - fy) +
                                 level_at(gx, gy + 1) * (cell - fx) * fy + level_at(gx + 1, gy + 1) * fx * fy;
      canvas.at_unchecked(column, row) = mix(light, dark, level, 255 * area);
    }
  }
}

void paint_rectangles(RgbCanvas& canvas, Rgb light, Rgb dark, int cell, SeededGenerator& generator) {
  const int count = canvas.width() * canvas.height() / (4 * cell * cell);
  for (int i = 0; i < count; ++i) {
    const int width = 3 + below(generator, 2 * cell);
    const int height = 3 + below(generator, 2 * cell);
    const int left = below(generator, canvas.width()) - width / 2;
    const int top = below(generator, canvas.height()) - height / 2;
    const Rgb colour = mix(light, dark, below(generator, 256), 255);
    for (int row = std::max(top, 0); row < std::min(top + height, canvas.height()); ++row)
      for (int column = std::max(left, 0); column < std::min(left + width, canvas.width()); ++column)
        canvas.at_unchecked(column, row) = colour;
  }
}

// Integer weights summing to 65536 for taps -radius..radius; the rounding remainder goes to the
// centre tap so that a flat area stays exactly flat.
std::vector<std::int64_t> gaussian_taps(double sigma_px, int radius) {
  std::vector<double> shape(std::size_t(2 * radius + 1));
  double sum = 0.0;
  for (int i = -radius; i <= radius; ++i)
    sum += shape[std::size_t(i + radius)] = std::exp(-i * i / (2 * sigma_px * sigma_px));
  std::vector<std::int64_t> taps(shape.size());
  std::int64_t total = 0;
  for (std::size_t i = 0; i < shape.size(); ++i) total += taps[i] = std::llround(shape[i] / sum * 65536.0);
  taps[std::size_t(radius)] += 65536 - total;
  return taps;
}

// One pass along rows (`along_rows`) or columns; reads a copy so that taps see unblurred pixels.
void blur_pass(RgbCanvas& canvas, const std::vector<std::int64_t>& taps, int radius, bool along_rows) {
  const RgbCanvas source = canvas;
  for (int row = 0; row < canvas.height(); ++row) {
    for (int column = 0; column < canvas.width(); ++column) {
      std::int64_t red = 0, green = 0, blue = 0;
      for (int i = -radius; i <= radius; ++i) {
        const int c = along_rows ? std::clamp(column + i, 0, canvas.width() - 1) : column;
        const int r = along_rows ? row : std::clamp(row + i, 0, canvas.height() - 1);
        const Rgb& pixel = source.at_unchecked(c, r);
        const std::int64_t weight = taps[std::size_t(i + radius)];
        red += weight * pixel.red;
        green += weight * pixel.green;
        blue += weight * pixel.blue;
      }
      canvas.at_unchecked(column, row) = {static_cast<std::uint8_t>((red + 32768) >> 16),
                                          static_cast<std::uint8_t>((green + 32768) >> 16),
                                          static_cast<std::uint8_t>((blue + 32768) >> 16)};
    }
  }
}

// A Gaussian sample of standard deviation `sigma`: the sum of the four 16-bit quarters of one
// generator output is close to normal (Irwin-Hall) and needs no transcendental function.
int gaussian_noise(SeededGenerator& generator, double sigma) {
  static const double kSumDeviation = 65536.0 / std::sqrt(3.0);  // of four uniforms on 0..65535
  const std::uint64_t bits = generator.next();
  std::int64_t sum = -2 * 65535;
  for (int quarter = 0; quarter < 4; ++quarter)
    sum += static_cast<std::int64_t>((bits >> (16 * quarter)) & 0xFFFFu);
  return static_cast<int>(std::lround(sigma * static_cast<double>(sum) / kSumDeviation));
}

}  // namespace

void paint_clutter(RgbCanvas& canvas, Rgb light, Rgb dark, int cell_px, std::uint64_t seed) {
  SeededGenerator generator(seed);
  const int cell = std::max(cell_px, 2);
  paint_blotches(canvas, light, dark, cell, generator);
  paint_rectangles(canvas, light, dark, cell, generator);
}

void paint_gradient(RgbCanvas& canvas, Rgb top, Rgb bottom) {
  const std::int64_t last_row = std::max(canvas.height() - 1, 1);
  for (int row = 0; row < canvas.height(); ++row) {
    const Rgb colour = mix(top, bottom, row, last_row);
    for (int column = 0; column < canvas.width(); ++column) canvas.at_unchecked(column, row) = colour;
  }
}

void blur(RgbCanvas& canvas, double sigma_px) {
  if (sigma_px <= 0) return;
  const int radius = static_cast<int>(std::ceil(3 * sigma_px));
  const std::vector<std::int64_t> taps = gaussian_taps(sigma_px, radius);
  blur_pass(canvas, taps, radius, true);
  blur_pass(canvas, taps, radius, false);
}

void add_noise(RgbCanvas& canvas, double sigma, std::uint64_t seed) {
  if (sigma <= 0) return;
  SeededGenerator generator(seed);
  const auto noisy = [&](std::uint8_t level) {
    return static_cast<std::uint8_t>(std::clamp(level + gaussian_noise(generator, sigma), 0, 255));
  };
  for (int row = 0; row < canvas.height(); ++row) {
    for (int column = 0; column < canvas.width(); ++column) {
      Rgb& pixel = canvas.at_unchecked(column, row);
      pixel = {noisy(pixel.red), noisy(pixel.green), noisy(pixel.blue)};
    }
  }
}

}  // namespace plate::tools
