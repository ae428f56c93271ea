#include "present/overlay_plan.h"

#include <algorithm>
#include <iterator>

#include "present/plate_text.h"

namespace plate {

namespace {

constexpr std::int32_t kTopWindowRow = kFrameHeight - 1;

}  // namespace

std::vector<OverlayItem> plan_overlay(const GroupTable& groups, std::int32_t next_group_id) {
  std::vector<OverlayItem> items;
  const std::int32_t last_id = std::min(next_group_id - 1, kMaxGroupId);
  for (std::int32_t g = 1; g <= last_id; ++g) {
    const GroupEntry& group = groups[static_cast<std::size_t>(g)];
    if (group.digit_count == 0) continue;
    const std::int32_t x0 = group.x_min, x1 = group.x_max;
    const std::int32_t bottom = kTopWindowRow - group.y_min, top = kTopWindowRow - group.y_max;
    OverlayItem item;
    item.group_id = g;
    item.frame_path = {{{x0, bottom}, {x1, bottom}, {x1, top}, {x0, top}, {x0, bottom}}};
    item.label_origin = {x0, bottom + 4};
    item.label = plate_text_bytes(group);
    items.push_back(std::move(item));
  }
  return items;
}

}  // namespace plate
