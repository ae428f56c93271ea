#include "tiling/tile_picture.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plate {

namespace {

// Weights are in 64ths along each axis, so a pixel's four weights sum to 4096 and the division is
// a shift.
constexpr int kWeightOne = 64;
constexpr int kWeightShift = 12;

// One enlarged column (or row) in terms of the fitted picture: the two source pixels around its
// centre and their weights.
struct Sample {
  int first = 0;
  int second = 0;
  int first_weight = kWeightOne;
  int second_weight = 0;
};

// The enlarged pixel `index` has its centre at (2 index + 1) / (2 scale) fitted pixels, between
// the fitted centres `first` and `first + 1`; pixels past the picture's edge repeat the edge.
Sample sample_at(int index, int scale, int fitted_length) {
  const int numerator = 2 * index + 1 - scale;  // the centre, in halves of a fitted pixel, less a half
  const int denominator = 2 * scale;
  const int first =
      numerator >= 0 ? numerator / denominator : -((-numerator + denominator - 1) / denominator);
  const int second_weight = ((numerator - first * denominator) * kWeightOne + scale) / denominator;
  return Sample{std::clamp(first, 0, fitted_length - 1), std::clamp(first + 1, 0, fitted_length - 1),
                kWeightOne - second_weight, second_weight};
}

// One fitted row interpolated across the tile's columns, in 64ths of a level.
void interpolate_row(const std::uint8_t* row, const std::vector<Sample>& columns, std::vector<int>& out) {
  for (std::size_t x = 0; x < columns.size(); ++x) {
    const Sample& s = columns[x];
    const std::uint8_t* left = row + std::size_t(s.first) * kBytesPerPixel;
    const std::uint8_t* right = row + std::size_t(s.second) * kBytesPerPixel;
    for (std::size_t c = 0; c < kBytesPerPixel; ++c)
      out[x * kBytesPerPixel + c] = left[c] * s.first_weight + right[c] * s.second_weight;
  }
}

}  // namespace

void make_tile_picture(const Plane& frame, int fitted_width, int fitted_height, const Tile& tile,
                       Plane& tile_frame) {
  tile_frame.fill(0);
  if (fitted_width <= 0 || fitted_height <= 0) return;
  // The tile's columns inside the enlarged picture; the rest stay black.
  const int width = std::clamp(fitted_width * tile.scale - tile.left, 0, kFrameWidth);
  const int height = std::clamp(fitted_height * tile.scale - tile.top, 0, kFrameHeight);
  std::vector<Sample> columns;
  for (int x = 0; x < width; ++x) columns.push_back(sample_at(tile.left + x, tile.scale, fitted_width));

  // Consecutive tile rows mostly share their two fitted rows, so each is interpolated once.
  std::vector<int> upper(columns.size() * kBytesPerPixel), lower(upper.size());
  int upper_row = -1, lower_row = -1;
  for (int tile_row = 0; tile_row < height; ++tile_row) {
    const Sample row = sample_at(tile.top + tile_row, tile.scale, fitted_height);
    if (row.first != upper_row) {
      if (row.first == lower_row) {
        std::swap(upper, lower);
        lower_row = -1;
      } else {
        interpolate_row(frame.row(kFrameHeight - 1 - row.first), columns,
                        upper);  // fitted row r: plane row 767 - r
      }
      upper_row = row.first;
    }
    if (row.second != lower_row) {
      interpolate_row(frame.row(kFrameHeight - 1 - row.second), columns, lower);
      lower_row = row.second;
    }
    std::uint8_t* out = tile_frame.row(kFrameHeight - 1 - tile_row);
    for (std::size_t i = 0; i < upper.size(); ++i)
      out[i] = static_cast<std::uint8_t>(
          (upper[i] * row.first_weight + lower[i] * row.second_weight + (1 << (kWeightShift - 1))) >>
          kWeightShift);
  }
}

}  // namespace plate
