#pragma once
// Draws the plate overlay into a picture the way the desktop window paints it over the display
// plane: each frame path with a cyan pen 5 pixels wide, each label in blue on white with its top
// left corner at the label origin. Positions are window points (rows from the top) as
// plan_overlay gives them; whatever falls outside the frame is clipped.

#include <vector>

#include "engine/plane.h"
#include "overlay_plan.h"

namespace plate {

void draw_overlay(Plane& picture, const std::vector<OverlayItem>& items);

}  // namespace plate
