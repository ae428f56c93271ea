#include "tiling/tile_picture.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace plate {

namespace {

// One enlarged column (or row) in terms of the fitted picture: the two source pixels around its
// centre and the weight of the second, out of 2 x scale.
struct Sample {
  int first = 0;
  int second = 0;
  int weight = 0;
  bool inside = false;  // false beyond the enlarged picture
};

// The enlarged pixel `index` (0-based, counted as the picture counts) has its centre at
// (2 index + 1) / (2 scale) fitted pixels, i.e. between the fitted centres first and first + 1.
Sample sample_at(int index, int scale, int fitted_length) {
  Sample s;
  if (index < 0 || index >= fitted_length * scale) return s;
  const int numerator = 2 * index + 1 - scale;  // position in halves of a fitted pixel, less a half
  const int denominator = 2 * scale;
  const int first =
      numerator >= 0 ? numerator / denominator : -((-numerator + denominator - 1) / denominator);
  s.weight = numerator - first * denominator;
  s.first = std::clamp(first, 0, fitted_length - 1);
  s.second = std::clamp(first + 1, 0, fitted_length - 1);
  s.inside = true;
  return s;
}

}  // namespace

void make_tile_picture(const Plane& frame, int fitted_width, int fitted_height, const Tile& tile,
                       Plane& tile_frame) {
  tile_frame.fill(0);
  if (fitted_width <= 0 || fitted_height <= 0) return;
  const int full = 2 * tile.scale;
  std::array<Sample, kFrameWidth> columns;
  for (int x = 0; x < kFrameWidth; ++x)
    columns[std::size_t(x)] = sample_at(tile.left + x, tile.scale, fitted_width);
  for (int tile_row = 0; tile_row < kFrameHeight; ++tile_row) {
    const Sample row = sample_at(tile.top + tile_row, tile.scale, fitted_height);
    if (!row.inside) continue;
    // Fitted row r (from the top) is plane row 767 - r.
    const std::uint8_t* upper = frame.row(kFrameHeight - 1 - row.first);
    const std::uint8_t* lower = frame.row(kFrameHeight - 1 - row.second);
    std::uint8_t* out = tile_frame.row(kFrameHeight - 1 - tile_row);
    const int upper_weight = full - row.weight;
    for (int x = 0; x < kFrameWidth; ++x) {
      const Sample& column = columns[std::size_t(x)];
      if (!column.inside) break;  // the columns beyond the picture are all at the right
      const std::size_t left = std::size_t(column.first) * kBytesPerPixel;
      const std::size_t right = std::size_t(column.second) * kBytesPerPixel;
      const int left_weight = full - column.weight;
      for (std::size_t c = 0; c < kBytesPerPixel; ++c) {
        const int top = upper[left + c] * left_weight + upper[right + c] * column.weight;
        const int bottom = lower[left + c] * left_weight + lower[right + c] * column.weight;
        const int sum = top * upper_weight + bottom * row.weight;
        out[std::size_t(x) * kBytesPerPixel + c] =
            static_cast<std::uint8_t>((sum + full * full / 2) / (full * full));
      }
    }
  }
}

}  // namespace plate
