#pragma once
// What happens to a picture besides the plates: the background they lie on, and the blur and
// noise of the camera. All of it is seeded and uses integer or exactly rounded arithmetic, so a
// seed gives the same bytes on every run.

#include <cstdint>

#include "rgb_canvas.h"

namespace plate::tools {

// SplitMix64: tiny, fast and fully specified here, unlike the distributions of <random>, whose
// output differs between standard libraries.
class SeededGenerator {
 public:
  explicit SeededGenerator(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }

 private:
  std::uint64_t state_;
};

// Fills the canvas with clutter: smooth blotches (random levels on a grid of `cell_px` spacing,
// blended bilinearly between `light` and `dark`) and, over them, sharp-edged rectangles of those
// levels from a few pixels to two cells across, about one per four cells. The rectangles give the
// seed scan edges to trace that are not plates.
void paint_clutter(RgbCanvas& canvas, Rgb light, Rgb dark, int cell_px, std::uint64_t seed);

// Vertical ramp from `top` on the first row to `bottom` on the last.
void paint_gradient(RgbCanvas& canvas, Rgb top, Rgb bottom);

// Separable Gaussian blur; edges are continued by their last pixel. sigma <= 0 does nothing.
void blur(RgbCanvas& canvas, double sigma_px);

// Adds independent Gaussian noise of standard deviation `sigma` levels to every channel and clips
// to 0..255. sigma <= 0 does nothing.
void add_noise(RgbCanvas& canvas, double sigma, std::uint64_t seed);

}  // namespace plate::tools
