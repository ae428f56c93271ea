#pragma once
// Draws the plate overlay into a picture the way the desktop window paints it over the display
// plane: each frame path with a cyan pen 5 pixels wide, each label in blue on white with its top
// left corner at the label origin. Whatever falls outside the picture is clipped.

#include <cstdint>
#include <vector>

#include "engine/plane.h"
#include "image/decoded_picture.h"
#include "overlay_plan.h"

namespace plate {

// Into the frame, at window points (rows from the top) as plan_overlay gives them.
void draw_overlay(Plane& picture, const std::vector<OverlayItem>& items);

// Into a picture of any size, at its own pixels (rows from the top) as plan_source_overlay gives
// them, the pen and the label font `magnification` times as large as the window's.
void draw_overlay(DecodedPicture& picture, const std::vector<OverlayItem>& items, std::int32_t magnification);

}  // namespace plate
