// Fitting into the frame by area averaging, and the box mapping.
//
// Shrinking from `from` to `to` pixels along one axis measures both in units of 1 / (from * to) of
// the picture's extent: picture pixel s spans [s * to, (s + 1) * to), frame pixel t spans
// [t * from, (t + 1) * from). Each frame pixel takes every picture pixel it overlaps, weighted by
// the overlap, so the weights of one frame pixel add up to `from` and of a 2-D pixel to
// from_width * from_height; the mean is rounded to nearest. All in integers: the result is exact
// and the same on every machine.
//
// Rejected alternatives:
//   * Sampling the nearest pixel or a bilinear filter: at a shrink of 4 and more they skip most
//     pixels, and thin strokes of digits break up or alias into the background.
//   * Shrinking in steps of halves: cheap, but the last non-power-of-two step needs area weights
//     anyway, and the rounding of each step adds up.

#include "image/frame_fit.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace plate {

namespace {

struct Contribution {
  int source;            // picture pixel
  std::uint64_t weight;  // its overlap with the frame pixel, in units of 1 / (from * to)
};

// For every frame pixel along an axis, the picture pixels it overlaps and by how much.
std::vector<std::vector<Contribution>> contributions(int from, int to) {
  std::vector<std::vector<Contribution>> all(static_cast<std::size_t>(to));
  for (int t = 0; t < to; ++t) {
    const std::uint64_t begin = std::uint64_t(t) * std::uint64_t(from), end = begin + std::uint64_t(from);
    for (std::uint64_t s = begin / std::uint64_t(to); s * std::uint64_t(to) < end; ++s) {
      const std::uint64_t overlap =
          std::min(end, (s + 1) * std::uint64_t(to)) - std::max(begin, s * std::uint64_t(to));
      all[std::size_t(t)].push_back({static_cast<int>(s), overlap});
    }
  }
  return all;
}

void shrink_into_frame(const DecodedPicture& picture, PictureSize to, Plane& frame) {
  const auto columns = contributions(picture.width, to.width);
  const auto rows = contributions(picture.height, to.height);
  const std::uint64_t total = std::uint64_t(picture.width) * std::uint64_t(picture.height);
  const std::size_t sums_per_row = std::size_t(to.width) * kBytesPerPixel;
  std::vector<std::uint64_t> row_sums(sums_per_row), sums(sums_per_row);
  for (int ty = 0; ty < to.height; ++ty) {
    std::ranges::fill(sums, 0);
    for (const Contribution& row : rows[std::size_t(ty)]) {
      const std::uint8_t* source =
          picture.bgr.data() + std::size_t(row.source) * std::size_t(picture.width) * 3;
      for (int tx = 0; tx < to.width; ++tx) {
        std::uint64_t b = 0, g = 0, r = 0;
        for (const Contribution& column : columns[std::size_t(tx)]) {
          const std::uint8_t* pixel = source + std::size_t(column.source) * 3;
          b += column.weight * pixel[0];
          g += column.weight * pixel[1];
          r += column.weight * pixel[2];
        }
        std::uint64_t* out = sums.data() + std::size_t(tx) * 3;
        out[0] += row.weight * b;
        out[1] += row.weight * g;
        out[2] += row.weight * r;
      }
    }
    std::uint8_t* plane_row = frame.row(kFrameHeight - 1 - ty);
    for (std::size_t i = 0; i < sums_per_row; ++i) {
      plane_row[i] = static_cast<std::uint8_t>((sums[i] + total / 2) / total);
    }
  }
}

void copy_into_frame(const DecodedPicture& picture, Plane& frame) {
  const std::size_t row_bytes = std::size_t(picture.width) * kBytesPerPixel;
  for (int y = 0; y < picture.height; ++y) {
    std::memcpy(frame.row(kFrameHeight - 1 - y), picture.bgr.data() + std::size_t(y) * row_bytes, row_bytes);
  }
}

// The first of `to` pixels that overlaps picture pixel `first`, and the last that overlaps `last`.
std::pair<int, int> map_span(int first, int last, int from, int to) {
  const std::int64_t begin = std::int64_t(first) * to / from;
  const std::int64_t end = (std::int64_t(last) + 1) * to;  // exclusive, in units of 1 / from
  return {static_cast<int>(begin), static_cast<int>((end + from - 1) / from - 1)};
}

std::optional<PixelBox> clip(const PixelBox& box, PictureSize size) {
  const PixelBox clipped{std::max(box.x_min, 0), std::min(box.x_max, size.width - 1), std::max(box.y_min, 0),
                         std::min(box.y_max, size.height - 1)};
  if (clipped.x_min > clipped.x_max || clipped.y_min > clipped.y_max) return std::nullopt;
  return clipped;
}

}  // namespace

PictureSize fitted_size(int source_width, int source_height) {
  if (source_width <= kFrameWidth && source_height <= kFrameHeight) return {source_width, source_height};
  const std::int64_t w = source_width, h = source_height;
  if (w * kFrameHeight >= h * kFrameWidth) {  // the width limits
    return {kFrameWidth, static_cast<int>(std::max<std::int64_t>(1, (2 * h * kFrameWidth + w) / (2 * w)))};
  }
  return {static_cast<int>(std::max<std::int64_t>(1, (2 * w * kFrameHeight + h) / (2 * h))), kFrameHeight};
}

double FrameMapping::scale() const {
  if (source == fitted || source.width <= 0 || source.height <= 0) return 1.0;
  return std::min(double(kFrameWidth) / source.width, double(kFrameHeight) / source.height);
}

std::optional<PixelBox> frame_box_to_source(const FrameMapping& mapping, const PixelBox& frame_box) {
  // Frame rows count up from the bottom; the fitted picture's rows down from plane row 767.
  const PixelBox fitted_box{frame_box.x_min, frame_box.x_max, kFrameHeight - 1 - frame_box.y_max,
                            kFrameHeight - 1 - frame_box.y_min};
  const std::optional<PixelBox> inside = clip(fitted_box, mapping.fitted);
  if (!inside) return std::nullopt;
  const auto [x_min, x_max] =
      map_span(inside->x_min, inside->x_max, mapping.fitted.width, mapping.source.width);
  const auto [y_min, y_max] =
      map_span(inside->y_min, inside->y_max, mapping.fitted.height, mapping.source.height);
  return PixelBox{x_min, x_max, y_min, y_max};
}

std::optional<PixelBox> source_box_to_frame(const FrameMapping& mapping, const PixelBox& source_box) {
  const std::optional<PixelBox> inside = clip(source_box, mapping.source);
  if (!inside) return std::nullopt;
  const auto [x_min, x_max] =
      map_span(inside->x_min, inside->x_max, mapping.source.width, mapping.fitted.width);
  const auto [y_min, y_max] =
      map_span(inside->y_min, inside->y_max, mapping.source.height, mapping.fitted.height);
  return PixelBox{x_min, x_max, kFrameHeight - 1 - y_max, kFrameHeight - 1 - y_min};
}

FrameMapping fit_into_frame(const DecodedPicture& picture, Plane& frame) {
  frame.fill(0);
  const FrameMapping mapping{{picture.source_width, picture.source_height},
                             fitted_size(picture.source_width, picture.source_height)};
  const bool holds_enough =
      picture.width >= mapping.fitted.width && picture.height >= mapping.fitted.height &&
      picture.bgr.size() >= std::size_t(picture.width) * std::size_t(picture.height) * 3;
  if (!holds_enough) return mapping;  // a decoder's fault; the frame stays black
  if (picture.width == mapping.fitted.width && picture.height == mapping.fitted.height) {
    copy_into_frame(picture, frame);
  } else {
    shrink_into_frame(picture, mapping.fitted, frame);
  }
  return mapping;
}

}  // namespace plate
