#include "present/overlay_plan.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>

#include "present/plate_text.h"

namespace plate {

namespace {

constexpr std::int32_t kTopWindowRow = kFrameHeight - 1;
constexpr std::int32_t kLabelGap = 4;  // rows between the frame's bottom edge and the label

// One item per plate that was read. `box_from_top` turns its frame box (plane rows, counted from
// the bottom) into the box to draw, with rows counted from the top (y_min its top edge), or into
// nothing to leave the plate out.
template <typename BoxFromTop>
std::vector<OverlayItem> plan_items(const GroupTable& groups, std::int32_t next_group_id,
                                    std::int32_t label_gap, BoxFromTop box_from_top) {
  std::vector<OverlayItem> items;
  const std::int32_t last_id = std::min(next_group_id - 1, kMaxGroupId);
  for (std::int32_t g = 1; g <= last_id; ++g) {
    const GroupEntry& group = groups[static_cast<std::size_t>(g)];
    if (group.digit_count == 0) continue;
    const std::optional<PixelBox> box =
        box_from_top(PixelBox{group.x_min, group.x_max, group.y_min, group.y_max});
    if (!box) continue;
    const std::int32_t x0 = box->x_min, x1 = box->x_max, bottom = box->y_max, top = box->y_min;
    OverlayItem item;
    item.group_id = g;
    item.frame_path = {{{x0, bottom}, {x1, bottom}, {x1, top}, {x0, top}, {x0, bottom}}};
    item.label_origin = {x0, bottom + label_gap};
    item.label = plate_text_bytes(group);
    items.push_back(std::move(item));
  }
  return items;
}

}  // namespace

std::vector<OverlayItem> plan_overlay(const GroupTable& groups, std::int32_t next_group_id) {
  return plan_items(groups, next_group_id, kLabelGap, [](const PixelBox& plane_box) {
    return std::optional<PixelBox>(
        {plane_box.x_min, plane_box.x_max, kTopWindowRow - plane_box.y_max, kTopWindowRow - plane_box.y_min});
  });
}

std::int32_t overlay_magnification(const FrameMapping& mapping) {
  const long magnification = std::lround(1.0 / mapping.scale());
  return static_cast<std::int32_t>(std::clamp<long>(magnification, 1, kMaxOverlayMagnification));
}

std::vector<OverlayItem> plan_source_overlay(const GroupTable& groups, std::int32_t next_group_id,
                                             const FrameMapping& mapping) {
  return plan_items(groups, next_group_id, kLabelGap * overlay_magnification(mapping),
                    [&](const PixelBox& plane_box) { return frame_box_to_source(mapping, plane_box); });
}

}  // namespace plate
