#pragma once
// Draws the plate overlay into a picture the way the desktop window paints it over the display
// plane: each frame path with a cyan pen 5 pixels wide, each label in blue on white with its top
// left corner at the label origin. Positions are window points (rows from the top) as
// plan_overlay gives them; whatever falls outside the frame is clipped.

#include <vector>

#include "engine/plane.h"
#include "shell/overlay_plan.h"

namespace plate::cli {

struct Rgb {
  std::uint8_t red, green, blue;
};

inline constexpr Rgb kFrameColour = {0, 255, 255};
inline constexpr Rgb kLabelColour = {0, 0, 255};
inline constexpr Rgb kLabelBackground = {255, 255, 255};

void draw_overlay(Plane& picture, const std::vector<OverlayItem>& items);

}  // namespace plate::cli
