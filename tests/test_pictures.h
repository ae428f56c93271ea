#pragma once
// Small helpers that draw test pictures into a Plane (plane coordinates: y counts from the bottom),
// and the few that most tests share.

#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/plane.h"
#include "engine/workspace.h"

namespace plate::testing {

// Names a row of a parameterised test after its `name` field.
inline constexpr auto row_name = [](const auto& row) { return std::string(row.param.name); };

// Columns x_min..x_max and rows y_min..y_max, both inclusive.
struct Box {
  int x_min, x_max, y_min, y_max;
};

// The group id of every entry of the list, in list order.
inline std::vector<std::int32_t> group_ids(const CharacterList& list) {
  std::vector<std::int32_t> ids;
  for (int k = 0; k < list.count; ++k) ids.push_back(list.entries[k].group_id);
  return ids;
}

inline std::unique_ptr<Workspace> make_workspace() {
  return std::make_unique<Workspace>();
}

inline void set_gray(Plane& plane, int x, int y, std::uint8_t level) {
  const std::size_t at = Plane::offset_unchecked(x, y);
  plane.bytes[at] = plane.bytes[at + 1] = plane.bytes[at + 2] = level;
}

// Fills columns x_min..x_max and rows y_min..y_max, both inclusive.
inline void fill_box(Plane& plane, int x_min, int x_max, int y_min, int y_max, std::uint8_t level) {
  for (int y = y_min; y <= y_max; ++y)
    for (int x = x_min; x <= x_max; ++x) set_gray(plane, x, y, level);
}
inline void fill_box(Plane& plane, const Box& box, std::uint8_t level) {
  fill_box(plane, box.x_min, box.x_max, box.y_min, box.y_max, level);
}

// Entries past point_count are left over from earlier traces and carry no meaning.
inline bool same_meaningful_fields(const ShapeRecord& a, const ShapeRecord& b) {
  const auto n = static_cast<std::size_t>(a.point_count);
  return a.character == b.character && a.point_count == b.point_count &&
         std::memcmp(a.points, b.points, n * sizeof a.points[0]) == 0 &&
         std::memcmp(a.angles, b.angles, n * sizeof a.angles[0]) == 0 &&
         std::memcmp(a.smoothed_angles, b.smoothed_angles, n * sizeof a.smoothed_angles[0]) == 0 &&
         a.x_max == b.x_max && a.x_min == b.x_min && a.y_max == b.y_max && a.y_min == b.y_min &&
         a.start_direction == b.start_direction;
}

inline int count_marks(const TraceMarks& marks) {
  int n = 0;
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 0; x < kFrameWidth; ++x) n += marks.is_marked(x, y);
  return n;
}

}  // namespace plate::testing
