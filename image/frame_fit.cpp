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

// For every frame column, the picture columns it overlaps and by how much: column t takes `taps`
// picture columns from start[t] on, weighted by weight[t * taps + k] (overlaps in units of
// 1 / (from * to)). Every column takes as many taps as the widest overlap needs, those it does not
// overlap with weight 0, so that the summing loop's trip count never changes from one column to
// the next; a window that would run past the picture's last column starts early instead.
struct ColumnTaps {
  int taps = 0;
  std::vector<int> start;
  std::vector<std::uint32_t> weight;
};

ColumnTaps column_taps(int from, int to) {
  const std::uint64_t f = std::uint64_t(from), n = std::uint64_t(to);
  // Frame column t spans [t * f, (t + 1) * f) and picture column s [s * n, (s + 1) * n).
  const auto first_of = [&](std::uint64_t t) { return t * f / n; };
  const auto end_of = [&](std::uint64_t t) { return ((t + 1) * f + n - 1) / n; };
  ColumnTaps columns;
  for (std::uint64_t t = 0; t < n; ++t)
    columns.taps = std::max(columns.taps, static_cast<int>(end_of(t) - first_of(t)));
  columns.start.resize(std::size_t(to));
  columns.weight.assign(std::size_t(to) * std::size_t(columns.taps), 0);
  for (std::uint64_t t = 0; t < n; ++t) {
    const std::uint64_t begin = t * f, end = begin + f;
    const std::uint64_t start = std::min(first_of(t), f - std::uint64_t(columns.taps));
    columns.start[t] = static_cast<int>(start);
    std::uint32_t* weight = columns.weight.data() + t * std::uint64_t(columns.taps);
    for (std::uint64_t s = first_of(t); s < end_of(t); ++s) {
      weight[s - start] = static_cast<std::uint32_t>(std::min(end, (s + 1) * n) - std::max(begin, s * n));
    }
  }
  return columns;
}

// One picture row summed across into the frame columns: blue, green, red sums per column.
// `kTaps` is the number of taps when known at compile time (the loop over them then unrolls), or 0.
template <typename Sum, int kTaps>
void sum_row(const std::uint8_t* source, const ColumnTaps& columns, Sum* sums) {
  const int taps = kTaps > 0 ? kTaps : columns.taps;
  const std::uint32_t* weight = columns.weight.data();
  for (const int start : columns.start) {
    const std::uint8_t* pixel = source + std::size_t(start) * 3;
    Sum b = 0, g = 0, r = 0;
    for (int k = 0; k < taps; ++k, pixel += 3) {
      const auto w = static_cast<Sum>(weight[k]);
      b += w * pixel[0];
      g += w * pixel[1];
      r += w * pixel[2];
    }
    weight += taps;
    sums[0] = b, sums[1] = g, sums[2] = r;
    sums += 3;
  }
}

// The summing for the usual shrinks, by up to about 2 (2 or 3 taps), unrolled.
template <typename Sum>
auto row_summer(int taps) {
  switch (taps) {
    case 2:
      return &sum_row<Sum, 2>;
    case 3:
      return &sum_row<Sum, 3>;
    default:
      return &sum_row<Sum, 0>;
  }
}

// sum / divisor rounded to nearest, for results of 0 to 255, as one multiplication in double
// precision and a truncation. With n = sum + divisor / 2, the rounded quotient is floor(n /
// divisor); the multiplication works on n + 1/2 instead, whose quotient lies at least 1/2 / divisor
// (over 5 * 10^-9) away from every integer, far beyond the product's rounding error (below
// 10^-13): truncating it gives the quotient exactly, with no correction step. The sums are whole
// numbers below 2^36, which double precision holds exactly. Truncated to a 32-bit signed integer,
// which the processor converts from double several at a time, so that the compiler vectorises.
class RoundedDivision {
 public:
  explicit RoundedDivision(std::uint64_t divisor)
      : offset_(double(divisor / 2) + 0.5), reciprocal_(1.0 / double(divisor)) {}
  std::uint8_t rounded(double sum) const {
    return static_cast<std::uint8_t>(static_cast<std::int32_t>((sum + offset_) * reciprocal_));
  }

 private:
  double offset_, reciprocal_;
};

// Picture rows are summed across once each, in order, and added to the one or two frame rows they
// overlap (two at most, since a frame row is at least as tall as a picture row); a frame row is
// written out as soon as its last picture row is in. A row's sums across, `Sum`, are at most 255
// times the picture's width: 32 bits for every picture up to 8 megapixels (every JPEG, which is
// decoded at a scale close to the frame's), which lets the compiler work on four sums at once. The
// frame rows' sums, up to 255 times the picture's pixel count, are whole numbers in double
// precision (exact below 2^53): the processor multiplies and adds those several at a time, where
// it has no such instruction for 32-bit integers.
template <typename Sum>
void shrink_into_frame(const DecodedPicture& picture, PictureSize to, Plane& frame) {
  const ColumnTaps columns = column_taps(picture.width, to.width);
  const auto sum_row_into = row_summer<Sum>(columns.taps);
  const RoundedDivision divide(std::uint64_t(picture.width) * std::uint64_t(picture.height));
  const std::uint64_t source_rows = std::uint64_t(picture.height), frame_rows = std::uint64_t(to.height);
  const std::size_t sums_per_row = std::size_t(to.width) * kBytesPerPixel;
  std::vector<Sum> row_sums(sums_per_row);
  std::vector<double> current(sums_per_row, 0.0);
  Sum* const row = row_sums.data();
  double* const frame_row_sums = current.data();
  std::uint64_t frame_row_end = source_rows;  // where frame row ty ends, in units of 1 / frame_rows
  int ty = 0;
  for (std::uint64_t sy = 0; sy < source_rows; ++sy) {
    sum_row_into(picture.bgr.data() + sy * std::size_t(picture.width) * 3, columns, row);
    const std::uint64_t begin = sy * frame_rows, end = begin + frame_rows;
    if (end < frame_row_end) {
      const double weight = double(frame_rows);
      for (std::size_t i = 0; i < sums_per_row; ++i) frame_row_sums[i] += weight * double(row[i]);
      continue;
    }
    // This picture row completes frame row ty; what is left of it starts the next one.
    const double in_this = double(frame_row_end - begin), in_next = double(end - frame_row_end);
    std::uint8_t* plane_row = frame.row(kFrameHeight - 1 - ty);
    for (std::size_t i = 0; i < sums_per_row; ++i) {
      const double sum = double(row[i]);
      plane_row[i] = divide.rounded(frame_row_sums[i] + in_this * sum);
      frame_row_sums[i] = in_next * sum;
    }
    ++ty;
    frame_row_end += source_rows;
  }
}

// Black beside and below a picture of `size` in the frame's top-left corner.
void clear_around(PictureSize size, Plane& frame) {
  const std::size_t row_bytes = std::size_t(size.width) * kBytesPerPixel;
  for (int y = kFrameHeight - size.height; y < kFrameHeight; ++y)
    std::memset(frame.row(y) + row_bytes, 0, kRowStride - row_bytes);
  std::memset(frame.row(0), 0, std::size_t(kFrameHeight - size.height) * kRowStride);
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
  const FrameMapping mapping{{picture.source_width, picture.source_height},
                             fitted_size(picture.source_width, picture.source_height)};
  const bool holds_enough =
      picture.width >= mapping.fitted.width && picture.height >= mapping.fitted.height &&
      picture.bgr.size() >= std::size_t(picture.width) * std::size_t(picture.height) * 3;
  if (!holds_enough) {  // a decoder's fault; the frame stays black
    frame.fill(0);
    return mapping;
  }
  clear_around(mapping.fitted, frame);
  if (picture.width == mapping.fitted.width && picture.height == mapping.fitted.height) {
    copy_into_frame(picture, frame);
  } else if (std::uint64_t(picture.width) * std::uint64_t(picture.height) < (std::uint64_t{1} << 23)) {
    shrink_into_frame<std::int32_t>(picture, mapping.fitted, frame);
  } else {
    shrink_into_frame<std::int64_t>(picture, mapping.fitted, frame);
  }
  return mapping;
}

}  // namespace plate
