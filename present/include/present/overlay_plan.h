#pragma once
// The plate overlay as plain geometry: for each plate that was read, a cyan frame around it and
// its text below, in window coordinates (rows from the top: plane row y is window row 767 - y).
// Every front end (the desktop windows and the command-line reader's overlay picture) draws this.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/character_list.h"
#include "engine/plane.h"

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
  std::int32_t y;  // window row, counted from the top
};

struct OverlayItem {
  std::int32_t group_id;
  // Closed path: lower left, lower right, upper right, upper left, lower left again.
  std::array<WindowPoint, 5> frame_path;
  WindowPoint label_origin;  // top-left corner of the label, four rows below the frame
  std::string label;         // the plate text's bytes as stored (0xA5 for the middle dot)
};

inline constexpr std::int32_t kOverlayPenWidth = 5;

// One item per plate that was read (digit_count not 0), in ascending group id order, for the ids
// 1 .. next_group_id - 1. Nothing before the first run (next_group_id 0) or after a drop (all zero).
std::vector<OverlayItem> plan_overlay(const GroupTable& groups, std::int32_t next_group_id);

}  // namespace plate
