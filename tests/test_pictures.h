#pragma once
// Small helpers that draw test pictures into a Plane (plane coordinates: y counts from the bottom),
// and the few that most tests share.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/message_service.h"
#include "engine/plane.h"
#include "engine/workspace.h"

namespace plate::testing {

// Names a row of a parameterised test after its `name` field.
inline constexpr auto row_name = [](const auto& row) { return std::string(row.param.name); };

struct RecordingMessages final : MessageService {
  std::vector<std::string> texts;
  void show_message(std::string_view text) override { texts.emplace_back(text); }
};

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

inline bool is_marked(const Plane& marks, int x, int y) {
  return marks.channel_unchecked(x, y, Channel::red) != 0;
}

inline int count_marks(const Plane& marks) {
  int n = 0;
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 0; x < kFrameWidth; ++x) n += is_marked(marks, x, y);
  return n;
}

}  // namespace plate::testing
