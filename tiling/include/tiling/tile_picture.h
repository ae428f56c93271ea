#pragma once
// The pixels of one enlarged tile, made from the fitted picture in the frame.

#include "engine/plane.h"
#include "tiling/tile_layout.h"

namespace plate {

// Fills `tile_frame` with `tile` of the fitted_width x fitted_height picture in `frame`'s top-left
// corner, enlarged tile.scale times by bilinear interpolation between pixel centres (edges
// continued by their last pixel), in integer arithmetic (weights in 64ths). The tile's top row goes on plane
// row 767 as a picture's does; whatever of the tile lies beyond the enlarged picture is black.
void make_tile_picture(const Plane& frame, int fitted_width, int fitted_height, const Tile& tile,
                       Plane& tile_frame);

}  // namespace plate
