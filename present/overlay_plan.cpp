#include "present/overlay_plan.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>

namespace plate {

namespace {

constexpr std::int32_t kTopWindowRow = kFrameHeight - 1;
constexpr std::int32_t kLabelGap = 4;  // rows between the frame's bottom edge and the label

// One item per plate that was read. `box_from_top` turns its frame box (plane rows, counted from
// the bottom) into the box to draw, with rows counted from the top (y_min its top edge), or into
// nothing to leave the plate out.
template <typename BoxFromTop>
std::vector<OverlayItem> plan_items(std::span<const RunPlate> plates, std::int32_t label_gap,
                                    BoxFromTop box_from_top) {
  std::vector<OverlayItem> items;
  for (const RunPlate& plate : plates) {
    const FrameBox& frame = plate.frame;
    const std::optional<PixelBox> box =
        box_from_top(PixelBox{frame.x_min, frame.x_max, frame.y_min, frame.y_max});
    if (!box) continue;
    const std::int32_t x0 = box->x_min, x1 = box->x_max, bottom = box->y_max, top = box->y_min;
    OverlayItem item;
    item.group_id = plate.group_id;
    item.frame_path = {{{x0, bottom}, {x1, bottom}, {x1, top}, {x0, top}, {x0, bottom}}};
    item.label_origin = {x0, bottom + label_gap};
    item.label = plate.text;
    items.push_back(std::move(item));
  }
  return items;
}

}  // namespace

std::vector<OverlayItem> plan_overlay(std::span<const RunPlate> plates) {
  return plan_items(plates, kLabelGap, [](const PixelBox& plane_box) {
    return std::optional<PixelBox>(
        {plane_box.x_min, plane_box.x_max, kTopWindowRow - plane_box.y_max, kTopWindowRow - plane_box.y_min});
  });
}

std::int32_t overlay_magnification(const FrameMapping& mapping) {
  const long magnification = std::lround(1.0 / mapping.scale());
  return static_cast<std::int32_t>(std::clamp<long>(magnification, 1, kMaxOverlayMagnification));
}

std::vector<OverlayItem> plan_source_overlay(std::span<const RunPlate> plates, const FrameMapping& mapping) {
  return plan_items(plates, kLabelGap * overlay_magnification(mapping),
                    [&](const PixelBox& plane_box) { return frame_box_to_source(mapping, plane_box); });
}

}  // namespace plate
