#include "finder/plate_sheet.h"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>

namespace plate {

namespace {

int columns_of(const SheetLayout& layout) {
  return std::max(0, (kFrameWidth - layout.gap) / (layout.plate_width + layout.gap));
}

int rows_of(const SheetLayout& layout) {
  return std::max(0, (kFrameHeight - layout.gap) / (layout.plate_width / 2 + layout.gap));
}

// The quadrilateral widened by `margin` of its own sides, along its own axes.
std::array<cv::Point2f, 4> widened(const SourceQuad& quad, double margin) {
  const cv::Point2d tl(quad[0].x, quad[0].y), tr(quad[1].x, quad[1].y), br(quad[2].x, quad[2].y),
      bl(quad[3].x, quad[3].y);
  const auto push = [&](cv::Point2d corner, cv::Point2d along_x_from, cv::Point2d along_y_from) {
    return cv::Point2f(corner + margin * (corner - along_x_from) + margin * (corner - along_y_from));
  };
  return {push(tl, tr, bl), push(tr, tl, br), push(br, bl, tr), push(bl, br, tl)};
}

SourcePoint apply(const std::array<double, 9>& m, double x, double y) {
  const double w = m[6] * x + m[7] * y + m[8];
  return {(m[0] * x + m[1] * y + m[2]) / w, (m[3] * x + m[4] * y + m[5]) / w};
}

}  // namespace

std::size_t PlateSheet::capacity(const SheetLayout& layout) {
  return std::size_t(columns_of(layout)) * std::size_t(rows_of(layout));
}

PlateSheet::PlateSheet(const DecodedPicture& picture, std::span<const FoundPlate> plates, Plane& frame,
                       const SheetLayout& layout)
    : source_width_(picture.source_width), source_height_(picture.source_height) {
  frame.fill(0);
  if (picture.width <= 0 || picture.height <= 0 || source_width_ <= 0 || source_height_ <= 0) return;
  const cv::Mat held(picture.height, picture.width, CV_8UC3, const_cast<std::uint8_t*>(picture.bgr.data()),
                     std::size_t(picture.width) * 3);
  // Pixels held per picture pixel: below 1 for a JPEG decoded at a fraction of its size.
  const double x_held = double(picture.width) / source_width_;
  const double y_held = double(picture.height) / source_height_;
  cv::Mat sheet(kFrameHeight, kFrameWidth, CV_8UC3, cv::Scalar::all(layout.background));
  const int columns = columns_of(layout);
  const std::size_t count = std::min(plates.size(), capacity(layout));
  const int slot_height = layout.plate_width / 2;
  for (std::size_t i = 0; i < count; ++i) {
    SheetSlot slot;
    slot.plate = plates[i];
    slot.width = layout.plate_width;
    slot.height = slot_height;
    slot.left = layout.gap + int(i % std::size_t(columns)) * (slot.width + layout.gap);
    slot.top = layout.gap + int(i / std::size_t(columns)) * (slot.height + layout.gap);
    std::array<cv::Point2f, 4> from = widened(plates[i].quad, layout.margin);
    for (cv::Point2f& corner : from) corner = {float(corner.x * x_held), float(corner.y * y_held)};
    const std::array<cv::Point2f, 4> to{cv::Point2f(0, 0), cv::Point2f(float(slot.width), 0),
                                        cv::Point2f(float(slot.width), float(slot.height)),
                                        cv::Point2f(0, float(slot.height))};
    const cv::Mat to_held = cv::getPerspectiveTransform(to.data(), from.data());
    cv::Mat roi = sheet(cv::Rect(slot.left, slot.top, slot.width, slot.height));
    cv::warpPerspective(held, roi, to_held, roi.size(), cv::INTER_LINEAR | cv::WARP_INVERSE_MAP,
                        cv::BORDER_CONSTANT, cv::Scalar::all(layout.background));
    // Slot pixels to picture pixels: shift the slot to the frame's origin, then undo the held scale.
    const cv::Matx33d shift(1, 0, -slot.left, 0, 1, -slot.top, 0, 0, 1);
    const cv::Matx33d unhold(1 / x_held, 0, 0, 0, 1 / y_held, 0, 0, 0, 1);
    const cv::Matx33d to_source = unhold * cv::Matx33d(to_held) * shift;
    std::copy(to_source.val, to_source.val + 9, slot.to_source.begin());
    slots_.push_back(slot);
  }
  for (int y = 0; y < kFrameHeight; ++y)
    std::copy_n(sheet.ptr<std::uint8_t>(y), kRowStride, frame.row(kFrameHeight - 1 - y));
}

namespace {

// The box's edges in frame pixels, rows top-down.
struct Edges {
  double left, right, top, bottom;
  explicit Edges(const PixelBox& box)
      : left(box.x_min),
        right(box.x_max + 1.0),
        top(kFrameHeight - 1 - box.y_max),
        bottom(kFrameHeight - box.y_min) {}
};

}  // namespace

const SheetSlot* PlateSheet::slot_at(const PixelBox& frame_box) const {
  const Edges e(frame_box);
  const double x = (e.left + e.right) / 2, y = (e.top + e.bottom) / 2;
  const auto slot = std::find_if(slots_.begin(), slots_.end(), [&](const SheetSlot& s) {
    return x >= s.left && x < s.left + s.width && y >= s.top && y < s.top + s.height;
  });
  return slot == slots_.end() ? nullptr : &*slot;
}

std::optional<double> PlateSheet::depth_in_slot(const PixelBox& frame_box) const {
  const SheetSlot* slot = slot_at(frame_box);
  if (!slot) return std::nullopt;
  const Edges e(frame_box);
  return ((e.top + e.bottom) / 2 - slot->top) / slot->height;
}

std::optional<double> PlateSheet::across_slot(const PixelBox& frame_box) const {
  const SheetSlot* slot = slot_at(frame_box);
  if (!slot) return std::nullopt;
  const Edges e(frame_box);
  return ((e.left + e.right) / 2 - slot->left) / slot->width;
}

std::optional<SourceQuad> PlateSheet::to_source(const PixelBox& frame_box) const {
  const SheetSlot* slot = slot_at(frame_box);
  if (!slot) return std::nullopt;
  const Edges e(frame_box);
  const double left = e.left, right = e.right, top = e.top, bottom = e.bottom;
  SourceQuad quad{apply(slot->to_source, left, top), apply(slot->to_source, right, top),
                  apply(slot->to_source, right, bottom), apply(slot->to_source, left, bottom)};
  for (SourcePoint& corner : quad) {
    corner.x = std::clamp(corner.x, 0.0, double(source_width_));
    corner.y = std::clamp(corner.y, 0.0, double(source_height_));
  }
  return quad;
}

DecodedPicture fitted_picture(const Plane& frame, const FrameMapping& mapping) {
  DecodedPicture picture;
  picture.source_width = mapping.source.width;
  picture.source_height = mapping.source.height;
  picture.width = mapping.fitted.width;
  picture.height = mapping.fitted.height;
  picture.bgr.reserve(std::size_t(picture.width) * std::size_t(std::max(picture.height, 0)) * 3);
  for (int y = 0; y < picture.height; ++y) {
    const std::uint8_t* row = frame.row(kFrameHeight - 1 - y);
    picture.bgr.insert(picture.bgr.end(), row, row + std::size_t(picture.width) * 3);
  }
  return picture;
}

PixelBox bounding_box(const SourceQuad& quad, int source_width, int source_height) {
  double left = quad[0].x, right = quad[0].x, top = quad[0].y, bottom = quad[0].y;
  for (const SourcePoint& corner : quad) {
    left = std::min(left, corner.x);
    right = std::max(right, corner.x);
    top = std::min(top, corner.y);
    bottom = std::max(bottom, corner.y);
  }
  const auto clip = [](double v, int size) {
    return std::clamp(int(std::floor(v)), 0, std::max(size - 1, 0));
  };
  return {clip(left, source_width), clip(std::ceil(right) - 1, source_width), clip(top, source_height),
          clip(std::ceil(bottom) - 1, source_height)};
}

}  // namespace plate
