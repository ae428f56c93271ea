#pragma once
// Small helpers that draw test pictures into a Plane (plane coordinates: y counts from the bottom).

#include <memory>

#include "engine/plane.h"
#include "engine/workspace.h"

namespace plate::testing {

inline std::unique_ptr<Workspace> make_workspace() { return std::make_unique<Workspace>(); }

inline void set_gray(Plane& plane, int x, int y, std::uint8_t level) {
  const std::size_t at = Plane::offset_unchecked(x, y);
  plane.bytes[at] = plane.bytes[at + 1] = plane.bytes[at + 2] = level;
}

// Fills columns x_min..x_max and rows y_min..y_max, both inclusive.
inline void fill_box(Plane& plane, int x_min, int x_max, int y_min, int y_max, std::uint8_t level) {
  for (int y = y_min; y <= y_max; ++y)
    for (int x = x_min; x <= x_max; ++x) set_gray(plane, x, y, level);
}

inline bool is_marked(const Plane& marks, int x, int y) { return marks.channel_unchecked(x, y, Channel::red) != 0; }

inline int count_marks(const Plane& marks) {
  int n = 0;
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 0; x < kFrameWidth; ++x) n += is_marked(marks, x, y);
  return n;
}

}  // namespace plate::testing
