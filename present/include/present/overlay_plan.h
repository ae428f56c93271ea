#pragma once
// The plate overlay as plain geometry: for each plate that was read, a cyan frame around it and
// its text below, in window coordinates (rows from the top: plane row y is window row 767 - y).
// Every front end (the desktop windows and the command-line reader's overlay picture) draws this.
// plate-read also draws it on the original picture at its own size: the same items, each plate
// frame mapped into the picture's pixels, and drawn thicker as the picture is larger.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/plane.h"
#include "engine/run_plates.h"
#include "image/frame_fit.h"

namespace plate {

struct Rgb {
  std::uint8_t red, green, blue;
};

// The overlay's colours, the same on every front end.
inline constexpr Rgb kOverlayFrameColour = {0, 255, 255};        // cyan
inline constexpr Rgb kOverlayLabelColour = {0, 0, 255};          // blue
inline constexpr Rgb kOverlayLabelBackground = {255, 255, 255};  // white

struct WindowPoint {
  std::int32_t x;
  std::int32_t y;  // window row (or picture row), counted from the top
};

struct OverlayItem {
  std::int32_t group_id;
  // Closed path: lower left, lower right, upper right, upper left, lower left again.
  std::array<WindowPoint, 5> frame_path;
  WindowPoint label_origin;  // top-left corner of the label, four rows below the frame (magnified)
  std::string label;         // the plate text's bytes as stored (0xA5 for the middle dot)
};

inline constexpr std::int32_t kOverlayPenWidth = 5;

// One item per plate, in the list's order (a run's plates_in_dialog_order, and any read elsewhere
// after them).
std::vector<OverlayItem> plan_overlay(std::span<const RunPlate> plates);

// How many times thicker the overlay is drawn on a picture shrunk by `mapping` to fit the frame: 1
// for a picture that fits, else 1 / scale rounded (4 for a 4272 x 2848 photo), so that frames and
// labels look on the picture as they do in the window; at most kMaxOverlayMagnification (a
// 100-megapixel photo would take 12), whose 41-pixel lines and 96 x 128 label cells stand out on
// any picture, while the pen's cost grows with the square of its width.
inline constexpr std::int32_t kMaxOverlayMagnification = 8;
std::int32_t overlay_magnification(const FrameMapping& mapping);

// The items of plan_overlay in the original picture's pixels (rows from its top): each plate frame
// is the picture area its frame box covers (frame_box_to_source), and the label sits four rows
// times the magnification below it. A frame wholly outside the picture (in the black beside it)
// has no item. For a picture that fits the frame, the items are plan_overlay's.
std::vector<OverlayItem> plan_source_overlay(std::span<const RunPlate> plates, const FrameMapping& mapping);

}  // namespace plate
