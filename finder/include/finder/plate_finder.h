#pragma once
// Finding plates in a photo before reading them: light (white or yellow) quadrilaterals of a
// plate's proportions, as perspective shows them, holding dark marks of a digit's size.
//
// The search runs on the picture as it lies fitted in the frame (at most 1024 x 768 pixels, a
// fixed cost whatever the photo's size, and made anyway for the run over the frame); the plates
// found are given in the original picture's pixels, so that they can be straightened from the
// finer pixels of the decoded picture (plate_sheet.h).

#include <array>
#include <vector>

#include "engine/plane.h"
#include "image/frame_fit.h"

namespace plate {

// A point in the original picture's pixels: x from the left edge, y down from the top edge, both
// continuous (the pixel (0, 0) covers 0..1 each way).
struct SourcePoint {
  double x = 0.0;
  double y = 0.0;
};

// A plate's outline: its top-left, top-right, bottom-right and bottom-left corners.
using SourceQuad = std::array<SourcePoint, 4>;

struct FoundPlate {
  SourceQuad quad;  // within the picture
  // How closely the light region fills its quadrilateral (1 = exactly): the better of two finds
  // of one place is kept.
  double fill = 0.0;
};

struct FinderSettings {
  // Grey levels (0..255) at which the picture is cut into light and dark regions; a plate is found
  // at the level that parts it from its surroundings, whichever that is under the photo's light.
  std::vector<int> light_levels{90, 130, 170, 210};
  int yellow_margin = 60;             // how far red and green both stand above blue in a yellow plate
  int smallest_area = 300;            // fitted pixels of the light region, about a 40 px wide plate
  double widest_proportion = 3.2;     // width : height of the quadrilateral's mean sides
  double narrowest_proportion = 1.1;  // a plate turned 45 degrees shows 1.4 : 1
  double least_fill = 0.85;           // the region's area against its quadrilateral's
  double most_fill = 1.12;            // an oval fills more than its inscribed quadrilateral
  int fewest_marks = 2;               // dark marks of a digit's height inside
  int most_holes = 40;                // dark holes of any size: more is a grating
  std::size_t most_plates = 12;       // the largest found first
};

// The plates of the picture that takes `mapping.fitted` of `frame`'s top-left corner, largest
// first, no two at one place.
std::vector<FoundPlate> find_plates(const Plane& frame, const FrameMapping& mapping,
                                    const FinderSettings& settings = {});

}  // namespace plate
