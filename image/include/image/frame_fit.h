#pragma once
// Fitting a decoded picture into the 1024 x 768 frame, and the mapping between frame pixels and
// the original picture's pixels.
//
// A picture that fits keeps its size; a larger one is shrunk, keeping its aspect, until it just
// fits, each frame pixel the area-weighted mean of the picture pixels it covers. Either way it is
// placed where the bitmap reader places pictures: its top row on plane row 767, its left column
// on x = 0, the rest of the frame black.

#include <optional>

#include "engine/plane.h"
#include "image/decoded_picture.h"

namespace plate {

struct PictureSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const PictureSize&, const PictureSize&) = default;
};

// The size a source_width x source_height picture takes in the frame: itself when it fits,
// otherwise 1024 wide or 768 high, the other side rounded to the nearest pixel (at least 1).
PictureSize fitted_size(int source_width, int source_height);

// Columns x_min..x_max and rows y_min..y_max, both inclusive.
struct PixelBox {
  int x_min = 0, x_max = 0, y_min = 0, y_max = 0;
  friend bool operator==(const PixelBox&, const PixelBox&) = default;
};

// Where a picture went: its full size as shown (the EXIF orientation applied) and the size it
// takes in the frame's top-left corner.
struct FrameMapping {
  PictureSize source;
  PictureSize fitted;

  // Frame pixels per picture pixel: 1 for a picture that fits, below 1 for a shrunk one.
  double scale() const;
};

// A box in frame pixels (plane coordinates: y counts from the bottom) to the picture pixels it
// covers (y counts from the picture's top row, as picture files and viewers count), clipped to
// the picture; nothing when the box lies wholly in the black beside or below it.
std::optional<PixelBox> frame_box_to_source(const FrameMapping& mapping, const PixelBox& frame_box);

// A box in picture pixels (y from the top) to the frame pixels that show it (y from the bottom),
// clipped to the picture; nothing when the box lies wholly outside the picture. Mapping a frame
// box to the picture and back gives a box that contains it.
std::optional<PixelBox> source_box_to_frame(const FrameMapping& mapping, const PixelBox& source_box);

// Clears the frame to black and places the picture in it, shrunk to fitted_size(source size) when
// larger. `picture` must hold at least that many pixels each way (the decoders make sure of it).
FrameMapping fit_into_frame(const DecodedPicture& picture, Plane& frame);

}  // namespace plate
