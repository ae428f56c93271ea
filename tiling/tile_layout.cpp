#include "tiling/tile_layout.h"

#include <algorithm>

#include "engine/plane.h"

namespace plate {

namespace {

// Starts along one axis of `length` enlarged pixels for tiles `tile` long, `overlap` apart at
// least; the last tile ends on the picture's edge.
std::vector<int> tile_starts(int length, int tile, int overlap) {
  if (length <= tile) return {0};
  const int step = std::max(1, tile - overlap);
  std::vector<int> starts;
  for (int start = 0; start + tile < length; start += step) starts.push_back(start);
  starts.push_back(length - tile);
  return starts;
}

// Floor division for the non-negative and negative offsets a tile box can have.
int floor_div(int value, int divisor) {
  const int quotient = value / divisor;
  return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

}  // namespace

std::vector<Tile> plan_tiles(int fitted_width, int fitted_height, int scale, int overlap) {
  const int width = fitted_width * scale;
  const int height = fitted_height * scale;
  const std::vector<int> lefts = tile_starts(width, kFrameWidth, overlap);
  const std::vector<int> tops = tile_starts(height, kFrameHeight, overlap);
  std::vector<Tile> tiles;
  for (const int top : tops) {
    for (const int left : lefts) {
      tiles.push_back(
          Tile{scale, left, top, left > 0, left + kFrameWidth<width, top> 0, top + kFrameHeight < height});
    }
  }
  return tiles;
}

FrameBox tile_box_to_frame(const Tile& tile, const FrameBox& tile_box) {
  // Tile plane row y is enlarged row top + 767 - y; enlarged pixel X shows fitted pixel X / scale.
  const auto column = [&](int x) { return floor_div(tile.left + x, tile.scale); };
  const auto row = [&](int y) {
    return kFrameHeight - 1 - floor_div(tile.top + kFrameHeight - 1 - y, tile.scale);
  };
  return FrameBox{column(tile_box.x_min), column(tile_box.x_max), row(tile_box.y_min), row(tile_box.y_max)};
}

}  // namespace plate
