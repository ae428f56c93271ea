#pragma once
// The picture the renderer paints on, before it becomes a bitmap: 8-bit RGB, rows top-down, as a
// camera picture is thought of. Only placing it into the frame turns rows the engine's way up.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/plane.h"

namespace plate::tools {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

class RgbCanvas {
 public:
  RgbCanvas(int width, int height, Rgb fill = {})
      : width_(width), height_(height), pixels_(std::size_t(width) * std::size_t(height), fill) {}

  int width() const { return width_; }
  int height() const { return height_; }
  bool contains(int column, int row) const {
    return column >= 0 && column < width_ && row >= 0 && row < height_;
  }

  // Unchecked: the caller guarantees contains(column, row).
  Rgb& at_unchecked(int column, int row) { return pixels_[index(column, row)]; }
  const Rgb& at_unchecked(int column, int row) const { return pixels_[index(column, row)]; }

  // Lays `ink` over the pixel with `coverage` (0 = untouched, 255 = fully ink); pixels outside the
  // canvas are skipped, so shapes may hang over the edge of the picture.
  void blend(int column, int row, Rgb ink, int coverage) {
    if (!contains(column, row) || coverage <= 0) return;
    Rgb& pixel = at_unchecked(column, row);
    const auto mix = [coverage](std::uint8_t under, std::uint8_t over) {
      return static_cast<std::uint8_t>((under * (255 - coverage) + over * coverage + 127) / 255);
    };
    pixel = {mix(pixel.red, ink.red), mix(pixel.green, ink.green), mix(pixel.blue, ink.blue)};
  }

 private:
  std::size_t index(int column, int row) const {
    return std::size_t(row) * std::size_t(width_) + std::size_t(column);
  }

  int width_;
  int height_;
  std::vector<Rgb> pixels_;
};

// Puts the picture into the frame where the bitmap reader puts a file of its size: its top row on
// plane row 767, its left column on x = 0, the rest of the frame black. A canvas larger than the
// frame is cut to it.
inline void place_in_frame(const RgbCanvas& picture, Plane& frame) {
  frame.fill(0);
  for (int row = 0; row < picture.height() && row < kFrameHeight; ++row) {
    std::uint8_t* out = frame.row(kFrameHeight - 1 - row);
    for (int column = 0; column < picture.width() && column < kFrameWidth; ++column) {
      const Rgb& pixel = picture.at_unchecked(column, row);
      out[3 * column + 0] = pixel.blue;
      out[3 * column + 1] = pixel.green;
      out[3 * column + 2] = pixel.red;
    }
  }
}

}  // namespace plate::tools
