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

// For every frame column, the picture columns it overlaps and by how much, flat: column t takes
// `count[t]` entries of `source`/`weight` from `first[t]` on.
struct ColumnWeights {
  std::vector<std::size_t> first, count;
  std::vector<int> source;
  std::vector<std::uint64_t> weight;  // overlap in units of 1 / (from * to)
};

ColumnWeights column_weights(int from, int to) {
  ColumnWeights weights;
  const std::uint64_t f = std::uint64_t(from), t_count = std::uint64_t(to);
  for (std::uint64_t t = 0; t < t_count; ++t) {
    const std::uint64_t begin = t * f, end = begin + f;
    weights.first.push_back(weights.source.size());
    for (std::uint64_t s = begin / t_count; s * t_count < end; ++s) {
      weights.source.push_back(static_cast<int>(s));
      weights.weight.push_back(std::min(end, (s + 1) * t_count) - std::max(begin, s * t_count));
    }
    weights.count.push_back(weights.source.size() - weights.first.back());
  }
  return weights;
}

void sum_row(const std::uint8_t* source, const ColumnWeights& columns, std::vector<std::uint64_t>& sums) {
  for (std::size_t tx = 0; tx < columns.first.size(); ++tx) {
    std::uint64_t b = 0, g = 0, r = 0;
    const std::size_t first = columns.first[tx], last = first + columns.count[tx];
    for (std::size_t k = first; k < last; ++k) {
      const std::uint8_t* pixel = source + std::size_t(columns.source[k]) * 3;
      const std::uint64_t w = columns.weight[k];
      b += w * pixel[0];
      g += w * pixel[1];
      r += w * pixel[2];
    }
    sums[tx * 3] = b, sums[tx * 3 + 1] = g, sums[tx * 3 + 2] = r;
  }
}

void add_weighted(std::vector<std::uint64_t>& to, const std::vector<std::uint64_t>& row,
                  std::uint64_t weight) {
  for (std::size_t i = 0; i < to.size(); ++i) to[i] += weight * row[i];
}

// sum / divisor rounded to nearest, for results of 0 to 255. A 64-bit division per byte took
// most of the fitting's time; a multiplication by the reciprocal, corrected by one where the
// reciprocal's rounding shows, gives the same results at a fraction of the cost.
class RoundedDivision {
 public:
  explicit RoundedDivision(std::uint64_t divisor) : divisor_(divisor), reciprocal_(1.0 / double(divisor)) {}
  std::uint8_t rounded(std::uint64_t sum) const {
    const std::uint64_t numerator = sum + divisor_ / 2;
    auto quotient = static_cast<std::uint64_t>(double(numerator) * reciprocal_);
    if (quotient * divisor_ > numerator) --quotient;
    if ((quotient + 1) * divisor_ <= numerator) ++quotient;
    return static_cast<std::uint8_t>(quotient);
  }

 private:
  std::uint64_t divisor_;
  double reciprocal_;
};

// Picture rows are summed across once each, in order, and added to the one or two frame rows they
// overlap (two at most, since a frame row is at least as tall as a picture row); a frame row is
// written out as soon as its last picture row is in.
void shrink_into_frame(const DecodedPicture& picture, PictureSize to, Plane& frame) {
  const ColumnWeights columns = column_weights(picture.width, to.width);
  const RoundedDivision divide(std::uint64_t(picture.width) * std::uint64_t(picture.height));
  const std::uint64_t source_rows = std::uint64_t(picture.height), frame_rows = std::uint64_t(to.height);
  const std::size_t sums_per_row = std::size_t(to.width) * kBytesPerPixel;
  std::vector<std::uint64_t> row_sums(sums_per_row), current(sums_per_row, 0);
  int ty = 0;
  const auto write_row = [&] {
    std::uint8_t* plane_row = frame.row(kFrameHeight - 1 - ty);
    for (std::size_t i = 0; i < sums_per_row; ++i) plane_row[i] = divide.rounded(current[i]);
    std::ranges::fill(current, 0);
    ++ty;
  };
  for (std::uint64_t sy = 0; sy < source_rows; ++sy) {
    sum_row(picture.bgr.data() + sy * std::size_t(picture.width) * 3, columns, row_sums);
    const std::uint64_t begin = sy * frame_rows, end = begin + frame_rows;
    const std::uint64_t frame_row_end = std::uint64_t(ty + 1) * source_rows;
    if (end < frame_row_end) {
      add_weighted(current, row_sums, frame_rows);
      continue;
    }
    add_weighted(current, row_sums, frame_row_end - begin);
    write_row();
    if (end > frame_row_end) add_weighted(current, row_sums, end - frame_row_end);
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
