#pragma once
// Where the enlarged tiles of a picture lie, and how a box on a tile maps back into the frame.
//
// The picture is the fitted one in the frame's top-left corner. Enlarged `scale` times it is cut
// into 1024 x 768 tiles that overlap by at least `overlap` enlarged pixels each way, so that any
// plate narrower than the overlap lies whole on some tile, clear of that tile's cut edges.
// Enlarged coordinates count columns from the left and rows from the picture's top row.

#include <vector>

#include "engine/run_plates.h"

namespace plate {

struct Tile {
  int scale = 1;
  int left = 0;  // the tile's first column and top row in the enlarged picture
  int top = 0;
  // Which sides of the tile are cuts through the picture (a neighbouring tile goes on) rather than
  // the picture's own edge.
  bool cut_left = false, cut_right = false, cut_top = false, cut_bottom = false;
};

// The tiles of a fitted_width x fitted_height picture enlarged `scale` times, row by row from the
// top left. A side no longer than the tile's gives one tile that starts at 0 (the rest of that
// tile is black, as the bitmap reader leaves a small picture's frame).
std::vector<Tile> plan_tiles(int fitted_width, int fitted_height, int scale, int overlap);

// A box on the tile (plane coordinates of the tile's own run) to the frame pixels it shows.
FrameBox tile_box_to_frame(const Tile& tile, const FrameBox& tile_box);

}  // namespace plate
